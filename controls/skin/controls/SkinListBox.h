// TSeCustomListBox: a list box drawn by the library. It keeps its strings in TVoListBoxItems,
// lays the items out in one column or in newspaper columns, scrolls with a child
// TSeCustomScrollBar, and keeps per item a check state and a selected flag. Both live with
// their item in the string list (its per-item bits), so every list operation (sorted add,
// insert, move, exchange, sort, delete, clear) keeps them on the right item.
//
// The layout is plain arithmetic on a TSeListLayout (below), tested without a window; with
// fixed item heights it is direct (no walk over the items), so End on a long list of several
// columns costs the same as on a short one.
//
// Drawing (items in each ListStyle, check boxes, the font and colour lists) is in
// SkinListDraw.cpp.
//
// Not done: IME composition, incremental search by typed characters.
#pragma once
#include <functional>

#include "SkinControl.h"
#include "SkinScrollBar.h"
#include "classlib/classes/StringList.h"
#include "classlib/stdctrls/CheckBoxes.h"
#include "classlib/stdctrls/OwnerDrawItems.h"

class TSeCustomListBox;

enum TSeFontDevice { fdScreen, fdPrinter };
enum TSeFontType { ftAll, ftTrueType, ftFixedPitch };

extern const TEnumInfo SeListBoxStyleIdents;
extern const TEnumInfo SeFontDeviceIdents;
extern const TEnumInfo SeFontTypeIdents;

// The list box's own draw and measure events.
using TSeDrawItemEvent = std::function<void(TSeCustomListBox* listBox, TCanvas* canvas, int index,
                                            TRect rect, TOwnerDrawState state)>;
using TSeMeasureItemEvent =
    std::function<void(TSeCustomListBox* listBox, TCanvas* canvas, int index, int& height)>;

// Where the items go. One column: items from Position downwards. Several columns: column c
// (from 0) is shown when Position <= c < Position + Columns. An item's check box sits in the
// check column at the item's left.
struct TSeListLayout {
  TRect Inner;              // inside the frame and bevels
  int Count = 0;            // items
  int Columns = 0;          // 0: one vertical column
  int CheckColumn = 0;      // 15 with check boxes, else 0
  int BarThickness = 0;     // the scroll bar across
  bool BarRoom = false;     // room kept for the bar (one column narrower, several shorter)
  int Position = 0;         // the bar's position
  int FixedHeight = 0;      // > 0: every item is this high (no call of HeightOf)
  std::function<int(int)> HeightOf;  // an item's height (kept within 1..32767)

  // The text width of an item (without the check column); never negative.
  int ItemWidth() const;
  int Height(int index) const;
  // Several columns: the lowest bottom an item of a column may have.
  int ColumnBottom() const;
  // The column of an item (several columns); 0 with one column.
  int ColumnOf(int index) const;
  // Columns needed for all items (several columns).
  int ColumnsNeeded() const;
  // First and last fully shown item; last is -1 when none fits.
  void VisibleRange(int& first, int& last) const;
  // The position that brings index into view with the least movement (Position when it is
  // already in view).
  int PositionShowing(int index) const;
  // One column, variable heights: the smallest first index whose items to the end still
  // fill the inner height.
  int LastFirstIndex() const;
  // Calls visit(index, item rectangle, check rectangle) for each shown item, in order,
  // until it returns false.
  void ForEachShown(const std::function<bool(int, const TRect&, const TRect&)>& visit) const;
  // The shown item whose rectangle (check column included when withCheck) holds p; -1.
  int ItemAt(TPoint p, bool withCheck) const;

 private:
  // Several columns: the first item of column c.
  int FirstOfColumn(int column) const;
  int PerColumn() const;  // fixed heights: items a column holds (at least 1)
};

// The list box's strings: each change tells the list box. The per-item bits hold the check
// state (bits 0-1) and the selected flag (bit 2).
class TVoListBoxItems : public TStringList {
  CLASSLIB_CLASS(TVoListBoxItems, TStringList)
  explicit TVoListBoxItems(TSeCustomListBox* listBox) : FListBox(listBox) {}

  static constexpr unsigned CheckMask = 3;
  static constexpr unsigned SelectedBit = 4;
  unsigned Flags(int index) const { return GetItemFlags(index); }
  void SetFlags(int index, unsigned flags) { SetItemFlags(index, flags); }
  // The list box goes first: nothing is told after that.
  void Detach() { FListBox = nullptr; }

 protected:
  void Changed() override;
  void SetUpdateState(bool updating) override;

 private:
  TSeCustomListBox* FListBox;  // not owned; it owns this list
};

