// The effect controls' painting scheme and the effect buttons' mouse, sound, glyph and
// layout behaviour.
#include "VCLBase.h"

#include "BMPUtils.h"
#include "GrUtils.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/controls/ActnList.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/system/SysMath.h"

namespace {

const bool EffectBasesRegistered = [] {
  RegisterClasses({TEffectGControl::StaticClassInfo(), TEffectCControl::StaticClassInfo(),
                   TButtonGControl::StaticClassInfo(), TButtonCControl::StaticClassInfo()});
  return true;
}();

const wchar_t* const EffectLayoutNames[] = {L"blGlyphLeft", L"blGlyphRight", L"blGlyphTop",
                                            L"blGlyphBottom"};

// The colour an action's image is drawn over in a glyph made from it.
constexpr TColor ActionGlyphBackground = ColorFromInt(0xFF00FF);

}  // namespace

const TEnumInfo EffectLayoutIdents = MakeEnumInfo(EffectLayoutNames);

// ---- Pure rules ----------------------------------------------------------------------------------

TEffectButtonLayout CalcEffectLayout(const TRect& client, TSize glyphSize, TSize textSize,
                                     TLayout layout, int margin, int spacing) {
  const int cx = Div(client.Left + client.Right, 2);
  const int cy = Div(client.Top + client.Bottom, 2);
  const int gw = glyphSize.cx, gh = glyphSize.cy;
  const int tw = textSize.cx, th = textSize.cy;
  const bool centred = margin < 0;
  TEffectButtonLayout result;
  switch (layout) {
    case blGlyphLeft:
    case blGlyphRight: {
      const int half = Div(gw + spacing + tw, 2);
      if (layout == blGlyphLeft) {
        result.Glyph.X = centred ? cx - half : client.Left + margin;
        result.Caption.X = centred ? cx + half - tw : result.Glyph.X + gw + spacing;
      } else {
        result.Glyph.X = centred ? cx + half - gw : client.Right - gw - margin;
        result.Caption.X = centred ? cx - half : result.Glyph.X - spacing - tw;
      }
      result.Glyph.Y = cy - Div(gh, 2);
      result.Caption.Y = cy - Div(th, 2);
      break;
    }
    case blGlyphTop:
    case blGlyphBottom: {
      const int half = Div(gh + spacing + th, 2);
      if (layout == blGlyphTop) {
        result.Glyph.Y = centred ? cy - half : client.Top + margin;
        result.Caption.Y = centred ? cy + half - th : result.Glyph.Y + gh + spacing;
      } else {
        result.Glyph.Y = centred ? cy + half - gh : client.Bottom - gh - margin;
        result.Caption.Y = centred ? cy - half : result.Glyph.Y - spacing - th;
      }
      result.Glyph.X = cx - Div(gw, 2);
      result.Caption.X = cx - Div(tw, 2);
      break;
    }
  }
  return result;
}

int ChooseEffectGlyph(int numGlyphs, bool mouseInside, bool pressed, bool enabled) {
  if (mouseInside && pressed && numGlyphs > 3) return 3;
  if (mouseInside && numGlyphs > 2) return 2;
  if (!enabled) return numGlyphs;
  return 1;
}

// ---- TEffectControlBase -----------------------------------------------------------------------------

template <class Base>
TEffectControlBase<Base>::TEffectControlBase(TComponent* owner) : Base(owner) {
  this->SetControlStyle(this->GetControlStyle() + TControlStyle{csOpaque});
}

template <class Base>
TEffectControlBase<Base>::~TEffectControlBase() = default;

template <class Base>
void TEffectControlBase<Base>::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  this->Invalidate();
}

