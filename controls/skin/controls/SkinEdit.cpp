#include "SkinEdit.h"

#include <algorithm>
#include <vector>

#include "EditIme.h"
#include "SkinOptions.h"
#include "classlib/classes/Properties.h"
#include "classlib/stdctrls/Clipboard.h"
#include "controls/skin/engine/SkinDrawing.h"

namespace {
const wchar_t* const PasswordKindNames[] = {L"pkNone",      L"pkChar",   L"pkRect",
                                            L"pkRoundRect", L"pkCircle", L"pkTriangle"};

// Narrows the clipping of a DC to a rectangle while it lives and puts the old clipping back;
// the selected pen, brush and font stay as the canvas set them (SaveDC/RestoreDC would put
// back objects the canvas believes replaced).
class TClipScope {
 public:
  TClipScope(HDC dc, const TRect& r) : FDC(dc), FSaved(::CreateRectRgn(0, 0, 0, 0)) {
    if (FSaved && ::GetClipRgn(dc, FSaved) != 1) {
      ::DeleteObject(FSaved);
      FSaved = nullptr;
    }
    ::IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
  }
  ~TClipScope() {
    ::SelectClipRgn(FDC, FSaved);
    if (FSaved) ::DeleteObject(FSaved);
  }
  TClipScope(const TClipScope&) = delete;
  TClipScope& operator=(const TClipScope&) = delete;

 private:
  HDC FDC;
  HRGN FSaved;  // the clipping before; nullptr when there was none
};

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Cased on the wide text itself: a round trip through the ANSI code page would turn every
// character it lacks into "?".
String CasedText(const String& value, TEditCharCase charCase) {
  if (value.empty() || charCase == ecNormal) return value;
  String result = value;
  const DWORD length = static_cast<DWORD>(result.size());
  if (charCase == ecUpperCase) ::CharUpperBuffW(result.data(), length);
  else ::CharLowerBuffW(result.data(), length);
  return result;
}
}  // namespace

const TEnumInfo PasswordKindIdents = MakeEnumInfo(PasswordKindNames);

// The last character is never examined, so in a text that ends in spaces the move stops one
// short of the end ("a" and two spaces, from 0, gives 2); Ctrl+Right and a double click agree.
int EditNextWord(const String& text, int position) {
  const int length = static_cast<int>(text.size());
  int i = std::clamp(position, 0, length);
  bool spaceSeen = false, wordSeen = false;
  while (i + 2 <= length) {
    const wchar_t c = text[i];
    if (c != L' ' && spaceSeen && wordSeen) break;
    if (c == L' ') spaceSeen = true;
    else wordSeen = true, spaceSeen = false;
    ++i;
  }
  // From the end of the text the rule's i + 1 would lie past it; the caret stays at the end.
  return spaceSeen ? i : std::min(i + 1, length);
}

int EditPreviousWord(const String& text, int position) {
  int i = std::clamp(position, 0, static_cast<int>(text.size()));
  bool seen = false;
  while (i > 0) {
    if (text[i - 1] == L' ' && seen) break;
    if (text[i - 1] != L' ') seen = true;
    --i;
  }
  return i;
}

String FirstLine(const String& text) {
  const std::size_t end = text.find_first_of(L"\r\n");
  return end == String::npos ? text : text.substr(0, end);
}

// ---- Stored form ------------------------------------------------------------------------------

