// The forms layer: TCustomForm/TForm (the program's top-level windows), TApplication (the
// hidden application window, the message loop, modal loops, exceptions, hints) and TScreen
// (cursors, the list of forms, the active form and control, screen metrics, fonts, IMEs).
//
// Start-up. `Application` and `Screen` are made while the program starts (a static object
// of Screen.cpp calls InitApplication() before main runs); their constructors make no
// window. The program's main then does, in this order:
//     Application->Initialize();             // makes the hidden application window
//     Application->SetTitle(L"...");
//     Application->CreateForm(MainForm);     // the first form created is the main form
//     Application->Run();                    // returns when the program is terminated
//     DoneApplication();                     // frees the forms, Application and Screen
// InitApplication() may be called again (it does nothing when both exist); DoneApplication()
// is not called at static destruction because the controls layer's own statics may be gone
// by then, so main calls it.
//
// The hidden application window has the window class L"TApplication" and Title as its text,
// so that a second instance can find the first with FindWindowW(L"TApplication", title). It
// owns every parentless form (so forms have no taskbar button of their own) and is never
// shown; the main form carries WS_EX_APPWINDOW so that the program has a taskbar button.
//
// Not done: docking of forms, help beyond HelpContext/HelpFile, the
// designer, monitors other than the primary one (poScreenCenter centres on the primary
// screen), the MDI client's room for aligned controls (it fills the frame's client area),
// merging of MDI children's menus.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>
#include "../classes/StringList.h"
#include "../controls/Controls.h"
#include "../controls/Scrolling.h"
#include "../graphics/Icon.h"

class TMenu;            // Menus.h
class TMainMenu;        // Menus.h
class TCustomForm;
class TForm;
class TDataModule;      // DataModule.h
class THintWindow;      // HintWindow.h
class TApplication;
class TScreen;
class TBasicAction;    // ActnList.h
class TOleForm;        // OleForm.h

// ---- Modal results ------------------------------------------------------------------------------
using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = IDOK;          // 1
inline constexpr TModalResult mrCancel = IDCANCEL;  // 2
inline constexpr TModalResult mrAbort = IDABORT;    // 3
inline constexpr TModalResult mrRetry = IDRETRY;    // 4
inline constexpr TModalResult mrIgnore = IDIGNORE;  // 5
inline constexpr TModalResult mrYes = IDYES;        // 6
inline constexpr TModalResult mrNo = IDNO;          // 7
inline constexpr TModalResult mrAll = mrNo + 1;
inline constexpr TModalResult mrNoToAll = mrAll + 1;
inline constexpr TModalResult mrYesToAll = mrNoToAll + 1;

// ---- Enumerations -----------------------------------------------------------------------------------
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;

enum TPosition {
  poDesigned,          // where Left and Top say
  poDefault,           // where the system puts new windows, at the system's size
  poDefaultPosOnly,    // where the system puts new windows, at the form's size
  poDefaultSizeOnly,   // at Left and Top, at the system's size
  poScreenCenter,      // centred on the screen
  poDesktopCenter,     // centred on the desktop (all screens)
  poMainFormCenter,    // centred on the main form
  poOwnerFormCenter    // centred on the form that owns it (the main form otherwise)
};
// The names layouts store for TPosition (poDesigned ...), shared by every property of that type
// (FormProperties.cpp; the type is in classes/Properties.h).
struct TEnumInfo;
extern const TEnumInfo PositionIdents;

enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

enum TFormStateItem {
  fsCreating,         // the constructor has not finished
  fsVisible,          // Visible was set while creating
  fsShowing,          // OnShow or OnHide is running
  fsModal,            // ShowModal is running
  fsCreatedMDIChild,  // the window is an MDI child of the main form's client
  fsActivated         // OnActivate ran at least once
};
using TFormState = TSet<TFormStateItem>;

// ---- Events -------------------------------------------------------------------------------------------
using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;
// A key that may be a shortcut (the key message, viewed with TWMKey); set handled to eat it.
using TShortCutEvent = std::function<void(TMessage& message, bool& handled)>;
using TExceptionEvent = std::function<void(TObject* sender, Exception& e)>;
using TIdleEvent = std::function<void(TObject* sender, bool& done)>;
using TMessageEvent = std::function<void(MSG& msg, bool& handled)>;
using TShowHintEvent = std::function<void(String& hintStr, bool& canShow, THintInfo& hintInfo)>;
// Sees the application window's messages first; true when it handled the message.
using TWindowHook = std::function<bool(TMessage& message)>;
// command: HELP_CONTEXT and the like; set callHelp false when the handler showed the help.
using THelpEvent = std::function<bool(WORD command, intptr_t data, bool& callHelp)>;

