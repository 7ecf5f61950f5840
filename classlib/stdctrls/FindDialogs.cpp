// TFindDialog and TReplaceDialog over the system's modeless FindTextW and ReplaceTextW.
//
// The system keeps a pointer to the FINDREPLACEW structure and its text buffers for as long
// as the dialog's window lives, so they are held in one block (TFindDialogState) that the
// component keeps until two Executes later or its own destruction; the window is gone by
// then. The dialog's notifications go to a hidden window of the component; the dialog is
// over when its window is destroyed (seen by the hook), which also follows the "dialog
// ends" notification.

#include <algorithm>

#include "../classes/Properties.h"
#include "../forms/Forms.h"
#include "Dialogs.h"

#include <commdlg.h>
#include <dlgs.h>

// The system's structure and the text buffers it points to.
struct TFindDialogState {
  // Room for 255 characters and the NUL. The length given to the system is the number of
  // characters, which also fits when it is read as a number of bytes.
  static constexpr WORD BufferLength = 256;
  FINDREPLACEW Params{};
  wchar_t FindWhat[BufferLength] = {};
  wchar_t ReplaceWith[BufferLength] = {};
};

namespace {

const wchar_t* const FindOptionNames[] = {
    L"frDown",           L"frFindNext",         L"frHideMatchCase", L"frHideWholeWord",
    L"frHideUpDown",     L"frMatchCase",        L"frDisableMatchCase", L"frDisableUpDown",
    L"frDisableWholeWord", L"frReplace",        L"frReplaceAll",    L"frWholeWord",
    L"frShowHelp"};
const TEnumInfo FindOptionIdents = MakeEnumInfo(FindOptionNames);

// The FR_ flag of each option, in the order of TFindOption.
constexpr DWORD FindOptionFlags[] = {
    FR_DOWN,        FR_FINDNEXT,   FR_HIDEMATCHCASE, FR_HIDEWHOLEWORD, FR_HIDEUPDOWN,
    FR_MATCHCASE,   FR_NOMATCHCASE, FR_NOUPDOWN,     FR_NOWHOLEWORD,   FR_REPLACE,
    FR_REPLACEALL,  FR_WHOLEWORD,  FR_SHOWHELP};
static_assert(std::size(FindOptionFlags) == std::size(FindOptionNames));

// The window property that leads the hook from the dialog's window to the component.
constexpr wchar_t DialogProp[] = L"ClasslibFindDialog";

// The message the dialogs notify their owner with.
UINT FindMessage() {
  static const UINT message = ::RegisterWindowMessageW(FINDMSGSTRINGW);
  return message;
}

// Copies text into a buffer of the state (cut to what fits).
void CopyToBuffer(const String& text, wchar_t* buffer) {
  const size_t count = std::min<size_t>(text.size(), TFindDialogState::BufferLength - 1);
  std::copy_n(text.begin(), count, buffer);
  buffer[count] = L'\0';
}

}  // namespace

DWORD FindOptionsToFlags(TFindOptions options) {
  DWORD flags = 0;
  for (size_t i = 0; i < std::size(FindOptionFlags); ++i)
    if (options.Contains(static_cast<TFindOption>(i))) flags |= FindOptionFlags[i];
  return flags;
}

TFindOptions FlagsToFindOptions(DWORD flags) {
  TFindOptions options;
  for (size_t i = 0; i < std::size(FindOptionFlags); ++i)
    if (flags & FindOptionFlags[i]) options.Include(static_cast<TFindOption>(i));
  return options;
}

// ---- TFindDialog -------------------------------------------------------------------------------------

TFindDialog::TFindDialog(TComponent* owner) : TCommonDialog(owner) {
  FOwnerWindow = AllocateHWnd([this](TMessage& message) { OwnerWndProc(message); });
}

TFindDialog::~TFindDialog() {
  if (HWND dialog = GetHandle()) {
    // Nothing of this component may run while it is being destroyed.
    ::RemovePropW(dialog, DialogProp);
    if (Application && Application->GetDialogHandle() == dialog)
      Application->SetDialogHandle(nullptr);
    ::DestroyWindow(dialog);
  }
  DeallocateHWnd(FOwnerWindow);
}

void TFindDialog::SetFindText(const String& value) {
  FFindText = value;
  if (GetHandle() && FState) {
    CopyToBuffer(value, FState->FindWhat);
    ::SetDlgItemTextW(GetHandle(), edt1, FState->FindWhat);
  }
}

void TFindDialog::SetReplaceTextValue(const String& value) {
  FReplaceText = value;
  if (GetHandle() && FState) {
    CopyToBuffer(value, FState->ReplaceWith);
    ::SetDlgItemTextW(GetHandle(), edt2, FState->ReplaceWith);
  }
}

TPoint TFindDialog::GetPosition() const {
  RECT r;
  if (GetHandle() && ::GetWindowRect(GetHandle(), &r)) return TPoint(r.left, r.top);
  return FPosition;
}

void TFindDialog::SetPosition(const TPoint& value) {
  FPosition = value;
  MoveDialog();
}

