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
    {L"epIndiGauge1", 494, 8, 232, 18},    {L"RxGIFAnimator1", 736, 1, 40, 36},
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
    {L"DBText1", 720, 42, 50, 14},         {L"Panel1", 200, 60, 574, 280},
    {L"Notebook1", 200, 346, 574, 56},     {L"epEfTrBtn1", 200, 410, 75, 25},
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
           P::Field(L"FlatSplitter1", &C::FlatSplitter1), P::Field(L"Re", &C::Re),
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
  fcBG_tx->OnChange = [this](TfcCustomButtonGroup*, TfcButtonGroupItem* previous, TfcButtonGroupItem* selected) {
    TypeChanged(selected, previous);
  };
  fcBG_th->OnChange = [this](TfcCustomButtonGroup*, TfcButtonGroupItem*, TfcButtonGroupItem* selected) {
    PadChanged(selected);
  };
  FPictures.Load(false);
  FPad.Build(fcBG_th, L"fcBG_thfcImageBtn", FPictures);
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
       M::Handler(L"FormKeyDown", &C::FormKeyDown), M::Handler(L"FlatSpeedButton1Click", &C::FlatSpeedButton1Click),
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

TfcCustomBitBtn* TFrmLxxt::PadButton(int index) const { return FPad.Button(index); }

// ---- Loading and the type bar ------------------------------------------------------------------

bool TFrmLxxt::LoadQuestions() {
  if (!FSession->Load(PracticeSQL)) return false;
  DM1->Cn1Query_tm->First();
  CurQuestionId = Field(L"a1")->GetAsString();
  const std::unique_ptr<TfcBitmap> up = LoadPadPicture(L"qorbtxup.bmp");
  const std::unique_ptr<TfcBitmap> down = LoadPadPicture(L"qorbtxdw.bmp");
  TADOTable* types = DM1->Cn1Table_tx;
  if (!types->GetActive()) types->Open();
  types->SetIndexFieldNames(L"A1");
  types->First();
  FDrawing = true;
  fcBG_tx->GetButtonItems()->Clear();
  fcBG_tx->SetColumns(2);
  auto add = [&](int tag, const String& caption) {
    auto* button = static_cast<TfcImageBtn*>(fcBG_tx->GetButtonItems()->Add()->GetButton());
    button->SetTag(tag);
    button->SetCaption(caption);
    button->SetImage(up.get());
    button->SetImageDown(down.get());
    return button;
  };
  add(0, L"任意");
  for (int guard = 0; !types->GetEof() && guard < 1000; ++guard, types->Next()) {
    const int code = types->FieldByName(L"A1")->GetAsInteger();
    add(code, types->FieldByName(L"B1")->GetAsString())->SetEnabled(FSession->HasType(code));
  }
  FDrawing = false;
  return true;
}

void TFrmLxxt::TypeChanged(TfcButtonGroupItem* selected, TfcButtonGroupItem* previous) {
  if (FDrawing || !selected) return;
  SaveShown(2);
  FShownRecNo = 0;
  TfcCustomBitBtn* button = selected->GetButton();
  const int code = static_cast<int>(button->GetTag());
  // The types 20, 21 and 22 each show their own heading; every other keeps the layout's.
  const bool ownHeading = code >= 20 && code <= 22;
  Label20->SetVisible(ownHeading ? code == 20 : FLayoutHeadings[0]);
  Label5->SetVisible(ownHeading ? code == 21 : FLayoutHeadings[1]);
  Label8->SetVisible(ownHeading ? code == 22 : FLayoutHeadings[2]);
  if (FSession->ApplyType(code)) {
    DrawGroup();
    return;
  }
  // The type has no questions (any more): the choice goes back.
  FDrawing = true;
  button->SetDown(false);
  button->SetEnabled(false);
  if (previous && previous->GetButton()->GetEnabled()) previous->GetButton()->SetDown(true);
  FDrawing = false;
  if (previous) FSession->ApplyType(static_cast<int>(previous->GetButton()->GetTag()));
  if (FSession->GetGroup().Count > 0) DrawGroup();
}

// ---- The pad and its groups ----------------------------------------------------------------------

void TFrmLxxt::MarkPadButton(int recNo) {
  if (TfcImageBtn* button = FPad.Button(FSession->GetGroup().ButtonOfRecord(recNo)))
    button->SetImage(FPictures.Of(FSession->MarkOf(recNo)));
}

void TFrmLxxt::DrawPad() {
  const TQuestionGroup& group = FSession->GetGroup();
  Lb_zs->SetCaption(IntToStr(group.Groups));
  Lb_ts->SetCaption(IntToStr(group.Total));
  Lb_zb->SetCaption(IntToStr(group.Group));
  FlatSpeedButton1->SetEnabled(group.HasPrevious());
  FlatSpeedButton2->SetEnabled(group.HasNext());
  FPad.Draw(group, [this](int recNo) { return FPictures.Of(FSession->MarkOf(recNo)); }, false);
}

