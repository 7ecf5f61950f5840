// The filter expressions of TDataSet.Filter and the value comparisons that filters,
// sorting and Locate share. Internal to classlib/db.
#pragma once
#include <memory>
#include "DB.h"

// One node of a parsed filter. Comparisons always have the field on the left.
struct TDBFilterNode {
  enum TKind { fnAnd, fnOr, fnNot, fnCompare, fnLike, fnIsNull };
  enum TOp { opEq, opNe, opLt, opGt, opLe, opGe };

  TKind Kind = fnCompare;
  TOp Op = opEq;
  std::shared_ptr<TDBFilterNode> Left, Right;  // operands of and/or; Left alone for not

  // Comparisons, like and is null.
  String FieldName;          // as written, without brackets
  Variant Literal;           // the value as written (text, number, date, boolean, Null)
  int Column = -1;           // bound column of the store
  TFieldType ColumnType = ftUnknown;
  bool Prefix = false;       // '=' with a text ending in '*': compares the start only
  String Text;               // bound: the literal as text (text columns, like patterns)
  double Number = 0;         // bound: the literal as a number (numbers, dates, booleans)
};

namespace DBFilter {

// Parses filter text; nullptr for empty text. EDatabaseError naming the problem.
std::shared_ptr<TDBFilterNode> Parse(const String& text);
// Resolves field names to columns of rows and converts the literals to the columns'
// kinds. EDatabaseError "Field 'X' not found" or when a literal does not fit.
void Bind(TDBFilterNode& node, const TClientRows& rows, const TComponent* dataSet,
          TFilterOptions options);
bool Evaluate(const TDBFilterNode& node, const TClientRow& row);

// Text compared without regard to case (every letter, not only ASCII).
int CompareTextCI(const String& a, const String& b);
bool StartsWithCI(const String& s, const String& prefix);
// '*' and '%' match any run of characters; case is ignored.
bool LikeMatch(const String& s, const String& pattern);

bool IsTextType(TFieldType type);
bool IsNumberType(TFieldType type);
bool IsDateType(TFieldType type);
// Orders two stored values of a column of the given type; Null comes first. Values of
// a kind the type does not expect are compared as text.
int CompareValues(const Variant& a, const Variant& b, TFieldType type);

}  // namespace DBFilter
