// The owner-drawn edit as a real window driven by real messages: word moves and selection
// bounds, a long text tabbed into, a drag beyond the edge, a shorter text set in code, undo
// groups from keys, read-only edits, the clipboard with Chinese text, a bitmap only, line
// breaks, MaxLength and a clipboard held elsewhere, typed Chinese and surrogate pairs, caret
// positions against the system's edit, an input-method result through the replaceable table,
// the context menu, layouts, a leak probe and screenshots.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "classlib/stdctrls/Clipboard.h"
#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/controls/EditIme.h"
#include "controls/skin/controls/SkinEdit.h"
#include "controls/skin/menus/SkinItems.h"
#include "controls/skin/menus/SkinMenus.h"
#include "tests/classlib/controls/ControlTestSupport.h"
#include "tests/KeyInput.h"
#include "tests/classlib/stdctrls/GridTestSupport.h"

using namespace skin_tests;

namespace {

TEST(SkinEditWords, WordMovesStopAtWordStarts) {
  EXPECT_EQ(3, EditNextWord(L"ab cd", 0));
  EXPECT_EQ(5, EditNextWord(L"ab cd", 3));
  EXPECT_EQ(3, EditPreviousWord(L"ab cd", 5));
  EXPECT_EQ(0, EditPreviousWord(L"ab cd", 3));
  EXPECT_EQ(0, EditNextWord(L"", 4));        // out of range is clamped
  // The last character is never looked at: two trailing spaces stop the move one short of
  // the end, one trailing space does not; from the end it stays there.
  EXPECT_EQ(3, EditNextWord(L"ab ", 0));
  EXPECT_EQ(2, EditNextWord(L"a  ", 0));
  EXPECT_EQ(3, EditNextWord(L"ab  ", 0));
  EXPECT_EQ(4, EditNextWord(L"ab  ", 3));
  EXPECT_EQ(4, EditNextWord(L"ab  ", 4));
  EXPECT_EQ(0, EditPreviousWord(L"考试", 9));
  EXPECT_EQ(L"第一行", FirstLine(L"第一行\r\n第二行"));
  EXPECT_EQ(L"", FirstLine(L"\nx"));
}

class SkinEditTest : public SkinFormTest {
 protected:
  void SetUp() override {
    SkinFormTest::SetUp();
    ReadLayout(
        L"object Form1: TButtonsForm\n"
        L"  object Edit1: TSeCustomEdit\n    Left = 8\n    Top = 8\n    Width = 200\n  end\n"
        L"  object Edit2: TSeCustomEdit\n    Left = 8\n    Top = 40\n    Width = 200\n  end\n"
        L"end\n");
    Edit = Find<TSeCustomEdit>(L"Edit1");
    Other = Find<TSeCustomEdit>(L"Edit2");
    ShowForm();
    Focus(Edit);
  }
  void Focus(TSeCustomEdit* edit) {
    edit->SetFocus();
    Pump();
  }
  void Key(WORD vk, bool shift = false, bool ctrl = false) {
    grid_tests::HeldKeys held(shift, ctrl);
    ::PostMessageW(::GetFocus(), WM_KEYDOWN, vk, stdctrl_tests::KeyData(vk, false));
    Pump();
    ::PostMessageW(::GetFocus(), WM_KEYUP, vk, stdctrl_tests::KeyData(vk, true));
    Pump();
  }
  void Type(const String& text) {
    for (wchar_t c : text) ::PostMessageW(::GetFocus(), WM_CHAR, c, 1);
    Pump();
  }
  // Caret, selection and first visible lie within the text.
  void ExpectWithinText(TSeCustomEdit* edit) {
    const int length = static_cast<int>(edit->GetText().size());
    EXPECT_GE(edit->GetCaretPosition(), 0);
    EXPECT_LE(edit->GetCaretPosition(), length);
    EXPECT_GE(edit->GetSelStart(), 0);
    EXPECT_LE(edit->GetSelStart() + edit->GetSelLength(), length);
    EXPECT_GE(edit->GetFirstVisible(), 1);
    EXPECT_LE(edit->GetFirstVisible(), std::max(length, 1));
  }
  void PutClipboard(const String& text) { Clipboard()->SetAsText(text); }
  TSeCustomEdit* Edit = nullptr;
  TSeCustomEdit* Other = nullptr;
};

TEST_F(SkinEditTest, WordMovesSelectionAndAShorterTextKeepEverythingWithinTheText) {
  Edit->SetText(L"ab cd");
  Key(VK_HOME);
  Key(VK_RIGHT, false, true);
  EXPECT_EQ(3, Edit->GetCaretPosition());
  Key(VK_RIGHT, false, true);
  EXPECT_EQ(5, Edit->GetCaretPosition());
  Key(VK_LEFT, true, false);
  Key(VK_LEFT, true, false);
  EXPECT_EQ(3, Edit->GetSelStart());
  EXPECT_EQ(L"cd", Edit->GetSelText());
  Key(VK_HOME, true, false);  // the anchor stays at 5
  EXPECT_EQ(L"ab cd", Edit->GetSelText());
  // A long text scrolled to its end, then a shorter one set in code.
  Edit->SetText(String(300, L'测'));
  Key(VK_END);
  EXPECT_GT(Edit->GetFirstVisible(), 1);
  Edit->SelectAll();
  Edit->SetText(L"短");
  ExpectWithinText(Edit);
  Key(VK_BACK);
  Key(VK_DELETE);
  ExpectWithinText(Edit);
  button_tests::ClickWindow(Edit->GetHandle(), 150, 10);
  ExpectWithinText(Edit);
  // SetSelStart after a select-all drops the selection.
  Edit->SetText(L"abc");
  Edit->SelectAll();
  Edit->SetSelStart(0);
  EXPECT_EQ(0, Edit->GetSelLength());
  EXPECT_EQ(0, Edit->GetCaretPosition());
  Edit->SetSelStart(1);
  Edit->SetSelLength(99);
  EXPECT_EQ(L"bc", Edit->GetSelText());
  // A negative length selects back from the moving end.
  Edit->SetText(L"abcdef");
  Edit->SetSelStart(4);
  Edit->SetSelLength(-2);
  EXPECT_EQ(L"cd", Edit->GetSelText());
  EXPECT_EQ(2, Edit->GetSelStart());
  EXPECT_EQ(2, Edit->GetSelLength());
}

// Tabbing into a long text shows its start, selected with the caret at 0, on every visit; the
// selection then moves from the caret's end.
TEST_F(SkinEditTest, TabbingIntoALongTextShowsItsStart) {
  Edit->SetText(String(300, L'a'));
  for (int visit = 0; visit < 2; ++visit) {
    Focus(Other);
    ASSERT_TRUE(TypeChord({VK_TAB}));
    Pump();
    ASSERT_EQ(::GetFocus(), Edit->GetHandle()) << visit;
    EXPECT_EQ(Edit->GetCaretPosition(), 0) << visit;
    EXPECT_EQ(Edit->GetFirstVisible(), 1) << visit;
    EXPECT_EQ(Edit->GetSelStart(), 0) << visit;
    EXPECT_EQ(Edit->GetSelLength(), 300) << visit;
  }
  Key(VK_RIGHT, true);
  EXPECT_EQ(Edit->GetSelStart(), 1);
  EXPECT_EQ(Edit->GetSelLength(), 299);
}

// A drag held beyond the right edge moves the caret one or two characters past the last one
// shown at each move, however far beyond the pointer is.
TEST_F(SkinEditTest, ADragBeyondTheRightEdgeScrollsByACharacterAMove) {
  Edit->SetText(String(300, L'a'));
  Key(VK_HOME);
  const HWND wnd = Edit->GetHandle();
  ::PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 10));
  Pump();
  int caret = -1;
  for (int move = 0; move < 3; ++move) {
    ::PostMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(Edit->GetWidth() + 80, 10));
    Pump();
    if (caret >= 0) {
      EXPECT_GE(Edit->GetCaretPosition() - caret, 1) << move;
      EXPECT_LE(Edit->GetCaretPosition() - caret, 2) << move;
    }
    caret = Edit->GetCaretPosition();
  }
  ::PostMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(Edit->GetWidth() + 80, 10));
  Pump();
  EXPECT_EQ(Edit->GetSelStart(), 0);
  EXPECT_EQ(Edit->GetSelLength(), caret);
}

