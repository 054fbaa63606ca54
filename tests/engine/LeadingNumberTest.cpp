#include "engine/LeadingNumber.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace kalvoren {
namespace {

struct NumberCase {
    std::string text;
    double value;
};

class LeadingNumberValue : public ::testing::TestWithParam<NumberCase> {};

TEST_P(LeadingNumberValue, ReadsAsFarAsTheNumberGoes) {
    const NumberCase& c = GetParam();
    const Quantity q = readLeadingNumber(c.text);
    ASSERT_TRUE(q.hasValue()) << '"' << c.text << '"';
    EXPECT_DOUBLE_EQ(q.value(), c.value) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Cells, LeadingNumberValue,
    ::testing::Values(NumberCase{"", 0}, NumberCase{"   ", 0}, NumberCase{"51.23", 51.23},
                      NumberCase{"51,23", 51}, NumberCase{"1 2.5", 12.5},
                      NumberCase{" 12\t.5\n", 12.5}, NumberCase{"<0.01", 0}, NumberCase{"b.d.", 0},
                      NumberCase{"n.d.", 0}, NumberCase{"-3.5", -3.5}, NumberCase{"+4", 4},
                      NumberCase{"- 4", -4}, NumberCase{"--5", 0}, NumberCase{".5", 0.5},
                      NumberCase{"5.", 5}, NumberCase{"-.25", -0.25}, NumberCase{".", 0},
                      NumberCase{"12abc", 12}, NumberCase{"1.2.3", 1.2}, NumberCase{"&H1F", 31},
                      NumberCase{"&h1f", 31}, NumberCase{"&O17", 15}, NumberCase{"&o17", 15},
                      NumberCase{"&O18", 1}, NumberCase{"&H", 0}, NumberCase{"&X12", 0},
                      NumberCase{"& H 1 0", 16}, NumberCase{"1E3", 1000}, NumberCase{"1e3", 1000},
                      NumberCase{"1D2", 100}, NumberCase{"1d2", 100}, NumberCase{"2.5E-1", 0.25},
                      NumberCase{"1E+2", 100}, NumberCase{"1 E 2", 100}, NumberCase{"1E", 1},
                      NumberCase{"1E+", 1}, NumberCase{"1E-x", 1}, NumberCase{"1Ex", 1},
                      NumberCase{"0E999", 0}, NumberCase{"1E-400", 0},
                      NumberCase{"0.000000000001", 1e-12}, NumberCase{"12\r", 12}));

TEST(LeadingNumber, ValueTooLargeForADoubleIsBlank) {
    EXPECT_TRUE(readLeadingNumber("1E400").isBlank());
    EXPECT_TRUE(readLeadingNumber("-1D999").isBlank());
    EXPECT_TRUE(readLeadingNumber(std::string(400, '9')).isBlank());
    EXPECT_TRUE(readLeadingNumber("&H" + std::string(300, 'F')).isBlank());
    // An exponent beyond any integer type still gives blank, not a wrapped value.
    EXPECT_TRUE(readLeadingNumber("1E99999999999999999999999").isBlank());
    EXPECT_DOUBLE_EQ(readLeadingNumber("1E-99999999999999999999999").value(), 0.0);
    // Just inside the range.
    EXPECT_DOUBLE_EQ(readLeadingNumber("1.5E308").value(), 1.5e308);
}

TEST(LeadingNumber, HexadecimalIsExactBeyond53Bits) {
    EXPECT_DOUBLE_EQ(readLeadingNumber("&HFFFF").value(), 65535.0);  // never negative
    EXPECT_DOUBLE_EQ(readLeadingNumber("&H10000000000000").value(), 4503599627370496.0);
}

TEST(LeadingNumber, PlainNumbers) {
    for (const char* text : {"", "   ", "51.23", " 1 2.5 ", "&H1F", "&O17", "1E3", "1D-2", ".5",
                             "5.", "+4", "-0", "\t7\n"})
        EXPECT_TRUE(isPlainNumber(text)) << '"' << text << '"';
    for (const char* text : {"51,23", "<0.01", "b.d.", "1E", "1E+", "&H", "&O8", "-", ".", "12abc",
                             "1.2.3", "5\r", "abc"})
        EXPECT_FALSE(isPlainNumber(text)) << '"' << text << '"';
}

TEST(LeadingNumber, CellReadingAgreesWithTheSeparateCalls) {
    for (const char* text : {"", "51,23", "1 2.5", "&H1F", "1E", "x"}) {
        const CellNumber n = readCellNumber(text);
        EXPECT_EQ(n.plain, isPlainNumber(text)) << text;
        EXPECT_DOUBLE_EQ(n.value.value(), readLeadingNumber(text).value()) << text;
    }
}

// Short decimals are read without the general conversion; the value must be the very
// double that conversion gives, at the edges of that path as well.
TEST(LeadingNumber, PlainDecimalsGiveTheNearestDouble) {
    struct Case {
        const char* text;
        double value;
    };
    for (const Case c : {
             Case{"0.1", 0.1},
             Case{"51.7", 51.7},
             Case{"-8.38", -8.38},
             Case{"9007199254740992", 9007199254740992.0},        // 2^53: still exact
             Case{"9007199254740993", 9007199254740992.0},        // 2^53 + 1: the tie goes to even
             Case{"1234567890123456789", 1234567890123456768.0},  // 19 digits
             Case{"12345678901234567890", 12345678901234567168.0},  // 20 digits
             Case{"0.0000000000000000001", 1e-19},
             Case{"000123.4500", 123.45},
             Case{"7.", 7.0},
             Case{"-.25", -0.25},
         }) {
        const CellNumber n = readCellNumber(c.text);
        EXPECT_TRUE(n.plain) << c.text;
        EXPECT_EQ(n.value.value(), c.value) << c.text;
    }
    const CellNumber negativeZero = readCellNumber("-0");
    EXPECT_EQ(negativeZero.value.value(), 0.0);
    EXPECT_TRUE(std::signbit(negativeZero.value.value()));
    EXPECT_FALSE(readCellNumber("1.2.3").plain);
    EXPECT_EQ(readCellNumber("1.2.3").value.value(), 1.2);
    EXPECT_EQ(readTemperature(" 1325.5\t").value(), 1325.5);
}

TEST(Temperature, WholeTextMustBeANumber) {
    struct Case {
        const char* text;
        double value;
    };
    for (const Case c :
         {Case{"900", 900}, Case{" 900 ", 900}, Case{"\t1100.5", 1100.5}, Case{"-10", -10},
          Case{"+25", 25}, Case{"0", 0}, Case{"9E2", 900}, Case{".5", 0.5}}) {
        const Quantity t = readTemperature(c.text);
        ASSERT_TRUE(t.hasValue()) << c.text;
        EXPECT_DOUBLE_EQ(t.value(), c.value) << c.text;
    }
    for (const char* text :
         {"", " ", "9 00", "900,5", "1,100", "abc", "900C", "1E", "&H10", "1E400", "-", "."})
        EXPECT_TRUE(readTemperature(text).isBlank()) << '"' << text << '"';
}

}  // namespace
}  // namespace kalvoren