// Handlers called in the order they were added. Add gives a key that Remove takes back;
// handlers may add and remove handlers while being called (the call uses a copy).
template <class Event>
class TMulticastEvent {
 public:
  int Add(Event handler) {
    FHandlers.emplace_back(++FLastKey, std::move(handler));
    return FLastKey;
  }
  void Remove(int key) {
    std::erase_if(FHandlers, [key](const auto& entry) { return entry.first == key; });
  }
  bool Empty() const { return FHandlers.empty(); }
  template <class... Args>
  void operator()(Args&&... args) const {
    const auto handlers = FHandlers;
    for (const auto& entry : handlers)
      if (entry.second) entry.second(args...);
  }

 private:
  std::vector<std::pair<int, Event>> FHandlers;  // (key, handler) in the order added
  int FLastKey = 0;
};
using TMulticastNotifyEvent = TMulticastEvent<TNotifyEvent>;

// ---- TCustomForm --------------------------------------------------------------------------------------
class TCustomForm : public TScrollingWinControl {
  CLASSLIB_CLASS(TCustomForm, TScrollingWinControl)
  static const TPropertyTable* PublishedProperties();  // FormProperties.cpp
  // ---- Construction -----------------------------------------------------------------
  // An empty form: hidden, 320 x 240, bsSizeable. A derived form builds its controls (or
  // calls LoadLayout) in its own constructor. Listed by Screen. Construct forms with Create
  // or Application->CreateForm so that OnCreate runs.
  explicit TCustomForm(TComponent* owner);
  // Destroys the window first (no event of the form runs from then on), then leaves Screen
  // and the application. OnDestroy runs here unless the derived destructor ran it already:
  // a derived form whose OnDestroy uses its own members calls DoDestroy() in its destructor.
  ~TCustomForm() override;

  // Constructs a T, then runs AfterConstruction (OnCreate).
  template <class T, class... Args>
  static T* Create(Args&&... args) {
    T* form = new T(std::forward<Args>(args)...);
    form->AfterConstruction();
    return form;
  }
  // Ends construction: clears fsCreating and runs OnCreate (an exception there goes to
  // Application->HandleException). Runs once.
  void AfterConstruction();
  // Runs OnDestroy once; see the destructor.
  void DoDestroy();
  // Reads the stored layout of this form's class through the layout reader (which the
  // streaming layer installs); false when none is installed. Called by derived constructors.
  bool LoadLayout();

