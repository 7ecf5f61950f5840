#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include "ClassesTestSupport.h"
#include "classlib/classes/Filer.h"
#include "tests/ErrorMessages.h"

using namespace classes_tests;

namespace {

template <class F>
Bytes Written(F write) {
  TMemoryStream stream;
  TWriter writer(stream);
  write(writer);
  return Contents(stream);
}

// The message of the EReadError that read raises on a reader of data, or "no error".
template <class F>
String ReadError(const Bytes& data, F read) {
  TBytesStream stream(data);
  TReader r(stream);
  return ErrorMessageOf<EReadError>([&] { read(r); }, L"no error");
}

enum TStyle { fsBold, fsItalic, fsUnderline };
const wchar_t* const StyleNames[] = {L"fsBold", L"fsItalic", L"fsUnderline"};
constexpr TEnumInfo StyleIdents = MakeEnumInfo(StyleNames);

// ---- 80-bit extended --------------------------------------------------------------------
// The x87 long double of this target is the same format; it is the reference.

Bytes NativeExtended(double value) {
  long double wide = value;
  return Bytes(reinterpret_cast<const char*>(&wide), 10);
}

double NativeDouble(const uint8_t extended[10]) {
  long double wide = 0;
  std::memcpy(&wide, extended, 10);
  return static_cast<double>(wide);
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(Extended, DoublesConvertExactlyBothWays) {
  static_assert(std::numeric_limits<long double>::digits == 64, "x87 extended expected");
  std::mt19937_64 random(5);
  std::vector<double> values = {0.0, -0.0, 1.0, -2.5, 0.1, 1e308, -1e-308,
                                std::numeric_limits<double>::denorm_min(),
                                std::numeric_limits<double>::max(),
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity()};
  for (int i = 0; i < 20000; ++i) {
    const uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isnan(value)) values.push_back(value);
  }
  uint8_t extended[10];
  for (double value : values) {
    DoubleToExtended(value, extended);
    ASSERT_EQ(Bytes(reinterpret_cast<char*>(extended), 10), NativeExtended(value)) << value;
    ASSERT_TRUE(SameBits(ExtendedToDouble(extended), value)) << value;
  }
  // NaNs stay NaNs, even one whose payload is below the kept bits.
  DoubleToExtended(std::numeric_limits<double>::quiet_NaN(), extended);
  EXPECT_TRUE(std::isnan(ExtendedToDouble(extended)));
  const uint64_t signalling = (uint64_t{1} << 63) | 1;
  std::memcpy(extended, &signalling, 8);
  EXPECT_TRUE(std::isnan(ExtendedToDouble(extended)));
}

TEST(Extended, NarrowingRoundsAsTheFpuDoes) {
  std::mt19937_64 random(11);
  for (int i = 0; i < 50000; ++i) {
    uint8_t extended[10];
    const uint64_t significand = random() | (uint64_t{1} << 63);  // normal numbers
    // Exponents around the double range's ends, where rounding meets overflow and denormals.
    // Pick 3 makes ties: exactly half of the last kept bit.
    const int pick = static_cast<int>(random() % 4);
    int exponent = 16383 + static_cast<int>(random() % 200) - 100;
    if (pick == 1) exponent = 16383 - 1022 - static_cast<int>(random() % 60);
    if (pick == 2) exponent = 16383 + 1023 - static_cast<int>(random() % 3) + 1;
    if (pick == 3) exponent = 16383 + static_cast<int>(random() % 10);
    const uint64_t s = pick == 3 ? (significand & ~uint64_t{0x7FF}) | 0x400 : significand;
    std::memcpy(extended, &s, 8);
    const uint16_t signExponent = static_cast<uint16_t>(exponent | ((random() & 1) << 15));
    std::memcpy(extended + 8, &signExponent, 2);
    ASSERT_TRUE(SameBits(ExtendedToDouble(extended), NativeDouble(extended)))
        << std::hex << s << " exp " << exponent;
  }
}

// ---- Writing values --------------------------------------------------------------------------

TEST(Writer, IntegersTakeTheSmallestType) {
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(-128); }), Bytes("\x02\x80", 2));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(128); }), Bytes("\x03\x80\x00", 3));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(-32769); }), Bytes("\x04\xFF\x7F\xFF\xFF", 5));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(int64_t{1} << 31); }),
            Bytes("\x13\x00\x00\x00\x80\x00\x00\x00\x00", 9));
}

