// Bevels, shapes and images: the lines and shapes they paint, where a picture goes, and the
// image's canvas and auto size.
#include <gtest/gtest.h>

#include <algorithm>

#include "ButtonsTestSupport.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Icon.h"
#include "classlib/stdctrls/ExtShapes.h"
#include "classlib/stdctrls/Images.h"
#include "tests/ErrorMessages.h"

using namespace button_tests;

namespace {

class ShapesTest : public FormTest {};

TEST_F(ShapesTest, BevelDrawsItsBoxAndLinesInShadowAndHighlight) {
  auto* bevel = new TBevel(Form);
  bevel->SetParent(Form);
  bevel->SetBounds(0, 0, 20, 10);
  const TColor shadow = Rgb(clBtnShadow);
  const TColor highlight = Rgb(clBtnHighlight);
  MemorySurface surface(20, 10);
  const auto paint = [&](TBevelShape shape) {
    bevel->SetShape(shape);
    surface.Fill(clRed);
    PaintInto(bevel, surface);
  };

  paint(bsBox);  // lowered: shadow top and left, highlight bottom and right
  EXPECT_EQ(surface.At(5, 0), shadow);
  EXPECT_EQ(surface.At(0, 5), shadow);
  EXPECT_EQ(surface.At(5, 9), highlight);
  EXPECT_EQ(surface.At(19, 5), highlight);
  EXPECT_EQ(surface.At(10, 5), clRed);  // the inside is not painted

  bevel->SetStyle(bsRaised);
  paint(bsTopLine);
  EXPECT_EQ(surface.At(7, 0), highlight);
  EXPECT_EQ(surface.At(7, 1), shadow);
  EXPECT_EQ(surface.CountOf(clRed, Rect(0, 2, 20, 10)), 20 * 8);
  paint(bsRightLine);
  EXPECT_EQ(surface.At(18, 4), highlight);
  EXPECT_EQ(surface.At(19, 4), shadow);
  EXPECT_EQ(surface.CountOf(clRed, Rect(0, 0, 18, 10)), 18 * 10);
  paint(bsSpacer);
  EXPECT_EQ(surface.CountOf(clRed, Rect(0, 0, 20, 10)), 200);
}

TEST(ShapeGeometry, SquaresAndCirclesTakeTheSmallerSideAndSitCentred) {
  EXPECT_EQ(ShapeRect(stRectangle, 65, 65, 1), Rect(0, 0, 65, 65));
  EXPECT_EQ(ShapeRect(stRectangle, 40, 20, 4), Rect(2, 2, 39, 19));
  EXPECT_EQ(ShapeRect(stSquare, 40, 20, 1), Rect(10, 0, 30, 20));
  EXPECT_EQ(ShapeRect(stCircle, 20, 41, 1), Rect(0, 10, 20, 30));
  // A pen of width 0 draws inside the control.
  EXPECT_EQ(ShapeRect(stEllipse, 30, 30, 0), Rect(0, 0, 30, 30));
  // A control smaller than its pen gives an empty (never negative-sized) square.
  const TRect tiny = ShapeRect(stSquare, 2, 2, 6);
  EXPECT_LE(tiny.Width(), 0);
}

TEST_F(ShapesTest, ShapeFillsWithItsBrushInsideItsOutline) {
  auto* shape = new TShape(Form);
  shape->SetParent(Form);
  shape->SetBounds(0, 0, 40, 40);
  shape->SetShape(stCircle);
  shape->GetBrush()->SetColor(clLime);
  shape->GetPen()->SetColor(clBlue);

  MemorySurface surface(40, 40, clWhite);
  PaintInto(shape, surface);
  EXPECT_EQ(surface.At(20, 20), clLime);
  EXPECT_EQ(surface.At(1, 1), clWhite);  // outside the circle
  EXPECT_GT(surface.CountOf(clBlue, Rect(15, 0, 25, 1)), 0);  // the outline at the top

  shape->SetShape(stRectangle);
  shape->GetBrush()->SetStyle(bsClear);
  surface.Fill(clWhite);
  PaintInto(shape, surface);
  EXPECT_EQ(surface.At(0, 0), clBlue);
  EXPECT_EQ(surface.At(20, 20), clWhite);
}

TEST(ImageGeometry, DestRectStretchesShrinksProportionallyAndCentres) {
  // At its own size in the corner.
  EXPECT_EQ(ImageDestRect(30, 20, 100, 100, false, false, false), Rect(0, 0, 30, 20));
  EXPECT_EQ(ImageDestRect(30, 20, 100, 100, false, false, true), Rect(35, 40, 65, 60));
  EXPECT_EQ(ImageDestRect(30, 20, 100, 80, true, false, false), Rect(0, 0, 100, 80));
  // Proportional shrinks only what does not fit, keeping the aspect.
  EXPECT_EQ(ImageDestRect(30, 20, 100, 100, false, true, false), Rect(0, 0, 30, 20));
  EXPECT_EQ(ImageDestRect(200, 100, 100, 100, false, true, false), Rect(0, 0, 100, 50));
  EXPECT_EQ(ImageDestRect(100, 200, 100, 100, false, true, true), Rect(25, 0, 75, 100));
  // With Stretch a small picture grows, still in proportion.
  EXPECT_EQ(ImageDestRect(10, 5, 100, 100, true, true, false), Rect(0, 0, 100, 50));
  // An empty picture does not divide by zero.
  EXPECT_EQ(ImageDestRect(0, 0, 100, 100, true, true, true), Rect(0, 0, 100, 100));
}

TEST_F(ShapesTest, ImageCanvasPaintsAutoSizeTakesThePictureSizeAndAnIconRefusesTheCanvas) {
  auto* image = new TImage(Form);
  image->SetParent(Form);
  image->SetBounds(0, 0, 50, 30);
  TCanvas* canvas = image->GetCanvas();
  ASSERT_NE(canvas, nullptr);
  EXPECT_EQ(image->GetPicture()->GetWidth(), 50);
  EXPECT_EQ(image->GetPicture()->GetHeight(), 30);
  canvas->GetBrush()->SetColor(clYellow);
  canvas->FillRect(Rect(0, 0, 50, 30));
  canvas->GetBrush()->SetColor(clNavy);
  canvas->FillRect(Rect(10, 10, 20, 20));

  MemorySurface surface(60, 40, clRed);
  PaintInto(image, surface);
  EXPECT_EQ(surface.At(5, 5), clYellow);
  EXPECT_EQ(surface.At(15, 15), clNavy);
  EXPECT_EQ(surface.At(55, 35), clRed);

  image->SetStretch(true);
  image->SetBounds(0, 0, 100, 60);  // twice the picture
  MemorySurface stretched(100, 60, clRed);
  PaintInto(image, stretched);
  EXPECT_EQ(stretched.At(30, 30), clNavy);
  EXPECT_EQ(stretched.At(95, 55), clYellow);

  TBitmap bitmap;
  bitmap.SetSize(37, 23);
  image->SetStretch(false);
  image->SetAutoSize(true);
  image->GetPicture()->SetBitmap(&bitmap);
  EXPECT_EQ(image->GetWidth(), 37);
  EXPECT_EQ(image->GetHeight(), 23);
  // A picture that covers the whole control makes it opaque.
  EXPECT_TRUE(image->GetControlStyle().Contains(csOpaque));
  image->SetTransparent(true);
  EXPECT_FALSE(image->GetControlStyle().Contains(csOpaque));
  EXPECT_TRUE(image->GetPicture()->GetGraphic()->GetTransparent());

  TIcon icon;
  image->GetPicture()->SetIcon(&icon);
  EXPECT_EQ(ErrorMessageOf<EInvalidOperation>([&] { image->GetCanvas(); }, L"a canvas on an icon"),
            L"Can only modify an image if it contains a bitmap");
}

TEST_F(ShapesTest, BevelShapeAndImageGoThroughALayoutAndBackWithThePicture) {
  const String layout =
      L"  object Bevel1: TBevel\n    Width = 100\n    Height = 2\n    Shape = bsTopLine\n"
      L"    Style = bsRaised\n  end\n"
      L"  object Shape1: TShape\n    Brush.Color = clLime\n    Pen.Width = 3\n"
      L"    Shape = stCircle\n  end\n"
      L"  object Image1: TImage\n    Left = 100\n    Width = 40\n    Height = 40\n"
      L"    Center = True\n    Stretch = True\n";
  ReadLayout(L"object Form1: TButtonsForm\n" + layout + L"  end\nend\n");
  auto* shape = Find<TShape>(L"Shape1");
  auto* image = Find<TImage>(L"Image1");
  ASSERT_TRUE(shape && image);
  EXPECT_EQ(shape->GetWidth(), 65);  // not in the layout: the default
  TCanvas* canvas = image->GetCanvas();
  canvas->GetBrush()->SetColor(clFuchsia);
  canvas->FillRect(Rect(0, 0, 40, 40));

  // Written again: every line read comes back, and the picture with them.
  String text = ComponentToText(Form);
  text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
  for (size_t at = 0, end; (end = layout.find(L'\n', at)) != String::npos; at = end + 1)
    EXPECT_NE(text.find(layout.substr(at, end - at + 1)), String::npos)
        << StringToUtf8(layout.substr(at, end - at));
  EXPECT_NE(text.find(L"Picture.Data"), String::npos);
  EXPECT_EQ(text.find(L"Proportional"), String::npos);

  std::unique_ptr<TButtonsForm> copy(TCustomForm::Create<TButtonsForm>(nullptr));
  TStringStream stream(text);
  ReadComponentFromStream(stream, copy.get());
  auto* copied = dynamic_cast<TImage*>(copy->FindComponent(L"Image1"));
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->GetPicture()->GetWidth(), 40);
  MemorySurface surface(40, 40, clRed);
  PaintInto(copied, surface);
  EXPECT_EQ(surface.CountOf(clFuchsia, Rect(0, 0, 40, 40)), 40 * 40);
}

}  // namespace
