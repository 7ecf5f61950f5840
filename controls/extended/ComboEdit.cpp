#include "ToolEdit.h"

#include "classlib/classes/ClassRegistry.h"
#include "classlib/controls/ControlPaint.h"
#include "classlib/controls/MiddleEast.h"
#include "classlib/forms/Forms.h"

namespace {

constexpr int kNaturalButtonWidth = 21;

}  // namespace

// ---- TPopupWindow -------------------------------------------------------------------------

TPopupWindow::TPopupWindow(TWinControl* owner) : TCustomControl(owner), FEditor(owner) {
  SetControlStyle(TControlStyle{csAcceptsControls, csNoDesignVisible, csReplicatable});
  SetCtl3D(false);
  SetParentCtl3D(false);
  SetVisible(false);
}

void TPopupWindow::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style = WS_POPUP | WS_BORDER | WS_CLIPCHILDREN;
  params.ExStyle = WS_EX_TOOLWINDOW;
  params.WindowClass.style |= CS_SAVEBITS;
  if (FEditor && FEditor->HandleAllocated())
    params.WndParent = ::GetAncestor(FEditor->GetHandle(), GA_ROOT);
}

void TPopupWindow::Dispatch(TMessage& message) {
  if (message.Msg == WM_MOUSEACTIVATE) {
    // The drop-down never takes the activation: the edit keeps the focus.
    message.Result = MA_NOACTIVATE;
    return;
  }
  inherited::Dispatch(message);
}

void TPopupWindow::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseUp(button, shift, x, y);
  if (button == mbLeft) {
    const TRect client = GetClientRect();
    FinishSelection(x >= 0 && y >= 0 && x < client.Right && y < client.Bottom);
  }
}

void TPopupWindow::FinishSelection(bool accept) {
  if (OnSelectionDone) OnSelectionDone(this, accept);
}

