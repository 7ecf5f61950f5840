// Each function takes SQLite values and gives one back; a Null argument gives Null, as
// in Jet. Text goes through UTF-16, so that lengths and positions count characters of the
// program's String (Chinese text included).
#include "JetFunctions.h"
#include <sqlite3.h>
#include <cmath>
#include <cwchar>
#include "../system/SysDate.h"
#include "../system/SysExceptions.h"
#include "../system/SysFormat.h"
#include "../system/SysMath.h"
#include "JetDates.h"

namespace {

// ---- Values in and out ---------------------------------------------------------------------

String TextOf(sqlite3_value* v) {
  const void* text = sqlite3_value_text16(v);
  int bytes = sqlite3_value_bytes16(v);
  return text ? String(static_cast<const wchar_t*>(text), size_t(bytes) / sizeof(wchar_t))
              : String();
}

bool IsNull(sqlite3_value* v) { return sqlite3_value_type(v) == SQLITE_NULL; }

bool AnyNull(int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i)
    if (IsNull(argv[i])) return true;
  return false;
}

void ResultText(sqlite3_context* ctx, const String& text) {
  sqlite3_result_text16(ctx, text.data(), int(text.size() * sizeof(wchar_t)), SQLITE_TRANSIENT);
}

void ResultError(sqlite3_context* ctx, const String& message) {
  sqlite3_result_error16(ctx, message.c_str(), -1);
}

// A number given as text ("12", " 3.5 "), read without regard to the locale.
bool TryTextToNumber(const String& text, double& value) {
  String s = Trim(text);
  if (s.empty()) return false;
  wchar_t* end = nullptr;
  value = std::wcstod(s.c_str(), &end);
  return end && *end == 0 && std::isfinite(value);
}

bool TryNumberOf(sqlite3_value* v, double& value) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      value = double(sqlite3_value_int64(v));
      return true;
    case SQLITE_FLOAT:
      value = sqlite3_value_double(v);
      return true;
    case SQLITE_TEXT:
      return TryTextToNumber(TextOf(v), value);
    default:
      return false;
  }
}

// A date given as ISO text or as a number of days (the OLE date).
bool TryDateOf(sqlite3_value* v, TDateTime& dt) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
      dt = sqlite3_value_double(v);
      return true;
    case SQLITE_TEXT:
      return TryIsoToDateTime(Trim(TextOf(v)), dt) || TryJetDateLiteral(TextOf(v), dt);
    default:
      return false;
  }
}

String ValueText(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      return IntToStr(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
      return JetNumberText(sqlite3_value_double(v));
    default:
      return TextOf(v);
  }
}

int ArgInt(sqlite3_value* v, bool& ok) {
  double d;
  ok = TryNumberOf(v, d) && d > -2147483648.0 && d < 2147483648.0;
  return ok ? int(Trunc(d)) : 0;
}

// ---- Text functions ---------------------------------------------------------------------------

void FnLeft(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  bool ok;
  int n = ArgInt(argv[1], ok);
  if (!ok || n < 0) return ResultError(ctx, L"Invalid procedure call: LEFT");
  // Stored text whose first n characters are ASCII (codes, which whole tables are filtered
  // by) gives its first bytes where it lies, without UTF-16 copies.
  if (sqlite3_value_type(argv[0]) == SQLITE_TEXT) {
    const unsigned char* text = sqlite3_value_text(argv[0]);
    const int take = Min(n, sqlite3_value_bytes(argv[0]));
    int ascii = 0;
    while (text && ascii < take && text[ascii] < 0x80) ++ascii;
    if (text && ascii == take)
      return sqlite3_result_text(ctx, reinterpret_cast<const char*>(text), take, SQLITE_TRANSIENT);
  }
  String s = TextOf(argv[0]);
  ResultText(ctx, s.substr(0, Min<size_t>(size_t(n), s.size())));
}

void FnRight(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  bool ok;
  int n = ArgInt(argv[1], ok);
  if (!ok || n < 0) return ResultError(ctx, L"Invalid procedure call: RIGHT");
  String s = TextOf(argv[0]);
  size_t take = Min<size_t>(size_t(n), s.size());
  ResultText(ctx, s.substr(s.size() - take));
}

