// Edit masks: the picture a masked edit shapes its text to.
//
// A mask has up to three fields separated by ';': the mask itself, whether the literal
// characters are kept in Text ('0' drops them; anything else or nothing keeps them), and
// the character shown for a position not yet filled (the blank, '_' by default). The
// separators of the second and third fields are looked for only among the last four
// characters, so a ';' earlier in the mask is a literal.
//
// The mask itself, character by character:
//   L  a letter, required          l  a letter, optional
//   A  a letter or digit, required a  a letter or digit, optional
//   C  any character, required     c  any character, optional
//   0  a digit, required           9  a digit, optional
//   #  a digit, a sign or a space, optional
//   :  the time separator          /  the date separator (both of FormatSettings)
//   >  letters after it upper case <  letters after it lower case   <>  no case
//   !  optional positions left blank are leading rather than trailing (Text drops the
//      blanks at the start instead of those at the end)
//   \  the next character is a literal
//   anything else is a literal shown as it is.
// Directives (! > < \) take no position in the text; every other character takes one.
#pragma once
#include <vector>
#include "../system/SysString.h"

enum TMaskCharKind { mkLiteral, mkRequired, mkOptional };
enum TMaskCase { mcNoCase, mcUpperCase, mcLowerCase };

// One position of the edit text.
struct TMaskPosition {
  TMaskCharKind Kind = mkLiteral;
  wchar_t Char = L' ';  // the mask character, or the literal as shown
  TMaskCase Case = mcNoCase;
};

class TEditMask {
 public:
  // An empty mask: nothing is masked.
  TEditMask() = default;
  // Parses editMask with the date and time separators given.
  TEditMask(const String& editMask, wchar_t dateSeparator, wchar_t timeSeparator);

  // ---- What the mask says -----------------------------------------------------------------
  bool IsMasked() const { return !FPositions.empty(); }
  // The length of the edit text.
  int GetLength() const { return static_cast<int>(FPositions.size()); }
  const TMaskPosition& GetPosition(int index) const {
    return FPositions.at(static_cast<size_t>(index));
  }
  bool IsLiteral(int index) const;  // also true outside the mask
  bool GetSaveLiterals() const { return FSaveLiterals; }
  wchar_t GetBlank() const { return FBlank; }
  bool GetReverse() const { return FReverse; }

  // ---- Characters ------------------------------------------------------------------------------
  // True when ch may stand at index (an editable position); ch is given the position's case.
  bool AcceptChar(int index, wchar_t& ch) const;
  // The first editable position at or after index (GetLength() when there is none).
  int NextEditable(int index) const;
  // The last editable position at or before index (-1 when there is none).
  int PriorEditable(int index) const;
  // The position of the first literal after index when it is ch; -1 otherwise.
  int FindLiteral(int index, wchar_t ch) const;

  // ---- Texts -----------------------------------------------------------------------------------
  // The edit text with nothing entered: literals and blanks.
  String EmptyEditText() const;
  // The edit text of a Text: with saved literals the characters stand at their positions
  // (literals missing from value are skipped over); without, value holds only the entered
  // characters, placed from the start (from the end with '!'). Characters that do not fit
  // their position, and spaces, become blanks.
  String EditTextFromText(const String& value) const;
  // The Text of an edit text: blanks become spaces; without saved literals the literals are
  // dropped and so are the blanks at the end (at the start with '!').
  String TextFromEditText(const String& editText) const;
  // editText made to fit: the mask's length, literals in place, characters that do not fit
  // (and spaces) as blanks.
  String Normalize(const String& editText) const;
  // The first required position left blank (a space counts as blank except for 'C');
  // -1 when every required position is filled.
  int FirstIncomplete(const String& editText) const;

 private:
  void ParseFields(const String& editMask, String& body);
  void ParseBody(const String& body, wchar_t dateSeparator, wchar_t timeSeparator);

  std::vector<TMaskPosition> FPositions;  // one per character of the edit text
  bool FSaveLiterals = true;              // Text keeps the literals
  wchar_t FBlank = L'_';                  // shown for an empty position
  bool FReverse = false;                  // '!': blanks lead
};
