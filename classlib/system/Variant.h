// Variant: a value of one of a few kinds (nothing, null, integer, floating-point, currency,
// boolean, text, date-time, bytes), as fields, parameters, Locate and Lookup pass values.
//
// Conversions follow the class library's variant rules: Empty reads as 0, False or ''
// and Null cannot be converted (EVariantTypeCastError "Could not convert variant of type
// (Null) into type (Integer)"); text converts to numbers and dates by the current
// FormatSettings; True is -1 as a number; floating-point to integer rounds halves to even.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <new>
#include <string>
#include <utility>
#include <vector>
#include "SysDate.h"
#include "SysExceptions.h"
#include "SysString.h"

CLASSLIB_EXCEPTION(EVariantError, Exception)
CLASSLIB_EXCEPTION(EVariantTypeCastError, EVariantError)

// The kinds a Variant can hold. The numbers are the class library's variant type codes.
enum TVarType : uint16_t {
  varEmpty = 0x0000,     // never assigned
  varNull = 0x0001,      // the database NULL
  varDouble = 0x0005,    // double
  varCurrency = 0x0006,  // fixed point, four decimals (held as value * 10000)
  varDate = 0x0007,      // TDateTime
  varBoolean = 0x000B,   // bool
  varInt64 = 0x0014,     // every integer
  varString = 0x0102,    // String (UTF-16)
  varBytes = 0x2011      // an array of bytes (BLOB data)
};

using TBytes = std::vector<uint8_t>;

class Variant {
 public:
  // ---- Construction -----------------------------------------------------------------
  Variant() : FInt(0) {}  // Empty
  Variant(int v) : FType(varInt64), FInt(v) {}
  Variant(unsigned v) : FType(varInt64), FInt(v) {}
  Variant(long v) : FType(varInt64), FInt(v) {}
  Variant(long long v) : FType(varInt64), FInt(v) {}
  Variant(double v) : FType(varDouble), FDouble(v) {}
  Variant(bool v) : FType(varBoolean), FInt(v ? 1 : 0) {}
  Variant(const wchar_t* s) : FType(varString), FString(s ? s : L"") {}
  Variant(const String& s) : FType(varString), FString(s) {}
  Variant(String&& s) : FType(varString), FString(std::move(s)) {}
  Variant(const TBytes& b) : FType(varBytes), FBytes(b) {}
  Variant(TBytes&& b) : FType(varBytes), FBytes(std::move(b)) {}
  Variant(const char*) = delete;  // byte text must say which code page it is in

  Variant(const Variant& other) { CopyFrom(other); }
  Variant(Variant&& other) noexcept { MoveFrom(std::move(other)); }
  Variant& operator=(const Variant& other);
  Variant& operator=(Variant&& other) noexcept;
  ~Variant() { Release(); }

  static Variant Null();
  static Variant FromDateTime(TDateTime dt);
  static Variant FromCurrency(double value);          // rounded to four decimals
  static Variant FromCurrencyScaled(int64_t scaled);  // value * 10000

  // ---- Kind -------------------------------------------------------------------------
  TVarType GetVarType() const { return FType; }
  bool IsEmpty() const { return FType == varEmpty; }
  bool IsNull() const { return FType == varNull; }
  bool IsNumeric() const;  // integer, double, currency (not boolean, not date)

  // ---- Conversions (EVariantTypeCastError when the value does not convert) ------------
  int64_t AsInt64() const;
  int AsInteger() const;        // also EVariantTypeCastError when outside the int range
  double AsDouble() const;
  double AsCurrency() const;    // rounded to four decimals
  int64_t AsCurrencyScaled() const;
  bool AsBoolean() const;       // text 'True'/'False' in any case, or a number (non-zero true)
  TDateTime AsDateTime() const;
  String AsString() const;      // Null raises; see VarToStr for the lenient form
  TBytes AsBytes() const;       // text as code page 936 bytes

  // Direct access to the bytes of a varBytes value (nullptr for other kinds).
  const TBytes* BytesPtr() const { return FType == varBytes ? &FBytes : nullptr; }
  // Direct access to the text of a varString value (nullptr for other kinds), so that
  // readers of stored rows need not copy it to look at it.
  const String* StringPtr() const { return FType == varString ? &FString : nullptr; }

  // Same kind class and same value: numbers compare by value across integer, double and
  // currency; text compares ordinally; Empty equals Empty and Null equals Null only.
  bool operator==(const Variant& other) const;
  bool operator!=(const Variant& other) const { return !(*this == other); }

 private:
  [[noreturn]] void CastError(const wchar_t* targetName) const;
  // The three below keep the union's one live member right: CopyFrom and MoveFrom expect
  // no live text or bytes (a fresh or released value); Release ends the live one.
  void CopyFrom(const Variant& other);
  void MoveFrom(Variant&& other) noexcept;
  void Release() noexcept;

  // A value is one of these at a time, by FType. Held in a union so that a value takes 32
  // bytes: rows of data sets hold thousands of them, and their size decides how many rows
  // stay in the processor's caches while a data set is walked.
  TVarType FType = varEmpty;
  union {
    int64_t FInt;      // varEmpty (0), varNull, varInt64, varBoolean (0/1), varCurrency (* 10000)
    double FDouble;    // varDouble, varDate
    String FString;    // varString
    TBytes FBytes;     // varBytes
  };
};

// ---- Inline members (a data set's rows are filled and freed through these per value) ------

inline Variant Variant::Null() {
  Variant v;
  v.FType = varNull;
  return v;
}

inline void Variant::MoveFrom(Variant&& other) noexcept {
  switch (other.FType) {
    case varString: new (&FString) String(std::move(other.FString)); break;
    case varBytes: new (&FBytes) TBytes(std::move(other.FBytes)); break;
    case varDouble:
    case varDate: FDouble = other.FDouble; break;
    default: FInt = other.FInt; break;
  }
  FType = other.FType;
}

inline void Variant::Release() noexcept {
  if (FType == varString) FString.~String();
  else if (FType == varBytes) FBytes.~TBytes();
  FType = varEmpty;
  FInt = 0;
}

// The class library's name of a variant type ("Null", "Integer", "String", ...), as the
// conversion errors show it.
String VarTypeAsText(TVarType type);

bool VarIsNull(const Variant& v);
bool VarIsEmpty(const Variant& v);
bool VarIsClear(const Variant& v);             // Empty
bool VarIsNullOrEmpty(const Variant& v);
String VarToStr(const Variant& v);             // Null and Empty give ''
String VarToStrDef(const Variant& v, const String& defaultValue);

// Several values at once (Locate and Lookup on several fields). A list is passed where the
// class library passes a variant array.
using Variants = std::vector<Variant>;
