#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <cstring>
#include <string>
#include <vector>

#include "WorkbookFixtures.h"
#include "entry/AnalysisTable.h"
#include "platform/Workbook.h"

namespace kalvoren {
namespace {

using test::filledCells;
using test::minimalOds;
using test::minimalXlsx;
using test::ScratchFolder;
using test::shown;
using test::workbookFixture;
using test::writeZip;

// ---------------------------------------------------------------------------------------
// The committed fixtures: one workbook (made by openpyxl, then saved by LibreOffice in
// each format) whose second sheet is the active one, with row 1 and column A empty.

const std::vector<std::string> kAnalysesCells = {
    "1,1=Sample 1",
    "1,2=48.123456789",  // shown rounded as 48.12; the stored value is read
    "1,3=96.246913578",  // =C2*2, its saved result
    "1,4=True",
    "1,5=#ERR",   // =1/0
    "1,6=a b c",  // TAB and LF became blanks
    "1,7=2269",
    "1,8=5E-05",
    "1,9=-3.2",
    "1,10=#ERR",             // #N/A
    "2,1=1234567.12345679",  // 1234567.123456789012 to 15 significant digits
    "2,2=  spaced  ",
    "2,3=1E+20",
    "2,4=False",
    "100,42=corner",  // AQ101, the last cell of the block; AR2 and B102 lie outside
};

std::vector<std::string> without(std::vector<std::string> cells,
                                 const std::vector<std::string>& gone) {
    for (const auto& g : gone) std::erase(cells, g);
    return cells;
}

std::vector<std::string> replaced(std::vector<std::string> cells, const std::string& from,
                                  const std::string& to) {
    for (auto& c : cells)
        if (c == from) c = to;
    return cells;
}

struct FixtureCase {
    const char* file;
    std::vector<std::string> cells;
};

TEST(WorkbookRead, ReadsTheActiveSheetsBlockOfEveryFormat) {
    const FixtureCase cases[] = {
        {"analyses_libreoffice.xlsx", kAnalysesCells},
        {"analyses_libreoffice.xls", kAnalysesCells},
        // LibreOffice's .ods export keeps the LF but drops the TAB of that text.
        {"analyses_libreoffice.ods", replaced(kAnalysesCells, "1,6=a b c", "1,6=ab c")},
        // openpyxl saves formulas without results: those cells are empty.
        {"analyses_openpyxl.xlsx", without(kAnalysesCells, {"1,3=96.246913578", "1,5=#ERR"})},
    };
    for (const auto& c : cases) {
        const WorkbookReadResult read = readWorkbookBlock(workbookFixture(c.file));
        ASSERT_TRUE(read.ok()) << c.file << ": " << read.error;
        EXPECT_EQ(read.sheetName, "Analyses") << c.file;
        EXPECT_EQ(read.block.rows, 101);
        EXPECT_EQ(read.block.cols, 43);
        EXPECT_EQ(filledCells(read.block), c.cells) << c.file;
    }
}

TEST(WorkbookRead, ReadsAPandasWorkbookWithAbsolutePartPaths) {
    const WorkbookReadResult read = readWorkbookBlock(workbookFixture("table_pandas.xlsx"));
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.sheetName, "pyroxenes");
    const std::vector<std::string> expected = {"0,0=Sample", "0,1=SiO2", "0,2=TiO2", "1,0=A-1",
                                               "1,1=50.1",   "1,2=0.5",  "2,0=A-2",  "2,1=49.87"};
    EXPECT_EQ(filledCells(read.block), expected);
}

TEST(WorkbookRead, BlockIsBoundedByTheRowsAndColumnsAsked) {
    const WorkbookReadResult read =
        readWorkbookBlock(workbookFixture("analyses_libreoffice.xlsx"), 3, 4);
    ASSERT_TRUE(read.ok()) << read.error;
    const std::vector<std::string> expected = {"1,1=Sample 1",     "1,2=48.123456789",
                                               "1,3=96.246913578", "2,1=1234567.12345679",
                                               "2,2=  spaced  ",   "2,3=1E+20"};
    EXPECT_EQ(filledCells(read.block), expected);
}

TEST(WorkbookRead, RowReaderGivesEveryRowOfTheSheet) {
    for (const char* file : {"analyses_libreoffice.xlsx", "analyses_libreoffice.ods",
                             "analyses_libreoffice.xls", "analyses_openpyxl.xlsx"}) {
        std::vector<int> indices;
        std::vector<std::size_t> widths;
        std::string farRight, farDown;
        const WorkbookRowsResult result = forEachWorkbookRow(
            workbookFixture(file), [&](int row, const std::vector<WorkbookCell>& cells) {
                indices.push_back(row);
                widths.push_back(cells.size());
                if (row == 1) farRight = shown(cells.back());
                if (row == 149) farDown = shown(cells.back());
                return true;
            });
        ASSERT_TRUE(result.ok()) << file << ": " << result.error;
        EXPECT_EQ(indices, (std::vector<int>{1, 2, 100, 101, 149})) << file;
        EXPECT_EQ(widths, (std::vector<std::size_t>{44, 5, 43, 2, 52})) << file;
        EXPECT_EQ(farRight, "beyond AQ") << file;
        EXPECT_EQ(farDown, "column AZ") << file;
    }
}

TEST(WorkbookRead, RowReaderStopsWhenTheVisitorHasEnough) {
    int calls = 0;
    const WorkbookRowsResult result =
        forEachWorkbookRow(workbookFixture("analyses_libreoffice.xlsx"),
                           [&](int, const std::vector<WorkbookCell>&) { return ++calls < 2; });
    EXPECT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(calls, 2);
}

// The published import workbooks: the table layout, one pair analysis per row.
TEST(WorkbookRead, ReadsThePublishedImportWorkbooksAlike) {
    const std::filesystem::path folder = std::filesystem::path(KALVOREN_DATA_DIR) / "xlsx";
    const WorkbookReadResult xlsx = readWorkbookBlock(folder / "pairs_lepr_wet_import100.xlsx");
    const WorkbookReadResult xls = readWorkbookBlock(folder / "pairs_lepr_wet_import100.xls");
    ASSERT_TRUE(xlsx.ok()) << xlsx.error;
    ASSERT_TRUE(xls.ok()) << xls.error;
    for (int c = 0; c < 43; ++c)
        EXPECT_EQ(xlsx.block.at(0, c).text,
                  std::string(kEntryHeadings[static_cast<std::size_t>(c)]))
            << "heading " << c;
    EXPECT_EQ(xlsx.block.at(1, 0).text, "1");
    EXPECT_EQ(xlsx.block.at(1, 1).text, "Alonso-Perez 2009 RP62A");
    EXPECT_EQ(xlsx.block.at(1, 2).text, "48.8");
    EXPECT_EQ(xlsx.block.at(1, 21).text, "12");
    EXPECT_EQ(xlsx.block.at(1, 22).text, "900");
    EXPECT_EQ(xlsx.block.at(1, 25).text, "48.6");
    EXPECT_EQ(xlsx.block.at(100, 0).text, "100");
    EXPECT_EQ(filledCells(xls.block), filledCells(xlsx.block));
}

// ---------------------------------------------------------------------------------------
// Workbooks written by libxlsxwriter, in normal and in constant-memory mode (which
// writes every text as an inline string).

std::filesystem::path writeWithLibxlsxwriter(const ScratchFolder& folder, bool constantMemory) {
    const auto file = folder.file(constantMemory ? "constant.xlsx" : "normal.xlsx");
    lxw_workbook_options options{};
    options.constant_memory = constantMemory ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* wb = workbook_new_opt(file.c_str(), &options);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Results");
    lxw_format* twoPlaces = workbook_add_format(wb);
    format_set_num_format(twoPlaces, "0.00");
    lxw_format* bold = workbook_add_format(wb);
    format_set_bold(bold);
    worksheet_write_string(ws, 0, 0, "Row No", nullptr);
    worksheet_write_number(ws, 0, 1, 48.123456789, twoPlaces);
    worksheet_write_formula_num(ws, 0, 2, "=B1*2", nullptr, 96.246913578);
    worksheet_write_boolean(ws, 0, 3, 1, nullptr);
    worksheet_write_string(ws, 0, 4, "tab\there", nullptr);
    lxw_rich_string_tuple first = {bold, const_cast<char*>("Cpx ")};
    lxw_rich_string_tuple second = {nullptr, const_cast<char*>("rim")};
    lxw_rich_string_tuple* runs[] = {&first, &second, nullptr};
    worksheet_write_rich_string(ws, 0, 5, runs, nullptr);
    worksheet_write_formula_str(ws, 0, 6, "=\"Cpx\"&\"-1\"", nullptr, "Cpx-1");
    worksheet_write_number(ws, 1, 0, 2269, nullptr);
    worksheet_write_string(ws, 1048575, 16383, "far", nullptr);
    EXPECT_EQ(workbook_close(wb), LXW_NO_ERROR);
    return file;
}

TEST(WorkbookRead, ReadsLibxlsxwriterWorkbooksInBothModes) {
    ScratchFolder folder;
    for (bool constantMemory : {false, true}) {
        const auto file = writeWithLibxlsxwriter(folder, constantMemory);
        const WorkbookReadResult read = readWorkbookBlock(file, 2, 7);
        ASSERT_TRUE(read.ok()) << read.error;
        const std::vector<std::string> expected = {
            "0,0=Row No",   "0,1=48.123456789", "0,2=96.246913578", "0,3=True",
            "0,4=tab here", "0,5=Cpx rim",      "0,6=Cpx-1",        "1,0=2269"};
        EXPECT_EQ(filledCells(read.block), expected) << "constant memory " << constantMemory;

        // The cell at the sheet's last row and column, XFD1048576.
        int lastRow = -1;
        std::vector<WorkbookCell> lastCells;
        const WorkbookRowsResult rows =
            forEachWorkbookRow(file, [&](int row, const std::vector<WorkbookCell>& cells) {
                lastRow = row;
                lastCells = cells;
                return true;
            });
        ASSERT_TRUE(rows.ok()) << rows.error;
        EXPECT_EQ(lastRow, 1048575);
        ASSERT_EQ(lastCells.size(), 16384u);
        EXPECT_EQ(lastCells.back().text, "far");
    }
}

// ---------------------------------------------------------------------------------------
// Hand-made packages for the corners of the formats.

WorkbookReadResult readParts(const ScratchFolder& folder, const test::ZipParts& parts, int rows = 4,
                             int cols = 4) {
    const auto file = folder.file("made.xlsx");
    EXPECT_TRUE(writeZip(file, parts));
    return readWorkbookBlock(file, rows, cols);
}

struct SheetCase {
    const char* what;
    std::string sheetData;
    std::string sharedStrings;
    std::vector<std::string> cells;
};

TEST(WorkbookRead, ReadsEveryKindOfXlsxCell) {
    const SheetCase cases[] = {
        {"cells without a reference take the next place",
         "<row><c t=\"inlineStr\"><is><t>a</t></is></c><c><v>2</v></c></row>"
         "<row><c><v>3</v></c></row><row r=\"4\"><c r=\"B4\"><v>4</v></c><c><v>5</v></c></row>",
         "",
         {"0,0=a", "0,1=2", "1,0=3", "3,1=4", "3,2=5"}},
        {"rich shared texts without their phonetic runs, escapes decoded",
         "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>"
         "<c r=\"C1\" t=\"s\"><v>2</v></c></row>",
         "<si><r><t>Sam</t></r><r><rPr><b/></rPr><t xml:space=\"preserve\">ple 1</t></r>"
         "<rPh sb=\"0\" eb=\"1\"><t>PHONETIC</t></rPh></si>"
         "<si><t>a_x000D_b_x0009_c_x005F_d</t></si><si><t/></si>",
         {"0,0=Sample 1", "0,1=a b c_d"}},
        {"inline rich text, logical values, errors, formula texts, dates",
         "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><r><t>Opx</t></r><r><t> "
         "core</t></r></is></c>"
         "<c r=\"B2\" t=\"b\"><v>0</v></c><c r=\"C2\" t=\"e\"><v>#REF!</v></c>"
         "<c r=\"D2\" t=\"str\"><f>A2</f><v>Opx core</v></c></row>"
         "<row r=\"3\"><c r=\"A3\" t=\"d\"><v>2024-01-31</v></c><c r=\"B3\"><v>abc</v></c>"
         "<c r=\"C3\"><f>1/0</f></c><c r=\"D3\" s=\"1\"/></row>",
         "",
         {"1,0=Opx core", "1,1=False", "1,2=#ERR", "1,3=Opx core", "2,0=2024-01-31", "2,1=#ERR"}},
        {"numbers as spreadsheets store them",
         "<row r=\"1\"><c r=\"A1\"><v>1E+020</v></c><c r=\"B1\"><v>-0</v></c>"
         "<c r=\"C1\"><v>0.1</v></c><c r=\"D1\"><v>123456789012345678</v></c></row>",
         "",
         {"0,0=1E+20", "0,1=0", "0,2=0.1", "0,3=1.23456789012346E+17"}},
    };
    ScratchFolder folder;
    for (const auto& c : cases) {
        const WorkbookReadResult read =
            readParts(folder, minimalXlsx(c.sheetData, c.sharedStrings));
        ASSERT_TRUE(read.ok()) << c.what << ": " << read.error;
        EXPECT_EQ(filledCells(read.block), c.cells) << c.what;
    }
}

TEST(WorkbookRead, FollowsRelativeAndAbsolutePartPaths) {
    ScratchFolder folder;
    const std::string row = "<row r=\"1\"><c r=\"A1\"><v>7</v></c></row>";
    for (const char* target : {"worksheets/sheet1.xml", "/xl/worksheets/sheet1.xml",
                               "../xl/worksheets/./sheet1.xml", "WORKSHEETS/Sheet1.xml"}) {
        const WorkbookReadResult read = readParts(folder, minimalXlsx(row, "", target));
        ASSERT_TRUE(read.ok()) << target << ": " << read.error;
        EXPECT_EQ(read.block.at(0, 0).text, "7") << target;
    }
}

test::ZipParts twoSheetXlsx(const std::string& activeTab, const std::string& secondType) {
    const std::string ns = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    test::ZipParts parts = minimalXlsx("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>");
    parts[2].second = "<workbook xmlns:r=\"" + ns + "\"><bookViews><workbookView activeTab=\"" +
                      activeTab +
                      "\"/></bookViews><sheets><sheet name=\"One\" sheetId=\"1\" r:id=\"rId1\"/>"
                      "<sheet name=\"Two\" sheetId=\"2\" r:id=\"rId9\"/></sheets></workbook>";
    parts[3].second =
        "<Relationships><Relationship Id=\"rId1\" Type=\"" + ns +
        "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId9\" Type=\"" + ns +
        "/" + secondType + "\" Target=\"worksheets/sheet2.xml\"/></Relationships>";
    parts.push_back({"xl/worksheets/sheet2.xml",
                     "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"><v>2</v></c></row>"
                     "</sheetData></worksheet>"});
    return parts;
}

TEST(WorkbookRead, ReadsTheSheetTheWorkbookViewMarksActive) {
    ScratchFolder folder;
    struct Case {
        const char* activeTab;
        const char* sheet;
        const char* a1;
    } cases[] = {{"1", "Two", "2"}, {"0", "One", "1"}, {"7", "One", "1"}, {"x", "One", "1"}};
    for (const auto& c : cases) {
        const WorkbookReadResult read = readParts(folder, twoSheetXlsx(c.activeTab, "worksheet"));
        ASSERT_TRUE(read.ok()) << read.error;
        EXPECT_EQ(read.sheetName, c.sheet) << c.activeTab;
        EXPECT_EQ(read.block.at(0, 0).text, c.a1) << c.activeTab;
    }
    const WorkbookReadResult chart = readParts(folder, twoSheetXlsx("1", "chartsheet"));
    EXPECT_FALSE(chart.ok());
    EXPECT_NE(chart.error.find("\"Two\" is a chart"), std::string::npos) << chart.error;
}

TEST(WorkbookRead, ReadsACellAtTheLastRowAndColumnWithoutReadingTheRest) {
    ScratchFolder folder;
    const test::ZipParts parts = minimalXlsx(
        "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"
        "<row r=\"1048576\"><c r=\"XFD1048576\" t=\"inlineStr\"><is><t>far</t></is></c></row>");
    const WorkbookReadResult block = readParts(folder, parts, 101, 43);
    ASSERT_TRUE(block.ok()) << block.error;
    EXPECT_EQ(filledCells(block.block), (std::vector<std::string>{"0,0=1"}));

    std::vector<int> rows;
    std::size_t width = 0;
    const auto result = forEachWorkbookRow(folder.file("made.xlsx"),
                                           [&](int row, const std::vector<WorkbookCell>& cells) {
                                               rows.push_back(row);
                                               width = cells.size();
                                               return true;
                                           });
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(rows, (std::vector<int>{0, 1048575}));
    EXPECT_EQ(width, 16384u);
}

// ---------------------------------------------------------------------------------------
// Files that cannot be read: a message naming the file and the reason, never a crash.

void expectRefused(const std::filesystem::path& file, const std::string& reasonPart) {
    const WorkbookReadResult read = readWorkbookBlock(file);
    EXPECT_FALSE(read.ok()) << file;
    EXPECT_NE(read.error.find("\"" + file.string() + "\""), std::string::npos) << read.error;
    EXPECT_NE(read.error.find("cannot be read: "), std::string::npos) << read.error;
    EXPECT_NE(read.error.find(reasonPart), std::string::npos) << read.error;
    EXPECT_TRUE(read.block.cells.empty());
    const WorkbookRowsResult rows =
        forEachWorkbookRow(file, [](int, const std::vector<WorkbookCell>&) { return true; });
    EXPECT_FALSE(rows.ok()) << file;
}

TEST(WorkbookRead, RefusesFilesThatAreNotWorkbooks) {
    ScratchFolder folder;
    test::writeFileBytes(folder.file("empty.xlsx"), "");
    test::writeFileBytes(folder.file("words.xlsx"), "Sample\tSiO2\r\n");
    test::writeFileBytes(folder.file("cut.xlsx"), "PK\x03");
    test::writeFileBytes(folder.file("header.xlsx"), std::string("PK\x03\x04", 4) + "garbage");
    const std::string xls = test::readFileBytes(workbookFixture("analyses_libreoffice.xls"));
    test::writeFileBytes(folder.file("half.xls"), xls.substr(0, xls.size() / 2));
    test::writeFileBytes(folder.file("head.xls"), xls.substr(0, 600));
    ASSERT_TRUE(writeZip(folder.file("other.xlsx"), {{"readme.txt", "hello"}}));

    expectRefused(folder.file("missing.xlsx"), "does not exist");
    expectRefused(folder.path(), "folder");
    expectRefused(folder.file("empty.xlsx"), "empty");
    expectRefused(folder.file("words.xlsx"), "not an .xlsx, .ods or .xls workbook");
    expectRefused(folder.file("cut.xlsx"), "truncated");
    expectRefused(folder.file("header.xlsx"), "zip");
    expectRefused(workbookFixture("truncated.xlsx"), "zip");
    expectRefused(folder.file("half.xls"), "");
    expectRefused(folder.file("head.xls"), "");
    expectRefused(folder.file("other.xlsx"), "holds no workbook");
}

TEST(WorkbookRead, RefusesDamagedXlsxParts) {
    ScratchFolder folder;
    struct Case {
        const char* what;
        test::ZipParts parts;
        const char* reason;
    } cases[] = {
        {"tags crossed", minimalXlsx("<row r=\"1\"><c r=\"A1\"><v>1</v></c>"), "do not match"},
        {"shared text missing",
         minimalXlsx("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>3</v></c></row>", "<si><t>a</t></si>"),
         "shared text"},
        {"column beyond XFD", minimalXlsx("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>"),
         "\"XFE1\""},
        {"row beyond the sheet", minimalXlsx("<row r=\"1048577\"><c><v>1</v></c></row>"),
         "\"1048577\""},
        {"row 0", minimalXlsx("<row r=\"0\"><c><v>1</v></c></row>"), "\"0\""},
        {"entity expansion", minimalXlsx("<row r=\"1\"><c r=\"A1\"><v>&x;</v></c></row>"),
         "entity"},
    };
    for (auto& c : cases) {
        const auto file = folder.file(std::string(c.what) + ".xlsx");
        ASSERT_TRUE(writeZip(file, c.parts));
        expectRefused(file, c.reason);
    }
    // A sheet part cut short, and one missing from the package.
    test::ZipParts cut = minimalXlsx("");
    cut[4].second = "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"><v>1</v>";
    ASSERT_TRUE(writeZip(folder.file("cut.xlsx"), cut));
    expectRefused(folder.file("cut.xlsx"), "ends early");
    test::ZipParts parts = minimalXlsx("");
    parts.erase(parts.begin() + 4);
    ASSERT_TRUE(writeZip(folder.file("no sheet.xlsx"), parts));
    expectRefused(folder.file("no sheet.xlsx"), "\"Data\" is missing");
}

// Overwrites the recorded uncompressed size of `part` in both zip headers.
void claimSize(std::string& zip, const std::string& part, std::uint32_t size) {
    const char local[] = "PK\x03\x04";
    const char central[] = "PK\x01\x02";
    for (std::size_t at = zip.find(local); at != std::string::npos; at = zip.find(local, at + 1))
        if (zip.compare(at + 30, part.size(), part) == 0) std::memcpy(&zip[at + 22], &size, 4);
    for (std::size_t at = zip.find(central); at != std::string::npos;
         at = zip.find(central, at + 1))
        if (zip.compare(at + 46, part.size(), part) == 0) std::memcpy(&zip[at + 24], &size, 4);
}

TEST(WorkbookRead, RefusesAZipBombBeforeInflatingIt) {
    ScratchFolder folder;
    const auto file = folder.file("bomb.xlsx");
    ASSERT_TRUE(writeZip(file, minimalXlsx(std::string(4096, ' '))));
    std::string bytes = test::readFileBytes(file);
    claimSize(bytes, "xl/worksheets/sheet1.xml", 0xF0000000u);  // 3840 MB
    test::writeFileBytes(file, bytes);
    ASSERT_LT(bytes.size(), 4096u);
    expectRefused(file,
                  "\"xl/worksheets/sheet1.xml\" would inflate to 3840 MB, more than the 256 MB");

    ASSERT_TRUE(writeZip(file, minimalXlsx("", "<si><t>a</t></si>")));
    bytes = test::readFileBytes(file);
    claimSize(bytes, "xl/sharedStrings.xml", 65u << 20);
    test::writeFileBytes(file, bytes);
    expectRefused(file, "more than the 64 MB");
}

// ---------------------------------------------------------------------------------------
// OpenDocument: repeated rows and cells, text markup, value types, the active table.

std::string table(const std::string& name, const std::string& rows) {
    return "<table:table table:name=\"" + name + "\">" + rows + "</table:table>";
}

TEST(WorkbookRead, ReadsOdsValueTypesAndTextMarkup) {
    ScratchFolder folder;
    const std::string rows =
        "<table:table-column table:number-columns-repeated=\"5\"/>"
        "<table:table-header-rows><table:table-row>"
        "<table:table-cell office:value-type=\"string\"><text:p>Sample</text:p></table:table-cell>"
        "<table:table-cell office:value-type=\"boolean\" office:boolean-value=\"true\">"
        "<text:p>TRUE</text:p></table:table-cell>"
        "<table:table-cell office:value-type=\"percentage\" "
        "office:value=\"0.05\"><text:p>5%</text:p>"
        "</table:table-cell>"
        "<table:table-cell office:value-type=\"currency\" office:value=\"12.5\"/>"
        "<table:table-cell office:value-type=\"float\" office:value=\"48.123456789\">"
        "<text:p>48.12</text:p></table:table-cell>"
        "</table:table-row></table:table-header-rows>"
        "<table:table-row>"
        "<table:table-cell office:value-type=\"string\"><text:p><text:s text:c=\"2\"/>a<text:tab/>b"
        "<text:line-break/>c<text:span> d</text:span></text:p><text:p>e</text:p>"
        "<office:annotation><text:p>a note</text:p></office:annotation></table:table-cell>"
        "<table:covered-table-cell/>"
        "<table:table-cell office:value-type=\"date\" office:date-value=\"2024-01-31\">"
        "<text:p>31/01/24</text:p></table:table-cell>"
        "<table:table-cell table:formula=\"of:=1/0\" office:value-type=\"string\" "
        "office:string-value=\"\" calcext:value-type=\"error\"><text:p>#DIV/0!</text:p>"
        "</table:table-cell>"
        "<table:table-cell office:value-type=\"boolean\" office:boolean-value=\"false\"/>"
        "</table:table-row>";
    ASSERT_TRUE(writeZip(folder.file("made.ods"), minimalOds(table("Data", rows))));
    const WorkbookReadResult read = readWorkbookBlock(folder.file("made.ods"), 3, 6);
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.sheetName, "Data");
    const std::vector<std::string> expected = {
        "0,0=Sample",      "0,1=True",       "0,2=0.05", "0,3=12.5", "0,4=48.123456789",
        "1,0=  a b c d e", "1,2=2024-01-31", "1,3=#ERR", "1,4=False"};
    EXPECT_EQ(filledCells(read.block), expected);
}

