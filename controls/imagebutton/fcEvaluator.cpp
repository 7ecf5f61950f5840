#include "fcEvaluator.h"

#include <cstdint>
#include <limits>

#include "classlib/system/SysExceptions.h"

namespace {

bool IsOperator(wchar_t c) { return c == L'*' || c == L'/' || c == L'+' || c == L'-'; }
bool IsOperatorToken(const String& token) { return token.size() == 1 && IsOperator(token[0]); }

int ReadOperand(const std::vector<String>& tokens, size_t index) {
  return StrToInt(index < tokens.size() ? tokens[index] : String());
}

// The class library's conversion error, as reading the text of the value would raise it.
[[noreturn]] void RaiseNotAnInteger(int64_t value) {
  throw EConvertError(L"'%s' is not a valid integer value", {IntToStr(value)});
}

}  // namespace

std::vector<String> TfcEvaluator::Tokens(const String& expression) {
  std::vector<String> tokens;
  String current;
  for (const wchar_t c : expression) {
    if (c == L' ' || IsOperator(c)) {
      if (!current.empty()) tokens.push_back(current);
      current.clear();
      if (c != L' ') tokens.push_back(String(1, c));
    } else {
      current += c;
    }
  }
  if (!current.empty()) tokens.push_back(current);
  return tokens;
}

int TfcEvaluator::Evaluate(const String& expression) {
  for (const wchar_t c : expression) {
    if (!(c >= L'0' && c <= L'9') && c != L' ' && c != L',' && !IsOperator(c))
      throw EInvalidOperation(L"Only alpha characters \"+\", \"-\", \"x\", and \"/\" are allowed.");
  }
  std::vector<String> tokens = Tokens(expression);
  for (;;) {
    size_t at = tokens.size();
    for (size_t i = 0; i < tokens.size() && at == tokens.size(); ++i)
      if (tokens[i] == L"*" || tokens[i] == L"/") at = i;
    for (size_t i = 0; i < tokens.size() && at == tokens.size(); ++i)
      if (tokens[i] == L"+" || tokens[i] == L"-") at = i;
    if (at == tokens.size()) break;
    // An operator at either end has an empty operand, which is no integer.
    const int64_t left = at == 0 ? ReadOperand(tokens, tokens.size()) : ReadOperand(tokens, at - 1);
    const int64_t right = ReadOperand(tokens, at + 1);
    int64_t result = 0;
    switch (tokens[at][0]) {
      case L'*': result = left * right; break;
      case L'/':
        if (right == 0) throw EInvalidOperation(L"Divide By Zero Error");
        result = left / right;
        break;
      case L'+': result = left + right; break;
      default: result = left - right; break;
    }
    if (result < std::numeric_limits<int>::min() || result > std::numeric_limits<int>::max())
      RaiseNotAnInteger(result);
    tokens[at - 1] = IntToStr(static_cast<int>(result));
    tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(at),
                 tokens.begin() + static_cast<std::ptrdiff_t>(at) + 2);
  }
  String rest;
  for (size_t i = 0; i < tokens.size(); ++i) rest += (i ? L" " : L"") + tokens[i];
  return StrToInt(rest);
}
