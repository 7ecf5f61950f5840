// Editing a long text in the owner-drawn edit against the system's edit, and undoing edits.
//
// The text is 100,000 characters, Chinese and Latin mixed. One run sets it, presses End,
// selects everything, types 1,000 characters at the end and 1,000 in the middle (each a
// WM_CHAR followed by a paint), all through messages to the window as the system delivers
// them; the two edits' runs alternate (system, owner-drawn, …) and the ratio is the median of
// the pairs'. The aim is at most 2 times the system edit. Then 10,000 edits that cannot merge
// (typed alternately at the start and the end) are made and undone one by one; the aim for
// the undoing is at most 1.5 times the making. Needs a display. Usage: bench_skin_edit [runs].
#include <cstdio>
#include <functional>

#include "BenchTiming.h"
#include "classlib/forms/Forms.h"
#include "controls/skin/controls/SkinEdit.h"

namespace {

constexpr int kDefaultRuns = 5;
constexpr int kMaxRuns = 100;

String LongText() {
  String text;
  text.reserve(100000);
  const wchar_t* pieces[] = {L"考试", L"abc ", L"题库", L"Test "};
  for (int i = 0; text.size() < 100000; ++i) text += pieces[i % 4];
  text.resize(100000);
  return text;
}

void Type(HWND wnd, int count) {
  for (int i = 0; i < count; ++i) {
    ::SendMessageW(wnd, WM_CHAR, i % 2 ? L'试' : L'x', 1);
    ::UpdateWindow(wnd);
  }
}

void Key(HWND wnd, WORD vk) {
  ::SendMessageW(wnd, WM_KEYDOWN, vk, 1);
  ::SendMessageW(wnd, WM_KEYUP, vk, 0xC0000001);
}

// One side of the journey: its window, and setText, selectAll and caretTo in the window's own
// ways.
struct TJourney {
  HWND Wnd;
  std::function<void(const String&)> SetText;
  std::function<void()> SelectAll;
  std::function<void(int)> CaretTo;

  void Prepare(const String& text) const {
    SetText(text);
    ::UpdateWindow(Wnd);
  }
  void Run() const {
    Key(Wnd, VK_END);
    SelectAll();
    ::UpdateWindow(Wnd);
    CaretTo(100000);
    Type(Wnd, 1000);
    CaretTo(50000);
    Type(Wnd, 1000);
    ::GdiFlush();
  }
};

int Run(int runs) {
  Application->Initialize();
  TForm* form = TCustomForm::Create<TForm>(nullptr);
  form->SetBounds(0, 0, 400, 100);
  auto* own = new TSeCustomEdit(form);
  own->SetParent(form);
  own->SetBounds(8, 8, 300, 21);
  form->Show();
  Application->ProcessMessages();
  HWND system = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 8, 40,
                                  300, 21, form->GetHandle(), nullptr, nullptr, nullptr);
  ::SendMessageW(system, WM_SETFONT, reinterpret_cast<WPARAM>(own->GetFont()->GetHandle()), 0);
  ::SendMessageW(system, EM_SETLIMITTEXT, 0, 0);
  const TJourney systemJourney{system, [&](const String& t) { ::SetWindowTextW(system, t.c_str()); },
                               [&] { ::SendMessageW(system, EM_SETSEL, 0, -1); },
                               [&](int p) { ::SendMessageW(system, EM_SETSEL, p, p); }};
  const TJourney ownJourney{own->GetHandle(), [&](const String& t) { own->SetText(t); }, [&] { own->SelectAll(); },
                            [&](int p) { own->SetSelStart(p); }};
  const String text = LongText();
  const Paired journey = MeasurePairs(
      runs, [&] { systemJourney.Prepare(text); }, [&] { systemJourney.Run(); }, [&] { ownJourney.Prepare(text); },
      [&] { ownJourney.Run(); });

  // 10,000 edits that cannot merge, then as many undos.
  double making = 0, undoing = 0;
  Measure(1, [&] { own->SetText(L""); }, [&] {
    LARGE_INTEGER frequency, a, b, c;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&a);
    for (int i = 0; i < 10000; ++i) {
      own->SetSelStart(i % 2 ? static_cast<int>(own->GetText().size()) : 0);
      own->InsertText(L"考");
    }
    ::QueryPerformanceCounter(&b);
    for (int i = 0; i < 10000; ++i) own->Undo();
    ::QueryPerformanceCounter(&c);
    making = 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / frequency.QuadPart;
    undoing = 1000.0 * static_cast<double>(c.QuadPart - b.QuadPart) / frequency.QuadPart;
  });
  ::DestroyWindow(system);
  delete form;

  std::printf("100,000 characters: End, select all, 1,000 typed at the end and 1,000 in the middle; "
              "%d runs each, %s\n", runs, BuildKind());
  PrintAgainstSystem(journey);
  std::printf("10,000 edits that cannot merge: made %.3f ms, undone %.3f ms, undo/make %.2f\n",
              making, undoing, undoing / making);
  DoneApplication();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_skin_edit", kDefaultRuns, kMaxRuns, Run);
}
