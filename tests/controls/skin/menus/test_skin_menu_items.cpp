// The skin-drawn menu items and their popup frame: sizes and states from the skin objects,
// the plain drawing without a skin, the menu's private copies following the engine (a second
// skin, the engine freed while the items live), and a skinned menu bar driven open.
#include <memory>

#include "classlib/classes/Layouts.h"
#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/Watchdog.h"
#include "controls/skin/engine/SkinBoxObjects.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "controls/skin/menus/SkinMenuData.h"
#include "controls/skin/menus/SkinMenuForm.h"
#include "controls/skin/menus/SkinMenuSkin.h"

namespace skin_tests {
namespace {

// Colours of one skin: the bar and popup items in their three states, the frame, the
// separator, the three MDI buttons and the items' text.
struct MenuColours {
  TColor Normal, Hot, Focused, Frame, Separator, Close, Restore, Min, Text;
  int BarHeight, ItemHeight;
};
const MenuColours SkinA{clSilver, clYellow, clAqua, clRed, clGreen, clMaroon, clOlive, clPurple, clNavy, 24, 20};
const MenuColours SkinB{clLime, clFuchsia, clTeal, clBlue, clMaroon, clOlive, clPurple, clMaroon, clBlack, 30, 26};

template <class T>
T* Part(TComponent* owner, const wchar_t* name, TColor color, int height) {
  auto* object = new T(owner);
  object->SetName(name);
  object->SetColor(color);
  object->SetBoundsRect(TRect(0, 0, 40, height));
  return object;
}

TSeColorButtonObject* StatePart(TComponent* owner, const wchar_t* name, const MenuColours& c, int height) {
  auto* object = Part<TSeColorButtonObject>(owner, name, c.Normal, height);
  object->SetHotColor(c.Hot);
  object->SetFocusedColor(c.Focused);
  object->GetOwnFont()->SetColor(c.Text);
  object->GetHotFont()->SetColor(c.Text);
  object->GetFocusedFont()->SetColor(c.Text);
  return object;
}

String TempFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH]{};
  ::GetTempPathW(MAX_PATH, folder);
  return String(folder) + name;
}

// A skin with "MenuBar" (its "Item" and the three MDI buttons) and "PopupMenu" ("Frame" with
// margins 5, 4, 6, 7, "Item" and "Separator"), saved as a cskn file.
String MakeMenuSkinFile(const wchar_t* fileName, const MenuColours& c) {
  TSeSkinSource skin(nullptr);
  TSeSkinObject* bar = Part<TSeSkinObject>(nullptr, L"MenuBar", clNone, c.BarHeight);
  TSeSkinObject* barItem = StatePart(bar, L"Item", c, c.BarHeight);
  barItem->SetTextMarginLeft(6);
  barItem->SetTextMarginRight(8);
  barItem->SetTextAlign(TSeTextAlign::taCenter);
  Part<TSeSkinObject>(bar, L"Close", c.Close, c.BarHeight);
  Part<TSeSkinObject>(bar, L"Restore", c.Restore, c.BarHeight);
  Part<TSeSkinObject>(bar, L"Min", c.Min, c.BarHeight);
  TSeSkinObject* popup = Part<TSeSkinObject>(nullptr, L"PopupMenu", clNone, 100);
  TSeSkinObject* frame = Part<TSeSkinObject>(popup, L"Frame", c.Frame, 100);
  frame->SetMarginLeft(5);
  frame->SetMarginTop(4);
  frame->SetMarginRight(6);
  frame->SetMarginBottom(7);
  TSeSkinObject* item = StatePart(popup, L"Item", c, c.ItemHeight);
  item->SetTextMarginLeft(4);
  item->SetTextMarginRight(24);
  Part<TSeSkinObject>(popup, L"Separator", c.Separator, c.ItemHeight);
  for (TSeSkinObject* object : {bar, popup}) {
    skin.AddObject(object);
    skin.InsertComponent(object);
  }
  const String path = TempFile(fileName);
  skin.SaveToFile(path);
  return path;
}

