// Cost of saving one answer with all its bookkeeping, against the same statements run
// directly on SQLite.
//
// Generates two copies of a bank of 20,000 questions and answers, on each, the questions
// linked to law articles one after the other (so every answer updates the question row, the
// day's study log, the chapter and its parents, and the article, law and law-group
// counters, in one transaction):
//   layer   SaveAnswerRow on the practice set of the data module (tables, queries, fields);
//   direct  the same writes through the SQLite C interface: the row read, then in one
//           transaction the log row, one update per chapter level, the article, law and
//           group updates with their IN lists (prepared each time, as their text varies) and
//           the row written back.
// Each pass answers every such question once, the answer alternating between passes so that
// each save counts. The two sides' passes run in turns (layer, direct, layer, direct …);
// prints the best and median of N passes (default 5) per answer and the median of the pairs'
// ratios.
// Usage: bench_answer [passes]
#include <sqlite3.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>
#include "app/PracticeCore.h"
#include "app/ProgramClasses.h"
#include "app/dm.h"
#include "classlib/forms/Forms.h"
#include "classlib/system/SysFiles.h"
#include "classlib/system/Win.h"
#include "data/tools/LargeBank.h"
#include "BenchTiming.h"

namespace {

constexpr int kQuestions = 20000;
constexpr int kDefaultPasses = 5;
constexpr int kMaxPasses = 50;
constexpr int kMaxAnswers = 2000;  // answers per pass, at most

const wchar_t kLinkedSql[] = L"select * from tab_answ where k3 is not null and k3 <> '' order by a1";

String TempName(const wchar_t* tag) {
  wchar_t path[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, path);
  return IncludeTrailingBackslash(path) + L"bench_answer_" + tag + L"_" +
         IntToStr(int64_t(GetCurrentProcessId())) + L".mdb";
}

std::string Utf8(const String& s) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), int(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.c_str(), int(s.size()), out.data(), size, nullptr, nullptr);
  return out;
}

String AnswerOfPass(int pass) { return pass % 2 ? L"B" : L"A"; }

// ---- Through the layer --------------------------------------------------------------------

struct TLayer {
  TDM1 Module{nullptr};
  TADOQuery* Set = nullptr;
  int Answers = 0;
  int Pass = 0;

  explicit TLayer(const String& file) {
    Module.ADOCn1->SetConnectionString(DbConnectionString(file, kBankPassword));
    Module.ADOCn1->SetConnected(true);
    Set = Module.Cn1Query_tm;
    Set->GetSQL()->SetText(kLinkedSql);
    Set->Open();
    Answers = std::min(Set->GetRecordCount(), kMaxAnswers);
  }
  void RunPass() {
    const String answer = AnswerOfPass(Pass++);
    for (int recNo = 1; recNo <= Answers; ++recNo) {
      Set->SetRecNo(recNo);
      SaveAnswerRow(Module, Set, answer);
    }
  }
};

// ---- Directly -----------------------------------------------------------------------------

struct TDirect {
  sqlite3* Db = nullptr;
  ~TDirect() { sqlite3_close(Db); }

  sqlite3_stmt* Prepare(const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(Db, sql, -1, &statement, nullptr) != SQLITE_OK) Fail(sql);
    return statement;
  }
  void Run(sqlite3_stmt* statement) {
    if (sqlite3_step(statement) != SQLITE_DONE) Fail(sqlite3_sql(statement));
    sqlite3_reset(statement);
  }
  void Exec(const std::string& sql) {
    if (sqlite3_exec(Db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sql.c_str());
  }
  [[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "sqlite: %s: %s\n", sqlite3_errmsg(Db), what);
    std::exit(1);
  }
};

std::string Text(sqlite3_stmt* statement, int column) {
  const unsigned char* text = sqlite3_column_text(statement, column);
  return text ? reinterpret_cast<const char*>(text) : "";
}

struct TDirectSide {
  TDirect D;
  std::vector<int64_t> Rows;
  sqlite3_stmt* Read = nullptr;
  sqlite3_stmt* Log = nullptr;
  sqlite3_stmt* Chapter = nullptr;
  sqlite3_stmt* Write = nullptr;
  int Pass = 0;

