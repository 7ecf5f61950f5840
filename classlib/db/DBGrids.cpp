// TDBGrid: the window of records, the columns, drawing, and moving through the data set.
#include "DBGrids.h"

#include <algorithm>
#include "../controls/Messages.h"
#include "../system/SysMath.h"

namespace {

// The width of the indicator column.
constexpr int IndicatorWidth = 11;

const TDBGridOptions DefaultOptions{dgEditing,  dgTitles, dgIndicator,     dgColumnResize,
                                    dgColLines, dgRowLines, dgTabs, dgConfirmDelete,
                                    dgCancelOnExit};

// The extent of text in font on the screen.
TSize MeasureText(TFont* font, const String& text) {
  TSize size{0, 0};
  HDC dc = ::GetDC(nullptr);
  if (!dc) return size;
  HGDIOBJ saved = ::SelectObject(dc, font->GetHandle());
  SIZE extent{};
  if (::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent))
    size = TSize{extent.cx, extent.cy};
  ::SelectObject(dc, saved);
  ::ReleaseDC(nullptr, dc);
  return size;
}

}  // namespace

// ---- TColumnTitle --------------------------------------------------------------------------------

String TColumnTitle::GetCaption() const {
  if (FCaptionAssigned) return FCaption;
  if (TField* field = FColumn->GetField()) return field->GetDisplayLabel();
  return FColumn->GetFieldName();
}

void TColumnTitle::SetCaption(const String& value) {
  if (FCaptionAssigned && FCaption == value) return;
  FCaption = value;
  FCaptionAssigned = true;
  FColumn->TitleChanged();
}

void TColumnTitle::SetAlignment(TAlignment value) {
  if (FAlignment == value) return;
  FAlignment = value;
  FColumn->TitleChanged();
}

void TColumnTitle::Assign(TPersistent* source) {
  if (auto* title = dynamic_cast<TColumnTitle*>(source)) {
    FCaption = title->FCaption;
    FCaptionAssigned = title->FCaptionAssigned;
    FAlignment = title->FAlignment;
    FColumn->TitleChanged();
    return;
  }
  inherited::Assign(source);
}

TPersistent* TColumnTitle::GetOwner() const { return FColumn; }

// ---- TColumn ----------------------------------------------------------------------------------------

TColumn::TColumn(TCollection* collection)
    : TCollectionItem(collection), FTitle(std::make_unique<TColumnTitle>(this)) {}

TColumn::~TColumn() = default;

TDBGrid* TColumn::GetGrid() const {
  auto* columns = dynamic_cast<TDBGridColumns*>(GetCollection());
  return columns ? columns->GetGrid() : nullptr;
}

void TColumn::SetFieldName(const String& value) {
  if (FFieldName == value) return;
  FFieldName = value;
  Changed(false);
}

TField* TColumn::GetField() const {
  TDBGrid* grid = GetGrid();
  TDataSet* dataSet = grid ? grid->ActiveDataSet() : nullptr;
  return dataSet && !FFieldName.empty() ? dataSet->FindField(FFieldName) : nullptr;
}

int TColumn::GetWidth() const { return FWidthAssigned ? FWidth : DefaultWidth(); }

void TColumn::SetWidth(int value) {
  value = Max(0, value);
  if (FWidthAssigned && FWidth == value) return;
  FWidth = value;
  FWidthAssigned = true;
  Changed(false);
}

int TColumn::DefaultWidth() const {
  TDBGrid* grid = GetGrid();
  if (!grid) return 64;
  TField* field = GetField();
  if (!field) return grid->GetDefaultColWidth();
  // As many average digits as the field's display width, or the title, whichever is wider.
  int width = field->GetDisplayWidth() * grid->TextSize(L"0").cx + 4;
  if (grid->GetOptions().Contains(dgTitles))
    width = Max(width, static_cast<int>(grid->TextSize(FTitle->GetCaption()).cx) + 4);
  return width;
}

