#include "SkinStatusBar.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "SkinTextMeasure.h"
#include "classlib/classes/Properties.h"
#include "classlib/controls/ControlIdents.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/StatusBars.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "controls/skin/engine/SkinObjects.h"
#include "controls/skin/engine/ThemeBinding.h"

namespace {

const wchar_t* const PanelStyleNames[] = {L"psText", L"psOwnerDraw"};
const wchar_t* const GliphLayoutNames[] = {L"sglGlyphLeft", L"sglGlyphRight"};
const wchar_t* const AlignmentNames[] = {L"taLeftJustify", L"taRightJustify", L"taCenter"};
const TEnumInfo PanelAlignmentIdents = MakeEnumInfo(AlignmentNames);

int Percent(int value) { return std::clamp(value, 0, 100); }

// Theme parts of the class "Status".
constexpr int SpBackground = 0, SpPane = 1, SpGripperPane = 2, SpGripper = 3;

}  // namespace

const TEnumInfo SeStatusPanelStyleIdents = MakeEnumInfo(PanelStyleNames);
const TEnumInfo SeStatusGliphLayoutIdents = MakeEnumInfo(GliphLayoutNames);

// ---- Layout ---------------------------------------------------------------------------------------

void LayoutStatusSlots(std::vector<TSeStatusSlot>& slots, int contentLeft, int contentRight) {
  const int64_t room = std::max(0, contentRight - contentLeft);
  // 1. Every panel that may show joins the work list; widths are summed in 64 bits.
  std::vector<TSeStatusSlot*> work;
  int64_t sum = 0;
  for (TSeStatusSlot& s : slots) {
    s.MaxWidth = std::max(0, s.MaxWidth);
    s.Width = std::clamp(s.Width, 0, s.MaxWidth);
    s.Computed = s.Width;
    s.Shown = s.ViewPriority > 0;
    if (!s.Shown) continue;
    work.push_back(&s);
    sum += s.Width;
  }
  // 2, 3. Highest view priority first (equal ones in their order); the last ones give way.
  std::stable_sort(work.begin(), work.end(), [](const TSeStatusSlot* a, const TSeStatusSlot* b) {
    return a->ViewPriority > b->ViewPriority;
  });
  while (sum > room && work.size() >= 2 && work.back()->ViewPriority < 100) {
    work.back()->Shown = false;
    sum -= work.back()->Effective();
    work.pop_back();
  }
  // 4. The room left goes to the stretching panels, highest stretch priority first (equal
  // ones in their order); what a panel cannot take beyond MaxWidth passes on.
  int64_t extra = room - sum;
  if (extra > 0) {
    std::erase_if(work, [](const TSeStatusSlot* s) { return s->StretchPriority <= 0; });
    std::stable_sort(work.begin(), work.end(),
                     [](const TSeStatusSlot* a, const TSeStatusSlot* b) {
                       return a->StretchPriority > b->StretchPriority;
                     });
    for (size_t i = 0; i < work.size() && extra >= 1; ++i) {
      TSeStatusSlot& s = *work[i];
      const int64_t grown = std::min<int64_t>(int64_t{s.Computed} + extra, INT_MAX);
      s.Computed = static_cast<int>(grown);
      extra = grown - s.Effective();
    }
  }
  // 5. Placement in collection order; nothing reaches beyond the content's right edge.
  int64_t x = 0;
  for (size_t i = 0; i < slots.size(); ++i) {
    TSeStatusSlot& s = slots[i];
    if (x >= room) s.Shown = false;
    s.Left = contentLeft + static_cast<int>(std::min(x, room));
    s.Right = s.Left;
    // A hidden panel keeps an empty rectangle, also the last stretching one: reaching it to
    // the right edge would draw a panel (text and all) that gave way for lack of room.
    if (!s.Shown) continue;
    x += s.Effective();
    s.Right = contentLeft + static_cast<int>(std::min(x, room));
    if (s.StretchPriority > 0 && (x >= room || i + 1 == slots.size())) s.Right = contentRight;
  }
}

// ---- TSeStatusPanel ---------------------------------------------------------------------------------

