// The messages of the controls layer: TMessage, which every window procedure and message
// handler passes around, the control messages (CM_*) that controls send one another, the
// notification messages (CN_*) that a parent reflects back to the child that caused them,
// and small typed views that read and write the fields of common messages.
//
// A view holds a reference to the TMessage it reads; it owns nothing and must not outlive
// the message. Writing through a view (SetCharCode, SetResult) changes the message itself.
#pragma once
#include <cstdint>
#include "../graphics/Types.h"
#include "../system/Win.h"

// One message as a window procedure receives it, plus the result the handler gives back.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;

  WORD WParamLo() const { return LOWORD(WParam); }
  WORD WParamHi() const { return HIWORD(WParam); }
  WORD LParamLo() const { return LOWORD(LParam); }
  WORD LParamHi() const { return HIWORD(LParam); }
};

// ---- Control messages ---------------------------------------------------------------------
inline constexpr UINT CM_BASE = 0xB000;
inline constexpr UINT CM_ACTIVATE = CM_BASE + 0;
inline constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
inline constexpr UINT CM_GOTFOCUS = CM_BASE + 2;
inline constexpr UINT CM_LOSTFOCUS = CM_BASE + 3;
inline constexpr UINT CM_CANCELMODE = CM_BASE + 4;           // LParam: the sender (TControl*)
inline constexpr UINT CM_DIALOGKEY = CM_BASE + 5;            // WParam: key, LParam: key data
inline constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;           // WParam: char, LParam: key data
inline constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;         // LParam: the focused TWinControl*
inline constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;    // WParam 1: LParam is a TFont*
inline constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;   // WParam 1: LParam is a TColor
inline constexpr UINT CM_HITTEST = CM_BASE + 10;             // LParam: client point (x, y)
inline constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;      // WParam: the new Visible
inline constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
inline constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
inline constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
inline constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
inline constexpr UINT CM_CTL3DCHANGED = CM_BASE + 16;
inline constexpr UINT CM_PARENTCTL3DCHANGED = CM_BASE + 17;
inline constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
inline constexpr UINT CM_MOUSEENTER = CM_BASE + 19;          // LParam: 0, or the child entered
inline constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;          // LParam: 0, or the child left
inline constexpr UINT CM_MENUCHANGED = CM_BASE + 21;
inline constexpr UINT CM_APPKEYDOWN = CM_BASE + 22;
inline constexpr UINT CM_APPSYSCOMMAND = CM_BASE + 23;
inline constexpr UINT CM_BUTTONPRESSED = CM_BASE + 24;       // WParam: group, LParam: sender
inline constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
inline constexpr UINT CM_ENTER = CM_BASE + 26;
inline constexpr UINT CM_EXIT = CM_BASE + 27;
inline constexpr UINT CM_DESIGNHITTEST = CM_BASE + 28;
inline constexpr UINT CM_ICONCHANGED = CM_BASE + 29;
inline constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 30;      // WParam: key, LParam: key data
inline constexpr UINT CM_INVOKEHELP = CM_BASE + 31;
inline constexpr UINT CM_WINDOWHOOK = CM_BASE + 32;
inline constexpr UINT CM_RELEASE = CM_BASE + 33;
inline constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
inline constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
inline constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 36;
inline constexpr UINT CM_WININICHANGE = CM_BASE + 37;
inline constexpr UINT CM_FONTCHANGE = CM_BASE + 38;
inline constexpr UINT CM_TIMECHANGE = CM_BASE + 39;
inline constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 40;
inline constexpr UINT CM_UIACTIVATE = CM_BASE + 41;
inline constexpr UINT CM_UIDEACTIVATE = CM_BASE + 42;
inline constexpr UINT CM_DOCWINDOWACTIVATE = CM_BASE + 43;
inline constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 44;   // WParam: control, LParam: inserting
inline constexpr UINT CM_GETDATALINK = CM_BASE + 45;
inline constexpr UINT CM_CHILDKEY = CM_BASE + 46;            // WParam: key, LParam: the sender
inline constexpr UINT CM_DRAG = CM_BASE + 47;
inline constexpr UINT CM_HINTSHOW = CM_BASE + 48;            // LParam: THintInfo*
inline constexpr UINT CM_DIALOGHANDLE = CM_BASE + 49;
inline constexpr UINT CM_ISTOOLCONTROL = CM_BASE + 50;
inline constexpr UINT CM_RECREATEWND = CM_BASE + 51;
inline constexpr UINT CM_INVALIDATE = CM_BASE + 52;          // WParam 1: a child asks
inline constexpr UINT CM_SYSFONTCHANGED = CM_BASE + 53;
inline constexpr UINT CM_CONTROLCHANGE = CM_BASE + 54;       // WParam: control, LParam: inserting
inline constexpr UINT CM_CHANGED = CM_BASE + 55;             // LParam: the changed TControl*
inline constexpr UINT CM_DOCKCLIENT = CM_BASE + 56;
inline constexpr UINT CM_UNDOCKCLIENT = CM_BASE + 57;
inline constexpr UINT CM_FLOAT = CM_BASE + 58;
inline constexpr UINT CM_BORDERCHANGED = CM_BASE + 59;
inline constexpr UINT CM_BIDIMODECHANGED = CM_BASE + 60;
inline constexpr UINT CM_PARENTBIDIMODECHANGED = CM_BASE + 61;
inline constexpr UINT CM_ALLCHILDRENFLIPPED = CM_BASE + 62;
inline constexpr UINT CM_ACTIONUPDATE = CM_BASE + 63;        // LParam: TBasicAction*
inline constexpr UINT CM_ACTIONEXECUTE = CM_BASE + 64;       // LParam: TBasicAction*
inline constexpr UINT CM_HINTSHOWPAUSE = CM_BASE + 65;
inline constexpr UINT CM_DOCKNOTIFICATION = CM_BASE + 66;
inline constexpr UINT CM_MOUSEWHEEL = CM_BASE + 67;          // as WM_MOUSEWHEEL
inline constexpr UINT CM_ISSHORTCUT = CM_BASE + 68;          // LParam: TMessage* of the key
inline constexpr UINT CM_INVALIDATEDOCKHOST = CM_BASE + 70;
inline constexpr UINT CM_SETACTIVECONTROL = CM_BASE + 71;
inline constexpr UINT CM_POPUPHWNDDESTROY = CM_BASE + 72;
inline constexpr UINT CM_CREATEPOPUP = CM_BASE + 73;
inline constexpr UINT CM_DESTROYHANDLE = CM_BASE + 74;
inline constexpr UINT CM_MOUSEACTIVATE = CM_BASE + 75;
inline constexpr UINT CM_CONTROLLISTCHANGING = CM_BASE + 76;

