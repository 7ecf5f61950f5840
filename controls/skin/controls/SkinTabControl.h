// TSeCustomTabControl: the owner-drawn tab control. A plain tab strip over a string list
// (Tabs), or with UsePages a page control whose tabs are the captions of its visible
// TSeCustomTabSheet pages, showing the active page in its body. Tabs sit on any side, in one
// scrolling row with two scroll buttons or in several justified rows (SkinTabLayout.h holds
// the geometry); drawn with the visual styles "Tab" and "ScrollBar" or with classic lines.
//
// Hover and scroll-button feedback repaint only the strip, through an off-screen bitmap, so
// the page and its children do not flicker. A paint draws only the tabs that reach into the
// area being painted. The themed tabs, pane and scroll buttons are kept as drawn (emptied when
// the theme or the system colours change), with their theme classes kept open.
//
// Not done: dragging and docking of pages, design-time hit-testing beyond tab switching.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "SkinControl.h"
#include "SkinTabLayout.h"
#include "classlib/classes/StringList.h"
#include "classlib/forms/Timer.h"
#include "classlib/graphics/ImageList.h"

class TSeCustomTabControl;

extern const TEnumInfo SeTabPositionIdents;

// ---- TSeTabStringList ------------------------------------------------------------------------
// The captions; every change tells the control (once at the end of an update).
class TSeTabStringList : public TStringList {
  CLASSLIB_CLASS(TSeTabStringList, TStringList)
  explicit TSeTabStringList(TSeCustomTabControl* control) : FControl(control) {}
  void Assign(TPersistent* source) override;

 protected:
  void Changed() override;
  void SetUpdateState(bool updating) override;

 private:
  TSeCustomTabControl* FControl;  // owns this list
};

// ---- TSeCustomTabSheet ---------------------------------------------------------------------------
class TSeCustomTabSheet : public TCustomControl {
  CLASSLIB_CLASS(TSeCustomTabSheet, TCustomControl)
  static const TPropertyTable* PublishedProperties();
  explicit TSeCustomTabSheet(TComponent* owner);
  // Leaves its tab control.
  ~TSeCustomTabSheet() override;

  TSeCustomTabControl* GetTabControl() const { return FTabControl; }
  // Moves the page to another control (nullptr: none).
  void SetTabControl(TSeCustomTabControl* value);
  // Index in the control's pages; -1 without a control.
  int GetPageIndex() const;
  void SetPageIndex(int value);
  bool GetPageVisible() const { return FPageVisible; }
  void SetPageVisible(bool value);
  int GetImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  bool GetDestroying() const { return FDestroying; }
  const TNotifyEvent& GetOnShow() const { return FOnShow; }
  void SetOnShow(TNotifyEvent handler) { FOnShow = std::move(handler); }
  const TNotifyEvent& GetOnHide() const { return FOnHide; }
  void SetOnHide(TNotifyEvent handler) { FOnHide = std::move(handler); }

  void ReadState(TReader& reader) override;
  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WMEraseBkgnd(TMessage& message) override;

 private:
  friend class TSeCustomTabControl;
  bool FDestroying = false;                  // the destructor runs
  TSeCustomTabControl* FTabControl = nullptr; // lists this page; not owned
  bool FPageVisible = true;                  // has a tab
  TNotifyEvent FOnHide;
  TNotifyEvent FOnShow;
  int FImageIndex = -1;
};

// ---- TSeCustomTabControl -------------------------------------------------------------------------
using TSeDrawTabEvent =
    std::function<void(TSeCustomTabControl* control, int tabIndex, const TRect& rect, bool active)>;

class TSeCustomTabControl : public TSeCustomControl {
  CLASSLIB_CLASS(TSeCustomTabControl, TSeCustomControl)
  static const TPropertyTable* PublishedProperties();
  explicit TSeCustomTabControl(TComponent* owner);
  // Detaches every page (no page is made or freed here).
  ~TSeCustomTabControl() override;

