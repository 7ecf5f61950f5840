// TRxTextAttributes and TRxParaAttributes: the character and paragraph formats of a rich-text
// edit, read from and written to the window each time. Sizes and indents are points here and
// twips in the records (points x 20).
#include <algorithm>
#include <cstdlib>

#include "RxRichEd.h"
#include "classlib/stdctrls/RichEditAttributes.h"
#include "classlib/system/SysMath.h"

namespace {

constexpr int TwipsPerPoint = 20;
constexpr int MaxTabIndex = MAX_TAB_STOPS - 1;  // 31

WPARAM CharFormatScope(TAttributeType kind) {
  switch (kind) {
    case atSelected: return SCF_SELECTION;
    case atWord: return SCF_SELECTION | SCF_WORD;
    default: return SCF_DEFAULT;
  }
}

}  // namespace

// ---- TRxTextAttributes ------------------------------------------------------------------------------

CHARFORMAT2W TRxTextAttributes::Blank() const {
  CHARFORMAT2W format{};
  format.cbSize = CharFormatSize(RichEditVersion);
  return format;
}

CHARFORMAT2W TRxTextAttributes::Read() {
  CHARFORMAT2W format = Blank();
  if (FRichEdit->HandleAllocated())
    FRichEdit->Perform(EM_GETCHARFORMAT, CharFormatScope(FType), reinterpret_cast<LPARAM>(&format));
  return format;
}

void TRxTextAttributes::Write(CHARFORMAT2W& format) {
  if (FRichEdit->HandleAllocated())
    FRichEdit->Perform(EM_SETCHARFORMAT, CharFormatScope(FType), reinterpret_cast<LPARAM>(&format));
}

TFontCharset TRxTextAttributes::GetCharset() { return Read().bCharSet; }

void TRxTextAttributes::SetCharset(TFontCharset value) {
  CHARFORMAT2W format = Blank();
  format.dwMask = CFM_CHARSET;
  format.bCharSet = value;
  Write(format);
}

TColor TRxTextAttributes::GetColor() {
  const CHARFORMAT2W format = Read();
  return RecordColor(format.dwEffects, format.crTextColor);
}

void TRxTextAttributes::SetColor(TColor value) {
  CHARFORMAT2W format = Blank();
  format.dwMask = CFM_COLOR;
  PutRecordColor(value, format.dwEffects, format.crTextColor);
  Write(format);
}

String TRxTextAttributes::GetName() { return RecordFaceName(Read().szFaceName); }

void TRxTextAttributes::SetName(const String& value) {
  CHARFORMAT2W format = Blank();
  format.dwMask = CFM_FACE;
  PutRecordFaceName(value, format.szFaceName);
  Write(format);
}

TFontStyles TRxTextAttributes::GetStyle() { return EffectsToFontStyle(Read().dwEffects); }

void TRxTextAttributes::SetStyle(TFontStyles value) {
  CHARFORMAT2W format = Blank();
  format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
  format.dwEffects = FontStyleToEffects(value);
  Write(format);
}

int TRxTextAttributes::GetSize() { return Read().yHeight / TwipsPerPoint; }

void TRxTextAttributes::SetSize(int value) {
  CHARFORMAT2W format = Blank();
  format.dwMask = CFM_SIZE;
  format.yHeight = std::abs(value) * TwipsPerPoint;
  Write(format);
}

TFontPitch TRxTextAttributes::GetPitch() { return ByteToFontPitch(Read().bPitchAndFamily); }

void TRxTextAttributes::SetPitch(TFontPitch value) {
  CHARFORMAT2W format = Blank();
  format.bPitchAndFamily = FontPitchToByte(value);
  Write(format);
}

