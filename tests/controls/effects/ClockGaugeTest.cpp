// The elapsed-time clock driven by an injected counter, the gauge's segment rule and
// drawing, and the number panel's seven-segment digits on memory DCs.
#include <gtest/gtest.h>

#include "EffectControlsTestSupport.h"
#include "controls/effects/IndiCtrls.h"
#include "controls/effects/KZTCount.h"

using namespace effect_tests;
using control_tests::TTestHost;

// ---- The clock -------------------------------------------------------------------------------------

namespace {

class Clock : public ::testing::Test {
 protected:
  void SetUp() override {
    Saved = TKZTimeCounter::SetTickSource([this] { return Now; });
  }
  void TearDown() override { TKZTimeCounter::SetTickSource(Saved); }
  void Advance(int64_t ms) { Now += ms; }

  static constexpr int64_t Hour = 3600 * 1000;
  int64_t Now = 5000000;  // any start: the counter's origin means nothing
  TTickSource Saved;
};

}  // namespace

TEST_F(Clock, StopCutsToTheWholeSecondAndStartResumesFromIt) {
  TKZTimeCounter clock(nullptr);
  EXPECT_TRUE(clock.GetCounting());
  EXPECT_EQ(clock.GetElapsed(), L"0:00:00");
  Advance(70800);  // 1 min 10.8 s
  EXPECT_EQ(clock.GetElapsed(), L"0:01:10");
  clock.Stop();
  Advance(Hour);  // stopped: the pause shows and does not grow
  EXPECT_EQ(clock.GetElapsed(), L"0:01:10");
  clock.Stop();  // again: nothing changes
  clock.Start();
  EXPECT_EQ(clock.GetElapsed(), L"0:01:10");  // not 0:01:11
  Advance(999);
  EXPECT_EQ(clock.GetElapsed(), L"0:01:10");
  Advance(1);
  EXPECT_EQ(clock.GetElapsed(), L"0:01:11");
  clock.Start();  // already counting: the start point stays
  Advance(12 * Hour + 59 * 60000);
  EXPECT_EQ(clock.GetElapsed(), L"13:00:11");
  clock.SetElapsed(L"5:00:00");  // stored only
  EXPECT_EQ(clock.GetElapsed(), L"13:00:11");
}

TEST_F(Clock, PausesAndRunsLongerThanADayKeepEveryHour) {
  TKZTimeCounter clock(nullptr);
  Advance(25 * Hour + 7000);
  EXPECT_EQ(clock.GetElapsed(), L"25:00:07");  // no wrap at 24 hours: study time is kept
  clock.Stop();
  Advance(30 * Hour);
  clock.Start();
  Advance(5000);
  EXPECT_EQ(clock.GetElapsed(), L"25:00:12");
  EXPECT_EQ(clock.ElapsedSeconds(), 25 * 3600 + 12);
}

TEST_F(Clock, ACounterThatGoesBackNeverGivesANegativeTime) {
  TKZTimeCounter clock(nullptr);
  Advance(3000);
  EXPECT_EQ(clock.GetElapsed(), L"0:00:03");
  Now -= 60000;  // what a clock set back would do to a wall-clock measurement
  EXPECT_EQ(clock.GetElapsed(), L"0:00:00");
  clock.Stop();
  EXPECT_EQ(clock.ElapsedSeconds(), 0);
}

TEST_F(Clock, ResetStartsFromZeroAndKeepsTheCountingFlag) {
  TKZTimeCounter clock(nullptr);
  Advance(9000);
  clock.Reset();  // running: goes on from zero
  EXPECT_TRUE(clock.GetCounting());
  Advance(2000);
  EXPECT_EQ(clock.GetElapsed(), L"0:00:02");
  clock.Stop();
  clock.Reset();  // stopped: stays stopped, at zero
  EXPECT_FALSE(clock.GetCounting());
  EXPECT_EQ(clock.GetElapsed(), L"0:00:00");
  Advance(4000);
  clock.Start();
  Advance(1000);
  EXPECT_EQ(clock.GetElapsed(), L"0:00:01");
}

