// The translator works in three steps:
//   1. Tokenize: the text becomes a flat list of tokens; strings, names and dates are
//      decoded here, and an unterminated one is an error.
//   2. Group: the tokens between each pair of parentheses become the items of one Group
//      node, so that every later step sees one nesting level at a time.
//   3. Rewrite: token-level replacements first (names, dates, TRUE, MOD, parameters, types),
//      then the structural ones per level (TOP, DELETE *, IN '<file>', &, COLLATE NOCASE).
// Rendering joins the nodes again, keeping a blank where the source had one.
#include "JetSql.h"
#include <algorithm>
#include "../system/SysExceptions.h"
#include "JetDates.h"

namespace {

enum class TK {
  Word,    // identifier or keyword, as written
  QName,   // quoted identifier; Text is the name
  Str,     // string literal; Text is the value
  Num,     // number, as written
  Sym,     // operator or punctuation
  Param,   // :name parameter; Text is the name until numbered, then the number
  Group,   // ( Items )
  Marker   // renders nothing; records the output offset just before the top-level FROM
};

struct TNode {
  TK Kind = TK::Sym;
  String Text;
  bool SpaceBefore = false;   // the source had a blank before it
  String Schema;              // QName/Word table reference read from an attached file
  std::vector<TNode> Items;   // Group only
};

using TSeq = std::vector<TNode>;

[[noreturn]] void SyntaxError(const String& what, const String& sql) {
  throw EDatabaseError(what + L"\nSQL: " + sql);
}

bool IsWordStart(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_' || c >= 0x80;
}
bool IsWordChar(wchar_t c) { return IsWordStart(c) || (c >= L'0' && c <= L'9') || c == L'$'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// ---- 1. Tokenize ----------------------------------------------------------------------

// Reads a quoted run starting after the opening quote; a doubled closing quote stands for
// one when doubling is allowed. Returns false when the text ends first.
bool ReadQuoted(const String& s, size_t& pos, wchar_t close, bool doubling, String& value) {
  value.clear();
  while (pos < s.size()) {
    wchar_t c = s[pos++];
    if (c == close) {
      if (doubling && pos < s.size() && s[pos] == close) {
        value += close;
        ++pos;
        continue;
      }
      return true;
    }
    value += c;
  }
  return false;
}

TSeq Tokenize(const String& s) {
  TSeq tokens;
  bool space = false;
  size_t pos = 0;
  while (pos < s.size()) {
    wchar_t c = s[pos];
    if (c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == 0xA0 || c == 0x3000) {
      space = true;
      ++pos;
      continue;
    }
    TNode t;
    t.SpaceBefore = space;
    space = false;
    if (c == L'[' || c == L'`') {
      ++pos;
      t.Kind = TK::QName;
      if (!ReadQuoted(s, pos, c == L'[' ? L']' : L'`', false, t.Text))
        SyntaxError(L"Invalid bracketing of name '" + t.Text + L"'.", s);
    } else if (c == L'\'' || c == L'"') {
      ++pos;
      t.Kind = TK::Str;
      if (!ReadQuoted(s, pos, c, true, t.Text))
        SyntaxError(L"Unterminated string in query expression '" + String(1, c) + t.Text + L"'.",
                    s);
    } else if (c == L'#') {
      ++pos;
      String body;
      if (!ReadQuoted(s, pos, L'#', false, body))
        SyntaxError(L"Syntax error in date in query expression '#" + body + L"'.", s);
      TDateTime dt;
      if (!TryJetDateLiteral(body, dt))
        SyntaxError(L"Syntax error in date in query expression '#" + body + L"#'.", s);
      t.Kind = TK::Str;
      t.Text = DateTimeToIso(dt);
    } else if (IsDigit(c) || (c == L'.' && pos + 1 < s.size() && IsDigit(s[pos + 1]))) {
      size_t start = pos;
      while (pos < s.size() && IsDigit(s[pos])) ++pos;
      if (pos < s.size() && s[pos] == L'.') {
        ++pos;
        while (pos < s.size() && IsDigit(s[pos])) ++pos;
      }
      if (pos < s.size() && (s[pos] == L'e' || s[pos] == L'E')) {
        size_t save = pos++;
        if (pos < s.size() && (s[pos] == L'+' || s[pos] == L'-')) ++pos;
        if (pos < s.size() && IsDigit(s[pos])) {
          while (pos < s.size() && IsDigit(s[pos])) ++pos;
        } else {
          pos = save;
        }
      }
      t.Kind = TK::Num;
      t.Text = s.substr(start, pos - start);
    } else if (c == L':' && pos + 1 < s.size() && IsWordStart(s[pos + 1])) {
      size_t start = ++pos;
      while (pos < s.size() && IsWordChar(s[pos])) ++pos;
      t.Kind = TK::Param;
      t.Text = s.substr(start, pos - start);
    } else if (IsWordStart(c)) {
      size_t start = pos;
      while (pos < s.size() && IsWordChar(s[pos])) ++pos;
      t.Kind = TK::Word;
      t.Text = s.substr(start, pos - start);
    } else {
      static const wchar_t* const kPairs[] = {L"<>", L"<=", L">=", L"!=", L"==", L"||"};
      t.Kind = TK::Sym;
      t.Text = String(1, c);
      for (const wchar_t* pair : kPairs)
        if (pos + 1 < s.size() && s[pos] == pair[0] && s[pos + 1] == pair[1]) t.Text = pair;
      pos += t.Text.size();
    }
    tokens.push_back(std::move(t));
  }
  return tokens;
}

// ---- 2. Group ---------------------------------------------------------------------------

TSeq Group(TSeq flat, const String& sql) {
  std::vector<TSeq> stack(1);
  std::vector<bool> spaces;
  for (TNode& t : flat) {
    if (t.Kind == TK::Sym && t.Text == L"(") {
      spaces.push_back(t.SpaceBefore);
      stack.emplace_back();
    } else if (t.Kind == TK::Sym && t.Text == L")") {
      if (stack.size() == 1) SyntaxError(L"Syntax error: a ')' has no matching '('.", sql);
      TNode g;
      g.Kind = TK::Group;
      g.SpaceBefore = spaces.back();
      spaces.pop_back();
      g.Items = std::move(stack.back());
      stack.pop_back();
      stack.back().push_back(std::move(g));
    } else {
      stack.back().push_back(std::move(t));
    }
  }
  if (stack.size() != 1) SyntaxError(L"Syntax error: a '(' has no matching ')'.", sql);
  return std::move(stack[0]);
}

// ---- Helpers over nodes ---------------------------------------------------------------

bool IsWord(const TNode& n, const wchar_t* word) {
  return n.Kind == TK::Word && SameText(n.Text, word);
}
bool IsWordIn(const TNode& n, std::initializer_list<const wchar_t*> words) {
  if (n.Kind != TK::Word) return false;
  for (const wchar_t* w : words)
    if (SameText(n.Text, w)) return true;
  return false;
}
bool IsSym(const TNode& n, const wchar_t* sym) { return n.Kind == TK::Sym && n.Text == sym; }
bool At(const TSeq& seq, size_t i, const wchar_t* word) {
  return i < seq.size() && IsWord(seq[i], word);
}

TNode MakeWord(const String& text, bool space = true) {
  TNode n;
  n.Kind = TK::Word;
  n.Text = text;
  n.SpaceBefore = space;
  return n;
}
TNode MakeSym(const String& text, bool space = false) {
  TNode n;
  n.Kind = TK::Sym;
  n.Text = text;
  n.SpaceBefore = space;
  return n;
}

// Words that end an expression, a table reference or an alias.
bool IsReserved(const TNode& n) {
  return IsWordIn(n, {L"SELECT", L"FROM", L"WHERE", L"AND", L"OR", L"NOT", L"AS", L"ORDER",
                      L"BY", L"GROUP", L"HAVING", L"ON", L"THEN", L"ELSE", L"WHEN", L"END",
                      L"CASE", L"LIKE", L"IN", L"IS", L"BETWEEN", L"SET", L"VALUES", L"INTO",
                      L"UNION", L"INTERSECT", L"EXCEPT", L"LIMIT", L"OFFSET", L"JOIN",
                      L"INNER", L"LEFT", L"RIGHT", L"FULL", L"OUTER", L"CROSS", L"NATURAL",
                      L"DESC", L"ASC", L"DISTINCT", L"ALL", L"TOP", L"COLLATE", L"ESCAPE",
                      L"EXISTS", L"USING", L"GLOB", L"MATCH", L"REGEXP"});
}

// ---- 3a. Token-level rewrites ------------------------------------------------------------

struct TContext {
  const String* Sql = nullptr;
  const TExternalDatabaseResolver* Resolve = nullptr;
  std::vector<String> ParamNames;
  bool Dml = false;
};

void RewriteTokens(TSeq& seq, TContext& ctx) {
  for (size_t i = 0; i < seq.size(); ++i) {
    TNode& n = seq[i];
    bool callFollows = i + 1 < seq.size() && seq[i + 1].Kind == TK::Group;
    bool afterDot = i > 0 && IsSym(seq[i - 1], L".");
    switch (n.Kind) {
      case TK::Group:
        RewriteTokens(n.Items, ctx);
        break;
      case TK::Word:
        if (afterDot) break;
        if (!callFollows && (SameText(n.Text, L"TRUE") || SameText(n.Text, L"FALSE"))) {
          n.Kind = TK::Num;
          n.Text = SameText(n.Text, L"TRUE") ? L"-1" : L"0";
        } else if (SameText(n.Text, L"MOD")) {
          n.Kind = TK::Sym;
          n.Text = L"%";
          n.SpaceBefore = true;
        } else if (callFollows && (SameText(n.Text, L"LEFT") || SameText(n.Text, L"RIGHT"))) {
          n.Kind = TK::QName;
          n.Text = UpperCase(n.Text);
        } else if (SameText(n.Text, L"DISTINCTROW")) {
          seq.erase(seq.begin() + i);
          --i;
        }
        break;
      case TK::Sym:
        if (n.Text == L"?") {  // a parameter without a name: one of its own, bound by position
          n.Kind = TK::Param;
          ctx.ParamNames.push_back(String());
          n.Text = IntToStr(int64_t(ctx.ParamNames.size()));
        }
        break;
      case TK::Param: {
        auto found = std::find_if(ctx.ParamNames.begin(), ctx.ParamNames.end(),
                                  [&](const String& p) { return !p.empty() && SameText(p, n.Text); });
        size_t index = found - ctx.ParamNames.begin();
        if (found == ctx.ParamNames.end()) ctx.ParamNames.push_back(n.Text);
        n.Text = IntToStr(int64_t(index + 1));
        break;
      }
      default:
        break;
    }
  }
}

// ---- 3b. Column types --------------------------------------------------------------------

// Rewrites one column definition (name, type, constraints) in place.
void RewriteColumnDefinition(TSeq& def, bool tableHasPrimaryKey) {
  if (def.size() < 2 || (def[0].Kind != TK::Word && def[0].Kind != TK::QName)) return;
  size_t typeEnd = 2;
  if (def[1].Kind != TK::Word) return;
  String type = UpperCase(def[1].Text);
  // Two-word type names.
  if (def.size() > 2 && def[2].Kind == TK::Word) {
    String second = UpperCase(def[2].Text);
    if ((type == L"DOUBLE" && second == L"PRECISION") ||
        (type == L"CHARACTER" && second == L"VARYING") ||
        (type == L"BINARY" && second == L"VARYING")) {
      typeEnd = 3;
    } else if (type == L"NATIONAL" && (second == L"CHAR" || second == L"CHARACTER")) {
      type = L"CHAR";
      typeEnd = 3;
    }
  }
  int size = -1;
  bool hasSizeGroup = typeEnd < def.size() && def[typeEnd].Kind == TK::Group;
  if (hasSizeGroup && !def[typeEnd].Items.empty() && def[typeEnd].Items[0].Kind == TK::Num)
    size = StrToIntDef(def[typeEnd].Items[0].Text, -1);
  bool counter = type == L"COUNTER" || type == L"AUTOINCREMENT" || type == L"IDENTITY";
  String declaration;
  if (counter) {
    declaration = tableHasPrimaryKey ? L"INTEGER" : L"INTEGER PRIMARY KEY AUTOINCREMENT";
  } else {
    declaration = JetTypeToDeclaration(type, size);
  }
  if (declaration.empty()) return;  // not a Jet type: SQLite reads it as it is
  size_t eraseEnd = typeEnd + (hasSizeGroup ? 1 : 0);
  def.erase(def.begin() + 1, def.begin() + eraseEnd);
  def.insert(def.begin() + 1, MakeWord(declaration));
  // Constraints: drop what SQLite does not know or what the counter already says.
  bool hasDefault = false;
  for (size_t i = 2; i < def.size(); ++i) {
    if (IsWord(def[i], L"WITH") && i + 1 < def.size() &&
        IsWordIn(def[i + 1], {L"COMPRESSION", L"COMP"})) {
      def.erase(def.begin() + i, def.begin() + i + 2);
      --i;
    } else if (counter && !tableHasPrimaryKey && IsWord(def[i], L"PRIMARY") &&
               At(def, i + 1, L"KEY")) {
      def.erase(def.begin() + i, def.begin() + i + 2);
      --i;
    } else if (IsWord(def[i], L"DEFAULT")) {
      hasDefault = true;
    }
  }
  if (type == L"YESNO" || type == L"BIT" || type == L"LOGICAL" || type == L"LOGICAL1" ||
      type == L"BOOLEAN") {
    if (!hasDefault) {  // a Yes/No column is never Null in Jet: it starts as No
      def.push_back(MakeWord(L"DEFAULT"));
      def.push_back(MakeWord(L"0"));
    }
  }
}

// Splits a group's items at its top-level commas.
std::vector<TSeq> SplitAtCommas(TSeq& items) {
  std::vector<TSeq> parts(1);
  for (TNode& n : items) {
    if (IsSym(n, L",")) {
      parts.emplace_back();
    } else {
      parts.back().push_back(std::move(n));
    }
  }
  return parts;
}

TSeq JoinWithCommas(std::vector<TSeq>& parts) {
  TSeq out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out.push_back(MakeSym(L","));
    for (TNode& n : parts[i]) out.push_back(std::move(n));
  }
  return out;
}

bool IsTableConstraint(const TSeq& def) {
  return !def.empty() &&
         IsWordIn(def[0], {L"CONSTRAINT", L"PRIMARY", L"UNIQUE", L"FOREIGN", L"CHECK"});
}

bool DefinesPrimaryKey(const TSeq& def) {
  for (size_t i = 0; i + 1 < def.size(); ++i)
    if (IsWord(def[i], L"PRIMARY") && IsWord(def[i + 1], L"KEY")) return true;
  return false;
}

void RewriteCreateTable(TSeq& seq) {
  // CREATE TABLE name ( definitions )
  for (size_t i = 0; i < seq.size(); ++i) {
    if (seq[i].Kind != TK::Group) continue;
    std::vector<TSeq> defs = SplitAtCommas(seq[i].Items);
    for (size_t d = 0; d < defs.size(); ++d) {
      if (IsTableConstraint(defs[d])) continue;
      // A counter is the table's key unless another column or constraint is.
      bool otherPrimaryKey = false;
      for (size_t o = 0; o < defs.size(); ++o)
        if (o != d && DefinesPrimaryKey(defs[o])) otherPrimaryKey = true;
      RewriteColumnDefinition(defs[d], otherPrimaryKey);
    }
    seq[i].Items = JoinWithCommas(defs);
    break;
  }
}

void RewriteAlterTable(TSeq& seq) {
  // ALTER TABLE name ADD [COLUMN] definition
  for (size_t i = 3; i < seq.size(); ++i) {
    if (!IsWord(seq[i], L"ADD")) continue;
    size_t start = i + 1;
    if (At(seq, start, L"COLUMN")) ++start;
    if (At(seq, start, L"CONSTRAINT")) return;
    TSeq def(seq.begin() + start, seq.end());
    RewriteColumnDefinition(def, true);
    seq.erase(seq.begin() + start, seq.end());
    seq.insert(seq.end(), def.begin(), def.end());
    return;
  }
}

void RewriteCreateIndex(TSeq& seq) {
  // CREATE [UNIQUE] INDEX name ON table (columns) [WITH PRIMARY | DISALLOW NULL | IGNORE NULL]
  for (size_t i = 0; i < seq.size(); ++i)
    if (IsWord(seq[i], L"WITH")) {
      seq.erase(seq.begin() + i, seq.end());
      return;
    }
}

void RewriteDropIndex(TSeq& seq) {
  // DROP INDEX name ON table -> DROP INDEX name
  for (size_t i = 3; i < seq.size(); ++i)
    if (IsWord(seq[i], L"ON")) {
      seq.erase(seq.begin() + i, seq.end());
      return;
    }
}

// ---- 3c. SELECT scopes ------------------------------------------------------------------

bool HasAggregate(const TSeq& seq, size_t begin, size_t end) {
  for (size_t i = begin; i < end && i < seq.size(); ++i) {
    const TNode& n = seq[i];
    if (n.Kind == TK::Word && i + 1 < seq.size() && seq[i + 1].Kind == TK::Group &&
        IsWordIn(n, {L"COUNT", L"SUM", L"AVG", L"MIN", L"MAX", L"FIRST", L"LAST", L"STDEV",
                     L"STDEVP", L"VAR", L"VARP", L"GROUP_CONCAT", L"TOTAL"}))
      return true;
    if (n.Kind == TK::Group && !(n.Items.size() > 0 && IsWord(n.Items[0], L"SELECT")) &&
        HasAggregate(n.Items, 0, n.Items.size()))
      return true;
  }
  return false;
}

bool IsJoinWord(const TNode& n) {
  return IsWordIn(n, {L"JOIN", L"INNER", L"LEFT", L"RIGHT", L"FULL", L"OUTER", L"CROSS",
                      L"NATURAL"});
}

// Collects the table references of a FROM clause seq[begin, end): pointers to their
// nodes and their descriptions. derived is set when a source is a subquery.
void ParseSources(TSeq& seq, size_t begin, size_t end, std::vector<TNode*>& tables,
                  std::vector<TJetSource>& sources, bool& derived) {
  size_t k = begin;
  while (k < end) {
    TNode& n = seq[k];
    if ((n.Kind == TK::Word && !IsReserved(n)) || n.Kind == TK::QName) {
      TNode* table = &n;
      TJetSource source;
      ++k;
      if (k + 1 < end && IsSym(seq[k], L".") &&
          (seq[k + 1].Kind == TK::Word || seq[k + 1].Kind == TK::QName)) {
        source.Schema = n.Text;  // already qualified: schema.table
        table = &seq[k + 1];
        k += 2;
      } else {
        tables.push_back(table);
      }
      source.Table = table->Text;
      source.Alias = table->Text;
      if (k < end && IsWord(seq[k], L"AS")) ++k;
      if (k < end && ((seq[k].Kind == TK::Word && !IsReserved(seq[k])) ||
                      seq[k].Kind == TK::QName)) {
        source.Alias = seq[k].Text;
        ++k;
      }
      sources.push_back(source);
    } else if (n.Kind == TK::Group) {
      if (!n.Items.empty() && IsWord(n.Items[0], L"SELECT")) {
        derived = true;
      } else {
        ParseSources(n.Items, 0, n.Items.size(), tables, sources, derived);
      }
      ++k;
      if (k < end && IsWord(seq[k], L"AS")) ++k;
      if (k < end && ((seq[k].Kind == TK::Word && !IsReserved(seq[k])) ||
                      seq[k].Kind == TK::QName))
        ++k;
    } else {
      ++k;
      continue;
    }
    // Skip a join condition up to the next source.
    while (k < end && !IsSym(seq[k], L",") && !IsJoinWord(seq[k])) ++k;
    while (k < end && (IsSym(seq[k], L",") || IsJoinWord(seq[k]))) ++k;
  }
}

String ResolveExternal(TContext& ctx, const String& file) {
  return (*ctx.Resolve)(file);
}

struct TSelectInfo {
  bool Simple = false;
  std::vector<TJetSource> Sources;
  bool HasMarker = false;
};

// Rewrites the SELECT that starts at seq[s] and ends before seq[e]; returns the new end.
size_t RewriteSelect(TSeq& seq, size_t s, size_t e, TContext& ctx, bool markFrom,
                     TSelectInfo& info) {
  size_t j = s + 1;
  bool distinct = false;
  while (j < e && IsWordIn(seq[j], {L"DISTINCT", L"ALL"})) {
    distinct = distinct || IsWord(seq[j], L"DISTINCT");
    ++j;
  }
  String limit;
  if (j < e && IsWord(seq[j], L"TOP")) {
    if (j + 1 >= e || seq[j + 1].Kind != TK::Num)
      SyntaxError(L"Syntax error: TOP must be followed by a number.", *ctx.Sql);
    if (j + 2 < e && IsWord(seq[j + 2], L"PERCENT"))
      SyntaxError(L"TOP n PERCENT is not supported.", *ctx.Sql);
    limit = seq[j + 1].Text;
    seq.erase(seq.begin() + j, seq.begin() + j + 2);
    e -= 2;
  }
  size_t from = e;
  for (size_t i = j; i < e; ++i)
    if (IsWord(seq[i], L"FROM")) {
      from = i;
      break;
    }
  std::vector<TNode*> tables;
  std::vector<TJetSource> sources;
  bool derived = false;
  bool grouped = false;
  if (from < e) {
    size_t clauseEnd = from + 1;
    while (clauseEnd < e &&
           !IsWordIn(seq[clauseEnd], {L"WHERE", L"GROUP", L"HAVING", L"ORDER", L"LIMIT"}) &&
           !(IsWord(seq[clauseEnd], L"IN") && clauseEnd + 1 < e &&
             seq[clauseEnd + 1].Kind == TK::Str))
      ++clauseEnd;
    ParseSources(seq, from + 1, clauseEnd, tables, sources, derived);
    if (clauseEnd + 1 < e && IsWord(seq[clauseEnd], L"IN") &&
        seq[clauseEnd + 1].Kind == TK::Str) {
      String schema = ResolveExternal(ctx, seq[clauseEnd + 1].Text);
      for (TNode* table : tables) table->Schema = schema;
      for (TJetSource& source : sources)
        if (source.Schema.empty()) source.Schema = schema;
      seq.erase(seq.begin() + clauseEnd, seq.begin() + clauseEnd + 2);
      e -= 2;
    }
    for (size_t i = from; i < e; ++i)
      if (IsWordIn(seq[i], {L"GROUP", L"HAVING"})) grouped = true;
    if (markFrom) {
      seq[from].SpaceBefore = true;  // columns inserted at the marker need a blank before FROM
      TNode marker;
      marker.Kind = TK::Marker;
      seq.insert(seq.begin() + from, marker);
      ++e;
      info.HasMarker = true;
    }
  }
  if (!limit.empty()) {
    seq.insert(seq.begin() + e, MakeWord(L"LIMIT"));
    seq.insert(seq.begin() + e + 1, MakeWord(limit));
    e += 2;
  }
  info.Simple = from < e && !distinct && !grouped && !derived && !sources.empty() &&
                !HasAggregate(seq, j, from);
  info.Sources = sources;
  return e;
}

// INSERT INTO t IN 'file' ...: the target lives in the file.
void RewriteInsertTarget(TSeq& seq, TContext& ctx) {
  if (seq.size() < 5 || !IsWord(seq[0], L"INSERT") || !IsWord(seq[1], L"INTO")) return;
  if ((seq[2].Kind == TK::Word || seq[2].Kind == TK::QName) && IsWord(seq[3], L"IN") &&
      seq[4].Kind == TK::Str) {
    seq[2].Schema = ResolveExternal(ctx, seq[4].Text);
    seq.erase(seq.begin() + 3, seq.begin() + 5);
  }
}

// INSERT INTO t SELECT * FROM s [WHERE ...] -> INSERT INTO t (c..) SELECT c.. FROM s, with c
// the columns of t, each of which s must have. Runs after the IN clauses became schemas.
void ExpandInsertSelectStar(TSeq& seq, TContext& ctx, const TTableColumnsResolver& columns) {
  auto isTable = [](const TNode& n) { return n.Kind == TK::Word || n.Kind == TK::QName; };
  if (!columns || seq.size() < 7 || !IsWord(seq[0], L"INSERT") || !IsWord(seq[1], L"INTO") ||
      !isTable(seq[2]) || !IsWord(seq[3], L"SELECT") || !IsSym(seq[4], L"*") ||
      !IsWord(seq[5], L"FROM") || !isTable(seq[6]))
    return;
  if (seq.size() > 7 && !IsWordIn(seq[7], {L"WHERE", L"ORDER", L"LIMIT"})) return;
  const std::vector<String> target = columns(seq[2].Schema, seq[2].Text);
  const std::vector<String> source = columns(seq[6].Schema, seq[6].Text);
  if (target.empty()) SyntaxError(L"Cannot find the table '" + seq[2].Text + L"'.", *ctx.Sql);
  if (source.empty()) SyntaxError(L"Cannot find the table '" + seq[6].Text + L"'.", *ctx.Sql);
  TNode list;
  list.Kind = TK::Group;
  list.SpaceBefore = true;
  TSeq selected;
  for (const String& column : target) {
    bool found = false;
    for (const String& have : source) found = found || SameText(have, column);
    if (!found)
      SyntaxError(L"The table '" + seq[6].Text + L"' has no column '" + column + L"'.", *ctx.Sql);
    TNode name;
    name.Kind = TK::QName;
    name.Text = column;
    if (!list.Items.empty()) {
      list.Items.push_back(MakeSym(L","));
      selected.push_back(MakeSym(L","));
    }
    name.SpaceBefore = !list.Items.empty();
    list.Items.push_back(name);
    name.SpaceBefore = true;
    selected.push_back(name);
  }
  seq.erase(seq.begin() + 4);
  seq.insert(seq.begin() + 4, selected.begin(), selected.end());
  seq.insert(seq.begin() + 3, list);
}

// DELETE * FROM t and DELETE t.* FROM t -> DELETE FROM t
void RewriteDeleteStar(TSeq& seq) {
  if (seq.size() < 2 || !IsWord(seq[0], L"DELETE")) return;
  if (IsSym(seq[1], L"*")) {
    seq.erase(seq.begin() + 1);
  } else if (seq.size() > 3 && (seq[1].Kind == TK::Word || seq[1].Kind == TK::QName) &&
             IsSym(seq[2], L".") && IsSym(seq[3], L"*")) {
    seq.erase(seq.begin() + 1, seq.begin() + 4);
  }
}

// Handles every SELECT of one nesting level (and, recursively, those of the groups).
void RewriteSelects(TSeq& seq, TContext& ctx, bool topLevel, TSelectInfo* topInfo) {
  for (TNode& n : seq)
    if (n.Kind == TK::Group) RewriteSelects(n.Items, ctx, false, nullptr);
  int selectCount = 0;
  bool compound = false;
  TSelectInfo first;
  for (size_t i = 0; i < seq.size(); ++i) {
    if (IsWordIn(seq[i], {L"UNION", L"INTERSECT", L"EXCEPT"})) compound = true;
    if (!IsWord(seq[i], L"SELECT")) continue;
    size_t e = i + 1;
    while (e < seq.size() && !IsWordIn(seq[e], {L"UNION", L"INTERSECT", L"EXCEPT"}) &&
           !IsSym(seq[e], L";"))
      ++e;
    TSelectInfo info;
    e = RewriteSelect(seq, i, e, ctx, topLevel && selectCount == 0 && i == 0, info);
    if (selectCount == 0) first = info;
    ++selectCount;
    i = e - 1;
  }
  if (topInfo) {
    *topInfo = first;
    topInfo->Simple = first.Simple && first.HasMarker && selectCount == 1 && !compound;
  }
}

// a & b & c -> JETCONCAT(a, b, c), one nesting level at a time. & binds looser than the
// arithmetic operators and tighter than comparisons, so an operand runs up to the next
// comparison, comma or keyword.
bool IsConcatDelimiter(const TNode& n) {
  if (n.Kind == TK::Sym)
    return n.Text == L"," || n.Text == L";" || n.Text == L"=" || n.Text == L"<>" ||
           n.Text == L"!=" || n.Text == L"==" || n.Text == L"<" || n.Text == L">" ||
           n.Text == L"<=" || n.Text == L">=";
  return n.Kind == TK::Word && IsReserved(n);
}

void RewriteConcat(TSeq& seq) {
  for (TNode& n : seq)
    if (n.Kind == TK::Group) RewriteConcat(n.Items);
  size_t i = 0;
  while (i < seq.size()) {
    if (IsConcatDelimiter(seq[i])) {
      ++i;
      continue;
    }
    size_t runEnd = i;
    bool hasAmp = false;
    while (runEnd < seq.size() && !IsConcatDelimiter(seq[runEnd])) {
      if (IsSym(seq[runEnd], L"&")) hasAmp = true;
      ++runEnd;
    }
    if (!hasAmp) {
      i = runEnd;
      continue;
    }
    TNode call = MakeWord(L"JETCONCAT", seq[i].SpaceBefore);
    seq[i].SpaceBefore = false;
    TNode args;
    args.Kind = TK::Group;
    for (size_t k = i; k < runEnd; ++k) {
      if (IsSym(seq[k], L"&")) {
        args.Items.push_back(MakeSym(L","));
      } else {
        args.Items.push_back(std::move(seq[k]));
      }
    }
    seq.erase(seq.begin() + i, seq.begin() + runEnd);
    seq.insert(seq.begin() + i, std::move(call));
    seq.insert(seq.begin() + i + 1, std::move(args));
    i += 2;
  }
}

// 'text' -> 'text' COLLATE NOCASE, so that a comparison with a function's result or another
// literal ignores case as Jet does (a column's own collation would only cover columns).
void AddNoCase(TSeq& seq) {
  for (size_t i = 0; i < seq.size(); ++i) {
    if (seq[i].Kind == TK::Group) {
      AddNoCase(seq[i].Items);
      continue;
    }
    if (seq[i].Kind != TK::Str) continue;
    if (i > 0 && IsWord(seq[i - 1], L"ESCAPE")) continue;
    if (i + 1 < seq.size() && IsWord(seq[i + 1], L"COLLATE")) continue;
    seq.insert(seq.begin() + i + 1, MakeWord(L"COLLATE"));
    seq.insert(seq.begin() + i + 2, MakeWord(L"NOCASE"));
    i += 2;
  }
}

// ---- Rendering ----------------------------------------------------------------------------

String Quote(const String& text, wchar_t quote) {
  String out(1, quote);
  for (wchar_t c : text) {
    out += c;
    if (c == quote) out += c;
  }
  out += quote;
  return out;
}

struct TRenderer {
  String Out;
  size_t MarkerAt = String::npos;

