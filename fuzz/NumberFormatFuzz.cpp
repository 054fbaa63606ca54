// The number formats of the result row fed arbitrary doubles: NaN, infinities,
// subnormals, ±1e308, and decimal values that lie on or next to a rounding half.
//
// Properties, for every double x:
// - a value that is not finite is blank and gives the empty text under every format;
// - no text holds "nan" or "inf";
// - general: the text is the shortest that reads back as x when 15 significant digits
//   suffice, else x to 15 digits as C's "%.15G" (-0 as "0"); it reads back through the
//   leading-number conversion to a value that formats to the same text, within half a
//   unit of the 15th digit of x;
// - "#,##0.0000" / "#,##0.00" / "####": the text is x taken to 15 significant digits and
//   then rounded half away from zero, worked out here by decimal digit arithmetic, with
//   the thousands grouped (not in "####") and 0 written as "" in "####".

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "engine/LeadingNumber.h"
#include "engine/NumberFormat.h"

namespace {

using kalvoren::Quantity;

// The shortest digits (at most 15) that read back as x, or else x to 15 digits, laid out
// as C's "%G" lays out 15 digits: plain for 1e-4 <= |x| < 1e15, otherwise d.dddE+XX;
// -0 is "0".
std::string expectedGeneral(double x) {
    if (x == 0.0) return "0";
    char buf[64];
    int digits = 1;
    for (; digits < 15; ++digits) {
        std::snprintf(buf, sizeof buf, "%.*E", digits - 1, x);
        if (std::strtod(buf, nullptr) == x) break;
    }
    std::snprintf(buf, sizeof buf, "%.*E", digits - 1, x);  // -d.dddE+XX
    std::string mantissa;
    const char* p = buf;
    for (; *p != 'E'; ++p)
        if (*p >= '0' && *p <= '9') mantissa.push_back(*p);
    const int exponent = std::atoi(p + 1);
    while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
    std::string out = x < 0.0 ? "-" : "";
    if (exponent >= -4 && exponent < 15) {
        if (exponent < 0) {
            out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + mantissa;
        } else {
            const auto whole = static_cast<std::size_t>(exponent) + 1;
            if (mantissa.size() <= whole) {
                out += mantissa + std::string(whole - mantissa.size(), '0');
            } else {
                out += mantissa.substr(0, whole) + "." + mantissa.substr(whole);
            }
        }
        return out;
    }
    out += mantissa.substr(0, 1);
    if (mantissa.size() > 1) out += "." + mantissa.substr(1);
    char tail[16];
    std::snprintf(tail, sizeof tail, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return out + tail;
}

// x (finite) taken to 15 significant digits, then rounded half away from zero to
// `decimals` places; grouped by thousands when asked. "" for a zero in "####".
std::string expectedRounded(double x, int decimals, bool grouped, bool emptyWhenZero) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(x));  // d.dddddddddddddde±XX
    std::string digits;
    const char* p = buf;
    for (; *p != 'e'; ++p)
        if (*p != '.') digits.push_back(*p);
    const int exponent = std::atoi(p + 1);
    // value = 0.digits x 10^(exponent + 1); keep the digits down to 10^-decimals.
    const int keep = exponent + 1 + decimals;
    std::string kept;  // the integer count of 10^-decimals units, as decimal text
    if (keep <= 0) {
        // Below the last place; rounds up only when it reaches half of it.
        kept = (keep == 0 && digits[0] >= '5') ? "1" : "0";
    } else {
        for (int i = 0; i < keep; ++i)
            kept.push_back(i < static_cast<int>(digits.size()) ? digits[i] : '0');
        if (keep < static_cast<int>(digits.size()) && digits[keep] >= '5') {
            int i = static_cast<int>(kept.size()) - 1;
            while (i >= 0 && kept[i] == '9') kept[i--] = '0';
            if (i < 0)
                kept.insert(kept.begin(), '1');
            else
                ++kept[i];
        }
    }
    const std::size_t firstNonZero = kept.find_first_not_of('0');
    const bool zero = firstNonZero == std::string::npos;
    if (zero && emptyWhenZero) return "";
    kept = zero ? std::string("0") : kept.substr(firstNonZero);
    if (static_cast<int>(kept.size()) <= decimals)
        kept.insert(0, static_cast<std::size_t>(decimals + 1) - kept.size(), '0');
    const std::string whole = kept.substr(0, kept.size() - static_cast<std::size_t>(decimals));
    const std::string fraction = kept.substr(kept.size() - static_cast<std::size_t>(decimals));
    std::string out;
    if (x < 0.0 && !zero) out.push_back('-');
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (grouped && i > 0 && (whole.size() - i) % 3 == 0) out.push_back(',');
        out.push_back(whole[i]);
    }
    if (decimals > 0) out += "." + fraction;
    return out;
}

