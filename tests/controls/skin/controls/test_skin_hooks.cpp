// Window hooks on real windows: order and Handled, a window made again, the window procedure
// back after the last hook, a hook that removes itself, a foreign subclass above ours, the
// hooked control freed first, an exception inside a hook; the message component's global
// instance, factories and layout; leak probes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/stdctrls/Edits.h"
#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/controls/SkinButton.h"
#include "controls/skin/controls/SkinEdit.h"
#include "controls/skin/controls/SkinHooks.h"
#include "controls/skin/form/SkinForm.h"
#include "controls/skin/form/SkinMessage.h"

using namespace skin_tests;

namespace {

constexpr UINT Probe = WM_APP + 17;

// A hook that logs what it sees under its name; it handles Probe when told to.
class TLogHook : public TSeHook {
  CLASSLIB_CLASS(TLogHook, TSeHook)
  TLogHook(TComponent* owner, std::string name, std::vector<std::string>& log)
      : TSeHook(owner), Name(std::move(name)), Log(log) {}
  std::string Name;
  std::vector<std::string>& Log;
  bool Handle = false;
  std::function<void()> OnProbe;

  void AfterMessage(TMessage& message, bool& handled) override {
    if (message.Msg == Probe || message.Msg == WM_GETTEXTLENGTH) Log.push_back(Name + ".after");
  }

 protected:
  void Dispatch(TMessage& message) override {
    if (message.Msg != Probe && message.Msg != WM_GETTEXTLENGTH) return;
    Log.push_back(Name + ".before");
    if (OnProbe) OnProbe();
    if (Handle) {
      message.Result = 99;
      MessageHandled();
    }
  }
};

class SkinHookTest : public SkinFormTest {
 protected:
  void SetUp() override {
    SkinFormTest::SetUp();
    Form->SetCaption(L"窗体");
    ShowForm();
    Original = ::GetWindowLongPtrW(Form->GetHandle(), GWLP_WNDPROC);
  }
  void TearDown() override {
    SkinFormTest::TearDown();
    Pump();
  }
  TLogHook* Hook(const char* name, TWinControl* control) {
    auto* hook = new TLogHook(nullptr, name, Log);
    hook->SetControl(control);
    return hook;
  }
  LRESULT TextLength() { return ::SendMessageW(Form->GetHandle(), WM_GETTEXTLENGTH, 0, 0); }
  std::vector<std::string> Log;
  LONG_PTR Original = 0;
};

TEST_F(SkinHookTest, LaterHooksFirstHandledStopsTheRestAndAWindowMadeAgainKeepsThem) {
  TLogHook* first = Hook("a", Form);
  TLogHook* second = Hook("b", Form);
  EXPECT_EQ(TextLength(), 2);  // the form's own procedure answered
  EXPECT_EQ(Log, (std::vector<std::string>{"b.before", "a.before", "b.after", "a.after"}));
  Log.clear();
  second->Handle = true;
  EXPECT_EQ(TextLength(), 99);
  EXPECT_EQ(Log, std::vector<std::string>{"b.before"});
  // The window made again: the hooks are back once the posted message is taken.
  Form->RecreateWnd();
  Pump();
  Log.clear();
  EXPECT_EQ(TextLength(), 99);
  EXPECT_EQ(Log, std::vector<std::string>{"b.before"});
  // The last hook gone: the form's procedure is its own again and the record is freed.
  delete second;
  delete first;
  EXPECT_EQ(::GetWindowLongPtrW(Form->GetHandle(), GWLP_WNDPROC), Original);
  Pump();
  EXPECT_EQ(GetHookList()->FindHook(Form), nullptr);
  Log.clear();
  EXPECT_EQ(TextLength(), 2);
  EXPECT_TRUE(Log.empty());
}

TEST_F(SkinHookTest, HooksThatGoDuringAMessageAndAnExceptionInsideOne) {
  TLogHook* first = Hook("a", Form);
  TLogHook* second = Hook("b", Form);
  TLogHook* third = Hook("c", Form);
  // c frees b and itself goes inactive in the middle of the walk; a still runs.
  third->OnProbe = [&] {
    delete second;
    third->SetActive(false);
  };
  EXPECT_EQ(TextLength(), 2);
  EXPECT_EQ(Log, (std::vector<std::string>{"c.before", "a.before", "a.after"}));
  // A throwing hook: the exception reaches the application's handler, the message goes on.
  control_tests::ExceptionRecorder recorder;
  first->OnProbe = [] { throw EInvalidOperation(L"钩子出错"); };
  Log.clear();
  EXPECT_EQ(TextLength(), 2);
  ASSERT_EQ(recorder.Messages.size(), 1u);
  EXPECT_EQ(recorder.Messages[0], L"钩子出错");
  EXPECT_EQ(recorder.Senders[0], first);
  delete third;
  delete first;
  EXPECT_EQ(::GetWindowLongPtrW(Form->GetHandle(), GWLP_WNDPROC), Original);
}

// A subclass of someone else's, put above ours.
WNDPROC ForeignPrevious = nullptr;
int ForeignCalls = 0;
LRESULT CALLBACK ForeignProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_GETTEXTLENGTH) ++ForeignCalls;
  return ::CallWindowProcW(ForeignPrevious, wnd, msg, wParam, lParam);
}

