#include "SkinButton.h"

#include <algorithm>
#include <cstring>

#include "classlib/classes/Properties.h"
#include "classlib/controls/ActnList.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/stdctrls/Buttons.h"
#include "classlib/system/SysMath.h"
#include "controls/skin/engine/SkinBitmap.h"
#include "controls/skin/engine/SkinColors.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "controls/skin/engine/SystemBlits.h"
#include "controls/skin/engine/ThemeBinding.h"

namespace {
const wchar_t* const ButtonStateNames[] = {L"vbsNormal", L"vbsPressed"};
const wchar_t* const ButtonLayoutNames[] = {L"blGlyphLeft", L"blGlyphRight", L"blGlyphTop",
                                            L"blGlyphBottom"};
const wchar_t* const BitBtnKindNames[] = {L"bkCustom", L"bkOK",    L"bkCancel", L"bkHelp",
                                          L"bkYes",    L"bkNo",    L"bkClose",  L"bkAbort",
                                          L"bkRetry",  L"bkIgnore", L"bkAll"};
constexpr TColor Black = static_cast<TColor>(0);
}  // namespace

const TEnumInfo SeButtonStateIdents = MakeEnumInfo(ButtonStateNames);
const TEnumInfo SeButtonLayoutIdents = MakeEnumInfo(ButtonLayoutNames);
const TEnumInfo SeBitBtnKindIdents = MakeEnumInfo(BitBtnKindNames);

int ButtonGlyphFrame(int numGlyphs, bool enabled, bool pressed) {
  numGlyphs = std::clamp(numGlyphs, 1, 4);
  int frame = 0;
  if (numGlyphs > 1 && !enabled) frame += 1;
  if (numGlyphs >= 3 && pressed) frame += 2;
  return std::min(frame, numGlyphs - 1);
}

const TPropertyTable* TSeCustomButton::PublishedProperties() {
  using P = TPublish<TSeCustomButton>;
  using C = TSeCustomButton;
  static const TPropertyTable table{
      P::Boolean(L"ActiveDefault", &C::GetActiveDefault, &C::SetActiveDefault).Stored(false),
      P::Boolean(L"BlackAndWhiteGlyph", &C::GetBlackAndWhiteGlyph, &C::SetBlackAndWhiteGlyph)
          .Default(false),
      P::Boolean(L"Cancel", &C::GetCancel, &C::SetCancel).Default(false),
      P::WideText(L"Caption", &C::GetCaption, &C::SetCaption),
      P::Boolean(L"Default", &C::GetDefault, &C::SetDefault).Default(false),
      P::Enum(L"Kind", SeBitBtnKindIdents, &C::GetKind, &C::SetKind).Default(bkCustom),
      P::Integer(L"ModalResult", &C::GetModalResult, &C::SetModalResult).Default(mrNone),
      P::Integer(L"NumGlyphs", &C::GetNumGlyphs, &C::SetNumGlyphs).Default(1),
      P::Integer(L"Spacing", &C::GetSpacing, &C::SetSpacing).Default(4),
      P::Enum(L"State", SeButtonStateIdents, &C::GetState, &C::SetState).Default(vbsNormal),
      P::Persistent(L"Glyph", &C::GetGlyph, &C::SetGlyph).Stored(&C::IsGlyphStored),
      P::Enum(L"Layout", SeButtonLayoutIdents, &C::GetLayout, &C::SetLayout).Default(blGlyphLeft),
      P::Boolean(L"TabStop", &C::GetTabStop, &C::SetTabStop).Default(true),
      P::Boolean(L"WordWrap", &C::GetWordWrap, &C::SetWordWrap).Default(false),
      P::Enum(L"Performance", SePerformanceIdents, &C::GetPerformance, &C::SetPerformance)
          .Default(vxpDoubleBuffer),
  };
  return &table;
}

TSeCustomButton::TSeCustomButton(TComponent* owner)
    : TSeCustomControl(owner), FGlyph(std::make_unique<TBitmap>()) {
  SetControlStyle(TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks, csActionClient});
  SetColor(clBtnFace);
  SetPerformance(vxpDoubleBuffer);
  SetTransparent(false);
  SetTabStop(true);
  SetBounds(GetLeft(), GetTop(), 75, 25);
  FGlyph->OnChange = [this](TObject* sender) { GlyphChanged(sender); };
}

TSeCustomButton::~TSeCustomButton() { FGlyph->OnChange = nullptr; }

// ---- Attributes -------------------------------------------------------------------------------------

