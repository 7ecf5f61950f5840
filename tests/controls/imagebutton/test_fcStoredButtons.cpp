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

// Every value below differs from its default, so finding each line again in the text written
// back proves that its name is published and its value read and kept.
TEST_F(FcStoredButtonsTest, EveryClassReadsItsPublishedNamesAndValues) {
  const wchar_t* const dlgLines[] = {L"Shape = bsRoundRect", L"RoundRectBias = 25",
                                     L"ModalResult = 1", L"Orientation = soRight"};
  const wchar_t* const imgLines[] = {
      L"TransparentColor = clWhite", L"DitherColor = clYellow", L"DitherStyle = dsFill",
      L"GroupIndex = 3", L"AllowAllUp = True", L"Down = True",
      L"Options = [boFocusable, boToggleOnUp, boAutoBold]", L"Layout = blGlyphTop",
      L"Margin = 2", L"Spacing = 6", L"NumGlyphs = 3", L"SmoothFont = True",
      L"Offsets.ImageDownX = 5", L"Offsets.TextDownY = 3", L"Offsets.GlyphX = -1",
      L"ShadeColors.BtnFocus = clRed", L"ShadeColors.Shadow = clGray",
      L"TextOptions.Alignment = taLeftJustify"};
  const wchar_t* const groupLines[] = {
      L"AutoBold = False", L"ClickStyle = bcsCheckList", L"ControlSpacing = 0",
      L"Layout = loHorizontal", L"MaxControlSize = 50", L"Transparent = False"};
  const auto object = [](const String& head, const auto& lines) {
    String text = L"  object " + head + L"\n";
    for (const wchar_t* line : lines) text += String(L"    ") + line + L"\n";
    return text + L"  end\n";
  };
  ReadLayout(L"object Form1: TButtonsForm\n" +
             object(L"Dlg1: TfcShapeBtn\n    Left = 10\n    Top = 10\n    Width = 75\n"
                    L"    Height = 25\n    Caption = '确定'\n    PointList.Strings = (\n      '0, 0'\n"
                    L"      'WIDTH, HEIGHT'\n      '0, HEIGHT')\n    OnClick = ControlClick",
                    dlgLines) +
             object(L"Img1: TfcImageBtn\n    Left = 100\n    Top = 10\n    Width = 40\n"
                    L"    Height = 40\n    Color = clNone\n    TabStop = True",
                    imgLines) +
             object(L"fcBG_many: TfcButtonGroup\n    Left = 10\n    Top = 60\n    Width = 240\n"
                    L"    Height = 40\n    ButtonClassName = 'TfcImageBtn'\n    Columns = 1\n"
                    L"    BorderWidth = 2",
                    groupLines) +
             L"end\n");
  auto* dlg = Find<TfcShapeBtn>(L"Dlg1");
  auto* img = Find<TfcImageBtn>(L"Img1");
  ASSERT_TRUE(dlg && img && Find<TfcButtonGroup>(L"fcBG_many"));
  EXPECT_EQ(dlg->GetCaption(), L"确定");
  EXPECT_EQ(dlg->GetPointList()->GetCount(), 3);
  EXPECT_EQ(img->GetImgOffsets()->GetImageDownY(), 2);
  EXPECT_TRUE(img->GetFont()->GetStyle().Contains(fsBold));  // down, grouped, AutoBold
  EXPECT_TRUE(img->GetTabStop());
  ShowForm();
  ClickControl(dlg);
  EXPECT_EQ(Form->ClicksOf(dlg), 1);

  // Written back, each value is kept and defaults are left out; the image button keeps its
  // region blocks.
  const String text = ComponentToText(Form);
  const size_t imgAt = text.find(L"object Img1"), groupAt = text.find(L"object fcBG_many");
  for (const wchar_t* line : dlgLines)
    EXPECT_LT(text.find(line), imgAt) << StringToUtf8(line) << "\n" << StringToUtf8(text);
  for (const wchar_t* line : imgLines)
    EXPECT_LT(text.find(line, imgAt), groupAt) << StringToUtf8(line);
  for (const wchar_t* line : groupLines)
    EXPECT_NE(text.find(line, groupAt), String::npos) << StringToUtf8(line);
  EXPECT_EQ(text.find(L"Shape = bsRect"), String::npos);
  EXPECT_EQ(text.find(L"Offsets.ImageDownY"), String::npos);
  EXPECT_NE(text.find(L"RegionData = {"), String::npos);
  EXPECT_NE(text.find(L"DownRegionData = {"), String::npos);
  EXPECT_EQ(text.find(L"RegionData", text.find(L"object Dlg1")), text.find(L"RegionData", imgAt));
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
