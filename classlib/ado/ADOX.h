// The catalog: the tables of a database, their columns and the column properties the
// program sets, reached the way the automation catalog of the desktop engines is: a catalog
// with an active connection, its Tables collection, a table's Columns, a column's Properties.
//
// Only what the program needs is here: creating a database file, listing and deleting
// tables, listing columns, and the "Jet OLEDB:Allow Zero Length" property (accepted; empty
// text is always allowed in this engine, so it reads True).
#pragma once
#include <memory>
#include <vector>
#include "../system/Variant.h"
#include "ADODB.h"

class TADOXCatalog;

// One property of a column.
class TADOXProperty {
 public:
  TADOXProperty(String name, Variant value) : FName(std::move(name)), FValue(std::move(value)) {}
  const String& GetName() const { return FName; }
  const Variant& GetValue() const { return FValue; }
  // Accepts a value the property can hold; EDatabaseError for one it cannot.
  void SetValue(const Variant& value);

 private:
  String FName;
  Variant FValue;
};

class TADOXColumn {
 public:
  TADOXColumn(String name, String type);
  const String& GetName() const { return FName; }
  const String& GetType() const { return FType; }  // the declared type
  int GetPropertyCount() const { return int(FProperties.size()); }
  // By name, without regard to case. EDatabaseError "Item cannot be found in the collection
  // corresponding to the requested name or ordinal." when there is none.
  TADOXProperty& GetProperty(const String& name);

 private:
  String FName;
  String FType;
  std::vector<TADOXProperty> FProperties;
};

class TADOXTable {
 public:
  explicit TADOXTable(String name) : FName(std::move(name)) {}
  const String& GetName() const { return FName; }
  int GetColumnCount() const { return int(FColumns.size()); }
  TADOXColumn& GetColumn(int index);
  TADOXColumn& GetColumn(const String& name);  // as GetProperty when there is none

 private:
  friend class TADOXCatalog;
  String FName;
  std::vector<TADOXColumn> FColumns;
  bool FDescribed = false;  // FColumns read from the database
};

class TADOXCatalog {
 public:
  TADOXCatalog();
  ~TADOXCatalog();
  TADOXCatalog(const TADOXCatalog&) = delete;
  TADOXCatalog& operator=(const TADOXCatalog&) = delete;

  // Connects with its own connection (connectionString) or through an open one (not owned).
  void SetActiveConnection(const String& connectionString);
  void SetActiveConnection(TADOConnection* connection);
  // Creates a new, empty database file named by the connection string's Data Source, with the
  // password of "Jet OLEDB:Database Password" when there is one, and connects to it.
  // EDatabaseError when the file exists already.
  void Create(const String& connectionString);

  // ---- Tables ------------------------------------------------------------------------
  int GetTableCount();
  TADOXTable& GetTable(int index);
  TADOXTable& GetTable(const String& name);  // EDatabaseError when there is none
  void DeleteTable(const String& name);      // DROP TABLE; EDatabaseError when there is none
  void Refresh();                            // reads the tables again

 private:
  TADOConnection& Active();  // EDatabaseError when no connection was given
  void Load();               // fills FTables with the tables' names when it is stale
  // The table with its columns, read from the database at its first use: a program that
  // asks for one table of many has only that one described.
  TADOXTable& Described(TADOXTable& table);
  TADOXTable* Find(const String& name);  // by name, without regard to case; nullptr when none

  std::unique_ptr<TADOConnection> FOwnConnection;  // made for a connection string
  TADOConnection* FConnection = nullptr;           // the one in use; may be FOwnConnection
  std::vector<TADOXTable> FTables;
  bool FLoaded = false;
};
