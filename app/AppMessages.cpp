// The windows' message call and its responder.
#include "AppMessages.h"

#include "classlib/forms/Forms.h"

namespace {

TAppDlgResponder& Responder() {
  static TAppDlgResponder responder;
  return responder;
}

}  // namespace

int ShowAppDlg(const String& caption, const String& text, int mode, int iconPage,
               const String& kind) {
  if (Responder()) return Responder()(caption, text, mode, iconPage, kind);
  const UINT icon = iconPage == 2 ? MB_ICONHAND : iconPage == 1 ? MB_ICONEXCLAMATION : MB_ICONINFORMATION;
  ::MessageBoxW(Application ? Application->GetHandle() : nullptr, text.c_str(), caption.c_str(),
                MB_OK | icon);
  return 1;
}

TAppDlgResponder SetAppDlgResponder(TAppDlgResponder responder) {
  TAppDlgResponder old = std::move(Responder());
  Responder() = std::move(responder);
  return old;
}
