#include "SkinAwareButtons.h"

#include "classlib/classes/Properties.h"

const TPropertyTable* TSeSkinCheckBox::PublishedProperties() {
  using P = TPublish<TSeSkinCheckBox>;
  using C = TSeSkinCheckBox;
  static const TPropertyTable table{
      P::Text(L"SkinObject", &C::GetSkinObject, &C::SetSkinObject).Default(L"CheckBox"),
  };
  return &table;
}

const TPropertyTable* TSeSkinRadioButton::PublishedProperties() {
  using P = TPublish<TSeSkinRadioButton>;
  using C = TSeSkinRadioButton;
  static const TPropertyTable table{
      P::Text(L"SkinObject", &C::GetSkinObject, &C::SetSkinObject).Default(L"RadioButton"),
  };
  return &table;
}
