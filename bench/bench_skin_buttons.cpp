// Painting a form of 100 owner-drawn glyph buttons (controls/skin) against the same form of the
// class library's bitmap buttons (TBitBtn, the system's owner-drawn push button), each with the
// same 16 x 16 glyph, caption and font.
//
// Each form is 800 x 600 and borderless, the buttons 150 x 26 in five columns of twenty. One
// run invalidates the whole form and its children and paints them at once (RedrawWindow with
// RDW_UPDATENOW), then waits for GDI. The owner-drawn buttons are double-buffered as they are
// made. The two forms are timed in turns, one run each (system, owner-drawn, system …), each
// brought to the top (untimed) before its run. Prints the best and the median of N runs each
// (default 41) and the median of the pairs' ratios owner-drawn / system; the aim is at most 2.
// Needs a display. Usage: bench_skin_buttons [runs].
#include <cstdio>
#include <functional>
#include <memory>

#include "BenchTiming.h"
#include "classlib/forms/Forms.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/stdctrls/BitBtn.h"
#include "classlib/system/SysFormat.h"
#include "controls/skin/controls/SkinButton.h"
#include "controls/skin/engine/ThemeBinding.h"

namespace {

constexpr int kDefaultRuns = 41;
constexpr int kMaxRuns = 1000;
constexpr int kButtons = 100;

// A 16 x 16 glyph: a green disc with a dark ring on the clear colour (olive, the lower-left
// pixel).
std::unique_ptr<TBitmap> MakeGlyph() {
  auto glyph = std::make_unique<TBitmap>();
  glyph->SetSize(16, 16);
  TCanvas* canvas = glyph->GetCanvas();
  canvas->GetBrush()->SetColor(static_cast<TColor>(0x008080));
  canvas->FillRect(TRect(0, 0, 16, 16));
  canvas->GetBrush()->SetColor(static_cast<TColor>(0x00A000));
  canvas->GetPen()->SetColor(static_cast<TColor>(0x004000));
  canvas->Ellipse(1, 1, 14, 14);
  return glyph;
}

using TMakeButton = std::function<TWinControl*(TComponent* owner, const String& caption)>;

TForm* MakeForm(const TMakeButton& make) {
  TForm* form = TCustomForm::Create<TForm>(nullptr);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 800, 600);
  form->SetColor(clBtnFace);
  for (int i = 0; i < kButtons; ++i) {
    TWinControl* button = make(form, Format(L"按钮 %d", {i}));
    button->SetBounds(10 + (i % 5) * 156, 10 + (i / 5) * 29, 150, 26);
    button->SetParent(form);
  }
  form->Show();
  Application->ProcessMessages();
  return form;
}

void Paint(TForm* form) {
  ::RedrawWindow(form->GetHandle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  ::GdiFlush();
}

int Run(int runs) {
  Application->Initialize();
  const std::unique_ptr<TBitmap> glyph = MakeGlyph();
  TForm* system = MakeForm([&](TComponent* owner, const String& caption) -> TWinControl* {
    auto* button = new TBitBtn(owner);
    button->SetCaption(caption);
    button->SetGlyph(glyph.get());
    return button;
  });
  TForm* owned = MakeForm([&](TComponent* owner, const String& caption) -> TWinControl* {
    auto* button = new TSeCustomButton(owner);
    button->SetCaption(caption);
    button->SetGlyph(glyph.get());
    return button;
  });
  const Paired times = MeasurePairs(
      runs, [system] { system->BringToFront(); }, [system] { Paint(system); },
      [owned] { owned->BringToFront(); }, [owned] { Paint(owned); });
  delete owned;
  delete system;
  std::printf("Form of %d glyph buttons, %d runs each in turns, %s, themes %s\n", kButtons, runs,
              BuildKind(), UseThemes() ? "on" : "off");
  PrintAgainstSystem(times);
  DoneApplication();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_skin_buttons", kDefaultRuns, kMaxRuns, Run);
}
