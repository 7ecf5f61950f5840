// The media player: a short wave file and a MIDI file written here, played where the machine
// has a sound device and refused with the system's MCI error text where it has none; the
// player's state without a device, Wait and Notify, the notification window, the wave-output
// helpers, and a player read from a layout.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "DialogTestSupport.h"
#include "classlib/classes/Layouts.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Streams.h"
#include "classlib/stdctrls/MediaPlayer.h"
#include "classlib/stdctrls/WaveOut.h"

#include <mmsystem.h>

using namespace dialog_tests;

namespace {

void Put16(std::vector<uint8_t>& bytes, uint16_t value) {
  bytes.push_back(static_cast<uint8_t>(value & 0xFF));
  bytes.push_back(static_cast<uint8_t>(value >> 8));
}
void Put32(std::vector<uint8_t>& bytes, uint32_t value) {
  Put16(bytes, static_cast<uint16_t>(value & 0xFFFF));
  Put16(bytes, static_cast<uint16_t>(value >> 16));
}
void PutTag(std::vector<uint8_t>& bytes, const char* tag) { bytes.insert(bytes.end(), tag, tag + 4); }

// A PCM wave file: 8 kHz, mono, 16 bits, `ms` milliseconds of a 400 Hz square wave.
std::vector<uint8_t> WaveFile(int ms) {
  const uint32_t samples = 8000u * static_cast<uint32_t>(ms) / 1000u;
  std::vector<uint8_t> bytes;
  PutTag(bytes, "RIFF");
  Put32(bytes, 36 + samples * 2);
  PutTag(bytes, "WAVE");
  PutTag(bytes, "fmt ");
  Put32(bytes, 16);
  Put16(bytes, 1);      // PCM
  Put16(bytes, 1);      // channels
  Put32(bytes, 8000);   // samples per second
  Put32(bytes, 16000);  // bytes per second
  Put16(bytes, 2);      // block align
  Put16(bytes, 16);     // bits per sample
  PutTag(bytes, "data");
  Put32(bytes, samples * 2);
  for (uint32_t i = 0; i < samples; ++i) Put16(bytes, (i % 20) < 10 ? 6000 : static_cast<uint16_t>(-6000));
  return bytes;
}

// A MIDI file of one track (96 ticks a quarter note at 120 beats a minute): middle C for a
// quarter of a second.
std::vector<uint8_t> MidiFile() {
  const std::vector<uint8_t> track = {
      0x00, 0xC0, 0x00,        // program change: piano
      0x00, 0x90, 0x3C, 0x64,  // note on, middle C
      0x30, 0x80, 0x3C, 0x40,  // 48 ticks later: note off
      0x00, 0xFF, 0x2F, 0x00,  // end of track
  };
  std::vector<uint8_t> bytes;
  PutTag(bytes, "MThd");
  bytes.insert(bytes.end(), {0, 0, 0, 6, 0, 0, 0, 1, 0, 96});
  PutTag(bytes, "MTrk");
  bytes.insert(bytes.end(), {0, 0, 0, static_cast<uint8_t>(track.size())});
  bytes.insert(bytes.end(), track.begin(), track.end());
  return bytes;
}

class MediaPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Player = new TMediaPlayer(nullptr);
    Player->SetOnNotify([this](TObject* sender) {
      EXPECT_EQ(sender, Player);
      Notified.push_back(Player->GetNotifyValue());
    });
  }
  void TearDown() override { delete Player; }

  // Plays the open file and waits for its notification. Where there is no device for it, the
  // play fails with the MCI error text (true is returned either way when the player behaved).
  void PlayToTheEnd(bool deviceExists) {
    Notified.clear();
    if (!deviceExists) {
      try {
        Player->Play();
        FAIL() << "Play should fail without a device";
      } catch (const EMCIDeviceError& e) {
        EXPECT_NE(Player->GetError(), 0u);
        EXPECT_EQ(e.Message(), MCIErrorText(Player->GetError()));
        EXPECT_FALSE(e.Message().empty());
        EXPECT_NE(e.Message(), L"Unknown error code");
      }
      EXPECT_NE(Player->GetMode(), mpPlaying);
      return;
    }
    Player->Play();
    EXPECT_EQ(Player->GetError(), 0u);
    ASSERT_TRUE(PumpUntil([&] { return !Notified.empty(); }, 5000)) << "no notification";
    EXPECT_EQ(Notified.back(), nvSuccessful);
    EXPECT_EQ(Player->GetMode(), mpStopped);
  }

  TMediaPlayer* Player = nullptr;
  std::vector<TMPNotifyValues> Notified;
};

TEST_F(MediaPlayerTest, AClosedPlayerRefusesCommandsAndTellsItIsNotReady) {
  EXPECT_EQ(Player->GetDeviceID(), 0u);
  EXPECT_EQ(Player->GetMode(), mpNotReady);
  EXPECT_EQ(Player->GetLength(), 0u);
  try {
    Player->Play();
    FAIL();
  } catch (const EMCIDeviceError& e) {
    EXPECT_EQ(e.Message(), L"No MCI device open");
  }
  EXPECT_THROW(Player->Stop(), EMCIDeviceError);
  Player->Close();  // nothing to close
  EXPECT_EQ(Player->GetWidth(), 253);
  EXPECT_EQ(Player->GetHeight(), 30);
}

