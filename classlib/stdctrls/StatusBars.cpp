// TStatusBar over the system's status window (msctls_statusbar32), and its panels.
#include "StatusBars.h"

#include <commctrl.h>
#include <vector>
#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../controls/ControlIdents.h"
#include "../system/SysMath.h"

namespace {

const wchar_t* const AlignmentNames[] = {L"taLeftJustify", L"taRightJustify", L"taCenter"};
const TEnumInfo AlignmentIdents = MakeEnumInfo(AlignmentNames);
const wchar_t* const BevelNames[] = {L"pbNone", L"pbLowered", L"pbRaised"};
const TEnumInfo BevelIdents = MakeEnumInfo(BevelNames);

const bool StatusBarRegistered = [] {
  RegisterClass<TStatusBar>();
  return true;
}();

}  // namespace

// ---- Properties -------------------------------------------------------------------------------------

const TPropertyTable* TStatusPanel::PublishedProperties() {
  using P = TPublish<TStatusPanel>;
  using C = TStatusPanel;
  static const TPropertyTable table{
      P::Enum(L"Alignment", AlignmentIdents, &C::GetAlignment, &C::SetAlignment)
          .Default(taLeftJustify),
      P::Enum(L"Bevel", BevelIdents, &C::GetBevel, &C::SetBevel).Default(pbLowered),
      P::Text(L"Text", &C::GetText, &C::SetText),
      P::Integer(L"Width", &C::GetWidth, &C::SetWidth),
  };
  return &table;
}

const TPropertyTable* TStatusBar::PublishedProperties() {
  using P = TPublish<TStatusBar>;
  using C = TStatusBar;
  static const TPropertyTable table{
      P::Enum(L"Align", AlignIdents, &C::GetAlign, &C::SetAlign).Default(alBottom),
      P::Color(L"Color", &C::GetColor, &C::SetColor)
          .Default(clBtnFace)
          .Stored([](C* c) { return !c->GetParentColor(); }),
      P::Boolean(L"ParentColor", &C::GetParentColor, &C::SetParentColor).Default(false),
      P::Collection(L"Panels", &C::GetPanels, &C::SetPanels),
      P::Boolean(L"SimplePanel", &C::GetSimplePanel, &C::SetSimplePanel).Default(false),
      P::Text(L"SimpleText", &C::GetSimpleText, &C::SetSimpleText),
      P::Boolean(L"SizeGrip", &C::GetSizeGrip, &C::SetSizeGrip).Default(true),
  };
  return &table;
}

// ---- TStatusPanel ---------------------------------------------------------------------------------------

void TStatusPanel::Assign(TPersistent* source) {
  if (auto* panel = dynamic_cast<TStatusPanel*>(source)) {
    FText = panel->FText;
    FWidth = panel->FWidth;
    FAlignment = panel->FAlignment;
    FBevel = panel->FBevel;
    Changed(true);
    return;
  }
  inherited::Assign(source);
}

String TStatusPanel::GetDisplayName() const {
  return FText.empty() ? inherited::GetDisplayName() : FText;
}

void TStatusPanel::SetText(const String& value) {
  if (value == FText) return;
  FText = value;
  Changed(false);
}

void TStatusPanel::SetWidth(int value) {
  value = Max(0, value);
  if (value == FWidth) return;
  FWidth = value;
  Changed(true);  // the edges of the panels after it move too
}

void TStatusPanel::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel value) {
  if (value == FBevel) return;
  FBevel = value;
  Changed(false);
}

// ---- TStatusPanels -----------------------------------------------------------------------------------------

TStatusPanels::TStatusPanels(TStatusBar* statusBar)
    : TCollection(TCollectionItemClass<TStatusPanel>{}), FStatusBar(statusBar) {}

TPersistent* TStatusPanels::GetOwner() const { return FStatusBar; }

void TStatusPanels::Update(TCollectionItem* item) {
  if (item)
    FStatusBar->UpdatePanel(item->GetIndex());
  else
    FStatusBar->UpdatePanels();
}

// ---- TStatusBar ---------------------------------------------------------------------------------------------

