// TControl: properties, the message dispatch and the mouse handlers; the free helpers of
// the layer (hooks, exception hand-off, keys, cursors, hints, constraints).
#include "Controls.h"
#include <algorithm>
#include "../system/SysMath.h"
#include "ControlsInternal.h"
#include "MiddleEast.h"

using namespace controls_internal;

// ---- Hooks and exceptions ------------------------------------------------------------------------

TControlHooks& ControlHooks() {
  static TControlHooks hooks;
  return hooks;
}

namespace {

// The default when no application handles exceptions: the message in a box, so that a
// failure is never lost silently. EAbort stays silent.
void ShowExceptionMessage() {
  String text;
  try {
    throw;
  } catch (const EAbort&) {
    return;
  } catch (const Exception& e) {
    text = e.Message();
  } catch (const std::exception& e) {
    text = Utf8ToString(e.what());
  } catch (...) {
    text = L"Unknown exception";
  }
  ::MessageBoxW(nullptr, text.c_str(), L"Error", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

}  // namespace

void ApplicationHandleException(TObject* sender) {
  try {
    const auto& handler = ControlHooks().HandleException;
    if (handler)
      handler(sender);
    else
      ShowExceptionMessage();
  } catch (...) {
    // The handler itself failed; nothing is left to report it to.
  }
}

// ---- Free helpers ------------------------------------------------------------------------------------

TAnchors AnchorAlign(TAlign align) {
  switch (align) {
    case alTop: return TAnchors{akLeft, akTop, akRight};
    case alBottom: return TAnchors{akLeft, akRight, akBottom};
    case alLeft: return TAnchors{akLeft, akTop, akBottom};
    case alRight: return TAnchors{akRight, akTop, akBottom};
    case alClient: return TAnchors{akLeft, akTop, akRight, akBottom};
    default: return TAnchors{akLeft, akTop};
  }
}

TShiftState KeysToShiftState(WPARAM keys) {
  TShiftState result;
  if (keys & MK_SHIFT) result.Include(ssShift);
  if (keys & MK_CONTROL) result.Include(ssCtrl);
  if (keys & MK_LBUTTON) result.Include(ssLeft);
  if (keys & MK_RBUTTON) result.Include(ssRight);
  if (keys & MK_MBUTTON) result.Include(ssMiddle);
  if (::GetKeyState(VK_MENU) < 0) result.Include(ssAlt);
  return result;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
  constexpr LPARAM AltMask = 0x20000000;
  TShiftState result;
  if (::GetKeyState(VK_SHIFT) < 0) result.Include(ssShift);
  if (::GetKeyState(VK_CONTROL) < 0) result.Include(ssCtrl);
  if (keyData & AltMask) result.Include(ssAlt);
  return result;
}

HCURSOR StandardCursorHandle(TCursor cursor) {
  const wchar_t* id = nullptr;
  switch (cursor) {
    case crDefault:
    case crArrow:
    case crDrag:
    case crMultiDrag: id = IDC_ARROW; break;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS:
    case crVSplit: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE:
    case crHSplit: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass:
    case crSQLWait: id = IDC_WAIT; break;
    case crNoDrop:
    case crNo: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    default: return nullptr;
  }
  return ::LoadCursorW(nullptr, id);
}

String GetShortHint(const String& hint) {
  const size_t bar = hint.find(L'|');
  return bar == String::npos ? hint : hint.substr(0, bar);
}

String GetLongHint(const String& hint) {
  const size_t bar = hint.find(L'|');
  return bar == String::npos ? hint : hint.substr(bar + 1);
}

String GetHotkey(const String& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != L'&') continue;
    if (text[i + 1] == L'&') {
      ++i;  // "&&" is a literal ampersand
      continue;
    }
    return text.substr(i + 1, 1);
  }
  return String();
}

bool IsAccel(WORD vk, const String& str) {
  const String hotkey = GetHotkey(str);
  return !hotkey.empty() && AnsiCompareText(String(1, static_cast<wchar_t>(vk)), hotkey) == 0;
}