void TSeCustomButton::SetKind(TBitBtnKind value) {
  if (value == FKind || value < bkCustom || value > bkAll) return;
  if (value != bkCustom) {
    // Through the writer, so that every button of the form works out ActiveDefault again.
    SetDefault(value == bkOK || value == bkYes);
    if (!GetComponentState().Contains(csLoading) || FCaption.empty())
      FCaption = BitBtnCaption(value);
    FModalResult = BitBtnModalResult(value);
    FGlyph->Assign(GetButtonGlyph(value));
    FGlyphFromAction = false;
    FNumGlyphs = 2;
  }
  FKind = value;
  Invalidate();
}

void TSeCustomButton::SetDefault(bool value) {
  if (value == FDefault) return;
  FDefault = value;
  if (HandleAllocated()) {
    // Every button of the form works out again which one Enter clicks.
    if (TCustomForm* form = GetParentForm(this))
      form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->GetActiveControl()));
  }
  Invalidate();
}

void TSeCustomButton::SetGlyph(TBitmap* value) {
  FGlyph->Assign(value);
  FGlyphFromAction = false;
}

void TSeCustomButton::GlyphChanged(TObject*) {
  // Reading the pixels may separate a shared image, which tells of a change that is none.
  if (FReadingGlyph) return;
  FStrip.reset();
  FFace.reset();
  const int width = FGlyph->GetWidth(), height = FGlyph->GetHeight();
  if (height > 0 && width > 0 && width % height == 0) {
    const int frames = width / height;
    FNumGlyphs = frames > 4 ? 1 : frames;
  }
  Invalidate();
}

void TSeCustomButton::SetNumGlyphs(TNumGlyphs value) {
  // A stored value outside 1..4 would divide the strip by zero or read past its end.
  value = std::clamp(value, 1, 4);
  if (value == FNumGlyphs) return;
  FNumGlyphs = value;
  Invalidate();
}

void TSeCustomButton::SetLayout(TButtonLayout value) {
  if (value == FLayout) return;
  FLayout = value;
  Invalidate();
}

void TSeCustomButton::SetSpacing(int value) {
  if (value == FSpacing) return;
  FSpacing = value;
  Invalidate();
}

void TSeCustomButton::SetState(TSeButtonState value) {
  if (value == FState) return;
  FState = value;
  Invalidate();
}

void TSeCustomButton::SetBlackAndWhiteGlyph(bool value) {
  if (value == FBlackAndWhiteGlyph) return;
  FBlackAndWhiteGlyph = value;
  Invalidate();
}

void TSeCustomButton::SetWordWrap(bool value) {
  if (value == FWordWrap) return;
  FWordWrap = value;
  Invalidate();
}

void TSeCustomButton::SetCaption(const String& value) {
  if (value == FCaption) return;
  FCaption = value;
  Invalidate();
}

bool TSeCustomButton::IsGlyphStored() const {
  // A stock kind makes its glyph again when read; an action gives its own image.
  return !FGlyph->GetEmpty() && FKind == bkCustom && !FGlyphFromAction;
}

// ---- Clicking -----------------------------------------------------------------------------------------

void TSeCustomButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  inherited::Click();
}

void TSeCustomButton::CancelPress() {
  if (!FPress.Pressed() && FState == vbsNormal) return;
  FPress.Cancel(*this);
  FState = vbsNormal;
  Invalidate();
}

void TSeCustomButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::MouseDown(button, shift, x, y);
  if (alive.expired() || button != mbLeft || !GetEnabled()) return;
  FPress.MouseDown(*this);
  if (alive.expired()) return;
  FState = vbsPressed;
  Invalidate();
}

void TSeCustomButton::MouseMove(TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::MouseMove(shift, x, y);
  if (alive.expired() || !FPress.MousePressed()) return;
  const bool inside = x >= 0 && x < GetClientWidth() && y >= 0 && y < GetClientHeight();
  SetState(inside ? vbsPressed : vbsNormal);
}

void TSeCustomButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::MouseUp(button, shift, x, y);
  if (alive.expired() || button != mbLeft || !FPress.MousePressed()) return;
  FPress.MouseUp(*this, x, y);
  FState = vbsNormal;
  Invalidate();
  const bool inside = x >= 0 && x < GetWidth() && y >= 0 && y < GetHeight();
  if (inside && GetEnabled()) Click();  // last: OnClick may free the button
}

void TSeCustomButton::KeyDown(WORD& key, TShiftState shift) {
  const std::weak_ptr<int> alive = GetLifeToken();
  if (key == VK_SPACE && !shift.Contains(ssAlt) && GetEnabled()) {
    FPress.KeyDown(*this, key);
    FState = vbsPressed;
    Invalidate();
  }
  inherited::KeyDown(key, shift);
}

