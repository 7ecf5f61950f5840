// The paper of a mock exam: a table of its own in the question bank ("tab_exam" followed by
// a number) that holds the questions drawn for one exam with their answers. TExamPaper keeps
// the paper's identity (table, title, mode, score, elapsed time), draws a new paper at
// random from the question table, a fixed number of questions per question type of the
// exam's subject, and opens the paper on the data module's Cn1Query_exam.
//
// The exam window owns one per paper; the start of a mock exam and the records window set
// it up. Every routine works on the data module DM1.
#pragma once
#include <cstdint>
#include <random>
#include <vector>
#include "classlib/system/SysString.h"

// The subject's name shown in the exam's title ("大学英语四级·听力" for 1, ...); empty
// outside 1 to 5.
String ExamSubjectNameOf(int subject);
// The first character of the chapter codes a subject's questions have ("7" for subject 1,
// "2" to "5" for the others); empty outside 1 to 5.
String ExamCategoryPrefix(int subject);
// How many questions of a type a paper of the subject holds; 0 for a type not in its exam.
int ExamTypeQuota(int subject, int typeCode);
// The CREATE TABLE statement of a paper table.
String PaperTableStatement(const String& paperTable);
// The number after "tab_exam" in a paper table name; -1 when the name does not end so.
int64_t PaperTableNumber(const String& paperTable);

class TExamPaper {
 public:
  // The paper's state.
  String PaperTable;            // "tab_exam" + number; also A1 of its row of tab_cj
  String Title;                 // A3 of its row of tab_cj
  String Elapsed = L"0:00:00";  // time used, h:mm:ss
  double Score = 0;
  String Mode = L"new";         // "new" while the paper is sat, "old" while it is reviewed
  bool LowScore = false;        // graded below 50: the paper goes when its review closes
  bool Resumed = false;         // sat again after it was left without hand-in: its answers stay

  // Stores the five values; for a new paper draws its questions into the paper table
  // (seeding the random generator once). False, after "没有发现题目！", when the subject has
  // no question, after "无法打开试卷！" when nothing could be drawn, and after "提取数据时发生错误！" when drawing
  // failed; the caller then drops the paper.
  bool Setup(const String& paperTable, const String& title, const String& elapsed, double score,
             const String& mode);
  // Sets up a paper that was left without hand-in to be sat again (Mode "new", the clock
  // from zero, its stored answers kept) and opens the bank's rows of its questions on
  // Cn1Query_tm, where answers are counted. Nothing is drawn.
  void Resume(const String& paperTable, const String& title);
  // Draws the type's quota for the subject and copies the drawn questions into the paper.
  void AddTypeQuota(int subject, const String& paperTable, int typeCode);
  // Draws min(quota, eligible) distinct questions of the type from the pool, whose chapter
  // code starts with prefix and which are not voided. Result: the SQL condition
  // a.A1='id' or a.A1='id' ... over the drawn ids (quoted), empty when none was drawn.
  String PickRandom(int typeCode, int quota, const String& prefix);
  // Copies the listed questions, with their explanations, into the paper table.
  void InsertQuestions(const String& paperTable, const String& idList);
  // Opens the paper on Cn1Query_exam (a new paper's answers cleared first, not a resumed
  // one's), by type code and
  // id. False, after "无法打开试卷！", when it cannot be opened or holds no question.
  bool OpenPaper();

  // The paper's questions without an answer (E2_1 empty or null), and all its questions.
  int CountUnanswered();
  int CountQuestions();
  // Grades the paper handed in after elapsed: every question whose answer equals its key
  // scores the points of its type, no partial credit. The score and the time go into the
  // paper's record; then the paper is in review (Mode "old", LowScore below 50). Errors
  // propagate with the paper's state unchanged.
  double Grade(const String& elapsed);

  // Voids (f1 = 1) or restores (f1 = 0) the paper's current question under review, in the
  // paper and in the bank alike, each row's last answer kept or marked as voiding does in
  // practice. Returns the new f1; -1 when the paper is not open or has no question.
  int ToggleQuestionVoid();

  // Copies the note (A14) of the paper's current question to the question's row of the bank,
  // so that it outlives the paper. False when no paper is open or the bank has no such row.
  bool CopyNoteToBank();

  // The ids drawn by the last PickRandom, in drawing order (for tests and the window).
  const std::vector<String>& LastPicks() const { return FLastPicks; }
  // Seeds the generator (Setup seeds it from the clock).
  void Seed(uint32_t seed) { FRandom.seed(seed); }

 private:
  std::mt19937 FRandom{5489u};
  std::vector<String> FLastPicks;
};

// Prepares the paper of a new mock exam of subject 1 to 5 on DM1: sets ExamSubjectNo and
// ExamSubjectName, drops a stale table of the new paper's name, appends the record row to
// tab_cj (title with date and sequence), creates the paper table and draws the paper into
// paper, then opens it. False when the exam cannot start; what went wrong has been told
// and nothing of the paper is left behind (except after "建立数据表时发生错误！", which asks
// the program to end as it cannot go on).
bool PrepareMockExam(int subject, TExamPaper& paper);
// Sets "Jet OLEDB:Allow Zero Length" on the paper table's columns A2, A14, E2, E2_1 and
// csbs, through a catalog on connectionString. Errors go to the caller.
void AllowZeroLength(const String& tableName, const String& connectionString);
// Drops a paper: closes the exam's data sets when they are on it, then drops its table and
// its record (DropTableIfExists).
void DropPaper(const String& paperTable);
