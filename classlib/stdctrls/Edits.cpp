#include "Edits.h"

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../classes/StringList.h"
#include "../controls/ControlIdents.h"
#include "../system/SysMath.h"

#include <imm.h>  // after windows.h, which the headers above bring

namespace {

const wchar_t* const LineBreak = L"\r\n";

[[noreturn]] void ListIndexError(int index) {
  throw EStringListError(L"List index out of bounds (%d)", {index});
}

// The font's text metrics on the screen.
TEXTMETRICW FontMetrics(TFont* font) {
  TEXTMETRICW metrics{};
  HDC dc = ::GetDC(nullptr);
  if (!dc) return metrics;
  HGDIOBJ saved = ::SelectObject(dc, font->GetHandle());
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, saved);
  ::ReleaseDC(nullptr, dc);
  return metrics;
}

// The flags of a composition message that describe its result string.
constexpr LPARAM ImeResultFlags = GCS_RESULTSTR | GCS_RESULTREADSTR | GCS_RESULTCLAUSE |
                                  GCS_RESULTREADCLAUSE;

// A result longer than this is no typing; it could only be a fault of the input method.
constexpr LONG ImeResultLimitBytes = 1 << 16;

// The result string of the completed composition in window's input context; empty when
// there is none, the call fails or the length it gives is not a plausible one.
String ImeResultString(HWND window) {
  const HIMC context = ::ImmGetContext(window);
  if (!context) return String();
  String result;
  const LONG bytes = ::ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
  if (bytes > 0 && bytes <= ImeResultLimitBytes) {
    result.resize(static_cast<size_t>(bytes) / sizeof(wchar_t));
    const LONG read = ::ImmGetCompositionStringW(context, GCS_RESULTSTR, result.data(),
                                                 static_cast<DWORD>(bytes));
    result.resize(read > 0 && read <= bytes ? static_cast<size_t>(read) / sizeof(wchar_t) : 0);
  }
  ::ImmReleaseContext(window, context);
  return result;
}

}  // namespace

int EditAutoHeight(int fontTextHeight, bool ctl3D, int borderUnit) {
  return fontTextHeight + (ctl3D ? 8 : 6) * borderUnit;
}

// ---- TTextLines ---------------------------------------------------------------------------------

int TTextLines::LineCount() const {
  int count = 1;
  for (size_t at = FText.find(LineBreak); at != String::npos; at = FText.find(LineBreak, at + 2))
    ++count;
  return count;
}

int TTextLines::LineIndex(int line) const {
  if (line < 0) return -1;
  size_t offset = 0;
  for (int k = 0; k < line; ++k) {
    const size_t at = FText.find(LineBreak, offset);
    if (at == String::npos) return -1;
    offset = at + 2;
  }
  return static_cast<int>(offset);
}

int TTextLines::LineLength(int offset) const {
  if (offset < 0 || static_cast<size_t>(offset) > FText.size()) return 0;
  size_t start = 0;
  for (;;) {
    const size_t at = FText.find(LineBreak, start);
    const size_t end = at == String::npos ? FText.size() : at;
    if (static_cast<size_t>(offset) <= end || at == String::npos)
      return static_cast<int>(end - start);
    start = at + 2;
  }
}

void TTextLines::Replace(int start, int end, const String& s) {
  const int size = static_cast<int>(FText.size());
  start = Max(0, Min(start, size));
  end = Max(start, Min(end, size));
  FText.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), s);
}

String AdjustLineBreaks(const String& text) {
  String result;
  result.reserve(text.size() + text.size() / 8);
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t ch = text[i];
    if (ch == L'\r' || ch == L'\n') {
      // CR LF and LF CR are one break each; a lone CR or LF is one too.
      const wchar_t other = ch == L'\r' ? L'\n' : L'\r';
      if (i + 1 < text.size() && text[i + 1] == other) ++i;
      result += LineBreak;
    } else {
      result += ch;
    }
  }
  return result;
}