namespace controls_internal {

TWinControl* RootParent(TControl* control) {
  if (!control) return nullptr;
  while (control->GetParent()) control = control->GetParent();
  return dynamic_cast<TWinControl*>(control);
}

bool MiddleEast() { return SysMiddleEast(); }

}  // namespace controls_internal

namespace {
std::optional<bool> MiddleEastOverride;  // set by tests
}  // namespace

bool SysMiddleEast() {
  return MiddleEastOverride ? *MiddleEastOverride : ::GetSystemMetrics(SM_MIDEASTENABLED) != 0;
}

void SetSysMiddleEast(std::optional<bool> value) { MiddleEastOverride = value; }

// ---- TSizeConstraints ---------------------------------------------------------------------------------

void TSizeConstraints::SetMaxHeight(int value) {
  value = Max(value, 0);
  if (value == FMaxHeight) return;
  FMaxHeight = value;
  if (value > 0 && value < FMinHeight) FMinHeight = value;
  Change();
}

void TSizeConstraints::SetMaxWidth(int value) {
  value = Max(value, 0);
  if (value == FMaxWidth) return;
  FMaxWidth = value;
  if (value > 0 && value < FMinWidth) FMinWidth = value;
  Change();
}

void TSizeConstraints::SetMinHeight(int value) {
  value = Max(value, 0);
  if (value == FMinHeight) return;
  FMinHeight = value;
  if (FMaxHeight > 0 && value > FMaxHeight) FMaxHeight = value;
  Change();
}

void TSizeConstraints::SetMinWidth(int value) {
  value = Max(value, 0);
  if (value == FMinWidth) return;
  FMinWidth = value;
  if (FMaxWidth > 0 && value > FMaxWidth) FMaxWidth = value;
  Change();
}

void TSizeConstraints::AssignTo(TPersistent* dest) {
  auto* other = dynamic_cast<TSizeConstraints*>(dest);
  if (!other) {
    inherited::AssignTo(dest);
    return;
  }
  other->FMinHeight = FMinHeight;
  other->FMaxHeight = FMaxHeight;
  other->FMinWidth = FMinWidth;
  other->FMaxWidth = FMaxWidth;
  other->Change();
}

void TSizeConstraints::Change() {
  if (FOnChange) FOnChange(this);
}

// ---- TControl: construction ---------------------------------------------------------------------------

TControl::TControl(TComponent* owner)
    : TComponent(owner),
      FConstraints(std::make_unique<TSizeConstraints>(this)),
      FFont(std::make_unique<TFont>()) {
  FWindowProc = [this](TMessage& message) { WndProc(message); };
  FFont->SetOnChange([this](TObject* sender) { FontChanged(sender); });
  FConstraints->SetOnChange([this](TObject* sender) { ConstraintsChanged(sender); });
}

TControl::~TControl() {
  Destroying();
  FLifeToken.reset();
  ForgetControl(this);
  if (FParent) FParent->RemoveControl(this);
  FActionLink.reset();
  FPopupMenu = nullptr;
}

// ---- TControl: messages --------------------------------------------------------------------------------

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message{msg, wParam, lParam, 0};
  if (FWindowProc)
    FWindowProc(message);
  else
    WndProc(message);
  return message.Result;
}

void TControl::SetWindowProc(TWndMethod value) {
  if (value)
    FWindowProc = std::move(value);
  else
    FWindowProc = [this](TMessage& message) { WndProc(message); };
}

