// The export of a paper (see ExamExport.h).
#include "ExamExport.h"

#include <algorithm>
#include "AppQueries.h"
#include "classlib/system/SysExceptions.h"
#include "Responders.h"
#include "Ucommon.h"
#include "dm.h"

namespace {

// The stored rich text of a field, pasted; nothing for an empty one.
void PasteField(TDocumentWriter& writer, TField* field) {
  if (field->GetIsNull()) return;
  const Variant value = field->GetValue();
  std::string rtf;
  if (const TBytes* bytes = value.BytesPtr())
    rtf.assign(bytes->begin(), bytes->end());
  else
    rtf = StringToUtf8(value.AsString());
  if (rtf.empty()) return;
  if (rtf.compare(0, 5, "{\\rtf") == 0)
    writer.PasteRtf(rtf);
  else
    writer.TypeText(field->GetAsString());
}

// Closes the clone whatever happens.
struct TCloneGuard {
  TADOQuery* Clone;
  ~TCloneGuard() {
    try {
      Clone->Close();
    } catch (...) {
    }
  }
};

void WriteQuestions(TDocumentWriter& writer, TADOQuery* paper) {
  std::vector<int> typesMet;
  int section = 0;
  int number = 0;
  TADOTable* types = DM1->Cn1Table_tx;
  if (!types->GetActive()) types->Open();
  for (paper->First(); !paper->GetEof(); paper->Next()) {
    ++number;
    const int type = paper->FieldByName(L"a13")->GetAsInteger();
    const String id = paper->FieldByName(L"a1")->GetAsString();
    if (std::find(typesMet.begin(), typesMet.end(), type) == typesMet.end()) {
      typesMet.push_back(type);
      int count = 0, points = 0;
      if (types->Locate(L"A1", Variant(type), {})) {
        count = types->FieldByName(L"B2")->GetAsInteger();
        points = types->FieldByName(L"B3")->GetAsInteger();
      }
      writer.TypeText(SectionNumeral(++section) + TypeName(type) + L"[共" + IntToStr(count) + L"题，" + L"每题" +
                      IntToStr(points) + L"分，" + L"总计" + IntToStr(count * points) + L"分]");
      writer.TypeParagraph();
    }
    // A group stem is looked up for group members only, known by their "-": the bank's ids
    // are longer than twelve characters, so a length rule would give every question an
    // empty line.
    if (IsGroupMember(id)) {
      RunQuery(DM1->ADO_0, L"select a15 from tab_title where a1=" + QuotedStr(id.substr(0, 16)));
      if (!DM1->ADO_0->GetEof()) PasteField(writer, DM1->ADO_0->FieldByName(L"a15"));
      writer.TypeParagraph();
    }
    writer.TypeText(IntToStr(number) + L"、");
    RunQuery(DM1->ADO_0, L"select a15 from tab_exer where a1=" + QuotedStr(id));
    if (!DM1->ADO_0->GetEof()) PasteField(writer, DM1->ADO_0->FieldByName(L"a15"));
    writer.TypeParagraph();
  }
  DM1->ADO_0->Close();
}

void WriteLawPoints(TDocumentWriter& writer, TADOQuery* paper) {
  writer.TypeText(L"考点：");
  writer.TypeParagraph();
  TADOTable* laws = DM1->Cn1Table_fgmc;
  if (!laws->GetActive()) laws->Open();
  for (int k = 3; k <= 12; ++k) {
    const String article = Trim(paper->FieldByName(L"k" + IntToStr(k))->GetAsString());
    if (article.empty()) continue;
    RunQuery(DM1->Cn1Query3, L"select * from tab_rule where ftid=" + QuotedStr(article));
    const String sn = DM1->Cn1Query3->GetEof() ? String() : DM1->Cn1Query3->FieldByName(L"sn")->GetAsString();
    if (laws->Locate(L"id", Variant(article.substr(0, 4)), {}))
      writer.TypeText(laws->FieldByName(L"n")->GetAsString() + L" " + sn + L"；");
    else
      writer.TypeText(sn + L"；");
    writer.TypeParagraph();
    if (!DM1->Cn1Query3->GetEof()) PasteField(writer, DM1->Cn1Query3->FieldByName(L"n"));
    writer.TypeParagraph();
  }
  DM1->Cn1Query3->Close();
}

void WriteAnswers(TDocumentWriter& writer, TADOQuery* paper) {
  int number = 0;
  for (paper->First(); !paper->GetEof(); paper->Next()) {
    writer.TypeText(L"第" + IntToStr(++number) + L"题");
    writer.TypeParagraph();
    // Every key a student can check is written: all types but the self-assessed ones, whose
    // key "1" only says "会". (A list of the listening types alone would leave the other
    // subjects' papers without keys.)
    if (!IsSelfAssessedType(paper->FieldByName(L"a13")->GetAsInteger())) {
      writer.TypeText(L"试题答案：" + paper->FieldByName(L"a2")->GetAsString());
      writer.TypeParagraph();
    }
    if (!paper->FieldByName(L"jx")->GetIsNull()) {
      writer.TypeText(L"试题解析：");
      writer.TypeParagraph();
      PasteField(writer, paper->FieldByName(L"jx"));
      writer.TypeParagraph();
    }
    if (!Trim(paper->FieldByName(L"k3")->GetAsString()).empty()) WriteLawPoints(writer, paper);
  }
}

}  // namespace

