// TRxTimer and its worker. See RxTimer.h for the method.
#include "RxTimer.h"

#include "classlib/classes/Properties.h"
#include "classlib/controls/Controls.h"
#include "classlib/controls/Messages.h"
#include "classlib/forms/Forms.h"

namespace {
constexpr UINT_PTR WindowTimerId = 1;  // the utility window's only timer

const wchar_t* const ThreadPriorityNames[] = {L"tpIdle",   L"tpLowest",  L"tpLower",
                                              L"tpNormal", L"tpHigher", L"tpHighest",
                                              L"tpTimeCritical"};
const TEnumInfo ThreadPriorityIdents = MakeEnumInfo(ThreadPriorityNames);

// Reports the exception being handled on the main thread, whatever thread catches it.
void ReportOnMainThread(TObject* sender, std::exception_ptr error) {
  auto report = [sender, error]() {
    try {
      std::rethrow_exception(error);
    } catch (...) {
      if (Application) Application->HandleException(sender);
    }
  };
  try {
    TThread::Synchronize(report);
  } catch (...) {
    // The report itself never throws; nothing else can come back.
  }
}
}  // namespace

// ---- TTimerThread ------------------------------------------------------------------------

TTimerThread::TTimerThread(TRxTimer* owner)
    : TThread(false), FOwner(owner), FWake(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  if (!FWake) throw EOutOfResources(L"Not enough timers available");
}

TTimerThread::~TTimerThread() {
  Stop();
  StopAndWait();
}

bool TTimerThread::Ticking() const {
  return !GetTerminated() && !FOwner->FDestroying && FOwner->FThreaded && FOwner->Running();
}

bool TTimerThread::SleepInterval() {
  // The length is fixed when the sleep starts: a new Interval takes effect at the next one,
  // so a caller that changes it more often than it ticks still gets its ticks.
  const DWORD length = FOwner->FInterval;
  const DWORD start = ::GetTickCount();
  for (;;) {
    const DWORD slept = ::GetTickCount() - start;  // wraps correctly
    if (slept >= length) return true;
    if (::WaitForSingleObject(FWake.Get(), length - slept) == WAIT_TIMEOUT) return true;
    // A change or the stop: the sleep ends early only when the timer no longer ticks.
    if (!Ticking()) return false;
  }
}

void TTimerThread::Execute() {
  while (!GetTerminated()) {
    if (!Ticking()) {
      ::WaitForSingleObject(FWake.Get(), INFINITE);
      continue;
    }
    if (!SleepInterval()) continue;  // stopped meanwhile: read the settings again
    if (Application && Application->GetTerminated()) continue;
    if (Ticking()) Tick();
  }
}

void TTimerThread::Tick() {
  TRxTimer* owner = FOwner;
  if (owner->FSyncEvent) {
    // The tick may free the timer (a form closed from it): after it nothing of the owner is
    // touched unless it is still alive.
    std::shared_ptr<std::atomic<bool>> alive = owner->FAlive;
    try {
      TThread::Synchronize([owner, alive]() {
        owner->FInMainTick = true;
        try {
          owner->Timer();
        } catch (...) {
          if (Application) Application->HandleException(*alive ? owner : nullptr);
        }
        if (*alive) owner->FInMainTick = false;
      });
    } catch (...) {
      // Synchronize gives back only what the call raised, and the call catches everything.
    }
    return;
  }
  try {
    owner->Timer();
  } catch (const EAbort&) {
    // A silent abort ends only this tick.
  } catch (...) {
    ReportOnMainThread(owner, std::current_exception());
  }
}

// ---- TRxTimer -----------------------------------------------------------------------------

TRxTimer::TRxTimer(TComponent* owner) : TComponent(owner) {
  FThread.reset(new TTimerThread(this));
  FThread->Start();
}

TRxTimer::~TRxTimer() {
  *FAlive = false;
  FDestroying = true;
  FEnabled = false;
  if (FInMainTick) {
    // Freed by its own tick on the main thread, while the worker waits for that tick: the
    // worker cannot be joined here. It is told to stop and frees itself; after the tick it
    // touches nothing of this timer.
    FThread->Stop();
    FThread->SetFreeOnTerminate(true);
    FThread.release();
  } else {
    // The worker is joined first: after this nothing runs a tick, so the handler and the
    // window can go. The wait (inside) serves the worker's Synchronize calls meanwhile.
    FThread.reset();
  }
  {
    TCriticalSectionGuard guard(FHandlerLock);
    FOnTimer = nullptr;
    FHasHandler = false;
  }
  if (FWindowHandle) {
    if (FWindowTimerSet) ::KillTimer(FWindowHandle, WindowTimerId);
    DeallocateHWnd(FWindowHandle);
    FWindowHandle = nullptr;
  }
}

void TRxTimer::SetEnabled(bool value) {
  if (FEnabled == value) return;
  FEnabled = value;
  UpdateTimer();
}

void TRxTimer::SetInterval(unsigned value) {
  if (FInterval == value) return;
  FInterval = value;
  UpdateTimer();
}

void TRxTimer::SetThreaded(bool value) {
  if (FThreaded == value) return;
  FThreaded = value;
  UpdateTimer();
}

void TRxTimer::SetThreadPriority(TThreadPriority value) {
  if (FThreadPriority == value) return;
  FThreadPriority = value;
  if (FThreaded && FThread) FThread->SetPriority(value);
}

TNotifyEvent TRxTimer::GetOnTimer() const {
  {
    TCriticalSectionGuard pending(const_cast<TCriticalSection&>(FPendingLock));
    if (FHasPending) return FPendingHandler;
  }
  TCriticalSectionGuard guard(const_cast<TCriticalSection&>(FHandlerLock));
  return FOnTimer;
}

