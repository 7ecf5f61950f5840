// Edits, memos and spin edits read from a layout and driven by typed characters, keys and
// clicks; the memo's lines over the window and over the kept text; bad line indexes.
#include <gtest/gtest.h>

#include <vector>

#include "EditTestSupport.h"
#include "classlib/classes/StringList.h"
#include "classlib/stdctrls/Edits.h"
#include "classlib/stdctrls/Clipboard.h"
#include "classlib/stdctrls/SpinEdit.h"
#include "tests/ErrorMessages.h"

using namespace edit_tests;

namespace {

// ---- Pure helpers -----------------------------------------------------------------------------

TEST(TextLines, FindLinesByTheirBreaks) {
  TTextLines lines(L"one\r\ntwo\r\n\r\nlast");
  EXPECT_EQ(lines.LineCount(), 4);
  EXPECT_EQ(lines.LineIndex(1), 5);
  EXPECT_EQ(lines.LineIndex(3), 12);
  EXPECT_EQ(lines.LineIndex(4), -1);
  EXPECT_EQ(lines.LineIndex(-1), -1);
  EXPECT_EQ(lines.LineLength(7), 3);   // inside the line
  EXPECT_EQ(lines.LineLength(10), 0);  // the empty line
  EXPECT_EQ(lines.LineLength(14), 4);
  EXPECT_EQ(lines.LineLength(99), 0);
  lines.Replace(3, 5, L"");  // the first break goes
  EXPECT_EQ(lines.GetText(), L"onetwo\r\n\r\nlast");
  lines.Replace(-5, 1000, L"x");  // clamped
  EXPECT_EQ(lines.GetText(), L"x");
  EXPECT_EQ(TTextLines(L"").LineCount(), 1);
  EXPECT_EQ(TTextLines(L"a\rb\nc").LineCount(), 1);  // only CR LF breaks a line
}

TEST(TextLines, AdjustLineBreaksMakesEveryBreakCrLf) {
  EXPECT_EQ(AdjustLineBreaks(L"a\rb\nc\r\nd\n\re"), L"a\r\nb\r\nc\r\nd\r\ne");
  EXPECT_EQ(AdjustLineBreaks(L"\n\n"), L"\r\n\r\n");
}

TEST(EditHeight, FontHeightPlusTheBorder) {
  EXPECT_EQ(EditAutoHeight(16, true, 1), 24);
  EXPECT_EQ(EditAutoHeight(16, false, 1), 22);
  EXPECT_EQ(EditAutoHeight(13, true, 2), 29);
}

// ---- TEdit --------------------------------------------------------------------------------------

class EditTest : public EditFormTest {
 protected:
  void SetUp() override {
    EditFormTest::SetUp();
    ReadLayout(
        L"object Form1: TEditsForm\n"
        L"  object Edit1: TEdit\n    Left = 8\n    Top = 8\n    Width = 200\n    MaxLength = 10\n"
        L"    Text = 'start'\n    OnChange = Changed\n    OnKeyPress = KeyPressed\n  end\n"
        L"  object Edit2: TEdit\n    Left = 8\n    Top = 40\n    CharCase = ecUpperCase\n"
        L"    PasswordChar = '*'\n    Text = 'Abc'\n    OnChange = Changed\n  end\n"
        L"end\n");
    Edit = Find<TEdit>(L"Edit1");
    Other = Find<TEdit>(L"Edit2");
    ShowForm();
  }
  TEdit* Edit = nullptr;
  TEdit* Other = nullptr;
};

TEST_F(EditTest, TheLayoutMakesTheWindowAndTypedTextRunsTheEvents) {
  ASSERT_TRUE(Edit && Other);
  EXPECT_EQ(WindowText(Edit->GetHandle()), L"start");
  EXPECT_EQ(::SendMessageW(Edit->GetHandle(), EM_GETLIMITTEXT, 0, 0), 10);
  EXPECT_EQ(Other->GetText(), L"ABC");  // the window converts the text it is given
  EXPECT_EQ(::SendMessageW(Other->GetHandle(), EM_GETPASSWORDCHAR, 0, 0), L'*');
  EXPECT_NE(::GetWindowLongW(Edit->GetHandle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  EXPECT_FALSE(Edit->GetModified());

  ASSERT_TRUE(FocusOn(Edit));
  EXPECT_EQ(Edit->GetSelLength(), 5);  // entering by code selects all (AutoSelect)
  Form->Reset();
  Type(L"Hi!there");
  EXPECT_EQ(Edit->GetText(), L"Hithere");  // '!' was eaten by OnKeyPress
  EXPECT_EQ(Count(L"KeyPress", Edit), 8);
  EXPECT_EQ(Count(L"Change", Edit), 7);
  EXPECT_TRUE(Edit->GetModified());
  Type(L"12345");  // the limit is 10 characters
  EXPECT_EQ(Edit->GetText(), L"Hithere123");
  PressKey(VK_BACK);
  EXPECT_EQ(Edit->GetText(), L"Hithere12");

  Edit->SetReadOnly(true);
  Type(L"zz");
  EXPECT_EQ(Edit->GetText(), L"Hithere12");
  Edit->SetReadOnly(false);

  ASSERT_TRUE(FocusOn(Other));
  Other->SetSelStart(3);
  Type(L"d");
  EXPECT_EQ(Other->GetText(), L"ABCD");  // upper case forced on what is typed
}

TEST_F(EditTest, SelectionClipboardAndUndo) {
  Edit->SetText(L"abcdef");
  Edit->SetSelStart(1);
  Edit->SetSelLength(3);
  EXPECT_EQ(Edit->GetSelText(), L"bcd");
  wchar_t buffer[3] = {L'x', L'x', L'x'};
  EXPECT_EQ(Edit->GetSelTextBuf(buffer, 3), 2);  // two characters and the zero
  EXPECT_EQ(String(buffer), L"bc");
  EXPECT_EQ(Edit->GetSelTextBuf(nullptr, 10), 0);
  EXPECT_EQ(Edit->GetSelTextBuf(buffer, 0), 0);
  Edit->CutToClipboard();
  EXPECT_EQ(Edit->GetText(), L"aef");
  Edit->SetSelStart(3);
  Edit->PasteFromClipboard();
  EXPECT_EQ(Edit->GetText(), L"aefbcd");
  EXPECT_TRUE(Edit->GetCanUndo());
  Edit->Undo();
  EXPECT_EQ(Edit->GetText(), L"aef");
  Edit->ClearUndo();
  EXPECT_FALSE(Edit->GetCanUndo());
  Other->SetText(L"");
  Other->PasteFromClipboard();
  EXPECT_EQ(Other->GetText(), L"BCD");

  Edit->SetSelStart(1);
  Edit->SetSelLength(1);
  Edit->SetSelText(L"XY");
  EXPECT_EQ(Edit->GetText(), L"aXYf");
  Edit->SetSelLength(-2);  // backwards from the caret after "XY"
  EXPECT_EQ(Edit->GetSelText(), L"XY");
  Edit->SetSelStart(2);
  Edit->SetSelLength(-9);  // not past the start
  EXPECT_EQ(Edit->GetSelText(), L"aX");
  Edit->SelectAll();
  Edit->SetSelTextBuf(nullptr);
  EXPECT_EQ(Edit->GetText(), L"");
}

TEST_F(EditTest, TextAndModifiedSurviveANewWindow) {
  ASSERT_TRUE(FocusOn(Edit));
  Type(L"x");
  ASSERT_TRUE(Edit->GetModified());
  const HWND before = Edit->GetHandle();
  Edit->SetBorderStyle(bsNone);  // makes the window again
  EXPECT_NE(Edit->GetHandle(), before);
  EXPECT_EQ(Edit->GetText(), L"x");
  EXPECT_TRUE(Edit->GetModified());
  EXPECT_EQ(::GetWindowLongW(Edit->GetHandle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  Edit->SetCharCase(ecLowerCase);  // also the text there
  Edit->SetText(L"MiXeD");
  EXPECT_EQ(Edit->GetText(), L"mixed");
}

TEST_F(EditTest, AutoSizeFollowsTheFontUntilItIsTurnedOff) {
  const int small = Edit->GetHeight();
  Edit->GetFont()->SetHeight(-30);
  EXPECT_GT(Edit->GetHeight(), small + 10);
  Edit->SetHeight(100);  // the font decides
  EXPECT_LT(Edit->GetHeight(), 100);
  Edit->SetAutoSize(false);
  Edit->SetHeight(100);
  EXPECT_EQ(Edit->GetHeight(), 100);
  Edit->SetBorderStyle(bsNone);
  Edit->SetAutoSize(true);  // without a border there is no height of its own
  EXPECT_EQ(Edit->GetHeight(), 100);
}

TEST(EditWithoutWindow, KeepsTextAndIgnoresSelection) {
  TEdit edit(nullptr);
  int changes = 0;
  edit.SetOnChange([&](TObject*) { ++changes; });
  edit.SetText(L"kept");
  EXPECT_EQ(edit.GetText(), L"kept");
  EXPECT_EQ(changes, 1);  // no window: the change is told at once
  EXPECT_EQ(edit.GetSelStart(), 0);
  EXPECT_EQ(edit.GetSelText(), L"");
  edit.SelectAll();
  edit.SetMaxLength(-3);
  EXPECT_EQ(edit.GetMaxLength(), 0);
  EXPECT_FALSE(edit.HandleAllocated());
}

// ---- TMemo --------------------------------------------------------------------------------------

// The same list operations give the same lines with and without a window.
void CheckLineOperations(TCustomMemo& memo) {
  TStrings* lines = memo.GetLines();
  lines->Clear();
  EXPECT_EQ(lines->GetCount(), 0);
  lines->Add(L"alpha");
  lines->Add(L"gamma");
  lines->Insert(1, L"beta");
  EXPECT_EQ(memo.GetText(), L"alpha\r\nbeta\r\ngamma\r\n");
  lines->Put(2, L"GAMMA");
  lines->Delete(0);
  EXPECT_EQ(memo.GetText(), L"beta\r\nGAMMA\r\n");
  lines->SetText(L"one\ntwo");  // the breaks become CR LF; no break at the end
  EXPECT_EQ(memo.GetText(), L"one\r\ntwo");
  EXPECT_EQ(lines->GetCount(), 2);
  lines->Add(L"three");  // after a last line without a break
  EXPECT_EQ(memo.GetText(), L"one\r\ntwo\r\nthree");
  lines->Delete(2);
  EXPECT_EQ(lines->GetCount(), 2);
  EXPECT_EQ(lines->Get(1), L"two");
  EXPECT_THROW(lines->Get(2), EStringListError);
  EXPECT_THROW(lines->Delete(-1), EStringListError);
  EXPECT_THROW(lines->Insert(5, L"x"), EStringListError);
  EXPECT_EQ(ErrorMessageOf<EStringListError>([&] { lines->Get(-1); }, L"(no error)"),
            L"List index out of bounds (-1)");
}

TEST(MemoLines, WithoutAWindowWorkOnTheKeptText) {
  TMemo memo(nullptr);
  CheckLineOperations(memo);
  EXPECT_FALSE(memo.HandleAllocated());
}

class MemoTest : public EditFormTest {
 protected:
  void SetUp() override {
    EditFormTest::SetUp();
    ReadLayout(
        L"object Form1: TEditsForm\n"
        L"  object Memo1: TMemo\n    Left = 8\n    Top = 8\n    Width = 300\n    Height = 150\n"
        L"    ScrollBars = ssVertical\n    WordWrap = False\n"
        L"    Lines.Strings = (\n      'first line'\n      'second line')\n"
        L"    OnChange = Changed\n  end\n"
        L"end\n");
    Memo = Find<TMemo>(L"Memo1");
    ShowForm();
  }
  TMemo* Memo = nullptr;
};

TEST_F(MemoTest, LinesFromTheLayoutAreTheWindowsLines) {
  ASSERT_TRUE(Memo && Memo->HandleAllocated());
  EXPECT_EQ(Memo->GetLines()->Get(1), L"second line");
  EXPECT_EQ(::SendMessageW(Memo->GetHandle(), EM_GETLINECOUNT, 0, 0), 3);  // and the empty last
  const LONG style = ::GetWindowLongW(Memo->GetHandle(), GWL_STYLE);
  EXPECT_NE(style & ES_MULTILINE, 0);
  EXPECT_NE(style & WS_VSCROLL, 0);
  EXPECT_NE(style & ES_AUTOHSCROLL, 0);  // no word wrap
  CheckLineOperations(*Memo);
}

TEST_F(MemoTest, EnterBreaksTheLineOnlyWhenWanted) {
  Memo->GetLines()->SetText(L"ab");
  ASSERT_TRUE(FocusOn(Memo));
  Memo->SetSelStart(1);
  Form->Reset();
  PressKey(VK_RETURN);
  EXPECT_EQ(Memo->GetText(), L"a\r\nb");
  EXPECT_GE(Count(L"Change", Memo), 1);
  EXPECT_NE(Memo->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, 0);
  EXPECT_EQ(Memo->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB, 0);

  Memo->SetWantReturns(false);
  Memo->SetWantTabs(true);
  EXPECT_EQ(Memo->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, 0);
  EXPECT_NE(Memo->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB, 0);
  Type(L"\r");
  EXPECT_EQ(Memo->GetText(), L"a\r\nb");
  Type(L"\t");
  EXPECT_EQ(Memo->GetText(), L"a\r\n\tb");
}

TEST_F(MemoTest, ANewWindowKeepsTheLinesAndTakesTheNewStyle) {
  Memo->SetAlignment(taRightJustify);
  Memo->SetWordWrap(true);
  EXPECT_EQ(Memo->GetLines()->GetCount(), 2);
  const LONG style = ::GetWindowLongW(Memo->GetHandle(), GWL_STYLE);
  EXPECT_NE(style & ES_RIGHT, 0);
  EXPECT_EQ(style & ES_AUTOHSCROLL, 0);
  TStringList other;
  other.Add(L"x");
  Memo->SetLines(&other);
  EXPECT_EQ(Memo->GetText(), L"x\r\n");
}

// ---- TSpinEdit ----------------------------------------------------------------------------------

class SpinEditTest : public EditFormTest {
 protected:
  void SetUp() override {
    EditFormTest::SetUp();
    ReadLayout(
        L"object Form1: TEditsForm\n"
        L"  object Spin1: TSpinEdit\n    Left = 8\n    Top = 8\n    Increment = 5\n"
        L"    MaxValue = 20\n    MinValue = -10\n    Value = 3\n    OnChange = Changed\n  end\n"
        L"  object Edit1: TEdit\n    Left = 8\n    Top = 60\n  end\n"
        L"end\n");
    Spin = Find<TSpinEdit>(L"Spin1");
    ShowForm();
  }
  TSpinEdit* Spin = nullptr;
};

TEST_F(SpinEditTest, ArrowsAndKeysStepWithinTheLimits) {
  ASSERT_TRUE(Spin);
  EXPECT_EQ(Spin->GetValue(), 3);
  ASSERT_NE(Spin->GetButtonHandle(), nullptr);
  EXPECT_EQ(::GetParent(Spin->GetButtonHandle()), Spin->GetHandle());
  ASSERT_TRUE(FocusOn(Spin));
  Form->Reset();
  PressKey(VK_UP);
  EXPECT_EQ(Spin->GetValue(), 8);
  for (int i = 0; i < 4; ++i) PressKey(VK_UP);
  EXPECT_EQ(Spin->GetValue(), 20);       // held at MaxValue
  EXPECT_EQ(Count(L"Change", Spin), 4);  // 8, 13, 18, 20; then no change
  PressKey(VK_DOWN);
  EXPECT_EQ(Spin->GetValue(), 15);

  // A click on the lower arrow of the up-down window.
  RECT button{};
  ::GetClientRect(Spin->GetButtonHandle(), &button);
  ClickWindow(Spin->GetButtonHandle(), button.right / 2, button.bottom - 2);
  EXPECT_EQ(Spin->GetValue(), 10);
  ClickWindow(Spin->GetButtonHandle(), button.right / 2, 1);
  EXPECT_EQ(Spin->GetValue(), 15);

  Spin->SetReadOnly(true);
  FocusOn(Spin);
  PressKey(VK_UP);
  EXPECT_EQ(Spin->GetValue(), 15);
}

// The screen's pixels under a window, row by row.
std::vector<COLORREF> ScreenPixels(HWND wnd) {
  RECT r{};
  ::GetWindowRect(wnd, &r);
  std::vector<COLORREF> pixels;
  HDC screen = ::GetDC(nullptr);
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) pixels.push_back(::GetPixel(screen, x, y));
  ::ReleaseDC(nullptr, screen);
  return pixels;
}

// A click into the text from another control (the edit repaints itself as it takes the
// focus) leaves the arrows on the screen.
TEST_F(SpinEditTest, ArrowsStayInSightWhenTheTextIsClicked) {
  const HWND arrows = Spin->GetButtonHandle();
  ASSERT_NE(arrows, nullptr);
  ASSERT_TRUE(FocusOn(Find<TEdit>(L"Edit1")));
  ::RedrawWindow(Form->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  const std::vector<COLORREF> shown = ScreenPixels(arrows);
  ASSERT_FALSE(shown.empty());
  ClickWindow(Spin->GetHandle(), 4, Spin->GetClientHeight() / 2);
  ASSERT_EQ(::GetFocus(), Spin->GetHandle());
  Spin->SelectAll();
  Pump();
  EXPECT_TRUE(ScreenPixels(arrows) == shown) << "the arrows were painted over";
}

TEST_F(SpinEditTest, OnlyNumbersCanBeTypedAndLeavingBringsTheValueWithin) {
  ASSERT_TRUE(FocusOn(Spin));
  // An input method's result is typed as keys; its composition stays out of the text.
  Spin->SelectAll();
  EXPECT_TRUE(CompleteComposition(Spin->GetHandle(), L"1 x"));
  EXPECT_EQ(Spin->GetText(), L"1");
  EXPECT_TRUE(StartComposition(Spin->GetHandle(), L"zh"));
  EXPECT_EQ(Spin->GetText(), L"1");
  Spin->SelectAll();
  Type(L"x9a9-");
  EXPECT_EQ(Spin->GetText(), L"99");  // no sign after a digit
  EXPECT_EQ(Spin->GetValue(), 99);  // typed beyond the limit
  ASSERT_TRUE(FocusOn(Find<TEdit>(L"Edit1")));
  EXPECT_EQ(Spin->GetText(), L"20");
  // Left empty, it shows the value it reads as.
  ASSERT_TRUE(FocusOn(Spin));
  Spin->SelectAll();
  PressKey(VK_DELETE);
  ASSERT_TRUE(FocusOn(Find<TEdit>(L"Edit1")));
  EXPECT_EQ(Spin->GetText(), L"-10");

  Spin->SetText(L"-");
  EXPECT_EQ(Spin->GetValue(), -10);  // no number: MinValue
  Spin->SetValue(-1000);
  EXPECT_EQ(Spin->GetValue(), -10);

  // Without limits a step past the integer range stops at its end.
  Spin->SetMinValue(0);
  Spin->SetMaxValue(0);
  Spin->SetIncrement(1000);
  Spin->SetValue(2147483000);
  ASSERT_TRUE(FocusOn(Spin));
  PressKey(VK_UP);
  EXPECT_EQ(Spin->GetValue(), 2147483647);

  Spin->SetEditorEnabled(false);
  Spin->SelectAll();
  Type(L"5");
  EXPECT_EQ(Spin->GetValue(), 2147483647);
}

// A typed character and a paste are judged by the text they leave, the selection replaced:
// a sign typed over a leading digit, a digit over a sign, a paste over all or over a part.
TEST_F(SpinEditTest, TypingAndPastingOverASelectionAreJudgedByTheTextTheyLeave) {
  ASSERT_TRUE(FocusOn(Spin));
  const auto select = [&](const wchar_t* text, int start, int length) {
    Spin->SetText(text);
    Spin->SetSelStart(start);
    Spin->SetSelLength(length);
  };
  select(L"15", 0, 1);
  Type(L"-");
  EXPECT_EQ(Spin->GetText(), L"-5");
  select(L"-5", 0, 2);
  Type(L"7");
  EXPECT_EQ(Spin->GetText(), L"7");
  const auto paste = [&](const wchar_t* pasted) {
    Clipboard()->SetAsText(pasted);
    ::SendMessageW(Spin->GetHandle(), WM_PASTE, 0, 0);
    return Spin->GetText();
  };
  select(L"-5", 0, 2);
  EXPECT_EQ(paste(L"8"), L"8");
  select(L"12", 0, 1);
  EXPECT_EQ(paste(L"-"), L"-2");
  select(L"12", 1, 1);
  EXPECT_EQ(paste(L"-"), L"12") << "no sign after a digit";
}

}  // namespace
