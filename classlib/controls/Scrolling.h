// Scrolling windowed controls: TControlScrollBar (one scroll bar of a control's own window,
// described by range and position rather than by a scroll bar window), TScrollingWinControl
// (a windowed control whose children can lie beyond its client area and are scrolled into
// view), and TScrollBox (a bordered scrolling container).
//
// The scrolled area starts at (-HorzScrollBar.Position, -VertScrollBar.Position) in client
// coordinates and is Range wide or high (at least the client size). Scrolling moves the
// children: child windows with ScrollWindow (or SetWindowPos while hidden), windowless
// children by their bounds fields; then the aligned children are laid out again.
//
// ssFlat and ssHotTrack use the flat scroll bars of the common controls. Where they cannot
// be had (the functions are missing, or InitializeFlatSB fails) the bars stay regular and
// the style is kept only as a property.
//
// Not done: scaling of ranges with the form (ScaleBy), right-to-left bar placement.
#pragma once
#include <span>
#include "Controls.h"

class TScrollingWinControl;

enum TScrollBarKind { sbHorizontal, sbVertical };
// ssRegular: the system's bars; ssFlat: flat bars; ssHotTrack: flat bars whose parts light
// up under the mouse.
enum TScrollBarStyle { ssRegular, ssFlat, ssHotTrack };
using TScrollBarInc = int;  // 1..32767

// ---- Range and position arithmetic (pure: no window needed) ------------------------------

// How a child counts toward the scroll range along one axis.
enum TScrollExtentRole {
  erIgnored,   // hidden, or aligned or anchored so that it follows the client area
  erExtent,    // reaches from the origin of the scrolled area to Start + Size
  erTrailing,  // aligned to the far side: its size is added after the furthest extent
};
struct TScrollExtent {
  TScrollExtentRole Role = erIgnored;
  int Start = 0;  // Left or Top in client coordinates (moved by the scroll position)
  int Size = 0;   // Width or Height
};
// The range that shows every child: the furthest extent measured from the unscrolled
// origin (position is added back), plus the trailing sizes, plus margin; never below 0.
int CalcScrollRange(std::span<const TScrollExtent> extents, int position, int margin);

// How far the bar can move: range less the visible size, never below 0.
int ScrollCalcRange(int range, int controlSize);

// The visible size along a bar's axis. clientSize is the client width or height now;
// otherBarShown tells whether the bar across it (which takes otherBarThickness pixels of
// that size) is shown now. With controlSB the size is taken as it is; otherwise it is the
// size the client would have with the other bar shown (assumeSB) or hidden.
int ScrollControlSize(int clientSize, bool controlSB, bool assumeSB, bool otherBarShown,
                      int otherBarThickness);

// The new position after a scroll code of WM_HSCROLL/WM_VSCROLL without smoothing: lines
// move by increment, pages by pageSize, the thumb goes to thumbPos (while dragging only
// when tracking), top to 0, bottom to calcRange. SB_ENDSCROLL and unknown codes keep
// position. The result is not clamped.
int ScrollCodePosition(int code, int position, int increment, int pageSize, int calcRange,
                       int thumbPos, bool tracking);

// A smooth scroll of amount pixels in `divisions` steps: Count steps of Step, then Final.
struct TSmoothScroll {
  int Step = 0;
  int Final = 0;
  int Count = 0;
};
TSmoothScroll SmoothScrollSteps(int amount, int divisions);

// The position that brings the span [start, end) (client coordinates) into a client area
// of clientSize, moving as little as possible; a span larger than the client shows its
// start. The result is not clamped.
int ScrollInViewPosition(int position, int start, int end, int clientSize);

// The flat scroll bar mode (FSB_xxx_MODE) that draws a style.
int FlatScrollBarMode(TScrollBarStyle style);

