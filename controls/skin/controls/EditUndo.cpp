#include "EditUndo.h"

#include <utility>

void TEditActionStack::Push(TEditAction action) {
  FRecords.push_back(std::move(action));
  // Drop whole groups from the bottom: a record grouped onto the dropped one goes with it,
  // else its undo would reach a record that no longer exists.
  while (FRecords.size() > MaxUndoRecords) {
    FRecords.pop_front();
    while (!FRecords.empty() && FRecords.front().Grouped) FRecords.pop_front();
  }
}

void TEditActionStack::RecordDeletion(int position, const String& text, bool mayMerge) {
  if (text.empty() || position < 1) return;
  if (mayMerge && !FRecords.empty() && FRecords.back().Kind == TEditActionKind::Deletion) {
    TEditAction& top = FRecords.back();
    if (position == top.Position) {
      top.Text += text;
      return;
    }
    if (static_cast<long long>(position) + static_cast<long long>(text.size()) == top.Position) {
      top.Text = text + top.Text;
      top.Position = position;
      return;
    }
  }
  TEditAction action;
  action.Kind = TEditActionKind::Deletion;
  action.Position = position;
  action.Text = text;
  Push(std::move(action));
}

void TEditActionStack::RecordInsertion(int position, int count, bool grouped) {
  if (count <= 0 || position < 1) return;
  if (!FRecords.empty() && FRecords.back().Kind == TEditActionKind::Insertion) {
    TEditAction& top = FRecords.back();
    if (static_cast<long long>(top.Position) + top.Count == position) {
      top.Count += count;
      return;
    }
  }
  TEditAction action;
  action.Kind = TEditActionKind::Insertion;
  action.Grouped = grouped && !FRecords.empty();
  action.Position = position;
  action.Count = count;
  Push(std::move(action));
}

bool TEditActionStack::Undo() {
  if (FRecords.empty() || !FEdit) return false;
  // Bounded by the records there are; a refused step stays for a later try.
  for (std::size_t steps = FRecords.size(); steps > 0 && !FRecords.empty(); --steps) {
    const TEditAction& top = FRecords.back();
    const bool done = top.Kind == TEditActionKind::Deletion
                          ? FEdit->UndoInsertText(top.Position - 1, top.Text, true)
                          : FEdit->UndoDeleteText(top.Position, top.Count, true);
    if (!done) return false;
    const bool grouped = top.Grouped;
    FRecords.pop_back();
    if (!grouped) break;
  }
  return true;
}
