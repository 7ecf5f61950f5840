#include "SkinActiveObjects.h"

#include "classlib/classes/Properties.h"
#include "classlib/forms/Forms.h"

// ---- TSeCaptionButton -----------------------------------------------------------------------------

namespace {

// Whether a button of action is hidden in a window state; -1 when the state decides nothing.
int HiddenInWindowState(TSeAction action, uint8_t windowState) {
  switch (windowState) {
    case 0: return action == sbaRestore || action == sbaRollDown;
    case 1: return action == sbaMaximize || action == sbaRollDown;
    case 2:
      return action == sbaMinimize || action == sbaMaximize || action == sbaRollUp ||
             action == sbaRollDown;
    case 3: return action == sbaRestore || action == sbaRollUp;
    default: return -1;
  }
}

// The border icon an action needs; false when it needs none.
bool NeededIcon(TSeAction action, TSeFormSkin::TBorderIcon& icon) {
  switch (action) {
    case sbaClose: icon = TSeFormSkin::biClose; return true;
    case sbaHelp: icon = TSeFormSkin::biHelp; return true;
    case sbaMinimize: icon = TSeFormSkin::biMinimize; return true;
    case sbaMaximize:
    case sbaRestore: icon = TSeFormSkin::biMaximize; return true;
    case sbaRollUp:
    case sbaRollDown: icon = TSeFormSkin::biRollUp; return true;
    case sbaTray: icon = TSeFormSkin::biTray; return true;
    case sbaSysMenu: icon = TSeFormSkin::biSystemMenu; return true;
    default: return false;
  }
}

}  // namespace

void TSeCaptionButton::ShowForWindowState(TSeSkinObject& button, uint8_t windowState) const {
  TSeFormSkin* skin = FormSkinOf(button.GetControl());
  if (!skin) return;
  const int hidden = HiddenInWindowState(FAction, windowState);
  if (hidden >= 0) button.SetVisible(hidden == 0);
  TSeFormSkin::TBorderIcon icon{};
  if (NeededIcon(FAction, icon) && !skin->HasBorderIcon(icon)) button.SetVisible(false);
}

void TSeCaptionButton::SetMouse(TSeSkinObject& button, uint8_t value) {
  FMouse = value;
  button.InvalidateObject();
}

void TSeCaptionButton::MouseEnter(TSeSkinObject& button) {
  SetMouse(button, (::GetKeyState(VK_LBUTTON) & 0x8000) ? 6 : 5);
}

void TSeCaptionButton::MouseLeave(TSeSkinObject& button) { SetMouse(button, 0); }

void TSeCaptionButton::MouseDown(TSeSkinObject& button, TMouseButton which) {
  if (which == mbLeft) SetMouse(button, 6);
}

void TSeCaptionButton::MouseMove(TSeSkinObject& button) {
  TWinControl* control = button.GetControl();
  if (!Application || !button.GetVisible() || !control || !control->HandleAllocated()) return;
  Application->ActivateHint(
      control->ClientToScreen(TPoint(button.GetLeft(), button.GetTop() + button.GetHeight())));
}

bool TSeCaptionButton::MouseUp(TSeSkinObject& button, TMouseButton which) {
  if (which != mbLeft || FMouse != 6) return false;
  SetMouse(button, 5);
  return true;
}

void TSeCaptionButton::DblClick(TSeSkinObject& button, TMouseButton which) const {
  if (which != mbLeft || FAction != sbaSysMenu) return;
  if (TSeFormSkin* skin = FormSkinOf(button.GetControl())) skin->Close();
}

void TSeCaptionButton::Run(TSeSkinObject& button) const {
  TSeFormSkin* skin = FormSkinOf(button.GetControl());
  if (!skin) return;
  switch (FAction) {
    case sbaClose: skin->Close(); break;
    case sbaHelp: skin->Help(); break;
    case sbaMinimize: skin->Minimize(); break;
    case sbaMaximize: skin->Maximize(); break;
    case sbaRestore:
    case sbaRollDown: skin->Restore(); break;
    case sbaRollUp: skin->RollUp(); break;
    case sbaTray: skin->ToTray(); break;
    case sbaSysMenu: skin->ShowSystemMenu(); break;
    case sbaCustom: skin->CustomButtonClick(&button); break;
    default: break;
  }
}

const TSeBitmapLink* TSeCaptionButton::Picture(bool active, const TSeBitmapLink& hot,
                                               const TSeBitmapLink& pressed) const {
  if (!active) return nullptr;
  if (FMouse == 5 && hot.Valid()) return &hot;
  if (FMouse == 6 && pressed.Valid()) return &pressed;
  return nullptr;
}

uint8_t TSeCaptionButton::PaintState(bool active, uint8_t windowState) const {
  if (!active) return 8;
  return FMouse == 5 || FMouse == 6 ? FMouse : windowState;
}

