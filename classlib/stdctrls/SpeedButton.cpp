#include "SpeedButton.h"

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"

namespace {

const wchar_t* const ButtonLayoutNames[] = {L"blGlyphLeft", L"blGlyphRight", L"blGlyphTop",
                                            L"blGlyphBottom"};
const TEnumInfo ButtonLayoutIdents = MakeEnumInfo(ButtonLayoutNames);

const bool SpeedButtonClassesRegistered = [] {
  RegisterClass<TSpeedButton>();
  return true;
}();

// The 8 x 8 checkerboard of two colours that a held-down button's face is filled with.
void MakeCheckerPattern(TBitmap& pattern, TColor first, TColor second) {
  pattern.SetSize(8, 8);
  TCanvas* canvas = pattern.GetCanvas();
  const TColor a = ColorFromInt(static_cast<int32_t>(ColorToRGB(first)));
  const TColor b = ColorFromInt(static_cast<int32_t>(ColorToRGB(second)));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) canvas->SetPixels(x, y, (x + y) % 2 == 0 ? a : b);
}

}  // namespace

TSpeedButton::TSpeedButton(TComponent* owner)
    : TGraphicControl(owner), FGlyph(std::make_unique<TButtonGlyph>()) {
  FGlyph->OnChange = [this](TObject*) { Invalidate(); };
  SetBounds(0, 0, 23, 22);
  SetControlStyle(TControlStyle{csCaptureMouse, csDoubleClicks});
  SetColor(clBtnFace);
  SetParentFont(true);
}

TSpeedButton::~TSpeedButton() {
  Destroying();
  FGlyph->OnChange = nullptr;
}

// ---- Attributes ---------------------------------------------------------------------------------

