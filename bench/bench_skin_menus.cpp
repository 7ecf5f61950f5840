// Opening a popup menu of 20 items until it is painted: TSeCustomPopupMenu (a decorated popup
// window drawn by its item view) against the system's TrackPopupMenu with the same captions.
// Each run posts Escape first and then opens the menu: the window is made, laid out, shown and
// painted, and the waiting Escape closes it again, so both sides pay the same round. The two
// are timed in turns, one opening each (system, ours, system …), so that both meet the same
// load. The aim is at most 2 times the system's time. Prints best and median of N runs each
// (default 61) and the median of the pairs' ratios. Needs a display.
// Usage: bench_skin_menus [runs].
#include <cstdio>

#include "BenchTiming.h"
#include "classlib/forms/Forms.h"
#include "classlib/system/SysString.h"
#include "controls/skin/engine/ThemeBinding.h"
#include "controls/skin/menus/SkinMenus.h"

namespace {

constexpr int kDefaultRuns = 61;
constexpr int kMaxRuns = 1000;
constexpr int kItems = 20;

String Caption(int i) { return L"第" + IntToStr(i + 1) + L"项练习"; }

int Run(int runs) {
  std::printf("Popup menu of %d items, open until painted, %d runs each in turns, %s, themes %s\n",
              kItems, runs, BuildKind(), UseThemes() ? "on" : "off");
  TForm* form = TCustomForm::Create<TForm>(nullptr);
  form->SetBounds(0, 0, 800, 600);
  form->Show();
  ::UpdateWindow(form->GetHandle());
  const HWND owner = form->GetHandle();

  HMENU system = ::CreatePopupMenu();
  for (int i = 0; i < kItems; ++i) ::AppendMenuW(system, MF_STRING, 100 + i, Caption(i).c_str());
  auto* ours = new TSeCustomPopupMenu(form);
  for (int i = 0; i < kItems; ++i) {
    auto* item = new TSeCustomItem(form);
    item->SetCaption(Caption(i));
    ours->GetSeItems()->Add(item);
  }
  auto closeSoon = [owner] { ::PostMessageW(owner, WM_KEYDOWN, VK_ESCAPE, 1); };
  const Paired times = MeasurePairs(
      runs, closeSoon,
      [&] { ::TrackPopupMenu(system, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, 100, 100, 0, owner, nullptr); },
      closeSoon, [&] { ours->Popup(100, 100); });
  PrintAgainstSystem(times);
  ::DestroyMenu(system);
  delete form;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_skin_menus", kDefaultRuns, kMaxRuns, Run);
}
