// The about box.
#include "Uabout.h"

#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"

TFrmAbout* FrmAbout = nullptr;

const TPropertyTable* TFrmAbout::PublishedProperties() {
  using P = TPublish<TFrmAbout>;
  using C = TFrmAbout;
  static const TPropertyTable table(
      {}, {P::Field(L"Image1", &C::Image1), P::Field(L"Label2", &C::Label2), P::Field(L"Label3", &C::Label3),
           P::Field(L"Label4", &C::Label4), P::Field(L"epBevel1", &C::epBevel1), P::Field(L"Label1", &C::Label1),
           P::Field(L"epTransparentBtn1", &C::epTransparentBtn1),
           P::Field(L"epTransparentBtn2", &C::epTransparentBtn2),
           P::Field(L"epTransparentBtn3", &C::epTransparentBtn3),
           P::Field(L"epTransparentBtn5", &C::epTransparentBtn5)});
  return &table;
}

TFrmAbout::TFrmAbout(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
}

void TFrmAbout::RegisterHandlers() {
  using M = TPublishMethods<TFrmAbout>;
  RegisterMethods<TFrmAbout>({M::Handler(L"epTransparentBtn5Clickcc", &TFrmAbout::epTransparentBtn5Clickcc)});
}

void TFrmAbout::epTransparentBtn5Clickcc(TObject*) { Close(); }
