// TCustomLabel and TLabel: a windowless control that writes its caption on its parent.
//
// The caption is drawn with DrawText: aligned across the label by Alignment, placed at the
// top, middle or bottom by Layout, broken into lines by WordWrap, with '&' marking the
// accelerator while ShowAccelChar. A disabled label is drawn embossed. With AutoSize the
// label takes the size of its text whenever the text or the font changes (keeping its right
// edge when it is right-aligned). Its accelerator focuses FocusControl.
//
// Not done: ellipsis positions, themed (glowing) text.
#pragma once
#include "../controls/Controls.h"
#include "../controls/Panels.h"

// Where the text sits vertically in a label.
enum TTextLayout { tlTop, tlCenter, tlBottom };

class TCustomLabel : public TGraphicControl {
  CLASSLIB_CLASS(TCustomLabel, TGraphicControl)
  // 65 x 17, AutoSize, ShowAccelChar, opaque.
  explicit TCustomLabel(TComponent* owner);

  // ---- Attributes ----------------------------------------------------------------------
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TTextLayout GetLayout() const { return FLayout; }
  void SetLayout(TTextLayout value);
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  // A transparent label paints only its text (the parent shows through).
  bool GetTransparent() const { return !GetControlStyle().Contains(csOpaque); }
  void SetTransparent(bool value);
  // '&' marks the accelerator ("&&" is one '&'); without it '&' is drawn as it is.
  bool GetShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool value);
  // The control the accelerator focuses; not owned (forgotten when it is freed).
  TWinControl* GetFocusControl() const { return FFocusControl; }
  virtual void SetFocusControl(TWinControl* value);
  void SetAutoSize(bool value) override;

  // The text that is drawn: the caption.
  virtual String GetLabelText();

  void Dispatch(TMessage& message) override;
  void Loaded() override;

 protected:
  void Paint() override;
  // Writes the label text into rect on canvas (DT_CALCRECT in flags measures it into rect
  // instead). The canvas takes the label's font.
  virtual void DoDrawText(TCanvas* canvas, TRect& rect, UINT flags);
  // Sizes the label to its text when AutoSize (not while it is being read).
  virtual void AdjustBounds();
  void Notification(TComponent* component, TOperation operation) override;
  void CMTextChanged(TMessage& message) override;
  void CMFontChanged(TMessage& message) override;
  // Its accelerator focuses FocusControl.
  virtual void CMDialogChar(TMessage& message);

 private:
  // The DrawText flags of the label's wrapping and alignment.
  UINT TextFlags() const;

  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FWordWrap = false;
  bool FShowAccelChar = true;
  TWinControl* FFocusControl = nullptr;  // not owned; a free notification clears it
};

class TLabel : public TCustomLabel {
  CLASSLIB_CLASS(TLabel, TCustomLabel)
  static const TPropertyTable* PublishedProperties();
  explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};
