// The forms tests' main: Application is initialized once for all tests, and an exception
// that reaches Application->HandleException without a test expecting it is a failure (not
// a message box that would wait for a click). Run with the environment variable
// FORMS_TEST_SCENARIO set, the executable plays that scenario instead of the tests and
// exits with its result (for tests that must end the application's loops for good).
#include <gtest/gtest.h>

#include "classlib/forms/Forms.h"
#include "tests/ApplicationTestSupport.h"

int RunFormsScenario(const String& name);  // test_application.cpp

int main(int argc, char** argv) {
  Application->Initialize();
  wchar_t scenario[64] = {};
  if (::GetEnvironmentVariableW(L"FORMS_TEST_SCENARIO", scenario, 64) > 0) {
    const int result = RunFormsScenario(scenario);
    DoneApplication();
    return result;
  }
  ::testing::InitGoogleTest(&argc, argv);
  FailTestsOnApplicationExceptions();
  const int result = RUN_ALL_TESTS();
  DoneApplication();
  return result;
}
