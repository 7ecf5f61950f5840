// The subject and chapter chooser.
#include "Ukmmc.h"

#include <array>

#include "Responders.h"
#include "Uconfig.h"
#include "Ucommon.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "dm.h"

TFrmkmmc* Frmkmmc = nullptr;

namespace {

TPracticeWindowMaker PracticeMaker;
TEntryWindowMaker EntryMaker;

const TLocateOptions kCaseless{loCaseInsensitive};

// The columns every practice set reads, in the order the practice window expects them.
const wchar_t kPracticeColumns[] =
    L"a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,f1,xx,csbs,ecount from tab_answ";

// Places of the controls on an 800 × 600 screen; the stored layout is the 1024 × 768 one.
const TControlPlace kSmallScreenPlaces[] = {
    {L"Image1", 0, 0, 761, 460},        {L"DBGrid1", 8, 8, 739, 300},
    {L"Label1", 8, 328, 56, 14},        {L"epNum_all", 66, 320, 84, 28},
    {L"Label2", 170, 328, 56, 14},      {L"epNum_ok", 228, 320, 84, 28},
    {L"Label3", 332, 328, 56, 14},      {L"epNum_Err", 390, 320, 84, 28},
    {L"Label4", 494, 328, 56, 14},      {L"Lb_fs", 552, 328, 60, 14},
    {L"SpeedButton1", 8, 376, 100, 32}, {L"SpeedButton2", 116, 376, 100, 32},
    {L"SpeedButton3", 224, 376, 100, 32}, {L"SpeedButton5", 332, 376, 100, 32},
    {L"SpeedButton4", 440, 376, 100, 32}, {L"SpeedButton6", 647, 376, 100, 32},
};

// The small layout's picture, which the client area shows whole.
constexpr int kSmallPictureWidth = 761;
constexpr int kSmallPictureHeight = 460;
// On an 800-pixel screen a counter column is as wide as its four-character title.
constexpr int kNarrowCountWidth = 54;
// The number panels show five digits.
constexpr int kPanelDigits = 5;
// The question count shown is capped at this.
constexpr int kMaxQuestionCount = 10000;

}  // namespace

TPracticeWindowMaker SetPracticeWindowMaker(TPracticeWindowMaker maker) {
  return std::exchange(PracticeMaker, std::move(maker));
}

TEntryWindowMaker SetEntryWindowMaker(TEntryWindowMaker maker) {
  return std::exchange(EntryMaker, std::move(maker));
}

String PracticeQueryText(int mode, const String& chapterCode) {
  const String where =
      L"where (left(A10," + IntToStr(int64_t(chapterCode.size())) + L") = " + QuotedStr(chapterCode) + L") ";
  switch (mode) {
    case 1:
      return L"select a1 ," + String(kPracticeColumns) + L" " + where + L"and (E2 = '' or E2 is null) " +
             L" and (f1<>1) " + L" order by a13,a10,a1,xx";
    case 2:
      return L"select a1," + String(kPracticeColumns) + L"  " + where + L"and (E4 < 0) " + L" and (f1<>1)" +
             L" order by a13,a1,e3,e4,e1,xx";
    case 3:
      // Answered questions only: a cleared answer ('') counts as never answered.
      return L"select a1," + String(kPracticeColumns) + L" " + where + L"and (E2 <> '' and E2 is not null) " +
             L"order by a13,a1,e3,e4,e1,xx";
    default:
      return String();
  }
}

int NumPanelValue(int value, int digits) {
  int largest = 0;
  for (int i = 0; i < digits && i < 9; ++i) largest = largest * 10 + 9;
  return std::clamp(value, 0, largest);
}

// ---- TFrmkmmc -------------------------------------------------------------------------------------

