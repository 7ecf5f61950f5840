// The law-article practice window.
#include "uRulelxxt.h"

#include "Laws.h"
#include "MusicSettings.h"
#include "Responders.h"
#include "Ubj.h"
#include "Ucommon.h"
#include "Ujx.h"
#include "classlib/ado/ADODB.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "classlib/system/SysExceptions.h"
#include "dm.h"

TFrmRuleLxxt* FrmRuleLxxt = nullptr;

namespace {

// The browser's view of the window.
class TLawPracticeWindow : public TLawPractice {
 public:
  TLawPracticeWindow() : FWindow(TCustomForm::Create<TFrmRuleLxxt>(Application)) {
    FrmRuleLxxt = FWindow.get();
    FWindow->SetCaption(String());
  }
  ~TLawPracticeWindow() override { FrmRuleLxxt = nullptr; }
  bool LoadQuestions() override { return FWindow->LoadQuestions(); }
  void SetHeading(const String& heading) override { FWindow->epLabel2->SetCaption(heading); }
  void ShowModal() override { FWindow->ShowModal(); }

 private:
  std::unique_ptr<TFrmRuleLxxt> FWindow;
};

// The self-assessment grades of this window: 不会 "0", 了解 "1", 熟悉 "2".
constexpr TSelfGrades kGrades = TSelfGrades::Three;
// The types whose key this window never shows: its 答案 button is hidden for them.
bool KeyHidden(int typeCode) { return typeCode == 64 || typeCode == 65; }

// A group member's id starts with the 16 characters of its group's id and holds a "-".
constexpr size_t kGroupIdLength = 16;
bool IsGroupMember(const String& id) { return id.find(L'-') != String::npos; }
// The lower stem view's height and the splitter's when a group question opens them.
constexpr int kOwnStemHeight = 150;
constexpr int kSplitterHeight = 6;

// Places of the controls on an 800 × 600 screen; the stored layout is the 1024 × 768 one.
const TControlPlace kSmallScreenPlaces[] = {
    {L"epLabel2", 21, 10, 260, 22},         {L"Label10", 290, 14, 14, 14},
    {L"Label12", 306, 14, 24, 14},          {L"Label11", 332, 14, 14, 14},
    {L"Label13", 352, 14, 28, 14},          {L"Label15", 382, 14, 24, 14},
    {L"Label14", 408, 14, 60, 14},          {L"Label21", 474, 14, 136, 14},
    {L"Panel1", 21, 42, 590, 384},          {L"Re2", 1, 296, 588, 87},
    {L"FlatSplitter1", 1, 292, 588, 4},     {L"Panel2", 1, 1, 0, 382},
    // The side column: its type buttons write a name they cannot hold with margins smaller.
    {L"epBevel2", 619, 4, 153, 426},        {L"epIndiGauge1", 4, 42, 15, 384},
    {L"epLabel1", 622, 32, 80, 16},         {L"RxGIFAnimator1", 733, 26, 32, 28},
    {L"fcBG_tx", 620, 58, 151, 112},        {L"fcBG_th", 622, 174, 146, 112},
    {L"Label1", 622, 292, 14, 14},          {L"Label3", 641, 292, 24, 14},
    {L"Label2", 667, 292, 14, 14},          {L"Label5", 683, 292, 30, 14},
    {L"Label4", 715, 292, 28, 14},          {L"Label6", 622, 308, 14, 14},
    {L"Label8", 641, 308, 24, 14},          {L"Label7", 667, 308, 14, 14},
    {L"FlatSpeedButton1", 622, 326, 71, 22}, {L"FlatSpeedButton2", 697, 326, 71, 22},
    {L"Notebook1", 621, 352, 150, 76},      {L"fcBG_one", 4, 8, 142, 36},
    {L"fcBG_many", 4, 8, 142, 36},          {L"fcBG_pw", 4, 8, 142, 36},
    {L"FlatEdit1", 4, 12, 142, 22},         {L"epEfTrBtn1", 12, 435, 64, 26},
    {L"epEfTrBtn2", 81, 435, 64, 26},       {L"epEfTrBtn3", 150, 435, 64, 26},
    {L"epEfTrBtn6", 219, 435, 64, 26},      {L"epEfTrBtn4", 288, 435, 64, 26},
    {L"epEfTrBtn5", 357, 435, 64, 26},      {L"epEfTrBtn9", 426, 435, 64, 26},
    {L"epEfTrBtn10", 495, 435, 64, 26},     {L"epEfTrBtn8", 564, 435, 64, 26},
    {L"epEfTrBtnwin", 633, 435, 64, 26},    {L"epEfTrBtn7", 702, 435, 64, 26},
};
constexpr int kSmallWidth = 774, kSmallHeight = 489;

TField* Field(const wchar_t* name) { return DM1->Cn1Query_tm->FieldByName(name); }

}  // namespace

