#include "fcText.h"

#include <cmath>
#include <numbers>
#include <vector>
#include "classlib/classes/Properties.h"
#include "classlib/system/SysMath.h"
#include "fcCommon.h"

namespace {

const wchar_t* const AlignmentNames[] = {L"taLeftJustify", L"taRightJustify", L"taCenter"};
const TEnumInfo AlignmentIdents = MakeEnumInfo(AlignmentNames);
const wchar_t* const VAlignmentNames[] = {L"vaTop", L"vaVCenter", L"vaBottom"};
const TEnumInfo VAlignmentIdents = MakeEnumInfo(VAlignmentNames);
const wchar_t* const TextStyleNames[] = {L"fclsDefault", L"fclsLowered", L"fclsRaised",
                                         L"fclsOutline"};
const TEnumInfo TextStyleIdents = MakeEnumInfo(TextStyleNames);
const wchar_t* const OrientationNames[] = {L"fcTopLeft", L"fcTopRight", L"fcBottomLeft",
                                           L"fcBottomRight", L"fcTop", L"fcRight",
                                           L"fcLeft", L"fcBottom"};
const TEnumInfo OrientationIdents = MakeEnumInfo(OrientationNames);
const wchar_t* const TextOptionNames[] = {L"toShowAccel", L"toShowEllipsis"};
const TEnumInfo TextOptionIdents = MakeEnumInfo(TextOptionNames);

// The RGB a colour stands for (system colours translated).
TColor PlainColor(TColor color) { return ColorFromInt(static_cast<int32_t>(ColorToRGB(color))); }

double Radians(int degrees) { return degrees * std::numbers::pi / 180.0; }

// The caption's lines, split at "\r\n".
std::vector<String> SplitLines(const String& text) {
  std::vector<String> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(L"\r\n", start);
    if (end == String::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
}

}  // namespace

// ---- Arithmetic ---------------------------------------------------------------------------------

TPoint OrientationStep(TfcOrientation orientation) {
  static constexpr TPoint Steps[] = {{1, 1},  {-1, 1}, {1, -1}, {-1, -1},
                                     {0, 1},  {-1, 0}, {1, 0},  {0, -1}};
  const int index = static_cast<int>(orientation);
  return (index >= 0 && index < 8) ? Steps[index] : TPoint(0, 0);
}

int NearFloor(double v) { return static_cast<int>(Round(v - 0.4999)); }

int NormalizeRotation(int degrees) {
  // 360 - (|v| mod 360) for a negative v, with a whole turn back to 0 rather than 360.
  const int turn = Mod(degrees, 360);
  return turn < 0 ? turn + 360 : turn;
}

TSize RotatedExtent(TSize size, int degrees) {
  const double a = Radians(degrees);
  const double s = std::fabs(std::sin(a));
  const double c = std::fabs(std::cos(a));
  return TSize(NearFloor(c * size.cx + s * size.cy), NearFloor(s * size.cx + c * size.cy));
}

TPoint EffectiveShadowOffset(bool shadowEnabled, int xOffset, int yOffset, bool extrudeEnabled,
                             TfcOrientation orientation) {
  if (!shadowEnabled) return TPoint(0, 0);
  TPoint offset(xOffset, yOffset);
  if (extrudeEnabled) {
    const TPoint step = OrientationStep(orientation);
    if ((offset.X >= 1) != (step.X >= 0)) offset.X = 0;
    if ((offset.Y >= 1) != (step.Y >= 0)) offset.Y = 0;
  }
  return offset;
}

TSize CaptionEffectsExtent(TPoint shadowOffset, bool extrudeEnabled, int depth,
                           TfcOrientation orientation, bool outline) {
  TSize extra(std::abs(shadowOffset.X), std::abs(shadowOffset.Y));
  if (extrudeEnabled) {
    const TPoint step = OrientationStep(orientation);
    extra.cx += std::abs(step.X) * depth;
    extra.cy += std::abs(step.Y) * depth;
  }
  if (outline) {
    extra.cx += 2;
    extra.cy += 2;
  }
  return extra;
}

TPoint CaptionOrigin(const TRect& layout, TSize text, int degrees, TPoint shadowOffset,
                     bool extrudeEnabled, int depth) {
  int x = layout.Left + Div(layout.Width(), 2) - Div(shadowOffset.X, 2);
  int y = layout.Top + Div(layout.Height(), 2) - Div(shadowOffset.Y, 2);
  if (extrudeEnabled) {
    x -= Div(depth, 2);
    y -= Div(depth, 2);
  }
  // The text's own top-left corner turns with it about the middle.
  const double a = Radians(degrees);
  x -= Div(NearFloor(std::cos(a) * text.cx), 2);
  y += Div(NearFloor(std::sin(a) * text.cx), 2);
  y -= Div(NearFloor(std::cos(a) * text.cy), 2);
  x -= Div(NearFloor(std::sin(a) * text.cy), 2);
  return TPoint(x, y);
}

TColor ExtrusionLayerColor(TColor nearColor, TColor farColor, int layer, int depth,
                           bool striated) {
  if (depth < 1) return nearColor;
  const int nearValue = ColorToInt(nearColor);
  const int farValue = ColorToInt(farColor);
  int result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int n = (nearValue >> shift) & 0xFF;
    const int f = (farValue >> shift) & 0xFF;
    int channel;
    if (striated) {
      channel = (Div(n - f, depth) + f) * layer;
      channel = Div(channel, layer % 2 == 0 ? 4 : 1);
    } else {
      channel = NearFloor((n - f) / (static_cast<double>(depth) / layer) + f);
    }
    result |= (channel & 0xFF) << shift;
  }
  return ColorFromInt(result);
}

