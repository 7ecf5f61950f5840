// TepNoteBook, its pages and the string-list face over them.
#include "EPNote.h"

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

void TepPageAccess::Clear() { FNotebook->FPages.FreeAll(); }

void TepPageAccess::Move(int curIndex, int newIndex) {
  FNotebook->FPages.Exchange(curIndex, newIndex);
}

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
  FPages.SetFocusMovesFromNotebook(true);
}

TepNoteBook::~TepNoteBook() {
  Destroying();
  // The pages go with the notebook's children.
  FPages.StoreIndex(-1);
}

void TepNoteBook::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style |= WS_CLIPCHILDREN;
  params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

TepPage* TepNoteBook::GetPage(int index) const {
  // Only TepPages join the list: InsertPage makes them and ControlChange takes no other.
  return static_cast<TepPage*>(FPages.GetPage(index));
}

int TepNoteBook::IndexOfPage(const TepPage* page) const { return FPages.IndexOf(page); }

void TepNoteBook::SetPages(TStrings* value) { FAccess->Assign(value); }

void TepNoteBook::InsertPage(int index, const String& caption) {
  FPages.Insert<TepPage>(index, caption);
  SetPageIndex(index);
}

void TepNoteBook::DeletePage(int index) {
  FPages.FreePage(index);  // the page index follows the list
  SetPageIndex(0);
}

void TepNoteBook::SetPageIndex(int value) {
  if (FPages.Show(value) && FOnPageChanged) FOnPageChanged(this);
}

String TepNoteBook::GetActivePage() const { return FPages.GetActiveCaption(); }

void TepNoteBook::SetActivePage(const String& value) {
  const int index = FAccess->IndexOf(value);
  if (index >= 0) SetPageIndex(index);
}

void TepNoteBook::ShowControl(TControl* control) {
  if (auto* page = dynamic_cast<TepPage*>(control); page && page->GetParent() == this) {
    const int index = IndexOfPage(page);
    if (index >= 0) SetPageIndex(index);
  }
  // A page's request goes on up as well, so that a notebook on a hidden page of another
  // notebook is brought forward too.
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
  if (inserting)
    FPages.ControlInserted(dynamic_cast<TepPage*>(control));
  else
    FPages.ControlRemoved(control);
}

void TepNoteBook::GetChildren(const TGetChildProc& proc, TComponent*) { FPages.GetChildren(proc); }

void TepNoteBook::SetChildOrder(TComponent* child, int order) {
  FPages.SetChildOrder(child, order);
}

void TepNoteBook::ReadState(TReader& reader) {
  FPages.FreeAll();
  FPages.StoreIndex(0);  // the stored PageIndex replaces it when the layout has one
  inherited::ReadState(reader);
  FPages.ShowStoredPage();
}