template <class T = TSeSkinItem>
T* AddItem(TSeCustomItem* parent, const String& caption, TComponent* owner) {
  auto* item = new T(owner);
  item->SetCaption(caption);
  parent->Add(item);
  return item;
}

TSeSkinObject* EngineObject(TSeLumaweave* engine, const wchar_t* top, const wchar_t* child) {
  return engine->GetSkinSource()->FindObject(top)->FindObject(child);
}

int PopupWindowsShown() {
  int count = 0;
  for (int i = 0; i < Screen->GetCustomFormCount(); ++i)
    if (dynamic_cast<TSePopupWindow*>(Screen->GetCustomForms(i))) ++count;
  return count;
}

class SkinMenuItemTest : public SkinFormTest {
 protected:
  void SetUp() override {
    SkinFormTest::SetUp();
    A = MakeMenuSkinFile(L"skin109-a.cskn", SkinA);
    B = MakeMenuSkinFile(L"skin109-b.cskn", SkinB);
    Engine = new TSeLumaweave(Form);
    Engine->SetSkinFile(A);
    Bar = new TSeSkinMenuBar(Form);
    Bar->SetParent(Form);
    Bar->SetAlign(alTop);
    File = AddItem(Bar->GetItems(), L"文件(&F)", Form);
    Help = AddItem(Bar->GetItems(), L"帮助(&H)", Form);
    Open = AddItem(File, L"打开(&O)", Form);
    Open->SetShortCut(static_cast<TShortCut>('O' + scCtrl));
    Open->SetChecked(true);
    Line = AddItem(File, L"-", Form);
    Recent = AddItem(File, L"最近的文件", Form);
    AddItem(Recent, L"一.txt", Form);
    AddItem(Recent, L"二.txt", Form);
    Print = AddItem(File, L"打印", Form);
    Print->SetEnabled(false);
    AddItem(Help, L"关于", Form);
    Bar->SetLumaweave(Engine);
  }
  void TearDown() override {
    SkinFormTest::TearDown();
    ::DeleteFileW(A.c_str());
    ::DeleteFileW(B.c_str());
  }
  // The item drawn alone on a white surface of its size.
  void Draw(TSeCustomItem* item, MemorySurface& surface, bool popupLook, bool selected, bool hot) {
    TSeItemView view(nullptr, !popupLook, !popupLook);
    item->DrawItem(&surface.Canvas, &view, TRect(0, 0, surface.Width(), surface.Height()), selected, hot);
    ::GdiFlush();
  }
  TSize Measure(TSeCustomItem* item, bool popupLook) {
    TSeItemView view(nullptr, !popupLook, !popupLook);
    MemorySurface surface(4, 4);
    int height = 0, width = 0;
    item->MeasureItem(&surface.Canvas, &view, height, width);
    return TSize(width, height);
  }

  String A, B;
  TSeLumaweave* Engine = nullptr;
  TSeSkinMenuBar* Bar = nullptr;
  TSeSkinItem *File = nullptr, *Help = nullptr, *Open = nullptr, *Line = nullptr, *Recent = nullptr,
              *Print = nullptr;
};

TEST(SkinMenuFrame, ClientRectAndFrameComeFromTheFrameChildElseThreePixels) {
  std::unique_ptr<TSeSkinObject> popup(Part<TSeSkinObject>(nullptr, L"PopupMenu", clNone, 10));
  EXPECT_EQ(SkinPopupClientRect(popup.get(), 80, 60), TRect(3, 3, 77, 57));
  EXPECT_EQ(SkinPopupClientRect(nullptr, 80, 60), TRect(3, 3, 77, 57));
  MemorySurface surface(80, 60, clWhite);
  EXPECT_FALSE(PaintSkinPopupFrame(popup.get(), &surface.Canvas, 80, 60));
  EXPECT_FALSE(PaintSkinPopupFrame(nullptr, &surface.Canvas, 80, 60));
  EXPECT_EQ(surface.CountOf(clWhite, TRect(0, 0, 80, 60)), 80 * 60);

  TSeSkinObject* frame = Part<TSeSkinObject>(popup.get(), L"Frame", clRed, 10);
  frame->SetMarginLeft(5);
  frame->SetMarginTop(4);
  frame->SetMarginRight(6);
  frame->SetMarginBottom(7);
  EXPECT_EQ(SkinPopupClientRect(popup.get(), 80, 60), TRect(5, 4, 74, 53));
  EXPECT_TRUE(PaintSkinPopupFrame(popup.get(), &surface.Canvas, 80, 60));
  EXPECT_EQ(surface.CountOf(clRed, TRect(0, 0, 80, 60)), 80 * 60);  // the whole window
}

