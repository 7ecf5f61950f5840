// The owner-drawn item tree, its views and the menus: tree rules, shortcut and accelerator
// search, layout numbers, keyboard selection, and menus driven by real messages through
// their modal loop.
#include <memory>
#include <vector>

#include "classlib/controls/ActnList.h"
#include "classlib/stdctrls/StdPanels.h"
#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/Watchdog.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "controls/skin/form/SkinForm.h"
#include "controls/skin/menus/SkinItems.h"
#include "controls/skin/menus/SkinMenuData.h"
#include "controls/skin/menus/SkinMenus.h"
#include "controls/skin/menus/SkinPopupWindow.h"
#include "tests/classlib/controls/ImageListTestSupport.h"

namespace skin_tests {
namespace {

TSeCustomItem* AddItem(TSeCustomItem* parent, const String& caption, TComponent* owner = nullptr) {
  auto* item = new TSeCustomItem(owner);
  item->SetCaption(caption);
  parent->Add(item);
  return item;
}

// A root with owned children, freed at the end of the test.
struct Tree {
  std::unique_ptr<TSeCustomItem> Root = std::make_unique<TSeCustomItem>(nullptr);
};

int PopupWindowsShown() {
  int count = 0;
  for (int i = 0; i < Screen->GetCustomFormCount(); ++i)
    if (dynamic_cast<TSePopupWindow*>(Screen->GetCustomForms(i))) ++count;
  return count;
}

TEST(SkinItemTree, BiDiModeReachesTheItemAndItsDirectChildrenOnly) {
  Tree tree;
  TSeCustomItem* file = AddItem(tree.Root.get(), L"文件");
  TSeCustomItem* open = AddItem(file, L"打开");
  tree.Root->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(tree.Root->GetBiDiMode(), bdRightToLeft);
  EXPECT_EQ(file->GetBiDiMode(), bdRightToLeft);
  EXPECT_EQ(open->GetBiDiMode(), bdLeftToRight);
}

// The text colour of each text output of a recording, in order.
struct TextColourWalk {
  std::vector<COLORREF> Colours;
  COLORREF Current = 0;
  static int CALLBACK Record(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data) {
    auto* walk = reinterpret_cast<TextColourWalk*>(data);
    if (record->iType == EMR_SETTEXTCOLOR) walk->Current = record->dParm[0];
    if (record->iType == EMR_EXTTEXTOUTW) walk->Colours.push_back(walk->Current);
    return 1;
  }
};

// In a bar a disabled caption is etched whether selected or not, and the child-icon button
// draws only its icon (and frame) over the bar's own background.
TEST(SkinItemTree, BarItemsEtchDisabledCaptionsWhenSelectedAndTheIconKeepsTheBackground) {
  TSeItemView bar(nullptr, true, true);
  TSeCustomItem file(nullptr);
  file.SetCaption(L"WWW");
  file.SetEnabled(false);
  // The text colours of the captions drawn, read back from a recording (the highlight may
  // match the menu colour on screen).
  const auto textColours = [&](bool selected) {
    HDC recorder = ::CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    TCanvas canvas;
    canvas.SetHandle(recorder);
    file.DrawItem(&canvas, &bar, TRect(0, 0, 60, 24), selected, true);
    canvas.SetHandle(nullptr);
    HENHMETAFILE recording = ::CloseEnhMetaFile(recorder);
    TextColourWalk walk;
    ::EnumEnhMetaFile(nullptr, recording, &TextColourWalk::Record, &walk, nullptr);
    ::DeleteEnhMetaFile(recording);
    return walk.Colours;
  };
  const std::vector<COLORREF> etched{ColorToRGB(clBtnHighlight), ColorToRGB(clBtnShadow)};
  EXPECT_EQ(textColours(false), etched);
  EXPECT_EQ(textColours(true), etched);

  TSeCustomItem icon(nullptr);
  icon.SetSystemKind(sysChildIcon);
  MemorySurface surface(24, 24, clRed);
  icon.DrawItem(&surface.Canvas, &bar, TRect(0, 0, 24, 24), false, true);
  EXPECT_EQ(surface.At(0, 0), clRed);
  EXPECT_EQ(surface.At(23, 23), clRed);
}

TEST(SkinItemTree, InsertingRefusesCyclesAndSecondParentsAndClampsTopIndex) {
  Tree tree;
  TSeCustomItem* file = AddItem(tree.Root.get(), L"文件(&F)");
  TSeCustomItem* open = AddItem(file, L"打开");
  EXPECT_THROW(open->Add(file), EVxItemError);           // into its own subtree
  EXPECT_THROW(file->Add(file), EVxItemError);           // into itself
  EXPECT_THROW(tree.Root->Add(open), EVxItemError);      // already has a parent
  EXPECT_EQ(open->GetParent(), file);
  file->SetTopIndex(99);
  EXPECT_EQ(file->GetTopIndex(), 0);
  AddItem(file, L"保存");
  file->SetTopIndex(99);
  EXPECT_EQ(file->GetTopIndex(), 1);
  file->SetTopIndex(-3);
  EXPECT_EQ(file->GetTopIndex(), 0);
  EXPECT_THROW(file->GetItem(5), EListError);
}

TEST(SkinItemTree, EachChangeFiresOneRootChangeAndFreeingLeavesTheParent) {
  Tree tree;
  int rootChanges = 0;
  tree.Root->OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, tree.Root.get());
    ++rootChanges;
  };
  TSeCustomItem* file = AddItem(tree.Root.get(), L"文件");
  TSeCustomItem* open = AddItem(file, L"打开");
  rootChanges = 0;
  open->SetCaption(L"打开文件");
  open->SetCaption(L"打开文件");  // unchanged: no notice
  open->SetChecked(true);
  open->SetImageIndex(3);         // only stored
  EXPECT_EQ(rootChanges, 2);
  tree.Root->SetEnabled(false);   // the root's own change is told once
  EXPECT_EQ(rootChanges, 3);
  delete open;
  EXPECT_EQ(file->GetCount(), 0);
}