TStatusBar::TStatusBar(TComponent* owner)
    : TWinControl(owner), FPanels(std::make_unique<TStatusPanels>(this)) {
  FPanels->SetPropName(L"Panels");
  SetControlStyle(GetControlStyle() - TControlStyle{csSetCaption});
  SetColor(clBtnFace);
  SetBounds(GetLeft(), GetTop(), 150, 19);
  SetAlign(alBottom);
}

TStatusBar::~TStatusBar() {
  Destroying();
  FPanels.reset();  // its items must not call back into a bar that is going
}

void TStatusBar::CreateParams(TCreateParams& params) {
  INITCOMMONCONTROLSEX init{sizeof(init), ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&init);
  inherited::CreateParams(params);
  CreateSubClass(params, STATUSCLASSNAMEW);
  // The bar stays where its alignment puts it rather than placing itself.
  params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE;
  if (FSizeGrip) params.Style |= SBARS_SIZEGRIP;
}

void TStatusBar::CreateWnd() {
  inherited::CreateWnd();
  UpdatePanels();
}

void TStatusBar::WMSize(TMessage& message) {
  inherited::WMSize(message);
  if (HandleAllocated()) ::InvalidateRect(GetHandle(), nullptr, TRUE);
}

void TStatusBar::SetPanels(TStatusPanels* value) { FPanels->Assign(value); }

void TStatusBar::SetSimplePanel(bool value) {
  if (value == FSimplePanel) return;
  FSimplePanel = value;
  UpdatePanels();
}

void TStatusBar::SetSimpleText(const String& value) {
  if (value == FSimpleText) return;
  FSimpleText = value;
  if (HandleAllocated() && FSimplePanel)
    ::SendMessageW(GetHandle(), SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(FSimpleText.c_str()));
}

void TStatusBar::SetSizeGrip(bool value) {
  if (value == FSizeGrip) return;
  FSizeGrip = value;
  RecreateWnd();
}

void TStatusBar::UpdatePanels() {
  if (!HandleAllocated() || !FPanels) return;
  const HWND wnd = GetHandle();
  ::SendMessageW(wnd, SB_SIMPLE, FSimplePanel ? TRUE : FALSE, 0);
  if (FSimplePanel) {
    ::SendMessageW(wnd, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(FSimpleText.c_str()));
    return;
  }
  // The right edge of each panel; the last one reaches the end of the bar. The window
  // takes at most 256 parts.
  const int count = Min(FPanels->GetCount(), 255);
  std::vector<int> edges(static_cast<size_t>(Max(count, 1)), -1);
  int edge = 0;
  for (int i = 0; i < count - 1; ++i) {
    edge += FPanels->GetItem(i)->GetWidth();
    edges[static_cast<size_t>(i)] = edge;
  }
  ::SendMessageW(wnd, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  if (count == 0) ::SendMessageW(wnd, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L""));
  for (int i = 0; i < count; ++i) UpdatePanel(i);
}

void TStatusBar::UpdatePanel(int index) {
  if (!HandleAllocated() || !FPanels || FSimplePanel || index < 0 || index >= FPanels->GetCount() ||
      index > 254)
    return;
  // A panel the window has no part for yet (just added): set the parts first. Text sent for a
  // part the window does not have is written past its part list.
  if (index >= static_cast<int>(::SendMessageW(GetHandle(), SB_GETPARTS, 0, 0))) {
    UpdatePanels();
    return;
  }
  const TStatusPanel* panel = FPanels->GetItem(index);
  // A tab before the text centres it, two tabs right-justify it.
  String text = panel->GetText();
  if (panel->GetAlignment() == taCenter)
    text = L"\t" + text;
  else if (panel->GetAlignment() == taRightJustify)
    text = L"\t\t" + text;
  WPARAM flags = static_cast<WPARAM>(index);
  if (panel->GetBevel() == pbNone) flags |= SBT_NOBORDERS;
  if (panel->GetBevel() == pbRaised) flags |= SBT_POPOUT;
  ::SendMessageW(GetHandle(), SB_SETTEXTW, flags, reinterpret_cast<LPARAM>(text.c_str()));
}