  // ---- Appearance --------------------------------------------------------------------------
  TFormBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle value);   // makes the window again
  TBorderIcons GetBorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons value);       // makes the window again
  TPosition GetPosition() const { return FPosition; }
  void SetPosition(TPosition value);
  TWindowState GetWindowState() const { return FWindowState; }
  void SetWindowState(TWindowState value);
  TFormStyle GetFormStyle() const { return FFormStyle; }
  // fsMDIChild needs the main form to be fsMDIForm (EInvalidOperation "No MDI forms are
  // currently active" otherwise). Makes the window again.
  void SetFormStyle(TFormStyle value);
  // The icon of the window (the application's when empty). Owned; SetIcon copies value.
  TIcon* GetIcon() const { return FIcon.get(); }
  void SetIcon(TIcon* value);
  // The main menu shown in the window; not owned (freed by its owner).
  TMainMenu* GetMenu() const { return FMenu; }
  void SetMenu(TMainMenu* value);
  // Draws on the form's client area; owned.
  TCanvas* GetCanvas() const { return FCanvas.get(); }
  // The resolution the form was designed at; a Scaled form is scaled from it to the
  // screen's when its layout is loaded.
  int GetPixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int value);  // values below 36 are ignored
  bool GetScaled() const { return FScaled; }
  void SetScaled(bool value) { FScaled = value; }
  // Scales the children's bounds and fonts and the client size by m / d; the form keeps its
  // position.
  void ScaleBy(int m, int d);

  // ---- State --------------------------------------------------------------------------------
  TFormState GetFormState() const { return FFormState; }
  // The form's window is the active window.
  bool GetActive() const { return FActive; }
  // The control that gets the focus when the form is activated.
  TWinControl* GetActiveControl() const { return FActiveControl; }
  // EInvalidOperation "Cannot focus a disabled or invisible window" when control is not on
  // this form or cannot take the focus.
  void SetActiveControl(TWinControl* control);
  bool GetKeyPreview() const override { return FKeyPreview; }
  void SetKeyPreview(bool value) { FKeyPreview = value; }
  TModalResult GetModalResult() const { return FModalResult; }
  // A nonzero value ends ShowModal (after OnCloseQuery and OnClose allow it). Set while the
  // modal loop waits for a message (from idle work, say), it wakes the loop.
  void SetModalResult(TModalResult value);

  // ---- OLE objects active in place ----------------------------------------------------------------
  // The form's in-place frame for embedded objects, made on first use; the form owns it.
  TOleForm* GetOleFormObject();
  // The control whose embedded object is active in place; not owned (a free notification
  // drops it). A new one sends CM_UIDEACTIVATE to the one before.
  TWinControl* GetActiveOleControl() const { return FActiveOleControl; }
  void SetActiveOleControl(TWinControl* control);

  // ---- Operations -------------------------------------------------------------------------------
  // Shows the form and brings it to the front.
  void Show();
  void Hide();
  // Shows the form modally: the program's other windows are disabled and a nested message
  // loop runs until ModalResult is nonzero (Close sets mrCancel; Terminate ends it with
  // mrCancel); then the form hides, the windows are enabled and the window that was active
  // becomes active again. Returns ModalResult. EInvalidOperation "Cannot make a visible
  // window modal" when the form is visible, disabled, modal already or an MDI child.
  TModalResult ShowModal();
  // A modal form: ModalResult := mrCancel. Otherwise, when CloseQuery allows it, OnClose
  // decides: caHide hides, caFree releases, caMinimize minimizes, caNone keeps the form.
  // Closing the main form terminates the application.
  void Close();
  // Asks OnCloseQuery (and, for an MDI frame, every MDI child) whether the form may close.
  virtual bool CloseQuery();
  // Frees the form once the messages now queued for it are handled.
  void Release();
  // Focuses the form: its active control, or the form itself. EInvalidOperation when it is
  // hidden or disabled.
  void SetFocus() override;

  // ---- MDI --------------------------------------------------------------------------------------------
  // The MDI client window of an fsMDIForm (nullptr otherwise).
  HWND GetClientHandle() const { return FClientHandle; }
  int GetMDIChildCount() const;
  TCustomForm* GetMDIChildren(int index) const;  // nullptr when out of range
  TCustomForm* GetActiveMDIChild() const;
  void Cascade();
  void Tile();
  void ArrangeIcons();
  void Next();
  void Previous();

  // ---- The root's part in focus (TWinControl) -------------------------------------------------------
  bool SetFocusedControl(TWinControl* control) override;
  void FocusControl(TWinControl* control) override;
  void DefocusControl(TWinControl* control, bool removing) override;
  bool IsTopLevelControl() const override { return true; }
  // OnShortCut, then the main menu's shortcuts, then the action lists the form owns.
  bool IsShortCut(TMessage& message) override;

  // ---- Events ---------------------------------------------------------------------------------------------
  const TNotifyEvent& GetOnCreate() const { return FOnCreate; }
  void SetOnCreate(TNotifyEvent handler) { FOnCreate = std::move(handler); }
  const TNotifyEvent& GetOnDestroy() const { return FOnDestroy; }
  void SetOnDestroy(TNotifyEvent handler) { FOnDestroy = std::move(handler); }
  const TNotifyEvent& GetOnShow() const { return FOnShow; }
  void SetOnShow(TNotifyEvent handler) { FOnShow = std::move(handler); }
  const TNotifyEvent& GetOnHide() const { return FOnHide; }
  void SetOnHide(TNotifyEvent handler) { FOnHide = std::move(handler); }
  const TNotifyEvent& GetOnActivate() const { return FOnActivate; }
  void SetOnActivate(TNotifyEvent handler) { FOnActivate = std::move(handler); }
  const TNotifyEvent& GetOnDeactivate() const { return FOnDeactivate; }
  void SetOnDeactivate(TNotifyEvent handler) { FOnDeactivate = std::move(handler); }
  const TNotifyEvent& GetOnPaint() const { return FOnPaint; }
  void SetOnPaint(TNotifyEvent handler) { FOnPaint = std::move(handler); }
  const TCloseEvent& GetOnClose() const { return FOnClose; }
  void SetOnClose(TCloseEvent handler) { FOnClose = std::move(handler); }
  const TCloseQueryEvent& GetOnCloseQuery() const { return FOnCloseQuery; }
  void SetOnCloseQuery(TCloseQueryEvent handler) { FOnCloseQuery = std::move(handler); }
  const TShortCutEvent& GetOnShortCut() const { return FOnShortCut; }
  void SetOnShortCut(TShortCutEvent handler) { FOnShortCut = std::move(handler); }

  void Dispatch(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;
  void Loaded() override;
  // Before the window exists: the client area the frame of BorderStyle and Menu leaves.
  TRect GetClientRect() override;
  // While a layout is read, kept and applied on Loaded, so that the border style and the
  // menu read after it are in the frame.
  void SetClientWidth(int value) override;
  void SetClientHeight(int value) override;

 protected:
  // ---- Overridable behaviour ----------------------------------------------------------------
  virtual void DoCreate();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);
  virtual void Activate();
  virtual void Deactivate();
  // Draws on Canvas: OnPaint.
  virtual void Paint();

  // ---- TWinControl overrides ------------------------------------------------------------------
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void CreateWindowHandle(const TCreateParams& params) override;
  // The MDI client takes the part of the client area the aligned children leave.
  void AlignControls(TControl* control, TRect& rect) override;
  void DestroyWnd() override;
  void DestroyWindowHandle() override;
  void PaintWindow(HDC dc) override;
  void WMPaint(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;
  void CMShowingChanged(TMessage& message) override;
  void WMSize(TMessage& message) override;
  void WMDestroy(TMessage& message) override;
  void WMCommand(TMessage& message) override;

  // ---- Message handlers ---------------------------------------------------------------------------
  virtual void WMActivate(TMessage& message);
  virtual void WMClose(TMessage& message);
  virtual void WMQueryEndSession(TMessage& message);
  virtual void WMSysCommand(TMessage& message);
  virtual void WMInitMenuPopup(TMessage& message);
  virtual void WMMenuSelect(TMessage& message);
  virtual void WMGetMinMaxInfo(TMessage& message);
  virtual void WMMDIActivate(TMessage& message);
  virtual void CMActivate(TMessage& message);
  virtual void CMDeactivate(TMessage& message);
  virtual void CMIconChanged(TMessage& message);
  // CM_ACTIONEXECUTE / CM_ACTIONUPDATE: the active control may handle the action.
  virtual void CMActionDispatch(TMessage& message);

 private:
  friend class TApplication;
  friend class TScreen;
  // The window that takes the focus on activation gets it (the active control or the form).
  void SetWindowFocus();
  // Activation changed (WM_ACTIVATE): picks a first control and focuses it.
  void SetActive(bool value);
  // ShowModal's loop saw ModalResult set: OnCloseQuery and OnClose may keep it open.
  void CloseModal();
  // Moves the form as Position says (called when it is first shown).
  void ApplyPosition();
  // The icon the window should show: the form's, else the application's.
  HICON WindowIcon();
  void IconChanged(TObject* sender);
  // The MDI client window: made in CreateWnd of an fsMDIForm, destroyed with the window.
  void CreateMDIClient();
  // The form's own scaling (ScaleBy without hiding): children, client size, font.
  void ChangeScale(int m, int d);
  bool IsMainForm() const;

  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
  TPosition FPosition = poDesigned;
  TWindowState FWindowState = wsNormal;
  TFormStyle FFormStyle = fsNormal;
  TFormState FFormState{fsCreating};
  std::unique_ptr<TIcon> FIcon;             // the window's icon; empty: the application's
  std::unique_ptr<TControlCanvas> FCanvas;  // draws on the client area
  HWND FCanvasWindow = nullptr;             // the window FCanvas got its DC from
  TMainMenu* FMenu = nullptr;               // not owned; free notification drops it
  TWinControl* FActiveControl = nullptr;    // focused when the form activates; not owned
  bool FActive = false;                     // the window is active
  bool FKeyPreview = false;
  TModalResult FModalResult = mrNone;
  int FPixelsPerInch = 96;
  int FReadClientWidth = 0;                 // ClientWidth read from the layout; 0: none
  int FReadClientHeight = 0;                // ClientHeight read from the layout; 0: none
  bool FScaled = true;
  bool FCreated = false;                    // AfterConstruction ran
  bool FDestroyed = false;                  // DoDestroy ran
  HWND FClientHandle = nullptr;             // the MDI client window of an fsMDIForm
  TOleForm* FOleForm = nullptr;             // the in-place frame; counted, let go in the destructor
  TWinControl* FActiveOleControl = nullptr; // holds the in-place active object; not owned
  TNotifyEvent FOnCreate;
  TNotifyEvent FOnDestroy;
  TNotifyEvent FOnShow;
  TNotifyEvent FOnHide;
  TNotifyEvent FOnActivate;
  TNotifyEvent FOnDeactivate;
  TNotifyEvent FOnPaint;
  TCloseEvent FOnClose;
  TCloseQueryEvent FOnCloseQuery;
  TShortCutEvent FOnShortCut;
};

