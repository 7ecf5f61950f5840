// The explanation window TFrmJx: the explanation of the question on display, read-only, over
// one field of the opener's text row. The practice windows create it, bind it with SetSource,
// show it modally and free it.
#pragma once
#include "classlib/db/DBCtrls.h"
#include "controls/extended/DBRichEd.h"
#include "classlib/forms/Forms.h"
#include "controls/effects/EffBtns.h"

class TDataSource;

// Shows the explanation in fieldName of source in a modal explanation window (owned by the
// application, freed afterwards), behind the hourglass while it is built.
void ShowExplanation(TDataSource* source, const String& fieldName);

class TFrmJx : public TForm {
  CLASSLIB_CLASS(TFrmJx, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout.
  explicit TFrmJx(TComponent* owner);

  // ---- Components (owned by the window) ----------------------------------------------------
  TRxDBRichEdit* Re = nullptr;           // the explanation
  TepEfTrBtn* epEfTrBtn1 = nullptr;  // 关闭

  // Binds the view to fieldName of source.
  void SetSource(TDataSource* source, const String& fieldName);

  // Puts the cursor back (the opener showed the hourglass) and makes the view read-only.
  void FormShow(TObject* sender);
  void epEfTrBtn1Click(TObject* sender);

 private:
  void RegisterHandlers();
};
