// A data module's stored layout of ADO components and data sources: read, the components are
// set up as written and work on a database file; written again, their settings are kept.
#include <gtest/gtest.h>

#include "classlib/classes/Layouts.h"
#include "tests/classlib/ado/AdoTestFiles.h"
#include "tests/classlib/stdctrls/GridTestSupport.h"

namespace {

TEST(ADOLayout, ConnectionTablesQueriesCommandsAndSourcesAreReadAndWork) {
  TTempDatabase db(L"layout");
  db.Exec(L"CREATE TABLE tab_kmmc (bh TEXT(10) NOT NULL PRIMARY KEY, C2 TEXT(50), C3 LONG)");
  db.Exec(L"INSERT INTO tab_kmmc VALUES ('02', 'Second', 5)");
  db.Exec(L"INSERT INTO tab_kmmc VALUES ('01', 'First', 0)");
  db.Exec(L"INSERT INTO tab_kmmc VALUES ('03', 'Third', 7)");
  db.Connection().Close();

  // The connection string holds a quote ("Don't Copy Locale"), doubled in the text form.
  const String connectionString =
      StringReplace(JetConnectionString(db.Name(), L""), L"'", L"''", rfReplaceAll);
  grid_tests::TTestHost host;
  grid_tests::ReadLayout(&host,
                         L"object Host: TTestHost\n"
                         L"  object ADOCn1: TADOConnection\n"
                         L"    ConnectionString = '" + connectionString + L"'\n"
                         L"    KeepConnection = False\n"
                         L"    LoginPrompt = False\n"
                         L"    Mode = cmShareDenyNone\n"
                         L"  end\n"
                         L"  object Cn1Table_kmmc: TADOTable\n"
                         L"    Connection = ADOCn1\n"
                         L"    CursorType = ctStatic\n"
                         L"    Filter = 'C3 > 0'\n"
                         L"    Filtered = True\n"
                         L"    IndexFieldNames = 'bh'\n"
                         L"    TableName = 'tab_kmmc'\n"
                         L"  end\n"
                         L"  object Cn1Query1: TADOQuery\n"
                         L"    Connection = ADOCn1\n"
                         L"    SQL.Strings = (\n"
                         L"      'select C2 from tab_kmmc'\n"
                         L"      'order by bh desc')\n"
                         L"  end\n"
                         L"  object Cmd1: TADOCommand\n"
                         L"    CommandText = 'update tab_kmmc set C3 = C3 + 1'\n"
                         L"    Connection = ADOCn1\n"
                         L"  end\n"
                         L"  object Cn1DS_kmmc: TDataSource\n"
                         L"    DataSet = Cn1Table_kmmc\n"
                         L"  end\n"
                         L"end\n");
  auto* connection = dynamic_cast<TADOConnection*>(host.FindComponent(L"ADOCn1"));
  auto* table = dynamic_cast<TADOTable*>(host.FindComponent(L"Cn1Table_kmmc"));
  auto* query = dynamic_cast<TADOQuery*>(host.FindComponent(L"Cn1Query1"));
  auto* command = dynamic_cast<TADOCommand*>(host.FindComponent(L"Cmd1"));
  auto* source = dynamic_cast<TDataSource*>(host.FindComponent(L"Cn1DS_kmmc"));
  ASSERT_TRUE(connection && table && query && command && source);
  EXPECT_FALSE(connection->GetConnected());  // the program connects in code
  EXPECT_EQ(connection->GetMode(), cmShareDenyNone);
  EXPECT_EQ(table->GetConnection(), connection);
  EXPECT_EQ(source->GetDataSet(), table);

  EXPECT_EQ(command->Execute(), 3);
  table->Open();
  EXPECT_EQ(table->GetRecordCount(), 3);  // every C3 is above 0 now
  EXPECT_EQ(table->FieldByName(L"C2")->GetAsString(), L"First");
  EXPECT_EQ(source->GetState(), dsBrowse);
  query->Open();
  EXPECT_EQ(query->FieldByName(L"C2")->GetAsString(), L"Third");

  const String written = ComponentToText(&host);
  for (const wchar_t* line : {L"KeepConnection = False", L"LoginPrompt = False", L"Mode = cmShareDenyNone",
                              L"Filter = 'C3 > 0'", L"Filtered = True", L"DataSet = Cn1Table_kmmc",
                              L"CommandText = 'update tab_kmmc set C3 = C3 + 1'"})
    EXPECT_NE(written.find(line), String::npos) << StringToUtf8(line);
  EXPECT_EQ(written.find(L"CursorType"), String::npos);  // the default is left out
  query->Close();
  table->Close();
}

}  // namespace