// ---- TCustomEdit: construction and window -------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  SetControlStyle(TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight});
  SetBounds(GetLeft(), GetTop(), 121, 25);
  SetTabStop(true);
  SetParentColor(false);
  SetAutoSize(true);
}

void TCustomEdit::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  CreateSubClass(params, L"EDIT");
  params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
  if (FBorderStyle == bsSingle) {
    if (GetCtl3D())
      params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      params.Style |= WS_BORDER;
  }
  if (FPasswordChar != 0) params.Style |= ES_PASSWORD;
  if (FReadOnly) params.Style |= ES_READONLY;
  if (FCharCase == ecUpperCase) params.Style |= ES_UPPERCASE;
  if (FCharCase == ecLowerCase) params.Style |= ES_LOWERCASE;
  if (!FHideSelection) params.Style |= ES_NOHIDESEL;
  if (FOEMConvert) params.Style |= ES_OEMCONVERT;
}

void TCustomEdit::CreateWnd() {
  inherited::CreateWnd();
  Perform(EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
  if (FPasswordChar != 0) Perform(EM_SETPASSWORDCHAR, FPasswordChar, 0);
  Perform(EM_SETMODIFY, FModified ? TRUE : FALSE, 0);
}

void TCustomEdit::DestroyWnd() {
  FModified = GetModified();
  inherited::DestroyWnd();
}

bool TCustomEdit::CanAutoSize(int& /*newWidth*/, int& newHeight) {
  if (FBorderStyle != bsSingle) return false;
  const TEXTMETRICW metrics = FontMetrics(GetFont());
  newHeight = EditAutoHeight(metrics.tmHeight, GetCtl3D(), ::GetSystemMetrics(SM_CYBORDER));
  return true;
}

// ---- TCustomEdit: attributes --------------------------------------------------------------------

void TCustomEdit::SetMaxLength(int value) {
  value = Max(value, 0);
  FMaxLength = value;
  if (HandleAllocated()) Perform(EM_LIMITTEXT, static_cast<WPARAM>(value), 0);
}

void TCustomEdit::SetReadOnly(bool value) {
  if (FReadOnly == value) return;
  FReadOnly = value;
  if (HandleAllocated()) Perform(EM_SETREADONLY, value ? TRUE : FALSE, 0);
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
  if (FCharCase == value) return;
  FCharCase = value;
  RecreateWnd();
  // The window converts what is typed; the text already there is converted here.
  if (value == ecUpperCase) SetText(AnsiUpperCase(GetText()));
  if (value == ecLowerCase) SetText(AnsiLowerCase(GetText()));
}

void TCustomEdit::SetPasswordChar(wchar_t value) {
  if (FPasswordChar == value) return;
  FPasswordChar = value;
  if (HandleAllocated()) {
    Perform(EM_SETPASSWORDCHAR, value, 0);
    Invalidate();
  }
}

void TCustomEdit::SetBorderStyle(TBorderStyle value) {
  if ((value != bsNone && value != bsSingle) || value == FBorderStyle) return;
  FBorderStyle = value;
  RecreateWnd();
  if (GetAutoSize()) AdjustSize();
}

void TCustomEdit::SetHideSelection(bool value) {
  if (FHideSelection == value) return;
  FHideSelection = value;
  RecreateWnd();
}

void TCustomEdit::SetOEMConvert(bool value) {
  if (FOEMConvert == value) return;
  FOEMConvert = value;
  RecreateWnd();
}

bool TCustomEdit::GetModified() {
  if (HandleAllocated()) return Perform(EM_GETMODIFY, 0, 0) != 0;
  return FModified;
}

void TCustomEdit::SetModified(bool value) {
  FModified = value;
  if (HandleAllocated()) Perform(EM_SETMODIFY, value ? TRUE : FALSE, 0);
}

bool TCustomEdit::GetCanUndo() { return HandleAllocated() && Perform(EM_CANUNDO, 0, 0) != 0; }

// ---- TCustomEdit: selection ---------------------------------------------------------------------

int TCustomEdit::GetSelStart() {
  if (!HandleAllocated()) return 0;
  DWORD start = 0;
  DWORD end = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int value) {
  if (HandleAllocated()) Perform(EM_SETSEL, static_cast<WPARAM>(value), value);
}

int TCustomEdit::GetSelLength() {
  if (!HandleAllocated()) return 0;
  DWORD start = 0;
  DWORD end = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end) - static_cast<int>(start);
}

