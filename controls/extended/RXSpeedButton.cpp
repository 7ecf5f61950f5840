#include "RXSpeedButton.h"

#include "RxIdents.h"
#include "RxUtils.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/controls/ActnList.h"
#include "classlib/forms/Forms.h"

namespace {

int ButtonCount = 0;  // live speed buttons

const wchar_t* const MenuPosNames[] = {L"dmpBottom", L"dmpRight"};
const TEnumInfo MenuPosIdents = MakeEnumInfo(MenuPosNames);

const bool SpeedButtonClassesRegistered = [] {
  RegisterClass<TRxSpeedButton>();
  RegisterClass<TRxTimerSpeedButton>();
  return true;
}();

}  // namespace

int RxSpeedButtonCount() { return ButtonCount; }

TRxSpeedButton::TRxSpeedButton(TComponent* owner)
    : TGraphicControl(owner),
      FGlyph(std::make_unique<TRxButtonGlyph>()),
      FImage(std::make_unique<TBitmap>()) {
  SetBounds(0, 0, 25, 25);
  SetControlStyle(TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks, csReplicatable});
  FGlyph->OnChange = [this](TObject*) { Invalidate(); };
  SetParentFont(true);
  SetParentShowHint(false);
  SetShowHint(true);
  ++ButtonCount;
}

TRxSpeedButton::~TRxSpeedButton() {
  Destroying();
  FRepeatTimer.reset();
  FGlyph.reset();
  --ButtonCount;
}

// ---- Attributes ---------------------------------------------------------------------------

void TRxSpeedButton::SetAllowAllUp(bool value) {
  if (value == FAllowAllUp) return;
  FAllowAllUp = value;
  BroadcastDown();
}

void TRxSpeedButton::SetGroupIndex(int value) {
  if (value == FGroupIndex) return;
  FGroupIndex = value;
  BroadcastDown();
}

void TRxSpeedButton::SetDown(bool value) {
  if (value == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = value;
  if (value) {
    if (FState == bsUp) Invalidate();
    FState = bsExclusive;
  } else {
    FState = bsUp;
  }
  Repaint();
  if (value) BroadcastDown();
  Invalidate();
}

void TRxSpeedButton::BroadcastDown() {
  if (FGroupIndex == 0 || !GetParent()) return;
  TMessage message{CM_RXBUTTONPRESSED, static_cast<WPARAM>(FGroupIndex),
                   reinterpret_cast<LPARAM>(static_cast<TControl*>(this)), 0};
  GetParent()->Broadcast(message);
}

void TRxSpeedButton::SetFlat(bool value) {
  if (value == FFlat) return;
  FFlat = value;
  Invalidate();
}

void TRxSpeedButton::SetGlyph(TBitmap* value) {
  FGlyph->SetGlyph(value);
  FGlyph->SetFromImageList(false);
  Invalidate();
}

void TRxSpeedButton::SetNumGlyphs(TRxNumGlyphs value) {
  FGlyph->SetNumGlyphs(value);
  Invalidate();
}

void TRxSpeedButton::SetLayout(TButtonLayout value) {
  if (value == FLayout) return;
  FLayout = value;
  Invalidate();
}

void TRxSpeedButton::SetMargin(int value) {
  if (value == FMargin || value < -1) return;
  FMargin = value;
  Invalidate();
}

void TRxSpeedButton::SetSpacing(int value) {
  if (value == FSpacing) return;
  FSpacing = value;
  Invalidate();
}

void TRxSpeedButton::SetStyle(TButtonStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  Invalidate();
}

void TRxSpeedButton::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Invalidate();
}

void TRxSpeedButton::SetMarkDropDown(bool value) {
  if (value == FMarkDropDown) return;
  FMarkDropDown = value;
  Invalidate();
}

void TRxSpeedButton::SetDropDownMenu(TPopupMenu* value) {
  if (value == FDropDownMenu) return;
  FDropDownMenu = value;
  if (value) value->FreeNotification(this);
  if (FMarkDropDown) Invalidate();
}

void TRxSpeedButton::SetGrayedInactive(bool value) {
  if (value == FGrayedInactive) return;
  FGrayedInactive = value;
  Invalidate();
}

void TRxSpeedButton::SetAllowTimer(bool value) {
  FAllowTimer = value;
  if (!value) FRepeatTimer.reset();
}

void TRxSpeedButton::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == FDropDownMenu) FDropDownMenu = nullptr;
}