TEST_F(SkinMenuItemTest, SizesAndStatesComeFromTheSkinObjects) {
  ASSERT_TRUE(File->UseSkin());
  TSeSkinObject* barItem = File->GetBarItemObject();
  ASSERT_NE(barItem, nullptr);
  EXPECT_NE(barItem, EngineObject(Engine, L"MenuBar", L"Item"));  // the menu's copy
  MemorySurface probe(4, 4);
  probe.Canvas.SetFont(barItem->GetFont());
  // "&" marks the accelerator, as the skin object draws it: it takes no room.
  const int fileText = TextWidthEx(&probe.Canvas, L"文件(F)", DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(Measure(File, false), TSize(fileText + 6 + 8, SkinA.BarHeight));
  // The bar laid its items out by those sizes.
  EXPECT_EQ(File->GetBoundsRect().Width(), fileText + 6 + 8);
  EXPECT_EQ(Help->GetBoundsRect().Left, File->GetBoundsRect().Right);
  // An MDI button is square.
  auto* close = AddItem(Bar->GetItems(), L"", Form);
  close->SetSystemKind(sysClose);
  EXPECT_EQ(Measure(close, false), TSize(SkinA.BarHeight, SkinA.BarHeight));

  // Popup rows: caption + image column + 20 + shortcut + 22; the object's height.
  const int openText = TextWidthEx(&probe.Canvas, L"打开(O)", DT_SINGLELINE | DT_NOPREFIX);
  const int keysText = TextWidthEx(&probe.Canvas, ShortCutToText(Open->GetShortCut()), DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(Measure(Open, true), TSize(openText + 22 + 20 + keysText + 22, SkinA.ItemHeight));
  EXPECT_EQ(Measure(Line, true).cy, SkinA.ItemHeight);
  // A wide image list makes a column wider than the row: rows grow, separators do not.
  TImageList images(nullptr);
  images.SetWidth(30);
  images.SetHeight(30);
  File->SetImages(&images);
  EXPECT_EQ(Measure(Open, true).cy, 36 + 4);
  EXPECT_EQ(Measure(Line, true).cy, SkinA.ItemHeight);
  File->SetImages(nullptr);

  // States: 0 normal, 5 selected and hot, 7 selected otherwise; in the bar and in a popup.
  for (bool popupLook : {false, true}) {
    MemorySurface surface(60, 20);
    Draw(Help, surface, popupLook, false, false);
    EXPECT_EQ(surface.At(1, 1), SkinA.Normal) << popupLook;
    Draw(Help, surface, popupLook, true, true);
    EXPECT_EQ(surface.At(1, 1), SkinA.Hot) << popupLook;
    Draw(Help, surface, popupLook, true, false);
    EXPECT_EQ(surface.At(1, 1), SkinA.Focused) << popupLook;
  }
  // The MDI buttons draw the bar's "Close", "Restore" and "Min".
  MemorySurface button(20, 20);
  for (auto [kind, colour] : {std::pair{sysClose, SkinA.Close}, std::pair{sysRestore, SkinA.Restore},
                              std::pair{sysMinimize, SkinA.Min}}) {
    close->SetSystemKind(kind);
    Draw(close, button, false, false, false);
    EXPECT_EQ(button.At(10, 10), colour);
  }
  // The child's icon: the bar item's face with a 16 x 16 icon in its middle.
  close->SetSystemKind(sysChildIcon);
  MemorySurface icon(30, 24);
  Draw(close, icon, false, false, false);
  EXPECT_EQ(icon.At(1, 1), SkinA.Normal);
  EXPECT_EQ(icon.CountOf(SkinA.Normal, TRect(0, 0, 30, 24)) - icon.CountOf(SkinA.Normal, TRect(7, 4, 23, 20)),
            30 * 24 - 16 * 16);  // every pixel outside the icon's square is the face
  EXPECT_LT(icon.CountOf(SkinA.Normal, TRect(7, 4, 23, 20)), 16 * 16);
  // A separator draws the separator object, in state 0 even when selected.
  MemorySurface separator(60, 20);
  Draw(Line, separator, true, true, true);
  EXPECT_EQ(separator.At(30, 3), SkinA.Separator);
}

TEST_F(SkinMenuItemTest, PopupRowDrawsCheckArrowScrollButtonsAndLeavesTheEngineObjectAlone) {
  TSeSkinObject* shared = EngineObject(Engine, L"PopupMenu", L"Item");
  MemorySurface surface(200, 20);
  Draw(Open, surface, true, false, false);
  // The check mark in the text colour, inside the 22-pixel glyph column.
  EXPECT_GT(surface.CountOf(SkinA.Text, TRect(0, 0, 22, 20)), 8);
  // Text starts after the glyph column: the margin was raised to 22 for this paint only.
  EXPECT_EQ(surface.CountOf(SkinA.Text, TRect(15, 0, 22, 20)), 0);
  EXPECT_GT(surface.CountOf(SkinA.Text, TRect(22, 0, 60, 20)), 10);
  EXPECT_EQ(Open->GetPopupItemObject()->GetTextMarginLeft(), 4);
  EXPECT_EQ(shared->GetTextMarginLeft(), 4);
  EXPECT_TRUE(shared->GetText().empty());  // nothing of the item reached the engine's object
  // The submenu arrow in the rightmost 22 pixels, in the text colour.
  surface.Fill(clWhite);
  Draw(Recent, surface, true, false, false);
  EXPECT_GT(surface.CountOf(SkinA.Text, TRect(178, 0, 200, 20)), 4);
  EXPECT_EQ(surface.CountOf(SkinA.Text, TRect(0, 0, 22, 20)), 0);  // no check, no image
  for (int height : {20, 26, 15}) {
    // The system's menu arrow drawn over all of the rightmost 22 pixels, its black ones taken.
    MemorySurface row(200, height), arrow(22, height);
    Draw(Recent, row, true, false, false);
    RECT all{0, 0, 22, height};
    ::DrawFrameControl(arrow.DC(), &all, DFC_MENU, DFCS_MENUARROW);
    ::GdiFlush();
    int differ = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < 22; ++x) differ += (row.At(178 + x, y) == SkinA.Text) != (arrow.At(x, y) == clBlack);
    EXPECT_EQ(differ, 0) << height;
  }

  // Scroll buttons: the item object's face (focused when pressed) and a 7 x 4 triangle.
  MemorySurface button(60, 10);
  Open->DrawScrollButton(&button.Canvas, Bar->GetView(), true, 1, TRect(0, 0, 60, 10));
  EXPECT_EQ(button.At(1, 1), SkinA.Focused);
  EXPECT_EQ(button.CountOf(SkinA.Text, TRect(0, 0, 60, 10)), 1 + 3 + 5 + 7);
  EXPECT_EQ(button.At(30, 3), SkinA.Text);  // the apex at the top for "up"
  Open->DrawScrollButton(&button.Canvas, Bar->GetView(), false, 2, TRect(0, 0, 60, 10));
  EXPECT_EQ(button.At(1, 1), SkinA.Normal);
  EXPECT_EQ(button.At(30, 6), SkinA.Text);  // at the bottom for "down"
  EXPECT_EQ(button.At(27, 6), SkinA.Normal);
}

TEST_F(SkinMenuItemTest, WithoutASkinTheItemsDrawExactlyAsPlainItems) {
  TSeCustomItem plainParent(nullptr);
  auto compare = [&](const char* when) {
    for (TSeSkinItem* item : {File, Open, Line, Recent, Print}) {
      auto* plain = AddItem<TSeCustomItem>(&plainParent, item->GetCaption(), nullptr);
      plain->SetChecked(item->GetChecked());
      plain->SetEnabled(item->GetEnabled());
      plain->SetShortCut(item->GetShortCut());
      if (item->GetCount() > 0) AddItem<TSeCustomItem>(plain, L"x", nullptr);
      for (bool popupLook : {false, true})
        for (int state = 0; state < 3; ++state) {
          EXPECT_EQ(Measure(item, popupLook), Measure(plain, popupLook)) << when;
          MemorySurface skinned(160, 24), reference(160, 24);
          Draw(item, skinned, popupLook, state > 0, state == 1);
          Draw(plain, reference, popupLook, state > 0, state == 1);
          EXPECT_EQ(DifferentPixels(skinned, reference, TRect(0, 0, 160, 24)), 0)
              << when << " " << StringToUtf8(item->GetCaption()) << " state " << state;
        }
      delete plain;
    }
  };
  Bar->SetLumaweave(nullptr);
  EXPECT_FALSE(File->UseSkin());
  compare("no engine");
  // A skin without a "MenuBar" object: the same.
  TSeLumaweave other(nullptr);
  Bar->SetLumaweave(&other);
  EXPECT_FALSE(File->UseSkin());
  compare("no menu bar object");
}

TEST_F(SkinMenuItemTest, ItemsFollowTheEngineFromSkinToSkinAndSurviveItsFreeing) {
  MemorySurface surface(60, 20);
  TSeSkinObject* first = Open->GetPopupItemObject();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Bar->GetHeight(), SkinA.BarHeight + 2);  // the bar's items plus its bevel room

  Engine->SetSkinFile(B);  // 1703: copies dropped; 1702: made again from the new skin
  Pump();
  EXPECT_NE(Open->GetPopupItemObject(), nullptr);
  Draw(Open, surface, true, true, false);
  EXPECT_EQ(surface.At(1, 1), SkinB.Focused);
  EXPECT_EQ(Measure(Open, true).cy, SkinB.ItemHeight);
  EXPECT_EQ(Bar->GetHeight(), SkinB.BarHeight + 2);

  // A skin file that is not there leaves no skin: plain drawing, no copies kept.
  Engine->SetSkinFile(TempFile(L"skin109-missing.cskn"));
  Pump();
  EXPECT_FALSE(Open->UseSkin());
  EXPECT_EQ(Open->GetPopupItemObject(), nullptr);
  Engine->SetSkinFile(A);
  Pump();
  ASSERT_TRUE(Open->UseSkin());

  // An item taken out of the menu still holds the copies; the engine going clears them too.
  Bar->GetItems()->Remove(Help);
  delete Engine;
  Engine = nullptr;
  for (TSeSkinItem* item : {File, Open, Help}) {
    EXPECT_EQ(item->GetLumaweave(), nullptr);
    EXPECT_EQ(item->GetPopupItemObject(), nullptr);
    EXPECT_EQ(item->GetMenuBarObject(), nullptr);
    EXPECT_FALSE(item->UseSkin());
  }
  EXPECT_EQ(Bar->GetLumaweave(), nullptr);
  Draw(Open, surface, true, true, false);  // plain drawing, no crash
  EXPECT_EQ(surface.At(1, 1), ColorFromInt(static_cast<int32_t>(ColorToRGB(clHighlight))));
  delete Help;
}

