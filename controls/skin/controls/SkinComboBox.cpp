#include "SkinComboBox.h"

#include <algorithm>

#include "SkinOpenDropDown.h"
#include "classlib/classes/Properties.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "controls/skin/engine/ThemeBinding.h"

namespace {
const wchar_t* const ButtonAlignNames[] = {L"cbaLeft", L"cbaRight"};
const wchar_t* const ComboStyleNames[] = {L"vcsDropDown", L"vcsDropDownList"};
// Posted to the combo when its window loses activation: the close runs outside the window's
// own activation handling. wParam is the number of the opening it closes, so that a close
// posted for an opening already over leaves a later one open.
constexpr UINT CloseUpMessage = WM_APP + 0x2C1;
constexpr int CP_DROPDOWNBUTTON_PART = 1;

String LowerText(String text) {
  ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// Holds back the frame painting of a form decoration on a window while the window is shown,
// then paints the frame once.
class TFrameUpdate {
 public:
  explicit TFrameUpdate(TControl* window) : FRelease(HoldDropDownFrame(window)) {}
  ~TFrameUpdate() {
    if (FRelease) FRelease();
  }
  TFrameUpdate(const TFrameUpdate&) = delete;
  TFrameUpdate& operator=(const TFrameUpdate&) = delete;

 private:
  std::function<void()> FRelease;
};

// Counts a message being handled for as long as the handling runs.
struct TBusyScope {
  int& Count;
  explicit TBusyScope(int& count) : Count(count) { ++Count; }
  ~TBusyScope() { --Count; }
  TBusyScope(const TBusyScope&) = delete;
  TBusyScope& operator=(const TBusyScope&) = delete;
};
}  // namespace

const TEnumInfo SeComboButtonAlignIdents = MakeEnumInfo(ButtonAlignNames);
const TEnumInfo SeComboStyleIdents = MakeEnumInfo(ComboStyleNames);

// ---- The form's activation events -----------------------------------------------------------------

// Holds back a form's OnActivate and OnDeactivate while its combo's list is open: the focus
// moves to the drop-down and back, but to the program the form stays active throughout.
class TSeCustomComboBox::TQuietActivation {
 public:
  explicit TQuietActivation(TCustomForm* form) : FForm(form) {
    if (!FForm) return;
    FOnActivate = FForm->GetOnActivate();
    FOnDeactivate = FForm->GetOnDeactivate();
    FForm->SetOnActivate(nullptr);
    FForm->SetOnDeactivate(nullptr);
  }
  // Gives the handlers back, unless the program set others meanwhile or the form is going.
  ~TQuietActivation() {
    if (!FForm || !StillThere()) return;
    if (!FForm->GetOnActivate()) FForm->SetOnActivate(std::move(FOnActivate));
    if (!FForm->GetOnDeactivate()) FForm->SetOnDeactivate(std::move(FOnDeactivate));
  }
  TQuietActivation(const TQuietActivation&) = delete;
  TQuietActivation& operator=(const TQuietActivation&) = delete;

 private:
  // The screen lists the forms that exist (a form leaves it first thing when it is freed).
  bool StillThere() const {
    for (int i = 0; i < Screen->GetCustomFormCount(); ++i)
      if (Screen->GetCustomForms(i) == FForm) return true;
    return false;
  }

  TCustomForm* FForm;  // not owned
  TNotifyEvent FOnActivate, FOnDeactivate;
};

// ---- The combo's list ---------------------------------------------------------------------------------

void TSeComboListBox::PaintItem(TCanvas* canvas, int index, const TRect& rect) {
  struct TFaceScope {
    TCanvas*& Slot;
    ~TFaceScope() { Slot = nullptr; }
  } scope{FFaceCanvas};
  FFaceCanvas = canvas;
  DrawItem(canvas, index, rect);
}

void TSeComboListBox::WndProc(TMessage& message) {
  TBusyScope busy(FBusy);
  inherited::WndProc(message);
}

void TSeComboListBox::ItemsChanged() {
  inherited::ItemsChanged();
  if (!GetUpdating() && OnItemsChanged) OnItemsChanged();
}

void TSeComboListBox::DoDrawItem(int index, const TRect& rect, TOwnerDrawState state) {
  if (!FFaceCanvas) {
    inherited::DoDrawItem(index, rect, state);
    return;
  }
  if (const TSeDrawItemEvent& handler = GetOnDrawItem()) handler(this, FFaceCanvas, index, rect, state);
}

// ---- Drop-down window -----------------------------------------------------------------------------

TSeComboWindow::TSeComboWindow(TSeCustomComboBox* combo) : TForm(nullptr), FCombo(combo) {
  SetBorderStyle(bsNone);
  SetKeyPreview(true);
}

void TSeComboWindow::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style = WS_POPUP | WS_CLIPCHILDREN;
  params.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  params.WindowClass.style |= CS_SAVEBITS;
}

