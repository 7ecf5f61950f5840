// TepBevel: boxes, frames and lines in two colours.
#include "EPCtrls.h"

#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"

namespace {

const bool BevelRegistered = [] {
  RegisterClass<TepBevel>();
  return true;
}();

const wchar_t* const BevelShapeNames[] = {L"bsBox",       L"bsFrame",     L"bsTopLine",
                                          L"bsBottomLine", L"bsLeftLine", L"bsRightLine"};
const wchar_t* const BevelStyleNames[] = {L"bsLowered", L"bsRaised"};

// A box outline on (left, top, right, bottom): up the left and along the top, then down the
// right and back along the bottom.
void AddBox(std::vector<TBevelLine>& lines, int left, int top, int right, int bottom,
            bool firstUpperLeft, bool firstLowerRight) {
  lines.push_back({Point(left, bottom), Point(left, top), firstUpperLeft});
  lines.push_back({Point(left, top), Point(right, top), firstUpperLeft});
  lines.push_back({Point(right, top), Point(right, bottom), firstLowerRight});
  lines.push_back({Point(right, bottom), Point(left, bottom), firstLowerRight});
}

}  // namespace

const TEnumInfo EpBevelShapeIdents = MakeEnumInfo(BevelShapeNames);
const TEnumInfo EpBevelStyleIdents = MakeEnumInfo(BevelStyleNames);

std::vector<TBevelLine> BevelLines(TepBevelShape shape, int width, int height) {
  std::vector<TBevelLine> lines;
  switch (shape) {
    case TepBevelShape::bsBox:
      AddBox(lines, 0, 0, width - 1, height - 1, true, false);
      break;
    case TepBevelShape::bsFrame:
      AddBox(lines, 1, 1, width - 1, height - 1, false, false);
      AddBox(lines, 0, 0, width - 2, height - 2, true, true);
      break;
    case TepBevelShape::bsTopLine:
      lines.push_back({Point(0, 0), Point(width, 0), true});
      lines.push_back({Point(0, 1), Point(width, 1), false});
      break;
    case TepBevelShape::bsBottomLine:
      lines.push_back({Point(0, height - 2), Point(width, height - 2), true});
      lines.push_back({Point(0, height - 1), Point(width, height - 1), false});
      break;
    case TepBevelShape::bsLeftLine:
      lines.push_back({Point(0, 0), Point(0, height), true});
      lines.push_back({Point(1, 0), Point(1, height), false});
      break;
    case TepBevelShape::bsRightLine:
      lines.push_back({Point(width - 2, 0), Point(width - 2, height), true});
      lines.push_back({Point(width - 1, 0), Point(width - 1, height), false});
      break;
  }
  return lines;
}

const TPropertyTable* TepBevel::PublishedProperties() {
  using P = TPublish<TepBevel>;
  using C = TepBevel;
  static const TPropertyTable table{
      P::Enum(L"Shape", EpBevelShapeIdents, &C::GetShape, &C::SetShape).Default(TepBevelShape::bsBox),
      P::Enum(L"Style", EpBevelStyleIdents, &C::GetStyle, &C::SetStyle)
          .Default(TepBevelStyle::bsLowered),
      P::Color(L"InnerColor", &C::GetInnerColor, &C::SetInnerColor).Default(clBtnHighlight),
      P::Color(L"OuterColor", &C::GetOuterColor, &C::SetOuterColor).Default(clBtnShadow),
  };
  return &table;
}

TepBevel::TepBevel(TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle(GetControlStyle() + TControlStyle{csReplicatable});
  SetBounds(GetLeft(), GetTop(), 50, 50);
}

void TepBevel::SetShape(TepBevelShape value) {
  if (value == FShape) return;
  FShape = value;
  Invalidate();
}

void TepBevel::SetStyle(TepBevelStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  Invalidate();
}

void TepBevel::SetInnerColor(TColor value) {
  FInnerColor = value;
  Invalidate();
}

void TepBevel::SetOuterColor(TColor value) {
  FOuterColor = value;
  Invalidate();
}

void TepBevel::Paint() {
  const bool raised = FStyle == TepBevelStyle::bsRaised;
  const TColor first = raised ? FInnerColor : FOuterColor;
  const TColor second = raised ? FOuterColor : FInnerColor;
  TCanvas* canvas = GetCanvas();
  canvas->GetPen()->SetWidth(1);
  canvas->GetPen()->SetStyle(psSolid);
  for (const TBevelLine& line : BevelLines(FShape, GetWidth(), GetHeight())) {
    canvas->GetPen()->SetColor(line.First ? first : second);
    canvas->MoveTo(line.From.X, line.From.Y);
    canvas->LineTo(line.To.X, line.To.Y);
  }
}