void TSeCustomButton::KeyUp(WORD& key, TShiftState shift) {
  if (key == VK_SPACE) {
    // Only a release whose press went to this button clicks.
    const bool pressed = FPress.KeyUp(*this, key);
    FState = vbsNormal;
    Invalidate();
    key = 0;
    if (pressed && GetEnabled()) {
      Click();  // last: OnClick may free the button
      return;
    }
  }
  inherited::KeyUp(key, shift);
}

void TSeCustomButton::DoFocusOut() {
  CancelPress();
  inherited::DoFocusOut();
}

void TSeCustomButton::CMDialogKey(TMessage& message) {
  const TWMKey key(message);
  const WORD code = key.GetCharCode();
  if (((code == VK_RETURN && (FActiveDefault || GetFocusedFlag())) || (code == VK_ESCAPE && FCancel)) &&
      KeyDataToShiftState(key.GetKeyData()).Empty() && CanFocus()) {
    message.Result = 1;
    Click();
    return;
  }
  inherited::CMDialogKey(message);
}

void TSeCustomButton::CMDialogChar(TMessage& message) {
  if (IsAccel(TWMKey(message).GetCharCode(), FCaption) && CanFocus()) {
    message.Result = 1;
    const std::weak_ptr<int> alive = GetLifeToken();
    SetFocus();
    if (!alive.expired()) Click();
    return;
  }
  inherited::CMDialogChar(message);
}

void TSeCustomButton::CMFocusChanged(TMessage& message) {
  TObject* sender = reinterpret_cast<TWinControl*>(message.LParam);
  const bool active = dynamic_cast<TSeCustomButton*>(sender) || dynamic_cast<TCustomButton*>(sender)
                          ? false
                          : FDefault;
  if (active != FActiveDefault) {
    FActiveDefault = active;
    Invalidate();
  }
  inherited::CMFocusChanged(message);
}

void TSeCustomButton::CreateWnd() {
  inherited::CreateWnd();
  FActiveDefault = FDefault;
}

void TSeCustomButton::CMEnabledChanged(TMessage& message) {
  inherited::CMEnabledChanged(message);
  if (!GetEnabled()) CancelPress();
  Invalidate();
}

void TSeCustomButton::CMTextChanged(TMessage& message) {
  inherited::CMTextChanged(message);
  SetCaption(GetText());
}

void TSeCustomButton::CMMouseEnter(TMessage& message) {
  inherited::CMMouseEnter(message);
  Invalidate();
}

void TSeCustomButton::CMMouseLeave(TMessage& message) {
  inherited::CMMouseLeave(message);
  Invalidate();
}

void TSeCustomButton::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONUP: {
      // The class library gives the capture back before the release reaches MouseUp; that is
      // not a capture lost.
      const std::weak_ptr<int> alive = GetLifeToken();
      FReleasing = true;
      inherited::Dispatch(message);
      if (!alive.expired()) FReleasing = false;
      return;
    }
    case WM_CAPTURECHANGED:
      inherited::Dispatch(message);
      if (!FReleasing && FPress.MousePressed() &&
          reinterpret_cast<HWND>(message.LParam) != (HandleAllocated() ? GetHandle() : nullptr))
        CancelPress();
      return;
    default: inherited::Dispatch(message);
  }
}

// ---- Actions -----------------------------------------------------------------------------------------

void TSeCustomButton::Loaded() {
  inherited::Loaded();
  // Only an assigned action gives caption and image; without one the layout's stay.
  if (!GetComponentState().Contains(csDesigning) && GetAction()) ActionChange(GetAction(), true);
  Invalidate();
}

void TSeCustomButton::ActionChange(TObject* sender, bool checkDefaults) {
  inherited::ActionChange(sender, checkDefaults);
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (!action) return;
  TCustomActionList* list = action->GetActionList();
  TCustomImageList* images = list ? list->GetImages() : nullptr;
  const int index = action->GetImageIndex();
  // A later change of the action replaces only its own image, not a glyph set since.
  const bool takeImage = !InActionNotice() || FGlyphFromAction || FGlyph->GetEmpty();
  if (takeImage && images && index >= 0 && index < images->GetCount()) {
    TBitmap picture;
    picture.SetSize(images->GetWidth(), images->GetHeight());
    FillRectColor(picture.GetCanvas(), TRect(0, 0, images->GetWidth(), images->GetHeight()),
                  RGBColor(255, 0, 255));
    images->Draw(picture.GetCanvas(), 0, 0, index, true);
    FGlyph->Assign(&picture);
    FGlyphFromAction = true;
  }
  // The change notice comes after the link passed a new caption on (or kept the button's own).
  if (!InActionNotice()) SetCaption(action->GetCaption());
}

