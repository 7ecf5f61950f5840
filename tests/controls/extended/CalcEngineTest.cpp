// The calculator's engine key by key: operators, percent, sign, memory, precision, back
// space and the error state with its recovery.
#include <gtest/gtest.h>

#include "ExtendedTestSupport.h"
#include "controls/extended/CalcEngine.h"

using extended_tests::FixedLocale;

namespace {

// An engine that counts its beeps, results and errors instead of sounding.
struct Calc {
  TCalcEngine Engine;
  int Beeps = 0, Results = 0, Errors = 0;
  Calc() {
    Engine.OnBeep = [this] { ++Beeps; };
    Engine.OnResult = [this] { ++Results; };
    Engine.OnError = [this] { ++Errors; };
  }
  // Sends every character of keys and returns the display.
  String Keys(const wchar_t* keys) {
    for (const wchar_t* k = keys; *k; ++k) Engine.ProcessKey(*k);
    return Engine.GetText();
  }
};

}  // namespace

TEST(CalcEngine, KeySequences) {
  FixedLocale locale;
  struct Case {
    const wchar_t* keys;
    const wchar_t* display;
  } cases[] = {
      {L"2+3=", L"5"},         {L"2+3%", L"2.06"},      {L"50*10%", L"5"},
      {L"50/10%", L"500"},     {L"7-2-1=", L"4"},       {L"2*3+4=", L"10"},
      {L"9Q", L"3"},           {L"4R", L"0.25"},        {L"5_", L"-5"},
      {L"1.5+1.25=", L"2.75"}, {L"1..2", L"1.2"},       {L".5", L"0.5"},
      {L"1,5", L"1.5"},        {L"12\b", L"1"},         {L"5\b", L"0"},
      {L"5_\b", L"0"},         {L"123C", L"0"},         {L"2+3\r", L"5"},
      {L"3=", L"3"},           {L"4%", L"4"},           {L"2+3==", L"5"},
      {L"0.1+0.2=", L"0.3"},   {L"2+3%=", L"2.06"},
  };
  for (const Case& c : cases) {
    Calc calc;
    EXPECT_EQ(calc.Keys(c.keys), c.display) << c.keys;
  }
}

TEST(CalcEngine, PendingEqualsAndPercentApplyNothing) {
  FixedLocale locale;
  Calc calc;
  calc.Keys(L"8=");
  EXPECT_EQ(calc.Engine.GetOperator(), L'=');
  EXPECT_EQ(calc.Keys(L"5%"), L"5");  // the pending '=' takes 5 as it is
  EXPECT_EQ(calc.Engine.GetOperator(), L'%');
  EXPECT_EQ(calc.Keys(L"7="), L"7");
  EXPECT_EQ(calc.Results, 3);
}

TEST(CalcEngine, ErrorsShowErrorAndRecover) {
  FixedLocale locale;
  struct Case {
    const wchar_t* keys;
  } cases[] = {{L"1/0="}, {L"4_Q"}, {L"0R"}};
  for (const Case& c : cases) {
    Calc calc;
    EXPECT_EQ(calc.Keys(c.keys), L"Error") << c.keys;
    EXPECT_EQ(calc.Engine.GetStatus(), csError);
    EXPECT_EQ(calc.Errors, 1);
    EXPECT_EQ(calc.Beeps, 1);
    EXPECT_EQ(calc.Engine.DisplayValue(), 0);
    EXPECT_EQ(calc.Keys(L"+*Q_\b="), L"Error") << "operators are ignored in the error state";
    EXPECT_EQ(calc.Keys(L"C"), L"0");
    EXPECT_EQ(calc.Keys(L"2+2="), L"4");
  }
  // Only C or Escape leave it: digits, the decimal point and memory recall do nothing.
  Calc calc;
  calc.Keys(L"5");
  calc.Engine.MemoryStore();
  calc.Keys(L"1/0=");
  EXPECT_EQ(calc.Keys(L"7.\r"), L"Error");
  calc.Engine.MemoryRecall();
  calc.Engine.MemoryAdd();
  EXPECT_EQ(calc.Engine.GetText(), L"Error");
  EXPECT_EQ(calc.Engine.GetMemory(), 5);
  EXPECT_EQ(calc.Results, 1) << "Enter in the error state gives no result";
  EXPECT_EQ(calc.Keys(L"\x1b"), L"0") << "Escape clears";
  EXPECT_EQ(calc.Keys(L"7+1="), L"8");
  calc.Keys(L"4_Q");
  calc.Engine.MemoryRecall();
  EXPECT_EQ(calc.Keys(L"C"), L"0");
  calc.Engine.MemoryRecall();
  EXPECT_EQ(calc.Engine.GetText(), L"5");
}

