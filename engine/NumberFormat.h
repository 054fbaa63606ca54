#pragma once
// The number formats of the result row and the data files. This is the one place that
// decides how a number becomes text; the separators are set here.

#include <cstddef>
#include <string>

#include "engine/Quantity.h"

namespace kalvoren {

struct NumberSeparators {
    char decimal = '.';
    char group = ',';
};
inline constexpr NumberSeparators kSeparators{};

// General number: at most 15 significant digits, plain notation for
// 1e-4 <= |x| < 1e15, otherwise "5E-05", "1.5E+20" (as C's %.15G); -0 writes "0". Subnormals
// (below about 1e-308) print as the shortest text that reads back, such as "5E-324".
void appendGeneral(std::string& out, Quantity x);
// "#,##0.0000" (decimals = 4) and "#,##0.00" (decimals = 2): the value is first taken to
// 15 significant digits, then rounded half away from zero; digits grouped by thousands.
void appendFixed(std::string& out, Quantity x, int decimals);
// "####": rounded to a whole number; a value that rounds to 0 gives the empty text.
void appendWhole(std::string& out, Quantity x);

// The most characters one number takes in any of the formats above: a "#,##0.00..."
// number near the largest double with 10 decimals (the most kept), its sign and group
// separators.
inline constexpr std::size_t kNumberTextBound = 448;

// The same formats written at `out`, which must have room for kNumberTextBound
// characters; each returns the end of what it wrote. For writers that fill their own
// buffer field after field.
char* writeGeneral(char* out, Quantity x);
char* writeFixed(char* out, Quantity x, int decimals);
char* writeWhole(char* out, Quantity x);
// writeFixed with 2 and 4 decimals, the result row's own formats, without the choice.
char* writeFixed2(char* out, Quantity x);
char* writeFixed4(char* out, Quantity x);

// Convenience forms returning a new string.
std::string formatGeneral(Quantity x);
std::string formatFixed(Quantity x, int decimals);
std::string formatWhole(Quantity x);

}  // namespace kalvoren
