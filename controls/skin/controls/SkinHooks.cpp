#include "SkinHooks.h"

#include <algorithm>
#include <memory>

#include "classlib/controls/WindowTable.h"

namespace {
constexpr UINT_PTR PendingTimer = 1;
constexpr UINT PendingInterval = 50;  // ms between looks for a window made again

std::unique_ptr<THookList>& HookListSlot() {
  static std::unique_ptr<THookList> list;
  return list;
}

// Calls one hook, keeping its exception out of the window procedure.
template <class F>
void CallHook(TSeHook* hook, F&& call) {
  try {
    call();
  } catch (...) {
    ApplicationHandleException(hook);
  }
}
}  // namespace

// What a subclassed window carries: the record that hooks it (nullptr while the subclass
// only passes messages on) and the procedure below ours. Freed by uninstalling when ours is
// on top, else at WM_NCDESTROY.
struct THookLink {
  TControlHook* Owner;
  WNDPROC Previous;
};

// The link of each subclassed window, looked up on every message it gets. Never freed:
// windows may still be destroyed while the program's statics go.
static TWindowTable<THookLink>& HookLinks() {
  static auto* links = new TWindowTable<THookLink>;
  return *links;
}

static LRESULT CALLBACK HookWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  THookLink* link = HookLinks().Find(wnd);
  if (!link) return ::DefWindowProcW(wnd, msg, wParam, lParam);
  const WNDPROC previous = link->Previous;
  const LRESULT result = link->Owner
                             ? link->Owner->HookMessage(wnd, msg, wParam, lParam, previous)
                             : ::CallWindowProcW(previous, wnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    // Read again: the message may have uninstalled the hook.
    if (THookLink* last = HookLinks().Take(wnd)) {
      if (last->Owner) last->Owner->LinkGone();
      delete last;
    }
  }
  return result;
}

// ---- TControlHook ----------------------------------------------------------------------------

TControlHook::~TControlHook() {
  FDestroying = true;
  Uninstall();
  for (TSeHook* hook : FHooks) hook->FOwnerHook = nullptr;
}

void TControlHook::SetControl(TWinControl* control) {
  if (control == FControl) return;
  Uninstall();
  FControl = control;
  if (!FHooks.empty()) Install();
}

bool TControlHook::HasHook(const TSeHook* hook) const {
  return std::find(FHooks.begin(), FHooks.end(), hook) != FHooks.end();
}

void TControlHook::AddHook(TSeHook* hook) {
  if (!HasHook(hook)) {
    FHooks.push_back(hook);
    hook->FOwnerHook = this;
  }
  SetControl(hook->FControl);
  Install();
}

void TControlHook::RemoveHook(TSeHook* hook) {
  hook->FOwnerHook = nullptr;
  FHooks.erase(std::remove(FHooks.begin(), FHooks.end(), hook), FHooks.end());
  if (FHooks.empty()) {
    Uninstall();
    // Forgotten, so that a new control at the same address gets a record of its own.
    FControl = nullptr;
  }
}

void TControlHook::Install() {
  if (!FControl || FDestroying) return;
  const TComponentState state = FControl->GetComponentState();
  if (state.Contains(csDestroying) || state.Contains(csDesigning)) return;
  HWND wnd = FControl->GetHandle();
  if (!wnd || (FLink && FWnd == wnd)) return;
  if (FLink) Uninstall();  // still on an old window
  if (THookLink* link = HookLinks().Find(wnd)) {
    // Our pass-through under a foreign subclass is still in the chain: take it back.
    link->Owner = this;
    FLink = link;
  } else {
    FLink = new THookLink{
        this, reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(wnd, GWLP_WNDPROC))};
    HookLinks().Bind(wnd, FLink);
    ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookWindowProc));
  }
  FWnd = wnd;
}

bool TControlHook::Reinstall() {
  if (!FControl || FHooks.empty()) return true;  // nothing to wait for
  if (!FControl->HandleAllocated()) return false;
  Install();
  return true;
}

void TControlHook::Uninstall() {
  if (!FLink) return;
  THookLink* link = FLink;
  HWND wnd = FWnd;
  FLink = nullptr;
  FWnd = nullptr;
  if (!::IsWindow(wnd)) return;
  if (::GetWindowLongPtrW(wnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&HookWindowProc)) {
    ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(link->Previous));
    HookLinks().Take(wnd);
    delete link;
  } else {
    link->Owner = nullptr;  // a pass-through until the window ends
  }
}

LRESULT TControlHook::HookMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                  WNDPROC previous) {
  TMessage message{msg, wParam, lParam, 0};
  const bool quiet = FDestroying || !FControl ||
                     FControl->GetComponentState().Contains(csDestroying);
  if (quiet) return ::CallWindowProcW(previous, wnd, msg, wParam, lParam);
  // A free asked for while a message runs (its form freed inside a menu loop) is asked again
  // once the outermost one returns.
  struct TDepth {
    TControlHook* Hook;
    explicit TDepth(TControlHook* hook) : Hook(hook) { ++Hook->FMessageDepth; }
    ~TDepth() {
      if (--Hook->FMessageDepth > 0 || !Hook->FFreeAfterMessage) return;
      Hook->FFreeAfterMessage = false;
      if (THookList* list = FindHookList()) list->Post(SE_HOOK_FREE, Hook);
    }
  } depth(this);
  // A copy: a hook may remove or free itself or another one meanwhile.
  const std::vector<TSeHook*> hooks = FHooks;
  bool handled = false;
  if (msg != WM_QUIT) {
    for (auto it = hooks.rbegin(); it != hooks.rend() && !handled; ++it)
      if (HasHook(*it)) CallHook(*it, [&] { (*it)->BeforeMessage(message, handled); });
  }
  if (!handled || msg == WM_DESTROY) {
    message.Result = ::CallWindowProcW(previous, wnd, msg, wParam, lParam);
    bool afterHandled = false;
    for (auto it = hooks.rbegin(); it != hooks.rend() && !afterHandled; ++it)
      if (HasHook(*it)) CallHook(*it, [&] { (*it)->AfterMessage(message, afterHandled); });
  }
  if (msg == WM_DESTROY) {
    Uninstall();
    THookList* list = FindHookList();
    if (list && FControl && !FControl->GetComponentState().Contains(csDestroying))
      list->Post(SE_HOOK_REINSTALL, this);
  }
  return message.Result;
}

