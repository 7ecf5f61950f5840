// TSeCustomForm: a non-visual component dropped on a form that takes over the form's window
// frame through a window hook. It removes the system frame, draws its own frame, caption and
// caption buttons (themed or classic), answers hit-testing, moves and sizes the window itself
// (the whole window or an outline, snapping to the work area) and adds window states the
// system does not have (rolled up, in the tray). Caption buttons of skins reach it through
// SE_GETFORMSKIN.
//
// The system menu, the tray icon, the application's minimize and restore and the MDI support
// are in SkinFormSystemMenu.cpp, SkinFormTray.cpp and SkinFormMdi.cpp.
//
// With a drop shadow the window is the shadow's width larger than the form right and below;
// the shadow and translucency are composed over a picture of the screen beneath the window.
#pragma once
#include <algorithm>
#include <functional>
#include <memory>

#include "SkinFormFrame.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/system/FlagScope.h"
#include "controls/skin/controls/SkinHooks.h"
#include "controls/skin/controls/SkinOptions.h"
#include "controls/skin/engine/SkinObjects.h"
#include "controls/skin/engine/ThemeBinding.h"

#include <shellapi.h>

class TCustomImageList;
class TSeBitmap;
class TSeCustomItem;
class TSeCustomMenuBar;
class TPopupMenu;
class TPropInfo;

// The decoration's menus (its menu bar and its built-in system menu) are the library's menus,
// whose popup windows are themselves decorated forms: the members of TSeCustomForm that work
// on menus are defined with the menus (menus/SkinFormMenus.cpp), and this header names the
// menu classes only. An item tree is freed there too.
struct TSeItemDeleter {
  void operator()(TSeCustomItem* item) const;
};

// The component sets allow to true before the call; false cancels the action.
using TSeFormActionEvent = std::function<void(TObject* sender, bool& allow)>;

// The system's tray-icon call (NIM_ADD, NIM_DELETE); replaceable so that tests run without a
// notification area. Returns the previous responder.
using TSeTrayResponder = std::function<bool(DWORD message, NOTIFYICONDATAW& data)>;
TSeTrayResponder SetTrayResponder(TSeTrayResponder responder);

// Copies text into a tray tip of capacity characters (the terminator included): cut at a
// character boundary (a surrogate pair is never split) and always terminated.
void CopyTrayTip(const String& text, wchar_t* tip, size_t capacity);

// The six caption glyphs of the system menu (close, minimize, maximize, restore, roll-up,
// tray: indexes 0 to 5), made on first use; owned by the library.
TCustomImageList* CaptionGlyphs();
enum TSeCaptionGlyph { cgClose, cgMinimize, cgMaximize, cgRestore, cgRollup, cgTray };

// The built-in system menu's captions.
extern const wchar_t* const SSeRestore;      // "&Restore"
extern const wchar_t* const SSeMinimize;     // "Mi&nimize"
extern const wchar_t* const SSeMaximize;     // "Ma&ximize"
extern const wchar_t* const SSeRollup;       // "Ro&llup"
extern const wchar_t* const SSeMinToTray;    // "Minimize to &Tray"
extern const wchar_t* const SSeClose;        // "&Close"

// The tray icon's notifications to the component's tray window.
constexpr UINT SE_FORM_TRAYNOTIFY = 1388;
// Posted by the component to its own window.
constexpr UINT SE_FORM_CAPTIONBACK = 1389;  // repaints the frame
constexpr UINT SE_FORM_MAXIMIZE = 1390;
constexpr UINT SE_FORM_SETSTATE = 1391;     // wParam: the TSeWindowState to go to
// Paints frame and client into the DC in lParam at the offset in wParam (x low, y high word).
constexpr UINT SE_FORM_PAINTTO = 45512;

class TSeCustomForm : public TSeHook, public TSeFormSkin {
  CLASSLIB_CLASS(TSeCustomForm, TSeHook)
  static const TPropertyTable* PublishedProperties();
  explicit TSeCustomForm(TComponent* owner);
  ~TSeCustomForm() override;

