// The properties stored layouts keep of panels, scroll bars and scrolling controls.
// Defaults follow the constructors; a panel's colour is its own (clBtnFace).
#include "../classes/Properties.h"
#include "ControlIdents.h"
#include "Panels.h"
#include "Scrolling.h"

namespace {

const wchar_t* const AlignmentNames[] = {L"taLeftJustify", L"taRightJustify", L"taCenter"};
constexpr TEnumInfo AlignmentIdents = MakeEnumInfo(AlignmentNames);
const wchar_t* const BevelNames[] = {L"bvNone", L"bvLowered", L"bvRaised", L"bvSpace"};
constexpr TEnumInfo BevelIdents = MakeEnumInfo(BevelNames);
const wchar_t* const ScrollBarStyleNames[] = {L"ssRegular", L"ssFlat", L"ssHotTrack"};
constexpr TEnumInfo ScrollBarStyleIdents = MakeEnumInfo(ScrollBarStyleNames);

}  // namespace

const TPropertyTable* TCustomPanel::PublishedProperties() {
  using P = TPublish<TCustomPanel>;
  using C = TCustomPanel;
  static const TPropertyTable table{
      P::Enum(L"Alignment", AlignmentIdents, &C::GetAlignment, &C::SetAlignment).Default(taCenter),
      P::Enum(L"BevelInner", BevelIdents, &C::GetBevelInner, &C::SetBevelInner).Default(bvNone),
      P::Enum(L"BevelOuter", BevelIdents, &C::GetBevelOuter, &C::SetBevelOuter).Default(bvRaised),
      P::Integer(L"BevelWidth", &C::GetBevelWidth, &C::SetBevelWidth).Default(1),
      P::Integer(L"BorderWidth", &C::GetBorderWidth, &C::SetBorderWidth).Default(0),
      P::Enum(L"BorderStyle", BorderStyleIdents, &C::GetBorderStyle, &C::SetBorderStyle).Default(bsNone),
      P::Color(L"Color", &C::GetColor, &C::SetColor)
          .Default(clBtnFace)
          .Stored([](C* c) { return !c->GetParentColor(); }),
      P::Boolean(L"FullRepaint", &C::GetFullRepaint, &C::SetFullRepaint).Default(true),
      P::Boolean(L"Locked", &C::GetLocked, &C::SetLocked).Default(false),
  };
  return &table;
}

const TPropertyTable* TControlScrollBar::PublishedProperties() {
  using P = TPublish<TControlScrollBar>;
  using C = TControlScrollBar;
  static const TPropertyTable table{
      P::Integer(L"ButtonSize", &C::GetButtonSize, &C::SetButtonSize).Default(0),
      P::Color(L"Color", &C::GetColor, &C::SetColor)
          .Default(clBtnHighlight)
          .Stored([](C* c) { return !c->GetParentColor(); }),
      P::Integer(L"Increment", &C::GetIncrement, &C::SetIncrement).Default(8),
      P::Integer(L"Margin", &C::GetMargin, &C::SetMargin).Default(0),
      P::Boolean(L"ParentColor", &C::GetParentColor, &C::SetParentColor).Default(true),
      P::Integer(L"Position", &C::GetPosition, &C::SetPosition).Default(0),
      P::Integer(L"Range", &C::GetRange, &C::SetRange).Default(0),
      P::Boolean(L"Smooth", &C::GetSmooth, &C::SetSmooth).Default(false),
      P::Integer(L"Size", &C::GetSize, &C::SetSize).Default(0),
      P::Enum(L"Style", ScrollBarStyleIdents, &C::GetStyle, &C::SetStyle).Default(ssRegular),
      P::Integer(L"ThumbSize", &C::GetThumbSize, &C::SetThumbSize).Default(0),
      P::Boolean(L"Tracking", &C::GetTracking, &C::SetTracking).Default(false),
      P::Boolean(L"Visible", &C::GetVisible, &C::SetVisible).Default(true),
  };
  return &table;
}

const TPropertyTable* TScrollingWinControl::PublishedProperties() {
  using P = TPublish<TScrollingWinControl>;
  using C = TScrollingWinControl;
  static const TPropertyTable table{
      P::Boolean(L"AutoScroll", &C::GetAutoScroll, &C::SetAutoScroll).Default(true),
      P::Persistent(L"HorzScrollBar", &C::GetHorzScrollBar, &C::SetHorzScrollBar),
      P::Persistent(L"VertScrollBar", &C::GetVertScrollBar, &C::SetVertScrollBar),
  };
  return &table;
}

const TPropertyTable* TScrollBox::PublishedProperties() {
  using P = TPublish<TScrollBox>;
  static const TPropertyTable table{
      P::Enum(L"BorderStyle", BorderStyleIdents, &TScrollBox::GetBorderStyle, &TScrollBox::SetBorderStyle)
          .Default(bsSingle),
  };
  return &table;
}
