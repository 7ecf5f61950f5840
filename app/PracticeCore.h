// The answering core shared by the practice, law-article practice and mock-exam windows:
// the answer pads (reading an answer from a page and restoring a page from a stored
// answer), judging and the right/wrong balance, the law-point lists, paging through the
// question set in groups of twenty, the keys of the answer pads, the time limit, voiding,
// the answer panel's slide, and saving one answer with all its bookkeeping as one
// transaction.
//
// Everything here but SaveAnswerRow works without a window or a database, so that the
// windows differ only by their data sets, their texts and which buttons they have. A window
// describes its answer pad as a TAnswerPad (the state of its option buttons, edit and combo
// box) and sets its controls from the TAnswerPad that RestoreAnswer gives back.
//
// Not done yet: the group passage of question groups is the window's own business.
#pragma once
#include <vector>
#include "classlib/system/SysDate.h"
#include "classlib/system/SysString.h"

class TADOConnection;
class TDataSet;
class TDM1;

// ---- Answer pages ---------------------------------------------------------------------------

// The six pages of the answer notebook, by page index.
enum TAnswerPage : int {
  apSingle = 0,     // 单选: one of the option buttons A..F
  apMultiple = 1,   // 多选: any of the option buttons A..F
  apFill = 2,       // 填空: an edit
  apTrueFalse = 3,  // 判断: 对 (A) or 错 (B)
  apSelf = 4,       // 主观: 不会 (0) or 会 (1), the key is never shown
  apMatch = 5,      // 配伍: as 单选
};
constexpr int kAnswerPages = 6;
constexpr int kOptionButtons = 6;

// The grades of the self-assessment page. The practice and exam windows offer 不会 (0) and
// 会 (1); the law-article practice offers 不会 (0), 了解 (1) and 熟悉 (2), where 了解 and 熟悉
// both count as knowing the question (whose key is "1").
enum class TSelfGrades { Two, Three };
// True when answer counts as right against key. With three grades, an answer read on the
// self-assessment page (selfPage) is right when it is "1" or "2" and the key is "1";
// everything else is compared literally.
bool IsRightAnswer(const String& answer, const String& key, TSelfGrades grades = TSelfGrades::Two,
                   bool selfPage = false);
// True when grades are three and a question of typeCode is answered on the self page.
bool GradesThreeOnSelfPage(TSelfGrades grades, int typeCode);

// The page a question of typeCode is answered on: the page of AnswerPageOfType, or
// currentPage (the page already shown) for a type that has none. Never 99.
int ShownAnswerPage(int typeCode, int currentPage);
// What an answer page asks the student for, shown as the hint of the answer pages; empty
// outside the six pages.
String AnswerPageHint(int page);

// What an answer pad shows, as the window's controls hold it.
struct TAnswerPad {
  int Page = apSelf;                    // the page on screen
  int OptionCount = 0;                  // options of the question (A2_1), 0..6
  bool Visible[kOptionButtons] = {};    // option buttons shown (pages 0, 1 and 5)
  bool Down[kOptionButtons] = {};       // option buttons pressed; on page 3, 对 and 错
  String Text;                          // the fill-in edit (page 2)
  int ItemIndex = -1;                   // the self-assessment item (page 4), -1 for none
  TSelfGrades Grades = TSelfGrades::Two;  // the items page 4 offers
};

// The answer string of a pad: on pages 0 and 5 the caption of the first visible pressed
// option among the first OptionCount, on page 1 all of them in A..F order, on page 2 the
// trimmed text, on page 3 "A" for 对 and "B" for 错, on page 4 the item index ("0", "1",
// and "2" with three grades).
// Empty when nothing is chosen.
String ReadAnswer(const TAnswerPad& pad);
// The pad of a page showing the stored answer of a question with optionCount options.
// A void marker or an answer that fits nothing on the page gives an empty pad.
TAnswerPad RestoreAnswer(int page, int optionCount, const String& stored,
                         TSelfGrades grades = TSelfGrades::Two);
// The answer as the answer panel shows it: pages 0, 1 and 5 as ReadAnswer, page 3 "对" or
// "错", other pages empty.
String ShownAnswer(const TAnswerPad& pad);
// The key as the answer panel shows it: on page 3 "A" reads "对" and "B" reads "错".
String ShownKey(int page, const String& key);

