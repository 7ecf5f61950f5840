#include "WaveOut.h"

#include <mmsystem.h>

// The system takes a device number where a handle is asked: waveOutGetVolume and
// waveOutSetVolume treat a value below the device count as that device.

UINT WaveOutDeviceCount() { return ::waveOutGetNumDevs(); }

bool WaveOutGetVolume(UINT device, DWORD& volume) {
  DWORD value = 0;
  if (::waveOutGetVolume(reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(device)), &value) !=
      MMSYSERR_NOERROR)
    return false;
  volume = value;
  return true;
}

bool WaveOutSetVolume(UINT device, DWORD volume) {
  return ::waveOutSetVolume(reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(device)), volume) ==
         MMSYSERR_NOERROR;
}
