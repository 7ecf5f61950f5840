// The document writer (see DocumentWriter.h).
#include "DocumentWriter.h"

#include <cstdio>
#include <map>
#include "../system/SysExceptions.h"
#include "../system/Win.h"

#include <shellapi.h>

namespace {

const char kRtfHead[] = "{\\rtf1\\ansi\\ansicpg936\\deff0\\uc1";

// A name in the Chinese code page, as the font table writes it (\'hh for every byte past ASCII).
std::string CodePageText(const String& text) {
  std::string out;
  if (text.empty()) return out;
  const int size = ::WideCharToMultiByte(936, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(size_t(size > 0 ? size : 0), '\0');
  if (size > 0) ::WideCharToMultiByte(936, 0, text.c_str(), int(text.size()), bytes.data(), size, nullptr, nullptr);
  for (unsigned char ch : bytes) {
    if (ch < 0x80 && ch != '\\' && ch != '{' && ch != '}' && ch != ';') {
      out += char(ch);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\'%02x", ch);
      out += hex;
    }
  }
  return out;
}

bool IsLetter(char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }
bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

// One token of RTF: a control word with its parameter, a control symbol, a brace or text.
struct TToken {
  enum TKind { Word, Symbol, Open, Close, Text, End } Kind = End;  // NOLINT
  std::string Name;     // the control word's letters
  bool HasParam = false;
  long Param = 0;
  std::string Raw;      // the token as it stood (a word without its delimiting space)
};

class TRtfReader {
 public:
  explicit TRtfReader(const std::string& text) : FText(text) {}
  TToken Next() {
    TToken t;
    if (FPos >= FText.size()) return t;
    const size_t start = FPos;
    const char ch = FText[FPos];
    if (ch == '{' || ch == '}') {
      t.Kind = ch == '{' ? TToken::Open : TToken::Close;
      ++FPos;
    } else if (ch == '\\' && FPos + 1 < FText.size() && IsLetter(FText[FPos + 1])) {
      t.Kind = TToken::Word;
      ++FPos;
      while (FPos < FText.size() && IsLetter(FText[FPos]) && t.Name.size() < 32) t.Name += FText[FPos++];
      const size_t paramStart = FPos;
      if (FPos < FText.size() && FText[FPos] == '-') ++FPos;
      while (FPos < FText.size() && IsDigit(FText[FPos]) && FPos - paramStart < 10) ++FPos;
      if (FPos > paramStart && IsDigit(FText[FPos - 1])) {
        t.HasParam = true;
        t.Param = std::strtol(FText.substr(paramStart, FPos - paramStart).c_str(), nullptr, 10);
      } else {
        FPos = paramStart;
      }
      t.Raw = FText.substr(start, FPos - start);
      if (FPos < FText.size() && FText[FPos] == ' ') ++FPos;  // the delimiter belongs to the word
      return t;
    } else if (ch == '\\') {
      t.Kind = TToken::Symbol;
      FPos += (FPos + 1 < FText.size() && FText[FPos + 1] == '\'') ? 4 : 2;
      FPos = std::min(FPos, FText.size());
    } else {
      t.Kind = TToken::Text;
      while (FPos < FText.size() && FText[FPos] != '{' && FText[FPos] != '}' && FText[FPos] != '\\') ++FPos;
    }
    t.Raw = FText.substr(start, FPos - start);
    return t;
  }

 private:
  const std::string& FText;
  size_t FPos = 0;
};

// Header words of a fragment that the document's own header replaces.
bool IsHeaderWord(const std::string& word) {
  static const char* const words[] = {"rtf", "ansi", "ansicpg", "deff", "deflang", "deflangfe", "mac", "pc", "pca",
                                      "uc", "fbidis", "viewkind", "adeflang", "stshfdbch", "stshfloch", "stshfhich",
                                      "stshfbi", "deftab"};
  for (const char* w : words)
    if (word == w) return true;
  return false;
}

// Header groups that the document does not take over.
bool IsSkippedDestination(const std::string& word) {
  return word == "stylesheet" || word == "info" || word == "generator" || word == "listtable" ||
         word == "listoverridetable" || word == "latentstyles" || word == "rsidtbl" || word == "themedata" ||
         word == "colorschememapping" || word == "xmlnstbl" || word == "mmathPr";
}

bool IsColorWord(const std::string& word) {
  return word == "cf" || word == "cb" || word == "highlight" || word == "chcbpat" || word == "chcfpat" ||
         word == "cbpat" || word == "cfpat";
}

}  // namespace

std::string RtfEscape(const String& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t ch = text[i];
    if (ch == L'\\' || ch == L'{' || ch == L'}') {
      out += '\\';
      out += char(ch);
    } else if (ch == L'\r') {
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      out += "\\par\n";
    } else if (ch == L'\n') {
      out += "\\par\n";
    } else if (ch == L'\t') {
      out += "\\tab ";
    } else if (ch < 0x80) {
      out += char(ch);
    } else {
      // The document's code page where it holds the character (every reader knows those
      // bytes), else the character's number with "?" for readers that know neither.
      char bytes[4];
      BOOL lost = FALSE;
      const int n = (ch >= 0xD800 && ch <= 0xDFFF)
                        ? 0
                        : ::WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, &ch, 1, bytes, sizeof bytes, nullptr, &lost);
      if (n > 0 && !lost) {
        for (int b = 0; b < n; ++b) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\'%02x", static_cast<unsigned char>(bytes[b]));
          out += hex;
        }
      } else {
        out += "\\u" + std::to_string(int(int16_t(ch))) + "?";
      }
    }
  }
  return out;
}