void FnMid(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  bool ok;
  int start = ArgInt(argv[1], ok);
  if (!ok || start < 1) return ResultError(ctx, L"Invalid procedure call: MID");
  int length = -1;
  if (argc > 2) {
    length = ArgInt(argv[2], ok);
    if (!ok || length < 0) return ResultError(ctx, L"Invalid procedure call: MID");
  }
  String s = TextOf(argv[0]);
  if (size_t(start) > s.size()) return ResultText(ctx, String());
  ResultText(ctx, length < 0 ? s.substr(size_t(start) - 1) : s.substr(size_t(start) - 1, size_t(length)));
}

// The UTF-16 units of UTF-8 text: one per character, two for a character beyond the
// basic plane (a four-byte sequence); continuation bytes count nothing.
int64_t Utf16LengthOfUtf8(const unsigned char* text, int bytes) {
  int64_t units = 0;
  for (int i = 0; i < bytes; ++i) {
    const unsigned char c = text[i];
    if ((c & 0xC0) == 0x80) continue;
    units += c >= 0xF0 ? 2 : 1;
  }
  return units;
}

void FnLen(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (IsNull(argv[0])) return sqlite3_result_null(ctx);
  // Stored text is counted where it lies (the program filters chapters by their code's
  // length over whole tables); numbers and bytes are measured as text.
  if (sqlite3_value_type(argv[0]) == SQLITE_TEXT) {
    const unsigned char* text = sqlite3_value_text(argv[0]);
    if (text) return sqlite3_result_int64(ctx, Utf16LengthOfUtf8(text, sqlite3_value_bytes(argv[0])));
  }
  sqlite3_result_int64(ctx, int64_t(ValueText(argv[0]).size()));
}

void FnUCase(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (IsNull(argv[0])) return sqlite3_result_null(ctx);
  ResultText(ctx, AnsiUpperCase(ValueText(argv[0])));
}

void FnLCase(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (IsNull(argv[0])) return sqlite3_result_null(ctx);
  ResultText(ctx, AnsiLowerCase(ValueText(argv[0])));
}

// & after translation: the operands' texts joined; Null operands count as empty text and
// only all-Null operands give Null.
void FnConcat(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  String out;
  bool any = false;
  for (int i = 0; i < argc; ++i) {
    if (IsNull(argv[i])) continue;
    any = true;
    out += ValueText(argv[i]);
  }
  if (!any) return sqlite3_result_null(ctx);
  ResultText(ctx, out);
}

// ---- Conversions --------------------------------------------------------------------------------

// CINT and CLNG round halves to the even neighbour, as Jet does.
void RoundToInteger(sqlite3_context* ctx, sqlite3_value* v, double low, double high) {
  if (IsNull(v)) return sqlite3_result_null(ctx);
  double d;
  if (sqlite3_value_type(v) == SQLITE_INTEGER) {
    d = double(sqlite3_value_int64(v));
  } else if (!TryNumberOf(v, d)) {
    return ResultError(ctx, L"Data type mismatch in criteria expression.");
  }
  if (!(d > low - 0.5 && d < high + 0.5)) return ResultError(ctx, L"Overflow");
  int64_t r = Round(d);
  if (double(r) < low || double(r) > high) return ResultError(ctx, L"Overflow");
  sqlite3_result_int64(ctx, r);
}

void FnCInt(sqlite3_context* ctx, int, sqlite3_value** argv) {
  RoundToInteger(ctx, argv[0], -32768.0, 32767.0);
}

void FnCLng(sqlite3_context* ctx, int, sqlite3_value** argv) {
  RoundToInteger(ctx, argv[0], -2147483648.0, 2147483647.0);
}

void FnCStr(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (IsNull(argv[0])) return sqlite3_result_null(ctx);
  ResultText(ctx, ValueText(argv[0]));
}

// NZ(v) gives '' for Null (as it does in a query), NZ(v, other) gives other.
void FnNz(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (!IsNull(argv[0])) return sqlite3_result_value(ctx, argv[0]);
  if (argc > 1) return sqlite3_result_value(ctx, argv[1]);
  ResultText(ctx, String());
}

// ---- Dates ------------------------------------------------------------------------------------

void FnNow(sqlite3_context* ctx, int, sqlite3_value**) { ResultText(ctx, DateTimeToIso(Now())); }

void FnDate(sqlite3_context* ctx, int, sqlite3_value**) { ResultText(ctx, DateTimeToIso(Date())); }

