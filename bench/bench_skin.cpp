// Painting a form of 100 owner-drawn check boxes and radio buttons, against the same form of
// the system's check boxes and radio buttons.
//
// Each form is 800 x 600 and borderless, with 50 check boxes and 50 radio buttons (in ten
// groups of five, one panel each) in a grid, every control 150 x 20 with a caption. One run
// invalidates the whole form and its children and paints them at once (RedrawWindow with
// RDW_UPDATENOW), then waits for GDI. The owner-drawn controls are transparent and
// double-buffered, as they are made: each asks its parent for the background, paints its glyph
// (themed when the desktop has a theme) and caption into a bitmap and copies it out. Prints the
// best and the median of N runs (default 21), the two forms painted in turns (each brought to
// the top first, untimed), and the median of the pairs' ratios of the owner-drawn form to the
// system's; the aim is at most 2. Needs a display. Usage: bench_skin [runs].
#include <cstdio>
#include <functional>

#include "BenchTiming.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/CheckBoxes.h"
#include "classlib/stdctrls/StdPanels.h"
#include "classlib/system/SysFormat.h"
#include "controls/skin/controls/SkinCheckBox.h"
#include "controls/skin/controls/SkinRadioButton.h"
#include "controls/skin/engine/ThemeBinding.h"

namespace {

constexpr int kDefaultRuns = 21;
constexpr int kMaxRuns = 1000;

using TMakeControl = std::function<TWinControl*(TComponent* owner, int index, bool radio)>;

// A shown form with 50 check boxes and 50 radio buttons made by make.
TForm* MakeForm(const TMakeControl& make) {
  TForm* form = TCustomForm::Create<TForm>(nullptr);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 800, 600);
  form->SetColor(clBtnFace);
  for (int i = 0; i < 50; ++i) {
    TWinControl* box = make(form, i, false);
    box->SetBounds(10 + (i % 5) * 155, 10 + (i / 5) * 24, 150, 20);
    box->SetParent(form);
  }
  for (int group = 0; group < 10; ++group) {
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBevelOuter(bvNone);
    panel->SetBounds(10 + (group % 5) * 155, 260 + (group / 5) * 130, 150, 125);
    for (int i = 0; i < 5; ++i) {
      TWinControl* radio = make(form, group * 5 + i, true);
      radio->SetBounds(0, i * 24, 150, 20);
      radio->SetParent(panel);
    }
  }
  form->Show();
  Application->ProcessMessages();
  return form;
}

void Paint(TForm* form) {
  ::RedrawWindow(form->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  ::GdiFlush();
}

// Brings form to the top with its pixels painted (untimed).
void Raise(TForm* form) {
  form->BringToFront();
  Application->ProcessMessages();
}

int Run(int runs) {
  Application->Initialize();
  TForm* system = MakeForm([](TComponent* owner, int index, bool radio) -> TWinControl* {
    const String caption = Format(L"Choice %d", {index});
    if (radio) {
      auto* button = new TRadioButton(owner);
      button->SetCaption(caption);
      button->SetChecked(index % 5 == 0);
      return button;
    }
    auto* box = new TCheckBox(owner);
    box->SetCaption(caption);
    box->SetChecked(index % 2 == 0);
    return box;
  });
  TForm* owned = MakeForm([](TComponent* owner, int index, bool radio) -> TWinControl* {
    const String caption = Format(L"Choice %d", {index});
    if (radio) {
      auto* button = new TSeCustomRadioButton(owner);
      button->SetCaption(caption);
      button->SetChecked(index % 5 == 0);
      return button;
    }
    auto* box = new TSeCustomCheckBox(owner);
    box->SetCaption(caption);
    box->SetChecked(index % 2 == 0);
    return box;
  });
  const Paired times = MeasurePairs(runs, [system] { Raise(system); }, [system] { Paint(system); },
                                    [owned] { Raise(owned); }, [owned] { Paint(owned); });
  delete owned;
  delete system;
  std::printf("Form of 100 check boxes and radio buttons, %d runs each, %s, themes %s\n", runs,
              BuildKind(), UseThemes() ? "on" : "off");
  PrintAgainstSystem(times);
  DoneApplication();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_skin", kDefaultRuns, kMaxRuns, Run);
}