// Ctrl+Right and a double click on the first word end at the same place, also in texts
// that end in spaces.
TEST_F(SkinEditTest, CtrlRightAndADoubleClickAgreeOnTextsEndingInSpaces) {
  for (const auto& [text, end] : {std::pair<String, int>{L"ab ", 3}, {L"a  ", 2}, {L"ab  ", 3}}) {
    Edit->SetText(text);
    Key(VK_HOME);
    Key(VK_RIGHT, false, true);
    EXPECT_EQ(Edit->GetCaretPosition(), end) << text.size();
    const HWND wnd = Edit->GetHandle();
    button_tests::ClickWindow(wnd, 6, 10);  // on the first letter
    ::PostMessageW(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(6, 10));
    ::PostMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(6, 10));
    Pump();
    EXPECT_EQ(Edit->GetSelStart(), 0) << text.size();
    EXPECT_EQ(Edit->GetSelText(), text.substr(0, static_cast<size_t>(end))) << text.size();
  }
}

// Each change of the text tells the control (CM_CHANGED) before OnChange; the same text
// again tells nothing.
TEST_F(SkinEditTest, AChangeOfTheTextIsToldBeforeOnChange) {
  std::vector<String> told;
  const TWndMethod proc = Edit->GetWindowProc();
  Edit->SetWindowProc([&](TMessage& message) {
    if (message.Msg == CM_CHANGED) told.push_back(L"changed " + Edit->GetText());
    proc(message);
  });
  Edit->SetOnChange([&](TObject*) { told.push_back(L"OnChange " + Edit->GetText()); });
  Edit->SetText(L"a");
  Edit->SetText(L"a");
  Key(VK_END);
  Type(L"b");
  Edit->SetOnChange(nullptr);
  Edit->SetWindowProc(proc);
  EXPECT_EQ(told, (std::vector<String>{L"changed a", L"OnChange a", L"changed ab",
                                       L"OnChange ab"}));
}

