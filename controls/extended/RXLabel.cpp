#include "RXLabel.h"

#include "RxIdents.h"
#include "RxUtils.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/stdctrls/ScreenCanvas.h"

namespace {

const wchar_t* const ShadowPositionNames[] = {L"spLeftTop", L"spLeftBottom", L"spRightBottom",
                                              L"spRightTop"};
const TEnumInfo ShadowPositionIdents = MakeEnumInfo(ShadowPositionNames);

const bool LabelClassesRegistered = [] {
  RegisterClass<TRxLabel>();
  return true;
}();

}  // namespace

int DrawShadowText(HDC dc, const String& text, TRect& r, UINT format, int size,
                   COLORREF shadowColor, TShadowPosition position) {
  TRect shadow = r;
  const int dx = position == spLeftTop || position == spLeftBottom ? -size : size;
  const int dy = position == spLeftTop || position == spRightTop ? -size : size;
  OffsetRect(shadow, dx, dy);
  const int length = static_cast<int>(text.size());
  const COLORREF color = ::SetTextColor(dc, shadowColor);
  RECT rs = shadow;
  int height = ::DrawTextW(dc, text.c_str(), length, &rs, format);
  if (height > 0) height += size;
  ::SetTextColor(dc, color);
  RECT rt = r;
  ::DrawTextW(dc, text.c_str(), length, &rt, format);
  shadow = rs;
  r = rt;
  TRect both;
  UnionRect(both, r, shadow);
  r = both;
  return height;
}

TRxCustomLabel::TRxCustomLabel(TComponent* owner) : TCustomLabel(owner) {}

void TRxCustomLabel::SetShadowColor(TColor value) {
  if (value == FShadowColor) return;
  FShadowColor = value;
  Invalidate();
}

void TRxCustomLabel::SetShadowSize(int value) {
  value = value < 0 ? 0 : value > 255 ? 255 : value;
  if (value == FShadowSize) return;
  FShadowSize = value;
  AdjustBounds();
  Invalidate();
}

void TRxCustomLabel::SetShadowPos(TShadowPosition value) {
  if (value == FShadowPos) return;
  FShadowPos = value;
  Invalidate();
}

void TRxCustomLabel::SetShowFocus(bool value) {
  if (value == FShowFocus) return;
  FShowFocus = value;
  Invalidate();
}

void TRxCustomLabel::SetFocusControl(TWinControl* value) {
  if (value == GetFocusControl()) return;
  inherited::SetFocusControl(value);
  // Whether the new control has the focus, rather than whether the old one had it: the
  // repaint would otherwise frame the label for a control that is not focused.
  FFocused = value && value->Focused();
  if (FShowFocus) Invalidate();
}

TRect TRxCustomLabel::TextArea() {
  TRect r = GetClientRect();
  InflateRect(r, -1, -1);
  return r;
}

void TRxCustomLabel::DoDrawText(TCanvas* canvas, TRect& rect, UINT flags) {
  String text = GetLabelText();
  if (((flags & DT_CALCRECT) && text.empty()) || (GetShowAccelChar() && text == L"&"))
    text += L' ';
  if (!GetShowAccelChar()) flags |= DT_NOPREFIX;
  flags = DrawTextBiDiModeFlags(flags);
  canvas->SetFont(GetFont());
  canvas->GetFont()->SetColor(GetDefaultFontColor());
  TShadowPosition position = FShadowPos;
  int size = FShadowSize;
  TColor shadow = FShadowColor;
  if (!GetEnabled()) {
    if (size == 0) {
      position = spRightBottom;
      size = 1;
    }
    canvas->GetFont()->SetColor(clGrayText);
    shadow = clBtnHighlight;
  }
  DrawShadowText(canvas->GetHandle(), text, rect, flags, size, ColorToRGB(shadow), position);
}

void TRxCustomLabel::Paint() {
  if (!GetEnabled() && !GetComponentState().Contains(csDesigning)) FDragging = false;
  TCanvas* canvas = GetCanvas();
  if (!GetTransparent()) {
    canvas->GetBrush()->SetColor(GetColor());
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->FillRect(GetClientRect());
  }
  canvas->GetBrush()->SetStyle(bsClear);
  TRect r = TextArea();
  UINT flags = DT_EXPANDTABS | (GetWordWrap() ? DT_WORDBREAK : 0);
  flags |= GetAlignment() == taRightJustify ? DT_RIGHT
           : GetAlignment() == taCenter     ? DT_CENTER
                                            : DT_LEFT;
  if (GetLayout() != tlTop) {
    const int left = r.Left, right = r.Right;
    DoDrawText(canvas, r, flags | DT_CALCRECT);
    r.Left = left;
    r.Right = right;
    const int spare = GetHeight() - r.Bottom;
    OffsetRect(r, 0, GetLayout() == tlBottom ? spare : spare / 2);
  }
  DoDrawText(canvas, r, flags);
  if (FShowFocus && GetFocusControl() && FFocused &&
      !GetComponentState().Contains(csDesigning)) {
    InflateRect(r, 1, 1);
    canvas->GetBrush()->SetColor(GetColor());
    canvas->DrawFocusRect(r);
  }
}

