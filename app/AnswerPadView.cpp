// The window side of answering (see AnswerPadView.h).
#include "app/AnswerPadView.h"

#include <algorithm>
#include <vector>
#include "Responders.h"
#include "Ucommon.h"
#include "classlib/controls/Messages.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/Edits.h"
#include "classlib/stdctrls/MediaPlayer.h"
#include "classlib/stdctrls/Notebooks.h"
#include "classlib/stdctrls/StdLabels.h"
#include "classlib/stdctrls/StdPanels.h"
#include "classlib/system/FlagScope.h"
#include "classlib/system/SysExceptions.h"
#include "classlib/system/SysFiles.h"
#include "controls/effects/EffBtns.h"
#include "controls/effects/FlatComboBox.h"
#include "controls/effects/FlatEdit.h"
#include "controls/imagebutton/fcButtonGroup.h"
#include "controls/imagebutton/fcImgBtn.h"

namespace {

TfcCustomBitBtn* ItemButton(TfcButtonGroup* group, int index) {
  if (!group) return nullptr;
  TfcButtonGroupItems* items = group->GetButtonItems();
  return index >= 0 && index < items->GetCount() ? items->GetItem(index)->GetButton() : nullptr;
}

TfcCustomBitBtn* AddButton(TfcButtonGroup* group, const String& name, const String& caption) {
  TfcCustomBitBtn* button = group->GetButtonItems()->Add()->GetButton();
  button->SetName(name);
  button->SetCaption(caption);
  button->SetAllowAllUp(true);
  return button;
}

// Passes the mouse moves over control, and over every control on it, on to the notebook's
// own move handler: the pages cover the notebook and the options most of the pages, so a
// move anywhere on them is a move over the notebook. A control's own handler is kept.
void PassMovesTo(TNotebook* notebook, TControl* control, int depth = 0) {
  constexpr int kDeepest = 8;  // pages hold a group of buttons at most
  if (!control->GetOnMouseMove()) {
    control->SetOnMouseMove([notebook, control](TObject*, TShiftState shift, int x, int y) {
      if (!notebook->GetOnMouseMove()) return;
      const TPoint at = notebook->ScreenToClient(control->ClientToScreen(TPoint(x, y)));
      notebook->GetOnMouseMove()(notebook, shift, at.X, at.Y);
    });
  }
  if (auto* parent = dynamic_cast<TWinControl*>(control); parent && depth < kDeepest)
    for (int i = 0; i < parent->GetControlCount(); ++i) PassMovesTo(notebook, parent->GetControl(i), depth + 1);
}

// A group shows its pressed option bold exactly as its own clicks do (a radio group bolds
// the one pressed, a check list none). The group re-applies that only when a button goes
// down, so an option released in code would otherwise stay bold.
void ShowSelectedBold(TfcButtonGroup* group) {
  for (int i = 0; i < group->GetButtonItems()->GetCount(); ++i) {
    TfcCustomBitBtn* button = ItemButton(group, i);
    if (!button) continue;
    const bool bold = group->GetAutoBold() && group->GetClickStyle() == bcsRadioGroup && button->GetDown();
    TFontStyles style = button->GetFont()->GetStyle();
    if (style.Contains(fsBold) == bold) continue;
    if (bold)
      style.Include(fsBold);
    else
      style.Exclude(fsBold);
    button->GetFont()->SetStyle(style);
  }
}

}  // namespace

// ---- Pictures --------------------------------------------------------------------------------

std::unique_ptr<TfcBitmap> LoadPadPicture(const String& name) {
  auto picture = std::make_unique<TfcBitmap>();
  try {
    picture->LoadFromFile(AppPath + L"pic\\" + name);
    if (!picture->GetEmpty()) return picture;
  } catch (...) {
    // told below
  }
  ShowDlg(L"错误", L"无法提取资源文件！", 1, 2, L"NO");
  Application->Terminate();
  Abort();
}

