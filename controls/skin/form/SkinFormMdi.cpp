// The form decoration on MDI forms: a maximized child merges its caption into its parent's
// ("Parent - [Child]") and its buttons into the parent's menu bar; a child activated while
// another is maximized maximizes too; the parent's MDI client window is subclassed so that
// the parent's own background shows through it.
//
// The parent's own caption is remembered beside the merged one it was given, so that a
// caption holding "[" is never cut, and a caption the program sets meanwhile is taken as the
// parent's own.
#include "SkinForm.h"
// clang-format off
#include <commctrl.h>
// clang-format on

#include <map>
#include <vector>

#include "classlib/forms/Forms.h"

namespace {

// MDI client messages: the client recalculates its scroll bars (sent by the system's MDI code
// whenever a child moves); our edge-less client drops its edge then.
constexpr UINT MM_CALCSCROLL = 0x003F;

// A parent's own caption and the merged caption we gave it, by the parent's window.
struct TMdiCaption {
  String Own;
  String Shown;
};
std::map<HWND, TMdiCaption>& MdiCaptions() {
  static std::map<HWND, TMdiCaption> captions;
  return captions;
}

// The parent's own caption: the remembered one while the parent still shows what we gave it.
String OwnCaption(TCustomForm* parent) {
  const String now = parent->GetCaption();
  const auto& captions = MdiCaptions();
  const auto found = captions.find(parent->GetHandle());
  return found != captions.end() && found->second.Shown == now ? found->second.Own : now;
}

// The form an MDI operation works on: the parent of a child, a parent itself.
TCustomForm* MDIFrameOf(TCustomForm* form) {
  if (form && form->GetFormStyle() == fsMDIForm) return form;
  return MDIParentOf(form);
}

bool ChildIsMaximized(TCustomForm* child) {
  if (!child) return false;
  if (child->GetWindowState() == wsMaximized) return true;
  TSeCustomForm* skin = ActiveFormSkinOf(child);
  return skin && skin->GetWindowState() == vwsMaximized;
}

// The maximized child whose caption the parent shows: preferably the one given, then the
// active one, then the first.
TCustomForm* MaximizedChild(TCustomForm* parent, TCustomForm* preferred) {
  if (ChildIsMaximized(preferred)) return preferred;
  if (TCustomForm* active = parent->GetActiveMDIChild(); ChildIsMaximized(active)) return active;
  const int count = parent->GetMDIChildCount();
  for (int i = 0; i < count; ++i)
    if (ChildIsMaximized(parent->GetMDIChildren(i))) return parent->GetMDIChildren(i);
  return nullptr;
}

bool FormAlive(TCustomForm* form) {
  for (int i = 0; Screen && i < Screen->GetCustomFormCount(); ++i)
    if (Screen->GetCustomForms(i) == form) return true;
  return false;
}

// Gives the parent its own caption, with the caption of a maximized child (preferably the one
// given) merged in.
void ShowMDICaption(TCustomForm* parent, TCustomForm* preferred) {
  if (!parent || !parent->HandleAllocated()) return;
  const String own = OwnCaption(parent);
  TCustomForm* child = MaximizedChild(parent, preferred);
  if (!child) {
    MdiCaptions().erase(parent->GetHandle());
    if (parent->GetCaption() != own) parent->SetCaption(own);
    return;
  }
  const String shown = own + L" - [" + child->GetCaption() + L"]";
  // Parents gone meanwhile are forgotten, so that the list stays as short as the windows.
  std::erase_if(MdiCaptions(), [](const auto& entry) { return !::IsWindow(entry.first); });
  MdiCaptions()[parent->GetHandle()] = {own, shown};
  if (parent->GetCaption() != shown) parent->SetCaption(shown);
  ::PostMessageW(parent->GetHandle(), SE_FORM_CAPTIONBACK, 0, 0);
}

LRESULT CALLBACK MDIClientProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data) {
  try {
    return reinterpret_cast<TSeCustomForm*>(data)->MDIClientWindowProc(wnd, msg, wParam, lParam);
  } catch (...) {
    if (Application) Application->HandleException(nullptr);
    return 0;
  }
}

}  // namespace

TCustomForm* MDIParentOf(TCustomForm* child) {
  if (!child || child->GetFormStyle() != fsMDIChild) return nullptr;
  if (auto* owner = dynamic_cast<TCustomForm*>(child->GetOwner())) return owner;
  return Application ? Application->GetMainForm() : nullptr;
}

bool TSeCustomForm::IsMDIChildMaximized() const {
  TCustomForm* parent = MDIFrameOf(GetForm());
  if (!parent) return false;
  const int count = parent->GetMDIChildCount();
  for (int i = 0; i < count; ++i)
    if (ChildIsMaximized(parent->GetMDIChildren(i))) return true;
  return false;
}

void TSeCustomForm::UpdateMDICaption() {
  TCustomForm* form = GetForm();
  ShowMDICaption(MDIFrameOf(form), form);
}

