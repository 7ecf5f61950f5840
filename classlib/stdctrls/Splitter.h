// TSplitter: a windowless bar between an aligned control and the rest of its parent that
// the user drags to resize that control.
//
// The splitter works on the visible, enabled sibling that touches its edge on the side of
// its alignment (left of an alLeft splitter, below an alBottom one, ...). A left press
// starts sizing: the new size follows the mouse, kept between MinSize and what leaves
// MinSize for the parent's other aligned controls. rsUpdate resizes the control at once;
// rsLine and rsPattern show an inverted line (solid or halftone) on the parent and resize
// on release; rsNone resizes on release. With AutoSnap a size at or below MinSize becomes 0.
// OnCanResize may change or refuse a size; OnMoved is told after each resize.
//
// Not done: Escape during a drag (a cancel-mode message ends the drag without resizing).
#pragma once
#include <functional>
#include "../controls/Controls.h"
#include "../graphics/GdiHandles.h"

enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };

// newSize may be changed; accept = false refuses it.
using TCanResizeEvent = std::function<void(TObject* sender, int& newSize, bool& accept)>;

class TSplitter : public TGraphicControl {
  CLASSLIB_CLASS(TSplitter, TGraphicControl)
  static const TPropertyTable* PublishedProperties();
  // alLeft, 3 pixels wide, crHSplit, MinSize 30, rsPattern, AutoSnap.
  explicit TSplitter(TComponent* owner);
  // Ends a drag in progress (its line is taken away).
  ~TSplitter() override;

  // ---- Attributes ---------------------------------------------------------------------
  // The smallest size the sized control keeps (values below 1 count as 1).
  int GetMinSize() const { return FMinSize; }
  void SetMinSize(int value);
  TResizeStyle GetResizeStyle() const { return FResizeStyle; }
  void SetResizeStyle(TResizeStyle value) { FResizeStyle = value; }
  bool GetAutoSnap() const { return FAutoSnap; }
  void SetAutoSnap(bool value) { FAutoSnap = value; }
  bool GetBeveled() const { return FBeveled; }
  void SetBeveled(bool value);
  // The control a drag is sizing (nullptr when none); not owned.
  TControl* GetSizedControl() const { return FControl; }

  // ---- Events -------------------------------------------------------------------------
  const TNotifyEvent& GetOnMoved() const { return FOnMoved; }
  void SetOnMoved(TNotifyEvent handler) { FOnMoved = std::move(handler); }
  const TCanResizeEvent& GetOnCanResize() const { return FOnCanResize; }
  void SetOnCanResize(TCanResizeEvent handler) { FOnCanResize = std::move(handler); }
  const TNotifyEvent& GetOnPaint() const { return FOnPaint; }
  void SetOnPaint(TNotifyEvent handler) { FOnPaint = std::move(handler); }

 protected:
  using TGraphicControl::CanResize;
  // OnCanResize's say on a new size; false refuses it.
  virtual bool CanResize(int& newSize);
  // CanResize, then AutoSnap.
  bool DoCanResize(int& newSize);
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  // Keeps the cursor matching the alignment (crHSplit across, crVSplit up and down).
  void RequestAlign() override;
  void WMCancelMode(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // The sibling the splitter sizes, or nullptr.
  TControl* FindSizedControl();
  // The size the control would take with the mouse at (x, y), and the line's offset.
  void CalcSplitSize(int x, int y, int& newSize, int& split);
  // Applies the new size to the control and tells OnMoved (when it changed).
  void UpdateControlSize();
  // Inverts the line at the present split (drawing it again takes it away).
  void DrawLine();
  void AllocateLineDC();
  // Ends a drag: takes the line away and forgets the control.
  void StopSizing();

  int FMinSize = 30;
  int FMaxSize = 0;                      // the largest size during a drag
  int FNewSize = 0;                      // the size the drag has reached
  int FOldSize = -1;                     // the size last applied
  int FSplit = 0;                        // the line's offset from the splitter
  TPoint FDownPos;                       // where the drag began (splitter coordinates)
  TControl* FControl = nullptr;          // the control being sized; not owned
  TResizeStyle FResizeStyle = rsPattern;
  bool FAutoSnap = true;
  bool FBeveled = false;
  WindowDC FLineDC;                      // the parent's DC the line is drawn on
  UniqueBrush FPatternBrush;             // the halftone brush of rsPattern; made on use
  bool FLineVisible = false;             // the line is drawn now
  TNotifyEvent FOnMoved;
  TCanResizeEvent FOnCanResize;
  TNotifyEvent FOnPaint;
};
