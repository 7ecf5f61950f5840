// Focus, tab order and keys: the root's record of the focused control with CM_ENTER and
// CM_EXIT along the way, SelectNext, and the path of a key: CN_KEYDOWN (from the message
// loop) offers it to the menus and as a dialog key (Tab, arrows, Enter, Esc) to the root,
// CN_CHAR offers characters as accelerators (CM_DIALOGCHAR), and what is left reaches
// WM_KEYDOWN/WM_CHAR and the key events.
#include <algorithm>
#include "../system/SysMath.h"
#include "Controls.h"
#include "ControlsInternal.h"

using namespace controls_internal;

// ---- Tab order -----------------------------------------------------------------------------------

void TWinControl::SetTabStop(bool value) {
  if (FTabStop == value) return;
  FTabStop = value;
  if (FHandle) {
    LONG style = ::GetWindowLongW(FHandle, GWL_STYLE);
    style = value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG>(WS_TABSTOP));
    ::SetWindowLongW(FHandle, GWL_STYLE, style);
  }
  Perform(CM_TABSTOPCHANGED, 0, 0);
}

void TWinControl::CMTabStopChanged(TMessage&) {}

int TWinControl::GetTabOrder() const {
  if (!GetParent()) return -1;
  // From the end: a control just inserted is last, and that is where code sets its order.
  const auto& list = GetParent()->FTabList;
  const auto it = std::find(list.rbegin(), list.rend(), this);
  return it == list.rend() ? -1 : static_cast<int>(list.rend() - it) - 1;
}

void TWinControl::SetTabOrder(int value) {
  if (GetComponentState().Contains(csLoading))
    FTabOrder = value;  // applied by the parent's FixupTabList once loaded
  else
    UpdateTabOrder(value);
}

void TWinControl::UpdateTabOrder(int value) {
  const int current = GetTabOrder();
  if (current < 0) return;
  auto& list = GetParent()->FTabList;
  const int count = static_cast<int>(list.size());
  value = Max(0, Min(value, count - 1));
  if (value == current) return;
  list.erase(list.begin() + current);
  list.insert(list.begin() + value, this);
}