void TSeCustomForm::RestoreMaximizedChildren() {
  TCustomForm* parent = MDIFrameOf(GetForm());
  if (!parent) return;
  // Each restore can restore others in turn: the children are looked at once each.
  std::vector<TCustomForm*> children;
  for (int i = 0; i < parent->GetMDIChildCount(); ++i) children.push_back(parent->GetMDIChildren(i));
  for (TCustomForm* child : children) {
    if (!FormAlive(child)) continue;  // freed meanwhile
    TSeCustomForm* skin = ActiveFormSkinOf(child);
    if (skin && skin->GetWindowState() == vwsMaximized) skin->Restore();
  }
  UpdateMDICaption();
}

void TSeCustomForm::MDIChildMaximized() {
  RefreshFrame();
  WatchMDIParent(MDIParentOf(GetForm()));
  MergeIntoMenuBar(ActiveFormSkinOf(FMDIParent));
  UpdateMDICaption();
}

void TSeCustomForm::WatchMDIParent(TCustomForm* parent) {
  if (parent == FMDIParent) return;
  if (FMDIParent) FMDIParent->RemoveFreeNotification(this);
  FMDIParent = parent;
  if (parent) parent->FreeNotification(this);
}

void TSeCustomForm::MDIChildLeftMaximized() {
  RefreshFrame();
  TCustomForm* parent = MDIParentOf(GetForm());
  UnmergeFromMenuBar(ActiveFormSkinOf(parent));
  RestoreMaximizedChildren();
}

void TSeCustomForm::MDIChildGoing() {
  // The form is no form any more here (its window and list entry are gone): the parent is
  // the one remembered.
  TCustomForm* parent = FMDIParent;
  WatchMDIParent(nullptr);
  if (!parent || FState != vwsMaximized) return;
  FState = vwsNormal;
  UnmergeFromMenuBar(ActiveFormSkinOf(parent));
  ShowMDICaption(parent, nullptr);
}

void TSeCustomForm::WMMDIActivate(TMessage& message) {
  TCustomForm* form = GetForm();
  if (!form || form->GetFormStyle() != fsMDIChild || !IsMDIChildMaximized()) return;
  // Only the child being activated acts: it takes the maximized place (and the bar's buttons).
  if (reinterpret_cast<HWND>(message.LParam) != GetHandle()) return;
  if (FState == vwsMaximized) {
    WatchMDIParent(MDIParentOf(form));
    MergeIntoMenuBar(ActiveFormSkinOf(FMDIParent));
    UpdateMDICaption();
  } else if (GetHandle()) {
    ::PostMessageW(GetHandle(), SE_FORM_MAXIMIZE, 0, 0);
  }
}

void TSeCustomForm::MDIParentResized() {
  TCustomForm* form = GetForm();
  if (!form || form->GetMDIChildCount() == 0 || !IsMDIChildMaximized()) return;
  TCustomForm* active = form->GetActiveMDIChild();
  if (!active) return;
  RECT r{};
  ::GetClientRect(form->GetClientHandle() ? form->GetClientHandle() : form->GetHandle(), &r);
  active->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// ---- The MDI client --------------------------------------------------------------------------

void TSeCustomForm::SubclassMDIClient() {
  TCustomForm* form = GetForm();
  if (FMDIClient || !form || form->GetFormStyle() != fsMDIForm || !form->GetClientHandle()) return;
  if (::SetWindowSubclass(form->GetClientHandle(), MDIClientProc, reinterpret_cast<UINT_PTR>(this),
                          reinterpret_cast<DWORD_PTR>(this)))
    FMDIClient = form->GetClientHandle();
}

void TSeCustomForm::UnsubclassMDIClient() {
  if (FMDIClient && ::IsWindow(FMDIClient))
    ::RemoveWindowSubclass(FMDIClient, MDIClientProc, reinterpret_cast<UINT_PTR>(this));
  FMDIClient = nullptr;
}

LRESULT TSeCustomForm::MDIClientWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      if (wParam == 0) {
        // The children paint themselves; the background comes from the parent form.
        PAINTSTRUCT paint;
        ::BeginPaint(wnd, &paint);
        ::EndPaint(wnd, &paint);
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      if (!IsMDIChildMaximized() && GetHandle()) ::SendMessageW(GetHandle(), WM_ERASEBKGND, wParam, 0);
      return 0;
    case MM_CALCSCROLL:
      if (::GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
        ::SetWindowLongW(wnd, GWL_EXSTYLE, ::GetWindowLongW(wnd, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
        ::SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
      }
      break;
    case WM_NCHITTEST: {
      const LRESULT hit = ::DefSubclassProc(wnd, msg, wParam, lParam);
      return hit == HTCLIENT ? HTTRANSPARENT : hit;
    }
    case WM_NCDESTROY:
      // The window goes before the component: nothing is left to give back.
      ::RemoveWindowSubclass(wnd, MDIClientProc, reinterpret_cast<UINT_PTR>(this));
      if (wnd == FMDIClient) FMDIClient = nullptr;
      break;
  }
  return ::DefSubclassProc(wnd, msg, wParam, lParam);
}
