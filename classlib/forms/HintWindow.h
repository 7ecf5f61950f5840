// THintWindow: the small borderless popup that shows a control's hint near the mouse. The
// application makes one when a hint is first shown and moves it for each hint; it never
// takes the focus and lets the mouse through to the windows below.
#pragma once
#include "../controls/Controls.h"

class THintWindow : public TCustomControl {
  CLASSLIB_CLASS(THintWindow, TCustomControl)
  // Hidden; the colour of tooltips and the screen's hint font.
  explicit THintWindow(TComponent* owner);

  // Shows hint in rect (screen coordinates, kept on the desktop) without activating it.
  virtual void ActivateHint(const TRect& rect, const String& hint);
  virtual void ActivateHintData(const TRect& rect, const String& hint, void* data);
  // The size the hint needs when wrapped at maxWidth: a rectangle at (0, 0).
  virtual TRect CalcHintRect(int maxWidth, const String& hint, void* data);
  // True for the messages that end a hint (keys, presses, commands, activation).
  virtual bool IsHintMsg(const MSG& msg);
  // Destroys the window (a new one is made when the hint shows again).
  void ReleaseHandle();

  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Paint() override;
};
