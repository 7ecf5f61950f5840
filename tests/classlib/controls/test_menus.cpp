// Menus as system menus: the handle built from the item tree, command dispatch, shortcuts
// and popup menus driven by posted keys. Needs a display (the popup test shows a menu).
#include <gtest/gtest.h>
#include <memory>
#include "classlib/controls/Menus.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/ImageList.h"

namespace {

// A plain top-level window. A menu bar set on it belongs to its TMenu, so it is taken off
// before the window goes.
class TestWindow {
 public:
  TestWindow() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MenuTestWindow";
    ::RegisterClassW(&windowClass);
    FWindow = ::CreateWindowExW(0, L"MenuTestWindow", L"menu test", WS_OVERLAPPEDWINDOW, 10,
                                10, 300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
  }
  ~TestWindow() {
    ::SetMenu(FWindow, nullptr);
    ::DestroyWindow(FWindow);
  }
  HWND Get() const { return FWindow; }

 private:
  HWND FWindow = nullptr;
};

TMenuItem* NewItem(const String& caption, TShortCut shortCut = scNone) {
  auto* item = new TMenuItem(nullptr);
  item->SetCaption(caption);
  item->SetShortCut(shortCut);
  return item;
}

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); }

String MenuString(HMENU menu, UINT position) {
  wchar_t text[128] = {};
  const int length = ::GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
  return String(text, static_cast<size_t>(std::max(length, 0)));
}

MENUITEMINFOW ItemInfo(HMENU menu, UINT position) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_BITMAP;
  ::GetMenuItemInfoW(menu, position, TRUE, &info);
  return info;
}

// A popup menu of File (New Ctrl+N, Open..., -, Recent > (One, Two)), Edit (Undo), Help.
struct SampleMenu {
  TPopupMenu Menu{nullptr};
  TMenuItem* File = NewItem(L"&File");
  TMenuItem* New = NewItem(L"&New", 'N' | scCtrl);
  TMenuItem* Open = NewItem(L"&Open...", VK_F3);
  TMenuItem* Line = NewItem(L"-");
  TMenuItem* Recent = NewItem(L"&Recent");
  TMenuItem* One = NewItem(L"One", '1' | scAlt);
  TMenuItem* Two = NewItem(L"Two");
  TMenuItem* Edit = NewItem(L"&Edit");
  TMenuItem* Undo = NewItem(L"&Undo", 'Z' | scCtrl);

  SampleMenu() {
    Menu.GetItems()->Add(File);
    File->Add(New);
    File->Add(Open);
    File->Add(Line);
    File->Add(Recent);
    Recent->Add(One);
    Recent->Add(Two);
    Menu.GetItems()->Add(Edit);
    Edit->Add(Undo);
  }
};

}  // namespace

TEST(Menus, HandleShowsTheItemTree) {
  SampleMenu sample;
  HMENU root = sample.Menu.GetHandle();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(::GetMenuItemCount(root), 2);
  EXPECT_EQ(MenuString(root, 0), L"&File");
  HMENU file = ::GetSubMenu(root, 0);
  EXPECT_EQ(file, sample.File->GetHandle());
  ASSERT_EQ(::GetMenuItemCount(file), 4);
  EXPECT_EQ(MenuString(file, 0), L"&New\tCtrl+N");
  EXPECT_EQ(MenuString(file, 1), L"&Open...\tF3");
  EXPECT_TRUE(ItemInfo(file, 2).fType & MFT_SEPARATOR);
  EXPECT_EQ(ItemInfo(file, 0).wID, sample.New->GetCommand());
  HMENU recent = ::GetSubMenu(file, 3);
  ASSERT_NE(recent, nullptr);
  EXPECT_EQ(::GetMenuItemCount(recent), 2);
  EXPECT_EQ(MenuString(recent, 0), L"One\tAlt+1");
}

