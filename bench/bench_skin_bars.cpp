// The owner-drawn tab control and status bar against the system's tab control and status bar
// with the same items and font.
//
// tabs:   500 tabs in several rows (a 600 x 400 control): 20 resizes, each painted at once;
//         then one row (single-line) scrolled through all 500 tabs by selecting each in turn,
//         each selection painted at once.
// status: 30 panels of 40 pixels, 10 of them stretching: the bar resized 1,000 times between
//         300 and 1,000 pixels wide, each size painted at once.
// Both controls of a row are made first; their runs alternate (system, owner-drawn, …), the
// one timed shown and the other hidden. Prints the best and the median of N runs (default 5)
// and the median of the pairs' owner-drawn time over the system's; the aim is at most 2.
// Needs a display. Usage: bench_skin_bars [runs].
// clang-format off
#include "classlib/system/Win.h"  // the Win32 settings come before the common controls
#include <commctrl.h>
// clang-format on

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "classlib/forms/Forms.h"
#include "classlib/system/SysFormat.h"
#include "controls/skin/controls/SkinStatusBar.h"
#include "controls/skin/controls/SkinTabControl.h"
#include "controls/skin/engine/ThemeBinding.h"

namespace {

constexpr int kTabs = 500;
constexpr int kPanels = 30;

void Flush(HWND wnd) {
  ::UpdateWindow(wnd);
  ::GdiFlush();
}

TForm* MakeForm() {
  TForm* form = TCustomForm::Create<TForm>(nullptr);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 1024, 700);
  form->Show();
  Application->ProcessMessages();
  return form;
}

// One side of a row: its control's window and the timed work.
struct TSide {
  HWND Wnd = nullptr;
  std::function<void()> Work;
};

// Times the two sides in turns, the one timed alone on show.
Paired InTurns(int runs, const TSide& system, const TSide& ours) {
  const auto showOnly = [](HWND shown, HWND hidden) {
    return [shown, hidden] {
      ::ShowWindow(hidden, SW_HIDE);
      ::ShowWindow(shown, SW_SHOWNA);
      Application->ProcessMessages();
      Flush(shown);
    };
  };
  return MeasurePairs(runs, showOnly(system.Wnd, ours.Wnd), system.Work, showOnly(ours.Wnd, system.Wnd), ours.Work);
}

// ---- Tabs -------------------------------------------------------------------------------------------

TSide OursTabs(TForm* form, bool multiLine) {
  auto* tabs = new TSeCustomTabControl(form);
  tabs->SetParent(form);
  tabs->SetBounds(0, 0, 600, 400);
  tabs->GetTabs()->BeginUpdate();
  for (int i = 0; i < kTabs; ++i) tabs->GetTabs()->Add(L"第" + IntToStr(i) + L"题");
  tabs->GetTabs()->EndUpdate();
  tabs->SetMultiLine(multiLine);
  Application->ProcessMessages();
  const HWND wnd = tabs->GetHandle();
  return {wnd, [tabs, wnd, multiLine] {
            if (multiLine) {
              for (int i = 0; i < 20; ++i) {
                tabs->SetBounds(0, 0, 500 + 10 * i, 400);
                Flush(wnd);
              }
            } else {
              // The whole control invalidated on each selection, as the system's is below.
              for (int i = 0; i < kTabs; ++i) {
                tabs->SetTabIndex(i);
                ::InvalidateRect(wnd, nullptr, TRUE);
                Flush(wnd);
              }
              tabs->SetTabIndex(0);
            }
          }};
}