TEST(CalcEngine, OverflowIsAnErrorNeverInfinity) {
  FixedLocale locale;
  Calc calc;
  calc.Engine.SetStartValue(1e300);
  calc.Engine.MemoryStore();
  calc.Keys(L"*");
  calc.Engine.MemoryRecall();
  EXPECT_EQ(calc.Keys(L"="), L"Error");
  EXPECT_EQ(calc.Errors, 1);
  EXPECT_EQ(calc.Keys(L"3+4="), L"7") << "the next number starts afresh";
  calc.Engine.MemoryAdd();  // memory 1e300 + 7
  calc.Engine.SetStartValue(1.7e308);
  calc.Engine.MemoryStore();
  calc.Engine.MemoryAdd();
  EXPECT_EQ(calc.Engine.GetText(), L"Error");
  EXPECT_EQ(calc.Engine.GetMemory(), 1.7e308) << "the memory keeps its last sound value";
  Calc tiny;
  tiny.Engine.SetStartValue(1e-310);
  tiny.Engine.MemoryStore();
  tiny.Engine.MemoryRecall();
  EXPECT_EQ(tiny.Keys(L"R"), L"Error");  // the reciprocal of a denormal overflows
}

TEST(CalcEngine, DigitLimitFollowsThePrecision) {
  FixedLocale locale;
  Calc calc;
  EXPECT_EQ(calc.Keys(L"1234567890123456789"), L"123456789012345");
  EXPECT_EQ(calc.Beeps, 4);
  calc.Keys(L"C");
  EXPECT_EQ(calc.Keys(L"1_"), L"-1");
  EXPECT_EQ(calc.Keys(L"234567890123456789"), L"-123456789012345");  // one more with a minus
  Calc small;
  small.Engine.SetPrecision(1);  // counts as 2
  EXPECT_EQ(small.Keys(L"987"), L"98");
  EXPECT_EQ(small.Keys(L"+1="), L"99");
  small.Engine.SetBeepOnError(false);
  small.Keys(L"C123");
  EXPECT_EQ(small.Beeps, 1);
}

TEST(CalcEngine, Memory) {
  FixedLocale locale;
  Calc calc;
  calc.Keys(L"12");
  calc.Engine.MemoryStore();
  calc.Keys(L"3");
  EXPECT_EQ(calc.Engine.GetText(), L"3") << "a store ends the entry";
  calc.Engine.MemoryAdd();
  EXPECT_EQ(calc.Engine.GetMemory(), 15);
  calc.Keys(L"C");
  calc.Engine.MemoryRecall();
  EXPECT_EQ(calc.Engine.GetText(), L"15");
  EXPECT_EQ(calc.Keys(L"+1="), L"16");
  calc.Engine.MemoryClear();
  calc.Engine.MemoryRecall();
  EXPECT_EQ(calc.Engine.GetText(), L"0");
}

TEST(CalcEngine, TextChangesAreReported) {
  FixedLocale locale;
  Calc calc;
  int changes = 0;
  calc.Engine.OnTextChange = [&] { ++changes; };
  calc.Keys(L"0");  // "0" stays "0"
  EXPECT_EQ(changes, 0);
  calc.Keys(L"12+");
  EXPECT_EQ(changes, 2);
  calc.Engine.OnKey = [](wchar_t& key) {
    if (key == L'9') key = L'8';
  };
  EXPECT_EQ(calc.Keys(L"9"), L"8");
}
