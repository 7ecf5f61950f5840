#include "LargeBank.h"
#include "BankWriter.h"
#include <algorithm>
#include <cstdint>

namespace {

constexpr int kChaptersPerSubject = 4;
constexpr int kLeavesPerChapter = 5;
constexpr int kLawGroups = 4;
constexpr int kLawsPerGroup = 5;
constexpr int kArticlesPerLaw = 10;
constexpr int kGroupEvery = 40;     // a question group starts at every 40th question
constexpr int kGroupSize = 4;

struct TSubjectPlan {
  const wchar_t* Code;
  const wchar_t* Name;
  std::vector<int> Types;   // the types its questions cycle through
};

const std::vector<TSubjectPlan>& Subjects() {
  static const std::vector<TSubjectPlan> subjects = {
      {L"7", L"大学英语四级·听力", {67, 67, 68, 69}},
      {L"2", L"资产评估师·经济法", {11, 11, 14, 62, 64}},
      {L"3", L"资产评估师·财务会计", {11, 11, 14, 65}},
      {L"4", L"资产评估师·机电设备", {11, 14, 11, 64}},
      {L"5", L"资产评估师·建筑工程", {11, 14, 22}},
  };
  return subjects;
}

std::vector<TBankType> Types() {
  using K = TAnswerKind;
  return {
      {11, L"单项选择题", 60, 1, 1.0, K::Single},   {14, L"多项选择题", 35, 2, 2.0, K::Multiple},
      {22, L"计算题", 5, 20, 15.0, K::Self},        {62, L"不定项选择题", 0, 2, 2.0, K::AnyOf},
      {64, L"简答题", 0, 10, 8.0, K::Self},         {65, L"综合题", 0, 15, 15.0, K::Self},
      {67, L"短对话", 10, 5, 0.5, K::Single},       {68, L"长对话与短文", 5, 6, 0.5, K::Single},
      {69, L"复合式听写", 5, 4, 1.0, K::Self},
  };
}

const wchar_t* const kTopics[] = {
    L"资产评估的基本原则", L"公司设立的条件", L"合伙企业的财产", L"合同的订立", L"抵押权的设立",
    L"存货的计量",         L"固定资产的折旧", L"无形资产的摊销", L"收入的确认",   L"资产减值",
    L"齿轮传动",           L"液压系统",       L"数控机床",       L"设备的磨损",   L"电动机的调速",
    L"建筑面积的计算",     L"混凝土强度",     L"工程造价",       L"地基与基础",   L"房屋的耐用年限",
};
constexpr int kTopicCount = int(sizeof kTopics / sizeof kTopics[0]);

const wchar_t* const kStatements[] = {
    L"应当遵循独立、客观、公正的原则", L"须经全体成员一致同意",     L"自登记之日起发生效力",
    L"按照实际成本进行初始计量",       L"不得低于国家规定的标准",   L"可以由当事人另行约定",
    L"应当在期末进行减值测试",         L"与传动比成反比",           L"以书面形式作出",
    L"在计算时只计算一半面积",
};
constexpr int kStatementCount = int(sizeof kStatements / sizeof kStatements[0]);

String Digits(int value, int width) {
  String digits = IntToStr(value);
  while (int(digits.size()) < width) digits.insert(0, 1, L'0');
  return digits;
}

String KeyFor(TAnswerKind kind, int n) {
  static const wchar_t* const multiple[] = {L"AB", L"ACD", L"BD", L"ABCD", L"BC", L"AD"};
  switch (kind) {
    case TAnswerKind::Single: return String(1, wchar_t(L'A' + n % 4));
    case TAnswerKind::Multiple: return multiple[n % 6];
    case TAnswerKind::AnyOf: return n % 3 == 0 ? String(L"C") : String(multiple[n % 6]);
    case TAnswerKind::Self: return L"1";
  }
  return L"A";
}

String StemFor(int n, TAnswerKind kind) {
  String topic = kTopics[n % kTopicCount];
  if (kind == TAnswerKind::Self)
    return L"【第" + IntToStr(n + 1) + L"题】请简述" + topic + L"的要点，并结合实例加以说明。";
  String stem = L"【第" + IntToStr(n + 1) + L"题】关于" + topic + L"，下列说法中" +
                (kind == TAnswerKind::Single ? L"正确的是（　）。" : L"正确的有（　）。");
  for (int option = 0; option < 4; ++option)
    stem += String(L"\n") + wchar_t(L'A' + option) + L". " + topic +
            kStatements[(n + option * 3) % kStatementCount];
  return stem;
}

// A deterministic sequence for the links to law articles.
struct TSequence {
  uint32_t State;
  int Next(int range) {
    State = State * 134775813u + 1u;
    return int((uint64_t(State) * uint32_t(range)) >> 32);
  }
};

void AddChapters(TBankContent& content) {
  for (const TSubjectPlan& subject : Subjects()) {
    content.Chapters.push_back({subject.Code, subject.Name, String()});
    for (int c = 1; c <= kChaptersPerSubject; ++c) {
      String chapter = String(subject.Code) + IntToStr(c);
      content.Chapters.push_back({chapter, L"第" + IntToStr(c) + L"章", String()});
      for (int leaf = 1; leaf <= kLeavesPerChapter; ++leaf) {
        String code = chapter + L"01" + Digits(leaf, 2);
        content.Chapters.push_back({code, L"第" + IntToStr(c) + L"章第" + IntToStr(leaf) + L"节",
                                    L"本节学习要点：" + String(kTopics[(c * 5 + leaf) % kTopicCount]) + L"。"});
      }
    }
  }
}

void AddLaws(TBankContent& content) {
  for (int g = 1; g <= kLawGroups; ++g) {
    String group = IntToStr(g);
    content.Laws.push_back({group, L"法规类别" + group});
    for (int l = 1; l <= kLawsPerGroup; ++l) {
      String law = group + L"1" + Digits(l, 2);
      content.Laws.push_back({law, L"法规" + law});
      for (int a = 1; a <= kArticlesPerLaw; ++a)
        content.Articles.push_back({law + L"0" + Digits(a, 2), L"第" + IntToStr(a) + L"条",
                                    L"第" + IntToStr(a) + L"条　" + kTopics[(l + a) % kTopicCount] +
                                        kStatements[a % kStatementCount] + L"。"});
    }
  }
}

// Links a question of a subject with laws to one to three articles of different laws.
std::vector<String> Links(TSequence& random) {
  std::vector<String> links;
  int count = 1 + random.Next(3);
  int firstLaw = random.Next(kLawGroups * kLawsPerGroup);
  for (int i = 0; i < count; ++i) {
    int law = (firstLaw + i * 7) % (kLawGroups * kLawsPerGroup);
    String lawId = IntToStr(law / kLawsPerGroup + 1) + L"1" + Digits(law % kLawsPerGroup + 1, 2);
    links.push_back(lawId + L"0" + Digits(1 + random.Next(kArticlesPerLaw), 2));
  }
  return links;
}

}  // namespace

