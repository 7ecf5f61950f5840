// The skin-aware radio group as the study plan uses it (two items, a caption, disabled at
// first, transparent with blending, ItemIndex set in code) as a real window: OnClick counts
// for code and mouse, clamping of stored and written indexes, layouts, tiny sizes, an OnClick
// that changes the items; screenshots themed and classic.
#include <gtest/gtest.h>

#include "classlib/classes/Layouts.h"
#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/controls/SkinRadioGroup.h"

using namespace skin_tests;

namespace {

const wchar_t* const PlanLayout =
    L"object Form1: TButtonsForm\n"
    L"  Color = clBtnFace\n"
    L"  object Plan: TSeSkinRadioGroup\n    Left = 8\n    Top = 8\n    Width = 380\n"
    L"    Height = 90\n    Enabled = False\n    Caption = '学习计划'\n"
    L"    Blending.Enabled = True\n    Blending.Value = 200\n"
    L"    Items.Strings = (\n"
    L"      '按作题数量制定学习计划      每天                   道题'\n"
    L"      '按作题时间制定学习计划      每天                   分钟')\n"
    L"    OnClick = ControlClick\n  end\n"
    L"end\n";

class SkinRadioGroupTest : public SkinFormTest {
 protected:
  void SetUp() override {
    SkinFormTest::SetUp();
    ReadLayout(PlanLayout);
    Plan = Find<TSeSkinRadioGroup>(L"Plan");
    ShowForm();
  }
  TSeSkinRadioGroup* Plan = nullptr;
};

TEST_F(SkinRadioGroupTest, PlanGroupReadsDisabledTransparentWithTwoButtons) {
  ASSERT_TRUE(Plan);
  EXPECT_EQ(Plan->GetItemIndex(), -1);
  ASSERT_EQ(Plan->GetButtonCount(), 2);
  for (int i = 0; i < 2; ++i) {
    TSeSkinGroupButton* button = Plan->GetButton(i);
    EXPECT_FALSE(button->GetEnabled());  // the group's disabling reaches its buttons
    EXPECT_FALSE(button->GetChecked());
    EXPECT_EQ(button->GetCaption(), Plan->GetItems()->Get(i));
    EXPECT_GT(button->GetHeight(), 0);
    EXPECT_EQ(button->GetLeft(), 8);
  }
  EXPECT_GT(Plan->GetButton(1)->GetTop(), Plan->GetButton(0)->GetTop());
  EXPECT_EQ(Form->ClicksOf(Plan), 0);
  SaveScreenshot(Form->GetHandle(), L"skin_radio_group_disabled");
}

TEST_F(SkinRadioGroupTest, ItemIndexInCodeAndMouseClicksFireOnClickOnce) {
  // Set while disabled, as the plan window does when it shows the stored plan.
  Plan->SetItemIndex(1);
  EXPECT_EQ(Plan->GetItemIndex(), 1);
  EXPECT_TRUE(Plan->GetButton(1)->GetChecked());
  EXPECT_EQ(Form->ClicksOf(Plan), 1);
  Plan->SetItemIndex(1);  // unchanged: no click
  EXPECT_EQ(Form->ClicksOf(Plan), 1);

  Plan->SetEnabled(true);
  Pump();
  EXPECT_TRUE(Plan->GetButton(0)->GetEnabled());
  ClickControl(Plan->GetButton(0));
  EXPECT_EQ(Plan->GetItemIndex(), 0);
  EXPECT_TRUE(Plan->GetButton(0)->GetChecked());
  EXPECT_FALSE(Plan->GetButton(1)->GetChecked());
  EXPECT_EQ(Form->ClicksOf(Plan), 2);
  ClickControl(Plan->GetButton(0));  // already chosen
  EXPECT_EQ(Form->ClicksOf(Plan), 2);
  SaveScreenshot(Form->GetHandle(), L"skin_radio_group_enabled");
  WithoutThemes([&] { SaveScreenshot(Form->GetHandle(), L"skin_radio_group_classic"); });

  // Disabling the group disables its buttons (the system then sends them no mouse input).
  Plan->SetEnabled(false);
  Pump();
  EXPECT_FALSE(Plan->GetButton(1)->GetEnabled());
  EXPECT_FALSE(::IsWindowEnabled(Plan->GetButton(1)->GetHandle()));
}

TEST_F(SkinRadioGroupTest, WrittenIndexesAndColumnsAreClamped) {
  Plan->GetItems()->Add(L"Third");
  Plan->SetItemIndex(5);
  EXPECT_EQ(Plan->GetItemIndex(), 2);
  EXPECT_TRUE(Plan->GetButton(2)->GetChecked());
  Plan->SetItemIndex(-7);
  EXPECT_EQ(Plan->GetItemIndex(), -1);
  EXPECT_FALSE(Plan->GetButton(2)->GetChecked());
  EXPECT_EQ(Form->ClicksOf(Plan), 1);  // unchecking clicks nothing
  Plan->SetItemIndex(2);
  Plan->GetItems()->Delete(2);  // beyond the end: the last item
  EXPECT_EQ(Plan->GetItemIndex(), 1);
  EXPECT_EQ(Plan->GetButtonCount(), 2);
  Plan->SetColumns(0);
  EXPECT_EQ(Plan->GetColumns(), 1);
  Plan->SetColumns(40);
  EXPECT_EQ(Plan->GetColumns(), 16);
  Plan->SetColumns(2);
  EXPECT_EQ(Plan->GetButton(1)->GetTop(), Plan->GetButton(0)->GetTop());
  EXPECT_GT(Plan->GetButton(1)->GetLeft(), Plan->GetButton(0)->GetLeft());
}

TEST_F(SkinRadioGroupTest, TinyGroupGivesNoButtonANegativeSize) {
  Plan->SetBounds(8, 8, 4, 3);
  Pump();
  for (int i = 0; i < Plan->GetButtonCount(); ++i) {
    EXPECT_GE(Plan->GetButton(i)->GetWidth(), 0);
    EXPECT_GE(Plan->GetButton(i)->GetHeight(), 0);
  }
}

TEST_F(SkinRadioGroupTest, StoredIndexIsKeptWhileReadingAndClampedToTheItems) {
  // ItemIndex stands before Items in this layout, and beyond them.
  std::unique_ptr<TButtonsForm> other(TCustomForm::Create<TButtonsForm>(nullptr));
  TStringStream stream(
      L"object Form1: TButtonsForm\n"
      L"  object G: TSeSkinRadioGroup\n    Width = 200\n    Height = 80\n"
      L"    ItemIndex = 7\n    Items.Strings = (\n      'a'\n      'b')\n  end\n"
      L"end\n");
  ReadComponentFromStream(stream, other.get());
  auto* g = dynamic_cast<TSeSkinRadioGroup*>(other->FindComponent(L"G"));
  ASSERT_TRUE(g);
  EXPECT_EQ(g->GetItemIndex(), 1);
  EXPECT_TRUE(g->GetButton(1)->GetChecked());
  EXPECT_EQ(other->ClicksOf(g), 0);  // nothing clicks while a layout is read
  // The buttons are not stored: a layout written back holds the group only.
  const String text = ComponentToText(other.get());
  EXPECT_EQ(text.find(L"TSeSkinGroupButton"), String::npos);
  EXPECT_NE(text.find(L"ItemIndex = 1"), String::npos);
}

TEST_F(SkinRadioGroupTest, OnClickThatReplacesTheItemsFreesTheClickedButtonLater) {
  Plan->SetEnabled(true);
  Pump();
  int calls = 0;
  Plan->SetOnClick([&](TObject*) {
    if (++calls == 1) Plan->GetItems()->Clear();
  });
  ClickControl(Plan->GetButton(1));
  Pump();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(Plan->GetButtonCount(), 0);
  EXPECT_EQ(Plan->GetItemIndex(), -1);
}

}  // namespace
