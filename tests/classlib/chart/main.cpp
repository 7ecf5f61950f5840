// The chart tests' main: Application is initialized once for all tests, and an exception that
// reaches the application without a test expecting it is a test failure.
#include <gtest/gtest.h>

#include "tests/ApplicationTestSupport.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RunTestsInApplication();
}
