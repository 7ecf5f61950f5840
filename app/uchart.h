// The statistics charts window Tfrmchart (global frmchart, caption "成绩统计图"): three charts
// over the chapters of tab_kmmc marked for charts (C7 = '0') on the pages of Notebook1: how
// often the chapters' questions were answered and answered wrongly (page 0), how the
// questions are spread over the chapters (page 1, a pie) and how far each chapter has been
// worked through (page 2). The panel on the right chooses the chart and its legend, 3-D view
// and marks; the buttons print it, save it as a bitmap and close the window.
#pragma once
#include <cstdint>
#include "classlib/chart/Chart.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/CheckBoxes.h"
#include "classlib/stdctrls/Notebooks.h"
#include "classlib/stdctrls/PictureDialogs.h"
#include "classlib/stdctrls/RadioGroup.h"
#include "classlib/stdctrls/StdLabels.h"
#include "classlib/stdctrls/StdPanels.h"
#include "controls/effects/EPButtons.h"
#include "controls/effects/EffBtns.h"

class Tfrmchart : public TForm {
  CLASSLIB_CLASS(Tfrmchart, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout; FormCreate runs in AfterConstruction.
  explicit Tfrmchart(TComponent* owner);

  // ---- Components (owned by the window) ------------------------------------------------
  TNotebook* Notebook1 = nullptr;       // one chart per page
  TDBChart* DBChart1 = nullptr;         // page 0: answers and wrong answers
  TDBChart* DBChart2 = nullptr;         // page 1: questions per chapter
  TDBChart* DBChart3 = nullptr;         // page 2: progress in percent
  TLabel* Label1 = nullptr;             // "习题总数:" on the pie page
  TLabel* Label2 = nullptr;             // the total question count
  TPanel* Panel1 = nullptr;             // the options on the right
  TRadioGroup* RadioGroup1 = nullptr;   // chart type
  TRadioGroup* RadioGroup2 = nullptr;   // legend position
  TCheckBox* CheckBox1 = nullptr;       // 3-D view
  TCheckBox* CheckBox2 = nullptr;       // legend shown
  TCheckBox* CheckBox3 = nullptr;       // marks shown
  TepEfTrBtn* epEfTrBtn1 = nullptr;     // settings
  TepFocusButton* epFocusButton3 = nullptr;  // save as
  TepFocusButton* epFocusButton1 = nullptr;  // print
  TepFocusButton* epFocusButton2 = nullptr;  // close
  TSavePictureDialog* SavePictureDialog1 = nullptr;
  // The series, made by FormCreate (owned by the window).
  TBarSeries* Series1 = nullptr;        // "已做题次" on DBChart1
  TBarSeries* Series4 = nullptr;        // "做错题次" on DBChart1
  TPieSeries* Series2 = nullptr;        // "习题分布" on DBChart2
  TBarSeries* Series3 = nullptr;        // "进度" on DBChart3

  // ---- Event handlers ------------------------------------------------------------------
  void FormCreate(TObject* sender);
  // Lays the window out for the screen, fills the series and shows the frequency chart.
  void FormShow(TObject* sender);
  void FormCloseQuery(TObject* sender, bool& canClose);
  // Shows the chosen chart with its options back at their defaults.
  void RadioGroup1Click(TObject* sender);
  // Puts the shown chart's legend on the chosen side.
  void RadioGroup2Click(TObject* sender);
  void CheckBox1Click(TObject* sender);
  void CheckBox2Click(TObject* sender);
  void CheckBox3Click(TObject* sender);
  void epFocusButton1Click(TObject* sender);  // print
  void epFocusButton2Click(TObject* sender);  // close
  void epFocusButton3Click(TObject* sender);  // save as
  void epEfTrBtn1Click(TObject* sender);      // the settings window on its music page, modal

  // ---- Operations ----------------------------------------------------------------------
  // The chart of the page shown.
  TDBChart* ShownChart() const;
  // Saves the shown chart as a bitmap; tells the user when it cannot.
  void SaveChartTo(const String& fileName);
  // Prints the shown chart in landscape; tells the user when there is no printer or
  // printing fails.
  void PrintChart();

 private:
  void RegisterHandlers();
  // Fills the four series from the chapter rows marked for charts.
  void FillSeries();
  // The series whose marks CheckBox3 switches on the page shown.
  std::vector<TChartSeries*> ShownSeries() const;
};

extern Tfrmchart* frmchart;

// The colour of the i-th chapter row: 255 + 80000 * i, kept within the 24 bits of a colour.
TColor ChapterColor(int index);
// The percentage of a chapter's questions done, exact in integers: done * 100 div count
// (truncated toward zero). count must not be 0.
int64_t ProgressPercent(int64_t done, int64_t count);
// The page of Notebook1 that an item of RadioGroup1 shows (item 0 the pie, 1 the frequency
// chart, 2 the progress chart); -1 for no item.
int ChartPageOfItem(int item);
