// The properties stored layouts keep of the grids, and their registration.
//
// The counts come before the fixed counts, so that a layout read in order never asks for
// more fixed rows than there are rows.
#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../controls/ControlIdents.h"
#include "Grids.h"

namespace {

const wchar_t* const GridOptionNames[] = {
    L"goFixedVertLine", L"goFixedHorzLine", L"goVertLine",      L"goHorzLine",
    L"goRangeSelect",   L"goDrawFocusSelected", L"goRowSizing", L"goColSizing",
    L"goRowMoving",     L"goColMoving",     L"goEditing",       L"goTabs",
    L"goRowSelect",     L"goAlwaysShowEditor", L"goThumbTracking"};
const TEnumInfo GridOptionIdents = MakeEnumInfo(GridOptionNames);
const wchar_t* const ScrollStyleNames[] = {L"ssNone", L"ssHorizontal", L"ssVertical", L"ssBoth"};
const TEnumInfo ScrollStyleIdents = MakeEnumInfo(ScrollStyleNames);

const bool GridClassesRegistered = [] {
  RegisterClass<TDrawGrid>();
  RegisterClass<TStringGrid>();
  return true;
}();

}  // namespace

const TPropertyTable* TDrawGrid::PublishedProperties() {
  using P = TPublish<TDrawGrid>;
  using C = TDrawGrid;
  static const TPropertyTable table{
      P::Enum(L"BorderStyle", BorderStyleIdents, &C::GetBorderStyle, &C::SetBorderStyle)
          .Default(bsSingle),
      P::Color(L"Color", &C::GetColor, &C::SetColor)
          .Default(clWindow)
          .Stored([](C* c) { return !c->GetParentColor(); }),
      P::Integer(L"ColCount", &C::GetColCount, &C::SetColCount).Default(5),
      P::Integer(L"DefaultColWidth", &C::GetDefaultColWidth, &C::SetDefaultColWidth).Default(64),
      P::Integer(L"DefaultRowHeight", &C::GetDefaultRowHeight, &C::SetDefaultRowHeight)
          .Default(24),
      P::Boolean(L"DefaultDrawing", &C::GetDefaultDrawing, &C::SetDefaultDrawing).Default(true),
      P::Color(L"FixedColor", &C::GetFixedColor, &C::SetFixedColor).Default(clBtnFace),
      P::Integer(L"FixedCols", &C::GetFixedCols, &C::SetFixedCols).Default(1),
      P::Integer(L"RowCount", &C::GetRowCount, &C::SetRowCount).Default(5),
      P::Integer(L"FixedRows", &C::GetFixedRows, &C::SetFixedRows).Default(1),
      P::Integer(L"GridLineWidth", &C::GetGridLineWidth, &C::SetGridLineWidth).Default(1),
      P::Set(L"Options", GridOptionIdents, &C::GetOptions, &C::SetOptions)
          .Default(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine,
                                goRangeSelect}),
      P::Boolean(L"ParentColor", &C::GetParentColor, &C::SetParentColor).Default(false),
      P::Enum(L"ScrollBars", ScrollStyleIdents, &C::GetScrollBars, &C::SetScrollBars)
          .Default(ssBoth),
      P::Boolean(L"TabStop", &C::GetTabStop, &C::SetTabStop).Default(true),
      P::Method(L"OnDrawCell", &C::GetOnDrawCell, &C::SetOnDrawCell),
      P::Method(L"OnSelectCell", &C::GetOnSelectCell, &C::SetOnSelectCell),
      P::Method(L"OnTopLeftChanged", &C::GetOnTopLeftChanged, &C::SetOnTopLeftChanged),
  };
  return &table;
}
