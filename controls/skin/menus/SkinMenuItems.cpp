#include "SkinMenuItems.h"

#include "SkinMenuData.h"
#include "SkinMenuForm.h"
#include "controls/skin/engine/SkinDrawing.h"

namespace {

constexpr int SubmenuArea = 22;  // the arrow's area at the item's right

// A caption's width as a skin object draws it (single line, "&" marking the accelerator).
int SkinTextWidth(TCanvas* canvas, const String& text) {
  return text.empty() ? 0 : TextWidthEx(canvas, text, DT_SINGLELINE);
}

String ShortCutText(TShortCut shortCut) { return shortCut != scNone ? ShortCutToText(shortCut) : String(); }

// Paints a copy the items of a menu share, then gives it back its bounds and left text margin:
// measuring reads the object's size, and one item's rectangle or image column must not stay
// in it for the next item.
class TPaintScope {
 public:
  TPaintScope(TSeSkinObject* object, int minimumMargin)
      : FObject(object), FBounds(object->GetBoundsRect()), FMargin(object->GetTextMarginLeft()) {
    if (minimumMargin > FMargin) object->SetTextMarginLeft(minimumMargin);
  }
  ~TPaintScope() {
    FObject->SetTextMarginLeft(FMargin);
    FObject->SetBoundsRect(FBounds);
  }
  TPaintScope(const TPaintScope&) = delete;
  TPaintScope& operator=(const TPaintScope&) = delete;

  // Gives the object the rectangle, text and state and paints it.
  void Paint(TCanvas* canvas, const TRect& r, const String& text, uint8_t state) {
    FObject->SetBoundsRect(r);
    FObject->SetText(text);
    FObject->SetState(state);
    FObject->Paint(canvas);
  }

 private:
  TSeSkinObject* FObject;
  TRect FBounds;
  int FMargin;
};

void PaintObject(TSeSkinObject* object, TCanvas* canvas, const TRect& r, const String& text, uint8_t state,
                 int minimumMargin = 0) {
  TPaintScope(object, minimumMargin).Paint(canvas, r, text, state);
}

}  // namespace

uint8_t SkinItemState(bool selected, bool hot) { return !selected ? 0 : hot ? 5 : 7; }

void SetTreeSkin(TSeCustomItem* root, const TSeMenuSkinObjects& skin) {
  if (!root) return;
  if (auto* item = dynamic_cast<TSeSkinItem*>(root)) item->SetSkin(skin);
  for (int i = 0; i < root->GetCount(); ++i) SetTreeSkin(root->GetItem(i), skin);
}

TSeSkinItem::~TSeSkinItem() { SetSkin({}); }

void TSeSkinItem::Watch(TSeSkinObject*& field, TSeSkinObject* value) {
  if (field == value) return;
  if (field) field->RemoveFreeNotification(this);
  field = value;
  if (field) field->FreeNotification(this);
}

void TSeSkinItem::SetSkin(const TSeMenuSkinObjects& skin) {
  if (FEngine != skin.Engine) {
    if (FEngine) FEngine->RemoveFreeNotification(this);
    FEngine = skin.Engine;
    if (FEngine) FEngine->FreeNotification(this);
  }
  Watch(FMenuBar, skin.MenuBar);
  Watch(FBarItem, skin.BarItem);
  Watch(FPopupItem, skin.PopupItem);
  Watch(FSeparator, skin.Separator);
  FUseSkin = skin.UseSkin;
}

void TSeSkinItem::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove || !component) return;
  if (component == FEngine) {
    // The objects came from the engine's skin: nothing is drawn from them any more.
    FEngine = nullptr;
    SetSkin({});
    return;
  }
  for (TSeSkinObject** field : {&FMenuBar, &FBarItem, &FPopupItem, &FSeparator})
    if (*field == component) *field = nullptr;
}

bool TSeSkinItem::UseSkin() const {
  const TComponentState state = GetComponentState();
  if (state.Contains(csLoading) || state.Contains(csDestroying)) return false;
  if (!FEngine || !FEngine->GetSkinSource()) return false;
  const TSeSkinSource* source = FEngine->GetSkinSource();
  if (source->GetUpdating() || source->Count() == 0) return false;
  return FMenuBar && FUseSkin;
}

// ---- Measuring ----------------------------------------------------------------------------------

void TSeSkinItem::MeasureItem(TCanvas* canvas, TSeItemView* view, int& height, int& width) {
  const bool useSkin = UseSkin();
  if (useSkin && view->GetMenuBarLook() && FBarItem) {
    canvas->SetFont(FBarItem->GetFont());
    width = SkinTextWidth(canvas, GetCaption()) + FBarItem->GetTextMarginLeft() + FBarItem->GetTextMarginRight();
    height = FBarItem->GetHeight();
    if (GetSystemKind() != sysNone) width = height;
    return;
  }
  if (useSkin && !view->GetMenuBarLook() && FPopupItem) {
    canvas->SetFont(FPopupItem->GetFont());
    width = SkinTextWidth(canvas, GetCaption()) + ImageSize() + 20 + TextWidthEx(canvas, ShortCutText(GetShortCut()), DT_SINGLELINE | DT_NOPREFIX) +
            SubmenuArea;
    height = FPopupItem->GetHeight();
    if (ImageSize() - 4 > height && !IsSeparator()) height = ImageSize() + 4;
    return;
  }
  inherited::MeasureItem(canvas, view, height, width);
}

