// TNotebook and TPage, and the list of captions (Pages) over the notebook's pages.
#include "Notebooks.h"

#include <algorithm>
#include "../system/SysMath.h"

// ---- TNotebookPages ------------------------------------------------------------------------------
// Pages of a notebook: the captions of its pages, each string's object its page.
class TNotebookPages : public TStrings {
  CLASSLIB_CLASS(TNotebookPages, TStrings)
  explicit TNotebookPages(TNotebook* notebook) : FNotebook(notebook) {}

  int GetCount() const override { return FNotebook->GetPageCount(); }
  String Get(int index) const override { return FNotebook->GetPage(index)->GetCaption(); }
  void Put(int index, const String& s) override { FNotebook->GetPage(index)->SetCaption(s); }
  TObject* GetObject(int index) const override { return FNotebook->GetPage(index); }
  void Insert(int index, const String& s) override { FNotebook->InsertPage(index, s); }
  void Delete(int index) override { FNotebook->DeletePage(index); }
  void Clear() override {
    for (int guard = 0; guard < MaxListSize && FNotebook->GetPageCount() > 0; ++guard)
      FNotebook->DeletePage(FNotebook->GetPageCount() - 1);
  }
  void Move(int curIndex, int newIndex) override { FNotebook->MovePage(curIndex, newIndex); }

 private:
  static constexpr int MaxListSize = 134217727;
  TNotebook* FNotebook;  // owns this list
};

// ---- TPage ------------------------------------------------------------------------------------------

TPage::TPage(TComponent* owner) : TCustomControl(owner) {
  SetVisible(false);
  SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls});
  SetAlign(alClient);
}

// ---- TNotebook ----------------------------------------------------------------------------------------

TNotebook::TNotebook(TComponent* owner)
    : TCustomControl(owner), FAccess(std::make_unique<TNotebookPages>(this)) {
  SetBounds(GetLeft(), GetTop(), 150, 150);
  SetControlStyle(GetControlStyle() - TControlStyle{csSetCaption});
  FAccess->Add(L"Default");
}

TNotebook::~TNotebook() {
  Destroying();
  // The pages go with the notebook (the children's destruction), whoever owns them.
  FPageIndex = -1;
}

TPage* TNotebook::GetPage(int index) const {
  CheckPageIndex(index);
  return FPageList[static_cast<size_t>(index)];
}

void TNotebook::CheckPageIndex(int index) const {
  if (index < 0 || index >= GetPageCount())
    throw EListError(L"List index out of bounds (%d)", {index});
}

void TNotebook::SetPages(TStrings* value) { FAccess->Assign(value); }

void TNotebook::InsertPage(int index, const String& caption) {
  if (index < 0 || index > GetPageCount())
    throw EListError(L"List index out of bounds (%d)", {index});
  auto* page = new TPage(this);
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

void TNotebook::DeletePage(int index) {
  TPage* page = GetPage(index);
  const bool shown = index == FPageIndex;
  delete page;  // leaves the list through CMControlChange
  if (shown) {
    FPageIndex = -1;
    if (GetPageCount() > 0) SetPageIndex(0);
  }
}

void TNotebook::MovePage(int curIndex, int newIndex) {
  CheckPageIndex(curIndex);
  CheckPageIndex(newIndex);
  TPage* const shown = FPageIndex >= 0 ? FPageList[static_cast<size_t>(FPageIndex)] : nullptr;
  TPage* const page = FPageList[static_cast<size_t>(curIndex)];
  FPageList.erase(FPageList.begin() + curIndex);
  FPageList.insert(FPageList.begin() + newIndex, page);
  if (shown) FPageIndex = static_cast<int>(std::find(FPageList.begin(), FPageList.end(), shown) - FPageList.begin());
}

void TNotebook::SetPageIndex(int value) {
  if (GetComponentState().Contains(csLoading)) {
    FPageIndex = value;  // shown once the layout's pages are read
    return;
  }
  if (value == FPageIndex || value < 0 || value >= GetPageCount()) return;
  // Where the focus was on the page that goes, the notebook holds it meanwhile.
  TWinControl* root = this;
  for (int depth = 0; root->GetParent() && depth < 1000; ++depth) root = root->GetParent();
  TWinControl* focused = root->GetFocusedControl();
  const bool focusInside = focused && focused != this && ContainsControl(focused) &&
                           HandleAllocated() && ::IsWindowVisible(GetHandle());
  if (focusInside && CanFocus()) SetFocus();
  const int old = FPageIndex;
  FPageIndex = value;
  ShowActivePage();
  if (old >= 0 && old < GetPageCount()) FPageList[static_cast<size_t>(old)]->SetVisible(false);
  if (focusInside && root->GetFocusedControl() == this)
    FPageList[static_cast<size_t>(value)]->SelectFirst();
  if (FOnPageChanged) FOnPageChanged(this);
}

void TNotebook::ShowActivePage() {
  if (FPageIndex < 0 || FPageIndex >= GetPageCount()) return;
  TPage* page = FPageList[static_cast<size_t>(FPageIndex)];
  page->BringToFront();
  page->SetVisible(true);
  page->SetAlign(alClient);
}

String TNotebook::GetActivePage() const {
  if (FPageIndex < 0 || FPageIndex >= GetPageCount()) return String();
  return FPageList[static_cast<size_t>(FPageIndex)]->GetCaption();
}

void TNotebook::SetActivePage(const String& value) { SetPageIndex(FAccess->IndexOf(value)); }

// ---- Children --------------------------------------------------------------------------------------------

void TNotebook::Dispatch(TMessage& message) {
  if (message.Msg == CM_CONTROLCHANGE) {
    CMControlChange(message);
    return;
  }
  inherited::Dispatch(message);
}

void TNotebook::CMControlChange(TMessage& message) {
  auto* control = reinterpret_cast<TControl*>(message.WParam);
  if (message.LParam) {
    auto* page = dynamic_cast<TPage*>(control);
    if (page && !FInserting && std::find(FPageList.begin(), FPageList.end(), page) == FPageList.end())
      FPageList.push_back(page);
    return;
  }
  // A page leaving; matched by address, as it may already be half destroyed.
  const auto it = std::find_if(FPageList.begin(), FPageList.end(),
                               [control](TPage* page) { return static_cast<TControl*>(page) == control; });
  if (it == FPageList.end()) return;
  const int index = static_cast<int>(it - FPageList.begin());
  FPageList.erase(it);
  if (index < FPageIndex)
    --FPageIndex;
  else if (index == FPageIndex)
    FPageIndex = -1;
}

void TNotebook::GetChildren(const TGetChildProc& proc, TComponent*) {
  const std::vector<TPage*> pages = FPageList;
  for (TPage* page : pages) proc(page);
}

void TNotebook::SetChildOrder(TComponent* child, int order) {
  const auto it = std::find(FPageList.begin(), FPageList.end(), child);
  if (it == FPageList.end() || order < 0 || order >= GetPageCount()) return;
  MovePage(static_cast<int>(it - FPageList.begin()), order);
}

void TNotebook::ReadState(TReader& reader) {
  FAccess->Clear();
  FPageIndex = 0;  // the stored PageIndex when the layout has one
  inherited::ReadState(reader);
  if (FPageIndex >= 0 && FPageIndex < GetPageCount()) {
    ShowActivePage();
    for (int i = 0; i < GetPageCount(); ++i)
      if (i != FPageIndex) FPageList[static_cast<size_t>(i)]->SetVisible(false);
  } else {
    FPageIndex = -1;
  }
}
