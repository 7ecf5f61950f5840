// TSeSkinCheckBox and TSeSkinRadioButton: the owner-drawn check box and radio button that name
// the skin object (SkinObject) they take their look from when a skin is given to them. With no
// skin they draw exactly as their bases: with the visual style "Button" when themes are
// active, classically otherwise.
#pragma once
#include "SkinCheckBox.h"
#include "SkinRadioButton.h"

class TSeSkinCheckBox : public TSeCustomCheckBox {
  CLASSLIB_CLASS(TSeSkinCheckBox, TSeCustomCheckBox)
  static const TPropertyTable* PublishedProperties();
  explicit TSeSkinCheckBox(TComponent* owner) : TSeCustomCheckBox(owner) {}

  // The name of the skin object to draw from; stored only.
  const String& GetSkinObject() const { return FSkinObject; }
  void SetSkinObject(const String& value) { FSkinObject = value; }

 private:
  String FSkinObject = L"CheckBox";
};

class TSeSkinRadioButton : public TSeCustomRadioButton {
  CLASSLIB_CLASS(TSeSkinRadioButton, TSeCustomRadioButton)
  static const TPropertyTable* PublishedProperties();
  explicit TSeSkinRadioButton(TComponent* owner) : TSeCustomRadioButton(owner) {}

  const String& GetSkinObject() const { return FSkinObject; }
  void SetSkinObject(const String& value) { FSkinObject = value; }

 private:
  String FSkinObject = L"RadioButton";
};
