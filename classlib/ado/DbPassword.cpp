#include "DbPassword.h"
#include <sqlite3.h>
#include <mutex>
#include "../system/Win.h"
#include <wincrypt.h>
#include "Sha256.h"

const wchar_t* const kPasswordTable = L"dbpassword_";

namespace {

constexpr int kRounds = 4096;     // digest iterations for newly set passwords
constexpr int kSaltBytes = 16;
constexpr int kMaxRounds = 1000000;  // a stored count above this is not ours: refuse it

struct TStoredPassword {
  std::string Salt;
  int Rounds = 0;
  std::string Digest;
};

String Quoted(const String& schema) {
  String out = L"\"";
  for (wchar_t c : schema) {
    out += c;
    if (c == L'"') out += c;
  }
  return out + L"\"";
}

bool ReadStored(TSqliteDatabase& db, const String& schema, TStoredPassword& stored) {
  TSqliteStatement exists(db,
                          L"SELECT count(*) FROM " + Quoted(schema) +
                              L".sqlite_master WHERE type='table' AND name='" + kPasswordTable + L"'",
                          String());
  if (!exists.Step() || exists.ColumnInt64(0) == 0) return false;
  TSqliteStatement read(db,
                        L"SELECT salt, rounds, digest FROM " + Quoted(schema) + L"." +
                            kPasswordTable + L" LIMIT 1",
                        String());
  if (!read.Step()) return false;
  stored.Salt = read.ColumnBlob(0);
  stored.Rounds = int(read.ColumnInt64(1));
  stored.Digest = read.ColumnBlob(2);
  return true;
}

// Digests already checked in this process, so that reconnecting (a connection without
// KeepConnection closes and opens often) does not repeat the iterations.
std::mutex gCacheLock;
std::string gCachedKey;

std::string CacheKey(const TStoredPassword& stored, const std::string& password) {
  TSha256Digest passwordHash = Sha256(password.data(), password.size());
  return stored.Salt + stored.Digest + std::to_string(stored.Rounds) +
         std::string(passwordHash.begin(), passwordHash.end());
}

bool Matches(const TStoredPassword& stored, const String& password) {
  std::string utf8 = StringToUtf8(password);
  std::string key = CacheKey(stored, utf8);
  {
    std::lock_guard<std::mutex> lock(gCacheLock);
    if (key == gCachedKey) return true;
  }
  if (stored.Rounds < 1 || stored.Rounds > kMaxRounds || stored.Digest.size() != 32) return false;
  TSha256Digest digest = PasswordDigest(stored.Salt, utf8, stored.Rounds);
  // Compares every byte, so that the time taken does not tell how many matched.
  unsigned difference = 0;
  for (size_t i = 0; i < digest.size(); ++i) difference |= digest[i] ^ uint8_t(stored.Digest[i]);
  if (difference != 0) return false;
  std::lock_guard<std::mutex> lock(gCacheLock);
  gCachedKey = key;
  return true;
}

std::string RandomSalt() {
  std::string salt(kSaltBytes, '\0');
  HCRYPTPROV provider = 0;
  bool ok = CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES,
                                 CRYPT_VERIFYCONTEXT | CRYPT_SILENT);
  if (ok) {
    ok = CryptGenRandom(provider, kSaltBytes, reinterpret_cast<BYTE*>(salt.data()));
    CryptReleaseContext(provider, 0);
  }
  if (!ok) sqlite3_randomness(kSaltBytes, salt.data());  // SQLite's generator, seeded by the system
  return salt;
}

}  // namespace

bool HasDatabasePassword(TSqliteDatabase& db, const String& schema) {
  TStoredPassword stored;
  return ReadStored(db, schema, stored);
}

void CheckDatabasePassword(TSqliteDatabase& db, const String& password, const String& schema) {
  TStoredPassword stored;
  if (!ReadStored(db, schema, stored)) return;
  if (!Matches(stored, password)) throw EDatabaseError(L"Not a valid password.");
}

void SetDatabasePassword(TSqliteDatabase& db, const String& newPassword,
                         const String& oldPassword) {
  CheckDatabasePassword(db, oldPassword);
  String table = kPasswordTable;
  db.Exec(L"SAVEPOINT set_password");
  try {
    db.Exec(L"DROP TABLE IF EXISTS " + table);
    if (!newPassword.empty()) {
      db.Exec(L"CREATE TABLE " + table + L" (salt BLOB NOT NULL, rounds INTEGER NOT NULL, digest BLOB NOT NULL)");
      std::string salt = RandomSalt();
      TSha256Digest digest = PasswordDigest(salt, StringToUtf8(newPassword), kRounds);
      TSqliteStatement insert(db, L"INSERT INTO " + table + L" VALUES (?, ?, ?)", String());
      insert.BindBlob(1, salt.data(), salt.size());
      insert.BindInt64(2, kRounds);
      insert.BindBlob(3, digest.data(), digest.size());
      insert.ExecuteNonQuery();
    }
    db.Exec(L"RELEASE set_password");
  } catch (...) {
    try {
      db.Exec(L"ROLLBACK TO set_password");
      db.Exec(L"RELEASE set_password");
    } catch (...) {
    }
    throw;
  }
}
