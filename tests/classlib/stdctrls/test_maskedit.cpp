// Edit masks: the mask syntax and the texts it gives, then masked edits read from a layout
// and typed into: characters the mask refuses, literals skipped, the caret on the mask,
// Backspace, Delete, Escape, paste, selections made with Shift and typed over, and an
// incomplete entry refused.
#include <gtest/gtest.h>

#include "EditTestSupport.h"
#include "GridTestSupport.h"
#include "classlib/stdctrls/MaskEdit.h"
#include "classlib/system/SysLocale.h"
#include "tests/ErrorMessages.h"

using namespace edit_tests;

namespace {

TEditMask Mask(const String& text) { return TEditMask(text, L'-', L'.'); }

// ---- The mask syntax ----------------------------------------------------------------------------

TEST(EditMaskSyntax, FieldsSaySaveAndBlank) {
  const struct {
    const wchar_t* Mask;
    const wchar_t* Empty;
    bool SaveLiterals;
  } cases[] = {
      {L"!99/99/00;1;_", L"__-__-__", true},  // '/' is the date separator given
      {L"\\(000\\) 000;0;*", L"(***) ***", false},
      {L"00:00", L"__.__", true},         // no fields: saved, '_'
      {L"a;b;xy;0", L"_;b;xy", false},    // an early ';' is a literal
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Mask(c.Mask).EmptyEditText(), c.Empty) << StringToUtf8(c.Mask);
    EXPECT_EQ(Mask(c.Mask).GetSaveLiterals(), c.SaveLiterals) << StringToUtf8(c.Mask);
  }
  const TEditMask date = Mask(L"!99/99/00;1;_");
  EXPECT_TRUE(date.IsMasked());
  EXPECT_TRUE(date.GetReverse());
  EXPECT_EQ(date.GetLength(), 8);
  EXPECT_EQ(Mask(L"00;0;*").GetBlank(), L'*');
  EXPECT_FALSE(Mask(L"").IsMasked());
  EXPECT_EQ(Mask(L"\\").GetLength(), 0);  // a lone escape is nothing
}

TEST(EditMaskSyntax, EachMaskCharacterTakesItsKindOfCharacter) {
  const TEditMask mask = Mask(L"LlAaCc09#");
  const struct {
    int Pos;
    wchar_t Ch;
    bool Taken;
  } cases[] = {{0, L'q', true},  {0, L'7', false}, {1, L'Z', true},  {2, L'7', true},
               {3, L'-', false}, {4, L'-', true},  {5, L' ', true},  {6, L'0', true},
               {6, L'x', false}, {7, L' ', false}, {8, L'+', true},  {8, L' ', true},
               {8, L'.', false}, {9, L'1', false}, {-1, L'1', false}};  // 9: past the end
  for (const auto& c : cases) {
    wchar_t ch = c.Ch;
    EXPECT_EQ(mask.AcceptChar(c.Pos, ch), c.Taken) << c.Pos << " " << static_cast<char>(c.Ch);
  }

  const TEditMask cased = Mask(L">LL<LL<>LL");
  const auto taken = [&](int pos, wchar_t ch) {
    EXPECT_TRUE(cased.AcceptChar(pos, ch));
    return ch;
  };
  EXPECT_EQ(taken(0, L'a'), L'A');
  EXPECT_EQ(taken(2, L'B'), L'b');
  EXPECT_EQ(taken(4, L'c'), L'c');  // "<>": no case
}

TEST(EditMaskSyntax, TextAndEditTextConvertBothWays) {
  const TEditMask saved = Mask(L"00/00;1;_");
  EXPECT_EQ(saved.EditTextFromText(L"1234"), L"12-34");  // the literal is put in
  EXPECT_EQ(saved.EditTextFromText(L"1x-3"), L"1_-3_");  // misfits become blanks
  EXPECT_EQ(saved.TextFromEditText(L"1_-3_"), L"1 -3 ");

  const TEditMask dropped = Mask(L"00/00;0;_");
  EXPECT_EQ(dropped.TextFromEditText(L"12-3_"), L"123");  // blanks at the end go
  EXPECT_EQ(dropped.TextFromEditText(L"_2-3_"), L" 23");
  EXPECT_EQ(dropped.EditTextFromText(L"123"), L"12-3_");

  const TEditMask reversed = Mask(L"!9999;0;_");
  EXPECT_EQ(reversed.EditTextFromText(L"42"), L"__42");
  EXPECT_EQ(reversed.TextFromEditText(L"__42"), L"42");
  EXPECT_EQ(reversed.EditTextFromText(L"123456"), L"3456");

  EXPECT_EQ(saved.Normalize(L"9"), L"9_-__");
  EXPECT_EQ(saved.Normalize(L"12/34xyz"), L"12-34");
}

