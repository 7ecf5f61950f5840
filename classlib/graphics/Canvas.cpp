#include "Canvas.h"

#include <vector>
#include "Bitmap.h"
#include "GdiHandles.h"
#include "Graphic.h"

namespace {

std::vector<POINT> ToPoints(std::span<const TPoint> points) {
  std::vector<POINT> result;
  result.reserve(points.size());
  for (const TPoint& p : points) result.push_back(p);
  return result;
}

int TextLength(const String& text) { return static_cast<int>(text.size()); }

// Raster operation "where the source is white use the pattern, elsewhere keep the
// destination" (DSPDxax): paints the brush through a mask.
constexpr DWORD ropPatternThroughMask = 0x00E20746;

}  // namespace

// ---- Construction ---------------------------------------------------------------------------

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()),
      FPen(std::make_unique<TPen>()),
      FBrush(std::make_unique<TBrush>()) {
  FFont->SetOnChange([this](TObject* sender) { FontChanged(sender); });
  FPen->SetOnChange([this](TObject* sender) { PenChanged(sender); });
  FBrush->SetOnChange([this](TObject* sender) { BrushChanged(sender); });
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

// ---- Handle and state -------------------------------------------------------------------------

HDC TCanvas::GetHandle() {
  Changing();
  RequiredState(csAllValid);
  Changed();
  return FHandle;
}

void TCanvas::SetHandle(HDC value) {
  if (value == FHandle) return;
  DeselectHandles();
  FHandle = value;
  FState = TCanvasState();
  if (FHandle) FState.Include(csHandleValid);
}

void TCanvas::RequiredState(TCanvasState required) {
  const TCanvasState needed = required - FState;
  if (needed.Empty()) return;
  if (needed.Contains(csHandleValid)) {
    CreateHandle();
    if (!FHandle) throw EInvalidOperation(L"Canvas does not allow drawing");
    FState.Include(csHandleValid);
  }
  if (needed.Contains(csFontValid)) SelectFont();
  if (needed.Contains(csPenValid)) SelectPen();
  if (needed.Contains(csBrushValid)) SelectBrush();
}

void TCanvas::SelectFont() {
  HGDIOBJ old = ::SelectObject(FHandle, FFont->GetHandle());
  if (!FOldFont) FOldFont = old;
  ::SetTextColor(FHandle, ColorToRGB(FFont->GetColor()));
  FState.Include(csFontValid);
}

void TCanvas::SelectPen() {
  HGDIOBJ old = ::SelectObject(FHandle, FPen->GetHandle());
  if (!FOldPen) FOldPen = old;
  ::SetROP2(FHandle, PenModeToROP2(FPen->GetMode()));
  FState.Include(csPenValid);
}

void TCanvas::SelectBrush() {
  HBRUSH brush = FBrush->GetHandle();
  ::UnrealizeObject(brush);
  HGDIOBJ old = ::SelectObject(FHandle, brush);
  if (!FOldBrush) FOldBrush = old;
  const COLORREF color = ColorToRGB(FBrush->GetColor());
  if (FBrush->GetStyle() == bsSolid) {
    ::SetBkColor(FHandle, color);
    ::SetBkMode(FHandle, OPAQUE);
  } else {
    // Hatches and text of a clear or hatched brush leave the background as it is.
    ::SetBkColor(FHandle, ~color & 0x00FFFFFF);
    ::SetBkMode(FHandle, TRANSPARENT);
  }
  FState.Include(csBrushValid);
}

// Each Deselect selects the DC's own object back, so that the tool's handle is selected
// nowhere and may be deleted when the tool changes.
void TCanvas::DeselectFont() {
  if (!FHandle || !FState.Contains(csFontValid)) return;
  ::SelectObject(FHandle, FOldFont ? FOldFont : ::GetStockObject(SYSTEM_FONT));
  FOldFont = nullptr;
  FState.Exclude(csFontValid);
}

void TCanvas::DeselectPen() {
  if (!FHandle || !FState.Contains(csPenValid)) return;
  ::SelectObject(FHandle, FOldPen ? FOldPen : ::GetStockObject(BLACK_PEN));
  FOldPen = nullptr;
  FState.Exclude(csPenValid);
}

void TCanvas::DeselectBrush() {
  if (!FHandle || !FState.Contains(csBrushValid)) return;
  ::SelectObject(FHandle, FOldBrush ? FOldBrush : ::GetStockObject(HOLLOW_BRUSH));
  FOldBrush = nullptr;
  FState.Exclude(csBrushValid);
}

void TCanvas::DeselectHandles() {
  DeselectFont();
  DeselectPen();
  DeselectBrush();
}

void TCanvas::Changing() {
  if (FOnChanging) FOnChanging(this);
}

void TCanvas::Changed() {
  if (FOnChange) FOnChange(this);
}

// ---- Attributes ---------------------------------------------------------------------------------

void TCanvas::SetFont(TFont* value) { FFont->Assign(value); }
void TCanvas::SetPen(TPen* value) { FPen->Assign(value); }
void TCanvas::SetBrush(TBrush* value) { FBrush->Assign(value); }

TColor TCanvas::GetPixels(int x, int y) {
  RequiredState({csHandleValid});
  const COLORREF color = ::GetPixel(FHandle, x, y);
  return color == CLR_INVALID ? clNone : ColorFromInt(static_cast<int32_t>(color));
}

void TCanvas::SetPixels(int x, int y, TColor value) {
  Changing();
  RequiredState({csHandleValid, csPenValid});
  ::SetPixel(FHandle, x, y, ColorToRGB(value));
  Changed();
}

TPoint TCanvas::GetPenPos() {
  RequiredState({csHandleValid});
  POINT p{};
  ::GetCurrentPositionEx(FHandle, &p);
  return p;
}

TRect TCanvas::GetClipRect() {
  RequiredState({csHandleValid});
  RECT r{};
  ::GetClipBox(FHandle, &r);
  return r;
}

// ---- Lines and shapes ---------------------------------------------------------------------------

void TCanvas::MoveTo(int x, int y) {
  RequiredState({csHandleValid});
  ::MoveToEx(FHandle, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::LineTo(FHandle, x, y);
  Changed();
}

void TCanvas::Polyline(std::span<const TPoint> points) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  const std::vector<POINT> p = ToPoints(points);
  ::Polyline(FHandle, p.data(), static_cast<int>(p.size()));
  Changed();
}

void TCanvas::Polygon(std::span<const TPoint> points) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  const std::vector<POINT> p = ToPoints(points);
  ::Polygon(FHandle, p.data(), static_cast<int>(p.size()));
  Changed();
}