void TPopupWindow::ShowAt(const TPoint& origin) {
  if (!HandleAllocated() && FEditor && FEditor->HandleAllocated())
    SetParentWindow(::GetAncestor(FEditor->GetHandle(), GA_ROOT));
  SetBounds(origin.X, origin.Y, GetWidth(), GetHeight());
  SetVisible(true);
  ::SetWindowPos(GetHandle(), HWND_TOP, origin.X, origin.Y, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TPopupWindow::HideWindow() {
  if (HandleAllocated())
    ::SetWindowPos(GetHandle(), nullptr, 0, 0, 0, 0,
                   SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  SetVisible(false);
}

void TPopupWindow::RepaintEditorText() {
  if (!FEditor || !FEditor->HandleAllocated()) return;
  RECT r = FEditor->GetClientRect();
  if (auto* combo = dynamic_cast<TCustomComboEdit*>(FEditor)) {
    r.right -= combo->GetButtonWidth() + 2;
    r.bottom += 1;
  }
  ::InvalidateRect(FEditor->GetHandle(), &r, FALSE);
  ::UpdateWindow(FEditor->GetHandle());
}

// ---- TEditButton ----------------------------------------------------------------------------

TEditButton::TEditButton(TComponent* owner, TCustomComboEdit* edit)
    : TRxSpeedButton(owner), FEdit(edit) {
  SetControlStyle(GetControlStyle() + TControlStyle{csReplicatable});
  SetParentShowHint(true);
}

void TEditButton::Paint() {
  inherited::Paint();
  if (GetState() == bsDown || GetState() == bsExclusive) return;
  // A separator down the left edge.
  TCanvas* canvas = GetCanvas();
  canvas->GetPen()->SetColor(clBtnFace);
  canvas->MoveTo(0, 0);
  canvas->LineTo(0, GetHeight() - 1);
  canvas->GetPen()->SetColor(clBtnHighlight);
  canvas->MoveTo(1, 1);
  canvas->LineTo(1, GetHeight() - 2);
}

void TEditButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && FEdit) {
    if (FEdit->GetPopupVisible()) {
      // The press closes the drop-down; its click opens nothing.
      FEdit->CloseDropDown(true);
      FNoAction = true;
    } else if (FEdit->GetTabStop() && FEdit->CanFocus() && !FEdit->Focused()) {
      FEdit->SetFocus();
    }
  }
  inherited::MouseDown(button, shift, x, y);
}

void TEditButton::Click() {
  if (FNoAction) {
    FNoAction = false;
    return;
  }
  inherited::Click();
}

// ---- TCustomComboEdit ----------------------------------------------------------------------

TCustomComboEdit::TCustomComboEdit(TComponent* owner) : TCustomMaskEdit(owner) {
  SetControlStyle(GetControlStyle() + TControlStyle{csCaptureMouse});
  SetAutoSize(false);
  FButtonFrame = new TWinControl(this);
  FButtonFrame->SetControlStyle(FButtonFrame->GetControlStyle() +
                                TControlStyle{csReplicatable, csAcceptsControls});
  FButtonFrame->SetBounds(0, 0, kNaturalButtonWidth, 17);
  FButtonFrame->SetParent(this);
  FButton = new TEditButton(this, this);
  FButton->SetBounds(0, 0, kNaturalButtonWidth, 17);
  FButton->SetParent(FButtonFrame);
  FButton->SetOnClick([this](TObject*) { ButtonClicked(); });
  SetHeight(21);
}

TCustomComboEdit::~TCustomComboEdit() {
  Destroying();
  if (FButton) FButton->SetOnClick(nullptr);
}

int TCustomComboEdit::GetButtonWidth() const { return FButton->GetWidth(); }

void TCustomComboEdit::SetButtonWidth(int value) {
  if (value == GetButtonWidth()) return;
  if (!GetControlState().Contains(csCreating) && value >= GetClientWidth()) return;
  FButtonFrame->SetVisible(value >= 2);
  FButtonFrame->SetWidth(value);
  FButton->SetWidth(value);
  FButton->SetControlStyle(FButton->GetControlStyle() - TControlStyle{csFixedWidth});
  if (HandleAllocated()) UpdateButtonLayout();
  RebuildGlyph();
}

TBitmap* TCustomComboEdit::GetGlyph() const { return FButton->GetGlyph(); }

void TCustomComboEdit::SetGlyph(TBitmap* value) {
  FGlyphKind = gkCustom;
  FButton->SetGlyph(value);
}

int TCustomComboEdit::GetNumGlyphs() const { return FButton->GetNumGlyphs(); }

void TCustomComboEdit::SetNumGlyphs(int value) {
  switch (FGlyphKind) {
    case gkDropDown:
    case gkEllipsis: FButton->SetNumGlyphs(1); break;
    case gkDefault: FButton->SetNumGlyphs(FDefNumGlyphs); break;
    default: FButton->SetNumGlyphs(value); break;
  }
}

void TCustomComboEdit::SetGlyphKind(TGlyphKind value) {
  if (value == FGlyphKind) return;
  FGlyphKind = value;
  if (value == gkCustom && GetComponentState().Contains(csReading)) FButton->SetGlyph(nullptr);
  RebuildGlyph();
  if (value == gkDefault && !GetGlyph()->GetEmpty()) {
    const int natural = GetGlyph()->GetWidth() / GetNumGlyphs() + 6;
    if (natural > GetButtonWidth()) SetButtonWidth(natural);
  } else if (value == gkDropDown) {
    // The arrow keeps the scroll bar's width when the form is scaled.
    SetButtonWidth(::GetSystemMetrics(SM_CXVSCROLL));
    FButton->SetControlStyle(FButton->GetControlStyle() + TControlStyle{csFixedWidth});
  }
}

void TCustomComboEdit::RebuildGlyph() {
  switch (FGlyphKind) {
    case gkDefault: {
      bool destroy = false;
      TBitmap* glyph = GetDefaultGlyph(destroy);
      if (glyph) {
        FButton->SetGlyph(glyph);
        FButton->SetNumGlyphs(FDefNumGlyphs);
        if (destroy) delete glyph;
      }
      break;
    }
    case gkDropDown: {
      TBitmap arrow;
      arrow.SetHandle(::LoadBitmapW(nullptr, MAKEINTRESOURCEW(32738)));
      FButton->SetGlyph(&arrow);
      FButton->SetNumGlyphs(1);
      break;
    }
    case gkEllipsis: {
      const int width = GetButtonWidth() - 6 > 1 ? GetButtonWidth() - 6 : 1;
      TBitmap dots;
      dots.SetMonochrome(true);
      dots.SetSize(width, 4);
      TCanvas* c = dots.GetCanvas();
      c->GetBrush()->SetColor(clWhite);
      c->FillRect(Rect(0, 0, width, 4));
      int w = (width - 6) / 2;
      w = w < 1 ? 1 : w > 3 ? 3 : w;
      const int g = (width - 6 - 2 * w) / 2;
      c->GetBrush()->SetColor(clBlack);
      for (int x : {g, g + w + 2, g + 2 * w + 4}) c->FillRect(Rect(x, 1, x + 2, 3));
      FButton->SetGlyph(&dots);
      FButton->SetNumGlyphs(1);
      break;
    }
    case gkCustom: break;
  }
}

int TCustomComboEdit::NaturalButtonWidth() const {
  if (FGlyphKind == gkDefault && !GetGlyph()->GetEmpty()) {
    const int width = GetGlyph()->GetWidth() / GetNumGlyphs() + 6;
    return width > kNaturalButtonWidth ? width : kNaturalButtonWidth;
  }
  if (FGlyphKind == gkDropDown) return ::GetSystemMetrics(SM_CXVSCROLL);
  return kNaturalButtonWidth;
}

String TCustomComboEdit::GetButtonHint() const { return FButton->GetHint(); }
void TCustomComboEdit::SetButtonHint(const String& value) { FButton->SetHint(value); }

void TCustomComboEdit::UpdateInnerReadOnly() {
  // The window refuses typing when the control is read-only or typing is not allowed.
  if (HandleAllocated())
    ::SendMessageW(GetHandle(), EM_SETREADONLY, FReadOnly || !FDirectInput ? TRUE : FALSE, 0);
}

void TCustomComboEdit::SetDirectInput(bool value) {
  FDirectInput = value;
  UpdateInnerReadOnly();
}

void TCustomComboEdit::SetEditReadOnly(bool value) {
  if (value == FReadOnly) return;
  FReadOnly = value;
  UpdateInnerReadOnly();
}

void TCustomComboEdit::SetEditAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  RecreateWnd();
}