TEST(EditMaskSyntax, IncompleteMeansARequiredPositionIsBlank) {
  const TEditMask mask = Mask(L"09-C;1;_");
  EXPECT_EQ(mask.FirstIncomplete(L"_1-x"), 0);
  EXPECT_EQ(mask.FirstIncomplete(L"1_-x"), -1);  // '9' is optional
  EXPECT_EQ(mask.FirstIncomplete(L"1_-_"), 3);
  EXPECT_EQ(mask.FirstIncomplete(L"1_- "), -1);  // a space fills 'C'
  EXPECT_EQ(mask.NextEditable(2), 3);
  EXPECT_EQ(mask.NextEditable(4), 4);
  EXPECT_EQ(mask.PriorEditable(2), 1);
  EXPECT_EQ(mask.PriorEditable(-3), -1);
  EXPECT_EQ(mask.FindLiteral(0, L'-'), 2);
  EXPECT_EQ(mask.FindLiteral(0, L'+'), -1);
}

// ---- TMaskEdit ----------------------------------------------------------------------------------

class MaskEditTest : public EditFormTest {
 protected:
  void SetUp() override {
    FSavedSettings = FormatSettings;
    FormatSettings.DateSeparator = L'/';
    FormatSettings.TimeSeparator = L':';
    EditFormTest::SetUp();
    ReadLayout(
        L"object Form1: TEditsForm\n"
        L"  object Date1: TMaskEdit\n    Top = 8\n    EditMask = '!99/99/0000;1;_'\n"
        L"    OnChange = Changed\n  end\n"
        L"  object Code1: TMaskEdit\n    Top = 40\n    EditMask = '>LL-000;0;_'\n"
        L"    Text = 'ab123'\n  end\n"
        L"  object Plain1: TEdit\n    Top = 80\n  end\n"
        L"end\n");
    Date = Find<TMaskEdit>(L"Date1");
    Code = Find<TMaskEdit>(L"Code1");
    ShowForm();
    ASSERT_TRUE(FocusOn(Date));
  }
  void TearDown() override {
    EditFormTest::TearDown();
    FormatSettings = FSavedSettings;
  }
  std::pair<int, int> Sel() { return EditSelection(Date->GetHandle()); }

  TMaskEdit* Date = nullptr;
  TMaskEdit* Code = nullptr;
  TFormatSettings FSavedSettings;
};

TEST_F(MaskEditTest, TheWindowShowsTheMaskAndTextFollowsItsSecondField) {
  ASSERT_TRUE(Date && Code);
  EXPECT_EQ(Date->GetEditText(), L"__/__/____");
  EXPECT_EQ(Date->GetText(), L"  /  /    ");
  EXPECT_EQ(Code->GetEditText(), L"AB-123");  // read without literals, upper case
  EXPECT_EQ(Code->GetText(), L"AB123");
  EXPECT_EQ(::SendMessageW(Date->GetHandle(), EM_GETLIMITTEXT, 0, 0), 10);
}

TEST_F(MaskEditTest, TypingFillsPositionsSkipsLiteralsAndRefusesBadCharacters) {
  Form->Reset();
  Type(L"12");
  EXPECT_EQ(Date->GetEditText(), L"12/__/____");
  EXPECT_EQ(Sel(), std::make_pair(3, 4));  // past the literal, the position shows selected
  Type(L"x");                              // refused: nothing changes
  EXPECT_EQ(Date->GetEditText(), L"12/__/____");
  EXPECT_EQ(Date->GetCaretPosition(), 3);
  Type(L"5/");  // '/' ends the field early
  EXPECT_EQ(Date->GetEditText(), L"12/5_/____");
  EXPECT_EQ(Date->GetCaretPosition(), 6);
  Type(L"2024");
  EXPECT_EQ(Date->GetEditText(), L"12/5_/2024");
  EXPECT_EQ(Date->GetText(), L"12/5 /2024");
  EXPECT_EQ(Sel(), std::make_pair(10, 10));  // at the end: nothing selected
  Type(L"9");  // no room left
  EXPECT_EQ(Date->GetEditText(), L"12/5_/2024");
  EXPECT_EQ(Count(L"Change", Date), 7);
  EXPECT_TRUE(Date->GetModified());
}

