// The notes window TFrmBj: a memo over one field of the current question row, opened
// modally by the practice windows, which bind it with SetSource. Closing it posts a note
// that is not blank and says so in NotesSaved (Ucommon.h); a cleared one goes into the record
// and is written with the row's next post.
#pragma once
#include "classlib/db/DBCtrls.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/StdLabels.h"
#include "controls/effects/EffBtns.h"

class TDataSource;

// Lets the user write the note in fieldName of source in a modal notes window (owned by the
// application, FrmBj while it is shown, freed afterwards); kind goes to its marker label.
// Returns NotesSaved: a note that is not blank was posted.
bool EditNote(TDataSource* source, const String& fieldName, const String& kind);

class TFrmBj : public TForm {
  CLASSLIB_CLASS(TFrmBj, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout.
  explicit TFrmBj(TComponent* owner);

  // ---- Components (owned by the window) ----------------------------------------------------
  TDBMemo* DBMemo1 = nullptr;        // the note, bound to the opener's field
  TLabel* Label1 = nullptr;          // hidden: the kind of the opener ("lx" for practice)
  TepEfTrBtn* epEfTrBtn1 = nullptr;  // 关  闭

  // Puts the source's data set into edit state and binds the memo to fieldName.
  void SetSource(TDataSource* source, const String& fieldName);

  // Chooses the memo's input method: 智能ABC输入法, else 五笔字型输入法, else the current one.
  void FormShow(TObject* sender);
  // Always closes; posts a note that is not blank and sets NotesSaved accordingly. A blank
  // note is only passed into the record, for the row's next post.
  void FormCloseQuery(TObject* sender, bool& canClose);
  void epEfTrBtn1Click(TObject* sender);

 private:
  void RegisterHandlers();
};

extern TFrmBj* FrmBj;
