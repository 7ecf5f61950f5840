// The common controls: a progress bar's range, position and steps, a status bar's panels
// and simple text as the window shows them, and an animation played from a file and from a
// resource until it stops by itself, with bad clips refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "DialogTestSupport.h"
#include "GridTestSupport.h"
#include "classlib/stdctrls/Animate.h"
#include "classlib/stdctrls/ProgressBars.h"
#include "classlib/stdctrls/StatusBars.h"
#include "tests/ErrorMessages.h"

#include <commctrl.h>  // after Win.h, which the headers above bring

using namespace grid_tests;
using dialog_tests::TTempFile;

namespace {

String InvalidOperationOf(const std::function<void()>& action) {
  return ErrorMessageOf<EInvalidOperation>(action, L"(no error)");
}

String PanelText(HWND bar, int index) {
  wchar_t buffer[128] = {};
  ::SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

}  // namespace

// ---- TProgressBar -----------------------------------------------------------------------------------

TEST(ProgressBar, StepsGoRoundPastTheEndOfTheRange) {
  EXPECT_EQ(ProgressStepPosition(30, 10, 0, 100), 40);
  EXPECT_EQ(ProgressStepPosition(95, 10, 0, 100), 5);
  EXPECT_EQ(ProgressStepPosition(5, -10, 0, 100), 95);
  EXPECT_EQ(ProgressStepPosition(7, 3, 5, 5), 5);  // an empty range stays at its start
}

TEST(ProgressBar, PositionStaysInTheRangeWithAndWithoutAWindow) {
  TTestHost host;
  auto* bar = new TProgressBar(&host);
  bar->SetPosition(250);  // no window yet
  EXPECT_EQ(bar->GetPosition(), 100);
  bar->SetParent(&host);
  host.ShowHost();
  ASSERT_TRUE(bar->HandleAllocated());
  EXPECT_EQ(::SendMessageW(bar->GetHandle(), PBM_GETPOS, 0, 0), 100);
  bar->SetMax(50);
  EXPECT_EQ(bar->GetPosition(), 50);
  bar->SetPosition(40);
  bar->StepIt();  // 50 is the end: round to 10
  bar->StepIt();
  EXPECT_EQ(bar->GetPosition(), 10);
  bar->StepBy(-30);
  EXPECT_EQ(bar->GetPosition(), 0);
  EXPECT_EQ(InvalidOperationOf([&] { bar->SetMin(60); }), L"TProgressBar property out of range");
  EXPECT_EQ(bar->GetMin(), 0);
  // A new window (another orientation) keeps range and position.
  bar->SetPosition(35);
  bar->SetOrientation(pbVertical);
  EXPECT_EQ(bar->GetWidth(), 16);
  EXPECT_EQ(::GetWindowLongW(bar->GetHandle(), GWL_STYLE) & PBS_VERTICAL, PBS_VERTICAL);
  EXPECT_EQ(bar->GetPosition(), 35);
  EXPECT_EQ(::SendMessageW(bar->GetHandle(), PBM_GETRANGE, FALSE, 0), 50);
}

TEST(ProgressBar, ALayoutMayGiveMinAboveTheDefaultMax) {
  TTestHost host;
  ReadLayout(&host,
             L"object Host: TTestHost\n"
             L"  object Bar: TProgressBar\n"
             L"    Min = 150\n    Max = 300\n    Position = 200\n    Step = 25\n  end\n"
             L"end\n");
  auto* bar = dynamic_cast<TProgressBar*>(host.FindComponent(L"Bar"));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetMin(), 150);
  EXPECT_EQ(bar->GetMax(), 300);
  bar->StepIt();
  EXPECT_EQ(bar->GetPosition(), 225);
}

// ---- TStatusBar ------------------------------------------------------------------------------------------