void TFindDialog::MoveDialog() {
  if (!GetHandle() || FPosition.X < 0 || FPosition.Y < 0) return;
  ::SetWindowPos(GetHandle(), nullptr, FPosition.X, FPosition.Y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TFindDialog::Execute() {
  if (GetHandle()) {
    ::SetForegroundWindow(GetHandle());
    ::SetActiveWindow(GetHandle());
    return true;
  }
  auto state = std::make_unique<TFindDialogState>();
  CopyToBuffer(FFindText, state->FindWhat);
  CopyToBuffer(FReplaceText, state->ReplaceWith);
  FINDREPLACEW& params = state->Params;
  params.lStructSize = sizeof(params);
  params.hwndOwner = FOwnerWindow;
  params.Flags = FindOptionsToFlags(FOptions) | FR_ENABLEHOOK;
  params.lpstrFindWhat = state->FindWhat;
  params.wFindWhatLen = TFindDialogState::BufferLength;
  params.lpfnHook = &TFindDialog::DialogHook;
  params.lCustData = reinterpret_cast<LPARAM>(this);
  if (IsReplaceDialog()) {
    params.lpstrReplaceWith = state->ReplaceWith;
    params.wReplaceWithLen = TFindDialogState::BufferLength;
  }
  // The block before the last may go; the last one stays a while, as its window may still
  // be ending (a handler of OnClose may call Execute).
  FRetiredState = std::move(FState);
  FState = std::move(state);
  HWND dialog = IsReplaceDialog() ? ::ReplaceTextW(&FState->Params) : ::FindTextW(&FState->Params);
  if (!dialog) {
    SetHandle(nullptr);
    return false;
  }
  SetHandle(dialog);
  ::ShowWindow(dialog, SW_SHOW);
  return true;
}

void TFindDialog::CloseDialog() {
  // Cancel makes the dialog tell its end (DialogGone) and destroy its window.
  if (HWND dialog = GetHandle()) ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  if (HWND dialog = GetHandle()) ::DestroyWindow(dialog);
}

UINT_PTR CALLBACK TFindDialog::DialogHook(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      auto* dialog = reinterpret_cast<TFindDialog*>(
          reinterpret_cast<const FINDREPLACEW*>(lParam)->lCustData);
      ::SetPropW(wnd, DialogProp, dialog);
      dialog->SetHandle(wnd);
      dialog->MoveDialog();
      try {
        dialog->DoShow();
      } catch (...) {
        ApplicationHandleException(dialog);
      }
      return TRUE;  // the system shows the dialog
    }
    case WM_ACTIVATE:
      // Tab and the dialog's keys work while the dialog is the active window.
      if (Application) {
        if (LOWORD(wParam) != WA_INACTIVE)
          Application->SetDialogHandle(wnd);
        else if (Application->GetDialogHandle() == wnd)
          Application->SetDialogHandle(nullptr);
      }
      return 0;
    case WM_DESTROY:
      if (Application && Application->GetDialogHandle() == wnd)
        Application->SetDialogHandle(nullptr);
      if (auto* dialog = static_cast<TFindDialog*>(::RemovePropW(wnd, DialogProp))) {
        try {
          dialog->DialogGone();
        } catch (...) {
          ApplicationHandleException(dialog);
        }
      }
      return 0;
  }
  return 0;
}

void TFindDialog::OwnerWndProc(TMessage& message) {
  if (message.Msg != FindMessage() || !FState ||
      message.LParam != reinterpret_cast<LPARAM>(&FState->Params)) {
    message.Result = ::DefWindowProcW(FOwnerWindow, message.Msg, message.WParam, message.LParam);
    return;
  }
  TakeDialogState();
  // FR_DIALOGTERM needs nothing here: the window's destruction follows it.
  const DWORD flags = FState->Params.Flags;
  if (flags & FR_FINDNEXT) {
    Find();
  } else if (flags & (FR_REPLACE | FR_REPLACEALL)) {
    Replace();
  }
}

void TFindDialog::TakeDialogState() {
  FOptions = FlagsToFindOptions(FState->Params.Flags);
  FFindText.assign(FState->FindWhat,
                   std::find(FState->FindWhat, FState->FindWhat + TFindDialogState::BufferLength, L'\0'));
  if (IsReplaceDialog())
    FReplaceText.assign(FState->ReplaceWith,
                        std::find(FState->ReplaceWith,
                                  FState->ReplaceWith + TFindDialogState::BufferLength, L'\0'));
}

void TFindDialog::DialogGone() {
  if (!GetHandle()) return;
  RECT r;
  if (::GetWindowRect(GetHandle(), &r)) FPosition = TPoint(r.left, r.top);
  SetHandle(nullptr);
  DoClose();
}

void TFindDialog::Find() {
  if (FOnFind) FOnFind(this);
}

const TPropertyTable* TFindDialog::PublishedProperties() {
  using P = TPublish<TFindDialog>;
  using C = TFindDialog;
  static const TPropertyTable table{
      P::Text(L"FindText", &C::GetFindText, &C::SetFindText),
      P::Set(L"Options", FindOptionIdents, &C::GetOptions, &C::SetOptions)
          .Default(TFindOptions{frDown}),
      P::Method(L"OnFind", &C::GetOnFind, &C::SetOnFind),
  };
  return &table;
}

// ---- TReplaceDialog ----------------------------------------------------------------------------------

void TReplaceDialog::Replace() {
  if (FOnReplace) FOnReplace(this);
}

const TPropertyTable* TReplaceDialog::PublishedProperties() {
  using P = TPublish<TReplaceDialog>;
  using C = TReplaceDialog;
  static const TPropertyTable table{
      P::Text(L"ReplaceText", &C::GetReplaceText, &C::SetReplaceText),
      P::Method(L"OnReplace", &C::GetOnReplace, &C::SetOnReplace),
  };
  return &table;
}
