// The skin-object kinds that change with the state or the form's activity: a fill and font
// for the active states, a bitmap with an active picture, the caption buttons of a skinned
// form and a bitmap button with a picture per state.
#pragma once
#include "SkinObjects.h"

// The behaviour caption buttons share: showing by the form's window state and border icons,
// the mouse states (0 normal, 5 hot, 6 pressed) and the action run on release.
class TSeCaptionButton {
 public:
  TSeAction GetAction() const { return FAction; }
  void SetAction(TSeAction value) { FAction = value; }
  uint8_t GetMouseState() const { return FMouse; }

  // The window state of the button's form (0 normal, 1 maximized, 2 minimized, 3 rolled up)
  // shows or hides the button; nothing without a form-skinning component.
  void ShowForWindowState(TSeSkinObject& button, uint8_t windowState) const;
  void MouseEnter(TSeSkinObject& button);
  void MouseLeave(TSeSkinObject& button);
  void MouseDown(TSeSkinObject& button, TMouseButton which);
  // Shows the application's hint (the hint of the control the button lies on) below the
  // button at once.
  static void MouseMove(TSeSkinObject& button);
  // True when the release ends a press on the button: the action is to run.
  bool MouseUp(TSeSkinObject& button, TMouseButton which);
  void DblClick(TSeSkinObject& button, TMouseButton which) const;
  // The form-skinning component's operation for the action; sbaNone and sbaRollPanel do
  // nothing here.
  void Run(TSeSkinObject& button) const;
  // While active the hot or pressed picture when the mouse state asks for it and it is
  // valid; else nullptr.
  const TSeBitmapLink* Picture(bool active, const TSeBitmapLink& hot,
                               const TSeBitmapLink& pressed) const;
  // The state the button paints in: while active 5 when hot and 6 when pressed, while
  // inactive 8; otherwise the window state it holds.
  uint8_t PaintState(bool active, uint8_t windowState) const;
  // The form's small icon (else the class's, else the system's default) centred in r.
  static void PaintFormIcon(TCanvas* canvas, const TRect& r, TWinControl* control);

 private:
  void SetMouse(TSeSkinObject& button, uint8_t value);
  TSeAction FAction = sbaNone;
  uint8_t FMouse = 0;
};

// Painted with ActiveColor and ActiveFont while active or in states 5, 6 and 7.
class TSeActiveObject : public TSeSkinObject {
  CLASSLIB_CLASS(TSeActiveObject, TSeSkinObject)
  static const TPropertyTable* PublishedProperties();
  explicit TSeActiveObject(TComponent* owner);
  ~TSeActiveObject() override;

  TColor GetActiveColor() const { return FActivePair.Color; }
  void SetActiveColor(TColor value) { FActivePair.Color = value; }
  TFont* GetActiveFont() const { return FActivePair.Font.get(); }
  void SetActiveFont(TFont* value) { FActivePair.Font->Assign(value); }

  TFont* GetFont() const override;
  void Assign(TPersistent* source) override;
  void SetCharset(TFontCharset value) override;
  void ShiftHue(int delta) override;

 protected:
  void PaintSelf(TCanvas* canvas) override;

 private:
  TSeColorFont FActivePair;
};

// A bitmap object drawn with ActiveBitmap (when valid) while active or in states 5 and 7.
class TSeActiveBitmap : public TSeBitmapObject {
  CLASSLIB_CLASS(TSeActiveBitmap, TSeBitmapObject)
  static const TPropertyTable* PublishedProperties();
  explicit TSeActiveBitmap(TComponent* owner);
  ~TSeActiveBitmap() override;

  TSeBitmapLink* GetActiveBitmap() const { return FActiveBitmap.get(); }
  void SetActiveBitmap(TSeBitmapLink* value) { FActiveBitmap->Assign(value); }
  TFont* GetActiveFont() const { return FActiveFont.get(); }
  void SetActiveFont(TFont* value) { FActiveFont->Assign(value); }