TEST(Writer, StringsByContent) {
  EXPECT_EQ(Written([](TWriter& w) { w.WriteString(L"ab"); }), Bytes("\x06\x02" "ab", 4));
  const Bytes longText = Written([](TWriter& w) { w.WriteString(String(256, L'x')); });
  EXPECT_EQ(longText.substr(0, 5), Bytes("\x0C\x00\x01\x00\x00", 5));
  EXPECT_EQ(longText.size(), 5u + 256u);
  EXPECT_EQ(Written([](TWriter& w) { w.WriteString(L"中"); }), Bytes("\x12\x01\x00\x00\x00\x2D\x4E", 7));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteWideString(L"a"); }), Bytes("\x12\x01\x00\x00\x00" "a\x00", 7));
}

TEST(Writer, IdentsSetsPrefixesAndShortStrings) {
  EXPECT_EQ(Written([](TWriter& w) {
              w.WriteIdent(L"true");
              w.WriteIdent(L"FALSE");
              w.WriteIdent(L"nil");
              w.WriteIdent(L"Null");
              w.WriteIdent(L"alClient");
            }),
            Bytes("\x09\x08\x0D\x00\x07\x08" "alClient", 14));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteSet((1 << fsBold) | (1 << fsUnderline), StyleIdents); }),
            Bytes("\x0B\x06" "fsBold" "\x0B" "fsUnderline" "\x00", 21));
  EXPECT_EQ(Written([](TWriter& w) { w.WritePrefix(TFilerFlags{ffInherited, ffChildPos}, 3); }),
            Bytes("\xF3\x02\x03", 3));
  EXPECT_EQ(Written([](TWriter& w) { w.WritePrefix(TFilerFlags(), 3); }), Bytes());

  TMemoryStream stream;
  TWriter writer(stream);
  EXPECT_THROW(writer.WriteStr(String(256, L'a')), EWriteError);
  EXPECT_THROW(writer.WriteSet(std::vector<String>{L"a", L""}), EWriteError);
}

// ---- Reading values ---------------------------------------------------------------------------------

TEST(Reader, ReadsBackWhatTheWriterWrote) {
  const Bytes data = Written([](TWriter& w) {
    w.WriteSignature();
    w.WritePrefix(TFilerFlags{ffInline, ffChildPos}, -5);
    w.WriteStr(L"TButton");
    w.WriteListBegin();
    w.WriteInteger(INT32_MIN);
    w.WriteInteger(INT64_MAX);
    w.WriteBoolean(true);
    w.WriteChar('\xC8');
    w.WriteWideChar(L'中');
    w.WriteFloat(0.1);
    w.WriteSingle(0.25f);
    w.WriteCurrency(12.3456);
    w.WriteDate(45000.75);
    w.WriteString(L"中文 text");
    w.WriteString(String(300, L'y'));
    w.WriteIdent(L"alTop");
    w.WriteIdent(L"nil");
    w.WriteSet((1 << fsItalic), StyleIdents);
    w.WriteBinary("\x01\x02\x03", 3);
    w.WriteListEnd();
  });
  TBytesStream stream(data);
  TReader r(stream);
  r.ReadSignature();
  TFilerFlags flags;
  int position = 0;
  r.ReadPrefix(flags, position);
  EXPECT_TRUE(flags == (TFilerFlags{ffInline, ffChildPos}));
  EXPECT_EQ(position, -5);
  EXPECT_EQ(r.ReadStr(), L"TButton");
  r.ReadListBegin();
  EXPECT_EQ(r.ReadInteger(), INT32_MIN);
  EXPECT_EQ(r.ReadInt64(), INT64_MAX);
  EXPECT_TRUE(r.ReadBoolean());
  EXPECT_EQ(r.ReadChar(), '\xC8');
  EXPECT_EQ(r.ReadWideChar(), L'中');
  EXPECT_EQ(r.ReadFloat(), 0.1);
  EXPECT_EQ(r.ReadSingle(), 0.25f);
  EXPECT_DOUBLE_EQ(r.ReadCurrency(), 12.3456);
  EXPECT_EQ(r.ReadDate(), 45000.75);
  EXPECT_EQ(r.ReadString(), L"中文 text");
  EXPECT_EQ(r.ReadString(), String(300, L'y'));
  EXPECT_EQ(r.ReadIdent(), L"alTop");
  EXPECT_EQ(r.ReadIdent(), L"nil");
  EXPECT_EQ(r.ReadSet(StyleIdents), 1u << fsItalic);
  TMemoryStream binary;
  r.ReadBinary(binary);
  EXPECT_EQ(Contents(binary), Bytes("\x01\x02\x03", 3));
  EXPECT_TRUE(r.EndOfList());
  r.ReadListEnd();
  EXPECT_EQ(r.GetBytesLeft(), 0);
}

