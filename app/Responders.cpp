// The responders of the program's dialogs, message boxes and shell calls.
#include "Responders.h"

#include <shellapi.h>
#include "classlib/forms/Forms.h"

namespace {

TShowDlgResponder& DlgResponder() {
  static TShowDlgResponder responder;
  return responder;
}
TMessageBoxResponder& BoxResponder() {
  static TMessageBoxResponder responder;
  return responder;
}
TShellOpenResponder& ShellResponder() {
  static TShellOpenResponder responder;
  return responder;
}

}  // namespace

TShowDlgResponder SetShowDlgResponder(TShowDlgResponder responder) {
  return std::exchange(DlgResponder(), std::move(responder));
}
TMessageBoxResponder SetMessageBoxResponder(TMessageBoxResponder responder) {
  return std::exchange(BoxResponder(), std::move(responder));
}
TShellOpenResponder SetShellOpenResponder(TShellOpenResponder responder) {
  return std::exchange(ShellResponder(), std::move(responder));
}

const TShowDlgResponder& ShowDlgResponder() { return DlgResponder(); }

int AppMessageBox(const String& text, const String& caption, UINT flags) {
  if (BoxResponder()) return BoxResponder()(text, caption, flags);
  return ::MessageBoxW(Application ? Application->GetHandle() : nullptr, text.c_str(), caption.c_str(), flags);
}

void ShellOpen(const String& file, int showCommand) {
  if (ShellResponder()) {
    ShellResponder()(file, showCommand);
    return;
  }
  ::ShellExecuteW(Application ? Application->GetHandle() : nullptr, L"open", file.c_str(), nullptr, nullptr,
                  showCommand);
}
