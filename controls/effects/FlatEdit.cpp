// The flat edit box.
#include "FlatEdit.h"

#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/forms/Forms.h"
#include "classlib/graphics/GdiHandles.h"

namespace {

const bool FlatEditRegistered = [] {
  RegisterClass<TFlatEdit>();
  return true;
}();

// The non-client border on every side.
constexpr int FlatEditBorder = 3;

}  // namespace

const TPropertyTable* TFlatEdit::PublishedProperties() {
  using P = TPublish<TFlatEdit>;
  using C = TFlatEdit;
  static const TPropertyTable table{
      P::Color(L"ColorFocused", &C::GetColorFocused, &C::SetColorFocused)
          .Default(ColorFromInt(0xFFFFFF)),
      P::Color(L"ColorBorder", &C::GetColorBorder, &C::SetColorBorder)
          .Default(ColorFromInt(0x8396A0)),
      P::Color(L"ColorFlat", &C::GetColorFlat, &C::SetColorFlat).Default(ColorFromInt(0xE1EAEB)),
      P::Boolean(L"ParentColor", &C::GetParentColor, &C::SetParentColor).Default(true),
      P::Boolean(L"UseAdvColors", &C::GetUseAdvColors, &C::SetUseAdvColors).Default(false),
      P::Integer(L"AdvColorFocused", &C::GetAdvColorFocused, &C::SetAdvColorFocused).Default(10),
      P::Integer(L"AdvColorBorder", &C::GetAdvColorBorder, &C::SetAdvColorBorder).Default(50),
      // The fill is the edit's own business: Color is not stored.
      P::Color(L"Color", &C::GetColor, &C::SetColor).Stored(false),
  };
  return &table;
}

TFlatEdit::TFlatEdit(TComponent* owner) : TCustomEdit(owner) {
  SetAutoSize(false);
  SetCtl3D(false);
  SetBorderStyle(bsNone);
  SetControlStyle(GetControlStyle() - TControlStyle{csFramed});
  TCustomEdit::SetParentColor(false);  // the control's own Color is the fill of the moment
  SetBounds(GetLeft(), GetTop(), 121, 19);
  SetColor(FColorFlat);
}

TColor TFlatEdit::ParentColorValue() {
  return GetParent() ? GetParent()->GetColor() : FColorFlat;
}

bool TFlatEdit::HasFocusedLook() {
  if (GetComponentState().Contains(csDesigning)) return false;
  if (HandleAllocated() && Focused()) return true;
  if (!FMouseInControl) return false;
  TWinControl* active = Screen ? Screen->GetActiveControl() : nullptr;
  return dynamic_cast<TFlatEdit*>(active) == nullptr;
}

void TFlatEdit::RedrawBorder() {
  const TColor fill = HasFocusedLook() ? FColorFocused : FColorFlat;
  if (GetColor() != fill) SetColor(fill);
  if (!HandleAllocated()) return;
  const HWND wnd = GetHandle();
  const HDC dc = ::GetWindowDC(wnd);
  if (!dc) return;
  RECT r{};
  ::GetWindowRect(wnd, &r);
  ::OffsetRect(&r, -r.left, -r.top);
  UniqueBrush border(::CreateSolidBrush(ColorToRGB(FColorBorder)));
  UniqueBrush inner(::CreateSolidBrush(ColorToRGB(fill)));
  ::FrameRect(dc, &r, border.get());
  for (int i = 0; i < 2; ++i) {
    ::InflateRect(&r, -1, -1);
    ::FrameRect(dc, &r, inner.get());
  }
  ::ReleaseDC(wnd, dc);
}

void TFlatEdit::FitHeightToFont() {
  SetHeight(FontTextHeight(GetFont()) + 2 * FlatEditBorder);
}

void TFlatEdit::Loaded() {
  inherited::Loaded();
  if (!GetComponentState().Contains(csDesigning)) FitHeightToFont();
}

void TFlatEdit::CalcAdvancedColors() {
  if (!FUseAdvColors) return;
  FColorFocused = CalcAdvancedColor(FColorFlat, FColorFocused, FAdvColorFocused, lighten);
  FColorBorder = CalcAdvancedColor(FColorFlat, FColorBorder, FAdvColorBorder, darken);
}

void TFlatEdit::SetColorFocused(TColor value) {
  FColorFocused = value;
  RedrawBorder();
}

void TFlatEdit::SetColorBorder(TColor value) {
  FColorBorder = value;
  RedrawBorder();
}

void TFlatEdit::SetColorFlat(TColor value) {
  FColorFlat = value;
  FParentColor = false;
  RedrawBorder();
}

void TFlatEdit::SetParentColor(bool value) {
  FParentColor = value;
  if (value) FColorFlat = ParentColorValue();
  RedrawBorder();
}

void TFlatEdit::SetUseAdvColors(bool value) {
  if (value == FUseAdvColors) return;
  FUseAdvColors = value;
  SetParentColor(value);
  CalcAdvancedColors();
  RedrawBorder();
}

void TFlatEdit::SetAdvColorFocused(int value) {
  FAdvColorFocused = ClampAdvColors(value);
  CalcAdvancedColors();
  RedrawBorder();
}

void TFlatEdit::SetAdvColorBorder(int value) {
  FAdvColorBorder = ClampAdvColors(value);
  CalcAdvancedColors();
  RedrawBorder();
}

void TFlatEdit::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_NCCALCSIZE: {
      inherited::Dispatch(message);
      auto* rect = reinterpret_cast<RECT*>(message.LParam);  // the first of the rectangles
      ::InflateRect(rect, -FlatEditBorder, -FlatEditBorder);
      return;
    }
    case WM_NCPAINT:
      inherited::Dispatch(message);
      RedrawBorder();
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      inherited::Dispatch(message);
      if (!GetComponentState().Contains(csDesigning)) RedrawBorder();
      return;
    case CM_MOUSEENTER:
      inherited::Dispatch(message);
      if (Application && Application->GetActive()) {
        FMouseInControl = true;
        RedrawBorder();
      }
      return;
    case CM_MOUSELEAVE:
      inherited::Dispatch(message);
      FMouseInControl = false;
      RedrawBorder();
      return;
    case CM_ENABLEDCHANGED:
      inherited::Dispatch(message);
      RedrawBorder();
      return;
    case CM_FONTCHANGED:
      inherited::Dispatch(message);
      if (!(GetComponentState().Contains(csLoading) &&
            GetComponentState().Contains(csDesigning)))
        FitHeightToFont();
      return;
    case CM_PARENTCOLORCHANGED:
    case CM_SYSCOLORCHANGE:
      inherited::Dispatch(message);
      if (FUseAdvColors) {
        FColorFlat = ParentColorValue();
        CalcAdvancedColors();
      } else if (FParentColor) {
        FColorFlat = ParentColorValue();
      }
      RedrawBorder();
      return;
    default:
      inherited::Dispatch(message);
  }
}
