// The flat push buttons.
#include "FlatButtons.h"

#include "BMPUtils.h"
#include "GrUtils.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/forms/Forms.h"
#include "classlib/system/SysMath.h"

namespace {

const bool FlatButtonsRegistered = [] {
  RegisterClasses({TFlatSpeedButton::StaticClassInfo(), TFlatButton::StaticClassInfo()});
  return true;
}();

const wchar_t* const FlatLayoutNames[] = {L"blGlyphLeft", L"blGlyphRight", L"blGlyphTop",
                                          L"blGlyphBottom"};

constexpr TColor FlatDefaultColor = ColorFromInt(0xE1EAEB);

TPoint CursorPos() {
  POINT p{};
  ::GetCursorPos(&p);
  return Point(p.x, p.y);
}

}  // namespace

const TEnumInfo FlatLayoutIdents = MakeEnumInfo(FlatLayoutNames);

int ChooseFlatGlyph(int numGlyphs, TButtonState state) {
  switch (state) {
    case bsDisabled: return numGlyphs >= 2 ? 2 : 1;
    case bsDown: return numGlyphs >= 3 ? 3 : 1;
    case bsExclusive: return numGlyphs >= 4 ? 4 : numGlyphs == 3 ? 3 : 1;
    default: return 1;
  }
}

// ---- Life and the shared tracking timer ---------------------------------------------------------

template <class Base>
TFlatButtonBase<Base>::TFlatButtonBase(TComponent* owner)
    : Base(owner), FGlyph(std::make_unique<TBitmap>()) {
  this->SetBounds(this->GetLeft(), this->GetTop(), 25, 25);
  this->SetControlStyle(TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks});
  this->SetParentColor(true);
  FGlyph->OnChange = [this](TObject*) { this->Invalidate(); };
  if (FInstances++ == 0) {
    FTrackTimer = new TTimer(nullptr);
    FTrackTimer->SetEnabled(false);
    FTrackTimer->SetInterval(100);
    FTrackTimer->SetOnTimer([](TObject*) { TrackTimerTick(); });
  }
}

template <class Base>
TFlatButtonBase<Base>::~TFlatButtonBase() {
  FGlyph->OnChange = nullptr;
  if (FTracked == this) StopTracking();
  if (--FInstances == 0) {
    delete FTrackTimer;
    FTrackTimer = nullptr;
  }
}

template <class Base>
void TFlatButtonBase<Base>::StopTracking() {
  if (FTrackTimer) FTrackTimer->SetEnabled(false);
  FTracked = nullptr;
}

template <class Base>
void TFlatButtonBase<Base>::TrackTimerTick() {
  if (!FTracked) {
    if (FTrackTimer) FTrackTimer->SetEnabled(false);
    return;
  }
  if (!FTracked->CursorOverMe()) FTracked->FlatMouseLeave();
}

template <class Base>
bool TFlatButtonBase<Base>::CursorOverMe() {
  return FindDragTarget(CursorPos(), true) == this;
}

template <class Base>
void TFlatButtonBase<Base>::FlatMouseEnter() {
  if (this->GetEnabled() && !FMouseInControl) {
    FMouseInControl = true;
    this->Repaint();
  }
}

template <class Base>
void TFlatButtonBase<Base>::FlatMouseLeave() {
  if (this->GetEnabled() && FMouseInControl && !FDragging) {
    FMouseInControl = false;
    if (FTracked == this) StopTracking();
    this->Invalidate();
  } else if (FTracked == this && !FDragging) {
    StopTracking();
  }
}

// ---- Colours ------------------------------------------------------------------------------------------

template <class Base>
void TFlatButtonBase<Base>::SetColorFocused(TColor value) {
  FColorFocused = value;
  this->Invalidate();
}

template <class Base>
void TFlatButtonBase<Base>::SetColorDown(TColor value) {
  FColorDown = value;
  this->Invalidate();
}

template <class Base>
void TFlatButtonBase<Base>::SetColorBorder(TColor value) {
  FColorBorder = value;
  this->Invalidate();
}

