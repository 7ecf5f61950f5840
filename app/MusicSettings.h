// Opens the settings window on its music page (defined in Uconfig.cpp), for windows whose own
// headers cannot include
// the settings window's (its menus and the rich-text view name the same alignment constant).
#pragma once

class TComponent;

// Shows the settings window modally in ConfigMode 0, owned by owner, and frees it.
void ShowMusicSettings(TComponent* owner);
