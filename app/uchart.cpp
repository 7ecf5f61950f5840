// The statistics charts window.
#include "uchart.h"

#include "AppQueries.h"
#include "Uconfig.h"
#include "Ucommon.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "classlib/stdctrls/Printers.h"
#include "dm.h"

Tfrmchart* frmchart = nullptr;

TColor ChapterColor(int index) {
  return ColorFromInt(static_cast<int32_t>((255 + int64_t(80000) * index) & 0xFFFFFF));
}

int64_t ProgressPercent(int64_t done, int64_t count) { return done * 100 / count; }

int ChartPageOfItem(int item) {
  switch (item) {
    case 0: return 1;
    case 1: return 0;
    case 2: return 2;
    default: return -1;
  }
}

namespace {

// The hourglass while it lives; the normal cursor again however the block is left.
class THourGlass {
 public:
  THourGlass() { Screen->SetCursor(crHourGlass); }
  ~THourGlass() { Screen->SetCursor(crDefault); }
  THourGlass(const THourGlass&) = delete;
  THourGlass& operator=(const THourGlass&) = delete;
};

// The legend's side for an item of RadioGroup2: 上方, 下方, 左侧, 右侧.
TLegendAlignment LegendOfItem(int item) {
  switch (item) {
    case 1: return laBottom;
    case 2: return laLeft;
    case 3: return laRight;
    default: return laTop;
  }
}

// Where the pie page's total labels stand: 30 pixels higher with the legend below the pie.
constexpr int kTotalTop = 400;
constexpr int kTotalTopLegendBelow = 370;

}  // namespace

const TPropertyTable* Tfrmchart::PublishedProperties() {
  using P = TPublish<Tfrmchart>;
  using C = Tfrmchart;
  static const TPropertyTable table(
      {}, {P::Field(L"Notebook1", &C::Notebook1), P::Field(L"DBChart1", &C::DBChart1),
           P::Field(L"DBChart2", &C::DBChart2), P::Field(L"DBChart3", &C::DBChart3),
           P::Field(L"Label1", &C::Label1), P::Field(L"Label2", &C::Label2),
           P::Field(L"Panel1", &C::Panel1), P::Field(L"RadioGroup1", &C::RadioGroup1),
           P::Field(L"RadioGroup2", &C::RadioGroup2), P::Field(L"CheckBox1", &C::CheckBox1),
           P::Field(L"CheckBox2", &C::CheckBox2), P::Field(L"CheckBox3", &C::CheckBox3),
           P::Field(L"epEfTrBtn1", &C::epEfTrBtn1), P::Field(L"epFocusButton3", &C::epFocusButton3),
           P::Field(L"epFocusButton1", &C::epFocusButton1),
           P::Field(L"epFocusButton2", &C::epFocusButton2),
           P::Field(L"SavePictureDialog1", &C::SavePictureDialog1)});
  return &table;
}

Tfrmchart::Tfrmchart(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
}

void Tfrmchart::RegisterHandlers() {
  using M = TPublishMethods<Tfrmchart>;
  using C = Tfrmchart;
  RegisterMethods<Tfrmchart>({M::Handler(L"FormCreate", &C::FormCreate),
                              M::Handler(L"FormShow", &C::FormShow),
                              M::Handler(L"FormCloseQuery", &C::FormCloseQuery),
                              M::Handler(L"RadioGroup1Click", &C::RadioGroup1Click),
                              M::Handler(L"RadioGroup2Click", &C::RadioGroup2Click),
                              M::Handler(L"CheckBox1Click", &C::CheckBox1Click),
                              M::Handler(L"CheckBox2Click", &C::CheckBox2Click),
                              M::Handler(L"CheckBox3Click", &C::CheckBox3Click),
                              M::Handler(L"epFocusButton1Click", &C::epFocusButton1Click),
                              M::Handler(L"epFocusButton2Click", &C::epFocusButton2Click),
                              M::Handler(L"epFocusButton3Click", &C::epFocusButton3Click),
                              M::Handler(L"epEfTrBtn1Click", &C::epEfTrBtn1Click)});
}

void Tfrmchart::FormCreate(TObject*) {
  auto makeBars = [this](const wchar_t* name, const wchar_t* title, TColor color, TDBChart* chart) {
    auto* series = new TBarSeries(this);
    series->SetName(name);
    series->SetTitle(title);
    series->SetSeriesColor(color);
    series->SetParentChart(chart);
    return series;
  };
  Series1 = makeBars(L"Series1", L"已做题次", clGreen, DBChart1);
  Series4 = makeBars(L"Series4", L"做错题次", clRed, DBChart1);
  Series3 = makeBars(L"Series3", L"进度", clRed, DBChart3);
  Series2 = new TPieSeries(this);
  Series2->SetName(L"Series2");
  Series2->SetTitle(L"习题分布");
  Series2->SetParentChart(DBChart2);
  for (TDBChart* chart : {DBChart1, DBChart2, DBChart3}) chart->SetLegendAlignment(laTop);
}

