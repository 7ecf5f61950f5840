// TField and its kinds: conversions between the stored Variant and the As* forms, with the
// class library's texts for values that do not convert.
#include <cmath>
#include "../classes/StringList.h"
#include "../system/SysMath.h"
#include "DB.h"

namespace {

const Variant& NullVariant() {
  static const Variant null = Variant::Null();
  return null;
}

bool IsNullish(const Variant& v) { return v.IsNull() || v.IsEmpty(); }

String BytesToText(const TBytes& bytes) {
  return Cp936ToString(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

TBytes TextToBytes(const String& text) {
  std::string bytes = StringToCp936(text);
  return TBytes(bytes.begin(), bytes.end());
}

// A date from text: the stored ISO form or the locale's form (EConvertError otherwise).
TDateTime TextToDateTime(const String& text) {
  if (text.size() >= 10 && text[4] == L'-') {
    try {
      return Variant(text).AsDateTime();
    } catch (const EVariantTypeCastError&) {
    }
  }
  return StrToDateTime(text);
}

}  // namespace

// ---- TField -------------------------------------------------------------------------------------

TField::TField(TComponent* owner) : TComponent(owner) {}

TField::~TField() {
  if (FDataSet) FDataSet->RemoveField(this);
}

void TField::SetDataSet(TDataSet* dataSet) {
  if (dataSet == FDataSet) return;
  if (dataSet) dataSet->CheckInactive();
  if (FDataSet) {
    FDataSet->CheckInactive();
    FDataSet->RemoveField(this);
  }
  if (dataSet) dataSet->AddField(this);
}

void TField::SetFieldName(const String& value) {
  if (FDataSet && FDataSet->GetActive() && value != FFieldName)
    DatabaseError(DBText::DataSetOpen, FDataSet);
  FFieldName = value;
  if (FDataSet) FDataSet->GetFields()->NamesChanged();
}

int TField::GetIndex() const { return FDataSet ? FDataSet->GetFields()->IndexOf(this) : -1; }

bool TField::IsBlobType(TFieldType type) {
  return type == ftBlob || type == ftMemo || type == ftGraphic || type == ftFmtMemo ||
         type == ftTypedBinary;
}

const Variant& TField::GetData() const { return FDataSet ? FDataSet->ReadValue(this) : NullVariant(); }

void TField::SetData(const Variant& value) {
  if (!FDataSet) DatabaseErrorFmt(L"Field '%s' has no dataset", {GetDisplayName()});
  FDataSet->WriteValue(this, value);
}

void TField::AccessError(const wchar_t* typeName) const {
  DatabaseErrorFmt(DBText::FieldAccessError, {GetDisplayName(), typeName});
}

void TField::RangeError(double value, double minValue, double maxValue) const {
  DatabaseErrorFmt(DBText::FieldRangeError,
                   {FloatToStr(value), GetDisplayName(), FloatToStr(minValue), FloatToStr(maxValue)});
}

String TField::GetAsString() const { return VarToStr(GetData()); }
void TField::SetAsString(const String& value) { SetData(value); }
int TField::GetAsInteger() const { AccessError(L"Integer"); }
void TField::SetAsInteger(int) { AccessError(L"Integer"); }
double TField::GetAsFloat() const { AccessError(L"Float"); }
void TField::SetAsFloat(double) { AccessError(L"Float"); }
bool TField::GetAsBoolean() const { AccessError(L"Boolean"); }
void TField::SetAsBoolean(bool) { AccessError(L"Boolean"); }
TDateTime TField::GetAsDateTime() const { AccessError(L"DateTime"); }
void TField::SetAsDateTime(TDateTime) { AccessError(L"DateTime"); }
Variant TField::GetAsVariant() const { return GetData(); }

void TField::SetAsVariant(const Variant& value) {
  if (IsNullish(value)) Clear();
  else SetData(value);
}

bool TField::GetIsNull() const { return IsNullish(GetData()); }

void TField::Clear() { SetData(Variant::Null()); }

String TField::GetTextOf(bool) const { return GetAsString(); }

String TField::GetText() const {
  String text;
  if (OnGetText) OnGetText(const_cast<TField*>(this), text, false);
  else text = GetTextOf(false);
  return text;
}

void TField::SetText(const String& value) {
  if (OnSetText) OnSetText(this, value);
  else SetAsString(value);
}

String TField::GetDisplayText() const {
  String text;
  if (OnGetText) OnGetText(const_cast<TField*>(this), text, true);
  else text = GetTextOf(true);
  return text;
}

bool TField::IsValidChar(wchar_t) const { return true; }

bool TField::GetCanModify() const {
  return !FReadOnly && FFieldKind == fkData && FDataSet && FDataSet->GetActive() &&
         FDataSet->GetCanModify();
}

void TField::FocusControl() {
  if (!FDataSet) return;
  TField* field = this;
  FDataSet->DataEvent(deFocusControl, reinterpret_cast<intptr_t>(&field));
}

void TField::Assign(TPersistent* source) {
  if (!source) {
    Clear();
  } else if (auto* field = dynamic_cast<TField*>(source)) {
    SetAsVariant(field->GetAsVariant());
  } else if (auto* strings = dynamic_cast<TStrings*>(source)) {
    SetAsString(strings->GetText());
  } else {
    TComponent::Assign(source);
  }
}

void TField::AssignTo(TPersistent* dest) {
  if (auto* strings = dynamic_cast<TStrings*>(dest)) strings->SetText(GetAsString());
  else TComponent::AssignTo(dest);
}

// ---- TStringField --------------------------------------------------------------------------------

TStringField::TStringField(TComponent* owner) : TField(owner) {
  SetDataType(ftString);
  SetSize(20);
}

String TStringField::GetAsString() const {
  const Variant& data = GetData();
  if (const String* text = data.StringPtr()) return *text;  // the usual case, without a detour
  return VarToStr(data);
}
// Kept whole even beyond Size: cutting the text would lose what the user typed.
void TStringField::SetAsString(const String& value) { SetData(value); }
int TStringField::GetAsInteger() const { return StrToInt(GetAsString()); }
void TStringField::SetAsInteger(int value) { SetAsString(IntToStr(value)); }
double TStringField::GetAsFloat() const { return StrToFloat(GetAsString()); }
void TStringField::SetAsFloat(double value) { SetAsString(FloatToStr(value)); }

bool TStringField::GetAsBoolean() const {
  String s = GetAsString();
  return !s.empty() && (s[0] == L'T' || s[0] == L't' || s[0] == L'Y' || s[0] == L'y');
}

void TStringField::SetAsBoolean(bool value) { SetAsString(value ? L"True" : L"False"); }
TDateTime TStringField::GetAsDateTime() const { return TextToDateTime(GetAsString()); }
void TStringField::SetAsDateTime(TDateTime value) { SetAsString(DateTimeToStr(value)); }

Variant TStringField::GetAsVariant() const {
  const Variant& data = GetData();
  if (IsNullish(data)) return Variant::Null();
  return VarToStr(data);
}

void TStringField::SetAsVariant(const Variant& value) {
  if (IsNullish(value)) Clear();
  else SetAsString(VarToStr(value));
}

int TStringField::DefaultDisplayWidth() const { return GetSize() > 0 ? GetSize() : 20; }

TWideStringField::TWideStringField(TComponent* owner) : TStringField(owner) {
  SetDataType(ftWideString);
}

// ---- Numbers -------------------------------------------------------------------------------------

TNumericField::TNumericField(TComponent* owner) : TField(owner) { SetAlignment(taRightJustify); }

bool TNumericField::IsValidChar(wchar_t ch) const {
  return ch == L'+' || ch == L'-' || (ch >= L'0' && ch <= L'9');
}

TIntegerField::TIntegerField(TComponent* owner)
    : TNumericField(owner), FMinRange(INT32_MIN), FMaxRange(INT32_MAX) {
  SetDataType(ftInteger);
}

void TIntegerField::CheckRange(int64_t value) const {
  int64_t low = FMinRange, high = FMaxRange;
  if (FMinValue != 0 || FMaxValue != 0) {
    low = FMinValue;
    high = FMaxValue;
  }
  if (value < low || value > high)
    RangeError(static_cast<double>(value), static_cast<double>(low), static_cast<double>(high));
}

String TIntegerField::GetAsString() const {
  const Variant& data = GetData();
  return IsNullish(data) ? String() : IntToStr(data.AsInt64());
}

void TIntegerField::SetAsString(const String& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  int64_t number;
  if (!TryStrToInt64(value, number))
    DatabaseErrorFmt(DBText::InvalidIntegerValue, {value, GetDisplayName()});
  CheckRange(number);
  SetData(static_cast<long long>(number));
}

int TIntegerField::GetAsInteger() const {
  const Variant& data = GetData();
  return IsNullish(data) ? 0 : data.AsInteger();
}

void TIntegerField::SetAsInteger(int value) {
  CheckRange(value);
  SetData(value);
}

double TIntegerField::GetAsFloat() const {
  const Variant& data = GetData();
  return IsNullish(data) ? 0 : static_cast<double>(data.AsInt64());
}

void TIntegerField::SetAsFloat(double value) {
  if (!std::isfinite(value) || value < -2147483648.5 || value > 2147483647.5)
    RangeError(value, static_cast<double>(FMinRange), static_cast<double>(FMaxRange));
  SetAsInteger(static_cast<int>(Round(value)));
}

bool TIntegerField::GetAsBoolean() const { return GetAsInteger() != 0; }
void TIntegerField::SetAsBoolean(bool value) { SetAsInteger(value ? 1 : 0); }

Variant TIntegerField::GetAsVariant() const {
  const Variant& data = GetData();
  if (IsNullish(data)) return Variant::Null();
  return static_cast<long long>(data.AsInt64());
}

void TIntegerField::SetAsVariant(const Variant& value) {
  if (IsNullish(value)) {
    Clear();
  } else if (value.GetVarType() == varString) {
    SetAsString(value.AsString());
  } else {
    int64_t number = value.AsInt64();
    CheckRange(number);
    SetData(static_cast<long long>(number));
  }
}

int TIntegerField::DefaultDisplayWidth() const { return FMaxRange <= 32767 ? 6 : 11; }

String TIntegerField::GetTextOf(bool displayText) const {
  const Variant& data = GetData();
  if (IsNullish(data)) return String();
  const String& format = (displayText || FEditFormat.empty()) ? FDisplayFormat : FEditFormat;
  int64_t value = data.AsInt64();
  return format.empty() ? IntToStr(value) : FormatFloat(format, static_cast<double>(value));
}

TSmallintField::TSmallintField(TComponent* owner) : TIntegerField(owner) {
  SetDataType(ftSmallint);
  FMinRange = -32768;
  FMaxRange = 32767;
}

TAutoIncField::TAutoIncField(TComponent* owner) : TIntegerField(owner) {
  SetDataType(ftAutoInc);
}

TFloatField::TFloatField(TComponent* owner) : TNumericField(owner) { SetDataType(ftFloat); }

String TFloatField::GetAsString() const {
  const Variant& data = GetData();
  return IsNullish(data) ? String() : FloatToStr(data.AsDouble());
}

void TFloatField::SetAsString(const String& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  double number;
  if (!TryStrToFloat(value, number))
    DatabaseErrorFmt(DBText::InvalidFloatValue, {value, GetDisplayName()});
  SetAsFloat(number);
}

int TFloatField::GetAsInteger() const {
  double value = GetAsFloat();
  if (!std::isfinite(value) || value < -2147483648.5 || value > 2147483647.5)
    throw EIntError(L"Integer overflow");
  return static_cast<int>(Round(value));
}

void TFloatField::SetAsInteger(int value) { SetAsFloat(value); }

double TFloatField::GetAsFloat() const {
  const Variant& data = GetData();
  return IsNullish(data) ? 0 : data.AsDouble();
}

void TFloatField::SetAsFloat(double value) {
  if (!std::isfinite(value)) DatabaseErrorFmt(DBText::InvalidFloatValue, {FloatToStr(value), GetDisplayName()});
  SetData(value);
}

Variant TFloatField::GetAsVariant() const {
  const Variant& data = GetData();
  if (IsNullish(data)) return Variant::Null();
  return data.AsDouble();
}

void TFloatField::SetAsVariant(const Variant& value) {
  if (IsNullish(value)) Clear();
  else if (value.GetVarType() == varString) SetAsString(value.AsString());
  else SetAsFloat(value.AsDouble());
}

bool TFloatField::IsValidChar(wchar_t ch) const {
  return TNumericField::IsValidChar(ch) || ch == FormatSettings.DecimalSeparator || ch == L'E' ||
         ch == L'e';
}

String TFloatField::GetTextOf(bool displayText) const {
  const Variant& data = GetData();
  if (IsNullish(data)) return String();
  double value = data.AsDouble();
  const String& format = (displayText || FEditFormat.empty()) ? FDisplayFormat : FEditFormat;
  if (!format.empty()) return FormatFloat(format, value);
  if (FCurrency)
    return FloatToStrF(value, displayText ? ffCurrency : ffFixed, FPrecision,
                       FormatSettings.CurrencyDecimals);
  return FloatToStrF(value, ffGeneral, FPrecision, 0);
}

TCurrencyField::TCurrencyField(TComponent* owner) : TFloatField(owner) {
  SetDataType(ftCurrency);
  FCurrency = true;
}

Variant TCurrencyField::GetAsVariant() const {
  const Variant& data = GetData();
  if (IsNullish(data)) return Variant::Null();
  return Variant::FromCurrency(data.AsDouble());
}

void TCurrencyField::SetAsFloat(double value) {
  if (!std::isfinite(value) || std::fabs(value) > 922337203685477.0)
    DatabaseErrorFmt(DBText::InvalidFloatValue, {FloatToStr(value), GetDisplayName()});
  TFloatField::SetAsFloat(static_cast<double>(Round(value * 10000.0)) / 10000.0);
}

// ---- TBooleanField --------------------------------------------------------------------------------

TBooleanField::TBooleanField(TComponent* owner) : TField(owner) { SetDataType(ftBoolean); }

void TBooleanField::SetDisplayValues(const String& value) {
  FDisplayValues = value;
  size_t separator = value.find(L';');
  if (separator == String::npos) {
    FTrueText = value;
    FFalseText.clear();
  } else {
    FTrueText = value.substr(0, separator);
    FFalseText = value.substr(separator + 1);
  }
}

bool TBooleanField::GetAsBoolean() const {
  const Variant& data = GetData();
  return IsNullish(data) ? false : data.AsBoolean();
}

void TBooleanField::SetAsBoolean(bool value) { SetData(value); }

String TBooleanField::GetAsString() const {
  const Variant& data = GetData();
  if (IsNullish(data)) return String();
  return data.AsBoolean() ? FTrueText : FFalseText;
}

void TBooleanField::SetAsString(const String& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  auto isPrefixOf = [&value](const String& word) {
    return value.size() <= word.size() && AnsiCompareText(value, word.substr(0, value.size())) == 0;
  };
  if (isPrefixOf(FFalseText)) SetAsBoolean(false);
  else if (isPrefixOf(FTrueText)) SetAsBoolean(true);
  else DatabaseErrorFmt(DBText::InvalidBoolValue, {value, GetDisplayName()});
}

int TBooleanField::GetAsInteger() const { return GetAsBoolean() ? 1 : 0; }
void TBooleanField::SetAsInteger(int value) { SetAsBoolean(value != 0); }

Variant TBooleanField::GetAsVariant() const {
  const Variant& data = GetData();
  if (IsNullish(data)) return Variant::Null();
  return data.AsBoolean();
}

void TBooleanField::SetAsVariant(const Variant& value) {
  if (IsNullish(value)) Clear();
  else if (value.GetVarType() == varString) SetAsString(value.AsString());
  else SetAsBoolean(value.AsBoolean());
}

int TBooleanField::DefaultDisplayWidth() const {
  return static_cast<int>(std::max(FTrueText.size(), FFalseText.size()));
}

// ---- TDateTimeField --------------------------------------------------------------------------------

TDateTimeField::TDateTimeField(TComponent* owner) : TField(owner) { SetDataType(ftDateTime); }

TDateTime TDateTimeField::GetAsDateTime() const {
  const Variant& data = GetData();
  return IsNullish(data) ? 0 : data.AsDateTime();
}

void TDateTimeField::SetAsDateTime(TDateTime value) {
  if (!std::isfinite(value)) DatabaseErrorFmt(DBText::InvalidFloatValue, {FloatToStr(value), GetDisplayName()});
  SetData(Variant::FromDateTime(value));
}

String TDateTimeField::GetAsString() const { return GetTextOf(false); }

void TDateTimeField::SetAsString(const String& value) {
  if (value.empty()) Clear();
  else SetAsDateTime(TextToDateTime(value));
}

double TDateTimeField::GetAsFloat() const { return GetAsDateTime(); }
void TDateTimeField::SetAsFloat(double value) { SetAsDateTime(value); }

Variant TDateTimeField::GetAsVariant() const {
  const Variant& data = GetData();
  if (IsNullish(data)) return Variant::Null();
  return Variant::FromDateTime(data.AsDateTime());
}

void TDateTimeField::SetAsVariant(const Variant& value) {
  if (IsNullish(value)) Clear();
  else if (value.GetVarType() == varString) SetAsString(value.AsString());
  else SetAsDateTime(value.AsDateTime());
}

int TDateTimeField::DefaultDisplayWidth() const { return 18; }

String TDateTimeField::GetTextOf(bool displayText) const {
  const Variant& data = GetData();
  if (IsNullish(data)) return String();
  const wchar_t* format = displayText && !FDisplayFormat.empty() ? FDisplayFormat.c_str() : L"c";
  return FormatDateTime(format, data.AsDateTime());
}

// ---- Blobs ---------------------------------------------------------------------------------------------

TBlobField::TBlobField(TComponent* owner) : TField(owner) { SetDataType(ftBlob); }

TBytes TBlobField::GetAsBytes() const {
  const Variant& data = GetData();
  if (IsNullish(data)) return TBytes();
  if (const TBytes* bytes = data.BytesPtr()) return *bytes;
  return TextToBytes(VarToStr(data));
}

void TBlobField::SetAsBytes(const TBytes& value) {
  if (GetDataType() == ftMemo || GetDataType() == ftFmtMemo) SetData(BytesToText(value));
  else SetData(value);
}

int64_t TBlobField::GetBlobSize() const {
  const Variant& data = GetData();
  if (const TBytes* bytes = data.BytesPtr()) return static_cast<int64_t>(bytes->size());
  return static_cast<int64_t>(GetAsBytes().size());
}

String TBlobField::GetAsString() const {
  const Variant& data = GetData();
  if (IsNullish(data)) return String();
  if (const TBytes* bytes = data.BytesPtr()) return BytesToText(*bytes);
  return VarToStr(data);
}

void TBlobField::SetAsString(const String& value) { SetAsBytes(TextToBytes(value)); }

Variant TBlobField::GetAsVariant() const {
  const Variant& data = GetData();
  if (IsNullish(data)) return Variant::Null();
  return GetAsBytes();
}

void TBlobField::SetAsVariant(const Variant& value) {
  if (IsNullish(value)) Clear();
  else if (const TBytes* bytes = value.BytesPtr()) SetAsBytes(*bytes);
  else SetAsString(VarToStr(value));
}

void TBlobField::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  int64_t size = stream.GetSize() - stream.GetPosition();
  if (size < 0 || size > INT32_MAX) throw EStreamError(L"Stream read error");
  TBytes bytes(static_cast<size_t>(size));
  if (size > 0) stream.ReadBuffer(bytes.data(), static_cast<int>(size));
  SetAsBytes(bytes);
}

void TBlobField::SaveToStream(TStream& stream) const {
  TBytes bytes = GetAsBytes();
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
}

void TBlobField::LoadFromFile(const String& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TBlobField::SaveToFile(const String& fileName) const {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream);
}

void TBlobField::Assign(TPersistent* source) {
  if (auto* blob = dynamic_cast<TBlobField*>(source)) {
    if (blob->GetIsNull()) Clear();
    else SetAsBytes(blob->GetAsBytes());
  } else if (auto* strings = dynamic_cast<TStrings*>(source); strings && GetDataType() != ftMemo) {
    TMemoryStream stream;
    strings->SaveToStream(stream);
    const int64_t size = stream.GetSize();
    if (size > INT32_MAX) throw EStreamError(L"Stream read error");
    TBytes bytes(static_cast<size_t>(size));
    stream.SetPosition(0);
    if (size > 0) stream.ReadBuffer(bytes.data(), static_cast<int>(size));
    SetAsBytes(bytes);
  } else {
    TField::Assign(source);
  }
}

void TBlobField::AssignTo(TPersistent* dest) {
  // A memo field's value is text; it goes as text, without a round trip through code page 936.
  if (auto* strings = dynamic_cast<TStrings*>(dest); strings && GetDataType() != ftMemo) {
    const TBytes bytes = GetAsBytes();
    TMemoryStream stream;
    if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
    stream.SetPosition(0);
    strings->LoadFromStream(stream);
  } else {
    TField::AssignTo(dest);
  }
}

String TBlobField::GetTextOf(bool) const {
  const wchar_t* name = GetDataType() == ftMemo ? L"Memo" : GetDataType() == ftGraphic ? L"Graphic" : L"Blob";
  String text = String(L"(") + name + L")";
  return GetIsNull() ? text : UpperCase(text);
}

TMemoField::TMemoField(TComponent* owner) : TBlobField(owner) { SetDataType(ftMemo); }

String TMemoField::GetAsString() const { return TBlobField::GetAsString(); }

void TMemoField::SetAsString(const String& value) { SetData(value); }

Variant TMemoField::GetAsVariant() const {
  const Variant& data = GetData();
  if (IsNullish(data)) return Variant::Null();
  return GetAsString();
}

void TMemoField::SetAsVariant(const Variant& value) {
  if (IsNullish(value)) Clear();
  else SetAsString(VarToStr(value));
}

TGraphicField::TGraphicField(TComponent* owner) : TBlobField(owner) { SetDataType(ftGraphic); }

// ---- TFields -------------------------------------------------------------------------------------------

TField* TFields::GetField(int index) const {
  if (index < 0 || index >= GetCount()) throw EListError(L"List index out of bounds (%d)", {index});
  return FList[static_cast<size_t>(index)];
}

size_t TFields::TNameHash::operator()(const String& name) const {
  size_t hash = 2166136261u;  // FNV-1a over the letters as SameText sees them
  for (wchar_t ch : name) {
    if (ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - (L'a' - L'A'));
    hash = (hash ^ static_cast<size_t>(ch)) * 16777619u;
  }
  return hash;
}

bool TFields::TNameEqual::operator()(const String& a, const String& b) const {
  return SameText(a, b);
}

TField* TFields::FindField(const String& name) const {
  if (!FIndexValid) {
    FIndex.clear();
    for (TField* field : FList) FIndex.emplace(field->GetFieldName(), field);  // first one wins
    FIndexValid = true;
  }
  auto it = FIndex.find(name);
  return it == FIndex.end() ? nullptr : it->second;
}

TField* TFields::FieldByName(const String& name) const {
  TField* field = FindField(name);
  if (!field) DatabaseErrorFmt(DBText::FieldNotFound, {name}, FDataSet);
  return field;
}

TField* TFields::FieldByNumber(int fieldNo) const {
  for (TField* field : FList)
    if (field->GetFieldNo() == fieldNo) return field;
  return nullptr;
}

int TFields::IndexOf(const TField* field) const {
  for (size_t i = 0; i < FList.size(); ++i)
    if (FList[i] == field) return static_cast<int>(i);
  return -1;
}

void TFields::Add(TField* field) {
  if (IndexOf(field) < 0) FList.push_back(field);
  FIndexValid = false;
}

void TFields::Remove(TField* field) {
  int index = IndexOf(field);
  if (index >= 0) FList.erase(FList.begin() + index);
  FIndexValid = false;
}

void TFields::Clear() {
  FList.clear();
  FIndex.clear();
  FIndexValid = false;
}
