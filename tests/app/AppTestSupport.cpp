#include "AppTestSupport.h"

#include "classlib/system/SysDate.h"
#include "classlib/system/SysFormat.h"
#include "classlib/system/Win.h"
#include "data/tools/BankSource.h"
#include "data/tools/BankWriter.h"

namespace {

const char kTypesAndLaws[] =
    "@type 11 单项选择题 exam=1 points=1 time=1 answer=single\n"
    "@lawgroup 1 法律\n"
    "@law 1101 甲法\n@article 1101001 第一条\n条文一。\n@article 1101002 第二条\n条文二。\n"
    "@law 1102 乙法\n@article 1102001 第一条\n条文。\n"
    "@lawgroup 2 法规\n"
    "@law 2201 丙规\n@article 2201001 第一条\n条文。\n";

// Subject 2 has the chain 2 > 21 > 2101 > 210101 (no 21010) and a sibling leaf 210102;
// subject 3 stands beside it.
const char kSubjects[] =
    "@subject 2 经济法\n@chapter 21 第一章\n@chapter 2101 第一节\n"
    "@chapter 210101 第一目\n@guide\n要点。\n"
    "@question 11 laws=1101002,1102001\n题干一？\nA. 甲\nB. 乙\n@key A\n"
    "@chapter 210102 第二目\n@guide\n要点。\n"
    "@question 11\n题干二？\nA. 甲\nB. 乙\n@key B\n"
    "@subject 3 财务会计\n@chapter 31 第一章\n@chapter 3101 第一节\n@chapter 310101 第一目\n@guide\n要点。\n"
    "@question 11\n题干三？\nA. 甲\nB. 乙\n@key A\n";

}  // namespace

void WriteTestBank(const String& fileName, const String& password) {
  TBankContent content = ParseBankSources({{L"0-types.txt", kTypesAndLaws}, {L"1-subjects.txt", kSubjects}},
                                          EncodeDate(2024, 5, 1));
  WriteBank(content, fileName, password);
}

String GbkBlob(const String& text) {
  const int size = ::WideCharToMultiByte(936, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(936, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  String hex = L"X'";
  for (unsigned char byte : bytes) hex += Format(L"%.2X", {static_cast<int>(byte)});
  return hex + L"'";
}

std::vector<String> SelectColumn(TADOConnection& cn, const String& sql) {
  TADOQuery query(nullptr);
  query.SetConnection(&cn);
  query.GetSQL()->SetText(sql);
  query.Open();
  std::vector<String> values;
  for (query.First(); !query.GetEof(); query.Next()) values.push_back(query.GetFields()->GetField(0)->GetAsString());
  return values;
}

void TTestBankModule::SetUp() {
  WriteTestBank(FBank.Name());
  FModule = std::make_unique<TDM1>(nullptr);
  FModule->ADOCn1->SetConnectionString(DbConnectionString(FBank.Name(), kBankPassword));
  FModule->ADOCn1->SetConnected(true);
  FModule->SetToday(kDay);
}

Variant SelectValue(TADOConnection& cn, const String& sql) {
  TADOQuery query(nullptr);
  query.SetConnection(&cn);
  query.GetSQL()->SetText(sql);
  query.Open();
  Variant value = query.IsEmpty() ? Variant::Null() : query.GetFields()->GetField(0)->GetValue();
  query.Close();
  return value;
}

int SelectInt(TADOConnection& cn, const String& sql) {
  Variant value = SelectValue(cn, sql);
  return value.IsNull() || value.IsEmpty() ? 0 : value.AsInteger();
}

String SelectText(TADOConnection& cn, const String& sql) { return VarToStr(SelectValue(cn, sql)); }

std::string SelectBytes(TADOConnection& cn, const String& sql) {
  const Variant value = SelectValue(cn, sql);
  const auto* bytes = value.BytesPtr();
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

TTestFolder::TTestFolder(const String& prefix) {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  static int counter = 0;
  FPath = String(temp) + prefix + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(++counter) + L"\\";
  ::CreateDirectoryW(FPath.c_str(), nullptr);
}

namespace {

void RemoveTree(const String& folder, int depth) {
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const String name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::SetFileAttributesW((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW((folder + name).c_str());
      } else if (depth < 3) {
        RemoveTree(folder + name + L"\\", depth + 1);
      }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
  }
  ::RemoveDirectoryW(folder.c_str());
}

}  // namespace

TTestFolder::~TTestFolder() { RemoveTree(FPath, 0); }

std::vector<String> TTestFolder::Files() const {
  std::vector<String> names;
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW((FPath + L"*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
  }
  return names;
}
