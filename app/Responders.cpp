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

namespace {

TKeySender& KeyResponder() {
  static TKeySender sender;
  return sender;
}

}  // namespace

TKeySender SetKeySender(TKeySender sender) { return std::exchange(KeyResponder(), std::move(sender)); }

void SendKeyStrokes(const std::vector<TKeyStroke>& strokes) {
  if (KeyResponder()) {
    KeyResponder()(strokes);
    return;
  }
  std::vector<INPUT> inputs;
  for (const TKeyStroke& stroke : strokes) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = stroke.Key;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(stroke.Key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = stroke.Up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  }
  if (!inputs.empty()) ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::vector<TKeyStroke> ShowDesktopStrokes() {
  return {{VK_LWIN, false}, {'D', false}, {'D', true}, {VK_LWIN, true}};
}

bool ModifierKeyDown() {
  for (int key : {VK_LWIN, VK_RWIN, VK_CONTROL, VK_MENU})
    if (::GetKeyState(key) < 0) return true;
  return false;
}
