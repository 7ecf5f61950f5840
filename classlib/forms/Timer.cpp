// TTimer: a system timer on a utility window of its own, started and stopped as Enabled,
// Interval and OnTimer change.
#include "Timer.h"
#include "../controls/Controls.h"

namespace {
constexpr UINT_PTR TimerId = 1;  // the utility window's only timer
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() {
  Destroying();
  if (FTimerRunning) ::KillTimer(FWindowHandle, TimerId);
  FTimerRunning = false;
  DeallocateHWnd(FWindowHandle);
  FWindowHandle = nullptr;
}

void TTimer::SetEnabled(bool value) {
  if (FEnabled == value) return;
  FEnabled = value;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned value) {
  if (FInterval == value) return;
  FInterval = value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
  FOnTimer = std::move(handler);
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (FTimerRunning) ::KillTimer(FWindowHandle, TimerId);
  FTimerRunning = false;
  if (FInterval == 0 || !FEnabled || !FOnTimer) return;
  if (!FWindowHandle) FWindowHandle = AllocateHWnd([this](TMessage& message) { WndProc(message); });
  if (!::SetTimer(FWindowHandle, TimerId, FInterval, nullptr))
    throw EOutOfResources(L"Not enough timers available");
  FTimerRunning = true;
}

void TTimer::Timer() {
  if (FOnTimer) FOnTimer(this);
}

void TTimer::WndProc(TMessage& message) {
  if (message.Msg == WM_TIMER) {
    // A handler may free the timer: nothing of it is touched after Timer returns.
    try {
      Timer();
    } catch (...) {
      ApplicationHandleException(this);
    }
    message.Result = 0;
    return;
  }
  message.Result = ::DefWindowProcW(FWindowHandle, message.Msg, message.WParam, message.LParam);
}
