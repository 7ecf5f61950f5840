#include "SkinMenus.h"

#include <algorithm>

#include "SkinMenuData.h"
#include "classlib/classes/Properties.h"
#include "controls/skin/controls/SkinControlBar.h"
#include "controls/skin/controls/SkinOpenDropDown.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "controls/skin/engine/ThemeBinding.h"
#include "controls/skin/form/SkinForm.h"

namespace {

TSeCustomPopupMenu* ShowingMenu = nullptr;  // the one popup menu open now; not owned

// The root of a container's tree, of the container's item class (a plain item for a class
// that makes no item).
TSeCustomItem* MakeRootItem(const TClassInfo* itemClass) {
  TComponent* made = itemClass && itemClass->CreateComponent ? itemClass->CreateComponent(nullptr) : nullptr;
  if (auto* item = dynamic_cast<TSeCustomItem*>(made)) return item;
  delete made;
  return new TSeCustomItem(nullptr);
}

}  // namespace

// ---- TSeCustomPopupMenu -----------------------------------------------------------------------------------

const TPropertyTable* TSeCustomPopupMenu::PublishedProperties() {
  using P = TPublish<TSeCustomPopupMenu>;
  using C = TSeCustomPopupMenu;
  static const TPropertyTable table{
      P::Component(L"Images", &C::GetSeImages, &C::SetSeImages),
      P::Persistent(L"PopupMenuOptions", &C::GetPopupMenuOptions, &C::SetPopupMenuOptions),
  };
  return &table;
}

TSeCustomPopupMenu::TSeCustomPopupMenu(TComponent* owner, const TClassInfo* itemClass)
    : TPopupMenu(owner), FOptions(std::make_unique<TSePopupMenuOptions>()) {
  RegisterMenuClass(StaticClassInfo(), [](TComponent* container, TSeCustomItem* item) {
    static_cast<TSeCustomPopupMenu*>(container)->FItems->Add(item);
  });
  FItems = MakeRootItem(itemClass);
  FItems->SetContainer(this);
}

TSeCustomPopupMenu::~TSeCustomPopupMenu() {
  if (ShowingMenu == this) ShowingMenu = nullptr;
  FItems->SetTreePopupOptions(nullptr);
  delete FItems;
  UnregisterMenuClass(StaticClassInfo());
}

TSeCustomPopupMenu* TSeCustomPopupMenu::Showing() { return ShowingMenu; }

void TSeCustomPopupMenu::SetPopupMenuOptions(TSePopupMenuOptions* value) {
  if (value) FOptions->Assign(value);
  FItems->SetTreePopupOptions(FOptions.get());
}

void TSeCustomPopupMenu::GetChildren(const TGetChildProc& proc, TComponent* root) {
  inherited::GetChildren(proc, root);
  FItems->GetChildren(proc, root);
}

void TSeCustomPopupMenu::Loaded() {
  inherited::Loaded();
  if (auto* control = dynamic_cast<TControl*>(GetOwner())) FItems->SetBiDiMode(control->GetBiDiMode());
}

void TSeCustomPopupMenu::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
}

void TSeCustomPopupMenu::Popup(int x, int y) {
  if (ShowingMenu && ShowingMenu != this) {
    ShowingMenu->CloseMenu();
    Application->ProcessMessages();
  }
  DeferredClickWindow();  // clicks run once the menu windows are gone
  ShowingMenu = this;
  FItems->SetTreePopupOptions(FOptions.get());
  FItems->SetTreeOwnerControl(dynamic_cast<TWinControl*>(GetOwner()));
  FItems->SetHostComponent(GetOwner());  // its form's frame is held while a level comes up
  FItems->SetTreeAnimateNext(true);
  FItems->SetTreeMenuMode(true);
  DoPopup(this);
  FItems->Popup(nullptr, x, y, TRect());
  if (ShowingMenu == this) ShowingMenu = nullptr;
}

void TSeCustomPopupMenu::CloseMenu() {
  // While the menu is open its loops are further down the stack: whatever calls this runs
  // inside one of them (a timer or a message it dispatched), so a message posted to end
  // them would be read by whichever loop runs next instead. They are ended directly and
  // their windows hidden at once; each loop leaves when control returns to it.
  for (int i = Screen->GetCustomFormCount() - 1; i >= 0; --i) {
    auto* window = dynamic_cast<TSePopupWindow*>(Screen->GetCustomForms(i));
    TSeItemView* view = window ? window->GetView() : nullptr;
    if (view && view->GetItem() && view->GetItem()->GetRoot() == FItems) window->Withdraw();
  }
}

// ---- TSeCustomMenuBar -----------------------------------------------------------------------------------------

