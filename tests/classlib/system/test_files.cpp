#include <gtest/gtest.h>

#include "classlib/system/SysFiles.h"

namespace {

// Removes a folder and everything in it; the depth is bounded by the tests' own trees.
void RemoveTree(const String& dir, int depth = 0) {
  if (depth > 16) return;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      String name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      String path = dir + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path, depth + 1);
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  RemoveDirectoryW(dir.c_str());
}

void WriteFile(const String& path, const char* bytes, DWORD size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(file, bytes, size, &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, size);
}

// Each test works in a fresh folder under the temporary path and removes it afterwards.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    ASSERT_GT(length, 0u);
    FDir = String(temp, length) + L"classlib_files_" + std::to_wstring(GetCurrentProcessId()) +
           L"_" + std::to_wstring(GetTickCount());
    ASSERT_TRUE(CreateDirectoryW(FDir.c_str(), nullptr));
  }
  void TearDown() override {
    RemoveTree(FDir);
    EXPECT_FALSE(DirectoryExists(FDir));
  }
  String FDir;  // the test's folder, without a trailing backslash
};

}  // namespace

TEST_F(FilesTest, FileAndDirectoryExistTellFilesFromFolders) {
  String file = FDir + L"\\a.txt";
  WriteFile(file, "hello", 5);
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(DirectoryExists(file));
  EXPECT_TRUE(DirectoryExists(FDir));
  EXPECT_FALSE(FileExists(FDir));
  EXPECT_FALSE(FileExists(FDir + L"\\missing.txt"));
  EXPECT_EQ(FileSizeOf(file), 5);
  EXPECT_EQ(FileSizeOf(FDir), -1);
}

TEST_F(FilesTest, ForceDirectoriesCreatesEveryMissingLevel) {
  String deep = FDir + L"\\one\\two\\three";
  EXPECT_TRUE(ForceDirectories(deep + L"\\"));
  EXPECT_TRUE(DirectoryExists(deep));
  EXPECT_TRUE(ForceDirectories(deep));  // already there
  EXPECT_TRUE(ForceDirectories(FDir + L"/slash/mixed"));
  EXPECT_TRUE(DirectoryExists(FDir + L"\\slash\\mixed"));
}

TEST_F(FilesTest, ForceDirectoriesFailsOnBadPaths) {
  EXPECT_FALSE(ForceDirectories(L""));
  String file = FDir + L"\\file";
  WriteFile(file, "x", 1);
  EXPECT_FALSE(ForceDirectories(file + L"\\below"));  // a file is in the way
  EXPECT_FALSE(ForceDirectories(FDir + L"\\bad*name\\x"));
  EXPECT_FALSE(DirectoryExists(FDir + L"\\bad*name"));
}

TEST_F(FilesTest, DeleteFileRemovesOnlyExistingFiles) {
  String file = FDir + L"\\gone.dat";
  WriteFile(file, "abc", 3);
  EXPECT_TRUE(DeleteFile(file));
  EXPECT_FALSE(FileExists(file));
  EXPECT_FALSE(DeleteFile(file));
  EXPECT_FALSE(DeleteFile(String()));
  EXPECT_FALSE(DeleteFile(FDir));  // a folder is not a file
  EXPECT_TRUE(DirectoryExists(FDir));
  // The system's function stays reachable beside the overload.
  WriteFile(file, "abc", 3);
  EXPECT_TRUE(DeleteFileW(file.c_str()));
}

TEST(FileNames, SplitAtTheLastSeparator) {
  const String name = L"C:\\dir.v2\\sub\\file.tar.gz";
  EXPECT_EQ(ExtractFilePath(name), L"C:\\dir.v2\\sub\\");
  EXPECT_EQ(ExtractFileDir(name), L"C:\\dir.v2\\sub");
  EXPECT_EQ(ExtractFileName(name), L"file.tar.gz");
  EXPECT_EQ(ExtractFileExt(name), L".gz");
  EXPECT_EQ(ExtractFileExt(L"C:\\dir.v2\\file"), L"");  // the dot is in the folder
  EXPECT_EQ(ExtractFilePath(L"C:file.txt"), L"C:");
  EXPECT_EQ(ExtractFileName(L"data/pics/a.bmp"), L"a.bmp");
  EXPECT_EQ(ExtractFileDir(L"C:\\file.txt"), L"C:\\");  // the root keeps its backslash
  EXPECT_EQ(ExtractFileDir(L"\\file.txt"), L"\\");
  EXPECT_EQ(IncludeTrailingBackslash(L"C:\\a"), L"C:\\a\\");
  EXPECT_EQ(ExcludeTrailingBackslash(L"C:\\a\\"), L"C:\\a");
}

TEST(FileNames, ChangeFileExtReplacesOrAppends) {
  EXPECT_EQ(ChangeFileExt(L"a\\b.txt", L".bak"), L"a\\b.bak");
  EXPECT_EQ(ChangeFileExt(L"a.b\\c", L".x"), L"a.b\\c.x");
  EXPECT_EQ(ChangeFileExt(L"a\\b.txt", L""), L"a\\b");
  EXPECT_EQ(ChangeFileExt(L"x.tar.gz", L".zip"), L"x.tar.zip");
}

TEST(FileNames, ProgramFileNameAndDir) {
  String program = ProgramFileName();
  EXPECT_TRUE(FileExists(program)) << program;
  EXPECT_EQ(ExtractFileExt(program).size(), 4u);
  String dir = ProgramDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), L'\\');
  EXPECT_EQ(program.substr(0, dir.size()), dir);
}

TEST(FileNames, ExpandFileNameMakesFullPaths) {
  EXPECT_EQ(ExpandFileName(L"C:\\a\\..\\b\\.\\c.txt"), L"C:\\b\\c.txt");
  wchar_t current[MAX_PATH];
  DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(ExpandFileName(L"x.txt"), IncludeTrailingBackslash(String(current, length)) + L"x.txt");
  EXPECT_EQ(ExpandFileName(L""), L"");
}
