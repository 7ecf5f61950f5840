#include "SkinLabel.h"

#include "classlib/classes/Properties.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/system/SysMath.h"
#include "controls/skin/engine/SkinDrawing.h"

namespace {
const wchar_t* const TextLayoutNames[] = {L"tlTop", L"tlCenter", L"tlBottom"};
const wchar_t* const AlignmentNames[] = {L"taLeftJustify", L"taRightJustify", L"taCenter"};
const TEnumInfo AlignmentIdents = MakeEnumInfo(AlignmentNames);
constexpr TColor DesignOutline = static_cast<TColor>(0x808080);
}  // namespace

const TEnumInfo SeTextLayoutIdents = MakeEnumInfo(TextLayoutNames);

void PaintDesignOutline(TControl& control, TCanvas* canvas) {
  if (!control.GetComponentState().Contains(csDesigning)) return;
  FrameRectColor(canvas, TRect(0, 0, control.GetWidth(), control.GetHeight()), DesignOutline);
}

// ---- TSeCustomLabel ---------------------------------------------------------------------------

const TPropertyTable* TSeCustomLabel::PublishedProperties() {
  using P = TPublish<TSeCustomLabel>;
  using C = TSeCustomLabel;
  static const TPropertyTable table{
      P::Enum(L"Alignment", AlignmentIdents, &C::GetAlignment, &C::SetAlignment)
          .Default(taLeftJustify),
      P::Boolean(L"AutoSize", &C::GetAutoSize, &C::SetAutoSize).Default(true),
      P::WideText(L"Caption", &C::GetCaption, &C::SetCaption),
      P::Color(L"Color", &C::GetColor, &C::SetColor)
          .Default(clWindow)
          .Stored([](C* c) { return !c->GetParentColor(); }),
      P::Boolean(L"ParentColor", &C::GetParentColor, &C::SetParentColor).Default(true),
      P::Component(L"FocusControl", &C::GetFocusControl, &C::SetFocusControl),
      P::Enum(L"Layout", SeTextLayoutIdents, &C::GetLayout, &C::SetLayout).Default(tlTop),
      P::Boolean(L"ShowAccelChar", &C::GetShowAccelChar, &C::SetShowAccelChar).Default(true),
      P::Boolean(L"Transparent", &C::GetTransparent, &C::SetTransparent).Default(true),
      P::Boolean(L"WordWrap", &C::GetWordWrap, &C::SetWordWrap).Default(false),
  };
  return &table;
}

TSeCustomLabel::TSeCustomLabel(TComponent* owner) : TSeGraphicControl(owner) {
  SetControlStyle(GetControlStyle() + TControlStyle{csOpaque, csReplicatable});
  SetParentColor(true);
  SetBounds(GetLeft(), GetTop(), 65, 17);
  inherited::SetAutoSize(true);
  SetTransparent(true);
}

void TSeCustomLabel::SetFocusControl(TWinControl* value) {
  if (value == FFocusControl) return;
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = value;
  if (value) value->FreeNotification(this);
}

void TSeCustomLabel::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == FFocusControl) FFocusControl = nullptr;
}

void TSeCustomLabel::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Invalidate();
}

void TSeCustomLabel::SetAutoSize(bool value) {
  if (value == GetAutoSize()) return;
  inherited::SetAutoSize(value);
  AdjustBounds();
}

void TSeCustomLabel::SetLayout(TTextLayout value) {
  if (value == FLayout) return;
  FLayout = value;
  Invalidate();
}

void TSeCustomLabel::SetWordWrap(bool value) {
  if (value == FWordWrap) return;
  FWordWrap = value;
  AdjustBounds();
  Invalidate();
}

void TSeCustomLabel::SetShowAccelChar(bool value) {
  if (value == FShowAccelChar) return;
  FShowAccelChar = value;
  AdjustBounds();  // a shown "&" takes room; an accelerator's does not
  Invalidate();
}

void TSeCustomLabel::SetCaption(const String& value) {
  if (value == FCaption) return;
  FCaption = value;
  AdjustBounds();
  Invalidate();
}

void TSeCustomLabel::Loaded() {
  inherited::Loaded();
  AdjustBounds();
}

