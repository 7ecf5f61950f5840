// Window hooks: any number of TSeHook components attach to one windowed control and see its
// messages before and after the control's own window procedure. The subclassing is shared
// per control (TControlHook) and the records are kept in one list (THookList), whose hidden
// window re-installs a subclass after the window was made again and frees records that lost
// their last hook; both are deferred through posted messages so that they never happen
// inside the hooked window's own message.
//
// The subclass is a static window procedure; the window carries a property pointing at a
// small link record (the record that owns it and the procedure below ours). When another
// subclass was put above ours, uninstalling cannot take ours out of the chain: the link then
// stays as a pass-through (to the procedure below) until WM_NCDESTROY, so nothing ever calls
// into freed memory.
//
// The hooks are walked over a copy, and each one is asked again whether it is still attached,
// so a hook removed or freed during a message is safe. An exception from a hook goes to
// ApplicationHandleException and never unwinds through the system's CallWindowProc.
#pragma once
#include <memory>
#include <vector>

#include "classlib/classes/Component.h"
#include "classlib/controls/Controls.h"
#include "classlib/forms/Forms.h"

class TSeHook;

// Posted to the list's window with LParam = the record.
constexpr UINT SE_HOOK_REINSTALL = 45278;  // subclass again once the window exists again
constexpr UINT SE_HOOK_FREE = 45279;       // free the record when it has no hook left

// The subclassing of one control, shared by its hooks.
class TControlHook : public TObject {
  CLASSLIB_CLASS(TControlHook, TObject)
  TControlHook() = default;
  ~TControlHook() override;  // uninstalls

  TWinControl* GetControl() const { return FControl; }
  // Uninstalls from the old control; installs on the new one when hooks exist.
  void SetControl(TWinControl* control);
  void AddHook(TSeHook* hook);
  void RemoveHook(TSeHook* hook);
  bool HasHook(const TSeHook* hook) const;
  int GetHookCount() const { return static_cast<int>(FHooks.size()); }
  // Subclasses the control's window (making it when needed); not while the control is being
  // destroyed or designed.
  void Install();
  // Re-installs only when the window exists (after it was made again); false otherwise.
  bool Reinstall();
  void Uninstall();
  bool GetInstalled() const { return FLink != nullptr; }

  // The hooked window's messages (from the static procedure).
  LRESULT HookMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, WNDPROC previous);
  // The window ended under the subclass (WM_NCDESTROY); the link is gone.
  void LinkGone() { FLink = nullptr, FWnd = nullptr; }
  // A message of the window is being handled (a modal loop may run inside it): the record
  // is freed only after it returns.
  bool InMessage() const { return FMessageDepth > 0; }
  void FreeAfterMessage() { FFreeAfterMessage = true; }

 private:
  struct THookLink* FLink = nullptr;  // the window's link record; owned by the window's subclass
  HWND FWnd = nullptr;                // the window subclassed
  TWinControl* FControl = nullptr;    // not owned; nullptr once the last hook went
  std::vector<TSeHook*> FHooks;       // in the order added; not owned
  bool FDestroying = false;           // set by the destructor
  int FMessageDepth = 0;              // HookMessage calls running
  bool FFreeAfterMessage = false;     // a free was asked while one ran
};

// The records of all hooked controls, and the hidden window that takes the posted messages.
class THookList {
 public:
  THookList();
  ~THookList();  // uninstalls every record, then frees them and the window
  THookList(const THookList&) = delete;
  THookList& operator=(const THookList&) = delete;

  TControlHook* FindHook(TWinControl* control) const;
  // FindHook, or a new record for the control.
  TControlHook* GetHook(TWinControl* control);
  bool Contains(const TControlHook* hook) const;
  int GetCount() const { return static_cast<int>(FHooks.size()); }
  void Post(UINT msg, TControlHook* hook);

 private:
  void WndProc(TMessage& message);
  void RetryPending();

  std::vector<TControlHook*> FHooks;   // owned
  std::vector<TControlHook*> FPending; // waiting for a window to be made again; not owned
  HWND FWnd = nullptr;                 // the hidden window; owned
};

// The list, made on first use; freed at the end of the program.
THookList* GetHookList();
// The list when it exists, without making it.
THookList* FindHookList();
// Frees the list now (its records uninstalled first); the next GetHookList makes a new one.
void FreeHookList();

// A non-visual component that sees the messages of one windowed control.
class TSeHook : public TComponent {
  CLASSLIB_CLASS(TSeHook, TComponent)
  explicit TSeHook(TComponent* owner) : TComponent(owner) {}
  ~TSeHook() override;

  bool GetActive() const { return FActive; }
  void SetActive(bool value);
  TWinControl* GetControl() const { return FControl; }  // not owned; forgotten when it goes
  void SetControl(TWinControl* value);
  // The control as a form (nullptr otherwise), and its window (0 without a control).
  TCustomForm* GetForm() const { return dynamic_cast<TCustomForm*>(FControl); }
  HWND GetHandle() const { return FControl ? FControl->GetHandle() : nullptr; }

  // After the control's own procedure; nothing in the base.
  virtual void AfterMessage(TMessage& message, bool& handled) {}
  // Before it: the message goes to Dispatch; a handler there calls MessageHandled to keep
  // the control's procedure from seeing it.
  virtual void BeforeMessage(TMessage& message, bool& handled);

 protected:
  // The descendant's message handlers; nothing in the base.
  virtual void Dispatch(TMessage& message) {}
  void MessageHandled() { FHandled = true; }
  std::weak_ptr<int> GetLifeToken() const { return FLifeToken; }
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TControlHook;
  // Leaves its record; a record left without hooks is freed through the posted message.
  void Detach();
  // Expires when the hook goes: a handler may free it (its form freed inside a modal loop).
  std::shared_ptr<int> FLifeToken = std::make_shared<int>(0);
  bool FActive = true;                 // attached whenever a control is set
  TWinControl* FControl = nullptr;
  TControlHook* FOwnerHook = nullptr;  // the record it is attached to
  bool FHandled = false;               // set by MessageHandled during BeforeMessage
};
