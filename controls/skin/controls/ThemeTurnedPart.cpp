#include "ThemeTurnedPart.h"

#include "controls/skin/engine/SkinBitmap.h"

POINT UprightPointOf(TTabPosition side, int x, int y, int w, int h) {
  switch (side) {
    case tpBottom: return {x, h - 1 - y};
    case tpLeft: return {y, x};              // outer edge left, open side right
    case tpRight: return {y, w - 1 - x};     // outer edge right, open side left
    default: return {x, y};
  }
}

bool DrawTurnedThemePart(const TThemeScope& theme, HDC dc, int part, int state, const RECT& r,
                         TTabPosition side, TThemePartCache* kept) {
  const auto draw = [&](HDC target, const RECT& where) {
    return kept ? kept->Draw(theme, target, part, state, where)
                : theme.DrawBackground(target, part, state, where);
  };
  if (side == tpTop) return draw(dc, r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (!theme || w <= 0 || h <= 0) return false;
  const bool across = side == tpLeft || side == tpRight;
  const int uw = across ? h : w, uh = across ? w : h;
  TSeBitmap target, upright;
  try {
    target.SetSize(w, h);
    upright.SetSize(uw, uh);
  } catch (const Exception&) {
    return false;  // no room for the copies: the caller draws classically
  }
  // What lies under the target, turned upright, so that transparent pixels show it.
  ::BitBlt(target.GetDC(), 0, 0, w, h, dc, r.left, r.top, SRCCOPY);
  ::GdiFlush();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const POINT p = UprightPointOf(side, x, y, w, h);
      *upright.PixelPtr(p.x, p.y) = *target.PixelPtr(x, y);
    }
  if (!draw(upright.GetDC(), RECT{0, 0, uw, uh})) return false;
  ::GdiFlush();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const POINT p = UprightPointOf(side, x, y, w, h);
      *target.PixelPtr(x, y) = *upright.PixelPtr(p.x, p.y);
    }
  return ::BitBlt(dc, r.left, r.top, w, h, target.GetDC(), 0, 0, SRCCOPY) != FALSE;
}
