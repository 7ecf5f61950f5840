// The database password. A file with a password keeps, in a one-row table of its own, a
// random salt, a round count and the iterated SHA-256 digest of salt and password (see
// PasswordDigest); opening compares the digest of the password given with it. This guards
// the file as a database password of the desktop engines did: against opening through the
// program without the password, not against reading the file's bytes (nothing is encrypted).
#pragma once
#include "../system/SysString.h"
#include "SqliteDb.h"

// The table that holds the digest; listed nowhere (GetTableNames leaves it out).
extern const wchar_t* const kPasswordTable;

// schema is "main" or the name of an attached file. True when a password is set.
bool HasDatabasePassword(TSqliteDatabase& db, const String& schema = L"main");
// EDatabaseError "Not a valid password." unless password is the file's password. A file
// without a password accepts any (it has nothing to compare with).
void CheckDatabasePassword(TSqliteDatabase& db, const String& password,
                           const String& schema = L"main");
// Sets, changes or (newPassword empty) removes the password; oldPassword must be the
// current one. EDatabaseError "Not a valid password." when it is not.
void SetDatabasePassword(TSqliteDatabase& db, const String& newPassword,
                         const String& oldPassword);
