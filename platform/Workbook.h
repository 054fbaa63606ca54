#pragma once
// Reading spreadsheet workbooks (.xlsx, .ods, .xls) without a spreadsheet application.
// The program reads the sheet that was active when the workbook was saved (the first
// sheet when the file records none, and in workbooks of Excel 5 and older) and takes each
// cell's stored value, not its displayed text:
//   - a number becomes text with up to 15 significant digits and "." ("48.123456789",
//     "5E-05"), whatever the number format shows; a date is the number it is stored as
//     (in .ods, its ISO date text);
//   - a text is taken as it stands, except that TAB, CR and LF become one blank each;
//   - a logical value becomes "True" or "False";
//   - a formula gives the result saved with it (none when the writer saved none);
//   - an empty cell is empty, and a cell holding an error value (#DIV/0!, #N/A, ...) is
//     marked Error so that the caller leaves its table cell as it was.
// A workbook that cannot be read gives a message that names the file and the reason;
// bad input never crashes the program and is never half-read.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kalvoren {

struct WorkbookCell {
    enum Kind { Empty, Text, Error };
    Kind kind = Empty;
    std::string text;  // for Text; empty otherwise
};

// The top-left rectangle of a sheet: sheet cell (r + 1, c + 1) is cell (r, c).
struct WorkbookBlock {
    int rows = 0;
    int cols = 0;
    std::vector<WorkbookCell> cells;  // row by row, rows * cols cells

    const WorkbookCell& at(int row, int col) const {
        return cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(cols) +
                     static_cast<std::size_t>(col)];
    }
};

struct WorkbookReadResult {
    WorkbookBlock block;
    std::string sheetName;  // the sheet that was read
    std::string error;      // empty when the workbook was read
    bool ok() const { return error.empty(); }
};

// Rows 1..rows and columns 1..cols (A..) of the active sheet. The table import reads
// the block A1:AQ101 onto table rows 0-100 and columns 0-42.
WorkbookReadResult readWorkbookBlock(const std::filesystem::path& file, int rows = 101,
                                     int cols = 43);

struct WorkbookRowsResult {
    std::string sheetName;
    std::string error;  // empty when the whole sheet (or all the visitor wanted) was read
    bool ok() const { return error.empty(); }
};

// Called for every row of the active sheet that holds at least one cell, in sheet order;
// `rowIndex` counts from 0 (sheet row 1) and `cells` runs from column A to the row's last
// non-empty cell. Returning false stops the reading (not an error). For .xlsx and .ods,
// memory stays bounded by one row and the workbook's shared texts, however many rows the
// sheet holds; an .xls file (at most 65,536 rows, 256 MB) is read into memory whole.
using WorkbookRowVisitor =
    std::function<bool(int rowIndex, const std::vector<WorkbookCell>& cells)>;
WorkbookRowsResult forEachWorkbookRow(const std::filesystem::path& file,
                                      const WorkbookRowVisitor& visit);

}  // namespace kalvoren