void TRxTextAttributes::Assign(TPersistent* source) {
  if (auto* font = dynamic_cast<TFont*>(source)) {
    CHARFORMAT2W format = Blank();
    format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_SIZE | CFM_COLOR |
                    CFM_FACE | CFM_CHARSET;
    // A font given by its height has a negative size in points; the record wants the size.
    format.yHeight = std::abs(font->GetSize()) * TwipsPerPoint;
    format.dwEffects = FontStyleToEffects(font->GetStyle());
    PutRecordColor(font->GetColor(), format.dwEffects, format.crTextColor);
    PutRecordFaceName(font->GetName(), format.szFaceName);
    format.bPitchAndFamily = FontPitchToByte(font->GetPitch());
    format.bCharSet = font->GetCharset();
    LOGFONTW logFont{};
    if (RichEditVersion >= 2 &&
        ::GetObjectW(font->GetHandle(), sizeof(logFont), &logFont) == sizeof(logFont)) {
      format.dwMask |= CFM_WEIGHT;
      format.wWeight = static_cast<WORD>(logFont.lfWeight);
    }
    Write(format);
  } else if (auto* attributes = dynamic_cast<TRxTextAttributes*>(source)) {
    CHARFORMAT2W format = attributes->Read();
    Write(format);
  } else if (auto* text = dynamic_cast<TTextAttributes*>(source)) {
    SetName(text->GetName());
    SetCharset(text->GetCharset());
    SetStyle(text->GetStyle());
    SetPitch(text->GetPitch());
    SetColor(text->GetColor());
  } else {
    TPersistent::Assign(source);
  }
}

void TRxTextAttributes::AssignTo(TPersistent* dest) {
  if (auto* font = dynamic_cast<TFont*>(dest)) {
    font->SetColor(GetColor());
    font->SetName(GetName());
    font->SetCharset(GetCharset());
    font->SetStyle(GetStyle());
    font->SetSize(GetSize());
    font->SetPitch(GetPitch());
  } else if (auto* text = dynamic_cast<TTextAttributes*>(dest)) {
    text->SetColor(GetColor());
    text->SetName(GetName());
    text->SetCharset(GetCharset());
    text->SetStyle(GetStyle());
    text->SetPitch(GetPitch());
  } else {
    TPersistent::AssignTo(dest);
  }
}

// ---- TRxParaAttributes ----------------------------------------------------------------------------------

PARAFORMAT2 TRxParaAttributes::Blank() const {
  PARAFORMAT2 format{};
  format.cbSize = ParaFormatSize(RichEditVersion);
  return format;
}

