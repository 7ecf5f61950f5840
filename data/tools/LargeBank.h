// Large question banks for tests and benchmarks: the program's five subjects and question
// types, a chapter tree of 20 leaves per subject, four law groups of five laws with ten
// articles each, and any number of generated questions with Chinese rich-text stems, some of
// them in groups and some linked to law articles, over the schema of the shipped bank.
#pragma once
#include "BankContent.h"
#include "data/BankSchema.h"

// The content of a bank of count questions (group members included). The same count
// always gives the same content.
TBankContent MakeLargeBankContent(int count);

// Writes such a bank to fileName (replacing it), protected by password.
void GenerateLargeBank(const String& fileName, int count, const String& password = kBankPassword);
