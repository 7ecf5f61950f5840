// The settings window.
#include "Uconfig.h"

#include <memory>

#include "Ucommon.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "dm.h"
#include "start.h"

TFrmConfig* FrmConfig = nullptr;

namespace {

const wchar_t kEditName[] = L"Currencyedit";
// Where a row's type name stands in the scroll box.
constexpr int kRowNameLeft = 16;

}  // namespace

const TPropertyTable* TFrmConfig::PublishedProperties() {
  using P = TPublish<TFrmConfig>;
  using C = TFrmConfig;
  static const TPropertyTable table(
      {}, {P::Field(L"Label1", &C::Label1), P::Field(L"Label4", &C::Label4), P::Field(L"Label5", &C::Label5),
           P::Field(L"ScrollBox1", &C::ScrollBox1), P::Field(L"epFocusButton3", &C::epFocusButton3),
           P::Field(L"RxSwitch1", &C::RxSwitch1), P::Field(L"FlatComboBox1", &C::FlatComboBox1),
           P::Field(L"epBevel1", &C::epBevel1), P::Field(L"epBevel3", &C::epBevel3)});
  return &table;
}

TFrmConfig::TFrmConfig(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
}

void TFrmConfig::RegisterHandlers() {
  using M = TPublishMethods<TFrmConfig>;
  RegisterMethods<TFrmConfig>({M::Handler(L"FormShow", &TFrmConfig::FormShow),
                               M::Handler(L"FormCloseQuery", &TFrmConfig::FormCloseQuery),
                               M::Handler(L"epFocusButton3Click", &TFrmConfig::epFocusButton3Click),
                               M::Handler(L"RxSwitch1On", &TFrmConfig::RxSwitch1On),
                               M::Handler(L"RxSwitch1Off", &TFrmConfig::RxSwitch1Off),
                               M::Handler(L"FlatComboBox1Change", &TFrmConfig::FlatComboBox1Change)});
}

void TFrmConfig::ShowAnswerTimesOnly() {
  Label1->SetVisible(false);
  Label5->SetVisible(false);
  RxSwitch1->SetVisible(false);
  FlatComboBox1->SetVisible(false);
  ScrollBox1->SetTop(24);
  ScrollBox1->SetHeight(108);
  // The heading stands clear of the frame, in line with the rows' type names.
  // The heading stands clear of the frame, in line with the rows' type names (the box has a
  // sunken edge).
  const int boxEdge = ::GetSystemMetrics(SM_CXEDGE);
  Label4->SetBounds(ScrollBox1->GetLeft() + boxEdge + kRowNameLeft, 7, Label4->GetWidth(), Label4->GetHeight());
  epFocusButton3->SetTop(137);
  epFocusButton3->SetLeft(280);
}

TCurrencyEdit* TFrmConfig::RowEdit(int row) const {
  return dynamic_cast<TCurrencyEdit*>(FindComponent(kEditName + IntToStr(int64_t(row) + 1)));
}

void TFrmConfig::ClearRows() {
  for (TControl* control : FRowControls) delete control;
  FRowControls.clear();
  FRowCount = 0;
}

