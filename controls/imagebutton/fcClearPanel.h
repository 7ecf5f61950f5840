// TfcCustomTransparentPanel: a panel that can let its parent show through. While
// Transparent it paints only its bevels and border, erases nothing, and has its parent
// repaint the area under it whenever it moves, lays out its children or is invalidated.
// The window takes WS_EX_TRANSPARENT only when it is made, so a change of Transparent on a
// window that exists keeps the old extended style until the window is made again.
#pragma once
#include "classlib/controls/Panels.h"

class TfcCustomTransparentPanel : public TCustomPanel {
  CLASSLIB_CLASS(TfcCustomTransparentPanel, TCustomPanel)
  // Transparent, raised outer bevel, no caption.
  explicit TfcCustomTransparentPanel(TComponent* owner);

  virtual void SetTransparent(bool value);
  virtual bool GetTransparent() const { return FTransparent; }

  void Invalidate() override;
  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  void AlignControls(TControl* control, TRect& rect) override;
  void WMEraseBkgnd(TMessage& message) override;
  // The stored flag itself, for a layout pass that paints opaque for a moment.
  bool GetTransparentFlag() const { return FTransparent; }
  void SetTransparentFlag(bool value) { FTransparent = value; }

 private:
  bool FTransparent = true;  // paints only its frames
};
