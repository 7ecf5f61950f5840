// The button group on a real form: radio, check-list and click styles driven by mouse
// messages with OnChanging/OnChange and their old and new items, the keys with wrap-around,
// Add at run time, the layout of the buttons, bad settings, and a stored pad of 20 image
// buttons read from layout text.
#include <gtest/gtest.h>

#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Layouts.h"
#include "controls/imagebutton/fcButtonGroup.h"
#include "controls/imagebutton/fcImgBtn.h"
#include "tests/classlib/stdctrls/ButtonsTestSupport.h"
#include "tests/controls/imagebutton/WindowTestSupport.h"

using namespace button_tests;

namespace {

// A group that counts its selection events, also those a layout read would fire.
class TCountingGroup : public TfcButtonGroup {
  CLASSLIB_CLASS(TCountingGroup, TfcButtonGroup)
  explicit TCountingGroup(TComponent* owner) : TfcButtonGroup(owner) {}
  int Changing = 0;
  int Change = 0;

 protected:
  void DoChanging(TfcButtonGroupItem* oldSelected, TfcButtonGroupItem* selected) override {
    ++Changing;
    inherited::DoChanging(oldSelected, selected);
  }
  void DoChange(TfcButtonGroupItem* oldSelected, TfcButtonGroupItem* selected) override {
    ++Change;
    inherited::DoChange(oldSelected, selected);
  }
};

// A 40 x 40 picture with a magenta corner (the transparent colour) and a blue face.
void PaintPad(TfcBitmap& image) {
  image.SetSize(40, 40);
  image.GetCanvas()->GetBrush()->SetColor(clFuchsia);
  image.GetCanvas()->FillRect(TRect(0, 0, 40, 40));
  image.GetCanvas()->GetBrush()->SetColor(RGBColor(30, 60, 200));
  image.GetCanvas()->Ellipse(TRect(0, 0, 40, 40));
  ::GdiFlush();
  image.Changed(&image);
}

struct Event {
  bool Changing;
  TfcButtonGroupItem* Old;
  TfcButtonGroupItem* New;
  bool operator==(const Event&) const = default;
};
using Events_ = std::vector<Event>;

class FcButtonGroupTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    RegisterClass<TCountingGroup>();
  }
  // A group of `count` image buttons side by side, the first holding the picture.
  TCountingGroup* NewPad(int count, TfcButtonGroupClickStyle style) {
    auto* group = new TCountingGroup(Form);
    group->SetName(L"Pad");
    group->SetParent(Form);
    group->SetBounds(10, 10, 40 * count, 40);
    group->SetControlSpacing(0);
    group->SetLayout(loHorizontal);
    group->SetButtonClassName(L"TfcImageBtn");
    group->SetClickStyle(style);
    for (int i = 0; i < count; ++i) {
      TfcButtonGroupItem* item = group->GetButtonItems()->Add();
      item->GetButton()->SetCaption(String(1, static_cast<wchar_t>(L'A' + i)));
      if (i == 0) {
        TfcBitmap picture;
        PaintPad(picture);
        static_cast<TfcImageBtn*>(item->GetButton())->SetImage(&picture);
      }
    }
    group->OnChanging = [this](TfcCustomButtonGroup*, TfcButtonGroupItem* o, TfcButtonGroupItem* n) {
      Events.push_back({true, o, n});
    };
    group->OnChange = [this](TfcCustomButtonGroup*, TfcButtonGroupItem* o, TfcButtonGroupItem* n) {
      Events.push_back({false, o, n});
    };
    return group;
  }
  static TfcCustomBitBtn* ButtonOf(TfcCustomButtonGroup* group, int index) {
    return group->GetButtonItems()->GetItem(index)->GetButton();
  }
  static void ClickButton(TfcCustomBitBtn* button) { ClickWindow(button->GetHandle(), 20, 20); }

  std::vector<Event> Events;
};

