// Rich-text documents of the kinds that word processors write and that stems and law texts
// are pasted from: numbered and bulleted lists, a picture, fields, a table, and text in
// several code pages. Each is written here the way such a program writes it (font, colour
// and style tables before the text, the text in escapes of its code page), with text both
// before and after its middle.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

namespace rich_tests {

struct TRichDocument {
  const char* Kind;       // what the document holds
  std::string Bytes;
  const wchar_t* Ending;  // words of its last paragraph
};

// The header a word processor writes: code page, fonts, colours, a style sheet.
inline std::string DocumentHeader(const char* codePage, const char* fonts) {
  return std::string("{\\rtf1\\ansi\\ansicpg") + codePage + "\\deff0\\deflang1033\\deflangfe2052"
         "{\\fonttbl" + fonts + "}"
         "{\\colortbl ;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red192\\green0\\blue0;}"
         "{\\stylesheet{\\ql \\li0\\ri0\\widctlpar\\f0\\fs21 \\snext0 Normal;}"
         "{\\s1\\ql \\keepn\\f0\\fs32\\b \\sbasedon0 \\snext0 heading 1;}}"
         "{\\*\\generator ExamWriter 1.0;}\\viewkind4\\uc1\\pard\\plain\\f0\\fs21 ";
}

// A 24-bit bottom-up DIB of size x size pixels, as the hex of a \dibitmap0 picture.
inline std::string DibHex(int size) {
  std::string bytes;
  auto put32 = [&bytes](unsigned value) {
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  auto put16 = [&bytes](unsigned value) {
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>((value >> 8) & 0xFF);
  };
  const int stride = (size * 3 + 3) & ~3;
  put32(40);
  put32(static_cast<unsigned>(size));
  put32(static_cast<unsigned>(size));
  put16(1);
  put16(24);
  put32(0);
  put32(static_cast<unsigned>(stride * size));
  put32(3780);
  put32(3780);
  put32(0);
  put32(0);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < stride; ++x) bytes += static_cast<char>((x * 7 + y * 13) & 0xFF);
  std::string hex;
  char pair[3];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(pair, sizeof(pair), "%02x", static_cast<unsigned char>(bytes[i]));
    hex += pair;
    if (i % 64 == 63) hex += "\r\n";
  }
  return hex;
}

// Paragraphs of ordinary text in code page 936 (as \\'xx escapes), the opening of a document.
inline std::string OpeningParagraphs(int count) {
  // "资产评估应当遵循独立、客观、公正的原则，" followed by its paragraph's number.
  const char* sentence =
      "\\'d7\\'ca\\'b2\\'fa\\'c6\\'c0\\'b9\\'c0\\'d3\\'a6\\'b5\\'b1\\'d7\\'f1\\'d1\\'ad"
      "\\'b6\\'c0\\'c1\\'a2\\'a1\\'a2\\'bf\\'cd\\'b9\\'db\\'a1\\'a2\\'b9\\'ab\\'d5\\'fd"
      "\\'b5\\'c4\\'d4\\'ad\\'d4\\'f2\\'a3\\'ac";
  std::string text;
  for (int i = 1; i <= count; ++i)
    text += std::string(sentence) + sentence + " paragraph " + std::to_string(i) + "\\par\r\n";
  return text;
}