void TCanvas::PolyBezier(std::span<const TPoint> points) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  const std::vector<POINT> p = ToPoints(points);
  ::PolyBezier(FHandle, p.data(), static_cast<DWORD>(p.size()));
  Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Rectangle(FHandle, x1, y1, x2, y2);
  Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::RoundRect(FHandle, x1, y1, x2, y2, x3, y3);
  Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Ellipse(FHandle, x1, y1, x2, y2);
  Changed();
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Arc(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Chord(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Pie(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

// ---- Areas --------------------------------------------------------------------------------------

void TCanvas::FillRect(const TRect& r) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  const RECT rc = r;
  ::FillRect(FHandle, &rc, FBrush->GetHandle());
  Changed();
}

void TCanvas::FrameRect(const TRect& r) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  const RECT rc = r;
  ::FrameRect(FHandle, &rc, FBrush->GetHandle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& r) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  const RECT rc = r;
  ::DrawFocusRect(FHandle, &rc);
  Changed();
}

void TCanvas::FloodFill(int x, int y, TColor color, TFillStyle fillStyle) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::ExtFloodFill(FHandle, x, y, ColorToRGB(color),
                 fillStyle == fsSurface ? FLOODFILLSURFACE : FLOODFILLBORDER);
  Changed();
}

// ---- Text ---------------------------------------------------------------------------------------

void TCanvas::TextOut(int x, int y, const String& text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  ::ExtTextOutW(FHandle, x, y, 0, nullptr, text.c_str(), TextLength(text), nullptr);
  MoveTo(x + TextWidth(text), y);
  Changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, const String& text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT options = ETO_CLIPPED;
  if (FBrush->GetStyle() != bsClear) options |= ETO_OPAQUE;
  const RECT rc = r;
  ::ExtTextOutW(FHandle, x, y, options, &rc, text.c_str(), TextLength(text), nullptr);
  Changed();
}

TSize TCanvas::TextExtent(const String& text) {
  RequiredState({csHandleValid, csFontValid});
  SIZE size{};
  ::GetTextExtentPoint32W(FHandle, text.c_str(), TextLength(text), &size);
  return size;
}

