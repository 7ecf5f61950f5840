// The popup window of the skin-drawn items: TSeSkinPopupWindow keeps the engine of the item
// that opened it and a private copy of the skin object "PopupMenu"; its decoration
// TSeSkinPopupForm takes the frame's widths from the margins of that object's child "Frame"
// and paints the frame with it. Without the object both are the plain popup window and form.
#pragma once
#include "SkinPopupWindow.h"
#include "controls/skin/engine/SkinEngine.h"

// The client rectangle of a popup of width x height framed by popupMenu (a copy of
// "PopupMenu"): inside the margins of its child "Frame", or 3 pixels in without one.
TRect SkinPopupClientRect(TSeSkinObject* popupMenu, int width, int height);
// Paints the child "Frame" of popupMenu over (0, 0, width, height); false when there is none.
bool PaintSkinPopupFrame(TSeSkinObject* popupMenu, TCanvas* canvas, int width, int height);

class TSeSkinPopupWindow;

// The decoration of a skinned popup window: client rectangle and frame from the window's copy
// of "PopupMenu" (see above); without it, the plain popup decoration.
class TSeSkinPopupForm : public TSePopupForm {
  CLASSLIB_CLASS(TSeSkinPopupForm, TSePopupForm)
  explicit TSeSkinPopupForm(TSePopupWindow* window) : TSePopupForm(window) {}
  static TSePopupForm* Make(TSePopupWindow* window) { return new TSeSkinPopupForm(window); }

  TRect ClientRectOf(const TSeFrameLayout& layout) const override;
  void PaintFrame(TCanvas* canvas) override;

 private:
  // The copy of "PopupMenu" of the window while it draws from a skin; else nullptr.
  TSeSkinObject* FrameSkin() const;
};

class TSeSkinPopupWindow : public TSePopupWindow {
  CLASSLIB_CLASS(TSeSkinPopupWindow, TSePopupWindow)
  // Keeps the engine of item (a TSeSkinItem) and a copy of its "PopupMenu".
  TSeSkinPopupWindow(TComponent* owner, TSeItemView* parentView, TSeCustomItem* item);
  ~TSeSkinPopupWindow() override;
  static TSePopupWindow* Make(TComponent* owner, TSeItemView* parentView, TSeCustomItem* item);

  TSeLumaweave* GetLumaweave() const { return FSkin.Engine(); }
  // The copy of "PopupMenu" while the engine has a skin with it; else nullptr.
  TSeSkinObject* FrameSkin() const;
  // The engine's change messages: the menu's item copies and the frame's copy follow it, and
  // the window takes its new frame and size.
  void Dispatch(TMessage& message) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // Lays the items out again and takes the frame's widths afresh (after a skin change).
  void TakeNewFrame();

  TSeSkinClient FSkin{L"PopupMenu"};
};
