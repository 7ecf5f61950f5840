// The export of a paper drawn from a copy of the shipped bank, read back by the system's
// Rich Edit control.
#include <gtest/gtest.h>

#include <richedit.h>
#include <map>
#include "WindowTestSupport.h"
#include "app/ExamExport.h"
#include "app/ExamPaper.h"
#include "app/Ucommon.h"
#include "classlib/system/SysFiles.h"

namespace {

struct TSource {
  const std::string* Text;
  size_t Pos;
};

DWORD CALLBACK ReadSource(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
  auto* source = reinterpret_cast<TSource*>(cookie);
  const size_t n = std::min(size_t(size), source->Text->size() - source->Pos);
  memcpy(buffer, source->Text->data() + source->Pos, n);
  source->Pos += n;
  *read = LONG(n);
  return 0;
}

// The plain text the system's Rich Edit control shows for rtf.
String RichEditText(const std::string& rtf) {
  HMODULE library = ::LoadLibraryW(L"riched20.dll");
  HWND edit = ::CreateWindowExW(0, L"RichEdit20W", L"", WS_POPUP | ES_MULTILINE, 0, 0, 400, 300, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
  TSource source{&rtf, 0};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  stream.pfnCallback = ReadSource;
  ::SendMessageW(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  const int length = ::GetWindowTextLengthW(edit);
  String shown(size_t(length) + 1, L'\0');
  ::GetWindowTextW(edit, shown.data(), length + 1);
  shown.resize(size_t(length));
  ::DestroyWindow(edit);
  ::FreeLibrary(library);
  return shown;
}

int Occurrences(const String& text, const String& part) {
  int count = 0;
  for (size_t at = text.find(part); at != String::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

class ExamExport : public ::testing::Test {
 protected:
  void TearDown() override { ExamSubjectNo = 0; }
  String Export(int subject) {
    EXPECT_TRUE(PrepareMockExam(subject, Paper));
    TDocumentWriter writer;
    WritePaper(writer, Paper.Title);
    Rtf = writer.Rtf();
    return RichEditText(Rtf);
  }
  TProgramData Data;
  TRecordingResponders Responders;
  TExamPaper Paper;
  std::string Rtf;
};

TEST(ExamExportNames, SectionNumeralsAndGroupMembers) {
  EXPECT_EQ(L"一、", SectionNumeral(1));
  EXPECT_EQ(L"五、", SectionNumeral(5));
  EXPECT_EQ(L"--", SectionNumeral(0));
  EXPECT_EQ(L"--", SectionNumeral(6));
  EXPECT_TRUE(IsGroupMember(L"QB72010168000016-01"));
  EXPECT_FALSE(IsGroupMember(L"QB7201016800"));
  EXPECT_FALSE(IsGroupMember(L"U4112010100001")) << "a user question of 14 characters is no member";
}

TEST_F(ExamExport, ListeningPaperHasItsSectionsGroupStemsAndKeysOfAnsweredTypes) {
  const String text = Export(1);
  const size_t one = text.find(L"一、短对话[共10题，每题5分，总计50分]");
  const size_t two = text.find(L"二、长对话与短文[共5题，每题6分，总计30分]");
  const size_t three = text.find(L"三、复合式听写[共5题，每题4分，总计20分]");
  ASSERT_NE(String::npos, one);
  ASSERT_NE(String::npos, two);
  ASSERT_NE(String::npos, three);
  EXPECT_TRUE(one < two && two < three);
  EXPECT_EQ(1, Occurrences(text, L"二、"));
  EXPECT_EQ(0u, text.find(Paper.Title));
  const size_t answers = text.find(L"答案：");
  ASSERT_NE(String::npos, answers);
  EXPECT_GT(answers, three);
  // Every question numbered in both parts; keys for all but the self-assessed dictation.
  TADOQuery* paper = DM1->Cn1Query_exam;
  int number = 0, keys = 0, members = 0;
  for (paper->First(); !paper->GetEof(); paper->Next()) {
    ++number;
    EXPECT_NE(String::npos, text.find(L"第" + IntToStr(number) + L"题", answers)) << number;
    if (!IsSelfAssessedType(paper->FieldByName(L"A13")->GetAsInteger())) {
      ++keys;
      EXPECT_NE(String::npos, text.find(L"试题答案：" + paper->FieldByName(L"A2")->GetAsString(), answers));
    }
    if (IsGroupMember(paper->FieldByName(L"A1")->GetAsString())) ++members;
  }
  EXPECT_EQ(20, number);
  EXPECT_EQ(15, keys);
  EXPECT_EQ(keys, Occurrences(text, L"试题答案："));
  EXPECT_GT(members, 0);
  // A group's stem comes before each of its members: once per member.
  std::map<String, int> groups;
  for (paper->First(); !paper->GetEof(); paper->Next()) {
    const String id = paper->FieldByName(L"A1")->GetAsString();
    if (IsGroupMember(id)) ++groups[id.substr(0, 16)];
  }
  for (const auto& [group, count] : groups) {
    const std::string stem = SelectBytes(Data.Cn(), L"select A15 from tab_title where A1='" + group + L"'");
    ASSERT_FALSE(stem.empty()) << StringToUtf8(group);
    String stemText = RichEditText(stem);
    stemText = stemText.substr(0, stemText.find(L'\r'));
    ASSERT_FALSE(stemText.empty());
    EXPECT_EQ(count, Occurrences(text, stemText)) << StringToUtf8(group);
  }
  EXPECT_FALSE(DM1->ADOQ_kl->GetActive()) << "the clone is closed";
  EXPECT_TRUE(DM1->Cn1Query_exam->GetActive());
  EXPECT_TRUE(Responders.Log.Empty());
}

TEST_F(ExamExport, LawPaperCarriesKeysExplanationsAndArticles) {
  // One question's first law is missing from the law list: its article stands alone.
  const String text = Export(2);
  TADOQuery* paper = DM1->Cn1Query_exam;
  EXPECT_EQ(paper->GetRecordCount(), Occurrences(text, L"试题答案：")) << "every key of a choice paper";
  int explained = 0, linked = 0;
  for (paper->First(); !paper->GetEof(); paper->Next()) {
    if (!paper->FieldByName(L"jx")->GetIsNull()) ++explained;
    if (!Trim(paper->FieldByName(L"K3")->GetAsString()).empty()) ++linked;
  }
  EXPECT_EQ(explained, Occurrences(text, L"试题解析："));
  EXPECT_EQ(linked, Occurrences(text, L"考点："));
  ASSERT_GT(linked, 0);
  paper->First();
  while (Trim(paper->FieldByName(L"K3")->GetAsString()).empty()) paper->Next();
  const String article = Trim(paper->FieldByName(L"K3")->GetAsString());
  const String law = SelectText(Data.Cn(), L"select n from tab_fgmc where id='" + article.substr(0, 4) + L"'");
  const String sn = SelectText(Data.Cn(), L"select sn from tab_rule where ftid='" + article + L"'");
  EXPECT_NE(String::npos, text.find(law + L" " + sn + L"；"));
  Data.Exec(L"delete from tab_fgmc where id='" + article.substr(0, 4) + L"'");
  DM1->Cn1Table_fgmc->Close();
  TDocumentWriter writer;
  WritePaper(writer, Paper.Title);
  const String without = RichEditText(writer.Rtf());
  EXPECT_EQ(String::npos, without.find(law + L" " + sn + L"；"));
  const size_t alone = without.find(sn + L"；");
  ASSERT_NE(String::npos, alone);
  ASSERT_GT(alone, 0u);
  EXPECT_TRUE(without[alone - 1] == L'\r' || without[alone - 1] == L'\n') << "the article number alone";
}

TEST_F(ExamExport, ExportSavesAndOpensTheDocumentOrSaysItFailed) {
  ASSERT_TRUE(PrepareMockExam(5, Paper));
  ExportToWord(Paper.PaperTable, Paper.Title);
  ASSERT_EQ(1u, Responders.Log.Shell.size());
  const String file = AppPath + L"data\\" + Paper.PaperTable + L".rtf";
  EXPECT_EQ(0u, Responders.Log.Shell[0].find(file));
  EXPECT_TRUE(FileExists(file));
  // Left beside the tests for a reader that is not ours (test_document_unrtf).
  ::CopyFileW(file.c_str(), (TestBuildFolder() + L"tests\\export_sample.rtf").c_str(), FALSE);
  // Exported again while the first document is open in a word processor (which lets no one
  // write it), and once more after it was closed: each export is a new document, and the
  // first one stays as it was.
  HANDLE held = ::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  const LARGE_INTEGER size = [&] {
    LARGE_INTEGER bytes{};
    ::GetFileSizeEx(held, &bytes);
    return bytes;
  }();
  ExportToWord(Paper.PaperTable, Paper.Title);
  ::CloseHandle(held);
  ExportToWord(Paper.PaperTable, L"同号的另一份试卷");
  EXPECT_TRUE(Responders.Log.Boxes.empty());
  const String stem = AppPath + L"data\\" + Paper.PaperTable;
  ASSERT_EQ(3u, Responders.Log.Shell.size());
  EXPECT_EQ(0u, Responders.Log.Shell[1].find(stem + L"(2).rtf"));
  EXPECT_EQ(0u, Responders.Log.Shell[2].find(stem + L"(3).rtf"));
  WIN32_FILE_ATTRIBUTE_DATA first{};
  ASSERT_TRUE(::GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &first));
  EXPECT_EQ(static_cast<DWORD>(size.QuadPart), first.nFileSizeLow) << "the first document is kept";
  for (const String& name : {file, stem + L"(2).rtf", stem + L"(3).rtf"}) {
    EXPECT_TRUE(FileExists(name)) << StringToUtf8(name);
    ::DeleteFileW(name.c_str());
  }
  Responders.Log.Shell.clear();
  EXPECT_TRUE(Responders.Log.Boxes.empty());
  ExportToWord(L"no\\such\\folder", Paper.Title);
  ASSERT_EQ(1u, Responders.Log.Boxes.size());
  EXPECT_EQ(L"警告|导出试题发生错误，请退出后重试！|" + IntToStr(MB_OK | MB_ICONEXCLAMATION), Responders.Log.Boxes[0]);
  EXPECT_FALSE(DM1->ADOQ_kl->GetActive()) << "the clone is closed after a failure too";
}

}  // namespace
