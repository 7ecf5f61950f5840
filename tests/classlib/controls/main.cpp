// The controls tests' main: an exception that reaches a window procedure unexpected is a
// test failure (rather than a message box that would wait for a click). Tests that expect
// one install their own handler for the time they need it.
#include <gtest/gtest.h>

#include "classlib/controls/Controls.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ControlHooks().HandleException = [](TObject* sender) {
    String text = L"unknown exception";
    try {
      throw;
    } catch (const Exception& e) {
      text = e.Message();
    } catch (const std::exception& e) {
      text = Utf8ToString(e.what());
    } catch (...) {
    }
    ADD_FAILURE() << "exception reached a window procedure: " << StringToUtf8(text)
                  << (sender ? " (sender " + StringToUtf8(sender->ClassName()) + ")" : "");
  };
  return RUN_ALL_TESTS();
}
