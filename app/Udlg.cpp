// The message dialog window.
#include "Udlg.h"

#include "classlib/classes/MethodTable.h"

TFrmDlg* FrmDlg = nullptr;

TFrmDlg::TFrmDlg(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
}

void TFrmDlg::RegisterHandlers() {
  using M = TPublishMethods<TFrmDlg>;
  RegisterMethods<TFrmDlg>({M::Handler(L"FormCreate", &TFrmDlg::FormCreate)});
}

void TFrmDlg::FormCreate(TObject*) { FDesignWidth = GetWidth(); }