void TCustomEdit::SetSelLength(int value) {
  if (!HandleAllocated()) return;
  // A negative length selects backwards from the start; the far end stops at the text's
  // start, since a negative end would tell the window "to the end of the text".
  const int start = GetSelStart();
  Perform(EM_SETSEL, static_cast<WPARAM>(start), Max(start + value, 0));
}

String TCustomEdit::GetSelText() {
  if (!HandleAllocated()) return String();
  return Copy(GetText(), GetSelStart() + 1, GetSelLength());
}

void TCustomEdit::SetSelText(const String& value) {
  if (HandleAllocated()) Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(value.c_str()));
}

int TCustomEdit::GetSelTextBuf(wchar_t* buffer, int bufSize) {
  if (!buffer || bufSize < 1) return 0;
  const String text = GetSelText();
  const int count = Min(static_cast<int>(text.size()), bufSize - 1);
  text.copy(buffer, static_cast<size_t>(count));
  buffer[count] = L'\0';
  return count;
}

void TCustomEdit::SetSelTextBuf(const wchar_t* buffer) { SetSelText(buffer ? buffer : L""); }

// ---- TCustomEdit: operations --------------------------------------------------------------------

void TCustomEdit::Clear() { SetText(String()); }

void TCustomEdit::ClearSelection() { Perform(WM_CLEAR, 0, 0); }

void TCustomEdit::CopyToClipboard() { Perform(WM_COPY, 0, 0); }

void TCustomEdit::CutToClipboard() { Perform(WM_CUT, 0, 0); }

void TCustomEdit::PasteFromClipboard() { Perform(WM_PASTE, 0, 0); }

void TCustomEdit::Undo() { Perform(WM_UNDO, 0, 0); }

void TCustomEdit::ClearUndo() { Perform(EM_EMPTYUNDOBUFFER, 0, 0); }

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) Perform(EM_SETSEL, 0, -1);
}

// ---- TCustomEdit: messages ----------------------------------------------------------------------

void TCustomEdit::Dispatch(TMessage& message) {
  if (message.Msg == CN_COMMAND) {
    CNCommand(message);
    return;
  }
  inherited::Dispatch(message);
}

void TCustomEdit::Change() {
  const std::weak_ptr<int> alive = GetLifeToken();
  Changed();
  if (alive.expired()) return;
  if (FOnChange) FOnChange(this);
}

void TCustomEdit::CNCommand(TMessage& message) {
  if (HIWORD(message.WParam) == EN_CHANGE && !Creating()) Change();
}

void TCustomEdit::CMEnter(TMessage& message) {
  if (FAutoSelect && !GetControlState().Contains(csLButtonDown) && HandleAllocated() &&
      (::GetWindowLongW(GetHandle(), GWL_STYLE) & ES_MULTILINE) == 0)
    SelectAll();
  inherited::CMEnter(message);
}

void TCustomEdit::CMTextChanged(TMessage& message) {
  inherited::CMTextChanged(message);
  if (!HandleAllocated() || (::GetWindowLongW(GetHandle(), GWL_STYLE) & ES_MULTILINE) != 0)
    Change();
}

void TCustomEdit::CMFontChanged(TMessage& message) {
  inherited::CMFontChanged(message);
  if (GetAutoSize()) AdjustSize();
}

void TCustomEdit::CMCtl3DChanged(TMessage& message) {
  if (FBorderStyle == bsSingle) RecreateWnd();
  inherited::CMCtl3DChanged(message);
  if (GetAutoSize()) AdjustSize();
}

// ---- TCustomEdit: input methods -----------------------------------------------------------------

