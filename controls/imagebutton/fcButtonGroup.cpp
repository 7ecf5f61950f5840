// The layout pass, in three steps:
//  1. The grid: with N items and C = Columns, Q = N div C and Rm = N mod C. loVertical has C
//     columns of Q + 1 rows for the first Rm columns and Q for the others; loHorizontal has
//     C rows and Q (+1 when Rm > 0) columns of C buttons each. Both fill column by column,
//     so Columns counts columns in loVertical and rows in loHorizontal.
//  2. The cell size: the inner area (the client area less the border) less the spacing,
//     divided by the cells (truncated, never below 0), the height (loVertical) or width
//     (loHorizontal) capped by MaxControlSize. What division leaves over is handed out a
//     step of Ceil(leftover / cells) at a time to the leftmost columns and the top rows.
//  3. The places: the first cell at (border, border), every later one right of its left
//     neighbour or under the cell above, Spacing apart.
#include "fcButtonGroup.h"

#include <algorithm>
#include <vector>

#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "fcImgBtn.h"
#include "fcShapeBtn.h"

namespace {

const wchar_t* const ClickStyleNames[] = {L"bcsCheckList", L"bcsRadioGroup", L"bcsClick"};
const wchar_t* const LayoutNames[] = {L"loVertical", L"loHorizontal"};
const wchar_t* const BevelNames[] = {L"bvNone", L"bvLowered", L"bvRaised", L"bvSpace"};
constexpr TEnumInfo BevelIdents = MakeEnumInfo(BevelNames);

const bool ButtonGroupClassesRegistered = [] {
  RegisterClasses({TfcButtonGroup::StaticClassInfo(), TfcShapeBtn::StaticClassInfo(),
                   TfcImageBtn::StaticClassInfo()});
  return true;
}();

// A check list gives every button a group of its own (checkListGroup) that may go all up,
// a radio group one group that may not, plain buttons none.
void ApplyClickStyle(TfcCustomBitBtn* button, TfcButtonGroupClickStyle style, int checkListGroup) {
  switch (style) {
    case bcsCheckList: button->SetGroupIndex(checkListGroup); break;
    case bcsRadioGroup: button->SetGroupIndex(1); break;
    case bcsClick: button->SetGroupIndex(0); break;
  }
  button->SetAllowAllUp(style == bcsCheckList);
}

int CeilDiv(int value, int by) { return value <= 0 || by <= 0 ? 0 : (value + by - 1) / by; }

}  // namespace

const TEnumInfo fcButtonGroupClickStyleIdents = MakeEnumInfo(ClickStyleNames);
const TEnumInfo fcLayoutIdents = MakeEnumInfo(LayoutNames);

// ---- Layout arithmetic ----------------------------------------------------------------------------

TfcGroupGrid GroupGrid(int count, int columns, TfcLayout layout) {
  TfcGroupGrid grid;
  if (count <= 0 || columns < 1) return grid;
  grid.Quotient = count / columns;
  grid.Remainder = count % columns;
  const int lines = grid.Quotient + (grid.Remainder > 0 ? 1 : 0);
  if (layout == loVertical) {
    grid.Columns = columns;
    grid.Rows = lines;
  } else {
    grid.Rows = columns;
    grid.Columns = lines;
  }
  return grid;
}

TPoint GroupCell(const TfcGroupGrid& grid, int position, int columns, TfcLayout layout) {
  if (layout == loHorizontal) return TPoint(position / columns, position % columns);
  const int tall = grid.Quotient + 1;  // rows of the first Remainder columns
  if (position < grid.Remainder * tall) return TPoint(position / tall, position % tall);
  const int rest = position - grid.Remainder * tall;
  return TPoint(grid.Remainder + rest / grid.Quotient, rest % grid.Quotient);
}

