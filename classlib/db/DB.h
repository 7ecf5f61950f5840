// Data sets, fields, data sources and data links.
//
// A TDataSet is a cursor over a TClientRows store: an in-memory table of Variant rows with
// column metadata, filled by a derived class when the data set opens (InternalOpenRows) and
// shared by clones. The data set keeps its own view of the rows (filtered, then sorted),
// the current position in that view, and an edit buffer while it is in dsEdit or dsInsert.
// Writing back is left to the derived class through InternalPostRow, InternalDeleteRow and
// InternalRefreshRow; the base class changes the store only after those succeed.
//
// As with a static client-side cursor, posting a change does not re-filter or re-sort the
// view: a row stays where it is until the filter or sort is set again, or the data set is
// refreshed. Rows inserted or deleted through a clone appear in (or leave) every view of
// the store the next time that view is used.
//
// Not done here: master/detail links, key-based searching (SetKey/GotoKey), lookup fields,
// cached updates.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>
#include "../classes/Component.h"
#include "../classes/Events.h"
#include "../classes/Sets.h"
#include "../classes/Streams.h"
#include "../controls/Panels.h"  // TAlignment
#include "../system/SysDate.h"
#include "../system/Variant.h"

class TBasicAction;
class TDataSet;
class TDataSource;
class TDataLink;
class TField;
class TFields;
class TStrings;
struct TDBFilterNode;  // a parsed filter expression (DBFilter.h)

// ---- Errors -------------------------------------------------------------------------------

// Raises EDatabaseError; the message is prefixed with "<component name>: " when the
// component has a name.
[[noreturn]] void DatabaseError(const String& message, const TComponent* component = nullptr);
[[noreturn]] void DatabaseErrorFmt(const String& format, std::initializer_list<TVarRec> args,
                                   const TComponent* component = nullptr);

// The class library's message texts the layer raises.
namespace DBText {
inline constexpr const wchar_t* FieldNotFound = L"Field '%s' not found";
inline constexpr const wchar_t* NotEditing = L"Dataset not in edit or insert mode";
inline constexpr const wchar_t* DataSetReadOnly = L"Cannot modify a read-only dataset";
inline constexpr const wchar_t* DataSetClosed = L"Cannot perform this operation on a closed dataset";
inline constexpr const wchar_t* DataSetOpen = L"Cannot perform this operation on an open dataset";
inline constexpr const wchar_t* DataSetEmpty = L"Cannot perform this operation on an empty dataset";
inline constexpr const wchar_t* FieldReadOnly = L"Field '%s' cannot be modified";
inline constexpr const wchar_t* FieldRequired = L"Field '%s' must have a value";
inline constexpr const wchar_t* FieldAccessError = L"Cannot access field '%s' as type %s";
inline constexpr const wchar_t* InvalidIntegerValue = L"'%s' is not a valid integer value for field '%s'";
inline constexpr const wchar_t* InvalidFloatValue = L"'%s' is not a valid floating point value for field '%s'";
inline constexpr const wchar_t* InvalidBoolValue = L"'%s' is not a valid boolean value for field '%s'";
inline constexpr const wchar_t* FieldRangeError = L"%s is not a valid value for field '%s'. The allowed range is %s to %s";
inline constexpr const wchar_t* RecordNotFound = L"Record not found";
inline constexpr const wchar_t* BookmarkNotFound = L"Bookmark not found";
inline constexpr const wchar_t* DuplicateFieldName = L"Duplicate field name '%s'";
inline constexpr const wchar_t* CircularDataLink = L"Circular datalinks are not allowed";
}  // namespace DBText

// ---- Enumerations -------------------------------------------------------------------------

enum TFieldType {
  ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
  ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
  ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString,
  ftLargeint
};

enum TDataSetState {
  dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue,
  dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};

enum TDataEvent {
  deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange,
  deUpdateRecord, deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange,
  deFocusControl, deParentScroll, deConnectChange, deReconcileError, deDisabledStateChange
};

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };

enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;

enum TFilterOption { foCaseInsensitive, foNoPartialCompare };
using TFilterOptions = TSet<TFilterOption>;

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

// ---- Events -------------------------------------------------------------------------------

using TDataSetNotifyEvent = std::function<void(TDataSet* dataSet)>;
using TFilterRecordEvent = std::function<void(TDataSet* dataSet, bool& accept)>;
using TFieldNotifyEvent = std::function<void(TField* sender)>;
using TFieldGetTextEvent = std::function<void(TField* sender, String& text, bool displayText)>;
using TFieldSetTextEvent = std::function<void(TField* sender, const String& text)>;
using TDataChangeEvent = std::function<void(TObject* sender, TField* field)>;

// ---- The row store ------------------------------------------------------------------------

// One column of a TClientRows store, as the derived data set describes its result.
struct TColumnInfo {
  String Name;                      // the result column's name; the field's FieldName
  TFieldType DataType = ftUnknown;  // decides the field class made for it
  int Size = 0;                     // characters of a text column; 0 for other kinds
  String BaseTable;                 // the table the value comes from; empty for expressions
  String BaseColumn;                // the column's name in BaseTable
  bool IsKey = false;               // part of BaseTable's key (rowid or primary key)
  bool ReadOnly = false;            // cannot be written back (expression, counter, ...)
  bool Required = false;            // must have a value when posted (NOT NULL, no default)
  bool Hidden = false;              // carried for writing back only; no field is made for it
};