  TDirectSide(const String& file, int answers) {
    TDirect& d = D;
    if (sqlite3_open_v2(Utf8(file).c_str(), &d.Db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) d.Fail("open");
    sqlite3_stmt* list = d.Prepare("select rowid from tab_answ where k3 is not null and k3 <> '' order by a1");
    while (sqlite3_step(list) == SQLITE_ROW && int(Rows.size()) < answers) Rows.push_back(sqlite3_column_int64(list, 0));
    sqlite3_finalize(list);
    d.Exec("insert into tab_rz (A1, A2, A3, B1, B2) values ('2030-01-01', 0, 0, 0, 0)");
    Read = d.Prepare(
        "select a2, e2, e2_1, e3, e4, e1, a10, k3, k4, k5, k6, k7, k8, k9, k10, k11, k12 from tab_answ "
        "where rowid = ?");
    Log = d.Prepare(
        "update tab_rz set A2 = A2 + 1, A3 = A3 + ?1, B1 = B1 + ?2, B2 = B2 + ?3 where A1 = '2030-01-01'");
    Chapter = d.Prepare("update tab_kmmc set C4 = C4 + ?1, D1 = D1 + 1, D2 = D2 + ?2 where C1 = ?3 COLLATE NOCASE");
    Write = d.Prepare("update tab_answ set e2_1 = ?1, e2 = ?1, e1 = '2030-01-01', e3 = ?2, e4 = ?3 where rowid = ?4");
  }
  ~TDirectSide() {
    for (sqlite3_stmt* s : {Read, Log, Chapter, Write}) sqlite3_finalize(s);
  }
  void RunPass() {
    TDirect& d = D;
    sqlite3_stmt *read = Read, *log = Log, *chapter = Chapter, *write = Write;
    const std::string answer = Utf8(AnswerOfPass(Pass++));
    for (int64_t row : Rows) {
      sqlite3_bind_int64(read, 1, row);
      if (sqlite3_step(read) != SQLITE_ROW) d.Fail("read");
      const bool right = answer == Text(read, 0);
      const bool first = Text(read, 1).empty();
      int balance = sqlite3_column_int(read, 4);
      balance = first ? (right ? 0 : -3) : right ? balance + (balance < 0 ? 1 : 0) : balance - 1;
      const int count = sqlite3_column_int(read, 3) + 1;
      const std::string code = Text(read, 6);
      std::string articles, laws, groups;
      for (int k = 7; k <= 16; ++k) {
        const std::string id = Text(read, k);
        if (id.empty()) break;
        const char* comma = articles.empty() ? "" : ",";
        articles += comma + ("'" + id + "'");
        laws += comma + ("'" + id.substr(0, 4) + "'");
        groups += comma + ("'" + id.substr(0, 1) + "'");
      }
      sqlite3_reset(read);

      d.Exec("BEGIN");
      sqlite3_bind_int(log, 1, !right);
      sqlite3_bind_int(log, 2, 1);
      sqlite3_bind_int(log, 3, !right);
      d.Run(log);
      for (size_t length = code.size(); length >= 1; --length) {
        sqlite3_bind_int(chapter, 1, first);
        sqlite3_bind_int(chapter, 2, !right);
        sqlite3_bind_text(chapter, 3, code.c_str(), int(length), SQLITE_TRANSIENT);
        d.Run(chapter);
      }
      auto count_in = [&](const char* column) {
        const std::string c(column);
        d.Exec("update tab_rule set " + c + "=" + c + "+1 where ftid in (" + articles + ")");
        d.Exec("update tab_fgmc set " + c + "=" + c + "+1 where id in (" + laws + ")");
        d.Exec("update tab_fgmc set " + c + "=" + c + "+1 where id in (" + groups + ")");
      };
      count_in("q2");
      if (first) count_in("q1");
      if (!right) count_in("q4");
      sqlite3_bind_text(write, 1, answer.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(write, 2, count);
      sqlite3_bind_int(write, 3, balance);
      sqlite3_bind_int64(write, 4, row);
      d.Run(write);
      d.Exec("COMMIT");
    }
  }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int passes = argc > 1 ? std::clamp(_wtoi(argv[1]), 1, kMaxPasses) : kDefaultPasses;
  Application->Initialize();
  RegisterLayoutClasses();
  const String layerFile = TempName(L"layer"), directFile = TempName(L"direct");
  GenerateLargeBank(layerFile, kQuestions);
  GenerateLargeBank(directFile, kQuestions);
  {
    TLayer layer(layerFile);
    TDirectSide direct(directFile, layer.Answers);
    const Paired p = MeasurePairs(passes, [&] { direct.RunPass(); }, [&] { layer.RunPass(); });
    const double n = layer.Answers;
    std::printf("%d answers a pass, %d passes in turns, per answer, %s:\n", layer.Answers, passes, BuildKind());
    std::printf("sqlite best %8.3f ms  median %8.3f ms\n", p.A.Best / n, p.A.Median / n);
    std::printf("layer  best %8.3f ms  median %8.3f ms\n", p.B.Best / n, p.B.Median / n);
    std::printf("layer / sqlite: median of the pairs %5.2f\n", p.Ratio);
  }
  DeleteFileW(layerFile.c_str());
  DeleteFileW(directFile.c_str());
  return 0;
}
