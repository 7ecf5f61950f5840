// MessageDlg and ShowMessage: the class library's message box, a modal form built in code
// with the type's icon, the message and a row of push buttons.
//
// The form ("TMessageForm", BorderStyle bsDialog) holds an image "Image" with the system's
// icon of the type (none for mtCustom), a word-wrapped label "Message" at most half the
// screen wide, and one TButton per button asked, in the order of TMsgDlgBtn, named after it
// ("Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll", "YesToAll",
// "Help") and centred below. The caption is the type's ("Warning", "Error", "Information",
// "Confirm"; the application's title for mtCustom). Enter clicks OK (else Yes, else Retry);
// Escape clicks Cancel (else No, else OK); closing the form gives mrCancel. Sizes follow the
// font: margins of 8 dialog units, buttons 50 x 14 units (wider when a caption needs it).
#pragma once
#include "../forms/Forms.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
  mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};
inline constexpr TMsgDlgButtons mbAbortIgnore{mbAbort, mbIgnore};

// The caption of a button ("&Yes", "OK", "N&o to All", ...) and the modal result it gives
// (mrNone for mbHelp, which shows the help instead).
String MsgDlgButtonCaption(TMsgDlgBtn button);
TModalResult MsgDlgButtonResult(TMsgDlgBtn button);

// Builds the message form, hidden and centred nowhere yet; the caller owns it (it is also a
// component of the application, which frees it if the caller does not).
TForm* CreateMessageDialog(const String& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons);

// Shows the message form modally (centred on the screen, or with its top-left corner at
// x, y where those are not negative) and returns the modal result of the button chosen.
int MessageDlg(const String& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx);
int MessageDlgPos(const String& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx,
                  int x, int y);

// The message with an OK button, titled with the application's title.
void ShowMessage(const String& msg);
void ShowMessageFmt(const String& msg, std::initializer_list<TVarRec> params);
void ShowMessagePos(const String& msg, int x, int y);
