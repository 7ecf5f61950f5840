// Test support for the test programs whose tests run on Application: the application's
// message loop run until something happened, and for main, an exception that reaches the
// application without a test expecting it made a test failure rather than a message box
// that would wait for a click.
#pragma once
#include <gtest/gtest.h>

#include <functional>

#include "classlib/forms/Forms.h"

// Handles messages through the application until done() or timeoutMs passed, resting
// pauseMs between rounds; false on the timeout.
inline bool PumpApplicationUntil(const std::function<bool()>& done, DWORD timeoutMs,
                                 DWORD pauseMs) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    Application->ProcessMessages();
    ::Sleep(pauseMs);
  }
  return true;
}

// Makes every exception that reaches the application from now on a failure of the test
// that runs.
inline void FailTestsOnApplicationExceptions() {
  Application->SetOnException([](TObject* sender, Exception& e) {
    ADD_FAILURE() << "exception reached the application: " << StringToUtf8(e.Message())
                  << (sender ? " (sender " + StringToUtf8(sender->ClassName()) + ")" : "");
  });
}

// Runs every test with Application initialized once for all of them, then frees it; what
// main returns.
inline int RunTestsInApplication() {
  Application->Initialize();
  FailTestsOnApplicationExceptions();
  const int result = RUN_ALL_TESTS();
  DoneApplication();
  return result;
}