// ---- Notifications reflected to the child (message number + CN_BASE) -----------------------
inline constexpr UINT CN_BASE = 0xBC00;
inline constexpr UINT CN_CHARTOITEM = CN_BASE + WM_CHARTOITEM;
inline constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
inline constexpr UINT CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM;
inline constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
inline constexpr UINT CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG;
inline constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
inline constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
inline constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
inline constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
inline constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
inline constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
inline constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
inline constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
inline constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
inline constexpr UINT CN_PARENTNOTIFY = CN_BASE + WM_PARENTNOTIFY;
inline constexpr UINT CN_VKEYTOITEM = CN_BASE + WM_VKEYTOITEM;
inline constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
inline constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
inline constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
inline constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
inline constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
inline constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
inline constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;

// ---- Typed views ----------------------------------------------------------------------------
// Base of the views: the message, its number and its result.
struct TMessageView {
  TMessage& Message;  // the viewed message; not owned
  explicit TMessageView(TMessage& message) : Message(message) {}
  UINT GetMsg() const { return Message.Msg; }
  LRESULT GetResult() const { return Message.Result; }
  void SetResult(LRESULT value) { Message.Result = value; }
};

// WM_KEYDOWN/UP, WM_CHAR, WM_SYS*, CN_KEYDOWN/CHAR, CM_DIALOGKEY/CHAR, CM_WANTSPECIALKEY.
struct TWMKey : TMessageView {
  using TMessageView::TMessageView;
  WORD GetCharCode() const { return LOWORD(Message.WParam); }
  void SetCharCode(WORD value) { Message.WParam = value; }
  LPARAM GetKeyData() const { return Message.LParam; }
};
using TWMChar = TWMKey;
using TWMKeyDown = TWMKey;
using TCMDialogKey = TWMKey;
using TCMDialogChar = TWMKey;
using TCMWantSpecialKey = TWMKey;

// Mouse messages in client coordinates (signed 16-bit positions).
struct TWMMouse : TMessageView {
  using TMessageView::TMessageView;
  WPARAM GetKeys() const { return Message.WParam; }  // MK_xxx
  int GetXPos() const { return static_cast<short>(LOWORD(Message.LParam)); }
  int GetYPos() const { return static_cast<short>(HIWORD(Message.LParam)); }
  TPoint GetPos() const { return TPoint(GetXPos(), GetYPos()); }
};

// WM_MOUSEWHEEL and CM_MOUSEWHEEL: the position is in screen coordinates.
struct TWMMouseWheel : TMessageView {
  using TMessageView::TMessageView;
  WORD GetKeys() const { return LOWORD(Message.WParam); }
  int GetWheelDelta() const { return static_cast<short>(HIWORD(Message.WParam)); }
  int GetXPos() const { return static_cast<short>(LOWORD(Message.LParam)); }
  int GetYPos() const { return static_cast<short>(HIWORD(Message.LParam)); }
  TPoint GetPos() const { return TPoint(GetXPos(), GetYPos()); }
};
using TCMMouseWheel = TWMMouseWheel;

