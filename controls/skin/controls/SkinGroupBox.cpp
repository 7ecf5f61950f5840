#include "SkinGroupBox.h"

#include "classlib/classes/Properties.h"
#include "classlib/graphics/GdiHandles.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "controls/skin/engine/ThemeBinding.h"

namespace {

// The size of text drawn with font (one line; an empty text has the font's line height).
TSize MeasureText(TFont* font, const String& text) {
  UniqueDC dc(::CreateCompatibleDC(nullptr));
  if (!dc) return TSize();
  SelectObjectScope select(dc.get(), font->GetHandle());
  SIZE size{};
  ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  if (text.empty()) {
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.get(), &metrics);
    size.cy = metrics.tmHeight;
  }
  return TSize(size.cx, size.cy);
}

}  // namespace

const TPropertyTable* TSeCustomGroupBox::PublishedProperties() {
  using P = TPublish<TSeCustomGroupBox>;
  using C = TSeCustomGroupBox;
  static const TPropertyTable table{
      P::Integer(L"CaptionMargin", &C::GetCaptionMargin, &C::SetCaptionMargin).Default(12),
      P::WideText(L"Caption", &C::GetCaption, &C::SetCaption),
      P::Enum(L"CheckBoxAlignment", SeLeftRightIdents, &C::GetCheckBoxAlignment,
              &C::SetCheckBoxAlignment)
          .Default(vtaLeftJustify),
      P::Boolean(L"Checked", &C::GetChecked, &C::SetChecked).Default(true),
      P::Boolean(L"UseCheckBox", &C::GetUseCheckBox, &C::SetUseCheckBox).Default(false),
      P::Method(L"OnCheckBoxClick", &C::GetOnCheckBoxClick, &C::SetOnCheckBoxClick),
  };
  return &table;
}

TSeCustomGroupBox::TSeCustomGroupBox(TComponent* owner) : TSeCustomControl(owner) {
  SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls, csCaptureMouse,
                                                    csClickEvents, csSetCaption, csOpaque,
                                                    csDoubleClicks, csReplicatable});
  SetTransparent(false);
  SetColor(clBtnFace);
  SetBounds(0, 0, 100, 90);
}

TSeCustomGroupBox::~TSeCustomGroupBox() {
  TSeCustomCheckBox* box = FCheckBox;
  FCheckBox = nullptr;
  delete box;
}

void TSeCustomGroupBox::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == FCheckBox) FCheckBox = nullptr;
}

void TSeCustomGroupBox::SetUseCheckBox(bool value) {
  FUseCheckBox = value;
  if (value) {
    if (!FCheckBox) FCheckBox = CreateCheckBox();
    FCheckBox->SetParent(this);
    FCheckBox->SetAlignment(FCheckBoxAlignment);
    // The state is set before the click handler, so making the box clicks nothing.
    FCheckBox->SetChecked(FChecked);
    FCheckBox->SetTop(0);
    FCheckBox->SetCaption(FCaption);
    FCheckBox->SetOnClick([this](TObject* sender) { CheckBoxClick(sender); });
    LayoutCheckBox();
  } else if (FCheckBox) {
    TSeCustomCheckBox* box = FCheckBox;
    FCheckBox = nullptr;
    delete box;
  }
  Invalidate();
}

TSeCustomCheckBox* TSeCustomGroupBox::CreateCheckBox() { return new TSeCustomCheckBox(this); }

TSeLeftRight TSeCustomGroupBox::GetCheckBoxAlignment() const {
  return FCheckBox ? FCheckBox->GetAlignment() : FCheckBoxAlignment;
}

void TSeCustomGroupBox::SetCheckBoxAlignment(TSeLeftRight value) {
  if (value == FCheckBoxAlignment) return;
  FCheckBoxAlignment = value;
  if (FCheckBox) FCheckBox->SetAlignment(value);
}

void TSeCustomGroupBox::SetCaption(const String& value) {
  if (value == FCaption) return;
  FCaption = value;
  if (GetUseCheckBox()) {
    FCheckBox->SetCaption(value);
    LayoutCheckBox();
  }
  Invalidate();
}

void TSeCustomGroupBox::SetCaptionMargin(int value) {
  if (value == FCaptionMargin) return;
  FCaptionMargin = value;
  if (FUseCheckBox) LayoutCheckBox();
  Invalidate();
}

void TSeCustomGroupBox::SetChecked(bool value) {
  if (value == FChecked) return;
  FChecked = value;
  if (GetUseCheckBox()) {
    FCheckBox->SetChecked(value);
    SetEnabled(FChecked);
  }
}

void TSeCustomGroupBox::CheckBoxClick(TObject*) {
  const std::weak_ptr<int> alive = GetLifeToken();
  Click();
  if (alive.expired() || !FCheckBox) return;
  SetChecked(FCheckBox->GetChecked());
  if (FOnCheckBoxClick) FOnCheckBoxClick(this);
}

bool TSeCustomGroupBox::GetEnabled() const { return FOwnEnabled || GetUseCheckBox(); }

