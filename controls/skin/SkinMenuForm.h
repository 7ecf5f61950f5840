// The popup window of the skin-drawn items: TSeSkinPopupWindow keeps the engine of the item
// that opened it and a private copy of the skin object "PopupMenu", whose child "Frame" gives
// the window its border widths (the margins) and paints its frame. Without that object the
// window is the plain popup window.
#pragma once
#include "SkinEngine.h"
#include "SkinMenus.h"

// The client rectangle of a popup of width x height framed by popupMenu (a copy of
// "PopupMenu"): inside the margins of its child "Frame", or 3 pixels in without one.
TRect SkinPopupClientRect(TSeSkinObject* popupMenu, int width, int height);
// Paints the child "Frame" of popupMenu over (0, 0, width, height); false when there is none.
bool PaintSkinPopupFrame(TSeSkinObject* popupMenu, TCanvas* canvas, int width, int height);

class TSeSkinPopupWindow : public TSePopupWindow {
  CLASSLIB_CLASS(TSeSkinPopupWindow, TSePopupWindow)
  TSeSkinPopupWindow(TComponent* owner, TSeItemView* parentView, TSeCustomItem* item);
  ~TSeSkinPopupWindow() override;
  static TSePopupWindow* Make(TComponent* owner, TSeItemView* parentView, TSeCustomItem* item);

  TSeLumaweave* GetLumaweave() const { return FSkin.Engine(); }
  // The copy of "PopupMenu" while the engine has a skin with it; else nullptr.
  TSeSkinObject* FrameSkin() const;
  void Dispatch(TMessage& message) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  void Paint() override;

 private:
  TSeSkinClient FSkin{L"PopupMenu"};
};