std::vector<TRect> GroupLayout(int count, int columns, TfcLayout layout, int width, int height,
                               int border, int spacing, int maxControlSize) {
  const TfcGroupGrid grid = GroupGrid(count, columns, layout);
  if (grid.Columns < 1 || grid.Rows < 1) return {};
  const int cols = grid.Columns;
  const int rows = grid.Rows;
  int cellWidth = std::max(0, (width - (cols - 1) * spacing) / cols);
  int cellHeight = std::max(0, (height - (rows - 1) * spacing) / rows);
  int capped = -1;
  if (maxControlSize > 0) {
    if (layout == loVertical)
      capped = cellHeight = std::min(cellHeight, maxControlSize);
    else
      capped = cellWidth = std::min(cellWidth, maxControlSize);
  }
  int extraWidth = 0, extraHeight = 0, stepWidth = 0, stepHeight = 0;
  if (capped != maxControlSize || maxControlSize <= 0) {
    extraHeight = std::max(0, height - (rows * cellHeight + (rows - 1) * spacing));
    extraWidth = std::max(0, width - (cols * cellWidth + (cols - 1) * spacing));
    stepHeight = CeilDiv(extraHeight, rows);
    stepWidth = CeilDiv(extraWidth, cols);
  }
  // The bounds of each cell, by column and row, as they are placed. A cell's neighbours are
  // the cells placed before it, not the buttons at those places in the collection: a hidden
  // button there keeps old bounds that would throw the visible ones out of the grid.
  std::vector<TRect> cells(static_cast<size_t>(cols) * rows);
  const auto cell = [&](int column, int row) -> TRect& {
    return cells[static_cast<size_t>(column) * rows + row];
  };
  std::vector<TRect> places;
  places.reserve(static_cast<size_t>(count));
  for (int position = 0; position < count; ++position) {
    const TPoint at = GroupCell(grid, position, columns, layout);
    const int column = at.X;
    const int row = at.Y;
    int left, top, w, h;
    if (row == 0) {
      left = column == 0 ? border : cell(column - 1, 0).Right + spacing;
      top = border;
      w = cellWidth + std::min(stepWidth, extraWidth);
      extraWidth = std::max(0, extraWidth - stepWidth);
    } else {
      const TRect& above = cell(column, row - 1);
      left = above.Left;
      top = above.Bottom + spacing;
      w = above.Width();
    }
    if (column == 0) {
      h = cellHeight + std::min(stepHeight, extraHeight);
      extraHeight = std::max(0, extraHeight - stepHeight);
    } else {
      h = cell(column - 1, row).Height();
    }
    if (row > 0) top = cell(column, row - 1).Bottom + spacing;
    cell(column, row) = TRect(left, top, left + w, top + h);
    places.push_back(cell(column, row));
  }
  return places;
}

// ---- TfcButtonGroupItem -------------------------------------------------------------------------------

TfcButtonGroupItem::TfcButtonGroupItem(TCollection* collection) : TfcCollectionItem(collection) {
  auto* items = dynamic_cast<TfcButtonGroupItems*>(collection);
  TfcCustomButtonGroup* group = items ? items->GetGroup() : nullptr;
  if (!group || group->GetComponentState().Contains(csLoading) || !group->GetButtonClass()) return;
  items->SetInLayout(true);
  TComponent* owner = group->GetOwner() ? group->GetOwner() : group;
  TComponent* made = group->GetButtonClass()->CreateComponent
                         ? group->GetButtonClass()->CreateComponent(owner)
                         : nullptr;
  FButton = dynamic_cast<TfcCustomBitBtn*>(made);
  if (!FButton) {
    delete made;
  } else {
    FButton->SetTop(group->GetHeight());
    FButton->SetParent(group);
    FButton->SetGroupIndex(1);
  }
  items->SetInLayout(false);
}

TfcButtonGroupItem::~TfcButtonGroupItem() {
  auto* items = dynamic_cast<TfcButtonGroupItems*>(GetCollection());
  if (items && items->GetGroup() && items->GetGroup()->FOldSelected == this)
    items->GetGroup()->FOldSelected = nullptr;
  if (items && items->Deleting() && FButton) {
    TfcCustomBitBtn* button = FButton;
    FButton = nullptr;
    delete button;
  }
}

TfcCustomButtonGroup* TfcButtonGroupItem::GetGroup() const {
  auto* items = dynamic_cast<TfcButtonGroupItems*>(GetCollection());
  return items ? items->GetGroup() : nullptr;
}

int TfcButtonGroupItem::GetGroupIndex() const { return FButton ? FButton->GetGroupIndex() : 0; }

void TfcButtonGroupItem::SetGroupIndex(int value) {
  if (FButton) FButton->SetGroupIndex(value);
}

bool TfcButtonGroupItem::GetSelected() const { return FButton && FButton->GetSelected(); }

void TfcButtonGroupItem::SetSelected(bool value) {
  if (!FButton) return;
  FButton->SetDown(value);
  if (auto* items = dynamic_cast<TfcButtonGroupItems*>(GetCollection())) items->UpdateLayout();
}

String TfcButtonGroupItem::GetDisplayName() const {
  return FButton ? FButton->GetName() : inherited::GetDisplayName();
}

