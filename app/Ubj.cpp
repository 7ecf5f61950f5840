// The notes window.
#include "Ubj.h"

#include <memory>

#include "Ucommon.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "classlib/db/DB.h"

TFrmBj* FrmBj = nullptr;

bool EditNote(TDataSource* source, const String& fieldName, const String& kind) {
  struct TGlobalReset {
    ~TGlobalReset() { FrmBj = nullptr; }
  } reset;
  std::unique_ptr<TFrmBj> window(TCustomForm::Create<TFrmBj>(Application));
  FrmBj = window.get();
  window->Label1->SetCaption(kind);
  window->SetSource(source, fieldName);
  window->ShowModal();
  return NotesSaved;
}

const TPropertyTable* TFrmBj::PublishedProperties() {
  using P = TPublish<TFrmBj>;
  static const TPropertyTable table({}, {P::Field(L"DBMemo1", &TFrmBj::DBMemo1), P::Field(L"Label1", &TFrmBj::Label1),
                                         P::Field(L"epEfTrBtn1", &TFrmBj::epEfTrBtn1)});
  return &table;
}

TFrmBj::TFrmBj(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
}

void TFrmBj::RegisterHandlers() {
  using M = TPublishMethods<TFrmBj>;
  RegisterMethods<TFrmBj>({M::Handler(L"FormShow", &TFrmBj::FormShow),
                           M::Handler(L"FormCloseQuery", &TFrmBj::FormCloseQuery),
                           M::Handler(L"epEfTrBtn1Click", &TFrmBj::epEfTrBtn1Click)});
}

void TFrmBj::SetSource(TDataSource* source, const String& fieldName) {
  if (source && source->GetDataSet() && source->GetDataSet()->GetActive()) source->GetDataSet()->Edit();
  DBMemo1->SetDataSource(source);
  DBMemo1->SetDataField(fieldName);
}

void TFrmBj::FormShow(TObject*) {
  TStrings* imes = Screen->GetImes();
  for (const wchar_t* name : {L"智能ABC输入法", L"五笔字型输入法"}) {
    if (imes->IndexOf(name) >= 0) {
      DBMemo1->SetImeName(name);
      return;
    }
  }
}

void TFrmBj::FormCloseQuery(TObject*, bool& canClose) {
  canClose = true;
  NotesSaved = false;
  TDataSource* source = DBMemo1->GetDataSource();
  TDataSet* dataSet = source ? source->GetDataSet() : nullptr;
  if (!dataSet || !dataSet->GetActive()) return;
  try {
    if (Trim(DBMemo1->GetText()).empty()) {
      // Nothing is posted here, but the memo's text goes into the record while the memo is
      // still bound: the row's next post writes the cleared note. Left in the memo, the
      // next move would find the row unchanged, cancel the edit and keep the old note.
      if (dataSet->GetState() == dsEdit || dataSet->GetState() == dsInsert) dataSet->UpdateRecord();
      return;
    }
    dataSet->Edit();
    dataSet->Post();
    NotesSaved = true;
  } catch (...) {
    // The window still closes; the error is reported as any other.
    Application->HandleException(this);
  }
}

void TFrmBj::epEfTrBtn1Click(TObject*) { Close(); }
