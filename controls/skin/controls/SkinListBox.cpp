#include "SkinListBox.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "classlib/classes/Properties.h"
#include "classlib/graphics/Canvas.h"
#include "controls/skin/engine/SkinDrawing.h"

namespace {
const wchar_t* const ListBoxStyleNames[] = {L"lbStandard",   L"lbOwnerDrawFixed",
                                            L"lbOwnerDrawVariable", L"lbFonts",
                                            L"lbFontSamples", L"lbColors", L"lbColorNames"};
const wchar_t* const FontDeviceNames[] = {L"fdScreen", L"fdPrinter"};
const wchar_t* const FontTypeNames[] = {L"ftAll", L"ftTrueType", L"ftFixedPitch"};
constexpr int MaxItemHeight = 32767;

int Clip(int value, int low, int high) { return std::max(low, std::min(value, high)); }
}  // namespace

const TEnumInfo SeListBoxStyleIdents = MakeEnumInfo(ListBoxStyleNames);
const TEnumInfo SeFontDeviceIdents = MakeEnumInfo(FontDeviceNames);
const TEnumInfo SeFontTypeIdents = MakeEnumInfo(FontTypeNames);

// ---- TSeListLayout ------------------------------------------------------------------------------

int TSeListLayout::ItemWidth() const {
  int width = RectWidth(Inner);
  if (Columns >= 1)
    width /= Columns;
  else if (BarRoom)
    width -= BarThickness;
  return std::max(0, width - CheckColumn);
}

int TSeListLayout::Height(int index) const {
  if (FixedHeight > 0) return std::min(FixedHeight, MaxItemHeight);
  return Clip(HeightOf ? HeightOf(index) : 1, 1, MaxItemHeight);
}

int TSeListLayout::ColumnBottom() const {
  return Inner.Bottom - (BarRoom ? BarThickness : 0);
}

int TSeListLayout::PerColumn() const {
  return std::max(1, (ColumnBottom() - Inner.Top) / Height(0));
}

int TSeListLayout::FirstOfColumn(int column) const {
  if (FixedHeight > 0)
    return static_cast<int>(std::min<int64_t>(Count, int64_t{column} * PerColumn()));
  int index = 0;
  for (int c = 0; c < column && index < Count; ++c) {
    // An empty column always takes one item.
    int y = Inner.Top + Height(index++);
    while (index < Count && y + Height(index) <= ColumnBottom()) y += Height(index++);
  }
  return index;
}

int TSeListLayout::ColumnOf(int index) const {
  if (Columns < 1 || index <= 0) return 0;
  if (FixedHeight > 0) return index / PerColumn();
  int column = 0;
  for (int first = 0, next; (next = FirstOfColumn(column + 1)) <= index && next > first;
       first = next)
    ++column;
  return column;
}

int TSeListLayout::ColumnsNeeded() const {
  if (Count == 0) return 0;
  if (FixedHeight > 0) return (Count + PerColumn() - 1) / PerColumn();
  return ColumnOf(Count - 1) + 1;
}

void TSeListLayout::VisibleRange(int& first, int& last) const {
  last = -1;
  if (Columns >= 1) {
    first = FirstOfColumn(Position);
    if (first < Count) last = FirstOfColumn(Position + Columns) - 1;
    return;
  }
  first = Position;
  if (FixedHeight > 0) {
    const int fit = RectHeight(Inner) / Height(0);
    if (fit > 0 && first < Count) last = std::min(Count - 1, first + fit - 1);
    return;
  }
  for (int i = first, y = Inner.Top; i < Count && y < Inner.Bottom; ++i) {
    const int h = Height(i);
    if (y + h <= Inner.Bottom) last = i;
    y += h;
  }
}

int TSeListLayout::PositionShowing(int index) const {
  if (Columns >= 1) {
    const int column = ColumnOf(index);
    if (column < Position) return column;
    if (column >= Position + Columns) return column - Columns + 1;
    return Position;
  }
  if (index < Position) return index;
  int first, last;
  VisibleRange(first, last);
  if (last != -1 && index <= last) return Position;
  // The least position whose items up to index fit; index itself when even it does not.
  const int room = RectHeight(Inner);
  if (FixedHeight > 0) return std::max(0, index - std::max(1, room / Height(0)) + 1);
  int position = index;
  for (int used = Height(index); position > 0 && used + Height(position - 1) <= room;)
    used += Height(--position);
  return position;
}

