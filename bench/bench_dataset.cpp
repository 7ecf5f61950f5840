// Cost of the data-access layer over SQLite's own C interface, on the practice set.
//
// Makes a question table of 20,000 rows (the columns of the program's tab_answ) in a
// temporary database file, then times three pieces of work, each once through the layer
// (TADOConnection, TADOQuery, fields) and once through the SQLite C interface directly:
//   open  the practice-set query of the program with its ORDER BY, all 20,000 rows read into
//         memory (the layer's static cursor; directly: every column of every row copied into
//         a vector of rows);
//   walk  from the first row to the last, reading five fields of each: two numbers and three
//         texts, each text as a String of its own as AsString gives it (the direct walk
//         looking at the texts in place is printed as well);
//   save  1,000 answers: the layer through Edit and Post on the open query, directly through
//         one prepared UPDATE ... WHERE rowid = ?; each answer is its own transaction, as
//         the program saves them.
// Both sides keep one connection open for the whole benchmark, warmed by an untimed run of
// each. Each run times both sides one after the other, the two taking turns at going first
// (the layer in the first run, SQLite in the second …), so that neither side always meets the
// disk's flushes or the caches as the other left them. Before its side's run each connection
// marks every question unanswered itself: a write through the other connection would empty
// this one's page cache, and its open would read the table again. Prints each side's best and
// median of N runs (default 7) of each piece and the median of the runs' ratios layer / direct.
// Give an odd number of runs: the median of an even number is the higher of the middle two,
// which one disturbed run decides.
// Usage: bench_dataset [runs]
#include <sqlite3.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include "BenchTiming.h"
#include "classlib/ado/ADODB.h"
#include "classlib/ado/ADOX.h"
#include "classlib/ado/JetDates.h"
#include "classlib/system/SysFiles.h"
#include "classlib/system/Win.h"

namespace {

constexpr int kRows = 20000;
constexpr int kAnswers = 1000;
constexpr int kDefaultRuns = 7;
constexpr int kMaxRuns = 100;

const wchar_t kColumns[] =
    L"a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,f1,xx,csbs,ecount";

// The new-question practice set of the program, as its text stands.
const String kPracticeSql = String(L"select ") + kColumns +
                            L" from tab_answ where (left(A10,1) = '7') and (E2 = '' or E2 is null) "
                            L" and (f1<>1)  order by a13,a10,a1,xx";
// The same rows through SQLite's own functions.
const String kDirectSql = String(L"select ") + kColumns +
                          L" from tab_answ where (substr(A10,1,1) = '7' COLLATE NOCASE) and "
                          L"(E2 = '' or E2 is null) and (f1<>1) order by a13,a10,a1,xx";

String TempDatabaseName() {
  wchar_t path[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, path);
  return IncludeTrailingBackslash(path) + L"bench_dataset_" +
         IntToStr(int64_t(GetCurrentProcessId())) + L".mdb";
}

void MakeQuestionTable(TADOConnection& connection) {
  connection.Execute(
      L"CREATE TABLE tab_answ (a1 TEXT(20) NOT NULL PRIMARY KEY, a2 TEXT(100), a2_1 SMALLINT, "
      L"k3 TEXT(9), k4 TEXT(9), k5 TEXT(9), k6 TEXT(9), k7 TEXT(9), k8 TEXT(9), k9 TEXT(9), "
      L"k10 TEXT(9), k11 TEXT(9), k12 TEXT(9), a10 TEXT(6), a13 SMALLINT, a14 MEMO, e1 DATETIME, "
      L"e2 TEXT(100), e2_1 TEXT(100), e3 SMALLINT NOT NULL DEFAULT 0, e4 SMALLINT NOT NULL DEFAULT 0, "
      L"f1 SMALLINT NOT NULL DEFAULT 0, xx LONG, csbs TEXT(2), ecount LONG NOT NULL DEFAULT 0)");
  TADOQuery insert(nullptr);
  insert.SetConnection(&connection);
  insert.GetSQL()->SetText(
      L"insert into tab_answ (a1,a2,a2_1,k3,k4,a10,a13,a14,e2,xx) "
      L"values (:a1,:a2,4,:k3,:k4,:a10,:a13,'',NULL,:xx)");
  insert.SetPrepared(true);
  connection.BeginTrans();
  uint32_t seed = 12345;
  for (int i = 0; i < kRows; ++i) {
    seed = seed * 1103515245u + 12345u;
    wchar_t chapter[8];
    swprintf(chapter, 8, L"7A%02u%02u", (seed >> 8) % 20, (seed >> 16) % 30);
    wchar_t id[24];
    swprintf(id, 24, L"%ls-%05d", chapter, i);
    TParameters* p = insert.GetParameters();
    p->ParamByName(L"a1")->SetValue(Variant(String(id)));
    p->ParamByName(L"a2")->SetValue(Variant(String(1, wchar_t(L'A' + seed % 4))));
    p->ParamByName(L"k3")->SetValue(Variant(L"00010001"));
    p->ParamByName(L"k4")->SetValue(i % 3 ? Variant::Null() : Variant(L"00020003"));
    p->ParamByName(L"a10")->SetValue(Variant(String(chapter)));
    p->ParamByName(L"a13")->SetValue(Variant(int(61 + seed % 8)));
    p->ParamByName(L"xx")->SetValue(Variant(int(seed % 1000)));
    insert.ExecSQL();
  }
  connection.CommitTrans();
}

// ---- Through the layer --------------------------------------------------------------------

struct TLayerTimes {
  double Open = 0, Walk = 0, Save = 0;
  double WalkInPlace = 0;  // direct only: the walk looking at texts where they are stored
};

TLayerTimes RunLayer(TADOConnection& connection, int& checksum) {
  TLayerTimes times;
  TADOQuery query(nullptr);
  query.SetConnection(&connection);
  query.GetSQL()->SetText(kPracticeSql);
  times.Open = TimeOnce([&] { query.Open(); });
  if (query.GetRecordCount() != kRows) {
    std::fprintf(stderr, "the practice set has %d rows, not %d\n", query.GetRecordCount(), kRows);
    std::exit(1);
  }
  times.Walk = TimeOnce([&] {
    TField* a1 = query.FieldByName(L"a1");
    TField* a2 = query.FieldByName(L"a2");
    TField* a13 = query.FieldByName(L"a13");
    TField* e3 = query.FieldByName(L"e3");
    TField* a10 = query.FieldByName(L"a10");
    query.First();
    while (!query.GetEof()) {
      checksum += int(a1->GetAsString().size() + a2->GetAsString().size() + a10->GetAsString().size()) +
                  a13->GetAsInteger() + e3->GetAsInteger();
      query.Next();
    }
  });
  times.Save = TimeOnce([&] {
    TField* e1 = query.FieldByName(L"e1");
    TField* e2 = query.FieldByName(L"e2");
    TField* e21 = query.FieldByName(L"e2_1");
    TField* e3 = query.FieldByName(L"e3");
    TDateTime today = Date();
    for (int i = 0; i < kAnswers; ++i) {
      query.SetRecNo(1 + i * (kRows / kAnswers));
      query.Edit();
      e21->SetAsString(L"B");
      e2->SetAsString(L"B");
      e1->SetAsDateTime(today);
      e3->SetAsInteger(e3->GetAsInteger() + 1);
      query.Post();
    }
  });
  return times;
}

// ---- Directly through SQLite ------------------------------------------------------------------

// A row as a static cursor keeps it: every column's value, text as UTF-16.
struct TDirectValue {
  int Type = SQLITE_NULL;
  int64_t Integer = 0;
  double Real = 0;
  std::wstring Text;
};
using TDirectRow = std::vector<TDirectValue>;

void Check(int rc, sqlite3* db) {
  if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) {
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    std::exit(1);
  }
}

