#pragma once
// A number of the row calculation, or blank.
//
// The blank-value rule lives here and nowhere else: a quantity whose formula cannot
// be evaluated (zero divisor, logarithm or square root out of domain, overflow, a
// text that is not a number, a blank operand) is blank, and so is everything computed
// from it. Every comparison with a blank operand is false. A quantity that no stage
// assigned counts as 0, which is what a default-constructed Quantity holds.
//
// Blank is stored as NaN so that blanks travel through arithmetic at no cost; every
// operation maps a non-finite result (inf from a zero divisor or an overflow, NaN
// from a domain error) to blank.

#include <cmath>
#include <limits>

namespace kalvoren {

class Quantity {
public:
    constexpr Quantity() = default;
    // Implicit on purpose: formulas mix literals and quantities freely.
    Quantity(double v) : v_(std::isfinite(v) ? v : kBlank) {}  // NOLINT

    static Quantity blank() { return fromRaw(kBlank); }

    bool isBlank() const { return std::isnan(v_); }
    bool hasValue() const { return !isBlank(); }
    // The value; NaN when blank. Callers that format or compare use the helpers below.
    double value() const { return v_; }
    // The value, or `fallback` when blank.
    double valueOr(double fallback) const { return isBlank() ? fallback : v_; }

    Quantity operator-() const { return fromRaw(-v_); }

    friend Quantity operator+(Quantity a, Quantity b) { return Quantity(a.v_ + b.v_); }
    friend Quantity operator-(Quantity a, Quantity b) { return Quantity(a.v_ - b.v_); }
    friend Quantity operator*(Quantity a, Quantity b) { return Quantity(a.v_ * b.v_); }
    friend Quantity operator/(Quantity a, Quantity b) {
        if (b.v_ == 0.0) return blank();
        return Quantity(a.v_ / b.v_);
    }
    Quantity& operator+=(Quantity o) { return *this = *this + o; }
    Quantity& operator-=(Quantity o) { return *this = *this - o; }
    Quantity& operator*=(Quantity o) { return *this = *this * o; }
    Quantity& operator/=(Quantity o) { return *this = *this / o; }

    // Comparisons with a blank operand are false, including !=.
    friend bool operator<(Quantity a, Quantity b) { return a.v_ < b.v_; }
    friend bool operator>(Quantity a, Quantity b) { return a.v_ > b.v_; }
    friend bool operator<=(Quantity a, Quantity b) { return a.v_ <= b.v_; }
    friend bool operator>=(Quantity a, Quantity b) { return a.v_ >= b.v_; }
    friend bool operator==(Quantity a, Quantity b) { return a.v_ == b.v_; }
    friend bool operator!=(Quantity a, Quantity b) {
        return !a.isBlank() && !b.isBlank() && a.v_ != b.v_;
    }

private:
    static constexpr double kBlank = std::numeric_limits<double>::quiet_NaN();
    static Quantity fromRaw(double v) {
        Quantity q;
        q.v_ = v;
        return q;
    }
    double v_ = 0.0;
};

// Natural logarithm; blank for a non-positive or blank argument.
inline Quantity ln(Quantity x) {
    if (!(x > 0.0)) return Quantity::blank();
    return Quantity(std::log(x.value()));
}
// Square root; blank for a negative or blank argument.
inline Quantity sqrt(Quantity x) {
    if (!(x >= 0.0)) return Quantity::blank();
    return Quantity(std::sqrt(x.value()));
}
inline Quantity exp(Quantity x) { return Quantity(std::exp(x.value())); }
inline Quantity pow(Quantity base, Quantity exponent) {
    // std::pow(1, NaN) and std::pow(NaN, 0) are 1: a blank operand must still give blank.
    if (base.isBlank() || exponent.isBlank()) return Quantity::blank();
    return Quantity(std::pow(base.value(), exponent.value()));
}
inline Quantity square(Quantity x) { return x * x; }

// "clamped at 0": a negative value becomes 0; a blank stays blank.
inline Quantity clampedAtZero(Quantity x) { return x < 0.0 ? Quantity(0.0) : x; }

// Blank the value when it lies outside [low, high] (bounds inclusive); a blank stays blank.
inline Quantity keptWithin(Quantity x, double low, double high) {
    return (x < low || x > high) ? Quantity::blank() : x;
}
// Blank the value when it is below 0.
inline Quantity blankBelowZero(Quantity x) { return x < 0.0 ? Quantity::blank() : x; }

}  // namespace kalvoren
