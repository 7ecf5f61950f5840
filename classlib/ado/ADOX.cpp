#include "ADOX.h"
#include "../system/SysFiles.h"
#include "ADOInternal.h"
#include "DbPassword.h"

namespace {

constexpr const wchar_t* kItemNotFound =
    L"Item cannot be found in the collection corresponding to the requested name or ordinal.";
constexpr const wchar_t* kAllowZeroLength = L"Jet OLEDB:Allow Zero Length";

}  // namespace

// ---- Properties and columns ------------------------------------------------------------------

void TADOXProperty::SetValue(const Variant& value) {
  if (SameText(FName, kAllowZeroLength)) {
    // Empty text is always stored as it is here; both answers are accepted, True is kept.
    value.AsBoolean();  // EVariantTypeCastError for a value that is not a Boolean
    return;
  }
  FValue = value;
}

TADOXColumn::TADOXColumn(String name, String type) : FName(std::move(name)), FType(std::move(type)) {
  FProperties.emplace_back(kAllowZeroLength, Variant(true));
}

TADOXProperty& TADOXColumn::GetProperty(const String& name) {
  for (TADOXProperty& property : FProperties)
    if (SameText(property.GetName(), name)) return property;
  throw EDatabaseError(kItemNotFound);
}

TADOXColumn& TADOXTable::GetColumn(int index) {
  if (index < 0 || index >= GetColumnCount()) throw EDatabaseError(kItemNotFound);
  return FColumns[size_t(index)];
}

TADOXColumn& TADOXTable::GetColumn(const String& name) {
  for (TADOXColumn& column : FColumns)
    if (SameText(column.GetName(), name)) return column;
  throw EDatabaseError(kItemNotFound);
}

// ---- The catalog -----------------------------------------------------------------------------

TADOXCatalog::TADOXCatalog() = default;
TADOXCatalog::~TADOXCatalog() = default;

void TADOXCatalog::SetActiveConnection(const String& connectionString) {
  auto connection = std::make_unique<TADOConnection>(nullptr);
  connection->SetLoginPrompt(false);
  connection->SetConnectionString(connectionString);
  connection->Open();
  FOwnConnection = std::move(connection);
  FConnection = FOwnConnection.get();
  FLoaded = false;
}

void TADOXCatalog::SetActiveConnection(TADOConnection* connection) {
  FOwnConnection.reset();
  FConnection = connection;
  FLoaded = false;
}

void TADOXCatalog::Create(const String& connectionString) {
  TADOConnection::TSettings settings = TADOConnection::ParseConnectionString(connectionString);
  String dataSource = Trim(settings.DataSource);
  String password = settings.Password;
  if (dataSource.empty())
    throw EDatabaseError(L"No database file is named in the connection string (Data Source).");
  String fileName = ExpandFileName(dataSource);
  if (FileExists(fileName)) throw EDatabaseError(L"Database already exists.");
  {
    TSqliteDatabase db;
    db.Open(fileName, false, true);
    db.Exec(L"PRAGMA user_version = 1");  // writes the file header, so that it is a database
    if (!password.empty()) SetDatabasePassword(db, password, String());
  }
  SetActiveConnection(connectionString);
}

TADOConnection& TADOXCatalog::Active() {
  if (!FConnection) throw EDatabaseError(L"The catalog has no active connection.");
  FConnection->CheckActive();
  return *FConnection;
}

void TADOXCatalog::Load() {
  if (FLoaded) return;
  TADOConnection& connection = Active();
  TStringList names;
  connection.GetTableNames(&names, false);
  FTables.clear();
  for (int i = 0; i < names.GetCount(); ++i) FTables.emplace_back(names.Get(i));
  FLoaded = true;
}

TADOXTable& TADOXCatalog::Described(TADOXTable& table) {
  if (table.FDescribed) return table;
  TSqliteStatement info(Active().GetDatabase(), L"PRAGMA table_info(" + ado_internal::QuoteName(table.FName) + L")",
                        String());
  table.FColumns.clear();
  while (info.Step()) table.FColumns.emplace_back(info.ColumnText(1), info.ColumnText(2));
  table.FDescribed = true;
  return table;
}

void TADOXCatalog::Refresh() {
  FLoaded = false;
  Load();
}

int TADOXCatalog::GetTableCount() {
  Load();
  return int(FTables.size());
}

TADOXTable& TADOXCatalog::GetTable(int index) {
  Load();
  if (index < 0 || index >= int(FTables.size())) throw EDatabaseError(kItemNotFound);
  return Described(FTables[size_t(index)]);
}

TADOXTable* TADOXCatalog::Find(const String& name) {
  Load();
  for (TADOXTable& table : FTables)
    if (SameText(table.GetName(), name)) return &table;
  return nullptr;
}

TADOXTable& TADOXCatalog::GetTable(const String& name) {
  TADOXTable* table = Find(name);
  if (!table) throw EDatabaseError(kItemNotFound);
  return Described(*table);
}

void TADOXCatalog::DeleteTable(const String& name) {
  const TADOXTable* table = Find(name);
  if (!table) throw EDatabaseError(kItemNotFound);
  const String exact = table->GetName();
  Active().Execute(L"DROP TABLE [" + exact + L"]");
  FLoaded = false;
}