TEST(Reader, AcceptsEveryStringAndFloatForm) {
  // vaString in code page 936, vaUTF8String, and a byte string that is no 936 text.
  TBytesStream stream(Bytes("\x06\x02\xD6\xD0" "\x14\x03\x00\x00\x00\xE4\xB8\xAD" "\x06\x01\x81"
                            "\x0F\x00\x00\xC0\x3F" "\x02\x05" "\x10\x10\x27\x00\x00\x00\x00\x00\x00",
                            31));
  TReader r(stream);
  EXPECT_EQ(r.ReadString(), L"中");
  EXPECT_EQ(r.ReadString(), L"中");
  EXPECT_EQ(r.ReadString(), L"\u0081");
  EXPECT_EQ(r.ReadFloat(), 1.5);
  EXPECT_EQ(r.ReadFloat(), 5.0);
  EXPECT_EQ(r.ReadFloat(), 1.0);  // currency 10000 / 10000
}

TEST(Reader, WrongTypesAreRefused) {
  EXPECT_EQ(ReadError("\x06\x01x", [](TReader& r) { r.ReadInteger(); }), L"Invalid property value");
  EXPECT_EQ(ReadError("\x13", [](TReader& r) { r.ReadInteger(); }), L"Invalid property value");
  EXPECT_EQ(ReadError("\x02\x01", [](TReader& r) { r.ReadBoolean(); }), L"Invalid property value");
  EXPECT_EQ(ReadError("\x06\x02xy", [](TReader& r) { r.ReadChar(); }), L"Invalid property value");
  EXPECT_EQ(ReadError("\x07\x01x", [](TReader& r) { r.ReadString(); }), L"Invalid property value");
  EXPECT_EQ(ReadError(Bytes("\x0B\x06" "fsBold\x04" "fsNo\x00", 14), [](TReader& r) { r.ReadSet(StyleIdents); }),
            L"Invalid property value");
  EXPECT_EQ(ReadError("\x15", [](TReader& r) { r.SkipValue(); }), L"Invalid property value");
  EXPECT_EQ(ReadError("TPF1", [](TReader& r) { r.ReadSignature(); }), L"Invalid stream format");
}

