// TBitmap and TPicture on memory DCs: stream round trips of every pixel format, scan lines,
// resizing, copy-on-write sharing, transparent and stretched drawing, the clipboard forms,
// the picture's file and layout data, and GDI objects over many cycles.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "GraphicStreams.h"
#include "MemorySurface.h"
#include "classlib/classes/Streams.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/BmpFormat.h"
#include "classlib/graphics/Graphic.h"
#include "classlib/graphics/Icon.h"

namespace {

TColor PixelOf(TBitmap& bitmap, int x, int y) { return bitmap.GetCanvas()->GetPixels(x, y); }

String TempFile(const String& name) {
  wchar_t path[MAX_PATH];
  ::GetTempPathW(MAX_PATH, path);
  return String(path) + name;
}

}  // namespace

// ---- Streams and formats ------------------------------------------------------------------------------

TEST(Bitmap, EveryPixelFormatSurvivesAStreamRoundTrip) {
  for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    SCOPED_TRACE(static_cast<int>(format));
    TBitmap original;
    MakeSquare(original, format, 5, 4, clBlack, clWhite);
    const std::vector<uint8_t> bytes = SavedBytes(original);
    TBitmap loaded;
    LoadGraphic(loaded, bytes);
    EXPECT_EQ(loaded.GetPixelFormat(), format);
    EXPECT_EQ(loaded.GetWidth(), 5);
    EXPECT_EQ(loaded.GetHeight(), 4);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x)
        EXPECT_EQ(PixelOf(loaded, x, y), PixelOf(original, x, y)) << x << "," << y;
  }
}

TEST(Bitmap, DeviceBitmapIsSavedAndConverted) {
  TBitmap bitmap;
  MakeSquare(bitmap, pfDevice, 4, 4, clBlue, clYellow);
  EXPECT_EQ(bitmap.GetHandleType(), bmDDB);
  TBitmap loaded;
  LoadGraphic(loaded, SavedBytes(bitmap));
  EXPECT_EQ(loaded.GetHandleType(), bmDIB);
  EXPECT_EQ(PixelOf(loaded, 2, 2), clYellow);
  EXPECT_EQ(PixelOf(loaded, 3, 3), clBlue);

  bitmap.SetPixelFormat(pf8bit);
  EXPECT_EQ(bitmap.GetHandleType(), bmDIB);
  EXPECT_EQ(PixelOf(bitmap, 2, 2), clYellow);  // pure colours are in the 8-bit palette
  bitmap.SetMonochrome(true);
  EXPECT_TRUE(bitmap.GetMonochrome());
  EXPECT_EQ(PixelOf(bitmap, 0, 0), clBlack);  // only white stays white
  EXPECT_THROW(bitmap.SetPixelFormat(pfCustom), EInvalidGraphic);
}

TEST(Bitmap, DamagedStreamRaisesAndKeepsTheImage) {
  TBitmap bitmap;
  MakeSquare(bitmap, pf24bit, 4, 4, clRed, clGreen);
  std::vector<uint8_t> bytes = SavedBytes(bitmap);
  bytes.resize(bytes.size() / 2);
  EXPECT_THROW(LoadGraphic(bitmap, bytes), EInvalidGraphic);
  EXPECT_EQ(bitmap.GetWidth(), 4);
  EXPECT_EQ(PixelOf(bitmap, 1, 1), clGreen);
}

// ---- Scan lines and size ------------------------------------------------------------------------------

