// The study log window.
#include "Urz.h"

#include "AppQueries.h"
#include "Uconfig.h"
#include "Ucommon.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "dm.h"

TFrmRz* FrmRz = nullptr;

const TPropertyTable* TFrmRz::PublishedProperties() {
  using P = TPublish<TFrmRz>;
  using C = TFrmRz;
  static const TPropertyTable table(
      {}, {P::Field(L"Image1", &C::Image1), P::Field(L"Image2", &C::Image2),
           P::Field(L"DBGrid1", &C::DBGrid1), P::Field(L"Label1", &C::Label1),
           P::Field(L"Label2", &C::Label2), P::Field(L"Label3", &C::Label3),
           P::Field(L"Label4", &C::Label4), P::Field(L"Label5", &C::Label5),
           P::Field(L"epLabel2", &C::epLabel2), P::Field(L"epLabel3", &C::epLabel3),
           P::Field(L"epLabel4", &C::epLabel4), P::Field(L"SpeedButton1", &C::SpeedButton1),
           P::Field(L"SpeedButton2", &C::SpeedButton2),
           P::Field(L"SpeedButton3", &C::SpeedButton3)});
  return &table;
}

TFrmRz::TFrmRz(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
}

void TFrmRz::RegisterHandlers() {
  using M = TPublishMethods<TFrmRz>;
  RegisterMethods<TFrmRz>({M::Handler(L"FormCreate", &TFrmRz::FormCreate),
                           M::Handler(L"FormShow", &TFrmRz::FormShow),
                           M::Handler(L"FormCloseQuery", &TFrmRz::FormCloseQuery),
                           M::Handler(L"SpeedButton1Click", &TFrmRz::SpeedButton1Click),
                           M::Handler(L"SpeedButton3Click", &TFrmRz::SpeedButton3Click)});
}

void TFrmRz::FormCreate(TObject*) {
  TADOTable* log = DM1->Cn1Table_rz;
  if (!log->GetActive()) log->Open();
  log->SetSort(L"A1 DESC");
  DBGrid1->SetDataSource(DM1->Cn1DS_rz);
  if (ScreenMode != L"800") {
    TDBGridColumns* columns = DBGrid1->GetColumns();
    for (int i = 0; i < columns->GetCount(); ++i) columns->GetItem(i)->SetWidth(i == 0 ? 192 : 80);
  }
  ShowTotals();
}

void TFrmRz::ShowTotals() {
  TADOQuery* query = DM1->Cn1Query1;
  RunQuery(query, L"select sum(A2) as count_d1,sum(A3) as count_d2 from tab_rz ");
  const int answers = IntOrZero(query, L"count_d1");
  const int wrong = IntOrZero(query, L"count_d2");
  epLabel2->SetCaption(IntToStr(answers));
  epLabel3->SetCaption(IntToStr(wrong));
  epLabel4->SetCaption(AccuracyText(answers, wrong));
}

void TFrmRz::FormShow(TObject*) {
  if (ScreenMode == L"800") {
    Image1->SetVisible(true);
    Image2->SetVisible(false);
    DBGrid1->GetColumns()->GetItem(0)->SetWidth(160);
    return;
  }
  // The large layout: the grid fills the left of the large picture, the totals and the
  // buttons stand in its right-hand column.
  Image1->SetVisible(false);
  Image2->SetVisible(true);
  DBGrid1->SetBounds(33, 78, 718, 465);
  const int x = 790;
  for (TControl* control : std::initializer_list<TControl*>{Label1, Label2, epLabel2, Label3, Label4,
                                                             epLabel3, Label5, epLabel4})
    control->SetLeft(x);
  Label1->SetTop(90);
  Label2->SetTop(110);
  epLabel2->SetTop(134);
  Label3->SetTop(190);
  Label4->SetTop(210);
  epLabel3->SetTop(234);
  Label5->SetTop(290);
  epLabel4->SetTop(314);
  SpeedButton1->SetBounds(x, 460, 100, 28);
  SpeedButton3->SetBounds(x, 510, 100, 28);
  // The client shows the whole picture (936 × 605); sized after the controls are placed,
  // so that none of the small layout's adds a scroll bar meanwhile.
  SetClientWidth(Image2->GetWidth());
  SetClientHeight(Image2->GetHeight());
}

void TFrmRz::FormCloseQuery(TObject*, bool& canClose) {
  DM1->Cn1Table_rz->Close();
  canClose = true;
}

void TFrmRz::SpeedButton1Click(TObject*) { ShowMusicSettings(this); }

void TFrmRz::SpeedButton3Click(TObject*) { Close(); }
