// The second set of skin-object kinds: a placeholder naming a control, bitmap and box kinds
// with their own property names, a form picture with an inactive variant, a caption-button
// kind, an object with an active colour and font, a colour-only button, and a roll panel
// that collapses to a strip.
#pragma once
#include <vector>

#include "SkinActiveObjects.h"

enum TSeRollKind { rkLeft, rkTop, rkRight, rkBottom };
extern const TEnumInfo SeRollKindIdents;

// Stands for the control named LinkControl; draws only in state 1: a white box framed in
// black with the name in it.
class TSeLinkSkinObject : public TSeSkinObject {
  CLASSLIB_CLASS(TSeLinkSkinObject, TSeSkinObject)
  static const TPropertyTable* PublishedProperties();
  explicit TSeLinkSkinObject(TComponent* owner);
  ~TSeLinkSkinObject() override;

  const String& GetLinkControl() const { return FLinkControl; }
  void SetLinkControl(const String& value) { FLinkControl = value; }
  void Assign(TPersistent* source) override;

 protected:
  void PaintSelf(TCanvas* canvas) override;

 private:
  String FLinkControl;
};

// The link's rectangle drawn into the bounds by TileStyle, transparent when Masked.
class TSeBitmapSkinObject : public TSeSkinObject {
  CLASSLIB_CLASS(TSeBitmapSkinObject, TSeSkinObject)
  static const TPropertyTable* PublishedProperties();
  explicit TSeBitmapSkinObject(TComponent* owner);
  ~TSeBitmapSkinObject() override;

  TSeBitmapLink* GetBitmap() const { return FBitmap.get(); }
  void SetBitmap(TSeBitmapLink* value) { FBitmap->Assign(value); }
  TscTileStyle GetTileStyle() const { return FTileStyle; }
  void SetTileStyle(TscTileStyle value) { FTileStyle = value; }

  void Assign(TPersistent* source) override;
  void ResolveLinks() override;
  HRGN CreateRegion() override;

 protected:
  void PaintSelf(TCanvas* canvas) override;
  // The picture for the state; the base shows Bitmap.
  virtual const TSeBitmapLink& CurrentBitmap() const { return *FBitmap; }
  // The picture drawn into the bounds; the box kinds draw it nine-slice.
  virtual void PaintPicture(TCanvas* canvas, const TSeBitmapLink& link);
  void ResolveLink(TSeBitmapLink& link) const { ResolveBitmapLink(GetBitmaps(), link); }

 private:
  std::unique_ptr<TSeBitmapLink> FBitmap;
  TscTileStyle FTileStyle = tsTile;
};

// Drawn with InactiveBitmap (when valid) while the form is not active.
class TSeFormBitmapSkinObject : public TSeBitmapSkinObject {
  CLASSLIB_CLASS(TSeFormBitmapSkinObject, TSeBitmapSkinObject)
  static const TPropertyTable* PublishedProperties();
  explicit TSeFormBitmapSkinObject(TComponent* owner);
  ~TSeFormBitmapSkinObject() override;

  TSeBitmapLink* GetInactiveBitmap() const { return FInactive.get(); }
  void SetInactiveBitmap(TSeBitmapLink* value) { FInactive->Assign(value); }
  void Assign(TPersistent* source) override;
  void ResolveLinks() override;

 protected:
  const TSeBitmapLink& CurrentBitmap() const override;

 private:
  std::unique_ptr<TSeBitmapLink> FInactive;
};

class TSeRollPanelObject;

// A caption button as TSeSystemButton is, with BitmapHover for hot and BitmapDown for
// pressed; sbaRollPanel rolls the roll panel named RollPanel in the same skin.
class TSeSysButtonSkinObject : public TSeBitmapSkinObject {
  CLASSLIB_CLASS(TSeSysButtonSkinObject, TSeBitmapSkinObject)
  static const TPropertyTable* PublishedProperties();
  explicit TSeSysButtonSkinObject(TComponent* owner);
  ~TSeSysButtonSkinObject() override;