void TCustomComboEdit::SelectAll() {
  if (FDirectInput) TCustomMaskEdit::SelectAll();
}

void TCustomComboEdit::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
  params.Style |= FAlignment == taRightJustify ? ES_RIGHT : FAlignment == taCenter ? ES_CENTER : ES_LEFT;
}

void TCustomComboEdit::CreateWnd() {
  inherited::CreateWnd();
  UpdateInnerReadOnly();
  UpdateButtonLayout();
}

void TCustomComboEdit::UpdateButtonLayout() {
  const int bw = GetButtonWidth();
  if (GetBorderStyle() == bsSingle && GetCtl3D())
    FButtonFrame->SetBounds(GetWidth() - bw - 4, 0, bw, GetHeight() - 4);
  else if (GetBorderStyle() == bsSingle)
    FButtonFrame->SetBounds(GetWidth() - bw - 2, 2, bw, GetHeight() - 4);
  else
    FButtonFrame->SetBounds(GetWidth() - bw, 0, bw, GetHeight());
  FButton->SetHeight(FButtonFrame->GetHeight());
  if (!HandleAllocated()) return;
  const TRect client = GetClientRect();
  RECT r{0, 0, client.Right - FButtonFrame->GetWidth() - 2, client.Bottom + 1};
  ::SendMessageW(GetHandle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

bool TCustomComboEdit::Closing() const {
  for (const TControl* c = this; c; c = c->GetParent())
    if (c->GetComponentState().Contains(csDestroying)) return true;
  return false;
}

void TCustomComboEdit::RefocusAfterError() {
  SelectAll();
  if (CanFocus()) SetFocus();
}

int TCustomComboEdit::MinimumHeight() {
  // One line of the smaller of the system font and the control's font, and the borders.
  TEXTMETRICW system{}, own{};
  const HDC dc = ::GetDC(nullptr);
  ::GetTextMetricsW(dc, &system);
  const HGDIOBJ old = ::SelectObject(dc, GetFont()->GetHandle());
  ::GetTextMetricsW(dc, &own);
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  const int text = system.tmHeight < own.tmHeight ? system.tmHeight : own.tmHeight;
  return text + 4 * ::GetSystemMetrics(SM_CYBORDER) + 1;
}

TPoint TCustomComboEdit::TextMargins() {
  const int inset = GetBorderStyle() == bsNone ? 0 : GetCtl3D() ? 1 : 2;
  const LRESULT margins = HandleAllocated() ? ::SendMessageW(GetHandle(), EM_GETMARGINS, 0, 0) : 0;
  return TPoint(LOWORD(margins) + inset, inset);
}

void TCustomComboEdit::UpdateBiDiExStyle() {
  if (!SysMiddleEast() || !HandleAllocated()) return;
  constexpr LONG_PTR kBits = WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR | WS_EX_RIGHT;
  LONG_PTR wanted = 0;
  if (UseRightToLeftReading()) wanted |= WS_EX_RTLREADING;
  if (UseRightToLeftScrollBar()) wanted |= WS_EX_LEFTSCROLLBAR;
  // Right-to-left alignment turns left-aligned text to the right (right-aligned text to the
  // left, which is WS_EX_LEFT: no bit).
  if (UseRightToLeftAlignment() && FAlignment == taLeftJustify) wanted |= WS_EX_RIGHT;
  const LONG_PTR style = ::GetWindowLongPtrW(GetHandle(), GWL_EXSTYLE);
  if ((style & kBits) != wanted) ::SetWindowLongPtrW(GetHandle(), GWL_EXSTYLE, (style & ~kBits) | wanted);
}

bool TCustomComboEdit::PaintEditText(const String& text, TAlignment alignment,
                                     bool standardPaint, HDC dc) {
  if (UseRightToLeftAlignment()) {
    if (alignment == taLeftJustify)
      alignment = taRightJustify;
    else if (alignment == taRightJustify)
      alignment = taLeftJustify;
  }
  if (standardPaint && !GetControlState().Contains(csPaintCopy)) {
    UpdateBiDiExStyle();
    return false;
  }
  PAINTSTRUCT ps{};
  const bool begun = dc == nullptr;
  if (begun) dc = ::BeginPaint(GetHandle(), &ps);
  TCanvas canvas;
  canvas.SetHandle(dc);
  canvas.SetFont(GetFont());
  if (!GetEnabled() && !GetComponentState().Contains(csDesigning))
    canvas.GetFont()->SetColor(clGrayText);
  TRect r = GetClientRect();
  if (!GetCtl3D() && GetBorderStyle() == bsSingle) {
    canvas.GetBrush()->SetColor(clWindowFrame);
    canvas.FrameRect(r);
    InflateRect(r, -1, -1);
  }
  canvas.GetBrush()->SetColor(GetColor());
  const TPoint margins = TextMargins();
  int w = canvas.TextWidth(text);
  const int bw = GetButtonWidth();
  int left = margins.X;
  if (!FPopupVisible) {
    if (bw > 0) ++w;
    if (alignment == taRightJustify)
      left = GetClientWidth() - bw - w - margins.X - 2;
    else if (alignment == taCenter)
      left = (GetClientWidth() - bw - w) / 2;
  }
  canvas.TextRect(r, left, margins.Y, text);
  canvas.SetHandle(nullptr);
  if (begun) ::EndPaint(GetHandle(), &ps);
  return true;
}

TPoint TCustomComboEdit::DropDownOrigin(const TRect& edit, TSize popup, TPopupAlign align,
                                        int screenWidth, int screenHeight) {
  TPoint p(edit.Left, edit.Top);
  int y = edit.Bottom;
  if (y + popup.cy > screenHeight) y = edit.Top - popup.cy;
  const int editWidth = edit.Width();
  if (align == epaRight) {
    p.X -= popup.cx - editWidth;
    if (p.X < 0) p.X += popup.cx - editWidth;
  } else if (p.X + popup.cx > screenWidth) {
    p.X -= popup.cx - editWidth;
  }
  if (p.X < 0) p.X = 0;
  if (p.X + popup.cx > screenWidth) p.X = screenWidth - popup.cx;
  return TPoint(p.X, y);
}

// ---- The drop-down --------------------------------------------------------------------------

void TCustomComboEdit::ButtonClicked() {
  if (!FReadOnly) RunButtonAction();
}

void TCustomComboEdit::RunButtonAction() {
  if (FOnButtonClick) FOnButtonClick(this);
  if (!FPopup) return;
  if (FPopupVisible)
    CloseDropDown(true);
  else
    OpenDropDown(true);
}

void TCustomComboEdit::OpenDropDown(bool disableEdit) {
  if (!FPopup || IsReadOnly() || FPopupVisible) return;
  RECT window{};
  ::GetWindowRect(GetHandle(), &window);
  const TRect onScreen(window.left, window.top, window.right, window.bottom);
  const TPoint origin =
      DropDownOrigin(onScreen, TSize(FPopup->GetWidth(), FPopup->GetHeight()), FPopupAlign,
                     ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
  const String text = GetText();
  PassValueToDropDown(text.empty() ? Variant::Null() : Variant(text));
  if (CanFocus()) SetFocus();
  ShowDropDownAt(origin);
  FPopupVisible = true;
  if (disableEdit && HandleAllocated()) {
    ::SendMessageW(GetHandle(), EM_SETREADONLY, TRUE, 0);
    ::HideCaret(GetHandle());
  }
}

void TCustomComboEdit::CloseDropDown(bool accept) {
  if (!FPopup || !FPopupVisible || FClosing) return;
  FClosing = true;
  struct Closed {
    TCustomComboEdit* edit;
    ~Closed() {
      edit->FPopupVisible = false;
      edit->FClosing = false;
    }
  } closed{this};
  if (HWND capture = ::GetCapture()) ::SendMessageW(capture, WM_CANCELMODE, 0, 0);
  Variant value;
  TakeValueFromDropDown(value);
  HideDropDown();
  try {
    if (CanFocus()) {
      SetFocus();
      if (Focused()) MakeCaret();
    }
  } catch (...) {
    // Refocusing is a courtesy; the value still goes in.
  }
  UpdateInnerReadOnly();
  Invalidate();
  if (accept && CanAcceptValue(value) && EditCanModify()) {
    ApplyChosenValue(value);
    if (Focused()) SelectAll();
  }
}

void TCustomComboEdit::ShowDropDownAt(const TPoint& origin) {
  if (FPopup) FPopup->ShowAt(origin);
}

void TCustomComboEdit::HideDropDown() {
  if (FPopup) FPopup->HideWindow();
}

void TCustomComboEdit::PassValueToDropDown(const Variant& value) {
  if (FPopup) FPopup->SetStartValue(value);
}

void TCustomComboEdit::TakeValueFromDropDown(Variant& value) {
  if (FPopup)
    FPopup->GetChosenValue(value);
  else
    value = Variant(String());
}

void TCustomComboEdit::ApplyChosenValue(const Variant& value) {
  const String text = VarToStr(value);
  if (GetText() == text) return;
  SetText(text);
  SetModified(true);
  SyncPopupVisible();
  Change();
}

void TCustomComboEdit::MakeCaret() {
  if (!HandleAllocated()) return;
  // One pixel wide (two for a bold font), as high as the smaller of the system font's and
  // the control font's characters.
  const int height = MinimumHeight() - 4 * ::GetSystemMetrics(SM_CYBORDER) - 1;
  ::CreateCaret(GetHandle(), nullptr, GetFont()->GetStyle().Contains(fsBold) ? 2 : 1, height);
  ::ShowCaret(GetHandle());
}

// ---- Keys, mouse and messages -------------------------------------------------------------

void TCustomComboEdit::KeyDown(WORD& key, TShiftState shift) {
  const bool escapeWhileOpen = FPopupVisible && key == VK_ESCAPE;
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::KeyDown(key, shift);  // OnKeyDown sees Escape too
  if (alive.expired()) return;
  if (escapeWhileOpen && FPopupVisible) {
    // Escape closes the drop-down here, before the form's cancel button could take it; Enter
    // waits for its character, which a descendant may hand to the drop-down first (the
    // calculator takes it as "=").
    FClosedByKey = 27;
    CloseDropDown(false);
    key = 0;
    return;
  }
  if (key != 0 && ShortCut(key, shift) == FClickKey && GetButtonWidth() > 0) {
    ButtonClicked();
    key = 0;
  }
}

void TCustomComboEdit::KeyPress(wchar_t& key) {
  if (FClosedByKey && key == FClosedByKey) {
    // The character of the Enter or Escape that closed the drop-down.
    FClosedByKey = 0;
    key = 0;
    return;
  }
  FClosedByKey = 0;
  if (key == 13 || key == 27) {
    if (FPopupVisible) {
      CloseDropDown(key == 13);
      key = 0;
      return;
    }
    // The form's default and cancel buttons come first; the key then goes on as typed
    // (a button's handler may have freed the edit).
    const std::weak_ptr<int> alive = GetLifeToken();
    if (TCustomForm* form = GetParentForm(this))
      form->Perform(CM_DIALOGKEY, key == 13 ? VK_RETURN : VK_ESCAPE, 0);
    if (alive.expired()) {
      key = 0;
      return;
    }
    if (key == 13) {
      inherited::KeyPress(key);
      key = 0;
      return;
    }
  }
  inherited::KeyPress(key);
}

void TCustomComboEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && FPopup) {
    if (CanFocus() && !Focused()) SetFocus();
    if (!FFocused) return;
    if (FPopupVisible) CloseDropDown(false);
  }
  inherited::MouseDown(button, shift, x, y);
}

void TCustomComboEdit::CMEnter(TMessage& message) {
  if (GetAutoSelect() && !(::GetKeyState(VK_LBUTTON) & 0x8000)) SelectAll();
  inherited::CMEnter(message);
}

void TCustomComboEdit::Change() {
  if (FPopupVisible)
    DropDownChanged();
  else
    inherited::Change();
}

void TCustomComboEdit::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_SETFOCUS:
      FFocused = true;
      inherited::Dispatch(message);
      if (Focused()) MakeCaret();
      break;
    case WM_KILLFOCUS:
      FFocused = false;
      inherited::Dispatch(message);
      CloseDropDown(false);
      break;
    case WM_SIZE: {
      inherited::Dispatch(message);
      const int minimum = MinimumHeight();
      if (!GetComponentState().Contains(csLoading) && GetHeight() < minimum) {
        SetHeight(minimum);  // the resize that follows lays the button out
        break;
      }
      UpdateButtonLayout();
      break;
    }
    case CM_CANCELMODE: {
      // A press anywhere but on the edit, its drop-down or its button closes the drop-down.
      auto* sender = reinterpret_cast<TControl*>(message.LParam);
      bool ours = sender == this || sender == FPopup || sender == FButton;
      for (TControl* c = sender; c && !ours; c = c->GetParent()) ours = c == FPopup;
      if (!ours) CloseDropDown(false);
      break;
    }
    case CM_ENABLEDCHANGED:
      inherited::Dispatch(message);
      FButton->SetEnabled(GetEnabled());
      break;
    case CN_CTLCOLOREDIT:
      // The brush and the font's colour; grey text while disabled, unless that would not show.
      inherited::Dispatch(message);
      if (!GetEnabled() && ColorToRGB(GetBrush()->GetColor()) != ColorToRGB(clGrayText))
        ::SetTextColor(TWMCtlColor(message).GetChildDC(), ColorToRGB(clGrayText));
      break;
    case CM_BIDIMODECHANGED:
      inherited::Dispatch(message);
      if (FPopup) FPopup->SetBiDiMode(GetBiDiMode());
      break;
    case CM_FONTCHANGED:
      inherited::Dispatch(message);
      UpdateButtonLayout();
      break;
    case WM_PASTE:
    case WM_CUT:
      if (FDirectInput && !FReadOnly) inherited::Dispatch(message);
      break;
    default: inherited::Dispatch(message);
  }
}
