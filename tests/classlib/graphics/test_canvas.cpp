// The canvas and its tools, drawn on memory DCs holding 32-bit DIB sections whose pixels
// are read back directly.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "GraphicStreams.h"
#include "MemorySurface.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/GdiHandles.h"
#include "classlib/graphics/Graphic.h"

namespace {

bool IsAlive(HGDIOBJ handle) { return ::GetObjectType(handle) != 0; }

}  // namespace

// ---- Shapes ---------------------------------------------------------------------------------

TEST(Canvas, RectangleFramesInPenAndFillsWithBrush) {
  MemorySurface s(20, 20);
  s.Canvas.GetPen()->SetColor(clRed);
  s.Canvas.GetBrush()->SetColor(clBtnFace);  // a system colour gives the system's RGB
  s.Canvas.Rectangle(2, 2, 12, 10);
  const TColor face = ColorFromInt(static_cast<int32_t>(::GetSysColor(COLOR_BTNFACE)));
  EXPECT_EQ(s.At(2, 2), clRed);
  EXPECT_EQ(s.At(11, 9), clRed);     // the frame lies inside the rectangle
  EXPECT_EQ(s.At(3, 3), face);
  EXPECT_EQ(s.At(12, 10), clWhite);  // right and bottom are outside
  EXPECT_EQ(s.CountOf(face, Rect(0, 0, 20, 20)), 8 * 6);
}

TEST(Canvas, LinesPenModeAndPixels) {
  MemorySurface s(20, 20, RGBColor(0x0F, 0xF0, 0x55));
  s.Canvas.GetPen()->SetColor(clGreen);
  s.Canvas.MoveTo(2, 5);
  s.Canvas.LineTo(10, 5);
  EXPECT_EQ(s.At(2, 5), clGreen);
  EXPECT_EQ(s.At(10, 5), RGBColor(0x0F, 0xF0, 0x55));  // the end pixel is left
  EXPECT_EQ(s.Canvas.GetPenPos(), Point(10, 5));

  s.Canvas.GetPen()->SetColor(clWhite);
  s.Canvas.GetPen()->SetMode(pmXor);
  s.Canvas.MoveTo(0, 0);
  s.Canvas.LineTo(4, 0);
  EXPECT_EQ(s.At(1, 0), RGBColor(0xF0, 0x0F, 0xAA));
  s.Canvas.GetPen()->SetMode(pmCopy);
  s.Canvas.SetPixels(5, 5, clYellow);
  EXPECT_EQ(s.Canvas.GetPixels(5, 5), clYellow);
  EXPECT_EQ(s.Canvas.GetPixels(100, 100), clNone);  // outside the surface
}

TEST(Canvas, FrameRectAndFloodFill) {
  MemorySurface s(12, 12);
  s.Canvas.GetBrush()->SetColor(clNavy);
  s.Canvas.FrameRect(Rect(2, 2, 10, 10));
  EXPECT_EQ(s.At(2, 5), clNavy);
  EXPECT_EQ(s.At(5, 5), clWhite);
  s.Canvas.GetBrush()->SetColor(clLime);
  s.Canvas.FloodFill(5, 5, clNavy, fsBorder);  // fills up to the frame
  EXPECT_EQ(s.At(5, 5), clLime);
  EXPECT_EQ(s.At(2, 5), clNavy);
  EXPECT_EQ(s.At(0, 0), clWhite);
}

// ---- Text -----------------------------------------------------------------------------------

TEST(Canvas, TextOutWithAClearBrushLeavesTheBackground) {
  MemorySurface s(80, 30, clLime);
  s.Canvas.GetFont()->SetColor(clBlack);
  s.Canvas.GetBrush()->SetColor(clRed);
  s.Canvas.GetBrush()->SetStyle(bsClear);
  s.Canvas.TextOut(2, 2, L"Hg");
  const TSize extent = s.Canvas.TextExtent(L"Hg");
  ASSERT_GT(extent.cx, 0);
  const TRect cell = Bounds(2, 2, extent.cx, extent.cy);
  EXPECT_EQ(s.CountOf(clRed, cell), 0);
  EXPECT_GT(s.CountOf(clLime, cell), 0);
  EXPECT_LT(s.CountOf(clLime, cell), extent.cx * extent.cy);  // some ink was drawn
  EXPECT_EQ(s.Canvas.GetPenPos(), Point(2 + extent.cx, 2));

  s.Fill(clLime);
  s.Canvas.GetBrush()->SetColor(clRed);  // solid again: the cell is painted
  s.Canvas.TextOut(2, 2, L"Hg");
  EXPECT_EQ(s.CountOf(clLime, cell), 0);
  EXPECT_EQ(s.At(2, 2), clRed);
}