void Tfrmchart::FillSeries() {
  for (TChartSeries* series : {static_cast<TChartSeries*>(Series1), static_cast<TChartSeries*>(Series2),
                               static_cast<TChartSeries*>(Series3), static_cast<TChartSeries*>(Series4)})
    series->Clear();
  TADOQuery* query = DM1->ADOQ_kmmc;
  RunQuery(query, L"select * from tab_kmmc where C7='0'");
  query->First();
  // Bounded by the rows the query holds.
  for (int i = 0; !query->GetEof(); ++i, query->Next()) {
    const String label = query->FieldByName(L"C2")->GetAsString();
    const TColor color = ChapterColor(i);
    const int64_t count = IntOrZero(query, L"C3");
    Series2->Add(static_cast<double>(count), label, color);
    Series1->Add(IntOrZero(query, L"D1"), label);
    Series4->Add(IntOrZero(query, L"D2"), label);
    if (count != 0)
      Series3->Add(static_cast<double>(ProgressPercent(IntOrZero(query, L"C4"), count)), label, color);
  }
}

void Tfrmchart::FormShow(TObject*) {
  THourGlass hourGlass;
  if (ScreenMode != L"800") {
    SetBounds(GetLeft(), GetTop(), 934, 600);
    Notebook1->SetBounds(10, 10, 783, 559);
    Panel1->SetLeft(803);
    Panel1->SetHeight(390);
    const int x = 811;
    epEfTrBtn1->SetLeft(x);
    epFocusButton3->SetLeft(x);
    epFocusButton1->SetLeft(x);
    epFocusButton2->SetLeft(x);
    epEfTrBtn1->SetTop(420);
    epFocusButton3->SetTop(460);
    epFocusButton1->SetTop(500);
    epFocusButton2->SetTop(540);
  }
  FillSeries();
  Notebook1->SetPageIndex(0);
  if (RadioGroup1->GetItemIndex() == 1)
    RadioGroup1Click(RadioGroup1);
  else
    RadioGroup1->SetItemIndex(1);  // runs RadioGroup1Click
}

TDBChart* Tfrmchart::ShownChart() const {
  switch (Notebook1->GetPageIndex()) {
    case 1: return DBChart2;
    case 2: return DBChart3;
    default: return DBChart1;
  }
}

std::vector<TChartSeries*> Tfrmchart::ShownSeries() const {
  switch (Notebook1->GetPageIndex()) {
    case 1: return {Series2};
    case 2: return {Series3};
    default: return {Series1, Series4};
  }
}

void Tfrmchart::RadioGroup1Click(TObject*) {
  const int page = ChartPageOfItem(RadioGroup1->GetItemIndex());
  if (page < 0) return;
  Notebook1->SetPageIndex(page);
  if (page == 1) {
    TADOQuery* query = DM1->Cn1Query1;
    RunQuery(query, L"select sum(C3) as sumc3 from tab_kmmc where C7='0'");
    Label2->SetCaption(IntToStr(IntOrZero(query, L"sumc3")));
  }
  // The options go back to their defaults, applied to the chart now shown.
  if (RadioGroup2->GetItemIndex() != 0) RadioGroup2->SetItemIndex(0);
  RadioGroup2Click(RadioGroup2);
  CheckBox1->SetChecked(true);
  CheckBox2->SetChecked(true);
  CheckBox3->SetChecked(true);
  CheckBox1Click(CheckBox1);
  CheckBox2Click(CheckBox2);
  CheckBox3Click(CheckBox3);
}

void Tfrmchart::RadioGroup2Click(TObject*) {
  const int item = RadioGroup2->GetItemIndex();
  if (item < 0) return;
  ShownChart()->SetLegendAlignment(LegendOfItem(item));
  if (Notebook1->GetPageIndex() == 1) {
    const int top = item == 1 ? kTotalTopLegendBelow : kTotalTop;
    Label1->SetTop(top);
    Label2->SetTop(top);
  }
}

void Tfrmchart::CheckBox1Click(TObject*) { ShownChart()->SetView3D(CheckBox1->GetChecked()); }

void Tfrmchart::CheckBox2Click(TObject*) {
  ShownChart()->SetLegendVisible(CheckBox2->GetChecked());
  RadioGroup2->SetEnabled(CheckBox2->GetChecked());
}

void Tfrmchart::CheckBox3Click(TObject*) {
  for (TChartSeries* series : ShownSeries()) series->SetMarksVisible(CheckBox3->GetChecked());
}

void Tfrmchart::PrintChart() {
  bool hasPrinter = false;
  try {
    hasPrinter = Printer()->GetPrinters()->GetCount() > 0;
  } catch (const Exception&) {
    hasPrinter = false;
  }
  if (!hasPrinter) {
    ShowDlg(L"提示", L"没有发现打印机！", 1, 1, L"NO");
    return;
  }
  try {
    ShownChart()->Print();
  } catch (const std::exception&) {
    ShowDlg(L"错误", L"打印时发生错误！", 1, 2, L"NO");
  }
}

void Tfrmchart::SaveChartTo(const String& fileName) {
  try {
    ShownChart()->SaveToBitmapFile(fileName);
  } catch (const std::exception&) {
    ShowDlg(L"错误", L"无法保存文件！", 1, 2, L"NO");
  }
}

void Tfrmchart::epFocusButton1Click(TObject*) { PrintChart(); }
void Tfrmchart::epEfTrBtn1Click(TObject*) { ShowMusicSettings(this); }
void Tfrmchart::epFocusButton2Click(TObject*) { Close(); }

void Tfrmchart::epFocusButton3Click(TObject*) {
  if (SavePictureDialog1->Execute()) SaveChartTo(SavePictureDialog1->GetFileName());
}

void Tfrmchart::FormCloseQuery(TObject*, bool& canClose) {
  DM1->ADOQ_kmmc->Close();
  canClose = true;
}
