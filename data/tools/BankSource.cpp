#include "BankSource.h"
#include "FindFiles.h"
#include <algorithm>
#include <map>
#include <set>
#include "classlib/classes/Streams.h"
#include "classlib/system/SysFiles.h"
#include "classlib/system/Win.h"

namespace {

constexpr int kMaxOptions = 6;
constexpr int kMaxArticles = 10;   // k3..k12
constexpr int kMaxGroupMembers = 99;
constexpr int kMaxSerial = 999999;

// What the text lines after the last directive belong to.
enum class TTarget { None, Guide, Article, GroupStem, GroupVoice, Stem, Voice, Explanation };

struct TWhere {
  String File;
  int Line = 0;
};

String Describe(const TWhere& where) {
  return where.File + L"(" + IntToStr(where.Line) + L")";
}

[[noreturn]] void Fail(const TWhere& where, const String& message) {
  throw EBankSourceError(Describe(where) + L": " + message);
}

// Blank-separated words of a line; the last word (from index rest on) may be asked for as
// the remainder of the line.
std::vector<String> Words(const String& line) {
  std::vector<String> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] <= L' ') ++i;
    size_t start = i;
    while (i < line.size() && line[i] > L' ') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// The text after the first count words of line, trimmed.
String RestAfterWords(const String& line, int count) {
  size_t i = 0;
  for (int w = 0; w < count; ++w) {
    while (i < line.size() && line[i] <= L' ') ++i;
    while (i < line.size() && line[i] > L' ') ++i;
  }
  return Trim(line.substr(std::min(i, line.size())));
}

int ToInt(const TWhere& where, const String& text, const String& what) {
  int value = 0;
  if (!TryStrToInt(text, value)) Fail(where, what + L" is not a number: " + text);
  return value;
}

double ToDouble(const TWhere& where, const String& text, const String& what) {
  // The sources always use '.', whatever the machine's settings say.
  wchar_t* end = nullptr;
  double value = std::wcstod(text.c_str(), &end);
  if (text.empty() || !end || *end != 0) Fail(where, what + L" is not a number: " + text);
  return value;
}

// "name=value" words after the first skip words.
std::map<String, String> Options(const TWhere& where, const std::vector<String>& words, size_t skip) {
  std::map<String, String> options;
  for (size_t i = skip; i < words.size(); ++i) {
    size_t eq = words[i].find(L'=');
    if (eq == String::npos || eq == 0) Fail(where, L"expected name=value: " + words[i]);
    options[LowerCase(words[i].substr(0, eq))] = words[i].substr(eq + 1);
  }
  return options;
}

// Drops blank lines at both ends and blanks at the end of every line.
String TidyText(const String& text) {
  std::vector<String> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == String::npos) end = text.size();
    lines.push_back(TrimRight(text.substr(start, end - start)));
    start = end + 1;
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  size_t first = 0;
  while (first < lines.size() && lines[first].empty()) ++first;
  String out;
  for (size_t i = first; i < lines.size(); ++i) {
    if (i > first) out += L'\n';
    out += lines[i];
  }
  return out;
}

// Where the first character of text lies that code page 936, the program's text encoding,
// cannot hold (it does not come back from a round trip through it), or npos. A surrogate
// pair is one character.
size_t FirstOutsideCp936(const String& text) {
  if (Cp936ToString(StringToCp936(text)) == text) return String::npos;
  for (size_t i = 0; i < text.size();) {
    const size_t length = IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() ? 2 : 1;
    const String character = text.substr(i, length);
    if (Cp936ToString(StringToCp936(character)) != character) return i;
    i += length;
  }
  return String::npos;
}

String CodePointText(const String& text, size_t at) {
  uint32_t code = text[at];
  if (IS_HIGH_SURROGATE(text[at]) && at + 1 < text.size() && IS_LOW_SURROGATE(text[at + 1]))
    code = 0x10000 + ((code - 0xD800) << 10) + (uint32_t(text[at + 1]) - 0xDC00);
  wchar_t digits[16];
  swprintf(digits, 16, L"U+%04X", unsigned(code));
  return digits;
}

