// Variant conversions with the class library's rules and error texts.
#include "Variant.h"
#include <cmath>
#include <new>
#include "SysMath.h"

namespace {

// Reads "yyyy-mm-dd", optionally followed by ' ' or 'T' and "hh:nn[:ss[.zzz]]", the form
// dates are stored in; the whole text must match.
bool TryIsoToDateTime(const String& s, TDateTime& value) {
  size_t i = 0;
  auto number = [&](size_t digits, int& out) {
    if (i + digits > s.size()) return false;
    out = 0;
    for (size_t k = 0; k < digits; ++k, ++i) {
      if (s[i] < L'0' || s[i] > L'9') return false;
      out = out * 10 + (s[i] - L'0');
    }
    return true;
  };
  auto expect = [&](wchar_t ch) { return i < s.size() && s[i++] == ch; };
  int year, month, day, hour = 0, minute = 0, second = 0, msec = 0;
  if (!number(4, year) || !expect(L'-') || !number(2, month) || !expect(L'-') ||
      !number(2, day))
    return false;
  if (i < s.size()) {
    if (s[i] != L' ' && s[i] != L'T') return false;
    ++i;
    if (!number(2, hour) || !expect(L':') || !number(2, minute)) return false;
    if (i < s.size()) {
      if (!expect(L':') || !number(2, second)) return false;
      if (i < s.size()) {
        if (!expect(L'.')) return false;
        size_t start = i;
        int fraction = 0;
        while (i < s.size() && i - start < 3 && s[i] >= L'0' && s[i] <= L'9')
          fraction = fraction * 10 + (s[i++] - L'0');
        if (i == start) return false;
        for (size_t k = i - start; k < 3; ++k) fraction *= 10;
        while (i < s.size() && s[i] >= L'0' && s[i] <= L'9') ++i;  // finer digits dropped
        if (i != s.size()) return false;
        msec = fraction;
      }
    }
  }
  TDateTime date, time;
  if (!TryEncodeDate(year, month, day, date) || !TryEncodeTime(hour, minute, second, msec, time))
    return false;
  value = date >= 0 ? date + time : date - time;
  return true;
}

bool IsTrueText(const String& s) { return SameText(s, L"True"); }
bool IsFalseText(const String& s) { return SameText(s, L"False"); }

}  // namespace

Variant Variant::FromDateTime(TDateTime dt) {
  Variant v;
  v.FType = varDate;
  v.FDouble = dt;
  return v;
}

Variant Variant::FromCurrency(double value) {
  if (!std::isfinite(value) || std::fabs(value) > 922337203685477.0)
    throw EVariantTypeCastError(L"Could not convert variant of type (Double) into type (Currency)");
  return FromCurrencyScaled(Round(value * 10000.0));
}

Variant Variant::FromCurrencyScaled(int64_t scaled) {
  Variant v;
  v.FType = varCurrency;
  v.FInt = scaled;
  return v;
}

// ---- The union's live member ----------------------------------------------------------------

void Variant::CopyFrom(const Variant& other) {
  switch (other.FType) {
    case varString: new (&FString) String(other.FString); break;
    case varBytes: new (&FBytes) TBytes(other.FBytes); break;
    case varDouble:
    case varDate: FDouble = other.FDouble; break;
    default: FInt = other.FInt; break;
  }
  FType = other.FType;  // only once the member is made: a failed copy owns nothing
}

Variant& Variant::operator=(const Variant& other) {
  if (this == &other) return *this;
  if (FType == varString && other.FType == varString) {
    FString = other.FString;  // reuses this value's buffer
  } else if (FType == varBytes && other.FType == varBytes) {
    FBytes = other.FBytes;
  } else {
    Variant copy(other);  // a failed copy leaves this value as it was
    Release();
    MoveFrom(std::move(copy));
  }
  return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this == &other) return *this;
  if (FType == varString && other.FType == varString) {
    FString = std::move(other.FString);
  } else if (FType == varBytes && other.FType == varBytes) {
    FBytes = std::move(other.FBytes);
  } else {
    Release();
    MoveFrom(std::move(other));
  }
  return *this;
}

// ---- Kind and conversions ------------------------------------------------------------------------

bool Variant::IsNumeric() const {
  return FType == varInt64 || FType == varDouble || FType == varCurrency;
}

void Variant::CastError(const wchar_t* targetName) const {
  throw EVariantTypeCastError(L"Could not convert variant of type (%s) into type (%s)",
                              {VarTypeAsText(FType), targetName});
}

int64_t Variant::AsInt64() const {
  auto fromDouble = [this](double d) -> int64_t {
    if (!std::isfinite(d) || std::fabs(d) >= 9.2e18) CastError(L"Int64");
    return Round(d);
  };
  switch (FType) {
    case varEmpty: return 0;
    case varInt64: return FInt;
    case varBoolean: return FInt ? -1 : 0;
    case varDouble:
    case varDate: return fromDouble(FDouble);
    case varCurrency: return fromDouble(static_cast<double>(FInt) / 10000.0);
    case varString: {
      int64_t i;
      if (TryStrToInt64(FString, i)) return i;
      double d;
      if (TryStrToFloat(FString, d)) return fromDouble(d);
      break;
    }
    default: break;
  }
  CastError(L"Int64");
}