const TPropertyTable* TSeCustomEdit::PublishedProperties() {
  using P = TPublish<TSeCustomEdit>;
  using C = TSeCustomEdit;
  static const TPropertyTable table{
      P::Boolean(L"AutoSelect", &C::GetAutoSelect, &C::SetAutoSelect).Default(true),
      // The frame, with the defaults the constructor sets.
      P::Set(L"BevelSides", SeBevelSideIdents, &C::GetBevelSides, &C::SetBevelSides)
          .Default(TSeBevelSides{vbsLeft, vbsTop, vbsRight, vbsBottom}),
      P::Enum(L"BevelInner", SeBevelCutIdents, &C::GetBevelInner, &C::SetBevelInner)
          .Default(vbvLowered),
      P::Enum(L"BevelOuter", SeBevelCutIdents, &C::GetBevelOuter, &C::SetBevelOuter)
          .Default(vbvLowered),
      P::Enum(L"BevelKind", SeBevelKindIdents, &C::GetBevelKind, &C::SetBevelKind)
          .Default(vbkSingle),
      P::Integer(L"BevelWidth", &C::GetBevelWidth, &C::SetBevelWidth).Default(1),
      P::Integer(L"BorderWidth", &C::GetBorderWidth, &C::SetBorderWidth).Default(3),
      P::Enum(L"ImeMode", ImeModeIdents, &C::GetImeMode, &C::SetImeMode).Default(imDontCare),
      P::WideText(L"ImeName", &C::GetImeName, &C::SetImeName),
      P::Enum(L"CharCase", EditCharCaseIdents, &C::GetCharCase, &C::SetCharCase).Default(ecNormal),
      P::Boolean(L"HideSelection", &C::GetHideSelection, &C::SetHideSelection).Default(true),
      P::Integer(L"MaxLength", &C::GetMaxLength, &C::SetMaxLength).Default(0),
      P::Boolean(L"ReadOnly", &C::GetReadOnly, &C::SetReadOnly).Default(false),
      P::WChar(L"PasswordWideChar", &C::GetPasswordWideChar, &C::SetPasswordWideChar).Default(0),
      P::Enum(L"PasswordKind", PasswordKindIdents, &C::GetPasswordKind, &C::SetPasswordKind)
          .Default(TPasswordKind::pkNone),
      P::Enum(L"TextAlignment", EditAlignmentIdents, &C::GetTextAlignment, &C::SetTextAlignment)
          .Default(taLeftJustify),
      P::Persistent(L"ContextMenuOptions", &C::GetContextMenuOptions, &C::SetContextMenuOptions),
      P::WideText(L"Text", &C::GetText, &C::SetText),
      P::Method(L"OnChange", &C::GetOnChange, &C::SetOnChange),
      P::Enum(L"Performance", SePerformanceIdents, &C::GetPerformance, &C::SetPerformance)
          .Default(vxpDoubleBuffer),
      P::Boolean(L"TabStop", &C::GetTabStop, &C::SetTabStop).Default(true),
      P::Cursor(L"Cursor", &C::GetCursor, &C::SetCursor).Default(crDefault),
  };
  return &table;
}

TSeCustomEdit::TSeCustomEdit(TComponent* owner)
    : TSeCustomControl(owner),
      FFontCopy(std::make_unique<TFont>()),
      FContextMenuOptions(std::make_unique<TSePopupMenuOptions>()) {
  TControlStyle style = GetControlStyle();
  style.Include(csCaptureMouse);
  style.Include(csDoubleClicks);
  style.Exclude(csSetCaption);
  SetControlStyle(style);
  SetPerformance(vxpDoubleBuffer);
  SetBevelKind(vbkSingle);
  SetBevelWidth(1);
  SetBorderWidth(3);
  SetTabStop(true);
  SetColor(clWindow);
  SetCursor(crDefault);  // the I-beam, through the edit's writer
  FFontCopy->Assign(GetFont());
  SetBounds(GetLeft(), GetTop(), 121, 21);
  SetAutoSize(true);
}

TSeCustomEdit::~TSeCustomEdit() {
  // Nothing may reach this edit through events while it goes.
  FOnChange = nullptr;
  if (FMeasureDC) {
    ::SelectObject(FMeasureDC, FMeasureOldFont);
    ::DeleteDC(FMeasureDC);
  }
}

HDC TSeCustomEdit::MeasureDC() {
  if (!FMeasureDC) {
    FMeasureDC = ::CreateCompatibleDC(nullptr);
    if (!FMeasureDC) return nullptr;
    FMeasureOldFont = ::GetCurrentObject(FMeasureDC, OBJ_FONT);
  }
  const HFONT font = FFontCopy->GetHandle();
  if (font != FMeasureFont) {
    ::SelectObject(FMeasureDC, font);
    FMeasureFont = font;
  }
  return FMeasureDC;
}

int TSeCustomEdit::MeasureText(const wchar_t* text, int length) {
  const HDC dc = MeasureDC();
  SIZE size{};
  if (!dc || length <= 0 || !::GetTextExtentPoint32W(dc, text, length, &size)) return 0;
  return size.cx;
}

// ---- Attributes --------------------------------------------------------------------------------

void TSeCustomEdit::SetCharCase(TEditCharCase value) {
  if (value < ecNormal || value > ecLowerCase) return;
  FCharCase = value;
  if (!FText.empty() && value != ecNormal) SetText(FText);
}

void TSeCustomEdit::SetMaxLength(int value) { FMaxLength = std::max(value, 0); }

void TSeCustomEdit::SetHideSelection(bool value) {
  FHideSelection = value;
  Invalidate();
}

void TSeCustomEdit::SetPasswordWideChar(wchar_t value) {
  if (value != FPasswordWideChar && value != 0) FPasswordKind = TPasswordKind::pkChar;
  FPasswordWideChar = value;
  Invalidate();
  PlaceCaret();
}

void TSeCustomEdit::SetPasswordKind(TPasswordKind value) {
  if (static_cast<int>(value) < 0 || value > TPasswordKind::pkTriangle) return;
  FPasswordKind = value;
  Invalidate();
  PlaceCaret();
}

void TSeCustomEdit::SetTextAlignment(TAlignment value) {
  if (value < taLeftJustify || value > taCenter) return;
  FTextAlignment = value;
  Invalidate();
}

