#include "entry/Windows1252.h"

#include <gtest/gtest.h>

#include <string>

namespace kalvoren {
namespace {

TEST(Windows1252, EveryByteDecodesAndEncodesBackToItself) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = utf8FromWindows1252(all);
    const Windows1252Text back = windows1252FromUtf8(utf8);
    EXPECT_TRUE(back.lossless());
    EXPECT_EQ(back.bytes, all);
}

TEST(Windows1252, DecodesTheHighBytes) {
    const struct {
        unsigned char byte;
        const char* utf8;
    } cases[] = {
        {0x41, "A"},        {0x80, "\xE2\x82\xAC"},  // euro sign
        {0x81, "\xC2\x81"},                          // undefined: the C1 control of the same number
        {0x8D, "\xC2\x8D"}, {0x8F, "\xC2\x8F"},     {0x90, "\xC2\x90"},
        {0x9D, "\xC2\x9D"}, {0x96, "\xE2\x80\x93"},  // en dash
        {0x9F, "\xC5\xB8"},                          // Y with diaeresis
        {0xB0, "\xC2\xB0"},                          // degree sign
        {0xB1, "\xC2\xB1"},                          // plus-minus
        {0xFF, "\xC3\xBF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(utf8FromWindows1252(std::string(1, static_cast<char>(c.byte))), c.utf8)
            << int{c.byte};
}

TEST(Windows1252, PlusMinusRoundTrips) {
    const std::string text = "Mg# \xC2\xB1 Fe";  // "Mg# ± Fe"
    const Windows1252Text encoded = windows1252FromUtf8(text);
    EXPECT_TRUE(encoded.lossless());
    EXPECT_EQ(encoded.bytes, "Mg# \xB1 Fe");
    EXPECT_EQ(utf8FromWindows1252(encoded.bytes), text);
}

TEST(Windows1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    const struct {
        const char* utf8;
        const char* bytes;
        std::size_t replaced;
    } cases[] = {
        {"\xCE\xB1-Fe", "?-Fe", 1},        // Greek alpha
        {"T \xE2\x84\x83", "T ?", 1},      // degree Celsius sign
        {"a\xF0\x9F\x98\x80z", "a?z", 1},  // a four-byte character
        {"\xC2\x80", "?", 1},              // C1 control with no byte of its own
        {"\xE2\x82\xAC 5", "\x80 5", 0},   // euro sign is held
    };
    for (const auto& c : cases) {
        const Windows1252Text encoded = windows1252FromUtf8(c.utf8);
        EXPECT_EQ(encoded.bytes, c.bytes) << c.utf8;
        EXPECT_EQ(encoded.replaced, c.replaced) << c.utf8;
    }
}

TEST(Windows1252, InvalidUtf8IsReplacedNotTrusted) {
    const struct {
        std::string utf8;
        std::string bytes;
    } cases[] = {
        {"a\x80z", "a?z"},             // stray continuation byte
        {"a\xE2\x82", "a??"},          // cut-off sequence at the end
        {"\xC0\xAF", "??"},            // overlong "/"
        {"\xED\xA0\x80z", "???z"},     // surrogate
        {"\xF4\x90\x80\x80", "????"},  // beyond U+10FFFF
        {"\xFF\xFE", "??"},            // bytes that never occur in UTF-8
        {std::string("x\0y", 3), std::string("x\0y", 3)},
    };
    for (const auto& c : cases) {
        const Windows1252Text encoded = windows1252FromUtf8(c.utf8);
        EXPECT_EQ(encoded.bytes, c.bytes);
        std::size_t questionMarks = 0;
        for (char ch : c.bytes) questionMarks += ch == '?' ? 1 : 0;
        EXPECT_EQ(encoded.replaced, questionMarks);
    }
}

}  // namespace
}  // namespace kalvoren
