// TSeSkinCheckBox and TSeSkinRadioButton: the owner-drawn check box and radio button that draw
// their mark and take their caption font from the skin object SkinObject of the engine
// Lumaweave when it has a skin; otherwise they draw exactly as their bases (with the visual
// style "Button" when themes are active, classically otherwise).
//
// The skin object's children used: "Checked", "Unchecked", "Mixed" (check box, grayed state)
// and "Text" (the caption font). They get the state 8 disabled, 5 hot, 7 focused or 0.
#pragma once
#include "SkinCheckBox.h"
#include "SkinRadioButton.h"
#include "controls/skin/engine/SkinEngine.h"

// The skin state of a glyph button: 8 disabled, 5 hot, 7 focused, else 0.
uint8_t SkinButtonState(const TSeCustomControl& control);

// Draws the named child of copy as the glyph of control (placed as the bases place their
// glyph) and sets the control's caption font from the "Text" child, else from fontSource.
// False when copy has no such child (the caller then draws as its base).
bool PaintSkinGlyph(TSeCustomControl& control, TSeSkinObject* copy, const String& childName,
                    TSize glyph, TSeLeftRight alignment, TSeSkinObject* fontSource);

class TSeSkinCheckBox : public TSeCustomCheckBox {
  CLASSLIB_CLASS(TSeSkinCheckBox, TSeCustomCheckBox)
  static const TPropertyTable* PublishedProperties();
  explicit TSeSkinCheckBox(TComponent* owner) : TSeCustomCheckBox(owner) {}

  TSeLumaweave* GetLumaweave() const { return FSkin.Engine(); }
  // Rebuilds the copy; the check box also takes its Font from the copy.
  void SetLumaweave(TSeLumaweave* value);
  // The name of the skin object; stored only (used at the next engine assignment or change).
  const String& GetSkinObject() const { return FSkin.ObjectName(); }
  void SetSkinObject(const String& value) { FSkin.SetObjectName(value); }
  bool UseSkin() const { return FSkin.UseSkin(*this); }
  TSeSkinObject* GetSkinCopy() const { return FSkin.Copy(); }

  TSize GetGlyphSize() override;
  void Dispatch(TMessage& message) override;
  void Loaded() override;

 protected:
  void PaintGlyph() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TSeSkinClient FSkin{L"CheckBox"};
};

class TSeSkinRadioButton : public TSeCustomRadioButton {
  CLASSLIB_CLASS(TSeSkinRadioButton, TSeCustomRadioButton)
  static const TPropertyTable* PublishedProperties();
  explicit TSeSkinRadioButton(TComponent* owner) : TSeCustomRadioButton(owner) {}

  TSeLumaweave* GetLumaweave() const { return FSkin.Engine(); }
  void SetLumaweave(TSeLumaweave* value);
  const String& GetSkinObject() const { return FSkin.ObjectName(); }
  void SetSkinObject(const String& value) { FSkin.SetObjectName(value); }
  bool UseSkin() const { return FSkin.UseSkin(*this); }
  TSeSkinObject* GetSkinCopy() const { return FSkin.Copy(); }

  TSize GetGlyphSize() override;
  void Dispatch(TMessage& message) override;
  void Loaded() override;

 protected:
  void PaintGlyph() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TSeSkinClient FSkin{L"RadioButton"};
};
