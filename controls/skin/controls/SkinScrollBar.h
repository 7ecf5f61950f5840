// TSeCustomScrollBar: a windowless scroll bar drawn by the library (themed "ScrollBar" parts or
// classic frame controls), driven by the mouse and, through ScrollByKey, by its owner.
//
// Its geometry is plain arithmetic on a TSeScrollGeometry (below), tested without a window.
// Ranges and the products that map positions to pixels are taken in 64 bits, so a range
// from -2^31 to 2^31 - 1 neither wraps to zero nor overflows.
//
// Repeating: a press on an arrow button or a page area steps at once, then after the
// keyboard delay at the keyboard rate. The repeat stops on release, when the bar loses the
// capture, is disabled or hidden, and when a tick finds the mouse button up; automatic
// scrolling (set by the owner while the user drags a selection past its edge) runs until the
// owner clears it or the end is reached.
//
// Not done: keyboard handling of its own (the bar never takes the focus).
#pragma once
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>

#include "SkinControl.h"
#include "classlib/controls/Scrolling.h"
#include "classlib/forms/Timer.h"
#include "classlib/stdctrls/ScrollBar.h"

// The library's scroll codes are the class library's (scLineUp 0 ... scEndScroll 8).
using TSeScrollCode = TScrollCode;
using TSeScrollEvent = TScrollEvent;
using TScrollBarInc = int;  // 1..32767

extern const TEnumInfo SeScrollBarKindIdents;

// a / b rounded to the nearest integer, halves to even; b > 0.
int64_t RoundDivEven(int64_t a, int64_t b);

// What a bar's geometry depends on, and the geometry itself. Coordinates run along the bar:
// x for a horizontal bar, y for a vertical one.
struct TSeScrollGeometry {
  TScrollBarKind Kind = sbHorizontal;
  int Width = 0;          // the bar's size
  int Height = 0;
  int BorderWidth = 0;    // frame on each side
  int ThumbMetric = 0;    // GetSystemMetrics(SM_CYVTHUMB)
  bool ShowButtons = true;
  int Min = 0;
  int Max = 100;
  int PageSize = 0;
  int Position = 0;

  // Length of one arrow button along the bar (never negative).
  int ButtonSize() const;
  TRect LineUpRect() const;
  TRect LineDownRect() const;
  // The track: the inside of the frame without the buttons (empty, never inverted).
  TRect TrackRect() const;
  // Length of the thumb along the bar; 0 when it does not fit the track.
  int ThumbSize() const;
  // Coordinate of the thumb's leading edge.
  int ThumbOffset() const;
  TRect ThumbRect() const;
  TRect PageUpRect() const;
  TRect PageDownRect() const;
  // The position a thumb whose leading edge is at p stands for, within [Min, Max - PageSize
  // + 1] (not yet limited to Max).
  int64_t PositionAt(int p) const;

 private:
  bool Vertical() const { return Kind == sbVertical; }
  int TrackStart() const;
  int TrackLength() const;
  // Max - Min - PageSize (+1 with a page): the positions the thumb travels over.
  int64_t Travel() const;
  // Along-the-bar extent [from, to) with the track's extent across.
  TRect Along(int from, int to) const;
};

class TThemeScope;

class TSeCustomScrollBar : public TSeGraphicControl {
  CLASSLIB_CLASS(TSeCustomScrollBar, TSeGraphicControl)
  static const TPropertyTable* PublishedProperties();
  explicit TSeCustomScrollBar(TComponent* owner);
  ~TSeCustomScrollBar() override;

  // ---- Range and position ---------------------------------------------------------------
  int GetPosition() const { return FPosition; }
  // Clamped to [Min, Max]; repaints and fires OnChange.
  void SetPosition(int value);
  int GetMin() const { return FMin; }
  void SetMin(int value);      // at most Max; moves Position and trims PageSize
  int GetMax() const { return FMax; }
  void SetMax(int value);      // at least Min; moves Position and trims PageSize
  int GetPageSize() const { return FPageSize; }
  void SetPageSize(int value); // negative ignored; at most Max - Min + 1
  TScrollBarInc GetSmallChange() const { return FSmallChange; }
  void SetSmallChange(TScrollBarInc value);  // clamped to 1..32767
  TScrollBarInc GetLargeChange() const { return FLargeChange; }
  void SetLargeChange(TScrollBarInc value);  // clamped to 1..32767

