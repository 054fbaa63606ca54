// Clipboard-sized hostility for the table: block texts of 32 MB made of nothing but line
// ends, or one line of millions of fields. A paste keeps to the selection, stops reading
// once the text runs below it, and leaves everything outside as it was.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "entry/AnalysisTable.h"
#include "entry/BlockText.h"
#include "entry/CellGrid.h"

namespace kalvoren {
namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

CellGrid dataRangeSelected() {
    CellGrid table;
    capCell(table);
    table.setCurrent(1, 1);
    table.setSelectionCorner(table.rows() - 1, table.cols() - 1);
    return table;
}

TEST(HostileBlockText, ThirtyTwoMegabytesOfLineEndsFillOnlyTheSelection) {
    const std::size_t size = std::size_t{32} << 20;
    for (const char end : {'\r', '\n'}) {
        const std::string text = "a" + std::string(size, end) + "z";
        CellGrid table = dataRangeSelected();
        table.setText(1, 2, "kept");
        const auto start = std::chrono::steady_clock::now();
        table.pasteBlockText(text);
        EXPECT_LT(secondsSince(start), 5.0);
        EXPECT_EQ(table.text(1, 1), "a");
        EXPECT_EQ(table.text(1, 2), "kept");        // line 1 has one field only
        EXPECT_EQ(table.text(1000, 1), "");         // line 1000 is empty
        EXPECT_EQ(table.text(0, 1), "Sample    ");  // the heading row stays

        const BlockShape shape = measureBlockText(text);
        EXPECT_EQ(shape.lines, static_cast<int>(size) + 1);
        EXPECT_EQ(shape.fewestFields, 1);
        EXPECT_EQ(shape.mostFields, 1);
    }
    // CR LF pairs end one line each.
    std::string pairs;
    for (int i = 0; i < (1 << 20); ++i) pairs += "\r\n";
    EXPECT_EQ(measureBlockText(pairs).lines, (1 << 20) + 1);
}

TEST(HostileBlockText, OneLineOfMillionsOfFieldsFillsOnlyTheFirstRow) {
    std::string text;
    for (int i = 0; i < 10'000'000; ++i) text += "7\t";
    text += "last";
    CellGrid table = dataRangeSelected();
    table.setText(2, 1, "kept");
    const auto start = std::chrono::steady_clock::now();
    table.pasteBlockText(text);
    EXPECT_LT(secondsSince(start), 5.0);
    EXPECT_EQ(table.text(1, 1), "7");
    EXPECT_EQ(table.text(1, 42), "7");
    EXPECT_EQ(table.text(2, 1), "kept");
    EXPECT_EQ(table.text(1, 0), "1");  // the number column stays

    const BlockShape shape = measureBlockText(text);
    EXPECT_EQ(shape.lines, 1);
    EXPECT_EQ(shape.mostFields, 10'000'001);
}

}  // namespace
}  // namespace kalvoren