TEST_F(SkinEditTest, UndoGroupsFromRealKeys) {
  Edit->SetText(L"abcd");
  Key(VK_END);
  Key(VK_BACK);
  Key(VK_LEFT);
  Key(VK_BACK);
  EXPECT_EQ(L"ac", Edit->GetText());
  Key('Z', false, true);
  EXPECT_EQ(L"abc", Edit->GetText());
  Key('Z', false, true);
  EXPECT_EQ(L"abcd", Edit->GetText());
  EXPECT_FALSE(Edit->Undo());  // empty: stops
  // Typing over a selection: one undo restores it, selected.
  Edit->SetSelStart(1);
  Edit->SetSelLength(2);
  Type(L"考试");
  EXPECT_EQ(L"a考试d", Edit->GetText());
  Key('Z', false, true);
  EXPECT_EQ(L"abcd", Edit->GetText());
  EXPECT_EQ(L"bc", Edit->GetSelText());
  // Delete at the end changes nothing and records nothing.
  Key(VK_END);
  Key(VK_DELETE);
  EXPECT_TRUE(Edit->GetUndoStack().Empty());
  // The Text writer starts the history again.
  Type(L"x");
  Edit->SetText(L"new");
  EXPECT_TRUE(Edit->GetUndoStack().Empty());
  // Read-only: keys, paste and Ctrl+Z change nothing; the record stays for later.
  Type(L"y");
  Edit->SetReadOnly(true);
  PutClipboard(L"粘贴");
  Key('V', false, true);
  Type(L"z");
  Key(VK_BACK);
  Key('Z', false, true);
  EXPECT_EQ(L"newy", Edit->GetText());
  EXPECT_EQ(1u, Edit->GetUndoStack().Count());
  EXPECT_EQ(0, ::SendMessageW(Edit->GetHandle(), WM_UNDO, 0, 0));
  Edit->SetReadOnly(false);
  EXPECT_EQ(1, ::SendMessageW(Edit->GetHandle(), WM_UNDO, 0, 0));
  EXPECT_EQ(L"new", Edit->GetText());
}

TEST_F(SkinEditTest, TwentyThousandEditsStayWithinTheCapAndUndoCleanly) {
  Edit->SetText(L"");
  for (int i = 0; i < 20000; ++i) {
    Edit->SetSelStart(i % 2 == 0 ? 0 : static_cast<int>(Edit->GetText().size()));
    Edit->InsertText(i % 2 == 0 ? L"a" : L"考");
  }
  EXPECT_EQ(TEditActionStack::MaxUndoRecords, Edit->GetUndoStack().Count());
  int undone = 0;
  while (Edit->Undo() && undone < 30000) ++undone;
  EXPECT_EQ(static_cast<int>(TEditActionStack::MaxUndoRecords), undone);
  EXPECT_EQ(10000u, Edit->GetText().size());  // the first 10,000 edits could not be undone
}

