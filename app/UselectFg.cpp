// The law-point picker.
#include "UselectFg.h"

#include <memory>
#include <utility>

#include "AppQueries.h"
#include "Responders.h"
#include "Ucommon.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "dm.h"

TFrmSelectFG* FrmSelectFG = nullptr;

const TPropertyTable* TFrmSelectFG::PublishedProperties() {
  using P = TPublish<TFrmSelectFG>;
  using C = TFrmSelectFG;
  static const TPropertyTable table(
      {}, {P::Field(L"Notebook1", &C::Notebook1),         P::Field(L"epLabel1", &C::epLabel1),
           P::Field(L"Label1", &C::Label1),               P::Field(L"Label2", &C::Label2),
           P::Field(L"ComboBox1", &C::ComboBox1),         P::Field(L"ComboBox2", &C::ComboBox2),
           P::Field(L"CheckListBox1", &C::CheckListBox1), P::Field(L"CheckListBox2", &C::CheckListBox2),
           P::Field(L"epEfButton1", &C::epEfButton1),     P::Field(L"epEfButton2", &C::epEfButton2),
           P::Field(L"epLabel2", &C::epLabel2),           P::Field(L"Memo1", &C::Memo1),
           P::Field(L"epEfButton3", &C::epEfButton3),     P::Field(L"ADOQuery1", &C::ADOQuery1),
           P::Field(L"ADOQuery2", &C::ADOQuery2)});
  return &table;
}

TFrmSelectFG::TFrmSelectFG(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
}

void TFrmSelectFG::RegisterHandlers() {
  using M = TPublishMethods<TFrmSelectFG>;
  using C = TFrmSelectFG;
  RegisterMethods<C>({M::Handler(L"FormCreate", &C::FormCreate), M::Handler(L"FormShow", &C::FormShow),
                      M::Handler(L"ComboBox1Change", &C::ComboBox1Change),
                      M::Handler(L"CheckListBox1ClickCheck", &C::CheckListBox1ClickCheck),
                      M::Handler(L"epEfButton1Click", &C::epEfButton1Click),
                      M::Handler(L"epEfButton2Click", &C::epEfButton2Click),
                      M::Handler(L"epEfButton3Click", &C::epEfButton3Click)});
}

void TFrmSelectFG::FormCreate(TObject*) {
  ADOQuery1->SetConnection(DM1->ADOCn1);
  ADOQuery2->SetConnection(DM1->ADOCn1);
}

void TFrmSelectFG::FormShow(TObject*) {
  if (Notebook1->GetPageIndex() == 0) FillLaws();
}

void TFrmSelectFG::FillLaws() {
  RunQuery(ADOQuery1, L"select * from tab_fgmc where len(id) = 4 or len(id)=1");
  ComboBox1->GetItems()->Clear();
  ComboBox2->GetItems()->Clear();
  ADOQuery1->First();
  const int count = ADOQuery1->GetRecordCount();
  for (int i = 0; i < count && !ADOQuery1->GetEof(); ++i) {
    ComboBox1->GetItems()->Add(ADOQuery1->FieldByName(L"n")->GetAsString());
    ComboBox2->GetItems()->Add(ADOQuery1->FieldByName(L"id")->GetAsString());
    ADOQuery1->Next();
  }
  ComboBox1->SetItemIndex(0);
  ComboBox2->SetItemIndex(0);
  LoadArticles();
}

void TFrmSelectFG::LoadArticles() {
  CheckListBox1->GetItems()->Clear();
  CheckListBox2->GetItems()->Clear();
  const int law = ComboBox2->GetItemIndex();
  if (law < 0) return;
  RunQuery(ADOQuery2, L"select * from tab_rule where id = " + QuotedStr(ComboBox2->GetItems()->Get(law)));
  ADOQuery2->First();
  const int count = ADOQuery2->GetRecordCount();
  for (int i = 0; i < count && !ADOQuery2->GetEof(); ++i) {
    CheckListBox1->GetItems()->Add(ADOQuery2->FieldByName(L"sn")->GetAsString());
    CheckListBox2->GetItems()->Add(ADOQuery2->FieldByName(L"ftid")->GetAsString());
    ADOQuery2->Next();
  }
  CheckListBox1->SetItemIndex(0);
  CheckListBox2->SetItemIndex(0);
}

void TFrmSelectFG::ComboBox1Change(TObject*) {
  const int index = ComboBox1->GetItemIndex();
  if (index < 0) return;
  ComboBox2->SetItemIndex(index);
  LoadArticles();
}

void TFrmSelectFG::CheckListBox1ClickCheck(TObject*) {
  const int index = CheckListBox1->GetItemIndex();
  if (index >= 0 && index < CheckListBox2->GetCount())
    CheckListBox2->SetChecked(index, CheckListBox1->GetChecked(index));
}

void TFrmSelectFG::CopyMarks() {
  // A mark set on an item that was not the selected one (a click on its box) reaches the
  // hidden list here, so that the articles returned are the ones ticked.
  const int count = std::min(CheckListBox1->GetCount(), CheckListBox2->GetCount());
  for (int i = 0; i < count; ++i) CheckListBox2->SetChecked(i, CheckListBox1->GetChecked(i));
}

int TFrmSelectFG::CheckedCount() {
  int count = 0;
  for (int i = 0; i < CheckListBox1->GetCount(); ++i)
    if (CheckListBox1->GetChecked(i)) ++count;
  return count;
}

void TFrmSelectFG::epEfButton1Click(TObject*) {
  CopyMarks();
  const int count = CheckedCount();
  if (count == 0) {
    AppMessageBox(L"请选择对应考点，退出请按关闭按钮！", L"提示", MB_OK | MB_ICONINFORMATION);
    return;
  }
  if (LawPointCount + count > kMaxLawPoints) {
    AppMessageBox(L"对应考点最多不能超过7条，已有考点" + IntToStr(LawPointCount) + L"条！", L"提示",
                  MB_OK | MB_ICONINFORMATION);
    return;
  }
  SetModalResult(mrOk);
}

void TFrmSelectFG::epEfButton2Click(TObject*) { SetModalResult(mrCancel); }

void TFrmSelectFG::epEfButton3Click(TObject*) { SetModalResult(mrCancel); }

std::vector<TLawPoint> TFrmSelectFG::PickedPoints() {
  CopyMarks();
  std::vector<TLawPoint> points;
  const int law = ComboBox1->GetItemIndex();
  if (law < 0) return points;
  const String name = ComboBox1->GetItems()->Get(law);
  const int count = std::min(CheckListBox1->GetCount(), CheckListBox2->GetCount());
  for (int i = 0; i < count; ++i)
    if (CheckListBox2->GetChecked(i))
      points.push_back({CheckListBox2->GetItems()->Get(i), name + L"[" + TrimRight(CheckListBox1->GetItems()->Get(i)) + L"]"});
  return points;
}

namespace {

std::vector<TLawPoint> ShowLawPointPicker(int page) {
  std::unique_ptr<TFrmSelectFG> picker(TCustomForm::Create<TFrmSelectFG>(Application));
  // The global names the window only while it is open, whatever way the call ends.
  struct TOpenPicker {
    explicit TOpenPicker(TFrmSelectFG* open) { FrmSelectFG = open; }
    ~TOpenPicker() { FrmSelectFG = nullptr; }
  } open(picker.get());
  picker->Notebook1->SetPageIndex(page);
  if (picker->ShowModal() != mrOk || page != 0) return {};
  return picker->PickedPoints();
}

}  // namespace

void InstallLawPointPicker() { SetLawPointPicker(ShowLawPointPicker); }
