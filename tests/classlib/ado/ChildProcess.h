// The child process of the crash test (the test executable run again with an argument).
#pragma once
#include "classlib/system/SysString.h"

// When the command line asks for the child mode, runs it and returns true with its result.
bool RunChildModeIfAsked(int& result);

// Starts this executable in child mode on database and signalFile; returns the process
// handle (the caller closes it) or nullptr.
void* StartTransactionChild(const String& database, const String& signalFile);