// ---- TfcShadowEffects ---------------------------------------------------------------------------

TPersistent* TfcShadowEffects::GetOwner() const { return FOwner; }

void TfcShadowEffects::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  FOwner->Changed();
}

void TfcShadowEffects::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  FOwner->NotifyRecalc();
  FOwner->Changed();
}

void TfcShadowEffects::SetXOffset(int value) {
  if (value == FXOffset) return;
  FXOffset = value;
  FOwner->NotifyRecalc();
  FOwner->Changed();
}

void TfcShadowEffects::SetYOffset(int value) {
  if (value == FYOffset) return;
  FYOffset = value;
  FOwner->NotifyRecalc();
  FOwner->Changed();
}

void TfcShadowEffects::AssignTo(TPersistent* dest) {
  auto* shadow = dynamic_cast<TfcShadowEffects*>(dest);
  if (!shadow) {
    inherited::AssignTo(dest);
    return;
  }
  shadow->SetColor(FColor);
  shadow->SetEnabled(FEnabled);
  shadow->SetXOffset(FXOffset);
  shadow->SetYOffset(FYOffset);
}

const TPropertyTable* TfcShadowEffects::PublishedProperties() {
  using P = TPublish<TfcShadowEffects>;
  using C = TfcShadowEffects;
  static const TPropertyTable table{
      P::Color(L"Color", &C::GetColor, &C::SetColor).Default(clBtnShadow),
      P::Boolean(L"Enabled", &C::GetEnabled, &C::SetEnabled).Default(false),
      P::Integer(L"XOffset", &C::GetXOffset, &C::SetXOffset).Default(10),
      P::Integer(L"YOffset", &C::GetYOffset, &C::SetYOffset).Default(10),
  };
  return &table;
}

// ---- TfcExtrudeEffects --------------------------------------------------------------------------

TPersistent* TfcExtrudeEffects::GetOwner() const { return FOwner; }

void TfcExtrudeEffects::SetDepth(int value) {
  value = Max(value, 0);
  if (value == FDepth) return;
  FDepth = value;
  FOwner->NotifyRecalc();
  FOwner->Changed();
}

