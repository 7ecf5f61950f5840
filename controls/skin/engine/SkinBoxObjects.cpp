#include "SkinBoxObjects.h"

#include <algorithm>

#include "SkinDrawing.h"
#include "SkinSource.h"
#include "classlib/classes/Properties.h"
#include "classlib/forms/Forms.h"

namespace {
const wchar_t* const RollKindNames[] = {L"rkLeft", L"rkTop", L"rkRight", L"rkBottom"};
}  // namespace

const TEnumInfo SeRollKindIdents = MakeEnumInfo(RollKindNames);

std::vector<const TClassInfo*> BoxSkinObjectClasses() {
  return {TSeLinkSkinObject::StaticClassInfo(),        TSeBitmapSkinObject::StaticClassInfo(),
          TSeFormBitmapSkinObject::StaticClassInfo(),  TSeSysButtonSkinObject::StaticClassInfo(),
          TSeActiveSkinObject::StaticClassInfo(),      TSeColorButtonObject::StaticClassInfo(),
          TSeBitmapBoxObject::StaticClassInfo(),       TSeActiveBitmapBoxObject::StaticClassInfo(),
          TSeButtonBitmapBoxObject::StaticClassInfo(), TSeRollPanelObject::StaticClassInfo()};
}

// ---- TSeLinkSkinObject ----------------------------------------------------------------------------

const TPropertyTable* TSeLinkSkinObject::PublishedProperties() {
  using P = TPublish<TSeLinkSkinObject>;
  using C = TSeLinkSkinObject;
  static const TPropertyTable table{
      P::WideText(L"LinkControl", &C::GetLinkControl, &C::SetLinkControl),
  };
  return &table;
}

TSeLinkSkinObject::TSeLinkSkinObject(TComponent* owner) : TSeSkinObject(owner) {}
TSeLinkSkinObject::~TSeLinkSkinObject() = default;

void TSeLinkSkinObject::Assign(TPersistent* source) {
  inherited::Assign(source);
  if (auto* other = dynamic_cast<TSeLinkSkinObject*>(source)) FLinkControl = other->FLinkControl;
}

