#include "SpinEdit.h"

#include <commctrl.h>

#include <limits>
#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../system/SysMath.h"
#include "Clipboard.h"

namespace {

// The up-down class is registered by the common controls once per process.
bool UpDownClassReady() {
  static const bool ready = [] {
    INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_UPDOWN_CLASS};
    return ::InitCommonControlsEx(&init) != FALSE;
  }();
  return ready;
}

int ButtonWidth() { return ::GetSystemMetrics(SM_CXVSCROLL); }

// Reads text as an optional sign followed by decimal digits, nothing else (no blanks), of a
// number within int: the number of digits and, when there are some, their value. False
// when text holds anything else or a number past int.
bool ReadSignedDigits(const String& text, size_t& digits, int& value) {
  constexpr int64_t lowest = std::numeric_limits<int>::min();
  constexpr int64_t highest = std::numeric_limits<int>::max();
  size_t i = 0;
  const bool negative = !text.empty() && text[0] == L'-';
  if (!text.empty() && (text[0] == L'+' || text[0] == L'-')) i = 1;
  digits = 0;
  int64_t number = 0;
  for (; i < text.size(); ++i, ++digits) {
    if (text[i] < L'0' || text[i] > L'9') return false;
    number = number * 10 + (negative ? -(text[i] - L'0') : text[i] - L'0');
    if (number < lowest || number > highest) return false;
  }
  value = static_cast<int>(number);
  return true;
}

}  // namespace

TSpinEdit::TSpinEdit(TComponent* owner) : TCustomEdit(owner) {
  SetControlStyle(GetControlStyle() - TControlStyle{csSetCaption});
  SetText(L"0");
}

// ---- Value --------------------------------------------------------------------------------------

int TSpinEdit::CheckValue(int value) const {
  if (FMaxValue == FMinValue) return value;
  if (value < FMinValue) return FMinValue;
  if (value > FMaxValue) return FMaxValue;
  return value;
}

bool TSpinEdit::IsWholeNumberText(const String& text) const {
  size_t digits = 0;
  int value = 0;
  return ReadSignedDigits(text, digits, value) && digits > 0 && CheckValue(value) == value;
}

bool TSpinEdit::CanBeginNumberText(const String& text) const {
  size_t digits = 0;
  int value = 0;
  return ReadSignedDigits(text, digits, value);
}

int TSpinEdit::GetValue() {
  int value = 0;
  return TryStrToInt(GetText(), value) ? value : FMinValue;
}

void TSpinEdit::SetValue(int value) { SetText(IntToStr(CheckValue(value))); }

void TSpinEdit::Step(int64_t delta) {
  if (GetReadOnly()) {
    ::MessageBeep(0);
    return;
  }
  // The sum is taken in 64 bits so that a step past the integer range stops at its end.
  const int64_t sum = static_cast<int64_t>(GetValue()) + delta;
  const int64_t lowest = std::numeric_limits<int>::min();
  const int64_t highest = std::numeric_limits<int>::max();
  SetValue(static_cast<int>(Max(lowest, Min(highest, sum))));
}

void TSpinEdit::UpClick() { Step(FIncrement); }

void TSpinEdit::DownClick() { Step(-static_cast<int64_t>(FIncrement)); }

// ---- Window -------------------------------------------------------------------------------------

void TSpinEdit::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style |= WS_CLIPCHILDREN;
}

