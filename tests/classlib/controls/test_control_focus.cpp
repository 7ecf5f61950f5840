// Focus and keys: tab order, SelectNext, CM_ENTER/CM_EXIT along the way, and the dialog
// keys and characters a key message turns into (CN_KEYDOWN -> CM_DIALOGKEY, CN_CHAR ->
// CM_DIALOGCHAR with IsAccel).
#include <gtest/gtest.h>

#include "ControlTestSupport.h"

using namespace control_tests;

namespace {

class ControlFocus : public ::testing::Test {
 protected:
  void SetUp() override {
    Host = std::make_unique<TTestHost>();
    A = MakeEdit(Host.get(), L"A", 10);
    B = MakeEdit(Host.get(), L"B", 40);
    Box = new TLogWindow(Host.get(), Host.get(), Bounds(10, 100, 200, 100));
    Box->SetName(L"Box");
    C = MakeEdit(Box, L"C", 10);
    D = MakeEdit(Box, L"D", 40);
    Host->ShowHost();
    ::SetForegroundWindow(Host->GetHandle());
  }

  TLogWindow* MakeEdit(TWinControl* parent, const String& name, int top) {
    auto* edit = new TLogWindow(Host.get(), parent, Bounds(10, top, 80, 20));
    edit->SetName(name);
    edit->SetTabStop(true);
    edit->SetOnEnter([this, name](TObject*) { Trail += L"+" + name; });
    edit->SetOnExit([this, name](TObject*) { Trail += L"-" + name; });
    return edit;
  }

  // The name of the control that has the focus.
  String FocusedName() const {
    TWinControl* focused = FindControl(::GetFocus());
    return focused ? focused->GetName() : L"(none)";
  }

  void PressKey(TWinControl* control, WORD key) {
    ::SendMessageW(control->GetHandle(), CN_KEYDOWN, key, 0);
  }

  std::unique_ptr<TTestHost> Host;
  TLogWindow *A = nullptr, *B = nullptr, *C = nullptr, *D = nullptr, *Box = nullptr;
  String Trail;
};

}  // namespace

TEST_F(ControlFocus, TabOrderIsTheOrderOfInsertionUntilChanged) {
  EXPECT_EQ(A->GetTabOrder(), 0);
  EXPECT_EQ(B->GetTabOrder(), 1);
  EXPECT_EQ(Box->GetTabOrder(), 2);
  EXPECT_EQ(C->GetTabOrder(), 0);
  B->SetTabOrder(0);
  EXPECT_EQ(A->GetTabOrder(), 1);
  EXPECT_EQ(B->GetTabOrder(), 0);
  Box->SetTabOrder(99);  // clamped to the list
  EXPECT_EQ(Box->GetTabOrder(), 2);
  std::vector<TWinControl*> list;
  Host->GetTabOrderList(list);
  EXPECT_EQ(list, (std::vector<TWinControl*>{B, A, Box, C, D}));
}

TEST_F(ControlFocus, SelectNextWalksTheTabOrderAndSendsEnterAndExit) {
  A->SetFocus();
  EXPECT_EQ(FocusedName(), L"A");
  EXPECT_EQ(Trail, L"+A");
  Host->SelectNext(A, true, true);
  EXPECT_EQ(FocusedName(), L"B");
  // Box has no TabStop: the next stop is C inside it; Box is entered on the way.
  Host->SelectNext(B, true, true);
  EXPECT_EQ(FocusedName(), L"C");
  Host->SelectNext(C, true, true);
  EXPECT_EQ(FocusedName(), L"D");
  Host->SelectNext(D, true, true);  // wraps round
  EXPECT_EQ(FocusedName(), L"A");
  EXPECT_EQ(Trail, L"+A-A+B-B+C-C+D-D+A");
  EXPECT_EQ(Host->GetFocusedControl(), A);
  Host->SelectNext(A, false, true);
  EXPECT_EQ(FocusedName(), L"D");

  // A disabled or hidden control is skipped.
  A->SetEnabled(false);
  B->SetVisible(false);
  Host->SelectNext(D, true, true);
  EXPECT_EQ(FocusedName(), L"C");
  EXPECT_FALSE(A->CanFocus());
  EXPECT_THROW(A->SetFocus(), EInvalidOperation);
}

TEST_F(ControlFocus, EnterAndExitNameTheContainersCrossed) {
  std::vector<String> boxEvents;
  Box->SetOnEnter([&](TObject*) { boxEvents.push_back(L"enter"); });
  Box->SetOnExit([&](TObject*) { boxEvents.push_back(L"exit"); });
  A->SetFocus();
  D->SetFocus();
  C->SetFocus();  // within the box: the box is not left
  B->SetFocus();
  EXPECT_EQ(boxEvents, (std::vector<String>{L"enter", L"exit"}));
  EXPECT_EQ(Trail, L"+A-A+D-D+C-C+B");
  // The root heard of every change.
  EXPECT_GE(Host->Log.Count(CM_FOCUSCHANGED), 4);
  EXPECT_EQ(Host->Log.Last(CM_FOCUSCHANGED)->LParam, reinterpret_cast<LPARAM>(B));
}

