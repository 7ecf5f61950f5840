// The flat splitter.
#include "FlatSplitter.h"

#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/controls/ControlIdents.h"
#include "classlib/forms/Forms.h"
#include "classlib/graphics/GdiHandles.h"
#include "classlib/system/SysMath.h"

namespace {

const bool FlatSplitterRegistered = [] {
  RegisterClass<TFlatSplitter>();
  return true;
}();

// ---- The thread's message hooks while a splitter sizes --------------------------------------------
// Only one drag can be in progress in the program at a time (it holds the mouse capture).

TFlatSplitter* gSizing = nullptr;   // the splitter being dragged
HWND gSizingParent = nullptr;       // its parent's window, which holds the capture
HHOOK gKeyHook = nullptr;           // WH_GETMESSAGE: Escape from the queue
HHOOK gCaptureHook = nullptr;       // WH_CALLWNDPROC: the capture going elsewhere

LRESULT CALLBACK SizingGetMessage(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE && gSizing) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
      msg->message = WM_NULL;  // the key ends the drag and goes no further
      try {
        gSizing->CancelSizing();
      } catch (...) {
        Application->HandleException(nullptr);
      }
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK SizingCallWndProc(int code, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = ::CallNextHookEx(nullptr, code, wParam, lParam);
  if (code == HC_ACTION && gSizing) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (call->message == WM_CAPTURECHANGED && call->hwnd == gSizingParent &&
        reinterpret_cast<HWND>(call->lParam) != gSizingParent) {
      try {
        gSizing->CancelSizing();
      } catch (...) {
        Application->HandleException(nullptr);
      }
    }
  }
  return result;
}

void InstallSizingHooks(TFlatSplitter* splitter, HWND parent) {
  gSizing = splitter;
  gSizingParent = parent;
  const DWORD thread = ::GetCurrentThreadId();
  gKeyHook = ::SetWindowsHookExW(WH_GETMESSAGE, SizingGetMessage, nullptr, thread);
  gCaptureHook = ::SetWindowsHookExW(WH_CALLWNDPROC, SizingCallWndProc, nullptr, thread);
}

void RemoveSizingHooks() {
  if (gKeyHook) ::UnhookWindowsHookEx(gKeyHook);
  if (gCaptureHook) ::UnhookWindowsHookEx(gCaptureHook);
  gKeyHook = gCaptureHook = nullptr;
  gSizing = nullptr;
  gSizingParent = nullptr;
}

}  // namespace

const TPropertyTable* TFlatSplitter::PublishedProperties() {
  using P = TPublish<TFlatSplitter>;
  using C = TFlatSplitter;
  static const TPropertyTable table{
      P::Enum(L"Align", AlignIdents, &C::GetAlign, &C::SetAlign).Default(alLeft),
      P::Color(L"Color", &C::GetColor, &C::SetColor).Default(ColorFromInt(0xE0E9EF)),
      P::Color(L"FocusedColor", &C::GetFocusedColor, &C::SetFocusedColor)
          .Default(ColorFromInt(0x53D2FF)),
      P::Color(L"BorderColor", &C::GetBorderColor, &C::SetBorderColor)
          .Default(ColorFromInt(0x555E66)),
      P::Integer(L"MinSize", &C::GetMinSize, &C::SetMinSize).Default(30),
      P::Boolean(L"UseAdvColors", &C::GetUseAdvColors, &C::SetUseAdvColors).Default(false),
      P::Integer(L"AdvColorBorder", &C::GetAdvColorBorder, &C::SetAdvColorBorder).Default(50),
      P::Integer(L"AdvColorFocused", &C::GetAdvColorFocused, &C::SetAdvColorFocused).Default(50),
      P::Method(L"OnMoved", &C::GetOnMoved, &C::SetOnMoved),
  };
  return &table;
}

TFlatSplitter::TFlatSplitter(TComponent* owner) : TGraphicControl(owner) {
  SetAlign(alLeft);
  SetBounds(GetLeft(), GetTop(), 5, GetHeight());
  SetColor(ColorFromInt(0xE0E9EF));
  SetParentColor(false);
  SetCursor(crHSplit);
}