const TPropertyTable* TSeStatusPanel::PublishedProperties() {
  using P = TPublish<TSeStatusPanel>;
  using C = TSeStatusPanel;
  static const TPropertyTable table{
      P::Enum(L"Alignment", PanelAlignmentIdents, &C::GetAlignment, &C::SetAlignment)
          .Default(taLeftJustify),
      P::Integer(L"ImageIndex", &C::GetImageIndex, &C::SetImageIndex).Default(-1),
      P::Boolean(L"Framed", &C::GetFramed, &C::SetFramed).Default(true),
      P::Component(L"Control", &C::GetControl, &C::SetControl),
      P::Enum(L"Layout", SeStatusGliphLayoutIdents, &C::GetLayout, &C::SetLayout)
          .Default(sglGlyphLeft),
      P::Integer(L"Margin", &C::GetMargin, &C::SetMargin).Default(2),
      P::Integer(L"MaxWidth", &C::GetMaxWidth, &C::SetMaxWidth).Default(10000),
      P::Integer(L"Spacing", &C::GetSpacing, &C::SetSpacing).Default(4),
      P::Integer(L"ViewPriority", &C::GetViewPriority, &C::SetViewPriority).Default(100),
      P::Integer(L"StretchPriority", &C::GetStretchPriority, &C::SetStretchPriority).Default(0),
      P::Enum(L"Style", SeStatusPanelStyleIdents, &C::GetStyle, &C::SetStyle).Default(psText),
      P::Boolean(L"ShowImage", &C::GetShowImage, &C::SetShowImage).Default(true),
      P::WideText(L"Text", &C::GetText, &C::SetText),
      P::Integer(L"Width", &C::GetWidth, &C::SetWidth).Default(50),
  };
  return &table;
}

TSeStatusPanel::TSeStatusPanel(TCollection* collection) : TCollectionItem(collection) {}

TSeStatusPanel::~TSeStatusPanel() {
  TSeCustomStatusBar* bar = GetStatusBar();
  if (bar && bar->FPressedPanel == this) bar->FPressedPanel = nullptr;
  if (!FControl) return;
  TControl* control = std::exchange(FControl, nullptr);
  if (bar) control->RemoveFreeNotification(bar);
  const bool barGoing = bar && bar->GetComponentState().Contains(csDestroying);
  auto* windowed = dynamic_cast<TWinControl*>(control);
  if (!barGoing && windowed && windowed->HandleAllocated() &&
      !control->GetComponentState().Contains(csDestroying)) {
    windowed->BringToFront();
    windowed->Perform(CM_SHOWINGCHANGED, 0, 0);
  }
}

TSeCustomStatusBar* TSeStatusPanel::GetStatusBar() const {
  auto* panels = dynamic_cast<TSeStatusPanels*>(GetCollection());
  return panels ? panels->GetStatusBar() : nullptr;
}

void TSeStatusPanel::Assign(TPersistent* source) {
  if (auto* system = dynamic_cast<TStatusPanel*>(source)) {
    SetAlignment(system->GetAlignment());
    SetText(system->GetText());
    SetWidth(system->GetWidth());
    return;
  }
  if (auto* panel = dynamic_cast<TSeStatusPanel*>(source)) {
    SetAlignment(panel->FAlignment);
    SetImageIndex(panel->FImageIndex);
    SetFramed(panel->FFramed);
    SetLayout(panel->FLayout);
    SetMargin(panel->FMargin);
    SetMaxWidth(panel->FMaxWidth);
    SetSpacing(panel->FSpacing);
    SetViewPriority(panel->FViewPriority);
    SetStretchPriority(panel->FStretchPriority);
    SetStyle(panel->FStyle);
    SetShowImage(panel->FShowImage);
    SetText(panel->FText);
    SetWidth(panel->FWidth);
    // The hosted control by name among the components of this bar's owner.
    TControl* control = nullptr;
    TSeCustomStatusBar* bar = GetStatusBar();
    if (panel->FControl && bar && bar->GetOwner())
      control = dynamic_cast<TControl*>(bar->GetOwner()->FindComponent(panel->FControl->GetName()));
    SetControl(control);
    return;
  }
  inherited::Assign(source);
}

String TSeStatusPanel::GetDisplayName() const {
  if (!FText.empty()) return FText;
  if (FControl) return L"[ " + FControl->GetName() + L" ]";
  return inherited::GetDisplayName();
}

void TSeStatusPanel::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Changed(false);
}

void TSeStatusPanel::SetImageIndex(int value) {
  if (value == FImageIndex) return;
  FImageIndex = value;
  Changed(false);
}

void TSeStatusPanel::SetFramed(bool value) {
  if (value == FFramed) return;
  FFramed = value;
  if (TSeCustomStatusBar* bar = GetStatusBar()) bar->PlaceControl(this);
  Changed(false);
}

