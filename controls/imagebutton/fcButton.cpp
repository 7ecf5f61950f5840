// The group rules of Down, in one place:
//  - a left press puts the button down at once (unless it toggles on release inside a
//    group); while the button is held, a button pressed from the up state follows the
//    pointer in and out, one that was already down stays down;
//  - the release inside (or anywhere, when it toggles on release) records the new state:
//    the other down buttons of the group go up first (CM_BUTTONPRESSED), a down radio
//    button that may not go up (AllowAllUp False) stays down, and only then the button
//    clicks; a release outside puts the button back as it was and does not click;
//  - a cancel-mode message ends a press like a release outside; only the left button's
//    release ends a press.
#include "fcButton.h"

#include <algorithm>

#include "classlib/controls/ActnList.h"
#include "classlib/classes/Filer.h"
#include "classlib/classes/Properties.h"
#include "classlib/forms/Forms.h"
#include "classlib/graphics/ImageList.h"
#include "fcBitmap.h"
#include "fcCommon.h"

namespace {

const wchar_t* const ShadeStyleNames[] = {L"fbsNormal", L"fbsRaised", L"fbsHighlight", L"fbsFlat"};
const wchar_t* const ButtonOptionNames[] = {L"boFocusable", L"boOverrideActionGlyph",
                                            L"boToggleOnUp", L"boFocusRect", L"boAutoBold"};
const wchar_t* const KindNames[] = {L"bkCustom", L"bkOK",    L"bkCancel", L"bkHelp",
                                    L"bkYes",    L"bkNo",    L"bkClose",  L"bkAbort",
                                    L"bkRetry",  L"bkIgnore", L"bkAll"};
const TEnumInfo KindIdents = MakeEnumInfo(KindNames);
const wchar_t* const LayoutNames[] = {L"blGlyphLeft", L"blGlyphRight", L"blGlyphTop",
                                      L"blGlyphBottom"};
const TEnumInfo LayoutIdents = MakeEnumInfo(LayoutNames);
const wchar_t* const StyleNames[] = {L"bsAutoDetect", L"bsWin31", L"bsNew"};
const TEnumInfo StyleIdents = MakeEnumInfo(StyleNames);

bool IsDefaultKind(TBitBtnKind kind) { return kind == bkOK || kind == bkYes; }
bool IsCancelKind(TBitBtnKind kind) { return kind == bkCancel || kind == bkNo; }

}  // namespace

const TEnumInfo fcShadeStyleIdents = MakeEnumInfo(ShadeStyleNames);
const TEnumInfo fcButtonOptionIdents = MakeEnumInfo(ButtonOptionNames);

// ---- TfcOffsets -------------------------------------------------------------------------------

const TPropertyTable* TfcOffsets::PublishedProperties() {
  using P = TPublish<TfcOffsets>;
  using C = TfcOffsets;
  static const TPropertyTable table{
      P::Integer(L"GlyphX", &C::GetGlyphX, &C::SetGlyphX).Default(0),
      P::Integer(L"GlyphY", &C::GetGlyphY, &C::SetGlyphY).Default(0),
      P::Integer(L"TextX", &C::GetTextX, &C::SetTextX).Default(0),
      P::Integer(L"TextY", &C::GetTextY, &C::SetTextY).Default(0),
      P::Integer(L"TextDownX", &C::GetTextDownX, &C::SetTextDownX).Default(1),
      P::Integer(L"TextDownY", &C::GetTextDownY, &C::SetTextDownY).Default(1),
  };
  return &table;
}

void TfcOffsets::Store(int& field, int value) {
  if (field == value) return;
  field = value;
  if (FButton) FButton->Invalidate();
}

void TfcOffsets::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TfcOffsets*>(source)) {
    FGlyphX = other->FGlyphX;
    FGlyphY = other->FGlyphY;
    FTextX = other->FTextX;
    FTextY = other->FTextY;
    FTextDownX = other->FTextDownX;
    FTextDownY = other->FTextDownY;
    if (FButton) FButton->Invalidate();
    return;
  }
  inherited::Assign(source);
}

TPersistent* TfcOffsets::GetOwner() const { return FButton; }

// ---- TfcShadeColors ---------------------------------------------------------------------------

const TPropertyTable* TfcShadeColors::PublishedProperties() {
  using P = TPublish<TfcShadeColors>;
  using C = TfcShadeColors;
  static const TPropertyTable table{
      P::Color(L"BtnHighlight", &C::GetBtnHighlight, &C::SetBtnHighlight).Default(clBtnHighlight),
      P::Color(L"Btn3DLight", &C::GetBtn3DLight, &C::SetBtn3DLight).Default(cl3DLight),
      P::Color(L"BtnShadow", &C::GetBtnShadow, &C::SetBtnShadow).Default(clBtnShadow),
      P::Color(L"BtnBlack", &C::GetBtnBlack, &C::SetBtnBlack).Default(clBlack),
      P::Color(L"BtnFocus", &C::GetBtnFocus, &C::SetBtnFocus).Default(clBlack),
      P::Color(L"Shadow", &C::GetShadow, &C::SetShadow).Default(clBlack),
  };
  return &table;
}

void TfcShadeColors::Store(TColor& field, TColor value) {
  field = value;
  if (FButton) FButton->Invalidate();
}