// A linked item takes the action's later image and shortcut (which its own setters only
// store), and its tree is told, so that its views draw them: drawn on a memory surface.
TEST(SkinItemTree, ALinkedItemFollowsTheActionsImageAndItsViewsAreTold) {
  TImageList images(nullptr);
  control_tests::AddSolidImages(images, 16, {clBlue, clLime});
  TActionList list(nullptr);
  auto* action = new TAction(&list);
  action->SetActionList(&list);
  action->SetCaption(L"打开");
  action->SetImageIndex(0);
  Tree tree;
  tree.Root->SetImages(&images);
  TSeCustomItem* open = AddItem(tree.Root.get(), L"");
  open->SetAction(action);
  int rootChanges = 0;
  tree.Root->OnChange = [&](TObject*) { ++rootChanges; };
  TSeItemView view(nullptr, false, false);
  MemorySurface surface(200, 24);
  const auto imageColour = [&] {
    surface.Fill(clWhite);
    open->DrawItem(&surface.Canvas, &view, TRect(0, 0, 200, 24), false, false);
    return surface.At(12, 12);  // the middle of the image column
  };
  EXPECT_EQ(imageColour(), clBlue);

  action->SetImageIndex(1);
  EXPECT_EQ(open->GetImageIndex(), 1);
  EXPECT_GE(rootChanges, 1);
  EXPECT_EQ(imageColour(), clLime);
  rootChanges = 0;
  action->SetShortCut('O' | scCtrl);
  EXPECT_EQ(open->GetShortCut(), 'O' | scCtrl);
  EXPECT_GE(rootChanges, 1);

  // An image of the item's own stays.
  open->SetImageIndex(0);
  action->SetImageIndex(-1);
  EXPECT_EQ(imageColour(), clBlue);
  tree.Root->OnChange = nullptr;
  open->SetAction(nullptr);
  tree.Root->SetImages(nullptr);
}

TEST(SkinItemTree, AcceleratorsAndShortcutsWithModifiersAndDisabledAncestors) {
  Tree tree;
  TSeCustomItem* edit = AddItem(tree.Root.get(), L"编辑(&E)");
  AddItem(tree.Root.get(), L"-");
  TSeCustomItem* copy = AddItem(edit, L"复制(&C)");
  TSeCustomItem* tools = AddItem(tree.Root.get(), L"工具(&T)");
  TSeCustomItem* run = AddItem(tools, L"运行");
  EXPECT_EQ(tree.Root->FindByAccelerator(L'e'), edit);
  EXPECT_EQ(tree.Root->FindByAccelerator(L'T'), tools);
  EXPECT_EQ(tree.Root->FindByAccelerator(L'x'), nullptr);
  EXPECT_EQ(edit->FindByAccelerator(L'c'), copy);

  int copies = 0, runs = 0;
  copy->OnClick = [&](TObject*) { ++copies; };
  run->OnClick = [&](TObject*) { ++runs; };
  copy->SetShortCut(static_cast<TShortCut>('C' + scCtrl + scShift));  // Ctrl+Shift+C = key + $6000
  run->SetShortCut(VK_F5);
  ASSERT_EQ(copy->GetShortCut(), 'C' + 0x6000);
  BYTE keys[256]{};
  ::GetKeyboardState(keys);
  BYTE pressed[256];
  std::copy(std::begin(keys), std::end(keys), pressed);
  pressed[VK_CONTROL] = pressed[VK_SHIFT] = 0x80;
  ::SetKeyboardState(pressed);
  TMessage key{WM_KEYDOWN, 'C', 1, 0};
  EXPECT_TRUE(tree.Root->IsShortCut(key));
  ::SetKeyboardState(keys);
  EXPECT_FALSE(tree.Root->IsShortCut(key));  // C alone is no shortcut
  EXPECT_EQ(copies, 1);

  TMessage f5{WM_KEYDOWN, VK_F5, 1, 0};
  EXPECT_TRUE(tree.Root->IsShortCut(f5));
  tools->SetEnabled(false);  // a disabled ancestor stops the chain: found, taken, not run
  EXPECT_TRUE(tree.Root->IsShortCut(f5));
  EXPECT_EQ(runs, 1);
  tools->SetEnabled(true);
  run->SetEnabled(false);
  EXPECT_TRUE(tree.Root->IsShortCut(f5));
  EXPECT_EQ(runs, 1);
}