TEST_F(SkinEditTest, ClipboardChineseRoundTripBitmapOnlyLineBreaksAndMaxLength) {
  Edit->SetText(L"考试abc");
  Edit->SelectAll();
  Key('C', false, true);
  EXPECT_EQ(L"考试abc", Clipboard()->GetAsText());
  Focus(Other);
  Key('V', false, true);
  EXPECT_EQ(L"考试abc", Other->GetText());
  // Only a bitmap on the clipboard: paste does nothing.
  {
    TClipboard& clip = *Clipboard();
    clip.Open();
    clip.Clear();
    HBITMAP bitmap = ::CreateBitmap(4, 4, 1, 32, nullptr);
    clip.SetAsHandle(CF_BITMAP, bitmap);
    clip.Close();
  }
  Key('V', false, true);
  EXPECT_EQ(L"考试abc", Other->GetText());
  // Line breaks: the first line only.
  PutClipboard(L"一\r\n二");
  Other->SetText(L"");
  Key(VK_INSERT, true, false);
  EXPECT_EQ(L"一", Other->GetText());
  // MaxLength: an insertion past it is refused and not recorded.
  Other->SetMaxLength(3);
  PutClipboard(L"很长的文字");
  const std::size_t records = Other->GetUndoStack().Count();
  Key('V', false, true);
  EXPECT_EQ(L"一", Other->GetText());
  EXPECT_EQ(records, Other->GetUndoStack().Count());
  // Cut: deleted only after the copy worked; in password mode only deleted.
  Other->SetMaxLength(0);
  Other->SetText(L"密码");
  Other->SelectAll();
  Other->SetPasswordKind(TPasswordKind::pkCircle);
  PutClipboard(L"keep");
  Key('X', false, true);
  EXPECT_EQ(L"", Other->GetText());
  EXPECT_EQ(L"keep", Clipboard()->GetAsText());
  Other->SetPasswordKind(TPasswordKind::pkNone);
  Other->SetText(L"剪切");
  Other->SelectAll();
  ::SendMessageW(Other->GetHandle(), WM_CUT, 0, 0);
  EXPECT_EQ(L"", Other->GetText());
  // The clipboard held open by another window: the copy's failure reaches the program, and
  // the cut deletes nothing.
  Other->SetText(L"留下");
  Other->SelectAll();
  {
    forms_tests::TExceptionRecorder errors;
    const HWND holder = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                          nullptr, nullptr, nullptr);
    ASSERT_TRUE(::OpenClipboard(holder));
    Key('C', false, true);
    Key('X', false, true);
    ::CloseClipboard();
    ::DestroyWindow(holder);
    EXPECT_EQ(errors.Messages.size(), 2u);
    EXPECT_EQ(L"留下", Other->GetText());
  }
  EXPECT_EQ(L"剪切", Clipboard()->GetAsText());
}

TEST_F(SkinEditTest, TypedChineseAndSurrogatePairsStayWhole) {
  Edit->SetText(L"");
  Type(L"考试");
  EXPECT_EQ(L"考试", Edit->GetText());
  const String pair = L"\xD840\xDC0B";  // one character outside the basic plane
  Type(pair + L"a");
  EXPECT_EQ(L"考试" + pair + L"a", Edit->GetText());
  Key(VK_LEFT);
  Key(VK_LEFT);
  EXPECT_EQ(2, Edit->GetCaretPosition());  // moved over the pair at once
  Key(VK_DELETE);
  EXPECT_EQ(L"考试a", Edit->GetText());
  Key(VK_END);
  Type(pair);
  Key(VK_BACK);
  EXPECT_EQ(L"考试a", Edit->GetText());
  Key('Z', false, true);
  EXPECT_EQ(L"考试a" + pair, Edit->GetText());
  // Upper case is wide: Latin letters change, Chinese stays.
  Edit->SetText(L"考试abc");
  Edit->SetCharCase(ecUpperCase);
  EXPECT_EQ(L"考试ABC", Edit->GetText());
  EXPECT_TRUE(Edit->GetUndoStack().Empty());
}

