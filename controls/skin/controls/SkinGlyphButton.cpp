#include "SkinGlyphButton.h"

#include "classlib/system/SysMath.h"
#include "controls/skin/engine/SkinDrawing.h"

TRect GlyphButtonRect(int width, int height, TSeLeftRight alignment, TSize glyphSize) {
  TRect r(0, 0, glyphSize.cx, glyphSize.cy);
  const TRect bounds = alignment == vtaRightJustify ? TRect(width - glyphSize.cx, 0, width, height)
                                                    : TRect(0, 0, width, height);
  return RectCenterVertically(r, bounds);
}

void PaintGlyphButtonCaption(TSeCustomControl& control, const String& caption, int spacing,
                             TSeLeftRight alignment, bool wordWrap, bool focused) {
  TCanvas* canvas = control.GetCanvas();
  canvas->SetFont(control.GetCaptionFont());
  const UINT wrap = wordWrap ? DT_WORDBREAK : 0;
  const int width = control.GetWidth(), height = control.GetHeight();
  TRect text(0, 0, width - 13 - 10, TextHeightEx(canvas, caption));
  DrawTextUnicode(canvas, caption, text,
                  control.DrawTextBiDiModeFlags(wrap | DT_CALCRECT | DT_EXPANDTABS));
  const TRect bounds = alignment == vtaRightJustify ? TRect(2, 0, width, height)
                                                    : TRect(13 + spacing, 0, width, height);
  RectCenterVertically(text, bounds);
  const UINT flags = control.DrawTextBiDiModeFlags(wrap | DT_EXPANDTABS);
  if (!control.GetEnabled()) {
    canvas->GetFont()->SetColor(clBtnHighlight);
    TRect shadow = text;
    OffsetRect(shadow, 1, 1);
    DrawTextUnicode(canvas, caption, shadow, flags);
    canvas->GetFont()->SetColor(clBtnShadow);
  }
  DrawTextUnicode(canvas, caption, text, flags);
  if (focused) {
    TRect focus = text;
    InflateRect(focus, 1, 2);
    focus.Right += 2;
    DrawFocus(canvas, focus, clBtnShadow);
  }
}

void TSeGlyphPress::MouseDown(TWinControl& control) {
  if (control.CanFocus()) control.SetFocus();
  if (!FMouse) BeginCapture(control.GetHandle());
  FMouse = true;
  control.Invalidate();
}

bool TSeGlyphPress::MouseUp(TWinControl& control, int x, int y) {
  if (!FMouse) return false;
  FMouse = false;
  control.Invalidate();
  EndCapture();
  return x >= 0 && x <= control.GetWidth() && y >= 0 && y <= control.GetHeight();
}

void TSeGlyphPress::KeyDown(TWinControl& control, WORD key) {
  if (key != VK_SPACE) return;
  FKey = true;
  control.Invalidate();
}

bool TSeGlyphPress::KeyUp(TWinControl& control, WORD key) {
  if (key != VK_SPACE) return false;
  const bool act = FKey;
  FKey = false;
  control.Invalidate();
  return act;
}

TSeGlyphPress::~TSeGlyphPress() {
  if (FMouse) EndCapture();
}

void TSeGlyphPress::Cancel(TWinControl& control) {
  if (!FKey && !FMouse) return;
  if (FMouse) EndCapture();
  FKey = false;
  FMouse = false;
  control.Invalidate();
}