TDocumentWriter::TDocumentWriter() { DocumentsAdd(); }

void TDocumentWriter::DocumentsAdd() {
  FFonts.clear();
  FColors.clear();
  FBody.clear();
  FCursor = 0;
  FSize = 12;
  FBold = false;
  FFont = FontIndex("\\fnil \\fcharset134 " + CodePageText(L"宋体") + ";");
}

int TDocumentWriter::FontIndex(const std::string& entry) {
  for (size_t i = 0; i < FFonts.size(); ++i)
    if (FFonts[i] == entry) return int(i);
  FFonts.push_back(entry);
  return int(FFonts.size() - 1);
}

int TDocumentWriter::ColorIndex(const std::string& entry) {
  for (size_t i = 0; i < FColors.size(); ++i)
    if (FColors[i] == entry) return int(i + 1);
  FColors.push_back(entry);
  return int(FColors.size());
}

void TDocumentWriter::SetFontName(const String& name) {
  if (name.empty()) return;
  FFont = FontIndex("\\fnil \\fcharset134 " + CodePageText(name) + ";");
}

void TDocumentWriter::SetFontSize(int points) {
  if (points > 0 && points <= 1638) FSize = points;
}

void TDocumentWriter::SetBold(bool bold) { FBold = bold; }

std::string TDocumentWriter::FontPrefix() const {
  return "\\f" + std::to_string(FFont) + "\\fs" + std::to_string(FSize * 2) + (FBold ? "\\b" : "\\b0");
}

void TDocumentWriter::Append(const std::string& rtf) {
  FCursor = std::min(FCursor, FBody.size());
  FBody.insert(FCursor, rtf);
  FCursor += rtf.size();
}

void TDocumentWriter::TypeText(const String& text) {
  if (text.empty()) return;
  Append("{" + FontPrefix() + " " + RtfEscape(text) + "}");
}

void TDocumentWriter::TypeParagraph() { Append("\\par\n"); }

void TDocumentWriter::InsertBreak() { Append("\\page\n"); }

void TDocumentWriter::HomeKey() { FCursor = 0; }

void TDocumentWriter::EndKey() { FCursor = FBody.size(); }

