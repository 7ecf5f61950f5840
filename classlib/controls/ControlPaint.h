// Painting steps shared by the controls that draw themselves on a canvas (TGraphicControl,
// TCustomControl) and by the controls of higher layers that do the same (forms).
#pragma once
#include <functional>
#include "../graphics/Canvas.h"
#include "Controls.h"

// Runs paint with canvas drawing on the paint DC dc. A window DC the canvas holds is given
// back first (it is not the one to paint on); the canvas is locked while paint runs and is
// left unlocked and without a DC afterwards, also when paint throws.
void PaintOnCanvas(TControlCanvas& canvas, HDC dc, const std::function<void()>& paint);

// Runs paint with csCustomPaint in control's state, so that a windowed control paints
// itself even without children; the flag is taken out again afterwards, also when paint
// throws.
void PaintWithCustomPaint(TControl& control, const std::function<void()>& paint);
