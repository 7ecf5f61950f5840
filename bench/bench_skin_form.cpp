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
// times the plain loop. Prints best and median of N runs (default 21). Needs a display.
// Usage: bench_skin_form [runs].
#include <cstdio>

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

TForm* ShownForm() {
  TForm* form = TCustomForm::Create<TForm>(nullptr);
  form->SetBounds(0, 0, 800, 600);
  form->SetCaption(L"模拟考试");
  return form;
}

Timing FrameTime(TForm* form, int runs) {
  form->Show();
  ::UpdateWindow(form->GetHandle());
  return Measure(runs, [form] {
    ::SendMessageW(form->GetHandle(), WM_NCPAINT, 1, 0);
    ::GdiFlush();
  });
}

int Run(int runs) {
  std::printf("Decorated form, %d runs each, %s, themes %s\n", runs, BuildKind(),
              UseThemes() ? "on" : "off");
  TForm* plain = ShownForm();
  const Timing system = FrameTime(plain, runs);
  delete plain;
  std::printf("%-16s best %9.3f ms  median %9.3f ms\n", "system frame", system.Best, system.Median);
  for (TSeFormPerformance mode : {vxfpNoBuffer, vxfpDoubleBuffer, vxfpPersistentBuffer}) {
    TForm* form = ShownForm();
    auto* skin = new TSeCustomForm(form);
    skin->SetPerformance(mode);
    const Timing ours = FrameTime(form, runs);
    std::printf("%-16s best %9.3f ms  median %9.3f ms  best/system %5.2f  median/system %5.2f\n",
                mode == vxfpNoBuffer       ? "ours, no buffer"
                : mode == vxfpDoubleBuffer ? "ours, double"
                                           : "ours, persistent",
                ours.Best,
                ours.Median, ours.Best / system.Best, ours.Median / system.Median);
    delete form;
  }

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
  const Timing compose = Measure(runs, [&] { ComposeFrame(frame, newer, older, fade, 50); });
  const Timing blend = Measure(runs, [&] {
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
  });
  std::printf("%-16s best %9.3f ms  median %9.3f ms\n", "plain blend", blend.Best, blend.Median);
  std::printf("%-16s best %9.3f ms  median %9.3f ms  best/plain %5.2f  frames/s %6.1f\n",
              "ComposeFrame", compose.Best, compose.Median, compose.Best / blend.Best,
              1000.0 / compose.Median);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_skin_form", kDefaultRuns, kMaxRuns, Run);
}
