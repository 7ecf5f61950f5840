// TTimer: calls OnTimer every Interval milliseconds while Enabled, through a system timer
// on a hidden utility window of its own. The system timer runs only while the timer is
// enabled, has a nonzero interval and has a handler; the window is made when the system
// timer first starts (a form's disabled timer costs no window while the form opens).
#pragma once
#include <utility>
#include "../classes/Component.h"
#include "../classes/Events.h"
#include "../system/Win.h"

struct TMessage;  // Messages.h
class TPropertyTable;  // Properties.h

class TTimer : public TComponent {
  CLASSLIB_CLASS(TTimer, TComponent)
  // Enabled, Interval 1000, no handler yet.
  explicit TTimer(TComponent* owner);
  static const TPropertyTable* PublishedProperties();  // FormProperties.cpp
  // Stops the system timer and destroys the utility window, if one was made.
  ~TTimer() override;

  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool value);
  unsigned GetInterval() const { return FInterval; }
  void SetInterval(unsigned value);
  const TNotifyEvent& GetOnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent handler);

 protected:
  // Calls OnTimer.
  virtual void Timer();

 private:
  // Stops the system timer and starts it again when it should run. EOutOfResources
  // "Not enough timers available" when the system has none left.
  void UpdateTimer();
  void WndProc(TMessage& message);

  HWND FWindowHandle = nullptr;  // the utility window once made; destroyed by the destructor
  bool FTimerRunning = false;    // SetTimer succeeded and KillTimer has not run since
  bool FEnabled = true;
  unsigned FInterval = 1000;
  TNotifyEvent FOnTimer;
};
