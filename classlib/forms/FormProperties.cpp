// The properties stored layouts keep of forms and data modules, and the reading of their
// layouts when a derived class's constructor asks for it (LoadLayout).
#include "../classes/Layouts.h"
#include "../classes/Properties.h"
#include "../controls/ControlIdents.h"
#include "../controls/Menus.h"
#include "DataModule.h"
#include "Timer.h"
#include "Forms.h"

namespace {

const wchar_t* const PositionNames[] = {L"poDesigned",       L"poDefault",        L"poDefaultPosOnly",
                                        L"poDefaultSizeOnly", L"poScreenCenter",   L"poDesktopCenter",
                                        L"poMainFormCenter",  L"poOwnerFormCenter"};
const wchar_t* const WindowStateNames[] = {L"wsNormal", L"wsMinimized", L"wsMaximized"};
constexpr TEnumInfo WindowStateIdents = MakeEnumInfo(WindowStateNames);
const wchar_t* const FormStyleNames[] = {L"fsNormal", L"fsMDIChild", L"fsMDIForm", L"fsStayOnTop"};
constexpr TEnumInfo FormStyleIdents = MakeEnumInfo(FormStyleNames);
const wchar_t* const BorderIconNames[] = {L"biSystemMenu", L"biMinimize", L"biMaximize", L"biHelp"};
constexpr TEnumInfo BorderIconIdents = MakeEnumInfo(BorderIconNames);

// A form reads the layouts of its class and of its ancestors below TForm.
const bool FormLayoutReaderInstalled = [] {
  SetLayoutReader([](TComponent* root) {
    ReadInheritedLayout(root, TForm::StaticClassInfo());
    return true;
  });
  return true;
}();

}  // namespace

const TEnumInfo PositionIdents = MakeEnumInfo(PositionNames);

// OldCreateOrder and TextHeight are kept by layouts of older designers; they are read and
// dropped. A form stores its outer size (Width, Height); ClientWidth and ClientHeight are read
// where a layout gives them instead.
const TPropertyTable* TCustomForm::PublishedProperties() {
  using P = TPublish<TCustomForm>;
  using C = TCustomForm;
  static const TPropertyTable table{
      P::Component(L"ActiveControl", &C::GetActiveControl, &C::SetActiveControl),
      P::Set(L"BorderIcons", BorderIconIdents, &C::GetBorderIcons, &C::SetBorderIcons)
          .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize}),
      P::Enum(L"BorderStyle", BorderStyleIdents, &C::GetBorderStyle, &C::SetBorderStyle).Default(bsSizeable),
      P::Integer(L"ClientHeight", &C::GetClientHeight, &C::SetClientHeight).Stored(false),
      P::Integer(L"ClientWidth", &C::GetClientWidth, &C::SetClientWidth).Stored(false),
      P::Color(L"Color", &C::GetColor, &C::SetColor)
          .Default(clBtnFace)
          .Stored([](C* c) { return !c->GetParentColor(); }),
      P::Enum(L"FormStyle", FormStyleIdents, &C::GetFormStyle, &C::SetFormStyle).Default(fsNormal),
      P::Persistent(L"Icon", &C::GetIcon, &C::SetIcon),
      P::Boolean(L"KeyPreview", &C::GetKeyPreview, &C::SetKeyPreview).Default(false),
      P::Component(L"Menu", &C::GetMenu, &C::SetMenu),
      P::Boolean(L"OldCreateOrder", [](C*) { return false; }, [](C*, bool) {}).Stored(false),
      P::Integer(L"PixelsPerInch", &C::GetPixelsPerInch, &C::SetPixelsPerInch),
      P::Enum(L"Position", PositionIdents, &C::GetPosition, &C::SetPosition).Default(poDesigned),
      P::Boolean(L"Scaled", &C::GetScaled, &C::SetScaled).Default(true),
      P::Integer(L"TextHeight", [](C*) { return 0; }, [](C*, int) {}).Stored(false),
      P::Boolean(L"Visible", &C::GetVisible, &C::SetVisible).Default(false),
      P::Enum(L"WindowState", WindowStateIdents, &C::GetWindowState, &C::SetWindowState).Default(wsNormal),
      P::Method(L"OnActivate", &C::GetOnActivate, &C::SetOnActivate),
      P::Method(L"OnClose", &C::GetOnClose, &C::SetOnClose),
      P::Method(L"OnCloseQuery", &C::GetOnCloseQuery, &C::SetOnCloseQuery),
      P::Method(L"OnCreate", &C::GetOnCreate, &C::SetOnCreate),
      P::Method(L"OnDeactivate", &C::GetOnDeactivate, &C::SetOnDeactivate),
      P::Method(L"OnDestroy", &C::GetOnDestroy, &C::SetOnDestroy),
      P::Method(L"OnHide", &C::GetOnHide, &C::SetOnHide),
      P::Method(L"OnPaint", &C::GetOnPaint, &C::SetOnPaint),
      P::Method(L"OnShortCut", &C::GetOnShortCut, &C::SetOnShortCut),
      P::Method(L"OnShow", &C::GetOnShow, &C::SetOnShow),
  };
  return &table;
}

// Left and Top are where the designer placed the module, Width and Height its size there.
const TPropertyTable* TDataModule::PublishedProperties() {
  using P = TPublish<TDataModule>;
  using C = TDataModule;
  static const TPropertyTable table{
      P::Integer(L"Left", [](C* c) { return c->GetDesignOffset().X; },
                 [](C* c, int v) { c->SetDesignOffset(TPoint(v, c->GetDesignOffset().Y)); })
          .Default(0),
      P::Integer(L"Top", [](C* c) { return c->GetDesignOffset().Y; },
                 [](C* c, int v) { c->SetDesignOffset(TPoint(c->GetDesignOffset().X, v)); })
          .Default(0),
      P::Integer(L"Width", [](C* c) { return c->GetDesignSize().X; },
                 [](C* c, int v) { c->SetDesignSize(TPoint(v, c->GetDesignSize().Y)); })
          .Default(0),
      P::Integer(L"Height", [](C* c) { return c->GetDesignSize().Y; },
                 [](C* c, int v) { c->SetDesignSize(TPoint(c->GetDesignSize().X, v)); })
          .Default(0),
      P::Boolean(L"OldCreateOrder", [](C*) { return false; }, [](C*, bool) {}).Stored(false),
      P::Method(L"OnCreate", &C::GetOnCreate, &C::SetOnCreate),
      P::Method(L"OnDestroy", &C::GetOnDestroy, &C::SetOnDestroy),
  };
  return &table;
}

const TPropertyTable* TTimer::PublishedProperties() {
  using P = TPublish<TTimer>;
  using C = TTimer;
  static const TPropertyTable table{
      P::Boolean(L"Enabled", &C::GetEnabled, &C::SetEnabled).Default(true),
      P::Cardinal(L"Interval", &C::GetInterval, &C::SetInterval).Default(1000),
      P::Method(L"OnTimer", &C::GetOnTimer, &C::SetOnTimer),
  };
  return &table;
}

void TDataModule::LoadLayout() { ReadInheritedLayout(this, TDataModule::StaticClassInfo()); }
