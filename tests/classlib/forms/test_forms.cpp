// TCustomForm outside modal loops (closing with each close action, creation through the
// application, positions, window states, scaling, MDI children), TScreen's lists, TTimer
// and TDataModule. (A form opened and closed many times is in test_layout.cpp.)
#include <memory>

#include "FormsTestSupport.h"
#include "classlib/forms/DataModule.h"
#include "classlib/forms/Timer.h"
#include "classlib/graphics/MemorySurface.h"

using namespace forms_tests;

namespace {

bool Contains(const std::vector<TCustomForm*>& list, TCustomForm* form) {
  return std::find(list.begin(), list.end(), form) != list.end();
}

std::vector<TCustomForm*> ScreenForms() {
  std::vector<TCustomForm*> forms;
  for (int i = 0; i < Screen->GetFormCount(); ++i) forms.push_back(Screen->GetForms(i));
  return forms;
}

// ---- Closing ---------------------------------------------------------------------------------------

TEST(CustomFormTest, CloseHidesByDefaultAndOnCloseDecides) {
  TForm* form = TCustomForm::Create<TForm>(nullptr);
  bool destroyed = false;
  form->SetOnDestroy([&](TObject*) { destroyed = true; });
  TCloseAction action = caHide;
  bool allow = true;
  form->SetOnCloseQuery([&](TObject*, bool& canClose) { canClose = allow; });
  form->SetOnClose([&](TObject*, TCloseAction& a) {
    EXPECT_EQ(a, caHide);  // what a plain form proposes
    a = action;
  });

  form->Show();
  allow = false;
  ::SendMessageW(form->GetHandle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(form->GetVisible());  // OnCloseQuery refused
  allow = true;

  action = caNone;
  form->Close();
  EXPECT_TRUE(form->GetVisible());

  action = caHide;
  ::SendMessageW(form->GetHandle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form->GetVisible());
  EXPECT_FALSE(::IsWindowVisible(form->GetHandle()));

  form->Show();
  action = caMinimize;
  form->Close();
  EXPECT_EQ(form->GetWindowState(), wsMinimized);
  EXPECT_TRUE(::IsIconic(form->GetHandle()));

  action = caFree;
  form->Close();
  EXPECT_FALSE(destroyed);  // released: freed once the queue reaches it
  EXPECT_TRUE(PumpUntil([&] { return destroyed; }));
}

TEST(CustomFormTest, WindowStateFollowsTheWindow) {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  form->Show();
  form->SetWindowState(wsMaximized);
  EXPECT_TRUE(::IsZoomed(form->GetHandle()));
  form->SetWindowState(wsNormal);
  EXPECT_FALSE(::IsZoomed(form->GetHandle()));
  ::ShowWindow(form->GetHandle(), SW_MINIMIZE);  // the user minimizes it
  EXPECT_EQ(form->GetWindowState(), wsMinimized);
}

TEST(CustomFormTest, VisibleCannotChangeInOnShow) {
  TExceptionRecorder recorder;
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  form->SetOnShow([&](TObject*) { form->Hide(); });
  form->Show();  // what OnShow raises is reported, and showing goes on
  ASSERT_EQ(recorder.Messages.size(), 1u);
  EXPECT_EQ(recorder.Messages[0], L"Cannot change Visible in OnShow or OnHide");
  EXPECT_TRUE(::IsWindowVisible(form->GetHandle()));
}

TEST(CustomFormTest, BorderStyleAndIconsMakeTheWindowStyle) {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  EXPECT_TRUE(::GetWindowLongW(form->GetHandle(), GWL_STYLE) & WS_THICKFRAME);
  form->SetCaption(L"题库");
  form->SetBorderStyle(bsDialog);
  const HWND wnd = form->GetHandle();
  const LONG style = ::GetWindowLongW(wnd, GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(::GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  EXPECT_EQ(form->GetCaption(), L"题库");  // kept across the new window
  form->SetBorderIcons(TBorderIcons{});
  EXPECT_FALSE(::GetWindowLongW(form->GetHandle(), GWL_STYLE) & WS_SYSMENU);
  form->SetFormStyle(fsStayOnTop);
  EXPECT_TRUE(::GetWindowLongW(form->GetHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST(CustomFormTest, ScreenCenterPlacesTheFormInTheMiddleOnFirstShow) {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  form->SetBounds(0, 0, 400, 300);
  form->SetPosition(poScreenCenter);
  form->Show();
  EXPECT_EQ(form->GetLeft(), (Screen->GetWidth() - 400) / 2);
  EXPECT_EQ(form->GetTop(), (Screen->GetHeight() - 300) / 2);
  RECT r{};
  ::GetWindowRect(form->GetHandle(), &r);
  EXPECT_EQ(r.left, form->GetLeft());
  form->Hide();
  form->SetLeft(10);
  form->Show();
  EXPECT_EQ(form->GetLeft(), 10);  // centred once only
}

TEST(CustomFormTest, ScaleByScalesChildrenAndClientSizeButKeepsThePosition) {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  form->SetBounds(30, 40, 300, 200);
  form->SetClientWidth(200);
  form->SetClientHeight(100);
  auto* button = new TTestButton(form.get(), Bounds(10, 20, 40, 30));
  form->ScaleBy(3, 2);
  EXPECT_EQ(form->GetLeft(), 30);
  EXPECT_EQ(form->GetTop(), 40);
  EXPECT_EQ(form->GetClientWidth(), 300);
  EXPECT_EQ(form->GetClientHeight(), 150);
  EXPECT_EQ(button->GetBoundsRect(), Bounds(15, 30, 60, 45));
}

TEST(CustomFormTest, OnPaintDrawsOnTheFormsCanvas) {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  form->SetBounds(100, 100, 200, 150);
  form->SetOnPaint([&](TObject*) {
    form->GetCanvas()->GetBrush()->SetColor(clRed);
    form->GetCanvas()->FillRect(Rect(0, 0, 20, 20));
  });
  form->HandleNeeded();
  MemorySurface surface(50, 50);
  form->Perform(WM_PAINT, reinterpret_cast<WPARAM>(surface.DC()), 0);
  EXPECT_EQ(surface.At(5, 5), clRed);
  EXPECT_NE(surface.At(30, 30), clRed);
}

// ---- Creation through the application ------------------------------------------------------------------

class TStoredForm : public TForm {
  CLASSLIB_CLASS(TStoredForm, TForm)
  explicit TStoredForm(TComponent* owner) : TForm(owner) {
    SetOnCreate([this](TObject*) { CreatedWithReference = Self && *Self == this; });
  }
  static TStoredForm** Self;
  bool CreatedWithReference = false;
};
TStoredForm** TStoredForm::Self = nullptr;

TEST(CustomFormTest, CreateFormStoresTheReferenceBeforeOnCreate) {
  // The main form is set by the first CreateForm of a form; this test puts it back.
  ASSERT_EQ(Application->GetMainForm(), nullptr);
  TStoredForm* form = nullptr;
  TStoredForm::Self = &form;
  Application->CreateForm(form);
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(form->CreatedWithReference);
  EXPECT_EQ(form->GetOwner(), Application);
  EXPECT_EQ(Application->GetMainForm(), form);
  EXPECT_TRUE(::GetWindowLongW(form->GetHandle(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
  delete form;
  EXPECT_EQ(Application->GetMainForm(), nullptr);
}

TEST(CustomFormTest, DataModuleEventsAndScreenList) {
  const int before = Screen->GetDataModuleCount();
  std::vector<std::string> events;
  class TMyModule : public TDataModule {
   public:
    TMyModule(TComponent* owner, std::vector<std::string>& events) : TDataModule(owner) {
      SetOnCreate([&events](TObject*) { events.push_back("create"); });
      SetOnDestroy([&events](TObject*) { events.push_back("destroy"); });
    }
  };
  auto* module = new TMyModule(nullptr, events);
  module->AfterConstruction();
  module->AfterConstruction();  // once only
  EXPECT_EQ(Screen->GetDataModuleCount(), before + 1);
  EXPECT_EQ(Screen->GetDataModules(before), module);
  delete module;
  EXPECT_EQ(events, (std::vector<std::string>{"create", "destroy"}));
  EXPECT_EQ(Screen->GetDataModuleCount(), before);
}

TEST(CustomFormTest, ExceptionInOnCreateIsReportedAndTheFormExists) {
  TExceptionRecorder recorder;
  class TFailingForm : public TForm {
   public:
    explicit TFailingForm(TComponent* owner) : TForm(owner) {
      SetOnCreate([](TObject*) { throw Exception(L"create failed"); });
    }
  };
  std::unique_ptr<TFailingForm> form(TCustomForm::Create<TFailingForm>(nullptr));
  ASSERT_EQ(recorder.Messages.size(), 1u);
  EXPECT_EQ(recorder.Messages[0], L"create failed");
  EXPECT_EQ(recorder.Senders[0], form.get());
}

// ---- Screen -------------------------------------------------------------------------------------------

TEST(ScreenTest, FormsAreListedWhileTheyExist) {
  const int before = Screen->GetFormCount();
  TForm* a = TCustomForm::Create<TForm>(nullptr);
  TForm* b = TCustomForm::Create<TForm>(Application);
  EXPECT_EQ(Screen->GetFormCount(), before + 2);
  EXPECT_TRUE(Contains(ScreenForms(), a));
  EXPECT_TRUE(Contains(ScreenForms(), b));
  EXPECT_EQ(Screen->GetForms(-1), nullptr);
  EXPECT_EQ(Screen->GetForms(Screen->GetFormCount()), nullptr);
  delete a;
  EXPECT_FALSE(Contains(ScreenForms(), a));
  delete b;
  EXPECT_EQ(Screen->GetFormCount(), before);
}

TEST(ScreenTest, ActiveFormFollowsTheFocus) {
  std::unique_ptr<TForm> a(TCustomForm::Create<TForm>(nullptr));
  std::unique_ptr<TForm> b(TCustomForm::Create<TForm>(nullptr));
  a->SetBounds(10, 10, 200, 100);
  b->SetBounds(300, 10, 200, 100);
  int formChanges = 0;
  Screen->SetOnActiveFormChange([&](TObject*) { ++formChanges; });
  std::vector<std::string> events;
  a->SetOnActivate([&](TObject*) { events.push_back("a+"); });
  a->SetOnDeactivate([&](TObject*) { events.push_back("a-"); });
  b->SetOnActivate([&](TObject*) { events.push_back("b+"); });
  a->Show();
  ASSERT_TRUE(PumpUntil([&] { return Screen->GetActiveForm() == a.get(); }));
  b->Show();
  ASSERT_TRUE(PumpUntil([&] { return Screen->GetActiveForm() == b.get(); }));
  EXPECT_TRUE(b->GetActive());
  EXPECT_FALSE(a->GetActive());
  EXPECT_EQ(Screen->GetForms(0), b.get());  // the active form comes first
  EXPECT_EQ(events, (std::vector<std::string>{"a+", "a-", "b+"}));
  EXPECT_GE(formChanges, 2);
  Screen->SetOnActiveFormChange(nullptr);
}

TEST(ScreenTest, CursorsAndFonts) {
  EXPECT_EQ(Screen->GetCursors(crHourGlass), ::LoadCursorW(nullptr, IDC_WAIT));
  EXPECT_EQ(Screen->GetCursors(crNone), nullptr);
  HCURSOR custom = ::CreateCursor(::GetModuleHandleW(nullptr), 0, 0, 32, 32,
                                  std::vector<BYTE>(128, 0xFF).data(),
                                  std::vector<BYTE>(128, 0).data());
  ASSERT_TRUE(custom);
  Screen->SetCursors(5, custom);  // owned by the screen from now on
  EXPECT_EQ(Screen->GetCursors(5), custom);
  Screen->SetCursors(5, nullptr);
  EXPECT_EQ(Screen->GetCursors(5), ::LoadCursorW(nullptr, IDC_ARROW));
  TStrings* fonts = Screen->GetFonts();
  ASSERT_GT(fonts->GetCount(), 0);
  for (int i = 1; i < fonts->GetCount(); ++i)
    EXPECT_LE(AnsiCompareText(fonts->Get(i - 1), fonts->Get(i)), 0);
}

// ---- MDI ---------------------------------------------------------------------------------------------

TEST(CustomFormTest, MDIChildrenAreListedByTheFrame) {
  ASSERT_EQ(Application->GetMainForm(), nullptr);
  TForm* frame = nullptr;
  Application->CreateForm(frame);
  frame->SetFormStyle(fsMDIForm);
  frame->SetBounds(0, 0, 600, 400);
  frame->Show();
  ASSERT_NE(frame->GetClientHandle(), nullptr);
  auto child = [](int offset) {
    TForm* form = TCustomForm::Create<TForm>(nullptr);
    form->SetFormStyle(fsMDIChild);
    form->SetBounds(offset, offset, 200, 150);
    form->Show();
    return form;
  };
  TForm* one = child(10);
  TForm* two = child(40);
  PumpFor(20);
  EXPECT_EQ(::GetParent(one->GetHandle()), frame->GetClientHandle());
  EXPECT_EQ(frame->GetMDIChildCount(), 2);
  EXPECT_EQ(frame->GetActiveMDIChild(), two);
  frame->Next();
  EXPECT_EQ(frame->GetActiveMDIChild(), one);
  delete one;
  EXPECT_EQ(frame->GetMDIChildCount(), 1);
  EXPECT_EQ(frame->GetMDIChildren(0), two);
  delete two;
  delete frame;
  EXPECT_EQ(Application->GetMainForm(), nullptr);
  PumpFor(20);
}

// ---- TTimer -----------------------------------------------------------------------------------------

TEST(TimerTest, FiresWhileEnabledAndStops) {
  TTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(15);
  timer.SetOnTimer([&](TObject* sender) {
    EXPECT_EQ(sender, &timer);
    if (++ticks == 3) timer.SetEnabled(false);
  });
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));
  PumpFor(100);
  EXPECT_EQ(ticks, 3);
  timer.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 4; }));
  timer.SetInterval(0);  // an interval of 0 stops it too
  const int now = ticks;
  PumpFor(80);
  EXPECT_EQ(ticks, now);
}

BOOL CALLBACK CountUtilityWindow(HWND wnd, LPARAM counter) {
  wchar_t name[64] = {};
  ::GetClassNameW(wnd, name, 64);
  if (std::wstring(name) == L"ExamPrepUtilWindow") ++*reinterpret_cast<int*>(counter);
  return TRUE;
}

// The hidden windows of this thread's timers (and other utility windows).
int UtilityWindowCount() {
  int count = 0;
  ::EnumThreadWindows(::GetCurrentThreadId(), CountUtilityWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

// A timer that never runs (disabled, as stored layouts keep idle timers, or without a
// handler) makes no window; the first start makes one, which the timer frees.
TEST(TimerTest, MakesItsWindowOnlyWhenItFirstRuns) {
  const int before = UtilityWindowCount();
  {
    TTimer idle(nullptr);
    TTimer disabled(nullptr);
    disabled.SetEnabled(false);
    disabled.SetInterval(10);
    disabled.SetOnTimer([](TObject*) {});
    EXPECT_EQ(UtilityWindowCount(), before);
    int ticks = 0;
    disabled.SetOnTimer([&](TObject*) { ++ticks; });
    disabled.SetEnabled(true);
    EXPECT_EQ(UtilityWindowCount(), before + 1);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));
    disabled.SetEnabled(false);
    disabled.SetEnabled(true);  // started again on the same window
    EXPECT_EQ(UtilityWindowCount(), before + 1);
  }
  EXPECT_EQ(UtilityWindowCount(), before);
}

TEST(TimerTest, AHandlerMayFreeItsTimer) {
  auto* timer = new TTimer(nullptr);
  timer->SetInterval(10);
  bool fired = false;
  timer->SetOnTimer([&](TObject*) {
    fired = true;
    delete timer;
  });
  ASSERT_TRUE(PumpUntil([&] { return fired; }));
  PumpFor(40);
}

}  // namespace
