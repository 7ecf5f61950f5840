// The controls layer: TControl (a rectangle on a parent that paints itself and takes mouse
// input, with or without a window of its own), TWinControl (a control that owns a window
// and can hold other controls), TGraphicControl and TCustomControl (the two bases that give
// a control a canvas and a Paint method), and the helpers around them.
//
// Messages. Every control has a WindowProc (by default its virtual WndProc), which does
// the work common to all messages and then calls Dispatch; Dispatch is a switch on the
// message number that calls one virtual handler per message (WMPaint, CMMouseEnter, ...)
// and passes everything else to DefaultHandler. A derived class that handles a new message
// overrides Dispatch, handles its numbers and passes the rest to inherited::Dispatch; one
// that changes the handling of a known message overrides its handler and calls the
// inherited handler where the default work is wanted. Windowed controls receive the
// system's messages through one window procedure of ours, which finds the control from the
// window, runs WindowProc and hands any exception to ApplicationHandleException.
//
// Windowless controls get their mouse messages and WM_PAINT from their parent: the parent
// paints them after itself, in z-order, each clipped to its bounds, by performing WM_PAINT
// with the DC in WParam; mouse messages go to the windowless control under the mouse (or
// the one that captured it) in the control's own coordinates.
//
// Not done: docking beyond DockSite/DockOver and floating (no dock manager; a control floats
// alone in a small tool window of the forms layer), the designer, IME handling (the forms
// layer's), scaling of fonts at design resolution.
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "../classes/Component.h"
#include "../classes/Events.h"
#include "../classes/Sets.h"
#include "../graphics/Canvas.h"
#include "../graphics/Colors.h"
#include "../graphics/GraphicsObjects.h"
#include "../graphics/Types.h"
#include "Messages.h"

class TControl;
class TWinControl;
class TPopupMenu;           // Menus.h
class TBasicAction;         // ActnList.h
class TControlActionLink;   // ActnList.h

// ---- Enumerations and sets -------------------------------------------------------------------
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
using TAlignSet = TSet<TAlign>;

enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
// The anchors a control gets when it is given an alignment.
TAnchors AnchorAlign(TAlign align);

enum TControlStyleItem {
  csAcceptsControls,    // may be the parent of other controls
  csCaptureMouse,       // captures the mouse on a left press
  csDesignInteractive,  // takes right clicks in a designer
  csClickEvents,        // a left press and release inside calls Click
  csFramed,             // gets a 3-D frame from its parent when Ctl3D
  csSetCaption,         // the caption follows the name while they are equal
  csOpaque,             // paints all of its rectangle (the parent need not paint under it)
  csDoubleClicks,       // takes double clicks (otherwise they arrive as presses)
  csFixedWidth,
  csFixedHeight,
  csNoDesignVisible,
  csReplicatable,
  csNoStdEvents,        // the mouse and key events are not called
  csDisplayDragImage,
  csReflector,
  csActionClient,       // is linked to an action
  csMenuEvents
};
using TControlStyle = TSet<TControlStyleItem>;

enum TControlStateItem {
  csLButtonDown,        // the left button went down on the control and is still down
  csClicked,            // a release inside will click
  csPalette,
  csReadingState,       // its properties are being read
  csAlignmentNeeded,    // an alignment was asked while alignment was disabled
  csFocusing,           // the focus is being moved to it
  csCreating,           // its window is being made
  csPaintCopy,          // paints a copy of its data (a row of a grid of controls)
  csCustomPaint,        // paints itself rather than letting the system do it
  csDestroyingHandle,   // its window is being destroyed
  csDocking
};
using TControlState = TSet<TControlStateItem>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;
// The shift state of the MK_xxx flags of a mouse message, with Alt from the keyboard.
TShiftState KeysToShiftState(WPARAM keys);
// The shift state of a key message: Shift and Ctrl from the keyboard, Alt from the key data.
TShiftState KeyDataToShiftState(LPARAM keyData);

// Cursors: negative values are the standard cursors; positive ones are the application's.
using TCursor = short;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSize = -22;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;
// The shared system cursor of a standard cursor id; nullptr for crNone and for ids that are
// not standard. The handle belongs to the system (never destroyed).
HCURSOR StandardCursorHandle(TCursor cursor);

enum TDragMode { dmManual, dmAutomatic };
enum TDragKind { dkDrag, dkDock };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// Border styles of forms; controls with a border (panels, scroll boxes) use bsNone and
// bsSingle of the same type.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;

using TCaption = String;

// ---- Events ---------------------------------------------------------------------------------
using TWndMethod = std::function<void(TMessage& message)>;
using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TMouseWheelEvent = std::function<void(TObject* sender, TShiftState shift, int wheelDelta,
                                            TPoint mousePos, bool& handled)>;
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, wchar_t& key)>;
using TContextPopupEvent = std::function<void(TObject* sender, TPoint mousePos, bool& handled)>;
using TDragOverEvent = std::function<void(TObject* sender, TObject* source, int x, int y,
                                          TDragState state, bool& accept)>;
using TDragDropEvent = std::function<void(TObject* sender, TObject* source, int x, int y)>;
using TEndDragEvent = std::function<void(TObject* sender, TObject* target, int x, int y)>;
using TStartDragEvent = std::function<void(TObject* sender)>;
class TDragDockObject;
// A dock drag began; dragObject describes it (owned by the drag, valid during the call).
using TStartDockEvent = std::function<void(TObject* sender, TDragDockObject* dragObject)>;
// A size is about to be taken; clearing resize refuses it, the handler may also change it.
using TControlCanResizeEvent =
    std::function<void(TObject* sender, int& newWidth, int& newHeight, bool& resize)>;
// The limits a new size is held to (0: none); the handler may change them.
using TConstrainedResizeEvent = std::function<void(TObject* sender, int& minWidth, int& minHeight,
                                                   int& maxWidth, int& maxHeight)>;
// A dock drag dropped its control on this dock site (x, y in the site's client coordinates).
using TDockDropEvent =
    std::function<void(TObject* sender, TDragDockObject* source, int x, int y)>;
// Asked whether a dock drag at mousePos (screen) may dock dockClient here: influenceRect is
// where the site takes it (screen), canDock the answer.
using TGetSiteInfoEvent = std::function<void(TObject* sender, TControl* dockClient,
                                             TRect& influenceRect, TPoint mousePos, bool& canDock)>;
// client is about to leave this dock site for newTarget (nullptr: it floats); clearing allow
// keeps it here.
using TUnDockEvent =
    std::function<void(TObject* sender, TControl* client, TWinControl* newTarget, bool& allow)>;

