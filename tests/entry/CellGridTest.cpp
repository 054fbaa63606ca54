#include "entry/CellGrid.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace kalvoren {
namespace {

// A grid whose cell (r, c) holds "r.c", so every cell tells where it came from.
CellGrid labelledGrid(int rows, int cols) {
    CellGrid grid(rows, cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            grid.setText(r, c, std::to_string(r) + "." + std::to_string(c));
    return grid;
}

TEST(CellGrid, OutOfRangeReadsAreEmptyAndWritesIgnored) {
    CellGrid grid(3, 4);
    EXPECT_EQ(grid.rows(), 3);
    EXPECT_EQ(grid.cols(), 4);
    grid.setText(3, 0, "x");
    grid.setText(0, 4, "x");
    grid.setText(-1, 0, "x");
    grid.setCentred(5, 5, true);
    EXPECT_EQ(grid.text(3, 0), "");
    EXPECT_EQ(grid.text(-1, -1), "");
    EXPECT_FALSE(grid.isCentred(5, 5));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(grid.text(r, c), "");

    grid.setCurrent(1, 2);
    grid.setCurrent(7, 7);  // ignored: the current cell stays
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.col(), 2);
}

TEST(CellGrid, SetCurrentCollapsesTheSelection) {
    CellGrid grid(5, 5);
    grid.setCurrent(1, 1);
    grid.setSelectionCorner(3, 4);
    EXPECT_EQ(grid.rowSel(), 3);
    EXPECT_EQ(grid.colSel(), 4);
    grid.setCurrent(2, 2);
    EXPECT_EQ(grid.rowSel(), 2);
    EXPECT_EQ(grid.colSel(), 2);
}

TEST(CellGrid, BlockTextOfASelectionWithReversedCorners) {
    CellGrid grid = labelledGrid(5, 4);
    grid.setCurrent(3, 2);  // the lower-right corner is current
    grid.setSelectionCorner(1, 1);
    const CellRange range = grid.selection();
    EXPECT_EQ(range.top, 1);
    EXPECT_EQ(range.left, 1);
    EXPECT_EQ(range.bottom, 3);
    EXPECT_EQ(range.right, 2);
    EXPECT_EQ(grid.selectionBlockText(), "1.1\t1.2\r2.1\t2.2\r3.1\t3.2");

    grid.setCurrent(1, 3);  // upper-right current, lower-left corner
    grid.setSelectionCorner(2, 0);
    EXPECT_EQ(grid.selectionBlockText(), "1.0\t1.1\t1.2\t1.3\r2.0\t2.1\t2.2\t2.3");
}

TEST(CellGrid, BlockTextOfOneCellHasNoSeparators) {
    CellGrid grid = labelledGrid(3, 3);
    grid.setCurrent(2, 1);
    EXPECT_EQ(grid.selectionBlockText(), "2.1");
    grid.setText(2, 1, "");
    EXPECT_EQ(grid.selectionBlockText(), "");
}

TEST(CellGrid, BlockTextKeepsEmptyCellsInPlace) {
    CellGrid grid(4, 3);
    grid.setText(1, 1, "a");
    grid.setCurrent(1, 1);
    grid.setSelectionCorner(3, 2);
    EXPECT_EQ(grid.selectionBlockText(), "a\t\r\t\r\t");
}

struct PasteCase {
    const char* name;
    int top, left, bottom, right;  // the selection
    std::string text;
    std::vector<std::vector<std::string>> expected;  // rows 1..3, columns 1..3 afterwards
};

class CellGridPaste : public ::testing::TestWithParam<PasteCase> {};

TEST_P(CellGridPaste, FillsTheSelectionFromItsUpperLeftCell) {
    const PasteCase& c = GetParam();
    CellGrid grid(5, 5);
    for (int r = 1; r <= 3; ++r)
        for (int col = 1; col <= 3; ++col) grid.setText(r, col, "old");
    grid.setText(4, 1, "below");
    grid.setCurrent(c.bottom, c.right);
    grid.setSelectionCorner(c.top, c.left);
    grid.pasteBlockText(c.text);
    for (int r = 1; r <= 3; ++r)
        for (int col = 1; col <= 3; ++col)
            EXPECT_EQ(grid.text(r, col), c.expected[r - 1][col - 1])
                << c.name << " at (" << r << ", " << col << ")";
    EXPECT_EQ(grid.text(4, 1), "below") << c.name;
    EXPECT_EQ(grid.text(0, 0), "") << c.name;
}

const std::vector<std::vector<std::string>> kOld = {
    {"old", "old", "old"}, {"old", "old", "old"}, {"old", "old", "old"}};

INSTANTIATE_TEST_SUITE_P(
    Cases, CellGridPaste,
    ::testing::Values(
        PasteCase{"three by two into three by two",
                  1,
                  1,
                  3,
                  2,
                  "a\tb\rc\td\re\tf",
                  {{"a", "b", "old"}, {"c", "d", "old"}, {"e", "f", "old"}}},
        PasteCase{"three by two into one cell",
                  2,
                  2,
                  2,
                  2,
                  "a\tb\rc\td\re\tf",
                  {{"old", "old", "old"}, {"old", "a", "old"}, {"old", "old", "old"}}},
        PasteCase{"CR LF line ends",
                  1,
                  1,
                  3,
                  2,
                  "a\tb\r\nc\td\r\ne\tf",
                  {{"a", "b", "old"}, {"c", "d", "old"}, {"e", "f", "old"}}},
        PasteCase{"LF line ends",
                  1,
                  1,
                  3,
                  2,
                  "a\tb\nc\td\ne\tf",
                  {{"a", "b", "old"}, {"c", "d", "old"}, {"e", "f", "old"}}},
        PasteCase{"short text leaves unreached cells",
                  1,
                  1,
                  3,
                  3,
                  "a\r\tb",
                  {{"a", "old", "old"}, {"", "b", "old"}, {"old", "old", "old"}}},
        PasteCase{"wider and longer text is cut at the selection",
                  1,
                  1,
                  2,
                  2,
                  "a\tb\tc\rd\te\tf\rg\th\ti",
                  {{"a", "b", "old"}, {"d", "e", "old"}, {"old", "old", "old"}}},
        PasteCase{"empty text empties only the first cell",
                  1,
                  1,
                  3,
                  3,
                  "",
                  {{"", "old", "old"}, {"old", "old", "old"}, {"old", "old", "old"}}},
        PasteCase{"empty fields empty a whole column",
                  1,
                  2,
                  3,
                  2,
                  "\r\r",
                  {{"old", "", "old"}, {"old", "", "old"}, {"old", "", "old"}}},
        PasteCase{"a line end before the selection's end empties the next row's first cell",
                  1,
                  1,
                  3,
                  3,
                  "a\tb\r\n",
                  {{"a", "b", "old"}, {"", "old", "old"}, {"old", "old", "old"}}}),
    [](const ::testing::TestParamInfo<PasteCase>& info) {
        std::string name;
        for (const char* p = info.param.name; *p != '\0'; ++p)
            if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
        return name;
    });

TEST(CellGrid, BlockTextReadAndPastedBackIsTheSameTable) {
    CellGrid from = labelledGrid(6, 5);
    from.setCurrent(1, 1);
    from.setSelectionCorner(5, 4);
    CellGrid to(6, 5);
    to.setCurrent(1, 1);
    to.setSelectionCorner(5, 4);
    to.pasteBlockText(from.selectionBlockText());
    for (int r = 1; r < 6; ++r)
        for (int c = 1; c < 5; ++c) EXPECT_EQ(to.text(r, c), from.text(r, c));
    EXPECT_EQ(to.text(0, 0), "");
}

TEST(CellGrid, SettingCountsKeepsCells) {
    CellGrid grid = labelledGrid(4, 4);
    grid.setCols(6);
    EXPECT_EQ(grid.text(3, 3), "3.3");
    EXPECT_EQ(grid.text(3, 5), "");
    grid.setRows(6);
    EXPECT_EQ(grid.text(3, 3), "3.3");
    EXPECT_EQ(grid.text(5, 0), "");
    grid.setCols(2);
    EXPECT_EQ(grid.text(3, 1), "3.1");
    EXPECT_EQ(grid.text(3, 2), "");
    grid.setRows(2);
    EXPECT_EQ(grid.text(1, 1), "1.1");
    EXPECT_EQ(grid.text(2, 1), "");
    grid.setCols(3);  // cells dropped before come back empty
    grid.setRows(3);
    EXPECT_EQ(grid.text(1, 2), "");
    EXPECT_EQ(grid.text(2, 0), "");
}

TEST(CellGrid, ShrinkingKeepsTheCurrentCellInside) {
    CellGrid grid(10, 10);
    grid.setCurrent(9, 9);
    grid.setRows(5);
    grid.setCols(4);
    EXPECT_EQ(grid.row(), 4);
    EXPECT_EQ(grid.col(), 3);
    EXPECT_EQ(grid.rowSel(), 4);
    EXPECT_EQ(grid.colSel(), 3);
}

TEST(CellGrid, InsertRowMovesRowsDownAndSplitsItsTextAtTabs) {
    CellGrid grid = labelledGrid(4, 3);
    grid.insertRow(2, "x\ty\tz\tdropped");
    EXPECT_EQ(grid.rows(), 5);
    EXPECT_EQ(grid.text(1, 0), "1.0");
    EXPECT_EQ(grid.text(2, 0), "x");
    EXPECT_EQ(grid.text(2, 2), "z");
    EXPECT_EQ(grid.text(3, 0), "2.0");
    EXPECT_EQ(grid.text(4, 2), "3.2");

    grid.insertRow(1);  // an empty row, its number cell included
    EXPECT_EQ(grid.text(1, 0), "");
    EXPECT_EQ(grid.text(2, 0), "1.0");

    grid.appendRow("a\t\tc");
    EXPECT_EQ(grid.rows(), 7);
    EXPECT_EQ(grid.text(6, 0), "a");
    EXPECT_EQ(grid.text(6, 1), "");
    EXPECT_EQ(grid.text(6, 2), "c");
    grid.appendRow("only");
    EXPECT_EQ(grid.text(7, 0), "only");
    EXPECT_EQ(grid.text(7, 1), "");
}

TEST(CellGrid, NoRowGoesAboveOrReplacesTheHeadingRow) {
    CellGrid grid = labelledGrid(3, 2);
    grid.insertRow(0, "x");
    grid.insertRow(4, "x");  // beyond the end
    grid.removeRow(0);
    grid.removeRow(3);
    EXPECT_EQ(grid.rows(), 3);
    EXPECT_EQ(grid.text(0, 0), "0.0");

    CellGrid empty(0, 2);
    empty.appendRow("h");  // the first row of an empty grid
    EXPECT_EQ(empty.rows(), 1);
    EXPECT_EQ(empty.text(0, 0), "h");
}

TEST(CellGrid, RemoveRowMovesRowsUp) {
    CellGrid grid = labelledGrid(5, 2);
    grid.setCurrent(4, 1);
    grid.removeRow(2);
    EXPECT_EQ(grid.rows(), 4);
    EXPECT_EQ(grid.text(1, 0), "1.0");
    EXPECT_EQ(grid.text(2, 0), "3.0");
    EXPECT_EQ(grid.text(3, 1), "4.1");
    grid.removeRow(3);
    EXPECT_EQ(grid.row(), 2);  // the current row no longer existed
}

TEST(CellGrid, ClearEmptiesEveryCellAndKeepsTheShape) {
    CellGrid grid = labelledGrid(3, 3);
    grid.setCentred(0, 1, true);
    grid.clear();
    EXPECT_EQ(grid.rows(), 3);
    EXPECT_EQ(grid.cols(), 3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(grid.text(r, c), "");
    EXPECT_FALSE(grid.isCentred(0, 1));
}

TEST(CellGrid, RevisionCountsChangesOfTextAndShapeOnly) {
    CellGrid grid(3, 3);
    std::uint64_t seen = grid.revision();
    auto changed = [&] {
        const bool bumped = grid.revision() != seen;
        seen = grid.revision();
        return bumped;
    };
    grid.setText(1, 1, "a");
    EXPECT_TRUE(changed());
    grid.setText(1, 1, "a");
    EXPECT_FALSE(changed());
    grid.setCurrent(2, 2);
    grid.setSelectionCorner(1, 1);
    grid.setTopRow(2);
    EXPECT_FALSE(changed());
    grid.pasteBlockText("b\tc");
    EXPECT_TRUE(changed());
    grid.setRows(4);
    EXPECT_TRUE(changed());
    grid.setCols(4);
    EXPECT_TRUE(changed());
    grid.insertRow(1);
    EXPECT_TRUE(changed());
    grid.removeRow(1);
    EXPECT_TRUE(changed());
    grid.clear();
    EXPECT_TRUE(changed());
    grid.clear();
    EXPECT_FALSE(changed());
}

TEST(CellGrid, AppendsThousandsOfWideRows) {
    // The results grid: 211 fields per row, one row per analysis.
    std::string row;
    for (int c = 0; c < 211; ++c) row += (c ? "\t" : "") + std::to_string(c);
    CellGrid grid(2, 211);
    for (int i = 0; i < 5000; ++i) grid.appendRow(row);
    EXPECT_EQ(grid.rows(), 5002);
    EXPECT_EQ(grid.text(5001, 0), "0");
    EXPECT_EQ(grid.text(5001, 210), "210");
    EXPECT_EQ(grid.text(2, 105), "105");
}

}  // namespace
}  // namespace kalvoren
