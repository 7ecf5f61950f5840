// The properties stored layouts keep of controls, and the identifiers of the cursors.
//
// Defaults follow the constructors of TControl and TWinControl; a descendant whose
// constructor gives another value declares the property again with its own default.
// Colours, fonts, hints and 3-D looks taken from the parent are not stored.
#include "../classes/Properties.h"
#include "ActnList.h"
#include "ControlIdents.h"
#include "Controls.h"
#include "Menus.h"

// ---- Identifiers ------------------------------------------------------------------------------

const wchar_t* const AlignNames[] = {L"alNone", L"alTop",    L"alBottom", L"alLeft",
                                     L"alRight", L"alClient", L"alCustom"};
const TEnumInfo AlignIdents = MakeEnumInfo(AlignNames);
const wchar_t* const AnchorNames[] = {L"akLeft", L"akTop", L"akRight", L"akBottom"};
const TEnumInfo AnchorIdents = MakeEnumInfo(AnchorNames);
const wchar_t* const DragModeNames[] = {L"dmManual", L"dmAutomatic"};
const TEnumInfo DragModeIdents = MakeEnumInfo(DragModeNames);
const wchar_t* const DragKindNames[] = {L"dkDrag", L"dkDock"};
const TEnumInfo DragKindIdents = MakeEnumInfo(DragKindNames);
const wchar_t* const BiDiModeNames[] = {L"bdLeftToRight", L"bdRightToLeft", L"bdRightToLeftNoAlign",
                                        L"bdRightToLeftReadingOnly"};
const TEnumInfo BiDiModeIdents = MakeEnumInfo(BiDiModeNames);
const wchar_t* const BorderStyleNames[] = {L"bsNone",   L"bsSingle",     L"bsSizeable",
                                           L"bsDialog", L"bsToolWindow", L"bsSizeToolWin"};
const TEnumInfo BorderStyleIdents = MakeEnumInfo(BorderStyleNames);

namespace {

struct TCursorIdent {
  TCursor Cursor;
  const wchar_t* Ident;
};

// crSize and crSizeAll are one cursor; crSizeAll is the name written.
constexpr TCursorIdent CursorIdents[] = {
    {crDefault, L"crDefault"},     {crNone, L"crNone"},         {crArrow, L"crArrow"},
    {crCross, L"crCross"},         {crIBeam, L"crIBeam"},       {crSizeAll, L"crSizeAll"},
    {crSize, L"crSize"},           {crSizeNESW, L"crSizeNESW"}, {crSizeNS, L"crSizeNS"},
    {crSizeNWSE, L"crSizeNWSE"},   {crSizeWE, L"crSizeWE"},     {crUpArrow, L"crUpArrow"},
    {crHourGlass, L"crHourGlass"}, {crDrag, L"crDrag"},         {crNoDrop, L"crNoDrop"},
    {crHSplit, L"crHSplit"},       {crVSplit, L"crVSplit"},     {crMultiDrag, L"crMultiDrag"},
    {crSQLWait, L"crSQLWait"},     {crNo, L"crNo"},             {crAppStart, L"crAppStart"},
    {crHelp, L"crHelp"},           {crHandPoint, L"crHandPoint"},
};

// Stored layouts name cursors by identifier; the registry learns them with the controls.
const bool CursorIdentsRegistered = [] {
  RegisterIntegerConsts(pkCursor, &IdentToCursor, &CursorToIdent);
  return true;
}();

}  // namespace

bool CursorToIdent(int32_t cursor, String& ident) {
  for (const TCursorIdent& entry : CursorIdents) {
    if (entry.Cursor == cursor) {
      ident = entry.Ident;
      return true;
    }
  }
  return false;
}

bool IdentToCursor(const String& ident, int32_t& cursor) {
  for (const TCursorIdent& entry : CursorIdents) {
    if (SameText(ident, entry.Ident)) {
      cursor = entry.Cursor;
      return true;
    }
  }
  return false;
}

// ---- TSizeConstraints --------------------------------------------------------------------------

const TPropertyTable* TSizeConstraints::PublishedProperties() {
  using P = TPublish<TSizeConstraints>;
  using C = TSizeConstraints;
  static const TPropertyTable table{
      P::Integer(L"MaxHeight", &C::GetMaxHeight, &C::SetMaxHeight).Default(0),
      P::Integer(L"MaxWidth", &C::GetMaxWidth, &C::SetMaxWidth).Default(0),
      P::Integer(L"MinHeight", &C::GetMinHeight, &C::SetMinHeight).Default(0),
      P::Integer(L"MinWidth", &C::GetMinWidth, &C::SetMinWidth).Default(0),
  };
  return &table;
}

// ---- TControl ------------------------------------------------------------------------------------

