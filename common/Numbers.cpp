#include "common/Numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>

namespace velmora {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// The characters of the text without blanks, read lazily.
class BlankSkipper {
public:
    explicit BlankSkipper(std::string_view text) : text_(text) { Skip(); }
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    void Next() {
        ++pos_;
        Skip();
    }

private:
    void Skip() {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    }
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c, int base) {
    int v = -1;
    if (IsDigit(c)) v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    return v < base ? v : -1;
}

double ReadRadixInteger(BlankSkipper& in, int base) {
    double value = 0;
    for (int d; (d = DigitValue(in.Peek(), base)) >= 0; in.Next()) value = value * base + d;
    return value;
}

}  // namespace

double Val(std::string_view text) {
    BlankSkipper in(text);
    if (in.Peek() == '&') {
        in.Next();
        const char kind = in.Peek();
        if (kind == 'H' || kind == 'h') {
            in.Next();
            return ReadRadixInteger(in, 16);
        }
        if (kind == 'O' || kind == 'o') {
            in.Next();
            return ReadRadixInteger(in, 8);
        }
        return 0;
    }

    // Gather the number's characters into a plain literal for from_chars,
    // which rounds correctly whatever the locale, so that written texts read
    // back to the same double. The decimal order of the leading digit tells an
    // overflow from an underflow when the value is out of range.
    std::string literal;
    const bool negative = in.Peek() == '-';
    if (in.Peek() == '+' || in.Peek() == '-') {
        if (negative) literal += '-';
        in.Next();
    }
    bool anyDigit = false;
    bool nonzero = false;
    long order = 0;
    for (; IsDigit(in.Peek()); in.Next()) {
        literal += in.Peek();
        anyDigit = true;
        nonzero = nonzero || in.Peek() != '0';
        if (nonzero) ++order;
    }
    if (in.Peek() == '.') {
        literal += '.';
        in.Next();
        for (; IsDigit(in.Peek()); in.Next()) {
            literal += in.Peek();
            anyDigit = true;
            nonzero = nonzero || in.Peek() != '0';
            if (!nonzero) --order;
        }
    }
    if (!anyDigit) return 0;
    const char e = in.Peek();
    if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
        in.Next();
        const bool negativeExponent = in.Peek() == '-';
        if (in.Peek() == '+' || in.Peek() == '-') in.Next();
        std::string expDigits;
        for (; IsDigit(in.Peek()); in.Next())
            if (!(expDigits.empty() && in.Peek() == '0')) expDigits += in.Peek();
        // An exponent of more than six digits saturates to zero or infinity anyway.
        if (expDigits.size() > 6) expDigits = "999999";
        long exponent = 0;
        std::from_chars(expDigits.data(), expDigits.data() + expDigits.size(), exponent);
        if (negativeExponent) exponent = -exponent;
        literal += 'e' + std::to_string(exponent);
        order += exponent;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(literal.data(), literal.data() + literal.size(), value);
    if (error == std::errc::result_out_of_range) {
        value = order > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        if (negative) value = -value;
    }
    return value;
}

namespace {

// The value in the 15 significant digits "d.dddddddddddddde±xx", rounded to nearest.
std::string FifteenDigits(double value) {
    char buffer[40];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14).ptr;
    return std::string(buffer, end);
}

bool ReadsBackInfinite(const std::string& text) {
    double value = 0;
    return std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc::result_out_of_range;
}

}  // namespace

std::string NumText(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    if (value == 0) return "0";
    std::string text = FifteenDigits(value);
    // Near the top of the double range, 15 digits rounded to nearest exceed it
    // and would read back as an infinity; the largest 15-digit value below
    // the range reads back finite.
    if (ReadsBackInfinite(text)) text = FifteenDigits(std::copysign(1.79769313486231e308, value));
    const std::size_t ePos = text.find('e');
    int exponent = 0;
    std::from_chars(text.data() + ePos + 2, text.data() + text.size(), exponent);
    if (text[ePos + 1] == '-') exponent = -exponent;
    const bool negative = text[0] == '-';
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < ePos; ++i)
        if (IsDigit(text[i])) digits += text[i];
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -5) {
        out += digits[0];
        if (digits.size() > 1) out += "." + digits.substr(1);
        const std::string magnitude = std::to_string(std::abs(exponent));
        return out + (exponent < 0 ? "E-" : "E+") + (magnitude.size() < 2 ? "0" : "") + magnitude;
    }
    if (exponent < 0) {
        out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else if (static_cast<int>(digits.size()) <= exponent + 1) {
        out += digits + std::string(static_cast<std::size_t>(exponent + 1) - digits.size(), '0');
    } else {
        out += digits.substr(0, static_cast<std::size_t>(exponent + 1)) + "." +
               digits.substr(static_cast<std::size_t>(exponent + 1));
    }
    return out;
}

std::optional<double> DecimalNumber(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t\n\v\f\r");
    text.remove_prefix(start == std::string_view::npos ? text.size() : start);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string FixedText(double value, int decimals) {
    char text[400];  // the widest double: 309 digits, a sign, a point and the decimals
    const int kept = std::clamp(decimals, 0, 60);
    return std::string(text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, kept).ptr);
}

std::string ShortText(double value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6).ptr);
}

double RoundHalfEven(double value) { return std::nearbyint(value); }

std::optional<std::int16_t> ToInt16(double value) {
    const double r = RoundHalfEven(value);
    if (!(r >= -32768.0 && r <= 32767.0)) return std::nullopt;
    return static_cast<std::int16_t>(r);
}

std::optional<std::int32_t> ToInt32(double value) {
    const double r = RoundHalfEven(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) return std::nullopt;
    return static_cast<std::int32_t>(r);
}

}  // namespace velmora
