// The media player: a short wave file and a MIDI file written here, played where the machine
// has a sound device and refused with the system's MCI error text where it has none; the
// player's state without a device, Wait and Notify, the notification window, the wave-output
// helpers, and a player read from a layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "DialogTestSupport.h"
#include "classlib/classes/Layouts.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Streams.h"
#include "classlib/stdctrls/MediaPlayer.h"
#include "classlib/stdctrls/WaveOut.h"
#include "tests/ErrorMessages.h"

#include <mmsystem.h>

using namespace dialog_tests;

namespace {

// Appends a value's bytes, little-endian as on this machine.
template <class T>
void Put(std::vector<uint8_t>& bytes, const T& value) {
  const auto* first = reinterpret_cast<const uint8_t*>(&value);
  bytes.insert(bytes.end(), first, first + sizeof(T));
}
void PutTag(std::vector<uint8_t>& bytes, const char* tag) {
  bytes.insert(bytes.end(), tag, tag + 4);
}

// A PCM wave file: 8 kHz, mono, 16 bits, `ms` milliseconds of a 400 Hz square wave.
std::vector<uint8_t> WaveFile(int ms) {
  const uint32_t samples = 8u * static_cast<uint32_t>(ms);
  const PCMWAVEFORMAT format{{WAVE_FORMAT_PCM, 1, 8000, 16000, 2}, 16};
  std::vector<uint8_t> bytes;
  PutTag(bytes, "RIFF");
  Put<uint32_t>(bytes, 36 + samples * 2);
  PutTag(bytes, "WAVE");
  PutTag(bytes, "fmt ");
  Put<uint32_t>(bytes, sizeof format);
  Put(bytes, format);
  PutTag(bytes, "data");
  Put<uint32_t>(bytes, samples * 2);
  for (uint32_t i = 0; i < samples; ++i) Put<int16_t>(bytes, (i % 20) < 10 ? 6000 : -6000);
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

  // Expects what raises to fail with the system's MCI text for the player's error.
  void ExpectMCIError(const std::function<void()>& raises) {
    const String message = ErrorMessageOf<EMCIDeviceError>(raises, L"no error");
    EXPECT_NE(Player->GetError(), 0u);
    EXPECT_EQ(message, MCIErrorText(Player->GetError()));
    EXPECT_FALSE(message.empty());
    EXPECT_NE(message, L"Unknown error code");
  }
  // Opens fileName; where there is no device some systems refuse the file already here.
  // False when it did not open (and failed as it should).
  bool OpenOrReport(const String& fileName, bool deviceExists) {
    Player->SetFileName(fileName);
    const String error = ErrorMessageOf<EMCIDeviceError>([&] { Player->Open(); }, String());
    if (!error.empty()) {
      EXPECT_FALSE(deviceExists) << StringToUtf8(error);
      EXPECT_EQ(error, MCIErrorText(Player->GetError()));
      EXPECT_EQ(Player->GetDeviceID(), 0u);
      return false;
    }
    EXPECT_NE(Player->GetDeviceID(), 0u);
    EXPECT_EQ(Player->GetError(), 0u);
    EXPECT_TRUE(Notified.empty());  // Open asks for no notification
    return true;
  }
  // Plays the open file and waits for its notification; without a device the play fails
  // with the MCI error text.
  void PlayToTheEnd(bool deviceExists) {
    Notified.clear();
    if (!deviceExists) {
      ExpectMCIError([&] { Player->Play(); });
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

TEST_F(MediaPlayerTest, AClosedPlayerRefusesCommandsAndAMissingFileDoesNotOpen) {
  EXPECT_EQ(Player->GetMode(), mpNotReady);
  EXPECT_EQ(Player->GetLength(), 0u);
  EXPECT_EQ(ErrorMessageOf<EMCIDeviceError>([&] { Player->Play(); }, L""), L"No MCI device open");
  EXPECT_THROW(Player->Stop(), EMCIDeviceError);
  Player->Close();  // nothing to close

  Player->SetFileName(L"C:\\no such folder\\missing.wav");
  ExpectMCIError([&] { Player->Open(); });
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
  const bool device = WaveOutDeviceCount() > 0;
  if (!OpenOrReport(wave.Path(), device)) return;
  EXPECT_NEAR(static_cast<double>(Player->GetLength()), 200.0, 20.0);  // milliseconds
  PlayToTheEnd(device);
  PlayToTheEnd(device);  // at the end, Play starts again from the beginning
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
  const bool device = ::midiOutGetNumDevs() > 0;
  if (!OpenOrReport(midi.Path(), device)) return;
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
  DWORD volume = 0x12345678;
  EXPECT_FALSE(WaveOutGetVolume(count + 5, volume));
  EXPECT_EQ(volume, 0x12345678u);
  EXPECT_FALSE(WaveOutSetVolume(count + 5, WaveOutStereoVolume(0x8000)));
  EXPECT_EQ(WaveOutStereoVolume(0x1234), 0x12341234u);
  DWORD saved = 0;
  if (count == 0 || !WaveOutGetVolume(0, saved)) return;  // none, or without a volume control
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

TEST(MediaPlayerLayout, APlayerIsReadHiddenWithItsHandlerAndWrittenBackAsRead) {
  using M = TPublishMethods<TPlayerForm>;
  RegisterMethods<TPlayerForm>({M::Handler(L"PlayerNotify", &TPlayerForm::PlayerNotify)});
  std::unique_ptr<TPlayerForm> form(TCustomForm::Create<TPlayerForm>(nullptr));
  const String layout =
      L"  object MidiMediaPlayer: TMediaPlayer\n    Left = 10\n    Top = 20\n    Width = 253\n"
      L"    Height = 30\n    Visible = False\n    TabOrder = 0\n    AutoRewind = False\n"
      L"    DeviceType = dtSequencer\n    FileName = 'music\\back.mid'\n"
      L"    OnNotify = PlayerNotify\n  end\n";
  TStringStream stream(L"object PlayerForm: TPlayerForm\n" + layout + L"end\n");
  ReadComponentFromStream(stream, form.get());
  auto* player = dynamic_cast<TMediaPlayer*>(form->FindComponent(L"MidiMediaPlayer"));
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(player->GetParent(), form.get());
  ASSERT_TRUE(player->GetOnNotify());
  player->GetOnNotify()(player);
  EXPECT_EQ(form->Notifies, 1);
  // The form shows; the hidden player gets no window and plays nothing by itself.
  form->Show();
  PumpFor(50);
  EXPECT_FALSE(player->HandleAllocated());
  EXPECT_EQ(player->GetDeviceID(), 0u);
  String text = ComponentToText(form.get());
  text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
  EXPECT_NE(text.find(layout), String::npos) << StringToUtf8(text);  // written back as read
  player->SetDeviceType(dtAutoSelect);
  player->SetAutoRewind(true);
  const String defaults = ComponentToText(form.get());
  EXPECT_EQ(defaults.find(L"DeviceType"), String::npos);
  EXPECT_EQ(defaults.find(L"AutoRewind"), String::npos);
}

}  // namespace