// Number of options: lines "A. ...", "B. ..." (also with "．", "、" or ")") from A on.
int CountOptions(const String& stem) {
  int count = 0;
  size_t start = 0;
  while (start < stem.size()) {
    size_t end = stem.find(L'\n', start);
    if (end == String::npos) end = stem.size();
    String line = TrimLeft(stem.substr(start, end - start));
    if (line.size() >= 2 && line[0] == wchar_t(L'A' + count) && count < kMaxOptions &&
        (line[1] == L'.' || line[1] == L'．' || line[1] == L'、' || line[1] == L')')) {
      ++count;
    }
    start = end + 1;
  }
  return count;
}

TAnswerKind ParseKind(const TWhere& where, const String& text) {
  String t = LowerCase(text);
  if (t == L"single") return TAnswerKind::Single;
  if (t == L"multiple") return TAnswerKind::Multiple;
  if (t == L"anyof") return TAnswerKind::AnyOf;
  if (t == L"self") return TAnswerKind::Self;
  Fail(where, L"unknown answer kind: " + text);
}

String TwoDigits(int value) { return (value < 10 ? L"0" : L"") + IntToStr(value); }

String SixDigits(int value) {
  String digits = IntToStr(value);
  return String(6 - std::min<size_t>(6, digits.size()), L'0') + digits;
}

class TSourceParser {
 public:
  explicit TSourceParser(double examDateBase) : FExamDateBase(examDateBase) {}