TEST_F(SkinHookTest, AForeignSubclassAboveOursKeepsAPassThroughUntilTheWindowEnds) {
  auto* edit = new TEdit(Form);
  edit->SetParent(Form);
  edit->SetText(L"四个字符");
  HWND wnd = edit->GetHandle();
  TLogHook* hook = Hook("a", edit);
  ForeignPrevious = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignProc)));
  ForeignCalls = 0;
  delete hook;  // cannot come out of the chain: passes messages on
  Pump();
  Log.clear();
  EXPECT_EQ(::SendMessageW(wnd, WM_GETTEXTLENGTH, 0, 0), 4);
  EXPECT_EQ(ForeignCalls, 1);
  EXPECT_TRUE(Log.empty());
  // A new hook takes the pass-through back instead of subclassing twice.
  hook = Hook("b", edit);
  EXPECT_EQ(::SendMessageW(wnd, WM_GETTEXTLENGTH, 0, 0), 4);
  EXPECT_EQ(Log, (std::vector<std::string>{"b.before", "b.after"}));
  delete hook;
  // The window ends with the foreign subclass on top: nothing calls into freed memory.
  delete edit;
  Pump();
  EXPECT_EQ(TextLength(), 2);
}

TEST_F(SkinHookTest, AHookedControlFreedFirstLetsItsHooksGo) {
  auto* edit = new TEdit(Form);
  edit->SetParent(Form);
  TLogHook* hook = Hook("a", edit);
  hook->Handle = true;
  EXPECT_EQ(::SendMessageW(edit->GetHandle(), WM_GETTEXTLENGTH, 0, 0), 99);
  delete edit;
  EXPECT_EQ(hook->GetControl(), nullptr);
  EXPECT_TRUE(hook->GetActive());
  Pump();
  EXPECT_EQ(GetHookList()->FindHook(edit), nullptr);
  // Pointed at a control again, it hooks it.
  hook->SetControl(Form);
  EXPECT_EQ(TextLength(), 99);
  delete hook;
  EXPECT_EQ(::GetWindowLongPtrW(Form->GetHandle(), GWLP_WNDPROC), Original);
}

TEST_F(SkinHookTest, FreeingTheListUninstallsFirstAndAThousandCyclesLeakNothing) {
  TLogHook* hook = Hook("a", Form);
  FreeHookList();
  EXPECT_EQ(::GetWindowLongPtrW(Form->GetHandle(), GWLP_WNDPROC), Original);
  EXPECT_EQ(TextLength(), 2);
  delete hook;  // its record went with the list
  ExpectNoLeaks([&] {
    auto* edit = new TEdit(Form);
    edit->SetParent(Form);
    TLogHook* h = Hook("b", edit);
    ::SendMessageW(edit->GetHandle(), WM_GETTEXTLENGTH, 0, 0);
    edit->RecreateWnd();
    delete edit;
    delete h;
    Pump();
  });
  EXPECT_EQ(GetHookList()->GetCount(), 0);
  // Hooks made and freed while the form lives on: each record goes with its last hook.
  for (int i = 0; i < 50; ++i) delete Hook("c", Form);
  Pump();
  EXPECT_EQ(GetHookList()->GetCount(), 0);
  EXPECT_EQ(::GetWindowLongPtrW(Form->GetHandle(), GWLP_WNDPROC), Original);
}

