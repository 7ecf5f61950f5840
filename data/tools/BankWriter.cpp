#include "BankWriter.h"
#include <map>
#include <memory>
#include "BankSchemaSql.h"
#include "FindFiles.h"
#include "Rtf.h"
#include "classlib/ado/ADODB.h"
#include "classlib/ado/ADOX.h"
#include "classlib/classes/Streams.h"
#include "classlib/system/SysFiles.h"
#include "classlib/system/Win.h"
#include "data/BankSchema.h"

namespace {

constexpr int kArticleColumns = 10;  // k3..k12

// Rich text for a text column; Null when there is no text.
Variant RichText(const String& text) {
  if (text.empty()) return Variant::Null();
  std::string rtf = TextToRtf(text);
  return Variant(TBytes(rtf.begin(), rtf.end()));
}

// One prepared INSERT whose parameters are given in column order.
class TRowInserter {
 public:
  TRowInserter(TADOConnection& connection, const String& table, const std::vector<String>& columns)
      : FCommand(nullptr) {
    String names, marks;
    for (size_t i = 0; i < columns.size(); ++i) {
      if (i > 0) names += L",", marks += L",";
      names += columns[i];
      marks += L":p" + IntToStr(int64_t(i));
    }
    FCommand.SetConnection(&connection);
    FCommand.SetCommandText(L"insert into " + table + L" (" + names + L") values (" + marks + L")");
    FCommand.SetPrepared(true);
  }

  void Insert(const std::vector<Variant>& values) {
    TParameters* params = FCommand.GetParameters();
    for (size_t i = 0; i < values.size(); ++i) params->GetItem(int(i))->SetValue(values[i]);
    FCommand.Execute();
  }