void TControl::WndProc(TMessage& message) {
  const bool mouseMessage = message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MOUSELAST &&
                            message.Msg != WM_MOUSEWHEEL && message.Msg != WM_MOUSEHWHEEL;
  if (mouseMessage) {
    if (!FControlStyle.Contains(csDoubleClicks)) {
      switch (message.Msg) {
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK: message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN; break;
      }
    }
    // A move is judged for hints after the control has handled it, so that a hint the
    // handler switches on counts from that move; a press ends a hint before its handler runs.
    if (message.Msg != WM_MOUSEMOVE)
      if (const auto& hook = ControlHooks().MouseMessage) hook(this, message);
    if (Dragging() && DragMouseMessage(message)) return;
    switch (message.Msg) {
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        if (FDragMode == dmAutomatic) {
          BeginDrag(true);
          return;
        }
        FControlState.Include(csLButtonDown);
        break;
      case WM_LBUTTONUP: FControlState.Exclude(csLButtonDown); break;
    }
    if (message.Msg == WM_MOUSEMOVE) {
      const std::weak_ptr<int> alive = FLifeToken;
      Dispatch(message);
      if (const auto& hook = ControlHooks().MouseMessage; hook && !alive.expired()) hook(this, message);
      return;
    }
  }
  Dispatch(message);
}

void TControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(message); break;
    case WM_LBUTTONUP: WMLButtonUp(message); break;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(message); break;
    case WM_RBUTTONDOWN: WMRButtonDown(message); break;
    case WM_RBUTTONUP: WMRButtonUp(message); break;
    case WM_RBUTTONDBLCLK: WMRButtonDblClk(message); break;
    case WM_MBUTTONDOWN: WMMButtonDown(message); break;
    case WM_MBUTTONUP: WMMButtonUp(message); break;
    case WM_MBUTTONDBLCLK: WMMButtonDblClk(message); break;
    case WM_MOUSEMOVE: WMMouseMove(message); break;
    case WM_MOUSEWHEEL: WMMouseWheel(message); break;
    case WM_CANCELMODE: WMCancelMode(message); break;
    case WM_CONTEXTMENU: WMContextMenu(message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(message); break;
    case CM_FONTCHANGED: CMFontChanged(message); break;
    case CM_COLORCHANGED: CMColorChanged(message); break;
    case CM_TEXTCHANGED: CMTextChanged(message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(message); break;
    case CM_PARENTCTL3DCHANGED: CMParentCtl3DChanged(message); break;
    case CM_CTL3DCHANGED: CMCtl3DChanged(message); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(message); break;
    case CM_SHOWHINTCHANGED: CMShowHintChanged(message); break;
    case CM_BIDIMODECHANGED: CMBiDiModeChanged(message); break;
    case CM_PARENTBIDIMODECHANGED: CMParentBiDiModeChanged(message); break;
    case CM_SYSCOLORCHANGE: CMSysColorChange(message); break;
    case CM_HITTEST: CMHitTest(message); break;
    case CM_MOUSEENTER: CMMouseEnter(message); break;
    case CM_MOUSELEAVE: CMMouseLeave(message); break;
    case CM_MOUSEWHEEL: CMMouseWheel(message); break;
    case CM_HINTSHOW: CMHintShow(message); break;
    case CM_CURSORCHANGED: CMCursorChanged(message); break;
    default: DefaultHandler(message); break;
  }
}

void TControl::DefaultHandler(TMessage& message) {
  switch (message.Msg) {
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<wchar_t*>(message.LParam);
      const size_t capacity = message.WParam;
      if (!buffer || capacity == 0) {
        message.Result = 0;
        break;
      }
      const size_t count = Min(FText.size(), capacity - 1);
      FText.copy(buffer, count);
      buffer[count] = L'\0';
      message.Result = static_cast<LRESULT>(count);
      break;
    }
    case WM_GETTEXTLENGTH: message.Result = static_cast<LRESULT>(FText.size()); break;
    case WM_SETTEXT: {
      const auto* text = reinterpret_cast<const wchar_t*>(message.LParam);
      FText = text ? text : L"";
      message.Result = TRUE;
      break;
    }
  }
}

// ---- TControl: parent and bounds ----------------------------------------------------------------------

void TControl::SetParent(TWinControl* value) {
  if (FParent == value) return;
  if (value == this) throw EInvalidOperation(L"A control cannot have itself as its parent");
  if (auto* self = dynamic_cast<TWinControl*>(this); self && value && self->ContainsControl(value))
    throw EInvalidOperation(L"A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (value) {
    value->InsertControl(this);
    UpdateAnchorRules();
  }
}

