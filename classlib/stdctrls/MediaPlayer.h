// TMediaPlayer: plays a media file (wave, MIDI, MP3, video) through the system's MCI devices.
//
// Open opens the device for FileName (the device type chosen by the file's extension with
// dtAutoSelect, else the one named); Play, Stop and Close send the commands of the same
// names. Every command that fails keeps the MCI error code in Error and raises
// EMCIDeviceError with the system's text for it (ErrorMessage); a command on a player that
// is not open raises "No MCI device open". A machine without a sound device makes Open or
// Play fail that way (a wave or MIDI file is checked before it is played); nothing waits
// for a device.
//
// Wait and Notify apply to the next command only. Without Wait, Open and Close wait for the
// device and Play and Stop return at once; without Notify, Play, Stop and Close ask for a
// notification and Open does not. A notification arrives as MM_MCINOTIFY at a hidden window
// of the player, sets NotifyValue and calls OnNotify. A command with Wait set returns when
// the device has finished it (a Play with Wait returns when the file has played).
//
// Not done: the button bar (the player is used hidden), recording, stepping, tracks,
// display windows for video, time formats other than the device's own.
#pragma once
#include "../controls/Controls.h"

enum TMPDeviceTypes {
  dtAutoSelect, dtAVIVideo, dtCDAudio, dtDAT, dtDigitalVideo, dtMMMovie, dtOther, dtOverlay,
  dtScanner, dtSequencer, dtVCR, dtVideodisc, dtWaveAudio
};
enum TMPModes { mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen };
enum TMPNotifyValues { nvSuccessful, nvSuperseded, nvAborted, nvFailure };

CLASSLIB_EXCEPTION(EMCIDeviceError, Exception)

// The system's text for an MCI error code; "Unknown error code" when it has none.
String MCIErrorText(DWORD errorCode);

class TMediaPlayer : public TCustomControl {
  CLASSLIB_CLASS(TMediaPlayer, TCustomControl)
  static const TPropertyTable* PublishedProperties();
  // 253 x 30, closed.
  explicit TMediaPlayer(TComponent* owner);
  // Closes the device (errors are ignored) and frees the notification window.
  ~TMediaPlayer() override;

  // ---- Attributes -----------------------------------------------------------------------
  // The file Open opens.
  const String& GetFileName() const { return FFileName; }
  void SetFileName(const String& value) { FFileName = value; }
  TMPDeviceTypes GetDeviceType() const { return FDeviceType; }
  void SetDeviceType(TMPDeviceTypes value) { FDeviceType = value; }
  // Play starts again from the beginning when the position is at the end.
  bool GetAutoRewind() const { return FAutoRewind; }
  void SetAutoRewind(bool value) { FAutoRewind = value; }
  // Whether the next command waits for the device to finish it / asks for a notification.
  bool GetWait() const { return FWait; }
  void SetWait(bool value);
  bool GetNotify() const { return FNotify; }
  void SetNotify(bool value);
  // The MCI device, 0 while closed.
  UINT GetDeviceID() const { return FDeviceID; }
  // The state of the device: mpNotReady while closed or when the device cannot tell.
  TMPModes GetMode();
  // The length and the position of the media in the device's time format (milliseconds
  // for wave and MIDI files); 0 while closed.
  DWORD GetLength();
  DWORD GetPosition();
  // The MCI error code of the last command (0: it succeeded) and the system's text for it.
  DWORD GetError() const { return FError; }
  String GetErrorMessage() const { return MCIErrorText(FError); }
  // How the last notified command ended.
  TMPNotifyValues GetNotifyValue() const { return FNotifyValue; }

  // ---- Operations ---------------------------------------------------------------------------
  // Closes an open device, then opens FileName. EMCIDeviceError when it cannot be opened.
  void Open();
  // Plays from the position (from the start again with AutoRewind at the end).
  void Play();
  void Stop();
  // Closes the device; nothing while closed.
  void Close();

  // ---- Events ---------------------------------------------------------------------------------
  // A command that asked for a notification ended (NotifyValue tells how).
  const TNotifyEvent& GetOnNotify() const { return FOnNotify; }
  void SetOnNotify(TNotifyEvent handler) { FOnNotify = std::move(handler); }

 protected:
  void Paint() override;
  // Calls OnNotify.
  virtual void DoNotify();

 private:
  // Raises "No MCI device open" while closed.
  void CheckOpen() const;
  // Raises the device's MCI error when a wave or MIDI device has no output device to play on.
  void CheckOutputDevice();
  // The wait and notify flags of a command: what Wait and Notify say when they were set
  // since the last command, else the command's own defaults. Consumes the settings.
  DWORD CommandFlags(bool waitByDefault, bool notifyByDefault);
  // Sends a command to the open device, keeps its result in Error and raises on failure.
  // params is the command's MCI parameter block; its dwCallback is set here.
  void SendCommand(UINT command, DWORD flags, void* params);
  // Closes the open device with the given flags; the device is forgotten when it closed.
  void CloseDevice(DWORD flags);
  // Reads one status item of the open device; 0 when it cannot be read.
  DWORD StatusItem(DWORD item);
  // The notification window's messages: MM_MCINOTIFY.
  void NotifyWndProc(TMessage& message);

  HWND FNotifyWindow = nullptr;          // gets MM_MCINOTIFY; freed by the destructor
  String FFileName;
  TMPDeviceTypes FDeviceType = dtAutoSelect;
  bool FAutoRewind = true;
  UINT FDeviceID = 0;                    // the open device; 0 while closed
  DWORD FError = 0;                      // the MCI result of the last command
  bool FWait = false;                    // the Wait setting for the next command
  bool FUseWait = false;                 // Wait was set since the last command
  bool FNotify = false;                  // the Notify setting for the next command
  bool FUseNotify = false;               // Notify was set since the last command
  TMPNotifyValues FNotifyValue = nvSuccessful;
  TNotifyEvent FOnNotify;
};
