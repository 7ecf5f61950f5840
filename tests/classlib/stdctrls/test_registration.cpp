// The libraries' registration functions: a layout may name a class that no code names once
// the function ran (each class a library has), and running them again changes nothing.
#include <gtest/gtest.h>

#include "ButtonsTestSupport.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/controls/ControlsRegistration.h"
#include "classlib/forms/FormsRegistration.h"
#include "classlib/forms/Timer.h"
#include "classlib/stdctrls/CheckListBox.h"
#include "classlib/stdctrls/StdCtrlsRegistration.h"

using namespace button_tests;

namespace {

class Registration : public FormTest {};

}  // namespace

TEST_F(Registration, ALayoutNamesAClassOnlyTheRegistrationFunctionKnows) {
  // As when the linker dropped the units and their static registration with them.
  const wchar_t* const names[] = {
      L"TMainMenu", L"TMenuItem", L"TPopupMenu", L"TActionList", L"TAction", L"TScrollBox",
      L"TForm", L"TDataModule", L"TTimer", L"TLabel", L"TBevel", L"TShape", L"TImage", L"TPanel",
      L"TGroupBox", L"TSplitter", L"TEdit", L"TMemo", L"TMaskEdit", L"TSpinEdit", L"TButton",
      L"TBitBtn", L"TSpeedButton", L"TCheckBox", L"TRadioButton", L"TRadioGroup", L"TListBox",
      L"TCheckListBox", L"TComboBox", L"TScrollBar", L"TDrawGrid", L"TStringGrid", L"TNotebook",
      L"TPage", L"TPageControl", L"TTabSheet", L"TProgressBar", L"TAnimate", L"TStatusBar",
      L"TMediaPlayer", L"TOpenDialog", L"TSaveDialog", L"TSavePictureDialog", L"TFindDialog",
      L"TReplaceDialog"};
  for (const wchar_t* name : names)
    if (name != String(L"TForm")) UnRegisterClass(GetClass(name));  // the form being read
  ASSERT_EQ(nullptr, GetClass(L"TCheckListBox"));
  const String layout =
      L"object Form1: TButtonsForm\n"
      L"  object Choices: TCheckListBox\n    Left = 8\n  end\n"
      L"  object Clock: TTimer\n    Enabled = False\n    Interval = 250\n  end\n"
      L"end\n";
  EXPECT_THROW(ReadLayout(layout), Exception);
  delete Form;  // a fresh form for the read that works
  Form = TCustomForm::Create<TButtonsForm>(nullptr);

  for (int round = 0; round < 2; ++round) {  // again: harmless
    EXPECT_NO_THROW(RegisterControlsClasses());
    EXPECT_NO_THROW(RegisterStdCtrlsClasses());
    EXPECT_NO_THROW(RegisterFormsClasses());
  }
  for (const wchar_t* name : names) EXPECT_NE(nullptr, GetClass(name)) << StringToUtf8(name);
  ReadLayout(layout);
  auto* choices = Find<TCheckListBox>(L"Choices");
  ASSERT_NE(nullptr, choices);
  EXPECT_EQ(Form, choices->GetParent());
  EXPECT_EQ(8, choices->GetLeft());
  auto* clock = Find<TTimer>(L"Clock");
  ASSERT_NE(nullptr, clock);
  EXPECT_FALSE(clock->GetEnabled());
  EXPECT_EQ(250u, clock->GetInterval());
}
