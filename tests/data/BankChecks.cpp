#include "BankChecks.h"
#include <map>
#include <memory>
#include <set>
#include "classlib/classes/Streams.h"
#include "classlib/system/SysFiles.h"
#include "data/BankSchema.h"
#include "data/tools/Rtf.h"

namespace {

constexpr int kArticleColumns = 10;

// A question as the checks need it.
struct TQuestionRow {
  String Id, Key, Chapter;
  int Options = 0, Type = 0;
  std::vector<String> Articles;     // k3..k12 as stored, Null as ""
  bool Untouched = true;            // no answer, date, note, count or flag of the user
};

String Str(const Variant& v) { return VarToStr(v); }
int Int(const Variant& v) { return v.IsNull() || v.IsEmpty() ? 0 : v.AsInteger(); }

std::vector<TQuestionRow> Questions(TADOConnection& cn) {
  String sql = L"select a1,a2,a2_1,a10,a13,e1,e2,e2_1,e3,e4,f1,csbs,ecount,a14";
  for (int k = 0; k < kArticleColumns; ++k) sql += L",k" + IntToStr(k + 3);
  std::vector<TQuestionRow> rows;
  for (const auto& r : SelectRows(cn, sql + L" from tab_answ order by a1")) {
    TQuestionRow q;
    q.Id = Str(r[0]);
    q.Key = Str(r[1]);
    q.Options = Int(r[2]);
    q.Chapter = Str(r[3]);
    q.Type = Int(r[4]);
    q.Untouched = r[5].IsNull() && Str(r[6]).empty() && Str(r[7]).empty() && Int(r[8]) == 0 &&
                  Int(r[9]) == 0 && Int(r[10]) == 0 && Str(r[11]).empty() && Int(r[12]) == 0 &&
                  Str(r[13]).empty();
    for (int k = 0; k < kArticleColumns; ++k) q.Articles.push_back(Str(r[size_t(14 + k)]));
    rows.push_back(q);
  }
  return rows;
}

std::set<String> UpperSet(TADOConnection& cn, const String& sql) {
  std::set<String> values;
  for (const auto& r : SelectRows(cn, sql)) values.insert(UpperCase(Str(r[0])));
  return values;
}

bool StartsWith(const String& text, const String& prefix) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

bool HasChinese(const String& text) {
  for (wchar_t ch : text)
    if (ch >= 0x4E00 && ch <= 0x9FFF) return true;
  return false;
}

// An MP3 file starts with an ID3 tag or a frame header (eleven set bits).
bool LooksLikeMp3(const String& fileName) {
  unsigned char head[3] = {};
  try {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    if (file.Read(head, sizeof head) != int(sizeof head)) return false;
  } catch (const Exception&) {
    return false;
  }
  return (head[0] == 'I' && head[1] == 'D' && head[2] == '3') || (head[0] == 0xFF && (head[1] & 0xE0) == 0xE0);
}

}  // namespace

std::vector<std::vector<Variant>> SelectRows(TADOConnection& cn, const String& sql) {
  TADOQuery query(nullptr);
  query.SetConnection(&cn);
  query.GetSQL()->SetText(sql);
  query.Open();
  std::vector<std::vector<Variant>> rows;
  for (query.First(); !query.GetEof(); query.Next()) {
    std::vector<Variant> row;
    for (int i = 0; i < query.GetFieldCount(); ++i) row.push_back(query.GetFields()->GetField(i)->GetAsVariant());
    rows.push_back(std::move(row));
  }
  query.Close();
  return rows;
}

Variant SelectValue(TADOConnection& cn, const String& sql) {
  auto rows = SelectRows(cn, sql);
  return rows.empty() || rows[0].empty() ? Variant::Null() : rows[0][0];
}

std::unique_ptr<TADOConnection> OpenBank(const String& fileName, const String& password) {
  auto cn = std::make_unique<TADOConnection>(nullptr);
  cn->SetLoginPrompt(false);
  cn->SetMode(cmRead);
  cn->SetConnectionString(BankConnectionString(fileName, password));
  cn->Open();
  return cn;
}