// The last character that fits is taken, typed or pasted (a length check off by one refused it),
// and one more is refused.
TEST_F(SkinEditTest, MaxLengthTakesTextUpToExactlyItsLength) {
  Edit->SetMaxLength(3);
  Edit->SetText(L"");
  Type(L"ab");
  Type(L"c");
  EXPECT_EQ(L"abc", Edit->GetText());
  Type(L"d");
  EXPECT_EQ(L"abc", Edit->GetText());
  Edit->SetText(L"");
  PutClipboard(L"考试题");
  Key('V', false, true);
  EXPECT_EQ(L"考试题", Edit->GetText());
  Edit->SetText(L"a");
  Key(VK_END);
  PutClipboard(L"考试");
  Key('V', false, true);
  EXPECT_EQ(L"a考试", Edit->GetText());
  Edit->SetText(L"a");
  Key(VK_END);
  PutClipboard(L"考试题");
  Key('V', false, true);
  EXPECT_EQ(L"a", Edit->GetText()) << "one more than fits is refused";
  // A smaller MaxLength leaves a longer text as it is, and deleting from it still works.
  Edit->SetMaxLength(0);
  Edit->SetText(L"考试题目");
  Edit->SetMaxLength(1);
  EXPECT_EQ(L"考试题目", Edit->GetText());
  Key(VK_END);
  Key(VK_LEFT, true, false);
  Key(VK_DELETE);
  EXPECT_EQ(L"考试题", Edit->GetText());
  Key(VK_LEFT, true, false);
  Key(VK_BACK);
  EXPECT_EQ(L"考试", Edit->GetText());
  Key(VK_LEFT, true, false);
  Key('X', false, true);
  EXPECT_EQ(L"考", Edit->GetText());
  EXPECT_EQ(L"试", Clipboard()->GetAsText());
}

// Back and Delete take a pair (a character outside the basic plane) whole at either end of the
// text, also when the text is the pair alone (a pair test wanting a third character split it).
TEST_F(SkinEditTest, BackAndDeleteTakeASurrogatePairWholeAtEitherEnd) {
  const String pair = L"\xD840\xDC0B";
  struct Case {
    String Text;
    WORD Start;  // where the caret starts: VK_HOME or VK_END
    WORD Press;
    String After;
  };
  const Case cases[] = {
      {pair, VK_END, VK_BACK, L""},           {pair, VK_HOME, VK_DELETE, L""},
      {pair, VK_HOME, VK_BACK, pair},         {pair, VK_END, VK_DELETE, pair},
      {L"ab" + pair, VK_END, VK_BACK, L"ab"}, {pair + L"ab", VK_HOME, VK_DELETE, L"ab"},
  };
  for (const Case& c : cases) {
    Edit->SetText(c.Text);
    Key(c.Start);
    Key(c.Press);
    EXPECT_EQ(c.After, Edit->GetText()) << c.Press << " at " << c.Start << " of " << c.Text.size();
  }
  Edit->SetText(L"a" + pair + L"b");
  Key(VK_HOME);
  Key(VK_RIGHT);
  Key(VK_DELETE);
  EXPECT_EQ(L"ab", Edit->GetText()) << "Delete before a pair inside text";
  Edit->SetText(L"a" + pair + L"b");
  Key(VK_END);
  Key(VK_LEFT);
  Key(VK_BACK);
  EXPECT_EQ(L"ab", Edit->GetText()) << "Back after a pair inside text";
}

TEST_F(SkinEditTest, CaretPositionsMatchTheSystemEdit) {
  const String text = L"考试abc";
  Edit->SetText(text);
  HWND system = ::CreateWindowExW(0, L"EDIT", text.c_str(), WS_CHILD | WS_VISIBLE, 8, 80, 200, 24,
                                  Form->GetHandle(), nullptr, nullptr, nullptr);
  ASSERT_NE(system, nullptr);
  ::SendMessageW(system, WM_SETFONT, reinterpret_cast<WPARAM>(Edit->GetFont()->GetHandle()), 0);
  const LRESULT origin = ::SendMessageW(system, EM_POSFROMCHAR, 0, 0);
  for (int i = 1; i < static_cast<int>(text.size()); ++i) {
    const LRESULT at = ::SendMessageW(system, EM_POSFROMCHAR, i, 0);
    EXPECT_EQ(static_cast<short>(LOWORD(at)) - static_cast<short>(LOWORD(origin)),
              Edit->CaretX(i) - Edit->CaretX(0)) << i;
    // A click there puts the caret there.
    EXPECT_EQ(i, Edit->PositionAt(Edit->CaretX(i)));
  }
  ::DestroyWindow(system);
}

// An input method that has just finished composing "考试".
struct FakeIme {
  static HIMC WINAPI GetContext(HWND) { return reinterpret_cast<HIMC>(1); }
  static BOOL WINAPI ReleaseContext(HWND, HIMC) { return TRUE; }
  static LONG WINAPI GetCompositionString(HIMC, DWORD index, LPVOID buffer, DWORD size) {
    static const wchar_t result[] = L"考试";
    const DWORD bytes = 2 * sizeof(wchar_t);
    if (index != GCS_RESULTSTR) return 0;
    if (buffer && size >= bytes) std::memcpy(buffer, result, bytes);
    return static_cast<LONG>(bytes);  // no terminator: the length is all there is
  }
};

