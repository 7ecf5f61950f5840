// Test support for the rich-text views: a host window with a data source over an in-memory
// table whose "stem" column is a blob, the stems as RTF and as GBK bytes, loading bytes into
// a view, and screenshots of windows saved under the build folder.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ExtendedTestSupport.h"
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

// Saves what the window shows (with its children), redrawn, as screenshots/<name>.bmp.
inline void SaveScreenshot(TWinControl* window, const String& name) {
  if (!window->HandleAllocated()) return;
  ::RedrawWindow(window->GetHandle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  ::Sleep(50);
  Pump();
  extended_tests::SaveScreenshot(window->GetHandle(), StringToUtf8(name).c_str());
}

// Loads the bytes into a rich-text view as a file of them would be.
template <class TView>
void LoadRich(TView* edit, const std::string& bytes) {
  TMemoryStream stream;
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SetPosition(0);
  edit->GetLines()->LoadFromStream(stream);
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
