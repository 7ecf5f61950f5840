// The exception classes of the class library. Every exception the program raises derives
// from Exception, which carries its message as UTF-16 text (what() gives it as UTF-8).
#pragma once
#include <exception>
#include <initializer_list>
#include <string>
#include "SysFormat.h"
#include "SysString.h"

class Exception : public std::exception {
 public:
  explicit Exception(const String& message);
  Exception(const String& format, std::initializer_list<TVarRec> args);  // message via Format
  const String& Message() const { return FMessage; }
  void SetMessage(const String& message);
  int HelpContext = 0;
  const char* what() const noexcept override { return FWhat.c_str(); }
  virtual const wchar_t* ClassName() const { return L"Exception"; }

 private:
  String FMessage;     // the text shown to the user
  std::string FWhat;   // FMessage in UTF-8, for std::exception
};

// Declares an exception class deriving from Base with the constructors of Exception.
#define CLASSLIB_EXCEPTION(Name, Base)                                        \
  class Name : public Base {                                                  \
   public:                                                                    \
    using Base::Base;                                                         \
    const wchar_t* ClassName() const override { return L## #Name; }           \
  };

CLASSLIB_EXCEPTION(EAbort, Exception)
CLASSLIB_EXCEPTION(EConvertError, Exception)
CLASSLIB_EXCEPTION(EInvalidOperation, Exception)
CLASSLIB_EXCEPTION(EInvalidCast, Exception)
CLASSLIB_EXCEPTION(EListError, Exception)
CLASSLIB_EXCEPTION(EStringListError, Exception)
CLASSLIB_EXCEPTION(EStreamError, Exception)
CLASSLIB_EXCEPTION(EFilerError, EStreamError)
CLASSLIB_EXCEPTION(EReadError, EFilerError)
CLASSLIB_EXCEPTION(EWriteError, EFilerError)
CLASSLIB_EXCEPTION(EFOpenError, EStreamError)
CLASSLIB_EXCEPTION(EFCreateError, EStreamError)
CLASSLIB_EXCEPTION(EOutOfResources, Exception)
CLASSLIB_EXCEPTION(EInvalidGraphic, Exception)
CLASSLIB_EXCEPTION(EInvalidGraphicOperation, Exception)
CLASSLIB_EXCEPTION(EDatabaseError, Exception)
CLASSLIB_EXCEPTION(EThread, Exception)
CLASSLIB_EXCEPTION(EComponentError, Exception)
CLASSLIB_EXCEPTION(EClassNotFound, EFilerError)
CLASSLIB_EXCEPTION(EMathError, Exception)
CLASSLIB_EXCEPTION(EInvalidOp, EMathError)
CLASSLIB_EXCEPTION(EZeroDivide, EMathError)
CLASSLIB_EXCEPTION(EOverflow, EMathError)
CLASSLIB_EXCEPTION(EIntError, Exception)
CLASSLIB_EXCEPTION(EDivByZero, EIntError)
CLASSLIB_EXCEPTION(ERangeError, EIntError)
CLASSLIB_EXCEPTION(EOSError, Exception)

// Raises the silent exception: it unwinds like any other but is not reported to the user.
[[noreturn]] void Abort();

// Raises EOSError with the system's text for the last error.
[[noreturn]] void RaiseLastOSError();
String SysErrorMessage(unsigned long errorCode);
