// TSeCustomGroupBox: the owner-drawn group box: an etched frame with its caption set into the
// top edge, drawn with the visual style "Button" when themes are active and with two line
// frames otherwise. With UseCheckBox a check box stands in place of the caption text; its
// state enables or disables every other child, and the group box itself then stays enabled.
//
// Enabling flows down: Enabled (or the caption check box) -> CM_ENABLEDCHANGED -> the children.
#pragma once
#include "SkinCheckBox.h"
#include "SkinControl.h"

class TSeCustomGroupBox : public TSeCustomControl {
  CLASSLIB_CLASS(TSeCustomGroupBox, TSeCustomControl)
  static const TPropertyTable* PublishedProperties();
  explicit TSeCustomGroupBox(TComponent* owner);
  ~TSeCustomGroupBox() override;

  int GetCaptionMargin() const { return FCaptionMargin; }
  void SetCaptionMargin(int value);
  // True only while the flag is set and the check box exists.
  bool GetUseCheckBox() const { return FUseCheckBox && FCheckBox; }
  // Always acts, also for an unchanged value: makes (or frees) the caption check box.
  void SetUseCheckBox(bool value);
  TSeLeftRight GetCheckBoxAlignment() const;
  void SetCheckBoxAlignment(TSeLeftRight value);
  bool GetChecked() const { return FChecked; }
  void SetChecked(bool value);
  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& value);
  // The caption check box while UseCheckBox is on (nullptr otherwise); owned by the group box.
  TSeCustomCheckBox* GetCheckBox() const { return FCheckBox; }
  const TNotifyEvent& GetOnCheckBoxClick() const { return FOnCheckBoxClick; }
  void SetOnCheckBoxClick(TNotifyEvent handler) { FOnCheckBoxClick = std::move(handler); }

  bool GetEnabled() const override;
  void SetEnabled(bool value) override;
  TRect GetClientRect() override;
  // The frame: (3, caption height div 2 + 1, Width - 2, Height - 2).
  virtual void GetBoxRect(TRect& rect);
  void Loaded() override;

 protected:
  void PaintFace() override;
  virtual void CheckBoxClick(TObject* sender);
  // Makes the caption check box (owned by the group box).
  virtual TSeCustomCheckBox* CreateCheckBox();
  void Notification(TComponent* component, TOperation operation) override;
  void CMEnabledChanged(TMessage& message) override;
  void CMDialogChar(TMessage& message) override;
  void CMTextChanged(TMessage& message) override;
  void WMSize(TMessage& message) override;
  // Places and sizes the caption check box after the margin and the caption.
  void LayoutCheckBox();

 private:
  // The caption's height (or the check box's) with Font.
  int CaptionHeight();
  // False when the theme could not draw the frame (the caller then draws classically).
  bool PaintThemedFrame(TCanvas* canvas, const TRect& frame, const TRect& caption, bool showText);
  void PaintClassicFrame(TCanvas* canvas, const TRect& frame, const TRect& caption);

  int FCaptionMargin = 12;                  // x where the caption (or check box) begins
  bool FOwnEnabled = true;                  // what Enabled was last set to
  bool FUseCheckBox = false;                // UseCheckBox as last written
  TSeCustomCheckBox* FCheckBox = nullptr;   // owned; exists while UseCheckBox is on
  TSeLeftRight FCheckBoxAlignment = vtaLeftJustify;  // for the check box when it is made
  TNotifyEvent FOnCheckBoxClick;            // after the caption check box was clicked
  bool FChecked = true;                     // state of the caption check box
  String FCaption;
};
