// The byte streams between a stream and the Rich Edit window: line breaks, code page 936,
// chunking to the window's buffer size, and the RTF start check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/extended/RxRichStream.h"
#include "classlib/system/SysString.h"

namespace {

// The normalised text of chunks fed one after the other.
std::string Normalise(const std::vector<std::string>& chunks) {
  TLineBreakNormaliser<char> normaliser;
  std::string out;
  for (const std::string& chunk : chunks) normaliser.Feed(chunk.data(), chunk.size(), out);
  normaliser.Finish(out);
  return out;
}

// Everything a reader hands a window that asks for cb bytes a call, with the source giving
// at most sourceChunk bytes a call; the largest single answer, and whether the reader failed.
struct TReadResult {
  std::string Out;
  int Largest = 0;
  bool Failed = false;
};

TReadResult ReadAll(TRichStreamKind kind, const std::string& bytes, int cb, int sourceChunk) {
  TRichStreamReader reader(kind);
  size_t offset = 0;
  auto source = [&](char* to, int size) {
    const int count = static_cast<int>(std::min<size_t>(
        {static_cast<size_t>(size), static_cast<size_t>(sourceChunk), bytes.size() - offset}));
    std::copy_n(bytes.data() + offset, count, to);
    offset += static_cast<size_t>(count);
    return count;
  };
  TReadResult result;
  std::vector<char> buffer(static_cast<size_t>(cb));
  for (int guard = 0; guard < 1000000; ++guard) {
    const int count = reader.Read(buffer.data(), cb, source);
    result.Failed = count < 0;
    if (count <= 0) break;
    result.Largest = std::max(result.Largest, count);
    result.Out.append(buffer.data(), static_cast<size_t>(count));
  }
  return result;
}

std::string Utf16(const String& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

}  // namespace

TEST(RichStream, LineBreaksBecomeCrLfWhereverTheChunksEnd) {
  struct Case {
    const char* what;
    std::vector<std::string> chunks;
    std::string expected;
  };
  const Case cases[] = {
      {"CR LF", {"a\r\nb"}, "a\r\nb"},
      {"lone CR", {"a\rb"}, "a\r\nb"},
      {"lone LF", {"a\nb"}, "a\r\nb"},
      {"LF CR is two breaks", {"a\n\rb"}, "a\r\n\r\nb"},
      {"CR at a chunk end, LF next", {"a\r", "\nb"}, "a\r\nb"},
      {"CR at a chunk end, text next", {"a\r", "b"}, "a\r\nb"},
      {"CR at a chunk end, CR next", {"a\r", "\rb"}, "a\r\n\r\nb"},
      {"CR at the stream end", {"a\r"}, "a\r\n"},
      {"CR alone in a chunk between two", {"a", "\r", "\n", "b"}, "a\r\nb"},
      {"empty chunks", {"", "a", "", "\r", "", "\n"}, "a\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(Normalise(c.chunks), c.expected) << c.what;
}

TEST(RichStream, RichTextPassesByteForByte) {
  // \bin data may hold any byte, CR and LF among them: nothing of it is changed.
  std::string rtf = "{\\rtf1 a\r\nb\rc\n{\\*\\obj \\bin6 ";
  rtf += std::string("\r\n\n\r\0\xff", 6);
  rtf += "}}";
  for (const int cb : {1, 3, 7, 4096}) {
    const TReadResult read = ReadAll(rkRichText, rtf, cb, 5);
    EXPECT_EQ(read.Out, rtf) << cb;
    EXPECT_FALSE(read.Failed);
    EXPECT_LE(read.Largest, cb);
  }
}

TEST(RichStream, RichTextThatIsNoRtfDocumentFails) {
  for (const std::string text : {"plain words", "{\\rt", "", "  {\\rtf1}"})
    EXPECT_TRUE(ReadAll(rkRichText, text, 4096, 4096).Failed) << text;
  const TReadResult read = ReadAll(rkRichText, "{\\urtf1 x}", 4096, 2);
  EXPECT_EQ(read.Out, "{\\urtf1 x}");
  EXPECT_FALSE(read.Failed);
}

TEST(RichStream, OddBufferSizesFullOfLineFeedsNeverGetMoreThanAsked) {
  // Each LF doubles; the window must still get no more than it asked for, and all of it.
  const std::string feeds(5000, '\n');
  String expected;
  for (int i = 0; i < 5000; ++i) expected += L"\r\n";
  for (const int cb : {1, 2, 3, 5, 7, 9, 4095}) {
    const TReadResult read = ReadAll(rkText936, feeds, cb, 4096);
    EXPECT_LE(read.Largest, cb) << cb;
    EXPECT_EQ(read.Out, Utf16(expected)) << cb;
  }
}

TEST(RichStream, GbkTextIsDecodedAcrossChunkBoundaries) {
  const String text = L"第一章 总则\n中华人民共和国\r\n资产评估法";
  const std::string gbk = StringToCp936(text);
  // Source chunks of 1 and 3 bytes split every double-byte character somewhere.
  for (const int chunk : {1, 3, 4096})
    EXPECT_EQ(ReadAll(rkText936, gbk, 64, chunk).Out, Utf16(L"第一章 总则\r\n中华人民共和国\r\n资产评估法")) << chunk;
  // A lead byte at the very end is no whole character; it is decoded alone, not held forever.
  EXPECT_GE(ReadAll(rkText936, "ab\xd6", 64, 1).Out.size(), 6u);
}

TEST(RichStream, UnicodeTextKeepsItsUnitsAcrossOddChunks) {
  const TReadResult read = ReadAll(rkUnicode, Utf16(L"甲\n乙\r丙"), 6, 1);
  EXPECT_EQ(read.Out, Utf16(L"甲\r\n乙\r\n丙"));
  EXPECT_LE(read.Largest, 6);
}

TEST(RichStream, WriterEncodesGbkWithSplitUnitsAndSurrogates) {
  const String text = L"资产 \U0001F600 评估";  // the emoji has no GBK form
  const std::string units = Utf16(text);
  for (const size_t chunk : {size_t{1}, size_t{3}, units.size()}) {
    TRichStreamWriter writer(rkText936);
    std::string out;
    auto sink = [&](const char* from, int size) {
      out.append(from, static_cast<size_t>(size));
      return size;
    };
    for (size_t at = 0; at < units.size(); at += chunk)
      ASSERT_TRUE(writer.Write(units.data() + at, static_cast<int>(std::min(chunk, units.size() - at)), sink));
    ASSERT_TRUE(writer.Finish(sink));
    // However the units were split, the bytes are those of the whole text at once.
    EXPECT_EQ(out, StringToCp936(text)) << chunk;
    EXPECT_EQ(out.substr(0, 5), StringToCp936(L"资产 "));
  }
}

TEST(RichStream, WriterReportsASinkThatTakesLess) {
  TRichStreamWriter writer(rkRichText);
  EXPECT_FALSE(writer.Write("{\\rtf1}", 7, [](const char*, int size) { return size - 1; }));
}

TEST(RichStream, WriterDropsOnlyTheNulsAfterTheDocument) {
  TRichStreamWriter writer(rkRichText);
  std::string out;
  auto sink = [&](const char* from, int size) {
    out.append(from, static_cast<size_t>(size));
    return size;
  };
  const std::string inside("{\\rtf1 \\bin2 \0\0", 14);
  ASSERT_TRUE(writer.Write(inside.data(), static_cast<int>(inside.size()), sink));
  ASSERT_TRUE(writer.Write("}", 1, sink));
  ASSERT_TRUE(writer.Write("\0\0", 2, sink));
  ASSERT_TRUE(writer.Finish(sink));
  EXPECT_EQ(out, inside + "}");
}

TEST(RichStream, GuardStopsWhatThePlatformReaderDoesNotSurvive) {
  struct Case {
    const char* what;
    std::string rtf;
    bool passes;
  };
  const Case cases[] = {
      {"ordinary", "{\\rtf1\\ansi\\b bold\\b0\\'b0\\par}", true},
      {"word of 32 letters", "{\\rtf1\\" + std::string(32, 'a') + " x}", true},
      {"word of 33 letters", "{\\rtf1\\" + std::string(33, 'a') + " x}", false},
      {"parameter of 11 digits", "{\\rtf1\\fs12345678901 x}", false},
      {"braces inside bin data", "{\\rtf1\\bin4 {{{{}", true},
      {"letters inside bin data", "{\\rtf1\\bin40 " + std::string(40, 'a') + "}", true},
      {"1,000 groups", "{\\rtf1 " + std::string(999, '{') + std::string(999, '}') + "}", true},
      {"1,001 groups", "{\\rtf1 " + std::string(1000, '{') + "}", false},
      {"escaped braces", "{\\rtf1 " + std::string(2000, ' ') + "\\{\\{\\}}", true},
  };
  for (const Case& c : cases) {
    for (const int chunk : {1, 7, 4096})
      EXPECT_EQ(ReadAll(rkRichText, c.rtf, 4096, chunk).Failed, !c.passes) << c.what << " in chunks of " << chunk;
  }
}