TEST(StatusBar, PanelsFromALayoutShowWithTheirEdgesTextsAndBevels) {
  TTestHost host(100, 100, 400, 300);
  ReadLayout(&host,
             L"object Host: TTestHost\n"
             L"  object Status: TStatusBar\n"
             L"    Panels = <\n"
             L"      item\n        Text = 'Ready'\n        Width = 100\n      end\n"
             L"      item\n        Alignment = taCenter\n        Bevel = pbRaised\n"
             L"        Text = 'Page 1'\n        Width = 150\n      end\n"
             L"      item\n        Alignment = taRightJustify\n        Text = '12:00'\n"
             L"        Width = 20\n      end>\n"
             L"  end\n"
             L"end\n");
  auto* status = dynamic_cast<TStatusBar*>(host.FindComponent(L"Status"));
  ASSERT_NE(status, nullptr);
  host.ShowHost();
  // At the bottom of the host, across it.
  EXPECT_EQ(status->GetBoundsRect(), Rect(0, 281, 400, 300));
  const HWND wnd = status->GetHandle();
  int edges[4] = {};
  ASSERT_EQ(::SendMessageW(wnd, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 3);
  EXPECT_EQ(std::vector<int>(edges, edges + 3), (std::vector<int>{100, 250, -1}));  // to the end
  EXPECT_EQ(PanelText(wnd, 0), L"Ready");
  EXPECT_EQ(PanelText(wnd, 1), L"\tPage 1");
  EXPECT_EQ(PanelText(wnd, 2), L"\t\t12:00");
  EXPECT_EQ(HIWORD(::SendMessageW(wnd, SB_GETTEXTLENGTHW, 1, 0)) & SBT_POPOUT, SBT_POPOUT);

  // Changes reach the window at once.
  status->GetPanels()->GetItem(0)->SetText(L"Saving");
  status->GetPanels()->GetItem(0)->SetWidth(120);
  EXPECT_EQ(PanelText(wnd, 0), L"Saving");
  ::SendMessageW(wnd, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges));
  EXPECT_EQ(edges[1], 270);
  status->GetPanels()->Add()->SetText(L"New");
  EXPECT_EQ(::SendMessageW(wnd, SB_GETPARTS, 0, 0), 4);
  EXPECT_THROW(status->GetPanels()->GetItem(9), EListError);

  // The simple panel covers the panels and shows SimpleText; the panels come back after.
  status->SetSimpleText(L"Loading the question bank");
  status->SetSimplePanel(true);
  EXPECT_TRUE(::SendMessageW(wnd, SB_ISSIMPLE, 0, 0));
  EXPECT_EQ(PanelText(wnd, 0), L"Loading the question bank");
  status->SetSimplePanel(false);
  EXPECT_FALSE(::SendMessageW(wnd, SB_ISSIMPLE, 0, 0));
  EXPECT_EQ(PanelText(wnd, 0), L"Saving");
}

// ---- TAnimate ---------------------------------------------------------------------------------------------

