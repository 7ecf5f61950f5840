// The item tree of the owner-drawn menus and the item view that lays out, paints, hit-tests
// and tracks one level of it. TSeCustomItem is a menu item with an ordered list of child
// items; it measures and draws itself in a bar or a popup list and shows its children as a
// popup window. TSeItemView shows the children of one item as a horizontal bar or a vertical
// list (optionally scrolled) and runs the modal keyboard and mouse loop of an open menu.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "classlib/controls/ActnList.h"
#include "classlib/controls/Controls.h"
#include "classlib/controls/ShortCuts.h"
#include "classlib/forms/Timer.h"
#include "classlib/graphics/ImageList.h"
#include "controls/skin/controls/SkinOptions.h"

CLASSLIB_EXCEPTION(EVxItemError, Exception)

class TSeCustomItem;
class TSeItemView;
class TSeCustomItemActionLink;

// Makes the window that shows item's children beside parentView (owned by owner).
class TSePopupWindow;
using TSePopupWindowClass = TSePopupWindow* (*)(TComponent* owner, TSeItemView* parentView,
                                                TSeCustomItem* item);

// Buttons of a maximized MDI child shown as bar items.
enum TSeSystemKind : uint8_t { sysNone, sysClose, sysRestore, sysMinimize, sysChildIcon };

class TSeCustomItem : public TComponent {
  CLASSLIB_CLASS(TSeCustomItem, TComponent)
  static const TPropertyTable* PublishedProperties();
  explicit TSeCustomItem(TComponent* owner);
  // Frees the children (last first), leaves the parent and drops the action link.
  ~TSeCustomItem() override;

