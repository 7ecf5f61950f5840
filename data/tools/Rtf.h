// Rich text of the bank's text columns (stems, explanations, group stems, guidance and
// article texts).
//
// TextToRtf writes a small RTF document that the system Rich Edit control reads back as the
// same text: code page 936 (\ansicpg936), one font 宋体 with the GB2312 character set
// (\fcharset134), each line of the text a paragraph, Chinese characters as their GBK bytes
// (\'xx\'xx), characters outside code page 936 as \uN with a '?' fallback, and the RTF
// specials \ { } escaped. RtfToText reads such a document back to its text; it understands
// groups, control words, \'xx, \uN with \ucN, \par, \line and \tab, and skips the font
// table and other destinations. It is meant for checking the bank's own documents, not for
// arbitrary RTF.
#pragma once
#include <string>
#include <vector>
#include "classlib/system/SysString.h"

// text: lines separated by '\n' ('\r' is dropped). Returns the RTF bytes.
std::string TextToRtf(const String& text);

struct TRtfContent {
  bool Valid = false;             // starts with {\rtf1 and its braces balance
  std::vector<String> Fonts;      // names of the font table, in order
  bool Cp936 = false;             // \ansicpg936 is declared
  String Text;                    // paragraphs separated by '\n'
};

TRtfContent ReadRtf(const std::string& rtf);