// A hidden item, or an item under a hidden parent, still answers its keys: hiding takes an
// item off the menu, not off the keyboard.
TEST(SkinItemTree, HiddenItemsAndItemsUnderAHiddenParentAnswerTheirShortcuts) {
  Tree tree;
  TSeCustomItem* file = AddItem(tree.Root.get(), L"文件(&F)");
  TSeCustomItem* save = AddItem(file, L"保存");
  TSeCustomItem* tools = AddItem(tree.Root.get(), L"工具(&T)");
  TSeCustomItem* run = AddItem(tools, L"运行");
  int saves = 0, runs = 0;
  save->OnClick = [&](TObject*) { ++saves; };
  run->OnClick = [&](TObject*) { ++runs; };
  save->SetShortCut(VK_F6);
  run->SetShortCut(VK_F7);
  TMessage f6{WM_KEYDOWN, VK_F6, 1, 0}, f7{WM_KEYDOWN, VK_F7, 1, 0};
  save->SetVisible(false);
  tools->SetVisible(false);
  EXPECT_TRUE(tree.Root->IsShortCut(f6));
  EXPECT_TRUE(tree.Root->IsShortCut(f7));
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(runs, 1);
}

// Assigning an action copies its OnExecute over the item's own OnClick; a handler the item
// is given afterwards runs instead of the action.
TEST(SkinItemTree, AnAssignedActionTakesTheClickUntilTheItemGetsAHandlerOfItsOwn) {
  TActionList list(nullptr);
  auto* action = new TAction(&list);
  action->SetActionList(&list);
  int executed = 0, own = 0;
  action->OnExecute = [&](TObject*) { ++executed; };
  Tree tree;
  TSeCustomItem* open = AddItem(tree.Root.get(), L"打开");
  open->OnClick = [&](TObject*) { ++own; };
  open->SetAction(action);
  open->DoClick();
  EXPECT_EQ(executed, 1);
  EXPECT_EQ(own, 0);
  EXPECT_TRUE(open->GetActionLink()->IsOnExecuteLinked());
  open->OnClick = [&](TObject*) { ++own; };
  open->DoClick();
  EXPECT_EQ(executed, 1);
  EXPECT_EQ(own, 1);
  EXPECT_FALSE(open->GetActionLink()->IsOnExecuteLinked());
  open->SetAction(nullptr);
}

TEST(SkinItemTree, AShortcutWhoseClickFreesTheTreeEndsWithoutACrash) {
  auto* root = new TSeCustomItem(nullptr);
  TSeCustomItem* quit = AddItem(root, L"退出");
  quit->SetShortCut(VK_F9);
  int clicks = 0;
  quit->OnClick = [&](TObject*) {
    ++clicks;
    delete root;
  };
  TMessage f9{WM_KEYDOWN, VK_F9, 1, 0};
  EXPECT_TRUE(root->IsShortCut(f9));
  EXPECT_EQ(clicks, 1);
}

// The cursor is kept off the menus, so that only the test's keys choose.
class SkinMenuTest : public SkinFormTest {
 protected:
  void SetUp() override {
    SkinFormTest::SetUp();
    ::SetCursorPos(5, 5);
  }
};

TEST_F(SkinMenuTest, MenuBarInitiateActionUpdatesTheActionsOfItsTopLevelItems) {
  TActionList list(nullptr);
  auto* fileAction = new TAction(&list);
  fileAction->SetActionList(&list);
  fileAction->SetCaption(L"文件(&F)");
  auto* openAction = new TAction(&list);
  openAction->SetActionList(&list);
  int fileUpdates = 0, openUpdates = 0;
  fileAction->OnUpdate = [&](TObject*) {
    ++fileUpdates;
    fileAction->SetEnabled(false);
  };
  openAction->OnUpdate = [&](TObject*) { ++openUpdates; };
  auto* bar = new TSeCustomMenuBar(Form);
  bar->SetParent(Form);
  TSeCustomItem* file = AddItem(bar->GetItems(), L"");
  file->SetAction(fileAction);
  AddItem(file, L"")->SetAction(openAction);
  ASSERT_TRUE(file->GetEnabled());
  bar->InitiateAction();
  EXPECT_EQ(fileUpdates, 1);
  EXPECT_FALSE(file->GetEnabled());
  EXPECT_EQ(openUpdates, 0);  // only the bar's own items
  delete bar;
}

