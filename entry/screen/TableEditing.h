#pragma once
// The entry screen's own Edit commands on the analysis table (the clipboard commands
// both screens share are in platform/qt/GridClipboard.h).

#include "entry/CellGrid.h"

namespace kalvoren {

// Every cell is emptied, headings and row numbers included, then the standard shape,
// headings and row numbers are restored.
void clearAllCells(CellGrid& table);
// Removes the current row when the table has more than the heading row and one data row.
// The heading row is never removed. Row numbers are not rewritten.
void removeCurrentRow(CellGrid& table);
// Inserts an empty row (its number cell empty too) at the current row, which moves down.
// Nothing happens on the heading row.
void insertRowAtCurrent(CellGrid& table);
// Selects every data cell: row 1, column 1 current, the corner at the last row and
// column, scrolled so that row 1 is the first scrolling row.
void selectAllDataCells(CellGrid& table);

// The key handler of the entry grid: Enter and Tab move to the next column, and from the
// last column to the number column of the next row (row 1 after the last row);
// Backspace removes the last character; printable characters are appended. Returns
// whether a cell's text changed.
bool entryGridKeyPress(CellGrid& table, char32_t code);

}  // namespace kalvoren
