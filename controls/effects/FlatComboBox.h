// TFlatComboBox: a combo box with a flat frame (one line in ColorBorder, two in Color) and a
// flat arrow button of its own drawn over the system's, and a drop-down list sized to its
// items: min(DropDownCount, item count) rows + 4 pixels, at least 10.
//
// The drop-down list's messages come through TCustomComboBox::ListWndProc, whose
// replacement of the list's window procedure the base undoes before the list or the combo
// window goes (also when the combo is made again while dropped down).
#pragma once
#include "FlatUtilitys.h"
#include "classlib/stdctrls/ComboBoxes.h"

class TPropertyTable;

// The height a dropped-down list gets: min(dropDownCount, count) × rowHeight + 4, and 10 when
// that is below 5.
int FlatDropDownHeight(int dropDownCount, int count, int rowHeight);

class TFlatComboBox : public TCustomComboBox {
  CLASSLIB_CLASS(TFlatComboBox, TCustomComboBox)
  static const TPropertyTable* PublishedProperties();
  // Colour $E1EAEB, item height 13, an arrow button 11 pixels wide.
  explicit TFlatComboBox(TComponent* owner);

  // ---- Colours (writes repaint) ---------------------------------------------------------------
  TColor GetColorArrow() const { return FColorArrow; }
  void SetColorArrow(TColor value);
  TColor GetColorArrowBackground() const { return FColorArrowBackground; }
  void SetColorArrowBackground(TColor value);
  TColor GetColorBorder() const { return FColorBorder; }
  void SetColorBorder(TColor value);
  // Derive ColorBorder and ColorArrowBackground from the parent's colour.
  bool GetUseAdvColors() const { return FUseAdvColors; }
  void SetUseAdvColors(bool value);
  int GetAdvColorBorder() const { return FAdvColorBorder; }  // 0..100
  void SetAdvColorBorder(int value);
  int GetAdvColorArrowBackground() const { return FAdvColorArrowBackground; }  // 0..100
  void SetAdvColorArrowBackground(int value);

  // The row height of the dropped-down list: ItemHeight for the owner-draw and simple
  // styles, the font's height - 2 for the others.
  int DropDownRowHeight();
  // The list is dropped down or the combo (or its edit) has the focus.
  bool HasFocusedLook();
  // The arrow button's rectangle in client coordinates.
  TRect ButtonRect();

  void Dispatch(TMessage& message) override;

 protected:
  void ListWndProc(TMessage& message) override;
  void EditWndProc(TMessage& message) override;
  void CNCommand(TMessage& message) override;
  // The box's colour under everything, the system's own button kept out, then the flat look.
  void WMPaint(TMessage& message) override;

 private:
  void CalcAdvancedColors();
  // Frame, button and selection strip on the window DC.
  void DrawFlat();
  void DrawFrame(HDC dc);
  void DrawButton(HDC dc);
  void DrawSelectionStrip(HDC dc);
  void FocusLookChanged();
  // A selection changed in code, shown through the paint message.
  void ChangeSelection(TMessage& message);
  // A key, which on a list style may choose another item.
  void KeyPressed(TMessage& message);

  static constexpr int ButtonWidth = 11;  // the flat arrow button
  TColor FColorArrow = clBlack;
  TColor FColorArrowBackground = ColorFromInt(0xC5D6D9);
  TColor FColorBorder = ColorFromInt(0x8396A0);
  bool FUseAdvColors = false;
  int FAdvColorBorder = 50;
  int FAdvColorArrowBackground = 10;
  int FSysButtonWidth = 0;     // the system's scroll-bar width, read at construction
  bool FFocusedLook = false;   // the look last drawn
  bool FRedrawOff = false;     // WM_SETREDRAW has held drawing off
  bool FInKey = false;         // a key on a list style is being handled
  bool FKeyChangedSelection = false;  // the system told of a selection change during that key
};