  void Append(const String& text, bool space) {
    if (text.empty()) return;
    if (!Out.empty()) {
      wchar_t last = Out.back();
      wchar_t next = text.front();
      bool glue = (IsWordChar(last) && IsWordChar(next)) || (last == L'-' && next == L'-') ||
                  (last == L'/' && next == L'*') || (last == L'\'' && next == L'\'') ||
                  (last == L'"' && next == L'"');
      if ((space || glue) && last != L' ') Out += L' ';
    }
    Out += text;
  }

  void Render(const TSeq& seq) {
    for (const TNode& n : seq) {
      String prefix = n.Schema.empty() ? String() : Quote(n.Schema, L'"') + L".";
      switch (n.Kind) {
        case TK::Word:
        case TK::Num:
        case TK::Sym:
          Append(prefix + n.Text, n.SpaceBefore);
          break;
        case TK::QName:
          Append(prefix + Quote(n.Text, L'"'), n.SpaceBefore);
          break;
        case TK::Str:
          Append(Quote(n.Text, L'\''), n.SpaceBefore);
          break;
        case TK::Param:
          Append(L"?" + n.Text, n.SpaceBefore);
          break;
        case TK::Group:
          Append(L"(", n.SpaceBefore);
          Render(n.Items);
          Out += L")";
          break;
        case TK::Marker:
          MarkerAt = Out.size();
          break;
      }
    }
  }
};

TJetStatementKind KindOf(const TSeq& seq) {
  if (seq.empty()) return TJetStatementKind::Other;
  if (IsWord(seq[0], L"SELECT")) return TJetStatementKind::Select;
  if (IsWord(seq[0], L"INSERT")) return TJetStatementKind::Insert;
  if (IsWord(seq[0], L"UPDATE")) return TJetStatementKind::Update;
  if (IsWord(seq[0], L"DELETE")) return TJetStatementKind::Delete;
  if (seq.size() > 1 && IsWord(seq[0], L"CREATE")) {
    if (IsWord(seq[1], L"TABLE")) return TJetStatementKind::CreateTable;
    if (IsWord(seq[1], L"INDEX") || (IsWord(seq[1], L"UNIQUE") && At(seq, 2, L"INDEX")))
      return TJetStatementKind::CreateIndex;
  }
  if (seq.size() > 1 && IsWord(seq[0], L"ALTER")) {
    if (IsWord(seq[1], L"TABLE")) return TJetStatementKind::AlterTable;
    if (IsWord(seq[1], L"DATABASE") && At(seq, 2, L"PASSWORD"))
      return TJetStatementKind::AlterDatabasePassword;
  }
  if (seq.size() > 1 && IsWord(seq[0], L"DROP")) {
    if (IsWord(seq[1], L"TABLE")) return TJetStatementKind::DropTable;
    if (IsWord(seq[1], L"INDEX")) return TJetStatementKind::DropIndex;
  }
  return TJetStatementKind::Other;
}

// A password operand of ALTER DATABASE PASSWORD: a word, a [name], a string or NULL.
String PasswordOperand(const TSeq& seq, size_t i, const String& sql) {
  if (i >= seq.size()) SyntaxError(L"Syntax error in ALTER DATABASE PASSWORD.", sql);
  const TNode& n = seq[i];
  if (IsWord(n, L"NULL")) return String();
  if (n.Kind == TK::Word || n.Kind == TK::QName || n.Kind == TK::Str || n.Kind == TK::Num)
    return n.Text;
  SyntaxError(L"Syntax error in ALTER DATABASE PASSWORD.", sql);
}

}  // namespace

