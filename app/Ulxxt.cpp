// The practice window.
#include "Ulxxt.h"

#include "MusicSettings.h"
#include "Responders.h"
#include "Ubj.h"
#include "Ucommon.h"
#include "Ujx.h"
#include "Ukmmc.h"
#include "Utedit.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "classlib/system/SysExceptions.h"
#include "classlib/system/SysFiles.h"
#include "dm.h"

TFrmLxxt* FrmLxxt = nullptr;

namespace {

// The chooser's view of the window.
class TPracticeWindow : public TChooserPractice {
 public:
  TPracticeWindow() : FWindow(TCustomForm::Create<TFrmLxxt>(Application)) { FrmLxxt = FWindow.get(); }
  ~TPracticeWindow() override { FrmLxxt = nullptr; }
  void SetCaption(const String& caption) override { FWindow->SetCaption(caption); }
  bool LoadQuestions() override { return FWindow->LoadQuestions(); }
  void ShowModal() override { FWindow->ShowModal(); }

 private:
  std::unique_ptr<TFrmLxxt> FWindow;
};

TField* Field(const wchar_t* name) { return DM1->Cn1Query_tm->FieldByName(name); }

// The small layout (800 × 600 screens); the stored layout is the large one. The type bar and
// the pad keep room for their pictures (96 × 26 and 36 × 36).
constexpr int kSmallWidth = 780, kSmallHeight = 490;
const TControlPlace kSmallScreenPlaces[] = {
    {L"epLabel2", 6, 8, 240, 16},          {L"epLabel1", 420, 8, 70, 16},
    {L"epIndiGauge1", 760, 60, 14, 342},    {L"RxGIFAnimator1", 736, 1, 40, 36},
    {L"fcBG_tx", 6, 40, 186, 140},         {L"fcBG_th", 6, 184, 186, 148},
    {L"Label1", 6, 340, 14, 14},           {L"Lb_zs", 22, 340, 30, 14},
    {L"Label2", 54, 340, 14, 14},          {L"Lb_ts", 72, 340, 40, 14},
    {L"Label3", 114, 340, 30, 14},         {L"Label4", 6, 360, 14, 14},
    {L"Lb_zb", 22, 360, 30, 14},           {L"Label6", 54, 360, 14, 14},
    {L"FlatSpeedButton1", 6, 382, 90, 24}, {L"FlatSpeedButton2", 102, 382, 90, 24},
    {L"Label10", 200, 42, 14, 14},         {L"Label12", 216, 42, 24, 14},
    {L"Label11", 242, 42, 14, 14},         {L"Label13", 262, 42, 28, 14},
    {L"Label15", 292, 42, 24, 14},         {L"Label14", 318, 42, 60, 14},
    {L"Label21", 390, 42, 220, 14},        {L"Label24", 614, 42, 160, 14},
    {L"DBText1", 720, 42, 50, 14},         {L"Panel1", 200, 60, 556, 280},
    {L"Notebook1", 200, 346, 556, 56},     {L"epEfTrBtn1", 200, 410, 75, 25},
    {L"epEfTrBtn2", 278, 410, 75, 25},     {L"epEfTrBtn3", 356, 410, 75, 25},
    {L"epEfTrBtn6", 434, 410, 75, 25},     {L"epEfTrBtn4", 512, 410, 75, 25},
    {L"epEfTrBtn5", 590, 410, 75, 25},     {L"epEfTrBtn10", 668, 410, 75, 25},
    {L"epEfTrBtn11", 200, 444, 75, 25},    {L"epEfTrBtn12", 278, 444, 75, 25},
    {L"Panel3", 352, 440, 90, 33},         {L"epEfTrBtn9", 434, 444, 75, 25},
    {L"epEfTrBtn8", 512, 444, 75, 25},     {L"epEfTrBtn7", 590, 444, 75, 25},
    {L"epEfTrBtn99", 668, 444, 75, 25},    {L"MediaPlayer1", 6, 440, 100, 30},
};

}  // namespace

void InstallPracticeWindow() {
  SetPracticeWindowMaker([] { return std::make_unique<TPracticeWindow>(); });
}