TEST(Bitmap, ScanLineRowZeroIsTheTopRow) {
  TBitmap bitmap;
  MakeSquare(bitmap, pf24bit, 4, 5, clWhite, clWhite);
  bitmap.GetCanvas()->SetPixels(0, 0, clRed);
  bitmap.GetCanvas()->SetPixels(0, 4, clBlue);
  const auto* top = static_cast<const uint8_t*>(bitmap.GetScanLine(0));
  EXPECT_EQ(top[0], 0x00);
  EXPECT_EQ(top[2], 0xFF);  // B, G, R: red
  const auto* bottom = static_cast<const uint8_t*>(bitmap.GetScanLine(4));
  EXPECT_EQ(bottom[0], 0xFF);  // blue
  EXPECT_EQ(bottom[2], 0x00);

  // Writing through a scan line shows on the canvas.
  auto* row = static_cast<uint8_t*>(bitmap.GetScanLine(2));
  row[3] = row[5] = 0x00;
  row[4] = 0xFF;
  EXPECT_EQ(PixelOf(bitmap, 1, 2), clLime);

  try {
    bitmap.GetScanLine(5);
    FAIL() << "no exception";
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), L"Scan line index out of range");
  }
  EXPECT_THROW(bitmap.GetScanLine(-1), EInvalidGraphicOperation);

  // A top-down section given as a handle: row 0 is its first row.
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, -2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP section = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  bitmap.SetHandle(section);  // the bitmap owns it now
  EXPECT_EQ(bitmap.GetPixelFormat(), pf32bit);
  EXPECT_EQ(bitmap.GetScanLine(0), bits);
  EXPECT_EQ(bitmap.GetScanLine(1), static_cast<uint8_t*>(bits) + 12);

  // A device bitmap becomes a DIB to hand out its rows.
  TBitmap device;
  MakeSquare(device, pfDevice, 4, 4, clBlack, clRed);
  const auto* deviceRow = static_cast<const uint8_t*>(device.GetScanLine(1));
  EXPECT_EQ(device.GetHandleType(), bmDIB);
  const int bytesPerPixel = device.GetPixelFormat() == pf32bit ? 4 : 3;
  EXPECT_EQ(deviceRow[bytesPerPixel * 1 + 2], 0xFF);
  EXPECT_EQ(deviceRow[2], 0x00);
}

TEST(Bitmap, ResizingKeepsTheTopLeftPart) {
  TBitmap bitmap;
  MakeSquare(bitmap, pf24bit, 4, 4, clRed, clBlue);
  bitmap.GetCanvas()->GetBrush()->SetColor(clGray);
  bitmap.SetSize(6, 2);
  EXPECT_EQ(PixelOf(bitmap, 1, 1), clBlue);
  EXPECT_EQ(PixelOf(bitmap, 0, 0), clRed);
  EXPECT_EQ(PixelOf(bitmap, 5, 0), clGray);  // the brush colour of the canvas

  TBitmap bits4;
  MakeSquare(bits4, pf4bit, 3, 3, clNavy, clYellow);  // odd widths split bytes
  bits4.SetWidth(5);
  EXPECT_EQ(PixelOf(bits4, 2, 2), clYellow);
  EXPECT_EQ(PixelOf(bits4, 2, 0), clNavy);
  bits4.SetHeight(0);
  EXPECT_TRUE(bits4.GetEmpty());
  EXPECT_EQ(bits4.GetPixelFormat(), pf4bit);  // an empty bitmap remembers its format
}

// ---- Sharing ---------------------------------------------------------------------------------------

TEST(Bitmap, AssignSharesUntilOneIsWritten) {
  TBitmap a;
  MakeSquare(a, pf8bit, 4, 4, clWhite, clRed);
  TBitmap b;
  b.Assign(&a);
  EXPECT_EQ(b.GetPalette(), a.GetPalette());  // one image: one palette handle
  EXPECT_TRUE(b.Equals(&a));

  b.GetCanvas()->SetPixels(0, 0, clBlue);
  EXPECT_NE(b.GetPalette(), a.GetPalette());
  EXPECT_EQ(PixelOf(b, 0, 0), clBlue);
  EXPECT_EQ(PixelOf(a, 0, 0), clWhite);
  EXPECT_FALSE(b.Equals(&a));

  TBitmap c;
  c.Assign(&a);
  static_cast<uint8_t*>(a.GetScanLine(3))[0] = 0;  // writing the source separates it too
  EXPECT_EQ(PixelOf(c, 0, 3), clWhite);
  EXPECT_EQ(PixelOf(a, 0, 3), clBlack);

  c.Assign(nullptr);
  EXPECT_TRUE(c.GetEmpty());
  EXPECT_EQ(PixelOf(a, 1, 1), clRed);
}

