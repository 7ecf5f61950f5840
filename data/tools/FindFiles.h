// The names of the files (not folders) that match a wildcard pattern such as
// "C:\dir\*.txt", sorted by name.
#pragma once
#include <vector>
#include "classlib/system/SysString.h"

std::vector<String> FindFiles(const String& pattern);