TAlignment TColumn::GetAlignment() const {
  if (FAlignmentAssigned) return FAlignment;
  TField* field = GetField();
  return field ? field->GetAlignment() : taLeftJustify;
}

void TColumn::SetAlignment(TAlignment value) {
  if (FAlignmentAssigned && FAlignment == value) return;
  FAlignment = value;
  FAlignmentAssigned = true;
  Changed(false);
}

void TColumn::SetTitle(TColumnTitle* value) {
  if (value) FTitle->Assign(value);
}

void TColumn::Assign(TPersistent* source) {
  if (auto* column = dynamic_cast<TColumn*>(source)) {
    if (auto* columns = dynamic_cast<TDBGridColumns*>(GetCollection())) columns->BeginUpdate();
    FFieldName = column->FFieldName;
    FWidth = column->FWidth;
    FWidthAssigned = column->FWidthAssigned;
    FAlignment = column->FAlignment;
    FAlignmentAssigned = column->FAlignmentAssigned;
    FTitle->Assign(column->FTitle.get());
    if (auto* columns = dynamic_cast<TDBGridColumns*>(GetCollection())) columns->EndUpdate();
    Changed(false);
    return;
  }
  inherited::Assign(source);
}

String TColumn::GetDisplayName() const {
  return FFieldName.empty() ? inherited::GetDisplayName() : FFieldName;
}

// ---- TDBGridColumns ---------------------------------------------------------------------------------

TDBGridColumns::TDBGridColumns(TDBGrid* grid)
    : TCollection([](TCollection* columns) -> TCollectionItem* {
        // A column joins the collection before its own constructor has run: the grid
        // hears of it only once it is whole.
        columns->BeginUpdate();
        TColumn* column = nullptr;
        try {
          column = new TColumn(columns);
        } catch (...) {
          columns->EndUpdate();
          throw;
        }
        columns->EndUpdate();
        return column;
      }),
      FGrid(grid) {
  SetPropName(L"Columns");
}

bool TDBGridColumns::IsCustomized() const {
  for (int i = 0; i < GetCount(); ++i)
    if (!GetItem(i)->GetIsDefault()) return true;
  return false;
}

TPersistent* TDBGridColumns::GetOwner() const { return FGrid; }

void TDBGridColumns::Update(TCollectionItem*) {
  if (FGrid->FLayoutLock == 0) FGrid->LayoutChanged();
}

// ---- TDBGrid: the data link -----------------------------------------------------------------------

// Passes the data set's events to the grid (not while the grid is being destroyed).
class TDBGrid::TGridDataLink : public TDataLink {
 public:
  explicit TGridDataLink(TDBGrid* grid) : FGrid(grid) {}

 protected:
  void ActiveChanged() override {
    if (Alive()) FGrid->LayoutChanged();
  }
  void LayoutChanged() override {
    if (Alive()) FGrid->LayoutChanged();
  }
  void DataSetChanged() override { Changed(); }
  void DataSetScrolled(int) override { Changed(); }
  void RecordChanged(TField*) override {
    if (Alive()) FGrid->InvalidateGrid();
  }
  void EditingChanged() override {
    if (Alive()) FGrid->InvalidateGrid();
  }
  void FocusControl(TField** field) override {
    if (!Alive() || !field || !*field) return;
    for (int i = 0; i < FGrid->FColumns->GetCount(); ++i) {
      if (FGrid->FColumns->GetItem(i)->GetField() != *field) continue;
      if (!FGrid->CanFocus()) return;
      FGrid->SetFocus();
      FGrid->SetSelectedIndex(i);
      *field = nullptr;
      return;
    }
  }

 private:
  bool Alive() const { return !FGrid->GetComponentState().Contains(csDestroying); }
  void Changed() {
    if (!Alive()) return;
    FGrid->UpdateRowsAndBars();
    FGrid->InvalidateGrid();
  }

  TDBGrid* FGrid;  // owns this link
};

// ---- TDBGrid: construction and attributes --------------------------------------------------------------

