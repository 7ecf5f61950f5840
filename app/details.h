// The law article detail window TfrmLawDetail (global frmLawDetail): the article view of
// the law-text browser. It is never shown itself: the browser takes its detail panel
// m_Pdetail into its own list area. The panel lists the articles of the opened law (item i
// is record i + 1 of the data module's m_queryDetail, under the browser's filter), shows
// the text of the selected article and a note line with its question counters.
#pragma once
#include "classlib/db/DBCtrls.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/ListBoxes.h"
#include "classlib/stdctrls/Splitter.h"
#include "classlib/stdctrls/StdPanels.h"
#include "controls/extended/DBRichEd.h"

class TDataSet;

// The note of the current article of articles: its four counters when its q is above 0,
// else (and for nullptr) the advice to read it all the same.
String ArticleNoteText(TDataSet* articles);
// An article's list item: its sn without trailing blanks, followed by "(q)" when q is 1
// or more.
String ArticleItemText(const String& number, int questions);

class TfrmLawDetail : public TForm {
  CLASSLIB_CLASS(TfrmLawDetail, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout.
  explicit TfrmLawDetail(TComponent* owner);

  // ---- Components (owned by the window) ------------------------------------------------
  TPanel* m_Pdetail = nullptr;     // the panel the browser takes over
  TListBox* m_LBmenu = nullptr;    // one item per article
  TSplitter* Splitter1 = nullptr;
  TPanel* Panel1 = nullptr;        // text and note
  TRxDBRichEdit* Re = nullptr;     // the article's text (n), read-only
  TPanel* m_pNote = nullptr;       // the counters of the selected article

  // The browser's "练习" button, enabled while the selected article has questions; not
  // owned (nullptr: none).
  TControl* PracticeButton = nullptr;

  // ---- Event handlers ------------------------------------------------------------------
  // Moves m_queryDetail to the selected article and writes its note.
  void m_lBmenuClick(TObject* sender);

 private:
  void RegisterHandlers();
};

extern TfrmLawDetail* frmLawDetail;
