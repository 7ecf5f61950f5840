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

std::shared_ptr<TClientRow> TClientRows::MakeRow(std::vector<Variant> values) {
  if (values.size() != FColumns.size()) values.resize(FColumns.size(), Variant::Null());
  auto row = std::make_shared<TClientRow>();
  row->Id = FNextId++;
  row->Values = std::move(values);
  FById.push_back(row.get());
  return row;
}

TClientRow& TClientRows::AddRow(std::vector<Variant> values) {
  FRows.push_back(MakeRow(std::move(values)));
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
  if (id < FFirstId || id - FFirstId >= static_cast<int64_t>(FById.size())) return nullptr;
  return FById[static_cast<size_t>(id - FFirstId)];
}

void TClientRows::Clear() {
  FRows.clear();
  FById.clear();
  FFirstId = FNextId;
  ++FStructureVersion;
}

std::shared_ptr<TClientRow> TClientRows::InsertRow(std::vector<Variant> values, int64_t beforeId) {
  auto position = FRows.end();
  if (beforeId != 0 && FindRow(beforeId)) {
    for (auto it = FRows.begin(); it != FRows.end(); ++it)
      if ((*it)->Id == beforeId) {
        position = it;
        break;
      }
  }
  std::shared_ptr<TClientRow> row = MakeRow(std::move(values));
  FRows.insert(position, row);
  ++FStructureVersion;
  return row;
}

void TClientRows::RemoveRow(int64_t id) {
  if (!FindRow(id)) return;
  FById[static_cast<size_t>(id - FFirstId)] = nullptr;
  for (auto it = FRows.begin(); it != FRows.end(); ++it)
    if ((*it)->Id == id) {
      FRows.erase(it);
      break;
    }
  ++FStructureVersion;
}
