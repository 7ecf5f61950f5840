// TfcBitmap: size and buffer, the BMP stream and the layout "Data", kept pixels, change
// links, conversion from and to TBitmap, and what its drawing leaves on a memory DC.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <utility>

#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Layouts.h"
#include "classlib/classes/Properties.h"
#include "classlib/classes/Streams.h"
#include "controls/imagebutton/fcBitmap.h"
#include "tests/classlib/graphics/MemorySurface.h"

namespace {

// An image whose pixels all differ: blue = 10 x column + row + 1, green 7, red 9.
void Number(TfcBitmap& image, int width, int height) {
  image.SetSize(width, height);
  const TfcPixelView pixels = image.GetPixels();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.At(x, y) = TfcColor{uint8_t(10 * x + y + 1), 7, 9};
}

// A one-row image of the given colours.
void Strip(TfcBitmap& image, std::initializer_list<TColor> colors) {
  image.SetSize(static_cast<int>(colors.size()), 1);
  int x = 0;
  for (TColor color : colors) image.GetPixels().At(x++, 0) = ColorToBytes(color);
}

bool SamePixels(const TfcBitmap& a, const TfcBitmap& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x)
      if (!(a.GetPixel(x, y) == b.GetPixel(x, y))) return false;
  return true;
}

// Counts the change notifications a link receives and remembers the last sender.
struct TLinkProbe {
  TfcChangeLink Link;
  int Changes = 0;
  TObject* Sender = nullptr;
  TLinkProbe() {
    Link.OnChange = [this](TObject* sender) {
      ++Changes;
      Sender = sender;
    };
  }
};

// A component that stores a TfcBitmap as a nested property, as image buttons do.
class TImageHolder : public TComponent {
  CLASSLIB_CLASS(TImageHolder, TComponent)
  explicit TImageHolder(TComponent* owner) : TComponent(owner) {}
  static const TPropertyTable* PublishedProperties() {
    using P = TPublish<TImageHolder>;
    static const TPropertyTable table{
        P::Persistent(L"Image", [](TImageHolder* h) { return &h->Image; }),
    };
    return &table;
  }
  TfcBitmap Image;
};

}  // namespace

TEST(FcBitmapSize, NewImagesAreWhiteWithPaddedRowsAndEmptyOnesDrawNothing) {
  TfcBitmap image;
  image.SetSize(3, 2);
  ASSERT_FALSE(image.GetEmpty());
  EXPECT_EQ(24, image.GetImageSize());  // rows of 9 bytes padded to 12
  EXPECT_EQ(image.GetBits() + 12, image.GetRow(1));
  EXPECT_EQ(nullptr, image.GetRow(2));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(fcWhitePixel, image.GetPixel(x, y));
  image.SetSize(-3, 4);
  EXPECT_TRUE(image.GetEmpty());
  // An empty image draws nothing and saves nothing.
  MemorySurface surface(4, 4, clBlue);
  surface.Canvas.Draw(0, 0, &image);
  image.Draw(&surface.Canvas, Rect(0, 0, 4, 4));
  EXPECT_EQ(16, surface.CountOf(clBlue, Rect(0, 0, 4, 4)));
  TMemoryStream stream;
  image.SaveToStream(stream);
  EXPECT_EQ(0, stream.GetSize());
}

TEST(FcBitmapSize, ResizeKeepsThePictureStretched) {
  TfcBitmap image;
  Strip(image, {clRed, clBlue});
  image.SetTransparent(true);  // the key colour must survive the stretch
  TLinkProbe probe;
  image.RegisterChanges(&probe.Link);
  image.Resize(4, 2);
  EXPECT_EQ(1, probe.Changes);  // once, with the picture in place
  image.UnRegisterChanges(&probe.Link);
  ASSERT_EQ(4, image.GetWidth());
  EXPECT_EQ(ColorToBytes(clRed), image.GetPixel(1, 1));
  EXPECT_EQ(ColorToBytes(clBlue), image.GetPixel(2, 0));
  EXPECT_EQ(ColorToBytes(clBlue), image.GetPixel(3, 1));
}

