// The application's common unit: the globals the windows share. All are owned here and
// released when the program ends.
#pragma once
#include <vector>
#include <span>
#include "classlib/system/SysString.h"
#include "classlib/system/Win.h"

// SQL text of the practice set, built by the chooser or the law browser.
extern String PracticeSQL;
// The program directory with a trailing backslash (set by the data module's creation).
extern String AppPath;
// C1_1 of the current chapter row (kept by the data module's chapter data source).
extern String CurChapterCode;
// The notes window saved a note that is not empty.
extern bool NotesSaved;
// Background music switched on; true from the first showing of the menu.
extern bool MusicOn;
// Path of the background MIDI file.
extern String MusicFile;
// Per question type (row of tab_tx): answer time in minutes times 600, truncated.
extern std::vector<int> TypeTimes;
// Per question type: its code A1, parallel to TypeTimes.
extern std::vector<int> TypeIds;
// 0: the settings window shows the music page; 1: the answer-time page.
extern int ConfigMode;
// The chooser window is on screen.
extern bool ChooserShown;
// Wave volume level 1 to 16; 10 at start.
extern int VolumeLevel;
// Subject name and number (1 to 5) of the running mock exam.
extern String ExamSubjectName;
extern int ExamSubjectNo;
// Subject 1 to 5 chosen from the menu.
extern int SubjectNo;
// The screen layout the windows use: "800" (800 x 600) or "1024" (1024 x 768).
extern String ScreenMode;
// Id of the question handed to the edit window.
extern String EditQuestionId;
// Number of law points already listed, handed to the law-point picker.
extern int LawPointCount;
// 0 for the whole run; only at 1 do the entry and edit windows show their law-point controls.
extern int LawPointMode;
// Id (a1) of the first question of the loaded practice set.
extern String CurQuestionId;

// ---- Shared routines ----------------------------------------------------------------------

// The type codes answered on the self-assessment page, whose key the answering windows do
// not show: the bank's own 64, 65 and 69, and the demo bank's 20, 21 and 22.
inline constexpr int SelfAssessedTypes[] = {64, 65, 69, 20, 21, 22};
bool IsSelfAssessedType(int typeCode);

// The notebook page of a question type's answer pad: 0 single choice, 1 multiple choice,
// 4 self-assessed; 99 for a type without a pad. The demo bank's codes are mapped too
// (11 single, 14 multiple, 20 to 22 self-assessed).
int AnswerPageOfType(int typeCode);

// The answer time of a question type as the time-limit gauge counts it: minutes × 600,
// truncated, where a product that lies within a rounding error of a whole number counts
// as that number (0.7 minutes gives 420, not 419).
int AnswerTimeTicks(double minutes);

// Sets the wave volume of every wave-out device to level 1 (silent) to 16 (full); other
// levels are clamped.
void SetWaveVolume(int level);
// The wave-out volume of a level: (level - 1) × 0x1111 on both channels, level clamped.
DWORD WaveVolumeOfLevel(int level);

// True when tableName is the name of a paper table: "tab_exam" followed by digits only.
bool IsPaperTableName(const String& tableName);
// Drops the paper table tableName when the question bank has it, and deletes its row of
// the exam records (tab_cj, read again first). Anything but a paper table name is left
// alone; failures are swallowed.
void DropTableIfExists(const String& tableName);

// The application's message dialog (FrmDlg; Udlg.h): caption, text, button set (mode 0
// to 3), icon page (0 提示, 1 警告, 2 错误), caption style ("Exam" or other). Returns the
// pressed button's result, 1, 2 or 3. Goes to the responder when one is installed
// (Responders.h).
int ShowDlg(const String& caption, const String& text, int mode, int iconPage, const String& kind);

// A control's place on the 800 × 600 layout of a window: its name and bounds.
struct TControlPlace {
  const wchar_t* Name;
  int Left, Top, Width, Height;
};
class TComponent;
// Moves the window's controls named in places to their bounds; names it does not own, and
// components that are not controls, are skipped.
void PlaceNamedControls(TComponent* window, std::span<const TControlPlace> places);
