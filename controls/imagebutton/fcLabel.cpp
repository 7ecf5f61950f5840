#include "fcLabel.h"

#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/stdctrls/ScreenCanvas.h"

namespace {

const bool LabelClassesRegistered = [] {
  RegisterClass<TfcLabel>();
  return true;
}();

}  // namespace

// ---- TfcCustomLabel -----------------------------------------------------------------------------

TfcCustomLabel::TfcCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle(GetControlStyle() + TControlStyle{csOpaque, csReplicatable});
  TfcTextCallbacks callbacks;
  callbacks.OnChange = [this] { Invalidate(); };
  callbacks.OnRecalc = [this] { AdjustBounds(); };
  callbacks.IsEnabled = [this] { return GetTextEnabled(); };
  FTextOptions = std::make_unique<TfcCaptionText>(std::move(callbacks), GetFont(), GetCanvas());
  TControl::SetAutoSize(true);
  SetBounds(GetLeft(), GetTop(), 65, 17);
}

TfcCustomLabel::~TfcCustomLabel() = default;

void TfcCustomLabel::SetAutoSize(bool value) {
  if (value == GetAutoSize()) return;
  inherited::SetAutoSize(value);
  AdjustBounds();
  Invalidate();
}

void TfcCustomLabel::SetFocusControl(TWinControl* value) {
  if (value == FFocusControl) return;
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = value;
  if (value) value->FreeNotification(this);
}

void TfcCustomLabel::SetTextOptions(TfcCaptionText* value) {
  if (value) FTextOptions->Assign(value);
}

void TfcCustomLabel::SetTransparent(bool value) {
  TControlStyle style = GetControlStyle();
  if (value)
    style.Exclude(csOpaque);
  else
    style.Include(csOpaque);
  SetControlStyle(style);
  Invalidate();
}

bool TfcCustomLabel::GetTextEnabled() { return GetEnabled(); }

void TfcCustomLabel::Paint() {
  TCanvas* canvas = GetCanvas();
  if (!GetTransparent()) {
    canvas->GetBrush()->SetColor(GetColor());
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->FillRect(GetClientRect());
  }
  canvas->GetBrush()->SetStyle(bsClear);
  FTextOptions->SetCanvas(canvas);
  FTextOptions->SetLayoutRect(GetClientRect());
  FTextOptions->Draw();
}

void TfcCustomLabel::AdjustBounds() {
  if (GetComponentState().Contains(csLoading) || !GetAutoSize()) return;
  TRect measured;
  {
    // Measured on the screen: the label may have no window to draw on yet.
    TScreenCanvas screen;
    struct RestoreCanvas {
      TfcCaptionText* Text;
      TCanvas* Canvas;
      ~RestoreCanvas() { Text->SetCanvas(Canvas); }
    } restore{FTextOptions.get(), GetCanvas()};
    FTextOptions->SetCanvas(screen.Get());
    FTextOptions->SetLayoutRect(GetClientRect());
    FTextOptions->CalcRect(true, measured);
  }
  int left = GetLeft();
  // A right-justified label grows to the left: its right edge stays.
  if (FTextOptions->GetAlignment() == taRightJustify) left += GetWidth() - measured.Width();
  SetBounds(left, GetTop(), measured.Width(), measured.Height());
}

void TfcCustomLabel::Loaded() {
  inherited::Loaded();
  AdjustBounds();
}

void TfcCustomLabel::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == FFocusControl) FFocusControl = nullptr;
}

void TfcCustomLabel::Dispatch(TMessage& message) {
  if (message.Msg == CM_DIALOGCHAR)
    CMDialogChar(message);
  else
    inherited::Dispatch(message);
}

void TfcCustomLabel::CMTextChanged(TMessage& message) {
  inherited::CMTextChanged(message);
  FTextOptions->SetText(GetCaption());
  AdjustBounds();
  Invalidate();
}

void TfcCustomLabel::CMFontChanged(TMessage& message) {
  inherited::CMFontChanged(message);
  AdjustBounds();
}

void TfcCustomLabel::CMDialogChar(TMessage& message) {
  if (FFocusControl && GetEnabled() && FTextOptions->GetOptions().Contains(toShowAccel) &&
      IsAccel(TWMKey(message).GetCharCode(), GetCaption())) {
    if (FFocusControl->CanFocus()) FFocusControl->SetFocus();
    message.Result = 1;
    return;
  }
  inherited::Dispatch(message);
}

// ---- TfcLabel -----------------------------------------------------------------------------------

const TPropertyTable* TfcLabel::PublishedProperties() {
  using P = TPublish<TfcLabel>;
  using C = TfcLabel;
  static const TPropertyTable table{
      P::Boolean(L"AutoSize", &C::GetAutoSize, &C::SetAutoSize).Default(true),
      P::Component(L"FocusControl", &C::GetFocusControl, &C::SetFocusControl),
      P::Persistent(L"TextOptions", &C::GetTextOptions, &C::SetTextOptions),
      P::Boolean(L"Transparent", &C::GetTransparent, &C::SetTransparent).Default(false),
  };
  return &table;
}