void TfcButtonGroupItem::SetIndex(int value) {
  inherited::SetIndex(value);
  TfcCustomButtonGroup* group = GetGroup();
  if (group && FButton && !group->GetComponentState().Contains(csLoading)) group->SetChildOrder(FButton, value);
}

// ---- TfcButtonGroupItems --------------------------------------------------------------------------------

TfcButtonGroupItems::TfcButtonGroupItems(TfcCustomButtonGroup* group)
    : TfcCollection(group, [](TCollection* c) -> TCollectionItem* { return new TfcButtonGroupItem(c); }),
      FGroup(group) {}

TfcButtonGroupItem* TfcButtonGroupItems::GetItem(int index) const {
  return static_cast<TfcButtonGroupItem*>(TCollection::GetItem(index));
}

TfcButtonGroupItem* TfcButtonGroupItems::Add() {
  FAdding = true;
  TfcButtonGroupItem* item = nullptr;
  try {
    item = static_cast<TfcButtonGroupItem*>(TCollection::Add());
  } catch (...) {
    FAdding = false;
    throw;
  }
  if (TfcCustomBitBtn* button = item->GetButton()) {
    if (GetCount() > 1 && GetItem(0)->GetButton() && GetItem(0) != item)
      button->Assign(GetItem(0)->GetButton());
    // The new button behaves as the group's others do: in a check list it takes the largest
    // group of the items (its own 1 among them) plus one.
    int largest = 0;
    for (int i = 0; i < GetCount(); ++i) largest = std::max(largest, GetItem(i)->GetGroupIndex());
    ApplyClickStyle(button, FGroup->GetClickStyle(), largest + 1);
  }
  FAdding = false;
  Changed();
  return item;
}

TfcButtonGroupItem* TfcButtonGroupItems::AddForButton(TfcCustomBitBtn* button) {
  FAdding = true;
  auto* item = static_cast<TfcButtonGroupItem*>(TCollection::Add());
  item->SetButton(button);
  FAdding = false;
  return item;
}

void TfcButtonGroupItems::Clear() {
  FDeleting = true;
  FGroup->FOldSelected = nullptr;
  BeginUpdate();
  while (GetCount() > 0) delete GetItem(GetCount() - 1);
  EndUpdate();
  FDeleting = false;
}

TfcButtonGroupItem* TfcButtonGroupItems::FindButton(const TObject* button) const {
  if (!button) return nullptr;
  for (int i = 0; i < GetCount(); ++i)
    if (GetItem(i)->GetButton() == button) return GetItem(i);
  return nullptr;
}

TfcButtonGroupItem* TfcButtonGroupItems::FindItemID(int id) const {
  return static_cast<TfcButtonGroupItem*>(TCollection::FindItemID(id));
}

void TfcButtonGroupItems::Update(TCollectionItem* item) {
  inherited::Update(item);
  UpdateLayout();
}

void TfcButtonGroupItems::UpdateLayout() {
  if (GetCount() == 0 || FInLayout || FAdding || FGroup->GetColumns() < 1) return;
  if (FGroup->GetComponentState().Contains(csDestroying)) return;
  FInLayout = true;
  const bool transparent = FGroup->GetTransparentFlag();
  FGroup->SetTransparentFlag(false);
  struct Restore {
    TfcButtonGroupItems* Items;
    bool Transparent;
    ~Restore() {
      Items->FGroup->SetTransparentFlag(Transparent);
      Items->FInLayout = false;
    }
  } restore{this, transparent};
  const TRect client = FGroup->GetClientRect();
  const int border = FGroup->GetBorderWidth();
  const bool designing = FGroup->GetComponentState().Contains(csDesigning);
  std::vector<TfcCustomBitBtn*> shown;
  for (int i = 0; i < GetCount(); ++i) {
    TfcCustomBitBtn* button = GetItem(i)->GetButton();
    if (button && (designing || button->GetVisible())) shown.push_back(button);
  }
  const std::vector<TRect> places =
      GroupLayout(GetCount(), FGroup->GetColumns(), FGroup->GetLayout(),
                  client.Width() - 2 * border, client.Height() - 2 * border, border,
                  FGroup->GetControlSpacing(), FGroup->GetMaxControlSize());
  for (size_t i = 0; i < shown.size() && i < places.size(); ++i)
    shown[i]->SetBoundsRect(places[i]);
}

// ---- TfcCustomButtonGroup ---------------------------------------------------------------------------------

