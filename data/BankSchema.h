// Fixed facts of the question bank shared by the bank builder, the tests and the program:
// where the file lives under the program folder, its database password, the product and
// base-upgrade ids of its tab_sj row, and the column set of a mock-exam paper table.
#pragma once
#include "classlib/system/SysString.h"

// The bank file, relative to the program folder.
inline constexpr wchar_t kBankFileName[] = L"data\\QB480172.mdb";
// The folder of the listening passages, relative to the program folder; a passage is
// "@" + question id (or the first 16 characters of a group member's id) + ".mp3".
inline constexpr wchar_t kVoiceFolder[] = L"voice\\";

// The database password the program holds; the bank cannot be opened without it.
inline constexpr wchar_t kBankPassword[] = L"qerdaxuvomtils";

// The shipped bank's tab_sj row: an upgrade file applies only to a bank that already holds
// its product id (cpbs) and not yet its upgrade id (sjbs).
inline constexpr wchar_t kBankProductId[] = L"EXAMPREP-QB480172";
inline constexpr wchar_t kBankBaseUpgradeId[] = L"QB480172-BASE-01";

// Length of a group id: a member's id is the group id, "-" and the member's number.
inline constexpr int kGroupIdLength = 16;

// Paper tables are "tab_exam" followed by a decimal number.
inline constexpr wchar_t kPaperTablePrefix[] = L"tab_exam";
// Their column set, as the program appends it to "CREATE TABLE " + the table's name.
inline constexpr wchar_t kPaperTableColumns[] =
    L" (A1 TEXT(20) NOT NULL PRIMARY KEY,A2 TEXT(100),A2_1 SMALLINT,"
    L"K3 TEXT(9),K4 TEXT(9),K5 TEXT(9),K6 TEXT(9),K7 TEXT(9),K8 TEXT(9),K9 TEXT(9),K10 TEXT(9),"
    L"K11 TEXT(9),K12 TEXT(9)"
    L",A10 TEXT(6),A13 SMALLINT,A14 MEMO,E1 DATETIME,E2 TEXT(100),"
    L"E2_1 TEXT(100),E3 SMALLINT,E4 SMALLINT,jx IMAGE,csbs TEXT(2),"
    L"F1 SMALLINT)";

// The statement that creates the paper table tableName.
inline String PaperTableSql(const String& tableName) {
  return L"CREATE TABLE " + tableName + kPaperTableColumns;
}