// ---- Painting -------------------------------------------------------------------------------------

void TSeSkinItem::DrawItem(TCanvas* canvas, TSeItemView* view, const TRect& r, bool selected, bool hot) {
  const uint8_t state = SkinItemState(selected, hot);
  if (UseSkin()) {
    if (view->GetMenuBarLook()) {
      if (DrawBarItemSkinned(canvas, r, state)) return;
    } else if (FPopupItem) {
      DrawPopupItemSkinned(canvas, r, state);
      return;
    }
  }
  inherited::DrawItem(canvas, view, r, selected, hot);
}

bool TSeSkinItem::DrawBarItemSkinned(TCanvas* canvas, const TRect& r, uint8_t state) {
  const TSeSystemKind kind = GetSystemKind();
  if (kind == sysNone || kind == sysChildIcon) {
    if (!FBarItem) return false;
    canvas->SetFont(FBarItem->GetFont());
    FBarItem->SetEnabled(GetEnabled());
    PaintObject(FBarItem, canvas, r, GetCaption(), state);
    if (kind == sysChildIcon) {
      if (HICON icon = CopyChildIcon(GetMdiForm())) {
        const int left = r.Left + (RectWidth(r) - 16) / 2, top = r.Top + (RectHeight(r) - 16) / 2;
        ::DrawIconEx(canvas->GetHandle(), left, top, icon, 16, 16, 0, nullptr, DI_NORMAL);
        ::DestroyIcon(icon);
      }
    }
    return true;
  }
  static constexpr const wchar_t* Buttons[] = {nullptr, L"Close", L"Restore", L"Min"};
  TSeSkinObject* button = FMenuBar->FindObject(Buttons[kind]);
  if (!button) return false;
  PaintObject(button, canvas, r, button->GetText(), state);
  return true;
}

void TSeSkinItem::DrawPopupItemSkinned(TCanvas* canvas, const TRect& r, uint8_t state) {
  canvas->SetFont(FPopupItem->GetFont());
  if (IsSeparator()) {
    // Its own object when the skin has one, else the item object's separator line. The item
    // object is shared by the rows: the enabled flag and shortcut of the row painted before
    // are cleared, or the line would show them.
    FPopupItem->SetEnabled(true);
    FPopupItem->SetText2(String());
    if (FSeparator) PaintObject(FSeparator, canvas, r, FSeparator->GetText(), 0);
    else PaintObject(FPopupItem, canvas, r, GetCaption(), 0);
    return;
  }
  FPopupItem->SetEnabled(GetEnabled());
  FPopupItem->SetText2(ShortCutText(GetShortCut()));
  PaintObject(FPopupItem, canvas, r, GetCaption(), state, ImageSize());
  const TColor color = canvas->GetFont()->GetColor();
  DrawGlyph(canvas, r, color);
  if (GetCount() > 0) DrawSubmenuArrowOver(canvas, TRect(r.Right - SubmenuArea, r.Top, r.Right, r.Bottom), color);
}

void TSeSkinItem::DrawGlyph(TCanvas* canvas, const TRect& r, TColor color) {
  TCustomImageList* images = EffectiveImages();
  const bool hasImage = images && GetImageIndex() >= 0;
  if (!GetChecked() && !hasImage) return;
  const TRect column(r.Left, r.Top, r.Left + ImageSize(), r.Bottom);
  if (hasImage) {
    images->Draw(canvas, column.Left + (RectWidth(column) - images->GetWidth()) / 2,
                 column.Top + (RectHeight(column) - images->GetHeight()) / 2, GetImageIndex(), GetEnabled());
    return;
  }
  const TPoint centre(column.Left + RectWidth(column) / 2 - 2, column.Top + RectHeight(column) / 2 + 1);
  DrawMenuCheckMark(canvas, centre, color, color);
}

void TSeSkinItem::DrawScrollButton(TCanvas* canvas, TSeItemView* view, bool pressed, int direction, const TRect& r) {
  if (!UseSkin() || !FPopupItem) {
    inherited::DrawScrollButton(canvas, view, pressed, direction, r);
    return;
  }
  // The item object without its text is the button's face.
  FPopupItem->SetText2(String());
  FPopupItem->SetEnabled(true);
  PaintObject(FPopupItem, canvas, r, String(), pressed ? 7 : 0);
  DrawScrollTriangle(canvas, r, direction, FPopupItem->GetFont()->GetColor());
}

TSePopupWindowClass TSeSkinItem::PopupWindowClass() const { return &TSeSkinPopupWindow::Make; }
