// The question-edit window.
#include "Utedit.h"

#include "PracticeCore.h"
#include "Responders.h"
#include "Ucommon.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "dm.h"

namespace {

// Law points a question can carry: the columns k3 to k12.
constexpr int kMaxQuestionLawPoints = 10;
constexpr int kFirstLawPointColumn = 3;
// Option counts a stored question may carry: one more than the box offers, for questions
// that come only from the bank.
constexpr int kMaxStoredOptions = 7;

// The small layout (800 × 600 screens); the stored layout is the large one.
const TControlPlace kSmallPlaces[] = {
    {L"Label1", 16, 12, 80, 12},         {L"RxDBRichEdit1", 16, 28, 520, 200},
    {L"Label2", 16, 236, 80, 12},        {L"RxDBRichEdit2", 16, 252, 520, 180},
    {L"Label3", 556, 32, 70, 12},        {L"SE_Num", 630, 28, 50, 21},
    {L"Label4", 556, 64, 70, 12},        {L"Edit1", 630, 60, 100, 20},
    {L"Label5", 556, 96, 70, 12},        {L"ComboBox1", 630, 92, 100, 20},
    {L"RxLabel4", 556, 128, 70, 12},     {L"BtnAddFg", 630, 122, 100, 26},
    {L"ListBox1", 556, 152, 112, 160},   {L"ListBox2", 672, 152, 58, 160},
    {L"SpeedButton4", 556, 330, 80, 28}, {L"SpeedButton3", 650, 330, 80, 28},
    {L"SpeedButton2", 556, 366, 80, 28},
};

bool Editing(TDataSet* data) { return data->GetState() == dsEdit || data->GetState() == dsInsert; }

}  // namespace

const TPropertyTable* TfrmTedit::PublishedProperties() {
  using P = TPublish<TfrmTedit>;
  using C = TfrmTedit;
  static const TPropertyTable table(
      {}, {P::Field(L"Image1", &C::Image1),             P::Field(L"Image2", &C::Image2),
           P::Field(L"Label1", &C::Label1),             P::Field(L"Label2", &C::Label2),
           P::Field(L"Label3", &C::Label3),             P::Field(L"Label4", &C::Label4),
           P::Field(L"Label5", &C::Label5),             P::Field(L"RxLabel4", &C::RxLabel4),
           P::Field(L"RxDBRichEdit1", &C::RxDBRichEdit1), P::Field(L"RxDBRichEdit2", &C::RxDBRichEdit2),
           P::Field(L"SE_Num", &C::SE_Num),             P::Field(L"Edit1", &C::Edit1),
           P::Field(L"ComboBox1", &C::ComboBox1),       P::Field(L"ListBox1", &C::ListBox1),
           P::Field(L"ListBox2", &C::ListBox2),         P::Field(L"BtnAddFg", &C::BtnAddFg),
           P::Field(L"SpeedButton2", &C::SpeedButton2), P::Field(L"SpeedButton3", &C::SpeedButton3),
           P::Field(L"SpeedButton4", &C::SpeedButton4)});
  return &table;
}

TfrmTedit::TfrmTedit(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
}

void TfrmTedit::RegisterHandlers() {
  using M = TPublishMethods<TfrmTedit>;
  RegisterMethods<TfrmTedit>({
      M::Handler(L"FormShow", &TfrmTedit::FormShow),
      M::Handler(L"FormClose", &TfrmTedit::FormClose),
      M::Handler(L"SaveClick", &TfrmTedit::SaveClick),
      M::Handler(L"CancelClick", &TfrmTedit::CancelClick),
      M::Handler(L"HelpClick", &TfrmTedit::HelpClick),
      M::Handler(L"BtnAddFgClick", &TfrmTedit::BtnAddFgClick),
      M::Handler(L"ComboBox1Change", &TfrmTedit::ComboBox1Change),
      M::Handler(L"ComboBox1DropDown", &TfrmTedit::ComboBox1DropDown),
      M::Handler(L"ComboBox1CloseUp", &TfrmTedit::ComboBox1CloseUp),
      M::Handler(L"ListBox1KeyDown", &TfrmTedit::ListBox1KeyDown),
  });
}

