// The ADO-style components over SQLite: the connection, parameters, the command, and the
// query and table data sets.
//
// The connection takes the Jet connection string of the program (Provider, Data Source,
// Jet OLEDB:Database Password; other keys are accepted and ignored), opens the file with
// SQLite, checks the database password and registers the Jet functions. Every statement
// passes through the Jet translation (JetSql.h) first.
//
// Data sets are static client-side cursors: Open reads every row into memory. A query
// whose rows each come from one row of each of its tables (no DISTINCT, GROUP BY,
// aggregates or subqueries in FROM) also reads the hidden row id of every table, so that
// Post writes changed columns back with UPDATE ... WHERE rowid = ?, to the table owning
// them, also through a join; Delete deletes from the first table of the FROM clause; and
// Refresh reads the rows again as stored. Other queries are read-only.
//
// Not done here: asynchronous execution, stored procedures, server-side cursors, batch
// updates, recordset objects (Execute returns the rows affected instead), login dialogs.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <vector>
#include "../classes/Collection.h"
#include "../classes/Component.h"
#include "../classes/Events.h"
#include "../classes/Sets.h"
#include "../classes/StringList.h"
#include "../db/DB.h"
#include "../system/Variant.h"
#include "JetSql.h"
#include "SqliteDb.h"

class TADOConnection;
class TCustomADODataSet;

enum TConnectMode {
  cmUnknown, cmRead, cmWrite, cmReadWrite, cmShareDenyRead, cmShareDenyWrite,
  cmShareExclusive, cmShareDenyNone
};
enum TEventStatus { esOK, esErrorsOccured, esCantDeny, esCancel, esUnwantedEvent };
enum TExecuteOption { eoAsyncExecute, eoAsyncFetch, eoAsyncFetchNonBlocking, eoExecuteNoRecords };
using TExecuteOptions = TSet<TExecuteOption>;
enum TCommandType { cmdUnknown, cmdText, cmdTable, cmdStoredProc, cmdFile, cmdTableDirect };
enum TCursorLocation { clUseServer, clUseClient };
enum TCursorType { ctUnspecified, ctOpenForwardOnly, ctKeyset, ctDynamic, ctStatic };
enum TADOLockType { ltUnspecified, ltReadOnly, ltPessimistic, ltOptimistic, ltBatchOptimistic };
enum TParameterDirection { pdUnknown, pdInput, pdOutput, pdInputOutput, pdReturnValue };

// error is nullptr after a successful connect.
using TConnectCompleteEvent = std::function<void(TADOConnection* connection,
                                                 const Exception* error,
                                                 TEventStatus& eventStatus)>;

// ---- Parameters --------------------------------------------------------------------------

class TParameters;

// One parameter of a statement: a name (":name" in the SQL text), a type and a value.
class TParameter : public TCollectionItem {
  CLASSLIB_CLASS(TParameter, TCollectionItem)
  explicit TParameter(TCollection* collection);

  const String& GetName() const { return FName; }
  void SetName(const String& value) { FName = value; }
  // Until set (here or by LoadFromStream) the type follows the kind of the value assigned.
  TFieldType GetDataType() const { return FDataType; }
  void SetDataType(TFieldType value) {
    FDataType = value;
    FDataTypeGiven = value != ftUnknown;
  }
  TParameterDirection GetDirection() const { return FDirection; }
  void SetDirection(TParameterDirection value) { FDirection = value; }
  int GetSize() const { return FSize; }
  void SetSize(int value) { FSize = value; }
  // Empty until assigned; an Empty value cannot be executed ("No value given ...").
  const Variant& GetValue() const { return FValue; }
  void SetValue(const Variant& value);
  // Takes all bytes of stream from its start as the value; dataType is normally ftBlob.
  void LoadFromStream(TStream& stream, TFieldType dataType);
  void LoadFromFile(const String& fileName, TFieldType dataType);

  String GetDisplayName() const override { return FName.empty() ? ClassName() : FName; }
  void Assign(TPersistent* source) override;

 private:
  String FName;
  TFieldType FDataType = ftUnknown;       // ftUnknown: taken from the value
  bool FDataTypeGiven = false;            // FDataType was set, not taken from a value
  TParameterDirection FDirection = pdInput;
  int FSize = 0;
  Variant FValue;
};

class TParameters : public TOwnedCollection {
  CLASSLIB_CLASS(TParameters, TOwnedCollection)
  explicit TParameters(TPersistent* owner);

