#include "RxRichEd.h"

#include <windowsx.h>

#include <algorithm>

#include "classlib/classes/ClassRegistry.h"
#include "classlib/controls/ControlIdents.h"
#include "classlib/controls/Messages.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/Printers.h"
#include "classlib/system/FlagScope.h"
#include "classlib/system/SysFiles.h"
#include "classlib/system/SysMath.h"
#include "classlib/system/SysString.h"

// ---- The library ---------------------------------------------------------------------------------

int RichEditVersion = 1;

namespace {

// The library chosen, freed when the program ends.
struct TLoadedLibrary {
  HMODULE Handle = nullptr;
  bool Chosen = false;
  ~TLoadedLibrary() {
    if (Handle) ::FreeLibrary(Handle);
  }
};
TLoadedLibrary gLibrary;

UINT gEmbeddedObject = 0;
UINT gLinkSource = 0;
UINT gRichText = 0;
UINT gRichTextNoObjects = 0;

// Major version of the system, read without the deprecated GetVersionEx where possible.
DWORD SystemMajorVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExW(&info)) return 0;
#pragma GCC diagnostic pop
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT ? info.dwMajorVersion : 0;
}

}  // namespace

TRichEditLibrary ChooseRichEditLibrary(const TLibraryLoader& load) {
  TRichEditLibrary result;
  if (!load) return result;
  if (HMODULE handle = load(L"RICHED20.DLL")) {
    result.Handle = handle;
    result.Version = SystemMajorVersion() >= 5 ? 3 : 2;
  } else if (HMODULE handle32 = load(L"RICHED32.DLL")) {
    result.Handle = handle32;
  }
  return result;
}

void InitRichEditLibrary() {
  if (gLibrary.Chosen) return;
  gLibrary.Chosen = true;
  const UINT oldMode = ::SetErrorMode(SEM_NOOPENFILEERRORBOX);
  const TRichEditLibrary library = ChooseRichEditLibrary([](const wchar_t* name) {
    // Old systems report a failure as a value from 1 to 31.
    HMODULE handle = ::LoadLibraryW(name);
    return reinterpret_cast<uintptr_t>(handle) < 32 ? nullptr : handle;
  });
  ::SetErrorMode(oldMode);
  gLibrary.Handle = library.Handle;
  RichEditVersion = library.Version;
  gEmbeddedObject = ::RegisterClipboardFormatW(L"Embedded Object");
  gLinkSource = ::RegisterClipboardFormatW(L"Link Source");
  gRichText = ::RegisterClipboardFormatW(L"Rich Text Format");
  gRichTextNoObjects = ::RegisterClipboardFormatW(L"Rich Text Format Without Objects");
}

void SetRichEditVersion(int version) {
  InitRichEditLibrary();
  // The version-1 class comes from riched32, which the system may not have loaded.
  if (version == 1) ::LoadLibraryW(L"RICHED32.DLL");
  RichEditVersion = Max(1, Min(version, 3));
}

namespace {
std::optional<bool> gSendsContextMenu;  // replaces the system's answer in tests
bool gPainting = false;                 // a version-1 window is painting
}  // namespace

bool RichEditSendsContextMenu() {
  return gSendsContextMenu.value_or(SystemMajorVersion() >= 5);
}

void SetRichEditSendsContextMenu(std::optional<bool> value) { gSendsContextMenu = value; }

UINT CF_EMBEDDEDOBJECT() { return gEmbeddedObject; }
UINT CF_LINKSOURCE() { return gLinkSource; }
UINT CF_RTF_FORMAT() { return gRichText; }
UINT CF_RTFNOOBJS_FORMAT() { return gRichTextNoObjects; }