void TSeComboWindow::KeyDown(WORD& key, TShiftState shift) {
  if (!FCombo) {
    inherited::KeyDown(key, shift);
    return;
  }
  if (key == VK_ESCAPE) {
    key = 0;
    FCombo->CloseUp();
    return;
  }
  if (key == VK_RETURN || key == VK_SPACE) {
    key = 0;
    FCombo->ChooseFromList();
    return;
  }
  inherited::KeyDown(key, shift);
}

void TSeComboWindow::Dispatch(TMessage& message) {
  TBusyScope busy(FBusy);
  switch (message.Msg) {
    case WM_ACTIVATE:
      inherited::Dispatch(message);
      if (!FCombo) return;
      if (LOWORD(message.WParam) == WA_INACTIVE) {
        if (FCombo->HandleAllocated())
          ::PostMessageW(FCombo->GetHandle(), CloseUpMessage, FCombo->GetDropDownNumber(), 0);
      } else if (TCustomForm* form = GetParentForm(FCombo); form && form->HandleAllocated()) {
        ::SendMessageW(form->GetHandle(), WM_NCACTIVATE, 1, 0);  // its caption stays active
      }
      return;
    case WM_CLOSE: return;  // only the combo closes it
    case WM_ERASEBKGND: message.Result = 1; return;
    default: inherited::Dispatch(message);
  }
}

// ---- Stored form ------------------------------------------------------------------------------------

const TPropertyTable* TSeCustomComboBox::PublishedProperties() {
  using P = TPublish<TSeCustomComboBox>;
  using C = TSeCustomComboBox;
  static const TPropertyTable table{
      P::Boolean(L"AutoComplete", &C::GetAutoComplete, &C::SetAutoComplete).Default(false),
      P::Enum(L"ButtonAlign", SeComboButtonAlignIdents, &C::GetButtonAlign, &C::SetButtonAlign)
          .Default(cbaRight),
      P::Enum(L"ComboStyle", SeComboStyleIdents, &C::GetComboStyle, &C::SetComboStyle)
          .Default(vcsDropDown),
      P::Integer(L"DropDownCount", &C::GetDropDownCount, &C::SetDropDownCount).Default(8),
      P::Integer(L"ItemHeight", &C::GetItemHeight, &C::SetItemHeight).Default(15),
      P::Strings(L"Items", &C::GetItems, &C::SetItems),
      P::Integer(L"ItemIndex", &C::GetItemIndex, &C::SetItemIndex).Default(-1),
      P::Boolean(L"Sorted", &C::GetSorted, &C::SetSorted).Default(false),
      // Forwarded to the list.
      P::Boolean(L"Flat", [](C* c) { return c->GetList()->GetFlat(); },
                 [](C* c, bool v) { c->GetList()->SetFlat(v); }).Default(true),
      P::Enum(L"FontDevice", SeFontDeviceIdents, [](C* c) { return c->GetList()->GetFontDevice(); },
              [](C* c, TSeFontDevice v) { c->GetList()->SetFontDevice(v); }).Default(fdScreen),
      P::Enum(L"FontType", SeFontTypeIdents, [](C* c) { return c->GetList()->GetFontType(); },
              [](C* c, TSeFontType v) { c->GetList()->SetFontType(v); }).Default(ftAll),
      P::Enum(L"ListStyle", SeListBoxStyleIdents, [](C* c) { return c->GetList()->GetListStyle(); },
              &C::SetListStyle).Default(TSeCustomListBox::lbStandard),
      P::Boolean(L"ShowCheckBoxes", [](C* c) { return c->GetList()->GetShowCheckBoxes(); },
                 [](C* c, bool v) { c->GetList()->SetShowCheckBoxes(v); }).Default(false),
      P::Boolean(L"WordWrap", [](C* c) { return c->GetList()->GetWordWrap(); },
                 [](C* c, bool v) { c->GetList()->SetWordWrap(v); }).Default(false),
      P::Method(L"OnDrawItem", &C::GetOnDrawItem, &C::SetOnDrawItem),
      P::Method(L"OnMeasureItem", &C::GetOnMeasureItem, &C::SetOnMeasureItem),
      // The combo's own events.
      P::Method(L"OnDropDown", &C::OnDropDown, &C::OnDropDown),
      P::Method(L"OnCloseUp", &C::OnCloseUp, &C::OnCloseUp),
      P::Method(L"OnListBoxClick", &C::OnListBoxClick, &C::OnListBoxClick),
      P::Method(L"OnAllowChange", &C::OnAllowChange, &C::OnAllowChange),
  };
  return &table;
}