  TParameter* GetItem(int index) const { return static_cast<TParameter*>(TCollection::GetItem(index)); }
  TParameter* operator[](int index) const { return GetItem(index); }
  TParameter* AddParameter() { return static_cast<TParameter*>(Add()); }
  TParameter* CreateParameter(const String& name, TFieldType dataType,
                              TParameterDirection direction, int size, const Variant& value);
  // Without regard to case; nullptr when there is none.
  TParameter* FindParam(const String& name) const;
  // EDatabaseError "Parameter 'X' not found" when there is none.
  TParameter* ParamByName(const String& name) const;
  // Reads the :name parameters of sql; with doCreate the list becomes one parameter per
  // distinct name, in order of first use. Returns sql unchanged.
  String ParseSQL(const String& sql, bool doCreate);
};

// ---- The connection ----------------------------------------------------------------------

class TADOConnection : public TComponent {
  CLASSLIB_CLASS(TADOConnection, TComponent)
  static const TPropertyTable* PublishedProperties();  // ADOProperties.cpp
  explicit TADOConnection(TComponent* owner);
  // Closes (rolling back an open transaction) and detaches its data sets and commands.
  ~TADOConnection() override;

  // ---- Attributes --------------------------------------------------------------------
  const String& GetConnectionString() const { return FConnectionString; }
  // Closes first when connected.
  void SetConnectionString(const String& value);
  bool GetConnected() const { return FDb.IsOpen(); }
  void SetConnected(bool value);
  // Kept open while no data set is open; when false, closing the last data set closes
  // the connection (outside a transaction), and the next use opens it again.
  bool GetKeepConnection() const { return FKeepConnection; }
  void SetKeepConnection(bool value) { FKeepConnection = value; }
  // No login dialog is ever shown; the password comes from the connection string.
  bool GetLoginPrompt() const { return FLoginPrompt; }
  void SetLoginPrompt(bool value) { FLoginPrompt = value; }
  // cmRead opens the file for reading only and cmShareExclusive keeps others out; the
  // share modes that allow others change nothing.
  TConnectMode GetMode() const { return FMode; }
  void SetMode(TConnectMode value);
  // The Provider of the connection string (set into it when written).
  String GetProvider() const;
  void SetProvider(const String& value);
  int GetDataSetCount() const { return static_cast<int>(FDataSets.size()); }
  TCustomADODataSet* GetDataSet(int index) const { return FDataSets.at(size_t(index)); }
  // The file of Data Source, as opened (empty while closed).
  String GetFileName() const { return FDb.GetFileName(); }

  // ---- Operations --------------------------------------------------------------------
  void Open();
  void Close();
  // Runs one statement; returns the rows it changed. Opens the connection when needed.
  int Execute(const String& commandText, TExecuteOptions options = {});
  void Execute(const String& commandText, int& recordsAffected, TExecuteOptions options = {});
  // Starts a transaction (nested ones are save points); returns the nesting level.
  int BeginTrans();
  void CommitTrans();    // EDatabaseError "No transaction is active." without one
  void RollbackTrans();  // the same
  bool GetInTransaction() const { return FTransLevel > 0; }
  // The user tables, sorted without regard to case; the engine's own tables only with
  // systemTables (never the password table).
  void GetTableNames(TStrings* list, bool systemTables = false);

  // ---- Events ------------------------------------------------------------------------
  TNotifyEvent BeforeConnect, AfterConnect, BeforeDisconnect, AfterDisconnect;
  TConnectCompleteEvent OnConnectComplete;

  // ---- For commands and data sets ------------------------------------------------------
  // Opens when closed; EDatabaseError when there is no connection string.
  void CheckActive();
  // Translates jetSql, attaching the files of its IN '<file>' clauses.
  TJetTranslation Translate(const String& jetSql);
  // The column names of a table of schema ("" the main file); empty when there is none.
  std::vector<String> TableColumns(const String& schema, const String& table);
  // The schema under which fileName is attached (attaching it now when possible).
  String SchemaOfFile(const String& fileName);
  String FileOfSchema(const String& schema) const;
  // Call before and after running statements: the first starts a transaction begun with
  // BeginTrans, the second detaches files no longer needed outside a transaction.
  void BeforeStatement();
  void AfterStatement();
  TSqliteDatabase& GetDatabase() { return FDb; }
  void RegisterDataSet(TCustomADODataSet* dataSet);
  void UnregisterDataSet(TCustomADODataSet* dataSet);
  void DataSetClosed(TCustomADODataSet* dataSet);  // KeepConnection
  // Counts the openings of the file: statements prepared under another count are stale.
  int GetGeneration() const { return FGeneration; }
  // Runs ALTER DATABASE PASSWORD.
  void ChangePassword(const String& newPassword, const String& oldPassword);