void TWinControl::FixupTabList() {
  const size_t count = FWinControls.size();
  std::vector<TWinControl*> ordered(count, nullptr);
  for (TWinControl* child : FWinControls) {
    const int order = child->FTabOrder;
    if (order >= 0 && static_cast<size_t>(order) < count && !ordered[order])
      ordered[order] = child;
  }
  // A child already in its place (the usual case: read in tab order) is not searched for.
  for (size_t i = 0; i < count; ++i)
    if (ordered[i] && !(i < FTabList.size() && FTabList[i] == ordered[i]))
      ordered[i]->UpdateTabOrder(static_cast<int>(i));
  for (TWinControl* child : FWinControls) child->FTabOrder = -1;
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) {
  const std::vector<TWinControl*> tabList = FTabList;
  for (TWinControl* control : tabList) {
    list.push_back(control);
    control->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* curControl, bool goForward,
                                          bool checkTabStop, bool checkParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  const int count = static_cast<int>(list.size());
  const auto found = std::find(list.begin(), list.end(), curControl);
  int start = found != list.end() ? static_cast<int>(found - list.begin())
                                  : (goForward ? count - 1 : 0);
  int i = start;
  for (int step = 0; step < count; ++step) {
    if (goForward)
      i = i + 1 == count ? 0 : i + 1;
    else
      i = i == 0 ? count - 1 : i - 1;
    TWinControl* candidate = list[i];
    if (candidate->CanFocus() && (!checkTabStop || candidate->FTabStop) &&
        (!checkParent || candidate->GetParent() == this))
      return candidate;
    if (i == start) break;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* curControl, bool goForward, bool checkTabStop) {
  if (TWinControl* next = FindNextControl(curControl, goForward, checkTabStop, !checkTabStop))
    next->SetFocus();
}

void TWinControl::SelectFirst() {
  TWinControl* control = FindNextControl(nullptr, true, true, false);
  if (!control) control = FindNextControl(nullptr, true, false, false);
  if (control) control->SetFocus();
}

// ---- Focus ----------------------------------------------------------------------------------------------

bool TWinControl::CanFocus() {
  TWinControl* root = RootParent(this);
  if (!root) return false;
  for (TWinControl* control = this; control && control != root; control = control->GetParent())
    if (!control->GetVisible() || !control->GetEnabled()) return false;
  return true;
}

bool TWinControl::Focused() const { return FHandle && ::GetFocus() == FHandle; }

void TWinControl::SetFocus() {
  if (TWinControl* root = RootParent(this)) root->FocusControl(this);
}

void TWinControl::FocusControl(TWinControl* control) {
  if (!control) return;
  if (!control->CanFocus())
    throw EInvalidOperation(L"Cannot focus a disabled or invisible window");
  ::SetFocus(control->GetHandle());
}

bool TWinControl::SetFocusedControl(TWinControl* control) {
  if (!control || !ContainsControl(control)) return false;
  if (control->GetControlState().Contains(csFocusing)) return true;
  const int focusCount = ++FFocusCount;
  const std::weak_ptr<int> controlAlive = control->GetLifeToken();
  control->SetControlState(control->GetControlState() + TControlState{csFocusing});
  const auto done = [&](bool result) {
    if (!controlAlive.expired())
      control->SetControlState(control->GetControlState() - TControlState{csFocusing});
    return result;
  };
  // Sends a focus message; false when a handler moved the focus (or freed the control).
  const auto sendFocus = [&](TWinControl* target, UINT msg) {
    target->Perform(msg, 0, 0);
    return FFocusCount == focusCount && !controlAlive.expired();
  };
  try {
    if (!FFocusedControl) FFocusedControl = this;
    if (FFocusedControl != control) {
      while (FFocusedControl && !FFocusedControl->ContainsControl(control)) {
        TWinControl* leaving = FFocusedControl;
        FFocusedControl = leaving->GetParent();
        if (!sendFocus(leaving, CM_EXIT)) return done(false);
      }
      while (FFocusedControl != control) {
        TWinControl* entering = control;
        while (entering->GetParent() && entering->GetParent() != FFocusedControl)
          entering = entering->GetParent();
        FFocusedControl = entering;
        if (!sendFocus(entering, CM_ENTER)) return done(false);
      }
      for (TWinControl* parent = control->GetParent(); parent; parent = parent->GetParent())
        parent->AutoScrollInView(control);
      Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
    }
  } catch (...) {
    done(false);
    throw;
  }
  return done(true);
}

void TWinControl::DefocusControl(TWinControl* control, bool removing) {
  if (removing && control && control->ContainsControl(FFocusedControl))
    FFocusedControl = control == this ? nullptr : control->GetParent();
}

void TWinControl::RemoveFocus(bool removing) {
  if (TWinControl* root = RootParent(this)) root->DefocusControl(this, removing);
}

void TWinControl::SendFocusedCancelMode(TControl* sender) {
  if (FFocusedControl && FFocusedControl != this)
    FFocusedControl->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(sender));
}

void TWinControl::WMSetFocus(TMessage& message) { DefaultHandler(message); }

void TWinControl::WMKillFocus(TMessage& message) { DefaultHandler(message); }

void TWinControl::CMEnter(TMessage&) { DoEnter(); }

void TWinControl::CMExit(TMessage&) { DoExit(); }

void TWinControl::DoEnter() {
  if (FOnEnter) FOnEnter(this);
}

void TWinControl::DoExit() {
  if (FOnExit) FOnExit(this);
}

void TWinControl::CMFocusChanged(TMessage& message) { Broadcast(message); }

// ---- Key events -------------------------------------------------------------------------------------------

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
  if (FOnKeyDown) FOnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
  if (FOnKeyUp) FOnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(wchar_t& key) {
  if (FOnKeyPress) FOnKeyPress(this, key);
}

bool TWinControl::DoKeyDown(TMessage& message) {
  TWinControl* root = RootParent(this);
  if (root && root != this && root->GetKeyPreview() && root->DoKeyDown(message)) return true;
  if (!GetControlStyle().Contains(csNoStdEvents)) {
    TWMKey key(message);
    WORD code = key.GetCharCode();
    KeyDown(code, KeyDataToShiftState(key.GetKeyData()));
    key.SetCharCode(code);
    if (code == 0) return true;
  }
  return false;
}

bool TWinControl::DoKeyUp(TMessage& message) {
  TWinControl* root = RootParent(this);
  if (root && root != this && root->GetKeyPreview() && root->DoKeyUp(message)) return true;
  if (!GetControlStyle().Contains(csNoStdEvents)) {
    TWMKey key(message);
    WORD code = key.GetCharCode();
    KeyUp(code, KeyDataToShiftState(key.GetKeyData()));
    key.SetCharCode(code);
    if (code == 0) return true;
  }
  return false;
}

bool TWinControl::DoKeyPress(TMessage& message) {
  TWinControl* root = RootParent(this);
  if (root && root != this && root->GetKeyPreview() && root->DoKeyPress(message)) return true;
  if (!GetControlStyle().Contains(csNoStdEvents)) {
    TWMKey key(message);
    wchar_t ch = static_cast<wchar_t>(key.GetCharCode());
    KeyPress(ch);
    key.SetCharCode(static_cast<WORD>(ch));
    if (ch == 0) return true;
  }
  return false;
}

void TWinControl::WMKeyDown(TMessage& message) {
  if (!DoKeyDown(message)) DefaultHandler(message);
}

void TWinControl::WMKeyUp(TMessage& message) {
  if (!DoKeyUp(message)) DefaultHandler(message);
}

void TWinControl::WMChar(TMessage& message) {
  if (!DoKeyPress(message)) DefaultHandler(message);
}

void TWinControl::WMSysKeyDown(TMessage& message) {
  if (!DoKeyDown(message)) DefaultHandler(message);
}

void TWinControl::WMSysKeyUp(TMessage& message) {
  if (!DoKeyUp(message)) DefaultHandler(message);
}

void TWinControl::WMSysChar(TMessage& message) { DefaultHandler(message); }

// ---- Keys from the message loop ---------------------------------------------------------------------------

namespace {

// A shortcut of a popup menu on the way to the root, or of the root (a form's menus).
bool IsMenuKey(TWinControl* control, TMessage& message) {
  if (PopupMenuShortCut(control, message)) return true;
  TWinControl* root = RootParent(control);
  return root && root->IsShortCut(message);
}

}  // namespace

void TWinControl::CNKeyDown(TMessage& message) {
  const std::weak_ptr<int> alive = GetLifeToken();
  message.Result = 1;
  if (IsMenuKey(this, message) || alive.expired()) return;
  const TWMKey key(message);
  const WORD code = key.GetCharCode();
  if (Perform(CM_CHILDKEY, code, reinterpret_cast<LPARAM>(this)) != 0 || alive.expired())
    return;
  LRESULT mask = 0;
  switch (code) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
  }
  if (mask != 0 && Perform(CM_WANTSPECIALKEY, code, key.GetKeyData()) == 0 &&
      (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
    TWinControl* root = RootParent(this);
    if (root && root->Perform(CM_DIALOGKEY, code, key.GetKeyData()) != 0) return;
  }
  if (!alive.expired()) message.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& message) { message.Result = 0; }

void TWinControl::CNChar(TMessage& message) {
  message.Result = 1;
  if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0) {
    TWinControl* root = RootParent(this);
    if (root && root->Perform(CM_DIALOGCHAR, message.WParam, message.LParam) != 0) return;
  }
  message.Result = 0;
}

