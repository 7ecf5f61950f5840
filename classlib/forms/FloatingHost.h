// TFloatingHost: the small tool window a control floats in once a dock drag dropped it where
// no dock site took it. It holds that one control, sized to it; a press on its caption starts
// a dock drag of the control (so a dock site under the mouse can take it back, and a drop
// elsewhere moves the window), and it goes once the control leaves it.
//
// Not done: several controls in one window, a close button, sizing the window.
#pragma once
#include "Forms.h"

class TFloatingHost : public TCustomForm {
  CLASSLIB_CLASS(TFloatingHost, TCustomForm)
  explicit TFloatingHost(TComponent* owner);

  // Takes control (out of its parent) and shows itself with its client area, the control's
  // size, at screenRect's top-left. The control keeps its owner.
  void Hold(TControl* control, const TRect& screenRect);
  // The control held; nullptr once it left.
  TControl* GetHeld() const { return FHeld; }
  bool IsFloatingHost() const override { return true; }
  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  // Places the window so that its client area's top-left is at the screen point.
  void MoveClientTo(const TPoint& screen);
  TControl* FHeld = nullptr;  // a child; not owned
};

// Floats control at screenRect: into a new host owned by the application, or, already
// floating, by moving its host. Installed as the controls layer's FloatControl service.
void FloatControl(TControl* control, const TRect& screenRect);