class TForm : public TCustomForm {
  CLASSLIB_CLASS(TForm, TCustomForm)
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// The form a control is on: the outermost parent when it is a form, else nullptr.
TCustomForm* GetParentForm(TControl* control);

// Reads the stored layout of root's class into root; false when there is none. Installed by
// the layout-streaming layer; empty until then.
using TLayoutReader = std::function<bool(TComponent* root)>;
void SetLayoutReader(TLayoutReader reader);

// ---- TApplication -------------------------------------------------------------------------------------
class TApplication : public TComponent {
  CLASSLIB_CLASS(TApplication, TComponent)
  // Makes no window (see Initialize). Installs the application's services for the
  // controls layer (exception handling, hints, cursors).
  explicit TApplication(TComponent* owner);
  // Frees the forms and data modules it owns, then the window.
  ~TApplication() override;

  // ---- Start and run ----------------------------------------------------------------------
  // Makes the hidden application window.
  void Initialize();
  // Constructs a T owned by the application and stores it in reference before OnCreate
  // runs; the first form made this way becomes MainForm. On an exception reference is
  // cleared and the exception passes on.
  template <class T>
  void CreateForm(T*& reference) {
    reference = nullptr;
    T* instance = new T(this);
    reference = instance;
    try {
      if constexpr (requires { instance->AfterConstruction(); }) instance->AfterConstruction();
    } catch (...) {
      reference = nullptr;
      delete instance;
      throw;
    }
    if constexpr (std::is_base_of_v<TCustomForm, T>) FormCreated(instance);
  }
  // Shows the main form and runs the message loop until Terminated. Returns at once when
  // there is no main form.
  void Run();
  // Handles the messages waiting, then returns. Messages that keep coming (a handler that
  // posts again, say) are handled for at most half a second.
  void ProcessMessages();
  // Handles one message; when there is none, does the idle work and waits for one.
  void HandleMessage();
  // Posts the quit message: the loops end when they reach it. Code after it keeps running.
  void Terminate();
  bool GetTerminated() const { return FTerminated; }
  // The program's main form (the first form CreateForm made); not owned here beyond being a
  // component of the application.
  TCustomForm* GetMainForm() const { return FMainForm; }
  // Run shows the main form (true by default).
  bool GetShowMainForm() const { return FShowMainForm; }
  void SetShowMainForm(bool value) { FShowMainForm = value; }

