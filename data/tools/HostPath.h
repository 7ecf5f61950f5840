// File names handed to the bank tools by the build, which runs them under Wine: a Unix path
// ("/work/...") is reached through drive Z:, which maps the Unix root.
#pragma once
#include "classlib/system/SysString.h"

inline String HostPath(const String& path) {
  if (path.empty() || path[0] != L'/') return path;
  String out = L"Z:" + path;
  for (wchar_t& ch : out)
    if (ch == L'/') ch = L'\\';
  return out;
}