void TSeStatusPanel::SetControl(TControl* value) {
  if (value == FControl) return;
  TSeCustomStatusBar* bar = GetStatusBar();
  if (value && bar) {
    for (TControl* c = bar; c; c = c->GetParent())
      if (c == value) throw EInvalidOperation(L"Can't insert own parent");
    if (TSeStatusPanel* other = bar->PanelOf(value)) other->SetControl(nullptr);
  }
  TControl* old = std::exchange(FControl, value);
  if (old) {
    if (bar) old->RemoveFreeNotification(bar);
    if (!old->GetComponentState().Contains(csDestroying)) old->Perform(CM_SHOWINGCHANGED, 0, 0);
  }
  if (value && bar) {
    value->FreeNotification(bar);
    // Set after FControl, so that the bar sees the control hosted and adds no panel for it.
    if (value->GetParent() != bar) value->SetParent(bar);
  }
  Changed(true);
}

void TSeStatusPanel::SetLayout(TSeStatusGliphLayout value) {
  if (value == FLayout) return;
  FLayout = value;
  Changed(false);
}

void TSeStatusPanel::SetMargin(int value) {
  if (value == FMargin) return;
  FMargin = value;
  Changed(false);
}

void TSeStatusPanel::SetMaxWidth(int value) {
  value = std::max(0, value);
  if (value == FMaxWidth) return;
  FMaxWidth = value;
  FWidth = std::min(FWidth, FMaxWidth);
  Changed(true);
}

void TSeStatusPanel::SetSpacing(int value) {
  if (value == FSpacing) return;
  FSpacing = value;
  Changed(false);
}

void TSeStatusPanel::SetViewPriority(int value) {
  value = Percent(value);
  if (value == FViewPriority) return;
  FViewPriority = value;
  Changed(true);
}

void TSeStatusPanel::SetStretchPriority(int value) {
  value = Percent(value);
  if (value == FStretchPriority) return;
  FStretchPriority = value;
  Changed(true);
}

void TSeStatusPanel::SetStyle(TSeStatusPanelStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  Changed(false);
}

void TSeStatusPanel::SetShowImage(bool value) {
  if (value == FShowImage) return;
  FShowImage = value;
  Changed(false);
}

void TSeStatusPanel::SetText(const String& value) {
  if (value == FText) return;
  FText = value;
  ForgetMeasures();
  Changed(false);
}

void TSeStatusPanel::SetWidth(int value) {
  value = std::clamp(value, 0, FMaxWidth);
  if (value == FWidth) return;
  FWidth = value;
  Changed(true);
}

// ---- TSeStatusPanels ----------------------------------------------------------------------------------

TSeStatusPanels::TSeStatusPanels(TSeCustomStatusBar* statusBar)
    : TCollection([statusBar](TCollection* c) -> TCollectionItem* {
        return statusBar->CreatePanel(c);
      }),
      FStatusBar(statusBar) {
  SetPropName(L"Panels");
}

TSeStatusPanel* TSeStatusPanels::Add() { return static_cast<TSeStatusPanel*>(TCollection::Add()); }

TPersistent* TSeStatusPanels::GetOwner() const { return FStatusBar; }

void TSeStatusPanels::Update(TCollectionItem* item) {
  if (FStatusBar->GetComponentState().Contains(csDestroying)) return;
  if (!item) {
    FStatusBar->LayoutPanels();
    FStatusBar->Invalidate();
    return;
  }
  if (!FStatusBar->HandleAllocated()) return;
  const TRect panel = FStatusBar->GetPanelRect(item->GetIndex());
  if (RectIsEmpty(panel)) return;
  const RECT r = panel;
  ::InvalidateRect(FStatusBar->GetHandle(), &r, FALSE);
  const TRect grip = FStatusBar->GetSizeGripRect();
  TRect common;
  if (IntersectRect(common, panel, grip)) {
    const RECT g = grip;
    ::InvalidateRect(FStatusBar->GetHandle(), &g, FALSE);
  }
}

// ---- TSeCustomStatusBar ------------------------------------------------------------------------------