void TfcShadeColors::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TfcShadeColors*>(source)) {
    FBtnHighlight = other->FBtnHighlight;
    FBtn3DLight = other->FBtn3DLight;
    FBtnShadow = other->FBtnShadow;
    FBtnBlack = other->FBtnBlack;
    FBtnFocus = other->FBtnFocus;
    FShadow = other->FShadow;
    if (FButton) FButton->Invalidate();
    return;
  }
  inherited::Assign(source);
}

TPersistent* TfcShadeColors::GetOwner() const { return FButton; }

// ---- TfcCustomBitBtn: published properties ------------------------------------------------------

const TPropertyTable* TfcCustomBitBtn::PublishedProperties() {
  using P = TPublish<TfcCustomBitBtn>;
  using C = TfcCustomBitBtn;
  static const TPropertyTable table{
      P::Boolean(L"AllowAllUp", &C::GetAllowAllUp, &C::SetAllowAllUp).Default(false),
      P::Boolean(L"Cancel", &C::GetCancel, &C::SetCancel).Default(false).Stored(&C::IsCustom),
      P::WideText(L"Caption", &C::GetCaption, &C::SetCaption).Stored(&C::IsCustomCaption),
      P::Boolean(L"Default", &C::GetDefault, &C::SetDefault).Default(false).Stored(&C::IsCustom),
      P::Boolean(L"Down", &C::GetDown, &C::SetDown).Default(false),
      P::Persistent(L"Glyph", &C::GetGlyph, &C::SetGlyph).Stored(&C::IsCustom),
      P::Integer(L"GroupIndex", &C::GetGroupIndex, &C::SetGroupIndex).Default(0),
      P::Enum(L"Kind", KindIdents, &C::GetKind, &C::SetKind).Default(bkCustom),
      P::Enum(L"Layout", LayoutIdents, &C::GetLayout, &C::SetLayout).Default(blGlyphLeft),
      P::Integer(L"Margin", &C::GetMargin, &C::SetMargin).Default(-1),
      P::Integer(L"ModalResult", &C::GetModalResult, &C::SetModalResult)
          .Default(0)
          .Stored(&C::IsCustom),
      P::Integer(L"NumGlyphs", &C::GetNumGlyphs, &C::SetNumGlyphs).Default(1).Stored(&C::IsCustom),
      P::Persistent(L"Offsets", &C::GetOffsets, &C::SetOffsets),
      P::Set(L"Options", fcButtonOptionIdents, &C::GetOptions, &C::SetOptions)
          .Default(TfcButtonOptions{}),
      P::Persistent(L"ShadeColors", &C::GetShadeColors, &C::SetShadeColors),
      P::Enum(L"ShadeStyle", fcShadeStyleIdents, &C::GetShadeStyle, &C::SetShadeStyle)
          .Default(fbsNormal),
      P::Boolean(L"SmoothFont", &C::GetSmoothFont, &C::SetSmoothFont).Default(false),
      P::Integer(L"Spacing", &C::GetSpacing, &C::SetSpacing).Default(4),
      P::Enum(L"Style", StyleIdents, &C::GetStyle, &C::SetStyle).Default(bsAutoDetect),
      P::Boolean(L"TabStop", &C::GetTabStop, &C::SetTabStop).Default(false),
      P::Persistent(L"TextOptions", &C::GetTextOptions, &C::SetTextOptions),
      P::Method(L"OnSelChange", [](C* c) { return c->OnSelChange; },
                [](C* c, TNotifyEvent e) { c->OnSelChange = std::move(e); }),
  };
  return &table;
}

// ---- TfcCustomBitBtn: life cycle ----------------------------------------------------------------

TfcCustomBitBtn::TfcCustomBitBtn(TComponent* owner) : TWinControl(owner) {
  SetControlStyle(TControlStyle{csSetCaption, csOpaque, csReflector});
  FCanvas = std::make_unique<TCanvas>();
  SetColor(clBtnFace);
  FGlyph = std::make_unique<TBitmap>();
  FGlyph->OnChange = [this](TObject* sender) { GlyphChanged(sender); };
  FOffsets.reset(CreateOffsets());
  FShadeColors = std::make_unique<TfcShadeColors>(this);
  SetTabStop(true);
  TfcTextCallbacks callbacks;
  callbacks.OnChange = [this] { Invalidate(); };
  callbacks.OnRecalc = [this] { Invalidate(); };
  callbacks.IsEnabled = [this] { return IsEnabled(); };
  FTextOptions = std::make_unique<TfcCaptionText>(std::move(callbacks), GetFont(), FCanvas.get());
  FTextOptions->SetAlignment(taCenter);
  FTextOptions->SetVAlignment(vaVCenter);
  SetBounds(GetLeft(), GetTop(), 75, 25);
}

TfcCustomBitBtn::~TfcCustomBitBtn() {
  // Leaves the parent while still a button, so that a button group can tell which of its
  // items goes (the control's own destructor leaves it too late for that).
  if (GetParent()) SetParent(nullptr);
  // The window goes in the inherited destructor; the system frees the region it holds.
  FRegion.reset();
  FPrevRegion.reset();
  FGlyph->OnChange = nullptr;
}

void TfcCustomBitBtn::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  CreateSubClass(params, L"BUTTON");
  params.Style |= BS_OWNERDRAW;
}

