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

namespace {

// The window a message comes from: the active window of the program, else its active form;
// nullptr when none shows.
HWND AskingWindow(HWND message) {
  HWND asking = ::GetActiveWindow();
  if (!asking && Screen && Screen->GetActiveForm() && Screen->GetActiveForm()->HandleAllocated())
    asking = Screen->GetActiveForm()->GetHandle();
  return asking && asking != message && ::IsWindowVisible(asking) ? asking : nullptr;
}

// Makes a top-level window owned by another one for a while; the owner before comes back at
// the end (a window owned by one that is destroyed would be destroyed with it).
class TOwnerScope {
 public:
  TOwnerScope(HWND window, HWND owner) : FWindow(window), FBefore(::GetWindow(window, GW_OWNER)) {
    if (owner) ::SetWindowLongPtrW(FWindow, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  }
  ~TOwnerScope() {
    if (::IsWindow(FWindow)) ::SetWindowLongPtrW(FWindow, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(FBefore));
  }
  TOwnerScope(const TOwnerScope&) = delete;
  TOwnerScope& operator=(const TOwnerScope&) = delete;

 private:
  HWND FWindow;  // the message's window
  HWND FBefore;  // its owner before (the application window)
};

}  // namespace

TRect MessagePlace(const TRect& desktop, int width, int height, const TRect& asking) {
  const int left = desktop.Left + desktop.Width() / 2 - width / 2;
  int top = desktop.Top + desktop.Height() / 2 - height / 2;
  const bool hidesTop = !IsRectEmpty(asking) && top <= asking.Top && top + height > asking.Top &&
                        left < asking.Right && left + width > asking.Left;
  if (hidesTop) top = asking.Top + asking.Height() / 2;
  top = std::max(desktop.Top, std::min(top, desktop.Bottom - height));
  return Bounds(std::max(left, desktop.Left), top, width, height);
}

int TFrmDlg::Execute(const String& caption, const String& text, int mode, int iconPage, const String& kind) {
  Prepare(caption, text, mode, iconPage, kind);
  // A message belongs to the window it comes from: it stays above that window, and that
  // window stays in sight behind it (centred on the desktop, a message would cover the small
  // settings window whole).
  const HWND wnd = GetHandle();
  const HWND asking = AskingWindow(wnd);
  RECT askingRect{};
  if (asking) ::GetWindowRect(asking, &askingRect);
  const TRect desktop = Bounds(Screen->GetDesktopLeft(), Screen->GetDesktopTop(), Screen->GetDesktopWidth(),
                               Screen->GetDesktopHeight());
  const TRect place = MessagePlace(desktop, GetWidth(), GetHeight(), TRect(askingRect));
  SetPosition(poDesigned);
  SetBounds(place.Left, place.Top, place.Width(), place.Height());
  TOwnerScope owned(wnd, asking);
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
