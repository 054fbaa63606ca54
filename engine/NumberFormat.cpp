#include "engine/NumberFormat.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace kalvoren {

namespace {

// Every text is built in place at a caller's pointer: the result row formats some 190
// numbers per row, and appending to a string character by character cost more than the
// arithmetic.

// "00" "01" ... "99": two digits per division by 100.
constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

constexpr std::array<std::uint64_t, 20> kPowersOfTenInt = [] {
    std::array<std::uint64_t, 20> powers{};
    std::uint64_t p = 1;
    for (auto& v : powers) {
        v = p;
        p *= 10;
    }
    return powers;
}();

// The number of decimal digits of v (1 for 0).
int digitCount(std::uint64_t v) {
    int n = 1;
    while (n < static_cast<int>(kPowersOfTenInt.size()) &&
           v >= kPowersOfTenInt[static_cast<std::size_t>(n)])
        ++n;
    return n;
}

// Writes the lowest `count` decimal digits of v, leading zeros included, ending just
// before `end`. Returns the digits above them, v / 10^count.
std::uint64_t putDigits(char* end, std::uint64_t v, int count) {
    for (; count >= 2; count -= 2) {
        end -= 2;
        std::memcpy(end, kDigitPairs.data() + 2 * (v % 100), 2);
        v /= 100;
    }
    if (count > 0) {
        *--end = static_cast<char>('0' + v % 10);
        v /= 10;
    }
    return v;
}

// Writes v in decimal, with a group separator every three digits when `Grouped`.
template <bool Grouped>
char* putInteger(char* p, std::uint64_t v) {
    const int count = digitCount(v);
    if (!Grouped || count <= 3) {
        putDigits(p + count, v, count);
        return p + count;
    }
    char* const end = p + count + (count - 1) / 3;
    char* q = end;
    while (v >= 1000) {
        q -= 3;
        putDigits(q + 3, v % 1000, 3);
        *--q = kSeparators.group;
        v /= 1000;
    }
    putDigits(q, v, static_cast<int>(q - p));
    return end;
}

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

char* putGroupedText(char* p, const char* digits, int count) {
    for (int i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) *p++ = kSeparators.group;
        *p++ = digits[i];
    }
    return p;
}

// A value that rounds to zero: "0.0000", or nothing for the "####" format. Zero has
// no sign.
char* putZero(char* p, int decimals, bool emptyWhenZero) {
    if (emptyWhenZero) return p;
    *p++ = '0';
    if (decimals > 0) {
        *p++ = kSeparators.decimal;
        std::memset(p, '0', static_cast<std::size_t>(decimals));
        p += decimals;
    }
    return p;
}

// The exact path: the 15-digit decimal of x rounded half away from zero to `decimals`
// places, by decimal digit arithmetic. Handles any magnitude.
char* putRoundedExact(char* p, double x, int decimals, bool grouped, bool emptyWhenZero) {
    const bool negative = x < 0.0;
    const DecimalDigits d = fifteenDigits(std::fabs(x));
    // Digits kept: those down to 10^-decimals.
    const int keep = d.exponent + 1 + decimals;
    if (keep < 0) return putZero(p, decimals, emptyWhenZero);  // below half a unit
    // The kept digits, right-aligned after at least one integer place and a slot for a
    // carry. A double has at most 309 integer digits, so the buffer never overflows.
    std::array<char, 330> digits{};
    const int places = (keep > decimals + 1 ? keep : decimals + 1) + 1;
    const std::size_t size = static_cast<std::size_t>(places);
    if (size > digits.size()) return p;  // only with an unsupported number of decimals
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
    if (zero) return putZero(p, decimals, emptyWhenZero);
    const std::size_t intEnd = size - static_cast<std::size_t>(decimals);
    std::size_t start = 0;
    while (start + 1 < intEnd && digits[start] == '0') ++start;
    if (negative) *p++ = '-';
    const int intLen = static_cast<int>(intEnd - start);
    if (grouped) {
        p = putGroupedText(p, digits.data() + start, intLen);
    } else {
        std::memcpy(p, digits.data() + start, static_cast<std::size_t>(intLen));
        p += intLen;
    }
    if (decimals > 0) {
        *p++ = kSeparators.decimal;
        std::memcpy(p, digits.data() + intEnd, static_cast<std::size_t>(decimals));
        p += decimals;
    }
    return p;
}

// The two characters of a pair of digits (v < 100), as the low 16 bits of a word.
std::uint64_t digitPairBits(std::uint32_t v) {
    std::uint16_t bits;
    std::memcpy(&bits, kDigitPairs.data() + 2 * v, 2);
    return bits;
}

