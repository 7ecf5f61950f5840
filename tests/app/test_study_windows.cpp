// The study log, the statistics charts and the study plan windows on a bank written by the
// test, in both screen layouts, with a screenshot of each.
#include <gtest/gtest.h>

#include <cmath>

#include "WindowTestSupport.h"
#include "app/DTCalc.h"
#include "app/Ucommon.h"
#include "app/Uconfig.h"
#include "app/Uplan.h"
#include "app/Urz.h"
#include "app/uchart.h"
#include "app/start.h"
#include "classlib/stdctrls/Clipboard.h"
#include "classlib/stdctrls/Printers.h"
#include "classlib/system/SysFiles.h"
#include "tests/ApplicationTestSupport.h"

#include <commdlg.h>
#include <dlgs.h>

namespace {

// ---- Pure arithmetic ----------------------------------------------------------------------------

TEST(DTCalc, ResultsTruncateTowardZero) {
  struct {
    double Days;
    int32_t Milliseconds, Seconds, Minutes, Hours, DaysOut, Months, Years;
  } cases[] = {
      {1.5, 129600000, 129600, 2160, 36, 1, 0, 0},
      {400, static_cast<int32_t>(static_cast<uint32_t>(34560000000LL)), 34560000, 576000, 9600, 400, 13, 1},
      {-1.5, -129600000, -129600, -2160, -36, -1, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    TDTCalc calc(nullptr);
    calc.SetStartTime(EncodeDate(2024, 5, 7));
    calc.SetEndTime(EncodeDate(2024, 5, 7) + c.Days);
    EXPECT_EQ(c.Milliseconds, calc.GetMilliseconds()) << c.Days;
    EXPECT_EQ(c.Seconds, calc.GetSeconds()) << c.Days;
    EXPECT_EQ(c.Minutes, calc.GetMinutes()) << c.Days;
    EXPECT_EQ(c.Hours, calc.GetHours()) << c.Days;
    EXPECT_EQ(c.DaysOut, calc.GetDays()) << c.Days;
    EXPECT_EQ(c.Months, calc.GetMonths()) << c.Days;
    EXPECT_EQ(c.Years, calc.GetYears()) << c.Days;
  }
}

TEST(DTCalc, OutOfRangeRealsKeepTheirLowBits) {
  EXPECT_EQ(static_cast<int32_t>(static_cast<uint32_t>(int64_t(1) << 40 | 7)),
            TruncLow32(static_cast<double>(int64_t(1) << 40 | 7)));
  EXPECT_EQ(-7, TruncLow32(-7.9));
  EXPECT_EQ(0, TruncLow32(1e300)) << "a multiple of 2^32";
  EXPECT_EQ(0, TruncLow32(NAN));
  TDTCalc calc(nullptr);
  calc.SetEndTime(2958465.0);  // 9999-12-31: far beyond 32 bits of milliseconds
  EXPECT_EQ(static_cast<int32_t>(static_cast<uint32_t>(int64_t(2958465) * 86400000)),
            calc.GetMilliseconds());
  EXPECT_EQ(2958465, calc.GetDays());
}

TEST(ChartArithmetic, ProgressIsExactInIntegersAndColoursStayIn24Bits) {
  EXPECT_EQ(75, ProgressPercent(30, 40));
  EXPECT_EQ(66, ProgressPercent(2, 3));
  EXPECT_EQ(29, ProgressPercent(29, 100));
  EXPECT_EQ(100, ProgressPercent(3, 3));
  EXPECT_EQ(255, ColorToInt(ChapterColor(0)));
  EXPECT_EQ(80255, ColorToInt(ChapterColor(1)));
  for (int i : {209, 210, 500, 100000}) EXPECT_EQ(0, ColorToInt(ChapterColor(i)) & ~0xFFFFFF) << i;
  EXPECT_EQ(1, ChartPageOfItem(0));
  EXPECT_EQ(0, ChartPageOfItem(1));
  EXPECT_EQ(2, ChartPageOfItem(2));
}

TEST(PlanArithmetic, CountsReadFromTheMaskedBoxes) {
  EXPECT_EQ(2476900, ColorToInt(CountdownColor(8)));
  int n = -1;
  EXPECT_TRUE(ReadCount(L"_____", n));
  EXPECT_EQ(0, n);
  EXPECT_TRUE(ReadCount(L"  120", n));
  EXPECT_EQ(120, n);
  EXPECT_TRUE(ReadCount(L"30___", n));
  EXPECT_EQ(30, n);
  EXPECT_FALSE(ReadCount(L"12a", n));
  EXPECT_FALSE(ReadCount(L"999999", n));
  EXPECT_FALSE(ReadCount(L"1 2__", n)) << "a blank between digits";
}

// ---- Windows ------------------------------------------------------------------------------------

// The windows on the data module over a copy of the shipped bank, with the responders
// recording what the windows tell the user.
class StudyWindows : public ::testing::Test {
 protected:
  void SetUp() override { ScreenMode = L"800"; }
  void TearDown() override {
    delete FForm;
    FForm = nullptr;
    ScreenMode = L"";
  }
  void Exec(const String& sql) { Data.Exec(sql); }
  int Int(const String& sql) { return SelectInt(Data.Cn(), sql); }
  // Creates the window (OnCreate included), shows it and lets it paint.
  template <class T>
  T* Open() {
    delete FForm;
    T* form = TCustomForm::Create<T>(Application);
    FForm = form;
    form->Show();
    Pump();
    return form;
  }
  void Pump() { PumpAWhile(); }
  void Shot(const String& name) {
    Pump();
    EXPECT_TRUE(SaveWindowShot(FForm->GetHandle(), name + L"_" + ScreenMode));
  }
  TProgramData Data;
  TRecordingResponders Responders;
  TCustomForm* FForm = nullptr;
};

// ---- The study log --------------------------------------------------------------------------------

TEST_F(StudyWindows, EmptyLogShowsZeros) {
  Exec(L"delete from tab_rz");
  auto* form = Open<TFrmRz>();
  EXPECT_EQ(L"日志", form->GetCaption());
  EXPECT_EQ(L"0", form->epLabel2->GetCaption());
  EXPECT_EQ(L"0", form->epLabel3->GetCaption());
  EXPECT_EQ(L"0", form->epLabel4->GetCaption());
  Shot(L"study_log_empty");
}

TEST_F(StudyWindows, LogSettingsButtonOpensTheMusicSettings) {
  auto* form = Open<TFrmRz>();
  ExpectMusicSettingsFrom(form, [&] { ClickControl(form->SpeedButton1); });
}

TEST_F(StudyWindows, LogTotalsNewestDayFirstAndColumnsInBothLayouts) {
  Exec(L"delete from tab_rz");
  Exec(L"insert into tab_rz (A1, A2, A3, A4, B1, B2, D1) values (#2024-05-06#, 120, 30, '75.00', 40, 10, '01:00:00')");
  Exec(L"insert into tab_rz (A1, A2, A3, A4, B1, B2, D1) values (#2024-05-08#, 80, 20, '75.00', 30, 5, '00:40:00')");
  Exec(L"insert into tab_rz (A1, A2, A3, A4, B1, B2, D1) values (#2024-05-07#, 0, 0, '0', 0, 0, '00:00:00')");
  const wchar_t* fields[] = {L"A1", L"B1", L"B2", L"A2", L"A3", L"D1", L"A4"};
  for (const wchar_t* mode : {L"800", L"1024"}) {
    ScreenMode = mode;
    auto* form = Open<TFrmRz>();
    EXPECT_EQ(L"200", form->epLabel2->GetCaption());
    EXPECT_EQ(L"50", form->epLabel3->GetCaption());
    EXPECT_EQ(L"75.00", form->epLabel4->GetCaption());
    TADOTable* log = DM1->Cn1Table_rz;
    log->First();
    EXPECT_EQ(EncodeDate(2024, 5, 8), log->FieldByName(L"A1")->GetAsDateTime()) << "newest day first";
    TDBGridColumns* columns = form->DBGrid1->GetColumns();
    ASSERT_EQ(7, columns->GetCount());
    for (int i = 0; i < 7; ++i) EXPECT_EQ(fields[i], columns->GetItem(i)->GetFieldName()) << i;
    EXPECT_TRUE(form->DBGrid1->GetReadOnly());
    if (String(mode) == L"1024") {
      EXPECT_TRUE(form->Image2->GetVisible());
    }
    EXPECT_TRUE(InSight(form->SpeedButton3));
    EXPECT_FALSE(InSight(form->SpeedButton2)) << "the disabled second 关闭 lies outside the visible area";
    Shot(L"study_log");
    ClickControl(form->SpeedButton3);
    EXPECT_FALSE(form->GetVisible());
    EXPECT_FALSE(DM1->Cn1Table_rz->GetActive()) << "closing closes the log table";
  }
}

// ---- The charts -------------------------------------------------------------------------------------

class ChartWindow : public StudyWindows {
 protected:
  void AddChapter(const String& code, const String& name, int c3, int c4, int d1, int d2, const String& c7) {
    Exec(L"insert into tab_kmmc (bh, C1, C2, C3, C4, D1, D2, C7) values (" + IntToStr(++FBh) + L", '" + code +
         L"', '" + name + L"', " + IntToStr(c3) + L", " + IntToStr(c4) + L", " + IntToStr(d1) + L", " +
         IntToStr(d2) + L", '" + c7 + L"')");
  }
  void OneChapter() {
    Exec(L"delete from tab_kmmc");
    AddChapter(L"21", L"第一章", 40, 30, 100, 20, L"0");
  }
  static std::vector<double> Values(const TChartSeries* series) {
    std::vector<double> values;
    for (int i = 0; i < series->Count(); ++i) values.push_back(series->Point(i).Value);
    return values;
  }
  int FBh = 100;
};

TEST_F(ChartWindow, OnlyMarkedChaptersWithTheirValuesAndColours) {
  OneChapter();
  AddChapter(L"22", L"第二章", 3, 2, 5, 1, L"0");
  AddChapter(L"23", L"第三章", 100, 29, 60, 15, L"0");
  AddChapter(L"24", L"空章", 0, 0, 0, 0, L"0");
  AddChapter(L"25", L"不画", 50, 50, 50, 50, L"1");
  for (const wchar_t* mode : {L"800", L"1024"}) {
    ScreenMode = mode;
    auto* form = Open<Tfrmchart>();
    EXPECT_EQ((std::vector<double>{40, 3, 100, 0}), Values(form->Series2));
    EXPECT_EQ(80255, ColorToInt(form->Series2->PointColor(1)));
    EXPECT_EQ(160255, ColorToInt(form->Series2->PointColor(2)));
    EXPECT_EQ((std::vector<double>{100, 5, 60, 0}), Values(form->Series1));
    EXPECT_EQ((std::vector<double>{20, 1, 15, 0}), Values(form->Series4));
    EXPECT_EQ((std::vector<double>{75, 66, 29}), Values(form->Series3)) << "no point without questions";
    EXPECT_EQ(L"第三章", form->Series3->Point(2).Label);
    EXPECT_EQ(0, form->Notebook1->GetPageIndex());
    EXPECT_EQ(1, form->RadioGroup1->GetItemIndex());
    EXPECT_EQ(crDefault, Screen->GetCursor());
    Shot(L"charts_frequency");
    form->RadioGroup1->SetItemIndex(0);
    EXPECT_EQ(1, form->Notebook1->GetPageIndex());
    EXPECT_EQ(L"143", form->Label2->GetCaption());
    Shot(L"charts_pie");
    form->RadioGroup1->SetItemIndex(2);
    EXPECT_EQ(2, form->Notebook1->GetPageIndex());
    Shot(L"charts_progress");
  }
}

TEST_F(ChartWindow, OptionsApplyToTheShownChartAndResetOnAnotherType) {
  OneChapter();
  auto* form = Open<Tfrmchart>();
  form->RadioGroup1->SetItemIndex(0);  // the pie
  TDBChart* pie = form->DBChart2;
  for (int click = 0; click < 3; ++click) {
    form->RadioGroup2->SetItemIndex(click % 2 == 0 ? 1 : 3);
    form->RadioGroup2->SetItemIndex(1);
    EXPECT_EQ(laBottom, pie->GetLegendAlignment());
    EXPECT_EQ(370, form->Label1->GetTop()) << "the same place on every click";
    EXPECT_EQ(370, form->Label2->GetTop());
  }
  form->RadioGroup2->SetItemIndex(2);
  EXPECT_EQ(laLeft, pie->GetLegendAlignment());
  EXPECT_EQ(400, form->Label1->GetTop());
  ::SendMessageW(form->CheckBox1->GetHandle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(pie->GetView3D());
  ::SendMessageW(form->CheckBox3->GetHandle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(form->Series2->GetMarksVisible());
  ::SendMessageW(form->CheckBox2->GetHandle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(pie->GetLegendVisible());
  EXPECT_FALSE(form->RadioGroup2->GetEnabled());
  EXPECT_TRUE(form->DBChart1->GetView3D()) << "another page's chart is untouched";
  // Another chart type: the options return to their defaults on the chart now shown.
  form->DBChart3->SetView3D(false);
  form->RadioGroup1->SetItemIndex(2);
  EXPECT_EQ(0, form->RadioGroup2->GetItemIndex());
  EXPECT_TRUE(form->RadioGroup2->GetEnabled());
  EXPECT_TRUE(form->CheckBox1->GetChecked() && form->CheckBox2->GetChecked() && form->CheckBox3->GetChecked());
  EXPECT_TRUE(form->DBChart3->GetView3D());
  EXPECT_TRUE(form->DBChart3->GetLegendVisible());
  EXPECT_EQ(laTop, form->DBChart3->GetLegendAlignment());
}

TEST_F(ChartWindow, EmptyTableGivesEmptyChartsAndAZeroTotal) {
  Exec(L"delete from tab_kmmc");
  auto* form = Open<Tfrmchart>();
  for (TChartSeries* s : std::initializer_list<TChartSeries*>{form->Series1, form->Series2, form->Series3, form->Series4})
    EXPECT_EQ(0, s->Count());
  form->RadioGroup1->SetItemIndex(0);
  EXPECT_EQ(L"0", form->Label2->GetCaption());
  Shot(L"charts_empty");
}

TEST_F(ChartWindow, CursorComesBackWhenTheChaptersCannotBeRead) {
  auto* form = TCustomForm::Create<Tfrmchart>(Application);
  FForm = form;
  Exec(L"drop table tab_kmmc");
  EXPECT_ANY_THROW(form->FormShow(form));
  EXPECT_EQ(crDefault, Screen->GetCursor());
}

TEST_F(ChartWindow, ManyChaptersKeepTheirColours) {
  Exec(L"delete from tab_kmmc");
  Data.Cn().BeginTrans();
  for (int i = 0; i < 60; ++i)
    AddChapter(L"2" + IntToStr(i), L"第" + IntToStr(i + 1) + L"章", 10 + i % 7 * 5, i % 7 * 5, 20 + i, i % 9, L"0");
  Data.Cn().CommitTrans();
  ScreenMode = L"1024";
  auto* form = Open<Tfrmchart>();
  EXPECT_EQ(60, form->Series2->Count());
  EXPECT_EQ(ColorToInt(ChapterColor(59)), ColorToInt(form->Series2->PointColor(59)));
  Shot(L"charts_many");
}

TEST_F(ChartWindow, SavesABitmapAndTellsWhenItCannot) {
  OneChapter();
  auto* form = Open<Tfrmchart>();
  wchar_t folder[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, folder);
  const String file = String(folder) + L"chart_window_save.bmp";
  form->SaveChartTo(file);
  TBitmap saved;
  saved.LoadFromFile(file);
  EXPECT_EQ(form->DBChart1->GetWidth(), saved.GetWidth());
  EXPECT_EQ(form->DBChart1->GetHeight(), saved.GetHeight());
  ::DeleteFileW(file.c_str());
  EXPECT_TRUE(Responders.Log.Empty());
  form->SaveChartTo(String(folder) + L"no_such_folder_27\\chart.bmp");
  EXPECT_EQ((std::vector<String>{L"错误|无法保存文件！|1|2|NO"}), Responders.Log.Dialogs);
}

TEST_F(ChartWindow, ANameTypedWithoutExtensionIsSavedAsABmpFile) {
  OneChapter();
  auto* form = Open<Tfrmchart>();
  wchar_t folder[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, folder);
  const String typed = String(folder) + L"chart1";
  ::DeleteFileW((typed + L".bmp").c_str());
  ::DeleteFileW(typed.c_str());
  // The real save dialog: the name typed into its name box, then OK.
  TModalDriver driver({[&] {
    HWND dialog = form->SavePictureDialog1->GetHandle();
    if (!dialog) return false;
    if (!::SetDlgItemTextW(dialog, cmb13, typed.c_str())) ::SetDlgItemTextW(dialog, edt1, typed.c_str());
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    return true;
  }});
  ClickControl(form->epFocusButton3);
  EXPECT_TRUE(driver.Done());
  EXPECT_FALSE(FileExists(typed)) << "no file without the extension";
  ASSERT_TRUE(FileExists(typed + L".bmp"));
  TBitmap saved;
  saved.LoadFromFile(typed + L".bmp");
  EXPECT_EQ(form->DBChart1->GetWidth(), saved.GetWidth());
  ::DeleteFileW((typed + L".bmp").c_str());
  EXPECT_TRUE(Responders.Log.Empty());
}

TEST_F(ChartWindow, PieMarksOfTheShippedBankNeverOverlap) {
  for (const wchar_t* mode : {L"800", L"1024"}) {
    ScreenMode = mode;
    auto* form = Open<Tfrmchart>();
    form->RadioGroup1->SetItemIndex(0);
    ASSERT_GT(form->Series2->Count(), 20) << "the shipped bank's chapters";
    Shot(L"charts_pie_shipped");
    for (int legend = 0; legend < 4; ++legend) {
      form->RadioGroup2->SetItemIndex(legend);
      const std::unique_ptr<TBitmap> drawn = form->DBChart2->CreateBitmap();
      const TRect bounds{0, 0, drawn->GetWidth(), drawn->GetHeight()};
      const std::vector<TDBChart::TPieMark> marks = form->DBChart2->PieMarksIn(*drawn->GetCanvas(), bounds);
      ASSERT_EQ(form->Series2->Count(), static_cast<int>(marks.size()));
      for (size_t i = 0; i < marks.size(); ++i) {
        const TRect& a = marks[i].Rect;
        EXPECT_TRUE(a.Top >= 0 && a.Bottom <= bounds.Bottom) << mode << " legend " << legend << ": " << i;
        for (size_t j = 0; j < i; ++j) {
          const TRect& b = marks[j].Rect;
          EXPECT_FALSE(a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom)
              << mode << " legend " << legend << ": " << i << " and " << j;
        }
      }
    }
  }
}

// The texts of a bars' chart as drawn at its size: none meets another.
void ExpectTextsApart(const std::vector<TDBChart::TChartText>& texts, const char* what) {
  for (size_t i = 0; i < texts.size(); ++i)
    for (size_t j = 0; j < i; ++j) {
      const TRect& a = texts[i].Rect;
      const TRect& b = texts[j].Rect;
      EXPECT_FALSE(a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom)
          << what << " " << i << " and " << j;
    }
}

// Each chapter of the chart, in order, names its bar: whole, or where the legend leaves the
// labels too little room (cut allowed), at least its beginning with an ellipsis.
void ExpectChapterNames(TDBChart* chart, const TChartSeries* series, bool cutAllowed, const char* what) {
  const std::unique_ptr<TBitmap> drawn = chart->CreateBitmap();
  const TRect bounds{0, 0, drawn->GetWidth(), drawn->GetHeight()};
  const auto labels = chart->AxisLabelsIn(*drawn->GetCanvas(), bounds);
  ASSERT_EQ(series->Count(), static_cast<int>(labels.size())) << what;
  for (size_t i = 0; i < labels.size(); ++i) {
    String whole;
    for (const String& line : labels[i].Lines) whole += line;
    const String& name = series->Point(static_cast<int>(i)).Label;
    if (cutAllowed && whole != name) {
      ASSERT_EQ(L'…', whole.back()) << what << " " << i;
      EXPECT_EQ(0u, name.find(whole.substr(0, whole.size() - 1))) << what << " " << i;
      EXPECT_GE(whole.size(), 4u) << what << " " << i;
    } else {
      EXPECT_EQ(name, whole) << what << " " << i;
    }
    EXPECT_LE(labels[i].Rect.Bottom, bounds.Bottom) << what << " " << i;
  }
  ExpectTextsApart(labels, what);
  ExpectTextsApart(chart->BarMarksIn(*drawn->GetCanvas(), bounds), what);
}

TEST_F(ChartWindow, BarsOfTheShippedBankCarryTheirChapterNamesAndMarksNeverMeet) {
  for (const wchar_t* mode : {L"800", L"1024"}) {
    ScreenMode = mode;
    auto* form = Open<Tfrmchart>();
    ASSERT_GT(form->Series1->Count(), 20) << "the shipped bank's chapters";
    ExpectChapterNames(form->DBChart1, form->Series1, false, "frequency");
    Shot(L"charts_frequency_shipped");
    // The progress chart, chosen with the mouse, and back.
    ClickControl(form->RadioGroup1->GetButton(2));
    ASSERT_EQ(2, form->Notebook1->GetPageIndex());
    // Its legend lists every chapter and leaves the labels less room.
    ExpectChapterNames(form->DBChart3, form->Series3, true, "progress");
    Shot(L"charts_progress_shipped");
    ClickControl(form->RadioGroup1->GetButton(1));
    EXPECT_EQ(0, form->Notebook1->GetPageIndex());
  }
}

TEST_F(ChartWindow, SettingsButtonOpensTheMusicSettings) {
  OneChapter();
  auto* form = Open<Tfrmchart>();
  ExpectMusicSettingsFrom(form, [&] { ClickControl(form->epEfTrBtn1); });
}

TEST_F(ChartWindow, PrintingWithoutAPrinterSaysSo) {
  auto* form = Open<Tfrmchart>();
  if (Printer()->GetPrinters()->GetCount() > 0) GTEST_SKIP() << "this machine has a printer";
  ClickControl(form->epFocusButton1);
  EXPECT_EQ((std::vector<String>{L"提示|没有发现打印机！|1|1|NO"}), Responders.Log.Dialogs);
}

// ---- The study plan -----------------------------------------------------------------------------------

class PlanWindow : public StudyWindows {
 protected:
  static inline const TDateTime kToday = TProgramData::kToday;
  void SetPlan(int mark, int amount, int minutes, const String& examDate) {
    DM1->Cn1Table_plan->Close();  // read afresh by the next window
    Exec(L"delete from tab_plan");
    Exec(L"insert into tab_plan (PlanMark, PlanAmount, PlanTime, ExamDate) values (" + IntToStr(mark) + L", " +
         IntToStr(amount) + L", " + IntToStr(minutes) + L", " + examDate + L")");
  }
  TFrmplan* OpenPlan() { return Open<TFrmplan>(); }
};

TEST_F(PlanWindow, CountdownTextsAndColours) {
  struct {
    int Days;
    const wchar_t* Text;
    bool NumberShown;
    const wchar_t* Number;
    int Colour;
  } cases[] = {{0, L"祝考试成功！", false, L"", 0},     {-1, L"考试已结束！", false, L"", 0},
               {5, L"距离考试还有", true, L"5", 255},     {7, L"距离考试还有", true, L"7", 255},
               {30, L"距离考试还有", true, L"30", 2476900}, {1200, L"距离考试还有", true, L"999", 2476900}};
  for (const auto& c : cases) {
    SetPlan(0, 10, 0, L"#" + FormatDateTime(L"yyyy-mm-dd", kToday + c.Days) + L"#");
    auto* form = OpenPlan();
    EXPECT_EQ(c.Text, form->epLabel1->GetCaption()) << c.Days;
    EXPECT_EQ(c.NumberShown, form->Label1->GetVisible()) << c.Days;
    EXPECT_EQ(c.NumberShown, form->epLabel2->GetVisible()) << c.Days;
    if (c.NumberShown) {
      EXPECT_EQ(c.Number, form->Label1->GetCaption());
      EXPECT_EQ(c.Colour, ColorToInt(form->Label1->GetFont()->GetColor()));
    }
    if (c.Days == 5) {
      // The window's own look: the calendar's colour, the plan kind's group double-buffered,
      // blended over the picture, its caption large.
      EXPECT_EQ(13749952, ColorToInt(form->DateEdit1->GetPopupColor()));
      EXPECT_EQ(vxpDoubleBuffer, form->SeSkinRadioGroup1->GetPerformance());
      EXPECT_TRUE(form->SeSkinRadioGroup1->GetBlending()->GetEnabled());
      EXPECT_EQ(-16, form->SeSkinRadioGroup1->GetFont()->GetHeight());
      EXPECT_EQ(-12, form->SeSkinRadioGroup1->GetButton(1)->GetFont()->GetHeight()) << "the items as the window";
      ScreenMode = L"800";
      Shot(L"study_plan");
      ScreenMode = L"1024";
      Shot(L"study_plan");
    }
  }
}

TEST_F(PlanWindow, EditAndSaveWritesTheFourColumns) {
  SetPlan(0, 10, 0, L"#2024-05-12#");
  auto* form = OpenPlan();
  EXPECT_EQ(L"设定", form->SpeedButton1->GetCaption());
  EXPECT_FALSE(form->DateEdit1->GetEnabled());
  ClickControl(form->SpeedButton1);
  ASSERT_TRUE(form->InEditMode());
  EXPECT_EQ(L"保存", form->SpeedButton1->GetCaption());
  EXPECT_TRUE(form->DateEdit1->GetEnabled());
  EXPECT_TRUE(form->MaskEdit1->GetEnabled());
  EXPECT_FALSE(form->MaskEdit2->GetEnabled());
  ClickControl(form->SeSkinRadioGroup1->GetButton(1));
  EXPECT_EQ(1, form->SeSkinRadioGroup1->GetItemIndex());
  EXPECT_FALSE(form->MaskEdit1->GetEnabled());
  EXPECT_TRUE(form->MaskEdit2->GetEnabled());
  EXPECT_EQ(form->MaskEdit2, form->GetActiveControl()) << "the box of the kind takes the focus";
  form->MaskEdit2->SetText(L"90");
  form->DateEdit1->SetDateValue(kToday + 30);
  Shot(L"study_plan_editing");
  ClickControl(form->SpeedButton1);
  EXPECT_FALSE(form->InEditMode());
  EXPECT_EQ(L"设定", form->SpeedButton1->GetCaption());
  EXPECT_TRUE(form->MaskEdit2->GetEnabled()) << "the saved kind's count stays at hand";
  EXPECT_FALSE(form->MaskEdit1->GetEnabled());
  EXPECT_FALSE(form->SeSkinRadioGroup1->GetEnabled());
  EXPECT_EQ(L"30", form->Label1->GetCaption());
  EXPECT_EQ(1, Int(L"select count(*) from tab_plan"));
  // What the menu's quit check reads: the kind and both counts as integers.
  EXPECT_EQ(1, Int(L"select PlanMark from tab_plan"));
  EXPECT_EQ(10, Int(L"select PlanAmount from tab_plan"));
  EXPECT_EQ(90, Int(L"select PlanTime from tab_plan"));
  EXPECT_EQ(1, Int(L"select count(*) from tab_plan where ExamDate = #2024-06-06#"));
  EXPECT_TRUE(Responders.Log.Empty());
}

TEST_F(PlanWindow, ACountTypedOverAShiftEndSelectionIsWhatIsSaved) {
  SetPlan(0, 50, 0, L"#2024-05-12#");
  auto* form = OpenPlan();
  ClickControl(form->SpeedButton1);
  ASSERT_TRUE(form->InEditMode());
  TMaskEdit* box = form->MaskEdit1;
  ClickControl(box);
  ASSERT_EQ(box->GetHandle(), ::GetFocus());
  ASSERT_EQ(L"50___", box->GetEditText());
  ASSERT_TRUE(PostKey(VK_HOME));
  Pump();
  {
    // Shift held in this thread's keyboard state while the key is read.
    BYTE keys[256], held[256];
    ::GetKeyboardState(keys);
    std::copy(std::begin(keys), std::end(keys), held);
    held[VK_SHIFT] = held[VK_LSHIFT] = 0x80;
    ::SetKeyboardState(held);
    PostKey(VK_END);
    Pump();
    ::SetKeyboardState(keys);
  }
  for (wchar_t ch : String(L"200")) ::PostMessageW(box->GetHandle(), WM_CHAR, ch, 1);
  Pump();
  EXPECT_EQ(L"200__", box->GetEditText()) << "the whole box was selected and typed over";
  Shot(L"study_plan_typed");
  ClickControl(form->SpeedButton1);
  EXPECT_FALSE(form->InEditMode());
  EXPECT_EQ(200, Int(L"select PlanAmount from tab_plan"));
  EXPECT_EQ(L"200  ", box->GetText()) << "the box shows what was saved";
  EXPECT_TRUE(box->GetEnabled());
  EXPECT_TRUE(Responders.Log.Empty());
}

TEST_F(PlanWindow, BadDateIsRefusedWithNothingPostedAndBlankCountsAreZero) {
  SetPlan(0, 10, 20, L"#2024-05-12#");
  auto* form = OpenPlan();
  ClickControl(form->SpeedButton1);
  form->MaskEdit1->SetText(L"");
  for (const wchar_t* bad : {L"13/45/2024", L"02/30/2024", L"明天", L""}) {
    form->DateEdit1->SetText(bad);
    ClickControl(form->SpeedButton1);
    EXPECT_TRUE(form->InEditMode()) << StringToUtf8(bad);
    EXPECT_EQ(dsBrowse, DM1->Cn1Table_plan->GetState()) << "no edit left open";
    EXPECT_EQ(10, Int(L"select PlanAmount from tab_plan")) << "nothing posted";
  }
  EXPECT_EQ(4u, Responders.Log.Dialogs.size());
  form->DateEdit1->SetDateValue(kToday + 3);
  ClickControl(form->SpeedButton1);
  EXPECT_FALSE(form->InEditMode());
  EXPECT_EQ(0, Int(L"select PlanAmount from tab_plan")) << "a blank count is 0";
  EXPECT_EQ(20, Int(L"select PlanTime from tab_plan"));
  EXPECT_EQ(255, ColorToInt(form->Label1->GetFont()->GetColor()));
}

TEST_F(PlanWindow, KindReadFromTheStoredPlanEnablesItsBoxAndPostsNothing) {
  SetPlan(1, 10, 45, L"NULL");
  auto* form = OpenPlan();
  EXPECT_TRUE(form->DateEdit1->IsBlank());
  EXPECT_FALSE(form->Label1->GetVisible()) << "no exam date: no countdown";
  EXPECT_EQ(1, form->SeSkinRadioGroup1->GetItemIndex());
  EXPECT_FALSE(form->InEditMode());
  EXPECT_EQ(L"设定", form->SpeedButton1->GetCaption());
  EXPECT_FALSE(form->SeSkinRadioGroup1->GetEnabled());
  // Reading the kind clicked it: its box is at hand, the other one is not.
  EXPECT_FALSE(form->MaskEdit1->GetEnabled());
  EXPECT_TRUE(form->MaskEdit2->GetEnabled());
  EXPECT_EQ(form->MaskEdit2, form->GetActiveControl());
  EXPECT_EQ(form->MaskEdit2->GetHandle(), ::GetFocus());
  EXPECT_EQ(dsBrowse, DM1->Cn1Table_plan->GetState());
  // The kind set in code outside edit mode: the group's click follows it.
  form->SeSkinRadioGroup1->SetItemIndex(0);
  EXPECT_TRUE(form->MaskEdit1->GetEnabled());
  EXPECT_FALSE(form->MaskEdit2->GetEnabled());
  EXPECT_EQ(form->MaskEdit1, form->GetActiveControl());
  form->Close();
  Pump();
  EXPECT_EQ(dsBrowse, DM1->Cn1Table_plan->GetState());
  EXPECT_EQ(1, Int(L"select PlanMark from tab_plan")) << "nothing posted";
  EXPECT_EQ(10, Int(L"select PlanAmount from tab_plan"));
  EXPECT_TRUE(Responders.Log.Empty());
  // Shown again, the window reads the stored kind, not the one left in the group.
  form->Show();
  Pump();
  EXPECT_EQ(1, form->SeSkinRadioGroup1->GetItemIndex());
  EXPECT_TRUE(form->MaskEdit2->GetEnabled());
  EXPECT_FALSE(form->InEditMode());
}

// Without a stored plan the window shows the plan by count; the count typed into the box it
// enables is saved with that kind.
TEST_F(PlanWindow, EmptyPlanTableGetsTheKindTheWindowShows) {
  Exec(L"delete from tab_plan");
  auto* form = OpenPlan();
  EXPECT_EQ(0, form->SeSkinRadioGroup1->GetItemIndex());
  ClickControl(form->SpeedButton1);
  ASSERT_TRUE(form->InEditMode());
  TMaskEdit* box = form->MaskEdit1->GetEnabled() ? form->MaskEdit1 : form->MaskEdit2;
  ClickControl(box);
  ASSERT_EQ(box->GetHandle(), ::GetFocus());
  ASSERT_TRUE(PostKey(VK_HOME));
  Pump();
  for (wchar_t ch : String(L"25")) ::PostMessageW(box->GetHandle(), WM_CHAR, ch, 1);
  Pump();
  EXPECT_EQ(L"25___", box->GetEditText());
  form->DateEdit1->SetDateValue(kToday + 10);
  ClickControl(form->SpeedButton1);
  EXPECT_FALSE(form->InEditMode());
  EXPECT_EQ(1, Int(L"select count(*) from tab_plan"));
  EXPECT_EQ(0, Int(L"select PlanMark from tab_plan"));
  EXPECT_EQ(25, Int(L"select PlanAmount from tab_plan"));
  EXPECT_TRUE(Responders.Log.Empty());
}

// A count pasted with Ctrl+V takes only what reads as a count: "1 2" is refused with the box
// as it was (the mask alone would make it 12); " 30" is taken and saved.
TEST_F(PlanWindow, APastedCountIsTakenOnlyWhenItReadsAsACount) {
  SetPlan(0, 50, 0, L"#2024-05-12#");
  auto* form = OpenPlan();
  ClickControl(form->SpeedButton1);
  TMaskEdit* box = form->MaskEdit1;
  ClickControl(box);
  ASSERT_EQ(box->GetHandle(), ::GetFocus());
  const auto paste = [&](const String& text) {
    box->SelectAll();
    Clipboard()->SetAsText(text);
    EXPECT_TRUE(TypeChord({VK_CONTROL, 'V'}));
    PumpAWhile();
    return box->GetEditText();
  };
  EXPECT_EQ(L"50___", paste(L"1 2"));
  EXPECT_EQ(L"30___", paste(L" 30"));
  ClickControl(form->SpeedButton1);
  EXPECT_FALSE(form->InEditMode());
  EXPECT_EQ(30, Int(L"select PlanAmount from tab_plan"));
  EXPECT_TRUE(Responders.Log.Empty());
}

// ---- The menu's commands -------------------------------------------------------------------------------

class MenuStudyCommands : public PlanWindow {
 protected:
  void SetUp() override {
    PlanWindow::SetUp();
    FrmStart = TCustomForm::Create<TFrmStart>(nullptr);
  }
  void TearDown() override {
    delete std::exchange(FrmStart, nullptr);
    PlanWindow::TearDown();
  }
  void Dispatch(const String& command) {
    FrmStart->ShockwaveFlash1FSCommand(FrmStart->ShockwaveFlash1, command, L"");
  }
};

TEST_F(MenuStudyCommands, LogChartsAndPlanOpenModallyAndAreFreed) {
  struct {
    const wchar_t* Command;
    const wchar_t* Title;
    std::function<bool()> Freed;
  } cases[] = {{L"rz", L"日志", [] { return FrmRz == nullptr; }},
               {L"tj", L"成绩统计图", [] { return frmchart == nullptr; }},
               {L"szjh", L"学习计划", [] { return Frmplan == nullptr; }}};
  for (const auto& c : cases) {
    bool shown = false;
    TModalDriver driver({[&] {
      HWND window = FindOwnWindow(c.Title);
      if (!window) return false;
      shown = true;
      EXPECT_EQ(crDefault, Screen->GetCursor()) << "no hourglass over a window waiting for input";
      ::PostMessageW(window, WM_CLOSE, 0, 0);
      return true;
    }});
    Dispatch(c.Command);
    EXPECT_TRUE(shown) << StringToUtf8(c.Command);
    EXPECT_TRUE(driver.Done());
    EXPECT_TRUE(c.Freed()) << StringToUtf8(c.Command);
    EXPECT_EQ(crDefault, Screen->GetCursor());
  }
  EXPECT_TRUE(IsMenuCommandActive(L"rz") && IsMenuCommandActive(L"tj") && IsMenuCommandActive(L"szjh"));
}

TEST_F(MenuStudyCommands, QuitMeetsThePlanTheStudentSaved) {
  SetPlan(1, 0, 60, L"NULL");
  Exec(L"delete from tab_rz");
  Exec(L"insert into tab_rz (A1, A2, A3, B1, B2, D1) values (#2024-05-07#, 5, 0, 0, 0, '00:10:00')");
  auto* form = OpenPlan();
  ClickControl(form->SpeedButton1);
  form->SeSkinRadioGroup1->SetItemIndex(0);
  form->MaskEdit1->SetText(L"5");
  form->DateEdit1->SetDateValue(kToday + 40);
  ClickControl(form->SpeedButton1);
  ASSERT_FALSE(form->InEditMode());
  delete std::exchange(FForm, nullptr);
  FrmStart->Show();
  Dispatch(L"quit");
  EXPECT_EQ((std::vector<String>{L"提示|恭喜完成今日学习计划！|64"}), Responders.Log.Boxes)
      << "5 answers today against a plan of 5 questions";
}

}  // namespace