void InstallLawPracticeWindow() {
  SetLawPracticeWindowMaker([] { return std::make_unique<TLawPracticeWindow>(); });
}

const TPropertyTable* TFrmRuleLxxt::PublishedProperties() {
  using P = TPublish<TFrmRuleLxxt>;
  using C = TFrmRuleLxxt;
  static const TPropertyTable table(
      {}, {P::Field(L"epLabel2", &C::epLabel2),       P::Field(L"Label12", &C::Label12),
           P::Field(L"Label15", &C::Label15),         P::Field(L"Label21", &C::Label21),
           P::Field(L"DBText1", &C::DBText1),         P::Field(L"Panel1", &C::Panel1),
           P::Field(L"Re1", &C::Re1),                 P::Field(L"FlatSplitter1", &C::FlatSplitter1),
           P::Field(L"Re2", &C::Re2),                 P::Field(L"Panel2", &C::Panel2),
           P::Field(L"Lb_answtip", &C::Lb_answtip),   P::Field(L"Memo1", &C::Memo1),
           P::Field(L"Memo2", &C::Memo2),             P::Field(L"epBevel2", &C::epBevel2),
           P::Field(L"epIndiGauge1", &C::epIndiGauge1), P::Field(L"epLabel1", &C::epLabel1),
           P::Field(L"RxGIFAnimator1", &C::RxGIFAnimator1), P::Field(L"fcBG_tx", &C::fcBG_tx),
           P::Field(L"fcBG_th", &C::fcBG_th),         P::Field(L"Label3", &C::Label3),
           P::Field(L"Label5", &C::Label5),           P::Field(L"Label8", &C::Label8),
           P::Field(L"FlatSpeedButton1", &C::FlatSpeedButton1),
           P::Field(L"FlatSpeedButton2", &C::FlatSpeedButton2), P::Field(L"Notebook1", &C::Notebook1),
           P::Field(L"fcBG_one", &C::fcBG_one),       P::Field(L"fcBG_many", &C::fcBG_many),
           P::Field(L"FlatEdit1", &C::FlatEdit1),     P::Field(L"fcBG_yn", &C::fcBG_yn),
           P::Field(L"Label20", &C::Label20),         P::Field(L"FlatComboBox1", &C::FlatComboBox1),
           P::Field(L"fcBG_pw", &C::fcBG_pw),         P::Field(L"epEfTrBtn1", &C::epEfTrBtn1),
           P::Field(L"epEfTrBtn2", &C::epEfTrBtn2),   P::Field(L"epEfTrBtn3", &C::epEfTrBtn3),
           P::Field(L"epEfTrBtn4", &C::epEfTrBtn4),   P::Field(L"epEfTrBtn5", &C::epEfTrBtn5),
           P::Field(L"epEfTrBtn6", &C::epEfTrBtn6),   P::Field(L"epEfTrBtn7", &C::epEfTrBtn7),
           P::Field(L"epEfTrBtn8", &C::epEfTrBtn8),   P::Field(L"epEfTrBtn9", &C::epEfTrBtn9),
           P::Field(L"epEfTrBtn10", &C::epEfTrBtn10), P::Field(L"epEfTrBtnwin", &C::epEfTrBtnwin),
           P::Field(L"Timer1", &C::Timer1),           P::Field(L"KZTimeCounter1", &C::KZTimeCounter1)});
  return &table;
}

