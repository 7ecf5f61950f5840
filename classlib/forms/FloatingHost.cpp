#include "FloatingHost.h"

TFloatingHost::TFloatingHost(TComponent* owner) : TCustomForm(owner) {
  SetBorderIcons(TBorderIcons{});
}

void TFloatingHost::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  params.ExStyle |= WS_EX_TOOLWINDOW;
}

void TFloatingHost::MoveClientTo(const TPoint& screen) {
  RECT frame{0, 0, 0, 0};
  ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongW(GetHandle(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongW(GetHandle(), GWL_EXSTYLE)));
  SetBounds(screen.X + frame.left, screen.Y + frame.top, GetWidth(), GetHeight());
}

void TFloatingHost::Hold(TControl* control, const TRect& screenRect) {
  FHeld = control;
  HandleNeeded();
  control->SetAlign(alNone);
  control->SetParent(this);
  control->SetBounds(0, 0, screenRect.Width(), screenRect.Height());
  SetClientWidth(screenRect.Width());
  SetClientHeight(screenRect.Height());
  MoveClientTo(screenRect.TopLeft());
  Show();
}

void TFloatingHost::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_NCLBUTTONDOWN:
      // The caption drags the control, not the window: a dock site may take it back.
      if (message.WParam == HTCAPTION && FHeld) {
        FHeld->BeginDrag(false);
        message.Result = 0;
        return;
      }
      break;
    case CM_CONTROLCHANGE:
      inherited::Dispatch(message);
      if (!message.LParam && reinterpret_cast<TControl*>(message.WParam) == FHeld &&
          !GetComponentState().Contains(csDestroying)) {
        FHeld = nullptr;
        Hide();
        Release();
      }
      return;
  }
  inherited::Dispatch(message);
}

void FloatControl(TControl* control, const TRect& screenRect) {
  if (!control) return;
  if (auto* host = dynamic_cast<TFloatingHost*>(control->GetParent())) {
    const TPoint now = control->ClientToScreen(TPoint(0, 0));
    host->SetBounds(host->GetLeft() + screenRect.Left - now.X, host->GetTop() + screenRect.Top - now.Y,
                    host->GetWidth(), host->GetHeight());
    return;
  }
  auto* host = new TFloatingHost(Application);
  host->Hold(control, screenRect);
}