TEST(FcBitmapStream, A40By40ImageIsACompleteBmpOf4854Bytes) {
  TfcBitmap image;
  Number(image, 40, 40);
  TMemoryStream stream;
  image.SaveToStream(stream);
  ASSERT_EQ(4854, stream.GetSize());
  const auto* bytes = static_cast<const uint8_t*>(stream.GetMemory());
  EXPECT_EQ('B', bytes[0]);
  EXPECT_EQ('M', bytes[1]);
  EXPECT_EQ(4854u, *reinterpret_cast<const uint32_t*>(bytes + 2));  // file size
  EXPECT_EQ(54u, *reinterpret_cast<const uint32_t*>(bytes + 10));   // pixels offset
  EXPECT_EQ(24, *reinterpret_cast<const uint16_t*>(bytes + 28));    // bits per pixel
  EXPECT_EQ(40, bytes[54]);  // rows bottom-up: first the blue of (0, 39)
  stream.SetPosition(0);
  TfcBitmap copy;
  copy.LoadFromStream(stream);
  EXPECT_TRUE(SamePixels(image, copy));
  stream.SetPosition(0);  // the class library's own reader takes the same file
  TBitmap bitmap;
  bitmap.LoadFromStream(stream);
  ASSERT_EQ(40, bitmap.GetWidth());
  EXPECT_EQ(RGBColor(9, 7, 10 * 5 + 3 + 1), bitmap.GetCanvas()->GetPixels(5, 3));
}

TEST(FcBitmapStream, LayoutDataAndPropertiesRoundTrip) {
  RegisterClass<TImageHolder>();
  TImageHolder holder(nullptr);
  holder.SetName(L"Holder");
  Number(holder.Image, 6, 5);
  holder.Image.SetTransparentColor(clRed);
  holder.Image.SetTransparent(true);
  const String text = ComponentToText(&holder);
  EXPECT_NE(String::npos, text.find(L"Image.Data = {")) << StringToUtf8(text);
  EXPECT_EQ(String::npos, text.find(L"SmoothStretching"));  // default False is left out
  TStringStream stream(text);
  std::unique_ptr<TComponent> read(ReadComponentFromStream(stream, nullptr));
  auto* copy = dynamic_cast<TImageHolder*>(read.get());
  ASSERT_NE(nullptr, copy);
  EXPECT_TRUE(SamePixels(holder.Image, copy->Image));
  EXPECT_EQ(clRed, copy->Image.GetTransparentColor());
  EXPECT_TRUE(copy->Image.GetTransparent());
}

TEST(FcBitmapKeptPixels, ReleasedPixelsComeBackAsTheyWere) {
  TfcBitmap image, original, empty;
  Number(image, 5, 3);
  Number(original, 5, 3);
  image.ReleaseHandle();
  EXPECT_TRUE(image.GetEmpty());
  EXPECT_EQ(nullptr, image.GetMemoryDC());
  EXPECT_EQ(16 * 3, image.GetKeptSize());  // padded rows
  image.RestoreHandle();
  EXPECT_FALSE(image.HasKeptPixels());
  EXPECT_TRUE(SamePixels(image, original));
  image.RestoreHandle();  // nothing kept: nothing happens
  EXPECT_TRUE(SamePixels(image, original));
  empty.ReleaseHandle();
  EXPECT_FALSE(empty.HasKeptPixels());
}

TEST(FcBitmapKeptPixels, LoadingAndReleasingRepeatedlyLeaksNoGdiObjects) {
  TBitmap source;
  source.SetPixelFormat(pf24bit);
  source.SetSize(8, 8);
  TfcBitmap image;
  image.SetTransparent(true);
  MemorySurface surface(8, 8);
  ResourceProbe probe;
  for (int i = 0; i < 400; ++i) {
    image.LoadFromBitmap(&source);  // into a non-empty image
    image.Draw(&surface.Canvas, Rect(0, 0, 8, 8));  // builds the mask
    image.Assign(&source);
    image.ReleaseHandle();
    image.RestoreHandle();
  }
  probe.ExpectNoLeak();
}

TEST(FcBitmapChanges, LinksHearEveryChangeWithTheImageAsSender) {
  TfcBitmap image;
  TLinkProbe probe, gone;
  image.RegisterChanges(&probe.Link);
  image.RegisterChanges(&gone.Link);
  image.UnRegisterChanges(&gone.Link);
  int events = 0;
  image.OnChange = [&](TObject*) { ++events; };
  image.SetSize(4, 4);
  EXPECT_EQ(1, probe.Changes);
  EXPECT_EQ(&image, probe.Sender);
  EXPECT_EQ(1, events);
  EXPECT_EQ(0, gone.Changes);
  TfcBitmap source;
  Number(source, 3, 3);
  source.SetTransparentColor(clRed);
  source.SetSmoothStretching(true);
  probe.Changes = 0;
  image.Assign(&source);  // one notification, not one per copied property
  EXPECT_EQ(1, probe.Changes);
  EXPECT_TRUE(SamePixels(image, source));
  EXPECT_EQ(clRed, image.GetTransparentColor());
  EXPECT_TRUE(image.GetSmoothStretching());
  probe.Changes = 0;
  image.Invert();  // effects leave notifying to whoever runs them
  image.GaussianBlur(2);
  EXPECT_EQ(0, probe.Changes);
  image.UnRegisterChanges(&probe.Link);
}

