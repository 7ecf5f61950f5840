// Painting: invalidation, the WM_PAINT and WM_ERASEBKGND handling of windowed controls,
// the painting of windowless children by their parent, TGraphicControl and TCustomControl
// (their canvas painting steps are shared with forms, see ControlPaint.h), and the small
// cache of window DCs that control canvases draw on outside painting.
#include <algorithm>
#include "../graphics/GdiHandles.h"
#include "../system/SysMath.h"
#include "ControlPaint.h"
#include "Controls.h"
#include "ControlsInternal.h"

using namespace controls_internal;

// ---- DC cache ------------------------------------------------------------------------------------
namespace {

// A window DC a control canvas holds: kept until the canvas lets it go, or until more than
// MaxHeldDCs are held (the oldest is taken back), since window DCs are a scarce resource.
struct HeldDC {
  TControlCanvas* Canvas;  // the canvas drawing on it; not owned
  TControl* Control;       // the control the canvas belongs to; not owned
  HWND Window;             // the window the DC came from
  HDC DC;
};

constexpr size_t MaxHeldDCs = 4;
std::vector<HeldDC> gHeldDCs;

void FreeHeldDCs(const std::function<bool(const HeldDC&)>& which) {
  // FreeHandle calls back into the release function, which edits the list: collect first.
  std::vector<TControlCanvas*> canvases;
  for (const HeldDC& held : gHeldDCs)
    if (which(held)) canvases.push_back(held.Canvas);
  for (TControlCanvas* canvas : canvases) canvas->FreeHandle();
}

}  // namespace

namespace controls_internal {

void BindControlCanvas(TControlCanvas* canvas, TControl* control,
                       std::function<HDC(HWND&)> getDeviceContext) {
  auto acquire = [canvas, control, getDeviceContext]() -> HDC {
    if (gHeldDCs.size() >= MaxHeldDCs) {
      TControlCanvas* oldest = gHeldDCs.front().Canvas;
      oldest->FreeHandle();
    }
    HWND window = nullptr;
    HDC dc = getDeviceContext(window);
    if (dc) gHeldDCs.push_back(HeldDC{canvas, control, window, dc});
    return dc;
  };
  auto release = [canvas](HDC dc) {
    const auto it = std::find_if(gHeldDCs.begin(), gHeldDCs.end(), [&](const HeldDC& held) {
      return held.Canvas == canvas && held.DC == dc;
    });
    if (it == gHeldDCs.end()) return;
    const HWND window = it->Window;
    gHeldDCs.erase(it);
    ::ReleaseDC(window, dc);
  };
  canvas->SetControlDC(acquire, release);
}

void FreeDeviceContexts(HWND wnd) {
  FreeHeldDCs([wnd](const HeldDC& held) { return !wnd || held.Window == wnd; });
}

void FreeControlDC(TControl* control) {
  FreeHeldDCs([control](const HeldDC& held) { return held.Control == control; });
}

}  // namespace controls_internal

// ---- Painting on a canvas --------------------------------------------------------------------------

void PaintOnCanvas(TControlCanvas& canvas, HDC dc, const std::function<void()>& paint) {
  canvas.FreeHandle();  // a held window DC is not the one to paint on
  canvas.Lock();
  canvas.SetHandle(dc);
  try {
    paint();
  } catch (...) {
    canvas.SetHandle(nullptr);
    canvas.Unlock();
    throw;
  }
  canvas.SetHandle(nullptr);
  canvas.Unlock();
}

void PaintWithCustomPaint(TControl& control, const std::function<void()>& paint) {
  control.SetControlState(control.GetControlState() + TControlState{csCustomPaint});
  try {
    paint();
  } catch (...) {
    control.SetControlState(control.GetControlState() - TControlState{csCustomPaint});
    throw;
  }
  control.SetControlState(control.GetControlState() - TControlState{csCustomPaint});
}

// ---- Invalidation ------------------------------------------------------------------------------------

void TControl::InvalidateControl(bool isVisible, bool isOpaque) {
  if (!isVisible || !FParent || !FParent->HandleAllocated()) return;
  const RECT r = GetBoundsRect();
  const bool erase = !(isOpaque || FParent->GetControlStyle().Contains(csOpaque));
  ::InvalidateRect(FParent->FHandle, &r, erase ? TRUE : FALSE);
}

void TControl::Invalidate() { InvalidateControl(FVisible, FControlStyle.Contains(csOpaque)); }

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
  if (FControlStyle.Contains(csOpaque)) {
    WindowDC dc = WindowDC::FromClient(FParent->FHandle);
    if (!dc) return;
    ::IntersectClipRect(dc.get(), FLeft, FTop, FLeft + FWidth, FTop + FHeight);
    FParent->PaintControls(dc.get(), this);
  } else {
    Invalidate();
    Update();
  }
}