TSeCustomComboBox::TSeCustomComboBox(TComponent* owner) : TSeCustomEdit(owner) {
  FTimer = new TTimer(this);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(100);
  FTimer->SetOnTimer([this](TObject*) { Complete(); });
}

TSeCustomComboBox::~TSeCustomComboBox() {
  // Nothing reaches the program while the combo goes: no events, no focus moves.
  OnDropDown = OnCloseUp = OnListBoxClick = nullptr;
  OnAllowChange = nullptr;
  SetOnChange(nullptr);
  FTimer->SetEnabled(false);
  UnregisterOpenDropDown(this);
  FQuiet.reset();
  if (!FList) return;  // never asked for: nothing of it to take apart
  FList->OnItemsChanged = nullptr;
  FList->SetOnClick(nullptr);
  FList->SetOnDrawItem(nullptr);
  FList->SetOnMeasureItem(nullptr);
  if (FDropped) {
    FDropped = false;
    if (FWindow && FWindow->HandleAllocated()) ::ShowWindow(FWindow->GetHandle(), SW_HIDE);
    FList->SetVisible(false);
  }
  if (!FWindow) return;  // the list never left the combo: it goes with it
  FWindow->Forget();
  // The window frees the list (its child) with itself. When a handler freed the combo while
  // the list or the window is still handling a message, both are freed from the message
  // queue once that handling is over.
  RemoveComponent(FList);
  FWindow->InsertComponent(FList);
  TSeComboWindow* window = FWindow.release();
  if ((window->Busy() || FList->Busy()) && Application && window->HandleAllocated())
    window->Release();
  else
    delete window;
}

// ---- Attributes -------------------------------------------------------------------------------------

TSeComboListBox* TSeCustomComboBox::CreateList() { return new TSeComboListBox(this); }

TSeComboListBox* TSeCustomComboBox::GetList() const {
  if (FList) return FList;
  auto* self = const_cast<TSeCustomComboBox*>(this);
  TSeComboListBox* list = self->CreateList();
  if (!list) list = self->TSeCustomComboBox::CreateList();
  // The combo frees the list (or hands it to its drop-down window): it must be its owner.
  if (list->GetOwner() != this) {
    if (TComponent* other = list->GetOwner()) other->RemoveComponent(list);
    self->InsertComponent(list);
  }
  FList = list;
  list->SetVisible(false);
  list->SetTabStop(false);
  list->SetAlign(alClient);
  list->SetParent(self);
  list->SetOnClick([self](TObject*) { self->ListClick(); });
  list->OnItemsChanged = [self] { self->ListItemsChanged(); };
  return list;
}

TStrings* TSeCustomComboBox::GetItems() const { return GetList()->GetItems(); }

void TSeCustomComboBox::SetItems(TStrings* value) {
  GetList()->SetItems(value);
  StoreItemIndex(FItemIndex, false);  // within the new count
}

void TSeCustomComboBox::SetItemIndex(int value) { StoreItemIndex(value, true); }

int TSeCustomComboBox::ClampedIndex(int value) const {
  const int count = GetItems()->GetCount();
  // -1 is nothing chosen, in either style; only values below it are taken as the first item.
  if (count == 0) return -1;
  if (value < -1) return 0;
  return std::min(value, count - 1);
}

