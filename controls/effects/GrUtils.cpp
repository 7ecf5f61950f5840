#include "GrUtils.h"

#include <cmath>
#include "classlib/system/SysMath.h"

namespace {

// The parent's own painting is protected in TWinControl; the background copy needs it.
class TParentWindowPainter : public TWinControl {
 public:
  static void PaintWindowOf(TWinControl* control, HDC dc) {
    (control->*(&TParentWindowPainter::PaintWindow))(dc);
  }
};

// Saves a DC's state and restores it when the scope ends, also on an exception.
class SavedDCState {
 public:
  explicit SavedDCState(HDC dc) : FDC(dc), FSaved(::SaveDC(dc)) {}
  SavedDCState(const SavedDCState&) = delete;
  SavedDCState& operator=(const SavedDCState&) = delete;
  ~SavedDCState() {
    if (FSaved) ::RestoreDC(FDC, FSaved);
  }

 private:
  HDC FDC;     // the DC; not owned
  int FSaved;  // SaveDC's level, 0 when it failed
};

// Draws the quarter or partial arc of the ellipse in box, counterclockwise from the ray
// through start to the ray through end, in the pen's colour.
void ArcIn(TCanvas* canvas, const TRect& box, TPoint start, TPoint end) {
  canvas->Arc(box.Left, box.Top, box.Right, box.Bottom, start.X, start.Y, end.X, end.Y);
}

// A point on the ray from centre in the direction (dx, dy), far enough out that its integer
// coordinates keep the direction; Arc needs only the direction.
TPoint OnRay(TPoint centre, double dx, double dy) {
  constexpr double kScale = 64.0;
  return TPoint(centre.X + static_cast<int>(Round(dx * kScale)),
                centre.Y + static_cast<int>(Round(dy * kScale)));
}

}  // namespace

void PaintParentBackground(TControl* control, TCanvas* canvas) {
  if (!control || !canvas) return;
  TWinControl* parent = control->GetParent();
  if (!parent) return;
  HDC dc = canvas->GetHandle();
  const TRect own = control->GetBoundsRect();
  {
    // The parent's coordinates, moved so that the control's top-left corner is at (0, 0).
    SavedDCState saved(dc);
    ::OffsetViewportOrgEx(dc, -own.Left, -own.Top, nullptr);
    const TRect client = parent->GetClientRect();
    ::IntersectClipRect(dc, client.Left, client.Top, client.Right, client.Bottom);
    // Its background, then its own drawing: a parent that paints a picture or a pattern
    // when erasing shows it under the control too. The DC in both parameters has a
    // double-buffered parent fill it as well.
    parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
    TParentWindowPainter::PaintWindowOf(parent, dc);
  }
  // The windowless siblings below the control, bottom first; those above it never show.
  for (int i = 0; i < parent->GetControlCount(); ++i) {
    TControl* child = parent->GetControls(i);
    if (!child) break;
    if (child == control) break;
    if (child->Is<TWinControl>() || !child->GetVisible()) continue;
    TRect common;
    if (!IntersectRect(common, child->GetBoundsRect(), own)) continue;
    SavedDCState saved(dc);
    ::OffsetViewportOrgEx(dc, child->GetLeft() - own.Left, child->GetTop() - own.Top, nullptr);
    ::IntersectClipRect(dc, 0, 0, child->GetWidth(), child->GetHeight());
    child->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  }
}

void DrawFrame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width) {
  if (!canvas) return;
  TPen* pen = canvas->GetPen();
  pen->SetWidth(1);
  --rect.Right;
  --rect.Bottom;
  for (int ring = 0; ring < width; ++ring) {
    pen->SetColor(topColor);
    canvas->MoveTo(rect.Left, rect.Bottom);
    canvas->LineTo(rect.Left, rect.Top);
    canvas->LineTo(rect.Right, rect.Top);
    pen->SetColor(bottomColor);
    canvas->LineTo(rect.Right, rect.Bottom);
    canvas->LineTo(rect.Left - 1, rect.Bottom);
    InflateRect(rect, -1, -1);
  }
  ++rect.Right;
  ++rect.Bottom;
}