template <class Base>
void TEffectControlBase<Base>::Paint() {
  const int width = Max(this->GetWidth(), 0);
  const int height = Max(this->GetHeight(), 0);
  FBitmap = std::make_unique<TBitmap>();
  try {
    FBitmap->SetSize(width + 1, height + 1);
    FBitmap->GetCanvas()->SetFont(this->GetFont());
    PaintBackground();
    PaintFace();
    this->GetCanvas()->Draw(0, 0, FBitmap.get());
  } catch (...) {
    FEffectBmp.reset();
    FBitmap.reset();
    throw;
  }
  FBitmap.reset();
}

template <class Base>
void TEffectControlBase<Base>::PaintBackground() {
  TCanvas* canvas = FBitmap->GetCanvas();
  canvas->GetBrush()->SetStyle(bsSolid);
  if (!FTransparent) {
    canvas->GetBrush()->SetColor(this->GetColor());
    canvas->FillRect(Rect(0, 0, FBitmap->GetWidth(), FBitmap->GetHeight()));
    return;
  }
  TWinControl* parent = this->GetParent();
  canvas->GetBrush()->SetColor(parent ? parent->GetColor() : this->GetColor());
  canvas->FillRect(Rect(0, 0, this->GetWidth(), this->GetHeight()));
  PaintParentBackground(this, canvas);
}

template <class Base>
void TEffectControlBase<Base>::EffectStep() {
  if (!FBitmap) return;
  FEffectBmp = TEffectBmp::CreateFromBitmap(FBitmap->GetHandle());
  try {
    ApplyEffects();
    FEffectBmp->Draw(FBitmap->GetCanvas()->GetHandle(), 0, 0);
  } catch (...) {
    FEffectBmp.reset();
    throw;
  }
  FEffectBmp.reset();
}

template <class Base>
void TEffectControlBase<Base>::MixGradientBackground(TColor gradColor, TGradKind kind) {
  if (!FEffectBmp) return;
  const int width = Max(this->GetWidth(), 1);
  const int height = Max(this->GetHeight(), 1);
  TBitmap gradient;
  gradient.SetSize(width, height);
  TCanvas* canvas = gradient.GetCanvas();
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(this->GetColor());
  canvas->FillRect(Rect(0, 0, width, height));
  {
    const std::unique_ptr<TEffectBmp> pixels = TEffectBmp::CreateFromBitmap(gradient.GetHandle());
    pixels->FillGradient(gradColor, kind);
    pixels->Draw(gradient.GetCanvas()->GetHandle(), 0, 0);
  }
  // The new column and row take the canvas's brush: Color.
  gradient.SetSize(width + 1, height + 1);
  const std::unique_ptr<TEffectBmp> enlarged = TEffectBmp::CreateFromBitmap(gradient.GetHandle());
  FEffectBmp->MixBitmap(*enlarged);
}

template class TEffectControlBase<TGraphicControl>;
template class TEffectControlBase<TCustomControl>;

// ---- TEffectGControl ----------------------------------------------------------------------------------

const TPropertyTable* TEffectGControl::PublishedProperties() {
  using P = TPublish<TEffectGControl>;
  using C = TEffectGControl;
  static const TPropertyTable table{
      P::Boolean(L"Transparent", &C::GetTransparent, &C::SetTransparent),
  };
  return &table;
}

TEffectGControl::TEffectGControl(TComponent* owner) : TEffectControlBase<TGraphicControl>(owner) {}

void TEffectGControl::SetTransparent(bool value) {
  if (value)
    SetControlStyle(GetControlStyle() - TControlStyle{csOpaque});
  else
    SetControlStyle(GetControlStyle() + TControlStyle{csOpaque});
  inherited::SetTransparent(value);
}

void TEffectGControl::Invalidate() {
  if (GetControlStyle().Contains(csOpaque)) {
    inherited::Invalidate();
    return;
  }
  // Opaque for the moment: the parent beneath is not erased, as Paint draws it anyway.
  SetControlStyle(GetControlStyle() + TControlStyle{csOpaque});
  try {
    inherited::Invalidate();
  } catch (...) {
    SetControlStyle(GetControlStyle() - TControlStyle{csOpaque});
    throw;
  }
  SetControlStyle(GetControlStyle() - TControlStyle{csOpaque});
}