void TFrmLxxt::DrawGroup() {
  DrawPad();
  const TQuestionGroup& group = FSession->GetGroup();
  if (group.Count > 0) ShowRecord(group.Start);
}

void TFrmLxxt::PadChanged(TfcButtonGroupItem* selected) {
  if (FPad.Drawing() || !selected) return;
  const int recNo = static_cast<int>(selected->GetButton()->GetTag());
  if (recNo > 0 && recNo != FShownRecNo) ShowRecord(recNo);
}

void TFrmLxxt::ShowRecord(int recNo) {
  if (recNo < 1 || recNo > FSession->Total()) return;
  SaveShown(0);
  FPanel->CloseAtOnce();
  Label24->SetCaption(String());
  DBText1->SetDataField(String());
  const int groupBefore = FSession->GetGroup().Group;
  FSession->Show(recNo);
  FShownRecNo = recNo;
  const TQuestionGroup& group = FSession->GetGroup();
  // Moving on from the last question of a group (or back from its first) draws the new group.
  if (group.Group != groupBefore) DrawPad();
  FPad.PressQuietly(group.ButtonOfRecord(recNo));
  SetCommandEnabled(epEfTrBtn1, FSession->PreviousRecord() > 0);
  SetCommandEnabled(epEfTrBtn2, FSession->NextRecord() > 0);

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
  Re2->SetHeight(0);
  FlatSplitter1->SetHeight(0);
  Re->SetDataSource(DM1->Cn1DS_nr);
  Re->SetDataField(L"A15");

  Label21->SetCaption(String());
  epEfTrBtn10->SetCaption(L"题目作废");
  const int voided = Field(L"f1")->GetAsInteger();
  if (voided == 1) {
    Label21->SetCaption(L"本题已被您作废！");
    epEfTrBtn10->SetCaption(L"取消作废");
  } else if (voided == 2) {
    Label21->SetCaption(L"本题是您加入的题目！");
  }
  if (Field(L"ecount")->GetAsInteger() != 0) Label24->SetCaption(L"本题被您修改过");
  DBText1->SetDataSource(DM1->Cn1DS_tm);
  DBText1->SetDataField(L"a1");
  StartTimeLimit();
  PlayPassage(QuestionPassageFile(id), id.size() > 16);
}

void TFrmLxxt::FlatSpeedButton1Click(TObject*) {
  if (!FSession->GetGroup().HasPrevious()) return;
  SaveShown(0);
  FShownRecNo = 0;
  FSession->ShowGroup(FSession->GetGroup().Group - 1);
  DrawGroup();
}

void TFrmLxxt::FlatSpeedButton2Click(TObject*) {
  if (!FSession->GetGroup().HasNext()) return;
  SaveShown(0);
  FShownRecNo = 0;
  FSession->ShowGroup(FSession->GetGroup().Group + 1);
  DrawGroup();
}

void TFrmLxxt::epEfTrBtn1Click(TObject*) {
  if (const int recNo = FSession->PreviousRecord(); recNo > 0) ShowRecord(recNo);
}

void TFrmLxxt::epEfTrBtn2Click(TObject*) {
  if (const int recNo = FSession->NextRecord(); recNo > 0) ShowRecord(recNo);
}

// ---- Answers -------------------------------------------------------------------------------------