void TPadPictures::Load(bool withAnswered) {
  Up = LoadPadPicture(L"qorbup.bmp");
  Down = LoadPadPicture(L"qorbdw.bmp");
  Right = LoadPadPicture(L"qorbyes.bmp");
  Wrong = LoadPadPicture(L"qorbno.bmp");
  if (withAnswered) Answered = LoadPadPicture(L"qorbover.bmp");
}

TfcBitmap* TPadPictures::Of(TPadMark mark, TPadLook look) const {
  if (look == TPadLook::Sitting) return mark == TPadMark::Unanswered ? Up.get() : Answered.get();
  if (look == TPadLook::Review) return mark == TPadMark::Right ? Right.get() : Wrong.get();
  switch (mark) {
    case TPadMark::Right: return Right.get();
    case TPadMark::Wrong: return Wrong.get();
    case TPadMark::Unanswered: break;
  }
  return Up.get();
}

// ---- Command buttons -------------------------------------------------------------------------

void SetCommandEnabled(TepEfTrBtn* button, bool enabled) {
  button->SetEnabled(enabled);
  button->SetActiveTextColor(enabled ? clBlue : clGray);
  button->GetFont()->SetColor(enabled ? clBlack : clGray);
}

bool HasEnabledLook(const TepEfTrBtn* button) { return button->GetActiveTextColor() == clBlue; }

// ---- The number pad ----------------------------------------------------------------------------

namespace {

// The height group takes to hold count buttons (Columns across, loVertical) in the cells of
// a full pad, fullHeight being its height for a full pad: the rows the count fills, with
// the border below them as a full pad has it.
int ShortPadHeight(TfcButtonGroup* group, int fullHeight, int count) {
  const int columns = std::max(1, group->GetColumns());
  const int rows = (count + columns - 1) / columns;
  const TRect client = group->GetClientRect();
  const int frame = group->GetHeight() - client.Height();
  const int border = group->GetBorderWidth();
  const std::vector<TRect> cells =
      GroupLayout(TNumberPad::kButtons, columns, loVertical, client.Width() - 2 * border,
                  fullHeight - frame - 2 * border, border, group->GetControlSpacing(), group->GetMaxControlSize());
  if (rows < 1 || rows > static_cast<int>(cells.size())) return fullHeight;
  // A full pad fills its first column first: its first cells are the rows of that column.
  return frame + cells[static_cast<size_t>(rows - 1)].Bottom + border;
}

}  // namespace

void TNumberPad::Build(TfcButtonGroup* group, const String& namePrefix, const TPadPictures& pictures) {
  FGroup = group;
  FNamePrefix = namePrefix;
  FPictures = &pictures;
  FFullHeight = group->GetHeight();
  TFlagScope drawing(FDrawing);
  Lay(kButtons);
}

void TNumberPad::Lay(int count) {
  count = std::clamp(count, 0, kButtons);
  FGroup->GetButtonItems()->Clear();
  std::fill(std::begin(FButtons), std::end(FButtons), nullptr);
  FCount = count;
  // Items fill the group's grid in its own order; numbers run along the grid's rows.
  const int lines = std::max(1, FGroup->GetColumns());
  const TfcGroupGrid grid = GroupGrid(count, lines, FGroup->GetLayout());
  for (int item = 0; item < count; ++item) {
    const TPoint cell = GroupCell(grid, item, lines, FGroup->GetLayout());
    const int index = cell.Y * grid.Columns + cell.X;
    auto* button = static_cast<TfcImageBtn*>(
        AddButton(FGroup, FNamePrefix + IntToStr(index + 1), IntToStr(index + 1)));
    button->SetImage(FPictures->Up.get());
    button->SetImageDown(FPictures->Down.get());
    button->SetEnabled(false);
    if (index >= 0 && index < kButtons) FButtons[index] = button;
  }
}

TfcImageBtn* TNumberPad::Button(int index) const {
  return index >= 0 && index < kButtons ? FButtons[index] : nullptr;
}

