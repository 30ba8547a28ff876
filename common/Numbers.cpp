#include "common/Numbers.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

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

    // Gather the number's characters into a plain literal for strtod, which
    // rounds correctly, so that written texts read back to the same double.
    std::string literal;
    if (in.Peek() == '+' || in.Peek() == '-') {
        literal += in.Peek();
        in.Next();
    }
    bool anyDigit = false;
    for (; IsDigit(in.Peek()); in.Next()) {
        literal += in.Peek();
        anyDigit = true;
    }
    if (in.Peek() == '.') {
        literal += '.';
        in.Next();
        for (; IsDigit(in.Peek()); in.Next()) {
            literal += in.Peek();
            anyDigit = true;
        }
    }
    if (!anyDigit) return 0;
    const char e = in.Peek();
    if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
        std::string exponent = "e";
        in.Next();
        if (in.Peek() == '+' || in.Peek() == '-') {
            exponent += in.Peek();
            in.Next();
        }
        std::string expDigits;
        for (; IsDigit(in.Peek()); in.Next())
            if (!(expDigits.empty() && in.Peek() == '0')) expDigits += in.Peek();
        // An exponent of more than six digits saturates to zero or infinity anyway.
        if (expDigits.size() > 6) expDigits = "999999";
        exponent += expDigits.empty() ? "0" : expDigits;
        literal += exponent;
    }
    errno = 0;
    return std::strtod(literal.c_str(), nullptr);
}

std::string NumText(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    if (value == 0) return "0";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    // Near the top of the double range, 15 digits rounded to nearest exceed it
    // and would read back as an infinity; the largest 15-digit value below
    // the range reads back finite.
    if (std::isinf(std::strtod(buffer, nullptr)))
        std::snprintf(buffer, sizeof buffer, "%.14e", std::copysign(1.79769313486231e308, value));
    // buffer: [-]d.dddddddddddddde[+-]xx, i.e. 15 significant digits.
    std::string text(buffer);
    const std::size_t ePos = text.find('e');
    const int exponent = std::atoi(text.c_str() + ePos + 1);
    const bool negative = text[0] == '-';
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < ePos; ++i)
        if (IsDigit(text[i])) digits += text[i];
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -5) {
        out += digits[0];
        if (digits.size() > 1) out += "." + digits.substr(1);
        char exp[16];
        std::snprintf(exp, sizeof exp, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        return out + exp;
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
