// TDBGrid: a grid showing the records of a data set, one row per record and one column per
// field (or per column of Columns), with a row of titles and an indicator column.
//
// The grid shows a window of the data set's rows: its data link keeps as many records as
// fit (BufferCount) and the grid's rows are those records, the current record being the
// grid's current row. Moving in the grid (keys, the wheel, clicks, the vertical scroll bar)
// moves the data set; moving the data set moves the window and the grid follows. The
// vertical scroll bar shows the current record among all of them; the horizontal one
// scrolls the columns as a grid does.
//
// Columns. While Columns is empty (or holds only columns the grid made itself) the grid
// shows every visible field of the open data set with the field's label, width and
// alignment. Columns given by a layout or by the program are shown instead, each taking
// what it does not set from its field.
//
// Not done: the in-place editor (dgEditing is kept; the grid never changes the data, and
// the keys that would insert, append or delete records do nothing), multi-selection of
// records (dgMultiSelect is kept), column fonts and colours, pick lists and buttons in
// cells, moving columns with the mouse.
#pragma once
#include <functional>
#include <memory>
#include "../classes/Collection.h"
#include "../classes/Sets.h"
#include "../stdctrls/Grids.h"
#include "DB.h"

class TDBGrid;
class TColumn;

enum TDBGridOption {
  dgEditing,              // (kept, not acted upon)
  dgAlwaysShowEditor,     // (kept, not acted upon)
  dgTitles,               // a row of column titles at the top
  dgIndicator,            // a column at the left marking the current record
  dgColumnResize,         // the column edges in the title row can be dragged
  dgColLines,             // lines between the columns
  dgRowLines,             // lines between the rows
  dgTabs,                 // (kept, not acted upon)
  dgRowSelect,            // the current record's whole row is selected
  dgAlwaysShowSelection,  // (kept, not acted upon)
  dgConfirmDelete,        // (kept, not acted upon)
  dgCancelOnExit,         // (kept, not acted upon)
  dgMultiSelect           // (kept, not acted upon)
};
using TDBGridOptions = TSet<TDBGridOption>;

// Cell drawing of a data cell: after the grid wrote the field's text (with DefaultDrawing).
using TDrawColumnCellEvent = std::function<void(TObject* sender, TRect rect, int dataCol,
                                                TColumn* column, TGridDrawState state)>;

// ---- TColumnTitle -----------------------------------------------------------------------------
// The title of a column: its caption (the field's display label until one is set) and where
// the caption sits across the title cell.
class TColumnTitle : public TPersistent {
  CLASSLIB_CLASS(TColumnTitle, TPersistent)
  static const TPropertyTable* PublishedProperties();  // DBGridProperties.cpp
  explicit TColumnTitle(TColumn* column) : FColumn(column) {}

  String GetCaption() const;
  void SetCaption(const String& value);
  bool IsCaptionStored() const { return FCaptionAssigned; }
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);

  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override;

 private:
  TColumn* FColumn;                       // the column this is the title of; owns this
  String FCaption;
  bool FCaptionAssigned = false;          // FCaption was set (else the field's label)
  TAlignment FAlignment = taLeftJustify;
};

// ---- TColumn ------------------------------------------------------------------------------------
// One column of a TDBGrid: the field it shows, its width, alignment and title. What is not
// set is taken from the field.
class TColumn : public TCollectionItem {
  CLASSLIB_CLASS(TColumn, TCollectionItem)
  static const TPropertyTable* PublishedProperties();  // DBGridProperties.cpp
  explicit TColumn(TCollection* collection);
  ~TColumn() override;

  // The grid whose Columns list this column; nullptr outside one.
  TDBGrid* GetGrid() const;
  const String& GetFieldName() const { return FFieldName; }
  void SetFieldName(const String& value);
  // The open data set's field of that name; nullptr when there is none.
  TField* GetField() const;
  // The set width, else one fitting the field's display width and the title.
  int GetWidth() const;
  void SetWidth(int value);
  bool IsWidthStored() const { return FWidthAssigned; }
  // The set alignment, else the field's.
  TAlignment GetAlignment() const;
  void SetAlignment(TAlignment value);
  bool IsAlignmentStored() const { return FAlignmentAssigned; }
  // Owned; SetTitle copies value.
  TColumnTitle* GetTitle() const { return FTitle.get(); }
  void SetTitle(TColumnTitle* value);
  // Made by the grid for a field while no columns were given (not stored in layouts).
  bool GetIsDefault() const { return FIsDefault; }

  void Assign(TPersistent* source) override;
  String GetDisplayName() const override;

 private:
  friend class TDBGrid;
  friend class TColumnTitle;
  int DefaultWidth() const;
  void TitleChanged() { Changed(false); }

  String FFieldName;
  int FWidth = 0;
  bool FWidthAssigned = false;             // FWidth was set
  TAlignment FAlignment = taLeftJustify;
  bool FAlignmentAssigned = false;         // FAlignment was set
  std::unique_ptr<TColumnTitle> FTitle;    // owned
  bool FIsDefault = false;                 // see GetIsDefault
};

// ---- TDBGridColumns -----------------------------------------------------------------------------
// The columns of a grid, which owns the collection and is told of every change.
class TDBGridColumns : public TCollection {
  CLASSLIB_CLASS(TDBGridColumns, TCollection)
  explicit TDBGridColumns(TDBGrid* grid);