void TNumberPad::Draw(const TQuestionGroup& group, const std::function<TfcBitmap*(int recNo)>& pictureOf,
                      TPadDrawing drawing) {
  if (!FGroup) return;
  TFlagScope scope(FDrawing);
  const int wanted = drawing.HideUnused ? std::clamp(group.Count, 0, kButtons) : kButtons;
  // The height the window gave the group, for a full pad.
  if (FCount == kButtons) FFullHeight = FGroup->GetHeight();
  if (wanted != FCount) Lay(wanted);
  // A short pad has fewer rows: the group shrinks to them, so that the cells keep a full
  // pad's size.
  if (drawing.HideUnused && FGroup->GetLayout() == loVertical)
    FGroup->SetHeight(FCount > 0 && FCount < kButtons ? ShortPadHeight(FGroup, FFullHeight, FCount) : FFullHeight);
  for (int i = 0; i < kButtons; ++i) {
    TfcImageBtn* button = FButtons[i];
    if (!button) continue;
    const int recNo = group.RecordOfButton(i);
    button->SetDown(false);
    button->SetEnabled(recNo > 0);
    button->SetTag(recNo);
    button->SetCaption(drawing.RecordCaptions && recNo > 0 ? IntToStr(recNo) : IntToStr(i + 1));
    TfcBitmap* picture = recNo > 0 && pictureOf ? pictureOf(recNo) : nullptr;
    button->SetImage(picture ? picture : FPictures->Up.get());
  }
}

void TNumberPad::PressQuietly(int index) {
  TfcImageBtn* button = Button(index);
  if (!button || button->GetDown()) return;
  TFlagScope drawing(FDrawing);
  button->SetDown(true);
}

void TNumberPad::SetEnabled(bool enabled) {
  for (TfcImageBtn* button : FButtons)
    if (button && button->GetTag() > 0) button->SetEnabled(enabled);
}

// ---- Answer pads -------------------------------------------------------------------------------

TAnswerPadView::TAnswerPadView(const TAnswerPadControls& controls, TSelfGrades grades)
    : F(controls), FGrades(grades) {}

void TAnswerPadView::BuildButtons() {
  // The first button of a pad keeps copies of the option pictures; the group's Add points
  // every later button at it (ExtImage, ExtImageDown).
  const std::unique_ptr<TfcBitmap> up = LoadPadPicture(L"qorbopup.bmp");
  const std::unique_ptr<TfcBitmap> down = LoadPadPicture(L"qorbopdw.bmp");
  const auto add = [&](TfcButtonGroup* group, int index, const String& caption) {
    TfcCustomBitBtn* button = AddButton(group, group->GetName() + IntToStr(index + 1), caption);
    auto* image = dynamic_cast<TfcImageBtn*>(button);
    if (index == 0 && image) {
      image->SetImage(up.get());
      image->SetImageDown(down.get());
    }
  };
  for (TfcButtonGroup* group : {F.Single, F.Multiple, F.Match})
    for (int i = 0; i < kOptionButtons; ++i) add(group, i, String(1, static_cast<wchar_t>(L'A' + i)));
  add(F.TrueFalse, 0, L"对");
  add(F.TrueFalse, 1, L"错");
  TStrings* items = F.Self->GetItems();
  items->Clear();
  items->Add(L"不会");
  if (FGrades == TSelfGrades::Three) {
    items->Add(L"了解");
    items->Add(L"熟悉");
  } else {
    items->Add(L"会");
  }
  for (int i = 0; i < F.Notebook->GetPageCount(); ++i) PassMovesTo(F.Notebook, F.Notebook->GetPage(i));
}

void TAnswerPadView::ShowPageHint() {
  F.Notebook->SetHint(AnswerPageHint(Page()));
  F.Notebook->SetShowHint(true);
}

int TAnswerPadView::Page() const { return F.Notebook->GetPageIndex(); }

