#include "StringList.h"

#include <algorithm>
#include <numeric>

namespace {

const wchar_t* const SListIndexError = L"List index out of bounds (%d)";
const wchar_t* const SSortedListError = L"Operation not allowed on sorted list";
const wchar_t* const SDuplicateString = L"String list does not allow duplicates";

// Runs change inside BeginUpdate/EndUpdate; EndUpdate also runs when change throws.
template <class F> void Updating(TStrings& strings, F&& change) {
  strings.BeginUpdate();
  try {
    change();
  } catch (...) {
    strings.EndUpdate();
    throw;
  }
  strings.EndUpdate();
}

// Reads a quoted item starting at text[pos] (the opening quote): a doubled quote stands
// for one quote, and the item ends after the closing quote or at the end of the text.
String ExtractQuoted(const String& text, size_t& pos, wchar_t quoteChar) {
  String result;
  ++pos;
  while (pos < text.size()) {
    wchar_t c = text[pos];
    if (c == quoteChar) {
      if (pos + 1 < text.size() && text[pos + 1] == quoteChar) {
        result += quoteChar;
        pos += 2;
        continue;
      }
      ++pos;
      break;
    }
    result += c;
    ++pos;
  }
  return result;
}

// True when an item must be quoted to read back as one item.
bool NeedsQuotes(const String& s, wchar_t delimiter, wchar_t quoteChar) {
  for (wchar_t c : s)
    if (c <= L' ' || c == quoteChar || c == delimiter) return true;
  return false;
}

// ---- Text as bytes -------------------------------------------------------------------

const char kUtf8Bom[] = "\xEF\xBB\xBF";
const char kUtf16Bom[] = "\xFF\xFE";

String Utf16LeToString(std::string_view bytes) {
  String result(bytes.size() / 2, L'\0');
  for (size_t i = 0; i < result.size(); ++i)
    result[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  if (bytes.size() % 2 != 0) result += L'\xFFFD';  // a dangling odd byte
  return result;
}

std::string StringToUtf16Le(const String& s) {
  std::string bytes(s.size() * 2, '\0');
  for (size_t i = 0; i < s.size(); ++i) {
    bytes[2 * i] = static_cast<char>(s[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>((s[i] >> 8) & 0xFF);
  }
  return bytes;
}

// A byte-order mark decides; without one the bytes are read in encoding.
String DecodeText(std::string_view bytes, TTextEncoding encoding) {
  if (bytes.substr(0, 3) == kUtf8Bom) return Utf8ToString(bytes.substr(3));
  if (bytes.substr(0, 2) == kUtf16Bom) return Utf16LeToString(bytes.substr(2));
  switch (encoding) {
    case teUtf8: return Utf8ToString(bytes);
    case teUtf16: return Utf16LeToString(bytes);
    default: return Cp936ToString(bytes);
  }
}

std::string EncodeText(const String& text, TTextEncoding encoding) {
  switch (encoding) {
    case teUtf8: return kUtf8Bom + StringToUtf8(text);
    case teUtf16: return kUtf16Bom + StringToUtf16Le(text);
    default: return StringToCp936(text);
  }
}

}  // namespace

// ---- TStrings: items ---------------------------------------------------------------------

void TStrings::Put(int index, const String& s) {
  TObject* obj = GetObject(index);
  Delete(index);
  InsertObject(index, s, obj);
}

TObject* TStrings::GetObject(int) const { return nullptr; }

void TStrings::PutObject(int, TObject*) {}

void TStrings::InsertObject(int index, const String& s, TObject* obj) {
  Insert(index, s);
  PutObject(index, obj);
}

// ---- TStrings: operations ------------------------------------------------------------------

int TStrings::Add(const String& s) {
  int index = GetCount();
  Insert(index, s);
  return index;
}

int TStrings::AddObject(const String& s, TObject* obj) {
  int index = Add(s);
  PutObject(index, obj);
  return index;
}

void TStrings::Append(const String& s) { Add(s); }

void TStrings::AddStrings(TStrings* strings) {
  if (!strings) return;
  // Adding a list to itself reads from a copy, as the additions move the items it reads.
  struct TItem { String S; TObject* Obj; };
  std::vector<TItem> items;
  const int count = strings->GetCount();
  items.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) items.push_back({strings->Get(i), strings->GetObject(i)});
  Updating(*this, [&] {
    for (const TItem& item : items) AddObject(item.S, item.Obj);
  });
}

void TStrings::Exchange(int index1, int index2) {
  Updating(*this, [&] {
    String s = Get(index1);
    TObject* obj = GetObject(index1);
    Put(index1, Get(index2));
    PutObject(index1, GetObject(index2));
    Put(index2, s);
    PutObject(index2, obj);
  });
}

void TStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  Updating(*this, [&] {
    String s = Get(curIndex);
    TObject* obj = GetObject(curIndex);
    Delete(curIndex);
    InsertObject(newIndex, s, obj);
  });
}

int TStrings::IndexOf(const String& s) const {
  const int count = GetCount();
  for (int i = 0; i < count; ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const String& name) const {
  const int count = GetCount();
  for (int i = 0; i < count; ++i) {
    String s = Get(i);
    size_t separator = s.find(FNameValueSeparator);
    if (separator != String::npos && CompareStrings(s.substr(0, separator), name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(TObject* obj) const {
  const int count = GetCount();
  for (int i = 0; i < count; ++i)
    if (GetObject(i) == obj) return i;
  return -1;
}

bool TStrings::Equals(TStrings* strings) const {
  if (!strings) return false;
  const int count = GetCount();
  if (count != strings->GetCount()) return false;
  for (int i = 0; i < count; ++i)
    if (Get(i) != strings->Get(i)) return false;
  return true;
}

void TStrings::Assign(TPersistent* source) {
  if (auto* strings = dynamic_cast<TStrings*>(source)) {
    if (strings == this) return;  // clearing first would lose the very items to copy
    Updating(*this, [&] {
      Clear();
      FDelimiter = strings->FDelimiter;
      FQuoteChar = strings->FQuoteChar;
      FNameValueSeparator = strings->FNameValueSeparator;
      AddStrings(strings);
    });
    return;
  }
  inherited::Assign(source);
}

void TStrings::AssignTo(TPersistent* dest) {
  if (auto* strings = dynamic_cast<TStrings*>(dest)) {
    strings->Assign(this);
    return;
  }
  inherited::AssignTo(dest);
}

int TStrings::CompareStrings(const String& s1, const String& s2) const {
  return AnsiCompareText(s1, s2);
}

// ---- TStrings: text forms ------------------------------------------------------------------

String TStrings::GetTextStr() const {
  const int count = GetCount();
  String result;
  for (int i = 0; i < count; ++i) {
    result += Get(i);
    result += L"\r\n";
  }
  return result;
}

void TStrings::SetTextStr(const String& text) {
  Updating(*this, [&] {
    Clear();
    const size_t length = text.size();
    size_t pos = 0;
    while (pos < length) {
      size_t start = pos;
      while (pos < length && text[pos] != L'\r' && text[pos] != L'\n') ++pos;
      Add(text.substr(start, pos - start));
      if (pos < length && text[pos] == L'\r') ++pos;
      if (pos < length && text[pos] == L'\n') ++pos;
    }
  });
}

String TStrings::DelimitedText(wchar_t delimiter, wchar_t quoteChar) const {
  const int count = GetCount();
  // A single empty item is written as two quotes so that it reads back as one item.
  if (count == 1 && Get(0).empty()) return String(2, quoteChar);
  String result;
  for (int i = 0; i < count; ++i) {
    String s = Get(i);
    if (i > 0) result += delimiter;
    result += NeedsQuotes(s, delimiter, quoteChar) ? AnsiQuotedStr(s, quoteChar) : s;
  }
  return result;
}

// Items are separated by the delimiter or by blanks (characters up to ' '); a quoted item
// may hold both. A delimiter at the very end adds an empty item.
void TStrings::ParseDelimitedText(const String& text, wchar_t delimiter, wchar_t quoteChar) {
  Updating(*this, [&] {
    Clear();
    const size_t length = text.size();
    size_t pos = 0;
    auto skipBlanks = [&] {
      while (pos < length && text[pos] <= L' ') ++pos;
    };
    skipBlanks();
    while (pos < length) {
      // Each round consumes at least one character: a quote, an item or a delimiter.
      if (text[pos] == quoteChar) {
        Add(ExtractQuoted(text, pos, quoteChar));
      } else {
        size_t start = pos;
        while (pos < length && text[pos] > L' ' && text[pos] != delimiter) ++pos;
        Add(text.substr(start, pos - start));
      }
      skipBlanks();
      if (pos < length && text[pos] == delimiter) {
        if (pos + 1 == length) Add(String());
        ++pos;
        skipBlanks();
      }
    }
  });
}

String TStrings::GetCommaText() const { return DelimitedText(L',', L'"'); }

void TStrings::SetCommaText(const String& text) { ParseDelimitedText(text, L',', L'"'); }

String TStrings::GetDelimitedText() const { return DelimitedText(FDelimiter, FQuoteChar); }

void TStrings::SetDelimitedText(const String& text) {
  ParseDelimitedText(text, FDelimiter, FQuoteChar);
}

// ---- TStrings: name=value pairs --------------------------------------------------------------

String TStrings::GetName(int index) const {
  String s = Get(index);
  size_t separator = s.find(FNameValueSeparator);
  return separator == String::npos ? String() : s.substr(0, separator);
}

String TStrings::GetValue(const String& name) const {
  int index = IndexOfName(name);
  return index < 0 ? String() : GetValueFromIndex(index);
}

void TStrings::SetValue(const String& name, const String& value) {
  int index = IndexOfName(name);
  if (value.empty()) {
    if (index >= 0) Delete(index);
  } else if (index < 0) {
    // Added whole rather than as an empty item set afterwards, so that a sorted list
    // takes the pair at its place.
    Add(name + FNameValueSeparator + value);
  } else {
    Put(index, name + FNameValueSeparator + value);
  }
}

String TStrings::GetValueFromIndex(int index) const {
  if (index < 0) return String();
  String s = Get(index);
  size_t separator = s.find(FNameValueSeparator);
  return separator == String::npos ? String() : s.substr(separator + 1);
}

void TStrings::SetValueFromIndex(int index, const String& value) {
  if (value.empty()) {
    if (index >= 0) Delete(index);
  } else if (index < 0) {
    Add(FNameValueSeparator + value);
  } else {
    Put(index, GetName(index) + FNameValueSeparator + value);
  }
}

// ---- TStrings: updates -----------------------------------------------------------------------

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) SetUpdateState(false);
}

// ---- TStrings: streams and files -------------------------------------------------------------

void TStrings::LoadFromStream(TStream& stream, TTextEncoding encoding) {
  int64_t size = stream.GetSize() - stream.GetPosition();
  if (size < 0) size = 0;
  if (size > 0x7FFFFFFF) throw EReadError(L"Stream read error");
  std::string bytes(static_cast<size_t>(size), '\0');
  stream.ReadBuffer(bytes.data(), static_cast<int>(size));
  SetTextStr(DecodeText(bytes, encoding));
}

void TStrings::SaveToStream(TStream& stream, TTextEncoding encoding) const {
  std::string bytes = EncodeText(GetTextStr(), encoding);
  if (bytes.size() > 0x7FFFFFFF) throw EWriteError(L"Stream write error");
  stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
}

void TStrings::LoadFromFile(const String& fileName, TTextEncoding encoding) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream, encoding);
}

void TStrings::SaveToFile(const String& fileName, TTextEncoding encoding) const {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream, encoding);
}

// ---- TStringList -----------------------------------------------------------------------------

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (FOwnsObjects)
    for (TStringItem& item : FItems) FreeObject(item.FObject);
}

