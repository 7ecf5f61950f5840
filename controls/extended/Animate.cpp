// TRxImageControl.
#include "Animate.h"

#include "RxUtils.h"

#include "classlib/controls/ControlPaint.h"
#include "classlib/controls/Messages.h"
#include "classlib/forms/Forms.h"
#include "classlib/graphics/Canvas.h"

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
