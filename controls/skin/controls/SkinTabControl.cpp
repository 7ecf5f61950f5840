#include "SkinTabControl.h"

#include <algorithm>
#include <map>

#include "SkinTextMeasure.h"
#include "ThemeTurnedPart.h"
#include "classlib/classes/Filer.h"
#include "classlib/classes/Properties.h"
#include "classlib/forms/Forms.h"
#include "classlib/system/SysFormat.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "controls/skin/engine/ThemeBinding.h"

namespace {

const wchar_t* const TabPositionNames[] = {L"tpTop", L"tpBottom", L"tpLeft", L"tpRight"};

// The canvas drawing on another DC for a while; the previous DC is given back on every path.
class TCanvasOnDC {
 public:
  TCanvasOnDC(TCanvas* canvas, HDC dc) : FCanvas(canvas) {
    FCanvas->Lock();
    FPrevious = FCanvas->HandleAllocated() ? FCanvas->GetHandle() : nullptr;
    FCanvas->SetHandle(dc);
  }
  ~TCanvasOnDC() {
    FCanvas->SetHandle(FPrevious);
    FCanvas->Unlock();
  }
  TCanvasOnDC(const TCanvasOnDC&) = delete;
  TCanvasOnDC& operator=(const TCanvasOnDC&) = delete;

 private:
  TCanvas* FCanvas;
  HDC FPrevious = nullptr;
};

// A segment from (x1, y1) up to, not including, (x2, y2).
void Segment(TCanvas* c, TColor color, int x1, int y1, int x2, int y2) {
  c->MoveTo(x1, y1);
  LineToColor(c, x2, y2, color);
}
// A segment on from where the last one ended.
void SegmentOn(TCanvas* c, TColor color, int x2, int y2) { LineToColor(c, x2, y2, color); }

void TopLeftCorner(TCanvas* c, int x, int y) { Segment(c, clBtnHighlight, x, y + 2, x + 3, y - 1); }
void TopRightCorner(TCanvas* c, int x, int y) {
  Segment(c, clBtnHighlight, x - 3, y, x - 2, y + 1);
  SegmentOn(c, cl3DDkShadow, x, y + 3);
  Segment(c, clBtnShadow, x - 2, y + 2, x - 1, y + 2);
}
void BottomRightCorner(TCanvas* c, int x, int y) {
  Segment(c, cl3DDkShadow, x - 1, y - 3, x - 4, y);
  Segment(c, clBtnShadow, x - 2, y - 3, x - 4, y - 1);
}
void BottomLeftCorner(TCanvas* c, int x, int y) {
  Segment(c, clBtnHighlight, x, y - 3, x + 2, y - 1);
  SegmentOn(c, cl3DDkShadow, x + 2, y - 2);
  SegmentOn(c, clBtnShadow, x + 2, y - 3);
}
void TopEdge(TCanvas* c, int x1, int x2, int y) { Segment(c, clBtnHighlight, x1, y, x2, y); }
void LeftEdge(TCanvas* c, int x, int y1, int y2) { Segment(c, clBtnHighlight, x, y1, x, y2); }
void RightEdge(TCanvas* c, int x, int y1, int y2) {
  Segment(c, cl3DDkShadow, x - 1, y1, x - 1, y2);
  Segment(c, clBtnShadow, x - 2, y1, x - 2, y2);
}
void BottomEdge(TCanvas* c, int x1, int x2, int y) {
  Segment(c, cl3DDkShadow, x1, y - 1, x2, y - 1);
  Segment(c, clBtnShadow, x1, y - 2, x2, y - 2);
}

bool IsHorizontal(TTabPosition side) { return side == tpTop || side == tpBottom; }

}  // namespace

const TEnumInfo SeTabPositionIdents = MakeEnumInfo(TabPositionNames);

// ---- TSeTabStringList ----------------------------------------------------------------------------

void TSeTabStringList::Assign(TPersistent* source) {
  if (auto* strings = dynamic_cast<TStrings*>(source)) {
    BeginUpdate();
    try {
      Clear();
      for (int i = 0; i < strings->GetCount(); ++i) Add(strings->Get(i));
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    return;
  }
  inherited::Assign(source);
}

void TSeTabStringList::Changed() {
  inherited::Changed();
  if (GetUpdateCount() == 0) FControl->TabsChanged();
}

void TSeTabStringList::SetUpdateState(bool updating) {
  inherited::SetUpdateState(updating);
  FControl->FUpdating = updating;
  if (!updating) FControl->Invalidate();
}

// ---- TSeCustomTabSheet ----------------------------------------------------------------------------

const TPropertyTable* TSeCustomTabSheet::PublishedProperties() {
  using P = TPublish<TSeCustomTabSheet>;
  using C = TSeCustomTabSheet;
  static const TPropertyTable table{
      P::Integer(L"ImageIndex", &C::GetImageIndex, &C::SetImageIndex).Default(-1),
      // The order of the pages is the order they are read in.
      P::Integer(L"PageIndex", &C::GetPageIndex, &C::SetPageIndex).Stored(false),
      P::Boolean(L"PageVisible", &C::GetPageVisible, &C::SetPageVisible).Default(true),
      P::Method(L"OnShow", &C::GetOnShow, &C::SetOnShow),
      P::Method(L"OnHide", &C::GetOnHide, &C::SetOnHide),
  };
  return &table;
}

TSeCustomTabSheet::TSeCustomTabSheet(TComponent* owner) : TCustomControl(owner) {
  SetAlign(alClient);
  SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls, csNoDesignVisible});
  SetVisible(false);
}

TSeCustomTabSheet::~TSeCustomTabSheet() {
  FDestroying = true;
  if (FTabControl) FTabControl->RemovePage(this);
}

void TSeCustomTabSheet::SetTabControl(TSeCustomTabControl* value) {
  if (value == FTabControl) return;
  if (FTabControl) FTabControl->RemovePageKeeping(this);
  if (value) value->InsertPage(this);
}

