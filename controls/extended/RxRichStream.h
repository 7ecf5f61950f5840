// What passes between a stream of bytes and the Rich Edit window in EM_STREAMIN and
// EM_STREAMOUT, kept apart from the window so that it can be tested as plain functions.
//
// Reading. The window asks for at most cb bytes a call. The reader pulls bytes from its
// source (the converter over the caller's stream) in chunks of its own and keeps what does
// not fit for the next call, so a call never returns more than was asked for, whatever the
// line breaks or the decoding made of the bytes.
//   - Rich text passes unchanged: line breaks in RTF are no text, and \binN data must stay
//     byte for byte. The first bytes must open an RTF document ("{\rtf" or "{\urtf"): the
//     window itself would take anything else as text in the process code page, so another
//     start is reported as an error and the caller retries as plain text. Bytes that did
//     open an RTF document are never retried as text, however the reading ends: a document
//     cut short, damaged, or stopped by the guard below keeps what the window read of it
//     (its codes shown as text would bury the text, and the platform's own layout does not
//     survive some of them, such as 100,000 braces in one unbroken line).
//   - Plain text is code page 936 bytes: line breaks become CR LF (a lone CR, a lone LF and
//     CR LF alike; a CR at the end of a chunk waits for the next one), and the bytes are
//     decoded here and handed over as UTF-16 (the window is asked for SF_UNICODE text), a
//     lead byte at the end of a chunk waiting for its trail byte.
//   - Unicode text (the caller's bytes are UTF-16LE) gets its line breaks made CR LF only.
//
// Writing. Rich text and Unicode text pass unchanged, except that the NUL bytes some windows
// write after the document's end are not stored (NULs inside, as in \bin data, are kept);
// plain text comes from the window as UTF-16 and is encoded here to code page 936, a code
// unit or surrogate split between two buffers waiting for the rest.
#pragma once
#include <functional>
#include <string>
#include <string_view>

// How the bytes of a stream are read and written.
enum TRichStreamKind {
  rkRichText,  // RTF bytes
  rkText936,   // plain text in code page 936 bytes
  rkUnicode    // plain text in UTF-16LE bytes
};

// Line breaks of text that arrives in chunks, made CR LF. CharT is char or wchar_t.
template <typename CharT>
class TLineBreakNormaliser {
 public:
  using TText = std::basic_string<CharT>;
  // Appends the normalised form of count characters to out; a CR at the very end is held.
  void Feed(const CharT* data, size_t count, TText& out);
  // The end of the text: a CR still held becomes CR LF.
  void Finish(TText& out);

 private:
  bool FPendingCR = false;  // the last character fed was a CR whose partner is not known yet
};

// Code page 936 bytes that arrive in chunks, decoded to UTF-16.
class TGbkDecoder {
 public:
  void Feed(const char* data, size_t count, std::wstring& out);
  // A lead byte still held (the text ended in the middle of a character) is decoded alone.
  void Finish(std::wstring& out);

 private:
  std::string FPending;  // a lead byte waiting for its trail byte (0 or 1 bytes)
};

// UTF-16LE bytes that arrive in chunks, encoded to code page 936 (characters the code page
// lacks become '?').
class TGbkEncoder {
 public:
  void Feed(const char* data, size_t count, std::string& out);
  void Finish(std::string& out);

 private:
  std::string FPendingBytes;  // an odd byte of a code unit split between two chunks
  std::wstring FPendingUnit;  // a high surrogate waiting for its low one
};

// Checks RTF as it streams past, before the window sees it, for what the platform's reader
// does not survive: a control word longer than the format allows (32 letters), a parameter
// of more than 10 digits, groups nested deeper than MaxDepth. \binN data is skipped unread.
class TRtfGuard {
 public:
  static constexpr int MaxWordLength = 32;
  static constexpr int MaxParameterLength = 10;
  static constexpr int MaxDepth = 1000;
  // False once the bytes so far break a limit.
  bool Feed(const char* data, size_t count);

 private:
  enum TState { gsText, gsEscape, gsWord, gsParameter, gsHex1, gsHex2, gsBinary };
  void EndWord();

  TState FState = gsText;
  int FLength = 0;            // letters of the control word, or digits of its parameter
  bool FBin = false;          // the control word is \bin
  std::string FWord;          // the control word's letters (up to the limit)
  long long FParameter = 0;   // its parameter
  bool FNegative = false;
  long long FBinaryLeft = 0;  // \bin bytes still to skip
  int FDepth = 0;
  bool FBroken = false;
};

// The source of a reader: fills up to size bytes, returns the count (0 at the end).
using TRichByteSource = std::function<int(char* buffer, int size)>;

// One EM_STREAMIN's reading.
class TRichStreamReader {
 public:
  explicit TRichStreamReader(TRichStreamKind kind) : FKind(kind) {}
  // Fills at most cb bytes of buffer; returns the count (0 at the end) or -1 when the bytes
  // are not of the kind (rich text that does not start an RTF document).
  int Read(char* buffer, int cb, const TRichByteSource& source);
  // The bytes began an RTF document that the guard then stopped (not merely no RTF at all).
  // The bytes began with the RTF signature (known once the window asked for bytes).
  bool GetRtfStarted() const { return FRtfStarted; }

  static constexpr int ChunkSize = 4096;  // bytes asked of the source at a time

 private:
  // Pulls one chunk from the source into FReady; false at the end of the source.
  bool Pull(const TRichByteSource& source);
  void Append(const char* data, size_t count);  // converts and adds to FReady
  void End();                                   // flushes what the converters hold
  bool CheckRtfStart();                         // FHead begins an RTF document

  TRichStreamKind FKind;
  std::string FReady;          // converted bytes not yet handed to the window
  size_t FReadyOffset = 0;     // the first of them
  bool FSourceEnded = false;   // the source returned 0
  bool FStartChecked = false;  // the RTF start was seen (or is not needed)
  bool FFailed = false;
  bool FRtfStarted = false;    // the bytes opened an RTF document
  static constexpr size_t SignatureLength = 6;  // "{\urtf", the longer signature
  std::string FHead;           // the first SignatureLength bytes of the source
  TLineBreakNormaliser<char> FBytes;      // rkText936 line breaks
  TLineBreakNormaliser<wchar_t> FUnits;   // rkUnicode line breaks
  TGbkDecoder FDecoder;                   // rkText936 decoding
  TRtfGuard FGuard;                       // rkRichText: what the window must not see
  std::string FOddByte;                   // rkUnicode: a byte of a unit split between chunks
};

// The sink of a writer: takes up to size bytes, returns the count taken.
using TRichByteSink = std::function<int(const char* buffer, int size)>;

// One EM_STREAMOUT's writing.
class TRichStreamWriter {
 public:
  explicit TRichStreamWriter(TRichStreamKind kind) : FKind(kind) {}
  // Passes cb bytes from the window on to the sink; false when the sink took fewer.
  bool Write(const char* buffer, int cb, const TRichByteSink& sink);
  // The end of the window's text: what the encoder holds goes to the sink.
  bool Finish(const TRichByteSink& sink);

 private:
  bool Send(const std::string& bytes, const TRichByteSink& sink);

  TRichStreamKind FKind;
  TGbkEncoder FEncoder;
  size_t FHeldNuls = 0;  // rkRichText: NUL bytes at the end so far, not yet passed on
};
