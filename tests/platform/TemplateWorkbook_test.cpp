#include "platform/TemplateWorkbook.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WorkbookFixtures.h"
#include "entry/AnalysisTable.h"
#include "platform/Workbook.h"

namespace kalvoren {
namespace {

std::vector<std::string> entryHeadings() {
    return std::vector<std::string>(kEntryHeadings.begin(), kEntryHeadings.end());
}

// The table layout: headings in row 1, row numbers 1-100 in column A, nothing else.
void expectTableLayout(const std::filesystem::path& file) {
    const WorkbookReadResult read = readWorkbookBlock(file, 102, 44);
    ASSERT_TRUE(read.ok()) << read.error;
    for (int r = 0; r < 102; ++r) {
        for (int c = 0; c < 44; ++c) {
            std::string expected;
            if (r == 0 && c < 43)
                expected = std::string(kEntryHeadings[static_cast<std::size_t>(c)]);
            else if (c == 0 && r <= 100)
                expected = std::to_string(r);
            EXPECT_EQ(read.block.at(r, c).text, expected) << file << " " << r << "," << c;
        }
    }
}

TEST(TemplateWorkbook, WritesTheEntryTableLayout) {
    test::ScratchFolder folder;
    const auto file = folder.file("Kalvoren.xlsx");
    const WorkbookWriteResult written = writeTemplateWorkbook(file, entryHeadings());
    ASSERT_TRUE(written.ok()) << written.error;
    expectTableLayout(file);
}

TEST(TemplateWorkbook, ShippedTemplatesCarryTheEntryTableLayout) {
    const std::filesystem::path templates =
        std::filesystem::path(KALVOREN_SOURCE_DIR) / "templates";
    expectTableLayout(templates / "Kalvoren.xlsx");
    expectTableLayout(templates / "Kalvoren.xls");
}

// Writes templates/Kalvoren.xlsx; run on request only:
//   kalvoren_platform_tests --gtest_also_run_disabled_tests --gtest_filter='*WriteShippedTemplate'
// then convert it to .xls (tests/data/workbooks/make_workbooks.py --template ...).
TEST(TemplateWorkbook, DISABLED_WriteShippedTemplate) {
    const auto file = std::filesystem::path(KALVOREN_SOURCE_DIR) / "templates" / "Kalvoren.xlsx";
    const WorkbookWriteResult written = writeTemplateWorkbook(file, entryHeadings());
    ASSERT_TRUE(written.ok()) << written.error;
}

}  // namespace
}  // namespace kalvoren
