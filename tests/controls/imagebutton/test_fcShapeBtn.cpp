// The shape button: the face and the region of every shape in every orientation painted on
// memory DCs, custom points from expressions, tiny controls, and a bad point list whose
// error reaches the application while the button falls back to a rectangle.
#include <gtest/gtest.h>

#include "controls/imagebutton/fcShapeBtn.h"
#include "tests/classlib/stdctrls/ButtonsTestSupport.h"
#include "tests/controls/imagebutton/WindowTestSupport.h"

using namespace button_tests;

namespace {

// Opens the region builder for the tests.
class TTestShapeBtn : public TfcShapeBtn {
 public:
  explicit TTestShapeBtn(TComponent* owner) : TfcShapeBtn(owner) {}
  using TfcShapeBtn::CreateRegion;
};

class FcShapeButtonTest : public FormTest {
 protected:
  TTestShapeBtn* NewShape(TfcButtonShape shape, TfcShapeOrientation orientation, int w, int h) {
    auto* button = new TTestShapeBtn(Form);
    button->SetBounds(0, 0, w, h);
    button->SetShape(shape);
    button->SetOrientation(orientation);
    return button;
  }
};

TEST_F(FcShapeButtonTest, EveryShapeAndOrientationPaintsItsFaceAndCutsItsRegion) {
  const TColor face = Rgb(clBtnFace);
  for (int shape = bsRoundRect; shape <= bsTrapezoid; ++shape) {
    for (int turn = soLeft; turn <= soDown; ++turn) {
      TTestShapeBtn* button = NewShape(static_cast<TfcButtonShape>(shape),
                                       static_cast<TfcShapeOrientation>(turn), 60, 40);
      SCOPED_TRACE(testing::Message() << "shape " << shape << " turn " << turn);
      MemorySurface surface(60, 40);
      button->PaintToDC(surface.DC());
      EXPECT_EQ(surface.At(30, 20), face);
      UniqueRegion region = button->CreateRegion(true, false);
      ASSERT_TRUE(region);
      EXPECT_TRUE(::PtInRegion(region.get(), 30, 20));
      if (turn == soUp) {
        // Outside the shape the face keeps the key colour, which the region leaves out.
        const bool fillsCorner = shape == bsRect;
        EXPECT_EQ(::PtInRegion(region.get(), 0, 0) != FALSE, fillsCorner);
        if (!fillsCorner) EXPECT_EQ(surface.At(0, 0), clRed);
      }
      delete button;
    }
  }
}

TEST_F(FcShapeButtonTest, ARedButtonIsKeyedInBlueAndAPolygonGetsShadedEdges) {
  TTestShapeBtn* button = NewShape(bsDiamond, soUp, 41, 41);
  button->SetColor(clRed);
  EXPECT_EQ(button->RegionKeyColor(), ColorFromInt(0x00FF0000));
  MemorySurface surface(41, 41);
  button->PaintToDC(surface.DC());
  EXPECT_EQ(surface.At(0, 0), ColorFromInt(0x00FF0000));
  EXPECT_EQ(surface.At(20, 20), clRed);
  UniqueRegion region = button->CreateRegion(true, false);
  EXPECT_TRUE(::PtInRegion(region.get(), 20, 20));
  EXPECT_FALSE(::PtInRegion(region.get(), 2, 2));
  // The upper left edge runs from (0, 20) to (20, 0): highlight on it, light just inside.
  EXPECT_EQ(surface.At(10, 10), Rgb(clBtnHighlight));
  EXPECT_EQ(surface.At(11, 10), Rgb(cl3DLight));
}

TEST_F(FcShapeButtonTest, CustomPointsFollowTheSizeAndTinyControlsHaveNoPolygon) {
  TTestShapeBtn* button = NewShape(bsCustom, soUp, 75, 25);
  TStringList points;
  points.SetText(L"WIDTH / 2, 0\r\nWIDTH, HEIGHT\r\n0, HEIGHT\r\n");
  button->SetPointList(&points);
  const std::vector<TPoint> corners = button->GetShapePoints();
  ASSERT_EQ(corners.size(), 4u);
  EXPECT_EQ(corners[0], TPoint(37, 0));
  EXPECT_EQ(corners[1], TPoint(74, 24));
  UniqueRegion region = button->CreateRegion(true, false);
  ASSERT_TRUE(region);
  EXPECT_FALSE(::PtInRegion(region.get(), 2, 2));
  EXPECT_TRUE(::PtInRegion(region.get(), 37, 20));
  for (const TPoint size : {TPoint(1, 30), TPoint(30, 1), TPoint(1, 1)}) {
    button->SetShape(bsTriangle);
    button->SetBounds(0, 0, size.X, size.Y);
    EXPECT_TRUE(button->GetShapePoints().empty());
    MemorySurface surface(2, 31);
    button->PaintToDC(surface.DC());  // nothing turned, nothing drawn, no division by zero
  }
  button->SetBounds(0, 0, 30, 30);
  points.SetText(L"0, 0\r\n5, 5\r\n");
  button->SetPointList(&points);
  button->SetShape(bsCustom);
  EXPECT_TRUE(button->GetShapePoints().empty());  // two lines: no polygon
}

TEST_F(FcShapeButtonTest, ABadPointListReachesTheApplicationAndLeavesARectangle) {
  ShowForm();
  auto* button = new TfcShapeBtn(Form);
  button->SetBounds(20, 20, 60, 40);
  button->SetShape(bsEllipse);
  button->SetParent(Form);
  Pump();
  std::vector<String> errors;
  Application->SetOnException([&](TObject*, Exception& e) { errors.push_back(e.Message()); });
  TStringList points;
  points.SetText(L"0, 0\r\n10 20\r\n5, 5\r\n");
  button->SetPointList(&points);
  button->SetShape(bsCustom);
  Pump();
  button->Repaint();
  Pump();
  FailTestsOnApplicationExceptions();
  ASSERT_GE(errors.size(), 1u);
  EXPECT_EQ(errors[0],
            L"Invalid Custom Points Format.  X and Y Coordinates must be separated by a comma "
            L"and space.");
  EXPECT_EQ(button->GetShape(), bsRect);
  MemorySurface surface(60, 40);
  button->PaintToDC(surface.DC());
  EXPECT_EQ(surface.At(5, 5), Rgb(clBtnFace));  // a rectangle now
  EXPECT_TRUE(::IsWindow(button->GetHandle()));
}

TEST_F(FcShapeButtonTest, AMessageDialogButtonClosesItsFormWithItsResult) {
  ShowForm();
  auto* button = new TfcShapeBtn(Form);
  button->SetBounds(20, 20, 75, 25);
  button->SetShape(bsRoundRect);
  button->SetModalResult(mrOk);
  button->SetCaption(L"确定");
  button->SetParent(Form);
  Pump();
  EXPECT_EQ(button->GetRoundRectBias(), 25);
  EXPECT_EQ(button->GetShadeStyle(), fbsHighlight);
  ClickWindow(button->GetHandle(), 37, 12);
  EXPECT_EQ(Form->GetModalResult(), mrOk);
  UniqueRegion window(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(::GetWindowRgn(button->GetHandle(), window.get()), ERROR);
  EXPECT_FALSE(::PtInRegion(window.get(), 1, 1));
  EXPECT_TRUE(::PtInRegion(window.get(), 37, 12));
  // The dialog's other buttons beside it, and a star, for a person to look at.
  auto* cancel = new TfcShapeBtn(Form);
  cancel->SetBounds(110, 20, 75, 25);
  cancel->SetShape(bsRoundRect);
  cancel->SetCaption(L"取消");
  cancel->SetParent(Form);
  auto* star = new TfcShapeBtn(Form);
  star->SetBounds(200, 10, 60, 60);
  star->SetShape(bsStar);
  star->SetColor(clYellow);
  star->SetParent(Form);
  Pump();
  EXPECT_TRUE(SaveWindowScreenshot(Form->GetHandle(), L"imagebutton_dialog_buttons"));
}

}  // namespace
