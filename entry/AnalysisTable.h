#pragma once
// The standard shape of the analysis table: 1001 rows x 43 columns, headings in row 0,
// row numbers in column 0, data in rows 1..1000 and columns 1..42.

#include <array>
#include <string_view>

#include "engine/EntryRow.h"
#include "entry/CellGrid.h"

namespace kalvoren {

// Row 0 of the table, trailing blanks included; the spacer columns 20 and 23 have none.
inline constexpr std::array<std::string_view, kTableColumns> kEntryHeadings = {
    "Row No",      "Sample    ",  "SiO2    [c]",
    "TiO2    [c]", "Al2O3   [c]", "V2O3   [c]",
    "Cr2O3  [c]",  "Fe2O3  [c]",  "FeO     [c]",
    "MnO     [c]", "NiO     [c]", "CoO     [c]",
    "ZnO     [c]", "MgO     [c]", "CaO     [c]",
    "Na2O    [c]", "K2O     [c]", "ZrO2    [c]",
    "Sc2O3  [c]",  "Li2O    [c]", "",
    "P(kbar)  ",   "T(oC)   ",    "",
    "Sample    ",  "SiO2   [o]",  "TiO2   [o]",
    "Al2O3 [o]",   "V2O3  [o]",   "Cr2O3  [o]",
    "Fe2O3  [o]",  "FeO   [o]",   "MnO   [o]",
    "NiO   [o]",   "CoO   [o]",   "ZnO   [o]",
    "MgO   [o]",   "CaO   [o]",   "Na2O  [o]",
    "K2O   [o]",   "ZrO2 [o]",    "Sc2O3 [o]",
    "Li2O  [o]"};

inline constexpr int kSpacerColumn1 = 20;
inline constexpr int kSpacerColumn2 = 23;

// Gives the table its standard shape (cells already present keep their text), writes the
// row numbers "1".."1000" and the headings, all centred, and leaves the heading cell of
// the last column current. Data cells are not cleared.
void capCell(CellGrid& table);

}  // namespace kalvoren