TSide SystemTabs(TForm* form, bool multiLine) {
  HWND wnd = ::CreateWindowExW(0, WC_TABCONTROLW, L"",
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | (multiLine ? TCS_MULTILINE : 0),
                               0, 0, 600, 400, form->GetHandle(), nullptr, nullptr, nullptr);
  ::SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(form->GetFont()->GetHandle()), FALSE);
  for (int i = 0; i < kTabs; ++i) {
    std::wstring text = L"第" + IntToStr(i) + L"题";
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    ::SendMessageW(wnd, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  Application->ProcessMessages();
  return {wnd, [wnd, multiLine] {
            if (multiLine) {
              for (int i = 0; i < 20; ++i) {
                ::SetWindowPos(wnd, nullptr, 0, 0, 500 + 10 * i, 400, SWP_NOZORDER | SWP_NOACTIVATE);
                Flush(wnd);
              }
            } else {
              for (int i = 0; i < kTabs; ++i) {
                ::SendMessageW(wnd, TCM_SETCURSEL, i, 0);
                ::InvalidateRect(wnd, nullptr, TRUE);
                Flush(wnd);
              }
              ::SendMessageW(wnd, TCM_SETCURSEL, 0, 0);
            }
          }};
}

// ---- Status bars ------------------------------------------------------------------------------------

int PanelWidth(int bar, int i) {
  // The system bar's parts: fixed 40-pixel parts, the stretching ones sharing what is left.
  const int stretch = std::max(0, (bar - kPanels * 40) / 10);
  return 40 + (i % 3 == 0 && i < 30 ? stretch : 0);
}

TSide OursStatus(TForm* form) {
  auto* bar = new TSeCustomStatusBar(form);
  bar->SetParent(form);
  bar->SetBounds(0, 600, 1000, 22);
  for (int i = 0; i < kPanels; ++i) {
    TSeStatusPanel* panel = bar->GetPanels()->Add();
    panel->SetWidth(40);
    panel->SetText(L"面板" + IntToStr(i));
    if (i % 3 == 0) panel->SetStretchPriority(10 + i);
  }
  Application->ProcessMessages();
  const HWND wnd = bar->GetHandle();
  return {wnd, [bar, wnd] {
            for (int i = 0; i < 1000; ++i) {
              bar->SetBounds(0, 600, 300 + (i * 7) % 700, 22);
              Flush(wnd);
            }
          }};
}

TSide SystemStatus(TForm* form) {
  HWND wnd = ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | CCS_NORESIZE |
                                   CCS_NOPARENTALIGN | SBARS_SIZEGRIP,
                               0, 600, 1000, 22, form->GetHandle(), nullptr, nullptr, nullptr);
  ::SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(form->GetFont()->GetHandle()), FALSE);
  std::vector<int> parts(kPanels);
  for (int i = 0; i < kPanels; ++i) parts[i] = 40 * (i + 1);
  ::SendMessageW(wnd, SB_SETPARTS, kPanels, reinterpret_cast<LPARAM>(parts.data()));
  for (int i = 0; i < kPanels; ++i) {
    const String text = L"面板" + IntToStr(i);
    ::SendMessageW(wnd, SB_SETTEXTW, i, reinterpret_cast<LPARAM>(text.c_str()));
  }
  Application->ProcessMessages();
  return {wnd, [wnd] {
            int edges[kPanels];
            for (int i = 0; i < 1000; ++i) {
              const int width = 300 + (i * 7) % 700;
              // The parts follow the width as the owner-drawn bar's priorities do.
              int x = 0;
              for (int p = 0; p < kPanels; ++p) edges[p] = (x += PanelWidth(width, p));
              ::SendMessageW(wnd, SB_SETPARTS, kPanels, reinterpret_cast<LPARAM>(edges));
              ::SetWindowPos(wnd, nullptr, 0, 600, width, 22, SWP_NOZORDER | SWP_NOACTIVATE);
              Flush(wnd);
            }
          }};
}

// Makes both sides of a row, times them in turns, prints the row and frees both controls.
void Row(const char* name, int runs, const TSide& system, const TSide& ours) {
  const Paired p = InTurns(runs, system, ours);
  std::printf("%-22s system best %9.2f ms median %9.2f ms | owner-drawn best %9.2f ms median %9.2f ms"
              " | owner-drawn/system, median of the pairs %5.2f\n",
              name, p.A.Best, p.A.Median, p.B.Best, p.B.Median, p.Ratio);
  ::DestroyWindow(system.Wnd);
  delete FindControl(ours.Wnd);
}

}  // namespace

int Run(int runs) {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_TAB_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&init);
  Application->Initialize();
  TForm* form = MakeForm();
  std::printf("bench_skin_bars (%s, themes %s), %d runs\n", BuildKind(), UseThemes() ? "on" : "off",
              runs);
  Row("500 tabs, 20 resizes", runs, SystemTabs(form, true), OursTabs(form, true));
  Row("500 tabs, one row", runs, SystemTabs(form, false), OursTabs(form, false));
  Row("30 panels, 1000 sizes", runs, SystemStatus(form), OursStatus(form));
  // The same bars drawn classically: the theme binding unloaded, then loaded again.
  const int references = ThemeLibraryReferences();
  while (ThemeLibraryReferences() > 0) FreeThemeLibrary();
  Row("30 panels, themes off", runs, SystemStatus(form), OursStatus(form));
  for (int i = 0; i < references; ++i) InitThemeLibrary();
  delete form;
  DoneApplication();
  return 0;
}

int main(int argc, char** argv) { return RunBenchmark(argc, argv, "bench_skin_bars", 5, 100, Run); }