void TRxCustomLabel::AdjustBounds() {
  if (GetComponentState().Contains(csReading) || !GetAutoSize()) return;
  TRect r = TextArea();
  {
    TScreenCanvas screen;
    DoDrawText(screen.Get(), r, DT_EXPANDTABS | DT_CALCRECT | (GetWordWrap() ? DT_WORDBREAK : 0));
  }
  InflateRect(r, 1, 1);
  int left = GetLeft();
  TAlignment alignment = GetAlignment();
  if (UseRightToLeftAlignment())
    alignment = alignment == taLeftJustify    ? taRightJustify
                : alignment == taRightJustify ? taLeftJustify
                                              : alignment;
  // A right-aligned label grows to the left: its right edge stays.
  if (alignment == taRightJustify) left += GetWidth() - r.Width();
  SetBounds(left, GetTop(), r.Width(), r.Height());
}

// ---- Mouse and focus ---------------------------------------------------------------------

void TRxCustomLabel::SetMouseIn(bool value) {
  if (value == FMouseInControl) return;
  FMouseInControl = value;
  if (value)
    MouseEnter();
  else
    MouseLeave();
}

void TRxCustomLabel::UpdateTracking() {
  POINT p{};
  ::GetCursorPos(&p);
  SetMouseIn(GetEnabled() && FindDragTarget(TPoint(p.x, p.y), true) == this && IsForegroundTask());
}

void TRxCustomLabel::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseDown(button, shift, x, y);
  if (button == mbLeft && GetEnabled()) FDragging = true;
}

void TRxCustomLabel::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseUp(button, shift, x, y);
  if (FDragging && button == mbLeft) {
    FDragging = false;
    UpdateTracking();
  }
}

void TRxCustomLabel::CMEnabledChanged(TMessage& message) {
  inherited::CMEnabledChanged(message);
  UpdateTracking();
}

// The base class reports every entering; the label only an enabled one, once.
void TRxCustomLabel::CMMouseEnter(TMessage& message) {
  if (message.LParam != 0 || !GetEnabled() || FMouseInControl || !IsForegroundTask()) return;
  FMouseInControl = true;
  inherited::CMMouseEnter(message);
}

void TRxCustomLabel::CMMouseLeave(TMessage& message) {
  if (message.LParam != 0 || !GetEnabled() || FDragging || !FMouseInControl) return;
  FMouseInControl = false;
  inherited::CMMouseLeave(message);
}

void TRxCustomLabel::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_FOCUSCHANGED: {
      const bool focused =
          GetFocusControl() && reinterpret_cast<TWinControl*>(message.LParam) == GetFocusControl();
      if (focused != FFocused) {
        FFocused = focused;
        if (FShowFocus) Invalidate();
      }
      inherited::Dispatch(message);
      break;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      inherited::Dispatch(message);
      UpdateTracking();
      break;
    case CM_VISIBLECHANGED:
      inherited::Dispatch(message);
      if (GetVisible()) UpdateTracking();
      break;
    default: inherited::Dispatch(message);
  }
}

const TPropertyTable* TRxLabel::PublishedProperties() {
  using P = TPublish<TRxLabel>;
  using C = TRxLabel;
  static const TPropertyTable table{
      P::Enum(L"Alignment", RxAlignmentIdents, &C::GetAlignment, &C::SetAlignment)
          .Default(taLeftJustify),
      P::Boolean(L"AutoSize", &C::GetAutoSize, &C::SetAutoSize).Default(true),
      P::Component(L"FocusControl", &C::GetFocusControl, &C::SetFocusControl),
      P::Enum(L"Layout", RxTextLayoutIdents, &C::GetLayout, &C::SetLayout).Default(tlTop),
      P::Boolean(L"ShowAccelChar", &C::GetShowAccelChar, &C::SetShowAccelChar).Default(true),
      P::Boolean(L"Transparent", &C::GetTransparent, &C::SetTransparent).Default(false),
      P::Boolean(L"WordWrap", &C::GetWordWrap, &C::SetWordWrap).Default(false),
      P::Color(L"ShadowColor", &C::GetShadowColor, &C::SetShadowColor).Default(clBtnHighlight),
      P::Enum(L"ShadowPos", ShadowPositionIdents, &C::GetShadowPos, &C::SetShadowPos)
          .Default(spLeftTop),
      P::Integer(L"ShadowSize", &C::GetShadowSize, &C::SetShadowSize).Default(1),
      P::Boolean(L"ShowFocus", &C::GetShowFocus, &C::SetShowFocus).Default(false),
  };
  return &table;
}