void TSeCustomEdit::SetContextMenuOptions(TSePopupMenuOptions* value) {
  if (value) FContextMenuOptions->Assign(value);
}

// ---- Text ----------------------------------------------------------------------------------------

bool TSeCustomEdit::CanChangeText(const String&) { return true; }

bool TSeCustomEdit::StoreText(const String& value) {
  if (!CanChangeText(value)) return false;
  const String stored = CasedText(value, FCharCase);
  const bool changed = stored != FText;
  FText = stored;
  ClampPositions();
  Invalidate();
  if (changed) Change();
  return true;
}

void TSeCustomEdit::SetText(const String& value) {
  const String old = FText;
  // A change the history did not see would make its positions wrong: it starts again.
  if (StoreText(value) && FText != old) FUndoStack.Clear();
  SetCaretPosition(FCaretPosition);
}

bool TSeCustomEdit::ReplaceAllText(const String& value) {
  const String old = FText;
  FSelLength = 0;
  if (!StoreText(value)) return false;
  if (FText == old) return true;
  // One group of its own: never merged into the user's last deletion.
  FUndoStack.RecordDeletion(1, old, false);
  FUndoStack.RecordInsertion(1, static_cast<int>(FText.size()), !old.empty());
  SetCaretPosition(static_cast<int>(FText.size()));
  return true;
}

void TSeCustomEdit::Change() {
  const std::weak_ptr<int> alive = GetLifeToken();
  Changed();
  if (alive.expired()) return;
  if (GetEnabled() && HandleAllocated()) PlaceCaret();
  if (FOnChange) FOnChange(this);
}

void TSeCustomEdit::ClampPositions() {
  const int length = static_cast<int>(FText.size());
  const int fixedEnd = std::clamp(FSelEnd + FSelLength, 0, length);
  FSelEnd = std::clamp(FSelEnd, 0, length);
  FSelLength = fixedEnd - FSelEnd;
  FCaretPosition = std::clamp(FCaretPosition, 0, length);
  FFirstVisible = std::clamp(FFirstVisible, 1, std::max(length, 1));
}

// ---- Caret and selection --------------------------------------------------------------------------

int TSeCustomEdit::GetSelStart() const {
  if (FSelLength > 0) return FSelEnd;
  if (FSelLength == 0) return FCaretPosition;
  return FSelEnd + FSelLength;
}

String TSeCustomEdit::GetSelText() const {
  const int start = std::clamp(GetSelStart(), 0, static_cast<int>(FText.size()));
  return FText.substr(start, GetSelLength());
}

void TSeCustomEdit::SetCaretPosition(int position) {
  const int length = static_cast<int>(FText.size());
  position = std::clamp(position, 0, length);
  FCaretPosition = position;
  const TRect r = GetTextRect();
  const int avail = std::max(RectWidth(r), 0);
  if (position + 1 > FFirstVisible) {
    // The characters before the caret must fit; each is at least a pixel wide, so only the
    // last avail + 1 of them are measured (scrolling costs the width, not the text's length).
    const int from = std::max(FFirstVisible - 1, position - avail - 1);
    std::vector<int> widths;
    MeasureRun(from, position - from, widths);
    const int total = widths.empty() ? 0 : widths.back();
    int first = from;
    while (first < position && total - (first > from ? widths[first - from - 1] : 0) > avail) ++first;
    if (first > FFirstVisible - 1 || from > FFirstVisible - 1) FFirstVisible = first + 1;
  } else {
    FFirstVisible = std::max(position, 1);
  }
  FFirstVisible = std::clamp(FFirstVisible, 1, std::max(length, 1));
  if (FSelLength == 0) FSelEnd = position;
  Invalidate();
  PlaceCaret();
}

// Also when position is already the selection's moving end: the selection is dropped and the
// caret goes there, so a second select-all (the second visit of an AutoSelect edit) also ends
// with the caret at 0 rather than at the end, away from the selection's moving end.
void TSeCustomEdit::SetSelStart(int position) {
  position = std::clamp(position, 0, static_cast<int>(FText.size()));
  FSelLength = 0;
  FSelEnd = position;
  SetCaretPosition(position);
}

// The moving end stays; the fixed end is kept within the text.
void TSeCustomEdit::SetSelLength(int length) {
  length = std::clamp(length, -FSelEnd, static_cast<int>(FText.size()) - FSelEnd);
  if (length == FSelLength) return;
  FSelLength = length;
  Invalidate();
}

// The caret ends at 0, so a long text shows its start.
void TSeCustomEdit::SelectAll() {
  const int length = static_cast<int>(FText.size());
  SetCaretPosition(length);
  SetSelStart(0);
  SetSelLength(length);
  Invalidate();
}

