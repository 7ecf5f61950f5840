// Writes a question bank database from its content: the schema, then every row, with the
// structural counters (questions per chapter and per law article) counted from the content
// and every user-state counter, date and log empty.
#pragma once
#include "BankContent.h"

// The connection string the program uses, on fileName with password.
String BankConnectionString(const String& fileName, const String& password);

// The statements of a script: each ends with ";" at the end of a line; lines starting with
// "--" are comments.
std::vector<String> SplitSqlScript(const String& script);

// The schema statements of the bank (data/schema.sql, built in).
std::vector<String> BankSchemaStatements();

// Writes content into a new bank file protected by password. The file appears only when it
// is complete: it is written beside fileName and then moved over it.
void WriteBank(const TBankContent& content, const String& fileName, const String& password);

// Writes the listening scripts of content into folder as UTF-8 files "@" + id + ".txt"
// (questions and groups that have one), after removing the folder's older "@*.txt" files.
void WriteVoiceScripts(const TBankContent& content, const String& folder);
