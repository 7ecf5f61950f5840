// What the rich-text view adds to the system Rich Edit control's own work when a record's
// text is shown.
//
// Makes a document of about 1 MB twice: as RTF (paragraphs of Chinese text as \'xx escapes
// with bold and coloured runs, as the bank stores stems) and as plain GBK text. Each is stored
// in a blob field of an in-memory data set; the timed work binds the data-aware view to that
// field, so that it loads the field through its lines (the field's bytes, the stream reader,
// EM_STREAMIN). Against it: the same bytes handed straight to a Rich Edit window with
// EM_STREAMIN and a callback that copies them (plain text as SF_TEXT, which the window decodes
// itself), both into a window made directly with the view's class, styles and default font
// ("direct") and into the rich edit's own window ("window", which adds the settings the control
// gives its window). Every run loads into a window, control or view made for it, empty, the
// only one of them that exists then. Each is timed in turns with the direct load (direct,
// other, direct, other …). Prints the best and the median of N runs (default 9) and the median
// of the pairs' ratios of each to the direct load. Needs a display. Usage: bench_richedit [runs].
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "classlib/forms/Forms.h"
#include "controls/extended/DBRichEd.h"
#include "BenchTiming.h"

namespace {

constexpr int kDefaultRuns = 9;
constexpr int kMaxRuns = 100;
constexpr size_t kDocumentSize = 1 << 20;

// A data set over rows made in memory.
class TMemoryRows : public TDataSet {
  CLASSLIB_CLASS(TMemoryRows, TDataSet)
  explicit TMemoryRows(const std::string& content) : TDataSet(nullptr), FContent(content) {}
  ~TMemoryRows() override {
    Destroying();
    Close();
  }

 protected:
  std::shared_ptr<TClientRows> InternalOpenRows() override {
    auto rows = std::make_shared<TClientRows>();
    TColumnInfo id;
    id.Name = L"id";
    id.DataType = ftInteger;
    rows->AddColumn(id);
    TColumnInfo stem;
    stem.Name = L"stem";
    stem.DataType = ftBlob;
    rows->AddColumn(stem);
    const TBytes bytes(FContent.begin(), FContent.end());
    rows->AddRow({1, Variant(bytes)});
    rows->AddRow({2, Variant(bytes)});
    return rows;
  }

 private:
  std::string FContent;
};

std::string RtfDocument() {
  // "资产评估" as GBK escapes, in runs of three kinds.
  const std::string words = "\\'d7\\'ca\\'b2\\'fa\\'c6\\'c0\\'b9\\'c0";
  std::string rtf =
      "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}"
      "{\\colortbl ;\\red255\\green0\\blue0;}\\f0\\fs24 ";
  while (rtf.size() < kDocumentSize) {
    rtf += "{\\b " + words + "}" + words + "{\\cf1 " + words + "} abc " + words + "\\par\r\n";
  }
  return rtf + "}";
}

std::string GbkDocument() {
  const std::string line = StringToCp936(L"第一条 为了规范资产评估行为，保护资产评估当事人合法权益。\r\n");
  std::string text;
  while (text.size() < kDocumentSize) text += line;
  return text;
}

struct TDirectCookie {
  const std::string* Bytes;
  size_t Offset;
};

DWORD CALLBACK DirectRead(DWORD_PTR cookie, LPBYTE buffer, LONG cb, LONG* pcb) {
  auto* data = reinterpret_cast<TDirectCookie*>(cookie);
  const size_t count = std::min(static_cast<size_t>(cb), data->Bytes->size() - data->Offset);
  std::memcpy(buffer, data->Bytes->data() + data->Offset, count);
  data->Offset += count;
  *pcb = static_cast<LONG>(count);
  return 0;
}

// The character format the control gives its window (its font): the window's layout costs
// differ by font, and that is the font's cost, not the layer's.
CHARFORMAT2W ControlFormat(TWinControl* host) {
  auto* probe = new TRxRichEdit(host);
  probe->SetParent(host);
  probe->HandleNeeded();
  CHARFORMAT2W format{};
  format.cbSize = sizeof(format);
  probe->Perform(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  probe->Free();
  return format;
}

void StreamInto(HWND window, const std::string& bytes, bool plain) {
  TDirectCookie cookie{&bytes, 0};
  EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&cookie), 0, DirectRead};
  ::SendMessageW(window, EM_STREAMIN, plain ? SF_TEXT : SF_RTF, reinterpret_cast<LPARAM>(&stream));
  ::UpdateWindow(window);
}

// The one window of the comparison that exists at a time, made afresh and empty before each
// run. Emptying a window that holds the plain document (half a million characters in 17,000
// lines) takes Wine's Rich Edit window one to one and a half minutes (by WM_SETTEXT, by the
// control's Clear, or by the next EM_STREAMIN itself), where destroying it takes 40-60 ms; a
// window kept from one run to the next would time that emptying, or leave it to the untimed
// preparation, where it kept the plain half from finishing.
class TFreshWindows {
 public:
  TFreshWindows(TWinControl* host, TDataSource* source) : FHost(host), FSource(source), FFormat(ControlFormat(host)) {}
  ~TFreshWindows() { Drop(); }

