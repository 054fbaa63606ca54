// Numbers at the edges of a double and cells no analysis would hold: subnormals, the
// largest doubles, halves that only the 15-digit step makes, and cells of 10 MB. Each
// gives its defined text or value, quickly, and never "nan" or "inf".

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <string>

#include "engine/LeadingNumber.h"
#include "engine/NumberFormat.h"

namespace kalvoren {
namespace {

constexpr double kSmallestSubnormal = std::numeric_limits<double>::denorm_min();  // 4.94e-324
constexpr double kSmallestNormal = std::numeric_limits<double>::min();            // 2.23e-308
constexpr double kLargest = std::numeric_limits<double>::max();                   // 1.80e308

std::string repeated(const std::string& unit, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += unit;
    return out;
}

TEST(HostileNumbers, GeneralTextsOfTheExtremeDoubles) {
    const struct {
        double value;
        std::string expected;
    } cases[] = {
        // The shortest text that reads back: a subnormal has fewer than 15 digits to give.
        {kSmallestSubnormal, "5E-324"},
        {-kSmallestSubnormal, "-5E-324"},
        {kSmallestNormal, "2.2250738585072E-308"},  // 2.22507385850720 to 15 digits
        {kLargest, "1.79769313486232E+308"},
        {-kLargest, "-1.79769313486232E+308"},
        {std::numeric_limits<double>::quiet_NaN(), ""},
        {std::numeric_limits<double>::infinity(), ""},
        {-std::numeric_limits<double>::infinity(), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(formatGeneral(c.value), c.expected) << c.value;
}

TEST(HostileNumbers, RoundedTextsOfTheExtremeDoubles) {
    // 1.79769313486232E+308 written out: 15 digits and 294 zeros, grouped by thousands.
    const std::string largest = "179,769,313,486,232" + repeated(",000", 98);
    const struct {
        double value;
        std::string four, two, whole;
    } cases[] = {
        {kSmallestSubnormal, "0.0000", "0.00", ""},
        {-kSmallestSubnormal, "0.0000", "0.00", ""},
        {kLargest, largest + ".0000", largest + ".00", "179769313486232" + std::string(294, '0')},
        {-kLargest, "-" + largest + ".0000", "-" + largest + ".00",
         "-179769313486232" + std::string(294, '0')},
        // 2^52 - 0.5 is 4503599627370495.5: to 15 digits 4.50359962737050E+15.
        {4503599627370495.5, "4,503,599,627,370,500.0000", "4,503,599,627,370,500.00",
         "4503599627370500"},
        // 1.00005 is stored a little below the half; to 15 digits it is the half.
        {1.00005, "1.0001", "1.00", "1"},
        {-1.00005, "-1.0001", "-1.00", "-1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatFixed(c.value, 4), c.four) << c.value;
        EXPECT_EQ(formatFixed(c.value, 2), c.two) << c.value;
        EXPECT_EQ(formatWhole(c.value), c.whole) << c.value;
    }
}

TEST(HostileNumbers, TheLargestDoublesWriteATextThatReadsBackBlank) {
    // Their 15-digit text lies above the largest double: reading it is an overflow, which
    // is blank; one step lower reads back.
    EXPECT_TRUE(readLeadingNumber(formatGeneral(kLargest)).isBlank());
    EXPECT_EQ(readLeadingNumber(formatGeneral(1.79769313486231e308)).value(), 1.79769313486231e308);
    EXPECT_EQ(readLeadingNumber(formatGeneral(kSmallestSubnormal)).value(), kSmallestSubnormal);
}

TEST(HostileNumbers, TenMegabyteCellsReadQuicklyToTheirDefinedValues) {
    const std::size_t tenMegabytes = std::size_t{10} << 20;
    const auto start = std::chrono::steady_clock::now();

    const CellNumber digits = readCellNumber(std::string(tenMegabytes, '9'));
    EXPECT_TRUE(digits.value.isBlank());  // far too large for a double
    EXPECT_TRUE(digits.plain);

    const CellNumber blanks = readCellNumber(std::string(tenMegabytes, ' '));
    EXPECT_EQ(blanks.value, 0.0);
    EXPECT_TRUE(blanks.plain);

    // 0.000...1 with ten million zeros: too small to tell from 0.
    const CellNumber tiny = readCellNumber("0." + std::string(tenMegabytes, '0') + "1");
    EXPECT_EQ(tiny.value, 0.0);
    EXPECT_TRUE(tiny.plain);

    // A number, then ten megabytes of text: read as the number, not plain.
    const CellNumber trailed = readCellNumber("51.2" + std::string(tenMegabytes, 'x'));
    EXPECT_EQ(trailed.value, 51.2);
    EXPECT_FALSE(trailed.plain);

    // Digits with blanks between them are one number.
    const CellNumber spread = readCellNumber(repeated("1 ", 1 << 20));
    EXPECT_TRUE(spread.value.isBlank());
    EXPECT_TRUE(spread.plain);

    EXPECT_TRUE(readTemperature(std::string(tenMegabytes, '1')).isBlank());
    EXPECT_TRUE(readTemperature(std::string(tenMegabytes, ' ')).isBlank());
    EXPECT_EQ(readTemperature(" " + std::string(1 << 20, '0') + "1150 ").value(), 1150.0);

    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 10.0);
}

}  // namespace
}  // namespace kalvoren