void TfcCustomBitBtn::CreateWnd() {
  FRecreatePosted = false;
  inherited::CreateWnd();
  FActive = FDefault;
  ApplyRegions();
}

void TfcCustomBitBtn::DestroyWnd() {
  ClearRegions();
  inherited::DestroyWnd();
}

void TfcCustomBitBtn::Loaded() {
  inherited::Loaded();
  if (!FOptions.Contains(boFocusable)) SetTabStop(false);
  // Records read with the layout were made for the size the layout gives.
  FRegionDataSize = TSize{GetWidth(), GetHeight()};
  ApplyRegions();
  NotifyLoaded();
}

void TfcCustomBitBtn::SetName(const String& value) {
  inherited::SetName(value);
  if (OnNameChanged) OnNameChanged(this);
}

// ---- TfcCustomBitBtn: attributes ----------------------------------------------------------------

void TfcCustomBitBtn::SetAllowAllUp(bool value) {
  if (FAllowAllUp == value) return;
  FAllowAllUp = value;
  GroupChange();
}

void TfcCustomBitBtn::SetDefault(bool value) {
  FDefault = value;
  if (!HandleAllocated()) return;
  if (TCustomForm* form = GetParentForm(this))
    form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->GetActiveControl()));
}

void TfcCustomBitBtn::SetDown(bool value) {
  if (FGroupIndex == 0 && !GetComponentState().Contains(csLoading)) value = false;
  if (value == FDown) return;
  SetDownState(value, true, true);
  SelChange();
}

void TfcCustomBitBtn::SetDownState(bool value, bool invalidate, bool broadcast) {
  if (value != FDown) {
    FDown = value;
    UpdateShape();
    if (FDown) NotifyDown();
    if (broadcast) GroupChange();
    if (invalidate) Invalidate();
  }
  if (FGroupIndex > 0 && FOptions.Contains(boAutoBold)) {
    TFontStyles style = GetFont()->GetStyle();
    if (FDown)
      style.Include(fsBold);
    else
      style.Exclude(fsBold);
    if (style != GetFont()->GetStyle()) GetFont()->SetStyle(style);
  }
}

void TfcCustomBitBtn::SetGlyph(TBitmap* value) {
  FGlyph->Assign(value);
  Invalidate();
}

void TfcCustomBitBtn::SetGroupIndex(int value) {
  if (FGroupIndex == value) return;
  FGroupIndex = value;
  GroupChange();
}

TBitBtnKind TfcCustomBitBtn::GetKind() {
  if (FKind != bkCustom &&
      (FDefault != IsDefaultKind(FKind) || FCancel != IsCancelKind(FKind) ||
       FModalResult != BitBtnModalResult(FKind)))
    FKind = bkCustom;
  return FKind;
}

void TfcCustomBitBtn::SetKind(TBitBtnKind value) {
  if (value != bkCustom) {
    // Through the writer, so that a button shown with another kind stops answering Enter.
    SetDefault(IsDefaultKind(value));
    FCancel = IsCancelKind(value);
    if (!GetComponentState().Contains(csLoading) || GetCaption().empty())
      SetCaption(BitBtnCaption(value));
    FModalResult = BitBtnModalResult(value);
    GetBitBtnGlyph(value, FGlyph.get());
    FNumGlyphs = 2;
  }
  FKind = value;
  Invalidate();
}

bool TfcCustomBitBtn::IsCustomCaption() { return GetCaption() != BitBtnCaption(GetKind()); }

void TfcCustomBitBtn::SetLayout(TButtonLayout value) {
  if (FLayout == value) return;
  FLayout = value;
  Invalidate();
}

void TfcCustomBitBtn::SetMargin(int value) {
  if (value == FMargin || value < -1) return;
  FMargin = value;
  Invalidate();
}

void TfcCustomBitBtn::SetNumGlyphs(int value) {
  value = std::clamp(value, 1, 4);
  if (value == FNumGlyphs) return;
  FNumGlyphs = value;
  Invalidate();
}

void TfcCustomBitBtn::SetOffsets(TfcOffsets* value) {
  if (value) FOffsets->Assign(value);
}

void TfcCustomBitBtn::SetOptions(TfcButtonOptions value) {
  const bool boldChanged = value.Contains(boAutoBold) != FOptions.Contains(boAutoBold);
  FOptions = value;
  if (!FOptions.Contains(boFocusable)) SetTabStop(false);
  if (boldChanged) SetDownState(FDown, true, false);
}

void TfcCustomBitBtn::SetShadeColors(TfcShadeColors* value) {
  if (value) FShadeColors->Assign(value);
}

void TfcCustomBitBtn::SetShadeStyle(TfcShadeStyle value) {
  if (FShadeStyle == value) return;
  FShadeStyle = value;
  DropRegionRecords();  // a raised face has another outline: the new window cuts it afresh
  RecreateButton();
}

void TfcCustomBitBtn::SetSmoothFont(bool value) {
  if (FSmoothFont == value) return;
  FSmoothFont = value;
  Invalidate();
}

void TfcCustomBitBtn::SetSpacing(int value) {
  if (FSpacing == value) return;
  FSpacing = value;
  Invalidate();
}

