// The exam records window.
#include "Ucheck.h"

#include <memory>
#include "AppQueries.h"
#include "ExamRules.h"
#include "Ucommon.h"
#include "Uconfig.h"
#include "Uexam.h"
#include "Uprogress.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "classlib/system/SysMath.h"
#include "dm.h"

TFrmCheck* FrmCheck = nullptr;

const TPropertyTable* TFrmCheck::PublishedProperties() {
  using P = TPublish<TFrmCheck>;
  using C = TFrmCheck;
  static const TPropertyTable table(
      {}, {P::Field(L"Image1", &C::Image1), P::Field(L"Image2", &C::Image2), P::Field(L"Lbcap", &C::Lbcap),
           P::Field(L"DBGrid1", &C::DBGrid1), P::Field(L"Label1", &C::Label1), P::Field(L"Label2", &C::Label2),
           P::Field(L"Label3", &C::Label3), P::Field(L"epNumPanel1", &C::epNumPanel1),
           P::Field(L"epNumPanel2", &C::epNumPanel2), P::Field(L"epNumPanel3", &C::epNumPanel3),
           P::Field(L"Lbtip", &C::Lbtip), P::Field(L"SpeedButton1", &C::SpeedButton1),
           P::Field(L"SpeedButton2", &C::SpeedButton2), P::Field(L"SpeedButton3", &C::SpeedButton3),
           P::Field(L"SpeedButton4", &C::SpeedButton4), P::Field(L"epEfButton3", &C::epEfButton3),
           P::Field(L"epEfTrBtn1", &C::epEfTrBtn1), P::Field(L"epEfTrBtn2", &C::epEfTrBtn2)});
  return &table;
}

TFrmCheck::TFrmCheck(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
}

void TFrmCheck::RegisterHandlers() {
  using M = TPublishMethods<TFrmCheck>;
  RegisterMethods<TFrmCheck>({M::Handler(L"FormShow", &TFrmCheck::FormShow),
                              M::Handler(L"FormClose", &TFrmCheck::FormClose),
                              M::Handler(L"epEfTrBtn1Click", &TFrmCheck::epEfTrBtn1Click),
                              M::Handler(L"epEfTrBtn2Click", &TFrmCheck::epEfTrBtn2Click),
                              M::Handler(L"epEfButton3Click", &TFrmCheck::epEfButton3Click),
                              M::Handler(L"SpeedButton4Click", &TFrmCheck::SpeedButton4Click)});
}

int AverageScoreShown(const Variant& average) {
  if (average.IsNull() || average.IsEmpty()) return 0;
  return static_cast<int>(Round(average.AsDouble()));
}

void TFrmCheck::LayOutSmall() {
  SetBounds(GetLeft(), GetTop(), 761, 479);
  Image1->SetBounds(-1, 0, 937, 617);
  Image2->SetBounds(0, 0, 93, 61);
  TLabel* labels[] = {Label1, Label2, Label3};
  TepNumPanel* panels[] = {epNumPanel1, epNumPanel2, epNumPanel3};
  for (int i = 0; i < 3; ++i) {
    labels[i]->SetBounds(653, 115 + 88 * i, 56, 14);
    panels[i]->SetBounds(645, 139 + 88 * i, 73, 41);
  }
  epEfButton3->SetBounds(555, 26, 37, 25);
  epEfTrBtn1->SetBounds(216, 620, 65, 25);
  epEfTrBtn2->SetBounds(384, 620, 65, 25);
  // The note stands under the grid's left edge, inside the small window (its laid-out top of
  // 512 is below the window's bottom); 查阅 under the grid, as the small picture has it.
  Lbtip->SetBounds(37, 452, 280, 14);
  SpeedButton1->SetBounds(605, 444, 67, 29);
  SpeedButton3->SetBounds(678, 444, 67, 29);
  SpeedButton2->SetBounds(229, 427, 148, 23);
  SpeedButton4->SetBounds(399, 427, 75, 23);
  DBGrid1->SetBounds(37, 83, 528, 316);
  Lbcap->SetBounds(37, 40, 200, 24);
}

void TFrmCheck::FormShow(TObject*) {
  const bool small = ScreenMode == L"800";
  if (small) LayOutSmall();
  Image1->SetVisible(small);
  Image2->SetVisible(!small);
  Screen->SetCursor(crHourGlass);
  try {
    TADOTable* records = DM1->Cn1Table_cj;
    if (!records->GetActive()) records->Open();
    records->SetSort(L"A3_1 DESC");
    MarkPapersNotHandedIn(records);
    DBGrid1->SetDataSource(DM1->Cn1DS_cj);
    ShowCounters();
    TDBGridColumns* columns = DBGrid1->GetColumns();
    const bool large = ScreenMode == L"1024";
    for (int i = 0; i < columns->GetCount(); ++i)
      columns->GetItem(i)->SetWidth(i == 0 ? (large ? 393 : 330) : (large ? 108 : 74));
  } catch (...) {
    Screen->SetCursor(crDefault);
    throw;
  }
  Screen->SetCursor(crDefault);
}

