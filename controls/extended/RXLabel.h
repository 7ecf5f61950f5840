// TRxCustomLabel and TRxLabel: the class library's label drawn with a one-colour shadow
// offset to one of four corners, one pixel of room on each side of the text, a focus
// rectangle while its FocusControl has the focus (ShowFocus), and the mouse entering and
// leaving it reported only while it is enabled. A disabled label draws grey text with a
// highlight shadow (one pixel down-right when it has no shadow of its own).
#pragma once
#include "classlib/stdctrls/StdLabels.h"

enum TShadowPosition { spLeftTop, spLeftBottom, spRightBottom, spRightTop };

// Draws text with DrawText in r, after drawing it in shadowColor in r moved by size towards
// position; r becomes the union of both. Returns the height of the shadow's DrawText, grown
// by size when positive. The DC's text colour is drawn with and kept.
int DrawShadowText(HDC dc, const String& text, TRect& r, UINT format, int size,
                   COLORREF shadowColor, TShadowPosition position);

class TRxCustomLabel : public TCustomLabel {
  CLASSLIB_CLASS(TRxCustomLabel, TCustomLabel)
  // 65 x 17, AutoSize, opaque, shadow 1 pixel up-left in the button highlight colour.
  explicit TRxCustomLabel(TComponent* owner);

  // ---- Attributes (writers repaint) ---------------------------------------------------
  TColor GetShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor value);
  int GetShadowSize() const { return FShadowSize; }
  void SetShadowSize(int value);  // 0..255; adjusts the bounds
  TShadowPosition GetShadowPos() const { return FShadowPos; }
  void SetShadowPos(TShadowPosition value);
  bool GetShowFocus() const { return FShowFocus; }
  void SetShowFocus(bool value);
  bool GetMouseInControl() const { return FMouseInControl; }
  // Repaints when ShowFocus, so that a focus rectangle comes or goes with the control.
  void SetFocusControl(TWinControl* value) override;

  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  void DoDrawText(TCanvas* canvas, TRect& rect, UINT flags) override;
  void AdjustBounds() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void CMEnabledChanged(TMessage& message) override;
  void CMMouseEnter(TMessage& message) override;
  void CMMouseLeave(TMessage& message) override;
  virtual TColor GetDefaultFontColor() { return GetFont()->GetColor(); }

 private:
  // The client rectangle less one pixel on each side.
  TRect TextArea();
  // Follows whether the mouse is over the label (enabled, the control under the cursor,
  // this thread's window active) and tells the change.
  void UpdateTracking();
  void SetMouseIn(bool value);

  TColor FShadowColor = clBtnHighlight;
  int FShadowSize = 1;                     // pixels of shadow offset
  TShadowPosition FShadowPos = spLeftTop;
  bool FShowFocus = false;
  bool FFocused = false;                   // FocusControl has the focus
  bool FMouseInControl = false;
  bool FDragging = false;                  // the left button is held down on the label
};

// The label with its properties published.
class TRxLabel : public TRxCustomLabel {
  CLASSLIB_CLASS(TRxLabel, TRxCustomLabel)
  static const TPropertyTable* PublishedProperties();
  explicit TRxLabel(TComponent* owner) : TRxCustomLabel(owner) {}
};