void TSeCustomLabel::DoDrawText(TRect& r, UINT flags) {
  String text = GetLabelText();
  // An empty label keeps one line of height.
  if ((flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == L"&"))) text += L" ";
  if (!FShowAccelChar) flags |= DT_NOPREFIX;
  flags = DrawTextBiDiModeFlags(flags);
  if (flags & DT_CALCRECT) {
    // Measured on a memory surface, so that a label sizes itself before any window exists.
    TBitmap scratch;
    TCanvas* canvas = scratch.GetCanvas();
    canvas->SetFont(GetFont());
    DrawTextUnicode(canvas, text, r, flags);
    return;
  }
  TCanvas* canvas = GetCanvas();
  canvas->SetFont(GetFont());
  if (!GetEnabled()) {
    TRect shadow = r;
    OffsetRect(shadow, 1, 1);
    canvas->GetFont()->SetColor(clBtnHighlight);
    DrawTextUnicode(canvas, text, shadow, flags);
    canvas->GetFont()->SetColor(clBtnShadow);
  }
  DrawTextUnicode(canvas, text, r, flags);
}

void TSeCustomLabel::PaintFace() {
  inherited::PaintFace();
  if (!GetParent()) return;
  TRect r(0, 0, GetWidth(), GetHeight());
  const UINT flags = DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0) | AlignmentDrawTextFlag(FAlignment);
  if (FLayout != tlTop) {
    TRect measured = r;
    DoDrawText(measured, flags | DT_CALCRECT);
    const int spare = GetHeight() - measured.Bottom;
    OffsetRect(r, 0, FLayout == tlCenter ? Div(spare, 2) : spare);
  }
  DoDrawText(r, flags);
}

void TSeCustomLabel::AdjustBounds() {
  if (GetComponentState().Contains(csLoading) || !GetAutoSize()) return;
  TRect r(0, 0, GetWidth(), GetHeight());
  DoDrawText(r, DT_CALCRECT | DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0));
  int x = GetLeft();
  TAlignment alignment = FAlignment;
  if (UseRightToLeftAlignment() && alignment != taCenter)
    alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
  if (alignment == taRightJustify) x += GetWidth() - r.Right;
  SetBounds(x, GetTop(), r.Right, r.Bottom);
}

void TSeCustomLabel::CMTextChanged(TMessage& message) {
  inherited::CMTextChanged(message);
  SetCaption(GetText());
  AdjustBounds();
}

void TSeCustomLabel::CMFontChanged(TMessage& message) {
  inherited::CMFontChanged(message);
  AdjustBounds();
}

void TSeCustomLabel::CMDialogChar(TMessage& message) {
  if (FFocusControl && GetEnabled() && FShowAccelChar &&
      IsAccel(static_cast<WORD>(message.WParam), GetLabelText()) && FFocusControl->CanFocus()) {
    FFocusControl->SetFocus();
    message.Result = 1;
  }
}

void TSeCustomLabel::Dispatch(TMessage& message) {
  if (message.Msg == CM_DIALOGCHAR) {
    CMDialogChar(message);
    return;
  }
  inherited::Dispatch(message);
}

// ---- Speed container and divider ------------------------------------------------------------------

const TPropertyTable* TSeSpeedContainer::PublishedProperties() {
  using P = TPublish<TSeSpeedContainer>;
  using C = TSeSpeedContainer;
  static const TPropertyTable table{
      P::Boolean(L"Transparent", &C::GetTransparent, &C::SetTransparent).Default(true),
  };
  return &table;
}

TSeSpeedContainer::TSeSpeedContainer(TComponent* owner) : TSeCustomControl(owner) {
  SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls});
  SetTransparent(true);
}

void TSeSpeedContainer::PaintFace() {
  // With Transparent off the base fills the face; transparent, the parent shows through.
  inherited::PaintFace();
  PaintDesignOutline(*this, GetCanvas());
}

const TPropertyTable* TSeSpeedDivider::PublishedProperties() {
  using P = TPublish<TSeSpeedDivider>;
  using C = TSeSpeedDivider;
  static const TPropertyTable table{
      P::Boolean(L"Transparent", &C::GetTransparent, &C::SetTransparent).Default(true),
  };
  return &table;
}

TSeSpeedDivider::TSeSpeedDivider(TComponent* owner) : TSeGraphicControl(owner) {
  SetBounds(GetLeft(), GetTop(), 8, GetHeight());
  SetTransparent(true);
}

void TSeSpeedDivider::PaintFace() {
  inherited::PaintFace();
  PaintDesignOutline(*this, GetCanvas());
}
