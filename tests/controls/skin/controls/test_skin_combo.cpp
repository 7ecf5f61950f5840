// The owner-drawn combo box as a real window: ItemIndex bounds with an empty list under keys,
// wheel and style switches; the drop-down near the screen's edges; Escape, Enter and a
// refusing OnAllowChange; open/close cycles and a combo freed with its list open; completion
// and its undo; the wheel under every system setting; the button's drawing against the
// theme and DrawFrameControl; layouts with Chinese items; screenshots of an open combo.
#include <gtest/gtest.h>

#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/controls/SkinComboBox.h"
#include "controls/skin/controls/SkinOpenDropDown.h"
#include "controls/skin/form/SkinForm.h"
#include "tests/classlib/controls/ControlTestSupport.h"
#include "tests/classlib/forms/FormsTestSupport.h"
#include "tests/classlib/stdctrls/GridTestSupport.h"

using namespace skin_tests;

namespace {

TEST(SkinComboDropDown, BoundsStayOnScreenAndNeverCoverTheCombo) {
  const TSize screen{1024, 768};
  const TRect below = TSeCustomComboBox::DropDownBounds(TRect(100, 100, 250, 121), 120, screen);
  EXPECT_EQ(TRect(100, 121, 250, 241), below);
  const TRect above = TSeCustomComboBox::DropDownBounds(TRect(100, 700, 250, 721), 120, screen);
  EXPECT_EQ(TRect(100, 580, 250, 700), above);
  const TRect right = TSeCustomComboBox::DropDownBounds(TRect(950, 100, 1100, 121), 120, screen);
  EXPECT_EQ(874, right.Left);
  EXPECT_EQ(1024, right.Right);
  // Too tall for either side: the larger side, shortened.
  const TRect tall = TSeCustomComboBox::DropDownBounds(TRect(0, 500, 100, 521), 5000, screen);
  EXPECT_EQ(0, tall.Top);
  EXPECT_EQ(500, tall.Bottom);
  const TRect wide = TSeCustomComboBox::DropDownBounds(TRect(-50, 10, 2000, 31), 50, screen);
  EXPECT_EQ(TRect(0, 31, 1024, 81), wide);
}

class SkinComboTest : public SkinFormTest {
 protected:
  void SetUp() override {
    SkinFormTest::SetUp();
    ReadLayout(
        L"object Form1: TButtonsForm\n"
        L"  object Combo1: TSeCustomComboBox\n    Left = 8\n    Top = 8\n    Width = 160\n"
        L"    Items.Strings = (\n      '考试'\n      'Abc'\n      'abd'\n      '题库'\n      'five')\n"
        L"  end\n"
        L"  object Empty1: TSeCustomComboBox\n    Left = 8\n    Top = 40\n    Width = 160\n  end\n"
        L"end\n");
    Combo = Find<TSeCustomComboBox>(L"Combo1");
    Empty = Find<TSeCustomComboBox>(L"Empty1");
    ShowForm();
  }
  void Key(WORD vk, bool shift = false, bool ctrl = false) {
    grid_tests::HeldKeys held(shift, ctrl);
    ::PostMessageW(::GetFocus(), WM_KEYDOWN, vk, stdctrl_tests::KeyData(vk, false));
    Pump();
    ::PostMessageW(::GetFocus(), WM_KEYUP, vk, stdctrl_tests::KeyData(vk, true));
    Pump();
  }
  void Wheel(TSeCustomComboBox* combo, int delta) {
    ::SendMessageW(combo->GetHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), 0);
  }
  // Lets the completion timer run out.
  void WaitForCompletion(TSeCustomComboBox* combo) {
    for (int i = 0; i < 100 && combo->CompletionPending(); ++i) {
      ::Sleep(20);
      Pump();
    }
  }
  TSeCustomComboBox* Combo = nullptr;
  TSeCustomComboBox* Empty = nullptr;
};

