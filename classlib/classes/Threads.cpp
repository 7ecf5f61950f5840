#include "Threads.h"

#include <process.h>
#include <deque>

// ---- TCriticalSection ------------------------------------------------------------------

TCriticalSection::TCriticalSection() { InitializeCriticalSection(&FSection); }
TCriticalSection::~TCriticalSection() { DeleteCriticalSection(&FSection); }
void TCriticalSection::Enter() { EnterCriticalSection(&FSection); }
void TCriticalSection::Leave() { LeaveCriticalSection(&FSection); }
bool TCriticalSection::TryEnter() { return TryEnterCriticalSection(&FSection) != FALSE; }

// ---- TEvent ----------------------------------------------------------------------------

TEvent::TEvent() : TEvent(true, false) {}

TEvent::TEvent(bool manualReset, bool initialState, const String& name)
    : FHandle(CreateEventW(nullptr, manualReset, initialState,
                           name.empty() ? nullptr : name.c_str())) {
  if (!FHandle) RaiseLastOSError();
}

TEvent::~TEvent() = default;

void TEvent::SetEvent() { ::SetEvent(FHandle.Get()); }
void TEvent::ResetEvent() { ::ResetEvent(FHandle.Get()); }

TWaitResult TEvent::WaitFor(DWORD timeout) {
  switch (WaitForSingleObject(FHandle.Get(), timeout)) {
    case WAIT_OBJECT_0: return wrSignaled;
    case WAIT_TIMEOUT: return wrTimeout;
    case WAIT_ABANDONED: return wrAbandoned;
    default:
      FLastError = ::GetLastError();
      return wrError;
  }
}

// ---- The main thread and the Synchronize queue --------------------------------------------

namespace {

std::atomic<DWORD> gMainThreadID{0};

// Records the main thread while the program starts.
struct TMainThreadRecorder {
  TMainThreadRecorder() { InitMainThread(); }
} gMainThreadRecorder;

bool OnMainThread() { return GetCurrentThreadId() == gMainThreadID; }

// One call waiting to run on the main thread. It lives on the stack of the thread that
// queued it, which waits on Done; the main thread touches it last when it sets Done.
struct TSyncRequest {
  const std::function<void()>* Method;  // the call; owned by the waiting thread
  std::exception_ptr Error;             // what the call raised, for the waiting thread
  TSimpleEvent Done;                    // set when the call has run
};

constexpr UINT WM_SYNCHRONIZE = WM_APP + 0x0F00;
constexpr wchar_t kSyncWindowClass[] = L"TThreadSynchronizeWindow";

// The queue of Synchronize calls. It is never destroyed: workers may still queue calls
// while the program's static objects are being destroyed.
struct TSyncQueue {
  TCriticalSection Lock;                    // guards Requests
  std::deque<TSyncRequest*> Requests;       // in the order they were queued
  TEvent Signal{false, false};              // auto-reset; set when a request is queued
  std::atomic<HWND> Window{nullptr};        // the hidden window, once created
  std::atomic<bool> MessagePending{false};  // a wake-up message is in the window's queue
};

TSyncQueue& SyncQueue() {
  static TSyncQueue* queue = new TSyncQueue;
  return *queue;
}

LRESULT CALLBACK SyncWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYNCHRONIZE) {
    SyncQueue().MessagePending = false;
    try {
      CheckSynchronize();
    } catch (...) {
      // The calls' own exceptions went back to their threads; nothing else may leave here.
    }
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Owns the hidden window; destroys it when the program's static objects are destroyed.
class TSyncWindow {
 public:
  TSyncWindow() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = SyncWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kSyncWindowClass;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return;
    FHandle = CreateWindowExW(0, kSyncWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              instance, nullptr);
    SyncQueue().Window = FHandle;
  }
  ~TSyncWindow() {
    SyncQueue().Window = nullptr;
    // A window can only be destroyed by its own thread.
    if (FHandle && OnMainThread()) DestroyWindow(FHandle);
  }
  TSyncWindow(const TSyncWindow&) = delete;
  TSyncWindow& operator=(const TSyncWindow&) = delete;

 private:
  HWND FHandle = nullptr;  // null when the system refused to create it
};

// Creates the hidden window the first time; main thread only.
void EnsureSyncWindow() {
  if (OnMainThread()) {
    static TSyncWindow window;
  }
}

// Tells the main thread that a call is queued: the event wakes WaitFor, the message wakes
// a message loop.
void WakeMainThread() {
  TSyncQueue& queue = SyncQueue();
  queue.Signal.SetEvent();
  HWND window = queue.Window;
  if (window && !queue.MessagePending.exchange(true) &&
      !PostMessageW(window, WM_SYNCHRONIZE, 0, 0))
    queue.MessagePending = false;
}

}  // namespace

void InitMainThread() { gMainThreadID = GetCurrentThreadId(); }

DWORD GetMainThreadID() { return gMainThreadID; }

bool CheckSynchronize() {
  if (!OnMainThread())
    throw EThread(L"CheckSynchronize called from thread $%x, which is NOT the main thread",
                  {static_cast<unsigned>(GetCurrentThreadId())});
  TSyncQueue& queue = SyncQueue();
  // Only the calls queued so far: a call that queues more cannot keep this loop going.
  std::deque<TSyncRequest*> batch;
  {
    TCriticalSectionGuard guard(queue.Lock);
    batch.swap(queue.Requests);
  }
  for (TSyncRequest* request : batch) {
    try {
      (*request->Method)();
    } catch (...) {
      request->Error = std::current_exception();
    }
    request->Done.SetEvent();
  }
  return !batch.empty();
}

