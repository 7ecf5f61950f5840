// The law-text browser TfrmLawsFaGui (global frmLawsFaGui), opened by the menu command
// "zsd": the law groups and laws of tab_fgmc with their counters in a grid, a search by
// name, and the article view of one law (the detail panel of TfrmLawDetail) with its key
// points and the practice of the questions linked to one article.
//
// The law-article practice window is made through a maker its own unit installs
// (SetLawPracticeWindowMaker); without a maker the practice button builds the practice
// query and stops there.
#pragma once
#include <functional>
#include <memory>
#include "classlib/classes/StringList.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/Grids.h"
#include "classlib/stdctrls/Images.h"
#include "classlib/stdctrls/StdPanels.h"
#include "controls/effects/EPCtrls.h"
#include "controls/effects/EPLabels.h"
#include "controls/effects/FlatButtons.h"
#include "controls/effects/FlatEdit.h"

class TADOQuery;
class TfrmLawDetail;

// The law-article practice window as the browser drives it.
class TLawPractice {
 public:
  virtual ~TLawPractice() = default;
  // Loads the set of PracticeSQL; false when it is empty.
  virtual bool LoadQuestions() = 0;
  // The heading: the article number.
  virtual void SetHeading(const String& heading) = 0;
  virtual void ShowModal() = 0;
};
using TLawPracticeWindowMaker = std::function<std::unique_ptr<TLawPractice>()>;
// Installs the maker (an empty one removes it); returns the one before.
TLawPracticeWindowMaker SetLawPracticeWindowMaker(TLawPracticeWindowMaker maker);

// The practice query of the questions linked to the article articleId in any of k3..k12.
String LawPracticeQueryText(const String& articleId);
// The smallest question count of a key point: questions div articles, at least 1 (also
// when there are no articles or questionCell is not a number).
int KeyPointMinimum(const String& questionCell, int articles);
// The article number of a list item: the text before its first "(".
String ArticleNumberOfItem(const String& item);

class TfrmLawsFaGui : public TForm {
  CLASSLIB_CLASS(TfrmLawsFaGui, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout; FormCreate runs in AfterConstruction.
  explicit TfrmLawsFaGui(TComponent* owner);
  ~TfrmLawsFaGui() override;

  // ---- Components (owned by the window) ------------------------------------------------
  TPanel* m_pTiltel = nullptr;       // title panel
  TImage* Image1 = nullptr;          // its picture
  TepBevel* epBevel1 = nullptr;      // title bevel
  TepLabel* m_Ltiltle = nullptr;     // heading: "考 点 目 录" or the opened law
  TPanel* m_pBody = nullptr;         // body
  TPanel* m_pMuLu = nullptr;         // list area: the grid, or the detail panel
  TepBevel* epBevel3 = nullptr;      // list bevel
  TStringGrid* m_grid = nullptr;     // the laws
  TepBevel* epBevel2 = nullptr;      // bottom bevel
  TFlatEdit* m_editFind = nullptr;   // search text
  TFlatButton* m_btnFind = nullptr;      // 检索(&F)
  TFlatButton* m_btnSelect = nullptr;    // 选定(&S)
  TFlatButton* m_btnMost = nullptr;      // 重点(&M) / 全部(&A); Tag 1 while key points show
  TFlatButton* m_btnQuestion = nullptr;  // 练习(&P)
  TFlatButton* m_btnBack = nullptr;      // 返回(&B)
  TFlatButton* m_btnExit = nullptr;      // 退出(&E)
  TADOQuery* ADOQuery1 = nullptr;        // counts the articles of a law; on DM1's connection

  // ---- State ---------------------------------------------------------------------------
  // Grid row r (r ≥ 1) is the law whose tab_fgmc.id is LawIds[r - 1], as read.
  TStringList LawIds;
  // The smallest q of an article that is a key point of the opened law.
  int KeyPointMin = 1;

  // ---- Operations ----------------------------------------------------------------------
  // Headings, column widths for the screen, the heading row 36 high and the law rows as
  // high as the screen's layout has them.
  void SetupLawGrid();
  // Narrows the name column so that every column ends inside the grid's client area.
  void FitColumnsToGrid();
  // Fills the grid and LawIds from tab_fgmc by bh; false (grid untouched) when it is empty.
  bool LoadLaws();
  // The first row from 1 whose name contains the trimmed search text; -1 for none, for an
  // empty text or an empty grid.
  int FindLawRow();
  // Switches to the law list (true) or the article view of the current row (false).
  void ShowLawList(bool list);
  // Lists all articles (true) or the key points only; false when the articles are not
  // open or nothing passes (the full list then stays).
  bool FilterKeyPoints(bool all);
  // The detail window while the article view is on (nullptr otherwise); owned.
  TfrmLawDetail* GetDetail() const { return FDetail; }
  // The law id of the opened law (as held in LawIds).
  const String& GetOpenLawId() const { return FOpenLawId; }

  // ---- Event handlers ------------------------------------------------------------------
  void FormCreate(TObject* sender);
  // Sizes the window, the grid rows and the bottom row for the screen.
  void FormShow(TObject* sender);
  void m_btnFindClick(TObject* sender);
  // Enter searches.
  void m_editFindKeyDown(TObject* sender, WORD& key, TShiftState shift);
  // Opens the law of the current row in the article view.
  void m_btnSelectClick(TObject* sender);
  void m_gridDblClick(TObject* sender);
  void m_btnMostClick(TObject* sender);
  // Practises the questions linked to the selected article.
  void m_btnQuestionClick(TObject* sender);
  void m_btnBackClick(TObject* sender);
  void m_btnExitClick(TObject* sender);

 private:
  void RegisterHandlers();
  // Fills the article list from the records of m_queryDetail that pass its filter, binds
  // the text view and writes the first article's note.
  void FillArticleList();
  // Frees the detail window and its panel.
  void FreeDetail();
  // The law id of the current grid row; false when the row has none.
  bool CurrentLawId(String& id);

  TfrmLawDetail* FDetail = nullptr;  // the article view's window; owned
  String FOpenLawId;                 // id of the opened law, as held in LawIds
  String FListHeading;               // the heading of the law list, as laid out
};

extern TfrmLawsFaGui* frmLawsFaGui;
