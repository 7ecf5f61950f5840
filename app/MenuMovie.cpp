// Recognising a playable menu movie.
#include "MenuMovie.h"

#include "classlib/standins/MenuMovie.h"

bool IsMenuMovieFile(const String& fileName) {
  try {
    LoadMenuMovie(fileName);
    return true;
  } catch (const Exception&) {
    return false;  // missing, a folder, locked, damaged: the player could not play it either
  }
}