class TSeCustomListBox : public TSeCustomControl {
  CLASSLIB_CLASS(TSeCustomListBox, TSeCustomControl)
  static const TPropertyTable* PublishedProperties();
  explicit TSeCustomListBox(TComponent* owner);
  ~TSeCustomListBox() override;

  // Declared here, as the class library's list box has three of these names at namespace
  // scope: outside the class they are TSeCustomListBox::lbFonts and so on.
  enum TSeListBoxStyle {
    lbStandard,
    lbOwnerDrawFixed,
    lbOwnerDrawVariable,
    lbFonts,
    lbFontSamples,
    lbColors,
    lbColorNames
  };

  // ---- Items and their states -------------------------------------------------------------
  TVoListBoxItems* GetItems() const { return FItems; }  // owned
  void SetItems(TStrings* value);
  // An index outside the items raises the string list's index error.
  bool GetChecked(int index) const { return GetState(index) != cbUnchecked; }
  void SetChecked(int index, bool value) { SetState(index, value ? cbChecked : cbUnchecked); }
  TCheckBoxState GetState(int index) const;
  void SetState(int index, TCheckBoxState value);  // grayed becomes checked without AllowGrayed
  bool GetSelected(int index) const;
  void SetSelected(int index, bool value);
  int GetSelCount() const;

  // ---- Focus item ---------------------------------------------------------------------------------
  int GetItemIndex() const { return FItemIndex; }
  // Clamped to the items and scrolled into view; -1 clears the selection.
  void SetItemIndex(int index);
  int GetAnchor() const { return FAnchor; }
  int GetHotItem() const { return FHotItem; }
  int GetHotCheck() const { return FHotCheck; }
  int GetFirstVisible() const { return FFirstVisible; }
  int GetLastVisible() const { return FLastVisible; }
  bool GetMouseSelecting() const { return FMouseSelecting; }