  // ---- Stored layouts: items are stored inside their parent item or container -------------
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* value) override;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void Loaded() override;

  // ---- Appearance and state ------------------------------------------------------------------
  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& value);
  bool IsSeparator() const { return FCaption == L"-"; }
  bool GetChecked() const { return FChecked; }
  void SetChecked(bool value);
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool value);
  int GetHelpContext() const { return FHelpContext; }
  void SetHelpContext(int value) { FHelpContext = value; }
  const String& GetHint() const { return FHint; }
  void SetHint(const String& value) { FHint = value; }
  int GetImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value) { FImageIndex = value; }
  // Own images; nullptr uses the nearest ancestor's. Not owned (dropped when freed).
  TCustomImageList* GetImages() const { return FImages; }
  void SetImages(TCustomImageList* value);
  // The images that apply: own, else the nearest ancestor's.
  TCustomImageList* EffectiveImages() const;
  TShortCut GetShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut value) { FShortCut = value; }
  TBiDiMode GetBiDiMode() const { return FBiDiMode; }
  // Here and on the direct children (the items of the level this item opens), not deeper.
  void SetBiDiMode(TBiDiMode value);
  bool GetForegroundOnPopup() const { return FForegroundOnPopup; }
  // Here and on every item below.
  void SetForegroundOnPopup(bool value);
  bool GetScrolled() const { return FScrolled; }
  void SetScrolled(bool value) { FScrolled = value; }
  int GetScrollCount() const { return FScrollCount; }
  void SetScrollCount(int value) { FScrollCount = value < 0 ? 0 : value; }
  // First child shown when scrolled; kept within the children.
  int GetTopIndex() const { return FTopIndex; }
  void SetTopIndex(int value);
  bool GetExcluded() const { return FExcluded; }
  // Here and on every item below.
  void SetExcluded(bool value);
  TSeSystemKind GetSystemKind() const { return FSystemKind; }
  void SetSystemKind(TSeSystemKind value) { FSystemKind = value; }
  const TRect& GetBoundsRect() const { return FBoundsRect; }
  void SetBoundsRect(const TRect& value) { FBoundsRect = value; }

  // The decoration component of the MDI child whose icon a child-icon item shows; not owned
  // (dropped when it goes).
  TComponent* GetMdiForm() const { return FMdiForm; }
  void SetMdiForm(TComponent* value);
  // Where the decoration component is looked up while a popup shows; not owned. The writer
  // sets it here and on every item below.
  TComponent* GetHostComponent() const { return FHostComponent; }
  void SetHostComponent(TComponent* value);
  // Container component of a root item (a menu bar, a popup menu); not owned.
  TComponent* GetContainer() const { return FParentComponent; }
  void SetContainer(TComponent* value) { FParentComponent = value; }
  // Windowed control whose caption stays active while a popup of the tree is open.
  TWinControl* GetOwnerControl() const { return FOwnerControl; }
  // Popup options of the owning menu; not owned.
  TSePopupMenuOptions* GetPopupOptions() const { return FPopupOptions; }

  // Flags the menus set on a whole tree.
  bool GetMenuMode() const { return FMenuMode; }
  bool GetAnimateNext() const { return FAnimateNext; }
  void SetAnimateNext(bool value) { FAnimateNext = value; }
  bool GetInControlBar() const { return FInControlBar; }
  // Sets the value here and on every item below.
  void SetTreeMenuMode(bool value);
  void SetTreeAnimateNext(bool value);
  void SetTreeInControlBar(bool value);
  void SetTreeOwnerControl(TWinControl* value);
  void SetTreePopupOptions(TSePopupMenuOptions* value);
  void SetTreeMdiForm(TComponent* value);

  // ---- Action -----------------------------------------------------------------------------------
  TBasicAction* GetAction() const;
  void SetAction(TBasicAction* value);
  TSeCustomItemActionLink* GetActionLink() const { return FActionLink.get(); }
  // Asks the action link to update the action.
  virtual void InitiateAction();

  // ---- Tree ----------------------------------------------------------------------------------------
  int GetCount() const { return static_cast<int>(FItems.size()); }
  // EListError "List index out of bounds (%d)" for a bad index.
  TSeCustomItem* GetItem(int index) const;
  TSeCustomItem* GetParent() const { return FParent; }
  // The item at the top of the tree.
  TSeCustomItem* GetRoot();
  int IndexOf(const TSeCustomItem* item) const;
  // Append or insert item. EVxItemError "Toolbar item already inserted" when item already
  // has a parent or would come into its own subtree.
  void Add(TSeCustomItem* item);
  void Insert(int index, TSeCustomItem* item);
  // Takes the child out without freeing it.
  void Delete(int index);
  void Remove(TSeCustomItem* item);
  // The first child whose caption holds "&" followed by key (without regard to case).
  TSeCustomItem* FindByAccelerator(wchar_t key) const;
  // Whether the key message is the shortcut of an item of the tree; when so, the item's
  // ancestors are clicked from the root down and then the item.
  bool IsShortCut(const TMessage& keyMessage);
  // Whether some visible child exists.
  bool HasVisibleChild() const;
  // Visible and not a separator: the keyboard may select it.
  bool IsSelectable() const { return FVisible && !IsSeparator(); }

  // ---- Operations ------------------------------------------------------------------------------------
  // Chooses the item (deferred through the click window when it exists).
  virtual void Click();
  // Runs the click now: OnClick or the action, as the link says.
  void DoClick();
  // Fires OnChange here and the root's OnChange (not while loading or being destroyed).
  virtual void Changed();
  // Shows the children as a popup window beside parentView at (x, y) or next to itemRect
  // (screen coordinates); returns when the popup closes.
  // false when nothing was shown.
  bool Popup(TSeItemView* parentView, int x, int y, const TRect& itemRect);
  virtual TSePopupWindowClass PopupWindowClass() const;

  // ---- Measuring and drawing -----------------------------------------------------------------------
  virtual void MeasureItem(TCanvas* canvas, TSeItemView* view, int& height, int& width);
  virtual void DrawItem(TCanvas* canvas, TSeItemView* view, const TRect& r, bool selected,
                        bool hot);
  virtual void DrawScrollButton(TCanvas* canvas, TSeItemView* view, bool pressed,
                                int direction, const TRect& r);
  // The width of the image (and check) column in a popup list.
  int ImageColumnWidth() const;
  // Text flags with the right-to-left adjustments.
  UINT TextFlags(UINT flags) const;

  // A number naming this item while it lives (a weak reference for posted messages).
  uint32_t GetSerial() const { return FSerial; }
  // The living item of that serial number; nullptr once it is freed.
  static TSeCustomItem* FromSerial(uint32_t serial);

  // ---- Events -----------------------------------------------------------------------------------------
  TNotifyEvent OnClick;
  TNotifyEvent OnBeforeDropDown;
  TNotifyEvent OnChange;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  // Copies the action's values; with checkDefaults only into values still at their defaults.
  virtual void ActionChange(TBasicAction* sender, bool checkDefaults);

 private:
  friend class TSeCustomItemActionLink;
  bool IsAncestorOf(const TSeCustomItem* item) const;
  // Applies fn to this item and to every item below it.
  template <class F>
  void ForTree(F fn);
  void DrawBarItem(TCanvas* canvas, const TRect& r, bool selected, bool hot);
  void DrawListItem(TCanvas* canvas, const TRect& r, bool selected);
  void DrawChildIcon(TCanvas* canvas, TRect r, bool selected, bool hot);
  // Draws text in colour, or disabled in the shadow colour, etched (a highlight copy offset by
  // (1, 1) underneath) when asked.
  void DrawCaptionText(TCanvas* canvas, const String& text, const TRect& r, UINT flags,
                       bool etched, TColor color);
  // Is the linked property stored (no link, or the link does not carry it)?
  bool IsStoredUnlinked(bool (TSeCustomItemActionLink::*linked)()) const;

  String FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  int FHelpContext = 0;
  String FHint;
  int FImageIndex = -1;
  TCustomImageList* FImages = nullptr;   // not owned
  TShortCut FShortCut = scNone;
  bool FVisible = true;
  std::unique_ptr<TSeCustomItemActionLink> FActionLink;
  TSeCustomItem* FParent = nullptr;      // not owned
  TComponent* FParentComponent = nullptr;  // container of a root item; not owned
  std::vector<TSeCustomItem*> FItems;    // owned
  TSeSystemKind FSystemKind = sysNone;
  TComponent* FMdiForm = nullptr;        // not owned
  TComponent* FHostComponent = nullptr;  // not owned
  TWinControl* FOwnerControl = nullptr;  // not owned
  TSePopupMenuOptions* FPopupOptions = nullptr;  // not owned
  TBiDiMode FBiDiMode = bdLeftToRight;
  bool FForegroundOnPopup = false;
  bool FScrolled = false;
  int FTopIndex = 0;
  int FScrollCount = 0;
  bool FExcluded = false;
  bool FMenuMode = false;
  bool FAnimateNext = false;
  bool FInControlBar = false;
  TRect FBoundsRect;
  uint32_t FSerial = 0;
};

