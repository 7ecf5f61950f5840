// The bank builder, run by the build:
//   makebank SOURCE_FOLDER BANK_FILE [VOICE_SCRIPT_FOLDER]
//     reads the bank's sources (*.txt) and writes the bank file; with a third argument it
//     also writes the listening scripts there, for the voice step of the build.
//   makebank --large COUNT BANK_FILE
//     writes a generated bank of COUNT questions.
// Exit code 0 on success; otherwise the reason goes to the error output.
#include <cstdio>
#include "BankSource.h"
#include "BankWriter.h"
#include "HostPath.h"
#include "LargeBank.h"
#include "classlib/system/SysDate.h"
#include "data/BankSchema.h"

namespace {

constexpr int kMaxLargeCount = 1000000;

void Print(FILE* to, const String& text) {
  std::string utf8 = StringToUtf8(text) + "\n";
  std::fputs(utf8.c_str(), to);
}

int Usage() {
  Print(stderr, L"usage: makebank SOURCE_FOLDER BANK_FILE [VOICE_SCRIPT_FOLDER]\n"
                L"       makebank --large COUNT BANK_FILE");
  return 2;
}

int BuildFromSources(const String& sources, const String& bankFile, const String& voiceFolder) {
  TBankContent content = ReadBankSources(HostPath(sources), Date());
  WriteBank(content, HostPath(bankFile), kBankPassword);
  if (!voiceFolder.empty()) WriteVoiceScripts(content, HostPath(voiceFolder));
  Print(stdout, L"makebank: " + IntToStr(int64_t(content.Questions.size())) + L" questions, " +
                    IntToStr(int64_t(content.Chapters.size())) + L" chapters, " +
                    IntToStr(int64_t(content.Articles.size())) + L" articles");
  return 0;
}

int BuildLarge(const String& countText, const String& bankFile) {
  int count = 0;
  if (!TryStrToInt(countText, count) || count < 1 || count > kMaxLargeCount) {
    Print(stderr, L"makebank: COUNT must be a number from 1 to " + IntToStr(kMaxLargeCount));
    return 2;
  }
  GenerateLargeBank(HostPath(bankFile), count);
  Print(stdout, L"makebank: " + IntToStr(count) + L" generated questions");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    if (argc == 4 && String(argv[1]) == L"--large") return BuildLarge(argv[2], argv[3]);
    if (argc == 3 || argc == 4) return BuildFromSources(argv[1], argv[2], argc == 4 ? argv[3] : L"");
    return Usage();
  } catch (const Exception& e) {
    Print(stderr, L"makebank: " + e.Message());
  } catch (const std::exception& e) {
    Print(stderr, L"makebank: " + Utf8ToString(e.what()));
  }
  return 1;
}
