#include "app/PracticeControls.h"

#include <cstdlib>
#include <memory>
#include "app/AnswerPadView.h"
#include "app/UanswFagui.h"
#include "app/Ucommon.h"
#include "app/dm.h"
#include "classlib/ado/ADODB.h"
#include "classlib/forms/Forms.h"
#include "classlib/forms/Timer.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/stdctrls/StdLabels.h"
#include "classlib/controls/Controls.h"
#include "classlib/system/FlagScope.h"
#include "controls/effects/EffBtns.h"
#include "controls/effects/FlatButtons.h"
#include "controls/effects/IndiCtrls.h"
#include "controls/effects/KZTCount.h"
#include "controls/imagebutton/fcButtonGroup.h"
#include "controls/imagebutton/fcImgBtn.h"

namespace {

constexpr int kTypeColumns = 2;
// The caption of a type button that cannot be pressed: darker than the system's grey, which
// fades into the button's pale picture.
constexpr TColor kDimmedCaption = ColorFromInt(0x6A6A6A);
// tab_tx holds a handful of types; a bound keeps a damaged table from running away.
constexpr int kMaxTypes = 1000;
constexpr int kGaugeFull = 100;

}  // namespace

// ---- TPracticeNavigator ---------------------------------------------------------------------

namespace {

// A command button greyed while the moves are locked: its active text colour still says
// whether it was enabled before, which unlocking reads back.
void DimCommand(TepEfTrBtn* button) {
  button->SetEnabled(false);
  button->GetFont()->SetColor(clGray);
}

void SetCaptionOf(TLabel* label, const String& caption) {
  if (label) label->SetCaption(caption);
}

}  // namespace

TPracticeNavigator::TPracticeNavigator(const TNavigatorControls& controls, TPracticeSession& session,
                                       TNavigatorEvents events, TNavigatorStyle style)
    : F(controls), FSession(session), FEvents(std::move(events)), FStyle(style) {}

void SetLowerStemHeight(TWinControl* lower, int height, TWinControl* upper) {
  lower->SetHeight(height);
  lower->SetTabStop(height > 0);
  if (height <= 0 && lower->Focused() && upper->CanFocus()) upper->SetFocus();
}

void TPracticeNavigator::Build(const String& namePrefix) {
  FPictures.Load(FStyle.Look != TPadLook::Marks);
  FPad.Build(F.Pad, namePrefix, FPictures);
}

void TPracticeNavigator::Mark(int recNo) {
  FPad.SetPicture(FSession.GetGroup().ButtonOfRecord(recNo), FPictures.Of(FSession.MarkOf(recNo), FStyle.Look));
}

void TPracticeNavigator::SetLocked(bool locked) {
  FLocked = locked;
  FPad.SetEnabled(!locked);
  for (TepEfTrBtn* button : {F.Previous, F.Next})
    if (locked)
      DimCommand(button);
    else
      SetCommandEnabled(button, HasEnabledLook(button));
  SetGroupButtons();
}

void TPracticeNavigator::SetGroupButtons() {
  const TQuestionGroup& group = FSession.GetGroup();
  F.PreviousGroup->SetEnabled(!FLocked && group.HasPrevious());
  F.NextGroup->SetEnabled(!FLocked && group.HasNext());
}

std::optional<TSaveResult> TPracticeNavigator::SaveShown(const std::function<String()>& answer, bool mark) {
  if (FShown <= 0 || FSession.GetCurrent() != FShown) return std::nullopt;
  const TSaveResult result = FSession.SaveCurrent(answer());
  if (mark) Mark(FShown);
  return result;
}

void TPracticeNavigator::DrawPad() {
  const TQuestionGroup& group = FSession.GetGroup();
  SetCaptionOf(F.Groups, IntToStr(group.Groups));
  SetCaptionOf(F.Questions, IntToStr(group.Total));
  SetCaptionOf(F.Group, IntToStr(group.Group));
  SetCaptionOf(F.GroupLine, L"第 " + IntToStr(group.Group) + L" 组 / 共 " + IntToStr(group.Groups) + L" 组");
  FPad.Draw(group, [this](int recNo) { return FPictures.Of(FSession.MarkOf(recNo), FStyle.Look); },
            FStyle.Pad);
  SetGroupButtons();
}

void TPracticeNavigator::DrawGroup() {
  const TQuestionGroup& group = FSession.GetGroup();
  if (group.Count > 0 && group.Start >= 1 && group.Start <= FSession.Total())
    ShowRecord(group.Start, true);
  else
    DrawPad();
}

void TPracticeNavigator::ShowRecord(int recNo) { ShowRecord(recNo, false); }