TEST_F(SkinComboTest, ItemIndexStaysWithinTheItemsAndIsMinusOneForAnEmptyList) {
  Empty->SetFocus();
  Pump();
  for (WORD vk : {VK_DOWN, VK_UP, VK_NEXT, VK_PRIOR, VK_END, VK_HOME}) Key(vk);
  Wheel(Empty, -120);
  Wheel(Empty, 240);
  EXPECT_EQ(-1, Empty->GetItemIndex());
  Empty->SetComboStyle(vcsDropDownList);
  Key(VK_END);
  Key(VK_DOWN);
  EXPECT_EQ(-1, Empty->GetItemIndex());
  Empty->SetItemIndex(3);
  EXPECT_EQ(-1, Empty->GetItemIndex());
  Empty->SetComboStyle(vcsDropDown);
  EXPECT_FALSE(Empty->GetReadOnly());
  // With items: clamped to the last and to 0.
  Combo->SetItemIndex(99);
  EXPECT_EQ(4, Combo->GetItemIndex());
  EXPECT_EQ(L"five", Combo->GetText());
  Combo->SetItemIndex(-7);
  EXPECT_EQ(0, Combo->GetItemIndex());
  Combo->GetItems()->Clear();
  EXPECT_EQ(-1, Combo->GetItemIndex());
  EXPECT_EQ(L"考试", Combo->GetText());  // typed style: the text stays as it was
  Combo->SetItemIndex(0);
  EXPECT_EQ(-1, Combo->GetItemIndex());
  // The pick-only style is read-only and shows the chosen item.
  Combo->GetItems()->Add(L"一");
  Combo->GetItems()->Add(L"二");
  Combo->SetComboStyle(vcsDropDownList);
  EXPECT_TRUE(Combo->GetReadOnly());
  EXPECT_EQ(0, Combo->GetItemIndex());
  EXPECT_EQ(L"一", Combo->GetText());
  Combo->SetFocus();
  Pump();
  Key(VK_END);
  EXPECT_EQ(L"二", Combo->GetText());
  // Pick-only too can go back to nothing chosen; only values below -1 mean the first item.
  int changes = 0;
  Combo->SetOnChange([&](TObject*) { ++changes; });
  Combo->SetItemIndex(-1);
  EXPECT_EQ(-1, Combo->GetItemIndex());
  EXPECT_EQ(L"", Combo->GetText());
  EXPECT_EQ(1, changes);
  Key(VK_DOWN);
  EXPECT_EQ(0, Combo->GetItemIndex());
  Combo->SetItemIndex(-1);
  Combo->SetItemIndex(-2);
  EXPECT_EQ(0, Combo->GetItemIndex());
  // Every choice of the pick-only style is told, also one showing the same text.
  Combo->GetItems()->Add(L"一");
  changes = 0;
  Combo->SetItemIndex(0);
  Combo->SetItemIndex(2);
  EXPECT_EQ(2, Combo->GetItemIndex());
  EXPECT_EQ(2, changes);
}

TEST_F(SkinComboTest, PickOnlyTextIsTheChosenItemWhateverTheItemsDo) {
  Combo->SetComboStyle(vcsDropDownList);
  Combo->SetItemIndex(1);
  ASSERT_EQ(L"Abc", Combo->GetText());
  int changes = 0;
  Combo->SetOnChange([&](TObject*) { ++changes; });
  // An item put before the chosen one: the index stays, so the text is the item now there.
  Combo->GetItems()->Insert(0, L"新题");
  EXPECT_EQ(1, Combo->GetItemIndex());
  EXPECT_EQ(L"考试", Combo->GetText());
  EXPECT_EQ(1, changes);
  // New items that keep the chosen text in its place, and a new list style, tell nothing.
  Combo->GetItems()->Add(L"six");
  TStringList same;
  same.Add(L"other");
  same.Add(L"考试");
  Combo->SetItems(&same);
  Combo->SetListStyle(TSeCustomListBox::lbOwnerDrawFixed);
  Combo->SetListStyle(TSeCustomListBox::lbStandard);
  EXPECT_EQ(1, changes);
  EXPECT_EQ(L"考试", Combo->GetText());
  // The chosen place removed: the last item; no items: nothing chosen and no text.
  Combo->GetItems()->Delete(1);
  EXPECT_EQ(0, Combo->GetItemIndex());
  EXPECT_EQ(L"other", Combo->GetText());
  Combo->GetItems()->Clear();
  EXPECT_EQ(-1, Combo->GetItemIndex());
  EXPECT_EQ(L"", Combo->GetText());
  EXPECT_EQ(3, changes);
  // Inside a begin/end update the text follows once, at the end.
  Combo->GetItems()->BeginUpdate();
  Combo->GetItems()->Add(L"甲");
  Combo->GetItems()->Add(L"乙");
  Combo->GetItems()->EndUpdate();
  Combo->SetItemIndex(1);
  Combo->GetItems()->BeginUpdate();
  Combo->GetItems()->Insert(0, L"丙");
  Combo->GetItems()->Insert(0, L"丁");
  EXPECT_EQ(L"乙", Combo->GetText());
  Combo->GetItems()->EndUpdate();
  EXPECT_EQ(L"丙", Combo->GetText());
}