TEST_F(SkinMenuItemTest, AStoredSkinnedMenuBarReadsBackSkinned) {
  Engine->SetName(L"Engine");
  Bar->SetName(L"Bar");
  File->SetName(L"FileItem");
  Open->SetName(L"OpenItem");
  const String text = ComponentToText(Form);
  EXPECT_NE(text.find(L"Lumaweave = Engine"), String::npos);
  std::unique_ptr<TButtonsForm> copy(TCustomForm::Create<TButtonsForm>(nullptr));
  TStringStream stream(text);
  ReadComponentFromStream(stream, copy.get());
  auto* bar = dynamic_cast<TSeSkinMenuBar*>(copy->FindComponent(L"Bar"));
  auto* open = dynamic_cast<TSeSkinItem*>(copy->FindComponent(L"OpenItem"));
  ASSERT_TRUE(bar && open);
  EXPECT_EQ(bar->GetLumaweave(), copy->FindComponent(L"Engine"));
  EXPECT_TRUE(open->UseSkin());
  EXPECT_EQ(Measure(open, true).cy, SkinA.ItemHeight);
}

TEST_F(SkinMenuItemTest, PaintingAndSkinChangesLeaveNoGdiObjects) {
  auto* icon = AddItem(Bar->GetItems(), L"", Form);
  icon->SetSystemKind(sysChildIcon);
  TSeCustomItem* scrolled = Open;
  ExpectNoLeaks([&] {
    MemorySurface surface(120, 24);
    for (TSeSkinItem* item : {File, icon}) Draw(item, surface, false, true, true);
    for (TSeSkinItem* item : {Open, Line, Recent, Print}) Draw(item, surface, true, true, false);
    scrolled->DrawScrollButton(&surface.Canvas, Bar->GetView(), true, 2, TRect(0, 0, 120, 10));
  });
  // Copies made and freed with each skin change.
  const int gdi = control_tests::GdiObjectCount();
  for (int i = 0; i < 20; ++i) {
    Engine->SetSkinFile(i % 2 ? A : B);
    Pump();
  }
  EXPECT_EQ(control_tests::GdiObjectCount(), gdi);
}

