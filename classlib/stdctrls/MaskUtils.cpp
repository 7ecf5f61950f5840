#include "MaskUtils.h"

#include "../system/SysMath.h"
#include "../system/Win.h"

namespace {

constexpr wchar_t FieldSeparator = L';';
constexpr wchar_t LiteralDirective = L'\\';

// True when the character at index is preceded by an odd run of '\' (it is escaped).
bool IsEscaped(const String& s, size_t index) {
  size_t run = 0;
  while (index > run && s[index - run - 1] == LiteralDirective) ++run;
  return run % 2 == 1;
}

wchar_t WithCase(wchar_t ch, TMaskCase maskCase) {
  if (maskCase == mcNoCase) return ch;
  const String one(1, ch);
  const String converted = maskCase == mcUpperCase ? AnsiUpperCase(one) : AnsiLowerCase(one);
  return converted.size() == 1 ? converted[0] : ch;
}

bool IsDigit(wchar_t ch) { return ch >= L'0' && ch <= L'9'; }

}  // namespace

TEditMask::TEditMask(const String& editMask, wchar_t dateSeparator, wchar_t timeSeparator) {
  String body;
  ParseFields(editMask, body);
  ParseBody(body, dateSeparator, timeSeparator);
}

// The fields after the mask are found among the last four characters only (an earlier
// ';' belongs to the mask).
void TEditMask::ParseFields(const String& editMask, String& body) {
  const size_t length = editMask.size();
  std::vector<size_t> separators;
  for (size_t i = length > 4 ? length - 4 : 0; i < length; ++i)
    if (editMask[i] == FieldSeparator && !IsEscaped(editMask, i)) separators.push_back(i);
  if (separators.empty()) {
    body = editMask;
    return;
  }
  body = editMask.substr(0, separators[0]);
  const size_t saveEnd = separators.size() > 1 ? separators[1] : length;
  const String saveField = editMask.substr(separators[0] + 1, saveEnd - separators[0] - 1);
  FSaveLiterals = saveField.empty() || saveField[0] != L'0';
  if (separators.size() > 1 && separators[1] + 1 < length) FBlank = editMask[separators[1] + 1];
}

void TEditMask::ParseBody(const String& body, wchar_t dateSeparator, wchar_t timeSeparator) {
  TMaskCase maskCase = mcNoCase;
  bool afterLower = false;  // the previous character was the '<' directive ("<>")
  for (size_t i = 0; i < body.size(); ++i) {
    const wchar_t ch = body[i];
    const bool wasAfterLower = afterLower;
    afterLower = false;
    TMaskPosition position;
    position.Case = maskCase;
    switch (ch) {
      case LiteralDirective:
        if (i + 1 < body.size()) {
          position.Char = body[++i];
          FPositions.push_back(position);
        }
        continue;
      case L'!': FReverse = true; continue;
      case L'>': maskCase = wasAfterLower ? mcNoCase : mcUpperCase; continue;
      case L'<':
        maskCase = mcLowerCase;
        afterLower = true;
        continue;
      case L'L':
      case L'A':
      case L'C':
      case L'0': position.Kind = mkRequired; break;
      case L'l':
      case L'a':
      case L'c':
      case L'9':
      case L'#': position.Kind = mkOptional; break;
      case L':':
        position.Char = timeSeparator;
        FPositions.push_back(position);
        continue;
      case L'/':
        position.Char = dateSeparator;
        FPositions.push_back(position);
        continue;
      default:
        position.Char = ch;
        FPositions.push_back(position);
        continue;
    }
    position.Char = ch;
    FPositions.push_back(position);
  }
}

bool TEditMask::IsLiteral(int index) const {
  return index < 0 || index >= GetLength() || GetPosition(index).Kind == mkLiteral;
}

bool TEditMask::AcceptChar(int index, wchar_t& ch) const {
  if (IsLiteral(index)) return false;
  const TMaskPosition& position = GetPosition(index);
  switch (position.Char) {
    case L'0':
    case L'9': return IsDigit(ch);
    case L'#': return IsDigit(ch) || ch == L' ' || ch == L'+' || ch == L'-';
    case L'C':
    case L'c':
      if (ch < L' ') return false;
      ch = WithCase(ch, position.Case);
      return true;
    case L'L':
    case L'l':
      if (!::IsCharAlphaW(ch)) return false;
      ch = WithCase(ch, position.Case);
      return true;
    default:  // 'A', 'a'
      if (::IsCharAlphaW(ch)) {
        ch = WithCase(ch, position.Case);
        return true;
      }
      return ::IsCharAlphaNumericW(ch) != FALSE;
  }
}