String SectionNumeral(int n) {
  static const wchar_t* const numerals[] = {L"一、", L"二、", L"三、", L"四、", L"五、"};
  return n >= 1 && n <= 5 ? String(numerals[n - 1]) : String(L"--");
}

String TypeName(int typeCode) {
  TADOTable* types = DM1->Cn1Table_tx;
  if (!types->GetActive()) types->Open();
  if (types->Locate(L"A1", Variant(typeCode), {})) return types->FieldByName(L"B1")->GetAsString();
  return L"未知题型";
}

bool IsGroupMember(const String& id) { return id.find(L'-') != String::npos; }

void WritePaper(TDocumentWriter& writer, const String& title) {
  TADOQuery* clone = DM1->ADOQ_kl;
  TCloneGuard guard{clone};
  clone->Close();
  clone->Clone(DM1->Cn1Query_exam);
  writer.DocumentsAdd();
  writer.SetVisible(true);
  writer.TypeText(title);
  for (int i = 0; i < 3; ++i) writer.TypeParagraph();
  WriteQuestions(writer, clone);
  writer.InsertBreak();
  writer.TypeText(L"答案：");
  for (int i = 0; i < 3; ++i) writer.TypeParagraph();
  WriteAnswers(writer, clone);
  writer.HomeKey();  // the document opens at its beginning
}

String SaveNewDocument(const TDocumentWriter& writer, const String& stem) {
  // Enough for every export a paper can have; the bound keeps a folder that refuses every
  // name from holding the loop.
  constexpr int kMaxCopies = 10000;
  for (int copy = 1; copy <= kMaxCopies; ++copy) {
    const String name = stem + (copy == 1 ? String() : L"(" + IntToStr(copy) + L")") + L".rtf";
    if (writer.SaveToNewFile(name)) return name;
  }
  throw EFCreateError(L"Cannot create file \"" + stem + L".rtf\"");
}

void ExportToWord(const String& paperTable, const String& title) {
  try {
    TDocumentWriter writer;
    writer.Opener = [](const String& file) { ShellOpen(file, SW_SHOWNORMAL); };
    WritePaper(writer, title);
    // Every export is a document of its own: an earlier one, maybe open in a word processor
    // or left by a paper whose number is reused, is never written over.
    writer.OpenSaved(SaveNewDocument(writer, AppPath + L"data\\" + paperTable));
  } catch (const std::exception&) {
    AppMessageBox(L"导出试题发生错误，请退出后重试！", L"警告", MB_OK | MB_ICONEXCLAMATION);
  }
}
