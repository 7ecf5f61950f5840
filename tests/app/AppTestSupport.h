// Shared by the application tests: a small question bank written for a test, a data module
// over it, reading values from a bank, and folders of a test's own.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <vector>
#include "app/dm.h"
#include "classlib/system/SysDate.h"
#include "data/BankTestFiles.h"

// Writes the test bank (two subjects, a chapter tree with one missing prefix, laws in two
// groups, questions linked to articles) into fileName, protected by password.
void WriteTestBank(const String& fileName, const String& password = kBankPassword);

// The first value of the first row of sql on cn (Null when there is none).
Variant SelectValue(TADOConnection& cn, const String& sql);
int SelectInt(TADOConnection& cn, const String& sql);
// The first column of every row of sql on cn.
std::vector<String> SelectColumn(TADOConnection& cn, const String& sql);
String SelectText(TADOConnection& cn, const String& sql);
// The bytes of the first value of the first row, a blob ("" when there is none).
std::string SelectBytes(TADOConnection& cn, const String& sql);

// An SQL blob literal (X'..') of text in code page 936, as the bank keeps stems and article
// texts.
String GbkBlob(const String& text);

// Tests on a data module of their own over a bank written by WriteTestBank, today pinned.
class TTestBankModule : public ::testing::Test {
 protected:
  void SetUp() override;
  TDM1& DM() { return *FModule; }
  TADOConnection& Cn() { return *FModule->ADOCn1; }
  int Int(const String& sql) { return SelectInt(Cn(), sql); }
  String Text(const String& sql) { return SelectText(Cn(), sql); }

  static inline const TDateTime kDay = EncodeDate(2024, 5, 7);
  TTempBankFile FBank;
  std::unique_ptr<TDM1> FModule;  // goes before the file
};

// A folder of the test's own under the temporary folder, named prefix, the process id and a
// count; what the test put in it (three levels deep at most) is deleted with it.
class TTestFolder {
 public:
  explicit TTestFolder(const String& prefix);
  ~TTestFolder();
  TTestFolder(const TTestFolder&) = delete;
  TTestFolder& operator=(const TTestFolder&) = delete;
  const String& Path() const { return FPath; }  // with a trailing backslash
  std::vector<String> Files() const;            // the names of the files in it

 private:
  String FPath;
};