const TPropertyTable* TSeCustomMenuBar::PublishedProperties() {
  using P = TPublish<TSeCustomMenuBar>;
  using C = TSeCustomMenuBar;
  static const TPropertyTable table{
      P::Boolean(L"AutoSize", &C::GetAutoSize, &C::SetAutoSizeBar).Default(true),
      P::Component(L"Images", &C::GetImages, &C::SetImages),
      P::Persistent(L"PopupMenuOptions", &C::GetPopupMenuOptions, &C::SetPopupMenuOptions),
      P::Boolean(L"ShowBevel", &C::GetShowBevel, &C::SetShowBevel).Default(false),
  };
  return &table;
}

TSeCustomMenuBar::TSeCustomMenuBar(TComponent* owner, const TClassInfo* itemClass)
    : TSeCustomControl(owner), FOptions(std::make_unique<TSePopupMenuOptions>()) {
  RegisterMenuClass(StaticClassInfo(), [](TComponent* container, TSeCustomItem* item) {
    static_cast<TSeCustomMenuBar*>(container)->FItems->Add(item);
  });
  SetControlStyle(GetControlStyle() + TControlStyle{csActionClient});
  FItems = MakeRootItem(itemClass);
  FItems->SetContainer(this);
  if (!GetComponentState().Contains(csDesigning)) FItems->OnChange = [this](TObject*) { ApplyLayout(); };
  FView = new TSeMenuBarView(this);
  SetColor(clMenu);
  SetBounds(GetLeft(), GetTop(), GetWidth(), ::GetSystemMetrics(SM_CYMENU));
  FUpdating = false;
}

TSeCustomMenuBar::~TSeCustomMenuBar() {
  FItems->OnChange = nullptr;
  FItems->SetTreePopupOptions(nullptr);
  delete FView;
  FView = nullptr;
  delete FItems;
  UnregisterMenuClass(StaticClassInfo());
}

TSeItemView* TSeCustomMenuBar::GetView() const { return FView; }

void TSeCustomMenuBar::SetShowBevel(bool value) {
  if (value == FShowBevel) return;
  FShowBevel = value;
  Invalidate();
}

void TSeCustomMenuBar::SetPopupMenuOptions(TSePopupMenuOptions* value) {
  if (value) FOptions->Assign(value);
  FItems->SetTreePopupOptions(FOptions.get());
}

TRect TSeCustomMenuBar::GetItemsRect() {
  TRect r(0, 0, GetWidth(), GetHeight());
  if (GetAlign() == alTop) r.Bottom -= 2;
  else if (GetAlign() == alBottom) r.Top += 2;
  return r;
}

void TSeCustomMenuBar::ApplyLayout() {
  const TComponentState state = GetComponentState();
  if (state.Contains(csLoading) || state.Contains(csDestroying) || !FView || FMerging) return;
  FItems->SetTreePopupOptions(FOptions.get());
  if (auto* owner = dynamic_cast<TWinControl*>(GetOwner())) FItems->SetTreeOwnerControl(owner);
  FItems->SetTreeInControlBar(InControlBar());
  const TRect r = GetItemsRect();
  FView->SetOrigin(TPoint(r.Left, r.Top));
  FView->Layout();
  Invalidate();
}

void TSeCustomMenuBar::InitiateAction() {
  inherited::InitiateAction();
  if (FView) FView->InitiateAction();
}

void TSeCustomMenuBar::Loaded() {
  inherited::Loaded();
  CreateMDIButtons();
  FUpdating = false;
  ApplyLayout();
  FItems->SetBiDiMode(GetBiDiMode());
}

void TSeCustomMenuBar::GetChildren(const TGetChildProc& proc, TComponent* root) {
  // The MDI child buttons are made at run time: a stored layout never keeps them.
  FItems->GetChildren(
      [&](TComponent* child) {
        if (std::find(std::begin(FMDIButtons), std::end(FMDIButtons), child) == std::end(FMDIButtons))
          proc(child);
      },
      root);
  inherited::GetChildren(proc, root);
}

bool TSeCustomMenuBar::InControlBar() const {
  return dynamic_cast<TSeCustomControlBar*>(GetParent()) != nullptr;
}

void TSeCustomMenuBar::SetParent(TWinControl* value) {
  inherited::SetParent(value);
  // The items draw as tool-bar buttons inside a control bar (when themed).
  FItems->SetTreeInControlBar(InControlBar());
  Invalidate();
  // A bar the designer puts on a decorated form that has no menu bar yet becomes its menu
  // bar. A stored layout keeps the link it stores (or its absence).
  const TComponentState state = GetComponentState();
  if (!value || !state.Contains(csDesigning) || state.Contains(csLoading)) return;
  if (TSeCustomForm* skin = FindFormSkin(value); skin && !skin->GetMenuBar()) skin->SetMenuBar(this);
}

void TSeCustomMenuBar::SetBounds(int left, int top, int width, int height) {
  inherited::SetBounds(left, top, width, height);
  if (FUpdating || !FView) return;
  FUpdating = true;
  ApplyLayout();
  FUpdating = false;
}

