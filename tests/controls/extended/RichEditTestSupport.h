// Test support for the rich-text views: a host window with a data source over an in-memory
// table whose "stem" column is a blob, the stems as RTF and as GBK bytes, and screenshots of
// windows saved under the build folder.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "controls/extended/DBRichEd.h"
#include "controls/extended/RxRichEd.h"
#include "data/tools/Rtf.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/system/SysString.h"
#include "tests/classlib/db/DBWindowTestSupport.h"

namespace rich_tests {

using db_window_tests::DBWindowTest;
using db_window_tests::WindowReadOnly;
using grid_tests::Pump;

inline TBytes Bytes(const std::string& text) { return TBytes(text.begin(), text.end()); }
inline std::string Gbk(const String& text) { return StringToCp936(text); }

// A short RTF document: "加粗" bold in red, then " plain" in the automatic colour.
inline std::string BoldRedRtf() {
  return "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}"
         "{\\colortbl ;\\red255\\green0\\blue0;}"
         "\\f0\\fs24\\cf1\\b \\'bc\\'d3\\'b4\\'d6\\cf0\\b0  plain\\par}";
}

// Saves what the window shows (with its children) as a BMP under the build folder's
// "screenshots" folder; the file name is name + ".bmp".
inline void SaveScreenshot(TWinControl* window, const String& name) {
  if (!window->HandleAllocated()) return;
  ::RedrawWindow(window->GetHandle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  ::Sleep(50);
  Pump();
  RECT rect{};
  ::GetWindowRect(window->GetHandle(), &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  ::SelectObject(memory, old);
  ::GdiFlush();
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  String folder(path);
  folder = folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"screenshots";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  const String file = folder + L"\\" + name + L".bmp";
  const int stride = ((width * 3 + 3) / 4) * 4;
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  header.bfSize = header.bfOffBits + static_cast<DWORD>(stride * height);
  HANDLE out = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    ::WriteFile(out, &header, sizeof(header), &written, nullptr);
    ::WriteFile(out, &info.bmiHeader, sizeof(info.bmiHeader), &written, nullptr);
    ::WriteFile(out, bits, static_cast<DWORD>(stride * height), &written, nullptr);
    ::CloseHandle(out);
  }
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
}

// A host with a table of id (integer), stem (blob) and title (string), and a data-aware view
// of the stem.
class RichViewTest : public DBWindowTest {
 protected:
  void SetUp() override {
    DBWindowTest::SetUp();
    Data.Backing = std::make_shared<TClientRows>();
    Data.Backing->AddColumn(Column(L"id", ftInteger));
    Data.Backing->AddColumn(Column(L"stem", ftBlob));
    Data.Backing->AddColumn(Column(L"title", ftString, 40));
  }
  void AddRow(int id, const std::string& stem, const String& title = L"t") {
    Data.Backing->AddRow({id, Variant(Bytes(stem)), title});
  }
  TRxDBRichEdit* OpenView(const TRect& bounds = TRect(10, 10, 480, 380)) {
    Data.Open();
    TRxDBRichEdit* view = Place<TRxDBRichEdit>(bounds);
    view->SetDataSource(Source);
    view->SetDataField(L"stem");
    return view;
  }
  TBytes StoredStem(int row) {
    return *Data.Backing->GetRow(row).Values[1].BytesPtr();
  }
};

}  // namespace rich_tests