int TSeListLayout::LastFirstIndex() const {
  if (Count == 0) return 0;
  if (FixedHeight > 0) return std::max(0, Count - std::max(1, RectHeight(Inner) / Height(0)));
  int index = Count - 1;
  for (int y = Inner.Bottom - Height(index); index > 0;) {
    y -= Height(index - 1);
    if (y < Inner.Top) break;
    --index;
  }
  return index;
}

void TSeListLayout::ForEachShown(
    const std::function<bool(int, const TRect&, const TRect&)>& visit) const {
  const int width = ItemWidth();
  auto place = [&](int index, int x, int y, int h) {
    const TRect item(x + CheckColumn, y, x + CheckColumn + width, y + h);
    TRect check;
    if (CheckColumn > 0) {
      const int size = std::min(13, CheckColumn);
      const int left = x + (CheckColumn - size) / 2, top = y + (h - size) / 2;
      check = TRect(left, top, left + size, top + size);
    }
    return visit(index, item, check);
  };
  if (Columns < 1) {
    for (int i = std::max(0, Position), y = Inner.Top; i < Count && y < Inner.Bottom; ++i) {
      const int h = Height(i);
      if (!place(i, Inner.Left, y, h)) return;
      y += h;
    }
    return;
  }
  int index = FirstOfColumn(Position);
  for (int c = 0; c < Columns && index < Count; ++c) {
    const int x = Inner.Left + c * (width + CheckColumn);
    int y = Inner.Top;
    do {
      const int h = Height(index);
      if (!place(index, x, y, h)) return;
      y += h;
      ++index;
    } while (index < Count && y + Height(index) <= ColumnBottom());
  }
}

int TSeListLayout::ItemAt(TPoint p, bool withCheck) const {
  int found = -1;
  ForEachShown([&](int index, const TRect& item, const TRect& check) {
    if (PtInRect(item, p) || (withCheck && PtInRect(check, p))) {
      found = index;
      return false;
    }
    return true;
  });
  return found;
}

// ---- TVoListBoxItems --------------------------------------------------------------------------

void TVoListBoxItems::Changed() {
  inherited::Changed();
  if (FListBox) FListBox->ItemsChanged();
}

void TVoListBoxItems::SetUpdateState(bool updating) {
  if (FListBox) FListBox->SetUpdating(updating);
  inherited::SetUpdateState(updating);
}

// ---- TSeCustomListBox: creation -------------------------------------------------------------------

const TPropertyTable* TSeCustomListBox::PublishedProperties() {
  using P = TPublish<TSeCustomListBox>;
  using C = TSeCustomListBox;
  static const TPropertyTable table{
      P::Boolean(L"AllowGrayed", &C::GetAllowGrayed, &C::SetAllowGrayed).Default(false),
      P::Boolean(L"AlwaysShowScrlBar", &C::GetAlwaysShowScrlBar, &C::SetAlwaysShowScrlBar)
          .Default(false),
      P::Set(L"BevelSides", SeBevelSideIdents, &C::GetBevelSides, &C::SetBevelSides)
          .Default(TSeBevelSides{vbsLeft, vbsTop, vbsRight, vbsBottom}),
      P::Enum(L"BevelInner", SeBevelCutIdents, &C::GetBevelInner, &C::SetBevelInner)
          .Default(vbvLowered),
      P::Enum(L"BevelOuter", SeBevelCutIdents, &C::GetBevelOuter, &C::SetBevelOuter)
          .Default(vbvLowered),
      P::Enum(L"BevelKind", SeBevelKindIdents, &C::GetBevelKind, &C::SetBevelKind)
          .Default(vbkSingle),
      P::Integer(L"BevelWidth", &C::GetBevelWidth, &C::SetBevelWidth).Default(1),
      P::Integer(L"BorderWidth", &C::GetBorderWidth, &C::SetBorderWidth).Default(0),
      P::Color(L"Color", &C::GetColor, &C::SetColor)
          .Default(clWindow)
          .Stored([](C* c) { return !c->GetParentColor(); }),
      P::Integer(L"Columns", &C::GetColumns, &C::SetColumns).Default(0),
      P::Boolean(L"Flat", &C::GetFlat, &C::SetFlat).Default(true),
      P::Enum(L"FontDevice", SeFontDeviceIdents, &C::GetFontDevice, &C::SetFontDevice)
          .Default(fdScreen),
      P::Enum(L"FontType", SeFontTypeIdents, &C::GetFontType, &C::SetFontType).Default(ftAll),
      P::Enum(L"ImeMode", ImeModeIdents, &C::GetImeMode, &C::SetImeMode).Default(imDontCare),
      P::WideText(L"ImeName", &C::GetImeName, &C::SetImeName),
      P::Strings(L"Items", &C::GetItems, &C::SetItems),
      P::Integer(L"ItemHeight", [](C* c) { return c->GetItemHeight(); }, &C::SetItemHeight).Default(16),
      P::Enum(L"ListStyle", SeListBoxStyleIdents, &C::GetListStyle, &C::SetListStyle)
          .Default(lbStandard),
      P::Boolean(L"MultiSelect", &C::GetMultiSelect, &C::SetMultiSelect).Default(false),
      P::Enum(L"Performance", SePerformanceIdents, &C::GetPerformance, &C::SetPerformance)
          .Default(vxpDoubleBuffer),
      P::Boolean(L"ShowCheckBoxes", &C::GetShowCheckBoxes, &C::SetShowCheckBoxes).Default(false),
      P::Boolean(L"Sorted", &C::GetSorted, &C::SetSorted).Default(false),
      P::Boolean(L"TabStop", &C::GetTabStop, &C::SetTabStop).Default(true),
      P::Boolean(L"WordWrap", &C::GetWordWrap, &C::SetWordWrap).Default(false),
      P::Method(L"OnDrawItem", &C::GetOnDrawItem, &C::SetOnDrawItem),
      P::Method(L"OnMeasureItem", &C::GetOnMeasureItem, &C::SetOnMeasureItem),
  };
  return &table;
}

