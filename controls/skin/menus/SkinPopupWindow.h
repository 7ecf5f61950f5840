// The windows of an open menu: TSePopupWindow, the borderless topmost window that shows one
// level of a menu and never takes activation; TSePopupForm, the form decoration that draws
// its three-pixel frame and paints its items (and gives it the menu's blending, shadow and
// show animation); TSePopupView, the item view that lives in it.
#pragma once
#include "SkinItems.h"
#include "classlib/forms/Forms.h"
#include "controls/skin/form/SkinForm.h"

class TSePopupWindow;
class TSePopupView;
class TSePopupForm;

// Makes the decoration of a popup window (a descendant of TSePopupForm).
using TSePopupFormClass = TSePopupForm* (*)(TSePopupWindow* window);

// The decoration of a popup window: no caption or buttons, not moved or sized by the mouse,
// painted without a buffer; the frame is three one-pixel rings around the items.
class TSePopupForm : public TSeCustomForm {
  CLASSLIB_CLASS(TSePopupForm, TSeCustomForm)
  explicit TSePopupForm(TSePopupWindow* window);
  static TSePopupForm* Make(TSePopupWindow* window) { return new TSePopupForm(window); }

  // The frame's width on each side.
  static constexpr int FrameWidth = 3;

  TSePopupWindow* GetPopupWindow() const { return FPopupWindow; }
  // The window whose caption stays drawn active while the popup is open; may be nullptr.
  HWND GetOwnerWindow() const { return FOwnerWindow; }
  void SetOwnerWindow(HWND value) { FOwnerWindow = value; }

  TRect ClientRectOf(const TSeFrameLayout& layout) const override;
  TSize GetMinTrackSize() const override;
  void PaintFrame(TCanvas* canvas) override;
  void PaintClient(TCanvas* canvas) override;

  // Draws one item of the view at once on the window (no buffer, no blending).
  virtual void PaintItemNow(TSeCustomItem* item);
  // Repaints a rectangle of the client area.
  virtual void RepaintClientRect(const TRect& r);
  // Repaints frame and client and dispatches the paint messages waiting.
  void RepaintAll();

 protected:
  void Dispatch(TMessage& message) override;

 private:
  TSePopupWindow* FPopupWindow;  // the window decorated; owns this
  HWND FOwnerWindow = nullptr;
};

class TSePopupWindow : public TForm {
  CLASSLIB_CLASS(TSePopupWindow, TForm)
  // decorationClass makes the decoration (TSePopupForm when none is given).
  TSePopupWindow(TComponent* owner, TSeItemView* parentView, TSeCustomItem* item,
                 TSePopupFormClass decorationClass = nullptr);
  ~TSePopupWindow() override;
  // The window the item code makes for a popup.
  static TSePopupWindow* Make(TComponent* owner, TSeItemView* parentView, TSeCustomItem* item);

  TSeItemView* GetView() const;
  TSePopupForm* GetDecoration() const { return FDecoration; }
  // Lays the view out; the window takes its size from it.
  void LayoutView();
  // Shows the window without activating it (brought to the front when asked); the frame of
  // the form the menu belongs to is not repainted meanwhile.
  void ShowPopup(bool foreground);
  // The same at a new top left corner (screen coordinates).
  void ShowPopup(int left, int top, bool foreground);
  // Ends the loop of the window's view (and of the views it opened from) and hides the
  // window at once; the window is freed as usual when its loop returns.
  void Withdraw();
  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  TSePopupForm* FDecoration = nullptr;  // owned (component of this form)
  TSePopupView* FView = nullptr;        // owned
};

class TSePopupView : public TSeItemView {
  CLASSLIB_CLASS(TSePopupView, TSeItemView)
  TSePopupView(TSePopupWindow* window, TSeItemView* parentView, TSeCustomItem* item);
  // The window takes the items' size plus the frame and the shadow.
  void SizeChanged(const TSize& size) override;
  // Puts the window so that the first item's corner lands on the screen point.
  void MoveTo(int x, int y);
  bool ClosesWithLoop() const override { return true; }
  void RepaintView() override;
  void RepaintItem(TSeCustomItem* item) override;
  void RepaintScrollButton(int direction) override;

 private:
  TSePopupWindow* FWindow;  // the window the view lives in; not owned
};