  TSeAction GetAction() const { return FButton.GetAction(); }
  void SetAction(TSeAction value) { FButton.SetAction(value); }
  TSeBitmapLink* GetBitmapDown() const { return FDown.get(); }
  void SetBitmapDown(TSeBitmapLink* value) { FDown->Assign(value); }
  TSeBitmapLink* GetBitmapHover() const { return FHover.get(); }
  void SetBitmapHover(TSeBitmapLink* value) { FHover->Assign(value); }
  const String& GetRollPanel() const { return FRollPanel; }
  void SetRollPanel(const String& value) { FRollPanel = value; }
  uint8_t GetMouseState() const { return FButton.GetMouseState(); }
  // The roll panel of that name in the skin this button belongs to; nullptr when there is
  // none or the object of that name is of another kind.
  TSeRollPanelObject* FindRollPanel() const;

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
  std::unique_ptr<TSeBitmapLink> FDown, FHover;
  String FRollPanel;
};

// Painted with ActiveColor and ActiveFont in states 5 and 7; the mouse sets state 5 on
// entering and 0 on leaving.
class TSeActiveSkinObject : public TSeSkinObject {
  CLASSLIB_CLASS(TSeActiveSkinObject, TSeSkinObject)
  static const TPropertyTable* PublishedProperties();
  explicit TSeActiveSkinObject(TComponent* owner);
  ~TSeActiveSkinObject() override;

  TColor GetActiveColor() const { return FActivePair.Color; }
  void SetActiveColor(TColor value) { FActivePair.Color = value; }
  TFont* GetActiveFont() const { return FActivePair.Font.get(); }
  void SetActiveFont(TFont* value) { FActivePair.Font->Assign(value); }

  void Assign(TPersistent* source) override;
  void SetCharset(TFontCharset value) override;
  void ShiftHue(int delta) override;
  void MouseEnter() override;
  void MouseLeave() override;

 protected:
  void PaintSelf(TCanvas* canvas) override;

 private:
  TSeColorFont FActivePair;
};

// A colour and a font per state: 5 hot, 6 pressed, 7 focused, 8 disabled; else Color and
// Font.
class TSeColorButtonObject : public TSeSkinObject {
  CLASSLIB_CLASS(TSeColorButtonObject, TSeSkinObject)
  static const TPropertyTable* PublishedProperties();
  explicit TSeColorButtonObject(TComponent* owner);
  ~TSeColorButtonObject() override;

  TColor GetHotColor() const { return FPairs[0].Color; }
  void SetHotColor(TColor value) { FPairs[0].Color = value; }
  TFont* GetHotFont() const { return FPairs[0].Font.get(); }
  void SetHotFont(TFont* value) { FPairs[0].Font->Assign(value); }
  TColor GetPressedColor() const { return FPairs[1].Color; }
  void SetPressedColor(TColor value) { FPairs[1].Color = value; }
  TFont* GetPressedFont() const { return FPairs[1].Font.get(); }
  void SetPressedFont(TFont* value) { FPairs[1].Font->Assign(value); }
  TColor GetFocusedColor() const { return FPairs[2].Color; }
  void SetFocusedColor(TColor value) { FPairs[2].Color = value; }
  TFont* GetFocusedFont() const { return FPairs[2].Font.get(); }
  void SetFocusedFont(TFont* value) { FPairs[2].Font->Assign(value); }
  TColor GetDisabledColor() const { return FPairs[3].Color; }
  void SetDisabledColor(TColor value) { FPairs[3].Color = value; }
  TFont* GetDisabledFont() const { return FPairs[3].Font.get(); }
  void SetDisabledFont(TFont* value) { FPairs[3].Font->Assign(value); }

  void Assign(TPersistent* source) override;
  void SetCharset(TFontCharset value) override;
  void ShiftHue(int delta) override;

 protected:
  void PaintSelf(TCanvas* canvas) override;

 private:
  TSeColorFont FPairs[4];  // hot, pressed, focused, disabled
};

// The picture drawn nine-slice by the margins: the edges by BorderTileStyle, the centre by
// TileStyle, the corners one to one.
class TSeBitmapBoxObject : public TSeBitmapSkinObject {
  CLASSLIB_CLASS(TSeBitmapBoxObject, TSeBitmapSkinObject)
  static const TPropertyTable* PublishedProperties();
  explicit TSeBitmapBoxObject(TComponent* owner);
  ~TSeBitmapBoxObject() override;