String JetTypeToDeclaration(const String& jetType, int size) {
  String t = UpperCase(jetType);
  auto sized = [&](int fallback) {
    return L"TEXT(" + IntToStr(int64_t(size > 0 ? size : fallback)) + L") COLLATE NOCASE";
  };
  if (t == L"TEXT" || t == L"VARCHAR" || t == L"CHAR" || t == L"CHARACTER" ||
      t == L"NVARCHAR" || t == L"NCHAR" || t == L"STRING" || t == L"ALPHANUMERIC")
    return sized(255);
  if (t == L"MEMO" || t == L"LONGTEXT" || t == L"LONGCHAR" || t == L"NOTE" || t == L"NTEXT")
    return L"LONGTEXT COLLATE NOCASE";
  if (t == L"GUID" || t == L"UNIQUEIDENTIFIER") return L"TEXT(38) COLLATE NOCASE";
  if (t == L"IMAGE" || t == L"OLEOBJECT" || t == L"LONGBINARY" || t == L"GENERAL" ||
      t == L"BINARY" || t == L"VARBINARY")
    return L"BLOB";
  if (t == L"SMALLINT" || t == L"SHORT" || t == L"INTEGER2") return L"SMALLINT";
  if (t == L"INTEGER" || t == L"INT" || t == L"LONG" || t == L"INTEGER4") return L"INTEGER";
  if (t == L"BYTE" || t == L"INTEGER1" || t == L"TINYINT") return L"TINYINT";
  if (t == L"DATETIME" || t == L"DATE" || t == L"TIME" || t == L"TIMESTAMP") return L"DATETIME";
  if (t == L"SINGLE" || t == L"REAL" || t == L"FLOAT4" || t == L"IEEESINGLE") return L"REAL";
  if (t == L"DOUBLE" || t == L"FLOAT" || t == L"FLOAT8" || t == L"NUMBER" || t == L"IEEEDOUBLE")
    return L"DOUBLE";
  if (t == L"CURRENCY" || t == L"MONEY") return L"CURRENCY";
  if (t == L"YESNO" || t == L"BIT" || t == L"LOGICAL" || t == L"LOGICAL1" || t == L"BOOLEAN")
    return L"BOOLEAN";
  if (t == L"DECIMAL" || t == L"NUMERIC" || t == L"DEC") return L"NUMERIC";
  return String();
}

