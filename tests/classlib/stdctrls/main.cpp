// The standard controls tests' main: Application is initialized once for all tests (buttons
// set their form's ModalResult, dialogs run modal loops), and an exception that reaches a
// window procedure or the application without a test expecting it is a test failure rather
// than a message box that would wait for a click. Tests that expect one install their own
// handler for the time they need it.
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