TEST_F(FcButtonGroupTest, ARadioPadTellsTheOldAndNewItemsAndBoldsTheSelection) {
  ShowForm();
  TCountingGroup* pad = NewPad(4, bcsRadioGroup);
  Pump();
  TfcButtonGroupItems* items = pad->GetButtonItems();
  EXPECT_EQ(ButtonOf(pad, 3)->GetBoundsRect(), Bounds(120, 0, 40, 40));
  ClickButton(ButtonOf(pad, 0));
  ClickButton(ButtonOf(pad, 2));
  TfcButtonGroupItem* const first = items->GetItem(0);
  TfcButtonGroupItem* const third = items->GetItem(2);
  EXPECT_EQ(Events, (Events_{{true, nullptr, first}, {false, nullptr, first},
                             {true, first, third}, {false, first, third}}));
  EXPECT_EQ(pad->GetSelected(), items->GetItem(2));
  EXPECT_FALSE(ButtonOf(pad, 0)->GetDown());
  EXPECT_TRUE(ButtonOf(pad, 2)->GetFont()->GetStyle().Contains(fsBold));
  EXPECT_FALSE(ButtonOf(pad, 0)->GetFont()->GetStyle().Contains(fsBold));
  // A press dragged out and abandoned: OnChanging at the press, no OnChange.
  Events.clear();
  TfcCustomBitBtn* b = ButtonOf(pad, 1);
  ::PostMessageW(b->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  ::PostMessageW(b->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, At(20, 300));
  ::PostMessageW(b->GetHandle(), WM_LBUTTONUP, 0, At(20, 300));
  Pump();
  EXPECT_EQ(Events, (Events_{{true, third, items->GetItem(1)}}));
  EXPECT_EQ(pad->GetSelected(), third);
}

TEST_F(FcButtonGroupTest, ACheckListTogglesEachButtonAloneAndAClickPadSpringsBack) {
  ShowForm();
  TCountingGroup* list = NewPad(3, bcsCheckList);
  Pump();
  // Each Add takes the largest group of the items, the new button's own 1 among them, plus 1.
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ButtonOf(list, i)->GetGroupIndex(), i + 2);
    EXPECT_TRUE(ButtonOf(list, i)->GetAllowAllUp());
  }
  // Checked, unchecked and checked again: each check is a change from no selection.
  TfcButtonGroupItem* const second = list->GetButtonItems()->GetItem(1);
  ClickButton(second->GetButton());
  ClickButton(second->GetButton());
  EXPECT_EQ(list->GetSelected(), nullptr);
  Events.clear();
  ClickButton(second->GetButton());
  EXPECT_EQ(Events, (Events_{{true, nullptr, second}, {false, nullptr, second}}));
  ClickButton(second->GetButton());
  ClickButton(ButtonOf(list, 0));
  ClickButton(ButtonOf(list, 2));
  EXPECT_TRUE(ButtonOf(list, 0)->GetDown());
  EXPECT_TRUE(ButtonOf(list, 2)->GetDown());
  ClickButton(ButtonOf(list, 0));
  EXPECT_FALSE(ButtonOf(list, 0)->GetDown());
  EXPECT_TRUE(ButtonOf(list, 2)->GetDown());
  // Add gives the next free group and the pictures of the first button.
  TfcButtonGroupItem* added = list->GetButtonItems()->Add();
  EXPECT_EQ(added->GetButton()->GetGroupIndex(), 5);
  EXPECT_TRUE(added->GetButton()->GetAllowAllUp());
  EXPECT_EQ(static_cast<TfcImageBtn*>(added->GetButton())->GetExtImage(), ButtonOf(list, 0));
  list->SetClickStyle(bcsClick);
  EXPECT_EQ(ButtonOf(list, 3)->GetGroupIndex(), 0);
  TfcButtonGroupItem* plain = list->GetButtonItems()->Add();
  EXPECT_EQ(plain->GetButton()->GetGroupIndex(), 0);  // Add follows the click style
  Pump();
  ClickButton(plain->GetButton());
  EXPECT_FALSE(plain->GetButton()->GetDown());
}

TEST_F(FcButtonGroupTest, ArrowKeysMoveTheSelectionAndWrapAround) {
  ShowForm();
  TCountingGroup* pad = NewPad(4, bcsRadioGroup);
  Pump();
  pad->SetFocus();
  Pump();
  TfcButtonGroupItems* items = pad->GetButtonItems();
  PressKey(VK_RIGHT);  // nothing selected: the first
  EXPECT_EQ(pad->GetSelected(), items->GetItem(0));
  PressKey(VK_LEFT);   // before the first: the last
  EXPECT_EQ(pad->GetSelected(), items->GetItem(3));
  PressKey(VK_DOWN);   // past the last: the first
  EXPECT_EQ(pad->GetSelected(), items->GetItem(0));
  PressKey(VK_END);
  EXPECT_EQ(pad->GetSelected(), items->GetItem(3));
  PressKey(VK_HOME);
  EXPECT_EQ(pad->GetSelected(), items->GetItem(0));
  ASSERT_FALSE(Events.empty());
  EXPECT_EQ(Events.back(), (Event{false, items->GetItem(3), items->GetItem(0)}));
  // A group without items takes the keys and does nothing.
  auto* empty = new TfcButtonGroup(Form);
  empty->SetParent(Form);
  empty->SetTop(200);
  Pump();
  empty->SetFocus();
  Pump();
  PressKey(VK_RIGHT);
  PressKey(VK_END);
  EXPECT_EQ(empty->GetSelected(), nullptr);
}