 private:
  TADOCommand FCommand;
};

// Questions under each chapter node and linked to each law node, counted from the content.
struct TCounts {
  std::map<String, int> Chapter;  // upper-cased chapter code -> questions under it
  std::map<String, int> Law;      // upper-cased ftid, law id or group id -> questions linked
};

TCounts Count(const TBankContent& content) {
  TCounts counts;
  for (const TBankQuestion& q : content.Questions) {
    String code = UpperCase(q.Chapter);
    for (size_t n = 1; n <= code.size(); ++n) ++counts.Chapter[code.substr(0, n)];
    for (const String& article : q.Articles) {
      String id = UpperCase(article);
      ++counts.Law[id];
      ++counts.Law[id.substr(0, 4)];
      ++counts.Law[id.substr(0, 1)];
    }
  }
  return counts;
}

int CountOf(const std::map<String, int>& counts, const String& key) {
  auto it = counts.find(UpperCase(key));
  return it == counts.end() ? 0 : it->second;
}

void WriteTypes(TADOConnection& cn, const TBankContent& content) {
  TRowInserter insert(cn, L"tab_tx", {L"A1", L"B1", L"B2", L"B3", L"[time]"});
  for (const TBankType& t : content.Types)
    insert.Insert({t.Code, t.Name, t.ExamCount, t.Points, t.Minutes});
}

void WriteChapters(TADOConnection& cn, const TBankContent& content, const TCounts& counts) {
  TRowInserter insert(cn, L"tab_kmmc", {L"bh", L"C1", L"C1_1", L"C2", L"C3", L"C6", L"C7", L"jx"});
  int order = 0;
  for (const TBankChapter& c : content.Chapters) {
    // The charts show the chapters right below the subjects.
    String chart = c.Code.size() == 2 ? L"0" : L"1";
    insert.Insert({++order, c.Code, c.Code, c.Name, CountOf(counts.Chapter, c.Code), String(L"0"),
                   chart, RichText(c.Guide)});
  }
}

void WriteLaws(TADOConnection& cn, const TBankContent& content, const TCounts& counts) {
  TRowInserter laws(cn, L"tab_fgmc", {L"id", L"n", L"bh", L"q"});
  int order = 0;
  for (const TBankLaw& l : content.Laws) laws.Insert({l.Id, l.Name, ++order, CountOf(counts.Law, l.Id)});
  TRowInserter articles(cn, L"tab_rule", {L"id", L"ftid", L"sn", L"n", L"q"});
  for (const TBankArticle& a : content.Articles)
    articles.Insert({a.Id.substr(0, 4), a.Id, a.Number, RichText(a.Text), CountOf(counts.Law, a.Id)});
}

void WriteQuestions(TADOConnection& cn, const TBankContent& content) {
  std::vector<String> columns = {L"a1", L"a2", L"a2_1", L"a10", L"a13", L"xx"};
  for (int k = 0; k < kArticleColumns; ++k) columns.push_back(L"k" + IntToStr(k + 3));
  TRowInserter answers(cn, L"tab_answ", columns);
  TRowInserter texts(cn, L"tab_exer", {L"a1", L"a15", L"jx"});
  for (const TBankQuestion& q : content.Questions) {
    std::vector<Variant> values = {q.Id, q.Key, q.OptionCount, q.Chapter, q.Type, q.Order};
    for (int k = 0; k < kArticleColumns; ++k)
      values.push_back(size_t(k) < q.Articles.size() ? Variant(q.Articles[size_t(k)]) : Variant::Null());
    answers.Insert(values);
    texts.Insert({q.Id, RichText(q.Stem), RichText(q.Explanation)});
  }
  TRowInserter groups(cn, L"tab_title", {L"A1", L"A15"});
  for (const TBankGroup& g : content.Groups) groups.Insert({g.Id, RichText(g.Stem)});
}

void WriteSettings(TADOConnection& cn, const TBankContent& content) {
  TRowInserter plan(cn, L"tab_plan", {L"PlanMark", L"PlanAmount", L"PlanTime", L"ExamDate"});
  const TBankPlan& p = content.Plan;
  plan.Insert({p.Mark, p.Amount, p.Minutes,
               p.ExamDate > 0 ? Variant::FromDateTime(p.ExamDate) : Variant::Null()});
  TRowInserter upgrades(cn, L"tab_sj", {L"sjbs", L"cpbs"});
  upgrades.Insert({String(kBankBaseUpgradeId), String(kBankProductId)});
}

void RemoveFile(const String& fileName) {
  SetFileAttributesW(fileName.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(fileName.c_str());
  DeleteFileW((fileName + L"-journal").c_str());
}

void WriteNewFile(const TBankContent& content, const String& fileName, const String& password) {
  {
    TADOXCatalog catalog;
    catalog.Create(BankConnectionString(fileName, password));
  }
  TADOConnection cn(nullptr);
  cn.SetLoginPrompt(false);
  cn.SetConnectionString(BankConnectionString(fileName, password));
  cn.Open();
  for (const String& statement : BankSchemaStatements()) cn.Execute(statement);
  TCounts counts = Count(content);
  cn.BeginTrans();
  try {
    WriteTypes(cn, content);
    WriteChapters(cn, content, counts);
    WriteLaws(cn, content, counts);
    WriteQuestions(cn, content);
    WriteSettings(cn, content);
    cn.CommitTrans();
  } catch (...) {
    cn.RollbackTrans();
    throw;
  }
  cn.Close();
}

}  // namespace

String BankConnectionString(const String& fileName, const String& password) {
  return L"Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=" + fileName +
         L";Mode=Share Deny None;Extended Properties=\"\";Locale Identifier=2052;"
         L"Persist Security Info=False;Jet OLEDB:System database=\"\";"
         L"Jet OLEDB:Registry Path=\"\";Jet OLEDB:Database Password=" + password +
         L";Jet OLEDB:Engine Type=5;Jet OLEDB:Database Locking Mode=0;"
         L"Jet OLEDB:Global Partial Bulk Ops=2;Jet OLEDB:Global Bulk Transactions=1;"
         L"Jet OLEDB:New Database Password=\"\";Jet OLEDB:Create System Database=False;"
         L"Jet OLEDB:Encrypt Database=False;Jet OLEDB:Don't Copy Locale on Compact=False;"
         L"Jet OLEDB:Compact Without Replica Repair=False;Jet OLEDB:SFP=False";
}

std::vector<String> SplitSqlScript(const String& script) {
  std::vector<String> statements;
  String current;
  size_t start = 0;
  while (start < script.size()) {
    size_t end = script.find(L'\n', start);
    if (end == String::npos) end = script.size();
    String line = TrimRight(script.substr(start, end - start));
    start = end + 1;
    String trimmed = Trim(line);
    if (trimmed.empty() || trimmed.compare(0, 2, L"--") == 0) continue;
    if (!current.empty()) current += L'\n';
    current += line;
    if (trimmed.back() == L';') {
      current = Trim(current);
      current.pop_back();
      statements.push_back(current);
      current.clear();
    }
  }
  if (!Trim(current).empty()) statements.push_back(Trim(current));
  return statements;
}

std::vector<String> BankSchemaStatements() { return SplitSqlScript(Utf8ToString(kBankSchemaSql)); }

void WriteBank(const TBankContent& content, const String& fileName, const String& password) {
  String temporary = fileName + L".new";
  RemoveFile(temporary);
  try {
    WriteNewFile(content, temporary, password);
  } catch (...) {
    RemoveFile(temporary);
    throw;
  }
  if (!MoveFileExW(temporary.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DWORD error = GetLastError();
    RemoveFile(temporary);
    throw EDatabaseError(L"Cannot replace " + fileName + L" (system error " + IntToStr(error) + L")");
  }
}

void WriteVoiceScripts(const TBankContent& content, const String& folder) {
  String dir = IncludeTrailingBackslash(folder);
  if (!ForceDirectories(ExcludeTrailingBackslash(dir)))
    throw EFCreateError(L"Cannot create the folder " + folder);
  for (const String& old : FindFiles(dir + L"@*.txt")) DeleteFileW((dir + old).c_str());
  auto write = [&](const String& id, const String& script) {
    if (script.empty()) return;
    std::string bytes = StringToUtf8(script) + "\n";
    TFileStream file(dir + L"@" + id + L".txt", fmCreate);
    file.WriteBuffer(bytes.data(), int(bytes.size()));
  };
  for (const TBankGroup& g : content.Groups) write(g.Id, g.Voice);
  for (const TBankQuestion& q : content.Questions) write(q.Id, q.Voice);
}