  // ---- Window and identity ------------------------------------------------------------------
  // The hidden application window (made when needed).
  HWND GetHandle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  // The title; the executable's name without its extension by default. Also the text of
  // the application window.
  String GetTitle() const { return FTitle; }
  void SetTitle(const String& value);
  // The program's icon (forms without their own icon show it). Owned; SetIcon copies value.
  TIcon* GetIcon() const { return FIcon.get(); }
  void SetIcon(TIcon* value);
  // The full path of the executable.
  String GetExeName() const;
  // A program window is the active window.
  bool GetActive() const { return FActive; }
  // A non-control dialog window whose keys go through IsDialogMessage (nullptr: none).
  HWND GetDialogHandle() const { return FDialogHandle; }
  void SetDialogHandle(HWND value) { FDialogHandle = value; }
  String GetHelpFile() const { return FHelpFile; }
  void SetHelpFile(const String& value) { FHelpFile = value; }

  // ---- Exceptions ------------------------------------------------------------------------------
  // Reports the exception being handled (call it inside a catch block): EAbort is silent;
  // others go to OnException, or to ShowException when there is none. Exceptions that are
  // not Exception are reported with their text ("Unknown exception" when there is none).
  // Never throws. Outside a catch block it does nothing.
  void HandleException(TObject* sender);
  // Shows the message in a box titled Title (a period is added when it ends without one).
  void ShowException(Exception& e);

