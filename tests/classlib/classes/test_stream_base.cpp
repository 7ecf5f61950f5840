#include <gtest/gtest.h>

#include "classlib/classes/Streams.h"

TEST(ClassInfo, NamesAndInheritance) {
  EXPECT_EQ(TStream::StaticClassInfo()->Parent, TObject::StaticClassInfo());
  EXPECT_TRUE(TStream::StaticClassInfo()->InheritsFrom(TObject::StaticClassInfo()));
  EXPECT_FALSE(TObject::StaticClassInfo()->InheritsFrom(TStream::StaticClassInfo()));
}
