#include "entry/AnalysisTable.h"

#include <string>

namespace kalvoren {

void capCell(CellGrid& table) {
    table.setCols(kTableColumns);
    table.setRows(kTableRows);
    for (int row = 1; row < kTableRows; ++row) {
        table.setCurrent(row, 0);
        table.setCurrentText(std::to_string(row));
        table.setCentred(row, 0, true);
    }
    for (int col = 0; col < kTableColumns; ++col) {
        if (col == kSpacerColumn1 || col == kSpacerColumn2) continue;
        table.setCurrent(0, col);
        table.setCentred(0, col, true);
        table.setCurrentText(std::string(kEntryHeadings[static_cast<std::size_t>(col)]));
    }
    table.setCurrent(0, kTableColumns - 1);
}

}  // namespace kalvoren
