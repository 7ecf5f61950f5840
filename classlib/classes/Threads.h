// Threads and the synchronisation objects they use.
//
// The main thread. Its id is recorded by InitMainThread(), which a static initializer of
// this unit calls while the program starts (static initialization runs on the main thread,
// before main). Calls that must run on the main thread are queued by Synchronize; the main
// thread runs them in CheckSynchronize, which a hidden message-only window calls when a
// worker posts it a message, and which TThread::WaitFor calls while the main thread waits.
// The window is created on the main thread the first time a TThread is constructed there
// (or CheckSynchronize or WaitFor runs there); until then only WaitFor and explicit calls of
// CheckSynchronize serve the queue.
//
// Starting a thread. C++ constructs a derived object after its TThread base, so a thread
// that ran Execute from the TThread constructor could see a half-built object. The OS
// thread is therefore created in the constructor but held at an internal start event; it
// calls Execute only after Start() (or Resume()) releases it. Construct with
// TThread::Create<T>(args...), which constructs the object and then, unless it was
// created suspended, starts it; or construct with new and call Start() yourself.
//
// Ending a thread. Destroying a TThread that still runs terminates it and waits for it.
// That wait happens in the TThread destructor, after the derived part is gone: a derived
// class whose Execute uses its own members calls StopAndWait() in its own destructor.
#pragma once
#include <atomic>
#include <exception>
#include <functional>
#include <utility>
#include "../system/Win.h"
#include "Events.h"
#include "Object.h"

// ---- Synchronisation objects --------------------------------------------------------

// Owns one kernel handle (thread, event) and closes it; moves but does not copy.
class TKernelHandle {
 public:
  TKernelHandle() = default;
  explicit TKernelHandle(HANDLE handle) : FHandle(handle) {}
  ~TKernelHandle() { Reset(); }
  TKernelHandle(TKernelHandle&& other) noexcept : FHandle(std::exchange(other.FHandle, nullptr)) {}
  TKernelHandle& operator=(TKernelHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      FHandle = std::exchange(other.FHandle, nullptr);
    }
    return *this;
  }

  HANDLE Get() const { return FHandle; }
  explicit operator bool() const { return FHandle != nullptr; }
  void Reset() {
    if (FHandle) CloseHandle(FHandle);
    FHandle = nullptr;
  }

 private:
  HANDLE FHandle = nullptr;  // null when empty
};

// A critical section: recursive within one thread, exclusive between threads.
class TCriticalSection : public TObject {
  CLASSLIB_CLASS(TCriticalSection, TObject)
  TCriticalSection();
  ~TCriticalSection() override;

  void Enter();
  void Leave();                 // only by the thread that entered
  bool TryEnter();              // true when entered without waiting

 private:
  CRITICAL_SECTION FSection;
};

// Holds a critical section entered for the lifetime of a scope.
class TCriticalSectionGuard {
 public:
  explicit TCriticalSectionGuard(TCriticalSection& section) : FSection(section) {
    FSection.Enter();
  }
  ~TCriticalSectionGuard() { FSection.Leave(); }
  TCriticalSectionGuard(const TCriticalSectionGuard&) = delete;
  TCriticalSectionGuard& operator=(const TCriticalSectionGuard&) = delete;

 private:
  TCriticalSection& FSection;  // entered by the constructor, left by the destructor
};

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

// An event object. A manual-reset event stays signalled until ResetEvent; an auto-reset
// event releases one waiter and resets itself.
class TEvent : public TObject {
  CLASSLIB_CLASS(TEvent, TObject)
  // A manual-reset event, not signalled, without a name.
  TEvent();
  // EOSError when the system cannot create it (or a named event of another kind exists).
  TEvent(bool manualReset, bool initialState, const String& name = String());
  ~TEvent() override;

  HANDLE GetHandle() const { return FHandle.Get(); }
  void SetEvent();
  void ResetEvent();
  // Waits at most timeout milliseconds (INFINITE for no limit).
  TWaitResult WaitFor(DWORD timeout = INFINITE);
  DWORD GetLastError() const { return FLastError; }  // the error behind the last wrError

 private:
  TKernelHandle FHandle;
  DWORD FLastError = 0;
};