  void Parse(const String& file, const std::string& utf8) {
    FWhere = {file, 0};
    FTarget = TTarget::None;
    FChapter = -1;
    if (FGroup >= 0) Fail(FGroupWhere, L"@group without @endgroup");
    String text = Utf8ToString(utf8);
    if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find(L'\n', start);
      if (end == String::npos) end = text.size();
      String line = text.substr(start, end - start);
      if (!line.empty() && line.back() == L'\r') line.pop_back();
      ++FWhere.Line;
      ParseLine(line);
      start = end + 1;
    }
    if (FGroup >= 0) Fail(FGroupWhere, L"@group without @endgroup");
  }

  TBankContent Finish() {
    CheckLaws();
    CheckChapters();
    CheckGroups();
    CheckQuestions();
    for (TBankChapter& c : FContent.Chapters) c.Guide = TidyText(c.Guide);
    for (TBankArticle& a : FContent.Articles) a.Text = TidyText(a.Text);
    return std::move(FContent);
  }

 private:
  // ---- Lines ---------------------------------------------------------------------------
  void ParseLine(const String& line) {
    if (!line.empty() && line[0] == L'#') return;
    const size_t outside = FirstOutsideCp936(line);
    if (outside != String::npos)
      Fail(FWhere, CodePointText(line, outside) + L" at column " + IntToStr(int64_t(outside + 1)) +
                       L" is not in code page 936, the program's text encoding");
    if (!line.empty() && line[0] == L'@') {
      Directive(line);
      return;
    }
    String* target = TargetText();
    if (!target) {
      if (!Trim(line).empty()) Fail(FWhere, L"text outside a text block");
      return;
    }
    *target += line;
    *target += L'\n';
  }

  String* TargetText() {
    switch (FTarget) {
      case TTarget::None: return nullptr;
      case TTarget::Guide: return &FContent.Chapters[size_t(FChapter)].Guide;
      case TTarget::Article: return &FContent.Articles.back().Text;
      case TTarget::GroupStem: return &FContent.Groups[size_t(FGroup)].Stem;
      case TTarget::GroupVoice: return &FContent.Groups[size_t(FGroup)].Voice;
      case TTarget::Stem: return &FContent.Questions.back().Stem;
      case TTarget::Voice: return &FContent.Questions.back().Voice;
      case TTarget::Explanation: return &FContent.Questions.back().Explanation;
    }
    return nullptr;
  }

  void Directive(const String& line) {
    std::vector<String> words = Words(line);
    String name = LowerCase(words[0]);
    FTarget = TTarget::None;
    if (name == L"@type") TypeDirective(words);
    else if (name == L"@plan") PlanDirective(words);
    else if (name == L"@lawgroup" || name == L"@law") LawDirective(words, line, name == L"@law");
    else if (name == L"@article") ArticleDirective(words, line);
    else if (name == L"@subject" || name == L"@chapter") ChapterDirective(words, line, name == L"@subject");
    else if (name == L"@guide") GuideDirective();
    else if (name == L"@group") GroupDirective(words);
    else if (name == L"@endgroup") EndGroupDirective();
    else if (name == L"@question") QuestionDirective(words);
    else if (name == L"@voice") VoiceDirective();
    else if (name == L"@key") KeyDirective(line);
    else if (name == L"@explain") ExplainDirective();
    else Fail(FWhere, L"unknown directive " + words[0]);
  }

  // ---- Directives ----------------------------------------------------------------------
  void TypeDirective(const std::vector<String>& words) {
    if (words.size() < 3) Fail(FWhere, L"@type needs a code and a name");
    TBankType type;
    type.Code = ToInt(FWhere, words[1], L"the type code");
    if (type.Code < 1 || type.Code > 99) Fail(FWhere, L"type codes run from 1 to 99");
    type.Name = words[2];
    auto options = Options(FWhere, words, 3);
    for (const auto& [key, value] : options) {
      if (key == L"exam") type.ExamCount = ToInt(FWhere, value, L"exam");
      else if (key == L"points") type.Points = ToInt(FWhere, value, L"points");
      else if (key == L"time") type.Minutes = ToDouble(FWhere, value, L"time");
      else if (key == L"answer") type.Kind = ParseKind(FWhere, value);
      else Fail(FWhere, L"unknown setting " + key);
    }
    if (type.Minutes < 0.1 || type.Minutes > 30.0) Fail(FWhere, L"answer times run from 0.1 to 30 minutes");
    if (FindType(type.Code)) Fail(FWhere, L"type " + words[1] + L" is defined twice");
    FContent.Types.push_back(type);
  }

  void PlanDirective(const std::vector<String>& words) {
    auto options = Options(FWhere, words, 1);
    for (const auto& [key, value] : options) {
      if (key == L"mark") FContent.Plan.Mark = ToInt(FWhere, value, L"mark");
      else if (key == L"amount") FContent.Plan.Amount = ToInt(FWhere, value, L"amount");
      else if (key == L"minutes") FContent.Plan.Minutes = ToInt(FWhere, value, L"minutes");
      else if (key == L"examdays")
        FContent.Plan.ExamDate = double(int64_t(FExamDateBase)) + ToInt(FWhere, value, L"examdays");
      else Fail(FWhere, L"unknown setting " + key);
    }
  }

  void LawDirective(const std::vector<String>& words, const String& line, bool isLaw) {
    if (words.size() < 3) Fail(FWhere, words[0] + L" needs an id and a name");
    TBankLaw law{words[1], RestAfterWords(line, 2)};
    if (law.Id.size() != (isLaw ? 4u : 1u))
      Fail(FWhere, isLaw ? L"a law's id has four characters" : L"a law group's id has one character");
    if (isLaw && !FindLaw(law.Id.substr(0, 1))) Fail(FWhere, L"no law group " + law.Id.substr(0, 1));
    if (FindLaw(law.Id)) Fail(FWhere, L"law " + law.Id + L" is defined twice");
    FContent.Laws.push_back(law);
  }

  void ArticleDirective(const std::vector<String>& words, const String& line) {
    if (words.size() < 3) Fail(FWhere, L"@article needs an id and a number");
    TBankArticle article{words[1], RestAfterWords(line, 2), String()};
    if (article.Id.size() < 5 || article.Id.size() > 9) Fail(FWhere, L"an article's id has 5 to 9 characters");
    const TBankLaw* law = FindLaw(article.Id.substr(0, 4));
    if (!law) Fail(FWhere, L"no law " + article.Id.substr(0, 4));
    if (FArticles.count(UpperCase(article.Id))) Fail(FWhere, L"article " + article.Id + L" is defined twice");
    FArticles[UpperCase(article.Id)] = FContent.Articles.size();
    FContent.Articles.push_back(article);
    FTarget = TTarget::Article;
  }

  void ChapterDirective(const std::vector<String>& words, const String& line, bool isSubject) {
    if (words.size() < 3) Fail(FWhere, words[0] + L" needs a code and a name");
    if (FGroup >= 0) Fail(FWhere, L"a chapter inside a group");
    TBankChapter chapter{words[1], String(), String()};
    String name = RestAfterWords(line, 2);
    if (isSubject) {
      if (chapter.Code.size() != 1) Fail(FWhere, L"a subject's code has one character");
      if (name.size() > 10 && name.substr(name.size() - 10) == L" listening") {
        FListening.insert(chapter.Code);
        name = Trim(name.substr(0, name.size() - 10));
      }
    } else {
      if (chapter.Code.size() < 2 || chapter.Code.size() > 6) Fail(FWhere, L"a chapter's code has 2 to 6 characters");
      bool hasParent = false;
      for (size_t n = 1; n < chapter.Code.size() && !hasParent; ++n)
        hasParent = FChapters.count(UpperCase(chapter.Code.substr(0, n))) != 0;
      if (!hasParent) Fail(FWhere, L"chapter " + chapter.Code + L" extends no existing code");
    }
    chapter.Name = name;
    if (FChapters.count(UpperCase(chapter.Code))) Fail(FWhere, L"chapter " + chapter.Code + L" is defined twice");
    FChapters[UpperCase(chapter.Code)] = FContent.Chapters.size();
    FChapter = int(FContent.Chapters.size());
    FContent.Chapters.push_back(chapter);
  }

  void GuideDirective() {
    if (FChapter < 0) Fail(FWhere, L"@guide before any chapter");
    FTarget = TTarget::Guide;
  }

  void GroupDirective(const std::vector<String>& words) {
    if (FGroup >= 0) Fail(FWhere, L"@group inside a group");
    if (words.size() < 2) Fail(FWhere, L"@group needs a type");
    int type = ToInt(FWhere, words[1], L"the type");
    TBankGroup group;
    group.Id = NewId(type);
    FGroup = int(FContent.Groups.size());
    FGroupWhere = FWhere;
    FGroupMembers = 0;
    FContent.Groups.push_back(group);
    FGroupPlaces.push_back(FWhere);
    FGroupChapters.push_back(FContent.Chapters[size_t(FChapter)].Code);
    FGroupHasMembers.push_back(false);
    FTarget = TTarget::GroupStem;
  }

  void EndGroupDirective() {
    if (FGroup < 0) Fail(FWhere, L"@endgroup without @group");
    FGroup = -1;
  }

  void QuestionDirective(const std::vector<String>& words) {
    if (words.size() < 2) Fail(FWhere, L"@question needs a type");
    TBankQuestion question;
    question.Type = ToInt(FWhere, words[1], L"the type");
    auto options = Options(FWhere, words, 2);
    for (const auto& [key, value] : options) {
      if (key != L"laws") Fail(FWhere, L"unknown setting " + key);
      size_t start = 0;
      while (start <= value.size()) {
        size_t end = value.find(L',', start);
        if (end == String::npos) end = value.size();
        String id = Trim(value.substr(start, end - start));
        if (!id.empty()) question.Articles.push_back(id);
        start = end + 1;
      }
    }
    if (FGroup >= 0) {
      if (++FGroupMembers > kMaxGroupMembers) Fail(FWhere, L"too many questions in one group");
      question.Id = FContent.Groups[size_t(FGroup)].Id + L"-" + TwoDigits(FGroupMembers);
      FGroupHasMembers[size_t(FGroup)] = true;
    } else {
      question.Id = NewId(question.Type);
    }
    question.Chapter = FContent.Chapters[size_t(FChapter)].Code;
    question.Order = ++FChapterOrder[UpperCase(question.Chapter)];
    FContent.Questions.push_back(question);
    FQuestionPlaces.push_back(FWhere);
    FQuestionGroups.push_back(FGroup);
    FTarget = TTarget::Stem;
  }

  void VoiceDirective() {
    if (FGroup >= 0 && (FContent.Questions.empty() || FQuestionGroups.back() != FGroup)) {
      FTarget = TTarget::GroupVoice;  // before the group's first question: the passage
    } else {
      RequireQuestion(L"@voice");
      FTarget = TTarget::Voice;
    }
  }

  void KeyDirective(const String& line) {
    RequireQuestion(L"@key");
    FContent.Questions.back().Key = RestAfterWords(line, 1);
  }

  void ExplainDirective() {
    RequireQuestion(L"@explain");
    FTarget = TTarget::Explanation;
  }

  // ---- Helpers -------------------------------------------------------------------------
  String NewId(int type) {
    if (FChapter < 0 || FContent.Chapters[size_t(FChapter)].Code.size() != 6)
      Fail(FWhere, L"questions go into a chapter with a six-character code");
    if (type < 1 || type > 99) Fail(FWhere, L"type codes run from 1 to 99");
    if (++FSerial > kMaxSerial) Fail(FWhere, L"too many questions");
    return L"QB" + FContent.Chapters[size_t(FChapter)].Code + TwoDigits(type) + SixDigits(FSerial);
  }

  void RequireQuestion(const String& directive) {
    if (FContent.Questions.empty() || FQuestionPlaces.back().File != FWhere.File ||
        (FQuestionGroups.back() != FGroup))
      Fail(FWhere, directive + L" without its @question");
  }

  const TBankType* FindType(int code) const {
    for (const TBankType& t : FContent.Types)
      if (t.Code == code) return &t;
    return nullptr;
  }

  const TBankLaw* FindLaw(const String& id) const {
    for (const TBankLaw& l : FContent.Laws)
      if (SameText(l.Id, id)) return &l;
    return nullptr;
  }

  bool IsLeaf(const String& code) const {
    String upper = UpperCase(code);
    auto it = FChapters.upper_bound(upper);
    return it == FChapters.end() || it->first.compare(0, upper.size(), upper) != 0;
  }

  bool IsListening(const String& chapter) const { return FListening.count(chapter.substr(0, 1)) != 0; }

  // ---- Checks of the whole -------------------------------------------------------------
  void CheckLaws() {
    for (const TBankArticle& a : FContent.Articles)
      if (TidyText(a.Text).empty()) throw EBankSourceError(L"article " + a.Id + L" has no text");
  }

  void CheckChapters() {
    for (const TBankChapter& c : FContent.Chapters)
      if (c.Name.empty()) throw EBankSourceError(L"chapter " + c.Code + L" has no name");
  }

  void CheckGroups() {
    for (size_t g = 0; g < FContent.Groups.size(); ++g) {
      TBankGroup& group = FContent.Groups[g];
      group.Stem = TidyText(group.Stem);
      group.Voice = TidyText(group.Voice);
      const TWhere& where = FGroupPlaces[g];
      if (group.Stem.empty()) Fail(where, L"the group has no stem");
      if (!FGroupHasMembers[g]) Fail(where, L"the group has no questions");
      if (IsListening(FGroupChapters[g]) && group.Voice.empty())
        Fail(where, L"a listening group needs its passage (@voice)");
    }
  }

  void CheckQuestions() {
    for (size_t q = 0; q < FContent.Questions.size(); ++q) {
      TBankQuestion& question = FContent.Questions[q];
      const TWhere& where = FQuestionPlaces[q];
      question.Stem = TidyText(question.Stem);
      question.Explanation = TidyText(question.Explanation);
      question.Voice = TidyText(question.Voice);
      if (question.Stem.empty()) Fail(where, L"the question has no stem");
      if (!IsLeaf(question.Chapter)) Fail(where, L"chapter " + question.Chapter + L" is not a leaf");
      const TBankType* type = FindType(question.Type);
      if (!type) Fail(where, L"no type " + IntToStr(question.Type));
      CheckKey(where, question, *type);
      CheckArticles(where, question);
      if (IsListening(question.Chapter) && question.Voice.empty())
        Fail(where, L"a listening question needs its script (@voice)");
    }
  }

  void CheckKey(const TWhere& where, TBankQuestion& question, const TBankType& type) {
    if (type.Kind == TAnswerKind::Self) {
      if (question.Key.empty()) question.Key = L"1";
      if (question.Key != L"1") Fail(where, L"the key of a self-assessed question is 1");
      question.OptionCount = 1;
      return;
    }
    question.OptionCount = CountOptions(question.Stem);
    if (question.OptionCount < 2) Fail(where, L"a choice question needs options A, B, ...");
    const String& key = question.Key;
    size_t minimum = type.Kind == TAnswerKind::Multiple ? 2 : 1;
    size_t maximum = type.Kind == TAnswerKind::Single ? 1 : size_t(question.OptionCount);
    if (key.size() < minimum || key.size() > maximum)
      Fail(where, L"the key " + key + L" does not fit the type " + type.Name);
    for (size_t i = 0; i < key.size(); ++i) {
      if (key[i] < L'A' || key[i] >= wchar_t(L'A' + question.OptionCount))
        Fail(where, L"the key " + key + L" names an option the question does not have");
      if (i > 0 && key[i] <= key[i - 1]) Fail(where, L"the key's letters go in A-F order, once each");
    }
  }

  void CheckArticles(const TWhere& where, const TBankQuestion& question) {
    if (question.Articles.size() > size_t(kMaxArticles)) Fail(where, L"more than ten linked articles");
    std::set<String> laws;
    for (const String& id : question.Articles) {
      if (!FArticles.count(UpperCase(id))) Fail(where, L"no article " + id);
      // One article per law, so that a law's counters (sums over its articles) count
      // each question once.
      if (!laws.insert(UpperCase(id.substr(0, 4))).second)
        Fail(where, L"two linked articles of one law: " + id);
    }
  }

  TBankContent FContent;
  double FExamDateBase;
  TWhere FWhere;
  TTarget FTarget = TTarget::None;
  int FChapter = -1;                        // the current chapter
  int FGroup = -1;                          // the open group
  int FGroupMembers = 0;
  TWhere FGroupWhere;
  int FSerial = 0;
  std::map<String, size_t> FChapters;       // upper-cased code -> index
  std::map<String, size_t> FArticles;       // upper-cased ftid -> index
  std::map<String, int> FChapterOrder;      // questions so far per chapter
  std::set<String> FListening;              // subject codes marked listening
  std::vector<TWhere> FQuestionPlaces;      // per question
  std::vector<int> FQuestionGroups;         // per question: its group, -1 for none
  std::vector<TWhere> FGroupPlaces;         // per group
  std::vector<String> FGroupChapters;       // per group
  std::vector<bool> FGroupHasMembers;       // per group
};

std::string ReadWholeFile(const String& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  int64_t size = stream.GetSize();
  if (size > 64 * 1024 * 1024) throw EBankSourceError(fileName + L": file too large");
  std::string bytes(size_t(size), '\0');
  if (size > 0) stream.ReadBuffer(bytes.data(), int(size));
  return bytes;
}

}  // namespace

TBankContent ParseBankSources(const std::vector<std::pair<String, std::string>>& files,
                              double examDateBase) {
  TSourceParser parser(examDateBase);
  for (const auto& [name, text] : files) parser.Parse(name, text);
  return parser.Finish();
}

TBankContent ReadBankSources(const String& folder, double examDateBase) {
  std::vector<String> names = FindFiles(IncludeTrailingBackslash(folder) + L"*.txt");
  if (names.empty()) throw EBankSourceError(L"no bank sources (*.txt) in " + folder);
  std::vector<std::pair<String, std::string>> files;
  for (const String& name : names)
    files.emplace_back(name, ReadWholeFile(IncludeTrailingBackslash(folder) + name));
  return ParseBankSources(files, examDateBase);
}
