// TRichEditStrings: the rich-text edit's lines over the window, its content as RTF or plain
// text streams, and the converters that file operations choose by extension.
#include <algorithm>
#include <exception>
#include <vector>

#include "RxRichEd.h"
#include "classlib/controls/Messages.h"
#include "classlib/system/SysFiles.h"
#include "classlib/system/SysMath.h"
#include "classlib/system/SysString.h"

// ---- Converters ------------------------------------------------------------------------------------

int TConversion::ConvertReadStream(TStream& stream, char* buffer, int bufSize) {
  return stream.Read(buffer, bufSize);
}

int TConversion::ConvertWriteStream(TStream& stream, const char* buffer, int bufSize) {
  return stream.Write(buffer, bufSize);
}

namespace {

struct TConversionFormat {
  String Extension;         // lower case, without the dot
  bool PlainText = false;   // the files are plain text
  TConversionClass Create;  // makes the converter
};

std::vector<TConversionFormat>& ConversionFormats() {
  static std::vector<TConversionFormat> formats{
      {L"txt", true, [] { return std::make_unique<TConversion>(); }},
      {L"rtf", false, [] { return std::make_unique<TConversion>(); }},
  };
  return formats;
}

}  // namespace

void RegisterConversionFormat(const String& extension, bool plainText, TConversionClass create) {
  if (!create) return;
  ConversionFormats().push_back({LowerCase(extension), plainText, std::move(create)});
}

bool FindConversionFormat(const String& extension, bool& plainText, TConversionClass& create) {
  const String key = LowerCase(extension);
  for (const TConversionFormat& format : ConversionFormats()) {
    if (format.Extension != key) continue;
    plainText = format.PlainText;
    create = format.Create;
    return true;
  }
  return false;
}

// ---- Stream callbacks -----------------------------------------------------------------------------------
// The window calls these during EM_STREAMIN and EM_STREAMOUT. No exception leaves them: a
// failure is the error result, which the window reports in the EDITSTREAM.

namespace {

struct TStreamCookie {
  TConversion* Converter = nullptr;
  TStream* Stream = nullptr;
  TRichStreamReader* Reader = nullptr;
  TRichStreamWriter* Writer = nullptr;
};

DWORD CALLBACK ReadCallback(DWORD_PTR cookie, LPBYTE buffer, LONG cb, LONG* pcb) {
  if (pcb) *pcb = 0;
  try {
    auto* data = reinterpret_cast<TStreamCookie*>(cookie);
    if (!data || !data->Converter || !data->Stream || !data->Reader || !pcb) return 0;
    const int count = data->Reader->Read(reinterpret_cast<char*>(buffer), cb, [data](char* to, int size) {
      return data->Converter->ConvertReadStream(*data->Stream, to, size);
    });
    if (count < 0) return 1;
    *pcb = count;
    return 0;
  } catch (...) {
    return 1;
  }
}

DWORD CALLBACK WriteCallback(DWORD_PTR cookie, LPBYTE buffer, LONG cb, LONG* pcb) {
  if (pcb) *pcb = 0;
  try {
    auto* data = reinterpret_cast<TStreamCookie*>(cookie);
    if (!data || !data->Converter || !data->Stream || !data->Writer || !pcb) return 1;
    if (!data->Writer->Write(reinterpret_cast<const char*>(buffer), cb, [data](const char* from, int size) {
          return data->Converter->ConvertWriteStream(*data->Stream, from, size);
        }))
      return 1;
    *pcb = cb;
    return 0;
  } catch (...) {
    return 1;
  }
}

// The converter to use: the lines' own, or a temporary one of the control's default class.
struct TConverterInUse {
  std::unique_ptr<TConversion> Temporary;
  TConversion* Converter;
  TConverterInUse(TConversion* own, const TConversionClass& createDefault)
      : Temporary(own ? nullptr : MakeDefault(createDefault)),
        Converter(own ? own : Temporary.get()) {}
  static std::unique_ptr<TConversion> MakeDefault(const TConversionClass& create) {
    std::unique_ptr<TConversion> made = create ? create() : nullptr;
    return made ? std::move(made) : std::make_unique<TConversion>();
  }
};

}  // namespace

