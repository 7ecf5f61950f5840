// The mock-exam window.
#include "Uexam.h"

#include "ExamExport.h"
#include "ExamRules.h"
#include "MusicSettings.h"
#include "Responders.h"
#include "Ubj.h"
#include "Ucommon.h"
#include "Ujx.h"
#include "Uprogress.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "classlib/system/SysExceptions.h"
#include "controls/extended/DBRichEd.h"
#include "dm.h"

TFrmExam* FrmExam = nullptr;

namespace {

TField* Field(const wchar_t* name) { return DM1->Cn1Query_exam->FieldByName(name); }

void ProgressText(const String& text) {
  if (!FrmProgress) return;
  FrmProgress->Show();
  FrmProgress->Update();
  FrmProgress->Label1->SetCaption(text);
  Application->ProcessMessages();
}

void HideProgress() {
  if (FrmProgress) FrmProgress->Hide();
}

// The bounds of the 800 × 600 layout: (left, top, width, height) by component name.
struct TPlacement {
  const wchar_t* Name;
  int Left, Top, Width, Height;
};
const TPlacement kSmallLayout[] = {
    {L"Panel11", 0, 0, 769, 481},          {L"epLabel2", 24, 4, 585, 17},
    {L"Label3", 24, 24, 15, 14},           {L"Label5", 48, 24, 42, 14},
    {L"Label6", 104, 24, 15, 14},          {L"Label7", 128, 24, 145, 14},
    {L"Label1", 288, 24, 7, 14},           {L"DBText1", 488, 24, 113, 17},
    {L"Panel1", 1, 42, 600, 375},          {L"Re1", 1, 1, 598, 265},
    {L"FlatSplitter1", 1, 266, 598, 5},    {L"Re2", 1, 271, 598, 103},
    {L"Panel2", 4, 43, 226, 374},          {L"Lb_answtip", 1, 33, 588, 16},
    {L"Label2", 88, 80, 70, 14},           {L"Label21", 88, 152, 70, 14},
    {L"Memo1", 160, 80, 337, 57},          {L"Memo2", 160, 152, 337, 57},
    {L"Notebook1", 84, 425, 266, 46},      {L"fcBG_one", 24, 4, 240, 40},
    {L"epEfTrBtn1", 4, 431, 78, 32},       {L"epEfTrBtn2", 353, 432, 78, 32},
    {L"epEfTrBtn3", 449, 423, 75, 25},     {L"epEfTrBtn6", 524, 423, 75, 25},
    {L"epEfTrBtn10", 599, 423, 75, 25},    {L"epEfTrBtn5", 674, 423, 75, 25},
    {L"epEfTrBtn12", 449, 449, 100, 25},   {L"epEfTrBtn4", 549, 449, 100, 25},
    {L"epEfTrBtn7", 649, 449, 100, 25},    {L"GroupBox1", 605, 2, 153, 415},
    {L"epEfTrBtn8", 9, 15, 66, 25},        {L"epEfTrBtn11", 78, 15, 66, 25},
    {L"epEfTrBtn13", 44, 40, 66, 25},      {L"Notebook_Time", 16, 47, 121, 58},
    {L"epLb_time1", 5, 24, 114, 28},       {L"epBevel4", 0, 0, 121, 58},
    {L"Lb_cap2", 3, 8, 42, 14},            {L"epLb_time2", 38, 5, 76, 21},
    {L"Lb_zfs", 7, 35, 109, 19},
    // The pad leaves room below it for the group buttons, which page through longer papers.
    {L"fcBG_th", 10, 117, 131, 250},       {L"FlatSpeedButton1", 8, 372, 66, 20},
    {L"FlatSpeedButton2", 78, 372, 66, 20}, {L"Lb_zb", 8, 396, 136, 14},
    // The other option groups stand where the single-choice one does.
    {L"fcBG_many", 24, 4, 240, 40},        {L"fcBG_pw", 24, 4, 240, 40},
    {L"FlatEdit1", 8, 12, 250, 22},
};

}  // namespace