TRect TControl::GetClientRect() { return Rect(0, 0, FWidth, FHeight); }

void TControl::SetClientWidth(int value) {
  const TRect client = GetClientRect();
  SetBounds(FLeft, FTop, FWidth - client.Right + value, FHeight);
}

void TControl::SetClientHeight(int value) {
  const TRect client = GetClientRect();
  SetBounds(FLeft, FTop, FWidth, FHeight - client.Bottom + value);
}

TPoint TControl::GetClientOrigin() {
  if (!FParent) throw EInvalidOperation(L"Control '%s' has no parent window", {GetName()});
  TPoint origin = FParent->GetClientOrigin();
  origin.X += FLeft;
  origin.Y += FTop;
  return origin;
}

TPoint TControl::ClientToScreen(const TPoint& point) {
  const TPoint origin = GetClientOrigin();
  return TPoint(point.X + origin.X, point.Y + origin.Y);
}

TPoint TControl::ScreenToClient(const TPoint& point) {
  const TPoint origin = GetClientOrigin();
  return TPoint(point.X - origin.X, point.Y - origin.Y);
}

void TControl::UpdateBoundsRect(const TRect& r) {
  FLeft = r.Left;
  FTop = r.Top;
  FWidth = r.Width();
  FHeight = r.Height();
  UpdateAnchorRules();
}

// ---- TControl: state --------------------------------------------------------------------------------------

void TControl::SetVisible(bool value) {
  if (FVisible == value) return;
  VisibleChanging();
  FVisible = value;
  Perform(CM_VISIBLECHANGED, value ? 1 : 0, 0);
  RequestAlign();
}

void TControl::SetEnabled(bool value) {
  if (FEnabled == value) return;
  FEnabled = value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
  EnabledChanged();
}

void TControl::Show() {
  if (FParent) FParent->ShowControl(this);
  SetVisible(true);
}

bool TControl::GetShowing() const {
  if (!FVisible || !FParent) return false;
  return FParent->GetShowing();
}

// ---- TControl: text -----------------------------------------------------------------------------------------

int TControl::GetTextLen() { return static_cast<int>(Perform(WM_GETTEXTLENGTH, 0, 0)); }

