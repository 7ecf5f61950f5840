#include "fcShapeBtn.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/system/SysExceptions.h"
#include "fcCommon.h"
#include "fcEvaluator.h"

namespace {

const wchar_t* const ShapeNames[] = {L"bsRoundRect", L"bsEllipse", L"bsTriangle",
                                     L"bsArrow",     L"bsDiamond", L"bsRect",
                                     L"bsStar",      L"bsTrapezoid", L"bsCustom"};
const wchar_t* const OrientationNames[] = {L"soLeft", L"soRight", L"soUp", L"soDown"};

const bool ShapeButtonClassesRegistered = [] {
  RegisterClass<TfcShapeBtn>();
  return true;
}();

constexpr double Pi = 3.14159265358979323846;
double Radians(double degrees) { return degrees * Pi / 180.0; }
int TruncToInt(double value) { return static_cast<int>(std::trunc(value)); }

// Whether the display gives back what is drawn: a silver pixel must read back with every
// channel below 200. Asked once.
bool DisplayKeepsColours() {
  static const bool keeps = [] {
    HDC screen = ::GetDC(nullptr);
    UniqueDC dc(::CreateCompatibleDC(screen));
    UniqueBitmap bitmap(::CreateCompatibleBitmap(screen, 1, 1));
    ::ReleaseDC(nullptr, screen);
    if (!dc || !bitmap) return true;
    SelectObjectScope select(dc.get(), bitmap.get());
    ::SetPixel(dc.get(), 0, 0, RGB(0xC0, 0xC0, 0xC0));
    const COLORREF back = ::GetPixel(dc.get(), 0, 0);
    return GetRValue(back) < 200 && GetGValue(back) < 200 && GetBValue(back) < 200;
  }();
  return keeps;
}

// The face colour as GDI takes it.
COLORREF FaceColor(TColor color) {
  COLORREF rgb = ColorToRGB(color);
  if (DisplayKeepsColours()) return rgb;
  // A display that rounds: channels on a multiple of 8 are moved off it.
  uint8_t r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
  const auto adjust = [](uint8_t& c) {
    if (c != 0 && c % 8 == 0) --c;
  };
  adjust(r);
  adjust(g);
  adjust(b);
  return RGB(r, g, b);
}

}  // namespace

const TEnumInfo fcButtonShapeIdents = MakeEnumInfo(ShapeNames);
const TEnumInfo fcShapeOrientationIdents = MakeEnumInfo(OrientationNames);

// ---- Shape geometry -----------------------------------------------------------------------------

void TurnShapePoints(std::vector<TPoint>& points, TfcShapeOrientation orientation, int w, int h) {
  if (w < 1 || h < 1) return;
  int turns = 0;
  switch (orientation) {
    case soUp: turns = 0; break;
    case soRight: turns = 1; break;
    case soDown: turns = 2; break;
    case soLeft: turns = 3; break;
  }
  for (int t = 0; t < turns; ++t)
    for (TPoint& p : points) p = TPoint(w - (p.Y * w) / h, (p.X * h) / w);
}

