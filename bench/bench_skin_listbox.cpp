// A list box of 10,000 items, owner-drawn (controls/skin) against the system's list box with
// the same items and font, on a shown borderless form: filling inside one update, a full
// repaint (frame, items and scroll bar; also the client area alone, where the system's list has
// neither frame nor bar), and the End key on three columns (from the first item, the window painted after).
// Each is measured in three rounds of N runs (default 11), the two lists in turns; prints the best
// run and the median of the rounds' medians, and the owner-drawn/system ratios. The aims are at
// most 1 for filling, at most 2 for the repaint and End, and End under 10 ms. Needs a display.
// Usage: bench_skin_listbox [runs].
#include <cstdio>

#include "BenchTiming.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/ListBoxes.h"
#include "controls/skin/controls/SkinListBox.h"

namespace {

constexpr int kDefaultRuns = 11;
constexpr int kMaxRuns = 200;
constexpr int kItems = 10000;
constexpr int kRounds = 3;

void FillItems(TStrings* items) {
  items->BeginUpdate();
  items->Clear();
  for (int i = 0; i < kItems; ++i) items->Add(L"试题 " + std::to_wstring(i));
  items->EndUpdate();
}

// The whole control: with RDW_FRAME the system list box paints its frame and scroll bar too,
// which the owner-drawn list draws in its client area.
void Paint(TWinControl* list, UINT frame = RDW_FRAME) {
  ::RedrawWindow(list->GetHandle(), nullptr, nullptr,
                 frame | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  ::GdiFlush();
}

void PressEnd(TWinControl* list) {
  ::SendMessageW(list->GetHandle(), WM_KEYDOWN, VK_END, 0);
  ::UpdateWindow(list->GetHandle());
  ::GdiFlush();
}

void Print(const char* what, const Timing& system, const Timing& own) {
  std::printf("%-16s system best %8.3f ms median %8.3f ms | owner-drawn best %8.3f ms median %8.3f ms"
              " | ratio best %5.2f median %5.2f\n",
              what, system.Best, system.Median, own.Best, own.Median, own.Best / system.Best,
              own.Median / system.Median);
}

int Run(int runs) {
  Application->Initialize();
  TForm* form = TCustomForm::Create<TForm>(nullptr);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 800, 600);
  auto* system = new TListBox(form);
  system->SetParent(form);
  system->SetBounds(10, 10, 380, 580);
  auto* own = new TSeCustomListBox(form);
  own->SetParent(form);
  own->SetBounds(410, 10, 380, 580);
  form->Show();
  Application->ProcessMessages();

  const auto [fillSystem, fillOwn] =
      MeasureInTurns(kRounds, runs, [] {}, [&] { FillItems(system->GetItems()); }, [] {},
                     [&] { FillItems(own->GetItems()); });
  const auto [paintSystem, paintOwn] =
      MeasureInTurns(kRounds, runs, [] {}, [&] { Paint(system); }, [] {}, [&] { Paint(own); });
  const auto [clientSystem, clientOwn] = MeasureInTurns(
      kRounds, runs, [] {}, [&] { Paint(system, 0); }, [] {}, [&] { Paint(own, 0); });
  system->SetColumns(3);
  own->SetColumns(3);
  Application->ProcessMessages();
  const auto [endSystem, endOwn] = MeasureInTurns(
      kRounds, runs, [&] { system->SetItemIndex(0); Paint(system); }, [&] { PressEnd(system); },
      [&] { own->SetItemIndex(0); Paint(own); }, [&] { PressEnd(own); });
  std::printf("List box of %d items, %d rounds in turns of %d runs each, %s\n", kItems, kRounds,
              runs, BuildKind());
  Print("fill in update", fillSystem, fillOwn);
  Print("full repaint", paintSystem, paintOwn);
  Print("client only", clientSystem, clientOwn);
  Print("End, 3 columns", endSystem, endOwn);
  delete form;
  DoneApplication();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_skin_listbox", kDefaultRuns, kMaxRuns, Run);
}
