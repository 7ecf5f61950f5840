// TCommonDialog, and the file dialogs over GetOpenFileNameW and GetSaveFileNameW.

#include <algorithm>

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../forms/Forms.h"
#include "Dialogs.h"

#include <commdlg.h>

namespace {

const wchar_t* const OpenOptionNames[] = {
    L"ofReadOnly",         L"ofOverwritePrompt",   L"ofHideReadOnly",     L"ofNoChangeDir",
    L"ofShowHelp",         L"ofNoValidate",        L"ofAllowMultiSelect", L"ofExtensionDifferent",
    L"ofPathMustExist",    L"ofFileMustExist",     L"ofCreatePrompt",     L"ofShareAware",
    L"ofNoReadOnlyReturn", L"ofNoTestFileCreate",  L"ofNoNetworkButton",  L"ofNoLongNames",
    L"ofOldStyleDialog",   L"ofNoDereferenceLinks", L"ofEnableIncludeNotify",
    L"ofEnableSizing",     L"ofDontAddToRecent",   L"ofForceShowHidden"};
const TEnumInfo OpenOptionIdents = MakeEnumInfo(OpenOptionNames);

// The OFN_ flag of each option, in the order of TOpenOption (0: the option has none).
constexpr DWORD OpenOptionFlags[] = {
    OFN_READONLY,        OFN_OVERWRITEPROMPT,   OFN_HIDEREADONLY,       OFN_NOCHANGEDIR,
    OFN_SHOWHELP,        OFN_NOVALIDATE,        OFN_ALLOWMULTISELECT,   OFN_EXTENSIONDIFFERENT,
    OFN_PATHMUSTEXIST,   OFN_FILEMUSTEXIST,     OFN_CREATEPROMPT,       OFN_SHAREAWARE,
    OFN_NOREADONLYRETURN, OFN_NOTESTFILECREATE, OFN_NONETWORKBUTTON,    OFN_NOLONGNAMES,
    0,                   OFN_NODEREFERENCELINKS, OFN_ENABLEINCLUDENOTIFY, OFN_ENABLESIZING,
    OFN_DONTADDTORECENT, OFN_FORCESHOWHIDDEN};
static_assert(std::size(OpenOptionFlags) == std::size(OpenOptionNames));

// Result buffers: one path, or the folder and every name of a multiple choice.
constexpr size_t SingleFileBufferSize = 4096;
constexpr size_t MultiFileBufferSize = 65536;

const bool DialogClassesRegistered = [] {
  RegisterClasses({TOpenDialog::StaticClassInfo(), TSaveDialog::StaticClassInfo(),
                   TFindDialog::StaticClassInfo(), TReplaceDialog::StaticClassInfo()});
  return true;
}();

BOOL CALLBACK CollectTaskWindow(HWND wnd, LPARAM list) {
  if (::IsWindowVisible(wnd) && ::IsWindowEnabled(wnd))
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(wnd);
  return TRUE;
}

// Disables the program's visible, enabled top-level windows (but the dialog's owner, which
// the system disables and enables itself, so that it becomes active again afterwards) and
// enables them again when it goes.
class TDisabledTaskWindows {
 public:
  explicit TDisabledTaskWindows(HWND owner) {
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectTaskWindow,
                        reinterpret_cast<LPARAM>(&FWindows));
    std::erase(FWindows, owner);
    for (HWND wnd : FWindows) ::EnableWindow(wnd, FALSE);
  }
  ~TDisabledTaskWindows() {
    for (HWND wnd : FWindows)
      if (::IsWindow(wnd)) ::EnableWindow(wnd, TRUE);
  }
  TDisabledTaskWindows(const TDisabledTaskWindows&) = delete;
  TDisabledTaskWindows& operator=(const TDisabledTaskWindows&) = delete;

 private:
  std::vector<HWND> FWindows;  // disabled here; enabled again by the destructor
};

}  // namespace

// ---- Helpers ----------------------------------------------------------------------------------

DWORD OpenOptionsToFlags(TOpenOptions options) {
  DWORD flags = 0;
  for (size_t i = 0; i < std::size(OpenOptionFlags); ++i)
    if (options.Contains(static_cast<TOpenOption>(i))) flags |= OpenOptionFlags[i];
  return flags;
}

String DialogFilterText(const String& filter) {
  if (filter.empty()) return String();
  String text = filter;
  std::replace(text.begin(), text.end(), L'|', L'\0');
  text.append(2, L'\0');
  return text;
}

std::vector<String> SplitDialogFiles(const wchar_t* buffer, size_t size) {
  std::vector<String> parts;
  size_t start = 0;
  while (start < size && buffer[start] != L'\0') {
    size_t end = start;
    while (end < size && buffer[end] != L'\0') ++end;
    parts.emplace_back(buffer + start, end - start);
    start = end + 1;
  }
  if (parts.size() <= 1) return parts;
  // The folder first, then the names in it.
  String folder = parts.front();
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  std::vector<String> files;
  for (size_t i = 1; i < parts.size(); ++i) files.push_back(folder + parts[i]);
  return files;
}

// ---- TCommonDialog --------------------------------------------------------------------------------

HWND TCommonDialog::OwnerWindow() {
  HWND active = ::GetActiveWindow();
  if (active && ::IsWindowVisible(active)) return active;
  return Application ? Application->GetHandle() : nullptr;
}