// ---- TRichEditStrings: lines ------------------------------------------------------------------------------

TRichEditStrings::~TRichEditStrings() = default;

bool TRichEditStrings::HasWindow() const {
  // A window that was destroyed to be made again is made now, when it can be.
  if (!FRichEdit->HandleAllocated() && FRichEdit->GetParent()) FRichEdit->HandleNeeded();
  return FRichEdit->HandleAllocated();
}

int TRichEditStrings::LineIndex(int line) const {
  return static_cast<int>(FRichEdit->Perform(EM_LINEINDEX, static_cast<WPARAM>(line), 0));
}

int TRichEditStrings::LineLength(int offset) const {
  if (offset < 0) return 0;  // -1 would ask about the selection
  return static_cast<int>(FRichEdit->Perform(EM_LINELENGTH, static_cast<WPARAM>(offset), 0));
}

void TRichEditStrings::ReplaceRange(int start, int end, const String& text) const {
  FRichEdit->SetSelection(start, end, false);
  const bool wasUpdating = FRichEdit->FLinesUpdating;
  FRichEdit->FLinesUpdating = true;
  try {
    FRichEdit->Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
  } catch (...) {
    FRichEdit->FLinesUpdating = wasUpdating;
    throw;
  }
  FRichEdit->FLinesUpdating = wasUpdating;
}

int TRichEditStrings::GetCount() const {
  if (!HasWindow()) return TTextLines(FRichEdit->GetText()).LineCount();
  const int count = static_cast<int>(FRichEdit->Perform(EM_GETLINECOUNT, 0, 0));
  if (count > 0 && LineLength(LineIndex(count - 1)) == 0) return count - 1;
  return count;
}

String TRichEditStrings::Get(int index) const {
  if (index < 0 || !HasWindow()) return String();
  const int start = LineIndex(index);
  if (start < 0) return String();
  // The buffer holds the whole line with its break, however long.
  const int length = Max(LineLength(start) + 2, 4096);
  String buffer(static_cast<size_t>(length) + 1, L'\0');
  buffer[0] = static_cast<wchar_t>(Min(length, 0xFFFF));
  const LRESULT copied = FRichEdit->Perform(EM_GETLINE, static_cast<WPARAM>(index),
                                            reinterpret_cast<LPARAM>(buffer.data()));
  size_t n = static_cast<size_t>(Max<LRESULT>(0, Min<LRESULT>(copied, length)));
  buffer.resize(n);
  if (n >= 2 && buffer[n - 2] == L'\r' && buffer[n - 1] == L'\n') buffer.resize(n - 2);
  else if (n >= 1 && (buffer[n - 1] == L'\r' || buffer[n - 1] == L'\n')) buffer.resize(n - 1);
  return buffer;
}

void TRichEditStrings::Put(int index, const String& s) {
  if (index < 0 || !HasWindow()) return;
  const int start = LineIndex(index);
  if (start < 0) return;
  ReplaceRange(start, start + LineLength(start), s);
}

void TRichEditStrings::Insert(int index, const String& s) {
  if (index < 0) return;
  FRichEdit->HandleNeeded();
  const wchar_t* lineBreak = RichEditVersion == 1 ? L"\r\n" : L"\r";
  int start = LineIndex(index);
  String text;
  if (start >= 0) {
    text = s + lineBreak;
  } else {
    start = LineIndex(index - 1);
    if (start < 0) return;
    const int length = LineLength(start);
    if (length == 0) return;
    start += length;
    text = lineBreak + s;
  }
  ReplaceRange(start, start, text);
  if (RichEditVersion == 1 && FRichEdit->GetSelStart() != start + static_cast<int>(text.size()))
    throw EOutOfResources(L"RichEdit line insertion error");
}

void TRichEditStrings::Delete(int index) {
  if (index < 0 || !HasWindow()) return;
  const int start = LineIndex(index);
  if (start < 0) return;
  int end = LineIndex(index + 1);
  if (end < 0) end = start + LineLength(start);
  ReplaceRange(start, end, String());
}

