#include "SkinAwareButtons.h"

#include "SkinGlyphButton.h"
#include "classlib/classes/Properties.h"

uint8_t SkinButtonState(const TSeCustomControl& control) {
  if (!control.GetEnabled()) return 8;
  if (control.GetHot()) return 5;
  if (control.GetFocusedFlag()) return 7;
  return 0;
}

bool PaintSkinGlyph(TSeCustomControl& control, TSeSkinObject* copy, const String& childName,
                    TSize glyph, TSeLeftRight alignment, TSeSkinObject* fontSource) {
  if (!copy) return false;
  TSeSkinObject* mark = copy->FindObject(childName);
  const uint8_t state = SkinButtonState(control);
  if (mark) {
    TRect target = control.GetClientRect();
    if (alignment == vtaRightJustify) target.Left = target.Right - glyph.cx;
    const int top = target.Top + (target.Height() - glyph.cy) / 2;
    mark->SetState(state);
    mark->SetBoundsRect(TRect(target.Left, top, target.Left + glyph.cx, top + glyph.cy));
    mark->Paint(control.GetCanvas());
  }
  TSeSkinObject* text = copy->FindObject(L"Text");
  if (text) text->SetState(state);
  TSeSkinObject* font = text ? text : fontSource;
  if (font) control.GetCaptionFont()->Assign(font->GetFont());
  return mark != nullptr;
}

namespace {

TSize SkinGlyphSize(TSeSkinObject* copy, bool useSkin, TSize base) {
  if (!useSkin || !copy) return base;
  TSeSkinObject* checked = copy->FindObject(L"Checked");
  return checked ? TSize(checked->GetWidth(), checked->GetHeight()) : base;
}

}  // namespace

// ---- TSeSkinCheckBox -------------------------------------------------------------------------------

const TPropertyTable* TSeSkinCheckBox::PublishedProperties() {
  using P = TPublish<TSeSkinCheckBox>;
  using C = TSeSkinCheckBox;
  static const TPropertyTable table{
      P::Component(L"Lumaweave", &C::GetLumaweave, &C::SetLumaweave),
      P::Text(L"SkinObject", &C::GetSkinObject, &C::SetSkinObject).Default(L"CheckBox"),
      PublishSkinVersion<C>(),
  };
  return &table;
}

void TSeSkinCheckBox::SetLumaweave(TSeLumaweave* value) {
  FSkin.SetEngine(value, *this);
  if (TSeSkinObject* copy = FSkin.Copy()) {
    TSeSkinObject* text = copy->FindObject(L"Text");
    GetFont()->Assign((text ? text : copy)->GetFont());
  }
  Invalidate();
}

TSize TSeSkinCheckBox::GetGlyphSize() {
  return SkinGlyphSize(FSkin.Copy(), UseSkin(), inherited::GetGlyphSize());
}

void TSeSkinCheckBox::PaintGlyph() {
  if (!UseSkin()) {
    inherited::PaintGlyph();
    return;
  }
  const wchar_t* child = GetState() == cbChecked ? L"Checked"
                         : GetState() == cbGrayed ? L"Mixed"
                                                  : L"Unchecked";
  TSeSkinObject* chosen = FSkin.Copy()->FindObject(child);
  PaintSkinGlyph(*this, FSkin.Copy(), child, GetGlyphSize(), GetAlignment(), chosen);
}

void TSeSkinCheckBox::Dispatch(TMessage& message) {
  if (message.Msg == SE_SKINCHANGED && FSkin.Engine() &&
      message.LParam == reinterpret_cast<LPARAM>(FSkin.Engine())) {
    SetLumaweave(FSkin.Engine());
    return;
  }
  if (FSkin.Handle(message, *this)) return;
  inherited::Dispatch(message);
}

void TSeSkinCheckBox::Loaded() {
  inherited::Loaded();
  // No copy is built while a layout is read: the engine read with the box is assigned now,
  // with all that assigning it does (the skin's caption font taken as the box's Font).
  if (FSkin.Engine()) SetLumaweave(FSkin.Engine());
}

void TSeSkinCheckBox::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove) FSkin.Removed(component);
}

// ---- TSeSkinRadioButton ----------------------------------------------------------------------------

const TPropertyTable* TSeSkinRadioButton::PublishedProperties() {
  using P = TPublish<TSeSkinRadioButton>;
  using C = TSeSkinRadioButton;
  static const TPropertyTable table{
      P::Component(L"Lumaweave", &C::GetLumaweave, &C::SetLumaweave),
      P::Text(L"SkinObject", &C::GetSkinObject, &C::SetSkinObject).Default(L"RadioButton"),
      PublishSkinVersion<C>(),
  };
  return &table;
}

void TSeSkinRadioButton::SetLumaweave(TSeLumaweave* value) {
  FSkin.SetEngine(value, *this);
  Invalidate();
}

TSize TSeSkinRadioButton::GetGlyphSize() {
  return SkinGlyphSize(FSkin.Copy(), UseSkin(), inherited::GetGlyphSize());
}

void TSeSkinRadioButton::PaintGlyph() {
  if (!UseSkin()) {
    inherited::PaintGlyph();
    return;
  }
  PaintSkinGlyph(*this, FSkin.Copy(), GetChecked() ? L"Checked" : L"Unchecked", GetGlyphSize(),
                 GetAlignment(), FSkin.Copy());
}

void TSeSkinRadioButton::Dispatch(TMessage& message) {
  if (FSkin.Handle(message, *this)) return;
  inherited::Dispatch(message);
}

void TSeSkinRadioButton::Loaded() {
  inherited::Loaded();
  if (FSkin.Engine()) FSkin.Rebuild(*this);
}

void TSeSkinRadioButton::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove) FSkin.Removed(component);
}
