// Filter expressions: a tokenizer and a recursive-descent parser for
//   expr   := term { OR term }
//   term   := factor { AND factor }
//   factor := NOT factor | '(' expr ')' | field op value | field [NOT] LIKE text
//             | field IS [NOT] NULL
// where field is a name or a [bracketed name], op one of = <> != < > <= >=, and value a
// 'quoted' or "quoted" text (doubled quotes inside), a number, a #date#, TRUE, FALSE or
// NULL. Nesting is limited so that a hostile text cannot exhaust the stack.
#include "DBFilter.h"
#include <cmath>
#include "../system/Win.h"

namespace {

constexpr int kMaxDepth = 64;  // parentheses and NOTs nested deeper are refused

[[noreturn]] void FilterError(const String& what, const String& text) {
  throw EDatabaseError(L"Invalid filter expression: %s in \"%s\"", {what, text});
}

struct TToken {
  enum TType { tkEnd, tkName, tkText, tkNumber, tkDate, tkOp, tkLParen, tkRParen } Type = tkEnd;
  String Value;  // name, text, operator, or the number/date as written
};

bool IsNameChar(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
         c == L'_' || c == L'.' || c >= 0x80;
}

class TFilterTokenizer {
 public:
  explicit TFilterTokenizer(const String& text) : FText(text) {}

  TToken Next() {
    while (FPos < FText.size() && FText[FPos] <= L' ') ++FPos;
    TToken token;
    if (FPos >= FText.size()) return token;
    wchar_t c = FText[FPos];
    if (c == L'(' || c == L')') {
      token.Type = c == L'(' ? TToken::tkLParen : TToken::tkRParen;
      ++FPos;
    } else if (c == L'\'' || c == L'"') {
      token.Type = TToken::tkText;
      token.Value = Quoted(c);
    } else if (c == L'[') {
      size_t close = FText.find(L']', FPos + 1);
      if (close == String::npos) FilterError(L"missing ]", FText);
      token.Type = TToken::tkName;
      token.Value = FText.substr(FPos + 1, close - FPos - 1);
      FPos = close + 1;
    } else if (c == L'#') {
      size_t close = FText.find(L'#', FPos + 1);
      if (close == String::npos) FilterError(L"missing #", FText);
      token.Type = TToken::tkDate;
      token.Value = FText.substr(FPos + 1, close - FPos - 1);
      FPos = close + 1;
    } else if (c == L'<' || c == L'>' || c == L'=' || c == L'!') {
      token.Type = TToken::tkOp;
      token.Value = c;
      ++FPos;
      if (FPos < FText.size() && (FText[FPos] == L'=' || (c == L'<' && FText[FPos] == L'>'))) {
        token.Value += FText[FPos];
        ++FPos;
      }
      if (token.Value == L"!") FilterError(L"unknown operator !", FText);
    } else if ((c >= L'0' && c <= L'9') || c == L'-' || c == L'+' || c == L'.') {
      token.Type = TToken::tkNumber;
      size_t start = FPos++;
      while (FPos < FText.size() &&
             ((FText[FPos] >= L'0' && FText[FPos] <= L'9') || FText[FPos] == L'.' ||
              FText[FPos] == L'e' || FText[FPos] == L'E' ||
              ((FText[FPos] == L'-' || FText[FPos] == L'+') &&
               (FText[FPos - 1] == L'e' || FText[FPos - 1] == L'E'))))
        ++FPos;
      token.Value = FText.substr(start, FPos - start);
    } else if (IsNameChar(c)) {
      token.Type = TToken::tkName;
      size_t start = FPos;
      while (FPos < FText.size() && IsNameChar(FText[FPos])) ++FPos;
      token.Value = FText.substr(start, FPos - start);
    } else {
      FilterError(String(L"unexpected character ") + c, FText);
    }
    return token;
  }

