// The properties stored layouts keep of page controls and their sheets, and their
// registration. A sheet's Visible and Align follow from its page control and its place
// among the pages from the order the sheets are stored in, so none of them is stored.
#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../controls/ControlIdents.h"
#include "PageControls.h"

namespace {

const wchar_t* const TabPositionNames[] = {L"tpTop", L"tpBottom", L"tpLeft", L"tpRight"};
const TEnumInfo TabPositionIdents = MakeEnumInfo(TabPositionNames);
const wchar_t* const TabStyleNames[] = {L"tsTabs", L"tsButtons", L"tsFlatButtons"};
const TEnumInfo TabStyleIdents = MakeEnumInfo(TabStyleNames);

const bool PageControlClassesRegistered = [] {
  RegisterClass<TPageControl>();
  RegisterClass<TTabSheet>();
  return true;
}();

}  // namespace

const TPropertyTable* TTabSheet::PublishedProperties() {
  using P = TPublish<TTabSheet>;
  using C = TTabSheet;
  static const TPropertyTable table{
      P::Enum(L"Align", AlignIdents, &C::GetAlign, &C::SetAlign).Stored(false),
      P::Boolean(L"Visible", &C::GetVisible, &C::SetVisible).Stored(false),
      P::Integer(L"PageIndex", &C::GetPageIndex, &C::SetPageIndex).Stored(false),
      P::Boolean(L"TabVisible", &C::GetTabVisible, &C::SetTabVisible).Default(true),
  };
  return &table;
}

const TPropertyTable* TPageControl::PublishedProperties() {
  using P = TPublish<TPageControl>;
  using C = TPageControl;
  static const TPropertyTable table{
      P::Component(L"ActivePage", &C::GetActivePage, &C::SetActivePage),
      P::Boolean(L"HotTrack", &C::GetHotTrack, &C::SetHotTrack).Default(false),
      P::Boolean(L"MultiLine", &C::GetMultiLine, &C::SetMultiLine).Default(false),
      P::Enum(L"Style", TabStyleIdents, &C::GetStyle, &C::SetStyle).Default(tsTabs),
      P::Integer(L"TabHeight", &C::GetTabHeight, &C::SetTabHeight).Default(0),
      P::Enum(L"TabPosition", TabPositionIdents, &C::GetTabPosition, &C::SetTabPosition)
          .Default(tpTop),
      P::Boolean(L"TabStop", &C::GetTabStop, &C::SetTabStop).Default(true),
      P::Integer(L"TabWidth", &C::GetTabWidth, &C::SetTabWidth).Default(0),
      P::Method(L"OnChange", &C::GetOnChange, &C::SetOnChange),
      P::Method(L"OnChanging", &C::GetOnChanging, &C::SetOnChanging),
  };
  return &table;
}
