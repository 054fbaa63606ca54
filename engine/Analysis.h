#pragma once
// The input of one entry row: the clinopyroxene and orthopyroxene analyses, P and T.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EntryRow.h"
#include "engine/OxideKind.h"
#include "engine/Quantity.h"

namespace kalvoren {

// One pyroxene analysis: sample name and the 18 oxide values, wt%, as read.
struct Analysis {
    std::string_view sample;
    std::array<Quantity, kOxideCount> oxides{};

    Quantity operator[](OxideKind k) const { return oxides[index(k)]; }
};

struct RowInput {
    Analysis cpx;
    Analysis opx;         // only SiO2 is read when Opx SiO2 is not above 0
    bool hasOpx = false;  // Opx SiO2 > 0 (a blank SiO2 counts as none)

    Quantity pressure;  // kbar; 5 when the cell reads as 0
    bool pressureDefaulted = false;
    std::string_view temperatureText;  // as entered; "900" when the cell is empty
    Quantity temperature;              // degrees C; blank when the text is not a number
    bool temperatureDefaulted = false;
};

// A cell of a calculated row whose text is not empty and not wholly a number: it was
// read by the leading-number rule, and the user should hear about it.
struct NonNumericCell {
    int row = 0;             // entry row, from 1
    int column = 0;          // entry column
    std::string text;        // the cell's text, cut after kNoteTextBytes and then ended by "..."
    double valueRead = 0.0;  // NaN when the value read is blank

    // Enough to recognise the cell; a cell can hold megabytes.
    static constexpr std::size_t kNoteTextBytes = 100;
};

// Reads one entry row as the run does. Oxide, P and T cells that are not plain numbers
// are appended to `notes` (when given) with the row number `rowNumber`.
RowInput readEntryRow(const EntryRow& row, int rowNumber, std::vector<NonNumericCell>* notes);

}  // namespace kalvoren
