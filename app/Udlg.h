// The application's message dialog TFrmDlg (global FrmDlg), made at start-up and kept for
// the whole run.
//
// Not done yet: its text, title bar, buttons and icon pages, and ShowDlg, which need the
// image-button and effect control libraries. The start-up messages use the system's
// message box, as they must (the dialog does not exist yet when most of them show).
#pragma once
#include "classlib/forms/Forms.h"

class TFrmDlg : public TForm {
  CLASSLIB_CLASS(TFrmDlg, TForm)
  // Reads the stored layout; FormCreate runs in AfterConstruction (Application->CreateForm).
  explicit TFrmDlg(TComponent* owner);

  // Remembers the window's width as its design width.
  void FormCreate(TObject* sender);
  // The width the window was designed with (a narrow box returns to it).
  int GetDesignWidth() const { return FDesignWidth; }

 private:
  void RegisterHandlers();

  int FDesignWidth = 0;  // the window's width when it was created
};

extern TFrmDlg* FrmDlg;