void TRichEditStrings::Clear() { FRichEdit->Clear(); }

void TRichEditStrings::AddStrings(TStrings* strings) {
  TNotifyEvent saved = std::move(FRichEdit->OnSelectionChange);
  FRichEdit->OnSelectionChange = nullptr;
  try {
    TStrings::AddStrings(strings);
  } catch (...) {
    FRichEdit->OnSelectionChange = std::move(saved);
    throw;
  }
  FRichEdit->OnSelectionChange = std::move(saved);
}

void TRichEditStrings::SetUpdateState(bool updating) {
  // Only a shown window is told: redrawing switched on again would show a hidden one.
  if (FRichEdit->HandleAllocated() && FRichEdit->GetShowing())
    FRichEdit->Perform(WM_SETREDRAW, updating ? FALSE : TRUE, 0);
  if (!updating) {
    FRichEdit->Repaint();
    FRichEdit->Perform(CM_TEXTCHANGED, 0, 0);
  }
}

void TRichEditStrings::SetTextStr(const String& value) {
  if (!FRichEdit->HandleAllocated() && !FRichEdit->GetParent()) {
    FRichEdit->SetText(value);
    return;
  }
  FRichEdit->HandleNeeded();
  // The text goes in as Unicode plain text: set as window text it would be read as RTF
  // when it happened to begin like an RTF document.
  const std::string bytes(reinterpret_cast<const char*>(value.data()), value.size() * sizeof(wchar_t));
  TMemoryStream stream;
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SetPosition(0);
  const LPARAM mask = FRichEdit->Perform(EM_GETEVENTMASK, 0, 0);
  FRichEdit->Perform(EM_SETEVENTMASK, 0, mask & ~static_cast<LPARAM>(ENM_CHANGE));
  try {
    TConversion converter;
    TRichStreamReader reader(rkUnicode);
    TStreamCookie cookie{&converter, &stream, &reader, nullptr};
    EDITSTREAM editStream{reinterpret_cast<DWORD_PTR>(&cookie), 0, ReadCallback};
    FRichEdit->Perform(EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&editStream));
  } catch (...) {
    FRichEdit->Perform(EM_SETEVENTMASK, 0, mask);
    throw;
  }
  FRichEdit->Perform(EM_SETEVENTMASK, 0, mask);
  FRichEdit->Perform(CM_TEXTCHANGED, 0, 0);
}

// ---- TRichEditStrings: streams ------------------------------------------------------------------------------

bool TRichEditStrings::IsPlain(TRichStreamFormat format) const {
  return format == sfPlainText || (format == sfDefault && FRichEdit->GetPlainText());
}

bool TRichEditStrings::StreamIn(TStream& stream, TConversion& converter, bool plain,
                                bool modifiers, bool& rtfStarted) const {
  WPARAM flags = plain ? (SF_TEXT | SF_UNICODE) : SF_RTF;
  TRichStreamKind kind = plain ? rkText936 : rkRichText;
  if (modifiers) {
    if (!plain && FMode.Contains(smPlainRtf)) flags |= SFF_PLAINRTF;
    if (plain && FMode.Contains(smUnicode) && RichEditVersion >= 2) kind = rkUnicode;
    if (FMode.Contains(smSelection)) flags |= SFF_SELECTION;
  }
  TRichStreamReader reader(kind);
  TStreamCookie cookie{&converter, &stream, &reader, nullptr};
  EDITSTREAM editStream{reinterpret_cast<DWORD_PTR>(&cookie), 0, ReadCallback};
  FRichEdit->Perform(EM_STREAMIN, flags, reinterpret_cast<LPARAM>(&editStream));
  rtfStarted = !plain && reader.GetRtfStarted();
  return editStream.dwError == 0;
}