template <class Base>
void TFlatButtonBase<Base>::SetColorHighLight(TColor value) {
  FColorHighLight = value;
  this->Invalidate();
}

template <class Base>
void TFlatButtonBase<Base>::SetColorShadow(TColor value) {
  FColorShadow = value;
  this->Invalidate();
}

template <class Base>
void TFlatButtonBase<Base>::SetUseAdvColors(bool value) {
  if (value == FUseAdvColors) return;
  FUseAdvColors = value;
  this->SetParentColor(value);
  CalcAdvancedColors();
  this->Invalidate();
}

template <class Base>
void TFlatButtonBase<Base>::SetAdvColorFocused(int value) {
  FAdvColorFocused = ClampAdvColors(value);
  CalcAdvancedColors();
  this->Invalidate();
}

template <class Base>
void TFlatButtonBase<Base>::SetAdvColorDown(int value) {
  FAdvColorDown = ClampAdvColors(value);
  CalcAdvancedColors();
  this->Invalidate();
}

template <class Base>
void TFlatButtonBase<Base>::SetAdvColorBorder(int value) {
  FAdvColorBorder = ClampAdvColors(value);
  CalcAdvancedColors();
  this->Invalidate();
}

template <class Base>
void TFlatButtonBase<Base>::CalcAdvancedColors() {
  if (!FUseAdvColors) return;
  const TColor color = this->GetColor();
  FColorFocused = CalcAdvancedColor(color, FColorFocused, FAdvColorFocused, lighten);
  FColorDown = CalcAdvancedColor(color, FColorDown, FAdvColorDown, darken);
  FColorBorder = CalcAdvancedColor(color, FColorBorder, FAdvColorBorder, darken);
}

// ---- Grouping -------------------------------------------------------------------------------------------

template <class Base>
void TFlatButtonBase<Base>::SetGroupIndex(int value) {
  if (value == FGroupIndex) return;
  FGroupIndex = value;
  UpdateExclusive();
}

template <class Base>
void TFlatButtonBase<Base>::SetAllowAllUp(bool value) {
  if (value == FAllowAllUp) return;
  FAllowAllUp = value;
  UpdateExclusive();
}

