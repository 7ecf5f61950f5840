// TepNoteBook, its pages and the string-list face over them.
#include "EPNote.h"

#include <algorithm>
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/controls/ControlIdents.h"
#include "classlib/system/SysMath.h"

namespace {

const bool NoteBookRegistered = [] {
  RegisterClass<TepNoteBook>();
  RegisterClass<TepPage>();
  return true;
}();

[[noreturn]] void ListIndexError(int index) {
  throw EListError(L"List index out of bounds (%d)", {index});
}

}  // namespace

// ---- TepPage ------------------------------------------------------------------------------------

const TPropertyTable* TepPage::PublishedProperties() {
  using P = TPublish<TepPage>;
  using C = TepPage;
  // A page always fills its notebook, so its alignment is not stored.
  static const TPropertyTable table{
      P::Persistent(L"WallPaper", &C::GetWallPaper, &C::SetWallPaper),
      P::Enum(L"Align", AlignIdents, &C::GetAlign, &C::SetAlign).Stored(false),
  };
  return &table;
}

TepPage::TepPage(TComponent* owner)
    : TCustomControl(owner), FWallPaper(std::make_unique<TBitmap>()) {
  SetVisible(false);
  SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls, csOpaque});
  SetAlign(alClient);
  FWallPaper->OnChange = [this](TObject*) { Invalidate(); };
}

TepPage::~TepPage() { FWallPaper->OnChange = nullptr; }

void TepPage::SetWallPaper(TBitmap* value) { FWallPaper->Assign(value); }

std::vector<TPoint> TepPage::WallPaperTiles(int width, int height, int pictureWidth,
                                            int pictureHeight) {
  std::vector<TPoint> tiles;
  if (pictureWidth <= 0 || pictureHeight <= 0 || width < 0 || height < 0) return tiles;
  const int columns = Div(width, pictureWidth);
  const int rows = Div(height, pictureHeight);
  for (int row = 0; row <= rows; ++row)
    for (int column = 0; column <= columns; ++column)
      tiles.push_back(Point(column * pictureWidth, row * pictureHeight));
  return tiles;
}

void TepPage::Paint() {
  TCanvas* canvas = GetCanvas();
  if (!FWallPaper->GetEmpty()) {
    for (const TPoint& tile :
         WallPaperTiles(GetWidth(), GetHeight(), FWallPaper->GetWidth(), FWallPaper->GetHeight()))
      canvas->Draw(tile.X, tile.Y, FWallPaper.get());
    return;
  }
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(GetColor());
  canvas->FillRect(GetClientRect());
}

void TepPage::Dispatch(TMessage& message) {
  // At run time the mouse goes through the page to the window beneath it.
  if (message.Msg == WM_NCHITTEST && !GetComponentState().Contains(csDesigning)) {
    message.Result = HTTRANSPARENT;
    return;
  }
  inherited::Dispatch(message);
}

// ---- TepPageAccess ------------------------------------------------------------------------------------

int TepPageAccess::GetCount() const { return FNotebook->GetPageCount(); }

String TepPageAccess::Get(int index) const { return FNotebook->GetPage(index)->GetCaption(); }

void TepPageAccess::Put(int index, const String& s) { FNotebook->GetPage(index)->SetCaption(s); }

TObject* TepPageAccess::GetObject(int index) const { return FNotebook->GetPage(index); }

void TepPageAccess::Insert(int index, const String& s) { FNotebook->InsertPage(index, s); }

void TepPageAccess::Delete(int index) { FNotebook->DeletePage(index); }

void TepPageAccess::Clear() { FNotebook->ClearPages(); }

void TepPageAccess::Move(int curIndex, int newIndex) { FNotebook->SwapPages(curIndex, newIndex); }

// ---- TepNoteBook ------------------------------------------------------------------------------------------

const TPropertyTable* TepNoteBook::PublishedProperties() {
  using P = TPublish<TepNoteBook>;
  using C = TepNoteBook;
  // The pages are stored inside the notebook as its children, so neither the captions nor
  // the caption of the page shown are stored again.
  static const TPropertyTable table{
      P::Text(L"ActivePage", &C::GetActivePage, &C::SetActivePage).Stored(false),
      P::Integer(L"PageIndex", &C::GetPageIndex, &C::SetPageIndex).Default(0),
      P::Strings(L"Pages", &C::GetPages, &C::SetPages).Stored(false),
      P::Method(L"OnPageChanged", &C::GetOnPageChanged, &C::SetOnPageChanged),
  };
  return &table;
}

TepNoteBook::TepNoteBook(TComponent* owner)
    : TCustomControl(owner), FAccess(std::make_unique<TepPageAccess>(this)) {
  SetBounds(GetLeft(), GetTop(), 150, 150);
  SetControlStyle(GetControlStyle() - TControlStyle{csSetCaption});
}

TepNoteBook::~TepNoteBook() {
  Destroying();
  // The pages go with the notebook's children.
  FPageIndex = -1;
}

void TepNoteBook::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style |= WS_CLIPCHILDREN;
  params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

TepPage* TepNoteBook::GetPage(int index) const {
  CheckPageIndex(index);
  return FPageList[static_cast<size_t>(index)];
}

int TepNoteBook::IndexOfPage(const TepPage* page) const {
  const auto it = std::find(FPageList.begin(), FPageList.end(), page);
  return it == FPageList.end() ? -1 : static_cast<int>(it - FPageList.begin());
}

void TepNoteBook::CheckPageIndex(int index) const {
  if (index < 0 || index >= GetPageCount()) ListIndexError(index);
}

void TepNoteBook::SetPages(TStrings* value) { FAccess->Assign(value); }

