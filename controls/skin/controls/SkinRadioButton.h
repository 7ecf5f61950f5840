// TSeCustomRadioButton: the owner-drawn radio button: a 13 x 13 circle drawn with the visual
// style "Button" when themes are active and with DrawFrameControl otherwise, a Unicode caption
// beside it, hot and pressed feedback, and exclusion among the radio buttons of the same parent
// and GroupIndex.
//
// A button becomes checked when the focus arrives (by Tab, arrows, a click or its accelerator),
// when a mouse press ends on it and when the space bar is released after going down on it. Only
// the checked button of a group is a tab stop. OnClick (the button's own event) fires on the
// change to checked only, and never while a layout is read. A button without a parent has no
// siblings to exclude.
#pragma once
#include <cstdint>

#include "SkinControl.h"
#include "SkinGlyphButton.h"

class TSeCustomRadioButton : public TSeCustomControl {
  CLASSLIB_CLASS(TSeCustomRadioButton, TSeCustomControl)
  static const TPropertyTable* PublishedProperties();
  explicit TSeCustomRadioButton(TComponent* owner);

  bool GetChecked() const { return FChecked; }
  void SetChecked(bool value);
  uint8_t GetGroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(uint8_t value) { FGroupIndex = value; }
  int GetSpacing() const { return FSpacing; }
  void SetSpacing(int value);
  bool GetItemTabStop() const { return FItemTabStop; }
  void SetItemTabStop(bool value) { FItemTabStop = value; }
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value) { FWordWrap = value; }  // shows at the next repaint
  TSeLeftRight GetAlignment() const { return FAlignment; }
  void SetAlignment(TSeLeftRight value);
  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& value);
  bool GetPressed() const { return FPress.Pressed(); }
  const TNotifyEvent& GetOnClick() const { return FOnClick; }
  void SetOnClick(TNotifyEvent handler) { FOnClick = std::move(handler); }

  virtual TSize GetGlyphSize() { return TSize(13, 13); }

 protected:
  void PaintFace() override;
  virtual void PaintGlyph();
  virtual void PaintCaption();
  virtual void DoClick();
  void DoFocusIn() override;
  void DoFocusOut() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyUp(WORD& key, TShiftState shift) override;
  void CMDialogChar(TMessage& message) override;
  void CMEnabledChanged(TMessage& message) override;
  void CMTextChanged(TMessage& message) override;
  void CMMouseEnter(TMessage& message) override;
  void CMMouseLeave(TMessage& message) override;

 private:
  // Unchecks the other radio buttons of the parent with the same GroupIndex.
  void UncheckSiblings();

  bool FChecked = false;                     // the selected state
  uint8_t FGroupIndex = 0;                   // exclusion only within equal indexes
  int FSpacing = 5;                          // pixels between circle and caption
  TSeGlyphPress FPress;                      // mouse button or space bar held down
  bool FItemTabStop = true;                  // stored and published only
  bool FWordWrap = false;
  TSeLeftRight FAlignment = vtaLeftJustify;  // circle on the left or on the right
  String FCaption = L"RadioButton";
  TNotifyEvent FOnClick;                     // when the button becomes checked
};
