// The application's common unit: the globals the windows share. All are owned here and
// released when the program ends.
#pragma once
#include <vector>
#include "classlib/system/SysString.h"

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