TSeCustomListBox::TSeCustomListBox(TComponent* owner) : TSeCustomControl(owner) {
  SetPerformance(vxpDoubleBuffer);
  SetColor(clWindow);
  SetBevelKind(vbkSingle);
  SetBevelWidth(1);
  SetBorderWidth(0);
  FItems = new TVoListBoxItems(this);
  FScrollBar = CreateScrollBar();
  FScrollBar->SetParent(this);
  FScrollBar->SetKind(sbVertical);
  FScrollBar->SetBorderWidth(0);
  FScrollBar->SetOnScroll(
      [this](TObject* sender, TScrollCode code, int& pos) { BarScroll(sender, code, pos); });
  FScrollBar->SetOnChange([this](TObject* sender) { BarChange(sender); });
  SetParentColor(false);
  SetTabStop(true);
  SetBounds(GetLeft(), GetTop(), 121, 97);
  SetControlStyle(GetControlStyle() + TControlStyle{csCaptureMouse, csDoubleClicks});
}

TSeCustomListBox::~TSeCustomListBox() {
  FScrollBar->SetOnScroll(nullptr);
  FScrollBar->SetOnChange(nullptr);
  // The window goes first, so that no message of its end finds the items gone.
  if (HandleAllocated()) DestroyHandle();
  FItems->Detach();
  delete FItems;
  FItems = nullptr;
}

TSeCustomScrollBar* TSeCustomListBox::CreateScrollBar() { return new TSeCustomScrollBar(this); }

bool TSeCustomListBox::Loading() const { return GetComponentState().Contains(csLoading); }

bool TSeCustomListBox::VariableHeights() const {
  return FListStyle == lbOwnerDrawVariable || FWordWrap;
}

void TSeCustomListBox::Loaded() {
  inherited::Loaded();
  ItemsChanged();
}

// ---- Items and states ----------------------------------------------------------------------------

void TSeCustomListBox::SetItems(TStrings* value) { FItems->Assign(value); }

TCheckBoxState TSeCustomListBox::GetState(int index) const {
  return static_cast<TCheckBoxState>(FItems->Flags(index) & TVoListBoxItems::CheckMask);
}

void TSeCustomListBox::SetState(int index, TCheckBoxState value) {
  if (value == cbGrayed && !FAllowGrayed) value = cbChecked;
  if (value < cbUnchecked || value > cbGrayed) value = cbUnchecked;
  const unsigned flags = FItems->Flags(index);
  FItems->SetFlags(index, (flags & ~TVoListBoxItems::CheckMask) | static_cast<unsigned>(value));
  Invalidate();
}

bool TSeCustomListBox::GetSelected(int index) const {
  return (FItems->Flags(index) & TVoListBoxItems::SelectedBit) != 0;
}