void TRxSpeedButton::ActionChange(TObject* sender, bool checkDefaults) {
  inherited::ActionChange(sender, checkDefaults);
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (!action) return;
  if (!FCheckLink) FCheckLink = std::make_unique<TRxButtonCheckLink>(this);
  FCheckLink->SetAction(action);
  // The check link passes a later check on; the change notice leaves a Down of its own.
  if (!InActionNotice() && (!checkDefaults || !FDown) && FGroupIndex != 0)
    SetDown(action->GetChecked());
  TCustomActionList* list = action->GetActionList();
  TCustomImageList* images = list ? list->GetImages() : nullptr;
  const int index = action->GetImageIndex();
  // An empty glyph takes the action's image, and a later change replaces it again.
  const bool takeImage =
      GetGlyph()->GetEmpty() || (InActionNotice() && FGlyph->GetFromImageList());
  if (takeImage && images && index >= 0 && index < images->GetCount()) {
    // The action's image on fuchsia, the colour that is transparent.
    TBitmap glyph;
    glyph.SetSize(images->GetWidth(), images->GetHeight());
    glyph.GetCanvas()->GetBrush()->SetColor(clFuchsia);
    glyph.GetCanvas()->FillRect(Rect(0, 0, images->GetWidth(), images->GetHeight()));
    images->Draw(glyph.GetCanvas(), 0, 0, index, true);
    glyph.SetTransparentColor(clFuchsia);
    SetGlyph(&glyph);
    FGlyph->SetFromImageList(true);
  }
}

TRxButtonCheckLink::TRxButtonCheckLink(TRxSpeedButton* button)
    : TActionLink(button), FButton(button) {}

bool TRxButtonCheckLink::IsCheckedLinked() {
  return TActionLink::IsCheckedLinked() && FButton->GetAction() == GetAction() &&
         FButton->GetGroupIndex() != 0 && FButton->GetDown() == GetCustomAction()->GetChecked();
}

void TRxButtonCheckLink::SetChecked(bool value) {
  if (IsCheckedLinked()) FButton->SetDown(value);
}

HPALETTE TRxSpeedButton::GetPalette() const { return GetGlyph()->GetPalette(); }

void TRxSpeedButton::Loaded() {
  inherited::Loaded();
  FGlyph->CreateButtonGlyph(!GetEnabled() ? bsDisabled : FFlat ? bsInactive : bsUp);
}

// ---- Clicks --------------------------------------------------------------------------------

void TRxSpeedButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  inherited::Click();
}

void TRxSpeedButton::ButtonClick() {
  if (FMenuTracking || !GetEnabled() || (FDropDownMenu && FDropDownMenu->GetAutoPopup())) return;
  const std::weak_ptr<int> alive = GetLifeToken();
  try {
    if (!FDown) {
      FState = bsDown;
      Repaint();
    }
    // Long enough for the pressed face to be seen.
    const DWORD start = ::GetTickCount();
    for (DWORD now = start; now - start < 20; now = ::GetTickCount()) ::Sleep(5);
    if (FGroupIndex == 0) Click();
  } catch (...) {
    if (!alive.expired()) {
      FState = bsUp;
      Repaint();
    }
    throw;
  }
  if (alive.expired()) return;
  FState = bsUp;
  if (FGroupIndex == 0) {
    Repaint();
  } else {
    SetDown(!FDown);
    Click();
  }
}

// ---- Mouse ---------------------------------------------------------------------------------

bool TRxSpeedButton::IsInside(int x, int y) {
  // The bottom edge counts as inside, as it always has for these buttons.
  return x >= 0 && x < GetClientWidth() && y >= 0 && y <= GetClientHeight();
}

void TRxSpeedButton::UpdateTracking() {
  POINT p{};
  ::GetCursorPos(&p);
  const bool over =
      GetEnabled() && FindDragTarget(TPoint(p.x, p.y), true) == this && IsForegroundTask();
  if (over == FMouseInControl) return;
  FMouseInControl = over;
  if (FFlat) Invalidate();
  if (over)
    MouseEnter();
  else
    MouseLeave();
}

bool TRxSpeedButton::DropDownMenuShown() {
  if (!FDropDownMenu || GetComponentState().Contains(csDesigning) || !FDropDownMenu->GetAutoPopup())
    return false;
  SendCancelMode(this);
  FDropDownMenu->SetPopupComponent(this);
  TPoint p;
  switch (FDropDownMenu->GetAlignment()) {
    case paRight: p = FMenuPosition == dmpBottom ? TPoint(GetWidth() + 1, GetHeight()) : TPoint(-1, -1); break;
    case paCenter: p = TPoint(GetWidth() / 2, GetHeight()); break;
    default: p = FMenuPosition == dmpBottom ? TPoint(-1, GetHeight()) : TPoint(GetWidth(), -1); break;
  }
  p = ClientToScreen(p);
  FDropDownMenu->Popup(p.X, p.Y);
  return true;
}

void TRxSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (FMenuTracking) return;
  inherited::MouseDown(button, shift, x, y);
  if (!FMouseInControl && GetEnabled()) {
    FMouseInControl = true;
    Repaint();
  }
  if (button != mbLeft || !GetEnabled()) return;
  const std::weak_ptr<int> alive = GetLifeToken();
  if (!FDown) {
    FState = bsDown;
    Repaint();
  }
  FDragging = true;
  FMenuTracking = true;
  try {
    if (DropDownMenuShown() && !alive.expired()) {
      // The menu took the release: finish the press as if the mouse came up here.
      FinishPress(-1, -1);
      if (alive.expired()) return;
    }
    // A press already queued on the button (the one that closed the menu, or one that came
    // while this press was taken) is not a new one.
    if (GetParent() && GetParent()->HandleAllocated()) {
      MSG msg{};
      const HWND wnd = GetParent()->GetHandle();
      if (::PeekMessageW(&msg, wnd, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_NOREMOVE) &&
          msg.message != WM_LBUTTONUP) {
        const TPoint at = ScreenToClient(TPoint(msg.pt.x, msg.pt.y));
        if (IsInside(at.X, at.Y)) KillMessage(wnd, msg.message);
      }
    }
  } catch (...) {
    if (!alive.expired()) FMenuTracking = false;
    throw;
  }
  if (alive.expired()) return;
  FMenuTracking = false;
  if (FAllowTimer) {
    if (!FRepeatTimer) {
      FRepeatTimer = std::make_unique<TTimer>(nullptr);
      FRepeatTimer->SetOnTimer([this](TObject*) { TimerExpired(); });
    }
    FRepeatTimer->SetEnabled(false);
    FRepeatTimer->SetInterval(FInitPause);
    FRepeatTimer->SetEnabled(true);
  }
}

void TRxSpeedButton::MouseMove(TShiftState shift, int x, int y) {
  inherited::MouseMove(shift, x, y);
  if (!FDragging) return;
  TButtonState state = FDown ? bsExclusive : bsUp;
  if (IsInside(x, y)) state = FDown ? bsExclusive : bsDown;
  if (state != FState) {
    FState = state;
    Repaint();
  }
}

void TRxSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseUp(button, shift, x, y);
  if (button == mbLeft) FinishPress(x, y);
  if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
}

void TRxSpeedButton::FinishPress(int x, int y) {
  if (!FDragging) return;
  FDragging = false;
  const bool inside = IsInside(x, y);
  if (FGroupIndex == 0) {
    FState = bsUp;
    FMouseInControl = false;
    if (inside)
      Repaint();
    else
      Invalidate();
  } else if (inside) {
    SetDown(!FDown);
    if (FDown) Repaint();
  } else {
    if (FDown) FState = bsExclusive;
    Repaint();
  }
  const std::weak_ptr<int> alive = GetLifeToken();
  if (inside && !FMenuTracking) Click();
  if (!alive.expired()) UpdateTracking();
}

void TRxSpeedButton::TimerExpired() {
  FRepeatTimer->SetInterval(FRepeatInterval);
  // One click a tick, and only while the button is held down on it.
  if (FState == bsDown && GetMouseCapture()) {
    try {
      Click();
    } catch (...) {
      if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
      throw;
    }
  }
}

// ---- Messages -------------------------------------------------------------------------------

void TRxSpeedButton::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_RXBUTTONPRESSED: {
      auto* sender = dynamic_cast<TRxSpeedButton*>(reinterpret_cast<TControl*>(message.LParam));
      if (message.WParam != static_cast<WPARAM>(FGroupIndex) || !sender || sender == this ||
          !GetParent() || !GetParent()->HandleAllocated())
        break;
      if (sender->GetDown() && FDown) {
        FDown = false;
        FState = bsUp;
        Invalidate();
      }
      FAllowAllUp = sender->GetAllowAllUp();
      break;
    }
    case CM_DIALOGCHAR:
      if (IsAccel(TWMKey(message).GetCharCode(), GetCaption()) && GetEnabled() && GetVisible() &&
          GetParent() && GetParent()->GetShowing()) {
        Click();
        message.Result = 1;
      } else {
        inherited::Dispatch(message);
      }
      break;
    case WM_LBUTTONDBLCLK:
      if (!FMenuTracking) {
        inherited::Dispatch(message);
        if (FDown) DblClick();
      }
      break;
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
      inherited::Dispatch(message);
      Invalidate();
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      inherited::Dispatch(message);
      UpdateTracking();
      break;
    case CM_VISIBLECHANGED:
      inherited::Dispatch(message);
      if (GetVisible()) UpdateTracking();
      break;
    default: inherited::Dispatch(message);
  }
}

