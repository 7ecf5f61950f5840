// Strings on the library's streams: a 4-byte little-endian byte count, then that many 8-bit
// characters (code page 936), no terminator.
#pragma once
#include "classlib/classes/Streams.h"
#include "classlib/system/SysString.h"

void WriteStreamString(TStream& stream, const String& value);
// Reads one string by its own count (a stream that cannot tell its size serves too). A negative
// count, a count above maxBytes or above what the stream still holds, and a short read raise
// EReadError "Stream read error"; nothing is allocated for a count that is refused.
String ReadStreamString(TStream& stream, int maxBytes);
