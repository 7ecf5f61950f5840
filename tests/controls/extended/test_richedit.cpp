// The rich-text edit as a real window: streams in and out, re-creation, attributes, links,
// selection, printing and the version-1 path.
#include <gtest/gtest.h>

#include "RichEditTestSupport.h"
#include "classlib/stdctrls/RichEditAttributes.h"

namespace rich_tests {
namespace {

class RichEditTest : public DBWindowTest {
 protected:
  TRxRichEdit* Make(const TRect& bounds = TRect(10, 10, 480, 380)) {
    TRxRichEdit* edit = Place<TRxRichEdit>(bounds);
    edit->HandleNeeded();
    return edit;
  }
  static void Load(TRxRichEdit* edit, const std::string& bytes) { LoadRich(edit, bytes); }
  static std::string Save(TRxRichEdit* edit) {
    TMemoryStream stream;
    edit->GetLines()->SaveToStream(stream);
    return std::string(static_cast<const char*>(stream.GetMemory()), static_cast<size_t>(stream.GetSize()));
  }
  static void Select(TRxRichEdit* edit, int start, int length) {
    edit->SetSelStart(start);
    edit->SetSelLength(length);
  }
};

TEST_F(RichEditTest, PlainGbkBytesShowAsChineseWithCrLfBreaks) {
  TRxRichEdit* edit = Make();
  Load(edit, Gbk(L"第一条 为了规范资产评估行为\n第二条\r本法所称资产评估"));
  ASSERT_EQ(edit->GetLines()->GetCount(), 3);
  EXPECT_EQ(edit->GetLines()->Get(0), L"第一条 为了规范资产评估行为");
  EXPECT_EQ(edit->GetLines()->Get(1), L"第二条");
  EXPECT_EQ(edit->GetLines()->Get(2), L"本法所称资产评估");
  // Saved as plain text it is GBK again, with CR LF breaks.
  edit->SetStreamFormat(sfPlainText);
  EXPECT_EQ(Save(edit), Gbk(L"第一条 为了规范资产评估行为\r\n第二条\r\n本法所称资产评估"));
}

TEST_F(RichEditTest, RtfRoundTripsThroughTheWindow) {
  TRxRichEdit* edit = Make();
  Load(edit, TextToRtf(L"甲乙丙\n第二段 {braces} \\slash"));
  const std::string saved = Save(edit);
  EXPECT_TRUE(ReadRtf(saved).Valid) << saved;
  TRxRichEdit* again = Make();
  Load(again, saved);
  EXPECT_EQ(again->GetLines()->GetText(), L"甲乙丙\r\n第二段 {braces} \\slash\r\n");
}

TEST_F(RichEditTest, RtfShowsItsRunsAndReCreationKeepsFormattingTextAndModified) {
  TRxRichEdit* edit = Make();
  Load(edit, BoldRedRtf());
  EXPECT_EQ(edit->GetLines()->GetCount(), 1);
  Select(edit, 4, 3);
  EXPECT_FALSE(edit->GetSelAttributes()->GetStyle().Contains(fsBold));
  EXPECT_EQ(edit->GetSelAttributes()->GetColor(), clWindowText);
  EXPECT_EQ(edit->GetSelAttributes()->GetSize(), 12);
  edit->SetModified(true);
  edit->SetSelectionBar(false);  // a new window
  edit->HandleNeeded();
  EXPECT_EQ(edit->GetLines()->Get(0), L"加粗 plain");
  EXPECT_TRUE(edit->GetModified());
  Select(edit, 0, 2);
  EXPECT_TRUE(edit->GetSelAttributes()->GetStyle().Contains(fsBold));
  EXPECT_EQ(edit->GetSelAttributes()->GetColor(), ColorFromInt(0x0000FF));
  edit->SetModified(false);
  edit->SetHideScrollBars(false);
  EXPECT_FALSE(edit->GetModified());
}

TEST_F(RichEditTest, PlainTextModeKeepsTheText) {
  TRxRichEdit* edit = Make();
  Load(edit, BoldRedRtf());
  edit->SetPlainText(true);
  EXPECT_EQ(edit->GetLines()->Get(0), L"加粗 plain");
  edit->SetPlainText(false);
  EXPECT_EQ(edit->GetLines()->Get(0), L"加粗 plain");
  // Switched while the window waits to be made again: the text, not the RTF source.
  edit->SetSelectionBar(!edit->GetSelectionBar());
  edit->SetPlainText(true);
  EXPECT_EQ(edit->GetLines()->Get(0), L"加粗 plain");
}

TEST_F(RichEditTest, CharacterAttributesReadBackAfterBeingSet) {
  TRxRichEdit* edit = Make();
  edit->GetLines()->SetText(L"abcdef");
  Select(edit, 0, 3);
  TRxTextAttributes* sel = edit->GetSelAttributes();
  sel->SetName(L"Courier New");
  sel->SetSize(18);
  sel->SetStyle(TFontStyles{fsItalic, fsUnderline});
  sel->SetColor(ColorFromInt(0x00FF00));
  EXPECT_EQ(sel->GetName(), L"Courier New");
  EXPECT_EQ(sel->GetSize(), 18);
  EXPECT_TRUE(sel->GetStyle().Contains(fsItalic));
  EXPECT_TRUE(sel->GetStyle().Contains(fsUnderline));
  EXPECT_FALSE(sel->GetStyle().Contains(fsBold));
  EXPECT_EQ(sel->GetColor(), ColorFromInt(0x00FF00));
  EXPECT_EQ(sel->GetCharset(), GB2312_CHARSET);
  sel->SetColor(clDefault);  // the automatic colour
  EXPECT_EQ(sel->GetColor(), clWindowText);
  // A face name keeps its terminator: at most 31 characters arrive.
  sel->SetName(String(40, L'x'));
  EXPECT_EQ(sel->GetName(), String(31, L'x'));
}

TEST_F(RichEditTest, AFontGivenByHeightAssignsItsSize) {
  TRxRichEdit* edit = Make();
  edit->GetLines()->SetText(L"abc");
  TFont font;
  font.SetName(L"Arial");
  font.SetHeight(-16);  // 12 points at 96 pixels per inch
  font.SetStyle(TFontStyles{fsBold});
  font.SetColor(clWindowText);
  Select(edit, 0, 3);
  edit->GetSelAttributes()->Assign(&font);
  EXPECT_EQ(edit->GetSelAttributes()->GetSize(), 12);
  EXPECT_TRUE(edit->GetSelAttributes()->GetStyle().Contains(fsBold));
  EXPECT_EQ(edit->GetSelAttributes()->GetColor(), clWindowText);
  font.SetHeight(16);  // a cell height: a positive height gives a negative size
  edit->GetSelAttributes()->Assign(&font);
  EXPECT_GT(edit->GetSelAttributes()->GetSize(), 0);
}

TEST_F(RichEditTest, ParagraphAttributesReadBackAndTabsCountTheirIndex) {
  TRxRichEdit* edit = Make();
  edit->GetLines()->SetText(L"one\rtwo");
  Select(edit, 0, 1);
  TRxParaAttributes* paragraph = edit->GetParagraph();
  paragraph->SetAlignment(paCentered);
  paragraph->SetFirstIndent(10);
  paragraph->SetRightIndent(5);
  EXPECT_EQ(paragraph->GetAlignment(), paCentered);
  EXPECT_EQ(paragraph->GetFirstIndent(), 10);
  EXPECT_EQ(paragraph->GetRightIndent(), 5);
  paragraph->SetNumbering(nsBullet);
  EXPECT_EQ(paragraph->GetNumbering(), nsBullet);
  EXPECT_GE(paragraph->GetLeftIndent(), 10);
  paragraph->SetTab(2, 36);
  EXPECT_EQ(paragraph->GetTabCount(), 3);
  EXPECT_EQ(paragraph->GetTab(2), 36);
  EXPECT_THROW(paragraph->SetTab(32, 1), ERangeError);
  EXPECT_THROW(paragraph->SetTab(-1, 1), ERangeError);
  EXPECT_THROW(paragraph->GetTab(32), ERangeError);
}

// The class library's attribute objects, here on a second rich-text window, both ways.
TEST_F(RichEditTest, AttributesConvertToAndFromTheClassLibrarysObjects) {
  ShowHost();
  TRxRichEdit* edit = Make(TRect(10, 10, 240, 380));
  TRxRichEdit* other = Make(TRect(250, 10, 480, 380));
  edit->GetLines()->SetText(L"one\rtwo");
  other->GetLines()->SetText(L"xyz");
  Select(edit, 0, 3);
  Select(other, 0, 3);
  TRxTextAttributes* sel = edit->GetSelAttributes();
  TTextAttributes text(other, TTextAttributeType::atSelected);
  sel->SetName(L"Courier New");
  sel->SetStyle(TFontStyles{fsBold});
  sel->SetColor(clWindowText);
  sel->SetCharset(GB2312_CHARSET);
  text.Assign(sel);
  EXPECT_EQ(text.GetName(), L"Courier New");
  EXPECT_EQ(text.GetStyle(), TFontStyles{fsBold});
  EXPECT_EQ(text.GetColor(), clWindowText) << "bold in the automatic colour";
  text.SetName(L"Arial");
  text.SetStyle(TFontStyles{fsUnderline});
  text.SetColor(clRed);
  sel->Assign(&text);
  EXPECT_EQ(sel->GetName(), L"Arial");
  EXPECT_EQ(sel->GetStyle(), TFontStyles{fsUnderline});
  EXPECT_EQ(sel->GetColor(), clRed);
  CHARFORMAT2W courier{};
  courier.cbSize = sizeof(courier);
  courier.dwMask = CFM_FACE;
  courier.bPitchAndFamily = FIXED_PITCH | FF_MODERN;
  wcscpy(courier.szFaceName, L"Courier New");
  edit->Perform(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&courier));
  EXPECT_EQ(sel->GetPitch(), fpFixed) << "the pitch bits beside the family's";