// The caret ends after the word with the selection's moving end beside it (a negative
// length), so that Shift+arrow keys then move the end at the caret.
void TSeCustomEdit::SelectWord() {
  const int start = EditPreviousWord(FText, FCaretPosition);
  const int end = EditNextWord(FText, start);
  SetCaretPosition(end);
  FSelEnd = end;
  FSelLength = start - end;
  Invalidate();
}

void TSeCustomEdit::FollowSelection(int oldCaret, bool extend) {
  if (extend) {
    const int anchor = FSelLength == 0 ? oldCaret : FSelEnd + FSelLength;
    FSelEnd = FCaretPosition;
    FSelLength = anchor - FCaretPosition;
  } else {
    FSelEnd = FCaretPosition;
    FSelLength = 0;
  }
  Invalidate();
}

// ---- Changes ---------------------------------------------------------------------------------------

void TSeCustomEdit::InsertText(const String& s) { ReplaceSelection(s, true); }

void TSeCustomEdit::ReplaceSelection(const String& s, bool limited) {
  if (FReadOnly) return;
  const int start = GetSelStart(), length = GetSelLength();
  const String removed = FText.substr(start, length);
  const String changed = FText.substr(0, start) + s + FText.substr(start + length);
  const bool fits = !limited || FMaxLength <= 0 || static_cast<int>(changed.size()) <= FMaxLength;
  if (fits && (length > 0 || !s.empty())) {
    FSelLength = 0;
    FCaretPosition = start;
    if (StoreText(changed)) {
      FUndoStack.RecordDeletion(start + 1, removed);
      FUndoStack.RecordInsertion(start + 1, static_cast<int>(s.size()), length != 0);
      SetCaretPosition(start + static_cast<int>(s.size()));
    }
  }
  if (FSelLength != 0) SetSelLength(0);
}

// MaxLength does not hold a deletion back: a text longer than it (MaxLength lowered after
// the text was set) can still be shortened.
void TSeCustomEdit::ClearSelection() {
  if (GetSelLength() > 0) ReplaceSelection(String(), false);
}

void TSeCustomEdit::DeleteBackward() {
  const int c = FCaretPosition;
  if (c <= 0) return;
  const int n = c >= 2 && IsLowSurrogate(FText[c - 1]) && IsHighSurrogate(FText[c - 2]) ? 2 : 1;
  const String removed = FText.substr(c - n, n);
  if (!StoreText(FText.substr(0, c - n) + FText.substr(c))) return;
  FUndoStack.RecordDeletion(c - n + 1, removed);
  SetCaretPosition(c - n);
}

void TSeCustomEdit::DeleteForward() {
  const int c = FCaretPosition, length = static_cast<int>(FText.size());
  if (c >= length) return;
  const int n = c + 1 < length && IsHighSurrogate(FText[c]) && IsLowSurrogate(FText[c + 1]) ? 2 : 1;
  const String removed = FText.substr(c, n);
  if (!StoreText(FText.substr(0, c) + FText.substr(c + n))) return;
  FUndoStack.RecordDeletion(c + 1, removed);
  SetCaretPosition(c);
}

bool TSeCustomEdit::Undo() { return !FReadOnly && FUndoStack.Undo(); }

bool TSeCustomEdit::UndoInsertText(int position, const String& s, bool select) {
  const int length = static_cast<int>(FText.size());
  if (FReadOnly || position < 0 || position > length) return false;
  // Restoring only part of the text would lose the rest: the step is refused instead.
  if (FMaxLength > 0 && length + static_cast<int>(s.size()) > FMaxLength) return false;
  if (!StoreText(FText.substr(0, position) + s + FText.substr(position))) return false;
  if (select) {
    // Selected with the caret after it and the moving end beside the caret, as SelectWord.
    SetCaretPosition(position + static_cast<int>(s.size()));
    FSelEnd = FCaretPosition;
    FSelLength = -static_cast<int>(s.size());
    Invalidate();
  }
  return true;
}

bool TSeCustomEdit::UndoDeleteText(int position, int count, bool select) {
  const int length = static_cast<int>(FText.size());
  if (FReadOnly || position < 1 || count < 0 || position - 1 + count > length) return false;
  if (!StoreText(FText.substr(0, position - 1) + FText.substr(position - 1 + count))) return false;
  if (select) SetSelStart(position - 1);
  return true;
}

// ---- Clipboard ---------------------------------------------------------------------------------------

bool TSeCustomEdit::CopyToClipboard() {
  const String text = GetSelText();
  if (PasswordMode() || text.empty()) return false;
  // The clipboard owns the block, or frees it and raises: the failure is passed on.
  Clipboard()->SetAsText(text);
  return true;
}

void TSeCustomEdit::CutToClipboard() {
  if (FReadOnly || GetSelLength() == 0) return;
  // In password mode a cut only deletes; otherwise only what reached the clipboard goes (a
  // failed copy raises before anything is deleted).
  if (!PasswordMode() && !CopyToClipboard()) return;
  ClearSelection();
}

