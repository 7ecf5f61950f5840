// The rich edit's character and paragraph attribute objects on a real rich edit window:
// what they read before and after the window exists, what they write, and bad tab indexes.
#include <gtest/gtest.h>

#include "classlib/stdctrls/RichEditAttributes.h"
#include "tests/classlib/stdctrls/GridTestSupport.h"

namespace {

// A control whose window is the system's rich edit.
class TRichWindow : public TWinControl {
  CLASSLIB_CLASS(TRichWindow, TWinControl)
  explicit TRichWindow(TComponent* owner) : TWinControl(owner) {}

 protected:
  void CreateParams(TCreateParams& params) override {
    inherited::CreateParams(params);
    ::LoadLibraryW(L"riched20.dll");
    CreateSubClass(params, L"RichEdit20W");
    params.Style |= ES_MULTILINE;
  }
};

class RichEditAttributesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Host = std::make_unique<grid_tests::TTestHost>();
    Edit = new TRichWindow(Host.get());
    Edit->SetParent(Host.get());
    Edit->SetBounds(10, 10, 300, 200);
  }
  void Fill(const wchar_t* text) {
    Edit->HandleNeeded();
    ::SetWindowTextW(Edit->GetHandle(), text);
    Edit->Perform(EM_SETSEL, 0, -1);
  }
  std::unique_ptr<grid_tests::TTestHost> Host;
  TRichWindow* Edit = nullptr;  // owned by Host
};

TEST_F(RichEditAttributesTest, CharacterFormatOfTheSelectionAndTheDefault) {
  TTextAttributes selected(Edit, TTextAttributeType::atSelected);
  TTextAttributes defaults(Edit, TTextAttributeType::atDefaultText);
  EXPECT_EQ(selected.GetName(), L"") << "no window yet: nothing read";
  EXPECT_EQ(selected.GetColor(), ColorFromInt(0));
  Fill(L"abc");
  selected.SetName(L"Courier New");
  selected.SetPitch(fpFixed);
  selected.SetStyle(TFontStyles{fsBold, fsStrikeOut});
  selected.SetColor(clRed);
  selected.SetCharset(GB2312_CHARSET);
  EXPECT_EQ(selected.GetName(), L"Courier New");
  EXPECT_EQ(selected.GetPitch(), fpFixed);
  EXPECT_EQ(selected.GetStyle(), (TFontStyles{fsBold, fsStrikeOut}));
  EXPECT_EQ(selected.GetColor(), clRed);
  EXPECT_EQ(selected.GetCharset(), GB2312_CHARSET);
  EXPECT_FALSE(defaults.GetStyle().Contains(fsBold)) << "the selection's format only";
  selected.SetColor(clWindowText);
  EXPECT_EQ(selected.GetColor(), clWindowText) << "the automatic colour";
  selected.SetName(String(40, L'x'));
  EXPECT_EQ(selected.GetName(), String(31, L'x'));
}

// The pitch is the byte's low two bits: a fixed-pitch face of the modern family is fixed.
TEST_F(RichEditAttributesTest, PitchIsReadFromThePitchBitsBesideTheFamily) {
  Fill(L"abc");
  CHARFORMATW courier{sizeof(CHARFORMATW), CFM_FACE};
  courier.bPitchAndFamily = FIXED_PITCH | FF_MODERN;
  wcscpy(courier.szFaceName, L"Courier New");
  Edit->Perform(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&courier));
  TTextAttributes selected(Edit, TTextAttributeType::atSelected);
  EXPECT_EQ(selected.GetPitch(), fpFixed);
  selected.SetPitch(fpVariable);
  EXPECT_EQ(selected.GetPitch(), fpVariable);
}

TEST_F(RichEditAttributesTest, ParagraphFormat) {
  Fill(L"one\rtwo");
  TParaAttributes paragraph(Edit);
  paragraph.SetAlignment(taCenter);
  paragraph.SetFirstIndent(10);
  paragraph.SetLeftIndent(4);
  paragraph.SetRightIndent(5);
  paragraph.SetNumbering(TNumberingStyle::nsBullet);
  EXPECT_EQ(paragraph.GetAlignment(), taCenter);
  EXPECT_EQ(paragraph.GetFirstIndent(), 10);
  EXPECT_EQ(paragraph.GetLeftIndent(), 4);
  EXPECT_EQ(paragraph.GetRightIndent(), 5);
  EXPECT_EQ(paragraph.GetNumbering(), TNumberingStyle::nsBullet);
  PARAFORMAT justified{sizeof(PARAFORMAT), PFM_ALIGNMENT};
  justified.wAlignment = PFA_JUSTIFY;
  Edit->Perform(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&justified));
  EXPECT_EQ(paragraph.GetAlignment(), taLeftJustify) << "justified reads as left";

  paragraph.SetTab(1, 72);
  EXPECT_EQ(paragraph.GetTabCount(), 2);
  EXPECT_EQ(paragraph.GetTab(1), 72);
  paragraph.SetTabCount(0);
  EXPECT_EQ(paragraph.GetTabCount(), 0);
  EXPECT_THROW(paragraph.SetTab(32, 1), EListError);
  EXPECT_THROW(paragraph.GetTab(-1), EListError);
}

}  // namespace