void TfcExtrudeEffects::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  FOwner->NotifyRecalc();
  FOwner->Changed();
}

void TfcExtrudeEffects::SetFarColor(TColor value) {
  if (value == FFarColor) return;
  FFarColor = value;
  FOwner->Changed();
}

void TfcExtrudeEffects::SetNearColor(TColor value) {
  if (value == FNearColor) return;
  FNearColor = value;
  FOwner->Changed();
}

void TfcExtrudeEffects::SetOrientation(TfcOrientation value) {
  if (value == FOrientation) return;
  FOrientation = value;
  FOwner->NotifyRecalc();
  FOwner->Changed();
}

void TfcExtrudeEffects::SetStriated(bool value) {
  if (value == FStriated) return;
  FStriated = value;
  FOwner->Changed();
}

void TfcExtrudeEffects::AssignTo(TPersistent* dest) {
  auto* extrude = dynamic_cast<TfcExtrudeEffects*>(dest);
  if (!extrude) {
    inherited::AssignTo(dest);
    return;
  }
  extrude->SetDepth(FDepth);
  extrude->SetEnabled(FEnabled);
  extrude->SetFarColor(FFarColor);
  extrude->SetNearColor(FNearColor);
  extrude->SetOrientation(FOrientation);
  extrude->SetStriated(FStriated);
}

const TPropertyTable* TfcExtrudeEffects::PublishedProperties() {
  using P = TPublish<TfcExtrudeEffects>;
  using C = TfcExtrudeEffects;
  static const TPropertyTable table{
      P::Integer(L"Depth", &C::GetDepth, &C::SetDepth).Default(10),
      P::Boolean(L"Enabled", &C::GetEnabled, &C::SetEnabled).Default(false),
      P::Color(L"FarColor", &C::GetFarColor, &C::SetFarColor).Default(clBlack),
      P::Color(L"NearColor", &C::GetNearColor, &C::SetNearColor).Default(clBlack),
      P::Enum(L"Orientation", OrientationIdents, &C::GetOrientation, &C::SetOrientation)
          .Default(fcBottomRight),
      P::Boolean(L"Striated", &C::GetStriated, &C::SetStriated).Default(false),
  };
  return &table;
}

// ---- TfcDisabledColors --------------------------------------------------------------------------

TPersistent* TfcDisabledColors::GetOwner() const { return FOwner; }

void TfcDisabledColors::SetHighlightColor(TColor value) {
  if (value == FHighlightColor) return;
  FHighlightColor = value;
  FOwner->NotifyChange();
}

void TfcDisabledColors::SetShadeColor(TColor value) {
  if (value == FShadeColor) return;
  FShadeColor = value;
  FOwner->NotifyChange();
}

void TfcDisabledColors::AssignTo(TPersistent* dest) {
  auto* colors = dynamic_cast<TfcDisabledColors*>(dest);
  if (!colors) {
    inherited::AssignTo(dest);
    return;
  }
  colors->SetHighlightColor(FHighlightColor);
  colors->SetShadeColor(FShadeColor);
}

const TPropertyTable* TfcDisabledColors::PublishedProperties() {
  using P = TPublish<TfcDisabledColors>;
  using C = TfcDisabledColors;
  static const TPropertyTable table{
      P::Color(L"HighlightColor", &C::GetHighlightColor, &C::SetHighlightColor)
          .Default(clBtnHighlight),
      P::Color(L"ShadeColor", &C::GetShadeColor, &C::SetShadeColor).Default(clBtnShadow),
  };
  return &table;
}

// ---- TfcText: attributes ------------------------------------------------------------------------

TfcText::TfcText(TfcTextCallbacks callbacks, TFont* font, TCanvas* canvas)
    : FCallbacks(std::move(callbacks)),
      FFont(font),
      FCanvas(canvas),
      FDisabledColors(std::make_unique<TfcDisabledColors>(this)),
      FExtrudeEffects(std::make_unique<TfcExtrudeEffects>(this)),
      FShadow(std::make_unique<TfcShadowEffects>(this)) {}

