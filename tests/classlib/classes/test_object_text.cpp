#include <gtest/gtest.h>

#include <random>
#include <string>
#include "ClassesTestSupport.h"
#include "classlib/classes/ObjectText.h"
#include "tests/ErrorMessages.h"

using namespace classes_tests;

namespace {

Bytes TextToBinary(const Bytes& text, TObjectTextLineMap* lines = nullptr) {
  TBytesStream input(text);
  TMemoryStream output;
  ObjectTextToBinary(input, output, lines);
  return Contents(output);
}

Bytes BinaryToText(const Bytes& binary) {
  TBytesStream input(binary);
  TMemoryStream output;
  ObjectBinaryToText(input, output);
  return Contents(output);
}

// Joins lines with CR LF, as the converter writes them.
Bytes Lines(std::initializer_list<const char*> lines) {
  Bytes text;
  for (const char* line : lines) text += Bytes(line) + "\r\n";
  return text;
}

// Every kind of value in the form the converter writes it.
const Bytes Sample = Lines({
    "object Form1: TForm1",
    "  Left = 192",
    "  Top = -3",
    "  Width = 100000",
    "  Big = 9223372036854775807",
    "  Caption = 'Don'#39't '#20013#25991' stop'#13#10",
    "  Empty = ''",
    "  Hint = ",
    "    'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa' +",
    "    'bbbb'",
    "  Ratio = 0.1",
    "  Scale = 1.5E-20",
    "  Whole = 3.0",
    "  Single = 0.1s",
    "  Money = 123456789012c",
    "  When = 45000.75d",
    "  Visible = True",
    "  Enabled = False",
    "  PopupMenu = nil",
    "  Value = Null",
    "  Align = alClient",
    "  DataSource = DM.DataSource1",
    "  Font.Style = [fsBold, fsItalic]",
    "  Options = []",
    "  Numbers = [1, -2]",
    "  Lines.Strings = (",
    "    'one'",
    "    'two'",
    "    (",
    "      1",
    "      alTop))",
    "  EmptyList = ()",
    "  Panels = <",
    "    item",
    "      Width = 50",
    "      Text = 'a'",
    "    end",
    "    item [3]",
    "    end>",
    "  Columns = <>",
    "  Small.Data = {0A0B}",
    "  Glyph.Data = {",
    "    000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F",
    "    2021}",
    "  NoData = {}",
    "  object Panel1: TPanel [2]",
    "    object Button1: TButton",
    "      Caption = 'OK'",
    "    end",
    "  end",
    "  inherited Label1: TLabel",
    "  end",
    "  inline Frame1: TFrame1",
    "  end",
    "  object TTimer",
    "  end",
    "end",
});

TEST(ObjectText, EveryValueKindRoundTrips) {
  const Bytes binary = TextToBinary(Sample);
  EXPECT_EQ(binary.substr(0, 4), "TPF0");
  EXPECT_EQ(BinaryToText(binary), Sample);
  EXPECT_EQ(TextToBinary(BinaryToText(binary)), binary);
}

TEST(ObjectText, BinaryOfTheWriterRoundTrips) {
  TMemoryStream stream;
  {
    TWriter w(stream);
    w.WriteSignature();
    w.WritePrefix(TFilerFlags{ffChildPos}, 70000);
    w.WriteStr(L"TForm1");
    w.WriteStr(L"Form1");
    const auto prop = [&w](const wchar_t* name) { w.WriteStr(name); };
    prop(L"I8"), w.WriteInteger(-100);
    prop(L"I16"), w.WriteInteger(-1000);
    prop(L"I32"), w.WriteInteger(-100000);
    prop(L"I64"), w.WriteInteger(INT64_MIN);
    prop(L"F"), w.WriteFloat(1.0 / 3.0);
    prop(L"Tiny"), w.WriteFloat(5e-324);
    prop(L"Neg"), w.WriteFloat(-0.0);
    prop(L"S"), w.WriteSingle(1.0f / 3.0f);
    prop(L"C"), w.WriteCurrency(-1234.5678);
    prop(L"RawC"), w.WriteValue(vaCurrency);  // beyond a double's exact integers
    w.Write("\x01\x00\x00\x00\x00\x00\x00\x80", 8);
    prop(L"D"), w.WriteDate(-1.5);
    prop(L"Text"), w.WriteString(String(200, L'\'') + L"中" + String(1, L'\0'));
    prop(L"Long"), w.WriteString(String(1000, L'z'));
    prop(L"W"), w.WriteWideString(String{L'\uFFFF', static_cast<wchar_t>(0xD800)});
    prop(L"Ch"), w.WriteChar('A');
    prop(L"Bin");
    std::string block;
    for (int i = 0; i < 1000; ++i) block.push_back(static_cast<char>(i * 7));
    w.WriteBinary(block.data(), static_cast<int>(block.size()));
    prop(L"Set"), w.WriteSet(std::vector<String>{L"a", L"b_1"});
    w.WriteListEnd();
    w.WriteListEnd();
  }
  const Bytes binary = Contents(stream);
  const Bytes text = BinaryToText(binary);
  EXPECT_EQ(TextToBinary(text), binary);
  EXPECT_NE(text.find("object Form1: TForm1 [70000]"), Bytes::npos);
  EXPECT_NE(text.find("C = -12345678c"), Bytes::npos);
  EXPECT_NE(text.find("RawC = -9223372036854775807c"), Bytes::npos);
  EXPECT_NE(text.find("Neg = -0.0"), Bytes::npos);
}

TEST(ObjectText, ValuesArriveAsTheTextSays) {
  const Bytes binary = TextToBinary(
      "object A: TA\n"
      "  Hex = $FF\n"
      "  Joined = 'a' + #66\n"
      "    + 'c'\n"
      "  Chinese = '中文'\n"
      "  Cur = 1.5c\n"
      "end\n");
  const Bytes head("TPF0\x02TA\x01" "A", 9);  // no prefix flags
  ASSERT_EQ(binary.substr(0, head.size()), head);
  TBytesStream stream(binary.substr(head.size()));
  TReader r(stream);
  EXPECT_EQ(r.ReadStr(), L"Hex");
  EXPECT_EQ(r.ReadInteger(), 255);
  EXPECT_EQ(r.ReadStr(), L"Joined");
  EXPECT_EQ(r.NextValue(), vaString);
  EXPECT_EQ(r.ReadString(), L"aBc");
  EXPECT_EQ(r.ReadStr(), L"Chinese");
  EXPECT_EQ(r.NextValue(), vaWString);
  EXPECT_EQ(r.ReadString(), L"中文");
  EXPECT_EQ(r.ReadStr(), L"Cur");
  EXPECT_EQ(r.ReadCurrency(), 0.0002);  // raw 2: 1.5 rounds half to even
}

TEST(ObjectText, SourceEncodings) {
  const Bytes body = "object A: TA\r\n  Caption = '\xE4\xB8\xAD'\r\nend\r\n";
  const Bytes expected = TextToBinary(body);
  EXPECT_EQ(TextToBinary("\xEF\xBB\xBF" + body), expected);
  // The same text in code page 936 (not valid UTF-8).
  EXPECT_EQ(TextToBinary("object A: TA\r\n  Caption = '\xD6\xD0'\r\nend\r\n"), expected);
}

TEST(ObjectText, LineMapNamesWhereEachPropertyWasWritten) {
  TObjectTextLineMap lines;
  const Bytes binary = TextToBinary(Sample, &lines);
  const size_t at = binary.find("\x0A" "Font.Style");
  ASSERT_NE(at, Bytes::npos);
  EXPECT_EQ(lines.LineAt(static_cast<int64_t>(at)), 23);
  EXPECT_EQ(lines.LineAt(static_cast<int64_t>(at) + 5), 23);
  EXPECT_EQ(lines.LineAt(0), 0);  // the signature comes before any line
  EXPECT_EQ(lines.LineAt(4), 1);
  const size_t button = binary.find("\x07TButton");
  EXPECT_EQ(lines.LineAt(static_cast<int64_t>(button)), 47);
}

// ---- Faults --------------------------------------------------------------------------------------

String TextError(const Bytes& text) {
  return ErrorMessageOf<EReadError>([&] { TextToBinary(text); }, L"no error");
}

TEST(ObjectText, MalformedTextNamesTheLine) {
  EXPECT_EQ(TextError("object A: TA\n  Caption = 'open\nend\n"), L"Invalid string constant on line 2");
  EXPECT_EQ(TextError("object A: TA\n  Left = 1\n"), L"Identifier expected on line 3");
  EXPECT_EQ(TextError("object A: TA\nend\nend\n"), L"End of text expected on line 3");
  EXPECT_EQ(TextError("thing A: TA\nend\n"), L"object expected on line 1");
  EXPECT_EQ(TextError("object A: TA\n  Left 1\nend\n"), L"'=' expected on line 2");
  EXPECT_EQ(TextError("object A: TA\n  Left = ;\nend\n"), L"Invalid property value on line 2");
  EXPECT_EQ(TextError("object A: TA\n  Data = {0A0}\nend\n"), L"Invalid binary value on line 2");
  EXPECT_EQ(TextError("object A: TA\n  Data = {0A\n"), L"Invalid binary value on line 3");
  EXPECT_EQ(TextError("object A: TA\n  L = (1, 2)\nend\n"), L"Invalid property value on line 2");
  EXPECT_EQ(TextError("object A: TA\n  L = (Null)\nend\n"), L"Invalid property value on line 2");
  EXPECT_EQ(TextError("object A: TA\n  S = [a b]\nend\n"), L"',' expected on line 2");
  EXPECT_EQ(TextError("object A: TA\n  S = [$]\nend\n"), L"'$' is not a valid integer value on line 2");
  EXPECT_EQ(TextError("object A: TA\n  C = <\n  thing\n  end>\nend\n"), L"item expected on line 3");
  EXPECT_EQ(TextError("object A: TA\n  N = 99999999999999999999\nend\n"),
            L"'99999999999999999999' is not a valid integer value on line 2");
  EXPECT_EQ(TextError("object A: TA\n  N = 1.2.3\nend\n"),
            L"'1.2.3' is not a valid floating point value on line 2");
  EXPECT_EQ(TextError("object A: TA\n  N = 1e999\nend\n"),
            L"'1e999' is not a valid floating point value on line 2");
  EXPECT_EQ(TextError("object A: TA\n  S = #70000\nend\n"), L"Invalid string constant on line 2");
  EXPECT_EQ(TextError("object A: TA\n  S = 'a' + 5\nend\n"), L"String expected on line 2");
  EXPECT_EQ(TextError("object A: TA [99999999999]\nend\n"),
            L"'99999999999' is not a valid integer value on line 1");
  EXPECT_EQ(TextError("object A: TA\n  " + Bytes(300, 'x') + " = 1\nend\n"),
            L"Identifier too long on line 2");
  EXPECT_EQ(TextError(""), L"object expected on line 1");
}

TEST(ObjectText, NestingIsBounded) {
  Bytes lists = "object A: TA\n  L = " + Bytes(200, '(') + Bytes(200, ')') + "\nend\n";
  EXPECT_EQ(TextError(lists), L"Values nested too deeply on line 2");
  Bytes objects;
  for (int i = 0; i < 100; ++i) objects += "object A: TA\n";
  for (int i = 0; i < 100; ++i) objects += "end\n";
  EXPECT_EQ(TextError(objects), L"Objects nested too deeply on line 65");
}

String BinaryError(const Bytes& binary) {
  return ErrorMessageOf<EReadError>([&] { BinaryToText(binary); }, L"no error");
}

TEST(ObjectText, DamagedBinaryIsRefused) {
  const Bytes binary = TextToBinary(Sample);
  for (size_t length = 0; length < binary.size(); ++length)
    EXPECT_NE(BinaryError(binary.substr(0, length)), L"no error") << length;

  const Bytes head = Bytes("TPF0\x02TA\x01" "A", 9);
  EXPECT_EQ(BinaryError(head + Bytes("\x01P\x0A\xFF\xFF\xFF\x7F\x00\x00", 9)), L"Stream read error");
  EXPECT_EQ(BinaryError(head + Bytes("\x01P\x12\x00\x00\x00\xC0\x00\x00", 9)), L"Stream read error");
  EXPECT_EQ(BinaryError(head + Bytes("\x01P\x15\x00\x00", 5)), L"Invalid property value");
  // Names the text form could not read back.
  EXPECT_EQ(BinaryError(head + Bytes("\x03" "a b\x02\x01\x00\x00", 8)), L"Invalid property value");
  EXPECT_EQ(BinaryError(head + Bytes("\x03" "end\x02\x01\x00\x00", 8)), L"Invalid property value");
  EXPECT_EQ(BinaryError(head + Bytes("\x01P\x07\x02" "1x\x00\x00", 8)), L"Invalid property value");
  EXPECT_EQ(BinaryError(Bytes("TPF0\xF5\x02TA\x01" "A\x00\x00", 12)), L"Invalid property value");
  EXPECT_EQ(BinaryError("TPF1"), L"Invalid stream format");
  // A float the text cannot hold.
  EXPECT_EQ(BinaryError(head + Bytes("\x01P\x05\x00\x00\x00\x00\x00\x00\x00\xC0\xFF\x7F\x00\x00", 15)),
            L"Invalid floating point value");
}

// ---- Random damage --------------------------------------------------------------------------------
// Each mutated input either converts or is refused with a read error. What converts must
// convert back, and text that converted is a fixed point of the round trip.

Bytes Mutate(const Bytes& source, std::mt19937& random) {
  Bytes result = source;
  const int edits = 1 + static_cast<int>(random() % 4);
  for (int e = 0; e < edits && !result.empty(); ++e) {
    const size_t at = random() % result.size();
    switch (random() % 5) {
      case 0: result[at] = static_cast<char>(random()); break;
      case 1: result.erase(at, 1 + random() % 8); break;
      case 2: result.insert(at, 1, static_cast<char>(random())); break;
      case 3: result.insert(at, result.substr(random() % result.size(), 1 + random() % 16)); break;
      default: result.resize(at);
    }
  }
  return result;
}

// Converts rounds mutations of source with convert; what converts must come back the same
// through back then convert. Returns how many converted.
template <class F, class G>
int ConvertDamaged(const Bytes& source, unsigned seed, int rounds, F convert, G back) {
  std::mt19937 random(seed);
  int converted = 0;
  for (int i = 0; i < rounds; ++i) {
    const Bytes damaged = Mutate(source, random);
    Bytes result;
    try {
      result = convert(damaged);
    } catch (const EReadError&) {
      continue;
    }
    ++converted;
    EXPECT_EQ(convert(back(result)), result) << i;
    if (::testing::Test::HasFailure()) break;
  }
  return converted;
}

TEST(ObjectText, RandomlyDamagedInputConvertsOrFails) {
  const auto toBinary = [](const Bytes& text) { return TextToBinary(text); };
  EXPECT_GT(ConvertDamaged(Sample, 1234, 3000, toBinary, BinaryToText), 100);
  EXPECT_GT(ConvertDamaged(toBinary(Sample), 4321, 3000, BinaryToText, toBinary), 50);
}

}  // namespace