// ---- TSizeConstraints -----------------------------------------------------------------------
// The smallest and largest size a control may take; 0 means no limit.
class TSizeConstraints : public TPersistent {
  CLASSLIB_CLASS(TSizeConstraints, TPersistent)
  static const TPropertyTable* PublishedProperties();  // ControlProperties.cpp
  explicit TSizeConstraints(TControl* control) : FControl(control) {}

  int GetMaxHeight() const { return FMaxHeight; }
  void SetMaxHeight(int value);  // also lowers MinHeight above a positive value
  int GetMaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(int value);
  int GetMinHeight() const { return FMinHeight; }
  void SetMinHeight(int value);  // also raises a positive MaxHeight below the value
  int GetMinWidth() const { return FMinWidth; }
  void SetMinWidth(int value);

  // Told after every change (the control adjusts its size).
  const TNotifyEvent& GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent handler) { FOnChange = std::move(handler); }

  TControl* GetControl() const { return FControl; }

 protected:
  void AssignTo(TPersistent* dest) override;
  virtual void Change();

 private:
  TControl* FControl;      // the control constrained; not owned
  int FMaxHeight = 0;
  int FMaxWidth = 0;
  int FMinHeight = 0;
  int FMinWidth = 0;
  TNotifyEvent FOnChange;  // the control's handler
};

// ---- Hints ------------------------------------------------------------------------------------
// What CM_HINTSHOW lets a control change before its hint is shown (LParam points to it).
struct THintInfo {
  TControl* HintControl = nullptr;  // the control under the mouse
  TPoint HintPos;                   // screen position of the hint window
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  TRect CursorRect;                 // the hint goes when the mouse leaves this (client coords)
  TPoint CursorPos;                 // the mouse position (client coords)
  int ReshowTimeout = 0;            // ms until the hint is asked again; 0 = never
  int HideTimeout = 0;              // ms until the hint hides; 0 = the application's default
  String HintStr;
  void* HintData = nullptr;
};
// The part of a hint before the first '|' (all of it when there is none).
String GetShortHint(const String& hint);
// The part after the first '|' (all of it when there is none).
String GetLongHint(const String& hint);

// ---- Dragging -----------------------------------------------------------------------------------
// What a dock drag offers a dock site in DockOver.
class TDragDockObject : public TObject {
  CLASSLIB_CLASS(TDragDockObject, TObject)
  explicit TDragDockObject(TControl* control) : FControl(control) {}
  TControl* GetControl() const { return FControl; }
  TRect GetDockRect() const { return FDockRect; }
  void SetDockRect(const TRect& value) { FDockRect = value; }
  TAlign GetDropAlign() const { return FDropAlign; }
  void SetDropAlign(TAlign value) { FDropAlign = value; }

 private:
  TControl* FControl;       // the control being docked; not owned
  TRect FDockRect;          // where it would go, in screen coordinates
  TAlign FDropAlign = alNone;
};

// ---- Services of the application ----------------------------------------------------------------
// What the controls need from the application and the screen. The forms layer fills these
// in once at start; each may stay empty, and then the default named is used.
struct TControlHooks {
  // Handles the exception being caught (called inside a catch block); sender may be
  // nullptr. Default: the message is shown in a message box (EAbort is silent).
  std::function<void(TObject* sender)> HandleException;
  // Told of every mouse message a control receives, before the control handles it (the
  // hint window follows the mouse with it). Default: nothing.
  std::function<void(TControl* control, TMessage& message)> MouseMessage;
  // The screen-wide cursor; crDefault lets each control show its own. Default: crDefault.
  std::function<TCursor()> ScreenCursor;
  // The cursor handle of a cursor id. Default: StandardCursorHandle.
  std::function<HCURSOR(TCursor cursor)> CursorHandle;
  // Puts a control that a dock drag dropped where no dock site took it into a floating window
  // whose client area lies at screenRect. Default: none (the control stays where it was).
  std::function<void(TControl* control, const TRect& screenRect)> FloatControl;
};
TControlHooks& ControlHooks();

// Hands the exception being handled to the application (ControlHooks().HandleException).
// Must be called inside a catch block; never throws.
void ApplicationHandleException(TObject* sender);

// ---- TControl -------------------------------------------------------------------------------------
// Frees an action link (defined where TControlActionLink is complete).
struct TActionLinkDeleter {
  void operator()(TControlActionLink* link) const;
};