void TSeCustomListBox::SetSelected(int index, bool value) {
  const unsigned flags = FItems->Flags(index);
  FItems->SetFlags(index, value ? flags | TVoListBoxItems::SelectedBit
                                : flags & ~TVoListBoxItems::SelectedBit);
  Invalidate();
}

int TSeCustomListBox::GetSelCount() const {
  int count = 0;
  for (int i = 0; i < FItems->GetCount(); ++i) count += GetSelected(i) ? 1 : 0;
  return count;
}

void TSeCustomListBox::ItemsChanged() {
  const int count = FItems->GetCount();
  if (count == 0)
    FItemIndex = FAnchor = -1;
  else if (FItemIndex == -1 || FItemIndex >= count)
    FItemIndex = FItemIndex == -1 ? 0 : count - 1;
  if (FAnchor >= count) FAnchor = count - 1;
  if (FHotItem >= count) FHotItem = -1;
  if (FHotCheck >= count) FHotCheck = -1;
  if (FUpdating) return;
  UpdateScrollBar();
  Invalidate();
}

void TSeCustomListBox::SetUpdating(bool updating) {
  FUpdating = updating;
  if (!updating) ItemsChanged();
}

void TSeCustomListBox::ClearSelection() {
  for (int i = 0; i < FItems->GetCount(); ++i)
    FItems->SetFlags(i, FItems->Flags(i) & ~TVoListBoxItems::SelectedBit);
}

void TSeCustomListBox::SelectionStep() {
  if (FAnchor == -1) return;
  ClearSelection();
  const int count = FItems->GetCount();
  if (FItemIndex >= 0 && FItemIndex < count) {
    const int from = FMultiSelect ? std::min(FAnchor, FItemIndex) : FItemIndex;
    const int to = FMultiSelect ? std::max(FAnchor, FItemIndex) : FItemIndex;
    for (int i = std::max(0, from); i <= to && i < count; ++i)
      FItems->SetFlags(i, FItems->Flags(i) | TVoListBoxItems::SelectedBit);
  }
  Invalidate();
}

void TSeCustomListBox::CycleCheck(int index) {
  if (index < 0 || index >= FItems->GetCount()) return;
  switch (GetState(index)) {
    case cbUnchecked: SetState(index, cbChecked); break;
    case cbChecked: SetState(index, FAllowGrayed ? cbGrayed : cbUnchecked); break;
    default: SetState(index, cbUnchecked); break;
  }
}

// ---- Focus item -------------------------------------------------------------------------------------

void TSeCustomListBox::SetItemIndex(int index) { MoveItemIndex(index, true); }

void TSeCustomListBox::MoveItemIndex(int index, bool select) {
  const int count = FItems->GetCount();
  if (count > 0 && index == -1) {
    // -1 clears the selection; the next key or change of the items focuses an item again.
    ClearSelection();
    FItemIndex = FAnchor = -1;
    Invalidate();
    return;
  }
  if (count > 0 && index == FItemIndex) {
    if (FAnchor == -1) FAnchor = FItemIndex;
    if (select) SelectionStep();
    return;
  }
  if (count == 0) {
    FItemIndex = -1;
  } else {
    FItemIndex = Clip(index, 0, count - 1);
    const int position = Layout().PositionShowing(FItemIndex);
    if (position != FScrollBar->GetPosition()) FScrollBar->SetPosition(position);
    if (FAnchor == -1) FAnchor = FItemIndex;
  }
  if (select) SelectionStep();
  ComputeVisibleRange();
  Invalidate();
}

// ---- Geometry ------------------------------------------------------------------------------------------

TSeListLayout TSeCustomListBox::Layout() {
  TSeListLayout layout;
  GetFrameRect(layout.Inner);
  layout.Count = FItems->GetCount();
  layout.Columns = FColumns;
  layout.CheckColumn = FShowCheckBoxes ? GetCheckColumnWidth() : 0;
  layout.BarThickness = FColumns > 0 ? FScrollBar->GetHeight() : FScrollBar->GetWidth();
  layout.BarRoom = FScrollBarShown || GetComponentState().Contains(csDesigning) ||
                   FAlwaysShowScrlBar;
  layout.Position = FScrollBar->GetPosition();
  const bool measured = FListStyle == lbOwnerDrawVariable && FOnMeasureItem;
  if (!measured && !FWordWrap)
    layout.FixedHeight = std::max(1, FItemHeight);
  else
    layout.HeightOf = [this](int index) { return GetItemHeight(index); };
  return layout;
}