void TSeCustomComboBox::StoreItemIndex(int value, bool tellSame) {
  if (GetComponentState().Contains(csLoading)) {
    FItemIndex = value;  // checked against the items once they are read (Loaded)
    return;
  }
  value = ClampedIndex(value);
  FItemIndex = value;
  const bool listStyle = FComboStyle == vcsDropDownList;
  const String before = GetText();
  const std::weak_ptr<int> alive = GetLifeToken();
  const bool completing = FCompleting;
  FCompleting = true;  // a chosen item is not typing to complete
  if (value >= 0) {
    const String item = GetItems()->Get(value);
    // A choice typed over in the typed style is one undo step; the pick-only text is no
    // user's typing and starts no history.
    if (!listStyle) ReplaceAllText(item);
    else StoreTextUnrecorded(item);
  } else if (listStyle) {
    StoreTextUnrecorded(String());
  }
  // The pick-only style tells every choice, also one whose text is the one shown already.
  if (!alive.expired() && tellSame && listStyle && GetText() == before) Change();
  if (alive.expired()) return;
  FCompleting = completing;
  Invalidate();
}

void TSeCustomComboBox::ListItemsChanged() {
  // A change handler that changes the items again is not followed round again.
  if (FFollowingItems || GetComponentState().Contains(csLoading)) return;
  if (FComboStyle != vcsDropDownList) {
    // Typed text stays as typed: only the index is kept within the items.
    const int value = ClampedIndex(FItemIndex);
    if (value != FItemIndex) {
      FItemIndex = value;
      Invalidate();
    }
    return;
  }
  // The shown text is the item at ItemIndex, whatever moved into that place; a change of
  // that text is told, the same text is not. The change handler may free the combo.
  const std::weak_ptr<int> alive = GetLifeToken();
  FFollowingItems = true;
  try {
    StoreItemIndex(FItemIndex, false);
  } catch (...) {
    if (!alive.expired()) FFollowingItems = false;
    throw;
  }
  if (!alive.expired()) FFollowingItems = false;
}

void TSeCustomComboBox::SetComboStyle(TSeComboStyle value) {
  if (value != vcsDropDown && value != vcsDropDownList) return;
  if (value == FComboStyle) return;
  FComboStyle = value;
  if (value == vcsDropDown) {
    if (!GetComponentState().Contains(csLoading)) SetReadOnly(FSavedReadOnly);
    if (HandleAllocated() && ::GetFocus() == GetHandle()) ShowTextCaret();
  } else {
    FSavedReadOnly = GetReadOnly();
    SetReadOnly(true);
    // Switching to pick-only chooses the first item when none was chosen.
    SetItemIndex(FItemIndex < 0 ? 0 : FItemIndex);
    if (HandleAllocated() && ::GetFocus() == GetHandle()) HideTextCaret();
  }
  Invalidate();
}

void TSeCustomComboBox::SetButtonAlign(TSeComboButtonAlign value) {
  if (value == FButtonAlign || (value != cbaLeft && value != cbaRight)) return;
  FButtonAlign = value;
  Invalidate();
}

void TSeCustomComboBox::SetListStyle(TSeCustomListBox::TSeListBoxStyle value) {
  GetList()->SetListStyle(value);
  // The font and colour lists set their own row height; the drop-down follows it.
  if (value == TSeCustomListBox::lbFonts || value == TSeCustomListBox::lbFontSamples ||
      value == TSeCustomListBox::lbColors || value == TSeCustomListBox::lbColorNames)
    SetItemHeight(GetList()->GetItemHeight());
  StoreItemIndex(FItemIndex, false);
}

void TSeCustomComboBox::SetOnDrawItem(TSeDrawItemEvent handler) {
  GetList()->SetOnDrawItem(std::move(handler));
  Invalidate();  // the pick-only face is drawn by it
}

void TSeCustomComboBox::SetDropDownCount(int value) { FDropDownCount = std::clamp(value, 1, 100); }

void TSeCustomComboBox::SetItemHeight(int value) { FItemHeight = std::clamp(value, 1, 1000); }

void TSeCustomComboBox::Loaded() {
  inherited::Loaded();
  StoreItemIndex(FItemIndex, false);
}

// ---- Layout --------------------------------------------------------------------------------------------

int TSeCustomComboBox::GetButtonWidth() {
  if (UseThemes() && ThemeApi().GetThemePartSize) {
    TThemeScope theme(L"ComboBox");
    SIZE size{};
    if (theme && ThemeApi().GetThemePartSize(theme.Get(), nullptr, CP_DROPDOWNBUTTON_PART, 1, nullptr,
                                             TS_TRUE, &size) == S_OK &&
        size.cx > 0)
      return std::max<int>(size.cx, 15);  // a theme's narrower glyph is still clicked easily
  }
  return 15;
}