void TWinControl::Invalidate() { Perform(CM_INVALIDATE, 0, 0); }

void TWinControl::CMInvalidate(TMessage& message) {
  if (!FHandle) return;
  if (GetParent()) GetParent()->Perform(CM_INVALIDATE, 1, 0);
  if (message.WParam == 0)
    ::InvalidateRect(FHandle, nullptr, GetControlStyle().Contains(csOpaque) ? FALSE : TRUE);
}

void TWinControl::Update() {
  if (FHandle) ::UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

// ---- Painting a windowed control ------------------------------------------------------------------------

void TWinControl::WMPaint(TMessage& message) {
  if (message.WParam != 0) {
    // A DC from the caller: paint into it and leave the window's own update region alone.
    PaintHandler(message);
    return;
  }
  if (!FDoubleBuffered) {
    if (!GetControlState().Contains(csCustomPaint) && GetControlCount() == 0)
      DefaultHandler(message);
    else
      PaintHandler(message);
    return;
  }
  // Double buffered: the whole client area is drawn into a bitmap, then copied at once.
  PAINTSTRUCT paint{};
  HDC dc = ::BeginPaint(FHandle, &paint);
  try {
    const TRect client = GetClientRect();
    UniqueDC memoryDC(::CreateCompatibleDC(dc));
    UniqueBitmap bitmap(::CreateCompatibleBitmap(dc, Max(client.Right, 1), Max(client.Bottom, 1)));
    if (memoryDC && bitmap) {
      SelectObjectScope select(memoryDC.get(), bitmap.get());
      Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memoryDC.get()),
              reinterpret_cast<LPARAM>(memoryDC.get()));
      Perform(WM_PAINT, reinterpret_cast<WPARAM>(memoryDC.get()), 0);
      ::BitBlt(dc, 0, 0, client.Right, client.Bottom, memoryDC.get(), 0, 0, SRCCOPY);
    }
  } catch (...) {
    ::EndPaint(FHandle, &paint);
    throw;
  }
  ::EndPaint(FHandle, &paint);
}

void TWinControl::PaintHandler(TMessage& message) {
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  PAINTSTRUCT paint{};
  const bool ownPaint = dc == nullptr;
  if (ownPaint) {
    if (!FHandle) return;
    dc = ::BeginPaint(FHandle, &paint);
  }
  try {
    if (FControls.empty()) {
      PaintWindow(dc);
    } else {
      // Where opaque windowless children cover the window, the window need not paint.
      const int saved = ::SaveDC(dc);
      int clip = SIMPLEREGION;
      for (TControl* control : FControls) {
        if (control->FVisible && control->GetControlStyle().Contains(csOpaque)) {
          clip = ::ExcludeClipRect(dc, control->FLeft, control->FTop,
                                   control->FLeft + control->FWidth,
                                   control->FTop + control->FHeight);
          if (clip == NULLREGION) break;
        }
      }
      if (clip != NULLREGION) PaintWindow(dc);
      ::RestoreDC(dc, saved);
    }
    PaintControls(dc, nullptr);
  } catch (...) {
    if (ownPaint) ::EndPaint(FHandle, &paint);
    throw;
  }
  if (ownPaint) ::EndPaint(FHandle, &paint);
}