const TPropertyTable* TControl::PublishedProperties() {
  using P = TPublish<TControl>;
  using C = TControl;
  static const TPropertyTable table{
      P::Integer(L"Left", &C::GetLeft, &C::SetLeft),
      P::Integer(L"Top", &C::GetTop, &C::SetTop),
      P::Integer(L"Width", &C::GetWidth, &C::SetWidth),
      P::Integer(L"Height", &C::GetHeight, &C::SetHeight),
      P::Component(L"Action", &C::GetAction, &C::SetAction),
      P::Enum(L"Align", AlignIdents, &C::GetAlign, &C::SetAlign).Default(alNone),
      P::Set(L"Anchors", AnchorIdents, &C::GetAnchors, &C::SetAnchors).Default(TAnchors{akLeft, akTop}),
      P::Boolean(L"AutoSize", &C::GetAutoSize, &C::SetAutoSize).Default(false),
      P::Enum(L"BiDiMode", BiDiModeIdents, &C::GetBiDiMode, &C::SetBiDiMode)
          .Default(bdLeftToRight)
          .Stored([](C* c) { return !c->GetParentBiDiMode(); }),
      P::Text(L"Caption", &C::GetCaption, &C::SetCaption),
      P::Color(L"Color", &C::GetColor, &C::SetColor)
          .Default(clWindow)
          .Stored([](C* c) { return !c->GetParentColor(); }),
      P::Persistent(L"Constraints", &C::GetConstraints, &C::SetConstraints),
      P::Boolean(L"Ctl3D", &C::GetCtl3D, &C::SetCtl3D).Stored([](C* c) { return !c->GetParentCtl3D(); }),
      P::Cursor(L"Cursor", &C::GetCursor, &C::SetCursor).Default(crDefault),
      P::Cursor(L"DragCursor", &C::GetDragCursor, &C::SetDragCursor).Default(crDrag),
      P::Enum(L"DragKind", DragKindIdents, &C::GetDragKind, &C::SetDragKind).Default(dkDrag),
      P::Enum(L"DragMode", DragModeIdents, &C::GetDragMode, &C::SetDragMode).Default(dmManual),
      P::Boolean(L"Enabled", &C::GetEnabled, &C::SetEnabled).Default(true),
      P::Persistent(L"Font", &C::GetFont, &C::SetFont).Stored([](C* c) { return !c->GetParentFont(); }),
      P::Text(L"Hint", &C::GetHint, &C::SetHint),
      P::Boolean(L"ParentBiDiMode", &C::GetParentBiDiMode, &C::SetParentBiDiMode).Default(true),
      P::Boolean(L"ParentColor", &C::GetParentColor, &C::SetParentColor).Default(true),
      P::Boolean(L"ParentCtl3D", &C::GetParentCtl3D, &C::SetParentCtl3D).Default(true),
      P::Boolean(L"ParentFont", &C::GetParentFont, &C::SetParentFont).Default(true),
      P::Boolean(L"ParentShowHint", &C::GetParentShowHint, &C::SetParentShowHint).Default(true),
      P::Component(L"PopupMenu", &C::GetPopupMenu, &C::SetPopupMenu),
      P::Boolean(L"ShowHint", &C::GetShowHint, &C::SetShowHint).Stored([](C* c) { return !c->GetParentShowHint(); }),
      P::Boolean(L"Visible", &C::GetVisible, &C::SetVisible).Default(true),
      P::Method(L"OnClick", &C::GetOnClick, &C::SetOnClick),
      P::Method(L"OnContextPopup", &C::GetOnContextPopup, &C::SetOnContextPopup),
      P::Method(L"OnDblClick", &C::GetOnDblClick, &C::SetOnDblClick),
      P::Method(L"OnDragDrop", &C::GetOnDragDrop, &C::SetOnDragDrop),
      P::Method(L"OnDragOver", &C::GetOnDragOver, &C::SetOnDragOver),
      P::Method(L"OnEndDock", &C::GetOnEndDock, &C::SetOnEndDock),
      P::Method(L"OnEndDrag", &C::GetOnEndDrag, &C::SetOnEndDrag),
      P::Method(L"OnMouseDown", &C::GetOnMouseDown, &C::SetOnMouseDown),
      P::Method(L"OnMouseEnter", &C::GetOnMouseEnter, &C::SetOnMouseEnter),
      P::Method(L"OnMouseLeave", &C::GetOnMouseLeave, &C::SetOnMouseLeave),
      P::Method(L"OnMouseMove", &C::GetOnMouseMove, &C::SetOnMouseMove),
      P::Method(L"OnMouseUp", &C::GetOnMouseUp, &C::SetOnMouseUp),
      P::Method(L"OnMouseWheel", &C::GetOnMouseWheel, &C::SetOnMouseWheel),
      P::Method(L"OnResize", &C::GetOnResize, &C::SetOnResize),
      P::Method(L"OnStartDock", &C::GetOnStartDock, &C::SetOnStartDock),
      P::Method(L"OnStartDrag", &C::GetOnStartDrag, &C::SetOnStartDrag),
  };
  return &table;
}

// ---- TWinControl ---------------------------------------------------------------------------------

const TPropertyTable* TWinControl::PublishedProperties() {
  using P = TPublish<TWinControl>;
  using C = TWinControl;
  static const TPropertyTable table{
      P::Boolean(L"DockSite", &C::GetDockSite, &C::SetDockSite).Default(false),
      P::Boolean(L"DoubleBuffered", &C::GetDoubleBuffered, &C::SetDoubleBuffered).Default(false),
      P::Integer(L"TabOrder", &C::GetTabOrder, &C::SetTabOrder).Default(-1),
      P::Boolean(L"TabStop", &C::GetTabStop, &C::SetTabStop).Default(false),
      P::Method(L"OnDockOver", &C::GetOnDockOver, &C::SetOnDockOver),
      P::Method(L"OnEnter", &C::GetOnEnter, &C::SetOnEnter),
      P::Method(L"OnExit", &C::GetOnExit, &C::SetOnExit),
      P::Method(L"OnKeyDown", &C::GetOnKeyDown, &C::SetOnKeyDown),
      P::Method(L"OnKeyPress", &C::GetOnKeyPress, &C::SetOnKeyPress),
      P::Method(L"OnKeyUp", &C::GetOnKeyUp, &C::SetOnKeyUp),
  };
  return &table;
}