TFlatSplitter::~TFlatSplitter() {
  if (gSizing == this) StopSizing();
}

// ---- Attributes --------------------------------------------------------------------------------------

void TFlatSplitter::SetFocusedColor(TColor value) {
  FFocusedColor = value;
  Invalidate();
}

void TFlatSplitter::SetBorderColor(TColor value) {
  FBorderColor = value;
  Invalidate();
}

void TFlatSplitter::SetMinSize(int value) { FMinSize = Max(value, 1); }

void TFlatSplitter::SetUseAdvColors(bool value) {
  if (value == FUseAdvColors) return;
  FUseAdvColors = value;
  CalcAdvancedColors();
  Invalidate();
}

void TFlatSplitter::SetAdvColorBorder(int value) {
  FAdvColorBorder = ClampAdvColors(value);
  CalcAdvancedColors();
  Invalidate();
}

void TFlatSplitter::SetAdvColorFocused(int value) {
  FAdvColorFocused = ClampAdvColors(value);
  CalcAdvancedColors();
  Invalidate();
}

void TFlatSplitter::CalcAdvancedColors() {
  if (!FUseAdvColors) return;
  FBorderColor = CalcAdvancedColor(GetColor(), FBorderColor, FAdvColorBorder, darken);
  FFocusedColor = CalcAdvancedColor(GetColor(), FFocusedColor, FAdvColorFocused, darken);
}

// ---- Painting and hover ----------------------------------------------------------------------------

void TFlatSplitter::Paint() {
  TCanvas* canvas = GetCanvas();
  const TRect r = GetClientRect();
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(FMouseOutside ? GetColor() : FFocusedColor);
  canvas->FillRect(r);
  canvas->GetBrush()->SetColor(FBorderColor);
  canvas->FrameRect(r);
}

void TFlatSplitter::MouseEnter() {
  FMouseOutside = false;
  Invalidate();
  inherited::MouseEnter();
}

void TFlatSplitter::MouseLeave() {
  FMouseOutside = true;
  Invalidate();
  inherited::MouseLeave();
}

// ---- Sizing ------------------------------------------------------------------------------------------

bool TFlatSplitter::Vertical() const { return GetAlign() == alTop || GetAlign() == alBottom; }

TControl* TFlatSplitter::FindSizedControl() {
  TWinControl* parent = GetParent();
  if (!parent) return nullptr;
  TPoint p;
  switch (GetAlign()) {
    case alTop: p = Point(GetLeft(), GetTop() - 1); break;
    case alBottom: p = Point(GetLeft(), GetTop() + GetHeight()); break;
    case alLeft: p = Point(GetLeft() - 1, GetTop()); break;
    case alRight: p = Point(GetLeft() + GetWidth(), GetTop()); break;
    default: return nullptr;
  }
  for (int i = 0; i < parent->GetControlCount(); ++i) {
    TControl* control = parent->GetControls(i);
    if (control == this || !control->GetVisible()) continue;
    if (PtInRect(control->GetBoundsRect(), p)) return control;
  }
  return nullptr;
}

int TFlatSplitter::ComputeMaxSize() {
  TWinControl* parent = GetParent();
  const bool vertical = Vertical();
  int size = (vertical ? parent->GetClientHeight() : parent->GetClientWidth()) - FMinSize;
  for (int i = 0; i < parent->GetControlCount(); ++i) {
    TControl* control = parent->GetControls(i);
    if (!control->GetVisible()) continue;
    const TAlign align = control->GetAlign();
    const bool sameAxis = vertical ? (align == alTop || align == alBottom)
                                   : (align == alLeft || align == alRight);
    if (sameAxis) size -= vertical ? control->GetHeight() : control->GetWidth();
  }
  return size + (vertical ? FControl->GetHeight() : FControl->GetWidth());
}

