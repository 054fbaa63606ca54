#include "engine/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace kalvoren {
namespace {

struct FormatCase {
    double value;
    const char* expected;
};

TEST(NumberFormatTest, FixedFourDecimals) {
    const FormatCase cases[] = {
        {1.98765, "1.9877"},  // the nearest double lies below the half: 15 digits first
        {0.0, "0.0000"},
        {-0.0, "0.0000"},
        {1234.5, "1,234.5000"},
        {-1234.56789, "-1,234.5679"},
        {0.00005, "0.0001"},
        {-0.00005, "-0.0001"},
        {0.000049, "0.0000"},
        {-0.00004, "0.0000"},  // rounds to zero: no minus
        {0.4, "0.4000"},
        {0.40004, "0.4000"},
        {9.99995, "10.0000"},
        {999999.99995, "1,000,000.0000"},
        {1234567.0, "1,234,567.0000"},
        {0.1 + 0.2, "0.3000"},
        {2.00005, "2.0001"},
        {1.5e20, "150,000,000,000,000,000,000.0000"},
        {-1e15, "-1,000,000,000,000,000.0000"},
        {1e-20, "0.0000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatFixed(c.value, 4), c.expected) << c.value;
    }
}

TEST(NumberFormatTest, FixedTwoDecimals) {
    const FormatCase cases[] = {
        {1.98765, "1.99"}, {0.0, "0.00"},      {1234.5, "1,234.50"}, {-1234.56789, "-1,234.57"},
        {0.005, "0.01"},   {1.005, "1.01"},  // 1.005 is stored below
        {-0.004, "0.00"},  {99.995, "100.00"}, {100.0, "100.00"},    {123456.789, "123,456.79"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatFixed(c.value, 2), c.expected) << c.value;
    }
}

TEST(NumberFormatTest, Whole) {
    const FormatCase cases[] = {
        {0.4, ""},
        {0.3, ""},
        {0.0, ""},
        {-0.4, ""},
        {0.5, "1"},
        {-0.5, "-1"},
        {1234.6, "1235"},
        {-0.6, "-1"},
        {2.5, "3"},
        {1234.4, "1234"},
        {987.3, "987"},
        {12345678.0, "12345678"},
        {1e20, "100000000000000000000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatWhole(c.value), c.expected) << c.value;
    }
}

TEST(NumberFormatTest, General) {
    const FormatCase cases[] = {
        {51.2, "51.2"},
        {0.0, "0"},
        {-0.0, "0"},
        {5.0, "5"},
        {-3.25, "-3.25"},
        {0.1 + 0.2, "0.3"},
        {1e-5, "1E-05"},
        {5e-5, "5E-05"},
        {-5e-5, "-5E-05"},
        {0.0001, "0.0001"},
        {0.00012345, "0.00012345"},
        {1.5e20, "1.5E+20"},
        {1e15, "1E+15"},
        {999999999999999.0, "999999999999999"},
        {123456789012345.0, "123456789012345"},
        {1234567890123456.0, "1.23456789012346E+15"},
        {999999999999999.9, "1E+15"},  // rounding to 15 digits moves the exponent
        {2.0 / 3.0, "0.666666666666667"},
        {100.0, "100"},
        {1e100, "1E+100"},
        {1.7976931348623157e308, "1.79769313486232E+308"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatGeneral(c.value), c.expected) << c.value;
    }
}

// Numbers of up to three integer digits (four for "####") take a shorter path than
// longer ones; the results must not tell where it ends.
TEST(NumberFormatTest, AroundTheDigitCountsOfShortNumbers) {
    const FormatCase four[] = {
        {9.99994, "9.9999"},       {99.99996, "100.0000"},      {999.99994, "999.9999"},
        {999.99996, "1,000.0000"}, {-999.99996, "-1,000.0000"}, {12.3456, "12.3456"},
        {-0.5, "-0.5000"},         {123.4567, "123.4567"},      {1000.0, "1,000.0000"},
    };
    for (const auto& c : four) EXPECT_EQ(formatFixed(c.value, 4), c.expected) << c.value;
    const FormatCase two[] = {
        {999.994, "999.99"}, {999.996, "1,000.00"}, {-9.996, "-10.00"},
        {42.0, "42.00"},     {0.07, "0.07"},        {-0.004, "0.00"},
    };
    for (const auto& c : two) EXPECT_EQ(formatFixed(c.value, 2), c.expected) << c.value;
    const FormatCase whole[] = {
        {999.5, "1000"},    {9999.4, "9999"}, {9999.5, "10000"}, {-9999.6, "-10000"},
        {12345.6, "12346"}, {7.0, "7"},       {-42.5, "-43"},
    };
    for (const auto& c : whole) EXPECT_EQ(formatWhole(c.value), c.expected) << c.value;
    const FormatCase fixed0[] = {{999.4, "999"}, {999.5, "1,000"}, {-1234.5, "-1,235"}};
    for (const auto& c : fixed0) EXPECT_EQ(formatFixed(c.value, 0), c.expected) << c.value;
}

TEST(NumberFormatTest, TypedAnalysesKeepTheirDigits) {
    const FormatCase cases[] = {
        {1.2, "1.2"},
        {0.28, "0.28"},
        {-8.38, "-8.38"},
        {1325.0, "1325"},
        {0.000123, "0.000123"},
        {123456.123456, "123456.123456"},
        {0.1234567, "0.1234567"},
        {999999999.0, "999999999"},
        {1e9, "1000000000"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatGeneral(c.value), c.expected) << c.value;
}

// The writers that fill a caller's buffer: the same texts, and the longest number fits
// the room they ask for.
TEST(NumberFormatTest, BufferWritersGiveTheSameTextsWithinTheirBound) {
    std::string buffer(kNumberTextBound, '#');
    auto written = [&](char* end) { return std::string(buffer.data(), end); };
    for (double v : {0.0, 0.5, -12.34567, 999.99996, 1234567.891, 1.5e20, -1e-20}) {
        EXPECT_EQ(written(writeFixed4(buffer.data(), v)), formatFixed(v, 4)) << v;
        EXPECT_EQ(written(writeFixed2(buffer.data(), v)), formatFixed(v, 2)) << v;
        EXPECT_EQ(written(writeFixed(buffer.data(), v, 4)), formatFixed(v, 4)) << v;
        EXPECT_EQ(written(writeWhole(buffer.data(), v)), formatWhole(v)) << v;
        EXPECT_EQ(written(writeGeneral(buffer.data(), v)), formatGeneral(v)) << v;
    }
    // 309 integer digits, 102 separators, the point, 4 decimals and the sign.
    const double largest = -std::numeric_limits<double>::max();
    EXPECT_EQ(formatFixed(largest, 4).size(), 417u);
    EXPECT_EQ(formatFixed(largest, 10).size(), 423u);
    EXPECT_LE(formatFixed(largest, 10).size(), kNumberTextBound);
}

TEST(NumberFormatTest, BlankIsEmptyUnderEveryFormat) {
    const Quantity blank = Quantity::blank();
    EXPECT_EQ(formatGeneral(blank), "");
    EXPECT_EQ(formatFixed(blank, 4), "");
    EXPECT_EQ(formatFixed(blank, 2), "");
    EXPECT_EQ(formatWhole(blank), "");
    // Non-finite inputs become blank on construction, so no "inf" text can appear.
    EXPECT_EQ(formatGeneral(Quantity(std::numeric_limits<double>::infinity())), "");
    EXPECT_EQ(formatFixed(Quantity(-std::numeric_limits<double>::infinity()), 4), "");
}

TEST(NumberFormatTest, AppendsToExistingText) {
    std::string out = "x";
    appendFixed(out, 1.0, 4);
    appendGeneral(out, 2.0);
    appendWhole(out, 3.0);
    appendWhole(out, 0.1);
    EXPECT_EQ(out, "x1.000023");
}

// Round trip and the fast and exact paths agreeing: a value read back from its 4-decimal
// text differs from the value by at most half a unit of the last place.
TEST(NumberFormatTest, FixedStaysWithinHalfAUnit) {
    for (int i = -200000; i <= 200000; i += 7) {
        const double x = i * 0.0000731 + 0.5 * (i % 3);
        std::string s = formatFixed(x, 4);
        std::string plain;
        for (char c : s) {
            if (c != kSeparators.group) plain.push_back(c == kSeparators.decimal ? '.' : c);
        }
        const double back = std::stod(plain);
        ASSERT_LE(std::fabs(back - x), 0.00005 + 1e-12) << x << " -> " << s;
        ASSERT_EQ(s.find("nan"), std::string::npos);
    }
}

}  // namespace
}  // namespace kalvoren
