// The properties stored layouts keep of the data-aware grid and its columns, and the
// registration of the grid's class.
//
// The options come before the columns, so that the columns read know whether there are
// titles and an indicator.
#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../controls/ControlIdents.h"
#include "DBGrids.h"

namespace {

const wchar_t* const AlignmentNames[] = {L"taLeftJustify", L"taRightJustify", L"taCenter"};
const TEnumInfo AlignmentIdents = MakeEnumInfo(AlignmentNames);
const wchar_t* const DBGridOptionNames[] = {
    L"dgEditing",    L"dgAlwaysShowEditor", L"dgTitles",          L"dgIndicator",
    L"dgColumnResize", L"dgColLines",       L"dgRowLines",        L"dgTabs",
    L"dgRowSelect",  L"dgAlwaysShowSelection", L"dgConfirmDelete", L"dgCancelOnExit",
    L"dgMultiSelect"};
const TEnumInfo DBGridOptionIdents = MakeEnumInfo(DBGridOptionNames);
const wchar_t* const ScrollStyleNames[] = {L"ssNone", L"ssHorizontal", L"ssVertical", L"ssBoth"};
const TEnumInfo ScrollStyleIdents = MakeEnumInfo(ScrollStyleNames);

const bool DBGridRegistered = [] {
  try {
    RegisterClass<TDBGrid>();
  } catch (...) {
    // A clash of names is the registry's to report when a layout names the class.
  }
  return true;
}();

}  // namespace

const TPropertyTable* TColumnTitle::PublishedProperties() {
  using P = TPublish<TColumnTitle>;
  using C = TColumnTitle;
  static const TPropertyTable table{
      P::Enum(L"Alignment", AlignmentIdents, &C::GetAlignment, &C::SetAlignment).Default(taLeftJustify),
      P::Text(L"Caption", &C::GetCaption, &C::SetCaption).Stored(&C::IsCaptionStored),
  };
  return &table;
}

const TPropertyTable* TColumn::PublishedProperties() {
  using P = TPublish<TColumn>;
  using C = TColumn;
  static const TPropertyTable table{
      P::Enum(L"Alignment", AlignmentIdents, &C::GetAlignment, &C::SetAlignment)
          .Stored(&C::IsAlignmentStored),
      P::Text(L"FieldName", &C::GetFieldName, &C::SetFieldName),
      P::Persistent(L"Title", &C::GetTitle, &C::SetTitle),
      P::Integer(L"Width", &C::GetWidth, &C::SetWidth).Stored(&C::IsWidthStored),
  };
  return &table;
}

const TPropertyTable* TDBGrid::PublishedProperties() {
  using P = TPublish<TDBGrid>;
  using C = TDBGrid;
  static const TPropertyTable table{
      P::Enum(L"BorderStyle", BorderStyleIdents, &C::GetBorderStyle, &C::SetBorderStyle)
          .Default(bsSingle),
      P::Color(L"Color", &C::GetColor, &C::SetColor)
          .Default(clWindow)
          .Stored([](C* c) { return !c->GetParentColor(); }),
      P::Set(L"Options", DBGridOptionIdents, &C::GetOptions, &C::SetOptions)
          .Default(TDBGridOptions{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines,
                                  dgRowLines, dgTabs, dgConfirmDelete, dgCancelOnExit}),
      // Columns the grid made for the fields are not kept.
      P::Collection(L"Columns", &C::GetColumns, &C::SetColumns)
          .Stored([](C* c) { return c->GetColumns()->IsCustomized(); }),
      P::Component(L"DataSource", &C::GetDataSource, &C::SetDataSource),
      P::Boolean(L"DefaultDrawing", &C::GetDefaultDrawing, &C::SetDefaultDrawing).Default(true),
      P::Color(L"FixedColor", &C::GetFixedColor, &C::SetFixedColor).Default(clBtnFace),
      P::Boolean(L"ParentColor", &C::GetParentColor, &C::SetParentColor).Default(false),
      P::Boolean(L"ReadOnly", &C::GetReadOnly, &C::SetReadOnly).Default(false),
      P::Enum(L"ScrollBars", ScrollStyleIdents, &C::GetScrollBars, &C::SetScrollBars)
          .Default(ssBoth),
      P::Boolean(L"TabStop", &C::GetTabStop, &C::SetTabStop).Default(true),
      P::Method(L"OnDrawColumnCell", &C::GetOnDrawColumnCell, &C::SetOnDrawColumnCell),
  };
  return &table;
}