void TRxSpeedButton::CMEnabledChanged(TMessage& message) {
  inherited::CMEnabledChanged(message);
  FGlyph->CreateButtonGlyph(!GetEnabled() ? bsDisabled : FFlat ? bsInactive : bsUp);
  UpdateTracking();
  Repaint();
}

void TRxSpeedButton::CMMouseEnter(TMessage& message) {
  if (message.LParam != 0) return inherited::CMMouseEnter(message);
  if (!GetEnabled() || FMouseInControl || !IsForegroundTask()) return;
  FMouseInControl = true;
  if (FFlat) Repaint();
  inherited::CMMouseEnter(message);
}

void TRxSpeedButton::CMMouseLeave(TMessage& message) {
  if (message.LParam != 0) return inherited::CMMouseLeave(message);
  if (!GetEnabled() || FDragging || !FMouseInControl) return;
  FMouseInControl = false;
  if (FFlat) Invalidate();
  inherited::CMMouseLeave(message);
}

void TRxSpeedButton::CMSysColorChange(TMessage& message) {
  inherited::CMSysColorChange(message);
  FGlyph->Invalidate();
  Invalidate();
}

// ---- Painting -------------------------------------------------------------------------------

TRect TRxSpeedButton::DrawFrame(TCanvas* canvas, TRect r, bool down) {
  const bool newStyle = FStyle != bsWin31;
  if (!down) {
    if (newStyle && !FFlat) {
      Frame3D(canvas, r, clBtnHighlight, clWindowFrame, 1);
      Frame3D(canvas, r, clBtnFace, clBtnShadow, 1);
    } else if (newStyle) {
      Frame3D(canvas, r, clBtnHighlight, clBtnShadow, 1);
    } else if (!FFlat) {
      Frame3D(canvas, r, clWindowFrame, clWindowFrame, 1);
      Frame3D(canvas, r, clBtnHighlight, clBtnShadow, 1);
    } else {
      Frame3D(canvas, r, clBtnHighlight, clWindowFrame, 1);
    }
  } else if (newStyle) {
    Frame3D(canvas, r, clWindowFrame, clBtnHighlight, 1);
    if (!FFlat) Frame3D(canvas, r, clBtnShadow, clBtnFace, 1);
  } else if (FFlat) {
    Frame3D(canvas, r, clWindowFrame, clBtnHighlight, 1);
  } else {
    Frame3D(canvas, r, clWindowFrame, clWindowFrame, 1);
    canvas->GetPen()->SetColor(clBtnShadow);
    canvas->MoveTo(r.Left, r.Bottom - 1);
    canvas->LineTo(r.Left, r.Top);
    canvas->LineTo(r.Right, r.Top);
  }
  InflateRect(r, -1, -1);
  return r;
}

void TRxSpeedButton::PaintGlyph(TCanvas* canvas, const TRect& r, TButtonState state,
                                bool drawMark) {
  FGlyph->Draw(canvas, r, TPoint(0, 0), GetCaption(), FLayout, FMargin, FSpacing, drawMark,
               state, DrawTextBiDiModeFlags(0));
}

void TRxSpeedButton::Paint() {
  if (!GetEnabled()) {
    FState = bsDisabled;
    FDragging = false;
  } else if (FState == bsDisabled) {
    FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
  }
  // A flat button without the mouse draws inactive, also while it is held down: a held-down
  // one keeps its frame and checkerboard around the inactive glyph.
  TButtonState drawState = FState;
  if (FFlat && !FMouseInControl && !GetComponentState().Contains(csDesigning) && FGrayedInactive)
    drawState = bsInactive;
  const int w = GetWidth(), h = GetHeight();
  FImage->SetSize(w, h);
  TCanvas* canvas = FImage->GetCanvas();
  canvas->SetFont(GetFont());
  canvas->GetBrush()->SetColor(clBtnFace);
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->FillRect(Rect(0, 0, w, h));
  if (FTransparent) CopyParentImage(this, canvas);
  TRect content = Rect(0, 0, w, h);
  const bool pressed = FState == bsDown || FState == bsExclusive;
  if ((!FFlat || FMouseInControl || pressed) && (drawState != bsInactive || FState == bsExclusive)) {
    content = DrawFrame(canvas, content, pressed);
  } else if (FFlat) {
    InflateRect(content, -2, -2);
  }
  if (FState == bsExclusive && !FTransparent && (!FFlat || drawState == bsInactive)) {
    // A held-down face: a fine checkerboard of face and highlight.
    TBitmap pattern;
    pattern.SetSize(8, 8);
    const COLORREF face = ColorToRGB(clBtnFace), light = ColorToRGB(clBtnHighlight);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        pattern.GetCanvas()->SetPixels(x, y, ColorFromInt(static_cast<int32_t>((x + y) % 2 ? light : face)));
    TRect fill = content;
    InflateRect(fill, 1, 1);
    canvas->GetBrush()->SetBitmap(&pattern);
    canvas->FillRect(fill);
    canvas->GetBrush()->SetBitmap(nullptr);
  }
  TRect glyphRect = content;
  if (pressed) OffsetRect(glyphRect, 1, 1);
  PaintGlyph(canvas, glyphRect, drawState, FMarkDropDown && FDropDownMenu);
  GetCanvas()->Draw(0, 0, FImage.get());
}