// ---- TControlScrollBar ----------------------------------------------------------------------
// One scroll bar of a TScrollingWinControl, which owns it. Without a window the values are
// kept and applied when the window is made.
class TControlScrollBar : public TPersistent {
  CLASSLIB_CLASS(TControlScrollBar, TPersistent)
  static const TPropertyTable* PublishedProperties();  // ScrollingProperties.cpp
  TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind);

  // Copies Range, Position, Increment, Margin, Visible, Tracking, Smooth, Style, sizes and
  // colour from another TControlScrollBar.
  void Assign(TPersistent* source) override;

  // ---- Attributes ---------------------------------------------------------------------
  TScrollBarKind GetKind() const { return FKind; }
  TScrollingWinControl* GetControl() const { return FControl; }
  // The size of the scrolled area along the bar. Setting it turns the control's
  // AutoScroll off. Negative values count as 0.
  int GetRange() const { return FRange; }
  void SetRange(int value);
  // The scroll offset, 0..Range - visible size; setting it scrolls the children.
  int GetPosition() const { return FPosition; }
  void SetPosition(int value);
  // Position while the bar is Visible, else 0.
  int GetScrollPos() const { return FVisible ? FPosition : 0; }
  // Pixels a line button moves; clamped to 1..32767.
  TScrollBarInc GetIncrement() const { return FIncrement; }
  void SetIncrement(TScrollBarInc value);
  // Space kept beyond the furthest child by AutoScroll and around a control brought into
  // view by ScrollInView; negative values count as 0.
  int GetMargin() const { return FMargin; }
  void SetMargin(int value);
  // Flat bars only: the arrow buttons' length, the bar's thickness and the thumb's length
  // in pixels (0: the system's size).
  int GetButtonSize() const { return FButtonSize; }
  void SetButtonSize(int value);
  int GetSize() const { return FSize; }
  void SetSize(int value);
  int GetThumbSize() const { return FThumbSize; }
  void SetThumbSize(int value);
  // Flat bars only: the background colour; ParentColor gives clBtnHighlight.
  TColor GetColor() const { return FColor; }
  void SetColor(TColor value);  // clears ParentColor
  bool GetParentColor() const { return FParentColor; }
  void SetParentColor(bool value);
  // Lines and pages move in small steps with a short pause between them; Increment then
  // follows the page size.
  bool GetSmooth() const { return FSmooth; }
  void SetSmooth(bool value);
  TScrollBarStyle GetStyle() const { return FStyle; }
  void SetStyle(TScrollBarStyle value);
  // Dragging the thumb scrolls at once rather than on release.
  bool GetTracking() const { return FTracking; }
  void SetTracking(bool value) { FTracking = value; }
  // A hidden bar never scrolls (its range counts as nothing).
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool value);
  // True when the bar is Visible and shown on the control's window now.
  bool IsScrollBarVisible() const;

  // ---- Operations -----------------------------------------------------------------------
  // Handles WM_HSCROLL/WM_VSCROLL of the control's own bar.
  void ScrollMessage(TMessage& message);

 private:
  friend class TScrollingWinControl;
  // AutoScroll: the range from the control's children.
  void CalcAutoRange();
  // Sets the range without touching AutoScroll.
  void DoSetRange(int value);
  // The visible size along the bar (see ScrollControlSize).
  int ControlSize(bool controlSB, bool assumeSB) const;
  // The range does not fit in the client as it would be without the other bar.
  bool NeedsScrollBarVisible() const;
  // Hands range, page and position to the window's bar.
  void Update(bool controlSB, bool assumeSB);
  // Passes ButtonSize, Size, ThumbSize, Color and Style to a flat bar.
  void UpdateScrollProperties(bool redraw);
  // The furthest Position may go now.
  int CurrentCalcRange() const;
  // The thumb position of a thumb message: the 32-bit track position for large ranges.
  int ThumbPosition(TMessage& message) const;
  // The SB_HORZ/SB_VERT code of this bar.
  int BarCode() const { return FKind == sbVertical ? SB_VERT : SB_HORZ; }

  TScrollingWinControl* FControl;   // owns this bar; not owned
  TScrollBarKind FKind;
  int FRange = 0;                   // size of the scrolled area
  int FPosition = 0;                // scroll offset
  int FCalcRange = 0;               // Range less the visible size, when last updated
  TScrollBarInc FIncrement = 8;     // pixels per line
  int FPageIncrement = 80;          // pixels per page (nine tenths of the client)
  int FMargin = 0;
  int FButtonSize = 0;
  int FSize = 0;
  int FThumbSize = 0;
  TColor FColor = clBtnHighlight;
  bool FParentColor = true;
  bool FSmooth = false;
  TScrollBarStyle FStyle = ssRegular;
  bool FTracking = false;
  bool FVisible = true;
  bool FUpdateNeeded = true;        // the flat bar's properties must be passed again
  int FDelay = 10;                  // ms between the steps of a smooth scroll
  int FLineDiv = 4;                 // steps of a smooth line scroll
  int FPageDiv = 12;                // steps of a smooth page scroll
};