String TControl::GetText() {
  const int length = GetTextLen();
  if (length <= 0) return String();
  String buffer(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied =
      Perform(WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  buffer.resize(static_cast<size_t>(Max<LRESULT>(0, Min<LRESULT>(copied, length))));
  return buffer;
}

void TControl::SetText(const String& value) {
  if (GetText() == value) return;
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetName(const String& value) {
  auto* ownerControl = dynamic_cast<TControl*>(GetOwner());
  const bool changeText =
      FControlStyle.Contains(csSetCaption) && !GetComponentState().Contains(csLoading) &&
      GetName() == GetText() &&
      (!ownerControl || !ownerControl->GetComponentState().Contains(csLoading));
  inherited::SetName(value);
  if (changeText) SetText(value);
}

// ---- TControl: appearance --------------------------------------------------------------------------------

void TControl::SetColor(TColor value) {
  if (FColor == value) return;
  FColor = value;
  FParentColor = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool value) {
  if (FParentColor == value) return;
  FParentColor = value;
  if (FParent && value) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetFont(TFont* value) {
  if (value) FFont->Assign(value);
}

void TControl::FontChanged(TObject*) {
  FParentFont = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool value) {
  if (FParentFont == value) return;
  FParentFont = value;
  if (FParent && value) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetCtl3D(bool value) {
  if (FCtl3D == value) return;
  FCtl3D = value;
  FParentCtl3D = false;
  Perform(CM_CTL3DCHANGED, 0, 0);
}

void TControl::SetParentCtl3D(bool value) {
  if (FParentCtl3D == value) return;
  FParentCtl3D = value;
  if (FParent && value) Perform(CM_PARENTCTL3DCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor value) {
  if (FCursor == value) return;
  FCursor = value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetBiDiMode(TBiDiMode value) {
  if (FBiDiMode == value) return;
  FBiDiMode = value;
  FParentBiDiMode = false;
  Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::SetParentBiDiMode(bool value) {
  if (FParentBiDiMode == value) return;
  FParentBiDiMode = value;
  if (FParent && value) Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
}

bool TControl::UseRightToLeftAlignment() const {
  return FBiDiMode == bdRightToLeft && MiddleEast();
}

bool TControl::UseRightToLeftReading() const {
  return FBiDiMode != bdLeftToRight && MiddleEast();
}

bool TControl::UseRightToLeftScrollBar() const {
  return (FBiDiMode == bdRightToLeft || FBiDiMode == bdRightToLeftNoAlign) && MiddleEast();
}

UINT TControl::DrawTextBiDiModeFlagsReadingOnly() const {
  return UseRightToLeftReading() ? DT_RTLREADING : 0;
}

UINT TControl::DrawTextBiDiModeFlags(UINT flags) const {
  UINT result = flags;
  if (UseRightToLeftAlignment()) {
    if ((flags & DT_RIGHT) == DT_RIGHT)
      result &= ~static_cast<UINT>(DT_RIGHT);
    else if ((flags & DT_CENTER) != DT_CENTER)
      result |= DT_RIGHT;
  }
  return result | DrawTextBiDiModeFlagsReadingOnly();
}

void TControl::SetShowHint(bool value) {
  if (FShowHint == value) return;
  FShowHint = value;
  FParentShowHint = false;
  Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool value) {
  if (FParentShowHint == value) return;
  FParentShowHint = value;
  if (FParent && value) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

// ---- TControl: z-order ---------------------------------------------------------------------------------------

void TControl::SetZOrder(bool topMost) {
  if (!FParent) return;
  SetZOrderPosition(topMost ? static_cast<int>(FParent->FControls.size()) - 1 : 0);
}

void TControl::SetZOrderPosition(int position) {
  if (!FParent) return;
  auto& list = FParent->FControls;
  const auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  const int count = static_cast<int>(list.size());
  position = Max(0, Min(position, count - 1));
  const int current = static_cast<int>(it - list.begin());
  if (position == current) return;
  list.erase(it);
  list.insert(list.begin() + position, this);
  InvalidateControl(FVisible, true);
}

// ---- TControl: events and overridable behaviour -----------------------------------------------------------

void TControl::SetOnClick(TNotifyEvent handler) {
  FOnClick = std::move(handler);
  FOnClickFromAction = false;
}

void TControl::DblClick() {
  if (FOnDblClick) FOnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (FOnMouseDown) FOnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (FOnMouseMove) FOnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (FOnMouseUp) FOnMouseUp(this, button, shift, x, y);
}

void TControl::MouseEnter() {
  if (FOnMouseEnter) FOnMouseEnter(this);
}

void TControl::MouseLeave() {
  if (FOnMouseLeave) FOnMouseLeave(this);
}

void TControl::Resize() {
  if (FOnResize) FOnResize(this);
}

void TControl::Changed() { Perform(CM_CHANGED, 0, reinterpret_cast<LPARAM>(this)); }

bool TControl::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  bool handled = false;
  if (FOnMouseWheel) FOnMouseWheel(this, shift, wheelDelta, mousePos, handled);
  return handled;
}

void TControl::DoContextPopup(TPoint mousePos, bool& handled) {
  if (FOnContextPopup) FOnContextPopup(this, mousePos, handled);
}

bool TControl::CanAutoSize(int&, int&) { return true; }

bool TControl::CanResize(int& newWidth, int& newHeight) {
  bool resize = true;
  if (FOnCanResize) FOnCanResize(this, newWidth, newHeight, resize);
  return resize;
}

void TControl::ConstrainedResize(int& minWidth, int& minHeight, int& maxWidth, int& maxHeight) {
  if (FOnConstrainedResize) FOnConstrainedResize(this, minWidth, minHeight, maxWidth, maxHeight);
}

void TControl::SendCancelMode(TControl* sender) {
  if (TWinControl* root = RootParent(this)) root->SendFocusedCancelMode(sender);
}

void TControl::DoMouseDown(TMessage& message, TMouseButton button, TShiftState shift) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  const TWMMouse mouse(message);
  MouseDown(button, KeysToShiftState(mouse.GetKeys()) + shift, mouse.GetXPos(),
            mouse.GetYPos());
}

void TControl::DoMouseUp(TMessage& message, TMouseButton button) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  const TWMMouse mouse(message);
  MouseUp(button, KeysToShiftState(mouse.GetKeys()), mouse.GetXPos(), mouse.GetYPos());
}

// ---- TControl: mouse handlers ---------------------------------------------------------------------------

void TControl::WMLButtonDown(TMessage& message) {
  SendCancelMode(this);
  DefaultHandler(message);
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked);
  DoMouseDown(message, mbLeft, TShiftState());
}

void TControl::WMLButtonDblClk(TMessage& message) {
  SendCancelMode(this);
  DefaultHandler(message);
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
  const std::weak_ptr<int> alive = FLifeToken;
  if (FControlStyle.Contains(csClickEvents)) DblClick();
  if (alive.expired()) return;
  DoMouseDown(message, mbLeft, TShiftState{ssDouble});
}

// The system's handler of a button window clicks (BN_CLICKED, reflected as CN_COMMAND) before
// it returns, and a click handler may free this control: nothing of it is touched after.
void TControl::WMLButtonUp(TMessage& message) {
  const std::weak_ptr<int> alive = FLifeToken;
  DefaultHandler(message);
  if (alive.expired()) return;
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
  if (FControlState.Contains(csClicked)) {
    FControlState.Exclude(csClicked);
    if (PtInRect(GetClientRect(), TWMMouse(message).GetPos())) {
      Click();
      if (alive.expired()) return;
    }
  }
  DoMouseUp(message, mbLeft);
}

void TControl::WMRButtonDown(TMessage& message) {
  DefaultHandler(message);
  DoMouseDown(message, mbRight, TShiftState());
}

void TControl::WMRButtonUp(TMessage& message) {
  DefaultHandler(message);
  DoMouseUp(message, mbRight);
}

void TControl::WMRButtonDblClk(TMessage& message) {
  DefaultHandler(message);
  DoMouseDown(message, mbRight, TShiftState{ssDouble});
}

void TControl::WMMButtonDown(TMessage& message) {
  DefaultHandler(message);
  DoMouseDown(message, mbMiddle, TShiftState());
}

void TControl::WMMButtonUp(TMessage& message) {
  DefaultHandler(message);
  DoMouseUp(message, mbMiddle);
}

void TControl::WMMButtonDblClk(TMessage& message) {
  DefaultHandler(message);
  DoMouseDown(message, mbMiddle, TShiftState{ssDouble});
}

void TControl::WMMouseMove(TMessage& message) {
  DefaultHandler(message);
  if (FControlStyle.Contains(csNoStdEvents)) return;
  const TWMMouse mouse(message);
  MouseMove(KeysToShiftState(mouse.GetKeys()), mouse.GetXPos(), mouse.GetYPos());
}

void TControl::WMMouseWheel(TMessage& message) {
  message.Result = Perform(CM_MOUSEWHEEL, message.WParam, message.LParam);
  if (message.Result == 0) DefaultHandler(message);
}

void TControl::WMCancelMode(TMessage& message) {
  DefaultHandler(message);
  if (GetMouseCapture()) {
    SetMouseCapture(false);
    if (FControlState.Contains(csLButtonDown))
      Perform(WM_LBUTTONUP, 0, PointToLParam(TPoint(-1, -1)));
  } else {
    FControlState.Exclude(csLButtonDown);
  }
}

// ---- TControl: control message handlers -----------------------------------------------------------------

void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }

void TControl::CMVisibleChanged(TMessage&) {
  InvalidateControl(true, FVisible && FControlStyle.Contains(csOpaque));
}

void TControl::CMFontChanged(TMessage&) { Invalidate(); }

void TControl::CMColorChanged(TMessage&) { Invalidate(); }

void TControl::CMTextChanged(TMessage&) {}

void TControl::CMParentColorChanged(TMessage& message) {
  if (!FParentColor) return;
  if (message.WParam != 0)
    SetColor(ColorFromInt(static_cast<int32_t>(message.LParam)));
  else if (FParent)
    SetColor(FParent->FColor);
  FParentColor = true;
}

void TControl::CMParentFontChanged(TMessage& message) {
  if (!FParentFont) return;
  if (message.WParam != 0 && message.LParam != 0)
    SetFont(reinterpret_cast<TFont*>(message.LParam));
  else if (FParent)
    SetFont(FParent->FFont.get());
  FParentFont = true;
}

void TControl::CMParentCtl3DChanged(TMessage& message) {
  if (!FParentCtl3D) return;
  if (message.WParam != 0)
    SetCtl3D(message.LParam != 0);
  else if (FParent)
    SetCtl3D(FParent->FCtl3D);
  FParentCtl3D = true;
}

void TControl::CMCtl3DChanged(TMessage&) { Invalidate(); }

void TControl::CMParentShowHintChanged(TMessage&) {
  if (!FParentShowHint || !FParent) return;
  SetShowHint(FParent->FShowHint);
  FParentShowHint = true;
}

void TControl::CMShowHintChanged(TMessage&) {}

void TControl::CMBiDiModeChanged(TMessage& message) {
  if (MiddleEast() && message.WParam == 0) Invalidate();
}

void TControl::CMParentBiDiModeChanged(TMessage&) {
  if (!FParentBiDiMode || !FParent) return;
  SetBiDiMode(FParent->FBiDiMode);
  FParentBiDiMode = true;
}

void TControl::CMSysColorChange(TMessage&) {}

void TControl::CMHitTest(TMessage& message) { message.Result = HTCLIENT; }

void TControl::CMMouseEnter(TMessage& message) {
  const std::weak_ptr<int> alive = FLifeToken;
  if (message.LParam == 0) MouseEnter();
  if (alive.expired()) return;
  if (FParent)
    FParent->Perform(CM_MOUSEENTER, 0,
                     message.LParam ? message.LParam : reinterpret_cast<LPARAM>(this));
}

void TControl::CMMouseLeave(TMessage& message) {
  const std::weak_ptr<int> alive = FLifeToken;
  if (message.LParam == 0) MouseLeave();
  if (alive.expired()) return;
  if (FParent)
    FParent->Perform(CM_MOUSELEAVE, 0,
                     message.LParam ? message.LParam : reinterpret_cast<LPARAM>(this));
}

void TControl::CMMouseWheel(TMessage& message) {
  const TWMMouseWheel wheel(message);
  message.Result = 0;
  if (DoMouseWheel(KeysToShiftState(wheel.GetKeys()), wheel.GetWheelDelta(), wheel.GetPos()))
    message.Result = 1;
  else if (FParent)
    message.Result = FParent->Perform(CM_MOUSEWHEEL, message.WParam, message.LParam);
}

void TControl::CMHintShow(TMessage& message) { message.Result = 0; }

void TControl::CMCursorChanged(TMessage&) {
  // Show the new cursor at once when the mouse is over the control's window.
  TWinControl* window = dynamic_cast<TWinControl*>(this);
  if (!window) window = FParent;
  if (!window || !window->HandleAllocated()) return;
  POINT cursor{};
  if (!::GetCursorPos(&cursor) || ::WindowFromPoint(cursor) != window->FHandle) return;
  ::SendMessageW(window->FHandle, WM_SETCURSOR, reinterpret_cast<WPARAM>(window->FHandle),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}
