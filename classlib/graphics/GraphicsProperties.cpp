// The properties stored layouts keep of the drawing tools, and the identifiers of the
// character sets that Font.Charset is written with.
#include "../classes/Properties.h"
#include "GraphicsObjects.h"

namespace {

struct TCharsetIdent {
  int32_t Charset;
  const wchar_t* Ident;
};

// Where two identifiers name one set, the first is the one written.
constexpr TCharsetIdent CharsetIdents[] = {
    {ANSI_CHARSET, L"ANSI_CHARSET"},
    {DEFAULT_CHARSET, L"DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, L"SYMBOL_CHARSET"},
    {MAC_CHARSET, L"MAC_CHARSET"},
    {SHIFTJIS_CHARSET, L"SHIFTJIS_CHARSET"},
    {HANGEUL_CHARSET, L"HANGEUL_CHARSET"},
    {HANGUL_CHARSET, L"HANGUL_CHARSET"},
    {JOHAB_CHARSET, L"JOHAB_CHARSET"},
    {GB2312_CHARSET, L"GB2312_CHARSET"},
    {CHINESEBIG5_CHARSET, L"CHINESEBIG5_CHARSET"},
    {GREEK_CHARSET, L"GREEK_CHARSET"},
    {TURKISH_CHARSET, L"TURKISH_CHARSET"},
    {VIETNAMESE_CHARSET, L"VIETNAMESE_CHARSET"},
    {HEBREW_CHARSET, L"HEBREW_CHARSET"},
    {ARABIC_CHARSET, L"ARABIC_CHARSET"},
    {BALTIC_CHARSET, L"BALTIC_CHARSET"},
    {RUSSIAN_CHARSET, L"RUSSIAN_CHARSET"},
    {THAI_CHARSET, L"THAI_CHARSET"},
    {EASTEUROPE_CHARSET, L"EASTEUROPE_CHARSET"},
    {OEM_CHARSET, L"OEM_CHARSET"},
};

const wchar_t* const FontStyleNames[] = {L"fsBold", L"fsItalic", L"fsUnderline", L"fsStrikeOut"};
constexpr TEnumInfo FontStyleIdents = MakeEnumInfo(FontStyleNames);
const wchar_t* const FontPitchNames[] = {L"fpDefault", L"fpVariable", L"fpFixed"};
constexpr TEnumInfo FontPitchIdents = MakeEnumInfo(FontPitchNames);
const wchar_t* const PenStyleNames[] = {L"psSolid",      L"psDash",  L"psDot",        L"psDashDot",
                                        L"psDashDotDot", L"psClear", L"psInsideFrame"};
constexpr TEnumInfo PenStyleIdents = MakeEnumInfo(PenStyleNames);
const wchar_t* const PenModeNames[] = {
    L"pmBlack",       L"pmWhite",        L"pmNop",        L"pmNot",        L"pmCopy",    L"pmNotCopy",
    L"pmMergePenNot", L"pmMaskPenNot",   L"pmMergeNotPen", L"pmMaskNotPen", L"pmMerge",  L"pmNotMerge",
    L"pmMask",        L"pmNotMask",      L"pmXor",        L"pmNotXor"};
constexpr TEnumInfo PenModeIdents = MakeEnumInfo(PenModeNames);
const wchar_t* const BrushStyleNames[] = {L"bsSolid",     L"bsClear",     L"bsHorizontal", L"bsVertical",
                                          L"bsFDiagonal", L"bsBDiagonal", L"bsCross",      L"bsDiagCross"};
constexpr TEnumInfo BrushStyleIdents = MakeEnumInfo(BrushStyleNames);

}  // namespace

bool CharsetToIdent(int32_t charset, String& ident) {
  for (const TCharsetIdent& entry : CharsetIdents) {
    if (entry.Charset == charset) {
      ident = entry.Ident;
      return true;
    }
  }
  return false;
}

bool IdentToCharset(const String& ident, int32_t& charset) {
  for (const TCharsetIdent& entry : CharsetIdents) {
    if (SameText(ident, entry.Ident)) {
      charset = entry.Charset;
      return true;
    }
  }
  return false;
}

// Size is left out of layouts: Height says the same at the layout's resolution.
const TPropertyTable* TFont::PublishedProperties() {
  using P = TPublish<TFont>;
  static const TPropertyTable table{
      P::Integer(L"Charset", &TFont::GetCharset, &TFont::SetCharset).Idents(&IdentToCharset, &CharsetToIdent),
      P::Color(L"Color", &TFont::GetColor, &TFont::SetColor),
      P::Integer(L"Height", &TFont::GetHeight, &TFont::SetHeight),
      P::Text(L"Name", &TFont::GetName, &TFont::SetName),
      P::Integer(L"Orientation", &TFont::GetOrientation, &TFont::SetOrientation).Default(0),
      P::Enum(L"Pitch", FontPitchIdents, &TFont::GetPitch, &TFont::SetPitch).Default(fpDefault),
      P::Integer(L"Size", &TFont::GetSize, &TFont::SetSize).Stored(false),
      P::Set(L"Style", FontStyleIdents, &TFont::GetStyle, &TFont::SetStyle),
  };
  return &table;
}

const TPropertyTable* TPen::PublishedProperties() {
  using P = TPublish<TPen>;
  static const TPropertyTable table{
      P::Color(L"Color", &TPen::GetColor, &TPen::SetColor).Default(clBlack),
      P::Enum(L"Mode", PenModeIdents, &TPen::GetMode, &TPen::SetMode).Default(pmCopy),
      P::Enum(L"Style", PenStyleIdents, &TPen::GetStyle, &TPen::SetStyle).Default(psSolid),
      P::Integer(L"Width", &TPen::GetWidth, &TPen::SetWidth).Default(1),
  };
  return &table;
}

const TPropertyTable* TBrush::PublishedProperties() {
  using P = TPublish<TBrush>;
  static const TPropertyTable table{
      P::Color(L"Color", &TBrush::GetColor, &TBrush::SetColor).Default(clWhite),
      P::Enum(L"Style", BrushStyleIdents, &TBrush::GetStyle, &TBrush::SetStyle).Default(bsSolid),
  };
  return &table;
}