void TSpeedButton::SetAllowAllUp(bool value) {
  if (value == FAllowAllUp) return;
  FAllowAllUp = value;
  UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(int value) {
  if (value == FGroupIndex) return;
  FGroupIndex = value;
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool value) {
  if (FGroupIndex == 0) value = false;
  if (value == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = value;
  if (value) {
    if (FState == bsUp) Invalidate();
    FState = bsExclusive;
    UpdateExclusive();
  } else {
    FState = bsUp;
    Repaint();
  }
}

void TSpeedButton::SetFlat(bool value) {
  if (value == FFlat) return;
  FFlat = value;
  Invalidate();
}

void TSpeedButton::SetGlyph(TBitmap* value) {
  FGlyph->SetGlyph(value);
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(TNumGlyphs value) {
  if (value < 1) value = 1;
  if (value > 4) value = 4;
  if (value == FGlyph->GetNumGlyphs()) return;
  FGlyph->SetNumGlyphs(value);
  Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout value) {
  if (value == FLayout) return;
  FLayout = value;
  Invalidate();
}

void TSpeedButton::SetMargin(int value) {
  if (value == FMargin || value < -1) return;
  FMargin = value;
  Invalidate();
}

void TSpeedButton::SetSpacing(int value) {
  if (value == FSpacing) return;
  FSpacing = value;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  TControlStyle style = GetControlStyle();
  if (value)
    style.Exclude(csOpaque);
  else
    style.Include(csOpaque);
  SetControlStyle(style);
  Invalidate();
}

// ---- Groups -------------------------------------------------------------------------------------

void TSpeedButton::UpdateExclusive() {
  if (FGroupIndex == 0 || !GetParent()) return;
  TMessage message{CM_BUTTONPRESSED, static_cast<WPARAM>(FGroupIndex),
                   reinterpret_cast<LPARAM>(static_cast<TControl*>(this)), 0};
  GetParent()->Broadcast(message);
}

void TSpeedButton::CMButtonPressed(TMessage& message) {
  if (message.WParam != static_cast<WPARAM>(FGroupIndex)) return;
  auto* sender = dynamic_cast<TSpeedButton*>(reinterpret_cast<TControl*>(message.LParam));
  if (!sender || sender == this) return;
  if (sender->GetDown() && FDown) {
    FDown = false;
    FState = bsUp;
    Invalidate();
  }
  // The group shares its rules.
  FAllowAllUp = sender->GetAllowAllUp();
  FGroupIndex = sender->GetGroupIndex();
}

// ---- Mouse --------------------------------------------------------------------------------------

bool TSpeedButton::IsOnButton(int x, int y) const {
  // The bottom edge counts as on the button, as it always has for these buttons.
  return x >= 0 && x < GetWidth() && y >= 0 && y <= GetHeight();
}

void TSpeedButton::UpdateTracking() {
  if (!FFlat || !GetEnabled()) return;
  POINT p{};
  ::GetCursorPos(&p);
  const bool over = FindDragTarget(p, true) == this;
  if (over == FMouseInControl) return;
  FMouseInControl = over;
  Repaint();
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseDown(button, shift, x, y);
  if (button != mbLeft || !GetEnabled()) return;
  if (!FDown) {
    FState = bsDown;
    Invalidate();
  }
  FDragging = true;
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
  inherited::MouseMove(shift, x, y);
  if (FDragging) {
    TButtonState newState = FDown ? bsExclusive : bsUp;
    if (IsOnButton(x, y) && !FDown) newState = bsDown;
    if (newState != FState) {
      FState = newState;
      Invalidate();
    }
  } else if (!FMouseInControl) {
    UpdateTracking();
  }
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseUp(button, shift, x, y);
  if (!FDragging) return;
  FDragging = false;
  const bool doClick = IsOnButton(x, y);
  if (FGroupIndex == 0) {
    // Paint the face up again (the mouse may have been captured elsewhere meanwhile).
    FState = bsUp;
    FMouseInControl = false;
    if (doClick) Invalidate();
  } else if (doClick) {
    SetDown(!FDown);
    if (FDown) Repaint();
  } else {
    if (FDown) FState = bsExclusive;
    Repaint();
  }
  const std::weak_ptr<int> alive = GetLifeToken();
  if (doClick) Click();
  if (!alive.expired()) UpdateTracking();
}

void TSpeedButton::WMLButtonDblClk(TMessage& message) {
  inherited::WMLButtonDblClk(message);
  if (FDown) DblClick();
}

// ---- Messages -----------------------------------------------------------------------------------

void TSpeedButton::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_BUTTONPRESSED: CMButtonPressed(message); break;
    case CM_DIALOGCHAR: CMDialogChar(message); break;
    default: inherited::Dispatch(message);
  }
}

void TSpeedButton::CMDialogChar(TMessage& message) {
  if (IsAccel(TWMKey(message).GetCharCode(), GetCaption()) && GetEnabled() && GetVisible() &&
      GetParent() && GetParent()->GetShowing()) {
    Click();
    message.Result = 1;
    return;
  }
  inherited::Dispatch(message);
}

void TSpeedButton::CMEnabledChanged(TMessage&) {
  UpdateTracking();
  Repaint();
}

void TSpeedButton::CMFontChanged(TMessage&) { Invalidate(); }

void TSpeedButton::CMTextChanged(TMessage&) { Invalidate(); }

void TSpeedButton::CMSysColorChange(TMessage&) {
  FGlyph->Invalidate();
  Invalidate();
}

void TSpeedButton::CMMouseEnter(TMessage& message) {
  inherited::CMMouseEnter(message);
  if (FFlat && !FMouseInControl && GetEnabled() && GetDragMode() != dmAutomatic &&
      !::GetCapture()) {
    FMouseInControl = true;
    Repaint();
  }
}

void TSpeedButton::CMMouseLeave(TMessage& message) {
  inherited::CMMouseLeave(message);
  if (FFlat && FMouseInControl && GetEnabled() && !FDragging) {
    FMouseInControl = false;
    Repaint();
  }
}

// ---- Painting -----------------------------------------------------------------------------------

void TSpeedButton::Paint() {
  if (!GetEnabled()) {
    FState = bsDisabled;
    FDragging = false;
  } else if (FState == bsDisabled) {
    FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
  }
  TCanvas* canvas = GetCanvas();
  canvas->SetFont(GetFont());
  TRect face = Rect(0, 0, GetWidth(), GetHeight());
  const bool pressed = FState == bsDown || FState == bsExclusive;
  if (!FFlat) {
    RECT r = face;
    UINT flags = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
    if (pressed) flags |= DFCS_PUSHED;
    ::DrawFrameControl(canvas->GetHandle(), &r, DFC_BUTTON, flags);
    face = r;
  } else {
    if (pressed || (FMouseInControl && FState != bsDisabled)) {
      RECT r = face;
      ::DrawEdge(canvas->GetHandle(), &r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
                 (FTransparent ? 0 : BF_MIDDLE) | BF_RECT);
    } else if (!FTransparent) {
      canvas->GetBrush()->SetColor(GetColor());
      canvas->FillRect(face);
    }
    InflateRect(face, -1, -1);
  }
  TPoint offset(0, 0);
  if (pressed) {
    if (FState == bsExclusive && (!FFlat || !FMouseInControl)) {
      // A held-down button's face is a fine checkerboard of face and highlight.
      TBitmap pattern;
      MakeCheckerPattern(pattern, clBtnFace, clBtnHighlight);
      canvas->GetBrush()->SetBitmap(&pattern);
      canvas->FillRect(face);
      canvas->GetBrush()->SetBitmap(nullptr);
    }
    offset = TPoint(1, 1);
  }
  FGlyph->Draw(canvas, face, offset, GetCaption(), FLayout, FMargin, FSpacing, FState,
               FTransparent, DrawTextBiDiModeFlags(0));
}

const TPropertyTable* TSpeedButton::PublishedProperties() {
  using P = TPublish<TSpeedButton>;
  using C = TSpeedButton;
  static const TPropertyTable table{
      P::Boolean(L"AllowAllUp", &C::GetAllowAllUp, &C::SetAllowAllUp).Default(false),
      P::Integer(L"GroupIndex", &C::GetGroupIndex, &C::SetGroupIndex).Default(0),
      P::Boolean(L"Down", &C::GetDown, &C::SetDown).Default(false),
      P::Color(L"Color", &C::GetColor, &C::SetColor)
          .Default(clBtnFace)
          .Stored([](C* c) { return !c->GetParentColor(); }),
      P::Boolean(L"Flat", &C::GetFlat, &C::SetFlat).Default(false),
      P::Persistent(L"Glyph", &C::GetGlyph, &C::SetGlyph),
      P::Enum(L"Layout", ButtonLayoutIdents, &C::GetLayout, &C::SetLayout).Default(blGlyphLeft),
      P::Integer(L"Margin", &C::GetMargin, &C::SetMargin).Default(-1),
      P::Integer(L"NumGlyphs", &C::GetNumGlyphs, &C::SetNumGlyphs).Default(1),
      P::Integer(L"Spacing", &C::GetSpacing, &C::SetSpacing).Default(4),
      P::Boolean(L"Transparent", &C::GetTransparent, &C::SetTransparent).Default(true),
  };
  return &table;
}
