// TfcCustomLabel and TfcLabel: a windowless label that writes its Caption through a
// TfcCaptionText (TextOptions), so it can be turned, shadowed, extruded, outlined or
// embossed. With AutoSize the label takes the size of its caption whenever the caption, the
// font or the caption's layout changes, keeping its right edge when it is right-justified.
// Its accelerator focuses FocusControl.
//
// Not done: the caption is not re-measured when TextOptions' alignment, word wrap, line
// spacing or screen scaling changes (only Options, Rotation and the shadow and extrusion
// sizes ask for it).
#pragma once
#include <memory>
#include "classlib/controls/Controls.h"
#include "fcText.h"

class TfcCustomLabel : public TGraphicControl {
  CLASSLIB_CLASS(TfcCustomLabel, TGraphicControl)
  // 65 x 17, AutoSize, opaque.
  explicit TfcCustomLabel(TComponent* owner);
  ~TfcCustomLabel() override;

  // ---- Attributes ----------------------------------------------------------------------
  void SetAutoSize(bool value) override;
  // The control the accelerator focuses; not owned (forgotten when it is freed).
  TWinControl* GetFocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* value);
  // The caption renderer; owned.
  TfcCaptionText* GetTextOptions() const { return FTextOptions.get(); }
  void SetTextOptions(TfcCaptionText* value);  // copies value
  // A transparent label paints only its caption (the parent shows through).
  bool GetTransparent() const { return !GetControlStyle().Contains(csOpaque); }
  void SetTransparent(bool value);

  void Dispatch(TMessage& message) override;
  void Loaded() override;

 protected:
  void Paint() override;
  // The caption renderer's idea of whether the label is enabled.
  virtual bool GetTextEnabled();
  // Sizes the label to its caption when AutoSize (not while it is being read).
  virtual void AdjustBounds();
  void Notification(TComponent* component, TOperation operation) override;
  void CMTextChanged(TMessage& message) override;
  void CMFontChanged(TMessage& message) override;
  // Its accelerator focuses FocusControl.
  virtual void CMDialogChar(TMessage& message);

 private:
  TWinControl* FFocusControl = nullptr;          // not owned; a free notification clears it
  std::unique_ptr<TfcCaptionText> FTextOptions;  // draws the caption
};

class TfcLabel : public TfcCustomLabel {
  CLASSLIB_CLASS(TfcLabel, TfcCustomLabel)
  static const TPropertyTable* PublishedProperties();
  explicit TfcLabel(TComponent* owner) : TfcCustomLabel(owner) {}
};