// Put on a decorated form at design time, a bar becomes its menu bar when it has none; at run
// time, once the form has one, or read from a layout that links none, the link stays as it was.
TEST_F(SkinMenuTest, ABarPutOnADecoratedFormAtDesignTimeBecomesItsMenuBar) {
  auto* skin = new TSeCustomForm(Form);
  skin->SetName(L"Skin");
  auto* panel = new TPanel(Form);
  panel->SetParent(Form);
  (new TSeCustomMenuBar(Form))->SetParent(Form);
  EXPECT_EQ(skin->GetMenuBar(), nullptr);
  Form->SetDesigning(true);
  auto* first = new TSeCustomMenuBar(Form);
  first->SetParent(panel);  // on a panel of the form
  EXPECT_EQ(skin->GetMenuBar(), first);
  (new TSeCustomMenuBar(Form))->SetParent(Form);
  EXPECT_EQ(skin->GetMenuBar(), first);

  skin->SetMenuBar(nullptr);
  TStringStream stream(ComponentToText(Form));
  std::unique_ptr<TButtonsForm> copy(TCustomForm::Create<TButtonsForm>(nullptr));
  copy->SetDesigning(true);
  ReadComponentFromStream(stream, copy.get());
  auto* copySkin = dynamic_cast<TSeCustomForm*>(copy->FindComponent(L"Skin"));
  ASSERT_NE(copySkin, nullptr);
  EXPECT_EQ(copySkin->GetMenuBar(), nullptr);
  copy->SetDesigning(false);
  Form->SetDesigning(false);
}

TEST_F(SkinMenuTest, APostedClickOfAnItemFreedMeanwhileDoesNothing) {
  Tree tree;
  TSeCustomItem* kept = AddItem(tree.Root.get(), L"保留");
  TSeCustomItem* freed = AddItem(tree.Root.get(), L"删除");
  int clicks = 0;
  kept->OnClick = freed->OnClick = [&](TObject*) { ++clicks; };
  ASSERT_NE(DeferredClickWindow(), nullptr);
  freed->Click();
  kept->Click();
  EXPECT_EQ(clicks, 0);  // deferred: not inside the caller
  delete freed;
  Pump();
  EXPECT_EQ(clicks, 1);
  AddItem(kept, L"-")->Click();  // an item with children and a separator never click
  Pump();
  EXPECT_EQ(clicks, 1);
}

TEST_F(SkinMenuTest, PopupListLayoutFollowsTheWidthRowAndScrollRules) {
  Tree tree;
  TSeItemView view(nullptr, false, false);
  view.SetItem(tree.Root.get());
  TCanvas* canvas = view.GetMeasureCanvas();
  canvas->SetFont(MenuFont());
  const String caption = L"打开文件";
  TSeCustomItem* open = AddItem(tree.Root.get(), caption);
  TSeCustomItem* line = AddItem(tree.Root.get(), L"-");
  TSeCustomItem* save = AddItem(tree.Root.get(), L"保存");
  save->SetShortCut(static_cast<TShortCut>('S' + scCtrl));
  view.Layout();
  const int rowHeight = MenuMetrics().cy;
  const int openWidth = TextWidthEx(canvas, caption, DT_NOPREFIX) + 22 + 42;
  const int saveWidth = TextWidthEx(canvas, L"保存", DT_NOPREFIX) + 22 + 42 +
                        TextWidthEx(canvas, ShortCutToText(save->GetShortCut()), DT_NOPREFIX);
  EXPECT_EQ(view.GetViewWidth(), std::max(openWidth, saveWidth));
  EXPECT_EQ(line->GetBoundsRect(), TRect(0, rowHeight, view.GetViewWidth(), rowHeight + 15));
  EXPECT_EQ(view.GetViewHeight(), 2 * rowHeight + 15);
  EXPECT_EQ(open->GetBoundsRect().Right, view.GetViewWidth());

  // Scrolled: 12 items, 5 at a time, two 10-pixel buttons.
  for (int i = 0; i < 9; ++i) AddItem(tree.Root.get(), L"项目" + IntToStr(i));
  tree.Root->SetScrolled(true);
  tree.Root->SetScrollCount(5);
  view.Layout();
  EXPECT_EQ(view.ShownRowCount(), 5);
  EXPECT_EQ(view.GetViewHeight(), 4 * rowHeight + 15 + 20);
  EXPECT_EQ(open->GetBoundsRect().Top, 10);
  EXPECT_TRUE(RectIsEmpty(tree.Root->GetItem(6)->GetBoundsRect()));  // not shown
  // Moving to the last item shows the last five rows.
  view.SetSelected(open);
  view.SelectPrevious();
  EXPECT_EQ(view.GetSelected(), tree.Root->GetItem(11));
  EXPECT_EQ(tree.Root->GetTopIndex(), 7);
  EXPECT_EQ(view.ShownRowCount(), 5);
  view.SelectNext();  // wraps to the first
  EXPECT_EQ(view.GetSelected(), open);
  EXPECT_EQ(tree.Root->GetTopIndex(), 0);
  view.SelectNext();  // the separator is skipped
  EXPECT_EQ(view.GetSelected(), save);
}