class TControl : public TComponent {
  CLASSLIB_CLASS(TControl, TComponent)
  // ---- Stored layouts (ControlProperties.cpp, ControlStreaming.cpp) ------------------------
  static const TPropertyTable* PublishedProperties();
  // A control lives on its parent: the reader makes the object it is read inside its parent.
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* value) override;
  // Sets csReadingState and the reader's parent as parent while the control is read.
  void ReadState(TReader& reader) override;

  explicit TControl(TComponent* owner);
  // Leaves the parent (which forgets it), drops the action link and any capture or
  // mouse tracking that names it.
  ~TControl() override;

  // ---- Messages -----------------------------------------------------------------------
  // Sends a message to the control's WindowProc at once and returns its result.
  LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam);
  // The procedure every message goes through; replace it to watch or change a control's
  // messages (call the previous one for what you do not handle).
  const TWndMethod& GetWindowProc() const { return FWindowProc; }
  void SetWindowProc(TWndMethod value);
  // The default WindowProc: mouse preprocessing, then Dispatch.
  virtual void WndProc(TMessage& message);
  // Calls the handler of the message number, or DefaultHandler.
  virtual void Dispatch(TMessage& message);
  // What is done with a message no handler takes: the text messages are answered from
  // the control's own text.
  virtual void DefaultHandler(TMessage& message);

  // ---- Parent and bounds --------------------------------------------------------------
  TWinControl* GetParent() const { return FParent; }
  // Moves the control to another parent (nullptr: none). EInvalidOperation when the
  // parent would be the control itself.
  virtual void SetParent(TWinControl* value);
  int GetLeft() const { return FLeft; }
  void SetLeft(int value) { SetBounds(value, FTop, FWidth, FHeight); }
  int GetTop() const { return FTop; }
  void SetTop(int value) { SetBounds(FLeft, value, FWidth, FHeight); }
  int GetWidth() const { return FWidth; }
  void SetWidth(int value) { SetBounds(FLeft, FTop, value, FHeight); }
  int GetHeight() const { return FHeight; }
  void SetHeight(int value) { SetBounds(FLeft, FTop, FWidth, value); }
  // Moves and sizes the control (after constraints and auto size have their say).
  virtual void SetBounds(int left, int top, int width, int height);
  TRect GetBoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  // The client area in client coordinates: (0, 0, Width, Height) for a windowless control.
  virtual TRect GetClientRect();
  int GetClientWidth() { return GetClientRect().Right; }
  // Sizes the control so that its client area is `value` wide (the frame added to it).
  virtual void SetClientWidth(int value);
  int GetClientHeight() { return GetClientRect().Bottom; }
  virtual void SetClientHeight(int value);
  // The screen position of the client area's origin. EInvalidOperation "Control '%s' has
  // no parent window" when the control is on no window.
  virtual TPoint GetClientOrigin();
  TPoint ClientToScreen(const TPoint& point);
  TPoint ScreenToClient(const TPoint& point);

  // ---- Layout ---------------------------------------------------------------------------
  TAlign GetAlign() const { return FAlign; }
  void SetAlign(TAlign value);  // also sets the anchors of the alignment
  TAnchors GetAnchors() const { return FAnchors; }
  void SetAnchors(TAnchors value);
  TSizeConstraints* GetConstraints() const { return FConstraints.get(); }  // owned
  void SetConstraints(TSizeConstraints* value);  // copies value
  bool GetAutoSize() const { return FAutoSize; }
  virtual void SetAutoSize(bool value);
  // Applies constraints and auto size to the present bounds.
  virtual void AdjustSize();

  // ---- State ------------------------------------------------------------------------------
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool value);
  virtual bool GetEnabled() const { return FEnabled; }
  virtual void SetEnabled(bool value);
  // Makes the control visible, asking the parents to show it (a page of a notebook, say).
  void Show();
  void Hide() { SetVisible(false); }
  TControlStyle GetControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle value) { FControlStyle = value; }
  TControlState GetControlState() const { return FControlState; }
  void SetControlState(TControlState value) { FControlState = value; }
  // True when the control is on its parent's screen for the user: visible, with showing
  // parents (for a windowed control, the window is shown).
  virtual bool GetShowing() const;

  // ---- Text ---------------------------------------------------------------------------------
  // The text through WM_GETTEXT (a windowed control's window text, once it has a window).
  String GetText();
  // Sets the text through WM_SETTEXT and performs CM_TEXTCHANGED, when it differs.
  void SetText(const String& value);
  String GetCaption() { return GetText(); }
  void SetCaption(const String& value) { SetText(value); }
  int GetTextLen();
  void SetName(const String& value) override;

  // ---- Appearance ---------------------------------------------------------------------------
  TColor GetColor() const { return FColor; }
  void SetColor(TColor value);           // clears ParentColor
  bool GetParentColor() const { return FParentColor; }
  void SetParentColor(bool value);
  TFont* GetFont() const { return FFont.get(); }  // owned
  void SetFont(TFont* value);            // copies value; clears ParentFont
  bool GetParentFont() const { return FParentFont; }
  void SetParentFont(bool value);
  bool GetCtl3D() const { return FCtl3D; }
  void SetCtl3D(bool value);             // clears ParentCtl3D
  bool GetParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(bool value);
  TCursor GetCursor() const { return FCursor; }
  void SetCursor(TCursor value);
  TBiDiMode GetBiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode value);     // clears ParentBiDiMode
  bool GetParentBiDiMode() const { return FParentBiDiMode; }
  void SetParentBiDiMode(bool value);
  // Right-to-left layout applies only on a system with right-to-left support. A data-aware
  // control refines the alignment rule by its field.
  virtual bool UseRightToLeftAlignment() const;
  bool UseRightToLeftReading() const;
  bool UseRightToLeftScrollBar() const;
  // DrawText flags adjusted to the control's reading order and alignment.
  UINT DrawTextBiDiModeFlags(UINT flags) const;
  UINT DrawTextBiDiModeFlagsReadingOnly() const;

  // ---- Hint and popup menu ------------------------------------------------------------------
  const String& GetHint() const { return FHint; }
  void SetHint(const String& value) { FHint = value; }
  bool GetShowHint() const { return FShowHint; }
  void SetShowHint(bool value);          // clears ParentShowHint
  bool GetParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool value);
  // The popup menu shown on a right click; not owned (freed by its owner, and then
  // forgotten here through a free notification).
  virtual TPopupMenu* GetPopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* value);

  // ---- Painting -------------------------------------------------------------------------------
  // Asks for a repaint: the rectangle on the parent's window is invalidated, erasing what
  // is under it only when the control is not opaque.
  virtual void Invalidate();
  // Paints what is invalid now.
  virtual void Update();
  // Paints the control now (an opaque windowless control at once, others by Invalidate
  // and Update).
  virtual void Repaint();
  void Refresh() { Repaint(); }
  void BringToFront() { SetZOrder(true); }
  void SendToBack() { SetZOrder(false); }

  // ---- Mouse --------------------------------------------------------------------------------
  bool GetMouseCapture() const;
  void SetMouseCapture(bool value);

  // ---- Action -------------------------------------------------------------------------------
  // The action whose Caption, Enabled, Hint, Visible and OnExecute the control follows;
  // not owned. nullptr unlinks.
  TBasicAction* GetAction() const;
  void SetAction(TBasicAction* value);
  TControlActionLink* GetActionLink() const { return FActionLink.get(); }
  // Asks the action (if any) to update itself.
  virtual void InitiateAction();

  // ---- Dragging ------------------------------------------------------------------------------
  TDragMode GetDragMode() const { return FDragMode; }
  void SetDragMode(TDragMode value) { FDragMode = value; }
  TDragKind GetDragKind() const { return FDragKind; }
  void SetDragKind(TDragKind value) { FDragKind = value; }
  TCursor GetDragCursor() const { return FDragCursor; }
  void SetDragCursor(TCursor value) { FDragCursor = value; }
  // Starts dragging the control: at once, or once the mouse has moved `threshold` pixels
  // (a negative threshold means the system's drag distance) with the left button down.
  void BeginDrag(bool immediate, int threshold = -1);
  // Ends the drag: dropped on the target that accepted it when drop, else cancelled.
  void EndDrag(bool drop);
  bool Dragging() const;
  // The control is held by a floating window (its parent is one).
  bool GetFloating() const;
  // Called on the target when a dragged source is dropped on it (OnDragDrop).
  virtual void DragDrop(TObject* source, int x, int y);

  // ---- Handlers the library calls ---------------------------------------------------------------
  // Runs the click: OnClick, or the action when OnClick is the action's own.
  virtual void Click();

  // ---- Events ------------------------------------------------------------------------------------
  const TNotifyEvent& GetOnClick() const { return FOnClick; }
  void SetOnClick(TNotifyEvent handler);
  const TNotifyEvent& GetOnDblClick() const { return FOnDblClick; }
  void SetOnDblClick(TNotifyEvent handler) { FOnDblClick = std::move(handler); }
  const TMouseEvent& GetOnMouseDown() const { return FOnMouseDown; }
  void SetOnMouseDown(TMouseEvent handler) { FOnMouseDown = std::move(handler); }
  const TMouseMoveEvent& GetOnMouseMove() const { return FOnMouseMove; }
  void SetOnMouseMove(TMouseMoveEvent handler) { FOnMouseMove = std::move(handler); }
  const TMouseEvent& GetOnMouseUp() const { return FOnMouseUp; }
  void SetOnMouseUp(TMouseEvent handler) { FOnMouseUp = std::move(handler); }
  const TNotifyEvent& GetOnMouseEnter() const { return FOnMouseEnter; }
  void SetOnMouseEnter(TNotifyEvent handler) { FOnMouseEnter = std::move(handler); }
  const TNotifyEvent& GetOnMouseLeave() const { return FOnMouseLeave; }
  void SetOnMouseLeave(TNotifyEvent handler) { FOnMouseLeave = std::move(handler); }
  const TMouseWheelEvent& GetOnMouseWheel() const { return FOnMouseWheel; }
  void SetOnMouseWheel(TMouseWheelEvent handler) { FOnMouseWheel = std::move(handler); }
  const TNotifyEvent& GetOnResize() const { return FOnResize; }
  void SetOnResize(TNotifyEvent handler) { FOnResize = std::move(handler); }
  const TContextPopupEvent& GetOnContextPopup() const { return FOnContextPopup; }
  void SetOnContextPopup(TContextPopupEvent handler) { FOnContextPopup = std::move(handler); }
  const TDragOverEvent& GetOnDragOver() const { return FOnDragOver; }
  void SetOnDragOver(TDragOverEvent handler) { FOnDragOver = std::move(handler); }
  const TDragDropEvent& GetOnDragDrop() const { return FOnDragDrop; }
  void SetOnDragDrop(TDragDropEvent handler) { FOnDragDrop = std::move(handler); }
  const TEndDragEvent& GetOnEndDrag() const { return FOnEndDrag; }
  void SetOnEndDrag(TEndDragEvent handler) { FOnEndDrag = std::move(handler); }
  const TStartDragEvent& GetOnStartDrag() const { return FOnStartDrag; }
  void SetOnStartDrag(TStartDragEvent handler) { FOnStartDrag = std::move(handler); }
  // A drag of DragKind dkDock tells these instead of OnStartDrag and OnEndDrag.
  const TStartDockEvent& GetOnStartDock() const { return FOnStartDock; }
  void SetOnStartDock(TStartDockEvent handler) { FOnStartDock = std::move(handler); }
  const TEndDragEvent& GetOnEndDock() const { return FOnEndDock; }
  void SetOnEndDock(TEndDragEvent handler) { FOnEndDock = std::move(handler); }
  // Told by CanResize and ConstrainedResize; published by the controls that offer them.
  const TControlCanResizeEvent& GetOnCanResize() const { return FOnCanResize; }
  void SetOnCanResize(TControlCanResizeEvent handler) { FOnCanResize = std::move(handler); }
  const TConstrainedResizeEvent& GetOnConstrainedResize() const { return FOnConstrainedResize; }
  void SetOnConstrainedResize(TConstrainedResizeEvent handler) {
    FOnConstrainedResize = std::move(handler);
  }

  void Loaded() override;

 protected:
  // ---- Overridable behaviour ------------------------------------------------------------------
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void DblClick();
  virtual void Resize();
  // Tells the parent that the control changed (CM_CHANGED).
  virtual void Changed();
  // Called with the mouse entering or leaving the control (OnMouseEnter/OnMouseLeave).
  virtual void MouseEnter();
  virtual void MouseLeave();
  // The wheel turned over the control; true when handled (OnMouseWheel).
  virtual bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos);
  virtual void DoContextPopup(TPoint mousePos, bool& handled);
  // The size auto size would give; false when the control cannot size itself.
  virtual bool CanAutoSize(int& newWidth, int& newHeight);
  // false refuses the new size (OnCanResize).
  virtual bool CanResize(int& newWidth, int& newHeight);
  // The limits a new size is held to (OnConstrainedResize may change them).
  virtual void ConstrainedResize(int& minWidth, int& minHeight, int& maxWidth, int& maxHeight);
  virtual void VisibleChanging() {}
  virtual void EnabledChanged() {}
  // Copies the action's Caption, Enabled, Hint, Visible and OnExecute; with checkDefaults
  // only over values the control still has by default. Also run for the action's change
  // notice (InActionNotice), where those values have already come through the link and only
  // the rest is taken: what a control makes of the action beyond them (an image).
  virtual void ActionChange(TObject* sender, bool checkDefaults);
  // True while ActionChange runs for the action's change notice.
  bool InActionNotice() const { return FInActionNotice; }
  virtual void DragOver(TObject* source, int x, int y, TDragState state, bool& accept);
  virtual void DoEndDrag(TObject* target, int x, int y);
  virtual void DoStartDrag();
  // The dock drag's counterparts (OnEndDock: target is the dock site, nullptr when the
  // control was floated or the drag cancelled).
  virtual void DoEndDock(TObject* target, int x, int y);
  virtual void DoStartDock(TDragDockObject* dragObject);
  // The DC to draw on the control outside painting: the parent's, moved and clipped to
  // the control. windowHandle receives the window the DC belongs to.
  virtual HDC GetDeviceContext(HWND& windowHandle);
  // Moves the control to the top or the bottom of its siblings of its kind.
  virtual void SetZOrder(bool topMost);
  // Moves the control to the given position among its siblings of its kind.
  virtual void SetZOrderPosition(int position);
  void Notification(TComponent* component, TOperation operation) override;

  // ---- Helpers for derived classes --------------------------------------------------------------
  // Invalidates the control's rectangle on the parent, erasing unless opaque.
  void InvalidateControl(bool isVisible, bool isOpaque);
  // Asks the parent to lay out this control.
  virtual void RequestAlign();
  // Records where the control is against its parent for Anchors.
  void UpdateAnchorRules();
  // True when the parent's layout has to place this control (aligned, or anchored other
  // than to the top left).
  bool TakesAlignWork() const { return FAlign != alNone || FAnchors != TAnchors{akLeft, akTop}; }
  // Applies OnCanResize, constraints and auto size to a new size; false refuses it.
  bool CheckNewSize(int& newWidth, int& newHeight);
  bool DoCanAutoSize(int& newWidth, int& newHeight);
  bool DoCanResize(int& newWidth, int& newHeight);
  void DoConstrainedResize(int& newWidth, int& newHeight);
  // Sends CM_CANCELMODE to the focused control of the root (a drop-down closes).
  void SendCancelMode(TControl* sender);
  // Calls MouseDown/MouseUp from a mouse message unless csNoStdEvents.
  void DoMouseDown(TMessage& message, TMouseButton button, TShiftState shift);
  void DoMouseUp(TMessage& message, TMouseButton button);
  // Sets the bounds fields and anchor rules without moving anything (UpdateBounds).
  void UpdateBoundsRect(const TRect& r);
  // Expires when the control is destroyed: a handler that runs user code (Click, an
  // event) checks it before touching the control again.
  std::weak_ptr<int> GetLifeToken() const { return FLifeToken; }
  // The text kept by a control without a window.
  const String& GetStoredText() const { return FText; }
  void SetStoredText(const String& value) { FText = value; }

  // ---- Message handlers ----------------------------------------------------------------------------
  virtual void WMLButtonDown(TMessage& message);
  virtual void WMLButtonUp(TMessage& message);
  virtual void WMLButtonDblClk(TMessage& message);
  virtual void WMRButtonDown(TMessage& message);
  virtual void WMRButtonUp(TMessage& message);
  virtual void WMRButtonDblClk(TMessage& message);
  virtual void WMMButtonDown(TMessage& message);
  virtual void WMMButtonUp(TMessage& message);
  virtual void WMMButtonDblClk(TMessage& message);
  virtual void WMMouseMove(TMessage& message);
  virtual void WMMouseWheel(TMessage& message);
  virtual void WMCancelMode(TMessage& message);
  virtual void WMContextMenu(TMessage& message);
  virtual void CMEnabledChanged(TMessage& message);
  virtual void CMVisibleChanged(TMessage& message);
  virtual void CMFontChanged(TMessage& message);
  virtual void CMColorChanged(TMessage& message);
  virtual void CMTextChanged(TMessage& message);
  virtual void CMParentColorChanged(TMessage& message);
  virtual void CMParentFontChanged(TMessage& message);
  virtual void CMParentCtl3DChanged(TMessage& message);
  virtual void CMCtl3DChanged(TMessage& message);
  virtual void CMParentShowHintChanged(TMessage& message);
  virtual void CMShowHintChanged(TMessage& message);
  virtual void CMBiDiModeChanged(TMessage& message);
  virtual void CMParentBiDiModeChanged(TMessage& message);
  virtual void CMSysColorChange(TMessage& message);
  virtual void CMHitTest(TMessage& message);
  virtual void CMMouseEnter(TMessage& message);
  virtual void CMMouseLeave(TMessage& message);
  virtual void CMMouseWheel(TMessage& message);
  virtual void CMHintShow(TMessage& message);
  virtual void CMCursorChanged(TMessage& message);

 private:
  friend class TWinControl;
  void FontChanged(TObject* sender);
  void ConstraintsChanged(TObject* sender);
  void DoActionChange(TObject* sender);
  // The drag of this control follows the mouse; true when the message was used.
  bool DragMouseMessage(TMessage& message);
  void DragTo(const TPoint& screenPos);
  // The drag has begun: DoStartDock for a dock drag, else DoStartDrag.
  void DragStarted();
  void AlignWorkChanged(bool before);

  std::shared_ptr<int> FLifeToken = std::make_shared<int>(0);  // see GetLifeToken
  TWinControl* FParent = nullptr;       // lists this control; not owned
  TWndMethod FWindowProc;               // every message goes through it
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  TAlign FAlign = alNone;
  TAnchors FAnchors{akLeft, akTop};
  TPoint FAnchorRules;                  // width, edge or middle kept per anchor rule
  TPoint FOriginalParentSize;           // parent client size the rules were taken at
  bool FAnchorMove = false;             // the bounds are being set by the layout
  std::unique_ptr<TSizeConstraints> FConstraints;
  bool FAutoSize = false;
  bool FVisible = true;
  bool FEnabled = true;
  TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState FControlState;
  String FText;                         // the text while there is no window holding it
  TColor FColor = clWindow;
  bool FParentColor = true;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  bool FCtl3D = true;
  bool FParentCtl3D = true;
  TCursor FCursor = crDefault;
  TBiDiMode FBiDiMode = bdLeftToRight;
  bool FParentBiDiMode = true;
  String FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TPopupMenu* FPopupMenu = nullptr;     // not owned
  std::unique_ptr<TControlActionLink, TActionLinkDeleter> FActionLink;  // links to the action
  bool FOnClickFromAction = false;      // OnClick was copied from the action
  bool FInActionNotice = false;         // see InActionNotice
  TDragMode FDragMode = dmManual;
  TDragKind FDragKind = dkDrag;
  TCursor FDragCursor = crDrag;
  TNotifyEvent FOnClick;
  TNotifyEvent FOnDblClick;
  TMouseEvent FOnMouseDown;
  TMouseMoveEvent FOnMouseMove;
  TMouseEvent FOnMouseUp;
  TNotifyEvent FOnMouseEnter;
  TNotifyEvent FOnMouseLeave;
  TMouseWheelEvent FOnMouseWheel;
  TNotifyEvent FOnResize;
  TContextPopupEvent FOnContextPopup;
  TDragOverEvent FOnDragOver;
  TDragDropEvent FOnDragDrop;
  TEndDragEvent FOnEndDrag;
  TStartDragEvent FOnStartDrag;
  TStartDockEvent FOnStartDock;
  TEndDragEvent FOnEndDock;
  TControlCanResizeEvent FOnCanResize;
  TConstrainedResizeEvent FOnConstrainedResize;
};

