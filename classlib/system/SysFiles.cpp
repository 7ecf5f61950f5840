#include "SysFiles.h"

#include <vector>

namespace {

bool IsPathDelimiter(wchar_t ch) { return ch == L'\\' || ch == L'/'; }

bool IsNameDelimiter(wchar_t ch) { return IsPathDelimiter(ch) || ch == L':'; }

// Index just after the last '\', '/' or ':'; 0 when the name has none.
size_t NameStart(const String& fileName) {
  size_t i = fileName.size();
  while (i > 0 && !IsNameDelimiter(fileName[i - 1])) --i;
  return i;
}

// Index of the extension's dot, or npos when the name part has no dot.
size_t ExtensionDot(const String& fileName) {
  size_t dot = fileName.rfind(L'.');
  if (dot == String::npos || dot < NameStart(fileName)) return String::npos;
  return dot;
}

DWORD Attributes(const String& name) {
  if (name.empty()) return INVALID_FILE_ATTRIBUTES;
  return GetFileAttributesW(name.c_str());
}

}  // namespace

bool FileExists(const String& fileName) {
  DWORD attributes = Attributes(fileName);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const String& dir) {
  DWORD attributes = Attributes(dir);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const String& dir) {
  String path = ExcludeTrailingBackslash(dir);
  if (path.empty()) return false;
  // Walk up to the first folder that exists; each step shortens the path, so this ends.
  std::vector<String> missing;
  while (!path.empty() && !DirectoryExists(path)) {
    missing.push_back(path);
    String parent = ExtractFileDir(path);
    if (parent.size() >= path.size()) break;  // a root that does not exist
    path = parent;
  }
  // Create them from the outermost down.
  for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
    if (!CreateDirectoryW(level->c_str(), nullptr) && !DirectoryExists(*level)) return false;
  }
  return true;
}

bool DeleteFile(const String& fileName) {
  if (fileName.empty()) return false;
  return ::DeleteFileW(fileName.c_str()) != FALSE;
}

String ExtractFilePath(const String& fileName) { return fileName.substr(0, NameStart(fileName)); }

String ExtractFileDir(const String& fileName) {
  size_t end = NameStart(fileName);
  // Drop the trailing separator unless it is the root's ("\", "C:\").
  if (end > 1 && IsPathDelimiter(fileName[end - 1]) && !IsNameDelimiter(fileName[end - 2])) --end;
  return fileName.substr(0, end);
}

String ExtractFileName(const String& fileName) { return fileName.substr(NameStart(fileName)); }

String ExtractFileExt(const String& fileName) {
  size_t dot = ExtensionDot(fileName);
  return dot == String::npos ? String() : fileName.substr(dot);
}

String ChangeFileExt(const String& fileName, const String& ext) {
  size_t dot = ExtensionDot(fileName);
  return (dot == String::npos ? fileName : fileName.substr(0, dot)) + ext;
}

String IncludeTrailingBackslash(const String& path) {
  if (!path.empty() && IsPathDelimiter(path.back())) return path;
  return path + L'\\';
}

String ExcludeTrailingBackslash(const String& path) {
  if (!path.empty() && IsPathDelimiter(path.back())) return path.substr(0, path.size() - 1);
  return path;
}

String ProgramFileName() {
  // The buffer doubles until the whole path fits; paths are at most 32767 characters.
  for (DWORD size = MAX_PATH; size <= 65536; size *= 2) {
    String buffer(size, L'\0');
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
    if (length == 0) return String();
    if (length < size) {
      buffer.resize(length);
      return buffer;
    }
  }
  return String();
}

String ProgramDir() { return ExtractFilePath(ProgramFileName()); }

String ExpandFileName(const String& fileName) {
  if (fileName.empty()) return String();
  DWORD size = GetFullPathNameW(fileName.c_str(), 0, nullptr, nullptr);
  // The needed size can change if the current folder changes between the calls.
  for (int attempt = 0; attempt < 3 && size > 0; ++attempt) {
    String buffer(size, L'\0');
    DWORD length = GetFullPathNameW(fileName.c_str(), size, buffer.data(), nullptr);
    if (length == 0) break;
    if (length < size) {
      buffer.resize(length);
      return buffer;
    }
    size = length;
  }
  return String();  // the system could not make a full path of it
}

int64_t FileSizeOf(const String& fileName) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (fileName.empty() ||
      !GetFileAttributesExW(fileName.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}