const TPropertyTable* TSeCustomStatusBar::PublishedProperties() {
  using P = TPublish<TSeCustomStatusBar>;
  using C = TSeCustomStatusBar;
  static const TPropertyTable table{
      P::Set(L"BevelSides", SeBevelSideIdents, &C::GetBevelSides, &C::SetBevelSides)
          .Default(TSeBevelSides{vbsLeft, vbsTop, vbsRight, vbsBottom}),
      P::Enum(L"BevelInner", SeBevelCutIdents, &C::GetBevelInner, &C::SetBevelInner)
          .Default(vbvSpace),
      P::Enum(L"BevelOuter", SeBevelCutIdents, &C::GetBevelOuter, &C::SetBevelOuter)
          .Default(vbvRaised),
      P::Enum(L"BevelKind", SeBevelKindIdents, &C::GetBevelKind, &C::SetBevelKind)
          .Default(vbkNone),
      P::Integer(L"BevelWidth", &C::GetBevelWidth, &C::SetBevelWidth).Default(0),
      P::Integer(L"BorderWidth", &C::GetBorderWidth, &C::SetBorderWidth).Default(2),
      P::Component(L"Images", &C::GetImages, &C::SetImages),
      P::Enum(L"Performance", SePerformanceIdents, &C::GetPerformance, &C::SetPerformance)
          .Default(vxpDoubleBuffer),
      P::Collection(L"Panels", &C::GetPanels, &C::SetPanels),
      P::Boolean(L"SizeGrip", &C::GetSizeGrip, &C::SetSizeGrip).Default(true),
      P::Method(L"OnPanelClick", &C::GetOnPanelClick, &C::SetOnPanelClick),
      P::Method(L"OnPanelDblClick", &C::GetOnPanelDblClick, &C::SetOnPanelDblClick),
      P::Method(L"OnDrawPanel", &C::GetOnDrawPanel, &C::SetOnDrawPanel),
      P::Method(L"OnCreatePanelClass", &C::GetOnCreatePanelClass, &C::SetOnCreatePanelClass),
  };
  return &table;
}

TSeCustomStatusBar::TSeCustomStatusBar(TComponent* owner)
    : TSeCustomControl(owner),
      FPanels(std::make_unique<TSeStatusPanels>(this)),
      FTheme(std::make_unique<TKeptTheme>(L"Status")),
      FPartCache(std::make_unique<TThemePartCache>()) {
  SetBevelSides(TSeBevelSides{vbsLeft, vbsTop, vbsRight, vbsBottom});
  SetBevelInner(vbvSpace);
  SetBevelOuter(vbvRaised);
  SetBevelWidth(0);
  SetBorderWidth(2);
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks});
  SetBounds(GetLeft(), GetTop(), GetWidth(), 22);
  // Painted off-screen and copied out at once: a bar resized with its form does not flicker,
  // and many theme parts drawn on a memory bitmap are far cheaper than on the screen.
  SetPerformance(vxpDoubleBuffer);
}

TSeCustomStatusBar::~TSeCustomStatusBar() {
  Destroying();
  FPanels.reset();  // the panels release their controls while the bar is whole
  if (FImages) FImages->RemoveFreeNotification(this);
}

void TSeCustomStatusBar::SetPanels(TSeStatusPanels* value) { FPanels->Assign(value); }

