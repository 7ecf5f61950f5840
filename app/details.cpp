// The law article detail window.
#include "details.h"

#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "dm.h"

TfrmLawDetail* frmLawDetail = nullptr;

String ArticleNoteText(TDataSet* articles) {
  const int questions = articles ? articles->FieldByName(L"q")->GetAsInteger() : 0;
  if (questions <= 0) return L"虽然针对该内容的习题没有，您仍要仔细阅读！";
  auto count = [&](const wchar_t* column) { return articles->FieldByName(column)->GetAsString(); };
  return L"相关题数：" + IntToStr(questions) + L"题" + L"  已做题数：" + count(L"q1") + L"题" +
         L"  已做道次：" + count(L"q2") + L"次" + L"  做错道次：" + count(L"q4") + L"次";
}

String ArticleItemText(const String& number, int questions) {
  String text = TrimRight(number);
  if (questions >= 1) text += L"(" + IntToStr(questions) + L")";
  return text;
}

const TPropertyTable* TfrmLawDetail::PublishedProperties() {
  using P = TPublish<TfrmLawDetail>;
  using C = TfrmLawDetail;
  static const TPropertyTable table(
      {}, {P::Field(L"m_Pdetail", &C::m_Pdetail), P::Field(L"m_LBmenu", &C::m_LBmenu),
           P::Field(L"Splitter1", &C::Splitter1), P::Field(L"Panel1", &C::Panel1),
           P::Field(L"Re", &C::Re), P::Field(L"m_pNote", &C::m_pNote)});
  return &table;
}

TfrmLawDetail::TfrmLawDetail(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
}

void TfrmLawDetail::RegisterHandlers() {
  using M = TPublishMethods<TfrmLawDetail>;
  RegisterMethods<TfrmLawDetail>({M::Handler(L"m_lBmenuClick", &TfrmLawDetail::m_lBmenuClick)});
}

void TfrmLawDetail::m_lBmenuClick(TObject*) {
  if (m_LBmenu->GetItemIndex() < 0) {
    if (m_LBmenu->GetCount() == 0) return;
    m_LBmenu->SetItemIndex(0);
  }
  const int index = m_LBmenu->GetItemIndex();
  const String item = TrimRight(m_LBmenu->GetItems()->Get(index));
  TADOQuery* articles = DM1->m_queryDetail;
  bool counted = false;
  if (articles->GetActive()) {
    articles->SetRecNo(index + 1);
    // Only a row that is really the item's counts: a list longer than the records shows no
    // counters of another article.
    counted = articles->GetRecNo() == index + 1 && item.find(L'(') != String::npos &&
              articles->FieldByName(L"q")->GetAsInteger() > 0;
  }
  m_pNote->SetCaption(counted ? ArticleNoteText(articles) : ArticleNoteText(nullptr));
  if (PracticeButton) PracticeButton->SetEnabled(counted);
}
