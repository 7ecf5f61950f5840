#include "RXSwitch.h"

#include "RxUtils.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Filer.h"
#include "classlib/classes/Properties.h"
#include "classlib/classes/Streams.h"
#include "classlib/controls/ControlIdents.h"

namespace {

const wchar_t* const TextPosNames[] = {L"tpNone", L"tpLeft", L"tpRight", L"tpAbove", L"tpBelow"};
const TEnumInfo TextPosIdents = MakeEnumInfo(TextPosNames);
const wchar_t* const PictureResources[] = {L"SWITCH_OFF", L"SWITCH_ON"};

const bool SwitchClassesRegistered = [] {
  RegisterClass<TRxSwitch>();
  return true;
}();

}  // namespace

TRxSwitch::TRxSwitch(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(TControlStyle{csClickEvents, csCaptureMouse, csSetCaption, csOpaque,
                                csDoubleClicks});
  SetBounds(GetLeft(), GetTop(), 50, 60);
  for (int i = 0; i < 2; ++i) {
    FPictures[i] = std::make_unique<TBitmap>();
    LoadDefaultPicture(i);
    FPictures[i]->OnChange = [this, i](TObject*) { PictureChanged(i); };
  }
  SetTabStop(true);
}

TRxSwitch::~TRxSwitch() {
  for (auto& picture : FPictures) picture->OnChange = nullptr;
}

void TRxSwitch::LoadDefaultPicture(int index) {
  FPictures[index]->LoadFromResourceName(::GetModuleHandleW(nullptr), PictureResources[index]);
  PictureChanged(index);
}

void TRxSwitch::PictureChanged(int index) {
  FDisabled[index] = FPictures[index]->GetEmpty() ? nullptr
                                                  : CreateGrayedBitmap(FPictures[index].get(), clBlack);
  Invalidate();
}

// ---- Attributes ---------------------------------------------------------------------------

void TRxSwitch::SetStateOn(bool value) {
  if (value == FStateOn) return;
  FStateOn = value;
  Invalidate();
  // A state read from a layout is where the switch starts, not a change to report.
  if (GetComponentState().Contains(csLoading) || GetComponentState().Contains(csReading)) return;
  if (value)
    DoOn();
  else
    DoOff();
}

void TRxSwitch::DoOn() {
  if (FOnOn) FOnOn(this);
}

void TRxSwitch::DoOff() {
  if (FOnOff) FOnOff(this);
}

TBitmap* TRxSwitch::Picture(int index) {
  // The layout reader fills the picture object it gets: the picture is the user's.
  if (GetComponentState().Contains(csLoading) || GetComponentState().Contains(csReading))
    FUserPictures |= 1 << index;
  return FPictures[index].get();
}

void TRxSwitch::SetPicture(int index, TBitmap* value) {
  if (value) {
    FPictures[index]->Assign(value);
    FUserPictures |= 1 << index;
  } else {
    LoadDefaultPicture(index);
    FUserPictures &= ~(1 << index);
  }
}

TBitmap* TRxSwitch::GetGlyphOn() { return Picture(1); }
void TRxSwitch::SetGlyphOn(TBitmap* value) { SetPicture(1, value); }
TBitmap* TRxSwitch::GetGlyphOff() { return Picture(0); }
void TRxSwitch::SetGlyphOff(TBitmap* value) { SetPicture(0, value); }

HPALETTE TRxSwitch::GetPalette() const {
  return GetEnabled() ? FPictures[FStateOn ? 1 : 0]->GetPalette() : nullptr;
}

void TRxSwitch::SetTextPosition(TTextPos value) {
  if (value == FTextPosition) return;
  FTextPosition = value;
  Invalidate();
}

void TRxSwitch::SetBorderStyle(TBorderStyle value) {
  if (value == FBorderStyle) return;
  FBorderStyle = value;
  RecreateWnd();
}

void TRxSwitch::SetShowFocus(bool value) {
  if (value == FShowFocus) return;
  FShowFocus = value;
  if (!GetComponentState().Contains(csDesigning)) Invalidate();
}

void TRxSwitch::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.WindowClass.style |= CS_HREDRAW | CS_VREDRAW;
  if (FBorderStyle == bsSingle) params.Style |= WS_BORDER;
}

// ---- Stored picture set -------------------------------------------------------------------

void TRxSwitch::DefineProperties(TFiler& filer) {
  inherited::DefineProperties(filer);
  bool hasData = FUserPictures != 0;
  if (auto* ancestor = dynamic_cast<TRxSwitch*>(filer.GetAncestor()))
    hasData = FUserPictures != ancestor->FUserPictures;
  filer.DefineBinaryProperty(
      L"Data", [this](TStream& stream) { ReadData(stream); },
      [this](TStream& stream) { WriteData(stream); }, hasData);
}

void TRxSwitch::ReadData(TStream& stream) {
  // One byte: the set of supplied pictures; anything else is not this block.
  if (stream.GetSize() - stream.GetPosition() != 1)
    throw EReadError(L"Stream read error");
  uint8_t set = 0;
  stream.ReadBuffer(&set, 1);
  FUserPictures = set & 3;
}

void TRxSwitch::WriteData(TStream& stream) {
  const uint8_t set = static_cast<uint8_t>(FUserPictures);
  stream.WriteBuffer(&set, 1);
}

void TRxSwitch::Loaded() {
  inherited::Loaded();
  // A picture the layout did not fill stays built in.
  for (int i = 0; i < 2; ++i)
    if ((FUserPictures & (1 << i)) && FPictures[i]->GetEmpty()) {
      LoadDefaultPicture(i);
      FUserPictures &= ~(1 << i);
    }
}

