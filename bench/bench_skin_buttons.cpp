// Painting a form of 100 owner-drawn glyph buttons (controls/skin) against the same form of the
// system's push buttons (TButton, the BUTTON class drawn by the system), each with the same
// caption and font and the same 16 x 16 glyph (given to the system's button with BM_SETIMAGE;
// a system button that draws no image beside its text leaves it out). A third form of the
// class library's bitmap buttons (TBitBtn: an owner-drawn push button drawn by our own code)
// is timed with them and printed apart: it holds our code against our code.
//
// Each form is 800 x 600 and borderless, the buttons 150 x 26 in five columns of twenty. One
// run invalidates the whole form and its children and paints them at once (RedrawWindow with
// RDW_UPDATENOW), then waits for GDI. The owner-drawn buttons are double-buffered as they are
// made. The forms are timed in turns, one run each (system, bitmap buttons, owner-drawn,
// system …), each brought to the top (untimed) before its run. Prints the best and the median
// of N runs each (default 41) and the medians of the turns' ratios to the system's form; the
// aim is at most 2 for the owner-drawn buttons against the system's. Needs a display.
// Usage: bench_skin_buttons [runs].
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "BenchTiming.h"
#include "classlib/forms/Forms.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/stdctrls/BitBtn.h"
#include "classlib/stdctrls/Buttons.h"
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

Turn PaintTurn(TForm* form) {
  return Turn{[form] { form->BringToFront(); }, [form] { Paint(form); }};
}

int Run(int runs) {
  Application->Initialize();
  const std::unique_ptr<TBitmap> glyph = MakeGlyph();
  const HBITMAP glyphHandle = glyph->GetHandle();
  TForm* system = MakeForm([&](TComponent* owner, const String& caption) -> TWinControl* {
    auto* button = new TButton(owner);
    button->SetCaption(caption);
    return button;
  });
  for (int i = 0; i < system->GetControlCount(); ++i)
    if (auto* button = dynamic_cast<TWinControl*>(system->GetControl(i)))
      ::SendMessageW(button->GetHandle(), BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(glyphHandle));
  TForm* bitmapButtons = MakeForm([&](TComponent* owner, const String& caption) -> TWinControl* {
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
  const std::vector<TurnTiming> t =
      MeasureRounds(runs, {PaintTurn(system), PaintTurn(bitmapButtons), PaintTurn(owned)});
  delete owned;
  delete bitmapButtons;
  delete system;
  std::printf("Form of %d glyph buttons, %d runs each in turns, %s, themes %s\n", kButtons, runs,
              BuildKind(), UseThemes() ? "on" : "off");
  std::printf("%-12s best %9.3f ms  median %9.3f ms\n", "system", t[0].Time.Best, t[0].Time.Median);
  std::printf("%-12s best %9.3f ms  median %9.3f ms  owner-drawn/system, median of the turns %5.2f\n",
              "owner-drawn", t[2].Time.Best, t[2].Time.Median, t[2].RatioToFirst);
  std::printf("apart, the class library's bitmap buttons (owner-drawn by our code):\n");
  std::printf("%-12s best %9.3f ms  median %9.3f ms  bitmap/system, median of the turns %5.2f\n", "bitmap",
              t[1].Time.Best, t[1].Time.Median, t[1].RatioToFirst);
  std::printf("owner-drawn/bitmap, ratio of the medians %5.2f\n",
              t[1].Time.Median > 0 ? t[2].Time.Median / t[1].Time.Median : 0.0);
  DoneApplication();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_skin_buttons", kDefaultRuns, kMaxRuns, Run);
}
