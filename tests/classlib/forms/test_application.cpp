// TApplication: the hidden application window and its title, Run without a main form,
// exceptions from handlers reaching OnException while the program goes on, window hooks,
// the key path through the form, hints and the hint window's margins, and Terminate from
// nested loops (played in a child process, since a terminated application stays terminated).
#include <memory>

#include "FormsTestSupport.h"
#include "classlib/controls/ActnList.h"
#include "classlib/forms/HintWindow.h"
#include "classlib/forms/Timer.h"
#include "classlib/graphics/MemorySurface.h"
#include "tests/ScreenShots.h"

using namespace forms_tests;

// ---- Scenarios played in a child process ----------------------------------------------------

namespace {

// Terminate called inside a modal loop nested in another modal loop nested in Run: every
// loop ends, the code after Terminate still runs, and the quit message stays in the queue
// for whatever loop comes next. Returns 0 on success, the number of the failed check else.
int TerminateFromNestedModalScenario() {
  TForm* mainForm = nullptr;
  Application->CreateForm(mainForm);
  if (Application->GetMainForm() != mainForm) return 1;
  mainForm->SetBounds(10, 10, 300, 200);
  TLaterCalls later;
  std::unique_ptr<TForm> outer(TCustomForm::Create<TForm>(nullptr));
  std::unique_ptr<TForm> inner(TCustomForm::Create<TForm>(nullptr));
  TModalResult outerResult = -1;
  TModalResult innerResult = -1;
  bool afterTerminate = false;
  bool terminatedAtOnce = true;
  later.Post([&] {
    later.Post([&] {
      later.Post([&] {
        Application->Terminate();
        afterTerminate = true;
        terminatedAtOnce = Application->GetTerminated();
      });
      innerResult = inner->ShowModal();
    });
    outerResult = outer->ShowModal();
  });
  // A watchdog: should the loops not end, the scenario fails rather than hangs.
  later.Post([] { ::ExitProcess(90); }, 10000);
  Application->Run();
  if (!afterTerminate) return 2;
  if (terminatedAtOnce) return 3;  // Terminated is set when the quit message is taken
  if (innerResult != mrCancel) return 4;
  if (outerResult != mrCancel) return 5;
  if (!Application->GetTerminated()) return 6;
  MSG msg{};
  if (!::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) return 7;
  return 0;
}

// Closing the main form terminates the application; Run then returns.
int CloseMainFormScenario() {
  TForm* mainForm = nullptr;
  Application->CreateForm(mainForm);
  TLaterCalls later;
  bool shown = false;
  later.Post(
      [&] {
        shown = ::IsWindowVisible(mainForm->GetHandle()) != FALSE;
        ::PostMessageW(mainForm->GetHandle(), WM_CLOSE, 0, 0);
      },
      50);
  later.Post([] { ::ExitProcess(90); }, 10000);
  Application->Run();
  if (!shown) return 1;
  if (!Application->GetTerminated()) return 2;
  // The main form carries the program's taskbar button.
  if (!(::GetWindowLongW(mainForm->GetHandle(), GWL_EXSTYLE) & WS_EX_APPWINDOW)) return 3;
  return 0;
}

// Runs this test executable again playing a scenario; returns its exit code.
DWORD PlayScenario(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  ::SetEnvironmentVariableW(L"FORMS_TEST_SCENARIO", name);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  String commandLine = L"\"" + String(path) + L"\"";
  const BOOL started = ::CreateProcessW(path, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
  ::SetEnvironmentVariableW(L"FORMS_TEST_SCENARIO", nullptr);
  if (!started) return 0xFFFFFFFF;
  ::WaitForSingleObject(process.hProcess, 30000);
  DWORD exitCode = 0xFFFFFFFE;
  ::GetExitCodeProcess(process.hProcess, &exitCode);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return exitCode;
}

}  // namespace

int RunFormsScenario(const String& name) {
  if (name == L"terminate") return TerminateFromNestedModalScenario();
  if (name == L"closemain") return CloseMainFormScenario();
  return 99;
}

namespace {

// ---- The application window -------------------------------------------------------------------

TEST(ApplicationTest, TitleIsTheTextOfTheHiddenApplicationWindow) {
  const String saved = Application->GetTitle();
  HWND wnd = Application->GetHandle();
  ASSERT_TRUE(wnd);
  wchar_t className[64] = {};
  ::GetClassNameW(wnd, className, 64);
  EXPECT_EQ(String(className), L"TApplication");
  EXPECT_FALSE(::IsWindowVisible(wnd));
  // The default title is the executable's name without its extension.
  EXPECT_EQ(saved, L"test_forms");

  Application->SetTitle(L"考试宝典 instance");
  wchar_t text[64] = {};
  ::GetWindowTextW(wnd, text, 64);
  EXPECT_EQ(String(text), L"考试宝典 instance");
  // What a second instance does to find the first.
  EXPECT_EQ(::FindWindowW(L"TApplication", L"考试宝典 instance"), wnd);
  Application->SetTitle(saved);
  EXPECT_EQ(::FindWindowW(L"TApplication", L"考试宝典 instance"), nullptr);

  // Forms are owned by it.
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  EXPECT_EQ(::GetWindow(form->GetHandle(), GW_OWNER), wnd);
  EXPECT_FALSE(::GetWindowLongW(form->GetHandle(), GWL_STYLE) & WS_CHILD);
}

TEST(ApplicationTest, RunReturnsAtOnceWithoutAMainForm) {
  ASSERT_EQ(Application->GetMainForm(), nullptr);
  Application->Run();  // must not block
  EXPECT_FALSE(Application->GetTerminated());
}

TEST(ApplicationTest, HookMainWindowSeesTheApplicationWindowsMessages) {
  constexpr UINT probe = WM_APP + 77;
  int seen = 0;
  const int key = Application->HookMainWindow([&](TMessage& message) {
    if (message.Msg != probe) return false;
    ++seen;
    message.Result = 1234;
    return true;
  });
  EXPECT_EQ(::SendMessageW(Application->GetHandle(), probe, 0, 0), 1234);
  Application->UnhookMainWindow(key);
  EXPECT_EQ(::SendMessageW(Application->GetHandle(), probe, 0, 0), 0);
  EXPECT_EQ(seen, 1);
}

TEST(ApplicationTest, MinimizeAndRestoreCallEveryHandler) {
  int first = 0;
  int second = 0;
  int restored = 0;
  const int a = Application->GetOnMinimize().Add([&](TObject*) { ++first; });
  const int b = Application->GetOnMinimize().Add([&](TObject*) { ++second; });
  const int c = Application->GetOnRestore().Add([&](TObject*) { ++restored; });
  Application->Minimize();
  Application->GetOnMinimize().Remove(a);
  Application->Minimize();
  Application->Restore();
  Application->GetOnMinimize().Remove(b);
  Application->GetOnRestore().Remove(c);
  EXPECT_EQ(std::vector<int>({first, second, restored}), std::vector<int>({1, 2, 1}));
}

// ---- Exceptions ---------------------------------------------------------------------------------

TEST(ApplicationTest, HandlerThatThrowsReachesOnExceptionAndTheProgramGoesOn) {
  TExceptionRecorder recorder;
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  auto* button = new TTestButton(form.get(), Bounds(10, 10, 80, 25));
  form->Show();
  int clicks = 0;
  button->SetOnClick([&](TObject*) {
    ++clicks;
    if (clicks == 1) throw EConvertError(L"'%s' is not a valid integer value", {String(L"x")});
    if (clicks == 2) throw std::runtime_error("plain failure");
    if (clicks == 3) Abort();
  });
  for (int i = 0; i < 4; ++i) ::PostMessageW(button->GetHandle(), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return clicks == 4; }));
  ASSERT_EQ(recorder.Messages.size(), 2u);  // the silent EAbort is not reported
  EXPECT_EQ(recorder.Messages[0], L"'x' is not a valid integer value");
  EXPECT_EQ(recorder.ClassNames[0], L"EConvertError");
  EXPECT_EQ(recorder.Senders[0], form.get());  // whose window procedure caught it
  EXPECT_EQ(recorder.Messages[1], L"plain failure");
}