inline std::vector<TRichDocument> RichDocuments() {
  const char* song = "{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}{\\f1\\fswiss\\fcharset0 Arial;}"
                     "{\\f2\\fnil\\fcharset2 Symbol;}";
  std::vector<TRichDocument> documents;
  // Numbered and bulleted lists with their list tables and the text the numbers stand in.
  documents.push_back(
      {"lists",
       DocumentHeader("936", song) + OpeningParagraphs(6) +
           "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\leveljc0\\levelstartat1"
           "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid1}"
           "{\\list\\listtemplateid2{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3913 ?;}"
           "{\\levelnumbers;}\\f2\\fi-360\\li720}\\listid2}}"
           "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}"
           "{\\listoverride\\listid2\\listoverridecount0\\ls2}}"
           "\\'cf\\'c2\\'c1\\'d0\\'cb\\'b5\\'b7\\'a8\\'d5\\'fd\\'c8\\'b7\\'b5\\'c4\\'d3\\'d0\\par"
           "\\pard{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart1\\pnindent360{\\pntxta .}}"
           "\\ls1\\fi-360\\li720 \\'d7\\'ca\\'b2\\'fa\\'c6\\'c0\\'b9\\'c0 first item\\par"
           "{\\pntext\\f0 2.\\tab}\\'d3\\'a6\\'b5\\'b1\\'d2\\'c0\\'be\\'dd second item\\par"
           "{\\pntext\\f0 3.\\tab}third item with \\b bold\\b0  words\\par"
           "\\pard{\\pntext\\f2\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent360{\\pntxtb\\'b7}}"
           "\\ls2\\fi-360\\li720 bullet one\\par{\\pntext\\f2\\'b7\\tab}bullet two\\par"
           "{\\pntext\\f2\\'b7\\tab}\\'d7\\'ee\\'ba\\'f3\\'d2\\'bb\\'cf\\'ee last bullet\\par"
           "\\pard closing paragraph of the list document.\\par}",
       L"closing paragraph of the list document."});
  // A picture between two paragraphs: far more bytes of hex than characters of text.
  documents.push_back(
      {"picture",
       DocumentHeader("936", song) + OpeningParagraphs(6) +
           "\\'cd\\'bc\\'ca\\'be\\'c8\\'e7\\'cf\\'c2 the figure below\\par"
           "{\\pict\\dibitmap0\\picw32\\pich32\\picwgoal480\\pichgoal480 " + DibHex(32) + "}\\par"
           "\\'cd\\'bc\\'d6\\'d0 caption under the figure\\par}",
       L"图中 caption under the figure"});
  // A hyperlink and a page-number field with their instructions and results.
  documents.push_back(
      {"fields",
       DocumentHeader("936", song) + OpeningParagraphs(6) +
           "\\'b2\\'ce\\'bc\\'fb see the law text at \\par"
           "{\\field{\\*\\fldinst{HYPERLINK \"http://www.example.com/law/article-12.html\"}}"
           "{\\fldrslt{\\ul\\cf2 article twelve}}}\\par "
           "page {\\field{\\*\\fldinst{ PAGE \\\\* MERGEFORMAT }}{\\fldrslt{1}}} of the text\\par"
           "{\\field{\\*\\fldinst{ DATE \\\\@ \"yyyy-MM-dd\" }}{\\fldrslt{2024-05-01}}}\\par"
           "\\'bd\\'e1\\'ca\\'f8 end of the fields\\par}",
       L"结束 end of the fields"});
  // A table of two rows.
  documents.push_back(
      {"table",
       DocumentHeader("936", song) + OpeningParagraphs(6) +
           "\\'b1\\'ed\\'b8\\'f1 table follows\\par"
           "\\trowd\\trgaph108\\trleft-108\\cellx2000\\cellx4000\\cellx6000"
           "\\pard\\intbl \\'cf\\'ee\\'c4\\'bf\\cell amount\\cell rate\\cell\\row"
           "\\trowd\\trgaph108\\trleft-108\\cellx2000\\cellx4000\\cellx6000"
           "\\pard\\intbl land\\cell 1200\\cell 5%\\cell\\row"
           "\\pard after the table, the closing words\\par}",
       L"after the table, the closing words"});
  // Western text in code page 1252 and Unicode escapes.
  documents.push_back(
      {"code page 1252",
       DocumentHeader("1252", "{\\f0\\froman\\fcharset0 Times New Roman;}") +
           "Opening words of a western document, long enough to fill half of it.\\par "
           "A second opening paragraph in plain letters, then the accents.\\par "
           "A third paragraph of plain letters before the accents begin.\\par "
           "A fourth paragraph of plain letters before the accents begin.\\par "
           "A fifth paragraph of plain letters before the accents begin.\\par "
           "A sixth paragraph of plain letters before the accents begin.\\par "
           "A seventh paragraph of plain letters before the accents begin.\\par "
           "An eighth paragraph of plain letters before the accents begin.\\par "
           "A ninth paragraph of plain letters before the accents begin.\\par " +
           "Caf\\'e9 na\\'efve r\\'e9sum\\'e9 \\'a9 2024\\par"
           "\\u8364? euro, \\u8220?quoted\\u8221?, \\u945?\\u946?\\u947? letters\\par "
           "second half: \\'c0 la carte, se\\'f1or, stra\\'dfe\\par}",
       L"second half: À la carte, señor, straße"});
  // Simplified Chinese in code page 936 with a GB2312 font, and Unicode escapes beside it.
  documents.push_back(
      {"code page 936",
       DocumentHeader("936", song) + OpeningParagraphs(6) +
           "\\'b5\\'da\\'d2\\'bb\\'cc\\'f5 \\'ce\\'aa\\'c1\\'cb\\'b9\\'e6\\'b7\\'b6\\'d7\\'ca"
           "\\'b2\\'fa\\'c6\\'c0\\'b9\\'c0\\'d0\\'d0\\'ce\\'aa\\par"
           "{\\b \\'b5\\'da\\'b6\\'fe\\'cc\\'f5}\\u21271?\\u27861? \\'b1\\'be\\'b7\\'a8\\'cb\\'f9"
           "\\'b3\\'c6\\'d7\\'ca\\'b2\\'fa\\'c6\\'c0\\'b9\\'c0\\par"
           "\\'b5\\'da\\'c8\\'fd\\'cc\\'f5 \\'c6\\'c0\\'b9\\'c0\\'bb\\'fa\\'b9\\'b9\\par}",
       L"第三条 评估机构"});
  // Big5 text in a font of that character set.
  documents.push_back(
      {"code page 950",
       DocumentHeader("950", "{\\f0\\fnil\\fcharset136 MingLiU;}") +
           "Opening words of a Big5 document, long enough to fill half of it.\\par "
           "A second opening paragraph in plain letters, then the Big5 text.\\par "
           "A third paragraph of plain letters before the characters begin.\\par "
           "A fourth paragraph of plain letters before the characters begin.\\par "
           "A fifth paragraph of plain letters before the characters begin.\\par "
           "A sixth paragraph of plain letters before the characters begin.\\par "
           "A seventh paragraph of plain letters before the characters begin.\\par "
           "An eighth paragraph of plain letters before the characters begin.\\par "
           "A ninth paragraph of plain letters before the characters begin.\\par " +
           "\\'a4\\'a4\\'a4\\'e5 traditional text \\'b4\\'fa\\'b8\\'d5\\par"
           "\\'b2\\'c4\\'a4\\'47\\'b1\\'f8 second article of the text\\par}",
       L"第二條 second article of the text"});
  return documents;
}

}  // namespace rich_tests
