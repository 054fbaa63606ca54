#include "engine/LeadingNumber.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <string>
#include <system_error>

namespace kalvoren {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Walks a text one character at a time. In a table cell blanks, TABs and LFs are
// skipped wherever they stand ("1 2.5" is 12.5); the temperature is read without that.
class Cursor {
  public:
    Cursor(std::string_view text, bool skipBlanks) : text_(text), skipBlanks_(skipBlanks) {
        skip();
    }
    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }
    void advance() {
        ++pos_;
        skip();
    }

  private:
    void skip() {
        if (!skipBlanks_) return;
        while (pos_ < text_.size() &&
               (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n'))
            ++pos_;
    }
    std::string_view text_;
    std::size_t pos_ = 0;
    bool skipBlanks_;
};

struct Scan {
    Quantity value;      // 0 when no number stands at the start
    bool found = false;  // at least one digit was read
    bool whole = false;  // nothing but the number (and skipped blanks) in the text
};

int digitValue(char c, int base) {
    int d = -1;
    if (isDigit(c)) {
        d = c - '0';
    } else {
        const char u = upper(c);
        if (u >= 'A' && u <= 'F') d = u - 'A' + 10;
    }
    return d < base ? d : -1;
}

// "&H1F", "&O17": a non-negative integer in base 16 or 8. The cursor stands on '&'.
Scan scanRadix(Cursor& c) {
    Scan s;
    s.value = 0.0;
    c.advance();
    const char marker = upper(c.peek());
    if (marker != 'H' && marker != 'O') return s;
    const int base = marker == 'H' ? 16 : 8;
    c.advance();
    // Exact in 64 bits as long as it fits; beyond that a double carries on (and
    // overflows to blank past the largest double).
    std::uint64_t exact = 0;
    double wide = 0.0;
    bool useWide = false;
    for (int d; (d = digitValue(c.peek(), base)) >= 0; c.advance()) {
        s.found = true;
        if (!useWide && exact <= (UINT64_MAX - static_cast<unsigned>(d)) / base) {
            exact = exact * base + static_cast<unsigned>(d);
        } else {
            if (!useWide) wide = static_cast<double>(exact);
            useWide = true;
            wide = wide * base + d;
        }
    }
    s.value = useWide ? Quantity(wide) : Quantity(static_cast<double>(exact));
    s.whole = s.found && c.atEnd();
    return s;
}

// [sign] digits [. digits] [E|D [sign] digits], read as far as it goes.
Scan scanDecimal(Cursor& c) {
    Scan s;
    s.value = 0.0;
    // The digits are gathered into a compact text that std::from_chars understands
    // (no blanks, no '+', 'e' for the exponent marker).
    std::string buf;
    if (c.peek() == '+' || c.peek() == '-') {
        if (c.peek() == '-') buf.push_back('-');
        c.advance();
    }
    // Decimal order of magnitude of the mantissa, to tell an overflow from an underflow.
    long long magnitude = 0;
    bool nonZeroSeen = false;
    int digits = 0;
    for (; isDigit(c.peek()); c.advance()) {
        buf.push_back(c.peek());
        ++digits;
        if (nonZeroSeen)
            ++magnitude;
        else if (c.peek() != '0')
            nonZeroSeen = true;
    }
    if (c.peek() == '.') {
        buf.push_back('.');
        c.advance();
        for (; isDigit(c.peek()); c.advance()) {
            buf.push_back(c.peek());
            ++digits;
            if (!nonZeroSeen) {
                --magnitude;
                if (c.peek() != '0') nonZeroSeen = true;
            }
        }
    }
    if (digits == 0) return s;
    s.found = true;

    const char marker = upper(c.peek());
    if (marker == 'E' || marker == 'D') {
        // An exponent marker without a digit after it is not part of the number.
        Cursor beforeMarker = c;
        std::string exponent = "e";
        c.advance();
        bool negative = false;
        if (c.peek() == '+' || c.peek() == '-') {
            negative = c.peek() == '-';
            exponent.push_back(c.peek());
            c.advance();
        }
        long long value = 0;
        bool any = false;
        for (; isDigit(c.peek()); c.advance()) {
            any = true;
            exponent.push_back(c.peek());
            if (value < 1'000'000'000) value = value * 10 + (c.peek() - '0');
        }
        if (any) {
            buf += exponent;
            magnitude += negative ? -value : value;
        } else {
            c = beforeMarker;
        }
    }
    s.whole = c.atEnd();

    double v = 0.0;
    const auto [end, ec] = std::from_chars(buf.data(), buf.data() + buf.size(), v);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        // Too large for a double is blank; too small to tell from 0 is 0.
        s.value = (nonZeroSeen && magnitude >= 0) ? Quantity::blank() : Quantity(0.0);
    } else if (ec != std::errc()) {
        s.value = Quantity::blank();
    } else {
        s.value = v;
    }
    return s;
}

Scan scanNumber(Cursor& c) {
    if (c.peek() == '&') return scanRadix(c);
    return scanDecimal(c);
}

// The common cell, "[-]digits[.digits]" and nothing else with at most 19 digits, read
// without the general scan. Its value is m / 10^f with m <= 2^53 and f <= 19: both are
// exact doubles, so the one correctly rounded division gives the very double that the
// full conversion gives. False when the text is of another kind.
bool readPlainDecimal(std::string_view text, double& value) {
    static constexpr std::array<double, 20> kPowersOfTen{1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,
                                                         1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13,
                                                         1e14, 1e15, 1e16, 1e17, 1e18, 1e19};
    constexpr std::uint64_t kExactMantissa = std::uint64_t{1} << 53;
    constexpr int kMostDigits = 19;  // 10^19 - 1 still fits 64 bits
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    // Digits beyond the 19th wrap the mantissa; such a text is refused below.
    std::uint64_t mantissa = 0;
    auto readDigits = [&mantissa, &p, end] {
        const char* const start = p;
        for (; p != end; ++p) {
            const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
            if (digit > 9) break;
            mantissa = mantissa * 10 + digit;
        }
        return static_cast<int>(p - start);
    };
    const int integerDigits = readDigits();
    int decimals = 0;
    if (p != end && *p == '.') {
        ++p;
        decimals = readDigits();
    }
    if (p != end) return false;
    const int digits = integerDigits + decimals;
    if (digits == 0 || digits > kMostDigits || mantissa > kExactMantissa) return false;
    // The mantissa fits a signed integer, whose conversion is a single instruction.
    const double v = static_cast<double>(static_cast<std::int64_t>(mantissa)) /
                     kPowersOfTen[static_cast<std::size_t>(decimals)];
    value = negative ? -v : v;
    return true;
}

}  // namespace

CellNumber readCellNumber(std::string_view text) {
    if (text.empty()) return {Quantity(0.0), true};  // most Opx and trace-oxide cells
    double plain = 0.0;
    if (readPlainDecimal(text, plain)) return {Quantity(plain), true};
    Cursor c(text, true);
    if (c.atEnd()) return {Quantity(0.0), true};
    const Scan s = scanNumber(c);
    return {s.value, s.whole};
}

Quantity readLeadingNumber(std::string_view text) {
    return readCellNumber(text).value;
}

bool isPlainNumber(std::string_view text) {
    return readCellNumber(text).plain;
}

Quantity readTemperature(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && (text[first] == ' ' || text[first] == '\t')) ++first;
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
    const std::string_view trimmed = text.substr(first, last - first);
    double plain = 0.0;
    if (readPlainDecimal(trimmed, plain)) return plain;
    Cursor c(trimmed, false);
    if (c.atEnd() || c.peek() == '&') return Quantity::blank();
    const Scan s = scanDecimal(c);
    return s.whole ? s.value : Quantity::blank();
}

}  // namespace kalvoren