void TDocumentWriter::PasteRtf(const std::string& rtf) {
  if (rtf.compare(0, 5, "{\\rtf") != 0) throw EConvertError(L"Not rich text");
  TRtfReader reader(rtf);
  std::map<long, int> fontMap, colorMap;
  std::string body;
  int depth = 0;
  int skipDepth = 0;  // inside a group that is dropped (> 0: the depth it started at)
  bool groupStart = false;
  bool starred = false;
  for (TToken t = reader.Next(); t.Kind != TToken::End; t = reader.Next()) {
    if (t.Kind == TToken::Open) {
      ++depth;
      groupStart = true;
      starred = false;
      if (!skipDepth && depth > 1) body += '{';
      continue;
    }
    if (t.Kind == TToken::Close) {
      if (skipDepth && depth == skipDepth) {
        skipDepth = 0;
      } else if (!skipDepth && depth > 1) {
        body += '}';
      }
      if (--depth <= 0) break;
      groupStart = false;
      continue;
    }
    if (skipDepth) continue;
    if (t.Kind == TToken::Symbol && t.Raw == "\\*" && groupStart) {
      starred = true;
      body += t.Raw;
      continue;
    }
    if (t.Kind == TToken::Word && (groupStart || starred) && depth > 1) {
      const bool wasStart = groupStart;
      groupStart = false;
      starred = false;
      if (t.Name == "fonttbl" || t.Name == "colortbl") {
        // Read the table to its end; the group is dropped from the body.
        body.pop_back();  // its '{'
        if (wasStart && body.size() >= 2 && body.compare(body.size() - 2, 2, "\\*") == 0) body.resize(body.size() - 2);
        const bool fonts = t.Name == "fonttbl";
        const int tableDepth = depth;
        std::string entry;
        long index = -1;
        int colorNumber = 1;
        for (TToken e = reader.Next(); e.Kind != TToken::End; e = reader.Next()) {
          if (e.Kind == TToken::Open) {
            ++depth;
            continue;
          }
          if (e.Kind == TToken::Close) {
            if (--depth < tableDepth) break;
            continue;
          }
          if (depth > tableDepth + 1) continue;  // an entry's own groups (panose, alternative names)
          if (fonts && e.Kind == TToken::Word && e.Name == "f" && e.HasParam) {
            index = e.Param;
            entry.clear();
            continue;
          }
          if (e.Kind == TToken::Text && e.Raw.find(';') != std::string::npos) {
            const size_t semi = e.Raw.find(';');
            entry += e.Raw.substr(0, semi + 1);
            if (fonts) {
              if (index >= 0) fontMap[index] = FontIndex(entry);
            } else {
              colorMap[colorNumber++] = entry == ";" ? 0 : ColorIndex(entry.substr(0, entry.size() - 1));
            }
            entry = e.Raw.substr(semi + 1);
            continue;
          }
          if (e.Kind == TToken::Word && !fonts && (e.Name == "red" || e.Name == "green" || e.Name == "blue")) {
            entry += e.Raw;
            continue;
          }
          if (fonts) entry += e.Kind == TToken::Word ? e.Raw + " " : e.Raw;
        }
        if (!fonts) {
          // Colour numbers count from the automatic colour at 0.
          std::map<long, int> shifted;
          for (const auto& [number, index] : colorMap) shifted[number - 1] = index;
          colorMap = shifted;
        }
        if (depth <= 0) break;
        continue;
      }
      if (IsSkippedDestination(t.Name)) {
        skipDepth = depth;
        // Take back the group's opening already written.
        if (body.size() >= 2 && body.compare(body.size() - 2, 2, "\\*") == 0) body.resize(body.size() - 2);
        if (!body.empty() && body.back() == '{') body.pop_back();
        continue;
      }
    }
    groupStart = false;
    if (t.Kind == TToken::Word) {
      if (depth == 1 && IsHeaderWord(t.Name)) continue;
      if (t.Name == "f" && t.HasParam) {
        auto found = fontMap.find(t.Param);
        body += "\\f" + std::to_string(found != fontMap.end() ? found->second : 0) + " ";
        continue;
      }
      if (IsColorWord(t.Name) && t.HasParam) {
        auto found = colorMap.find(t.Param);
        body += "\\" + t.Name + std::to_string(found != colorMap.end() ? found->second : 0) + " ";
        continue;
      }
      body += t.Raw + " ";
      continue;
    }
    if (t.Kind == TToken::Text) {
      for (char ch : t.Raw)
        if (ch != '\r' && ch != '\n') body += ch;
      continue;
    }
    body += t.Raw;
  }
  // The fragment's closing paragraph mark ends the copied text, not a paragraph of the
  // document: the caller types its own paragraph after a paste.
  while (!body.empty() && (body.back() == ' ' || body.back() == '\n' || body.back() == '\r')) body.pop_back();
  if (body.size() >= 4 && body.compare(body.size() - 4, 4, "\\par") == 0) body.resize(body.size() - 4);
  Append("{\\pard\\plain " + body + "}");
}

