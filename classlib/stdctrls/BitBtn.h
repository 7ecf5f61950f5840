// TBitBtn: a push button that draws a glyph beside its caption (owner-drawn BUTTON).
//
// A Kind other than bkCustom makes a standard button: it takes the kind's caption, modal
// result, Default (OK and Yes) or Cancel (Cancel and No) setting and glyph. Changing any of
// those afterwards makes the button custom again. A Close button closes its form instead of
// running OnClick (it runs OnClick only when it is on no form). The standard glyphs are drawn
// here as small two-image strips (the second is the disabled look) on an olive key colour.
//
// Not done: bkHelp opens no help (controls carry no help context); it runs OnClick.
#pragma once
#include <memory>
#include "../graphics/Bitmap.h"
#include "ButtonGlyphs.h"
#include "Buttons.h"

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry,
                   bkIgnore, bkAll };

// The caption of a standard kind ("OK", "&Yes", ...); empty for bkCustom.
String BitBtnCaption(TBitBtnKind kind);
// The modal result of a standard kind (mrNone for bkCustom, bkHelp and bkClose).
TModalResult BitBtnModalResult(TBitBtnKind kind);
// Draws the glyph strip of a standard kind into glyph (two 18 x 18 images); empties it for
// bkCustom.
void GetBitBtnGlyph(TBitBtnKind kind, TBitmap* glyph);

class TBitBtn : public TButton {
  CLASSLIB_CLASS(TBitBtn, TButton)
  static const TPropertyTable* PublishedProperties();
  // A custom button, glyph on the left, spacing 4, margin -1 (centred).
  explicit TBitBtn(TComponent* owner);
  ~TBitBtn() override;

  // ---- Attributes -----------------------------------------------------------------------
  // The glyph strip; owned. SetGlyph copies value and makes the button custom.
  TBitmap* GetGlyph() const { return FGlyph->GetGlyph(); }
  void SetGlyph(TBitmap* value);
  TNumGlyphs GetNumGlyphs() const { return FGlyph->GetNumGlyphs(); }
  // Clamped to 1..4.
  void SetNumGlyphs(TNumGlyphs value);
  // bkCustom once the caption's defaults were changed (Default, Cancel, ModalResult, glyph).
  TBitBtnKind GetKind();
  void SetKind(TBitBtnKind value);
  TButtonLayout GetLayout() const { return FLayout; }
  void SetLayout(TButtonLayout value);
  // Space between the edge and the glyph; -1 centres glyph and caption. Values below -1
  // are ignored.
  int GetMargin() const { return FMargin; }
  void SetMargin(int value);
  // Space between glyph and caption; -1 shares the room out evenly.
  int GetSpacing() const { return FSpacing; }
  void SetSpacing(int value);
  TButtonStyle GetStyle() const { return FStyle; }
  void SetStyle(TButtonStyle value);

  // A Close button closes its form; others as a push button.
  void Click() override;
  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  // The default look is drawn by DrawItem: repaint when it changes.
  void SetButtonStyle(bool isDefault) override;
  // Draws the button face, glyph, caption and focus into the item's DC.
  virtual void DrawItem(const DRAWITEMSTRUCT& item);
  virtual void CNDrawItem(TMessage& message);
  virtual void CNMeasureItem(TMessage& message);

 private:
  void GlyphChanged();
  // The stored-when rules: a standard kind's own values are not stored.
  bool IsCustom() { return GetKind() == bkCustom; }
  bool IsCustomCaption();

  std::unique_ptr<TButtonGlyph> FGlyph;
  std::unique_ptr<TCanvas> FCanvas;   // draws into the DC of WM_DRAWITEM
  TBitBtnKind FKind = bkCustom;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
  TButtonStyle FStyle = bsAutoDetect;
  bool FIsFocused = false;            // drawn as the default button
  bool FModifiedGlyph = false;        // the glyph was set after the kind
};
