#include "MediaPlayer.h"

#include <mmsystem.h>

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"

namespace {

const wchar_t* const DeviceTypeNames[] = {
    L"dtAutoSelect", L"dtAVIVideo", L"dtCDAudio", L"dtDAT",     L"dtDigitalVideo",
    L"dtMMMovie",    L"dtOther",    L"dtOverlay", L"dtScanner", L"dtSequencer",
    L"dtVCR",        L"dtVideodisc", L"dtWaveAudio"};
const TEnumInfo DeviceTypeIdents = MakeEnumInfo(DeviceTypeNames);

// The MCI device type names, in the order of TMPDeviceTypes after dtAutoSelect.
const wchar_t* const MCIDeviceNames[] = {
    L"AVIVideo", L"CDAudio",   L"DAT", L"DigitalVideo", L"MMMovie",   L"Other",
    L"Overlay",  L"Scanner",   L"Sequencer", L"VCR",    L"Videodisc", L"WaveAudio"};

const bool MediaPlayerRegistered = [] {
  RegisterClass<TMediaPlayer>();
  return true;
}();

}  // namespace

String MCIErrorText(DWORD errorCode) {
  wchar_t text[MAXERRORLENGTH] = {};
  if (!::mciGetErrorStringW(errorCode, text, MAXERRORLENGTH) || text[0] == L'\0')
    return L"Unknown error code";
  return text;
}

// ---- TMediaPlayer ------------------------------------------------------------------------------

TMediaPlayer::TMediaPlayer(TComponent* owner) : TCustomControl(owner) {
  SetBounds(GetLeft(), GetTop(), 253, 30);
  FNotifyWindow = AllocateHWnd([this](TMessage& message) { NotifyWndProc(message); });
}

TMediaPlayer::~TMediaPlayer() {
  if (FDeviceID != 0) CloseDevice(MCI_WAIT);
  DeallocateHWnd(FNotifyWindow);
}

void TMediaPlayer::SetWait(bool value) {
  FWait = value;
  FUseWait = true;
}

void TMediaPlayer::SetNotify(bool value) {
  FNotify = value;
  FUseNotify = true;
}

DWORD TMediaPlayer::CommandFlags(bool waitByDefault, bool notifyByDefault) {
  const bool wait = FUseWait ? FWait : waitByDefault;
  const bool notify = FUseNotify ? FNotify : notifyByDefault;
  FUseWait = false;
  FUseNotify = false;
  return (wait ? MCI_WAIT : 0) | (notify ? MCI_NOTIFY : 0);
}

void TMediaPlayer::CheckOpen() const {
  if (FDeviceID == 0) throw EMCIDeviceError(L"No MCI device open");
}

void TMediaPlayer::SendCommand(UINT command, DWORD flags, void* params) {
  static_cast<MCI_GENERIC_PARMS*>(params)->dwCallback = reinterpret_cast<DWORD_PTR>(FNotifyWindow);
  FError = ::mciSendCommandW(FDeviceID, command, flags, reinterpret_cast<DWORD_PTR>(params));
  if (FError != 0) throw EMCIDeviceError(GetErrorMessage());
}

DWORD TMediaPlayer::StatusItem(DWORD item) {
  if (FDeviceID == 0) return 0;
  MCI_STATUS_PARMS params{};
  params.dwItem = item;
  FError = ::mciSendCommandW(FDeviceID, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT,
                             reinterpret_cast<DWORD_PTR>(&params));
  return FError == 0 ? static_cast<DWORD>(params.dwReturn) : 0;
}

TMPModes TMediaPlayer::GetMode() {
  if (FDeviceID == 0) return mpNotReady;
  const DWORD mode = StatusItem(MCI_STATUS_MODE);
  if (FError != 0 || mode < MCI_MODE_NOT_READY || mode > MCI_MODE_OPEN) return mpNotReady;
  return static_cast<TMPModes>(mode - MCI_MODE_NOT_READY);
}

DWORD TMediaPlayer::GetLength() { return StatusItem(MCI_STATUS_LENGTH); }

DWORD TMediaPlayer::GetPosition() { return StatusItem(MCI_STATUS_POSITION); }

void TMediaPlayer::Open() {
  // A device left open is closed first; that close does not use the settings meant for Open.
  if (FDeviceID != 0) {
    CloseDevice(MCI_WAIT);
    if (FError != 0) throw EMCIDeviceError(GetErrorMessage());
  }
  DWORD flags = CommandFlags(true, false);
  MCI_OPEN_PARMSW params{};
  params.dwCallback = reinterpret_cast<DWORD_PTR>(FNotifyWindow);
  if (FDeviceType < dtAutoSelect || FDeviceType > dtWaveAudio) {
    FError = MCIERR_INVALID_DEVICE_NAME;
    throw EMCIDeviceError(GetErrorMessage());
  }
  if (FDeviceType != dtAutoSelect) {
    flags |= MCI_OPEN_TYPE;
    params.lpstrDeviceType = MCIDeviceNames[FDeviceType - 1];
  }
  if (!FFileName.empty()) {
    flags |= MCI_OPEN_ELEMENT;
    params.lpstrElementName = FFileName.c_str();
  }
  FError = ::mciSendCommandW(0, MCI_OPEN, flags, reinterpret_cast<DWORD_PTR>(&params));
  if (FError != 0) throw EMCIDeviceError(GetErrorMessage());
  FDeviceID = params.wDeviceID;
}

