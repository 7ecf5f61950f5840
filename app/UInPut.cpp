// The question-entry unit.
#include "UInPut.h"

#include <set>
#include "PracticeCore.h"
#include "Responders.h"
#include "Ucommon.h"
#include "Ukmmc.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "classlib/classes/Streams.h"
#include "classlib/system/SysFormat.h"
#include "dm.h"

namespace {

bool IsDigits(const String& s) {
  if (s.empty()) return false;
  for (wchar_t c : s)
    if (c < L'0' || c > L'9') return false;
  return true;
}

// ('a','b',...) of the values, each quoted.
String QuotedList(const std::set<String>& values) {
  String list;
  for (const String& v : values) list += (list.empty() ? L"" : L",") + QuotedStr(v);
  return L"(" + list + L")";
}

}  // namespace

int NextUserSerial(TADOConnection& cn) {
  TADOQuery query(nullptr);
  query.SetConnection(&cn);
  query.GetSQL()->SetText(L"select a1 from tab_answ where Left(a1,1) = 'U'");
  query.Open();
  int largest = 0;
  // Bounded by the rows of the table.
  while (!query.GetEof()) {
    const String id = query.FieldByName(L"a1")->GetAsString();
    if (id.size() >= 5) {
      const String tail = id.substr(id.size() - 4);
      if (IsDigits(tail)) largest = std::max(largest, std::stoi(tail));
    }
    query.Next();
  }
  query.Close();
  return largest + 1;
}

String UserQuestionId(int optionCount, const String& typeCode, const String& chapterCode, int serial) {
  wchar_t digits[8];
  swprintf(digits, 8, L"%04d", serial);
  return L"U" + IntToStr(optionCount) + typeCode + chapterCode + digits;
}

bool IsSelfAssessedTypeName(const String& typeName) {
  String name = Trim(typeName);
  if (!name.empty() && name.back() == L'题') name.pop_back();
  return name == L"简答" || name == L"综合" || name == L"计算";
}

void InsertUserQuestion(TADOConnection& cn, const TNewQuestion& q, const String& id) {
  String columns = L"(a1,a2,a2_1,a10,a13";
  String values = L" values (" + QuotedStr(id) + L"," + QuotedStr(Trim(q.Key)) + L"," +
                  QuotedStr(IntToStr(q.OptionCount)) + L"," + QuotedStr(q.ChapterCode) + L"," +
                  QuotedStr(q.TypeCode);
  std::set<String> articles, laws, groups;
  for (size_t i = 0; i < q.LawPointIds.size(); ++i) {
    const String& article = q.LawPointIds[i];
    columns += L",k" + IntToStr(int64_t(i + 3));
    values += L"," + QuotedStr(article);
    articles.insert(article);
    laws.insert(article.substr(0, 4));
    groups.insert(article.substr(0, 1));
  }
  columns += L",f1)";
  values += L",2)";
  const bool hasExplanation = !q.ExplanationRtf.empty();

  cn.BeginTrans();
  try {
    cn.Execute(L"insert into tab_answ " + columns + values);
    TADOQuery text(nullptr);
    text.SetConnection(&cn);
    text.GetSQL()->SetText(L"insert into tab_exer (a1,a15" + String(hasExplanation ? L",jx" : L"") +
                           L") values(" + QuotedStr(id) + L",:A15" + String(hasExplanation ? L",:jx" : L"") + L")");
    text.ParamByName(L"A15")->SetValue(Variant(TBytes(q.StemRtf.begin(), q.StemRtf.end())));
    if (hasExplanation) {
      text.ParamByName(L"jx")->SetValue(Variant(TBytes(q.ExplanationRtf.begin(), q.ExplanationRtf.end())));
    }
    text.ExecSQL();
    // Every node counts the questions below it: the chapter and each row whose code is a
    // prefix of the chapter's, the subject included.
    std::set<String> nodes;
    for (size_t length = 1; length <= q.ChapterCode.size(); ++length) nodes.insert(q.ChapterCode.substr(0, length));
    cn.Execute(L"update tab_kmmc set c3=c3+1 where C1 in " + QuotedList(nodes));
    if (!laws.empty()) {
      cn.Execute(L"update tab_rule set q=q+1 where ftid in " + QuotedList(articles));
      cn.Execute(L"update tab_fgmc set q=q+1 where id in " + QuotedList(laws));
      cn.Execute(L"update tab_fgmc set q=q+1 where id in " + QuotedList(groups));
    }
    cn.CommitTrans();
  } catch (...) {
    cn.RollbackTrans();
    throw;
  }
}