void TfcCustomBitBtn::SetStyle(TButtonStyle value) {
  if (FStyle == value) return;
  FStyle = value;
  Invalidate();
}

void TfcCustomBitBtn::SetTextOptions(TfcCaptionText* value) {
  if (value) FTextOptions->Assign(value);
}

void TfcCustomBitBtn::GlyphChanged(TObject*) { Invalidate(); }

TfcShadeStyle TfcCustomBitBtn::PaintStyle() const {
  return FShadeStyle == fbsFlat && FInClick ? fbsNormal : FShadeStyle;
}

void TfcCustomBitBtn::SetDefaultShadeColors(TColor base) {
  FShadeColors->SetBtnShadow(AdjustColor(base, -50, true));
  FShadeColors->SetBtnBlack(AdjustColor(FShadeColors->GetBtnShadow(), -50, true));
  FShadeColors->SetBtn3DLight(AdjustColor(base, 50, true));
  FShadeColors->SetBtnHighlight(AdjustColor(FShadeColors->GetBtn3DLight(), 50, true));
}

void TfcCustomBitBtn::AssignTo(TPersistent* dest) {
  auto* other = dynamic_cast<TfcCustomBitBtn*>(dest);
  if (!other) {
    inherited::AssignTo(dest);
    return;
  }
  other->SetColor(GetColor());
  other->FOffsets->Assign(FOffsets.get());
  other->SetLayout(FLayout);
  other->SetMargin(FMargin);
  other->SetNumGlyphs(FNumGlyphs);
  other->SetOptions(FOptions);
  other->FShadeColors->Assign(FShadeColors.get());
  other->SetSpacing(FSpacing);
  other->SetTabStop(GetTabStop());
  other->FTextOptions->Assign(FTextOptions.get());
}

void TfcCustomBitBtn::ActionChange(TObject* sender, bool checkDefaults) {
  inherited::ActionChange(sender, checkDefaults);
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (!action || !FGlyph->GetEmpty() || !action->GetActionList()) return;
  TCustomImageList* images = action->GetActionList()->GetImages();
  const int index = action->GetImageIndex();
  if (!images || index < 0 || index >= images->GetCount()) return;
  FGlyph->SetSize(images->GetWidth(), images->GetHeight());
  TCanvas* canvas = FGlyph->GetCanvas();
  canvas->GetBrush()->SetColor(clFuchsia);
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->FillRect(TRect(0, 0, images->GetWidth(), images->GetHeight()));
  images->Draw(canvas, 0, 0, index, true);
}

// ---- TfcCustomBitBtn: change links ----------------------------------------------------------------

void TfcCustomBitBtn::AddObserver(TfcChangeLink* link) {
  if (link && std::find(FLinks.begin(), FLinks.end(), link) == FLinks.end()) FLinks.push_back(link);
}

void TfcCustomBitBtn::RemoveObserver(TfcChangeLink* link) {
  FLinks.erase(std::remove(FLinks.begin(), FLinks.end(), link), FLinks.end());
}

// A handler may attach or detach links: each pass works on a copy of the list and skips a
// link that has gone meanwhile.
#define FC_NOTIFY_LINKS(call)                                                        \
  do {                                                                              \
    const std::vector<TfcChangeLink*> links = FLinks;                               \
    for (TfcChangeLink* link : links) {                                             \
      if (std::find(FLinks.begin(), FLinks.end(), link) == FLinks.end()) continue;  \
      link->SetSender(this);                                                        \
      link->call();                                                                 \
    }                                                                               \
  } while (false)

void TfcCustomBitBtn::NotifyChange() { FC_NOTIFY_LINKS(Change); }
void TfcCustomBitBtn::NotifyDown() { FC_NOTIFY_LINKS(Down); }
void TfcCustomBitBtn::NotifyLoaded() { FC_NOTIFY_LINKS(Loaded); }
#undef FC_NOTIFY_LINKS

void TfcCustomBitBtn::SelChange() {
  FSelected = FDown;
  if (OnSelChange) OnSelChange(this);
  NotifyChange();
}

void TfcCustomBitBtn::GroupChange() {
  TWinControl* parent = GetParent();
  if (FGroupIndex == 0 || !parent) return;
  for (int i = 0; i < parent->GetControlCount(); ++i) {
    if (TControl* control = parent->GetControl(i))
      control->Perform(CM_BUTTONPRESSED, static_cast<WPARAM>(FGroupIndex),
                       reinterpret_cast<LPARAM>(this));
  }
}

void TfcCustomBitBtn::CMButtonPressed(TMessage& message) {
  if (static_cast<int>(message.WParam) != FGroupIndex) return;
  auto* sender = dynamic_cast<TfcCustomBitBtn*>(reinterpret_cast<TControl*>(message.LParam));
  if (!sender || sender == this || !sender->FDown) return;
  SetDownState(false, true, false);
  SelChange();
}

// ---- TfcCustomBitBtn: press and click ---------------------------------------------------------------

void TfcCustomBitBtn::BeginPress() {
  FDownAtPress = FDown;
  if (FOptions.Contains(boToggleOnUp) && FGroupIndex != 0) return;
  if (FOptions.Contains(boFocusable) && CanFocus() && HandleAllocated()) SetFocus();
  const bool was = FDown;
  SetDownState(true, false, false);
  if (FDown != was && HandleAllocated()) PaintNow();
}

