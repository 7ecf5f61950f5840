// The calculator's engine: a display text, a pending operator with its operand, and a
// memory register, driven one key character at a time. The keypad panels and the drop-down
// calculator show its text; tests drive it directly.
//
// Keys: digits, the decimal separator ('.' and ',' too), '_' sign change, 'Q' square
// root, 'R' reciprocal, '+' '-' '*' '/' '%' '=' and Enter (13) operators, back space (8),
// 'C' and Escape clear. A result that overflows, a division by zero, the square root of a
// negative number and the reciprocal of zero put the engine in its error state, which shows
// "Error"; only Clear (or Escape) leaves it. An overflow is the one error that a digit, the
// decimal separator or memory recall may also leave, starting afresh: the operands were
// sound, only their result did not fit.
#pragma once
#include <functional>
#include "classlib/system/SysString.h"

enum TCalcState { csFirst, csValid, csError };

class TCalcEngine {
 public:
  // ---- Attributes --------------------------------------------------------------------
  const String& GetText() const { return FText; }
  TCalcState GetStatus() const { return FStatus; }
  wchar_t GetOperator() const { return FOperator; }
  double GetOperand() const { return FOperand; }
  double GetMemory() const { return FMemory; }
  // Significant digits shown; at least 2 count.
  int GetPrecision() const { return FPrecision; }
  void SetPrecision(int value) { FPrecision = value; }
  bool GetBeepOnError() const { return FBeepOnError; }
  void SetBeepOnError(bool value) { FBeepOnError = value; }
  // The number shown: 0 in the error state.
  double DisplayValue() const;

  // ---- Operations --------------------------------------------------------------------
  void ProcessKey(wchar_t key);
  // Shows value (the error state when it is not finite).
  void Display(double value);
  // Status first, the display 0, no pending operator.
  void Clear();
  // Sets the text as it stands (a paste that did not convert sets "0").
  void SetText(const String& value);
  // Starts a new entry: the next digit replaces the display.
  void SetStatusFirst() { FStatus = csFirst; }
  // A value handed in from outside (an edit's value): shown, status first, no operator.
  void SetStartValue(double value);
  // Memory keys; they do nothing in the error state (recall does after an overflow).
  void MemoryAdd();
  void MemoryStore();
  void MemoryRecall();
  void MemoryClear() { FMemory = 0; }

  // ---- Events ------------------------------------------------------------------------
  std::function<void(wchar_t& key)> OnKey;  // may change a key before it is processed
  std::function<void()> OnError;
  std::function<void()> OnResult;          // after Enter, '=' and '%'
  std::function<void()> OnTextChange;      // the display text changed
  std::function<void()> OnDisplayChange;   // a shown value changed it (after OnTextChange)
  std::function<void()> OnBeep;            // a refused key (the system's beep by default)

 private:
  void StartNumber();
  // overflow: the error a new number may leave (see above).
  void Error(bool overflow = false);
  // In the error state and not after an overflow: only Clear is taken.
  bool Locked() const { return FStatus == csError && !FOverflow; }
  void Beep();
  void Digit(wchar_t key);
  void BackSpace();
  void Operator(wchar_t key);
  // Sets the text; true when it changed (OnTextChange has fired then).
  bool SetTextNotify(const String& value);
  int DigitLimit() const;

  String FText = L"0";         // the display text
  TCalcState FStatus = csFirst;
  bool FOverflow = false;      // the error state came from a result out of range
  wchar_t FOperator = L'=';    // the pending operator
  double FOperand = 0;         // the left side of the pending operator
  double FMemory = 0;          // the memory register
  int FPrecision = 15;         // significant digits shown
  bool FBeepOnError = true;
};