// ---- TEffectCControl ----------------------------------------------------------------------------------

const TPropertyTable* TEffectCControl::PublishedProperties() {
  using P = TPublish<TEffectCControl>;
  using C = TEffectCControl;
  static const TPropertyTable table{
      P::Boolean(L"Transparent", &C::GetTransparent, &C::SetTransparent),
  };
  return &table;
}

TEffectCControl::TEffectCControl(TComponent* owner) : TEffectControlBase<TCustomControl>(owner) {}

void TEffectCControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_ERASEBKGND:
      message.Result = 1;
      return;
    case WM_MOVE:
      inherited::Dispatch(message);
      if (GetTransparent()) Invalidate();
      return;
    default:
      inherited::Dispatch(message);
  }
}

// ---- TButtonControlBase ----------------------------------------------------------------------------------

template <class Base>
TButtonControlBase<Base>::TButtonControlBase(TComponent* owner)
    : Base(owner), FGlyph(std::make_unique<TBitmap>()) {
  // The button clicks itself, and only for a press that started on it (MouseUp).
  this->SetControlStyle(this->GetControlStyle() - TControlStyle{csClickEvents});
  FGlyph->OnChange = [this](TObject* sender) { GlyphChanged(sender); };
}

template <class Base>
TButtonControlBase<Base>::~TButtonControlBase() {
  FGlyph->OnChange = nullptr;
}

template <class Base>
void TButtonControlBase<Base>::GlyphChanged(TObject*) {
  this->Invalidate();
}

template <class Base>
void TButtonControlBase<Base>::SetClickSound(TepWavePlayer* value) {
  if (value == FClickSound) return;
  FClickSound = value;
  if (value) value->FreeNotification(this);
}

template <class Base>
void TButtonControlBase<Base>::SetActiveSound(TepWavePlayer* value) {
  if (value == FActiveSound) return;
  FActiveSound = value;
  if (value) value->FreeNotification(this);
}

template <class Base>
void TButtonControlBase<Base>::Notification(TComponent* component, TOperation operation) {
  Base::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FClickSound) FClickSound = nullptr;
  if (component == FActiveSound) FActiveSound = nullptr;
}

template <class Base>
void TButtonControlBase<Base>::SetGlyph(TBitmap* value) {
  FGlyph->Assign(value);  // fires OnChange, which repaints
  FGlyphFromAction = false;
}

template <class Base>
void TButtonControlBase<Base>::SetNumGlyphs(int value) {
  value = Max(1, Min(value, 4));
  if (value == FNumGlyphs) return;
  FNumGlyphs = value;
  this->Invalidate();
}

template <class Base>
void TButtonControlBase<Base>::SetActiveTextColor(TColor value) {
  FActiveTextColor = value;
  this->Invalidate();
}

template <class Base>
void TButtonControlBase<Base>::SetSpacing(int value) {
  if (value == FSpacing) return;
  FSpacing = value;
  this->Invalidate();
}

template <class Base>
void TButtonControlBase<Base>::SetMargin(int value) {
  if (value < -1 || value == FMargin) return;
  FMargin = value;
  this->Invalidate();
}

template <class Base>
void TButtonControlBase<Base>::SetLayout(TLayout value) {
  FLayout = value;
  this->Invalidate();
}

template <class Base>
bool TButtonControlBase<Base>::HitTest(int x, int y) {
  return x >= 1 && x < this->GetWidth() && y >= 1 && y < this->GetHeight();
}

template <class Base>
void TButtonControlBase<Base>::Dispatch(TMessage& message) {
  Base::Dispatch(message);
  switch (message.Msg) {
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
      this->Invalidate();
      break;
    default:
      break;
  }
}