// One row: a value per column. Edit buffers are rows too, with Modified telling which
// columns were assigned since Edit or Insert.
struct TClientRow {
  int64_t Id = 0;                // unique within its store; bookmarks name rows by it
  std::vector<Variant> Values;   // one per column of the store
  std::vector<bool> Modified;    // edit buffers only: columns assigned since Edit/Insert
};

// The rows of an open data set and of its clones. Rows keep their order of arrival
// (inserted rows where they were inserted); views sort and filter on top of it.
class TClientRows {
 public:
  // ---- Columns (set up before the first row is added) ------------------------------
  int AddColumn(const TColumnInfo& column);   // returns its index
  int GetColumnCount() const { return static_cast<int>(FColumns.size()); }
  const TColumnInfo& GetColumn(int index) const { return FColumns.at(static_cast<size_t>(index)); }
  TColumnInfo& GetColumn(int index) { return FColumns.at(static_cast<size_t>(index)); }
  int IndexOfColumn(const String& name) const;  // without regard to case; -1 when absent

  // ---- Rows --------------------------------------------------------------------------
  // Appends a row; values must have one entry per column (missing ones become Null,
  // extra ones are dropped). Returns the stored row.
  TClientRow& AddRow(std::vector<Variant> values);
  void Reserve(int rowCount);
  int GetRowCount() const { return static_cast<int>(FRows.size()); }
  TClientRow& GetRow(int index) { return *FRows.at(static_cast<size_t>(index)); }
  const TClientRow& GetRow(int index) const { return *FRows.at(static_cast<size_t>(index)); }
  std::shared_ptr<TClientRow> GetRowPtr(int index) const { return FRows.at(static_cast<size_t>(index)); }
  TClientRow* FindRow(int64_t id) const;  // nullptr when there is no such row
  void Clear();                           // drops every row, keeps the columns

  // ---- For TDataSet ------------------------------------------------------------------
  // Inserts a row with the given values before the row beforeId (at the end when beforeId
  // is 0 or unknown) and returns it.
  std::shared_ptr<TClientRow> InsertRow(std::vector<Variant> values, int64_t beforeId);
  void RemoveRow(int64_t id);  // ignored when there is no such row
  // Counts changes of the row set (insertions and deletions); views compare it with the
  // count they last saw and rebuild when it differs.
  uint64_t GetStructureVersion() const { return FStructureVersion; }

 private:
  // A new row with the next Id, listed by Id but not yet placed in FRows.
  std::shared_ptr<TClientRow> MakeRow(std::vector<Variant> values);

  std::vector<TColumnInfo> FColumns;                       // the columns, in result order
  std::vector<std::shared_ptr<TClientRow>> FRows;          // the rows, in arrival order
  // The row of Id FFirstId + k at k (nullptr once removed). Ids are handed out in rising
  // order, so a new row is always appended: no hashing and no block per row.
  std::vector<TClientRow*> FById;
  int64_t FFirstId = 1;                                    // the Id of FById[0]
  int64_t FNextId = 1;                                     // Id of the next row made
  uint64_t FStructureVersion = 0;                          // see GetStructureVersion
};

// Names a row for GotoBookmark; 0 is no bookmark. Valid in the data set that gave it and
// in its clones while the row exists.
struct TBookmark {
  int64_t RowId = 0;
  bool IsEmpty() const { return RowId == 0; }
  bool operator==(const TBookmark& other) const { return RowId == other.RowId; }
  bool operator!=(const TBookmark& other) const { return RowId != other.RowId; }
};

// ---- Fields -------------------------------------------------------------------------------

// One column of a data set as the program reads and writes it. Fields made by Open for the
// columns of the result (dynamic fields) are owned by the data set and freed by Close.
// Fields created by the program or a stored layout (persistent fields) are owned by their
// owner and bound to a column by FieldName when the data set opens.
class TField : public TComponent {
  CLASSLIB_CLASS(TField, TComponent)
  explicit TField(TComponent* owner);
  // Leaves its data set's field list.
  ~TField() override;

  // ---- Identity -----------------------------------------------------------------------
  TDataSet* GetDataSet() const { return FDataSet; }
  // Joins dataSet's field list (leaving the previous one); the data set must be closed.
  void SetDataSet(TDataSet* dataSet);
  const String& GetFieldName() const { return FFieldName; }
  void SetFieldName(const String& value);
  TFieldType GetDataType() const { return FDataType; }
  TFieldKind GetFieldKind() const { return FFieldKind; }
  void SetFieldKind(TFieldKind value) { FFieldKind = value; }
  int GetFieldNo() const { return FColumn >= 0 ? FColumn + 1 : 0; }  // 1-based; 0 calculated
  int GetIndex() const;                         // position in the data set's Fields
  int GetSize() const { return FSize; }
  void SetSize(int value) { FSize = value; }
  bool GetIsBlob() const { return IsBlobType(FDataType); }
  static bool IsBlobType(TFieldType type);

