// The workbook readers (.xlsx, .ods, .xls) through the program's adapter: arbitrary
// bytes written to a file named .xlsx, .ods or .xls (the input's length picks which).
//
// Properties:
// - readWorkbookBlock never returns a block larger than the 101 x 43 asked for, and the
//   block holds exactly rows x cols cells; a failure returns no cells and a message that
//   names the file;
// - no cell text holds a TAB, CR or LF; error and empty cells hold no text;
// - forEachWorkbookRow agrees with the block: when it hands on rows in sheet order, the
//   cells of the first 101 rows and 43 columns are the block's, and it succeeds or fails
//   as the block reading does (except that only the block bounds its text as a whole).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "platform/Workbook.h"

namespace {

using kalvoren::WorkbookCell;

constexpr int kRows = 101;
constexpr int kCols = 43;

void checkCell(const WorkbookCell& cell) {
    if (cell.kind != WorkbookCell::Text) {
        FUZZ_REQUIRE(cell.text.empty());
        return;
    }
    FUZZ_REQUIRE(!cell.text.empty());
    FUZZ_REQUIRE(cell.text.find_first_of("\t\r\n") == std::string::npos);
}

bool sameCell(const WorkbookCell& a, const WorkbookCell& b) {
    return a.kind == b.kind && a.text == b.text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const char* const kNames[] = {"input.xlsx", "input.ods", "input.xls"};
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::filesystem::path file = kalvoren::fuzz::writeScratchFile(kNames[size % 3], bytes);

    const kalvoren::WorkbookReadResult read = kalvoren::readWorkbookBlock(file);
    const kalvoren::WorkbookBlock& block = read.block;
    if (!read.ok()) {
        FUZZ_REQUIRE(read.error.find(file.string()) != std::string::npos);
        FUZZ_REQUIRE(block.cells.empty());
    } else {
        FUZZ_REQUIRE(block.rows == kRows && block.cols == kCols);
    }
    FUZZ_REQUIRE(block.rows <= kRows && block.cols <= kCols);
    FUZZ_REQUIRE(block.cells.size() ==
                 static_cast<std::size_t>(block.rows) * static_cast<std::size_t>(block.cols));
    for (const WorkbookCell& cell : block.cells) checkCell(cell);

    // The row reader, up to the end of the block, must see the same cells.
    std::vector<WorkbookCell> seen(static_cast<std::size_t>(kRows * kCols));
    int lastRow = -1;
    bool inOrder = true;
    const kalvoren::WorkbookRowsResult rows = kalvoren::forEachWorkbookRow(
        file, [&](int rowIndex, const std::vector<WorkbookCell>& cells) {
            FUZZ_REQUIRE(rowIndex >= 0);
            FUZZ_REQUIRE(!cells.empty());
            for (const WorkbookCell& cell : cells) checkCell(cell);
            if (rowIndex <= lastRow) inOrder = false;
            lastRow = rowIndex;
            if (rowIndex >= kRows) return false;
            for (std::size_t c = 0; c < cells.size() && c < static_cast<std::size_t>(kCols); ++c)
                seen[static_cast<std::size_t>(rowIndex * kCols) + c] = cells[c];
            // Stops where the block reading stops, so both read the same part of the sheet.
            return rowIndex + 1 < kRows;
        });
    if (!rows.ok()) FUZZ_REQUIRE(rows.error.find(file.string()) != std::string::npos);
    // The block alone has a bound on its text as a whole.
    const bool blockTooLarge =
        read.error.find("the cells to be loaded hold more than") != std::string::npos;
    FUZZ_REQUIRE(rows.ok() == read.ok() || (rows.ok() && blockTooLarge));
    if (read.ok() && rows.ok() && inOrder) {
        FUZZ_REQUIRE(rows.sheetName == read.sheetName);
        for (std::size_t i = 0; i < seen.size(); ++i)
            FUZZ_REQUIRE(sameCell(seen[i], block.cells[i]));
    }
    return 0;
}