template <class Base>
void TButtonControlBase<Base>::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && HitTest(x, y)) {
    FPressed = true;
    FMouseInside = true;
    this->Repaint();
  }
  Base::MouseDown(button, shift, x, y);
}

template <class Base>
void TButtonControlBase<Base>::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button != mbLeft) {
    Base::MouseUp(button, shift, x, y);
    return;
  }
  const bool pressedHere = FPressed;
  FPressed = false;
  // The release must also lie on the button: a cancelled press arrives at (-1, -1).
  const bool releasedInside =
      FMouseInside && PtInRect(Rect(0, 0, this->GetWidth(), this->GetHeight()), Point(x, y));
  const bool clicks = pressedHere && releasedInside;
  if (FMouseInside) this->Repaint();
  const std::weak_ptr<int> alive = this->GetLifeToken();
  // A click sounds first, then the mouse-up handling (OnMouseUp) runs, then OnClick.
  if (clicks && FClickSound) {
    FClickSound->Play();
    if (alive.expired()) return;
  }
  Base::MouseUp(button, shift, x, y);
  if (alive.expired()) return;
  if (clicks) this->Click();
}

template <class Base>
void TButtonControlBase<Base>::ButtonClick() {
  const std::weak_ptr<int> alive = this->GetLifeToken();
  if (FClickSound) FClickSound->Play();
  if (alive.expired()) return;
  this->Click();
}

template <class Base>
void TButtonControlBase<Base>::SetButtonState(bool mouseInside, bool pressed) {
  FMouseInside = mouseInside;
  FPressed = pressed;
}

template <class Base>
void TButtonControlBase<Base>::MouseEnter() {
  if (!FMouseInside && this->GetEnabled()) {
    FMouseInside = true;
    this->Repaint();
    const std::weak_ptr<int> alive = this->GetLifeToken();
    if (FActiveSound) FActiveSound->Play();
    if (alive.expired()) return;
  }
  Base::MouseEnter();
}

template <class Base>
void TButtonControlBase<Base>::MouseLeave() {
  // Cleared also while disabled, so that a button enabled later does not look hot.
  if (FMouseInside) {
    FMouseInside = false;
    this->Repaint();
  }
  Base::MouseLeave();
}

template <class Base>
void TButtonControlBase<Base>::ActionChange(TObject* sender, bool checkDefaults) {
  Base::ActionChange(sender, checkDefaults);
  auto* action = dynamic_cast<TCustomAction*>(sender);
  // An empty glyph takes the action's image, and a later change replaces it again.
  if (!action || !(FGlyph->GetEmpty() || (this->InActionNotice() && FGlyphFromAction))) return;
  TCustomActionList* list = action->GetActionList();
  TCustomImageList* images = list ? list->GetImages() : nullptr;
  const int index = action->GetImageIndex();
  if (!images || index < 0 || index >= images->GetCount()) return;
  FGlyph->SetSize(images->GetWidth(), images->GetHeight());
  TCanvas* canvas = FGlyph->GetCanvas();
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(ActionGlyphBackground);
  canvas->FillRect(Rect(0, 0, images->GetWidth(), images->GetHeight()));
  images->Draw(canvas, 0, 0, index);
  FGlyphFromAction = true;
  this->Invalidate();
}

template <class Base>
TSize TButtonControlBase<Base>::GlyphSize() const {
  if (FGlyph->GetEmpty()) return TSize(0, 0);
  return TSize(Div(FGlyph->GetWidth(), FNumGlyphs), FGlyph->GetHeight());
}

