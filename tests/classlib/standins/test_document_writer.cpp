// The document writer: the RTF it builds, read back by the system's Rich Edit control.
#include <gtest/gtest.h>

#include <richedit.h>
#include "classlib/standins/DocumentWriter.h"
#include "classlib/system/SysExceptions.h"
#include "classlib/system/SysFiles.h"

namespace {

struct TRtfSource {
  const std::string* Text;
  size_t Pos;
};

DWORD CALLBACK ReadSource(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
  auto* source = reinterpret_cast<TRtfSource*>(cookie);
  const size_t n = std::min(size_t(size), source->Text->size() - source->Pos);
  memcpy(buffer, source->Text->data() + source->Pos, n);
  source->Pos += n;
  *read = LONG(n);
  return 0;
}

DWORD CALLBACK WriteSink(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* written) {
  reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer), size_t(size));
  *written = size;
  return 0;
}

// A hidden Rich Edit control of the system.
class RichEdit {
 public:
  RichEdit() {
    FLibrary = ::LoadLibraryW(L"riched20.dll");
    FEdit = ::CreateWindowExW(0, L"RichEdit20W", L"", WS_POPUP | ES_MULTILINE, 0, 0, 400, 300, nullptr, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
  }
  ~RichEdit() {
    ::DestroyWindow(FEdit);
    ::FreeLibrary(FLibrary);
  }
  // The plain text the control shows for rtf, paragraphs as "\n".
  String TextOf(const std::string& rtf) {
    TRtfSource source{&rtf, 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadSource;
    ::SendMessageW(FEdit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    const int length = ::GetWindowTextLengthW(FEdit);
    String shown(size_t(length) + 1, L'\0');
    ::GetWindowTextW(FEdit, shown.data(), length + 1);
    shown.resize(size_t(length));
    String out;
    for (size_t i = 0; i < shown.size(); ++i) {
      if (shown[i] == L'\f') {
        out += L'\n';  // a page break, as some versions of the control show it
      } else if (shown[i] == L'\r') {
        out += L'\n';
        if (i + 1 < shown.size() && shown[i + 1] == L'\n') ++i;
      } else {
        out += shown[i];
      }
    }
    return out;
  }
  // The control's own RTF of a text in a font, bold and red.
  std::string FragmentOf(const String& text, const String& font) {
    ::SetWindowTextW(FEdit, text.c_str());
    ::SendMessageW(FEdit, EM_SETSEL, 0, -1);
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_FACE | CFM_BOLD | CFM_COLOR | CFM_CHARSET;
    format.dwEffects = CFE_BOLD;
    format.crTextColor = RGB(255, 0, 0);
    format.bCharSet = GB2312_CHARSET;
    wcsncpy(format.szFaceName, font.c_str(), LF_FACESIZE - 1);
    ::SendMessageW(FEdit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    std::string rtf;
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&rtf);
    stream.pfnCallback = WriteSink;
    ::SendMessageW(FEdit, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    return rtf;
  }

 private:
  HMODULE FLibrary = nullptr;
  HWND FEdit = nullptr;
};

// Empties the clipboard and leaves the bytes there in the format.
bool PutOnClipboard(UINT format, const void* bytes, size_t size) {
  if (!::OpenClipboard(nullptr)) return false;
  ::EmptyClipboard();
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
  memcpy(::GlobalLock(memory), bytes, size);
  ::GlobalUnlock(memory);
  ::SetClipboardData(format, memory);
  return ::CloseClipboard();
}

TEST(DocumentWriter, TypedTextParagraphsAndBreaksReadBack) {
  TDocumentWriter writer;
  writer.SetVisible(true);
  writer.SetFontName(L"黑体");
  writer.SetFontSize(16);
  writer.SetBold(true);
  writer.TypeText(L"一、单项选择题[共60题，每题1分，总计60分]");
  writer.TypeParagraph();
  writer.SetBold(false);
  writer.SetFontSize(10);
  writer.TypeText(L"1、{braces} and \\backslash 한");
  writer.TypeParagraph();
  writer.InsertBreak();
  writer.TypeText(L"答案：");
  const std::string rtf = writer.Rtf();
  EXPECT_EQ(0u, rtf.find("{\\rtf1\\ansi\\ansicpg936"));
  EXPECT_NE(std::string::npos, rtf.find("\\page"));
  EXPECT_NE(std::string::npos, rtf.find("\\fs32\\b "));
  EXPECT_NE(std::string::npos, rtf.find("\\{braces\\} and \\\\backslash \\u-10916?"))
      << "outside the code page by number";
  EXPECT_NE(std::string::npos, rtf.find("1\\'a1\\'a2")) << "1、 in the code page";
  RichEdit edit;
  EXPECT_EQ(StringToUtf8(L"一、单项选择题[共60题，每题1分，总计60分]\n1、{braces} and \\backslash 한\n\n答案："),
            StringToUtf8(edit.TextOf(rtf)));
}

TEST(DocumentWriter, PastedFragmentsKeepTheirFontsAndColours) {
  RichEdit edit;
  const std::string first = edit.FragmentOf(L"题干甲", L"楷体");
  const std::string second = edit.FragmentOf(L"题干乙", L"Arial");
  ASSERT_EQ(0u, first.find("{\\rtf"));
  TDocumentWriter writer;
  writer.TypeText(L"1、");
  writer.PasteRtf(first);
  writer.TypeParagraph();
  writer.TypeText(L"2、");
  writer.PasteRtf(second);
  writer.TypeParagraph();
  const std::string rtf = writer.Rtf();
  // One document header, one font table with both fragments' fonts, red once.
  EXPECT_EQ(rtf.find("\\rtf1"), rtf.rfind("\\rtf1"));
  EXPECT_EQ(rtf.find("\\fonttbl"), rtf.rfind("\\fonttbl"));
  EXPECT_EQ(rtf.find("\\red255\\green0\\blue0"), rtf.rfind("\\red255\\green0\\blue0"));
  EXPECT_NE(std::string::npos, rtf.find("Arial"));
  EXPECT_NE(std::string::npos, rtf.find("\\cf1 ")) << "the fragments' red is the document's colour 1";
  EXPECT_EQ(std::string::npos, rtf.find("generator"));
  EXPECT_EQ(StringToUtf8(L"1、题干甲\n2、题干乙"), StringToUtf8(edit.TextOf(rtf)));
  // Left beside the test for a reader that is not ours (test_document_unrtf).
  wchar_t exe[MAX_PATH + 1] = {};
  ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
  writer.SaveToFile(ExtractFilePath(exe) + L"writer_sample.rtf");
}

TEST(DocumentWriter, CursorKeysClipboardAndBadInput) {
  TDocumentWriter writer;
  writer.TypeText(L"后");
  writer.HomeKey();
  writer.TypeText(L"前");
  writer.EndKey();
  writer.TypeText(L"末");
  RichEdit edit;
  EXPECT_EQ(StringToUtf8(L"前后末"), StringToUtf8(edit.TextOf(writer.Rtf())));
  EXPECT_THROW(writer.PasteRtf("plain text"), EConvertError);

  // The clipboard's rich text, else its plain text.
  const std::string fragment = edit.FragmentOf(L"剪贴板", L"宋体");
  ASSERT_TRUE(PutOnClipboard(::RegisterClipboardFormatW(L"Rich Text Format"), fragment.c_str(),
                             fragment.size() + 1));
  TDocumentWriter pasted;
  pasted.Paste();
  const String plain = L"纯文本";
  ASSERT_TRUE(PutOnClipboard(CF_UNICODETEXT, plain.c_str(), (plain.size() + 1) * sizeof(wchar_t)));
  pasted.Paste();
  EXPECT_EQ(StringToUtf8(L"剪贴板纯文本"), StringToUtf8(edit.TextOf(pasted.Rtf())));

  // Saved and opened; a file that cannot be written raises.
  String opened;
  pasted.Opener = [&](const String& file) { opened = file; };
  wchar_t folder[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, folder);
  const String file = String(folder) + L"writer_test.rtf";
  pasted.Open(file);
  EXPECT_EQ(file, opened);
  EXPECT_TRUE(FileExists(file));
  ::DeleteFileW(file.c_str());
  EXPECT_THROW(pasted.SaveToFile(String(folder) + L"no such folder\\x.rtf"), EFCreateError);
}

}  // namespace