void TDocumentWriter::Paste() {
  if (!::OpenClipboard(nullptr)) throw EOSError(L"The clipboard cannot be opened");
  std::string rtf;
  String text;
  const UINT rtfFormat = ::RegisterClipboardFormatW(L"Rich Text Format");
  if (HANDLE data = ::GetClipboardData(rtfFormat)) {
    if (const char* bytes = static_cast<const char*>(::GlobalLock(data))) {
      rtf.assign(bytes, strnlen(bytes, ::GlobalSize(data)));
      ::GlobalUnlock(data);
    }
  } else if (HANDLE unicode = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const wchar_t* chars = static_cast<const wchar_t*>(::GlobalLock(unicode))) {
      text.assign(chars, wcsnlen(chars, ::GlobalSize(unicode) / sizeof(wchar_t)));
      ::GlobalUnlock(unicode);
    }
  }
  ::CloseClipboard();
  if (!rtf.empty())
    PasteRtf(rtf);
  else
    TypeText(text);
}

std::string TDocumentWriter::Rtf() const {
  std::string out = kRtfHead;
  out += "{\\fonttbl";
  for (size_t i = 0; i < FFonts.size(); ++i) out += "{\\f" + std::to_string(i) + FFonts[i] + "}";
  out += "}\n{\\colortbl ;";
  for (const std::string& color : FColors) out += color + ";";
  out += "}\n\\pard\\plain\n";
  out += FBody;
  out += "\n}\n";
  return out;
}

namespace {

// Writes rtf to fileName made with disposition (CREATE_ALWAYS or CREATE_NEW); false when
// CREATE_NEW meets a file of that name.
bool WriteDocumentFile(const String& fileName, const std::string& rtf, DWORD disposition) {
  HANDLE file = ::CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (disposition == CREATE_NEW && ::GetLastError() == ERROR_FILE_EXISTS) return false;
    throw EFCreateError(L"Cannot create file \"" + fileName + L"\"");
  }
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, rtf.data(), DWORD(rtf.size()), &written, nullptr);
  ::CloseHandle(file);
  if (!ok || written != rtf.size()) throw EWriteError(L"Cannot write file \"" + fileName + L"\"");
  return true;
}

}  // namespace

void TDocumentWriter::SaveToFile(const String& fileName) const { WriteDocumentFile(fileName, Rtf(), CREATE_ALWAYS); }

bool TDocumentWriter::SaveToNewFile(const String& fileName) const {
  return WriteDocumentFile(fileName, Rtf(), CREATE_NEW);
}

void TDocumentWriter::Open(const String& fileName) {
  SaveToFile(fileName);
  OpenSaved(fileName);
}

void TDocumentWriter::OpenSaved(const String& fileName) {
  if (Opener)
    Opener(fileName);
  else
    ::ShellExecuteW(nullptr, L"open", fileName.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