// Passes a TCustomAction's values on to an item.
class TSeCustomItemActionLink : public TActionLink {
  CLASSLIB_CLASS(TSeCustomItemActionLink, TActionLink)
  explicit TSeCustomItemActionLink(TSeCustomItem* client)
      : TActionLink(client), FClient(client) {}

  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsImageIndexLinked() override;
  bool IsShortCutLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;

  void SetCaption(const String& value) override;
  void SetChecked(bool value) override;
  void SetEnabled(bool value) override;
  void SetHelpContext(int value) override;
  void SetHint(const String& value) override;
  void SetImageIndex(int value) override;
  void SetShortCut(TShortCut value) override;
  void SetVisible(bool value) override;
  // The action's change notice: the item announces a change, so that its views show what
  // the item's own setters store without announcing (the image, the shortcut).
  void Change() override;

 private:
  TSeCustomItem* FClient;  // the item that owns this link
};

// ---- TSeItemView ------------------------------------------------------------------------------------

// Posted to a view's host: open the selected item (after a mouse move chose it).
inline constexpr UINT SE_OPENSELECTED = 1135;

class TSeItemView : public TComponent {
  CLASSLIB_CLASS(TSeItemView, TComponent)
  TSeItemView(TComponent* owner, bool horizontal, bool menuBarLook);
  // Stops the scroll timer.
  ~TSeItemView() override;

  TSeCustomItem* GetItem() const { return FItem; }
  void SetItem(TSeCustomItem* value) { FItem = value; }
  bool GetMenuBarLook() const { return FMenuBarLook; }
  bool GetHorizontal() const { return FHorizontal; }
  TControl* GetBarControl() const { return FBarControl; }
  void SetBarControl(TControl* value) { FBarControl = value; }
  TControl* GetHost() const { return FHost; }
  void SetHost(TControl* value) { FHost = value; }
  TSeCustomItem* GetSelected() const { return FSelected; }
  void SetSelected(TSeCustomItem* value) { FSelected = value; }
  bool GetDropped() const { return FDropped; }
  void SetDropped(bool value) { FDropped = value; }
  bool GetTracking() const { return FTracking; }
  TSeItemView* GetParentView() const { return FParentView; }
  void SetParentView(TSeItemView* value) { FParentView = value; }
  TSeItemView* GetChildView() const { return FChildView; }
  void SetChildView(TSeItemView* value) { FChildView = value; }
  TPoint GetOrigin() const { return FOrigin; }
  void SetOrigin(const TPoint& value) { FOrigin = value; }
  int GetViewWidth() const { return FViewWidth; }
  int GetViewHeight() const { return FViewHeight; }
  int GetScrollDirection() const { return FScrollDirection; }
  bool ScrollTimerRunning() const;
  // The canvas measuring uses (a memory one when nothing else is given).
  TCanvas* GetMeasureCanvas();

