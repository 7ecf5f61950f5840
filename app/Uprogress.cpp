// The wait box.
#include "Uprogress.h"

#include "classlib/classes/Properties.h"

TFrmProgress* FrmProgress = nullptr;

const TPropertyTable* TFrmProgress::PublishedProperties() {
  using P = TPublish<TFrmProgress>;
  static const TPropertyTable table({}, {P::Field(L"Label1", &TFrmProgress::Label1)});
  return &table;
}

TFrmProgress::TFrmProgress(TComponent* owner) : TForm(owner) { LoadLayout(); }