  // ---- Value --------------------------------------------------------------------------
  // Reads come from the current row (the edit buffer while editing); writes need dsEdit
  // or dsInsert (dsCalcFields for calculated fields) and a modifiable field.
  virtual String GetAsString() const;
  virtual void SetAsString(const String& value);
  virtual int GetAsInteger() const;
  virtual void SetAsInteger(int value);
  virtual double GetAsFloat() const;
  virtual void SetAsFloat(double value);
  virtual double GetAsCurrency() const { return GetAsFloat(); }
  virtual void SetAsCurrency(double value) { SetAsFloat(value); }
  virtual bool GetAsBoolean() const;
  virtual void SetAsBoolean(bool value);
  virtual TDateTime GetAsDateTime() const;
  virtual void SetAsDateTime(TDateTime value);
  virtual Variant GetAsVariant() const;
  virtual void SetAsVariant(const Variant& value);
  Variant GetValue() const { return GetAsVariant(); }
  void SetValue(const Variant& value) { SetAsVariant(value); }
  bool GetIsNull() const;
  void Clear();                                      // sets Null

  // ---- Text ---------------------------------------------------------------------------
  String GetText() const;         // the edit text (OnGetText with displayText false)
  void SetText(const String& value);  // OnSetText, or AsString
  String GetDisplayText() const;  // the display text (OnGetText with displayText true)
  String GetDisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
  void SetDisplayLabel(const String& value) { FDisplayLabel = value; }
  String GetDisplayName() const { return GetDisplayLabel(); }
  int GetDisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : DefaultDisplayWidth(); }
  void SetDisplayWidth(int value) { FDisplayWidth = value; }
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment value) { FAlignment = value; }
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool value) { FVisible = value; }
  // Whether ch may be typed into the field (digits and signs for numbers, and so on).
  virtual bool IsValidChar(wchar_t ch) const;

  // ---- Access -------------------------------------------------------------------------
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  bool GetRequired() const { return FRequired; }
  void SetRequired(bool value) { FRequired = value; }
  // Not read-only, a data field, and its data set open and modifiable.
  virtual bool GetCanModify() const;
  // Asks the controls linked to the field to take the focus.
  void FocusControl();

  // Copies source's value: another field, or the text of a TStrings; nullptr clears.
  void Assign(TPersistent* source) override;

  // ---- Events -------------------------------------------------------------------------
  TFieldNotifyEvent OnChange;     // after the value changed
  TFieldNotifyEvent OnValidate;   // before a new value is stored; raise to refuse it
  TFieldGetTextEvent OnGetText;
  TFieldSetTextEvent OnSetText;

 protected:
  // The width in characters when DisplayWidth was not set.
  virtual int DefaultDisplayWidth() const { return 10; }
  // Puts the value into the field's text; the default is AsString for both forms.
  virtual String GetTextOf(bool displayText) const;
  // Copies the value into dest when it is a TStrings (its text).
  void AssignTo(TPersistent* dest) override;
  // The stored value of the current row (Null when there is none).
  const Variant& GetData() const;
  // Stores value into the edit buffer (validation, OnValidate, OnChange, data events).
  void SetData(const Variant& value);
  // Raises "Cannot access field 'X' as type T".
  [[noreturn]] void AccessError(const wchar_t* typeName) const;
  // Raises "V is not a valid value for field 'X'. The allowed range is A to B".
  [[noreturn]] void RangeError(double value, double minValue, double maxValue) const;
  void SetDataType(TFieldType type) { FDataType = type; }

 private:
  friend class TDataSet;
  friend class TFields;

  TDataSet* FDataSet = nullptr;       // the data set whose Fields list this one; not owned
  String FFieldName;                  // the column it reads
  TFieldType FDataType = ftUnknown;   // set by the derived class
  TFieldKind FFieldKind = fkData;
  int FColumn = -1;                   // column index in the store; -1 while unbound
  int FCalcIndex = -1;                // slot among the calculated values; -1 for data fields
  int FSize = 0;                      // characters for text fields
  String FDisplayLabel;               // empty: the field name
  int FDisplayWidth = 0;              // 0: the kind's default
  TAlignment FAlignment = taLeftJustify;
  bool FVisible = true;
  bool FReadOnly = false;
  bool FRequired = false;
};

// Text of up to Size characters.
class TStringField : public TField {
  CLASSLIB_CLASS(TStringField, TField)
  explicit TStringField(TComponent* owner);
  String GetAsString() const override;
  void SetAsString(const String& value) override;
  int GetAsInteger() const override;          // StrToInt of the text
  void SetAsInteger(int value) override;
  double GetAsFloat() const override;
  void SetAsFloat(double value) override;
  bool GetAsBoolean() const override;         // true when the text starts with T or Y
  void SetAsBoolean(bool value) override;     // 'True' / 'False'
  TDateTime GetAsDateTime() const override;
  void SetAsDateTime(TDateTime value) override;
  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;
  int DefaultDisplayWidth() const override;
};

class TWideStringField : public TStringField {
  CLASSLIB_CLASS(TWideStringField, TStringField)
  explicit TWideStringField(TComponent* owner);
};

