#include "results/ResultsGridEditing.h"

#include "platform/qt/GridTyping.h"

namespace kalvoren {

bool resultsGridKeyPress(CellGrid& grid, char32_t code) {
    switch (code) {
        case kKeyEnter:
        case kKeyTab:
            if (grid.row() + 1 <= grid.rows() - 1)
                grid.setCurrent(grid.row() + 1, grid.col());
            else
                grid.setCurrent(1, 0);
            return false;
        case kKeyBackspace:
            return removeLastCharacter(grid);
        default:
            return appendCharacter(grid, code);
    }
}

void selectWholeResultsGrid(CellGrid& grid) {
    if (grid.rows() < 1 || grid.cols() < 1) return;
    grid.setCurrent(0, 0);
    grid.setSelectionCorner(grid.rows() - 1, grid.cols() - 1);
    grid.setTopRow(1);
}

}  // namespace kalvoren
