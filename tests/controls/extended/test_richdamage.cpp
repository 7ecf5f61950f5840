// Damaged rich text never crashes or hangs a view, and nothing of it is written back: broken
// documents of known kinds, and a mutation loop over a real stem of the demo bank; damage
// marked when a document is read again as rich text after a failed read.
#include <gtest/gtest.h>

#include <random>

#include "RichEditTestSupport.h"
#include "data/tools/BankSource.h"
#include "data/tools/HostPath.h"

namespace rich_tests {
namespace {

// The kinds of damage, each as the bytes of a stored stem.
std::vector<std::pair<const char*, std::string>> DamagedStems() {
  const std::string good = TextToRtf(L"下列关于资产评估的说法中，正确的是（  ）。");
  std::vector<std::pair<const char*, std::string>> stems{
      {"truncated", good.substr(0, good.size() / 2)},
      {"unbalanced open", "{\\rtf1{{{{\\b bold"},
      {"unbalanced close", "{\\rtf1 text}}}}}}}"},
      {"bin with a huge length", "{\\rtf1 a\\bin2147483647 xyz}"},
      {"bin with a negative length", "{\\rtf1 a\\bin-5 xyz}"},
      {"NUL bytes", std::string("{\\rtf1 a\0b\0\0c}", 14)},
      {"NUL bytes in plain text", std::string("ab\0\0cd", 6)},
      {"control word without end", "{\\rtf1\\" + std::string(5000, 'a')},
      {"huge numbers", "{\\rtf1\\fs99999999999\\cf99999 \\u99999999? x}"},
      {"lone lead byte", "\xd6"},
      {"empty", ""},
  };
  std::string nested = "{\\rtf1 ";
  nested += std::string(100000, '{') + "deep" + std::string(100000, '}') + "}";
  stems.emplace_back("100,000 nested groups", nested);
  return stems;
}

class DamageTest : public RichViewTest {};

TEST_F(DamageTest, DamagedStemsShowWithoutCrashAndAreNeverWrittenBack) {
  const auto stems = DamagedStems();
  for (size_t i = 0; i < stems.size(); ++i) AddRow(static_cast<int>(i + 1), stems[i].second);
  ShowHost();
  TRxDBRichEdit* view = OpenView();
  for (size_t i = 0; i < stems.size(); ++i) {
    SCOPED_TRACE(stems[i].first);
    Pump();
    const String shown = view->GetText();
    // Damaged RTF shows what the reader read of it, never its codes.
    if (stems[i].second.rfind("{\\rtf", 0) == 0) {
      EXPECT_EQ(shown.find(L"\\rtf"), String::npos) << StringToUtf8(shown.substr(0, 80));
      EXPECT_TRUE(view->GetMemoLoaded());
    }
    // Browsing, saving the record without an edit, and leaving the view write nothing.
    Data.Edit();
    Data.Post();
    EXPECT_EQ(StoredStem(static_cast<int>(i)), Bytes(stems[i].second));
    Data.Next();
  }
  view->Free();
  Pump();
}

TEST_F(DamageTest, MutatedStemsOfTheDemoBankNeverCrashTheView) {
  const TBankContent bank = ReadBankSources(HostPath(Utf8ToString(EXAMPREP_BANK_SOURCES)), 0);
  ASSERT_FALSE(bank.Questions.empty());
  const std::string stem = TextToRtf(bank.Questions.front().Stem);
  ShowHost();
  TRxRichEdit* edit = Place<TRxRichEdit>(TRect(10, 10, 480, 380));
  edit->HandleNeeded();
  std::mt19937 random(19);
  const char specials[] = {'{', '}', '\\', '\'', '\0', '\r', '\n', 'b', 'i', 'n', '9', '-'};
  int loaded = 0;
  for (int variant = 0; variant < 10000; ++variant) {
    std::string bytes = stem;
    const int edits = 1 + static_cast<int>(random() % 8);
    for (int k = 0; k < edits && !bytes.empty(); ++k) {
      const size_t at = random() % bytes.size();
      switch (random() % 4) {
        case 0: bytes[at] = static_cast<char>(random() & 0xFF); break;
        case 1: bytes.insert(at, 1, specials[random() % sizeof(specials)]); break;
        case 2: bytes.erase(at, 1 + random() % 16); break;
        default: bytes.resize(at); break;
      }
    }
    try {
      LoadRich(edit, bytes);
      ++loaded;
    } catch (const EOutOfResources&) {
      // A stream the window refused in both formats; the view shows it as such.
    }
    EXPECT_FALSE(edit->GetModified());
  }
  EXPECT_GT(loaded, 9000);
}

// A converter that reads its first stream and throws from then on.
class TFailingConversion : public TConversion {
 public:
  static inline bool Armed = false;
  int ConvertReadStream(TStream& stream, char* buffer, int bufSize) override {
    if (Armed) throw std::runtime_error("converter failed");
    return TConversion::ConvertReadStream(stream, buffer, bufSize);
  }
};

TEST_F(DamageTest, AConverterThatThrowsShowsTheFailureAndWritesNothing) {
  RegisterConversionFormat(L"failing", false, [] { return std::make_unique<TFailingConversion>(); });
  AddRow(1, TextToRtf(L"第一题"));
  AddRow(2, TextToRtf(L"第二题"));
  ShowHost();
  TRxDBRichEdit* view = OpenView();
  // Loading a file of that kind keeps its converter for the view's later streams.
  wchar_t folder[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, folder);
  const String file = String(folder) + L"rich_test.failing";
  {
    TFileStream out(file, fmCreate);
    const std::string rtf = TextToRtf(L"文件");
    out.WriteBuffer(rtf.data(), static_cast<int>(rtf.size()));
  }
  TFailingConversion::Armed = false;
  view->GetLines()->LoadFromFile(file);
  ::DeleteFileW(file.c_str());
  TFailingConversion::Armed = true;
  Data.Next();  // the exception stays inside the window's callback
  TFailingConversion::Armed = false;
  EXPECT_EQ(view->GetText(), L"(Failed to Load Stream)");
  EXPECT_FALSE(view->GetMemoLoaded());
  Data.Edit();
  Data.Post();
  EXPECT_EQ(StoredStem(1), Bytes(TextToRtf(L"第二题")));
}

// A converter whose first read fails; it reads the stream from then on.
class TFirstReadFails : public TConversion {
 public:
  int ConvertReadStream(TStream& stream, char* buffer, int bufSize) override {
    if (!FFailed) {
      FFailed = true;
      throw std::runtime_error("first read failed");
    }
    return TConversion::ConvertReadStream(stream, buffer, bufSize);
  }