TDBGrid::TDBGrid(TComponent* owner)
    : TCustomGrid(owner),
      FColumns(std::make_unique<TDBGridColumns>(this)),
      FDataLink(std::make_unique<TGridDataLink>(this)) {
  SetOptions(DefaultOptions);
  LayoutChanged();
}

TDBGrid::~TDBGrid() {
  Destroying();
  FDataLink.reset();  // leaves the data source; its events no longer reach the grid
  FColumns.reset();
}

TDataSource* TDBGrid::GetDataSource() const { return FDataLink->GetDataSource(); }

void TDBGrid::SetDataSource(TDataSource* value) {
  if (value == GetDataSource()) return;
  if (TDataSource* old = GetDataSource()) old->RemoveFreeNotification(this);
  FDataLink->SetDataSource(value);
  if (value) value->FreeNotification(this);
  LayoutChanged();
}

TDataLink* TDBGrid::GetDataLink() const { return FDataLink.get(); }

void TDBGrid::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && FDataLink && component == GetDataSource()) SetDataSource(nullptr);
}

void TDBGrid::SetColumns(TDBGridColumns* value) {
  if (value) FColumns->Assign(value);
}

void TDBGrid::SetOptions(TDBGridOptions value) {
  if (value.Contains(dgRowSelect)) {
    value.Exclude(dgEditing);
    value.Exclude(dgAlwaysShowEditor);
  }
  if (value == FOptions) return;
  TGridOptions gridOptions;
  if (value.Contains(dgColLines)) gridOptions = gridOptions + TGridOptions{goFixedVertLine, goVertLine};
  if (value.Contains(dgRowLines)) gridOptions = gridOptions + TGridOptions{goFixedHorzLine, goHorzLine};
  if (value.Contains(dgColumnResize)) gridOptions.Include(goColSizing);
  if (value.Contains(dgTabs)) gridOptions.Include(goTabs);
  if (value.Contains(dgRowSelect)) gridOptions.Include(goRowSelect);
  if (value.Contains(dgEditing) && !FReadOnly) gridOptions.Include(goEditing);
  if (value.Contains(dgAlwaysShowEditor)) gridOptions.Include(goAlwaysShowEditor);
  FOptions = value;
  TCustomGrid::SetOptions(gridOptions);
  LayoutChanged();
}

void TDBGrid::SetReadOnly(bool value) {
  if (FReadOnly == value) return;
  FReadOnly = value;
  TGridOptions gridOptions = TCustomGrid::GetOptions();
  if (FOptions.Contains(dgEditing) && !value) gridOptions.Include(goEditing);
  else gridOptions.Exclude(goEditing);
  TCustomGrid::SetOptions(gridOptions);
}

int TDBGrid::GetSelectedIndex() const {
  if (FColumns->GetCount() == 0) return -1;
  return Min(Max(0, GetCol() - FIndicatorOffset), FColumns->GetCount() - 1);
}

void TDBGrid::SetSelectedIndex(int value) { MoveCol(value + FIndicatorOffset); }

TField* TDBGrid::GetSelectedField() const {
  const int index = GetSelectedIndex();
  return index < 0 ? nullptr : FColumns->GetItem(index)->GetField();
}

TDataSet* TDBGrid::ActiveDataSet() const {
  if (!FDataLink || !FDataLink->GetActive()) return nullptr;
  return FDataLink->GetDataSet();
}

TSize TDBGrid::TextSize(const String& text) const { return MeasureText(GetFont(), text); }

void TDBGrid::Loaded() {
  inherited::Loaded();
  LayoutChanged();
}

void TDBGrid::CreateWnd() {
  inherited::CreateWnd();
  UpdateRowsAndBars();
}

void TDBGrid::CMFontChanged(TMessage& message) {
  inherited::CMFontChanged(message);
  LayoutChanged();
}

void TDBGrid::Dispatch(TMessage& message) {
  if (message.Msg == CM_GETDATALINK) {
    message.Result = reinterpret_cast<LRESULT>(FDataLink.get());
    return;
  }
  inherited::Dispatch(message);
}