const TPropertyTable* TfcCustomButtonGroup::PublishedProperties() {
  using P = TPublish<TfcCustomButtonGroup>;
  using C = TfcCustomButtonGroup;
  static const TPropertyTable table{
      P::Boolean(L"AutoBold", &C::GetAutoBold, &C::SetAutoBold).Default(true),
      // The group starts without bevels, so only a bevel other than none is written: with the
      // panel's default (raised) a raised bevel would not be stored and read back as none.
      P::Enum(L"BevelOuter", BevelIdents, &C::GetBevelOuter, &C::SetBevelOuter).Default(bvNone),
      P::Text(L"ButtonClassName", &C::GetButtonClassName, &C::SetButtonClassName),
      P::Enum(L"ClickStyle", fcButtonGroupClickStyleIdents, &C::GetClickStyle, &C::SetClickStyle)
          .Default(bcsRadioGroup),
      P::Integer(L"Columns", &C::GetColumns, &C::SetColumns).Default(1),
      P::Integer(L"ControlSpacing", &C::GetControlSpacing, &C::SetControlSpacing).Default(1),
      P::Enum(L"Layout", fcLayoutIdents, &C::GetLayout, &C::SetLayout).Default(loVertical),
      P::Integer(L"MaxControlSize", &C::GetMaxControlSize, &C::SetMaxControlSize).Default(0),
      P::Boolean(L"Transparent", &C::GetTransparentFlag, &C::SetTransparent).Default(true),
      P::Method(L"OnChanging", [](C* c) { return c->OnChanging; },
                [](C* c, TfcButtonGroupChangeEvent e) { c->OnChanging = std::move(e); }),
      P::Method(L"OnChange", [](C* c) { return c->OnChange; },
                [](C* c, TfcButtonGroupChangeEvent e) { c->OnChange = std::move(e); }),
  };
  return &table;
}

TfcCustomButtonGroup::TfcCustomButtonGroup(TComponent* owner)
    : TfcCustomTransparentPanel(owner), FButtonClass(TfcShapeBtn::StaticClassInfo()) {
  FButtonItems = std::make_unique<TfcButtonGroupItems>(this);
  FButtonItems->SetPropName(L"ButtonItems");
  FLink = std::make_unique<TfcChangeLink>();
  FLink->OnChange = [this](TObject* sender) {
    if (auto* button = dynamic_cast<TfcCustomBitBtn*>(sender)) ButtonChanged(button);
  };
  FLink->OnDown = [this](TObject* sender) {
    if (auto* button = dynamic_cast<TfcCustomBitBtn*>(sender)) ButtonChanging(button);
  };
  SetBevelInner(bvNone);
  SetBevelOuter(bvNone);
  TControlStyle style = GetControlStyle();
  style.Exclude(csSetCaption);
  SetControlStyle(style);
  SetBounds(GetLeft(), GetTop(), 75, 100);
  SetTabStop(true);
}

TfcCustomButtonGroup::~TfcCustomButtonGroup() {
  FButtonItems->SetInLayout(true);
  FButtonItems->Clear();
  FLink.reset();
}

bool TfcCustomButtonGroup::GetTransparent() const {
  return GetTransparentFlag() && !GetComponentState().Contains(csDesigning);
}

void TfcCustomButtonGroup::Loaded() {
  inherited::Loaded();
  // A button of the class that has no item yet takes the first item without a button.
  for (int i = 0; i < GetControlCount(); ++i) {
    auto* button = dynamic_cast<TfcCustomBitBtn*>(GetControl(i));
    if (!button || FButtonItems->FindButton(button) || !button->ClassInfo()->InheritsFrom(FButtonClass))
      continue;
    for (int j = 0; j < FButtonItems->GetCount(); ++j) {
      if (!FButtonItems->GetItem(j)->GetButton()) {
        FButtonItems->GetItem(j)->SetButton(button);
        break;
      }
    }
  }
  FButtonItems->SetInLayout(false);
}

void TfcCustomButtonGroup::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (int i = 0; i < FButtonItems->GetCount(); ++i)
    if (TfcCustomBitBtn* button = FButtonItems->GetItem(i)->GetButton()) SetChildOrder(button, i);
  inherited::GetChildren(proc, root);
}

void TfcCustomButtonGroup::SetAutoBold(bool value) {
  FAutoBold = value;
  ApplyAutoBold(true);
}

String TfcCustomButtonGroup::GetButtonClassName() const {
  return FButtonClass ? String(FButtonClass->Name) : String();
}