  // ---- Windows -------------------------------------------------------------------------------------
  // Minimizes the main form and calls OnMinimize; Restore undoes it and calls OnRestore.
  void Minimize();
  void Restore();
  // Brings the active (or main) form to the front.
  void BringToFront();
  // Shows a message box over the active window, the program's other windows disabled
  // meanwhile. Returns the box's result (IDOK...).
  int MessageBox(const String& text, const String& caption, UINT flags = MB_OK);
  // Shows the help topic: OnHelp first; then HelpFile through WinHelp. false when nothing
  // showed it.
  bool HelpContext(int context);
  // Adds a hook that sees the application window's messages first; returns its key.
  int HookMainWindow(TWindowHook hook);
  void UnhookMainWindow(int key);
  // ShowModal counts its loops here (ModalLevel > 0 while a modal form runs).
  void ModalStarted() { ++FModalLevel; }
  void ModalFinished() { --FModalLevel; }
  int GetModalLevel() const { return FModalLevel; }

  // ---- Hints ---------------------------------------------------------------------------------------
  // The long hint of the control under the mouse (or of the menu item selected). Setting
  // it calls OnHint when it changes.
  String GetHint() const { return FHint; }
  void SetHint(const String& value);
  bool GetShowHint() const { return FShowHint; }
  void SetShowHint(bool value);          // false hides and frees the hint window
  TColor GetHintColor() const { return FHintColor; }
  void SetHintColor(TColor value) { FHintColor = value; }
  int GetHintPause() const { return FHintPause; }          // ms before a hint shows
  void SetHintPause(int value) { FHintPause = value; }
  int GetHintShortPause() const { return FHintShortPause; }  // ms while a hint is active
  void SetHintShortPause(int value) { FHintShortPause = value; }
  int GetHintHidePause() const { return FHintHidePause; }  // ms a hint stays
  void SetHintHidePause(int value) { FHintHidePause = value; }
  // The hint window, while one exists; owned.
  THintWindow* GetHintWindow() const { return FHintWindow; }
  // Hides the hint and forgets the control it was for.
  void CancelHint();
  // Hides the hint window (the hint control stays until the mouse leaves it).
  void HideHint();
  // Shows the hint of the hint control at the screen point cursorPos now.
  void ActivateHint(const TPoint& cursorPos);
  // A mouse message reached control (the controls layer calls it for each one).
  void HintMouseMessage(TControl* control, TMessage& message);

  // ---- Events ---------------------------------------------------------------------------------------
  const TExceptionEvent& GetOnException() const { return FOnException; }
  void SetOnException(TExceptionEvent handler) { FOnException = std::move(handler); }
  const TIdleEvent& GetOnIdle() const { return FOnIdle; }
  void SetOnIdle(TIdleEvent handler) { FOnIdle = std::move(handler); }
  const TMessageEvent& GetOnMessage() const { return FOnMessage; }
  void SetOnMessage(TMessageEvent handler) { FOnMessage = std::move(handler); }
  const TNotifyEvent& GetOnHint() const { return FOnHint; }
  void SetOnHint(TNotifyEvent handler) { FOnHint = std::move(handler); }
  const TShowHintEvent& GetOnShowHint() const { return FOnShowHint; }
  void SetOnShowHint(TShowHintEvent handler) { FOnShowHint = std::move(handler); }
  const TNotifyEvent& GetOnActivate() const { return FOnActivate; }
  void SetOnActivate(TNotifyEvent handler) { FOnActivate = std::move(handler); }
  const TNotifyEvent& GetOnDeactivate() const { return FOnDeactivate; }
  void SetOnDeactivate(TNotifyEvent handler) { FOnDeactivate = std::move(handler); }
  const THelpEvent& GetOnHelp() const { return FOnHelp; }
  void SetOnHelp(THelpEvent handler) { FOnHelp = std::move(handler); }
  // Several handlers may listen to minimizing and restoring.
  TMulticastNotifyEvent& GetOnMinimize() { return FOnMinimize; }
  TMulticastNotifyEvent& GetOnRestore() { return FOnRestore; }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TCustomForm;
  friend LRESULT CALLBACK ApplicationWindowProc(HWND, UINT, WPARAM, LPARAM);
  enum THintTimerMode { htmNone, htmShow, htmHide };

