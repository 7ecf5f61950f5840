// The linked-articles window TfrmAnswFagui: the law articles linked to one question (its
// columns k3..k12, in column order), the chosen article's text and, above it, the title of
// the law the article belongs to. The opener creates it, calls LoadLinkedRules and shows it
// modally only when that is true; the window frees itself when it closes.
#pragma once
#include <vector>
#include "app/PracticeCore.h"
#include "classlib/ado/ADODB.h"
#include "classlib/db/DBCtrls.h"
#include "controls/extended/DBRichEd.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/StdPanels.h"
#include "classlib/stdctrls/ListBoxes.h"
#include "classlib/stdctrls/Splitter.h"
#include "controls/effects/EffBtns.h"
#include "controls/effects/EPLabels.h"
#include "controls/effects/EPCtrls.h"

class TfrmAnswFagui : public TForm {
  CLASSLIB_CLASS(TfrmAnswFagui, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout.
  explicit TfrmAnswFagui(TComponent* owner);

  // ---- Components (owned by the window) ----------------------------------------------------
  TADOQuery* ADOQuery1 = nullptr;     // the article shown
  TDataSource* DataSource1 = nullptr;
  TADOQuery* ADOQuery2 = nullptr;     // the law whose title is shown
  TPanel* Panel1 = nullptr;           // the list
  TListBox* m_listbox = nullptr;      // hidden: the linked article ids, in column order
  TListBox* ListBox1 = nullptr;       // the article numbers, in rows 16 high (owner-drawn: a
                                      // standard list's rows are the font's height)
  TSplitter* Splitter1 = nullptr;
  TRxDBRichEdit* Re = nullptr;            // the article's text
  TPanel* Panel3 = nullptr;
  TepLabel* epLabel1 = nullptr;       // the title
  TPanel* Panel2 = nullptr;
  TepBevel* epBevel1 = nullptr;
  TepEfTrBtn* epEfTrBtn1 = nullptr;   // 关  闭
  TepLabel* epLabel2 = nullptr;       // hidden hint

  // Collects the linked article ids of the question; false when it has none (or does not
  // exist).
  bool LoadLinkedRules(const String& questionId);
  // The articles listed, each with its own law's title.
  const std::vector<TLinkedArticle>& GetArticles() const { return FArticles; }

  // Lists the articles the bank has and shows the first one.
  void FormShow(TObject* sender);
  // Shows the selected article, however the selection was moved.
  void ListBox1Click(TObject* sender);
  void Splitter1Moved(TObject* sender);
  void epEfTrBtn1Click(TObject* sender);
  void FormClose(TObject* sender, TCloseAction& action);

 private:
  void RegisterHandlers();
  void PlaceControls();
  // Shows the article at index of the list: its text and its law's title.
  void ShowArticle(int index);

  String FQuestionId;
  std::vector<TLinkedArticle> FArticles;  // one per item of ListBox1
};
