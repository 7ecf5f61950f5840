// Keyboard shortcuts of menu items and actions. A shortcut is a virtual-key code in the low
// byte with the modifier keys in the top bits; menus show it as text such as "Ctrl+S",
// "Shift+F5" or "Alt+BkSp", and stored layouts may give it as that text.
#pragma once
#include <cstdint>
#include "../system/SysString.h"
#include "../system/Win.h"
#include "Controls.h"  // TShiftState

using TShortCut = uint16_t;

inline constexpr TShortCut scNone = 0;
inline constexpr TShortCut scShift = 0x2000;  // a Shift key is down
inline constexpr TShortCut scCtrl = 0x4000;   // a Ctrl key is down
inline constexpr TShortCut scAlt = 0x8000;    // an Alt key is down

// The shortcut of key with the Shift, Ctrl and Alt members of shift (the mouse and double
// click members are ignored). A key above 0xFF has no shortcut: scNone.
TShortCut ShortCut(WORD key, TShiftState shift);
// Splits a shortcut into its key and its Shift, Ctrl and Alt members.
void ShortCutToKey(TShortCut shortCut, WORD& key, TShiftState& shift);
// The text of a shortcut: the modifiers "Shift+", "Ctrl+", "Alt+" in that order, then the
// key's name ("A", "5", "F12", "Enter", "PgDn", ...). Keys without a name of their own are
// named by the keyboard driver; a key with no name at all gives "".
String ShortCutToText(TShortCut shortCut);
// The shortcut a text names, without regard to case; "^" stands for "Ctrl+". Text that names
// no key gives scNone.
TShortCut TextToShortCut(const String& text);
