// THintWindow: a popup with the tooltip colours that shows a hint's text wrapped in its
// rectangle, placed by the application and never activated.
#include "HintWindow.h"
#include "Forms.h"

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
  SetColor(clInfoBk);
  if (Screen) GetCanvas()->SetFont(Screen->GetHintFont());
  GetCanvas()->GetBrush()->SetStyle(bsClear);
}

void THintWindow::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style = WS_POPUP | WS_BORDER;
  // A layered transparent window is passed over by the system's hit-testing: a press on the
  // hint goes to the window below it (which ends the hint), and no system leaves it to the
  // hint window to hand it on.
  params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TRANSPARENT;
  params.WndParent = nullptr;
  params.WindowClass.style |= CS_SAVEBITS;
}

void THintWindow::CreateWnd() {
  inherited::CreateWnd();
  // Fully opaque: a layered window shows nothing until it is given its opacity.
  ::SetLayeredWindowAttributes(GetHandle(), 0, 255, LWA_ALPHA);
}

void THintWindow::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_NCHITTEST: message.Result = HTTRANSPARENT; break;
    case WM_MOUSEACTIVATE: message.Result = MA_NOACTIVATE; break;
    default: inherited::Dispatch(message); break;
  }
}

namespace {

// Blank pixels between the window's one-pixel border and the text, on every side.
constexpr int kTextMargin = 2;
constexpr int kBorder = 1;

}  // namespace

void THintWindow::Paint() {
  TRect r = GetClientRect();
  InflateRect(r, -kTextMargin, -kTextMargin);
  TCanvas* canvas = GetCanvas();
  canvas->GetFont()->SetColor(clInfoText);
  HDC dc = canvas->GetHandle();
  ::SetBkMode(dc, TRANSPARENT);
  RECT rect = r;
  const String text = GetCaption();
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_LEFT | DT_NOPREFIX | DT_WORDBREAK | DrawTextBiDiModeFlagsReadingOnly());
}

TRect THintWindow::CalcHintRect(int maxWidth, const String& hint, void*) {
  RECT r{0, 0, maxWidth, 0};
  HDC dc = GetCanvas()->GetHandle();
  ::DrawTextW(dc, hint.c_str(), static_cast<int>(hint.size()), &r,
              DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX |
                  DrawTextBiDiModeFlagsReadingOnly());
  // The text, its margins and the border on both sides.
  r.right += 2 * (kTextMargin + kBorder);
  r.bottom += 2 * (kTextMargin + kBorder);
  return r;
}

void THintWindow::ActivateHintData(const TRect& rect, const String& hint, void*) {
  ActivateHint(rect, hint);
}

void THintWindow::ActivateHint(const TRect& rect, const String& hint) {
  SetCaption(hint);
  const int width = rect.Width();
  const int height = rect.Height();
  int left = rect.Left;
  int top = rect.Top;
  if (Screen) {
    // Kept on the desktop.
    const int right = Screen->GetDesktopLeft() + Screen->GetDesktopWidth();
    const int bottom = Screen->GetDesktopTop() + Screen->GetDesktopHeight();
    if (top + height > bottom) top = bottom - height;
    if (left + width > right) left = right - width;
    if (left < Screen->GetDesktopLeft()) left = Screen->GetDesktopLeft();
    if (top < Screen->GetDesktopTop()) top = Screen->GetDesktopTop();
  }
  UpdateBoundsRect(Bounds(left, top, width, height));
  ::SetWindowPos(GetHandle(), HWND_TOPMOST, left, top, width, height,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
}

bool THintWindow::IsHintMsg(const MSG& msg) {
  const UINT m = msg.message;
  return (m >= WM_KEYFIRST && m <= WM_KEYLAST) || m == CM_ACTIVATE || m == CM_DEACTIVATE ||
         m == CM_APPKEYDOWN || m == CM_APPSYSCOMMAND || m == WM_COMMAND ||
         (m > WM_MOUSEMOVE && m <= WM_MOUSELAST) || m == WM_NCMOUSEMOVE;
}

void THintWindow::ReleaseHandle() { DestroyHandle(); }
