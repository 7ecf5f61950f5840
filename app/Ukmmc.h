// The subject and chapter chooser TFrmkmmc (global Frmkmmc): the chapter tree in a grid
// with its counters, the totals and the overall accuracy, and the buttons that start a
// practice (new, wrong or done questions of the chosen chapter and its sub-chapters), open
// the music settings and enter questions into a chapter.
//
// The practice and question-entry windows are made through makers that their own units
// install (SetPracticeWindowMaker, SetEntryWindowMaker); without a maker the chooser builds
// the practice query, or checks the chapter, and stops there.
#pragma once
#include <functional>
#include <memory>
#include <set>
#include "classlib/db/DBGrids.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/Images.h"
#include "classlib/stdctrls/SpeedButton.h"
#include "classlib/stdctrls/StdLabels.h"
#include "controls/effects/EffBtns.h"
#include "controls/effects/IndiCtrls.h"

// The practice window as the chooser drives it.
class TChooserPractice {
 public:
  virtual ~TChooserPractice() = default;
  virtual void SetCaption(const String& caption) = 0;
  // Loads the set of PracticeSQL; false when it is empty.
  virtual bool LoadQuestions() = 0;
  virtual void ShowModal() = 0;
};

// The question-entry window as the chooser drives it.
class TChooserEntry {
 public:
  virtual ~TChooserEntry() = default;
  // The window's heading and the chapter the questions go into.
  virtual void Prepare(const String& heading, const String& chapterCode) = 0;
  virtual void ShowModal() = 0;
  // Questions saved while it was shown.
  virtual int GetSavedCount() const = 0;
};

using TPracticeWindowMaker = std::function<std::unique_ptr<TChooserPractice>()>;
using TEntryWindowMaker = std::function<std::unique_ptr<TChooserEntry>()>;
// Installs the maker (an empty one removes it); returns the one before.
TPracticeWindowMaker SetPracticeWindowMaker(TPracticeWindowMaker maker);
TEntryWindowMaker SetEntryWindowMaker(TEntryWindowMaker maker);

// The level of a node in the chapter tree: how many of the codes (upper-cased) are proper
// prefixes of its code. A subject is at level 0, its chapters at 1, and so on.
int ChapterLevel(const String& code, const std::set<String>& codes);

// The practice query of a mode (1 new, 2 wrong, 3 done questions) over the chapter code and
// every code below it; empty for any other mode.
String PracticeQueryText(int mode, const String& chapterCode);

class TFrmkmmc : public TForm {
  CLASSLIB_CLASS(TFrmkmmc, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout; FormCreate runs in AfterConstruction.
  explicit TFrmkmmc(TComponent* owner);

  // ---- Components (owned by the window) ----------------------------------------------------
  TImage* Image1 = nullptr;            // background of the 800 × 600 layout
  TImage* Image11 = nullptr;           // background of the 1024 × 768 layout
  TDBGrid* DBGrid1 = nullptr;          // the chapter tree
  TLabel* Label1 = nullptr;            // headings of the totals
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TLabel* Label4 = nullptr;
  TepNumPanel* epNum_all = nullptr;    // questions
  TepNumPanel* epNum_ok = nullptr;     // answers given
  TepNumPanel* epNum_Err = nullptr;    // wrong answers
  TLabel* Lb_fs = nullptr;             // overall accuracy
  TSpeedButton* SpeedButton1 = nullptr;  // 练习新题 (Tag 1)
  TSpeedButton* SpeedButton2 = nullptr;  // 错题重做 (Tag 2)
  TSpeedButton* SpeedButton3 = nullptr;  // 习题重温 (Tag 3)
  TSpeedButton* SpeedButton4 = nullptr;  // settings
  TSpeedButton* SpeedButton5 = nullptr;  // question entry
  TSpeedButton* SpeedButton6 = nullptr;  // 关闭
  TSpeedButton* SpeedButton7 = nullptr;  // hidden
  TSpeedButton* SpeedButton8 = nullptr;  // hidden
  TepEfButton* epEfButton1 = nullptr;    // hidden twins of the speed buttons
  TepEfButton* epEfButton2 = nullptr;
  TepEfButton* epEfButton3 = nullptr;
  TepEfButton* epEfButton4 = nullptr;    // enabled when the chapter has guidance
  TepEfButton* epEfButton5 = nullptr;
  TepEfButton* epEfButton6 = nullptr;
  TepEfRndBtn* epEfRndBtn1 = nullptr;

  // ---- Event handlers ------------------------------------------------------------------------
  // Gives the practice buttons their modes.
  void FormCreate(TObject* sender);
  // Lists the chapters, lays the window out for the screen, shows the totals and returns
  // to the chapter practised last.
  void FormShow(TObject* sender);
  void FormHide(TObject* sender);
  void FormCloseQuery(TObject* sender, bool& canClose);
  // Starts a practice of the current chapter in the mode of sender's Tag.
  void epEfButton1Click(TObject* sender);
  void epEfButton2Click(TObject* sender);
  void epEfButton3Click(TObject* sender);
  void DBGrid1DblClick(TObject* sender);
  // The settings window on its music page, freed when it closes.
  void epEfButton5Click(TObject* sender);
  // Question entry into the current chapter (a leaf chapter only).
  void epEfButton6Click(TObject* sender);
  void SpeedButton6Click(TObject* sender);
  void epEfRndBtn1Click(TObject* sender);

  // The chapter the last practice was started from.
  const String& GetLastChapter() const { return FLastChapter; }

 private:
  void RegisterHandlers();
  void PlaceControls();
  void ShowTotals();
  // Runs the practice window over PracticeSQL; the mode picks the empty-set message.
  void RunPractice(int mode, const String& caption);
  void ShowEmptySetMessage(int mode);
  // Reads the codes of the chapter tree for the grid's indents.
  void ReadChapterCodes();
  // Draws a row's cell; the chapter's name is indented by its level (display only).
  void DrawChapterCell(TObject* sender, TRect rect, int dataCol, TColumn* column, TGridDrawState state);

  String FLastChapter;
  std::set<String> FChapterCodes;  // every C1 of the chapter table, upper-cased
};

extern TFrmkmmc* Frmkmmc;

// What a number panel of that many digits can show: value kept within 0 and the largest
// number of that many digits.
int NumPanelValue(int value, int digits);