 private:
  String Quoted(wchar_t quote) {
    String value;
    ++FPos;
    while (true) {
      if (FPos >= FText.size()) FilterError(L"missing closing quote", FText);
      wchar_t c = FText[FPos++];
      if (c == quote) {
        if (FPos < FText.size() && FText[FPos] == quote) {
          value += quote;
          ++FPos;
          continue;
        }
        return value;
      }
      value += c;
    }
  }

  const String& FText;
  size_t FPos = 0;
};

// Reads #m/d/yyyy[ h:nn[:ss][ AM|PM]]# and #yyyy-mm-dd[ hh:nn[:ss]]# dates, the forms
// filters use whatever the locale.
bool TryFilterDate(const String& text, TDateTime& value) {
  String s = Trim(text);
  if (s.size() >= 10 && s[4] == L'-') {
    try {
      value = Variant(s).AsDateTime();
      return true;
    } catch (const EVariantTypeCastError&) {
      return false;
    }
  }
  size_t i = 0;
  auto number = [&](int& out) {
    size_t start = i;
    out = 0;
    while (i < s.size() && s[i] >= L'0' && s[i] <= L'9' && i - start < 4) out = out * 10 + (s[i++] - L'0');
    return i > start;
  };
  int month, day, year, hour = 0, minute = 0, second = 0;
  if (!number(month) || i >= s.size() || s[i++] != L'/' || !number(day) || i >= s.size() ||
      s[i++] != L'/' || !number(year))
    return false;
  if (year < 100) year += year < 30 ? 2000 : 1900;
  while (i < s.size() && s[i] == L' ') ++i;
  if (i < s.size()) {
    if (!number(hour) || i >= s.size() || s[i++] != L':' || !number(minute)) return false;
    if (i < s.size() && s[i] == L':') {
      ++i;
      if (!number(second)) return false;
    }
    while (i < s.size() && s[i] == L' ') ++i;
    String marker = UpperCase(s.substr(i));
    if (marker == L"PM" && hour < 12) hour += 12;
    else if (marker == L"AM" && hour == 12) hour = 0;
    else if (!marker.empty() && marker != L"AM" && marker != L"PM") return false;
  }
  TDateTime date, time;
  if (!TryEncodeDate(year, month, day, date) || !TryEncodeTime(hour, minute, second, 0, time))
    return false;
  value = date + time;
  return true;
}

class TFilterParser {
 public:
  explicit TFilterParser(const String& text) : FText(text), FTokens(text) { Advance(); }

  std::shared_ptr<TDBFilterNode> ParseAll() {
    auto node = ParseOr(0);
    if (FToken.Type != TToken::tkEnd) FilterError(L"unexpected '" + FToken.Value + L"'", FText);
    return node;
  }

 private:
  void Advance() { FToken = FTokens.Next(); }
  bool IsKeyword(const wchar_t* word) const {
    return FToken.Type == TToken::tkName && SameText(FToken.Value, word);
  }

  std::shared_ptr<TDBFilterNode> Join(TDBFilterNode::TKind kind, std::shared_ptr<TDBFilterNode> left,
                                      std::shared_ptr<TDBFilterNode> right) {
    auto node = std::make_shared<TDBFilterNode>();
    node->Kind = kind;
    node->Left = std::move(left);
    node->Right = std::move(right);
    return node;
  }

  std::shared_ptr<TDBFilterNode> ParseOr(int depth) {
    auto left = ParseAnd(depth);
    while (IsKeyword(L"or")) {
      Advance();
      left = Join(TDBFilterNode::fnOr, left, ParseAnd(depth));
    }
    return left;
  }

  std::shared_ptr<TDBFilterNode> ParseAnd(int depth) {
    auto left = ParseFactor(depth);
    while (IsKeyword(L"and")) {
      Advance();
      left = Join(TDBFilterNode::fnAnd, left, ParseFactor(depth));
    }
    return left;
  }