template <class Base>
void TFlatButtonBase<Base>::SetDown(bool value) {
  if (FGroupIndex == 0) value = false;
  if (value == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = value;
  if (value) {
    if (FState == bsUp) this->Invalidate();
    FState = bsExclusive;
  } else {
    FState = bsUp;
    this->Invalidate();
  }
  if (value) UpdateExclusive();
}

template <class Base>
void TFlatButtonBase<Base>::UpdateExclusive() {
  TWinControl* parent = this->GetParent();
  if (FGroupIndex == 0 || !parent) return;
  TMessage message{};
  message.Msg = CM_BUTTONPRESSED;
  message.WParam = static_cast<WPARAM>(FGroupIndex);
  message.LParam = reinterpret_cast<LPARAM>(static_cast<TControl*>(this));
  parent->Broadcast(message);
}

namespace {

// The down state and AllowAllUp of a flat button of either class; false for any other control.
template <class B>
bool ReadFlatButton(TControl* control, bool& down, bool& allowAllUp) {
  const auto* button = dynamic_cast<const TFlatButtonBase<B>*>(control);
  if (!button) return false;
  down = button->GetDown();
  allowAllUp = button->GetAllowAllUp();
  return true;
}

}  // namespace

template <class Base>
void TFlatButtonBase<Base>::ButtonPressed(TMessage& message) {
  if (static_cast<int>(message.WParam) != FGroupIndex || FGroupIndex == 0) return;
  auto* sender = reinterpret_cast<TControl*>(message.LParam);
  if (!sender || sender == static_cast<TControl*>(this)) return;
  // A speed button and a windowed button of one group share it: the sender may be of either.
  bool senderDown = false, senderAllowAllUp = false;
  if (!ReadFlatButton<TGraphicControl>(sender, senderDown, senderAllowAllUp) &&
      !ReadFlatButton<TCustomControl>(sender, senderDown, senderAllowAllUp))
    return;
  if (senderDown && FDown) {
    FDown = false;
    FState = bsUp;
    this->Invalidate();
  }
  FAllowAllUp = senderAllowAllUp;
}

// ---- Glyph and layout -------------------------------------------------------------------------------------

template <class Base>
void TFlatButtonBase<Base>::SetGlyph(TBitmap* value) {
  FGlyph->Assign(value);
  // A strip of square images tells its count; a glyph of height 0 tells nothing.
  const int w = FGlyph->GetWidth(), h = FGlyph->GetHeight();
  if (h > 0 && w % h == 0) {
    const int n = w / h;
    SetNumGlyphs(n > 4 ? 1 : Max(n, 1));
  }
  this->Invalidate();
}

template <class Base>
void TFlatButtonBase<Base>::SetNumGlyphs(int value) {
  value = Max(1, Min(value, 4));
  if (value == FNumGlyphs) return;
  FNumGlyphs = value;
  this->Invalidate();
}

template <class Base>
void TFlatButtonBase<Base>::SetLayout(TButtonLayout value) {
  if (value == FLayout) return;
  FLayout = value;
  this->Invalidate();
}

template <class Base>
void TFlatButtonBase<Base>::SetMargin(int value) {
  if (value < -1 || value == FMargin) return;
  FMargin = value;
  this->Invalidate();
}

template <class Base>
void TFlatButtonBase<Base>::SetSpacing(int value) {
  if (value == FSpacing) return;
  FSpacing = value;
  this->Invalidate();
}

// ---- Messages and the mouse ------------------------------------------------------------------------------

template <class Base>
void TFlatButtonBase<Base>::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  Base::Click();
}

template <class Base>
void TFlatButtonBase<Base>::Loaded() {
  Base::Loaded();
  CalcAdvancedColors();
  this->Invalidate();
}

template <class Base>
void TFlatButtonBase<Base>::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_BUTTONPRESSED:
      ButtonPressed(message);
      return;
    case WM_LBUTTONDBLCLK: {
      // The style has no click events, so the class library raises no double click: a
      // double click on a down button raises it here (after its press, as a click would).
      const std::weak_ptr<int> alive = this->GetLifeToken();
      Base::Dispatch(message);
      if (!alive.expired() && FDown) this->DblClick();
      return;
    }
    case CM_DIALOGCHAR:
      if (IsAccel(static_cast<WORD>(message.WParam), this->GetCaption()) && this->GetEnabled() &&
          this->GetVisible() && this->GetParent() && this->GetParent()->GetShowing()) {
        message.Result = 1;
        Click();
        return;
      }
      break;
    case CM_ENABLEDCHANGED:
      Base::Dispatch(message);
      if (!this->GetEnabled()) {
        FMouseInControl = false;
        FState = bsDisabled;
        if (FTracked == this) StopTracking();
      }
      this->Invalidate();
      return;
    case CM_PARENTCOLORCHANGED:
    case CM_SYSCOLORCHANGE:
      Base::Dispatch(message);
      if (FUseAdvColors) {
        this->SetParentColor(true);
        CalcAdvancedColors();
      }
      this->Invalidate();
      return;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      Base::Dispatch(message);
      this->Invalidate();
      return;
    default:
      break;
  }
  Base::Dispatch(message);
}

template <class Base>
bool TFlatButtonBase<Base>::IsInside(int x, int y) {
  return x >= 0 && x < this->GetClientWidth() && y >= 0 && y <= this->GetClientHeight();
}

template <class Base>
void TFlatButtonBase<Base>::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  Base::MouseDown(button, shift, x, y);
  if (button != mbLeft || !this->GetEnabled()) return;
  if (!FDown) {
    FState = bsDown;
    this->Repaint();
  }
  FDragging = true;
}