const wchar_t* RichEditClassName(int version) { return version >= 2 ? L"RichEdit20W" : L"RICHEDIT"; }
UINT CharFormatSize(int version) {
  return version >= 2 ? sizeof(CHARFORMAT2W) : sizeof(CHARFORMATW);
}
UINT ParaFormatSize(int version) { return version >= 2 ? sizeof(PARAFORMAT2) : sizeof(PARAFORMAT); }
DWORD RichEditEventMask(int version) {
  const DWORD mask = ENM_CHANGE | ENM_SELCHANGE | ENM_REQUESTRESIZE | ENM_PROTECTED;
  return version >= 2 ? mask | ENM_LINK : mask;
}

DWORD LangOptionBits(TRichLangOptions options) {
  DWORD bits = 0;
  if (options.Contains(rlAutoKeyboard)) bits |= 1;
  if (options.Contains(rlAutoFont)) bits |= 2;
  if (options.Contains(rlImeCancelComplete)) bits |= 4;
  if (options.Contains(rlImeAlwaysSendNotify)) bits |= 8;
  return bits;
}

TRichLangOptions LangOptionsOf(DWORD bits) {
  TRichLangOptions options;
  if (bits & 1) options.Include(rlAutoKeyboard);
  if (bits & 2) options.Include(rlAutoFont);
  if (bits & 4) options.Include(rlImeCancelComplete);
  if (bits & 8) options.Include(rlImeAlwaysSendNotify);
  return options;
}

// ---- Construction -----------------------------------------------------------------------------------

TRxCustomRichEdit::TRxCustomRichEdit(TComponent* owner) : TCustomMemo(owner) {
  InitRichEditLibrary();
  SetControlStyle(GetControlStyle() - TControlStyle{csSetCaption});
  FSelAttributes = std::make_unique<TRxTextAttributes>(this, atSelected);
  FDefAttributes = std::make_unique<TRxTextAttributes>(this, atDefaultText);
  FWordAttributes = std::make_unique<TRxTextAttributes>(this, atWord);
  FParagraph = std::make_unique<TRxParaAttributes>(this);
  auto lines = std::make_unique<TRichEditStrings>(this);
  FRichLines = lines.get();
  SetLinesObject(std::move(lines));
  SetTabStop(true);
  SetBounds(GetLeft(), GetTop(), 185, 89);
  SetAutoSize(false);
  SetScrollBars(ssBoth);
  if (HDC dc = ::GetDC(nullptr)) {
    FScreenLogPixels = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(nullptr, dc);
  }
  FCallback = new TRichEditOleCallback(this);
  FCallback->AddRef();
  Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
}

TRxCustomRichEdit::~TRxCustomRichEdit() {
  FLinesUpdating = false;
  Destroying();
  // The window goes first (it may still call the callback while it closes its objects).
  if (HandleAllocated()) DestroyHandle();
  FMemStream.reset();
  FCallback->Detach();
}

// ---- Window --------------------------------------------------------------------------------------------

void TRxCustomRichEdit::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  CreateSubClass(params, RichEditClassName(RichEditVersion));
  // Each version's class gets a name of its own, so a test may switch versions.
  if (RichEditVersion == 1) params.WinClassName += L".1";
  params.Style &= ~static_cast<DWORD>(WS_HSCROLL | WS_VSCROLL);
  params.Style |= ES_SAVESEL | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  const TScrollStyle bars = GetScrollBars();
  if (bars == ssVertical || bars == ssBoth) params.Style |= WS_VSCROLL;
  if ((bars == ssHorizontal || bars == ssBoth) && !GetWordWrap()) params.Style |= WS_HSCROLL;
  if (!FHideScrollBars) params.Style |= ES_DISABLENOSCROLL;
  if (FSelectionBar) params.Style |= ES_SELECTIONBAR;
  if (!FHideSelection) params.Style |= ES_NOHIDESEL;
  params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TRxCustomRichEdit::CreateWindowHandle(const TCreateParams& params) {
  const TRect bounds = GetBoundsRect();
  inherited::CreateWindowHandle(params);
  if (HandleAllocated()) SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
}