void TfrmTedit::FormShow(TObject*) {
  const bool small = ScreenMode == L"800";
  Image1->SetVisible(small);
  Image2->SetVisible(!small);
  if (small) {
    // Placed before the client shrinks, so that no control of the large layout adds a
    // scroll bar that would take its room.
    PlaceNamedControls(this, kSmallPlaces);
    SetClientWidth(750);
    SetClientHeight(446);
  }
  const bool lawPoints = LawPointMode == 1;
  RxLabel4->SetVisible(lawPoints);
  BtnAddFg->SetVisible(lawPoints);
  ListBox1->SetVisible(lawPoints);
  ListBox2->SetVisible(lawPoints);  // the points' article ids, beside their names
  LoadQuestion();
}

void TfrmTedit::LoadQuestion() {
  RxDBRichEdit1->SetDataSource(DM1->Cn1DS_nr);
  RxDBRichEdit1->SetDataField(L"a15");
  RxDBRichEdit2->SetDataSource(DM1->Cn1DS_nr);
  RxDBRichEdit2->SetDataField(L"jx");
  TADOQuery* tm = DM1->Cn1Query_tm;
  FStoredOptions = tm->FieldByName(L"a2_1")->GetAsInteger();
  SE_Num->SetValue(FStoredOptions);
  Edit1->SetText(tm->FieldByName(L"a2")->GetAsString());
  QuestionForm::LoadTypes(*ComboBox1, TypeList);
  const String type = Trim(tm->FieldByName(L"a13")->GetAsString());
  int index = -1;
  for (size_t i = 0; i < TypeList.size(); ++i)
    if (TypeList[i].Code == type) index = static_cast<int>(i);
  ComboBox1->SetItemIndex(index);
  if (index >= 0 && IsSelfAssessedTypeName(TypeList[index].Name)) ApplyTypeRule();
  FShownOptions = SE_Num->GetValue();

  ListBox1->GetItems()->Clear();
  ListBox2->GetItems()->Clear();
  TADOQuery lookup(nullptr);
  lookup.SetConnection(DM1->ADOCn1);
  for (int k = kFirstLawPointColumn; k < kFirstLawPointColumn + kMaxQuestionLawPoints; ++k) {
    const String article = Trim(tm->FieldByName(L"k" + IntToStr(k))->GetAsString());
    if (article.empty()) continue;
    lookup.GetSQL()->SetText(L"select r.sn, f.n from tab_rule r left join tab_fgmc f on f.id = r.id where r.ftid = " +
                             QuotedStr(article));
    lookup.Open();
    const String shown = lookup.GetEof() ? article
                                         : lookup.FieldByName(L"n")->GetAsString() + lookup.FieldByName(L"sn")->GetAsString();
    lookup.Close();
    ListBox2->GetItems()->Add(article);
    ListBox1->GetItems()->Add(shown);
  }
}

void TfrmTedit::ComboBox1Change(TObject*) { ApplyTypeRule(); }

void TfrmTedit::ComboBox1DropDown(TObject*) { TypeRuleUndo.Keep(*ComboBox1, *SE_Num, *Edit1); }

void TfrmTedit::ComboBox1CloseUp(TObject*) { TypeRuleUndo.RestoreIfUnchanged(*ComboBox1, *SE_Num, *Edit1); }

void TfrmTedit::ApplyTypeRule() {
  const int index = ComboBox1->GetItemIndex();
  const bool known = index >= 0 && index < static_cast<int>(TypeList.size());
  QuestionForm::ApplyTypeRule(*SE_Num, *Edit1, known ? TypeList[index].Name : String());
}

void TfrmTedit::HelpClick(TObject*) { QuestionForm::ShowLawPointHelp(); }

void TfrmTedit::BtnAddFgClick(TObject*) {
  QuestionForm::AddLawPoints(*ListBox1, *ListBox2, kMaxQuestionLawPoints,
                             L"试题对应知识点最多为10条！\r如果要去掉知识点，请选中要\r去掉的知识点，再按键盘上的\r[Delete]键！");
}

