// The data-access tests' main: Application is initialized once for all tests (the data-aware
// controls are tested as real windows), and an exception that reaches a window procedure or
// the application without a test expecting it is a test failure rather than a message box
// that would wait for a click.
#include <gtest/gtest.h>

#include "classlib/controls/Controls.h"
#include "classlib/forms/Forms.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  Application->Initialize();
  Application->SetOnException([](TObject* sender, Exception& e) {
    ADD_FAILURE() << "exception reached the application: " << StringToUtf8(e.Message())
                  << (sender ? " (sender " + StringToUtf8(sender->ClassName()) + ")" : "");
  });
  const int result = RUN_ALL_TESTS();
  DoneApplication();
  return result;
}