void TRichEditStrings::LoadFromStream(TStream& stream, TTextEncoding) {
  FRichEdit->HandleNeeded();
  TConverterInUse use(FConverter.get(), FRichEdit->GetDefaultConverter());
  const int64_t position = stream.GetPosition();
  const bool plain = IsPlain(FFormat);
  FLoadDamaged = false;
  bool rtfStarted = false;
  if (!StreamIn(stream, *use.Converter, plain, true, rtfStarted)) {
    // Bytes that open an RTF document are rich text however damaged: the window keeps what
    // it read of them, and their codes are never shown as text. Other bytes go in again in
    // the other format.
    if (rtfStarted) {
      FLoadDamaged = true;
    } else {
      stream.SetPosition(position);
      if (!StreamIn(stream, *use.Converter, !plain, false, rtfStarted)) {
        if (!rtfStarted) throw EOutOfResources(L"Failed to Load Stream");
        FLoadDamaged = true;
      }
    }
  }
  // A whole new content is no edit.
  if (!FMode.Contains(smSelection)) FRichEdit->SetModified(false);
  FRichEdit->SetSelection(0, 0, true);
  if (FLoadDamaged && FRaiseOnDamage) throw EOutOfResources(L"Failed to Load Stream");
}

void TRichEditStrings::SaveToStream(TStream& stream, TTextEncoding) const {
  FRichEdit->HandleNeeded();
  TConverterInUse use(FConverter.get(), FRichEdit->GetDefaultConverter());
  const bool plain = IsPlain(FFormat);
  WPARAM flags;
  TRichStreamKind kind;
  if (plain) {
    flags = SF_TEXT | SF_UNICODE;
    kind = FMode.Contains(smUnicode) && RichEditVersion >= 2 ? rkUnicode : rkText936;
  } else {
    flags = FMode.Contains(smNoObjects) ? SF_RTFNOOBJS : SF_RTF;
    if (FMode.Contains(smPlainRtf)) flags |= SFF_PLAINRTF;
    kind = rkRichText;
  }
  if (FMode.Contains(smSelection)) flags |= SFF_SELECTION;
  TRichStreamWriter writer(kind);
  TStreamCookie cookie{use.Converter, &stream, nullptr, &writer};
  EDITSTREAM editStream{reinterpret_cast<DWORD_PTR>(&cookie), 0, WriteCallback};
  FRichEdit->Perform(EM_STREAMOUT, flags, reinterpret_cast<LPARAM>(&editStream));
  const bool finished = editStream.dwError == 0 && writer.Finish([&](const char* from, int size) {
    return use.Converter->ConvertWriteStream(stream, from, size);
  });
  if (!finished) throw EOutOfResources(L"Failed to Save Stream");
}

void TRichEditStrings::LoadFromFile(const String& fileName, TTextEncoding encoding) {
  String extension = ExtractFileExt(fileName);
  if (!extension.empty() && extension[0] == L'.') extension.erase(0, 1);
  bool plainText = false;
  TConversionClass create;
  const bool found = FindConversionFormat(extension, plainText, create);
  if (found && !FConverter) FConverter = create();
  const TRichStreamFormat format = FFormat;
  if (found) FFormat = plainText ? sfPlainText : sfRichText;
  try {
    TStrings::LoadFromFile(fileName, encoding);
  } catch (...) {
    FFormat = format;
    FConverter.reset();
    throw;
  }
  FFormat = format;
}

void TRichEditStrings::SaveToFile(const String& fileName, TTextEncoding encoding) const {
  String extension = ExtractFileExt(fileName);
  if (!extension.empty() && extension[0] == L'.') extension.erase(0, 1);
  bool plainText = false;
  TConversionClass create;
  const bool found = FindConversionFormat(extension, plainText, create);
  if (found && !FConverter) FConverter = create();
  auto* self = const_cast<TRichEditStrings*>(this);
  const TRichStreamFormat format = FFormat;
  if (found) self->FFormat = plainText ? sfPlainText : sfRichText;
  try {
    TStrings::SaveToFile(fileName, encoding);
  } catch (...) {
    self->FFormat = format;
    FConverter.reset();
    throw;
  }
  self->FFormat = format;
}