void TSeCustomEdit::PasteFromClipboard() {
  if (FReadOnly) return;
  String text;
  try {
    if (!Clipboard()->HasFormat(CF_UNICODETEXT)) return;
    text = FirstLine(Clipboard()->GetAsText());
  } catch (const Exception&) {
    return;
  }
  if (!text.empty()) InsertText(text);
}

// ---- Measures -----------------------------------------------------------------------------------------

TRect TSeCustomEdit::GetTextRect() {
  TRect r;
  GetFrameRect(r);
  const HDC dc = MeasureDC();
  SIZE size{};
  if (dc) ::GetTextExtentPoint32W(dc, L"Pq", 2, &size);
  r.Bottom = r.Top + size.cy;
  return r;
}

int TSeCustomEdit::GetPasswordCharWidth() {
  int width = 10;
  if (FPasswordKind == TPasswordKind::pkChar) width = MeasureText(&FPasswordWideChar, 1);
  else if (FPasswordKind != TPasswordKind::pkNone) width = MeasureText(L"W", 1);
  return std::max(width, 1);
}

void TSeCustomEdit::MeasureRun(int start, int count, std::vector<int>& out) {
  out.clear();
  start = std::clamp(start, 0, static_cast<int>(FText.size()));
  count = std::clamp(count, 0, static_cast<int>(FText.size()) - start);
  if (count == 0) return;
  out.resize(count);
  if (PasswordMode()) {
    const int w = GetPasswordCharWidth();
    for (int i = 0; i < count; ++i) out[i] = (i + 1) * w;
    return;
  }
  const HDC dc = MeasureDC();
  SIZE size{};
  if (!dc || !::GetTextExtentExPointW(dc, FText.data() + start, count, 0, nullptr, out.data(), &size))
    std::fill(out.begin(), out.end(), 0);
}

int TSeCustomEdit::TextWidth(int start, int count) {
  std::vector<int> widths;
  MeasureRun(start, count, widths);
  return widths.empty() ? 0 : widths.back();
}

int TSeCustomEdit::AlignmentOffset() {
  if (FTextAlignment == taLeftJustify) return 0;
  const int avail = RectWidth(GetTextRect());
  const int length = static_cast<int>(FText.size());
  // A text of more characters than pixels cannot fit: not measured.
  if (length > avail) return 0;
  const int full = TextWidth(0, length);
  if (avail <= full) return 0;
  return FTextAlignment == taRightJustify ? avail - full : (avail - full) / 2;
}

int TSeCustomEdit::CaretX(int position) {
  const TRect r = GetTextRect();
  position = std::clamp(position, 0, static_cast<int>(FText.size()));
  int x = r.Left;
  if (position >= FFirstVisible) x += TextWidth(FFirstVisible - 1, position - FFirstVisible + 1);
  return x + AlignmentOffset();
}

int TSeCustomEdit::PositionAt(int x) {
  const TRect r = GetTextRect();
  const int length = static_cast<int>(FText.size());
  const int first = FFirstVisible - 1;
  if (FText.empty()) return first;
  x -= r.Left + AlignmentOffset();
  if (PasswordMode()) return std::clamp(first + x / GetPasswordCharWidth(), 0, length);
  const int avail = std::max(RectWidth(r), 0);
  std::vector<int> widths;
  MeasureRun(first, std::min(length - first, avail + 2), widths);
  // The boundary nearest to x: past a character's middle counts as after it. A character
  // whose middle lies beyond the text rectangle's right edge is never passed, so a pointer
  // held beyond it reaches only the last boundary shown.
  int i = 0, before = 0;
  while (i < static_cast<int>(widths.size()) && 2 * x >= before + widths[i] &&
         before + widths[i] <= 2 * avail)
    before = widths[i++];
  return first + i;
}

TRect TSeCustomEdit::GetSelectionRect() {
  TRect r = GetTextRect();
  const int start = GetSelStart();
  const int left = std::max(CaretX(start), r.Left);
  const int right = std::min(CaretX(start + GetSelLength()), r.Right);
  r.Left = left;
  r.Right = std::max(left, right);
  return r;
}

// ---- Caret ---------------------------------------------------------------------------------------

void TSeCustomEdit::MakeCaret() {
  if (!HandleAllocated()) return;
  if (FHasCaret) ::DestroyCaret();
  const TRect r = GetTextRect();
  FHasCaret = ::CreateCaret(GetHandle(), nullptr, 0, RectHeight(r)) != 0;
}

void TSeCustomEdit::PlaceCaret() {
  if (!FHasCaret || !HandleAllocated() || ::GetFocus() != GetHandle()) return;
  ::SetCaretPos(CaretX(FCaretPosition), GetTextRect().Top);
}