void DrawEllipseFrame(TCanvas* canvas, TColor lightColor, TColor darkColor, int penWidth,
                      const TRect& rect) {
  if (!canvas || IsRectEmpty(rect)) return;
  const int a = Div(rect.Right - rect.Left, 2);
  const int b = Div(rect.Bottom - rect.Top, 2);
  TPoint lowerLeft, upperRight;
  if (a < b) {
    const int d = Div(b - static_cast<int>(Round(std::sqrt(static_cast<double>(b) * b -
                                                           static_cast<double>(a) * a))),
                      3);
    lowerLeft = TPoint(rect.Left + d, rect.Bottom - d);
    upperRight = TPoint(rect.Right - d, rect.Top + d);
  } else {
    const int e = a - static_cast<int>(Round(std::sqrt(static_cast<double>(a) * a -
                                                       static_cast<double>(b) * b)));
    const int d = Div(e, 3);
    const int c = rect.Top + b;
    lowerLeft = TPoint(rect.Left + d, c + e - d);
    upperRight = TPoint(rect.Right - d, c - e + d);
  }
  TPen* pen = canvas->GetPen();
  pen->SetWidth(penWidth);
  pen->SetColor(darkColor);
  ArcIn(canvas, rect, lowerLeft, upperRight);
  pen->SetColor(lightColor);
  ArcIn(canvas, rect, upperRight, lowerLeft);
}

void DrawRoundRectFrame(TCanvas* canvas, const TRect& rect, TColor lightColor, TColor darkColor,
                        int cornerSize, int penWidth) {
  if (!canvas) return;
  TPen* pen = canvas->GetPen();
  pen->SetWidth(penWidth);
  int left = rect.Left, top = rect.Top;
  if (Mod(penWidth, 2) == 0) {
    ++left;
    ++top;
  }
  const int right = rect.Right - 1, bottom = rect.Bottom - 1;
  const int size = Max(cornerSize, 0);
  const int h = Div(size, 2);
  const int e = size - Mod(size, 2);  // the corner size rounded down to an even number
  // The boxes of the corner ellipses, e + 1 pixels across.
  const TRect topLeft(left, top, left + e + 1, top + e + 1);
  const TRect topRight(right - e, top, right + 1, top + e + 1);
  const TRect bottomLeft(left, bottom - e, left + e + 1, bottom + 1);
  const TRect bottomRight(right - e, bottom - e, right + 1, bottom + 1);
  // Where the partial arcs end: the height h div 3 from the outer edge on a circle of
  // radius h around the corner's centre.
  const double rise = h - Div(h, 3);
  const double run = std::sqrt(Max(0.0, static_cast<double>(h) * h - rise * rise));

  if (darkColor != clNone) {
    pen->SetColor(darkColor);
    canvas->MoveTo(right, top + h);
    canvas->LineTo(right, bottom - h);
    canvas->MoveTo(left + h, bottom);
    canvas->LineTo(right - h, bottom);
    ArcIn(canvas, bottomRight, TPoint(right - h, bottom), TPoint(right, bottom - h));
    ArcIn(canvas, bottomLeft, TPoint(left, bottom - h), TPoint(left + h, bottom));
  }
  if (lightColor != clNone) {
    pen->SetColor(lightColor);
    canvas->MoveTo(left + h, top);
    canvas->LineTo(right - h, top);
    canvas->MoveTo(left, top + h);
    canvas->LineTo(left, bottom - h);
    ArcIn(canvas, topLeft, TPoint(left + h, top), TPoint(left, top + h));
    ArcIn(canvas, topRight, TPoint(right, top + h), TPoint(right - h, top));
    if (h > 0)
      ArcIn(canvas, bottomLeft, TPoint(left, bottom - h),
            OnRay(TPoint(left + h, bottom - h), -run, rise));
  }
  if (darkColor != clNone && h > 0) {
    pen->SetColor(darkColor);
    ArcIn(canvas, topRight, TPoint(right, top + h), OnRay(TPoint(right - h, top + h), run, -rise));
  }
}

TColor ShiftColor(TColor color, int8_t redDelta, int8_t greenDelta, int8_t blueDelta) {
  auto shift = [](int channel, int delta) { return Max(0, Min(255, channel + delta)); };
  const int value = ColorToInt(color);
  const int red = shift(GetRedValue(color), redDelta);
  const int green = shift(GetGreenValue(color), greenDelta);
  const int blue = shift(GetBlueValue(color), blueDelta);
  return ColorFromInt(static_cast<int32_t>((static_cast<uint32_t>(value) & 0xFF000000u) |
                                           static_cast<uint32_t>(red | (green << 8) |
                                                                 (blue << 16))));
}

TColor ShadeColor(TColor color, int8_t delta) {
  return ShiftColor(ColorFromInt(static_cast<int32_t>(ColorToRGB(color))), delta, delta, delta);
}