void TRxCustomRichEdit::CreateWnd() {
  const TRichStreamFormat format = FRichLines->GetFormat();
  const TRichStreamModes mode = FRichLines->GetMode();
  // Rich content kept from the last window, for a window now in plain-text mode (the mode
  // was switched while there was no window): it goes in as rich text first and is then
  // turned into its text, as switching the mode with a window does.
  bool savedRich = false;
  if (FMemStream && FMemStream->GetSize() > 0) {
    unsigned char plain = 1;
    FMemStream->SetPosition(0);
    FMemStream->ReadBuffer(&plain, 1);
    savedRich = plain == 0;
  }
  const bool plainAfterLoad = FPlainText && savedRich && RichEditVersion >= 2;
  if (plainAfterLoad) FPlainText = false;  // made and filled as a rich-text window first
  struct TPlainBack {  // the mode stays as set, also when making the window fails
    TRxCustomRichEdit* Edit;
    bool Pending;
    ~TPlainBack() {
      if (Pending) Edit->FPlainText = true;
    }
  } plainBack{this, plainAfterLoad};
  inherited::CreateWnd();
  const LANGID language = ::GetSystemDefaultLangID();
  const WORD primary = PRIMARYLANGID(language);
  if ((primary == LANG_CHINESE || primary == LANG_KOREAN) && ::GetSystemMetrics(SM_DBCSENABLED))
    GetFont()->SetCharset(DefaultFontCharset);
  Perform(EM_SETEVENTMASK, 0, static_cast<LPARAM>(RichEditEventMask(RichEditVersion)));
  Perform(EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ColorToRGB(GetColor())));
  SetMaxLength(GetMaxLength());
  ApplyWordSelection();
  if (RichEditVersion >= 2) {
    Perform(EM_AUTOURLDETECT, FAutoURLDetect ? TRUE : FALSE, 0);
    FUndoLimit = static_cast<int>(Perform(EM_SETUNDOLIMIT, static_cast<WPARAM>(FUndoLimit), 0));
    SetTextMode(FPlainText);
    ApplyLangOptions();
  }
  if (FAllowObjects) {
    Perform(EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(static_cast<IRichEditOleCallback*>(FCallback)));
    IRichEditOle* ole = nullptr;
    Perform(EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole));
    FRichEditOle = ole;  // the reference EM_GETOLEINTERFACE added is ours
    UpdateHostNames();
  }
  if (FMemStream) {
    std::unique_ptr<TMemoryStream> saved = std::move(FMemStream);
    try {
      saved->SetPosition(0);
      unsigned char plain = 0;
      if (saved->GetSize() > 0) saved->ReadBuffer(&plain, 1);
      if (plain) {
        FRichLines->SetFormat(sfPlainText);
        FRichLines->SetMode(TRichStreamModes());
      }
      FRichLines->LoadFromStream(*saved);
    } catch (...) {
      FRichLines->SetFormat(format);
      FRichLines->SetMode(mode);
      throw;
    }
    FRichLines->SetFormat(format);
    FRichLines->SetMode(mode);
  }
  if (plainAfterLoad) {
    plainBack.Pending = false;
    SetPlainText(true);
  }
  if (RichEditVersion == 1) Perform(WM_SETFONT, 0, 0);
  SetModified(FModified);
}

void TRxCustomRichEdit::DestroyWnd() {
  FModified = GetModified();
  // A control being freed keeps nothing for a next window.
  if (GetComponentState().Contains(csDestroying)) {
    inherited::DestroyWnd();
    return;
  }
  auto saved = std::make_unique<TMemoryStream>();
  const TRichStreamFormat format = FRichLines->GetFormat();
  const TRichStreamModes mode = FRichLines->GetMode();
  const bool design = GetComponentState().Contains(csDesigning);
  const unsigned char plain = design ? 1 : 0;
  saved->WriteBuffer(&plain, 1);
  if (design) {
    FRichLines->SetFormat(sfPlainText);
    FRichLines->SetMode(TRichStreamModes());
  }
  try {
    FRichLines->SaveToStream(*saved);
  } catch (...) {
    // A window that cannot write its content still goes; the content is lost then.
  }
  saved->SetPosition(0);
  FRichLines->SetFormat(format);
  FRichLines->SetMode(mode);
  FMemStream = std::move(saved);
  inherited::DestroyWnd();
}