template <class Base>
void TButtonControlBase<Base>::CalcLayout(TCanvas* canvas, bool pressedOffset) {
  const String caption = this->GetCaption();
  const TSize text(canvas->TextWidth(caption), canvas->TextHeight(caption));
  const TEffectButtonLayout layout =
      CalcEffectLayout(this->GetClientRect(), GlyphSize(), text, FLayout, FMargin, FSpacing);
  FCaptionSize = text;
  FGlyphPos = layout.Glyph;
  FCaptionPos = layout.Caption;
  if (pressedOffset && IsPressedInside()) {
    FGlyphPos = Point(FGlyphPos.X + 1, FGlyphPos.Y + 1);
    FCaptionPos = Point(FCaptionPos.X + 1, FCaptionPos.Y + 1);
  }
}

template <class Base>
TRect TButtonControlBase<Base>::GetCaptionRect() const {
  return Bounds(FCaptionPos.X, FCaptionPos.Y, FCaptionSize.cx, FCaptionSize.cy);
}

template <class Base>
TColor TButtonControlBase<Base>::CaptionColor() const {
  return FMouseInside ? FActiveTextColor : this->GetFont()->GetColor();
}

template <class Base>
void TButtonControlBase<Base>::DrawCaptionText(TCanvas* canvas, TColor color, int dx, int dy) {
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->GetFont()->SetColor(color);
  canvas->TextOut(FCaptionPos.X + dx, FCaptionPos.Y + dy, this->GetCaption());
}

template <class Base>
void TButtonControlBase<Base>::DrawCaptionCentred(TCanvas* canvas) {
  const String caption = this->GetCaption();
  if (caption.empty()) return;
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->GetFont()->SetColor(CaptionColor());
  RECT r = GetCaptionRect();
  ::DrawTextW(canvas->GetHandle(), caption.c_str(), static_cast<int>(caption.size()), &r,
              DT_CENTER | DT_SINGLELINE);
}

template <class Base>
void TButtonControlBase<Base>::DrawButtonGlyph(TCanvas* canvas) {
  if (FGlyph->GetEmpty()) return;
  const int glyph = ChooseEffectGlyph(FNumGlyphs, FMouseInside, FPressed, this->GetEnabled());
  DrawGlyph(canvas, FGlyphPos.X, FGlyphPos.Y, FNumGlyphs, glyph, FGlyph.get());
}

template class TButtonControlBase<TEffectGControl>;
template class TButtonControlBase<TEffectCControl>;

// ---- Published properties of the buttons ---------------------------------------------------------------

namespace {

// The same table for both button bases.
template <class C>
const TPropertyTable& ButtonProperties() {
  using P = TPublish<C>;
  static const TPropertyTable table{
      P::Component(L"ClickSound", &C::GetClickSound, &C::SetClickSound),
      P::Component(L"ActiveSound", &C::GetActiveSound, &C::SetActiveSound),
      P::Persistent(L"Glyph", &C::GetGlyph, &C::SetGlyph),
      P::Integer(L"NumGlyphs", &C::GetNumGlyphs, &C::SetNumGlyphs).Default(1),
      P::Color(L"ActiveTextColor", &C::GetActiveTextColor, &C::SetActiveTextColor),
      P::Integer(L"Spacing", &C::GetSpacing, &C::SetSpacing).Default(0),
      P::Integer(L"Margin", &C::GetMargin, &C::SetMargin).Default(-1),
      P::Enum(L"Layout", EffectLayoutIdents, &C::GetLayout, &C::SetLayout).Default(blGlyphLeft),
  };
  return table;
}

}  // namespace

const TPropertyTable* TButtonGControl::PublishedProperties() {
  return &ButtonProperties<TButtonGControl>();
}

const TPropertyTable* TButtonCControl::PublishedProperties() {
  return &ButtonProperties<TButtonCControl>();
}

// ---- Window regions of the windowed buttons --------------------------------------------------------

void TButtonCControl::UpdateButtonRegion() {
  if (!HandleAllocated()) return;
  UniqueRegion region = CreateButtonRegion();
  // On success the system owns the region (SetWindowRegion lets go of it); on failure the
  // holder still owns it and frees it here.
  if (region) {
    if (SetWindowRegion(GetHandle(), region, true)) FHasRegion = true;
  } else if (FHasRegion) {
    ::SetWindowRgn(GetHandle(), nullptr, TRUE);
    FHasRegion = false;
  }
}

