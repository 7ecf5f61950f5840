// The connection on real database files: opening, the password, statements, transactions,
// other files read with IN '<file>', and files that are locked, read-only or left behind by
// a process killed in the middle of a transaction.
#include <gtest/gtest.h>
#include "AdoTestFiles.h"
#include "ChildProcess.h"
#include "classlib/ado/DbPassword.h"

namespace {

TEST(ADOConnection, OpensWithTheProgramsConnectionStringAndPassword) {
  TTempFile file(L"pw");
  CreateDatabase(file.Name(), L"qerdaxuvomtils");
  TADOConnection connection(nullptr);
  connection.SetKeepConnection(false);
  connection.SetLoginPrompt(false);
  connection.SetMode(cmShareDenyNone);
  connection.SetConnectionString(JetConnectionString(file.Name(), L"qerdaxuvomtils"));
  bool completed = false;
  connection.OnConnectComplete = [&](TADOConnection*, const Exception* error, TEventStatus&) {
    completed = error == nullptr;
  };
  connection.SetConnected(true);
  EXPECT_TRUE(connection.GetConnected());
  EXPECT_TRUE(completed);
  EXPECT_EQ(connection.GetProvider(), L"Microsoft.Jet.OLEDB.4.0");
  connection.Close();
  EXPECT_FALSE(connection.GetConnected());
  // Setting the provider keeps the rest of the connection string.
  connection.SetProvider(L"Microsoft.Jet.OLEDB.4.0");
  TADOConnection::TSettings settings = TADOConnection::ParseConnectionString(connection.GetConnectionString());
  EXPECT_EQ(settings.DataSource, file.Name());
  EXPECT_EQ(settings.Password, L"qerdaxuvomtils");
  connection.Open();
  EXPECT_TRUE(connection.GetConnected());
}

TEST(ADOConnection, WrongMissingFileAndNotADatabaseFail) {
  TTempFile file(L"pw");
  CreateDatabase(file.Name(), L"secret");
  TADOConnection connection(nullptr);
  bool failedEvent = false;
  connection.OnConnectComplete = [&](TADOConnection*, const Exception* error, TEventStatus& s) {
    failedEvent = error != nullptr && s == esErrorsOccured;
  };
  connection.SetConnectionString(JetConnectionString(file.Name(), L"Secret"));
  EXPECT_EQ(MessageOf([&] { connection.Open(); }), L"Not a valid password.");
  EXPECT_TRUE(failedEvent);
  EXPECT_FALSE(connection.GetConnected());

  TTempFile missing(L"missing");
  connection.SetConnectionString(JetConnectionString(missing.Name(), L""));
  EXPECT_EQ(MessageOf([&] { connection.Open(); }), L"Could not find file '" + missing.Name() + L"'.");
  EXPECT_FALSE(FileExists(missing.Name()));  // nothing was created

  TTempFile text(L"text", L".txt");
  {
    TFileStream stream(text.Name(), fmCreate);
    std::string junk(4096, 'j');
    stream.WriteBuffer(junk.data(), int(junk.size()));
  }
  connection.SetConnectionString(JetConnectionString(text.Name(), L""));
  EXPECT_TRUE(Contains(MessageOf([&] { connection.Open(); }),
                       L"Unrecognized database format '" + text.Name() + L"'"));

  connection.SetConnectionString(L"Provider=SQLOLEDB;Data Source=" + file.Name());
  EXPECT_EQ(MessageOf([&] { connection.Open(); }),
            L"Provider cannot be found. It may not be properly installed.");
}

TEST(ADOConnection, AFileWithoutPasswordOpensWithAnEmptyOneAndPasswordsChange) {
  TTempDatabase db(L"nopw");
  db.Exec(L"ALTER DATABASE PASSWORD abc NULL");
  db.Connection().Close();
  db.Connection().SetConnectionString(JetConnectionString(db.Name(), L""));
  EXPECT_EQ(MessageOf([&] { db.Connection().Open(); }), L"Not a valid password.");
  db.Connection().SetConnectionString(JetConnectionString(db.Name(), L"abc"));
  db.Connection().Open();
  EXPECT_EQ(MessageOf([&] { db.Exec(L"ALTER DATABASE PASSWORD xyz wrong"); }),
            L"Not a valid password.");
  db.Exec(L"ALTER DATABASE PASSWORD NULL abc");
  // User tables only, sorted: never the password's own table nor the counters' one.
  db.Exec(L"create table tab_b (a LONG)");
  db.Exec(L"create table Tab_A (a LONG)");
  db.Exec(L"create table c (id counter primary key)");  // makes sqlite_sequence
  TStringList names;
  db.Connection().GetTableNames(&names);
  EXPECT_EQ(names.GetText(), L"c\r\nTab_A\r\ntab_b\r\n");
}

TEST(ADOConnection, ExecuteReportsRowsAndSyntaxErrorsCarryMessageAndStatement) {
  TTempDatabase db(L"exec");
  EXPECT_EQ(db.Exec(L"create table t (a TEXT(10), n LONG)"), 0);
  EXPECT_EQ(db.Exec(L"insert into t values ('x', 1)"), 1);
  db.Exec(L"insert into t values ('y', 2)");
  EXPECT_EQ(db.Exec(L"update t set n = n + 1"), 2);
  String message = MessageOf([&] { db.Exec(L"selec * from t"); });
  EXPECT_TRUE(Contains(message, L"near \"selec\": syntax error")) << StringToUtf8(message);
  EXPECT_TRUE(Contains(message, L"selec * from t"));
  message = MessageOf([&] { db.Exec(L"select * from nowhere"); });
  EXPECT_TRUE(Contains(message, L"no such table: nowhere"));
  EXPECT_TRUE(Contains(MessageOf([&] { db.Exec(L"delete from t; drop table t"); }),
                       L"after end of SQL statement"));
  EXPECT_EQ(Column0(db.Connection(), L"select count(*) from t"), L"2");
}

TEST(ADOCommand, RunsWithParametersAndStaysPreparedAcrossReconnects) {
  TTempDatabase db(L"command");
  db.Exec(L"create table t (a TEXT(10), n LONG)");
  TADOCommand command(nullptr);
  command.SetConnection(&db.Connection());
  command.SetCommandText(L"insert into t values (:a, :n)");
  ASSERT_EQ(command.GetParameters()->GetCount(), 2);
  command.SetPrepared(true);
  for (int i = 0; i < 3; ++i) {
    command.GetParameters()->ParamByName(L"a")->SetValue(Variant(L"x" + IntToStr(int64_t(i))));
    command.GetParameters()->ParamByName(L"N")->SetValue(Variant(i));
    EXPECT_EQ(command.Execute(), 1);
  }
  EXPECT_EQ(Column0(db.Connection(), L"select a & n from t order by n"), L"x00|x11|x22");
  db.Connection().Close();  // the prepared statement is stale now: prepared again
  db.Connection().Open();
  EXPECT_EQ(command.Execute(), 1);
  EXPECT_EQ(Column0(db.Connection(), L"select count(*) from t"), L"4");
}

TEST(ADOConnection, RollbackLeavesNothingAndCommitKeepsEverything) {
  TTempDatabase db(L"trans");
  db.Exec(L"create table t (n LONG)");
  EXPECT_EQ(db.Connection().BeginTrans(), 1);
  EXPECT_TRUE(db.Connection().GetInTransaction());
  db.Exec(L"insert into t values (1)");
  db.Exec(L"create table u (n LONG)");
  db.Connection().RollbackTrans();
  EXPECT_FALSE(db.Connection().GetInTransaction());
  EXPECT_EQ(Column0(db.Connection(), L"select count(*) from t"), L"0");
  TStringList names;
  db.Connection().GetTableNames(&names);
  EXPECT_EQ(names.IndexOf(L"u"), -1);

  db.Connection().BeginTrans();
  db.Exec(L"insert into t values (1)");
  EXPECT_EQ(db.Connection().BeginTrans(), 2);
  db.Exec(L"insert into t values (2)");
  db.Connection().RollbackTrans();  // only the inner level
  db.Connection().CommitTrans();
  EXPECT_EQ(Column0(db.Connection(), L"select n from t"), L"1");
  EXPECT_EQ(MessageOf([&] { db.Connection().CommitTrans(); }), L"No transaction is active.");

  // Closing inside a transaction rolls it back.
  db.Connection().BeginTrans();
  db.Exec(L"insert into t values (2)");
  db.Connection().Close();
  db.Connection().Open();
  EXPECT_FALSE(db.Connection().GetInTransaction());
  EXPECT_EQ(Column0(db.Connection(), L"select n from t"), L"1");
}

// The upgrade of the program: rows of a second file inserted inside one transaction.
TEST(ADOConnection, InFileInsertsFromASecondFileInsideATransaction) {
  TTempDatabase bank(L"bank");
  TTempDatabase upgrade(L"upgrade");
  for (TTempDatabase* db : {&bank, &upgrade}) {
    db->Exec(L"create table tab_kmmc (C1 TEXT(6) PRIMARY KEY, C2 TEXT(50))");
    db->Exec(L"create table tab_sj (sjbs TEXT(20), cpbs TEXT(20))");
  }
  bank.Exec(L"insert into tab_kmmc values ('1', 'one')");
  upgrade.Exec(L"insert into tab_kmmc values ('2', 'two')");
  upgrade.Exec(L"insert into tab_kmmc values ('3', 'three')");
  upgrade.Connection().Close();

  TADOConnection& c = bank.Connection();
  // Outside a transaction a query reads the second file's rows as they are.
  {
    TADOQuery query(nullptr);
    query.SetConnection(&c);
    query.GetSQL()->SetText(L"select C2 from tab_kmmc in '" + upgrade.Name() + L"' order by C1 desc");
    query.Open();
    EXPECT_EQ(query.GetRecordCount(), 2);
    EXPECT_EQ(query.FieldByName(L"C2")->GetAsString(), L"three");
  }
  c.BeginTrans();
  EXPECT_EQ(c.Execute(L"insert into tab_kmmc select * from tab_kmmc in '" + upgrade.Name() + L"'"), 2);
  EXPECT_EQ(c.Execute(L"insert into tab_sj(sjbs,cpbs) select 'u1', 'p' from tab_kmmc in '" +
                      upgrade.Name() + L"' where C1 = '2'"),
            1);
  c.CommitTrans();
  EXPECT_EQ(Column0(c, L"select C2 from tab_kmmc order by C1"), L"one|two|three");

  // A duplicate key fails the statement; the rollback then leaves the bank as it was.
  c.BeginTrans();
  EXPECT_TRUE(Contains(MessageOf([&] {
                         c.Execute(L"insert into tab_kmmc select * from tab_kmmc in '" +
                                   upgrade.Name() + L"'");
                       }),
                       L"UNIQUE constraint failed"));
  c.Execute(L"insert into tab_sj(sjbs,cpbs) values ('u2', 'p')");
  c.RollbackTrans();
  EXPECT_EQ(Column0(c, L"select sjbs from tab_sj"), L"u1");

  // A file first named after the transaction has run a statement cannot be attached any more.
  c.BeginTrans();
  c.Execute(L"insert into tab_sj(sjbs,cpbs) values ('u3', 'p')");
  EXPECT_TRUE(Contains(MessageOf([&] {
                         c.Execute(L"select * from tab_kmmc in '" + upgrade.Name() + L"'");
                       }),
                       L"cannot be opened inside a transaction"));
  c.RollbackTrans();

  // The file is let go after the transaction: it can be deleted.
  EXPECT_TRUE(DeleteFile(upgrade.Name()));
}

TEST(ADOConnection, InFileRefusesMissingFilesAndProtectedOnes) {
  TTempDatabase bank(L"bank2");
  bank.Exec(L"create table t (a LONG)");
  TTempFile missing(L"nofile");
  EXPECT_EQ(MessageOf([&] { bank.Exec(L"select * from t in '" + missing.Name() + L"'"); }),
            L"Could not find file '" + missing.Name() + L"'.");
  EXPECT_FALSE(FileExists(missing.Name()));
  TTempFile locked(L"protected");
  CreateDatabase(locked.Name(), L"pw");
  EXPECT_EQ(MessageOf([&] { bank.Exec(L"select * from t in '" + locked.Name() + L"'"); }),
            L"Not a valid password.");
}

TEST(ADOConnection, ALockedFileGivesAClearError) {
  TTempDatabase db(L"locked");
  db.Exec(L"create table t (n LONG)");
  TSqliteDatabase other;
  other.Open(db.Name(), false);
  other.Exec(L"BEGIN EXCLUSIVE");
  String message = MessageOf([&] { db.Exec(L"insert into t values (1)"); });
  EXPECT_TRUE(Contains(message, L"is locked by another process")) << StringToUtf8(message);
  TADOConnection second(nullptr);
  second.SetConnectionString(JetConnectionString(db.Name(), L""));
  message = MessageOf([&] { second.Open(); });
  EXPECT_TRUE(Contains(message, L"is locked by another process")) << StringToUtf8(message);
  other.Exec(L"ROLLBACK");
  EXPECT_EQ(db.Exec(L"insert into t values (1)"), 1);
  second.Open();
}

TEST(ADOConnection, AnExclusiveConnectionKeepsOthersOutFromItsOpening) {
  TTempDatabase db(L"exclusive");
  db.Exec(L"create table t (n LONG)");
  db.Connection().Close();
  db.Connection().SetMode(cmShareExclusive);
  db.Connection().Open();
  TADOConnection other(nullptr);
  other.SetConnectionString(JetConnectionString(db.Name(), L""));
  String message = MessageOf([&] { other.Open(); });
  EXPECT_TRUE(Contains(message, L"is locked by another process")) << StringToUtf8(message);
  EXPECT_EQ(db.Exec(L"insert into t values (1)"), 1);
  db.Connection().Close();  // the lock goes with the connection
  other.Open();
  EXPECT_EQ(Column0(other, L"select count(*) from t"), L"1");
}

// Opened read-only, or a write-protected file opened as usual: it reads, and refuses changes.
TEST(ADOConnection, AReadOnlyOrWriteProtectedFileOpensButRefusesChangesClearly) {
  TTempDatabase db(L"readonly");
  db.Exec(L"create table t (n LONG)");
  db.Exec(L"insert into t values (7)");
  for (bool protectFile : {false, true}) {
    db.Connection().Close();
    db.Connection().SetMode(protectFile ? cmUnknown : cmRead);
    if (protectFile) {
      ASSERT_TRUE(SetFileAttributesW(db.Name().c_str(), FILE_ATTRIBUTE_READONLY));
    }
    db.Connection().Open();
    EXPECT_EQ(Column0(db.Connection(), L"select n from t"), L"7");
    String message = MessageOf([&] { db.Exec(L"insert into t values (1)"); });
    EXPECT_TRUE(Contains(message, L"is read-only")) << StringToUtf8(message);
  }
}

TEST(ADOConnection, AProcessKilledInATransactionLeavesTheFileConsistent) {
  TTempDatabase db(L"crash");
  db.Exec(L"create table t (n LONG, s MEMO)");
  db.Exec(L"insert into t values (-1, 'before')");
  db.Connection().Close();
  TTempFile signal(L"signal", L".flag");
  HANDLE child = StartTransactionChild(db.Name(), signal.Name());
  ASSERT_NE(child, nullptr);
  bool signalled = false;
  for (int waited = 0; waited < 600 && !signalled; ++waited) {  // up to a minute
    signalled = FileExists(signal.Name());
    if (!signalled) {
      if (WaitForSingleObject(child, 100) == WAIT_OBJECT_0) break;  // it ended by itself
    }
  }
  TerminateProcess(child, 9);
  WaitForSingleObject(child, 10000);
  CloseHandle(child);
  ASSERT_TRUE(signalled) << "the child did not reach the middle of its transaction";
  ASSERT_TRUE(FileExists(db.Name() + L"-journal"));  // it had changed the file itself

  db.Connection().Open();
  EXPECT_EQ(Column0(db.Connection(), L"pragma integrity_check"), L"ok");
  EXPECT_EQ(Column0(db.Connection(), L"select s from t"), L"before");
}

}  // namespace
