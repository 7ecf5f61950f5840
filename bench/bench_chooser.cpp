// Opening the subject and chapter chooser on a generated bank of 20,000 questions.
//
// Generates the bank in a temporary file, connects the data module to it with the study log
// open (as the menu leaves it), and times 20 × N runs of the first two and N runs (default 7)
// of the third:
//   data    the chooser's own statements through the data-access layer: the chapter table
//           opened in its index order and filtered, the totals query read, the grid's row
//           located; each run starts with the table and query closed;
//   sqlite  the same statements through SQLite's C interface: every column of every
//           chapter row copied out in bh order (texts converted to wide strings, as the
//           layer keeps them), the totals read, the row located; the rows are kept and
//           freed before the next run, untimed, as the layer's table is closed;
//   window  the whole window: made from its layout, shown (the data step above included)
//           and painted, until it is on the screen.
// The data and sqlite runs alternate (sqlite, data, sqlite, data …). Prints the best and the
// median of each, and the median of the pairs' ratios data / sqlite; exits non-zero when
// the data step's median adds more than a third to SQLite's or the window's median is 0.3 s
// or more. Needs a display (Xvfb serves).
// Usage: bench_chooser [runs]
#include <sqlite3.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include "BenchTiming.h"
#include "app/ProgramClasses.h"
#include "app/Ucommon.h"
#include "app/Ukmmc.h"
#include "app/dm.h"
#include "classlib/system/SysFiles.h"
#include "data/tools/LargeBank.h"

namespace {

constexpr int kQuestions = 20000;
constexpr int kDefaultRuns = 7;
constexpr int kMaxRuns = 100;

String TempBankName() {
  wchar_t path[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, path);
  return IncludeTrailingBackslash(path) + L"bench_chooser_" + IntToStr(int64_t(::GetCurrentProcessId())) + L".mdb";
}

void CloseChooserData() {
  DM1->Cn1Table_kmmc->Close();
  DM1->Cn1Query1->Close();
}

// The chooser's statements through the layer, as FormShow runs them.
void LayerStatements() {
  TADOTable* chapters = DM1->Cn1Table_kmmc;
  chapters->Open();
  chapters->First();
  chapters->SetFiltered(false);
  chapters->SetFilter(L"c1<>'xx'");
  chapters->SetFiltered(true);
  TADOQuery* query = DM1->Cn1Query1;
  query->GetSQL()->SetText(
      L"select sum(C3) as count_c3,sum(D1) as count_d1,sum(D2) as count_d2 from tab_kmmc where len(c1)>2");
  query->Open();
  volatile int sum = query->FieldByName(L"count_c3")->GetAsInteger() + query->FieldByName(L"count_d1")->GetAsInteger();
  (void)sum;
  chapters->Locate(L"C1", Variant(String(L"210102")), TLocateOptions{loCaseInsensitive});
}

// A copy of one column's value as the layer keeps it: texts as wide strings.
struct TCell {
  int Type;
  sqlite3_int64 Integer;
  double Real;
  std::wstring Text;
  std::string Bytes;
};

using TRows = std::vector<std::vector<TCell>>;

// The same work as LayerStatements: every chapter row copied out in bh order with its texts
// converted, the totals read, and the row of chapter 210102 located (case-insensitively). The
// rows stay in `rows`, as the layer's table keeps its rows until it is closed.
void DirectStatements(sqlite3* db, TRows& rows) {
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, "select * from tab_kmmc where c1 <> 'xx' order by bh", -1, &statement, nullptr);
  const int columns = sqlite3_column_count(statement);
  int chapterColumn = 0;
  for (int c = 0; c < columns; ++c)
    if (_stricmp(sqlite3_column_name(statement, c), "C1") == 0) chapterColumn = c;
  while (sqlite3_step(statement) == SQLITE_ROW) {
    std::vector<TCell> row(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c) {
      TCell& cell = row[static_cast<size_t>(c)];
      cell.Type = sqlite3_column_type(statement, c);
      if (cell.Type == SQLITE_INTEGER)
        cell.Integer = sqlite3_column_int64(statement, c);
      else if (cell.Type == SQLITE_FLOAT)
        cell.Real = sqlite3_column_double(statement, c);
      else if (cell.Type == SQLITE_TEXT)
        cell.Text.assign(static_cast<const wchar_t*>(sqlite3_column_text16(statement, c)),
                         static_cast<size_t>(sqlite3_column_bytes16(statement, c)) / 2);
      else if (cell.Type != SQLITE_NULL)
        cell.Bytes.assign(static_cast<const char*>(sqlite3_column_blob(statement, c)),
                          static_cast<size_t>(sqlite3_column_bytes(statement, c)));
    }
    rows.push_back(std::move(row));
  }
  sqlite3_finalize(statement);
  sqlite3_prepare_v2(db, "select sum(C3),sum(D1),sum(D2) from tab_kmmc where length(c1)>2", -1, &statement, nullptr);
  if (sqlite3_step(statement) == SQLITE_ROW) {
    volatile sqlite3_int64 sum = sqlite3_column_int64(statement, 0) + sqlite3_column_int64(statement, 1);
    (void)sum;
  }
  sqlite3_finalize(statement);
  volatile size_t located = rows.size();
  for (size_t i = 0; i < rows.size(); ++i)
    if (_wcsicmp(rows[i][static_cast<size_t>(chapterColumn)].Text.c_str(), L"210102") == 0) {
      located = i;
      break;
    }
  (void)located;
}

