// Names of the enumerations that the extended controls' layouts store.
#pragma once
#include "classlib/classes/Properties.h"

extern const TEnumInfo RxAlignmentIdents;    // TAlignment
extern const TEnumInfo RxTextLayoutIdents;   // TTextLayout
extern const TEnumInfo RxButtonLayoutIdents; // TButtonLayout
extern const TEnumInfo RxButtonStyleIdents;  // TButtonStyle