TEST_F(MaskEditTest, ArrowsBackspaceAndDeleteWorkOnPositions) {
  Type(L"1234");
  ASSERT_EQ(Date->GetEditText(), L"12/34/____");
  PressKey(VK_LEFT);  // over the literal onto the last '4'
  EXPECT_EQ(Date->GetCaretPosition(), 4);
  PressKey(VK_LEFT);
  PressKey(VK_LEFT);
  EXPECT_EQ(Date->GetCaretPosition(), 1);
  PressKey(VK_DELETE);  // blanks the position, the caret stays
  EXPECT_EQ(Date->GetEditText(), L"1_/34/____");
  EXPECT_EQ(Date->GetCaretPosition(), 1);
  PressKey(VK_RIGHT);
  PressKey(VK_RIGHT);
  EXPECT_EQ(Date->GetCaretPosition(), 4);
  PressKey(VK_BACK);  // blanks the position before the caret
  EXPECT_EQ(Date->GetEditText(), L"1_/_4/____");
  EXPECT_EQ(Date->GetCaretPosition(), 3);
  PressKey(VK_END);
  EXPECT_EQ(Date->GetCaretPosition(), 10);
  PressKey(VK_HOME);
  EXPECT_EQ(Date->GetCaretPosition(), 0);
  Type(L"7");
  EXPECT_EQ(Date->GetEditText(), L"7_/_4/____");

  // A click puts the caret on a position.
  ::SendMessageW(Date->GetHandle(), EM_SETSEL, 6, 6);
  ::PostMessageW(Date->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  Pump();
  const auto sel = Sel();
  EXPECT_EQ(sel.second - sel.first, 1);
}

// Keys pressed with Shift held.
void ShiftKeys(std::initializer_list<WORD> keys) {
  grid_tests::HeldKeys shift(true, false);
  for (const WORD key : keys) PressKey(key);
}

TEST_F(MaskEditTest, ShiftSelectsFromThePositionUnderTheCaret) {
  Type(L"1234");
  PressKey(VK_HOME);
  ShiftKeys({VK_END});
  EXPECT_EQ(Sel(), std::make_pair(0, 10)) << "from the first position, not the second";
  Type(L"5");  // replaces the whole selection
  EXPECT_EQ(Date->GetEditText(), L"5_/__/____");
  EXPECT_EQ(Date->GetCaretPosition(), 1);

  Date->SetText(L"12/34/2024");
  PressKey(VK_HOME);
  PressKey(VK_RIGHT);
  PressKey(VK_RIGHT);  // over the literal, onto the '3'
  ASSERT_EQ(Date->GetCaretPosition(), 3);
  ShiftKeys({VK_HOME});
  EXPECT_EQ(Sel(), std::make_pair(0, 4)) << "up to and including the caret's position";
  ShiftKeys({VK_END});  // the anchor stays where the selection began
  EXPECT_EQ(Sel(), std::make_pair(3, 10));
  PressKey(VK_LEFT);  // collapses onto its first position
  EXPECT_EQ(Sel(), std::make_pair(3, 4));

  ShiftKeys({VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_LEFT});
  EXPECT_EQ(Sel(), std::make_pair(3, 6));
  ShiftKeys({VK_LEFT, VK_LEFT, VK_LEFT});  // back over the anchor: it stays selected
  EXPECT_EQ(Sel(), std::make_pair(2, 4));
  Type(L"9");  // literals in the selection stay, the digit goes to the first free place
  EXPECT_EQ(Date->GetEditText(), L"12/94/2024");
  EXPECT_EQ(Date->GetCaretPosition(), 4);

  PressKey(VK_END);
  ShiftKeys({VK_LEFT, VK_LEFT});
  EXPECT_EQ(Sel(), std::make_pair(8, 10));
  PressKey(VK_BACK);  // blanks the selection
  EXPECT_EQ(Date->GetEditText(), L"12/94/20__");
  ShiftKeys({VK_HOME});
  EXPECT_EQ(Sel(), std::make_pair(0, 9));
  PressKey(VK_RIGHT);  // past the selection
  EXPECT_EQ(Date->GetCaretPosition(), 9);

  // A selection made by code grows from its end.
  ::SendMessageW(Date->GetHandle(), EM_SETSEL, 1, 4);
  ShiftKeys({VK_RIGHT});
  EXPECT_EQ(Sel(), std::make_pair(1, 5));
}

TEST_F(MaskEditTest, AnIncompleteEntryIsRefusedByValidateEditAndWhenTheFocusLeaves) {
  const String invalid = L"Invalid input value.  Use escape key to abandon changes";
  Date->ValidateEdit();  // not modified: nothing to check
  Type(L"12");
  EXPECT_EQ(ErrorMessageOf<EDBEditError>([&] { Date->ValidateEdit(); }, L"no error"), invalid);
  EXPECT_EQ(Date->GetCaretPosition(), 6);  // on the first blank required position

  std::vector<String> errors;
  const TExceptionEvent saved = Application->GetOnException();
  Application->SetOnException([&](TObject*, Exception& e) { errors.push_back(e.Message()); });
  Find<TEdit>(L"Plain1")->SetFocus();  // the check runs within the change of focus
  const bool keptFocus = Date->Focused();
  Application->SetOnException(saved);
  // (Once, unless another program takes the activation meanwhile and gives it back.)
  ASSERT_GE(errors.size(), 1u);
  EXPECT_EQ(errors[0], invalid);
  EXPECT_TRUE(keptFocus);
  EXPECT_EQ(Date->GetCaretPosition(), 6);

  Type(L"1999");
  EXPECT_EQ(Date->GetEditText(), L"12/__/1999");
  EXPECT_NO_THROW(Date->ValidateEdit());  // the '9' positions are optional
  EXPECT_TRUE(FocusOn(Find<TEdit>(L"Plain1")));
}

TEST_F(MaskEditTest, EscapePutsBackTheTextTheControlWasEnteredWith) {
  Date->SetText(L"01/02/2003");
  Find<TEdit>(L"Plain1")->SetFocus();
  ASSERT_TRUE(FocusOn(Date));
  PressKey(VK_HOME);  // off the whole text AutoSelect selected
  Type(L"99");
  EXPECT_EQ(Date->GetEditText(), L"99/02/2003");
  EXPECT_EQ(Date->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0), 1);  // not the form's Escape
  PressKey(VK_ESCAPE);
  EXPECT_EQ(Date->GetEditText(), L"01/02/2003");
  EXPECT_FALSE(Date->GetModified());
  EXPECT_EQ(Date->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0), 0);
}

TEST_F(MaskEditTest, PasteAndTextSetByCodeGoThroughTheMask) {
  Code->SetText(L"zz987654");
  EXPECT_EQ(Code->GetEditText(), L"ZZ-987");
  ::SetWindowTextW(Code->GetHandle(), L"q1-1x");  // even the window's own text fits
  EXPECT_EQ(Code->GetEditText(), L"Q_-1__");

  // The clipboard's text is entered character by character.
  Find<TEdit>(L"Plain1")->SetText(L"ab-x12");
  Find<TEdit>(L"Plain1")->SelectAll();
  Find<TEdit>(L"Plain1")->CopyToClipboard();
  Date->SetText(L"");
  ::SendMessageW(Date->GetHandle(), EM_SETSEL, 0, 0);
  Date->PasteFromClipboard();
  EXPECT_EQ(Date->GetEditText(), L"12/__/____");

  // Without a mask the control is a plain edit.
  Code->SetEditMask(L"");
  EXPECT_FALSE(Code->IsMasked());
  EXPECT_EQ(Code->GetText(), L"Q 1");  // the Text of the mask, without literals
  Code->SetText(L"anything");
  EXPECT_EQ(Code->GetEditText(), L"anything");
}

}  // namespace
