#include "platform/ResultsWorkbook.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <zip.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "WorkbookFixtures.h"
#include "platform/Workbook.h"

namespace kalvoren {
namespace {

using test::filledCells;
using test::ScratchFolder;

TEST(SpreadsheetNumber, TextsASpreadsheetWouldReadAsNumbers) {
    const std::pair<const char*, double> numbers[] = {
        {"1,234.5000", 1234.5},
        {"0.0500", 0.05},
        {"2269", 2269},
        {"-3.2", -3.2},
        {"5E-05", 5e-05},
        {"+7", 7},
        {"1,234,567", 1234567},
        {".5", 0.5},
        {"5.", 5},
        {"1e3", 1000},
        {"-0", 0},
        {"0", 0},
        {"-1,000.25", -1000.25},
        {"1.5E+20", 1.5e20},
        {"123456789012345", 123456789012345.0},
        {"0.000000000000000000001", 1e-21},
        {"100000000000000000000", 1e20},
    };
    for (const auto& [text, value] : numbers) {
        const std::optional<double> n = spreadsheetNumber(text);
        ASSERT_TRUE(n.has_value()) << text;
        EXPECT_DOUBLE_EQ(*n, value) << text;
    }
}

TEST(SpreadsheetNumber, EverythingElseStaysText) {
    const char* texts[] = {
        "",
        " 12",
        "12 ",
        "007",
        "00.5",
        "1,23",
        "12,34.5",
        "1,2345",
        ",123",
        "0,123",
        "1.2.3",
        "abc",
        "Cpx",
        "1/2",
        "5%",
        "1E",
        "E5",
        "-",
        ".",
        "+",
        "nan",
        "inf",
        "0x10",
        "1E999",
        "1e-400",
        "--1",
        "1 000",
        "1,234e",
        "Sample       ",
        "12345678901234567",
        "1234567890.123456",
        "T(oC)",
        "1,234.5.0",
        "1.5E+2.5",
    };
    for (const char* text : texts) EXPECT_FALSE(spreadsheetNumber(text).has_value()) << text;
}

// The sheet part of an .xlsx file, to see how each cell was stored.
std::string sheetXml(const std::filesystem::path& file) {
    int error = 0;
    zip_t* zip = zip_open(file.c_str(), ZIP_RDONLY, &error);
    if (!zip) return {};
    std::string xml;
    if (zip_file_t* part = zip_fopen(zip, "xl/worksheets/sheet1.xml", 0)) {
        char buffer[4096];
        zip_int64_t n;
        while ((n = zip_fread(part, buffer, sizeof buffer)) > 0)
            xml.append(buffer, static_cast<std::size_t>(n));
        zip_fclose(part);
    }
    zip_discard(zip);
    return xml;
}

bool storedAsNumber(const std::string& xml, const std::string& ref, const std::string& value) {
    return xml.find("<c r=\"" + ref + "\"><v>" + value + "</v></c>") != std::string::npos;
}
bool storedAsText(const std::string& xml, const std::string& ref) {
    return xml.find("<c r=\"" + ref + "\" t=\"s\">") != std::string::npos ||
           xml.find("<c r=\"" + ref + "\" t=\"inlineStr\">") != std::string::npos;
}

const std::vector<std::vector<std::string>> kResultGrid = {
    {"", "1", "2", "3", "4"},
    {"Sample       ", "SiO2 (c)", "Jd", "T (oC)", "Group"},
    {"Sample 1", "1,234.5000", "0.0500", "2269", "Quad"},
    {"007", "-3.2", "", "5E-05", "Na"},
};

TEST(ResultsWorkbook, ExportsTheGridCellByCellWithNumbersAsNumbers) {
    ScratchFolder folder;
    const auto file = folder.file("Output.xlsx");
    std::vector<std::pair<int, int>> progress;
    const WorkbookWriteResult written = writeResultsWorkbook(
        file, kResultGrid, [&](int done, int total) { progress.emplace_back(done, total); });
    ASSERT_TRUE(written.ok()) << written.error;
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{0, 4}, {1, 4}, {2, 4}, {3, 4}, {4, 4}}));

    const std::string xml = sheetXml(file);
    EXPECT_TRUE(storedAsNumber(xml, "B1", "1"));
    EXPECT_TRUE(storedAsNumber(xml, "B3", "1234.5"));
    EXPECT_TRUE(storedAsNumber(xml, "C3", "0.05"));
    EXPECT_TRUE(storedAsNumber(xml, "D3", "2269"));
    EXPECT_TRUE(storedAsNumber(xml, "B4", "-3.2"));
    EXPECT_TRUE(storedAsText(xml, "A2"));
    EXPECT_TRUE(storedAsText(xml, "A4"));                // "007" keeps its zeros
    EXPECT_EQ(xml.find("r=\"A1\""), std::string::npos);  // an empty text writes no cell
    EXPECT_EQ(xml.find("r=\"C4\""), std::string::npos);

    // Read back with our own reader: cell (r, c) is sheet cell (r + 1, c + 1).
    const WorkbookReadResult read = readWorkbookBlock(file, 5, 6);
    ASSERT_TRUE(read.ok()) << read.error;
    const std::vector<std::string> expected = {
        "0,1=1",    "0,2=2",      "0,3=3",     "0,4=4",        "1,0=Sample       ", "1,1=SiO2 (c)",
        "1,2=Jd",   "1,3=T (oC)", "1,4=Group", "2,0=Sample 1", "2,1=1234.5",        "2,2=0.05",
        "2,3=2269", "2,4=Quad",   "3,0=007",   "3,1=-3.2",     "3,3=5E-05",         "3,4=Na"};
    EXPECT_EQ(filledCells(read.block), expected);
    // Nothing of the temporary file is left beside the workbook.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(ResultsWorkbook, WritesRowByRowInConstantMemory) {
    ScratchFolder folder;
    const auto file = folder.file("batch.xlsx");
    ResultsWorkbookOptions options;
    options.constantMemory = true;
    ResultsWorkbookWriter writer(file, options);
    ASSERT_TRUE(writer.open().ok());
    for (int r = 0; r < 2000; ++r) {
        const std::vector<std::string> row = {"Sample " + std::to_string(r),
                                              std::to_string(r) + ".5000", "Cpx"};
        ASSERT_TRUE(writer.writeRow(row).ok());
    }
    EXPECT_EQ(writer.rowsWritten(), 2000);
    EXPECT_FALSE(std::filesystem::exists(file));  // only once finished
    ASSERT_TRUE(writer.finish().ok());

    const std::string xml = sheetXml(file);
    EXPECT_TRUE(storedAsText(xml, "A1"));
    EXPECT_TRUE(storedAsNumber(xml, "B2000", "1999.5"));
    int rows = 0;
    std::string last;
    const auto result =
        forEachWorkbookRow(file, [&](int row, const std::vector<WorkbookCell>& cells) {
            ++rows;
            last = std::to_string(row) + ":" + cells[0].text + "|" + cells[1].text + "|" +
                   cells[2].text;
            return true;
        });
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(rows, 2000);
    EXPECT_EQ(last, "1999:Sample 1999|1999.5|Cpx");
}

