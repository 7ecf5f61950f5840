// TPageControl: pages with tabs, over the system's tab control. TTabSheet: one page, a
// child of the page control that fills the part of it the tabs leave (the tab control's
// display rectangle); only the active page shows.
//
// Each sheet whose TabVisible is on has a tab, in page order; TabIndex counts the tabs, so
// a sheet's tab index and page index differ when hidden tabs come before it. A click on a
// tab (or the arrows on the focused tabs, or Ctrl+Tab inside the control) asks OnChanging,
// shows the page and tells OnChange; setting ActivePage from code tells neither.
//
// Sheets join the page control when it becomes their parent (as a layout's sheets are read,
// or through TTabSheet::SetPageControl) and leave it when they get another parent or are
// freed. The list of sheets and the index of the one shown are kept as the notebooks keep
// theirs (TPageStack); what a page control adds is its own: the tabs, the page that shows
// when the one shown leaves, and the focus moving only off the page that goes.
//
// Not done: images on the tabs, owner-drawn tabs, scroll opposite, dragging and docking
// of sheets, a sheet's OnShow and OnHide.
#pragma once
#include <functional>
#include "../controls/Controls.h"
#include "PageStack.h"

class TPageControl;

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };
using TTabChangingEvent = std::function<void(TObject* sender, bool& allowChange)>;

// ---- TTabSheet ----------------------------------------------------------------------------------
class TTabSheet : public TWinControl {
  CLASSLIB_CLASS(TTabSheet, TWinControl)
  static const TPropertyTable* PublishedProperties();  // PageControlProperties.cpp
  // Hidden, client-aligned, holding controls; tab visible.
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;

  // The page control the sheet is a page of (nullptr: none). Setting it makes that control
  // the sheet's parent.
  TPageControl* GetPageControl() const { return FPageControl; }
  void SetPageControl(TPageControl* value);
  // The position among the page control's pages (-1 without one). Setting a value above the
  // last page raises EListError "%d is an invalid PageIndex value.  PageIndex must be
  // between 0 and %d", below 0 EListError "List index out of bounds (%d)".
  int GetPageIndex() const;
  void SetPageIndex(int value);
  // The sheet has a tab.
  bool GetTabVisible() const { return FTabVisible; }
  void SetTabVisible(bool value);
  // The index of the sheet's tab; -1 when the tab is hidden or there is no page control.
  int GetTabIndex() const;

 protected:
  void CMTextChanged(TMessage& message) override;

 private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;  // lists this sheet; not owned
  bool FTabVisible = true;
};

// ---- TPageControl ---------------------------------------------------------------------------------
class TPageControl : public TWinControl {
  CLASSLIB_CLASS(TPageControl, TWinControl)
  static const TPropertyTable* PublishedProperties();  // PageControlProperties.cpp
  // 289 x 193, a tab stop, no pages.
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;

  // ---- Pages ---------------------------------------------------------------------------
  int GetPageCount() const { return FPages.GetCount(); }
  // EListError "List index out of bounds (%d)" outside the pages.
  TTabSheet* GetPages(int index) const;
  // The page shown (nullptr: none). A sheet of another page control is ignored.
  TTabSheet* GetActivePage() const;
  void SetActivePage(TTabSheet* value);
  // The index of the page shown (-1: none); an index outside the pages shows none, as the
  // class library does.
  int GetActivePageIndex() const;
  void SetActivePageIndex(int value);
  // The page after (or before) current among those with a visible tab when checkTabVisible,
  // going round; current itself when it is the only one, nullptr when there are none.
  TTabSheet* FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const;
  // Shows the next (or previous) page as a tab click would: OnChanging, then OnChange.
  void SelectNextPage(bool goForward);

  // ---- Tabs --------------------------------------------------------------------------------
  // The selected tab (-1: none); setting it selects the tab without showing its page.
  int GetTabIndex() const;
  void SetTabIndex(int value);
  bool GetMultiLine() const { return FMultiLine; }
  void SetMultiLine(bool value);
  TTabPosition GetTabPosition() const { return FTabPosition; }
  void SetTabPosition(TTabPosition value);
  TTabStyle GetStyle() const { return FStyle; }
  void SetStyle(TTabStyle value);
  bool GetHotTrack() const { return FHotTrack; }
  void SetHotTrack(bool value);
  // The tabs' size in pixels; 0 lets the system size them by their text.
  int GetTabHeight() const { return FTabHeight; }
  void SetTabHeight(int value);
  int GetTabWidth() const { return FTabWidth; }
  void SetTabWidth(int value);
  // The part of the client area the pages fill.
  TRect GetDisplayRect();

  // ---- Events ------------------------------------------------------------------------------
  // Asked before the user moves to another page; allowChange false keeps the page.
  const TTabChangingEvent& GetOnChanging() const { return FOnChanging; }
  void SetOnChanging(TTabChangingEvent handler) { FOnChanging = std::move(handler); }
  // Told after the user moved to another page.
  const TNotifyEvent& GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent handler) { FOnChange = std::move(handler); }

  // ---- Stored layouts ------------------------------------------------------------------------
  // The pages in page order.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, int order) override;

  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void AdjustClientRect(TRect& rect) override;
  // OnChanging; false keeps the page.
  virtual bool CanChange();
  // The page of the selected tab shows; then OnChange.
  virtual void Change();
  void CMDialogKey(TMessage& message) override;
  virtual void CNNotify(TMessage& message);
  virtual void CMControlChange(TMessage& message);

 private:
  friend class TTabSheet;
  // Shows page and hides the one shown before, keeping the focus inside the control.
  void ChangeActivePage(TTabSheet* page);
  // Makes the window's tabs those of the sheets with visible tabs, with their captions,
  // selecting the active page's; the pages are laid out again.
  void UpdateTabs();
  // A sheet leaving the list; when it was the page shown, the next page with a tab shows.
  void RemovePage(TTabSheet* page);
  void MovePage(int curIndex, int newIndex);

  TPageStack FPages{this};            // the sheets in page order, and the one shown (shown
                                      // here, not by the stack); owned by their owners
  bool FMultiLine = false;
  TTabPosition FTabPosition = tpTop;
  TTabStyle FStyle = tsTabs;
  bool FHotTrack = false;
  int FTabHeight = 0;
  int FTabWidth = 0;
  TTabChangingEvent FOnChanging;
  TNotifyEvent FOnChange;
};