// ---- The entry window ------------------------------------------------------------------------

namespace {

TLawPointPicker LawPointPicker;

// The rich text of a view as it saves it: a stream of its own, so nothing of another view's
// text can trail it.
std::string RichTextOf(TRxRichEdit& view) {
  TStringStream stream;
  view.GetRichLines()->SaveToStream(stream);
  return stream.GetBytes();
}

// Places of the controls in the large layout (screens other than 800 pixels wide).
const TControlPlace kLargePlaces[] = {
    {L"Lb_cap", 56, 40, 400, 14},      {L"Label1", 56, 80, 80, 12},       {L"Re1", 56, 97, 567, 223},
    {L"Label2", 56, 326, 80, 12},      {L"Re2", 56, 340, 567, 222},       {L"Label3", 650, 100, 84, 12},
    {L"SE_Num", 740, 96, 50, 21},      {L"Label4", 650, 136, 84, 12},     {L"Edit1", 740, 132, 120, 20},
    {L"Label5", 650, 172, 84, 12},     {L"ComboBox1", 740, 168, 120, 20}, {L"Label6", 650, 208, 84, 12},
    {L"BtnAddFg", 740, 202, 120, 28},  {L"ListBox1", 650, 236, 210, 120}, {L"SpeedButton4", 650, 420, 100, 32},
    {L"SpeedButton3", 760, 420, 100, 32}, {L"SpeedButton2", 650, 462, 100, 32},
    {L"SpeedButton1", 760, 462, 100, 32}, {L"SpeedButton7", 650, 504, 100, 32},
};

// With the law-point row shown, the three input rows sit higher (small layout).
const TControlPlace kSmallLawPointPlaces[] = {
    {L"Label3", 576, 40, 84, 12},  {L"SE_Num", 664, 36, 50, 21}, {L"Label4", 576, 68, 84, 12},
    {L"Edit1", 664, 64, 80, 20},   {L"Label5", 576, 96, 84, 12}, {L"ComboBox1", 652, 92, 100, 20},
    {L"Label6", 576, 128, 84, 12}, {L"BtnAddFg", 664, 122, 80, 28}, {L"ListBox1", 576, 156, 168, 160},
};
const TControlPlace kLargeLawPointPlaces[] = {
    {L"Label3", 650, 80, 84, 12},   {L"SE_Num", 740, 76, 50, 21},    {L"Label4", 650, 112, 84, 12},
    {L"Edit1", 740, 108, 120, 20},  {L"Label5", 650, 144, 84, 12},   {L"ComboBox1", 740, 140, 120, 20},
    {L"Label6", 650, 180, 84, 12},  {L"BtnAddFg", 740, 174, 120, 28}, {L"ListBox1", 650, 210, 210, 190},
};

// The most law points a question carries on entry.
constexpr int kMaxLawPoints = 7;

}  // namespace

TLawPointPicker SetLawPointPicker(TLawPointPicker picker) { return std::exchange(LawPointPicker, std::move(picker)); }