TEST(ApplicationTest, ExceptionInATimerHandlerReachesOnException) {
  TExceptionRecorder recorder;
  TTimer timer(nullptr);
  timer.SetInterval(10);
  timer.SetOnTimer([&](TObject*) {
    timer.SetEnabled(false);
    throw Exception(L"timer failed");
  });
  ASSERT_TRUE(PumpUntil([&] { return !recorder.Messages.empty(); }));
  EXPECT_EQ(recorder.Messages[0], L"timer failed");
  EXPECT_EQ(recorder.Senders[0], &timer);
}

TEST(ApplicationTest, ExceptionInOnIdleDuringRunIsReported) {
  // OnIdle runs from HandleMessage; a modal loop reports what escapes it and goes on.
  TExceptionRecorder recorder;
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  int idles = 0;
  Application->SetOnIdle([&](TObject*, bool&) {
    if (++idles == 1) throw Exception(L"idle failed");
    form->SetModalResult(mrOk);
  });
  const TModalResult result = form->ShowModal();
  Application->SetOnIdle(nullptr);
  EXPECT_EQ(result, mrOk);
  ASSERT_EQ(recorder.Messages.size(), 1u);
  EXPECT_EQ(recorder.Messages[0], L"idle failed");
}

TEST(ApplicationTest, HandleExceptionOutsideACatchDoesNothing) {
  TExceptionRecorder recorder;
  Application->HandleException(nullptr);
  EXPECT_TRUE(recorder.Messages.empty());
}

