// A list box of 10,000 items, owner-drawn (controls/skin) against the system's list box with
// the same items and font, on a shown borderless form: filling inside one update, a repaint of
// the client area (the figure held against the aim: the owner-drawn list draws its frame and
// scroll bar there, while the system draws its own in the non-client area, which this leaves
// out), the full repaint with the frame (both lists' frame and bar included) printed beside it,
// and the End key on three columns (from the first item, the window painted after).
// Each is timed in turns, one run of each list (system, owner-drawn, system …), N runs each
// (default 31); prints each list's best and median and the median of the pairs' ratios
// owner-drawn / system. The aims are at most 1 for filling, at most 2 for the client-area
// repaint and End, and End under 10 ms. Needs a display.
// Usage: bench_skin_listbox [runs].
#include <cstdio>

#include "BenchTiming.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/ListBoxes.h"
#include "controls/skin/controls/SkinListBox.h"

namespace {

constexpr int kDefaultRuns = 31;
constexpr int kMaxRuns = 200;
constexpr int kItems = 10000;

void FillItems(TStrings* items) {
  items->BeginUpdate();
  items->Clear();
  for (int i = 0; i < kItems; ++i) items->Add(L"试题 " + std::to_wstring(i));
  items->EndUpdate();
}

// The client area, or with RDW_FRAME the whole control: the system list box then paints its
// frame and scroll bar too, which the owner-drawn list draws in its client area either way.
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

void Print(const char* what, const Paired& p) {
  std::printf("%-16s system best %8.3f ms median %8.3f ms | owner-drawn best %8.3f ms median %8.3f ms"
              " | median of the pairs %5.2f\n",
              what, p.A.Best, p.A.Median, p.B.Best, p.B.Median, p.Ratio);
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

  const Paired fill =
      MeasurePairs(runs, [&] { FillItems(system->GetItems()); }, [&] { FillItems(own->GetItems()); });
  const Paired paint = MeasurePairs(runs, [&] { Paint(system); }, [&] { Paint(own); });
  const Paired client = MeasurePairs(runs, [&] { Paint(system, 0); }, [&] { Paint(own, 0); });
  system->SetColumns(3);
  own->SetColumns(3);
  Application->ProcessMessages();
  const Paired end = MeasurePairs(
      runs, [&] { system->SetItemIndex(0); Paint(system); }, [&] { PressEnd(system); },
      [&] { own->SetItemIndex(0); Paint(own); }, [&] { PressEnd(own); });
  std::printf("List box of %d items, %d runs each in turns, %s\n", kItems, runs, BuildKind());
  Print("fill in update", fill);
  Print("client repaint", client);
  Print("with frame", paint);
  Print("End, 3 columns", end);
  delete form;
  DoneApplication();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_skin_listbox", kDefaultRuns, kMaxRuns, Run);
}