const TPropertyTable* TFrmExam::PublishedProperties() {
  using P = TPublish<TFrmExam>;
  using C = TFrmExam;
  static const TPropertyTable table(
      {}, {P::Field(L"Panel11", &C::Panel11),       P::Field(L"epLabel2", &C::epLabel2),
           P::Field(L"Label5", &C::Label5),         P::Field(L"Label7", &C::Label7),
           P::Field(L"Label1", &C::Label1),         P::Field(L"DBText1", &C::DBText1),
           P::Field(L"Panel1", &C::Panel1),         P::Field(L"Re1", &C::Re1),
           P::Field(L"FlatSplitter1", &C::FlatSplitter1), P::Field(L"Re2", &C::Re2),
           P::Field(L"Panel3", &C::Panel3),         P::Field(L"MediaPlayer1", &C::MediaPlayer1),
           P::Field(L"Panel2", &C::Panel2),         P::Field(L"Lb_answtip", &C::Lb_answtip),
           P::Field(L"Memo1", &C::Memo1),           P::Field(L"Memo2", &C::Memo2),
           P::Field(L"Notebook1", &C::Notebook1),   P::Field(L"fcBG_one", &C::fcBG_one),
           P::Field(L"fcBG_many", &C::fcBG_many),   P::Field(L"FlatEdit1", &C::FlatEdit1),
           P::Field(L"fcBG_yn", &C::fcBG_yn),       P::Field(L"FlatComboBox1", &C::FlatComboBox1),
           P::Field(L"fcBG_pw", &C::fcBG_pw),       P::Field(L"GroupBox1", &C::GroupBox1),
           P::Field(L"Notebook_Time", &C::Notebook_Time), P::Field(L"epLb_time1", &C::epLb_time1),
           P::Field(L"epLb_time2", &C::epLb_time2), P::Field(L"Lb_zfs", &C::Lb_zfs),
           P::Field(L"fcBG_th", &C::fcBG_th),       P::Field(L"FlatSpeedButton1", &C::FlatSpeedButton1),
           P::Field(L"FlatSpeedButton2", &C::FlatSpeedButton2), P::Field(L"Lb_zb", &C::Lb_zb),
           P::Field(L"KZTimeCounter1", &C::KZTimeCounter1), P::Field(L"epEfTrBtn1", &C::epEfTrBtn1),
           P::Field(L"epEfTrBtn2", &C::epEfTrBtn2), P::Field(L"epEfTrBtn3", &C::epEfTrBtn3),
           P::Field(L"epEfTrBtn4", &C::epEfTrBtn4), P::Field(L"epEfTrBtn5", &C::epEfTrBtn5),
           P::Field(L"epEfTrBtn6", &C::epEfTrBtn6), P::Field(L"epEfTrBtn7", &C::epEfTrBtn7),
           P::Field(L"epEfTrBtn8", &C::epEfTrBtn8), P::Field(L"epEfTrBtn9", &C::epEfTrBtn9),
           P::Field(L"epEfTrBtn10", &C::epEfTrBtn10), P::Field(L"epEfTrBtn11", &C::epEfTrBtn11),
           P::Field(L"epEfTrBtn12", &C::epEfTrBtn12), P::Field(L"epEfTrBtn13", &C::epEfTrBtn13),
           P::Field(L"epEfTrBtn14", &C::epEfTrBtn14)});
  return &table;
}

TFrmExam::TFrmExam(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
  FSession = std::make_unique<TPracticeSession>(*DM1, DM1->Cn1Query_exam);
  fcBG_th->OnChange = [this](TfcCustomButtonGroup*, TfcButtonGroupItem*, TfcButtonGroupItem* selected) {
    FNavigator->PadChanged(selected);
  };
  TNavigatorControls moves;
  moves.Pad = fcBG_th;
  moves.PreviousGroup = FlatSpeedButton1;
  moves.NextGroup = FlatSpeedButton2;
  moves.Previous = epEfTrBtn1;
  moves.Next = epEfTrBtn2;
  moves.GroupLine = Lb_zb;
  FNavigator = std::make_unique<TPracticeNavigator>(
      moves, *FSession,
      TNavigatorEvents{[this] {
                         SaveShown(true);
                         FPanel->CloseAtOnce();
                         DBText1->SetDataField(String());
                       },
                       [this](int recNo) { ShowQuestion(recNo); }},
      // The pad holds only the group's questions and names them by their numbers in the paper.
      TNavigatorStyle{TPadLook::Sitting, TPadDrawing{true, true}});
  FNavigator->Build(L"fcBG_thfcImageBtn");
  FPads = std::make_unique<TAnswerPadView>(TAnswerPadControls{Notebook1, fcBG_one, fcBG_many, FlatEdit1, fcBG_yn,
                                                              FlatComboBox1, fcBG_pw});
  FPads->BuildButtons();
  FPanel = std::make_unique<TAnswerPanel>(TAnswerPanelControls{Panel2, Panel1, epEfTrBtn6, Lb_answtip, Memo1, Memo2});
  FGroupStemHeight = Re2->GetHeight();
  FSplitterHeight = FlatSplitter1->GetHeight();
}

