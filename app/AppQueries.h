// Small steps the windows take on the data module's query objects.
#pragma once
#include "classlib/ado/ADODB.h"

// Closes query, gives it the one statement sql and opens it.
void RunQuery(TADOQuery* query, const String& sql);
// The field of the query's current row as an integer; 0 when it is NULL (a sum over no
// rows) or the query has no row.
int IntOrZero(TADOQuery* query, const String& field);
