// TNotebook: a stack of pages (TPage) of which one shows at a time, filling the notebook;
// the pages have captions but no tabs. Pages lists the captions; adding a caption adds a
// page and deleting one frees its page. A notebook starts with one page, "Default".
//
// Pages are child controls of the notebook: a TPage whose parent becomes the notebook joins
// the list at its end (a layout's pages do so as they are read), and one that leaves it (or
// is freed) drops out.
//
// Not done: the design-time frame of a page.
#pragma once
#include <memory>
#include "../classes/StringList.h"
#include "../controls/Controls.h"
#include "PageStack.h"

class TNotebook;

// ---- TPage ----------------------------------------------------------------------------------
// One page: hidden until its notebook shows it, then filling the notebook.
class TPage : public TCustomControl {
  CLASSLIB_CLASS(TPage, TCustomControl)
  static const TPropertyTable* PublishedProperties();  // NotebookProperties.cpp
  explicit TPage(TComponent* owner);
};

// ---- TNotebook --------------------------------------------------------------------------------
class TNotebook : public TCustomControl {
  CLASSLIB_CLASS(TNotebook, TCustomControl)
  static const TPropertyTable* PublishedProperties();  // NotebookProperties.cpp
  // 150 x 150 with one page, "Default", showing.
  explicit TNotebook(TComponent* owner);
  ~TNotebook() override;

  // ---- Pages ---------------------------------------------------------------------------
  // The captions of the pages, in order; Objects gives each TPage. Inserting a string
  // makes a page (owned by the notebook), deleting one frees it, Clear frees them all, Move
  // reorders them. Indexes outside the list raise EListError "List index out of bounds (%d)".
  // Owned by the notebook.
  TStrings* GetPages() const { return FAccess.get(); }
  void SetPages(TStrings* value);  // copies the captions, making or freeing pages to match
  int GetPageCount() const { return FPages.GetCount(); }
  // The page at index; EListError "List index out of bounds (%d)" outside the list.
  TPage* GetPage(int index) const;

  // ---- Showing -----------------------------------------------------------------------------
  // The page shown (-1: none). An index outside the pages is ignored, as the class library
  // does. The focus, when it was on the page that goes, moves to the new page's first
  // control.
  int GetPageIndex() const { return FPages.GetPageIndex(); }
  void SetPageIndex(int value);
  // The caption of the page shown; setting it shows the first page of that caption (a
  // caption no page has is ignored).
  String GetActivePage() const;
  void SetActivePage(const String& value);

  // Told after another page was shown.
  const TNotifyEvent& GetOnPageChanged() const { return FOnPageChanged; }
  void SetOnPageChanged(TNotifyEvent handler) { FOnPageChanged = std::move(handler); }

  // ---- Stored layouts --------------------------------------------------------------------------
  // The pages, in order, whoever owns them.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  // The layout's pages replace the default page; the stored PageIndex then shows.
  void ReadState(TReader& reader) override;
  void SetChildOrder(TComponent* child, int order) override;

  void Dispatch(TMessage& message) override;

 protected:
  // Keeps the page list in step with the child pages (CM_CONTROLCHANGE).
  virtual void CMControlChange(TMessage& message);

 private:
  friend class TNotebookPages;
  // Makes a page with that caption at index (the notebook owns it).
  void InsertPage(int index, const String& caption);
  // Frees the page at index; the first page shows when it was the one shown.
  void DeletePage(int index);
  void MovePage(int curIndex, int newIndex);

  TPageStack FPages{this};           // the TPages in order, and the one shown
  std::unique_ptr<TStrings> FAccess; // Pages: the captions over FPages
  TNotifyEvent FOnPageChanged;
};