TEST_F(FcButtonGroupTest, ColumnsLayOutTheButtonsAndBadSettingsChangeNothing) {
  ShowForm();
  TCountingGroup* pad = NewPad(6, bcsRadioGroup);
  pad->SetLayout(loVertical);
  pad->SetBounds(10, 10, 80, 120);
  pad->SetColumns(2);
  Pump();
  EXPECT_EQ(ButtonOf(pad, 2)->GetBoundsRect(), Bounds(0, 80, 40, 40));
  EXPECT_EQ(ButtonOf(pad, 3)->GetBoundsRect(), Bounds(40, 0, 40, 40));
  pad->SetBorderWidth(5);  // the buttons move inside the new border at once
  EXPECT_EQ(ButtonOf(pad, 0)->GetBoundsRect(), Bounds(5, 5, 35, 37));
  EXPECT_EQ(ButtonOf(pad, 3)->GetBoundsRect(), Bounds(40, 5, 35, 37));
  pad->SetBorderWidth(0);
  EXPECT_EQ(ButtonOf(pad, 3)->GetBoundsRect(), Bounds(40, 0, 40, 40));
  pad->SetColumns(0);  // taken, but nothing is laid out
  EXPECT_EQ(pad->GetColumns(), 0);
  pad->SetBounds(10, 10, 60, 60);
  Pump();
  EXPECT_EQ(ButtonOf(pad, 3)->GetBoundsRect(), Bounds(40, 0, 40, 40));
  pad->SetColumns(-3);
  EXPECT_EQ(pad->GetColumns(), 0);
  pad->SetButtonClassName(L"TNoSuchButton");
  EXPECT_EQ(pad->GetButtonClassName(), L"TfcImageBtn");
  EXPECT_EQ(pad->GetButtonItems()->GetCount(), 6);
  delete ButtonOf(pad, 1);  // its item goes with it, the others close up
  ASSERT_EQ(pad->GetButtonItems()->GetCount(), 5);
  pad->SetColumns(1);
  EXPECT_EQ(ButtonOf(pad, 1)->GetBoundsRect(), Bounds(0, 12, 60, 12));
  pad->SetButtonClassName(L"TfcImageBtn");  // the same class frees the items too
  EXPECT_EQ(pad->GetButtonItems()->GetCount(), 0);
  EXPECT_EQ(pad->GetControlCount(), 0);
  pad->GetButtonItems()->Add();
  pad->SetButtonClassName(L"TfcShapeBtn");  // and so does another
  EXPECT_EQ(pad->GetButtonItems()->GetCount(), 0);
  EXPECT_EQ(pad->GetControlCount(), 0);
}

TEST_F(FcButtonGroupTest, AStoredPadOfTwentyIsReadIntoItemsInChildOrderWithoutEvents) {
  // The layout text of a number pad, as the writer stores it.
  TCountingGroup* made = NewPad(20, bcsRadioGroup);
  made->SetName(L"fcBG_th");
  made->SetBounds(8, 8, 200, 160);
  made->SetColumns(4);
  made->SetBevelOuter(bvRaised);  // a group starts without bevels; a raised one is kept
  for (int i = 0; i < 20; ++i) {
    ButtonOf(made, i)->SetName(L"th" + IntToStr(i + 1));
    ButtonOf(made, i)->SetCaption(IntToStr(i + 1));
  }
  ButtonOf(made, 6)->SetDown(true);
  for (int i = 0; i < 20; ++i) ButtonOf(made, i)->HandleNeeded();  // records the regions
  const String text = ComponentToText(Form);
  delete made;
  for (int i = Form->GetComponentCount() - 1; i >= 0; --i) delete Form->GetComponent(i);
  ASSERT_NE(text.find(L"object th20: TfcImageBtn"), String::npos);
  ASSERT_NE(text.find(L"ExtImage = th1"), String::npos);
  ASSERT_NE(text.find(L"RegionData"), String::npos);

  ReadLayout(text);
  auto* pad = Find<TCountingGroup>(L"fcBG_th");
  ASSERT_NE(pad, nullptr);
  EXPECT_EQ(pad->Changing + pad->Change, 0);
  TfcButtonGroupItems* items = pad->GetButtonItems();
  ASSERT_EQ(items->GetCount(), 20);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(items->GetItem(i)->GetButton()->GetName(), L"th" + IntToStr(i + 1));
    EXPECT_EQ(items->GetItem(i)->GetButton(), pad->GetControl(i));
  }
  EXPECT_EQ(pad->GetSelected(), items->GetItem(6));
  EXPECT_EQ(pad->GetBevelOuter(), bvRaised);
  auto* th20 = static_cast<TfcImageBtn*>(items->GetItem(19)->GetButton());
  EXPECT_EQ(th20->GetExtImage(), items->GetItem(0)->GetButton());
  EXPECT_FALSE(th20->GetRegionData(false).empty());
  // It works as a pad once read.
  ShowForm();
  Events.clear();
  pad->OnChange = [this](TfcCustomButtonGroup*, TfcButtonGroupItem* o, TfcButtonGroupItem* n) {
    Events.push_back({false, o, n});
  };
  ClickButton(th20);
  EXPECT_EQ(Events, (Events_{{false, items->GetItem(6), items->GetItem(19)}}));
  EXPECT_TRUE(SaveWindowScreenshot(Form->GetHandle(), L"imagebutton_number_pad"));
  // Moved to the front, it is stored first.
  items->GetItem(19)->SetIndex(0);
  const String reordered = ComponentToText(Form);
  EXPECT_LT(reordered.find(L"object th20:"), reordered.find(L"object th1:"));
}

}  // namespace
