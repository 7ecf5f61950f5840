// TCustomPanel: a windowed container that draws a frame of up to two bevels around a
// border, fills its inside with its colour and writes its caption centred vertically.
// Aligned children are laid out inside the frame.
//
// The frame, from the outside in: the outer bevel (BevelWidth lines), the border
// (BorderWidth lines in the panel's colour), the inner bevel (BevelWidth lines). A bevel of
// bvNone takes no room. BorderStyle bsSingle adds a window border (a sunken client edge
// when Ctl3D) outside all of this.
//
// Not done: docking of child windows into the panel.
#pragma once
#include "Controls.h"

// ---- Text alignment -------------------------------------------------------------------------
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// ---- Frame geometry (pure: no window needed) --------------------------------------------

// The cut of a bevel. bvSpace draws as bvRaised does.
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using TPanelBevel = TBevelCut;

// Pixels the frame takes on every side of the client area: the border plus one bevel
// width for each bevel that is drawn. Negative widths count as 0.
int PanelFrameWidth(TPanelBevel outer, TPanelBevel inner, int bevelWidth, int borderWidth);

// The colours of a bevel's lines.
struct TBevelColors {
  TColor Top;     // top and left lines
  TColor Bottom;  // bottom and right lines
};
TBevelColors BevelColors(TPanelBevel bevel);

// The band of fontHeight rows centred vertically in inside, where the caption is written:
// Top = (Top + Bottom - fontHeight) div 2.
TRect PanelCaptionRect(const TRect& inside, int fontHeight);

// The DrawText flag that places text by alignment (DT_LEFT, DT_RIGHT or DT_CENTER).
UINT AlignmentDrawTextFlag(TAlignment alignment);

// ---- TCustomPanel ---------------------------------------------------------------------------
class TCustomPanel : public TCustomControl {
  CLASSLIB_CLASS(TCustomPanel, TCustomControl)
  static const TPropertyTable* PublishedProperties();  // ScrollingProperties.cpp
  // 185 x 41, raised outer bevel of width 1, caption centred, clBtnFace, FullRepaint.
  explicit TCustomPanel(TComponent* owner);

  // ---- Attributes ---------------------------------------------------------------------
  // Where the caption sits across the panel (it is always centred vertically).
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TPanelBevel GetBevelInner() const { return FBevelInner; }
  void SetBevelInner(TPanelBevel value);
  TPanelBevel GetBevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel value);
  // Lines per bevel; values below 1 count as 1.
  int GetBevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int value);
  // Lines of the panel's colour between the bevels; values below 0 count as 0.
  int GetBorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int value);
  // bsNone or bsSingle; other values are ignored. Changing it makes the window again.
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  // On a resize the whole panel is repainted; without it only the frame's strips along the
  // moved edges are (enough for a panel without caption whose frame is all it draws).
  bool GetFullRepaint() const { return FFullRepaint; }
  void SetFullRepaint(bool value) { FFullRepaint = value; }
  // A locked panel is never taken as a tool control (CM_ISTOOLCONTROL answers 0).
  bool GetLocked() const { return FLocked; }
  void SetLocked(bool value) { FLocked = value; }

  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  // Shrinks rect by the frame, so aligned children sit inside it.
  void AdjustClientRect(TRect& rect) override;
  void Paint() override;
  void CMTextChanged(TMessage& message) override;
  void CMCtl3DChanged(TMessage& message) override;
  void WMWindowPosChanged(TMessage& message) override;
  virtual void CMBorderChanged(TMessage& message);
  virtual void CMIsToolControl(TMessage& message);

 private:
  // The frame changed: lay the children out again and repaint.
  void FrameChanged();

  TAlignment FAlignment = taCenter;
  TPanelBevel FBevelInner = bvNone;
  TPanelBevel FBevelOuter = bvRaised;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  TBorderStyle FBorderStyle = bsNone;
  bool FFullRepaint = true;
  bool FLocked = false;
};
