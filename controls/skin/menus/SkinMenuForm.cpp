#include "SkinMenuForm.h"

#include "SkinMenuItems.h"
#include "SkinMenuSkin.h"
#include "controls/skin/engine/SkinDrawing.h"

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

// ---- TSeSkinPopupForm ---------------------------------------------------------------------------

TSeSkinObject* TSeSkinPopupForm::FrameSkin() const {
  auto* window = dynamic_cast<TSeSkinPopupWindow*>(GetPopupWindow());
  return window ? window->FrameSkin() : nullptr;
}

TRect TSeSkinPopupForm::ClientRectOf(const TSeFrameLayout& layout) const {
  if (TSeSkinObject* skin = FrameSkin()) return SkinPopupClientRect(skin, layout.Width, layout.Height);
  return inherited::ClientRectOf(layout);
}

void TSeSkinPopupForm::PaintFrame(TCanvas* canvas) {
  const TSeFrameLayout layout = FrameLayout();
  // A skin without a "Frame" gives no frame picture: the plain one is drawn instead.
  if (canvas && PaintSkinPopupFrame(FrameSkin(), canvas, layout.Width, layout.Height)) return;
  inherited::PaintFrame(canvas);
}

// ---- TSeSkinPopupWindow -----------------------------------------------------------------------

TSeSkinPopupWindow::TSeSkinPopupWindow(TComponent* owner, TSeItemView* parentView, TSeCustomItem* item)
    : TSePopupWindow(owner, parentView, item, &TSeSkinPopupForm::Make) {
  if (auto* skinItem = dynamic_cast<TSeSkinItem*>(item)) FSkin.SetEngine(skinItem->GetLumaweave(), *this);
}

TSeSkinPopupWindow::~TSeSkinPopupWindow() { FSkin.SetEngine(nullptr, *this); }

TSePopupWindow* TSeSkinPopupWindow::Make(TComponent* owner, TSeItemView* parentView, TSeCustomItem* item) {
  return new TSeSkinPopupWindow(owner, parentView, item);
}

TSeSkinObject* TSeSkinPopupWindow::FrameSkin() const { return FSkin.UseSkin(*this) ? FSkin.Copy() : nullptr; }

void TSeSkinPopupWindow::Dispatch(TMessage& message) {
  if (message.Msg != SE_SKINCHANGING && message.Msg != SE_SKINCHANGED) {
    inherited::Dispatch(message);
    return;
  }
  // A popup menu is no control: it hears of the change only through its open windows.
  TSeCustomItem* item = GetView() ? GetView()->GetItem() : nullptr;
  if (TSeMenuSkin* skin = MenuSkinOf(item)) skin->HandleSkinMessage(message.Msg, message.LParam);
  FSkin.Handle(message, *this);
  if (message.Msg == SE_SKINCHANGED) TakeNewFrame();
}

void TSeSkinPopupWindow::TakeNewFrame() {
  if (!HandleAllocated() || GetComponentState().Contains(csDestroying)) return;
  LayoutView();
  ::SetWindowPos(GetHandle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  GetDecoration()->RepaintAll();
}

void TSeSkinPopupWindow::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove || !component || component != FSkin.Engine()) return;
  FSkin.Removed(component);
  TakeNewFrame();  // the plain frame and items from now on
}