namespace {

void PutU32s(std::vector<uint8_t>& out, std::initializer_list<uint32_t> values) {
  for (const uint32_t value : values)
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void PutId(std::vector<uint8_t>& out, const char* id) { out.insert(out.end(), id, id + 4); }
void PatchU32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}
// Opens a chunk (or a list with its type); returns where its size goes.
size_t Open(std::vector<uint8_t>& out, const char* id, const char* listType = nullptr) {
  PutId(out, id);
  const size_t sizeAt = out.size();
  PutU32s(out, {0});
  if (listType) PutId(out, listType);
  return sizeAt;
}
void Close(std::vector<uint8_t>& out, size_t sizeAt) {
  PatchU32(out, sizeAt, static_cast<uint32_t>(out.size() - sizeAt - 4));
}

// A silent AVI clip of uncompressed 24-bit frames, 20 a second, each frame one colour.
std::vector<uint8_t> MakeAvi(int frames, int width, int height) {
  const auto n = static_cast<uint32_t>(frames);
  const auto w = static_cast<uint32_t>(width);
  const auto h = static_cast<uint32_t>(height);
  const uint32_t frameSize = ((w * 3 + 3) & ~3u) * h;
  std::vector<uint8_t> avi;
  const size_t riff = Open(avi, "RIFF", "AVI ");
  const size_t hdrl = Open(avi, "LIST", "hdrl");
  const size_t avih = Open(avi, "avih");
  // Microseconds a frame, bytes a second, padding, flags (has an index), frames, initial
  // frames, streams, buffer size, width, height, four reserved.
  PutU32s(avi, {50000, frameSize * 20, 0, 0x10, n, 0, 1, frameSize, w, h, 0, 0, 0, 0});
  Close(avi, avih);
  const size_t strl = Open(avi, "LIST", "strl");
  const size_t strh = Open(avi, "strh");
  PutId(avi, "vids");
  PutId(avi, "DIB ");
  // Flags, priority and language, initial frames, scale, rate, start, length, buffer size,
  // quality, sample size, the frame rectangle as four 16-bit values.
  PutU32s(avi, {0, 0, 0, 1, 20, 0, n, frameSize, 0xFFFFFFFF, 0, 0, w | (h << 16)});
  Close(avi, strh);
  const size_t strf = Open(avi, "strf");
  // The bitmap header: its size, width, height, planes and bits, compression, image size.
  PutU32s(avi, {40, w, h, 1 | (24u << 16), BI_RGB, frameSize, 0, 0, 0, 0});
  Close(avi, strf);
  Close(avi, strl);
  Close(avi, hdrl);
  const size_t movi = Open(avi, "LIST", "movi");
  const size_t moviType = movi + 4;  // index offsets count from the list's type
  std::vector<uint32_t> offsets;
  for (uint32_t f = 0; f < n; ++f) {
    offsets.push_back(static_cast<uint32_t>(avi.size() - moviType));
    const size_t chunk = Open(avi, "00db");
    for (uint32_t i = 0; i < frameSize; ++i) avi.push_back(static_cast<uint8_t>(f * 60 + i % 3));
    Close(avi, chunk);
  }
  Close(avi, movi);
  const size_t idx1 = Open(avi, "idx1");
  for (const uint32_t offset : offsets) {
    PutId(avi, "00db");
    PutU32s(avi, {0x10, offset, frameSize});  // a key frame
  }
  Close(avi, idx1);
  Close(avi, riff);
  return avi;
}

}  // namespace

TEST(AviHeader, TheMainHeaderIsReadAndDamagedClipsAreRefused) {
  const std::vector<uint8_t> avi = MakeAvi(3, 8, 6);
  TAviInfo info;
  ASSERT_TRUE(ReadAviInfo(avi.data(), avi.size(), info));
  EXPECT_EQ(info.FrameCount, 3);
  EXPECT_EQ(info.FrameWidth, 8);
  EXPECT_EQ(info.FrameHeight, 6);
  // Only the start of a file (its headers) is enough.
  EXPECT_TRUE(ReadAviInfo(avi.data(), 200, info));
  // Cut inside the main header, a list that claims more than the file has, other formats.
  EXPECT_FALSE(ReadAviInfo(avi.data(), 40, info));
  std::vector<uint8_t> bad = avi;
  PatchU32(bad, 28, 0x7FFFFFF0);  // the size of the main header
  EXPECT_FALSE(ReadAviInfo(bad.data(), 60, info));  // claims more than is there
  bad = avi;
  PatchU32(bad, 16, 0x7FFFFFF0);  // a 'hdrl' list claiming more than the file has
  EXPECT_TRUE(ReadAviInfo(bad.data(), bad.size(), info));  // its header is whole
  PatchU32(bad, 12, 0x4B4E554A);  // "JUNK" where the list was: skipped past the end
  EXPECT_FALSE(ReadAviInfo(bad.data(), bad.size(), info));
  bad = avi;
  bad[8] = 'W';  // "WVI "
  EXPECT_FALSE(ReadAviInfo(bad.data(), bad.size(), info));
  EXPECT_FALSE(ReadAviInfo(nullptr, 0, info));
  EXPECT_EQ(info.FrameCount, 0);
}

namespace {

class AnimateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Host = std::make_unique<TTestHost>(100, 100, 300, 200);
    Clip = new TAnimate(Host.get());
    Clip->SetParent(Host.get());
    Clip->SetOnOpen([this](TObject*) { ++Opens; });
    Clip->SetOnStart([this](TObject*) { ++Starts; });
    Clip->SetOnStop([this](TObject*) { ++Stops; });
    Host->ShowHost();
  }
  void TearDown() override {
    Host.reset();
    Pump();
  }

  std::unique_ptr<TTestHost> Host;
  TAnimate* Clip = nullptr;
  TTempFile File{L"clip_test.avi", MakeAvi(4, 16, 12)};
  int Opens = 0;
  int Starts = 0;
  int Stops = 0;
};

}  // namespace