void TRxCustomRichEdit::SetTextMode(bool plain) {
  if (!HandleAllocated() || RichEditVersion < 2) return;
  const WPARAM undo = FUndoLimit > 1 ? TM_MULTILEVELUNDO : TM_SINGLELEVELUNDO;
  Perform(EM_SETTEXTMODE, undo | (plain ? TM_PLAINTEXT : TM_RICHTEXT), 0);
}

// ---- Attributes --------------------------------------------------------------------------------------

void TRxCustomRichEdit::SetHideScrollBars(bool value) {
  if (FHideScrollBars == value) return;
  FHideScrollBars = value;
  RecreateWnd();
}

void TRxCustomRichEdit::SetSelectionBar(bool value) {
  if (FSelectionBar == value) return;
  FSelectionBar = value;
  RecreateWnd();
}

void TRxCustomRichEdit::SetAllowObjects(bool value) {
  if (FAllowObjects == value) return;
  FAllowObjects = value;
  RecreateWnd();
}

void TRxCustomRichEdit::SetHideSelection(bool value) {
  FHideSelection = value;
  if (HandleAllocated()) Perform(EM_HIDESELECTION, value ? TRUE : FALSE, 1);
}

bool TRxCustomRichEdit::GetAutoURLDetect() {
  if (HandleAllocated() && !GetComponentState().Contains(csDesigning) && RichEditVersion >= 2)
    return Perform(EM_GETAUTOURLDETECT, 0, 0) != 0;
  return FAutoURLDetect;
}

void TRxCustomRichEdit::SetAutoURLDetect(bool value) {
  FAutoURLDetect = value;
  if (HandleAllocated() && RichEditVersion >= 2) Perform(EM_AUTOURLDETECT, value ? TRUE : FALSE, 0);
}

bool TRxCustomRichEdit::GetWordSelection() {
  if (HandleAllocated()) return (Perform(EM_GETOPTIONS, 0, 0) & ECO_AUTOWORDSELECTION) != 0;
  return FWordSelection;
}

void TRxCustomRichEdit::SetWordSelection(bool value) {
  FWordSelection = value;
  ApplyWordSelection();
}

void TRxCustomRichEdit::ApplyWordSelection() {
  if (!HandleAllocated()) return;
  LPARAM options = Perform(EM_GETOPTIONS, 0, 0);
  if (FWordSelection) options |= ECO_AUTOWORDSELECTION;
  else options &= ~static_cast<LPARAM>(ECO_AUTOWORDSELECTION);
  Perform(EM_SETOPTIONS, ECOOP_SET, options);
}

TRichLangOptions TRxCustomRichEdit::GetLangOptions() {
  if (HandleAllocated() && !GetComponentState().Contains(csDesigning) && RichEditVersion >= 2)
    return LangOptionsOf(static_cast<DWORD>(Perform(EM_GETLANGOPTIONS, 0, 0)));
  return FLangOptions;
}

void TRxCustomRichEdit::SetLangOptions(TRichLangOptions value) {
  FLangOptions = value;
  ApplyLangOptions();
}

void TRxCustomRichEdit::ApplyLangOptions() {
  if (HandleAllocated() && RichEditVersion >= 2)
    Perform(EM_SETLANGOPTIONS, 0, static_cast<LPARAM>(LangOptionBits(FLangOptions)));
}

void TRxCustomRichEdit::SetUndoLimit(int value) {
  if (FUndoLimit == value) return;
  FUndoLimit = value;
  if (RichEditVersion >= 2 && HandleAllocated())
    FUndoLimit = static_cast<int>(Perform(EM_SETUNDOLIMIT, static_cast<WPARAM>(Max(value, 0)), 0));
}