// ---- TDBGrid: layout -------------------------------------------------------------------------------------

void TDBGrid::MakeDefaultColumns() {
  FColumns->BeginUpdate();
  struct TEndUpdate {
    TDBGridColumns& Columns;
    ~TEndUpdate() { Columns.EndUpdate(); }
  } endUpdate{*FColumns};
  if (FColumns->IsCustomized()) {
    // Columns given by the program replace those the grid made.
    for (int i = FColumns->GetCount() - 1; i >= 0; --i)
      if (FColumns->GetItem(i)->GetIsDefault()) FColumns->Delete(i);
    return;
  }
  FColumns->Clear();
  if (TDataSet* dataSet = ActiveDataSet()) {
    TFields* fields = dataSet->GetFields();
    for (int i = 0; i < fields->GetCount(); ++i) {
      TField* field = fields->GetField(i);
      if (!field->GetVisible()) continue;
      TColumn* column = FColumns->Add();
      column->FFieldName = field->GetFieldName();
      column->FIsDefault = true;
    }
  }
}

void TDBGrid::LayoutChanged() {
  if (GetComponentState().Contains(csLoading) || GetComponentState().Contains(csDestroying) ||
      FLayoutLock > 0)
    return;
  ++FLayoutLock;
  struct TUnlock {
    int& Lock;
    ~TUnlock() { --Lock; }
  } unlock{FLayoutLock};

  MakeDefaultColumns();
  FIndicatorOffset = FOptions.Contains(dgIndicator) ? 1 : 0;
  FTitleOffset = FOptions.Contains(dgTitles) ? 1 : 0;
  const int columnCount = FColumns->GetCount();
  SetColCount(FIndicatorOffset + Max(1, columnCount));
  SetFixedCols(FIndicatorOffset);
  if (GetRowCount() <= FTitleOffset) SetRowCount(FTitleOffset + 1);
  SetFixedRows(FTitleOffset);

  // Rows as high as the font's text with a little room; the title row a little more.
  const int textHeight = TextSize(L"Wg").cy;
  const int lines = FOptions.Contains(dgRowLines) ? GetGridLineWidth() : 0;
  SetDefaultRowHeight(textHeight + 3 + lines);
  if (FTitleOffset > 0) SetRowHeights(0, textHeight + 4);

  if (FIndicatorOffset > 0) SetColWidths(0, IndicatorWidth);
  for (int i = 0; i < columnCount; ++i) SetColWidths(FIndicatorOffset + i, FColumns->GetItem(i)->GetWidth());

  UpdateRowsAndBars();
  InvalidateGrid();
}

int TDBGrid::VisibleDataRows() {
  const TRect client = GetClientRect();
  const int lines = FOptions.Contains(dgRowLines) ? GetGridLineWidth() : 0;
  const int top = FTitleOffset > 0 ? GetRowHeights(0) + lines : 0;
  const int rowExtent = GetDefaultRowHeight() + lines;
  if (rowExtent <= 0) return 1;
  return Max(1, (client.Height() - top) / rowExtent);
}

void TDBGrid::UpdateRowCount() {
  TDataSet* dataSet = ActiveDataSet();
  if (!dataSet) {
    SetRowCount(FTitleOffset + 1);
    return;
  }
  FDataLink->SetBufferCount(VisibleDataRows());
  SetRowCount(FTitleOffset + Max(1, FDataLink->GetRecordCount()));
  if (GetTopRow() != GetFixedRows()) SetTopRow(GetFixedRows());
}

void TDBGrid::UpdateActive() {
  if (!ActiveDataSet()) return;
  const int row = Min(FTitleOffset + FDataLink->GetActiveRecord(), GetRowCount() - 1);
  if (row == GetRow()) return;
  FSyncing = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } reset{FSyncing};
  MoveColRow(GetCol(), row, true, false);
}