TFrmExam::~TFrmExam() = default;

void TFrmExam::RegisterHandlers() {
  using M = TPublishMethods<TFrmExam>;
  using C = TFrmExam;
  RegisterMethods<TFrmExam>(
      {M::Handler(L"FormShow", &C::FormShow), M::Handler(L"FormCloseQuery", &C::FormCloseQuery),
       M::Handler(L"FormKeyDown", &C::FormKeyDown), M::Handler(L"Notebook1MouseMove", &C::Notebook1MouseMove),
       M::Handler(L"FlatSpeedButton1Click", &C::FlatSpeedButton1Click),
       M::Handler(L"FlatSpeedButton2Click", &C::FlatSpeedButton2Click),
       M::Handler(L"epEfTrBtn1Click", &C::epEfTrBtn1Click), M::Handler(L"epEfTrBtn2Click", &C::epEfTrBtn2Click),
       M::Handler(L"epEfTrBtn3Click", &C::epEfTrBtn3Click), M::Handler(L"epEfTrBtn4Click", &C::epEfTrBtn4Click),
       M::Handler(L"epEfTrBtn5Click", &C::epEfTrBtn5Click), M::Handler(L"epEfTrBtn6Click", &C::epEfTrBtn6Click),
       M::Handler(L"epEfTrBtn8Click", &C::epEfTrBtn8Click), M::Handler(L"epEfTrBtn9Click", &C::epEfTrBtn9Click),
       M::Handler(L"epEfTrBtn10Click", &C::epEfTrBtn10Click),
       M::Handler(L"epEfTrBtn11Click", &C::epEfTrBtn11Click), M::Handler(L"epEfTrBtn12Click", &C::epEfTrBtn12Click),
       M::Handler(L"epEfTrBtn13Click", &C::epEfTrBtn13Click), M::Handler(L"epEfTrBtn14Click", &C::epEfTrBtn14Click),
       M::Handler(L"KZTimeCounter1Timer", &C::KZTimeCounter1Timer)});
}

// ---- Showing -----------------------------------------------------------------------------------

void TFrmExam::PlaceControls() {
  // The small screen's place is a fixed one: the layout's centring would move it after the
  // show handler.
  SetPosition(poDesigned);
  SetBounds(24, 76, 773, 478);
  for (const TPlacement& place : kSmallLayout)
    if (auto* control = dynamic_cast<TControl*>(FindComponent(place.Name)))
      control->SetBounds(place.Left, place.Top, place.Width, place.Height);
  // The message line's small place is 7 wide: it takes the width of its text, as a label
  // laid out for its caption does, or a void mark would show its first character only.
  Label1->SetAutoSize(true);
  FGroupStemHeight = Re2->GetHeight();
  FSplitterHeight = FlatSplitter1->GetHeight();
}

void TFrmExam::FormShow(TObject*) {
  if (FFirstShow && ScreenMode == L"800") PlaceControls();
  const bool firstShow = FFirstShow;
  FFirstShow = false;
  // Shown again after a grading error: the exam goes on as it stood.
  if (Sitting() && !firstShow) return;
  Screen->SetCursor(crHourGlass);
  epLabel2->SetCaption(FPaper.Title);
  SetLowerStemHeight(Re2, 0, Re1);
  FlatSplitter1->SetHeight(0);
  Panel3->SetVisible(false);
  FPanel->CloseAtOnce();
  if (Sitting())
    ShowAnswering();
  else
    ShowReview();
  FNavigator->Forget();
  FNavigator->ShowGroup(1);
  Screen->SetCursor(crDefault);
  if (Sitting()) {
    KZTimeCounter1->Reset();
    KZTimeCounter1->SetEnabled(true);
    KZTimeCounter1->Start();
  }
}

