// TFlatSplitter: a flat windowless bar that the user drags to resize the control beside it
// (the one touching its aligned side). While dragging, an inverted block shows where the
// bar would go; the release resizes the control, keeping it between MinSize and what
// leaves MinSize for the parent's other controls aligned on the same axis, and raises
// OnMoved.
//
// Sizing does not start when that room is already below MinSize. Escape ends it without a
// change whichever window has the keyboard (a message hook of the thread sees the key), and
// so does losing the mouse capture; either way the line goes and its DC is released.
#pragma once
#include "FlatUtilitys.h"
#include "classlib/classes/Events.h"
#include "classlib/controls/Controls.h"

class TPropertyTable;

class TFlatSplitter : public TGraphicControl {
  CLASSLIB_CLASS(TFlatSplitter, TGraphicControl)
  static const TPropertyTable* PublishedProperties();
  // alLeft, 5 pixels wide, MinSize 30.
  explicit TFlatSplitter(TComponent* owner);
  // Ends a drag in progress.
  ~TFlatSplitter() override;

  // ---- Attributes (colour writes repaint) ------------------------------------------------------
  TColor GetFocusedColor() const { return FFocusedColor; }  // fill under the mouse
  void SetFocusedColor(TColor value);
  TColor GetBorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor value);
  // The smallest size of the sized control, at least 1.
  int GetMinSize() const { return FMinSize; }
  void SetMinSize(int value);
  // Derive BorderColor and FocusedColor from Color.
  bool GetUseAdvColors() const { return FUseAdvColors; }
  void SetUseAdvColors(bool value);
  int GetAdvColorBorder() const { return FAdvColorBorder; }  // 0..100
  void SetAdvColorBorder(int value);
  int GetAdvColorFocused() const { return FAdvColorFocused; }  // 0..100
  void SetAdvColorFocused(int value);
  const TNotifyEvent& GetOnMoved() const { return FOnMoved; }
  void SetOnMoved(TNotifyEvent handler) { FOnMoved = std::move(handler); }

  // ---- State ------------------------------------------------------------------------------------
  bool GetSizing() const { return FControl != nullptr; }
  bool GetMouseInControl() const { return !FMouseOutside; }
  // The size the control would get now.
  int GetNewSize() const { return FNewSize; }

  // Ends a drag without resizing (Escape, lost capture).
  void CancelSizing();

  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;

 private:
  bool Vertical() const;  // sizes heights (alTop, alBottom)
  TControl* FindSizedControl();
  int ComputeMaxSize();
  void CalcSplitSize(int x, int y);
  void DrawLine();
  void FinishSizing(int x, int y);
  void StopSizing();
  void CalcAdvancedColors();

  TColor FFocusedColor = ColorFromInt(0x53D2FF);
  TColor FBorderColor = ColorFromInt(0x555E66);
  int FMinSize = 30;
  bool FUseAdvColors = false;
  int FAdvColorBorder = 50;
  int FAdvColorFocused = 50;
  TNotifyEvent FOnMoved;

  bool FMouseOutside = true;     // the mouse is not over the splitter
  TControl* FControl = nullptr;  // the control being resized; nullptr when not sizing
  TPoint FDownPos;               // where the press was, in the splitter's coordinates
  int FSplit = 0;                // offset of the line from the splitter
  int FNewSize = 0;              // the control's size at the line
  int FMaxSize = 0;              // the largest size the control may take
  HDC FLineDC = nullptr;         // the parent's DC the line is drawn on, while sizing
  bool FLineVisible = false;     // the line is drawn (drawing again erases it)
};