int TSeCustomListBox::GetItemHeight(int index) {
  const bool measured = FListStyle == lbOwnerDrawVariable && FOnMeasureItem;
  if (!measured && !FWordWrap) return FItemHeight;
  // A measuring handler measures with the list's font, as the items are drawn.
  TCanvas* canvas = GetCanvas();
  canvas->SetFont(GetFont());
  if (measured) return DoMeasureItem(index);
  // The text's height in the item's width (the layout's, without asking for heights).
  TSeListLayout layout = Layout();
  layout.HeightOf = nullptr;
  TRect r(0, 0, std::max(1, layout.ItemWidth() - 2), TextHeightEx(canvas, L"Pq"));
  DrawTextUnicode(canvas, FItems->Get(index), r,
                  DrawTextBiDiModeFlags(DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX));
  return RectHeight(r);
}

int TSeCustomListBox::DoMeasureItem(int index) {
  if (!FOnMeasureItem) return -1;
  int height = 0;
  FOnMeasureItem(this, GetCanvas(), index, height);
  return height;
}

int TSeCustomListBox::GetItemTop(int index) {
  if (!FScrollBar) return -1;
  if (FColumns > 0) {
    // Several columns: only a shown item has a place.
    const TRect r = GetItemRect(index);
    return RectIsEmpty(r) ? -1 : r.Top;
  }
  const int first = FScrollBar->GetPosition();
  if (index < first) return -1;
  TRect r;
  GetFrameRect(r);
  // Below the shown items too: the heights of the items from the first shown one on. Items
  // past the last count ItemHeight, so a large index costs no more than the items do.
  const int count = FItems->GetCount();
  const int walked = std::clamp(index, first, std::max(first, count));
  int64_t y = r.Top;
  if (VariableHeights())
    for (int i = first; i < walked; ++i) y += GetItemHeight(i);
  else
    y += static_cast<int64_t>(walked - first) * FItemHeight;
  y += static_cast<int64_t>(index - walked) * FItemHeight;
  return static_cast<int>(std::min<int64_t>(y, std::numeric_limits<int>::max()));
}

TRect TSeCustomListBox::GetItemRect(int index) {
  TRect found;
  Layout().ForEachShown([&](int i, const TRect& item, const TRect&) {
    if (i != index) return true;
    found = item;
    return false;
  });
  return found;
}

int TSeCustomListBox::ItemAtPos(TPoint p, bool existing) {
  const int index = Layout().ItemAt(p, true);
  if (index != -1) return index;
  return existing ? -1 : FItems->GetCount();
}

void TSeCustomListBox::ComputeVisibleRange() { Layout().VisibleRange(FFirstVisible, FLastVisible); }

void TSeCustomListBox::UpdateScrollBar() {
  if (!FScrollBar) return;
  TRect r;
  GetFrameRect(r);
  const int count = FItems->GetCount();
  const bool designing = GetComponentState().Contains(csDesigning);
  int max = 0, page = 0;
  if (FColumns > 0) {
    FScrollBar->SetKind(sbHorizontal);
    FScrollBar->AdjustThickness();
    const int h = FScrollBar->GetHeight();
    FScrollBar->SetBounds(r.Left, r.Bottom - h, RectWidth(r), h);
    TSeListLayout layout = Layout();
    int needed = layout.ColumnsNeeded();
    if (needed > FColumns && !layout.BarRoom) {
      layout.BarRoom = true;
      needed = layout.ColumnsNeeded();
    }
    max = std::max(0, needed - 1);
    page = FColumns;
  } else {
    FScrollBar->SetKind(sbVertical);
    FScrollBar->AdjustThickness();
    const int w = FScrollBar->GetWidth();
    FScrollBar->SetBounds(r.Right - w, r.Top, w, RectHeight(r));
    TSeListLayout layout = Layout();
    if (VariableHeights()) {
      if (count > 0) {
        // Without the bar first; when the items do not all fit, again with its room kept.
        layout.BarRoom = designing || FAlwaysShowScrlBar;
        max = layout.LastFirstIndex();
        if (max > 0 && !layout.BarRoom) {
          layout.BarRoom = true;
          max = layout.LastFirstIndex();
        }
      }
    } else {
      max = std::max(0, count - 1);
      page = count > 0 ? RectHeight(r) / layout.Height(0) : 0;
    }
  }
  FScrollBar->SetPageSize(0);
  FScrollBar->SetMin(0);
  FScrollBar->SetMax(max);
  FScrollBar->SetPageSize(page);
  const bool needed = max + 1 > page && max != 0;
  FScrollBar->SetVisible(designing || FAlwaysShowScrlBar || needed);
  FScrollBar->SetEnabled(needed);
  FScrollBarShown = FScrollBar->GetVisible();
  ComputeVisibleRange();
}