TEST(Bitmap, DormantKeepsThePixels_ReleaseHandleHandsThemOver) {
  TBitmap bitmap;
  MakeSquare(bitmap, pf24bit, 4, 3, clGreen, clFuchsia);
  bitmap.Dormant();
  EXPECT_FALSE(bitmap.HandleAllocated());
  EXPECT_EQ(bitmap.GetWidth(), 4);
  EXPECT_EQ(PixelOf(bitmap, 2, 2), clFuchsia);
  EXPECT_TRUE(bitmap.HandleAllocated());

  UniqueBitmap handle(bitmap.ReleaseHandle());
  ASSERT_TRUE(handle);
  EXPECT_TRUE(bitmap.GetEmpty());
  BITMAP bm{};
  ASSERT_NE(::GetObjectW(handle.get(), sizeof(bm), &bm), 0);
  EXPECT_EQ(bm.bmWidth, 4);
}

// ---- Drawing ----------------------------------------------------------------------------------------

TEST(Bitmap, TransparentDrawLeavesKeyColouredPixelsUntouched) {
  for (TPixelFormat format : {pfDevice, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit}) {
    SCOPED_TRACE(static_cast<int>(format));
    TBitmap bitmap;
    MakeSquare(bitmap, format, 4, 4, clFuchsia, clLime);
    bitmap.SetTransparent(true);
    EXPECT_EQ(bitmap.GetTransparentColor(), clFuchsia);  // the bottom-left pixel

    MemorySurface surface(8, 8, clNavy);
    surface.Canvas.Draw(2, 2, &bitmap);
    EXPECT_EQ(surface.At(2, 2), clNavy);   // key colour: untouched
    EXPECT_EQ(surface.At(4, 4), clLime);
    EXPECT_EQ(surface.At(6, 6), clNavy);   // outside the bitmap

    surface.Canvas.StretchDraw(Rect(0, 0, 8, 8), &bitmap);  // the mask stretches alike
    EXPECT_EQ(surface.At(0, 0), clNavy);
    EXPECT_EQ(surface.At(3, 3), clLime);
    EXPECT_EQ(surface.At(7, 7), clNavy);
  }
}

TEST(Bitmap, FixedTransparentColourMayBeASystemColour) {
  TBitmap bitmap;
  MakeSquare(bitmap, pf24bit, 4, 4, clBtnFace, clRed);
  bitmap.GetCanvas()->SetPixels(0, 3, clRed);  // the automatic key would be red now
  bitmap.SetTransparent(true);
  bitmap.SetTransparentColor(clBtnFace);
  EXPECT_EQ(bitmap.GetTransparentMode(), tmFixed);
  MemorySurface surface(4, 4, clWhite);
  surface.Canvas.Draw(0, 0, &bitmap);
  EXPECT_EQ(surface.At(3, 0), clWhite);
  EXPECT_EQ(surface.At(1, 1), clRed);
  EXPECT_EQ(surface.At(0, 3), clRed);

  bitmap.SetTransparentMode(tmAuto);  // back to the bottom-left pixel: red
  surface.Fill(clWhite);
  surface.Canvas.Draw(0, 0, &bitmap);
  EXPECT_EQ(surface.At(1, 1), clWhite);
  EXPECT_EQ(ColorToRGB(surface.At(3, 0)), ColorToRGB(clBtnFace));
}