  TRxParaAttributes* paragraph = edit->GetParagraph();
  TParaAttributes para(other);
  paragraph->SetAlignment(paJustify);
  paragraph->SetNumbering(nsArabicNumbers);
  paragraph->SetFirstIndent(6);
  paragraph->SetLeftIndent(20);
  paragraph->SetRightIndent(5);
  paragraph->SetTab(1, 72);
  para.Assign(paragraph);
  EXPECT_EQ(para.GetAlignment(), taLeftJustify) << "justified becomes left";
  EXPECT_EQ(para.GetNumbering(), TNumberingStyle::nsBullet);
  EXPECT_EQ(para.GetFirstIndent(), 6);
  EXPECT_EQ(para.GetLeftIndent(), 20);
  EXPECT_EQ(para.GetRightIndent(), 5);
  EXPECT_EQ(para.GetTabCount(), 2);
  para.SetAlignment(taCenter);
  para.SetNumbering(TNumberingStyle::nsNone);
  para.SetFirstIndent(8);
  para.SetLeftIndent(15);
  para.SetRightIndent(3);
  para.SetTabCount(1);
  paragraph->Assign(&para);
  EXPECT_EQ(paragraph->GetAlignment(), paCentered);
  EXPECT_EQ(paragraph->GetNumbering(), nsNone);
  EXPECT_EQ(paragraph->GetFirstIndent(), 8);
  EXPECT_EQ(paragraph->GetLeftIndent(), 15) << "no numbering keeps the source's indent";
  EXPECT_EQ(paragraph->GetRightIndent(), 3);
  EXPECT_EQ(paragraph->GetTabCount(), 1) << "only the source's stops";
  SaveScreenshot(Host.get(), L"richedit_attributes_converted");
}

TEST_F(RichEditTest, EveryNumberingStyleRoundTripsThroughTheWindow) {
  TRxRichEdit* edit = Make();
  edit->GetLines()->SetText(L"p0\rp1\rp2\rp3\rp4\rp5\rp6");
  TRxParaAttributes* paragraph = edit->GetParagraph();
  const TRxNumbering styles[] = {nsNone,         nsBullet,       nsArabicNumbers, nsLoCaseLetter,
                                 nsUpCaseLetter, nsLoCaseRoman, nsUpCaseRoman};
  // Each paragraph its own style, set in one order and read back in another.
  for (int line = 6; line >= 0; --line) {
    Select(edit, edit->Perform(EM_LINEINDEX, line, 0), 0);
    paragraph->SetNumbering(styles[line]);
  }
  for (int line = 0; line < 7; ++line) {
    SCOPED_TRACE(line);
    Select(edit, edit->Perform(EM_LINEINDEX, line, 0), 0);
    EXPECT_EQ(paragraph->GetNumbering(), styles[line]);
    EXPECT_EQ(paragraph->GetLeftIndent(), line == 0 ? 0 : 10);
  }
  // A style the type does not name reads as numbered, not as none.
  PARAFORMAT2 format{};
  format.cbSize = sizeof(format);
  format.dwMask = PFM_NUMBERING;
  format.wNumbering = 7;
  Select(edit, 0, 0);
  edit->Perform(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
  edit->Perform(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
  if (format.wNumbering == 7) {
    EXPECT_EQ(paragraph->GetNumbering(), nsBullet);
  }

  // Version 1 knows bullets only: any numbering goes in and reads back as a bullet.
  const int saved = RichEditVersion;
  SetRichEditVersion(1);
  TRxRichEdit* old = Make(TRect(10, 400, 200, 450));
  old->GetLines()->SetText(L"one");
  old->GetParagraph()->SetNumbering(nsUpCaseRoman);
  PARAFORMAT sent{};
  sent.cbSize = sizeof(sent);
  old->Perform(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&sent));
  EXPECT_EQ(sent.wNumbering, PFN_BULLET);
  EXPECT_EQ(old->GetParagraph()->GetNumbering(), nsBullet);
  old->Free();
  SetRichEditVersion(saved);
}

TEST_F(RichEditTest, SelectAllGivesTheTextLengthAndRangesAreClamped) {
  TRxRichEdit* edit = Make();
  edit->SelectAll();
  EXPECT_EQ(edit->GetSelLength(), 0);
  edit->GetLines()->SetText(L"资产评估\r\nabc");
  edit->SelectAll();
  EXPECT_EQ(edit->GetSelLength(), edit->GetTextLength());
  EXPECT_EQ(edit->GetSelLength(), 8);  // a paragraph break counts one
  EXPECT_EQ(edit->GetTextRange(5, 2), L"abc");    // an end before the start: to the end
  EXPECT_EQ(edit->GetTextRange(5, -1), L"abc");
  EXPECT_EQ(edit->GetTextRange(-3, 2), L"资产");
  EXPECT_EQ(edit->GetTextRange(100, 200), L"");
  Select(edit, 1, 2);
  EXPECT_EQ(edit->GetSelText(), L"产评");
  wchar_t buffer[2] = {};
  EXPECT_EQ(edit->GetSelTextBuf(buffer, 2), 1);
  EXPECT_EQ(String(buffer), L"产");
}

TEST_F(RichEditTest, ReplacingTheSelectionSelectsTheReplacementAndScrollsToIt) {
  TRxRichEdit* edit = Make(TRect(10, 10, 300, 80));
  String text;
  for (int line = 0; line < 40; ++line) text += L"第" + std::to_wstring(line) + L"行\r\n";
  edit->GetLines()->SetText(text);
  Select(edit, 1, 1);
  edit->SetSelText(L"新\r\n段");
  EXPECT_EQ(edit->GetSelStart(), 1);
  EXPECT_EQ(edit->GetSelText(), L"新\r段") << "a CR LF becomes one paragraph mark";
  // Far below the lines shown, the replacement is scrolled into view.
  ASSERT_EQ(edit->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  const int end = edit->GetTextLength();
  edit->SetSelStart(end);
  edit->SetSelText(L"末尾");
  EXPECT_EQ(edit->GetSelStart(), end);
  EXPECT_EQ(edit->GetSelText(), L"末尾");
  EXPECT_GT(edit->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), 30);
}

// SelLength counts from SelStart: a negative one selects backwards, not past the start.
TEST_F(RichEditTest, ANegativeSelLengthSelectsBackwards) {
  TRxRichEdit* edit = Make();
  edit->GetLines()->SetText(L"abcdef");
  Select(edit, 4, -2);
  EXPECT_EQ(edit->GetSelStart(), 2);
  EXPECT_EQ(edit->GetSelText(), L"cd");
  Select(edit, 2, -9);
  EXPECT_EQ(edit->GetSelText(), L"ab") << "stops at the start";
}

TEST_F(RichEditTest, LinesInsertPutAndDelete) {
  TRxRichEdit* edit = Make();
  TStrings* lines = edit->GetLines();
  lines->SetText(L"a\r\nb");
  lines->Insert(1, L"x");
  lines->Insert(3, L"end");
  lines->Put(0, L"A");
  lines->Delete(1);
  ASSERT_EQ(lines->GetCount(), 3);
  EXPECT_EQ(lines->Get(0), L"A");
  EXPECT_EQ(lines->Get(1), L"b");
  EXPECT_EQ(lines->Get(2), L"end");
  // A line longer than any fixed buffer comes back whole.
  edit->SetWordWrap(false);
  edit->HandleNeeded();
  lines->SetText(String(6000, L'长'));
  EXPECT_EQ(lines->Get(0).size(), 6000u);
  // The end of an update reports the change also while the control is hidden, and leaves
  // it hidden.
  int changes = 0;
  edit->SetOnChange([&changes](TObject*) { ++changes; });
  edit->SetVisible(false);
  lines->BeginUpdate();
  lines->EndUpdate();
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(::IsWindowVisible(edit->GetHandle()));
}

TEST_F(RichEditTest, LinksFireOnUrlClickForTheSameButtonAndRange) {
  ShowHost();
  TRxRichEdit* edit = Make();
  edit->GetLines()->SetText(L"see http://example.com/rule now");
  Pump();
  std::vector<String> clicked;
  edit->OnURLClick = [&](TObject*, const String& url, TMouseButton button) {
    if (button == mbLeft) clicked.push_back(url);
  };
  auto link = [&](UINT msg, LONG start, LONG end) {
    ENLINK info{};
    info.nmhdr.hwndFrom = edit->GetHandle();
    info.nmhdr.idFrom = 0;
    info.nmhdr.code = EN_LINK;
    info.msg = msg;
    info.chrg = CHARRANGE{start, end};
    ::SendMessageW(Host->GetHandle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
  };
  // A real click on the link: the window reports it when it detects links.
  POINTL at{};
  ::SendMessageW(edit->GetHandle(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), 8);
  ::SendMessageW(edit->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x + 2, at.y + 4));
  ::SendMessageW(edit->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(at.x + 2, at.y + 4));
  Pump();
  ASSERT_EQ(clicked.size(), 1u);
  EXPECT_EQ(clicked[0], L"http://example.com/rule");
  // A press on one range and a release on another fires nothing.
  clicked.clear();
  link(WM_RBUTTONDOWN, 4, 27);
  link(WM_RBUTTONUP, 0, 3);
  link(WM_LBUTTONUP, 4, 27);
  EXPECT_TRUE(clicked.empty());
  SaveScreenshot(Host.get(), L"richedit_link");
}

TEST_F(RichEditTest, ProtectedTextIsRefusedWithoutAHandler) {
  TRxRichEdit* edit = Make();
  ENPROTECTED info{};
  info.nmhdr.hwndFrom = edit->GetHandle();
  info.nmhdr.code = EN_PROTECTED;
  info.chrg = CHARRANGE{0, 1};
  EXPECT_EQ(::SendMessageW(Host->GetHandle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info)), 1);
  edit->OnProtectChange = [](TObject*, int, int, bool& allow) { allow = true; };
  EXPECT_EQ(::SendMessageW(Host->GetHandle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info)), 0);
}