// ---- TThread --------------------------------------------------------------------------------

namespace {

[[noreturn]] void RaiseThreadError(DWORD error) {
  throw EThread(L"Thread Error: %s (%d)", {SysErrorMessage(error), static_cast<int>(error)});
}

const int kPriorities[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,
                           THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                           THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                           THREAD_PRIORITY_TIME_CRITICAL};

}  // namespace

TThread::TThread(bool createSuspended) : FCreateSuspended(createSuspended) {
  EnsureSyncWindow();
  FStartEvent = TKernelHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!FStartEvent)
    throw EThread(L"Thread creation error: %s", {SysErrorMessage(GetLastError())});
  unsigned id = 0;
  const uintptr_t handle = _beginthreadex(nullptr, 0, &ThreadProc, this, 0, &id);
  if (!handle)
    throw EThread(L"Thread creation error: %s", {SysErrorMessage(GetLastError())});
  FHandle = TKernelHandle(reinterpret_cast<HANDLE>(handle));
  FThreadID = id;
}

TThread::~TThread() { StopAndWait(); }

void TThread::AfterConstruction() {
  if (!FCreateSuspended) Start();
}

void TThread::Start() {
  if (FStarted.exchange(true))
    throw EThread(L"Cannot call Start on a running or suspended thread");
  SetEvent(FStartEvent.Get());
}

void TThread::Resume() {
  if (!FStarted.exchange(true)) SetEvent(FStartEvent.Get());
}

void TThread::StopAndWait() noexcept {
  // The thread that frees itself is inside its own thread procedure: nothing to wait for.
  if (!FHandle || GetCurrentThreadId() == FThreadID) return;
  FTerminated = true;
  if (!FStarted.exchange(true)) {
    FStartAborted = true;
    SetEvent(FStartEvent.Get());
  }
  try {
    WaitForHandle();
  } catch (...) {
    // Only a failed wait raises; the thread's handle is closed regardless.
  }
}

int TThread::WaitFor() {
  if (GetCurrentThreadId() == FThreadID) throw EThread(L"A thread cannot wait for itself");
  if (!FStarted) throw EThread(L"Cannot wait for a thread that has not been started");
  if (FFreeOnTerminate)
    throw EThread(L"Cannot wait for a thread that frees itself on termination");
  WaitForHandle();
  DWORD code = 0;
  if (!GetExitCodeThread(FHandle.Get(), &code)) RaiseThreadError(GetLastError());
  return static_cast<int>(code);
}

void TThread::WaitForHandle() {
  if (!OnMainThread()) {
    if (WaitForSingleObject(FHandle.Get(), INFINITE) == WAIT_FAILED)
      RaiseThreadError(GetLastError());
    return;
  }
  // The thread may need the main thread (Synchronize, OnTerminate) before it can end, so
  // the main thread serves those calls and the messages sent to it while it waits. The
  // time-out is a safety net should a wake-up be missed.
  HANDLE handles[2] = {FHandle.Get(), SyncQueue().Signal.GetHandle()};
  for (;;) {
    CheckSynchronize();
    const DWORD result = MsgWaitForMultipleObjects(2, handles, FALSE, 100, QS_SENDMESSAGE);
    if (result == WAIT_OBJECT_0) return;
    if (result == WAIT_OBJECT_0 + 2) {
      MSG message;
      PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // delivers the sent messages
    } else if (result == WAIT_FAILED) {
      RaiseThreadError(GetLastError());
    }
  }
}

void TThread::Synchronize(const std::function<void()>& method) {
  if (!method) return;
  if (OnMainThread()) {
    method();
    return;
  }
  TSyncRequest request{&method, nullptr, {}};
  TSyncQueue& queue = SyncQueue();
  {
    TCriticalSectionGuard guard(queue.Lock);
    queue.Requests.push_back(&request);
  }
  WakeMainThread();
  // Once queued, the request must stay alive until the main thread has run it; a wait
  // on a valid event does not fail, and returning early would leave it dangling.
  while (request.Done.WaitFor(INFINITE) != wrSignaled) Sleep(1);
  if (request.Error) std::rethrow_exception(request.Error);
}

void TThread::DoTerminate() {
  if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

TThreadPriority TThread::GetPriority() const {
  const int value = GetThreadPriority(FHandle.Get());
  for (int i = tpIdle; i <= tpTimeCritical; ++i)
    if (kPriorities[i] == value) return static_cast<TThreadPriority>(i);
  return tpNormal;
}

void TThread::SetPriority(TThreadPriority value) {
  if (value < tpIdle || value > tpTimeCritical) throw EThread(L"Invalid thread priority");
  if (!SetThreadPriority(FHandle.Get(), kPriorities[value])) RaiseThreadError(GetLastError());
}

unsigned __stdcall TThread::ThreadProc(void* parameter) {
  TThread* thread = static_cast<TThread*>(parameter);
  WaitForSingleObject(thread->FStartEvent.Get(), INFINITE);
  // Destroyed before it was started: the object is half gone; touch nothing more.
  if (thread->FStartAborted) return 0;
  return static_cast<unsigned>(thread->Run());
}

int TThread::Run() {
  try {
    if (!FTerminated) Execute();
  } catch (...) {
    FFatalException = std::current_exception();
  }
  try {
    DoTerminate();
  } catch (...) {
    if (!FFatalException) FFatalException = std::current_exception();
  }
  const bool freeThread = FFreeOnTerminate;
  const int result = FReturnValue;
  // From here on the owner may delete this object: read nothing more from it.
  FFinished = true;
  if (freeThread) delete this;
  return result;
}
