// The character and paragraph formats of a rich edit window as property objects:
// TTextAttributes (the character format of the selection or the default one) and
// TParaAttributes (the paragraph format of the selection). They hold no format of their own:
// a read asks the window (all zeros while it has none) and a write sends a record whose mask
// names what changed, making the window first. Indents and tab stops are in points here and
// in twips in the records (points x 20).
//
// Not done: the rich edit control itself. These work on any control whose window is a rich
// edit, through its window procedure, and know only what converting to and from the
// extended controls' rich-text attributes needs.
#pragma once
#include <windows.h>
#include <richedit.h>

#include "classlib/classes/Persistent.h"
#include "classlib/controls/Controls.h"
#include "classlib/controls/Panels.h"

// ---- Members of the format records (also for other rich-text attribute objects) --------------

// The bold, italic, underline and strike-through effect bits and back.
DWORD FontStyleToEffects(TFontStyles style);
TFontStyles EffectsToFontStyle(DWORD effects);
// The pitch bits of bPitchAndFamily and back.
BYTE FontPitchToByte(TFontPitch pitch);
TFontPitch ByteToFontPitch(BYTE pitchAndFamily);
// clWindowText for the automatic colour, else the record's colour.
TColor RecordColor(DWORD effects, COLORREF color);
// clWindowText and clDefault set the automatic colour, any other value the record's colour.
void PutRecordColor(TColor value, DWORD& effects, COLORREF& color);
// A face name of at most 31 characters (the record's 32 with the terminator) and back.
String RecordFaceName(const WCHAR (&face)[LF_FACESIZE]);
void PutRecordFaceName(const String& name, WCHAR (&face)[LF_FACESIZE]);

// ---- The attribute objects ----------------------------------------------------------------------

// Which character format a TTextAttributes stands for.
enum class TTextAttributeType { atSelected, atDefaultText };
enum class TNumberingStyle { nsNone, nsBullet };

class TTextAttributes : public TPersistent {
  CLASSLIB_CLASS(TTextAttributes, TPersistent)
  // control: the control whose window is a rich edit; not owned, it outlives this object.
  TTextAttributes(TWinControl* control, TTextAttributeType type) : FControl(control), FType(type) {}

  TFontCharset GetCharset();
  void SetCharset(TFontCharset value);
  // clWindowText for the automatic colour; clWindowText and clDefault set it.
  TColor GetColor();
  void SetColor(TColor value);
  // At most 31 characters (the record's 32 with the terminator).
  String GetName();
  void SetName(const String& value);
  // Written together with the face name, which the window takes with it.
  TFontPitch GetPitch();
  void SetPitch(TFontPitch value);
  TFontStyles GetStyle();  // bold, italic, underline, strike-through
  void SetStyle(TFontStyles value);

 private:
  CHARFORMATW Read();
  void Write(CHARFORMATW& format);

  TWinControl* FControl;     // the rich edit; not owned
  TTextAttributeType FType;  // selection or default format
};

class TParaAttributes : public TPersistent {
  CLASSLIB_CLASS(TParaAttributes, TPersistent)
  // control: the control whose window is a rich edit; not owned, it outlives this object.
  explicit TParaAttributes(TWinControl* control) : FControl(control) {}

  // A justified paragraph (which this type cannot name) reads as left-justified.
  TAlignment GetAlignment();
  void SetAlignment(TAlignment value);
  int GetFirstIndent();  // points, from the left margin
  void SetFirstIndent(int value);
  int GetLeftIndent();   // points, of the lines after the first, from the first line's
  void SetLeftIndent(int value);
  int GetRightIndent();  // points
  void SetRightIndent(int value);
  // Any numbering other than none reads as a bullet.
  TNumberingStyle GetNumbering();
  void SetNumbering(TNumberingStyle value);
  // Tab stop index (0..31) in points; EListError outside. Setting stop i makes at least
  // i + 1 stops.
  int GetTab(int index);
  void SetTab(int index, int value);
  int GetTabCount();
  void SetTabCount(int value);  // clamped to 0..32

 private:
  PARAFORMAT Read();
  void Write(PARAFORMAT& format);
  void WriteIndent(DWORD mask, LONG PARAFORMAT::*member, int points);

  TWinControl* FControl;  // the rich edit; not owned
};