TEST_F(SkinComboTest, EscapeEnterAndARefusingAllowChange) {
  Combo->SetFocus();
  Pump();
  Combo->SetItemIndex(1);
  Key(VK_DOWN, false, false);
  EXPECT_EQ(2, Combo->GetItemIndex());
  // Alt+Down opens; Escape closes with nothing chosen.
  ::PostMessageW(Combo->GetHandle(), WM_SYSKEYDOWN, VK_DOWN, 0x20000001);
  Pump();
  ASSERT_TRUE(Combo->GetDroppedDown());
  EXPECT_EQ(1, FormsOnScreen<TSeComboWindow>());
  Key(VK_ESCAPE);
  EXPECT_FALSE(Combo->GetDroppedDown());
  EXPECT_EQ(2, Combo->GetItemIndex());
  EXPECT_EQ(0, FormsOnScreen<TSeComboWindow>());
  // A key that moves the list's item clicks the list: the item is chosen and the list closes.
  int listClicks = 0;
  Combo->OnListBoxClick = [&](TObject*) { ++listClicks; };
  Combo->DropDown();
  Pump();
  Key(VK_DOWN);
  EXPECT_FALSE(Combo->GetDroppedDown());
  EXPECT_EQ(3, Combo->GetItemIndex());
  EXPECT_EQ(L"题库", Combo->GetText());
  EXPECT_EQ(1, listClicks);
  // Enter chooses the list's item.
  Combo->DropDown();
  Pump();
  Combo->GetList()->SetItemIndex(1);
  Key(VK_RETURN);
  EXPECT_FALSE(Combo->GetDroppedDown());
  EXPECT_EQ(1, Combo->GetItemIndex());
  EXPECT_EQ(1, listClicks);
  // A refused choice closes the list and keeps the index; Space and a moving key ask too.
  int asked = 0;
  Combo->OnAllowChange = [&](TObject*, int index, const String& text, bool& allow) {
    ++asked;
    EXPECT_EQ(4, index);
    EXPECT_EQ(L"five", text);
    allow = false;
  };
  Combo->DropDown();
  Pump();
  Combo->GetList()->SetItemIndex(4);
  Key(VK_SPACE);
  EXPECT_EQ(1, asked);
  EXPECT_FALSE(Combo->GetDroppedDown());
  EXPECT_EQ(1, Combo->GetItemIndex());
  Combo->DropDown();
  Pump();
  Combo->GetList()->SetItemIndex(3);
  Key(VK_DOWN);
  EXPECT_EQ(2, asked);
  EXPECT_FALSE(Combo->GetDroppedDown());
  EXPECT_EQ(1, Combo->GetItemIndex());
  EXPECT_EQ(2, listClicks);
  // A click on the button opens; a click on an item chooses it.
  Combo->OnAllowChange = nullptr;
  const TRect button = Combo->GetButtonRect();
  button_tests::ClickWindow(Combo->GetHandle(), (button.Left + button.Right) / 2,
                            (button.Top + button.Bottom) / 2);
  ASSERT_TRUE(Combo->GetDroppedDown());
  const TRect first = Combo->GetList()->GetItemRect(0);
  button_tests::ClickWindow(Combo->GetList()->GetHandle(), first.Left + 5, first.Top + 3);
  EXPECT_FALSE(Combo->GetDroppedDown());
  EXPECT_EQ(0, Combo->GetItemIndex());
  EXPECT_EQ(3, listClicks);
  // A click on the list's scroll bar scrolls and chooses nothing.
  Combo->SetDropDownCount(3);
  Combo->DropDown();
  Pump();
  TSeCustomScrollBar* bar = Combo->GetList()->GetScrollBar();
  ASSERT_TRUE(bar->GetVisible());
  const TRect down = bar->GetLineDownButtonRect();
  button_tests::ClickWindow(Combo->GetList()->GetHandle(), bar->GetLeft() + (down.Left + down.Right) / 2,
                            bar->GetTop() + (down.Top + down.Bottom) / 2);
  EXPECT_TRUE(Combo->GetDroppedDown());
  EXPECT_EQ(1, bar->GetPosition());
  EXPECT_EQ(3, listClicks);
  Combo->CloseUp();
  EXPECT_EQ(0, Combo->GetItemIndex());
}