void TFrmCheck::ShowCounters() {
  // Every record can be opened; only handed-in papers count.
  const bool any = DM1->Cn1Table_cj->GetRecordCount() > 0;
  epEfTrBtn1->SetEnabled(any);
  SpeedButton2->SetEnabled(any);
  TADOQuery* query = DM1->Cn1Query1;
  RunQuery(query, L"select count(*) as n, sum(iif(A6 >= 60, 1, 0)) as passed, avg(A6) as avg_fs from tab_cj where " +
                      HandedInCondition());
  epNumPanel1->SetValue(query->FieldByName(L"n")->GetAsInteger());
  epNumPanel2->SetValue(query->FieldByName(L"passed")->GetAsInteger());
  epNumPanel3->SetValue(AverageScoreShown(query->FieldByName(L"avg_fs")->GetValue()));
  query->Close();
}

void TFrmCheck::MarkPapersNotHandedIn(TADOTable* records) {
  TField* timeUsed = records->FindField(L"D2");
  TField* score = records->FindField(L"A6");
  if (!timeUsed || !score) return;
  score->OnGetText = [timeUsed](TField* sender, String& text, bool) {
    text = IsHandedIn(timeUsed->GetAsString()) ? sender->GetAsString() : String(kNotHandedIn);
  };
}

bool TFrmCheck::ReviewSelected(TExamPaper& paper, const std::function<void()>& review) {
  TADOTable* records = DM1->Cn1Table_cj;
  if (!records->GetActive() || records->GetRecNo() <= 0) return false;
  if (FrmProgress) {
    FrmProgress->Show();
    FrmProgress->Update();
    FrmProgress->Label1->SetCaption(L"正在初始化数据...");
    Application->ProcessMessages();
  }
  Hide();
  const String table = records->FieldByName(L"A1")->GetAsString();
  const String title = records->FieldByName(L"A3")->GetAsString();
  const String elapsed = records->FieldByName(L"D2")->GetAsString();
  const double score = records->FieldByName(L"A6")->GetAsFloat();
  if (FrmProgress) {
    FrmProgress->Label1->SetCaption(L"正在提取数据...");
    Application->ProcessMessages();
  }
  paper = TExamPaper();
  // A paper left without hand-in is sat on from its stored answers; the others are reviewed.
  bool open = false;
  if (IsHandedIn(elapsed)) {
    open = paper.Setup(Trim(table), title, elapsed, score, L"old") && paper.OpenPaper();
  } else {
    paper.Resume(Trim(table), title);
    open = paper.OpenPaper();
  }
  if (FrmProgress) FrmProgress->Hide();
  if (open && review) {
    // Whatever the review does, this window comes back.
    try {
      review();
    } catch (...) {
      Show();
      throw;
    }
  }
  Show();
  // Showing again sorts and counts afresh; the reviewed record stays the selected one.
  if (records->GetActive()) records->Locate(L"A1", Variant(table), {});
  return open;
}

void TFrmCheck::epEfTrBtn1Click(TObject*) {
  // The exam window holds the paper for its review; both go afterwards.
  std::unique_ptr<TFrmExam> window(TCustomForm::Create<TFrmExam>(Application));
  FrmExam = window.get();
  try {
    ReviewSelected(window->Paper(), [&] { window->ShowModal(); });
  } catch (...) {
    FrmExam = nullptr;
    DM1->Cn1Query_exam->Close();
    throw;
  }
  window.reset();
  FrmExam = nullptr;
  DM1->Cn1Query_exam->Close();
}

void TFrmCheck::epEfTrBtn2Click(TObject*) { Close(); }

void TFrmCheck::epEfButton3Click(TObject*) {
  std::unique_ptr<TFrmConfig> settings(TCustomForm::Create<TFrmConfig>(this));
  ConfigMode = 0;
  settings->ShowModal();
}

void TFrmCheck::FormClose(TObject*, TCloseAction&) {
  DM1->Cn1Table_cj->SetFilter(L"");
  DM1->Cn1Table_cj->Close();
  DM1->Cn1Query1->Close();
}

void TFrmCheck::SpeedButton4Click(TObject*) {
  TADOTable* records = DM1->Cn1Table_cj;
  if (!records->GetActive() || records->GetRecNo() <= 0) return;
  const String table = records->FieldByName(L"A1")->GetAsString();
  DropPaper(table);
  TADOQuery* query = DM1->ADOQuery3;
  query->Close();
  query->GetSQL()->Clear();
  query->GetSQL()->Add(L"delete * from tab_cj where A1=" + QuotedStr(table));
  query->ExecSQL();
}