TAnswerPad TFrmLxxt::CurrentPad() const {
  const bool shown = FShownRecNo > 0 && DM1->Cn1Query_tm->GetActive();
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
  if (FShownRecNo <= 0 || FSession->GetCurrent() != FShownRecNo) return;
  const TSaveResult result = FSession->SaveCurrent(ReadAnswer(CurrentPad()));
  if (mode == 2) return;
  MarkPadButton(FShownRecNo);
  if (mode != 1) return;
  if (result == TSaveResult::Empty) {
    ShowDlg(L"提示", L"请先做出答案！", 1, 1, L"NO");
    return;
  }
  // An answered question cannot run out of time: the time limit stops where it stands.
  Timer1->SetEnabled(false);
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

void TFrmLxxt::StartTimeLimit() {
  const int interval = AnswerInterval(Field(L"A13")->GetAsInteger(), TypeIds, TypeTimes);
  epIndiGauge1->SetProgress(0);
  Timer1->SetEnabled(false);
  // A question already answered in this practice has no time limit left to run.
  if (interval <= 0 || !Field(L"E2_1")->GetAsString().empty()) return;
  Timer1->SetInterval(static_cast<unsigned>(interval));
  Timer1->SetEnabled(true);
}

void TFrmLxxt::Timer1Timer(TObject*) {
  if (epIndiGauge1->GetProgress() < 100) {
    epIndiGauge1->SetProgress(epIndiGauge1->GetProgress() + 1);
    return;
  }
  Timer1->SetEnabled(false);
  ShowDlg(L"提示", L"到时间了", 1, 1, L"NO");
  if (FShownRecNo > 0 && FSession->GetCurrent() == FShownRecNo) MarkTimedOut(DM1->Cn1Query_tm);
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
  if (FShownRecNo <= 0) return;
  PlayPassage(GroupPassageFile(Field(L"a1")->GetAsString()), true);
}

// ---- Commands ---------------------------------------------------------------------------------------

void TFrmLxxt::epEfTrBtn10Click(TObject*) {
  if (FShownRecNo <= 0 || FSession->Total() == 0) return;
  if (FSession->ToggleVoid() == 1) {
    Label21->SetCaption(L"本题已被您作废！");
    epEfTrBtn10->SetCaption(L"取消作废");
  } else {
    Label21->SetCaption(L"本题曾被作废，现已被您取消！");
    epEfTrBtn10->SetCaption(L"题目作废");
  }
}

// The edit window works on the two shared queries as they stand: Cn1Query_tm on the question
// shown and cn1query_nr on its text row (ShowRecord opened it). The time limit waits while it
// is open and runs again afterwards only when it was running (not after a time-out or an
// answer); the saved text reaches the stem view through the view's data link.
void TFrmLxxt::epEfTrBtn11Click(TObject*) {
  if (FShownRecNo <= 0) return;
  EditQuestionId = Field(L"a1")->GetAsString();
  const bool running = Timer1->GetEnabled();
  Timer1->SetEnabled(false);
  std::unique_ptr<TfrmTedit> window(TCustomForm::Create<TfrmTedit>(Application));
  window->PracticeTimer = running ? Timer1 : nullptr;
  window->ShowModal();
}

void TFrmLxxt::epEfTrBtn4Click(TObject*) {
  if (FShownRecNo <= 0) return;
  Screen->SetCursor(crHourGlass);
  std::unique_ptr<TFrmJx> window(TCustomForm::Create<TFrmJx>(Application));
  window->SetSource(DM1->Cn1DS_nr, L"jx");
  window->ShowModal();
  Screen->SetCursor(crDefault);
}

void TFrmLxxt::epEfTrBtn5Click(TObject*) {
  if (FShownRecNo <= 0) return;
  std::unique_ptr<TFrmBj> window(TCustomForm::Create<TFrmBj>(Application));
  FrmBj = window.get();
  window->Label1->SetCaption(L"lx");
  window->SetSource(DM1->Cn1DS_tm, L"A14");
  window->ShowModal();
  window.reset();
  FrmBj = nullptr;
  epEfTrBtn5->SetCaption(NotesSaved ? L"有内容" : L"笔记");
}

void TFrmLxxt::epEfTrBtn7Click(TObject*) { SendKeyStrokes(ShowDesktopStrokes()); }

void TFrmLxxt::epEfTrBtn8Click(TObject*) { ShowMusicSettings(this); }

void TFrmLxxt::FormKeyDown(TObject*, WORD& key, TShiftState) {
  switch (FPads->HandleKey(key, epEfTrBtn1->GetEnabled(), epEfTrBtn2->GetEnabled())) {
    case TKeyActionKind::Previous: epEfTrBtn1Click(this); break;
    case TKeyActionKind::Next: epEfTrBtn2Click(this); break;
    default: break;
  }
}

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
  TADOQuery* text = DM1->cn1query_nr;
  text->Close();
  text->GetSQL()->SetText(L"select * from tab_exer where A1=" + SqlQuoted(CurQuestionId));
  text->Open();
  Re2->SetHeight(0);
  FlatSplitter1->SetHeight(0);
  Panel2->SetWidth(0);
  Panel2->SetVisible(false);
  epLabel2->SetCaption(CurChapterCode);
  FShownRecNo = 0;
  epEfTrBtn9->SetVisible(false);
  SetCommandEnabled(epEfTrBtn9, false);
  if (fcBG_tx->GetButtonItems()->GetCount() > 0) {
    TfcCustomBitBtn* any = fcBG_tx->GetButtonItems()->GetItem(0)->GetButton();
    FDrawing = true;
    any->SetDown(true);
    FDrawing = false;
    TypeChanged(fcBG_tx->GetButtonItems()->GetItem(0), nullptr);
  }
  KZTimeCounter1->Reset();
  KZTimeCounter1->SetEnabled(true);
  KZTimeCounter1->Start();
  Screen->SetCursor(crDefault);
  RxGIFAnimator1->SetAnimate(true);
}

void TFrmLxxt::FormCloseQuery(TObject*, bool& canClose) {
  canClose = true;
  if (FClosed) return;
  FClosed = true;
  Screen->SetCursor(crHourGlass);
  try {
    Timer1->SetEnabled(false);
    KZTimeCounter1->Stop();
    KZTimeCounter1->SetEnabled(false);
    MediaPlayer1->Close();
  } catch (...) {
    Application->HandleException(this);
  }
  const String answer = FShownRecNo > 0 ? ReadAnswer(CurrentPad()) : String();
  FSession->Finish(answer, KZTimeCounter1->GetElapsed());
  FShownRecNo = 0;
  Screen->SetCursor(crDefault);
}

void TFrmLxxt::epEfTrBtn99Click(TObject*) { Close(); }