// ---- Keys ------------------------------------------------------------------------------------------

TEST(ApplicationTest, TabFromTheMessageLoopMovesTheFocus) {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  auto* first = new TTestButton(form.get(), Bounds(10, 10, 80, 25));
  auto* second = new TTestButton(form.get(), Bounds(100, 10, 80, 25));
  form->Show();
  ::SetActiveWindow(form->GetHandle());
  ASSERT_TRUE(PumpUntil([&] { return form->GetActive(); }));
  first->SetFocus();
  ASSERT_TRUE(first->Focused());
  EXPECT_EQ(form->GetActiveControl(), first);
  EXPECT_EQ(Screen->GetActiveControl(), first);
  // The key goes to the focused window; the loop offers it as CN_KEYDOWN first, and the
  // form takes Tab as a dialog key.
  ::PostMessageW(first->GetHandle(), WM_KEYDOWN, VK_TAB, 0x000F0001);
  ASSERT_TRUE(PumpUntil([&] { return second->Focused(); }));
  EXPECT_EQ(form->GetActiveControl(), second);
  EXPECT_EQ(Screen->GetActiveControl(), second);
}

TEST(ApplicationTest, FormsShortCutsComeBeforeTheControl) {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  auto* button = new TTestButton(form.get(), Bounds(10, 10, 80, 25));
  int keyDowns = 0;
  button->SetOnKeyDown([&](TObject*, WORD&, TShiftState) { ++keyDowns; });
  std::vector<WORD> shortCuts;
  form->SetOnShortCut([&](TMessage& message, bool& handled) {
    shortCuts.push_back(TWMKey(message).GetCharCode());
    handled = TWMKey(message).GetCharCode() == VK_F5;
  });
  auto* actions = new TActionList(form.get());
  auto* action = new TAction(actions);
  action->SetActionList(actions);
  action->SetShortCut(VK_F6);
  int executed = 0;
  action->OnExecute = [&](TObject*) { ++executed; };
  form->Show();
  button->SetFocus();
  ::PostMessageW(button->GetHandle(), WM_KEYDOWN, VK_F5, 0x003F0001);
  ::PostMessageW(button->GetHandle(), WM_KEYDOWN, VK_F6, 0x00400001);
  ::PostMessageW(button->GetHandle(), WM_KEYDOWN, 'A', 0x001E0001);
  ASSERT_TRUE(PumpUntil([&] { return shortCuts.size() == 3 && keyDowns > 0; }));
  EXPECT_EQ(shortCuts, (std::vector<WORD>{VK_F5, VK_F6, 'A'}));
  EXPECT_EQ(executed, 1);   // F6 reached the form's action list
  EXPECT_EQ(keyDowns, 1);   // only 'A' reached the control
}