void TFrmExam::ShowAnswering() {
  SetCommandEnabled(epEfTrBtn3, true);
  for (TepEfTrBtn* button : {epEfTrBtn4, epEfTrBtn6, epEfTrBtn9, epEfTrBtn10}) SetCommandEnabled(button, false);
  FPads->SetEnabled(true);
  FNavigator->SetLook(TPadLook::Sitting);
  SetCaption(L"正在答卷");
  Notebook_Time->SetPageIndex(0);
  Notebook_Time->SetTop(66);
  Notebook_Time->SetHeight(39);
  epLb_time1->SetTop(6);
  epEfTrBtn13->SetVisible(true);
}

void TFrmExam::ShowReview() {
  SetCommandEnabled(epEfTrBtn3, false);
  SetCommandEnabled(epEfTrBtn7, true);
  for (TepEfTrBtn* button : {epEfTrBtn4, epEfTrBtn5, epEfTrBtn6}) button->SetVisible(true);
  epEfTrBtn13->SetVisible(false);
  SetCommandEnabled(epEfTrBtn10, true);
  FPads->SetEnabled(false);
  FNavigator->SetLook(TPadLook::Review);
  SetCaption(L"查阅试卷");
  Notebook_Time->SetPageIndex(1);
  epLb_time2->SetCaption(FPaper.Elapsed);
  Lb_zfs->SetCaption(ExamScoreText(FPaper.Score));
  Notebook_Time->SetTop(47);
  Notebook_Time->SetHeight(58);
  KZTimeCounter1->Reset();
  KZTimeCounter1->Stop();
  KZTimeCounter1->SetEnabled(false);
}

// ---- The moves ----------------------------------------------------------------------------------

void TFrmExam::FlatSpeedButton1Click(TObject*) { FNavigator->PreviousGroup(); }

void TFrmExam::FlatSpeedButton2Click(TObject*) { FNavigator->NextGroup(); }

void TFrmExam::epEfTrBtn1Click(TObject*) { FNavigator->Previous(); }

void TFrmExam::epEfTrBtn2Click(TObject*) { FNavigator->Next(); }

TfcImageBtn* TFrmExam::PadButton(int index) const { return FNavigator->Pad().Button(index); }

int TFrmExam::Shown() const { return FNavigator->Shown(); }

// ---- One question --------------------------------------------------------------------------------

void TFrmExam::ShowRecord(int recNo) { FNavigator->ShowRecord(recNo); }

void TFrmExam::ShowQuestion(int recNo) {
  Label5->SetCaption(IntToStr(recNo));
  FPads->ShowPageOf(Field(L"A13")->GetAsInteger());
  ShowAnswerPad();
  const String id = Field(L"A1")->GetAsString();
  ShowQuestionText(id);
  if (Sitting()) {
    Label1->SetCaption(String());
    epEfTrBtn12->SetCaption(L"本题作废");
    // Voiding waits for the review; the button wears the system's grey text meanwhile.
    epEfTrBtn12->SetEnabled(false);
    epEfTrBtn12->SetActiveTextColor(clGrayText);
    epEfTrBtn12->GetFont()->SetColor(clGrayText);
  } else {
    const TReviewVoidLook look = ReviewVoidLookOf(Field(L"F1")->GetAsInteger());
    Label1->SetCaption(look.Message);
    epEfTrBtn12->SetCaption(look.Button);
    SetCommandEnabled(epEfTrBtn12, true);
  }
  DBText1->SetDataSource(DM1->Cn1DS_exam);
  DBText1->SetDataField(L"a1");
  PlayPassageFile(MediaPlayer1, QuestionPassageFile(id));
}

