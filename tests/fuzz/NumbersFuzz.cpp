// Any bytes read as a number never fail, and every finite number written as
// text reads back to its 15-digit value and writes the same text again.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "common/Numbers.h"
#include "FuzzCheck.h"

namespace {

// Digits, ".", a leading "-" and an "E+dd"/"E-dd" exponent, with at most 15
// significant digits.
bool IsWrittenForm(const std::string& text) {
    int significant = 0;
    bool inExponent = false, seenNonZero = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == 'E') {
            inExponent = true;
        } else if (c >= '0' && c <= '9') {
            if (inExponent) continue;
            seenNonZero = seenNonZero || c != '0';
            significant += seenNonZero ? 1 : 0;
        } else if (!(c == '.' && !inExponent) && !(c == '-' && (i == 0 || inExponent)) && !(c == '+' && inExponent)) {
            return false;
        }
    }
    return !text.empty() && significant <= 15;
}

void CheckRoundTrip(double value) {
    if (!std::isfinite(value)) return;
    const std::string text = velmora::NumText(value);
    FUZZ_CHECK(IsWrittenForm(text));
    char fifteen[64];
    std::snprintf(fifteen, sizeof fifteen, "%.14e", value);
    double expected = std::strtod(fifteen, nullptr);
    // 15 digits rounded beyond the double range are written as the largest below it.
    if (std::isinf(expected)) expected = std::copysign(1.79769313486231e308, value);
    const double back = velmora::Val(text);
    FUZZ_CHECK(back == expected);
    FUZZ_CHECK(velmora::NumText(back) == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double value = velmora::Val(text);
    FUZZ_CHECK(!std::isnan(value));
    CheckRoundTrip(value);
    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        CheckRoundTrip(raw);
    }
    return 0;
}