TEST(FcBitmapChanges, ALinkMayUnregisterItselfWhileBeingTold) {
  TfcBitmap image;
  TfcChangeLink first, second;
  int secondCalls = 0;
  first.OnChange = [&](TObject*) {
    image.UnRegisterChanges(&first);
    image.UnRegisterChanges(&second);
  };
  second.OnChange = [&](TObject*) { ++secondCalls; };
  image.RegisterChanges(&first);
  image.RegisterChanges(&second);
  image.SetSize(2, 2);
  EXPECT_EQ(0, secondCalls);
}

TEST(FcBitmapConversion, ToAndFromTBitmapKeepsPixelsAndTransparency) {
  TfcBitmap image;
  Number(image, 5, 4);
  image.SetTransparent(true);
  image.SetTransparentColor(clLime);
  TBitmap bitmap;
  bitmap.Assign(&image);
  ASSERT_EQ(5, bitmap.GetWidth());
  EXPECT_EQ(pf24bit, bitmap.GetPixelFormat());
  EXPECT_TRUE(bitmap.GetTransparent());
  EXPECT_EQ(clLime, bitmap.GetTransparentColor());
  EXPECT_EQ(RGBColor(9, 7, 10 * 4 + 2 + 1), bitmap.GetCanvas()->GetPixels(4, 2));
  TfcBitmap back;
  back.Assign(&bitmap);
  EXPECT_TRUE(SamePixels(image, back));
  EXPECT_TRUE(back.GetTransparent());
  EXPECT_FALSE(back.GetColorTableFound());
  TBitmap empty;
  back.Assign(&empty);
  EXPECT_TRUE(back.GetEmpty());
  Number(back, 2, 2);
  back.Assign(nullptr);
  EXPECT_TRUE(back.GetEmpty());
  // An eight-bit picture brings its colour table.
  bitmap.SetPixelFormat(pf8bit);
  back.Assign(&bitmap);
  EXPECT_EQ(pf8bit, back.GetPixelFormat());
  EXPECT_TRUE(back.GetColorTableFound());
}

TEST(FcBitmapDrawing, KeyPixelsLeaveTheTargetUnchanged) {
  TfcBitmap image;
  Strip(image, {clRed, clLime, clRed});
  image.SetTransparent(true);  // TransparentColor clNone: the top-left pixel's red is the key
  MemorySurface surface(5, 1, clBlue);
  surface.Canvas.Draw(1, 0, &image);
  EXPECT_EQ(4, surface.CountOf(clBlue, Rect(0, 0, 5, 1)));
  EXPECT_EQ(clLime, surface.At(2, 0));
  image.SetSuppressTransparency(true);  // then every pixel is copied
  surface.Canvas.Draw(1, 0, &image);
  EXPECT_EQ(clRed, surface.At(1, 0));
  // A system colour key is translated first.
  TfcBitmap face;
  Strip(face, {clBtnFace, clBlack});
  face.SetTransparent(true);
  face.SetTransparentColor(clBtnFace);
  surface.Fill(clBlue);
  surface.Canvas.Draw(0, 0, &face);
  EXPECT_EQ(clBlue, surface.At(0, 0));
  EXPECT_EQ(clBlack, surface.At(1, 0));
}

TEST(FcBitmapDrawing, ChangedPixelsOrKeyDropTheCachedMask) {
  TfcBitmap image;
  Strip(image, {clRed, clLime});
  image.SetTransparent(true);
  image.SetTransparentColor(clRed);
  MemorySurface surface(2, 1);
  auto drawn = [&] {
    surface.Fill(clBlue);
    surface.Canvas.Draw(0, 0, &image);
    return std::pair(surface.At(0, 0), surface.At(1, 0));
  };
  EXPECT_EQ(drawn(), std::pair(clBlue, clLime));  // builds the mask: pixel 0 is the key
  image.ReplaceColor(0xFFFF00, 0xFF0000);  // red becomes yellow: nothing is key any more
  EXPECT_EQ(drawn(), std::pair(clYellow, clLime));
  image.SetTransparentColor(clLime);
  EXPECT_EQ(drawn(), std::pair(clYellow, clBlue));
  image.GetCanvas()->SetPixels(0, 0, clLime);  // drawing on its own canvas changes pixels too
  EXPECT_EQ(drawn(), std::pair(clBlue, clBlue));
}

