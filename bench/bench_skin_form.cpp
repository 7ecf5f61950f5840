// Two costs of decorated forms.
//
// Frame: repainting the frame of an 800 x 600 form decorated by TSeCustomForm (WM_NCPAINT,
// our caption, buttons and edges in the no-buffer, double-buffer and persistent-buffer modes)
// against the same form with the system's own frame (WM_NCPAINT handled by the system), which
// draws its whole frame every time. The persistent buffer's kept frame is dropped before each
// of its runs (untimed), so that it draws the frame as the others do. The aim is at most 2
// times the system's time. Apart, not within the aim: the persistent buffer copied out again
// while nothing on the frame changed (a copy of the kept frame, no drawing).
//
// Compose: one frame of a fade at 800 x 600 (ComposeFrame: the mask drawn, every pixel looked
// up and blended) against a plain loop that blends the same two images pixel by pixel with
// the same blend. The aim is at least 20 frames a second in an optimised build and at most 1.5
// times the plain loop.
//
// The five frames are timed in turns (the system's, then each of ours, then the system's
// again …), the form timed brought to the top and activated first; so are the fade and the
// plain loop. Prints best and median of N runs (default 21) and the median of the turns' ratios
// to the system's frame or to the plain loop. Needs a display.
// Usage: bench_skin_form [runs].
#include <cstdio>
#include <iterator>
#include <memory>
#include <vector>

#include "BenchTiming.h"
#include "classlib/forms/Forms.h"
#include "controls/skin/engine/SkinBitmap.h"
#include "controls/skin/engine/SkinColors.h"
#include "controls/skin/engine/ThemeBinding.h"
#include "controls/skin/form/SkinForm.h"
#include "controls/skin/form/SkinTransitions.h"

namespace {

constexpr int kDefaultRuns = 21;
constexpr int kMaxRuns = 1000;

// A form timed: its frame's buffer mode (none: the system's frame) and whether the persistent
// buffer's kept frame is dropped before each run.
struct FrameCase {
  const char* Name;
  bool Decorated;
  TSeFormPerformance Mode;
  bool DropKept;
};

const FrameCase kCases[] = {{"system frame", false, vxfpNoBuffer, false},
                            {"ours, no buffer", true, vxfpNoBuffer, false},
                            {"ours, double", true, vxfpDoubleBuffer, false},
                            {"ours, persistent", true, vxfpPersistentBuffer, true},
                            {"persistent, kept", true, vxfpPersistentBuffer, false}};
constexpr size_t kKeptCase = 4;  // shown apart: a copy, not a drawing cost

// An 800 x 600 form, shown, with a turn of its frame: the form brought to the top, activated
// and painted (untimed; then, for dropKept, its kept frame dropped by setting its mode again),
// and its frame repainted.
Turn ShownFormTurn(const FrameCase& c, std::vector<std::unique_ptr<TForm>>& forms) {
  TForm* form = TCustomForm::Create<TForm>(nullptr);
  forms.emplace_back(form);
  form->SetBounds(0, 0, 800, 600);
  form->SetCaption(L"模拟考试");
  TSeCustomForm* skin = c.Decorated ? new TSeCustomForm(form) : nullptr;
  if (skin) skin->SetPerformance(c.Mode);
  form->Show();
  return Turn{[form, skin, c] {
                form->BringToFront();
                Application->ProcessMessages();
                ::UpdateWindow(form->GetHandle());
                if (c.DropKept) skin->SetPerformance(c.Mode);
              },
              [form] {
                ::SendMessageW(form->GetHandle(), WM_NCPAINT, 1, 0);
                ::GdiFlush();
              }};
}

void PrintFrames(int runs) {
  std::vector<std::unique_ptr<TForm>> forms;
  std::vector<Turn> turns;
  for (const FrameCase& c : kCases) turns.push_back(ShownFormTurn(c, forms));
  const std::vector<TurnTiming> t = MeasureRounds(runs, turns);
  std::printf("%-16s best %9.3f ms  median %9.3f ms\n", kCases[0].Name, t[0].Time.Best, t[0].Time.Median);
  for (size_t i = 1; i < std::size(kCases); ++i) {
    if (i == kKeptCase) std::printf("apart, the kept frame copied out again (no drawing):\n");
    std::printf("%-16s best %9.3f ms  median %9.3f ms  /system, median of the turns %5.2f\n", kCases[i].Name,
                t[i].Time.Best, t[i].Time.Median, t[i].RatioToFirst);
  }
}

void PrintCompose(int runs) {
  TSeBitmap newer, older, frame;
  newer.SetSize(800, 600);
  older.SetSize(800, 600);
  frame.SetSize(800, 600);
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      newer.SetPixel(x, y, PackPixel(x & 255, y & 255, 90, 255));
      older.SetPixel(x, y, PackPixel(200, x & 255, y & 255, 255));
    }
  const TSeTransition fade{veFade};
  const Paired p = MeasurePairs(
      runs,
      [&] {
        for (int y = 0; y < 600; ++y) {
          const TPixel32* n = newer.PixelPtr(0, y);
          const TPixel32* o = older.PixelPtr(0, y);
          TPixel32* out = frame.PixelPtr(0, y);
          for (int x = 0; x < 800; ++x) {
            TPixel32 source = n[x];
            source.A = 128;
            out[x] = BlendPixel(source, o[x]);
          }
        }
      },
      [&] { ComposeFrame(frame, newer, older, fade, 50); });
  PrintPaired("plain blend", "ComposeFrame", p, 16);
  std::printf("ComposeFrame: %.1f frames a second (median)\n", 1000.0 / p.B.Median);
}

int Run(int runs) {
  std::printf("Decorated form, %d runs each, %s, themes %s\n", runs, BuildKind(),
              UseThemes() ? "on" : "off");
  PrintFrames(runs);
  PrintCompose(runs);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_skin_form", kDefaultRuns, kMaxRuns, Run);
}