  // ---- Attributes ---------------------------------------------------------------------------------
  bool GetAllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool value);
  bool GetAlwaysShowScrlBar() const { return FAlwaysShowScrlBar; }
  void SetAlwaysShowScrlBar(bool value);
  bool GetShowCheckBoxes() const { return FShowCheckBoxes; }
  void SetShowCheckBoxes(bool value);
  bool GetFlat() const { return FFlat; }
  void SetFlat(bool value);
  bool GetMultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool value);
  int GetColumns() const { return FColumns; }
  void SetColumns(int value);  // negative becomes 0
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  int GetItemHeight() const { return FItemHeight; }
  void SetItemHeight(int value);
  bool GetSorted() const { return FSorted; }
  void SetSorted(bool value);
  TSeListBoxStyle GetListStyle() const { return FListStyle; }
  void SetListStyle(TSeListBoxStyle value);
  TSeFontDevice GetFontDevice() const { return FFontDevice; }
  void SetFontDevice(TSeFontDevice value);
  TSeFontType GetFontType() const { return FFontType; }
  void SetFontType(TSeFontType value);
  TSeCustomScrollBar* GetScrollBar() const { return FScrollBar; }  // owned as a component

  // ---- Events -------------------------------------------------------------------------------------
  const TSeDrawItemEvent& GetOnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(TSeDrawItemEvent handler) { FOnDrawItem = std::move(handler); }
  const TSeMeasureItemEvent& GetOnMeasureItem() const { return FOnMeasureItem; }
  void SetOnMeasureItem(TSeMeasureItemEvent handler) { FOnMeasureItem = std::move(handler); }

  // ---- Geometry -------------------------------------------------------------------------------------
  TSeListLayout Layout();
  // The item at a point, columns and check column included; -1 (existing) or Count.
  int ItemAtPos(TPoint p, bool existing);
  // One column: -1 above the first shown item (the bar's Position), else the inner top plus
  // the heights of the items from Position on, also for items below the shown ones. Several
  // columns: a shown item's top, else -1.
  virtual int GetItemTop(int index);
  // The item's rectangle as laid out (empty when not shown).
  virtual TRect GetItemRect(int index);
  virtual int GetItemHeight(int index);
  virtual int GetCheckColumnWidth() { return 15; }
  virtual TSize GetCheckSize() { return TSize{13, 13}; }

  // ---- Self-filling lists -----------------------------------------------------------------------------
  // The installed font families of FontDevice, filtered by FontType, sorted; empty for the
  // printer when there is none.
  void FillFontList();
  // The class library's colour names, in its order.
  void FillColorList();

  // Told by the items after every change.
  virtual void ItemsChanged();
  void SetUpdating(bool updating);
  bool GetUpdating() const { return FUpdating; }
  void UpdateScrollBar();
  void SetBounds(int left, int top, int width, int height) override;
  void Loaded() override;
  void Dispatch(TMessage& message) override;
  // With DragMode automatic a left press reaches the list itself (not the class library's
  // immediate drag), so that Dispatch decides whether and when a drag starts.
  void WndProc(TMessage& message) override;

 protected:
  virtual void DrawItem(TCanvas* canvas, int index, const TRect& rect);
  virtual void DrawCheck(int index, const TRect& rect);
  virtual bool IsOnItem(const TRect& itemRect, TPoint p) { return PtInRect(itemRect, p); }
  virtual bool IsOnCheck(const TRect& checkRect, TPoint p) { return PtInRect(checkRect, p); }
  TSeCustomScrollBar* CreateScrollBar() override;
  virtual void DrawBackground();
  virtual void DrawItems();
  virtual void DoDrawItem(int index, const TRect& rect, TOwnerDrawState state);
  // The measured height, or -1 without OnMeasureItem.
  virtual int DoMeasureItem(int index);

  void PaintFace() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void DoEnter() override;
  void DoExit() override;
  void DoFocusIn() override;
  void DoFocusOut() override;
  void DoMouseLeave() override;
  void CMEnabledChanged(TMessage& message) override;
  void WMMouseWheel(TMessage& message) override;
  void CMMouseWheel(TMessage& message) override;  // a wheel passed up from a child
  void WMCancelMode(TMessage& message) override;

 private:
  bool Loading() const;
  bool VariableHeights() const;
  // Whether the list has the focus: asked of the system once per DrawItems (each asking is a
  // round trip to the window server under Wine), and directly outside it.
  bool PaintFocused() const { return FPaintFocus >= 0 ? FPaintFocus != 0 : Focused(); }
  // Moves the focus item without the selection step (which select decides).
  void MoveItemIndex(int index, bool select);
  void ComputeVisibleRange();
  // Selects the anchor..ItemIndex range (MultiSelect) or ItemIndex alone.
  void SelectionStep();
  void ClearSelection();
  void CycleCheck(int index);
  // The hot item and hot check at a point; true when either changed.
  bool HoverStep(int x, int y);
  void StopAutoScroll();
  void BarScroll(TObject* sender, TScrollCode code, int& position);
  void BarChange(TObject* sender);
  // Wheel: lines (or the page, in page mode) per 120 of delta; small deltas add up.
  void Wheel(int delta);
  // Items changed by a filling (font and colour lists) run inside one update.
  void FillList(const std::function<void()>& fill, bool sorted);
  void IntegralHeight();

  TVoListBoxItems* FItems = nullptr;        // owned; freed after the window
  TSeCustomScrollBar* FScrollBar = nullptr;  // child; owned as a component
  bool FUpdating = false;                    // the items are inside a begin/end update
  bool FAlwaysShowScrlBar = false;
  bool FShowCheckBoxes = false;
  bool FFlat = true;
  bool FMouseSelecting = false;              // left press in the list not yet released
  int FHotItem = -1;                         // item under the pointer
  int FHotCheck = -1;                        // item whose check box is under the pointer
  TPoint FMousePos{-1, -1};                  // last pointer position; (-1,-1) after leaving
  int FAnchor = -1;                          // fixed end of the selected range
  int FFirstVisible = 0;
  int FLastVisible = -1;
  bool FScrollBarShown = false;              // the child bar is visible
  bool FAllowGrayed = false;
  int FItemIndex = -1;                       // focus item; -1 while empty or cleared
  bool FMultiSelect = false;
  int FColumns = 0;                          // 0: one vertical column
  bool FWordWrap = false;
  TSeListBoxStyle FListStyle = lbStandard;
  TSeDrawItemEvent FOnDrawItem;
  TSeMeasureItemEvent FOnMeasureItem;
  bool FSorted = false;
  TSeFontDevice FFontDevice = fdScreen;
  TSeFontType FFontType = ftAll;
  int FItemHeight = 16;
  int FWheelRest = 0;                        // wheel delta x lines not yet turned into lines
  int FPaintFocus = -1;                      // during DrawItems: 1 focused, 0 not; else -1
};

using TSeListBoxStyle = TSeCustomListBox::TSeListBoxStyle;

// The TrueType sign the font list draws before a TrueType family (magenta is clear); shared.
TSeBitmap* ListTrueTypeGlyph();
// Families of the device context, filtered: (face name, pitch-and-family byte).
void EnumFontFamiliesOf(HDC dc, TSeFontType type,
                        const std::function<void(const String&, BYTE)>& add);