void TWinControl::PaintWindow(HDC dc) {
  // A window of our own class has nothing to paint but its background (WM_ERASEBKGND);
  // a system class paints itself into the DC it is given.
  if (!FHandle || !FDefWndProc || FDefWndProc == ::DefWindowProcW) return;
  TMessage message{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
  DefaultHandler(message);
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
  size_t index = 0;
  if (first) {
    const auto it = std::find(FControls.begin(), FControls.end(), first);
    if (it != FControls.end()) index = static_cast<size_t>(it - FControls.begin());
  }
  const bool paintCopy = GetControlState().Contains(csPaintCopy);
  for (; index < FControls.size(); ++index) {
    TControl* control = FControls[index];
    if (!control->FVisible) continue;
    const RECT bounds = control->GetBoundsRect();
    if (!::RectVisible(dc, &bounds)) continue;
    if (paintCopy) control->FControlState.Include(csPaintCopy);
    const int saved = ::SaveDC(dc);
    POINT origin{};
    ::GetWindowOrgEx(dc, &origin);
    ::SetWindowOrgEx(dc, origin.x - control->FLeft, origin.y - control->FTop, nullptr);
    ::IntersectClipRect(dc, 0, 0, control->FWidth, control->FHeight);
    const std::weak_ptr<int> alive = control->GetLifeToken();
    try {
      control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    } catch (...) {
      ::RestoreDC(dc, saved);
      if (!alive.expired()) control->FControlState.Exclude(csPaintCopy);
      throw;
    }
    ::RestoreDC(dc, saved);
    if (alive.expired()) break;  // a paint handler changed the children: stop here
    control->FControlState.Exclude(csPaintCopy);
  }
  // A sunken frame around framed windowed children with Ctl3D.
  for (TWinControl* child : FWinControls) {
    if (!child->GetCtl3D() || !child->GetControlStyle().Contains(csFramed) ||
        !child->GetVisible())
      continue;
    TRect frame = child->GetBoundsRect();
    InflateRect(frame, 1, 1);
    RECT r = frame;
    ::DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
  }
}

void TWinControl::PaintTo(HDC dc, int x, int y) {
  if (!FHandle || !dc) return;
  FControlState.Include(csPaintCopy);
  const int saved = ::SaveDC(dc);
  ::OffsetViewportOrgEx(dc, x, y, nullptr);
  ::IntersectClipRect(dc, 0, 0, FWidth, FHeight);
  // The border the system draws around the client.
  const LONG style = ::GetWindowLongW(FHandle, GWL_STYLE);
  const LONG exStyle = ::GetWindowLongW(FHandle, GWL_EXSTYLE);
  RECT frame{0, 0, FWidth, FHeight};
  if (exStyle & WS_EX_CLIENTEDGE) ::DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  if (exStyle & WS_EX_STATICEDGE) ::DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  if ((style & WS_BORDER) && !(exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)))
    ::FrameRect(dc, &frame, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  // The client where the system puts it inside the window.
  RECT window{}, client{};
  ::GetWindowRect(FHandle, &window);
  ::GetClientRect(FHandle, &client);
  POINT origin{0, 0};
  ::ClientToScreen(FHandle, &origin);
  ::OffsetViewportOrgEx(dc, origin.x - window.left, origin.y - window.top, nullptr);
  ::IntersectClipRect(dc, 0, 0, client.right, client.bottom);
  const std::weak_ptr<int> alive = GetLifeToken();
  try {
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    if (!alive.expired()) Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    // The windowed children from the bottom of the z-order up.
    const std::vector<TWinControl*> children = alive.expired() ? std::vector<TWinControl*>{} : FWinControls;
    for (TWinControl* child : children)
      if (!alive.expired() && child->GetVisible()) child->PaintTo(dc, child->FLeft, child->FTop);
  } catch (...) {
    ::RestoreDC(dc, saved);
    if (!alive.expired()) FControlState.Exclude(csPaintCopy);
    throw;
  }
  ::RestoreDC(dc, saved);
  if (!alive.expired()) FControlState.Exclude(csPaintCopy);
}

void TWinControl::WMEraseBkgnd(TMessage& message) {
  // Double-buffered controls paint their background into the buffer (WParam = LParam);
  // the system's erase is skipped for them, which is what stops the flicker.
  if (!FDoubleBuffered || message.WParam == static_cast<WPARAM>(message.LParam)) {
    const RECT client = GetClientRect();
    ::FillRect(reinterpret_cast<HDC>(message.WParam), &client, FBrush->GetHandle());
  }
  message.Result = 1;
}

// ---- TGraphicControl ------------------------------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), FCanvas(std::make_unique<TControlCanvas>()) {
  BindControlCanvas(FCanvas.get(), this,
                    [this](HWND& window) { return GetDeviceContext(window); });
}

TGraphicControl::~TGraphicControl() {
  Destroying();
  FCanvas->FreeHandle();
}

void TGraphicControl::Dispatch(TMessage& message) {
  if (message.Msg == WM_PAINT)
    WMPaint(message);
  else
    inherited::Dispatch(message);
}

void TGraphicControl::WMPaint(TMessage& message) {
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  if (!dc) return;
  PaintOnCanvas(*FCanvas, dc, [this] { Paint(); });
}

// ---- TCustomControl ----------------------------------------------------------------------------------------

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), FCanvas(std::make_unique<TControlCanvas>()) {
  BindControlCanvas(FCanvas.get(), this,
                    [this](HWND& window) { return GetDeviceContext(window); });
}

TCustomControl::~TCustomControl() {
  Destroying();
  FCanvas->FreeHandle();
}

void TCustomControl::PaintWindow(HDC dc) {
  PaintOnCanvas(*FCanvas, dc, [this] { Paint(); });
}

void TCustomControl::WMPaint(TMessage& message) {
  PaintWithCustomPaint(*this, [this, &message] { inherited::WMPaint(message); });
}

void TCustomControl::DestroyWnd() {
  FCanvas->FreeHandle();
  inherited::DestroyWnd();
}

// ---- Drawing outside painting ------------------------------------------------------------------------------

HDC TControl::GetDeviceContext(HWND& windowHandle) {
  if (!FParent) throw EInvalidOperation(L"Control '%s' has no parent window", {GetName()});
  HDC dc = FParent->GetDeviceContext(windowHandle);
  ::SetViewportOrgEx(dc, FLeft, FTop, nullptr);
  ::IntersectClipRect(dc, 0, 0, FWidth, FHeight);
  return dc;
}
