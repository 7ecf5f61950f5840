#include "StdPanels.h"

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../controls/ControlIdents.h"
#include "../system/SysMath.h"
#include "ScreenCanvas.h"

namespace {

const wchar_t* const AlignmentNames[] = {L"taLeftJustify", L"taRightJustify", L"taCenter"};
const TEnumInfo AlignmentIdents = MakeEnumInfo(AlignmentNames);
const wchar_t* const BevelCutNames[] = {L"bvNone", L"bvLowered", L"bvRaised", L"bvSpace"};
const TEnumInfo BevelCutIdents = MakeEnumInfo(BevelCutNames);

const bool PanelClassesRegistered = [] {
  RegisterClasses({TPanel::StaticClassInfo(), TGroupBox::StaticClassInfo()});
  return true;
}();

}  // namespace

// ---- TPanel ------------------------------------------------------------------------------------

const TPropertyTable* TPanel::PublishedProperties() {
  using P = TPublish<TPanel>;
  using C = TPanel;
  static const TPropertyTable table{
      P::Enum(L"Alignment", AlignmentIdents, &C::GetAlignment, &C::SetAlignment).Default(taCenter),
      P::Enum(L"BevelInner", BevelCutIdents, &C::GetBevelInner, &C::SetBevelInner).Default(bvNone),
      P::Enum(L"BevelOuter", BevelCutIdents, &C::GetBevelOuter, &C::SetBevelOuter).Default(bvRaised),
      P::Integer(L"BevelWidth", &C::GetBevelWidth, &C::SetBevelWidth).Default(1),
      P::Enum(L"BorderStyle", BorderStyleIdents, &C::GetBorderStyle, &C::SetBorderStyle).Default(bsNone),
      P::Integer(L"BorderWidth", &C::GetBorderWidth, &C::SetBorderWidth).Default(0),
      P::Color(L"Color", &C::GetColor, &C::SetColor)
          .Default(clBtnFace)
          .Stored([](C* c) { return !c->GetParentColor(); }),
      P::Boolean(L"FullRepaint", &C::GetFullRepaint, &C::SetFullRepaint).Default(true),
      P::Boolean(L"Locked", &C::GetLocked, &C::SetLocked).Default(false),
  };
  return &table;
}

// ---- TCustomGroupBox ----------------------------------------------------------------------------

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                csDoubleClicks, csReplicatable});
  SetBounds(GetLeft(), GetTop(), 185, 105);
}

int TCustomGroupBox::CaptionHeight() {
  TScreenCanvas screen;
  screen.Get()->SetFont(GetFont());
  return screen.Get()->TextHeight(L"0");
}

void TCustomGroupBox::AdjustClientRect(TRect& rect) {
  inherited::AdjustClientRect(rect);
  rect.Top += CaptionHeight();
  InflateRect(rect, -1, -1);
  if (GetCtl3D()) InflateRect(rect, -1, -1);
}

void TCustomGroupBox::Paint() {
  TCanvas* canvas = GetCanvas();
  canvas->SetFont(GetFont());
  const int height = canvas->TextHeight(L"0");
  TRect frame = Rect(0, Div(height, 2) - 1, GetWidth(), GetHeight());
  if (GetCtl3D()) {
    // An etched line: the highlight one pixel down and right, the shadow over it.
    ++frame.Left;
    ++frame.Top;
    canvas->GetBrush()->SetColor(clBtnHighlight);
    canvas->FrameRect(frame);
    OffsetRect(frame, -1, -1);
    canvas->GetBrush()->SetColor(clBtnShadow);
  } else {
    canvas->GetBrush()->SetColor(clWindowFrame);
  }
  canvas->FrameRect(frame);

  const String text = GetText();
  if (text.empty()) return;
  RECT r;
  if (!UseRightToLeftAlignment())
    r = Rect(8, 0, 0, height);
  else
    r = Rect(frame.Right - canvas->TextWidth(text) - 8, 0, 0, height);
  const UINT flags = DrawTextBiDiModeFlags(DT_SINGLELINE);
  const int length = static_cast<int>(text.size());
  ::DrawTextW(canvas->GetHandle(), text.c_str(), length, &r, flags | DT_CALCRECT);
  // The caption is written on the box's colour, cutting the line.
  canvas->GetBrush()->SetColor(GetColor());
  ::DrawTextW(canvas->GetHandle(), text.c_str(), length, &r, flags);
}

void TCustomGroupBox::CMTextChanged(TMessage& message) {
  inherited::CMTextChanged(message);
  Invalidate();
  Realign();
}

void TCustomGroupBox::CMFontChanged(TMessage& message) {
  inherited::CMFontChanged(message);
  Realign();
}

void TCustomGroupBox::WMSize(TMessage& message) {
  inherited::WMSize(message);
  Invalidate();
}

void TCustomGroupBox::CMDialogChar(TMessage& message) {
  if (IsAccel(TWMKey(message).GetCharCode(), GetCaption()) && CanFocus()) {
    SelectFirst();
    message.Result = 1;
    return;
  }
  inherited::CMDialogChar(message);
}