bool TCustomEdit::TypeImeText(TMessage& message) {
  if (!HandleAllocated()) return false;
  String text;
  if (message.Msg == WM_IME_CHAR) {
    text.assign(1, static_cast<wchar_t>(message.WParam));
  } else if (message.Msg == WM_IME_COMPOSITION && (message.LParam & GCS_RESULTSTR)) {
    text = ImeResultString(GetHandle());
    message.LParam &= ~ImeResultFlags;
  } else {
    return false;
  }
  message.Result = 0;
  // A key handler may free the control or its window.
  const std::weak_ptr<int> alive = GetLifeToken();
  for (const wchar_t ch : text) {
    if (alive.expired() || !HandleAllocated()) break;
    Perform(WM_CHAR, ch, 0);
  }
  return alive.expired() || message.Msg == WM_IME_CHAR || message.LParam == 0;
}

// The window's edit would show a composition being made inline, in the text; the system's
// default handling shows it in the input method's own window instead.
void TCustomEdit::ImeCompositionApart(TMessage& message) {
  if (HandleAllocated())
    message.Result = ::DefWindowProcW(GetHandle(), message.Msg, message.WParam, message.LParam);
}

bool TCustomEdit::KeepImeApart(TMessage& message) {
  switch (message.Msg) {
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION: ImeCompositionApart(message); return true;
    case WM_IME_CHAR:
    case WM_IME_COMPOSITION:
      if (!TypeImeText(message)) ImeCompositionApart(message);
      return true;
    default: return false;
  }
}

// ---- TMemoStrings -------------------------------------------------------------------------------
// The memo's lines: with a window, through the window's line messages; without one, over
// the text the memo keeps. Both give the same lines for the same text.

class TMemoStrings : public TStrings {
 public:
  explicit TMemoStrings(TCustomMemo* memo) : FMemo(memo) {}

  int GetCount() const override {
    int count = LineCount();
    if (count > 0 && LineLength(LineIndex(count - 1)) == 0) --count;  // the empty last line
    return count;
  }

  String Get(int index) const override {
    CheckIndex(index, GetCount());
    const int start = LineIndex(index);
    const int length = LineLength(start);
    if (!FMemo->HandleAllocated())
      return FMemo->GetText().substr(static_cast<size_t>(start), static_cast<size_t>(length));
    // EM_GETLINE takes the buffer's size in its first word.
    String buffer(static_cast<size_t>(Max(length, 1)) + 1, L'\0');
    buffer[0] = static_cast<wchar_t>(Min(length, 0xFFFF));
    const LRESULT copied = FMemo->Perform(EM_GETLINE, static_cast<WPARAM>(index),
                                          reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(static_cast<size_t>(Max<LRESULT>(0, Min<LRESULT>(copied, length))));
    return buffer;
  }

  void Put(int index, const String& s) override {
    CheckIndex(index, GetCount());
    const int start = LineIndex(index);
    Replace(start, start + LineLength(start), s);
  }

  void Insert(int index, const String& s) override {
    CheckIndex(index, GetCount() + 1);
    int start = LineIndex(index);
    if (start >= 0) {
      Replace(start, start, s + LineBreak);
      return;
    }
    // After the last line, which has no break yet.
    start = LineIndex(index - 1);
    if (start < 0) return;
    start += LineLength(start);
    Replace(start, start, LineBreak + s);
  }

  void Delete(int index) override {
    CheckIndex(index, GetCount());
    const int start = LineIndex(index);
    int end = LineIndex(index + 1);
    if (end < 0) end = start + LineLength(start);
    Replace(start, end, String());
  }

  void Clear() override { FMemo->Clear(); }

 protected:
  String GetTextStr() const override { return FMemo->GetText(); }
  void SetTextStr(const String& text) override { FMemo->SetText(AdjustLineBreaks(text)); }

  void SetUpdateState(bool updating) override {
    if (!FMemo->HandleAllocated()) return;
    ::SendMessageW(FMemo->GetHandle(), WM_SETREDRAW, updating ? FALSE : TRUE, 0);
    if (!updating) FMemo->Invalidate();
  }

 private:
  static void CheckIndex(int index, int limit) {
    if (index < 0 || index >= limit) ListIndexError(index);
  }

  int LineCount() const {
    if (FMemo->HandleAllocated()) return static_cast<int>(FMemo->Perform(EM_GETLINECOUNT, 0, 0));
    return TTextLines(FMemo->GetText()).LineCount();
  }
  int LineIndex(int line) const {
    if (FMemo->HandleAllocated())
      return static_cast<int>(FMemo->Perform(EM_LINEINDEX, static_cast<WPARAM>(line), 0));
    return TTextLines(FMemo->GetText()).LineIndex(line);
  }
  int LineLength(int offset) const {
    if (offset < 0) return 0;  // -1 would ask the window about the selection
    if (FMemo->HandleAllocated())
      return static_cast<int>(FMemo->Perform(EM_LINELENGTH, static_cast<WPARAM>(offset), 0));
    return TTextLines(FMemo->GetText()).LineLength(offset);
  }
  void Replace(int start, int end, const String& s) {
    if (FMemo->HandleAllocated()) {
      FMemo->Perform(EM_SETSEL, static_cast<WPARAM>(start), end);
      FMemo->Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(s.c_str()));
      return;
    }
    TTextLines lines(FMemo->GetText());
    lines.Replace(start, end, s);
    FMemo->SetText(lines.GetText());
  }

