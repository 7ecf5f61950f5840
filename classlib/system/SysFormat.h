// Format: the class library's printf-like formatting with typed arguments.
#pragma once
#include <cstdint>
#include <initializer_list>
#include "SysString.h"

// One argument of Format: an integer, a floating-point value, text, a character or a pointer.
struct TVarRec {
  enum Kind { vtInteger, vtInt64, vtExtended, vtString, vtChar, vtPointer, vtBoolean } VType;
  int64_t VInt = 0;
  double VExtended = 0;
  String VString;
  const void* VPointer = nullptr;

  TVarRec(int v) : VType(vtInteger), VInt(v) {}
  TVarRec(unsigned v) : VType(vtInt64), VInt(v) {}
  TVarRec(long v) : VType(vtInteger), VInt(v) {}
  TVarRec(unsigned long v) : VType(vtInt64), VInt(static_cast<int64_t>(v)) {}
  TVarRec(long long v) : VType(vtInt64), VInt(v) {}
  TVarRec(unsigned long long v) : VType(vtInt64), VInt(static_cast<int64_t>(v)) {}
  TVarRec(double v) : VType(vtExtended), VExtended(v) {}
  TVarRec(float v) : VType(vtExtended), VExtended(v) {}
  TVarRec(bool v) : VType(vtBoolean), VInt(v ? 1 : 0) {}
  TVarRec(wchar_t c) : VType(vtChar), VString(1, c) {}
  TVarRec(const wchar_t* s) : VType(vtString), VString(s ? s : L"") {}
  TVarRec(const String& s) : VType(vtString), VString(s) {}
  TVarRec(const void* p) : VType(vtPointer), VPointer(p) {}
};

// Directives: %[index:][-][width][.precision]type with type one of d u e f g n m p s x,
// '*' for width or precision taken from the arguments, and %% for a percent sign.
// A mismatch of directive and argument raises EConvertError with the class library's text.
String Format(const String& format, std::initializer_list<TVarRec> args);