TEST_F(Clock, ALayoutStopsItAndItsElapsedTextIsIgnored) {
  TTestHost host;
  ReadLayout(&host,
             L"object Host: TTestHost\n"
             L"  object KZTimeCounter1: TKZTimeCounter\n"
             L"    Enabled = False\n"
             L"    Counting = False\n"
             L"    Elapsed = '2:48:06'\n"
             L"  end\n"
             L"end\n");
  auto* clock = dynamic_cast<TKZTimeCounter*>(host.FindComponent(L"KZTimeCounter1"));
  ASSERT_NE(clock, nullptr);
  EXPECT_FALSE(clock->GetEnabled());
  EXPECT_FALSE(clock->GetCounting());
  EXPECT_EQ(clock->GetElapsed(), L"0:00:00");
  const String text = ComponentToText(&host);
  EXPECT_NE(text.find(L"Counting = False"), String::npos);  // both always written
  EXPECT_NE(text.find(L"Elapsed = '0:00:00'"), String::npos);
}

// ---- The gauge -------------------------------------------------------------------------------------

TEST(GaugeRule, LitSegmentsAreComputedInIntegers) {
  const struct {
    int Progress, Min, Max, Normal, Nums;
    TGaugeSegments Expected;
  } cases[] = {
      {29, 0, 100, 100, 100, {29, 100}},  // floating point gave 28 here
      {57, 0, 100, 100, 100, {57, 100}},
      {58, 0, 100, 100, 100, {58, 100}},
      {70, 0, 100, 65, 100, {70, 65}},    // 65 normal, 5 warning
      {31, 0, 100, 100, 10, {3, 10}},
      {39, 0, 100, 100, 10, {3, 10}},
      {40, 0, 100, 100, 10, {4, 10}},
      {50, 50, 50, 50, 10, {0, 0}},       // equal limits light nothing
      {25, 100, 0, 100, 10, {7, 0}},      // limits the wrong way round: 75 %
      {60, 0, 100, 500, 10, {6, 10}},     // a normal value beyond the limits does not wrap
      {60, 0, 100, -500, 10, {6, 0}},
      {2000000000, -2000000000, 2000000000, 0, 100, {100, 50}},  // no overflow
  };
  for (const auto& c : cases) {
    const TGaugeSegments s = CalcGaugeSegments(c.Progress, c.Min, c.Max, c.Normal, c.Nums);
    EXPECT_EQ(s.Lit, c.Expected.Lit) << c.Progress << " in " << c.Min << ".." << c.Max;
    EXPECT_EQ(s.Normal, c.Expected.Normal) << c.Progress << " in " << c.Min << ".." << c.Max;
  }
}

namespace {

// A gauge that counts its repaint requests.
class TCountingGauge : public TepIndiGauge {
  CLASSLIB_CLASS(TCountingGauge, TepIndiGauge)
  explicit TCountingGauge(TComponent* owner) : TepIndiGauge(owner) {}
  void Invalidate() override {
    ++Repaints;
    TepIndiGauge::Invalidate();
  }
  int Repaints = 0;
};

}  // namespace

TEST(Gauge, ProgressStaysWithinTheLimitsAndRepaintsOnlyForANewSegment) {
  TTestHost host;
  auto* gauge = new TCountingGauge(&host);
  gauge->SetParent(&host);
  gauge->SetProgress(150);
  EXPECT_EQ(gauge->GetProgress(), 100);
  gauge->SetProgress(-5);
  EXPECT_EQ(gauge->GetProgress(), 0);
  gauge->SetProgress(31);
  gauge->Repaints = 0;
  gauge->SetProgress(35);  // 3 segments both times
  EXPECT_EQ(gauge->Repaints, 0);
  gauge->SetProgress(40);
  EXPECT_EQ(gauge->Repaints, 1);
  gauge->SetMaxValue(20);  // pulls Progress down with it
  EXPECT_EQ(gauge->GetProgress(), 20);
  gauge->SetMinValue(30);  // limits now the wrong way round: Progress within 20..30
  EXPECT_EQ(gauge->GetProgress(), 20);
  gauge->SetIndiNums(0);
  EXPECT_EQ(gauge->GetIndiNums(), 1);
  gauge->SetIndiNums(300);
  EXPECT_EQ(gauge->GetIndiNums(), 255);
  gauge->SetIndiOffset(-3);
  EXPECT_EQ(gauge->GetIndiOffset(), 0);
}