void TFrmExam::ShowAnswerPad() {
  const int type = Field(L"A13")->GetAsInteger();
  TADOTable* types = DM1->Cn1Table_tx;
  if (!types->GetActive()) types->Open();
  if (types->Locate(L"A1", Variant(type), TLocateOptions{loCaseInsensitive}))
    Label7->SetCaption(ExamSectionTitle(types->FieldByName(L"B1")->GetAsString(),
                                        types->FieldByName(L"B3")->GetAsFloat(),
                                        types->FieldByName(L"B2")->GetAsInteger()));
  else
    Label7->SetCaption(String());
  if (!Sitting()) {
    SetCommandEnabled(epEfTrBtn6, !IsSelfAssessedType(type));
    SetCommandEnabled(epEfTrBtn4, !Field(L"jx")->GetIsNull());
    SetCommandEnabled(epEfTrBtn9, !Trim(Field(L"k3")->GetAsString()).empty());
  }
  epEfTrBtn5->SetCaption(Trim(Field(L"A14")->GetAsString()).empty() ? L"笔记" : L"有内容");
  FPads->Restore(Field(L"A2_1")->GetAsInteger(), Field(L"E2_1")->GetAsString());
}

void TFrmExam::ShowQuestionText(const String& id) {
  // A question without a text row keeps the text shown before.
  TADOQuery* check = DM1->Cn1Query1;
  check->Close();
  check->GetSQL()->SetText(L"select count(*) as n from tab_exer where A1=" + SqlQuoted(id));
  check->Open();
  const bool found = check->FieldByName(L"n")->GetAsInteger() > 0;
  check->Close();
  if (!found) {
    ShowDlg(L"错误", L"找不到该试题！", 1, 2, L"NO");
    return;
  }
  try {
    TADOQuery* text = DM1->cn1query_nr;
    text->Close();
    text->GetSQL()->SetText(L"select * from tab_exer where A1=" + SqlQuoted(id));
    text->Open();
    if (id.find(L'-') == String::npos) {
      SetLowerStemHeight(Re2, 0, Re1);
      FlatSplitter1->SetHeight(0);
      Panel3->SetVisible(false);
      Re2->SetDataField(String());
      Re1->SetDataSource(DM1->Cn1DS_nr);
      Re1->SetDataField(L"A15");
      return;
    }
    // A member of a question group: the group's stem above, the question's own below. The
    // lower view takes its laid-out height with a splitter, not a fixed 469 pixels, which at
    // 800 × 600 would cover the group's stem.
    SetLowerStemHeight(Re2, FGroupStemHeight, Re1);
    FlatSplitter1->SetHeight(FSplitterHeight);
    Panel3->SetVisible(true);
    TADOQuery* stem = DM1->Cn1Query2;
    stem->Close();
    stem->GetSQL()->SetText(L"select * from tab_title where A1=" + SqlQuoted(id.substr(0, 16)));
    stem->Open();
    Re1->SetDataSource(DM1->Cn1DS2);
    Re1->SetDataField(L"A15");
    Re2->SetDataSource(DM1->Cn1DS_nr);
    Re2->SetDataField(L"A15");
  } catch (const std::exception&) {
    ShowDlg(L"错误", L"无法打开试题！", 1, 2, L"NO");
  }
}

TAnswerPad TFrmExam::CurrentPad() const {
  const bool shown = Shown() > 0 && DM1->Cn1Query_exam->GetActive();
  return FPads->Current(shown ? Field(L"A2_1")->GetAsInteger() : 0);
}

void TFrmExam::SaveShown(bool padUpdate) {
  const int shown = Shown();
  if (!Sitting() || shown <= 0 || shown > FSession->Total()) return;
  TADOQuery* paper = DM1->Cn1Query_exam;
  paper->SetRecNo(shown);
  const String answer = ReadAnswer(CurrentPad());
  // The answer counters are the bank's: its row in the pool the paper was drawn from.
  TADOQuery* pool = DM1->Cn1Query_tm;
  TDataSet* bank = nullptr;
  if (pool->GetActive() &&
      pool->Locate(L"A1", Variant(Field(L"A1")->GetAsString()), TLocateOptions{loCaseInsensitive}))
    bank = pool;
  SaveExamAnswerRow(*DM1, paper, bank, answer);
  if (padUpdate) FNavigator->Mark(shown);
}

// ---- Hand-in -------------------------------------------------------------------------------------

void TFrmExam::epEfTrBtn3Click(TObject*) { HandIn(); }

