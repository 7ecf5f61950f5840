// The gauge and the number panel.
#include "IndiCtrls.h"

#include <algorithm>

#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/system/SysMath.h"

namespace {

const bool IndicatorsRegistered = [] {
  RegisterClasses({TepIndiGauge::StaticClassInfo(), TepNumPanel::StaticClassInfo()});
  return true;
}();

const wchar_t* const GaugeKindNames[] = {L"gkHorizontalBar", L"gkVerticalBar"};

}  // namespace

const TEnumInfo GaugeKindIdents = MakeEnumInfo(GaugeKindNames);

// ---- Pure rules ----------------------------------------------------------------------------------

TGaugeSegments CalcGaugeSegments(int progress, int minValue, int maxValue, int normalValue,
                                 int indiNums) {
  indiNums = Max(indiNums, 1);
  if (maxValue == minValue) return {0, 0};
  const int64_t range = int64_t{maxValue} - minValue;
  int64_t percent = (int64_t{progress} - minValue) * 100 / range;
  percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
  int64_t normal = (int64_t{normalValue} - minValue) * indiNums / range;
  normal = normal < 0 ? 0 : normal > indiNums ? indiNums : normal;
  return {static_cast<int>(percent * indiNums / 100), static_cast<int>(normal)};
}

TRect GaugeSegmentRect(TGaugeKind kind, int width, int height, int n, int offset, int i) {
  n = Max(n, 1);
  if (kind == gkVerticalBar) {
    const int s = Div(height, n);
    return Rect(offset, height - i * s, width - offset, height - offset - (i - 1) * s);
  }
  const int s = Div(width, n);
  return Rect(offset + (i - 1) * s, offset, i * s, height - offset);
}

uint8_t SevenSegmentsOf(wchar_t ch) {
  switch (ch) {
    case L'0': return segAll & ~segMiddle;
    case L'1': return segUpperRight | segLowerRight;
    case L'2': return segTop | segUpperRight | segMiddle | segLowerLeft | segBottom;
    case L'3': return segTop | segUpperRight | segMiddle | segLowerRight | segBottom;
    case L'4': return segUpperLeft | segMiddle | segUpperRight | segLowerRight;
    case L'5': return segTop | segUpperLeft | segMiddle | segLowerRight | segBottom;
    case L'6': return segTop | segUpperLeft | segMiddle | segLowerRight | segBottom | segLowerLeft;
    case L'7': return segTop | segUpperRight | segLowerRight;
    case L'8': return segAll;
    case L'9': return segAll & ~segLowerLeft;
    case L'-': return segMiddle;
    default: return 0;
  }
}

namespace {

// A bar from (x1, y1) to (x2, y2), vertical or horizontal: its centre line and, for
// d = 1..width, the lines at distance d on both sides shortened by d at each end.
void DrawBar(TCanvas* canvas, int x1, int y1, int x2, int y2, int width) {
  const bool vertical = x1 == x2;
  for (int d = 0; d <= width; ++d) {
    for (int side : {-1, 1}) {
      if (d == 0 && side == 1) continue;  // the centre line once
      if (vertical) {
        canvas->MoveTo(x1 + side * d, y1 + d);
        canvas->LineTo(x2 + side * d, y2 - d);
      } else {
        canvas->MoveTo(x1 + d, y1 + side * d);
        canvas->LineTo(x2 - d, y2 + side * d);
      }
    }
  }
}

}  // namespace

void DrawSevenSegments(TCanvas* canvas, const TRect& cell, int width, uint8_t segments) {
  const int left = cell.Left + width + 1, right = cell.Right - width - 1;
  const int top = cell.Top + width + 1, bottom = cell.Bottom - width - 1;
  const int mid = top + Div(bottom - top, 2);
  if (segments & segUpperLeft) DrawBar(canvas, left, top + 1, left, mid, width);
  if (segments & segLowerLeft) DrawBar(canvas, left, mid + 1, left, bottom - 1, width);
  if (segments & segUpperRight) DrawBar(canvas, right, top + 1, right, mid, width);
  if (segments & segLowerRight) DrawBar(canvas, right, mid + 1, right, bottom - 1, width);
  if (segments & segTop) DrawBar(canvas, left + 2, top, right - 1, top, width);
  if (segments & segMiddle) DrawBar(canvas, left + 2, mid, right - 1, mid, width);
  if (segments & segBottom) DrawBar(canvas, left + 1, bottom, right, bottom, width);
}

TRect NumPanelCell(int width, int height, int count, int k) {
  const int c = Div(width - 2, Max(count, 1));
  return Rect(k * c + 1, 1, k * c + c, height - 2);
}

// ---- TepIndiGauge ----------------------------------------------------------------------------------

const TPropertyTable* TepIndiGauge::PublishedProperties() {
  using P = TPublish<TepIndiGauge>;
  using C = TepIndiGauge;
  static const TPropertyTable table{
      P::Integer(L"IndiNums", &C::GetIndiNums, &C::SetIndiNums),
      P::Enum(L"Kind", GaugeKindIdents, &C::GetKind, &C::SetKind).Default(gkHorizontalBar),
      P::Integer(L"MinValue", &C::GetMinValue, &C::SetMinValue).Default(0),
      P::Integer(L"MaxValue", &C::GetMaxValue, &C::SetMaxValue).Default(100),
      P::Integer(L"Progress", &C::GetProgress, &C::SetProgress),
      P::Integer(L"NormalValue", &C::GetNormalValue, &C::SetNormalValue),
      P::Integer(L"IndiOffset", &C::GetIndiOffset, &C::SetIndiOffset),
      P::Color(L"IndiColor", &C::GetIndiColor, &C::SetIndiColor),
      P::Color(L"UnNormalIndiColor", &C::GetUnNormalIndiColor, &C::SetUnNormalIndiColor),
      P::Color(L"UnActiveColor", &C::GetUnActiveColor, &C::SetUnActiveColor),
  };
  return &table;
}

