// The owner drawing the list controls share (list box, combo box): the types of an item's
// draw state and of the draw and measure events, and TOwnerDrawItems, which answers the
// system's draw and measure requests for one control.
//
// An item is drawn on the control's canvas while the canvas holds the DC of the request:
// with the control's font and brush, in the highlight colours when the item is selected,
// and with the focus rectangle drawn over it last. A measured height is kept within what
// the system's lists can draw.
#pragma once
#include <functional>
#include <memory>
#include "../classes/Sets.h"
#include "../controls/Controls.h"

class TStrings;

// ---- Owner-draw types --------------------------------------------------------------------------
// The state of an item being drawn: bit n of the system's ODS_ flags is item n.
enum TOwnerDrawStateItem {
  odSelected,
  odGrayed,
  odDisabled,
  odChecked,
  odFocused,
  odDefault,
  odHotLight,
  odInactive,
  odNoAccel,
  odNoFocusRect,
  odReserved1,
  odReserved2,
  odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
TOwnerDrawState OwnerDrawStateOf(UINT itemState);
// The tallest item the system's lists draw; measured heights are kept within 0..this.
inline constexpr int MaxListItemHeight = 255;

using TDrawItemEvent =
    std::function<void(TWinControl* control, int index, TRect rect, TOwnerDrawState state)>;
using TMeasureItemEvent = std::function<void(TWinControl* control, int index, int& height)>;

// ---- TOwnerDrawItems ---------------------------------------------------------------------------
// The owner drawing of one list control: its canvas and its OnDrawItem and OnMeasureItem.
// The control holds this object and calls it from its CN_DRAWITEM and CN_MEASUREITEM
// handlers and from its DrawItem and MeasureItem.
class TOwnerDrawItems {
 public:
  // The control's own DrawItem / MeasureItem (virtual there, so a derived control's).
  using TItemDrawer = std::function<void(int index, const TRect& rect, TOwnerDrawState state)>;
  using TItemMeasurer = std::function<void(int index, int& height)>;

  // control: the list control that holds this object; items: its Items. Neither is owned;
  // both outlive this object.
  TOwnerDrawItems(TWinControl* control, TStrings* items);
  ~TOwnerDrawItems();
  TOwnerDrawItems(const TOwnerDrawItems&) = delete;
  TOwnerDrawItems& operator=(const TOwnerDrawItems&) = delete;

  // ---- Attributes ------------------------------------------------------------------------------
  // Draws owner-drawn items (valid while an item is drawn). Owned.
  TCanvas* GetCanvas() const { return FCanvas.get(); }
  const TDrawItemEvent& GetOnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(TDrawItemEvent handler) { FOnDrawItem = std::move(handler); }
  const TMeasureItemEvent& GetOnMeasureItem() const { return FOnMeasureItem; }
  void SetOnMeasureItem(TMeasureItemEvent handler) { FOnMeasureItem = std::move(handler); }

  // ---- Operations ------------------------------------------------------------------------------
  // Answers CN_DRAWITEM (LParam: the system's DRAWITEMSTRUCT; none is ignored). drawItem
  // draws an item on the prepared canvas; the place of no item (the focus of an empty
  // list) is only filled. The result is TRUE.
  void DrawRequested(TMessage& message, const TItemDrawer& drawItem);
  // Answers CN_MEASUREITEM (LParam: the system's MEASUREITEMSTRUCT; none is ignored) with
  // itemHeight, or for a variable-height list with what measureItem makes of it. The
  // result is TRUE.
  void MeasureRequested(TMessage& message, int itemHeight, bool variableHeight,
                        const TItemMeasurer& measureItem);
  // A control's DrawItem unless a derived control overrides it: OnDrawItem, or the item's
  // text on the prepared canvas.
  void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
  // A control's MeasureItem unless a derived control overrides it: OnMeasureItem.
  void MeasureItem(int index, int& height);

 private:
  TWinControl* FControl;             // the list control; not owned
  TStrings* FItems;                  // its Items; not owned
  std::unique_ptr<TCanvas> FCanvas;  // the canvas items are drawn on
  TDrawItemEvent FOnDrawItem;        // draws an item instead of the text
  TMeasureItemEvent FOnMeasureItem;  // gives a variable-height item its height
};
