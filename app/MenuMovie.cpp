// Recognising a menu movie by its signature.
#include "MenuMovie.h"

#include <cstring>
#include "classlib/classes/Streams.h"

bool IsMenuMovieFile(const String& fileName) {
  try {
    TFileStream file(fileName, fmOpenRead | fmShareDenyNone);
    char head[kMenuMovieSignatureSize] = {};
    if (file.Read(head, static_cast<int>(sizeof head)) != static_cast<int>(sizeof head)) return false;
    return std::memcmp(head, kMenuMovieSignature, sizeof head) == 0;
  } catch (const Exception&) {
    return false;  // missing, a folder, locked: the player could not read it either
  }
}
