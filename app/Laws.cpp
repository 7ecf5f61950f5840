// The law-text browser.
#include "Laws.h"

#include <algorithm>

#include "AppQueries.h"
#include "Responders.h"
#include "Ucommon.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "details.h"
#include "dm.h"

TfrmLawsFaGui* frmLawsFaGui = nullptr;

namespace {

TLawPracticeWindowMaker PracticeMaker;

const wchar_t* const kHeadings[] = {L"考 点 名 称", L" 题 数", L"已做题数", L"已做道次", L"做错道次"};
const wchar_t* const kLawColumns[] = {L"n", L"q", L"q1", L"q2", L"q4"};
constexpr int kGridColumns = 5;
constexpr int kHeadingHeight = 36;
// The narrowest the name column becomes when it gives way to the counter columns.
constexpr int kNameColumnMin = 120;

// The window on one screen: its size, the height of the law rows, the top of the bottom
// row (in the body panel), and the widths of the name column (where the grid has room for
// it) and of each counter column.
struct TLawsPlaces {
  int Width, Height, RowHeight, BottomTop, NameWidth, CounterWidth;
};
constexpr TLawsPlaces kLargeScreen{900, 599, 43, 520, 490, 100};
constexpr TLawsPlaces kSmallScreen{760, 504, 36, 425, 430, 80};

const TLawsPlaces& ScreenPlaces() { return ScreenMode == L"800" ? kSmallScreen : kLargeScreen; }

}  // namespace

TLawPracticeWindowMaker SetLawPracticeWindowMaker(TLawPracticeWindowMaker maker) {
  return std::exchange(PracticeMaker, std::move(maker));
}

String LawPracticeQueryText(const String& articleId) {
  return L"select a.a1 as a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,f1,"
         L"a.csbs as csbs,b.jx as jx,b.A15 as A15 from tab_answ a,tab_exer b where a.a1=b.a1 and " +
         QuotedStr(articleId) + L" in (k3,k4,k5,k6,k7,k8,k9,k10,k11,k12)";
}

int KeyPointMinimum(const String& questionCell, int articles) {
  int questions = 0;
  if (articles <= 0 || !TryStrToInt(Trim(questionCell), questions)) return 1;
  return std::max(1, questions / articles);
}

String ArticleNumberOfItem(const String& item) {
  const size_t bracket = item.find(L'(');
  return bracket == String::npos ? item : item.substr(0, bracket);
}

// ---- TfrmLawsFaGui ------------------------------------------------------------------------------

const TPropertyTable* TfrmLawsFaGui::PublishedProperties() {
  using P = TPublish<TfrmLawsFaGui>;
  using C = TfrmLawsFaGui;
  static const TPropertyTable table(
      {}, {P::Field(L"m_pTiltel", &C::m_pTiltel),     P::Field(L"Image1", &C::Image1),
           P::Field(L"epBevel1", &C::epBevel1),       P::Field(L"m_Ltiltle", &C::m_Ltiltle),
           P::Field(L"m_pBody", &C::m_pBody),         P::Field(L"m_pMuLu", &C::m_pMuLu),
           P::Field(L"epBevel3", &C::epBevel3),       P::Field(L"m_grid", &C::m_grid),
           P::Field(L"epBevel2", &C::epBevel2),       P::Field(L"m_editFind", &C::m_editFind),
           P::Field(L"m_btnFind", &C::m_btnFind),     P::Field(L"m_btnSelect", &C::m_btnSelect),
           P::Field(L"m_btnMost", &C::m_btnMost),     P::Field(L"m_btnQuestion", &C::m_btnQuestion),
           P::Field(L"m_btnBack", &C::m_btnBack),     P::Field(L"m_btnExit", &C::m_btnExit),
           P::Field(L"ADOQuery1", &C::ADOQuery1)});
  return &table;
}

TfrmLawsFaGui::TfrmLawsFaGui(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
}

TfrmLawsFaGui::~TfrmLawsFaGui() { FreeDetail(); }