TEST(Menus, StatesReachTheHandle) {
  SampleMenu sample;
  HMENU file = sample.File->GetHandle();
  sample.New->SetChecked(true);
  sample.Open->SetEnabled(false);
  sample.One->SetRadioItem(true);
  sample.Two->SetRadioItem(true);
  sample.One->SetChecked(true);
  sample.New->SetDefault(true);

  EXPECT_TRUE(ItemInfo(file, 0).fState & MFS_CHECKED);
  EXPECT_TRUE(ItemInfo(file, 0).fState & MFS_DEFAULT);
  EXPECT_TRUE(ItemInfo(file, 1).fState & MFS_DISABLED);
  EXPECT_FALSE(ItemInfo(file, 0).fState & MFS_DISABLED);
  HMENU recent = sample.Recent->GetHandle();
  EXPECT_TRUE(ItemInfo(recent, 0).fType & MFT_RADIOCHECK);
  EXPECT_TRUE(ItemInfo(recent, 0).fState & MFS_CHECKED);

  // Checking another radio item of the group unchecks the first one.
  sample.Two->SetChecked(true);
  EXPECT_FALSE(sample.One->GetChecked());
  EXPECT_FALSE(ItemInfo(recent, 0).fState & MFS_CHECKED);
  EXPECT_TRUE(ItemInfo(recent, 1).fState & MFS_CHECKED);
  // Another group is left alone.
  sample.One->SetGroupIndex(1);
  sample.One->SetChecked(true);
  EXPECT_TRUE(sample.Two->GetChecked());

  // One default per submenu.
  sample.Open->SetDefault(true);
  EXPECT_FALSE(sample.New->GetDefault());
  EXPECT_FALSE(ItemInfo(file, 0).fState & MFS_DEFAULT);
}

TEST(Menus, ChangesRebuildTheSameHandle) {
  SampleMenu sample;
  HMENU file = sample.File->GetHandle();
  sample.Open->SetCaption(L"&Open file");
  EXPECT_EQ(MenuString(file, 1), L"&Open file\tF3");
  sample.Open->SetShortCut(scNone);
  EXPECT_EQ(MenuString(file, 1), L"&Open file");

  sample.New->SetVisible(false);
  EXPECT_EQ(::GetMenuItemCount(file), 3);
  EXPECT_EQ(MenuString(file, 0), L"&Open file");
  sample.New->SetVisible(true);
  EXPECT_EQ(::GetMenuItemCount(file), 4);

  sample.File->Insert(0, NewItem(L"First"));
  EXPECT_EQ(MenuString(file, 0), L"First");
  EXPECT_EQ(sample.File->GetHandle(), file);

  // An item without items becomes a submenu once it has one.
  sample.Undo->Add(NewItem(L"Deeper"));
  EXPECT_NE(::GetSubMenu(sample.Edit->GetHandle(), 0), nullptr);

  std::unique_ptr<TMenuItem> taken(sample.File->GetItem(0));
  sample.File->Delete(0);
  EXPECT_EQ(taken->GetParent(), nullptr);
  EXPECT_EQ(::GetMenuItemCount(file), 4);

  sample.Recent->SetMenuIndex(0);
  EXPECT_EQ(sample.File->IndexOf(sample.Recent), 0);
  EXPECT_EQ(::GetSubMenu(file, 0), sample.Recent->GetHandle());

  sample.Recent->Clear();
  EXPECT_EQ(sample.Recent->GetCount(), 0);
  EXPECT_EQ(::GetSubMenu(file, 0), nullptr);
}

TEST(Menus, TreeOperationsCheckTheirArguments) {
  SampleMenu sample;
  EXPECT_THROW(sample.File->Add(sample.New), EMenuError);          // already in a menu
  EXPECT_THROW(sample.Recent->Add(sample.File), EMenuError);       // would hold itself
  EXPECT_THROW(sample.File->GetItem(9), EMenuError);
  EXPECT_THROW(sample.File->Delete(-1), EMenuError);
  TMenuItem stray(nullptr);
  EXPECT_THROW(sample.File->Insert(9, &stray), EMenuError);
  EXPECT_EQ(stray.GetParent(), nullptr);
  EXPECT_THROW(sample.File->Remove(&stray), EMenuError);
  EXPECT_EQ(sample.Menu.GetItems()->Find(L"edit"), sample.Edit);
  EXPECT_EQ(sample.Menu.GetItems()->Find(L"Help"), nullptr);
  EXPECT_EQ(sample.One->GetMenu(), &sample.Menu);
  EXPECT_EQ(stray.GetMenu(), nullptr);
}

