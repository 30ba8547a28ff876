#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Reads the leading number of a text, the way every text box and tag is read:
// blanks anywhere are skipped, an optional sign, digits, an optional fraction
// and an optional exponent introduced by E or D; "&H" and "&O" introduce a
// hexadecimal or octal integer. Reading stops at the first character that does
// not fit; a text without a leading number reads as 0. Never fails; a
// magnitude beyond the double range reads as an infinity.
double Val(std::string_view text);

// Writes a number as text boxes show it: at most 15 significant digits, no
// trailing zeros, "." as decimal point, "0" before the point below 1, "-" for
// negatives. Magnitudes from 1E-5 up to below 1E15 are written plainly, others
// as mantissa and exponent ("1.5E-07", "2E+20"), which Val reads back. Every
// finite number gives a text that reads back finite.
std::string NumText(double value);

// The whole text as a decimal number ("12", "-0.5", "+1.5e3"), after any leading blanks, read the same in
// every locale; nothing when it holds anything else, is not finite or lies beyond the double range.
std::optional<double> DecimalNumber(std::string_view text);

// The number with `decimals` (0 to 60) digits after a "." in every locale, rounded to nearest ("%.*f" in the C
// locale).
std::string FixedText(double value, int decimals);

// The number in at most six significant digits, without trailing zeros ("%g" in the C locale).
std::string ShortText(double value);

// Rounds to the nearest integer, ties to the even one.
double RoundHalfEven(double value);

// The nearest integer (ties to even) when it fits in 16 bits, otherwise nothing.
std::optional<std::int16_t> ToInt16(double value);

// The nearest integer (ties to even) when it fits in 32 bits, otherwise nothing.
std::optional<std::int32_t> ToInt32(double value);

// fl(v): v rounded to the nearest single-precision value, ties to even,
// subnormals kept, out-of-range values becoming infinities.
//
// The rounded value is passed through an empty assembler statement (or a
// volatile variable where that is not available), so the optimiser cannot
// see that it came from a double: every later use widens the single itself.
// GCC 12's SLP vectoriser, for one, folds a pair of roundings followed by
// widenings back into the unrounded doubles.
inline float fl(double value) {
    float single = static_cast<float>(value);
#if defined(__GNUC__) && defined(__SSE2_MATH__)
    __asm__("" : "+x"(single));
#else
    volatile float stored = single;
    single = stored;
#endif
    return single;
}

}  // namespace velmora
