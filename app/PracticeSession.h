// The question set of an answering window and the moves through it: loading the set, the
// type filter, the group of twenty on the pad, the question on display (by its record
// number), saving its answer before another is shown, the pad marks, voiding, and ending
// the practice. The window owns the controls; it hands the session the answer it read from
// its pad (ReadAnswer) and draws what the session says.
//
// The practice window uses it on DM1->Cn1Query_tm; the law-article practice and the mock
// exam use it on their own sets, with their own SQL.
#pragma once
#include "app/PracticeCore.h"

class TADOQuery;
class TDM1;

// What a pad button shows for a question of the running practice.
enum class TPadMark { Unanswered, Right, Wrong };
// Unanswered while practiceAnswer is empty, Right when it counts as right against key
// (IsRightAnswer), else Wrong.
TPadMark PadMarkOf(const String& practiceAnswer, const String& key, TSelfGrades grades = TSelfGrades::Two,
                   bool selfPage = false);

class TPracticeSession {
 public:
  // dm: whose connection and records the session uses; set: the practice set (not owned).
  TPracticeSession(TDM1& dm, TADOQuery* set);

  // Clears the practice answer (E2_1) of every question and opens the set on sql; false
  // when the set has no rows. Nothing is on display afterwards.
  bool Load(const String& sql);
  // True when the set holds questions of the type (0: any).
  bool HasType(int typeCode);
  // Shows only the questions of the type (0: all) and the first group; false, with the
  // filter and the display as they were, when the type has no questions.
  bool ApplyType(int typeCode);
  int GetType() const { return FType; }
  // The grades of the self-assessment page used to judge and mark (two by default).
  void SetSelfGrades(TSelfGrades grades) { FGrades = grades; }

  int Total() const;                                  // questions under the filter
  const TQuestionGroup& GetGroup() const { return FGroup; }
  int GetCurrent() const { return FCurrent; }         // record number on display, 0 none

  // Shows the first question of the group (clamped to the groups there are).
  void ShowGroup(int group);
  // Shows the question recNo (1..Total), drawing the group that holds it; false when out
  // of range.
  bool Show(int recNo);
  // The record before and after the current one, 0 when there is none.
  int PreviousRecord() const { return FCurrent > 1 ? FCurrent - 1 : 0; }
  int NextRecord() const { return FCurrent > 0 && FCurrent < Total() ? FCurrent + 1 : 0; }

  // Saves answer for the question on display (nothing on display: Empty).
  TSaveResult SaveCurrent(const String& answer);
  // The mark of a record of the set (the set stays on the current record).
  TPadMark MarkOf(int recNo);
  // Voids or restores the question on display; its new f1 (0 when nothing is on display).
  int ToggleVoid();

  // Ends the practice: saves answer for the question on display, adds elapsed (h:mm:ss) to
  // the study records, closes the sets of the practice. Never raises: an error goes to
  // Application->HandleException and the rest still runs.
  void Finish(const String& answer, const String& elapsed);

 private:
  void MoveTo(int recNo);

  TDM1& FDm;
  TADOQuery* FSet;         // the practice set
  int FType = 0;           // the type filter, 0: none
  int FCurrent = 0;        // record number on display
  TQuestionGroup FGroup;   // the group on the pad
  TSelfGrades FGrades = TSelfGrades::Two;
};
