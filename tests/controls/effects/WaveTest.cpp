// Button sounds: the WAVE check that guards what the system reads, the wave's bytes and the
// play flags through streams, copies and layouts, and playing from memory (synchronously and
// in the background) without hanging or crashing when the bytes change or go, also where
// there is no sound device.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "EffectControlsTestSupport.h"
#include "controls/effects/wavctrl.h"

#include <mmsystem.h>  // after Win.h, which the headers above bring

using namespace effect_tests;
using control_tests::TTestHost;
using Bytes = std::vector<uint8_t>;

namespace {

void PutLE32(Bytes& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A mono 8-bit PCM WAVE file of `samples` samples at 8000 Hz (a quiet square wave): RIFF
// length at 4, the format chunk at 12, the data length at 40, the samples from 44.
Bytes MakeWave(uint32_t samples) {
  Bytes bytes(44);
  std::memcpy(bytes.data(), "RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0", 24);
  PutLE32(bytes, 4, 36 + samples + (samples & 1));
  PutLE32(bytes, 24, 8000);  // samples per second
  PutLE32(bytes, 28, 8000);  // bytes per second
  bytes[32] = 1;             // block align
  bytes[34] = 8;             // bits per sample
  std::memcpy(bytes.data() + 36, "data", 4);
  PutLE32(bytes, 40, samples);
  for (uint32_t i = 0; i < samples; ++i) bytes.push_back((i / 8) % 2 ? 136 : 120);
  if (samples & 1) bytes.push_back(0);
  return bytes;
}

Bytes BytesOf(const TepWave& wave) {
  const auto* p = static_cast<const uint8_t*>(wave.GetMemory());
  return p ? Bytes(p, p + wave.GetSize()) : Bytes();
}

void LoadBytes(TepWave& wave, const Bytes& bytes) {
  TMemoryStream stream;
  stream.SetSize(static_cast<int64_t>(bytes.size()));
  if (!bytes.empty()) std::memcpy(stream.GetMemory(), bytes.data(), bytes.size());
  stream.SetPosition(0);
  wave.LoadFromStream(stream);
}

bool Complete(const Bytes& bytes) {
  return IsCompleteWave(bytes.data(), static_cast<int>(bytes.size()));
}

}  // namespace

TEST(WaveCheck, AcceptsACompleteFileAndRefusesLengthsThatRunPastTheEnd) {
  const Bytes wave = MakeWave(101);  // odd: the data chunk has a pad byte
  EXPECT_TRUE(Complete(wave));
  EXPECT_FALSE(IsCompleteWave(wave.data(), static_cast<int>(wave.size()) - 10));  // cut short
  EXPECT_FALSE(IsCompleteWave(nullptr, 100));
  EXPECT_FALSE(IsCompleteWave(wave.data(), 11));
  Bytes bad = wave;
  PutLE32(bad, 4, 0x7FFFFFF0);  // RIFF length beyond the block
  EXPECT_FALSE(Complete(bad));
  bad = wave;
  PutLE32(bad, 40, 0xFFFFFFF0);  // data length beyond the RIFF chunk
  EXPECT_FALSE(Complete(bad));
  bad = wave;
  std::memcpy(bad.data() + 12, "junk", 4);  // no "fmt " chunk
  EXPECT_FALSE(Complete(bad));
}

TEST(Wave, StreamsAndCopiesCarryTheBytesUnchanged) {
  const Bytes bytes = MakeWave(50);
  auto wave = std::make_unique<TepWave>();
  LoadBytes(*wave, bytes);
  TMemoryStream saved;
  wave->SaveToStream(saved);
  ASSERT_EQ(saved.GetSize(), static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(std::memcmp(saved.GetMemory(), bytes.data(), bytes.size()), 0);
  // A player's wave is a copy of its own, which does not share the freed bytes.
  TepWavePlayer player(nullptr);
  player.SetWave(wave.get());
  wave.reset();
  EXPECT_EQ(BytesOf(*player.GetWave()), bytes);
  player.SetWave(nullptr);
  EXPECT_TRUE(player.GetWave()->GetEmpty());
}

TEST(Wave, APlayerKeepsItsWaveAndOptionsInTheLayout) {
  for (const Bytes& bytes : {MakeWave(33), Bytes()}) {  // an empty wave is an empty block
    TTestHost host;
    auto* player = new TepWavePlayer(&host);
    player->SetName(L"Ding");
    player->SetOptions(TOptionsSet{wpoAsync, wpoNoDefault, wpoLoop, wpoNoStop});
    LoadBytes(*player->GetWave(), bytes);
    const String text = ComponentToText(&host);
    EXPECT_NE(text.find(L"Options = [wpoAsync, wpoNoDefault, wpoLoop, wpoNoStop]"), String::npos);
    TTestHost copy;
    ReadLayout(&copy, text);
    auto* read = dynamic_cast<TepWavePlayer*>(copy.FindComponent(L"Ding"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(BytesOf(*read->GetWave()), bytes);
    EXPECT_EQ(read->GetPlayFlags(),
              static_cast<UINT>(SND_MEMORY | SND_ASYNC | SND_NODEFAULT | SND_LOOP | SND_NOSTOP));
  }
}

TEST(WavePlayer, EventsRunAroundEveryPlayAndASynchronousPlayReturns) {
  TepWavePlayer player(nullptr);
  EXPECT_EQ(player.GetPlayFlags(), static_cast<UINT>(SND_MEMORY));  // [wpoSync]
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
    Bytes scribble(20000, 0xEE);
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
  Bytes bytes = MakeWave(100);
  PutLE32(bytes, 40, 0x00FFFFFF);  // a data chunk far longer than the block
  LoadBytes(*player.GetWave(), bytes);
  player.Play();
  LoadBytes(*player.GetWave(), Bytes(64, 0x55));
  player.Play();
  SUCCEED();
}
