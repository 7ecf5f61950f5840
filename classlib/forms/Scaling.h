// Scaling of controls from the resolution they were laid out at to the screen's.
#pragma once
#include "../controls/Controls.h"

// Scales a control's bounds, constraints and (own) font by m / d; children first.
void ScaleControl(TControl* control, int m, int d);
