#include "Scrolling.h"

#include <commctrl.h>
#include <utility>
#include <vector>
#include "../system/SysMath.h"

// ---- Range and position arithmetic -------------------------------------------------------------

int CalcScrollRange(std::span<const TScrollExtent> extents, int position, int margin) {
  int furthest = 0;
  int trailing = 0;
  for (const TScrollExtent& e : extents) {
    if (e.Role == erExtent)
      furthest = Max(furthest, position + e.Start + e.Size);
    else if (e.Role == erTrailing)
      trailing += Max(e.Size, 0);
  }
  return Max(furthest + trailing + Max(margin, 0), 0);
}

int ScrollCalcRange(int range, int controlSize) { return Max(range - controlSize, 0); }

int ScrollControlSize(int clientSize, bool controlSB, bool assumeSB, bool otherBarShown,
                      int otherBarThickness) {
  if (controlSB) return clientSize;
  if (assumeSB && !otherBarShown) return clientSize - otherBarThickness;
  if (!assumeSB && otherBarShown) return clientSize + otherBarThickness;
  return clientSize;
}

int ScrollCodePosition(int code, int position, int increment, int pageSize, int calcRange,
                       int thumbPos, bool tracking) {
  switch (code) {
    case SB_LINEUP: return position - increment;
    case SB_LINEDOWN: return position + increment;
    case SB_PAGEUP: return position - pageSize;
    case SB_PAGEDOWN: return position + pageSize;
    case SB_THUMBPOSITION: return thumbPos;
    case SB_THUMBTRACK: return tracking ? thumbPos : position;
    case SB_TOP: return 0;
    case SB_BOTTOM: return calcRange;
    default: return position;
  }
}

TSmoothScroll SmoothScrollSteps(int amount, int divisions) {
  if (divisions <= 0) return {0, amount, 0};
  return {Div(amount, divisions), Mod(amount, divisions), divisions};
}

int ScrollInViewPosition(int position, int start, int end, int clientSize) {
  if (start < 0) return position + start;
  if (end > clientSize) {
    if (end - start > clientSize) end = start + clientSize;
    return position + end - clientSize;
  }
  return position;
}

int FlatScrollBarMode(TScrollBarStyle style) {
  switch (style) {
    case ssFlat: return FSB_ENCARTA_MODE;
    case ssHotTrack: return FSB_FLAT_MODE;
    default: return FSB_REGULAR_MODE;
  }
}

// A SCROLLINFO asking for (or giving) the parts in mask.
static SCROLLINFO MakeScrollInfo(UINT mask) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = mask;
  return info;
}

// ---- Flat scroll bars ------------------------------------------------------------------------------
// The flat scroll bar functions of the common controls, looked up once. The library stays
// loaded for the life of the process (it is never freed), so the pointers stay valid.
namespace {

struct TFlatScrollApi {
  using InitializeFn = BOOL(WINAPI*)(HWND);
  using SetInfoFn = int(WINAPI*)(HWND, int, LPSCROLLINFO, BOOL);
  using GetInfoFn = BOOL(WINAPI*)(HWND, int, LPSCROLLINFO);
  using SetPropFn = BOOL(WINAPI*)(HWND, UINT, INT_PTR, BOOL);

  InitializeFn Initialize = nullptr;
  SetInfoFn SetInfo = nullptr;
  GetInfoFn GetInfo = nullptr;
  SetPropFn SetProp = nullptr;