TEST_F(SkinComboTest, OpeningNearTheBottomAndRightEdges) {
  Form->SetBounds(::GetSystemMetrics(SM_CXSCREEN) - 120, ::GetSystemMetrics(SM_CYSCREEN) - 60, 400, 300);
  Pump();
  Combo->DropDown();
  Pump();
  RECT combo{}, list{};
  ::GetWindowRect(Combo->GetHandle(), &combo);
  ::GetWindowRect(Combo->GetDropDownWindow()->GetHandle(), &list);
  EXPECT_LE(list.bottom, combo.top);  // above, not over it
  EXPECT_GE(list.top, 0);
  EXPECT_LE(list.right, ::GetSystemMetrics(SM_CXSCREEN));
  EXPECT_GE(list.left, 0);
  Combo->CloseUp();
}

TEST_F(SkinComboTest, HundredOpenCloseCyclesAndAComboFreedWithItsListOpen) {
  auto cycle = [&] {
    Combo->DropDown();
    Pump();
    Key(VK_ESCAPE);
  };
  cycle();
  const int gdi = control_tests::GdiObjectCount(), user = forms_tests::UserObjectCount();
  for (int i = 0; i < 100; ++i) cycle();
  EXPECT_EQ(control_tests::GdiObjectCount(), gdi);
  EXPECT_EQ(forms_tests::UserObjectCount(), user);
  // Freed while open: no event, the window goes with it.
  int events = 0;
  Combo->OnCloseUp = [&](TObject*) { ++events; };
  Combo->SetOnChange([&](TObject*) { ++events; });
  Combo->DropDown();
  Pump();
  ASSERT_EQ(Combo, OpenDropDownOwner());
  delete Combo;
  Combo = nullptr;
  Pump();
  EXPECT_EQ(0, events);
  EXPECT_EQ(0, FormsOnScreen<TSeComboWindow>());
  EXPECT_EQ(nullptr, OpenDropDownOwner());  // nothing left for a form frame to call
  EXPECT_FALSE(CloseOpenDropDown(nullptr));
  EXPECT_LT(forms_tests::UserObjectCount(), user);
}

TEST_F(SkinComboTest, AComboFreedByItsOwnHandlersWhileTheListRunsThem) {
  // As an editor placed for one choice frees itself: from OnCloseUp after Enter in the list,
  // from OnAllowChange after a click on an item, from OnDropDown.
  // The list and the window whose message handling runs the handler outlive it, and go
  // once that handling is over; called from code, they go at once.
  HWND list = nullptr, window = nullptr;
  bool outlived = false;
  auto freeIn = [&](auto& event) {
    event = [this, &list, &window, &outlived](auto&&...) {
      // The handler's captures go with the combo: everything is read before the delete.
      TSeCustomComboBox* victim = Combo;
      HWND& l = list;
      HWND& w = window;
      bool& o = outlived;
      l = victim->GetList()->GetHandle();
      w = victim->GetDropDownWindow()->GetHandle();
      Combo = nullptr;
      delete victim;
      o = ::IsWindow(l) && ::IsWindow(w);
    };
  };
  auto expectGone = [&](const char* how, bool fromTheList) {
    EXPECT_EQ(nullptr, Combo) << how;
    EXPECT_EQ(fromTheList, outlived) << how;  // freed at once when nothing runs in them
    Pump();
    EXPECT_FALSE(::IsWindow(list)) << how;
    EXPECT_FALSE(::IsWindow(window)) << how;
    EXPECT_EQ(0, FormsOnScreen<TSeComboWindow>()) << how;
    EXPECT_EQ(nullptr, OpenDropDownOwner()) << how;
    outlived = false;
  };
  freeIn(Combo->OnCloseUp);
  Combo->DropDown();
  Pump();
  Key(VK_RETURN);
  expectGone("OnCloseUp", true);

  Combo = Empty;
  Combo->GetItems()->Add(L"一");
  Combo->GetItems()->Add(L"二");
  freeIn(Combo->OnAllowChange);
  Combo->DropDown();
  Pump();
  const TRect first = Combo->GetList()->GetItemRect(0);
  button_tests::ClickWindow(Combo->GetList()->GetHandle(), first.Left + 5, first.Top + 3);
  Empty = nullptr;
  expectGone("OnAllowChange", true);

  Combo = new TSeCustomComboBox(Form);
  Combo->SetParent(Form);
  freeIn(Combo->OnDropDown);
  Combo->DropDown();
  expectGone("OnDropDown", false);
}

