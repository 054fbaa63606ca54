#include "engine/NumberFormat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace kalvoren {

namespace {

// The decimal digits of a finite, non-zero double: value = 0.d1d2...dn x 10^(exponent + 1),
// i.e. d1.d2...dn x 10^exponent. No leading or trailing zeros in `digits`.
struct DecimalDigits {
    std::array<char, 24> digits{};
    int count = 0;
    int exponent = 0;
};

// Parses the output of std::to_chars in scientific form: "-d.ddde+XX".
DecimalDigits parseScientific(const char* first, const char* last) {
    DecimalDigits d;
    const char* p = first;
    if (p != last && *p == '-') ++p;
    while (p != last && *p != 'e') {
        if (*p != '.' && d.count < static_cast<int>(d.digits.size())) d.digits[d.count++] = *p;
        ++p;
    }
    if (p != last) ++p;  // 'e'
    int exponent = 0;
    std::from_chars(p[0] == '+' ? p + 1 : p, last, exponent);
    d.exponent = exponent;
    while (d.count > 1 && d.digits[d.count - 1] == '0') --d.count;
    return d;
}

// The value taken to at most 15 significant digits (round to nearest), |x| as digits.
DecimalDigits fifteenDigits(double x) {
    std::array<char, 40> buf{};
    auto shortest =
        std::to_chars(buf.data(), buf.data() + buf.size(), x, std::chars_format::scientific);
    DecimalDigits d = parseScientific(buf.data(), shortest.ptr);
    if (d.count <= 15) return d;  // the shortest round-trip text is already the 15-digit value
    auto fifteen =
        std::to_chars(buf.data(), buf.data() + buf.size(), x, std::chars_format::scientific, 14);
    return parseScientific(buf.data(), fifteen.ptr);
}

void appendGrouped(std::string& out, const char* digits, int count) {
    for (int i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) out.push_back(kSeparators.group);
        out.push_back(digits[i]);
    }
}

// Writes a rounded magnitude given as `units` of 10^-decimals (decimals at most 10),
// built backwards in a local buffer and appended at once.
void appendUnits(std::string& out, bool negative, std::uint64_t units, int decimals, bool grouped,
                 bool emptyWhenZero) {
    const bool zero = units == 0;
    if (zero && emptyWhenZero) return;
    std::array<char, 64> buf;
    char* const end = buf.data() + buf.size();
    char* p = end;
    for (int i = 0; i < decimals; ++i) {
        *--p = static_cast<char>('0' + units % 10);
        units /= 10;
    }
    if (decimals > 0) *--p = kSeparators.decimal;
    int written = 0;
    do {
        if (grouped && written > 0 && written % 3 == 0) *--p = kSeparators.group;
        *--p = static_cast<char>('0' + units % 10);
        units /= 10;
        ++written;
    } while (units != 0);
    if (negative && !zero) *--p = '-';
    out.append(p, static_cast<std::size_t>(end - p));
}

// The exact path: the 15-digit decimal of x rounded half away from zero to `decimals`
// places, by decimal digit arithmetic. Handles any magnitude.
void appendRoundedExact(std::string& out, double x, int decimals, bool grouped,
                        bool emptyWhenZero) {
    const bool negative = x < 0.0;
    const DecimalDigits d = fifteenDigits(std::fabs(x));
    // Digits kept: those down to 10^-decimals.
    const int keep = d.exponent + 1 + decimals;
    if (keep < 0) {  // below half a unit of the last place
        appendUnits(out, negative, 0, decimals, grouped, emptyWhenZero);
        return;
    }
    // The kept digits, right-aligned after at least one integer place and a slot for a
    // carry. A double has at most 309 integer digits, so the buffer never overflows.
    std::array<char, 330> digits{};
    const int places = (keep > decimals + 1 ? keep : decimals + 1) + 1;
    const std::size_t size = static_cast<std::size_t>(places);
    if (size > digits.size()) return;  // only with an unsupported number of decimals
    std::memset(digits.data(), '0', size);
    const std::size_t first = size - static_cast<std::size_t>(keep);
    for (int i = 0; i < keep && i < d.count; ++i) {
        digits[first + static_cast<std::size_t>(i)] = d.digits[static_cast<std::size_t>(i)];
    }
    const bool roundUp = keep < d.count && d.digits[static_cast<std::size_t>(keep)] >= '5';
    if (roundUp) {
        std::size_t i = size - 1;
        while (digits[i] == '9') digits[i--] = '0';
        ++digits[i];
    }
    bool zero = true;
    for (std::size_t i = 0; i < size; ++i) zero = zero && digits[i] == '0';
    if (zero) {
        appendUnits(out, negative, 0, decimals, grouped, emptyWhenZero);
        return;
    }
    const std::size_t intEnd = size - static_cast<std::size_t>(decimals);
    std::size_t start = 0;
    while (start + 1 < intEnd && digits[start] == '0') ++start;
    if (negative) out.push_back('-');
    const int intLen = static_cast<int>(intEnd - start);
    if (grouped) {
        appendGrouped(out, digits.data() + start, intLen);
    } else {
        out.append(digits.data() + start, static_cast<std::size_t>(intLen));
    }
    if (decimals > 0) {
        out.push_back(kSeparators.decimal);
        out.append(digits.data() + intEnd, static_cast<std::size_t>(decimals));
    }
}