void TDBGrid::UpdateRowsAndBars() {
  if (GetComponentState().Contains(csLoading) || GetComponentState().Contains(csDestroying))
    return;
  if (FRowsUpdating) {
    FRowsPending = true;
    return;
  }
  FRowsUpdating = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } reset{FRowsUpdating};
  // Showing or hiding a bar changes the client size, which may change the rows that fit:
  // then once more (a second pass sees the same size).
  for (int pass = 0; pass < 3; ++pass) {
    FRowsPending = false;
    UpdateRowCount();
    UpdateActive();
    UpdateScrollBars();
    if (!FRowsPending) break;
  }
}

void TDBGrid::UpdateScrollRange() { UpdateRowsAndBars(); }

void TDBGrid::TopLeftMoved(const TGridCoord&) {
  InvalidateGrid();
  UpdateScrollBars();
  TopLeftChanged();
}

void TDBGrid::UpdateScrollBars() {
  if (!HandleAllocated() || !GetShowing()) return;
  const HWND wnd = GetHandle();
  const TScrollStyle bars = GetScrollBars();
  if (bars == ssVertical || bars == ssBoth) {
    // The thumb is the current record among all of them: positions 1..RecordCount with a
    // page of the rows shown.
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    TDataSet* dataSet = ActiveDataSet();
    const int count = dataSet ? dataSet->GetRecordCount() : 0;
    if (count > 0) {
      const int page = VisibleDataRows();
      info.nMin = 1;
      info.nPage = static_cast<UINT>(page);
      info.nMax = count + page - 1;
      const int recNo = dataSet->GetRecNo();
      info.nPos = recNo > 0 ? recNo : ::GetScrollPos(wnd, SB_VERT);  // kept while inserting
    }
    ::SetScrollInfo(wnd, SB_VERT, &info, TRUE);
  }
  if (bars == ssHorizontal || bars == ssBoth) {
    TGridDrawInfo drawInfo;
    CalcDrawInfo(drawInfo);
    const TGridCoord maxTopLeft =
        CalcMaxTopLeft(TGridCoord{GetColCount() - 1, GetRowCount() - 1}, drawInfo);
    const bool needed = GetFixedCols() < maxTopLeft.X;
    ::SetScrollRange(wnd, SB_HORZ, 0, needed ? GridScrollRange : 0, TRUE);
    if (needed)
      ::SetScrollPos(wnd, SB_HORZ, GridScrollPos(GetLeftCol(), GetFixedCols(), maxTopLeft.X), TRUE);
  }
}

void TDBGrid::ColWidthsChanged() {
  inherited::ColWidthsChanged();
  if (FLayoutLock > 0) return;
  // A column edge was dragged (or the program set a width): the column keeps it.
  ++FLayoutLock;
  struct TUnlock {
    int& Lock;
    ~TUnlock() { --Lock; }
  } unlock{FLayoutLock};
  for (int i = 0; i < FColumns->GetCount() && FIndicatorOffset + i < GetColCount(); ++i) {
    TColumn* column = FColumns->GetItem(i);
    const int width = GetColWidths(FIndicatorOffset + i);
    if (width != column->GetWidth()) column->SetWidth(width);
  }
}

// ---- TDBGrid: moving ---------------------------------------------------------------------------------------

void TDBGrid::MoveCurrent(int col, int row, bool moveAnchor, bool show) {
  TDataSet* dataSet = ActiveDataSet();
  if (!FSyncing && dataSet && row >= FTitleOffset && row != GetRow()) {
    const std::weak_ptr<int> alive = GetLifeToken();
    dataSet->MoveBy(row - GetRow());  // the grid follows through the data link
    if (alive.expired()) return;
    row = GetRow();
  }
  inherited::MoveCurrent(col, row, moveAnchor, show);
}

void TDBGrid::MoveCol(int col) {
  col = Max(FIndicatorOffset, Min(col, GetColCount() - 1));
  if (col == GetCol()) return;
  MoveColRow(col, GetRow(), true, true);
}

