// The published properties of the ADO components, so that stored layouts (data modules
// above all) can place connections, queries and tables with their settings, and the
// registration of their classes for the layout reader.
//
// Not published: Connected and Active. A layout that opened the database while it is read
// would do so before the program could say where the database is; the program connects in
// code (the data module's OnCreate).
#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "ADODB.h"

namespace {

const wchar_t* const ConnectModeNames[] = {
    L"cmUnknown",        L"cmRead",           L"cmWrite",          L"cmReadWrite",
    L"cmShareDenyRead",  L"cmShareDenyWrite", L"cmShareExclusive", L"cmShareDenyNone"};
const TEnumInfo ConnectModeIdents = MakeEnumInfo(ConnectModeNames);
const wchar_t* const CursorLocationNames[] = {L"clUseServer", L"clUseClient"};
const TEnumInfo CursorLocationIdents = MakeEnumInfo(CursorLocationNames);
const wchar_t* const CursorTypeNames[] = {L"ctUnspecified", L"ctOpenForwardOnly", L"ctKeyset",
                                          L"ctDynamic", L"ctStatic"};
const TEnumInfo CursorTypeIdents = MakeEnumInfo(CursorTypeNames);
const wchar_t* const LockTypeNames[] = {L"ltUnspecified", L"ltReadOnly", L"ltPessimistic",
                                        L"ltOptimistic", L"ltBatchOptimistic"};
const TEnumInfo LockTypeIdents = MakeEnumInfo(LockTypeNames);
const wchar_t* const CommandTypeNames[] = {L"cmdUnknown", L"cmdText",    L"cmdTable",
                                           L"cmdStoredProc", L"cmdFile", L"cmdTableDirect"};
const TEnumInfo CommandTypeIdents = MakeEnumInfo(CommandTypeNames);

const bool ADOClassesRegistered = [] {
  try {
    RegisterClasses({TADOConnection::StaticClassInfo(), TADOQuery::StaticClassInfo(),
                     TADOTable::StaticClassInfo(), TADOCommand::StaticClassInfo()});
  } catch (...) {
    // A clash of names is the registry's to report when a layout names the class.
  }
  return true;
}();

}  // namespace

const TPropertyTable* TADOConnection::PublishedProperties() {
  using P = TPublish<TADOConnection>;
  using C = TADOConnection;
  static const TPropertyTable table{
      P::Text(L"ConnectionString", &C::GetConnectionString, &C::SetConnectionString),
      P::Boolean(L"KeepConnection", &C::GetKeepConnection, &C::SetKeepConnection).Default(true),
      P::Boolean(L"LoginPrompt", &C::GetLoginPrompt, &C::SetLoginPrompt).Default(true),
      P::Enum(L"Mode", ConnectModeIdents, &C::GetMode, &C::SetMode).Default(cmUnknown),
      // Kept in the connection string; stored on its own as the designer shows it.
      P::Text(L"Provider", &C::GetProvider, &C::SetProvider),
  };
  return &table;
}

const TPropertyTable* TCustomADODataSet::PublishedProperties() {
  using P = TPublish<TCustomADODataSet>;
  using C = TCustomADODataSet;
  static const TPropertyTable table{
      P::Integer(L"CommandTimeout", &C::GetCommandTimeout, &C::SetCommandTimeout).Default(30),
      P::Component(L"Connection", &C::GetConnection, &C::SetConnection),
      P::Enum(L"CursorLocation", CursorLocationIdents, &C::GetCursorLocation, &C::SetCursorLocation)
          .Default(clUseClient),
      P::Enum(L"CursorType", CursorTypeIdents, &C::GetCursorType, &C::SetCursorType).Default(ctStatic),
      P::Text(L"Filter", &C::GetFilter, &C::SetFilter),
      P::Boolean(L"Filtered", &C::GetFiltered, &C::SetFiltered).Default(false),
      P::Enum(L"LockType", LockTypeIdents, &C::GetLockType, &C::SetLockType).Default(ltOptimistic),
      P::Boolean(L"ParamCheck", &C::GetParamCheck, &C::SetParamCheck).Default(true),
  };
  return &table;
}

const TPropertyTable* TADOQuery::PublishedProperties() {
  using P = TPublish<TADOQuery>;
  static const TPropertyTable table{
      P::Strings(L"SQL", &TADOQuery::GetSQL, &TADOQuery::SetSQL),
  };
  return &table;
}

const TPropertyTable* TADOTable::PublishedProperties() {
  using P = TPublish<TADOTable>;
  using C = TADOTable;
  static const TPropertyTable table{
      P::Text(L"IndexFieldNames", &C::GetIndexFieldNames, &C::SetIndexFieldNames),
      P::Boolean(L"ReadOnly", &C::GetReadOnly, &C::SetReadOnly).Default(false),
      P::Boolean(L"TableDirect", &C::GetTableDirect, &C::SetTableDirect).Default(false),
      P::Text(L"TableName", &C::GetTableName, &C::SetTableName),
  };
  return &table;
}

const TPropertyTable* TADOCommand::PublishedProperties() {
  using P = TPublish<TADOCommand>;
  using C = TADOCommand;
  static const TPropertyTable table{
      P::Text(L"CommandText", &C::GetCommandText, &C::SetCommandText),
      P::Enum(L"CommandType", CommandTypeIdents, &C::GetCommandType, &C::SetCommandType)
          .Default(cmdText),
      P::Component(L"Connection", &C::GetConnection, &C::SetConnection),
      P::Boolean(L"ParamCheck", &C::GetParamCheck, &C::SetParamCheck).Default(true),
  };
  return &table;
}