void TRxCustomRichEdit::SetTitle(const String& value) {
  if (FTitle == value) return;
  FTitle = value;
  UpdateHostNames();
}

void TRxCustomRichEdit::SetPlainText(bool value) {
  if (value == FPlainText) return;
  if (HandleAllocated() && RichEditVersion >= 2) {
    const TRichStreamFormat format = FRichLines->GetFormat();
    const TRichStreamModes mode = FRichLines->GetMode();
    TMemoryStream content;
    const bool asPlain = GetComponentState().Contains(csDesigning) || value;
    FRichLines->SetFormat(asPlain ? sfPlainText : sfRichText);
    FRichLines->SetMode(TRichStreamModes());
    try {
      FRichLines->SaveToStream(content);
      content.SetPosition(0);
      const LPARAM mask = Perform(EM_GETEVENTMASK, 0, 0);
      Perform(EM_SETEVENTMASK, 0, mask & ~static_cast<LPARAM>(ENM_CHANGE));
      Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
      SetTextMode(value);
      FPlainText = value;
      Perform(EM_SETEVENTMASK, 0, mask);
      FRichLines->LoadFromStream(content);
    } catch (...) {
      FRichLines->SetFormat(format);
      FRichLines->SetMode(mode);
      FPlainText = value;
      throw;
    }
    FRichLines->SetFormat(format);
    FRichLines->SetMode(mode);
  }
  FPlainText = value;
}

// ---- Selection and text ------------------------------------------------------------------------------

CHARRANGE TRxCustomRichEdit::GetSelection() {
  CHARRANGE range{0, 0};
  if (HandleAllocated()) Perform(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return range;
}

void TRxCustomRichEdit::SetSelection(int start, int end, bool scrollCaret) {
  if (!HandleAllocated()) return;
  CHARRANGE range{start, end};
  Perform(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
  if (scrollCaret) Perform(EM_SCROLLCARET, 0, 0);
}

int TRxCustomRichEdit::GetTextLength() {
  if (!HandleAllocated()) return static_cast<int>(GetText().size());
  GETTEXTLENGTHEX request{GTL_NUMCHARS | GTL_PRECISE, 1200};
  return static_cast<int>(Perform(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request), 0));
}

int TRxCustomRichEdit::GetSelStart() { return GetSelection().cpMin; }

void TRxCustomRichEdit::SetSelStart(int value) { SetSelection(value, value, false); }

int TRxCustomRichEdit::GetSelLength() {
  const CHARRANGE range = GetSelection();
  // The window counts the final paragraph mark into a select-all; the text has no such
  // character.
  const int end = Min<int>(range.cpMax, GetTextLength());
  return Max(0, end - static_cast<int>(range.cpMin));
}

void TRxCustomRichEdit::SetSelLength(int value) {
  // A negative length selects backwards from the start; the far end stops at the text's
  // start, since a negative end would tell the window "to the end of the text".
  const CHARRANGE range = GetSelection();
  SetSelection(range.cpMin, Max<LONG>(range.cpMin + value, 0), true);
}

String TRxCustomRichEdit::GetSelText() {
  const CHARRANGE range = GetSelection();
  return GetTextRange(range.cpMin, range.cpMin + GetSelLength());
}

int TRxCustomRichEdit::GetSelTextBuf(wchar_t* buffer, int bufSize) {
  if (!buffer || bufSize < 1) return 0;
  const String text = GetSelText();
  const int count = Min(static_cast<int>(text.size()), bufSize - 1);
  text.copy(buffer, static_cast<size_t>(count));
  buffer[count] = L'\0';
  return count;
}

String TRxCustomRichEdit::GetTextRange(int start, int end) {
  if (!HandleAllocated()) return String();
  const int length = GetTextLength();
  start = Max(0, Min(start, length));
  if (end < 0 || end > length) end = length;
  if (end < start) end = length;
  if (end <= start) return String();
  String buffer(static_cast<size_t>(end - start) + 1, L'\0');
  TEXTRANGEW range{{start, end}, buffer.data()};
  const LRESULT copied = Perform(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
  buffer.resize(static_cast<size_t>(Max<LRESULT>(0, Min<LRESULT>(copied, end - start))));
  return buffer;
}

TPoint TRxCustomRichEdit::GetCaretPos() {
  const CHARRANGE range = GetSelection();
  if (!HandleAllocated()) return TPoint{0, 0};
  const int line = static_cast<int>(Perform(EM_EXLINEFROMCHAR, 0, range.cpMax));
  const int lineStart = static_cast<int>(Perform(EM_LINEINDEX, static_cast<WPARAM>(-1), 0));
  return TPoint{range.cpMax - lineStart, line};
}

void TRxCustomRichEdit::SetMaxLength(int value) {
  inherited::SetMaxLength(value);
  if (HandleAllocated())
    Perform(EM_EXLIMITTEXT, 0, value > 0 ? static_cast<LPARAM>(value) : 0xFFFFFF);
}

void TRxCustomRichEdit::Clear() {
  CloseObjects();
  inherited::Clear();
  SetModified(false);
}

// ---- Messages ----------------------------------------------------------------------------------------

void TRxCustomRichEdit::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case EM_REPLACESEL: EMReplaceSel(message); return;
    case CN_NOTIFY: CNNotify(message); return;
    case WM_SETFONT: FDefAttributes->Assign(GetFont()); return;
    case CM_FONTCHANGED:
      inherited::Dispatch(message);
      FDefAttributes->Assign(GetFont());
      return;
    case CM_COLORCHANGED:
      inherited::Dispatch(message);
      if (HandleAllocated()) Perform(EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ColorToRGB(GetColor())));
      return;
    case CM_UIDEACTIVATE:
      // Another control's object became active in the form: this one's gives up.
      if (FRichEditOle) FRichEditOle->InPlaceDeactivate();
      return;
    case CM_DOCWINDOWACTIVATE: CMDocWindowActivate(message); return;
    case WM_DESTROY:
      CloseObjects();
      if (FRichEditOle) {
        FRichEditOle->Release();
        FRichEditOle = nullptr;
      }
      inherited::Dispatch(message);
      return;
    default: inherited::Dispatch(message); return;
  }
}

