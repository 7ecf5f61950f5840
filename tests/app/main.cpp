// The application tests' main: Application is initialized once for all tests (the data
// module and the windows need it), the number format is fixed so that accuracy texts do
// not follow the machine's locale, and an exception that reaches the
// application without a test expecting it is a test failure rather than a message box that
// would wait for a click.
#include <gtest/gtest.h>

#include "classlib/system/SysLocale.h"
#include "tests/ApplicationTestSupport.h"

bool RunUpgradeChildIfAsked(int& result);  // test_upgrade.cpp

int main(int argc, char** argv) {
  int childResult = 0;
  if (RunUpgradeChildIfAsked(childResult)) return childResult;
  ::testing::InitGoogleTest(&argc, argv);
  FormatSettings = DefaultFormatSettings();
  return RunTestsInApplication();
}
