// A shipped listening passage played through the media player: it opens, plays, and its
// position advances. A machine that cannot decode MP3 or has no sound output says which and
// skips; nothing else depends on this.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "classlib/stdctrls/MediaPlayer.h"
#include "classlib/stdctrls/WaveOut.h"
#include "classlib/system/SysFiles.h"

namespace {

// The first passage under the program's voice folder, or "" when there is none.
String FirstPassage() {
  WIN32_FIND_DATAW found{};
  const String folder = BuiltAppFolder() + L"voice\\";
  HANDLE search = ::FindFirstFileW((folder + L"@*.mp3").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return String();
  ::FindClose(search);
  return folder + found.cFileName;
}

TEST(ListeningPassage, PlaysAndItsPositionAdvances) {
  const String file = FirstPassage();
  ASSERT_FALSE(file.empty()) << "the build speaks the passages into the voice folder";
  if (WaveOutDeviceCount() == 0) GTEST_SKIP() << "no wave-output device: the sound output is missing";
  std::unique_ptr<TMediaPlayer> player(new TMediaPlayer(nullptr));
  player->SetFileName(file);
  try {
    player->Open();
  } catch (const Exception& e) {
    GTEST_SKIP() << "the passage does not open (no MP3 decoder?): " << StringToUtf8(e.Message());
  }
  EXPECT_GT(player->GetLength(), 500u) << "a spoken sentence lasts longer than half a second";
  player->Play();
  DWORD position = 0;
  for (int waited = 0; waited < 5000 && position == 0; waited += 50) {
    ::Sleep(50);
    position = player->GetPosition();
  }
  EXPECT_GT(position, 0u);
  player->Stop();
  player->Close();
}

}  // namespace