TFrmRuleLxxt::TFrmRuleLxxt(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
  FSession = std::make_unique<TPracticeSession>(*DM1, DM1->Cn1Query_tm);
  FSession->SetSelfGrades(kGrades);
  FTypeBar = TTypeBar(fcBG_tx);
  FTimeLimit = TTimeLimit(epIndiGauge1, Timer1);
  FNavigator = std::make_unique<TPracticeNavigator>(
      TNavigatorControls{fcBG_th, Label3, Label5, Label8, FlatSpeedButton1, FlatSpeedButton2, epEfTrBtn1, epEfTrBtn2},
      *FSession,
      TNavigatorEvents{[this] {
                         SaveAnswer(0);
                         FPanel->CloseAtOnce();
                         DBText1->SetDataField(String());
                       },
                       [this](int recNo) { ShowQuestion(recNo); }},
      TNavigatorStyle{TPadLook::Marks, TPadDrawing{}, true});
  FNavigator->Build(L"fcBG_thfcImageBtn");
  FPad = std::make_unique<TAnswerPadView>(
      TAnswerPadControls{Notebook1, fcBG_one, fcBG_many, FlatEdit1, fcBG_yn, FlatComboBox1, fcBG_pw}, kGrades);
  FPad->BuildButtons();
  FPanel = std::make_unique<TAnswerPanel>(
      TAnswerPanelControls{Panel2, Panel1, epEfTrBtn6, Lb_answtip, Memo1, Memo2, true});
  fcBG_tx->OnChange = [this](TfcCustomButtonGroup*, TfcButtonGroupItem* previous, TfcButtonGroupItem* selected) {
    TypeChanged(selected, previous);
  };
  fcBG_th->OnChange = [this](TfcCustomButtonGroup*, TfcButtonGroupItem*, TfcButtonGroupItem* selected) {
    FNavigator->PadChanged(selected);
  };
}

TFrmRuleLxxt::~TFrmRuleLxxt() = default;

void TFrmRuleLxxt::RegisterHandlers() {
  using M = TPublishMethods<TFrmRuleLxxt>;
  using C = TFrmRuleLxxt;
  RegisterMethods<TFrmRuleLxxt>(
      {M::Handler(L"FormShow", &C::FormShow), M::Handler(L"FormCloseQuery", &C::FormCloseQuery),
       M::Handler(L"FormKeyDown", &C::FormKeyDown), M::Handler(L"Notebook1MouseMove", &C::Notebook1MouseMove),
       M::Handler(L"FlatSpeedButton1Click", &C::FlatSpeedButton1Click),
       M::Handler(L"FlatSpeedButton2Click", &C::FlatSpeedButton2Click),
       M::Handler(L"epEfTrBtn1Click", &C::epEfTrBtn1Click), M::Handler(L"epEfTrBtn2Click", &C::epEfTrBtn2Click),
       M::Handler(L"epEfTrBtn3Click", &C::epEfTrBtn3Click), M::Handler(L"epEfTrBtn4Click", &C::epEfTrBtn4Click),
       M::Handler(L"epEfTrBtn5Click", &C::epEfTrBtn5Click), M::Handler(L"epEfTrBtn6Click", &C::epEfTrBtn6Click),
       M::Handler(L"epEfTrBtn7Click", &C::epEfTrBtn7Click), M::Handler(L"epEfTrBtn8Click", &C::epEfTrBtn8Click),
       M::Handler(L"epEfTrBtn9Click", &C::epEfTrBtn9Click), M::Handler(L"epEfTrBtn10Click", &C::epEfTrBtn10Click),
       M::Handler(L"epEfTrBtnwinClick", &C::epEfTrBtnwinClick), M::Handler(L"Timer1Timer", &C::Timer1Timer),
       M::Handler(L"KZTimeCounter1Timer", &C::KZTimeCounter1Timer)});
}

// ---- Loading and the type bar ----------------------------------------------------------------------

bool TFrmRuleLxxt::LoadQuestions() {
  if (!FSession->Load(PracticeSQL)) return false;
  FTypeBar.Build(*FSession);
  return true;
}

void TFrmRuleLxxt::TypeChanged(TfcButtonGroupItem* selected, TfcButtonGroupItem* previous) {
  if (FTypeBar.Drawing() || !selected) return;
  SaveAnswer(2);
  FNavigator->Forget();
  if (FTypeBar.Choose(*FSession, selected, previous)) FNavigator->DrawGroup();
}

// ---- Showing a question ---------------------------------------------------------------------------

void TFrmRuleLxxt::ShowRecord(int recNo) { FNavigator->ShowRecord(recNo); }