TEST_F(SkinEditTest, ACompositionResultIsInsertedAndUndoneInOneStep) {
  TEditImeApi fake;
  fake.GetContext = &FakeIme::GetContext;
  fake.ReleaseContext = &FakeIme::ReleaseContext;
  fake.GetCompositionString = &FakeIme::GetCompositionString;
  const TEditImeApi saved = SetEditImeApi(fake);
  Edit->SetText(L"ab");
  Key(VK_END);
  Type(L"c");
  Key(VK_HOME);
  ::SendMessageW(Edit->GetHandle(), WM_IME_STARTCOMPOSITION, 0, 0);  // no font or window entry: no crash
  EXPECT_EQ(0, ::SendMessageW(Edit->GetHandle(), WM_IME_COMPOSITION, 0, GCS_RESULTSTR));
  EXPECT_EQ(L"考试abc", Edit->GetText());
  Key('Z', false, true);
  EXPECT_EQ(L"abc", Edit->GetText());
  // Within MaxLength the characters that fit go in, as typed one by one; still one step.
  Edit->SetMaxLength(4);
  ::SendMessageW(Edit->GetHandle(), WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
  EXPECT_EQ(L"考abc", Edit->GetText());
  Key('Z', false, true);
  EXPECT_EQ(L"abc", Edit->GetText());
  SetEditImeApi(saved);
}

TEST_F(SkinEditTest, ContextMenuItemsInOrderWithTheirStates) {
  Edit->SetText(L"文字");
  Edit->SetSelStart(0);
  Clipboard()->Clear();
  Edit->UpdateContextMenu();
  TSeCustomItem* items = Edit->GetContextMenu()->GetSeItems();
  ASSERT_EQ(8, items->GetCount());
  const wchar_t* captions[] = {L"撤销(&U)", L"-", L"剪切(&T)", L"复制(&C)",
                               L"粘贴(&P)", L"删除(&D)", L"-", L"全选(&A)"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(captions[i], items->GetItem(i)->GetCaption());
  auto enabled = [&](int i) { return items->GetItem(i)->GetEnabled(); };
  EXPECT_FALSE(enabled(0));
  EXPECT_FALSE(enabled(2) || enabled(3) || enabled(4) || enabled(5));
  EXPECT_TRUE(enabled(7));
  Edit->SelectAll();
  PutClipboard(L"x");
  Type(L"y");
  Edit->SelectAll();
  Edit->UpdateContextMenu();
  EXPECT_TRUE(enabled(0) && enabled(2) && enabled(3) && enabled(4) && enabled(5));
  EXPECT_FALSE(enabled(7));
  Edit->SetReadOnly(true);
  Edit->SetPasswordKind(TPasswordKind::pkRect);
  Edit->UpdateContextMenu();
  EXPECT_FALSE(enabled(0) || enabled(2) || enabled(3) || enabled(4) || enabled(5));
  // The menu's Select All item runs the command.
  Edit->SetSelStart(0);
  Edit->UpdateContextMenu();
  items->GetItem(7)->Click();
  Pump();  // a click may run through the menus' deferred-click window
  EXPECT_EQ(1, Edit->GetSelLength());
}

TEST_F(SkinEditTest, LayoutsKeepPropertiesWithChineseTextAndBadValuesAreClamped) {
  Edit->SetText(L"中文内容");
  Edit->SetMaxLength(20);
  Edit->SetPasswordWideChar(L'●');
  Edit->SetTextAlignment(taCenter);
  Edit->SetCharCase(ecLowerCase);
  Edit->SetBevelKind(vbkFlat);
  Edit->SetBevelWidth(2);
  Edit->SetBorderWidth(1);
  Edit->SetBevelSides(TSeBevelSides{vbsLeft, vbsBottom});
  Edit->SetImeMode(imChinese);
  Edit->SetImeName(L"中文(简体) - 拼音");
  const String text = ComponentToText(Form);
  auto* copy = TCustomForm::Create<button_tests::TButtonsForm>(nullptr);
  TStringStream stream(text);
  ReadComponentFromStream(stream, copy);
  auto* edit = dynamic_cast<TSeCustomEdit*>(copy->FindComponent(L"Edit1"));
  ASSERT_TRUE(edit);
  EXPECT_EQ(L"中文内容", edit->GetText());
  EXPECT_EQ(20, edit->GetMaxLength());
  EXPECT_EQ(L'●', edit->GetPasswordWideChar());
  EXPECT_EQ(TPasswordKind::pkChar, edit->GetPasswordKind());
  EXPECT_EQ(taCenter, edit->GetTextAlignment());
  EXPECT_EQ(ecLowerCase, edit->GetCharCase());
  EXPECT_EQ(vbkFlat, edit->GetBevelKind());
  EXPECT_EQ(vbvFlatBorder, edit->GetBevelInner());
  EXPECT_EQ(2, edit->GetBevelWidth());
  EXPECT_EQ(1, edit->GetBorderWidth());
  EXPECT_EQ((TSeBevelSides{vbsLeft, vbsBottom}), edit->GetBevelSides());
  EXPECT_EQ(imChinese, edit->GetImeMode());
  EXPECT_EQ(L"中文(简体) - 拼音", edit->GetImeName());
  delete copy;
  auto* bad = TCustomForm::Create<button_tests::TButtonsForm>(nullptr);
  TStringStream badStream(
      L"object Form1: TButtonsForm\n  object Edit1: TSeCustomEdit\n    MaxLength = -5\n"
      L"    BevelOuter = vbvRaised\n    BorderWidth = 0\n    ImeMode = imClose\n"
      L"    Text = '考试'\n  end\nend\n");
  ReadComponentFromStream(badStream, bad);
  auto* badEdit = dynamic_cast<TSeCustomEdit*>(bad->FindComponent(L"Edit1"));
  ASSERT_TRUE(badEdit);
  EXPECT_EQ(0, badEdit->GetMaxLength());
  EXPECT_EQ(vbvRaised, badEdit->GetBevelOuter());
  EXPECT_EQ(vbkNone, badEdit->GetBevelKind());  // a cut of its own is no kind
  EXPECT_EQ(0, badEdit->GetBorderWidth());
  EXPECT_EQ(imClose, badEdit->GetImeMode());
  badEdit->InsertText(L"一二三");
  EXPECT_EQ(L"一二三考试", badEdit->GetText());
  delete bad;
}

TEST_F(SkinEditTest, TheDefaultCursorBecomesTheIBeamInCodeAndInLayouts) {
  EXPECT_EQ(Edit->GetCursor(), crIBeam);
  Edit->SetCursor(crHandPoint);
  EXPECT_EQ(Edit->GetCursor(), crHandPoint);
  Edit->SetCursor(crDefault);
  EXPECT_EQ(Edit->GetCursor(), crIBeam);
  // Stored, the I-beam is named; a layout naming the default cursor gets the I-beam too.
  EXPECT_NE(ComponentToText(Form).find(L"Cursor = crIBeam"), String::npos);
  std::unique_ptr<button_tests::TButtonsForm> copy(
      TCustomForm::Create<button_tests::TButtonsForm>(nullptr));
  TStringStream stream(
      L"object Form1: TButtonsForm\n"
      L"  object A: TSeCustomEdit\n    Cursor = crDefault\n  end\n"
      L"  object B: TSeCustomEdit\n    Cursor = crHandPoint\n  end\n"
      L"end\n");
  ReadComponentFromStream(stream, copy.get());
  EXPECT_EQ(dynamic_cast<TControl*>(copy->FindComponent(L"A"))->GetCursor(), crIBeam);
  EXPECT_EQ(dynamic_cast<TControl*>(copy->FindComponent(L"B"))->GetCursor(), crHandPoint);
}

TEST_F(SkinEditTest, PasswordCellsAllDrawAndTheSelectionIsHighlighted) {
  Other->SetText(L"12345");
  MemorySurface surface(Other->GetWidth(), Other->GetHeight());
  const TRect r = Other->GetTextRect();
  const int y = (r.Top + r.Bottom) / 2;
  auto expectCells = [&](const char* look) {
    PaintWindowInto(Other, surface);
    const int w = Other->GetPasswordCharWidth();
    for (int i = 0; i < 5; ++i) {
      const int x = Other->CaretX(i) + w / 2;
      EXPECT_NE(surface.At(x, y), Rgb(clWindow)) << look << " cell " << i;
    }
    EXPECT_EQ(surface.At(Other->CaretX(5) + w, y), Rgb(clWindow)) << look;  // nothing past the text
  };
  for (TPasswordKind kind : {TPasswordKind::pkRect, TPasswordKind::pkCircle, TPasswordKind::pkTriangle}) {
    Other->SetPasswordKind(kind);
    expectCells("themed");
    WithoutThemes([&] { expectCells("classic"); });
  }
  Other->SetHideSelection(false);
  Other->SetPasswordKind(TPasswordKind::pkNone);
  Other->SelectAll();
  PaintWindowInto(Other, surface);
  EXPECT_EQ(surface.At(Other->CaretX(0) + 1, r.Top + 1), Rgb(clHighlight));
  // Disabled, the text keeps the font's colour.
  Other->SetHideSelection(true);
  Other->SetEnabled(false);
  PaintWindowInto(Other, surface);
  EXPECT_GT(surface.CountOf(Rgb(Other->GetFont()->GetColor()), r), 10);
  EXPECT_EQ(surface.CountOf(Rgb(clGrayText), r), 0);
}

TEST_F(SkinEditTest, TheFrameDrawsAsTheThemesEditPartInEachState) {
  TThemeScope theme(L"Edit");
  if (!UseThemes() || !theme) GTEST_SKIP() << "no theme";
  auto expectFrame = [&](TSeCustomEdit* edit, int state, const char* look) {
    MemorySurface surface(edit->GetWidth(), edit->GetHeight());
    MemorySurface expected(edit->GetWidth(), edit->GetHeight());
    PaintWindowInto(edit, surface);
    PaintWindowInto(edit, expected);
    TRect inner;
    edit->GetFrameRect(inner);
    const RECT bounds{0, 0, edit->GetWidth(), edit->GetHeight()};
    const int saved = ::SaveDC(expected.DC());
    ::ExcludeClipRect(expected.DC(), inner.Left, inner.Top, inner.Right, inner.Bottom);
    theme.DrawBackground(expected.DC(), 1, state, bounds);
    ::RestoreDC(expected.DC(), saved);
    ::GdiFlush();
    EXPECT_EQ(0, DifferentPixels(surface, expected, TRect(0, 0, edit->GetWidth(), edit->GetHeight())))
        << look;
  };
  expectFrame(Edit, 3, "focused");
  expectFrame(Other, 1, "normal");
  Other->SetEnabled(false);
  expectFrame(Other, 4, "disabled");
}

TEST_F(SkinEditTest, ScreenshotsOfEveryLook) {
  std::vector<TSeCustomEdit*> column;
  auto add = [&](int top, const String& text) {
    auto* edit = new TSeCustomEdit(Form);
    column.push_back(edit);
    edit->SetParent(Form);
    edit->SetBounds(220, top, 170, 21);
    edit->SetText(text);
    return edit;
  };
  Edit->SetText(L"普通文字 normal");
  Other->SetText(L"选中的文字 selected");
  Other->SetHideSelection(false);
  Other->SelectAll();
  add(8, L"secret")->SetPasswordKind(TPasswordKind::pkCircle);
  add(40, L"只读 read-only")->SetReadOnly(true);
  add(72, L"禁用 disabled")->SetEnabled(false);
  add(104, L"right")->SetTextAlignment(taRightJustify);
  add(136, L"")->SetPasswordWideChar(L'*');
  Focus(Edit);
  Key(VK_END);
  SaveScreenshot(Form->GetHandle(), L"skin_edits_1024");
  WithoutThemes([&] { SaveScreenshot(Form->GetHandle(), L"skin_edits_classic_1024"); });
  Form->SetBounds(100, 100, 320, 200);
  // Two columns that fit the smaller form.
  Edit->SetWidth(145);
  Other->SetWidth(145);
  for (TSeCustomEdit* edit : column) edit->SetBounds(160, edit->GetTop(), 150, edit->GetHeight());
  Pump();
  SaveScreenshot(Form->GetHandle(), L"skin_edits_800");
  WithoutThemes([&] { SaveScreenshot(Form->GetHandle(), L"skin_edits_classic"); });
}

TEST_F(SkinEditTest, HundredCyclesLeaveNoGdiOrUserObjects) {
  auto cycle = [&] {
    auto* edit = new TSeCustomEdit(Form);
    edit->SetParent(Form);
    edit->SetBounds(8, 200, 150, 21);
    Focus(edit);
    Type(L"考试ab");
    edit->UpdateContextMenu();
    MemorySurface surface(150, 21);
    PaintWindowInto(edit, surface);
    delete edit;
    Pump();
  };
  cycle();
  const int gdi = control_tests::GdiObjectCount(), user = control_tests::ThreadWindowCount();
  for (int i = 0; i < 100; ++i) cycle();
  EXPECT_EQ(control_tests::GdiObjectCount(), gdi);
  EXPECT_EQ(control_tests::ThreadWindowCount(), user);
}

}  // namespace