 private:
  bool FFailed = false;
};

TEST_F(DamageTest, ADocumentReadAgainAsRichTextAfterAFailedPlainReadIsMarkedWhenDamaged) {
  ShowHost();
  TRxRichEdit* edit = Place<TRxRichEdit>(TRect(10, 10, 480, 380));
  edit->HandleNeeded();
  edit->SetDefaultConverter([] { return std::make_unique<TFirstReadFails>(); });
  edit->SetStreamFormat(sfPlainText);
  TRichEditStrings* lines = edit->GetRichLines();
  // Nested deeper than the window survives: the reading stops inside the document.
  const std::string damaged = "{\\rtf1 " + std::string(2000, '{') + "deep";
  LoadRich(edit, damaged);
  EXPECT_TRUE(lines->GetLoadDamaged());
  EXPECT_EQ(edit->GetText().find(L"\\rtf"), String::npos);
  lines->SetRaiseOnDamage(true);
  EXPECT_THROW(LoadRich(edit, damaged), EOutOfResources);
  // A whole document after the failed read is no damage.
  LoadRich(edit, TextToRtf(L"完好"));
  EXPECT_FALSE(lines->GetLoadDamaged());
  EXPECT_EQ(edit->GetText(), L"完好");
}

}  // namespace
}  // namespace rich_tests