std::vector<TPoint> ShapePolygon(TfcButtonShape shape, TfcShapeOrientation orientation, int w,
                                 int h) {
  // Turning divides by both sides: a control narrower or lower than 2 pixels has no polygon.
  if (w < 1 || h < 1) return {};
  std::vector<TPoint> points;
  switch (shape) {
    case bsTriangle: points = {{w / 2, 0}, {w, h}, {0, h}}; break;
    case bsArrow:
      points = {{0, h / 3},         {w / 2, 0},     {w, h / 3},    {w - w / 4, h / 3},
                {w - w / 4, h},     {w / 4, h},     {w / 4, h / 3}};
      break;
    case bsDiamond: points = {{w / 2, 0}, {w, h / 2}, {w / 2, h}, {0, h / 2}}; break;
    case bsRect: points = {{0, 0}, {w, 0}, {w, h}, {0, h}}; break;
    case bsTrapezoid: {
      const int d = std::min(h / 2, (w / 2) / 2);
      points = {{d, 0}, {w - d, 0}, {w, h}, {0, h}};
      break;
    }
    case bsStar: {
      const double a = Radians(18);
      const int length = TruncToInt(h / std::cos(a));
      const int side = TruncToInt(length / (2 * std::sin(a) + 2));
      const int middle = length - 2 * side;
      const int t = TruncToInt(std::tan(a) * h);
      const int c = w / 2;
      const TPoint p1(c + middle / 2, TruncToInt(std::cos(a) * side));
      const TPoint p3(p1.X + TruncToInt(std::sin(a) * middle), p1.Y + TruncToInt(std::cos(a) * middle));
      points = {{c, 0},
                p1,
                {w, p1.Y},
                p3,
                {c + t, h},
                {c, h - TruncToInt(std::sin(Radians(36)) * side)},
                {c - t, h},
                {w - p3.X, p3.Y},
                {0, p1.Y},
                {w - p1.X, p1.Y}};
      break;
    }
    default: return {};
  }
  points.push_back(points.front());
  TurnShapePoints(points, orientation, w, h);
  return points;
}

std::vector<TPoint> ParseCustomPoints(const TStrings& lines, TPoint size) {
  const int count = lines.GetCount();
  if (count < 3) return {};
  std::vector<TPoint> points;
  for (int i = 0; i < count; ++i) {
    String line = UpperCase(lines.Get(i));
    if (line.find(L',') == String::npos)
      throw EInvalidOperation(
          L"Invalid Custom Points Format.  X and Y Coordinates must be separated by a comma "
          L"and space.");
    line = ReplaceAll(line, L",", L", ");
    line = ReplaceAll(line, L",  ", L", ");
    line = ReplaceAll(line, L"WIDTH", IntToStr(size.X));
    line = ReplaceAll(line, L"HEIGHT", IntToStr(size.Y));
    const size_t comma = line.find(L", ");
    const String x = line.substr(0, comma);
    const size_t yStart = comma + 2;
    const size_t next = line.find(L", ", yStart);
    const String y = line.substr(yStart, next == String::npos ? String::npos : next - yStart);
    points.emplace_back(TfcEvaluator::Evaluate(x), TfcEvaluator::Evaluate(y));
  }
  return points;
}

// ---- TfcCustomShapeBtn --------------------------------------------------------------------------

const TPropertyTable* TfcCustomShapeBtn::PublishedProperties() {
  using P = TPublish<TfcCustomShapeBtn>;
  using C = TfcCustomShapeBtn;
  static const TPropertyTable table{
      P::Color(L"Color", &C::GetColor, &C::SetColor).Default(clBtnFace),
      P::Enum(L"Orientation", fcShapeOrientationIdents, &C::GetOrientation, &C::SetOrientation)
          .Default(soUp),
      P::Strings(L"PointList", &C::GetPointList, &C::SetPointList),
      P::Integer(L"RoundRectBias", &C::GetRoundRectBias, &C::SetRoundRectBias).Default(0),
      P::Enum(L"Shape", fcButtonShapeIdents, &C::GetShape, &C::SetShape).Default(bsRect),
      P::Enum(L"ShadeStyle", fcShadeStyleIdents, &C::GetShadeStyle, &C::SetShadeStyle)
          .Default(fbsHighlight),
  };
  return &table;
}

TfcCustomShapeBtn::TfcCustomShapeBtn(TComponent* owner) : TfcCustomImageBtn(owner) {
  SetRespectPaletteFlag(false);
  FPointList = std::make_unique<TStringList>();
  SetColor(clBtnFace);
  SetShadeStyle(fbsHighlight);
}

TfcCustomShapeBtn::~TfcCustomShapeBtn() = default;

void TfcCustomShapeBtn::ShapeChanged() {
  DropRegionRecords();
  RecreateButton();
}

