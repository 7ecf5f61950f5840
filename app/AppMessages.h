// How the statistics and plan windows tell the user of a failure: the program's message
// dialog call (caption, text, button mode, icon page 0 "提示" / 1 "警告" / 2 "错误", button
// kind), through a responder that tests replace so that no box waits for a click.
//
// Until the message dialog's own call is wired in, the default responder shows the text in
// the system's message box with the icon of the page.
#pragma once
#include <functional>
#include "classlib/system/SysString.h"

using TAppDlgResponder = std::function<int(const String& caption, const String& text, int mode,
                                           int iconPage, const String& kind)>;

// Shows the message; returns the button pressed (1 for OK).
int ShowAppDlg(const String& caption, const String& text, int mode, int iconPage,
               const String& kind);
// Installs responder (empty: the default); returns the one installed before.
TAppDlgResponder SetAppDlgResponder(TAppDlgResponder responder);
