// The message dialog window and ShowDlg.
#include "Udlg.h"

#include <algorithm>

#include "Responders.h"
#include "Ucommon.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"

TFrmDlg* FrmDlg = nullptr;

const TPropertyTable* TFrmDlg::PublishedProperties() {
  using P = TPublish<TFrmDlg>;
  static const TPropertyTable table(
      {}, {P::Field(L"fcLabel1", &TFrmDlg::fcLabel1), P::Field(L"Image2", &TFrmDlg::Image2),
           P::Field(L"Label1", &TFrmDlg::Label1), P::Field(L"fcShapeBtn1", &TFrmDlg::fcShapeBtn1),
           P::Field(L"fcShapeBtn2", &TFrmDlg::fcShapeBtn2), P::Field(L"fcShapeBtn3", &TFrmDlg::fcShapeBtn3),
           P::Field(L"epNoteBook1", &TFrmDlg::epNoteBook1)});
  return &table;
}

TFrmDlg::TFrmDlg(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
}

void TFrmDlg::RegisterHandlers() {
  using M = TPublishMethods<TFrmDlg>;
  RegisterMethods<TFrmDlg>({M::Handler(L"FormCreate", &TFrmDlg::FormCreate)});
}

void TFrmDlg::FormCreate(TObject*) {
  FDesignWidth = GetWidth();
  FDesignTextWidth = fcLabel1->GetWidth();
}

void TFrmDlg::Prepare(const String& caption, const String& text, int mode, int iconPage, const String& kind) {
  SetWidth(FDesignWidth);
  SetCaption(caption);
  fcLabel1->SetCaption(text);
  // Which buttons each mode shows (1, 2, 3); another mode keeps the last call's.
  static const bool kShown[4][3] = {{true, true, false}, {false, false, true}, {true, true, true}, {true, false, false}};
  if (mode >= 0 && mode <= 3) {
    fcShapeBtn1->SetVisible(kShown[mode][0]);
    fcShapeBtn2->SetVisible(kShown[mode][1]);
    fcShapeBtn3->SetVisible(kShown[mode][2]);
    if (mode == 3) SetWidth(200);
  }
  // The text keeps its right margin, so a narrow box wraps it instead of cutting it off.
  fcLabel1->SetWidth(std::max(FDesignTextWidth - (FDesignWidth - GetWidth()), 0));
  if (iconPage >= 0 && iconPage < epNoteBook1->GetPageCount()) epNoteBook1->SetPageIndex(iconPage);
  Label1->SetCaption(caption);
  const bool exam = kind == L"Exam";
  fcShapeBtn1->SetCaption(L"确定");
  fcShapeBtn2->SetCaption(exam ? L"作废" : L"取消");
  fcShapeBtn3->SetCaption(exam ? L"取消" : L"确定");
  FSystemCloseResult = exam ? 3 : 2;
  // The first shown button, left to right, takes the focus when the box shows.
  SetActiveControl(nullptr);
}

int TFrmDlg::Execute(const String& caption, const String& text, int mode, int iconPage, const String& kind) {
  Prepare(caption, text, mode, iconPage, kind);
  return ShowModal();
}

void TFrmDlg::WMClose(TMessage& message) {
  // The system's close (Alt+F4 or the close command) cancels; for an exam question that is
  // 取消 (3), never 作废 (2), which would throw the exam away.
  if (GetFormState().Contains(fsModal)) {
    SetModalResult(FSystemCloseResult);
    return;
  }
  TForm::WMClose(message);
}

int ShowDlg(const String& caption, const String& text, int mode, int iconPage, const String& kind) {
  if (const TShowDlgResponder& responder = ShowDlgResponder()) return responder(caption, text, mode, iconPage, kind);
  if (FrmDlg && !FrmDlg->GetFormState().Contains(fsModal) && !FrmDlg->GetVisible())
    return FrmDlg->Execute(caption, text, mode, iconPage, kind);
  // A question asked while the dialog is open (or before it exists) gets a dialog of its
  // own, so that neither question is lost.
  TFrmDlg* extra = TCustomForm::Create<TFrmDlg>(Application);
  try {
    const int result = extra->Execute(caption, text, mode, iconPage, kind);
    delete extra;
    return result;
  } catch (...) {
    delete extra;
    throw;
  }
}