// ---- Pictures -----------------------------------------------------------------------------------

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty()) return;
  Changing();
  RequiredState({csHandleValid});
  // Monochrome images take their two colours from the DC.
  ::SetBkColor(FHandle, ColorToRGB(FBrush->GetColor()));
  ::SetTextColor(FHandle, ColorToRGB(FFont->GetColor()));
  graphic->Draw(this, Bounds(x, y, graphic->GetWidth(), graphic->GetHeight()));
  Changed();
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
  if (!graphic) return;
  Changing();
  RequiredState(csAllValid);
  graphic->Draw(this, r);
  Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source) {
  if (!canvas) return;
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  canvas->RequiredState({csHandleValid, csBrushValid});
  ::StretchBlt(FHandle, dest.Left, dest.Top, dest.Width(), dest.Height(), canvas->FHandle,
               source.Left, source.Top, source.Width(), source.Height(), FCopyMode);
  Changed();
}

void TCanvas::BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color) {
  if (!bitmap || bitmap->GetEmpty()) return;
  const int width = source.Width();
  const int height = source.Height();
  if (width <= 0 || height <= 0) return;
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  HDC sourceDC = bitmap->GetCanvas()->GetHandle();

  // The mask: white where the source has the key colour.
  UniqueDC maskDC(::CreateCompatibleDC(nullptr));
  UniqueBitmap mask(::CreateBitmap(width, height, 1, 1, nullptr));
  if (!maskDC || !mask) throw EOutOfResources(L"Out of system resources");
  SelectObjectScope selectMask(maskDC.get(), mask.get());
  const COLORREF sourceBack = ::SetBkColor(sourceDC, ColorToRGB(color));
  ::BitBlt(maskDC.get(), 0, 0, width, height, sourceDC, source.Left, source.Top, SRCCOPY);
  ::SetBkColor(sourceDC, sourceBack);

  // The image, then the brush through the mask. Mask bits map to black (0) and white (1).
  ::StretchBlt(FHandle, dest.Left, dest.Top, dest.Width(), dest.Height(), sourceDC, source.Left,
               source.Top, width, height, SRCCOPY);
  const COLORREF text = ::SetTextColor(FHandle, RGB(0, 0, 0));
  const COLORREF back = ::SetBkColor(FHandle, RGB(255, 255, 255));
  ::StretchBlt(FHandle, dest.Left, dest.Top, dest.Width(), dest.Height(), maskDC.get(), 0, 0,
               width, height, ropPatternThroughMask);
  ::SetTextColor(FHandle, text);
  ::SetBkColor(FHandle, back);
  Changed();
}

// ---- Locking ------------------------------------------------------------------------------------

void TCanvas::Lock() {
  FLock.lock();
  ++FLockCount;
}

void TCanvas::Unlock() {
  if (FLockCount.load() <= 0) return;  // not locked: nothing to give back
  --FLockCount;
  FLock.unlock();
}

bool TCanvas::TryLock() {
  if (!FLock.try_lock()) return false;
  if (FLockCount.load() > 0) {  // this thread holds it already
    FLock.unlock();
    return false;
  }
  ++FLockCount;
  return true;
}

// ---- TControlCanvas -------------------------------------------------------------------------

TControlCanvas::~TControlCanvas() {
  try {
    FreeHandle();
  } catch (...) {
    // The control's release function failed; the canvas goes anyway.
  }
}

void TControlCanvas::SetControlDC(std::function<HDC()> acquire,
                                  std::function<void(HDC)> release) {
  FreeHandle();
  FAcquire = std::move(acquire);
  FRelease = std::move(release);
}

void TControlCanvas::CreateHandle() {
  if (!FAcquire || !FRelease) return;
  HDC dc = FAcquire();
  if (!dc) return;
  FAcquired = dc;
  SetHandle(dc);
}

void TControlCanvas::FreeHandle() {
  if (!FAcquired) return;
  HDC dc = FAcquired;
  SetHandle(nullptr);
  FAcquired = nullptr;
  FRelease(dc);
}

// ---- Frame3D --------------------------------------------------------------------------------

void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width) {
  if (!canvas) return;
  canvas->GetPen()->SetWidth(1);
  --rect.Bottom;
  --rect.Right;
  for (; width > 0; --width) {
    TPoint topRight(rect.Right, rect.Top);
    TPoint bottomLeft(rect.Left, rect.Bottom);
    canvas->GetPen()->SetColor(topColor);
    const TPoint topLeftSide[] = {bottomLeft, rect.TopLeft(), topRight};
    canvas->Polyline(topLeftSide);
    canvas->GetPen()->SetColor(bottomColor);
    --bottomLeft.X;
    const TPoint bottomRightSide[] = {topRight, rect.BottomRight(), bottomLeft};
    canvas->Polyline(bottomRightSide);
    InflateRect(rect, -1, -1);
  }
  ++rect.Bottom;
  ++rect.Right;
}
