// TSeCustomLabel: a windowless label with a Unicode caption, auto size, alignment, vertical
// layout, word wrap and an accelerator that focuses FocusControl. TSeSpeedContainer, a
// transparent windowed container for speed buttons, and TSeSpeedDivider, a transparent
// 8-pixel separator for it; at run time both paint nothing of their own.
#pragma once
#include "SkinControl.h"
#include "classlib/controls/Panels.h"
#include "classlib/stdctrls/StdLabels.h"

extern const TEnumInfo SeTextLayoutIdents;

class TSeCustomLabel : public TSeGraphicControl {
  CLASSLIB_CLASS(TSeCustomLabel, TSeGraphicControl)
  static const TPropertyTable* PublishedProperties();
  explicit TSeCustomLabel(TComponent* owner);

  // Focused by the accelerator; not owned (forgotten when it goes).
  TWinControl* GetFocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* value);
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  void SetAutoSize(bool value) override;
  TTextLayout GetLayout() const { return FLayout; }
  void SetLayout(TTextLayout value);
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  bool GetShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool value);
  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& value);

  // The text drawn: Caption.
  virtual String GetLabelText() { return FCaption; }
  void Loaded() override;
  void Dispatch(TMessage& message) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  void PaintFace() override;
  // Sizes the label to its text (with AutoSize, not while a layout is read).
  virtual void AdjustBounds();
  // Draws (or with DT_CALCRECT measures into r) the text.
  virtual void DoDrawText(TRect& r, UINT flags);
  void CMTextChanged(TMessage& message) override;
  void CMFontChanged(TMessage& message) override;
  void CMDialogChar(TMessage& message);

 private:
  TWinControl* FFocusControl = nullptr;
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FWordWrap = false;
  bool FShowAccelChar = true;  // "&" marks an accelerator
  String FCaption;
};

class TSeSpeedContainer : public TSeCustomControl {
  CLASSLIB_CLASS(TSeSpeedContainer, TSeCustomControl)
  static const TPropertyTable* PublishedProperties();
  explicit TSeSpeedContainer(TComponent* owner);

 protected:
  // Transparent: only a designer's outline.
  void PaintFace() override;
};

class TSeSpeedDivider : public TSeGraphicControl {
  CLASSLIB_CLASS(TSeSpeedDivider, TSeGraphicControl)
  static const TPropertyTable* PublishedProperties();
  explicit TSeSpeedDivider(TComponent* owner);

 protected:
  void PaintFace() override;
};

// The outline a designer shows around a transparent container (nothing at run time).
void PaintDesignOutline(TControl& control, TCanvas* canvas);
