// TNotebook and TPage, and the list of captions (Pages) over the notebook's pages.
#include "Notebooks.h"

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
  FPages.StoreIndex(-1);
}

TPage* TNotebook::GetPage(int index) const {
  // Only TPages join the list: InsertPage makes them and CMControlChange takes no other.
  return static_cast<TPage*>(FPages.GetPage(index));
}

void TNotebook::SetPages(TStrings* value) { FAccess->Assign(value); }

void TNotebook::InsertPage(int index, const String& caption) {
  FPages.Insert<TPage>(index, caption);
  SetPageIndex(index);
}

void TNotebook::DeletePage(int index) {
  const bool shown = index == FPages.GetPageIndex();
  FPages.FreePage(index);  // none shows when it was the page shown
  if (shown && GetPageCount() > 0) SetPageIndex(0);
}

void TNotebook::MovePage(int curIndex, int newIndex) { FPages.Move(curIndex, newIndex); }

void TNotebook::SetPageIndex(int value) {
  if (FPages.Show(value) && FOnPageChanged) FOnPageChanged(this);
}

String TNotebook::GetActivePage() const { return FPages.GetActiveCaption(); }

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
  if (message.LParam)
    FPages.ControlInserted(dynamic_cast<TPage*>(control));
  else
    FPages.ControlRemoved(control);
}

void TNotebook::GetChildren(const TGetChildProc& proc, TComponent*) { FPages.GetChildren(proc); }

void TNotebook::SetChildOrder(TComponent* child, int order) { FPages.SetChildOrder(child, order); }

void TNotebook::ReadState(TReader& reader) {
  FAccess->Clear();
  FPages.StoreIndex(0);  // the stored PageIndex when the layout has one
  inherited::ReadState(reader);
  FPages.ShowStoredPage();
}