void TRxCustomRichEdit::CMBiDiModeChanged(TMessage& message) {
  // The window is made for the paragraph; a control not placed yet has none to make.
  if (!HandleAllocated() && !GetParent()) {
    inherited::CMBiDiModeChanged(message);
    return;
  }
  HandleNeeded();
  inherited::CMBiDiModeChanged(message);
  // The paragraph writer mirrors left and right under right-to-left alignment.
  FParagraph->SetAlignment(static_cast<TParaAlignment>(GetAlignment()));
}

void TRxCustomRichEdit::WMPaint(TMessage& message) {
  if (RichEditVersion != 1) {
    inherited::WMPaint(message);
    return;
  }
  // The version-1 window leaves the last pixels of a line standing when the text beside the
  // right edge changes: that strip of the update area is erased as well.
  RECT update{};
  if (::GetUpdateRect(GetHandle(), &update, FALSE)) {
    RECT client{};
    ::GetClientRect(GetHandle(), &client);
    const RECT edge{Max<LONG>(client.left, client.right - 3), client.top, client.right, client.bottom};
    RECT strip{};
    if (::IntersectRect(&strip, &update, &edge)) ::InvalidateRect(GetHandle(), &strip, TRUE);
  }
  // A paint asked for while painting waits for the next one.
  if (gPainting) {
    Invalidate();
    return;
  }
  TFlagScope painting(gPainting);
  inherited::WMPaint(message);
}

void TRxCustomRichEdit::WMRButtonUp(TMessage& message) {
  if (!RichEditSendsContextMenu()) {
    POINT point{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
    ::ClientToScreen(GetHandle(), &point);
    Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(GetHandle()), MAKELPARAM(point.x, point.y));
  }
  inherited::WMRButtonUp(message);
}