// ---- TWinControl ------------------------------------------------------------------------------------
// What CreateParams fills in and CreateWnd makes the window from.
struct TCreateParams {
  String Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASSW WindowClass{};  // registered under WinClassName with our window procedure
  String WinClassName;
};

// What AdjustWindowRectEx adds around the client area of a window of these styles. A style
// without a border, frame, edge or menu has none, and the system is not asked then (it is
// asked for every client size of a control without a window).
RECT WindowFrameOfStyle(DWORD style, DWORD exStyle, bool hasMenu);

class TWinControl : public TControl {
  CLASSLIB_CLASS(TWinControl, TControl)
  // ---- Stored layouts (ControlProperties.cpp, ControlStreaming.cpp) ------------------------
  static const TPropertyTable* PublishedProperties();
  // The child controls root owns, after what TComponent lists for a root.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  // Reads with alignment held until the children are read.
  void ReadState(TReader& reader) override;

  explicit TWinControl(TComponent* owner);
  // Destroys the window, then every child control (also those another component owns).
  ~TWinControl() override;

  // ---- Window -----------------------------------------------------------------------------
  // The window, made (with the parents' windows) when there is none yet.
  HWND GetHandle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  // The foreign window a parentless control lives in (nullptr: none).
  HWND GetParentWindow() const { return FParentWindow; }
  void SetParentWindow(HWND value);
  bool GetShowing() const override { return FShowing; }
  TBrush* GetBrush() const { return FBrush.get(); }  // the background; owned
  bool GetDoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool value) { FDoubleBuffered = value; }
  // Destroys the window and makes it again (keeping text, bounds, children and their
  // order); used when a style that needs a new window changes.
  void RecreateWnd();

  // ---- Children -----------------------------------------------------------------------------
  // The children: windowless ones first (the lowest in z-order), then the windowed ones.
  int GetControlCount() const;
  TControl* GetControl(int index) const;  // nullptr when out of range
  TControl* GetControls(int index) const { return GetControl(index); }
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  // Moves child to position order among its siblings of its kind.
  virtual void SetChildOrder(TComponent* child, int order);
  // True when control is this one or lies inside it.
  bool ContainsControl(TControl* control) const;
  // The windowless child (or, with allowWinControls, any child) at a client point.
  TControl* ControlAtPos(const TPoint& pos, bool allowDisabled, bool allowWinControls = false);
  // The child of that name (without regard to case), or nullptr.
  TControl* FindChildControl(const String& controlName) const;
  // Sends the message to every child until one sets a nonzero result.
  void Broadcast(TMessage& message);
  // Sends a message with no parameters to every child.
  void NotifyControls(UINT msg);
  // Makes control visible to the user (a page shows it); the default asks the parent.
  virtual void ShowControl(TControl* control);

  // ---- Layout ---------------------------------------------------------------------------------
  void DisableAlign() { ++FAlignLevel; }
  void EnableAlign();  // realigns when an alignment was asked meanwhile
  void Realign() { AlignControl(nullptr); }
  int GetAlignDisabledLevel() const { return FAlignLevel; }

  // ---- Focus and tab order ---------------------------------------------------------------------
  bool GetTabStop() const { return FTabStop; }
  void SetTabStop(bool value);
  int GetTabOrder() const;            // position in the parent's tab list, -1 without parent
  void SetTabOrder(int value);        // clamped to the list
  virtual bool CanFocus();            // visible and enabled, and so are the parents
  bool Focused() const;               // the window has the keyboard focus
  // Gives the control the focus. EInvalidOperation "Cannot focus a disabled or invisible
  // window" when it cannot take it.
  virtual void SetFocus();
  // Focuses the first control in tab order that can take the focus.
  void SelectFirst();
  // Focuses the control after (or before) curControl in tab order; with checkTabStop only
  // controls with TabStop, without it only children of this control.
  void SelectNext(TWinControl* curControl, bool goForward, bool checkTabStop);
  TWinControl* FindNextControl(TWinControl* curControl, bool goForward, bool checkTabStop,
                               bool checkParent);
  // The tab list of this control and, after each child, the child's own (depth first).
  void GetTabOrderList(std::vector<TWinControl*>& list);
  // The windowed controls that can take the focus, in tab order on this control.
  const std::vector<TWinControl*>& GetTabList() const { return FTabList; }

  // ---- The root's part in focus ------------------------------------------------------------------
  // These run on the outermost parent (a form, or any parentless control) for the
  // controls inside it. A form overrides them to keep its ActiveControl and calls the
  // inherited ones.
  // The control inside that last took the focus (nullptr: none).
  TWinControl* GetFocusedControl() const { return FFocusedControl; }
  // control took the focus: CM_EXIT goes to the controls it left (inner first), CM_ENTER
  // to those it entered (outer first), then CM_FOCUSCHANGED to this one. false when a
  // handler moved the focus elsewhere meanwhile.
  virtual bool SetFocusedControl(TWinControl* control);
  // Moves the focus to control (SetFocus of a control inside).
  virtual void FocusControl(TWinControl* control);
  // control is going (removing) or can no longer take the focus.
  virtual void DefocusControl(TWinControl* control, bool removing);
  // true for a root whose windows show on their own (a form); false for a parentless
  // control, which shows only inside a ParentWindow.
  virtual bool IsTopLevelControl() const { return false; }
  // A form previews its controls' keys when this is true.
  virtual bool GetKeyPreview() const { return false; }
  // A form answers its shortcuts (menus, OnShortCut) here; message is the key message.
  virtual bool IsShortCut(TMessage& /*message*/) { return false; }
  // Scrolls control into view (scrolling controls).
  virtual void AutoScrollInView(TControl* /*control*/) {}
  // Sends CM_CANCELMODE to the focused control of this root (TControl::SendCancelMode
  // comes here).
  virtual void SendFocusedCancelMode(TControl* sender);

  // ---- Docking -------------------------------------------------------------------------------------
  bool GetDockSite() const { return FDockSite; }
  void SetDockSite(bool value) { FDockSite = value; }
  // A window that holds a floating control (GetFloating of its child is true).
  virtual bool IsFloatingHost() const { return false; }
  // A dock drag is over the control (OnDockOver).
  virtual void DockOver(TDragDockObject* source, int x, int y, TDragState state, bool& accept);
  // A dock drag dropped its control here, after it became a child (OnDockDrop).
  virtual void DockDrop(TDragDockObject* source, int x, int y);
  // Whether a dock drag at mousePos (screen) may dock client here: influenceRect starts as
  // the window's screen rectangle grown by 10 and canDock as true (OnGetSiteInfo).
  virtual void GetSiteInfo(TControl* client, TRect& influenceRect, TPoint mousePos, bool& canDock);
  // client, docked here, is about to leave for newTarget (nullptr: it floats); false keeps
  // it (OnUnDock).
  virtual bool DoUnDock(TWinControl* newTarget, TControl* client);

  // ---- Events ---------------------------------------------------------------------------------------
  const TNotifyEvent& GetOnEnter() const { return FOnEnter; }
  void SetOnEnter(TNotifyEvent handler) { FOnEnter = std::move(handler); }
  const TNotifyEvent& GetOnExit() const { return FOnExit; }
  void SetOnExit(TNotifyEvent handler) { FOnExit = std::move(handler); }
  const TKeyEvent& GetOnKeyDown() const { return FOnKeyDown; }
  void SetOnKeyDown(TKeyEvent handler) { FOnKeyDown = std::move(handler); }
  const TKeyEvent& GetOnKeyUp() const { return FOnKeyUp; }
  void SetOnKeyUp(TKeyEvent handler) { FOnKeyUp = std::move(handler); }
  const TKeyPressEvent& GetOnKeyPress() const { return FOnKeyPress; }
  void SetOnKeyPress(TKeyPressEvent handler) { FOnKeyPress = std::move(handler); }
  const TDragOverEvent& GetOnDockOver() const { return FOnDockOver; }
  void SetOnDockOver(TDragOverEvent handler) { FOnDockOver = std::move(handler); }
  const TDockDropEvent& GetOnDockDrop() const { return FOnDockDrop; }
  void SetOnDockDrop(TDockDropEvent handler) { FOnDockDrop = std::move(handler); }
  const TGetSiteInfoEvent& GetOnGetSiteInfo() const { return FOnGetSiteInfo; }
  void SetOnGetSiteInfo(TGetSiteInfoEvent handler) { FOnGetSiteInfo = std::move(handler); }
  const TUnDockEvent& GetOnUnDock() const { return FOnUnDock; }
  void SetOnUnDock(TUnDockEvent handler) { FOnUnDock = std::move(handler); }

  // ---- TControl overrides -------------------------------------------------------------------------
  void SetBounds(int left, int top, int width, int height) override;
  TRect GetClientRect() override;
  TPoint GetClientOrigin() override;
  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  void WndProc(TMessage& message) override;
  void Dispatch(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;
  void Loaded() override;

  // Paints the windowless children into dc, from `first` (nullptr: all) in z-order.
  void PaintControls(HDC dc, TControl* first);
  // Paints the control as it shows, with its border, its windowless and windowed children,
  // into dc with its top-left corner at (x, y), without touching the screen. Nothing without
  // a window or a DC.
  void PaintTo(HDC dc, int x, int y);

 protected:
  // The client area the window will have, from its CreateParams, before the window exists;
  // hasMenu adds a one-line menu bar to the frame.
  TRect ClientRectFromStyle(bool hasMenu);
  // ---- Making the window ---------------------------------------------------------------------
  virtual void CreateParams(TCreateParams& params);
  // Makes the window from CreateParams (registering the class when needed).
  virtual void CreateWnd();
  // The CreateWindowEx call itself.
  virtual void CreateWindowHandle(const TCreateParams& params);
  // Keeps the text and destroys the window.
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  // CreateWnd plus the z-order among siblings; children's anchors start from here.
  virtual void CreateHandle();
  // Destroys the children's windows, then this one.
  void DestroyHandle();
  // Makes params a subclass of a system window class (BUTTON, EDIT, COMBOBOX...): the
  // class's procedure becomes the DefaultHandler's.
  void CreateSubClass(TCreateParams& params, const wchar_t* controlClassName);
  WNDPROC GetDefWndProc() const { return FDefWndProc; }

  // ---- Painting ------------------------------------------------------------------------------------
  // Paints the control itself into dc (the system's painting by default).
  virtual void PaintWindow(HDC dc);
  // WM_PAINT: the window where no opaque child covers it, then the windowless children.
  void PaintHandler(TMessage& message);

  // ---- Layout ----------------------------------------------------------------------------------------
  // Lays out the children inside rect (Align, then Anchors); control is the one that
  // asked, placed first among those of its alignment.
  virtual void AlignControls(TControl* control, TRect& rect);
  // Lays out after a change of control (nullptr: all), unless alignment is disabled.
  void AlignControl(TControl* control);
  // The part of the client area the aligned children share (panels leave room for
  // their borders).
  virtual void AdjustClientRect(TRect& rect) {}
  bool CanAutoSize(int& newWidth, int& newHeight) override;
  // Reads the bounds back from the window.
  void UpdateBounds();
  // Creates and shows or hides the windows as Visible and the parents say.
  void UpdateShowing();
  // Updates the showing of this control when its parents are showing.
  void UpdateControlState();
  void SetZOrder(bool topMost) override;
  void SetZOrderPosition(int position) override;
  // The window of the next windowed sibling above this one, or HWND_TOP.
  HWND PrecedingWindow(TWinControl* control) const;
  HDC GetDeviceContext(HWND& windowHandle) override;
  // Routes a mouse message to the windowless child under the mouse or capturing it.
  bool IsControlMouseMsg(TMessage& message);
  // Reflects a message to the control of window `control` as CN_xxx; false when that
  // window is not one of ours.
  static bool DoControlMsg(HWND control, TMessage& message);
  void RemoveFocus(bool removing);
  // Sorts the tab list by the tab orders read from a layout.
  void FixupTabList();

  // ---- Keys -----------------------------------------------------------------------------------------
  virtual void KeyDown(WORD& key, TShiftState shift);
  virtual void KeyUp(WORD& key, TShiftState shift);
  virtual void KeyPress(wchar_t& key);
  // The key events, after the form's preview; true when the key was eaten.
  bool DoKeyDown(TMessage& message);
  bool DoKeyUp(TMessage& message);
  bool DoKeyPress(TMessage& message);
  virtual void DoEnter();
  virtual void DoExit();
  // For a control that takes the focus when pressed (a button): gives it the focus before a
  // left press reaches it, with clicksDisabled true meanwhile (a click notification that
  // the focusing causes is to be dropped). False when the press must be dropped: the
  // control was freed meanwhile or did not get the focus. Nothing happens at design time
  // or when the control has the focus already.
  bool FocusBeforePress(bool& clicksDisabled);

  // ---- Message handlers --------------------------------------------------------------------------------
  virtual void WMPaint(TMessage& message);
  virtual void WMEraseBkgnd(TMessage& message);
  virtual void WMCommand(TMessage& message);
  virtual void WMNotify(TMessage& message);
  virtual void WMDrawItem(TMessage& message);
  virtual void WMMeasureItem(TMessage& message);
  virtual void WMCompareItem(TMessage& message);
  virtual void WMDeleteItem(TMessage& message);
  virtual void WMCharToItem(TMessage& message);
  virtual void WMVKeyToItem(TMessage& message);
  virtual void WMHScroll(TMessage& message);
  virtual void WMVScroll(TMessage& message);
  virtual void WMCtlColor(TMessage& message);
  virtual void WMSize(TMessage& message);
  virtual void WMWindowPosChanged(TMessage& message);
  virtual void WMWindowPosChanging(TMessage& message);
  virtual void WMSetCursor(TMessage& message);
  virtual void WMSetFocus(TMessage& message);
  virtual void WMKillFocus(TMessage& message);
  virtual void WMKeyDown(TMessage& message);
  virtual void WMKeyUp(TMessage& message);
  virtual void WMChar(TMessage& message);
  virtual void WMSysKeyDown(TMessage& message);
  virtual void WMSysKeyUp(TMessage& message);
  virtual void WMSysChar(TMessage& message);
  virtual void WMNCHitTest(TMessage& message);
  virtual void WMContextMenu(TMessage& message) override;
  virtual void WMMouseLeave(TMessage& message);
  virtual void WMSysColorChange(TMessage& message);
  virtual void WMDestroy(TMessage& message);
  virtual void WMNCDestroy(TMessage& message);
  virtual void CNKeyDown(TMessage& message);
  virtual void CNKeyUp(TMessage& message);
  virtual void CNChar(TMessage& message);
  virtual void CNSysKeyDown(TMessage& message);
  virtual void CNSysChar(TMessage& message);
  virtual void CNCtlColor(TMessage& message);
  virtual void CMEnabledChanged(TMessage& message) override;
  virtual void CMVisibleChanged(TMessage& message) override;
  virtual void CMShowingChanged(TMessage& message);
  virtual void CMColorChanged(TMessage& message) override;
  virtual void CMFontChanged(TMessage& message) override;
  virtual void CMCtl3DChanged(TMessage& message) override;
  virtual void CMShowHintChanged(TMessage& message) override;
  virtual void CMBiDiModeChanged(TMessage& message) override;
  virtual void CMSysColorChange(TMessage& message) override;
  virtual void CMDialogKey(TMessage& message);
  virtual void CMDialogChar(TMessage& message);
  virtual void CMChildKey(TMessage& message);
  virtual void CMEnter(TMessage& message);
  virtual void CMExit(TMessage& message);
  virtual void CMFocusChanged(TMessage& message);
  virtual void CMInvalidate(TMessage& message);
  virtual void CMRecreateWnd(TMessage& message);
  virtual void CMTabStopChanged(TMessage& message);

 private:
  friend class TControl;
  friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
  void Insert(TControl* control);   // adds to the lists; sets the parent
  void Remove(TControl* control);   // takes from the lists; clears the parent
  // Follows the mouse for CM_MOUSEENTER/CM_MOUSELEAVE on a WM_MOUSEMOVE of this window.
  void TrackMouseMove(TMessage& message);
  void UpdateTabOrder(int value);
  // The root's CM_DIALOGKEY: Tab and the arrows move the focus; true when used.
  bool DialogNavigationKey(TMessage& message);

  HWND FHandle = nullptr;                    // the window; destroyed by DestroyWnd
  HWND FParentWindow = nullptr;              // foreign parent window; not owned
  WNDPROC FDefWndProc = nullptr;             // DefaultHandler's procedure
  std::vector<TControl*> FControls;          // windowless children, bottom first; not owned
  std::vector<TWinControl*> FWinControls;    // windowed children, bottom first; not owned
  std::vector<TWinControl*> FTabList;        // windowed children in tab order; not owned
  std::unique_ptr<TBrush> FBrush;            // background brush, in Color
  bool FShowing = false;                     // the window is shown
  bool FTabStop = false;
  int FTabOrder = -1;                        // tab order read from a layout, applied on Loaded
  int FAlignLevel = 0;                       // DisableAlign nesting
  int FAlignWorkChildren = 0;                // children aligned or not anchored top-left
  bool FDoubleBuffered = false;
  bool FDockSite = false;
  bool FMeasuringFrame = false;              // CreateParams is asked for the frame only
  TWinControl* FFocusedControl = nullptr;    // the root's focused control; not owned
  int FFocusCount = 0;                       // changes of focus seen by this root
  TNotifyEvent FOnEnter;
  TNotifyEvent FOnExit;
  TKeyEvent FOnKeyDown;
  TKeyEvent FOnKeyUp;
  TKeyPressEvent FOnKeyPress;
  TDragOverEvent FOnDockOver;
  TDockDropEvent FOnDockDrop;
  TGetSiteInfoEvent FOnGetSiteInfo;
  TUnDockEvent FOnUnDock;
};

