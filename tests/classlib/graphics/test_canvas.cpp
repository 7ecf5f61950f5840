// The canvas and its tools, drawn on memory DCs holding 32-bit DIB sections whose pixels
// are read back directly.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/GdiHandles.h"
#include "MemorySurface.h"
#include "classlib/graphics/Graphic.h"

namespace {

using Surface = MemorySurface;

bool IsAlive(HGDIOBJ handle) { return ::GetObjectType(handle) != 0; }

}  // namespace

// ---- Shapes ---------------------------------------------------------------------------------

TEST(Canvas, RectangleFramesInPenAndFillsWithBrush) {
  Surface s(20, 20);
  s.Fill(clWhite);
  s.Canvas.GetPen()->SetColor(clRed);
  s.Canvas.GetBrush()->SetColor(clBlue);
  s.Canvas.Rectangle(2, 2, 12, 10);
  EXPECT_EQ(s.At(2, 2), clRed);
  EXPECT_EQ(s.At(11, 9), clRed);    // the frame lies inside the rectangle
  EXPECT_EQ(s.At(7, 2), clRed);
  EXPECT_EQ(s.At(3, 3), clBlue);
  EXPECT_EQ(s.At(10, 8), clBlue);
  EXPECT_EQ(s.At(12, 10), clWhite);  // right and bottom are outside
  EXPECT_EQ(s.CountOf(clBlue, Rect(0, 0, 20, 20)), 8 * 6);
}

TEST(Canvas, LineToLeavesTheEndPixelAndMovesThePen) {
  Surface s(20, 20);
  s.Fill(clWhite);
  s.Canvas.GetPen()->SetColor(clGreen);
  s.Canvas.MoveTo(2, 5);
  s.Canvas.LineTo(10, 5);
  EXPECT_EQ(s.At(2, 5), clGreen);
  EXPECT_EQ(s.At(9, 5), clGreen);
  EXPECT_EQ(s.At(10, 5), clWhite);
  EXPECT_EQ(s.Canvas.GetPenPos(), Point(10, 5));
}

