// TPageStack: the pages of a notebook, in order, of which at most one shows at a time,
// filling the notebook. The notebooks keep their pages in one and add what differs between
// them: the class of their pages, and what deleting, clearing and reordering pages show.
// The page control keeps its sheets in one too, but shows them itself (StoreIndex), as
// its tabs decide which page shows.
//
// The pages are child controls of the notebook. A page whose parent becomes the notebook
// joins the list at its end (a layout's pages do so as they are read); one that leaves it or
// is freed drops out, and the index of the page shown keeps pointing at the same page, or at
// none (-1) when that page went.
#pragma once
#include <vector>
#include "../controls/Controls.h"

class TPageStack {
 public:
  // notebook: the control whose children the pages are; not owned (it owns the stack).
  explicit TPageStack(TWinControl* notebook) : FNotebook(notebook) {}
  TPageStack(const TPageStack&) = delete;
  TPageStack& operator=(const TPageStack&) = delete;

  // ---- Attributes ------------------------------------------------------------------------------
  int GetCount() const { return static_cast<int>(FPages.size()); }
  // The page at index; EListError "List index out of bounds (%d)" outside the list.
  TWinControl* GetPage(int index) const;
  // Where the page stands in the list; -1 when it is not one of the pages.
  int IndexOf(const TComponent* page) const;
  // EListError "List index out of bounds (%d)" unless 0 <= index < count.
  void CheckIndex(int index) const;
  // The page shown; -1 none.
  int GetPageIndex() const { return FPageIndex; }
  // Sets the index of the page shown without showing anything: for a layout being read
  // (its pages come later), a notebook going away, and a control that shows its pages
  // itself. value is -1 or the index of a page.
  void StoreIndex(int value) { FPageIndex = value; }
  // The caption of the page shown; "" when none.
  String GetActiveCaption() const;

  // ---- Pages -----------------------------------------------------------------------------------
  // Makes a page of class TPageClass (owned by the notebook) with that caption and places it
  // at index; the index of the page shown follows the page it named. Showing the new page
  // is the caller's. EListError "List index out of bounds (%d)" outside 0..count.
  template <class TPageClass>
  void Insert(int index, const String& caption) {
    CheckInsertIndex(index);
    Place(index, new TPageClass(FNotebook), caption);
  }
  // Frees the page at index (EListError outside the list); it drops out through
  // ControlRemoved, and no other page is shown for it.
  void FreePage(int index);
  // Frees every page, the last first; none shows afterwards.
  void FreeAll();
  // Moves the page at curIndex to newIndex; the page shown stays the one shown.
  // EListError when either index is outside the list.
  void Move(int curIndex, int newIndex);
  // Swaps the pages at the two indexes; the page shown stays the one shown. EListError
  // when either index is outside the list.
  void Exchange(int index1, int index2);

  // ---- Showing ---------------------------------------------------------------------------------
  // Shows the page at value and hides the one shown before. While the notebook is being
  // read the value is only stored; a value outside the pages, or the current one, is
  // ignored. When the focus was on the page that goes, the notebook holds it meanwhile and
  // it moves on to the new page's first control. True when another page now shows, so that
  // the notebook tells its OnPageChanged.
  bool Show(int value);
  // A notebook that holds the focus itself also hands it to the new page's first control
  // when a page is shown (the page control, whose tabs take the focus, keeps it).
  void SetFocusMovesFromNotebook(bool value) { FFocusMovesFromNotebook = value; }
  // Shows the page at the stored index (in front, visible, filling the notebook).
  void ShowActivePage();
  // After a layout was read: shows the stored page and hides the others, or shows none
  // (-1) when the stored index names no page.
  void ShowStoredPage();

  // ---- Children --------------------------------------------------------------------------------
  // A page whose parent became the notebook joins the list at its end (nullptr: the child
  // was no page, and is ignored). True when it joined.
  bool ControlInserted(TWinControl* page);
  // A child that left the notebook or is being freed; matched by address alone, as it may
  // already be half destroyed.
  void ControlRemoved(const TControl* control);
  // Each page, in list order (from a copy: proc may change the list).
  void GetChildren(const TGetChildProc& proc) const;
  // The stored order of a page read from a layout; ignored for no page or a bad order.
  // True when the page was placed at order.
  bool SetChildOrder(const TComponent* child, int order);

 private:
  void CheckInsertIndex(int index) const;
  // Captions the new page, makes it a child of the notebook and lists it at index.
  void Place(int index, TWinControl* page, const String& caption);

  TWinControl* FNotebook;               // the notebook; not owned
  std::vector<TWinControl*> FPages;     // the pages in order; freed as the notebook's children
  int FPageIndex = -1;                  // the page shown; -1 none
  bool FFocusMovesFromNotebook = false;  // focus on the notebook itself goes to the new page
  bool FInserting = false;              // Place lists the new page itself
};