TProblems CheckChapters(TADOConnection& cn) {
  TProblems problems;
  std::set<String> codes;
  std::map<String, bool> hasGuide;
  for (const auto& r : SelectRows(cn, L"select C1,C1_1,C2,jx from tab_kmmc order by bh")) {
    String code = UpperCase(Str(r[0]));
    if (!codes.insert(code).second) problems.push_back(L"chapter " + code + L" twice");
    if (!SameText(Str(r[1]), code)) problems.push_back(L"chapter " + code + L": C1_1 differs");
    if (Str(r[2]).empty()) problems.push_back(L"chapter " + code + L" has no name");
    hasGuide[code] = !r[3].IsNull();
  }
  auto isLeaf = [&](const String& code) {
    auto it = codes.upper_bound(code);
    return it == codes.end() || it->compare(0, code.size(), code) != 0;
  };
  for (const String& code : codes) {
    bool hasParent = code.size() == 1;
    for (size_t n = 1; n < code.size() && !hasParent; ++n) hasParent = codes.count(code.substr(0, n)) != 0;
    if (!hasParent) problems.push_back(L"chapter " + code + L" extends no existing code");
    if (isLeaf(code) && code.size() == 6 && !hasGuide[code]) problems.push_back(L"chapter " + code + L" has no guidance");
  }
  for (const TQuestionRow& q : Questions(cn)) {
    String code = UpperCase(q.Chapter);
    if (code.size() != 6 || !codes.count(code) || !isLeaf(code))
      problems.push_back(L"question " + q.Id + L": chapter " + q.Chapter + L" is not a six-character leaf");
  }
  return problems;
}

TProblems CheckLinkedArticles(TADOConnection& cn) {
  TProblems problems;
  std::set<String> articles = UpperSet(cn, L"select ftid from tab_rule");
  std::set<String> laws = UpperSet(cn, L"select id from tab_fgmc");
  for (const auto& r : SelectRows(cn, L"select id,ftid from tab_rule")) {
    String law = UpperCase(Str(r[0])), ftid = UpperCase(Str(r[1]));
    if (law.size() != 4 || !laws.count(law)) problems.push_back(L"article " + ftid + L": no law " + law);
    if (ftid.size() > 9 || !StartsWith(ftid, law)) problems.push_back(L"article " + ftid + L" does not belong to its law");
  }
  for (const String& law : laws) {
    if (law.size() == 4 && !laws.count(law.substr(0, 1))) problems.push_back(L"law " + law + L" has no group");
    if (law.size() != 4 && law.size() != 1) problems.push_back(L"law id " + law + L" has a wrong length");
  }
  for (const TQuestionRow& q : Questions(cn)) {
    bool ended = false;
    for (const String& id : q.Articles) {
      if (id.empty()) {
        ended = true;
      } else if (ended) {
        problems.push_back(L"question " + q.Id + L": linked articles have a gap");
      } else if (!articles.count(UpperCase(id))) {
        problems.push_back(L"question " + q.Id + L": no article " + id);
      }
    }
  }
  return problems;
}

TProblems CheckGroups(TADOConnection& cn) {
  TProblems problems;
  std::set<String> stems = UpperSet(cn, L"select A1 from tab_title where A15 is not null");
  std::set<String> used;
  for (const TQuestionRow& q : Questions(cn)) {
    if (q.Id.find(L'-') == String::npos) continue;
    String group = UpperCase(q.Id.substr(0, size_t(kGroupIdLength)));
    used.insert(group);
    if (q.Id.size() <= size_t(kGroupIdLength) || q.Id[size_t(kGroupIdLength)] != L'-')
      problems.push_back(L"question " + q.Id + L": the group id is not 16 characters");
    if (!stems.count(group)) problems.push_back(L"question " + q.Id + L": no group stem " + group);
  }
  for (const String& stem : stems)
    if (!used.count(stem)) problems.push_back(L"group stem " + stem + L" has no questions");
  return problems;
}

