// A process saving answers is killed at random moments: the bank must stay whole and its
// counters must agree with the answers it holds, since one answer's writes are one
// transaction.
//
// The child is this test program itself, running the disabled test below; the parent names
// the bank and an event through environment variables, waits until the child is answering,
// and kills it a random few milliseconds later.
#include <gtest/gtest.h>

#include <random>
#include "AppTestSupport.h"
#include "app/PracticeCore.h"
#include "classlib/ado/SqliteDb.h"
#include "classlib/system/SysFiles.h"
#include "classlib/system/Win.h"

namespace {

const wchar_t kBankVariable[] = L"EXAMPREP_ANSWER_BANK";
const wchar_t kReadyVariable[] = L"EXAMPREP_ANSWER_READY";
constexpr int kKills = 50;
constexpr DWORD kStartTimeoutMs = 60000;

String Environment(const wchar_t* name) {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableW(name, buffer, MAX_PATH);
  return length > 0 && length < MAX_PATH ? String(buffer, length) : String();
}

// Answers every question of the bank again and again, alternating the answers so that
// each save counts, until it is killed (or, as a bound, after a few minutes).
TEST(AnswerKillChild, DISABLED_AnswersUntilKilled) {
  const String bank = Environment(kBankVariable);
  const String ready = Environment(kReadyVariable);
  ASSERT_FALSE(bank.empty());
  TDM1 module(nullptr);
  module.ADOCn1->SetConnectionString(DbConnectionString(bank, kBankPassword));
  module.ADOCn1->SetConnected(true);
  // A small page cache makes the engine write pages into the file before the commit.
  module.ADOCn1->Execute(L"PRAGMA cache_size = 10");
  TADOQuery* set = module.Cn1Query_tm;
  set->GetSQL()->SetText(L"select * from tab_answ order by a1");
  set->Open();
  HANDLE event = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, ready.c_str());
  if (event) {
    ::SetEvent(event);
    ::CloseHandle(event);
  }
  const DWORD start = ::GetTickCount();
  for (int pass = 0; pass < 1000000 && ::GetTickCount() - start < 180000; ++pass) {
    for (int recNo = 1; recNo <= set->GetRecordCount(); ++recNo) {
      set->SetRecNo(recNo);
      SaveAnswerRow(module, set, (pass + recNo) % 2 ? L"A" : L"B");
    }
  }
}

// The engine's own verdict on the file: "ok" when it is whole.
String IntegrityCheck(TADOConnection& cn) {
  TSqliteStatement statement(cn.GetDatabase(), L"PRAGMA integrity_check", L"PRAGMA integrity_check");
  String verdict;
  for (int row = 0; row < 100 && statement.Step(); ++row) verdict += (row ? L"|" : L"") + statement.ColumnText(0);
  return verdict;
}

class AnswerKill : public ::testing::Test {
 protected:
  void SetUp() override { WriteTestBank(FBank.Name()); }

  // Starts the child; its process handle, nullptr when it could not start.
  HANDLE StartChild() {
    ::SetEnvironmentVariableW(kBankVariable, FBank.Name().c_str());
    ::SetEnvironmentVariableW(kReadyVariable, kEventName);
    String commandLine = L"\"" + ProgramFileName() +
                         L"\" --gtest_also_run_disabled_tests --gtest_filter=AnswerKillChild.*";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info))
      return nullptr;
    ::CloseHandle(info.hThread);
    return info.hProcess;
  }

  static inline const wchar_t kEventName[] = L"ExamprepAnswerKillReady";
  TTempBankFile FBank;
};

TEST_F(AnswerKill, KilledWhileAnsweringLeavesTheCountersAgreeing) {
  HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, kEventName);
  ASSERT_NE(nullptr, ready);
  std::mt19937 random(20240507);
  int answers = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    ::ResetEvent(ready);
    HANDLE child = StartChild();
    ASSERT_NE(nullptr, child);
    const HANDLE waits[2] = {ready, child};
    const DWORD started = ::WaitForMultipleObjects(2, waits, FALSE, kStartTimeoutMs);
    if (started == WAIT_OBJECT_0) ::Sleep(std::uniform_int_distribution<DWORD>(0, 150)(random));
    ::TerminateProcess(child, 9);
    ::WaitForSingleObject(child, kStartTimeoutMs);
    ::CloseHandle(child);
    ASSERT_EQ(WAIT_OBJECT_0, started) << "the child did not start answering (kill " << kill << ")";

    TADOConnection cn(nullptr);
    cn.SetConnectionString(DbConnectionString(FBank.Name(), kBankPassword));
    cn.SetConnected(true);
    ASSERT_EQ(L"ok", IntegrityCheck(cn)) << "kill " << kill;
    answers = SelectInt(cn, L"select sum(e3) from tab_answ");
    EXPECT_EQ(answers, SelectInt(cn, L"select sum(A2) from tab_rz")) << "kill " << kill;
    EXPECT_EQ(answers, SelectInt(cn, L"select sum(D1) from tab_kmmc where len(C1) = 6")) << "kill " << kill;
    EXPECT_EQ(SelectInt(cn, L"select sum(A3) from tab_rz"),
              SelectInt(cn, L"select sum(D2) from tab_kmmc where len(C1) = 6"))
        << "kill " << kill;
    EXPECT_EQ(SelectInt(cn, L"select e3 from tab_answ where a10 = '210101'"),
              SelectInt(cn, L"select q2 from tab_rule where ftid = '1101002'"))
        << "kill " << kill;
    cn.SetConnected(false);
    if (HasFailure()) break;
  }
  ::CloseHandle(ready);
  EXPECT_GT(answers, 0) << "the children saved nothing before they were killed";
}

}  // namespace