void TfcCustomShapeBtn::SetShape(TfcButtonShape value) {
  if (value == FShape) return;
  FShape = value;
  ShapeChanged();
  TWinControl* parent = GetParent();
  if (parent && IsClassNamed(parent->ClassInfo(), L"TfcCustomButtonGroup"))
    InvalidateControlBounds(parent, true);
}

void TfcCustomShapeBtn::SetOrientation(TfcShapeOrientation value) {
  if (value == FOrientation) return;
  FOrientation = value;
  ShapeChanged();
}

void TfcCustomShapeBtn::SetRoundRectBias(int value) {
  if (value == FRoundRectBias) return;
  FRoundRectBias = value;
  ShapeChanged();
}

void TfcCustomShapeBtn::SetPointList(TStrings* value) {
  FPointList->Assign(value);
  ShapeChanged();
}

void TfcCustomShapeBtn::SizeToDefault() {
  if (GetHeight() >= GetWidth())
    SetWidth(GetHeight());
  else
    SetHeight(GetWidth());
}

void TfcCustomShapeBtn::AssignTo(TPersistent* dest) {
  if (auto* other = dynamic_cast<TfcCustomShapeBtn*>(dest)) {
    other->FOrientation = FOrientation;
    other->FPointList->Assign(FPointList.get());
    other->FRoundRectBias = FRoundRectBias;
    other->FShape = FShape;
    other->ShapeChanged();
  }
  inherited::AssignTo(dest);
}

TColor TfcCustomShapeBtn::RegionKeyColor() const {
  return GetColor() == clRed ? ColorFromInt(0x00FF0000) : ColorFromInt(0x000000FF);
}

std::vector<TPoint> TfcCustomShapeBtn::GetShapePoints() {
  const int w = GetWidth() - 1;
  const int h = GetHeight() - 1;
  if (w < 1 || h < 1 || IsRoundShape()) return {};
  if (FShape != bsCustom) return ShapePolygon(FShape, FOrientation, w, h);
  std::vector<TPoint> points;
  try {
    points = ParseCustomPoints(*FPointList, TPoint(w, h));
  } catch (...) {
    // The next drawing shows a rectangle; the window is not made again from here.
    FShape = bsRect;
    throw;
  }
  if (points.empty()) return points;
  points.push_back(points.front());
  TurnShapePoints(points, FOrientation, w, h);
  return points;
}

UniqueRegion TfcCustomShapeBtn::CreateRegion(bool build, bool down) {
  if (!GetRegionData(down).empty()) {
    UniqueRegion saved = TfcCustomBitBtn::CreateRegion(build, down);
    if (saved) return saved;
  }
  if (!build) return UniqueRegion();
  TfcBitmap face;
  DrawButtonFace(&face, true, down, GetShadeStyle());
  if (face.GetEmpty()) return UniqueRegion();
  UniqueRegion region = CreateRegionFromBitmap(&face, RegionKeyColor());
  if (region) SaveRegionData(region.get(), down);
  return region;
}

