// What the owner-drawn check box and radio button share: the place of their 13 x 13 glyph,
// their caption with its focus rectangle, and the press that a mouse button or the space bar
// holds on them.
#pragma once
#include "SkinControl.h"

// The glyph's rectangle: at the left (vtaLeftJustify) or right edge of a control of width x
// height, centred vertically (halves truncated; negative when the control is lower than 13).
TRect GlyphButtonRect(int width, int height, TSeLeftRight alignment, TSize glyphSize);

// Draws caption beside the glyph on the control's canvas with its caption font, embossed when
// the control is disabled, and the focus rectangle around it when focused.
void PaintGlyphButtonCaption(TSeCustomControl& control, const String& caption, int spacing,
                             TSeLeftRight alignment, bool wordWrap, bool focused);

// The press of a glyph button: from a left mouse press (with the mouse captured) or a space-bar
// press on the control to the matching release. A release acts only for a press of its own
// kind that went to this control.
class TSeGlyphPress {
 public:
  TSeGlyphPress() = default;
  // A control freed during a mouse press gives the nested capture back.
  ~TSeGlyphPress();
  TSeGlyphPress(const TSeGlyphPress&) = delete;
  TSeGlyphPress& operator=(const TSeGlyphPress&) = delete;

  bool Pressed() const { return FMouse || FKey; }
  bool MousePressed() const { return FMouse; }
  // A left press: focus, capture, pressed.
  void MouseDown(TWinControl& control);
  // True when a mouse press ends inside the control (ends included).
  bool MouseUp(TWinControl& control, int x, int y);
  // The space bar went down on the control.
  void KeyDown(TWinControl& control, WORD key);
  // True when the space bar is released after it went down on this control.
  bool KeyUp(TWinControl& control, WORD key);
  // The focus left: a held space bar or mouse button no longer counts (the capture is given
  // back).
  void Cancel(TWinControl& control);

 private:
  bool FMouse = false;  // a left press holds the capture
  bool FKey = false;    // the space bar went down on the control
};