TEST_F(ControlFocus, TabAndArrowKeysMoveTheFocusThroughTheDialogKeys) {
  A->SetFocus();
  PressKey(A, VK_TAB);
  EXPECT_EQ(FocusedName(), L"B");
  EXPECT_EQ(Host->Log.Count(CM_DIALOGKEY), 1);
  // Arrows move among the siblings of the focused control, stops or not.
  C->SetFocus();
  PressKey(C, VK_DOWN);
  EXPECT_EQ(FocusedName(), L"D");
  PressKey(D, VK_UP);
  EXPECT_EQ(FocusedName(), L"C");
  // A key the control does not ask for as a dialog key stays with the control.
  A->SetFocus();
  const int dialogKeys = Host->Log.Count(CM_DIALOGKEY);
  PressKey(A, 'X');
  EXPECT_EQ(Host->Log.Count(CM_DIALOGKEY), dialogKeys);
  EXPECT_EQ(FocusedName(), L"A");
}

TEST_F(ControlFocus, EnterIsOfferedToTheChildrenAsADialogKey) {
  D->DialogKey = VK_RETURN;  // D acts as a default button
  A->SetFocus();
  EXPECT_EQ(::SendMessageW(A->GetHandle(), CN_KEYDOWN, VK_RETURN, 0), 1);
  EXPECT_EQ(D->DialogKeys, 1);
  EXPECT_EQ(FocusedName(), L"A");
  // Nobody takes Escape: the key goes on to the control.
  EXPECT_EQ(::SendMessageW(A->GetHandle(), CN_KEYDOWN, VK_ESCAPE, 0), 0);
  // A control that wants the key keeps it from the dialog.
  class TWantsReturn : public TLogWindow {
   public:
    using TLogWindow::TLogWindow;
   protected:
    void Dispatch(TMessage& message) override {
      if (message.Msg == CM_WANTSPECIALKEY && message.WParam == VK_RETURN) {
        message.Result = 1;
        return;
      }
      TLogWindow::Dispatch(message);
    }
  };
  auto* memo = new TWantsReturn(Host.get(), Host.get(), Bounds(250, 10, 50, 50));
  EXPECT_EQ(::SendMessageW(memo->GetHandle(), CN_KEYDOWN, VK_RETURN, 0), 0);
  EXPECT_EQ(D->DialogKeys, 1);
}

TEST_F(ControlFocus, CharactersReachTheControlWhoseAcceleratorTheyAre) {
  B->SetCaption(L"&Save");
  C->SetCaption(L"Pr&int");
  A->SetFocus();
  EXPECT_EQ(::SendMessageW(A->GetHandle(), CN_CHAR, L'i', 0), 1);
  EXPECT_EQ(C->Accelerated, 1);  // found inside the box too
  EXPECT_EQ(B->Accelerated, 0);
  EXPECT_EQ(::SendMessageW(A->GetHandle(), CN_SYSCHAR, L'S', 0x20000000), 1);
  EXPECT_EQ(B->Accelerated, 1);
  EXPECT_EQ(::SendMessageW(A->GetHandle(), CN_CHAR, L'q', 0), 0);
}

TEST(ControlKeys, IsAccelFindsTheAmpersandCharacter) {
  EXPECT_TRUE(IsAccel('S', L"&Save"));
  EXPECT_TRUE(IsAccel('s', L"&Save"));
  EXPECT_TRUE(IsAccel('P', L"a&pply"));
  EXPECT_FALSE(IsAccel('A', L"a&pply"));
  EXPECT_FALSE(IsAccel('S', L"&&Save"));   // a literal ampersand
  EXPECT_TRUE(IsAccel('V', L"&&Sa&ve"));
  EXPECT_FALSE(IsAccel('S', L"Save&"));
  EXPECT_FALSE(IsAccel('S', L""));
  EXPECT_EQ(GetHotkey(L"文件(&F)"), L"F");
  EXPECT_EQ(GetShortHint(L"Open|Opens a file"), L"Open");
  EXPECT_EQ(GetLongHint(L"Open|Opens a file"), L"Opens a file");
  EXPECT_EQ(GetLongHint(L"Open"), L"Open");
}

TEST_F(ControlFocus, KeyEventsSeeAndMayEatTheKeys) {
  std::vector<WORD> keys;
  A->SetOnKeyDown([&](TObject*, WORD& key, TShiftState) {
    keys.push_back(key);
    if (key == 'Z') key = 0;  // eaten
  });
  A->SetFocus();
  ::SendMessageW(A->GetHandle(), WM_KEYDOWN, 'Q', 0);
  ::SendMessageW(A->GetHandle(), WM_KEYDOWN, 'Z', 0);
  EXPECT_EQ(keys, (std::vector<WORD>{'Q', 'Z'}));
  std::vector<wchar_t> chars;
  A->SetOnKeyPress([&](TObject*, wchar_t& key) { chars.push_back(key); });
  ::SendMessageW(A->GetHandle(), WM_CHAR, L'x', 0);
  EXPECT_EQ(chars, (std::vector<wchar_t>{L'x'}));
}