TEST(Gauge, PaintsNormalWarningAndUnlitSegments) {
  TTestHost host;
  auto* gauge = new TepIndiGauge(&host);
  gauge->SetParent(&host);
  gauge->SetBounds(0, 0, 103, 20);  // 10 segments of 10: 3 pixels of background on the right
  gauge->SetNormalValue(65);       // 6 normal segments
  gauge->SetProgress(70);          // 7 lit
  MemorySurface surface(110, 25, clWhite);
  PaintInto(gauge, surface);
  const TColor green = ColorFromInt(0x00FF00), red = ColorFromInt(0x0000FF);
  ExpectPixels(surface, {{0, 10, clBlack},   // the gap of IndiOffset
                         {1, 1, green},     {59, 18, green},
                         {60, 10, clBlack}, // the gap between segments 6 and 7
                         {61, 10, red},     {69, 10, red},
                         {71, 10, clGray},  {99, 10, clGray},
                         {100, 10, clBlack}, {102, 10, clBlack},
                         {50, 0, clBlack},  {50, 19, clBlack}});
  gauge->SetKind(gkVerticalBar);  // segment 1 at the bottom
  gauge->SetBounds(0, 0, 20, 100);
  gauge->SetIndiOffset(0);
  MemorySurface tall(25, 105, clWhite);
  PaintInto(gauge, tall);
  ExpectPixels(tall, {{5, 99, green}, {5, 40, green}, {5, 39, red}, {5, 30, red},
                      {5, 29, clGray}, {5, 0, clGray}});
}

// ---- The number panel --------------------------------------------------------------------------------

TEST(NumPanel, EachCharacterLightsItsSegmentsWithBevelledEnds) {
  // Cell (1, 1, 31, 48), half-thickness 2: frame 4..28 × 4..45, middle row 24.
  const TRect cell = Rect(1, 1, 31, 48);
  const struct {
    uint8_t Segment;
    TPoint Centre;
  } segments[] = {{segTop, {15, 4}},        {segMiddle, {15, 24}},     {segBottom, {15, 45}},
                  {segUpperLeft, {4, 14}},  {segLowerLeft, {4, 35}},  {segUpperRight, {28, 14}},
                  {segLowerRight, {28, 35}}};
  const struct {
    wchar_t Char;
    uint8_t Lit;
  } chars[] = {
      {L'0', segTop | segUpperLeft | segUpperRight | segLowerLeft | segLowerRight | segBottom},
      {L'1', segUpperRight | segLowerRight},
      {L'2', segTop | segUpperRight | segMiddle | segLowerLeft | segBottom},
      {L'3', segTop | segUpperRight | segMiddle | segLowerRight | segBottom},
      {L'4', segUpperLeft | segMiddle | segUpperRight | segLowerRight},
      {L'5', segTop | segUpperLeft | segMiddle | segLowerRight | segBottom},
      {L'6', segTop | segUpperLeft | segMiddle | segLowerRight | segBottom | segLowerLeft},
      {L'7', segTop | segUpperRight | segLowerRight},
      {L'8', segAll},
      {L'9', segAll & ~segLowerLeft},
      {L'-', segMiddle},
      {L'x', 0},
  };
  for (const auto& c : chars) {
    EXPECT_EQ(SevenSegmentsOf(c.Char), c.Lit) << static_cast<char>(c.Char);
    MemorySurface surface(32, 50, clBlack);
    surface.Canvas.GetPen()->SetColor(clLime);
    DrawSevenSegments(&surface.Canvas, cell, 2, SevenSegmentsOf(c.Char));
    ::GdiFlush();
    for (const auto& s : segments) {
      const bool lit = (c.Lit & s.Segment) != 0;
      EXPECT_EQ(surface.At(s.Centre.X, s.Centre.Y) == clLime, lit)
          << static_cast<char>(c.Char) << " segment " << int(s.Segment);
    }
  }
  // The top bar runs from x 6 to 26 on its centre row; two rows up it is 4 shorter.
  MemorySurface bar(32, 50, clBlack);
  bar.Canvas.GetPen()->SetColor(clLime);
  DrawSevenSegments(&bar.Canvas, cell, 2, segTop);
  ::GdiFlush();
  ExpectPixels(bar, {{6, 4, clLime}, {26, 4, clLime}, {27, 4, clBlack}, {5, 4, clBlack},
                     {7, 2, clBlack}, {8, 2, clLime}, {24, 2, clLime}, {25, 2, clBlack}});
}