void TSeCaptionButton::PaintFormIcon(TCanvas* canvas, const TRect& r, TWinControl* control) {
  HICON icon = nullptr;
  HWND form = control && control->HandleAllocated() ? ::GetAncestor(control->GetHandle(), GA_ROOT)
                                                     : nullptr;
  if (form) {
    icon = reinterpret_cast<HICON>(::SendMessageW(form, WM_GETICON, ICON_SMALL, 0));
    if (!icon) icon = reinterpret_cast<HICON>(::SendMessageW(form, WM_GETICON, ICON_BIG, 0));
    if (!icon) icon = reinterpret_cast<HICON>(::GetClassLongPtrW(form, GCLP_HICONSM));
    if (!icon) icon = reinterpret_cast<HICON>(::GetClassLongPtrW(form, GCLP_HICON));
  }
  if (!icon) icon = ::LoadIconW(nullptr, IDI_APPLICATION);  // shared: never destroyed
  int w = ::GetSystemMetrics(SM_CXSMICON), h = ::GetSystemMetrics(SM_CYSMICON);
  if (w == 0 || h == 0) {
    w = ::GetSystemMetrics(SM_CXSIZE);
    h = ::GetSystemMetrics(SM_CYSIZE);
  }
  ::DrawIconEx(canvas->GetHandle(), r.Left + (r.Width() - w) / 2, r.Top + (r.Height() - h) / 2,
               icon, w, h, 0, nullptr, DI_NORMAL);
}

// ---- TSeActiveObject ------------------------------------------------------------------------------

const TPropertyTable* TSeActiveObject::PublishedProperties() {
  using P = TPublish<TSeActiveObject>;
  using C = TSeActiveObject;
  static const TPropertyTable table{
      P::Color(L"ActiveColor", &C::GetActiveColor, &C::SetActiveColor),
      P::Persistent(L"ActiveFont", &C::GetActiveFont, &C::SetActiveFont),
  };
  return &table;
}

TSeActiveObject::TSeActiveObject(TComponent* owner) : TSeSkinObject(owner) {}
TSeActiveObject::~TSeActiveObject() = default;

TFont* TSeActiveObject::GetFont() const {
  const uint8_t state = GetState();
  return state >= 5 && state <= 7 ? FActivePair.Font.get() : inherited::GetFont();
}

void TSeActiveObject::PaintSelf(TCanvas* canvas) {
  const uint8_t state = GetState();
  if (GetActive() || (state >= 5 && state <= 7))
    PaintFilled(canvas, FActivePair.Color, FActivePair.Font.get());
  else
    inherited::PaintSelf(canvas);
}

void TSeActiveObject::Assign(TPersistent* source) {
  inherited::Assign(source);
  if (auto* other = dynamic_cast<TSeActiveObject*>(source)) FActivePair.Assign(other->FActivePair);
}

void TSeActiveObject::SetCharset(TFontCharset value) {
  FActivePair.Font->SetCharset(value);
  inherited::SetCharset(value);
}

void TSeActiveObject::ShiftHue(int delta) {
  FActivePair.ShiftHue(delta);
  inherited::ShiftHue(delta);
}

// ---- TSeActiveBitmap ------------------------------------------------------------------------------

const TPropertyTable* TSeActiveBitmap::PublishedProperties() {
  using P = TPublish<TSeActiveBitmap>;
  using C = TSeActiveBitmap;
  static const TPropertyTable table{
      P::Persistent(L"ActiveBitmap", &C::GetActiveBitmap, &C::SetActiveBitmap),
      P::Persistent(L"ActiveFont", &C::GetActiveFont, &C::SetActiveFont),
  };
  return &table;
}

TSeActiveBitmap::TSeActiveBitmap(TComponent* owner)
    : TSeBitmapObject(owner),
      FActiveBitmap(std::make_unique<TSeBitmapLink>()),
      FActiveFont(std::make_unique<TFont>()) {}
TSeActiveBitmap::~TSeActiveBitmap() = default;

TFont* TSeActiveBitmap::GetFont() const {
  const uint8_t state = GetState();
  return state == 5 || state == 7 ? FActiveFont.get() : inherited::GetFont();
}

const TSeBitmapLink& TSeActiveBitmap::CurrentBitmap() const {
  const uint8_t state = GetState();
  if ((GetActive() || state == 5 || state == 7) && FActiveBitmap->Valid()) return *FActiveBitmap;
  return inherited::CurrentBitmap();
}

void TSeActiveBitmap::Assign(TPersistent* source) {
  inherited::Assign(source);
  if (auto* other = dynamic_cast<TSeActiveBitmap*>(source)) {
    FActiveBitmap->Assign(other->FActiveBitmap.get());
    FActiveFont->Assign(other->FActiveFont.get());
  }
}

void TSeActiveBitmap::ResolveLinks() {
  ResolveLink(*FActiveBitmap);
  inherited::ResolveLinks();
}