TEST_F(RichEditTest, PrintingEndsOnATinyPageAndPrintsShortTextOnOne) {
  TRxRichEdit* edit = Make();
  edit->GetLines()->SetText(L"第一行\r第二行\r第三行");
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 800, 1000);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  int newPages = 0;
  EXPECT_EQ(edit->PrintOnDevice(dc, RECT{0, 0, 11000, 14000}, [&] { ++newPages; }), 1);
  EXPECT_EQ(newPages, 0);
  // A page too small for a line takes no text: printing stops instead of going on forever.
  newPages = 0;
  const int pages = edit->PrintOnDevice(dc, RECT{0, 0, 20, 20}, [&] { ++newPages; });
  EXPECT_LE(pages, 12);
  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
  // The page in twips, whole twips rounded down: 1002 pixels at 600 per inch are 2404.8.
  const RECT whole = PrintPageTwips(TRect(), 1002, 1000, 600, 600);
  EXPECT_EQ(whole.right, 2404);
  EXPECT_EQ(whole.bottom, 2400);
  const RECT part = PrintPageTwips(TRect(10, 10, 1002, 500), 5000, 7000, 600, 600);
  EXPECT_EQ(part.left, 24);
  EXPECT_EQ(part.right, 2404);
  EXPECT_EQ(part.bottom, 1200);
}

