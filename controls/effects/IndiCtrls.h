// TepIndiGauge and TepNumPanel: the indicator controls (the time-limit gauge of the practice
// windows and the seven-segment count displays). Both are windowless effect controls: they
// paint only their face into the off-screen bitmap of TEffectGControl.
//
// The gauge computes in integers: the percentage is (Progress - MinValue) × 100 div
// (MaxValue - MinValue), held in 0..100, so the same value always lights the same segments.
// Equal limits light nothing; limits given the wrong way round make a gauge that fills from
// MinValue down to MaxValue; a NormalValue outside the limits holds at the nearest end.
#pragma once
#include <cstdint>
#include <vector>
#include "VCLBase.h"

class TPropertyTable;

enum TGaugeKind { gkHorizontalBar, gkVerticalBar };
extern const TEnumInfo GaugeKindIdents;  // "gkHorizontalBar", "gkVerticalBar"

// ---- Pure rules of the gauge -------------------------------------------------------------------

// How many segments are lit and how many of them may use the normal colour.
struct TGaugeSegments {
  int Lit;     // segments 1..Lit are lit
  int Normal;  // lit segments 1..Normal use the normal colour, the rest the warning colour
};
// progress is taken as given (the gauge keeps it within its limits); indiNums >= 1.
TGaugeSegments CalcGaugeSegments(int progress, int minValue, int maxValue, int normalValue,
                                 int indiNums);
// The rectangle of segment i (1 = the first: the left one, or the bottom one when vertical)
// of a gauge of width × height with n segments and offset gaps.
TRect GaugeSegmentRect(TGaugeKind kind, int width, int height, int n, int offset, int i);

// ---- Pure rules of the number panel ------------------------------------------------------------

// The seven segments as bits.
enum TSevenSegment : uint8_t {
  segTop = 1, segUpperLeft = 2, segUpperRight = 4, segMiddle = 8, segLowerLeft = 16,
  segLowerRight = 32, segBottom = 64, segAll = 127
};
// The segments of a character ("0".."9" and "-"); 0 for any other.
uint8_t SevenSegmentsOf(wchar_t ch);
// Draws the segments in the canvas's pen colour inside cell (the digit cell's box), each a
// bar of half-thickness width with bevelled ends.
void DrawSevenSegments(TCanvas* canvas, const TRect& cell, int width, uint8_t segments);
// The box of cell k (0 = leftmost) of a panel of width × height with count cells.
TRect NumPanelCell(int width, int height, int count, int k);

// ---- The gauge ---------------------------------------------------------------------------------

class TepIndiGauge : public TEffectGControl {
  CLASSLIB_CLASS(TepIndiGauge, TEffectGControl)
  static const TPropertyTable* PublishedProperties();
  // 100 × 20, black, horizontal, 10 segments, 0..100.
  explicit TepIndiGauge(TComponent* owner);

  // ---- Attributes (writes repaint) -----------------------------------------------------------
  // Number of segments, 1..255.
  int GetIndiNums() const { return FIndiNums; }
  void SetIndiNums(int value);
  TGaugeKind GetKind() const { return FKind; }
  void SetKind(TGaugeKind value);
  int GetMinValue() const { return FMinValue; }
  void SetMinValue(int value);  // brings Progress back within the limits
  int GetMaxValue() const { return FMaxValue; }
  void SetMaxValue(int value);  // brings Progress back within the limits
  // Kept within the limits; repaints only when the number of lit segments changes.
  int GetProgress() const { return FProgress; }
  void SetProgress(int value);
  // Lit segments up to this value use IndiColor, beyond it UnNormalIndiColor.
  int GetNormalValue() const { return FNormalValue; }
  void SetNormalValue(int value);
  // Gap around and between segments, 0..255.
  int GetIndiOffset() const { return FIndiOffset; }
  void SetIndiOffset(int value);
  TColor GetIndiColor() const { return FIndiColor; }
  void SetIndiColor(TColor value);
  TColor GetUnNormalIndiColor() const { return FUnNormalIndiColor; }
  void SetUnNormalIndiColor(TColor value);
  TColor GetUnActiveColor() const { return FUnActiveColor; }
  void SetUnActiveColor(TColor value);

  TGaugeSegments GetSegments() const;

 protected:
  void PaintFace() override;

 private:
  int ClampProgress(int value) const;

  int FIndiNums = 10;                                  // segments, 1..255
  TGaugeKind FKind = gkHorizontalBar;
  int FMinValue = 0;                                   // value of an empty bar
  int FMaxValue = 100;                                 // value of a full bar
  int FProgress = 0;                                   // within the limits
  int FNormalValue = 100;                              // end of the normal colour
  int FIndiOffset = 1;                                 // gap in pixels, 0..255
  TColor FIndiColor = ColorFromInt(0x00FF00);          // lit, normal
  TColor FUnNormalIndiColor = ColorFromInt(0x0000FF);  // lit, beyond NormalValue
  TColor FUnActiveColor = ColorFromInt(0x808080);      // unlit
};

// ---- The number panel --------------------------------------------------------------------------

class TepNumPanel : public TEffectGControl {
  CLASSLIB_CLASS(TepNumPanel, TEffectGControl)
  static const TPropertyTable* PublishedProperties();
  // 100 × 50, black, 3 cells.
  explicit TepNumPanel(TComponent* owner);

  // ---- Attributes (writes repaint) -----------------------------------------------------------
  // Number of digit cells, 1..11.
  int GetCountNums() const { return FCountNums; }
  void SetCountNums(int value);
  // Shown right-aligned; digits beyond the first cell are not seen.
  int GetValue() const { return FValue; }
  void SetValue(int value);
  // Half-thickness of a segment, 0..30.
  int GetIndiWidth() const { return FIndiWidth; }
  void SetIndiWidth(int value);
  TColor GetIndiColor() const { return FIndiColor; }
  void SetIndiColor(TColor value);
  TColor GetUnActiveColor() const { return FUnActiveColor; }
  void SetUnActiveColor(TColor value);

  void Dispatch(TMessage& message) override;

 protected:
  void PaintFace() override;

 private:
  int FCountNums = 3;                              // cells, 1..11
  int FValue = 0;
  int FIndiWidth = 2;                              // half-thickness, 0..30
  TColor FIndiColor = ColorFromInt(0x00FF00);      // lit segments
  TColor FUnActiveColor = ColorFromInt(0x808080);  // the dimmed "8" of every cell
};
