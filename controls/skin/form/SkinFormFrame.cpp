#include "SkinFormFrame.h"

#include <cstdlib>

#include "classlib/classes/Properties.h"

namespace {
const wchar_t* const BorderStyleNames[] = {L"vbsNone", L"vbsStandard", L"vbsToolWindow"};
const wchar_t* const WindowStateNames[] = {L"vwsNormal", L"vwsMaximized", L"vwsMinimized",
                                           L"vwsRollup", L"vwsTray"};
const wchar_t* const PerformanceNames[] = {L"vxfpNoBuffer", L"vxfpSharedBuffer",
                                           L"vxfpPersistentBuffer", L"vxfpDoubleBuffer"};

// Corners are this long along each edge.
constexpr int CornerLength = 20;

}  // namespace

TSeButtonRects FrameButtonRects(const TSeFrameLayout& layout) {
  TSeButtonRects row;
  if (layout.BorderStyle == vbsNone) return row;
  const TRect band = FrameCaptionBand(layout);
  const int h = band.Height();
  if (h <= 4) return row;
  const auto has = [&](TSeBorderIcon icon) { return layout.BorderIcons.Contains(icon); };
  if (has(vbiSystemMenu)) row[vbiSystemMenu] = TRect(band.Left, band.Top, band.Left + h, band.Bottom);
  const int width = layout.Themed ? h - 4 : h - 2;
  const int height = h - 4;
  const int top = (layout.Themed ? band.Top - 1 : band.Top) + 2;
  const int gap = layout.Themed ? 2 : 0;  // themed buttons stand apart
  int x = band.Right - 2 - width;
  if (layout.Themed && layout.BorderStyle == vbsToolWindow) x += 2;
  const auto place = [&](TSeBorderIcon icon, int left) {
    row[icon] = Bounds(left, top, width, height);
  };
  if (has(vbiClose)) {
    place(vbiClose, x);
    x -= width + 2;
  }
  if (layout.BorderStyle == vbsToolWindow) {
    row[vbiSystemMenu] = TRect();
    return row;
  }
  const bool minimized = layout.State == vwsMinimized;
  if (has(vbiMaximize) && !minimized) {
    place(vbiMaximize, x);
    x -= width + gap;
  }
  if (has(vbiMinimize)) {
    place(vbiMinimize, x);
    x -= width + gap;
  }
  // Themed frames have no roll-up or tray button: the theme has no part for them.
  if (has(vbiRollup) && !minimized && !layout.Themed) {
    x -= 2;
    place(vbiRollup, x);
    x -= width;
  }
  if (has(vbiTray) && !minimized && !layout.Themed) {
    place(vbiTray, x);
    x -= width;
  }
  const bool helpShown = layout.State == vwsNormal || layout.State == vwsMaximized ||
                         layout.State == vwsTray;
  if (has(vbiHelp) && helpShown) place(vbiHelp, x - 2);
  return row;
}

const TEnumInfo SeBorderStyleIdents = MakeEnumInfo(BorderStyleNames);
const TEnumInfo SeWindowStateIdents = MakeEnumInfo(WindowStateNames);
const TEnumInfo SeFormPerformanceIdents = MakeEnumInfo(PerformanceNames);

TSeFrameMetrics SystemFrameMetrics() {
  TSeFrameMetrics m;
  m.Frame = ::GetSystemMetrics(SM_CXFRAME);
  m.Caption = ::GetSystemMetrics(SM_CYCAPTION);
  m.SmallCaption = ::GetSystemMetrics(SM_CYSMCAPTION);
  return m;
}

TRect FrameClientRect(const TSeFrameLayout& layout) {
  if (layout.Client) return *layout.Client;
  TRect r(0, 0, layout.Width, layout.Height);
  if (layout.MaximizedMDIChild && layout.State == vwsMaximized) return r;
  if (layout.BorderStyle == vbsNone) return r;
  InflateRect(r, -layout.Metrics.Frame, -layout.Metrics.Frame);
  r.Top += FrameCaptionHeight(layout);
  return r;
}

int FrameCaptionHeight(const TSeFrameLayout& layout) {
  switch (layout.BorderStyle) {
    case vbsStandard: return layout.Metrics.Caption;
    case vbsToolWindow: return layout.Metrics.SmallCaption;
    default: return 0;
  }
}

TRect FrameCaptionBand(const TSeFrameLayout& layout) {
  const TRect c = FrameClientRect(layout);
  TRect band(c.Left, layout.Metrics.Frame + 1, c.Right, c.Top);
  return IsRectEmpty(band) ? TRect() : band;
}

TRect FrameButtonRect(const TSeFrameLayout& layout, TSeBorderIcon icon) {
  if (icon < vbiClose || icon > vbiTray) return TRect();
  return FrameButtonRects(layout)[icon];
}

