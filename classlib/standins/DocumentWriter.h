// The document writer: answers the word processor's automation calls that an export makes
// (a new document, visible, typing text and paragraphs, pasting the clipboard's rich text,
// page breaks, fonts, the cursor keys) by building one RTF document, which it saves and
// opens with the shell. The RTF it writes opens in the common word processors.
//
// Pasted rich text keeps its fonts and colours: the fragment's font and colour tables are
// merged into the document's and its references renumbered.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include "../system/SysString.h"

class TDocumentWriter {
 public:
  TDocumentWriter();

  // ---- The automation calls ---------------------------------------------------------------
  // Documents.Add: starts a new, empty document.
  void DocumentsAdd();
  // Visible: recorded; the document is shown when it is opened (Open).
  void SetVisible(bool value) { FVisible = value; }
  bool GetVisible() const { return FVisible; }
  // Selection.TypeText: the text at the cursor in the current font.
  void TypeText(const String& text);
  // Selection.TypeParagraph.
  void TypeParagraph();
  // Selection.Paste: the clipboard's rich text; its plain text when it has none; nothing
  // when it has neither.
  void Paste();
  // Selection.InsertBreak: a page break.
  void InsertBreak();
  // Selection.Font: name, size in points, bold, for the text typed next.
  void SetFontName(const String& name);
  void SetFontSize(int points);
  void SetBold(bool bold);
  // Selection.HomeKey(wdStory) / EndKey(wdStory): what is typed next goes to the beginning
  // or the end of the document.
  void HomeKey();
  void EndKey();

  // ---- The document ------------------------------------------------------------------------
  // Pastes an RTF fragment (as Paste does with the clipboard's). EConvertError when it is
  // not RTF.
  void PasteRtf(const std::string& rtf);
  // The whole document as RTF.
  std::string Rtf() const;
  // Writes the document to fileName; EFCreateError or EWriteError when it cannot.
  void SaveToFile(const String& fileName) const;
  // Writes the document to a new file fileName; false, writing nothing, when a file of that
  // name is there. EFCreateError or EWriteError when it cannot be written otherwise.
  bool SaveToNewFile(const String& fileName) const;
  // Saves to fileName and opens it with the shell (or the opener set for tests).
  void Open(const String& fileName);
  // Opens the saved fileName with the shell (or the opener set for tests).
  void OpenSaved(const String& fileName);
  std::function<void(const String& fileName)> Opener;

 private:
  void Append(const std::string& rtf);
  int FontIndex(const std::string& entry);   // entry: "\fnil\fcharset134 宋体" without \fN
  int ColorIndex(const std::string& entry);  // entry: "\red0\green0\blue0"
  std::string FontPrefix() const;            // \fN\fsN\b of the current font

  std::vector<std::string> FFonts;   // font table entries, index = \fN
  std::vector<std::string> FColors;  // colour table entries, index = number - 1
  std::string FBody;                 // the document's body
  size_t FCursor = 0;                // where the next text goes in FBody
  int FFont = 0;
  int FSize = 12;
  bool FBold = false;
  bool FVisible = false;
};

// The RTF text of typed text: specials escaped, characters beyond ASCII as code page 936
// bytes, and as \uN? those that code page lacks.
std::string RtfEscape(const String& text);
