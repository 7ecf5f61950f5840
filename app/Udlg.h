// The application's message dialog TFrmDlg (global FrmDlg), made at start-up and kept for
// the whole run, and ShowDlg (declared in Ucommon.h), which asks through it.
//
// The three buttons are rounded shape buttons; they take the focus, so Tab moves between
// the shown ones and Enter or Space presses the focused one.
#pragma once
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/Images.h"
#include "classlib/stdctrls/StdLabels.h"
#include "controls/effects/EPNote.h"
#include "controls/imagebutton/fcLabel.h"
#include "controls/imagebutton/fcShapeBtn.h"

class TFrmDlg : public TForm {
  CLASSLIB_CLASS(TFrmDlg, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout; FormCreate runs in AfterConstruction (Application->CreateForm).
  explicit TFrmDlg(TComponent* owner);

  // ---- Components (owned by the window) ----------------------------------------------------
  TfcLabel* fcLabel1 = nullptr;       // the message
  TImage* Image2 = nullptr;           // the title bar
  TLabel* Label1 = nullptr;           // the caption on the title bar
  TfcShapeBtn* fcShapeBtn1 = nullptr; // result 1
  TfcShapeBtn* fcShapeBtn2 = nullptr; // result 2
  TfcShapeBtn* fcShapeBtn3 = nullptr; // result 3
  TepNoteBook* epNoteBook1 = nullptr; // the icon: page 0 提示, 1 警告, 2 错误

  // Remembers the window's width as its design width.
  void FormCreate(TObject* sender);
  // The width the window was designed with (a narrow box returns to it).
  int GetDesignWidth() const { return FDesignWidth; }

  // Sets the window up for one question: caption, text, buttons by mode, icon page and the
  // button captions by kind. Does not show it.
  void Prepare(const String& caption, const String& text, int mode, int iconPage, const String& kind);
  // Prepare, then shows the window modally over the window that asks (the active one), owned
  // by it meanwhile and placed by MessagePlace; the pressed button's result (1, 2 or 3), or
  // the system-close result when it was closed by the system.
  int Execute(const String& caption, const String& text, int mode, int iconPage, const String& kind);
  // What a close by the system (Alt+F4, the close command) returns for the current kind:
  // 3 (取消) for "Exam", whose 2 would void the exam, otherwise 2.
  int GetSystemCloseResult() const { return FSystemCloseResult; }

 protected:
  void WMClose(TMessage& message) override;

 private:
  void RegisterHandlers();

  int FDesignWidth = 0;        // the window's width when it was created
  int FDesignTextWidth = 0;    // the message's width then
  int FSystemCloseResult = 2;  // what a close by the system returns
};

extern TFrmDlg* FrmDlg;

// Where a message of width × height stands on desktop: centred. When that would hide the top
// of the window it comes from (asking, an empty rectangle for none), as a window no taller
// than the message would be, it stands lower, its top at that window's middle, so that the
// window's upper half stays in sight behind it. Never past the desktop's bottom.
TRect MessagePlace(const TRect& desktop, int width, int height, const TRect& asking);