// Integers; DisplayFormat and EditFormat are FormatFloat pictures.
class TNumericField : public TField {
  CLASSLIB_CLASS(TNumericField, TField)
  explicit TNumericField(TComponent* owner);
  const String& GetDisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& value) { FDisplayFormat = value; }
  const String& GetEditFormat() const { return FEditFormat; }
  void SetEditFormat(const String& value) { FEditFormat = value; }
  bool IsValidChar(wchar_t ch) const override;

 protected:
  String FDisplayFormat;  // picture of the display text; empty: the plain number
  String FEditFormat;     // picture of the edit text; empty: the plain number
};

class TIntegerField : public TNumericField {
  CLASSLIB_CLASS(TIntegerField, TNumericField)
  explicit TIntegerField(TComponent* owner);
  String GetAsString() const override;
  void SetAsString(const String& value) override;
  int GetAsInteger() const override;
  void SetAsInteger(int value) override;
  double GetAsFloat() const override;
  void SetAsFloat(double value) override;    // rounded half to even
  bool GetAsBoolean() const override;        // non-zero
  void SetAsBoolean(bool value) override;    // 1 / 0
  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;
  int DefaultDisplayWidth() const override;
  int GetMinValue() const { return FMinValue; }
  void SetMinValue(int value) { FMinValue = value; }
  int GetMaxValue() const { return FMaxValue; }
  void SetMaxValue(int value) { FMaxValue = value; }

 protected:
  String GetTextOf(bool displayText) const override;
  void CheckRange(int64_t value) const;       // RangeError outside the kind's range
  int64_t FMinRange, FMaxRange;               // what the kind can hold
  int FMinValue = 0, FMaxValue = 0;           // a narrower range when not both 0
};

class TSmallintField : public TIntegerField {
  CLASSLIB_CLASS(TSmallintField, TIntegerField)
  explicit TSmallintField(TComponent* owner);
};

// A counter the database assigns. The field itself may be written; a data set over a table
// marks its counter column read-only.
class TAutoIncField : public TIntegerField {
  CLASSLIB_CLASS(TAutoIncField, TIntegerField)
  explicit TAutoIncField(TComponent* owner);
};

class TFloatField : public TNumericField {
  CLASSLIB_CLASS(TFloatField, TNumericField)
  explicit TFloatField(TComponent* owner);
  String GetAsString() const override;
  void SetAsString(const String& value) override;
  int GetAsInteger() const override;         // rounded half to even
  void SetAsInteger(int value) override;
  double GetAsFloat() const override;
  void SetAsFloat(double value) override;
  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;
  bool GetCurrency() const { return FCurrency; }
  void SetCurrency(bool value) { FCurrency = value; }
  int GetPrecision() const { return FPrecision; }
  void SetPrecision(int value) { FPrecision = value; }
  bool IsValidChar(wchar_t ch) const override;

 protected:
  String GetTextOf(bool displayText) const override;
  bool FCurrency = false;   // display as money
  int FPrecision = 15;      // significant digits of the text
};

class TCurrencyField : public TFloatField {
  CLASSLIB_CLASS(TCurrencyField, TFloatField)
  explicit TCurrencyField(TComponent* owner);
  Variant GetAsVariant() const override;
  void SetAsFloat(double value) override;    // kept to four decimals
};

class TBooleanField : public TField {
  CLASSLIB_CLASS(TBooleanField, TField)
  explicit TBooleanField(TComponent* owner);
  String GetAsString() const override;           // DisplayValues' word; '' for Null
  void SetAsString(const String& value) override;  // a prefix of either word, any case
  bool GetAsBoolean() const override;
  void SetAsBoolean(bool value) override;
  int GetAsInteger() const override;             // 1 / 0
  void SetAsInteger(int value) override;
  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;
  int DefaultDisplayWidth() const override;
  // "True;False" by default: the words for true and for false, separated by ';'.
  String GetDisplayValues() const { return FDisplayValues; }
  void SetDisplayValues(const String& value);

 private:
  String FDisplayValues = L"True;False";
  String FTrueText = L"True", FFalseText = L"False";  // the two halves of FDisplayValues
};

class TDateTimeField : public TField {
  CLASSLIB_CLASS(TDateTimeField, TField)
  explicit TDateTimeField(TComponent* owner);
  String GetAsString() const override;
  void SetAsString(const String& value) override;  // StrToDateTime
  double GetAsFloat() const override;
  void SetAsFloat(double value) override;
  TDateTime GetAsDateTime() const override;
  void SetAsDateTime(TDateTime value) override;
  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;
  int DefaultDisplayWidth() const override;
  const String& GetDisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& value) { FDisplayFormat = value; }

 protected:
  String GetTextOf(bool displayText) const override;
  String FDisplayFormat;  // FormatDateTime picture; empty: 'c'
};

// Raw bytes. AsString reads and writes them as code page 936 text.
class TBlobField : public TField {
  CLASSLIB_CLASS(TBlobField, TField)
  explicit TBlobField(TComponent* owner);
  String GetAsString() const override;
  void SetAsString(const String& value) override;
  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;
  // The bytes of the current row (text values as code page 936 bytes).
  TBytes GetAsBytes() const;
  void SetAsBytes(const TBytes& value);
  int64_t GetBlobSize() const;