  bool Complete() const { return Initialize && SetInfo && GetInfo && SetProp; }
};

const TFlatScrollApi& FlatScrollApi() {
  static const TFlatScrollApi api = [] {
    TFlatScrollApi result;
    HMODULE module = ::GetModuleHandleW(L"comctl32.dll");
    if (!module) module = ::LoadLibraryW(L"comctl32.dll");
    if (!module) return result;
    result.Initialize = reinterpret_cast<TFlatScrollApi::InitializeFn>(
        reinterpret_cast<void*>(::GetProcAddress(module, "InitializeFlatSB")));
    result.SetInfo = reinterpret_cast<TFlatScrollApi::SetInfoFn>(
        reinterpret_cast<void*>(::GetProcAddress(module, "FlatSB_SetScrollInfo")));
    result.GetInfo = reinterpret_cast<TFlatScrollApi::GetInfoFn>(
        reinterpret_cast<void*>(::GetProcAddress(module, "FlatSB_GetScrollInfo")));
    result.SetProp = reinterpret_cast<TFlatScrollApi::SetPropFn>(
        reinterpret_cast<void*>(::GetProcAddress(module, "FlatSB_SetScrollProp")));
    return result;
  }();
  return api;
}

}  // namespace

// ---- TControlScrollBar -----------------------------------------------------------------------------

TControlScrollBar::TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind)
    : FControl(control), FKind(kind) {
  FIncrement = Div(FPageIncrement, 10);
}

void TControlScrollBar::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TControlScrollBar*>(source);
  if (!other) {
    inherited::Assign(source);
    return;
  }
  FVisible = other->FVisible;
  FTracking = other->FTracking;
  FSmooth = other->FSmooth;
  FIncrement = other->FIncrement;
  FMargin = other->FMargin;
  FButtonSize = other->FButtonSize;
  FSize = other->FSize;
  FThumbSize = other->FThumbSize;
  FColor = other->FColor;
  FParentColor = other->FParentColor;
  FStyle = other->FStyle;
  FUpdateNeeded = true;
  SetRange(other->FRange);
  SetPosition(other->FPosition);
}

void TControlScrollBar::SetRange(int value) {
  FRange = Max(value, 0);
  FControl->FAutoScroll = false;
  FControl->UpdateScrollBars();
}

void TControlScrollBar::DoSetRange(int value) {
  FRange = Max(value, 0);
  FControl->UpdateScrollBars();
}

int TControlScrollBar::CurrentCalcRange() const {
  if (FControl->HandleAllocated()) return FCalcRange;
  // Without a window nothing was handed to a bar yet: the room is what the client leaves.
  return FVisible ? ScrollCalcRange(FRange, ControlSize(true, false)) : 0;
}

void TControlScrollBar::SetPosition(int value) {
  const TComponentState state = FControl->GetComponentState();
  if (state.Contains(csReading) || state.Contains(csLoading)) {
    // A stored layout holds the children where they were scrolled to: nothing moves.
    FPosition = value;
    return;
  }
  value = Max(Min(value, CurrentCalcRange()), 0);
  if (value != FPosition) {
    const int oldPosition = FPosition;
    FPosition = value;
    if (FKind == sbHorizontal)
      FControl->ScrollBy(oldPosition - value, 0);
    else
      FControl->ScrollBy(0, oldPosition - value);
  }
  if (FControl->HandleAllocated()) {
    SCROLLINFO info = MakeScrollInfo(SIF_POS);
    if (!FControl->GetScrollInfoOf(BarCode(), info) || info.nPos != FPosition) {
      info.fMask = SIF_POS;
      info.nPos = FPosition;
      FControl->SetScrollInfoOf(BarCode(), info, true);
    }
  }
}

void TControlScrollBar::SetIncrement(TScrollBarInc value) {
  FIncrement = Max(Min(value, 32767), 1);
}

void TControlScrollBar::SetMargin(int value) { FMargin = Max(value, 0); }

void TControlScrollBar::SetButtonSize(int value) {
  value = Max(value, 0);
  if (value == FButtonSize) return;
  FButtonSize = value;
  FUpdateNeeded = true;
  FControl->UpdateScrollBars();
}

void TControlScrollBar::SetSize(int value) {
  value = Max(value, 0);
  if (value == FSize) return;
  FSize = value;
  FUpdateNeeded = true;
  FControl->UpdateScrollBars();
}

