// The drawing and system utilities: shortening texts, the directory test, glyph cells,
// transparent and opaque stretched drawing and greyed pictures on memory surfaces, memory
// blocks, and the message routine that must not lose a quit request.
#include <gtest/gtest.h>

#include "ExtendedTestSupport.h"
#include "classlib/forms/Forms.h"
#include "classlib/system/SysFiles.h"
#include "controls/extended/RxUtils.h"

namespace {

// A bitmap of w x h in background with a filled rectangle r in colour.
void Paint(TBitmap& b, int w, int h, TColor background, const TRect& r, TColor colour) {
  b.SetSize(w, h);
  b.GetCanvas()->GetBrush()->SetColor(background);
  b.GetCanvas()->FillRect(Rect(0, 0, w, h));
  b.GetCanvas()->GetBrush()->SetColor(colour);
  b.GetCanvas()->FillRect(r);
}

TColor Sys(TColor c) { return ColorFromInt(static_cast<int32_t>(ColorToRGB(c))); }

}  // namespace

TEST(DrawingUtils, ShortenString) {
  MemorySurface surface(10, 10);
  TCanvas* canvas = &surface.Canvas;
  const int wide = canvas->TextWidth(L"Question bank");
  const int dots = canvas->TextWidth(L"...");
  EXPECT_EQ(ShortenString(L"Question bank", canvas, wide), L"Question bank") << "fits";
  const String cut = ShortenString(L"Question bank", canvas, wide - 1);
  EXPECT_EQ(cut.substr(cut.size() - 3), L"...");
  EXPECT_LE(canvas->TextWidth(cut), wide - 1);
  EXPECT_EQ(ShortenString(L"Question bank", canvas, dots - 1), L"...") << "nothing more fits";
  EXPECT_EQ(ShortenString(L"", canvas, 0), L"");
}

TEST(DrawingUtils, DirExists) {
  const String dir = ExpandFileName(L"dir_exists_probe");
  ::CreateDirectoryW(dir.c_str(), nullptr);
  const String file = dir + L"\\file.txt";
  ::CloseHandle(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  EXPECT_TRUE(DirExists(dir));
  EXPECT_TRUE(DirExists(dir + L"\\"));
  EXPECT_FALSE(DirExists(file)) << "a file is no folder";
  EXPECT_FALSE(DirExists(dir + L"\\missing"));
  EXPECT_FALSE(DirExists(L""));
  ::DeleteFileW(file.c_str());
  ::RemoveDirectoryW(dir.c_str());
  EXPECT_FALSE(DirExists(dir));
}

TEST(DrawingUtils, AssignBitmapCellCutsRowByRow) {
  TBitmap strip, cell;
  Paint(strip, 40, 20, clWhite, Rect(30, 10, 40, 20), clRed);  // the last of 4 x 2 cells
  AssignBitmapCell(&strip, &cell, 4, 2, 7);
  EXPECT_EQ(cell.GetWidth(), 10);
  EXPECT_EQ(cell.GetHeight(), 10);
  EXPECT_EQ(cell.GetCanvas()->GetPixels(5, 5), clRed);
  AssignBitmapCell(&strip, &cell, 0, 0, -3);  // one column, one row, the first cell
  EXPECT_EQ(cell.GetWidth(), 40);
  EXPECT_EQ(cell.GetCanvas()->GetPixels(35, 15), clRed);
  EXPECT_EQ(cell.GetCanvas()->GetPixels(0, 0), clWhite);
}

TEST(DrawingUtils, TransparentAndOpaqueStretches) {
  TBitmap picture;
  Paint(picture, 8, 8, clFuchsia, Rect(2, 2, 6, 6), clBlue);
  MemorySurface surface(40, 40, clGreen);
  // The bottom-left pixel's colour is transparent by default.
  StretchBitmapRectTransparent(&surface.Canvas, 0, 0, 16, 16, TRect(), &picture, clDefault);
  EXPECT_EQ(surface.At(1, 1), clGreen);
  EXPECT_EQ(surface.At(8, 8), clBlue) << "stretched twice";
  EXPECT_EQ(surface.At(4, 4), clBlue);
  EXPECT_EQ(surface.At(3, 3), clGreen);
  // clNone draws it opaque; a size below 1 takes the bitmap's.
  StretchBitmapRectTransparent(&surface.Canvas, 20, 20, 0, 0, TRect(), &picture, clNone);
  EXPECT_EQ(surface.At(20, 20), clFuchsia);
  EXPECT_EQ(surface.At(23, 23), clBlue);
  EXPECT_EQ(surface.At(28, 28), clGreen);
  // A given colour is the transparent one: here the blue square.
  surface.Fill(clGreen);
  DrawBitmapRectTransparent(&surface.Canvas, 0, 0, Rect(0, 0, 8, 8), &picture, clBlue);
  EXPECT_EQ(surface.At(0, 0), clFuchsia);
  EXPECT_EQ(surface.At(4, 4), clGreen);
  // A part of the bitmap.
  surface.Fill(clGreen);
  DrawBitmapRectTransparent(&surface.Canvas, 0, 0, Rect(2, 2, 4, 4), &picture, clNone);
  EXPECT_EQ(surface.At(0, 0), clBlue);
  EXPECT_EQ(surface.At(2, 2), clGreen);
}

TEST(DrawingUtils, DrawingLeaksNoHandles) {
  TBitmap picture;
  Paint(picture, 8, 8, clFuchsia, Rect(2, 2, 6, 6), clBlue);
  MemorySurface surface(40, 40, clGreen);
  const DWORD before = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  for (int i = 0; i < 50; ++i) {
    StretchBitmapRectTransparent(&surface.Canvas, 0, 0, 16, 16, TRect(), &picture, clDefault);
    CreateGrayedBitmap(&picture, clBlue);
  }
  EXPECT_LE(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), before + 2);
}