void TAnswerPadView::ShowPageOf(int typeCode) { F.Notebook->SetPageIndex(ShownAnswerPage(typeCode, Page())); }

TfcButtonGroup* TAnswerPadView::OptionGroup(int page) const {
  switch (page) {
    case apSingle: return F.Single;
    case apMultiple: return F.Multiple;
    case apMatch: return F.Match;
    default: return nullptr;
  }
}

TfcCustomBitBtn* TAnswerPadView::OptionButton(int page, int index) const {
  return ItemButton(OptionGroup(page), index);
}

TAnswerPad TAnswerPadView::Current(int optionCount) const {
  TAnswerPad pad;
  pad.Page = Page();
  pad.OptionCount = optionCount;
  pad.Grades = FGrades;
  if (TfcButtonGroup* group = OptionGroup(pad.Page)) {
    for (int i = 0; i < kOptionButtons; ++i)
      if (TfcCustomBitBtn* button = ItemButton(group, i)) {
        pad.Visible[i] = button->GetVisible();
        pad.Down[i] = button->GetDown();
      }
  } else if (pad.Page == apTrueFalse) {
    for (int i = 0; i < 2; ++i)
      if (TfcCustomBitBtn* button = ItemButton(F.TrueFalse, i)) pad.Down[i] = button->GetDown();
  }
  pad.Text = F.Fill->GetText();
  pad.ItemIndex = F.Self->GetItemIndex();
  return pad;
}

void TAnswerPadView::Show(const TAnswerPad& pad) {
  FRestoring = true;
  for (TfcButtonGroup* group : {F.Single, F.Multiple, F.Match}) {
    const bool onPage = group == OptionGroup(pad.Page);
    for (int i = 0; i < kOptionButtons; ++i)
      if (TfcCustomBitBtn* button = ItemButton(group, i)) {
        button->SetDown(onPage && pad.Down[i]);
        button->SetVisible(!onPage || pad.Visible[i]);
      }
  }
  for (int i = 0; i < 2; ++i)
    if (TfcCustomBitBtn* button = ItemButton(F.TrueFalse, i)) button->SetDown(pad.Page == apTrueFalse && pad.Down[i]);
  for (TfcButtonGroup* group : {F.Single, F.Multiple, F.Match, F.TrueFalse}) ShowSelectedBold(group);
  F.Fill->SetText(pad.Page == apFill ? pad.Text : String());
  F.Self->SetItemIndex(pad.Page == apSelf ? pad.ItemIndex : -1);
  FRestoring = false;
}

void TAnswerPadView::Restore(int optionCount, const String& stored) {
  Show(RestoreAnswer(Page(), optionCount, stored, FGrades));
}

void TAnswerPadView::SetEnabled(bool enabled) {
  for (TfcButtonGroup* group : {F.Single, F.Multiple, F.Match, F.TrueFalse}) {
    group->SetEnabled(enabled);
    for (int i = 0; i < group->GetButtonItems()->GetCount(); ++i)
      if (TfcCustomBitBtn* button = ItemButton(group, i)) button->SetEnabled(enabled);
  }
  F.Fill->SetEnabled(enabled);
  F.Self->SetEnabled(enabled);
}

TKeyContext TAnswerPadView::KeyContext(bool previousEnabled, bool nextEnabled) const {
  TKeyContext context;
  context.Page = Page();
  if (TfcButtonGroup* group = OptionGroup(context.Page))
    for (int i = 0; i < kOptionButtons; ++i)
      if (TfcCustomBitBtn* button = ItemButton(group, i))
        context.OptionUsable[i] = button->GetVisible() && button->GetEnabled();
  context.PreviousEnabled = previousEnabled;
  context.NextEnabled = nextEnabled;
  context.ModifierDown = ModifierKeyDown();
  context.Typing = TakesTyping(FocusedControl());
  return context;
}