// ---- Mouse and keys -----------------------------------------------------------------------

void TRxSwitch::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (GetTabStop() && CanFocus()) SetFocus();
    Toggle();
  }
  inherited::MouseDown(button, shift, x, y);
}

void TRxSwitch::KeyDown(WORD& key, TShiftState shift) {
  inherited::KeyDown(key, shift);
  if (key != 0 && ShortCut(key, shift) == FToggleKey) {
    Toggle();
    key = 0;
  }
}

void TRxSwitch::CMDialogChar(TMessage& message) {
  if (IsAccel(TWMKey(message).GetCharCode(), GetCaption()) && CanFocus()) {
    SetFocus();
    message.Result = 1;
    return;
  }
  inherited::CMDialogChar(message);
}

void TRxSwitch::CMFocusChanged(TMessage& message) {
  const bool active = reinterpret_cast<TWinControl*>(message.LParam) == this;
  if (active != FActive) {
    FActive = active;
    if (FShowFocus) Invalidate();
  }
  inherited::CMFocusChanged(message);
}

void TRxSwitch::CMEnabledChanged(TMessage& message) {
  inherited::CMEnabledChanged(message);
  Invalidate();
}

void TRxSwitch::CMTextChanged(TMessage& message) {
  inherited::CMTextChanged(message);
  Invalidate();
}

// ---- Painting -----------------------------------------------------------------------------

void TRxSwitch::Paint() {
  TCanvas* canvas = GetCanvas();
  TRect r = GetClientRect();
  canvas->SetFont(GetFont());
  canvas->GetBrush()->SetColor(GetColor());
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->FillRect(r);
  const int index = FStateOn ? 1 : 0;
  TBitmap* picture = FPictures[index].get();
  if (!GetEnabled() && FDisabled[index]) picture = FDisabled[index].get();
  const int pw = picture->GetWidth(), ph = picture->GetHeight();
  const int width = GetClientWidth(), height = GetClientHeight();
  int left = 0, top = 0;
  switch (FTextPosition) {
    case tpNone:
      left = (width - pw) / 2;
      top = (height - ph) / 2;
      break;
    case tpLeft:
      left = width - pw;
      top = (height - ph) / 2;
      r.Right -= pw;
      break;
    case tpRight:
      top = (height - ph) / 2;
      r.Left += pw;
      break;
    case tpAbove:
      left = (width - pw) / 2;
      top = height - ph;
      r.Bottom -= ph;
      break;
    case tpBelow:
      left = (width - pw) / 2;
      r.Top += ph;
      break;
  }
  if (pw > 0 && ph > 0) {
    TBitmap image;
    image.SetSize(pw, ph);
    image.GetCanvas()->GetBrush()->SetColor(GetColor());
    image.GetCanvas()->FillRect(Rect(0, 0, pw, ph));
    // The picture's own transparent colour: the bottom-left pixel unless it was fixed.
    DrawBitmapRectTransparent(image.GetCanvas(), 0, 0, Rect(0, 0, pw, ph), picture, picture->GetTransparentColor());
    canvas->Draw(left, top, &image);
  }
  if (FActive && FShowFocus && GetTabStop() && !GetComponentState().Contains(csDesigning)) {
    TRect focus = Rect(left, top, left + pw, top + ph);
    InflateRect(focus, 1, 1);
    canvas->DrawFocusRect(focus);
  }
  if (FTextPosition != tpNone) {
    const int h = canvas->TextHeight(L"W");
    r.Top = (r.Top + r.Bottom - h) / 2;
    r.Bottom = r.Top + h;
    canvas->GetBrush()->SetStyle(bsClear);
    RECT rr = r;
    const String caption = GetCaption();
    ::DrawTextW(canvas->GetHandle(), caption.c_str(), static_cast<int>(caption.size()), &rr,
                DrawTextBiDiModeFlags(DT_CENTER | DT_VCENTER | DT_EXPANDTABS));
  }
}

const TPropertyTable* TRxSwitch::PublishedProperties() {
  using P = TPublish<TRxSwitch>;
  using C = TRxSwitch;
  static const TPropertyTable table{
      P::Enum(L"BorderStyle", BorderStyleIdents, &C::GetBorderStyle, &C::SetBorderStyle)
          .Default(bsNone),
      P::Persistent(L"GlyphOff", &C::GetGlyphOff, &C::SetGlyphOff)
          .Stored([](C* c) { return (c->GetUserPictures() & 1) != 0; }),
      P::Persistent(L"GlyphOn", &C::GetGlyphOn, &C::SetGlyphOn)
          .Stored([](C* c) { return (c->GetUserPictures() & 2) != 0; }),
      P::Boolean(L"ShowFocus", &C::GetShowFocus, &C::SetShowFocus).Default(true),
      P::Boolean(L"StateOn", &C::GetStateOn, &C::SetStateOn).Default(false),
      P::Boolean(L"TabStop", &C::GetTabStop, &C::SetTabStop).Default(true),
      P::Enum(L"TextPosition", TextPosIdents, &C::GetTextPosition, &C::SetTextPosition)
          .Default(tpNone),
      P::ShortCut(L"ToggleKey", &C::GetToggleKey, &C::SetToggleKey).Default(32),
      P::Method(L"OnOff", &C::GetOnOff, &C::SetOnOff),
      P::Method(L"OnOn", &C::GetOnOn, &C::SetOnOn),
  };
  return &table;
}