TfcText::~TfcText() = default;

void TfcText::NotifyRecalc() {
  if (FCallbacks.OnRecalc) FCallbacks.OnRecalc();
}

void TfcText::NotifyChange() {
  if (FCallbacks.OnChange) FCallbacks.OnChange();
}

void TfcText::Changed() { NotifyChange(); }

bool TfcText::IsEnabled() const { return FCallbacks.IsEnabled ? FCallbacks.IsEnabled() : true; }

void TfcText::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Changed();
}

void TfcText::SetVAlignment(TfcVAlignment value) {
  if (value == FVAlignment) return;
  FVAlignment = value;
  Changed();
}

void TfcText::SetDisabledColors(TfcDisabledColors* value) {
  if (value) FDisabledColors->Assign(value);
}

void TfcText::SetExtrudeEffects(TfcExtrudeEffects* value) {
  if (value) FExtrudeEffects->Assign(value);
}

void TfcText::SetShadow(TfcShadowEffects* value) {
  if (value) FShadow->Assign(value);
}

void TfcText::SetHighlightColor(TColor value) {
  if (value == FHighlightColor) return;
  FHighlightColor = value;
  Changed();
}

void TfcText::SetShadeColor(TColor value) {
  if (value == FShadeColor) return;
  FShadeColor = value;
  Changed();
}

void TfcText::SetOutlineColor(TColor value) {
  if (value == FOutlineColor) return;
  FOutlineColor = value;
  Changed();
}

void TfcText::SetLineSpacing(int value) {
  if (value == FLineSpacing) return;
  FLineSpacing = value;
  Changed();
}

void TfcText::SetOptions(TfcTextOptions value) {
  if (value == FOptions) return;
  FOptions = value;
  if (FOptions.Contains(toShowAccel))
    FDrawFlags &= ~static_cast<UINT>(DT_NOPREFIX);
  else
    FDrawFlags |= DT_NOPREFIX;
  if (FOptions.Contains(toShowEllipsis))
    FDrawFlags |= DT_END_ELLIPSIS;
  else
    FDrawFlags &= ~static_cast<UINT>(DT_END_ELLIPSIS);
  NotifyRecalc();
  Changed();
}

void TfcText::SetRotation(int value) {
  value = NormalizeRotation(value);
  if (value == FRotation) return;
  FRotation = value;
  NotifyRecalc();
  Changed();
}

void TfcText::SetScaleByScreen(bool value) {
  if (value == FScaleByScreen) return;
  FScaleByScreen = value;
  Changed();  // only Options and Rotation (and the effects' sizes) ask for a new layout
}

void TfcText::SetStyle(TfcTextStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  Changed();
}

void TfcText::SetWordWrap(bool value) {
  if (value == FWordWrap) return;
  FWordWrap = value;
  if (value)
    FDrawFlags |= DT_WORDBREAK;
  else
    FDrawFlags &= ~static_cast<UINT>(DT_WORDBREAK);
  Changed();
}

void TfcText::SetText(const String& value) {
  if (value != FText) FText = value;
}

void TfcText::Assign(TPersistent* source) {
  auto* text = dynamic_cast<TfcText*>(source);
  if (!text) {
    inherited::Assign(source);
    return;
  }
  if (text == this) return;
  FExtrudeEffects->Assign(text->FExtrudeEffects.get());
  SetHighlightColor(text->FHighlightColor);
  SetLineSpacing(text->FLineSpacing);
  SetOptions(text->FOptions);
  SetOutlineColor(text->FOutlineColor);
  SetRotation(text->FRotation);
  SetShadeColor(text->FShadeColor);
  FShadow->Assign(text->FShadow.get());
  SetStyle(text->FStyle);
  SetText(text->FText);
}

// ---- TfcText: measuring -------------------------------------------------------------------------