void TfcCustomShapeBtn::DrawButtonFace(TfcBitmap* target, bool faceOnly, bool down,
                                       TfcShadeStyle style) {
  bool edges = true;
  if (style == fbsFlat && !GetComponentState().Contains(csDesigning))
    edges = (MouseInControl(-1, -1, false) && GetEnabled()) || down;
  target->SetSize(GetWidth(), GetHeight());
  if (target->GetEmpty()) return;
  const std::vector<TPoint> points = IsRoundShape() ? std::vector<TPoint>() : GetShapePoints();
  const HDC dc = target->GetCanvas()->GetHandle();
  const COLORREF key = ColorToRGB(RegionKeyColor());
  const COLORREF face = FaceColor(GetColor());
  {
    UniqueBrush keyBrush(::CreateSolidBrush(key));
    const RECT all{0, 0, GetWidth(), GetHeight()};
    ::FillRect(dc, &all, keyBrush.get());
  }
  const bool dither = down && GetDitherColor() != clNone && GetGroupIndex() != 0;
  UniqueBrush brush(dither ? CheckerBrush().release() : ::CreateSolidBrush(face));
  if (dither) {
    ::SetBkColor(dc, ColorToRGB(GetDitherColor()));
    ::SetTextColor(dc, ColorToRGB(GetColor()));
  }
  const COLORREF penColor = IsRoundShape() || !edges ? face : ColorToRGB(GetDitherColor());
  UniquePen pen(::CreatePen(PS_SOLID, 1, penColor));
  {
    SelectObjectScope selectBrush(dc, brush.get());
    SelectObjectScope selectPen(dc, pen.get());
    if (FShape == bsRoundRect) {
      ::RoundRect(dc, 0, 0, GetWidth() - 1, GetHeight() - 1, FRoundRectBias, FRoundRectBias);
    } else if (FShape == bsEllipse) {
      ::Ellipse(dc, 0, 0, GetWidth() - 1, GetHeight() - 1);
    } else if (points.size() >= 3) {
      std::vector<POINT> corners;
      for (const TPoint& p : points) corners.push_back(POINT{p.X, p.Y});
      ::Polygon(dc, corners.data(), static_cast<int>(corners.size()));
    }
  }
  ::GdiFlush();
  target->Changed(target);
  if (faceOnly || !edges) return;
  if (IsRoundShape())
    DrawShading(target, target, down, RegionKeyColor());
  else if (points.size() >= 3)
    DrawShapeEdges(dc, points, down);
  ::GdiFlush();
  target->Changed(target);
}

void TfcCustomShapeBtn::DrawShapeEdges(HDC dc, const std::vector<TPoint>& points, bool down) {
  std::vector<POINT> corners;
  for (const TPoint& p : points) corners.push_back(POINT{p.X, p.Y});
  UniqueRegion area(::CreatePolygonRgn(corners.data(), static_cast<int>(corners.size()), WINDING));
  if (!area) return;
  const auto inside = [&](int x, int y) { return ::PtInRegion(area.get(), x, y) != FALSE; };
  struct Edge {
    TPoint From, To, Step;
    bool Inside;
  };
  std::vector<Edge> edges;
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    const TPoint p = points[i];
    const TPoint q = points[i + 1];
    const int adx = std::abs(q.X - p.X);
    const int ady = std::abs(q.Y - p.Y);
    const TPoint mid(p.X + (q.X - p.X) / 2, p.Y + (q.Y - p.Y) / 2);
    Edge edge{p, q, TPoint(0, 0), false};
    if (ady < adx) {
      edge.Inside = inside(mid.X, mid.Y + 1);
      edge.Step = TPoint(0, edge.Inside ? 1 : -1);
    } else {
      edge.Inside = inside(mid.X + 1, mid.Y);
      edge.Step = TPoint(edge.Inside ? 1 : -1, 0);
    }
    if (adx == 0) edge.Step.Y = inside(p.X, std::max(p.Y, q.Y) + 1) ? 1 : -1;
    if (ady == 0) edge.Step.X = inside(std::max(p.X, q.X), p.Y) ? 1 : -1;
    edges.push_back(edge);
  }
  const int k = (HandleAllocated() && Focused()) || GetDefault() ? 1 : 0;
  TfcShadeColors* colors = GetShadeColors();
  const auto line = [&](const Edge& e, int by, TColor color) {
    UniquePen pen(::CreatePen(PS_SOLID, 1, ColorToRGB(color)));
    SelectObjectScope select(dc, pen.get());
    ::MoveToEx(dc, e.From.X + by * e.Step.X, e.From.Y + by * e.Step.Y, nullptr);
    ::LineTo(dc, e.To.X + by * e.Step.X, e.To.Y + by * e.Step.Y);
  };
  for (const Edge& e : edges)
    line(e, k + 1, e.Inside != down ? colors->GetBtn3DLight() : colors->GetBtnShadow());
  for (const Edge& e : edges)
    line(e, k, e.Inside != down ? colors->GetBtnHighlight() : colors->GetBtnBlack());
  if (k == 1)
    for (const Edge& e : edges) line(e, 0, colors->GetBtnFocus());
}
