// The common controls: a progress bar's range, position and steps, a status bar's panels
// and simple text as the window shows them, and an animation played from a file and from a
// resource until it stops by itself, with bad clips refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "classlib/stdctrls/Animate.h"
#include "classlib/stdctrls/ProgressBars.h"
#include "classlib/stdctrls/StatusBars.h"
#include "tests/ErrorMessages.h"

#include <commctrl.h>  // after Win.h, which the headers above bring

using namespace grid_tests;

namespace {

String InvalidOperationOf(const std::function<void()>& action) {
  return ErrorMessageOf<EInvalidOperation>(action, L"(no error)");
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
  bar->SetPosition(20);
  bar->StepIt();
  bar->StepIt();
  EXPECT_EQ(bar->GetPosition(), 40);
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
             L"    Min = 150\n"
             L"    Max = 300\n"
             L"    Position = 200\n"
             L"    Step = 25\n"
             L"  end\n"
             L"end\n");
  auto* bar = dynamic_cast<TProgressBar*>(host.FindComponent(L"Bar"));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetMin(), 150);
  EXPECT_EQ(bar->GetMax(), 300);
  EXPECT_EQ(bar->GetPosition(), 200);
  bar->StepIt();
  EXPECT_EQ(bar->GetPosition(), 225);
}

// ---- TStatusBar ------------------------------------------------------------------------------------------

namespace {

String PanelText(HWND bar, int index) {
  wchar_t buffer[128] = {};
  ::SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

}  // namespace

TEST(StatusBar, PanelsFromALayoutShowWithTheirEdgesTextsAndBevels) {
  TTestHost host(100, 100, 400, 300);
  ReadLayout(&host,
             L"object Host: TTestHost\n"
             L"  object Status: TStatusBar\n"
             L"    Panels = <\n"
             L"      item\n"
             L"        Text = 'Ready'\n"
             L"        Width = 100\n"
             L"      end\n"
             L"      item\n"
             L"        Alignment = taCenter\n"
             L"        Bevel = pbRaised\n"
             L"        Text = 'Page 1'\n"
             L"        Width = 150\n"
             L"      end\n"
             L"      item\n"
             L"        Alignment = taRightJustify\n"
             L"        Text = '12:00'\n"
             L"        Width = 20\n"
             L"      end>\n"
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
  EXPECT_EQ(edges[0], 100);
  EXPECT_EQ(edges[1], 250);
  EXPECT_EQ(edges[2], -1);  // the last panel reaches the end
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

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void PutU16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
void PutId(std::vector<uint8_t>& out, const char* id) { out.insert(out.end(), id, id + 4); }
void PatchU32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}
// Opens a chunk (or a list with its type); returns where its size goes.
size_t Open(std::vector<uint8_t>& out, const char* id, const char* listType = nullptr) {
  PutId(out, id);
  const size_t sizeAt = out.size();
  PutU32(out, 0);
  if (listType) PutId(out, listType);
  return sizeAt;
}
void Close(std::vector<uint8_t>& out, size_t sizeAt) {
  PatchU32(out, sizeAt, static_cast<uint32_t>(out.size() - sizeAt - 4));
}

// A silent AVI clip of uncompressed 24-bit frames, each frame one colour.
std::vector<uint8_t> MakeAvi(int frames, int width, int height) {
  const uint32_t stride = static_cast<uint32_t>((width * 3 + 3) & ~3);
  const uint32_t frameSize = stride * static_cast<uint32_t>(height);
  std::vector<uint8_t> avi;
  const size_t riff = Open(avi, "RIFF", "AVI ");
  const size_t hdrl = Open(avi, "LIST", "hdrl");
  const size_t avih = Open(avi, "avih");
  PutU32(avi, 50000);  // microseconds per frame: 20 frames a second
  PutU32(avi, frameSize * 20);
  PutU32(avi, 0);
  PutU32(avi, 0x10);  // has an index
  PutU32(avi, static_cast<uint32_t>(frames));
  PutU32(avi, 0);
  PutU32(avi, 1);
  PutU32(avi, frameSize);
  PutU32(avi, static_cast<uint32_t>(width));
  PutU32(avi, static_cast<uint32_t>(height));
  for (int i = 0; i < 4; ++i) PutU32(avi, 0);
  Close(avi, avih);
  const size_t strl = Open(avi, "LIST", "strl");
  const size_t strh = Open(avi, "strh");
  PutId(avi, "vids");
  PutId(avi, "DIB ");
  PutU32(avi, 0);
  PutU16(avi, 0);
  PutU16(avi, 0);
  PutU32(avi, 0);
  PutU32(avi, 1);   // scale
  PutU32(avi, 20);  // rate
  PutU32(avi, 0);
  PutU32(avi, static_cast<uint32_t>(frames));
  PutU32(avi, frameSize);
  PutU32(avi, 0xFFFFFFFF);
  PutU32(avi, 0);
  PutU16(avi, 0);
  PutU16(avi, 0);
  PutU16(avi, static_cast<uint16_t>(width));
  PutU16(avi, static_cast<uint16_t>(height));
  Close(avi, strh);
  const size_t strf = Open(avi, "strf");
  PutU32(avi, 40);
  PutU32(avi, static_cast<uint32_t>(width));
  PutU32(avi, static_cast<uint32_t>(height));
  PutU16(avi, 1);
  PutU16(avi, 24);
  PutU32(avi, BI_RGB);
  PutU32(avi, frameSize);
  for (int i = 0; i < 4; ++i) PutU32(avi, 0);
  Close(avi, strf);
  Close(avi, strl);
  Close(avi, hdrl);
  const size_t movi = Open(avi, "LIST", "movi");
  const size_t moviType = movi + 4;  // index offsets count from the list's type
  std::vector<uint32_t> offsets;
  for (int f = 0; f < frames; ++f) {
    offsets.push_back(static_cast<uint32_t>(avi.size() - moviType));
    const size_t chunk = Open(avi, "00db");
    for (uint32_t i = 0; i < frameSize; ++i) avi.push_back(static_cast<uint8_t>(f * 60 + i % 3));
    Close(avi, chunk);
  }
  Close(avi, movi);
  const size_t idx1 = Open(avi, "idx1");
  for (int f = 0; f < frames; ++f) {
    PutId(avi, "00db");
    PutU32(avi, 0x10);  // a key frame
    PutU32(avi, offsets[static_cast<size_t>(f)]);
    PutU32(avi, frameSize);
  }
  Close(avi, idx1);
  Close(avi, riff);
  return avi;
}

String TempPath(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, folder);
  return String(folder) + name;
}

void WriteFileBytes(const String& path, const std::vector<uint8_t>& bytes) {
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
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
    FileName = TempPath(L"examprep_clip_test.avi");
    WriteFileBytes(FileName, MakeAvi(4, 16, 12));
  }
  void TearDown() override {
    Host.reset();
    Pump();
    ::DeleteFileW(FileName.c_str());
  }

