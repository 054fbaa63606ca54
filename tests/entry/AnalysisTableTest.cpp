#include "entry/AnalysisTable.h"

#include <gtest/gtest.h>

#include <string>

#include "entry/TableEntrySource.h"

namespace kalvoren {
namespace {

TEST(AnalysisTable, HeadingsAreWrittenExactlyWithTheirTrailingBlanks) {
    CellGrid table;
    capCell(table);
    const struct {
        int col;
        const char* heading;
    } cases[] = {{0, "Row No"}, {1, "Sample    "}, {2, "SiO2    [c]"},
                 {20, ""},      {21, "P(kbar)  "}, {22, "T(oC)   "},
                 {23, ""},      {27, "Al2O3 [o]"}, {42, "Li2O  [o]"}};
    for (const auto& c : cases) {
        EXPECT_EQ(kEntryHeadings[static_cast<std::size_t>(c.col)], c.heading) << c.col;
        EXPECT_EQ(table.text(0, c.col), c.heading) << c.col;
        const bool spacer = c.col == 20 || c.col == 23;
        EXPECT_EQ(table.isCentred(0, c.col), !spacer) << c.col;
    }
}

TEST(AnalysisTable, CapCellGivesTheStandardShapeAndRowNumbers) {
    CellGrid table;
    capCell(table);
    EXPECT_EQ(table.rows(), 1001);
    EXPECT_EQ(table.cols(), 43);
    EXPECT_EQ(table.text(1, 0), "1");
    EXPECT_EQ(table.text(57, 0), "57");
    EXPECT_EQ(table.text(1000, 0), "1000");
    EXPECT_TRUE(table.isCentred(1000, 0));
    EXPECT_FALSE(table.isCentred(1, 1));
    EXPECT_EQ(table.text(1, 1), "");
    // Typing after start-up goes to the last heading.
    EXPECT_EQ(table.row(), 0);
    EXPECT_EQ(table.col(), 42);
    EXPECT_EQ(table.rowSel(), 0);
    EXPECT_EQ(table.colSel(), 42);
}

TEST(AnalysisTable, CapCellKeepsDataAndRestoresTheShape) {
    CellGrid table;
    capCell(table);
    table.setText(5, 3, "1.25");
    table.setText(0, 20, "typed");  // spacer headings are not rewritten
    table.setText(7, 0, "x");
    table.insertRow(5);
    table.insertRow(5);
    EXPECT_EQ(table.rows(), 1003);
    capCell(table);
    EXPECT_EQ(table.rows(), 1001);
    EXPECT_EQ(table.text(7, 3), "1.25");
    EXPECT_EQ(table.text(7, 0), "7");
    EXPECT_EQ(table.text(5, 0), "5");
    EXPECT_EQ(table.text(0, 20), "typed");

    CellGrid imported(101, 43);  // after a spreadsheet import
    imported.setText(100, 42, "kept");
    capCell(imported);
    EXPECT_EQ(imported.rows(), 1001);
    EXPECT_EQ(imported.text(100, 42), "kept");
    EXPECT_EQ(imported.text(1000, 0), "1000");
}

TEST(TableEntrySource, YieldsEveryDataRowInOrder) {
    CellGrid table;
    capCell(table);
    table.setText(1, 1, "cpx one");
    table.setText(1, 2, "51.2");
    table.setText(1000, 42, "0.01");
    TableEntrySource source(table);
    EntryRow row;
    int number = 0;
    int count = 0;
    while (source.next(row, number)) {
        ++count;
        EXPECT_EQ(number, count);
        if (number == 1) {
            EXPECT_EQ(row[0], "1");
            EXPECT_EQ(row[EntryColumn::CpxSample], "cpx one");
            EXPECT_EQ(row[EntryColumn::CpxFirstOxide], "51.2");
        }
        if (number == 1000) {
            EXPECT_EQ(row[42], "0.01");
        }
    }
    EXPECT_EQ(count, 1000);
    EXPECT_FALSE(source.next(row, number));
}

TEST(TableEntrySource, CellsBeyondANarrowTableAreEmpty) {
    CellGrid table(3, 4);
    table.setText(2, 3, "last");
    TableEntrySource source(table);
    EntryRow row;
    row.cells[10] = "stale";
    int number = 0;
    ASSERT_TRUE(source.next(row, number));
    EXPECT_EQ(number, 1);
    EXPECT_TRUE(row[10].empty());
    ASSERT_TRUE(source.next(row, number));
    EXPECT_EQ(number, 2);
    EXPECT_EQ(row[3], "last");
    EXPECT_TRUE(row[4].empty());
    EXPECT_TRUE(row[42].empty());
    EXPECT_FALSE(source.next(row, number));

    CellGrid headingsOnly(1, 43);
    TableEntrySource none(headingsOnly);
    EXPECT_FALSE(none.next(row, number));
}

}  // namespace
}  // namespace kalvoren