int TSeCustomTabSheet::GetPageIndex() const {
  if (!FTabControl) return -1;
  const auto& pages = FTabControl->FPages;
  const auto it = std::find(pages.begin(), pages.end(), this);
  return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

void TSeCustomTabSheet::SetPageIndex(int value) {
  const int index = GetPageIndex();
  if (index < 0 || GetComponentState().Contains(csLoading)) return;
  auto& pages = FTabControl->FPages;
  value = std::clamp(value, 0, static_cast<int>(pages.size()) - 1);
  if (value == index) return;
  std::swap(pages[index], pages[value]);
  FTabControl->TabsChanged();
}

void TSeCustomTabSheet::SetPageVisible(bool value) {
  if (value == FPageVisible) return;
  FPageVisible = value;
  if (FTabControl && !GetComponentState().Contains(csLoading)) FTabControl->TabsChanged();
}

void TSeCustomTabSheet::SetImageIndex(int value) {
  if (value == FImageIndex) return;
  FImageIndex = value;
  if (FTabControl) {
    FTabControl->FWidthsValid = false;
    FTabControl->Invalidate();
  }
}

void TSeCustomTabSheet::ReadState(TReader& reader) {
  if (auto* control = dynamic_cast<TSeCustomTabControl*>(reader.GetParent())) {
    if (FTabControl && FTabControl != control) {
      FPageVisible = false;
      FTabControl->RemovePageKeeping(this);
    }
    control->InsertPage(this);
  }
  inherited::ReadState(reader);
}

void TSeCustomTabSheet::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TSeCustomTabSheet::Dispatch(TMessage& message) {
  if (message.Msg == CM_TEXTCHANGED) {
    inherited::Dispatch(message);
    if (FTabControl) {
      const int tab = FTabControl->PageToTab(GetPageIndex());
      if (tab >= 0 && tab < FTabControl->FTabs->GetCount()) FTabControl->FTabs->Put(tab, GetText());
    }
    return;
  }
  if (message.Msg == CM_SHOWINGCHANGED) {
    inherited::Dispatch(message);
    if (GetShowing()) {
      if (FOnShow) FOnShow(this);
    } else if (FOnHide) {
      FOnHide(this);
    }
    return;
  }
  inherited::Dispatch(message);
}

void TSeCustomTabSheet::WMEraseBkgnd(TMessage& message) {
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  if (!dc || !FTabControl || FTabControl->FActivePage != this) {
    inherited::WMEraseBkgnd(message);
    return;
  }
  // The control's background and body, seen through the page.
  const int saved = ::SaveDC(dc);
  POINT origin{};
  ::GetWindowOrgEx(dc, &origin);
  ::SetWindowOrgEx(dc, origin.x + GetLeft(), origin.y + GetTop(), nullptr);
  try {
    FTabControl->PaintBodyInto(dc);
  } catch (...) {
    ::RestoreDC(dc, saved);
    throw;
  }
  ::RestoreDC(dc, saved);
  message.Result = 1;
}

// ---- TSeCustomTabControl: construction ----------------------------------------------------------------

const TPropertyTable* TSeCustomTabControl::PublishedProperties() {
  using P = TPublish<TSeCustomTabControl>;
  using C = TSeCustomTabControl;
  static const TPropertyTable table{
      P::Component(L"ActivePage", &C::GetActivePage, &C::SetActivePage),
      P::Component(L"Images", &C::GetImages, &C::SetImages),
      P::Boolean(L"HotTrack", &C::GetHotTrack, &C::SetHotTrack).Default(false),
      P::Boolean(L"MultiLine", &C::GetMultiLine, &C::SetMultiLine).Default(false),
      P::Boolean(L"OwnerDraw", &C::GetOwnerDraw, &C::SetOwnerDraw).Default(false),
      P::Boolean(L"ParentColor", &C::GetParentColor, &C::SetParentColor).Default(true),
      // In page mode the tabs come from the pages.
      P::Strings(L"Tabs", &C::GetTabs, &C::SetTabs).Stored([](C* c) { return !c->GetUsePages(); }),
      P::Enum(L"TabPosition", SeTabPositionIdents, &C::GetTabPosition, &C::SetTabPosition)
          .Default(tpTop),
      P::Integer(L"TabIndex", &C::GetTabIndex, &C::SetTabIndex).Default(-1),
      P::Boolean(L"RaggedRight", &C::GetRaggedRight, &C::SetRaggedRight).Default(false),
      P::Boolean(L"ScrollOpposite", &C::GetScrollOpposite, &C::SetScrollOpposite).Default(false),
      P::Integer(L"TabHeight", &C::GetTabHeight, &C::SetTabHeight).Default(0),
      P::Integer(L"TabWidth", &C::GetTabWidth, &C::SetTabWidth).Default(0),
      // The constructor sets True; the declared default follows it so that it round-trips.
      P::Boolean(L"TabStop", &C::GetTabStop, &C::SetTabStop).Default(true),
      P::Boolean(L"UsePages", &C::GetUsePages, &C::SetUsePages).Default(false),
      P::Method(L"OnChange", &C::GetOnChange, &C::SetOnChange),
      P::Method(L"OnChanging", &C::GetOnChanging, &C::SetOnChanging),
      P::Method(L"OnDrawTab", &C::GetOnDrawTab, &C::SetOnDrawTab),
  };
  return &table;
}

TSeCustomTabControl::TSeCustomTabControl(TComponent* owner)
    : TSeCustomControl(owner),
      FTabs(std::make_unique<TSeTabStringList>(this)),
      FTabTheme(std::make_unique<TKeptTheme>(L"Tab")),
      FArrowTheme(std::make_unique<TKeptTheme>(L"ScrollBar")),
      FTabParts(std::make_unique<TThemePartCache>()),
      FPaneParts(std::make_unique<TThemePartCache>()),
      FArrowParts(std::make_unique<TThemePartCache>()) {
  SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls, csClickEvents, csDoubleClicks});
  SetParentColor(true);
  SetBounds(GetLeft(), GetTop(), 289, 193);
  SetTabStop(true);
}

TSeCustomTabControl::~TSeCustomTabControl() {
  Destroying();
  StopScrolling();
  for (TSeCustomTabSheet* page : FPages) page->FTabControl = nullptr;
  FPages.clear();
  FActivePage = nullptr;
  if (FImages) FImages->RemoveFreeNotification(this);
}

// ---- Pages ----------------------------------------------------------------------------------------------

TSeCustomTabSheet* TSeCustomTabControl::GetPage(int index) const {
  return index >= 0 && index < GetPageCount() ? FPages[index] : nullptr;
}