// ---- Hints ------------------------------------------------------------------------------------------

bool HintWindowShows() {
  THintWindow* window = Application->GetHintWindow();
  return window && window->HandleAllocated() && ::IsWindowVisible(window->GetHandle());
}

TEST(ApplicationTest, HintShowsAfterThePauseOverAControlWithShowHint) {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  form->SetBounds(100, 100, 300, 200);
  auto* button = new TTestButton(form.get(), Bounds(20, 20, 120, 40));
  button->SetHint(L"打开|Opens a question bank");
  button->SetShowHint(true);
  int hintChanges = 0;
  Application->SetOnHint([&](TObject*) { ++hintChanges; });
  Application->SetHintPause(50);
  form->Show();
  PumpFor(30);
  const TPoint centre = ScreenCentre(button);
  ::SetCursorPos(centre.X, centre.Y);
  const TPoint client = button->ScreenToClient(centre);
  ::PostMessageW(button->GetHandle(), WM_MOUSEMOVE, 0, PointToLParam(client));
  const bool shown = PumpUntil(HintWindowShows);
  Application->SetHintPause(500);
  ASSERT_TRUE(shown);
  EXPECT_EQ(Application->GetHintWindow()->GetCaption(), L"打开");
  // The idle work names the long hint of the control under the mouse.
  Application->SetOnIdle([](TObject*, bool& done) { done = false; });  // never waits
  for (int i = 0; i < 1000 && Application->GetHint().empty(); ++i) Application->HandleMessage();
  Application->SetOnIdle(nullptr);
  EXPECT_EQ(Application->GetHint(), L"Opens a question bank");
  EXPECT_GE(hintChanges, 1);
  // A press ends the hint.
  ::PostMessageW(button->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(client));
  ::PostMessageW(button->GetHandle(), WM_LBUTTONUP, 0, PointToLParam(client));
  EXPECT_TRUE(PumpUntil([&] { return !::IsWindowVisible(Application->GetHintWindow()->GetHandle()); }));
  Application->SetOnHint(nullptr);
  ::SetCursorPos(1000, 740);
  PumpFor(20);
}