void TWinControl::CNSysKeyDown(TMessage& message) {
  const std::weak_ptr<int> alive = GetLifeToken();
  message.Result = 1;
  if (IsMenuKey(this, message) || alive.expired()) return;
  message.Result = 0;
}

void TWinControl::CNSysChar(TMessage& message) {
  message.Result = 0;
  if (TWMKey(message).GetCharCode() == VK_SPACE) return;
  if (TWinControl* root = RootParent(this))
    message.Result = root->Perform(CM_DIALOGCHAR, message.WParam, message.LParam);
}

// ---- Dialog keys --------------------------------------------------------------------------------------------

bool TWinControl::DialogNavigationKey(TMessage& message) {
  if (::GetKeyState(VK_MENU) < 0) return false;
  TWinControl* current = FFocusedControl != this ? FFocusedControl : nullptr;
  switch (TWMKey(message).GetCharCode()) {
    case VK_TAB:
      if (::GetKeyState(VK_CONTROL) < 0) return false;
      message.Result = 1;
      SelectNext(current, ::GetKeyState(VK_SHIFT) >= 0, true);
      return true;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: {
      const WORD code = TWMKey(message).GetCharCode();
      if (current && current->GetParent()) {
        message.Result = 1;
        current->GetParent()->SelectNext(current, code == VK_RIGHT || code == VK_DOWN, false);
      }
      return true;
    }
  }
  return false;
}

void TWinControl::CMDialogKey(TMessage& message) {
  if (!GetParent() && DialogNavigationKey(message)) return;
  Broadcast(message);
}

void TWinControl::CMDialogChar(TMessage& message) { Broadcast(message); }

void TWinControl::CMChildKey(TMessage& message) {
  if (GetParent()) GetParent()->FWindowProc(message);
}

bool TWinControl::FocusBeforePress(bool& clicksDisabled) {
  if (GetComponentState().Contains(csDesigning) || Focused()) return true;
  const std::weak_ptr<int> alive = GetLifeToken();
  clicksDisabled = true;
  ::SetFocus(GetHandle());
  if (alive.expired()) return false;
  clicksDisabled = false;
  return Focused();
}