TPoint TfcText::GetShadowOffset() const {
  return EffectiveShadowOffset(FShadow->GetEnabled(), FShadow->GetXOffset(), FShadow->GetYOffset(),
                               FExtrudeEffects->GetEnabled(), FExtrudeEffects->GetOrientation());
}

LOGFONTW TfcText::GetLogFont() {
  LOGFONTW lf{};
  int height = FFont->GetHeight();
  if (FScaleByScreen) height = NearFloor(height * static_cast<double>(ScreenLogPixels()) / 96.0);
  lf.lfHeight = height;
  lf.lfWidth = 0;
  lf.lfEscapement = FRotation * 10;
  lf.lfOrientation = FRotation * 10;
  const TFontStyles style = FFont->GetStyle();
  lf.lfWeight = style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = style.Contains(fsItalic) ? TRUE : FALSE;
  lf.lfUnderline = style.Contains(fsUnderline) ? TRUE : FALSE;
  lf.lfStrikeOut = style.Contains(fsStrikeOut) ? TRUE : FALSE;
  const TFontCharset charset = FFont->GetCharset();
  lf.lfCharSet = charset == DEFAULT_CHARSET ? ANSI_CHARSET : charset;
  // A turned caption needs an outline font; GDI would otherwise pick a bitmap face that
  // cannot turn.
  lf.lfOutPrecision = FRotation == 0 ? OUT_TT_PRECIS : OUT_TT_ONLY_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = PROOF_QUALITY;
  lf.lfPitchAndFamily = VARIABLE_PITCH;
  const String name = FFont->GetName().substr(0, LF_FACESIZE - 1);
  name.copy(lf.lfFaceName, name.size());
  return lf;
}

TSize TfcText::GetTextExtent() {
  const String text = FOptions.Contains(toShowAccel) ? StripAccelerators(FText) : FText;
  return MeasureText(FCanvas, text, FLineSpacing, FDrawFlags, FWordWrap ? FLayoutRect.Width() : 0);
}

TSize TfcText::GetRotatedSize(bool unclipped) {
  const TSize text = GetTextExtent();
  const TSize extra =
      CaptionEffectsExtent(GetShadowOffset(), FExtrudeEffects->GetEnabled(),
                           FExtrudeEffects->GetDepth(), FExtrudeEffects->GetOrientation(),
                           FStyle == fclsOutline);
  TSize size = RotatedExtent(TSize(text.cx + extra.cx, text.cy + extra.cy), FRotation);
  if (!unclipped) {
    size.cx = Min(size.cx, FLayoutRect.Width());
    size.cy = Min(size.cy, FLayoutRect.Height());
  }
  return size;
}

void TfcText::CalcTextRect(TRect& rect, bool unclipped) {
  const TSize text = GetTextExtent();
  const TSize turned = GetRotatedSize(unclipped);
  const TPoint origin = CaptionOrigin(FLayoutRect, text, FRotation, GetShadowOffset(),
                                      FExtrudeEffects->GetEnabled(), FExtrudeEffects->GetDepth());
  rect = Bounds(origin.X, origin.Y, turned.cx, turned.cy);
  if (rect.Left < FLayoutRect.Left) OffsetRect(rect, FLayoutRect.Left - rect.Left, 0);
  if (rect.Top < FLayoutRect.Top) OffsetRect(rect, 0, FLayoutRect.Top - rect.Top);
}

void TfcText::PrepareFont() {
  LOGFONTW lf = GetLogFont();
  if (HFONT font = ::CreateFontIndirectW(&lf)) {
    // The canvas's font owns the handle from here on and frees it when it changes again.
    FCanvas->GetFont()->SetHandle(font);
  }
  FCanvas->GetFont()->SetColor(FFont->GetColor());
  CalcTextRect(FTextRect);
}

void TfcText::ReleaseFont() { FCanvas->SetFont(FFont); }