TEST_F(RichEditTest, VersionOneUsesItsOwnClassAndRecordSizes) {
  EXPECT_EQ(CharFormatSize(1), sizeof(CHARFORMATW));
  EXPECT_EQ(ParaFormatSize(1), sizeof(PARAFORMAT));
  EXPECT_EQ(RichEditEventMask(1) & ENM_LINK, 0u);
  EXPECT_EQ(RichEditEventMask(2) & ENM_LINK, static_cast<DWORD>(ENM_LINK));
  // Without riched20 the choice is riched32 and version 1.
  const TRichEditLibrary library = ChooseRichEditLibrary([](const wchar_t* name) -> HMODULE {
    return String(name) == L"RICHED32.DLL" ? ::GetModuleHandleW(nullptr) : nullptr;
  });
  EXPECT_EQ(library.Version, 1);
  EXPECT_EQ(ChooseRichEditLibrary([](const wchar_t*) -> HMODULE { return nullptr; }).Handle, nullptr);

  const int saved = RichEditVersion;
  SetRichEditVersion(1);
  TRxRichEdit* edit = Make();
  wchar_t name[64] = {};
  ::GetClassNameW(edit->GetHandle(), name, 64);
  EXPECT_EQ(String(name), L"TRxRichEdit.1");
  // The version-1 class is a byte-text class: its lines reach us through the process code page.
  Load(edit, "{\\rtf1\\ansi {\\b bold} plain\\par}");
  EXPECT_EQ(edit->GetLines()->Get(0), L"bold plain");
  edit->GetLines()->Insert(1, L"second");
  EXPECT_EQ(edit->GetLines()->Get(1), L"second");
  Select(edit, 0, 2);
  EXPECT_TRUE(edit->GetSelAttributes()->GetStyle().Contains(fsBold));
  edit->Free();
  SetRichEditVersion(saved);
}

