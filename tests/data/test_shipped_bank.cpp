// The question bank the build ships: consistent, usable in every practice mode and for a
// mock exam of every subject, and protected by the program's password.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <memory>
#include "BankChecks.h"
#include "BankTestFiles.h"
#include "data/tools/Rtf.h"
#include <richedit.h>

namespace {

String Lines(const TProblems& problems) {
  String out;
  for (size_t i = 0; i < problems.size() && i < 30; ++i) out += problems[i] + L"\n";
  if (problems.size() > 30) out += L"... " + IntToStr(int64_t(problems.size())) + L" problems\n";
  return out;
}

#define EXPECT_NO_PROBLEMS(check) \
  do {                            \
    TProblems found = (check);    \
    EXPECT_TRUE(found.empty()) << StringToUtf8(Lines(found)); \
  } while (0)

class ShippedBank : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { FConnection = OpenBank(BuiltBankFile(), kBankPassword); }
  static void TearDownTestSuite() { FConnection.reset(); }
  TADOConnection& Cn() { return *FConnection; }

  static std::unique_ptr<TADOConnection> FConnection;
};
std::unique_ptr<TADOConnection> ShippedBank::FConnection;

TEST_F(ShippedBank, HasTheFiveSubjectsUnderTheirNames) {
  auto rows = SelectRows(Cn(), L"select C1,C2 from tab_kmmc where len(C1) = 1 order by bh");
  ASSERT_EQ(rows.size(), 5u);
  const wchar_t* const expected[][2] = {{L"7", L"大学英语四级·听力"}, {L"2", L"资产评估师·经济法"},
                                        {L"3", L"资产评估师·财务会计"}, {L"4", L"资产评估师·机电设备"},
                                        {L"5", L"资产评估师·建筑工程"}};
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i][0].AsString(), expected[i][0]);
    EXPECT_EQ(rows[i][1].AsString(), expected[i][1]);
  }
}

TEST_F(ShippedBank, IsConsistent) {
  EXPECT_NO_PROBLEMS(CheckChapters(Cn()));
  EXPECT_NO_PROBLEMS(CheckLinkedArticles(Cn()));
  EXPECT_NO_PROBLEMS(CheckGroups(Cn()));
  EXPECT_NO_PROBLEMS(CheckCounters(Cn()));
  EXPECT_NO_PROBLEMS(CheckTypesAndKeys(Cn()));
}

TEST_F(ShippedBank, ChoiceKeysAreSpreadOverTheOptions) { EXPECT_NO_PROBLEMS(CheckKeysSpread(Cn())); }

TEST_F(ShippedBank, TextsAreChineseRichText) { EXPECT_NO_PROBLEMS(CheckRichText(Cn())); }

TEST_F(ShippedBank, ListeningQuestionsHaveTheirPassages) {
  EXPECT_NO_PROBLEMS(CheckListeningFiles(Cn(), BuiltAppFolder() + kVoiceFolder));
}

TEST_F(ShippedBank, SelfAssessedPromptsHoldInPracticeAndInTheExam) {
  // The exam window offers neither 完成 nor 解析 while a paper is sat, so a prompt that asks
  // for a grade names no button to press and nothing to open.
  int prompts = 0;
  // Self-assessed questions are those of one option (their key is "1").
  for (const auto& row :
       SelectRows(Cn(), L"select a1, a15 from tab_exer where a1 in (select a1 from tab_answ where a2_1 = 1)")) {
    const TBytes* bytes = row[1].BytesPtr();
    ASSERT_TRUE(bytes);
    const String text = ReadRtf(std::string(bytes->begin(), bytes->end())).Text;
    if (text.find(L"“会”") == String::npos) continue;
    ++prompts;
    EXPECT_EQ(text.find(L"完成"), String::npos) << StringToUtf8(row[0].AsString());
    EXPECT_EQ(text.find(L"打开"), String::npos) << StringToUtf8(row[0].AsString());
  }
  EXPECT_GE(prompts, 10) << "the dictations' prompts";
}

TEST_F(ShippedBank, MockExamQuotasCanBeFilledForEverySubject) { EXPECT_NO_PROBLEMS(CheckMockExamQuotas(Cn())); }

TEST_F(ShippedBank, EverySubjectHasLawLinkedAndGroupedQuestionsWhereItShould) {
  // Law articles are practised from the law browser: they need linked questions.
  EXPECT_GE(SelectValue(Cn(), L"select count(*) from tab_rule where q > 0").AsInteger(), 20);
  EXPECT_GE(SelectValue(Cn(), L"select count(*) from tab_fgmc where len(id) = 4").AsInteger(), 4);
  EXPECT_GE(SelectValue(Cn(), L"select count(*) from tab_title").AsInteger(), 3);
  for (const wchar_t* subject : {L"7", L"2", L"3", L"4", L"5"}) {
    int count = SelectValue(Cn(), L"select count(*) from tab_answ where left(a10,1) = '" + String(subject) + L"'")
                    .AsInteger();
    EXPECT_GE(count, 35) << StringToUtf8(subject);
  }
}