void TStringList::Error(const wchar_t* message) { throw EStringListError(message); }

void TStringList::IndexError(int index) { throw EStringListError(SListIndexError, {index}); }

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= GetCount()) IndexError(index);
}

void TStringList::FreeObject(TObject* obj) const {
  if (obj) obj->Free();
}

void TStringList::Changed() {
  if (GetUpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (GetUpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

String TStringList::Get(int index) const {
  CheckIndex(index);
  return FItems[static_cast<size_t>(index)].FString;
}

void TStringList::Put(int index, const String& s) {
  if (FSorted) Error(SSortedListError);
  CheckIndex(index);
  Changing();
  FItems[static_cast<size_t>(index)].FString = s;
  Changed();
}

unsigned TStringList::GetItemFlags(int index) const {
  CheckIndex(index);
  return FItems[static_cast<size_t>(index)].FFlags;
}

void TStringList::SetItemFlags(int index, unsigned flags) {
  CheckIndex(index);
  FItems[static_cast<size_t>(index)].FFlags = flags;
}

TObject* TStringList::GetObject(int index) const {
  CheckIndex(index);
  return FItems[static_cast<size_t>(index)].FObject;
}

void TStringList::PutObject(int index, TObject* obj) {
  CheckIndex(index);
  Changing();
  TObject*& slot = FItems[static_cast<size_t>(index)].FObject;
  TObject* old = slot;
  slot = obj;
  if (FOwnsObjects && old != obj) FreeObject(old);
  Changed();
}

void TStringList::Insert(int index, const String& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const String& s, TObject* obj) {
  if (FSorted) Error(SSortedListError);
  if (index < 0 || index > GetCount()) IndexError(index);
  InsertItem(index, s, obj);
}

void TStringList::InsertItem(int index, const String& s, TObject* obj) {
  Changing();
  FItems.insert(FItems.begin() + index, TStringItem{s, obj});
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  TObject* obj = FItems[static_cast<size_t>(index)].FObject;
  FItems.erase(FItems.begin() + index);
  // Freed once out of the list, so that its destructor does not find itself listed.
  if (FOwnsObjects) FreeObject(obj);
  Changed();
}

void TStringList::Clear() {
  if (FItems.empty()) return;
  Changing();
  std::vector<TStringItem> doomed;
  doomed.swap(FItems);
  if (FOwnsObjects)
    for (TStringItem& item : doomed) FreeObject(item.FObject);
  Changed();
}

int TStringList::Add(const String& s) { return AddItem(s, nullptr); }

int TStringList::AddObject(const String& s, TObject* obj) { return AddItem(s, obj); }

int TStringList::AddItem(const String& s, TObject* obj) {
  int index = GetCount();
  if (FSorted && Find(s, index)) {
    if (FDuplicates == dupIgnore) return index;
    if (FDuplicates == dupError) Error(SDuplicateString);
  }
  InsertItem(index, s, obj);
  return index;
}

void TStringList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  std::swap(FItems[static_cast<size_t>(index1)], FItems[static_cast<size_t>(index2)]);
  Changed();
}

void TStringList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  // Both checked before anything moves, so that a refused move loses no item.
  if (FSorted) Error(SSortedListError);
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  Changing();
  TStringItem item = std::move(FItems[static_cast<size_t>(curIndex)]);
  FItems.erase(FItems.begin() + curIndex);
  FItems.insert(FItems.begin() + newIndex, std::move(item));
  Changed();
}

int TStringList::IndexOf(const String& s) const {
  if (!FSorted) return inherited::IndexOf(s);
  int index;
  return Find(s, index) ? index : -1;
}

bool TStringList::Find(const String& s, int& index) const {
  bool found = false;
  int low = 0;
  int high = GetCount() - 1;
  while (low <= high) {
    int middle = low + (high - low) / 2;
    int comparison = CompareStrings(FItems[static_cast<size_t>(middle)].FString, s);
    if (comparison < 0) {
      low = middle + 1;
    } else {
      high = middle - 1;
      if (comparison == 0) {
        found = true;
        // With duplicates accepted the search goes on to the first of the equal items.
        if (FDuplicates != dupAccept) low = middle;
      }
    }
  }
  index = low;
  return found;
}

void TStringList::Sort() {
  if (!FSorted && GetCount() > 1) SortByStrings();
}

void TStringList::SortByStrings() {
  SortItems([](TStringList* list, int index1, int index2) {
    return list->CompareStrings(list->FItems[static_cast<size_t>(index1)].FString,
                                list->FItems[static_cast<size_t>(index2)].FString);
  });
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
  if (!FSorted && GetCount() > 1 && compare) SortItems(compare);
}

// Sorts an index permutation while the items stay in place (compare reads them by index),
// then reorders the items. A merge sort stays within bounds even for an inconsistent
// compare, and an exception from compare leaves the list as it was.
void TStringList::SortItems(const TStringListSortCompare& compare) {
  Changing();
  std::vector<int> order(FItems.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return compare(this, a, b) < 0; });
  std::vector<TStringItem> sorted;
  sorted.reserve(FItems.size());
  for (int i : order) sorted.push_back(std::move(FItems[static_cast<size_t>(i)]));
  FItems.swap(sorted);
  Changed();
}

void TStringList::SetSorted(bool sorted) {
  if (sorted == FSorted) return;
  if (sorted && GetCount() > 1) SortByStrings();
  FSorted = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive) {
  if (caseSensitive == FCaseSensitive) return;
  FCaseSensitive = caseSensitive;
  // A sorted list is put in the order of the new comparison, so that Find stays right.
  if (FSorted && GetCount() > 1) SortByStrings();
}

int TStringList::CompareStrings(const String& s1, const String& s2) const {
  return FCaseSensitive ? AnsiCompareStr(s1, s2) : AnsiCompareText(s1, s2);
}