TProblems CheckCounters(TADOConnection& cn) {
  TProblems problems;
  std::vector<TQuestionRow> questions = Questions(cn);
  std::map<String, int> perChapter, perLaw;
  for (const TQuestionRow& q : questions) {
    if (!q.Untouched) problems.push_back(L"question " + q.Id + L" carries an answer state");
    String code = UpperCase(q.Chapter);
    for (size_t n = 1; n <= code.size(); ++n) ++perChapter[code.substr(0, n)];
    for (const String& a : q.Articles) {
      if (a.empty()) continue;
      String id = UpperCase(a);
      ++perLaw[id];
      ++perLaw[id.substr(0, 4)];
      ++perLaw[id.substr(0, 1)];
    }
  }
  for (const auto& r : SelectRows(cn, L"select C1,C3,C4,D1,D2,C6 from tab_kmmc")) {
    String code = UpperCase(Str(r[0]));
    if (Int(r[1]) != perChapter[code])
      problems.push_back(L"chapter " + code + L": C3 " + IntToStr(Int(r[1])) + L", recount " + IntToStr(perChapter[code]));
    if (Int(r[2]) || Int(r[3]) || Int(r[4]) || Str(r[5]) != L"0")
      problems.push_back(L"chapter " + code + L": answer counters are not empty");
  }
  for (const auto& r : SelectRows(cn, L"select ftid,q,q1,q2,q4 from tab_rule union all "
                                      L"select id,q,q1,q2,q4 from tab_fgmc")) {
    String id = UpperCase(Str(r[0]));
    if (Int(r[1]) != perLaw[id])
      problems.push_back(L"law or article " + id + L": q " + IntToStr(Int(r[1])) + L", recount " + IntToStr(perLaw[id]));
    if (Int(r[2]) || Int(r[3]) || Int(r[4])) problems.push_back(L"law or article " + id + L": answer counters are not empty");
  }
  if (Int(SelectValue(cn, L"select count(*) from tab_rz")) != 0) problems.push_back(L"the study log is not empty");
  if (Int(SelectValue(cn, L"select count(*) from tab_cj")) != 0) problems.push_back(L"exam records are not empty");
  if (Int(SelectValue(cn, L"select count(*) from tab_plan")) != 1) problems.push_back(L"the study plan is not one row");
  if (Int(SelectValue(cn, L"select count(*) from tab_sj where cpbs = " + QuotedStr(kBankProductId))) != 1)
    problems.push_back(L"tab_sj does not name the product once");
  TStringList names;
  cn.GetTableNames(&names);
  for (int i = 0; i < names.GetCount(); ++i)
    if (StartsWith(names.Get(i), kPaperTablePrefix)) problems.push_back(L"paper table " + names.Get(i));
  return problems;
}

TProblems CheckTypesAndKeys(TADOConnection& cn) {
  TProblems problems;
  std::map<int, String> types;
  for (const auto& r : SelectRows(cn, L"select A1,B1,[time] from tab_tx")) {
    types[Int(r[0])] = Str(r[1]);
    double minutes = r[2].AsDouble();
    if (minutes < 0.1 || minutes > 30.0) problems.push_back(L"type " + Str(r[0]) + L": answer time out of range");
  }
  // The codes the program's answer pads and mock exams name.
  for (int code : {11, 14, 22, 62, 64, 65, 67, 68, 69})
    if (!types.count(code)) problems.push_back(L"type " + IntToStr(code) + L" is missing");
  std::set<String> texts = UpperSet(cn, L"select a1 from tab_exer where a15 is not null");
  for (const TQuestionRow& q : Questions(cn)) {
    if (!types.count(q.Type)) problems.push_back(L"question " + q.Id + L": no type " + IntToStr(q.Type));
    if (!texts.count(UpperCase(q.Id))) problems.push_back(L"question " + q.Id + L" has no stem");
    bool self = q.Type == 22 || q.Type == 64 || q.Type == 65 || q.Type == 69;
    if (self) {
      if (q.Key != L"1") problems.push_back(L"question " + q.Id + L": a self-assessed key is 1");
      continue;
    }
    bool fits = !q.Key.empty() && q.Options >= 2 && q.Options <= 6;
    for (size_t i = 0; i < q.Key.size() && fits; ++i)
      fits = q.Key[i] >= L'A' && q.Key[i] < wchar_t(L'A' + q.Options) && (i == 0 || q.Key[i] > q.Key[i - 1]);
    if (q.Type == 14 && q.Key.size() < 2) fits = false;
    if ((q.Type == 11 || q.Type == 67 || q.Type == 68) && q.Key.size() != 1) fits = false;
    if (!fits) problems.push_back(L"question " + q.Id + L": key " + q.Key + L" does not fit");
  }
  return problems;
}