void TSeCustomListBox::SetBounds(int left, int top, int width, int height) {
  const TAlign align = GetAlign();
  if (!Loading() && !FWordWrap && FListStyle != lbOwnerDrawVariable && FItemHeight > 0 &&
      HandleAllocated() && (align == alNone || align == alTop || align == alBottom)) {
    // A whole number of rows inside the frame (none when not even one fits).
    TRect frame;
    GetFrameRect(frame);
    const int below = GetHeight() - frame.Bottom;
    const int rows = std::max(0, (height - frame.Top - below) / FItemHeight);
    height = frame.Top + rows * FItemHeight + below;
  }
  inherited::SetBounds(left, top, width, height);
  UpdateScrollBar();
}

void TSeCustomListBox::IntegralHeight() {
  SetBounds(GetLeft(), GetTop(), GetWidth(), GetHeight());
}

// ---- Attributes -----------------------------------------------------------------------------------------

void TSeCustomListBox::SetAllowGrayed(bool value) {
  if (value == FAllowGrayed) return;
  FAllowGrayed = value;
  for (int i = 0; i < FItems->GetCount(); ++i)
    if (GetState(i) == cbGrayed) SetState(i, cbChecked);
  Invalidate();
}

void TSeCustomListBox::SetAlwaysShowScrlBar(bool value) {
  if (value == FAlwaysShowScrlBar) return;
  FAlwaysShowScrlBar = value;
  UpdateScrollBar();
}

void TSeCustomListBox::SetShowCheckBoxes(bool value) {
  if (value == FShowCheckBoxes) return;
  FShowCheckBoxes = value;
  Invalidate();
}

void TSeCustomListBox::SetFlat(bool value) {
  if (value == FFlat) return;
  FFlat = value;
  Invalidate();
}

void TSeCustomListBox::SetMultiSelect(bool value) {
  if (value == FMultiSelect) return;
  FMultiSelect = value;
  ClearSelection();
  Invalidate();
}

void TSeCustomListBox::SetColumns(int value) {
  value = std::max(0, value);
  if (value == FColumns) return;
  FColumns = value;
  FScrollBar->SetPosition(0);
  UpdateScrollBar();
  Invalidate();
}

void TSeCustomListBox::SetWordWrap(bool value) {
  if (value == FWordWrap) return;
  FWordWrap = value;
  UpdateScrollBar();
  IntegralHeight();
  Invalidate();
}

void TSeCustomListBox::SetItemHeight(int value) {
  if (value == FItemHeight) return;
  FItemHeight = value;
  UpdateScrollBar();
  Invalidate();
}

void TSeCustomListBox::SetSorted(bool value) {
  if (value == FSorted) return;
  FSorted = value;
  FItems->SetSorted(value);
  Invalidate();
}

// ---- Painting -------------------------------------------------------------------------------------

void TSeCustomListBox::PaintFace() {
  if (!FScrollBar) return;
  inherited::PaintFace();
  DrawBackground();
  TRect r;
  GetFrameRect(r);
  HDC dc = GetCanvas()->GetHandle();
  const int saved = ::SaveDC(dc);
  ::IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
  try {
    DrawItems();
  } catch (...) {
    ::RestoreDC(dc, saved);
    GetCanvas()->Refresh();
    throw;
  }
  ::RestoreDC(dc, saved);
  GetCanvas()->Refresh();
}

void TSeCustomListBox::DrawBackground() {
  TRect r;
  GetFrameRect(r);
  FillRectColor(GetCanvas(), r, GetColor());
}

void TSeCustomListBox::DoDrawItem(int index, const TRect& rect, TOwnerDrawState state) {
  if (GetComponentState().Contains(csDestroying) || !FOnDrawItem) return;
  FOnDrawItem(this, GetCanvas(), index, rect, state);
}

// ---- Mouse --------------------------------------------------------------------------------------------

