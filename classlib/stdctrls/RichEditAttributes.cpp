#include "RichEditAttributes.h"

#include <algorithm>
#include <cwchar>

namespace {

constexpr int TwipsPerPoint = 20;
constexpr int TabStopCount = MAX_TAB_STOPS;               // 32
constexpr size_t MaxFaceNameLength = LF_FACESIZE - 1;  // with the terminator, the record's 32

}  // namespace

// ---- Members of the format records -------------------------------------------------------------

DWORD FontStyleToEffects(TFontStyles style) {
  DWORD effects = 0;
  if (style.Contains(fsBold)) effects |= CFE_BOLD;
  if (style.Contains(fsItalic)) effects |= CFE_ITALIC;
  if (style.Contains(fsUnderline)) effects |= CFE_UNDERLINE;
  if (style.Contains(fsStrikeOut)) effects |= CFE_STRIKEOUT;
  return effects;
}

TFontStyles EffectsToFontStyle(DWORD effects) {
  TFontStyles style;
  if (effects & CFE_BOLD) style.Include(fsBold);
  if (effects & CFE_ITALIC) style.Include(fsItalic);
  if (effects & CFE_UNDERLINE) style.Include(fsUnderline);
  if (effects & CFE_STRIKEOUT) style.Include(fsStrikeOut);
  return style;
}

BYTE FontPitchToByte(TFontPitch pitch) {
  return pitch == fpVariable ? VARIABLE_PITCH : pitch == fpFixed ? FIXED_PITCH : DEFAULT_PITCH;
}

TFontPitch ByteToFontPitch(BYTE pitchAndFamily) {
  switch (pitchAndFamily & 3) {
    case FIXED_PITCH: return fpFixed;
    case VARIABLE_PITCH: return fpVariable;
    default: return fpDefault;
  }
}

TColor RecordColor(DWORD effects, COLORREF color) {
  return effects & CFE_AUTOCOLOR ? clWindowText : ColorFromInt(static_cast<int>(color));
}

void PutRecordColor(TColor value, DWORD& effects, COLORREF& color) {
  if (value == clWindowText || value == clDefault) effects |= CFE_AUTOCOLOR;
  else color = ColorToRGB(value);
}

String RecordFaceName(const WCHAR (&face)[LF_FACESIZE]) {
  return String(face, wcsnlen(face, MaxFaceNameLength));
}

void PutRecordFaceName(const String& name, WCHAR (&face)[LF_FACESIZE]) {
  const size_t count = std::min(name.size(), MaxFaceNameLength);
  std::wmemcpy(face, name.data(), count);
  face[count] = L'\0';
}

// ---- TTextAttributes ------------------------------------------------------------------------------

CHARFORMATW TTextAttributes::Read() {
  CHARFORMATW format{};
  format.cbSize = sizeof(format);
  const WPARAM scope = FType == TTextAttributeType::atSelected ? SCF_SELECTION : SCF_DEFAULT;
  if (FControl->HandleAllocated())
    FControl->Perform(EM_GETCHARFORMAT, scope, reinterpret_cast<LPARAM>(&format));
  return format;
}

void TTextAttributes::Write(CHARFORMATW& format) {
  FControl->HandleNeeded();
  format.cbSize = sizeof(format);
  const WPARAM scope = FType == TTextAttributeType::atSelected ? SCF_SELECTION : SCF_DEFAULT;
  FControl->Perform(EM_SETCHARFORMAT, scope, reinterpret_cast<LPARAM>(&format));
}

TFontCharset TTextAttributes::GetCharset() { return Read().bCharSet; }

void TTextAttributes::SetCharset(TFontCharset value) {
  CHARFORMATW format{};
  format.dwMask = CFM_CHARSET;
  format.bCharSet = value;
  Write(format);
}

TColor TTextAttributes::GetColor() {
  const CHARFORMATW format = Read();
  return RecordColor(format.dwEffects, format.crTextColor);
}

void TTextAttributes::SetColor(TColor value) {
  CHARFORMATW format{};
  format.dwMask = CFM_COLOR;
  PutRecordColor(value, format.dwEffects, format.crTextColor);
  Write(format);
}

String TTextAttributes::GetName() { return RecordFaceName(Read().szFaceName); }

void TTextAttributes::SetName(const String& value) {
  CHARFORMATW format{};
  format.dwMask = CFM_FACE;
  PutRecordFaceName(value, format.szFaceName);
  Write(format);
}