void TfcCustomBitBtn::EndPress(bool inside) {
  const bool toggleOnUp = FOptions.Contains(boToggleOnUp);
  // Released outside: the button is put back as it was before the press.
  if (!inside && !toggleOnUp && FDown != FDownAtPress) {
    SetDownState(FDownAtPress, false, false);
    if (HandleAllocated()) PaintNow();
  }
  if (FGroupIndex == 0) {
    SetDownState(false, false, false);
    if (HandleAllocated()) PaintNow();
    return;
  }
  GroupChange();
  if (!inside && !toggleOnUp) return;
  if (FDownAtPress && !FAllowAllUp) return;
  SetDownState(!FDownAtPress, false, true);
  if (HandleAllocated()) PaintNow();
  SelChange();
}

void TfcCustomBitBtn::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    FPressActive = true;
    SetMouseCapture(true);
    BeginPress();
  }
  inherited::MouseDown(button, shift, x, y);
}

void TfcCustomBitBtn::MouseMove(TShiftState shift, int x, int y) {
  inherited::MouseMove(shift, x, y);
  if (!FPressActive || !shift.Contains(ssLeft) || FOptions.Contains(boToggleOnUp)) return;
  const bool in = MouseInControl(x, y, true);
  if ((in && !FDown) || (!in && FDown && !FDownAtPress)) {
    SetDownState(in, false, false);
    PaintNow();
  }
}

void TfcCustomBitBtn::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::MouseUp(button, shift, x, y);
  if (alive.expired() || button != mbLeft || !FPressActive) return;
  bool in = MouseInControl(x, y, true);
  if (GetParent() && IsClassNamed(GetParent()->ClassInfo(), L"TfcCustomOutlookBar")) in = true;
  EndPress(in);
  if (alive.expired()) return;
  SetMouseCapture(false);
  const bool click = MouseInControl(x, y, true) || FOptions.Contains(boToggleOnUp);
  FPressActive = false;
  if (click) Click();
}

void TfcCustomBitBtn::WMCancelMode(TMessage& message) {
  // The press ends as a release outside would end it: no click.
  if (FPressActive) {
    FPressActive = false;
    const bool toggleOnUp = FOptions.Contains(boToggleOnUp);
    if (toggleOnUp) FOptions.Exclude(boToggleOnUp);
    EndPress(false);
    if (toggleOnUp) FOptions.Include(boToggleOnUp);
    SetMouseCapture(false);
  }
  inherited::WMCancelMode(message);
}

void TfcCustomBitBtn::WMLButtonDown(TMessage& message) {
  // Not the system button's handling: it would take the capture and push itself.
  SendCancelMode(this);
  DoMouseDown(message, mbLeft, TShiftState());
}

void TfcCustomBitBtn::Click() {
  const std::weak_ptr<int> alive = GetLifeToken();
  FInClick = true;
  TCustomForm* form = GetParentForm(this);
  if (GetKind() == bkClose && form) {
    form->Close();
  } else {
    if (form) form->SetModalResult(FModalResult);
    inherited::Click();
  }
  if (alive.expired()) return;
  FInClick = false;
  Invalidate();
}

void TfcCustomBitBtn::KeyDown(WORD& key, TShiftState shift) {
  inherited::KeyDown(key, shift);
  if (key != VK_SPACE) return;
  const std::weak_ptr<int> alive = GetLifeToken();
  BeginPress();
  EndPress(true);
  if (!alive.expired()) Click();
}

bool TfcCustomBitBtn::ClickOnEnterOrEsc(TMessage& message) {
  const TWMKey key(message);
  const WORD code = key.GetCharCode();
  if (!((code == VK_RETURN && FActive) || (code == VK_ESCAPE && FCancel)) ||
      !KeyDataToShiftState(key.GetKeyData()).Empty() || !CanFocus())
    return false;
  Click();
  message.Result = 1;
  return true;
}

void TfcCustomBitBtn::CMDialogKey(TMessage& message) {
  if (!ClickOnEnterOrEsc(message)) inherited::CMDialogKey(message);
}

void TfcCustomBitBtn::CMDialogChar(TMessage& message) {
  if (ClickOnEnterOrEsc(message)) return;
  const WORD code = TWMKey(message).GetCharCode();
  if (IsAccel(code, GetCaption()) && CanFocus()) {
    const std::weak_ptr<int> alive = GetLifeToken();
    // A down radio button that may not go up stays down, as it does under the mouse.
    if (!(FDown && FGroupIndex != 0 && !FAllowAllUp)) SetDown(!FDown);
    Click();
    if (!alive.expired()) Invalidate();
    message.Result = 1;
    return;
  }
  inherited::CMDialogChar(message);
}

void TfcCustomBitBtn::CMFocusChanged(TMessage& message) {
  auto* focused = reinterpret_cast<TWinControl*>(message.LParam);
  if (auto* button = dynamic_cast<TfcCustomBitBtn*>(focused))
    FActive = button == this;
  else
    FActive = FDefault;
  inherited::CMFocusChanged(message);
}

void TfcCustomBitBtn::CMEnabledChanged(TMessage& message) {
  inherited::CMEnabledChanged(message);
  Invalidate();
}