TEST(Canvas, PenModeAndPixels) {
  Surface s(8, 8);
  s.Fill(RGBColor(0x0F, 0xF0, 0x55));
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

TEST(Canvas, FillRectWithASystemColourGivesTheSystemsRGB) {
  Surface s(10, 10);
  s.Fill(clBlack);
  s.Canvas.GetBrush()->SetColor(clBtnFace);
  s.Canvas.FillRect(Rect(1, 1, 5, 5));
  EXPECT_EQ(ColorToRGB(s.At(1, 1)), ::GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(s.At(4, 4)), ::GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(s.At(5, 5), clBlack);
}

TEST(Canvas, FrameRectAndFloodFill) {
  Surface s(12, 12);
  s.Fill(clWhite);
  s.Canvas.GetBrush()->SetColor(clNavy);
  s.Canvas.FrameRect(Rect(2, 2, 10, 10));
  EXPECT_EQ(s.At(2, 5), clNavy);
  EXPECT_EQ(s.At(5, 5), clWhite);
  s.Canvas.GetBrush()->SetColor(clLime);
  s.Canvas.FloodFill(5, 5, clNavy, fsBorder);  // fills up to the frame
  EXPECT_EQ(s.At(5, 5), clLime);
  EXPECT_EQ(s.At(3, 8), clLime);
  EXPECT_EQ(s.At(2, 5), clNavy);
  EXPECT_EQ(s.At(0, 0), clWhite);
}

TEST(Canvas, Frame3DDrawsTwoColoursAndShrinksTheRect) {
  Surface s(12, 12);
  s.Fill(clWhite);
  TRect r = Rect(1, 1, 11, 11);
  Frame3D(&s.Canvas, r, clRed, clBlue, 2);
  EXPECT_EQ(r, Rect(3, 3, 9, 9));
  EXPECT_EQ(s.At(1, 1), clRed);
  EXPECT_EQ(s.At(1, 9), clRed);    // left side down to the bottom-left corner
  EXPECT_EQ(s.At(10, 1), clBlue);  // right side from the top-right corner
  EXPECT_EQ(s.At(10, 10), clBlue);
  EXPECT_EQ(s.At(1, 10), clBlue);
  EXPECT_EQ(s.At(2, 2), clRed);    // second line
  EXPECT_EQ(s.At(9, 9), clBlue);
  EXPECT_EQ(s.At(3, 3), clWhite);
}

// ---- Text -----------------------------------------------------------------------------------

TEST(Canvas, TextOutWithAClearBrushLeavesTheBackground) {
  Surface s(80, 30);
  s.Fill(clLime);
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
  Surface s(80, 30);
  s.Fill(clWhite);
  s.Canvas.GetFont()->SetColor(clBlack);
  s.Canvas.GetBrush()->SetColor(clYellow);
  s.Canvas.TextRect(Rect(0, 0, 6, 30), 0, 0, L"WWWWWW");
  EXPECT_EQ(s.At(0, 25), clYellow);  // the whole rectangle is painted
  EXPECT_EQ(s.CountOf(clWhite, Rect(0, 0, 6, 30)), 0);
  EXPECT_EQ(s.CountOf(clWhite, Rect(6, 0, 80, 30)), 74 * 30);  // nothing outside it
}

TEST(Canvas, FontSizeChangesTheTextHeight) {
  Surface s(10, 10);
  s.Canvas.GetFont()->SetName(L"Arial");
  s.Canvas.GetFont()->SetSize(8);
  const int small = s.Canvas.TextHeight(L"A");
  s.Canvas.GetFont()->SetSize(24);
  EXPECT_GT(s.Canvas.TextHeight(L"A"), small * 2);
}

// ---- Copying ----------------------------------------------------------------------------------

TEST(Canvas, CopyRectAppliesTheCopyMode) {
  const TColor source = RGBColor(0x5A, 0x3C, 0x96);
  const TColor dest = RGBColor(0x33, 0xCC, 0x0F);
  const int S = ColorToInt(source), D = ColorToInt(dest);
  struct Case {
    TCopyMode Mode;
    int Expected;
  } cases[] = {{cmSrcCopy, S},          {cmSrcAnd, S & D},        {cmSrcPaint, S | D},
               {cmSrcInvert, S ^ D},    {cmNotSrcCopy, ~S & 0xFFFFFF}, {cmSrcErase, S & ~D & 0xFFFFFF},
               {cmBlackness, 0},        {cmWhiteness, 0xFFFFFF}};
  Surface from(8, 8);
  from.Fill(source);
  for (const Case& c : cases) {
    Surface to(8, 8);
    to.Fill(dest);
    to.Canvas.SetCopyMode(c.Mode);
    to.Canvas.CopyRect(Rect(2, 2, 6, 6), &from.Canvas, Rect(0, 0, 4, 4));
    EXPECT_EQ(to.At(3, 3), ColorFromInt(c.Expected)) << std::hex << c.Mode;
    EXPECT_EQ(to.At(1, 1), dest);
  }
}

TEST(Canvas, CopyRectStretches) {
  Surface from(4, 4), to(8, 8);
  from.Fill(clBlack);
  from.Canvas.SetPixels(0, 0, clRed);
  to.Fill(clWhite);
  to.Canvas.CopyRect(Rect(0, 0, 8, 8), &from.Canvas, Rect(0, 0, 4, 4));
  EXPECT_EQ(to.At(0, 0), clRed);
  EXPECT_EQ(to.At(1, 1), clRed);  // one source pixel became two by two
  EXPECT_EQ(to.At(2, 2), clBlack);
}

// A graphic that records where and with which DC colours it was asked to draw.
class RecordingGraphic : public TGraphic {
 public:
  bool GetEmpty() const override { return Width == 0; }
  int GetWidth() const override { return Width; }
  void SetWidth(int value) override { Width = value; }
  int GetHeight() const override { return Height; }
  void SetHeight(int value) override { Height = value; }
  void Draw(TCanvas* canvas, const TRect& r) override {
    ++Draws;
    Where = r;
    BackColor = ::GetBkColor(canvas->GetHandle());
  }
  void LoadFromStream(TStream&) override {}
  void SaveToStream(TStream&) override {}
  void LoadFromClipboardFormat(UINT, HANDLE, HPALETTE) override {}
  void SaveToClipboardFormat(UINT&, HANDLE&, HPALETTE&) override {}

  int Width = 0, Height = 0, Draws = 0;
  TRect Where;
  COLORREF BackColor = 0;
};

TEST(Canvas, DrawGivesTheGraphicItsOwnSizeStretchDrawTheRect) {
  Surface s(10, 10);
  RecordingGraphic graphic;
  s.Canvas.Draw(1, 2, &graphic);  // empty: nothing to draw
  s.Canvas.Draw(1, 2, nullptr);
  EXPECT_EQ(graphic.Draws, 0);
  graphic.Width = 5;
  graphic.Height = 3;
  s.Canvas.GetBrush()->SetColor(clTeal);
  s.Canvas.Draw(1, 2, &graphic);
  EXPECT_EQ(graphic.Where, Rect(1, 2, 6, 5));
  EXPECT_EQ(graphic.BackColor, ColorToRGB(clTeal));  // for monochrome images
  s.Canvas.StretchDraw(Rect(0, 0, 9, 9), &graphic);
  EXPECT_EQ(graphic.Where, Rect(0, 0, 9, 9));
  EXPECT_EQ(graphic.Draws, 2);
}

TEST(Canvas, BrushCopyPaintsTheKeyColourWithTheBrush) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(4, 4);
  bitmap.GetCanvas()->GetBrush()->SetColor(clRed);
  bitmap.GetCanvas()->FillRect(Rect(0, 0, 4, 4));
  bitmap.GetCanvas()->GetBrush()->SetColor(clLime);
  bitmap.GetCanvas()->FillRect(Rect(1, 1, 3, 3));

  Surface s(10, 10);
  s.Fill(clWhite);
  s.Canvas.GetBrush()->SetColor(clBlue);
  s.Canvas.BrushCopy(Rect(2, 2, 6, 6), &bitmap, Rect(0, 0, 4, 4), clLime);
  EXPECT_EQ(s.At(2, 2), clRed);
  EXPECT_EQ(s.At(5, 5), clRed);
  EXPECT_EQ(s.At(3, 3), clBlue);
  EXPECT_EQ(s.At(4, 4), clBlue);
  EXPECT_EQ(s.At(6, 6), clWhite);
  EXPECT_EQ(bitmap.GetCanvas()->GetPixels(1, 1), clLime);  // the bitmap is unchanged
  // The canvas's own DC colours are as they were: solid text backgrounds still work.
  EXPECT_EQ(::GetBkColor(s.DC()), ColorToRGB(clBlue));
}

// ---- Events and state --------------------------------------------------------------------------

TEST(Canvas, DrawingFiresChangingThenChange_ToolChangesDoNot) {
  Surface s(10, 10);
  String log;
  s.Canvas.SetOnChanging([&](TObject* sender) {
    EXPECT_EQ(sender, &s.Canvas);
    log += L"<";
  });
  s.Canvas.SetOnChange([&](TObject*) { log += L">"; });
  s.Canvas.FillRect(Rect(0, 0, 2, 2));
  s.Canvas.GetFont()->SetSize(20);
  s.Canvas.GetPen()->SetColor(clRed);
  EXPECT_EQ(log, L"<>");
  s.Canvas.MoveTo(0, 0);  // moving draws nothing
  EXPECT_EQ(log, L"<>");
}

TEST(Canvas, AToolChangeIsSelectedByTheNextDrawing) {
  Surface s(10, 10);
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
  Surface s(10, 10);
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
  EXPECT_EQ(font.GetName(), L"宋体");
  EXPECT_EQ(font.GetCharset(), GB2312_CHARSET);
  font.SetPixelsPerInch(96);
  font.SetSize(12);
  EXPECT_EQ(font.GetHeight(), -16);
  EXPECT_EQ(font.GetSize(), 12);
  font.SetHeight(-13);
  EXPECT_EQ(font.GetSize(), 10);  // 9.75 rounds to 10

  TFont printerFont;
  printerFont.SetPixelsPerInch(600);
  printerFont.Assign(&font);
  EXPECT_EQ(printerFont.GetSize(), 10);  // the size is kept, not the pixel height
  EXPECT_EQ(printerFont.GetHeight(), -83);
  EXPECT_EQ(printerFont.GetPixelsPerInch(), 600);
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
  EXPECT_TRUE(font.GetStyle().Contains(fsBold));
  EXPECT_FALSE(font.GetStyle().Contains(fsUnderline));

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
    a->SetName(L"Courier New");
    b->SetName(L"Courier New");
    a->SetSize(17);
    b->SetSize(17);
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
  LOGFONTW lf{};
  lf.lfHeight = -20;
  lf.lfWeight = FW_BOLD;
  lf.lfUnderline = TRUE;
  lf.lfCharSet = ANSI_CHARSET;
  lf.lfPitchAndFamily = FIXED_PITCH;
  wcscpy(lf.lfFaceName, L"Courier New");
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
    EXPECT_EQ(font.GetCharset(), ANSI_CHARSET);
    EXPECT_TRUE(font.GetStyle() == (TFontStyles{fsBold, fsUnderline}));

    TFont other;
    other.SetHandle(made);  // shared, not owned twice
    EXPECT_EQ(other.GetHandle(), made);
    font.SetHandle(reinterpret_cast<HFONT>(::GetStockObject(BLACK_BRUSH)));  // not a font
    EXPECT_EQ(font.GetHandle(), made);
  }
  EXPECT_FALSE(IsAlive(made));
}

