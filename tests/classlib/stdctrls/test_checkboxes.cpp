// Check boxes, radio buttons and radio groups driven by clicks, Space, the arrow keys and
// accelerators, with their OnClick counted; bad item indexes are clamped.
#include <gtest/gtest.h>

#include "ButtonsTestSupport.h"
#include "classlib/stdctrls/CheckBoxes.h"
#include "classlib/stdctrls/RadioGroup.h"

using namespace button_tests;

namespace {

int SystemCheck(TWinControl* control) {
  return static_cast<int>(::SendMessageW(control->GetHandle(), BM_GETCHECK, 0, 0));
}

class CheckBoxTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    ReadLayout(
        L"object Form1: TButtonsForm\n"
        L"  object CheckBox1: TCheckBox\n    Left = 8\n    Top = 8\n    Caption = '&Music'\n"
        L"    State = cbGrayed\n    OnClick = ControlClick\n  end\n"
        L"  object Radio1: TRadioButton\n    Left = 8\n    Top = 40\n    Caption = 'One'\n"
        L"    Checked = True\n    OnClick = ControlClick\n  end\n"
        L"  object Radio2: TRadioButton\n    Left = 8\n    Top = 60\n    Caption = 'Two'\n"
        L"    OnClick = ControlClick\n  end\n"
        L"  object Radio3: TRadioButton\n    Left = 8\n    Top = 80\n    Caption = '&Three'\n"
        L"    OnClick = ControlClick\n  end\n"
        L"end\n");
    Box = Find<TCheckBox>(L"CheckBox1");
    One = Find<TRadioButton>(L"Radio1");
    Two = Find<TRadioButton>(L"Radio2");
    Three = Find<TRadioButton>(L"Radio3");
    ShowForm();
  }
  TCheckBox* Box = nullptr;
  TRadioButton* One = nullptr;
  TRadioButton* Two = nullptr;
  TRadioButton* Three = nullptr;
};

TEST_F(CheckBoxTest, ClicksToggleTheStateAndRunOnClick) {
  ASSERT_TRUE(Box && One && Two && Three);
  EXPECT_EQ(Box->GetState(), cbGrayed);  // read from the layout, before OnClick was bound
  EXPECT_EQ(SystemCheck(Box), BST_INDETERMINATE);
  EXPECT_EQ(Form->ClicksOf(Box), 0);

  ClickControl(Box);  // grayed -> checked
  EXPECT_EQ(SystemCheck(Box), BST_CHECKED);
  EXPECT_TRUE(Box->GetChecked());
  ClickControl(Box);  // checked -> unchecked
  EXPECT_EQ(Box->GetState(), cbUnchecked);
  ClickControl(Box);  // without AllowGrayed: unchecked -> checked
  EXPECT_EQ(Box->GetState(), cbChecked);
  EXPECT_EQ(Form->ClicksOf(Box), 3);

  Box->SetAllowGrayed(true);
  Box->SetChecked(false);
  ClickControl(Box);
  EXPECT_EQ(Box->GetState(), cbGrayed);
  // Setting the state in code runs OnClick too; an unchanged or impossible one does not.
  const int clicks = Form->ClicksOf(Box);
  Box->SetState(cbGrayed);
  Box->SetState(static_cast<TCheckBoxState>(7));
  EXPECT_EQ(Form->ClicksOf(Box), clicks);
  EXPECT_EQ(Box->GetState(), cbGrayed);
}

TEST_F(CheckBoxTest, SpaceAndTheAcceleratorToggleTheFocusedBox) {
  Box->SetChecked(false);
  Box->SetFocus();
  PressKey(VK_SPACE);
  EXPECT_TRUE(Box->GetChecked());

  One->SetFocus();
  PressAltChar(L'm');
  EXPECT_TRUE(Box->Focused());
  EXPECT_FALSE(Box->GetChecked());
}

TEST_F(CheckBoxTest, CheckingARadioButtonUnchecksItsSiblingsAndTheArrowsMoveTheCheck) {
  EXPECT_TRUE(One->GetChecked());
  EXPECT_TRUE(One->GetTabStop());
  EXPECT_FALSE(Two->GetTabStop());
  ClickControl(Two);
  EXPECT_TRUE(Two->GetChecked());
  EXPECT_FALSE(One->GetChecked());
  EXPECT_EQ(SystemCheck(One), BST_UNCHECKED);
  EXPECT_EQ(SystemCheck(Two), BST_CHECKED);
  EXPECT_EQ(Form->ClicksOf(Two), 1);
  EXPECT_EQ(Form->ClicksOf(One), 0);  // unchecking runs no OnClick

  ClickControl(Two);  // already checked: no new click
  EXPECT_EQ(Form->ClicksOf(Two), 1);

  ASSERT_TRUE(Two->Focused());
  PressKey(VK_DOWN);
  EXPECT_TRUE(Three->Focused());
  EXPECT_TRUE(Three->GetChecked());
  EXPECT_FALSE(Two->GetChecked());
  EXPECT_EQ(Form->ClicksOf(Three), 1);

  // The accelerator focuses a radio button, which the focus checks.
  PressKey(VK_UP);
  EXPECT_TRUE(Two->GetChecked());
  PressAltChar(L't');
  EXPECT_TRUE(Three->Focused());
  EXPECT_TRUE(Three->GetChecked());
}

class RadioGroupTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    ReadLayout(
        L"object Form1: TButtonsForm\n"
        L"  object RadioGroup1: TRadioGroup\n"
        L"    Left = 10\n    Top = 10\n    Width = 210\n    Height = 105\n    Caption = 'Level'\n"
        L"    ItemIndex = 1\n    Items.Strings = (\n      'Easy'\n      'Normal'\n      'Hard')\n"
        L"    OnClick = ControlClick\n  end\n"
        L"end\n");
    Group = Find<TRadioGroup>(L"RadioGroup1");
    ShowForm();
  }
  TRadioGroup* Group = nullptr;
};

TEST_F(RadioGroupTest, ButtonsFollowTheItemsAndAClickSetsItemIndex) {
  ASSERT_NE(Group, nullptr);
  ASSERT_EQ(Group->GetButtonCount(), 3);
  EXPECT_EQ(Group->GetItemIndex(), 1);
  EXPECT_TRUE(Group->GetButton(1)->GetChecked());
  EXPECT_EQ(Group->GetButton(2)->GetCaption(), L"Hard");
  EXPECT_EQ(Form->ClicksOf(Group), 0);  // reading the layout clicks nothing

  ClickControl(Group->GetButton(2));
  EXPECT_EQ(Group->GetItemIndex(), 2);
  EXPECT_FALSE(Group->GetButton(1)->GetChecked());
  EXPECT_EQ(Form->ClicksOf(Group), 1);

  PressKey(VK_UP);
  EXPECT_EQ(Group->GetItemIndex(), 1);
  EXPECT_EQ(Form->ClicksOf(Group), 2);

  // Setting ItemIndex in code checks the button and runs OnClick.
  Group->SetItemIndex(0);
  EXPECT_TRUE(Group->GetButton(0)->GetChecked());
  EXPECT_EQ(Form->ClicksOf(Group), 3);

  // The buttons are the group's own: they are not written.
  const std::string text = StringToUtf8(ComponentToText(Form));
  EXPECT_EQ(text.find("TGroupButton"), std::string::npos) << text;
  EXPECT_NE(text.find("'Normal'"), std::string::npos);
}

TEST_F(RadioGroupTest, BadIndexesAreClampedAndFewerItemsPullItemIndexBack) {
  Group->SetItemIndex(-5);
  EXPECT_EQ(Group->GetItemIndex(), -1);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(Group->GetButton(i)->GetChecked());
  Group->SetItemIndex(99);
  EXPECT_EQ(Group->GetItemIndex(), 2);
  EXPECT_TRUE(Group->GetButton(2)->GetChecked());

  Group->GetItems()->Delete(2);
  EXPECT_EQ(Group->GetButtonCount(), 2);
  EXPECT_EQ(Group->GetItemIndex(), 1);
  Group->GetItems()->Clear();
  EXPECT_EQ(Group->GetButtonCount(), 0);
  EXPECT_EQ(Group->GetItemIndex(), -1);
  Group->SetItemIndex(0);  // nothing to check
  EXPECT_EQ(Group->GetItemIndex(), -1);
  EXPECT_EQ(Group->GetButton(0), nullptr);
}

TEST_F(RadioGroupTest, ColumnsSpreadTheButtonsAcrossTheGroup) {
  Group->GetItems()->Add(L"Expert");
  Group->SetColumns(2);
  ASSERT_EQ(Group->GetButtonCount(), 4);
  const int width = (210 - 10) / 2;
  EXPECT_EQ(Group->GetButton(0)->GetLeft(), 8);
  EXPECT_EQ(Group->GetButton(2)->GetLeft(), 8 + width);
  EXPECT_EQ(Group->GetButton(0)->GetWidth(), width);
  EXPECT_EQ(Group->GetButton(1)->GetTop(), Group->GetButton(3)->GetTop());
  EXPECT_GT(Group->GetButton(1)->GetTop(), Group->GetButton(0)->GetTop());
  Group->SetColumns(0);
  EXPECT_EQ(Group->GetColumns(), 1);
  Group->SetColumns(100);
  EXPECT_EQ(Group->GetColumns(), 16);
}

TEST_F(RadioGroupTest, AnOnClickThatReplacesTheItemsDoesNotPullTheButtonFromUnderItsClick) {
  int clicks = 0;
  Group->SetOnClick([this, &clicks](TObject*) {
    ++clicks;
    Group->GetItems()->SetText(L"Red\r\nGreen\r\n");
  });
  ClickControl(Group->GetButton(2));
  EXPECT_EQ(clicks, 1);
  ASSERT_EQ(Group->GetButtonCount(), 2);
  EXPECT_EQ(Group->GetButton(1)->GetCaption(), L"Green");
  Pump();  // the old button goes now
  ClickControl(Group->GetButton(0));
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(Group->GetItemIndex(), 0);
}

}  // namespace
