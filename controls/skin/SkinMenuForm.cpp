#include "SkinMenuForm.h"

#include "SkinDrawing.h"
#include "SkinMenuItems.h"
#include "SkinMenuSkin.h"

TRect SkinPopupClientRect(TSeSkinObject* popupMenu, int width, int height) {
  TSeSkinObject* frame = popupMenu ? popupMenu->FindObject(L"Frame") : nullptr;
  if (!frame) return TRect(3, 3, width - 3, height - 3);
  return TRect(frame->GetMarginLeft(), frame->GetMarginTop(), width - frame->GetMarginRight(),
               height - frame->GetMarginBottom());
}

bool PaintSkinPopupFrame(TSeSkinObject* popupMenu, TCanvas* canvas, int width, int height) {
  TSeSkinObject* frame = popupMenu ? popupMenu->FindObject(L"Frame") : nullptr;
  if (!frame) return false;
  frame->SetBoundsRect(TRect(0, 0, width, height));
  frame->Paint(canvas);
  return true;
}

// ---- TSeSkinPopupWindow -----------------------------------------------------------------------

TSeSkinPopupWindow::TSeSkinPopupWindow(TComponent* owner, TSeItemView* parentView, TSeCustomItem* item)
    : TSePopupWindow(owner, parentView, item) {
  if (auto* skinItem = dynamic_cast<TSeSkinItem*>(item)) FSkin.SetEngine(skinItem->GetLumaweave(), *this);
}

TSeSkinPopupWindow::~TSeSkinPopupWindow() { FSkin.SetEngine(nullptr, *this); }

TSePopupWindow* TSeSkinPopupWindow::Make(TComponent* owner, TSeItemView* parentView, TSeCustomItem* item) {
  return new TSeSkinPopupWindow(owner, parentView, item);
}

TSeSkinObject* TSeSkinPopupWindow::FrameSkin() const { return FSkin.UseSkin(*this) ? FSkin.Copy() : nullptr; }

void TSeSkinPopupWindow::Dispatch(TMessage& message) {
  if (message.Msg == SE_SKINCHANGING || message.Msg == SE_SKINCHANGED) {
    // The menu's item copies and the frame's copy follow the engine; a menu that is not a
    // control (a popup menu) hears of the change only here.
    TSeCustomItem* item = GetView() ? GetView()->GetItem() : nullptr;
    if (TSeMenuSkin* skin = MenuSkinOf(item)) skin->HandleSkinMessage(message.Msg, message.LParam);
    FSkin.Handle(message, *this);
    if (message.Msg == SE_SKINCHANGED) LayoutView();
    return;
  }
  inherited::Dispatch(message);
}

void TSeSkinPopupWindow::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove) FSkin.Removed(component);
}

void TSeSkinPopupWindow::Paint() {
  TSeSkinObject* skin = FrameSkin();
  if (!skin) {
    inherited::Paint();
    return;
  }
  TCanvas* canvas = GetCanvas();
  if (!PaintSkinPopupFrame(skin, canvas, GetWidth(), GetHeight())) {
    inherited::Paint();
    return;
  }
  if (GetView()) GetView()->Paint(canvas);
}