  std::unique_ptr<TTestHost> Host;
  TAnimate* Clip = nullptr;
  String FileName;
  int Opens = 0;
  int Starts = 0;
  int Stops = 0;
};

}  // namespace

TEST_F(AnimateTest, AClipFromAFilePlaysItsRepetitionsAndStopsByItself) {
  Clip->SetFileName(FileName);
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
  Clip->SetFileName(TempPath(L"examprep_no_such_clip.avi"));
  EXPECT_EQ(InvalidOperationOf([&] { Clip->SetActive(true); }), L"Cannot open AVI");
  std::vector<uint8_t> damaged = MakeAvi(2, 8, 8);
  damaged.resize(30);
  WriteFileBytes(FileName, damaged);
  Clip->SetFileName(FileName);
  EXPECT_EQ(InvalidOperationOf([&] { Clip->SetOpen(true); }), L"Cannot open AVI");
  EXPECT_FALSE(Clip->GetOpen());
  EXPECT_FALSE(Clip->GetActive());
  EXPECT_EQ(Opens, 0);
}

TEST_F(AnimateTest, AClipFromAnAviResourceOfAModule) {
  // A copy of a small system library gets the clip as an "AVI" resource.
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  const String module = TempPath(L"examprep_clip_module.dll");
  ASSERT_TRUE(::CopyFileW((String(system) + L"\\lz32.dll").c_str(), module.c_str(), FALSE));
  std::vector<uint8_t> avi = MakeAvi(3, 8, 8);
  const HANDLE update = ::BeginUpdateResourceW(module.c_str(), FALSE);
  ASSERT_NE(update, nullptr);
  ASSERT_TRUE(::UpdateResourceW(update, L"AVI", L"CLIP", MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                avi.data(), static_cast<DWORD>(avi.size())));
  ASSERT_TRUE(::EndUpdateResourceW(update, FALSE));
  const HMODULE library = ::LoadLibraryExW(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
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
  ::DeleteFileW(module.c_str());
}
