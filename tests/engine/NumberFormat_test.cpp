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
