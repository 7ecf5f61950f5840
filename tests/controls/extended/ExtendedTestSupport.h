// Test support for the extended controls: locale settings set for one test and put back,
// and the application's messages pumped until something happened.
#pragma once
#include <gtest/gtest.h>

#include "classlib/system/SysLocale.h"
#include "controls/extended/DateUtil.h"

namespace extended_tests {

// Sets FormatSettings to the fixed English (United States) settings for the test's
// lifetime, then puts the machine's back.
class FixedLocale {
 public:
  FixedLocale() : FSaved(FormatSettings) {
    FormatSettings = DefaultFormatSettings();
    ReadDateSettings();
  }
  ~FixedLocale() {
    FormatSettings = FSaved;
    ReadDateSettings();
  }
  FixedLocale(const FixedLocale&) = delete;
  FixedLocale& operator=(const FixedLocale&) = delete;

 private:
  TFormatSettings FSaved;
};

}  // namespace extended_tests
