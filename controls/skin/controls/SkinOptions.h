// The option objects that group the visual-effect settings of the owner-drawn controls,
// decorated forms, popup menus and message boxes, stored in layouts as nested properties
// (Blending.Enabled, Shadow.Size, ...), and TSeTimer, a stopwatch on the performance counter.
//
// Writers clamp as the table in each class says. Blending, shadow and the two containers tell
// their owner of every change through OnChange (set by the owner, not stored); gravitation,
// dragging and animation have no notification.
#pragma once
#include <cstdint>
#include <memory>

#include "classlib/classes/Events.h"
#include "classlib/classes/Persistent.h"
#include "classlib/classes/Properties.h"

enum TveEffect {
  veRandomSelect, veFade, veDiagonal, veDown, veIn, veOut, veRectIn, veRectOut, vePixel,
  vePixelLine, veDiamondIn, veDiamondOut, veSmoothDiagonal, veSmoothRectIn, veSmoothRectOut
};
enum TSeDirection { vdNone, vdNoRotate, vdRotate90, vdRotate180, vdRotate270 };
enum TSeFormDragMode { vfdmBorder, vfdmFullDrag };

// Alpha blending of a control or window over what lies beneath it.
class TSeBlending : public TPersistent {
  CLASSLIB_CLASS(TSeBlending, TPersistent)
  static const TPropertyTable* PublishedProperties();
  TSeBlending() = default;

  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool value);
  // Opacity 0..255 (values outside are clamped).
  int GetValue() const { return FValue; }
  void SetValue(int value);
  TNotifyEvent OnChange;  // the owner's; told after every change

  void Assign(TPersistent* source) override;

 private:
  void Changed();
  bool FEnabled = false;
  int FValue = 150;
};

// A drop shadow of a window.
class TSeShadow : public TPersistent {
  CLASSLIB_CLASS(TSeShadow, TPersistent)
  static const TPropertyTable* PublishedProperties();
  TSeShadow() = default;

  TNotifyEvent OnChange;
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool value);
  // Pixels; above 20 becomes 20; 0 or below also switches the shadow off (and is kept).
  int GetSize() const { return FSize; }
  void SetSize(int value);

  void Assign(TPersistent* source) override;

 private:
  void Changed();
  bool FEnabled = false;
  int FSize = 4;
};

// Snapping of a dragged window to the screen's edges.
class TSeGravitation : public TPersistent {
  CLASSLIB_CLASS(TSeGravitation, TPersistent)
  static const TPropertyTable* PublishedProperties();
  TSeGravitation() = default;

  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  // Pixels; below 2 becomes 1, above 50 becomes 50.
  int GetSize() const { return FSize; }
  void SetSize(int value);

  void Assign(TPersistent* source) override;

 private:
  bool FEnabled = true;
  int FSize = 20;
};

// How a decorated window may be moved and sized.
class TSeDragging : public TPersistent {
  CLASSLIB_CLASS(TSeDragging, TPersistent)
  static const TPropertyTable* PublishedProperties();
  TSeDragging() = default;

  bool GetSizeable() const { return FSizeable; }
  void SetSizeable(bool value) { FSizeable = value; }
  bool GetMoveable() const { return FMoveable; }
  void SetMoveable(bool value) { FMoveable = value; }
  TSeFormDragMode GetDragMode() const { return FDragMode; }
  void SetDragMode(TSeFormDragMode value) { FDragMode = value; }

  void Assign(TPersistent* source) override;

 private:
  bool FSizeable = true;
  bool FMoveable = true;
  TSeFormDragMode FDragMode = vfdmFullDrag;
};

// The show and hide animation of a window.
class TSeAnimation : public TPersistent {
  CLASSLIB_CLASS(TSeAnimation, TPersistent)
  static const TPropertyTable* PublishedProperties();
  TSeAnimation() = default;

  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  // Milliseconds; below 51 becomes 50, above 9000 becomes 9000.
  int GetTime() const { return FTime; }
  void SetTime(int value);
  int GetResolution() const { return FResolution; }  // 1..10
  void SetResolution(int value);
  int GetTileCount() const { return FTileCount; }  // 1..20
  void SetTileCount(int value);
  TveEffect GetEffect() const { return FEffect; }
  void SetEffect(TveEffect value) { FEffect = value; }
  TSeDirection GetDirection() const { return FDirection; }
  void SetDirection(TSeDirection value) { FDirection = value; }

  void Assign(TPersistent* source) override;

 private:
  bool FEnabled = false;
  int FTime = 400;
  int FResolution = 1;
  int FTileCount = 1;
  TveEffect FEffect = veFade;
  TSeDirection FDirection = vdNone;
};

// Blending, shadow and animation of a window kind; the base of the form and popup-menu options.
class TSeWindowOptions : public TPersistent {
  CLASSLIB_CLASS(TSeWindowOptions, TPersistent)
  TSeWindowOptions();
  ~TSeWindowOptions() override;

  TNotifyEvent OnChange;
  TSeBlending* GetBlending() const { return FBlending.get(); }  // owned
  void SetBlending(TSeBlending* value);                          // copies value
  TSeShadow* GetShadow() const { return FShadow.get(); }
  void SetShadow(TSeShadow* value);
  TSeAnimation* GetAnimation() const { return FAnimation.get(); }
  void SetAnimation(TSeAnimation* value);

  void Assign(TPersistent* source) override;

 protected:
  template <class T>
  static const TPropertyTable& OptionProperties();

 private:
  void Changed();
  std::unique_ptr<TSeBlending> FBlending;
  std::unique_ptr<TSeShadow> FShadow;
  std::unique_ptr<TSeAnimation> FAnimation;
};

class TSeFormOptions : public TSeWindowOptions {
  CLASSLIB_CLASS(TSeFormOptions, TSeWindowOptions)
  static const TPropertyTable* PublishedProperties();
  TSeFormOptions() = default;
};

class TSePopupMenuOptions : public TSeWindowOptions {
  CLASSLIB_CLASS(TSePopupMenuOptions, TSeWindowOptions)
  static const TPropertyTable* PublishedProperties();
  TSePopupMenuOptions() = default;
};

// A stopwatch on the performance counter; the cost of reading the counter is measured once
// at creation and taken off every measurement.
class TSeTimer : public TObject {
  CLASSLIB_CLASS(TSeTimer, TObject)
  TSeTimer();

  void Start();
  void Stop();
  // Seconds from Start to Stop, less the overhead; may be slightly negative for an
  // immediate stop.
  double Elapsed() const;

 private:
  int64_t FStart = 0;
  int64_t FStop = 0;
  int64_t FFrequency = 1;
  int64_t FOverhead = 0;
};

// Creates the timer when timer is empty, then starts it.
void StartTimer(std::unique_ptr<TSeTimer>& timer);
// 0 for an empty timer (none is created); otherwise stops it and gives the elapsed seconds.
float StopTimer(std::unique_ptr<TSeTimer>& timer);

// Registers the option classes for layouts (done at start-up by the library's registration).
void RegisterSkinOptionClasses();
