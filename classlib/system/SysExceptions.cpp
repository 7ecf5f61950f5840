#include "SysExceptions.h"

#include "Win.h"

Exception::Exception(const String& message) : FMessage(message), FWhat(StringToUtf8(message)) {}

Exception::Exception(const String& format, std::initializer_list<TVarRec> args)
    : Exception(Format(format, args)) {}

void Exception::SetMessage(const String& message) {
  FMessage = message;
  FWhat = StringToUtf8(message);
}

void Abort() { throw EAbort(L"Operation aborted"); }

String SysErrorMessage(unsigned long errorCode) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, errorCode, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  String text;
  if (buffer) {
    text.assign(buffer, length);
    LocalFree(buffer);
  }
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
    text.pop_back();
  return text;
}

void RaiseLastOSError() {
  DWORD code = GetLastError();
  if (code == 0) throw EOSError(L"A call to an OS function failed");
  throw EOSError(L"System Error.  Code: %d.\r\n%s", {static_cast<int>(code), SysErrorMessage(code)});
}
