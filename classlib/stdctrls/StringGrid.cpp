// TDrawGrid (cells drawn by OnDrawCell) and TStringGrid (a text and an object per cell).
#include "Grids.h"

// ---- TDrawGrid -------------------------------------------------------------------------------------

void TDrawGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
  if (FOnDrawCell) FOnDrawCell(this, col, row, rect, state);
}

bool TDrawGrid::SelectCell(int col, int row) {
  bool canSelect = true;
  if (FOnSelectCell) FOnSelectCell(this, col, row, canSelect);
  return canSelect;
}

void TDrawGrid::TopLeftChanged() {
  inherited::TopLeftChanged();
  if (FOnTopLeftChanged) FOnTopLeftChanged(this);
}

// ---- TStringGrid -------------------------------------------------------------------------------------

namespace {

void CheckCellIndex(int col, int row) {
  if (col < 0 || row < 0) throw EInvalidGridOperation(L"Grid index out of range");
}

}  // namespace

const TStringGrid::TCell* TStringGrid::FindCell(int col, int row) const {
  const auto rowIt = FData.find(row);
  if (rowIt == FData.end()) return nullptr;
  const auto cellIt = rowIt->second.find(col);
  return cellIt == rowIt->second.end() ? nullptr : &cellIt->second;
}

TStringGrid::TCell& TStringGrid::CellAt(int col, int row) { return FData[row][col]; }

String TStringGrid::GetCells(int col, int row) const {
  CheckCellIndex(col, row);
  const TCell* cell = FindCell(col, row);
  return cell ? cell->Text : String();
}

void TStringGrid::SetCells(int col, int row, const String& value) {
  CheckCellIndex(col, row);
  if (value.empty() && !FindCell(col, row)) return;
  CellAt(col, row).Text = value;
  InvalidateCell(col, row);
}

TObject* TStringGrid::GetObjects(int col, int row) const {
  CheckCellIndex(col, row);
  const TCell* cell = FindCell(col, row);
  return cell ? cell->Object : nullptr;
}

void TStringGrid::SetObjects(int col, int row, TObject* value) {
  CheckCellIndex(col, row);
  if (!value && !FindCell(col, row)) return;
  CellAt(col, row).Object = value;
}

void TStringGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
  if (GetDefaultDrawing()) {
    if (const TCell* cell = FindCell(col, row); cell && !cell->Text.empty())
      GetCanvas()->TextRect(rect, rect.Left + 2, rect.Top + 2, cell->Text);
  }
  inherited::DrawCell(col, row, rect, state);
}