void TControlScrollBar::SetThumbSize(int value) {
  value = Max(value, 0);
  if (value == FThumbSize) return;
  FThumbSize = value;
  FUpdateNeeded = true;
  FControl->UpdateScrollBars();
}

void TControlScrollBar::SetColor(TColor value) {
  FParentColor = false;
  if (value == FColor) return;
  FColor = value;
  FUpdateNeeded = true;
  FControl->UpdateScrollBars();
}

void TControlScrollBar::SetParentColor(bool value) {
  if (value == FParentColor) return;
  if (value) SetColor(clBtnHighlight);
  FParentColor = value;
}

void TControlScrollBar::SetSmooth(bool value) {
  FSmooth = value;
  if (value) FIncrement = Max(Div(FPageIncrement, 10), 1);
}

void TControlScrollBar::SetStyle(TScrollBarStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  FUpdateNeeded = true;
  FControl->UpdateScrollBars();
}

void TControlScrollBar::SetVisible(bool value) {
  FVisible = value;
  FControl->UpdateScrollBars();
}

bool TControlScrollBar::IsScrollBarVisible() const {
  if (!FVisible || !FControl->HandleAllocated()) return false;
  const DWORD flag = FKind == sbVertical ? WS_VSCROLL : WS_HSCROLL;
  return (::GetWindowLongW(FControl->GetHandle(), GWL_STYLE) & flag) != 0;
}

int TControlScrollBar::ControlSize(bool controlSB, bool assumeSB) const {
  TScrollingWinControl* control = FControl;
  // The other bar is the one across this bar's axis: the horizontal bar takes height.
  const TScrollBarKind other = FKind == sbVertical ? sbHorizontal : sbVertical;
  bool otherShown = false;
  if (control->HandleAllocated()) {
    const DWORD flag = other == sbVertical ? WS_VSCROLL : WS_HSCROLL;
    otherShown = (::GetWindowLongW(control->GetHandle(), GWL_STYLE) & flag) != 0;
  }
  const TSize clientSize = control->ClientSizeNow();
  const int client = FKind == sbVertical ? clientSize.cy : clientSize.cx;
  return ScrollControlSize(client, controlSB, assumeSB, otherShown, control->BarThickness(other));
}

bool TControlScrollBar::NeedsScrollBarVisible() const {
  return FRange > ControlSize(false, false);
}

void TControlScrollBar::CalcAutoRange() {
  if (!FControl->FAutoScroll) return;
  if (!FControl->AutoScrollEnabled()) {
    DoSetRange(0);
    return;
  }
  std::vector<TScrollExtent> extents;
  const int count = FControl->GetControlCount();
  extents.reserve(count);
  for (int i = 0; i < count; ++i) {
    TControl* child = FControl->GetControl(i);
    if (!child || !child->GetVisible()) continue;
    const TAlign align = child->GetAlign();
    const TAnchors anchors = child->GetAnchors();
    TScrollExtent e;
    if (FKind == sbHorizontal) {
      // A child that keeps its distance to the left edge only adds to the range; one that
      // follows the right edge or stretches moves with the client instead.
      const bool leftOnly = anchors * TAnchors{akLeft, akRight} == TAnchors{akLeft};
      if (align == alLeft || (align == alNone && leftOnly))
        e = {erExtent, child->GetLeft(), child->GetWidth()};
      else if (align == alRight)
        e = {erTrailing, 0, child->GetWidth()};
    } else {
      const bool topOnly = anchors * TAnchors{akTop, akBottom} == TAnchors{akTop};
      if (align == alTop || (align == alNone && topOnly))
        e = {erExtent, child->GetTop(), child->GetHeight()};
      else if (align == alBottom)
        e = {erTrailing, 0, child->GetHeight()};
    }
    if (e.Role != erIgnored) extents.push_back(e);
  }
  DoSetRange(CalcScrollRange(extents, FPosition, FMargin));
}