TSeFrameZone FrameHitTest(const TSeFrameLayout& layout, TPoint p, const TSeButtonRects& buttons,
                          const TRect& grip) {
  const TRect c = FrameClientRect(layout);
  const int w = layout.Width, h = layout.Height, x = p.X, y = p.Y;
  TSeFrameZone zone = fzNone;
  if (y < c.Top && x < w) zone = fzCaption;
  static constexpr struct {
    TSeBorderIcon Icon;
    TSeFrameZone Zone;
  } zones[] = {{vbiSystemMenu, fzSystemMenu}, {vbiClose, fzClose},   {vbiMinimize, fzMinimize},
               {vbiMaximize, fzMaximize},     {vbiHelp, fzHelp},     {vbiRollup, fzRollup},
               {vbiTray, fzTray}};
  for (const auto& b : zones)
    if (PtInRect(buttons[b.Icon], p)) zone = b.Zone;
  if (layout.State != vwsNormal && layout.State != vwsTray) return zone;
  const int top = c.Top - FrameCaptionHeight(layout);
  const auto along = [](int v, int length, TSeFrameZone low, TSeFrameZone mid, TSeFrameZone high) {
    return v < CornerLength ? low : v <= length - CornerLength ? mid : high;
  };
  if (y < top) zone = along(x, w, fzTopLeft, fzTop, fzTopRight);
  // The right and bottom frame strips start at the client's right and bottom, which lie
  // outside the client.
  if (c.Bottom <= y && y < h) zone = along(x, w, fzBottomLeft, fzBottom, fzBottomRight);
  if (x < c.Left) zone = along(y, h, fzTopLeft, fzLeft, fzBottomLeft);
  if (c.Right <= x && x < w) zone = along(y, h, fzTopRight, fzRight, fzBottomRight);
  if (PtInRect(grip, p)) zone = fzBottomRight;
  return zone;
}

bool FrameZoneSizes(TSeFrameZone zone) {
  return zone >= fzLeft && zone <= fzBottomRight && zone != fzBorder;
}

LRESULT FrameZoneHitCode(TSeFrameZone zone, bool moveable, bool sizeable, bool maximized) {
  static constexpr LRESULT sizing[] = {HTLEFT, HTTOP, HTRIGHT, HTBOTTOM, HTBORDER,
                                       HTTOPLEFT, HTTOPRIGHT, HTBOTTOMLEFT, HTBOTTOMRIGHT};
  switch (zone) {
    case fzCaption: return moveable ? HTCAPTION : HTCLIENT;
    case fzBorder: return HTBORDER;
    case fzClose: return HTCLOSE;
    case fzHelp: return HTHELP;
    case fzMaximize: return HTMAXBUTTON;
    case fzMinimize:
    case fzRollup:
    case fzTray:
    case fzSystemMenu:
    case fzNoHot: return HTMINBUTTON;
    default:
      if (FrameZoneSizes(zone)) return sizeable && !maximized ? sizing[zone - fzLeft] : HTCLIENT;
      return HTCLIENT;
  }
}

TRect SnapToWorkArea(TRect r, const TRect& workArea, int size, int shadow) {
  const int right = r.Right - shadow, bottom = r.Bottom - shadow;
  if (std::abs(r.Left - workArea.Left) < size)
    OffsetRect(r, workArea.Left - r.Left, 0);
  else if (std::abs(right - workArea.Right) < size)
    OffsetRect(r, workArea.Right - right, 0);
  if (std::abs(r.Top - workArea.Top) < size)
    OffsetRect(r, 0, workArea.Top - r.Top);
  else if (std::abs(bottom - workArea.Bottom) < size)
    OffsetRect(r, 0, workArea.Bottom - bottom);
  return r;
}

TRect FrameDragRect(const TRect& bounds, const TSeFrameDrag& drag, TPoint p) {
  TRect r = bounds;
  if (drag.Zone == fzCaption) {
    if (drag.Moveable && drag.State != vwsMaximized)
      OffsetRect(r, p.X - drag.Press.X, p.Y - drag.Press.Y);
    return r;
  }
  if (!FrameZoneSizes(drag.Zone) || !drag.Sizeable) return r;
  if (drag.State != vwsNormal && drag.State != vwsTray) return r;
  // The left and top edges move the window's origin, so the mouse comes back to the press
  // point; the right and bottom ones do not, so a full drag steps from the last point.
  const TPoint ref = drag.Outline ? drag.Press : drag.Last;
  const TSeFrameZone z = drag.Zone;
  const bool left = z == fzLeft || z == fzTopLeft || z == fzBottomLeft;
  const bool top = z == fzTop || z == fzTopLeft || z == fzTopRight;
  const bool right = z == fzRight || z == fzTopRight || z == fzBottomRight;
  const bool bottom = z == fzBottom || z == fzBottomLeft || z == fzBottomRight;
  if (left) {
    r.Left += p.X - drag.Press.X;
    if (r.Left > r.Right - drag.MinTrack.cx) r.Left = r.Right - drag.MinTrack.cx;
  }
  if (top) {
    r.Top += p.Y - drag.Press.Y;
    if (r.Top > r.Bottom - drag.MinTrack.cy) r.Top = r.Bottom - drag.MinTrack.cy;
  }
  if (right) r.Right += p.X - ref.X;
  if (bottom) r.Bottom += p.Y - ref.Y;
  return r;
}

TRect FrameRollupRect(const TSeFrameLayout& layout, int left, int top) {
  const TRect c = FrameClientRect(layout);
  return Bounds(left, top, layout.Width, c.Top + layout.Height - c.Bottom);
}

TRect FrameMinimizedRect(const TSeFrameLayout& layout, int minimizedWidth, const TRect& workArea) {
  const TRect rolled = FrameRollupRect(layout, 0, 0);
  // At the work area's left, not at x 0, which may lie under a bar on the left.
  return TRect(workArea.Left, workArea.Bottom - rolled.Height(), workArea.Left + minimizedWidth,
               workArea.Bottom);
}

TRect FrameMaximizedRect(const TSeFrameLayout& layout, const TRect& area) {
  TRect r = area;
  const int frame = FrameClientRect(layout).Left;
  InflateRect(r, frame, frame);
  return r;
}