void TfrmLawsFaGui::RegisterHandlers() {
  using M = TPublishMethods<TfrmLawsFaGui>;
  using C = TfrmLawsFaGui;
  RegisterMethods<C>({M::Handler(L"FormCreate", &C::FormCreate),
                      M::Handler(L"FormShow", &C::FormShow),
                      M::Handler(L"m_btnFindClick", &C::m_btnFindClick),
                      M::Handler(L"m_editFindKeyDown", &C::m_editFindKeyDown),
                      M::Handler(L"m_btnSelectClick", &C::m_btnSelectClick),
                      M::Handler(L"m_gridDblClick", &C::m_gridDblClick),
                      M::Handler(L"m_btnMostClick", &C::m_btnMostClick),
                      M::Handler(L"m_btnQuestionClick", &C::m_btnQuestionClick),
                      M::Handler(L"m_btnBackClick", &C::m_btnBackClick),
                      M::Handler(L"m_btnExitClick", &C::m_btnExitClick)});
}

void TfrmLawsFaGui::FormCreate(TObject*) {
  ADOQuery1->SetConnection(DM1->ADOCn1);
  FListHeading = m_Ltiltle->GetCaption();
  // The grid takes its size from the list area when the window is laid out.
  m_grid->SetOnResize([this](TObject*) { FitColumnsToGrid(); });
  SetupLawGrid();
  LoadLaws();
}

void TfrmLawsFaGui::SetupLawGrid() {
  m_grid->SetCtl3D(false);
  m_grid->SetColCount(kGridColumns);
  // The name column is set last, by the room the counters leave: set wider for a moment,
  // it would bring a horizontal scroll bar that the grid keeps.
  for (int col = 0; col < kGridColumns; ++col) {
    if (col > 0) m_grid->SetColWidths(col, ScreenPlaces().CounterWidth);
    m_grid->SetCells(col, 0, kHeadings[col]);
  }
  m_grid->SetRowHeights(0, kHeadingHeight);
  for (int row = 1; row < m_grid->GetRowCount(); ++row) m_grid->SetRowHeights(row, ScreenPlaces().RowHeight);
  FitColumnsToGrid();
}

void TfrmLawsFaGui::FitColumnsToGrid() {
  // The counter columns keep their widths and the name column takes what they leave, so
  // that the last column ends inside the grid beside its vertical scroll bar, whether the
  // bar shows yet or not. A grid without its window counts the bar in its client width.
  int room = m_grid->GetClientWidth();
  if (m_grid->HandleAllocated()) {
    const HWND grid = m_grid->GetHandle();
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(grid, GWL_STYLE)) & ~DWORD(WS_HSCROLL | WS_VSCROLL);
    const RECT frame = WindowFrameOfStyle(style, static_cast<DWORD>(::GetWindowLongW(grid, GWL_EXSTYLE)), false);
    room = m_grid->GetWidth() - (frame.right - frame.left) - ::GetSystemMetrics(SM_CXVSCROLL);
  }
  for (int col = 1; col < kGridColumns; ++col) room -= m_grid->GetColWidths(col);
  room -= kGridColumns * m_grid->GetGridLineWidth();
  m_grid->SetColWidths(0, std::clamp(room, kNameColumnMin, ScreenPlaces().NameWidth));
}

bool TfrmLawsFaGui::LoadLaws() {
  TADOQuery* laws = DM1->m_query;
  RunQuery(laws, L"select * from tab_fgmc order by bh");
  if (laws->IsEmpty()) return false;
  laws->First();
  // Filled afresh: after Back the list is read again and must stay parallel to the grid.
  LawIds.Clear();
  const int count = laws->GetRecordCount();
  m_grid->SetRowCount(count + 1);
  m_grid->SetFixedRows(1);
  for (int row = 1; row <= count && !laws->GetEof(); ++row) {
    m_grid->SetRowHeights(row, ScreenPlaces().RowHeight);
    for (int col = 0; col < kGridColumns; ++col)
      m_grid->SetCells(col, row, laws->FieldByName(kLawColumns[col])->GetAsString());
    LawIds.Add(laws->FieldByName(L"id")->GetAsString());
    laws->Next();
  }
  return true;
}

void TfrmLawsFaGui::FormShow(TObject*) {
  const TLawsPlaces& places = ScreenPlaces();
  SetBounds((Screen->GetWidth() - places.Width) / 2, (Screen->GetHeight() - places.Height) / 2,
            places.Width, places.Height);
  for (int row = 1; row < m_grid->GetRowCount(); ++row) m_grid->SetRowHeights(row, places.RowHeight);
  // The list area fills the body down to the bottom row, whose bevel frames it; the title
  // bevel stays inside the window on the small screen too.
  const int width = GetClientWidth() - 8;
  epBevel1->SetBounds(10, 3, GetClientWidth() - 20, 35);
  m_pMuLu->SetBounds(2, 2, width, places.BottomTop - 16);
  epBevel2->SetBounds(2, places.BottomTop - 12, width, 46);
  m_editFind->SetBounds(8, places.BottomTop, 180, 21);
  const std::pair<TControl*, int> buttons[] = {{m_btnFind, 218},   {m_btnSelect, 316}, {m_btnMost, 400},
                                               {m_btnQuestion, 484}, {m_btnBack, 568}, {m_btnExit, 652}};
  for (const auto& [button, left] : buttons) button->SetBounds(left, places.BottomTop, 75, 22);
}