void QuestionForm::LoadTypes(TComboBox& combo, std::vector<TQuestionType>& types) {
  combo.GetItems()->Clear();
  types.clear();
  TADOQuery query(nullptr);
  query.SetConnection(DM1->ADOCn1);
  query.GetSQL()->SetText(L"select A1,B1 from tab_tx order by A1");
  query.Open();
  // Bounded by the rows of the table.
  while (!query.GetEof()) {
    types.push_back({query.FieldByName(L"A1")->GetAsString(), query.FieldByName(L"B1")->GetAsString()});
    combo.GetItems()->Add(types.back().Name);
    query.Next();
  }
  query.Close();
}

void QuestionForm::ApplyTypeRule(TSpinEdit& options, TEdit& key, const String& typeName) {
  options.SetEnabled(true);
  key.SetEnabled(true);
  if (!IsSelfAssessedTypeName(typeName)) return;
  options.SetValue(1);
  options.SetEnabled(false);
  key.SetText(L"1");
  key.SetEnabled(false);
}

void QuestionForm::TTypeRuleUndo::Keep(TComboBox& types, TSpinEdit& options, TEdit& key) {
  FTypeIndex = types.GetItemIndex();
  FOptions = options.GetValue();
  FOptionsEnabled = options.GetEnabled();
  FKey = key.GetText();
  FKeyEnabled = key.GetEnabled();
}

void QuestionForm::TTypeRuleUndo::RestoreIfUnchanged(TComboBox& types, TSpinEdit& options, TEdit& key) const {
  if (FTypeIndex == -2 || types.GetItemIndex() != FTypeIndex) return;
  options.SetValue(FOptions);
  options.SetEnabled(FOptionsEnabled);
  key.SetText(FKey);
  key.SetEnabled(FKeyEnabled);
}

void QuestionForm::AddLawPoints(TListBox& shown, TListBox& ids, int limit, const String& limitMessage) {
  if (shown.GetItems()->GetCount() >= limit) {
    AppMessageBox(limitMessage, L"提示", MB_OK | MB_ICONINFORMATION);
    return;
  }
  if (!LawPointPicker) return;
  LawPointCount = shown.GetItems()->GetCount();
  // The picker refuses a choice past its limit; the count is checked again all the same.
  for (const TLawPoint& point : LawPointPicker(0)) {
    if (shown.GetItems()->GetCount() >= limit) break;
    ids.GetItems()->Add(point.ArticleId);
    shown.GetItems()->Add(point.Caption);
  }
}

void QuestionForm::DeleteLawPoint(TListBox& shown, TListBox& ids, WORD key) {
  if (key != VK_DELETE) return;
  const int index = shown.GetItemIndex();
  if (index < 0 || index >= shown.GetItems()->GetCount()) return;
  shown.GetItems()->Delete(index);
  if (index < ids.GetItems()->GetCount()) ids.GetItems()->Delete(index);
}

void QuestionForm::ShowLawPointHelp() {
  if (LawPointPicker) LawPointPicker(1);
}

const TPropertyTable* TFrmInPut::PublishedProperties() {
  using P = TPublish<TFrmInPut>;
  using C = TFrmInPut;
  static const TPropertyTable table(
      {}, {P::Field(L"Image1", &C::Image1),           P::Field(L"Image2", &C::Image2),
           P::Field(L"Lb_cap", &C::Lb_cap),           P::Field(L"Label1", &C::Label1),
           P::Field(L"Label2", &C::Label2),           P::Field(L"Label3", &C::Label3),
           P::Field(L"Label4", &C::Label4),           P::Field(L"Label5", &C::Label5),
           P::Field(L"Label6", &C::Label6),           P::Field(L"Re1", &C::Re1),
           P::Field(L"Re2", &C::Re2),                 P::Field(L"SE_Num", &C::SE_Num),
           P::Field(L"Edit1", &C::Edit1),             P::Field(L"ComboBox1", &C::ComboBox1),
           P::Field(L"ListBox1", &C::ListBox1),       P::Field(L"ListBox2", &C::ListBox2),
           P::Field(L"BtnAddFg", &C::BtnAddFg),       P::Field(L"SpeedButton1", &C::SpeedButton1),
           P::Field(L"SpeedButton2", &C::SpeedButton2), P::Field(L"SpeedButton3", &C::SpeedButton3),
           P::Field(L"SpeedButton4", &C::SpeedButton4), P::Field(L"SpeedButton6", &C::SpeedButton6),
           P::Field(L"SpeedButton7", &C::SpeedButton7), P::Field(L"epBtn_Save", &C::epBtn_Save),
           P::Field(L"epBtn_Clear", &C::epBtn_Clear), P::Field(L"epBtn_help", &C::epBtn_help),
           P::Field(L"epBtn_Config", &C::epBtn_Config), P::Field(L"epBtn_Close", &C::epBtn_Close)});
  return &table;
}