void TControlScrollBar::UpdateScrollProperties(bool redraw) {
  const bool vertical = FKind == sbVertical;
  FControl->SetScrollPropOf(vertical ? WSB_PROP_VSTYLE : WSB_PROP_HSTYLE,
                            FlatScrollBarMode(FStyle), redraw);
  if (FButtonSize > 0)
    FControl->SetScrollPropOf(vertical ? WSB_PROP_CYVSCROLL : WSB_PROP_CXHSCROLL, FButtonSize,
                              false);
  if (FThumbSize > 0)
    FControl->SetScrollPropOf(vertical ? WSB_PROP_CYVTHUMB : WSB_PROP_CXHTHUMB, FThumbSize,
                              false);
  if (FSize > 0)
    FControl->SetScrollPropOf(vertical ? WSB_PROP_CXVSCROLL : WSB_PROP_CYHSCROLL, FSize, false);
  FControl->SetScrollPropOf(vertical ? WSB_PROP_VBKGCOLOR : WSB_PROP_HBKGCOLOR,
                            static_cast<int>(ColorToRGB(FColor)), false);
}

// The bar's scale runs 0..Range with a page of the visible size plus one, so the thumb can
// travel exactly Range - visible size. Without room to move the bar gets an empty scale,
// which hides it.
void TControlScrollBar::Update(bool controlSB, bool assumeSB) {
  const int controlSize = ControlSize(controlSB, assumeSB);
  FCalcRange = FVisible ? ScrollCalcRange(FRange, controlSize) : 0;
  SCROLLINFO info = MakeScrollInfo(SIF_ALL);
  info.nMax = FCalcRange > 0 ? FRange : 0;
  info.nPage = static_cast<UINT>(Max(controlSize + 1, 0));
  info.nPos = FPosition;
  info.nTrackPos = FPosition;
  if (FStyle != ssRegular) FControl->EnsureFlatScrollBars();
  if (FControl->FFlatScrollBars) UpdateScrollProperties(FUpdateNeeded);
  FUpdateNeeded = false;
  FControl->SetScrollInfoOf(BarCode(), info, true);
  SetPosition(FPosition);
  FPageIncrement = Div(ControlSize(true, false) * 9, 10);
  if (FSmooth) FIncrement = Max(Div(FPageIncrement, 10), 1);
}

int TControlScrollBar::ThumbPosition(TMessage& message) const {
  const int pos = TWMScroll(message).GetPos();
  // The message carries 16 bits only; large ranges read the full track position.
  if (FCalcRange <= 32767 || !FControl->HandleAllocated()) return pos;
  SCROLLINFO info = MakeScrollInfo(SIF_TRACKPOS);
  if (FControl->GetScrollInfoOf(BarCode(), info)) return info.nTrackPos;
  return pos;
}

void TControlScrollBar::ScrollMessage(TMessage& message) {
  const int code = TWMScroll(message).GetScrollCode();
  const bool lines = code == SB_LINEUP || code == SB_LINEDOWN;
  const bool pages = code == SB_PAGEUP || code == SB_PAGEDOWN;
  if (FSmooth && (lines || pages)) {
    const TSmoothScroll steps = lines ? SmoothScrollSteps(FIncrement, FLineDiv)
                                      : SmoothScrollSteps(FPageIncrement, FPageDiv);
    const int sign = (code == SB_LINEUP || code == SB_PAGEUP) ? -1 : 1;
    DWORD last = 0;
    for (int i = 0; i < steps.Count; ++i) {
      const DWORD now = ::GetTickCount();
      const DWORD elapsed = now - last;
      if (i > 0 && elapsed < static_cast<DWORD>(FDelay)) ::Sleep(FDelay - elapsed);
      last = ::GetTickCount();
      SetPosition(FPosition + sign * steps.Step);
      FControl->Update();
    }
    if (steps.Final > 0) SetPosition(FPosition + sign * steps.Final);
    return;
  }
  int thumb = FPosition;
  if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK) thumb = ThumbPosition(message);
  SetPosition(ScrollCodePosition(code, FPosition, FIncrement, ControlSize(true, false),
                                 FCalcRange, thumb, FTracking));
}

