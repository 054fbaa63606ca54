#pragma once
// One row of the analysis table as the run reads it: 43 text cells, column 0 the
// row number. The cells are views into text owned by the table (or the batch tool's
// line buffer) and live as long as the row is being calculated.

#include <array>
#include <string_view>

namespace kalvoren {

inline constexpr int kTableColumns = 43;  // row-number column + 42 data columns
inline constexpr int kTableRows = 1001;   // heading row + 1000 data rows
inline constexpr int kDataRows = 1000;

namespace EntryColumn {
inline constexpr int CpxSample = 1;
inline constexpr int CpxFirstOxide = 2;   // SiO2 [c]; the 18 oxides follow in OxideKind order
inline constexpr int Pressure = 21;       // P(kbar)
inline constexpr int Temperature = 22;    // T(oC)
inline constexpr int OpxSample = 24;
inline constexpr int OpxFirstOxide = 25;  // SiO2 [o]
}  // namespace EntryColumn

struct EntryRow {
    std::array<std::string_view, kTableColumns> cells{};
    std::string_view operator[](int column) const { return cells[column]; }
};

}  // namespace kalvoren
