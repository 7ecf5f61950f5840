// The two bases of every owner-drawn control: TSeCustomControl (windowed) and
// TSeGraphicControl (windowless). A descendant paints its face in PaintFace; the bases own the
// rest of painting:
//
//   1. the target: the canvas itself (vxpNoBuffer), the library's shared buffer
//      (vxpSharedBuffer; a control larger than the buffer gets a buffer of its own), or a
//      double buffer kept between paints and grown to the largest control painted through it
//      (vxpDoubleBuffer; beyond the shared buffer's size, or while it is in use, a bitmap of
//      the control's size made for this paint);
//   2. with Transparent, the parent's background painted into the target first;
//   3. the frame (windowed base), then the face;
//   4. with Blending enabled, the face laid over the parent's background at Blending.Value;
//   5. the target copied to the control.
//
// The background of a parent of this library is asked with WM_ERASEBKGND and a request record
// in LParam; that parent paints its own background, frame and face there. Any other parent is
// asked the class library's way of painting into a given DC: WM_ERASEBKGND with WParam =
// LParam = the DC, then WM_PAINT with the DC in WParam (so a double-buffered class-library
// parent paints its background and its windowless children there too).
//
// Own scroll bars (windowed base): ScrollBarStyle 1, 2 or 3 gives the control a horizontal, a
// vertical or both TSeCustomScrollBar children along the inside of its frame; the client
// rectangle leaves them out. Their scroll events reach the control as WM_HSCROLL/WM_VSCROLL
// (WParam the scroll code, LParam the proposed position) unless the scroll lock is set; the
// control moves the bar itself. A window made again keeps the bars it has (no duplicates, and
// their ranges and positions stay).
#pragma once
#include <memory>

#include "SkinOptions.h"
#include "classlib/controls/Controls.h"
#include "classlib/controls/Scrolling.h"
#include "classlib/stdctrls/ScrollBar.h"
#include "controls/skin/engine/SkinBitmap.h"

enum TSePerformance { vxpNoBuffer, vxpSharedBuffer, vxpDoubleBuffer };
enum TSeBevelCut { vbvNone, vbvLowered, vbvRaised, vbvSpace, vbvBorder, vbvFlatBorder };
enum TSeBevelSide { vbsLeft, vbsTop, vbsRight, vbsBottom };
using TSeBevelSides = TSet<TSeBevelSide>;
enum TSeBevelKind { vbkNone, vbkSingle, vbkTile, vbkSoft, vbkBorder, vbkFlat };
enum TSeAlignment { vtaLeftJustify, vtaRightJustify, vtaCenter };
// The input method's mode a control asks for while it has the focus.
enum TImeMode {
  imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese,
  imSHanguel, imHanguel
};
// The subrange vtaLeftJustify..vtaRightJustify.
using TSeLeftRight = TSeAlignment;

extern const TEnumInfo SePerformanceIdents;
extern const TEnumInfo SeBevelCutIdents;
extern const TEnumInfo SeBevelSideIdents;
extern const TEnumInfo SeBevelKindIdents;
extern const TEnumInfo SeLeftRightIdents;
extern const TEnumInfo ImeModeIdents;

// What a control of this library puts in LParam when it asks its parent for its background.
struct TSeBackgroundRequest {
  int Marker = 1;  // always 1
  TRect Bounds;    // the asking control's bounds on the parent
};

// Paints what lies under control into dc (whose origin is the control's top-left corner), as
// its parent draws it: see the top of this file. Nothing without a parent or a size.
// blendSiblings also paints the windowless siblings of a windowed control over a parent of
// this library.
void PaintParentBackground(TControl& control, HDC dc, bool blendSiblings);

class TSeCustomScrollBar;  // SkinScrollBar.h

// The system's GetScrollBarInfo, bound at run time from user32.dll in the system folder;
// nullptr where the system has none.
using TGetScrollBarInfoProc = BOOL(WINAPI*)(HWND, LONG, PSCROLLBARINFO);
TGetScrollBarInfoProc GetScrollBarInfoProc();

class TSeCustomControl : public TCustomControl {
  CLASSLIB_CLASS(TSeCustomControl, TCustomControl)
  static const TPropertyTable* PublishedProperties();
  explicit TSeCustomControl(TComponent* owner);
  ~TSeCustomControl() override;