const TPropertyTable* TRxSpeedButton::PublishedProperties() {
  using P = TPublish<TRxSpeedButton>;
  using C = TRxSpeedButton;
  static const TPropertyTable table{
      P::Enum(L"Alignment", RxAlignmentIdents, &C::GetAlignment, &C::SetAlignment).Default(taCenter),
      P::Boolean(L"AllowAllUp", &C::GetAllowAllUp, &C::SetAllowAllUp).Default(false),
      P::Boolean(L"AllowTimer", &C::GetAllowTimer, &C::SetAllowTimer).Default(false),
      P::Boolean(L"Down", &C::GetDown, &C::SetDown).Default(false),
      P::Component(L"DropDownMenu", &C::GetDropDownMenu, &C::SetDropDownMenu),
      P::Boolean(L"Flat", &C::GetFlat, &C::SetFlat).Default(false),
      P::Persistent(L"Glyph", &C::GetGlyph, &C::SetGlyph),
      P::Boolean(L"GrayedInactive", &C::GetGrayedInactive, &C::SetGrayedInactive).Default(true),
      P::Integer(L"GroupIndex", &C::GetGroupIndex, &C::SetGroupIndex).Default(0),
      P::Integer(L"InitPause", &C::GetInitPause, &C::SetInitPause).Default(500),
      P::Enum(L"Layout", RxButtonLayoutIdents, &C::GetLayout, &C::SetLayout).Default(blGlyphTop),
      P::Integer(L"Margin", &C::GetMargin, &C::SetMargin).Default(-1),
      P::Boolean(L"MarkDropDown", &C::GetMarkDropDown, &C::SetMarkDropDown).Default(true),
      P::Enum(L"MenuPosition", MenuPosIdents, &C::GetMenuPosition, &C::SetMenuPosition)
          .Default(dmpBottom),
      P::Integer(L"ModalResult", &C::GetModalResult, &C::SetModalResult).Default(0),
      P::Integer(L"NumGlyphs", &C::GetNumGlyphs, &C::SetNumGlyphs).Default(1),
      P::Boolean(L"ParentShowHint", &C::GetParentShowHint, &C::SetParentShowHint).Default(false),
      P::Integer(L"RepeatInterval", &C::GetRepeatInterval, &C::SetRepeatInterval).Default(100),
      P::Boolean(L"ShowHint", &C::GetShowHint, &C::SetShowHint).Default(true),
      P::Integer(L"Spacing", &C::GetSpacing, &C::SetSpacing).Default(1),
      P::Enum(L"Style", RxButtonStyleIdents, &C::GetStyle, &C::SetStyle).Default(bsAutoDetect),
      P::Boolean(L"Transparent", &C::GetTransparent, &C::SetTransparent).Default(false),
      P::Boolean(L"WordWrap", &C::GetWordWrap, &C::SetWordWrap).Default(false),
  };
  return &table;
}

TRxTimerSpeedButton::TRxTimerSpeedButton(TComponent* owner) : TRxSpeedButton(owner) {
  SetStyle(bsWin31);
  SetAllowTimer(true);
}

const TPropertyTable* TRxTimerSpeedButton::PublishedProperties() {
  using P = TPublish<TRxTimerSpeedButton>;
  using C = TRxTimerSpeedButton;
  static const TPropertyTable table{
      P::Boolean(L"AllowTimer", &C::GetAllowTimer, &C::SetAllowTimer).Default(true),
      P::Enum(L"Style", RxButtonStyleIdents, &C::GetStyle, &C::SetStyle).Default(bsWin31),
  };
  return &table;
}