  TDBGrid* GetGrid() const { return FGrid; }
  TColumn* Add() { return static_cast<TColumn*>(TCollection::Add()); }
  // EListError "List index out of bounds (%d)" outside the columns.
  TColumn* GetItem(int index) const { return static_cast<TColumn*>(TCollection::GetItem(index)); }
  TColumn* operator[](int index) const { return GetItem(index); }
  // True when any column was given by a layout or the program (not made by the grid).
  bool IsCustomized() const;
  TPersistent* GetOwner() const override;

 protected:
  void Update(TCollectionItem* item) override;

 private:
  TDBGrid* FGrid;  // the grid that owns this collection
};

// ---- TDBGrid ----------------------------------------------------------------------------------
class TDBGrid : public TCustomGrid {
  CLASSLIB_CLASS(TDBGrid, TCustomGrid)
  static const TPropertyTable* PublishedProperties();  // DBGridProperties.cpp
  // 320 x 120 (as a grid), titles, indicator, lines, resizable columns, clWindow.
  explicit TDBGrid(TComponent* owner);
  ~TDBGrid() override;

  // ---- Attributes -----------------------------------------------------------------------------
  TDataSource* GetDataSource() const;
  void SetDataSource(TDataSource* value);  // not owned; a free notification clears it
  // Owned; SetColumns copies value's columns.
  TDBGridColumns* GetColumns() const { return FColumns.get(); }
  void SetColumns(TDBGridColumns* value);
  TDBGridOptions GetOptions() const { return FOptions; }
  // dgRowSelect takes dgEditing and dgAlwaysShowEditor out.
  void SetOptions(TDBGridOptions value);
  // The grid never changes the data when true.
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  // The column of the current cell (0-based among the columns; -1 without columns), and
  // its field.
  int GetSelectedIndex() const;
  void SetSelectedIndex(int value);
  TField* GetSelectedField() const;
  TDataLink* GetDataLink() const;  // owned; what CM_GETDATALINK answers

  // ---- Drawing ------------------------------------------------------------------------------
  // Writes the field's display text of the record being drawn into rect, as the grid does.
  void DefaultDrawColumnCell(const TRect& rect, int dataCol, TColumn* column,
                             TGridDrawState state);
  const TDrawColumnCellEvent& GetOnDrawColumnCell() const { return FOnDrawColumnCell; }
  void SetOnDrawColumnCell(TDrawColumnCellEvent handler) { FOnDrawColumnCell = std::move(handler); }

  void Dispatch(TMessage& message) override;
  void Loaded() override;

 protected:
  // Titles, the indicator, and the fields' text of the record of each row.
  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
  // No focus rectangle without a record: the one row left has nothing to act on.
  bool FramesFocus() override;
  // A move to another row moves the data set by as many records; the grid follows it.
  void MoveCurrent(int col, int row, bool moveAnchor, bool show) override;
  // The data set's keys: arrows, pages, Ctrl+Home and Ctrl+End; the columns' as a grid.
  void KeyDown(WORD& key, TShiftState shift) override;
  // Each notch moves one record.
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
  // The vertical bar moves the data set; the horizontal one scrolls the columns.
  void ModifyScrollBar(int bar, int scrollCode, int pos) override;
  // The rows that fit, the current row and both bars, made again after any change of size.
  void UpdateScrollRange() override;
  void TopLeftMoved(const TGridCoord& oldTopLeft) override;
  // A column edge dragged: the column keeps the width.
  void ColWidthsChanged() override;
  void CMFontChanged(TMessage& message) override;
  void CreateWnd() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  class TGridDataLink;
  friend class TDBGridColumns;
  friend class TColumn;

  // Columns, counts, widths and heights made again from the options, columns and fields.
  void LayoutChanged();
  // Default columns made again from the open data set's fields (when not customized).
  void MakeDefaultColumns();
  // The rows that fit, the row count, the current row and the bars.
  void UpdateRowsAndBars();
  void UpdateRowCount();
  void UpdateActive();      // the grid's current row := the data set's current record
  void UpdateScrollBars();
  int VisibleDataRows();    // records that fit under the titles (at least 1)
  void MoveCol(int col);    // makes col current (kept among the data columns)
  TDataSet* ActiveDataSet() const;  // the linked open data set, or nullptr
  void DrawIndicator(const TRect& rect);
  void WriteCellText(const TRect& rect, const String& text, TAlignment alignment);
  // The extent of text in the grid's font.
  TSize TextSize(const String& text) const;

  std::unique_ptr<TDBGridColumns> FColumns;  // owned
  std::unique_ptr<TGridDataLink> FDataLink;  // owned
  TDBGridOptions FOptions;
  bool FReadOnly = false;
  int FIndicatorOffset = 1;      // 1 with the indicator column, else 0
  int FTitleOffset = 1;          // 1 with the title row, else 0
  int FLayoutLock = 0;           // > 0 while the layout is being made (changes not fed back)
  bool FSyncing = false;         // the grid's row is being set to the data set's record
  bool FRowsUpdating = false;    // inside UpdateRowsAndBars
  bool FRowsPending = false;     // it was asked for again meanwhile (a bar changed the size)
  TDrawColumnCellEvent FOnDrawColumnCell;
};
