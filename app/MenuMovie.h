// The menu movie: the file the main window's menu player plays, pic\main.swf under the
// program directory, in the player's own format (classlib/standins/MenuMovie.h).
#pragma once
#include "classlib/system/SysString.h"

// The menu movie relative to the program directory.
inline constexpr wchar_t kMenuMovieFile[] = L"pic\\main.swf";

// True when fileName is a menu movie the player can play: it exists, can be read, and is
// whole and well-formed throughout (not only its signature).
bool IsMenuMovieFile(const String& fileName);