TRect TSeCustomComboBox::GetTextRect() {
  TRect r = inherited::GetTextRect();
  const int button = GetButtonWidth();
  if (FButtonAlign == cbaRight) r.Right = std::max(r.Left, r.Right - button);
  else r.Left = std::min(r.Right, r.Left + button);
  return r;
}

TRect TSeCustomComboBox::GetButtonRect() {
  TRect frame;
  GetFrameRect(frame);
  // Over the border's rings, inside the bevels, as a system combo's button sits.
  const int border = GetBorderWidth();
  frame = TRect(frame.Left - border, frame.Top - border, frame.Right + border, frame.Bottom + border);
  const int button = GetButtonWidth();
  if (FButtonAlign == cbaRight) frame.Left = std::max(frame.Left, frame.Right - button);
  else frame.Right = std::min(frame.Right, frame.Left + button);
  return frame;
}

TRect TSeCustomComboBox::DropDownBounds(const TRect& combo, int listHeight, const TSize& screen) {
  const int width = std::min(RectWidth(combo), screen.cx);
  const int left = std::clamp(combo.Left, 0, std::max(screen.cx - width, 0));
  const int below = screen.cy - combo.Bottom, above = combo.Top;
  int height = listHeight, top = combo.Bottom;
  if (listHeight > below) {
    if (listHeight <= above || above > below) {
      height = std::min(listHeight, std::max(above, 0));
      top = combo.Top - height;
    } else {
      height = std::max(below, 0);
    }
  }
  return TRect(left, top, left + width, top + height);
}

// ---- Drop-down ---------------------------------------------------------------------------------------

void TSeCustomComboBox::DropDown() {
  if (FDropped || !HandleAllocated()) return;
  const std::weak_ptr<int> alive = GetLifeToken();
  if (!FWindow) FWindow = std::make_unique<TSeComboWindow>(this);
  TSeComboListBox* list = GetList();
  TRect frame;
  list->GetFrameRect(frame);
  const int insets = frame.Top + (list->GetHeight() - frame.Bottom);
  RECT screenRect{};
  ::GetWindowRect(GetHandle(), &screenRect);
  const TRect bounds = DropDownBounds(
      TRect(screenRect.left, screenRect.top, screenRect.right, screenRect.bottom),
      FDropDownCount * FItemHeight + std::max(insets, 0),
      TSize{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)});
  FWindow->SetBounds(bounds.Left, bounds.Top, RectWidth(bounds), RectHeight(bounds));
  for (int i = 0; i < GetItems()->GetCount(); ++i) list->SetSelected(i, false);
  list->SetItemHeight(FItemHeight);
  list->SetColor(GetColor());
  // In the window (hidden) before the choice is selected, so the list scrolls to it at its
  // drop-down size.
  list->SetParent(FWindow.get());
  const int index = FItemIndex < 0 && GetItems()->GetCount() > 0 ? 0 : FItemIndex;
  list->SetItemIndex(index);
  if (index >= 0) list->SetSelected(index, true);
  FDropped = true;
  ++FDropDownNumber;
  FQuiet = std::make_unique<TQuietActivation>(GetParentForm(this));
  {
    TFrameUpdate update(FWindow.get());
    FWindow->Show();
    ::SetWindowPos(FWindow->GetHandle(), HWND_TOPMOST, bounds.Left, bounds.Top, RectWidth(bounds),
                   RectHeight(bounds), SWP_NOACTIVATE);
  }
  DoDropDown();
  if (alive.expired() || !FDropped) return;
  ::SetActiveWindow(FWindow->GetHandle());
  if (list->CanFocus()) list->SetFocus();
  if (alive.expired() || !FDropped) return;
  list->Invalidate();
}

void TSeCustomComboBox::DoDropDown() {
  TSeComboListBox* list = GetList();
  if (!list->GetVisible() && FWindow) {
    list->SetParent(FWindow.get());
    list->SetFont(GetFont());
    list->SetVisible(true);
    // Menus and form frames close the open list through this record.
    RegisterOpenDropDown(this, [this](TComponent*) { CloseUp(); });
  }
  if (OnDropDown) OnDropDown(this);
}