TEST(Bitmap, MaskIsRemadeWhenThePixelsChange) {
  TBitmap bitmap;
  MakeSquare(bitmap, pf24bit, 4, 4, clFuchsia, clLime);
  bitmap.SetTransparent(true);
  MemorySurface surface(4, 4, clNavy);
  surface.Canvas.Draw(0, 0, &bitmap);
  EXPECT_EQ(surface.At(3, 0), clNavy);
  bitmap.GetCanvas()->SetPixels(3, 0, clYellow);
  surface.Canvas.Draw(0, 0, &bitmap);
  EXPECT_EQ(surface.At(3, 0), clYellow);

  // The mask itself: 1 (white) where the key colour is.
  UniqueDC dc(::CreateCompatibleDC(nullptr));
  SelectObjectScope select(dc.get(), bitmap.GetMaskHandle());
  EXPECT_EQ(::GetPixel(dc.get(), 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(::GetPixel(dc.get(), 1, 1), RGB(0, 0, 0));
}

TEST(Bitmap, MonochromeBitmapDrawsTransparentlyInTheCanvasColours) {
  TBitmap bitmap;
  MakeSquare(bitmap, pf24bit, 4, 4, clWhite, clBlack);
  bitmap.SetMonochrome(true);
  bitmap.SetTransparent(true);
  EXPECT_EQ(bitmap.GetTransparentColor(), clWhite);
  MemorySurface surface(4, 4, clNavy);
  surface.Canvas.GetFont()->SetColor(clRed);  // a monochrome image's 0 bits take it
  surface.Canvas.Draw(0, 0, &bitmap);
  EXPECT_EQ(surface.At(0, 0), clNavy);
  EXPECT_EQ(surface.At(1, 1), clRed);

  bitmap.SetTransparentColor(clBlack);  // now the square is the see-through part
  surface.Fill(clNavy);
  surface.Canvas.GetBrush()->SetColor(clLime);  // and the 1 bits take the brush colour
  surface.Canvas.Draw(0, 0, &bitmap);
  EXPECT_EQ(surface.At(1, 1), clNavy);
  EXPECT_EQ(surface.At(0, 0), clLime);
}

TEST(Bitmap, TransparentDrawOnAPaletteTarget) {
  // An 8-bit target: the raster operations must not mix palette indices.
  TBitmap target;
  MakeSquare(target, pf8bit, 6, 6, clTeal, clTeal);
  TBitmap source;
  MakeSquare(source, pf24bit, 4, 4, clFuchsia, clRed);
  source.SetTransparent(true);
  target.GetCanvas()->Draw(1, 1, &source);
  EXPECT_EQ(PixelOf(target, 1, 1), clTeal);
  EXPECT_EQ(PixelOf(target, 2, 2), clRed);
  EXPECT_EQ(PixelOf(target, 4, 4), clTeal);
}

TEST(Bitmap, StretchDrawScalesAndCopyModeApplies) {
  TBitmap bitmap;
  MakeSquare(bitmap, pf24bit, 2, 2, clRed, clYellow);  // the square is clipped to (1, 1)
  bitmap.GetCanvas()->SetPixels(1, 0, clLime);
  bitmap.GetCanvas()->SetPixels(0, 1, clBlue);
  MemorySurface surface(8, 8);
  surface.Canvas.StretchDraw(Rect(0, 0, 8, 8), &bitmap);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const TColor expected = y < 4 ? (x < 4 ? clRed : clLime) : (x < 4 ? clBlue : clYellow);
      EXPECT_EQ(surface.At(x, y), expected) << x << "," << y;
    }

  surface.Canvas.SetCopyMode(cmNotSrcCopy);
  surface.Canvas.Draw(0, 0, &bitmap);
  EXPECT_EQ(surface.At(0, 0), clAqua);  // not red
}

// ---- Clipboard forms ------------------------------------------------------------------------------

TEST(Bitmap, ClipboardFormsRoundTrip) {
  TBitmap bitmap;
  MakeSquare(bitmap, pf24bit, 4, 3, clOlive, clSilver);
  UINT format = 0;
  HANDLE data = nullptr;
  HPALETTE palette = nullptr;
  bitmap.SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(format, static_cast<UINT>(CF_BITMAP));
  UniqueBitmap owned(static_cast<HBITMAP>(data));  // the caller owns what it gets
  UniquePalette ownedPalette(palette);
  TBitmap copy;
  copy.LoadFromClipboardFormat(CF_BITMAP, owned.get(), nullptr);
  EXPECT_EQ(copy.GetWidth(), 4);
  EXPECT_EQ(PixelOf(copy, 1, 1), clSilver);

  // A packed DIB in global memory.
  const std::vector<uint8_t> file = SavedBytes(bitmap);
  HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE, file.size() - 14);
  ASSERT_NE(global, nullptr);
  std::memcpy(::GlobalLock(global), file.data() + 14, file.size() - 14);
  ::GlobalUnlock(global);
  TBitmap fromDib;
  fromDib.LoadFromClipboardFormat(CF_DIB, global, nullptr);
  ::GlobalFree(global);
  EXPECT_EQ(PixelOf(fromDib, 2, 2), clSilver);

  EXPECT_THROW(fromDib.LoadFromClipboardFormat(CF_TEXT, nullptr, nullptr), EInvalidGraphic);
}