// ---- TScrollingWinControl --------------------------------------------------------------------
class TScrollingWinControl : public TWinControl {
  CLASSLIB_CLASS(TScrollingWinControl, TWinControl)
  static const TPropertyTable* PublishedProperties();  // ScrollingProperties.cpp
  explicit TScrollingWinControl(TComponent* owner);
  ~TScrollingWinControl() override;

  // ---- Attributes ---------------------------------------------------------------------
  TControlScrollBar* GetHorzScrollBar() const { return FHorzScrollBar.get(); }  // owned
  void SetHorzScrollBar(TControlScrollBar* value);  // copies value
  TControlScrollBar* GetVertScrollBar() const { return FVertScrollBar.get(); }  // owned
  void SetVertScrollBar(TControlScrollBar* value);  // copies value
  // The ranges follow the children (on by default); turning it off sets both ranges to 0.
  bool GetAutoScroll() const { return FAutoScroll; }
  void SetAutoScroll(bool value);
  // True while the window uses the flat scroll bars of the common controls.
  bool GetFlatScrollBars() const { return FFlatScrollBars; }

  // ---- Operations -----------------------------------------------------------------------
  // Scrolls so that control (a child, or a child's child) is wholly visible, keeping the
  // margins around it. Controls that are not inside this one are ignored.
  void ScrollInView(TControl* control);
  // Moves the contents by deltaX, deltaY pixels (positive: right and down). The bars'
  // positions are not changed; SetPosition is what calls this.
  virtual void ScrollBy(int deltaX, int deltaY);
  // Recomputes the ranges from the children when AutoScroll is on (unless disabled).
  void CalcAutoRange();
  // Nested: while disabled, the ranges are not recomputed.
  void DisableAutoRange() { ++FAutoRangeCount; }
  void EnableAutoRange();
  // Hands ranges, pages and positions to the window's bars.
  void UpdateScrollBars();
  void AutoScrollInView(TControl* control) override;

 protected:
  // AutoScroll is in force (false for auto-sizing controls).
  virtual bool AutoScrollEnabled();
  void AdjustClientRect(TRect& rect) override;
  void AlignControls(TControl* control, TRect& rect) override;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void WMSize(TMessage& message) override;
  void WMHScroll(TMessage& message) override;
  void WMVScroll(TMessage& message) override;

 private:
  friend class TControlScrollBar;
  // Turns the flat bars on for a style that needs them; false when they cannot be had.
  bool EnsureFlatScrollBars();
  // Scroll calls on the window, through the flat API while it is in use.
  bool SetScrollInfoOf(int bar, SCROLLINFO& info, bool redraw);
  bool GetScrollInfoOf(int bar, SCROLLINFO& info);
  void SetScrollPropOf(UINT index, int value, bool redraw);
  // The client size: of the window when there is one, else of the bounds.
  TSize ClientSizeNow();
  // The area the children are laid out in: from the scroll origin, range by range (at
  // least the client).
  TRect ScrolledArea();
  // The thickness of the bar of the given kind (the flat Size when set).
  int BarThickness(TScrollBarKind kind) const;
  // The child's bounds, moved without moving anything else (windowless children).
  static void MoveBoundsField(TControl* control, int deltaX, int deltaY);

  std::unique_ptr<TControlScrollBar> FHorzScrollBar;
  std::unique_ptr<TControlScrollBar> FVertScrollBar;
  bool FAutoScroll = true;
  int FAutoRangeCount = 0;          // DisableAutoRange nesting
  bool FUpdatingScrollBars = false; // UpdateScrollBars is running (no re-entry)
  bool FFlatScrollBars = false;     // InitializeFlatSB succeeded on the present window
  bool FFlatTried = false;          // InitializeFlatSB was tried on the present window
};

// ---- TScrollBox ---------------------------------------------------------------------------------
// A scrolling container with a border (bsSingle by default: a sunken edge when Ctl3D).
class TScrollBox : public TScrollingWinControl {
  CLASSLIB_CLASS(TScrollBox, TScrollingWinControl)
  static const TPropertyTable* PublishedProperties();  // ScrollingProperties.cpp
  explicit TScrollBox(TComponent* owner);

  // bsNone or bsSingle; other values are ignored. Changing it makes the window again.
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CMCtl3DChanged(TMessage& message) override;

 private:
  TBorderStyle FBorderStyle = bsSingle;
};
