#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "common/HugePages.h"
#include "common/Numbers.h"
#include "tests/ScopedLocale.h"

using namespace velmora;

TEST(Val, LeadingNumberOfText) {
    EXPECT_EQ(Val("0.051"), 0.051);
    EXPECT_EQ(Val("  -1 . 5 "), -1.5);
    EXPECT_EQ(Val("1\t2\n3"), 123);
    EXPECT_EQ(Val(".5"), 0.5);
    EXPECT_EQ(Val("-.25x"), -0.25);
    EXPECT_EQ(Val("1,5"), 1);
    EXPECT_EQ(Val("12abc"), 12);
    EXPECT_EQ(Val("1E3"), 1000);
    EXPECT_EQ(Val("1e-2"), 0.01);
    EXPECT_EQ(Val("2D2"), 200);
    EXPECT_EQ(Val("1E"), 1);
    EXPECT_EQ(Val("1E+"), 1);
    EXPECT_EQ(Val("&H1F"), 31);
    EXPECT_EQ(Val("&o17"), 15);
    EXPECT_EQ(Val("&HZ"), 0);
}

TEST(Val, TextWithoutNumberReadsZero) {
    for (const char* text : {"", "abc", "no ent", "-", ".", "+.", "E5", "&", " "}) EXPECT_EQ(Val(text), 0) << text;
}

TEST(Val, ExtremeExponentsSaturate) {
    EXPECT_EQ(Val("1E400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(Val("-1E99999999999999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(Val("1E-99999999999999"), 0);
    EXPECT_EQ(Val("1E0000000000000000002"), 100);
    EXPECT_GT(Val("4.9E-324"), 0);  // subnormal kept
}

TEST(NumText, FormsOfTheTable) {
    EXPECT_EQ(NumText(0.05), "0.05");
    EXPECT_EQ(NumText(-0.05), "-0.05");
    EXPECT_EQ(NumText(0.0478), "0.0478");
    EXPECT_EQ(NumText(11), "11");
    EXPECT_EQ(NumText(-15), "-15");
    EXPECT_EQ(NumText(0), "0");
    EXPECT_EQ(NumText(0.15625), "0.15625");
    EXPECT_EQ(NumText(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(NumText(123456789012345.0), "123456789012345");
    EXPECT_EQ(NumText(1e15), "1E+15");
    EXPECT_EQ(NumText(0.00001), "0.00001");
    EXPECT_EQ(NumText(1.5e-6), "1.5E-06");
    EXPECT_EQ(NumText(-2.5e300), "-2.5E+300");
}

TEST(NumText, TopOfTheRangeReadsBackFinite) {
    const double max = std::numeric_limits<double>::max();
    EXPECT_EQ(NumText(max), "1.79769313486231E+308");
    EXPECT_EQ(NumText(-max), "-1.79769313486231E+308");
    EXPECT_TRUE(std::isfinite(Val(NumText(max))));
    EXPECT_EQ(NumText(1.79769313486231e308), "1.79769313486231E+308");
    EXPECT_EQ(NumText(1.7976931348623e308), "1.7976931348623E+308");
}

TEST(NumText, ReadsBackToTheSameFifteenDigitValue) {
    std::mt19937_64 gen(7);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-320, 300);
    for (int i = 0; i < 20000; ++i) {
        const double v = mantissa(gen) * std::pow(10.0, exponent(gen));
        if (!std::isfinite(v)) continue;
        const std::string text = NumText(v);
        char fifteen[64];
        std::snprintf(fifteen, sizeof fifteen, "%.14e", v);
        EXPECT_EQ(Val(text), std::strtod(fifteen, nullptr)) << text;
        EXPECT_EQ(NumText(Val(text)), text);
    }
}

// The texts of the boxes, the data file, the PDF pages and the tracking line are those the C library writes
// and reads in the C locale, also where the locale has a decimal comma (Qt sets the user's at start-up).
TEST(NumText, CommaDecimalLocaleWritesAndReadsAsTheCLocale) {
    std::mt19937_64 gen(11);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-8, 8);
    struct Case {
        double v;
        std::string text, fixed1, fixed4, general;
    };
    std::vector<Case> cases;
    for (int i = 0; i < 5000; ++i) {
        const double v = mantissa(gen) * std::pow(10.0, exponent(gen));
        char fixed1[400], fixed4[400], general[64];
        std::snprintf(fixed1, sizeof fixed1, "%.1f", v);
        std::snprintf(fixed4, sizeof fixed4, "%.4f", v);
        std::snprintf(general, sizeof general, "%g", v);
        cases.push_back({v, NumText(v), fixed1, fixed4, general});
    }
    const ScopedLocale comma(kCommaLocale);
    ASSERT_TRUE(comma.Is(',')) << kCommaLocale << " is missing: tools/setup-debian.sh generates it";
    EXPECT_EQ(Val("0.051"), 0.051);
    EXPECT_EQ(Val(" -1.5D+2 "), -150);
    EXPECT_EQ(DecimalNumber("0.5"), 0.5);
    EXPECT_EQ(DecimalNumber(" +2.5e1"), 25);
    for (const char* bad : {"", "0,5", "1.5 mm", "inf", "nan", "1e999", "+-1", "0x10"})
        EXPECT_FALSE(DecimalNumber(bad)) << bad;
    for (const Case& c : cases) {
        EXPECT_EQ(NumText(c.v), c.text);
        EXPECT_EQ(NumText(Val(c.text)), c.text);
        EXPECT_EQ(DecimalNumber(c.text), Val(c.text)) << c.text;
        EXPECT_EQ(FixedText(c.v, 1), c.fixed1);
        EXPECT_EQ(FixedText(c.v, 4), c.fixed4);
        EXPECT_EQ(ShortText(c.v), c.general);
    }
}

TEST(Rounding, HalfEvenAndSingle) {
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(104.5), 104);
    EXPECT_EQ(ToInt16(32767.4), 32767);
    EXPECT_FALSE(ToInt16(32767.5));
    EXPECT_FALSE(ToInt16(-32769));
    EXPECT_FALSE(ToInt16(NAN));
    EXPECT_EQ(fl(1e39), std::numeric_limits<float>::infinity());
    EXPECT_GT(fl(1e-45), 0.0f);
    EXPECT_EQ(fl(0.1), 0.1f);
}

// Whole 2 MB pages, zeroed, and handed over by a move.
TEST(HugePageBuffer, AlignedZeroedAndMovable) {
    constexpr std::size_t kHuge = std::size_t{2} << 20;
    velmora::HugePageBuffer buffer(kHuge + 1);
    ASSERT_NE(buffer.data(), nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.data()) % kHuge, 0u);
    EXPECT_EQ(buffer.size(), 2 * kHuge);
    auto* bytes = static_cast<unsigned char*>(buffer.data());
    EXPECT_EQ(bytes[0] | bytes[kHuge] | bytes[2 * kHuge - 1], 0);
    bytes[2 * kHuge - 1] = 7;
    velmora::HugePageBuffer moved(std::move(buffer));
    EXPECT_EQ(buffer.data(), nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(moved.data())[2 * kHuge - 1], 7);
    EXPECT_EQ(velmora::HugePageBuffer(0).data(), nullptr);
}
