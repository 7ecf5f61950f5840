// TPanel, the published form of the controls layer's TCustomPanel, and TCustomGroupBox /
// TGroupBox: a container framed by an etched line with its caption written into the line.
//
// A group box lays its aligned children out below the caption's line and inside the frame.
// Its accelerator focuses the first child that can take the focus.
#pragma once
#include "../controls/Panels.h"

class TPanel : public TCustomPanel {
  CLASSLIB_CLASS(TPanel, TCustomPanel)
  static const TPropertyTable* PublishedProperties();
  explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

class TCustomGroupBox : public TCustomControl {
  CLASSLIB_CLASS(TCustomGroupBox, TCustomControl)
  // 185 x 105, accepts controls.
  explicit TCustomGroupBox(TComponent* owner);

 protected:
  // Leaves the caption's line and the frame out of the area aligned children share.
  void AdjustClientRect(TRect& rect) override;
  void Paint() override;
  void CMTextChanged(TMessage& message) override;
  void CMFontChanged(TMessage& message) override;
  void WMSize(TMessage& message) override;
  void CMDialogChar(TMessage& message) override;

 private:
  // The height of a line of the caption's font.
  int CaptionHeight();
};

class TGroupBox : public TCustomGroupBox {
  CLASSLIB_CLASS(TGroupBox, TCustomGroupBox)
  explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
};