void TSeCustomEdit::ShowTextCaret() {
  if (HandleAllocated()) ::ShowCaret(GetHandle());
}

void TSeCustomEdit::HideTextCaret() {
  if (HandleAllocated()) ::HideCaret(GetHandle());
}

void TSeCustomEdit::DoFocusIn() {
  inherited::DoFocusIn();
  // A selection kept while the caret goes to 0 would no longer end at the caret, and the
  // next Shift+arrow would select from the wrong end: it is dropped.
  FSelLength = 0;
  SetCaretPosition(0);
  if (FAutoSelect) SelectAll();
}

void TSeCustomEdit::DoFocusOut() {
  FMouseSelecting = false;
  inherited::DoFocusOut();
}

// ---- Size ------------------------------------------------------------------------------------------

bool TSeCustomEdit::CanAutoSize(int& newWidth, int& newHeight) {
  (void)newWidth;
  const TRect r = GetTextRect();
  newHeight = 2 * r.Top + RectHeight(r);
  return true;
}

void TSeCustomEdit::Loaded() {
  inherited::Loaded();
  FFontCopy->Assign(GetFont());
  AdjustSize();
}

void TSeCustomEdit::FrameChanged() {
  inherited::FrameChanged();
  AdjustSize();
}

// ---- Keys and mouse ----------------------------------------------------------------------------------

void TSeCustomEdit::KeyDown(WORD& key, TShiftState shift) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::KeyDown(key, shift);
  if (alive.expired() || key == 0) return;
  TShiftState modifiers;
  for (TShiftStateItem item : {ssShift, ssAlt, ssCtrl})
    if (shift.Contains(item)) modifiers.Include(item);
  const bool ctrlOnly = modifiers == TShiftState{ssCtrl};
  const bool shiftOnly = modifiers == TShiftState{ssShift};
  const bool ctrl = modifiers.Contains(ssCtrl);
  const int old = FCaretPosition;
  const int length = static_cast<int>(FText.size());
  switch (key) {
    case 'V': if (ctrlOnly) PasteFromClipboard(); break;
    case 'C': if (ctrlOnly) CopyToClipboard(); break;
    case 'X': if (ctrlOnly) CutToClipboard(); break;
    case 'Z': if (ctrlOnly) Undo(); break;
    case VK_INSERT:
      if (shiftOnly) PasteFromClipboard();
      else if (ctrlOnly) CopyToClipboard();
      break;
    case VK_RIGHT:
    case VK_LEFT:
    case VK_HOME:
    case VK_END: {
      int target = 0;
      if (key == VK_END) target = length;
      else if (key == VK_RIGHT) {
        target = ctrl ? EditNextWord(FText, old) : old + 1;
        if (!ctrl && target < length && IsLowSurrogate(FText[target]) && IsHighSurrogate(FText[target - 1])) ++target;
      } else if (key == VK_LEFT) {
        target = ctrl ? EditPreviousWord(FText, old) : old - 1;
        if (!ctrl && target > 0 && IsLowSurrogate(FText[target]) && IsHighSurrogate(FText[target - 1])) --target;
      }
      SetCaretPosition(target);
      FollowSelection(old, modifiers.Contains(ssShift));
      break;
    }
    case VK_BACK:
    case VK_DELETE:
      if (FReadOnly) break;
      if (GetSelLength() > 0) {
        if (key == VK_DELETE && shiftOnly) CutToClipboard();
        else ClearSelection();
      } else if (key == VK_BACK) {
        DeleteBackward();
      } else {
        DeleteForward();
      }
      break;
    default: break;
  }
  if (!alive.expired()) PlaceCaret();
}

void TSeCustomEdit::KeyPress(wchar_t& key) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::KeyPress(key);
  if (alive.expired() || key < 32 || FReadOnly) return;
  // The two halves of a pair arrive as two characters: they go in together.
  if (IsHighSurrogate(key)) {
    FPendingHigh = key;
    return;
  }
  if (IsLowSurrogate(key)) {
    if (!FPendingHigh) return;
    const wchar_t pair[] = {FPendingHigh, key};
    FPendingHigh = 0;
    InsertText(String(pair, 2));
    return;
  }
  FPendingHigh = 0;
  InsertText(String(1, key));
}

void TSeCustomEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::MouseDown(button, shift, x, y);
  if (alive.expired()) return;
  if (button == mbLeft) FMouseSelecting = true;
  if (CanFocus() && HandleAllocated() && ::GetFocus() != GetHandle()) SetFocus();
  if (alive.expired() || button != mbLeft) return;
  FSelLength = 0;
  SetCaretPosition(PositionAt(x));
}

void TSeCustomEdit::MouseMove(TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::MouseMove(shift, x, y);
  if (alive.expired() || !FMouseSelecting) return;
  const int p = PositionAt(x) + (x > GetTextRect().Right ? 1 : 0);
  const int old = FCaretPosition;
  SetCaretPosition(p);
  FollowSelection(old, true);
}

void TSeCustomEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  FMouseSelecting = false;
  inherited::MouseUp(button, shift, x, y);
}

// ---- Messages ---------------------------------------------------------------------------------------

void TSeCustomEdit::CMFontChanged(TMessage& message) {
  inherited::CMFontChanged(message);
  FFontCopy->Assign(GetFont());
  AdjustSize();
  // A caret belongs to the focused window only.
  if (HandleAllocated() && ::GetFocus() == GetHandle()) {
    MakeCaret();
    PlaceCaret();
    ShowTextCaret();
  }
  Invalidate();
}

void TSeCustomEdit::CMTextChanged(TMessage& message) {
  inherited::CMTextChanged(message);
  const String old = FText;
  FText = CasedText(TControl::GetText(), FCharCase);
  FSelLength = 0;
  if (FText != old) FUndoStack.Clear();
  ClampPositions();
  Invalidate();
}

void TSeCustomEdit::CMEnabledChanged(TMessage& message) {
  inherited::CMEnabledChanged(message);
  if (HandleAllocated() && !GetComponentState().Contains(csDesigning))
    ::EnableWindow(GetHandle(), GetEnabled());
  Invalidate();
}

void TSeCustomEdit::ImeStartComposition() {
  const TEditImeApi& api = EditImeApi();
  if (!api.GetContext || !HandleAllocated()) return;
  const HIMC context = api.GetContext(GetHandle());
  if (!context) return;
  LOGFONTW font{};
  if (api.SetCompositionFont &&
      ::GetObjectW(FFontCopy->GetHandle(), sizeof(font), &font) == sizeof(font))
    api.SetCompositionFont(context, &font);
  if (api.SetCompositionWindow) {
    const TRect r = GetTextRect();
    COMPOSITIONFORM form{};
    form.dwStyle = CFS_RECT;
    form.rcArea = {r.Left, r.Top, r.Right, r.Bottom};
    form.ptCurrentPos = {CaretX(FCaretPosition), r.Top};
    api.SetCompositionWindow(context, &form);
  }
  if (api.ReleaseContext) api.ReleaseContext(GetHandle(), context);
}

bool TSeCustomEdit::ImeComposition(TMessage& message) {
  const TEditImeApi& api = EditImeApi();
  if (!(message.LParam & GCS_RESULTSTR) || !api.GetContext || !HandleAllocated()) return false;
  const HIMC context = api.GetContext(GetHandle());
  if (!context) return false;
  const String result = ReadCompositionResult(api, context);
  if (api.ReleaseContext) api.ReleaseContext(GetHandle(), context);
  if (!result.empty()) InsertText(FittingPart(result));
  message.Result = 0;
  return true;
}

// The characters of s taken one by one, each while it fits within MaxLength in place of the
// selection: the leading ones that fit, never half of a surrogate pair. Inserted as one run,
// they take the places and the one undo step that inserting them one by one gives.
String TSeCustomEdit::FittingPart(const String& s) const {
  if (FMaxLength <= 0) return s;
  const long long room = static_cast<long long>(FMaxLength) -
                         (static_cast<long long>(FText.size()) - GetSelLength());
  if (room <= 0) return s;  // nothing fits: refused whole, as the first character would be
  std::size_t n = std::min<std::size_t>(s.size(), static_cast<std::size_t>(room));
  if (n < s.size() && n > 0 && IsHighSurrogate(s[n - 1]) && IsLowSurrogate(s[n])) --n;
  return n == 0 ? s : s.substr(0, n);
}

void TSeCustomEdit::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_GETDLGCODE:
      inherited::Dispatch(message);
      message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    case WM_SETFOCUS: {
      const std::weak_ptr<int> alive = GetLifeToken();
      inherited::Dispatch(message);
      if (alive.expired() || ::GetFocus() != GetHandle()) return;
      MakeCaret();
      PlaceCaret();
      ShowTextCaret();
      return;
    }
    case WM_KILLFOCUS:
      if (FHasCaret) {
        ::DestroyCaret();
        FHasCaret = false;
      }
      inherited::Dispatch(message);
      return;
    case WM_CUT: RunMenuCommand(emCut); return;
    case WM_COPY: RunMenuCommand(emCopy); return;
    case WM_PASTE: RunMenuCommand(emPaste); return;
    case WM_UNDO: message.Result = Undo() ? 1 : 0; return;
    case WM_LBUTTONDBLCLK: {
      const std::weak_ptr<int> alive = GetLifeToken();
      inherited::Dispatch(message);
      if (alive.expired()) return;
      FMouseSelecting = false;
      SelectWord();
      return;
    }
    case WM_IME_STARTCOMPOSITION:
      inherited::Dispatch(message);
      ImeStartComposition();
      return;
    case WM_IME_COMPOSITION:
      if (!ImeComposition(message)) inherited::Dispatch(message);
      return;
    default: inherited::Dispatch(message);
  }
}