  // ---- Tabs and pages ---------------------------------------------------------------------
  TSeTabStringList* GetTabs() const { return FTabs.get(); }  // owned
  void SetTabs(TStrings* value);
  int GetPageCount() const { return static_cast<int>(FPages.size()); }
  TSeCustomTabSheet* GetPage(int index) const;                // nullptr when out of range
  TSeCustomTabSheet* GetActivePage() const;
  void SetActivePage(TSeCustomTabSheet* value);
  void InsertPage(TSeCustomTabSheet* page, int index = -1);   // -1 appends
  // Takes the page out; frees it unless it is being destroyed itself.
  void RemovePage(TSeCustomTabSheet* page);
  // Takes the page out and leaves it alive (it moves to another control).
  void RemovePageKeeping(TSeCustomTabSheet* page);
  // Tab of a page: the visible pages counted up to it, minus 1; -1 for a hidden page or an
  // index outside 0..count-1.
  int PageToTab(int pageIndex) const;
  int TabToPage(int tabIndex) const;
  // Re-synchronises tabs and pages after any change of either.
  virtual void TabsChanged();

  // ---- Attributes ---------------------------------------------------------------------------
  int GetTabIndex() const { return FTabIndex; }
  void SetTabIndex(int value);
  TTabPosition GetTabPosition() const { return FTabPosition; }
  void SetTabPosition(TTabPosition value);
  bool GetMultiLine() const { return FMultiLine; }
  // Exception "MultiLine must be True when TabPosition is tpLeft or tpRight" for False there.
  void SetMultiLine(bool value);
  bool GetScrollOpposite() const { return FScrollOpposite; }
  void SetScrollOpposite(bool value);
  bool GetRaggedRight() const { return FRaggedRight; }
  void SetRaggedRight(bool value);
  bool GetHotTrack() const { return FHotTrack; }
  void SetHotTrack(bool value);
  bool GetOwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool value);
  // 0 = computed; clamped to 0..MaxTabExtent.
  int GetTabWidth() const { return FTabWidth; }
  void SetTabWidth(int value);
  int GetTabHeight() const { return FTabHeight; }
  void SetTabHeight(int value);
  bool GetUsePages() const { return FUsePages; }
  void SetUsePages(bool value);
  TCustomImageList* GetImages() const { return FImages; }  // not owned
  void SetImages(TCustomImageList* value);
  int GetFirstVisible() const { return FFirstVisible; }
  int GetHotTab() const { return FHotTab; }
  int GetRowCount() const { return FRowCount; }
  bool GetLeftButtonPressed() const { return FLeftButtonPressed; }
  bool GetRightButtonPressed() const { return FRightButtonPressed; }
  bool ScrollTimerRunning() const { return FScrollTimer && FScrollTimer->GetEnabled(); }

  const TNotifyEvent& GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent handler) { FOnChange = std::move(handler); }
  const TTabChangingEvent& GetOnChanging() const { return FOnChanging; }
  void SetOnChanging(TTabChangingEvent handler) { FOnChanging = std::move(handler); }
  const TSeDrawTabEvent& GetOnDrawTab() const { return FOnDrawTab; }
  void SetOnDrawTab(TSeDrawTabEvent handler) { FOnDrawTab = std::move(handler); }

  // ---- Geometry ------------------------------------------------------------------------------
  static constexpr int MaxTabExtent = 2000;
  virtual int FrameMarginLeft() { return 2; }
  virtual int FrameMarginTop() { return 2; }
  virtual int FrameMarginRight() { return 2; }
  virtual int FrameMarginBottom() { return 2; }
  virtual int GetTabWidthOf(int index);
  virtual int GetTabHeightNow();
  virtual int GetScrollButtonSize();
  // The geometry as it stands (rows laid out).
  const TSeTabGeometry& Geometry();
  TRect GetTabRect(int index) { return Geometry().TabRect(index); }
  int TabAtPos(int x, int y) { return Geometry().TabAtPos(x, y); }
  virtual bool InLeftScrollButton(int x, int y);
  virtual bool InRightScrollButton(int x, int y);
  // Scrolls the single-line strip by delta tabs.
  void ScrollTabs(int delta);

  void Loaded() override;
  void SetBounds(int left, int top, int width, int height) override;
  void Dispatch(TMessage& message) override;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  // Paints background and body into dc (a page's background).
  void PaintBodyInto(HDC dc);

 protected:
  friend class TSeCustomTabSheet;
  friend class TSeTabStringList;
  void AdjustClientRect(TRect& rect) override;
  void Notification(TComponent* component, TOperation operation) override;
  void PaintFace() override;
  void DrawTabs(int pass);
  virtual void DrawTab(int index);
  virtual void DrawTabShape(int index, TRect rect, TTabPosition side);
  virtual void DrawTabImage(int index, TTabPosition side, TRect rect);
  virtual void DrawTabText(int index, TTabPosition side, TRect rect);
  virtual void DrawBody();
  virtual void DrawLeftScrollButton();
  virtual void DrawRightScrollButton();
  virtual void Change();
  virtual bool CanChange();
  virtual void DrawTabEvent(int index, const TRect& rect, bool active);
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void Resize() override;
  void CMDialogChar(TMessage& message) override;
  void CMEnabledChanged(TMessage& message) override;
  void CMVisibleChanged(TMessage& message) override;
  void CMMouseLeave(TMessage& message) override;
  void DoFocusIn() override;
  void DoFocusOut() override;

 private:
  // Repaints the strip only (or invalidates while painting is suspended).
  void RepaintStrip();
  void PaintStripContent();
  void StopScrolling();
  void ScrollTick();
  void ActivatePageOfTab();
  // Lays the rows out; a row count other than rowsBefore realigns and repaints (multi-line).
  void LayoutRows(int rowsBefore);
  // Drops the open theme classes and the kept parts: they belong to the theme and the system
  // colours they were drawn in.
  void ForgetKeptLook();
  // A themed scroll button from the kept parts; false to draw it classically.
  bool DrawThemedScrollButton(int state, const RECT& r);
  bool Destroying() const { return GetComponentState().Contains(csDestroying); }

  std::unique_ptr<TTimer> FScrollTimer;     // auto-repeat; made on first use
  std::unique_ptr<TSeTabStringList> FTabs;  // captions; owned
  std::vector<TSeCustomTabSheet*> FPages;   // all pages in page order; not owned
  TSeCustomTabSheet* FActivePage = nullptr; // shown page; not owned
  TSeTabGeometry FGeometry;                 // rows and the last geometry asked
  std::vector<int> FWidths;                 // GetTabWidthOf of every tab, while FWidthsValid
  bool FWidthsValid = false;                // cleared by every change a width depends on
  int FRowCount = 0;                        // rows closed by the last layout
  bool FLeftButtonHot = false, FRightButtonHot = false;
  int FHotTab = -1;                         // tab under the mouse
  bool FLeftButtonPressed = false, FRightButtonPressed = false;
  int FScrollTicks = 0;                     // ticks since the button went down
  bool FUpdating = false;                   // Tabs inside BeginUpdate/EndUpdate
  bool FMultiLine = false;
  TTabPosition FTabPosition = tpTop;
  int FFirstVisible = 0;
  int FTabIndex = -1;
  bool FRaggedRight = false, FScrollOpposite = false, FHotTrack = false;
  int FTabWidth = 0, FTabHeight = 0;        // 0 = computed
  TNotifyEvent FOnChange;
  TTabChangingEvent FOnChanging;
  bool FOwnerDraw = false;
  TSeDrawTabEvent FOnDrawTab;
  bool FUsePages = false;
  bool FInUpdate = false;                   // re-entry guard of TabsChanged and RemovePage
  int FLoadedTabIndex = -1;
  TCustomImageList* FImages = nullptr;      // not owned; forgotten when freed
  bool FPaintingStrip = false;              // the strip paints off-screen
  std::unique_ptr<class TKeptTheme> FTabTheme;       // "Tab", open from paint to paint
  std::unique_ptr<class TKeptTheme> FArrowTheme;     // "ScrollBar" for the scroll buttons
  std::unique_ptr<class TThemePartCache> FTabParts;  // the themed tabs as drawn
  std::unique_ptr<class TThemePartCache> FPaneParts; // the themed pane as drawn
  std::unique_ptr<class TThemePartCache> FArrowParts; // the themed scroll buttons as drawn
};