bool TSeCustomListBox::HoverStep(int x, int y) {
  const int oldItem = FHotItem, oldCheck = FHotCheck;
  FHotItem = FHotCheck = -1;
  Layout().ForEachShown([&](int index, const TRect& item, const TRect& check) {
    if (FShowCheckBoxes && IsOnCheck(check, TPoint(x, y))) {
      FHotCheck = index;
      return false;
    }
    if (IsOnItem(item, TPoint(x, y))) {
      FHotItem = index;
      return false;
    }
    return true;
  });
  return oldItem != FHotItem || oldCheck != FHotCheck;
}

void TSeCustomListBox::StopAutoScroll() {
  FScrollBar->SetAutoScrollUp(false);
  FScrollBar->SetAutoScrollDown(false);
}

void TSeCustomListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (CanFocus() && !Focused()) SetFocus();
  if (button != mbLeft) return;
  FMouseSelecting = true;
  // A press without a move before it (a click at once) still hits its own point.
  if (HoverStep(x, y)) Invalidate();
  const int hit = FHotItem != -1 ? FHotItem : FHotCheck;
  if (hit != -1) {
    if (shift.Contains(ssCtrl) && FMultiSelect) {
      // Ctrl toggles that item alone (the other selected items stay) and, without Shift,
      // makes it the anchor.
      MoveItemIndex(hit, false);
      if (!shift.Contains(ssShift)) FAnchor = FItemIndex;
      SetSelected(FItemIndex, !GetSelected(FItemIndex));
    } else {
      if (!shift.Contains(ssShift)) FAnchor = hit;
      MoveItemIndex(hit, true);
    }
    if (FHotItem == -1) CycleCheck(FItemIndex);
  }
  inherited::MouseDown(button, shift, x, y);
}

void TSeCustomListBox::MouseMove(TShiftState shift, int x, int y) {
  inherited::MouseMove(shift, x, y);
  FMousePos = TPoint(x, y);
  if (HoverStep(x, y)) Invalidate();
  bool before = false, after = false;
  if (FMouseSelecting) {
    before = FColumns > 0 ? x < 0 : y < 0;
    after = FColumns > 0 ? x > GetWidth() : y > GetHeight();
  }
  FScrollBar->SetAutoScrollUp(before);
  FScrollBar->SetAutoScrollDown(after);
  if (!before && !after && FHotItem != -1 && FMouseSelecting && !shift.Contains(ssCtrl))
    MoveItemIndex(FHotItem, true);
}

void TSeCustomListBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseUp(button, shift, x, y);
  FMouseSelecting = false;
  StopAutoScroll();
}

void TSeCustomListBox::DoMouseLeave() {
  inherited::DoMouseLeave();
  FMousePos = TPoint(-1, -1);
  if (FHotItem != -1 || FHotCheck != -1) {
    FHotItem = FHotCheck = -1;
    Invalidate();
  }
}

void TSeCustomListBox::WMCancelMode(TMessage& message) {
  inherited::WMCancelMode(message);
  FMouseSelecting = false;
  StopAutoScroll();
}

void TSeCustomListBox::BarScroll(TObject*, TScrollCode, int& position) {
  const int page = FScrollBar->GetPageSize();
  if (page != 0) position = std::min(position, FScrollBar->GetMax() - page + 1);
}

void TSeCustomListBox::BarChange(TObject*) {
  ComputeVisibleRange();
  if (FScrollBar->GetAutoScrollUp() && FFirstVisible < FItems->GetCount())
    MoveItemIndex(FFirstVisible, true);
  else if (FScrollBar->GetAutoScrollDown() && FLastVisible != -1)
    MoveItemIndex(FLastVisible, true);
  HoverStep(FMousePos.X, FMousePos.Y);
  Invalidate();
}

void TSeCustomListBox::Wheel(int delta) {
  UINT lines = 3;
  ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  int step;
  if (lines == WHEEL_PAGESCROLL) {
    // Page mode: a notch turns a page (the items shown, at least one).
    step = std::max(1, FLastVisible - FFirstVisible + 1);
  } else {
    step = static_cast<int>(std::clamp<UINT>(lines, 1, 120));
  }
  // Small deltas of a fine wheel add up until they make a whole item.
  const int64_t total = int64_t{FWheelRest} + int64_t{delta} * step;
  const int64_t items = total / WHEEL_DELTA;
  FWheelRest = static_cast<int>(total - items * WHEEL_DELTA);
  if (items == 0) return;
  int64_t position = FScrollBar->GetPosition() - items;
  const int page = FScrollBar->GetPageSize();
  if (page != 0) position = std::min<int64_t>(position, FScrollBar->GetMax() - page + 1);
  FScrollBar->SetPosition(static_cast<int>(std::clamp<int64_t>(position, INT_MIN, INT_MAX)));
}

