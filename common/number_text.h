// Number texts of the files and tables: fixed-point, right-aligned integers, the exponent
// form, halves-to-even rounding, and lenient / strict parsing of typed or stored numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vk7 {

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4), saturated to int64.
int64_t roundHalfEven(double v);

// The whole part: truncation toward zero, saturated to int64.
int64_t wholePart(double v);

// Clamps a value into a 16-bit signed field.
int16_t clampToInt16(int64_t v);

// `text` padded with blanks on the left to `width` characters; never cut.
std::string padLeft(std::string_view text, int width);
// `text` padded with blanks on the right to `width` characters; never cut.
std::string padRight(std::string_view text, int width);
// The first `maxChars` characters of `text`.
std::string cutText(std::string_view text, size_t maxChars);

// Decimal text of an integer right-aligned in `width` (wider values are not cut).
std::string intText(int64_t v, int width = 0);

// The Russian form of a word that goes with the count `n`: `one` after 1, 21, 31, 101 ...
// (not 11), `few` after 2-4, 22-24 ... (not 12-14), `many` after 0, 5-20, 25-30, 111 ...
// ("1 точка", "3 точки", "11 точек", "21 точка"). The sign of `n` does not matter.
std::string_view russianPlural(int64_t n, std::string_view one, std::string_view few, std::string_view many);
// The count and its noun in that form: countText(3, "точка", "точки", "точек") is "3 точки".
std::string countText(int64_t n, std::string_view one, std::string_view few, std::string_view many);

// Fixed-point text with `decimals` digits after the point, right-aligned in `width`.
// Uses the C locale's '.', rounds halves to even, never writes "-0.00".
std::string fixedText(double v, int width, int decimals);

// Exponent form in `width` characters: a blank or '-', one digit, '.', the mantissa's
// decimals, 'E', the exponent's sign and its digits. Where four exponent digits still leave
// four significant digits (widths of 12 and more) the exponent has four digits and the
// mantissa width - 9 decimals (" 1.23456000E+0002" at 17, " 1.50000000000000E+0000" at 23);
// narrower fields write as few exponent digits as the value needs and give the rest to the
// mantissa (" 1.2346E+5", " 1.234E+30" and "-1.2346E-5" at 10). Never fewer than four
// significant digits: where the width cannot hold them, the text is wider (" 1.235E+5" at 8).
std::string expText(double v, int width);

// Fixed-point text, or the exponent form at the same width when |v| >= 100000.
std::string fixedOrExpText(double v, int width, int decimals);

// The exponent form in at most `width` characters, with as many significant digits as fit:
// expText where it fits; else a positive value drops its leading blank ("1.235E+5" at 8);
// else fewer significant digits ("-1.23E+5" at 8). Only where not even one digit fits is
// the text wider.
std::string expTextWithin(double v, int width);

// Lenient reading: blanks trimmed, ',' accepted for '.', the longest valid leading number
// is taken ("12.5abc" -> 12.5); anything else, inf, nan and hex read as 0.
double parseLenient(std::string_view text);

// Lenient integer: the lenient number truncated toward zero (saturated to int64).
int64_t parseLenientInt(std::string_view text);

// Strict real: blanks trimmed, ',' accepted for '.', and the whole text one decimal number
// (an exponent allowed). std::nullopt for an empty text, any other text, inf and nan.
std::optional<double> parseStrictReal(std::string_view text);

// Strict integer: optional blanks around an optional sign and decimal digits, nothing
// else. std::nullopt for any other text or a value beyond int64.
std::optional<int64_t> parseStrictInt(std::string_view text);

// Blanks (space, tab) removed at both ends.
std::string_view trimBlanks(std::string_view text);

// The shortest text that reads back as exactly `v` ("3.75", "1e+20"), with '.' whatever the
// locale; for number cells of office documents. Non-finite values give "0".
std::string roundTripText(double v);

}  // namespace vk7
