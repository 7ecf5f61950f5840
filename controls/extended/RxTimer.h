// TRxTimer: a timer component that calls OnTimer every Interval milliseconds, either from a
// worker thread of its own (Threaded, the default) or through a system timer on a hidden
// utility window.
//
// The worker never suspends or resumes: it waits on an event for the interval, and every
// change of Enabled, Interval, Threaded, OnTimer or destruction signals that event, so that
// no setter waits for a tick. A wait under way keeps the length it began with when only the
// Interval changed; the next one uses the new value. With SyncEvent the tick runs on the main thread (the worker
// waits for it); without, it runs on the worker, which must then guard what it shares.
// An exception of a tick reaches Application->HandleException on the main thread once and
// the worker goes on. The destructor stops and joins the worker before anything it uses is
// freed; OnTimer is never replaced while a tick may be calling it. A handler may free its
// timer when it runs on the main thread (window mode or SyncEvent), not on the worker.
#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include "classlib/classes/Component.h"
#include "classlib/classes/Events.h"
#include "classlib/classes/Threads.h"
#include "classlib/system/Win.h"

struct TMessage;
class TPropertyTable;
class TRxTimer;

// The worker of a threaded TRxTimer: waits for the interval or a change, then ticks.
class TTimerThread : public TThread {
  CLASSLIB_CLASS(TTimerThread, TThread)
  explicit TTimerThread(TRxTimer* owner);
  ~TTimerThread() override;

  // Wakes the worker so that it reads the owner's settings again.
  void Wake() { ::SetEvent(FWake.Get()); }
  // Asks the worker to end and wakes it.
  void Stop() {
    Terminate();
    Wake();
  }
  // The owner should tick now: threaded, running, and neither it nor this thread stopping.
  // While it should not, the worker waits (it is suspended).
  bool Ticking() const;

 protected:
  void Execute() override;

 private:
  // Sleeps one interval, of the length Interval had when the sleep began; false when the
  // timer stopped ticking meanwhile (disabled, stopped, destroyed, window mode).
  bool SleepInterval();
  // Runs the owner's tick where SyncEvent says and reports an exception on the main thread.
  void Tick();

  TRxTimer* FOwner;       // the timer that owns this thread; outlives it
  TKernelHandle FWake;    // auto-reset event: a change of the settings, or the stop
};

class TRxTimer : public TComponent {
  CLASSLIB_CLASS(TRxTimer, TComponent)
  // Enabled, Interval 1000, SyncEvent, Threaded, tpNormal; the worker starts idle.
  explicit TRxTimer(TComponent* owner);
  static const TPropertyTable* PublishedProperties();
  // Stops and joins the worker, then destroys the utility window.
  ~TRxTimer() override;

  // ---- Attributes ---------------------------------------------------------------------
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool value);
  unsigned GetInterval() const { return FInterval; }
  void SetInterval(unsigned value);
  // Ticks run on the main thread (true) or on the worker (false). Read at each tick.
  bool GetSyncEvent() const { return FSyncEvent; }
  void SetSyncEvent(bool value) { FSyncEvent = value; }
  bool GetThreaded() const { return FThreaded; }
  void SetThreaded(bool value);
  TThreadPriority GetThreadPriority() const { return FThreadPriority; }
  void SetThreadPriority(TThreadPriority value);
  // A copy of the handler. Replacing it waits for a tick that runs on another thread.
  TNotifyEvent GetOnTimer() const;
  void SetOnTimer(TNotifyEvent handler);

  // Whether ticks are due now: Enabled, a non-zero Interval and a handler.
  bool Running() const { return FEnabled && FInterval != 0 && FHasHandler; }
  // The utility window of window mode (nullptr in threaded mode).
  HWND GetWindowHandle() const { return FWindowHandle; }

  // ---- Operations ---------------------------------------------------------------------
  // Runs method on the main thread: from the worker it waits until the main thread has run
  // it; on the main thread (or when the worker is stopping) it runs at once.
  void Synchronize(const std::function<void()>& method);

 protected:
  // The tick: calls OnTimer unless disabled, destroying or without a handler.
  virtual void Timer();

 private:
  friend class TTimerThread;
  void UpdateTimer();
  void WndProc(TMessage& message);
  // Enters the handler lock; on the main thread it runs queued Synchronize calls while it
  // waits, so that a worker tick that waits for the main thread can finish.
  // Returns false, without the lock, when the worker holds it and waits for this thread.
  bool EnterHandlerLock();

  std::atomic<bool> FEnabled{true};
  std::atomic<unsigned> FInterval{1000};        // milliseconds
  std::atomic<bool> FSyncEvent{true};
  std::atomic<bool> FThreaded{true};
  std::atomic<bool> FHasHandler{false};         // FOnTimer is assigned
  std::atomic<bool> FDestroying{false};         // the destructor has started
  TThreadPriority FThreadPriority = tpNormal;
  TNotifyEvent FOnTimer;                        // guarded by FHandlerLock
  TCriticalSection FHandlerLock;                // held while a tick calls FOnTimer
  // A handler given while the worker's tick waited for the main thread (Synchronize): it
  // takes the place of FOnTimer when that tick ends. Guarded by FPendingLock.
  TCriticalSection FPendingLock;
  bool FHasPending = false;
  TNotifyEvent FPendingHandler;
  std::atomic<bool> FWorkerInSync{false};       // the worker waits in Synchronize
  bool FInMainTick = false;                     // a synchronised tick runs on the main thread
  // False once the destructor has started; a tick that freed its timer checks it.
  std::shared_ptr<std::atomic<bool>> FAlive = std::make_shared<std::atomic<bool>>(true);
  HWND FWindowHandle = nullptr;                 // window mode's utility window; owned
  bool FWindowTimerSet = false;                 // SetTimer succeeded on FWindowHandle
  std::unique_ptr<TTimerThread> FThread;        // the worker; joined by the destructor
};
