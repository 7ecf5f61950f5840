// The rich-text edit's right-to-left alignment, the version-1 paint and context-menu paths,
// and the converter it streams through when Lines has none of its own.
#include <gtest/gtest.h>

#include "RichEditTestSupport.h"
#include "classlib/controls/MiddleEast.h"

namespace rich_tests {
namespace {

// The window's paragraph alignment at the caret.
WORD WindowAlignment(TRxCustomRichEdit* edit) {
  PARAFORMAT2 format{};
  format.cbSize = sizeof(format);
  edit->Perform(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
  return format.wAlignment;
}

class RichBiDiTest : public RichViewTest {
 protected:
  void TearDown() override {
    SetSysMiddleEast(std::nullopt);
    SetRichEditSendsContextMenu(std::nullopt);
    RichViewTest::TearDown();
  }
};

TEST_F(RichBiDiTest, BiDiModeChangeSetsTheParagraphAlignmentMirroredRightToLeft) {
  SetSysMiddleEast(true);
  ShowHost();
  TRxRichEdit* edit = Place<TRxRichEdit>(TRect(10, 10, 300, 100));
  edit->GetLines()->SetText(L"مرحبا text");
  edit->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(WindowAlignment(edit), PFA_RIGHT);
  edit->SetBiDiMode(bdLeftToRight);
  EXPECT_EQ(WindowAlignment(edit), PFA_LEFT);
  edit->SetAlignment(taCenter);
  edit->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(WindowAlignment(edit), PFA_CENTER);
  // Without right-to-left support in the system the mode changes nothing.
  SetSysMiddleEast(false);
  edit->SetAlignment(taLeftJustify);
  edit->SetBiDiMode(bdRightToLeftNoAlign);
  edit->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(WindowAlignment(edit), PFA_LEFT);
}

TEST_F(RichBiDiTest, DataAwareViewMirrorsTextFieldsButNotNumbers) {
  SetSysMiddleEast(true);
  AddRow(1, TextToRtf(L"题干"));
  ShowHost();
  TRxDBRichEdit* stem = OpenView(TRect(10, 10, 300, 100));
  TRxDBRichEdit* number = Place<TRxDBRichEdit>(TRect(10, 110, 300, 200));
  number->SetDataSource(Source);
  number->SetDataField(L"id");
  Pump();
  stem->SetBiDiMode(bdRightToLeft);
  number->SetBiDiMode(bdRightToLeft);
  EXPECT_TRUE(stem->UseRightToLeftAlignment());
  EXPECT_FALSE(number->UseRightToLeftAlignment());
  EXPECT_EQ(WindowAlignment(stem), PFA_RIGHT);
  EXPECT_EQ(WindowAlignment(number), PFA_LEFT);
  // Unbound, the control's own rule.
  number->SetDataField(L"");
  EXPECT_TRUE(number->UseRightToLeftAlignment());
}

TEST_F(RichBiDiTest, RightButtonUpSendsTheContextMenuWhereTheWindowDoesNot) {
  ShowHost();
  TRxRichEdit* edit = Place<TRxRichEdit>(TRect(10, 10, 300, 100));
  edit->HandleNeeded();
  std::vector<TPoint> asked;
  edit->SetOnContextPopup([&](TObject*, TPoint at, bool& handled) {
    asked.push_back(at);
    handled = true;
  });
  auto rightClick = [&] {
    ::SendMessageW(edit->GetHandle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 15));
    ::SendMessageW(edit->GetHandle(), WM_RBUTTONUP, 0, MAKELPARAM(20, 15));
    Pump();
  };
  SetRichEditSendsContextMenu(true);
  rightClick();
  const size_t fromWindow = asked.size();
  SetRichEditSendsContextMenu(false);
  rightClick();
  ASSERT_EQ(asked.size(), 2 * fromWindow + 1);
  EXPECT_EQ(asked.back(), TPoint(20, 15));  // screen point back in the control's coordinates
}

TEST_F(RichBiDiTest, VersionOnePaintsOnceAndLeavesNothingToPaint) {
  const int saved = RichEditVersion;
  SetRichEditVersion(1);
  ShowHost();
  TRxRichEdit* edit = Place<TRxRichEdit>(TRect(10, 10, 300, 100));
  edit->GetFont()->SetColor(clBlue);
  LoadRich(edit, "{\\rtf1\\ansi WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW\\par}");
  ::InvalidateRect(edit->GetHandle(), nullptr, TRUE);
  ::UpdateWindow(edit->GetHandle());
  RECT left{};
  EXPECT_FALSE(::GetUpdateRect(edit->GetHandle(), &left, FALSE));
  SaveScreenshot(Host.get(), L"richedit_version1_paint");
  edit->Free();
  SetRichEditVersion(saved);
}

// Counts the bytes it moves.
class TCountingConversion : public TConversion {
 public:
  static inline int Read = 0;
  static inline int Written = 0;
  int ConvertReadStream(TStream& stream, char* buffer, int bufSize) override {
    const int count = TConversion::ConvertReadStream(stream, buffer, bufSize);
    Read += count;
    return count;
  }
  int ConvertWriteStream(TStream& stream, const char* buffer, int bufSize) override {
    const int count = TConversion::ConvertWriteStream(stream, buffer, bufSize);
    Written += count;
    return count;
  }
};

TEST_F(RichBiDiTest, StreamsGoThroughTheControlsDefaultConverter) {
  ShowHost();
  TRxRichEdit* edit = Place<TRxRichEdit>(TRect(10, 10, 300, 100));
  TRxRichEdit* other = Place<TRxRichEdit>(TRect(10, 110, 300, 200));
  edit->SetDefaultConverter([] { return std::make_unique<TCountingConversion>(); });
  TCountingConversion::Read = TCountingConversion::Written = 0;
  const std::string rtf = BoldRedRtf();
  LoadRich(edit, rtf);
  EXPECT_EQ(TCountingConversion::Read, static_cast<int>(rtf.size()));
  TMemoryStream out;
  edit->GetLines()->SaveToStream(out);
  EXPECT_EQ(TCountingConversion::Written, static_cast<int>(out.GetSize()));
  // Another control keeps the plain converter.
  LoadRich(other, rtf);
  EXPECT_EQ(TCountingConversion::Read, static_cast<int>(rtf.size()));
  EXPECT_EQ(other->GetLines()->Get(0), L"加粗 plain");
}

}  // namespace
}  // namespace rich_tests