void TDBGrid::KeyDown(WORD& key, TShiftState shift) {
  const std::weak_ptr<int> alive = GetLifeToken();
  TWinControl::KeyDown(key, shift);  // OnKeyDown; the grid's own cell keys do not apply
  if (alive.expired() || key == 0) return;
  TDataSet* dataSet = ActiveDataSet();
  if (!dataSet) return;
  const bool rowSelect = FOptions.Contains(dgRowSelect);
  const bool oneColumn = GetColCount() == FIndicatorOffset + 1;
  if (shift.Contains(ssCtrl)) {
    switch (key) {
      case VK_UP:
      case VK_PRIOR: dataSet->MoveBy(-FDataLink->GetActiveRecord()); break;
      case VK_DOWN:
      case VK_NEXT:
        dataSet->MoveBy(FDataLink->GetRecordCount() - FDataLink->GetActiveRecord() - 1);
        break;
      case VK_LEFT: MoveCol(FIndicatorOffset); break;
      case VK_RIGHT: MoveCol(GetColCount() - 1); break;
      case VK_HOME: dataSet->First(); break;
      case VK_END: dataSet->Last(); break;
      default: break;
    }
    return;
  }
  switch (key) {
    case VK_UP: dataSet->Prior(); break;
    case VK_DOWN: dataSet->Next(); break;
    case VK_PRIOR: dataSet->MoveBy(-VisibleDataRows()); break;
    case VK_NEXT: dataSet->MoveBy(VisibleDataRows()); break;
    case VK_LEFT:
      if (rowSelect) SetLeftCol(GetLeftCol() - 1);  // a selected row has no column to move to
      else MoveCol(GetCol() - 1);
      break;
    case VK_RIGHT:
      if (rowSelect) SetLeftCol(GetLeftCol() + 1);
      else MoveCol(GetCol() + 1);
      break;
    case VK_HOME:
      if (rowSelect || oneColumn) dataSet->First();
      else MoveCol(FIndicatorOffset);
      break;
    case VK_END:
      if (rowSelect || oneColumn) dataSet->Last();
      else MoveCol(GetColCount() - 1);
      break;
    default: break;
  }
}

bool TDBGrid::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  if (TCustomControl::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  TDataSet* dataSet = ActiveDataSet();
  if (!dataSet) return false;
  int notches = wheelDelta / WHEEL_DELTA;
  if (notches == 0) notches = wheelDelta < 0 ? -1 : 1;
  dataSet->MoveBy(-notches);
  return true;
}

void TDBGrid::ModifyScrollBar(int bar, int scrollCode, int pos) {
  TDataSet* dataSet = ActiveDataSet();
  if (bar != SB_VERT || !dataSet) {
    inherited::ModifyScrollBar(bar, scrollCode, pos);
    return;
  }
  const std::weak_ptr<int> alive = GetLifeToken();
  if (GetVisible() && CanFocus() && GetTabStop() && !GetComponentState().Contains(csDesigning))
    SetFocus();
  if (alive.expired()) return;
  switch (scrollCode) {
    case SB_LINEUP: dataSet->MoveBy(-FDataLink->GetActiveRecord() - 1); break;
    case SB_LINEDOWN:
      dataSet->MoveBy(FDataLink->GetRecordCount() - FDataLink->GetActiveRecord());
      break;
    case SB_PAGEUP: dataSet->MoveBy(-VisibleDataRows()); break;
    case SB_PAGEDOWN: dataSet->MoveBy(VisibleDataRows()); break;
    case SB_THUMBPOSITION: {
      // The message carries 16 bits of the position; the bar itself knows all of them.
      SCROLLINFO info{};
      info.cbSize = sizeof(info);
      info.fMask = SIF_TRACKPOS | SIF_RANGE;
      if (HandleAllocated() && ::GetScrollInfo(GetHandle(), SB_VERT, &info) && info.nMax > 0xFFFF)
        pos = info.nTrackPos;
      dataSet->SetRecNo(pos);
      break;
    }
    case SB_TOP: dataSet->First(); break;
    case SB_BOTTOM: dataSet->Last(); break;
    default: break;
  }
}