void TSeCustomListBox::WMMouseWheel(TMessage& message) {
  Wheel(static_cast<short>(HIWORD(message.WParam)));
  message.Result = 1;
}

void TSeCustomListBox::CMMouseWheel(TMessage& message) { WMMouseWheel(message); }

// ---- Keyboard and focus ---------------------------------------------------------------------------------

void TSeCustomListBox::KeyDown(WORD& key, TShiftState shift) {
  inherited::KeyDown(key, shift);
  const int count = FItems->GetCount();
  if (count == 0) return;
  const int old = FItemIndex;
  const int page = std::max(1, FLastVisible - FFirstVisible);
  int target = old;
  switch (key) {
    case VK_RETURN:
    case VK_SPACE:
      // Also without visible check boxes: callers read the states the keys set.
      if (old != -1) CycleCheck(old);
      break;
    case VK_PRIOR: target = old - page; break;
    case VK_NEXT: target = old + page; break;
    case VK_END: target = count - 1; break;
    case VK_HOME: target = 0; break;
    case VK_LEFT:
    case VK_UP: target = old > 0 ? old - 1 : std::max(old, 0); break;
    case VK_RIGHT:
    case VK_DOWN: target = old + 1; break;
    default: break;
  }
  if (key >= VK_PRIOR && key <= VK_DOWN) {
    target = Clip(target, 0, count - 1);
    if (!shift.Contains(ssShift)) FAnchor = target;
    MoveItemIndex(target, true);
  }
  if (FItemIndex < 0) SetItemIndex(0);
  if (FItemIndex != old) Click();
}

void TSeCustomListBox::DoEnter() {
  inherited::DoEnter();
  Invalidate();
}

void TSeCustomListBox::DoExit() {
  inherited::DoExit();
  Invalidate();
}

void TSeCustomListBox::DoFocusIn() {
  inherited::DoFocusIn();
  SelectionStep();
}

void TSeCustomListBox::DoFocusOut() {
  inherited::DoFocusOut();
  SelectionStep();
  FMouseSelecting = false;
  StopAutoScroll();
}

void TSeCustomListBox::CMEnabledChanged(TMessage& message) {
  inherited::CMEnabledChanged(message);
  if (!GetEnabled()) {
    FMouseSelecting = false;
    StopAutoScroll();
  }
  Invalidate();
}

void TSeCustomListBox::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_GETDLGCODE:
      message.Result = DLGC_WANTARROWS;
      return;
    case WM_CAPTURECHANGED:
      // Another window took the mouse: the press and any automatic scrolling end.
      if (reinterpret_cast<HWND>(message.LParam) != GetHandle()) {
        FMouseSelecting = false;
        StopAutoScroll();
      }
      break;
    case WM_LBUTTONDOWN: {
      if (GetDragMode() != dmAutomatic) break;
      const bool shift = (message.WParam & MK_SHIFT) != 0;
      const bool ctrl = (message.WParam & MK_CONTROL) != 0;
      // A press on an item already selected drags the whole selection as it stands.
      if (FMultiSelect && (!shift || ctrl)) {
        const int index = ItemAtPos(
            TPoint(static_cast<short>(LOWORD(message.LParam)),
                   static_cast<short>(HIWORD(message.LParam))),
            true);
        if (index != -1 && GetSelected(index)) {
          BeginDrag(false, -1);
          return;
        }
      }
      const std::weak_ptr<int> alive = GetLifeToken();
      inherited::Dispatch(message);
      // Ctrl and Shift extend or toggle a multiple selection: such a press never drags.
      if (!alive.expired() && GetDragMode() == dmAutomatic && !(FMultiSelect && (shift || ctrl)))
        BeginDrag(false, -1);
      return;
    }
    default:
      break;
  }
  inherited::Dispatch(message);
}

void TSeCustomListBox::WndProc(TMessage& message) {
  if ((message.Msg == WM_LBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK) &&
      GetDragMode() == dmAutomatic && !GetComponentState().Contains(csDesigning) && !Dragging()) {
    // A press on the scroll bar is the bar's; any other is the list's own.
    if (IsControlMouseMsg(message)) return;
    if (const auto& hook = ControlHooks().MouseMessage) hook(this, message);  // ends a hint
    SetControlState(GetControlState() + TControlState{csLButtonDown});
    Dispatch(message);
    return;
  }
  inherited::WndProc(message);
}
