// The globals of the common unit (see Ucommon.h).
#include "Ucommon.h"

String PracticeSQL;
String AppPath;
String CurChapterCode;
bool NotesSaved = false;
bool MusicOn = false;
String MusicFile;
std::vector<int> TypeTimes;
std::vector<int> TypeIds;
int ConfigMode = 0;
bool ChooserShown = false;
int VolumeLevel = 10;
String ExamSubjectName;
int ExamSubjectNo = 0;
int SubjectNo = 0;
String ScreenMode;
String EditQuestionId;
int LawPointCount = 0;
int LawPointMode = 0;
String CurQuestionId;
