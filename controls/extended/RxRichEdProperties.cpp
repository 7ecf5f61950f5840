// The published properties of the rich-text edits, as stored layouts name them, and their
// registration.
#include "DBRichEd.h"
#include "RxRichEd.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"

namespace {

const wchar_t* const StreamFormatNames[] = {L"sfDefault", L"sfRichText", L"sfPlainText"};
const TEnumInfo StreamFormatIdents = MakeEnumInfo(StreamFormatNames);
const wchar_t* const StreamModeNames[] = {L"smSelection", L"smPlainRtf", L"smNoObjects", L"smUnicode"};
const TEnumInfo StreamModeIdents = MakeEnumInfo(StreamModeNames);
const wchar_t* const LangOptionNames[] = {L"rlAutoKeyboard", L"rlAutoFont", L"rlImeCancelComplete",
                                          L"rlImeAlwaysSendNotify"};
const TEnumInfo LangOptionIdents = MakeEnumInfo(LangOptionNames);
const wchar_t* const ScrollStyleNames[] = {L"ssNone", L"ssHorizontal", L"ssVertical", L"ssBoth"};
const TEnumInfo ScrollStyleIdents = MakeEnumInfo(ScrollStyleNames);

// An event member published through the property table.
#define RICH_EVENT(Name)                                                   \
  P::Method(                                                             \
      L## #Name, [](C* c) { return c->Name; },                            \
      [](C* c, const decltype(C::Name)& handler) { c->Name = handler; })

}  // namespace

const TPropertyTable* TRxCustomRichEdit::PublishedProperties() {
  using P = TPublish<TRxCustomRichEdit>;
  using C = TRxCustomRichEdit;
  static const TPropertyTable table{
      P::Boolean(L"AllowInPlace", &C::GetAllowInPlace, &C::SetAllowInPlace).Default(true),
      P::Boolean(L"AllowObjects", &C::GetAllowObjects, &C::SetAllowObjects).Default(true),
      P::Boolean(
           L"AutoURLDetect", [](C* c) { return c->GetAutoURLDetect(); },
           [](C* c, bool v) { c->SetAutoURLDetect(v); })
          .Default(true),
      P::Boolean(L"AutoVerbMenu", &C::GetAutoVerbMenu, &C::SetAutoVerbMenu).Default(true),
      P::Boolean(L"HideScrollBars", &C::GetHideScrollBars, &C::SetHideScrollBars).Default(true),
      P::Boolean(L"HideSelection", &C::GetHideSelection, &C::SetHideSelection).Default(true),
      P::Set(
           L"LangOptions", LangOptionIdents, [](C* c) { return c->GetLangOptions(); },
           [](C* c, TRichLangOptions v) { c->SetLangOptions(v); })
          .Default(TRichLangOptions{rlAutoFont}),
      P::Boolean(
           L"PlainText", &C::GetPlainText, [](C* c, bool v) { c->SetPlainText(v); })
          .Default(false),
      P::Boolean(L"SelectionBar", &C::GetSelectionBar, &C::SetSelectionBar).Default(true),
      P::Enum(L"StreamFormat", StreamFormatIdents, &C::GetStreamFormat, &C::SetStreamFormat)
          .Default(sfDefault),
      P::Set(L"StreamMode", StreamModeIdents, &C::GetStreamMode, &C::SetStreamMode),
      P::Text(L"Title", &C::GetTitle, &C::SetTitle),
      P::Integer(L"UndoLimit", &C::GetUndoLimit, &C::SetUndoLimit).Default(100),
      P::Boolean(
           L"WordSelection", [](C* c) { return c->GetWordSelection(); },
           [](C* c, bool v) { c->SetWordSelection(v); })
          .Default(true),
      P::Enum(L"ScrollBars", ScrollStyleIdents, &C::GetScrollBars, &C::SetScrollBars)
          .Default(ssBoth),
      RICH_EVENT(OnSelectionChange),
      RICH_EVENT(OnResizeRequest),
      RICH_EVENT(OnProtectChange),
      RICH_EVENT(OnProtectChangeEx),
      RICH_EVENT(OnSaveClipboard),
      RICH_EVENT(OnURLClick),
      RICH_EVENT(OnTextNotFound),
      RICH_EVENT(OnCloseFindDialog),
  };
  return &table;
}

const TPropertyTable* TRxDBRichEdit::PublishedProperties() {
  using P = TPublish<TRxDBRichEdit>;
  using C = TRxDBRichEdit;
  static const TPropertyTable table{
      P::Boolean(L"AutoDisplay", &C::GetAutoDisplay, &C::SetAutoDisplay).Default(true),
      P::Text(L"DataField", &C::GetDataField, &C::SetDataField),
      P::Component(L"DataSource", &C::GetDataSource, &C::SetDataSource),
      // The lines are the field's.
      P::Strings(L"Lines", &C::GetLines, &C::SetLines).Stored(false),
      P::Boolean(L"ReadOnly", &C::GetReadOnly, &C::SetReadOnly).Default(false),
      P::Method(L"OnClick", &C::GetOnClick, &C::SetOnClick),
  };
  return &table;
}

void RegisterRichEditClasses() {
  RegisterClasses({TRxRichEdit::StaticClassInfo(), TRxDBRichEdit::StaticClassInfo()});
}
