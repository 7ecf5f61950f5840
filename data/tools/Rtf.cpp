#include "Rtf.h"
#include <cctype>
#include <cstdlib>
#include "classlib/system/Win.h"

namespace {

constexpr char kHeader[] =
    "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052"
    "{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\r\n"
    "\\viewkind4\\uc1\\pard\\lang2052\\f0\\fs24 ";
constexpr int kMaxDepth = 100;  // nesting deeper than this is not one of ours

void AppendHexByte(std::string& out, unsigned char byte) {
  static const char digits[] = "0123456789abcdef";
  out += "\\'";
  out += digits[byte >> 4];
  out += digits[byte & 15];
}

// One UTF-16 unit that is not plain ASCII: its GBK bytes, or \uN? when it has none.
void AppendWide(std::string& out, wchar_t ch) {
  char bytes[4] = {};
  BOOL usedDefault = FALSE;
  int count = 0;
  if (ch < 0xD800 || ch > 0xDFFF) {
    count = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, &ch, 1, bytes, sizeof bytes, nullptr,
                                &usedDefault);
  }
  if (count > 0 && !usedDefault) {
    for (int i = 0; i < count; ++i) AppendHexByte(out, static_cast<unsigned char>(bytes[i]));
    return;
  }
  out += "\\u" + std::to_string(static_cast<int>(static_cast<short>(ch))) + "?";
}

}  // namespace

std::string TextToRtf(const String& text) {
  std::string out = kHeader;
  for (wchar_t ch : text) {
    switch (ch) {
      case L'\r':
        break;
      case L'\n':
        out += "\\par\r\n";
        break;
      case L'\t':
        out += "\\tab ";
        break;
      case L'\\':
      case L'{':
      case L'}':
        out += '\\';
        out += static_cast<char>(ch);
        break;
      default:
        if (ch >= 0x20 && ch < 0x7F) {
          out += static_cast<char>(ch);
        } else if (ch >= 0x20) {
          AppendWide(out, ch);
        }
        break;
    }
  }
  out += "\r\n}";
  return out;
}

namespace {

// Reads one document. The state that RTF scopes to a group is kept on a stack.
class TRtfReader {
 public:
  explicit TRtfReader(const std::string& rtf) : FRtf(rtf) {}

  TRtfContent Read() {
    TRtfContent result;
    if (FRtf.compare(0, 6, "{\\rtf1") != 0) return result;
    std::vector<TGroup> stack;
    TGroup current;
    size_t i = 0;
    while (i < FRtf.size()) {
      char c = FRtf[i];
      if (c == '{') {
        if (stack.size() >= size_t(kMaxDepth)) return result;
        stack.push_back(current);
        ++i;
      } else if (c == '}') {
        if (stack.empty()) return result;  // more closing braces than opening ones
        EndGroup(current, result);
        current = stack.back();
        stack.pop_back();
        ++i;
        if (stack.empty()) {  // the document's own group has ended
          FlushBytes();
          result.Valid = FRtf.find_first_not_of("\r\n", i) == std::string::npos;
          result.Text = FText;
          result.Cp936 = FCp936;
          return result;
        }
      } else if (c == '\\') {
        i = ControlWord(i + 1, current);
      } else {
        if (c != '\r' && c != '\n') AddByte(current, static_cast<unsigned char>(c));
        ++i;
      }
    }
    return result;  // unbalanced: Valid stays false
  }

 private:
  struct TGroup {
    bool Skip = false;         // a destination whose text is not shown
    bool InFontTable = false;
    int UnicodeSkip = 1;       // \ucN: fallback characters after \uN
    std::string FontName;      // bytes of the font entry being read
  };

  void EndGroup(TGroup& group, TRtfContent& result) {
    if (group.InFontTable && !group.FontName.empty()) {
      String name = Trim(Cp936ToString(group.FontName));
      if (!name.empty() && name.back() == L';') name.pop_back();
      result.Fonts.push_back(Trim(name));
    }
  }

  void AddByte(TGroup& group, unsigned char byte) {
    if (group.InFontTable) {
      group.FontName += static_cast<char>(byte);
    } else if (!group.Skip) {
      FPending += static_cast<char>(byte);
    }
  }

  void FlushBytes() {
    if (FPending.empty()) return;
    FText += Cp936ToString(FPending);
    FPending.clear();
  }

  void AddText(const TGroup& group, const String& text) {
    if (group.Skip || group.InFontTable) return;
    FlushBytes();
    FText += text;
  }

  static bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
  static bool IsAlpha(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
  static bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

  // Reads the control word or symbol that starts at i (just after its backslash); returns
  // the position after it.
  size_t ControlWord(size_t i, TGroup& group) {
    if (i >= FRtf.size()) return i;
    char c = FRtf[i];
    if (c == '\\' || c == '{' || c == '}') {
      AddByte(group, static_cast<unsigned char>(c));
      return i + 1;
    }
    if (c == '\'') {
      if (i + 2 < FRtf.size() && IsHex(FRtf[i + 1]) && IsHex(FRtf[i + 2])) {
        AddByte(group, static_cast<unsigned char>(std::stoi(FRtf.substr(i + 1, 2), nullptr, 16)));
        return i + 3;
      }
      return i + 1;
    }
    if (c == '*') {
      group.Skip = true;
      return i + 1;
    }
    if (!IsAlpha(c)) return i + 1;  // another control symbol
    size_t start = i;
    while (i < FRtf.size() && IsAlpha(FRtf[i]) && i - start < 32) ++i;
    std::string word = FRtf.substr(start, i - start);
    bool hasParam = false;
    long param = 0;
    if (i < FRtf.size() && (FRtf[i] == '-' || IsDigit(FRtf[i]))) {
      size_t numberStart = i++;
      while (i < FRtf.size() && IsDigit(FRtf[i]) && i - numberStart < 10) ++i;
      hasParam = true;
      param = std::strtol(FRtf.substr(numberStart, i - numberStart).c_str(), nullptr, 10);
    }
    if (i < FRtf.size() && FRtf[i] == ' ') ++i;  // the delimiting blank belongs to the word

    if (word == "par" || word == "line") {
      AddText(group, L"\n");
    } else if (word == "tab") {
      AddText(group, L"\t");
    } else if (word == "u" && hasParam) {
      AddText(group, String(1, static_cast<wchar_t>(static_cast<unsigned short>(param))));
      for (int skip = 0; skip < group.UnicodeSkip && i < FRtf.size(); ++skip)
        i += (FRtf[i] == '\\' && i + 1 < FRtf.size() && FRtf[i + 1] == '\'') ? 4 : 1;
    } else if (word == "uc" && hasParam) {
      group.UnicodeSkip = int(param);
    } else if (word == "ansicpg" && hasParam) {
      FCp936 = param == 936;
    } else if (word == "fonttbl") {
      group.InFontTable = true;
    } else if (word == "f" && group.InFontTable) {
      group.FontName.clear();
    } else if (word == "colortbl" || word == "stylesheet" || word == "info" || word == "pict") {
      group.Skip = true;
    }
    return i;
  }

  const std::string& FRtf;
  std::string FPending;  // text bytes not yet converted (a GBK character is two bytes)
  String FText;
  bool FCp936 = false;
};

}  // namespace

TRtfContent ReadRtf(const std::string& rtf) { return TRtfReader(rtf).Read(); }
