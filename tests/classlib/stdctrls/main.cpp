// The standard controls tests' main: Application is initialized once for all tests (buttons
// set their form's ModalResult, dialogs run modal loops), and an exception that reaches a
// window procedure or the application without a test expecting it is a test failure rather
// than a message box that would wait for a click. Tests that expect one install their own
// handler for the time they need it.
#include <gtest/gtest.h>

#include "tests/ApplicationTestSupport.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RunTestsInApplication();
}