  // ---- Properties ------------------------------------------------------------------------------
  TSeBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TSeBorderStyle value);  // values beyond the last are ignored
  TSeBorderIcons GetBorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TSeBorderIcons value);
  TSeWindowState GetWindowState() const { return FState; }
  void SetWindowState(TSeWindowState value);  // while loading: applied at the first show
  TSeFormPerformance GetPerformance() const { return FPerformance; }
  void SetPerformance(TSeFormPerformance value);
  // The form's caption (the stored value without a form).
  String GetCaption() const;
  void SetCaption(const String& value);
  bool GetMinimizeApplication() const { return FMinimizeApplication; }
  void SetMinimizeApplication(bool value) { FMinimizeApplication = value; }
  bool GetStayOnTop() const { return FStayOnTop; }
  void SetStayOnTop(bool value);
  bool GetStretchBackground() const { return FStretchBackground; }  // stored only
  void SetStretchBackground(bool value) { FStretchBackground = value; }
  // Owned; the writers copy.
  TSizeConstraints* GetConstraints() const { return FConstraints.get(); }
  void SetConstraints(TSizeConstraints* value);
  TSeAnimation* GetAnimation() const { return FAnimation.get(); }
  void SetAnimation(TSeAnimation* value) { FAnimation->Assign(value); }
  TSeBlending* GetBlending() const { return FBlending.get(); }
  void SetBlending(TSeBlending* value) { FBlending->Assign(value); }
  TSeShadow* GetShadow() const { return FShadow.get(); }
  void SetShadow(TSeShadow* value) { FShadow->Assign(value); }
  TSeGravitation* GetGravitation() const { return FGravitation.get(); }
  void SetGravitation(TSeGravitation* value) { FGravitation->Assign(value); }
  TSeDragging* GetDragging() const { return FDragging.get(); }
  void SetDragging(TSeDragging* value) { FDragging->Assign(value); }
  TSePopupMenuOptions* GetSystemMenuOptions() const { return FSystemMenuOptions.get(); }
  void SetSystemMenuOptions(TSePopupMenuOptions* value) { FSystemMenuOptions->Assign(value); }
  TSePopupMenuOptions* GetTrayMenuOptions() const { return FTrayMenuOptions.get(); }
  void SetTrayMenuOptions(TSePopupMenuOptions* value) { FTrayMenuOptions->Assign(value); }
  // Not owned; forgotten when they go.
  TSeCustomMenuBar* GetMenuBar() const { return FMenuBar; }
  void SetMenuBar(TSeCustomMenuBar* value);
  TPopupMenu* GetSystemMenuLink() const { return FSystemMenuLink; }
  void SetSystemMenuLink(TPopupMenu* value);
  TPopupMenu* GetTrayMenuLink() const { return FTrayMenuLink; }
  void SetTrayMenuLink(TPopupMenu* value);

  TNotifyEvent OnCreate, OnPaint, OnResize;
  TSeFormActionEvent OnClose, OnMinimize, OnMaximize, OnRollup, OnMinToTray;

  // ---- State operations ------------------------------------------------------------------------
  void Restore() override;
  void Maximize() override;
  void Minimize() override;
  void Rollup();
  void MinToTray();
  // A modal form gets mrCancel. Otherwise, when CloseQuery agrees, OnClose decides the
  // action (caHide; for an MDI child caMinimize with the minimize button, else caNone): the
  // main form ends the application, caMinimize is Minimize, caHide hides the form and caFree
  // hides it and releases it.
  void CloseForm();
  void ShowContextHelp();
  // Pops the system menu up: the tray menu link in the tray state, else the system menu
  // link, else the built-in menu; returns when it closes.
  void ShowSystemMenu() override;
  // Frees the old root of the built-in menu (a click still pending for one of its items is
  // dropped) and builds the items the state and BorderIcons allow.
  void BuildSystemMenu();
  // The root of the built-in menu, nullptr before the first showing; owned.
  TSeCustomItem* GetSystemMenu() const { return FSystemMenu.get(); }
  // OnClick of every built-in item: the state operation its caption names.
  void SystemMenuClick(TObject* sender);
  void DisableFramePaint() { FFramePaint = false; }
  bool GetFramePaint() const { return FFramePaint; }
  void EnableFramePaint() { FFramePaint = true; }
  // Re-applies the frame after a frame property changed, keeping the client size.
  void RefreshFrame();

  // ---- Frame -----------------------------------------------------------------------------------
  // The layout of the frame now (the form's size, style, state and the system metrics).
  TSeFrameLayout FrameLayout() const;
  // FrameLayout with its client rectangle the one this form gives (ClientRectOf), which the
  // caption band, the buttons, hit-testing, painting and the state rectangles follow.
  TSeFrameLayout FrameLayoutWithClient() const;
  TRect GetFrameClientRect() const { return ClientRectOf(FrameLayout()); }
  // The client rectangle the frame leaves at a layout's size.
  virtual TRect ClientRectOf(const TSeFrameLayout& layout) const { return FrameClientRect(layout); }
  // Where a caption button lies (empty when not shown). Hit-testing and painting place the
  // buttons through it, so a descendant may move them.
  virtual TRect GetButtonRect(TSeBorderIcon icon) const {
    return FrameButtonRect(FrameLayoutWithClient(), icon);
  }
  // The rectangles the rolled-up, minimized and maximized states apply.
  virtual TRect GetRollupRect() const;
  virtual TRect GetMinimizedRect() const;
  virtual TRect GetMaximizedRect() const;
  virtual TSize GetMaxTrackSize() const;
  virtual TSize GetMinTrackSize() const;
  // The frame zone at a window point.
  virtual TSeFrameZone HitTest(int x, int y) const;
  // Paints the frame (not the client) on canvas, window coordinates.
  virtual void PaintFrame(TCanvas* canvas);
  // Fills the client area, client coordinates, with the form's colour.
  virtual void PaintClient(TCanvas* canvas);
  // Repaints the frame (and the shadow) on the window.
  void PaintNonClient();
  // Repaints r (client coordinates) of the client straight onto the window, as the form's
  // background painting (OnPaint or PaintClient, with translucency) draws it. Nothing while
  // frame painting is off, for an MDI parent form or outside the client.
  void PaintWindowRect(const TRect& r);
  // The canvas painting goes to during OnPaint (nullptr outside painting).
  TCanvas* GetCanvas() const { return FPainting ? FCanvas.get() : nullptr; }

  // Frame mouse events, window coordinates.
  virtual void FrameMouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void FrameMouseMove(TShiftState shift, int x, int y);
  virtual void FrameMouseUp(TMouseButton button, TShiftState shift, int x, int y);

  bool IsFrameDragging() const { return FDragging_; }  // a frame drag runs
  TSeFrameZone GetHotZone() const { return FHotZone; }
  bool GetFormActive() const { return FFormActive; }
  // The form without the shadow, and the window with it.
  int FormWidth() const { return std::max(0, FWindowWidth - ShadowSize()); }
  int FormHeight() const { return std::max(0, FWindowHeight - ShadowSize()); }
  // The shadow's width when one is drawn now (enabled and not maximized), else 0.
  int ShadowSize() const;
  TRect GetSavedBounds() const { return FSavedBounds; }

  // ---- MDI (an MDI child and its parent, the program's main form) ----------------------------
  // Some MDI child of the parent is maximized (in the class library or by its component).
  bool IsMDIChildMaximized() const;
  // The parent's caption: its own caption, followed by " - [child caption]" while a child is
  // maximized.
  void UpdateMDICaption();
  // Restores every MDI child whose component has it maximized.
  void RestoreMaximizedChildren();
  // The window procedure of the MDI client of a parent form (subclassed from Loaded until the
  // component goes).
  LRESULT MDIClientWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

  // Refreshes the image of the screen under screen rectangle r (for the show animation, the
  // shadow and translucency).
  void CaptureBackground(const TRect& r);
  const TSeBitmap* GetBackground() const { return FBackground.get(); }
  // Reveals the form's look over the screen with the Animation effect (at the first show).
  void PlayShowAnimation(const TRect& windowRect);

  // ---- TSeFormSkin -----------------------------------------------------------------------------
  bool HasBorderIcon(TBorderIcon icon) const override;
  void Close() override { CloseForm(); }
  void Help() override { ShowContextHelp(); }
  void RollUp() override { Rollup(); }
  void ToTray() override { MinToTray(); }
  void CustomButtonClick(TSeSkinObject*) override {}
  // Sizeable and in the normal (or tray) state: a status bar's size grip may size the form.
  bool AllowsSizing() const override;
  HWND FrameWindow() const override { return GetHandle(); }

  void AfterMessage(TMessage& message, bool& handled) override;

 protected:
  // A new item for the built-in system menu (a plain one here).
  virtual TSeCustomItem* CreateMenuItem();
  // Gives the window the frame's region (with the shadow's copy) after a size change.
  virtual void UpdateWindowRegion();
  // A new region of the frame at the form's size; the caller owns it.
  virtual HRGN CreateWindowRegion() const;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void Dispatch(TMessage& message) override;

 private:
  // Messages.
  void WMNCCalcSize(TMessage& message);
  void WMNCActivate(TMessage& message);
  void WMNCHitTest(TMessage& message);
  void WMNCMouse(TMessage& message);
  void WMEraseBkgnd(TMessage& message);
  // Paints the client onto dc (nullptr: the window's client DC), only part of it when part is
  // given (client coordinates). A WM_ERASEBKGND never carries a part: only PaintWindowRect
  // asks for one.
  void EraseClient(HDC dc, const TRect* part);
  // The image painting goes into by Performance, the window's size: the shared or persistent
  // one, else a new one kept in temporary for this paint.
  TSeBitmap* PaintBuffer(std::unique_ptr<TSeBitmap>& temporary);
  // The shadow and translucency need the screen beneath: the image is composed over it.
  bool Composed() const;
  // The frame, its shadow and translucency into target (image when it is one).
  void RenderFrame(HDC target, TSeBitmap* image);
  // The client (OnPaint or PaintClient) into target with its top-left at origin, clipped to it.
  void RenderClient(HDC target, TPoint origin);
  // Where the background's top-left lies in window coordinates.
  TPoint BackgroundOrigin() const;
  // The Shadow or Blending options changed: the frame is applied again.
  void ShadowChanged();
  // The screen rectangle a window position gives the window.
  TRect NewWindowRect(const WINDOWPOS& pos) const;
  // The frame's region, with its copy moved by the shadow's width when a shadow is drawn; the
  // caller owns it.
  HRGN WindowRegion() const;
  void WMWindowPosChanging(TMessage& message);
  void WMSysCommand(TMessage& message);
  void PaintTo(HDC dc, int x, int y);
  void TrayWndProc(TMessage& message);
  // Adds, modifies or removes the tray icon; false when the shell refused.
  bool TrayIcon(DWORD message);
  // Makes the hidden window the tray icon reports to, once; false when it cannot be made.
  bool MakeTrayWindow();
  // Takes the icon out of the tray and shows what MinToTray hid (the component goes).
  void LeaveTrayForGood();
  // The application's minimize and restore, joined at the first activation.
  void HookApplication();
  void UnhookApplication();
  void ApplicationMinimize(TObject* sender);
  void ApplicationRestore(TObject* sender);
  // The application's restore, without our own handler answering it.
  void RestoreApplication();
  // MDI: the client window's subclass, and what a child's state change does to its parent.
  void SubclassMDIClient();
  void UnsubclassMDIClient();
  void WMMDIActivate(TMessage& message);
  void MDIChildMaximized();
  void MDIChildLeftMaximized();
  void MDIParentResized();
  // A maximized child's component goes: the parent's caption and menu bar let it go.
  void MDIChildGoing();
  void WatchMDIParent(TCustomForm* parent);
  // The component goes while its built-in system menu is open: the menu's loop keeps it.
  void SystemMenuGoes();
  // The menu bar: its shortcut for a key message (true when one ran), its keyboard menu mode,
  // and whether component is it.
  bool MenuBarShortCut(const TMessage& keyMessage) const;
  void EnterMenuBar();
  bool IsMenuBar(const TComponent* component) const;
  // The menu bar of an MDI parent's decoration (nullptr: none) shows this child's buttons, or
  // stops showing them when they are this child's.
  void MergeIntoMenuBar(TSeCustomForm* parentSkin);
  void UnmergeFromMenuBar(TSeCustomForm* parentSkin);
  // The published MenuBar property.
  static TPropInfo MenuBarProperty();
  // Ends a frame drag whose mouse capture went elsewhere.
  void CancelDrag();

  // State changes.
  bool Allowed(const TSeFormActionEvent& event);
  // The common entry of a state change: already in state, the form is restored instead
  // (false); otherwise the state left is remembered and, from the normal state, the bounds.
  bool EnterState(TSeWindowState state);
  void SaveBounds();
  void ApplyRect(const TRect& r);
  void ReturnToPreviousState();
  void AttachToForm();
  TPoint ScreenToWindow(TPoint screen) const;
  // The size grip of a status bar on the form, window coordinates; empty when none shows.
  TRect GripRect() const;
  // The window a child form lies in (an MDI child's MDI client); nullptr for a top-level one.
  HWND ParentWindow() const;
  // Where the form snaps and minimizes to: the parent window's client rectangle for a child
  // form, else the work area of the form's monitor.
  TRect WorkArea() const;
  // XOR-draws the drag outline at r (the form's bounds coordinates), erasing the last one.
  void DrawOutline(const TRect& r);
  // The bounds a frame drag gives for the mouse at window point p (snapped when moving).
  TRect DragTarget(TPoint last, bool outline, TPoint p) const;
  // theme: the window theme when visual styles draw the frame, else nullptr.
  void PaintCaption(TCanvas* canvas, const TSeFrameLayout& layout, const TThemeScope* theme);
  void PaintButtons(TCanvas* canvas, const TSeFrameLayout& layout, const TThemeScope* theme);
  // The caption (themed: its part too) and its buttons drawn into a picture filled with
  // clBtnFace, then copied onto canvas in one step; false when no picture could be made.
  bool PaintCaptionInPicture(TCanvas* canvas, const TSeFrameLayout& layout, const TThemeScope* theme);
  void FreeCaptionFonts();
  // The window's icon, copied at the small-icon size (again when the window's icon changes),
  // stretched into the system-menu button's rectangle.
  void PaintCaptionIcon(HDC dc, const TRect& r);
  // Everything a painted frame depends on, to know when a kept one still serves.
  struct TFrameKey {
    int Width = -1, Height = -1;
    uint32_t Look = 0, Icons = 0;
    String Caption;
    bool operator==(const TFrameKey&) const = default;
  };
  TFrameKey FrameKey(const TSeFrameLayout& layout) const;
  // Drops the kept frame and the kept themed parts: they belong to the theme and the system
  // colours they were drawn in.
  void ForgetKeptLook();

  std::unique_ptr<TCanvas> FCanvas;             // its handle is set only while painting
  std::unique_ptr<TSeBitmap> FPersistentBuffer; // vxfpPersistentBuffer, made on first use
  TSeFormPerformance FPerformance = vxfpNoBuffer;
  TSeBorderStyle FBorderStyle = vbsStandard;
  TSeBorderIcons FBorderIcons{vbiClose, vbiSystemMenu, vbiMinimize, vbiMaximize, vbiRollup, vbiTray};
  std::unique_ptr<TSizeConstraints> FConstraints;
  TSeWindowState FState = vwsNormal;            // the state now
  TSeWindowState FRequestedState = vwsNormal;   // assigned while loading; applied at first show
  TSeWindowState FPreviousState = vwsNormal;    // decides where Restore returns to
  TSeCustomMenuBar* FMenuBar = nullptr;
  TPopupMenu* FSystemMenuLink = nullptr;
  TPopupMenu* FTrayMenuLink = nullptr;
  bool FMinimizeApplication = true;
  bool FStayOnTop = false;
  bool FStretchBackground = false;
  String FCaption;                              // the caption without a form
  std::unique_ptr<TSeAnimation> FAnimation;
  std::unique_ptr<TSeBlending> FBlending;
  std::unique_ptr<TSeShadow> FShadow;
  std::unique_ptr<TSeGravitation> FGravitation;
  std::unique_ptr<TSeDragging> FDragging;
  std::unique_ptr<TSePopupMenuOptions> FSystemMenuOptions;
  std::unique_ptr<TSePopupMenuOptions> FTrayMenuOptions;
  TRect FSavedBounds;                           // bounds of the normal state
  TPoint FPressPoint, FLastPoint;               // window points of the current frame drag
  bool FFramePaint = true;                      // false suspends frame painting
  bool FFormActive = true;                      // selects active or inactive caption colours
  TSeFrameZone FPressedZone = fzNone, FHotZone = fzNone;
  int FWindowWidth = 0, FWindowHeight = 0;      // with the shadow
  TShiftState FFrameButtons;                    // held since a press in the frame
  bool FDragging_ = false;                      // a frame drag runs
  bool FOutlineMode = false;                    // the drag moves an outline
  TRect FOutlineRect;                           // the outline drawn last (bounds coordinates)
  bool FPainting = false;                       // FCanvas has a handle
  bool FStraightOnWindow = false;               // the frame is painted onto the window DC
  TSeFrameMetrics FMetrics;                     // read at creation and on WM_THEMECHANGED
  std::unique_ptr<TSeBitmap> FBackground;       // the screen under the window
  TRect FCaptureRect;                           // where FBackground was taken from
  bool FAnimating = false;                      // the show animation runs
  TSeBitmap* FAnimationFrame = nullptr;         // painting goes here while animating
  bool FRegionSet = false;                      // we gave the window a region
  int FRegionShadow = 0;                        // the shadow width the region was made with
  TThemePartCache FFrameParts;                  // the themed frame parts, kept
  TThemePartCache FButtonParts;                 // the themed caption buttons, kept
  // The shortcut handler we put on the form. It holds the form's earlier handler and reaches
  // the component through a shared link, cut when the component goes: a handler the program
  // set on top of ours since then stays, and ours only passes on to the earlier one.
  struct TShortCutLink {
    TSeCustomForm* Skin;
    TShortCutEvent Saved;
  };
  struct TShortCutHook {
    std::shared_ptr<TShortCutLink> Link;
    void operator()(TMessage& message, bool& handled) const;
  };
  std::shared_ptr<TShortCutLink> FShortCutLink;  // set while our handler was put on the form
  TFrameKey FPersistentKey;                     // what the persistent buffer shows
  HFONT FCaptionFonts[2] = {};                  // caption and small caption font; owned
  HICON FCaptionIcon = nullptr;                 // the small copy of the window's icon; owned
  HICON FCaptionIconSource = nullptr;           // the icon it was copied from; not owned
  HWND FTrayWnd = nullptr;                      // receives the tray icon's clicks; owned, made
                                                // with the first icon
  bool FTrayShown = false;                      // the tray icon was added
  std::unique_ptr<TSeCustomItem, TSeItemDeleter> FSystemMenu;  // root of the built-in system menu
  bool FSystemMenuShowing = false;              // a system menu is open (no rebuild meanwhile)
  // The built-in system menu's loop running now: a component freed inside it hands the loop
  // its menu, which lives until the loop returns, and is touched no more after that.
  struct TSystemMenuLoop {
    TSeCustomForm* Skin;
    std::unique_ptr<TSeCustomItem, TSeItemDeleter> KeptMenu;  // the menu of a component freed meanwhile
    ~TSystemMenuLoop();
  };
  TSystemMenuLoop* FSystemMenuLoop = nullptr;
  TPoint FPopupPoint;                           // screen point of the next system menu; (0,0) none
  int FAppMinimizeKey = 0, FAppRestoreKey = 0;  // our handlers in the application's events
  bool FAppHooked = false;                      // the handlers were added
  bool FInAppHook = false;                      // an application handler runs (no re-entry)
  HWND FMDIClient = nullptr;                    // the subclassed MDI client of a parent form
  TCustomForm* FMDIParent = nullptr;            // parent showing our caption; not owned, forgotten
};

// The MDI parent of an MDI child form: its owner when that is a form, else the program's main
// form; nullptr for other forms.
TCustomForm* MDIParentOf(TCustomForm* child);
// The active TSeCustomForm among form's components; nullptr when none.
TSeCustomForm* ActiveFormSkinOf(TCustomForm* form);
class TSeCustomStatusBar;
// The first status bar among parent's children (at any depth) whose size grip shows.
TSeCustomStatusBar* FindSizeGrip(TWinControl* parent);

// The active TSeCustomForm of control's top-level form; nullptr when none.
TSeCustomForm* FindFormSkin(TControl* control);