const TPropertyTable* TFrmLxxt::PublishedProperties() {
  using P = TPublish<TFrmLxxt>;
  using C = TFrmLxxt;
  static const TPropertyTable table(
      {}, {P::Field(L"fcBG_tx", &C::fcBG_tx),       P::Field(L"fcBG_th", &C::fcBG_th),
           P::Field(L"Lb_zs", &C::Lb_zs),           P::Field(L"Lb_ts", &C::Lb_ts),
           P::Field(L"Lb_zb", &C::Lb_zb),           P::Field(L"FlatSpeedButton1", &C::FlatSpeedButton1),
           P::Field(L"FlatSpeedButton2", &C::FlatSpeedButton2), P::Field(L"Label12", &C::Label12),
           P::Field(L"Label15", &C::Label15),       P::Field(L"Label21", &C::Label21),
           P::Field(L"Label24", &C::Label24),       P::Field(L"DBText1", &C::DBText1),
           P::Field(L"epLabel1", &C::epLabel1),     P::Field(L"epLabel2", &C::epLabel2),
           P::Field(L"Panel1", &C::Panel1),         P::Field(L"Re2", &C::Re2),
           P::Field(L"FlatSplitter1", &C::FlatSplitter1), P::Field(L"Re1", &C::Re1),
           P::Field(L"Panel2", &C::Panel2),         P::Field(L"Lb_answtip", &C::Lb_answtip),
           P::Field(L"Memo1", &C::Memo1),           P::Field(L"Memo2", &C::Memo2),
           P::Field(L"Notebook1", &C::Notebook1),   P::Field(L"fcBG_one", &C::fcBG_one),
           P::Field(L"fcBG_many", &C::fcBG_many),   P::Field(L"FlatEdit1", &C::FlatEdit1),
           P::Field(L"fcBG_yn", &C::fcBG_yn),       P::Field(L"FlatComboBox1", &C::FlatComboBox1),
           P::Field(L"Label20", &C::Label20),       P::Field(L"Label5", &C::Label5),
           P::Field(L"Label8", &C::Label8),         P::Field(L"fcBG_pw", &C::fcBG_pw),
           P::Field(L"epIndiGauge1", &C::epIndiGauge1), P::Field(L"Timer1", &C::Timer1),
           P::Field(L"KZTimeCounter1", &C::KZTimeCounter1), P::Field(L"MediaPlayer1", &C::MediaPlayer1),
           P::Field(L"Panel3", &C::Panel3),         P::Field(L"RxGIFAnimator1", &C::RxGIFAnimator1),
           P::Field(L"epEfTrBtn1", &C::epEfTrBtn1), P::Field(L"epEfTrBtn2", &C::epEfTrBtn2),
           P::Field(L"epEfTrBtn3", &C::epEfTrBtn3), P::Field(L"epEfTrBtn4", &C::epEfTrBtn4),
           P::Field(L"epEfTrBtn5", &C::epEfTrBtn5), P::Field(L"epEfTrBtn6", &C::epEfTrBtn6),
           P::Field(L"epEfTrBtn7", &C::epEfTrBtn7), P::Field(L"epEfTrBtn8", &C::epEfTrBtn8),
           P::Field(L"epEfTrBtn9", &C::epEfTrBtn9), P::Field(L"epEfTrBtn10", &C::epEfTrBtn10),
           P::Field(L"epEfTrBtn11", &C::epEfTrBtn11), P::Field(L"epEfTrBtn12", &C::epEfTrBtn12),
           P::Field(L"epEfTrBtn13", &C::epEfTrBtn13), P::Field(L"epEfTrBtn99", &C::epEfTrBtn99)});
  return &table;
}