void TSeCustomStatusBar::SetImages(TCustomImageList* value) {
  if (value == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = value;
  if (FImages) FImages->FreeNotification(this);
  Invalidate();
}

void TSeCustomStatusBar::SetSizeGrip(bool value) {
  if (value == FSizeGrip) return;
  FSizeGrip = value;
  Invalidate();
}

TSeStatusPanel* TSeCustomStatusBar::CreatePanel(TCollection* collection) {
  TSeStatusPanelFactory factory;
  if (FOnCreatePanelClass) FOnCreatePanelClass(this, factory);
  if (factory) return factory(collection);
  return new TSeStatusPanel(collection);
}

TSeStatusPanel* TSeCustomStatusBar::PanelOf(const TControl* control) const {
  if (!control) return nullptr;
  for (int i = 0; i < FPanels->GetCount(); ++i)
    if (FPanels->GetItem(i)->FControl == control) return FPanels->GetItem(i);
  return nullptr;
}

// ---- Geometry ----------------------------------------------------------------------------------------

TSeStatusPanel* TSeCustomStatusBar::PanelAt(const TPoint& point) {
  const TRect content = GetClientRect();
  if (point.Y < content.Top || point.Y > content.Bottom || point.X <= content.Left) return nullptr;
  for (int i = 0; i < FPanels->GetCount(); ++i) {
    TSeStatusPanel* panel = FPanels->GetItem(i);
    if (panel->GetShown() && panel->GetLeft() < point.X && point.X <= panel->GetRight())
      return panel;
  }
  return nullptr;
}

TRect TSeCustomStatusBar::GetPanelRect(int index) {
  if (index < 0 || index >= FPanels->GetCount()) return TRect();
  const TSeStatusPanel* panel = FPanels->GetItem(index);
  const TRect content = GetClientRect();
  return TRect(panel->GetLeft(), content.Top, panel->GetRight(), content.Bottom);
}

TRect TSeCustomStatusBar::GetPanelContentRect(TSeStatusPanel* panel) {
  TRect r = GetPanelRect(panel ? panel->GetIndex() : -1);
  if (panel && panel->GetFramed()) {
    InflateRect(r, -1, -1);
    r.Right -= 2;
  }
  return r;
}

TRect TSeCustomStatusBar::GetSizeGripRect() {
  TRect r = GetClientRect();
  const int count = FPanels->GetCount();
  if (count > 0 && FPanels->GetItem(count - 1)->GetFramed()) InflateRect(r, -1, -1);
  return TRect(r.Right - ::GetSystemMetrics(SM_CXVSCROLL),
               r.Bottom - ::GetSystemMetrics(SM_CYVSCROLL), r.Right, r.Bottom);
}

bool TSeCustomStatusBar::SizeGripShows() {
  if (!FSizeGrip || !HandleAllocated()) return false;
  TCustomForm* form = GetParentForm(this);
  if (!form || !form->HandleAllocated() || form->GetWindowState() != wsNormal) return false;
  RECT bar{}, client{};
  ::GetWindowRect(GetHandle(), &bar);
  ::GetClientRect(form->GetHandle(), &client);
  POINT corner{client.right, client.bottom};
  ::ClientToScreen(form->GetHandle(), &corner);
  if (bar.right != corner.x || bar.bottom != corner.y) return false;
  if (TSeFormSkin* skin = FormSkinOf(form)) return skin->AllowsSizing();
  // Without a decoration the form's own frame must be sizeable.
  return (::GetWindowLongW(form->GetHandle(), GWL_STYLE) & WS_THICKFRAME) != 0;
}

TSize TSeCustomStatusBar::GetImageSize(TSeStatusPanel* panel) {
  if (FImages && panel && panel->GetImageIndex() >= 0 && panel->GetImageIndex() < FImages->GetCount())
    return TSize(FImages->GetWidth(), FImages->GetHeight());
  return TSize(0, 0);
}

namespace {
bool ImageShows(TSeCustomStatusBar& bar, TSeStatusPanel* panel, const TSize& image) {
  return panel->GetShowImage() && (image.cx > 0 || image.cy > 0) && bar.GetImages();
}
}  // namespace

TSize TSeCustomStatusBar::GetTextSize(TSeStatusPanel* panel) {
  if (!panel) return TSize(0, 0);
  // Measured once per text and font: painting asks for it several times per panel.
  if (panel->FTextWidth < 0) panel->FTextWidth = MeasureTextExtent(GetFont(), panel->GetText()).cx;
  if (FLineHeight < 0) FLineHeight = MeasureTextExtent(GetFont(), L"Pq").cy;
  TSize size(panel->FTextWidth, 0);
  if (!GetAutoSize()) {
    int limit = panel->GetEffectiveWidth() - 2 * panel->GetMargin();
    const TSize image = GetImageSize(panel);
    if (ImageShows(*this, panel, image)) limit -= image.cx + panel->GetSpacing();
    size.cx = std::max(0, std::min(size.cx, limit));
  }
  if (!panel->GetText().empty()) size.cy = FLineHeight;
  return size;
}

TRect TSeCustomStatusBar::GetImageRect(TSeStatusPanel* panel) {
  const TRect content = GetPanelContentRect(panel);
  const int w = RectWidth(content), h = RectHeight(content);
  const TSize image = GetImageSize(panel);
  const int tw = GetTextSize(panel).cx;
  const int total = image.cx + panel->GetSpacing() + tw;
  const bool centred = panel->GetAlignment() == taCenter;
  int x;
  if (panel->GetLayout() == sglGlyphLeft)
    x = centred ? (w - total) / 2 : panel->GetMargin();
  else
    x = centred ? w - (w - total) / 2 - image.cx : w - (panel->GetMargin() + image.cx);
  const int y = (h - image.cy) / 2;
  return TRect(x, y, x + image.cx, y + image.cy);
}

TRect TSeCustomStatusBar::GetTextRect(TSeStatusPanel* panel) {
  const TRect content = GetPanelContentRect(panel);
  const int w = RectWidth(content), h = RectHeight(content);
  const TSize image = GetImageSize(panel);
  const bool withImage = ImageShows(*this, panel, image);
  const TSize text = GetTextSize(panel);
  const int total = image.cx + panel->GetSpacing() + text.cx;
  const int margin = panel->GetMargin();
  const bool centred = panel->GetAlignment() == taCenter;
  int left, right;
  if (panel->GetLayout() == sglGlyphLeft) {
    if (!centred) {
      left = withImage ? margin + image.cx + panel->GetSpacing() : margin;
      right = w - margin;
    } else {
      left = withImage ? (w - total) / 2 + image.cx + panel->GetSpacing() : (w - text.cx) / 2;
      right = left + text.cx + 10;
    }
  } else {
    if (!centred) {
      left = margin;
      right = withImage ? w - (margin + image.cx + panel->GetSpacing()) : w - margin;
    } else {
      left = withImage ? (w - total) / 2 : (w - text.cx) / 2;
      right = left + text.cx;
    }
  }
  const int top = (h - text.cy) / 2;
  return TRect(left, top, right, top + text.cy);
}

// ---- Layout ------------------------------------------------------------------------------------------

void TSeCustomStatusBar::LayoutPanels() {
  if (FLayingOut || GetComponentState().Contains(csDestroying)) return;
  FLayingOut = true;
  try {
    std::vector<TSeStatusSlot> slots(static_cast<size_t>(FPanels->GetCount()));
    for (int i = 0; i < FPanels->GetCount(); ++i) {
      const TSeStatusPanel* p = FPanels->GetItem(i);
      slots[i].Width = p->FWidth;
      slots[i].MaxWidth = p->FMaxWidth;
      slots[i].StretchPriority = p->FStretchPriority;
      slots[i].ViewPriority = p->FViewPriority;
    }
    const TRect content = GetClientRect();
    LayoutStatusSlots(slots, content.Left, content.Right);
    for (int i = 0; i < FPanels->GetCount(); ++i) FPanels->GetItem(i)->FSlot = slots[i];
    for (int i = 0; i < FPanels->GetCount(); ++i) PlaceControl(FPanels->GetItem(i));
  } catch (...) {
    FLayingOut = false;
    throw;
  }
  FLayingOut = false;
}

void TSeCustomStatusBar::PlaceControl(TSeStatusPanel* panel) {
  TControl* control = panel ? panel->FControl : nullptr;
  if (!control || control->GetParent() != this) return;
  if (control->GetComponentState().Contains(csDestroying)) return;
  const bool saved = std::exchange(FLayingOut, true);
  try {
    control->SetBoundsRect(GetPanelContentRect(panel));
    control->SetVisible(panel->GetShown());
  } catch (...) {
    FLayingOut = saved;
    throw;
  }
  FLayingOut = saved;
}

void TSeCustomStatusBar::Loaded() {
  inherited::Loaded();
  LayoutPanels();
}

void TSeCustomStatusBar::Resize() {
  LayoutPanels();
  inherited::Resize();
}

void TSeCustomStatusBar::AlignControls(TControl* control, TRect&) {
  if (GetComponentState().Contains(csDestroying)) return;
  if (!control && FPanels->GetCount() == 0) return;
  LayoutPanels();
}

void TSeCustomStatusBar::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FImages) {
    FImages = nullptr;
    Invalidate();
  }
  if (GetComponentState().Contains(csDestroying)) return;
  if (TSeStatusPanel* panel = PanelOf(dynamic_cast<TControl*>(component))) panel->SetControl(nullptr);
}