void TPracticeNavigator::ShowRecord(int recNo, bool drawPad) {
  if (recNo < 1 || recNo > FSession.Total()) return;
  if (FEvents.Leave) FEvents.Leave();
  const int groupBefore = FSession.GetGroup().Group;
  FSession.Show(recNo);
  FShown = recNo;
  const TQuestionGroup& group = FSession.GetGroup();
  // Moving on from the last question of a group (or back from its first) draws the new group,
  // pressed on the question shown, on the screen at once.
  drawPad = drawPad || group.Group != groupBefore;
  {
    TPadUpdate update(FPad, drawPad);
    if (drawPad) DrawPad();
    FPad.PressQuietly(group.ButtonOfRecord(recNo));
  }
  SetCommandEnabled(F.Previous, FSession.PreviousRecord() > 0);
  SetCommandEnabled(F.Next, FSession.NextRecord() > 0);
  if (FEvents.Show) FEvents.Show(recNo);
}

void TPracticeNavigator::ShowGroup(int group) {
  if (FEvents.Leave) FEvents.Leave();
  FShown = 0;
  FSession.ShowGroup(group);
  DrawGroup();
}

void TPracticeNavigator::PadChanged(TfcButtonGroupItem* selected) {
  if (FPad.Drawing() || FLocked || !selected) return;
  const int recNo = static_cast<int>(selected->GetButton()->GetTag());
  if (recNo > 0 && recNo != FShown) ShowRecord(recNo);
}

void TPracticeNavigator::PreviousGroup() {
  if (!FLocked && FSession.GetGroup().HasPrevious()) ShowGroup(FSession.GetGroup().Group - 1);
}

void TPracticeNavigator::NextGroup() {
  if (!FLocked && FSession.GetGroup().HasNext()) ShowGroup(FSession.GetGroup().Group + 1);
}

void TPracticeNavigator::Previous() {
  const int recNo = FSession.PreviousRecord();
  if (recNo <= 0 || FLocked) return;
  const TQuestionGroup& group = FSession.GetGroup();
  if (FStyle.BackOpensGroupStart && recNo < group.Start && group.HasPrevious())
    ShowGroup(group.Group - 1);
  else
    ShowRecord(recNo);
}

void TPracticeNavigator::Next() {
  if (const int recNo = FSession.NextRecord(); recNo > 0 && !FLocked) ShowRecord(recNo);
}

void TPracticeNavigator::HandleKey(TAnswerPadView& pad, WORD& key) {
  switch (pad.HandleKey(key, F.Previous->GetEnabled(), F.Next->GetEnabled())) {
    case TKeyActionKind::Previous: Previous(); break;
    case TKeyActionKind::Next: Next(); break;
    default: break;
  }
}

// ---- Closing down --------------------------------------------------------------------------

void ClosePractice(TComponent* window, bool& closed, TPracticeSession& session, TPracticeNavigator& navigator,
                   TKZTimeCounter* clock, const std::function<void()>& stop, const std::function<String()>& answer) {
  if (closed) return;
  closed = true;
  Screen->SetCursor(crHourGlass);
  try {
    clock->Stop();
    clock->SetEnabled(false);
    stop();
  } catch (...) {
    Application->HandleException(window);
  }
  session.Finish(navigator.Shown() > 0 ? answer() : String(), clock->GetElapsed());
  navigator.Forget();
  Screen->SetCursor(crDefault);
}

// ---- The status line ------------------------------------------------------------------------

void ShowQuestionStatus(TLabel* status, TepEfTrBtn* voidButton, int voided) {
  status->SetCaption(voided == 1 ? L"本题已被您作废！" : voided == 2 ? L"本题是您加入的题目！" : L"");
  voidButton->SetCaption(voided == 1 ? L"取消作废" : L"题目作废");
}

void ToggleVoidShown(TPracticeSession& session, TLabel* status, TepEfTrBtn* voidButton) {
  if (session.ToggleVoid() == 1) {
    status->SetCaption(L"本题已被您作废！");
    voidButton->SetCaption(L"取消作废");
  } else {
    status->SetCaption(L"本题曾被作废，现已被您取消！");
    voidButton->SetCaption(L"题目作废");
  }
}

// ---- Linked articles ------------------------------------------------------------------------

void ShowLinkedArticles(const String& questionId) {
  std::unique_ptr<TfrmAnswFagui> window(TCustomForm::Create<TfrmAnswFagui>(Application));
  if (window->LoadLinkedRules(questionId)) window->ShowModal();
}

// ---- TTypeBar --------------------------------------------------------------------------------

