// The export of a mock-exam paper as a document: the questions in numbered sections by type,
// then, after a page break, every question's key (when it is not self-assessed), explanation
// and linked law articles. Stems, group stems, explanations and article texts are carried as
// the rich text they are stored as.
#pragma once
#include "classlib/standins/DocumentWriter.h"
#include "classlib/system/SysString.h"

// "一、" to "五、" for 1 to 5; "--" for any other number.
String SectionNumeral(int n);
// The name of a question type (B1 of its tab_tx row); "未知题型" when there is none.
String TypeName(int typeCode);
// True when the question id names a member of a question group (it holds a "-").
bool IsGroupMember(const String& id);

// Writes the paper open on Cn1Query_exam, titled title, into writer (through a clone, so the
// paper's own position does not move). Errors go to the caller; the clone is closed on
// every path.
void WritePaper(TDocumentWriter& writer, const String& title);
// Saves writer's document as a new file stem + ".rtf", or stem + "(2).rtf", "(3)", … when
// that name is taken; the name used. EFCreateError or EWriteError when it cannot.
String SaveNewDocument(const TDocumentWriter& writer, const String& stem);
// The export of the paper: writes it, saves it in the program's data folder as a new file
// named after the paper table (SaveNewDocument) and opens it with the shell. Any failure
// shows "导出试题发生错误，请退出后重试！" (caption "警告").
void ExportToWord(const String& paperTable, const String& title);
