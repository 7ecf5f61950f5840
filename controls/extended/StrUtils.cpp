#include "StrUtils.h"

namespace StrUtils {

bool ConsistsOf(const String& s, const String& chars) {
  return s.find_first_not_of(chars) == String::npos;
}

String ReplaceAll(const String& s, const String& find, const String& replacement) {
  if (find.empty()) return s;
  String result;
  size_t from = 0;
  for (size_t at = s.find(find); at != String::npos; at = s.find(find, from)) {
    result.append(s, from, at - from).append(replacement);
    from = at + find.size();
  }
  return result.append(s, from, String::npos);
}

String DeleteChars(const String& s, wchar_t ch) {
  String result;
  result.reserve(s.size());
  for (wchar_t c : s)
    if (c != ch) result += c;
  return result;
}

String TrimLeadingBlanks(const String& s) {
  const size_t first = s.find_first_not_of(L' ');
  return first == String::npos ? String() : s.substr(first);
}

String TrimTrailingBlanks(const String& s) {
  const size_t last = s.find_last_not_of(L' ');
  return last == String::npos ? String() : s.substr(0, last + 1);
}

String TrimBlanks(const String& s) { return TrimLeadingBlanks(TrimTrailingBlanks(s)); }

String RepeatChar(wchar_t ch, int count) {
  return count < 1 ? String() : String(static_cast<size_t>(count), ch);
}

}  // namespace StrUtils