void TfcCustomBitBtn::CMMouseEnter(TMessage& message) {
  inherited::CMMouseEnter(message);
  if (FShadeStyle == fbsFlat || FNumGlyphs == 4) Invalidate();
}

void TfcCustomBitBtn::CMMouseLeave(TMessage& message) {
  inherited::CMMouseLeave(message);
  if (FShadeStyle == fbsFlat || FNumGlyphs == 4) Invalidate();
}

void TfcCustomBitBtn::CMTextChanged(TMessage& message) {
  inherited::CMTextChanged(message);
  Invalidate();
}

bool TfcCustomBitBtn::MouseInControl(int x, int y, bool requirePress) {
  if (requirePress && !FPressActive) return false;
  if (!HandleAllocated()) return false;
  if (TCustomForm* form = GetParentForm(this)) {
    if (form->HandleAllocated() && form->GetHandle() != ::GetActiveWindow() &&
        form->GetFormStyle() != fsMDIChild && form->GetFormStyle() != fsMDIForm &&
        !IsClassNamed(form->ClassInfo(), L"TActiveForm")) {
      const HWND outer = ::GetParent(form->GetHandle());
      if (!outer || ::GetParent(outer) != ::GetActiveWindow()) return false;
    }
  }
  POINT screen{x, y};
  if (x == -1 && y == -1)
    ::GetCursorPos(&screen);
  else
    ::ClientToScreen(GetHandle(), &screen);
  POINT own = screen;
  ::ScreenToClient(GetHandle(), &own);
  if (IsMultipleRegions()) {
    UniqueRegion area = SafeCreateRegion(true, !FDown);
    if (!area) return FRegion && ::PtInRegion(FRegion.get(), own.x, own.y);
    if (FRegion) ::CombineRgn(area.get(), area.get(), FRegion.get(), RGN_OR);
    return ::PtInRegion(area.get(), own.x, own.y) != FALSE;
  }
  if (own.x < 0 || own.y < 0 || own.x >= GetWidth() || own.y >= GetHeight()) return false;
  // The kept copy of the window's region: the system's own may not be read back.
  if (FRegion && !::PtInRegion(FRegion.get(), own.x, own.y)) return false;
  TWinControl* parent = GetParent();
  if (!parent || !parent->HandleAllocated()) return true;
  POINT inParent = screen;
  ::ScreenToClient(parent->GetHandle(), &inParent);
  return ::ChildWindowFromPointEx(parent->GetHandle(), inParent, CWP_SKIPINVISIBLE) == GetHandle();
}

// ---- TfcCustomBitBtn: painting ----------------------------------------------------------------------

void TfcCustomBitBtn::PaintToDC(HDC dc) {
  struct Unbind {
    TCanvas* Canvas;
    ~Unbind() { Canvas->SetHandle(nullptr); }
  } unbind{FCanvas.get()};
  FCanvas->SetHandle(dc);
  PaintButton(FCanvas.get());
}

void TfcCustomBitBtn::PaintNow() {
  if (!HandleAllocated()) return;
  WindowDC dc = WindowDC::FromClient(GetHandle());
  if (dc) PaintToDC(dc.get());
}

void TfcCustomBitBtn::PaintButton(TCanvas* canvas) {
  TfcBitmap face;
  face.SetRespectPalette(FRespectPalette);
  DrawButtonFace(&face, false, FDown, PaintStyle());
  if (face.GetEmpty()) {
    // No face (the core's): the button's colour under the glyph and caption.
    face.SetSize(GetWidth(), GetHeight());
    if (face.GetEmpty()) return;
    face.GetCanvas()->GetBrush()->SetColor(GetColor());
    face.GetCanvas()->GetBrush()->SetStyle(bsSolid);
    face.GetCanvas()->FillRect(TRect(0, 0, GetWidth(), GetHeight()));
  }
  TRect r;
  DrawGlyphAndText(face.GetCanvas(), r);
  canvas->Draw(0, 0, &face);
  if (FSmoothFont) {
    FTextOptions->SetCanvas(canvas);
    DrawCaption(canvas, FTextRect);
  }
  FTextOptions->SetCanvas(FCanvas.get());
}

void TfcCustomBitBtn::DrawGlyphAndText(TCanvas* canvas, TRect& r) {
  r = TRect(0, 0, GetWidth(), GetHeight());
  r.Left += 2;
  r.Top += 2;
  r.Right -= 2;
  r.Bottom -= 2;
  canvas->SetFont(GetFont());
  FTextOptions->SetCanvas(canvas);
  FTextOptions->SetText(GetCaption());
  FTextOptions->SetLayoutRect(r);
  TSize textSize{0, 0};
  if (!GetCaption().empty()) {
    TRect measured = r;
    FTextOptions->CalcRect(true, measured);
    textSize = TSize{measured.Width(), measured.Height()};
  }
  CalcButtonLayout(canvas, r, textSize);
  FTextRect.Left = std::max(FTextRect.Left, 0);
  FTextRect.Top = std::max(FTextRect.Top, 0);
  FTextRect.Right = std::min(FTextRect.Right, GetWidth());
  FTextRect.Bottom = std::min(FTextRect.Bottom, GetHeight());
  if (!FGlyph->GetEmpty()) DrawGlyph(canvas, FGlyphRect);
  DrawCaption(canvas, FTextRect);
  if (FOptions.Contains(boFocusRect) && FOptions.Contains(boFocusable) && HandleAllocated() &&
      Focused()) {
    TRect focus;
    ::UnionRect(reinterpret_cast<RECT*>(&focus), reinterpret_cast<const RECT*>(&FTextRect),
                reinterpret_cast<const RECT*>(&FGlyphRect));
    ::InflateRect(reinterpret_cast<RECT*>(&focus), 2, 2);
    canvas->GetBrush()->SetColor(clWhite);
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetFont()->SetColor(clBlack);
    canvas->DrawFocusRect(focus);
  }
}

