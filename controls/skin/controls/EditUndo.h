// TEditActionStack: the undo history of the owner-drawn edit. Each record is one deletion or
// one insertion; a run of typing, or of Back or Delete presses at neighbouring places, merges
// into one record so that one undo takes back the whole run. An insertion that replaced a
// selection is grouped with the deletion below it: one undo takes back both.
//
// The history is bounded: past MaxUndoRecords records the oldest whole groups are dropped.
// Undo asks the owner to apply each step; a step the owner refuses stays on the stack.
#pragma once
#include <cstddef>
#include <deque>

#include "classlib/system/SysString.h"

// What the stack needs of the edit that owns it. Positions are in UTF-16 units.
class TEditUndoTarget {
 public:
  virtual ~TEditUndoTarget() = default;
  // Inserts s after position characters and selects it; false when the edit refused.
  virtual bool UndoInsertText(int position, const String& s, bool select) = 0;
  // Deletes count characters from the 1-based position; false when the edit refused.
  virtual bool UndoDeleteText(int position, int count, bool select) = 0;
};

enum class TEditActionKind : unsigned char { Deletion = 0, Insertion = 1 };

struct TEditAction {
  TEditActionKind Kind = TEditActionKind::Deletion;
  bool Grouped = false;  // undoing this record undoes the one below it too
  int Position = 0;      // 1-based character index of the change
  String Text;           // deletion: the removed characters
  int Count = 0;         // insertion: how many characters were added
};

class TEditActionStack {
 public:
  static constexpr std::size_t MaxUndoRecords = 10000;

  explicit TEditActionStack(TEditUndoTarget* edit) : FEdit(edit) {}
  TEditActionStack(const TEditActionStack&) = delete;
  TEditActionStack& operator=(const TEditActionStack&) = delete;

  // Text removed at the 1-based position. Merges into a deletion on top when the two touch:
  // appended when it starts where the record starts (Delete), prepended when it ends there
  // (Back). Empty text or a position below 1 records nothing. Without mayMerge the record
  // always stands alone (a whole replacement made in code).
  void RecordDeletion(int position, const String& text, bool mayMerge = true);
  // count characters added at the 1-based position; merges into an insertion on top that ends
  // there. Grouped: undone together with the record below.
  void RecordInsertion(int position, int count, bool grouped);
  // Takes back the top group. False when the stack is empty, there is no owner, or the owner
  // refused a step (that step and those below stay recorded).
  bool Undo();
  void Clear() { FRecords.clear(); }

  bool Empty() const { return FRecords.empty(); }
  std::size_t Count() const { return FRecords.size(); }
  const TEditAction& Top() const { return FRecords.back(); }

 private:
  void Push(TEditAction action);

  TEditUndoTarget* FEdit;              // the owner; not owned
  std::deque<TEditAction> FRecords;    // oldest first
};