TEST(Bitmap, LoadsBitmapResources) {
  // The system's own bitmaps: packed DIBs in user32's resources.
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  TBitmap bitmap;
  bitmap.LoadFromResourceID(user32, 32759);  // OBM_CHECKBOXES
  EXPECT_FALSE(bitmap.GetEmpty());
  EXPECT_EQ(bitmap.GetHandleType(), bmDIB);
  EXPECT_THROW(bitmap.LoadFromResourceName(user32, L"NO_SUCH_BITMAP"), EResNotFound);
  EXPECT_FALSE(bitmap.GetEmpty());
}

// ---- TPicture --------------------------------------------------------------------------------------

TEST(Picture, LoadFromFileChoosesTheClassByExtension) {
  TBitmap bitmap;
  MakeSquare(bitmap, pf24bit, 5, 5, clMaroon, clAqua);
  const String name = TempFile(L"classlib_picture_test.BMP");
  bitmap.SaveToFile(name);

  TPicture picture;
  int changes = 0;
  picture.OnChange = [&changes](TObject*) { ++changes; };
  picture.LoadFromFile(name);
  ::DeleteFileW(name.c_str());
  ASSERT_NE(picture.GetGraphic(), nullptr);
  EXPECT_EQ(picture.GetGraphic()->ClassName(), L"TBitmap");
  EXPECT_EQ(picture.GetWidth(), 5);
  EXPECT_EQ(PixelOf(*picture.GetBitmap(), 2, 2), clAqua);
  EXPECT_GE(changes, 1);

  try {
    picture.LoadFromFile(L"C:\\nowhere\\picture.xyz");
    FAIL() << "no exception";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), L"Unknown picture file extension (.xyz)");
  }
  EXPECT_EQ(picture.GetWidth(), 5);  // the old graphic stays
}

TEST(Picture, HoldsCopiesAndSwitchesKind) {
  TBitmap bitmap;
  MakeSquare(bitmap, pf24bit, 3, 3, clRed, clRed);
  TPicture picture;
  picture.SetGraphic(&bitmap);
  ASSERT_NE(picture.GetGraphic(), &bitmap);  // a copy, owned by the picture
  bitmap.SetSize(7, 7);
  EXPECT_EQ(picture.GetWidth(), 3);

  int changes = 0;
  picture.OnChange = [&changes](TObject*) { ++changes; };
  picture.GetBitmap()->GetCanvas()->SetPixels(0, 0, clBlue);  // the graphic's changes reach it
  EXPECT_GE(changes, 1);

  ASSERT_NE(picture.GetIcon(), nullptr);
  EXPECT_EQ(picture.GetGraphic()->ClassName(), L"TIcon");
  EXPECT_TRUE(picture.GetGraphic()->GetEmpty());

  TPicture other;
  other.Assign(&picture);
  EXPECT_NE(other.GetGraphic(), picture.GetGraphic());
  other.Assign(nullptr);
  EXPECT_EQ(other.GetGraphic(), nullptr);
  EXPECT_EQ(other.GetWidth(), 0);

  TBitmap target;  // a bitmap takes a picture that holds one
  picture.SetGraphic(&bitmap);
  target.Assign(&picture);
  EXPECT_EQ(target.GetWidth(), 7);
}

