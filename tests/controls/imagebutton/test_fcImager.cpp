// The imager and its effect set: the chain runs again from the source picture on every
// change, the working image's size, updates held by BeginUpdate, the alpha blend's picture,
// a control without room, painting by draw style, and reading from a layout.
#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "controls/imagebutton/fcImager.h"
#include "tests/classlib/stdctrls/ButtonsTestSupport.h"

using namespace button_tests;

namespace {

std::unique_ptr<TBitmap> SolidBitmap(int width, int height, TColor color) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(width, height);
  bitmap->GetCanvas()->GetBrush()->SetColor(color);
  bitmap->GetCanvas()->FillRect(Rect(0, 0, width, height));
  return bitmap;
}

TfcColor Pixel(uint8_t r, uint8_t g, uint8_t b) { return TfcColor{b, g, r}; }

// An imager without a parent, with a change link that counts the new working images.
class ImagerTest : public ::testing::Test {
 protected:
  ImagerTest() : Imager(std::make_unique<TfcImager>(nullptr)) {
    Link.OnChange = [this](TObject* sender) {
      ++Notices;
      EXPECT_EQ(sender, Imager->GetWorkImage());
    };
    Imager->RegisterChanges(&Link);
  }
  ~ImagerTest() override { Imager->UnRegisterChanges(&Link); }

  void SetPicture(int width, int height, TColor color) {
    Imager->GetPicture()->SetBitmap(SolidBitmap(width, height, color).get());
  }
  TfcBitmapOptions* Options() { return Imager->GetBitmapOptions(); }
  TfcColor WorkPixel(int x, int y) { return Imager->GetWorkImage()->GetPixel(x, y); }
  TSize WorkSize() {
    return TSize(Imager->GetWorkImage()->GetWidth(), Imager->GetWorkImage()->GetHeight());
  }

  std::unique_ptr<TfcImager> Imager;
  TfcChangeLink Link;
  int Notices = 0;
};

TEST_F(ImagerTest, EveryChangeRunsTheChainAgainFromTheSource) {
  SetPicture(4, 4, RGBColor(100, 150, 200));
  ASSERT_EQ(WorkSize(), TSize(4, 4));
  Notices = 0;
  Options()->SetInverted(true);
  EXPECT_EQ(WorkPixel(1, 1), Pixel(155, 105, 55));
  EXPECT_EQ(Notices, 1);
  Options()->SetInverted(false);  // not inverted twice: copied again from the source
  EXPECT_EQ(WorkPixel(1, 1), Pixel(100, 150, 200));
  Options()->SetGrayScale(true);  // 33 + 50 + 66
  EXPECT_EQ(WorkPixel(2, 3), Pixel(149, 149, 149));
  Options()->SetInverted(true);   // gray scale comes before invert in the chain
  EXPECT_EQ(WorkPixel(2, 3), Pixel(106, 106, 106));
  Notices = 0;
  Options()->SetInverted(true);   // unchanged: nothing runs
  EXPECT_EQ(Notices, 0);
  // Saturation -1 is off; 0 gives the gray of GrayScale.
  Options()->SetGrayScale(false);
  Options()->SetInverted(false);
  Options()->SetSaturation(0);
  EXPECT_EQ(WorkPixel(0, 0), Pixel(149, 149, 149));
  Options()->SetSaturation(-1);
  EXPECT_EQ(WorkPixel(0, 0), Pixel(100, 150, 200));
  // A new picture is worked on at once.
  Notices = 0;
  SetPicture(3, 2, clRed);
  EXPECT_EQ(WorkSize(), TSize(3, 2));
  EXPECT_EQ(WorkPixel(2, 1), Pixel(255, 0, 0));
  EXPECT_GE(Notices, 1);
}

TEST_F(ImagerTest, ATurnedPictureIsWorkedOnInASquare) {
  SetPicture(40, 20, clBlue);
  EXPECT_EQ(WorkSize(), TSize(40, 20));
  Options()->GetRotation()->SetAngle(30);
  EXPECT_EQ(WorkSize(), TSize(40, 40));
  Options()->GetRotation()->SetAngle(0);
  EXPECT_EQ(WorkSize(), TSize(40, 20));
  Options()->GetRotation()->SetAngle(90);  // the same when the angle comes first
  SetPicture(10, 30, clBlue);
  EXPECT_EQ(WorkSize(), TSize(30, 30));
}