  TCustomMemo* FMemo;  // the memo these are the lines of; owns this object
};

// ---- TCustomMemo --------------------------------------------------------------------------------

TCustomMemo::TCustomMemo(TComponent* owner)
    : TCustomEdit(owner), FLines(std::make_unique<TMemoStrings>(this)) {
  SetAutoSize(false);
  SetBounds(GetLeft(), GetTop(), 185, 89);
}

TCustomMemo::~TCustomMemo() = default;

TStrings* TCustomMemo::GetLines() const { return FLines.get(); }

void TCustomMemo::SetLinesObject(std::unique_ptr<TStrings> lines) {
  if (lines) FLines = std::move(lines);
}

void TCustomMemo::SetLines(TStrings* value) {
  if (value) FLines->Assign(value);
}

void TCustomMemo::SetScrollBars(TScrollStyle value) {
  if (FScrollBars == value) return;
  FScrollBars = value;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool value) {
  if (FWordWrap == value) return;
  FWordWrap = value;
  RecreateWnd();
}

void TCustomMemo::SetAlignment(TAlignment value) {
  if (FAlignment == value) return;
  FAlignment = value;
  RecreateWnd();
}

void TCustomMemo::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style |= ES_MULTILINE;
  if (FWordWrap) params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
  switch (FAlignment) {
    case taRightJustify: params.Style |= ES_RIGHT; break;
    case taCenter: params.Style |= ES_CENTER; break;
    default: break;
  }
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) params.Style |= WS_HSCROLL;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) params.Style |= WS_VSCROLL;
}

void TCustomMemo::KeyPress(wchar_t& key) {
  inherited::KeyPress(key);
  if (key == VK_RETURN && !FWantReturns) key = 0;
}

void TCustomMemo::Dispatch(TMessage& message) {
  if (message.Msg == WM_GETDLGCODE) {
    WMGetDlgCode(message);
    return;
  }
  inherited::Dispatch(message);
}

void TCustomMemo::WMGetDlgCode(TMessage& message) {
  DefaultHandler(message);
  if (FWantTabs)
    message.Result |= DLGC_WANTTAB;
  else
    message.Result &= ~static_cast<LRESULT>(DLGC_WANTTAB);
  if (!FWantReturns) message.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
}

// ---- Stored layouts -----------------------------------------------------------------------------

namespace {
const wchar_t* const EditCharCaseNames[] = {L"ecNormal", L"ecUpperCase", L"ecLowerCase"};
const wchar_t* const AlignmentNames[] = {L"taLeftJustify", L"taRightJustify", L"taCenter"};
}  // namespace

