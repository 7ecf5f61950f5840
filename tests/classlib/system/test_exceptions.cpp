#include <gtest/gtest.h>

#include "classlib/system/SysExceptions.h"

TEST(Exceptions, CarryTheirMessageAndClassName) {
  try {
    throw EConvertError(L"'%s' is not a valid integer value", {String(L"abc")});
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), L"'abc' is not a valid integer value");
    EXPECT_STREQ(e.ClassName(), L"EConvertError");
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
  EXPECT_THROW(Abort(), EAbort);
}

TEST(Exceptions, NonAsciiMessageConvertsToUtf8) {
  Exception e(L"无法连接数据库！");
  EXPECT_STREQ(e.what(), "无法连接数据库！");
}
