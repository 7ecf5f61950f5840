// TPageStack: a notebook's list of pages and the index of the page shown.
#include "PageStack.h"

#include <algorithm>

namespace {

[[noreturn]] void ListIndexError(int index) {
  throw EListError(L"List index out of bounds (%d)", {index});
}

}  // namespace

// ---- Attributes -------------------------------------------------------------------------------------

TWinControl* TPageStack::GetPage(int index) const {
  CheckIndex(index);
  return FPages[static_cast<size_t>(index)];
}

int TPageStack::IndexOf(const TComponent* page) const {
  const auto it = std::find_if(FPages.begin(), FPages.end(), [page](const TWinControl* listed) {
    return static_cast<const TComponent*>(listed) == page;
  });
  return it == FPages.end() ? -1 : static_cast<int>(it - FPages.begin());
}

void TPageStack::CheckIndex(int index) const {
  if (index < 0 || index >= GetCount()) ListIndexError(index);
}

void TPageStack::CheckInsertIndex(int index) const {
  if (index < 0 || index > GetCount()) ListIndexError(index);
}

String TPageStack::GetActiveCaption() const {
  if (FPageIndex < 0 || FPageIndex >= GetCount()) return String();
  return FPages[static_cast<size_t>(FPageIndex)]->GetCaption();
}

// ---- Pages ------------------------------------------------------------------------------------------

void TPageStack::Place(int index, TWinControl* page, const String& caption) {
  page->SetCaption(caption);
  FInserting = true;
  try {
    page->SetParent(FNotebook);
  } catch (...) {
    FInserting = false;
    delete page;
    throw;
  }
  FInserting = false;
  FPages.insert(FPages.begin() + index, page);
  if (FPageIndex >= index) ++FPageIndex;  // the page shown moved along
}

void TPageStack::FreePage(int index) {
  delete GetPage(index);  // leaves the list (and the index follows) through ControlRemoved
}

void TPageStack::FreeAll() {
  FPageIndex = -1;
  for (size_t guard = FPages.size(); guard > 0 && !FPages.empty(); --guard) delete FPages.back();
  FPages.clear();
}

void TPageStack::Move(int curIndex, int newIndex) {
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  TWinControl* const shown = FPageIndex >= 0 ? FPages[static_cast<size_t>(FPageIndex)] : nullptr;
  TWinControl* const page = FPages[static_cast<size_t>(curIndex)];
  FPages.erase(FPages.begin() + curIndex);
  FPages.insert(FPages.begin() + newIndex, page);
  if (shown) FPageIndex = IndexOf(shown);
}

void TPageStack::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(FPages[static_cast<size_t>(index1)], FPages[static_cast<size_t>(index2)]);
  if (FPageIndex == index1)
    FPageIndex = index2;
  else if (FPageIndex == index2)
    FPageIndex = index1;
}

// ---- Showing ----------------------------------------------------------------------------------------

bool TPageStack::Show(int value) {
  if (FNotebook->GetComponentState().Contains(csLoading)) {
    FPageIndex = value;  // shown once the layout's pages are read
    return false;
  }
  if (value == FPageIndex || value < 0 || value >= GetCount()) return false;
  // When the focus is on the page that goes, the notebook holds it while the pages change.
  TWinControl* root = FNotebook;
  for (int depth = 0; root->GetParent() && depth < 1000; ++depth) root = root->GetParent();
  TWinControl* focused = root->GetFocusedControl();
  const bool focusInside = focused && focused != FNotebook &&
                           FNotebook->ContainsControl(focused) && FNotebook->HandleAllocated() &&
                           ::IsWindowVisible(FNotebook->GetHandle());
  if (focusInside && FNotebook->CanFocus()) FNotebook->SetFocus();
  const int old = FPageIndex;
  FPageIndex = value;
  ShowActivePage();
  if (old >= 0 && old < GetCount()) FPages[static_cast<size_t>(old)]->SetVisible(false);
  if ((focusInside || FFocusMovesFromNotebook) && root->GetFocusedControl() == FNotebook)
    FPages[static_cast<size_t>(value)]->SelectFirst();
  return true;
}

void TPageStack::ShowActivePage() {
  if (FPageIndex < 0 || FPageIndex >= GetCount()) return;
  TWinControl* page = FPages[static_cast<size_t>(FPageIndex)];
  page->BringToFront();
  page->SetVisible(true);
  page->SetAlign(alClient);
}

void TPageStack::ShowStoredPage() {
  if (FPageIndex < 0 || FPageIndex >= GetCount()) {
    FPageIndex = -1;
    return;
  }
  ShowActivePage();
  for (int i = 0; i < GetCount(); ++i)
    if (i != FPageIndex) FPages[static_cast<size_t>(i)]->SetVisible(false);
}

// ---- Children ---------------------------------------------------------------------------------------

bool TPageStack::ControlInserted(TWinControl* page) {
  if (!page || FInserting || IndexOf(page) >= 0) return false;
  FPages.push_back(page);
  return true;
}

void TPageStack::ControlRemoved(const TControl* control) {
  const auto it = std::find_if(FPages.begin(), FPages.end(), [control](const TWinControl* page) {
    return static_cast<const TControl*>(page) == control;
  });
  if (it == FPages.end()) return;
  const int index = static_cast<int>(it - FPages.begin());
  FPages.erase(it);
  if (index < FPageIndex)
    --FPageIndex;
  else if (index == FPageIndex)
    FPageIndex = -1;
}

void TPageStack::GetChildren(const TGetChildProc& proc) const {
  const std::vector<TWinControl*> pages = FPages;
  for (TWinControl* page : pages) proc(page);
}

bool TPageStack::SetChildOrder(const TComponent* child, int order) {
  const int index = IndexOf(child);
  if (index < 0 || order < 0 || order >= GetCount()) return false;
  Move(index, order);
  return true;
}