 // What a connection string says; keys not listed here are accepted and ignored.
  struct TSettings {
    String Provider;     // Provider
    String DataSource;   // Data Source: the database file
    String Password;     // Jet OLEDB:Database Password
  };
  static TSettings ParseConnectionString(const String& connectionString);

 private:
  void DoConnect();
  void Disconnect();    // closes the file; the data sets are already closed
  void DetachAll();

  TSqliteDatabase FDb;                     // the open file
  String FConnectionString;
  bool FKeepConnection = true;
  bool FLoginPrompt = true;
  TConnectMode FMode = cmUnknown;
  int FTransLevel = 0;                     // BeginTrans calls not yet ended
  bool FBeginPending = false;              // BEGIN not yet sent (so that files can be attached)
  std::map<String, String> FAttached;      // upper-cased full file name -> schema
  std::map<String, String> FAttachedFiles; // schema -> file name as given
  int FNextSchema = 1;                     // number of the next schema name
  std::vector<TCustomADODataSet*> FDataSets;  // data sets using this connection; not owned
  bool FClosing = false;                   // inside Close
  int FGeneration = 0;                     // see GetGeneration
};

// ---- The command ---------------------------------------------------------------------------

// Runs a statement that returns no rows, with parameters.
class TADOCommand : public TComponent {
  CLASSLIB_CLASS(TADOCommand, TComponent)
  static const TPropertyTable* PublishedProperties();  // ADOProperties.cpp
  explicit TADOCommand(TComponent* owner);
  ~TADOCommand() override;

  TADOConnection* GetConnection() const { return FConnection; }
  void SetConnection(TADOConnection* value);  // not owned; a free notification clears it
  const String& GetCommandText() const { return FCommandText; }
  // Drops the prepared statement; reads the parameters again when ParamCheck is set.
  void SetCommandText(const String& value);
  TCommandType GetCommandType() const { return FCommandType; }
  void SetCommandType(TCommandType value) { FCommandType = value; }
  bool GetParamCheck() const { return FParamCheck; }
  void SetParamCheck(bool value) { FParamCheck = value; }
  TParameters* GetParameters() const { return FParameters.get(); }
  bool GetPrepared() const { return FStatement != nullptr; }
  void SetPrepared(bool value);
  // Runs the command; returns the rows changed.
  int Execute();
  void Execute(int& recordsAffected) { recordsAffected = Execute(); }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TADOConnection* FConnection = nullptr;
  String FCommandText;
  TCommandType FCommandType = cmdText;
  bool FParamCheck = true;
  std::unique_ptr<TParameters> FParameters;
  std::unique_ptr<TJetTranslation> FTranslation;  // of the prepared statement
  std::unique_ptr<TSqliteStatement> FStatement;   // prepared; nullptr when not prepared
  int FGeneration = 0;                            // the connection's opening it belongs to
};

// ---- Data sets -----------------------------------------------------------------------------

class TCustomADODataSet : public TDataSet {
  CLASSLIB_CLASS(TCustomADODataSet, TDataSet)
  static const TPropertyTable* PublishedProperties();  // ADOProperties.cpp
  explicit TCustomADODataSet(TComponent* owner);
  ~TCustomADODataSet() override;

  TADOConnection* GetConnection() const { return FConnection; }
  void SetConnection(TADOConnection* value);  // not owned; closes the data set first
  TParameters* GetParameters() const { return FParameters.get(); }
  bool GetParamCheck() const { return FParamCheck; }
  void SetParamCheck(bool value) { FParamCheck = value; }
  // Stored for the program's layouts; every data set is a static client-side cursor.
  TCursorLocation GetCursorLocation() const { return FCursorLocation; }
  void SetCursorLocation(TCursorLocation value) { FCursorLocation = value; }
  TCursorType GetCursorType() const { return FCursorType; }
  void SetCursorType(TCursorType value) { FCursorType = value; }
  // ltReadOnly makes the data set read-only.
  TADOLockType GetLockType() const { return FLockType; }
  void SetLockType(TADOLockType value) { FLockType = value; }
  int GetCommandTimeout() const { return FCommandTimeout; }
  void SetCommandTimeout(int value) { FCommandTimeout = value; }
  // True when the open result can be written back (see the unit's comment).
  bool GetCanModify() const override;
  // A clone shares the rows and how they are written back.
  void Clone(TDataSet* source) override;
  // Rows changed by the last ExecSQL (-1 before any).
  int GetRowsAffected() const { return FRowsAffected; }

 protected:
  // The Jet SQL text the data set runs.
  virtual String GetCommandText() const = 0;
  // Keeps a prepared statement for ExecSQL while true.
  void SetPreparedStatement(bool value);
  bool HasPreparedStatement() const { return FPrepared != nullptr; }
  void Unprepare();
  // Runs the command text as a statement without rows; returns the rows changed.
  int ExecuteCommand();