TEST_F(AnimateTest, AClipFromAFilePlaysItsRepetitionsAndStopsByItself) {
  Clip->SetFileName(File.Path());
  Clip->SetRepetitions(2);
  Clip->SetActive(true);
  EXPECT_TRUE(Clip->GetOpen());
  EXPECT_EQ(Opens, 1);
  EXPECT_EQ(Clip->GetFrameCount(), 4);
  EXPECT_EQ(Clip->GetFrameWidth(), 16);
  EXPECT_EQ(Clip->GetStopFrame(), 4);  // the last frame once open
  EXPECT_TRUE(Clip->GetActive());
  // Two rounds of four frames at 20 a second: well within the bound.
  EXPECT_TRUE(PumpUntil([this] { return !Clip->GetActive(); }, 10000));
  EXPECT_EQ(Stops, 1);
  EXPECT_EQ(Starts, 1);

  // Played until stopped, then stopped from code.
  Clip->Play(2, 3, 0);
  EXPECT_EQ(Clip->GetStartFrame(), 2);
  EXPECT_TRUE(Clip->GetActive());
  Pump();
  Clip->Stop();
  EXPECT_FALSE(Clip->GetActive());
  Clip->SetOpen(false);
  EXPECT_EQ(Clip->GetFrameCount(), 0);
}

TEST_F(AnimateTest, MissingOrDamagedClipsCannotBeOpened) {
  EXPECT_EQ(InvalidOperationOf([&] { Clip->SetOpen(true); }), L"Cannot open AVI");  // no source
  Clip->SetFileName(File.Folder() + L"examprep_no_such_clip.avi");
  EXPECT_EQ(InvalidOperationOf([&] { Clip->SetActive(true); }), L"Cannot open AVI");
  std::vector<uint8_t> damaged = MakeAvi(2, 8, 8);
  damaged.resize(30);
  TTempFile cut(L"cut_clip.avi", damaged);
  Clip->SetFileName(cut.Path());
  EXPECT_EQ(InvalidOperationOf([&] { Clip->SetOpen(true); }), L"Cannot open AVI");
  EXPECT_FALSE(Clip->GetOpen());
  EXPECT_FALSE(Clip->GetActive());
  EXPECT_EQ(Opens, 0);
}

TEST_F(AnimateTest, AClipFromAnAviResourceOfAModule) {
  // A copy of a small system library gets the clip as an "AVI" resource.
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  TTempFile module(L"clip_module.dll", {});
  const String source = String(system) + L"\\lz32.dll";
  ASSERT_TRUE(::CopyFileW(source.c_str(), module.Path().c_str(), FALSE));
  std::vector<uint8_t> avi = MakeAvi(3, 8, 8);
  const HANDLE update = ::BeginUpdateResourceW(module.Path().c_str(), FALSE);
  ASSERT_NE(update, nullptr);
  ASSERT_TRUE(::UpdateResourceW(update, L"AVI", L"CLIP", MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                avi.data(), static_cast<DWORD>(avi.size())));
  ASSERT_TRUE(::EndUpdateResourceW(update, FALSE));
  const HMODULE library =
      ::LoadLibraryExW(module.Path().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(library, nullptr);
  Clip->SetResHandle(library);
  Clip->SetResName(L"CLIP");
  Clip->SetOpen(true);
  EXPECT_EQ(Clip->GetFrameCount(), 3);
  Clip->SetRepetitions(1);
  Clip->SetActive(true);
  EXPECT_TRUE(PumpUntil([this] { return !Clip->GetActive(); }, 10000));
  // A name the module does not have.
  Clip->SetResName(L"NONE");
  EXPECT_EQ(InvalidOperationOf([&] { Clip->SetOpen(true); }), L"Cannot open AVI");
  Clip->SetResHandle(nullptr);
  ::FreeLibrary(library);
}