TEST(Canvas, TextRectClipsToItsRectangle) {
  MemorySurface s(80, 30);
  s.Canvas.GetFont()->SetColor(clBlack);
  s.Canvas.GetBrush()->SetColor(clYellow);
  s.Canvas.TextRect(Rect(0, 0, 6, 30), 0, 0, L"WWWWWW");
  EXPECT_EQ(s.At(0, 25), clYellow);  // the whole rectangle is painted
  EXPECT_EQ(s.CountOf(clWhite, Rect(0, 0, 6, 30)), 0);
  EXPECT_EQ(s.CountOf(clWhite, Rect(6, 0, 80, 30)), 74 * 30);  // nothing outside it
}

// ---- Copying ----------------------------------------------------------------------------------

TEST(Canvas, CopyRectAppliesTheCopyModeAndStretches) {
  const TColor source = RGBColor(0x5A, 0x3C, 0x96), dest = RGBColor(0x33, 0xCC, 0x0F);
  const int S = ColorToInt(source), D = ColorToInt(dest);
  const struct {
    TCopyMode Mode;
    int Expected;
  } cases[] = {{cmSrcCopy, S}, {cmSrcAnd, S & D}, {cmSrcErase, S & ~D & 0xFFFFFF}};
  MemorySurface from(8, 8, source);
  for (const auto& c : cases) {
    MemorySurface to(8, 8, dest);
    to.Canvas.SetCopyMode(c.Mode);
    to.Canvas.CopyRect(Rect(2, 2, 6, 6), &from.Canvas, Rect(0, 0, 4, 4));
    EXPECT_EQ(to.At(3, 3), ColorFromInt(c.Expected)) << std::hex << c.Mode;
    EXPECT_EQ(to.At(1, 1), dest);
  }

  from.Fill(clBlack);
  from.Canvas.SetPixels(0, 0, clRed);
  MemorySurface to(8, 8);
  to.Canvas.CopyRect(Rect(0, 0, 8, 8), &from.Canvas, Rect(0, 0, 4, 4));
  EXPECT_EQ(to.At(1, 1), clRed);  // one source pixel became two by two
  EXPECT_EQ(to.At(2, 2), clBlack);
}

TEST(Canvas, DrawSkipsMissingAndEmptyGraphics) {
  MemorySurface s(4, 4);
  TBitmap empty;
  s.Canvas.Draw(0, 0, &empty);
  s.Canvas.Draw(0, 0, nullptr);
  s.Canvas.StretchDraw(Rect(0, 0, 4, 4), nullptr);
  EXPECT_EQ(s.CountOf(clWhite, Rect(0, 0, 4, 4)), 16);
}

TEST(Canvas, BrushCopyPaintsTheKeyColourWithTheBrush) {
  TBitmap bitmap;
  MakeSquare(bitmap, pf24bit, 4, 4, clRed, clLime);
  MemorySurface s(10, 10);
  s.Canvas.GetBrush()->SetColor(clBlue);
  s.Canvas.BrushCopy(Rect(2, 2, 6, 6), &bitmap, Rect(0, 0, 4, 4), clLime);
  EXPECT_EQ(s.At(2, 2), clRed);
  EXPECT_EQ(s.At(3, 3), clBlue);
  EXPECT_EQ(s.At(6, 6), clWhite);
  EXPECT_EQ(bitmap.GetCanvas()->GetPixels(1, 1), clLime);  // the bitmap is unchanged
  // The canvas's own DC colours are as they were: solid text backgrounds still work.
  EXPECT_EQ(::GetBkColor(s.DC()), ColorToRGB(clBlue));
}

// ---- Events and state --------------------------------------------------------------------------

