// TRxGIFAnimator: a windowless control that shows a TGIFImage and plays its frames on a
// TRxTimer, composing each frame onto the logical screen by the GIF disposal rules.
//
// Threads: with AsyncDrawing off (the default) every step runs on the main thread. With it
// on, the step runs on the timer's worker under the control's lock; the frame-changed and
// stop notifications go to the main thread only after that lock is released, and the timer
// is never told to change its handler while the control's lock is held, so neither thread
// waits for the other while holding what the other needs. Switching AsyncDrawing on also
// makes every bitmap draw of the process hold the drawn bitmap's canvas lock
// (LockBitmapDrawing), since the worker draws the parent's image while the main thread may
// draw the same bitmaps. The destructor stops and joins the timer before the image and the
// composed picture are freed.
#pragma once
#include <atomic>
#include <memory>
#include "Animate.h"
#include "RxGIF.h"
#include "RxTimer.h"

class TPropertyTable;

class TRxGIFAnimator : public TRxImageControl {
  CLASSLIB_CLASS(TRxGIFAnimator, TRxImageControl)
  explicit TRxGIFAnimator(TComponent* owner);
  static const TPropertyTable* PublishedProperties();
  ~TRxGIFAnimator() override;

  // ---- Attributes ----------------------------------------------------------------------
  bool GetAnimate() const { return FAnimate; }
  void SetAnimate(bool value);
  bool GetAsyncDrawing() const { return FAsyncDrawing; }
  void SetAsyncDrawing(bool value);
  bool GetCenter() const { return FCenter; }
  void SetCenter(bool value);
  int GetFrameIndex() const { return FFrameIndex; }
  void SetFrameIndex(int value);
  // The image shown; owned. SetImage copies value into it.
  TGIFImage* GetImage() const { return FImage.get(); }
  void SetImage(TGIFImage* value);
  bool GetLoop() const { return FLoop; }
  void SetLoop(bool value) { FLoop = value; }
  bool GetStretch() const { return FStretch; }
  void SetStretch(bool value);
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool value);
  // The timer that steps the frames (owned).
  TRxTimer* GetTimer() const { return FTimer.get(); }
  // The delay of the current frame as the timer uses it: 0 without animation, else
  // 50..10000 milliseconds.
  unsigned FrameDelay() const;

  // The picture of frame index composed on the logical screen (the cache; owned by the
  // control) and the transparent colour found for it (clNone when none).
  TBitmap* ComposeFrame(int index, TColor& transparentColor);
  // One timer step (the timer calls it).
  void TimerStep();

  bool CanAutoSize(int& newWidth, int& newHeight) override;
  void AdjustSize() override;
  HPALETTE GetPalette();

  // ---- Events --------------------------------------------------------------------------
  TNotifyEvent OnChange, OnFrameChanged, OnStart, OnStop;
  const TNotifyEvent& GetOnChange() const { return OnChange; }
  void SetOnChange(TNotifyEvent e) { OnChange = std::move(e); }
  const TNotifyEvent& GetOnFrameChanged() const { return OnFrameChanged; }
  void SetOnFrameChanged(TNotifyEvent e) { OnFrameChanged = std::move(e); }
  const TNotifyEvent& GetOnStart() const { return OnStart; }
  void SetOnStart(TNotifyEvent e) { OnStart = std::move(e); }
  const TNotifyEvent& GetOnStop() const { return OnStop; }
  void SetOnStop(TNotifyEvent e) { OnStop = std::move(e); }

 protected:
  void Paint() override;
  void DoPaintImage() override;
  virtual void Change();
  virtual void FrameChanged();
  virtual void Start();
  virtual void Stop();

 private:
  void ImageChanged(TObject* sender);
  void DropCache();

  std::unique_ptr<TRxTimer> FTimer;         // steps the frames; joined before the image goes
  std::unique_ptr<TGIFImage> FImage;
  std::unique_ptr<TBitmap> FCache;          // the last composed picture
  int FCacheIndex = -1;                     // the frame FCache shows; -1 when invalid
  TColor FCacheTransparent = clNone;        // the transparent colour found for FCache
  std::atomic<bool> FAnimate{false};
  bool FAsyncDrawing = false;
  bool FCenter = false;
  std::atomic<int> FFrameIndex{0};
  bool FLoop = true;
  bool FStretch = false;
  bool FTransparent = true;
  bool FTimerRepaint = false;               // a timer step is repainting
};

// Registers the animator, the timer and the GIF image classes.
void RegisterRxGIFClasses();
