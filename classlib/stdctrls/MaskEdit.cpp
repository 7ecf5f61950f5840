#include "MaskEdit.h"

#include <utility>

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../system/SysLocale.h"
#include "../system/SysMath.h"

namespace {

constexpr wchar_t CtrlC = 0x03;
constexpr wchar_t CtrlV = 0x16;
constexpr wchar_t CtrlX = 0x18;

// The clipboard's Unicode text; empty when there is none or the clipboard is busy.
String ClipboardText(HWND owner) {
  if (!::OpenClipboard(owner)) return String();
  String text;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
      // The block may be larger than the text; the text ends at its zero.
      const size_t capacity = ::GlobalSize(data) / sizeof(wchar_t);
      size_t length = 0;
      while (length < capacity && chars[length] != L'\0') ++length;
      text.assign(chars, length);
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

}  // namespace

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

// ---- Mask and texts -----------------------------------------------------------------------------

void TCustomMaskEdit::SetEditMask(const String& value) {
  if (value == FEditMask) return;
  const String oldText = GetText();
  FEditMask = value;
  FMask = value.empty()
              ? TEditMask()
              : TEditMask(value, FormatSettings.DateSeparator, FormatSettings.TimeSeparator);
  if (HandleAllocated())
    Perform(EM_LIMITTEXT, static_cast<WPARAM>(IsMasked() ? FMask.GetLength() : GetMaxLength()), 0);
  TControl::SetText(IsMasked() ? FMask.EditTextFromText(oldText) : oldText);
  FOldValue = GetEditText();
}

String TCustomMaskEdit::GetEditText() { return TControl::GetText(); }

void TCustomMaskEdit::SetEditText(const String& value) {
  TControl::SetText(IsMasked() ? FMask.Normalize(value) : value);
}

String TCustomMaskEdit::GetText() {
  const String editText = TControl::GetText();
  return IsMasked() ? FMask.TextFromEditText(editText) : editText;
}

void TCustomMaskEdit::SetText(const String& value) {
  TControl::SetText(IsMasked() ? FMask.EditTextFromText(value) : value);
}

void TCustomMaskEdit::SetMaxLength(int value) {
  inherited::SetMaxLength(value);
  if (IsMasked() && HandleAllocated())
    Perform(EM_LIMITTEXT, static_cast<WPARAM>(FMask.GetLength()), 0);
}

void TCustomMaskEdit::CreateWnd() {
  inherited::CreateWnd();
  if (IsMasked()) Perform(EM_LIMITTEXT, static_cast<WPARAM>(FMask.GetLength()), 0);
}

// ---- Validation ---------------------------------------------------------------------------------

void TCustomMaskEdit::ValidateEdit() {
  if (!IsMasked() || !GetModified()) return;
  const int pos = FMask.FirstIncomplete(GetEditText());
  if (pos < 0) return;
  if (!GetComponentState().Contains(csDesigning) && !Focused() && CanFocus()) {
    FReEnter = true;
    SetFocus();
  }
  SetMaskCursor(pos);
  ValidateError();
}

void TCustomMaskEdit::ValidateError() {
  ::MessageBeep(0);
  throw EDBEditError(L"Invalid input value.  Use escape key to abandon changes");
}

bool TCustomMaskEdit::EditCanModify() { return !GetReadOnly(); }

bool TCustomMaskEdit::UserCanEdit() {
  // The window takes no edits while it is read-only; the mask's editing, which writes through
  // EM_REPLACESEL (accepted by a read-only window), honours that as the window's own typing does.
  if (HandleAllocated() && (::GetWindowLongPtrW(GetHandle(), GWL_STYLE) & ES_READONLY) != 0)
    return false;
  return EditCanModify();
}

void TCustomMaskEdit::Reset() {
  if (!GetModified()) return;
  SetEditText(FOldValue);
  SetModified(false);
  if (IsMasked()) SetMaskCursor(FMask.NextEditable(0));
}

// ---- Caret --------------------------------------------------------------------------------------

void TCustomMaskEdit::GetSel(int& start, int& stop) {
  DWORD selStart = 0;
  DWORD selEnd = 0;
  if (HandleAllocated())
    Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
  start = static_cast<int>(selStart);
  stop = Max(static_cast<int>(selEnd), start);
}

void TCustomMaskEdit::SetMaskCursor(int pos) {
  const int length = IsMasked() ? FMask.GetLength() : GetTextLen();
  pos = Max(0, Min(pos, length));
  FCaretPos = pos;
  FSelAnchor = pos;
  if (!HandleAllocated()) return;
  // The anchor after the character and the caret before it: the position shows selected
  // with the caret on its left.
  if (IsMasked() && pos < length)
    Perform(EM_SETSEL, static_cast<WPARAM>(pos + 1), pos);
  else
    Perform(EM_SETSEL, static_cast<WPARAM>(pos), pos);
}

void TCustomMaskEdit::CheckCursor() {
  if (!HandleAllocated() || !IsMasked()) return;
  int start = 0;
  int stop = 0;
  GetSel(start, stop);
  if (start == stop) SetMaskCursor(start);
}

// ---- Editing ------------------------------------------------------------------------------------

String TCustomMaskEdit::ClearRange(const String& text, int start, int stop) const {
  String result = text;
  const int end = Min(stop, static_cast<int>(result.size()));
  for (int i = Max(start, 0); i < end; ++i)
    if (!FMask.IsLiteral(i)) result[static_cast<size_t>(i)] = FMask.GetBlank();
  return result;
}

void TCustomMaskEdit::ApplyEdit(const String& text) {
  const String current = GetEditText();
  if (text == current) return;
  if (!HandleAllocated()) {
    SetEditText(text);
    SetModified(true);
    return;
  }
  size_t first = 0;
  while (first < current.size() && first < text.size() && current[first] == text[first]) ++first;
  size_t currentEnd = current.size();
  size_t textEnd = text.size();
  while (currentEnd > first && textEnd > first && current[currentEnd - 1] == text[textEnd - 1]) {
    --currentEnd;
    --textEnd;
  }
  const String replacement = text.substr(first, textEnd - first);
  Perform(EM_SETSEL, first, static_cast<LPARAM>(currentEnd));
  Perform(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(replacement.c_str()));
  SetModified(true);
}

void TCustomMaskEdit::InputChar(wchar_t ch) {
  if (!UserCanEdit()) return;
  const int length = FMask.GetLength();
  int start = 0;
  int stop = 0;
  GetSel(start, stop);
  String text = FMask.Normalize(GetEditText());
  if (stop - start > 1) text = ClearRange(text, start, stop);
  // Typing the literal under the caret steps over it.
  if (start < length && FMask.IsLiteral(start) && FMask.GetPosition(start).Char == ch) {
    ApplyEdit(text);
    SetMaskCursor(FMask.NextEditable(start + 1));
    return;
  }
  const int pos = FMask.NextEditable(start);
  wchar_t accepted = ch;
  if (pos < length && FMask.AcceptChar(pos, accepted)) {
    text[static_cast<size_t>(pos)] = accepted;
    ApplyEdit(text);
    SetMaskCursor(FMask.NextEditable(pos + 1));
    return;
  }
  // The next literal typed early ends the field: the caret goes past it.
  const int literal = pos < length ? FMask.FindLiteral(pos, ch) : -1;
  ApplyEdit(text);
  if (literal >= 0) {
    SetMaskCursor(FMask.NextEditable(literal + 1));
    return;
  }
  SetMaskCursor(start);
  ::MessageBeep(0);
}

void TCustomMaskEdit::DeleteKeys(WORD key) {
  if (!UserCanEdit()) return;
  int start = 0;
  int stop = 0;
  GetSel(start, stop);
  String text = FMask.Normalize(GetEditText());
  if (key == VK_BACK && stop - start <= 1) {
    const int prior = FMask.PriorEditable(start - 1);
    if (prior < 0) return;
    text[static_cast<size_t>(prior)] = FMask.GetBlank();
    ApplyEdit(text);
    SetMaskCursor(prior);
    return;
  }
  if (stop == start) {
    // Delete with a bare caret blanks the position after it.
    if (start >= FMask.GetLength()) return;
    stop = start + 1;
  }
  ApplyEdit(ClearRange(text, start, stop));
  SetMaskCursor(stop - start > 1 ? FMask.NextEditable(start) : start);
}

void TCustomMaskEdit::ArrowKeys(WORD key) {
  int start = 0;
  int stop = 0;
  GetSel(start, stop);
  if (stop - start > 1) {
    // A selection of several positions collapses: Left to its first position, Right past
    // its last.
    SetMaskCursor(FMask.NextEditable(key == VK_LEFT ? start : stop));
    return;
  }
  if (key == VK_LEFT) {
    int prior = FMask.PriorEditable(start - 1);
    if (prior < 0) prior = FMask.NextEditable(0);
    SetMaskCursor(prior);
  } else {
    SetMaskCursor(FMask.NextEditable(start + 1));
  }
}

// The selection is kept as two positions, the anchor and the caret, both included (a caret
// past the last position includes nothing): with the caret on p alone, p shows selected.
void TCustomMaskEdit::ExtendSelection(WORD key) {
  const int length = FMask.GetLength();
  int start = 0;
  int stop = 0;
  GetSel(start, stop);
  const auto selectionOf = [length](int anchor, int caret) {
    return std::make_pair(Min(anchor, caret), Min(Max(anchor, caret) + 1, length));
  };
  int anchor = FSelAnchor;
  int caret = FCaretPos;
  if (selectionOf(anchor, caret) != std::make_pair(start, stop)) {
    // The selection was made another way (the mouse, code): it grows from its end.
    anchor = start;
    caret = stop - start > 1 ? stop - 1 : start;
  }
  switch (key) {
    case VK_LEFT: caret = Max(caret - 1, 0); break;
    case VK_RIGHT: caret = Min(caret + 1, length); break;
    case VK_HOME: caret = 0; break;
    case VK_END: caret = length; break;
    default: return;
  }
  FSelAnchor = Min(anchor, length);
  FCaretPos = caret;
  const auto [first, last] = selectionOf(FSelAnchor, FCaretPos);
  // The window's caret goes to the moving end.
  if (FCaretPos < FSelAnchor)
    Perform(EM_SETSEL, static_cast<WPARAM>(last), first);
  else
    Perform(EM_SETSEL, static_cast<WPARAM>(first), last);
}

void TCustomMaskEdit::PasteText() {
  if (!UserCanEdit()) return;
  const String pasted = ClipboardText(GetHandle());
  const int length = FMask.GetLength();
  int start = 0;
  int stop = 0;
  GetSel(start, stop);
  String text = FMask.Normalize(GetEditText());
  if (stop - start > 1) text = ClearRange(text, start, stop);
  int pos = start;
  for (const wchar_t ch : pasted) {
    if (pos < length && FMask.IsLiteral(pos) && FMask.GetPosition(pos).Char == ch) {
      ++pos;
      continue;
    }
    const int target = FMask.NextEditable(pos);
    if (target >= length) break;
    wchar_t accepted = ch;
    if (!FMask.AcceptChar(target, accepted)) continue;  // characters the mask refuses are left out
    text[static_cast<size_t>(target)] = accepted;
    pos = target + 1;
  }
  ApplyEdit(text);
  SetMaskCursor(FMask.NextEditable(pos));
}

// ---- Keys, mouse and focus ----------------------------------------------------------------------

void TCustomMaskEdit::KeyDown(WORD& key, TShiftState shift) {
  inherited::KeyDown(key, shift);
  if (!IsMasked() || key == 0 || shift.Contains(ssAlt)) return;
  const bool shiftOrCtrl = shift.Contains(ssShift) || shift.Contains(ssCtrl);
  switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
      if (shift.Contains(ssCtrl)) return;  // the window moves by words
      if (shift.Contains(ssShift))
        ExtendSelection(key);
      else
        ArrowKeys(key);
      key = 0;
      return;
    case VK_UP:
    case VK_DOWN: key = 0; return;
    case VK_HOME:
    case VK_END:
      if (shift.Contains(ssShift))
        ExtendSelection(key);
      else
        SetMaskCursor(key == VK_HOME ? FMask.NextEditable(0) : FMask.GetLength());
      key = 0;
      return;
    case VK_DELETE:
      if (shiftOrCtrl) return;
      DeleteKeys(key);
      key = 0;
      return;
    case VK_BACK:
      DeleteKeys(key);
      key = 0;
      return;
  }
}