void TFrmRuleLxxt::ShowQuestion(int recNo) {
  const int shown = Field(L"E3")->GetAsInteger();
  Label15->SetCaption(IntToStr(shown > 0 ? shown + 1 : 1));
  Label12->SetCaption(IntToStr(recNo - FSession->GetGroup().Start + 1));
  FPad->ShowPageOf(Field(L"A13")->GetAsInteger());
  FPad->Restore(Field(L"A2_1")->GetAsInteger(), Field(L"E2_1")->GetAsString());
  SetAnswerButtons();
  ShowQuestionText(Field(L"a1")->GetAsString());
  ShowQuestionStatus(Label21, epEfTrBtn10, Field(L"f1")->GetAsInteger());
  DBText1->SetDataSource(DM1->Cn1DS_tm);
  DBText1->SetDataField(L"a1");
  FTimeLimit.Start(Field(L"A13")->GetAsInteger(), !Field(L"E2_1")->GetAsString().empty());
}

void TFrmRuleLxxt::ShowQuestionText(const String& id) {
  if (!IsGroupMember(id)) {
    SetLowerStemHeight(Re2, 0, Re1);
    FlatSplitter1->SetHeight(0);
    Re1->SetDataSource(DM1->Cn1DS_tm);
    Re1->SetDataField(L"A15");
    return;
  }
  // The lower view keeps the height the user gave it while group questions follow each other.
  if (FlatSplitter1->GetHeight() < 1) {
    SetLowerStemHeight(Re2, kOwnStemHeight, Re1);
    FlatSplitter1->SetHeight(kSplitterHeight);
  }
  TADOQuery* stems = DM1->Cn1Query2;
  try {
    stems->Close();
    stems->GetSQL()->SetText(L"select * from tab_title where A1=:A1");
    stems->GetParameters()->GetItem(0)->SetValue(Variant(id.substr(0, kGroupIdLength)));
    stems->Open();
  } catch (const Exception&) {
    // The views keep what they showed; the question stays on display.
    ShowDlg(L"错误", L"无法打开试题！", 1, 2, L"NO");
    return;
  }
  Re1->SetDataSource(DM1->Cn1DS2);
  Re1->SetDataField(L"A15");
  Re2->SetDataSource(DM1->Cn1DS_tm);
  Re2->SetDataField(L"A15");
}

void TFrmRuleLxxt::FlatSpeedButton1Click(TObject*) { FNavigator->PreviousGroup(); }

void TFrmRuleLxxt::FlatSpeedButton2Click(TObject*) { FNavigator->NextGroup(); }

void TFrmRuleLxxt::epEfTrBtn1Click(TObject*) { FNavigator->Previous(); }

void TFrmRuleLxxt::epEfTrBtn2Click(TObject*) { FNavigator->Next(); }

// ---- Answers ---------------------------------------------------------------------------------------

bool TFrmRuleLxxt::OnSelfPage() const {
  return FNavigator->Shown() > 0 && GradesThreeOnSelfPage(kGrades, Field(L"A13")->GetAsInteger());
}

// 解析, 答案 and 考点 are usable once the question is answered in this practice. Unlike the
// practice window, 答案 is usable for every type; it is hidden for the types whose key is
// never shown.
void TFrmRuleLxxt::SetAnswerButtons() {
  const String answer = Field(L"E2_1")->GetAsString();
  const int type = Field(L"A13")->GetAsInteger();
  const TAnswerButtons buttons = AnswerButtonsOf(answer, !Field(L"jx")->GetIsNull(), Field(L"k3")->GetAsString(),
                                                 type, Field(L"A14")->GetAsString());
  SetCommandEnabled(epEfTrBtn4, buttons.Explanation);
  SetCommandEnabled(epEfTrBtn9, buttons.LinkedRules);
  SetCommandEnabled(epEfTrBtn6, !answer.empty());
  epEfTrBtn6->SetVisible(!KeyHidden(type));
  epEfTrBtn5->SetCaption(buttons.HasNote ? L"有内容" : L"笔记");
}

void TFrmRuleLxxt::SaveAnswer(int mode) {
  const std::optional<TSaveResult> result = FNavigator->SaveShown(
      [this] { return ReadAnswer(FPad->Current(Field(L"A2_1")->GetAsInteger())); }, mode != 2);
  if (!result || mode != 1) return;
  if (*result == TSaveResult::Empty) {
    ShowDlg(L"提示", L"题还没做呢！", 1, 1, L"NO");
    return;
  }
  // The question is answered: its time can no longer run out.
  FTimeLimit.Stop();
  SetAnswerButtons();
}

void TFrmRuleLxxt::epEfTrBtn3Click(TObject*) { SaveAnswer(1); }

