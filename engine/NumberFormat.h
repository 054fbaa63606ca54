#pragma once
// The number formats of the result row and the data files. This is the one place that
// decides how a number becomes text; the separators are set here.

#include <string>

#include "engine/Quantity.h"

namespace kalvoren {

struct NumberSeparators {
    char decimal = '.';
    char group = ',';
};
inline constexpr NumberSeparators kSeparators{};

// General number: at most 15 significant digits, plain notation for
// 1e-4 <= |x| < 1e15, otherwise "5E-05", "1.5E+20" (as C's %.15G); -0 writes "0".
void appendGeneral(std::string& out, Quantity x);
// "#,##0.0000" (decimals = 4) and "#,##0.00" (decimals = 2): the value is first taken to
// 15 significant digits, then rounded half away from zero; digits grouped by thousands.
void appendFixed(std::string& out, Quantity x, int decimals);
// "####": rounded to a whole number; a value that rounds to 0 gives the empty text.
void appendWhole(std::string& out, Quantity x);

// Convenience forms returning a new string.
std::string formatGeneral(Quantity x);
std::string formatFixed(Quantity x, int decimals);
std::string formatWhole(Quantity x);

}  // namespace kalvoren
