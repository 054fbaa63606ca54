#pragma once
// The 211-column result row: headings, formats, the blanking of the Opx block and the
// pair results, and assembly as TAB-joined text.

#include <array>
#include <string>
#include <string_view>

#include "classification/RowResult.h"

namespace kalvoren {

inline constexpr int kResultColumns = 211;

// The 211 headings, exactly as the results screen and the exports show them.
extern const std::array<std::string_view, kResultColumns> kResultHeadings;

// Appends the row's 211 fields joined by TAB (no line terminator) to `out`.
void appendResultRow(std::string& out, const RowResult& row);
std::string formatResultRow(const RowResult& row);

}  // namespace kalvoren