void TSeCustomStatusBar::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_CONTROLCHANGE:
      ControlChange(reinterpret_cast<TControl*>(message.WParam), message.LParam != 0);
      break;
    case CM_FONTCHANGED:
      FLineHeight = -1;
      for (int i = 0; i < FPanels->GetCount(); ++i) FPanels->GetItem(i)->ForgetMeasures();
      inherited::Dispatch(message);
      Invalidate();
      return;
    case WM_THEMECHANGED:
    case CM_SYSCOLORCHANGE:
      FTheme->Reset();  // the class and the kept panes belong to the theme they came from
      FPartCache->Clear();
      inherited::Dispatch(message);
      Invalidate();
      return;
    case WM_LBUTTONDBLCLK:
      FDblClickPoint = TPoint(static_cast<int16_t>(LOWORD(message.LParam)),
                              static_cast<int16_t>(HIWORD(message.LParam)));
      break;
    default: break;
  }
  inherited::Dispatch(message);
}

void TSeCustomStatusBar::ControlChange(TControl* control, bool inserting) {
  if (!control || GetComponentState().Contains(csLoading) ||
      GetComponentState().Contains(csDestroying))
    return;
  if (inserting) {
    // A control the panels host already has its panel.
    if (PanelOf(control)) return;
    FPanels->Add()->SetControl(control);
  } else if (TSeStatusPanel* panel = PanelOf(control)) {
    delete panel;
  }
}

// ---- Painting -----------------------------------------------------------------------------------------

void TSeCustomStatusBar::PaintFrame() {
  // With visual styles the background part covers the whole bar.
  if (!UseThemes()) inherited::PaintFrame();
}

