// TSeCustomCheckBox: the owner-drawn check box with three states (unchecked, checked,
// grayed): a 13 x 13 box drawn with the visual style "Button" when themes are active and with
// DrawFrameControl otherwise, a Unicode caption beside it, hot and pressed feedback.
//
// OnClick is the check box's own event: it fires after every change of State, by code or by
// the user (never while a layout is read). A click toggles unchecked -> checked -> unchecked,
// or with AllowGrayed unchecked -> grayed -> checked -> unchecked. The space bar toggles on its
// release when it also went down on the check box.
#pragma once
#include "SkinControl.h"
#include "SkinGlyphButton.h"
#include "classlib/stdctrls/CheckBoxes.h"

extern const TEnumInfo SeCheckBoxStateIdents;

class TSeCustomCheckBox : public TSeCustomControl {
  CLASSLIB_CLASS(TSeCustomCheckBox, TSeCustomControl)
  static const TPropertyTable* PublishedProperties();
  explicit TSeCustomCheckBox(TComponent* owner);

  TCheckBoxState GetState() const { return FState; }
  void SetState(TCheckBoxState value);
  bool GetChecked() const { return FState == cbChecked; }
  void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
  int GetSpacing() const { return FSpacing; }
  void SetSpacing(int value);
  TSeLeftRight GetAlignment() const { return FAlignment; }
  void SetAlignment(TSeLeftRight value);
  bool GetAllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool value) { FAllowGrayed = value; }
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& value);
  bool GetPressed() const { return FPress.Pressed(); }
  const TNotifyEvent& GetOnClick() const { return FOnClick; }
  void SetOnClick(TNotifyEvent handler) { FOnClick = std::move(handler); }

  // The next state a click gives.
  virtual void Toggle();
  virtual TSize GetGlyphSize() { return TSize(13, 13); }

 protected:
  void PaintFace() override;
  virtual void PaintGlyph();
  virtual void PaintCaption();
  virtual void DoClick();
  void DoFocusOut() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyUp(WORD& key, TShiftState shift) override;
  void CMDialogChar(TMessage& message) override;
  void CMEnabledChanged(TMessage& message) override;
  void CMTextChanged(TMessage& message) override;
  void CMSysColorChange(TMessage& message) override;
  void CMMouseEnter(TMessage& message) override;
  void CMMouseLeave(TMessage& message) override;

 private:
  TCheckBoxState FState = cbUnchecked;  // the check state
  int FSpacing = 5;                     // pixels between box and caption
  TSeGlyphPress FPress;                 // mouse button or space bar held down on the box
  TSeLeftRight FAlignment = vtaLeftJustify;
  bool FAllowGrayed = false;            // clicks pass through cbGrayed
  TNotifyEvent FOnClick;                // after every change of State
  bool FWordWrap = false;
  String FCaption = L"CheckBox";
};