TEST(DrawingUtils, GreyedPicturesKeepTheOutlineColourDark) {
  TBitmap picture;
  Paint(picture, 10, 10, clWhite, Rect(2, 2, 5, 5), clBlack);
  picture.GetCanvas()->GetBrush()->SetColor(clRed);
  picture.GetCanvas()->FillRect(Rect(6, 6, 9, 9));
  std::unique_ptr<TBitmap> grey = CreateGrayedBitmapEx(&picture, clBlack, clSilver, clWhite, clGray, true);
  TCanvas* c = grey->GetCanvas();
  EXPECT_EQ(c->GetPixels(3, 3), clGray) << "black becomes the shadow";
  EXPECT_EQ(c->GetPixels(5, 5), clWhite) << "its highlight one pixel down-right";
  EXPECT_EQ(c->GetPixels(7, 7), clSilver) << "other colours vanish into the background";
  EXPECT_EQ(c->GetPixels(0, 0), clSilver);
  grey = CreateGrayedBitmapEx(&picture, clBlack, clSilver, clWhite, clGray, false);
  EXPECT_EQ(grey->GetCanvas()->GetPixels(5, 5), clSilver) << "no highlight";
  grey = CreateGrayedBitmap(&picture, clBlack);
  EXPECT_EQ(grey->GetCanvas()->GetPixels(3, 3), Sys(clBtnShadow));
  EXPECT_EQ(grey->GetCanvas()->GetPixels(0, 0), Sys(clBtnFace));
  // A monochrome picture keeps its black pixels dark.
  TBitmap mono;
  Paint(mono, 10, 10, clWhite, Rect(2, 2, 5, 5), clBlack);
  mono.SetMonochrome(true);
  grey = CreateGrayedBitmapEx(&mono, clBlack, clSilver, clWhite, clGray, false);
  EXPECT_EQ(grey->GetCanvas()->GetPixels(3, 3), clGray);
  EXPECT_EQ(grey->GetCanvas()->GetPixels(7, 7), clSilver);
  TBitmap empty;
  EXPECT_TRUE(CreateGrayedBitmap(&empty, clBlack)->GetEmpty());
}

TEST(DrawingUtils, MemoryBlocks) {
  EXPECT_EQ(AllocMemo(0), nullptr);
  EXPECT_EQ(AllocMemo(-5), nullptr);
  void* p = AllocMemo(100);
  ASSERT_NE(p, nullptr);
  const unsigned char zeros[100] = {};
  EXPECT_TRUE(CompareMem(p, zeros, 100)) << "zero-filled";
  static_cast<unsigned char*>(p)[99] = 1;
  EXPECT_FALSE(CompareMem(p, zeros, 100));
  EXPECT_TRUE(CompareMem(p, zeros, 99));
  EXPECT_TRUE(CompareMem(p, zeros, 0));
  FreeMemo(p);
  EXPECT_EQ(p, nullptr);
  FreeMemo(p);  // nothing to free
  EXPECT_EQ(PaletteColor(clRed), 0x020000FFu);
}

TEST(DrawingUtils, KillMessagePutsAQuitRequestBack) {
  ::PostQuitMessage(3);
  KillMessage(nullptr, WM_QUIT);
  MSG msg{};
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
  const HWND wnd = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ::PostMessageW(wnd, WM_USER + 7, 0, 0);
  KillMessage(wnd, WM_USER + 7);
  EXPECT_FALSE(::PeekMessageW(&msg, wnd, WM_USER + 7, WM_USER + 7, PM_REMOVE));
  ::DestroyWindow(wnd);
}

TEST(DrawingUtils, NotImplementedTellsTheUserAndEndsSilently) {
  bool aborted = false;
  extended_tests::WithKeys({VK_RETURN}, [&] {
    try {
      NotImplemented();
    } catch (const EAbort&) {
      aborted = true;
    }
  });
  EXPECT_TRUE(aborted);
}

TEST(DrawingUtils, ImageListImagesDrawnDisabled) {
  TCustomImageList images(nullptr);
  images.SetWidth(10);
  images.SetHeight(10);
  TBitmap picture;
  Paint(picture, 10, 10, clFuchsia, Rect(2, 2, 6, 6), clBlue);
  images.AddMasked(&picture, clFuchsia);
  MemorySurface surface(20, 20, clWhite);
  surface.Canvas.GetBrush()->SetColor(clGreen);
  ImageListDrawDisabled(&images, &surface.Canvas, 0, 0, 0, clYellow, clGray, true);
  EXPECT_EQ(surface.At(3, 3), clGray) << "the shape in the grey colour";
  EXPECT_EQ(surface.At(6, 6), clYellow) << "its highlight down-right";
  EXPECT_EQ(surface.At(8, 8), clWhite) << "transparent parts untouched";
  EXPECT_EQ(surface.Canvas.GetBrush()->GetColor(), clGreen) << "the brush comes back";
  ImageListDrawDisabled(&images, &surface.Canvas, 0, 0, 5, clYellow, clGray, true);  // no image 5
}

TEST(DrawingUtils, TheHandAndDragCursorsAreRegistered) {
  RegisterExtendedCursors();
  EXPECT_NE(Screen->GetCursors(crHand), Screen->GetCursors(crArrow));
  EXPECT_NE(Screen->GetCursors(crDragHand), Screen->GetCursors(crArrow));
  EXPECT_NE(Screen->GetCursors(crHand), Screen->GetCursors(crDragHand));
}
