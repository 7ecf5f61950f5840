#include "Clipboard.h"

#include <cstring>
#include <memory>
#include <optional>

#include "../controls/Controls.h"
#include "../graphics/Bitmap.h"
#include "../graphics/Graphic.h"

namespace {

// Another program may hold the clipboard for a moment; Open tries a few times.
constexpr int OpenAttempts = 5;
constexpr DWORD OpenRetryDelayMs = 10;
// More formats than any clipboard holds: ends an enumeration that does not end by itself.
constexpr int MaxFormats = 1000;

// One clipboard session for the length of a scope.
class TSession {
 public:
  explicit TSession(TClipboard& clipboard) : FClipboard(clipboard) { FClipboard.Open(); }
  ~TSession() { FClipboard.Close(); }
  TSession(const TSession&) = delete;
  TSession& operator=(const TSession&) = delete;

 private:
  TClipboard& FClipboard;
};

// Frees a clipboard data handle of the format that the clipboard did not take.
void FreeClipboardHandle(UINT format, HANDLE handle) {
  if (!handle) return;
  switch (format) {
    case CF_BITMAP:
    case CF_DSPBITMAP:
    case CF_PALETTE:
      ::DeleteObject(handle);
      break;
    case CF_ENHMETAFILE:
    case CF_DSPENHMETAFILE:
      ::DeleteEnhMetaFile(static_cast<HENHMETAFILE>(handle));
      break;
    case CF_METAFILEPICT:
    case CF_DSPMETAFILEPICT:
      if (auto* picture = static_cast<METAFILEPICT*>(::GlobalLock(handle))) {
        ::DeleteMetaFile(picture->hMF);
        ::GlobalUnlock(handle);
      }
      ::GlobalFree(handle);
      break;
    default:
      ::GlobalFree(handle);
      break;
  }
}

// Puts a handle the caller made; the handle is freed when the clipboard does not take it.
void PutHandle(UINT format, HANDLE handle) {
  if (::SetClipboardData(format, handle)) return;
  const DWORD error = ::GetLastError();
  FreeClipboardHandle(format, handle);
  throw Exception(L"Cannot put data on the clipboard: " + SysErrorMessage(error));
}

}  // namespace

TClipboard::~TClipboard() {
  if (FOpenRefCount > 0) {
    FOpenRefCount = 1;
    Close();
  }
}

void TClipboard::Open() {
  if (FOpenRefCount == 0) {
    HWND window = AllocateHWnd([this](TMessage& message) {
      message.Result =
          ::DefWindowProcW(FClipboardWindow, message.Msg, message.WParam, message.LParam);
    });
    FClipboardWindow = window;
    bool opened = false;
    for (int attempt = 0; attempt < OpenAttempts && !opened; ++attempt) {
      if (attempt > 0) ::Sleep(OpenRetryDelayMs);
      opened = ::OpenClipboard(window) != FALSE;
    }
    if (!opened) {
      FClipboardWindow = nullptr;
      DeallocateHWnd(window);
      throw Exception(L"Cannot open clipboard");
    }
    FEmptied = false;
  }
  ++FOpenRefCount;
}

void TClipboard::Close() {
  if (FOpenRefCount == 0) return;
  if (--FOpenRefCount > 0) return;
  ::CloseClipboard();
  HWND window = FClipboardWindow;
  FClipboardWindow = nullptr;
  DeallocateHWnd(window);
  FEmptied = false;
}

void TClipboard::Clear() {
  TSession session(*this);
  ::EmptyClipboard();
}

void TClipboard::Adding() {
  if (FOpenRefCount > 0 && !FEmptied) {
    Clear();
    FEmptied = true;
  }
}

bool TClipboard::HasFormat(UINT format) const {
  return ::IsClipboardFormatAvailable(format) != FALSE;
}

int TClipboard::GetFormatCount() { return ::CountClipboardFormats(); }

