#include <gtest/gtest.h>

#include "classlib/system/SysDate.h"
#include "classlib/system/Variant.h"
#include "SystemTestSupport.h"

namespace {

class VariantTest : public system_tests::DefaultSettingsTest {};

std::string CastMessage(const std::function<void()>& action) {
  try {
    action();
  } catch (const EVariantTypeCastError& e) {
    return e.what();
  }
  return "no error";
}

TEST_F(VariantTest, NullDoesNotConvertButEmptyReadsAsZero) {
  EXPECT_EQ(CastMessage([] { Variant::Null().AsInteger(); }),
            "Could not convert variant of type (Null) into type (Integer)");
  EXPECT_EQ(CastMessage([] { Variant::Null().AsString(); }),
            "Could not convert variant of type (Null) into type (String)");
  EXPECT_EQ(Variant().AsInteger(), 0);
  EXPECT_EQ(Variant().AsString(), L"");
  EXPECT_FALSE(Variant().AsBoolean());
  EXPECT_EQ(VarToStr(Variant::Null()), L"");
  EXPECT_EQ(VarToStrDef(Variant::Null(), L"-"), L"-");
}

TEST_F(VariantTest, NumbersAndText) {
  EXPECT_EQ(Variant(L"42").AsInteger(), 42);
  EXPECT_EQ(Variant(L" -7").AsInt64(), -7);
  EXPECT_EQ(Variant(L"2.5").AsInteger(), 2);   // halves round to even
  EXPECT_EQ(Variant(3.5).AsInteger(), 4);
  EXPECT_DOUBLE_EQ(Variant(L"1.25").AsDouble(), 1.25);
  EXPECT_EQ(Variant(0.5).AsString(), L"0.5");
  EXPECT_EQ(CastMessage([] { Variant(L"abc").AsInteger(); }),
            "Could not convert variant of type (String) into type (Integer)");
  EXPECT_EQ(CastMessage([] { Variant(5000000000LL).AsInteger(); }),
            "Could not convert variant of type (Int64) into type (Integer)");
  EXPECT_EQ(CastMessage([] { Variant(TBytes{1}).AsString(); }),
            "Could not convert variant of type (Array Byte) into type (String)");
}

TEST_F(VariantTest, DecimalSeparatorFollowsFormatSettings) {
  FormatSettings.DecimalSeparator = L',';
  EXPECT_DOUBLE_EQ(Variant(L"1,5").AsDouble(), 1.5);
  EXPECT_EQ(Variant(1.5).AsString(), L"1,5");
}

TEST_F(VariantTest, Booleans) {
  EXPECT_EQ(Variant(true).AsInteger(), -1);
  EXPECT_EQ(Variant(true).AsString(), L"True");
  EXPECT_TRUE(Variant(L"true").AsBoolean());
  EXPECT_FALSE(Variant(L"FALSE").AsBoolean());
  EXPECT_TRUE(Variant(L"-1").AsBoolean());
  EXPECT_TRUE(Variant(2).AsBoolean());
  EXPECT_EQ(CastMessage([] { Variant(L"yes").AsBoolean(); }),
            "Could not convert variant of type (String) into type (Boolean)");
}

TEST_F(VariantTest, DatesFromStoredTextAndLocaleText) {
  TDateTime expected = EncodeDate(2023, 4, 5) + EncodeTime(6, 7, 8, 0);
  EXPECT_DOUBLE_EQ(Variant(L"2023-04-05 06:07:08").AsDateTime(), expected);
  EXPECT_DOUBLE_EQ(Variant(L"2023-04-05T06:07:08.250").AsDateTime(),
                   expected + EncodeTime(0, 0, 0, 250));
  EXPECT_DOUBLE_EQ(Variant(L"2023-04-05").AsDateTime(), EncodeDate(2023, 4, 5));
  EXPECT_DOUBLE_EQ(Variant(L"4/5/2023").AsDateTime(), EncodeDate(2023, 4, 5));
  EXPECT_EQ(Variant::FromDateTime(EncodeDate(2023, 4, 5)).AsString(), L"4/5/2023");
  EXPECT_EQ(CastMessage([] { Variant(L"2023-13-05").AsDateTime(); }),
            "Could not convert variant of type (String) into type (Date)");
}

TEST_F(VariantTest, CurrencyKeepsFourDecimals) {
  Variant c = Variant::FromCurrency(1.23456);
  EXPECT_EQ(c.GetVarType(), varCurrency);
  EXPECT_EQ(c.AsCurrencyScaled(), 12346);
  EXPECT_DOUBLE_EQ(c.AsDouble(), 1.2346);
  EXPECT_EQ(Variant::FromCurrency(0.00005).AsCurrencyScaled(), 0);  // half to even
  EXPECT_EQ(Variant(3).AsCurrencyScaled(), 30000);
}

TEST_F(VariantTest, BytesAndCodePage936Text) {
  Variant text(L"中a");
  TBytes bytes = text.AsBytes();
  ASSERT_EQ(bytes.size(), 3u);
  EXPECT_EQ(bytes[0], 0xD6);
  EXPECT_EQ(bytes[1], 0xD0);
  EXPECT_EQ(bytes[2], 'a');
  EXPECT_EQ(VarToStr(Variant(bytes)), L"中a");
}

TEST_F(VariantTest, Equality) {
  EXPECT_EQ(Variant(2), Variant(2.0));
  EXPECT_EQ(Variant(2), Variant::FromCurrency(2));
  EXPECT_NE(Variant(2), Variant(L"2"));
  EXPECT_EQ(Variant::Null(), Variant::Null());
  EXPECT_NE(Variant::Null(), Variant());
}

// Values share one slot for text, bytes and numbers: copying, moving and assigning across
// kinds must leave each value whole and its text or bytes owned once.
TEST_F(VariantTest, CopiesMovesAndAssignmentsAcrossKinds) {
  const String longText(40, L'x');  // beyond the string's own small buffer
  std::vector<Variant> values{Variant(longText), Variant(TBytes{1, 2, 3}), Variant(7),
                              Variant(2.5), Variant::FromDateTime(45000.25), Variant::Null(),
                              Variant(true), Variant::FromCurrency(1.2345), Variant()};
  for (const Variant& from : values) {
    for (const Variant& to : values) {
      Variant target = to;
      target = from;  // copy-assign over every other kind
      EXPECT_EQ(target.GetVarType(), from.GetVarType());
      EXPECT_TRUE(target == from || from.IsEmpty() || from.IsNull());
      Variant moved = from;
      Variant other = to;
      other = std::move(moved);  // move-assign over every other kind
      EXPECT_EQ(other.GetVarType(), from.GetVarType());
      EXPECT_TRUE(other == from || from.IsEmpty() || from.IsNull());
    }
  }
  Variant text(longText);
  Variant copy(text);
  text = Variant(5);  // the copy keeps its own text
  EXPECT_EQ(copy.AsString(), longText);
  Variant taken(std::move(copy));
  EXPECT_EQ(taken.AsString(), longText);
  ASSERT_NE(taken.StringPtr(), nullptr);
  EXPECT_EQ(*taken.StringPtr(), longText);
  EXPECT_EQ(Variant(5).StringPtr(), nullptr);
  EXPECT_EQ(Variant(TBytes{9}).BytesPtr()->front(), 9);
  taken = taken;  // self-assignment keeps the value
  EXPECT_EQ(taken.AsString(), longText);
  EXPECT_EQ(sizeof(Variant), 32u);  // rows of data sets hold many of them
}

}  // namespace