void TSeCustomComboBox::CloseUp() {
  // Cleared first, so that an OnCloseUp that opens the list again keeps its new record.
  UnregisterOpenDropDown(this);
  if (!FDropped) return;
  const std::weak_ptr<int> alive = GetLifeToken();
  FDropped = false;
  FButtonPressed = false;
  // Hiding the window gives the activation back to the form, and the combo the focus.
  if (FWindow) FWindow->Hide();
  // The list stays in the window: taking it out would destroy its window handle, perhaps
  // under its own key or mouse handling.
  GetList()->SetVisible(false);
  Invalidate();
  if (GetEnabled() && CanFocus()) {
    if (TCustomForm* form = GetParentForm(this); form && form->HandleAllocated())
      ::SetActiveWindow(form->GetHandle());
    SetFocus();
  }
  FQuiet.reset();
  if (!alive.expired() && OnCloseUp) OnCloseUp(this);
}

void TSeCustomComboBox::ChooseFromList() {
  if (!FDropped) return;
  const std::weak_ptr<int> alive = GetLifeToken();
  const int index = GetList()->GetItemIndex();
  bool allow = index >= 0 && index < GetItems()->GetCount();
  if (allow && OnAllowChange) OnAllowChange(this, index, GetItems()->Get(index), allow);
  if (alive.expired()) return;
  if (allow) SetItemIndex(index);
  CloseUp();
}

void TSeCustomComboBox::ListClick() {
  if (!FDropped) return;
  const std::weak_ptr<int> alive = GetLifeToken();
  if (OnListBoxClick) OnListBoxClick(this);
  if (!alive.expired()) ChooseFromList();
}

// ---- Keys, mouse, wheel ----------------------------------------------------------------------------------

void TSeCustomComboBox::KeyDown(WORD& key, TShiftState shift) {
  const std::weak_ptr<int> alive = GetLifeToken();
  const bool listStyle = FComboStyle == vcsDropDownList;
  // The pick-only style takes Home and End for the choice, not the caret.
  WORD own = key;
  if (!(listStyle && (key == VK_HOME || key == VK_END))) inherited::KeyDown(key, shift);
  if (alive.expired()) return;
  const int last = GetItems()->GetCount() - 1;
  if (own == VK_DOWN && shift.Contains(ssAlt)) {
    DropDown();
    return;
  }
  // Only the keys that move the choice raise it to the first item: any other key, typed into
  // a combo with nothing chosen, would otherwise replace the typed text by the first item.
  switch (own) {
    case VK_UP: SetItemIndex(std::max(FItemIndex - 1, 0)); break;
    case VK_DOWN: SetItemIndex(FItemIndex + 1); break;
    case VK_PRIOR: if (listStyle) SetItemIndex(std::max(FItemIndex - 3, 0)); break;
    case VK_NEXT: if (listStyle) SetItemIndex(FItemIndex + 3); break;
    case VK_HOME: if (listStyle) SetItemIndex(0); break;
    case VK_END: if (listStyle) SetItemIndex(last); break;
    default: break;
  }
}

void TSeCustomComboBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::MouseDown(button, shift, x, y);
  if (alive.expired() || button != mbLeft || GetComponentState().Contains(csDesigning)) return;
  const bool onButton = PtInRect(GetButtonRect(), TPoint(x, y));
  if (!onButton && FComboStyle != vcsDropDownList) return;
  if (FDropped) {
    CloseUp();
    return;
  }
  FButtonPressed = onButton;
  Invalidate();
  DropDown();
}

void TSeCustomComboBox::MouseMove(TShiftState shift, int x, int y) {
  inherited::MouseMove(shift, x, y);
  const bool hot = PtInRect(GetButtonRect(), TPoint(x, y));
  if (hot != FButtonHot) {
    FButtonHot = hot;
    Invalidate();
  }
}

void TSeCustomComboBox::DoMouseLeave() {
  inherited::DoMouseLeave();
  FButtonHot = false;
  Invalidate();
}

void TSeCustomComboBox::Wheel(int delta) {
  // One item per notch whatever the system's lines-per-notch setting; part notches add up.
  FWheelDelta += delta;
  const int notches = FWheelDelta / WHEEL_DELTA;
  FWheelDelta -= notches * WHEEL_DELTA;
  if (notches != 0 && GetItems()->GetCount() > 0) SetItemIndex(std::max(FItemIndex - notches, 0));
}