TJetTranslation TranslateJetSql(const String& jetSql, const TExternalDatabaseResolver& resolve,
                                const TTableColumnsResolver& columns) {
  TJetTranslation result;
  TSeq seq = Group(Tokenize(jetSql), jetSql);
  while (!seq.empty() && IsSym(seq.back(), L";")) seq.pop_back();
  result.Kind = KindOf(seq);
  TContext ctx;
  ctx.Sql = &jetSql;
  TExternalDatabaseResolver refuse = [&](const String& file) -> String {
    SyntaxError(L"Cannot read the database '" + file + L"' here.", jetSql);
  };
  ctx.Resolve = resolve ? &resolve : &refuse;

  if (result.Kind == TJetStatementKind::AlterDatabasePassword) {
    result.NewPassword = PasswordOperand(seq, 3, jetSql);
    result.OldPassword = seq.size() > 4 ? PasswordOperand(seq, 4, jetSql) : String();
    return result;
  }

  RewriteTokens(seq, ctx);
  result.ParamNames = ctx.ParamNames;
  TSelectInfo top;
  switch (result.Kind) {
    case TJetStatementKind::CreateTable:
      RewriteCreateTable(seq);
      break;
    case TJetStatementKind::AlterTable:
      RewriteAlterTable(seq);
      break;
    case TJetStatementKind::CreateIndex:
      RewriteCreateIndex(seq);
      break;
    case TJetStatementKind::DropIndex:
      RewriteDropIndex(seq);
      break;
    case TJetStatementKind::Select:
    case TJetStatementKind::Insert:
    case TJetStatementKind::Update:
    case TJetStatementKind::Delete:
      RewriteDeleteStar(seq);
      RewriteInsertTarget(seq, ctx);
      RewriteSelects(seq, ctx, result.Kind == TJetStatementKind::Select, &top);
      ExpandInsertSelectStar(seq, ctx, columns);
      RewriteConcat(seq);
      AddNoCase(seq);
      break;
    default:
      break;
  }
  TRenderer renderer;
  renderer.Render(seq);
  result.Sql = renderer.Out;
  if (result.Kind == TJetStatementKind::Select && top.Simple) {
    result.SimpleSelect = true;
    result.Sources = top.Sources;
    result.ExtraColumnsAt = renderer.MarkerAt;
  }
  return result;
}