TEST_F(MediaPlayerTest, AMissingFileFailsToOpenWithTheMCIText) {
  Player->SetFileName(L"C:\\no such folder\\missing.wav");
  try {
    Player->Open();
    FAIL() << "a missing file opened";
  } catch (const EMCIDeviceError& e) {
    EXPECT_NE(Player->GetError(), 0u);
    EXPECT_EQ(e.Message(), Player->GetErrorMessage());
    EXPECT_EQ(e.Message(), MCIErrorText(Player->GetError()));
    EXPECT_NE(e.Message(), L"Unknown error code");
  }
  EXPECT_EQ(Player->GetDeviceID(), 0u);
  EXPECT_EQ(Player->GetMode(), mpNotReady);
  EXPECT_EQ(MCIErrorText(0xFFFF), L"Unknown error code");
  // A device type outside the list is refused before the system is asked.
  Player->SetDeviceType(static_cast<TMPDeviceTypes>(99));
  EXPECT_THROW(Player->Open(), EMCIDeviceError);
  EXPECT_EQ(Player->GetError(), static_cast<DWORD>(MCIERR_INVALID_DEVICE_NAME));
}

TEST_F(MediaPlayerTest, PlaysAShortWaveFileOrReportsWhyNot) {
  TTempFile wave(L"tone.wav", WaveFile(200));
  Player->SetFileName(wave.Path());
  const bool device = WaveOutDeviceCount() > 0;
  try {
    Player->Open();
  } catch (const EMCIDeviceError& e) {
    // Some systems refuse the file already at Open when they have no device.
    EXPECT_FALSE(device) << StringToUtf8(e.Message());
    EXPECT_EQ(e.Message(), MCIErrorText(Player->GetError()));
    return;
  }
  EXPECT_NE(Player->GetDeviceID(), 0u);
  EXPECT_EQ(Player->GetError(), 0u);
  EXPECT_NEAR(static_cast<double>(Player->GetLength()), 200.0, 20.0);  // milliseconds
  EXPECT_TRUE(Notified.empty());  // Open asks for no notification
  PlayToTheEnd(device);
  // At the end, Play starts again from the beginning.
  PlayToTheEnd(device);
  if (device) {
    // With Wait the play returns when the file has played.
    Player->SetWait(true);
    Player->SetNotify(false);
    Notified.clear();
    Player->Play();
    EXPECT_EQ(Player->GetMode(), mpStopped);
    PumpFor(100);
    EXPECT_TRUE(Notified.empty());
  }
  Player->Close();
  EXPECT_EQ(Player->GetDeviceID(), 0u);
  EXPECT_EQ(Player->GetMode(), mpNotReady);
}

TEST_F(MediaPlayerTest, PlaysAMidiFileOrReportsWhyNot) {
  TTempFile midi(L"tune.mid", MidiFile());
  Player->SetFileName(midi.Path());
  const bool device = ::midiOutGetNumDevs() > 0;
  try {
    Player->Open();
  } catch (const EMCIDeviceError& e) {
    EXPECT_FALSE(device) << StringToUtf8(e.Message());
    EXPECT_EQ(e.Message(), MCIErrorText(Player->GetError()));
    EXPECT_NE(e.Message(), L"Unknown error code");
    EXPECT_EQ(Player->GetDeviceID(), 0u);
    return;
  }
  PlayToTheEnd(device);
  Player->Close();
  EXPECT_EQ(Player->GetDeviceID(), 0u);
}

TEST_F(MediaPlayerTest, NotifyAndWaitApplyToTheNextCommandOnly) {
  TTempFile wave(L"notify.wav", WaveFile(100));
  Player->SetFileName(wave.Path());
  Player->SetDeviceType(dtWaveAudio);
  Player->SetNotify(true);  // Open notifies only when asked
  try {
    Player->Open();
  } catch (const EMCIDeviceError& e) {
    GTEST_SKIP() << "the wave device does not open here: " << StringToUtf8(e.Message());
  }
  ASSERT_TRUE(PumpUntil([&] { return Notified.size() == 1; }, 3000));
  EXPECT_EQ(Notified[0], nvSuccessful);
  // Opening again closes the device first, without a notification of that close.
  Player->Open();
  PumpFor(100);
  EXPECT_EQ(Notified.size(), 1u);
  // Close notifies by default; the notification reaches the player after the device is gone.
  Player->Close();
  EXPECT_EQ(Player->GetDeviceID(), 0u);
  ASSERT_TRUE(PumpUntil([&] { return Notified.size() == 2; }, 3000));
  // Without notification this time.
  Player->Open();
  Player->SetNotify(false);
  Player->Close();
  PumpFor(100);
  EXPECT_EQ(Notified.size(), 2u);
}