template <class Base>
void TFlatButtonBase<Base>::MouseMove(TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = this->GetLifeToken();
  Base::MouseMove(shift, x, y);
  if (alive.expired()) return;
  if (FDragging) {
    const TButtonState state = FDown ? bsExclusive : IsInside(x, y) ? bsDown : bsUp;
    if (state != FState) {
      FState = state;
      this->Repaint();
    }
  }
  if (FTracked != this && CursorOverMe()) {
    if (FTracked) FTracked->FlatMouseLeave();
    if (Application && Application->GetActive()) {
      FTracked = this;
      FTrackTimer->SetEnabled(true);
      FlatMouseEnter();
    }
  }
}

template <class Base>
void TFlatButtonBase<Base>::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = this->GetLifeToken();
  Base::MouseUp(button, shift, x, y);
  if (alive.expired() || !FDragging || button != mbLeft) return;
  FDragging = false;
  const bool clicked = IsInside(x, y);
  if (FGroupIndex == 0) {
    FState = bsUp;
    FMouseInControl = false;
    if (clicked) this->Invalidate();
  } else if (clicked) {
    SetDown(!FDown);
    if (FDown) this->Invalidate();
    FState = FDown ? bsExclusive : bsUp;
  } else if (FDown) {
    FState = bsExclusive;
    this->Invalidate();
  } else {
    FState = bsUp;
    this->Invalidate();
  }
  if (clicked)
    Click();
  else
    FlatMouseLeave();
  if (alive.expired()) return;
  FMouseInControl = this->GetEnabled() && CursorOverMe();
}

// ---- Painting ------------------------------------------------------------------------------------------------

template <class Base>
void TFlatButtonBase<Base>::PaintGlyph(TCanvas* canvas, TPoint at) {
  if (FGlyph->GetEmpty()) return;
  const int image = ChooseFlatGlyph(FNumGlyphs, FState);
  if (FState == bsDisabled && FNumGlyphs == 1) {
    const std::unique_ptr<TBitmap> embossed = CreateDisabledBitmap(
        FGlyph.get(), clBlack, clBtnFace, clBtnHighlight, clBtnShadow, true);
    DrawTransparentBitmap(canvas, at.X, at.Y, clDefault, embossed.get());
    return;
  }
  DrawGlyph(canvas, at.X, at.Y, FNumGlyphs, image, FGlyph.get());
}

