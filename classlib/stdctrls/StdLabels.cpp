#include "StdLabels.h"

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../system/SysMath.h"
#include "ScreenCanvas.h"

namespace {

const wchar_t* const AlignmentNames[] = {L"taLeftJustify", L"taRightJustify", L"taCenter"};
const TEnumInfo AlignmentIdents = MakeEnumInfo(AlignmentNames);
const wchar_t* const TextLayoutNames[] = {L"tlTop", L"tlCenter", L"tlBottom"};
const TEnumInfo TextLayoutIdents = MakeEnumInfo(TextLayoutNames);

const bool LabelClassesRegistered = [] {
  RegisterClass<TLabel>();
  return true;
}();

}  // namespace

// ---- TCustomLabel ----------------------------------------------------------------------------

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle(GetControlStyle() + TControlStyle{csOpaque, csReplicatable});
  SetBounds(GetLeft(), GetTop(), 65, 17);
  TControl::SetAutoSize(true);
}

void TCustomLabel::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout value) {
  if (value == FLayout) return;
  FLayout = value;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool value) {
  if (value == FWordWrap) return;
  FWordWrap = value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool value) {
  if (value == GetTransparent()) return;
  TControlStyle style = GetControlStyle();
  if (value)
    style.Exclude(csOpaque);
  else
    style.Include(csOpaque);
  SetControlStyle(style);
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool value) {
  if (value == FShowAccelChar) return;
  FShowAccelChar = value;
  // "&&" draws as one character or two: the text's size changes.
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* value) {
  if (value == FFocusControl) return;
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = value;
  if (value) value->FreeNotification(this);
}

void TCustomLabel::SetAutoSize(bool value) {
  if (value == GetAutoSize()) return;
  inherited::SetAutoSize(value);
  AdjustBounds();
}

String TCustomLabel::GetLabelText() { return GetCaption(); }

UINT TCustomLabel::TextFlags() const {
  return (FWordWrap ? DT_WORDBREAK : 0) | AlignmentDrawTextFlag(FAlignment);
}

void TCustomLabel::DoDrawText(TCanvas* canvas, TRect& rect, UINT flags) {
  String text = GetLabelText();
  // An empty caption (or a lone accelerator mark) still takes one line's height.
  if ((flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == L"&"))) text += L' ';
  if (!FShowAccelChar) flags |= DT_NOPREFIX;
  flags = DrawTextBiDiModeFlags(flags);
  canvas->SetFont(GetFont());
  RECT r = rect;
  const int length = static_cast<int>(text.size());
  if (!GetEnabled()) {
    ::OffsetRect(&r, 1, 1);
    canvas->GetFont()->SetColor(clBtnHighlight);
    ::DrawTextW(canvas->GetHandle(), text.c_str(), length, &r, flags);
    ::OffsetRect(&r, -1, -1);
    canvas->GetFont()->SetColor(clBtnShadow);
    ::DrawTextW(canvas->GetHandle(), text.c_str(), length, &r, flags);
  } else {
    ::DrawTextW(canvas->GetHandle(), text.c_str(), length, &r, flags);
  }
  rect = r;
}

void TCustomLabel::Paint() {
  TCanvas* canvas = GetCanvas();
  TRect rect = GetClientRect();
  if (!GetTransparent()) {
    canvas->GetBrush()->SetColor(GetColor());
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->FillRect(rect);
  }
  canvas->GetBrush()->SetStyle(bsClear);
  const UINT drawStyle = DT_EXPANDTABS | TextFlags();
  if (FLayout != tlTop) {
    TRect calc = rect;
    DoDrawText(canvas, calc, drawStyle | DT_CALCRECT);
    const int spare = GetHeight() - calc.Bottom;
    OffsetRect(rect, 0, FLayout == tlBottom ? spare : Div(spare, 2));
  }
  DoDrawText(canvas, rect, drawStyle);
}

void TCustomLabel::AdjustBounds() {
  if (GetComponentState().Contains(csReading) || !GetAutoSize()) return;
  TRect rect = GetClientRect();
  {
    TScreenCanvas screen;
    DoDrawText(screen.Get(), rect, DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0));
  }
  int left = GetLeft();
  TAlignment alignment = FAlignment;
  if (UseRightToLeftAlignment()) {
    if (alignment == taLeftJustify)
      alignment = taRightJustify;
    else if (alignment == taRightJustify)
      alignment = taLeftJustify;
  }
  // A right-aligned label grows to the left: its right edge stays.
  if (alignment == taRightJustify) left += GetWidth() - rect.Right;
  SetBounds(left, GetTop(), rect.Right, rect.Bottom);
}

void TCustomLabel::Loaded() {
  inherited::Loaded();
  AdjustBounds();
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::Dispatch(TMessage& message) {
  if (message.Msg == CM_DIALOGCHAR)
    CMDialogChar(message);
  else
    inherited::Dispatch(message);
}

void TCustomLabel::CMTextChanged(TMessage& message) {
  inherited::CMTextChanged(message);
  Invalidate();
  AdjustBounds();
}

void TCustomLabel::CMFontChanged(TMessage& message) {
  inherited::CMFontChanged(message);
  AdjustBounds();
}

void TCustomLabel::CMDialogChar(TMessage& message) {
  if (FFocusControl && GetEnabled() && FShowAccelChar &&
      IsAccel(TWMKey(message).GetCharCode(), GetCaption()) && FFocusControl->CanFocus()) {
    FFocusControl->SetFocus();
    message.Result = 1;
    return;
  }
  inherited::Dispatch(message);
}

// ---- TLabel ------------------------------------------------------------------------------------

const TPropertyTable* TLabel::PublishedProperties() {
  using P = TPublish<TLabel>;
  using C = TLabel;
  static const TPropertyTable table{
      P::Enum(L"Alignment", AlignmentIdents, &C::GetAlignment, &C::SetAlignment).Default(taLeftJustify),
      P::Boolean(L"AutoSize", &C::GetAutoSize, &C::SetAutoSize).Default(true),
      P::Component(L"FocusControl", &C::GetFocusControl, &C::SetFocusControl),
      P::Enum(L"Layout", TextLayoutIdents, &C::GetLayout, &C::SetLayout).Default(tlTop),
      P::Boolean(L"ShowAccelChar", &C::GetShowAccelChar, &C::SetShowAccelChar).Default(true),
      P::Boolean(L"Transparent", &C::GetTransparent, &C::SetTransparent).Default(false),
      P::Boolean(L"WordWrap", &C::GetWordWrap, &C::SetWordWrap).Default(false),
  };
  return &table;
}