void TFrmExam::HandIn() {
  if (!Sitting()) {
    if (FPaper.LowScore) DropPaper(FPaper.PaperTable);
    Leave();
    return;
  }
  if (FPaused) return;
  KZTimeCounter1->Stop();
  const String elapsed = KZTimeCounter1->GetElapsed();
  SaveShown(false);
  const int unanswered = FPaper.CountUnanswered();
  if (HandInStepOf(unanswered, FPaper.CountQuestions()) == THandInStep::Discard) {
    DropPaper(FPaper.PaperTable);
    Leave();
    return;
  }
  switch (ShowDlg(L"提示", HandInPrompt(unanswered), 2, 0, L"Exam")) {
    case 1: GradePaper(elapsed); break;
    case 2:  // 作废: the paper goes, the time spent on it counts
      DropPaper(FPaper.PaperTable);
      DM1->CloseSessionStats(elapsed);
      Leave();
      break;
    default:  // 取消, or the dialog closed: the exam goes on
      KZTimeCounter1->Start();
      break;
  }
}

void TFrmExam::GradePaper(const String& elapsed) {
  Hide();
  ProgressText(L"正在判卷...");
  try {
    FPaper.Grade(elapsed);
  } catch (const std::exception&) {
    // The paper is as it was: back to answering, the clock running on.
    HideProgress();
    ShowDlg(L"错误", L"发生错误！", 1, 2, L"NO");
    Show();
    KZTimeCounter1->Start();
    return;
  }
  try {
    DM1->CloseSessionStats(elapsed);
  } catch (...) {
    Application->HandleException(this);
  }
  FNavigator->Forget();
  const bool open = FPaper.OpenPaper();
  HideProgress();
  if (!open) {  // "无法打开试卷！" was said: nothing to review
    Leave();
    return;
  }
  Show();
}

// ---- Pause ---------------------------------------------------------------------------------------

void TFrmExam::epEfTrBtn13Click(TObject*) {
  if (Sitting()) SetPaused(!FPaused);
}

void TFrmExam::SetPaused(bool paused) {
  FPaused = paused;
  epEfTrBtn13->SetCaption(paused ? L"继续考试" : L"暂停考试");
  KZTimeCounter1->SetEnabled(!paused);
  if (paused)
    KZTimeCounter1->Stop();
  else
    KZTimeCounter1->Start();
  for (TepEfTrBtn* button : {epEfTrBtn3, epEfTrBtn5, epEfTrBtn7}) SetCommandEnabled(button, !paused);
  FPads->SetEnabled(!paused);
  FNavigator->SetLocked(paused);
}

void TFrmExam::KZTimeCounter1Timer(TObject*) { epLb_time1->SetCaption(KZTimeCounter1->GetElapsed()); }

// ---- Review --------------------------------------------------------------------------------------

void TFrmExam::epEfTrBtn6Click(TObject*) {
  if (Sitting() || Shown() <= 0 || FPanel->Sliding()) return;
  if (FPanel->IsOpen())
    FPanel->Slide();
  else
    FPanel->Open(CurrentPad(), Field(L"A2")->GetAsString());
}

void TFrmExam::epEfTrBtn12Click(TObject*) {
  if (Sitting() || Shown() <= 0) return;
  DM1->Cn1Query_exam->SetRecNo(Shown());
  const int voided = FPaper.ToggleQuestionVoid();
  if (voided < 0) return;
  const TReviewVoidLook look = VoidToggledLookOf(voided == 1);
  Label1->SetCaption(look.Message);
  epEfTrBtn12->SetCaption(look.Button);
}

void TFrmExam::epEfTrBtn4Click(TObject*) {
  if (Sitting() || Shown() <= 0) return;
  ShowExplanation(DM1->Cn1DS_exam, L"jx");
}

void TFrmExam::epEfTrBtn5Click(TObject*) {
  if (Shown() <= 0 || FPaused) return;
  DM1->Cn1Query_exam->SetRecNo(Shown());
  std::unique_ptr<TFrmBj> window(TCustomForm::Create<TFrmBj>(Application));
  FrmBj = window.get();
  window->Label1->SetCaption(L"ks");
  window->SetSource(DM1->Cn1DS_exam, L"A14");
  window->ShowModal();
  window.reset();
  FrmBj = nullptr;
  epEfTrBtn5->SetCaption(NotesSaved ? L"有内容" : L"笔记");
  // The paper may be dropped later; the note stays with the question.
  FPaper.CopyNoteToBank();
}

void TFrmExam::epEfTrBtn10Click(TObject*) {
  if (Sitting()) return;
  ProgressText(L"正在导出试卷，请等待...");
  ExportToWord(FPaper.PaperTable, epLabel2->GetCaption());
  HideProgress();
  if (Shown() > 0) DM1->Cn1Query_exam->SetRecNo(Shown());
}