TEST_F(ImagerTest, BeginUpdateHoldsTheChainUntilItsEndUpdate) {
  SetPicture(4, 4, RGBColor(100, 150, 200));
  Notices = 0;
  Options()->BeginUpdate();
  Options()->BeginUpdate();
  Options()->SetGrayScale(true);
  Options()->SetInverted(true);
  Options()->EndUpdate();
  EXPECT_EQ(Notices, 0);
  EXPECT_EQ(WorkPixel(0, 0), Pixel(100, 150, 200));
  Options()->EndUpdate();
  EXPECT_EQ(Notices, 1);
  EXPECT_EQ(WorkPixel(0, 0), Pixel(106, 106, 106));
  Options()->EndUpdate();  // unmatched: ignored
  EXPECT_EQ(Options()->GetUpdateCount(), 0);
}

TEST_F(ImagerTest, TheBlendPictureAppliesItselfOnceAndKeepsItsOwnTransparency) {
  SetPicture(4, 4, RGBColor(100, 150, 200));
  TfcAlphaBlend* blend = Options()->GetAlphaBlend();
  blend->SetAmount(128);  // no blend picture yet: nothing to mix
  EXPECT_EQ(WorkPixel(0, 0), Pixel(100, 150, 200));
  Notices = 0;
  TfcBitmap black;
  black.Assign(SolidBitmap(4, 4, clBlack).get());
  blend->SetBitmap(&black);
  EXPECT_EQ(Notices, 1);
  EXPECT_EQ(WorkPixel(3, 3), Pixel(50, 75, 100));  // i + floor(128 * (0 - i) / 256)
  blend->SetTransparent(true);
  EXPECT_TRUE(blend->GetBitmap()->GetTransparent());
  EXPECT_EQ(WorkPixel(3, 3), Pixel(100, 150, 200));  // every blend pixel is the key
  // A blend of another size is stretched (its transparency switched off meanwhile) without
  // starting the chain again halfway.
  blend->SetTransparent(false);
  Notices = 0;
  TfcBitmap small;
  small.Assign(SolidBitmap(2, 2, clBlack).get());
  small.SetTransparent(true);
  blend->SetBitmap(&small);
  EXPECT_EQ(Notices, 1);
  EXPECT_TRUE(blend->GetBitmap()->GetTransparent());
}

TEST_F(ImagerTest, AControlWithoutRoomMakesNoWorkingImageAndDoesNotLoop) {
  Imager->SetPreProcess(false);
  Imager->SetDrawStyle(TfcImagerDrawStyle::Stretch);
  Imager->SetBounds(0, 0, 0, 0);
  SetPicture(8, 8, clRed);  // the working image takes the control's size: none
  EXPECT_TRUE(Imager->GetWorkImage()->GetEmpty());
  MemorySurface surface(4, 4);
  PaintInto(Imager.get(), surface);
  EXPECT_TRUE(Imager->GetWorkImage()->GetEmpty());
  Imager->SetBounds(0, 0, 20, 10);
  EXPECT_EQ(WorkSize(), TSize(20, 10));
  EXPECT_EQ(WorkPixel(19, 9), Pixel(255, 0, 0));
  Imager->SetAutoSize(true);  // with PreProcess off the control takes the picture's size
  EXPECT_EQ(Imager->GetWidth(), 8);
}

TEST_F(ImagerTest, WithoutPreProcessTheSourceIsTiledOrStretchedToTheControl) {
  auto source = SolidBitmap(2, 2, clRed);
  source->GetCanvas()->GetBrush()->SetColor(clBlue);
  source->GetCanvas()->FillRect(Rect(1, 0, 2, 2));  // left column red, right column blue
  Imager->SetPreProcess(false);
  Imager->SetDrawStyle(TfcImagerDrawStyle::Tile);
  Imager->SetBounds(0, 0, 6, 2);
  Imager->GetPicture()->SetBitmap(source.get());
  ASSERT_EQ(Imager->GetWorkImage()->GetWidth(), 6);
  EXPECT_EQ(WorkPixel(4, 0), Pixel(0, 0, 255));  // stretched threefold: blue from x = 3
  Options()->SetTileSource(true);
  EXPECT_EQ(WorkPixel(4, 0), Pixel(255, 0, 0));
  EXPECT_EQ(WorkPixel(5, 1), Pixel(0, 0, 255));
  EXPECT_EQ(WorkPixel(2, 1), Pixel(255, 0, 0));
  Options()->SetTileSource(false);
  EXPECT_EQ(WorkPixel(2, 1), Pixel(255, 0, 0));
  EXPECT_EQ(WorkPixel(3, 1), Pixel(0, 0, 255));
}