  // ---- Look -------------------------------------------------------------------------------
  TScrollBarKind GetKind() const { return FKind; }
  void SetKind(TScrollBarKind value);
  int GetBorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int value);  // negative becomes 0
  bool GetShowButtons() const { return FShowButtons; }
  void SetShowButtons(bool value);
  // Sets the thickness across the bar to the system's thumb size plus the frame.
  void AdjustThickness();

  // ---- Automatic scrolling (the owner's) ----------------------------------------------------
  bool GetAutoScrollUp() const { return FAutoScrollUp; }
  void SetAutoScrollUp(bool value);
  bool GetAutoScrollDown() const { return FAutoScrollDown; }
  void SetAutoScrollDown(bool value);
  // One step as the key would give it: Page Up/Down, End, Home, the arrows.
  void ScrollByKey(WORD& key);

  // ---- State --------------------------------------------------------------------------------
  TSeScrollGeometry Geometry() const;
  bool IsDragging() const { return FGrabOffset != -1; }
  bool IsRepeating() const;
  // Hot parts: the thumb, line-up, line-down, page-up, page-down.
  bool GetHotThumb() const { return FHot[HotThumb]; }
  bool GetHotAny() const;

  // ---- Events ---------------------------------------------------------------------------------
  const TNotifyEvent& GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent handler) { FOnChange = std::move(handler); }
  const TSeScrollEvent& GetOnScroll() const { return FOnScroll; }
  void SetOnScroll(TSeScrollEvent handler) { FOnScroll = std::move(handler); }

  // ---- Geometry (virtual, as the bar's descendants draw it) -------------------------------------
  virtual int GetButtonSize() { return Geometry().ButtonSize(); }
  virtual int GetThumbSize() { return Geometry().ThumbSize(); }
  virtual TRect GetLineUpButtonRect() { return Geometry().LineUpRect(); }
  virtual TRect GetLineDownButtonRect() { return Geometry().LineDownRect(); }
  virtual TRect GetThumbRect() { return Geometry().ThumbRect(); }
  virtual TRect GetTrackRect() { return Geometry().TrackRect(); }
  virtual TRect GetPageUpRect() { return Geometry().PageUpRect(); }
  virtual TRect GetPageDownRect() { return Geometry().PageDownRect(); }
  bool IsOnLineUpButton(int x, int y) { return PtInRect(GetLineUpButtonRect(), TPoint(x, y)); }
  bool IsOnLineDownButton(int x, int y) { return PtInRect(GetLineDownButtonRect(), TPoint(x, y)); }
  bool IsOnThumb(int x, int y) { return PtInRect(GetThumbRect(), TPoint(x, y)); }
  bool IsOnPageUp(int x, int y) { return PtInRect(GetPageUpRect(), TPoint(x, y)); }
  bool IsOnPageDown(int x, int y) { return PtInRect(GetPageDownRect(), TPoint(x, y)); }

  void Dispatch(TMessage& message) override;
  // Checks the range read from a layout (taken as it came while reading).
  void Loaded() override;

 protected:
  void PaintFace() override;
  virtual void DrawLineUpButton();
  virtual void DrawLineDownButton();
  virtual void DrawPageUpPressed();
  virtual void DrawPageDownPressed();
  virtual void DrawThumb();
  virtual void DrawTrack();
  virtual void DrawFrame();
  virtual void Change();
  virtual void Scroll(TSeScrollCode code, int& scrollPos);
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void DoMouseLeave() override;
  void CMEnabledChanged(TMessage& message) override;
  void CMVisibleChanged(TMessage& message) override;

 private:
  enum THotPart { HotThumb, HotLineUp, HotLineDown, HotPageUp, HotPageDown, HotParts };
  enum TPressPart { PressLineUp, PressLineDown, PressPageUp, PressPageDown, PressParts };

  bool Loading() const;
  // PageSize at most Max - Min + 1.
  void TrimPageSize();
  bool Down(TPressPart part) const;
  // A press holds one of the four parts.
  bool Pressing() const;
  // The five hot flags at a point; true when any changed.
  bool UpdateHot(int x, int y);
  // Scroll (which may change the value), then Position := the value; false when a handler
  // freed the bar.
  bool ScrollTo(TSeScrollCode code, int64_t value);
  void StartRepeat(bool immediate);
  void StopRepeat();
  // One repeat step; first is the step a press makes at once.
  void RepeatTick(bool first);
  // The release: the thumb dropped, the presses ended, scEndScroll.
  void EndPress();
  // Ends a press or drag the release will not end (lost capture, disabled, hidden).
  void CancelPress();
  void DrawArrowButton(bool up);
  // Themed part (from the kept parts when it can), or false to draw classically.
  bool DrawThemed(int part, int state, const TRect& r);

  const TThemeScope* FPaintTheme = nullptr;  // the theme PaintFace opened for its parts
  // The themed parts as drawn (Wine draws an arrow button in about 1 ms); made at the first
  // themed paint, emptied when the theme or the system colours change.
  std::unique_ptr<class TThemePartCache> FPartCache;

  TPoint FMousePos{-1, -1};          // last pointer position seen by MouseMove
  std::unique_ptr<TTimer> FTimer;    // the repeat timer; made on first use
  int FGrabOffset = -1;              // pointer minus the thumb's leading edge; -1: no drag
  bool FHot[HotParts] = {};          // pointer over each part
  bool FPressed[PressParts] = {};    // left press went down on each part
  int FPosition = 0;
  int FMin = 0;
  int FBorderWidth = 1;
  int FMax = 100;
  int FPageSize = 0;                 // 0: no proportional thumb
  TScrollBarKind FKind = sbHorizontal;
  bool FShowButtons = true;
  TScrollBarInc FLargeChange = 1;    // page step without a PageSize
  TScrollBarInc FSmallChange = 1;    // line step
  TNotifyEvent FOnChange;            // after every change of Position
  TSeScrollEvent FOnScroll;          // before a user-driven change; may change the value
  bool FAutoScrollUp = false;        // automatic line steps towards Min
  bool FAutoScrollDown = false;      // automatic line steps towards Max
};