void TSeCustomStatusBar::PaintFace() {
  // One theme handle, kept from paint to paint, and one background for the whole paint: the
  // panels draw their panes on it instead of drawing the background again each.
  FPaintTheme = FTheme->Get();
  try {
    PaintBackground();
    for (int i = 0; i < FPanels->GetCount(); ++i) DrawPanelByIndex(i);
    if (SizeGripShows()) DrawSizeGrip();
  } catch (...) {
    FPaintTheme = nullptr;
    throw;
  }
  FPaintTheme = nullptr;
}

void TSeCustomStatusBar::PaintBackground() {
  TCanvas* canvas = GetCanvas();
  HDC dc = canvas->GetHandle();
  const RECT whole{0, 0, GetWidth(), GetHeight()};
  if (FPaintTheme && FPartCache->Draw(*FPaintTheme, dc, SpBackground, 0, whole)) {
    canvas->Refresh();
    return;
  }
  // Classic: the bar's own background where no panel lies.
  const int saved = ::SaveDC(dc);
  for (int i = 0; i < FPanels->GetCount(); ++i) {
    const TRect r = GetPanelRect(i);
    if (!RectIsEmpty(r)) ::ExcludeClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
  }
  canvas->Refresh();
  inherited::PaintFace();
  ::RestoreDC(dc, saved);
  canvas->Refresh();
}

void TSeCustomStatusBar::DrawPanelByIndex(int index) {
  const TRect r = GetPanelRect(index);
  if (RectIsEmpty(r)) return;  // out of range, or a panel not shown
  TSeStatusPanel* panel = FPanels->GetItem(index);
  if (!panel->GetShown()) return;
  TCanvas* canvas = GetCanvas();
  HDC dc = canvas->GetHandle();
  // The pane and the text stay inside the panel by themselves; an owner's drawing, an image
  // and a hosted control's hole are clipped to it.
  TControl* hosted = panel->GetControl();
  const bool clip = panel->GetStyle() == psOwnerDraw ||
                    (hosted && hosted->GetParent() == this && hosted->GetVisible()) ||
                    ImageShows(*this, panel, GetImageSize(panel));
  if (!clip) {
    DrawPanel(panel, r, index == FPanels->GetCount() - 1);
    return;
  }
  const int saved = ::SaveDC(dc);
  ::IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
  try {
    DrawPanel(panel, r, index == FPanels->GetCount() - 1);
  } catch (...) {
    ::RestoreDC(dc, saved);
    canvas->Refresh();
    throw;
  }
  ::RestoreDC(dc, saved);
  canvas->Refresh();
}

void TSeCustomStatusBar::DrawPanel(TSeStatusPanel* panel, const TRect& rect, bool isLast) {
  TCanvas* canvas = GetCanvas();
  HDC dc = canvas->GetHandle();
  TControl* hosted = panel->GetControl();
  if (hosted && hosted->GetParent() == this && hosted->GetVisible()) {
    const TRect b = hosted->GetBoundsRect();
    ::ExcludeClipRect(dc, b.Left, b.Top, b.Right, b.Bottom);
  }
  // The background part lies under every panel already (PaintBackground).
  // Drawn from a kept bitmap or by the library, which leaves the DC's objects as it found
  // them: the canvas's font, pen and brush stay selected for the text.
  const bool themed =
      FPaintTheme && FPartCache->Draw(*FPaintTheme, dc, isLast ? SpGripperPane : SpPane, 0, rect);
  if (!themed) {
    FillRectColor(canvas, rect, GetColor());
    if (panel->GetFramed()) DrawFrameLines(canvas, rect, clBtnShadow, clBtnHighlight);
  }
  if (panel->GetStyle() == psOwnerDraw) {
    DrawPanelEvent(panel, rect);
    return;
  }
  DrawPanelText(panel, rect);
  if (panel->GetShowImage()) DrawPanelImage(panel, rect);
}

void TSeCustomStatusBar::DrawPanelText(TSeStatusPanel* panel, const TRect& rect) {
  if (panel->GetText().empty()) return;
  TCanvas* canvas = GetCanvas();
  // The text rectangle is placed from the panel rectangle's corner (in a framed panel, one
  // pixel up and left of the content's).
  TRect r = GetTextRect(panel);
  OffsetRect(r, rect.Left, rect.Top);
  if (!IntersectRect(r, r, rect)) return;
  canvas->SetFont(GetFont());
  // The text as it fits the room, kept until the room, the text or the font changes: a bar
  // repainted at the same widths measures nothing.
  const int room = RectWidth(r) - 4;
  if (panel->FShownRoom != room) {
    const int whole = GetTextSize(panel).cx == panel->FTextWidth ? panel->FTextWidth : INT_MAX;
    panel->FShownText = whole <= room ? panel->GetText()
                                      : EllipsisText(canvas->GetHandle(), panel->GetText(), room);
    panel->FShownRoom = room;
  }
  const String& text = panel->FShownText;
  // The flags come from the alignment alone: the text rectangle is already centred on the
  // text's height, and "&" marks an underlined letter.
  const UINT flags = panel->GetAlignment() == taRightJustify ? DT_RIGHT
                     : panel->GetAlignment() == taCenter     ? DT_CENTER
                                                             : DT_LEFT;
  DrawTextUnicode(canvas, text, r, DrawTextBiDiModeFlags(flags));
}