const TPropertyTable* TFrmkmmc::PublishedProperties() {
  using P = TPublish<TFrmkmmc>;
  using C = TFrmkmmc;
  static const TPropertyTable table(
      {}, {P::Field(L"Image1", &C::Image1),         P::Field(L"Image11", &C::Image11),
           P::Field(L"DBGrid1", &C::DBGrid1),       P::Field(L"Label1", &C::Label1),
           P::Field(L"Label2", &C::Label2),         P::Field(L"Label3", &C::Label3),
           P::Field(L"Label4", &C::Label4),         P::Field(L"epNum_all", &C::epNum_all),
           P::Field(L"epNum_ok", &C::epNum_ok),     P::Field(L"epNum_Err", &C::epNum_Err),
           P::Field(L"Lb_fs", &C::Lb_fs),           P::Field(L"SpeedButton1", &C::SpeedButton1),
           P::Field(L"SpeedButton2", &C::SpeedButton2), P::Field(L"SpeedButton3", &C::SpeedButton3),
           P::Field(L"SpeedButton4", &C::SpeedButton4), P::Field(L"SpeedButton5", &C::SpeedButton5),
           P::Field(L"SpeedButton6", &C::SpeedButton6), P::Field(L"SpeedButton7", &C::SpeedButton7),
           P::Field(L"SpeedButton8", &C::SpeedButton8), P::Field(L"epEfButton1", &C::epEfButton1),
           P::Field(L"epEfButton2", &C::epEfButton2), P::Field(L"epEfButton3", &C::epEfButton3),
           P::Field(L"epEfButton4", &C::epEfButton4), P::Field(L"epEfButton5", &C::epEfButton5),
           P::Field(L"epEfButton6", &C::epEfButton6), P::Field(L"epEfRndBtn1", &C::epEfRndBtn1)});
  return &table;
}

TFrmkmmc::TFrmkmmc(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
}

void TFrmkmmc::RegisterHandlers() {
  using M = TPublishMethods<TFrmkmmc>;
  RegisterMethods<TFrmkmmc>({M::Handler(L"FormCreate", &TFrmkmmc::FormCreate),
                             M::Handler(L"FormShow", &TFrmkmmc::FormShow),
                             M::Handler(L"FormHide", &TFrmkmmc::FormHide),
                             M::Handler(L"FormCloseQuery", &TFrmkmmc::FormCloseQuery),
                             M::Handler(L"epEfButton1Click", &TFrmkmmc::epEfButton1Click),
                             M::Handler(L"epEfButton2Click", &TFrmkmmc::epEfButton2Click),
                             M::Handler(L"epEfButton3Click", &TFrmkmmc::epEfButton3Click),
                             M::Handler(L"DBGrid1DblClick", &TFrmkmmc::DBGrid1DblClick),
                             M::Handler(L"epEfButton5Click", &TFrmkmmc::epEfButton5Click),
                             M::Handler(L"epEfButton6Click", &TFrmkmmc::epEfButton6Click),
                             M::Handler(L"SpeedButton6Click", &TFrmkmmc::SpeedButton6Click),
                             M::Handler(L"epEfRndBtn1Click", &TFrmkmmc::epEfRndBtn1Click)});
}

void TFrmkmmc::FormCreate(TObject*) {
  epEfButton1->SetTag(1);
  epEfButton2->SetTag(2);
  epEfButton3->SetTag(3);
  DBGrid1->SetDataSource(DM1->Cn1DS_kmmc);
  DBGrid1->SetOnDrawColumnCell(
      [this](TObject* sender, TRect rect, int dataCol, TColumn* column, TGridDrawState state) {
        DrawChapterCell(sender, rect, dataCol, column, state);
      });
}

int ChapterLevel(const String& code, const std::set<String>& codes) {
  const String upper = UpperCase(code);
  int level = 0;
  for (size_t length = 1; length < upper.size(); ++length) level += codes.count(upper.substr(0, length)) != 0;
  return level;
}

void TFrmkmmc::ReadChapterCodes() {
  FChapterCodes.clear();
  TADOQuery query(nullptr);
  query.SetConnection(DM1->ADOCn1);
  query.GetSQL()->SetText(L"select C1 from tab_kmmc");
  query.Open();
  // Bounded by the rows of the table.
  while (!query.GetEof()) {
    FChapterCodes.insert(UpperCase(query.FieldByName(L"C1")->GetAsString()));
    query.Next();
  }
}