// ---- TScrollingWinControl --------------------------------------------------------------------------

TScrollingWinControl::TScrollingWinControl(TComponent* owner)
    : TWinControl(owner),
      FHorzScrollBar(std::make_unique<TControlScrollBar>(this, sbHorizontal)),
      FVertScrollBar(std::make_unique<TControlScrollBar>(this, sbVertical)) {}

// The window goes before the bars (the base destructor would destroy it after them, and
// its last messages would reach bars that are gone).
TScrollingWinControl::~TScrollingWinControl() {
  Destroying();
  if (HandleAllocated()) DestroyHandle();
}

void TScrollingWinControl::SetHorzScrollBar(TControlScrollBar* value) {
  FHorzScrollBar->Assign(value);
}

void TScrollingWinControl::SetVertScrollBar(TControlScrollBar* value) {
  FVertScrollBar->Assign(value);
}

void TScrollingWinControl::SetAutoScroll(bool value) {
  if (value == FAutoScroll) return;
  FAutoScroll = value;
  if (value) {
    CalcAutoRange();
  } else {
    FHorzScrollBar->SetRange(0);
    FVertScrollBar->SetRange(0);
  }
}

bool TScrollingWinControl::AutoScrollEnabled() { return !GetAutoSize(); }

void TScrollingWinControl::CalcAutoRange() {
  if (FAutoRangeCount > 0) return;
  FHorzScrollBar->CalcAutoRange();
  FVertScrollBar->CalcAutoRange();
}

void TScrollingWinControl::EnableAutoRange() {
  if (FAutoRangeCount <= 0) return;
  --FAutoRangeCount;
  if (FAutoRangeCount == 0 && (FHorzScrollBar->GetVisible() || FVertScrollBar->GetVisible()))
    CalcAutoRange();
}

// Which bar is decided first matters: a vertical bar narrows the client, which may then
// need a horizontal bar, which shortens the client in turn.
void TScrollingWinControl::UpdateScrollBars() {
  if (FUpdatingScrollBars || !HandleAllocated()) return;
  FUpdatingScrollBars = true;
  try {
    if (FVertScrollBar->NeedsScrollBarVisible()) {
      FHorzScrollBar->Update(false, true);
      FVertScrollBar->Update(true, false);
    } else if (FHorzScrollBar->NeedsScrollBarVisible()) {
      FVertScrollBar->Update(false, true);
      FHorzScrollBar->Update(true, false);
    } else {
      FVertScrollBar->Update(false, false);
      FHorzScrollBar->Update(true, false);
    }
  } catch (...) {
    FUpdatingScrollBars = false;
    throw;
  }
  FUpdatingScrollBars = false;
}

void TScrollingWinControl::AutoScrollInView(TControl* control) {
  if (!control || control->GetComponentState().Contains(csLoading) ||
      GetComponentState().Contains(csLoading))
    return;
  ScrollInView(control);
}

