// TFlatEdit: an edit box with a flat border of its own: a 3-pixel non-client area drawn as
// one line in ColorBorder and two in the fill colour. The fill is ColorFocused while the
// edit has the focus, or while the mouse is over it and no flat edit is the active
// control; otherwise ColorFlat, which follows the parent's colour while ParentColor is
// True. Its height follows its font: the text height + 6.
#pragma once
#include "FlatUtilitys.h"
#include "classlib/stdctrls/Edits.h"

class TPropertyTable;

class TFlatEdit : public TCustomEdit {
  CLASSLIB_CLASS(TFlatEdit, TCustomEdit)
  static const TPropertyTable* PublishedProperties();
  // 121 × 19, no border style of the system, no auto size, the fill following the parent.
  explicit TFlatEdit(TComponent* owner);

  // ---- Colours (writes redraw the border) -----------------------------------------------------
  TColor GetColorFocused() const { return FColorFocused; }
  void SetColorFocused(TColor value);
  TColor GetColorBorder() const { return FColorBorder; }
  void SetColorBorder(TColor value);
  // The fill when not focused; writing it turns ParentColor off.
  TColor GetColorFlat() const { return FColorFlat; }
  void SetColorFlat(TColor value);
  // ColorFlat follows the parent's colour.
  bool GetParentColor() const { return FParentColor; }
  void SetParentColor(bool value);
  // Derive ColorFocused and ColorBorder from ColorFlat (which then follows the parent).
  bool GetUseAdvColors() const { return FUseAdvColors; }
  void SetUseAdvColors(bool value);
  int GetAdvColorFocused() const { return FAdvColorFocused; }  // 0..100
  void SetAdvColorFocused(int value);
  int GetAdvColorBorder() const { return FAdvColorBorder; }  // 0..100
  void SetAdvColorBorder(int value);

  // True when the edit shows its focused look now.
  bool HasFocusedLook();
  bool GetMouseInControl() const { return FMouseInControl; }

  void Dispatch(TMessage& message) override;

 protected:
  void Loaded() override;

 private:
  void CalcAdvancedColors();
  // Draws the border on the window DC and gives the edit the fill colour.
  void RedrawBorder();
  void FitHeightToFont();
  TColor ParentColorValue();

  TColor FColorFocused = ColorFromInt(0xFFFFFF);
  TColor FColorBorder = ColorFromInt(0x8396A0);
  TColor FColorFlat = ColorFromInt(0xE1EAEB);
  bool FParentColor = true;
  bool FUseAdvColors = false;
  int FAdvColorFocused = 10;
  int FAdvColorBorder = 50;
  bool FMouseInControl = false;  // the mouse is over the edit
};