// ---- TGraphicControl ----------------------------------------------------------------------------
// A windowless control with a canvas: its parent's window, moved and clipped to it.
class TGraphicControl : public TControl {
  CLASSLIB_CLASS(TGraphicControl, TControl)
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;

  // Draws on the control. While painting it draws on the paint DC; otherwise on the
  // parent's window DC, got when needed. Owned.
  TCanvas* GetCanvas() const { return FCanvas.get(); }

  void Dispatch(TMessage& message) override;

 protected:
  // Draws the control on Canvas; nothing by default.
  virtual void Paint() {}
  virtual void WMPaint(TMessage& message);

 private:
  std::unique_ptr<TControlCanvas> FCanvas;
};

// ---- TCustomControl -----------------------------------------------------------------------------
// A windowed control that paints itself on a canvas.
class TCustomControl : public TWinControl {
  CLASSLIB_CLASS(TCustomControl, TWinControl)
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;

  TCanvas* GetCanvas() const { return FCanvas.get(); }  // owned

 protected:
  // Draws the control on Canvas; nothing by default.
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;
  void WMPaint(TMessage& message) override;
  void DestroyWnd() override;

 private:
  std::unique_ptr<TControlCanvas> FCanvas;
};

// ---- Finding controls ----------------------------------------------------------------------------
// The control of a window of ours, or nullptr (also for windows of other processes).
TWinControl* FindControl(HWND handle);
// True when the window is one of our controls' windows.
bool IsControlWindow(HWND handle);
// The windowed control of ours at a screen point (the window there or its nearest parent
// of ours).
TWinControl* FindVCLWindow(const TPoint& pos);
// The control at a screen point, windowless ones included.
TControl* FindDragTarget(const TPoint& pos, bool allowDisabled);
// The control that has the mouse captured (a windowless one through its parent), or nullptr.
TControl* GetCaptureControl();
// Captures the mouse for control (nullptr releases it).
void SetCaptureControl(TControl* control);
// The control the mouse is over, as CM_MOUSEENTER/CM_MOUSELEAVE last told it.
TControl* GetMouseControl();

// ---- Keys ------------------------------------------------------------------------------------------
// True when str has the accelerator &c for the key vk (without regard to case).
bool IsAccel(WORD vk, const String& str);
// The accelerator character of a caption ("&File" -> "F"); empty when there is none.
String GetHotkey(const String& text);

// ---- Utility windows ---------------------------------------------------------------------------------
// A hidden window whose messages go to method. The method answers every message, calling
// DefWindowProc for those it does not handle; exceptions it throws go to
// ApplicationHandleException. The caller owns the window and frees it with DeallocateHWnd.
HWND AllocateHWnd(TWndMethod method);
// Destroys a window of AllocateHWnd; nullptr is ignored.
void DeallocateHWnd(HWND wnd);