TEST(Menus, FreedItemsLeaveMenuAndCommandTableAndAFreedPopupComponentIsForgotten) {
  auto* owner = new TComponent(nullptr);
  TPopupMenu menu(nullptr);
  auto* item = new TMenuItem(owner);
  item->SetCaption(L"Owned");
  menu.GetItems()->Add(item);
  auto* child = NewItem(L"Child");
  item->Add(child);
  const WORD itemCommand = item->GetCommand();
  const WORD childCommand = child->GetCommand();
  EXPECT_NE(itemCommand, childCommand);
  EXPECT_EQ(FindMenuItemByCommand(childCommand), child);
  HMENU root = menu.GetHandle();
  EXPECT_EQ(::GetMenuItemCount(root), 1);
  HMENU submenu = item->GetHandle();
  EXPECT_TRUE(::IsMenu(submenu));

  // A popup component the menu was shown for is forgotten when freed too.
  menu.SetPopupComponent(owner);
  // The owner frees the item; the item frees its own items and its submenu.
  delete owner;
  EXPECT_EQ(menu.GetPopupComponent(), nullptr);
  EXPECT_EQ(menu.GetItems()->GetCount(), 0);
  EXPECT_EQ(::GetMenuItemCount(root), 0);
  EXPECT_FALSE(::IsMenu(submenu));
  EXPECT_EQ(FindMenuItemByCommand(itemCommand), nullptr);
  EXPECT_EQ(FindMenuItemByCommand(childCommand), nullptr);
}

TEST(Menus, ACommandClicksTheEnabledItemOfThisMenuOnly) {
  SampleMenu sample;
  TMainMenu other(nullptr);
  int newClicks = 0;
  sample.New->OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, sample.New);
    ++newClicks;
  };
  EXPECT_TRUE(sample.Menu.DispatchCommand(sample.New->GetCommand()));
  EXPECT_EQ(newClicks, 1);

  // A disabled item is not clicked; a number of another menu is not this menu's.
  sample.New->SetEnabled(false);
  EXPECT_TRUE(sample.Menu.DispatchCommand(sample.New->GetCommand()));
  EXPECT_EQ(newClicks, 1);
  auto* foreign = NewItem(L"Foreign");
  other.GetItems()->Add(foreign);
  EXPECT_FALSE(sample.Menu.DispatchCommand(foreign->GetCommand()));
  EXPECT_FALSE(sample.Menu.DispatchCommand(0));
}

TEST(Menus, MainMenuOnAWindowFollowsChanges) {
  TMainMenu menu(nullptr);
  TestWindow window;
  auto* file = NewItem(L"&File");
  menu.GetItems()->Add(file);
  file->Add(NewItem(L"E&xit"));
  ASSERT_TRUE(::SetMenu(window.Get(), menu.GetHandle()));
  menu.SetWindowHandle(window.Get());
  int changes = 0;
  menu.OnChange = [&](TObject*, TMenuItem*, bool) { ++changes; };

  menu.GetItems()->Add(NewItem(L"&Help"));
  EXPECT_EQ(::GetMenu(window.Get()), menu.GetHandle());
  EXPECT_EQ(::GetMenuItemCount(::GetMenu(window.Get())), 2);
  EXPECT_EQ(MenuString(::GetMenu(window.Get()), 1), L"&Help");
  EXPECT_GE(changes, 1);
}

TEST(Menus, IsShortCutFindsNestedEnabledItems) {
  SampleMenu sample;
  std::vector<String> calls;
  auto record = [&calls](const wchar_t* name) {
    return [&calls, name](TObject*) { calls.push_back(name); };
  };
  sample.File->OnClick = record(L"File");
  sample.Recent->OnClick = record(L"Recent");
  sample.One->OnClick = record(L"One");
  sample.Undo->OnClick = record(L"Undo");

  // Nested two levels down; the submenus' OnClick run first, top first, as when opened.
  EXPECT_TRUE(sample.Menu.IsShortCut('1', {ssAlt}));
  EXPECT_EQ(calls, (std::vector<String>{L"File", L"Recent", L"One"}));

  calls.clear();
  EXPECT_FALSE(sample.Menu.IsShortCut('1', {}));       // modifiers must match
  EXPECT_FALSE(sample.Menu.IsShortCut('Q', {ssCtrl}));
  sample.Undo->SetEnabled(false);
  EXPECT_FALSE(sample.Menu.IsShortCut('Z', {ssCtrl}));
  sample.Undo->SetEnabled(true);
  sample.Edit->SetEnabled(false);                      // a disabled submenu hides its items
  EXPECT_FALSE(sample.Menu.IsShortCut('Z', {ssCtrl}));
  sample.Edit->SetEnabled(true);
  sample.Undo->SetVisible(false);
  EXPECT_FALSE(sample.Menu.IsShortCut('Z', {ssCtrl}));
  EXPECT_TRUE(calls.empty());

  // A disabled item does not hide an enabled one with the same shortcut.
  sample.Two->SetShortCut('1' | scAlt);
  sample.One->SetEnabled(false);
  int twoClicks = 0;
  sample.Two->OnClick = [&](TObject*) { ++twoClicks; };
  EXPECT_TRUE(sample.Menu.IsShortCut('1', {ssAlt}));
  EXPECT_EQ(twoClicks, 1);
}

