// The edit's undo history as pure logic: a fake owner applies each step to a string the way
// the edit does, so runs of keys can be played and undone by table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/skin/controls/EditUndo.h"

namespace {

// Applies undo steps to Text; Refuse makes every step fail, as a read-only edit would.
struct FakeEdit : TEditUndoTarget {
  String Text;
  int SelStart = 0, SelLength = 0;
  bool Refuse = false;
  bool UndoInsertText(int position, const String& s, bool select) override {
    if (Refuse || position < 0 || position > static_cast<int>(Text.size())) return false;
    Text.insert(position, s);
    if (select) SelStart = position, SelLength = static_cast<int>(s.size());
    return true;
  }
  bool UndoDeleteText(int position, int count, bool select) override {
    if (Refuse || position < 1 || position - 1 + count > static_cast<int>(Text.size())) return false;
    Text.erase(position - 1, count);
    if (select) SelStart = position - 1, SelLength = 0;
    return true;
  }
};

// Plays keys on a single-line text with a caret, recording as the edit does.
struct Player {
  FakeEdit Edit;
  TEditActionStack Stack{&Edit};
  int Caret = 0;
  void Type(const String& s) {
    Edit.Text.insert(Caret, s);
    Stack.RecordInsertion(Caret + 1, static_cast<int>(s.size()), false);
    Caret += static_cast<int>(s.size());
  }
  void Back() {
    if (Caret == 0) return;
    Stack.RecordDeletion(Caret, Edit.Text.substr(Caret - 1, 1));
    Edit.Text.erase(Caret - 1, 1);
    --Caret;
  }
  void Delete() {
    if (Caret >= static_cast<int>(Edit.Text.size())) return;
    Stack.RecordDeletion(Caret + 1, Edit.Text.substr(Caret, 1));
    Edit.Text.erase(Caret, 1);
  }
  // Replaces [from, from + length) by s as typing over a selection does.
  void Replace(int from, int length, const String& s) {
    Stack.RecordDeletion(from + 1, Edit.Text.substr(from, length));
    Edit.Text.replace(from, length, s);
    Stack.RecordInsertion(from + 1, static_cast<int>(s.size()), true);
    Caret = from + static_cast<int>(s.size());
  }
};

struct KeyCase {
  const char* Name;
  String Start;
  int Caret;
  std::string Keys;  // a..z typed, '<' Back, '>' Delete, 'L' Left, 'R' Right
  std::vector<String> AfterEachUndo;
};

TEST(EditUndoStack, RunsOfKeysMergeOnlyWhenAdjacent) {
  const KeyCase cases[] = {
      {"typing is one step", L"", 0, "abc", {L""}},
      {"three Backs restore in order", L"abcd", 4, "<<<", {L"abcd"}},
      {"two Deletes at one place", L"abcd", 1, ">>", {L"abcd"}},
      {"Back, Left, Back stays two steps", L"abcd", 4, "<L<", {L"abc", L"abcd"}},
      {"Delete then Back at the same caret", L"abcd", 2, "><", {L"abcd"}},
      {"typing elsewhere is a new step", L"xy", 2, "abLLLc", {L"xyab", L"xy"}},
      {"typing then Back are two steps", L"", 0, "ab<", {L"ab", L""}},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Player p;
    p.Edit.Text = c.Start;
    p.Caret = c.Caret;
    for (char k : c.Keys) {
      if (k == '<') p.Back();
      else if (k == '>') p.Delete();
      else if (k == 'L') p.Caret = p.Caret > 0 ? p.Caret - 1 : 0;
      else if (k == 'R') p.Caret = std::min<int>(p.Caret + 1, p.Edit.Text.size());
      else p.Type(String(1, static_cast<wchar_t>(k)));
    }
    for (const String& expected : c.AfterEachUndo) {
      EXPECT_TRUE(p.Stack.Undo());
      EXPECT_EQ(expected, p.Edit.Text);
    }
    EXPECT_TRUE(p.Stack.Empty());
    EXPECT_FALSE(p.Stack.Undo());  // stops at the empty stack, text untouched
    EXPECT_EQ(c.AfterEachUndo.back(), p.Edit.Text);
  }
}

TEST(EditUndoStack, BackRestoresTheRunSelected) {
  Player p;
  p.Edit.Text = L"考试abc";
  p.Caret = 5;
  p.Back(), p.Back(), p.Back();
  ASSERT_TRUE(p.Stack.Undo());
  EXPECT_EQ(L"考试abc", p.Edit.Text);
  EXPECT_EQ(2, p.Edit.SelStart);
  EXPECT_EQ(3, p.Edit.SelLength);
}

TEST(EditUndoStack, ReplacingASelectionUndoesInOneStepAndTypingAfterItJoinsIt) {
  Player p;
  p.Edit.Text = L"hello world";
  p.Replace(6, 5, L"k");
  p.Type(L"it");
  EXPECT_EQ(L"hello kit", p.Edit.Text);
  ASSERT_TRUE(p.Stack.Undo());
  EXPECT_EQ(L"hello world", p.Edit.Text);
  EXPECT_EQ(6, p.Edit.SelStart);
  EXPECT_EQ(5, p.Edit.SelLength);
  EXPECT_TRUE(p.Stack.Empty());
}

TEST(EditUndoStack, NothingIsRecordedForEmptyOrInvalidChanges) {
  FakeEdit edit;
  TEditActionStack stack(&edit);
  stack.RecordDeletion(1, L"");
  stack.RecordDeletion(0, L"x");
  stack.RecordDeletion(-3, L"x");
  stack.RecordInsertion(1, 0, false);
  stack.RecordInsertion(1, -2, false);
  stack.RecordInsertion(0, 1, false);
  EXPECT_TRUE(stack.Empty());
  // A grouped insertion on an empty stack has nothing to group with.
  stack.RecordInsertion(1, 1, true);
  EXPECT_FALSE(stack.Top().Grouped);
  TEditActionStack orphan(nullptr);
  orphan.RecordInsertion(1, 1, false);
  EXPECT_FALSE(orphan.Undo());
  EXPECT_EQ(1u, orphan.Count());
}

TEST(EditUndoStack, ARefusedUndoKeepsItsRecordForALaterTry) {
  Player p;
  p.Type(L"ab");
  p.Edit.Refuse = true;
  EXPECT_FALSE(p.Stack.Undo());
  EXPECT_EQ(L"ab", p.Edit.Text);
  EXPECT_EQ(1u, p.Stack.Count());
  p.Edit.Refuse = false;
  EXPECT_TRUE(p.Stack.Undo());
  EXPECT_EQ(L"", p.Edit.Text);
}

TEST(EditUndoStack, TheCapDropsWholeOldestGroups) {
  Player p;
  // A replacement at the bottom (two records, one group), then records that cannot merge.
  p.Edit.Text = L"xy";
  p.Replace(0, 1, L"z");
  const int edits = 20000;
  for (int i = 0; i < edits; ++i) {
    p.Caret = static_cast<int>(p.Edit.Text.size()) - (i % 2);  // alternate places: no merging
    p.Type(L"q");
  }
  EXPECT_LE(p.Stack.Count(), TEditActionStack::MaxUndoRecords);
  // No record left at the bottom may be grouped with a dropped one.
  int undone = 0;
  while (p.Stack.Undo()) ++undone;
  EXPECT_EQ(static_cast<int>(TEditActionStack::MaxUndoRecords), undone);
  EXPECT_TRUE(p.Stack.Empty());

  // A group at the bottom goes whole when its lower record is dropped.
  FakeEdit edit;
  TEditActionStack stack(&edit);
  stack.RecordDeletion(5, L"a");
  stack.RecordInsertion(9, 1, true);
  for (std::size_t i = 2; i < TEditActionStack::MaxUndoRecords; ++i)
    stack.RecordInsertion(static_cast<int>(i % 2) * 4 + 1, 1, false);  // never adjacent
  ASSERT_EQ(TEditActionStack::MaxUndoRecords, stack.Count());
  stack.RecordInsertion(7, 1, false);
  EXPECT_EQ(TEditActionStack::MaxUndoRecords - 1, stack.Count());
  EXPECT_FALSE(stack.Top().Grouped);
}

}  // namespace
