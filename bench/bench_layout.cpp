// Reading stored layouts, against creating the same controls in code and the same windows
// directly.
//
// Controls: a panel holding N windowed controls (N = 100, 500 and 2,000), each with bounds, a
// caption, a colour, a font, a hint, a tab order and an event bound by handler name, written
// in the text form. Times, per control: reading the text form (converted to the binary form
// and read), reading the binary form alone, and making the controls in code with the same
// property values set through the same writers. No window is made in these three; the cost
// per control should not grow with N. The three are timed in turns, each after one untimed run.
//
// Windows: the program's wait box (TFrmProgress) read from its compiled-in layout, shown and
// painted, and freed, against the same window made with CreateWindowExW (same class styles,
// styles, size, colour and icon, centred on the desktop as the layout asks, its frame's lines
// and its text drawn in the same colours and font), shown, painted and destroyed, one of each
// in turn.
// This part needs a display (Xvfb will do).
//
// Prints the best and the median of N runs (default 21). Usage: bench_layout [runs].
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>
#include <memory>

#include "BenchTiming.h"
#include "app/Uprogress.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Layouts.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/ObjectText.h"
#include "classlib/controls/Controls.h"
#include "classlib/controls/ControlsRegistration.h"
#include "classlib/forms/Forms.h"
#include "classlib/forms/FormsRegistration.h"
#include "classlib/stdctrls/StdCtrlsRegistration.h"
#include "classlib/system/SysFormat.h"
#include "classlib/system/Win.h"

