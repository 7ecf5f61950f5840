#include "RxIdents.h"

namespace {
const wchar_t* const AlignmentNames[] = {L"taLeftJustify", L"taRightJustify", L"taCenter"};
const wchar_t* const TextLayoutNames[] = {L"tlTop", L"tlCenter", L"tlBottom"};
const wchar_t* const ButtonLayoutNames[] = {L"blGlyphLeft", L"blGlyphRight", L"blGlyphTop",
                                            L"blGlyphBottom"};
const wchar_t* const ButtonStyleNames[] = {L"bsAutoDetect", L"bsWin31", L"bsNew"};
}  // namespace

const TEnumInfo RxAlignmentIdents = MakeEnumInfo(AlignmentNames);
const TEnumInfo RxTextLayoutIdents = MakeEnumInfo(TextLayoutNames);
const TEnumInfo RxButtonLayoutIdents = MakeEnumInfo(ButtonLayoutNames);
const TEnumInfo RxButtonStyleIdents = MakeEnumInfo(ButtonStyleNames);
