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

using TThreadPtr = std::unique_ptr<TFunctionThread>;

// A thread started at once on work.
TThreadPtr Started(std::function<void(TFunctionThread&)> work) {
  return TThreadPtr(TThread::Create<TFunctionThread>(false, std::move(work)));
}

std::atomic<int> gDestroyed{0};

class TCountedThread : public TThread {
 public:
  TCountedThread() : TThread(true) {}
  ~TCountedThread() override { ++gDestroyed; }

 protected:
  void Execute() override { SetReturnValue(7); }
};

}  // namespace

TEST(Threads, SuspendedThreadWaitsForStart) {
  std::atomic<bool> ran{false};
  TThreadPtr thread(TThread::Create<TFunctionThread>(true, [&](TFunctionThread&) { ran = true; }));
  Sleep(50);
  EXPECT_FALSE(ran);
  EXPECT_THROW(thread->WaitFor(), EThread);  // never started: would wait forever
  thread->Start();
  EXPECT_THROW(thread->Start(), EThread);
  EXPECT_TRUE(PumpUntil([&] { return thread->GetFinished(); }));
  EXPECT_TRUE(ran);
}

TEST(Threads, UnstartedOrTerminatedThreadSkipsExecute) {
  std::atomic<bool> ran{false};
  delete new TFunctionThread(false, [&](TFunctionThread&) { ran = true; });  // never started
  EXPECT_FALSE(ran);

  // OnTerminate still runs, on the main thread.
  DWORD terminateId = 0;
  TObject* sender = nullptr;
  TThreadPtr thread(new TFunctionThread(true, [&](TFunctionThread&) { ran = true; }));
  thread->OnTerminate = [&](TObject* s) {
    terminateId = GetCurrentThreadId();
    sender = s;
  };
  thread->Terminate();
  thread->Start();
  thread->WaitFor();
  EXPECT_FALSE(ran);
  EXPECT_EQ(terminateId, GetCurrentThreadId());
  EXPECT_EQ(sender, thread.get());
}

TEST(Threads, WaitForGivesTheReturnValueAndKeepsAnEscapedException) {
  TThreadPtr thread = Started([](TFunctionThread& self) { self.SetReturnValue(42); });
  EXPECT_TRUE(PumpUntil([&] { return thread->GetFinished(); }));
  EXPECT_EQ(thread->WaitFor(), 42);
  EXPECT_EQ(thread->GetFatalException(), nullptr);

  thread = Started([](TFunctionThread&) { throw EListError(L"escaped"); });
  thread->WaitFor();
  ASSERT_NE(thread->GetFatalException(), nullptr);
  try {
    std::rethrow_exception(thread->GetFatalException());
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), L"escaped");
  }
}

TEST(Threads, SynchronizeRunsOnMainThreadWhileWaitFor) {
  const DWORD mainId = GetCurrentThreadId();
  EXPECT_EQ(GetMainThreadID(), mainId);
  EXPECT_FALSE(CheckSynchronize());  // nothing queued
  DWORD syncId = 0, workerId = 0;
  TThreadPtr thread = Started([&](TFunctionThread&) {
    workerId = GetCurrentThreadId();
    for (int i = 0; i < 3; ++i) TThread::Synchronize([&] { syncId = GetCurrentThreadId(); });
  });
  EXPECT_EQ(thread->WaitFor(), 0);  // WaitFor serves the queued calls; no deadlock
  EXPECT_EQ(syncId, mainId);
  EXPECT_NE(workerId, mainId);
  EXPECT_EQ(workerId, thread->GetThreadID());
}

TEST(Threads, SynchronizeWakesMessageLoop) {
  std::atomic<bool> done{false};
  DWORD syncId = 0;
  TThreadPtr thread = Started([&](TFunctionThread&) {
    TThread::Synchronize([&] { syncId = GetCurrentThreadId(); });
    done = true;
  });
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

TEST(Threads, WorkerSideErrorsOfSynchronize) {
  String caught;
  bool caughtOnWorker = false, raised = false;
  Started([&](TFunctionThread&) {
    try {
      TThread::Synchronize([] { throw EConvertError(L"bad value"); });
    } catch (const EConvertError& e) {
      caught = e.Message();
      caughtOnWorker = GetCurrentThreadId() != GetMainThreadID();
    }
    try {
      CheckSynchronize();  // only the main thread may serve the queue
    } catch (const EThread&) {
      raised = true;
    }
  })->WaitFor();
  EXPECT_EQ(caught, L"bad value");
  EXPECT_TRUE(caughtOnWorker);
  EXPECT_TRUE(raised);
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
  std::atomic<bool> sawTerminate{false}, running{false};
  auto* thread = TThread::Create<TFunctionThread>(false, [&](TFunctionThread& self) {
    running = true;
    for (int i = 0; i < 5000 && !self.GetTerminated(); ++i) Sleep(1);
    sawTerminate = self.GetTerminated();
  });
  EXPECT_TRUE(PumpUntil([&] { return running.load(); }));
  delete thread;
  EXPECT_TRUE(sawTerminate);
}
