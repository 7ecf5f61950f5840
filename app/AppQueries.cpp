// Small steps on the query objects.
#include "AppQueries.h"

void RunQuery(TADOQuery* query, const String& sql) {
  query->Close();
  query->GetSQL()->Clear();
  query->GetSQL()->Add(sql);
  query->Open();
}

int IntOrZero(TADOQuery* query, const String& field) {
  if (query->GetEof()) return 0;
  TField* value = query->FieldByName(field);
  return value->GetIsNull() ? 0 : value->GetAsInteger();
}
