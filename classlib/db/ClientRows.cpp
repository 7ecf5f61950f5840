// TClientRows: the in-memory rows behind data sets.
#include "DB.h"

int TClientRows::AddColumn(const TColumnInfo& column) {
  FColumns.push_back(column);
  for (auto& row : FRows) {
    row->Values.resize(FColumns.size(), Variant::Null());
  }
  return static_cast<int>(FColumns.size()) - 1;
}

int TClientRows::IndexOfColumn(const String& name) const {
  for (size_t i = 0; i < FColumns.size(); ++i)
    if (SameText(FColumns[i].Name, name)) return static_cast<int>(i);
  return -1;
}

TClientRow& TClientRows::AddRow(std::vector<Variant> values) {
  values.resize(FColumns.size(), Variant::Null());
  auto row = std::make_shared<TClientRow>();
  row->Id = FNextId++;
  row->Values = std::move(values);
  FById[row->Id] = row.get();
  FRows.push_back(std::move(row));
  ++FStructureVersion;
  return *FRows.back();
}

void TClientRows::Reserve(int rowCount) {
  if (rowCount > 0) {
    FRows.reserve(static_cast<size_t>(rowCount));
    FById.reserve(static_cast<size_t>(rowCount));
  }
}

TClientRow* TClientRows::FindRow(int64_t id) const {
  auto it = FById.find(id);
  return it == FById.end() ? nullptr : it->second;
}

void TClientRows::Clear() {
  FRows.clear();
  FById.clear();
  ++FStructureVersion;
}

std::shared_ptr<TClientRow> TClientRows::InsertRow(std::vector<Variant> values, int64_t beforeId) {
  values.resize(FColumns.size(), Variant::Null());
  auto row = std::make_shared<TClientRow>();
  row->Id = FNextId++;
  row->Values = std::move(values);
  auto position = FRows.end();
  if (beforeId != 0 && FById.count(beforeId)) {
    for (auto it = FRows.begin(); it != FRows.end(); ++it)
      if ((*it)->Id == beforeId) {
        position = it;
        break;
      }
  }
  FById[row->Id] = row.get();
  FRows.insert(position, row);
  ++FStructureVersion;
  return row;
}

void TClientRows::RemoveRow(int64_t id) {
  if (!FById.erase(id)) return;
  for (auto it = FRows.begin(); it != FRows.end(); ++it)
    if ((*it)->Id == id) {
      FRows.erase(it);
      break;
    }
  ++FStructureVersion;
}