  std::shared_ptr<TDBFilterNode> ParseFactor(int depth) {
    if (depth > kMaxDepth) FilterError(L"nested too deeply", FText);
    if (IsKeyword(L"not")) {
      Advance();
      return Join(TDBFilterNode::fnNot, ParseFactor(depth + 1), nullptr);
    }
    if (FToken.Type == TToken::tkLParen) {
      Advance();
      auto node = ParseOr(depth + 1);
      if (FToken.Type != TToken::tkRParen) FilterError(L"missing )", FText);
      Advance();
      return node;
    }
    if (FToken.Type != TToken::tkName || IsKeyword(L"and") || IsKeyword(L"or"))
      FilterError(L"field name expected", FText);
    auto node = std::make_shared<TDBFilterNode>();
    node->FieldName = FToken.Value;
    Advance();
    if (IsKeyword(L"is")) {
      Advance();
      bool negated = false;
      if (IsKeyword(L"not")) {
        negated = true;
        Advance();
      }
      if (!IsKeyword(L"null")) FilterError(L"NULL expected after IS", FText);
      Advance();
      node->Kind = TDBFilterNode::fnIsNull;
      return negated ? Join(TDBFilterNode::fnNot, node, nullptr) : node;
    }
    bool negatedLike = false;
    if (IsKeyword(L"not")) {
      negatedLike = true;
      Advance();
      if (!IsKeyword(L"like")) FilterError(L"LIKE expected after NOT", FText);
    }
    if (IsKeyword(L"like")) {
      Advance();
      if (FToken.Type != TToken::tkText) FilterError(L"quoted pattern expected after LIKE", FText);
      node->Kind = TDBFilterNode::fnLike;
      node->Literal = FToken.Value;
      Advance();
      return negatedLike ? Join(TDBFilterNode::fnNot, node, nullptr) : node;
    }
    if (FToken.Type != TToken::tkOp) FilterError(L"comparison operator expected", FText);
    const String op = FToken.Value;
    if (op == L"=") node->Op = TDBFilterNode::opEq;
    else if (op == L"<>" || op == L"!=") node->Op = TDBFilterNode::opNe;
    else if (op == L"<") node->Op = TDBFilterNode::opLt;
    else if (op == L">") node->Op = TDBFilterNode::opGt;
    else if (op == L"<=") node->Op = TDBFilterNode::opLe;
    else if (op == L">=") node->Op = TDBFilterNode::opGe;
    else FilterError(L"unknown operator " + op, FText);
    Advance();
    node->Kind = TDBFilterNode::fnCompare;
    node->Literal = ParseValue();
    if (node->Literal.IsNull()) {
      // "= NULL" and "<> NULL" read as IS NULL and IS NOT NULL.
      if (node->Op != TDBFilterNode::opEq && node->Op != TDBFilterNode::opNe)
        FilterError(L"NULL can only be compared with = or <>", FText);
      bool negated = node->Op == TDBFilterNode::opNe;
      node->Kind = TDBFilterNode::fnIsNull;
      return negated ? Join(TDBFilterNode::fnNot, node, nullptr) : node;
    }
    return node;
  }

  Variant ParseValue() {
    Variant value;
    switch (FToken.Type) {
      case TToken::tkText: value = FToken.Value; break;
      case TToken::tkNumber: {
        int64_t i;
        double d;
        TFormatSettings saved = FormatSettings;
        FormatSettings.DecimalSeparator = L'.';  // numbers in filters always use '.'
        bool isInt = TryStrToInt64(FToken.Value, i);
        bool isFloat = !isInt && TryStrToFloat(FToken.Value, d);
        FormatSettings.DecimalSeparator = saved.DecimalSeparator;
        if (isInt) value = static_cast<long long>(i);
        else if (isFloat) value = d;
        else FilterError(L"bad number " + FToken.Value, FText);
        break;
      }
      case TToken::tkDate: {
        TDateTime dt;
        if (!TryFilterDate(FToken.Value, dt)) FilterError(L"bad date #" + FToken.Value + L"#", FText);
        value = Variant::FromDateTime(dt);
        break;
      }
      case TToken::tkName:
        if (SameText(FToken.Value, L"null")) value = Variant::Null();
        else if (SameText(FToken.Value, L"true")) value = true;
        else if (SameText(FToken.Value, L"false")) value = false;
        else FilterError(L"value expected, found " + FToken.Value, FText);
        break;
      default: FilterError(L"value expected", FText);
    }
    Advance();
    return value;
  }