TEST_F(SkinComboTest, CompletionBackAndUndo) {
  Combo->SetAutoComplete(true);
  Combo->SetFocus();
  Pump();
  Combo->SetText(L"");
  ::PostMessageW(Combo->GetHandle(), WM_CHAR, L'a', 1);
  ::PostMessageW(Combo->GetHandle(), WM_CHAR, L'b', 1);
  Pump();
  WaitForCompletion(Combo);
  EXPECT_EQ(L"Abc", Combo->GetText());  // the first match
  EXPECT_EQ(L"c", Combo->GetSelText());
  Key(VK_BACK);
  WaitForCompletion(Combo);
  EXPECT_EQ(L"Ab", Combo->GetText());  // not completed again
  Key('Z', false, true);
  EXPECT_EQ(L"Abc", Combo->GetText());
  Key('Z', false, true);
  EXPECT_EQ(L"ab", Combo->GetText());  // what was typed
  // The timer stops when the focus goes.
  ::PostMessageW(Combo->GetHandle(), WM_CHAR, L'd', 1);
  Pump();
  Empty->SetFocus();
  Pump();
  EXPECT_FALSE(Combo->CompletionPending());
}

TEST_F(SkinComboTest, TheWheelMovesOneItemPerNotchWhateverTheSetting) {
  UINT saved = 3;
  ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &saved, 0);
  for (UINT lines : {0u, 200u, static_cast<UINT>(WHEEL_PAGESCROLL)}) {
    ::SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, lines, nullptr, 0);
    Combo->SetItemIndex(0);
    Wheel(Combo, -120);
    EXPECT_EQ(1, Combo->GetItemIndex()) << lines;
    Wheel(Combo, -60);
    EXPECT_EQ(1, Combo->GetItemIndex()) << lines;
    Wheel(Combo, -60);
    EXPECT_EQ(2, Combo->GetItemIndex()) << lines;
    Wheel(Combo, 360);
    EXPECT_EQ(0, Combo->GetItemIndex()) << lines;
  }
  ::SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, saved, nullptr, 0);
}