PARAFORMAT2 TRxParaAttributes::Read() {
  PARAFORMAT2 format = Blank();
  if (FRichEdit->HandleAllocated())
    FRichEdit->Perform(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
  return format;
}

void TRxParaAttributes::Write(PARAFORMAT2& format) {
  FRichEdit->HandleNeeded();
  if ((format.dwMask & PFM_ALIGNMENT) && FRichEdit->UseRightToLeftAlignment()) {
    if (format.wAlignment == PFA_LEFT) format.wAlignment = PFA_RIGHT;
    else if (format.wAlignment == PFA_RIGHT) format.wAlignment = PFA_LEFT;
  }
  FRichEdit->Perform(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
}

TParaAlignment TRxParaAttributes::GetAlignment() {
  const int value = Read().wAlignment - 1;
  return value >= paLeftJustify && value <= paJustify ? static_cast<TParaAlignment>(value)
                                                       : paLeftJustify;
}

void TRxParaAttributes::SetAlignment(TParaAlignment value) {
  PARAFORMAT2 format = Blank();
  format.dwMask = PFM_ALIGNMENT;
  format.wAlignment = static_cast<WORD>(value + 1);
  Write(format);
}

int TRxParaAttributes::GetFirstIndent() { return Read().dxStartIndent / TwipsPerPoint; }

void TRxParaAttributes::SetFirstIndent(int value) {
  PARAFORMAT2 format = Blank();
  format.dwMask = PFM_STARTINDENT;
  format.dxStartIndent = value * TwipsPerPoint;
  Write(format);
}

int TRxParaAttributes::GetLeftIndent() { return Read().dxOffset / TwipsPerPoint; }

void TRxParaAttributes::SetLeftIndent(int value) {
  PARAFORMAT2 format = Blank();
  format.dwMask = PFM_OFFSET;
  format.dxOffset = value * TwipsPerPoint;
  Write(format);
}

int TRxParaAttributes::GetRightIndent() { return Read().dxRightIndent / TwipsPerPoint; }

void TRxParaAttributes::SetRightIndent(int value) {
  PARAFORMAT2 format = Blank();
  format.dwMask = PFM_RIGHTINDENT;
  format.dxRightIndent = value * TwipsPerPoint;
  Write(format);
}

TRxNumbering TRxParaAttributes::GetNumbering() {
  const WORD numbering = Read().wNumbering;
  if (numbering == 0) return nsNone;
  // Version 1 knows bullets only; a style this type does not name reads as a bullet too.
  if (RichEditVersion == 1 || numbering > nsUpCaseRoman) return nsBullet;
  return static_cast<TRxNumbering>(numbering);
}

void TRxParaAttributes::SetNumbering(TRxNumbering value) {
  if (value == nsNone) SetLeftIndent(0);
  else if (GetLeftIndent() < 10) SetLeftIndent(10);
  PARAFORMAT2 format = Blank();
  format.dwMask = PFM_NUMBERING;
  format.wNumbering = static_cast<WORD>(value);
  if (RichEditVersion == 1 && value != nsNone) format.wNumbering = PFN_BULLET;
  Write(format);
}

int TRxParaAttributes::GetTab(int index) {
  if (index < 0 || index > MaxTabIndex) throw ERangeError(L"Tab index out of range (%d)", {index});
  return Read().rgxTabs[index] / TwipsPerPoint;
}

int TRxParaAttributes::GetTabCount() { return Read().cTabCount; }

void TRxParaAttributes::SetTab(int index, int value) {
  if (index < 0 || index > MaxTabIndex) throw ERangeError(L"Tab index out of range (%d)", {index});
  PARAFORMAT2 format = Read();
  format.dwMask = PFM_TABSTOPS;
  format.rgxTabs[index] = value * TwipsPerPoint;
  // Stop i is the (i + 1)th: there are at least i + 1 of them.
  if (format.cTabCount < index + 1) format.cTabCount = static_cast<SHORT>(index + 1);
  Write(format);
}

void TRxParaAttributes::Assign(TPersistent* source) {
  if (auto* paragraph = dynamic_cast<TRxParaAttributes*>(source)) {
    PARAFORMAT2 format = paragraph->Read();
    Write(format);
  } else if (auto* para = dynamic_cast<TParaAttributes*>(source)) {
    // The numbering first: it moves the left indent, which the source's then replaces.
    SetNumbering(para->GetNumbering() == TNumberingStyle::nsBullet ? nsBullet : nsNone);
    const TAlignment alignment = para->GetAlignment();
    SetAlignment(alignment == taRightJustify ? paRightJustify
                 : alignment == taCenter     ? paCentered
                                             : paLeftJustify);
    SetFirstIndent(para->GetFirstIndent());
    SetLeftIndent(para->GetLeftIndent());
    SetRightIndent(para->GetRightIndent());
    // The source's stops, as many as it has: the unused ones would be stops at 0.
    PARAFORMAT2 format = Blank();
    format.dwMask = PFM_TABSTOPS;
    format.cTabCount = static_cast<SHORT>(std::clamp(para->GetTabCount(), 0, MaxTabIndex + 1));
    for (int i = 0; i < format.cTabCount; ++i) format.rgxTabs[i] = para->GetTab(i) * TwipsPerPoint;
    Write(format);
  } else {
    TPersistent::Assign(source);
  }
}

void TRxParaAttributes::AssignTo(TPersistent* dest) {
  if (auto* para = dynamic_cast<TParaAttributes*>(dest)) {
    const TParaAlignment alignment = GetAlignment();
    // The class library's paragraph has no justified alignment.
    para->SetAlignment(alignment == paRightJustify ? taRightJustify
                       : alignment == paCentered   ? taCenter
                                                   : taLeftJustify);
    para->SetFirstIndent(GetFirstIndent());
    para->SetLeftIndent(GetLeftIndent());
    para->SetRightIndent(GetRightIndent());
    para->SetNumbering(GetNumbering() == nsNone ? TNumberingStyle::nsNone : TNumberingStyle::nsBullet);
    const int count = GetTabCount();
    para->SetTabCount(count);
    for (int i = 0; i < count && i <= MaxTabIndex; ++i) para->SetTab(i, GetTab(i));
  } else {
    TPersistent::AssignTo(dest);
  }
}
