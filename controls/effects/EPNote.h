// TepNoteBook: a stack of pages (TepPage) of which one is visible, filling the notebook; no
// tabs. Pages lists the pages' captions (TepPageAccess). The message dialog shows its icon
// this way: a 32 × 32 notebook whose pages each tile an icon picture as wallpaper.
//
// The notebook starts without pages. A page whose parent becomes the notebook joins its list
// at the end (a layout's pages do so as they are read); one that leaves it or is freed drops
// out, and the page index keeps pointing at the same page, or at none when that page went.
//
// Not done: the design-time frame of a page.
#pragma once
#include <memory>
#include <vector>
#include "classlib/classes/StringList.h"
#include "classlib/controls/Controls.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/stdctrls/PageStack.h"

class TPropertyTable;
class TepNoteBook;

// ---- TepPage -------------------------------------------------------------------------------------
// One page: invisible until its notebook shows it, then aligned to the notebook's client
// area. It tiles its wallpaper (or fills itself with Color) and, at run time, lets the mouse
// through to the window beneath.
class TepPage : public TCustomControl {
  CLASSLIB_CLASS(TepPage, TCustomControl)
  static const TPropertyTable* PublishedProperties();
  explicit TepPage(TComponent* owner);
  ~TepPage() override;

  // The picture tiled over the page from (0, 0); owned. SetWallPaper copies value.
  TBitmap* GetWallPaper() const { return FWallPaper.get(); }
  void SetWallPaper(TBitmap* value);

  // The top-left corners of the wallpaper tiles on a page of width × height: columns
  // 0..width div pictureWidth and rows 0..height div pictureHeight. Empty for an empty picture.
  static std::vector<TPoint> WallPaperTiles(int width, int height, int pictureWidth,
                                            int pictureHeight);

  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;

 private:
  std::unique_ptr<TBitmap> FWallPaper;  // tiled over the page; owned
};

// ---- TepPageAccess -----------------------------------------------------------------------------------
// Pages of a notebook as a string list: the strings are the page captions, the objects the
// pages. Inserting makes a page and shows it, deleting frees one and shows page 0, Clear
// frees them all, Move swaps the two pages. Indexes outside the list raise EListError
// "List index out of bounds (%d)".
class TepPageAccess : public TStrings {
  CLASSLIB_CLASS(TepPageAccess, TStrings)
  explicit TepPageAccess(TepNoteBook* notebook) : FNotebook(notebook) {}

  int GetCount() const override;
  String Get(int index) const override;
  void Put(int index, const String& s) override;
  TObject* GetObject(int index) const override;
  void Insert(int index, const String& s) override;
  void Delete(int index) override;
  void Clear() override;
  void Move(int curIndex, int newIndex) override;

 private:
  TepNoteBook* FNotebook;  // owns this list
};

// ---- TepNoteBook ---------------------------------------------------------------------------------------
class TepNoteBook : public TCustomControl {
  CLASSLIB_CLASS(TepNoteBook, TCustomControl)
  static const TPropertyTable* PublishedProperties();
  // 150 × 150, no page (PageIndex -1).
  explicit TepNoteBook(TComponent* owner);
  ~TepNoteBook() override;

  // ---- Pages ---------------------------------------------------------------------------------
  // The captions over the pages; owned by the notebook. SetPages copies the captions,
  // making or freeing pages to match.
  TStrings* GetPages() const { return FAccess.get(); }
  void SetPages(TStrings* value);
  int GetPageCount() const { return FPages.GetCount(); }
  // EListError "List index out of bounds (%d)" outside the list.
  TepPage* GetPage(int index) const;
  int IndexOfPage(const TepPage* page) const;

  // ---- Showing ---------------------------------------------------------------------------------
  // The page shown, -1 for none. While the notebook is being read from a layout a write is
  // only stored; afterwards a value outside the pages, or the current one, is ignored.
  int GetPageIndex() const { return FPages.GetPageIndex(); }
  void SetPageIndex(int value);
  // The caption of the page shown ("" when none); a write shows the page of that caption
  // (ignored when no page has it).
  String GetActivePage() const;
  void SetActivePage(const String& value);

  // Told after another page was shown.
  const TNotifyEvent& GetOnPageChanged() const { return FOnPageChanged; }
  void SetOnPageChanged(TNotifyEvent handler) { FOnPageChanged = std::move(handler); }

  // A page asked to be shown (a control on it wants to be seen) becomes the page shown.
  void ShowControl(TControl* control) override;

  // ---- Stored layouts ----------------------------------------------------------------------------
  // The pages, in list order.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, int order) override;
  // Empties the page list, reads the layout (its pages join the list) and shows the stored
  // page, or none (-1) when the stored index names no page.
  void ReadState(TReader& reader) override;

  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  friend class TepPageAccess;
  // Makes a page at index and shows it.
  void InsertPage(int index, const String& caption);
  // Frees the page at index, then shows page 0 (whichever page was shown), so that the
  // page index always names a page while there are pages.
  void DeletePage(int index);
  // Keeps the list in step with the child pages (CM_CONTROLCHANGE).
  void ControlChange(TControl* control, bool inserting);

  TPageStack FPages{this};                   // the TepPages in order, and the one shown
  std::unique_ptr<TepPageAccess> FAccess;    // Pages: the captions over FPages
  TNotifyEvent FOnPageChanged;
};