bool TRxTimer::EnterHandlerLock() {
  if (::GetCurrentThreadId() != GetMainThreadID()) {
    FHandlerLock.Enter();
    return true;
  }
  // A worker tick holding the lock may be waiting for the main thread (Synchronize): its
  // queued calls are run meanwhile. When this very call runs on its behalf, the lock cannot
  // be had until it returns.
  for (unsigned round = 0; !FHandlerLock.TryEnter(); ++round) {
    if (FWorkerInSync) return false;
    if (!CheckSynchronize()) ::Sleep(round < 50 ? 0 : 1);
  }
  return true;
}

void TRxTimer::SetOnTimer(TNotifyEvent handler) {
  const bool wasAssigned = FHasHandler;
  const bool assigned = static_cast<bool>(handler);
  if (EnterHandlerLock()) {
    {
      TCriticalSectionGuard pending(FPendingLock);
      FHasPending = false;
      FPendingHandler = nullptr;
    }
    FOnTimer = std::move(handler);
    FHandlerLock.Leave();
  } else {
    // The tick that runs the old handler is waiting for us: it swaps the handler in when
    // it ends, so the old one is not destroyed while it runs.
    TCriticalSectionGuard pending(FPendingLock);
    FHasPending = true;
    FPendingHandler = std::move(handler);
  }
  FHasHandler = assigned;
  if (wasAssigned != assigned) UpdateTimer();
}

void TRxTimer::Timer() {
  if (!FEnabled || FDestroying) return;
  // A handler may free the timer on the main thread (window mode, or a synchronised tick):
  // once it has, nothing of the timer is touched, not even its lock.
  std::shared_ptr<std::atomic<bool>> alive = FAlive;
  FHandlerLock.Enter();
  auto finish = [this] {
    {
      TCriticalSectionGuard pending(FPendingLock);
      if (FHasPending) {
        FOnTimer = std::move(FPendingHandler);
        FPendingHandler = nullptr;
        FHasPending = false;
      }
    }
    FHandlerLock.Leave();
  };
  try {
    // A copy runs, so that a handler that replaces or removes itself (the animator stops
    // from its own step) does not destroy what is running.
    if (FOnTimer && FEnabled && !FDestroying) {
      const TNotifyEvent handler = FOnTimer;
      handler(this);
    }
  } catch (...) {
    if (*alive) finish();
    throw;
  }
  if (*alive) finish();
}

void TRxTimer::Synchronize(const std::function<void()>& method) {
  if (::GetCurrentThreadId() == GetMainThreadID() || !FThread || FThread->GetTerminated()) {
    method();
    return;
  }
  const bool fromWorker = ::GetCurrentThreadId() == FThread->GetThreadID();
  // While the worker waits (suspended), another thread's call runs in that thread: handed to
  // the main thread, it would wait for it, which may be waiting for the caller.
  if (!fromWorker && !FThread->Ticking()) {
    method();
    return;
  }
  if (fromWorker) FWorkerInSync = true;
  try {
    TThread::Synchronize(method);
  } catch (...) {
    if (fromWorker) FWorkerInSync = false;
    throw;
  }
  if (fromWorker) FWorkerInSync = false;
}

void TRxTimer::UpdateTimer() {
  if (FThreaded) {
    if (FWindowHandle) {
      if (FWindowTimerSet) ::KillTimer(FWindowHandle, WindowTimerId);
      FWindowTimerSet = false;
      DeallocateHWnd(FWindowHandle);
      FWindowHandle = nullptr;
    }
    if (FThread) {
      if (Running()) FThread->SetPriority(FThreadPriority);
      FThread->Wake();
    }
    return;
  }
  if (FThread) FThread->Wake();  // it sees threaded mode is off and idles
  if (!FWindowHandle) {
    FWindowHandle = AllocateHWnd([this](TMessage& message) { WndProc(message); });
  } else if (FWindowTimerSet) {
    ::KillTimer(FWindowHandle, WindowTimerId);
  }
  FWindowTimerSet = false;
  if (Running()) {
    if (!::SetTimer(FWindowHandle, WindowTimerId, FInterval, nullptr))
      throw EOutOfResources(L"Not enough timers available");
    FWindowTimerSet = true;
  }
}

void TRxTimer::WndProc(TMessage& message) {
  if (message.Msg == WM_TIMER) {
    try {
      Timer();
    } catch (...) {
      Application->HandleException(this);
    }
    message.Result = 0;
    return;
  }
  message.Result = ::DefWindowProcW(FWindowHandle, message.Msg, message.WParam, message.LParam);
}

const TPropertyTable* TRxTimer::PublishedProperties() {
  using P = TPublish<TRxTimer>;
  using C = TRxTimer;
  static const TPropertyTable table{
      P::Boolean(L"Enabled", &C::GetEnabled, &C::SetEnabled).Default(true),
      P::Cardinal(L"Interval", &C::GetInterval, &C::SetInterval).Default(1000),
      P::Boolean(L"SyncEvent", &C::GetSyncEvent, &C::SetSyncEvent).Default(true),
      P::Boolean(L"Threaded", &C::GetThreaded, &C::SetThreaded).Default(true),
      P::Enum(L"ThreadPriority", ThreadPriorityIdents, &C::GetThreadPriority,
              &C::SetThreadPriority)
          .Default(tpNormal),
      P::Method(L"OnTimer", &C::GetOnTimer, &C::SetOnTimer),
  };
  return &table;
}