TEST(Reader, LengthsAreCheckedBeforeUse) {
  // Counts far beyond the data, and negative ones.
  EXPECT_EQ(ReadError(Bytes("\x0C\xFF\xFF\xFF\x7F" "abc", 8), [](TReader& r) { r.ReadString(); }),
            L"Stream read error");
  EXPECT_EQ(ReadError(Bytes("\x12\x00\x00\x00\x40", 5), [](TReader& r) { r.ReadString(); }),
            L"Stream read error");
  TMemoryStream out;
  EXPECT_EQ(ReadError(Bytes("\x0A\xFE\xFF\xFF\xFF", 5), [&out](TReader& r) { r.ReadBinary(out); }),
            L"Stream read error");
  EXPECT_EQ(ReadError(Bytes("\x0A\x00\x00\x00\x10", 5), [](TReader& r) { r.SkipValue(); }),
            L"Stream read error");
  EXPECT_EQ(ReadError(Bytes("\x06\x05" "ab", 4), [](TReader& r) { r.ReadString(); }), L"Stream read error");
}

TEST(Reader, EveryTruncationFails) {
  const Bytes data = Written([](TWriter& w) {
    w.WriteListBegin();
    w.WriteFloat(2.5);
    w.WriteString(L"text");
    w.WriteWideString(L"wide");
    w.WriteSet(3, StyleIdents);
    w.WriteValue(vaCollection);
    w.WriteInteger(1);
    w.WriteListBegin();
    w.WriteStr(L"Width");
    w.WriteInteger(500);
    w.WriteListEnd();
    w.WriteListEnd();
    w.WriteBinary("\x01\x02", 2);
    w.WriteListEnd();
  });
  EXPECT_EQ(ReadError(data, [](TReader& r) {
              r.SkipValue();
              EXPECT_EQ(r.GetBytesLeft(), 0);
            }),
            L"no error");
  for (size_t length = 0; length < data.size(); ++length)
    EXPECT_NE(ReadError(data.substr(0, length), [](TReader& r) { r.SkipValue(); }), L"no error") << length;
}

TEST(Reader, NestingIsBounded) {
  const Bytes deep = Bytes(1000, '\x01') + Bytes(1000, '\x00');  // a thousand lists in each other
  EXPECT_EQ(ReadError(deep, [](TReader& r) { r.SkipValue(); }), L"Invalid stream format");
}

// ---- Defined properties ------------------------------------------------------------------------------------

TEST(Filer, DefinedPropertiesMatchTheNameBeingRead) {
  TMemoryStream stream;
  {
    TWriter w(stream);
    w.SetPropPath(L"Picture.");
    w.DefineBinaryProperty(L"Data", nullptr,
                           [](TStream& s) { s.WriteBuffer("\x0A\x0B", 2); }, true);
    w.DefineProperty(L"Count", nullptr, [](TWriter* writer) { writer->WriteInteger(3); }, true);
    w.DefineProperty(L"Skipped", nullptr, [](TWriter* writer) { writer->WriteInteger(4); }, false);
  }
  EXPECT_EQ(Contents(stream), Bytes("\x0CPicture.Data\x0A\x02\x00\x00\x00\x0A\x0B"
                                    "\x0DPicture.Count\x02\x03",
                                    36));
  stream.SetPosition(0);
  TReader r(stream);
  Bytes block;
  int count = 0;
  const TStreamProc readBlock = [&block](TStream& s) {
    block.resize(static_cast<size_t>(s.GetSize()));
    s.ReadBuffer(block.data(), static_cast<int>(block.size()));
  };
  const TReaderProc readCount = [&count](TReader* reader) { count = reader->ReadInteger(); };

  EXPECT_EQ(r.ReadStr(), L"Picture.Data");
  r.SetPropName(L"data");
  r.DefineProperty(L"Count", readCount, nullptr, false);  // not this one
  EXPECT_EQ(r.GetPropName(), L"data");
  r.DefineBinaryProperty(L"Data", readBlock, nullptr, false);
  EXPECT_EQ(block, Bytes("\x0A\x0B", 2));
  EXPECT_EQ(r.GetPropName(), L"");
  r.DefineBinaryProperty(L"Data", readBlock, nullptr, false);  // the name was cleared: no read

  EXPECT_EQ(r.ReadStr(), L"Picture.Count");
  r.SetPropName(L"Count");
  r.DefineProperty(L"Count", readCount, nullptr, false);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(r.GetBytesLeft(), 0);
}

}  // namespace
