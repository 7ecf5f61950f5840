// The program's three ways of asking or telling outside its own windows: its message
// dialog (ShowDlg), the system's message box and the shell's "open". Each goes through a
// responder that tests replace, so that they run without a person; with no responder
// installed the real dialog, box or shell runs.
#pragma once
#include <functional>
#include <vector>
#include "classlib/system/SysString.h"
#include "classlib/system/Win.h"

// Answers ShowDlg(caption, text, mode, iconPage, kind) with the button result.
using TShowDlgResponder =
    std::function<int(const String& caption, const String& text, int mode, int iconPage, const String& kind)>;
// Answers a message box (text, caption, MB_* flags) with IDOK, IDCANCEL, ...
using TMessageBoxResponder = std::function<int(const String& text, const String& caption, UINT flags)>;
// Takes a shell "open" of a file with a show command (SW_*).
using TShellOpenResponder = std::function<void(const String& file, int showCommand)>;

// Installs a responder (an empty one restores the real thing); returns the one before.
TShowDlgResponder SetShowDlgResponder(TShowDlgResponder responder);
TMessageBoxResponder SetMessageBoxResponder(TMessageBoxResponder responder);
TShellOpenResponder SetShellOpenResponder(TShellOpenResponder responder);

// The installed ShowDlg responder (empty when none).
const TShowDlgResponder& ShowDlgResponder();
// The system's message box owned by the application window, or the responder's answer.
int AppMessageBox(const String& text, const String& caption, UINT flags);
// The shell's "open" of file, or the responder; the shell's result is not looked at.
void ShellOpen(const String& file, int showCommand);

// ---- Synthesised keys ----------------------------------------------------------------------
// One key stroke: a virtual key, pressed or released.
struct TKeyStroke {
  WORD Key = 0;
  bool Up = false;
  bool operator==(const TKeyStroke&) const = default;
};
// Takes the key strokes the program synthesises (the desktop command's Windows+D).
using TKeySender = std::function<void(const std::vector<TKeyStroke>& strokes)>;
TKeySender SetKeySender(TKeySender sender);
// Sends the strokes as input with their scan codes from the keyboard mapping, or to the sender.
void SendKeyStrokes(const std::vector<TKeyStroke>& strokes);
// The strokes that show the desktop: Windows key down, D down, D up, Windows key up.
std::vector<TKeyStroke> ShowDesktopStrokes();
// True while the Windows key, Ctrl or Alt is down for the message being handled; keys that
// act on an answer pad do nothing then.
bool ModifierKeyDown();