// ---- TDBGrid: drawing --------------------------------------------------------------------------------------

void TDBGrid::WriteCellText(const TRect& rect, const String& text, TAlignment alignment) {
  TCanvas* canvas = GetCanvas();
  int x = rect.Left + 2;
  if (alignment != taLeftJustify) {
    const int width = canvas->TextWidth(text);
    x = alignment == taRightJustify ? rect.Right - width - 2 : rect.Left + (rect.Width() - width) / 2;
  }
  canvas->TextRect(rect, x, rect.Top + 2, text);
}

void TDBGrid::DrawIndicator(const TRect& rect) {
  TDataSet* dataSet = ActiveDataSet();
  if (!dataSet) return;
  TCanvas* canvas = GetCanvas();
  const TDataSetState state = dataSet->GetState();
  if (state == dsEdit || state == dsInsert) {
    // An I-beam for an edited record, a star for a new one.
    WriteCellText(rect, state == dsEdit ? L"I" : L"*", taCenter);
    return;
  }
  // A small black triangle pointing at the current record.
  const int cx = rect.Left + rect.Width() / 2;
  const int cy = rect.Top + rect.Height() / 2;
  const TPoint points[] = {TPoint(cx - 2, cy - 4), TPoint(cx + 2, cy), TPoint(cx - 2, cy + 4)};
  const TColor pen = canvas->GetPen()->GetColor();
  const TColor brush = canvas->GetBrush()->GetColor();
  canvas->GetPen()->SetColor(clBlack);
  canvas->GetBrush()->SetColor(clBlack);
  canvas->Polygon(points);
  canvas->GetPen()->SetColor(pen);  // what OnDrawColumnCell finds is the grid's
  canvas->GetBrush()->SetColor(brush);
}

void TDBGrid::DefaultDrawColumnCell(const TRect& rect, int dataCol, TColumn* column,
                                    TGridDrawState state) {
  if (!column) return;
  TField* field = column->GetField();
  WriteCellText(rect, field ? field->GetDisplayText() : String(), column->GetAlignment());
}

bool TDBGrid::FramesFocus() { return ActiveDataSet() && FDataLink->GetRecordCount() > 0; }

void TDBGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
  const int dataRow = row - FTitleOffset;
  // The grid keeps one row when the data set has no record; nothing marks it or shows it
  // selected, as nothing stands in it.
  const bool hasRecord = ActiveDataSet() && dataRow >= 0 && dataRow < FDataLink->GetRecordCount();
  if (col < FIndicatorOffset) {
    if (hasRecord && dataRow == FDataLink->GetActiveRecord()) DrawIndicator(rect);
    return;
  }
  const int dataCol = col - FIndicatorOffset;
  TColumn* column = dataCol < FColumns->GetCount() ? FColumns->GetItem(dataCol) : nullptr;
  if (!column) return;
  if (row < FTitleOffset) {
    if (GetDefaultDrawing())
      WriteCellText(rect, column->GetTitle()->GetCaption(), column->GetTitle()->GetAlignment());
    return;
  }
  if (!hasRecord) {
    if (GetDefaultDrawing() && state.Contains(gdSelected)) {
      GetCanvas()->GetBrush()->SetColor(GetColor());
      GetCanvas()->FillRect(rect);
    }
    return;
  }
  // The fields read the record of this row while it is drawn.
  const int active = FDataLink->GetActiveRecord();
  FDataLink->SetActiveRecord(dataRow);
  struct TRestore {
    TDataLink& Link;
    int Record;
    ~TRestore() { Link.SetActiveRecord(Record); }
  } restore{*FDataLink, active};
  if (GetDefaultDrawing()) DefaultDrawColumnCell(rect, dataCol, column, state);
  if (FOnDrawColumnCell) FOnDrawColumnCell(this, rect, dataCol, column, state);
}