void TepNoteBook::InsertPage(int index, const String& caption) {
  if (index < 0 || index > GetPageCount()) ListIndexError(index);
  auto* page = new TepPage(this);
  page->SetCaption(caption);
  FInserting = true;
  try {
    page->SetParent(this);
  } catch (...) {
    FInserting = false;
    delete page;
    throw;
  }
  FInserting = false;
  FPageList.insert(FPageList.begin() + index, page);
  if (FPageIndex >= index) ++FPageIndex;  // the page shown moved along
  SetPageIndex(index);
}

void TepNoteBook::DeletePage(int index) {
  TepPage* page = GetPage(index);
  delete page;  // leaves the list (and the page index follows) through ControlChange
  SetPageIndex(0);
}

void TepNoteBook::ClearPages() {
  FPageIndex = -1;
  for (size_t guard = FPageList.size(); guard > 0 && !FPageList.empty(); --guard)
    delete FPageList.back();
  FPageList.clear();
}

void TepNoteBook::SwapPages(int index1, int index2) {
  CheckPageIndex(index1);
  CheckPageIndex(index2);
  std::swap(FPageList[static_cast<size_t>(index1)], FPageList[static_cast<size_t>(index2)]);
  if (FPageIndex == index1)
    FPageIndex = index2;
  else if (FPageIndex == index2)
    FPageIndex = index1;
}

void TepNoteBook::SetPageIndex(int value) {
  if (GetComponentState().Contains(csLoading)) {
    FPageIndex = value;  // shown once the layout's pages are read
    return;
  }
  if (value == FPageIndex || value < 0 || value >= GetPageCount()) return;
  // When the focus is inside the notebook, the notebook holds it while the pages change.
  TWinControl* root = this;
  for (int depth = 0; root->GetParent() && depth < 1000; ++depth) root = root->GetParent();
  TWinControl* focused = root->GetFocusedControl();
  const bool focusInside = focused && focused != this && ContainsControl(focused) &&
                           HandleAllocated() && ::IsWindowVisible(GetHandle());
  if (focusInside && CanFocus()) SetFocus();
  const int old = FPageIndex;
  FPageIndex = value;
  ShowActivePage();
  if (old >= 0 && old < GetPageCount() && old != value)
    FPageList[static_cast<size_t>(old)]->SetVisible(false);
  if (focusInside && root->GetFocusedControl() == this)
    FPageList[static_cast<size_t>(value)]->SelectFirst();
  if (FOnPageChanged) FOnPageChanged(this);
}

void TepNoteBook::ShowActivePage() {
  if (FPageIndex < 0 || FPageIndex >= GetPageCount()) return;
  TepPage* page = FPageList[static_cast<size_t>(FPageIndex)];
  page->BringToFront();
  page->SetVisible(true);
  page->SetAlign(alClient);
}

String TepNoteBook::GetActivePage() const {
  if (FPageIndex < 0 || FPageIndex >= GetPageCount()) return String();
  return FPageList[static_cast<size_t>(FPageIndex)]->GetCaption();
}

void TepNoteBook::SetActivePage(const String& value) {
  const int index = FAccess->IndexOf(value);
  if (index >= 0) SetPageIndex(index);
}

void TepNoteBook::ShowControl(TControl* control) {
  if (auto* page = dynamic_cast<TepPage*>(control); page && page->GetParent() == this) {
    const int index = IndexOfPage(page);
    if (index >= 0) SetPageIndex(index);
  }
  inherited::ShowControl(control);
}

// ---- Children ------------------------------------------------------------------------------------------

void TepNoteBook::Dispatch(TMessage& message) {
  if (message.Msg == CM_CONTROLCHANGE) {
    ControlChange(reinterpret_cast<TControl*>(message.WParam), message.LParam != 0);
    return;
  }
  inherited::Dispatch(message);
}

void TepNoteBook::ControlChange(TControl* control, bool inserting) {
  if (inserting) {
    auto* page = dynamic_cast<TepPage*>(control);
    if (page && !FInserting && IndexOfPage(page) < 0) FPageList.push_back(page);
    return;
  }
  // A page leaving; found by address, as it may already be half destroyed.
  const auto it = std::find_if(FPageList.begin(), FPageList.end(), [control](TepPage* page) {
    return static_cast<TControl*>(page) == control;
  });
  if (it == FPageList.end()) return;
  const int index = static_cast<int>(it - FPageList.begin());
  FPageList.erase(it);
  if (index < FPageIndex)
    --FPageIndex;
  else if (index == FPageIndex)
    FPageIndex = -1;
}

void TepNoteBook::GetChildren(const TGetChildProc& proc, TComponent*) {
  const std::vector<TepPage*> pages = FPageList;
  for (TepPage* page : pages) proc(page);
}

void TepNoteBook::SetChildOrder(TComponent* child, int order) {
  const int index = IndexOfPage(dynamic_cast<TepPage*>(child));
  if (index < 0 || order < 0 || order >= GetPageCount()) return;
  TepPage* const shown = FPageIndex >= 0 ? FPageList[static_cast<size_t>(FPageIndex)] : nullptr;
  TepPage* const page = FPageList[static_cast<size_t>(index)];
  FPageList.erase(FPageList.begin() + index);
  FPageList.insert(FPageList.begin() + order, page);
  if (shown) FPageIndex = IndexOfPage(shown);
}

void TepNoteBook::ReadState(TReader& reader) {
  ClearPages();
  FPageIndex = 0;  // the stored PageIndex replaces it when the layout has one
  inherited::ReadState(reader);
  if (FPageIndex >= 0 && FPageIndex < GetPageCount()) {
    ShowActivePage();
    for (int i = 0; i < GetPageCount(); ++i)
      if (i != FPageIndex) FPageList[static_cast<size_t>(i)]->SetVisible(false);
  } else {
    FPageIndex = -1;
  }
}
