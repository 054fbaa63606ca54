#include "cli/ColumnMapping.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kalvoren {
namespace {

int targetOf(const std::string& heading) {
    const ColumnMapping m = ColumnMapping::fromHeadings({heading});
    return m.targets()[0] ? m.targets()[0]->entryColumn : 0;
}

TEST(ColumnMapping, AcceptsTheGridHeadingsAndTheFormsUsedInTheField) {
    struct Case {
        std::string heading;
        int column;
    } cases[] = {
        {"SiO2    [c]", 2}, {"SiO2   [o]", 25}, {"SiO2_Cpx", 2},      {"SiO2_Opx", 25},
        {"Cpx_SiO2", 2},    {"Opx_SiO2", 25},   {"SiO2(c)", 2},       {"sio2 (o)", 25},
        {"FeOt_Cpx", 8},    {"FeO*", 8},        {"FeOt_Opx", 31},     {"Li2O", 19},
        {"Li2O_Opx", 42},   {"CoO", 11},        {"Sample_ID_Cpx", 1}, {"Sample_ID_Opx", 24},
        {"P(kbar)  ", 21},  {"P_kbar", 21},     {"P_GPa", 21},        {"T(oC)   ", 22},
        {"T_C", 22},        {"T_K", 22},        {"Sample    ", 1},    {"MgO     [c]", 13},
        {"Al2O3 [o]", 27},  {"Na2O_cpx", 15},   {"Rock", 0},          {"Spacer20", 0},
        {"SiO2_Liq", 0},    {"Cpx", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(targetOf(c.heading), c.column) << c.heading;
}

TEST(ColumnMapping, TheSecondUnmarkedSampleIsTheOrthopyroxenes) {
    const ColumnMapping m =
        ColumnMapping::fromHeadings({"Sample    ", "SiO2    [c]", "Sample    "});
    ASSERT_TRUE(m.targets()[2]);
    EXPECT_EQ(m.targets()[2]->entryColumn, 24);
}

TEST(ColumnMapping, ADuplicateIsIgnoredAndListedOnce) {
    const ColumnMapping m = ColumnMapping::fromHeadings({"FeO", "FeOt", "Comment", "", "Row No"});
    ASSERT_TRUE(m.targets()[0]);
    EXPECT_FALSE(m.targets()[1]);
    EXPECT_EQ(m.ignored(), (std::vector<std::string>{"FeOt", "Comment"}));
}

TEST(ColumnMapping, KnowsWhenNoClinopyroxeneOxideIsThere) {
    EXPECT_FALSE(ColumnMapping::fromHeadings({"Sample", "P_kbar", "SiO2_Opx"}).hasCpxOxide());
    EXPECT_TRUE(ColumnMapping::fromHeadings({"Sample", "MgO_Cpx"}).hasCpxOxide());
}

TEST(ColumnMapping, ConvertsGigapascalAndKelvin) {
    const ColumnMapping m = ColumnMapping::fromHeadings({"SiO2", "P_GPa", "T_K"});
    std::vector<std::string> scratch;
    EntryRow row;
    m.fill({"51.2", "1.5", "1573.15"}, scratch, row);
    EXPECT_EQ(row[2], "51.2");
    EXPECT_EQ(row[21], "15");
    EXPECT_EQ(row[22], "1300");

    // Empty cells stay empty (the run's defaults apply); text is left for the run to judge.
    m.fill({"51.2", "", "hot"}, scratch, row);
    EXPECT_EQ(row[21], "");
    EXPECT_EQ(row[22], "hot");
}

TEST(ColumnMapping, FillsOnlyMappedCellsAndToleratesShortRecords) {
    const ColumnMapping m = ColumnMapping::fromHeadings({"Comment", "MgO_Cpx", "CaO_Cpx"});
    std::vector<std::string> scratch;
    EntryRow row;
    row.cells[5] = "stale";
    m.fill({"x", "16.2"}, scratch, row);
    EXPECT_EQ(row[13], "16.2");
    EXPECT_EQ(row[14], "");
    EXPECT_EQ(row[5], "");
}

TEST(ColumnMapping, PositionalFollowsTheAnalysisFileOrder) {
    const ColumnMapping m = ColumnMapping::positional();
    ASSERT_EQ(m.targets().size(), 42u);
    EXPECT_EQ(m.targets()[0]->entryColumn, 1);
    EXPECT_EQ(m.targets()[41]->entryColumn, 42);
}

}  // namespace
}  // namespace kalvoren
