// Opening a popup menu of 20 items until it is painted, and closing it: the system's
// TrackPopupMenu (closed with EndMenu when its loop first goes idle, that is once it has
// painted), the owner-drawn popup menu with plain items, and the same menu drawing its items
// and frame from a skin (closed by an Escape waiting in the queue; our popup paints before its
// loop reads it). The aim is at most 2 times the system's time. Each of ours is timed in turns
// with the system's (system, ours, system, ours …). Prints best and median of N runs (default
// 21) and the median of the pairs' ratios. Needs a display. Usage: bench_skin_menu_items [runs].
#include <cstdio>

#include "BenchTiming.h"
#include "classlib/forms/Forms.h"
#include "controls/skin/engine/SkinBoxObjects.h"
#include "controls/skin/engine/ThemeBinding.h"
#include "controls/skin/menus/SkinMenuSkin.h"

namespace {

constexpr int kDefaultRuns = 21;
constexpr int kMaxRuns = 1000;
constexpr int kItems = 20;

String Caption(int i) { return L"第" + IntToStr(i + 1) + L"项菜单"; }

TShortCut KeysOf(int i) { return i % 3 == 0 ? static_cast<TShortCut>('A' + i % 26 + scCtrl) : scNone; }

LRESULT CALLBACK OwnerProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ENTERIDLE && wParam == MSGF_MENU) ::EndMenu();  // painted: close it
  return ::DefWindowProcW(wnd, message, wParam, lParam);
}

// The system's popup menu and the window it is opened from.
struct TSystemMenu {
  HWND Owner = nullptr;
  HMENU Menu = nullptr;
  TSystemMenu() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BenchMenuOwner";
    ::RegisterClassW(&wc);
    Owner = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                              nullptr, wc.hInstance, nullptr);
    Menu = ::CreatePopupMenu();
    for (int i = 0; i < kItems; ++i) {
      String text = Caption(i);
      if (KeysOf(i) != scNone) text += L"\t" + ShortCutToText(KeysOf(i));
      ::AppendMenuW(Menu, MF_STRING, 100 + i, text.c_str());
    }
  }
  ~TSystemMenu() {
    ::DestroyMenu(Menu);
    ::DestroyWindow(Owner);
  }
  void Raise() { ::SetForegroundWindow(Owner); }
  void Open() { ::TrackPopupMenu(Menu, TPM_RETURNCMD, 100, 50, 0, Owner, nullptr); }
};

String TempSkin() {
  wchar_t folder[MAX_PATH]{};
  ::GetTempPathW(MAX_PATH, folder);
  return String(folder) + L"bench_menu_items.cskn";
}

// A skin of colour objects: "MenuBar" with its "Item", "PopupMenu" with "Frame" (4-pixel
// margins), "Item" (hot and focused colours) and "Separator".
String MakeSkin() {
  TSeSkinSource skin(nullptr);
  auto* bar = new TSeSkinObject(nullptr);
  bar->SetName(L"MenuBar");
  auto* barItem = new TSeColorButtonObject(bar);
  barItem->SetName(L"Item");
  barItem->SetHeight(22);
  auto* popup = new TSeSkinObject(nullptr);
  popup->SetName(L"PopupMenu");
  auto* frame = new TSeSkinObject(popup);
  frame->SetName(L"Frame");
  frame->SetColor(clNavy);
  for (auto setter : {&TSeSkinObject::SetMarginLeft, &TSeSkinObject::SetMarginTop, &TSeSkinObject::SetMarginRight,
                      &TSeSkinObject::SetMarginBottom})
    (frame->*setter)(4);
  auto* item = new TSeColorButtonObject(popup);
  item->SetName(L"Item");
  item->SetHeight(22);
  item->SetColor(clSilver);
  item->SetHotColor(clYellow);
  item->SetFocusedColor(clAqua);
  item->SetTextMarginRight(24);
  auto* separator = new TSeSkinObject(popup);
  separator->SetName(L"Separator");
  separator->SetHeight(9);
  for (TSeSkinObject* object : {bar, popup}) {
    skin.AddObject(object);
    skin.InsertComponent(object);
  }
  const String path = TempSkin();
  skin.SaveToFile(path);
  return path;
}

template <class Menu, class Item>
Paired AgainstSystem(int runs, TForm* form, TSeLumaweave* engine, TSystemMenu& system) {
  auto* menu = new Menu(form);
  if constexpr (requires { menu->SetLumaweave(engine); }) menu->SetLumaweave(engine);
  for (int i = 0; i < kItems; ++i) {
    auto* item = new Item(form);
    item->SetCaption(Caption(i));
    item->SetShortCut(KeysOf(i));
    menu->GetSeItems()->Add(item);
  }
  const Paired p = MeasurePairs(
      runs, [&] { system.Raise(); }, [&] { system.Open(); }, [&] { ::SetForegroundWindow(form->GetHandle()); },
      [&] {
        ::PostMessageW(form->GetHandle(), WM_KEYDOWN, VK_ESCAPE, 1);
        menu->Popup(100, 50);
      });
  delete menu;
  return p;
}

int Run(int runs) {
  std::printf("Popup menu of %d items, open until painted and closed, %d runs each, %s, themes %s\n", kItems,
              runs, BuildKind(), UseThemes() ? "on" : "off");
  TForm* form = TCustomForm::Create<TForm>(nullptr);
  form->SetBounds(0, 0, 400, 300);
  form->Show();
  auto* engine = new TSeLumaweave(form);
  const String skin = MakeSkin();
  engine->SetSkinFile(skin);
  TSystemMenu system;
  const Paired plain = AgainstSystem<TSeCustomPopupMenu, TSeCustomItem>(runs, form, engine, system);
  const Paired skinned = AgainstSystem<TSeSkinPopupMenu, TSeSkinItem>(runs, form, engine, system);
  for (auto [name, p] : {std::pair{"plain items", plain}, std::pair{"skinned items", skinned}}) {
    std::printf("%-14s system best %9.3f ms  median %9.3f ms\n", name, p.A.Best, p.A.Median);
    std::printf("%-14s ours   best %9.3f ms  median %9.3f ms  ours/system, median of the pairs %5.2f\n", "",
                p.B.Best, p.B.Median, p.Ratio);
  }
  delete form;
  ::DeleteFileW(skin.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_skin_menu_items", kDefaultRuns, kMaxRuns, Run);
}