void TFlatSplitter::CalcSplitSize(int x, int y) {
  FSplit = Vertical() ? y - FDownPos.Y : x - FDownPos.X;
  const int size = Vertical() ? FControl->GetHeight() : FControl->GetWidth();
  const bool grows = GetAlign() == alTop || GetAlign() == alLeft;  // moving on grows it
  FNewSize = grows ? size + FSplit : size - FSplit;
  int correction = 0;
  if (FNewSize < FMinSize) correction = FMinSize - FNewSize;
  else if (FNewSize > FMaxSize) correction = FMaxSize - FNewSize;
  FNewSize += correction;
  FSplit += grows ? correction : -correction;
}

void TFlatSplitter::DrawLine() {
  if (!FLineDC) return;
  FLineVisible = !FLineVisible;
  const int x = GetLeft() + (Vertical() ? 0 : FSplit);
  const int y = GetTop() + (Vertical() ? FSplit : 0);
  const HGDIOBJ old = ::SelectObject(FLineDC, ::GetStockObject(GRAY_BRUSH));
  ::PatBlt(FLineDC, x, y, GetWidth(), GetHeight(), PATINVERT);
  ::SelectObject(FLineDC, old);
}

void TFlatSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseDown(button, shift, x, y);
  if (button != mbLeft || GetSizing() || !GetParent()) return;
  TControl* control = FindSizedControl();
  if (!control) return;
  FControl = control;
  FMaxSize = ComputeMaxSize();
  if (FMaxSize < FMinSize) {  // no room to size within the limits: do not start
    FControl = nullptr;
    return;
  }
  FDownPos = Point(x, y);
  CalcSplitSize(x, y);
  const HWND parent = GetParent()->GetHandle();
  FLineDC = ::GetDCEx(parent, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
  InstallSizingHooks(this, parent);
  DrawLine();
}

void TFlatSplitter::MouseMove(TShiftState shift, int x, int y) {
  inherited::MouseMove(shift, x, y);
  if (!GetSizing()) return;
  if (FLineVisible) DrawLine();
  CalcSplitSize(x, y);
  DrawLine();
}

void TFlatSplitter::StopSizing() {
  if (FLineVisible) DrawLine();
  FLineVisible = false;
  if (FLineDC && GetParent() && GetParent()->HandleAllocated())
    ::ReleaseDC(GetParent()->GetHandle(), FLineDC);
  FLineDC = nullptr;
  FControl = nullptr;
  if (gSizing == this) RemoveSizingHooks();
}

void TFlatSplitter::CancelSizing() {
  if (GetSizing()) StopSizing();
}

void TFlatSplitter::FinishSizing(int x, int y) {
  CalcSplitSize(x, y);
  TControl* control = FControl;
  const int size = FNewSize;
  StopSizing();
  switch (GetAlign()) {
    case alTop: control->SetHeight(size); break;
    case alBottom: {
      TWinControl* parent = GetParent();
      parent->DisableAlign();
      try {
        control->SetBounds(control->GetLeft(), control->GetTop() + control->GetHeight() - size,
                           control->GetWidth(), size);
      } catch (...) {
        parent->EnableAlign();
        throw;
      }
      parent->EnableAlign();
      break;
    }
    case alLeft: control->SetWidth(size); break;
    case alRight:
      control->SetBounds(control->GetLeft() + control->GetWidth() - size, control->GetTop(), size,
                         control->GetHeight());
      break;
    default: break;
  }
  if (FOnMoved) FOnMoved(this);
}

void TFlatSplitter::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONUP:
      // Before the capture is let go, which would otherwise end the drag unapplied.
      if (GetSizing()) {
        const TPoint at(static_cast<short>(LOWORD(message.LParam)),
                        static_cast<short>(HIWORD(message.LParam)));
        FinishSizing(at.X, at.Y);
      }
      break;
    case WM_CANCELMODE:
      CancelSizing();
      break;
    case CM_PARENTCOLORCHANGED:
    case CM_SYSCOLORCHANGE:
    case CM_COLORCHANGED:
      inherited::Dispatch(message);
      CalcAdvancedColors();
      Invalidate();
      return;
    default:
      break;
  }
  inherited::Dispatch(message);
}