TEST_F(SkinComboTest, TheButtonDrawsAsTheThemeAndAsDrawFrameControl) {
  const TRect r = Combo->GetButtonRect();
  MemorySurface surface(Combo->GetWidth(), Combo->GetHeight());
  MemorySurface expected(Combo->GetWidth(), Combo->GetHeight());
  PaintWindowInto(Combo, surface);
  PaintWindowInto(Combo, expected);
  const RECT box{r.Left, r.Top, r.Right, r.Bottom};
  {
    TThemeScope theme(L"ComboBox");
    if (UseThemes() && theme) {
      theme.DrawBackground(expected.DC(), 1, 1, box);
      ::GdiFlush();
      EXPECT_EQ(0, DifferentPixels(surface, expected, r));
    }
  }
  WithoutThemes([&] {
    EXPECT_EQ(15, Combo->GetButtonWidth());
    const TRect c = Combo->GetButtonRect();
    RECT classic{c.Left, c.Top, c.Right, c.Bottom};
    // Disabled too, the classic button keeps its plain look.
    for (bool enabled : {true, false}) {
      Combo->SetEnabled(enabled);
      PaintWindowInto(Combo, surface);
      PaintWindowInto(Combo, expected);
      ::DrawFrameControl(expected.DC(), &classic, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
      ::GdiFlush();
      EXPECT_EQ(0, DifferentPixels(surface, expected, c)) << "enabled " << enabled;
    }
    Combo->SetEnabled(true);
  });
}

TEST_F(SkinComboTest, LayoutsKeepChineseItemsAndBadStoredValuesAreClamped) {
  Combo->SetComboStyle(vcsDropDownList);
  Combo->SetItemIndex(3);
  Combo->SetDropDownCount(12);
  Combo->SetButtonAlign(cbaLeft);
  Empty->SetListStyle(TSeCustomListBox::lbColorNames);  // fills the list, rows of its height
  EXPECT_EQ(18, Empty->GetItemHeight());
  EXPECT_GT(Empty->GetItems()->GetCount(), 40);
  Empty->SetFlat(false);
  const String text = ComponentToText(Form);
  auto* copy = TCustomForm::Create<button_tests::TButtonsForm>(nullptr);
  TStringStream stream(text);
  ReadComponentFromStream(stream, copy);
  auto* combo = dynamic_cast<TSeCustomComboBox*>(copy->FindComponent(L"Combo1"));
  ASSERT_TRUE(combo);
  EXPECT_EQ(5, combo->GetItems()->GetCount());
  EXPECT_EQ(L"题库", combo->GetText());
  EXPECT_EQ(3, combo->GetItemIndex());
  EXPECT_EQ(vcsDropDownList, combo->GetComboStyle());
  EXPECT_EQ(12, combo->GetDropDownCount());
  EXPECT_EQ(cbaLeft, combo->GetButtonAlign());
  auto* colours = dynamic_cast<TSeCustomComboBox*>(copy->FindComponent(L"Empty1"));
  ASSERT_TRUE(colours);
  EXPECT_EQ(TSeCustomListBox::lbColorNames, colours->GetListStyle());
  EXPECT_FALSE(colours->GetList()->GetFlat());
  delete copy;
  auto* bad = TCustomForm::Create<button_tests::TButtonsForm>(nullptr);
  TStringStream badStream(
      L"object Form1: TButtonsForm\n  object Combo1: TSeCustomComboBox\n    DropDownCount = -1\n"
      L"    ItemHeight = 0\n    ItemIndex = 7\n    Items.Strings = (\n      '一')\n  end\nend\n");
  ReadComponentFromStream(badStream, bad);
  auto* badCombo = dynamic_cast<TSeCustomComboBox*>(bad->FindComponent(L"Combo1"));
  ASSERT_TRUE(badCombo);
  EXPECT_EQ(1, badCombo->GetDropDownCount());
  EXPECT_EQ(1, badCombo->GetItemHeight());
  EXPECT_EQ(0, badCombo->GetItemIndex());
  delete bad;
}

TEST_F(SkinComboTest, ScreenshotsOfAnOpenCombo) {
  Combo->SetItemIndex(1);
  Empty->GetItems()->Add(L"只选 pick-only");
  Empty->SetComboStyle(vcsDropDownList);
  Empty->SetTop(200);
  Empty->SetFocus();
  Pump();
  SaveScreenshot(Form->GetHandle(), L"skin_combo_closed_1024");
  Combo->DropDown();
  Pump();
  SaveScreenshot(Form->GetHandle(), L"skin_combo_form_1024");
  SaveScreenshot(Combo->GetDropDownWindow()->GetHandle(), L"skin_combo_open_1024");
  Combo->CloseUp();
  Form->SetBounds(100, 100, 320, 200);
  Empty->SetBounds(172, 8, 140, Empty->GetHeight());  // beside the list, within the smaller form
  Pump();
  Combo->DropDown();
  Pump();
  WithoutThemes([&] {
    SaveScreenshot(Form->GetHandle(), L"skin_combo_form_classic_800");
    SaveScreenshot(Combo->GetDropDownWindow()->GetHandle(), L"skin_combo_open_classic_800");
  });
  Combo->CloseUp();
}

}  // namespace

namespace {

// A form whose layout names the combo's handlers of every event type.
class TComboEventsForm : public TButtonsForm {
  CLASSLIB_CLASS(TComboEventsForm, TButtonsForm)
  explicit TComboEventsForm(TComponent* owner) : TButtonsForm(owner) {}

  // Refuses the first item.
  void ComboAllowChange(TObject*, int index, const String&, bool& allow) {
    ++Asked;
    allow = index != 0;
  }
  // Fills the item red, so the drawing shows on whichever canvas it was given.
  void ComboDrawItem(TSeCustomListBox* list, TCanvas* canvas, int, TRect rect, TOwnerDrawState) {
    ++Drawn;
    LastList = list;
    LastCanvas = canvas;
    canvas->GetBrush()->SetColor(clRed);
    canvas->FillRect(rect);
  }
  void ComboMeasureItem(TSeCustomListBox*, TCanvas*, int index, int& height) { height = 20 + index; }

