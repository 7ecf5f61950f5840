// The application tests' main: Application is initialized once for all tests (the data
// module and the windows need it), the number format is fixed so that accuracy texts do
// not follow the machine's locale, and an exception that reaches the application without a
// test expecting it is a test failure rather than a message box that would wait for a click.
#include <gtest/gtest.h>

#include "classlib/system/SysLocale.h"
#include "tests/ApplicationTestSupport.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  FormatSettings = DefaultFormatSettings();
  return RunTestsInApplication();
}