// A rounded number of few digits (most results), given as `units` of 10^-Decimals:
// below 1000 for "0.0000", "0.00" and "#,##0", below 10000 for "####". Its digits and
// point are laid out at fixed places in one 8-byte word and the leading zeros shifted
// out, so that no branch depends on the number of digits. (The word is built in a
// register: assembled in memory from single bytes and read back whole, it would wait
// for the stores. The zeros to drop are told by comparisons of the value, not from the
// digits, so the next field's place is known early.) Writes 8 characters at p, of which
// the returned end tells the ones that count. Little-endian layout; 32-bit arithmetic,
// which is all such a number needs.
template <int Decimals, bool Grouped>
char* putShortUnits(char* p, std::uint32_t units) {
    static_assert(Decimals == 0 || Decimals == 2 || Decimals == 4);
    constexpr auto kScale = static_cast<std::uint32_t>(kPowersOfTenInt[Decimals]);
    const std::uint32_t whole = units / kScale;
    const std::uint32_t hundreds = whole / 100;
    std::uint64_t word = 0;
    int length = 0;
    int skip = (whole < 100 ? 1 : 0) + (whole < 10 ? 1 : 0);
    if constexpr (Decimals == 0 && !Grouped) {  // up to 4 digits
        word = digitPairBits(hundreds) | digitPairBits(whole - 100 * hundreds) << 16;
        length = 4;
        skip += whole < 1000 ? 1 : 0;
    } else {  // up to 3 digits, the point and the decimals
        word = ('0' + hundreds) | digitPairBits(whole - 100 * hundreds) << 8;
        length = 3;
        if constexpr (Decimals > 0) {
            const std::uint32_t decimals = units - whole * kScale;
            word |= std::uint64_t{static_cast<unsigned char>(kSeparators.decimal)} << 24;
            if constexpr (Decimals == 4) {
                const std::uint32_t high = decimals / 100;
                word |= digitPairBits(high) << 32 | digitPairBits(decimals - 100 * high) << 48;
            } else {
                word |= digitPairBits(decimals) << 32;
            }
            length += 1 + Decimals;
        }
    }
    word >>= 8 * skip;
    std::memcpy(p, &word, 8);
    return p + length - skip;
}

// "#,##0.00", "#,##0.0000" and "####": the format is fixed at compile time so that the
// divisions by powers of ten become multiplications.
template <int Decimals, bool Grouped, bool EmptyWhenZero>
char* putRounded(char* p, Quantity q) {
    static_assert(Decimals >= 0 && Decimals <= 4);
    constexpr std::uint64_t kScale = kPowersOfTenInt[Decimals];
    if (q.isBlank()) return p;
    const double x = q.value();
    if (x == 0.0) return putZero(p, Decimals, EmptyWhenZero);  // many sites stay empty
    // Fast path: scale in binary and round, unless the scaled value lies so near a half
    // that the 15-digit step or the scaling error could change the outcome.
    const double y = std::fabs(x) * static_cast<double>(kScale);
    if (y < 1e12) {
        // 0 <= y < 1e12: truncation is the floor, and exact. (Signed conversions are
        // single instructions; unsigned ones are not.)
        const auto truncated = static_cast<std::int64_t>(y);
        const double frac = y - static_cast<double>(truncated);
        if (std::fabs(frac - 0.5) > 1e-13 * (y + 1.0)) {
            const auto units = static_cast<std::uint64_t>(truncated + (frac > 0.5 ? 1 : 0));
            if (units == 0) return putZero(p, Decimals, EmptyWhenZero);
            if (x < 0.0) *p++ = '-';
            if constexpr (std::endian::native == std::endian::little &&
                          (Decimals == 0 || Decimals == 2 || Decimals == 4)) {
                constexpr std::uint64_t kShort = Decimals == 0 && !Grouped ? 10000 : 1000 * kScale;
                if (units < kShort) {
                    return putShortUnits<Decimals, Grouped>(p, static_cast<std::uint32_t>(units));
                }
            }
            p = putInteger<Grouped>(p, units / kScale);
            if constexpr (Decimals > 0) {
                *p++ = kSeparators.decimal;
                putDigits(p + Decimals, units % kScale, Decimals);
                p += Decimals;
            }
            return p;
        }
    }
    return putRoundedExact(p, x, Decimals, Grouped, EmptyWhenZero);
}