// ---- Context menu (shown by the menus: menus/SkinEditMenu.cpp) -------------------------------------------

void TSeCustomEdit::RunMenuCommand(TEditMenuCommand command) {
  switch (command) {
    case emUndo: Undo(); break;
    case emCut: CutToClipboard(); break;
    case emCopy: CopyToClipboard(); break;
    case emPaste: PasteFromClipboard(); break;
    case emDelete: ClearSelection(); break;
    case emSelectAll: SelectAll(); break;
  }
}

// ---- Painting ---------------------------------------------------------------------------------------

void TSeCustomEdit::FillBackground(TCanvas* canvas, const TRect& r) {
  FillRectColor(canvas, r, GetColor());
}

void TSeCustomEdit::PaintFace() {
  TCanvas* canvas = GetCanvas();
  TRect frame;
  GetFrameRect(frame);
  FillBackground(canvas, frame);
  TRect r = GetTextRect();
  r.Bottom = GetHeight() - r.Top;
  if (!PaintsOwnContent()) {
    const bool showSelection = GetFocusedFlag() || !FHideSelection;
    if (showSelection && GetSelLength() > 0) FillRectColor(canvas, GetSelectionRect(), clHighlight);
    DrawText(canvas, r);
    if (showSelection && GetSelLength() > 0) DrawSelectedText(canvas, r);
  }
}

void TSeCustomEdit::DrawVisible(TCanvas* canvas, const TRect& r, const TRect& clip, bool selected) {
  const TClipScope scope(canvas->GetHandle(), clip);
  canvas->GetFont()->Assign(FFontCopy.get());
  if (selected) canvas->GetFont()->SetColor(clHighlightText);
  const int length = static_cast<int>(FText.size());
  const int first = FFirstVisible - 1;
  // Drawn from the caret x of the first visible character, which holds the alignment's offset
  // only while the whole text fits: the text stands where the caret places count it. More
  // characters than pixels never show.
  const int shown = std::clamp(length - first, 0, std::max(RectWidth(r), 0) + 2);
  const int x0 = CaretX(first);
  if (PasswordMode()) {
    const int w = GetPasswordCharWidth();
    for (int i = 0; i < shown; ++i)
      DrawPasswordChar(canvas, TRect(x0 + i * w, r.Top, x0 + (i + 1) * w, r.Bottom), selected);
  } else {
    TRect t(x0, r.Top, r.Right, r.Bottom);
    DrawTextUnicode(canvas, FText.substr(first, shown), t, DT_NOPREFIX | DT_SINGLELINE);
  }
}

void TSeCustomEdit::DrawText(TCanvas* canvas, const TRect& r) { DrawVisible(canvas, r, r, false); }

void TSeCustomEdit::DrawSelectedText(TCanvas* canvas, const TRect& r) {
  TRect clip = GetSelectionRect();
  clip.Top = r.Top, clip.Bottom = r.Bottom;
  DrawVisible(canvas, r, clip, true);
}

void TSeCustomEdit::DrawPasswordChar(TCanvas* canvas, const TRect& cell, bool selected) {
  const TClipScope scope(canvas->GetHandle(), cell);
  const TColor color = canvas->GetFont()->GetColor();
  (void)selected;  // the caller set the font colour for the selected look
  TRect s(cell.Left + 2, cell.Top + 3, cell.Right - 2, cell.Bottom - 3);
  const int side = std::max(RectWidth(s), 1);
  TRect square(s.Left, s.Top + (RectHeight(s) - side) / 2, s.Left + side, 0);
  square.Bottom = square.Top + side;
  switch (FPasswordKind) {
    case TPasswordKind::pkChar: {
      TRect t = cell;
      DrawTextUnicode(canvas, String(1, FPasswordWideChar), t, DT_NOPREFIX | DT_SINGLELINE);
      break;
    }
    case TPasswordKind::pkRect: FillRectColor(canvas, s, color); break;
    case TPasswordKind::pkRoundRect: FillRoundRect(canvas, s, 2, color); break;
    case TPasswordKind::pkCircle: FillRoundRect(canvas, square, side / 2 + 1, color); break;
    case TPasswordKind::pkTriangle: {
      if (side % 2 == 0) square.Right += 1;
      const TPoint points[] = {TPoint(square.Left + side / 2 + 1, square.Top),
                               TPoint(square.Right, square.Bottom), TPoint(square.Left, square.Bottom)};
      canvas->GetBrush()->SetColor(color);
      canvas->GetBrush()->SetStyle(bsSolid);
      canvas->GetPen()->SetColor(color);
      canvas->Polygon(points);
      break;
    }
    default: break;
  }
}