TFontPitch TTextAttributes::GetPitch() { return ByteToFontPitch(Read().bPitchAndFamily); }

void TTextAttributes::SetPitch(TFontPitch value) {
  // The window takes the pitch with the face name only. Text in several faces keeps them:
  // one face cannot be written back to all of it.
  CHARFORMATW format = Read();
  if (!(format.dwMask & CFM_FACE)) return;
  format.dwMask = CFM_FACE;
  format.bPitchAndFamily = static_cast<BYTE>((format.bPitchAndFamily & ~3) | FontPitchToByte(value));
  Write(format);
}

TFontStyles TTextAttributes::GetStyle() { return EffectsToFontStyle(Read().dwEffects); }

void TTextAttributes::SetStyle(TFontStyles value) {
  CHARFORMATW format{};
  format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
  format.dwEffects = FontStyleToEffects(value);
  Write(format);
}

// ---- TParaAttributes ------------------------------------------------------------------------------

PARAFORMAT TParaAttributes::Read() {
  PARAFORMAT format{};
  format.cbSize = sizeof(format);
  if (FControl->HandleAllocated())
    FControl->Perform(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
  return format;
}

void TParaAttributes::Write(PARAFORMAT& format) {
  FControl->HandleNeeded();
  format.cbSize = sizeof(format);
  FControl->Perform(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
}

TAlignment TParaAttributes::GetAlignment() {
  switch (Read().wAlignment) {
    case PFA_RIGHT: return taRightJustify;
    case PFA_CENTER: return taCenter;
    default: return taLeftJustify;
  }
}

void TParaAttributes::SetAlignment(TAlignment value) {
  PARAFORMAT format{};
  format.dwMask = PFM_ALIGNMENT;
  format.wAlignment = value == taRightJustify ? PFA_RIGHT : value == taCenter ? PFA_CENTER : PFA_LEFT;
  Write(format);
}

void TParaAttributes::WriteIndent(DWORD mask, LONG PARAFORMAT::*member, int points) {
  PARAFORMAT format{};
  format.dwMask = mask;
  format.*member = points * TwipsPerPoint;
  Write(format);
}

int TParaAttributes::GetFirstIndent() { return Read().dxStartIndent / TwipsPerPoint; }
void TParaAttributes::SetFirstIndent(int value) {
  WriteIndent(PFM_STARTINDENT, &PARAFORMAT::dxStartIndent, value);
}

int TParaAttributes::GetLeftIndent() { return Read().dxOffset / TwipsPerPoint; }
void TParaAttributes::SetLeftIndent(int value) { WriteIndent(PFM_OFFSET, &PARAFORMAT::dxOffset, value); }

int TParaAttributes::GetRightIndent() { return Read().dxRightIndent / TwipsPerPoint; }
void TParaAttributes::SetRightIndent(int value) {
  WriteIndent(PFM_RIGHTINDENT, &PARAFORMAT::dxRightIndent, value);
}

TNumberingStyle TParaAttributes::GetNumbering() {
  return Read().wNumbering == 0 ? TNumberingStyle::nsNone : TNumberingStyle::nsBullet;
}

void TParaAttributes::SetNumbering(TNumberingStyle value) {
  PARAFORMAT format{};
  format.dwMask = PFM_NUMBERING;
  format.wNumbering = value == TNumberingStyle::nsBullet ? PFN_BULLET : 0;
  Write(format);
}

namespace {

void CheckTabIndex(int index) {
  if (index < 0 || index >= TabStopCount) throw EListError(L"List index out of bounds (%d)", {index});
}

}  // namespace

int TParaAttributes::GetTab(int index) {
  CheckTabIndex(index);
  return Read().rgxTabs[index] / TwipsPerPoint;
}

void TParaAttributes::SetTab(int index, int value) {
  CheckTabIndex(index);
  PARAFORMAT format = Read();
  format.dwMask = PFM_TABSTOPS;
  format.rgxTabs[index] = value * TwipsPerPoint;
  format.cTabCount = static_cast<SHORT>(std::max<int>(format.cTabCount, index + 1));
  Write(format);
}

int TParaAttributes::GetTabCount() { return Read().cTabCount; }

void TParaAttributes::SetTabCount(int value) {
  PARAFORMAT format = Read();
  format.dwMask = PFM_TABSTOPS;
  format.cTabCount = static_cast<SHORT>(std::clamp(value, 0, TabStopCount));
  Write(format);
}