TSeCustomTabSheet* TSeCustomTabControl::GetActivePage() const {
  return FUsePages ? FActivePage : nullptr;
}

int TSeCustomTabControl::PageToTab(int pageIndex) const {
  if (pageIndex < 0 || pageIndex >= GetPageCount()) return -1;
  if (!FPages[pageIndex]->FPageVisible) return -1;  // a hidden page has no tab
  int tab = -1;
  for (int i = 0; i <= pageIndex; ++i) tab += FPages[i]->FPageVisible ? 1 : 0;
  return tab;
}

int TSeCustomTabControl::TabToPage(int tabIndex) const {
  if (tabIndex < 0) return -1;
  int tab = -1;
  for (int i = 0; i < GetPageCount(); ++i)
    if (FPages[i]->FPageVisible && ++tab == tabIndex) return i;
  return -1;
}

void TSeCustomTabControl::InsertPage(TSeCustomTabSheet* page, int index) {
  if (!page || page->FTabControl == this) return;
  if (page->FTabControl) page->FTabControl->RemovePageKeeping(page);
  if (index < 0 || index > GetPageCount()) index = GetPageCount();
  FPages.insert(FPages.begin() + index, page);
  page->FTabControl = this;
  if (page->GetParent() != this) page->SetParent(this);
  // The tabs take the page in first: an empty caption is numbered by the tabs, which leave
  // out the hidden pages.
  TabsChanged();
  if (page->GetText().empty())
    page->SetText(L"New Page " + IntToStr(FTabs->GetCount() - 1));
  // A designer's new page gets the first free name of its class without the leading letter.
  TComponent* owner = page->GetOwner();
  if (GetComponentState().Contains(csDesigning) && page->GetName().empty() &&
      dynamic_cast<TForm*>(owner)) {
    const String stem = page->ClassName().substr(1);
    for (int n = 1; n < 100000; ++n) {
      if (!owner->FindComponent(stem + IntToStr(n))) {
        page->SetName(stem + IntToStr(n));
        break;
      }
    }
  }
  Invalidate();
}

void TSeCustomTabControl::RemovePageKeeping(TSeCustomTabSheet* page) {
  const auto it = std::find(FPages.begin(), FPages.end(), page);
  if (it == FPages.end()) return;
  const int index = static_cast<int>(it - FPages.begin());
  const bool guard = std::exchange(FInUpdate, true);
  try {
    const int tab = PageToTab(index);
    if (tab >= 0 && tab < FTabs->GetCount()) FTabs->Delete(tab);
  } catch (...) {
    FInUpdate = guard;
    throw;
  }
  FPages.erase(FPages.begin() + index);
  page->FTabControl = nullptr;
  if (page == FActivePage) {
    FActivePage = nullptr;
    // The first visible page takes over; with none, no tab is selected.
    TSeCustomTabSheet* next = nullptr;
    for (TSeCustomTabSheet* p : FPages)
      if (p->FPageVisible) {
        next = p;
        break;
      }
    FTabIndex = -1;
    if (next && !Destroying()) {
      FActivePage = next;
      FTabIndex = PageToTab(next->GetPageIndex());
      next->SetVisible(true);
      next->BringToFront();
    }
  } else if (FActivePage) {
    FTabIndex = PageToTab(FActivePage->GetPageIndex());
  } else {
    FTabIndex = std::min(FTabIndex, FTabs->GetCount() - 1);
  }
  FInUpdate = guard;
  if (!Destroying()) Invalidate();
}

void TSeCustomTabControl::RemovePage(TSeCustomTabSheet* page) {
  if (!page || page->FTabControl != this) return;
  RemovePageKeeping(page);
  if (!page->FDestroying) delete page;
}

void TSeCustomTabControl::SetActivePage(TSeCustomTabSheet* value) {
  if (value && value->FTabControl != this) return;
  if (value && value == FActivePage) {
    value->SetVisible(true);
    value->BringToFront();
    return;
  }
  TSeCustomTabSheet* old = std::exchange(FActivePage, value);
  const std::weak_ptr<int> alive = GetLifeToken();
  if (old) old->SetVisible(false);
  if (alive.expired()) return;
  if (value) {
    value->SetVisible(true);
    value->BringToFront();
  }
  FTabIndex = value ? PageToTab(value->GetPageIndex()) : -1;
  if (!FPages.empty()) RepaintStrip();
  if (!GetComponentState().Contains(csLoading)) Change();
}

void TSeCustomTabControl::ActivatePageOfTab() {
  TSeCustomTabSheet* page = GetPage(TabToPage(FTabIndex));
  if (page && page != FActivePage) SetActivePage(page);
}

void TSeCustomTabControl::TabsChanged() {
  FWidthsValid = false;
  if (FInUpdate || Destroying()) return;
  FInUpdate = true;
  try {
    const int count = FTabs->GetCount();
    FTabIndex = count == 0 ? -1 : std::clamp(FTabIndex, 0, count - 1);
    const bool loading = GetComponentState().Contains(csLoading);
    if (FUsePages && !loading) {
      // A caption added to Tabs beyond the pages of that caption makes a page.
      std::map<String, int> pages, seen;
      for (TSeCustomTabSheet* p : FPages) ++pages[p->GetText()];
      for (int i = 0; i < FTabs->GetCount(); ++i) {
        const String caption = FTabs->Get(i);
        if (++seen[caption] <= pages[caption]) continue;
        ++pages[caption];
        auto* page = new TSeCustomTabSheet(GetOwner());
        page->SetText(caption);
        InsertPage(page, std::min(i, GetPageCount()));
        SetActivePage(page);
        FTabIndex = i;
      }
    }
    if (FUsePages) {
      const String before = FTabs->GetText();
      FTabs->BeginUpdate();
      try {
        FTabs->Clear();
        for (TSeCustomTabSheet* p : FPages)
          if (p->FPageVisible) FTabs->Add(p->GetText());
      } catch (...) {
        FTabs->EndUpdate();
        throw;
      }
      FTabs->EndUpdate();
      // A changed tab text makes the page of TabIndex active. Where fewer tabs than before
      // would leave TabIndex beyond the last (or -1 with tabs), it goes to the active page's
      // tab, or the nearest one, first: an index without a tab would select no page.
      const int n = FTabs->GetCount();
      if (FTabIndex < 0 || FTabIndex >= n) {
        if (FActivePage && FActivePage->FPageVisible)
          FTabIndex = PageToTab(FActivePage->GetPageIndex());
        else
          FTabIndex = n == 0 ? -1 : std::clamp(FTabIndex, 0, n - 1);
      }
      if (FTabs->GetText() != before && !loading) ActivatePageOfTab();
    }
    const int n = FTabs->GetCount();
    FFirstVisible = n == 0 ? 0 : std::clamp(FFirstVisible, 0, n - 1);
    if (FHotTab >= n) FHotTab = -1;
  } catch (...) {
    FInUpdate = false;
    throw;
  }
  FInUpdate = false;
  if (!FUpdating) {
    Invalidate();
    if (FUsePages) Realign();
  }
}

