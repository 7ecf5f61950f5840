// The wave-output devices of the system: how many there are, and the volume of each.
//
// A volume is a DWORD whose low word is the left channel and whose high word is the right
// channel, each from 0 (silent) to 0xFFFF (full). Devices are numbered from 0; a device that
// does not exist, or that has no volume control, makes the calls fail without effect.
#pragma once
#include "../system/Win.h"

// The number of wave-output devices (0 when the machine has no sound device).
UINT WaveOutDeviceCount();

// Reads the volume of the device into volume; false (volume unchanged) when the device does
// not exist or cannot tell.
bool WaveOutGetVolume(UINT device, DWORD& volume);

// Sets the volume of the device; false when the device does not exist or cannot set it.
bool WaveOutSetVolume(UINT device, DWORD volume);

// The volume of both channels at level (0..0xFFFF).
constexpr DWORD WaveOutStereoVolume(WORD level) {
  return static_cast<DWORD>(level) | (static_cast<DWORD>(level) << 16);
}