int Variant::AsInteger() const {
  int64_t value;
  try {
    value = AsInt64();
  } catch (const EVariantTypeCastError&) {
    CastError(L"Integer");
  }
  if (value < INT32_MIN || value > INT32_MAX) CastError(L"Integer");
  return static_cast<int>(value);
}

double Variant::AsDouble() const {
  switch (FType) {
    case varEmpty: return 0;
    case varInt64: return static_cast<double>(FInt);
    case varBoolean: return FInt ? -1 : 0;
    case varDouble:
    case varDate: return FDouble;
    case varCurrency: return static_cast<double>(FInt) / 10000.0;
    case varString: {
      double d;
      if (TryStrToFloat(FString, d)) return d;
      break;
    }
    default: break;
  }
  CastError(L"Double");
}

int64_t Variant::AsCurrencyScaled() const {
  if (FType == varCurrency) return FInt;
  if (FType == varInt64) {
    if (FInt > INT64_MAX / 10000 || FInt < INT64_MIN / 10000) CastError(L"Currency");
    return FInt * 10000;
  }
  double d;
  try {
    d = AsDouble();
  } catch (const EVariantTypeCastError&) {
    CastError(L"Currency");
  }
  if (!std::isfinite(d) || std::fabs(d) > 922337203685477.0) CastError(L"Currency");
  return Round(d * 10000.0);
}

double Variant::AsCurrency() const { return static_cast<double>(AsCurrencyScaled()) / 10000.0; }

bool Variant::AsBoolean() const {
  switch (FType) {
    case varEmpty: return false;
    case varInt64:
    case varBoolean:
    case varCurrency: return FInt != 0;
    case varDouble:
    case varDate: return FDouble != 0;
    case varString: {
      if (IsTrueText(FString)) return true;
      if (IsFalseText(FString)) return false;
      double d;
      if (TryStrToFloat(FString, d)) return d != 0;
      break;
    }
    default: break;
  }
  CastError(L"Boolean");
}

TDateTime Variant::AsDateTime() const {
  switch (FType) {
    case varEmpty: return 0;
    case varInt64: return static_cast<double>(FInt);
    case varDouble:
    case varDate: return FDouble;
    case varCurrency: return static_cast<double>(FInt) / 10000.0;
    case varString: {
      TDateTime dt;
      if (TryIsoToDateTime(FString, dt) || TryStrToDateTime(FString, dt)) return dt;
      break;
    }
    default: break;
  }
  CastError(L"Date");
}

String Variant::AsString() const {
  switch (FType) {
    case varEmpty: return String();
    case varInt64: return IntToStr(FInt);
    case varBoolean: return FInt ? L"True" : L"False";
    case varDouble: return FloatToStr(FDouble);
    case varDate: return DateTimeToStr(FDouble);
    case varCurrency: return CurrToStr(static_cast<double>(FInt) / 10000.0);
    case varString: return FString;
    default: break;
  }
  CastError(L"String");
}

TBytes Variant::AsBytes() const {
  switch (FType) {
    case varEmpty: return TBytes();
    case varBytes: return FBytes;
    case varString: {
      std::string bytes = StringToCp936(FString);
      return TBytes(bytes.begin(), bytes.end());
    }
    default: break;
  }
  CastError(L"Array Byte");
}

bool Variant::operator==(const Variant& other) const {
  if (IsNumeric() && other.IsNumeric()) {
    if (FType == varInt64 && other.FType == varInt64) return FInt == other.FInt;
    if (FType == varCurrency && other.FType == varCurrency) return FInt == other.FInt;
    return AsDouble() == other.AsDouble();
  }
  if (FType != other.FType) return false;
  switch (FType) {
    case varEmpty:
    case varNull: return true;
    case varBoolean: return FInt == other.FInt;
    case varDate: return FDouble == other.FDouble;
    case varString: return FString == other.FString;
    case varBytes: return FBytes == other.FBytes;
    default: return false;
  }
}

String VarTypeAsText(TVarType type) {
  switch (type) {
    case varEmpty: return L"Empty";
    case varNull: return L"Null";
    case varDouble: return L"Double";
    case varCurrency: return L"Currency";
    case varDate: return L"Date";
    case varBoolean: return L"Boolean";
    case varInt64: return L"Int64";
    case varString: return L"String";
    case varBytes: return L"Array Byte";
  }
  return L"Unknown";
}

bool VarIsNull(const Variant& v) { return v.IsNull(); }
bool VarIsEmpty(const Variant& v) { return v.IsEmpty(); }
bool VarIsClear(const Variant& v) { return v.IsEmpty(); }
bool VarIsNullOrEmpty(const Variant& v) { return v.IsNull() || v.IsEmpty(); }

String VarToStr(const Variant& v) { return VarToStrDef(v, String()); }

String VarToStrDef(const Variant& v, const String& defaultValue) {
  if (v.IsNull() || v.IsEmpty()) return defaultValue;
  if (const TBytes* bytes = v.BytesPtr())
    return Cp936ToString(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
  return v.AsString();
}
