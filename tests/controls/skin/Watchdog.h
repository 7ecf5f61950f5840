// A watchdog for tests that run untrusted input in a loop: a hang ends the test program with
// a message instead of leaving the run stuck.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace skin_tests {

// Ends the test program when it is not disarmed (destroyed) within the given time: a hang
// is a failure, not a stuck run.
class Watchdog {
 public:
  explicit Watchdog(int seconds)
      : FThread([this, seconds] {
          std::unique_lock<std::mutex> lock(FMutex);
          if (!FDone.wait_for(lock, std::chrono::seconds(seconds), [this] { return FStop; })) {
            std::fprintf(stderr, "watchdog: no end after %d s\n", seconds);
            std::fflush(stderr);
            std::_Exit(3);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(FMutex);
      FStop = true;
    }
    FDone.notify_all();
    FThread.join();
  }

 private:
  std::mutex FMutex;
  std::condition_variable FDone;
  bool FStop = false;
  std::thread FThread;
};

}  // namespace skin_tests