void TScrollingWinControl::ScrollInView(TControl* control) {
  if (!control || control == this || !ContainsControl(control)) return;
  // The client rectangle; a control without a window yet is taken whole.
  auto* winControl = dynamic_cast<TWinControl*>(control);
  TRect r = Rect(0, 0, control->GetWidth(), control->GetHeight());
  if (!winControl || winControl->HandleAllocated()) r = control->GetClientRect();
  r.Left -= FHorzScrollBar->GetMargin();
  r.Right += FHorzScrollBar->GetMargin();
  r.Top -= FVertScrollBar->GetMargin();
  r.Bottom += FVertScrollBar->GetMargin();
  TPoint offset;
  if (HandleAllocated()) {
    // Through the screen, so the borders of windows in between count.
    const TPoint origin = control->ClientToScreen(TPoint(0, 0));
    const TPoint mine = ClientToScreen(TPoint(0, 0));
    offset = TPoint(origin.X - mine.X, origin.Y - mine.Y);
  } else {
    for (TControl* c = control; c && c != this; c = c->GetParent()) {
      offset.X += c->GetLeft();
      offset.Y += c->GetTop();
    }
  }
  OffsetRect(r, offset.X, offset.Y);
  const TSize client = ClientSizeNow();
  FHorzScrollBar->SetPosition(
      ScrollInViewPosition(FHorzScrollBar->GetPosition(), r.Left, r.Right, client.cx));
  FVertScrollBar->SetPosition(
      ScrollInViewPosition(FVertScrollBar->GetPosition(), r.Top, r.Bottom, client.cy));
}

void TScrollingWinControl::MoveBoundsField(TControl* control, int deltaX, int deltaY) {
  // UpdateBoundsRect is protected in TControl; a member pointer taken through this class
  // may be called on any control.
  static constexpr auto updateBoundsRect = &TScrollingWinControl::UpdateBoundsRect;
  TRect r = control->GetBoundsRect();
  OffsetRect(r, deltaX, deltaY);
  (control->*updateBoundsRect)(r);
}