TEST(Picture, LayoutDataIsClassNameThenGraphicData) {
  TPicture picture;
  MakeSquare(*picture.GetBitmap(), pf8bit, 4, 4, clWhite, clPurple);
  TMemoryStream stream;
  picture.WritePictureData(stream);
  const auto* bytes = static_cast<const uint8_t*>(stream.GetMemory());
  ASSERT_GT(stream.GetSize(), 12);
  EXPECT_EQ(bytes[0], 7);
  EXPECT_EQ(std::memcmp(bytes + 1, "TBitmap", 7), 0);
  const uint32_t size = bytes[8] | (bytes[9] << 8) | (bytes[10] << 16) | (bytes[11] << 24);
  EXPECT_EQ(size, stream.GetSize() - 12);  // the bitmap's Data: its size, then the file
  EXPECT_EQ(bytes[12], 'B');

  stream.SetPosition(0);
  TPicture loaded;
  loaded.ReadPictureData(stream);
  ASSERT_NE(loaded.GetGraphic(), nullptr);
  EXPECT_EQ(PixelOf(*loaded.GetBitmap(), 1, 1), clPurple);
  EXPECT_TRUE(loaded.GetGraphic()->Equals(picture.GetGraphic()));

  // An unknown class, and a Data size beyond the data.
  for (const std::vector<uint8_t>& bad :
       {std::vector<uint8_t>{5, 'T', 'N', 'o', 'n', 'e', 0, 0, 0, 0},
        std::vector<uint8_t>{7, 'T', 'B', 'i', 't', 'm', 'a', 'p', 0xFF, 0xFF, 0, 0, 'B', 'M'}}) {
    TMemoryStream stored;
    WriteBytes(stored, bad);
    stored.SetPosition(0);
    EXPECT_THROW(loaded.ReadPictureData(stored), EInvalidGraphic);
  }
}

// ---- The registry ---------------------------------------------------------------------------------

namespace {
class TTestGraphic : public TBitmap {
  CLASSLIB_CLASS(TTestGraphic, TBitmap)
  TGraphicClass GetGraphicClass() const override { return TGraphicClass::Of<TTestGraphic>(); }
};
}  // namespace

TEST(GraphicRegistry, FindsClassesByExtensionAndFormat) {
  EXPECT_EQ(GraphicClassForExtension(L"BMP").Info, TBitmap::StaticClassInfo());
  EXPECT_FALSE(GraphicClassForExtension(L"xyz"));
  EXPECT_EQ(GraphicClassForClipboardFormat(CF_BITMAP).Info, TBitmap::StaticClassInfo());
  EXPECT_TRUE(TPicture::SupportsClipboardFormat(CF_DIB));
  EXPECT_NE(GraphicFilter().find(L"Bitmaps (*.bmp)|*.bmp"), String::npos);
  EXPECT_EQ(GraphicFilter(TBitmap::StaticClassInfo()).find(L"All"), String::npos);

  RegisterFileFormat(L"tst", L"Test pictures", TGraphicClass::Of<TTestGraphic>());
  EXPECT_EQ(GraphicClassForExtension(L"TST").Info, TTestGraphic::StaticClassInfo());
  const String filter = GraphicFilter(TBitmap::StaticClassInfo());
  EXPECT_EQ(filter.find(L"All (*.tst;*.bmp)|*.tst;*.bmp|Test pictures (*.tst)|*.tst|"), 0u)
      << StringToUtf8(filter);
  UnregisterGraphicClass(TTestGraphic::StaticClassInfo());
  EXPECT_FALSE(GraphicClassForExtension(L"tst"));
  EXPECT_EQ(GraphicClassForExtension(L"bmp").Info, TBitmap::StaticClassInfo());
}

// ---- Resources -----------------------------------------------------------------------------------------

TEST(Bitmap, ManyCyclesLeakNoGdiObjects) {
  MemorySurface surface(16, 16);
  ResourceProbe probe;
  for (int i = 0; i < 1000; ++i) {
    TBitmap bitmap;
    MakeSquare(bitmap, i % 2 ? pf24bit : pfDevice, 8, 8, clFuchsia, clLime);
    bitmap.SetTransparent(true);
    surface.Canvas.Draw(i % 8, 0, &bitmap);
    TBitmap copy;
    copy.Assign(&bitmap);
    copy.GetCanvas()->SetPixels(0, 0, clRed);
    copy.SetPixelFormat(pf8bit);
    surface.Canvas.StretchDraw(Rect(0, 0, 16, 16), &copy);
    copy.Dormant();
    copy.SetWidth(4);
    bitmap.GetPalette();
    if (i % 100 == 0) FreeMemoryContexts();
  }
  probe.ExpectNoLeak();
}
