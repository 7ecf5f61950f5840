#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>

#include "classlib/classes/Threads.h"

namespace {

// Serves Synchronize calls on the main thread until done() holds or the time runs out, so
// that a failing test ends instead of hanging.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    CheckSynchronize();
    Sleep(1);
  }
  return true;
}

// A thread whose work is a function given by the test.
class TFunctionThread : public TThread {
 public:
  TFunctionThread(bool createSuspended, std::function<void(TFunctionThread&)> work)
      : TThread(createSuspended), FWork(std::move(work)) {}
  ~TFunctionThread() override { StopAndWait(); }  // FWork must outlive Execute
  using TThread::SetReturnValue;

 protected:
  void Execute() override { FWork(*this); }

 private:
  std::function<void(TFunctionThread&)> FWork;
};

std::atomic<int> gDestroyed{0};

class TCountedThread : public TThread {
 public:
  TCountedThread() : TThread(true) {}
  ~TCountedThread() override { ++gDestroyed; }

 protected:
  void Execute() override { SetReturnValue(7); }
};

}  // namespace

TEST(Threads, MainThreadIsRecordedAtStartUp) {
  EXPECT_EQ(GetMainThreadID(), GetCurrentThreadId());
  EXPECT_FALSE(CheckSynchronize());  // nothing queued
}

TEST(Threads, SuspendedThreadWaitsForStart) {
  std::atomic<bool> ran{false};
  std::unique_ptr<TFunctionThread> thread(
      TThread::Create<TFunctionThread>(true, [&](TFunctionThread&) { ran = true; }));
  Sleep(50);
  EXPECT_FALSE(ran);
  EXPECT_THROW(thread->WaitFor(), EThread);  // never started: would wait forever
  thread->Start();
  EXPECT_THROW(thread->Start(), EThread);
  EXPECT_TRUE(PumpUntil([&] { return thread->GetFinished(); }));
  EXPECT_TRUE(ran);
}

TEST(Threads, DestroyingUnstartedThreadSkipsExecute) {
  std::atomic<bool> ran{false};
  auto* thread = new TFunctionThread(false, [&](TFunctionThread&) { ran = true; });
  delete thread;  // constructed with new and never started
  EXPECT_FALSE(ran);
}

TEST(Threads, WaitForReturnsReturnValue) {
  std::unique_ptr<TFunctionThread> thread(TThread::Create<TFunctionThread>(
      false, [](TFunctionThread& self) { self.SetReturnValue(42); }));
  EXPECT_TRUE(PumpUntil([&] { return thread->GetFinished(); }));
  EXPECT_EQ(thread->WaitFor(), 42);
  EXPECT_EQ(thread->GetReturnValue(), 42);
  EXPECT_EQ(thread->GetFatalException(), nullptr);
}

TEST(Threads, SynchronizeRunsOnMainThreadWhileWaitFor) {
  const DWORD mainId = GetCurrentThreadId();
  DWORD syncId = 0;
  DWORD workerId = 0;
  std::unique_ptr<TFunctionThread> thread(
      TThread::Create<TFunctionThread>(false, [&](TFunctionThread&) {
        workerId = GetCurrentThreadId();
        for (int i = 0; i < 3; ++i) TThread::Synchronize([&] { syncId = GetCurrentThreadId(); });
      }));
  EXPECT_EQ(thread->WaitFor(), 0);  // WaitFor serves the queued calls; no deadlock
  EXPECT_EQ(syncId, mainId);
  EXPECT_NE(workerId, mainId);
  EXPECT_EQ(workerId, thread->GetThreadID());
}

TEST(Threads, SynchronizeWakesMessageLoop) {
  std::atomic<bool> done{false};
  DWORD syncId = 0;
  std::unique_ptr<TFunctionThread> thread(
      TThread::Create<TFunctionThread>(false, [&](TFunctionThread&) {
        TThread::Synchronize([&] { syncId = GetCurrentThreadId(); });
        done = true;
      }));
  // A plain message loop, as the application runs: the posted wake-up runs the call.
  const DWORD start = GetTickCount();
  while (!done && GetTickCount() - start < 5000) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  EXPECT_TRUE(done);
  EXPECT_EQ(syncId, GetCurrentThreadId());
}

TEST(Threads, ExceptionInSynchronizeIsRaisedInWorker) {
  String caught;
  bool caughtOnWorker = false;
  std::unique_ptr<TFunctionThread> thread(
      TThread::Create<TFunctionThread>(false, [&](TFunctionThread&) {
        try {
          TThread::Synchronize([] { throw EConvertError(L"bad value"); });
        } catch (const EConvertError& e) {
          caught = e.Message();
          caughtOnWorker = GetCurrentThreadId() != GetMainThreadID();
        }
      }));
  thread->WaitFor();
  EXPECT_EQ(caught, L"bad value");
  EXPECT_TRUE(caughtOnWorker);
}

TEST(Threads, ExceptionEscapingExecuteIsKept) {
  std::unique_ptr<TFunctionThread> thread(TThread::Create<TFunctionThread>(
      false, [](TFunctionThread&) { throw EListError(L"escaped"); }));
  thread->WaitFor();
  ASSERT_NE(thread->GetFatalException(), nullptr);
  try {
    std::rethrow_exception(thread->GetFatalException());
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), L"escaped");
  }
}

