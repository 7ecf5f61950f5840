// TImageList: images added, replaced and removed, drawn onto memory DCs (enabled, disabled,
// on a background colour) with their pixels checked.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "GraphicStreams.h"
#include "MemorySurface.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/IcoFormat.h"
#include "classlib/graphics/Icon.h"
#include "classlib/graphics/ImageList.h"

namespace {

constexpr int kSide = 16;

std::unique_ptr<TBitmap> SolidBitmap(TColor color, int width = kSide, int height = kSide) {
  auto bitmap = std::make_unique<TBitmap>();
  MakeSquare(*bitmap, pf24bit, width, height, color, color);
  return bitmap;
}

// A square of `inner` in the middle (4..11) of a field of `outer`.
std::unique_ptr<TBitmap> SquareBitmap(TColor outer, TColor inner) {
  auto bitmap = std::make_unique<TBitmap>();
  MakeSquare(*bitmap, pf24bit, kSide, kSide, outer, inner, Rect(4, 4, 12, 12));
  return bitmap;
}

bool InSquare(int x, int y) { return x >= 4 && x < 12 && y >= 4 && y < 12; }

// Checks the image drawn at (left, top): the square in `inner`, the rest in `outer`.
void ExpectSquare(const MemorySurface& surface, int left, int top, TColor outer, TColor inner) {
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      ASSERT_EQ(surface.At(left + x, top + y), InSquare(x, y) ? inner : outer)
          << "at " << x << "," << y;
}

// The colour GDI gives for a system colour.
TColor Resolved(TColor color) { return ColorFromInt(static_cast<int32_t>(ColorToRGB(color))); }

std::unique_ptr<TImageList> NewList() { return std::make_unique<TImageList>(nullptr); }

}  // namespace

TEST(ImageList, AddReplaceDeleteAndDraw) {
  auto list = NewList();
  int changes = 0;
  list->OnChange = [&](TObject*) { ++changes; };
  EXPECT_EQ(list->Add(SolidBitmap(clRed).get(), nullptr), 0);
  EXPECT_EQ(list->Add(SolidBitmap(clBlue).get(), nullptr), 1);
  // A strip of two images adds both.
  EXPECT_EQ(list->Add(SolidBitmap(clLime, kSide * 2, kSide).get(), nullptr), 2);
  EXPECT_EQ(list->GetCount(), 4);
  EXPECT_EQ(changes, 3);

  MemorySurface surface(80, 20, clGray);
  for (int i = 0; i < 4; ++i) list->Draw(&surface.Canvas, i * 20, 0, i);
  ExpectSquare(surface, 0, 0, clRed, clRed);
  ExpectSquare(surface, 20, 0, clBlue, clBlue);
  ExpectSquare(surface, 40, 0, clLime, clLime);
  ExpectSquare(surface, 60, 0, clLime, clLime);

  list->Delete(0);
  EXPECT_EQ(list->GetCount(), 3);
  list->Replace(1, SolidBitmap(clYellow).get(), nullptr);
  surface.Fill(clGray);
  for (int i = 0; i < 3; ++i) list->Draw(&surface.Canvas, i * 20, 0, i);
  ExpectSquare(surface, 0, 0, clBlue, clBlue);
  ExpectSquare(surface, 20, 0, clYellow, clYellow);
  ExpectSquare(surface, 40, 0, clLime, clLime);

  // No image at -1 or past the end: nothing is drawn, nothing raised.
  surface.Fill(clGray);
  list->Draw(&surface.Canvas, 0, 0, -1);
  list->Draw(&surface.Canvas, 0, 0, 3);
  ExpectSquare(surface, 0, 0, clGray, clGray);

  EXPECT_THROW(list->Delete(3), EInvalidOperation);
  EXPECT_THROW(list->Delete(-1), EInvalidOperation);
  EXPECT_THROW(list->Replace(3, SolidBitmap(clRed).get(), nullptr), EInvalidOperation);
  EXPECT_THROW(list->ReplaceMasked(-1, SolidBitmap(clRed).get(), clRed), EInvalidOperation);
  EXPECT_THROW(list->Add(SolidBitmap(clRed, 8, 8).get(), nullptr), EInvalidOperation);
  EXPECT_THROW(list->Add(nullptr, nullptr), EInvalidOperation);
  EXPECT_EQ(list->GetCount(), 3);
  list->Clear();
  EXPECT_EQ(list->GetCount(), 0);
}

TEST(ImageList, MasksMakePixelsTransparent) {
  auto list = NewList();
  // By colour: the fuchsia field is transparent; the caller's bitmap keeps its colours.
  std::unique_ptr<TBitmap> keyed = SquareBitmap(clFuchsia, clRed);
  EXPECT_EQ(list->AddMasked(keyed.get(), clFuchsia), 0);
  EXPECT_EQ(keyed->GetCanvas()->GetPixels(0, 0), clFuchsia);

  // By a mask bitmap: white (1) is transparent; the image is black there, as masks want.
  std::unique_ptr<TBitmap> image = SquareBitmap(clBlack, clBlue);
  std::unique_ptr<TBitmap> mask = SquareBitmap(clWhite, clBlack);
  mask->SetMonochrome(true);
  EXPECT_EQ(list->Add(image.get(), mask.get()), 1);
  // Replacing by colour makes a new mask.
  list->Add(SolidBitmap(clBlue).get(), nullptr);
  list->ReplaceMasked(2, SquareBitmap(clFuchsia, clLime).get(), clFuchsia);

  MemorySurface surface(60, 20, clGray);
  for (int i = 0; i < 3; ++i) list->Draw(&surface.Canvas, i * 20, 0, i);
  ExpectSquare(surface, 0, 0, clGray, clRed);
  ExpectSquare(surface, 20, 0, clGray, clBlue);
  ExpectSquare(surface, 40, 0, clGray, clLime);

  // A background colour fills the transparent parts.
  list->SetBkColor(clYellow);
  surface.Fill(clGray);
  list->Draw(&surface.Canvas, 0, 0, 0);
  ExpectSquare(surface, 0, 0, clYellow, clRed);
}

