// Shared by the application tests: a small question bank written for a test, and reading
// single values from it.
#pragma once
#include <memory>
#include <vector>
#include "app/dm.h"
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