TFrmInPut::TFrmInPut(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
  SE_Num->SetText(L"5");
  LoadTypes();
  SavedCount = 0;
}

void TFrmInPut::RegisterHandlers() {
  using M = TPublishMethods<TFrmInPut>;
  RegisterMethods<TFrmInPut>({
      M::Handler(L"FormShow", &TFrmInPut::FormShow),
      M::Handler(L"SaveClick", &TFrmInPut::SaveClick),
      M::Handler(L"ClearClick", &TFrmInPut::ClearClick),
      M::Handler(L"HelpClick", &TFrmInPut::HelpClick),
      M::Handler(L"ConfigClick", &TFrmInPut::ConfigClick),
      M::Handler(L"CloseClick", &TFrmInPut::CloseClick),
      M::Handler(L"BtnAddFgClick", &TFrmInPut::BtnAddFgClick),
      M::Handler(L"ComboBox1Change", &TFrmInPut::ComboBox1Change),
      M::Handler(L"ComboBox1DropDown", &TFrmInPut::ComboBox1DropDown),
      M::Handler(L"ComboBox1CloseUp", &TFrmInPut::ComboBox1CloseUp),
      M::Handler(L"ListBox1KeyDown", &TFrmInPut::ListBox1KeyDown),
  });
}

void TFrmInPut::LoadTypes() {
  QuestionForm::LoadTypes(*ComboBox1, TypeList);
  SelectType(TypeList.empty() ? -1 : 0);
}

void TFrmInPut::FormShow(TObject*) { PlaceControls(); }

void TFrmInPut::PlaceControls() {
  const bool small = ScreenMode == L"800";
  Image1->SetVisible(small);
  Image2->SetVisible(!small);
  if (!small) {
    SetClientWidth(931);
    SetClientHeight(609);
    PlaceNamedControls(this, kLargePlaces);
  }
  const bool lawPoints = LawPointMode == 1;
  Label6->SetVisible(lawPoints);
  BtnAddFg->SetVisible(lawPoints);
  ListBox1->SetVisible(lawPoints);
  if (lawPoints) {
    if (small)
      PlaceNamedControls(this, kSmallLawPointPlaces);
    else
      PlaceNamedControls(this, kLargeLawPointPlaces);
  }
}

void TFrmInPut::SelectType(int index) {
  ComboBox1->SetItemIndex(index);
  ApplyTypeRule();
}

void TFrmInPut::ComboBox1Change(TObject*) { ApplyTypeRule(); }

void TFrmInPut::ComboBox1DropDown(TObject*) { TypeRuleUndo.Keep(*ComboBox1, *SE_Num, *Edit1); }

void TFrmInPut::ComboBox1CloseUp(TObject*) { TypeRuleUndo.RestoreIfUnchanged(*ComboBox1, *SE_Num, *Edit1); }

void TFrmInPut::ApplyTypeRule() {
  const int index = ComboBox1->GetItemIndex();
  const bool known = index >= 0 && index < static_cast<int>(TypeList.size());
  QuestionForm::ApplyTypeRule(*SE_Num, *Edit1, known ? TypeList[index].Name : String());
}

void TFrmInPut::ClearClick(TObject*) {
  Re1->Clear();
  Re2->Clear();
  Edit1->SetText(L"");
  ListBox1->GetItems()->Clear();
  ListBox2->GetItems()->Clear();
  if (!TypeList.empty()) SelectType(0);
}