TEST(Pen, PropertiesMakeTheHandle) {
  TPen pen;
  int changes = 0;
  pen.SetOnChange([&](TObject*) { ++changes; });
  pen.SetColor(clRed);
  pen.SetWidth(3);
  pen.SetStyle(psInsideFrame);
  pen.SetMode(pmNotXor);
  pen.SetWidth(-1);  // ignored
  EXPECT_EQ(changes, 4);
  LOGPEN lp{};
  ASSERT_EQ(::GetObjectW(pen.GetHandle(), sizeof(lp), &lp), static_cast<int>(sizeof(lp)));
  EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_INSIDEFRAME));
  EXPECT_EQ(lp.lopnWidth.x, 3);
  EXPECT_EQ(lp.lopnColor, RGB(255, 0, 0));
  EXPECT_EQ(PenModeToROP2(pen.GetMode()), R2_NOTXORPEN);

  TPen copy;
  copy.Assign(&pen);
  EXPECT_EQ(copy.GetHandle(), pen.GetHandle());
  EXPECT_EQ(copy.GetMode(), pmNotXor);
}

TEST(Brush, StylesAndClearBrushes) {
  TBrush a, b;
  a.SetColor(clRed);
  a.SetStyle(bsClear);
  EXPECT_EQ(a.GetColor(), clWhite);  // every clear brush is the same brush
  b.SetStyle(bsClear);
  EXPECT_EQ(a.GetHandle(), b.GetHandle());
  b.SetColor(clBlue);
  EXPECT_EQ(b.GetStyle(), bsSolid);  // a colour makes a clear brush solid

  a.SetStyle(bsDiagCross);
  a.SetColor(clGreen);
  LOGBRUSH lb{};
  ASSERT_EQ(::GetObjectW(a.GetHandle(), sizeof(lb), &lb), static_cast<int>(sizeof(lb)));
  EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_HATCHED));
  EXPECT_EQ(lb.lbHatch, static_cast<ULONG_PTR>(HS_DIAGCROSS));
  EXPECT_EQ(lb.lbColor, RGB(0, 128, 0));
  EXPECT_THROW(a.Assign(nullptr), EConvertError);
}