TFrmLxxt::TFrmLxxt(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
  FLayoutHeadings = {Label20->GetVisible(), Label5->GetVisible(), Label8->GetVisible()};
  FSession = std::make_unique<TPracticeSession>(*DM1, DM1->Cn1Query_tm);
  FTypeBar = TTypeBar(fcBG_tx);
  FTimeLimit = TTimeLimit(epIndiGauge1, Timer1);
  fcBG_tx->OnChange = [this](TfcCustomButtonGroup*, TfcButtonGroupItem* previous, TfcButtonGroupItem* selected) {
    TypeChanged(selected, previous);
  };
  fcBG_th->OnChange = [this](TfcCustomButtonGroup*, TfcButtonGroupItem*, TfcButtonGroupItem* selected) {
    FNavigator->PadChanged(selected);
  };
  FNavigator = std::make_unique<TPracticeNavigator>(
      TNavigatorControls{fcBG_th, Lb_zs, Lb_ts, Lb_zb, FlatSpeedButton1, FlatSpeedButton2, epEfTrBtn1, epEfTrBtn2},
      *FSession,
      TNavigatorEvents{[this] {
                         SaveShown(0);
                         FPanel->CloseAtOnce();
                         Label24->SetCaption(String());
                         DBText1->SetDataField(String());
                       },
                       [this](int recNo) { ShowQuestion(recNo); }},
      TNavigatorStyle{TPadLook::Marks, TPadDrawing{}, true});
  FNavigator->Build(L"fcBG_thfcImageBtn");
  FPads = std::make_unique<TAnswerPadView>(TAnswerPadControls{Notebook1, fcBG_one, fcBG_many, FlatEdit1, fcBG_yn,
                                                              FlatComboBox1, fcBG_pw});
  FPads->BuildButtons();
  FPanel = std::make_unique<TAnswerPanel>(TAnswerPanelControls{Panel2, Panel1, epEfTrBtn6, Lb_answtip, Memo1, Memo2});
}

TFrmLxxt::~TFrmLxxt() = default;

void TFrmLxxt::RegisterHandlers() {
  using M = TPublishMethods<TFrmLxxt>;
  using C = TFrmLxxt;
  RegisterMethods<TFrmLxxt>(
      {M::Handler(L"FormShow", &C::FormShow), M::Handler(L"FormCloseQuery", &C::FormCloseQuery),
       M::Handler(L"FormKeyDown", &C::FormKeyDown), M::Handler(L"Notebook1MouseMove", &C::Notebook1MouseMove),
       M::Handler(L"FlatSpeedButton1Click", &C::FlatSpeedButton1Click),
       M::Handler(L"FlatSpeedButton2Click", &C::FlatSpeedButton2Click),
       M::Handler(L"epEfTrBtn1Click", &C::epEfTrBtn1Click), M::Handler(L"epEfTrBtn2Click", &C::epEfTrBtn2Click),
       M::Handler(L"epEfTrBtn3Click", &C::epEfTrBtn3Click), M::Handler(L"epEfTrBtn4Click", &C::epEfTrBtn4Click),
       M::Handler(L"epEfTrBtn5Click", &C::epEfTrBtn5Click), M::Handler(L"epEfTrBtn6Click", &C::epEfTrBtn6Click),
       M::Handler(L"epEfTrBtn7Click", &C::epEfTrBtn7Click), M::Handler(L"epEfTrBtn8Click", &C::epEfTrBtn8Click),
       M::Handler(L"epEfTrBtn10Click", &C::epEfTrBtn10Click), M::Handler(L"epEfTrBtn11Click", &C::epEfTrBtn11Click),
       M::Handler(L"epEfTrBtn12Click", &C::epEfTrBtn12Click), M::Handler(L"epEfTrBtn13Click", &C::epEfTrBtn13Click),
       M::Handler(L"epEfTrBtn99Click", &C::epEfTrBtn99Click), M::Handler(L"Timer1Timer", &C::Timer1Timer),
       M::Handler(L"KZTimeCounter1Timer", &C::KZTimeCounter1Timer)});
}

TfcCustomBitBtn* TFrmLxxt::PadButton(int index) const { return FNavigator->Pad().Button(index); }

// ---- Loading and the type bar ------------------------------------------------------------------

