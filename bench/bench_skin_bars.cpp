// The owner-drawn tab control and status bar against the system's tab control and status bar
// with the same items and font.
//
// tabs:   500 tabs in several rows (a 600 x 400 control): 20 resizes, each painted at once;
//         then one row (single-line) scrolled through all 500 tabs by selecting each in turn,
//         each selection painted at once.
// status: 30 panels of 40 pixels, 10 of them stretching: the bar resized 1,000 times between
//         300 and 1,000 pixels wide, each size painted at once.
// Prints the best and the median of N runs (default 5) and the owner-drawn time over the
// system's; the aim is at most 2. Needs a display. Usage: bench_skin_bars [runs].
// clang-format off
#include "classlib/system/Win.h"  // the Win32 settings come before the common controls
#include <commctrl.h>
// clang-format on

#include <cstdio>
#include <string>

#include "classlib/forms/Forms.h"
#include "classlib/system/SysFormat.h"
#include "controls/skin/SkinStatusBar.h"
#include "controls/skin/SkinTabControl.h"
#include "controls/skin/ThemeBinding.h"
#include "BenchTiming.h"

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

// ---- Tabs -------------------------------------------------------------------------------------------

void OursTabs(TForm* form, bool multiLine, int runs, Timing& result) {
  auto* tabs = new TSeCustomTabControl(form);
  tabs->SetParent(form);
  tabs->SetBounds(0, 0, 600, 400);
  tabs->GetTabs()->BeginUpdate();
  for (int i = 0; i < kTabs; ++i) tabs->GetTabs()->Add(L"第" + IntToStr(i) + L"题");
  tabs->GetTabs()->EndUpdate();
  tabs->SetMultiLine(multiLine);
  Application->ProcessMessages();
  const HWND wnd = tabs->GetHandle();
  result = Measure(runs, [&] {
    if (multiLine) {
      for (int i = 0; i < 20; ++i) {
        tabs->SetBounds(0, 0, 500 + 10 * i, 400);
        Flush(wnd);
      }
    } else {
      for (int i = 0; i < kTabs; ++i) {
        tabs->SetTabIndex(i);
        Flush(wnd);
      }
      tabs->SetTabIndex(0);
    }
  });
  delete tabs;
}

void SystemTabs(TForm* form, bool multiLine, int runs, Timing& result) {
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
  result = Measure(runs, [&] {
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
  });
  ::DestroyWindow(wnd);
}

// ---- Status bars ------------------------------------------------------------------------------------

int PanelWidth(int bar, int i) {
  // The system bar's parts: fixed 40-pixel parts, the stretching ones sharing what is left.
  const int stretch = std::max(0, (bar - kPanels * 40) / 10);
  return 40 + (i % 3 == 0 && i < 30 ? stretch : 0);
}

void OursStatus(TForm* form, int runs, Timing& result) {
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
  result = Measure(runs, [&] {
    for (int i = 0; i < 1000; ++i) {
      bar->SetBounds(0, 600, 300 + (i * 7) % 700, 22);
      Flush(wnd);
    }
  });
  delete bar;
}

void SystemStatus(TForm* form, int runs, Timing& result) {
  HWND wnd = ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | CCS_NORESIZE |
                                   CCS_NOPARENTALIGN | SBARS_SIZEGRIP,
                               0, 600, 1000, 22, form->GetHandle(), nullptr, nullptr, nullptr);
  ::SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(form->GetFont()->GetHandle()), FALSE);
  int edges[kPanels];
  for (int i = 0; i < kPanels; ++i) edges[i] = 40 * (i + 1);
  ::SendMessageW(wnd, SB_SETPARTS, kPanels, reinterpret_cast<LPARAM>(edges));
  for (int i = 0; i < kPanels; ++i) {
    const String text = L"面板" + IntToStr(i);
    ::SendMessageW(wnd, SB_SETTEXTW, i, reinterpret_cast<LPARAM>(text.c_str()));
  }
  Application->ProcessMessages();
  result = Measure(runs, [&] {
    for (int i = 0; i < 1000; ++i) {
      const int width = 300 + (i * 7) % 700;
      // The parts follow the width as the owner-drawn bar's priorities do.
      int x = 0;
      for (int p = 0; p < kPanels; ++p) edges[p] = (x += PanelWidth(width, p));
      ::SendMessageW(wnd, SB_SETPARTS, kPanels, reinterpret_cast<LPARAM>(edges));
      ::SetWindowPos(wnd, nullptr, 0, 600, width, 22, SWP_NOZORDER | SWP_NOACTIVATE);
      Flush(wnd);
    }
  });
  ::DestroyWindow(wnd);
}

void Row(const char* name, const Timing& system, const Timing& ours) {
  std::printf("%-22s system best %9.2f ms median %9.2f ms | owner-drawn best %9.2f ms median %9.2f ms"
              " | best/system %5.2f median/system %5.2f\n",
              name, system.Best, system.Median, ours.Best, ours.Median, ours.Best / system.Best,
              ours.Median / system.Median);
}

}  // namespace

int Run(int runs) {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_TAB_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&init);
  Application->Initialize();
  TForm* form = MakeForm();
  std::printf("bench_skin_bars (%s, themes %s), %d runs\n", BuildKind(), UseThemes() ? "on" : "off",
              runs);
  Timing system{}, ours{};
  SystemTabs(form, true, runs, system);
  OursTabs(form, true, runs, ours);
  Row("500 tabs, 20 resizes", system, ours);
  SystemTabs(form, false, runs, system);
  OursTabs(form, false, runs, ours);
  Row("500 tabs, one row", system, ours);
  SystemStatus(form, runs, system);
  OursStatus(form, runs, ours);
  Row("30 panels, 1000 sizes", system, ours);
  // The same bars drawn classically: the theme binding unloaded, then loaded again.
  const int references = ThemeLibraryReferences();
  while (ThemeLibraryReferences() > 0) FreeThemeLibrary();
  SystemStatus(form, runs, system);
  OursStatus(form, runs, ours);
  Row("30 panels, themes off", system, ours);
  for (int i = 0; i < references; ++i) InitThemeLibrary();
  delete form;
  DoneApplication();
  return 0;
}

int main(int argc, char** argv) { return RunBenchmark(argc, argv, "bench_skin_bars", 5, 100, Run); }
