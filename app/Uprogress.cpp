// The wait box.
#include "Uprogress.h"

#include "classlib/classes/Properties.h"

TFrmProgress* FrmProgress = nullptr;

const TPropertyTable* TFrmProgress::PublishedProperties() {
  using P = TPublish<TFrmProgress>;
  static const TPropertyTable table({}, {P::Field(L"epBevel1", &TFrmProgress::epBevel1), P::Field(L"Label1", &TFrmProgress::Label1),
                                             P::Field(L"Timer1", &TFrmProgress::Timer1)});
  return &table;
}

TFrmProgress::TFrmProgress(TComponent* owner) : TForm(owner) { LoadLayout(); }