// A press on the screen where a hint lies goes to the window under the hint, as if the hint
// were not there, and ends the hint.
TEST(ApplicationTest, APressOnAHintGoesToTheWindowBelowIt) {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  form->SetBounds(100, 100, 300, 260);
  auto* button = new TTestButton(form.get(), Bounds(20, 20, 120, 40));
  button->SetHint(L"选择一个选项作为正确答案");
  button->SetShowHint(true);
  auto* below = new TTestButton(form.get(), Bounds(20, 140, 200, 40));
  int belowClicks = 0;
  below->SetOnClick([&](TObject*) { ++belowClicks; });
  Application->SetHintPause(50);
  form->Show();
  PumpFor(30);
  const TPoint centre = ScreenCentre(button);
  ::SetCursorPos(centre.X, centre.Y);
  ::PostMessageW(button->GetHandle(), WM_MOUSEMOVE, 0, PointToLParam(button->ScreenToClient(centre)));
  const bool shown = PumpUntil(HintWindowShows);
  Application->SetHintPause(500);
  ASSERT_TRUE(shown);
  // The lower button is moved under the hint's middle; the press lands where both are.
  RECT hint{};
  ::GetWindowRect(Application->GetHintWindow()->GetHandle(), &hint);
  const TPoint middle((hint.left + hint.right) / 2, (hint.top + hint.bottom) / 2);
  const TPoint at = form->ScreenToClient(middle);
  below->SetBounds(at.X - 60, at.Y - 10, 120, 20);
  PumpFor(20);
  ASSERT_TRUE(HintWindowShows());
  ClickAt(middle);
  EXPECT_TRUE(PumpUntil([&] { return belowClicks == 1; })) << "the press went to the hint";
  EXPECT_TRUE(PumpUntil([] { return !HintWindowShows(); })) << "the hint stays";
  ::SetCursorPos(1000, 740);
  PumpFor(20);
}

// A hint that a control's own move handler switches on counts from that very move: the
// mouse resting after it shows the hint.
TEST(ApplicationTest, AHintSwitchedOnByTheMoveItselfShows) {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  form->SetBounds(100, 100, 300, 200);
  auto* button = new TTestButton(form.get(), Bounds(20, 20, 120, 40));
  button->SetOnMouseMove([button](TObject*, TShiftState, int, int) {
    button->SetHint(L"选择答案");
    button->SetShowHint(true);
  });
  Application->SetHintPause(50);
  form->Show();
  PumpFor(30);
  const TPoint centre = ScreenCentre(button);
  ::SetCursorPos(centre.X, centre.Y);
  PumpFor(30);
  if (!button->GetShowHint())  // the cursor's move may have reached the button already
    ::PostMessageW(button->GetHandle(), WM_MOUSEMOVE, 0, PointToLParam(button->ScreenToClient(centre)));
  const bool shown = PumpUntil(HintWindowShows);
  Application->SetHintPause(500);
  ASSERT_TRUE(shown);
  EXPECT_EQ(Application->GetHintWindow()->GetCaption(), L"选择答案");
  Application->CancelHint();
  ::SetCursorPos(1000, 740);
  PumpFor(20);
}

// While a hint shows, the next control's hint follows without the first pause, also when
// that control's move handler switches it on.
TEST(ApplicationTest, WhileAHintShowsOneSwitchedOnByTheMoveFollowsAtOnce) {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  form->SetBounds(100, 100, 300, 200);
  auto* first = new TTestButton(form.get(), Bounds(20, 20, 120, 40));
  first->SetHint(L"单选题");
  first->SetShowHint(true);
  auto* second = new TTestButton(form.get(), Bounds(160, 20, 120, 40));
  second->SetOnMouseMove([second](TObject*, TShiftState, int, int) {
    second->SetHint(L"多选题");
    second->SetShowHint(true);
  });
  Application->SetHintPause(50);
  form->Show();
  PumpFor(30);
  const TPoint over = ScreenCentre(first);
  ::SetCursorPos(over.X, over.Y);
  ::PostMessageW(first->GetHandle(), WM_MOUSEMOVE, 0, PointToLParam(first->ScreenToClient(over)));
  const bool firstShown = PumpUntil(HintWindowShows);
  Application->SetHintPause(5000);  // only the short pause (0) may show the next one
  ASSERT_TRUE(firstShown);
  const TPoint next = ScreenCentre(second);
  ::SetCursorPos(next.X, next.Y);
  ::PostMessageW(second->GetHandle(), WM_MOUSEMOVE, 0, PointToLParam(second->ScreenToClient(next)));
  const bool followed = PumpUntil([] {
    return HintWindowShows() && Application->GetHintWindow()->GetCaption() == L"多选题";
  }, 1500);
  Application->SetHintPause(500);
  EXPECT_TRUE(followed);
  Application->CancelHint();
  ::SetCursorPos(1000, 740);
  PumpFor(20);
}

