// Button sounds: the WAVE check that guards what the system reads, the play flags, the wave's
// bytes through streams, files, copies and layouts, and playing from memory (synchronously
// and in the background) without hanging or crashing when the bytes change or go, also
// where there is no sound device.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "EffectControlsTestSupport.h"
#include "controls/effects/wavctrl.h"

#include <mmsystem.h>  // after Win.h, which the headers above bring

using namespace effect_tests;
using control_tests::TTestHost;

namespace {

std::vector<uint8_t> BytesOf(const TepWave& wave) {
  const auto* p = static_cast<const uint8_t*>(wave.GetMemory());
  return p ? std::vector<uint8_t>(p, p + wave.GetSize()) : std::vector<uint8_t>();
}

void LoadBytes(TepWave& wave, const std::vector<uint8_t>& bytes) {
  TMemoryStream stream;
  FillStream(stream, bytes);
  wave.LoadFromStream(stream);
}

void PutLE32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

// ---- The WAVE check --------------------------------------------------------------------------------

TEST(WaveCheck, AcceptsACompleteFileAndRefusesLengthsThatRunPastTheEnd) {
  std::vector<uint8_t> wave = MakeWave(101);  // odd: the data chunk has a pad byte
  EXPECT_TRUE(IsCompleteWave(wave.data(), static_cast<int>(wave.size())));
  EXPECT_FALSE(IsCompleteWave(wave.data(), static_cast<int>(wave.size()) - 10));  // cut short
  EXPECT_FALSE(IsCompleteWave(nullptr, 100));
  EXPECT_FALSE(IsCompleteWave(wave.data(), 11));

  std::vector<uint8_t> bad = wave;
  PutLE32(bad, 4, 0x7FFFFFF0);  // RIFF length beyond the block
  EXPECT_FALSE(IsCompleteWave(bad.data(), static_cast<int>(bad.size())));
  bad = wave;
  PutLE32(bad, 40, 0xFFFFFFF0);  // data length beyond the RIFF chunk
  EXPECT_FALSE(IsCompleteWave(bad.data(), static_cast<int>(bad.size())));
  bad = wave;
  std::memcpy(bad.data() + 12, "junk", 4);  // no "fmt " chunk
  EXPECT_FALSE(IsCompleteWave(bad.data(), static_cast<int>(bad.size())));
  bad = wave;
  std::memcpy(bad.data() + 8, "AVI ", 4);
  EXPECT_FALSE(IsCompleteWave(bad.data(), static_cast<int>(bad.size())));
}

// ---- Options and flags -----------------------------------------------------------------------------

TEST(WavePlayer, OptionsBecomeThePlayFlags) {
  TepWavePlayer player(nullptr);
  EXPECT_EQ(player.GetOptions(), TOptionsSet{wpoSync});
  EXPECT_EQ(player.GetPlayFlags(), static_cast<UINT>(SND_MEMORY));
  EXPECT_TRUE(player.GetEnabled());
  player.SetOptions(TOptionsSet{wpoAsync, wpoNoDefault, wpoLoop, wpoNoStop});
  EXPECT_EQ(player.GetPlayFlags(),
            static_cast<UINT>(SND_MEMORY | SND_ASYNC | SND_NODEFAULT | SND_LOOP | SND_NOSTOP));
  player.SetOptions(TOptionsSet{wpoSync, wpoNoDefault});
  EXPECT_EQ(player.GetPlayFlags(), static_cast<UINT>(SND_MEMORY | SND_NODEFAULT));
}

// ---- Bytes -----------------------------------------------------------------------------------------

TEST(Wave, StreamsAndFilesCarryTheBytesUnchanged) {
  const std::vector<uint8_t> bytes = MakeWave(50);
  TepWave wave;
  int changes = 0;
  wave.SetOnChange([&](TObject*) { ++changes; });
  LoadBytes(wave, bytes);
  EXPECT_EQ(BytesOf(wave), bytes);
  EXPECT_TRUE(wave.GetModified());
  EXPECT_EQ(changes, 1);

  TMemoryStream out;
  wave.SaveToStream(out);
  ASSERT_EQ(out.GetSize(), static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(std::memcmp(out.GetMemory(), bytes.data(), bytes.size()), 0);

  wchar_t folder[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, folder);
  const String fileName = String(folder) + L"effects_wave_test.wav";
  wave.SaveToFile(fileName);
  TepWave fromFile;
  fromFile.LoadFromFile(fileName);
  ::DeleteFileW(fileName.c_str());
  EXPECT_EQ(BytesOf(fromFile), bytes);

  wave.Clear();
  EXPECT_TRUE(wave.GetEmpty());
  EXPECT_EQ(wave.GetMemory(), nullptr);
  EXPECT_EQ(changes, 2);
}

TEST(Wave, AssignGivesEachWaveItsOwnCopy) {
  const std::vector<uint8_t> bytes = MakeWave(20);
  auto source = std::make_unique<TepWave>();
  LoadBytes(*source, bytes);
  TepWavePlayer player(nullptr);
  player.SetWave(source.get());
  EXPECT_NE(player.GetWave()->GetMemory(), source->GetMemory());
  source.reset();  // the copy does not share the freed bytes
  EXPECT_EQ(BytesOf(*player.GetWave()), bytes);
  player.SetWave(nullptr);
  EXPECT_TRUE(player.GetWave()->GetEmpty());
}

TEST(Wave, APlayerKeepsItsWaveInTheLayoutAsDataByteForByte) {
  TTestHost host;
  auto* player = new TepWavePlayer(&host);
  player->SetName(L"Ding");
  player->SetOptions(TOptionsSet{wpoAsync, wpoNoStop});
  player->SetEnabled(false);
  const std::vector<uint8_t> bytes = MakeWave(33);
  LoadBytes(*player->GetWave(), bytes);
  const String text = ComponentToText(&host);
  EXPECT_NE(text.find(L"Wave.Data = {"), String::npos);
  EXPECT_NE(text.find(L"Options = [wpoAsync, wpoNoStop]"), String::npos);

  TTestHost copy;
  ReadLayout(&copy, text);
  auto* read = dynamic_cast<TepWavePlayer*>(copy.FindComponent(L"Ding"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(BytesOf(*read->GetWave()), bytes);
  EXPECT_EQ(read->GetOptions(), (TOptionsSet{wpoAsync, wpoNoStop}));
  EXPECT_EQ(read->GetPlayFlags(), static_cast<UINT>(SND_MEMORY | SND_ASYNC | SND_NOSTOP));
  EXPECT_FALSE(read->GetEnabled());

  player->GetWave()->Clear();  // an empty wave is an empty block
  player->SetOptions(TOptionsSet{wpoSync});
  const String empty = ComponentToText(&host);
  EXPECT_EQ(empty.find(L"Options"), String::npos);  // the default is not stored
  TTestHost emptyCopy;
  ReadLayout(&emptyCopy, empty);
  auto* quiet = dynamic_cast<TepWavePlayer*>(emptyCopy.FindComponent(L"Ding"));
  ASSERT_NE(quiet, nullptr);
  EXPECT_TRUE(quiet->GetWave()->GetEmpty());
}

// ---- Playing ------------------------------------------------------------------------------------------

TEST(WavePlayer, EventsRunAroundEveryPlayAndASynchronousPlayReturns) {
  TepWavePlayer player(nullptr);
  LoadBytes(*player.GetWave(), MakeWave(80));
  std::vector<String> calls;
  player.SetBeforePlay([&](TObject*) { calls.push_back(L"before"); });
  player.SetAfterPlay([&](TObject*) { calls.push_back(L"after"); });
  player.SetEnabled(false);
  player.Play();
  EXPECT_EQ(calls, (std::vector<String>{L"before", L"after"}));
  player.SetEnabled(true);  // 10 ms, played to its end before Play returns
  const DWORD start = ::GetTickCount();
  player.Play();
  EXPECT_LT(::GetTickCount() - start, 5000u);
  EXPECT_EQ(calls.size(), 4u);
}

TEST(WavePlayer, ABackgroundSoundIsStoppedBeforeItsBytesChangeOrGo) {
  const DWORD start = ::GetTickCount();
  {
    auto player = std::make_unique<TepWavePlayer>(nullptr);
    player->SetOptions(TOptionsSet{wpoAsync});
    LoadBytes(*player->GetWave(), MakeWave(16000));  // two seconds
    player->Play();
    // New bytes while the old ones are being played, then the old ones scribbled over by a
    // fresh block in their place: the sound no longer reads them.
    LoadBytes(*player->GetWave(), MakeWave(8000));
    std::vector<uint8_t> scribble(20000, 0xEE);
    player->Play();
    player->GetWave()->Clear();
    scribble.assign(40000, 0xAB);
    player->Play();  // an empty wave: stops whatever plays
    LoadBytes(*player->GetWave(), MakeWave(16000));
    player->Play();
    player.reset();  // freed while playing
  }
  {
    // A wave copied over the one being played.
    TepWavePlayer player(nullptr);
    player.SetOptions(TOptionsSet{wpoAsync, wpoLoop});
    LoadBytes(*player.GetWave(), MakeWave(4000));
    player.Play();
    TepWave other;
    LoadBytes(other, MakeWave(100));
    player.SetWave(&other);
  }
  EXPECT_LT(::GetTickCount() - start, 5000u);  // nothing waited for a sound to end
}

TEST(WavePlayer, BytesThatAreNoCompleteWaveAreNeverHandedToTheSystem) {
  TepWavePlayer player(nullptr);
  player.SetOptions(TOptionsSet{wpoAsync});
  std::vector<uint8_t> bytes = MakeWave(100);
  PutLE32(bytes, 40, 0x00FFFFFF);  // a data chunk far longer than the block
  LoadBytes(*player.GetWave(), bytes);
  player.Play();
  std::vector<uint8_t> junk(64, 0x55);
  LoadBytes(*player.GetWave(), junk);
  player.Play();
  SUCCEED();
}