TEST_F(SkinMenuItemTest, PopupMenuBuildsItsCopiesWhileOpenAndDropsThemAfter) {
  Watchdog watchdog(30);
  auto* menu = new TSeSkinPopupMenu(Form);
  menu->SetLumaweave(Engine);
  TSeSkinItem* cut = AddItem(menu->GetSeItems(), L"剪切", Form);
  for (const wchar_t* caption : {L"复制", L"粘贴", L"删除", L"全选", L"查找"}) AddItem(menu->GetSeItems(), caption, Form);
  menu->GetSeItems()->SetScrolled(true);  // three rows at a time, between two scroll buttons
  menu->GetSeItems()->SetScrollCount(3);
  EXPECT_EQ(cut->GetPopupItemObject(), nullptr);  // nothing held while closed
  ShowForm();
  TColor frameSeen = clNone, frameAfterChange = clNone;
  int step = 0;
  TTimer timer(nullptr);
  timer.SetInterval(150);
  timer.SetOnTimer([&](TObject*) {
    TSeSkinPopupWindow* window = nullptr;
    for (int i = 0; i < Screen->GetCustomFormCount(); ++i)
      if (auto* w = dynamic_cast<TSeSkinPopupWindow*>(Screen->GetCustomForms(i))) window = w;
    if (!window) return;
    MemorySurface surface(window->GetWidth(), window->GetHeight());
    window->GetDecoration()->PaintFrame(&surface.Canvas);
    switch (step++) {
      case 0: {
        EXPECT_NE(cut->GetPopupItemObject(), nullptr);
        frameSeen = surface.At(0, 0);
        SaveScreenshot(window->GetHandle(), L"skin_items_scrolled_popup");
        // The scroll buttons are the item object's face with the triangle in the text colour.
        const TRect client = window->GetDecoration()->GetFrameClientRect();
        MemorySurface inside(client.Width(), client.Height());
        window->GetDecoration()->PaintClient(&inside.Canvas);
        EXPECT_EQ(inside.At(1, 1), SkinA.Normal);
        EXPECT_EQ(inside.CountOf(SkinA.Text, TRect(0, 0, client.Width(), 10)), 1 + 3 + 5 + 7);
        Engine->SetSkinFile(B);  // while open: the window passes the change to the menu
        break;
      }
      case 1:
        frameAfterChange = surface.At(0, 0);
        EXPECT_NE(cut->GetPopupItemObject(), nullptr);
        // The engine freed while the menu is open: plain items in the plain frame.
        delete Engine;
        Engine = nullptr;
        EXPECT_EQ(cut->GetPopupItemObject(), nullptr);
        EXPECT_EQ(window->GetDecoration()->GetFrameClientRect(),
                  TRect(3, 3, window->GetWidth() - 3, window->GetHeight() - 3));
        break;
      case 2:
        ::PostMessageW(window->GetHandle(), WM_KEYDOWN, VK_ESCAPE, 1);
        timer.SetEnabled(false);
        break;
    }
  });
  ::SetCursorPos(700, 700);  // away from the scroll buttons
  menu->Popup(100, 100);
  Pump();
  EXPECT_EQ(step, 3);
  EXPECT_EQ(frameSeen, SkinA.Frame);
  EXPECT_EQ(frameAfterChange, SkinB.Frame);
  EXPECT_EQ(cut->GetPopupItemObject(), nullptr);
  EXPECT_EQ(PopupWindowsShown(), 0);
}