  // Rows shown: the index of the first one and how many.
  int FirstShownRow() const;
  int ShownRowCount() const;
  bool IsScrolledList() const;
  // The two scroll buttons (only in a scrolled vertical view).
  TRect ScrollButtonRect(int direction) const;

  void Layout();
  // Selects by the screen point (every mouse move).
  void HitTest(const TPoint& screenPoint);
  void SelectNext();
  void SelectPrevious();
  // Opens the selected item's children; false when nothing opened.
  bool OpenSelected();
  // The modal loop of an open menu.
  void Track();
  void StartScrollTimer();
  void StopScrollTimer();
  // Clears selection, Dropped and Tracking in this view and every view above it.
  void CloseAll();
  // A rectangle of the host in screen coordinates.
  TRect HostToScreen(const TRect& r) const;
  // The window of the host (its parent's for a windowless host).
  HWND HostHandle() const;
  // Posts a key to the host window (the loops read it).
  void PostKey(WORD vk) const;

  virtual void SizeChanged(const TSize& size) {}
  // True for a view whose window goes when its loop ends (a popup's): it is not repainted as
  // it closes.
  virtual bool ClosesWithLoop() const { return false; }
  virtual void RepaintView() {}
  virtual void RepaintItem(TSeCustomItem* item) {}
  // Repaints the child at index of the view's item (RepaintItem); nothing outside the children.
  virtual void RepaintItemAt(int index);
  virtual void RepaintScrollButton(int direction) {}
  virtual void InitiateAction();
  virtual void Paint(TCanvas* canvas);

 private:
  // Moves the selection one step (forward or back), skipping what cannot be selected.
  void Step(bool forward);
  // Follows the selection with TopIndex in a scrolled view; true when it moved.
  bool ScrollToSelected(int index);
  void SelectionChanged(TSeCustomItem* old);
  void ScrollTimerTick(TObject* sender);
  // One message of the loop; false to leave it.
  bool HandleLoopMessage(MSG& msg, TPoint& lastMouse);
  bool HandleKey(MSG& msg);
  bool HandleMouseMove(const TPoint& screen);
  // Whether the screen point lies in the selected item of this view.
  bool InSelected(const TPoint& screen) const;
  // Hands a click that closed the menus to the window under it.
  void ForwardClick(const MSG& msg) const;
  // Selects item (may be nullptr) and repaints what changed.
  void Select(TSeCustomItem* item);

  TSeCustomItem* FItem = nullptr;      // not owned
  bool FMenuBarLook;
  bool FHorizontal;
  TControl* FBarControl = nullptr;     // not owned
  TControl* FHost = nullptr;           // not owned
  TSeCustomItem* FSelected = nullptr;  // not owned
  bool FDropped = false;
  bool FTracking = false;
  TSeItemView* FParentView = nullptr;
  TSeItemView* FChildView = nullptr;
  std::unique_ptr<TBitmap> FMeasureBitmap;  // a canvas to measure on
  TPoint FOrigin;
  int FViewWidth = 0;
  int FViewHeight = 0;
  TTimer* FScrollTimer = nullptr;      // owned (component of this view)
  int FScrollDirection = 0;
};

// ---- Pieces of item drawing the skin-drawn items share ------------------------------------------
// The menu check mark about centre: an outline of 7 points, then an inner line of 5.
void DrawMenuCheckMark(TCanvas* canvas, TPoint centre, TColor outlineColor, TColor innerColor);
// A filled triangle 7 wide and 4 high centred in r: pointing up for direction 1, else down.
void DrawScrollTriangle(TCanvas* canvas, const TRect& r, int direction, TColor color);
// A copy at the small-icon size of the icon of the child form mdiForm decorates, else the
// application's, else the system's default one; the caller destroys it. nullptr on failure.
HICON CopyChildIcon(TComponent* mdiForm);