void TfcCustomButtonGroup::SetButtonClassName(const String& value) {
  const TClassInfo* cls = GetClass(value);
  // An unknown name, or a class that is no button, keeps the class there is.
  if (!cls || !cls->InheritsFrom(TfcCustomBitBtn::StaticClassInfo()) || !cls->CreateComponent)
    return;
  SetButtonClass(cls);
}

void TfcCustomButtonGroup::SetButtonClass(const TClassInfo* value) {
  // The same class clears the items too: setting the class always starts the pad afresh.
  FButtonClass = value;
  if (!IsLoading()) FButtonItems->Clear();
}

void TfcCustomButtonGroup::SetButtonItems(TfcButtonGroupItems* value) {
  if (value) FButtonItems->Assign(value);
}

void TfcCustomButtonGroup::SetClickStyle(TfcButtonGroupClickStyle value) {
  if (value == FClickStyle) return;
  FClickStyle = value;
  for (int i = 0; i < FButtonItems->GetCount(); ++i)
    if (TfcCustomBitBtn* button = FButtonItems->GetItem(i)->GetButton())
      ApplyClickStyle(button, value, i + 1);
}

void TfcCustomButtonGroup::SetColumns(int value) {
  if (value == FColumns || value < 0) return;
  FColumns = value;
  if (!IsLoading()) FButtonItems->UpdateLayout();
}

void TfcCustomButtonGroup::SetControlSpacing(int value) {
  FControlSpacing = value;
  FButtonItems->UpdateLayout();
}

void TfcCustomButtonGroup::SetLayout(TfcLayout value) {
  FLayout = value;
  if (!IsLoading()) FButtonItems->UpdateLayout();
}

void TfcCustomButtonGroup::SetMaxControlSize(int value) {
  FMaxControlSize = value;
  FButtonItems->UpdateLayout();
}

TfcButtonGroupItem* TfcCustomButtonGroup::GetSelected() const {
  for (int i = 0; i < FButtonItems->GetCount(); ++i)
    if (FButtonItems->GetItem(i)->GetSelected()) return FButtonItems->GetItem(i);
  return nullptr;
}

TSize TfcCustomButtonGroup::SizeToButtons(TfcCustomBitBtn* button, bool apply) {
  if (!button && FButtonItems->GetCount() > 0) button = FButtonItems->GetItem(0)->GetButton();
  if (!button || FColumns < 1) return TSize{GetWidth(), GetHeight()};
  const int spacing = FControlSpacing;
  const int lines = CeilDiv(FButtonItems->GetCount(), FColumns);
  TSize size;
  if (FLayout == loHorizontal) {
    size.cx = lines * (button->GetWidth() + spacing) - spacing;
    size.cy = FColumns * (button->GetHeight() + spacing) - spacing;
  } else {
    size.cx = FColumns * (button->GetWidth() + spacing) - spacing;
    size.cy = lines * (button->GetHeight() + spacing) - spacing;
  }
  if (apply) SetBounds(GetLeft(), GetTop(), size.cx, size.cy);
  return size;
}

void TfcCustomButtonGroup::LeaveOthers(TfcCustomBitBtn* button) {
  for (int i = 0; i < FButtonItems->GetCount(); ++i)
    if (FButtonItems->GetItem(i)->GetButton() != button) Perform(CM_MOUSELEAVE, 0, 0);
}

void TfcCustomButtonGroup::ApplyAutoBold(bool value) {
  if (!value) return;
  for (int i = 0; i < FButtonItems->GetCount(); ++i) {
    TfcCustomBitBtn* button = FButtonItems->GetItem(i)->GetButton();
    if (!button) continue;
    TFontStyles style = button->GetFont()->GetStyle();
    if (style.Contains(fsBold)) {
      style.Exclude(fsBold);
      button->GetFont()->SetStyle(style);
    }
  }
  TfcButtonGroupItem* selected = GetSelected();
  if (selected && selected->GetButton() && FAutoBold && FClickStyle == bcsRadioGroup) {
    TFontStyles style = selected->GetButton()->GetFont()->GetStyle();
    style.Include(fsBold);
    selected->GetButton()->GetFont()->SetStyle(style);
  }
}

void TfcCustomButtonGroup::ButtonChanging(TfcCustomBitBtn* button) {
  if (IsLoading()) return;
  if (TfcButtonGroupItem* selected = GetSelected()) FOldSelected = selected;
  DoChanging(FOldSelected, FButtonItems->FindButton(button));
}

