// TStrings, the abstract list of strings each with an associated object, with its text
// forms (lines, comma text, delimited text, name=value pairs) and its file form; and
// TStringList, the list that keeps its strings itself, optionally sorted.
#pragma once
#include <vector>
#include "Events.h"
#include "Persistent.h"
#include "Streams.h"

// How a list's text is stored as bytes in a stream or file.
enum TTextEncoding {
  teAnsi936,  // code page 936, no byte-order mark (the program's byte encoding)
  teUtf8,     // UTF-8 with the byte-order mark EF BB BF
  teUtf16     // UTF-16 little-endian with the byte-order mark FF FE
};

class TStrings : public TPersistent {
  CLASSLIB_CLASS(TStrings, TPersistent)
  TStrings() = default;

  // ---- Items (what a descendant provides) ------------------------------------
  virtual int GetCount() const = 0;
  virtual String Get(int index) const = 0;           // Strings[index]
  virtual void Put(int index, const String& s);      // keeps the object of the item
  virtual TObject* GetObject(int index) const;       // Objects[index]; nullptr by default
  virtual void PutObject(int index, TObject* obj);   // ignored by default
  virtual void Insert(int index, const String& s) = 0;
  virtual void InsertObject(int index, const String& s, TObject* obj);
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;

  // ---- Operations --------------------------------------------------------------
  virtual int Add(const String& s);                  // index of the new (or found) item
  virtual int AddObject(const String& s, TObject* obj);
  void Append(const String& s);
  // Adds every string and object of strings (the objects are not copied, only pointed to).
  virtual void AddStrings(TStrings* strings);
  virtual void Exchange(int index1, int index2);
  virtual void Move(int curIndex, int newIndex);
  virtual int IndexOf(const String& s) const;        // compares with CompareStrings; -1 if none
  int IndexOfName(const String& name) const;
  int IndexOfObject(TObject* obj) const;
  // True when both lists hold the same strings in the same order (case-sensitive; the
  // objects are not compared).
  bool Equals(TStrings* strings) const;
  // Copies the strings, the objects and the text settings of another TStrings.
  void Assign(TPersistent* source) override;
  // A stored layout keeps the strings as the list property "Strings" (Lines.Strings = (...)),
  // written when they differ from the ancestor's or, without one, when there are any.
  void DefineProperties(TFiler& filer) override;

  // ---- Text forms --------------------------------------------------------------
  // Every line followed by CR LF.
  String GetText() const { return GetTextStr(); }
  // Splits at CR LF, LF or CR; a break at the very end does not add an empty line.
  void SetText(const String& text) { SetTextStr(text); }
  // Items separated by ',', quoted with '"' when they hold blanks, commas or quotes.
  String GetCommaText() const;
  void SetCommaText(const String& text);
  // As CommaText with Delimiter and QuoteChar.
  String GetDelimitedText() const;
  void SetDelimitedText(const String& text);
  wchar_t GetDelimiter() const { return FDelimiter; }
  void SetDelimiter(wchar_t delimiter) { FDelimiter = delimiter; }
  wchar_t GetQuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(wchar_t quoteChar) { FQuoteChar = quoteChar; }

  // ---- Name=value pairs ----------------------------------------------------------
  wchar_t GetNameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(wchar_t separator) { FNameValueSeparator = separator; }
  String GetName(int index) const;                    // Names[index]; "" without a separator
  String GetValue(const String& name) const;          // Values[name]; "" when absent
  // Sets name=value, adding the pair when absent; an empty value deletes the pair.
  void SetValue(const String& name, const String& value);
  String GetValueFromIndex(int index) const;          // "" without a separator
  void SetValueFromIndex(int index, const String& value);

  // ---- Updates -------------------------------------------------------------------
  // Nested: the list is told it is updating at the first BeginUpdate and that it is done
  // at the matching EndUpdate. An EndUpdate without a BeginUpdate is ignored.
  void BeginUpdate();
  void EndUpdate();

  // ---- Streams and files ---------------------------------------------------------------
  // Replaces the list with the text from the stream's position to its end. A UTF-8 or
  // UTF-16LE byte-order mark decides the encoding; without one, encoding is used.
  // A list over a control whose content is bytes of its own kind (rich text) replaces these
  // four with its own byte streams; a blob field assigned to or from a list goes through them.
  virtual void LoadFromStream(TStream& stream, TTextEncoding encoding = teAnsi936);
  // Writes the text at the stream's position (with a byte-order mark for teUtf8, teUtf16).
  virtual void SaveToStream(TStream& stream, TTextEncoding encoding = teAnsi936) const;
  virtual void LoadFromFile(const String& fileName, TTextEncoding encoding = teAnsi936);
  virtual void SaveToFile(const String& fileName, TTextEncoding encoding = teAnsi936) const;

