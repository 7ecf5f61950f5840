// Shortcut values and their texts.
#include <gtest/gtest.h>
#include "classlib/controls/ShortCuts.h"

namespace {

struct NamedKey {
  WORD Key;
  const wchar_t* Name;
};

// Every key with a fixed name, and samples of the letter, digit and function-key ranges.
const NamedKey kNamedKeys[] = {
    {VK_BACK, L"BkSp"},   {VK_TAB, L"Tab"},     {VK_RETURN, L"Enter"}, {VK_ESCAPE, L"Esc"},
    {VK_SPACE, L"Space"}, {VK_PRIOR, L"PgUp"},  {VK_NEXT, L"PgDn"},    {VK_END, L"End"},
    {VK_HOME, L"Home"},   {VK_LEFT, L"Left"},   {VK_UP, L"Up"},        {VK_RIGHT, L"Right"},
    {VK_DOWN, L"Down"},   {VK_INSERT, L"Ins"},  {VK_DELETE, L"Del"},   {'A', L"A"},
    {'Z', L"Z"},          {'0', L"0"},          {'9', L"9"},           {VK_F1, L"F1"},
    {VK_F10, L"F10"},     {VK_F12, L"F12"},     {VK_F24, L"F24"},
};

// The modifier combinations and the prefix each gives, in the order the texts show them.
struct Modifiers {
  TShiftState Shift;
  const wchar_t* Prefix;
};
const Modifiers kModifiers[] = {
    {{}, L""},
    {{ssShift}, L"Shift+"},
    {{ssCtrl}, L"Ctrl+"},
    {{ssAlt}, L"Alt+"},
    {{ssShift, ssCtrl}, L"Shift+Ctrl+"},
    {{ssShift, ssAlt}, L"Shift+Alt+"},
    {{ssCtrl, ssAlt}, L"Ctrl+Alt+"},
    {{ssShift, ssCtrl, ssAlt}, L"Shift+Ctrl+Alt+"},
};

}  // namespace

TEST(ShortCuts, ShortCutPacksKeyAndModifiers) {
  // Mouse buttons and double clicks are not part of a shortcut.
  EXPECT_EQ(ShortCut('A', {ssLeft, ssDouble}), 'A');
  EXPECT_EQ(ShortCut(0x100, {ssCtrl}), scNone);

  WORD key = 0;
  TShiftState shift;
  ShortCutToKey('Q' | scCtrl | scShift, key, shift);
  EXPECT_EQ(key, 'Q');
  EXPECT_TRUE(shift == (TShiftState{ssCtrl, ssShift}));
}

TEST(ShortCuts, EveryNamedKeyAndModifierRoundTrips) {
  for (const NamedKey& named : kNamedKeys)
    for (const Modifiers& modifiers : kModifiers) {
      const TShortCut shortCut = ShortCut(named.Key, modifiers.Shift);
      const String text = String(modifiers.Prefix) + named.Name;
      EXPECT_EQ(ShortCutToText(shortCut), text);
      EXPECT_EQ(TextToShortCut(text), shortCut) << StringToUtf8(text);
    }
}

TEST(ShortCuts, TextIsReadWithoutRegardToCaseAndWithCaretAndKeypadDigitsArePlain) {
  EXPECT_EQ(TextToShortCut(L"ctrl+s"), 'S' | scCtrl);
  EXPECT_EQ(TextToShortCut(L"SHIFT+pgdn"), VK_NEXT | scShift);
  EXPECT_EQ(TextToShortCut(L"^N"), 'N' | scCtrl);
  // Modifiers in another order give the same shortcut.
  EXPECT_EQ(TextToShortCut(L"Alt+Shift+F4"), VK_F4 | scShift | scAlt);
  // Numeric keypad digits are named as plain digits.
  EXPECT_EQ(ShortCutToText(VK_NUMPAD7 | scCtrl), L"Ctrl+7");
}

TEST(ShortCuts, InvalidTextGivesNone) {
  EXPECT_EQ(TextToShortCut(L""), scNone);
  EXPECT_EQ(TextToShortCut(L"Shift+Ctrl+Alt+"), scNone);
  EXPECT_EQ(TextToShortCut(L"Ctrl+Foo"), scNone);
  EXPECT_EQ(TextToShortCut(L"F25"), scNone);
  EXPECT_EQ(TextToShortCut(L"Ctrl S"), scNone);
  EXPECT_EQ(TextToShortCut(L"Hyper+A"), scNone);
  EXPECT_EQ(ShortCutToText(scNone), L"");
  EXPECT_EQ(ShortCutToText(scCtrl), L"");
}