void TCommonDialog::DoShow() {
  if (FOnShow) FOnShow(this);
}

void TCommonDialog::DoClose() {
  if (FOnClose) FOnClose(this);
}

const TPropertyTable* TCommonDialog::PublishedProperties() {
  using P = TPublish<TCommonDialog>;
  using C = TCommonDialog;
  static const TPropertyTable table{
      P::Boolean(L"Ctl3D", &C::GetCtl3D, &C::SetCtl3D).Default(true),
      P::Integer(L"HelpContext", &C::GetHelpContext, &C::SetHelpContext).Default(0),
      P::Method(L"OnClose", &C::GetOnClose, &C::SetOnClose),
      P::Method(L"OnShow", &C::GetOnShow, &C::SetOnShow),
  };
  return &table;
}

// ---- TOpenDialog ------------------------------------------------------------------------------------

TOpenDialog::TOpenDialog(TComponent* owner)
    : TCommonDialog(owner), FFiles(std::make_unique<TStringList>()) {}

TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute() { return DoExecute(false); }

UINT_PTR CALLBACK TOpenDialog::DialogHook(HWND wnd, UINT msg, WPARAM, LPARAM lParam) {
  if (msg != WM_INITDIALOG) return 0;
  const auto* params = reinterpret_cast<const OPENFILENAMEW*>(lParam);
  auto* dialog = reinterpret_cast<TOpenDialog*>(params->lCustData);
  // An Explorer-style hook runs in a child of the dialog.
  const bool explorer = (params->Flags & OFN_EXPLORER) != 0;
  dialog->SetHandle(explorer ? ::GetParent(wnd) : wnd);
  try {
    dialog->DoShow();
  } catch (...) {
    ApplicationHandleException(dialog);
  }
  return explorer ? 0 : 1;
}

bool TOpenDialog::DoExecute(bool save) {
  const bool multiSelect = FOptions.Contains(ofAllowMultiSelect);
  std::vector<wchar_t> buffer(
      std::max(multiSelect ? MultiFileBufferSize : SingleFileBufferSize, FFileName.size() + 2),
      L'\0');
  std::copy(FFileName.begin(), FFileName.end(), buffer.begin());
  const String filter = DialogFilterText(FFilter);

  OPENFILENAMEW params{};
  params.lStructSize = sizeof(params);
  params.hwndOwner = OwnerWindow();
  params.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  params.nFilterIndex = static_cast<DWORD>(std::max(FFilterIndex, 0));
  params.lpstrFile = buffer.data();
  params.nMaxFile = static_cast<DWORD>(buffer.size() - 1);
  params.lpstrInitialDir = FInitialDir.empty() ? nullptr : FInitialDir.c_str();
  params.lpstrTitle = FTitle.empty() ? nullptr : FTitle.c_str();
  params.lpstrDefExt = FDefaultExt.empty() ? nullptr : FDefaultExt.c_str();
  params.Flags = OpenOptionsToFlags(FOptions) | OFN_ENABLEHOOK |
                 (FOptions.Contains(ofOldStyleDialog) ? 0 : OFN_EXPLORER);
  params.lpfnHook = &TOpenDialog::DialogHook;
  params.lCustData = reinterpret_cast<LPARAM>(this);

  BOOL chosen = FALSE;
  {
    TDisabledTaskWindows disabled(params.hwndOwner);
    chosen = save ? ::GetSaveFileNameW(&params) : ::GetOpenFileNameW(&params);
  }
  const bool shown = GetHandle() != nullptr;
  SetHandle(nullptr);
  if (shown) DoClose();
  if (!chosen) return false;

  FFiles->Clear();
  for (const String& file : SplitDialogFiles(buffer.data(), buffer.size())) FFiles->Add(file);
  FFileName = FFiles->GetCount() > 0 ? FFiles->Get(0) : String();
  FFilterIndex = static_cast<int>(params.nFilterIndex);
  FOptions.Exclude(ofReadOnly).Exclude(ofExtensionDifferent);
  if (params.Flags & OFN_READONLY) FOptions.Include(ofReadOnly);
  if (params.Flags & OFN_EXTENSIONDIFFERENT) FOptions.Include(ofExtensionDifferent);
  return true;
}

const TPropertyTable* TOpenDialog::PublishedProperties() {
  using P = TPublish<TOpenDialog>;
  using C = TOpenDialog;
  static const TPropertyTable table{
      P::Text(L"DefaultExt", &C::GetDefaultExt, &C::SetDefaultExt),
      P::Text(L"FileName", &C::GetFileName, &C::SetFileName),
      P::Text(L"Filter", &C::GetFilter, &C::SetFilter),
      P::Integer(L"FilterIndex", &C::GetFilterIndex, &C::SetFilterIndex).Default(1),
      P::Text(L"InitialDir", &C::GetInitialDir, &C::SetInitialDir),
      P::Set(L"Options", OpenOptionIdents, &C::GetOptions, &C::SetOptions)
          .Default(TOpenOptions{ofHideReadOnly, ofEnableSizing}),
      P::Text(L"Title", &C::GetTitle, &C::SetTitle),
  };
  return &table;
}

// ---- TSaveDialog ---------------------------------------------------------------------------------------

bool TSaveDialog::Execute() { return DoExecute(true); }