TEST_F(RichEditTest, MaxLengthZeroMeansTheLargestLimit) {
  TRxRichEdit* edit = Make();
  edit->SetMaxLength(0);
  EXPECT_EQ(::SendMessageW(edit->GetHandle(), EM_GETLIMITTEXT, 0, 0), 0xFFFFFF);
  edit->SetMaxLength(5);
  EXPECT_EQ(::SendMessageW(edit->GetHandle(), EM_GETLIMITTEXT, 0, 0), 5);
}

TEST_F(RichEditTest, ConverterRegistryChoosesTheFormatByExtension) {
  TRxRichEdit* edit = Make();
  wchar_t folder[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, folder);
  const String text = String(folder) + L"rich_test.TXT";
  const String rich = String(folder) + L"rich_test.rtf";
  edit->GetLines()->SetText(L"中文 text");
  edit->GetLines()->SaveToFile(text);
  edit->GetLines()->SaveToFile(rich);
  edit->Clear();
  edit->GetLines()->LoadFromFile(text);
  EXPECT_EQ(edit->GetLines()->Get(0), L"中文 text");
  edit->Clear();
  edit->GetLines()->LoadFromFile(rich);
  EXPECT_EQ(edit->GetLines()->Get(0), L"中文 text");
  ::DeleteFileW(text.c_str());
  ::DeleteFileW(rich.c_str());
  EXPECT_THROW(edit->GetLines()->LoadFromFile(String(folder) + L"no_such_file.rtf"), Exception);
}

}  // namespace
}  // namespace rich_tests
