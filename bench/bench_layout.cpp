// Reading a stored layout of 500 controls, against creating the same controls in code.
//
// The layout is a panel holding 500 windowed controls, each with bounds, a caption, a
// colour, a font, a hint, a tab order and an event bound by handler name, written in the
// text form. Times, per control: reading the text form (converted to the binary form and
// read), reading the binary form alone, and making the controls in code with the same
// property values set through the same writers. No window is made in any of the three.
// Prints the best and the median of N runs (default 21). Usage: bench_layout [runs].
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Layouts.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/ObjectText.h"
#include "classlib/controls/Controls.h"
#include "classlib/system/SysFormat.h"
#include "classlib/system/Win.h"

namespace {

constexpr int kControls = 500;
constexpr int kDefaultRuns = 21;
constexpr int kMaxRuns = 1000;

class TBenchControl : public TWinControl {
  CLASSLIB_CLASS(TBenchControl, TWinControl)
  explicit TBenchControl(TComponent* owner) : TWinControl(owner) {}
};

class TBenchPanel : public TWinControl {
  CLASSLIB_CLASS(TBenchPanel, TWinControl)
  explicit TBenchPanel(TComponent* owner) : TWinControl(owner) {
    SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls});
  }
  void ControlClick(TObject*) {}
};

TColor ColorOf(int i) { return (i % 2) ? clBtnFace : ColorFromInt(0x00102030 + i); }

String LayoutText() {
  String text = L"object Panel: TBenchPanel\r\n  Left = 0\r\n  Top = 0\r\n  Width = 1000\r\n  Height = 800\r\n";
  for (int i = 0; i < kControls; ++i) {
    text += Format(L"  object Control%d: TBenchControl\r\n", {i});
    text += Format(L"    Left = %d\r\n    Top = %d\r\n    Width = 80\r\n    Height = 24\r\n", {(i % 10) * 90, (i / 10) * 30});
    text += Format(L"    Caption = 'Control number %d'\r\n", {i});
    text += (i % 2) ? String(L"    Color = clBtnFace\r\n") : Format(L"    Color = %d\r\n", {ColorToInt(ColorOf(i))});
    text += L"    Font.Charset = GB2312_CHARSET\r\n    Font.Color = clWindowText\r\n    Font.Height = -12\r\n";
    text += L"    Font.Name = 'Tahoma'\r\n    Font.Style = [fsBold]\r\n    ParentFont = False\r\n";
    text += Format(L"    Hint = 'hint %d'\r\n    TabOrder = %d\r\n    OnClick = ControlClick\r\n  end\r\n", {i, i});
  }
  return text + L"end\r\n";
}

// The same controls, made and set in code.
void MakeInCode(TBenchPanel& panel) {
  TNotifyEvent click = [&panel](TObject* sender) { panel.ControlClick(sender); };
  panel.SetBounds(0, 0, 1000, 800);
  for (int i = 0; i < kControls; ++i) {
    auto* control = new TBenchControl(&panel);
    control->SetName(Format(L"Control%d", {i}));
    control->SetParent(&panel);
    control->SetBounds((i % 10) * 90, (i / 10) * 30, 80, 24);
    control->SetCaption(Format(L"Control number %d", {i}));
    control->SetColor(ColorOf(i));
    TFont* font = control->GetFont();
    font->SetCharset(GB2312_CHARSET);
    font->SetColor(clWindowText);
    font->SetHeight(-12);
    font->SetName(L"Tahoma");
    font->SetStyle(TFontStyles{fsBold});
    control->SetParentFont(false);
    control->SetHint(Format(L"hint %d", {i}));
    control->SetTabOrder(i);
    control->SetOnClick(click);
  }
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& frequency) {
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Runs work `runs` times; returns the sorted times in seconds.
std::vector<double> Time(int runs, const std::function<void()>& work) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    times.push_back(Seconds(start, end, frequency));
  }
  std::sort(times.begin(), times.end());
  return times;
}

void Report(const char* what, const std::vector<double>& times, double reference) {
  const double best = times.front() / kControls * 1e6;
  const double median = times[times.size() / 2] / kControls * 1e6;
  std::printf("%-28s best %8.2f us   median %8.2f us per control   (%.2f x code)\n", what, best, median,
              reference > 0 ? times[times.size() / 2] / reference : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  int runs = kDefaultRuns;
  if (argc > 1) runs = std::clamp(std::atoi(argv[1]), 1, kMaxRuns);
  try {
    RegisterClasses({TBenchPanel::StaticClassInfo(), TBenchControl::StaticClassInfo()});
    using M = TPublishMethods<TBenchPanel>;
    RegisterMethods<TBenchPanel>({M::Handler(L"ControlClick", &TBenchPanel::ControlClick)});

    const String text = LayoutText();
    TStringStream textSource(text);
    TMemoryStream binary;
    ObjectTextToBinary(textSource, binary);

    const std::vector<double> code = Time(runs, [] {
      TBenchPanel panel(nullptr);
      MakeInCode(panel);
    });
    const std::vector<double> fromText = Time(runs, [&text] {
      TBenchPanel panel(nullptr);
      TStringStream stream(text);
      ReadComponentFromStream(stream, &panel);
    });
    const std::vector<double> fromBinary = Time(runs, [&binary] {
      TBenchPanel panel(nullptr);
      binary.SetPosition(0);
      ReadComponentFromStream(binary, &panel);
    });

    const double reference = code[code.size() / 2];
    std::printf("%d controls, %d runs, text layout %d bytes, binary %d bytes\n", kControls, runs,
                static_cast<int>(text.size()), static_cast<int>(binary.GetSize()));
    Report("created in code", code, reference);
    Report("read from the text form", fromText, reference);
    Report("read from the binary form", fromBinary, reference);
    return 0;
  } catch (const Exception& e) {
    std::fprintf(stderr, "bench_layout: %s\n", e.what());
    return 1;
  }
}
