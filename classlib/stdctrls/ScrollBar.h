// TScrollBar: a scroll bar window of its own (the system's SCROLLBAR class), horizontal or
// vertical, with a position between Min and Max. The user moves it with the mouse and, when
// it has the focus, with the arrow keys, Page Up/Down, Home and End; each move calls
// OnScroll (which may change the new position) and, when the position changed, OnChange.
//
// Setting Min above Max, or a range of fewer positions than PageSize, raises
// EInvalidOperation "Scrollbar property out of range"; a position outside Min..Max is
// brought within it. While a layout is read the three are taken as they come and checked
// once all are read (a Max below the Min then becomes the Min).
//
// Not done: the reversed positions of a right-to-left bar.
#pragma once
#include <functional>
#include "../controls/Controls.h"
#include "../controls/Scrolling.h"

enum TScrollCode {
  scLineUp,
  scLineDown,
  scPageUp,
  scPageDown,
  scPosition,
  scTrack,
  scTop,
  scBottom,
  scEndScroll
};
using TScrollEvent = std::function<void(TObject* sender, TScrollCode scrollCode, int& scrollPos)>;

// The position a scroll code moves to from position (before OnScroll), within min..max.
// trackPos is the thumb's position for scPosition and scTrack.
int ScrollBarCodePosition(TScrollCode code, int position, int min, int max, int smallChange,
                          int largeChange, int trackPos);

class TScrollBar : public TWinControl {
  CLASSLIB_CLASS(TScrollBar, TWinControl)
  static const TPropertyTable* PublishedProperties();
  // Horizontal, 121 wide and a scroll bar high; 0..100 at 0; steps of 1; a tab stop.
  explicit TScrollBar(TComponent* owner);

  // ---- Attributes -----------------------------------------------------------------------
  // Changing the kind swaps width and height (outside loading) and makes the window again.
  TScrollBarKind GetKind() const { return FKind; }
  void SetKind(TScrollBarKind value);
  int GetPosition() const { return FPosition; }
  void SetPosition(int value);
  int GetMin() const { return FMin; }
  void SetMin(int value);
  int GetMax() const { return FMax; }
  void SetMax(int value);
  // The size of the thumb in position units (0: the system's square thumb); a value larger
  // than the range is ignored.
  int GetPageSize() const { return FPageSize; }
  void SetPageSize(int value);
  // Steps of the arrows and of the page areas; clamped to 1..32767.
  TScrollBarInc GetSmallChange() const { return FSmallChange; }
  void SetSmallChange(TScrollBarInc value);
  TScrollBarInc GetLargeChange() const { return FLargeChange; }
  void SetLargeChange(TScrollBarInc value);
  // Sets the three at once. EInvalidOperation "Scrollbar property out of range" when
  // max < min or the range has fewer positions than PageSize; position is brought within
  // min..max. OnChange runs when
  // the position changes.
  void SetParams(int position, int min, int max);

  // ---- Events -----------------------------------------------------------------------------
  const TNotifyEvent& GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent handler) { FOnChange = std::move(handler); }
  const TScrollEvent& GetOnScroll() const { return FOnScroll; }
  void SetOnScroll(TScrollEvent handler) { FOnScroll = std::move(handler); }

  void Dispatch(TMessage& message) override;
  // Checks the range read from a layout (a Max read before Min is not checked alone).
  void Loaded() override;

 protected:
  void CreateParams(TCreateParams& params) override;
  // Gives the new window the range, page and position.
  void CreateWnd() override;
  // The position changed: CM_CHANGED, then OnChange.
  virtual void Change();
  // OnScroll.
  virtual void Scroll(TScrollCode scrollCode, int& scrollPos);
  // CN_HSCROLL / CN_VSCROLL: the new position from the scroll code.
  virtual void DoScroll(TMessage& message);

 private:
  void UpdateScrollInfo(bool redraw);

  TScrollBarKind FKind = sbHorizontal;
  int FPosition = 0;
  int FMin = 0;
  int FMax = 100;
  int FPageSize = 0;
  TScrollBarInc FSmallChange = 1;
  TScrollBarInc FLargeChange = 1;
  TNotifyEvent FOnChange;
  TScrollEvent FOnScroll;
};
