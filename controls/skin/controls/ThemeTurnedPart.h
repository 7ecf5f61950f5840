// Theme parts that exist only facing one way (a tab that opens toward a body below it) drawn
// facing another: the part is drawn upright by the theme library on a copy of what lies under
// the target, turned into place pixel by pixel and copied out.
#pragma once
#include "classlib/stdctrls/PageControls.h"
#include "controls/skin/engine/ThemeBinding.h"

// Where the drawn part's open side (the bottom of the upright drawing) goes: tpTop leaves it
// as the library draws it, tpBottom flips it upside down, tpLeft and tpRight turn it a quarter
// so that its open side faces right or left; the edge that is left in the upright drawing
// becomes the top edge. False (nothing drawn) when the theme does not draw the part. With
// kept, the upright part is drawn from (and kept in) those kept parts.
bool DrawTurnedThemePart(const TThemeScope& theme, HDC dc, int part, int state, const RECT& r,
                         TTabPosition side, TThemePartCache* kept = nullptr);

// The point of the upright drawing (of the size the turned part needs) that lands on point
// (x, y) of a w × h target.
POINT UprightPointOf(TTabPosition side, int x, int y, int w, int h);
