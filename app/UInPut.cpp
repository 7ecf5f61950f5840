// The question-entry unit.
#include "UInPut.h"

#include <set>
#include "classlib/system/SysFormat.h"

namespace {

bool IsDigits(const String& s) {
  if (s.empty()) return false;
  for (wchar_t c : s)
    if (c < L'0' || c > L'9') return false;
  return true;
}

// ('a','b',...) of the values, each quoted.
String QuotedList(const std::set<String>& values) {
  String list;
  for (const String& v : values) list += (list.empty() ? L"" : L",") + QuotedStr(v);
  return L"(" + list + L")";
}

}  // namespace

int NextUserSerial(TADOConnection& cn) {
  TADOQuery query(nullptr);
  query.SetConnection(&cn);
  query.GetSQL()->SetText(L"select a1 from tab_answ where Left(a1,1) = 'U'");
  query.Open();
  int largest = 0;
  // Bounded by the rows of the table.
  while (!query.GetEof()) {
    const String id = query.FieldByName(L"a1")->GetAsString();
    if (id.size() >= 5) {
      const String tail = id.substr(id.size() - 4);
      if (IsDigits(tail)) largest = std::max(largest, std::stoi(tail));
    }
    query.Next();
  }
  query.Close();
  return largest + 1;
}

String UserQuestionId(int optionCount, const String& typeCode, const String& chapterCode, int serial) {
  wchar_t digits[8];
  swprintf(digits, 8, L"%04d", serial);
  return L"U" + IntToStr(optionCount) + typeCode + chapterCode + digits;
}

bool IsSelfAssessedTypeName(const String& typeName) {
  String name = Trim(typeName);
  if (!name.empty() && name.back() == L'题') name.pop_back();
  return name == L"简答" || name == L"综合" || name == L"计算";
}

void InsertUserQuestion(TADOConnection& cn, const TNewQuestion& q, const String& id) {
  String columns = L"(a1,a2,a2_1,a10,a13";
  String values = L" values (" + QuotedStr(id) + L"," + QuotedStr(Trim(q.Key)) + L"," +
                  QuotedStr(IntToStr(q.OptionCount)) + L"," + QuotedStr(q.ChapterCode) + L"," +
                  QuotedStr(q.TypeCode);
  std::set<String> articles, laws, groups;
  for (size_t i = 0; i < q.LawPointIds.size(); ++i) {
    const String& article = q.LawPointIds[i];
    columns += L",k" + IntToStr(int64_t(i + 3));
    values += L"," + QuotedStr(article);
    articles.insert(article);
    laws.insert(article.substr(0, 4));
    groups.insert(article.substr(0, 1));
  }
  columns += L",f1)";
  values += L",2)";
  const bool hasExplanation = !q.ExplanationRtf.empty();

  cn.BeginTrans();
  try {
    cn.Execute(L"insert into tab_answ " + columns + values);
    TADOQuery text(nullptr);
    text.SetConnection(&cn);
    text.GetSQL()->SetText(L"insert into tab_exer (a1,a15" + String(hasExplanation ? L",jx" : L"") +
                           L") values(" + QuotedStr(id) + L",:A15" + String(hasExplanation ? L",:jx" : L"") + L")");
    text.ParamByName(L"A15")->SetValue(Variant(TBytes(q.StemRtf.begin(), q.StemRtf.end())));
    if (hasExplanation) {
      text.ParamByName(L"jx")->SetValue(Variant(TBytes(q.ExplanationRtf.begin(), q.ExplanationRtf.end())));
    }
    text.ExecSQL();
    const String& c = q.ChapterCode;
    cn.Execute(L"update tab_kmmc set c3=c3+1 where (C1 = " + QuotedStr(c) + L") or (C1 = " +
               QuotedStr(c.substr(0, 3)) + L") or (C1 = " + QuotedStr(c.substr(0, 2)) + L")");
    if (!laws.empty()) {
      cn.Execute(L"update tab_rule set q=q+1 where ftid in " + QuotedList(articles));
      cn.Execute(L"update tab_fgmc set q=q+1 where id in " + QuotedList(laws));
      cn.Execute(L"update tab_fgmc set q=q+1 where id in " + QuotedList(groups));
    }
    cn.CommitTrans();
  } catch (...) {
    cn.RollbackTrans();
    throw;
  }
}