 protected:
  // Compares two strings as IndexOf, IndexOfName and sorting do: case-insensitive.
  virtual int CompareStrings(const String& s1, const String& s2) const;
  virtual String GetTextStr() const;
  virtual void SetTextStr(const String& text);
  // Told true at the outermost BeginUpdate and false at the matching EndUpdate.
  virtual void SetUpdateState(bool updating) {}
  int GetUpdateCount() const { return FUpdateCount; }
  // Copies this list into a TStrings destination; other classes as TPersistent does.
  void AssignTo(TPersistent* dest) override;

 private:
  String DelimitedText(wchar_t delimiter, wchar_t quoteChar) const;
  void ParseDelimitedText(const String& text, wchar_t delimiter, wchar_t quoteChar);

  int FUpdateCount = 0;              // depth of BeginUpdate calls
  wchar_t FDelimiter = L',';         // separates DelimitedText items
  wchar_t FQuoteChar = L'"';         // quotes DelimitedText items
  wchar_t FNameValueSeparator = L'=';  // separates a name from its value
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList;
// Orders the items index1 and index2 of list: negative, zero or positive.
using TStringListSortCompare = std::function<int(TStringList* list, int index1, int index2)>;

// A list that holds its strings and their objects. The objects belong to the caller unless
// OwnsObjects is set; then Delete, Clear, PutObject (for the replaced object) and the
// destructor free them.
class TStringList : public TStrings {
  CLASSLIB_CLASS(TStringList, TStrings)
  TStringList() = default;
  ~TStringList() override;

  // ---- Items -------------------------------------------------------------------------
  int GetCount() const override { return static_cast<int>(FItems.size()); }
  String Get(int index) const override;
  void Put(int index, const String& s) override;          // not allowed on a sorted list
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* obj) override;
  void Insert(int index, const String& s) override;       // not allowed on a sorted list
  void InsertObject(int index, const String& s, TObject* obj) override;
  void Delete(int index) override;
  void Clear() override;

  // ---- Operations --------------------------------------------------------------------
  // On a sorted list, adds at the sorted position; a duplicate is then ignored (the index
  // of the existing item is returned and obj stays the caller's), accepted, or refused.
  int Add(const String& s) override;
  int AddObject(const String& s, TObject* obj) override;
  void Exchange(int index1, int index2) override;
  void Move(int curIndex, int newIndex) override;         // not allowed on a sorted list
  int IndexOf(const String& s) const override;            // binary search when sorted
  // Binary search of a sorted list: true when s is found; index is its position or the
  // position where it would be inserted.
  bool Find(const String& s, int& index) const;
  void Sort();
  void CustomSort(const TStringListSortCompare& compare);

  // ---- Attributes --------------------------------------------------------------------
  bool GetSorted() const { return FSorted; }
  void SetSorted(bool sorted);
  TDuplicates GetDuplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates duplicates) { FDuplicates = duplicates; }
  bool GetCaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool caseSensitive);
  bool GetOwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool ownsObjects) { FOwnsObjects = ownsObjects; }

  // ---- Events ------------------------------------------------------------------------
  // Fired after / before each change; while updating, only once at the outermost
  // EndUpdate / BeginUpdate.
  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  int CompareStrings(const String& s1, const String& s2) const override;
  void SetUpdateState(bool updating) override;
  virtual void Changed();
  virtual void Changing();
  // A descendant's own bits per item (0 for a new item). They travel with their item through
  // every insert, delete, exchange, move and sort; neither Changing nor Changed is told.
  unsigned GetItemFlags(int index) const;
  void SetItemFlags(int index, unsigned flags);

 private:
  struct TStringItem {
    String FString;       // the text
    TObject* FObject;     // the associated object (owned only with FOwnsObjects)
    unsigned FFlags = 0;  // the descendant's bits (GetItemFlags)
  };

  [[noreturn]] static void Error(const wchar_t* message);
  [[noreturn]] static void IndexError(int index);
  void CheckIndex(int index) const;
  int AddItem(const String& s, TObject* obj);
  void InsertItem(int index, const String& s, TObject* obj);
  void SortItems(const TStringListSortCompare& compare);
  void SortByStrings();  // SortItems in CompareStrings order
  void FreeObject(TObject* obj) const;

  std::vector<TStringItem> FItems;     // the strings and objects, in list order
  bool FSorted = false;                // kept in CompareStrings order
  TDuplicates FDuplicates = dupIgnore; // what Add does with a duplicate on a sorted list
  bool FCaseSensitive = false;         // CompareStrings tells case apart
  bool FOwnsObjects = false;           // the list frees the objects
};