void TfcCustomBitBtn::CalcButtonLayout(TCanvas*, const TRect&, TSize textSize) {
  const int margin = FMargin == -1 ? 4 : FMargin;
  TSize glyph{0, 0};
  if (!FGlyph->GetEmpty()) glyph = TSize{GlyphFrameWidth(), FGlyph->GetHeight()};
  const int gap = !GetCaption().empty() && !FGlyph->GetEmpty() ? FSpacing : 0;
  TPoint centre;
  switch (FTextOptions->GetAlignment()) {
    case taLeftJustify: centre.X = (textSize.cx + glyph.cx + gap) / 2 + margin; break;
    case taRightJustify: centre.X = GetWidth() - margin - (textSize.cx + glyph.cx + gap) / 2; break;
    default: centre.X = GetWidth() / 2; break;
  }
  centre.Y = GetHeight() / 2;
  LayoutGlyphAndText(centre, gap, static_cast<int>(FLayout), glyph, textSize, &FGlyphRect,
                     &FTextRect);
  OffsetRect(FTextRect, FOffsets->GetTextX(), FOffsets->GetTextY());
  OffsetRect(FGlyphRect, FOffsets->GetGlyphX(), FOffsets->GetGlyphY());
  if (FDown) {
    OffsetRect(FTextRect, FOffsets->GetTextDownX(), FOffsets->GetTextDownY());
    OffsetRect(FGlyphRect, FOffsets->GetTextDownX(), FOffsets->GetTextDownY());
  }
}

int TfcCustomBitBtn::GlyphFrameWidth() {
  return FNumGlyphs == 0 ? FGlyph->GetWidth() : FGlyph->GetWidth() / FNumGlyphs;
}

void TfcCustomBitBtn::DrawGlyph(TCanvas* canvas, const TRect& r) {
  int frame = 0;
  if (!IsEnabled() && FNumGlyphs >= 2)
    frame = 1;
  else if (FDown && FNumGlyphs >= 3)
    frame = 2;
  else if (FNumGlyphs >= 4 && MouseInControl(-1, -1, false))
    frame = 3;
  const int width = GlyphFrameWidth();
  const int height = FGlyph->GetHeight();
  if (width <= 0 || height <= 0) return;
  TBitmap work;
  work.SetSize(width, height);
  work.GetCanvas()->CopyRect(TRect(0, 0, width, height), FGlyph->GetCanvas(),
                             TRect(frame * width, 0, frame * width + width, height));
  TImageList list(nullptr);
  list.SetWidth(width);
  list.SetHeight(height);
  list.AddMasked(&work, work.GetTransparentColor());
  // A disabled button with one frame draws that frame embossed; an enabled frame at an odd
  // place goes one pixel left (the buttons' form of the image-list drawing).
  const bool enabled = IsEnabled() || FNumGlyphs >= 2;
  DrawButtonImageListImage(&list, 0, canvas, r.Left, r.Top, ILD_NORMAL, enabled);
}

void TfcCustomBitBtn::DrawCaption(TCanvas* canvas, const TRect& r) {
  canvas->GetBrush()->SetStyle(bsClear);
  FTextOptions->SetCanvas(canvas);
  FTextOptions->SetLayoutRect(r);
  FTextOptions->Draw();
}

void TfcCustomBitBtn::CNDrawItem(TMessage& message) {
  if (auto* item = TWMDrawItem(message).GetDrawItemStruct()) PaintToDC(item->hDC);
  message.Result = 1;
}

void TfcCustomBitBtn::CNMeasureItem(TMessage& message) {
  if (auto* item = TWMMeasureItem(message).GetMeasureItemStruct()) {
    item->itemWidth = static_cast<UINT>(GetWidth());
    item->itemHeight = static_cast<UINT>(GetHeight());
  }
}

void TfcCustomBitBtn::WMEraseBkgnd(TMessage& message) { message.Result = 1; }

// ---- TfcCustomBitBtn: regions --------------------------------------------------------------------------

UniqueRegion TfcCustomBitBtn::CreateRegion(bool, bool down) {
  return RegionFromBytes(GetRegionData(down));
}

UniqueRegion TfcCustomBitBtn::SafeCreateRegion(bool build, bool down) {
  try {
    return CreateRegion(build, down);
  } catch (...) {
    ApplicationHandleException(this);
    return UniqueRegion();
  }
}

void TfcCustomBitBtn::DropRegionRecords() {
  if (GetComponentState().Contains(csLoading)) return;
  FreeRegionData(false);
  FreeRegionData(true);
}