// Says which value a failed check was about, so that the finding can become a test.
bool agrees(const std::string& got, const std::string& expected, double x) {
    if (got == expected) return true;
    std::fprintf(stderr, "x = %.17g (%a): program \"%s\", expected \"%s\"\n", x, x, got.c_str(),
                 expected.c_str());
    return false;
}

void checkGeneral(double x) {
    const std::string general = kalvoren::formatGeneral(Quantity(x));
    FUZZ_REQUIRE(!kalvoren::fuzz::holdsNanOrInf(general));
    if (!std::isfinite(x)) {
        FUZZ_REQUIRE(general.empty());
        return;
    }
    FUZZ_REQUIRE(agrees(general, expectedGeneral(x), x));
    const Quantity back = kalvoren::readLeadingNumber(general);
    if (back.isBlank()) {
        // Only the very largest doubles: their 15-digit text lies above DBL_MAX.
        FUZZ_REQUIRE(std::fabs(x) > 1.797693134862315e308);
        return;
    }
    FUZZ_REQUIRE(agrees(kalvoren::formatGeneral(back), general, x));
    // Half a unit of the 15th significant digit, and the spacing of doubles at x (the
    // text read back is rounded once more to a double).
    const double tolerance =
        5.0000001e-15 * std::fabs(x) + std::fabs(x - std::nextafter(x, 0.0)) + DBL_TRUE_MIN;
    if (std::fabs(back.value() - x) > tolerance)
        std::fprintf(stderr, "x = %.17g (%a) reads back as %.17g from \"%s\"\n", x, x, back.value(),
                     general.c_str());
    FUZZ_REQUIRE(std::fabs(back.value() - x) <= tolerance);
}

void checkRounded(double x) {
    const Quantity q(x);
    const std::string four = kalvoren::formatFixed(q, 4);
    const std::string two = kalvoren::formatFixed(q, 2);
    const std::string whole = kalvoren::formatWhole(q);
    for (const std::string* text : {&four, &two, &whole})
        FUZZ_REQUIRE(!kalvoren::fuzz::holdsNanOrInf(*text));
    if (!std::isfinite(x)) {
        FUZZ_REQUIRE(four.empty() && two.empty() && whole.empty());
        return;
    }
    FUZZ_REQUIRE(agrees(four, expectedRounded(x, 4, true, false), x));
    FUZZ_REQUIRE(agrees(two, expectedRounded(x, 2, true, false), x));
    FUZZ_REQUIRE(agrees(whole, expectedRounded(x, 0, false, true), x));
}

// Turns 10 bytes into one double, so that the fuzzer reaches both raw bit patterns and
// the decimal values on which rounding decides.
double doubleFrom(const std::uint8_t* bytes) {
    const int mode = bytes[0] % 4;
    std::uint64_t bits = 0;
    std::memcpy(&bits, bytes + 1, sizeof bits);
    const std::uint8_t extra = bytes[9];
    double raw = 0;
    std::memcpy(&raw, &bits, sizeof raw);
    switch (mode) {
        case 0:
            return raw;
        case 1:
        case 2: {
            // n / 10^k: typed decimals such as 0.12345, on a rounding half for k = 5 or 3.
            const auto n = static_cast<std::int64_t>(bits) >> (extra % 48);
            double v = static_cast<double>(n) / std::pow(10.0, extra % 23);
            if (mode == 2) {
                // A few units of the last place either side.
                const int steps = (extra >> 5) % 4;
                for (int i = 0; i < steps; ++i)
                    v = std::nextafter(v, (bits & 1) ? INFINITY : -INFINITY);
            }
            return v;
        }
        default:
            // A finite mantissa at a moderate scale.
            if (!std::isfinite(raw)) return raw;
            int exponent = 0;
            const double mantissa = std::frexp(raw, &exponent);
            return std::ldexp(mantissa, static_cast<int>(extra % 128) - 64);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kChunk = 10;
    for (std::size_t at = 0; at + kChunk <= size; at += kChunk) {
        const double x = doubleFrom(data + at);
        checkGeneral(x);
        checkRounded(x);
    }
    return 0;
}