void TRxCustomRichEdit::EMReplaceSel(TMessage& message) {
  const LONG start = GetSelection().cpMin;
  if (FUndoLimit > 1 && RichEditVersion >= 2 && !FLinesUpdating) message.WParam = 1;
  inherited::Dispatch(message);
  if (FLinesUpdating) return;
  // The replacement is selected and shown. It ends where the window left the caret rather
  // than at start + the text's length: the window makes a CR LF one paragraph mark.
  SetSelection(start, GetSelection().cpMax, true);
}

void TRxCustomRichEdit::CNNotify(TMessage& message) {
  const NMHDR* header = reinterpret_cast<const NMHDR*>(message.LParam);
  if (!header) return;
  switch (header->code) {
    case EN_REQUESTRESIZE: {
      const RECT& rect = reinterpret_cast<const REQRESIZE*>(header)->rc;
      RequestSize(TRect(rect.left, rect.top, rect.right, rect.bottom));
      break;
    }
    case EN_SELCHANGE: SelectionChange(); break;
    case EN_PROTECTED: {
      const ENPROTECTED* info = reinterpret_cast<const ENPROTECTED*>(header);
      TMessage request{};
      request.Msg = info->msg;
      request.WParam = info->wParam;
      request.LParam = info->lParam;
      if (!ProtectChange(request, info->chrg.cpMin, info->chrg.cpMax)) message.Result = 1;
      break;
    }
    case EN_SAVECLIPBOARD: {
      const ENSAVECLIPBOARD* info = reinterpret_cast<const ENSAVECLIPBOARD*>(header);
      if (!SaveClipboard(info->cObjectCount, info->cch)) message.Result = 1;
      break;
    }
    case EN_LINK: LinkNotify(*reinterpret_cast<const ENLINK*>(header)); break;
    default: break;
  }
}

void TRxCustomRichEdit::LinkNotify(const ENLINK& link) {
  switch (link.msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      FClickRange = link.chrg;
      FClickBtn = link.msg == WM_LBUTTONDOWN ? mbLeft : mbRight;
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
      const TMouseButton button = link.msg == WM_LBUTTONUP ? mbLeft : mbRight;
      const bool same = FClickBtn == button && FClickRange.cpMin == link.chrg.cpMin &&
                        FClickRange.cpMax == link.chrg.cpMax;
      FClickRange = CHARRANGE{-1, -1};
      if (same) URLClick(GetTextRange(link.chrg.cpMin, link.chrg.cpMax), button);
      break;
    }
    default: break;
  }
}

// ---- Notifications ------------------------------------------------------------------------------------

void TRxCustomRichEdit::SelectionChange() {
  if (OnSelectionChange) OnSelectionChange(this);
}

void TRxCustomRichEdit::RequestSize(const TRect& rect) {
  if (OnResizeRequest) OnResizeRequest(this, rect);
}

bool TRxCustomRichEdit::ProtectChange(const TMessage& message, int startPos, int endPos) {
  bool allow = false;
  if (OnProtectChangeEx) OnProtectChangeEx(this, message, startPos, endPos, allow);
  else if (OnProtectChange) OnProtectChange(this, startPos, endPos, allow);
  return allow;
}

bool TRxCustomRichEdit::SaveClipboard(int numObjects, int numChars) {
  bool save = true;
  if (OnSaveClipboard) OnSaveClipboard(this, numObjects, numChars, save);
  return save;
}

void TRxCustomRichEdit::URLClick(const String& urlText, TMouseButton button) {
  if (OnURLClick) OnURLClick(this, urlText, button);
}

void TRxCustomRichEdit::TextNotFound(TFindDialog* dialog) {
  if (OnTextNotFound && dialog) OnTextNotFound(this, dialog->GetFindText());
}

void TRxCustomRichEdit::CloseFindDialog(TFindDialog* dialog) {
  if (OnCloseFindDialog) OnCloseFindDialog(this, dialog);
}

// ---- Printing -------------------------------------------------------------------------------------------