  // Replaces the value by all of stream, from its start.
  void LoadFromStream(TStream& stream);
  // Writes the bytes at stream's position.
  void SaveToStream(TStream& stream) const;
  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName) const;

  // Copies another blob field's bytes, or the bytes a TStrings writes with SaveToStream (so
  // a list that streams rich text stores the rich text itself; a memo field takes the
  // list's text as TField does); other sources as TField.
  void Assign(TPersistent* source) override;

 protected:
  String GetTextOf(bool displayText) const override;  // "(BLOB)" and the like
  // Hands a TStrings the bytes through its LoadFromStream, so that a list that reads rich
  // text shows it formatted rather than as its source; other destinations as TField.
  void AssignTo(TPersistent* dest) override;
};

// Text of any length.
class TMemoField : public TBlobField {
  CLASSLIB_CLASS(TMemoField, TBlobField)
  explicit TMemoField(TComponent* owner);
  String GetAsString() const override;
  void SetAsString(const String& value) override;
  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;
};

class TGraphicField : public TBlobField {
  CLASSLIB_CLASS(TGraphicField, TBlobField)
  explicit TGraphicField(TComponent* owner);
};

// The fields of a data set, in order. Does not own them.
class TFields {
 public:
  explicit TFields(TDataSet* dataSet) : FDataSet(dataSet) {}
  int GetCount() const { return static_cast<int>(FList.size()); }
  TField* GetField(int index) const;           // EListError when out of range
  TField* operator[](int index) const { return GetField(index); }
  // Without regard to case; nullptr if none. The first field of that name when there are
  // several. Looked up in an index of the names, made again after the list changed.
  TField* FindField(const String& name) const;
  TField* FieldByName(const String& name) const;  // EDatabaseError "Field 'X' not found"
  TField* FieldByNumber(int fieldNo) const;      // nullptr when none has that FieldNo
  int IndexOf(const TField* field) const;

 private:
  friend class TDataSet;
  friend class TField;
  // Field names compared as SameText does (ASCII letters without regard to case).
  struct TNameHash {
    size_t operator()(const String& name) const;
  };
  struct TNameEqual {
    bool operator()(const String& a, const String& b) const;
  };
  void Add(TField* field);
  void Remove(TField* field);
  void Clear();
  void NamesChanged() { FIndexValid = false; }

  TDataSet* FDataSet;             // the data set they belong to; not owned
  std::vector<TField*> FList;     // not owned
  mutable std::unordered_map<String, TField*, TNameHash, TNameEqual> FIndex;  // name -> first field
  mutable bool FIndexValid = false;  // FIndex matches FList and the fields' names
};

// ---- TDataSet ------------------------------------------------------------------------------

class TDataSet : public TComponent {
  CLASSLIB_CLASS(TDataSet, TComponent)
  explicit TDataSet(TComponent* owner);
  // Closes without posting (nothing can be reported from here) and unlinks data sources.
  // A derived data set that must release what it opened calls Destroying() and then
  // Close() in its own destructor; a destroying data set closes without posting or events.
  ~TDataSet() override;