  void CreateHandle();
  // The application window's messages, after the hooks.
  void WndProc(TMessage& message);
  // The first form CreateForm makes becomes the main form.
  void FormCreated(TCustomForm* form);
  // Takes one message from the queue and handles it; false when there was none.
  bool ProcessMessage(MSG& msg);
  // Idle work: the hint follows the mouse, actions update, queued thread calls run; then
  // waits for a message unless OnIdle asked for more idle calls.
  void Idle(const MSG& msg);
  // Key preprocessing: CN_KEYDOWN and the like to the focused control (and through it to
  // its form's dialog keys and shortcuts); true when the key was used.
  bool IsKeyMsg(MSG& msg);
  bool IsDlgMsg(MSG& msg);
  bool IsMDIMsg(MSG& msg);
  bool IsHintMsg(MSG& msg);
  // Shows the hint window for HintInfo (made when needed).
  void ShowHintWindow(THintInfo& hintInfo);
  // Follows another control (free notifications keep the pointer valid).
  void SetHintControl(TControl* control);
  void StartHintTimer(int milliseconds, THintTimerMode mode);
  void StopHintTimer();
  void HintTimerExpired();
  // An action nobody else handled: the active form, then the main form may (msg is
  // CM_ACTIONEXECUTE or CM_ACTIONUPDATE).
  bool DispatchAction(UINT msg, TBasicAction* action);

  HWND FHandle = nullptr;                  // the hidden application window; destroyed by us
  String FTitle;
  std::unique_ptr<TIcon> FIcon;
  TCustomForm* FMainForm = nullptr;        // owned as a component of the application
  bool FShowMainForm = true;
  bool FTerminated = false;                // the quit message was seen (or posted)
  bool FRunning = false;                   // Run is looping
  bool FActive = false;                    // WM_ACTIVATEAPP said so
  HWND FDialogHandle = nullptr;            // not owned
  String FHelpFile;
  int FModalLevel = 0;
  std::vector<std::pair<int, TWindowHook>> FWindowHooks;  // (key, hook), first added first
  int FLastHookKey = 0;
  // Hints.
  String FHint;
  bool FShowHint = true;
  TColor FHintColor = clInfoBk;
  int FHintPause = 500;
  int FHintShortPause = 0;
  int FHintHidePause = 2500;
  THintWindow* FHintWindow = nullptr;      // owned as a component of the application
  TControl* FHintControl = nullptr;        // the control whose hint is shown or awaited;
                                           // a free notification drops it
  bool FHintActive = false;                // a hint was shown since the mouse came
  TRect FHintCursorRect;                   // screen rectangle the shown hint belongs to
  THintTimerMode FHintTimerMode = htmNone;
  // Events.
  TExceptionEvent FOnException;
  TIdleEvent FOnIdle;
  TMessageEvent FOnMessage;
  TNotifyEvent FOnHint;
  TShowHintEvent FOnShowHint;
  TNotifyEvent FOnActivate;
  TNotifyEvent FOnDeactivate;
  THelpEvent FOnHelp;
  TMulticastNotifyEvent FOnMinimize;
  TMulticastNotifyEvent FOnRestore;
};

// ---- TScreen -----------------------------------------------------------------------------------------
class TScreen : public TComponent {
  CLASSLIB_CLASS(TScreen, TComponent)
  explicit TScreen(TComponent* owner);
  // Destroys the custom cursors (the forms are the application's).
  ~TScreen() override;

  // ---- Cursors ------------------------------------------------------------------------------------
  // The cursor shown over every window of the program; crDefault lets each control show
  // its own.
  TCursor GetCursor() const { return FCursor; }
  void SetCursor(TCursor value);
  // The handle of a cursor id: the system's cursor for the standard (negative) ids, the
  // one set with SetCursors for others; the arrow when none is known.
  HCURSOR GetCursors(TCursor index) const;
  // Sets cursor `index` (any id but crDefault; a standard id is replaced); the screen owns
  // and destroys the handle. nullptr removes it.
  void SetCursors(TCursor index, HCURSOR handle);

