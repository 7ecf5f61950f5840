// Two costs of decorated forms.
//
// Frame: repainting the frame of an 800 x 600 form decorated by TSeCustomForm (WM_NCPAINT,
// our caption, buttons and edges in the no-buffer, double-buffer and persistent-buffer modes;
// the persistent buffer is copied out again while nothing on the frame changed) against the
// same form with the system's own frame (WM_NCPAINT handled by the system). The aim is at most
// 2 times the system's time.
//
// Compose: one frame of a fade at 800 x 600 (ComposeFrame: the mask drawn, every pixel looked
// up and blended) against a plain loop that blends the same two images pixel by pixel with
// the same blend. The aim is at least 20 frames a second in an optimised build and at most 1.5
// times the plain loop.
//
// The four frames are timed in turns (the system's, then each of our modes, then the system's
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

const TSeFormPerformance kModes[] = {vxfpNoBuffer, vxfpDoubleBuffer, vxfpPersistentBuffer};
const char* const kModeNames[] = {"ours, no buffer", "ours, double", "ours, persistent"};

// An 800 x 600 form, decorated in the given buffer mode (none: the system's frame), shown.
TForm* ShownForm(const TSeFormPerformance* mode) {
  TForm* form = TCustomForm::Create<TForm>(nullptr);
  form->SetBounds(0, 0, 800, 600);
  form->SetCaption(L"模拟考试");
  if (mode) {
    auto* skin = new TSeCustomForm(form);
    skin->SetPerformance(*mode);
  }
  form->Show();
  return form;
}

// A turn of one form's frame: the form brought to the top, activated and painted (untimed),
// then its frame repainted.
Turn FrameTurn(TForm* form) {
  return Turn{[form] {
                form->BringToFront();
                Application->ProcessMessages();
                ::UpdateWindow(form->GetHandle());
              },
              [form] {
                ::SendMessageW(form->GetHandle(), WM_NCPAINT, 1, 0);
                ::GdiFlush();
              }};
}

void PrintFrames(int runs) {
  std::vector<std::unique_ptr<TForm>> forms;
  forms.emplace_back(ShownForm(nullptr));
  for (const TSeFormPerformance& mode : kModes) forms.emplace_back(ShownForm(&mode));
  std::vector<Turn> turns;
  for (const auto& form : forms) turns.push_back(FrameTurn(form.get()));
  const std::vector<TurnTiming> t = MeasureRounds(runs, turns);
  std::printf("%-16s best %9.3f ms  median %9.3f ms\n", "system frame", t[0].Time.Best, t[0].Time.Median);
  for (size_t m = 0; m < std::size(kModes); ++m)
    std::printf("%-16s best %9.3f ms  median %9.3f ms  /system, median of the turns %5.2f\n", kModeNames[m],
                t[m + 1].Time.Best, t[m + 1].Time.Median, t[m + 1].RatioToFirst);
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
