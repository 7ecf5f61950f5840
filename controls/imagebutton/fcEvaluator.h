// TfcEvaluator: the integer expressions of a shape button's custom points ("WIDTH / 2"
// after the size is put in). Numbers, spaces and the operators * / + - only; * and / bind
// tighter than + and -, each level from left to right; no parentheses and no unary minus.
// Replacing the text of a step everywhere it occurs would also change equal steps further on
// and parts of longer numbers ("2 * 3 + 12 * 3" would give 22), and a step whose text was
// rewritten ("1 + 007") would never be found again: so "1 - 1 - 1 - 1" is -2.
//
// The expression is cut into tokens (numbers and operators); each step takes the leftmost
// operator of the higher level present, combines the tokens on either side of it and puts
// the result in their place, so every step removes two tokens and the work always ends.
#pragma once
#include <vector>
#include "classlib/system/SysString.h"

class TfcEvaluator {
 public:
  // The value of the expression.
  //  EInvalidOperation "Only alpha characters "+", "-", "x", and "/" are allowed." for any
  //    character but digits, spaces and "*+,-/";
  //  EInvalidOperation "Divide By Zero Error" for a division by 0;
  //  EConvertError (the class library's text) for an operand that is no integer (an
  //    operator without one on either side, a "," in a number, two numbers in a row) and for
  //    a result outside the 32-bit range.
  static int Evaluate(const String& expression);
  // The tokens of an expression: runs of characters other than spaces and operators, and
  // each operator on its own.
  static std::vector<String> Tokens(const String& expression);
};