int TEditMask::NextEditable(int index) const {
  int i = Max(index, 0);
  while (i < GetLength() && IsLiteral(i)) ++i;
  return Min(i, GetLength());
}

int TEditMask::PriorEditable(int index) const {
  int i = Min(index, GetLength() - 1);
  while (i >= 0 && IsLiteral(i)) --i;
  return Max(i, -1);
}

int TEditMask::FindLiteral(int index, wchar_t ch) const {
  for (int i = Max(index + 1, 0); i < GetLength(); ++i)
    if (IsLiteral(i)) return GetPosition(i).Char == ch ? i : -1;
  return -1;
}

String TEditMask::EmptyEditText() const {
  String text(FPositions.size(), FBlank);
  for (size_t i = 0; i < FPositions.size(); ++i)
    if (FPositions[i].Kind == mkLiteral) text[i] = FPositions[i].Char;
  return text;
}

String TEditMask::Normalize(const String& editText) const {
  String text = EmptyEditText();
  const int count = Min(GetLength(), static_cast<int>(editText.size()));
  for (int i = 0; i < count; ++i) {
    if (IsLiteral(i)) continue;
    wchar_t ch = editText[static_cast<size_t>(i)];
    if (ch != FBlank && AcceptChar(i, ch)) text[static_cast<size_t>(i)] = ch;
  }
  return text;
}

String TEditMask::EditTextFromText(const String& value) const {
  String text = EmptyEditText();
  // Places one character of value at an editable position; a space is a blank.
  const auto place = [&](int index, wchar_t ch) {
    if (ch != L' ' && ch != FBlank && AcceptChar(index, ch)) text[static_cast<size_t>(index)] = ch;
  };
  if (FSaveLiterals) {
    size_t next = 0;  // the next character of value
    for (int i = 0; i < GetLength(); ++i) {
      if (IsLiteral(i)) {
        if (next < value.size() && value[next] == GetPosition(i).Char) ++next;
        continue;
      }
      if (next < value.size()) place(i, value[next++]);
    }
    return text;
  }
  std::vector<int> editable;
  for (int i = 0; i < GetLength(); ++i)
    if (!IsLiteral(i)) editable.push_back(i);
  const size_t slots = editable.size();
  const size_t used = Min(slots, value.size());
  // Forward: the first characters fill the first positions. Reversed: the last characters
  // fill the last positions, leaving blanks in front.
  const size_t firstSlot = FReverse ? slots - used : 0;
  const size_t firstChar = FReverse ? value.size() - used : 0;
  for (size_t k = 0; k < used; ++k) place(editable[firstSlot + k], value[firstChar + k]);
  return text;
}

String TEditMask::TextFromEditText(const String& editText) const {
  const String text = Normalize(editText);
  String result;
  if (FSaveLiterals) {
    result = text;
    for (int i = 0; i < GetLength(); ++i)
      if (!IsLiteral(i) && result[static_cast<size_t>(i)] == FBlank)
        result[static_cast<size_t>(i)] = L' ';
    return result;
  }
  for (int i = 0; i < GetLength(); ++i)
    if (!IsLiteral(i)) result += text[static_cast<size_t>(i)];
  if (FReverse) {
    size_t start = 0;
    while (start < result.size() && result[start] == FBlank) ++start;
    result.erase(0, start);
  } else {
    size_t end = result.size();
    while (end > 0 && result[end - 1] == FBlank) --end;
    result.resize(end);
  }
  for (wchar_t& ch : result)
    if (ch == FBlank) ch = L' ';
  return result;
}

int TEditMask::FirstIncomplete(const String& editText) const {
  const String text = Normalize(editText);
  for (int i = 0; i < GetLength(); ++i) {
    const TMaskPosition& position = GetPosition(i);
    if (position.Kind != mkRequired) continue;
    const wchar_t ch = text[static_cast<size_t>(i)];
    if (ch == FBlank || (ch == L' ' && position.Char != L'C')) return i;
  }
  return -1;
}