void TSeCustomStatusBar::DrawPanelImage(TSeStatusPanel* panel, const TRect& rect) {
  const TSize image = GetImageSize(panel);
  if (!ImageShows(*this, panel, image)) return;
  TRect r = GetImageRect(panel);
  FImages->Draw(GetCanvas(), r.Left + rect.Left, r.Top + rect.Top, panel->GetImageIndex(), true);
}

void TSeCustomStatusBar::DrawSizeGrip() {
  RECT r = GetSizeGripRect();
  HDC dc = GetCanvas()->GetHandle();
  if (FPaintTheme && FPartCache->Draw(*FPaintTheme, dc, SpGripper, 0, r)) return;
  const int saved = ::SaveDC(dc);
  ::SetBkMode(dc, TRANSPARENT);
  ::DrawFrameControl(dc, &r, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
  ::RestoreDC(dc, saved);
  GetCanvas()->Refresh();
}

// ---- Mouse ----------------------------------------------------------------------------------------------

void TSeCustomStatusBar::PanelClick(TSeStatusPanel* panel) {
  if (FOnPanelClick) FOnPanelClick(this, panel);
}

void TSeCustomStatusBar::PanelDblClick(TSeStatusPanel* panel) {
  if (FOnPanelDblClick) FOnPanelDblClick(this, panel);
}

void TSeCustomStatusBar::DrawPanelEvent(TSeStatusPanel* panel, const TRect& rect) {
  if (FOnDrawPanel) FOnDrawPanel(this, panel, rect);
}

void TSeCustomStatusBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  // The press belongs to the panel under the mouse now: a handler that deletes that panel
  // clears it, and the panel that moves into its place is not clicked.
  FPressedPanel = button == mbLeft && GetEnabled() ? PanelAt(TPoint(x, y)) : nullptr;
  inherited::MouseDown(button, shift, x, y);
  if (alive.expired() || button != mbLeft || !GetEnabled()) return;
  const TRect grip = GetSizeGripRect();
  if (SizeGripShows() && PtInRect(grip, TPoint(x, y))) {
    FPressedPanel = nullptr;
    StartGripSizing(ClientToScreen(TPoint(x, y)));
  }
}

void TSeCustomStatusBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::MouseUp(button, shift, x, y);
  if (alive.expired() || button != mbLeft) return;
  // Cleared first: the panel is forgotten whatever the handler does.
  TSeStatusPanel* pressed = std::exchange(FPressedPanel, nullptr);
  if (pressed && PanelAt(TPoint(x, y)) == pressed) PanelClick(pressed);
}

void TSeCustomStatusBar::DblClick() {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::DblClick();
  if (alive.expired()) return;
  if (TSeStatusPanel* panel = PanelAt(FDblClickPoint)) PanelDblClick(panel);
}

void TSeCustomStatusBar::StartGripSizing(const TPoint& screen) {
  TCustomForm* form = GetParentForm(this);
  if (!form) return;
  const LPARAM at = MAKELPARAM(static_cast<int16_t>(screen.X), static_cast<int16_t>(screen.Y));
  SetMouseCapture(false);
  if (TSeFormSkin* skin = FormSkinOf(form)) {
    if (HWND frame = skin->FrameWindow()) ::SendMessageW(frame, WM_NCLBUTTONDOWN, 0, at);
    return;
  }
  // The form's own sizing loop, from its bottom-right corner.
  ::SendMessageW(form->GetHandle(), WM_SYSCOMMAND, SC_SIZE | WMSZ_BOTTOMRIGHT, at);
}

void TSeCustomStatusBar::WMSetCursor(TMessage& message) {
  if (LOWORD(message.LParam) == HTCLIENT && SizeGripShows()) {
    POINT p{};
    ::GetCursorPos(&p);
    ::ScreenToClient(GetHandle(), &p);
    RECT grip = GetSizeGripRect();
    if (::PtInRect(&grip, p)) {
      ::SetCursor(::LoadCursorW(nullptr, IDC_SIZENWSE));
      message.Result = 1;
      return;
    }
  }
  inherited::WMSetCursor(message);
}