  static void RegisterHandlers() {
    TButtonsForm::RegisterHandlers();
    using M = TPublishMethods<TComboEventsForm>;
    RegisterMethods<TComboEventsForm>({
        M::Handler(L"ComboAllowChange", &TComboEventsForm::ComboAllowChange),
        M::Handler(L"ComboDrawItem", &TComboEventsForm::ComboDrawItem),
        M::Handler(L"ComboMeasureItem", &TComboEventsForm::ComboMeasureItem),
    });
  }
  int Asked = 0, Drawn = 0;
  TSeCustomListBox* LastList = nullptr;
  TCanvas* LastCanvas = nullptr;
};

class SkinComboEventsTest : public stdctrl_tests::LayoutFormTest<TComboEventsForm> {
 protected:
  void SetUp() override {
    RegisterSkinClasses();
    LayoutFormTest::SetUp();
    ReadLayout(
        L"object Form1: TComboEventsForm\n"
        L"  object Combo1: TSeCustomComboBox\n    Left = 8\n    Top = 8\n    Width = 160\n"
        L"    Items.Strings = (\n      '考试'\n      '题库'\n      'abc')\n"
        L"    ListStyle = lbOwnerDrawVariable\n    OnDrawItem = ComboDrawItem\n"
        L"    OnMeasureItem = ComboMeasureItem\n    OnDropDown = ControlClick\n"
        L"    OnCloseUp = SplitterMoved\n    OnListBoxClick = ControlClick\n"
        L"    OnAllowChange = ComboAllowChange\n  end\nend\n");
    Combo = Find<TSeCustomComboBox>(L"Combo1");
    Form->Show();
    Pump();
    Combo->SetFocus();
    Pump();
  }
  TSeCustomComboBox* Combo = nullptr;
};

TEST_F(SkinComboEventsTest, StoredEventsRoundTripAndReachTheDropDownList) {
  ASSERT_TRUE(Combo->OnDropDown && Combo->OnCloseUp && Combo->OnListBoxClick && Combo->OnAllowChange);
  ASSERT_TRUE(Combo->GetOnDrawItem() && Combo->GetOnMeasureItem());
  // Written back by their handlers' names and read again into another form.
  const String text = ComponentToText(Form);
  for (const wchar_t* line : {L"OnDropDown = ControlClick", L"OnCloseUp = SplitterMoved",
                              L"OnListBoxClick = ControlClick", L"OnAllowChange = ComboAllowChange",
                              L"OnDrawItem = ComboDrawItem", L"OnMeasureItem = ComboMeasureItem"})
    EXPECT_NE(String::npos, text.find(line)) << StringToUtf8(line);
  {
    auto* copy = TCustomForm::Create<TComboEventsForm>(nullptr);
    TStringStream stream(text);
    ReadComponentFromStream(stream, copy);
    auto* combo = dynamic_cast<TSeCustomComboBox*>(copy->FindComponent(L"Combo1"));
    ASSERT_TRUE(combo);
    EXPECT_TRUE(combo->OnAllowChange && combo->OnListBoxClick && combo->GetOnMeasureItem());
    bool allow = true;
    combo->OnAllowChange(combo, 0, L"考试", allow);
    EXPECT_FALSE(allow);
    EXPECT_EQ(1, copy->Asked);  // bound to the copy, not to the form it was written from
    EXPECT_EQ(0, Form->Asked);
    delete copy;
  }

  // The open list measures and draws its rows through the handlers, on its own canvas.
  Combo->DropDown();
  Pump();
  ASSERT_TRUE(Combo->GetDroppedDown());
  EXPECT_EQ(1, Form->ClicksOf(Combo));  // OnDropDown
  const TRect second = Combo->GetList()->GetItemRect(1);
  EXPECT_EQ(21, second.Bottom - second.Top);
  EXPECT_GT(Form->Drawn, 0);
  EXPECT_EQ(Combo->GetList(), Form->LastList);
  EXPECT_EQ(Combo->GetList()->GetCanvas(), Form->LastCanvas);
  // A click on the first item: OnListBoxClick, then a refusal, then the close.
  const TRect first = Combo->GetList()->GetItemRect(0);
  button_tests::ClickWindow(Combo->GetList()->GetHandle(), first.Left + 5, first.Top + 3);
  EXPECT_FALSE(Combo->GetDroppedDown());
  EXPECT_EQ(2, Form->ClicksOf(Combo));
  EXPECT_EQ(1, Form->Asked);
  EXPECT_EQ(1, Form->Moves[Combo]);  // OnCloseUp
  EXPECT_EQ(-1, Combo->GetItemIndex());

  // The pick-only face is drawn by the same handler, onto the combo's own surface.
  Combo->SetComboStyle(vcsDropDownList);
  Combo->SetItemIndex(1);
  MemorySurface surface(Combo->GetWidth(), Combo->GetHeight());
  PaintWindowInto(Combo, surface);
  const TRect face = Combo->GetTextRect();
  EXPECT_EQ(clRed, surface.At((face.Left + face.Right) / 2, (face.Top + face.Bottom) / 2));
  EXPECT_NE(Combo->GetList()->GetCanvas(), Form->LastCanvas);
}

TEST_F(SkinComboEventsTest, TheOpenListIsRecordedUntilEveryKindOfCloseAndTheFormStaysActive) {
  Combo->OnAllowChange = nullptr;
  Combo->OnCloseUp = nullptr;
  EXPECT_EQ(nullptr, OpenDropDownOwner());
  // To the program the form stays active while the focus is in its combo's list.
  int activations = 0, deactivations = 0;
  Form->SetOnActivate([&](TObject*) { ++activations; });
  Form->SetOnDeactivate([&](TObject*) { ++deactivations; });
  // Escape, Enter, a list click, the form taking the activation back, code.
  const std::function<void()> closes[] = {
      [] { PressKey(VK_ESCAPE); },
      [] { PressKey(VK_RETURN); },
      [&] {
        const TRect first = Combo->GetList()->GetItemRect(0);
        button_tests::ClickWindow(Combo->GetList()->GetHandle(), first.Left + 5, first.Top + 3);
      },
      [&] {
        ::SetActiveWindow(Form->GetHandle());
        Pump();
      },
      [&] { Combo->CloseUp(); },
      [&] { EXPECT_TRUE(CloseOpenDropDown(nullptr)); },
  };
  for (std::size_t i = 0; i < std::size(closes); ++i) {
    Combo->DropDown();
    Pump();
    ASSERT_EQ(Combo, OpenDropDownOwner()) << i;
    closes[i]();
    Pump();
    EXPECT_FALSE(Combo->GetDroppedDown()) << i;
    EXPECT_EQ(nullptr, OpenDropDownOwner()) << i;
    EXPECT_EQ(Combo->GetHandle(), ::GetFocus()) << i;
  }
  EXPECT_EQ(0, activations);
  EXPECT_EQ(0, deactivations);
  // The handlers are given back: the focus going to another form is reported.
  auto* other = TCustomForm::Create<TForm>(nullptr);
  other->SetBounds(520, 100, 100, 100);
  other->Show();
  other->SetFocus();
  Pump();
  EXPECT_EQ(1, deactivations);
  delete other;
  Pump();
  Combo->SetFocus();
  Pump();
  // An OnCloseUp that opens the list again keeps the new record.
  int reopened = 0;
  Combo->OnCloseUp = [&](TObject*) {
    if (reopened++ == 0) Combo->DropDown();
  };
  Combo->DropDown();
  Pump();
  Combo->CloseUp();
  Pump();
  EXPECT_TRUE(Combo->GetDroppedDown());
  EXPECT_EQ(Combo, OpenDropDownOwner());
  Combo->OnCloseUp = nullptr;
  Combo->CloseUp();
  Pump();
  EXPECT_EQ(nullptr, OpenDropDownOwner());
}

TEST_F(SkinComboEventsTest, APressOnASkinnedFrameClosesTheListAndFramePaintingIsHeldAroundTheShow) {
  auto* skin = new TSeCustomForm(Form);
  Pump();
  Combo->DropDown();
  Pump();
  ASSERT_TRUE(Combo->GetDroppedDown());
  RECT window{};
  ::GetWindowRect(Form->GetHandle(), &window);
  const LPARAM caption = MAKELPARAM(window.left + 60, window.top + 8);
  ::SendMessageW(Form->GetHandle(), WM_NCLBUTTONDOWN, HTCAPTION, caption);
  EXPECT_FALSE(Combo->GetDroppedDown());  // at once, not by a later loss of activation
  ::SendMessageW(Form->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(60, 0));
  Pump();
  EXPECT_EQ(nullptr, OpenDropDownOwner());
  delete skin;
  Pump();

  // A form-skinning component on the drop-down window: its frame painting is held during the
  // show and given back after, but one the program held stays held.
  auto* windowSkin = new TSeCustomForm(Combo->GetDropDownWindow());
  windowSkin->SetBorderStyle(vbsNone);
  Combo->DropDown();
  Pump();
  EXPECT_TRUE(::IsWindowVisible(Combo->GetDropDownWindow()->GetHandle()));
  EXPECT_TRUE(windowSkin->GetFramePaint());
  Combo->CloseUp();
  windowSkin->DisableFramePaint();
  Combo->DropDown();
  Pump();
  EXPECT_FALSE(windowSkin->GetFramePaint());
  Combo->CloseUp();
  delete windowSkin;
  Pump();
}

}  // namespace