void TSeCustomTabControl::SetTabs(TStrings* value) { FTabs->Assign(value); }

void TSeCustomTabControl::SetUsePages(bool value) {
  if (value == FUsePages) return;
  FWidthsValid = false;
  // Child controls are kept: switching modes loses nothing the user placed.
  FUsePages = value;
  if (!GetComponentState().Contains(csLoading)) TabsChanged();
}

void TSeCustomTabControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
  if (!FUsePages) {
    inherited::GetChildren(proc, root);
    return;
  }
  for (TSeCustomTabSheet* page : FPages)
    if (page->GetOwner() == root) proc(page);
}

// ---- Selection -------------------------------------------------------------------------------------------

bool TSeCustomTabControl::CanChange() {
  bool allow = true;
  if (FOnChanging) FOnChanging(this, allow);
  return allow;
}

void TSeCustomTabControl::Change() {
  if (FOnChange) FOnChange(this);
}

void TSeCustomTabControl::SetTabIndex(int value) {
  if (GetComponentState().Contains(csLoading)) {
    FLoadedTabIndex = value;
    return;
  }
  if (value == FTabIndex || value < 0 || value >= FTabs->GetCount()) return;
  // The new index stands while OnChanging is asked; a refusal puts the old one back.
  const int old = FTabIndex;
  FTabIndex = value;
  const std::weak_ptr<int> alive = GetLifeToken();
  const bool allowed = CanChange();
  if (alive.expired()) return;
  if (!allowed || value >= FTabs->GetCount()) {  // refused, or the handler changed the tabs
    FTabIndex = old < FTabs->GetCount() ? old : FTabs->GetCount() - 1;
    return;
  }
  if (!FMultiLine) {
    // The strip follows the selection; each loop is bounded by the tab count.
    const int n = FTabs->GetCount();
    TSeTabGeometry& g = FGeometry;
    Geometry();
    g.TabIndex = FTabIndex;
    for (int guard = 0; guard < n && FFirstVisible < FTabIndex; ++guard) {
      g.FirstVisible = FFirstVisible;
      if (!g.ScrollButtonsShow() || g.TabRect(FTabIndex).Right <= g.LeftButtonRect().Left) break;
      ++FFirstVisible;
    }
    FFirstVisible = std::min(FFirstVisible, FTabIndex);
    for (int guard = 0; guard < n && FFirstVisible < FTabIndex; ++guard) {
      g.FirstVisible = FFirstVisible;
      if (g.LastVisibleTab(true) >= FTabIndex) break;
      ++FFirstVisible;
    }
  }
  RepaintStrip();
  if (FUsePages) {
    ActivatePageOfTab();
    if (!alive.expired()) Realign();
  } else {
    Change();
  }
}

void TSeCustomTabControl::ScrollTabs(int delta) {
  const int n = FTabs->GetCount();
  if (n == 0) {
    FFirstVisible = 0;  // not -1: the strip starts at tab 0 once tabs come
    return;
  }
  FFirstVisible = std::clamp(FFirstVisible + delta, 0, n - 1);
  // Never empty space after the last tab unless the strip starts at the first.
  bool decreased = false;
  TSeTabGeometry& g = FGeometry;
  Geometry();
  for (int guard = 0; guard < n && FFirstVisible > 0; ++guard) {
    g.FirstVisible = FFirstVisible;
    if (g.LastVisibleTab(false) < n - 1) break;
    --FFirstVisible;
    decreased = true;
  }
  if (decreased) ++FFirstVisible;
  RepaintStrip();
}

// ---- Attributes -----------------------------------------------------------------------------------------

void TSeCustomTabControl::SetTabPosition(TTabPosition value) {
  if (value == FTabPosition) return;
  FWidthsValid = false;
  FTabPosition = value;
  if (value == tpLeft || value == tpRight) FMultiLine = true;
  Realign();
  Invalidate();
  if (FActivePage && FActivePage->HandleAllocated()) FActivePage->Invalidate();
}

void TSeCustomTabControl::SetMultiLine(bool value) {
  if (value == FMultiLine) return;
  if (!value && (FTabPosition == tpLeft || FTabPosition == tpRight))
    throw Exception(L"MultiLine must be True when TabPosition is tpLeft or tpRight");
  FMultiLine = value;
  Realign();
  Invalidate();
}

void TSeCustomTabControl::SetScrollOpposite(bool value) {
  if (value == FScrollOpposite) return;
  FScrollOpposite = value;
  // Not while loading: a layout saved with one row and ScrollOpposite (one row keeps it)
  // would otherwise come back with several rows.
  if (value && !GetComponentState().Contains(csLoading)) FMultiLine = true;
  Realign();
  Invalidate();
}

void TSeCustomTabControl::SetRaggedRight(bool value) {
  if (value == FRaggedRight) return;
  FRaggedRight = value;
  Invalidate();
}

void TSeCustomTabControl::SetHotTrack(bool value) {
  if (value == FHotTrack) return;
  FHotTrack = value;
  Invalidate();
}

void TSeCustomTabControl::SetOwnerDraw(bool value) {
  if (value == FOwnerDraw) return;
  FOwnerDraw = value;
  Invalidate();
}

void TSeCustomTabControl::SetTabWidth(int value) {
  value = std::clamp(value, 0, MaxTabExtent);
  if (value == FTabWidth) return;
  FWidthsValid = false;
  FTabWidth = value;
  Realign();
  Invalidate();
}