void TButtonCControl::CreateWnd() {
  FHasRegion = false;  // a new window starts without one
  inherited::CreateWnd();
  UpdateButtonRegion();
}

void TButtonCControl::WMSize(TMessage& message) {
  inherited::WMSize(message);
  UpdateButtonRegion();
}

// ---- The keyboard of the focusable windowed buttons -------------------------------------------

void TButtonCControl::SetFocusable() {
  FFocusable = true;
  SetTabStop(true);
}

bool TButtonCControl::CursorInside() {
  if (!HandleAllocated()) return false;
  POINT p{};
  if (!::GetCursorPos(&p) || !::ScreenToClient(GetHandle(), &p)) return false;
  return p.x >= 0 && p.y >= 0 && p.x < GetWidth() && p.y < GetHeight();
}

void TButtonCControl::WndProc(TMessage& message) {
  if (FFocusable) {
    switch (message.Msg) {
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        if (!FocusBeforePress(FClicksDisabled)) return;
        break;
      case CN_COMMAND:
        if (FClicksDisabled) return;
        break;
      default:
        break;
    }
  }
  inherited::WndProc(message);
}

void TButtonCControl::Dispatch(TMessage& message) {
  if (!FFocusable) {
    inherited::Dispatch(message);
    return;
  }
  switch (message.Msg) {
    case WM_SETFOCUS:
      inherited::Dispatch(message);
      FHasFocus = true;
      FocusChanged();
      return;
    case WM_KILLFOCUS:
      inherited::Dispatch(message);
      FHasFocus = false;
      if (FKeyPressed) EndKeyPress();
      FocusChanged();
      return;
    case CM_DIALOGKEY: {
      const TWMKey key(message);
      if (key.GetCharCode() == VK_RETURN && Focused() &&
          KeyDataToShiftState(key.GetKeyData()).Empty()) {
        message.Result = 1;
        ButtonClick();
        return;
      }
      break;
    }
    case CM_DIALOGCHAR:
      if (IsAccel(TWMKey(message).GetCharCode(), GetCaption()) && CanFocus()) {
        message.Result = 1;
        ButtonClick();
        return;
      }
      break;
    case CN_COMMAND:
      if (TWMCommand(message).GetNotifyCode() == BN_CLICKED) {
        ButtonClick();
        return;
      }
      break;
    default:
      break;
  }
  inherited::Dispatch(message);
}

void TButtonCControl::KeyDown(WORD& key, TShiftState shift) {
  if (FFocusable && key == VK_SPACE && !GetPressed()) {
    SetButtonState(true, true);
    FKeyPressed = true;
    Repaint();
  }
  inherited::KeyDown(key, shift);
}

void TButtonCControl::KeyUp(WORD& key, TShiftState shift) {
  if (FFocusable && key == VK_SPACE && FKeyPressed) {
    FKeyPressed = false;
    SetButtonState(CursorInside(), false);
    Repaint();
    const std::weak_ptr<int> alive = GetLifeToken();
    ButtonClick();
    if (alive.expired()) return;
  }
  inherited::KeyUp(key, shift);
}

void TButtonCControl::EndKeyPress() {
  FKeyPressed = false;
  SetButtonState(CursorInside(), false);
  Invalidate();
}

void TButtonCControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (!FKeyPressed) inherited::MouseDown(button, shift, x, y);
}

void TButtonCControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (!FKeyPressed) inherited::MouseUp(button, shift, x, y);
}

void TButtonCControl::MouseEnter() {
  if (!FKeyPressed) inherited::MouseEnter();
}

void TButtonCControl::MouseLeave() {
  if (!FKeyPressed) inherited::MouseLeave();
}