// The command buttons that follow the answer of the question on display.
struct TAnswerButtons {
  bool Explanation = false;  // 解析: answered, and the text row has an explanation
  bool LinkedRules = false;  // 考点: answered, and k3 is not blank
  bool Key = false;          // 答案: answered, and the type is not self-assessed
  bool HasNote = false;      // the notes button reads "有内容" instead of "笔记"
};
// practiceAnswer: E2_1; hasExplanation: jx is not null; firstRule: k3; note: A14.
TAnswerButtons AnswerButtonsOf(const String& practiceAnswer, bool hasExplanation, const String& firstRule,
                               int typeCode, const String& note);
// The verdict the answer panel shows for an answer read from the pad (selfPage and grades
// as IsRightAnswer).
String VerdictText(const String& answer, const String& key, TSelfGrades grades = TSelfGrades::Two,
                   bool selfPage = false);

// ---- Judging ------------------------------------------------------------------------------

// Written into e2 when a question that was never answered is voided.
extern const wchar_t kVoidMarker[];
// True when e2 holds no answer: empty, or only the void marker.
bool IsNeverAnswered(const String& lastAnswer);

// A question's answering history, as its row of tab_answ holds it.
struct TAnswerHistory {
  String Key;             // A2
  String LastAnswer;      // E2, the last answer ever (or the void marker)
  String PracticeAnswer;  // E2_1, the answer of the running practice
  int Answers = 0;        // E3
  int Balance = 0;        // E4, below 0: in the wrong-answer set
  TDateTime LastDate = 0; // E1, 0 when never answered
};

// How one answer counts. The flags are the study records' (1 yes/right, 2 no/wrong).
struct TJudgement {
  bool Counts = false;  // false: empty, or the answer already saved in this practice
  bool Right = false;
  int TodayFlag = 2;    // 1: the question was answered today already
  int Result = 2;       // this answer
  int Previous = 2;     // the last answer before this one
  int First = 2;        // 1: answered before; 2: first answer ever
  int Balance = 0;      // the new E4
  int Answers = 0;      // the new E3
};
// Judges answer against the history on the day today (only the date parts compare).
// A first answer sets the balance to 0 when right and −3 when wrong; later right answers
// raise a negative balance by one, later wrong ones lower it by one. selfPage and grades
// as IsRightAnswer.
TJudgement JudgeAnswer(const TAnswerHistory& history, const String& answer, TDateTime today,
                       TSelfGrades grades = TSelfGrades::Two, bool selfPage = false);

// ---- Law points ---------------------------------------------------------------------------

// 'id' with inner quotes doubled.
String SqlQuoted(const String& text);
// "('a','b')": the items quoted and joined; "()" for none.
String SqlInList(const std::vector<String>& items);

// The linked articles of a question (k3..k12) as the law-article counters take them.
struct TRuleLists {
  std::vector<String> Articles;  // the ids, up to the first empty column
  String ArticleList;            // the quoted article ids
  String LawList;                // their first four characters
  String GroupList;              // their first characters
  bool IsEmpty() const { return Articles.empty(); }
};
// linked: the values of k3..k12 in order (null read as empty). Stops at the first empty
// value, as the counters have always been kept.
TRuleLists RuleListsOf(const std::vector<String>& linked);
// Every linked id that is not empty, in column order (the linked-articles window lists
// them all, skipping empty columns).
std::vector<String> LinkedRuleIds(const std::vector<String>& linked);

// One article linked to a question, as the linked-articles window lists it.
struct TLinkedArticle {
  String ArticleId;  // tab_rule.ftid
  String LawId;      // tab_rule.id, the law the article belongs to
  String Number;     // tab_rule.sn, the article's number as listed
  String LawTitle;   // tab_fgmc.n of LawId, the title shown above the article
};
// The articles linked to the question questionId (k3..k12, empty columns skipped) that the
// bank has, in the order of the question's columns, each with its own law's title. Empty
// when the question has none or does not exist.
std::vector<TLinkedArticle> LinkedArticlesOf(TADOConnection& cn, const String& questionId);

// ---- Group paging -------------------------------------------------------------------------

constexpr int kGroupSize = 20;

