// Starting a mock exam of subject 2 on a generated bank of 20,000 questions: the record row,
// the paper table, the draw of its 95 questions and the opening of the paper, once through
// the program (PrepareMockExam on the data module) and once as the same statements run on
// SQLite's C interface directly (the pool and the paper copied into memory as a static
// cursor keeps them, the draw made on the copied pool).
// The program's connection is timed as the menu leaves it: the study log open (its 24-hour
// check at start-up), so that the connection stays open as the direct one does. It is also
// timed with the log closed (after the study log window was closed): the connection, which
// does not keep itself open, then closes with the last data set and each statement opens
// the file again with a cold page cache.
// The two sides work on two copies of the bank, each on its own connection, and their runs
// alternate (direct, program, direct, program …). What a run read stays in memory until the
// next run's untimed preparation frees it on both sides: the program's data sets are closed,
// the direct side's copies freed. Prints the best and median of N runs
// (default 9) and the median of the pairs' ratios program / direct.
// Usage: bench_exam_start [runs]
#include <sqlite3.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <random>
#include <string>
#include <vector>
#include "BenchTiming.h"
#include "app/AppQueries.h"
#include "app/ExamPaper.h"
#include "app/ProgramClasses.h"
#include "app/Responders.h"
#include "app/Ucommon.h"
#include "app/dm.h"
#include "classlib/ado/JetDates.h"
#include "data/tools/LargeBank.h"

namespace {

constexpr int kQuestions = 20000;
constexpr int kDefaultRuns = 9;
constexpr int kMaxRuns = 100;

String TempBankName(const wchar_t* side) {
  wchar_t path[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, path);
  return String(path) + L"bench_exam_start_" + side + L"_" + IntToStr(int64_t(::GetCurrentProcessId())) + L".mdb";
}

void Check(int rc, sqlite3* db) {
  if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) {
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    std::exit(1);
  }
}

// A value as a static cursor keeps it.
struct TValue {
  int Type = SQLITE_NULL;
  int64_t Integer = 0;
  double Real = 0;
  std::wstring Text;
  std::string Bytes;
};
using TRow = std::vector<TValue>;

std::vector<TRow> ReadAll(sqlite3* db, const wchar_t* sql) {
  sqlite3_stmt* stmt = nullptr;
  Check(sqlite3_prepare16_v2(db, sql, -1, &stmt, nullptr), db);
  const int columns = sqlite3_column_count(stmt);
  std::vector<TRow> rows;
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    TRow row(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c) {
      TValue& v = row[size_t(c)];
      v.Type = sqlite3_column_type(stmt, c);
      if (v.Type == SQLITE_INTEGER) {
        v.Integer = sqlite3_column_int64(stmt, c);
      } else if (v.Type == SQLITE_FLOAT) {
        v.Real = sqlite3_column_double(stmt, c);
      } else if (v.Type == SQLITE_BLOB) {
        const char* data = static_cast<const char*>(sqlite3_column_blob(stmt, c));
        v.Bytes.assign(data, size_t(sqlite3_column_bytes(stmt, c)));
      } else if (v.Type == SQLITE_TEXT) {
        v.Text.assign(static_cast<const wchar_t*>(sqlite3_column_text16(stmt, c)),
                      size_t(sqlite3_column_bytes16(stmt, c)) / 2);
      }
    }
    rows.push_back(std::move(row));
  }
  Check(rc, db);
  sqlite3_finalize(stmt);
  return rows;
}

void Run(sqlite3* db, const std::wstring& sql) { Check(sqlite3_exec(db, StringToUtf8(sql).c_str(), nullptr, nullptr, nullptr), db); }

std::wstring Quoted(const std::wstring& s) {
  std::wstring out = L"'";
  for (wchar_t ch : s) {
    if (ch == L'\'') out += L'\'';
    out += ch;
  }
  return out + L"'";
}

// What the direct side read in a run, kept as the program's data sets keep their rows until
// they are closed.
using TKeptRows = std::vector<std::vector<TRow>>;