  TFont* GetFont() const override;
  void Assign(TPersistent* source) override;
  void ResolveLinks() override;
  void SetCharset(TFontCharset value) override;
  void ShiftHue(int delta) override;

 protected:
  const TSeBitmapLink& CurrentBitmap() const override;

 private:
  std::unique_ptr<TSeBitmapLink> FActiveBitmap;
  std::unique_ptr<TFont> FActiveFont;
};

// A caption button of a skinned form. Its state is the form's window state; the mouse
// picks BitmapHot or BitmapPressed while the form is active. It paints in the state of its
// look (TSeCaptionButton::PaintState), so that its font and its children follow the mouse
// and the form's activity, and holds the window state again afterwards.
class TSeSystemButton : public TSeActiveBitmap {
  CLASSLIB_CLASS(TSeSystemButton, TSeActiveBitmap)
  static const TPropertyTable* PublishedProperties();
  explicit TSeSystemButton(TComponent* owner);
  ~TSeSystemButton() override;

  TSeAction GetAction() const { return FButton.GetAction(); }
  void SetAction(TSeAction value) { FButton.SetAction(value); }
  TSeBitmapLink* GetBitmapPressed() const { return FPressed.get(); }
  void SetBitmapPressed(TSeBitmapLink* value) { FPressed->Assign(value); }
  TSeBitmapLink* GetBitmapHot() const { return FHot.get(); }
  void SetBitmapHot(TSeBitmapLink* value) { FHot->Assign(value); }
  uint8_t GetMouseState() const { return FButton.GetMouseState(); }

  void Assign(TPersistent* source) override;
  void ResolveLinks() override;
  void SetState(uint8_t value) override;
  void Paint(TCanvas* canvas) override;
  void MouseEnter() override { FButton.MouseEnter(*this); }
  void MouseLeave() override { FButton.MouseLeave(*this); }
  void MouseDown(TMouseButton which) override { FButton.MouseDown(*this, which); }
  void MouseMove(TShiftState) override { TSeCaptionButton::MouseMove(*this); }
  void MouseUp(TMouseButton which) override;
  void DblClick(TMouseButton which) override { FButton.DblClick(*this, which); }

 protected:
  const TSeBitmapLink& CurrentBitmap() const override;

 private:
  TSeCaptionButton FButton;
  std::unique_ptr<TSeBitmapLink> FPressed, FHot;
};

// A bitmap object with a picture per state: 7 BitmapFocused, 5 BitmapHot, 8 BitmapDisabled,
// 6 BitmapPressed, each only when valid; else Bitmap.
class TSeButtonObject : public TSeBitmapObject {
  CLASSLIB_CLASS(TSeButtonObject, TSeBitmapObject)
  static const TPropertyTable* PublishedProperties();
  explicit TSeButtonObject(TComponent* owner);
  ~TSeButtonObject() override;

  TSeBitmapLink* GetBitmapFocused() const { return FLinks[0].get(); }
  void SetBitmapFocused(TSeBitmapLink* value) { FLinks[0]->Assign(value); }
  TSeBitmapLink* GetBitmapHot() const { return FLinks[1].get(); }
  void SetBitmapHot(TSeBitmapLink* value) { FLinks[1]->Assign(value); }
  TSeBitmapLink* GetBitmapPressed() const { return FLinks[2].get(); }
  void SetBitmapPressed(TSeBitmapLink* value) { FLinks[2]->Assign(value); }
  TSeBitmapLink* GetBitmapDisabled() const { return FLinks[3].get(); }
  void SetBitmapDisabled(TSeBitmapLink* value) { FLinks[3]->Assign(value); }

  void Assign(TPersistent* source) override;
  void ResolveLinks() override;

 protected:
  const TSeBitmapLink& CurrentBitmap() const override;

 private:
  std::unique_ptr<TSeBitmapLink> FLinks[4];  // focused, hot, pressed, disabled
};