TepIndiGauge::TepIndiGauge(TComponent* owner) : TEffectGControl(owner) {
  SetBounds(GetLeft(), GetTop(), 100, 20);
  SetColor(clBlack);
}

int TepIndiGauge::ClampProgress(int value) const {
  return std::clamp(value, Min(FMinValue, FMaxValue), Max(FMinValue, FMaxValue));
}

TGaugeSegments TepIndiGauge::GetSegments() const {
  return CalcGaugeSegments(FProgress, FMinValue, FMaxValue, FNormalValue, FIndiNums);
}

void TepIndiGauge::SetIndiNums(int value) {
  FIndiNums = std::clamp(value, 1, 255);
  Invalidate();
}

void TepIndiGauge::SetKind(TGaugeKind value) {
  FKind = value;
  Invalidate();
}

void TepIndiGauge::SetMinValue(int value) {
  if (value == FMinValue) return;
  FMinValue = value;
  FProgress = ClampProgress(FProgress);
  Invalidate();
}

void TepIndiGauge::SetMaxValue(int value) {
  if (value == FMaxValue) return;
  FMaxValue = value;
  FProgress = ClampProgress(FProgress);
  Invalidate();
}

void TepIndiGauge::SetProgress(int value) {
  value = ClampProgress(value);
  if (value == FProgress) return;
  const int before = GetSegments().Lit;
  FProgress = value;
  if (GetSegments().Lit != before) Invalidate();
}

void TepIndiGauge::SetNormalValue(int value) {
  FNormalValue = value;
  Invalidate();
}

void TepIndiGauge::SetIndiOffset(int value) {
  FIndiOffset = std::clamp(value, 0, 255);
  Invalidate();
}

void TepIndiGauge::SetIndiColor(TColor value) {
  FIndiColor = value;
  Invalidate();
}

void TepIndiGauge::SetUnNormalIndiColor(TColor value) {
  FUnNormalIndiColor = value;
  Invalidate();
}

void TepIndiGauge::SetUnActiveColor(TColor value) {
  FUnActiveColor = value;
  Invalidate();
}

void TepIndiGauge::PaintFace() {
  TCanvas* canvas = GetBitmap()->GetCanvas();
  canvas->GetBrush()->SetStyle(bsSolid);
  const TGaugeSegments segments = GetSegments();
  for (int i = 1; i <= FIndiNums; ++i) {
    const TColor color = i > segments.Lit      ? FUnActiveColor
                         : i <= segments.Normal ? FIndiColor
                                                : FUnNormalIndiColor;
    canvas->GetBrush()->SetColor(color);
    canvas->FillRect(GaugeSegmentRect(FKind, GetWidth(), GetHeight(), FIndiNums, FIndiOffset, i));
  }
}

// ---- TepNumPanel -------------------------------------------------------------------------------------

const TPropertyTable* TepNumPanel::PublishedProperties() {
  using P = TPublish<TepNumPanel>;
  using C = TepNumPanel;
  static const TPropertyTable table{
      P::Integer(L"CountNums", &C::GetCountNums, &C::SetCountNums),
      P::Integer(L"Value", &C::GetValue, &C::SetValue),
      P::Integer(L"IndiWidth", &C::GetIndiWidth, &C::SetIndiWidth),
      P::Color(L"IndiColor", &C::GetIndiColor, &C::SetIndiColor),
      P::Color(L"UnActiveColor", &C::GetUnActiveColor, &C::SetUnActiveColor),
  };
  return &table;
}

TepNumPanel::TepNumPanel(TComponent* owner) : TEffectGControl(owner) {
  SetBounds(GetLeft(), GetTop(), 100, 50);
  SetColor(clBlack);
}

void TepNumPanel::SetCountNums(int value) {
  FCountNums = std::clamp(value, 1, 11);
  Invalidate();
}

void TepNumPanel::SetValue(int value) {
  FValue = value;
  Invalidate();
}

void TepNumPanel::SetIndiWidth(int value) {
  FIndiWidth = std::clamp(value, 0, 30);
  Invalidate();
}

void TepNumPanel::SetIndiColor(TColor value) {
  FIndiColor = value;
  Invalidate();
}

void TepNumPanel::SetUnActiveColor(TColor value) {
  FUnActiveColor = value;
  Invalidate();
}

void TepNumPanel::Dispatch(TMessage& message) {
  inherited::Dispatch(message);
  if (message.Msg == CM_ENABLEDCHANGED) Invalidate();
}

void TepNumPanel::PaintFace() {
  TCanvas* canvas = GetBitmap()->GetCanvas();
  canvas->GetPen()->SetWidth(1);
  canvas->GetPen()->SetColor(FUnActiveColor);
  for (int k = 0; k < FCountNums; ++k)
    DrawSevenSegments(canvas, NumPanelCell(GetWidth(), GetHeight(), FCountNums, k), FIndiWidth,
                      segAll);
  if (!GetEnabled()) return;
  const String text = std::to_wstring(FValue);
  canvas->GetPen()->SetColor(FIndiColor);
  const int count = static_cast<int>(text.size());
  for (int i = 0; i < count; ++i) {
    const int cell = FCountNums - count + i;
    if (cell < 0) continue;  // left of the first cell: not seen
    DrawSevenSegments(canvas, NumPanelCell(GetWidth(), GetHeight(), FCountNums, cell), FIndiWidth,
                      SevenSegmentsOf(text[static_cast<size_t>(i)]));
  }
}