void PrintTiming(const char* name, const Timing& t) {
  std::printf("%-8s best %9.3f ms  median %9.3f ms\n", name, t.Best, t.Median);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, kMaxRuns) : kDefaultRuns;
  const String bank = TempBankName();
  int result = 0;
  try {
    Application->Initialize();
    RegisterLayoutClasses();
    GenerateLargeBank(bank, kQuestions);
    DM1 = new TDM1(nullptr);
    DM1->ADOCn1->SetConnectionString(DbConnectionString(bank, kBankPassword));
    DM1->ADOCn1->SetConnected(true);
    ScreenMode = L"1024";

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(StringToUtf8(bank).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      std::fprintf(stderr, "the bank could not be opened directly\n");
      return 2;
    }
    // The menu leaves the study log open (its 24-hour check), so the connection stays open
    // while the chooser's table and query close and open.
    DM1->LocateToday();
    TRows rows;
    const auto freeRows = [&rows] { TRows().swap(rows); };
    LayerStatements();  // warms both up
    CloseChooserData();
    DirectStatements(db, rows);
    freeRows();

    // Each side frees what the run before read (the table closed, the rows freed) untimed.
    const Paired statements = MeasurePairs(runs * 20, freeRows, [&] { DirectStatements(db, rows); },
                                           CloseChooserData, LayerStatements);
    freeRows();
    const Timing& data = statements.B;
    const Timing& direct = statements.A;
    CloseChooserData();
    const Timing window = Measure(
        runs,
        [] {
          delete std::exchange(Frmkmmc, nullptr);
          CloseChooserData();
        },
        [] {
          Frmkmmc = TCustomForm::Create<TFrmkmmc>(Application);
          Frmkmmc->Show();
          ::UpdateWindow(Frmkmmc->GetHandle());
          ::GdiFlush();
        });
    delete std::exchange(Frmkmmc, nullptr);
    sqlite3_close(db);

    std::printf("chooser on %d questions, %s, %d runs\n", kQuestions, BuildKind(), runs);
    PrintTiming("data", data);
    PrintTiming("sqlite", direct);
    PrintTiming("window", window);
    const double ratio = statements.Ratio;
    std::printf("data / sqlite, in turns: median of the pairs %.2f\n", ratio);
    if (ratio > 4.0 / 3.0) result = 1;
    if (window.Median >= 300.0) result = 1;
  } catch (const Exception& e) {
    std::fprintf(stderr, "failed: %s\n", StringToUtf8(e.Message()).c_str());
    result = 2;
  }
  delete std::exchange(DM1, nullptr);
  ::DeleteFileW(bank.c_str());
  return result;
}