const TEnumInfo EditCharCaseIdents = MakeEnumInfo(EditCharCaseNames);
const TEnumInfo EditAlignmentIdents = MakeEnumInfo(AlignmentNames);

namespace {

const wchar_t* const ScrollStyleNames[] = {L"ssNone", L"ssHorizontal", L"ssVertical", L"ssBoth"};
const TEnumInfo ScrollStyleIdents = MakeEnumInfo(ScrollStyleNames);

const bool EditsRegistered = [] {
  try {
    RegisterClasses({TEdit::StaticClassInfo(), TMemo::StaticClassInfo()});
  } catch (...) {
    // A clash of names is the registry's to report when a layout names the class.
  }
  return true;
}();

}  // namespace

const TPropertyTable* TCustomEdit::PublishedProperties() {
  using P = TPublish<TCustomEdit>;
  using C = TCustomEdit;
  static const TPropertyTable table{
      // The text is the control's Text (or nothing); no caption is kept.
      P::Text(L"Caption", &C::GetCaption, &C::SetCaption).Stored(false),
      P::Boolean(L"AutoSelect", &C::GetAutoSelect, &C::SetAutoSelect).Default(true),
      P::Boolean(L"AutoSize", &C::GetAutoSize, &C::SetAutoSize).Default(true),
      P::Enum(L"BorderStyle", BorderStyleIdents, &C::GetBorderStyle, &C::SetBorderStyle)
          .Default(bsSingle),
      P::Enum(L"CharCase", EditCharCaseIdents, &C::GetCharCase, &C::SetCharCase).Default(ecNormal),
      P::Boolean(L"HideSelection", &C::GetHideSelection, &C::SetHideSelection).Default(true),
      P::Integer(L"MaxLength", &C::GetMaxLength, &C::SetMaxLength).Default(0),
      P::Boolean(L"OEMConvert", &C::GetOEMConvert, &C::SetOEMConvert).Default(false),
      P::Boolean(L"ParentColor", &C::GetParentColor, &C::SetParentColor).Default(false),
      P::WChar(L"PasswordChar", &C::GetPasswordChar, &C::SetPasswordChar).Default(wchar_t{0}),
      P::Boolean(L"ReadOnly", &C::GetReadOnly, &C::SetReadOnly).Default(false),
      P::Boolean(L"TabStop", &C::GetTabStop, &C::SetTabStop).Default(true),
      P::Text(
          L"Text", [](C* c) { return c->GetText(); }, [](C* c, const String& v) { c->SetText(v); }),
      P::Method(L"OnChange", &C::GetOnChange, &C::SetOnChange),
  };
  return &table;
}

const TPropertyTable* TCustomMemo::PublishedProperties() {
  using P = TPublish<TCustomMemo>;
  using C = TCustomMemo;
  static const TPropertyTable table{
      P::Enum(L"Alignment", EditAlignmentIdents, &C::GetAlignment, &C::SetAlignment)
          .Default(taLeftJustify),
      P::Boolean(L"AutoSize", &C::GetAutoSize, &C::SetAutoSize).Default(false),
      P::Strings(L"Lines", &C::GetLines, &C::SetLines),
      P::Enum(L"ScrollBars", ScrollStyleIdents, &C::GetScrollBars, &C::SetScrollBars)
          .Default(ssNone),
      // The lines hold the text.
      P::Text(
          L"Text", [](C* c) { return c->GetText(); }, [](C* c, const String& v) { c->SetText(v); })
          .Stored(false),
      P::Boolean(L"WantReturns", &C::GetWantReturns, &C::SetWantReturns).Default(true),
      P::Boolean(L"WantTabs", &C::GetWantTabs, &C::SetWantTabs).Default(false),
      P::Boolean(L"WordWrap", &C::GetWordWrap, &C::SetWordWrap).Default(true),
  };
  return &table;
}