bool TFrmLxxt::LoadQuestions() {
  if (!FSession->Load(PracticeSQL)) return false;
  DM1->Cn1Query_tm->First();
  CurQuestionId = Field(L"a1")->GetAsString();
  FTypeBar.Build(*FSession);
  return true;
}

void TFrmLxxt::TypeChanged(TfcButtonGroupItem* selected, TfcButtonGroupItem* previous) {
  if (FTypeBar.Drawing() || !selected) return;
  SaveShown(2);
  FNavigator->Forget();
  const int code = static_cast<int>(selected->GetButton()->GetTag());
  // The types 20, 21 and 22 each show their own heading; every other keeps the layout's.
  const bool ownHeading = code >= 20 && code <= 22;
  Label20->SetVisible(ownHeading ? code == 20 : FLayoutHeadings[0]);
  Label5->SetVisible(ownHeading ? code == 21 : FLayoutHeadings[1]);
  Label8->SetVisible(ownHeading ? code == 22 : FLayoutHeadings[2]);
  if (FTypeBar.Choose(*FSession, selected, previous)) FNavigator->DrawGroup();
}

// ---- Showing a question ---------------------------------------------------------------------------

void TFrmLxxt::ShowRecord(int recNo) { FNavigator->ShowRecord(recNo); }

void TFrmLxxt::ShowQuestion(int recNo) {
  const TQuestionGroup& group = FSession->GetGroup();
  const String id = Field(L"a1")->GetAsString();
  TADOQuery* text = DM1->cn1query_nr;
  text->Close();
  text->GetSQL()->SetText(L"select * from tab_exer where a1 =" + SqlQuoted(id));
  text->Open();
  const int shown = Field(L"E3")->GetAsInteger();
  Label15->SetCaption(IntToStr(shown > 0 ? shown + 1 : 1));
  Label12->SetCaption(IntToStr(recNo - group.Start + 1));
  FPads->ShowPageOf(Field(L"A13")->GetAsInteger());
  PreparePad();
  SetLowerStemHeight(Re2, 0, Re1);
  FlatSplitter1->SetHeight(0);
  Re1->SetDataSource(DM1->Cn1DS_nr);
  Re1->SetDataField(L"A15");

  ShowQuestionStatus(Label21, epEfTrBtn10, Field(L"f1")->GetAsInteger());
  if (Field(L"ecount")->GetAsInteger() != 0) Label24->SetCaption(L"本题被您修改过");
  DBText1->SetDataSource(DM1->Cn1DS_tm);
  DBText1->SetDataField(L"a1");
  FTimeLimit.Start(Field(L"A13")->GetAsInteger(), !Field(L"E2_1")->GetAsString().empty());
  PlayPassage(QuestionPassageFile(id), id.size() > 16);
}

void TFrmLxxt::FlatSpeedButton1Click(TObject*) { FNavigator->PreviousGroup(); }

void TFrmLxxt::FlatSpeedButton2Click(TObject*) { FNavigator->NextGroup(); }

void TFrmLxxt::epEfTrBtn1Click(TObject*) { FNavigator->Previous(); }

void TFrmLxxt::epEfTrBtn2Click(TObject*) { FNavigator->Next(); }

// ---- Answers -------------------------------------------------------------------------------------

TAnswerPad TFrmLxxt::CurrentPad() const {
  const bool shown = FNavigator->Shown() > 0 && DM1->Cn1Query_tm->GetActive();
  return FPads->Current(shown ? Field(L"A2_1")->GetAsInteger() : 0);
}

void TFrmLxxt::PreparePad() {
  FPads->Restore(Field(L"A2_1")->GetAsInteger(), Field(L"E2_1")->GetAsString());
  SetAnswerButtons();
}

void TFrmLxxt::SetAnswerButtons() {
  TADOQuery* text = DM1->cn1query_nr;
  const bool hasExplanation =
      text->GetActive() && !text->IsEmpty() && !text->FieldByName(L"jx")->GetIsNull();
  const TAnswerButtons buttons =
      AnswerButtonsOf(Field(L"E2_1")->GetAsString(), hasExplanation, Field(L"k3")->GetAsString(),
                      Field(L"A13")->GetAsInteger(), Field(L"A14")->GetAsString());
  SetCommandEnabled(epEfTrBtn4, buttons.Explanation);
  SetCommandEnabled(epEfTrBtn9, false);
  SetCommandEnabled(epEfTrBtn6, buttons.Key);
  epEfTrBtn5->SetCaption(buttons.HasNote ? L"有内容" : L"笔记");
}

