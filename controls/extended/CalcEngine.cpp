#include "CalcEngine.h"

#include <cmath>

#include "StrUtils.h"
#include "classlib/system/SysLocale.h"
#include "classlib/system/Win.h"

using namespace StrUtils;

namespace {

constexpr wchar_t kBackSpace = 8, kEnter = 13, kEscape = 27;

bool IsDecimalKey(wchar_t key) {
  return key == L'.' || key == L',' || key == FormatSettings.DecimalSeparator;
}

}  // namespace

double TCalcEngine::DisplayValue() const {
  if (FStatus == csError) return 0;
  return StrToFloatDef(Trim(FText), 0);
}

int TCalcEngine::DigitLimit() const {
  const int digits = FPrecision < 2 ? 2 : FPrecision;
  return !FText.empty() && FText[0] == L'-' ? digits + 1 : digits;
}

bool TCalcEngine::SetTextNotify(const String& value) {
  if (value == FText) return false;
  FText = value;
  if (OnTextChange) OnTextChange();
  return true;
}

void TCalcEngine::SetText(const String& value) { SetTextNotify(value); }

void TCalcEngine::Beep() {
  if (!FBeepOnError) return;
  if (OnBeep)
    OnBeep();
  else
    ::MessageBeep(0);
}

void TCalcEngine::Error(bool overflow) {
  FStatus = csError;
  FOverflow = overflow;
  SetTextNotify(L"Error");
  Beep();
  if (OnError) OnError();
}

void TCalcEngine::Display(double value) {
  if (!std::isfinite(value)) {
    Error(true);
    return;
  }
  if (value == 0) value = 0;  // no "-0"
  if (SetTextNotify(FloatToStrF(value, ffGeneral, FPrecision < 2 ? 2 : FPrecision, 0)) &&
      OnDisplayChange)
    OnDisplayChange();
}

void TCalcEngine::Clear() {
  FStatus = csFirst;
  Display(0);
  FOperator = L'=';
}

void TCalcEngine::SetStartValue(double value) {
  Display(value);
  if (FStatus != csError) FStatus = csFirst;
  FOperator = L'=';
}

void TCalcEngine::StartNumber() {
  if (FStatus == csValid) return;
  if (FStatus == csError) {
    // A fresh start: nothing of the failed calculation remains.
    FOperator = L'=';
    FOperand = 0;
  }
  FStatus = csValid;
  SetTextNotify(L"0");
}

void TCalcEngine::Digit(wchar_t key) {
  StartNumber();
  String text = FText == L"0" ? String() : FText;
  if (text.find_first_of(L"Ee") == String::npos && static_cast<int>(text.size()) < DigitLimit()) {
    SetTextNotify(text + key);
  } else {
    Beep();
  }
}

void TCalcEngine::BackSpace() {
  StartNumber();
  if (FText.size() == 1 || (FText.size() == 2 && FText[0] == L'-'))
    SetTextNotify(L"0");
  else
    SetTextNotify(FText.substr(0, FText.size() - 1));
}

void TCalcEngine::Operator(wchar_t key) {
  if (FStatus == csValid) {
    FStatus = csFirst;
    double r = DisplayValue();
    if (key == L'%') {
      if (FOperator == L'+' || FOperator == L'-')
        r = FOperand * r / 100;
      else if (FOperator == L'*' || FOperator == L'/')
        r = r / 100;
    }
    switch (FOperator) {
      case L'+': Display(FOperand + r); break;
      case L'-': Display(FOperand - r); break;
      case L'*': Display(FOperand * r); break;
      case L'/':
        if (r == 0)
          Error();
        else
          Display(FOperand / r);
        break;
      default: Display(r); break;  // a pending '=' or '%' applies nothing
    }
  }
  FOperator = key == kEnter ? L'=' : key;
  FOperand = DisplayValue();
  if ((key == kEnter || key == L'%' || key == L'=') && OnResult) OnResult();
}

void TCalcEngine::ProcessKey(wchar_t key) {
  if (key >= L'a' && key <= L'z') key = static_cast<wchar_t>(key - L'a' + L'A');
  if (key == kEscape) key = L'C';
  if (FStatus == csError && key != L'C' &&
      (Locked() || !((key >= L'0' && key <= L'9') || IsDecimalKey(key))))
    key = 0;
  if (OnKey) OnKey(key);
  if (key == 0) return;
  if (IsDecimalKey(key)) {
    StartNumber();
    if (FText.find(FormatSettings.DecimalSeparator) == String::npos)
      SetTextNotify(FText + FormatSettings.DecimalSeparator);
  } else if (key >= L'0' && key <= L'9') {
    Digit(key);
  } else if (key == kBackSpace) {
    BackSpace();
  } else if (key == L'C') {
    Clear();
  } else if (key == L'_') {
    Display(-DisplayValue());
  } else if (key == L'Q' || key == L'R') {
    if (FStatus == csError) return;
    FStatus = csFirst;
    const double x = DisplayValue();
    if (key == L'Q' ? x < 0 : x == 0)
      Error();
    else
      Display(key == L'Q' ? std::sqrt(x) : 1 / x);
  } else if (key == L'+' || key == L'-' || key == L'*' || key == L'/' || key == L'%' ||
             key == L'=' || key == kEnter) {
    Operator(key);
  }
}

void TCalcEngine::MemoryAdd() {
  if (FStatus == csError) return;
  FStatus = csFirst;
  const double sum = FMemory + DisplayValue();
  if (!std::isfinite(sum)) {
    Error(true);
    return;
  }
  FMemory = sum;
}

void TCalcEngine::MemoryStore() {
  if (FStatus == csError) return;
  FStatus = csFirst;
  FMemory = DisplayValue();
}

void TCalcEngine::MemoryRecall() {
  if (Locked()) return;
  FStatus = csValid;
  SetTextNotify(L"0");
  Display(FMemory);
}
