#include "Panels.h"

#include "../system/SysMath.h"

// ---- Frame geometry ----------------------------------------------------------------------------

int PanelFrameWidth(TPanelBevel outer, TPanelBevel inner, int bevelWidth, int borderWidth) {
  const int bevel = Max(bevelWidth, 0);
  int width = Max(borderWidth, 0);
  if (outer != bvNone) width += bevel;
  if (inner != bvNone) width += bevel;
  return width;
}

TBevelColors BevelColors(TPanelBevel bevel) {
  if (bevel == bvLowered) return {clBtnShadow, clBtnHighlight};
  return {clBtnHighlight, clBtnShadow};
}

TRect PanelCaptionRect(const TRect& inside, int fontHeight) {
  TRect band = inside;
  band.Top = Div(inside.Top + inside.Bottom - fontHeight, 2);
  band.Bottom = band.Top + fontHeight;
  return band;
}

UINT AlignmentDrawTextFlag(TAlignment alignment) {
  switch (alignment) {
    case taLeftJustify: return DT_LEFT;
    case taRightJustify: return DT_RIGHT;
    default: return DT_CENTER;
  }
}

// ---- TCustomPanel ------------------------------------------------------------------------------

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                csOpaque, csDoubleClicks, csReplicatable});
  SetBounds(GetLeft(), GetTop(), 185, 41);
  SetColor(clBtnFace);
}

void TCustomPanel::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Invalidate();
}

// A new frame is announced as CM_BORDERCHANGED, so that a panel of a derived kind can lay its
// children out again; the panel itself realigns and repaints.
void TCustomPanel::SetBevelInner(TPanelBevel value) {
  if (value == FBevelInner) return;
  FBevelInner = value;
  Perform(CM_BORDERCHANGED, 0, 0);
}

void TCustomPanel::SetBevelOuter(TPanelBevel value) {
  if (value == FBevelOuter) return;
  FBevelOuter = value;
  Perform(CM_BORDERCHANGED, 0, 0);
}

void TCustomPanel::SetBevelWidth(int value) {
  value = Max(value, 1);
  if (value == FBevelWidth) return;
  FBevelWidth = value;
  Perform(CM_BORDERCHANGED, 0, 0);
}

void TCustomPanel::SetBorderWidth(int value) {
  value = Max(value, 0);
  if (value == FBorderWidth) return;
  FBorderWidth = value;
  Perform(CM_BORDERCHANGED, 0, 0);
}

void TCustomPanel::SetBorderStyle(TBorderStyle value) {
  if ((value != bsNone && value != bsSingle) || value == FBorderStyle) return;
  FBorderStyle = value;
  RecreateWnd();
}

void TCustomPanel::FrameChanged() {
  Realign();
  Invalidate();
}

void TCustomPanel::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  if (FBorderStyle == bsSingle) {
    if (GetCtl3D())
      params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      params.Style |= WS_BORDER;
  }
  // The panel repaints what a resize needs itself (WMWindowPosChanged).
  params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomPanel::AdjustClientRect(TRect& rect) {
  inherited::AdjustClientRect(rect);
  const int frame = PanelFrameWidth(FBevelOuter, FBevelInner, FBevelWidth, FBorderWidth);
  InflateRect(rect, -frame, -frame);
}

void TCustomPanel::Paint() {
  TCanvas* canvas = GetCanvas();
  TRect rect = GetClientRect();
  if (FBevelOuter != bvNone) {
    const TBevelColors colors = BevelColors(FBevelOuter);
    Frame3D(canvas, rect, colors.Top, colors.Bottom, FBevelWidth);
  }
  Frame3D(canvas, rect, GetColor(), GetColor(), FBorderWidth);
  if (FBevelInner != bvNone) {
    const TBevelColors colors = BevelColors(FBevelInner);
    Frame3D(canvas, rect, colors.Top, colors.Bottom, FBevelWidth);
  }
  canvas->GetBrush()->SetColor(GetColor());
  canvas->FillRect(rect);

  const String caption = GetCaption();
  if (caption.empty()) return;
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->SetFont(GetFont());
  RECT band = PanelCaptionRect(rect, canvas->TextHeight(L"W"));
  const UINT flags = DrawTextBiDiModeFlags(DT_EXPANDTABS | DT_VCENTER |
                                           AlignmentDrawTextFlag(FAlignment));
  ::DrawTextW(canvas->GetHandle(), caption.c_str(), -1, &band, flags);
}

void TCustomPanel::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_BORDERCHANGED: CMBorderChanged(message); break;
    case CM_ISTOOLCONTROL: CMIsToolControl(message); break;
    default: inherited::Dispatch(message);
  }
}

void TCustomPanel::CMTextChanged(TMessage& message) {
  inherited::CMTextChanged(message);
  Invalidate();
}

void TCustomPanel::CMCtl3DChanged(TMessage& message) {
  if (FBorderStyle == bsSingle) RecreateWnd();
  inherited::CMCtl3DChanged(message);
}

void TCustomPanel::CMBorderChanged(TMessage& message) {
  FrameChanged();
}

void TCustomPanel::CMIsToolControl(TMessage& message) {
  message.Result = FLocked ? 0 : 1;
}

// Without FullRepaint and caption only the strips of the frame along the right and bottom
// edges need painting again after a resize: the rest of the panel is its plain colour.
void TCustomPanel::WMWindowPosChanged(TMessage& message) {
  const WINDOWPOS* pos = TWMWindowPosMsg(message).GetWindowPos();
  if (HandleAllocated() && pos && !(pos->flags & SWP_NOSIZE)) {
    if (FFullRepaint || !GetCaption().empty()) {
      Invalidate();
    } else if (const int frame =
                   PanelFrameWidth(FBevelOuter, FBevelInner, FBevelWidth, FBorderWidth);
               frame > 0) {
      // The window has its new client area already; the bounds are still the old ones.
      RECT client{};
      ::GetClientRect(GetHandle(), &client);
      const int oldRight = GetWidth() - (pos->cx - client.right);
      const int oldBottom = GetHeight() - (pos->cy - client.bottom);
      if (oldRight != client.right) {
        const RECT strip{Min(oldRight, static_cast<int>(client.right)) - frame - 1, 0,
                         Max(oldRight, static_cast<int>(client.right)), client.bottom};
        ::InvalidateRect(GetHandle(), &strip, TRUE);
      }
      if (oldBottom != client.bottom) {
        const RECT strip{0, Min(oldBottom, static_cast<int>(client.bottom)) - frame - 1,
                         client.right, Max(oldBottom, static_cast<int>(client.bottom))};
        ::InvalidateRect(GetHandle(), &strip, TRUE);
      }
    }
  }
  inherited::WMWindowPosChanged(message);
}
