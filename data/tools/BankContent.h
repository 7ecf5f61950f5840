// The content of a question bank as the builder holds it before writing the database:
// question types, the chapter tree, laws and their articles, question groups and questions.
// Texts are plain text here (lines separated by '\n'); the writer turns them into RTF.
// Counters are not held: the writer counts them from the content.
#pragma once
#include <vector>
#include "classlib/system/SysString.h"

// How a type is answered, so that keys can be checked against the answer pads.
enum class TAnswerKind {
  Single,    // one option letter
  Multiple,  // two or more option letters in A-F order
  AnyOf,     // one or more option letters in A-F order
  Self       // self-assessed: the key is "1" (the user answers 会/不会)
};

struct TBankType {
  int Code = 0;             // tab_tx.A1
  String Name;              // B1
  int ExamCount = 0;        // B2: questions of the type in a mock exam, 0 when none
  int Points = 0;           // B3
  double Minutes = 1.0;     // time: answer time per question
  TAnswerKind Kind = TAnswerKind::Single;
};

struct TBankChapter {
  String Code;     // one character for a subject, more for a chapter; leaves have six
  String Name;
  String Guide;    // guidance text; empty when none
};

struct TBankLaw {
  String Id;       // one character for a law group, four for a law
  String Name;
};

struct TBankArticle {
  String Id;       // ftid: up to nine characters, the first four are its law's id
  String Number;   // sn
  String Text;
};

struct TBankGroup {
  String Id;       // kGroupIdLength characters
  String Stem;
  String Voice;    // listening script of the group's passage; empty when none
};

struct TBankQuestion {
  String Id;                       // up to 20 characters
  String Chapter;                  // a leaf chapter
  int Type = 0;
  String Stem;
  String Key;
  int OptionCount = 0;             // a2_1
  String Explanation;
  std::vector<String> Articles;    // k3.. in order, at most ten
  String Voice;                    // listening script of the question; empty when none
  int Order = 0;                   // xx
};

struct TBankPlan {
  int Mark = 0;            // 0 by answers a day, 1 by minutes a day
  int Amount = 50;
  int Minutes = 60;
  double ExamDate = 0;     // TDateTime; 0 leaves the column empty
};

struct TBankContent {
  std::vector<TBankType> Types;
  std::vector<TBankChapter> Chapters;   // in display order, parents before children
  std::vector<TBankLaw> Laws;           // in display order, groups before their laws
  std::vector<TBankArticle> Articles;
  std::vector<TBankGroup> Groups;
  std::vector<TBankQuestion> Questions;
  TBankPlan Plan;
};