// On a connection opened once and kept, as the layer's is.
TLayerTimes RunDirect(sqlite3* db, int& checksum) {
  TLayerTimes times;
  std::vector<TDirectRow> rows;

  std::vector<int64_t> rowIds;
  times.Open = TimeOnce([&] {
    String sql = kDirectSql;
    sql.insert(sql.find(L" from "), L", rowid");
    sqlite3_stmt* select = nullptr;
    Check(sqlite3_prepare16_v2(db, sql.c_str(), -1, &select, nullptr), db);
    int columns = sqlite3_column_count(select) - 1;
    int rc;
    while ((rc = sqlite3_step(select)) == SQLITE_ROW) {
      TDirectRow row(static_cast<size_t>(columns));
      for (int c = 0; c < columns; ++c) {
        TDirectValue& v = row[size_t(c)];
        v.Type = sqlite3_column_type(select, c);
        if (v.Type == SQLITE_INTEGER) v.Integer = sqlite3_column_int64(select, c);
        else if (v.Type == SQLITE_FLOAT) v.Real = sqlite3_column_double(select, c);
        else if (v.Type != SQLITE_NULL)
          v.Text.assign(static_cast<const wchar_t*>(sqlite3_column_text16(select, c)),
                        size_t(sqlite3_column_bytes16(select, c)) / 2);
      }
      rows.push_back(std::move(row));
      rowIds.push_back(sqlite3_column_int64(select, columns));
    }
    Check(rc, db);
    sqlite3_finalize(select);
  });
  // A field read hands the program a String of its own, as AsString does: the texts are
  // copied out of the stored rows.
  times.Walk = TimeOnce([&] {
    for (const TDirectRow& row : rows) {
      String a1 = row[0].Text, a2 = row[1].Text, a10 = row[13].Text;
      checksum += int(a1.size() + a2.size() + a10.size()) + int(row[14].Integer) +
                  int(row[19].Integer);
    }
  });
  times.WalkInPlace = TimeOnce([&] {
    for (const TDirectRow& row : rows)
      checksum += int(row[0].Text.size() + row[1].Text.size() + row[13].Text.size()) +
                  int(row[14].Integer) + int(row[19].Integer);
  });
  times.Save = TimeOnce([&] {
    sqlite3_stmt* update = nullptr;
    Check(sqlite3_prepare16_v2(db, L"update tab_answ set e2_1 = ?, e2 = ?, e1 = ?, e3 = ? where rowid = ?",
                               -1, &update, nullptr),
          db);
    String today = DateTimeToIso(Date());
    for (int i = 0; i < kAnswers; ++i) {
      size_t r = size_t(i) * (kRows / kAnswers);
      sqlite3_bind_text16(update, 1, L"B", -1, SQLITE_STATIC);
      sqlite3_bind_text16(update, 2, L"B", -1, SQLITE_STATIC);
      sqlite3_bind_text16(update, 3, today.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int64(update, 4, rows[r][19].Integer + 1);
      sqlite3_bind_int64(update, 5, rowIds[r]);
      Check(sqlite3_step(update), db);
      sqlite3_reset(update);
      rows[r][19].Integer += 1;
    }
    sqlite3_finalize(update);
  });
  return times;
}

// Marks every question unanswered through the direct connection, so that both sides see all
// 20,000 rows.
void ResetDirect(sqlite3* db) {
  Check(sqlite3_exec(db, "update tab_answ set e2 = NULL, e2_1 = NULL", nullptr, nullptr, nullptr), db);
}

void ResetLayer(TADOConnection& connection) { connection.Execute(L"update tab_answ set e2 = NULL, e2_1 = NULL"); }

// One piece of work's times over the runs, each side's run of a turn next to the other's.
struct TPieceTimes {
  std::vector<double> Layer, Direct, Ratios;
  void Add(double layer, double direct) {
    Layer.push_back(layer);
    Direct.push_back(direct);
    Ratios.push_back(direct > 0 ? layer / direct : 0.0);
  }
};

void PrintLine(const char* name, const TPieceTimes& t) {
  const Timing layer = BestAndMedian(t.Layer), direct = BestAndMedian(t.Direct);
  std::printf("%-6s layer best %8.1f median %8.1f ms   sqlite best %8.1f median %8.1f ms   "
              "layer/sqlite, median of the runs %5.2f\n",
              name, layer.Best, layer.Median, direct.Best, direct.Median, BestAndMedian(t.Ratios).Median);
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::atoi(argv[1]) : kDefaultRuns;
  runs = std::clamp(runs, 1, kMaxRuns);
  String fileName = TempDatabaseName();
  DeleteFileW(fileName.c_str());
  int checksum = 0;
  try {
    TADOXCatalog catalog;
    catalog.Create(L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + fileName);
    TADOConnection connection(nullptr);
    connection.SetConnectionString(L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + fileName);
    connection.Open();
    MakeQuestionTable(connection);

    sqlite3* db = nullptr;
    Check(sqlite3_open_v2(StringToUtf8(fileName).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), db);
    // One untimed run of each side first, so that both connections are warm (their page
    // caches filled, their statements' schema read).
    ResetLayer(connection);
    RunLayer(connection, checksum);
    ResetDirect(db);
    RunDirect(db, checksum);
    TPieceTimes open, walk, save, total;
    double bestWalkInPlace = 1e30;
    for (int run = 0; run < runs; ++run) {
      TLayerTimes layer, direct;
      const auto runLayer = [&] {
        ResetLayer(connection);
        layer = RunLayer(connection, checksum);
      };
      const auto runDirect = [&] {
        ResetDirect(db);
        direct = RunDirect(db, checksum);
      };
      if (run % 2 == 0) {
        runLayer();
        runDirect();
      } else {
        runDirect();
        runLayer();
      }
      open.Add(layer.Open, direct.Open);
      walk.Add(layer.Walk, direct.Walk);
      save.Add(layer.Save, direct.Save);
      total.Add(layer.Open + layer.Walk + layer.Save, direct.Open + direct.Walk + direct.Save);
      bestWalkInPlace = std::min(bestWalkInPlace, direct.WalkInPlace);
    }
    sqlite3_close_v2(db);
    connection.Close();
    std::printf("%d rows, %d answers saved, %d runs, the sides taking turns at going first (checksum %d)\n",
                kRows, kAnswers, runs, checksum);
    PrintLine("open", open);
    PrintLine("walk", walk);
    PrintLine("save", save);
    std::printf("(the direct walk looking at the texts in place, without copies: %.1f ms)\n", bestWalkInPlace);
    PrintLine("total", total);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "failed: %s\n", e.what());
    DeleteFileW(fileName.c_str());
    return 1;
  }
  DeleteFileW(fileName.c_str());
  DeleteFileW((fileName + L"-journal").c_str());
  return 0;
}