template <class Base>
void TFlatButtonBase<Base>::Paint() {
  const int w = Max(this->GetClientWidth(), 0), h = Max(this->GetClientHeight(), 0);
  if (!this->GetEnabled()) {
    FState = bsDisabled;
    FDragging = false;
  } else if (FState == bsDisabled) {
    FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
  }
  TBitmap bitmap;
  bitmap.SetSize(w, h);
  TCanvas* canvas = bitmap.GetCanvas();
  canvas->SetFont(this->GetFont());
  const bool sunk = FState == bsDown || FState == bsExclusive;
  const TFlatButtonLayout layout = CalcFlatButtonLayout(
      canvas, Rect(0, 0, w, h), sunk ? Point(1, 1) : Point(0, 0), this->GetCaption(), FLayout,
      FMargin, FSpacing, FGlyph.get(), FNumGlyphs);
  FGlyphPos = layout.GlyphPos;
  FTextBounds = layout.TextBounds;

  TRect inner = Rect(0, 0, w, h);
  if (sunk)
    DrawFrame3D(canvas, inner, FColorShadow, FColorHighLight, 1);
  else if (FState == bsUp && FMouseInControl)
    DrawFrame3D(canvas, inner, FColorHighLight, FColorShadow, 1);
  else
    DrawFrame3D(canvas, inner, FColorBorder, FColorBorder, 1);
  TColor fill = this->GetColor();
  if (FState == bsUp && FMouseInControl) fill = FColorFocused;
  if (FState == bsDown) fill = FColorDown;
  if (FState == bsExclusive) fill = FMouseInControl ? FColorFocused : FColorDown;
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(fill);
  canvas->FillRect(inner);

  PaintGlyph(canvas, FGlyphPos);
  const String caption = this->GetCaption();
  if (!caption.empty()) {
    canvas->GetBrush()->SetStyle(bsClear);
    const auto drawAt = [&](const TRect& r, TColor color) {
      canvas->GetFont()->SetColor(color);
      RECT box = r;
      ::DrawTextW(canvas->GetHandle(), caption.c_str(), static_cast<int>(caption.size()), &box,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    };
    if (FState == bsDisabled) {
      TRect moved = FTextBounds;
      OffsetRect(moved, 1, 1);
      drawAt(moved, clBtnHighlight);
      drawAt(FTextBounds, clBtnShadow);
    } else {
      drawAt(FTextBounds, this->GetFont()->GetColor());
    }
  }
  this->GetCanvas()->Draw(0, 0, &bitmap);
}

template class TFlatButtonBase<TGraphicControl>;
template class TFlatButtonBase<TCustomControl>;

// ---- Published properties ---------------------------------------------------------------------------------

namespace {

template <class C>
const TPropertyTable& FlatButtonProperties() {
  using P = TPublish<C>;
  static const TPropertyTable table{
      P::Color(L"Color", &C::GetColor, &C::SetColor).Default(FlatDefaultColor),
      P::Color(L"ColorFocused", &C::GetColorFocused, &C::SetColorFocused)
          .Default(ColorFromInt(0xE1EAEB)),
      P::Color(L"ColorDown", &C::GetColorDown, &C::SetColorDown).Default(ColorFromInt(0xC5D6D9)),
      P::Color(L"ColorBorder", &C::GetColorBorder, &C::SetColorBorder)
          .Default(ColorFromInt(0x8396A0)),
      P::Color(L"ColorHighLight", &C::GetColorHighLight, &C::SetColorHighLight)
          .Default(ColorFromInt(0xFFFFFF)),
      P::Color(L"ColorShadow", &C::GetColorShadow, &C::SetColorShadow).Default(clBlack),
      P::Boolean(L"UseAdvColors", &C::GetUseAdvColors, &C::SetUseAdvColors).Default(false),
      P::Integer(L"AdvColorFocused", &C::GetAdvColorFocused, &C::SetAdvColorFocused).Default(10),
      P::Integer(L"AdvColorDown", &C::GetAdvColorDown, &C::SetAdvColorDown).Default(10),
      P::Integer(L"AdvColorBorder", &C::GetAdvColorBorder, &C::SetAdvColorBorder).Default(50),
      P::Integer(L"GroupIndex", &C::GetGroupIndex, &C::SetGroupIndex).Default(0),
      P::Boolean(L"Down", &C::GetDown, &C::SetDown).Default(false),
      P::Boolean(L"AllowAllUp", &C::GetAllowAllUp, &C::SetAllowAllUp).Default(false),
      P::Persistent(L"Glyph", &C::GetGlyph, &C::SetGlyph),
      P::Integer(L"NumGlyphs", &C::GetNumGlyphs, &C::SetNumGlyphs).Default(1),
      P::Enum(L"Layout", FlatLayoutIdents, &C::GetLayout, &C::SetLayout).Default(blGlyphTop),
      P::Integer(L"Margin", &C::GetMargin, &C::SetMargin).Default(-1),
      P::Integer(L"Spacing", &C::GetSpacing, &C::SetSpacing).Default(4),
      P::Integer(L"ModalResult", &C::GetModalResult, &C::SetModalResult).Default(0),
  };
  return table;
}

}  // namespace

const TPropertyTable* TFlatSpeedButton::PublishedProperties() {
  return &FlatButtonProperties<TFlatSpeedButton>();
}

const TPropertyTable* TFlatButton::PublishedProperties() {
  return &FlatButtonProperties<TFlatButton>();
}

TFlatButton::TFlatButton(TComponent* owner) : TFlatButtonBase<TCustomControl>(owner) {
  SetTabStop(false);
}