// Stepping one row at a time keeps the selected row inside the view; a scroll that waited
// for the row two below the last shown one left every other step off-screen.
TEST_F(SkinMenuTest, SteppingThroughAScrolledListKeepsTheSelectedRowInView) {
  Tree tree;
  TSeItemView view(nullptr, false, false);
  view.SetItem(tree.Root.get());
  view.GetMeasureCanvas()->SetFont(MenuFont());
  const int count = 13;
  for (int i = 0; i < count; ++i) AddItem(tree.Root.get(), L"项目" + IntToStr(i));
  tree.Root->SetScrolled(true);
  tree.Root->SetScrollCount(4);
  view.Layout();
  const auto expectInView = [&](int index, const char* step) {
    SCOPED_TRACE(testing::Message() << step << " to " << index);
    ASSERT_EQ(view.GetSelected(), tree.Root->GetItem(index));
    EXPECT_GE(index, view.FirstShownRow());
    EXPECT_LT(index, view.FirstShownRow() + view.ShownRowCount());
    EXPECT_FALSE(RectIsEmpty(tree.Root->GetItem(index)->GetBoundsRect()));
  };
  view.SetSelected(tree.Root->GetItem(0));
  for (int i = 1; i < count; ++i) {
    view.SelectNext();
    expectInView(i, "down");
  }
  for (int i = count - 2; i >= 0; --i) {
    view.SelectPrevious();
    expectInView(i, "up");
  }
}

TEST_F(SkinMenuTest, SelectionSkipsHiddenItemsAndAListOfSeparatorsSelectsNothing) {
  Tree tree;
  TSeItemView view(nullptr, false, false);
  view.SetItem(tree.Root.get());
  for (int i = 0; i < 4; ++i) AddItem(tree.Root.get(), L"-");
  view.SelectNext();
  EXPECT_EQ(view.GetSelected(), nullptr);
  view.SelectPrevious();
  EXPECT_EQ(view.GetSelected(), nullptr);
  TSeCustomItem* hidden = AddItem(tree.Root.get(), L"隐藏");
  hidden->SetVisible(false);
  TSeCustomItem* shown = AddItem(tree.Root.get(), L"显示");
  view.SelectPrevious();
  EXPECT_EQ(view.GetSelected(), shown);
  view.SelectNext();
  EXPECT_EQ(view.GetSelected(), shown);  // the only selectable item
}

TEST_F(SkinMenuTest, KeysChooseAnItemWhoseClickRunsAfterTheMenuWindowsAreGone) {
  Watchdog watchdog(20);
  auto* menu = new TSeCustomPopupMenu(Form);
  TSeCustomItem* first = AddItem(menu->GetSeItems(), L"第一项", Form);
  AddItem(menu->GetSeItems(), L"-", Form);
  TSeCustomItem* second = AddItem(menu->GetSeItems(), L"第二项(&S)", Form);
  int firstClicks = 0, windowsAtClick = -1;
  first->OnClick = [&](TObject*) { ++firstClicks; };
  second->OnClick = [&](TObject*) { windowsAtClick = PopupWindowsShown(); };
  ShowForm();
  // Down over the separator to the second item, then Enter.
  ::PostMessageW(Form->GetHandle(), WM_KEYDOWN, VK_DOWN, 1);
  ::PostMessageW(Form->GetHandle(), WM_KEYDOWN, VK_RETURN, 1);
  menu->Popup(150, 150);
  EXPECT_EQ(PopupWindowsShown(), 0);
  Pump();
  EXPECT_EQ(windowsAtClick, 0);
  EXPECT_EQ(firstClicks, 0);
  // An accelerator chooses directly; Escape closes without a click.
  windowsAtClick = -1;
  ::PostMessageW(Form->GetHandle(), WM_CHAR, L's', 1);
  menu->Popup(150, 150);
  Pump();
  EXPECT_EQ(windowsAtClick, 0);
  ::PostMessageW(Form->GetHandle(), WM_KEYDOWN, VK_ESCAPE, 1);
  menu->Popup(150, 150);
  Pump();
  EXPECT_EQ(firstClicks, 0);
  EXPECT_EQ(TSeCustomPopupMenu::Showing(), nullptr);
}