TEST(Brush, PatternFromABitmapHandle) {
  // 8x8 monochrome pattern, rows padded to 16 bits: the left four pixels set.
  const WORD rows[8] = {0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0};
  UniqueBitmap pattern(::CreateBitmap(8, 8, 1, 1, rows));
  Surface s(16, 8);
  s.Fill(clRed);
  s.Canvas.GetBrush()->SetColor(clWhite);  // the 1 bits; the 0 bits take the text colour
  s.Canvas.GetBrush()->SetBitmapHandle(pattern.get());
  pattern.reset();  // the brush was made at once; the bitmap may go
  s.Canvas.FillRect(Rect(0, 0, 16, 8));
  EXPECT_EQ(s.At(0, 0), clWhite);
  EXPECT_EQ(s.At(5, 3), clBlack);
  EXPECT_EQ(s.At(11, 7), clWhite);
  EXPECT_EQ(s.At(13, 0), clBlack);

  s.Canvas.GetBrush()->SetColor(clBlue);  // a new colour makes a plain brush
  s.Canvas.FillRect(Rect(0, 0, 16, 8));
  EXPECT_EQ(s.At(5, 3), clBlue);
}

TEST(Brush, PatternFromATBitmap) {
  Surface s(16, 8);
  {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(8, 8);
    bitmap.GetCanvas()->GetBrush()->SetColor(clYellow);
    bitmap.GetCanvas()->FillRect(Rect(0, 0, 8, 8));
    bitmap.GetCanvas()->GetBrush()->SetColor(clPurple);
    bitmap.GetCanvas()->FillRect(Rect(0, 0, 2, 8));
    s.Canvas.GetBrush()->SetBitmap(&bitmap);
    EXPECT_EQ(s.Canvas.GetBrush()->GetBitmap(), &bitmap);
  }
  s.Canvas.FillRect(Rect(0, 0, 16, 8));  // the bitmap is gone; the pattern was made
  EXPECT_EQ(s.At(1, 0), clPurple);
  EXPECT_EQ(s.At(2, 0), clYellow);
  EXPECT_EQ(s.At(9, 7), clPurple);
  s.Canvas.GetBrush()->SetBitmap(nullptr);
  EXPECT_EQ(s.Canvas.GetBrush()->GetBitmap(), nullptr);
}

TEST(Tools, DrawingWithChangingToolsLeaksNoGdiObjects) {
  std::set<HGDIOBJ> used;
  const DWORD before = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  {
    Surface s(40, 40);
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
  const DWORD after = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  EXPECT_EQ(after, before);
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