TEST(WorkbookRead, BoundsOdsRepeatsToTheSheet) {
    ScratchFolder folder;
    const std::string rows =
        "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell/></table:table-row>"
        "<table:table-row table:number-rows-repeated=\"99999999999\">"
        "<table:table-cell table:number-columns-repeated=\"3\"/>"
        "<table:table-cell table:number-columns-repeated=\"4000000000\" "
        "office:value-type=\"float\" office:value=\"1\"/></table:table-row>"
        "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"9\"/>"
        "</table:table-row>";
    ASSERT_TRUE(writeZip(folder.file("repeats.ods"), minimalOds(table("Data", rows))));
    const WorkbookReadResult read = readWorkbookBlock(folder.file("repeats.ods"), 101, 43);
    ASSERT_TRUE(read.ok()) << read.error;
    for (int r = 0; r < 101; ++r)
        for (int c = 0; c < 43; ++c)
            EXPECT_EQ(read.block.at(r, c).text, r >= 2 && c >= 3 ? "1" : "") << r << "," << c;

    // The row reader stops at the sheet's last row; each row ends at its last column.
    long long rowsSeen = 0;
    std::size_t width = 0;
    int last = 0;
    const auto result = forEachWorkbookRow(folder.file("repeats.ods"),
                                           [&](int row, const std::vector<WorkbookCell>& cells) {
                                               ++rowsSeen;
                                               width = cells.size();
                                               last = row;
                                               return row < 5;
                                           });
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(rowsSeen, 4);
    EXPECT_EQ(last, 5);
    EXPECT_EQ(width, 16384u);
}