  // ---- Opening and closing --------------------------------------------------------------
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }   // posts a modified record first (not when destroying)
  bool GetActive() const { return FState != dsInactive; }
  void SetActive(bool value);
  // dsCalcFields while OnCalcFields runs and dsFilter while OnFilterRecord runs.
  TDataSetState GetState() const { return FTempState != dsInactive ? FTempState : FState; }
  // Re-reads the rows from where they come from, keeping the current row when it is still
  // there. Posts a modified record first.
  void Refresh();
  // Runs the data set again from the start (close and open); posts first.
  virtual void Requery();
  // Opens this data set as a second cursor on source's rows; filter and sort start empty.
  virtual void Clone(TDataSet* source);

  // ---- Navigation -------------------------------------------------------------------------
  // Each posts a modified record first (CheckBrowseMode).
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  int MoveBy(int distance);   // returns the distance moved
  bool GetBof() const { return FBof; }
  bool GetEof() const { return FEof; }
  bool IsEmpty() const;
  int GetRecordCount() const;   // rows in the view (after the filter)
  int GetRecNo() const;         // 1-based within the view; 0 when empty, -1 while inserting
  void SetRecNo(int value);     // ignored outside 1..RecordCount

  // ---- Editing ----------------------------------------------------------------------------
  void Edit();     // on an empty data set, Insert
  void Insert();   // a new row before the current one
  void Append();   // a new row at the end
  void Post();     // "Dataset not in edit or insert mode" in browse state
  void Cancel();
  void Delete();   // cancels an insertion; "Cannot perform this operation on an empty dataset"
  // Posts the record when it was modified, cancels it otherwise.
  void CheckBrowseMode();
  // Tells linked controls to write their pending edits into the fields.
  void UpdateRecord();
  bool GetModified() const { return FModified; }
  virtual bool GetCanModify() const { return true; }
  void ClearFields();   // every field of the edit buffer to Null

  // ---- Fields -----------------------------------------------------------------------------
  TFields* GetFields() const { return FFields.get(); }
  int GetFieldCount() const { return FFields->GetCount(); }
  TField* FindField(const String& name) const { return FFields->FindField(name); }
  TField* FieldByName(const String& name) const { return FFields->FieldByName(name); }
  Variant GetFieldValues(const String& name) const { return FieldByName(name)->GetValue(); }
  void SetFieldValues(const String& name, const Variant& v) { FieldByName(name)->SetValue(v); }
  void GetFieldNames(TStrings* list) const;
  // Reads the blob field of the current row as a stream (bmRead), or writes it (bmWrite
  // starts empty, bmReadWrite with the current bytes); a writing stream stores its bytes
  // into the field when it is destroyed. Writing needs dsEdit or dsInsert.
  std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode);

  // ---- Searching --------------------------------------------------------------------------
  // keyFields is a ';'-separated list; one value per field. Moves to the first match in
  // the view and returns true, or stays and returns false.
  bool Locate(const String& keyFields, const Variant& keyValue, TLocateOptions options);
  bool Locate(const String& keyFields, const Variants& keyValues, TLocateOptions options);
  // The value of resultField in the first row matching the keys, without moving; Null
  // when no row matches.
  Variant Lookup(const String& keyFields, const Variant& keyValue, const String& resultField);
  Variant Lookup(const String& keyFields, const Variants& keyValues, const String& resultField);

  // ---- Bookmarks --------------------------------------------------------------------------
  TBookmark GetBookmark() const;          // the current row; empty when there is none
  void SetBookmark(const TBookmark& value) { GotoBookmark(value); }
  void GotoBookmark(const TBookmark& bookmark);  // EDatabaseError when the row is not in view
  void FreeBookmark(TBookmark&) {}
  bool BookmarkValid(const TBookmark& bookmark) const;
  int CompareBookmarks(const TBookmark& a, const TBookmark& b) const;  // by view position

  // ---- Filter and sort --------------------------------------------------------------------
  // The filter text: comparisons (= <> < > <= >= like, "is [not] null") of a field with a
  // quoted string, a number or a #date#, joined by and/or and grouped with parentheses.
  // Text compares without regard to case. EDatabaseError when the text is not valid.
  const String& GetFilter() const { return FFilterText; }
  void SetFilter(const String& value);
  bool GetFiltered() const { return FFiltered; }
  void SetFiltered(bool value);
  TFilterOptions GetFilterOptions() const { return FFilterOptions; }
  void SetFilterOptions(TFilterOptions value);
  // "A1 ASC, B DESC": fields and directions; empty keeps the rows' own order.
  const String& GetSort() const { return FSortText; }
  void SetSort(const String& value);

  // ---- Controls -----------------------------------------------------------------------------
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return FDisableCount > 0; }
  bool IsLinkedTo(const TDataSource* dataSource) const;

  // ---- Events -------------------------------------------------------------------------------
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
  TDataSetNotifyEvent OnNewRecord;     // fills the new row's defaults (not counted as a change)
  TDataSetNotifyEvent OnCalcFields;    // sets the calculated fields, in dsCalcFields
  TFilterRecordEvent OnFilterRecord;   // applied with the filter text while Filtered

  // ---- For data sources, links and the blob stream ----------------------------------------
  // Sends event to every data source (deferred while controls are disabled).
  void DataEvent(TDataEvent event, intptr_t info);
  // The view position of the current row (0-based; the insert row while inserting) and the
  // number of rows in the view, counting the insert row.
  int GetCurrentIndex() const;
  int GetViewCount() const;
  // Makes field reads come from the row at view position index until it is set to -1,
  // as grids do to draw rows other than the current one. Writes are refused meanwhile.
  void SetDisplayIndex(int index);
  int GetDisplayIndex() const { return FDisplayIndex; }

 protected:
  // ---- For derived data sets ------------------------------------------------------------
  // Makes (or reads again) the rows when the data set opens. Must return a store with its
  // columns set; raise EDatabaseError on failure.
  virtual std::shared_ptr<TClientRows> InternalOpenRows() = 0;
  // Called after the data set closed its cursor.
  virtual void InternalClose() {}
  // Writes a posted row back. row is the edit buffer (the derived class may fill values
  // the database assigned, such as keys); oldRow is the row as stored before the edit
  // (nullptr when inserting). The default writes nothing.
  virtual void InternalPostRow(TClientRow& row, const TClientRow* oldRow, bool isInsert) {}
  // Deletes row where it is stored. The default deletes nothing.
  virtual void InternalDeleteRow(const TClientRow& row) {}
  // Reads row again as stored; returns false when it no longer exists. The default keeps it.
  virtual bool InternalRefreshRow(TClientRow& row) { return true; }
  // Re-reads every row of the store; the default asks InternalRefreshRow for each and drops
  // the ones that are gone.
  virtual void InternalRefresh();

  // The store of the open data set (nullptr while closed).
  const std::shared_ptr<TClientRows>& GetRows() const { return FRows; }
  // The row stored at the current position (nullptr when empty); not the edit buffer.
  TClientRow* GetCurrentRow() const;
  // Makes the field object for a column; derived data sets may choose other classes.
  virtual TField* CreateFieldFor(const TColumnInfo& column);

  // Raises "Cannot perform this operation on a closed dataset" unless active.
  void CheckActive() const;
  void CheckInactive() const;

 private:
  friend class TField;
  friend class TDataSource;
  friend class TBlobStreamImpl;
  struct TSortKey {     // one key of the sort
    int Column;
    bool Descending;
  };

  // Opening and closing.
  void SetActiveTrue();
  void SetActiveFalse();
  void OpenCursor();
  void CloseCursor();
  void CreateFields();
  void BindFields();
  void DestroyFields();
  void AddField(TField* field);
  void RemoveField(TField* field);
  void SetState(TDataSetState value);

  // The view.
  void EnsureView() const;          // rebuilds when the store's rows changed elsewhere
  void RebuildView(int64_t keepRowId);
  void BindFilterAndSort();         // resolves their field names to columns
  bool RowPassesFilter(const TClientRow& row);
  void SortView();
  void ApplyFilterAndSort();        // rebuilds, goes to the first row, tells the controls
  int IndexOfRowId(int64_t id) const;
  // The row fields read: the temporary row of a calc/filter pass, else the row at the
  // display index or the current position (the edit buffer where editing); or nullptr.
  const TClientRow* RowForRead() const;
  const TClientRow* RowAtIndex(int index) const;  // by view index, counting the insert row

  // Moving.
  void MoveTo(int index, TDataEvent event);  // BeforeScroll, move, AfterScroll, event
  void GoToEnd(bool last);                    // First and Last without CheckBrowseMode
  int FindMatch(const std::vector<TField*>& fields, const Variants& values,
                TLocateOptions options) const;
  bool LocateKeys(const String& keyFields, const Variants& keyValues, TLocateOptions options);
  Variant LookupKeys(const String& keyFields, const Variants& keyValues, const String& resultField);
  std::vector<TField*> FieldList(const String& names) const;

  // Reading and writing values.
  const Variant& ReadValue(const TField* field) const;
  void WriteValue(TField* field, const Variant& value);
  void CheckRequiredFields();
  void CalculateFields(const TClientRow* row) const;  // fills FCalcValues for row
  // Insert and Append: a new row in dsInsert before the current one, or after the last
  // (atEnd, which also sets Eof).
  void BeginInsert(bool atEnd);
  void ResetEditState();

  // Events.
  void DoEvent(const TDataSetNotifyEvent& event) { if (event) event(this); }
  void AddDataSource(TDataSource* source);
  void RemoveDataSource(TDataSource* source);

  TDataSetState FState = dsInactive;
  TDataSetState FTempState = dsInactive;           // dsCalcFields / dsFilter during a pass
  mutable const TClientRow* FTempRow = nullptr;    // the row of that pass
  std::shared_ptr<TClientRows> FRows;              // the store; shared with clones
  std::shared_ptr<TClientRows> FCloneRows;         // the store Clone hands to OpenCursor
  mutable std::vector<std::shared_ptr<TClientRow>> FView;  // filtered, sorted rows
  mutable uint64_t FViewVersion = 0;               // store's structure version the view shows
  mutable int FCurrent = -1;                        // view index of the current row; -1 empty
  bool FBof = true, FEof = true;
  std::unique_ptr<TFields> FFields;                // every field (dynamic and persistent)
  bool FDefaultFields = false;                      // the fields were made by Open
  int FCalcFieldCount = 0;                          // calculated fields bound
  mutable std::vector<Variant> FCalcValues;        // calculated values of FCalcRowId
  mutable int64_t FCalcRowId = -1;                  // the row FCalcValues belong to

  // Editing.
  std::unique_ptr<TClientRow> FEditRow;            // the buffer in dsEdit / dsInsert
  int FInsertIndex = -1;                            // view index of the insert row
  bool FModified = false;                           // a field was assigned since Edit/Insert

  // Filter and sort.
  String FFilterText;
  bool FFiltered = false;
  TFilterOptions FFilterOptions;
  std::shared_ptr<TDBFilterNode> FFilter;            // parsed FFilterText; nullptr when empty
  String FSortText;
  std::vector<TSortKey> FSortKeys;                 // parsed FSortText

  // Controls.
  std::vector<TDataSource*> FDataSources;          // sources over this data set; not owned
  int FDisableCount = 0;                            // DisableControls nesting
  TDataSetState FDisableState = dsInactive;        // state when controls were disabled
  TDataEvent FEnableEvent = deDataSetChange;       // sent by the last EnableControls
  int FDisplayIndex = -1;                           // view index fields read; -1 current
};