void TSpinEdit::CreateWnd() {
  inherited::CreateWnd();
  if (!UpDownClassReady()) return;  // an edit without arrows; the keys still step
  FButton = ::CreateWindowExW(0, UPDOWN_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                              GetHandle(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (!FButton) return;
  // A rising range, so that the upper arrow reports a positive step; the position never
  // moves (every step is refused and done by the control).
  ::SendMessageW(FButton, UDM_SETRANGE32, 0, 100);
  ::SendMessageW(FButton, UDM_SETPOS32, 0, 50);
  LayoutButton();
}

void TSpinEdit::DestroyWnd() {
  FButton = nullptr;  // goes with the edit's window
  inherited::DestroyWnd();
}

void TSpinEdit::LayoutButton() {
  if (!HandleAllocated()) return;
  const int width = ButtonWidth();
  if (FButton) {
    RECT client{};
    ::GetClientRect(GetHandle(), &client);
    ::SetWindowPos(FButton, nullptr, client.right - width, 0, width, client.bottom,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Perform(EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, FButton ? width : 0));
}

void TSpinEdit::WMSize(TMessage& message) {
  inherited::WMSize(message);
  LayoutButton();
}

bool TSpinEdit::ButtonNotify(TMessage& message) {
  const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
  if (!FButton || !header || header->hwndFrom != FButton) return false;
  if (header->code == static_cast<UINT>(UDN_DELTAPOS)) {
    const int delta = reinterpret_cast<const NMUPDOWN*>(header)->iDelta;
    message.Result = 1;  // the up-down keeps its position
    if (delta > 0) UpClick();
    if (delta < 0) DownClick();
  }
  return true;
}

void TSpinEdit::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_NOTIFY:
      if (ButtonNotify(message)) return;
      break;
    case WM_VSCROLL:
      if (FButton && reinterpret_cast<HWND>(message.LParam) == FButton) return;
      break;
    case WM_SETFONT:
      inherited::Dispatch(message);
      LayoutButton();  // a new font resets the edit's margins
      return;
    case WM_PASTE: Paste(message); return;
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
    case WM_IME_CHAR:
    case WM_IME_COMPOSITION:
      // An input method's result is typed as keys; its composition stays out of the text.
      KeepImeApart(message);
      return;
    case WM_CUT:
      if (!FEditorEnabled || GetReadOnly()) return;
      break;
  }
  inherited::Dispatch(message);
}

String TSpinEdit::EditedText(const String& inserted) {
  String text = GetText();
  const int length = static_cast<int>(text.size());
  const int start = Min(Max(GetSelStart(), 0), length);
  const int count = Min(Max(GetSelLength(), 0), length - start);
  text.replace(static_cast<size_t>(start), static_cast<size_t>(count), inserted);
  return text;
}

void TSpinEdit::Paste(TMessage& message) {
  if (!FEditorEnabled || GetReadOnly()) return;
  String pasted;
  try {
    pasted = Clipboard()->GetAsText();
  } catch (const Exception&) {
    return;  // another program holds the clipboard: there is nothing to paste
  }
  if (!IsWholeNumberText(EditedText(pasted))) {
    ::MessageBeep(0);
    return;
  }
  inherited::Dispatch(message);
}

// ---- Keys and focus -----------------------------------------------------------------------------

bool TSpinEdit::IsValidChar(wchar_t key) {
  bool valid = (key >= L'0' && key <= L'9') || key == L'+' || key == L'-' ||
               (key < L' ' && key != VK_RETURN);
  if (!FEditorEnabled && valid && (key >= L' ' || key == VK_BACK || key == VK_DELETE))
    valid = false;
  return valid;
}

void TSpinEdit::KeyDown(WORD& key, TShiftState shift) {
  if (key == VK_UP) {
    UpClick();
    key = 0;
  } else if (key == VK_DOWN) {
    DownClick();
    key = 0;
  }
  inherited::KeyDown(key, shift);
}

void TSpinEdit::KeyPress(wchar_t& key) {
  if (!IsValidChar(key) ||
      (key >= L' ' && !CanBeginNumberText(EditedText(String(1, key))))) {
    key = 0;
    ::MessageBeep(0);
  }
  if (key != 0) inherited::KeyPress(key);
}

void TSpinEdit::CMExit(TMessage& message) {
  inherited::CMExit(message);
  if (!IsWholeNumberText(GetText())) SetValue(GetValue());
}

// ---- Stored layouts -----------------------------------------------------------------------------

namespace {

const bool SpinEditRegistered = [] {
  try {
    RegisterClass<TSpinEdit>();
  } catch (...) {
    // A clash of names is the registry's to report when a layout names the class.
  }
  return true;
}();

}  // namespace

const TPropertyTable* TSpinEdit::PublishedProperties() {
  using P = TPublish<TSpinEdit>;
  using C = TSpinEdit;
  static const TPropertyTable table{
      P::Boolean(L"EditorEnabled", &C::GetEditorEnabled, &C::SetEditorEnabled).Default(true),
      P::Integer(L"Increment", &C::GetIncrement, &C::SetIncrement).Default(1),
      P::Integer(L"MaxValue", &C::GetMaxValue, &C::SetMaxValue),
      P::Integer(L"MinValue", &C::GetMinValue, &C::SetMinValue),
      // Value holds the text.
      P::Text(
          L"Text", [](C* c) { return c->GetText(); }, [](C* c, const String& v) { c->SetText(v); })
          .Stored(false),
      P::Integer(L"Value", &C::GetValue, &C::SetValue),
  };
  return &table;
}
