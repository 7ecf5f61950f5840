// Text measured in a font without a window: the tab control and the status bar size their
// parts before they have a window, and measuring must not create one.
#pragma once
#include "classlib/graphics/GraphicsObjects.h"
#include "classlib/graphics/Types.h"
#include "classlib/system/SysString.h"

// The extent of text in font on a memory device context (DrawTextW with DT_CALCRECT and
// DT_SINGLELINE, so that it matches what the controls draw). (0, 0) without a font or text.
// Main thread only.
TSize MeasureTextExtent(TFont* font, const String& text);
