// TAnimate over the system's animation control: plays the frames of a silent AVI clip,
// from a file (FileName) or from an "AVI" resource of a module (ResName or ResID, in
// ResHandle or the executable). The clip must be one the control plays: uncompressed or
// RLE8 frames.
//
// Frames are counted from 1. Opening reads the clip's main header for FrameCount and the
// frame size; StopFrame 0 means the last frame. Repetitions 0 plays until stopped.
//
// Not done: the shell's common clips (CommonAVI), AutoSize to the clip's frame.
#pragma once
#include <cstdint>
#include "../controls/Controls.h"

// What the main header of an AVI clip says.
struct TAviInfo {
  int FrameCount = 0;
  int FrameWidth = 0;
  int FrameHeight = 0;
};

// Reads the main header ('avih' in the 'hdrl' list) of an AVI clip held in data. False when
// the bytes are not a RIFF 'AVI ' clip or the header is missing or cut short.
bool ReadAviInfo(const uint8_t* data, size_t size, TAviInfo& info);

class TAnimate : public TWinControl {
  CLASSLIB_CLASS(TAnimate, TWinControl)
  static const TPropertyTable* PublishedProperties();  // Animate.cpp
  // 100 x 80, centred and transparent, played by the control's own thread.
  explicit TAnimate(TComponent* owner);
  ~TAnimate() override;

  // ---- The clip ------------------------------------------------------------------------
  // Setting a source closes the clip open now; the others are cleared (a file replaces a
  // resource and the other way round). ResHandle is the module holding the resource
  // (nullptr: the executable); not owned.
  const String& GetFileName() const { return FFileName; }
  void SetFileName(const String& value);
  const String& GetResName() const { return FResName; }
  void SetResName(const String& value);
  int GetResID() const { return FResID; }
  void SetResID(int value);
  HINSTANCE GetResHandle() const { return FResHandle; }
  void SetResHandle(HINSTANCE value);
  // Opens or closes the clip. Opening raises EInvalidOperation "Cannot open AVI" when there
  // is no source, it cannot be read or the control refuses it.
  bool GetOpen() const { return FOpen; }
  void SetOpen(bool value);
  // 0 while no clip is open.
  int GetFrameCount() const { return FInfo.FrameCount; }
  int GetFrameWidth() const { return FInfo.FrameWidth; }
  int GetFrameHeight() const { return FInfo.FrameHeight; }

  // ---- Playing ------------------------------------------------------------------------------
  // Plays from StartFrame to StopFrame Repetitions times (opening the clip first); false
  // stops. Turns false by itself when the repetitions are done.
  bool GetActive() const { return FActive; }
  void SetActive(bool value);
  // Times the frames play; 0 until stopped.
  int GetRepetitions() const { return FRepetitions; }
  void SetRepetitions(int value);
  // The first and last frame played; kept between 1 and FrameCount once a clip is open.
  int GetStartFrame() const { return FStartFrame; }
  void SetStartFrame(int value);
  int GetStopFrame() const { return FStopFrame; }
  void SetStopFrame(int value);
  // Plays frames fromFrame..toFrame count times (0: until stopped).
  void Play(int fromFrame, int toFrame, int count);
  // Shows one frame.
  void Seek(int frame);
  void Stop();
  // Stops and shows the first frame again.
  void Reset();

  // ---- Look ----------------------------------------------------------------------------------
  // The clip is centred in the control (rather than at its top-left).
  bool GetCenter() const { return FCenter; }
  void SetCenter(bool value);
  // The clip's background colour (its first pixel's) shows the control's colour instead.
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool value);
  // Frames are drawn on a timer of the control's thread rather than by a thread of its own.
  bool GetTimers() const { return FTimers; }
  void SetTimers(bool value);

  // ---- Events ---------------------------------------------------------------------------------
  const TNotifyEvent& GetOnOpen() const { return FOnOpen; }
  void SetOnOpen(TNotifyEvent handler) { FOnOpen = std::move(handler); }
  const TNotifyEvent& GetOnClose() const { return FOnClose; }
  void SetOnClose(TNotifyEvent handler) { FOnClose = std::move(handler); }
  const TNotifyEvent& GetOnStart() const { return FOnStart; }
  void SetOnStart(TNotifyEvent handler) { FOnStart = std::move(handler); }
  const TNotifyEvent& GetOnStop() const { return FOnStop; }
  void SetOnStop(TNotifyEvent handler) { FOnStop = std::move(handler); }

  void Loaded() override;
  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  // ACN_START and ACN_STOP from the control.
  virtual void CNCommand(TMessage& message);

 private:
  // Reads the source's header and has the control open it; false when either fails.
  bool InternalOpen();
  void InternalClose();
  // Closes the clip (telling OnClose) before a source or the window's style changes.
  void CloseForChange();
  // Makes the window again, reopening (and replaying) what was open.
  void RecreateKeepingClip();
  bool Loading() const;

  String FFileName;
  String FResName;
  int FResID = 0;
  HINSTANCE FResHandle = nullptr;  // not owned
  bool FOpen = false;              // a clip is open in the control
  bool FActive = false;            // it is playing
  TAviInfo FInfo;                  // of the open clip; zeros when closed
  int FRepetitions = 0;
  int FStartFrame = 1;
  int FStopFrame = 0;
  bool FCenter = true;
  bool FTransparent = true;
  bool FTimers = false;
  bool FOpenAfterLoad = false;     // a layout asked for Open or Active
  TNotifyEvent FOnOpen;
  TNotifyEvent FOnClose;
  TNotifyEvent FOnStart;
  TNotifyEvent FOnStop;
};