void DatePart(sqlite3_context* ctx, sqlite3_value* v, int which) {
  if (IsNull(v)) return sqlite3_result_null(ctx);
  TDateTime dt;
  if (!TryDateOf(v, dt)) return ResultError(ctx, L"Data type mismatch in criteria expression.");
  int year, month, day;
  DecodeDate(dt, year, month, day);
  sqlite3_result_int(ctx, which == 0 ? year : which == 1 ? month : day);
}

void FnYear(sqlite3_context* ctx, int, sqlite3_value** argv) { DatePart(ctx, argv[0], 0); }
void FnMonth(sqlite3_context* ctx, int, sqlite3_value** argv) { DatePart(ctx, argv[0], 1); }
void FnDay(sqlite3_context* ctx, int, sqlite3_value** argv) { DatePart(ctx, argv[0], 2); }

// ---- FORMAT ---------------------------------------------------------------------------------------

// The named formats, as date-time or number pictures of the class library.
bool NamedDateFormat(const String& name, String& picture) {
  static const struct { const wchar_t* Name; const wchar_t* Picture; } kNames[] = {
      {L"General Date", L"c"},      {L"Long Date", L"dddddd"},   {L"Medium Date", L"dd-mmm-yy"},
      {L"Short Date", L"ddddd"},    {L"Long Time", L"tt"},       {L"Medium Time", L"hh:nn AMPM"},
      {L"Short Time", L"hh:nn"}};
  for (const auto& entry : kNames)
    if (SameText(name, entry.Name)) {
      picture = entry.Picture;
      return true;
    }
  return false;
}

bool NamedNumberFormat(const String& name, double value, String& text) {
  if (SameText(name, L"General Number")) text = JetNumberText(value);
  else if (SameText(name, L"Fixed")) text = FormatFloat(L"0.00", value);
  else if (SameText(name, L"Standard")) text = FormatFloat(L"#,##0.00", value);
  else if (SameText(name, L"Percent")) text = FormatFloat(L"0.00", value * 100) + L"%";
  else if (SameText(name, L"Scientific")) text = FormatFloat(L"0.00E+00", value);
  else if (SameText(name, L"Currency")) text = FloatToStrF(value, ffCurrency, 15, FormatSettings.CurrencyDecimals);
  else if (SameText(name, L"Yes/No")) text = value != 0 ? L"Yes" : L"No";
  else if (SameText(name, L"True/False")) text = value != 0 ? L"True" : L"False";
  else if (SameText(name, L"On/Off")) text = value != 0 ? L"On" : L"Off";
  else return false;
  return true;
}

// FORMAT(value, picture): a date (ISO text) through the date-time picture letters
// (yyyy mm dd hh nn ss ...), a number through the number picture (0 # , . %), and the
// named formats above. Anything else comes back as its text.
void FnFormat(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (IsNull(argv[0])) return sqlite3_result_null(ctx);
  String picture = argc > 1 && !IsNull(argv[1]) ? TextOf(argv[1]) : String();
  TDateTime dt;
  bool isText = sqlite3_value_type(argv[0]) == SQLITE_TEXT;
  try {
    String named;
    if (isText && TryIsoToDateTime(Trim(TextOf(argv[0])), dt)) {
      if (picture.empty()) picture = L"c";
      else if (NamedDateFormat(picture, named)) picture = named;
      return ResultText(ctx, FormatDateTime(picture, dt));
    }
    double number;
    if (TryNumberOf(argv[0], number)) {
      String text;
      if (picture.empty()) return ResultText(ctx, JetNumberText(number));
      if (NamedNumberFormat(picture, number, text)) return ResultText(ctx, text);
      if (NamedDateFormat(picture, named)) return ResultText(ctx, FormatDateTime(named, number));
      return ResultText(ctx, FormatFloat(picture, number));
    }
    ResultText(ctx, ValueText(argv[0]));
  } catch (const Exception& e) {
    ResultError(ctx, e.Message());
  }
}

// ---- LIKE -------------------------------------------------------------------------------------

void FnLike(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  // SQLite calls like(pattern, value) for "value LIKE pattern".
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  bool valid = true;
  bool match = JetLike(ValueText(argv[1]), ValueText(argv[0]), valid);
  if (!valid) return ResultError(ctx, L"Invalid pattern string.");
  sqlite3_result_int(ctx, match ? 1 : 0);
}