void TfcCustomBitBtn::RecreateButton() {
  if (!HandleAllocated()) return;
  if (!FInClick) {
    RecreateWnd();
    return;
  }
  if (!FRecreatePosted && ::PostMessageW(GetHandle(), CM_RECREATEWND, 0, 0)) FRecreatePosted = true;
}

void TfcCustomBitBtn::SaveRegionData(HRGN region, bool down) {
  (down ? FDownRegionData : FRegionData) = RegionToBytes(region);
  FRegionDataSize = TSize{GetWidth(), GetHeight()};
}

void TfcCustomBitBtn::FreeRegionData(bool down) { (down ? FDownRegionData : FRegionData).clear(); }

void TfcCustomBitBtn::UpdateShape() {
  if (IsMultipleRegions()) ApplyRegions();
}

void TfcCustomBitBtn::ClearRegions() {
  if (!FRegion && !FPrevRegion) return;
  if (!GetComponentState().Contains(csDestroying) && HandleAllocated())
    ::SetWindowRgn(GetHandle(), nullptr, FALSE);
  FRegion.reset();
  FPrevRegion.reset();
}

void TfcCustomBitBtn::ApplyRegions() {
  if (!HandleAllocated() || !UseRegions()) return;
  ::SetWindowRgn(GetHandle(), nullptr, FALSE);
  FRegion.reset();
  UniqueRegion current = SafeCreateRegion(true, FDown);
  if (FPrevRegion && current && IsMultipleRegions()) {
    // What the old outline covered and the new one does not (or the reverse) is repainted
    // on every parent up to the form.
    UniqueRegion changed(::CreateRectRgn(0, 0, 0, 0));
    ::CombineRgn(changed.get(), FPrevRegion.get(), current.get(), RGN_XOR);
    TControl* control = this;
    while (control && control->GetParent() && !dynamic_cast<TCustomForm*>(control)) {
      ::OffsetRgn(changed.get(), control->GetLeft(), control->GetTop());
      TWinControl* parent = control->GetParent();
      if (parent->HandleAllocated()) ::InvalidateRgn(parent->GetHandle(), changed.get(), TRUE);
      control = parent;
    }
  }
  if (IsMultipleRegions()) FPrevRegion = CopyRegion(current.get());
  if (current) {
    FRegion = CopyRegion(current.get());
    // The system owns the region from here on; only our copy is ours.
    SetWindowRegion(GetHandle(), current, false);
  }
  if (IsMultipleRegions() && GetParent() && GetParent()->HandleAllocated())
    InvalidateOverlappingChildren(GetParent()->GetHandle(), GetHandle());
}

void TfcCustomBitBtn::InvalidateOutside(bool erase) {
  TWinControl* parent = GetParent();
  if (!parent || !parent->HandleAllocated()) return;
  UniqueRegion outside(::CreateRectRgn(0, 0, GetWidth(), GetHeight()));
  UniqueRegion inside = SafeCreateRegion(false, FDown);
  if (inside) ::CombineRgn(outside.get(), outside.get(), inside.get(), RGN_DIFF);
  ::OffsetRgn(outside.get(), GetLeft(), GetTop());
  ::InvalidateRgn(parent->GetHandle(), outside.get(), erase ? TRUE : FALSE);
}

void TfcCustomBitBtn::WMSize(TMessage& message) {
  inherited::WMSize(message);
  // Only a real change of size makes the records stale; the size message that window
  // creation sends leaves them (CreateWnd applies the region afterwards).
  const TSize size{GetWidth(), GetHeight()};
  if (size.cx != FRegionDataSize.cx || size.cy != FRegionDataSize.cy) {
    FreeRegionData(false);
    FreeRegionData(true);
    FRegionDataSize = size;
  }
  if (GetControlState().Contains(csCreating) || !HandleAllocated()) return;
  ::SetWindowRgn(GetHandle(), nullptr, TRUE);
  FRegion.reset();
  ApplyRegions();
  Invalidate();
  InvalidateControlBounds(this, true);
}

void TfcCustomBitBtn::DefineProperties(TFiler& filer) {
  inherited::DefineProperties(filer);
  const bool store = StoreRegionData();
  filer.DefineBinaryProperty(
      L"RegionData", [this](TStream& stream) { ReadRegion(stream, false); },
      [this](TStream& stream) { WriteRegion(stream, false); }, store);
  filer.DefineBinaryProperty(
      L"DownRegionData", [this](TStream& stream) { ReadRegion(stream, true); },
      [this](TStream& stream) { WriteRegion(stream, true); }, store);
}

void TfcCustomBitBtn::ReadRegion(TStream& stream, bool down) {
  TfcRegionBytes bytes;
  ReadRegionBlock(stream, bytes);  // a bad block leaves the record empty
  (down ? FDownRegionData : FRegionData) = std::move(bytes);
}

void TfcCustomBitBtn::WriteRegion(TStream& stream, bool down) {
  WriteRegionBlock(stream, GetRegionData(down));
}

// ---- TfcCustomBitBtn: messages ----------------------------------------------------------------------------

void TfcCustomBitBtn::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_BUTTONPRESSED: CMButtonPressed(message); break;
    case CN_DRAWITEM: CNDrawItem(message); break;
    case CN_MEASUREITEM: CNMeasureItem(message); break;
    default: inherited::Dispatch(message); break;
  }
}