// ---- TDataSource and data links -----------------------------------------------------------

// Connects data links (controls) to a data set and passes its events on.
class TDataSource : public TComponent {
  CLASSLIB_CLASS(TDataSource, TComponent)
  static const TPropertyTable* PublishedProperties();  // DBProperties.cpp
  explicit TDataSource(TComponent* owner);
  ~TDataSource() override;

  TDataSet* GetDataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* value);   // not owned; a free notification clears it
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool value);
  bool GetAutoEdit() const { return FAutoEdit; }
  void SetAutoEdit(bool value) { FAutoEdit = value; }
  TDataSetState GetState() const { return FState; }  // dsInactive when disabled
  // Puts the data set into dsEdit when AutoEdit is set and it is browsing.
  void Edit();
  bool IsLinkedTo(const TDataSet* dataSet) const;

  TDataChangeEvent OnDataChange;   // the current row or a field changed (field or nullptr)
  TNotifyEvent OnStateChange;      // the data set's state changed
  TNotifyEvent OnUpdateData;       // the data set is about to post

  // For TDataSet and TDataLink.
  void DataEvent(TDataEvent event, intptr_t info);
  void AddDataLink(TDataLink* link);
  void RemoveDataLink(TDataLink* link);
  int GetDataLinkCount() const { return static_cast<int>(FDataLinks.size()); }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void UpdateState();                      // takes the state from the data set
  void SetState(TDataSetState value);
  void NotifyDataLinks(TDataEvent event, intptr_t info);

  TDataSet* FDataSet = nullptr;            // not owned
  bool FEnabled = true;
  bool FAutoEdit = true;
  TDataSetState FState = dsInactive;
  std::vector<TDataLink*> FDataLinks;      // not owned; each link removes itself
};

