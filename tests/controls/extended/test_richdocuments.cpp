// Real documents cut short and with flipped bytes: the views keep what the rich reader read
// of them, never their RTF codes; undamaged documents load whole.
#include <gtest/gtest.h>

#include <random>

#include "RichDocuments.h"
#include "RichEditTestSupport.h"
#include "data/tools/BankSource.h"
#include "data/tools/HostPath.h"

namespace rich_tests {
namespace {

// Byte positions of an RTF document that are braces or text, not part of a control word,
// control symbol or \'hh escape: flipping one damages the structure or the text, as a bad
// sector or a bad copy does, without renaming a control word (a renamed \pict, say, makes
// its picture data text by the format's own rules).
std::vector<size_t> FlippablePositions(const std::string& rtf) {
  std::vector<size_t> positions;
  size_t i = 0;
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  while (i < rtf.size()) {
    const char c = rtf[i];
    if (c != '\\') {
      if (c != '\r' && c != '\n') positions.push_back(i);
      ++i;
      continue;
    }
    ++i;  // the backslash
    if (i < rtf.size() && rtf[i] == '\'') {
      i += 3;
    } else if (i < rtf.size() && letter(rtf[i])) {
      while (i < rtf.size() && letter(rtf[i])) ++i;
      if (i < rtf.size() && rtf[i] == '-') ++i;
      while (i < rtf.size() && digit(rtf[i])) ++i;
      if (i < rtf.size() && rtf[i] == ' ') ++i;
    } else {
      ++i;
    }
  }
  return positions;
}

struct TDamagedCopy {
  std::string Name;
  std::string Bytes;
  int FullLength;  // characters of the undamaged document in the view
  int Flips;       // bytes flipped (0 for a cut copy)
};

class DocumentDamageTest : public RichViewTest {
 protected:
  // The undamaged document's length in a view, checking that it loads whole.
  int LoadWhole(TRxRichEdit* edit, const std::string& bytes, const String& ending) {
    LoadRich(edit, bytes);
    EXPECT_FALSE(edit->GetRichLines()->GetLoadDamaged());
    const String text = edit->GetText();
    if (!ending.empty()) {
      EXPECT_NE(text.find(ending), String::npos) << StringToUtf8(text);
    }
    EXPECT_EQ(text.find(L"\\rtf"), String::npos);
    return edit->GetTextLength();
  }
};

TEST_F(DocumentDamageTest, CutAndFlippedDocumentsShowWhatTheReaderReadNeverTheirCodes) {
  ShowHost();
  TRxRichEdit* probe = Place<TRxRichEdit>(TRect(500, 10, 700, 200));
  probe->HandleNeeded();
  std::vector<TRichDocument> documents = RichDocuments();
  // Stems of the demo bank, as the program stores them.
  const TBankContent bank = ReadBankSources(HostPath(Utf8ToString(EXAMPREP_BANK_SOURCES)), 0);
  for (size_t q = 0; q < bank.Questions.size() && q < 60; q += 6)
    documents.push_back({"bank stem", TextToRtf(bank.Questions[q].Stem), L""});

  std::mt19937 random(41);
  std::vector<TDamagedCopy> copies;
  for (const TRichDocument& document : documents) {
    SCOPED_TRACE(document.Kind);
    const int full = LoadWhole(probe, document.Bytes, document.Ending);
    copies.push_back({std::string(document.Kind) + " cut", document.Bytes.substr(0, document.Bytes.size() / 2),
                      full, 0});
    const std::vector<size_t> flippable = FlippablePositions(document.Bytes);
    for (int copy = 0; copy < 8; ++copy) {
      std::string bytes = document.Bytes;
      const int flips = 1 + copy % 4;
      for (int k = 0; k < flips; ++k) {
        // The signature stays: a document that no longer starts as RTF is plain text.
        size_t at = flippable[random() % flippable.size()];
        if (at < 6) at = flippable.back();
        bytes[at] = static_cast<char>(bytes[at] ^ static_cast<char>(1 + random() % 255));
      }
      copies.push_back({std::string(document.Kind) + " flipped " + std::to_string(copy), bytes, full, flips});
    }
  }

  // Every cut copy loses the end of its groups: the reader reports it, the part stays.
  for (const TDamagedCopy& copy : copies) {
    if (copy.Flips) continue;
    SCOPED_TRACE(copy.Name);
    LoadRich(probe, copy.Bytes);
    EXPECT_TRUE(probe->GetRichLines()->GetLoadDamaged());
    EXPECT_GT(probe->GetTextLength(), 0);
    EXPECT_FALSE(probe->GetModified());
  }

  // The program's question view over a table of every copy.
  for (size_t i = 0; i < copies.size(); ++i) AddRow(static_cast<int>(i + 1), copies[i].Bytes);
  TRxDBRichEdit* view = OpenView();
  int damaged = 0;
  for (size_t i = 0; i < copies.size(); ++i) {
    SCOPED_TRACE(copies[i].Name);
    Pump();
    const String shown = view->GetText();
    EXPECT_TRUE(view->GetMemoLoaded());
    EXPECT_NE(shown.rfind(L"{\\rtf", 0), 0u) << StringToUtf8(shown.substr(0, 80));
    EXPECT_EQ(shown.find(L"\\rtf1"), String::npos);
    // A cut copy holds at most the whole text; a flipped byte adds at most a word or an
    // instruction that its group hid.
    EXPECT_LE(view->GetTextLength(), copies[i].FullLength + 64 * copies[i].Flips)
        << StringToUtf8(shown.substr(0, 200));
    if (view->GetRichLines()->GetLoadDamaged()) ++damaged;
    if (copies[i].Name == "picture cut") SaveScreenshot(Host.get(), L"rich_damaged_picture_cut");
    // Showing it wrote nothing back.
    Data.Edit();
    Data.Post();
    EXPECT_EQ(StoredStem(static_cast<int>(i)), Bytes(copies[i].Bytes));
    Data.Next();
  }
  EXPECT_GE(damaged, static_cast<int>(documents.size()));
}

TEST_F(DocumentDamageTest, ACallerThatAsksIsToldOfTheDamageAndKeepsThePart) {
  ShowHost();
  TRxRichEdit* edit = Place<TRxRichEdit>(TRect(10, 10, 400, 300));
  edit->HandleNeeded();
  const std::string document = RichDocuments()[1].Bytes;  // the picture
  LoadRich(edit, document);  // whole: no damage, no exception
  EXPECT_FALSE(edit->GetRichLines()->GetLoadDamaged());
  const int whole = edit->GetTextLength();
  const std::string cut = document.substr(0, document.size() * 3 / 4);  // in the picture
  edit->GetRichLines()->SetRaiseOnDamage(true);
  EXPECT_THROW(LoadRich(edit, cut), EOutOfResources);
  EXPECT_TRUE(edit->GetRichLines()->GetLoadDamaged());
  const String text = edit->GetText();
  EXPECT_EQ(text.rfind(L"资产评估应当遵循独立", 0), 0u);
  EXPECT_NE(text.find(L"图示如下 the figure below"), String::npos);
  EXPECT_LT(edit->GetTextLength(), whole);
  EXPECT_EQ(text.find(L"2800000020000000"), String::npos) << "the picture's hex is no text";
  // Plain text, and bytes that merely resemble RTF, still go in as text.
  edit->GetRichLines()->SetRaiseOnDamage(false);
  LoadRich(edit, "{\\rt not quite rich");
  EXPECT_EQ(edit->GetText(), L"{\\rt not quite rich");
  EXPECT_FALSE(edit->GetRichLines()->GetLoadDamaged());
}

}  // namespace
}  // namespace rich_tests
