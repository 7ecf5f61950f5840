// Transition effects as pure functions: mask lines, every effect at 0, 50 and 100 % on tiny
// and odd masks, nested pixel sets, the process's random sequence untouched, frames composed
// with rotations and the clear colour, inputs left as they were, and a played transition.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "classlib/system/SysMath.h"
#include "controls/skin/Watchdog.h"
#include "controls/skin/engine/SkinBitmap.h"
#include "controls/skin/engine/SkinColors.h"
#include "controls/skin/form/SkinTransitions.h"
#include "tests/classlib/graphics/MemorySurface.h"

namespace {

int Count(const TSeMask& m, uint8_t value) {
  return static_cast<int>(std::count(m.Cells.begin(), m.Cells.end(), value));
}

TEST(SkinTransitions, MaskLinesInEveryDirectionSkipCellsOutside) {
  TSeMask m;
  m.Reset(7, 5);
  DrawMaskLine(m, 9, 0, 0, 6, 0);
  EXPECT_EQ(Count(m, 9), 7);
  m.Reset(7, 5);
  DrawMaskLine(m, 9, 6, 4, 0, 0);  // reversed and shallow: one cell per column
  EXPECT_EQ(Count(m, 9), 7);
  EXPECT_EQ(m.At(0, 0), 9);
  EXPECT_EQ(m.At(6, 4), 9);
  m.Reset(7, 5);
  DrawMaskLine(m, 9, 3, 0, 3, 4);
  EXPECT_EQ(Count(m, 9), 5);
  // Partly and wholly outside: only the cells inside, nothing beyond the grid.
  m.Reset(7, 5);
  DrawMaskLine(m, 9, -5, 2, 20, 2);
  EXPECT_EQ(Count(m, 9), 7);
  DrawMaskLine(m, 7, -9, -9, -1, -20);
  DrawMaskLine(m, 7, 7, 0, 70, 4);
  EXPECT_EQ(Count(m, 7), 0);
  EXPECT_EQ(m.Cells.size(), 35u);
}

TEST(SkinTransitions, EveryEffectAtNoneHalfAndFullOnTinyAndOddMasks) {
  const TveEffect revealAll[] = {veFade, veDiagonal, veDown, veIn, veOut, veRectIn, vePixel,
                                 vePixelLine, veDiamondIn, veSmoothRectIn};
  const std::pair<int, int> sizes[] = {{1, 1}, {1, 9}, {9, 1}, {7, 5}, {5, 7}};
  for (int e = veFade; e <= veSmoothRectOut; ++e) {
    const auto effect = static_cast<TveEffect>(e);
    for (const auto& [w, h] : sizes) {
      TSeMask m;
      m.Reset(w, h);
      DrawEffect(m, effect, 0);
      EXPECT_EQ(Count(m, 0), w * h) << e << " " << w << "x" << h;
      m.Reset(w, h);
      DrawEffect(m, effect, 100);
      if (std::find(std::begin(revealAll), std::end(revealAll), effect) != std::end(revealAll))
        EXPECT_EQ(Count(m, 255), w * h) << e << " " << w << "x" << h;
      else
        EXPECT_GT(w * h - Count(m, 0), 0) << e << " " << w << "x" << h;
      m.Reset(w, h);
      DrawEffect(m, effect, 50);
      if (w * h >= 35) {
        EXPECT_GT(w * h - Count(m, 0), 0) << e << " " << w << "x" << h;
        EXPECT_LT(Count(m, 255), w * h) << e << " " << w << "x" << h;
      }
      // Out-of-range percentages are clamped, never read outside.
      m.Reset(w, h);
      DrawEffect(m, effect, 1000);
      DrawEffect(m, effect, -5);
    }
  }
  TSeMask m;
  m.Reset(7, 5);
  DrawEffect(m, veFade, 50);
  EXPECT_EQ(Count(m, 128), 35);  // 127.5 to even
}

TEST(SkinTransitions, PixelSetsGrowAndTheProcessRandomSequenceIsUntouched) {
  RandSeed = 12345;
  TSeMask a, b;
  a.Reset(40, 30);
  b.Reset(40, 30);
  DrawEffect(a, vePixel, 30);
  DrawEffect(b, vePixel, 60);
  EXPECT_EQ(Count(a, 255), 360);
  EXPECT_EQ(Count(b, 255), 720);
  for (size_t i = 0; i < a.Cells.size(); ++i)
    if (a.Cells[i]) EXPECT_EQ(b.Cells[i], 255) << i;
  EXPECT_EQ(RandSeed, 12345);
  // At 800 x 600 every cell is found in bounded time.
  skin_tests::Watchdog watchdog(60);
  TSeMask big;
  big.Reset(800, 600);
  DrawEffect(big, vePixel, 100);
  EXPECT_EQ(Count(big, 255), 800 * 600);
  EXPECT_EQ(RandSeed, 12345);
}

// An image of w x h filled with one colour.
void Fill(TSeBitmap& b, int w, int h, TPixel32 p) {
  b.SetSize(w, h);
  b.Clear(p);
}

TEST(SkinTransitions, FramesBlendRotateKeepTheClearColourAndLeaveTheInputsAlone) {
  const TPixel32 red{0, 0, 255, 255}, blue{255, 0, 0, 255};
  TSeBitmap newer, older, frame;
  Fill(newer, 8, 6, red);
  Fill(older, 8, 6, blue);
  newer.SetPixel(3, 3, SeClearPixel);
  TSeTransition t;
  for (int p : {0, 50, 100}) {
    ASSERT_TRUE(ComposeFrame(frame, newer, older, t, p));
    EXPECT_EQ(PixelRGB(frame.GetPixel(3, 3)), PixelRGB(blue)) << p;  // the clear colour
  }
  EXPECT_EQ(PixelRGB(frame.GetPixel(0, 0)), PixelRGB(red));
  ASSERT_TRUE(ComposeFrame(frame, newer, older, t, 0));
  EXPECT_EQ(PixelRGB(frame.GetPixel(0, 0)), PixelRGB(blue));
  ASSERT_TRUE(ComposeFrame(frame, newer, older, t, 50));
  const TPixel32 half = frame.GetPixel(0, 0);
  EXPECT_NEAR(half.R, 128, 1);
  EXPECT_NEAR(half.B, 127, 1);
  // The inputs are read only.
  EXPECT_EQ(newer.GetPixel(0, 0).A, 255);
  EXPECT_EQ(PixelRGB(newer.GetPixel(3, 3)), PixelRGB(SeClearPixel));
  // veDown sweeps from the left (at 40 % of full strength), turned half way round from the
  // right.
  t.Effect = veDown;
  ASSERT_TRUE(ComposeFrame(frame, newer, older, t, 40));
  EXPECT_EQ(frame.GetPixel(0, 0).R, 102);
  EXPECT_EQ(PixelRGB(frame.GetPixel(7, 0)), PixelRGB(blue));
  t.Direction = vdRotate180;
  ASSERT_TRUE(ComposeFrame(frame, newer, older, t, 40));
  EXPECT_EQ(PixelRGB(frame.GetPixel(0, 0)), PixelRGB(blue));
  EXPECT_EQ(frame.GetPixel(7, 0).R, 102);
  t.Direction = vdRotate90;
  ASSERT_TRUE(ComposeFrame(frame, newer, older, t, 40));
  EXPECT_NE(PixelRGB(frame.GetPixel(0, 0)), PixelRGB(frame.GetPixel(0, 5)));
  // Tiles and coarse cells still cover every pixel; 1 x 1 and 1 x N images work.
  t = TSeTransition{veFade, 3, 4, vdRotate270};
  ASSERT_TRUE(ComposeFrame(frame, newer, older, t, 100));
  EXPECT_EQ(PixelRGB(frame.GetPixel(7, 5)), PixelRGB(red));
  for (auto [w, h] : {std::pair{1, 1}, std::pair{1, 9}, std::pair{9, 1}}) {
    TSeBitmap n, o, f;
    Fill(n, w, h, red);
    Fill(o, w, h, blue);
    for (int e = veFade; e <= veSmoothRectOut; ++e)
      EXPECT_TRUE(ComposeFrame(f, n, o, TSeTransition{static_cast<TveEffect>(e)}, 100)) << e;
  }
  // Sizes that differ, an empty image or the frame being an input: nothing is composed.
  TSeBitmap other, empty;
  Fill(other, 8, 5, red);
  EXPECT_FALSE(ComposeFrame(frame, newer, other, t, 50));
  EXPECT_FALSE(ComposeFrame(frame, empty, older, t, 50));
  EXPECT_FALSE(ComposeFrame(newer, newer, older, t, 50));
}

TEST(SkinTransitions, APlayedTransitionEndsOnTheNewImageEvenAtTimeZero) {
  const TPixel32 red{0, 0, 255, 255}, blue{255, 0, 0, 255};
  TSeBitmap newer, older;
  Fill(newer, 20, 10, red);
  Fill(older, 20, 10, blue);
  MemorySurface surface(40, 20);
  TSeAnimation animation;
  animation.SetTime(0);  // clamped to the least time
  animation.SetEffect(veRandomSelect);
  RandSeed = 777;
  PlayTransition(surface.DC(), 5, 5, animation, newer, older);
  ::GdiFlush();
  EXPECT_EQ(surface.At(10, 10), clRed);
  EXPECT_EQ(surface.At(1, 1), clWhite);
  EXPECT_EQ(RandSeed, 777);
  TSeBitmap empty;
  PlayTransition(surface.DC(), 0, 0, animation, empty, older);  // nothing, no crash
}

}  // namespace