  // ---- Painting attributes ------------------------------------------------------------------
  TSePerformance GetPerformance() const { return FPerformance; }
  // Refused (kept) while blending is on and value is vxpNoBuffer.
  void SetPerformance(TSePerformance value);
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool value);
  TSeBlending* GetBlending() const { return FBlending.get(); }  // owned
  // Copies value; blending on promotes vxpNoBuffer to vxpDoubleBuffer.
  void SetBlending(TSeBlending* value);
  // The copy of Font the current paint draws captions with; owned.
  TFont* GetCaptionFont() const { return FCaptionFont.get(); }
  bool GetThemesAllowed() const { return FThemesAllowed; }
  void SetThemesAllowed(bool value) { FThemesAllowed = value; }

  // ---- Frame ----------------------------------------------------------------------------------
  int GetBorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int value);
  TSeBevelCut GetBevelInner() const { return FBevelInner; }
  void SetBevelInner(TSeBevelCut value);
  TSeBevelCut GetBevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TSeBevelCut value);
  TSeBevelSides GetBevelSides() const { return FBevelSides; }
  void SetBevelSides(TSeBevelSides value);
  TSeBevelKind GetBevelKind() const { return FBevelKind; }
  void SetBevelKind(TSeBevelKind value);
  int GetBevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int value);

  // ---- Input method (kept and streamed by the edit and the list box) --------------------------
  TImeMode GetImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode value) { FImeMode = value; }
  const String& GetImeName() const { return FImeName; }
  void SetImeName(const String& value) { FImeName = value; }

  // ---- State ----------------------------------------------------------------------------------
  bool GetHot() const { return FHot; }
  bool GetFocusedFlag() const { return FFocused; }

  // ---- Own scroll bars -----------------------------------------------------------------------
  // 0 none, 1 horizontal, 2 vertical, 3 both; a control with a window gets or loses its bars
  // at once, one without at the making of its window.
  int GetScrollBarStyle() const { return FScrollBarStyle; }
  void SetScrollBarStyle(int value);
  // While set, the bars' scroll events are not passed to the control.
  bool GetScrollLock() const { return FScrollLock; }
  void SetScrollLock(bool value) { FScrollLock = value; }
  // The bars (owned by the control; nullptr when it has none of that kind).
  TSeCustomScrollBar* GetHorzScrollBar() const { return FHorzScrollBar; }
  TSeCustomScrollBar* GetVertScrollBar() const { return FVertScrollBar; }
  // A new bar owned by this control.
  virtual TSeCustomScrollBar* CreateScrollBar();
  // The thickness of the bars.
  virtual int GetScrollBarSize();
  // Places the bars along the inside of the frame.
  void LayoutScrollBars();

  // The rectangle inside border and bevels.
  virtual void GetFrameRect(TRect& rect);
  // The frame's inside without the own scroll bars.
  TRect GetClientRect() override;
  void SetBounds(int left, int top, int width, int height) override;
  void Loaded() override;
  void Dispatch(TMessage& message) override;

 protected:
  void CreateWnd() override;
  void Notification(TComponent* component, TOperation operation) override;
  void Paint() override;
  void CreateParams(TCreateParams& params) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void CMEnter(TMessage& message) override;
  void CMExit(TMessage& message) override;
  void WMEraseBkgnd(TMessage& message) override;

  // The face; the base fills the frame's inside with Color unless Transparent. Descendants
  // call it first.
  virtual void PaintFace();
  // Border, bevels or the themed edit frame.
  virtual void PaintFrame();
  // Told after any border or bevel property changed.
  virtual void FrameChanged() {}
  virtual void DoMouseEnter();
  virtual void DoMouseLeave();
  virtual void DoFocusIn();
  virtual void DoFocusOut();

 private:
  void BlendingChanged(TObject* sender);
  // Makes and frees the bars as ScrollBarStyle says, keeping those that stay.
  void UpdateScrollBars();
  TSeCustomScrollBar* MakeScrollBar(TScrollBarKind kind);
  // A bar's scroll event: WM_HSCROLL or WM_VSCROLL to the control, then the bar's position.
  void BarScroll(TSeCustomScrollBar* bar, TScrollCode code, int& position);
  // Frame and face on the canvas as it stands (the paint target).
  void PaintContent();

  TSePerformance FPerformance = vxpNoBuffer;     // buffering mode
  std::unique_ptr<TSeBitmap> FBlendBitmap;       // the parent's background while blending
  bool FFocused = false;                         // set between CM_ENTER and CM_EXIT
  bool FTransparent = false;                     // paint the parent's background first
  bool FHot = false;                             // the mouse is over the control
  std::unique_ptr<TFont> FCaptionFont;           // Font, copied at every paint
  int FBorderWidth = 0;                          // rings of Color inside the bevels
  TSeBevelCut FBevelInner = vbvLowered;
  TSeBevelCut FBevelOuter = vbvLowered;
  TSeBevelSides FBevelSides{vbsLeft, vbsTop, vbsRight, vbsBottom};
  TSeBevelKind FBevelKind = vbkNone;
  int FBevelWidth = 0;                           // 0: no bevel drawn
  TImeMode FImeMode = imDontCare;                // the input method's mode asked for
  String FImeName;                               // the input method asked for; empty: any
  std::unique_ptr<TSeBlending> FBlending;        // owned; OnChange is BlendingChanged
  bool FThemesAllowed = true;                    // the frame may use the visual styles
  TSeCustomScrollBar* FHorzScrollBar = nullptr;  // own horizontal bar; owned as a component
  TSeCustomScrollBar* FVertScrollBar = nullptr;  // own vertical bar; owned as a component
  int FScrollBarStyle = 0;                       // 0 none, 1 horizontal, 2 vertical, 3 both
  bool FScrollLock = false;                      // bar events are not forwarded
};

class TSeGraphicControl : public TGraphicControl {
  CLASSLIB_CLASS(TSeGraphicControl, TGraphicControl)
  static const TPropertyTable* PublishedProperties();
  explicit TSeGraphicControl(TComponent* owner);
  ~TSeGraphicControl() override;

  TSePerformance GetPerformance() const { return FPerformance; }
  void SetPerformance(TSePerformance value);
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool value);
  TSeBlending* GetBlending() const { return FBlending.get(); }  // owned
  void SetBlending(TSeBlending* value);
  TFont* GetCaptionFont() const { return FCaptionFont.get(); }
  bool GetHot() const { return FHot; }

  void Loaded() override;

 protected:
  void Paint() override;
  void WMPaint(TMessage& message) override;
  void MouseEnter() override;
  void MouseLeave() override;
  // Fills the control with Color unless Transparent.
  virtual void PaintFace();
  virtual void DoMouseEnter();
  virtual void DoMouseLeave();

 private:
  std::unique_ptr<TSeBitmap> FBlendBitmap;  // the parent's background while blending
  bool FTransparent = false;
  bool FHot = false;
  std::unique_ptr<TFont> FCaptionFont;
  TSePerformance FPerformance = vxpNoBuffer;
  std::unique_ptr<TSeBlending> FBlending;   // owned; no change handler
};
