// Shortcut values and their texts. The names of the keys are fixed (not translated), so a
// stored layout reads the same on every machine; only keys without a name here are named by
// the keyboard driver.
#include "ShortCuts.h"

namespace {

const wchar_t* const kShiftText = L"Shift+";
const wchar_t* const kCtrlText = L"Ctrl+";
const wchar_t* const kAltText = L"Alt+";

// Names of the keys VK_SPACE..VK_DOWN (0x20..0x28), in key-code order.
const wchar_t* const kNavigationNames[] = {L"Space", L"PgUp", L"PgDn", L"End", L"Home",
                                           L"Left",  L"Up",   L"Right", L"Down"};

// The name the keyboard driver gives a key; "" when it has none.
String KeyNameFromDriver(BYTE key) {
  const UINT scanCode = ::MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
  if (scanCode == 0) return String();
  wchar_t name[64] = {};
  const int length = ::GetKeyNameTextW(static_cast<LONG>(scanCode << 16), name, 64);
  return length > 0 ? String(name, static_cast<size_t>(length)) : String();
}

// The name of the key in the low byte of a shortcut; "" when the key has none.
String KeyName(BYTE key) {
  if (key == VK_BACK) return L"BkSp";
  if (key == VK_TAB) return L"Tab";
  if (key == VK_RETURN) return L"Enter";
  if (key == VK_ESCAPE) return L"Esc";
  if (key >= VK_SPACE && key <= VK_DOWN) return kNavigationNames[key - VK_SPACE];
  if (key == VK_INSERT) return L"Ins";
  if (key == VK_DELETE) return L"Del";
  if (key >= '0' && key <= '9') return String(1, static_cast<wchar_t>(key));
  if (key >= 'A' && key <= 'Z') return String(1, static_cast<wchar_t>(key));
  // The digits of the numeric keypad read as the plain digits.
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9)
    return String(1, static_cast<wchar_t>(L'0' + (key - VK_NUMPAD0)));
  if (key >= VK_F1 && key <= VK_F24) return L"F" + IntToStr(key - VK_F1 + 1);
  return KeyNameFromDriver(key);
}

// Removes front from the start of text when text starts with it (without regard to case).
bool TakeFront(String& text, const String& front) {
  if (text.size() < front.size() || !SameText(text.substr(0, front.size()), front))
    return false;
  text.erase(0, front.size());
  return true;
}

}  // namespace

TShortCut ShortCut(WORD key, TShiftState shift) {
  if (key > 0xFF) return scNone;
  TShortCut result = key;
  if (shift.Contains(ssShift)) result |= scShift;
  if (shift.Contains(ssCtrl)) result |= scCtrl;
  if (shift.Contains(ssAlt)) result |= scAlt;
  return result;
}

void ShortCutToKey(TShortCut shortCut, WORD& key, TShiftState& shift) {
  key = static_cast<WORD>(shortCut & ~(scShift | scCtrl | scAlt));
  shift = TShiftState();
  if (shortCut & scShift) shift.Include(ssShift);
  if (shortCut & scCtrl) shift.Include(ssCtrl);
  if (shortCut & scAlt) shift.Include(ssAlt);
}

String ShortCutToText(TShortCut shortCut) {
  const String name = KeyName(static_cast<BYTE>(shortCut & 0xFF));
  if (name.empty()) return String();
  String result;
  if (shortCut & scShift) result += kShiftText;
  if (shortCut & scCtrl) result += kCtrlText;
  if (shortCut & scAlt) result += kAltText;
  return result + name;
}

TShortCut TextToShortCut(const String& text) {
  String rest = text;
  TShortCut shift = 0;
  // Each modifier appears once at most; more than three prefixes cannot be valid.
  for (int taken = 0; taken < 3; ++taken) {
    if (TakeFront(rest, kShiftText)) shift |= scShift;
    else if (TakeFront(rest, L"^")) shift |= scCtrl;
    else if (TakeFront(rest, kCtrlText)) shift |= scCtrl;
    else if (TakeFront(rest, kAltText)) shift |= scAlt;
    else break;
  }
  if (rest.empty()) return scNone;
  for (int key = VK_BACK; key <= 0xFF; ++key)
    if (AnsiCompareText(rest, KeyName(static_cast<BYTE>(key))) == 0)
      return static_cast<TShortCut>(key | shift);
  return scNone;
}