TEST(WorkbookRead, ReadsTheOdsActiveTableOrElseTheFirst) {
    ScratchFolder folder;
    const std::string tables =
        table("First",
              "<table:table-row><table:table-cell office:value-type=\"float\" "
              "office:value=\"1\"/></table:table-row>") +
        table("Second",
              "<table:table-row><table:table-cell office:value-type=\"float\" "
              "office:value=\"2\"/></table:table-row>");
    struct Case {
        const char* active;
        const char* sheet;
        const char* a1;
    } cases[] = {{"Second", "Second", "2"}, {"", "First", "1"}, {"Gone", "First", "1"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(writeZip(folder.file("tables.ods"), minimalOds(tables, c.active)));
        const WorkbookReadResult read = readWorkbookBlock(folder.file("tables.ods"));
        ASSERT_TRUE(read.ok()) << read.error;
        EXPECT_EQ(read.sheetName, c.sheet) << c.active;
        EXPECT_EQ(read.block.at(0, 0).text, c.a1) << c.active;
    }
    ASSERT_TRUE(writeZip(folder.file("none.ods"), minimalOds("")));
    expectRefused(folder.file("none.ods"), "no sheet");
    ASSERT_TRUE(writeZip(folder.file("cut.ods"),
                         {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                          {"content.xml", "<office:document-content><office:body>"}}));
    expectRefused(folder.file("cut.ods"), "\"content.xml\" is damaged");
}

}  // namespace
}  // namespace kalvoren