constexpr std::array<double, 5> kPowersOfTen{1.0, 10.0, 100.0, 1000.0, 10000.0};

void appendRounded(std::string& out, Quantity q, int decimals, bool grouped, bool emptyWhenZero) {
    if (q.isBlank()) return;
    const double x = q.value();
    if (decimals >= static_cast<int>(kPowersOfTen.size())) {
        appendRoundedExact(out, x, decimals, grouped, emptyWhenZero);
        return;
    }
    // Fast path: scale in binary and round, unless the scaled value lies so near a half
    // that the 15-digit step or the scaling error could change the outcome.
    const double y = std::fabs(x) * kPowersOfTen[static_cast<std::size_t>(decimals)];
    if (y < 1e12) {
        const double whole = std::floor(y);
        const double frac = y - whole;
        if (std::fabs(frac - 0.5) > 1e-13 * (y + 1.0)) {
            auto units = static_cast<std::uint64_t>(whole) + (frac > 0.5 ? 1 : 0);
            appendUnits(out, x < 0.0, units, decimals, grouped, emptyWhenZero);
            return;
        }
    }
    appendRoundedExact(out, x, decimals, grouped, emptyWhenZero);
}

// Fast path of the general number for values with at most 6 decimals and below 1e9, as
// typed analyses are: the fewest decimals k for which the integer m = x 10^k divides back
// exactly to x give the shortest text (m and 10^k are exact doubles, and the division is
// correctly rounded, as reading "m / 10^k" would be). Returns false when it does not apply.
bool appendShortDecimal(std::string& out, double x) {
    constexpr std::array<double, 7> kScale{1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
    const double a = std::fabs(x);
    if (!(a >= 1e-4 && a < 1e9)) return false;
    for (std::size_t k = 0; k < kScale.size(); ++k) {
        const double m = std::nearbyint(a * kScale[k]);
        if (m / kScale[k] != a) continue;
        auto units = static_cast<std::uint64_t>(m);
        std::array<char, 32> buf;
        char* const end = buf.data() + buf.size();
        char* p = end;
        for (std::size_t i = 0; i < k; ++i) {
            *--p = static_cast<char>('0' + units % 10);
            units /= 10;
        }
        if (k > 0) *--p = kSeparators.decimal;
        do {
            *--p = static_cast<char>('0' + units % 10);
            units /= 10;
        } while (units != 0);
        if (x < 0.0) *--p = '-';
        out.append(p, static_cast<std::size_t>(end - p));
        return true;
    }
    return false;
}

}  // namespace

void appendGeneral(std::string& out, Quantity q) {
    if (q.isBlank()) return;
    const double x = q.value();
    if (x == 0.0) {  // also -0
        out.push_back('0');
        return;
    }
    if (appendShortDecimal(out, x)) return;
    if (x < 0.0) out.push_back('-');
    const DecimalDigits d = fifteenDigits(std::fabs(x));
    const int e = d.exponent;
    if (e >= -4 && e < 15) {
        if (e >= 0) {
            for (int i = 0; i <= e; ++i) out.push_back(i < d.count ? d.digits[i] : '0');
            if (d.count > e + 1) {
                out.push_back(kSeparators.decimal);
                out.append(d.digits.data() + e + 1, static_cast<std::size_t>(d.count - e - 1));
            }
        } else {
            out.push_back('0');
            out.push_back(kSeparators.decimal);
            out.append(static_cast<std::size_t>(-e - 1), '0');
            out.append(d.digits.data(), static_cast<std::size_t>(d.count));
        }
        return;
    }
    out.push_back(d.digits[0]);
    if (d.count > 1) {
        out.push_back(kSeparators.decimal);
        out.append(d.digits.data() + 1, static_cast<std::size_t>(d.count - 1));
    }
    out.push_back('E');
    out.push_back(e < 0 ? '-' : '+');
    const int magnitude = e < 0 ? -e : e;
    if (magnitude < 10) out.push_back('0');
    std::array<char, 8> buf{};
    auto r = std::to_chars(buf.data(), buf.data() + buf.size(), magnitude);
    out.append(buf.data(), r.ptr);
}

void appendFixed(std::string& out, Quantity x, int decimals) {
    // The result row uses 2 and 4; anything else is kept within what the buffers hold.
    constexpr int kMaxDecimals = 10;
    if (decimals < 0) decimals = 0;
    if (decimals > kMaxDecimals) decimals = kMaxDecimals;
    appendRounded(out, x, decimals, true, false);
}

void appendWhole(std::string& out, Quantity x) {
    appendRounded(out, x, 0, false, true);
}

std::string formatGeneral(Quantity x) {
    std::string s;
    appendGeneral(s, x);
    return s;
}

std::string formatFixed(Quantity x, int decimals) {
    std::string s;
    appendFixed(s, x, decimals);
    return s;
}

std::string formatWhole(Quantity x) {
    std::string s;
    appendWhole(s, x);
    return s;
}

}  // namespace kalvoren