TEST(Menus, PopupChosenByKeysClicksTheItem) {
  SampleMenu sample;
  TestWindow window;
  ::ShowWindow(window.Get(), SW_SHOW);
  ::SetForegroundWindow(window.Get());
  int popups = 0;
  sample.Menu.OnPopup = [&](TObject* sender) {
    EXPECT_EQ(sender, &sample.Menu);
    ++popups;
  };
  int recentOpened = 0;
  int twoClicks = 0;
  sample.Recent->OnClick = [&](TObject*) { ++recentOpened; };
  sample.Two->OnClick = [&](TObject*) { ++twoClicks; };
  // A safety net: the menu is closed after five seconds whatever happens.
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 5000, CloseMenu);

  // File > Recent > Two: down to File, right into File, up to Recent (the last item),
  // right into Recent, down to Two, Enter.
  const WPARAM keys[] = {VK_DOWN, VK_RIGHT, VK_UP, VK_RIGHT, VK_DOWN, VK_RETURN};
  for (WPARAM key : keys) {
    ::PostMessageW(window.Get(), WM_KEYDOWN, key, 1);
    ::PostMessageW(window.Get(), WM_KEYUP, key, 0xC0000001);
  }
  sample.Menu.Popup(40, 40);
  ::KillTimer(nullptr, timer);

  EXPECT_EQ(popups, 1);
  EXPECT_EQ(sample.Menu.GetPopupPoint(), TPoint(40, 40));
  EXPECT_EQ(recentOpened, 1);
  EXPECT_EQ(twoClicks, 1);
}

TEST(Menus, ItemImagesComeFromTheMenusImageList) {
  auto* images = new TImageList(nullptr);
  images->SetWidth(8);
  images->SetHeight(8);
  TBitmap picture;
  picture.SetSize(8, 8);
  picture.GetCanvas()->GetBrush()->SetColor(clRed);
  picture.GetCanvas()->FillRect(Rect(0, 0, 8, 8));
  picture.GetCanvas()->GetBrush()->SetColor(clLime);
  picture.GetCanvas()->FillRect(Rect(0, 0, 4, 8));  // left half: the mask colour
  ASSERT_EQ(images->AddMasked(&picture, clLime), 0);

  TPopupMenu menu(nullptr);
  auto* item = NewItem(L"Picture");
  item->SetImageIndex(0);
  menu.GetItems()->Add(item);
  HMENU root = menu.GetHandle();
  EXPECT_EQ(ItemInfo(root, 0).hbmpItem, nullptr);  // no images yet

  menu.SetImages(images);
  HBITMAP bitmap = ItemInfo(root, 0).hbmpItem;
  ASSERT_NE(bitmap, nullptr);
  BITMAP header = {};
  ASSERT_TRUE(::GetObjectW(bitmap, sizeof(header), &header));
  ASSERT_EQ(header.bmBitsPixel, 32);
  ASSERT_NE(header.bmBits, nullptr);
  const auto* pixels = static_cast<const uint32_t*>(header.bmBits);
  EXPECT_EQ(pixels[0] >> 24, 0u);                   // masked: transparent
  EXPECT_EQ(pixels[6], 0xFFFF0000u);                // red, opaque
  // Freeing the image list takes the images off the menu, and their bitmaps are freed.
  delete images;
  EXPECT_EQ(menu.GetImages(), nullptr);
  EXPECT_EQ(ItemInfo(root, 0).hbmpItem, nullptr);
  EXPECT_EQ(::GetObjectType(bitmap), 0u);
}
