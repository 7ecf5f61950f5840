// The linked-articles window.
#include "UanswFagui.h"

#include "Ucommon.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "dm.h"

const TPropertyTable* TfrmAnswFagui::PublishedProperties() {
  using P = TPublish<TfrmAnswFagui>;
  using C = TfrmAnswFagui;
  static const TPropertyTable table(
      {}, {P::Field(L"ADOQuery1", &C::ADOQuery1), P::Field(L"DataSource1", &C::DataSource1),
           P::Field(L"ADOQuery2", &C::ADOQuery2), P::Field(L"Panel1", &C::Panel1),
           P::Field(L"m_listbox", &C::m_listbox), P::Field(L"ListBox1", &C::ListBox1),
           P::Field(L"Splitter1", &C::Splitter1), P::Field(L"Re", &C::Re), P::Field(L"Panel3", &C::Panel3),
           P::Field(L"epLabel1", &C::epLabel1), P::Field(L"Panel2", &C::Panel2),
           P::Field(L"epBevel1", &C::epBevel1), P::Field(L"epEfTrBtn1", &C::epEfTrBtn1),
           P::Field(L"epLabel2", &C::epLabel2)});
  return &table;
}

TfrmAnswFagui::TfrmAnswFagui(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
  ADOQuery1->SetConnection(DM1->ADOCn1);
  ADOQuery2->SetConnection(DM1->ADOCn1);
}

void TfrmAnswFagui::RegisterHandlers() {
  using M = TPublishMethods<TfrmAnswFagui>;
  RegisterMethods<TfrmAnswFagui>({M::Handler(L"FormShow", &TfrmAnswFagui::FormShow),
                                  M::Handler(L"ListBox1Click", &TfrmAnswFagui::ListBox1Click),
                                  M::Handler(L"Splitter1Moved", &TfrmAnswFagui::Splitter1Moved),
                                  M::Handler(L"epEfTrBtn1Click", &TfrmAnswFagui::epEfTrBtn1Click),
                                  M::Handler(L"FormClose", &TfrmAnswFagui::FormClose)});
}

bool TfrmAnswFagui::LoadLinkedRules(const String& questionId) {
  FQuestionId = questionId;
  ADOQuery1->Close();
  ADOQuery1->GetSQL()->SetText(L"select k3,k4,k5,k6,k7,k8,k9,k10,k11,k12 from tab_answ where a1=" +
                               SqlQuoted(questionId));
  ADOQuery1->Open();
  if (ADOQuery1->IsEmpty()) {
    ADOQuery1->Close();
    return false;
  }
  std::vector<String> columns;
  for (int i = 0; i < ADOQuery1->GetFields()->GetCount(); ++i) {
    TField* field = ADOQuery1->GetFields()->GetField(i);
    columns.push_back(field->GetIsNull() ? String() : field->GetAsString());
  }
  ADOQuery1->Close();
  m_listbox->GetItems()->Clear();
  for (const String& id : LinkedRuleIds(columns)) m_listbox->GetItems()->Add(id);
  return m_listbox->GetItems()->GetCount() > 0;
}

void TfrmAnswFagui::PlaceControls() {
  if (ScreenMode != L"800") return;
  SetClientWidth(761);
  SetClientHeight(477);
  Panel1->SetWidth(300);
}

void TfrmAnswFagui::FormShow(TObject*) {
  PlaceControls();
  // Each listed article keeps its own row and its own law's title, whatever order the bank
  // returns the rows in.
  FArticles = LinkedArticlesOf(*DM1->ADOCn1, FQuestionId);
  ListBox1->GetItems()->Clear();
  for (const TLinkedArticle& article : FArticles) ListBox1->GetItems()->Add(article.Number);
  Re->SetDataSource(DataSource1);
  Re->SetDataField(L"n");
  epLabel1->SetCaption(String());
  if (FArticles.empty()) return;
  ListBox1->SetItemIndex(0);
  ShowArticle(0);
}

void TfrmAnswFagui::ShowArticle(int index) {
  if (index < 0 || index >= int(FArticles.size())) return;
  const TLinkedArticle& article = FArticles[index];
  ADOQuery1->Close();
  ADOQuery1->GetSQL()->SetText(L"select id,n,sn from tab_rule where ftid=" + SqlQuoted(article.ArticleId) +
                               L" and id=" + SqlQuoted(article.LawId));
  ADOQuery1->Open();
  epLabel1->SetCaption(article.LawTitle);
}

void TfrmAnswFagui::ListBox1Click(TObject*) {
  // Runs on every change of the selection, by mouse or by keys, so the article shown is
  // always the one selected.
  ShowArticle(ListBox1->GetItemIndex());
}

void TfrmAnswFagui::Splitter1Moved(TObject*) { Re->Invalidate(); }

void TfrmAnswFagui::epEfTrBtn1Click(TObject*) { Close(); }

void TfrmAnswFagui::FormClose(TObject*, TCloseAction& action) {
  ADOQuery1->Close();
  ADOQuery2->Close();
  // A modal showing is freed by its opener.
  if (!GetFormState().Contains(fsModal)) action = caFree;
}