void TSeCustomMenuBar::PaintFace() {
  TCanvas* canvas = GetCanvas();
  if (InControlBar()) {
    PaintControlBarBackground(canvas);
  } else {
    inherited::PaintFace();  // Color, or the parent's painting when Transparent
  }
  FView->Paint(canvas);
  if (FShowBevel) PaintBevel(canvas);
}

void TSeCustomMenuBar::PaintControlBarBackground(TCanvas* canvas) {
  // The control bar's themed background goes on under the bar: its whole client area drawn
  // with the bar's own origin moved to ours.
  RECT whole{};
  ::GetClientRect(GetParent()->GetHandle(), &whole);
  ::OffsetRect(&whole, -GetLeft(), -GetTop());
  if (!DrawControlBarBackground(canvas, whole)) FillRectColor(canvas, TRect(0, 0, GetWidth(), GetHeight()), GetColor());
}

void TSeCustomMenuBar::PaintBevel(TCanvas* canvas) {
  // An etched line along the edge the bar is aligned to the form away from.
  const int y = GetAlign() == alBottom ? 0 : GetHeight() - 2;
  if (UseThemes()) {
    RECT line{0, y, GetWidth(), y + 2};
    const bool drawn = TThemeScope(L"Rebar").DrawEdge(canvas->GetHandle(), 0, 0, line, EDGE_ETCHED, BF_TOP);
    canvas->Refresh();
    if (drawn) return;
  }
  FillRectXY(canvas, 0, y, GetWidth(), y + 1, clBtnShadow);
  FillRectXY(canvas, 0, y + 1, GetWidth(), y + 2, clBtnHighlight);
}

void TSeCustomMenuBar::MouseMove(TShiftState shift, int x, int y) {
  inherited::MouseMove(shift, x, y);
  if (!FView->GetTracking()) FView->HitTest(ClientToScreen(TPoint(x, y)));
}

void TSeCustomMenuBar::EnterMenuMode() {
  CloseOpenDropDown(this);  // an open drop-down list goes first
  DeferredClickWindow();  // clicks run once the menu windows are gone
  // The frame of the form the bar stands on is held while a level comes up.
  TComponent* host = GetParentForm(this);
  FItems->SetHostComponent(host ? host : GetOwner());
  FItems->SetTreeAnimateNext(true);
  FItems->SetTreeMenuMode(true);
  FView->Track();
  FItems->SetTreeMenuMode(false);
}

void TSeCustomMenuBar::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN: {
      inherited::Dispatch(message);
      const TPoint p(static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam)));
      for (int i = 0; i < FItems->GetCount(); ++i)
        if (FItems->GetItem(i)->GetVisible() && PtInRect(FItems->GetItem(i)->GetBoundsRect(), p)) {
          EnterMenuMode();
          break;
        }
      return;
    }
    case CM_MOUSELEAVE:
      inherited::Dispatch(message);
      if (!FView->GetTracking()) FView->HitTest(ClientToScreen(TPoint(-1, -1)));
      return;
    case CM_DIALOGCHAR: {
      const auto key = static_cast<wchar_t>(message.WParam);
      if (key != 0 && (message.LParam & 0x20000000) && FItems->FindByAccelerator(key)) {
        ::PostMessageW(GetHandle(), WM_CHAR, key, 0);
        EnterMenuMode();
        message.Result = 1;
        return;
      }
      break;
    }
  }
  inherited::Dispatch(message);
}

// ---- TSeMenuBarView ---------------------------------------------------------------------------------------------

TSeMenuBarView::TSeMenuBarView(TSeCustomMenuBar* bar) : TSeItemView(nullptr, true, true), FBar(bar) {
  SetItem(bar->FItems);
  SetHost(bar);
  SetBarControl(bar);
}

void TSeMenuBarView::SizeChanged(const TSize& size) {
  if (!FBar->FAutoSizeBar) return;
  const TRect r = FBar->GetItemsRect();
  const int height = size.cy + r.Top + (FBar->GetHeight() - r.Bottom);
  if (height != FBar->GetHeight()) {
    const bool updating = FBar->FUpdating;
    FBar->FUpdating = true;
    FBar->SetBounds(FBar->GetLeft(), FBar->GetTop(), FBar->GetWidth(), height);
    FBar->FUpdating = updating;
  }
}

void TSeMenuBarView::RepaintView() {
  FBar->Invalidate();
  if (FBar->HandleAllocated()) ::UpdateWindow(FBar->GetHandle());
}

void TSeMenuBarView::RepaintItem(TSeCustomItem* item) {
  if (!FBar->HandleAllocated() || !item) return;
  const RECT r = item->GetBoundsRect();
  ::InvalidateRect(FBar->GetHandle(), &r, FALSE);
  ::UpdateWindow(FBar->GetHandle());
}