void TSeCustomTabControl::SetTabHeight(int value) {
  value = std::clamp(value, 0, MaxTabExtent);
  if (value == FTabHeight) return;
  FWidthsValid = false;
  FTabHeight = value;
  Realign();
  Invalidate();
}

void TSeCustomTabControl::SetImages(TCustomImageList* value) {
  if (value == FImages) return;
  FWidthsValid = false;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = value;
  if (FImages) FImages->FreeNotification(this);
  Invalidate();
}

void TSeCustomTabControl::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == FImages) {
    FImages = nullptr;
    FWidthsValid = false;
    Invalidate();
  }
}

// ---- Geometry ---------------------------------------------------------------------------------------------

int TSeCustomTabControl::GetTabHeightNow() {
  if (FTabHeight >= 1) return FTabHeight;
  int h = MeasureTextExtent(GetFont(), L"Pq").cy + 4;
  if (FImages) h = std::max(h, FImages->GetHeight() + 4);
  return std::clamp(h, 1, MaxTabExtent);
}

int TSeCustomTabControl::GetTabWidthOf(int index) {
  if (index < 0 || index >= FTabs->GetCount()) return 0;
  int w;
  if (FTabWidth != 0) {
    w = FTabWidth;
  } else {
    w = std::min(MeasureTextExtent(GetFont(), FTabs->Get(index)).cx, 8 * MaxTabExtent) + 12;
    TSeCustomTabSheet* page = FUsePages ? GetPage(TabToPage(index)) : nullptr;
    if (FImages && page && page->GetImageIndex() >= 0) w += FImages->GetWidth();
  }
  const int side = FTabPosition == tpBottom ? FrameMarginBottom()
                   : FTabPosition == tpLeft ? FrameMarginLeft()
                   : FTabPosition == tpRight ? FrameMarginRight()
                                             : FrameMarginTop();
  return std::max(w, 2 * (GetTabHeightNow() + side));
}

int TSeCustomTabControl::GetScrollButtonSize() {
  return std::clamp(GetFont()->GetSize() * 2, 8, 64);
}

const TSeTabGeometry& TSeCustomTabControl::Geometry() {
  TSeTabGeometry& g = FGeometry;
  const int n = FTabs->GetCount();
  g.TabHeight = GetTabHeightNow();
  g.Position = FTabPosition;
  g.MultiLine = FMultiLine;
  g.RaggedRight = FRaggedRight;
  g.ScrollOpposite = FScrollOpposite;
  g.FixedWidth = FTabWidth != 0;
  g.Width = GetWidth();
  g.Height = GetHeight();
  g.MarginLeft = FrameMarginLeft();
  g.MarginTop = FrameMarginTop();
  g.MarginRight = FrameMarginRight();
  g.MarginBottom = FrameMarginBottom();
  g.ButtonSize = GetScrollButtonSize();
  g.FirstVisible = n == 0 ? 0 : std::clamp(FFirstVisible, 0, n - 1);
  g.TabIndex = FTabIndex;
  if (!FWidthsValid || static_cast<int>(FWidths.size()) != n) {
    FWidths.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) FWidths[i] = GetTabWidthOf(i);
    FWidthsValid = true;
  }
  g.Widths = FWidths;
  g.LayoutRows();
  FRowCount = static_cast<int>(g.Rows.size());  // every layout, a paint's among them
  return g;
}

void TSeCustomTabControl::LayoutRows(int rowsBefore) {
  Geometry();
  if (FRowCount != rowsBefore && FMultiLine) {
    Realign();
    Invalidate();
  }
}

bool TSeCustomTabControl::InLeftScrollButton(int x, int y) {
  const TSeTabGeometry& g = Geometry();
  return g.ScrollButtonsShow() && PtInRect(g.LeftButtonRect(), TPoint(x, y));
}

bool TSeCustomTabControl::InRightScrollButton(int x, int y) {
  const TSeTabGeometry& g = Geometry();
  return g.ScrollButtonsShow() && PtInRect(g.RightButtonRect(), TPoint(x, y));
}

void TSeCustomTabControl::AdjustClientRect(TRect& rect) {
  rect = Geometry().BodyRect();
  rect.Left += FrameMarginLeft() + 1;
  rect.Top += FrameMarginTop() + 1;
  rect.Right -= FrameMarginRight() + 1;
  rect.Bottom -= FrameMarginBottom() + 1;
}

void TSeCustomTabControl::SetBounds(int left, int top, int width, int height) {
  // Counted before: the resize itself lays the rows out already.
  const int rows = FRowCount;
  inherited::SetBounds(left, top, width, height);
  if (FMultiLine) LayoutRows(rows);
}

void TSeCustomTabControl::Loaded() {
  inherited::Loaded();
  const int n = FTabs->GetCount();
  FTabIndex = n == 0 ? -1 : std::clamp(FLoadedTabIndex, 0, n - 1);
  if (FLoadedTabIndex < 0 && !FUsePages) FTabIndex = -1;
  if (FUsePages && !FActivePage) ActivatePageOfTab();
  Geometry();
  Realign();
}

void TSeCustomTabControl::Resize() {
  inherited::Resize();
  if (FActivePage && FActivePage->HandleAllocated()) FActivePage->Invalidate();
}

// ---- Painting ------------------------------------------------------------------------------------------------

void TSeCustomTabControl::PaintFace() {
  inherited::PaintFace();
  DrawTabs(0);
  DrawBody();
  DrawTabs(1);
  if (Geometry().ScrollButtonsShow()) {
    DrawLeftScrollButton();
    DrawRightScrollButton();
  }
}

void TSeCustomTabControl::PaintBodyInto(HDC dc) {
  TCanvasOnDC on(GetCanvas(), dc);
  GetCaptionFont()->Assign(GetFont());
  if (GetTransparent()) PaintParentBackground(*this, dc, false);
  inherited::PaintFace();
  DrawBody();
}