void TFrmLxxt::SaveShown(int mode) {
  const std::optional<TSaveResult> result =
      FNavigator->SaveShown([this] { return ReadAnswer(CurrentPad()); }, mode != 2);
  if (!result || mode != 1) return;
  if (*result == TSaveResult::Empty) {
    ShowDlg(L"提示", L"请先做出答案！", 1, 1, L"NO");
    return;
  }
  // An answered question cannot run out of time: the time limit stops where it stands.
  FTimeLimit.Stop();
  SetAnswerButtons();
}

void TFrmLxxt::epEfTrBtn3Click(TObject*) { SaveShown(1); }

void TFrmLxxt::epEfTrBtn6Click(TObject*) {
  if (FPanel->Sliding()) return;
  if (FPanel->IsOpen())
    FPanel->Slide();
  else
    FPanel->Open(CurrentPad(), Field(L"A2")->GetAsString());
}

// ---- Time limit, clock, sound ---------------------------------------------------------------------

void TFrmLxxt::Timer1Timer(TObject*) {
  if (!FTimeLimit.Tick()) return;
  ShowDlg(L"提示", L"到时间了", 1, 1, L"NO");
  if (FNavigator->Shown() > 0 && FSession->GetCurrent() == FNavigator->Shown()) MarkTimedOut(DM1->Cn1Query_tm);
}

void TFrmLxxt::KZTimeCounter1Timer(TObject*) { epLabel1->SetCaption(KZTimeCounter1->GetElapsed()); }

void TFrmLxxt::PlayPassage(const String& file, bool showPassageButton) {
  epEfTrBtn12->SetCaption(L"停止");
  const TPassagePlay play = PlayPassageFile(MediaPlayer1, file);
  // A missing file leaves the passage button as it was; one that cannot play says nothing.
  if (play != TPassagePlay::Missing) Panel3->SetVisible(showPassageButton);
  SetCommandEnabled(epEfTrBtn12, play == TPassagePlay::Playing);
}

void TFrmLxxt::epEfTrBtn12Click(TObject*) {
  const bool resume = epEfTrBtn12->GetCaption() == L"播放";
  try {
    MediaPlayer1->Stop();
    if (resume) MediaPlayer1->Play();
  } catch (...) {
    SetCommandEnabled(epEfTrBtn12, false);
    return;
  }
  epEfTrBtn12->SetCaption(resume ? L"停止" : L"播放");
}

void TFrmLxxt::epEfTrBtn13Click(TObject*) {
  if (FNavigator->Shown() <= 0) return;
  const String file = GroupPassageFile(Field(L"a1")->GetAsString());
  // Without the group's passage only the caption changes: the question's own passage, if it
  // plays, can still be stopped.
  if (!FileExists(file)) {
    epEfTrBtn12->SetCaption(L"停止");
    return;
  }
  PlayPassage(file, true);
}

// ---- Commands ---------------------------------------------------------------------------------------

void TFrmLxxt::epEfTrBtn10Click(TObject*) {
  if (FNavigator->Shown() <= 0 || FSession->Total() == 0) return;
  ToggleVoidShown(*FSession, Label21, epEfTrBtn10);
}