TEST_F(SkinMenuItemTest, SkinnedMenuBarOpensAPopupAndASubmenuDrawnFromTheSkin) {
  Watchdog watchdog(30);
  Form->SetBounds(0, 0, 800, 600);
  ShowForm();
  Pump();
  int step = 0;
  TTimer timer(nullptr);
  timer.SetEnabled(false);
  timer.SetInterval(150);
  const wchar_t* size = L"800";
  timer.SetOnTimer([&](TObject*) {
    const HWND focus = Form->GetHandle();
    switch (step++) {
      case 0:  // the file menu is open: Down to "最近的文件" (skipping the separator), Right
        EXPECT_EQ(PopupWindowsShown(), 1);
        ::PostMessageW(focus, WM_KEYDOWN, VK_DOWN, 1);
        ::PostMessageW(focus, WM_KEYDOWN, VK_RIGHT, 1);
        break;
      case 1: {
        EXPECT_EQ(PopupWindowsShown(), 2);
        SaveScreenshot(Form->GetHandle(), String(L"skin_items_bar_") + size);
        int n = 0;
        for (int i = 0; i < Screen->GetCustomFormCount(); ++i)
          if (auto* w = dynamic_cast<TSeSkinPopupWindow*>(Screen->GetCustomForms(i))) {
            SaveScreenshot(w->GetHandle(), String(L"skin_items_popup_") + size + L"_" + IntToStr(n++));
            MemorySurface surface(w->GetWidth(), w->GetHeight());
            w->GetDecoration()->PaintFrame(&surface.Canvas);
            // The items start inside the frame's margins.
            EXPECT_EQ(w->GetDecoration()->GetFrameClientRect(),
                      TRect(5, 4, w->GetWidth() - 6, w->GetHeight() - 7));
            EXPECT_EQ(surface.At(0, 0), SkinA.Frame);
            EXPECT_EQ(surface.At(w->GetWidth() - 1, w->GetHeight() - 1), SkinA.Frame);
          }
        EXPECT_EQ(n, 2);
        ::PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 1);
        ::PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 1);
        ::PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 1);
        timer.SetEnabled(false);
        break;
      }
    }
  });
  for (const wchar_t* formSize : {L"800", L"1024"}) {
    size = formSize;
    if (formSize[0] == L'1') Form->SetBounds(0, 0, 1024, 740);
    Pump();
    step = 0;
    timer.SetEnabled(true);
    // A click on the first bar item enters menu mode; its release opens the popup.
    const TRect fileRect = File->GetBoundsRect();
    const int x = (fileRect.Left + fileRect.Right) / 2, y = (fileRect.Top + fileRect.Bottom) / 2;
    const TPoint screen = Bar->ClientToScreen(TPoint(x, y));
    ::SetCursorPos(screen.X, screen.Y);
    ::PostMessageW(Bar->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    Bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    Pump();
    EXPECT_EQ(step, 2);
    EXPECT_EQ(PopupWindowsShown(), 0);
    EXPECT_EQ(::GetCapture(), nullptr);
  }
}

}  // namespace
}  // namespace skin_tests
