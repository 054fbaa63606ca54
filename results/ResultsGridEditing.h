#pragma once
// Typing and Select All on the results grid. The key handler: Enter and Tab move one row down in
// the same column, and from the last row to row 1, column 0; Backspace removes the last character;
// printable characters are appended.

#include "entry/CellGrid.h"

namespace kalvoren {

// Returns whether a cell's text changed.
bool resultsGridKeyPress(CellGrid& grid, char32_t code);

// Select All of the results screen: from cell (0, 0), numbering row and column 0
// included, to the last cell, scrolled so that row 1 is the first scrolling row.
void selectWholeResultsGrid(CellGrid& grid);

}  // namespace kalvoren
