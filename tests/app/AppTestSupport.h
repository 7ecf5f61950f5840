// Shared by the application tests: a small question bank written for a test, and reading
// single values from it.
#pragma once
#include <memory>
#include "app/dm.h"
#include "data/BankTestFiles.h"

// Writes the test bank (two subjects, a chapter tree with one missing prefix, laws in two
// groups, questions linked to articles) into fileName, protected by password.
void WriteTestBank(const String& fileName, const String& password = kBankPassword);

// The first value of the first row of sql on cn (Null when there is none).
Variant SelectValue(TADOConnection& cn, const String& sql);
int SelectInt(TADOConnection& cn, const String& sql);
String SelectText(TADOConnection& cn, const String& sql);
