// The test runner of the data-access tests. Run with --child-transaction <database> <signal>
// it is instead the child process of the crash test: it starts a large transaction, tells
// the parent (by creating the signal file) and waits to be killed.
#include <gtest/gtest.h>
#include "ChildProcess.h"

int main(int argc, char** argv) {
  int childResult = 0;
  if (RunChildModeIfAsked(childResult)) return childResult;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