void TMediaPlayer::CheckOutputDevice() {
  // A play that does not wait returns before the device is reached, and a machine without
  // the output device would only tell through a failure notification; the wave and MIDI
  // devices are checked first so that Play fails at once with the device's error.
  MCI_GETDEVCAPS_PARMS caps{};
  caps.dwItem = MCI_GETDEVCAPS_DEVICE_TYPE;
  if (::mciSendCommandW(FDeviceID, MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM | MCI_WAIT,
                        reinterpret_cast<DWORD_PTR>(&caps)) != 0)
    return;
  if (caps.dwReturn == MCI_DEVTYPE_WAVEFORM_AUDIO && ::waveOutGetNumDevs() == 0)
    FError = MCIERR_WAVE_OUTPUTSUNSUITABLE;
  else if (caps.dwReturn == MCI_DEVTYPE_SEQUENCER && ::midiOutGetNumDevs() == 0)
    FError = MCIERR_SEQ_NOMIDIPRESENT;
  else
    return;
  throw EMCIDeviceError(GetErrorMessage());
}

void TMediaPlayer::Play() {
  CheckOpen();
  const DWORD flags = CommandFlags(false, true);
  CheckOutputDevice();
  if (FAutoRewind) {
    const DWORD length = GetLength();
    if (length != 0 && GetPosition() >= length) {
      MCI_SEEK_PARMS seek{};
      SendCommand(MCI_SEEK, MCI_SEEK_TO_START | MCI_WAIT, &seek);
    }
  }
  MCI_PLAY_PARMS params{};
  SendCommand(MCI_PLAY, flags, &params);
}

void TMediaPlayer::Stop() {
  CheckOpen();
  MCI_GENERIC_PARMS params{};
  SendCommand(MCI_STOP, CommandFlags(false, true), &params);
}

void TMediaPlayer::Close() {
  if (FDeviceID == 0) return;
  CloseDevice(CommandFlags(true, true));
  if (FError != 0) throw EMCIDeviceError(GetErrorMessage());
}

void TMediaPlayer::CloseDevice(DWORD flags) {
  MCI_GENERIC_PARMS params{};
  params.dwCallback = reinterpret_cast<DWORD_PTR>(FNotifyWindow);
  FError = ::mciSendCommandW(FDeviceID, MCI_CLOSE, flags, reinterpret_cast<DWORD_PTR>(&params));
  if (FError == 0) FDeviceID = 0;
}

void TMediaPlayer::NotifyWndProc(TMessage& message) {
  if (message.Msg != MM_MCINOTIFY) {
    message.Result =
        ::DefWindowProcW(FNotifyWindow, message.Msg, message.WParam, message.LParam);
    return;
  }
  switch (message.WParam) {
    case MCI_NOTIFY_SUCCESSFUL: FNotifyValue = nvSuccessful; break;
    case MCI_NOTIFY_SUPERSEDED: FNotifyValue = nvSuperseded; break;
    case MCI_NOTIFY_ABORTED: FNotifyValue = nvAborted; break;
    default: FNotifyValue = nvFailure; break;
  }
  DoNotify();
}

void TMediaPlayer::DoNotify() {
  if (FOnNotify) FOnNotify(this);
}

void TMediaPlayer::Paint() {
  // The player shows as a plain raised panel (the program keeps it hidden).
  TCanvas* canvas = GetCanvas();
  TRect r = GetClientRect();
  canvas->GetBrush()->SetColor(clBtnFace);
  canvas->FillRect(r);
  Frame3D(canvas, r, clBtnHighlight, clBtnShadow, 1);
}

const TPropertyTable* TMediaPlayer::PublishedProperties() {
  using P = TPublish<TMediaPlayer>;
  using C = TMediaPlayer;
  static const TPropertyTable table{
      P::Boolean(L"AutoRewind", &C::GetAutoRewind, &C::SetAutoRewind).Default(true),
      P::Enum(L"DeviceType", DeviceTypeIdents, &C::GetDeviceType, &C::SetDeviceType)
          .Default(dtAutoSelect),
      P::Text(L"FileName", &C::GetFileName, &C::SetFileName),
      P::Method(L"OnNotify", &C::GetOnNotify, &C::SetOnNotify),
  };
  return &table;
}
