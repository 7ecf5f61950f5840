#include "ExtShapes.h"

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../system/SysMath.h"

namespace {

const wchar_t* const BevelStyleNames[] = {L"bsLowered", L"bsRaised"};
const TEnumInfo BevelStyleIdents = MakeEnumInfo(BevelStyleNames);
const wchar_t* const BevelShapeNames[] = {L"bsBox",       L"bsFrame",      L"bsTopLine",
                                          L"bsBottomLine", L"bsLeftLine", L"bsRightLine",
                                          L"bsSpacer"};
const TEnumInfo BevelShapeIdents = MakeEnumInfo(BevelShapeNames);
const wchar_t* const ShapeTypeNames[] = {L"stRectangle", L"stSquare",  L"stRoundRect",
                                         L"stRoundSquare", L"stEllipse", L"stCircle"};
const TEnumInfo ShapeTypeIdents = MakeEnumInfo(ShapeTypeNames);

const bool ShapeClassesRegistered = [] {
  RegisterClasses({TBevel::StaticClassInfo(), TShape::StaticClassInfo()});
  return true;
}();

// The two-coloured outline of a bevel's box: top and left in first, bottom and right in
// second.
void BevelRect(TCanvas* canvas, const TRect& r, TColor first, TColor second) {
  canvas->GetPen()->SetColor(first);
  const TPoint topLeft[] = {Point(r.Left, r.Bottom), Point(r.Left, r.Top), Point(r.Right, r.Top)};
  canvas->Polyline(topLeft);
  canvas->GetPen()->SetColor(second);
  const TPoint bottomRight[] = {Point(r.Right, r.Top), Point(r.Right, r.Bottom),
                                Point(r.Left, r.Bottom)};
  canvas->Polyline(bottomRight);
}

void BevelLine(TCanvas* canvas, TColor color, int x1, int y1, int x2, int y2) {
  canvas->GetPen()->SetColor(color);
  canvas->MoveTo(x1, y1);
  canvas->LineTo(x2, y2);
}

}  // namespace

// ---- TBevel --------------------------------------------------------------------------------------

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle(GetControlStyle() + TControlStyle{csReplicatable});
  SetBounds(GetLeft(), GetTop(), 50, 50);
}

void TBevel::SetShape(TBevelShape value) {
  if (value == FShape) return;
  FShape = value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas* canvas = GetCanvas();
  canvas->GetPen()->SetWidth(1);
  canvas->GetPen()->SetStyle(psSolid);
  TColor first = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor second = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
  const int width = GetWidth();
  const int height = GetHeight();
  switch (FShape) {
    case bsBox: BevelRect(canvas, Rect(0, 0, width - 1, height - 1), first, second); break;
    case bsFrame:
      // A groove (or ridge): the box in the second colour one pixel in, then the box in
      // the first colour over its top-left.
      BevelRect(canvas, Rect(1, 1, width - 1, height - 1), second, second);
      BevelRect(canvas, Rect(0, 0, width - 2, height - 2), first, first);
      break;
    case bsTopLine:
      BevelLine(canvas, first, 0, 0, width, 0);
      BevelLine(canvas, second, 0, 1, width, 1);
      break;
    case bsBottomLine:
      BevelLine(canvas, first, 0, height - 2, width, height - 2);
      BevelLine(canvas, second, 0, height - 1, width, height - 1);
      break;
    case bsLeftLine:
      BevelLine(canvas, first, 0, 0, 0, height);
      BevelLine(canvas, second, 1, 0, 1, height);
      break;
    case bsRightLine:
      BevelLine(canvas, first, width - 2, 0, width - 2, height);
      BevelLine(canvas, second, width - 1, 0, width - 1, height);
      break;
    case bsSpacer: break;
  }
}

const TPropertyTable* TBevel::PublishedProperties() {
  using P = TPublish<TBevel>;
  using C = TBevel;
  static const TPropertyTable table{
      P::Enum(L"Shape", BevelShapeIdents, &C::GetShape, &C::SetShape).Default(bsBox),
      P::Enum(L"Style", BevelStyleIdents, &C::GetStyle, &C::SetStyle).Default(bsLowered),
  };
  return &table;
}

// ---- TShape ---------------------------------------------------------------------------------------

TRect ShapeRect(TShapeType shape, int width, int height, int penWidth) {
  penWidth = Max(penWidth, 0);
  int x = Div(penWidth, 2);
  int y = x;
  int w = width - penWidth + 1;
  int h = height - penWidth + 1;
  if (penWidth == 0) {
    --w;
    --h;
  }
  const int side = Min(w, h);
  if (shape == stSquare || shape == stRoundSquare || shape == stCircle) {
    x += Div(w - side, 2);
    y += Div(h - side, 2);
    w = side;
    h = side;
  }
  return Rect(x, y, x + w, y + h);
}

TShape::TShape(TComponent* owner)
    : TGraphicControl(owner), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()) {
  SetControlStyle(GetControlStyle() + TControlStyle{csReplicatable});
  SetBounds(GetLeft(), GetTop(), 65, 65);
  FPen->SetOnChange([this](TObject* sender) { StyleChanged(sender); });
  FBrush->SetOnChange([this](TObject* sender) { StyleChanged(sender); });
}

void TShape::SetPen(TPen* value) {
  if (value) FPen->Assign(value);
}

void TShape::SetBrush(TBrush* value) {
  if (value) FBrush->Assign(value);
}

void TShape::SetShape(TShapeType value) {
  if (value == FShape) return;
  FShape = value;
  Invalidate();
}

void TShape::StyleChanged(TObject*) { Invalidate(); }

void TShape::Paint() {
  TCanvas* canvas = GetCanvas();
  canvas->SetPen(FPen.get());
  canvas->SetBrush(FBrush.get());
  const TRect r = ShapeRect(FShape, GetWidth(), GetHeight(), FPen->GetWidth());
  const int corner = Div(Min(r.Width(), r.Height()), 4);
  switch (FShape) {
    case stRectangle:
    case stSquare: canvas->Rectangle(r); break;
    case stRoundRect:
    case stRoundSquare:
      canvas->RoundRect(r.Left, r.Top, r.Right, r.Bottom, corner, corner);
      break;
    case stEllipse:
    case stCircle: canvas->Ellipse(r); break;
  }
}

const TPropertyTable* TShape::PublishedProperties() {
  using P = TPublish<TShape>;
  using C = TShape;
  static const TPropertyTable table{
      P::Persistent(L"Brush", &C::GetBrush, &C::SetBrush),
      P::Persistent(L"Pen", &C::GetPen, &C::SetPen),
      P::Enum(L"Shape", ShapeTypeIdents, &C::GetShape, &C::SetShape).Default(stRectangle),
  };
  return &table;
}
