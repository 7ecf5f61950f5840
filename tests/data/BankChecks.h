// Consistency checks of a question bank, run on the shipped bank and on generated ones.
// Each check reads the bank through the program's data-access layer and returns the
// problems it found, one line each; an empty list means the bank passes.
#pragma once
#include <vector>
#include "classlib/ado/ADODB.h"
#include "data/tools/BankWriter.h"

using TProblems = std::vector<String>;

// The rows of a query, each as its fields' values in column order.
std::vector<std::vector<Variant>> SelectRows(TADOConnection& cn, const String& sql);
// The first value of the first row (Null when there is none).
Variant SelectValue(TADOConnection& cn, const String& sql);

// Every question's chapter is a six-character leaf, every chapter extends an existing code,
// every leaf has a guidance text.
TProblems CheckChapters(TADOConnection& cn);
// Every linked article exists, linked articles are packed from k3 on, every article's law
// and every law's group exist.
TProblems CheckLinkedArticles(TADOConnection& cn);
// Every group member's group has a stem, every group stem has members.
TProblems CheckGroups(TADOConnection& cn);
// Every counter matches a recount; the user's state (answers, dates, log, records) is empty.
TProblems CheckCounters(TADOConnection& cn);
// Type codes used exist in the type table; keys fit the options; every question has a text.
TProblems CheckTypesAndKeys(TADOConnection& cn);
// The choice keys of every subject are spread over the options: no option is the key of more
// than half of its single-choice questions, none is left out of more than half of the
// multiple-choice keys' options, and none lies in every multiple-choice key.
TProblems CheckKeysSpread(TADOConnection& cn);
// Every rich-text value is RTF with a font table (宋体), code page 936 and Chinese text.
TProblems CheckRichText(TADOConnection& cn);
// Every question of the listening subject (chapter codes beginning with 7) has its own
// passage file and its group's (first 16 characters of its id), as MP3 files.
TProblems CheckListeningFiles(TADOConnection& cn, const String& voiceFolder);
// The mock exam of every subject can be drawn by its quotas from questions not voided.
TProblems CheckMockExamQuotas(TADOConnection& cn);

// A connection to fileName with password, opened for reading only.
std::unique_ptr<TADOConnection> OpenBank(const String& fileName, const String& password);