// Fast path of the general number for values with at most 6 decimals and below 1e9, as
// typed analyses are: the fewest decimals k for which the integer m = x 10^k divides back
// exactly to x give the shortest text (m and 10^k are exact doubles, and the division is
// correctly rounded, as reading "m / 10^k" would be). Returns nullptr when it does not
// apply.
char* putShortDecimal(char* p, double x) {
    static constexpr std::array<double, 7> kScale{1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
    const double a = std::fabs(x);
    if (!(a >= 1e-4 && a < 1e9)) return nullptr;
    for (std::size_t k = 0; k < kScale.size(); ++k) {
        // An m that divides back to a lies within two roundings, m * 2.3e-16, of
        // a * 10^k < 1e15: adding a half and truncating finds it as rounding to nearest
        // would, and the cheap test below, with room to spare, never passes it over. It
        // leaves the division for the one k that nearly always is the answer.
        const double scaled = a * kScale[k];
        const auto m = static_cast<std::int64_t>(scaled + 0.5);
        const auto md = static_cast<double>(m);
        if (std::fabs(scaled - md) > md * 4.5e-16) continue;
        if (md / kScale[k] != a) continue;
        const auto units = static_cast<std::uint64_t>(m);
        if (x < 0.0) *p++ = '-';
        // units holds the digits; the last k of them are the decimals.
        const int decimals = static_cast<int>(k);
        const int digits = digitCount(units);
        const int intDigits = digits > decimals ? digits - decimals : 1;
        char* const point = p + intDigits;
        if (decimals == 0) {
            putDigits(point, units, intDigits);
            return point;
        }
        *point = kSeparators.decimal;
        putDigits(point, putDigits(point + 1 + decimals, units, decimals), intDigits);
        return point + 1 + decimals;
    }
    return nullptr;
}

}  // namespace

char* writeGeneral(char* p, Quantity q) {
    if (q.isBlank()) return p;
    const double x = q.value();
    if (x == 0.0) {  // also -0
        *p++ = '0';
        return p;
    }
    if (char* end = putShortDecimal(p, x)) return end;
    if (x < 0.0) *p++ = '-';
    const DecimalDigits d = fifteenDigits(std::fabs(x));
    const int e = d.exponent;
    if (e >= -4 && e < 15) {
        if (e >= 0) {
            for (int i = 0; i <= e; ++i) *p++ = i < d.count ? d.digits[i] : '0';
            if (d.count > e + 1) {
                *p++ = kSeparators.decimal;
                const auto rest = static_cast<std::size_t>(d.count - e - 1);
                std::memcpy(p, d.digits.data() + e + 1, rest);
                p += rest;
            }
        } else {
            *p++ = '0';
            *p++ = kSeparators.decimal;
            for (int i = 0; i < -e - 1; ++i) *p++ = '0';
            std::memcpy(p, d.digits.data(), static_cast<std::size_t>(d.count));
            p += d.count;
        }
        return p;
    }
    *p++ = d.digits[0];
    if (d.count > 1) {
        *p++ = kSeparators.decimal;
        std::memcpy(p, d.digits.data() + 1, static_cast<std::size_t>(d.count - 1));
        p += d.count - 1;
    }
    *p++ = 'E';
    *p++ = e < 0 ? '-' : '+';
    const int magnitude = e < 0 ? -e : e;
    if (magnitude < 10) *p++ = '0';
    return std::to_chars(p, p + 8, magnitude).ptr;
}

char* writeFixed(char* p, Quantity x, int decimals) {
    switch (decimals) {
        case 2:
            return putRounded<2, true, false>(p, x);
        case 4:
            return putRounded<4, true, false>(p, x);
        case 0:
            return putRounded<0, true, false>(p, x);
        case 1:
            return putRounded<1, true, false>(p, x);
        case 3:
            return putRounded<3, true, false>(p, x);
        default:
            break;
    }
    // The result row uses 2 and 4; anything else is kept within what the buffers hold.
    constexpr int kMaxDecimals = 10;
    if (decimals < 0) return putRounded<0, true, false>(p, x);
    if (x.isBlank()) return p;
    return putRoundedExact(p, x.value(), decimals > kMaxDecimals ? kMaxDecimals : decimals, true,
                           false);
}

char* writeWhole(char* p, Quantity x) {
    return putRounded<0, false, true>(p, x);
}

char* writeFixed2(char* p, Quantity x) {
    return putRounded<2, true, false>(p, x);
}

char* writeFixed4(char* p, Quantity x) {
    return putRounded<4, true, false>(p, x);
}

void appendGeneral(std::string& out, Quantity x) {
    std::array<char, kNumberTextBound> buf;
    out.append(buf.data(), writeGeneral(buf.data(), x));
}

void appendFixed(std::string& out, Quantity x, int decimals) {
    std::array<char, kNumberTextBound> buf;
    out.append(buf.data(), writeFixed(buf.data(), x, decimals));
}

void appendWhole(std::string& out, Quantity x) {
    std::array<char, kNumberTextBound> buf;
    out.append(buf.data(), writeWhole(buf.data(), x));
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