void TSeCustomTabControl::DrawTabs(int pass) {
  const TSeTabGeometry& g = Geometry();
  const int n = g.Count();
  if (n == 0) return;
  // Only what is being painted needs drawing: a tab (grown by what a selected or first tab
  // adds) outside the clip box is left out. Many rows of a tall strip lie outside the control.
  RECT clip{};
  const int clipKind = ::GetClipBox(GetCanvas()->GetHandle(), &clip);
  if (clipKind == NULLREGION) return;
  const auto painted = [&](int index) {
    if (clipKind == ERROR) return true;
    RECT r = g.TabRect(index), common{};
    ::InflateRect(&r, 3, 3);
    return ::IntersectRect(&common, &r, &clip) != FALSE;
  };
  if (pass == 1) {
    if (FTabIndex >= 0 && FTabIndex < n && painted(FTabIndex)) DrawTab(FTabIndex);
    return;
  }
  if (!FMultiLine) {
    const int last = g.LastVisibleTab(false);
    for (int i = g.FirstVisible; i <= last; ++i)
      if (i != FTabIndex && painted(i)) DrawTab(i);
    return;
  }
  for (int row : g.DrawRowOrder())
    for (int i = g.RowFirst(row); i <= g.RowLast(row); ++i)
      if (i != FTabIndex && painted(i)) DrawTab(i);
}

void TSeCustomTabControl::DrawTab(int index) {
  TCanvas* canvas = GetCanvas();
  canvas->SetFont(GetFont());
  const TSeTabGeometry& g = FGeometry;  // laid out by DrawTabs
  TRect rect = g.TabRect(index);
  const TTabPosition side = g.SideOf(index);
  if (FOwnerDraw) {
    DrawTabEvent(index, rect, index == FTabIndex);
    return;
  }
  DrawTabShape(index, rect, side);
  // A tab of a row further out reaches in under the nearer rows: its image and caption go
  // in its own row's band. The row next to the body keeps its whole rectangle.
  const int band = g.TabHeight;
  if (g.RowOffset(g.RowOf(index)) > band) {
    switch (side) {
      case tpTop: rect.Bottom = std::min(rect.Bottom, rect.Top + band); break;
      case tpBottom: rect.Top = std::max(rect.Top, rect.Bottom - band); break;
      case tpLeft: rect.Right = std::min(rect.Right, rect.Left + band); break;
      case tpRight: rect.Left = std::max(rect.Left, rect.Right - band); break;
    }
  }
  TSeCustomTabSheet* page = FUsePages ? GetPage(TabToPage(index)) : nullptr;
  if (FImages && page && page->GetImageIndex() >= 0 && page->GetImageIndex() < FImages->GetCount()) {
    DrawTabImage(index, side, rect);
    const int h = g.TabHeight;
    if (IsHorizontal(side)) rect.Left += h;
    else if (side == tpLeft) rect.Bottom -= h;
    else rect.Top += h;
  }
  if ((IsHorizontal(side) ? RectWidth(rect) : RectHeight(rect)) > 8) DrawTabText(index, side, rect);
}

void TSeCustomTabControl::DrawTabEvent(int index, const TRect& rect, bool active) {
  if (FOnDrawTab) FOnDrawTab(this, index, rect, active);
}

void TSeCustomTabControl::DrawTabShape(int index, TRect r, TTabPosition side) {
  TCanvas* canvas = GetCanvas();
  const bool selected = index == FTabIndex;
  if (const TThemeScope* theme = FTabTheme->Get()) {
    TRect t = r;
    if (!selected) {
      if (IsHorizontal(side)) {
        t.Left += FrameMarginLeft();
        t.Right -= FrameMarginLeft();
      } else {
        t.Top += FrameMarginLeft();
        t.Bottom -= FrameMarginLeft();
      }
    }
    // The tab that starts a top or bottom strip lines up with the body's left edge.
    if (IsHorizontal(side) && r.Left == FrameMarginLeft()) t.Left = 0;
    const int state = !GetEnabled() ? 4 : selected ? 3 : index == FHotTab ? 2 : 1;
    HDC dc = canvas->GetHandle();
    // The theme draws tabs for a strip above the body; other sides get them turned.
    const bool drawn =
        DrawTurnedThemePart(*theme, dc, 1 /* TABP_TABITEM */, state, t, side, FTabParts.get());
    canvas->Refresh();
    if (drawn) return;
  }
  if (selected) {  // grows by 2 except toward the body
    if (side != tpRight) r.Left -= 2;
    if (side != tpBottom) r.Top -= 2;
    if (side != tpLeft) r.Right += 2;
    if (side != tpTop) r.Bottom += 2;
  }
  const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(clBtnFace);
  canvas->GetPen()->SetStyle(psSolid);
  canvas->GetPen()->SetColor(clBtnFace);
  switch (side) {
    case tpTop:
      canvas->RoundRect(L + 1, T + 1, R - 1, B, 4, 4);
      canvas->FillRect(TRect(L + 1, T + 2, R - 1, B));
      TopEdge(canvas, L + 3, R - 3, T);
      LeftEdge(canvas, L, T + 3, B - 1);
      RightEdge(canvas, R, T + 3, B - 1);
      TopLeftCorner(canvas, L, T);
      TopRightCorner(canvas, R, T);
      break;
    case tpBottom:
      canvas->RoundRect(L + 1, T, R - 1, B, 4, 4);
      canvas->FillRect(TRect(L + 1, T, R - 1, B - 2));
      LeftEdge(canvas, L, T, B - 3);
      RightEdge(canvas, R, T + 1, B - 3);
      BottomEdge(canvas, L + 3, R - 3, B);
      BottomLeftCorner(canvas, L, B);
      BottomRightCorner(canvas, R, B);
      break;
    case tpLeft:
      canvas->RoundRect(L, T + 1, R, B - 1, 4, 4);
      canvas->FillRect(TRect(L + 2, T + 1, R, B));
      TopEdge(canvas, L + 3, R - 1, T);
      LeftEdge(canvas, L, T + 3, B - 3);
      BottomEdge(canvas, L + 3, R - 1, B);
      TopLeftCorner(canvas, L, T);
      BottomLeftCorner(canvas, L, B);
      break;
    case tpRight:
      canvas->RoundRect(L, T + 1, R, B - 1, 4, 4);
      canvas->FillRect(TRect(L, T + 1, R - 2, B - 1));
      TopEdge(canvas, L, R - 3, T);
      RightEdge(canvas, R, T + 3, B - 3);
      BottomEdge(canvas, L + 1, R - 3, B);
      TopRightCorner(canvas, R, T);
      BottomRightCorner(canvas, R, B);
      break;
  }
  if (selected && GetFocusedFlag()) {
    TRect focus = r;
    InflateRect(focus, -(FrameMarginLeft() + 1), -(FrameMarginTop() + 1));
    canvas->DrawFocusRect(focus);
  }
}