int TfrmLawsFaGui::FindLawRow() {
  const String text = Trim(m_editFind->GetText());
  if (text.empty() || m_grid->GetRowCount() < 2 || LawIds.GetCount() == 0) return -1;
  for (int row = 1; row < m_grid->GetRowCount(); ++row)
    if (m_grid->GetCells(0, row).find(text) != String::npos) return row;
  return -1;
}

void TfrmLawsFaGui::m_btnFindClick(TObject*) {
  const int row = FindLawRow();
  if (row > 0) m_grid->SetRow(row);
}

void TfrmLawsFaGui::m_editFindKeyDown(TObject* sender, WORD& key, TShiftState) {
  if (key == VK_RETURN) m_btnFindClick(sender);
}

bool TfrmLawsFaGui::CurrentLawId(String& id) {
  const int row = m_grid->GetRow();
  if (row < 1 || row > LawIds.GetCount()) return false;
  id = LawIds.Get(row - 1);
  return true;
}

void TfrmLawsFaGui::m_btnSelectClick(TObject*) {
  String id;
  // An empty law table leaves the grid with its heading and no law behind it.
  if (!m_grid->GetVisible() || !CurrentLawId(id)) return;
  const size_t length = Trim(id).size();
  if (length == 1 || length == 2) {
    ShowDlg(L"提示", L"请选择具体章节!", 3, 1, L"");
    return;
  }
  try {
    TADOQuery* count = ADOQuery1;
    RunQuery(count, L"select count(*) as icou1 from tab_rule where (id = " + QuotedStr(id) + L")");
    KeyPointMin = KeyPointMinimum(m_grid->GetCells(1, m_grid->GetRow()), IntOrZero(count, L"icou1"));
  } catch (const Exception&) {
    KeyPointMin = 1;
  }
  FOpenLawId = id;
  ShowLawList(false);
  TADOQuery* articles = DM1->m_queryDetail;
  articles->Close();
  articles->SetFiltered(false);
  articles->SetFilter(L"");
  articles->GetSQL()->SetText(L"select * from tab_rule where id=" + QuotedStr(id) + L" order by ftid");
  articles->Open();
  articles->First();
  if (!articles->IsEmpty())
    FillArticleList();
  else
    AppMessageBox(L"找不到法规!", L"提示", MB_OK | MB_ICONINFORMATION);
}

void TfrmLawsFaGui::m_gridDblClick(TObject* sender) { m_btnSelectClick(sender); }

void TfrmLawsFaGui::FillArticleList() {
  if (!FDetail) return;
  TADOQuery* articles = DM1->m_queryDetail;
  TStrings* items = FDetail->m_LBmenu->GetItems();
  items->Clear();
  articles->First();
  const int count = articles->GetRecordCount();
  for (int i = 0; i < count && !articles->GetEof(); ++i) {
    items->Add(ArticleItemText(articles->FieldByName(L"sn")->GetAsString(),
                               articles->FieldByName(L"q")->GetAsInteger()));
    articles->Next();
  }
  FDetail->m_LBmenu->SetItemIndex(items->GetCount() > 0 ? 0 : -1);
  FDetail->Re->SetDataSource(DM1->m_query_DS);
  FDetail->Re->SetDataField(L"n");
  articles->First();
  FDetail->m_pNote->SetCaption(ArticleNoteText(articles));
  m_btnQuestion->SetEnabled(!articles->IsEmpty() && articles->FieldByName(L"q")->GetAsInteger() > 0);
}