int TRxCustomRichEdit::PrintOnDevice(HDC dc, const RECT& pageTwips,
                                     const std::function<void()>& newPage) {
  HandleNeeded();
  FORMATRANGE range{};
  range.hdc = dc;
  range.hdcTarget = dc;
  range.rcPage = pageTwips;
  const int length = GetTextLength();
  const int oldMode = ::SetMapMode(dc, MM_TEXT);
  int pages = 0;
  try {
    Perform(EM_FORMATRANGE, 0, 0);
    int printed = 0;
    // Each page must take some of the text: a page too small for one line, or a window that
    // answers with the start again, ends the printing instead of printing blank pages.
    for (;;) {
      range.rc = pageTwips;
      range.chrg.cpMin = printed;
      range.chrg.cpMax = -1;
      const int last = static_cast<int>(Perform(EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&range)));
      ++pages;
      if (last < 0 || last >= length || last <= printed) break;
      printed = last;
      if (newPage) newPage();
    }
  } catch (...) {
    Perform(EM_FORMATRANGE, 0, 0);
    ::SetMapMode(dc, oldMode);
    throw;
  }
  Perform(EM_FORMATRANGE, 0, 0);
  ::SetMapMode(dc, oldMode);
  return pages;
}

RECT PrintPageTwips(const TRect& pageRect, int pageWidth, int pageHeight, int pixelsX, int pixelsY) {
  pixelsX = Max(1, pixelsX);
  pixelsY = Max(1, pixelsY);
  // Whole twips, rounded toward zero like the sides of a given page rectangle.
  const auto twips = [](int pixels, int perInch) {
    return static_cast<LONG>(int64_t{pixels} * 1440 / perInch);
  };
  if (pageRect.Width() <= 0 || pageRect.Height() <= 0)
    return RECT{0, 0, twips(pageWidth, pixelsX), twips(pageHeight, pixelsY)};
  return RECT{twips(pageRect.Left, pixelsX), twips(pageRect.Top, pixelsY),
              twips(pageRect.Right, pixelsX), twips(pageRect.Bottom, pixelsY)};
}

void TRxCustomRichEdit::Print(const String& caption) {
  TPrinter* printer = Printer();
  printer->SetTitle(caption);
  printer->BeginDoc();
  try {
    HDC dc = printer->GetHandle();
    const RECT page = PrintPageTwips(FPageRect, printer->GetPageWidth(), printer->GetPageHeight(),
                                     ::GetDeviceCaps(dc, LOGPIXELSX), ::GetDeviceCaps(dc, LOGPIXELSY));
    PrintOnDevice(dc, page, [printer] { printer->NewPage(); });
  } catch (...) {
    printer->Abort();
    throw;
  }
  printer->EndDoc();
}

// ---- OLE objects -------------------------------------------------------------------------------------------

void TRxCustomRichEdit::CloseObjects() {
  if (!FRichEditOle) return;
  const LONG count = FRichEditOle->GetObjectCount();
  for (LONG i = count - 1; i >= 0; --i) {
    REOBJECT object{};
    object.cbStruct = sizeof(object);
    if (FAILED(FRichEditOle->GetObject(i, &object, REO_GETOBJ_POLEOBJ)) || !object.poleobj) continue;
    if (object.dwFlags & REO_INPLACEACTIVE) FRichEditOle->InPlaceDeactivate();
    object.poleobj->Close(OLECLOSE_NOSAVE);
    object.poleobj->Release();
  }
}

void TRxCustomRichEdit::UpdateHostNames() {
  if (!FRichEditOle) return;
  String application = Application ? Trim(Application->GetTitle()) : String();
  if (application.empty()) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    application = ExtractFileName(path);
  }
  // The interface takes byte strings.
  const std::string app = StringToCp936(application);
  const std::string title = StringToCp936(Trim(FTitle).empty() ? application : FTitle);
  FRichEditOle->SetHostNames(app.c_str(), title.c_str());
}

