// The build folder found from the test program's own file, so that a copied build reads and
// writes its own files.
#include <gtest/gtest.h>

#include "BankTestFiles.h"

TEST(BuildFolder, IsTheFolderAboveTheOneOfTheProgram) {
  EXPECT_EQ(BuildFolderOf(L"C:\\copy\\build\\tests\\test_bank.exe"), L"C:\\copy\\build\\");
  EXPECT_EQ(BuildFolderOf(L"Z:/b/tests/t.exe"), L"Z:/b/");
  EXPECT_EQ(BuildFolderOf(L"tests\\t.exe"), L"");
  EXPECT_EQ(BuildFolderOf(L"\\t.exe"), L"");
  EXPECT_EQ(BuildFolderOf(L""), L"");
  // This program sits in its build's tests\, beside the bank that build shipped.
  EXPECT_TRUE(DirectoryExists(TestBuildFolder() + L"tests")) << StringToUtf8(TestBuildFolder());
  EXPECT_TRUE(FileExists(BuiltBankFile()));
}