  // ---- Forms -----------------------------------------------------------------------------------------
  // The forms (TForm) and all custom forms, the active one first once focus has moved.
  // (Forms are told apart from custom forms when asked: while a form's constructor runs,
  // its class is not known yet.)
  int GetFormCount() const;
  TForm* GetForms(int index) const;                   // nullptr when out of range
  int GetCustomFormCount() const { return static_cast<int>(FCustomForms.size()); }
  TCustomForm* GetCustomForms(int index) const;       // nullptr when out of range
  int GetDataModuleCount() const { return static_cast<int>(FDataModules.size()); }
  TDataModule* GetDataModules(int index) const;       // nullptr when out of range
  TForm* GetActiveForm() const { return FActiveForm; }
  TCustomForm* GetActiveCustomForm() const { return FActiveCustomForm; }
  TWinControl* GetActiveControl() const { return FActiveControl; }

  // ---- Metrics ---------------------------------------------------------------------------------------
  int GetWidth() const;
  int GetHeight() const;
  int GetPixelsPerInch() const { return FPixelsPerInch; }
  TRect GetWorkAreaRect() const;
  int GetDesktopLeft() const;
  int GetDesktopTop() const;
  int GetDesktopWidth() const;
  int GetDesktopHeight() const;
  TFont* GetHintFont() const { return FHintFont.get(); }  // the system's tooltip font; owned

  // ---- Fonts and input methods --------------------------------------------------------------------------
  // The names of the installed font families, sorted, read once. Owned.
  TStrings* GetFonts();
  // The names of the installed input method editors. Owned.
  TStrings* GetImes();
  // The name of the default input method ("" when it is not an IME).
  String GetDefaultIme();
  HKL GetDefaultKbLayout() const { return FDefaultKbLayout; }

  // ---- Events -------------------------------------------------------------------------------------------
  const TNotifyEvent& GetOnActiveControlChange() const { return FOnActiveControlChange; }
  void SetOnActiveControlChange(TNotifyEvent handler) {
    FOnActiveControlChange = std::move(handler);
  }
  const TNotifyEvent& GetOnActiveFormChange() const { return FOnActiveFormChange; }
  void SetOnActiveFormChange(TNotifyEvent handler) { FOnActiveFormChange = std::move(handler); }

 private:
  friend class TCustomForm;
  friend class TDataModule;
  friend class TApplication;
  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form);
  void AddDataModule(TDataModule* dataModule);
  void RemoveDataModule(TDataModule* dataModule);
  // form took the focus with control: both go to the front of the lists.
  void FocusChanged(TCustomForm* form, TWinControl* control);
  // Calls OnActiveFormChange / OnActiveControlChange when they changed since last time.
  void UpdateLastActive();
  void ReadImes();

  TCursor FCursor = crDefault;
  std::map<TCursor, HCURSOR> FCursors;         // custom cursors; destroyed by us
  int FCursorCount = 0;                        // SetCursor calls so far (ShowModal compares)
  std::vector<TCustomForm*> FCustomForms;      // not owned
  std::vector<TDataModule*> FDataModules;      // not owned
  std::vector<TCustomForm*> FSaveFocusedList;  // focused forms saved by nested ShowModal
  TForm* FActiveForm = nullptr;
  TCustomForm* FActiveCustomForm = nullptr;
  TCustomForm* FFocusedForm = nullptr;         // the form CM_ACTIVATE went to last
  TWinControl* FActiveControl = nullptr;
  TCustomForm* FLastActiveCustomForm = nullptr;
  TWinControl* FLastActiveControl = nullptr;
  int FPixelsPerInch = 96;
  std::unique_ptr<TFont> FHintFont;
  std::unique_ptr<TStringList> FFonts;         // read on first use
  std::unique_ptr<TStringList> FImes;          // read on first use
  String FDefaultIme;
  HKL FDefaultKbLayout = nullptr;
  TNotifyEvent FOnActiveControlChange;
  TNotifyEvent FOnActiveFormChange;
};

// ---- The globals ---------------------------------------------------------------------------------------
extern TApplication* Application;
extern TScreen* Screen;
// Makes Application and Screen when they do not exist (see the top of this header).
void InitApplication();
// Frees the forms and data modules, Application and Screen; both are nullptr afterwards.
void DoneApplication();
