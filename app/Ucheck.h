// The exam records window TFrmCheck (global FrmCheck, caption "查阅试卷"): the mock exams
// taken, newest first, with the number taken, the number passed (60 or more) and the average
// score, and the review of a past paper. A paper the program left without hand-in is listed
// as "未交卷", counts nowhere, and is sat on from its stored answers when opened.
//
// Each screen layout has its picture; 设置 and 关闭 are captionless flat areas over the
// labels the picture carries, 查阅 draws its own caption, grey when there is nothing to review.
#pragma once
#include <functional>
#include "ExamPaper.h"
#include "classlib/db/DBGrids.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/Images.h"
#include "classlib/stdctrls/SpeedButton.h"
#include "classlib/stdctrls/StdLabels.h"
#include "controls/effects/EffBtns.h"
#include "controls/effects/IndiCtrls.h"

class TADOTable;

class TFrmCheck : public TForm {
  CLASSLIB_CLASS(TFrmCheck, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout.
  explicit TFrmCheck(TComponent* owner);

  // ---- Components (owned by the window) ------------------------------------------------
  TImage* Image1 = nullptr;              // the small layout's background
  TImage* Image2 = nullptr;              // the large layout's background
  TLabel* Lbcap = nullptr;               // the window's title
  TDBGrid* DBGrid1 = nullptr;            // tab_cj: title, score, time used
  TLabel* Label1 = nullptr;              // "考试次数"
  TLabel* Label2 = nullptr;              // "及格次数"
  TLabel* Label3 = nullptr;              // "平均成绩"
  TepNumPanel* epNumPanel1 = nullptr;    // exams taken
  TepNumPanel* epNumPanel2 = nullptr;    // exams passed
  TepNumPanel* epNumPanel3 = nullptr;    // average score
  TLabel* Lbtip = nullptr;               // the note on papers below 50
  TSpeedButton* SpeedButton1 = nullptr;  // settings
  TSpeedButton* SpeedButton2 = nullptr;  // review (查阅)
  TSpeedButton* SpeedButton3 = nullptr;  // close
  TSpeedButton* SpeedButton4 = nullptr;  // delete (never shown)
  TepEfButton* epEfButton3 = nullptr;    // settings (hidden)
  TepEfTrBtn* epEfTrBtn1 = nullptr;      // review (hidden; its Enabled says whether review is possible)
  TepEfTrBtn* epEfTrBtn2 = nullptr;      // close (hidden)

  // ---- Event handlers ------------------------------------------------------------------
  // Lays the window out for the screen, opens tab_cj newest first and shows the counters.
  void FormShow(TObject* sender);
  // Lets go of tab_cj and the query.
  void FormClose(TObject* sender, TCloseAction& action);
  // Review of the selected record's paper.
  void epEfTrBtn1Click(TObject* sender);
  void epEfTrBtn2Click(TObject* sender);
  // The settings window on its music page, modally.
  void epEfButton3Click(TObject* sender);
  // Drops the selected record's paper and deletes the record.
  void SpeedButton4Click(TObject* sender);

  // ---- Operations ----------------------------------------------------------------------
  // Opens the selected record's paper into paper, for review or, not handed in, to be sat
  // on (Mode "new", Resumed), and when it opened runs review (the exam window shown
  // modally): false when there is no record or the paper cannot be opened ("无法打开试卷！"
  // was shown). The window is hidden meanwhile and shown again afterwards.
  bool ReviewSelected(TExamPaper& paper, const std::function<void()>& review = {});
  // The counters over the handed-in papers: their number, those scoring 60 or more, the
  // average score rounded half to even.
  void ShowCounters();

 private:
  void RegisterHandlers();
  // The small layout's bounds (800 × 600 screens).
  void LayOutSmall();
  // The score column shows "未交卷" for a paper not handed in (records just opened).
  void MarkPapersNotHandedIn(TADOTable* records);
};

extern TFrmCheck* FrmCheck;

// The average score shown: avg rounded to the nearest integer, a half to the even one;
// 0 for no average (no record).
int AverageScoreShown(const Variant& average);