void TFrmkmmc::DrawChapterCell(TObject*, TRect rect, int, TColumn* column, TGridDrawState) {
  TField* field = column ? column->GetField() : nullptr;
  if (!field || !SameText(field->GetFieldName(), L"C2")) return;
  // The grid wrote the name at the cell's left; it is written again, indented one wide
  // space per level, so that a chapter and a sub-chapter of the same name read apart.
  TCanvas* canvas = DBGrid1->GetCanvas();
  const String code = DM1->Cn1Table_kmmc->FieldByName(L"C1")->GetAsString();
  const int indent = ChapterLevel(code, FChapterCodes) * canvas->TextWidth(L"\u3000");
  canvas->TextRect(rect, rect.Left + 2 + indent, rect.Top + 2, field->GetDisplayText());
}

void TFrmkmmc::PlaceControls() {
  const bool small = ScreenMode == L"800";
  Image1->SetVisible(small);
  Image11->SetVisible(!small);
  if (small) {
    // The client takes the picture's size once the controls are in place: sized first,
    // the large picture and controls would add scroll bars that take its room.
    PlaceNamedControls(this, kSmallScreenPlaces);
    SetClientWidth(kSmallPictureWidth);
    SetClientHeight(kSmallPictureHeight);
  }
  const bool narrow = Screen->GetWidth() == 800;
  TDBGridColumns* columns = DBGrid1->GetColumns();
  for (int i = 0; i < columns->GetCount(); ++i)
    columns->GetItem(i)->SetWidth(i == 0 ? (narrow ? 275 : 350) : (narrow ? kNarrowCountWidth : 63));
}

void TFrmkmmc::ShowTotals() {
  TADOQuery* query = DM1->Cn1Query1;
  query->Close();
  query->GetSQL()->SetText(
      L"select sum(C3) as count_c3,sum(D1) as count_d1,sum(D2) as count_d2 from tab_kmmc where len(c1)>2");
  query->Open();
  const int questions = query->FieldByName(L"count_c3")->GetAsInteger();
  const int answers = query->FieldByName(L"count_d1")->GetAsInteger();
  const int wrong = query->FieldByName(L"count_d2")->GetAsInteger();
  epNum_all->SetValue(NumPanelValue(std::min(questions, kMaxQuestionCount), kPanelDigits));
  epNum_ok->SetValue(NumPanelValue(answers, kPanelDigits));
  epNum_Err->SetValue(NumPanelValue(wrong, kPanelDigits));
  if (answers > 0) Lb_fs->SetCaption(AccuracyText(answers, wrong));
}

void TFrmkmmc::FormShow(TObject*) {
  ChooserShown = true;
  Screen->SetCursor(crHourGlass);
  try {
    TADOTable* chapters = DM1->Cn1Table_kmmc;
    // Reread when already open, so that counters another window wrote are shown.
    if (chapters->GetActive())
      chapters->Requery();
    else
      chapters->Open();
    chapters->First();
    chapters->SetFiltered(false);
    chapters->SetFilter(L"c1<>'xx'");
    PlaceControls();
    chapters->SetFiltered(true);
    ReadChapterCodes();
    ShowTotals();
    if (!FLastChapter.empty()) chapters->Locate(L"C1", Variant(FLastChapter), kCaseless);
  } catch (...) {
    Screen->SetCursor(crDefault);
    throw;
  }
  Screen->SetCursor(crDefault);
}

void TFrmkmmc::FormHide(TObject*) { ChooserShown = false; }

void TFrmkmmc::FormCloseQuery(TObject*, bool& canClose) {
  ChooserShown = false;
  DM1->Cn1Table_kmmc->Close();
  DM1->Cn1Query1->Close();
  canClose = true;
}

void TFrmkmmc::ShowEmptySetMessage(int mode) {
  if (mode == 1)
    ShowDlg(L"提示", L"恭喜，习题已做完！", 1, 0, L"NO");
  else if (mode == 2)
    ShowDlg(L"提示", L"本章节下没有错题！", 1, 1, L"NO");
  else
    ShowDlg(L"提示", L"本章节习题还未曾做过！", 1, 1, L"NO");
}