namespace kalvoren {
namespace {

// Damaged copies of good workbooks (bytes changed, cut short) give a result or a message,
// never a crash or a hang.
TEST(WorkbookRead, DamagedCopiesGiveAMessageNeverACrash) {
    ScratchFolder folder;
    std::uint32_t seed = 12345;
    auto random = [&seed](std::uint32_t below) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % below;
    };
    for (const char* name : {"analyses_libreoffice.xlsx", "analyses_libreoffice.ods",
                             "analyses_libreoffice.xls", "analyses_openpyxl.xlsx"}) {
        const std::string good = test::readFileBytes(workbookFixture(name));
        const auto file =
            folder.file(std::string("damaged") + std::filesystem::path(name).extension().string());
        for (int round = 0; round < 150; ++round) {
            std::string bytes = good;
            if (round % 3 == 0) {
                bytes.resize(random(static_cast<std::uint32_t>(bytes.size())));
            } else {
                for (int k = 0, n = 1 + static_cast<int>(random(8)); k < n; ++k)
                    bytes[random(static_cast<std::uint32_t>(bytes.size()))] =
                        static_cast<char>(random(256));
            }
            test::writeFileBytes(file, bytes);
            const WorkbookReadResult read = readWorkbookBlock(file);
            EXPECT_TRUE(read.ok() || !read.error.empty());
            const WorkbookRowsResult rows = forEachWorkbookRow(
                file, [](int, const std::vector<WorkbookCell>&) { return true; });
            EXPECT_TRUE(rows.ok() || !rows.error.empty());
        }
    }
}

}  // namespace
}  // namespace kalvoren