void TSeActiveBitmap::SetCharset(TFontCharset value) {
  FActiveFont->SetCharset(value);
  inherited::SetCharset(value);
}

void TSeActiveBitmap::ShiftHue(int delta) {
  FActiveFont->SetColor(ShiftColor(FActiveFont->GetColor(), delta));
  inherited::ShiftHue(delta);
}

// ---- TSeSystemButton ------------------------------------------------------------------------------

const TPropertyTable* TSeSystemButton::PublishedProperties() {
  using P = TPublish<TSeSystemButton>;
  using C = TSeSystemButton;
  static const TPropertyTable table{
      P::Enum(L"Action", SeActionIdents, &C::GetAction, &C::SetAction),
      P::Persistent(L"BitmapPressed", &C::GetBitmapPressed, &C::SetBitmapPressed),
      P::Persistent(L"BitmapHot", &C::GetBitmapHot, &C::SetBitmapHot),
  };
  return &table;
}

TSeSystemButton::TSeSystemButton(TComponent* owner)
    : TSeActiveBitmap(owner),
      FPressed(std::make_unique<TSeBitmapLink>()),
      FHot(std::make_unique<TSeBitmapLink>()) {
  SetKind(skSysButton);
}
TSeSystemButton::~TSeSystemButton() = default;

void TSeSystemButton::Assign(TPersistent* source) {
  inherited::Assign(source);
  if (auto* other = dynamic_cast<TSeSystemButton*>(source)) {
    FButton.SetAction(other->GetAction());
    FPressed->Assign(other->FPressed.get());
    FHot->Assign(other->FHot.get());
  }
}

void TSeSystemButton::ResolveLinks() {
  ResolveLink(*FPressed);
  ResolveLink(*FHot);
  inherited::ResolveLinks();
}

void TSeSystemButton::SetState(uint8_t value) {
  inherited::SetState(value);
  FButton.ShowForWindowState(*this, value);
}

const TSeBitmapLink& TSeSystemButton::CurrentBitmap() const {
  if (const TSeBitmapLink* picture = FButton.Picture(GetActive(), *FHot, *FPressed))
    return *picture;
  return inherited::CurrentBitmap();
}

void TSeSystemButton::Paint(TCanvas* canvas) {
  if (GetAction() != sbaSysMenu) {
    const uint8_t windowState = GetState();
    const uint8_t look = FButton.PaintState(GetActive(), windowState);
    if (look == windowState) {
      inherited::Paint(canvas);
      return;
    }
    // The base's SetState: the look's state on the button and its children, without taking
    // it for a window state (which would show or hide the button).
    inherited::SetState(look);
    try {
      inherited::Paint(canvas);
    } catch (...) {
      inherited::SetState(windowState);
      throw;
    }
    inherited::SetState(windowState);
    return;
  }
  if (GetVisible() && GetWidth() >= 1 && GetHeight() >= 1 && canvas)
    TSeCaptionButton::PaintFormIcon(canvas, GetBoundsRect(), GetControl());
}

void TSeSystemButton::MouseUp(TMouseButton which) {
  if (FButton.MouseUp(*this, which)) FButton.Run(*this);
}

// ---- TSeButtonObject ------------------------------------------------------------------------------

const TPropertyTable* TSeButtonObject::PublishedProperties() {
  using P = TPublish<TSeButtonObject>;
  using C = TSeButtonObject;
  static const TPropertyTable table{
      P::Persistent(L"BitmapFocused", &C::GetBitmapFocused, &C::SetBitmapFocused),
      P::Persistent(L"BitmapHot", &C::GetBitmapHot, &C::SetBitmapHot),
      P::Persistent(L"BitmapPressed", &C::GetBitmapPressed, &C::SetBitmapPressed),
      P::Persistent(L"BitmapDisabled", &C::GetBitmapDisabled, &C::SetBitmapDisabled),
  };
  return &table;
}

TSeButtonObject::TSeButtonObject(TComponent* owner) : TSeBitmapObject(owner) {
  for (auto& link : FLinks) link = std::make_unique<TSeBitmapLink>();
}
TSeButtonObject::~TSeButtonObject() = default;

const TSeBitmapLink& TSeButtonObject::CurrentBitmap() const {
  return BitmapForState(GetState(), inherited::CurrentBitmap(), *FLinks[0], *FLinks[1],
                        *FLinks[3], *FLinks[2]);
}

void TSeButtonObject::Assign(TPersistent* source) {
  inherited::Assign(source);
  if (auto* other = dynamic_cast<TSeButtonObject*>(source))
    for (int i = 0; i < 4; ++i) FLinks[i]->Assign(other->FLinks[i].get());
}

void TSeButtonObject::ResolveLinks() {
  for (auto& link : FLinks) ResolveLink(*link);
  inherited::ResolveLinks();
}