void TfrmTedit::ListBox1KeyDown(TObject*, WORD& key, TShiftState) { QuestionForm::DeleteLawPoint(*ListBox1, *ListBox2, key); }

void TfrmTedit::CancelClick(TObject*) { Close(); }

void TfrmTedit::SaveClick(TObject*) {
  if (Save()) Close();
}

void TfrmTedit::Refuse(const String& text, TWinControl* focus) {
  AppMessageBox(text, L"提示", MB_OK | MB_ICONINFORMATION);
  if (GetVisible() && focus->CanFocus()) focus->SetFocus();
}

bool TfrmTedit::Save() {
  // Every check comes before anything is posted.
  const int type = ComboBox1->GetItemIndex();
  if (type < 0 || type >= static_cast<int>(TypeList.size())) {
    Refuse(L"请选择题型！", ComboBox1);
    return false;
  }
  // Trimmed: a key with a trailing blank could never equal an answer read from the pads.
  const String key = Trim(Edit1->GetText());
  if (key.empty()) {
    Refuse(L"请填写试题答案！", Edit1);
    return false;
  }
  const TStrings* ids = ListBox2->GetItems();
  if (ids->GetCount() > kMaxQuestionLawPoints) return false;

  // A view whose field did not load shows a stand-in: it must not be written over the field.
  TADOQuery* nr = DM1->cn1query_nr;
  if (Editing(nr)) {
    if (!RxDBRichEdit1->GetMemoLoaded() || !RxDBRichEdit2->GetMemoLoaded())
      nr->Cancel();
    else
      nr->Post();  // the views write their rich text through their data links
  }
  // The box offers at most kOptionButtons; a stored count above that, which the box could
  // not show, stays as it was unless the count was changed.
  const int shown = SE_Num->GetValue();
  const bool storedKept = shown == FShownOptions && FStoredOptions > kOptionButtons && FStoredOptions <= kMaxStoredOptions;
  const int options = storedKept ? FStoredOptions : std::clamp(shown, 1, kOptionButtons);
  TADOQuery* tm = DM1->Cn1Query_tm;
  tm->Edit();
  try {
    tm->FieldByName(L"a2_1")->SetAsString(IntToStr(options));
    tm->FieldByName(L"a2")->SetAsString(key);
    tm->FieldByName(L"a13")->SetAsString(TypeList[type].Code);
    for (int i = 0; i < kMaxQuestionLawPoints; ++i)
      tm->FieldByName(L"k" + IntToStr(i + kFirstLawPointColumn))->SetAsString(i < ids->GetCount() ? ids->Get(i) : String());
    tm->FieldByName(L"ecount")->SetAsInteger(tm->FieldByName(L"ecount")->GetAsInteger() + 1);
    tm->Post();
  } catch (...) {
    if (Editing(tm)) tm->Cancel();
    throw;
  }
  FSaved = true;
  // Each listed article's count becomes the number of questions that list it.
  TADOQuery count(nullptr);
  count.SetConnection(DM1->ADOCn1);
  for (int i = 0; i < ids->GetCount(); ++i) {
    const String article = QuotedStr(ids->Get(i));
    count.GetSQL()->SetText(L"select count(*) as c from tab_answ where " + article +
                            L" in (k3,k4,k5,k6,k7,k8,k9,k10,k11,k12)");
    count.Open();
    const int c = count.FieldByName(L"c")->GetAsInteger();
    count.Close();
    DM1->ADOCn1->Execute(L"update tab_rule set q=" + IntToStr(c) + L" where ftid=" + article);
  }
  return true;
}

void TfrmTedit::FormClose(TObject*, TCloseAction&) {
  // Without a save nothing the views or the form changed stays in the shared queries.
  if (!FSaved) {
    if (Editing(DM1->cn1query_nr)) DM1->cn1query_nr->Cancel();
    if (Editing(DM1->Cn1Query_tm)) DM1->Cn1Query_tm->Cancel();
  }
  if (PracticeTimer) PracticeTimer->SetEnabled(true);
}