// WM_PAINT and WM_ERASEBKGND: the DC to draw on (nullptr in a WM_PAINT from the system).
struct TWMPaint : TMessageView {
  using TMessageView::TMessageView;
  HDC GetDC() const { return reinterpret_cast<HDC>(Message.WParam); }
};
using TWMEraseBkgnd = TWMPaint;

struct TWMCommand : TMessageView {
  using TMessageView::TMessageView;
  WORD GetItemID() const { return LOWORD(Message.WParam); }
  WORD GetNotifyCode() const { return HIWORD(Message.WParam); }
  HWND GetCtl() const { return reinterpret_cast<HWND>(Message.LParam); }
};

struct TWMNotify : TMessageView {
  using TMessageView::TMessageView;
  int GetIDCtrl() const { return static_cast<int>(Message.WParam); }
  NMHDR* GetNMHdr() const { return reinterpret_cast<NMHDR*>(Message.LParam); }
};

struct TWMDrawItem : TMessageView {
  using TMessageView::TMessageView;
  UINT GetCtl() const { return static_cast<UINT>(Message.WParam); }
  DRAWITEMSTRUCT* GetDrawItemStruct() const {
    return reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  }
};

struct TWMMeasureItem : TMessageView {
  using TMessageView::TMessageView;
  UINT GetIDCtl() const { return static_cast<UINT>(Message.WParam); }
  MEASUREITEMSTRUCT* GetMeasureItemStruct() const {
    return reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  }
};

// WM_HSCROLL / WM_VSCROLL and their CN_ reflections.
struct TWMScroll : TMessageView {
  using TMessageView::TMessageView;
  int GetScrollCode() const { return static_cast<short>(LOWORD(Message.WParam)); }
  int GetPos() const { return static_cast<short>(HIWORD(Message.WParam)); }
  HWND GetScrollBar() const { return reinterpret_cast<HWND>(Message.LParam); }
};

// WM_CTLCOLORxxx and CN_CTLCOLORxxx: the child's DC and window.
struct TWMCtlColor : TMessageView {
  using TMessageView::TMessageView;
  HDC GetChildDC() const { return reinterpret_cast<HDC>(Message.WParam); }
  HWND GetChildWnd() const { return reinterpret_cast<HWND>(Message.LParam); }
};

struct TWMSize : TMessageView {
  using TMessageView::TMessageView;
  WPARAM GetSizeType() const { return Message.WParam; }  // SIZE_xxx
  int GetWidth() const { return LOWORD(Message.LParam); }
  int GetHeight() const { return HIWORD(Message.LParam); }
};

// WM_WINDOWPOSCHANGING / WM_WINDOWPOSCHANGED; GetWindowPos is nullptr when a windowless
// control performs the message to itself.
struct TWMWindowPosMsg : TMessageView {
  using TMessageView::TMessageView;
  WINDOWPOS* GetWindowPos() const { return reinterpret_cast<WINDOWPOS*>(Message.LParam); }
};

struct TWMSetCursor : TMessageView {
  using TMessageView::TMessageView;
  HWND GetCursorWnd() const { return reinterpret_cast<HWND>(Message.WParam); }
  int GetHitTest() const { return static_cast<short>(LOWORD(Message.LParam)); }
  WORD GetMouseMsg() const { return HIWORD(Message.LParam); }
};

// WM_CONTEXTMENU and WM_NCHITTEST: screen coordinates; (-1, -1) for a menu asked by key.
struct TWMContextMenu : TMessageView {
  using TMessageView::TMessageView;
  HWND GetHWnd() const { return reinterpret_cast<HWND>(Message.WParam); }
  int GetXPos() const { return static_cast<short>(LOWORD(Message.LParam)); }
  int GetYPos() const { return static_cast<short>(HIWORD(Message.LParam)); }
  TPoint GetPos() const { return TPoint(GetXPos(), GetYPos()); }
};
using TWMNCHitTest = TWMContextMenu;

// CM_HITTEST: a point in the control's client coordinates.
struct TCMHitTest : TMessageView {
  using TMessageView::TMessageView;
  int GetXPos() const { return static_cast<short>(LOWORD(Message.LParam)); }
  int GetYPos() const { return static_cast<short>(HIWORD(Message.LParam)); }
  TPoint GetPos() const { return TPoint(GetXPos(), GetYPos()); }
};

// Packs a point into an LPARAM as the mouse messages carry it (16 bits each, signed).
inline LPARAM PointToLParam(const TPoint& p) {
  return MAKELPARAM(static_cast<WORD>(static_cast<short>(p.X)),
                    static_cast<WORD>(static_cast<short>(p.Y)));
}
// The point an LPARAM of a mouse message holds.
inline TPoint LParamToPoint(LPARAM lParam) {
  return TPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
}