// ---- Layout of the face --------------------------------------------------------------------------------

TSize TSeCustomButton::GlyphFrameSize() const {
  if (FGlyph->GetEmpty()) return TSize(0, 0);
  return TSize(FGlyph->GetWidth() / std::clamp(FNumGlyphs, 1, 4), FGlyph->GetHeight());
}

TSize TSeCustomButton::CaptionSize() {
  const TSize frame = GlyphFrameSize();
  if (FWordWrap)
    return TSize(GetWidth() - 10 - FSpacing - frame.cx, GetHeight() - 10 - FSpacing - frame.cy);
  // Measured once per caption and font (a paint asks twice, for the text and the glyph); the
  // font is compared by its description, as a freed font's handle may come back for another.
  LOGFONTW font{};
  ::GetObjectW(GetCaptionFont()->GetHandle(), sizeof(font), &font);
  if (FMeasured && std::memcmp(&font, &FMeasuredFont, sizeof(font)) == 0 &&
      FCaption == FMeasuredCaption)
    return FMeasuredSize;
  TBitmap scratch;
  TCanvas* canvas = scratch.GetCanvas();
  canvas->SetFont(GetCaptionFont());
  TRect r;
  DrawTextUnicode(canvas, FCaption, r, DT_CALCRECT | DT_SINGLELINE);
  FMeasured = true;
  FMeasuredFont = font;
  FMeasuredCaption = FCaption;
  FMeasuredSize = TSize(RectWidth(r), RectHeight(r));
  return FMeasuredSize;
}

void TSeCustomButton::GetContentRect(TRect& r) {
  TSize size = CaptionSize();
  const TSize frame = GlyphFrameSize();
  if (frame.cx > 0 && frame.cy > 0) {
    if (FLayout == blGlyphTop || FLayout == blGlyphBottom)
      size.cy += frame.cy + FSpacing;
    else
      size.cx += frame.cx + FSpacing;
    size.cx = std::max(size.cx, frame.cx);
    size.cy = std::max(size.cy, frame.cy);
  }
  r = Bounds(Div(GetWidth() - size.cx, 2), Div(GetHeight() - size.cy, 2), size.cx, size.cy);
  if (FState == vbsPressed) OffsetRect(r, 1, 1);
}

void TSeCustomButton::GetTextRect(TRect& r) {
  GetContentRect(r);
  const TSize frame = GlyphFrameSize();  // (0, 0) without a glyph: Spacing still applies
  switch (FLayout) {
    case blGlyphLeft: r.Left += frame.cx + FSpacing; break;
    case blGlyphRight: r.Right -= frame.cx + FSpacing; break;
    case blGlyphTop: r.Top += frame.cy + FSpacing; break;
    case blGlyphBottom: r.Bottom -= frame.cy + FSpacing; break;
  }
}

void TSeCustomButton::GetGlyphRect(TRect& r) {
  GetContentRect(r);
  const TSize frame = GlyphFrameSize();
  switch (FLayout) {
    case blGlyphLeft: r.Right = r.Left + frame.cx + FSpacing; break;
    case blGlyphRight: r.Left = r.Right - frame.cx - FSpacing; break;
    case blGlyphTop: r.Bottom = r.Top + frame.cy + FSpacing; break;
    case blGlyphBottom: r.Top = r.Bottom - frame.cy - FSpacing; break;
  }
}

// ---- Painting ----------------------------------------------------------------------------------------

void TSeCustomButton::PaintFace() {
  inherited::PaintFace();
  PaintButtonFrame();
  PaintButtonCaption();
  PaintButtonGlyph();
}

void TSeCustomButton::PaintButtonFrame() {
  TCanvas* canvas = GetCanvas();
  TRect r;
  GetFrameRect(r);
  const bool focused = GetFocusedFlag();
  if (UseThemes()) {
    const int state = !GetEnabled()                   ? 4
                      : FState == vbsPressed          ? 3
                      : GetHot()                      ? 2
                      : focused || FActiveDefault     ? 5
                                                      : 1;
    if (!GetTransparent()) PaintParentBackground(*this, canvas->GetHandle(), false);
    if (TThemeScope(L"Button").DrawBackground(canvas->GetHandle(), 1 /* BP_PUSHBUTTON */, state, r))
      return;
  }
  if (focused || FActiveDefault) {
    DrawFrameLines(canvas, r, Black, Black);
    InflateRect(r, -1, -1);
  }
  FillRectColor(canvas, r, GetColor());
  if (FState == vbsNormal) {
    DrawFrameLines(canvas, r, clBtnHighlight, Black);
    InflateRect(r, -1, -1);
    DrawFrameLines(canvas, r, GetColor(), clBtnShadow);
  } else {
    DrawFrameLines(canvas, r, clBtnShadow, clBtnShadow);
  }
  if (focused) {
    TRect focus;
    GetFrameRect(focus);
    InflateRect(focus, -4, -4);
    DrawFocus(canvas, focus, clBtnShadow);
  }
}