  TscTileStyle GetBorderTileStyle() const { return FBorderTileStyle; }
  void SetBorderTileStyle(TscTileStyle value) { FBorderTileStyle = value; }
  void Assign(TPersistent* source) override;

 protected:
  void PaintPicture(TCanvas* canvas, const TSeBitmapLink& link) override;

 private:
  TscTileStyle FBorderTileStyle = tsTile;
};

// A box drawn with FocusedBitmap (when valid) in states 5 and 7.
class TSeActiveBitmapBoxObject : public TSeBitmapBoxObject {
  CLASSLIB_CLASS(TSeActiveBitmapBoxObject, TSeBitmapBoxObject)
  static const TPropertyTable* PublishedProperties();
  explicit TSeActiveBitmapBoxObject(TComponent* owner);
  ~TSeActiveBitmapBoxObject() override;

  TSeBitmapLink* GetFocusedBitmap() const { return FFocused.get(); }
  void SetFocusedBitmap(TSeBitmapLink* value) { FFocused->Assign(value); }
  void Assign(TPersistent* source) override;
  void ResolveLinks() override;

 protected:
  const TSeBitmapLink& CurrentBitmap() const override;

 private:
  std::unique_ptr<TSeBitmapLink> FFocused;
};

// A box with a picture per state: 7 FocusedBitmap, 5 HotBitmap, 8 DisabledBitmap, 6
// PressedBitmap, each only when valid; else Bitmap.
class TSeButtonBitmapBoxObject : public TSeBitmapBoxObject {
  CLASSLIB_CLASS(TSeButtonBitmapBoxObject, TSeBitmapBoxObject)
  static const TPropertyTable* PublishedProperties();
  explicit TSeButtonBitmapBoxObject(TComponent* owner);
  ~TSeButtonBitmapBoxObject() override;

  TSeBitmapLink* GetFocusedBitmap() const { return FLinks[0].get(); }
  void SetFocusedBitmap(TSeBitmapLink* value) { FLinks[0]->Assign(value); }
  TSeBitmapLink* GetHotBitmap() const { return FLinks[1].get(); }
  void SetHotBitmap(TSeBitmapLink* value) { FLinks[1]->Assign(value); }
  TSeBitmapLink* GetPressedBitmap() const { return FLinks[2].get(); }
  void SetPressedBitmap(TSeBitmapLink* value) { FLinks[2]->Assign(value); }
  TSeBitmapLink* GetDisabledBitmap() const { return FLinks[3].get(); }
  void SetDisabledBitmap(TSeBitmapLink* value) { FLinks[3]->Assign(value); }
  void Assign(TPersistent* source) override;
  void ResolveLinks() override;

 protected:
  const TSeBitmapLink& CurrentBitmap() const override;

 private:
  std::unique_ptr<TSeBitmapLink> FLinks[4];  // focused, hot, pressed, disabled
};

// A panel that rolls up to RollValue pixels along RollKind (0 hides it) and back. It never
// rolls to a negative size, and unrolls only to a size it saved.
class TSeRollPanelObject : public TSeSkinObject {
  CLASSLIB_CLASS(TSeRollPanelObject, TSeSkinObject)
  static const TPropertyTable* PublishedProperties();
  explicit TSeRollPanelObject(TComponent* owner);
  ~TSeRollPanelObject() override;

  int GetRollValue() const { return FRollValue; }
  void SetRollValue(int value) { FRollValue = value; }
  TSeRollKind GetRollKind() const { return FRollKind; }
  void SetRollKind(TSeRollKind value) { FRollKind = value; }
  // Rolls up when the size along RollKind is not the rolled size, else back to the saved
  // size; only for a panel with an owner.
  void Toggle();
  void Assign(TPersistent* source) override;

 private:
  int FRollValue = 0;
  TSeRollKind FRollKind = rkLeft;
  int FSavedSize = 0;  // the size before rolling up; 0 while unrolled
};

// The kinds of this unit in their registration order; the skin-object registry takes them
// when it is first used.
std::vector<const TClassInfo*> BoxSkinObjectClasses();