TEST(ImageList, AddIconTakesACopyOfItsImage) {
  // A green icon whose top row (the last, rows being bottom-up) is transparent.
  const size_t colorStride = IcoColorStride(kSide, 24), maskStride = IcoMaskStride(kSide);
  std::vector<uint8_t> color(colorStride * kSide), mask(maskStride * kSide);
  for (int row = 0; row < kSide - 1; ++row)
    for (int x = 0; x < kSide; ++x) color[colorStride * row + x * 3 + 1] = 0xFF;
  std::fill(mask.end() - maskStride, mask.end(), 0xFF);
  const std::vector<uint8_t> file = WriteIcoFile(kSide, kSide, 24, color.data(), mask.data());
  auto icon = std::make_unique<TIcon>();
  LoadGraphic(*icon, file);

  auto list = NewList();
  EXPECT_EQ(list->AddIcon(icon.get()), 0);
  icon.reset();  // the list keeps its own copy
  MemorySurface surface(20, 20, clGray);
  list->Draw(&surface.Canvas, 0, 0, 0);
  EXPECT_EQ(surface.At(5, 0), clGray);
  EXPECT_EQ(surface.At(5, 1), clLime);
  EXPECT_EQ(surface.At(15, 15), clLime);

  TIcon empty;
  EXPECT_THROW(list->AddIcon(&empty), EInvalidOperation);
}

TEST(ImageList, DisabledImagesAreEmbossedInButtonColours) {
  auto list = NewList();
  list->Add(SolidBitmap(clBlack).get(), nullptr);
  list->AddMasked(SquareBitmap(clFuchsia, clBlack).get(), clFuchsia);

  MemorySurface surface(60, 24, clNavy);
  list->Draw(&surface.Canvas, 2, 2, 0, false);
  const TColor shadow = Resolved(clBtnShadow), highlight = Resolved(clBtnHighlight);
  EXPECT_EQ(surface.At(2, 2), shadow);
  EXPECT_EQ(surface.At(17, 17), shadow);
  EXPECT_EQ(surface.At(18, 18), highlight);  // the highlight copy, one pixel lower right
  EXPECT_EQ(surface.At(18, 3), highlight);
  EXPECT_EQ(surface.At(18, 2), clNavy);
  EXPECT_EQ(surface.At(1, 1), clNavy);

  // Transparent parts stay as they were.
  list->Draw(&surface.Canvas, 30, 2, 1, false);
  EXPECT_EQ(surface.At(30 + 1, 2 + 1), clNavy);
  EXPECT_EQ(surface.At(30 + 5, 2 + 5), shadow);
  EXPECT_EQ(surface.At(30 + 12, 2 + 12), highlight);
}

TEST(ImageList, SizeChangesClearAndGetBitmapDrawsOneImage) {
  auto list = NewList();
  list->Add(SolidBitmap(clRed).get(), nullptr);
  list->Add(SquareBitmap(clBlue, clYellow).get(), nullptr);

  TBitmap image;
  list->GetBitmap(1, &image);
  EXPECT_EQ(image.GetWidth(), kSide);
  EXPECT_EQ(image.GetCanvas()->GetPixels(0, 0), clBlue);
  EXPECT_EQ(image.GetCanvas()->GetPixels(6, 6), clYellow);
  EXPECT_THROW(list->GetBitmap(2, &image), EInvalidOperation);

  int changes = 0;
  list->OnChange = [&](TObject*) { ++changes; };
  list->SetWidth(24);
  EXPECT_EQ(list->GetCount(), 0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(list->Add(SolidBitmap(clRed, 24, 16).get(), nullptr), 0);
  list->SetHeight(20);
  EXPECT_EQ(list->GetCount(), 0);
  list->SetColorDepth(cdDeviceDependent);
  EXPECT_EQ(list->Add(SolidBitmap(clRed, 24, 20).get(), nullptr), 0);
  EXPECT_THROW(list->SetWidth(0), EInvalidOperation);
  EXPECT_EQ(list->GetWidth(), 24);

  int width = 0, height = 0;
  ASSERT_TRUE(::ImageList_GetIconSize(list->GetHandle(), &width, &height));
  EXPECT_EQ(width, 24);
  EXPECT_EQ(height, 20);
}

TEST(ImageList, NoObjectsLeakOverManyCycles) {
  std::unique_ptr<TBitmap> red = SolidBitmap(clRed);
  std::unique_ptr<TBitmap> keyed = SquareBitmap(clFuchsia, clBlue);
  MemorySurface surface(40, 20, clGray);
  ResourceProbe probe;
  for (int i = 0; i < 1000; ++i) {
    auto list = NewList();
    list->Add(red.get(), nullptr);
    list->AddMasked(keyed.get(), clFuchsia);
    list->ReplaceMasked(0, keyed.get(), clFuchsia);
    list->Draw(&surface.Canvas, 0, 0, 0);
    list->Draw(&surface.Canvas, 20, 0, 1, false);
  }
  probe.ExpectNoLeak();
  ExpectSquare(surface, 0, 0, clGray, clBlue);
}