void TCustomMaskEdit::KeyPress(wchar_t& key) {
  inherited::KeyPress(key);
  if (!IsMasked() || key == 0) return;
  // The clipboard keys go to the window, which sends WM_COPY, WM_CUT or WM_PASTE back.
  if (key == CtrlC || key == CtrlV || key == CtrlX) return;
  const wchar_t ch = key;
  key = 0;
  if (ch == VK_ESCAPE) {
    Reset();
    return;
  }
  if (ch < L' ') return;  // Backspace was done by KeyDown; other control keys do nothing
  InputChar(ch);
}

void TCustomMaskEdit::WMLButtonUp(TMessage& message) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::WMLButtonUp(message);
  if (alive.expired()) return;
  CheckCursor();
}

void TCustomMaskEdit::CMEnter(TMessage& message) {
  if (!IsMasked()) {
    inherited::CMEnter(message);
    return;
  }
  if (!FReEnter) {
    FOldValue = GetEditText();
    inherited::CMEnter(message);
  }
  FReEnter = false;
  CheckCursor();
}

// True while the control or a parent is being destroyed: the focus leaves then without the
// user leaving the control, and there is nothing to validate for.
bool TCustomMaskEdit::Closing() const {
  for (const TControl* control = this; control; control = control->GetParent()) {
    if (control->GetComponentState().Contains(csDestroying) ||
        control->GetControlState().Contains(csDestroyingHandle))
      return true;
  }
  return false;
}