// The edit window works on the two shared queries as they stand: Cn1Query_tm on the question
// shown and cn1query_nr on its text row (ShowRecord opened it). The time limit waits while it
// is open and runs again afterwards only when it was running (not after a time-out or an
// answer); the saved text reaches the stem view through the view's data link.
void TFrmLxxt::epEfTrBtn11Click(TObject*) {
  if (FNavigator->Shown() <= 0) return;
  EditQuestionId = Field(L"a1")->GetAsString();
  const bool running = Timer1->GetEnabled();
  Timer1->SetEnabled(false);
  const String onPad = ReadAnswer(CurrentPad());
  std::unique_ptr<TfrmTedit> window(TCustomForm::Create<TfrmTedit>(Application));
  window->PracticeTimer = running ? Timer1 : nullptr;
  window->ShowModal();
  if (!window->Saved() || FNavigator->Shown() <= 0 || FSession->GetCurrent() != FNavigator->Shown()) return;
  // The type, the option count or the key may have changed: the pad shows them at once, with
  // what the student had chosen on it as far as it still fits.
  FPads->ShowPageOf(Field(L"A13")->GetAsInteger());
  FPads->Restore(Field(L"A2_1")->GetAsInteger(), onPad);
  SetAnswerButtons();
  Label24->SetCaption(L"本题被您修改过");
}

void TFrmLxxt::epEfTrBtn4Click(TObject*) {
  if (FNavigator->Shown() <= 0) return;
  ShowExplanation(DM1->Cn1DS_nr, L"jx");
}

void TFrmLxxt::epEfTrBtn5Click(TObject*) {
  if (FNavigator->Shown() <= 0) return;
  epEfTrBtn5->SetCaption(EditNote(DM1->Cn1DS_tm, L"A14", L"lx") ? L"有内容" : L"笔记");
}

void TFrmLxxt::epEfTrBtn7Click(TObject*) { SendKeyStrokes(ShowDesktopStrokes()); }

void TFrmLxxt::epEfTrBtn8Click(TObject*) { ShowMusicSettings(this); }

void TFrmLxxt::FormKeyDown(TObject*, WORD& key, TShiftState) { FNavigator->HandleKey(*FPads, key); }

void TFrmLxxt::Notebook1MouseMove(TObject*, TShiftState, int, int) { FPads->ShowPageHint(); }

void TFrmLxxt::CMDialogKey(TMessage& message) {
  if (!PreviewDialogKey(message, [this](WORD& key) { FormKeyDown(this, key, TShiftState()); }))
    inherited::CMDialogKey(message);
}

// ---- Showing and closing ----------------------------------------------------------------------------

void TFrmLxxt::PlaceControls() {
  if (ScreenMode != L"800") return;
  // Controls first: while they still stand at the large places the smaller window would
  // show scroll bars and lose their room from its client area.
  PlaceNamedControls(this, kSmallScreenPlaces);
  SetClientWidth(kSmallWidth);
  SetClientHeight(kSmallHeight);
}

void TFrmLxxt::FormShow(TObject*) {
  Screen->SetCursor(crHourGlass);
  epIndiGauge1->SetProgress(0);
  PlaceControls();
  FTypeBar.FitCaptions();
  TADOQuery* text = DM1->cn1query_nr;
  text->Close();
  text->GetSQL()->SetText(L"select * from tab_exer where A1=" + SqlQuoted(CurQuestionId));
  text->Open();
  SetLowerStemHeight(Re2, 0, Re1);
  FlatSplitter1->SetHeight(0);
  Panel2->SetWidth(0);
  Panel2->SetVisible(false);
  epLabel2->SetCaption(CurChapterCode);
  FNavigator->Forget();
  epEfTrBtn9->SetVisible(false);
  SetCommandEnabled(epEfTrBtn9, false);
  if (TfcButtonGroupItem* any = FTypeBar.PressAny()) TypeChanged(any, nullptr);
  KZTimeCounter1->Reset();
  KZTimeCounter1->SetEnabled(true);
  KZTimeCounter1->Start();
  Screen->SetCursor(crDefault);
  RxGIFAnimator1->SetAnimate(true);
}

void TFrmLxxt::FormCloseQuery(TObject*, bool& canClose) {
  canClose = true;
  ClosePractice(
      this, FClosed, *FSession, *FNavigator, KZTimeCounter1,
      [this] {
        FTimeLimit.Stop();
        MediaPlayer1->Close();
      },
      [this] { return ReadAnswer(CurrentPad()); });
}

void TFrmLxxt::epEfTrBtn99Click(TObject*) { Close(); }