TEST(ResultsWorkbook, KeepsEveryTextReadable) {
    ScratchFolder folder;
    const auto file = folder.file("texts.xlsx");
    const std::string longText(40000, 'x');
    const std::vector<std::vector<std::string>> grid = {
        {"\xB5m", "Fe\xC2\xB3\xE2\x81\xBA", "<&>\"'", longText, "a\tb"}};
    ASSERT_TRUE(writeResultsWorkbook(file, grid).ok());
    const WorkbookReadResult read = readWorkbookBlock(file, 1, 5);
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.block.at(0, 0).text, "\xC2\xB5m");  // a stray Latin-1 byte: µ
    EXPECT_EQ(read.block.at(0, 1).text, "Fe\xC2\xB3\xE2\x81\xBA");
    EXPECT_EQ(read.block.at(0, 2).text, "<&>\"'");
    EXPECT_EQ(read.block.at(0, 3).text, std::string(32767, 'x'));  // a cell's limit
    EXPECT_EQ(read.block.at(0, 4).text, "a b");
}

TEST(ResultsWorkbook, AFailedExportLeavesThePreviousFileAsItWas) {
    ScratchFolder folder;
    const auto file = folder.file("Output.xlsx");
    ASSERT_TRUE(writeResultsWorkbook(file, kResultGrid).ok());
    const std::string before = test::readFileBytes(file);

    // A row wider than a sheet fails half-way through the export.
    ResultsWorkbookWriter writer(file);
    ASSERT_TRUE(writer.open().ok());
    ASSERT_TRUE(writer.writeRow(kResultGrid[0]).ok());
    const WorkbookWriteResult failed =
        writer.writeRow(std::vector<std::string>(ResultsWorkbookWriter::kMaxColumns + 1, "1"));
    EXPECT_FALSE(failed.ok());
    EXPECT_NE(failed.error.find("\"" + file.string() + "\" cannot be written"), std::string::npos)
        << failed.error;
    EXPECT_FALSE(writer.finish().ok());
    EXPECT_EQ(test::readFileBytes(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(ResultsWorkbook, ReportsAFolderThatCannotTakeTheFile) {
    ScratchFolder folder;
    const auto missing = folder.file("no such folder") / "Output.xlsx";
    WorkbookWriteResult result = writeResultsWorkbook(missing, kResultGrid);
    EXPECT_FALSE(result.ok());
    EXPECT_NE(result.error.find(missing.string()), std::string::npos) << result.error;
    EXPECT_NE(result.error.find("the folder does not exist"), std::string::npos) << result.error;
    EXPECT_EQ(result.cause, std::errc::no_such_file_or_directory);

    test::writeFileBytes(folder.file("plain file"), "x");
    result = writeResultsWorkbook(folder.file("plain file") / "Output.xlsx", kResultGrid);
    EXPECT_FALSE(result.ok());

    result = writeResultsWorkbook(folder.path(), kResultGrid);
    EXPECT_FALSE(result.ok());
    EXPECT_NE(result.error.find("it is a folder"), std::string::npos) << result.error;
}

TEST(ResultsWorkbook, ReportsAReadOnlyFolderOrFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "the superuser may write into read-only folders";
    ScratchFolder folder;
    const auto file = folder.file("Output.xlsx");
    ASSERT_TRUE(writeResultsWorkbook(file, kResultGrid).ok());
    const std::string before = test::readFileBytes(file);

    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    WorkbookWriteResult result = writeResultsWorkbook(file, {{"changed"}});
    EXPECT_FALSE(result.ok());
    EXPECT_NE(result.error.find("read-only"), std::string::npos) << result.error;

    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
    std::filesystem::permissions(
        folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    result = writeResultsWorkbook(file, {{"changed"}});
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.cause, std::errc::permission_denied);
    EXPECT_EQ(test::readFileBytes(file), before);
}

// A desktop program runs under the user's locale; one with a decimal comma must not change
// how numbers are stored. A German locale is made for the test when the system has none.
TEST(ResultsWorkbook, StoresNumbersAlikeUnderADecimalCommaLocale) {
    ScratchFolder folder;
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        const std::string make = "localedef -i de_DE -f UTF-8 '" +
                                 folder.file("de_DE.UTF-8").string() + "' >/dev/null 2>&1";
        if (std::system(make.c_str()) == 0) {
            ::setenv("LOCPATH", folder.path().c_str(), 1);
            std::setlocale(LC_ALL, "de_DE.UTF-8");
        }
    }
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    const bool commaLocale = std::string(probe) == "1,5";
    WorkbookWriteResult written;
    if (commaLocale) written = writeResultsWorkbook(folder.file("Output.xlsx"), kResultGrid);
    std::setlocale(LC_ALL, previous.c_str());
    ::unsetenv("LOCPATH");
    if (!commaLocale) GTEST_SKIP() << "no locale with a decimal comma";

    ASSERT_TRUE(written.ok()) << written.error;
    const std::string xml = sheetXml(folder.file("Output.xlsx"));
    EXPECT_TRUE(storedAsNumber(xml, "B3", "1234.5"));
    EXPECT_TRUE(storedAsNumber(xml, "B4", "-3.2"));
}

// LibreOffice reads the exported workbook as the grid shows it (when it is installed).
TEST(ResultsWorkbook, LibreOfficeReadsTheExportAsTheGrid) {
    if (std::system("command -v soffice >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "LibreOffice is not installed";
    ScratchFolder folder;
    const auto file = folder.file("Output.xlsx");
    ASSERT_TRUE(writeResultsWorkbook(file, kResultGrid).ok());
    const std::string command = "cd '" + folder.path().string() +
                                "' && soffice -env:UserInstallation=file://" +
                                folder.path().string() +
                                "/profile --headless --convert-to csv Output.xlsx "
                                ">/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream csv(folder.file("Output.csv"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(csv, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    // Numbers come back in the spreadsheet's general format (0.00005, not the text "5E-05"),
    // texts as they were.
    const std::vector<std::string> expected = {
        ",1,2,3,4",
        "Sample       ,SiO2 (c),Jd,T (oC),Group",
        "Sample 1,1234.5,0.05,2269,Quad",
        "007,-3.2,,0.00005,Na",
    };
    EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace kalvoren