UINT TClipboard::GetFormats(int index) {
  if (index < 0) return 0;
  TSession session(*this);
  if (index >= MaxFormats) return 0;
  UINT format = 0;
  for (int i = 0; i <= index; ++i) {
    format = ::EnumClipboardFormats(format);
    if (format == 0) return 0;
  }
  return format;
}

String TClipboard::GetAsText() {
  TSession session(*this);
  HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
  if (!data) return String();
  // The text ends at its NUL or at the end of the block, whichever comes first.
  const size_t capacity = ::GlobalSize(data) / sizeof(wchar_t);
  const auto* text = static_cast<const wchar_t*>(::GlobalLock(data));
  if (!text) return String();
  size_t length = 0;
  while (length < capacity && text[length] != L'\0') ++length;
  String result(text, length);
  ::GlobalUnlock(data);
  return result;
}

void TClipboard::SetAsText(const String& value) {
  SetBuffer(CF_UNICODETEXT, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
}

void TClipboard::SetBuffer(UINT format, const void* buffer, size_t size) {
  TSession session(*this);
  Adding();
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
  if (!memory) throw EOutOfResources(L"Out of system resources");
  if (size > 0) {
    void* bytes = ::GlobalLock(memory);
    if (!bytes) {
      ::GlobalFree(memory);
      throw EOutOfResources(L"Out of system resources");
    }
    std::memcpy(bytes, buffer, size);
    ::GlobalUnlock(memory);
  }
  PutHandle(format, memory);
}

HANDLE TClipboard::GetAsHandle(UINT format) {
  TSession session(*this);
  return ::GetClipboardData(format);
}

void TClipboard::SetAsHandle(UINT format, HANDLE value) {
  // The handle is the clipboard's from here on, also when opening fails.
  std::optional<TSession> session;
  try {
    session.emplace(*this);
  } catch (...) {
    FreeClipboardHandle(format, value);
    throw;
  }
  Adding();
  PutHandle(format, value);
}

void TClipboard::Assign(TPersistent* source) {
  if (auto* picture = dynamic_cast<TPicture*>(source)) {
    AssignGraphic(picture->GetGraphic());
  } else if (auto* graphic = dynamic_cast<TGraphic*>(source)) {
    AssignGraphic(graphic);
  } else {
    inherited::Assign(source);
  }
}

void TClipboard::AssignGraphic(TGraphic* source) {
  TSession session(*this);
  Adding();
  if (!source) return;
  UINT format = 0;
  HANDLE data = nullptr;
  HPALETTE palette = nullptr;
  source->SaveToClipboardFormat(format, data, palette);
  if (data) {
    try {
      PutHandle(format, data);
    } catch (...) {
      if (palette) ::DeleteObject(palette);
      throw;
    }
  }
  if (palette) PutHandle(CF_PALETTE, palette);
}

void TClipboard::AssignTo(TPersistent* dest) {
  if (auto* picture = dynamic_cast<TPicture*>(dest)) {
    AssignToPicture(picture);
  } else if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
    TPicture picture;
    AssignToPicture(&picture);
    bitmap->Assign(picture.GetGraphic());
  } else {
    inherited::AssignTo(dest);
  }
}

void TClipboard::AssignToPicture(TPicture* dest) {
  TSession session(*this);
  UINT format = 0;
  for (int i = 0; i < MaxFormats; ++i) {
    format = ::EnumClipboardFormats(format);
    if (format == 0) break;
    if (TPicture::SupportsClipboardFormat(format)) {
      dest->LoadFromClipboardFormat(format, ::GetClipboardData(format),
                                    static_cast<HPALETTE>(::GetClipboardData(CF_PALETTE)));
      return;
    }
  }
  throw EInvalidGraphic(L"Unsupported clipboard format");
}

TClipboard* Clipboard() {
  static std::unique_ptr<TClipboard> instance = std::make_unique<TClipboard>();
  return instance.get();
}