TProblems CheckKeysSpread(TADOConnection& cn) {
  struct TCounts {
    std::map<wchar_t, int> Single;   // single-choice keys by letter
    std::map<wchar_t, int> Outside;  // multiple-choice options outside the key, by letter
    std::map<wchar_t, int> Inside;   // multiple-choice keys holding the letter
    int Singles = 0, Multiples = 0, Outsides = 0;
  };
  std::map<wchar_t, TCounts> subjects;
  for (const TQuestionRow& q : Questions(cn)) {
    if (q.Chapter.empty() || q.Key.empty()) continue;
    TCounts& c = subjects[q.Chapter[0]];
    if (q.Type == 11 || q.Type == 67 || q.Type == 68) {
      ++c.Singles;
      ++c.Single[q.Key[0]];
    } else if (q.Type == 14 || q.Type == 62) {
      ++c.Multiples;
      for (int i = 0; i < q.Options; ++i) {
        const wchar_t letter = wchar_t(L'A' + i);
        if (q.Key.find(letter) == String::npos) {
          ++c.Outside[letter];
          ++c.Outsides;
        } else {
          ++c.Inside[letter];
        }
      }
    }
  }
  TProblems problems;
  for (const auto& [subject, c] : subjects) {
    const String name = L"subject " + String(1, subject) + L": ";
    for (const auto& [letter, n] : c.Single)
      if (n * 2 > c.Singles)
        problems.push_back(name + String(1, letter) + L" is the key of " + IntToStr(n) + L" of " +
                           IntToStr(c.Singles) + L" single-choice questions");
    for (const auto& [letter, n] : c.Outside)
      if (n * 2 > c.Outsides)
        problems.push_back(name + String(1, letter) + L" is " + IntToStr(n) + L" of the " + IntToStr(c.Outsides) +
                           L" options outside the multiple-choice keys");
    for (const auto& [letter, n] : c.Inside)
      if (c.Multiples > 1 && n == c.Multiples)
        problems.push_back(name + String(1, letter) + L" lies in every multiple-choice key");
  }
  return problems;
}

TProblems CheckRichText(TADOConnection& cn) {
  TProblems problems;
  const wchar_t* const sources[] = {
      L"select a1,a15 from tab_exer",  L"select a1,jx from tab_exer where jx is not null",
      L"select A1,A15 from tab_title", L"select C1,jx from tab_kmmc where jx is not null",
      L"select ftid,n from tab_rule",
  };
  for (const wchar_t* sql : sources) {
    for (const auto& r : SelectRows(cn, sql)) {
      const TBytes* bytes = r[1].BytesPtr();
      String where = String(sql) + L": " + Str(r[0]);
      if (!bytes) {
        problems.push_back(where + L": not stored as bytes");
        continue;
      }
      TRtfContent rtf = ReadRtf(std::string(bytes->begin(), bytes->end()));
      if (!rtf.Valid || !rtf.Cp936) problems.push_back(where + L": not RTF of code page 936");
      else if (rtf.Fonts.empty() || rtf.Fonts[0] != L"宋体") problems.push_back(where + L": no font table with 宋体");
      else if (!HasChinese(rtf.Text)) problems.push_back(where + L": no Chinese text");
      else if (Cp936ToString(StringToCp936(rtf.Text)) != rtf.Text)
        problems.push_back(where + L": text outside code page 936, which the program's font cannot draw");
    }
  }
  return problems;
}

TProblems CheckListeningFiles(TADOConnection& cn, const String& voiceFolder) {
  TProblems problems;
  String dir = IncludeTrailingBackslash(voiceFolder);
  int listening = 0;
  for (const TQuestionRow& q : Questions(cn)) {
    if (!StartsWith(q.Chapter, L"7")) continue;
    ++listening;
    for (const String& name : {q.Id, q.Id.substr(0, size_t(kGroupIdLength))}) {
      String file = dir + L"@" + name + L".mp3";
      if (!FileExists(file)) problems.push_back(L"question " + q.Id + L": no " + file);
      else if (!LooksLikeMp3(file)) problems.push_back(L"question " + q.Id + L": " + file + L" is not MP3");
    }
  }
  if (listening == 0) problems.push_back(L"no listening questions");
  return problems;
}

TProblems CheckMockExamQuotas(TADOConnection& cn) {
  struct TQuota {
    const wchar_t* Prefix;
    int Type;
    int Count;
  };
  const TQuota quotas[] = {{L"7", 67, 10}, {L"7", 68, 5},  {L"7", 69, 5},  {L"2", 11, 60},
                           {L"2", 14, 35}, {L"3", 11, 60}, {L"3", 14, 35}, {L"4", 11, 60},
                           {L"4", 14, 35}, {L"5", 22, 5}};
  TProblems problems;
  for (const TQuota& quota : quotas) {
    String type = IntToStr(quota.Type);
    if (Int(SelectValue(cn, L"select B2 from tab_tx where A1 = " + type)) <= 0)
      problems.push_back(L"type " + type + L" does not take part in mock exams");
    // The pool and filter of the exam window, as it draws.
    int available = Int(SelectValue(cn, L"select count(*) from tab_answ where A13=" + type + L" and a10 like '" +
                                            quota.Prefix + L"*' and f1<>1"));
    if (available < quota.Count)
      problems.push_back(L"subject " + String(quota.Prefix) + L", type " + type + L": " + IntToStr(available) +
                         L" questions for a quota of " + IntToStr(quota.Count));
  }
  return problems;
}