void TfrmLawsFaGui::ShowLawList(bool list) {
  m_editFind->SetVisible(list);
  m_btnFind->SetVisible(list);
  m_btnSelect->SetVisible(list);
  m_btnMost->SetEnabled(!list);
  m_btnQuestion->SetEnabled(false);
  m_btnBack->SetVisible(!list);
  m_grid->SetVisible(list);
  if (list) {
    // The heading as laid out (考点目录) rather than a re-spaced one, so that the list reads
    // the same after Back as when the window opened.
    m_Ltiltle->SetCaption(FListHeading);
    return;
  }
  FreeDetail();
  FDetail = TCustomForm::Create<TfrmLawDetail>(Application);
  FDetail->PracticeButton = m_btnQuestion;
  FDetail->m_Pdetail->SetAlign(alNone);
  FDetail->m_Pdetail->SetBounds(0, 0, m_pMuLu->GetWidth(), m_pMuLu->GetHeight());
  FDetail->m_Pdetail->SetParent(m_pMuLu);
  const int row = m_grid->GetRow();
  if (row >= 1 && row < m_grid->GetRowCount()) m_Ltiltle->SetCaption(Trim(m_grid->GetCells(0, row)));
}

void TfrmLawsFaGui::FreeDetail() {
  if (!FDetail) return;
  // The panel lives in this window's list area but belongs to the detail window.
  FDetail->Re->SetDataSource(nullptr);
  delete std::exchange(FDetail, nullptr);
}

void TfrmLawsFaGui::m_btnBackClick(TObject*) {
  const int row = m_grid->GetRow();
  ShowLawList(true);
  SetupLawGrid();
  LoadLaws();
  if (row >= 1 && row < m_grid->GetRowCount()) m_grid->SetRow(row);
  FreeDetail();
  m_btnMost->SetTag(0);
  m_btnMost->SetCaption(L"重点(&M)");
}

bool TfrmLawsFaGui::FilterKeyPoints(bool all) {
  TADOQuery* articles = DM1->m_queryDetail;
  if (!articles->GetActive() || !FDetail) return false;
  FDetail->Re->SetDataField(L"");
  articles->SetFilter(all ? String() : L"q >=" + IntToStr(KeyPointMin));
  articles->SetFiltered(true);
  if (articles->IsEmpty()) {
    if (!all) {
      articles->SetFilter(L"");
      FillArticleList();
    }
    return false;
  }
  FillArticleList();
  return true;
}

void TfrmLawsFaGui::m_btnMostClick(TObject*) {
  const bool showingKeyPoints = m_btnMost->GetTag() == 1;
  if (!FilterKeyPoints(showingKeyPoints)) {
    AppMessageBox(L"此法规暂无重点内容！", L"提示", MB_OK | MB_ICONINFORMATION);
    return;
  }
  m_btnMost->SetTag(showingKeyPoints ? 0 : 1);
  m_btnMost->SetCaption(showingKeyPoints ? L"重点(&M)" : L"全部(&A)");
}

void TfrmLawsFaGui::m_btnQuestionClick(TObject*) {
  if (!FDetail) return;
  const int index = FDetail->m_LBmenu->GetItemIndex();
  if (index < 0) return;
  const String number = ArticleNumberOfItem(FDetail->m_LBmenu->GetItems()->Get(index));
  TADOQuery* lookup = DM1->m_query;
  RunQuery(lookup, L"select * from tab_rule where Rtrim(sn)=" + QuotedStr(number) +
                       L" and id=" + QuotedStr(Trim(FOpenLawId)));
  // No article, or one without an id, would make a query of every question whose law
  // columns are empty.
  if (lookup->IsEmpty()) return;
  lookup->First();
  const String articleId = Trim(lookup->FieldByName(L"ftid")->GetAsString());
  if (articleId.empty()) return;
  PracticeSQL = LawPracticeQueryText(articleId);
  if (!PracticeMaker) return;

  std::unique_ptr<TLawPractice> practice;
  auto restore = [&] {
    Screen->SetCursor(crDefault);
    practice.reset();
    // The counters of the article changed with the practice: read them again.
    TADOQuery* articles = DM1->m_queryDetail;
    if (articles->GetActive()) articles->Requery();
    if (FDetail) FDetail->m_lBmenuClick(FDetail->m_LBmenu);
    if (!GetVisible()) Show();
  };
  Screen->SetCursor(crHourGlass);
  try {
    practice = PracticeMaker();
    if (practice && practice->LoadQuestions()) {
      Hide();
      practice->SetHeading(number);
      Screen->SetCursor(crDefault);
      practice->ShowModal();
    } else if (practice) {
      Screen->SetCursor(crDefault);
      ShowDlg(L"提示", L"恭喜你，习题已做完！", 1, 0, L"NO");
    }
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

void TfrmLawsFaGui::m_btnExitClick(TObject*) {
  // Leaving from the article view lets go of the detail window as Back does.
  FreeDetail();
  LawIds.Clear();
  Close();
}