void TfcCustomButtonGroup::ButtonChanged(TfcCustomBitBtn* button) {
  if (IsLoading() || !button->GetSelected()) return;
  FButtonItems->UpdateLayout();
  ApplyAutoBold(FAutoBold);
  // OldSelected is taken only when a button goes down (ButtonChanging): a button chosen
  // again after the selection was emptied reports a change.
  TfcButtonGroupItem* item = FButtonItems->FindButton(button);
  if (item != FOldSelected) DoChange(FOldSelected, item);
}

void TfcCustomButtonGroup::DoChanging(TfcButtonGroupItem* oldSelected, TfcButtonGroupItem* selected) {
  if (OnChanging) OnChanging(this, oldSelected, selected);
}

void TfcCustomButtonGroup::DoChange(TfcButtonGroupItem* oldSelected, TfcButtonGroupItem* selected) {
  if (OnChange) OnChange(this, oldSelected, selected);
}

void TfcCustomButtonGroup::AlignControls(TControl* control, TRect& rect) {
  inherited::AlignControls(control, rect);
  if (IsLoading() || FButtonItems->InLayout() || FButtonItems->Adding() ||
      FButtonItems->Deleting())
    return;
  auto* button = dynamic_cast<TfcCustomBitBtn*>(control);
  if (!button || !FButtonItems->FindButton(button)) return;
  if (FButtonClass && button->ClassInfo()->InheritsFrom(FButtonClass)) SizeToButtons(button, true);
  FButtonItems->UpdateLayout();
}

void TfcCustomButtonGroup::Resize() {
  inherited::Resize();
  if (!GetComponentState().Contains(csDestroying)) FButtonItems->UpdateLayout();
}

void TfcCustomButtonGroup::CMBorderChanged(TMessage& message) {
  inherited::CMBorderChanged(message);
  FButtonItems->UpdateLayout();
}

void TfcCustomButtonGroup::KeyDown(WORD& key, TShiftState shift) {
  inherited::KeyDown(key, shift);
  const int count = FButtonItems->GetCount();
  if (count == 0) return;
  TfcButtonGroupItem* selected = GetSelected();
  const int current = selected ? selected->GetIndex() : -1;
  int target;
  switch (key) {
    case VK_END: target = count - 1; break;
    case VK_HOME: target = 0; break;
    case VK_LEFT:
    case VK_UP: target = current - 1; break;
    case VK_RIGHT:
    case VK_DOWN: target = current + 1; break;
    default: return;
  }
  if (!selected) target = 0;
  if (target < 0) target = count - 1;
  if (target >= count) target = 0;
  FButtonItems->GetItem(target)->SetSelected(true);
}

void TfcCustomButtonGroup::Paint() {
  inherited::Paint();
  if (!GetTransparent()) return;
  for (int i = 0; i < FButtonItems->GetCount(); ++i)
    if (TfcCustomBitBtn* button = FButtonItems->GetItem(i)->GetButton()) button->Invalidate();
}

void TfcCustomButtonGroup::ControlChange(TMessage& message) {
  // A button read from the layout becomes an item, in child order.
  auto* control = reinterpret_cast<TControl*>(message.WParam);
  if (!message.LParam || !IsLoading() || FButtonItems->Adding()) return;
  auto* button = dynamic_cast<TfcCustomBitBtn*>(control);
  if (button && !FButtonItems->FindButton(button)) FButtonItems->AddForButton(button);
}

void TfcCustomButtonGroup::ControlListChange(TMessage& message) {
  auto* control = reinterpret_cast<TControl*>(message.WParam);
  auto* button = dynamic_cast<TfcCustomBitBtn*>(control);
  if (!button) return;
  if (message.LParam) {
    button->AddObserver(FLink.get());
    return;
  }
  button->RemoveObserver(FLink.get());
  if (FButtonItems->Deleting()) return;
  if (TfcButtonGroupItem* item = FButtonItems->FindButton(button)) {
    if (item == FOldSelected) FOldSelected = nullptr;
    FButtonItems->SetDeleting(true);
    item->SetButton(nullptr);
    delete item;
    FButtonItems->SetDeleting(false);
    Invalidate();
  }
}

void TfcCustomButtonGroup::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_CONTROLCHANGE:
      inherited::Dispatch(message);
      ControlChange(message);
      break;
    case CM_CONTROLLISTCHANGE:
      inherited::Dispatch(message);
      ControlListChange(message);
      break;
    case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS; break;
    default: inherited::Dispatch(message); break;
  }
}
