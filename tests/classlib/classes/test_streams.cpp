#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "classlib/classes/Streams.h"
#include "ClassesTestSupport.h"

using classes_tests::MessageOf;

namespace {

std::string ReadAll(TStream& stream) {
  std::string bytes(static_cast<size_t>(stream.GetSize()), '\0');
  stream.SetPosition(0);
  stream.ReadBuffer(bytes.data(), static_cast<int>(bytes.size()));
  return bytes;
}

void WriteText(TStream& stream, const std::string& bytes) {
  stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
}

// A fresh file name in the temporary folder, deleted after the test.
class FileStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t folder[MAX_PATH];
    wchar_t name[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
    ASSERT_NE(GetTempFileNameW(folder, L"stm", 0, name), 0u);
    FileName = name;
  }
  void TearDown() override { DeleteFileW(FileName.c_str()); }
  String FileName;
};

}  // namespace

TEST(MemoryStream, WritesReadsGrowsAndLoads) {
  TMemoryStream stream;
  std::string data(20000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
  for (size_t i = 0; i < data.size(); i += 1000)  // many small writes force several growths
    stream.WriteBuffer(data.data() + i, 1000);
  EXPECT_EQ(stream.GetPosition(), 20000);
  EXPECT_EQ(std::memcmp(stream.GetMemory(), data.data(), data.size()), 0);
  EXPECT_EQ(ReadAll(stream), data);

  TMemoryStream source, target;
  WriteText(source, "payload");
  WriteText(stream, "previous content");
  stream.LoadFromStream(source);
  EXPECT_EQ(ReadAll(stream), "payload");
  WriteText(target, ">");
  stream.SaveToStream(target);
  EXPECT_EQ(ReadAll(target), ">payload");
}

TEST(MemoryStream, ReadPastEndAndBadCounts) {
  TMemoryStream stream;
  WriteText(stream, "abc");
  stream.SetPosition(1);
  char buffer[8] = {};
  EXPECT_EQ(stream.Read(buffer, 0), 0);
  EXPECT_EQ(stream.Read(buffer, -5), 0);
  EXPECT_EQ(stream.Read(buffer, 8), 2);  // only what is there
  EXPECT_EQ(std::string(buffer, 2), "bc");
  EXPECT_EQ(stream.Write(buffer, -1), 0);
  stream.SetPosition(2);
  EXPECT_EQ(MessageOf<EReadError>([&] { stream.ReadBuffer(buffer, 2); }), L"Stream read error");
  EXPECT_THROW(stream.ReadBuffer(buffer, -1), EReadError);
  EXPECT_EQ(stream.Seek(-1, soBeginning), -1);
  EXPECT_EQ(stream.GetPosition(), 3);  // unchanged by the refused seek
}

TEST(MemoryStream, WritePastEndFillsGapWithZeros) {
  TMemoryStream stream;
  WriteText(stream, "abcdef");
  stream.SetSize(2);  // the old bytes stay in the block but are no longer data
  EXPECT_EQ(stream.GetPosition(), 2);
  EXPECT_EQ(stream.Seek(5, soBeginning), 5);  // past the end is allowed
  char none;
  EXPECT_EQ(stream.Read(&none, 1), 0);
  WriteText(stream, "Z");
  stream.SetSize(8);
  EXPECT_EQ(ReadAll(stream), std::string("ab\0\0\0Z\0\0", 8));
  stream.Clear();
  EXPECT_EQ(stream.GetPosition(), 0);
  EXPECT_THROW(stream.SetSize(-1), EStreamError);
}

TEST(StreamCopy, WholeAndPartial) {
  TMemoryStream source;
  std::string data(0x1F003, 'x');  // more than one copy buffer
  data[0x1F002] = 'y';
  WriteText(source, data);
  TMemoryStream whole;
  EXPECT_EQ(whole.CopyFrom(source, 0), static_cast<int64_t>(data.size()));
  EXPECT_EQ(ReadAll(whole), data);

  TStringStream text(AnsiString("0123456789"));
  text.SetPosition(3);
  TMemoryStream part;
  EXPECT_EQ(part.CopyFrom(text, 4), 4);
  EXPECT_EQ(ReadAll(part), "3456");
  EXPECT_EQ(part.CopyFrom(text, -2), 0);
  text.SetPosition(8);
  EXPECT_THROW(part.CopyFrom(text, 5), EReadError);
}

TEST(StringStream, BytesAndText) {
  TStringStream text(String(L"中文 ok"));
  EXPECT_EQ(text.GetBytes(), "\xD6\xD0\xCE\xC4 ok");  // code page 936
  EXPECT_EQ(text.GetDataString(), L"中文 ok");

  TStringStream bytes(AnsiString("hello world"));
  bytes.SetPosition(6);
  WriteText(bytes, "W");  // overwrites, keeps what follows
  bytes.Seek(0, soEnd);
  WriteText(bytes, "!");
  EXPECT_EQ(bytes.GetBytes(), "hello World!");
  EXPECT_EQ(bytes.Seek(100, soBeginning), 12);  // kept inside the string
  EXPECT_EQ(bytes.Seek(-100, soCurrent), 0);
  bytes.SetPosition(10);
  bytes.SetSize(5);
  EXPECT_EQ(bytes.GetPosition(), 5);
  EXPECT_EQ(bytes.GetDataString(), L"hello");
}

TEST_F(FileStreamTest, RoundTripAndSize) {
  {
    TFileStream file(FileName, fmCreate);
    WriteText(file, "first line\r\nsecond");
    EXPECT_EQ(file.GetSize(), 18);
  }
  {
    TFileStream file(FileName, fmOpenReadWrite | fmShareExclusive);
    EXPECT_EQ(ReadAll(file), "first line\r\nsecond");
    file.SetSize(5);
    EXPECT_EQ(file.GetSize(), 5);
    char buffer[4];
    file.SetPosition(5);
    EXPECT_EQ(file.Read(buffer, 4), 0);
    EXPECT_THROW(file.ReadBuffer(buffer, 1), EReadError);
  }
  TMemoryStream memory;
  memory.LoadFromFile(FileName);
  EXPECT_EQ(ReadAll(memory), "first");
  WriteText(memory, " again");
  memory.SaveToFile(FileName);
  TFileStream file(FileName, fmOpenRead);
  EXPECT_EQ(ReadAll(file), "first again");
  EXPECT_EQ(file.Write("x", 1), 0);  // opened for reading only
}

TEST_F(FileStreamTest, MissingFileNamesTheFile) {
  const String missing = FileName + L".missing";
  const String message = MessageOf<EFOpenError>([&] { TFileStream file(missing, fmOpenRead); });
  EXPECT_EQ(message.rfind(L"Cannot open file \"" + missing + L"\". ", 0), 0u) << StringToUtf8(message);
  EXPECT_GT(message.size(), missing.size() + 20);  // the system's reason follows
  const String badFolder = FileName + L".dir\\sub\\new.dat";
  EXPECT_EQ(MessageOf<EFCreateError>([&] { TFileStream file(badFolder, fmCreate); })
                .rfind(L"Cannot create file \"" + badFolder + L"\". ", 0),
            0u);
  EXPECT_THROW(TFileStream(FileName, 0x0003), EFOpenError);  // no such access mode
}

TEST_F(FileStreamTest, ShareModes) {
  {
    TFileStream exclusive(FileName, fmOpenReadWrite | fmShareExclusive);
    EXPECT_THROW(TFileStream(FileName, fmOpenRead | fmShareDenyNone), EFOpenError);
  }
  {
    TFileStream reader(FileName, fmOpenRead | fmShareDenyWrite);
    TFileStream secondReader(FileName, fmOpenRead | fmShareDenyWrite);
    EXPECT_THROW(TFileStream(FileName, fmOpenWrite | fmShareDenyNone), EFOpenError);
  }
  {
    TFileStream created(FileName, fmCreate);  // fmCreate alone is exclusive
    EXPECT_THROW(TFileStream(FileName, fmOpenRead | fmShareDenyNone), EFOpenError);
  }
  TFileStream shared(FileName, fmCreate | fmShareDenyNone);
  TFileStream other(FileName, fmOpenReadWrite | fmShareDenyNone);
  WriteText(shared, "seen");
  EXPECT_EQ(ReadAll(other), "seen");
}

TEST_F(FileStreamTest, HandleStreamLeavesHandleOpen) {
  HANDLE handle = CreateFileW(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  {
    THandleStream stream(handle);
    WriteText(stream, "abc");
    EXPECT_EQ(stream.Seek(-1, soEnd), 2);
    EXPECT_EQ(stream.Seek(-5, soCurrent), -1);
  }
  EXPECT_EQ(GetFileSize(handle, nullptr), 3u);
  EXPECT_TRUE(CloseHandle(handle));  // still open after the stream went away
}

TEST(ResourceStream, ReadsAResourceAndNamesAMissingOne) {
  HINSTANCE self = GetModuleHandleW(nullptr);
  EXPECT_EQ(MessageOf<EResNotFound>([&] { TResourceStream stream(self, L"NOSUCHFORM", RT_RCDATA); }),
            L"Resource NOSUCHFORM not found");
  EXPECT_EQ(MessageOf<EResNotFound>([&] { TResourceStream stream(self, 4242, RT_RCDATA); }),
            L"Resource 4242 not found");

  // Every system module carries a version resource, number 1; it starts with its own length.
  TResourceStream stream(GetModuleHandleW(L"kernel32.dll"), 1, RT_VERSION);
  uint16_t length = 0;
  stream.ReadBuffer(&length, 2);
  EXPECT_GT(length, 6);
  EXPECT_LE(length, stream.GetSize());
  EXPECT_THROW(stream.Write(&length, 2), EStreamError);
  EXPECT_EQ(stream.Seek(0, soEnd), stream.GetSize());
  EXPECT_THROW(stream.ReadBuffer(&length, 1), EReadError);
}
