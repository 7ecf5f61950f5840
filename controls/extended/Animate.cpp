// TRxImageControl.
#include "Animate.h"

#include "classlib/controls/ControlPaint.h"
#include "classlib/controls/Messages.h"
#include "classlib/forms/Forms.h"
#include "classlib/graphics/Canvas.h"

namespace {

// The parent's own painting is protected in TWinControl; the background copy needs it.
class TParentPainter : public TWinControl {
 public:
  static void PaintWindowOf(TWinControl* control, HDC dc) {
    (control->*(&TParentPainter::PaintWindow))(dc);
  }
};

class TSavedDC {
 public:
  explicit TSavedDC(HDC dc) : FDC(dc), FSaved(::SaveDC(dc)) {}
  ~TSavedDC() {
    if (FSaved) ::RestoreDC(FDC, FSaved);
  }
  TSavedDC(const TSavedDC&) = delete;
  TSavedDC& operator=(const TSavedDC&) = delete;

 private:
  HDC FDC;
  int FSaved;
};

}  // namespace

void RxCopyParentImage(TControl* control, TCanvas* canvas) {
  if (!control || !canvas) return;
  TWinControl* parent = control->GetParent();
  if (!parent) return;
  HDC dc = canvas->GetHandle();
  const TRect own = control->GetBoundsRect();
  {
    TSavedDC saved(dc);
    HBRUSH brush = ::CreateSolidBrush(ColorToRGB(parent->GetColor()));
    RECT all{0, 0, own.Width(), own.Height()};
    ::FillRect(dc, &all, brush);
    ::DeleteObject(brush);
    ::OffsetViewportOrgEx(dc, -own.Left, -own.Top, nullptr);
    const TRect client = parent->GetClientRect();
    ::IntersectClipRect(dc, client.Left, client.Top, client.Right, client.Bottom);
    TParentPainter::PaintWindowOf(parent, dc);
  }
  for (int i = 0; i < parent->GetControlCount(); ++i) {
    TControl* child = parent->GetControls(i);
    if (!child || child == control) break;
    if (child->Is<TWinControl>() || !child->GetVisible()) continue;
    TRect common;
    if (!IntersectRect(common, child->GetBoundsRect(), own)) continue;
    TSavedDC saved(dc);
    ::OffsetViewportOrgEx(dc, child->GetLeft() - own.Left, child->GetTop() - own.Top, nullptr);
    ::IntersectClipRect(dc, 0, 0, child->GetWidth(), child->GetHeight());
    child->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  }
}

TRxImageControl::TRxImageControl(TComponent* owner) : TGraphicControl(owner) {
  TControlStyle style = GetControlStyle();
  style.Include(csCaptureMouse);
  style.Include(csClickEvents);
  style.Include(csOpaque);
  style.Include(csDoubleClicks);
  style.Include(csReplicatable);
  SetControlStyle(style);
  SetBounds(GetLeft(), GetTop(), 105, 105);
  SetParentColor(true);
}

TRxImageControl::~TRxImageControl() = default;

void TRxImageControl::Dispatch(TMessage& message) {
  if (message.Msg == WM_PAINT) {
    WMPaint(message);
    return;
  }
  inherited::Dispatch(message);
}

void TRxImageControl::PaintImage() {
  TCanvas* canvas = GetCanvas();
  canvas->GetBrush()->SetColor(GetColor());
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->FillRect(GetClientRect());
  const bool drawing = FDrawing;
  FDrawing = true;
  try {
    DoPaintImage();
  } catch (...) {
    FDrawing = drawing;
    throw;
  }
  FDrawing = drawing;
}

void TRxImageControl::PaintDesignRect() {
  if (!GetComponentState().Contains(csDesigning)) return;
  TCanvas* canvas = GetCanvas();
  canvas->GetPen()->SetStyle(psDash);
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->Rectangle(0, 0, GetWidth(), GetHeight());
}

void TRxImageControl::RepaintImage() {
  if (::GetCurrentThreadId() == GetMainThreadID()) {
    Repaint();
    return;
  }
  TWinControl* parent = GetParent();
  if (!parent || !parent->HandleAllocated()) return;
  HWND window = parent->GetHandle();
  HDC dc = ::GetDC(window);
  if (!dc) return;
  {
    TSavedDC saved(dc);
    const TRect r = GetBoundsRect();
    ::IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
    ::SetViewportOrgEx(dc, r.Left, r.Top, nullptr);
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  }
  ::ReleaseDC(window, dc);
}

void TRxImageControl::WMPaint(TMessage& message) {
  HDC target = reinterpret_cast<HDC>(message.WParam);
  if (!target) return;
  if (FPaintBuffered) {
    inherited::WMPaint(message);
    return;
  }
  Lock();
  TCanvas* canvas = GetCanvas();
  canvas->Lock();
  const TRect client = GetClientRect();
  HDC screen = ::GetDC(nullptr);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, std::max<int>(client.Width(), 1),
                                            std::max<int>(client.Height(), 1));
  HDC memory = ::CreateCompatibleDC(screen);
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  FPaintBuffered = true;
  try {
    TMessage inner = message;
    inner.WParam = reinterpret_cast<WPARAM>(memory);
    inherited::WMPaint(inner);
    ::BitBlt(target, 0, 0, client.Width(), client.Height(), memory, 0, 0, SRCCOPY);
  } catch (...) {
    FPaintBuffered = false;
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::DeleteObject(bitmap);
    canvas->Unlock();
    Unlock();
    throw;
  }
  FPaintBuffered = false;
  ::SelectObject(memory, old);
  ::DeleteDC(memory);
  ::DeleteObject(bitmap);
  canvas->Unlock();
  Unlock();
}

void TRxImageControl::PictureChanged() {
  if (GetComponentState().Contains(csDestroying)) return;
  AdjustSize();
  if (DoPaletteChange() && FDrawing) Update();
  if (!FDrawing) Invalidate();
}

bool TRxImageControl::DoPaletteChange() {
  if (!GetVisible() || GetComponentState().Contains(csLoading) || !FGraphic ||
      !FGraphic->GetPaletteModified())
    return false;
  bool hasPalette;
  {
    // Under the lock: a worker step may be decoding the graphic's pictures or giving them back.
    TCriticalSectionGuard guard(FLock);
    hasPalette = FGraphic->GetPalette() != nullptr;
  }
  if (!hasPalette) {
    FGraphic->SetPaletteModified(false);
    return false;
  }
  TCustomForm* form = GetParentForm(this);
  if (!form || !form->GetActive() || !form->HandleAllocated()) return false;
  if (FDrawing) form->Perform(WM_QUERYNEWPALETTE, 0, 0);
  else ::PostMessageW(form->GetHandle(), WM_QUERYNEWPALETTE, 0, 0);
  FGraphic->SetPaletteModified(false);
  return true;
}