void TFrmRuleLxxt::epEfTrBtn6Click(TObject*) {
  if (FPanel->Sliding() || FNavigator->Shown() <= 0) return;
  if (FPanel->IsOpen()) {
    FPanel->Slide();
    return;
  }
  FPanel->Open(FPad->Current(Field(L"A2_1")->GetAsInteger()), Field(L"A2")->GetAsString(), kGrades, OnSelfPage());
}

// ---- Time limit and clock ----------------------------------------------------------------------------

void TFrmRuleLxxt::Timer1Timer(TObject*) {
  if (!FTimeLimit.Tick()) return;
  ShowDlg(L"提示", L"到时间了", 1, 1, L"NO");
  if (FNavigator->Shown() > 0 && FSession->GetCurrent() == FNavigator->Shown()) MarkTimedOut(DM1->Cn1Query_tm);
}

void TFrmRuleLxxt::KZTimeCounter1Timer(TObject*) { epLabel1->SetCaption(KZTimeCounter1->GetElapsed()); }

// ---- Commands ----------------------------------------------------------------------------------------

void TFrmRuleLxxt::epEfTrBtn10Click(TObject*) {
  if (FNavigator->Shown() <= 0 || FSession->Total() == 0) return;
  ToggleVoidShown(*FSession, Label21, epEfTrBtn10);
}

void TFrmRuleLxxt::epEfTrBtn4Click(TObject*) {
  if (FNavigator->Shown() <= 0) return;
  ShowExplanation(DM1->Cn1DS_tm, L"jx");
}

void TFrmRuleLxxt::epEfTrBtn5Click(TObject*) {
  if (FNavigator->Shown() <= 0) return;
  epEfTrBtn5->SetCaption(EditNote(DM1->Cn1DS_tm, L"A14", L"lx") ? L"有内容" : L"笔记");
}

void TFrmRuleLxxt::epEfTrBtn9Click(TObject*) {
  if (FNavigator->Shown() > 0) ShowLinkedArticles(Field(L"a1")->GetAsString());
}

void TFrmRuleLxxt::epEfTrBtnwinClick(TObject*) { SendKeyStrokes(ShowDesktopStrokes()); }

void TFrmRuleLxxt::epEfTrBtn8Click(TObject*) { ShowMusicSettings(this); }

void TFrmRuleLxxt::FormKeyDown(TObject*, WORD& key, TShiftState) { FNavigator->HandleKey(*FPad, key); }

void TFrmRuleLxxt::Notebook1MouseMove(TObject*, TShiftState, int, int) { FPad->ShowPageHint(); }

void TFrmRuleLxxt::CMDialogKey(TMessage& message) {
  if (!PreviewDialogKey(message, [this](WORD& key) { FormKeyDown(this, key, TShiftState()); }))
    inherited::CMDialogKey(message);
}

// ---- Showing and closing -------------------------------------------------------------------------------

void TFrmRuleLxxt::PlaceControls() {
  if (ScreenMode != L"800") return;
  SetWidth(kSmallWidth);
  SetHeight(kSmallHeight);
  PlaceNamedControls(this, kSmallScreenPlaces);
}

void TFrmRuleLxxt::FormShow(TObject*) {
  PlaceControls();
  FTypeBar.FitCaptions();
  Screen->SetCursor(crHourGlass);
  epIndiGauge1->SetProgress(0);
  SetLowerStemHeight(Re2, 0, Re1);
  FlatSplitter1->SetHeight(0);
  FPanel->CloseAtOnce();
  FNavigator->Forget();
  if (TfcButtonGroupItem* any = FTypeBar.PressAny()) TypeChanged(any, nullptr);
  KZTimeCounter1->Reset();
  KZTimeCounter1->SetEnabled(true);
  KZTimeCounter1->Start();
  Screen->SetCursor(crDefault);
  RxGIFAnimator1->SetAnimate(true);
  SetCommandEnabled(epEfTrBtn4, false);
  SetCommandEnabled(epEfTrBtn9, false);
}

void TFrmRuleLxxt::FormCloseQuery(TObject*, bool& canClose) {
  canClose = true;
  ClosePractice(
      this, FClosed, *FSession, *FNavigator, KZTimeCounter1, [this] { FTimeLimit.Stop(); },
      [this] { return ReadAnswer(FPad->Current(Field(L"A2_1")->GetAsInteger())); });
}

void TFrmRuleLxxt::epEfTrBtn7Click(TObject*) { Close(); }