  const String& FText;
  TFilterTokenizer FTokens;
  TToken FToken;
};

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }
int CompareNumbers(double a, double b) { return a < b ? -1 : (a > b ? 1 : 0); }

bool ApplyOp(TDBFilterNode::TOp op, int comparison) {
  switch (op) {
    case TDBFilterNode::opEq: return comparison == 0;
    case TDBFilterNode::opNe: return comparison != 0;
    case TDBFilterNode::opLt: return comparison < 0;
    case TDBFilterNode::opGt: return comparison > 0;
    case TDBFilterNode::opLe: return comparison <= 0;
    case TDBFilterNode::opGe: return comparison >= 0;
  }
  return false;
}

// A stored value as text for comparisons: bytes read as code page 936.
String ValueText(const Variant& v) {
  try {
    return VarToStr(v);
  } catch (const EVariantError&) {
    return String();
  }
}

}  // namespace

namespace DBFilter {

std::shared_ptr<TDBFilterNode> Parse(const String& text) {
  if (Trim(text).empty()) return nullptr;
  return TFilterParser(text).ParseAll();
}

void Bind(TDBFilterNode& node, const TClientRows& rows, const TComponent* dataSet,
          TFilterOptions options) {
  if (node.Left) Bind(*node.Left, rows, dataSet, options);
  if (node.Right) Bind(*node.Right, rows, dataSet, options);
  if (node.Kind == TDBFilterNode::fnAnd || node.Kind == TDBFilterNode::fnOr ||
      node.Kind == TDBFilterNode::fnNot)
    return;
  node.Column = rows.IndexOfColumn(node.FieldName);
  if (node.Column < 0) DatabaseErrorFmt(DBText::FieldNotFound, {node.FieldName}, dataSet);
  node.ColumnType = rows.GetColumn(node.Column).DataType;
  if (node.Kind != TDBFilterNode::fnCompare) {
    if (node.Kind == TDBFilterNode::fnLike) node.Text = node.Literal.AsString();
    return;
  }
  try {
    if (IsNumberType(node.ColumnType) || IsDateType(node.ColumnType) ||
        node.ColumnType == ftBoolean) {
      if (IsDateType(node.ColumnType)) node.Number = node.Literal.AsDateTime();
      else if (node.ColumnType == ftBoolean) node.Number = node.Literal.AsBoolean() ? 1 : 0;
      else node.Number = node.Literal.AsDouble();
    } else {
      node.Text = node.Literal.GetVarType() == varDate ? FormatDateTime(L"yyyy-mm-dd hh:nn:ss", node.Literal.AsDateTime())
                                                       : node.Literal.AsString();
      node.Prefix = node.Op == TDBFilterNode::opEq && !options.Contains(foNoPartialCompare) &&
                    !node.Text.empty() && node.Text.back() == L'*';
      if (node.Prefix) node.Text.pop_back();
    }
  } catch (const EVariantError&) {
    DatabaseErrorFmt(L"Invalid filter expression: the value for field '%s' does not fit its type",
                     {node.FieldName}, dataSet);
  }
}

bool Evaluate(const TDBFilterNode& node, const TClientRow& row) {
  switch (node.Kind) {
    case TDBFilterNode::fnAnd: return Evaluate(*node.Left, row) && Evaluate(*node.Right, row);
    case TDBFilterNode::fnOr: return Evaluate(*node.Left, row) || Evaluate(*node.Right, row);
    case TDBFilterNode::fnNot: return !Evaluate(*node.Left, row);
    default: break;
  }
  const Variant& value = row.Values[static_cast<size_t>(node.Column)];
  if (node.Kind == TDBFilterNode::fnIsNull) return value.IsNull() || value.IsEmpty();
  if (value.IsNull() || value.IsEmpty()) return false;
  if (node.Kind == TDBFilterNode::fnLike) return LikeMatch(ValueText(value), node.Text);
  if (IsNumberType(node.ColumnType) || IsDateType(node.ColumnType) ||
      node.ColumnType == ftBoolean) {
    double number;
    try {
      number = IsDateType(node.ColumnType) ? value.AsDateTime()
               : node.ColumnType == ftBoolean ? (value.AsBoolean() ? 1 : 0)
                                              : value.AsDouble();
    } catch (const EVariantError&) {
      return false;
    }
    return ApplyOp(node.Op, CompareNumbers(number, node.Number));
  }
  String text = ValueText(value);
  if (node.Prefix) return StartsWithCI(text, node.Text);
  return ApplyOp(node.Op, CompareTextCI(text, node.Text));
}

int CompareTextCI(const String& a, const String& b) {
  int result = CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                    static_cast<int>(b.size()), TRUE);
  return result == 0 ? CompareStr(a, b) : result - CSTR_EQUAL;
}

