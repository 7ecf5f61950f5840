// TRxTimer: ticks in each mode, where they run, exceptions of a tick, and the settings
// changed and the timer freed from the main thread while the worker ticks; an Interval
// changed more often than the timer ticks.
#include <gtest/gtest.h>

#include <atomic>

#include "ExtendedTestSupport.h"
#include "classlib/forms/Forms.h"
#include "classlib/system/SysExceptions.h"
#include "controls/extended/RxTimer.h"
#include "tests/ApplicationTestSupport.h"

using extended_tests::TDeadline;

namespace {

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
  return PumpApplicationUntil(done, timeoutMs, 1);
}

}  // namespace

TEST(RxTimer, TicksOnlyWhenEnabledWithIntervalAndHandler) {
  enum TMode { mSync, mWorker, mWindow };
  for (TMode mode : {mSync, mWorker, mWindow}) {
    SCOPED_TRACE(mode);
    TRxTimer timer(nullptr);
    timer.SetThreaded(mode != mWindow);
    timer.SetSyncEvent(mode != mWorker);
    timer.SetInterval(10);
    std::atomic<int> ticks{0};
    std::atomic<DWORD> tickThread{0};
    std::atomic<TObject*> tickSender{nullptr};
    timer.SetOnTimer([&](TObject* sender) {
      tickSender = sender;
      tickThread = ::GetCurrentThreadId();
      ++ticks;
    });
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));
    EXPECT_EQ(tickSender.load(), &timer);
    EXPECT_EQ(tickThread == ::GetCurrentThreadId(), mode != mWorker) << "SyncEvent: on the main thread";
    EXPECT_EQ(timer.GetWindowHandle() != nullptr, mode == mWindow);
    for (int variant = 0; variant < 3; ++variant) {
      if (variant == 0) timer.SetEnabled(false);
      if (variant == 1) timer.SetInterval(0);
      if (variant == 2) timer.SetOnTimer(nullptr);
      PumpUntil([] { return false; }, 40);
      const int before = ticks;
      PumpUntil([] { return false; }, 60);
      EXPECT_EQ(ticks, before);
      timer.SetEnabled(true);
      timer.SetInterval(10);
    }
  }
}

TEST(RxTimer, AnExceptionOfATickIsReportedOnceOnTheMainThreadAndTheWorkerGoesOn) {
  for (bool sync : {true, false}) {
    SCOPED_TRACE(sync ? "sync" : "worker");
    std::atomic<int> reports{0}, ticks{0};
    DWORD reportThread = 0;
    Application->SetOnException([&](TObject*, Exception& e) {
      EXPECT_EQ(e.Message(), L"tick failed");
      reportThread = ::GetCurrentThreadId();
      ++reports;
    });
    {
      TRxTimer timer(nullptr);
      timer.SetSyncEvent(sync);
      timer.SetInterval(5);
      timer.SetOnTimer([&](TObject*) {
        if (++ticks == 1) throw EInvalidOperation(L"tick failed");
        if (ticks == 2) throw EAbort(L"quiet");
      });
      EXPECT_TRUE(PumpUntil([&] { return ticks >= 4; }));
    }
    FailTestsOnApplicationExceptions();
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(reportThread, ::GetCurrentThreadId());
  }
}

TEST(RxTimer, SettingsChangedAndTimersFreedWhileTheWorkerTicks) {
  TDeadline deadline(30000);
  std::atomic<int> ticks{0};
  for (int round = 0; round < 300; ++round) {
    deadline.Progress();
    auto* timer = new TRxTimer(nullptr);
    timer->SetSyncEvent(round % 2 == 0);
    timer->SetInterval(1);
    timer->SetOnTimer([&](TObject*) {
      ++ticks;
      ::Sleep(0);
    });
    for (int change = 0; change < 20; ++change) {
      switch (change % 5) {
        case 0: timer->SetEnabled(false); break;
        case 1: timer->SetEnabled(true); break;
        case 2: timer->SetInterval(1 + change % 3); break;
        case 3: timer->SetOnTimer([&](TObject*) { ++ticks; }); break;
        default: Application->ProcessMessages();
      }
    }
    if (round % 3 == 0) {
      // Freed right after a tick, when the next one is due at once.
      const int before = ticks;
      EXPECT_TRUE(PumpUntil([&] { return ticks > before; }, 3000));
    }
    CheckSynchronize();
    delete timer;  // the worker may be in a tick, or waiting for the main thread
  }
  EXPECT_GT(ticks, 0);
}

