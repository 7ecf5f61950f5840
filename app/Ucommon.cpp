// The globals and shared routines of the common unit (see Ucommon.h).
#include "Ucommon.h"

#include <algorithm>
#include "classlib/ado/ADOX.h"
#include "classlib/classes/StringList.h"
#include "classlib/controls/Controls.h"
#include "classlib/system/SysMath.h"
#include "dm.h"

#include <mmsystem.h>  // after the windows headers it needs

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

// ---- Shared routines ----------------------------------------------------------------------


bool IsSelfAssessedType(int typeCode) {
  return std::find(std::begin(SelfAssessedTypes), std::end(SelfAssessedTypes), typeCode) !=
         std::end(SelfAssessedTypes);
}

int AnswerPageOfType(int typeCode) {
  switch (typeCode) {
    case 62:
    case 14: return 1;
    case 64:
    case 65:
    case 69:
    case 20:
    case 21:
    case 22: return 4;
    case 67:
    case 68:
    case 11: return 0;
    default: return 99;
  }
}

int AnswerTimeTicks(double minutes) {
  const double ticks = minutes * 600.0;
  // The stored minutes have one decimal, which a double cannot hold exactly: 0.7 × 600 is
  // 419.99999999999994. A product that close to a whole number is that number.
  const int64_t nearest = Round(ticks);
  if (std::abs(ticks - static_cast<double>(nearest)) < 1e-6) return static_cast<int>(nearest);
  return static_cast<int>(Trunc(ticks));
}

DWORD WaveVolumeOfLevel(int level) {
  const DWORD channel = static_cast<DWORD>(std::clamp(level, 1, 16) - 1) * 0x1111;
  return channel << 16 | channel;
}

void SetWaveVolume(int level) {
  const DWORD volume = WaveVolumeOfLevel(level);
  // Devices that do not exist refuse the call; that is expected and ignored.
  for (UINT device = 0; device < 16; ++device)
    ::waveOutSetVolume(reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(device)), volume);
}

bool IsPaperTableName(const String& tableName) {
  static const String prefix = L"tab_exam";
  if (tableName.size() <= prefix.size() || tableName.size() > prefix.size() + 9) return false;
  if (LowerCase(tableName.substr(0, prefix.size())) != prefix) return false;
  return std::all_of(tableName.begin() + prefix.size(), tableName.end(),
                     [](wchar_t ch) { return ch >= L'0' && ch <= L'9'; });
}

void DropTableIfExists(const String& tableName) {
  // Only a paper table may be dropped: a name from a damaged record could otherwise name
  // any table of the bank.
  if (!IsPaperTableName(tableName) || !DM1) return;
  try {
    TStringList tables;
    DM1->ADOCn1->GetTableNames(&tables, false);
    if (tables.IndexOf(tableName) < 0) return;
    TADOXCatalog catalog;
    catalog.SetActiveConnection(DM1->ADOCn1);
    catalog.DeleteTable(tableName);  // quotes the name
    TADOTable* records = DM1->Cn1Table_cj;
    if (records->GetActive())
      records->Requery();  // rows added since it was opened must be found too
    else
      records->Open();
    if (records->Locate(L"A1", Variant(tableName), TLocateOptions{loCaseInsensitive})) records->Delete();
  } catch (const Exception&) {
    // Nothing is reported: a table that cannot be dropped stays, and so does its record.
  }
}

void PlaceNamedControls(TComponent* window, std::span<const TControlPlace> places) {
  for (const TControlPlace& place : places)
    if (auto* control = dynamic_cast<TControl*>(window->FindComponent(place.Name)))
      control->SetBounds(place.Left, place.Top, place.Width, place.Height);
}