TKeyActionKind TAnswerPadView::HandleKey(WORD& key, bool previousEnabled, bool nextEnabled) {
  const TKeyContext context = KeyContext(previousEnabled, nextEnabled);
  const TKeyAction action = KeyActionOf(context, key);
  TfcCustomBitBtn* option = OptionButton(context.Page, action.Option);
  if (action.Kind == TKeyActionKind::PressOption && option) option->SetDown(true);
  if (action.Kind == TKeyActionKind::ToggleOption && option) option->SetDown(!option->GetDown());
  if (action.Kind != TKeyActionKind::None) key = 0;
  return action.Kind;
}

bool PreviewDialogKey(TMessage& message, const std::function<void(WORD& key)>& keyDown) {
  WORD key = TWMKey(message).GetCharCode();
  if (key != VK_RETURN) return false;
  keyDown(key);
  if (key != 0) return false;
  message.Result = 1;
  return true;
}

bool TakesTyping(TWinControl* control) {
  // A hidden control keeps the focus when its page is turned away; it takes no typing then.
  if (!control || !control->HandleAllocated() || !::IsWindowVisible(control->GetHandle()) ||
      !::IsWindowEnabled(control->GetHandle()))
    return false;
  // The edit's own read-only state: a data-aware view keeps it set until its field is edited.
  if (auto* edit = dynamic_cast<const TCustomEdit*>(control)) return !edit->TCustomEdit::GetReadOnly();
  if (auto* combo = dynamic_cast<const TCustomComboBox*>(control))
    return combo->GetStyle() == csDropDown || combo->GetStyle() == csSimple;
  return false;
}

TWinControl* FocusedControl() {
  constexpr int kMaxDepth = 32;  // windows nest far less deeply
  HWND window = ::GetFocus();
  for (int depth = 0; window && depth < kMaxDepth; ++depth, window = ::GetParent(window))
    if (TWinControl* control = FindControl(window)) return control;
  return nullptr;
}

// ---- The answer panel ---------------------------------------------------------------------------

bool TAnswerPanel::IsOpen() const { return F.Toggle->GetCaption() != L"答案"; }

void TAnswerPanel::Open(const TAnswerPad& pad, const String& key, TSelfGrades grades, bool selfPage) {
  F.Verdict->SetCaption(VerdictText(ReadAnswer(pad), key, grades, selfPage));
  F.Yours->GetLines()->Clear();
  F.Yours->GetLines()->Add(ShownAnswer(pad));
  F.Key->GetLines()->Clear();
  F.Key->GetLines()->Add(ShownKey(pad.Page, key));
  Slide();
}

void TAnswerPanel::Slide() {
  if (FSliding) return;
  FSliding = true;
  const bool opening = !IsOpen();
  F.Toggle->SetCaption(opening ? L"返回" : L"答案");
  if (!F.KeepHeight) F.Panel->SetHeight(F.Area->GetHeight());
  F.Panel->SetVisible(true);
  for (int width : SlideWidths(F.Panel->GetWidth(), opening ? F.Area->GetWidth() : 0)) {
    F.Panel->SetWidth(width);
    Application->ProcessMessages();
  }
  F.Panel->SetVisible(opening);
  FSliding = false;
}

void TAnswerPanel::CloseAtOnce() {
  if (!IsOpen()) return;
  F.Toggle->SetCaption(L"答案");
  F.Panel->SetWidth(0);
  F.Panel->SetVisible(false);
}

// ---- Listening passages -------------------------------------------------------------------------

String QuestionPassageFile(const String& questionId) { return AppPath + L"voice\\@" + questionId + L".mp3"; }

String GroupPassageFile(const String& questionId) { return QuestionPassageFile(questionId.substr(0, 16)); }

TPassagePlay PlayPassageFile(TMediaPlayer* player, const String& file) {
  if (!FileExists(file)) return TPassagePlay::Missing;
  try {
    player->Close();
    player->SetFileName(file);
    player->Open();
    player->Play();
  } catch (...) {
    return TPassagePlay::Failed;
  }
  return TPassagePlay::Playing;
}