// One group of the question pad.
struct TQuestionGroup {
  int Total = 0;   // questions in the (filtered) set
  int Groups = 0;  // groups of at most twenty
  int Group = 0;   // the group shown, 1-based; 0 when the set is empty
  int Start = 0;   // record number of its first question
  int Count = 0;   // its questions, 0..20
  int End() const { return Start + Count - 1; }
  bool HasPrevious() const { return Group > 1; }
  bool HasNext() const { return Group < Groups; }
  // The record number a pad button stands for, 0 for none.
  int RecordOfButton(int button) const;
  // The pad button of a record number, -1 when it is not in this group.
  int ButtonOfRecord(int recNo) const;
};
// The group numbered group (clamped to 1..groups) of a set of total questions.
TQuestionGroup QuestionGroupOf(int total, int group);
// The group holding record recNo.
TQuestionGroup QuestionGroupOfRecord(int total, int recNo);

// ---- Keys ---------------------------------------------------------------------------------

enum class TKeyActionKind { None, PressOption, ToggleOption, Previous, Next };
struct TKeyAction {
  TKeyActionKind Kind = TKeyActionKind::None;
  int Option = -1;  // the option button for PressOption and ToggleOption
};
// What the window needs to know to act on a key.
struct TKeyContext {
  int Page = apSelf;
  bool OptionUsable[kOptionButtons] = {};  // option button visible and enabled
  bool PreviousEnabled = false;
  bool NextEnabled = false;
  bool ModifierDown = false;  // Windows key, Ctrl or Alt held
  bool Typing = false;        // the focus is in a control that takes typed text
};
// Keys A..F press (page 0) or toggle (page 1) a usable option, back-space goes to the
// previous question and Enter to the next while their buttons are enabled. Nothing on the
// other pages, and nothing at all while a modifier is held or the keys are being typed.
TKeyAction KeyActionOf(const TKeyContext& context, unsigned key);

// ---- Time limit, voiding, the answer panel ---------------------------------------------------

// The gauge's tick interval in ms of a question type: the time of the first entry of
// typeIds holding typeCode, else 600 (one minute for 100 ticks). 0 means no time limit.
int AnswerInterval(int typeCode, const std::vector<int>& typeIds, const std::vector<int>& typeTimes);

// f1 and e2 of a question after voiding or restoring it.
struct TVoidMarks {
  int Voided = 0;     // f1
  String LastAnswer;  // e2
};
// Voiding keeps the last answer; only an empty one gets the void marker.
TVoidMarks VoidMarksOf(const String& lastAnswer);
// Restoring clears the void marker and keeps a real answer.
TVoidMarks RestoreMarksOf(const String& lastAnswer);

// The widths the answer panel takes when sliding from width to target: steps of 20, 40,
// 60, … pixels, ending at target. At most 64 steps (the last jumps to target).
std::vector<int> SlideWidths(int width, int target);

// ---- Saving -------------------------------------------------------------------------------

enum class TSaveResult { Empty, Unchanged, Right, Wrong };
// Saves answer into the current row of set (columns of tab_answ) with its bookkeeping in
// the study log, the chapter counters and the law-article counters of dm, all in one
// transaction of dm's connection. An empty answer only clears the practice answer (E2_1);
// the answer already saved in this practice changes nothing. On failure every write is
// undone, the records' tables are closed so that they read the bank again, and the error
// propagates. With three grades, a question whose type (A13) is answered on the
// self-assessment page is judged as IsRightAnswer says.
TSaveResult SaveAnswerRow(TDM1& dm, TDataSet* set, const String& answer, TSelfGrades grades = TSelfGrades::Two);
// Saves an answer of a mock exam as SaveAnswerRow does, but the paper's current row (paper)
// takes only the answer and its date, and gives the study records' flags: the answer
// counters (E3, E4) are judged from the history of the question's own row of the bank
// (bank, positioned on it) and written there, with the answer, in the same transaction.
// bank nullptr (the bank has no such row): no counters are written anywhere.
TSaveResult SaveExamAnswerRow(TDM1& dm, TDataSet* paper, TDataSet* bank, const String& answer);
// Records a time-out on the current row of set (CSBS "Y"); the question stays answerable.
void MarkTimedOut(TDataSet* set);
// Voids (f1 = 1) or restores (f1 = 0) the current row of set; returns the new f1.
int ToggleVoidRow(TDataSet* set);