void TCustomMaskEdit::CMExit(TMessage& message) {
  if (IsMasked() && !Closing()) {
    ValidateEdit();
    CheckCursor();
  }
  inherited::CMExit(message);
}

void TCustomMaskEdit::Dispatch(TMessage& message) {
  if (IsMasked()) {
    switch (message.Msg) {
      case WM_SETTEXT:
        // Whatever sets the window's text, the text fits the mask.
        if (!FNormalizing && message.LParam) {
          const String fitted = FMask.Normalize(reinterpret_cast<const wchar_t*>(message.LParam));
          TMessage fittedMessage = message;
          fittedMessage.LParam = reinterpret_cast<LPARAM>(fitted.c_str());
          FNormalizing = true;
          try {
            inherited::Dispatch(fittedMessage);
          } catch (...) {
            FNormalizing = false;
            throw;
          }
          FNormalizing = false;
          message.Result = fittedMessage.Result;
          return;
        }
        break;
      case WM_PASTE: PasteText(); return;
      case WM_IME_STARTCOMPOSITION:
      case WM_IME_ENDCOMPOSITION:
      case WM_IME_CHAR:
      case WM_IME_COMPOSITION:
        // An input method's text is typed through the mask, not inserted by the window.
        KeepImeApart(message);
        return;
      case WM_CUT: {
        if (!UserCanEdit()) return;
        TMessage copy{WM_COPY, 0, 0, 0};
        DefaultHandler(copy);
        DeleteKeys(VK_DELETE);
        return;
      }
      case WM_CLEAR: DeleteKeys(VK_DELETE); return;
      case CM_WANTSPECIALKEY:
        // Escape abandons the changes here rather than cancelling the form.
        if (message.WParam == VK_ESCAPE && GetModified()) {
          message.Result = 1;
          return;
        }
        break;
    }
  }
  inherited::Dispatch(message);
}

// ---- Stored layouts -----------------------------------------------------------------------------

namespace {

const bool MaskEditRegistered = [] {
  try {
    RegisterClass<TMaskEdit>();
  } catch (...) {
    // A clash of names is the registry's to report when a layout names the class.
  }
  return true;
}();

}  // namespace

const TPropertyTable* TCustomMaskEdit::PublishedProperties() {
  using P = TPublish<TCustomMaskEdit>;
  using C = TCustomMaskEdit;
  static const TPropertyTable table{
      P::Text(L"EditMask", &C::GetEditMask, &C::SetEditMask),
      P::Text(
          L"Text", [](C* c) { return c->GetText(); }, [](C* c, const String& v) { c->SetText(v); }),
  };
  return &table;
}
