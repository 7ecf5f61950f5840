// What the owner-drawn menus share: the system's menu font and item size, the submenu arrow
// glyph, the registry of the classes that hold item trees (menu bars, popup menus) and the
// hidden window that runs item clicks after every menu window has gone.
#pragma once
#include <functional>

#include "classlib/classes/Component.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/GraphicsObjects.h"

class TSeCustomItem;

// The system's menu font (read once); owned by the library.
TFont* MenuFont();
// The system's menu item width and height, each at least 20.
TSize MenuMetrics();
// The submenu arrow in colour with its top-left corner at (x, y) (20 x 20 pixels).
void DrawSubmenuArrow(TCanvas* canvas, int x, int y, TColor color);
// The system's submenu arrow drawn over the whole of area (a scratch bitmap of its size), its
// black pixels set on the canvas in color.
void DrawSubmenuArrowOver(TCanvas* canvas, const TRect& area, TColor color);

// ---- Classes that hold item trees ------------------------------------------------------------
// Appends item to the tree of container (a menu bar, a popup menu).
using TSeAddItemProc = std::function<void(TComponent* container, TSeCustomItem* item)>;

// A container class registers itself while instances of it exist (counted).
void RegisterMenuClass(const TClassInfo* containerClass, TSeAddItemProc addItem);
// Drops one count; the entry goes at zero. An unlisted class does nothing.
void UnregisterMenuClass(const TClassInfo* containerClass);
// Adds item to container through the latest registered class container inherits from;
// false when no registered class fits.
bool AddItemToMenuContainer(TComponent* container, TSeCustomItem* item);

// ---- Deferred clicks -----------------------------------------------------------------------------
// Message posted to the click window: lParam names the item by its serial number (a weak
// reference: an item freed before the message arrives is not clicked).
inline constexpr UINT SE_ITEMCLICK = 2234;
// The window that runs deferred clicks; made on first use, destroyed with the application.
HWND DeferredClickWindow();
// Whether the click window exists (items click at once without it).
bool DeferredClickWindowExists();