const std::vector<TRow>& Keep(TKeptRows& kept, std::vector<TRow> rows) {
  kept.push_back(std::move(rows));
  return kept.back();
}

// The start of an exam of subject 2, statement by statement, directly; what it reads is left
// in kept.
int DirectStart(sqlite3* db, std::mt19937& random, TKeptRows& kept) {
  kept.reserve(kept.size() + 6);  // the references below stay valid
  const std::vector<TRow>& newest = Keep(kept, ReadAll(db, L"select A1, A3_1 from tab_cj order by A3_1 desc"));
  const int sequence = newest.empty() ? 1 : int(newest[0][1].Integer) + 1;
  const std::wstring table = L"tab_exam1";
  Keep(kept, ReadAll(db, L"select name from sqlite_master where type='table' and name='tab_exam1'"));
  sqlite3_stmt* insert = nullptr;
  Check(sqlite3_prepare16_v2(db, L"insert into tab_cj (A1,A3,A3_1,D1) values (?,?,?,?)", -1, &insert, nullptr), db);
  const String date = DateTimeToIso(EncodeDate(2024, 5, 7));
  sqlite3_bind_text16(insert, 1, table.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text16(insert, 2, L"2024年05月07日资产评估师·经济法[1]", -1, SQLITE_STATIC);
  sqlite3_bind_int(insert, 3, sequence);
  sqlite3_bind_text16(insert, 4, date.c_str(), -1, SQLITE_TRANSIENT);
  Check(sqlite3_step(insert), db);
  sqlite3_finalize(insert);
  Run(db, PaperTableStatement(table.c_str()));
  const std::vector<TRow>& pool =
      Keep(kept, ReadAll(db, L"select * from tab_answ where substr(a10,1,1) = '2' and f1 <> 1 order by e3"));
  const std::vector<TRow>& types = Keep(kept, ReadAll(db, L"select A1, B2 from tab_tx"));
  // Columns of tab_answ: a1 0, a10 13, a13 14, f1 21.
  for (const TRow& type : types) {
    const int code = int(type[0].Integer);
    const int quota = ExamTypeQuota(2, code);
    if (type[1].Integer <= 0 || quota == 0) continue;
    std::vector<size_t> eligible;
    for (size_t i = 0; i < pool.size(); ++i)
      if (pool[i][14].Integer == code && !pool[i][13].Text.empty() && pool[i][13].Text[0] == L'2' &&
          pool[i][21].Integer != 1)
        eligible.push_back(i);
    const int count = std::min<int>(quota, int(eligible.size()));
    std::wstring list;
    for (int i = 0; i < count; ++i) {
      std::uniform_int_distribution<int> pick(i, int(eligible.size()) - 1);
      std::swap(eligible[size_t(i)], eligible[size_t(pick(random))]);
      if (!list.empty()) list += L" or ";
      list += L"a.A1=" + Quoted(pool[eligible[size_t(i)]][0].Text);
    }
    if (list.empty()) continue;
    Run(db, L"insert into " + table +
                L"(a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,E3,E4,JX,CSBS,F1)"
                L" Select a.a1 as a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,"
                L"b.jx as jx,a.csbs as csbs,a.f1 as f1  from tab_answ a,tab_exer b where a.a1=b.a1 and (" +
                list + L")");
  }
  Keep(kept, ReadAll(db, L"select count(*) from tab_exam1"));
  Run(db, L"update tab_exam1 set E2_1 = ''");
  return int(Keep(kept, ReadAll(db, L"select * from tab_exam1 order by A13, A1")).size());
}

void PrintLine(const char* name, const Timing& t) {
  std::printf("%-8s best %8.1f ms   median %8.1f ms\n", name, t.Best, t.Median);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = std::clamp(argc > 1 ? std::atoi(argv[1]) : kDefaultRuns, 1, kMaxRuns);
  const String bank = TempBankName(L"program"), directBank = TempBankName(L"direct");
  int status = 0;
  try {
    GenerateLargeBank(bank, kQuestions);
    GenerateLargeBank(directBank, kQuestions);
    RegisterLayoutClasses();
    SetShowDlgResponder([](const String&, const String& text, int, int, const String&) {
      std::fprintf(stderr, "the program said: %s\n", StringToUtf8(text).c_str());
      std::exit(1);
      return 1;
    });
    DM1 = new TDM1(nullptr);
    DM1->ADOCn1->SetConnectionString(DbConnectionString(bank, kBankPassword));
    DM1->ADOCn1->SetConnected(true);
    DM1->SetToday(EncodeDate(2024, 5, 7));
    DM1->ADOCn1->Execute(L"delete from tab_cj");

    int questions = 0;
    const auto startExam = [&] {
      TExamPaper paper;
      if (!PrepareMockExam(2, paper)) std::exit(1);
      questions = DM1->Cn1Query_exam->GetRecordCount();
    };
    const auto closeAll = [] {
      DropPaper(L"tab_exam1");  // closes the paper's data sets
      DM1->Cn1Query_tm->Close();
    };
    // With the study log closed first: every data set closed between statements.
    DM1->Cn1Table_rz->Close();
    const Timing programClosed = Measure(runs, closeAll, startExam);
    closeAll();
    DM1->LocateToday();  // the menu's 24-hour check leaves the log open

    sqlite3* db = nullptr;
    Check(sqlite3_open_v2(StringToUtf8(directBank).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), db);
    std::mt19937 random(12345u);
    int directQuestions = 0;
    TKeptRows kept;
    const auto freeKept = [&kept] { TKeptRows().swap(kept); };
    const auto directClose = [&] {
      freeKept();
      Run(db, L"drop table if exists tab_exam1");
      Run(db, L"delete from tab_cj");
    };
    const auto programClose = [&] {
      closeAll();
      DM1->ADOCn1->Execute(L"delete from tab_cj");
    };
    // Warms both connections (untimed).
    programClose();
    startExam();
    directClose();
    directQuestions = DirectStart(db, random, kept);
    const Paired start = MeasurePairs(runs, directClose, [&] { directQuestions = DirectStart(db, random, kept); },
                                      programClose, startExam);
    programClose();
    directClose();
    // The largest piece alone: the subject's pool read into memory, kept until the next run's
    // preparation frees it (untimed) on both sides.
    const Paired pool = MeasurePairs(
        runs, freeKept,
        [&] {
          Keep(kept, ReadAll(db, L"select * from tab_answ where (substr(A10,1,1) = '2' COLLATE NOCASE) and "
                                 L"(f1 <> 1) order by E3"));
        },
        [] { DM1->Cn1Query_tm->Close(); },
        [] {
          RunQuery(DM1->Cn1Query_tm, L"select * from tab_answ where (Left(A10,1) = '2') and (f1 <> 1) order by E3");
        });
    freeKept();
    sqlite3_close_v2(db);
    DM1->Cn1Query_tm->Close();
    const Timing& program = start.B;
    const Timing& direct = start.A;
    const Timing& poolProgram = pool.B;
    const Timing& poolDirect = pool.A;

    std::printf("a paper of %d questions (directly %d) from %d, %d runs\n", questions, directQuestions, kQuestions,
                runs);
    PrintLine("program", program);
    PrintLine("sqlite", direct);
    PrintLine("pool", poolProgram);
    PrintLine("pool sql", poolDirect);
    std::printf("program / sqlite, in turns: median of the pairs %5.2f (pool %5.2f)\n", start.Ratio, pool.Ratio);
    std::printf("with the study log closed (each statement opens the file again):\n");
    PrintLine("program", programClosed);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "failed: %s\n", e.what());
    status = 1;
  }
  delete DM1;
  DM1 = nullptr;
  ::DeleteFileW(bank.c_str());
  ::DeleteFileW(directBank.c_str());
  return status;
}