  // A window made directly with the view's class, styles and default character format. Its
  // vertical scroll bar, which appears during the load, makes the window wrap its text again,
  // as the view's does.
  HWND MakeDirect() {
    Drop();
    FDirect = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", L"",
                                WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | ES_SAVESEL |
                                    ES_SELECTIONBAR | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                0, 0, 700, 500, FHost->GetHandle(), nullptr, nullptr, nullptr);
    if (!FDirect) throw Exception(L"CreateWindowEx failed");
    ::SendMessageW(FDirect, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
    ::SendMessageW(FDirect, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&FFormat));
    return FDirect;
  }

  TRxRichEdit* MakeEdit() {
    Drop();
    FEdit = Place<TRxRichEdit>();
    FEdit->SetPlainText(false);
    FEdit->HandleNeeded();
    return FEdit;
  }

  // The view bound to the data source, its field not yet chosen.
  TRxDBRichEdit* MakeView() {
    Drop();
    FView = Place<TRxDBRichEdit>();
    FView->SetDataSource(FSource);
    FView->HandleNeeded();
    return FView;
  }

  void Drop() {
    if (FDirect) ::DestroyWindow(FDirect);
    FDirect = nullptr;
    if (FEdit) FEdit->Free();
    FEdit = nullptr;
    if (FView) FView->Free();
    FView = nullptr;
  }

 private:
  // A rich edit of either kind on the host, in the direct window's place and size.
  template <class TEdit> TEdit* Place() {
    auto* edit = new TEdit(FHost);
    edit->SetParent(FHost);
    edit->SetBounds(0, 0, 700, 500);
    edit->SetMaxLength(0x7FFFFFF);
    return edit;
  }

  TWinControl* FHost;        // the form the windows are made on
  TDataSource* FSource;      // what the view is bound to; not owned
  CHARFORMAT2W FFormat;      // the control's default character format, given to the direct window
  HWND FDirect = nullptr;    // the direct window, when it is the one made
  TRxRichEdit* FEdit = nullptr;     // the rich edit, when it is the one made
  TRxDBRichEdit* FView = nullptr;   // the view, when it is the one made
};

void Compare(const char* name, const std::string& bytes, bool plain, TWinControl* host, int runs) {
  TMemoryRows data(bytes);
  TDataSource source(nullptr);
  source.SetDataSet(&data);
  data.Open();
  TMemoryStream content;
  content.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  TFreshWindows fresh(host, &source);

  HWND direct = nullptr;
  TRxRichEdit* edit = nullptr;
  TRxDBRichEdit* view = nullptr;
  const auto prepareDirect = [&] { direct = fresh.MakeDirect(); };
  const auto loadDirect = [&] { StreamInto(direct, bytes, plain); };
  const auto prepareEdit = [&] { edit = fresh.MakeEdit(); };

  // The rich edit's window with the bytes handed straight in (what the control's own settings
  // cost the window); its lines' stream load, without the data set; the view bound to the field.
  const Paired window = MeasurePairs(runs, prepareDirect, loadDirect, prepareEdit,
                                     [&] { StreamInto(edit->GetHandle(), bytes, plain); });
  const Paired control = MeasurePairs(runs, prepareDirect, loadDirect, prepareEdit, [&] {
    content.SetPosition(0);
    edit->GetLines()->LoadFromStream(content);
    ::UpdateWindow(edit->GetHandle());
  });
  const Paired layered = MeasurePairs(
      runs, prepareDirect, loadDirect, [&] { view = fresh.MakeView(); },
      [&] {
        view->SetDataField(L"stem");
        ::UpdateWindow(view->GetHandle());
      });
  const int length = view->GetTextLength();
  fresh.Drop();
  std::printf("%s (%d characters)\n", name, length);
  for (auto [side, p] : {std::pair{"window", window}, std::pair{"control", control}, std::pair{"view", layered}})
    std::printf("  %-8s best %8.1f ms  median %8.1f ms   direct best %8.1f ms  median %8.1f ms   "
                "%s/direct, median of the pairs %.2f\n",
                side, p.B.Best, p.B.Median, p.A.Best, p.A.Median, side, p.Ratio);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_richedit", kDefaultRuns, kMaxRuns, [](int runs) {
    Application->Initialize();
    InitRichEditLibrary();
    std::printf("bench_richedit, %d runs, %s\n", runs, BuildKind());
    auto* host = new TForm(Application);
    host->SetBounds(0, 0, 720, 520);
    host->Show();
    Compare("RTF 1 MB", RtfDocument(), false, host, runs);
    Compare("GBK 1 MB", GbkDocument(), true, host, runs);
    host->Free();
    return 0;
  });
}
