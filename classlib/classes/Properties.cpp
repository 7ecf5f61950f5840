#include "Properties.h"

#include <mutex>

namespace {

const wchar_t* const SInvalidPropertyType = L"Invalid property type: %s";
const wchar_t* const SReadOnlyProperty = L"Property %s is read-only";

// The identifier pairs given to kinds by RegisterIntegerConsts.
struct TKindIdents {
  TIdentToInt IdentToInt = nullptr;
  TIntToIdent IntToIdent = nullptr;
};

struct TKindIdentTable {
  std::mutex Lock;
  TKindIdents Kinds[pkMethod + 1];
};

wchar_t AsciiUpper(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c; }

// Names compared as the class library compares identifiers: ASCII letters without regard to
// case. Property lookups are frequent while a layout is read, so nothing is allocated.
bool SameName(const wchar_t* a, const String& b) {
  size_t i = 0;
  for (; a[i]; ++i)
    if (i >= b.size() || AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return i == b.size();
}

TKindIdentTable& KindIdents() {
  static TKindIdentTable table;
  return table;
}

TKindIdents KindIdentsOf(TPropKind kind) {
  if (kind < pkInteger || kind > pkMethod) return TKindIdents{};
  TKindIdentTable& table = KindIdents();
  std::lock_guard<std::mutex> guard(table.Lock);
  return table.Kinds[kind];
}

}  // namespace

// ---- Kinds ----------------------------------------------------------------------------

bool IsOrdinalKind(TPropKind kind) {
  switch (kind) {
    case pkInteger:
    case pkCardinal:
    case pkInt64:
    case pkBoolean:
    case pkChar:
    case pkWChar:
    case pkEnumeration:
    case pkSet:
    case pkColor:
    case pkCursor:
    case pkShortCut:
      return true;
    default:
      return false;
  }
}

bool IsNestedObjectKind(TPropKind kind) {
  return kind == pkPersistent || kind == pkStrings || kind == pkCollection;
}

// ---- Enumerations ---------------------------------------------------------------------

String GetEnumName(const TEnumInfo& info, int value) {
  if (value < 0 || value >= info.Count || !info.Names) return String();
  return info.Names[value];
}

int GetEnumValue(const TEnumInfo& info, const String& name) {
  for (int i = 0; i < info.Count; ++i)
    if (info.Names[i] && SameName(info.Names[i], name)) return i;
  return -1;
}

// ---- Identifiers of integer kinds -------------------------------------------------------

void RegisterIntegerConsts(TPropKind kind, TIdentToInt identToInt, TIntToIdent intToIdent) {
  if (kind < pkInteger || kind > pkMethod) return;
  TKindIdentTable& table = KindIdents();
  std::lock_guard<std::mutex> guard(table.Lock);
  table.Kinds[kind] = TKindIdents{identToInt, intToIdent};
}

TIdentToInt FindIdentToInt(TPropKind kind) { return KindIdentsOf(kind).IdentToInt; }

TIntToIdent FindIntToIdent(TPropKind kind) { return KindIdentsOf(kind).IntToIdent; }

// ---- TPropInfo ---------------------------------------------------------------------------

TPropInfo::TPropInfo(const wchar_t* name, TPropKind kind, TGetter getter, TSetter setter)
    : FName(name), FKind(kind), FGetter(std::move(getter)), FSetter(std::move(setter)) {}

void TPropInfo::ConvertError() const { throw EPropertyConvertError(SInvalidPropertyType, {FName}); }

void TPropInfo::CheckWritable() const {
  if (!FSetter) throw EPropertyError(SReadOnlyProperty, {FName});
}

TPropValue TPropInfo::Get(TObject* instance) const {
  if (!FGetter || !instance) ConvertError();
  return FGetter(instance);
}

int64_t TPropInfo::GetOrd(TObject* instance) const {
  if (!IsOrdinalKind(FKind)) ConvertError();
  return std::get<int64_t>(Get(instance));
}

void TPropInfo::SetOrd(TObject* instance, int64_t value) const {
  if (!IsOrdinalKind(FKind)) ConvertError();
  CheckWritable();
  FSetter(instance, value);
}

double TPropInfo::GetFloat(TObject* instance) const {
  if (FKind != pkFloat) ConvertError();
  return std::get<double>(Get(instance));
}

void TPropInfo::SetFloat(TObject* instance, double value) const {
  if (FKind != pkFloat) ConvertError();
  CheckWritable();
  FSetter(instance, value);
}

String TPropInfo::GetString(TObject* instance) const {
  if (FKind != pkString && FKind != pkWString) ConvertError();
  return std::get<String>(Get(instance));
}

void TPropInfo::SetString(TObject* instance, const String& value) const {
  if (FKind != pkString && FKind != pkWString) ConvertError();
  CheckWritable();
  FSetter(instance, value);
}

TObject* TPropInfo::GetObject(TObject* instance) const {
  if (FKind != pkComponent && !IsNestedObjectKind(FKind)) ConvertError();
  return std::get<TObject*>(Get(instance));
}

void TPropInfo::SetObject(TObject* instance, TObject* value) const {
  if (FKind != pkComponent && !IsNestedObjectKind(FKind)) ConvertError();
  CheckWritable();
  FSetter(instance, value);
}

TMethod TPropInfo::GetMethod(TObject* instance) const {
  if (FKind != pkMethod) ConvertError();
  return std::get<TMethod>(Get(instance));
}

void TPropInfo::SetMethod(TObject* instance, const TMethod& value) const {
  if (FKind != pkMethod) ConvertError();
  CheckWritable();
  FSetter(instance, value);
}

bool TPropInfo::IsStored(TObject* instance) const { return !FStored || FStored(instance); }

bool TPropInfo::IsDefaultValue(TObject* instance) const {
  if (FKind == pkInt64) {
    const int64_t* declared = std::get_if<int64_t>(&FDefault);
    return GetOrd(instance) == (declared ? *declared : 0);
  }
  if (IsOrdinalKind(FKind)) {
    const int64_t* declared = std::get_if<int64_t>(&FDefault);
    return declared && GetOrd(instance) == *declared;
  }
  switch (FKind) {
    case pkFloat: {
      const double* declared = std::get_if<double>(&FDefault);
      return GetFloat(instance) == (declared ? *declared : 0.0);
    }
    case pkString:
    case pkWString: {
      const String* declared = std::get_if<String>(&FDefault);
      return GetString(instance) == (declared ? *declared : String());
    }
    case pkComponent:
      return GetObject(instance) == nullptr;
    case pkMethod:
      return !GetMethod(instance).Assigned();
    default:
      return false;
  }
}

bool TPropInfo::IdentToInt(const String& ident, int32_t& value) const {
  TIdentToInt convert = FIdentToInt ? FIdentToInt : FindIdentToInt(FKind);
  return convert && convert(ident, value);
}

bool TPropInfo::IntToIdent(int32_t value, String& ident) const {
  TIntToIdent convert = FIntToIdent ? FIntToIdent : FindIntToIdent(FKind);
  return convert && convert(value, ident);
}

void TPropInfo::SetIdents(TIdentToInt identToInt, TIntToIdent intToIdent) {
  FIdentToInt = identToInt;
  FIntToIdent = intToIdent;
}

void TPropInfo::SetDefaultValue(TPropValue value) {
  if (FKind == pkFloat) {
    if (const int64_t* whole = std::get_if<int64_t>(&value)) value = static_cast<double>(*whole);
    if (!std::holds_alternative<double>(value)) ConvertError();
  } else if (IsOrdinalKind(FKind)) {
    if (!std::holds_alternative<int64_t>(value)) ConvertError();
  } else if (FKind == pkString || FKind == pkWString) {
    if (!std::holds_alternative<String>(value)) ConvertError();
  } else if (FKind == pkComponent) {
    // nil is the only default a reference can have, and it is the implied one.
    if (!std::holds_alternative<TObject*>(value) || std::get<TObject*>(value)) ConvertError();
  } else {
    ConvertError();
  }
  FDefault = std::move(value);
}

// ---- TPropertyTable ------------------------------------------------------------------------

TPropertyTable::TPropertyTable(std::initializer_list<TPropInfo> properties,
                               std::initializer_list<TFieldInfo> fields)
    : FProperties(properties), FFields(fields) {
  for (size_t i = 0; i < FProperties.size(); ++i)
    for (size_t j = 0; j < i; ++j)
      if (SameName(FProperties[i].GetName(), FProperties[j].GetName()))
        throw EPropertyError(L"Property %s is declared twice", {FProperties[i].GetName()});
  for (size_t i = 0; i < FFields.size(); ++i)
    for (size_t j = 0; j < i; ++j)
      if (SameName(FFields[i].Name, FFields[j].Name))
        throw EPropertyError(L"Field %s is declared twice", {FFields[i].Name});
}

const TPropInfo* TPropertyTable::Find(const String& name) const {
  for (const TPropInfo& prop : FProperties)
    if (SameName(prop.GetName(), name)) return &prop;
  return nullptr;
}

const TFieldInfo* TPropertyTable::FindField(const String& name) const {
  for (const TFieldInfo& field : FFields)
    if (SameName(field.Name, name)) return &field;
  return nullptr;
}

// ---- Lookups along the class chain ---------------------------------------------------------

namespace {

const TPropertyTable* OwnTable(const TClassInfo* cls) {
  return cls->PublishedProperties ? cls->PublishedProperties() : nullptr;
}

}  // namespace

const TPropInfo* GetPropInfo(const TClassInfo* cls, const String& name) {
  for (const TClassInfo* c = cls; c; c = c->Parent)
    if (const TPropertyTable* table = OwnTable(c))
      if (const TPropInfo* prop = table->Find(name)) return prop;
  return nullptr;
}

std::vector<const TPropInfo*> GetPropList(const TClassInfo* cls) {
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* c = cls; c; c = c->Parent) chain.push_back(c);
  std::vector<const TPropInfo*> list;
  for (auto c = chain.rbegin(); c != chain.rend(); ++c) {
    const TPropertyTable* table = OwnTable(*c);
    if (!table) continue;
    for (int i = 0; i < table->GetCount(); ++i) {
      const TPropInfo* prop = &table->GetProperty(i);
      bool replaced = false;
      for (const TPropInfo*& earlier : list) {
        if (SameName(earlier->GetName(), prop->GetName())) {
          earlier = prop;
          replaced = true;
          break;
        }
      }
      if (!replaced) list.push_back(prop);
    }
  }
  return list;
}

const TFieldInfo* GetFieldInfo(const TClassInfo* cls, const String& name) {
  for (const TClassInfo* c = cls; c; c = c->Parent)
    if (const TPropertyTable* table = OwnTable(c))
      if (const TFieldInfo* field = table->FindField(name)) return field;
  return nullptr;
}