TEST(Canvas, DrawingFiresChangingThenChange_ToolChangesDoNot) {
  MemorySurface s(10, 10);
  String log;
  s.Canvas.SetOnChanging([&](TObject* sender) {
    EXPECT_EQ(sender, &s.Canvas);
    log += L"<";
  });
  s.Canvas.SetOnChange([&](TObject*) { log += L">"; });
  s.Canvas.FillRect(Rect(0, 0, 2, 2));
  s.Canvas.GetFont()->SetSize(20);
  s.Canvas.GetPen()->SetColor(clRed);
  s.Canvas.MoveTo(0, 0);  // moving draws nothing
  EXPECT_EQ(log, L"<>");
}

TEST(Canvas, AToolChangeIsSelectedByTheNextDrawing) {
  MemorySurface s(10, 10);
  const HGDIOBJ originalFont = ::GetCurrentObject(s.DC(), OBJ_FONT);
  const HGDIOBJ originalPen = ::GetCurrentObject(s.DC(), OBJ_PEN);
  s.Canvas.TextOut(0, 0, L"x");
  s.Canvas.LineTo(1, 1);
  EXPECT_EQ(::GetCurrentObject(s.DC(), OBJ_FONT), s.Canvas.GetFont()->GetHandle());
  EXPECT_EQ(::GetCurrentObject(s.DC(), OBJ_PEN), s.Canvas.GetPen()->GetHandle());

  s.Canvas.GetFont()->SetSize(31);
  s.Canvas.GetPen()->SetColor(clRed);
  // The old handles are out of the DC at once (they may be deleted now)...
  EXPECT_EQ(::GetCurrentObject(s.DC(), OBJ_FONT), originalFont);
  EXPECT_EQ(::GetCurrentObject(s.DC(), OBJ_PEN), originalPen);
  // ...and the new ones are in after the next drawing.
  s.Fill(clWhite);
  s.Canvas.MoveTo(0, 5);
  s.Canvas.LineTo(5, 5);
  EXPECT_EQ(s.At(2, 5), clRed);
  s.Canvas.TextOut(0, 0, L"x");
  EXPECT_EQ(::GetCurrentObject(s.DC(), OBJ_FONT), s.Canvas.GetFont()->GetHandle());

  // Letting the DC go gives it its own objects back.
  s.Canvas.SetHandle(nullptr);
  EXPECT_EQ(::GetCurrentObject(s.DC(), OBJ_FONT), originalFont);
  EXPECT_EQ(::GetCurrentObject(s.DC(), OBJ_PEN), originalPen);
}

TEST(Canvas, WithoutADCDrawingRaises) {
  TCanvas canvas;
  try {
    canvas.FillRect(Rect(0, 0, 1, 1));
    FAIL() << "drew without a DC";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), L"Canvas does not allow drawing");
  }
}

TEST(Canvas, LockIsExclusiveAcrossThreads) {
  TCanvas canvas;
  canvas.Lock();
  canvas.Lock();  // nests in one thread
  EXPECT_EQ(canvas.GetLockCount(), 2);
  EXPECT_FALSE(canvas.TryLock());
  bool otherGotIt = true;
  std::thread([&] { otherGotIt = canvas.TryLock(); }).join();
  EXPECT_FALSE(otherGotIt);
  canvas.Unlock();
  canvas.Unlock();
  EXPECT_EQ(canvas.GetLockCount(), 0);
  std::thread([&] {
    otherGotIt = canvas.TryLock();
    if (otherGotIt) canvas.Unlock();
  }).join();
  EXPECT_TRUE(otherGotIt);
}

TEST(ControlCanvas, GetsTheDCWhenNeededAndGivesItBack) {
  MemorySurface s(10, 10);
  s.Canvas.SetHandle(nullptr);
  int acquired = 0;
  std::vector<HDC> released;
  {
    TControlCanvas canvas;
    EXPECT_THROW(canvas.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);  // no control yet
    canvas.SetControlDC([&] { ++acquired; return s.DC(); },
                        [&](HDC dc) { released.push_back(dc); });
    EXPECT_EQ(acquired, 0);
    canvas.GetBrush()->SetColor(clRed);
    canvas.FillRect(Rect(0, 0, 2, 2));
    canvas.FillRect(Rect(2, 2, 4, 4));
    EXPECT_EQ(acquired, 1);
    EXPECT_EQ(s.At(3, 3), clRed);
    canvas.FreeHandle();
    ASSERT_EQ(released.size(), 1u);
    EXPECT_EQ(released[0], s.DC());
    EXPECT_EQ(::GetCurrentObject(s.DC(), OBJ_BRUSH), ::GetStockObject(WHITE_BRUSH));
    canvas.TextOut(0, 0, L"x");
    EXPECT_EQ(acquired, 2);
  }
  EXPECT_EQ(released.size(), 2u);  // the destructor gave the second DC back
}

