#pragma once
// Numbers as the user reads and types them: general format with up to 15 significant digits
// and the user's decimal separator, the way the class library's float-to-text and
// text-to-float conversions work. The conversions themselves never depend on the process
// locale: the separator is passed in.
#include <optional>
#include <string>
#include <string_view>

namespace DecimalText {

// General format: the shortest of fixed and exponent notation with `digits` significant digits,
// trailing zeros dropped (4.008, 0.333333333333333, 20, 1e-05).
std::string Format(double v, char decimalSeparator, int digits = 15);
// Fixed format with `decimals` digits after the separator (2.25 -> "2,25").
std::string Fixed(double v, int decimals, char decimalSeparator);
// The class library's fixed format of a value with `precision` significant digits: the value is
// rounded (halves away from zero, on its 15-digit decimal form) to `precision` significant
// digits or `decimals` places, whichever is coarser, and written with exactly `decimals` places
// (1.4, 3, 2 -> "1,40"; 12.345, 4, 2 -> "12,35"). A value with more integer digits than
// `precision` comes out in exponent form with `precision` digits ("1,23E+03").
std::string FixedSignificant(double v, int precision, int decimals, char decimalSeparator);
// A decimal number with the given separator: optional sign, digits, separator, exponent;
// blanks around it allowed. Anything else (also "inf", "nan", the other separator) is no number.
std::optional<double> Parse(std::string_view text, char decimalSeparator);
// A decimal integer with optional sign and blanks around it, in the int range.
std::optional<int> ParseInt(std::string_view text);

// The decimal separator of the user's locale (one character; '.' when it has no one-byte form).
char UserDecimalSeparator();

}  // namespace DecimalText