void TScrollingWinControl::ScrollBy(int deltaX, int deltaY) {
  if (deltaX == 0 && deltaY == 0) return;
  HWND wnd = HandleAllocated() ? GetHandle() : nullptr;
  const bool isVisible = wnd && ::IsWindowVisible(wnd);
  // A visible window scrolls its pixels and its child windows in one go.
  if (isVisible) ::ScrollWindow(wnd, deltaX, deltaY, nullptr, nullptr);
  const int count = GetControlCount();
  for (int i = 0; i < count; ++i) {
    TControl* child = GetControl(i);
    if (!child) continue;
    auto* winChild = dynamic_cast<TWinControl*>(child);
    if (!winChild || !winChild->HandleAllocated()) {
      MoveBoundsField(child, deltaX, deltaY);
    } else if (!isVisible) {
      ::SetWindowPos(winChild->GetHandle(), nullptr, child->GetLeft() + deltaX,
                     child->GetTop() + deltaY, child->GetWidth(), child->GetHeight(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  Realign();
}

TSize TScrollingWinControl::ClientSizeNow() {
  if (!HandleAllocated()) return TSize(GetWidth(), GetHeight());
  RECT r{};
  ::GetClientRect(GetHandle(), &r);
  return TSize(r.right - r.left, r.bottom - r.top);
}

TRect TScrollingWinControl::ScrolledArea() {
  const TSize client = ClientSizeNow();
  return Bounds(-FHorzScrollBar->GetPosition(), -FVertScrollBar->GetPosition(),
                Max(FHorzScrollBar->GetRange(), client.cx),
                Max(client.cy, FVertScrollBar->GetRange()));
}

void TScrollingWinControl::AdjustClientRect(TRect& rect) {
  rect = ScrolledArea();
  inherited::AdjustClientRect(rect);
}

void TScrollingWinControl::AlignControls(TControl* control, TRect& rect) {
  CalcAutoRange();  // first: the area depends on the ranges
  rect = ScrolledArea();
  inherited::AlignControls(control, rect);
}

void TScrollingWinControl::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  // Scrolling moves the pixels; a resize must not repaint everything.
  params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TScrollingWinControl::CreateWnd() {
  FFlatScrollBars = false;
  FFlatTried = false;
  inherited::CreateWnd();
  if (FHorzScrollBar->GetStyle() != ssRegular || FVertScrollBar->GetStyle() != ssRegular)
    EnsureFlatScrollBars();
  FHorzScrollBar->FUpdateNeeded = true;
  FVertScrollBar->FUpdateNeeded = true;
  UpdateScrollBars();
}

bool TScrollingWinControl::EnsureFlatScrollBars() {
  if (FFlatScrollBars || FFlatTried || !HandleAllocated()) return FFlatScrollBars;
  FFlatTried = true;
  const TFlatScrollApi& api = FlatScrollApi();
  FFlatScrollBars = api.Complete() && api.Initialize(GetHandle());
  return FFlatScrollBars;
}

bool TScrollingWinControl::SetScrollInfoOf(int bar, SCROLLINFO& info, bool redraw) {
  if (!HandleAllocated()) return false;
  if (FFlatScrollBars) {
    FlatScrollApi().SetInfo(GetHandle(), bar, &info, redraw);
    return true;
  }
  ::SetScrollInfo(GetHandle(), bar, &info, redraw);
  return true;
}

bool TScrollingWinControl::GetScrollInfoOf(int bar, SCROLLINFO& info) {
  if (!HandleAllocated()) return false;
  if (FFlatScrollBars) return FlatScrollApi().GetInfo(GetHandle(), bar, &info) != FALSE;
  return ::GetScrollInfo(GetHandle(), bar, &info) != FALSE;
}

void TScrollingWinControl::SetScrollPropOf(UINT index, int value, bool redraw) {
  if (FFlatScrollBars && HandleAllocated())
    FlatScrollApi().SetProp(GetHandle(), index, value, redraw);
}

int TScrollingWinControl::BarThickness(TScrollBarKind kind) const {
  const TControlScrollBar* bar = kind == sbVertical ? FVertScrollBar.get() : FHorzScrollBar.get();
  if (FFlatScrollBars && bar->GetSize() > 0) return bar->GetSize();
  return ::GetSystemMetrics(kind == sbVertical ? SM_CXVSCROLL : SM_CYHSCROLL);
}

void TScrollingWinControl::WMSize(TMessage& message) {
  // The layout that follows the new size must not recompute the ranges half-way.
  ++FAutoRangeCount;
  try {
    inherited::WMSize(message);
  } catch (...) {
    --FAutoRangeCount;
    throw;
  }
  --FAutoRangeCount;
  // The new ranges go to the bars once, below (or by an UpdateScrollBars running already,
  // whose guard is kept as it was).
  const bool wasUpdating = std::exchange(FUpdatingScrollBars, true);
  try {
    CalcAutoRange();
  } catch (...) {
    FUpdatingScrollBars = wasUpdating;
    throw;
  }
  FUpdatingScrollBars = wasUpdating;
  if (FHorzScrollBar->GetVisible() || FVertScrollBar->GetVisible()) UpdateScrollBars();
}

void TScrollingWinControl::WMHScroll(TMessage& message) {
  if (message.LParam == 0 && FHorzScrollBar->GetVisible())
    FHorzScrollBar->ScrollMessage(message);
  else
    inherited::WMHScroll(message);
}

void TScrollingWinControl::WMVScroll(TMessage& message) {
  if (message.LParam == 0 && FVertScrollBar->GetVisible())
    FVertScrollBar->ScrollMessage(message);
  else
    inherited::WMVScroll(message);
}

// ---- TScrollBox -------------------------------------------------------------------------------------

TScrollBox::TScrollBox(TComponent* owner) : TScrollingWinControl(owner) {
  SetControlStyle(
      TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
  SetBounds(GetLeft(), GetTop(), 185, 41);
}

void TScrollBox::SetBorderStyle(TBorderStyle value) {
  if ((value != bsNone && value != bsSingle) || value == FBorderStyle) return;
  FBorderStyle = value;
  RecreateWnd();
}

void TScrollBox::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  if (FBorderStyle == bsSingle) {
    if (GetCtl3D())
      params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      params.Style |= WS_BORDER;
  }
}

void TScrollBox::CMCtl3DChanged(TMessage& message) {
  if (FBorderStyle == bsSingle) RecreateWnd();
  inherited::CMCtl3DChanged(message);
}