// ---- Tools -------------------------------------------------------------------------------------

TEST(Font, SizeAndHeightFollowPixelsPerInch) {
  TFont font;
  font.SetPixelsPerInch(96);
  font.SetSize(12);
  EXPECT_EQ(font.GetHeight(), -16);
  font.SetHeight(-13);
  EXPECT_EQ(font.GetSize(), 10);  // 9.75 rounds to 10

  TFont printerFont;
  printerFont.SetPixelsPerInch(600);
  printerFont.Assign(&font);
  EXPECT_EQ(printerFont.GetSize(), 10);  // the size is kept, not the pixel height
  EXPECT_EQ(printerFont.GetHeight(), -83);
}

TEST(Font, ChangesNotifyOnlyWhenSomethingChanged) {
  TFont font;
  int changes = 0;
  font.SetOnChange([&](TObject* sender) {
    EXPECT_EQ(sender, &font);
    ++changes;
  });
  font.SetStyle({fsBold, fsItalic});
  font.SetColor(clRed);
  font.SetName(L"Arial");
  EXPECT_EQ(changes, 3);
  font.SetStyle({fsItalic, fsBold});
  font.SetColor(clRed);
  font.SetName(L"");  // ignored
  EXPECT_EQ(changes, 3);

  LOGFONTW lf{};
  ASSERT_EQ(::GetObjectW(font.GetHandle(), sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_TRUE(lf.lfItalic);
  EXPECT_STREQ(lf.lfFaceName, L"Arial");
}

TEST(Font, IdenticalFontsShareOneHandleFreedByTheLast) {
  HFONT shared;
  {
    auto a = std::make_unique<TFont>();
    auto b = std::make_unique<TFont>();
    for (TFont* f : {a.get(), b.get()}) {
      f->SetName(L"Courier New");
      f->SetSize(17);
    }
    shared = a->GetHandle();
    EXPECT_EQ(b->GetHandle(), shared);
    b->SetSize(18);
    EXPECT_NE(b->GetHandle(), shared);
    EXPECT_TRUE(IsAlive(shared));  // a still uses it
    b->Assign(a.get());
    EXPECT_EQ(b->GetHandle(), shared);
    a.reset();
    EXPECT_TRUE(IsAlive(shared));
  }
  EXPECT_FALSE(IsAlive(shared));
}

TEST(Font, SetHandleReadsTheFontBackAndOwnsIt) {
  const LOGFONTW lf{-20, 0, 0, 0, FW_BOLD, FALSE, TRUE, FALSE, ANSI_CHARSET, 0, 0, 0, FIXED_PITCH,
                   L"Courier New"};
  HFONT made = ::CreateFontIndirectW(&lf);
  {
    TFont font;
    int changes = 0;
    font.SetOnChange([&](TObject*) { ++changes; });
    font.SetHandle(made);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(font.GetHandle(), made);
    EXPECT_EQ(font.GetHeight(), -20);
    EXPECT_EQ(font.GetName(), L"Courier New");
    EXPECT_EQ(font.GetPitch(), fpFixed);
    EXPECT_TRUE(font.GetStyle() == (TFontStyles{fsBold, fsUnderline}));

    TFont other;
    other.SetHandle(made);  // shared, not owned twice
    EXPECT_EQ(other.GetHandle(), made);
    font.SetHandle(reinterpret_cast<HFONT>(::GetStockObject(BLACK_BRUSH)));  // not a font
    EXPECT_EQ(font.GetHandle(), made);
  }
  EXPECT_FALSE(IsAlive(made));
}

TEST(Brush, ClearBrushes) {
  TBrush a, b;
  a.SetColor(clRed);
  a.SetStyle(bsClear);
  EXPECT_EQ(a.GetColor(), clWhite);  // every clear brush is the same brush
  b.SetStyle(bsClear);
  EXPECT_EQ(a.GetHandle(), b.GetHandle());
  b.SetColor(clBlue);
  EXPECT_EQ(b.GetStyle(), bsSolid);  // a colour makes a clear brush solid
  EXPECT_THROW(a.Assign(nullptr), EConvertError);
}

TEST(Brush, PatternFromABitmapHandleOrATBitmap) {
  // 8x8 monochrome pattern, rows padded to 16 bits: the left four pixels set.
  const WORD rows[8] = {0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0};
  UniqueBitmap pattern(::CreateBitmap(8, 8, 1, 1, rows));
  MemorySurface s(16, 8, clRed);
  s.Canvas.GetBrush()->SetColor(clWhite);  // the 1 bits; the 0 bits take the text colour
  s.Canvas.GetBrush()->SetBitmapHandle(pattern.get());
  pattern.reset();  // the brush was made at once; the bitmap may go
  s.Canvas.FillRect(Rect(0, 0, 16, 8));
  EXPECT_EQ(s.At(0, 0), clWhite);
  EXPECT_EQ(s.At(5, 3), clBlack);
  EXPECT_EQ(s.At(13, 0), clBlack);

  s.Canvas.GetBrush()->SetColor(clBlue);  // a new colour makes a plain brush
  s.Canvas.FillRect(Rect(0, 0, 16, 8));
  EXPECT_EQ(s.At(5, 3), clBlue);

  {
    TBitmap bitmap;
    MakeSquare(bitmap, pf24bit, 8, 8, clYellow, clPurple, Rect(0, 0, 2, 8));
    s.Canvas.GetBrush()->SetBitmap(&bitmap);
    EXPECT_EQ(s.Canvas.GetBrush()->GetBitmap(), &bitmap);
  }
  s.Canvas.FillRect(Rect(0, 0, 16, 8));  // the bitmap is gone; the pattern was made
  EXPECT_EQ(s.At(1, 0), clPurple);
  EXPECT_EQ(s.At(2, 0), clYellow);
  s.Canvas.GetBrush()->SetBitmap(nullptr);
  EXPECT_EQ(s.Canvas.GetBrush()->GetBitmap(), nullptr);
}

TEST(Tools, DrawingWithChangingToolsLeaksNoGdiObjects) {
  std::set<HGDIOBJ> used;
  const DWORD before = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  {
    MemorySurface s(40, 40);
    for (int i = 0; i < 1000; ++i) {
      s.Canvas.GetFont()->SetSize(8 + i % 25);
      s.Canvas.GetFont()->SetStyle(i % 2 ? TFontStyles{fsBold} : TFontStyles{});
      s.Canvas.GetPen()->SetColor(RGBColor(i % 256, 0, 0));
      s.Canvas.GetPen()->SetWidth(1 + i % 3);
      s.Canvas.GetBrush()->SetColor(RGBColor(0, i % 256, 0));
      s.Canvas.GetBrush()->SetStyle(static_cast<TBrushStyle>(i % 8));
      s.Canvas.Rectangle(0, 0, 20, 20);
      s.Canvas.TextOut(0, 20, L"A");
      used.insert(s.Canvas.GetFont()->GetHandle());
      used.insert(s.Canvas.GetPen()->GetHandle());
      used.insert(s.Canvas.GetBrush()->GetHandle());
    }
  }
  EXPECT_EQ(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), before);
  // GetGuiResources may be a stub; check the handles themselves too.
  int alive = 0;
  used.erase(::GetStockObject(NULL_BRUSH));  // what a clear brush is made as
  for (HGDIOBJ h : used) alive += IsAlive(h) ? 1 : 0;
  EXPECT_EQ(alive, 0);
}

TEST(Tools, TheSharedCacheServesSeveralThreads) {
  TFont keeper;  // holds one shared description for the whole run
  keeper.SetName(L"Arial");
  keeper.SetSize(11);
  const HFONT kept = keeper.GetHandle();
  auto work = [&] {
    for (int i = 0; i < 500; ++i) {
      TFont font;
      font.SetName(L"Arial");
      font.SetSize(10 + i % 3);
      if (font.GetSize() == 11 && font.GetHandle() != kept) ADD_FAILURE() << "not shared";
      TPen pen;
      pen.SetColor(RGBColor(0, 0, i % 4));
      pen.GetHandle();
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_TRUE(IsAlive(kept));
  EXPECT_EQ(keeper.GetHandle(), kept);
}
