// The frame of a decorated form as pure geometry: the client rectangle a frame leaves, the
// caption band and its buttons, the frame zone under a point and its system hit-test code,
// the rectangle a frame drag gives, snapping to the work area, and the rectangles of the
// rolled-up and minimized states. Nothing here needs a window; the form component feeds these
// functions its size, style and state and the system metrics.
//
// All coordinates are window coordinates (origin at the window's top-left corner) unless a
// function says otherwise.
#pragma once
#include <array>
#include <cstdint>
#include <optional>

#include "SkinMessage.h"
#include "classlib/graphics/Types.h"

enum TSeBorderStyle { vbsNone, vbsStandard, vbsToolWindow };
enum TSeWindowState { vwsNormal, vwsMaximized, vwsMinimized, vwsRollup, vwsTray };
enum TSeFormPerformance { vxfpNoBuffer, vxfpSharedBuffer, vxfpPersistentBuffer, vxfpDoubleBuffer };
extern const TEnumInfo SeBorderStyleIdents;
extern const TEnumInfo SeWindowStateIdents;
extern const TEnumInfo SeFormPerformanceIdents;

// The parts of a frame, as the hit-testing and the mouse tracking name them.
enum TSeFrameZone : uint8_t {
  fzNone, fzCaption, fzLeft, fzTop, fzRight, fzBottom, fzBorder, fzTopLeft, fzTopRight,
  fzBottomLeft, fzBottomRight, fzClose, fzHelp, fzMinimize, fzMaximize, fzRollup, fzTray,
  fzSystemMenu, fzNoHot  // fzNoHot: no hot zone after a state change
};

// The system metrics a frame is laid out with.
struct TSeFrameMetrics {
  int Frame = 4;          // SM_CXFRAME
  int Caption = 19;       // SM_CYCAPTION
  int SmallCaption = 15;  // SM_CYSMCAPTION
};
// The metrics as the system reports them now.
TSeFrameMetrics SystemFrameMetrics();

// What the layout of a frame depends on.
struct TSeFrameLayout {
  int Width = 0;   // form width, without the shadow
  int Height = 0;  // form height, without the shadow
  TSeBorderStyle BorderStyle = vbsStandard;
  TSeBorderIcons BorderIcons{vbiClose, vbiSystemMenu, vbiMinimize, vbiMaximize, vbiRollup, vbiTray};
  TSeWindowState State = vwsNormal;
  bool Themed = false;             // visual styles draw the frame
  bool MaximizedMDIChild = false;  // a maximized MDI child has no frame of its own
  TSeFrameMetrics Metrics;
  // The client rectangle a form decides itself (a descendant's own frame); when set, every
  // function here lays the frame out around it.
  std::optional<TRect> Client;
};

// The client rectangle inside the frame: layout.Client when set, else the frame's rule.
TRect FrameClientRect(const TSeFrameLayout& layout);
// The caption's height: 0 without a frame, else the caption metric of the style.
int FrameCaptionHeight(const TSeFrameLayout& layout);
// The band the caption text and buttons lie in.
TRect FrameCaptionBand(const TSeFrameLayout& layout);
// The rectangles of the caption buttons, indexed by TSeBorderIcon; empty for a button not shown.
using TSeButtonRects = std::array<TRect, vbiTray + 1>;
// Where the frame places each caption button. Buttons not among the border icons take no room.
TSeButtonRects FrameButtonRects(const TSeFrameLayout& layout);
// The rectangle of one caption button of FrameButtonRects.
TRect FrameButtonRect(const TSeFrameLayout& layout, TSeBorderIcon icon);
// The zone at (x, y), with the caption buttons where buttons says. grip is the window
// rectangle of a status bar's size grip (empty: none).
TSeFrameZone FrameHitTest(const TSeFrameLayout& layout, TPoint p, const TSeButtonRects& buttons,
                          const TRect& grip = TRect());
// The WM_NCHITTEST answer for a zone.
LRESULT FrameZoneHitCode(TSeFrameZone zone, bool moveable, bool sizeable, bool maximized);
// True for the zones that size the frame (edges and corners).
bool FrameZoneSizes(TSeFrameZone zone);

// Moves r so that an edge within size pixels of the work area's edge lies on it. shadow is the
// shadow's width (0 without one), which is not counted as part of the window.
TRect SnapToWorkArea(TRect r, const TRect& workArea, int size, int shadow);

// One step of a frame drag.
struct TSeFrameDrag {
  TSeFrameZone Zone = fzNone;  // the zone pressed
  TPoint Press;                // window point of the press
  TPoint Last;                 // window point of the previous step
  bool Outline = false;        // only an outline moves; the window keeps its place
  bool Moveable = true;
  bool Sizeable = true;
  TSeWindowState State = vwsNormal;
  TSize MinTrack{150, 40};
};
// The form's new bounds for the mouse at window point p, from its bounds now (before
// snapping, which the caller applies to moves).
TRect FrameDragRect(const TRect& bounds, const TSeFrameDrag& drag, TPoint p);

// (0, 0, W, client top + H - client bottom) moved to left, top.
TRect FrameRollupRect(const TSeFrameLayout& layout, int left, int top);
// The minimized rectangle: minimizedWidth wide, as high as the rolled-up form, at the bottom
// left of the work area.
TRect FrameMinimizedRect(const TSeFrameLayout& layout, int minimizedWidth, const TRect& workArea);
// area inflated by the frame (the frame lies outside the visible area).
TRect FrameMaximizedRect(const TSeFrameLayout& layout, const TRect& area);