TEST_F(SkinMenuTest, AQuitPostedWhileAMenuIsOpenStaysForTheProgramsLoop) {
  Watchdog watchdog(20);
  auto* menu = new TSeCustomPopupMenu(Form);
  AddItem(menu->GetSeItems(), L"项目", Form);
  ShowForm();
  ::PostQuitMessage(7);
  menu->Popup(150, 150);
  MSG msg;
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

// A popup menu opened from a timer that the open one's submenu loop dispatched: both levels
// of the open one leave the screen first, and all loops end (the second by Escape, the first
// by themselves).
TEST_F(SkinMenuTest, APopupOpenedInsideAnotherOnesLoopClosesTheOtherFirst) {
  Watchdog watchdog(20);
  auto* first = new TSeCustomPopupMenu(Form);
  AddItem(AddItem(first->GetSeItems(), L"第一个菜单", Form), L"子菜单", Form);
  auto* second = new TSeCustomPopupMenu(Form);
  AddItem(second->GetSeItems(), L"第二个菜单", Form);
  ShowForm();
  int shownInSecond = -1, shownAfterSecond = -1;
  TTimer look(nullptr);  // runs inside the second menu's loop
  look.SetEnabled(false);
  look.SetInterval(100);
  look.SetOnTimer([&](TObject*) {
    look.SetEnabled(false);
    shownInSecond = FormsOnScreen<TSePopupWindow>();
    SaveScreenshot(Form->GetHandle(), L"skin_popup_replaced");
    ::PostMessageW(Form->GetHandle(), WM_KEYDOWN, VK_ESCAPE, 1);
  });
  TTimer open(nullptr);  // runs inside the first menu's loop
  open.SetInterval(100);
  int shownBeforeSecond = -1;
  open.SetOnTimer([&](TObject*) {
    open.SetEnabled(false);
    look.SetEnabled(true);
    shownBeforeSecond = FormsOnScreen<TSePopupWindow>();
    second->Popup(250, 200);
    shownAfterSecond = FormsOnScreen<TSePopupWindow>();
    // Should the first one still be open, Escape ends it so that the test goes on.
    if (shownAfterSecond > 0) ::PostMessageW(Form->GetHandle(), WM_KEYDOWN, VK_ESCAPE, 1);
  });
  ::PostMessageW(Form->GetHandle(), WM_KEYDOWN, VK_RETURN, 1);  // opens the submenu
  first->Popup(150, 150);
  EXPECT_EQ(shownBeforeSecond, 2);  // the first one's list and its submenu
  EXPECT_EQ(shownInSecond, 1);
  EXPECT_EQ(shownAfterSecond, 0);  // the first loop ended on its own
  EXPECT_EQ(PopupWindowsShown(), 0);
  EXPECT_EQ(TSeCustomPopupMenu::Showing(), nullptr);
  EXPECT_EQ(::GetCapture(), nullptr);
  EXPECT_EQ(CaptureDepth(), 0);
}

TEST_F(SkinMenuTest, ATransparentMenuBarShowsItsParentAndAnOpaqueOneItsColour) {
  auto* panel = new TPanel(Form);
  panel->SetParent(Form);
  panel->SetBevelOuter(bvNone);
  panel->SetColor(clBlue);
  panel->SetBounds(0, 0, 300, 80);
  auto* bar = new TSeCustomMenuBar(Form);
  bar->SetParent(panel);
  bar->SetAlign(alTop);
  bar->SetColor(clLime);
  AddItem(bar->GetItems(), L"文件(&F)", Form);
  ShowForm();
  Pump();
  for (bool transparent : {false, true}) {
    bar->SetTransparent(transparent);
    MemorySurface surface(bar->GetWidth(), bar->GetHeight(), clWhite);
    PaintWindowInto(bar, surface);
    EXPECT_EQ(surface.At(bar->GetWidth() - 3, bar->GetHeight() / 2), transparent ? clBlue : clLime)
        << transparent;
    SaveScreenshot(Form->GetHandle(), transparent ? L"skin_menubar_transparent_1024" : L"skin_menubar_opaque_1024");
  }
  Form->SetBounds(100, 100, 320, 200);
  Pump();
  SaveScreenshot(Form->GetHandle(), L"skin_menubar_transparent_800");
}

TEST_F(SkinMenuTest, MenuBarOpensSubmenusByMouseAndKeysAndShowsThem) {
  Watchdog watchdog(30);
  auto* bar = new TSeCustomMenuBar(Form);
  bar->SetParent(Form);
  bar->SetAlign(alTop);
  bar->SetShowBevel(true);
  EXPECT_EQ(bar->GetHeight(), 2);  // no items yet: only the bevel's room
  TSeCustomItem* file = AddItem(bar->GetItems(), L"文件(&F)", Form);
  TSeCustomItem* help = AddItem(bar->GetItems(), L"帮助(&H)", Form);
  TSeCustomItem* open = AddItem(file, L"打开(&O)", Form);
  open->SetShortCut(static_cast<TShortCut>('O' + scCtrl));
  open->SetChecked(true);
  AddItem(file, L"-", Form);
  TSeCustomItem* recent = AddItem(file, L"最近的文件", Form);
  AddItem(recent, L"一.txt", Form);
  AddItem(recent, L"二.txt", Form);
  TSeCustomItem* disabled = AddItem(file, L"打印", Form);
  disabled->SetEnabled(false);
  TSeCustomItem* about = AddItem(help, L"关于", Form);
  int abouts = 0;
  about->OnClick = [&](TObject*) { ++abouts; };
  ShowForm();
  Pump();
  // The bar sized itself to its items plus the bevel's room; items lie side by side.
  EXPECT_EQ(bar->GetHeight(), MenuMetrics().cy + 2);
  EXPECT_EQ(help->GetBoundsRect().Left, file->GetBoundsRect().Right);

  // A timer looks at the open menus and takes the screenshots, then walks on by keys.
  int step = 0;
  TTimer timer(nullptr);
  timer.SetInterval(150);
  timer.SetOnTimer([&](TObject*) {
    const HWND focus = Form->GetHandle();
    switch (step++) {
      case 0:  // file's popup is open: open the submenu with Down, Down, Right
        EXPECT_EQ(PopupWindowsShown(), 1);
        ::PostMessageW(focus, WM_KEYDOWN, VK_DOWN, 1);
        ::PostMessageW(focus, WM_KEYDOWN, VK_RIGHT, 1);
        break;
      case 1:
        EXPECT_EQ(PopupWindowsShown(), 2);
        SaveScreenshot(Form->GetHandle(), L"skin_menubar_form");
        for (int i = 0; i < Screen->GetCustomFormCount(); ++i)
          if (auto* w = dynamic_cast<TSePopupWindow*>(Screen->GetCustomForms(i)))
            SaveScreenshot(w->GetHandle(), L"skin_menubar_popup_" + IntToStr(i));
        // Left closes the submenu.
        ::PostMessageW(focus, WM_KEYDOWN, VK_LEFT, 1);
        break;
      case 2:
        EXPECT_EQ(PopupWindowsShown(), 1);
        ::PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 1);  // back to the bar
        ::PostMessageW(focus, WM_KEYDOWN, VK_RIGHT, 1);   // help selected
        ::PostMessageW(focus, WM_KEYDOWN, VK_DOWN, 1);    // opens it
        break;
      case 3:
        EXPECT_EQ(PopupWindowsShown(), 1);
        ::PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 1);
        timer.SetEnabled(false);
        break;
    }
  });
  // A click on the first bar item enters menu mode; its release opens the popup.
  const TRect fileRect = file->GetBoundsRect();
  const int x = (fileRect.Left + fileRect.Right) / 2, y = (fileRect.Top + fileRect.Bottom) / 2;
  const TPoint screen = bar->ClientToScreen(TPoint(x, y));
  ::SetCursorPos(screen.X, screen.Y);
  ::PostMessageW(bar->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  Pump();
  EXPECT_EQ(step, 4);
  EXPECT_EQ(abouts, 1);
  EXPECT_EQ(PopupWindowsShown(), 0);
  EXPECT_EQ(::GetCapture(), nullptr);
  EXPECT_FALSE(bar->GetView()->ScrollTimerRunning());
}

