// The question-entry unit: what the entry window TFrmInPut saves, as routines of their own
// (the window that calls them comes with the rich-text views it shows).
//
// A user-entered question's id is "U" + its option count (one digit) + its type code + its
// six-character chapter code + a four-digit serial counted over all user-entered questions.
#pragma once
#include <string>
#include <vector>
#include "classlib/ado/ADODB.h"
#include "classlib/system/SysString.h"

// One question as the entry window saves it.
struct TNewQuestion {
  String ChapterCode;                // C1 of a leaf chapter, six characters
  int OptionCount = 5;               // 1 to 7
  String TypeCode;                   // tab_tx.A1
  String Key;                        // trimmed before it is written
  std::string StemRtf;               // the stem's own rich text, written as it is
  std::string ExplanationRtf;        // empty: no explanation, jx is not written
  std::vector<String> LawPointIds;   // tab_rule.ftid of the linked points, at most 10
};

// The largest serial a user question may have.
inline constexpr int kMaxUserSerial = 9999;

// One more than the largest serial of the user questions: the numeric last four characters
// of ids beginning with "U"; ids of another form are skipped. 1 when there are none.
int NextUserSerial(TADOConnection& cn);
// "U" + options + type code + chapter + the serial in four digits.
String UserQuestionId(int optionCount, const String& typeCode, const String& chapterCode, int serial);
// The self-assessed types whose key is always "1": 简答, 综合 and 计算, with or without 题.
bool IsSelfAssessedTypeName(const String& typeName);
// Writes the question under id in one transaction on cn: its rows of tab_answ (f1 = 2) and
// tab_exer, the question counts of its chapter and of the chapter's 3- and 2-character
// ancestors, and of its law articles and their two law levels. On any error everything is
// rolled back and the error raised again.
void InsertUserQuestion(TADOConnection& cn, const TNewQuestion& question, const String& id);