TEST(Threads, OnTerminateRunsOnMainThread) {
  DWORD terminateId = 0;
  TObject* sender = nullptr;
  std::unique_ptr<TFunctionThread> thread(new TFunctionThread(false, [](TFunctionThread&) {}));
  thread->OnTerminate = [&](TObject* s) {
    terminateId = GetCurrentThreadId();
    sender = s;
  };
  thread->Start();
  thread->WaitFor();
  EXPECT_EQ(terminateId, GetCurrentThreadId());
  EXPECT_EQ(sender, thread.get());
  EXPECT_TRUE(thread->GetFinished());
}

TEST(Threads, FreeOnTerminateFreesTheObject) {
  gDestroyed = 0;
  std::atomic<bool> terminated{false};
  auto* thread = TThread::Create<TCountedThread>();
  thread->SetFreeOnTerminate(true);
  thread->OnTerminate = [&](TObject*) { terminated = true; };
  EXPECT_THROW(thread->WaitFor(), EThread);  // it may be gone by the time the wait ends
  thread->Start();
  EXPECT_TRUE(PumpUntil([&] { return gDestroyed == 1; }));
  EXPECT_TRUE(terminated);
}

TEST(Threads, DestroyingRunningThreadTerminatesAndWaits) {
  std::atomic<bool> sawTerminate{false};
  std::atomic<bool> running{false};
  auto* thread = TThread::Create<TFunctionThread>(false, [&](TFunctionThread& self) {
    running = true;
    for (int i = 0; i < 5000 && !self.GetTerminated(); ++i) Sleep(1);
    sawTerminate = self.GetTerminated();
  });
  EXPECT_TRUE(PumpUntil([&] { return running.load(); }));
  delete thread;
  EXPECT_TRUE(sawTerminate);
}

TEST(Threads, TerminatedBeforeStartSkipsExecute) {
  std::atomic<bool> ran{false};
  bool terminateRan = false;
  std::unique_ptr<TFunctionThread> thread(
      new TFunctionThread(true, [&](TFunctionThread&) { ran = true; }));
  thread->OnTerminate = [&](TObject*) { terminateRan = true; };
  thread->Terminate();
  thread->Start();
  thread->WaitFor();
  EXPECT_FALSE(ran);
  EXPECT_TRUE(terminateRan);
}

TEST(Threads, Priority) {
  std::unique_ptr<TFunctionThread> thread(new TFunctionThread(true, [](TFunctionThread&) {}));
  EXPECT_EQ(thread->GetPriority(), tpNormal);
  thread->SetPriority(tpLower);
  EXPECT_EQ(thread->GetPriority(), tpLower);
  EXPECT_EQ(GetThreadPriority(thread->GetHandle()), THREAD_PRIORITY_BELOW_NORMAL);
}

TEST(Threads, CheckSynchronizeOnlyOnMainThread) {
  bool raised = false;
  std::unique_ptr<TFunctionThread> thread(
      TThread::Create<TFunctionThread>(false, [&](TFunctionThread&) {
        try {
          CheckSynchronize();
        } catch (const EThread&) {
          raised = true;
        }
      }));
  thread->WaitFor();
  EXPECT_TRUE(raised);
}

// ---- Synchronisation objects --------------------------------------------------------------

TEST(Events, TimeoutsAndResetModes) {
  TEvent manual(true, false);
  const DWORD start = GetTickCount();
  EXPECT_EQ(manual.WaitFor(50), wrTimeout);
  EXPECT_GE(GetTickCount() - start, 40u);
  manual.SetEvent();
  EXPECT_EQ(manual.WaitFor(0), wrSignaled);
  EXPECT_EQ(manual.WaitFor(0), wrSignaled);  // stays signalled
  manual.ResetEvent();
  EXPECT_EQ(manual.WaitFor(0), wrTimeout);

  TEvent automatic(false, true);
  EXPECT_EQ(automatic.WaitFor(0), wrSignaled);
  EXPECT_EQ(automatic.WaitFor(0), wrTimeout);  // reset by the first wait

  TSimpleEvent simple;
  EXPECT_EQ(simple.WaitFor(0), wrTimeout);
}

TEST(CriticalSections, ExcludeOtherThreads) {
  TCriticalSection section;
  std::atomic<int> tryResult{-1};
  {
    TCriticalSectionGuard guard(section);
    EXPECT_TRUE(section.TryEnter());  // recursive in the same thread
    section.Leave();
    std::unique_ptr<TFunctionThread> thread(TThread::Create<TFunctionThread>(
        false, [&](TFunctionThread&) { tryResult = section.TryEnter() ? 1 : 0; }));
    thread->WaitFor();
    EXPECT_EQ(tryResult, 0);
  }
  std::unique_ptr<TFunctionThread> thread(TThread::Create<TFunctionThread>(
      false, [&](TFunctionThread&) {
        tryResult = section.TryEnter() ? 1 : 0;
        if (tryResult == 1) section.Leave();
      }));
  thread->WaitFor();
  EXPECT_EQ(tryResult, 1);
}