TEST(FcBitmapDrawing, StretchedDrawsDeviceAndSmooth) {
  TfcBitmap image;
  Strip(image, {clBlack, RGBColor(200, 200, 200)});
  MemorySurface surface(4, 2, clBlue);
  surface.Canvas.StretchDraw(Rect(0, 0, 4, 2), &image);
  EXPECT_EQ(clBlack, surface.At(1, 1));
  EXPECT_EQ(RGBColor(200, 200, 200), surface.At(2, 0));
  image.SetSmoothStretching(true);
  surface.Canvas.StretchDraw(Rect(0, 0, 4, 1), &image);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(RGBColor(50 * x, 50 * x, 50 * x), surface.At(x, 0));
  // Transparent and stretched: the key (top-left, black) stays out at the new size too.
  image.SetTransparent(true);
  image.SetSmoothStretching(false);
  surface.Fill(clBlue);
  surface.Canvas.StretchDraw(Rect(0, 0, 4, 2), &image);
  EXPECT_EQ(clBlue, surface.At(1, 1));
  EXPECT_EQ(RGBColor(200, 200, 200), surface.At(3, 1));
}

TEST(FcBitmapDrawing, TileDrawRepeatsTheImage) {
  TfcBitmap image;
  image.SetSize(2, 2);
  image.GetPixels().At(0, 0) = ColorToBytes(clRed);
  MemorySurface surface(5, 5, clBlue);
  image.TileDraw(&surface.Canvas, Rect(0, 0, 5, 5));
  EXPECT_EQ(clRed, surface.At(4, 4));
  EXPECT_EQ(clWhite, surface.At(3, 4));
  EXPECT_EQ(9, surface.CountOf(clRed, Rect(0, 0, 5, 5)));
}

TEST(FcBitmapAlphaBlend, AStretchedBlendCoversTheWholeImage) {
  TfcBitmap image, blend;
  image.SetSize(3, 3);
  fcPixels::Fill(image.GetPixels(), fcBlackPixel);
  Strip(blend, {clRed});
  AlphaBlend(&image, &blend, 255, true);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ((TfcColor{0, 0, 254}), image.GetPixel(x, y)) << x << "," << y;
}

TEST(FcBitmapAlphaBlend, DifferentSizesWithoutStretchingRaiseAndChangeNothing) {
  TfcBitmap image, blend, original;
  Number(image, 3, 3);
  Number(original, 3, 3);
  blend.SetSize(2, 2);
  TfcBitmap empty;  // an empty blend is of another size too
  for (TfcBitmap* other : {&blend, &empty}) {
    try {
      AlphaBlend(&image, other, 100, false);
      ADD_FAILURE() << "no exception for a blend of " << other->GetWidth() << " x " << other->GetHeight();
    } catch (const EInvalidOperation& e) {
      EXPECT_EQ(L"In Alpha Blend, Blend Bitmap must be same dimensions as Current Bitmap",
                e.Message());
    }
  }
  EXPECT_TRUE(SamePixels(image, original));
  AlphaBlend(&image, &empty, 100, true);  // nothing to stretch
  EXPECT_TRUE(SamePixels(image, original));
  AlphaBlend(&image, &blend, 0, true);  // amount 0 changes nothing
  EXPECT_TRUE(SamePixels(image, original));
}

TEST(FcBitmapAlphaBlend, ATransparentBlendKeysOnItsTopLeftPixel) {
  TfcBitmap image, blend;
  Strip(image, {RGBColor(100, 100, 100), RGBColor(100, 100, 100)});
  Strip(blend, {RGBColor(7, 7, 7), RGBColor(200, 200, 200)});
  blend.SetTransparent(true);
  AlphaBlend(&image, &blend, 128, false);
  EXPECT_EQ((TfcColor{100, 100, 100}), image.GetPixel(0, 0));
  EXPECT_EQ((TfcColor{150, 150, 150}), image.GetPixel(1, 0));
}

TEST(FcBitmapEffects, ColorizeSparesTheTransparentColour) {
  TfcBitmap image;
  Strip(image, {clBtnFace, RGBColor(100, 100, 100)});
  image.SetTransparentColor(clBtnFace);
  image.Colorize(192, 192, 200);
  EXPECT_EQ(ColorToBytes(clBtnFace), image.GetPixel(0, 0));
  EXPECT_EQ((TfcColor{108, 100, 100}), image.GetPixel(1, 0));
  image.MaskByColor(PackPixel(TfcColor{108, 100, 100}));
  EXPECT_EQ(fcWhitePixel, image.GetPixel(0, 0));
  EXPECT_EQ(fcBlackPixel, image.GetPixel(1, 0));
}