void TSeCustomTabControl::DrawTabImage(int index, TTabPosition side, TRect r) {
  TSeCustomTabSheet* page = GetPage(TabToPage(index));
  if (!page || !FImages) return;
  if (index == FTabIndex) InflateRect(r, 1, 1);
  InflateRect(r, -3, -3);
  const int h = FGeometry.TabHeight;
  int x = r.Left, y = r.Top;
  if (side == tpLeft) y = r.Bottom - h;
  if (side == tpRight) x = r.Right - h;
  FImages->Draw(GetCanvas(), x, y, page->GetImageIndex(), true);
}

void TSeCustomTabControl::DrawTabText(int index, TTabPosition side, TRect r) {
  TCanvas* canvas = GetCanvas();
  canvas->SetFont(GetFont());
  if (FHotTrack && index == FHotTab) canvas->GetFont()->SetColor(clHighlight);
  const String text = FTabs->Get(index);
  const UINT flags = DrawTextBiDiModeFlags(DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (IsHorizontal(side)) {
    DrawTextUnicode(canvas, text, r, flags);
    return;
  }
  // A band as wide as a row, the text turned along the tab.
  const TSize size = MeasureTextExtent(canvas->GetFont(), text);
  const int length = std::min(size.cx, RectHeight(r));
  const int band = std::min(FGeometry.TabHeight, RectWidth(r));
  if (length < 1 || band < 1) return;
  const int x = r.Left + (RectWidth(r) - std::min(size.cy, band)) / 2;
  const int y = r.Top + (RectHeight(r) - length) / 2;
  DrawRotatedText(canvas, x, y, text, TRect(0, 0, length, std::min(size.cy, band)), side == tpRight);
}

void TSeCustomTabControl::DrawBody() {
  TCanvas* canvas = GetCanvas();
  const TRect body = Geometry().BodyRect();
  if (RectIsEmpty(body)) return;
  if (const TThemeScope* theme = FTabTheme->Get()) {
    const bool drawn = FPaneParts->Draw(*theme, canvas->GetHandle(), 9 /* TABP_PANE */, 1, body);
    canvas->Refresh();
    if (drawn) return;
  }
  FillRectColor(canvas, body, clBtnFace);
  DrawFrameLines(canvas, body, clBtnHighlight, cl3DDkShadow);
  TRect inner = body;
  InflateRect(inner, -1, -1);
  DrawFrameLines(canvas, inner, clBtnFace, clBtnShadow);
}

void TSeCustomTabControl::DrawLeftScrollButton() {
  RECT r = FGeometry.LeftButtonRect();
  HDC dc = GetCanvas()->GetHandle();
  const bool pushed = FLeftButtonPressed && FLeftButtonHot;
  const int state = !GetEnabled() ? 12 : pushed ? 11 : FLeftButtonHot ? 10 : 9;
  if (DrawThemedScrollButton(state, r)) return;
  ::DrawFrameControl(dc, &r, DFC_SCROLL, DFCS_SCROLLLEFT | (pushed ? DFCS_PUSHED : 0));
}

void TSeCustomTabControl::DrawRightScrollButton() {
  RECT r = FGeometry.RightButtonRect();
  HDC dc = GetCanvas()->GetHandle();
  const bool pushed = FRightButtonPressed && FRightButtonHot;
  const int state = !GetEnabled() ? 16 : pushed ? 15 : FRightButtonHot ? 14 : 13;
  if (DrawThemedScrollButton(state, r)) return;
  ::DrawFrameControl(dc, &r, DFC_SCROLL, DFCS_SCROLLRIGHT | (pushed ? DFCS_PUSHED : 0));
}

bool TSeCustomTabControl::DrawThemedScrollButton(int state, const RECT& r) {
  const TThemeScope* theme = FArrowTheme->Get();
  return theme && FArrowParts->Draw(*theme, GetCanvas()->GetHandle(), 1 /* SBP_ARROWBTN */, state, r);
}

void TSeCustomTabControl::ForgetKeptLook() {
  FTabTheme->Reset();
  FArrowTheme->Reset();
  FTabParts->Clear();
  FPaneParts->Clear();
  FArrowParts->Clear();
}

void TSeCustomTabControl::PaintStripContent() {
  GetCaptionFont()->Assign(GetFont());
  HDC dc = GetCanvas()->GetHandle();
  if (GetTransparent()) PaintParentBackground(*this, dc, false);
  inherited::PaintFace();
  DrawTabs(0);
  DrawBody();
  DrawTabs(1);
  if (FGeometry.ScrollButtonsShow()) {
    DrawLeftScrollButton();
    DrawRightScrollButton();
  }
}

void TSeCustomTabControl::RepaintStrip() {
  if (!HandleAllocated() || FPaintingStrip || Destroying()) return;
  if (GetComponentState().Contains(csDesigning) || !::IsWindowVisible(GetHandle())) {
    Invalidate();
    return;
  }
  const TSeTabGeometry& g = Geometry();
  TRect strip;
  bool any = false;
  const int first = FMultiLine ? 0 : g.FirstVisible;
  const int last = FMultiLine ? g.Count() - 1 : g.LastVisibleTab(false);
  for (int i = first; i <= last; ++i) {
    const TRect r = g.TabRect(i);
    if (!any) strip = r;
    else {
      strip.Left = std::min(strip.Left, r.Left);
      strip.Top = std::min(strip.Top, r.Top);
      strip.Right = std::max(strip.Right, r.Right);
      strip.Bottom = std::max(strip.Bottom, r.Bottom);
    }
    any = true;
  }
  if (!any || RectIsEmpty(strip)) return;
  if (g.Horizontal()) {
    strip.Left = 0;
    strip.Right = GetWidth();
    strip.Top -= 2;
    strip.Bottom += 2;
  } else {
    strip.Top = 0;
    strip.Bottom = GetHeight();
    strip.Left -= 2;
    strip.Right += 2;
  }
  const TRect whole(0, 0, GetWidth(), GetHeight());
  if (!IntersectRect(strip, strip, whole)) return;
  TSeBitmap buffer;
  buffer.SetSize(RectWidth(strip), RectHeight(strip));
  HDC bufferDC = buffer.GetDC();
  const int saved = ::SaveDC(bufferDC);
  ::SetWindowOrgEx(bufferDC, strip.Left, strip.Top, nullptr);
  FPaintingStrip = true;
  try {
    TCanvasOnDC on(GetCanvas(), bufferDC);
    PaintStripContent();
  } catch (...) {
    FPaintingStrip = false;
    ::RestoreDC(bufferDC, saved);
    throw;
  }
  FPaintingStrip = false;
  ::RestoreDC(bufferDC, saved);
  ::GdiFlush();
  WindowDC screen = WindowDC::FromClient(GetHandle());
  if (screen)
    ::BitBlt(screen.get(), strip.Left, strip.Top, RectWidth(strip), RectHeight(strip), bufferDC, 0,
             0, SRCCOPY);
}

// ---- Input ------------------------------------------------------------------------------------------------------

void TSeCustomTabControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_GETDLGCODE:
      inherited::Dispatch(message);
      message.Result |= DLGC_WANTARROWS;
      return;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      if (FLeftButtonPressed || FRightButtonPressed || ScrollTimerRunning()) {
        StopScrolling();
        RepaintStrip();
      }
      break;
    case CM_FONTCHANGED:
      FWidthsValid = false;
      inherited::Dispatch(message);
      Realign();
      Invalidate();
      return;
    case WM_THEMECHANGED:
    case CM_SYSCOLORCHANGE:
      ForgetKeptLook();
      inherited::Dispatch(message);
      Invalidate();
      return;
    case CM_DESIGNHITTEST:
      if (GetComponentState().Contains(csDesigning) && (message.WParam & MK_LBUTTON)) {
        const int x = static_cast<int16_t>(LOWORD(message.LParam));
        const int y = static_cast<int16_t>(HIWORD(message.LParam));
        MouseDown(mbLeft, TShiftState(), x, y);
      }
      message.Result = 0;
      return;
    default: break;
  }
  inherited::Dispatch(message);
}

