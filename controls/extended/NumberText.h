// The text side of the number edit: reading a typed number by the locale's separators,
// the typing filter, the range rule, the edit text and the thousands grouping while typing.
// Separators come from FormatSettings, so tests can set them.
#pragma once
#include "classlib/system/SysString.h"

// Trims blanks; drops thousands separators (when they differ from the decimal one); turns
// '.' and ',' that are not separators of the locale into the decimal separator; an empty
// text becomes "0" and a lone "-" becomes "-0".
String NormalizeNumberText(const String& text);

// False when s holds any character other than '+', '-', digits, 'E', 'e' and the decimal
// separator, or when its first 63 characters are not a finite number (a text that
// overflows is refused).
bool TryParseFloat(const String& s, double& value);

// The digits after the decimal separator of a normalized text, up to an exponent
// ("1.25E3" has 2); 0 without a separator.
int CountDecimals(const String& normalized);

// The typing filter: text is the edit text as it would be after the key. Refused when it
// has more than decimalPlaces decimals or does not parse, and, for a range that is not
// below zero (min >= 0, max > 0), when it parses to a negative number.
bool IsAcceptableNumberText(const String& text, unsigned decimalPlaces, double minValue,
                            double maxValue);

// The value within the range: nothing is clamped when max = min; min > max is a one-sided
// range (max 0: only the lower bound; min 0: only the upper bound; otherwise none).
double ClampToRange(double x, double minValue, double maxValue);
// "Value must be between 0.10 and 30.00" for (2, 0.1, 30).
String RangeErrorText(unsigned decimalPlaces, double minValue, double maxValue);

// "0" for no decimals, else "0." and decimalPlaces '#' ("0.##" for 2).
String NumberEditFormat(unsigned decimalPlaces);
// The edit text of a value: empty for an exact 0 with zeroEmpty, else the value in the
// edit format (no grouping, no trailing zeros).
String NumberEditText(double value, unsigned decimalPlaces, bool zeroEmpty);
// The unfocused display: FormatFloat with the display format, FloatToStr when it is empty.
String FormatNumberValue(double value, const String& displayFormat);
// The currency edit's display format from the locale's currency settings, as
// ",0.00 $;-,0.00 $" with the currency text quoted where it holds ',' or '.'.
String CurrencyDisplayFormat();

// A sign, then the integer digits grouped by the thousands separator (when thousands),
// then the rest (decimal part and exponent) unchanged.
String GroupThousands(const String& s, bool thousands);