// One pattern element at p: how many pattern characters it takes, and whether it matches c.
// Returns 0 when the pattern is malformed (an unclosed '[').
size_t MatchOne(const String& pattern, size_t p, wchar_t c, bool& matches) {
  wchar_t pc = pattern[p];
  if (pc == L'?' || pc == L'_') {
    matches = true;
    return 1;
  }
  if (pc == L'#') {
    matches = c >= L'0' && c <= L'9';
    return 1;
  }
  if (pc != L'[') {
    matches = pc == c;
    return 1;
  }
  size_t q = p + 1;
  bool negate = q < pattern.size() && pattern[q] == L'!';
  if (negate) ++q;
  bool found = false;
  bool first = true;
  while (q < pattern.size() && (pattern[q] != L']' || first)) {
    wchar_t low = pattern[q];
    wchar_t high = low;
    if (q + 2 < pattern.size() && pattern[q + 1] == L'-' && pattern[q + 2] != L']') {
      high = pattern[q + 2];
      q += 2;
    }
    if (c >= low && c <= high) found = true;
    ++q;
    first = false;
  }
  if (q >= pattern.size()) return 0;
  matches = found != negate;
  return q + 1 - p;
}

}  // namespace

String JetNumberText(double value) {
  if (value == std::floor(value) && std::fabs(value) < 1e15)
    return IntToStr(int64_t(value));
  wchar_t text[40];
  swprintf(text, 40, L"%.15g", value);
  return text;
}

bool JetLike(const String& valueIn, const String& patternIn, bool& valid) {
  // Folded to upper case once, so that the comparison ignores case.
  String value = AnsiUpperCase(valueIn);
  String pattern = AnsiUpperCase(patternIn);
  valid = true;
  size_t v = 0, p = 0;
  size_t starP = String::npos, starV = 0;  // where to resume after the last '*'
  while (v < value.size()) {
    if (p < pattern.size() && (pattern[p] == L'*' || pattern[p] == L'%')) {
      starP = ++p;
      starV = v;
      continue;
    }
    if (p < pattern.size()) {
      bool matches = false;
      size_t used = MatchOne(pattern, p, value[v], matches);
      if (used == 0) {
        valid = false;
        return false;
      }
      if (matches) {
        p += used;
        ++v;
        continue;
      }
    }
    if (starP == String::npos) return false;
    p = starP;
    v = ++starV;
  }
  while (p < pattern.size() && (pattern[p] == L'*' || pattern[p] == L'%')) ++p;
  if (p < pattern.size()) {
    // Check the rest of the pattern is well formed before answering no.
    for (size_t q = p; q < pattern.size(); ++q)
      if (pattern[q] == L'[' && pattern.find(L']', q + 1) == String::npos) valid = false;
  }
  return p == pattern.size();
}

void RegisterJetFunctions(sqlite3* db) {
  using TFn = void (*)(sqlite3_context*, int, sqlite3_value**);
  struct TEntry {
    const char* Name;
    int Args;
    TFn Fn;
    bool Deterministic;
  };
  static const TEntry kFunctions[] = {
      {"LEFT", 2, FnLeft, true},     {"RIGHT", 2, FnRight, true},  {"MID", 2, FnMid, true},
      {"MID", 3, FnMid, true},       {"LEN", 1, FnLen, true},      {"UCASE", 1, FnUCase, true},
      {"LCASE", 1, FnLCase, true},   {"CINT", 1, FnCInt, true},    {"CLNG", 1, FnCLng, true},
      {"CSTR", 1, FnCStr, true},     {"NZ", 1, FnNz, true},        {"NZ", 2, FnNz, true},
      {"FORMAT", 1, FnFormat, true}, {"FORMAT", 2, FnFormat, true}, {"NOW", 0, FnNow, false},
      {"DATE", 0, FnDate, false},    {"YEAR", 1, FnYear, true},    {"MONTH", 1, FnMonth, true},
      {"DAY", 1, FnDay, true},       {"JETCONCAT", -1, FnConcat, true},
      {"LIKE", 2, FnLike, true}};
  for (const TEntry& f : kFunctions) {
    int flags = SQLITE_UTF16 | (f.Deterministic ? SQLITE_DETERMINISTIC : 0);
    int rc = sqlite3_create_function_v2(db, f.Name, f.Args, flags, nullptr, f.Fn, nullptr,
                                        nullptr, nullptr);
    if (rc != SQLITE_OK)
      throw EDatabaseError(L"Cannot register the SQL function " + Utf8ToString(f.Name) + L": " +
                           Utf8ToString(sqlite3_errmsg(db)));
  }
}