// A popup decoration that counts how its window is placed and painted.
class TCountingPopupForm : public TSePopupForm {
 public:
  using TSePopupForm::TSePopupForm;
  static int FrameChanges, Placings, Paints;
  void PaintClient(TCanvas* canvas) override {
    ++Paints;
    TSePopupForm::PaintClient(canvas);
  }
  void Dispatch(TMessage& message) override {
    if (message.Msg == WM_WINDOWPOSCHANGING) {
      const UINT flags = reinterpret_cast<WINDOWPOS*>(message.LParam)->flags;
      constexpr UINT RegionChange = 0x0800;  // the client stays: a window region was set
      if ((flags & SWP_FRAMECHANGED) && !(flags & RegionChange)) ++FrameChanges;
      else if (!(flags & (SWP_FRAMECHANGED | SWP_HIDEWINDOW))) ++Placings;
    }
    TSePopupForm::Dispatch(message);
  }
};
int TCountingPopupForm::FrameChanges = 0, TCountingPopupForm::Placings = 0, TCountingPopupForm::Paints = 0;

class TCountingRoot : public TSeCustomItem {
 public:
  TCountingRoot() : TSeCustomItem(nullptr) {}
  TSePopupWindowClass PopupWindowClass() const override {
    return [](TComponent* owner, TSeItemView* parentView, TSeCustomItem* item) {
      return new TSePopupWindow(owner, parentView, item,
                                [](TSePopupWindow* window) -> TSePopupForm* { return new TCountingPopupForm(window); });
    };
  }
};

