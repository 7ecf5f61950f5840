#include "StdCtrlsRegistration.h"

#include "../classes/ClassRegistry.h"
#include "Animate.h"
#include "BitBtn.h"
#include "Buttons.h"
#include "CheckBoxes.h"
#include "CheckListBox.h"
#include "ComboBoxes.h"
#include "Dialogs.h"
#include "Edits.h"
#include "ExtShapes.h"
#include "Grids.h"
#include "Images.h"
#include "ListBoxes.h"
#include "MaskEdit.h"
#include "MediaPlayer.h"
#include "Notebooks.h"
#include "PageControls.h"
#include "PictureDialogs.h"
#include "ProgressBars.h"
#include "RadioGroup.h"
#include "ScrollBar.h"
#include "SpeedButton.h"
#include "SpinEdit.h"
#include "Splitter.h"
#include "StatusBars.h"
#include "StdLabels.h"
#include "StdPanels.h"

void RegisterStdCtrlsClasses() {
  RegisterClasses({
      TLabel::StaticClassInfo(),        TBevel::StaticClassInfo(),
      TShape::StaticClassInfo(),        TImage::StaticClassInfo(),
      TPanel::StaticClassInfo(),        TGroupBox::StaticClassInfo(),
      TSplitter::StaticClassInfo(),     TEdit::StaticClassInfo(),
      TMemo::StaticClassInfo(),         TMaskEdit::StaticClassInfo(),
      TSpinEdit::StaticClassInfo(),     TButton::StaticClassInfo(),
      TBitBtn::StaticClassInfo(),       TSpeedButton::StaticClassInfo(),
      TCheckBox::StaticClassInfo(),     TRadioButton::StaticClassInfo(),
      TRadioGroup::StaticClassInfo(),   TListBox::StaticClassInfo(),
      TCheckListBox::StaticClassInfo(), TComboBox::StaticClassInfo(),
      TScrollBar::StaticClassInfo(),    TDrawGrid::StaticClassInfo(),
      TStringGrid::StaticClassInfo(),   TNotebook::StaticClassInfo(),
      TPage::StaticClassInfo(),         TPageControl::StaticClassInfo(),
      TTabSheet::StaticClassInfo(),     TProgressBar::StaticClassInfo(),
      TAnimate::StaticClassInfo(),      TStatusBar::StaticClassInfo(),
      TMediaPlayer::StaticClassInfo(),  TOpenDialog::StaticClassInfo(),
      TSaveDialog::StaticClassInfo(),   TSavePictureDialog::StaticClassInfo(),
      TFindDialog::StaticClassInfo(),   TReplaceDialog::StaticClassInfo(),
  });
}