void TFrmInPut::HelpClick(TObject*) { QuestionForm::ShowLawPointHelp(); }

void TFrmInPut::ConfigClick(TObject*) { ShowMusicSettings(this); }

void TFrmInPut::CloseClick(TObject*) {
  SE_Num->SetEnabled(true);
  Edit1->SetEnabled(true);
  Close();
}

void TFrmInPut::BtnAddFgClick(TObject*) {
  QuestionForm::AddLawPoints(*ListBox1, *ListBox2, kMaxLawPoints,
                             L"试题对应考点最多为7条！\r如果要去掉考点，请选中要\r去掉的考点，再按键盘上的\r[Delete]键！");
}

void TFrmInPut::ListBox1KeyDown(TObject*, WORD& key, TShiftState) { QuestionForm::DeleteLawPoint(*ListBox1, *ListBox2, key); }

void TFrmInPut::SaveClick(TObject*) { Save(); }

void TFrmInPut::Refuse(const String& text, TWinControl* focus) {
  AppMessageBox(text, L"提示", MB_OK | MB_ICONINFORMATION);
  if (GetVisible() && focus->CanFocus()) focus->SetFocus();
}

bool TFrmInPut::Save() {
  if (Trim(Re1->GetText()).empty()) {
    Refuse(L"请填写试题内容！", Re1);
    return false;
  }
  if (Trim(Edit1->GetText()).empty()) {
    Refuse(L"请填写试题答案！", Edit1);
    return false;
  }
  const int type = ComboBox1->GetItemIndex();
  if (type < 0 || type >= static_cast<int>(TypeList.size())) {
    Refuse(L"请选择题型！", ComboBox1);
    return false;
  }
  // An error reading the serials is not the save's: it goes to the application's handler.
  const int serial = NextUserSerial(*DM1->ADOCn1);
  if (serial > kMaxUserSerial) {
    AppMessageBox(L"最多只能录入9999道题！", L"提示", MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  TNewQuestion question;
  question.ChapterCode = ChapterCode;
  question.OptionCount = std::clamp(SE_Num->GetValue(), 1, kOptionButtons);
  SE_Num->SetValue(question.OptionCount);  // the box shows what is saved
  question.TypeCode = TypeList[type].Code;
  question.Key = Trim(Edit1->GetText());
  question.StemRtf = RichTextOf(*Re1);
  if (!Trim(Re2->GetText()).empty()) question.ExplanationRtf = RichTextOf(*Re2);
  const TStrings* ids = ListBox2->GetItems();
  for (int i = 0; i < ids->GetCount(); ++i) question.LawPointIds.push_back(ids->Get(i));
  try {
    InsertUserQuestion(*DM1->ADOCn1, question,
                       UserQuestionId(question.OptionCount, question.TypeCode, ChapterCode, serial));
  } catch (const std::exception&) {
    AppMessageBox(L"保存试题出现错误！", L"提示", MB_OK | MB_ICONINFORMATION);
    return false;
  }
  ClearClick(nullptr);
  ++SavedCount;
  return true;
}

// ---- The chooser's entry window ----------------------------------------------------------------

namespace {

class TEntryWindow : public TChooserEntry {
 public:
  TEntryWindow() : FWindow(TCustomForm::Create<TFrmInPut>(Application)) {}
  void Prepare(const String& heading, const String& chapterCode) override {
    FWindow->Lb_cap->SetCaption(heading);
    FWindow->ChapterCode = chapterCode;
  }
  void ShowModal() override { FWindow->ShowModal(); }
  int GetSavedCount() const override { return FWindow->SavedCount; }

 private:
  std::unique_ptr<TFrmInPut> FWindow;
};

}  // namespace

void InstallEntryWindow() {
  SetEntryWindowMaker([] { return std::make_unique<TEntryWindow>(); });
}
