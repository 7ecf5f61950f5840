// The image-button library tests' main: Application is initialized once for all tests
// (controls live on forms, some tests run the message loop), and an exception that reaches a
// window procedure or the application without a test expecting it is a test failure rather
// than a message box that would wait for a click.
#include <gtest/gtest.h>

#include "tests/ApplicationTestSupport.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RunTestsInApplication();
}
