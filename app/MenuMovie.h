// The menu movie: the file the main window's menu player plays, pic\main.swf under the
// program directory. It is a file of the program's own format, which the menu player
// defines in full; every menu movie starts with the eight signature bytes below, so that
// a file of another kind (or a truncated one) is known before it is played.
//
//   offset 0, 8 bytes   "EXMENU1" and a NUL byte
//   offset 8, ...       the movie itself, as the menu player reads it
#pragma once
#include <cstddef>
#include "classlib/system/SysString.h"

// The menu movie relative to the program directory.
inline constexpr wchar_t kMenuMovieFile[] = L"pic\\main.swf";

// The bytes every menu movie starts with.
inline constexpr char kMenuMovieSignature[8] = {'E', 'X', 'M', 'E', 'N', 'U', '1', '\0'};
inline constexpr size_t kMenuMovieSignatureSize = sizeof kMenuMovieSignature;

// True when fileName exists, can be read and starts with the signature.
bool IsMenuMovieFile(const String& fileName);