TEST_F(ImagerTest, ATransparentSourceLeavesNoOldResultUnderItsKeyColour) {
  auto source = SolidBitmap(2, 2, clWhite);
  source->GetCanvas()->GetBrush()->SetColor(clRed);
  source->GetCanvas()->FillRect(Rect(1, 0, 2, 1));
  source->SetTransparent(true);  // keyed on its white
  Imager->SetPreProcess(false);
  Imager->SetDrawStyle(TfcImagerDrawStyle::Stretch);
  Imager->SetBounds(0, 0, 4, 4);
  Imager->GetPicture()->SetBitmap(source.get());
  EXPECT_EQ(WorkPixel(0, 3), Pixel(255, 255, 255));
  Options()->SetInverted(true);
  EXPECT_EQ(WorkPixel(0, 3), Pixel(0, 0, 0));
  Options()->SetInverted(false);
  EXPECT_EQ(WorkPixel(0, 3), Pixel(255, 255, 255));  // not the inverted pixel of before
  EXPECT_EQ(WorkPixel(3, 0), Pixel(255, 0, 0));
  EXPECT_TRUE(Imager->GetWorkImage()->GetTransparent());
}

TEST_F(ImagerTest, PaintsTheWorkingImageByDrawStyle) {
  SetPicture(10, 10, clRed);
  // The red pixels in the control's whole area and in the given part of it.
  auto painted = [&](TfcImagerDrawStyle style, int height, const TRect& part) {
    Imager->SetBounds(0, 0, 40, height);
    Imager->SetDrawStyle(style);
    MemorySurface surface(40, height);
    PaintInto(Imager.get(), surface);
    return std::pair{surface.CountOf(clRed, Rect(0, 0, 40, height)), surface.CountOf(clRed, part)};
  };
  EXPECT_EQ(painted(TfcImagerDrawStyle::Normal, 40, Rect(0, 0, 10, 10)), std::pair(100, 100));
  EXPECT_EQ(painted(TfcImagerDrawStyle::Center, 40, Rect(15, 15, 25, 25)), std::pair(100, 100));
  EXPECT_EQ(painted(TfcImagerDrawStyle::Stretch, 40, Rect(0, 0, 1, 1)), std::pair(1600, 1));
  // Proportional: 20 x 20 at the left.
  EXPECT_EQ(painted(TfcImagerDrawStyle::Proportional, 20, Rect(0, 0, 20, 20)), std::pair(400, 400));
}

class ImagerLayoutTest : public FormTest {};

TEST_F(ImagerLayoutTest, AnImagerIsWrittenAndReadBackWithItsEffects) {
  String text;
  {
    TButtonsForm* source = TCustomForm::Create<TButtonsForm>(nullptr);
    source->SetName(L"Form1");
    auto* imager = new TfcImager(source);
    imager->SetName(L"Imager1");
    imager->SetParent(source);
    imager->GetPicture()->SetBitmap(SolidBitmap(8, 4, RGBColor(100, 150, 200)).get());
    imager->SetDrawStyle(TfcImagerDrawStyle::Center);
    imager->SetPreProcess(false);
    TfcBitmapOptions* options = imager->GetBitmapOptions();
    options->SetInverted(true);
    options->SetSaturation(0);
    options->GetRotation()->SetAngle(90);
    options->GetWave()->SetXDiv(5);
    options->GetAlphaBlend()->SetAmount(10);
    text = ComponentToText(source);
    delete source;
  }
  EXPECT_NE(text.find(L"BitmapOptions.Rotation.Angle = 90"), String::npos) << StringToUtf8(text);
  EXPECT_NE(text.find(L"Picture.Data = {"), String::npos);
  EXPECT_EQ(text.find(L"BitmapOptions.GrayScale"), String::npos);  // defaults left out
  EXPECT_EQ(text.find(L"Rotation.CenterX"), String::npos);
  ReadLayout(text);
  auto* imager = Find<TfcImager>(L"Imager1");
  ASSERT_NE(imager, nullptr);
  TfcBitmapOptions* options = imager->GetBitmapOptions();
  EXPECT_EQ(options->GetWave()->GetXDiv(), 5);
  EXPECT_EQ(options->GetAlphaBlend()->GetAmount(), 10);
  EXPECT_EQ(imager->GetDrawStyle(), TfcImagerDrawStyle::Center);
  EXPECT_FALSE(imager->GetPreProcess());
  // Made once loaded: turned, so a square; gray (149) inverted.
  TfcBitmap* work = imager->GetWorkImage();
  ASSERT_EQ(work->GetWidth(), 8);
  EXPECT_EQ(work->GetHeight(), 8);
  EXPECT_EQ(work->GetPixel(3, 3), Pixel(106, 106, 106));
}

}  // namespace
