// Test support for the edits and lists: a form whose layout names handlers that count the
// events of edits, lists, combo boxes and scroll bars; typing, keys and clicks delivered as
// real messages through the application's message loop.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "classlib/classes/Layouts.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Streams.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/ComboBoxes.h"
#include "classlib/stdctrls/ListBoxes.h"
#include "classlib/stdctrls/ScrollBar.h"
#include "tests/classlib/stdctrls/StdCtrlsTestSupport.h"

#include <imm.h>  // after windows.h, which the headers above bring

namespace edit_tests {

using stdctrl_tests::KeyData;
using stdctrl_tests::Pump;
using stdctrl_tests::WindowText;

// The window typed keys go to: the one last focused or clicked by the helpers here. Keys are
// posted to it rather than to whatever has the focus, as other programs on the same Wine
// server may take the activation away for a moment.
inline HWND& KeyTargetRef() {
  static HWND target = nullptr;
  return target;
}
inline HWND KeyTarget() {
  const HWND target = KeyTargetRef();
  return target && ::IsWindow(target) ? target : ::GetFocus();
}

// Gives control the keyboard focus (the focus goes to the edit of a combo box) and makes it
// the target of typed keys. The activation may still be settling, so this tries again a
// few times; false when the focus did not come.
inline bool FocusOn(TWinControl* control) {
  const auto* combo = dynamic_cast<TCustomComboBox*>(control);
  for (int attempt = 0; attempt < 50; ++attempt) {
    control->SetFocus();
    Pump();
    KeyTargetRef() =
        combo && combo->GetEditHandle() ? combo->GetEditHandle() : control->GetHandle();
    const HWND focus = ::GetFocus();
    if (focus && (focus == control->GetHandle() || ::IsChild(control->GetHandle(), focus)))
      return true;
    ::Sleep(10);
  }
  return false;
}

// A key pressed and released on the key target, through the message loop (which also
// makes the characters of Backspace, Enter and Escape).
inline void PressKey(WORD vk) {
  const HWND target = KeyTarget();
  ASSERT_NE(target, nullptr);
  ::PostMessageW(target, WM_KEYDOWN, vk, KeyData(vk, false));
  ::PostMessageW(target, WM_KEYUP, vk, KeyData(vk, true));
  Pump();
}

// Characters typed into the key target, through the message loop.
inline void Type(const String& text) {
  const HWND target = KeyTarget();
  ASSERT_NE(target, nullptr);
  for (const wchar_t ch : text) ::PostMessageW(target, WM_CHAR, ch, 1);
  Pump();
}

// A left click at a client point of a window, as the system delivers it; the window becomes
// the key target.
inline void ClickWindow(HWND wnd, int x, int y, bool doubleClick = false) {
  KeyTargetRef() = wnd;
  const LPARAM at = MAKELPARAM(x, y);
  ::PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(wnd, WM_LBUTTONUP, 0, at);
  if (doubleClick) {
    ::PostMessageW(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ::PostMessageW(wnd, WM_LBUTTONUP, 0, at);
  }
  Pump();
}

// An input method's composition of text begun in wnd as the user would, and left unfinished:
// the window's input context opened and given the composition, and the messages it sends
// pumped. False when the input context refused a step.
inline bool StartComposition(HWND wnd, const String& text) {
  const HIMC context = ::ImmGetContext(wnd);
  if (!context) return false;
  ::ImmSetOpenStatus(context, TRUE);
  String composed = text;
  const BOOL set =
      ::ImmSetCompositionStringW(context, SCS_SETSTR, composed.data(),
                                 static_cast<DWORD>(composed.size() * sizeof(wchar_t)), nullptr, 0);
  ::ImmReleaseContext(wnd, context);
  Pump();
  return set != FALSE;
}

// The composition of text begun in wnd and then completed: the input context told to
// complete it, and the messages it sends pumped.
inline bool CompleteComposition(HWND wnd, const String& text) {
  if (!StartComposition(wnd, text)) return false;
  const HIMC context = ::ImmGetContext(wnd);
  if (!context) return false;
  const BOOL completed = ::ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
  ::ImmReleaseContext(wnd, context);
  Pump();
  return completed != FALSE;
}

// The selection of an edit window: (start, end).
inline std::pair<int, int> EditSelection(HWND wnd) {
  DWORD start = 0;
  DWORD end = 0;
  ::SendMessageW(wnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {static_cast<int>(start), static_cast<int>(end)};
}

// A form whose layouts name these handlers; each counts its calls per sender.
class TEditsForm : public TForm {
  CLASSLIB_CLASS(TEditsForm, TForm)
  explicit TEditsForm(TComponent* owner) : TForm(owner) {}

  void Changed(TObject* sender) { ++Counts[L"Change"][sender]; }
  void Clicked(TObject* sender) { ++Counts[L"Click"][sender]; }
  void DoubleClicked(TObject* sender) { ++Counts[L"DblClick"][sender]; }
  void Selected(TObject* sender) { ++Counts[L"Select"][sender]; }
  void DroppedDown(TObject* sender) { ++Counts[L"DropDown"][sender]; }
  void ClosedUp(TObject* sender) { ++Counts[L"CloseUp"][sender]; }
  void CheckClicked(TObject* sender) { ++Counts[L"ClickCheck"][sender]; }
  void Scrolled(TObject* sender, TScrollCode code, int& pos) {
    ++Counts[L"Scroll"][sender];
    ScrollCodes.push_back(code);
    if (ScrollLimit >= 0 && pos > ScrollLimit) pos = ScrollLimit;
  }
  void KeyPressed(TObject* sender, wchar_t& key) {
    ++Counts[L"KeyPress"][sender];
    if (key == L'!') key = 0;  // a handler may eat a key
  }
  void ItemDrawn(TWinControl* control, int index, TRect rect, TOwnerDrawState state) {
    ++Counts[L"DrawItem"][control];
    Drawn.push_back({index, rect, state});
  }
  void ItemMeasured(TWinControl* control, int index, int& height) {
    ++Counts[L"MeasureItem"][control];
    height = 14 + 6 * (index % 3);
  }

  int Count(const wchar_t* event, TObject* sender) { return Counts[event][sender]; }
  void Reset() {
    Counts.clear();
    Drawn.clear();
    ScrollCodes.clear();
  }

  struct TDrawn {
    int Index;
    TRect Rect;
    TOwnerDrawState State;
  };
  std::map<String, std::map<TObject*, int>> Counts;
  std::vector<TDrawn> Drawn;
  std::vector<TScrollCode> ScrollCodes;
  int ScrollLimit = -1;  // OnScroll keeps positions at or below it when >= 0

  static void RegisterHandlers() {
    using M = TPublishMethods<TEditsForm>;
    RegisterMethods<TEditsForm>({
        M::Handler(L"Changed", &TEditsForm::Changed),
        M::Handler(L"Clicked", &TEditsForm::Clicked),
        M::Handler(L"DoubleClicked", &TEditsForm::DoubleClicked),
        M::Handler(L"Selected", &TEditsForm::Selected),
        M::Handler(L"DroppedDown", &TEditsForm::DroppedDown),
        M::Handler(L"ClosedUp", &TEditsForm::ClosedUp),
        M::Handler(L"CheckClicked", &TEditsForm::CheckClicked),
        M::Handler(L"Scrolled", &TEditsForm::Scrolled),
        M::Handler(L"KeyPressed", &TEditsForm::KeyPressed),
        M::Handler(L"ItemDrawn", &TEditsForm::ItemDrawn),
        M::Handler(L"ItemMeasured", &TEditsForm::ItemMeasured),
    });
  }
};

// A test with a borderless form at (100, 100), 400 x 300, made before and freed after.
class EditFormTest : public stdctrl_tests::LayoutFormTest<TEditsForm> {
 protected:
  void SetUp() override {
    KeyTargetRef() = nullptr;
    LayoutFormTest::SetUp();
  }
  // Shows the form, active, with the keyboard focus in it.
  void ShowForm() {
    Form->Show();
    Pump();
    for (int attempt = 0; attempt < 50 && ::GetActiveWindow() != Form->GetHandle(); ++attempt) {
      ::SetForegroundWindow(Form->GetHandle());
      Pump();
      ::Sleep(10);
    }
    Form->SetFocus();
    Pump();
  }
  int Count(const wchar_t* event, TObject* sender) { return Form->Count(event, sender); }
};

}  // namespace edit_tests