// ---- Side commands and keys ----------------------------------------------------------------------

void TFrmExam::epEfTrBtn8Click(TObject*) { ShowMusicSettings(this); }

void TFrmExam::epEfTrBtn9Click(TObject*) {
  if (Shown() <= 0) return;
  DM1->Cn1Query_exam->SetRecNo(Shown());
  ShowLinkedArticles(Field(L"A1")->GetAsString());
}

void TFrmExam::epEfTrBtn11Click(TObject*) { SendKeyStrokes(ShowDesktopStrokes()); }

void TFrmExam::epEfTrBtn14Click(TObject*) {
  if (Shown() > 0) PlayPassageFile(MediaPlayer1, GroupPassageFile(Field(L"A1")->GetAsString()));
}

void TFrmExam::Notebook1MouseMove(TObject*, TShiftState, int, int) {
  FPads->ShowPageHint();
}

void TFrmExam::FormKeyDown(TObject*, WORD& key, TShiftState) {
  // Keys answer only while the exam is sat and running; in the review back-space and Enter
  // still move between the questions.
  if (Shown() <= 0 || FPaused) return;
  if (Sitting() || key == VK_BACK || key == VK_RETURN) FNavigator->HandleKey(*FPads, key);
}

void TFrmExam::CMDialogKey(TMessage& message) {
  if (!PreviewDialogKey(message, [this](WORD& key) { FormKeyDown(this, key, TShiftState()); }))
    inherited::CMDialogKey(message);
}

// ---- Closing ---------------------------------------------------------------------------------------

void TFrmExam::Leave() {
  FLeaving = true;
  Close();
}

void TFrmExam::FormCloseQuery(TObject*, bool& canClose) {
  // A close that did not come from the hand-in command (the system's close, WM_CLOSE) runs
  // it, as 关闭 does: a paper being sat is never left without the hand-in's question, and
  // the window closes only when that command closes it.
  if (!FLeaving && !FClosed) {
    if (FPaused) SetPaused(false);
    HandIn();
  }
  canClose = FLeaving;
  if (!canClose || FClosed) return;
  FClosed = true;
  Screen->SetCursor(crHourGlass);
  auto guarded = [this](const std::function<void()>& step) {
    try {
      step();
    } catch (...) {
      Application->HandleException(this);
    }
  };
  guarded([&] {
    KZTimeCounter1->Stop();
    KZTimeCounter1->SetEnabled(false);
    MediaPlayer1->Close();
  });
  Re1->SetDataField(String());
  Re2->SetDataField(String());
  DBText1->SetDataField(String());
  for (TDataSet* set : {static_cast<TDataSet*>(DM1->Cn1Query1), static_cast<TDataSet*>(DM1->Cn1Query2),
                        static_cast<TDataSet*>(DM1->Cn1Query_tm), static_cast<TDataSet*>(DM1->Cn1Table_cj),
                        static_cast<TDataSet*>(DM1->Cn1Table_tx), static_cast<TDataSet*>(DM1->Cn1Query_exam),
                        static_cast<TDataSet*>(DM1->Cn1Table_fgmc), static_cast<TDataSet*>(DM1->cn1query_nr)})
    guarded([&] { set->Close(); });
  FNavigator->Forget();
  Screen->SetCursor(crDefault);
}

// ---- Starting --------------------------------------------------------------------------------------

void StartMockExam(int subject) {
  Screen->SetCursor(crHourGlass);
  std::unique_ptr<TFrmExam> window;
  try {
    // The window comes first: when it cannot be made (a pad picture missing ends the
    // program), no record row and no empty paper are left behind.
    window.reset(TCustomForm::Create<TFrmExam>(Application));
    FrmExam = window.get();
    const bool open = PrepareMockExam(subject, window->Paper());
    Screen->SetCursor(crDefault);
    // The wait box goes once the exam window is there to take its place.
    HideProgress();
    if (open) window->ShowModal();
  } catch (...) {
    Screen->SetCursor(crDefault);
    FrmExam = nullptr;
    HideProgress();
    throw;
  }
  window.reset();
  FrmExam = nullptr;
  HideProgress();
}
