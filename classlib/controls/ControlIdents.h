// The identifiers stored layouts write for the enumerations and cursors of controls
// (ControlProperties.cpp), shared by the property tables of the libraries above.
#pragma once
#include <cstdint>
#include "../classes/Properties.h"

extern const TEnumInfo AlignIdents;        // TAlign
extern const TEnumInfo AnchorIdents;       // TAnchorKind
extern const TEnumInfo DragModeIdents;     // TDragMode
extern const TEnumInfo DragKindIdents;     // TDragKind
extern const TEnumInfo BiDiModeIdents;     // TBiDiMode
extern const TEnumInfo BorderStyleIdents;  // TFormBorderStyle (also TBorderStyle)

// crDefault, crHandPoint, ...; false for a cursor or a name that has no identifier.
bool CursorToIdent(int32_t cursor, String& ident);
bool IdentToCursor(const String& ident, int32_t& cursor);
