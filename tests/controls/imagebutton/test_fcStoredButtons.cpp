// The buttons, the group and the transparent panel as a stored window layout gives them:
// every published name and value read, and only what differs from the defaults written.
// The transparent panel repaints what lies under it and keeps its window style until the
// window is made again.
#include <gtest/gtest.h>

#include "classlib/classes/Layouts.h"
#include "controls/imagebutton/ImageButtonRegistration.h"
#include "controls/imagebutton/fcButtonGroup.h"
#include "controls/imagebutton/fcImgBtn.h"
#include "controls/imagebutton/fcShapeBtn.h"
#include "tests/classlib/stdctrls/ButtonsTestSupport.h"

using namespace button_tests;

namespace {

class FcStoredButtonsTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    RegisterImageButtonClasses();
  }
};

TEST_F(FcStoredButtonsTest, EveryClassReadsItsPublishedNamesAndValues) {
  ReadLayout(
      L"object Form1: TButtonsForm\n"
      L"  object Dlg1: TfcShapeBtn\n"
      L"    Left = 10\n    Top = 10\n    Width = 75\n    Height = 25\n"
      L"    Caption = '确定'\n"
      L"    Shape = bsRoundRect\n    RoundRectBias = 25\n    ShadeStyle = fbsHighlight\n"
      L"    ModalResult = 1\n    Orientation = soRight\n"
      L"    PointList.Strings = (\n      '0, 0'\n      'WIDTH, HEIGHT'\n      '0, HEIGHT')\n"
      L"    OnClick = ControlClick\n"
      L"  end\n"
      L"  object Img1: TfcImageBtn\n"
      L"    Left = 100\n    Top = 10\n    Width = 40\n    Height = 40\n"
      L"    Color = clNone\n    TransparentColor = clWhite\n    DitherColor = clYellow\n"
      L"    DitherStyle = dsFill\n    GroupIndex = 3\n    AllowAllUp = True\n    Down = True\n"
      L"    Options = [boFocusable, boToggleOnUp, boAutoBold]\n    Layout = blGlyphTop\n"
      L"    Margin = 2\n    Spacing = 6\n    NumGlyphs = 3\n    SmoothFont = True\n"
      L"    Offsets.ImageDownX = 5\n    Offsets.TextDownY = 3\n    Offsets.GlyphX = -1\n"
      L"    ShadeColors.BtnFocus = clRed\n    ShadeColors.Shadow = clGray\n"
      L"    TextOptions.Alignment = taLeftJustify\n    TabStop = True\n"
      L"  end\n"
      L"  object fcBG_many: TfcButtonGroup\n"
      L"    Left = 10\n    Top = 60\n    Width = 240\n    Height = 40\n"
      L"    AutoBold = False\n    ButtonClassName = 'TfcImageBtn'\n    ClickStyle = bcsCheckList\n"
      L"    Columns = 1\n    ControlSpacing = 0\n    Layout = loHorizontal\n"
      L"    MaxControlSize = 50\n    Transparent = False\n    BorderWidth = 2\n"
      L"  end\n"
      L"end\n");
  auto* dlg = Find<TfcShapeBtn>(L"Dlg1");
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(dlg->GetShape(), bsRoundRect);
  EXPECT_EQ(dlg->GetRoundRectBias(), 25);
  EXPECT_EQ(dlg->GetShadeStyle(), fbsHighlight);
  EXPECT_EQ(dlg->GetModalResult(), 1);
  EXPECT_EQ(dlg->GetOrientation(), soRight);
  EXPECT_EQ(dlg->GetPointList()->GetCount(), 3);
  EXPECT_EQ(dlg->GetCaption(), L"确定");
  ShowForm();
  ClickControl(dlg);
  EXPECT_EQ(Form->ClicksOf(dlg), 1);

  auto* img = Find<TfcImageBtn>(L"Img1");
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(img->GetTransparentColor(), clWhite);
  EXPECT_EQ(img->GetDitherColor(), clYellow);
  EXPECT_EQ(img->GetDitherStyle(), dsFill);
  EXPECT_TRUE(img->GetDown());
  EXPECT_TRUE(img->GetAllowAllUp());
  EXPECT_EQ(img->GetOptions(), (TfcButtonOptions{boFocusable, boToggleOnUp, boAutoBold}));
  EXPECT_TRUE(img->GetFont()->GetStyle().Contains(fsBold));  // down, grouped, AutoBold
  EXPECT_EQ(img->GetLayout(), blGlyphTop);
  EXPECT_EQ(img->GetMargin(), 2);
  EXPECT_EQ(img->GetSpacing(), 6);
  EXPECT_EQ(img->GetNumGlyphs(), 3);
  EXPECT_TRUE(img->GetSmoothFont());
  EXPECT_EQ(img->GetImgOffsets()->GetImageDownX(), 5);
  EXPECT_EQ(img->GetImgOffsets()->GetImageDownY(), 2);
  EXPECT_EQ(img->GetOffsets()->GetTextDownY(), 3);
  EXPECT_EQ(img->GetOffsets()->GetGlyphX(), -1);
  EXPECT_EQ(img->GetShadeColors()->GetBtnFocus(), clRed);
  EXPECT_EQ(img->GetShadeColors()->GetShadow(), clGray);
  EXPECT_EQ(img->GetTextOptions()->GetAlignment(), taLeftJustify);
  EXPECT_TRUE(img->GetTabStop());

  auto* group = Find<TfcButtonGroup>(L"fcBG_many");
  ASSERT_NE(group, nullptr);
  EXPECT_FALSE(group->GetAutoBold());
  EXPECT_EQ(group->GetButtonClassName(), L"TfcImageBtn");
  EXPECT_EQ(group->GetClickStyle(), bcsCheckList);
  EXPECT_EQ(group->GetControlSpacing(), 0);
  EXPECT_EQ(group->GetLayout(), loHorizontal);
  EXPECT_EQ(group->GetMaxControlSize(), 50);
  EXPECT_FALSE(group->GetTransparent());

  // Written back, defaults are left out and the image button keeps its region blocks.
  const String text = ComponentToText(Form);
  EXPECT_NE(text.find(L"Shape = bsRoundRect"), String::npos);
  EXPECT_EQ(text.find(L"Shape = bsRect"), String::npos);
  EXPECT_NE(text.find(L"DitherStyle = dsFill"), String::npos);
  EXPECT_NE(text.find(L"Options = [boFocusable, boToggleOnUp, boAutoBold]"), String::npos);
  EXPECT_EQ(text.find(L"Offsets.ImageDownY"), String::npos);
  EXPECT_NE(text.find(L"RegionData = {"), String::npos);
  EXPECT_NE(text.find(L"DownRegionData = {"), String::npos);
  const size_t dlgAt = text.find(L"object Dlg1");
  EXPECT_EQ(text.find(L"RegionData", dlgAt), text.find(L"RegionData", text.find(L"object Img1")));
  EXPECT_EQ(text.find(L"ButtonItems"), String::npos);
}