void TSeCustomGroupBox::SetEnabled(bool value) {
  FOwnEnabled = value || GetUseCheckBox();
  if (inherited::GetEnabled() != FOwnEnabled)
    inherited::SetEnabled(FOwnEnabled);  // performs CM_ENABLEDCHANGED
  else
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TSeCustomGroupBox::CMEnabledChanged(TMessage& message) {
  inherited::CMEnabledChanged(message);
  const bool childEnabled = GetUseCheckBox() ? FChecked : GetEnabled();
  for (int i = 0; i < GetControlCount(); ++i) {
    TControl* child = GetControl(i);
    if (child && child != FCheckBox) child->SetEnabled(childEnabled);
  }
}

int TSeCustomGroupBox::CaptionHeight() {
  return GetUseCheckBox() ? FCheckBox->GetHeight() : MeasureText(GetFont(), FCaption).cy;
}

TRect TSeCustomGroupBox::GetClientRect() {
  return TRect(0, CaptionHeight(), GetWidth(), GetHeight());
}

void TSeCustomGroupBox::GetBoxRect(TRect& rect) {
  rect = TRect(3, CaptionHeight() / 2 + 1, GetWidth() - 2, GetHeight() - 2);
}

void TSeCustomGroupBox::Loaded() {
  inherited::Loaded();
  SetUseCheckBox(FUseCheckBox);
}

void TSeCustomGroupBox::LayoutCheckBox() {
  if (!FCheckBox) return;
  FCheckBox->SetLeft(FCaptionMargin);
  const int text = MeasureText(FCheckBox->GetFont(), FCheckBox->GetCaption()).cx;
  FCheckBox->SetWidth(std::min(GetWidth() - FCaptionMargin - 2,
                               FCheckBox->GetGlyphSize().cx + FCheckBox->GetSpacing() + text + 6));
  FCheckBox->Invalidate();
}

void TSeCustomGroupBox::PaintFace() {
  inherited::PaintFace();
  TCanvas* canvas = GetCanvas();
  canvas->SetFont(GetFont());
  TRect frame;
  GetBoxRect(frame);
  TRect caption;
  if (GetUseCheckBox()) {
    caption = Bounds(FCaptionMargin, 0, FCheckBox->GetWidth(), FCheckBox->GetHeight());
  } else {
    const TSize size = MeasureText(GetFont(), FCaption);
    caption = Bounds(FCaptionMargin, 0, size.cx, size.cy);
  }
  if (!FCaption.empty()) {
    caption.Left -= 3;
    caption.Right += 3;
  }
  const bool showText = !GetUseCheckBox() && !FCaption.empty();
  if (UseThemes() && PaintThemedFrame(canvas, frame, caption, showText)) return;
  PaintClassicFrame(canvas, frame, caption);
  if (!showText) return;
  const UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  if (GetEnabled()) {
    DrawTextUnicode(canvas, FCaption, caption, flags);
    return;
  }
  canvas->GetFont()->SetColor(clBtnHighlight);
  TRect shadow = caption;
  OffsetRect(shadow, 1, 1);
  DrawTextUnicode(canvas, FCaption, shadow, flags);
  canvas->GetFont()->SetColor(clBtnShadow);
  DrawTextUnicode(canvas, FCaption, caption, flags);
}

bool TSeCustomGroupBox::PaintThemedFrame(TCanvas* canvas, const TRect& frame,
                                         const TRect& caption, bool showText) {
  TThemeScope theme(L"Button");
  HDC dc = canvas->GetHandle();
  const int saved = ::SaveDC(dc);
  ::ExcludeClipRect(dc, caption.Left, caption.Top, caption.Right, caption.Bottom);
  const bool drawn = theme.DrawBackground(dc, 4 /* BP_GROUPBOX */, 1, frame);
  ::RestoreDC(dc, saved);
  canvas->Refresh();
  if (!drawn) return false;
  if (showText) {
    // The themed caption keeps the normal state, also when the group box is disabled.
    canvas->GetFont()->SetColor(clHighlight);
    dc = canvas->GetHandle();
    ::SetBkMode(dc, TRANSPARENT);
    if (!theme.DrawText(dc, 4, 1, FCaption.c_str(), static_cast<int>(FCaption.size()),
                        DrawTextBiDiModeFlags(DT_CENTER | DT_VCENTER | DT_SINGLELINE), caption)) {
      TRect text = caption;
      DrawTextUnicode(canvas, FCaption, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
  }
  return true;
}

void TSeCustomGroupBox::PaintClassicFrame(TCanvas* canvas, const TRect& frame, const TRect& caption) {
  auto path = [canvas, &caption](const TRect& f, TColor color) {
    canvas->MoveTo(f.Left, f.Top);
    LineToColor(canvas, caption.Left, f.Top, color);
    canvas->MoveTo(caption.Right, f.Top);
    LineToColor(canvas, f.Right, f.Top, color);
    LineToColor(canvas, f.Right, f.Bottom, color);
    LineToColor(canvas, f.Left, f.Bottom, color);
    LineToColor(canvas, f.Left, f.Top, color);
  };
  path(frame, clBtnHighlight);
  TRect moved = frame;
  OffsetRect(moved, -1, -1);
  path(moved, clBtnShadow);
}

void TSeCustomGroupBox::CMDialogChar(TMessage& message) {
  if (IsAccel(static_cast<WORD>(message.WParam), FCaption) && CanFocus()) {
    SelectFirst();
    message.Result = 1;
    return;
  }
  inherited::CMDialogChar(message);
}

void TSeCustomGroupBox::CMTextChanged(TMessage& message) {
  inherited::CMTextChanged(message);
  Invalidate();
}

void TSeCustomGroupBox::WMSize(TMessage& message) {
  inherited::WMSize(message);
  if (GetUseCheckBox()) LayoutCheckBox();
}