TEST(NumPanel, ShowsTheValueRightAlignedAndOnlyDimmedEightsWhenDisabled) {
  TTestHost host;
  auto* panel = new TepNumPanel(&host);
  panel->SetParent(&host);
  panel->SetBounds(0, 0, 92, 50);  // 3 cells of 30
  panel->SetIndiColor(clLime);
  panel->SetValue(1234);  // "234"
  const auto litCell = [&](const MemorySurface& s, int k) {
    const TRect r = NumPanelCell(92, 50, 3, k);
    return s.CountOf(clLime, r);
  };
  MemorySurface shown(95, 55, clWhite);
  PaintInto(panel, shown);
  // Cell 0, (1, 1, 30, 48), shows "2": the middle lit, the lower right dimmed.
  EXPECT_EQ(shown.At(15, 24), clLime);
  EXPECT_EQ(shown.At(27, 35), clGray);
  EXPECT_GT(litCell(shown, 2), 0);
  panel->SetValue(-7);  // "-" in the middle cell, "7" in the last, the first only dimmed
  MemorySurface negative(95, 55, clWhite);
  PaintInto(panel, negative);
  EXPECT_EQ(litCell(negative, 0), 0);
  EXPECT_EQ(negative.At(30 + 15, 24), clLime);   // the minus
  EXPECT_EQ(negative.At(30 + 15, 4), clGray);
  panel->SetEnabled(false);
  MemorySurface disabled(95, 55, clWhite);
  PaintInto(panel, disabled);
  EXPECT_EQ(CountAll(disabled, clLime), 0);
  EXPECT_GT(CountAll(disabled, clGray), 0);
  panel->SetCountNums(0);
  EXPECT_EQ(panel->GetCountNums(), 1);
  panel->SetIndiWidth(40);
  EXPECT_EQ(panel->GetIndiWidth(), 30);
}

TEST(Indicators, TheWindowsLayoutsOfGaugeAndNumberPanelAreRead) {
  TTestHost host(100, 100, 200, 500);
  ReadLayout(&host,
             L"object Host: TTestHost\n"
             L"  object TimeGauge: TepIndiGauge\n"
             L"    Left = 8\n    Top = 8\n    Width = 15\n    Height = 463\n"
             L"    Kind = gkVerticalBar\n    IndiNums = 100\n    NormalValue = 65\n"
             L"    IndiOffset = 1\n    IndiColor = 16744448\n    UnNormalIndiColor = clRed\n"
             L"    UnActiveColor = clGray\n    Transparent = True\n"
             L"  end\n"
             L"  object epNum_all: TepNumPanel\n"
             L"    Left = 40\n    Top = 8\n    Width = 88\n    Height = 35\n"
             L"    CountNums = 5\n    IndiWidth = 2\n    IndiColor = 16777088\n"
             L"    Color = clBlack\n    UnActiveColor = clGray\n"
             L"  end\n"
             L"end\n");
  auto* gauge = dynamic_cast<TepIndiGauge*>(host.FindComponent(L"TimeGauge"));
  auto* panel = dynamic_cast<TepNumPanel*>(host.FindComponent(L"epNum_all"));
  ASSERT_TRUE(gauge && panel);
  gauge->SetProgress(80);
  panel->SetValue(4096);
  host.ShowHost();
  Pump();
  EXPECT_TRUE(SaveWindowScreenshot(host.GetHandle(), L"indicators"));
  const String text = ComponentToText(&host);  // what was read is written back
  for (const wchar_t* kept : {L"Kind = gkVerticalBar", L"IndiNums = 100", L"CountNums = 5",
                              L"IndiColor = 16744448", L"IndiColor = 16777088"})
    EXPECT_NE(text.find(kept), String::npos) << StringToUtf8(kept);
  EXPECT_EQ(text.find(L"MaxValue"), String::npos);  // 100 is the default
}