// Each placing of a window is a round trip to the window system (a slow one under Wine): a
// menu that comes up and is closed at once applies its frame once, is placed no more than
// made, fitted to its frame, sized to its items and shown, and is painted once (not again
// as it closes).
TEST_F(SkinMenuTest, APopupAppliesItsFrameOnceAndIsPaintedOnce) {
  Watchdog watchdog(20);
  ShowForm();
  TCountingRoot root;
  for (int i = 0; i < 20; ++i) AddItem(&root, L"第" + IntToStr(i + 1) + L"项练习", Form);
  TSePopupMenuOptions options;
  root.SetTreePopupOptions(&options);
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    // Options set on the decoration (a shadow) must not apply the frame again.
    options.GetShadow()->SetEnabled(run == 1);
    TCountingPopupForm::FrameChanges = TCountingPopupForm::Placings = TCountingPopupForm::Paints = 0;
    ::PostMessageW(Form->GetHandle(), WM_KEYDOWN, VK_ESCAPE, 1);
    ASSERT_TRUE(root.Popup(nullptr, 150, 150, TRect()));
    EXPECT_EQ(TCountingPopupForm::FrameChanges, 1);
    EXPECT_LE(TCountingPopupForm::Placings, 3);
    EXPECT_EQ(TCountingPopupForm::Paints, 1);
  }
  root.SetTreePopupOptions(nullptr);
}

TEST_F(SkinMenuTest, HundredMenuCyclesLeaveNoGdiOrUserObjects) {
  Watchdog watchdog(60);
  ShowForm();
  auto cycle = [&] {
    auto* menu = new TSeCustomPopupMenu(Form);
    for (int i = 0; i < 5; ++i) AddItem(menu->GetSeItems(), L"项目" + IntToStr(i), Form)->SetChecked(i == 1);
    AddItem(menu->GetSeItems()->GetItem(2), L"子项", Form);
    ::PostMessageW(Form->GetHandle(), WM_KEYDOWN, VK_DOWN, 1);
    ::PostMessageW(Form->GetHandle(), WM_KEYDOWN, VK_DOWN, 1);
    // Return opens the submenu (Right opens nothing in a menu without a parent view).
    ::PostMessageW(Form->GetHandle(), WM_KEYDOWN, VK_RETURN, 1);
    ::PostMessageW(Form->GetHandle(), WM_KEYDOWN, VK_ESCAPE, 1);
    ::PostMessageW(Form->GetHandle(), WM_KEYDOWN, VK_ESCAPE, 1);
    menu->Popup(150, 150);
    delete menu;
    Pump();
  };
  cycle();  // shared glyphs and fonts are made once
  const DWORD gdi = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD user = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
  for (int i = 0; i < 100; ++i) cycle();
  EXPECT_EQ(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), gdi);
  EXPECT_EQ(::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS), user);
  EXPECT_EQ(PopupWindowsShown(), 0);
}

TEST_F(SkinMenuTest, LayoutsKeepTheItemTreeWithChineseCaptions) {
  auto* bar = new TSeCustomMenuBar(Form);
  bar->SetName(L"Bar");
  bar->SetParent(Form);
  bar->SetShowBevel(true);
  TSeCustomItem* file = AddItem(bar->GetItems(), L"文件(&F)", Form);
  file->SetName(L"FileItem");
  TSeCustomItem* open = AddItem(file, L"打开…", Form);
  open->SetName(L"OpenItem");
  open->SetShortCut(static_cast<TShortCut>('O' + scCtrl));
  open->SetHint(L"打开一个题库文件");
  open->SetChecked(true);
  open->SetEnabled(false);
  open->SetImageIndex(2);
  file->SetScrolled(true);
  file->SetScrollCount(4);
  const String text = ComponentToText(Form);
  auto* copy = TCustomForm::Create<TButtonsForm>(nullptr);
  TStringStream stream(text);
  ReadComponentFromStream(stream, copy);
  auto* bar2 = dynamic_cast<TSeCustomMenuBar*>(copy->FindComponent(L"Bar"));
  auto* open2 = dynamic_cast<TSeCustomItem*>(copy->FindComponent(L"OpenItem"));
  ASSERT_TRUE(bar2 && open2);
  EXPECT_TRUE(bar2->GetShowBevel());
  ASSERT_EQ(bar2->GetItems()->GetCount(), 1);
  TSeCustomItem* file2 = bar2->GetItems()->GetItem(0);
  EXPECT_EQ(file2->GetCaption(), L"文件(&F)");
  EXPECT_TRUE(file2->GetScrolled());
  EXPECT_EQ(file2->GetScrollCount(), 4);
  EXPECT_EQ(open2->GetParent(), file2);
  EXPECT_EQ(open2->GetCaption(), L"打开…");
  EXPECT_EQ(open2->GetHint(), L"打开一个题库文件");
  EXPECT_EQ(open2->GetShortCut(), 'O' + scCtrl);
  EXPECT_TRUE(open2->GetChecked());
  EXPECT_FALSE(open2->GetEnabled());
  EXPECT_EQ(open2->GetImageIndex(), 2);
  delete copy;
}

}  // namespace
}  // namespace skin_tests