void TSeCustomTabControl::StopScrolling() {
  FLeftButtonPressed = FRightButtonPressed = false;
  if (FScrollTimer) FScrollTimer->SetEnabled(false);
}

void TSeCustomTabControl::ScrollTick() {
  ++FScrollTicks;
  const int before = FFirstVisible;
  int delta = 0;
  if (FLeftButtonPressed && FLeftButtonHot) delta = -1;
  else if (FRightButtonPressed && FRightButtonHot) delta = 1;
  if (delta != 0) {
    ScrollTabs(delta);
    // At the end of the strip there is nothing more to repeat.
    if (FFirstVisible == before || !Geometry().ScrollButtonsShow()) {
      if (FScrollTimer) FScrollTimer->SetEnabled(false);
      return;
    }
  }
  if (!FScrollTimer) {
    FScrollTimer = std::make_unique<TTimer>(nullptr);
    FScrollTimer->SetOnTimer([this](TObject*) { ScrollTick(); });
  }
  FScrollTimer->SetInterval(FScrollTicks <= 1 ? 300 : 100);
  FScrollTimer->SetEnabled(FLeftButtonPressed || FRightButtonPressed);
}

void TSeCustomTabControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::MouseDown(button, shift, x, y);
  if (alive.expired() || button != mbLeft) return;
  const bool left = InLeftScrollButton(x, y), right = InRightScrollButton(x, y);
  if (left || right) {
    FLeftButtonPressed = FLeftButtonHot = left;
    FRightButtonPressed = FRightButtonHot = right;
    RepaintStrip();
    FScrollTicks = 0;
    ScrollTick();  // the first step at once
    return;
  }
  const int tab = TabAtPos(x, y);
  if (!GetComponentState().Contains(csDesigning) && CanFocus() && !Focused()) {
    SetFocus();
    if (alive.expired()) return;
  }
  if (tab >= 0) SetTabIndex(tab);
}

void TSeCustomTabControl::MouseMove(TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::MouseMove(shift, x, y);
  if (alive.expired()) return;
  const bool left = InLeftScrollButton(x, y), right = InRightScrollButton(x, y);
  const int hot = left || right ? -1 : TabAtPos(x, y);
  if (left == FLeftButtonHot && right == FRightButtonHot && hot == FHotTab) return;
  FLeftButtonHot = left;
  FRightButtonHot = right;
  FHotTab = hot;
  RepaintStrip();
}

void TSeCustomTabControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && (FLeftButtonPressed || FRightButtonPressed)) {
    StopScrolling();
    RepaintStrip();
  }
  inherited::MouseUp(button, shift, x, y);
}

void TSeCustomTabControl::CMMouseLeave(TMessage& message) {
  inherited::CMMouseLeave(message);
  if (message.LParam != 0) return;  // a child was left
  if (!FLeftButtonHot && !FRightButtonHot && FHotTab < 0) return;
  FLeftButtonHot = FRightButtonHot = false;
  FHotTab = -1;
  RepaintStrip();
}

void TSeCustomTabControl::KeyDown(WORD& key, TShiftState shift) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::KeyDown(key, shift);
  if (alive.expired()) return;
  if (key == VK_LEFT || key == VK_UP) SetTabIndex(FTabIndex - 1);
  else if (key == VK_RIGHT || key == VK_DOWN) SetTabIndex(FTabIndex + 1);
}

void TSeCustomTabControl::CMDialogChar(TMessage& message) {
  for (int i = 0; i < FTabs->GetCount(); ++i) {
    if (IsAccel(static_cast<WORD>(message.WParam), FTabs->Get(i)) && CanFocus()) {
      SetTabIndex(i);
      message.Result = 1;
      return;
    }
  }
  inherited::CMDialogChar(message);
}

void TSeCustomTabControl::CMEnabledChanged(TMessage& message) {
  inherited::CMEnabledChanged(message);
  if (!GetEnabled()) StopScrolling();
  Invalidate();
}

void TSeCustomTabControl::CMVisibleChanged(TMessage& message) {
  inherited::CMVisibleChanged(message);
  if (!GetVisible()) StopScrolling();
}

void TSeCustomTabControl::DoFocusIn() {
  inherited::DoFocusIn();
  RepaintStrip();
}

void TSeCustomTabControl::DoFocusOut() {
  inherited::DoFocusOut();
  RepaintStrip();
}
