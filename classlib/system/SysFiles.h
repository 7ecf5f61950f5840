// File and folder helpers over the W functions of Win32. Paths use backslashes.
#pragma once
#include "SysString.h"
#include "Win.h"  // DeleteFile below is an overload beside the system's DeleteFileW

bool FileExists(const String& fileName);
bool DirectoryExists(const String& dir);
bool ForceDirectories(const String& dir);       // creates every missing folder on the path
bool DeleteFile(const String& fileName);        // false when missing or locked
String ExtractFilePath(const String& fileName); // up to and including the last '\' or ':'
String ExtractFileDir(const String& fileName);  // the same without the trailing '\'
String ExtractFileName(const String& fileName);
String ExtractFileExt(const String& fileName);  // with the dot; "" when none
String ChangeFileExt(const String& fileName, const String& ext);
String IncludeTrailingBackslash(const String& path);
String ExcludeTrailingBackslash(const String& path);
String ProgramFileName();                       // full path of the running executable
String ProgramDir();                            // its folder, with a trailing backslash
String ExpandFileName(const String& fileName);
int64_t FileSizeOf(const String& fileName);     // -1 when missing