// The link between one client (a control) and a data source. Owned by its client.
class TDataLink : public TPersistent {
  CLASSLIB_CLASS(TDataLink, TPersistent)
  TDataLink();
  ~TDataLink() override;

  TDataSource* GetDataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* value);  // not owned
  TDataSet* GetDataSet() const;            // the source's data set, or nullptr
  bool GetActive() const { return FActive; }
  bool GetEditing() const { return FEditing; }
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  // Asks the data source to edit (AutoEdit); returns whether the link is editing.
  virtual bool Edit();
  // Tells the client to write its pending edit into the data set.
  void UpdateRecord();

  // ---- The window of rows a multi-row control shows -----------------------------------
  int GetBufferCount() const { return FBufferCount; }
  void SetBufferCount(int value);                // at least 1
  int GetActiveRecord() const;                   // the current row's place in the window
  // Makes the data set's fields read the row at the window's place index (grids drawing
  // rows); setting the current row's place restores normal reading.
  void SetActiveRecord(int value);
  int GetRecordCount() const;                    // rows in the window
  int GetFirstRecord() const { return FFirstRecord; }  // view index of the window's top

  // Actions aimed at the data source (navigation actions and the like).
  virtual bool ExecuteAction(TBasicAction* action);
  virtual bool UpdateAction(TBasicAction* action);

  void DataEvent(TDataEvent event, intptr_t info);  // called by TDataSource

 protected:
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(int distance) { DataSetChanged(); }
  virtual void EditingChanged() {}
  virtual void FocusControl(TField** field) {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField* field) {}
  virtual void UpdateData() {}

 private:
  friend class TDataSource;
  void UpdateActiveAndEditing();
  int ScrollWindow();  // keeps the current row inside the window; returns rows scrolled

  TDataSource* FDataSource = nullptr;  // not owned; it keeps this link in its list
  bool FActive = false;                // the source has an open data set
  bool FEditing = false;               // the data set is editing and the link may write
  bool FReadOnly = false;
  bool FUpdating = false;              // inside UpdateRecord
  int FBufferCount = 1;                // rows the client shows
  int FFirstRecord = 0;                // view index of the window's top
};

// The link of a control that shows and edits one field.
class TFieldDataLink : public TDataLink {
  CLASSLIB_CLASS(TFieldDataLink, TDataLink)
  TFieldDataLink() = default;

  TComponent* GetControl() const { return FControl; }
  void SetControl(TComponent* value) { FControl = value; }  // not owned
  const String& GetFieldName() const { return FFieldName; }
  void SetFieldName(const String& value);
  TField* GetField() const { return FField; }
  bool GetEditing() const { return FFieldEditing; }
  // Not read-only, with a field that can be modified.
  bool GetCanModify() const;
  bool Edit() override;
  // The control's text changed: the next UpdateRecord writes it (OnUpdateData).
  void Modified() { FModified = true; }
  bool GetModified() const { return FModified; }
  // Shows the field's value again, dropping the control's edit (OnDataChange).
  void Reset() { RecordChanged(nullptr); }

  TNotifyEvent OnDataChange;     // show the field's value
  TNotifyEvent OnEditingChange;  // Editing changed
  TNotifyEvent OnUpdateData;     // write the control's value into the field
  TNotifyEvent OnActiveChange;   // the data set opened or closed

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void FocusControl(TField** field) override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  void UpdateData() override;

 private:
  void UpdateField();           // finds FFieldName in the data set
  void SetField(TField* value);
  void SetFieldEditing(bool value);

  TComponent* FControl = nullptr;  // the control served; not owned
  String FFieldName;
  TField* FField = nullptr;        // the data set's field of that name; not owned
  bool FFieldEditing = false;      // editing and the field can be modified
  bool FModified = false;          // the control holds an edit not yet written
};

// The data link a control answers CM_GETDATALINK with, or nullptr when it has none.
class TControl;
TDataLink* GetDataLinkOf(TControl* control);