void TfcText::CalcRect(bool unclipped, TRect& rect) {
  if (!FCanvas || !FFont) return;
  LOGFONTW lf = GetLogFont();
  if (HFONT font = ::CreateFontIndirectW(&lf)) FCanvas->GetFont()->SetHandle(font);
  CalcTextRect(rect, unclipped);
  ReleaseFont();
}

// ---- TfcText: drawing ---------------------------------------------------------------------------

void TfcText::Draw() {
  if (!FCanvas || !FFont) return;
  FDrawFlags &= ~static_cast<UINT>(DT_CENTER | DT_RIGHT);
  // A turned caption is placed by its own arithmetic; the alignment flags would move each
  // line along the unturned axis.
  if (FRotation % 360 == 0) {
    if (FAlignment == taCenter) FDrawFlags |= DT_CENTER;
    if (FAlignment == taRightJustify) FDrawFlags |= DT_RIGHT;
    TRect measured;
    CalcRect(false, measured);
    const int width = measured.Width();
    const int height = measured.Height();
    TRect& r = FLayoutRect;
    if (FAlignment == taLeftJustify)
      r = Rect(r.Left, r.Top, r.Left + width, r.Bottom);
    else if (FAlignment == taRightJustify)
      r = Rect(r.Right - width, r.Top, r.Right, r.Bottom);
    if (FVAlignment == vaTop)
      r = Rect(r.Left, r.Top, r.Right, r.Top + height);
    else if (FVAlignment == vaBottom)
      r = Rect(r.Left, r.Bottom - height, r.Right, r.Bottom);
  }
  switch (FStyle) {
    case fclsDefault: DrawDefaultStyle(); break;
    case fclsLowered: DrawEmbossedStyle(false); break;
    case fclsRaised: DrawEmbossedStyle(true); break;
    case fclsOutline: DrawOutlineStyle(); break;
  }
}

void TfcText::DrawLines(TRect rect) {
  const HDC dc = FCanvas->GetHandle();
  const double a = Radians(FRotation);
  for (const String& line : SplitLines(FText)) {
    String buffer = line;  // DrawTextEx takes a writable text
    RECT r = rect;
    ::DrawTextExW(dc, buffer.data(), static_cast<int>(buffer.size()), &r, FDrawFlags, nullptr);
    const int step = LineHeight(FCanvas, FDrawFlags, rect.Width(), line) + FLineSpacing;
    OffsetRect(rect, NearFloor(std::sin(a) * step), NearFloor(std::cos(a) * step));
  }
}

void TfcText::DrawCopy(int dx, int dy, TColor color) {
  FCanvas->GetFont()->SetColor(color);
  TRect r = FTextRect;
  OffsetRect(r, dx, dy);
  DrawLines(r);
}

void TfcText::DrawExtrusion() {
  if (!FExtrudeEffects->GetEnabled()) return;
  const TColor nearColor = PlainColor(FExtrudeEffects->GetNearColor());
  const TColor farColor = PlainColor(FExtrudeEffects->GetFarColor());
  const int depth = FExtrudeEffects->GetDepth();
  const TPoint step = OrientationStep(FExtrudeEffects->GetOrientation());
  const int halfX = Div(std::abs(step.X) * depth, 2);
  const int halfY = Div(std::abs(step.Y) * depth, 2);
  OffsetRect(FTextRect, halfX, halfY);
  OffsetRect(FTextRect, -step.X * halfX, -step.Y * halfY);
  for (int layer = 1; layer <= depth; ++layer) {
    OffsetRect(FTextRect, step.X, step.Y);
    FCanvas->GetFont()->SetColor(
        ExtrusionLayerColor(nearColor, farColor, layer, depth, FExtrudeEffects->GetStriated()));
    DrawLines(FTextRect);
  }
}

void TfcText::DrawShadow() {
  if (!FShadow->GetEnabled()) return;
  DrawCopy(FShadow->GetXOffset(), FShadow->GetYOffset(),
           IsEnabled() ? FShadow->GetColor() : FDisabledColors->GetShadeColor());
}