void TFrmkmmc::RunPractice(int mode, const String& caption) {
  // Whatever the practice window does, the chooser comes back with the normal cursor and
  // the window is freed; an error then goes on to the application's handler.
  std::unique_ptr<TChooserPractice> practice;
  auto restore = [&] {
    Screen->SetCursor(crDefault);
    practice.reset();
    if (!GetVisible()) Show();
  };
  Screen->SetCursor(crHourGlass);
  try {
    practice = PracticeMaker();
    if (practice) {
      practice->SetCaption(caption);
      if (practice->LoadQuestions()) {
        Hide();
        practice->ShowModal();
      } else {
        Screen->SetCursor(crDefault);
        ShowEmptySetMessage(mode);
      }
    }
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

void TFrmkmmc::epEfButton1Click(TObject* sender) {
  auto* component = dynamic_cast<TComponent*>(sender);
  if (!component) return;
  const int mode = static_cast<int>(component->GetTag());
  TADOTable* chapters = DM1->Cn1Table_kmmc;
  if (mode < 1 || mode > 3 || !chapters->GetActive() || chapters->IsEmpty()) return;
  const String code = chapters->FieldByName(L"C1")->GetAsString();
  // An empty code would select every question of the bank.
  if (code.empty()) return;
  FLastChapter = code;
  PracticeSQL = PracticeQueryText(mode, code);
  if (!PracticeMaker) return;
  // The speed buttons are captionless areas over the picture: the practice window then
  // takes the caption of the command button of the same mode.
  auto* control = dynamic_cast<TControl*>(sender);
  String caption = control ? control->GetCaption() : String();
  const std::array<TControl*, 3> commands{epEfButton1, epEfButton2, epEfButton3};
  if (caption.empty()) caption = commands[mode - 1]->GetCaption();
  RunPractice(mode, caption);
}

void TFrmkmmc::epEfButton2Click(TObject* sender) { epEfButton1Click(sender); }

void TFrmkmmc::epEfButton3Click(TObject* sender) { epEfButton1Click(sender); }

void TFrmkmmc::DBGrid1DblClick(TObject*) { epEfButton1Click(epEfButton1); }

// The settings window goes when it closes rather than staying hidden under the chooser until
// the chooser closes: a kept window per click would hold its windows for nothing.
void TFrmkmmc::epEfButton5Click(TObject*) { ShowMusicSettings(this); }

void TFrmkmmc::epEfButton6Click(TObject*) {
  TADOTable* chapters = DM1->Cn1Table_kmmc;
  if (!chapters->GetActive() || chapters->IsEmpty()) return;
  try {
    const String code = chapters->FieldByName(L"C1")->GetAsString();
    if (code.size() != 6) {
      AppMessageBox(L"请选择具体章节目录！", L"提示", MB_OK | MB_ICONINFORMATION);
      return;
    }
    if (!EntryMaker) return;
    std::unique_ptr<TChooserEntry> entry;
    std::exception_ptr failure;
    try {
      Screen->SetCursor(crHourGlass);
      entry = EntryMaker();
      Screen->SetCursor(crDefault);
      if (entry) {
        entry->Prepare(L"试题录入 [" + chapters->FieldByName(L"C2")->GetAsString() + L"]", code);
        entry->ShowModal();
      }
    } catch (...) {
      failure = std::current_exception();
    }
    Screen->SetCursor(crDefault);
    // The questions saved before a failure are in the bank: the counts show them.
    chapters->Requery();
    chapters->Locate(L"C1", Variant(code), kCaseless);
    if (entry)
      epNum_all->SetValue(NumPanelValue(epNum_all->GetValue() + entry->GetSavedCount(), kPanelDigits));
    entry.reset();
    if (failure) std::rethrow_exception(failure);
  } catch (...) {
    Screen->SetCursor(crDefault);
    AppMessageBox(L"录入试题后出现异常!", L"提示", MB_OK | MB_ICONEXCLAMATION);
  }
}

void TFrmkmmc::SpeedButton6Click(TObject*) { Close(); }

void TFrmkmmc::epEfRndBtn1Click(TObject*) { Close(); }