void TSeCustomButton::PaintButtonGlyph() {
  const TSize frame = GlyphFrameSize();
  if (frame.cx <= 0 || frame.cy <= 0) return;
  if (!FStrip) {
    FStrip = std::make_unique<TSeBitmap>();
    FReadingGlyph = true;
    try {
      FStrip->Assign(FGlyph.get());
    } catch (...) {
      FReadingGlyph = false;
      throw;
    }
    FReadingGlyph = false;
  }
  const TSeBitmap& strip = *FStrip;
  if (strip.Empty()) return;
  const int index = ButtonGlyphFrame(FNumGlyphs, GetEnabled(), FState == vbsPressed);
  const bool grey = FBlackAndWhiteGlyph && !GetHot();
  const bool disabledLook = FNumGlyphs == 1 && !GetEnabled();
  const TAlphaBlendProc blend = SystemAlphaBlend();
  // The frame as drawn is kept until the glyph, the look or the way of drawing changes.
  const int faceKey = index | (grey ? 8 : 0) | (disabledLook ? 16 : 0) | (blend ? 32 : 0);
  if (!FFace || FFaceKey != faceKey || FFace->GetWidth() != frame.cx ||
      FFace->GetHeight() != frame.cy) {
    auto face = std::make_unique<TSeBitmap>();
    face->SetSize(frame.cx, frame.cy);
    const TPixel32 key = strip.GetPixel(0, strip.GetHeight() - 1);
    // With the system's alpha blend the clear pixels are fully transparent (premultiplied:
    // all zero) and the others opaque, which draws the same as a keyed copy, only faster.
    const TPixel32 clear = blend ? TPixel32{} : SeClearPixel;
    ::GdiFlush();
    for (int y = 0; y < frame.cy; ++y) {
      for (int x = 0; x < frame.cx; ++x) {
        TPixel32 pixel = strip.GetPixel(index * frame.cx + x, y);
        if (PixelRGB(pixel) == PixelRGB(key)) {
          pixel = clear;
        } else if (grey || disabledLook) {
          const double lightness = RGBToHSL(pixel).L;
          // A disabled one-frame glyph fades to 160..210, also in black and white.
          const int level = disabledLook ? static_cast<int>(Round(lightness * 50)) + 160
                                         : static_cast<int>(Round(lightness * 255));
          pixel = PackPixel(level, level, level, 255);
        } else {
          pixel.A = 255;
        }
        *face->PixelPtr(x, y) = pixel;
      }
    }
    FFace = std::move(face);
    FFaceKey = faceKey;
  }
  TRect r;
  GetGlyphRect(r);
  const int x = r.Left + Div(RectWidth(r) - frame.cx, 2), y = r.Top + Div(RectHeight(r) - frame.cy, 2);
  if (blend) {
    ::GdiFlush();
    blend(GetCanvas()->GetHandle(), x, y, frame.cx, frame.cy, FFace->GetDC(), 0, 0, frame.cx,
          frame.cy, BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});
  } else {
    FFace->Draw(GetCanvas(), x, y, true);
  }
}

void TSeCustomButton::PaintButtonCaption() {
  if (FCaption.empty()) return;
  TCanvas* canvas = GetCanvas();
  canvas->SetFont(GetCaptionFont());
  TRect area;
  GetTextRect(area);
  const UINT wrap = FWordWrap ? DT_WORDBREAK : 0;
  // Unwrapped, one measuring from an empty rectangle gives the text's width and height.
  TRect text = FWordWrap ? TRect(0, 0, RectWidth(area), TextHeightEx(canvas, FCaption)) : TRect();
  DrawTextUnicode(canvas, FCaption, text, DrawTextBiDiModeFlags(wrap | DT_CALCRECT));
  RectCenter(text, area);
  const UINT flags = DrawTextBiDiModeFlags(wrap | DT_CENTER);
  if (!GetEnabled()) {
    canvas->GetFont()->SetColor(clBtnHighlight);
    TRect shadow = text;
    OffsetRect(shadow, 1, 1);
    DrawTextUnicode(canvas, FCaption, shadow, flags);
    canvas->GetFont()->SetColor(clBtnShadow);
  }
  DrawTextUnicode(canvas, FCaption, text, flags);
}