TEST_F(FcStoredButtonsTest, ATransparentPanelRepaintsItsParentAndKeepsItsStyleUntilRecreated) {
  ShowForm();
  auto* group = new TfcButtonGroup(Form);
  group->SetParent(Form);
  group->SetBounds(50, 50, 120, 40);
  group->SetButtonClassName(L"TfcImageBtn");
  group->GetButtonItems()->Add();
  Pump();
  EXPECT_TRUE(group->GetTransparent());
  EXPECT_TRUE(::GetWindowLongW(group->GetHandle(), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  ::ValidateRect(Form->GetHandle(), nullptr);
  TfcCustomBitBtn* button = group->GetButtonItems()->GetItem(0)->GetButton();
  ::ValidateRect(button->GetHandle(), nullptr);
  group->SetBounds(60, 80, 120, 40);  // moved: the parent under the new place, the child
  RECT invalid;
  ASSERT_TRUE(::GetUpdateRect(Form->GetHandle(), &invalid, FALSE));
  EXPECT_LE(invalid.left, 60);
  EXPECT_GE(invalid.right, 180);
  EXPECT_LE(invalid.top, 80);
  EXPECT_TRUE(::GetUpdateRect(button->GetHandle(), &invalid, FALSE));
  Pump();
  group->SetTransparent(false);
  EXPECT_TRUE(::GetWindowLongW(group->GetHandle(), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  group->RecreateWnd();
  Pump();
  EXPECT_FALSE(::GetWindowLongW(group->GetHandle(), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
}

}  // namespace