// A manual-reset event, not signalled at first.
class TSimpleEvent : public TEvent {
  CLASSLIB_CLASS(TSimpleEvent, TEvent)
  TSimpleEvent() : TEvent(true, false) {}
};

// ---- The main thread --------------------------------------------------------------------

// Records the calling thread as the main thread. Called by this unit's static initializer.
void InitMainThread();
DWORD GetMainThreadID();

// Runs the calls queued by Synchronize; main thread only (EThread elsewhere). Returns
// whether any call ran. Exceptions of a call go back to the thread that queued it.
bool CheckSynchronize();

// ---- TThread ------------------------------------------------------------------------------

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThread : public TObject {
  CLASSLIB_CLASS(TThread, TObject)
  // ---- Construction ------------------------------------------------------------------
  // Creates the OS thread, held until Start(). EThread when the system cannot create it.
  explicit TThread(bool createSuspended);
  // Terminates and waits for a thread that still runs (see the top of this header).
  ~TThread() override;

  // Constructs a T and starts it unless it was created suspended.
  template <class T, class... Args> static T* Create(Args&&... args) {
    T* thread = new T(std::forward<Args>(args)...);
    thread->AfterConstruction();
    return thread;
  }
  // Starts the thread unless it was created suspended; Create calls it.
  void AfterConstruction();

  // ---- Operations ------------------------------------------------------------------------
  // Lets the thread run Execute. EThread when it was started already.
  void Start();
  // Starts the thread if it has not started; otherwise does nothing.
  void Resume();
  // Asks Execute to end: sets Terminated, which Execute checks.
  void Terminate() { FTerminated = true; }
  // Waits until the thread has ended and returns its exit code (ReturnValue). On the main
  // thread it runs Synchronize calls while it waits. EThread when the thread never started,
  // frees itself on termination, or is the calling thread.
  int WaitFor();
  // Runs method on the main thread: directly on the main thread; from any other thread it
  // queues the call, wakes the main thread and blocks until the call has run. An exception
  // raised by the call is raised again in the calling thread.
  static void Synchronize(const std::function<void()>& method);

  // ---- Attributes --------------------------------------------------------------------------
  bool GetTerminated() const { return FTerminated; }
  bool GetFinished() const { return FFinished; }    // Execute and OnTerminate are done
  int GetReturnValue() const { return FReturnValue; }
  bool GetFreeOnTerminate() const { return FFreeOnTerminate; }
  // When true the thread deletes its object after OnTerminate; nobody else may then
  // delete it or wait for it.
  void SetFreeOnTerminate(bool value) { FFreeOnTerminate = value; }
  TThreadPriority GetPriority() const;
  void SetPriority(TThreadPriority value);  // EThread when the system refuses
  HANDLE GetHandle() const { return FHandle.Get(); }
  DWORD GetThreadID() const { return FThreadID; }
  // The exception that escaped Execute, or null.
  std::exception_ptr GetFatalException() const { return FFatalException; }

  // Runs on the main thread after Execute returns, with this thread as the sender.
  TNotifyEvent OnTerminate;

 protected:
  // The thread's work. Checks GetTerminated() regularly and returns when it is set.
  virtual void Execute() = 0;
  // Calls OnTerminate through Synchronize.
  virtual void DoTerminate();
  void SetReturnValue(int value) { FReturnValue = value; }
  // Terminates the thread and waits until it has ended; safe when it never started or has
  // ended. For destructors of derived classes whose Execute uses their members.
  void StopAndWait() noexcept;

 private:
  static unsigned __stdcall ThreadProc(void* parameter);
  int Run();                    // the body of the OS thread; returns the exit code
  void WaitForHandle();         // waits for the OS thread, serving Synchronize on the main thread

  TKernelHandle FStartEvent;        // manual-reset; releases the OS thread into Execute
  TKernelHandle FHandle;            // the OS thread
  DWORD FThreadID = 0;
  bool FCreateSuspended;            // whether AfterConstruction leaves it waiting
  std::atomic<bool> FStarted{false};       // Start was called
  std::atomic<bool> FStartAborted{false};  // destroyed before Start: skip Execute
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
  std::atomic<bool> FFreeOnTerminate{false};
  std::atomic<int> FReturnValue{0};
  std::exception_ptr FFatalException;  // written by the thread before it finishes
};