// Whether the application held the global message component before the first test ran,
// before anything asked for it: the component is made while the program starts.
bool& MessageComponentAtStart() {
  static bool held = false;
  return held;
}

class TStartUpProbe : public ::testing::Environment {
 public:
  void SetUp() override {
    for (int i = 0; Application && i < Application->GetComponentCount(); ++i)
      if (dynamic_cast<TSeCustomMessage*>(Application->GetComponent(i)))
        MessageComponentAtStart() = true;
  }
};
::testing::Environment* const gStartUpProbe = ::testing::AddGlobalTestEnvironment(new TStartUpProbe);

TEST_F(SkinHookTest, TheGlobalMessageComponentAndItsParts) {
  EXPECT_TRUE(MessageComponentAtStart());
  ASSERT_NE(SeGlobalMessage(), nullptr);
  auto* owner = new TComponent(nullptr);
  auto* a = new TSeCustomMessage(owner);
  auto* b = new TSeCustomMessage(owner);
  a->SetGlobal(true);
  EXPECT_EQ(SeGlobalMessage(), a);
  a->SetGlobal(false);  // leaves it global
  EXPECT_EQ(SeGlobalMessage(), a);
  a->SetGlobal(true);   // already global: not freed
  EXPECT_EQ(SeGlobalMessage(), a);
  b->SetGlobal(true);   // the previous one is freed
  EXPECT_EQ(SeGlobalMessage(), b);
  EXPECT_EQ(owner->GetComponentCount(), 1);
  delete owner;
  EXPECT_NE(SeGlobalMessage(), nullptr);  // made again on use

  TSeCustomMessage message(nullptr);
  EXPECT_EQ(message.GetPosition(), poScreenCenter);
  EXPECT_EQ(message.GetBorderIcons(), (TSeBorderIcons{vbiClose, vbiSystemMenu}));
  std::unique_ptr<TSeCustomButton> button(message.CreateButton(nullptr));
  EXPECT_NE(button, nullptr);
  std::unique_ptr<TWinControl> edit(message.CreateEdit(nullptr));
  EXPECT_NE(dynamic_cast<TSeCustomEdit*>(edit.get()), nullptr);
  std::unique_ptr<TSeHook> formHook(message.CreateFormHook(nullptr));
  EXPECT_NE(dynamic_cast<TSeCustomForm*>(formHook.get()), nullptr);
  // Layouts keep every property, with Chinese text in the fonts' names.
  RegisterSkinClasses();
  message.SetName(L"Msg");
  message.SetShowButtonGlyph(false);
  message.SetPosition(poDesktopCenter);
  message.SetBorderIcons(TSeBorderIcons{vbiClose, vbiTray});
  message.GetMessageFont()->SetName(L"宋体");
  message.GetButtonFont()->SetSize(14);
  message.SetShowHints(true);
  message.GetAnimation()->SetTime(700);
  const String text = ComponentToText(&message);
  TSeCustomMessage copy(nullptr);
  TStringStream stream(text);
  ReadComponentFromStream(stream, &copy);
  EXPECT_FALSE(copy.GetShowButtonGlyph());
  EXPECT_EQ(copy.GetPosition(), poDesktopCenter);
  EXPECT_EQ(copy.GetBorderIcons(), (TSeBorderIcons{vbiClose, vbiTray}));
  EXPECT_EQ(copy.GetMessageFont()->GetName(), L"宋体");
  EXPECT_EQ(copy.GetButtonFont()->GetSize(), 14);
  EXPECT_TRUE(copy.GetShowHints());
  EXPECT_EQ(copy.GetAnimation()->GetTime(), 700);
  // The status font is the system's, read through the wide call.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0));
  EXPECT_EQ(SeStatusFont()->GetName(), String(metrics.lfStatusFont.lfFaceName));
}

}  // namespace
