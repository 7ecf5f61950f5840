#include "OwnerDrawItems.h"

#include "../classes/StringList.h"
#include "../system/SysMath.h"

TOwnerDrawState OwnerDrawStateOf(UINT itemState) {
  TOwnerDrawState state;
  for (int bit = odSelected; bit <= odComboBoxEdit; ++bit)
    if (itemState & (1u << bit)) state.Include(static_cast<TOwnerDrawStateItem>(bit));
  return state;
}

namespace {

// Gives the canvas back its own DC when the drawing of an item ends.
class TCanvasDCScope {
 public:
  TCanvasDCScope(TCanvas* canvas, HDC dc) : FCanvas(canvas) { FCanvas->SetHandle(dc); }
  ~TCanvasDCScope() { FCanvas->SetHandle(nullptr); }
  TCanvasDCScope(const TCanvasDCScope&) = delete;
  TCanvasDCScope& operator=(const TCanvasDCScope&) = delete;

 private:
  TCanvas* FCanvas;
};

}  // namespace

TOwnerDrawItems::TOwnerDrawItems(TWinControl* control, TStrings* items)
    : FControl(control), FItems(items), FCanvas(std::make_unique<TCanvas>()) {}

TOwnerDrawItems::~TOwnerDrawItems() = default;

void TOwnerDrawItems::DrawRequested(TMessage& message, const TItemDrawer& drawItem) {
  auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
  if (!item) return;
  const TOwnerDrawState state = OwnerDrawStateOf(item->itemState);
  const int index = static_cast<int>(item->itemID);
  TCanvasDCScope scope(FCanvas.get(), item->hDC);
  FCanvas->SetFont(FControl->GetFont());
  FCanvas->SetBrush(FControl->GetBrush());
  if (index >= 0 && state.Contains(odSelected)) {
    FCanvas->GetBrush()->SetColor(clHighlight);
    FCanvas->GetFont()->SetColor(clHighlightText);
  }
  if (index >= 0)
    drawItem(index, item->rcItem, state);
  else
    FCanvas->FillRect(item->rcItem);
  if (state.Contains(odFocused)) ::DrawFocusRect(item->hDC, &item->rcItem);
  message.Result = TRUE;
}

void TOwnerDrawItems::MeasureRequested(TMessage& message, int itemHeight, bool variableHeight,
                                       const TItemMeasurer& measureItem) {
  auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
  if (!item) return;
  int height = itemHeight;
  if (variableHeight) measureItem(static_cast<int>(item->itemID), height);
  item->itemHeight = static_cast<UINT>(Max(0, Min(height, MaxListItemHeight)));
  message.Result = TRUE;
}

void TOwnerDrawItems::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
  if (FOnDrawItem) {
    FOnDrawItem(FControl, index, rect, state);
    return;
  }
  FCanvas->FillRect(rect);
  if (index < FItems->GetCount()) FCanvas->TextOut(rect.Left + 2, rect.Top, FItems->Get(index));
}

void TOwnerDrawItems::MeasureItem(int index, int& height) {
  if (FOnMeasureItem) FOnMeasureItem(FControl, index, height);
}
