// The Windows the program runs on: a simplified-Chinese one (code page 936), with a font for
// 宋体 and the system dialogs that has the Chinese characters, and the font of the frame's
// glyphs. A framed window with the program's font is saved as a screenshot to look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/StdLabels.h"
#include "tests/ScreenShots.h"

namespace {

int CALLBACK FoundFont(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FontInstalled(const wchar_t* face) {
  LOGFONTW font{};
  font.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  bool found = false;
  HDC dc = ::GetDC(nullptr);
  ::EnumFontFamiliesExW(dc, &font, &FoundFont, reinterpret_cast<LPARAM>(&found), 0);
  ::ReleaseDC(nullptr, dc);
  return found;
}

// True when the font CreateFont gives for face has a glyph of every character of text.
bool HasGlyphs(const wchar_t* face, int height, const String& text) {
  HFONT font = ::CreateFontW(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, face);
  HDC dc = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, font);
  std::vector<WORD> glyphs(text.size());
  const DWORD count = ::GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()),
                                         glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  ::DeleteObject(font);
  if (count != text.size()) return false;
  for (WORD glyph : glyphs)
    if (glyph == 0xFFFF) return false;
  return true;
}

TEST(ChineseWindows, CodePage936AndFontsForChineseTextAndTheFrame) {
  EXPECT_EQ(::GetACP(), 936u);
  EXPECT_TRUE(FontInstalled(L"Marlett")) << "the frame's close and minimise glyphs";
  for (const wchar_t* face : {L"宋体", L"SimSun", L"MS Shell Dlg"})
    EXPECT_TRUE(HasGlyphs(face, -14, L"无法连接数据库！确定")) << StringToUtf8(face);
}

// The ink of text drawn black on white in face at height: its bounding box, empty for none.
RECT InkOf(const wchar_t* face, int height, const String& text) {
  HDC dc = ::CreateCompatibleDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 64, -64, 1, 32, BI_RGB};
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
  HFONT font = ::CreateFontW(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, face);
  HGDIOBJ oldFont = ::SelectObject(dc, font);
  const RECT all{0, 0, 64, 64};
  ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  ::TextOutW(dc, 8, 8, text.c_str(), static_cast<int>(text.size()));
  ::GdiFlush();
  RECT ink{64, 64, 0, 0};
  const auto* pixels = static_cast<const uint32_t*>(bits);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      if ((pixels[y * 64 + x] & 0xFFFFFF) != 0xFFFFFF) {
        ink.left = std::min<LONG>(ink.left, x);
        ink.top = std::min<LONG>(ink.top, y);
        ink.right = std::max<LONG>(ink.right, x + 1);
        ink.bottom = std::max<LONG>(ink.bottom, y + 1);
      }
  ::SelectObject(dc, oldFont);
  ::SelectObject(dc, oldBitmap);
  ::DeleteObject(font);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  return ink;
}

TEST(ChineseWindows, ACharacterTheChineseFontLacksDrawsFromTheLinkedFont) {
  // The minus sign U+2212 is outside code page 936 and the Chinese font: drawn from the
  // linked font it is a short horizontal bar, where a missing glyph would be a box.
  for (const wchar_t* face : {L"宋体", L"SimSun"}) {
    SCOPED_TRACE(StringToUtf8(face));
    const RECT minus = InkOf(face, -12, L"\u2212");
    ASSERT_LT(minus.left, minus.right) << "something is drawn";
    EXPECT_LE(minus.bottom - minus.top, 2) << "a bar, not a box";
    EXPECT_GE(minus.right - minus.left, 4);
    // The Chinese text itself still comes from the Chinese font.
    EXPECT_TRUE(HasGlyphs(face, -12, L"净值"));
  }
}

TEST(ChineseWindows, AFramedWindowWithTheProgramsFont) {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  form->SetBorderStyle(bsSizeable);
  form->SetCaption(L"考试辅导系统");
  form->SetBounds(100, 100, 360, 160);
  form->GetFont()->SetName(L"宋体");
  form->GetFont()->SetHeight(-14);
  form->GetFont()->SetCharset(GB2312_CHARSET);
  auto* label = new TLabel(form.get());
  label->SetParent(form.get());
  label->SetBounds(16, 24, 320, 20);
  label->SetCaption(L"请等待... 无法连接数据库！确定 取消");
  form->Show();
  ::UpdateWindow(form->GetHandle());
  for (int i = 0; i < 20; ++i) {
    Application->ProcessMessages();
    ::Sleep(10);
  }
  EXPECT_TRUE(SaveWindowScreenshot(form->GetHandle(), L"chinese_framed_window"));
}

}  // namespace