void TFrmConfig::BuildRows() {
  TADOTable* types = DM1->Cn1Table_tx;
  if (!types->GetActive()) types->Open();
  const int count = types->GetRecordCount();
  types->First();
  for (int i = 0; i < count && !types->GetEof(); ++i) {
    auto* edit = new TCurrencyEdit(this);
    FRowControls.push_back(edit);
    edit->SetName(kEditName + IntToStr(int64_t(i) + 1));
    edit->SetParent(ScrollBox1);
    edit->SetParentFont(true);
    edit->SetBounds(100, i * 20 + 5, 40, 20);
    edit->SetDisplayFormat(L"0.0");
    edit->SetMinValue(0.1);
    edit->SetMaxValue(30.0);
    edit->SetValue(types->FieldByName(L"time")->GetAsFloat());
    edit->SetTag(types->FieldByName(L"A1")->GetAsInteger());

    auto* name = new TLabel(this);
    FRowControls.push_back(name);
    name->SetParent(ScrollBox1);
    name->SetParentFont(true);
    name->SetTransparent(true);
    name->SetBounds(kRowNameLeft, i * 20 + 8, name->GetWidth(), 25);
    name->SetCaption(Trim(types->FieldByName(L"B1")->GetAsString()));

    auto* unit = new TLabel(this);
    FRowControls.push_back(unit);
    unit->SetParent(ScrollBox1);
    unit->SetParentFont(true);
    unit->SetTransparent(true);
    unit->SetBounds(150, i * 20 + 8, unit->GetWidth(), 25);
    unit->SetCaption(L"分钟");

    FRowCount = i + 1;
    types->Next();
  }
}

void TFrmConfig::FormShow(TObject*) {
  // The stored layout holds the on state already: this fires nothing and starts no music.
  RxSwitch1->SetStateOn(true);
  ClearRows();
  if (ConfigMode == 1) {
    SetHeight(170);
    BuildRows();
  } else if (ConfigMode == 0) {
    SetHeight(100);
  }
}

void TFrmConfig::SaveAnswerTimes() {
  TADOTable* types = DM1->Cn1Table_tx;
  if (!types->GetActive()) types->Open();
  TypeTimes.resize(static_cast<size_t>(FRowCount));
  TypeIds.resize(static_cast<size_t>(FRowCount));
  for (int i = 0; i < FRowCount; ++i) {
    TCurrencyEdit* edit = RowEdit(i);
    if (!edit) continue;
    const int code = static_cast<int>(edit->GetTag());
    if (!types->Locate(L"A1", Variant(code), {})) continue;
    const double minutes = edit->GetValue();
    types->Edit();
    types->FieldByName(L"time")->SetAsFloat(minutes);
    types->Post();
    TypeTimes[static_cast<size_t>(i)] = AnswerTimeTicks(minutes);
    TypeIds[static_cast<size_t>(i)] = code;
  }
}

void TFrmConfig::FormCloseQuery(TObject*, bool& canClose) {
  canClose = true;
  // Only the answer-time page has times to save; saving from another page would empty the
  // arrays, as it has built no rows.
  if (ConfigMode != 1) return;
  try {
    SaveAnswerTimes();
  } catch (const Exception&) {
    try {
      DM1->Cn1Table_tx->Cancel();
    } catch (const Exception&) {
    }
    ShowDlg(L"错误", L"保存设置失败！", 1, 2, L"No");
  }
}

void TFrmConfig::epFocusButton3Click(TObject*) { Close(); }

void ShowMusicSettings(TComponent* owner) {
  std::unique_ptr<TFrmConfig> settings(TCustomForm::Create<TFrmConfig>(owner));
  ConfigMode = 0;
  settings->ShowModal();
}

void TFrmConfig::PlayMusic(bool on) {
  if (FrmStart) FrmStart->PlayMusic(MusicFile, on);
}

void TFrmConfig::RxSwitch1On(TObject*) {
  MusicOn = true;
  if (FlatComboBox1->GetText().empty()) MusicFile = AppPath + L"sound\\乐曲01.mid";
  PlayMusic(MusicOn);
}

void TFrmConfig::RxSwitch1Off(TObject*) {
  MusicOn = false;
  PlayMusic(false);
}

void TFrmConfig::FlatComboBox1Change(TObject*) {
  if (FlatComboBox1->GetItemIndex() < 0) return;
  try {
    MusicFile = AppPath + L"sound\\" + Trim(FlatComboBox1->GetText()) + L".mid";
  } catch (const Exception&) {
    ShowDlg(L"提示", L"无法保存当前设置！", 1, 1, L"NO");
  }
  PlayMusic(RxSwitch1->GetStateOn());
}