TEST_F(ShippedBank, ThePracticeQueriesOfTheProgramFindQuestions) {
  // New questions of a chapter and of a whole subject, as the chooser asks for them.
  auto newOf = [&](const String& code) {
    return L"select a1 ,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,f1,xx,csbs,ecount "
           L"from tab_answ where (left(A10," + IntToStr(int64_t(code.size())) + L") = " + QuotedStr(code) +
           L") and (E2 = '' or E2 is null)  and (f1<>1)  order by a13,a10,a1,xx";
  };
  for (const wchar_t* code : {L"7", L"2", L"3", L"4", L"5"}) EXPECT_FALSE(SelectRows(Cn(), newOf(code)).empty());
  String leaf = SelectValue(Cn(), L"select a10 from tab_answ where a10 like '21*' order by a1").AsString();
  EXPECT_FALSE(SelectRows(Cn(), newOf(leaf)).empty());
  // The questions of one article, as the law browser asks for them.
  String article = SelectValue(Cn(), L"select ftid from tab_rule where q > 0 order by ftid").AsString();
  auto linked = SelectRows(Cn(), L"select a.a1 as a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,"
                                 L"e2_1,e3,e4,f1,a.csbs as csbs,b.jx as jx,b.A15 as A15 from tab_answ a,tab_exer b "
                                 L"where a.a1=b.a1 and " + QuotedStr(article) + L" in (k3,k4,k5,k6,k7,k8,k9,k10,k11,k12)");
  EXPECT_EQ(int(linked.size()), SelectValue(Cn(), L"select q from tab_rule where ftid = " + QuotedStr(article)).AsInteger());
}

TEST(ShippedBankFile, OpensOnlyWithTheProgramsPassword) {
  EXPECT_NO_THROW(OpenBank(BuiltBankFile(), kBankPassword));
  EXPECT_THROW(OpenBank(BuiltBankFile(), L"qerdaxuvomtilz"), EDatabaseError);
  EXPECT_THROW(OpenBank(BuiltBankFile(), L""), EDatabaseError);
}

// Bytes handed to the rich-text control as it asks for them.
struct TSource {
  const std::string* Bytes;
  size_t Offset;
};

DWORD CALLBACK ReadRtfSource(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
  auto* source = reinterpret_cast<TSource*>(cookie);
  size_t n = std::min(size_t(wanted), source->Bytes->size() - source->Offset);
  memcpy(buffer, source->Bytes->data() + source->Offset, n);
  source->Offset += n;
  *given = LONG(n);
  return 0;
}

// The system's rich-text control reads every stem back as the text it was written from.
TEST_F(ShippedBank, TheRichEditControlReadsTheStems) {
  wchar_t display[64] = {};
  if (GetEnvironmentVariableW(L"DISPLAY", display, 64) == 0) GTEST_SKIP() << "needs a display";
  HMODULE library = LoadLibraryW(L"riched20.dll");
  ASSERT_NE(library, nullptr);
  HWND edit = CreateWindowExW(0, L"RichEdit20W", L"", WS_POPUP | ES_MULTILINE, 0, 0, 400, 300, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(edit, nullptr);
  auto normalized = [](String text) {
    String out;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == L'\r') {
        out += L'\n';
        if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      } else {
        out += text[i];
      }
    }
    while (!out.empty() && out.back() == L'\n') out.pop_back();
    return out;
  };
  int checked = 0;
  for (const auto& row : SelectRows(Cn(), L"select a1,a15 from tab_exer order by a1")) {
    const TBytes& bytes = *row[1].BytesPtr();
    std::string rtf(bytes.begin(), bytes.end());
    TSource source{&rtf, 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadRtfSource;
    SendMessageW(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    int length = GetWindowTextLengthW(edit);
    String shown(size_t(length) + 1, L'\0');
    GetWindowTextW(edit, shown.data(), length + 1);
    shown.resize(size_t(length));
    EXPECT_EQ(StringToUtf8(normalized(shown)), StringToUtf8(normalized(ReadRtf(rtf).Text))) << StringToUtf8(row[0].AsString());
    ++checked;
  }
  DestroyWindow(edit);
  FreeLibrary(library);
  EXPECT_GT(checked, 100);
}

}  // namespace