bool StartsWithCI(const String& s, const String& prefix) {
  if (prefix.size() > s.size()) return false;
  return CompareStringOrdinal(s.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                              static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

bool LikeMatch(const String& s, const String& pattern) {
  // Greedy matching with one backtrack point (the last wildcard), linear in practice and
  // O(|s| * |pattern|) at worst.
  auto same = [](wchar_t a, wchar_t b) {
    return CompareStringOrdinal(&a, 1, &b, 1, TRUE) == CSTR_EQUAL;
  };
  size_t si = 0, pi = 0, starP = String::npos, starS = 0;
  while (si < s.size()) {
    if (pi < pattern.size() && (pattern[pi] == L'*' || pattern[pi] == L'%')) {
      starP = pi++;
      starS = si;
    } else if (pi < pattern.size() && same(pattern[pi], s[si])) {
      ++pi;
      ++si;
    } else if (starP != String::npos) {
      pi = starP + 1;
      si = ++starS;
    } else {
      return false;
    }
  }
  while (pi < pattern.size() && (pattern[pi] == L'*' || pattern[pi] == L'%')) ++pi;
  return pi == pattern.size();
}

bool IsTextType(TFieldType type) {
  return type == ftString || type == ftWideString || type == ftFixedChar || type == ftMemo ||
         type == ftFmtMemo;
}

bool IsNumberType(TFieldType type) {
  return type == ftSmallint || type == ftInteger || type == ftWord || type == ftFloat ||
         type == ftCurrency || type == ftBCD || type == ftAutoInc || type == ftLargeint;
}

bool IsDateType(TFieldType type) { return type == ftDate || type == ftTime || type == ftDateTime; }

int CompareValues(const Variant& a, const Variant& b, TFieldType type) {
  bool aNull = a.IsNull() || a.IsEmpty(), bNull = b.IsNull() || b.IsEmpty();
  if (aNull || bNull) return aNull == bNull ? 0 : (aNull ? -1 : 1);
  try {
    if (IsNumberType(type) || type == ftBoolean) {
      double x = type == ftBoolean ? (a.AsBoolean() ? 1 : 0) : a.AsDouble();
      double y = type == ftBoolean ? (b.AsBoolean() ? 1 : 0) : b.AsDouble();
      return CompareNumbers(x, y);
    }
    if (IsDateType(type)) return CompareNumbers(a.AsDateTime(), b.AsDateTime());
  } catch (const EVariantError&) {
    // A value of another kind than the column's: fall back to text.
  }
  if (a.IsNumeric() && b.IsNumeric()) return CompareNumbers(a.AsDouble(), b.AsDouble());
  return Sign(CompareTextCI(ValueText(a), ValueText(b)));
}

}  // namespace DBFilter