TEST_F(MediaPlayerTest, StoppingAPlayInProgressEndsIt) {
  if (WaveOutDeviceCount() == 0) GTEST_SKIP() << "no wave-output device";
  TTempFile wave(L"long.wav", WaveFile(3000));
  Player->SetFileName(wave.Path());
  Player->Open();
  Player->Play();
  EXPECT_EQ(Player->GetMode(), mpPlaying);
  Player->SetNotify(false);
  Player->Stop();
  EXPECT_EQ(Player->GetMode(), mpStopped);
  ASSERT_TRUE(PumpUntil([&] { return !Notified.empty(); }, 3000));
  EXPECT_NE(Notified.front(), nvSuccessful);  // the play was cut short
}

TEST(MediaPlayerLifetime, FreeingAnOpenPlayerClosesItsDevice) {
  TTempFile wave(L"free.wav", WaveFile(100));
  for (int i = 0; i < 3; ++i) {
    auto* player = new TMediaPlayer(nullptr);
    player->SetFileName(wave.Path());
    try {
      player->Open();
    } catch (const EMCIDeviceError&) {
    }
    delete player;
  }
  // The file is free again: nothing holds it open.
  HANDLE file = ::CreateFileW(wave.Path().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
}

// ---- Wave output --------------------------------------------------------------------------------

TEST(WaveOut, CountsTheDevicesAndSetsVolumesOnlyOnDevicesThatExist) {
  const UINT count = WaveOutDeviceCount();
  EXPECT_EQ(count, ::waveOutGetNumDevs());
  DWORD volume = 0x12345678;
  EXPECT_FALSE(WaveOutGetVolume(count + 5, volume));
  EXPECT_EQ(volume, 0x12345678u);
  EXPECT_FALSE(WaveOutSetVolume(count + 5, WaveOutStereoVolume(0x8000)));
  EXPECT_EQ(WaveOutStereoVolume(0x1234), 0x12341234u);
  if (count == 0) return;
  DWORD saved = 0;
  if (!WaveOutGetVolume(0, saved)) return;  // a device without a volume control
  EXPECT_TRUE(WaveOutSetVolume(0, WaveOutStereoVolume(0x4000)));
  DWORD now = 0;
  EXPECT_TRUE(WaveOutGetVolume(0, now));
  EXPECT_NEAR(static_cast<double>(LOWORD(now)), 0x4000, 0x800);
  WaveOutSetVolume(0, saved);
}

// ---- Layout ------------------------------------------------------------------------------------------

class TPlayerForm : public TForm {
  CLASSLIB_CLASS(TPlayerForm, TForm)
  explicit TPlayerForm(TComponent* owner) : TForm(owner) {}
  void PlayerNotify(TObject*) { ++Notifies; }
  int Notifies = 0;
};

TEST(MediaPlayerLayout, APlayerIsReadHiddenWithItsFileTypeAndHandler) {
  using M = TPublishMethods<TPlayerForm>;
  RegisterMethods<TPlayerForm>({M::Handler(L"PlayerNotify", &TPlayerForm::PlayerNotify)});
  std::unique_ptr<TPlayerForm> form(TCustomForm::Create<TPlayerForm>(nullptr));
  TStringStream stream(
      L"object PlayerForm: TPlayerForm\n"
      L"  object MidiMediaPlayer: TMediaPlayer\n"
      L"    Left = 10\n"
      L"    Top = 20\n"
      L"    Width = 253\n"
      L"    Height = 30\n"
      L"    Visible = False\n"
      L"    DeviceType = dtSequencer\n"
      L"    FileName = 'music\\back.mid'\n"
      L"    AutoRewind = False\n"
      L"    OnNotify = PlayerNotify\n"
      L"  end\n"
      L"end\n");
  ReadComponentFromStream(stream, form.get());
  auto* player = dynamic_cast<TMediaPlayer*>(form->FindComponent(L"MidiMediaPlayer"));
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(player->GetParent(), form.get());
  EXPECT_FALSE(player->GetVisible());
  EXPECT_EQ(player->GetDeviceType(), dtSequencer);
  EXPECT_EQ(player->GetFileName(), L"music\\back.mid");
  EXPECT_FALSE(player->GetAutoRewind());
  ASSERT_TRUE(player->GetOnNotify());
  player->GetOnNotify()(player);
  EXPECT_EQ(form->Notifies, 1);
  // The form shows; the hidden player gets no window and plays nothing by itself.
  form->Show();
  PumpFor(50);
  EXPECT_FALSE(player->HandleAllocated());
  EXPECT_EQ(player->GetDeviceID(), 0u);
  const String text = ComponentToText(form.get());
  EXPECT_NE(text.find(L"DeviceType = dtSequencer"), String::npos);
  EXPECT_NE(text.find(L"OnNotify = PlayerNotify"), String::npos);
  player->SetDeviceType(dtAutoSelect);
  player->SetAutoRewind(true);
  const String defaults = ComponentToText(form.get());
  EXPECT_EQ(defaults.find(L"DeviceType"), String::npos);
  EXPECT_EQ(defaults.find(L"AutoRewind"), String::npos);
}

}  // namespace