void TfcText::DrawHighlightCopy() {
  const TPoint step = OrientationStep(FExtrudeEffects->GetOrientation());
  DrawCopy(-step.X, -step.Y, FHighlightColor);
  DrawCopy(0, 0, FFont->GetColor());
}

void TfcText::DrawOutline() {
  const bool enabled = IsEnabled();
  const TColor outline = enabled ? FOutlineColor : FDisabledColors->GetShadeColor();
  for (int i = fcTopLeft; i <= fcBottom; ++i) {
    const TPoint step = OrientationStep(static_cast<TfcOrientation>(i));
    DrawCopy(step.X, step.Y, outline);
  }
  DrawCopy(0, 0, enabled ? FFont->GetColor() : FDisabledColors->GetHighlightColor());
}

void TfcText::DrawDefaultStyle() {
  if (!IsEnabled()) {
    DrawEmbossedStyle(false);
    return;
  }
  PrepareFont();
  DrawExtrusion();
  DrawShadow();
  DrawCopy(0, 0, FFont->GetColor());
  ReleaseFont();
}

void TfcText::DrawEmbossedStyle(bool raised) {
  PrepareFont();
  DrawExtrusion();
  DrawShadow();
  const bool enabled = IsEnabled();
  const TColor highlight = enabled ? FHighlightColor : FDisabledColors->GetHighlightColor();
  const TColor shade = enabled ? FShadeColor : FDisabledColors->GetShadeColor();
  if (enabled) {
    const TColor edge = raised ? highlight : shade;
    if (edge != clNone) DrawCopy(-1, -1, edge);
  }
  const TColor edge = raised ? shade : highlight;
  if (edge != clNone) DrawCopy(1, 1, edge);
  DrawCopy(0, 0, enabled ? FFont->GetColor() : FDisabledColors->GetShadeColor());
  ReleaseFont();
}

void TfcText::DrawOutlineStyle() {
  PrepareFont();
  DrawExtrusion();
  DrawShadow();
  DrawOutline();
  ReleaseFont();
}

// ---- TfcCaptionText -----------------------------------------------------------------------------

const TPropertyTable* TfcCaptionText::PublishedProperties() {
  using P = TPublish<TfcCaptionText>;
  using C = TfcCaptionText;
  static const TPropertyTable table{
      P::Enum(L"Alignment", AlignmentIdents, &C::GetAlignment, &C::SetAlignment),
      P::Persistent(L"DisabledColors", &C::GetDisabledColors, &C::SetDisabledColors),
      P::Persistent(L"ExtrudeEffects", &C::GetExtrudeEffects, &C::SetExtrudeEffects),
      P::Color(L"HighlightColor", &C::GetHighlightColor, &C::SetHighlightColor)
          .Default(clBtnHighlight),
      P::Integer(L"LineSpacing", &C::GetLineSpacing, &C::SetLineSpacing).Default(5),
      P::Set(L"Options", TextOptionIdents, &C::GetOptions, &C::SetOptions)
          .Default(TfcTextOptions{toShowAccel}),
      P::Color(L"OutlineColor", &C::GetOutlineColor, &C::SetOutlineColor).Default(clBlack),
      P::Integer(L"Rotation", &C::GetRotation, &C::SetRotation).Default(0),
      P::Boolean(L"ScaleByScreen", &C::GetScaleByScreen, &C::SetScaleByScreen).Default(false),
      P::Color(L"ShadeColor", &C::GetShadeColor, &C::SetShadeColor).Default(clBtnShadow),
      P::Persistent(L"Shadow", &C::GetShadow, &C::SetShadow),
      P::Enum(L"Style", TextStyleIdents, &C::GetStyle, &C::SetStyle).Default(fclsDefault),
      P::Enum(L"VAlignment", VAlignmentIdents, &C::GetVAlignment, &C::SetVAlignment),
      P::Boolean(L"WordWrap", &C::GetWordWrap, &C::SetWordWrap).Default(false),
  };
  return &table;
}