namespace {

constexpr int kCounts[] = {100, 500, 2000};
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

String LayoutText(int count) {
  String text = L"object Panel: TBenchPanel\r\n  Left = 0\r\n  Top = 0\r\n  Width = 1000\r\n  Height = 800\r\n";
  for (int i = 0; i < count; ++i) {
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
void MakeInCode(TBenchPanel& panel, int count) {
  TNotifyEvent click = [&panel](TObject* sender) { panel.ControlClick(sender); };
  panel.SetBounds(0, 0, 1000, 800);
  for (int i = 0; i < count; ++i) {
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

// The ratio is the median over the runs of the form's time over the code's in the same turn.
void PrintPerControl(const char* what, const Timing& t, int count, double ratioToCode) {
  std::printf("  %-26s best %8.2f us   median %8.2f us per control   (%.2f x code)\n", what,
              t.Best * 1000.0 / count, t.Median * 1000.0 / count, ratioToCode);
}

// Times the three ways in turns (code, text, binary, code, …), after one untimed run of each,
// so that a slow spell of the shared machine falls on all three alike and what a first run
// pays once (fresh heap pages, first lookups) is not timed.
void BenchControls(int runs, int count) {
  const String text = LayoutText(count);
  TStringStream textSource(text);
  TMemoryStream binary;
  ObjectTextToBinary(textSource, binary);
  const std::vector<Turn> ways = {
      {.Work = [count] {
         TBenchPanel panel(nullptr);
         MakeInCode(panel, count);
       }},
      {.Work = [&textSource] {
         TBenchPanel panel(nullptr);
         textSource.SetPosition(0);
         ReadComponentFromStream(textSource, &panel);
       }},
      {.Work = [&binary] {
         TBenchPanel panel(nullptr);
         binary.SetPosition(0);
         ReadComponentFromStream(binary, &panel);
       }}};
  for (const Turn& way : ways) way.Work();
  const std::vector<TurnTiming> t = MeasureRounds(runs, ways);
  std::printf("%d controls (text layout %d bytes, binary %d bytes)\n", count,
              static_cast<int>(text.size()), static_cast<int>(binary.GetSize()));
  PrintPerControl("created in code", t[0].Time, count, 1.0);
  PrintPerControl("read from the text form", t[1].Time, count, t[1].RatioToFirst);
  PrintPerControl("read from the binary form", t[2].Time, count, t[2].RatioToFirst);
}

// ---- The wait box made directly --------------------------------------------------------------

// What the direct window copies from the one the layout made.
struct TWindowShape {
  DWORD ClassStyle = 0;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  RECT Bounds{};
  COLORREF Color = 0;
  HICON Icon = nullptr;  // the window's icon; owned by the application
  String Caption;
  String Text;          // the label's text, drawn at TextAt in the label's font
  POINT TextAt{};
  COLORREF TextColor = 0;
  LOGFONTW Font{};
  std::vector<TBevelLine> Frame;  // the bevel's lines, in window coordinates
  COLORREF FrameColors[2]{};      // of the lines with First set, and of the others
};

TWindowShape* gShape = nullptr;  // read by the direct window's procedure

LRESULT CALLBACK DirectWindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT && gShape) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(wnd, &paint);
    HPEN pens[2] = {::CreatePen(PS_SOLID, 1, gShape->FrameColors[0]),
                    ::CreatePen(PS_SOLID, 1, gShape->FrameColors[1])};
    HGDIOBJ oldPen = ::SelectObject(dc, pens[0]);
    for (const TBevelLine& line : gShape->Frame) {
      ::SelectObject(dc, pens[line.First ? 0 : 1]);
      ::MoveToEx(dc, line.From.X, line.From.Y, nullptr);
      ::LineTo(dc, line.To.X, line.To.Y);
    }
    ::SelectObject(dc, oldPen);
    ::DeleteObject(pens[0]);
    ::DeleteObject(pens[1]);
    HFONT font = ::CreateFontIndirectW(&gShape->Font);
    HGDIOBJ old = ::SelectObject(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, gShape->TextColor);
    ::TextOutW(dc, gShape->TextAt.x, gShape->TextAt.y, gShape->Text.c_str(),
               static_cast<int>(gShape->Text.size()));
    ::SelectObject(dc, old);
    ::DeleteObject(font);
    ::EndPaint(wnd, &paint);
    return 0;
  }
  return ::DefWindowProcW(wnd, message, wParam, lParam);
}

TFrmProgress* ShowWaitBox() {
  auto* form = TCustomForm::Create<TFrmProgress>(nullptr);
  form->Show();
  ::UpdateWindow(form->GetHandle());
  return form;
}

TWindowShape ShapeOf(TFrmProgress* form) {
  TWindowShape shape;
  HWND wnd = form->GetHandle();
  shape.ClassStyle = static_cast<DWORD>(::GetClassLongW(wnd, GCL_STYLE));
  shape.Style = static_cast<DWORD>(::GetWindowLongW(wnd, GWL_STYLE));
  shape.ExStyle = static_cast<DWORD>(::GetWindowLongW(wnd, GWL_EXSTYLE));
  ::GetWindowRect(wnd, &shape.Bounds);
  shape.Color = ColorToRGB(form->GetColor());
  shape.Icon = reinterpret_cast<HICON>(::SendMessageW(wnd, WM_GETICON, ICON_BIG, 0));
  shape.Caption = form->GetCaption();
  shape.Text = form->Label1->GetCaption();
  shape.TextAt = POINT{form->Label1->GetLeft(), form->Label1->GetTop()};
  shape.TextColor = ColorToRGB(form->Label1->GetFont()->GetColor());
  ::GetObjectW(form->Label1->GetFont()->GetHandle(), sizeof(shape.Font), &shape.Font);
  TepBevel* bevel = form->epBevel1;
  const bool raised = bevel->GetStyle() == TepBevelStyle::bsRaised;
  shape.FrameColors[0] = ColorToRGB(raised ? bevel->GetInnerColor() : bevel->GetOuterColor());
  shape.FrameColors[1] = ColorToRGB(raised ? bevel->GetOuterColor() : bevel->GetInnerColor());
  for (TBevelLine line : BevelLines(bevel->GetShape(), bevel->GetWidth(), bevel->GetHeight())) {
    line.From = TPoint{line.From.X + bevel->GetLeft(), line.From.Y + bevel->GetTop()};
    line.To = TPoint{line.To.X + bevel->GetLeft(), line.To.Y + bevel->GetTop()};
    shape.Frame.push_back(line);
  }
  return shape;
}

void BenchWindows(int runs) {
  if (HDC screen = ::GetDC(nullptr)) {
    ::ReleaseDC(nullptr, screen);
  } else {
    std::printf("(no display: the windows were not timed)\n");
    return;
  }
  Application->Initialize();
  RegisterControlsClasses();
  RegisterFormsClasses();
  RegisterStdCtrlsClasses();
  TFrmProgress* probe = ShowWaitBox();
  TWindowShape shape = ShapeOf(probe);
  delete probe;
  gShape = &shape;

  HBRUSH background = ::CreateSolidBrush(shape.Color);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = shape.ClassStyle;
  windowClass.hIcon = shape.Icon;
  windowClass.hIconSm = shape.Icon;
  windowClass.lpfnWndProc = DirectWindowProc;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = L"BenchDirectWindow";
  ::RegisterClassExW(&windowClass);

  const auto makeDirectly = [&shape] {
    // Centred on the desktop, as the wait box's layout asks, and made where it shows.
    const int width = shape.Bounds.right - shape.Bounds.left, height = shape.Bounds.bottom - shape.Bounds.top;
    const int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN) + ::GetSystemMetrics(SM_CXVIRTUALSCREEN) / 2 - width / 2;
    const int y = ::GetSystemMetrics(SM_YVIRTUALSCREEN) + ::GetSystemMetrics(SM_CYVIRTUALSCREEN) / 2 - height / 2;
    HWND wnd = ::CreateWindowExW(shape.ExStyle, L"BenchDirectWindow", shape.Caption.c_str(),
                                 shape.Style & ~static_cast<DWORD>(WS_VISIBLE), std::max(x, 0), std::max(y, 0), width,
                                 height, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::ShowWindow(wnd, SW_SHOWNORMAL);
    ::UpdateWindow(wnd);
    ::DestroyWindow(wnd);
  };
  // One of each in turn, so that a slower spell of the shared display hits both alike.
  const Paired p = MeasurePairs(runs, makeDirectly, [] { delete ShowWaitBox(); });
  std::printf("the wait box, made, shown, painted and freed\n");
  std::printf("  %-26s best %8.3f ms   median %8.3f ms\n", "CreateWindowExW directly", p.A.Best, p.A.Median);
  std::printf("  %-26s best %8.3f ms   median %8.3f ms   (%.2f x direct, median of the pairs)\n",
              "read from its layout", p.B.Best, p.B.Median, p.Ratio);
  ::UnregisterClassW(L"BenchDirectWindow", ::GetModuleHandleW(nullptr));
  ::DeleteObject(background);
  gShape = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_layout", kDefaultRuns, kMaxRuns, [](int runs) {
    RegisterClasses({TBenchPanel::StaticClassInfo(), TBenchControl::StaticClassInfo()});
    using M = TPublishMethods<TBenchPanel>;
    RegisterMethods<TBenchPanel>({M::Handler(L"ControlClick", &TBenchPanel::ControlClick)});
    std::printf("%s, %d runs\n", BuildKind(), runs);
    for (int count : kCounts) BenchControls(runs, count);
    BenchWindows(runs);
    DoneApplication();
    return 0;
  });
}