void TSeLinkSkinObject::PaintSelf(TCanvas* canvas) {
  if (GetState() != 1) return;
  TRect r = GetBoundsRect();
  FillRectColor(canvas, r, clWhite);
  FrameRectColor(canvas, r, clBlack);
  TFont font;
  font.SetName(L"Arial");
  TFontStyles italic;
  italic.Include(fsItalic);
  font.SetStyle(italic);
  font.SetColor(clBlack);
  canvas->SetFont(&font);
  const int oldMode = ::SetBkMode(canvas->GetHandle(), TRANSPARENT);
  DrawTextUnicode(canvas, FLinkControl, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  ::SetBkMode(canvas->GetHandle(), oldMode);
}

// ---- TSeBitmapSkinObject --------------------------------------------------------------------------

const TPropertyTable* TSeBitmapSkinObject::PublishedProperties() {
  using P = TPublish<TSeBitmapSkinObject>;
  using C = TSeBitmapSkinObject;
  static const TPropertyTable table{
      P::Persistent(L"Bitmap", &C::GetBitmap, &C::SetBitmap),
      P::Enum(L"TileStyle", ScTileStyleIdents, &C::GetTileStyle, &C::SetTileStyle),
  };
  return &table;
}

TSeBitmapSkinObject::TSeBitmapSkinObject(TComponent* owner)
    : TSeSkinObject(owner), FBitmap(std::make_unique<TSeBitmapLink>()) {}
TSeBitmapSkinObject::~TSeBitmapSkinObject() = default;

void TSeBitmapSkinObject::Assign(TPersistent* source) {
  inherited::Assign(source);
  if (auto* other = dynamic_cast<TSeBitmapSkinObject*>(source)) {
    FBitmap->Assign(other->FBitmap.get());
    FTileStyle = other->FTileStyle;
  }
}

void TSeBitmapSkinObject::ResolveLinks() {
  ResolveLink(*FBitmap);
  inherited::ResolveLinks();
}

HRGN TSeBitmapSkinObject::CreateRegion() {
  if (GetMasked() && GetKind() != skClient) return CreatePaintedRegion();
  return inherited::CreateRegion();
}

void TSeBitmapSkinObject::PaintSelf(TCanvas* canvas) {
  PaintPicture(canvas, CurrentBitmap());
  PaintText(canvas, GetFont());
}

void TSeBitmapSkinObject::PaintPicture(TCanvas* canvas, const TSeBitmapLink& link) {
  if (link.Valid())
    DrawByTileStyle(canvas, *link.GetBitmap(), GetBoundsRect(), link.GetRect(), FTileStyle,
                    GetMasked());
}

// ---- TSeFormBitmapSkinObject ----------------------------------------------------------------------

const TPropertyTable* TSeFormBitmapSkinObject::PublishedProperties() {
  using P = TPublish<TSeFormBitmapSkinObject>;
  using C = TSeFormBitmapSkinObject;
  static const TPropertyTable table{
      P::Persistent(L"InactiveBitmap", &C::GetInactiveBitmap, &C::SetInactiveBitmap),
  };
  return &table;
}

TSeFormBitmapSkinObject::TSeFormBitmapSkinObject(TComponent* owner)
    : TSeBitmapSkinObject(owner), FInactive(std::make_unique<TSeBitmapLink>()) {}
TSeFormBitmapSkinObject::~TSeFormBitmapSkinObject() = default;

void TSeFormBitmapSkinObject::Assign(TPersistent* source) {
  inherited::Assign(source);
  if (auto* other = dynamic_cast<TSeFormBitmapSkinObject*>(source))
    FInactive->Assign(other->FInactive.get());
}

void TSeFormBitmapSkinObject::ResolveLinks() {
  ResolveLink(*FInactive);
  inherited::ResolveLinks();
}

const TSeBitmapLink& TSeFormBitmapSkinObject::CurrentBitmap() const {
  if (!GetActive() && FInactive->Valid()) return *FInactive;
  return inherited::CurrentBitmap();
}

// ---- TSeSysButtonSkinObject -----------------------------------------------------------------------

const TPropertyTable* TSeSysButtonSkinObject::PublishedProperties() {
  using P = TPublish<TSeSysButtonSkinObject>;
  using C = TSeSysButtonSkinObject;
  static const TPropertyTable table{
      P::Enum(L"Action", SeActionIdents, &C::GetAction, &C::SetAction),
      P::Persistent(L"BitmapDown", &C::GetBitmapDown, &C::SetBitmapDown),
      P::Persistent(L"BitmapHover", &C::GetBitmapHover, &C::SetBitmapHover),
      P::WideText(L"RollPanel", &C::GetRollPanel, &C::SetRollPanel),
  };
  return &table;
}

TSeSysButtonSkinObject::TSeSysButtonSkinObject(TComponent* owner)
    : TSeBitmapSkinObject(owner),
      FDown(std::make_unique<TSeBitmapLink>()),
      FHover(std::make_unique<TSeBitmapLink>()) {
  SetKind(skSysButton);
}
TSeSysButtonSkinObject::~TSeSysButtonSkinObject() = default;

void TSeSysButtonSkinObject::Assign(TPersistent* source) {
  inherited::Assign(source);
  if (auto* other = dynamic_cast<TSeSysButtonSkinObject*>(source)) {
    FButton.SetAction(other->GetAction());
    FDown->Assign(other->FDown.get());
    FHover->Assign(other->FHover.get());
    FRollPanel = other->FRollPanel;
  }
}

void TSeSysButtonSkinObject::ResolveLinks() {
  ResolveLink(*FDown);
  ResolveLink(*FHover);
  inherited::ResolveLinks();
}

void TSeSysButtonSkinObject::SetState(uint8_t value) {
  inherited::SetState(value);
  FButton.ShowForWindowState(*this, value);
}

const TSeBitmapLink& TSeSysButtonSkinObject::CurrentBitmap() const {
  if (const TSeBitmapLink* picture = FButton.Picture(GetActive(), *FHover, *FDown)) return *picture;
  return inherited::CurrentBitmap();
}

void TSeSysButtonSkinObject::Paint(TCanvas* canvas) {
  if (GetAction() != sbaSysMenu) {
    inherited::Paint(canvas);
    return;
  }
  if (GetVisible() && GetWidth() >= 1 && GetHeight() >= 1 && canvas)
    TSeCaptionButton::PaintFormIcon(canvas, GetBoundsRect(), GetControl());
}

TSeRollPanelObject* TSeSysButtonSkinObject::FindRollPanel() const {
  if (FRollPanel.empty()) return nullptr;
  // The root of this button's tree; the skin source that owns it, when there is one.
  TComponent* root = const_cast<TSeSysButtonSkinObject*>(this);
  for (int depth = 0; depth < 64 && dynamic_cast<TSeSkinObject*>(root->GetOwner()); ++depth)
    root = root->GetOwner();
  TSeSkinObject* found = static_cast<TSeSkinObject*>(root)->FindObject(FRollPanel);
  if (auto* source = dynamic_cast<TSeSkinSource*>(root->GetOwner()); source && !found)
    for (int i = 0; i < source->Count() && !found; ++i)
      if (TSeSkinObject* object = source->Objects(i)) found = object->FindObject(FRollPanel);
  return dynamic_cast<TSeRollPanelObject*>(found);
}

void TSeSysButtonSkinObject::MouseUp(TMouseButton which) {
  if (!FButton.MouseUp(*this, which)) return;
  if (GetAction() == sbaRollPanel) {
    if (TSeRollPanelObject* panel = FindRollPanel()) panel->Toggle();
  } else {
    FButton.Run(*this);
  }
}

// ---- TSeActiveSkinObject --------------------------------------------------------------------------

const TPropertyTable* TSeActiveSkinObject::PublishedProperties() {
  using P = TPublish<TSeActiveSkinObject>;
  using C = TSeActiveSkinObject;
  static const TPropertyTable table{
      P::Color(L"ActiveColor", &C::GetActiveColor, &C::SetActiveColor),
      P::Persistent(L"ActiveFont", &C::GetActiveFont, &C::SetActiveFont),
  };
  return &table;
}

TSeActiveSkinObject::TSeActiveSkinObject(TComponent* owner) : TSeSkinObject(owner) {}
TSeActiveSkinObject::~TSeActiveSkinObject() = default;

void TSeActiveSkinObject::Assign(TPersistent* source) {
  inherited::Assign(source);
  if (auto* other = dynamic_cast<TSeActiveSkinObject*>(source))
    FActivePair.Assign(other->FActivePair);
}

void TSeActiveSkinObject::SetCharset(TFontCharset value) {
  FActivePair.Font->SetCharset(value);
  inherited::SetCharset(value);
}

void TSeActiveSkinObject::ShiftHue(int delta) {
  FActivePair.ShiftHue(delta);
  inherited::ShiftHue(delta);
}

void TSeActiveSkinObject::MouseEnter() {
  SetState(5);
  InvalidateObject();
}

void TSeActiveSkinObject::MouseLeave() {
  SetState(0);
  InvalidateObject();
}

void TSeActiveSkinObject::PaintSelf(TCanvas* canvas) {
  if (GetState() == 5 || GetState() == 7)
    PaintFilled(canvas, FActivePair.Color, FActivePair.Font.get());
  else
    inherited::PaintSelf(canvas);
}

// ---- TSeColorButtonObject -------------------------------------------------------------------------

const TPropertyTable* TSeColorButtonObject::PublishedProperties() {
  using P = TPublish<TSeColorButtonObject>;
  using C = TSeColorButtonObject;
  static const TPropertyTable table{
      P::Color(L"HotColor", &C::GetHotColor, &C::SetHotColor),
      P::Persistent(L"HotFont", &C::GetHotFont, &C::SetHotFont),
      P::Color(L"PressedColor", &C::GetPressedColor, &C::SetPressedColor),
      P::Persistent(L"PressedFont", &C::GetPressedFont, &C::SetPressedFont),
      P::Color(L"FocusedColor", &C::GetFocusedColor, &C::SetFocusedColor),
      P::Persistent(L"FocusedFont", &C::GetFocusedFont, &C::SetFocusedFont),
      P::Color(L"DisabledColor", &C::GetDisabledColor, &C::SetDisabledColor),
      P::Persistent(L"DisabledFont", &C::GetDisabledFont, &C::SetDisabledFont),
  };
  return &table;
}

TSeColorButtonObject::TSeColorButtonObject(TComponent* owner) : TSeSkinObject(owner) {}
TSeColorButtonObject::~TSeColorButtonObject() = default;

void TSeColorButtonObject::Assign(TPersistent* source) {
  inherited::Assign(source);
  if (auto* other = dynamic_cast<TSeColorButtonObject*>(source))
    for (int i = 0; i < 4; ++i) FPairs[i].Assign(other->FPairs[i]);
}

void TSeColorButtonObject::SetCharset(TFontCharset value) {
  for (auto& pair : FPairs) pair.Font->SetCharset(value);
  inherited::SetCharset(value);
}

void TSeColorButtonObject::ShiftHue(int delta) {
  for (auto& pair : FPairs) pair.ShiftHue(delta);
  inherited::ShiftHue(delta);
}

void TSeColorButtonObject::PaintSelf(TCanvas* canvas) {
  const int index = GetState() == 5   ? 0
                    : GetState() == 6 ? 1
                    : GetState() == 7 ? 2
                    : GetState() == 8 ? 3
                                      : -1;
  if (index < 0)
    inherited::PaintSelf(canvas);
  else
    PaintFilled(canvas, FPairs[index].Color, FPairs[index].Font.get());
}

// ---- TSeBitmapBoxObject ---------------------------------------------------------------------------

const TPropertyTable* TSeBitmapBoxObject::PublishedProperties() {
  using P = TPublish<TSeBitmapBoxObject>;
  using C = TSeBitmapBoxObject;
  static const TPropertyTable table{
      P::Enum(L"BorderTileStyle", ScTileStyleIdents, &C::GetBorderTileStyle,
              &C::SetBorderTileStyle),
  };
  return &table;
}

TSeBitmapBoxObject::TSeBitmapBoxObject(TComponent* owner) : TSeBitmapSkinObject(owner) {}
TSeBitmapBoxObject::~TSeBitmapBoxObject() = default;

void TSeBitmapBoxObject::Assign(TPersistent* source) {
  inherited::Assign(source);
  if (auto* other = dynamic_cast<TSeBitmapBoxObject*>(source))
    FBorderTileStyle = other->FBorderTileStyle;
}

void TSeBitmapBoxObject::PaintPicture(TCanvas* canvas, const TSeBitmapLink& link) {
  TSeNineSlice slice;
  slice.Left = GetMarginLeft();
  slice.Top = GetMarginTop();
  slice.Right = GetMarginRight();
  slice.Bottom = GetMarginBottom();
  slice.Centre = GetTileStyle();
  slice.Border = FBorderTileStyle;
  slice.Masked = slice.MaskedBorder = slice.MaskedAngles = GetMasked();
  DrawNineSlice(canvas, link, GetBoundsRect(), slice);
}

// ---- TSeActiveBitmapBoxObject ---------------------------------------------------------------------

const TPropertyTable* TSeActiveBitmapBoxObject::PublishedProperties() {
  using P = TPublish<TSeActiveBitmapBoxObject>;
  using C = TSeActiveBitmapBoxObject;
  static const TPropertyTable table{
      P::Persistent(L"FocusedBitmap", &C::GetFocusedBitmap, &C::SetFocusedBitmap),
  };
  return &table;
}

TSeActiveBitmapBoxObject::TSeActiveBitmapBoxObject(TComponent* owner)
    : TSeBitmapBoxObject(owner), FFocused(std::make_unique<TSeBitmapLink>()) {}
TSeActiveBitmapBoxObject::~TSeActiveBitmapBoxObject() = default;

void TSeActiveBitmapBoxObject::Assign(TPersistent* source) {
  inherited::Assign(source);
  if (auto* other = dynamic_cast<TSeActiveBitmapBoxObject*>(source))
    FFocused->Assign(other->FFocused.get());
}

void TSeActiveBitmapBoxObject::ResolveLinks() {
  ResolveLink(*FFocused);
  inherited::ResolveLinks();
}

const TSeBitmapLink& TSeActiveBitmapBoxObject::CurrentBitmap() const {
  if ((GetState() == 5 || GetState() == 7) && FFocused->Valid()) return *FFocused;
  return inherited::CurrentBitmap();
}

// ---- TSeButtonBitmapBoxObject ---------------------------------------------------------------------

const TPropertyTable* TSeButtonBitmapBoxObject::PublishedProperties() {
  using P = TPublish<TSeButtonBitmapBoxObject>;
  using C = TSeButtonBitmapBoxObject;
  static const TPropertyTable table{
      P::Persistent(L"FocusedBitmap", &C::GetFocusedBitmap, &C::SetFocusedBitmap),
      P::Persistent(L"HotBitmap", &C::GetHotBitmap, &C::SetHotBitmap),
      P::Persistent(L"PressedBitmap", &C::GetPressedBitmap, &C::SetPressedBitmap),
      P::Persistent(L"DisabledBitmap", &C::GetDisabledBitmap, &C::SetDisabledBitmap),
  };
  return &table;
}

TSeButtonBitmapBoxObject::TSeButtonBitmapBoxObject(TComponent* owner) : TSeBitmapBoxObject(owner) {
  for (auto& link : FLinks) link = std::make_unique<TSeBitmapLink>();
}
TSeButtonBitmapBoxObject::~TSeButtonBitmapBoxObject() = default;

void TSeButtonBitmapBoxObject::Assign(TPersistent* source) {
  inherited::Assign(source);
  if (auto* other = dynamic_cast<TSeButtonBitmapBoxObject*>(source))
    for (int i = 0; i < 4; ++i) FLinks[i]->Assign(other->FLinks[i].get());
}

void TSeButtonBitmapBoxObject::ResolveLinks() {
  for (auto& link : FLinks) ResolveLink(*link);
  inherited::ResolveLinks();
}

const TSeBitmapLink& TSeButtonBitmapBoxObject::CurrentBitmap() const {
  return BitmapForState(GetState(), inherited::CurrentBitmap(), *FLinks[0], *FLinks[1],
                        *FLinks[3], *FLinks[2]);
}

// ---- TSeRollPanelObject ---------------------------------------------------------------------------

const TPropertyTable* TSeRollPanelObject::PublishedProperties() {
  using P = TPublish<TSeRollPanelObject>;
  using C = TSeRollPanelObject;
  static const TPropertyTable table{
      P::Integer(L"RollValue", &C::GetRollValue, &C::SetRollValue),
      P::Enum(L"RollKind", SeRollKindIdents, &C::GetRollKind, &C::SetRollKind),
  };
  return &table;
}

TSeRollPanelObject::TSeRollPanelObject(TComponent* owner) : TSeSkinObject(owner) {}
TSeRollPanelObject::~TSeRollPanelObject() = default;

void TSeRollPanelObject::Assign(TPersistent* source) {
  inherited::Assign(source);
  if (auto* other = dynamic_cast<TSeRollPanelObject*>(source)) {
    FRollValue = other->FRollValue;
    FRollKind = other->FRollKind;
  }
}

void TSeRollPanelObject::Toggle() {
  if (!GetOwner()) return;
  const bool horizontal = FRollKind == rkLeft || FRollKind == rkRight;
  const int size = horizontal ? GetWidth() : GetHeight();
  // A negative RollValue would give the panel a negative size: it rolls to nothing instead.
  const int rolled = std::max(FRollValue, 0);
  int next;
  if (size != rolled) {
    FSavedSize = size;
    next = rolled;
  } else if (FSavedSize > 0) {
    next = FSavedSize;
    FSavedSize = 0;
  } else {
    return;  // rolled as designed and never unrolled: no size to go back to
  }
  TRect r = GetBoundsRect();
  switch (FRollKind) {
    case rkLeft: r.Left = r.Right - next; break;     // the right edge stays
    case rkRight: r.Right = r.Left + next; break;    // the left edge stays
    case rkTop: r.Top = r.Bottom - next; break;      // the bottom edge stays
    case rkBottom: r.Bottom = r.Top + next; break;   // the top edge stays
  }
  SetBoundsRect(r);
  InvalidateObject();
  // The control's form is asked for its skinning component and the queued messages are
  // handled, so that the form shows the new layout at once.
  if (TWinControl* control = GetControl()) FormSkinOf(control);
  if (Application) Application->ProcessMessages();
}