namespace {

// The first and last rows (from the top) of the area that hold a pixel other than the
// background; {-1, -1} when none does.
std::pair<int, int> InkRows(const MemorySurface& surface, const TRect& area, TColor background) {
  std::pair<int, int> rows{-1, -1};
  for (int y = area.Top; y < area.Bottom; ++y)
    for (int x = area.Left; x < area.Right; ++x)
      if (!(surface.At(x, y) == background)) {
        if (rows.first < 0) rows.first = y;
        rows.second = y;
        break;
      }
  return rows;
}

}  // namespace

// A hint shows its whole text inside its one-pixel border with as many blank rows above it as
// below: the window as the screen shows it, against the same text drawn alone in the hint
// font. The bottom row of the second line holds ink (the lowest strokes of the characters).
TEST(ApplicationTest, AHintShowsItsWholeTextWithTheSameMarginAboveAndBelow) {
  std::unique_ptr<THintWindow> hint(new THintWindow(nullptr));
  const String text = L"选择一个选项作为正确答案\n正（g）";
  TRect bounds = hint->CalcHintRect(400, text, nullptr);
  RECT measured{0, 0, 400, 0};
  {
    MemorySurface probe(1, 1);
    probe.Canvas.SetFont(Screen->GetHintFont());
    ::DrawTextW(probe.Canvas.GetHandle(), text.c_str(), static_cast<int>(text.size()), &measured,
                DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  }
  const int textHeight = measured.bottom;
  // The text alone, black on white.
  MemorySurface alone(measured.right, textHeight, clWhite);
  alone.Canvas.SetFont(Screen->GetHintFont());
  alone.Canvas.GetFont()->SetColor(clBlack);
  const HDC dc = alone.Canvas.GetHandle();  // with the font selected
  ::SetBkMode(dc, TRANSPARENT);
  RECT all = measured;
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &all, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  const auto [aloneTop, aloneBottom] = InkRows(alone, TRect(0, 0, alone.Width(), alone.Height()), clWhite);
  ASSERT_GE(aloneTop, 0);
  // The window on the screen.
  OffsetRect(bounds, 200, 200);
  hint->ActivateHint(bounds, text);
  ::UpdateWindow(hint->GetHandle());
  PumpFor(50);
  RECT window{};
  ::GetWindowRect(hint->GetHandle(), &window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  ASSERT_EQ(height, bounds.Height());
  MemorySurface shown(width, height);
  const HDC screen = ::GetDC(nullptr);
  ::BitBlt(shown.DC(), 0, 0, width, height, screen, window.left, window.top, SRCCOPY);
  ::ReleaseDC(nullptr, screen);
  SaveWindowScreenshot(hint->GetHandle(), L"hint_window");
  const TColor background = shown.At(1, 1);  // inside the border, in the margin
  const auto [shownTop, shownBottom] = InkRows(shown, TRect(1, 1, width - 1, height - 1), background);
  ASSERT_GE(shownTop, 0);
  EXPECT_EQ(shownBottom - shownTop, aloneBottom - aloneTop) << "no row of the text is cut";
  const int textTop = shownTop - aloneTop;  // where the text's first row shows
  const int above = textTop - 1;            // blank rows under the top border
  const int below = (height - 1) - (textTop + textHeight);
  EXPECT_EQ(above, below);
  EXPECT_GE(below, 1);
}

// ---- Terminate ---------------------------------------------------------------------------------------

TEST(ApplicationTest, TerminateFromANestedModalLoopEndsEveryLoop) {
  EXPECT_EQ(PlayScenario(L"terminate"), 0u);
}

TEST(ApplicationTest, ClosingTheMainFormTerminates) { EXPECT_EQ(PlayScenario(L"closemain"), 0u); }

}  // namespace