void TTypeBar::Build(TPracticeSession& session) {
  // The buttons keep copies of the pictures.
  const std::unique_ptr<TfcBitmap> up = LoadPadPicture(L"qorbtxup.bmp");
  const std::unique_ptr<TfcBitmap> down = LoadPadPicture(L"qorbtxdw.bmp");
  TADOTable* types = DM1->Cn1Table_tx;
  if (!types->GetActive()) types->Open();
  types->SetIndexFieldNames(L"A1");
  types->First();
  TFlagScope drawing(FDrawing);
  FGroup->GetButtonItems()->Clear();
  FGroup->SetColumns(kTypeColumns);
  auto add = [&](int tag, const String& caption) {
    auto* button = static_cast<TfcImageBtn*>(FGroup->GetButtonItems()->Add()->GetButton());
    button->SetTag(tag);
    button->SetCaption(caption);
    button->SetImage(up.get());
    button->SetImageDown(down.get());
    // A caption without a glyph is drawn a pixel left of the button's middle: one pixel
    // right centres it on the face.
    button->GetOffsets()->SetTextX(1);
    // A type without questions reads in plain grey: the embossed look is lost on the picture.
    TfcDisabledColors* dimmed = button->GetTextOptions()->GetDisabledColors();
    dimmed->SetHighlightColor(clNone);
    dimmed->SetShadeColor(kDimmedCaption);
    return button;
  };
  add(0, L"任意");
  for (int guard = 0; !types->GetEof() && guard < kMaxTypes; ++guard, types->Next()) {
    const int code = types->FieldByName(L"A1")->GetAsInteger();
    add(code, types->FieldByName(L"B1")->GetAsString())->SetEnabled(session.HasType(code));
  }
}

void TTypeBar::FitCaptions() {
  // A caption keeps kMargin pixels of the face on each side; the face is the whole button.
  constexpr int kMargin = 4, kSmallestHeight = 10;
  TBitmap measure;
  TCanvas* canvas = measure.GetCanvas();
  TfcButtonGroupItems* items = FGroup->GetButtonItems();
  items->UpdateLayout();  // the buttons' widths for the group's size now
  for (int i = 0; i < items->GetCount(); ++i) {
    TfcCustomBitBtn* button = items->GetItem(i)->GetButton();
    TFont* font = button->GetFont();
    canvas->GetFont()->Assign(font);
    int height = std::abs(font->GetHeight());
    for (int guard = 0; guard < 8 && height > kSmallestHeight; ++guard) {
      canvas->GetFont()->SetHeight(-height);
      // Each side keeps its margin where the button places the caption (off the middle by
      // its text offset and the rounding of an odd width), not only the two together.
      button->CalcButtonLayout(canvas, TRect(0, 0, button->GetWidth(), button->GetHeight()),
                               canvas->TextExtent(button->GetCaption()));
      const TRect& place = button->GetTextRect();
      if (place.Left >= kMargin && place.Right <= button->GetWidth() - kMargin) break;
      --height;
    }
    if (height != std::abs(font->GetHeight())) font->SetHeight(-height);
  }
}

TfcButtonGroupItem* TTypeBar::PressAny() {
  TfcButtonGroupItems* items = FGroup->GetButtonItems();
  if (items->GetCount() == 0) return nullptr;
  TFlagScope drawing(FDrawing);
  items->GetItem(0)->GetButton()->SetDown(true);
  return items->GetItem(0);
}

bool TTypeBar::Choose(TPracticeSession& session, TfcButtonGroupItem* selected, TfcButtonGroupItem* previous) {
  TfcCustomBitBtn* button = selected->GetButton();
  if (session.ApplyType(static_cast<int>(button->GetTag()))) return true;
  // The type has no questions (any more): the choice goes back.
  {
    TFlagScope drawing(FDrawing);
    button->SetDown(false);
    button->SetEnabled(false);
    if (previous && previous->GetButton()->GetEnabled()) previous->GetButton()->SetDown(true);
  }
  if (previous) session.ApplyType(static_cast<int>(previous->GetButton()->GetTag()));
  return session.GetGroup().Count > 0;
}

// ---- TTimeLimit ------------------------------------------------------------------------------

void TTimeLimit::Start(int typeCode, bool answered) {
  const int interval = AnswerInterval(typeCode, TypeIds, TypeTimes);
  FGauge->SetProgress(0);
  FTimer->SetEnabled(false);
  if (interval <= 0 || answered) return;
  FTimer->SetInterval(static_cast<unsigned>(interval));
  FTimer->SetEnabled(true);
}

void TTimeLimit::Stop() { FTimer->SetEnabled(false); }

bool TTimeLimit::Running() const { return FTimer->GetEnabled(); }

bool TTimeLimit::Tick() {
  if (!FTimer->GetEnabled()) return false;
  // The tick that fills the gauge ends the time: 100 ticks last the answer time exactly.
  if (FGauge->GetProgress() < kGaugeFull) FGauge->SetProgress(FGauge->GetProgress() + 1);
  if (FGauge->GetProgress() < kGaugeFull) return false;
  FTimer->SetEnabled(false);
  return true;
}
