// The explanation window.
#include "Ujx.h"

#include <memory>

#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"

void ShowExplanation(TDataSource* source, const String& fieldName) {
  Screen->SetCursor(crHourGlass);
  std::unique_ptr<TFrmJx> window(TCustomForm::Create<TFrmJx>(Application));
  window->SetSource(source, fieldName);
  window->ShowModal();
  Screen->SetCursor(crDefault);
}

const TPropertyTable* TFrmJx::PublishedProperties() {
  using P = TPublish<TFrmJx>;
  static const TPropertyTable table({}, {P::Field(L"Re", &TFrmJx::Re), P::Field(L"epEfTrBtn1", &TFrmJx::epEfTrBtn1)});
  return &table;
}

TFrmJx::TFrmJx(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
}

void TFrmJx::RegisterHandlers() {
  using M = TPublishMethods<TFrmJx>;
  RegisterMethods<TFrmJx>(
      {M::Handler(L"FormShow", &TFrmJx::FormShow), M::Handler(L"epEfTrBtn1Click", &TFrmJx::epEfTrBtn1Click)});
}

void TFrmJx::SetSource(TDataSource* source, const String& fieldName) {
  Re->SetDataSource(source);
  Re->SetDataField(fieldName);
}

void TFrmJx::FormShow(TObject*) {
  Screen->SetCursor(crDefault);
  Re->SetReadOnly(true);
}

void TFrmJx::epEfTrBtn1Click(TObject*) { Close(); }