TBankContent MakeLargeBankContent(int count) {
  TBankContent content;
  content.Types = Types();
  AddChapters(content);
  AddLaws(content);
  std::vector<TAnswerKind> kinds(100, TAnswerKind::Single);
  for (const TBankType& t : content.Types) kinds[size_t(t.Code)] = t.Kind;

  TSequence random{12345u};
  int serial = 0;
  int n = 0;
  std::vector<int> leafOrder(Subjects().size() * kChaptersPerSubject * kLeavesPerChapter, 0);
  while (n < count) {
    size_t s = size_t(serial % int(Subjects().size()));
    const TSubjectPlan& subject = Subjects()[s];
    int leafIndex = (serial / int(Subjects().size())) % (kChaptersPerSubject * kLeavesPerChapter);
    String chapter = String(subject.Code) + IntToStr(leafIndex / kLeavesPerChapter + 1) + L"01" +
                     Digits(leafIndex % kLeavesPerChapter + 1, 2);
    int type = subject.Types[size_t(serial / int(Subjects().size())) % subject.Types.size()];
    ++serial;
    String id = L"LB" + chapter + Digits(type, 2) + Digits(serial, 6);
    int members = 1;
    String groupId;
    if (serial % kGroupEvery == 0 && count - n >= 2) {
      members = std::min(kGroupSize, count - n);
      groupId = id;
      content.Groups.push_back({groupId, L"【材料】请阅读下面的材料，回答第" + IntToStr(n + 1) + L"至" +
                                             IntToStr(n + members) + L"题。\n" + kTopics[serial % kTopicCount] +
                                             L"是本章的重点内容。",
                                String()});
    }
    for (int m = 1; m <= members; ++m, ++n) {
      TBankQuestion q;
      q.Id = groupId.empty() ? id : groupId + L"-" + Digits(m, 2);
      q.Chapter = chapter;
      q.Type = type;
      TAnswerKind kind = kinds[size_t(type)];
      q.Stem = StemFor(n, kind);
      q.Key = KeyFor(kind, n);
      q.OptionCount = kind == TAnswerKind::Self ? 1 : 4;
      if (n % 2 == 0) q.Explanation = L"【解析】本题考查" + String(kTopics[n % kTopicCount]) + L"的有关规定。";
      if (subject.Code[0] != L'7' && n % 3 == 0) q.Articles = Links(random);
      q.Order = ++leafOrder[s * kChaptersPerSubject * kLeavesPerChapter + size_t(leafIndex)];
      content.Questions.push_back(q);
    }
  }
  return content;
}

void GenerateLargeBank(const String& fileName, int count, const String& password) {
  WriteBank(MakeLargeBankContent(count), fileName, password);
}