TEST(RxTimer, AHandlerReplacedByTheTickItselfTakesEffectAfterIt) {
  TDeadline deadline(20000);
  TRxTimer timer(nullptr);
  timer.SetSyncEvent(false);
  timer.SetInterval(2);
  std::atomic<int> first{0}, second{0};
  // The worker's tick asks the main thread to replace the handler that is running.
  timer.SetOnTimer([&](TObject*) {
    if (++first == 1) timer.Synchronize([&] { timer.SetOnTimer([&](TObject*) { ++second; }); });
  });
  EXPECT_TRUE(PumpUntil([&] { return second >= 2; }));
  EXPECT_EQ(first, 1);
}

TEST(RxTimer, AHandlerOnTheMainThreadMayFreeItsTimer) {
  TDeadline deadline(20000);
  for (bool threaded : {true, false}) {
    SCOPED_TRACE(threaded ? "threaded" : "window");
    auto* timer = new TRxTimer(nullptr);
    timer->SetThreaded(threaded);
    timer->SetInterval(5);
    bool freed = false;
    timer->SetOnTimer([&](TObject* sender) {
      delete static_cast<TRxTimer*>(sender);
      freed = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return freed; }));
    PumpUntil([] { return false; }, 50);  // the worker ends and frees itself
  }
}

TEST(RxTimer, AnIntervalChangedMoreOftenThanItTicksStillTicks) {
  for (bool sync : {true, false}) {
    SCOPED_TRACE(sync ? "sync" : "worker");
    TRxTimer timer(nullptr);
    timer.SetSyncEvent(sync);
    timer.SetInterval(60);
    std::atomic<int> ticks{0};
    timer.SetOnTimer([&](TObject*) { ++ticks; });
    // Every 10 ms a new interval: each sleep under way ends with the length it began with.
    const DWORD start = ::GetTickCount();
    for (unsigned change = 0; ::GetTickCount() - start < 600; ++change) {
      timer.SetInterval(60 + change % 2);
      PumpUntil([] { return false; }, 10);
    }
    EXPECT_GE(ticks, 3);
  }
}

namespace {

// A call of the timer's Synchronize from a thread of its own.
struct TSynchronizeCall {
  TRxTimer* Timer;
  DWORD RanOn = 0;
};

DWORD WINAPI CallSynchronize(LPVOID parameter) {
  auto* call = static_cast<TSynchronizeCall*>(parameter);
  call->Timer->Synchronize([call] { call->RanOn = ::GetCurrentThreadId(); });
  return 0;
}

}  // namespace

TEST(RxTimer, SynchronizeFromAnotherThreadRunsThereWhileTheWorkerWaits) {
  TRxTimer timer(nullptr);
  timer.SetEnabled(false);  // the worker waits
  TSynchronizeCall call{&timer};
  HANDLE thread = ::CreateThread(nullptr, 0, CallSynchronize, &call, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  // The main thread waits for the caller without serving Synchronize calls.
  const bool ended = ::WaitForSingleObject(thread, 3000) == WAIT_OBJECT_0;
  EXPECT_TRUE(ended) << "the call waited for the main thread";
  if (!ended) PumpUntil([&] { return ::WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; });
  EXPECT_EQ(call.RanOn, ::GetThreadId(thread));
  ::CloseHandle(thread);
}