// ---- THookList ------------------------------------------------------------------------------

THookList::THookList() { FWnd = AllocateHWnd([this](TMessage& message) { WndProc(message); }); }

THookList::~THookList() {
  // Every subclass comes off before its record goes.
  for (TControlHook* hook : FHooks) hook->Uninstall();
  for (TControlHook* hook : FHooks) delete hook;
  FHooks.clear();
  DeallocateHWnd(FWnd);
}

TControlHook* THookList::FindHook(TWinControl* control) const {
  for (TControlHook* hook : FHooks)
    if (hook->GetControl() == control) return hook;
  return nullptr;
}

TControlHook* THookList::GetHook(TWinControl* control) {
  if (TControlHook* found = FindHook(control)) return found;
  auto* hook = new TControlHook;
  FHooks.push_back(hook);
  hook->SetControl(control);
  return hook;
}

bool THookList::Contains(const TControlHook* hook) const {
  return std::find(FHooks.begin(), FHooks.end(), hook) != FHooks.end();
}

void THookList::Post(UINT msg, TControlHook* hook) {
  ::PostMessageW(FWnd, msg, 0, reinterpret_cast<LPARAM>(hook));
}

void THookList::RetryPending() {
  std::vector<TControlHook*> waiting;
  for (TControlHook* hook : FPending)
    if (Contains(hook) && !hook->Reinstall()) waiting.push_back(hook);
  FPending.swap(waiting);
  if (FPending.empty()) ::KillTimer(FWnd, PendingTimer);
}

void THookList::WndProc(TMessage& message) {
  auto* hook = reinterpret_cast<TControlHook*>(message.LParam);
  switch (message.Msg) {
    case SE_HOOK_REINSTALL:
      // A window that is not made again at once is waited for, never forced.
      if (Contains(hook) && !hook->Reinstall()) {
        if (std::find(FPending.begin(), FPending.end(), hook) == FPending.end())
          FPending.push_back(hook);
        ::SetTimer(FWnd, PendingTimer, PendingInterval, nullptr);
      }
      return;
    case SE_HOOK_FREE:
      if (Contains(hook) && hook->InMessage()) {
        hook->FreeAfterMessage();
        return;
      }
      if (Contains(hook) && hook->GetHookCount() == 0) {
        FHooks.erase(std::remove(FHooks.begin(), FHooks.end(), hook), FHooks.end());
        FPending.erase(std::remove(FPending.begin(), FPending.end(), hook), FPending.end());
        delete hook;
      }
      return;
    case WM_TIMER:
      if (message.WParam == PendingTimer) {
        RetryPending();
        return;
      }
      break;
    default:
      break;
  }
  message.Result = ::DefWindowProcW(FWnd, message.Msg, message.WParam, message.LParam);
}

THookList* GetHookList() {
  auto& list = HookListSlot();
  if (!list) list = std::make_unique<THookList>();
  return list.get();
}

THookList* FindHookList() { return HookListSlot().get(); }

void FreeHookList() { HookListSlot().reset(); }

// ---- TSeHook ----------------------------------------------------------------------------------

TSeHook::~TSeHook() {
  SetActive(false);
  SetControl(nullptr);
}

void TSeHook::SetActive(bool value) {
  FActive = value;
  if (value) {
    if (FControl && !GetComponentState().Contains(csDesigning))
      GetHookList()->GetHook(FControl)->AddHook(this);
  } else {
    Detach();
  }
}

void TSeHook::Detach() {
  TControlHook* old = FOwnerHook;
  if (!old) return;
  old->RemoveHook(this);
  // A record that lost its last hook is freed through the list's window, never inside the
  // hooked window's message that may be running now.
  if (old->GetHookCount() == 0) {
    if (THookList* list = FindHookList()) list->Post(SE_HOOK_FREE, old);
  }
}

void TSeHook::SetControl(TWinControl* value) {
  if (value == FControl) return;
  const bool wasActive = FActive;
  Detach();
  if (FControl) FControl->RemoveFreeNotification(this);
  FControl = value;
  if (value) value->FreeNotification(this);
  if (wasActive && value) SetActive(true);
}

void TSeHook::BeforeMessage(TMessage& message, bool& handled) {
  FHandled = handled;
  const std::weak_ptr<int> alive = FLifeToken;
  Dispatch(message);
  if (!alive.expired()) handled = FHandled;
}

void TSeHook::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  // The hooked control goes first: the hook lets go of it.
  if (operation == opRemove && component == FControl) SetControl(nullptr);
}
