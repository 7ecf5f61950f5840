// TSeCustomButton: the owner-drawn push button with an optional glyph strip (up to four frames:
// normal, disabled, pressed, spare), stock kinds (OK, Cancel, Yes ... with stock glyphs),
// default and cancel roles through the dialog keys, a modal result for its form, actions,
// and a black-and-white glyph mode. Drawn with the visual style "Button" when themes are
// active and with line frames otherwise.
//
// A click comes from a left press and release inside the button, from Space pressed and
// released on it, from Enter (the default button, or the focused one), Escape (a Cancel
// button) or the caption's accelerator; a disabled button never clicks. A press ends without
// a click when the focus or the capture goes elsewhere. The click is the last thing a press
// does, so an OnClick that frees the button or its form is safe.
#pragma once
#include <memory>

#include "SkinControl.h"
#include "SkinGlyphButton.h"
#include "classlib/forms/Forms.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/stdctrls/BitBtn.h"
#include "classlib/stdctrls/ButtonGlyphs.h"
#include "controls/skin/engine/SkinBitmap.h"

enum TSeButtonState { vbsNormal, vbsPressed };

extern const TEnumInfo SeButtonStateIdents;
extern const TEnumInfo SeButtonLayoutIdents;
extern const TEnumInfo SeBitBtnKindIdents;

// The glyph frame of a strip: normal 0, disabled 1 (with two or more frames), pressed + 2
// (with three or more), limited to the frames the strip has.
int ButtonGlyphFrame(int numGlyphs, bool enabled, bool pressed);

class TSeCustomButton : public TSeCustomControl {
  CLASSLIB_CLASS(TSeCustomButton, TSeCustomControl)
  static const TPropertyTable* PublishedProperties();
  explicit TSeCustomButton(TComponent* owner);
  ~TSeCustomButton() override;

  // ---- Roles ------------------------------------------------------------------------------
  // Enter anywhere on the form clicks it unless another library button has the focus.
  bool GetDefault() const { return FDefault; }
  void SetDefault(bool value);
  // Enter clicks this button now.
  bool GetActiveDefault() const { return FActiveDefault; }
  void SetActiveDefault(bool) {}  // read-only; stored layouts may name it
  bool GetCancel() const { return FCancel; }
  void SetCancel(bool value) { FCancel = value; }
  TModalResult GetModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }
  TBitBtnKind GetKind() const { return FKind; }
  void SetKind(TBitBtnKind value);

  // ---- Look --------------------------------------------------------------------------------
  TBitmap* GetGlyph() const { return FGlyph.get(); }  // owned
  void SetGlyph(TBitmap* value);
  TNumGlyphs GetNumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(TNumGlyphs value);  // clamped to 1..4
  TButtonLayout GetLayout() const { return FLayout; }
  void SetLayout(TButtonLayout value);
  int GetSpacing() const { return FSpacing; }
  void SetSpacing(int value);
  TSeButtonState GetState() const { return FState; }
  void SetState(TSeButtonState value);
  bool GetBlackAndWhiteGlyph() const { return FBlackAndWhiteGlyph; }
  void SetBlackAndWhiteGlyph(bool value);
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& value);

  // Sets the form's ModalResult, then OnClick or the action.
  void Click() override;
  void Loaded() override;
  void Dispatch(TMessage& message) override;

  // ---- Layout of the face ------------------------------------------------------------------
  // Glyph plus caption, centred (moved by one pixel while pressed).
  virtual void GetContentRect(TRect& r);
  virtual void GetTextRect(TRect& r);
  virtual void GetGlyphRect(TRect& r);
  // One frame of the glyph strip; (0, 0) without a glyph.
  TSize GlyphFrameSize() const;

 protected:
  void PaintFace() override;
  virtual void PaintButtonFrame();
  virtual void PaintButtonGlyph();
  virtual void PaintButtonCaption();
  void ActionChange(TObject* sender, bool checkDefaults) override;
  void CreateWnd() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyUp(WORD& key, TShiftState shift) override;
  void DoFocusOut() override;
  void CMDialogKey(TMessage& message) override;
  void CMDialogChar(TMessage& message) override;
  void CMFocusChanged(TMessage& message) override;
  void CMEnabledChanged(TMessage& message) override;
  void CMTextChanged(TMessage& message) override;
  void CMMouseEnter(TMessage& message) override;
  void CMMouseLeave(TMessage& message) override;

 private:
  void GlyphChanged(TObject* sender);
  // Ends a press without a click (lost focus or capture, disabled).
  void CancelPress();
  bool IsGlyphStored() const;
  // The button's own text size for the content rectangle.
  TSize CaptionSize();

  bool FActiveDefault = false;                // Enter clicks this button now
  bool FDefault = false;
  TSeGlyphPress FPress;                       // mouse press (with capture) or space bar
  bool FReleasing = false;                    // a left release is being handled
  std::unique_ptr<TBitmap> FGlyph;            // frames side by side; OnChange = GlyphChanged
  TButtonLayout FLayout = blGlyphLeft;
  TBitBtnKind FKind = bkCustom;
  TNumGlyphs FNumGlyphs = 1;                  // 1..4
  int FSpacing = 4;                           // between glyph and caption
  TSeButtonState FState = vbsNormal;          // drawn pressed or not
  TModalResult FModalResult = mrNone;         // given to the form on a click
  bool FBlackAndWhiteGlyph = false;           // grey glyph unless the mouse is over it
  bool FCancel = false;                       // Escape clicks it
  bool FWordWrap = false;
  bool FGlyphFromAction = false;              // the glyph is the action's image
  std::unique_ptr<TSeBitmap> FStrip;          // the glyph's pixels; made again after a change
  std::unique_ptr<TSeBitmap> FFace;           // the frame last drawn, keyed clear; with FStrip
  int FFaceKey = -1;                          // its frame index and grey or disabled look
  bool FMeasured = false;                     // CaptionSize has measured once
  LOGFONTW FMeasuredFont{};                   // its last font and caption ...
  String FMeasuredCaption;
  TSize FMeasuredSize;                        // ... and what it measured
  bool FReadingGlyph = false;                 // FStrip is being made from Glyph
  String FCaption;
};
