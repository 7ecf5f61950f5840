// The menu player tests' main: Application is initialized once for all tests, and an
// exception that reaches it without a test expecting it fails the running test.
#include <gtest/gtest.h>

#include "tests/ApplicationTestSupport.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RunTestsInApplication();
}