void TSeCustomComboBox::WMContextMenu(TMessage& message) {
  if (FComboStyle == vcsDropDownList) return;
  inherited::WMContextMenu(message);
}

void TSeCustomComboBox::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEWHEEL:
      // Handled here once: the class library's wheel notification is not sent as well.
      Wheel(static_cast<short>(HIWORD(message.WParam)));
      message.Result = 0;
      return;
    case CloseUpMessage:
      if (message.WParam == FDropDownNumber) CloseUp();
      return;
    case WM_SETCURSOR:
      if (FComboStyle == vcsDropDownList && LOWORD(message.LParam) == HTCLIENT) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        message.Result = 1;
        return;
      }
      inherited::Dispatch(message);
      return;
    case WM_SETFOCUS:
      inherited::Dispatch(message);
      if (FComboStyle == vcsDropDownList) HideTextCaret();
      Invalidate();
      return;
    default: inherited::Dispatch(message);
  }
}

void TSeCustomComboBox::DoFocusOut() {
  FTimer->SetEnabled(false);
  inherited::DoFocusOut();
}

// ---- Completion ----------------------------------------------------------------------------------------

void TSeCustomComboBox::Change() {
  inherited::Change();
  const TComponentState state = GetComponentState();
  if (!FAutoComplete || FCompleting || state.Contains(csLoading) || state.Contains(csDesigning) ||
      state.Contains(csDestroying))
    return;
  FTimer->SetEnabled(false);
  FTimer->SetEnabled(true);
}

void TSeCustomComboBox::Complete() {
  FTimer->SetEnabled(false);
  const String typed = GetText();
  if (typed.size() < FLastTyped.size()) {
    FLastTyped = typed;  // the user deleted: nothing is added back
    return;
  }
  if (typed == FLastTyped || typed.empty()) return;
  FLastTyped = typed;
  const String prefix = LowerText(typed);
  for (int i = 0; i < GetItems()->GetCount(); ++i) {
    const String item = GetItems()->Get(i);
    if (item.size() < typed.size() || LowerText(item.substr(0, typed.size())) != prefix) continue;
    FCompleting = true;
    ReplaceAllText(item);
    SetSelStart(static_cast<int>(item.size()));
    SetSelLength(0);
    // The added part selected, the caret at the end of what was typed.
    SetSelStart(static_cast<int>(typed.size()));
    SetSelLength(static_cast<int>(item.size() - typed.size()));
    // What shows now counts as seen: a Back that removes the added part completes nothing.
    FLastTyped = item;
    FCompleting = false;
    return;
  }
}

// ---- Painting ------------------------------------------------------------------------------------------

void TSeCustomComboBox::PaintButton() {
  TCanvas* canvas = GetCanvas();
  const TRect r = GetButtonRect();
  const int state = !GetEnabled() ? 4 : FButtonPressed ? 3 : FButtonHot ? 2 : 1;
  TThemeScope theme(L"ComboBox");
  if (UseThemes() && theme.DrawBackground(canvas->GetHandle(), CP_DROPDOWNBUTTON_PART, state, r)) return;
  RECT box{r.Left, r.Top, r.Right, r.Bottom};
  ::DrawFrameControl(canvas->GetHandle(), &box, DFC_SCROLL,
                     DFCS_SCROLLCOMBOBOX | (FButtonPressed ? DFCS_PUSHED : 0));
}

void TSeCustomComboBox::PaintFace() {
  inherited::PaintFace();
  // Drawn with the face: the frame's painting leaves the inside of the frame to the face.
  PaintButton();
  if (FComboStyle != vcsDropDownList || FItemIndex < 0 || FItemIndex >= GetItems()->GetCount()) return;
  TCanvas* canvas = GetCanvas();
  TRect r = GetTextRect();
  const bool focused = GetFocusedFlag();
  TSeComboListBox* list = GetList();
  const bool wasSelected = list->GetSelected(FItemIndex);
  list->SetSelected(FItemIndex, focused);
  list->PaintItem(canvas, FItemIndex, r);
  list->SetSelected(FItemIndex, wasSelected);
  if (focused) DrawFocus(canvas, r, clBlack);
}