  std::shared_ptr<TClientRows> InternalOpenRows() override;
  void InternalClose() override;
  void InternalPostRow(TClientRow& row, const TClientRow* oldRow, bool isInsert) override;
  void InternalDeleteRow(const TClientRow& row) override;
  bool InternalRefreshRow(TClientRow& row) override;
  void InternalRefresh() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // A table the open rows come from and can be written back to.
  struct TSource {
    String Table;         // its name
    String File;          // the attached file it lives in; empty for the main file
    int KeyColumn = -1;   // the store column holding its rowid; -1 when none
    std::vector<int> Columns;        // store columns that come from it
    std::vector<bool> RowIdAlias;    // per entry of Columns: the column is the rowid itself
  };

  TADOConnection& Connection();  // EDatabaseError "Missing Connection or ConnectionString"
  std::unique_ptr<TSqliteStatement> PrepareWithRowIds(const TJetTranslation& t);
  void DescribeColumns(TSqliteStatement& statement, const TJetTranslation& t, TClientRows& rows,
                       int visibleCount);
  void ReadRows(TSqliteStatement& statement, TClientRows& rows);
  String TableReference(const TSource& source);  // "schema"."table", attaching as needed
  int SourceOfColumn(int column) const;
  void UpdateSource(TSource& source, TClientRow& row);
  void InsertIntoSource(TSource& source, TClientRow& row);
  // SELECT of source's columns by rowid, and reading row's values of source through it;
  // false when the row is no longer stored.
  TSqliteStatement& SelectSourceRow(const TSource& source);
  // The statement for sql, prepared once while the connection stays open; reset and unbound.
  TSqliteStatement& CachedStatement(const String& sql);
  bool ReadSourceRow(const TSource& source, TClientRow& row, TSqliteStatement& select);

  TADOConnection* FConnection = nullptr;
  std::unique_ptr<TParameters> FParameters;
  bool FParamCheck = true;
  TCursorLocation FCursorLocation = clUseClient;
  TCursorType FCursorType = ctStatic;
  TADOLockType FLockType = ltOptimistic;
  int FCommandTimeout = 30;
  int FRowsAffected = -1;
  std::unique_ptr<TJetTranslation> FPreparedTranslation;
  std::unique_ptr<TSqliteStatement> FPrepared;     // for ExecSQL while Prepared
  int FPreparedGeneration = 0;                     // the connection's opening it belongs to
  std::vector<TSource> FSources;                   // of the open rows; empty: read-only
  std::map<String, std::unique_ptr<TSqliteStatement>> FStatementCache;  // write-back statements
  int FCacheGeneration = 0;                        // the connection's opening they belong to
};

class TADOQuery : public TCustomADODataSet {
  CLASSLIB_CLASS(TADOQuery, TCustomADODataSet)
  static const TPropertyTable* PublishedProperties();  // ADOProperties.cpp
  explicit TADOQuery(TComponent* owner);
  ~TADOQuery() override;

  // The statement, one or more lines; changing it closes nothing but drops the prepared
  // statement and (with ParamCheck) makes the parameters anew.
  TStringList* GetSQL() const { return FSQL.get(); }
  void SetSQL(TStrings* value);
  TParameter* ParamByName(const String& name) const { return GetParameters()->ParamByName(name); }
  bool GetPrepared() const { return HasPreparedStatement(); }
  void SetPrepared(bool value) { SetPreparedStatement(value); }
  // Runs the statement; returns the rows it changed.
  int ExecSQL();

 protected:
  String GetCommandText() const override;

 private:
  void SQLChanged();
  std::unique_ptr<TStringList> FSQL;
};

class TADOTable : public TCustomADODataSet {
  CLASSLIB_CLASS(TADOTable, TCustomADODataSet)
  static const TPropertyTable* PublishedProperties();  // ADOProperties.cpp
  explicit TADOTable(TComponent* owner);

  const String& GetTableName() const { return FTableName; }
  void SetTableName(const String& value);   // the data set must be closed
  // "A;B": sorts the rows by these fields (as Sort "A ASC, B ASC").
  const String& GetIndexFieldNames() const { return FIndexFieldNames; }
  void SetIndexFieldNames(const String& value);
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  bool GetTableDirect() const { return FTableDirect; }
  void SetTableDirect(bool value) { FTableDirect = value; }
  bool GetCanModify() const override;

 protected:
  String GetCommandText() const override;

 private:
  String FTableName;
  String FIndexFieldNames;
  bool FReadOnly = false;
  bool FTableDirect = false;
};
