// The settings window.
#include "Uconfig.h"

#include <algorithm>
#include <memory>

#include "Ucommon.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "dm.h"
#include "start.h"

TFrmConfig* FrmConfig = nullptr;

namespace {

const wchar_t kEditName[] = L"Currencyedit";
// The window's height on the answer-time page and on the music page.
constexpr int kAnswerTimesHeight = 170, kMusicHeight = 100;
// Where a row's type name, number edit and unit stand in the scroll box.
constexpr int kRowNameLeft = 16, kRowEditLeft = 100, kRowEditWidth = 40, kRowUnitOffset = 50;
// The room between a type name and its number edit: what a five-character name has at the
// places above. A longer name moves the edits and units right.
constexpr int kNameGap = 14;

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
  // The heading stands clear of the frame, in line with the rows' type names (the box has a
  // sunken edge).
  const int boxEdge = ::GetSystemMetrics(SM_CXEDGE);
  Label4->SetBounds(ScrollBox1->GetLeft() + boxEdge + kRowNameLeft, 7, Label4->GetWidth(), Label4->GetHeight());
  epFocusButton3->SetTop(137);
  epFocusButton3->SetLeft(280);
  FrameAnswerTimes();
}

void TFrmConfig::FrameAnswerTimes() {
  // The outer frame holds the whole page, as far in from the window's edges as on the music
  // page; the inner one shares its top and sides and closes between the list and the close
  // button, so that a line parts the two.
  const int margin = epBevel1->GetTop();
  const int width = epBevel1->GetWidth();
  epBevel1->SetBounds(margin, margin, width, kAnswerTimesHeight - 2 * margin);
  const int listBottom = ScrollBox1->GetTop() + ScrollBox1->GetHeight();
  const int gap = (epFocusButton3->GetTop() - listBottom - 1) / 2;
  epBevel3->SetBounds(margin, margin, width, listBottom + gap + 1 - margin);
}

TCurrencyEdit* TFrmConfig::RowEdit(int row) const {
  return dynamic_cast<TCurrencyEdit*>(FindComponent(kEditName + IntToStr(int64_t(row) + 1)));
}

void TFrmConfig::ClearRows() {
  for (const TAnswerTimeRow& row : FRows) {
    delete row.Edit;
    delete row.Name;
    delete row.Unit;
  }
  FRows.clear();
}

void TFrmConfig::BuildRows() {
  TADOTable* types = DM1->Cn1Table_tx;
  if (!types->GetActive()) types->Open();
  const int count = types->GetRecordCount();
  types->First();
  for (int i = 0; i < count && !types->GetEof(); ++i) {
    TAnswerTimeRow& row = FRows.emplace_back();
    row.Edit = new TCurrencyEdit(this);
    row.Edit->SetName(kEditName + IntToStr(int64_t(i) + 1));
    row.Edit->SetParent(ScrollBox1);
    row.Edit->SetParentFont(true);
    row.Edit->SetBounds(kRowEditLeft, i * 20 + 5, kRowEditWidth, 20);
    row.Edit->SetDisplayFormat(L"0.0");
    row.Edit->SetMinValue(0.1);
    row.Edit->SetMaxValue(30.0);
    row.Edit->SetValue(types->FieldByName(L"time")->GetAsFloat());
    row.Edit->SetTag(types->FieldByName(L"A1")->GetAsInteger());

    row.Name = new TLabel(this);
    row.Name->SetParent(ScrollBox1);
    row.Name->SetParentFont(true);
    row.Name->SetTransparent(true);
    row.Name->SetBounds(kRowNameLeft, i * 20 + 8, row.Name->GetWidth(), 25);
    row.Name->SetCaption(Trim(types->FieldByName(L"B1")->GetAsString()));

    row.Unit = new TLabel(this);
    row.Unit->SetParent(ScrollBox1);
    row.Unit->SetParentFont(true);
    row.Unit->SetTransparent(true);
    row.Unit->SetBounds(kRowEditLeft + kRowUnitOffset, i * 20 + 8, row.Unit->GetWidth(), 25);
    row.Unit->SetCaption(L"分钟");
    types->Next();
  }
  AlignRowsClearOfNames();
}

void TFrmConfig::AlignRowsClearOfNames() {
  int widest = 0;
  for (const TAnswerTimeRow& row : FRows) widest = std::max(widest, row.Name->GetWidth());
  int editLeft = std::max(kRowEditLeft, kRowNameLeft + widest + kNameGap);
  // However long a name, the unit stays inside the box, beside its scroll bar (the name is
  // cut short then).
  if (!FRows.empty()) {
    const int bar = ScrollBox1->GetVertScrollBar()->IsScrollBarVisible() ? 0 : ::GetSystemMetrics(SM_CXVSCROLL);
    const int room = ScrollBox1->GetClientWidth() - bar - kRowNameLeft - kRowUnitOffset - FRows.front().Unit->GetWidth();
    editLeft = std::max(kRowEditLeft, std::min(editLeft, room));
  }
  for (const TAnswerTimeRow& row : FRows) {
    row.Edit->SetLeft(editLeft);
    row.Unit->SetLeft(editLeft + kRowUnitOffset);
  }
}

void TFrmConfig::FormShow(TObject*) {
  // The stored layout holds the on state already: this fires nothing and starts no music.
  RxSwitch1->SetStateOn(true);
  ClearRows();
  if (ConfigMode == 1) {
    SetHeight(kAnswerTimesHeight);
    BuildRows();
  } else if (ConfigMode == 0) {
    SetHeight(kMusicHeight);
  }
}

void TFrmConfig::SaveAnswerTimes() {
  TADOTable* types = DM1->Cn1Table_tx;
  if (!types->GetActive()) types->Open();
  const int count = GetRowCount();
  TypeTimes.resize(static_cast<size_t>(count));
  TypeIds.resize(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
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
