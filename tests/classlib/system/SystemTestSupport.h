// Test support for the system units: a fixture that runs each test with the fixed English
// (United States) format settings and gives the machine's back afterwards, and the message
// of a failed conversion.
#pragma once
#include <gtest/gtest.h>

#include "classlib/system/SysExceptions.h"
#include "classlib/system/SysLocale.h"
#include "tests/ErrorMessages.h"

namespace system_tests {

class DefaultSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FSaved = FormatSettings;
    FormatSettings = DefaultFormatSettings();
  }
  void TearDown() override { FormatSettings = FSaved; }

 private:
  TFormatSettings FSaved;
};

// The message an EConvertError carries, or "" when none was raised.
template <class F>
String ConvertErrorOf(F&& action) {
  return ErrorMessageOf<EConvertError>(action, String());
}

}  // namespace system_tests
