// The text form of stored components and its conversion to and from the binary form.
//
//   object Form1: TForm1              inherited / inline instead of object set the flags;
//     Caption = 'Demo'#13#10'text'    a child position follows the class as " [n]"
//     Font.Style = [fsBold]           dotted names, sets
//     Lines.Strings = (               lists
//       'one'
//       'two')
//     Panels = <                      collections; an item may carry " [n]"
//       item
//         Width = 50
//       end>
//     Picture.Data = {0A0B}           binary blocks in hex
//     Hint = 'a long text ' +         continuation lines
//       'goes on'
//     object Button1: TButton
//     end
//   end
//
// Strings: text all of ASCII becomes vaString (vaLString beyond 255 characters), any other
// text vaWString, so that no character depends on a code page. The converter to text writes
// pure ASCII: printable characters between quotes and every other one (quotes included) as
// #n with its UTF-16 code; a string longer than 64 characters starts on a line of its own
// and is broken every 64 characters with " +". Floats are written with as many digits as
// it takes to read the same double back, with the suffix s (single), c (currency, the raw
// value times 10000) or d (date) where the type asks for one.
//
// Text to binary to text gives the same text for any text the converter wrote. Binary to
// text to binary gives the same values; the bytes may differ where the binary did not use
// the writer's own choices (a byte string that is not ASCII and a vaUTF8String come back as
// vaWString, an integer in a wider type than needed comes back in the smallest, a prefix
// byte without flags is dropped). What the text cannot say is refused with EReadError
// rather than changed: names that are not identifiers, property names that are keywords of
// the text form, an object both inherited and inline, NaNs and infinities.
//
// The text is read as UTF-8 (with or without its byte-order mark) when it is valid UTF-8,
// as code page 936 otherwise.
#pragma once
#include <cstdint>
#include <vector>
#include "Filer.h"
#include "Streams.h"

// A syntax error of the text form. It is a read error like any other of a layout.
CLASSLIB_EXCEPTION(EParserError, EReadError)

// ---- The tokenizer ------------------------------------------------------------------------

// Token kinds; any other token is the character itself ('=', ':', '(', ...).
inline constexpr wchar_t toEOF = 0;
inline constexpr wchar_t toSymbol = 1;
inline constexpr wchar_t toString = 2;
inline constexpr wchar_t toInteger = 3;
inline constexpr wchar_t toFloat = 4;
inline constexpr wchar_t toWString = 5;

class TParser : public TObject {
  CLASSLIB_CLASS(TParser, TObject)

  // Reads the text from the stream's position to its end and reads the first token.
  explicit TParser(TStream& stream);

  // ---- The current token --------------------------------------------------------------
  wchar_t GetToken() const { return FToken; }
  // The line (from 1) of the current token.
  int GetSourceLine() const { return FTokenLine; }
  // The token's text as it stands in the source.
  String TokenString() const;
  // The value of a string token, quotes and #n codes resolved; valid until the next token.
  const String& TokenWideString() const { return FTokenText; }
  // The value of an integer token (decimal or $hex); EParserError when it does not fit.
  int64_t TokenInt() const;
  // The value of a float token (without its suffix); EParserError when it is no number.
  double TokenFloat() const;
  // The suffix of a float token: 's', 'c', 'd' or 0.
  wchar_t GetFloatType() const { return FFloatType; }
  // The symbol with any ".Name" parts that follow it (the dots may not be surrounded by
  // blanks); EParserError "Identifier expected" when a dot is not followed by one. Valid
  // until the next call (its storage is reused: reading a layout makes no copy of each name).
  const String& TokenComponentIdent();
  bool TokenSymbolIs(const String& symbol) const;  // without regard to case
  bool TokenSymbolIs(const wchar_t* symbol) const;  // the same, for a literal (no copies)

  // ---- Moving on --------------------------------------------------------------------------
  wchar_t NextToken();
  // Reads the hex digit pairs of a binary block after its '{' up to the '}' into stream,
  // then the token after the '}'. EParserError "Invalid binary value" for anything else.
  void HexToBinary(TStream& stream);

  // ---- Checks -------------------------------------------------------------------------------
  void CheckToken(wchar_t token) const;               // EParserError "... expected"
  void CheckTokenSymbol(const String& symbol) const;  // EParserError "<symbol> expected"
  // Raise EParserError "<message> on line <n>".
  [[noreturn]] void Error(const String& message) const;

 private:
  void SkipBlanks();
  void ReadStringToken();
  void ReadNumberToken();

  String FText;           // the whole source
  size_t FPos = 0;        // where the next token starts looking
  int FLine = 1;          // the line at FPos
  size_t FTokenStart = 0; // where the current token starts
  int FTokenLine = 1;     // the line of the current token
  wchar_t FToken = toEOF;
  String FTokenText;      // a string token's value
  String FIdentText;      // the last TokenComponentIdent
  wchar_t FFloatType = 0; // a float token's suffix
};

// ---- Conversions ----------------------------------------------------------------------------

// Where each object header, property and collection item of the text landed in the binary:
// offsets from the start of the binary output, in increasing order, with their lines.
class TObjectTextLineMap {
 public:
  void Add(int64_t offset, int line);
  // The line of the last entry at or before offset; 0 when there is none.
  int LineAt(int64_t offset) const;
  void Clear() { FEntries.clear(); }

 private:
  struct TEntry {
    int64_t Offset;
    int Line;
  };
  std::vector<TEntry> FEntries;
};

// Converts one object in text form (from input's position) to the binary form with the
// signature (at output's position). EParserError names the line of the fault. When lines
// is given it receives the line of every header, property and item written.
void ObjectTextToBinary(TStream& input, TStream& output, TObjectTextLineMap* lines = nullptr);

// Converts one object in binary form with the signature (from input's position) to text
// (at output's position), as ASCII with CR LF line ends. EReadError for a damaged binary.
void ObjectBinaryToText(TStream& input, TStream& output);
