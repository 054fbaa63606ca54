// Loading workbooks into the analysis table and editing the template workbooks, driven
// through the entry screen's menus, shortcuts and toolbar buttons.

#include "DesktopFixture.h"

#include <QFrame>

#include "../platform/WorkbookFixtures.h"
#include "entry/AnalysisTable.h"

namespace kalvoren::testing {
namespace {

using SpreadsheetTest = DesktopFixture;

std::filesystem::path workbookFixture(const char* name) {
    return std::filesystem::path(KALVOREN_TEST_DATA_DIR) / "workbooks" / name;
}

std::filesystem::path sharedWorkbook(const char* name) {
    return std::filesystem::path(KALVOREN_DATA_DIR) / "xlsx" / name;
}

QString qPath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

// The rows of an analysis file: its quoted field split at CR into lines, at TAB into cells.
std::vector<std::vector<std::string>> analysisFileRows(const std::filesystem::path& file) {
    std::string text = readBytes(file);
    if (text.ends_with("\r\n")) text.resize(text.size() - 2);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    std::vector<std::vector<std::string>> rows;
    std::size_t lineStart = 0;
    while (lineStart <= text.size()) {
        std::size_t lineEnd = text.find('\r', lineStart);
        if (lineEnd == std::string::npos) lineEnd = text.size();
        std::vector<std::string> cells;
        std::size_t start = lineStart;
        while (true) {
            const std::size_t tab = text.find('\t', start);
            if (tab == std::string::npos || tab > lineEnd) {
                cells.push_back(text.substr(start, lineEnd - start));
                break;
            }
            cells.push_back(text.substr(start, tab - start));
            start = tab + 1;
        }
        rows.push_back(std::move(cells));
        lineStart = lineEnd + 1;
    }
    return rows;
}

// A table that holds the user's work: two typed cells after New File.
void typeSomeWork(CellGrid& table) {
    table.setText(1, 1, "my sample");
    table.setText(1, 2, "50.5");
}

// ---------------------------------------------------------------- Load

// The fixture workbook (made by openpyxl and saved by LibreOffice in each format): its
// second sheet is the active one, row 1 and column A are empty, and it reaches beyond row
// 101 and column AQ.
struct LoadCase {
    const char* file;
    const char* command;  // menu item, or "" for a toolbar button
    int toolButton;
    const char* expectedFilter;
    const char* formulaResult;   // C2*2 as saved ("" when the writer saved no result)
    const char* tabAndLineFeed;  // the text "a<TAB>b<LF>c"
};

class LoadFixtureTest : public SpreadsheetTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadFixtureTest, CopiesTheBlockA1ToAQ101OfTheActiveSheet) {
    const LoadCase& c = GetParam();
    choose("mnuNewFile");
    typeSomeWork(table());
    messages.saveAnswers = {SaveChoice::Discard};
    const std::filesystem::path file = workbookFixture(c.file);
    dialog.answers = {qPath(file)};
    if (*c.command != '\0')
        choose(c.command);
    else
        pressToolButton(c.toolButton);

    ASSERT_EQ(dialog.filtersShown.size(), 1u);
    EXPECT_EQ(dialog.filtersShown[0], QString::fromUtf8(c.expectedFilter));
    EXPECT_FALSE(dialog.shownForSaving[0]);
    // Only the question about the typed work; no error.
    ASSERT_EQ(messages.shown.size(), 1u)
        << messages.texts().join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(messages.shown[0].question);
    EXPECT_EQ(entry().lastErrorNumber(), 0);

    EXPECT_EQ(entry().screenTitle(), QStringLiteral("Data Entry Screen"));
    EXPECT_TRUE(entry().isDataEntryLayout());
    EXPECT_EQ(entry().currentFileName(), file.string());
    EXPECT_EQ(table().rows(), 101);
    EXPECT_EQ(table().cols(), 43);

    // Row 1 and column A of the sheet are empty: no headings, no row numbers.
    EXPECT_EQ(cell(0, 0), "");
    EXPECT_EQ(cell(0, 1), "");
    EXPECT_EQ(cell(0, 42), "");
    EXPECT_EQ(cell(1, 0), "");
    EXPECT_EQ(cell(100, 0), "");

    EXPECT_EQ(cell(1, 1), "Sample 1");
    EXPECT_EQ(cell(1, 2), "48.123456789");  // shown as 48.12; the stored value is loaded
    EXPECT_EQ(cell(1, 3), c.formulaResult);
    EXPECT_EQ(cell(1, 4), "True");
    EXPECT_EQ(cell(1, 5), "");  // =1/0: an error leaves the emptied cell as it was
    EXPECT_EQ(cell(1, 6), c.tabAndLineFeed);
    EXPECT_EQ(cell(1, 7), "2269");
    EXPECT_EQ(cell(1, 8), "5E-05");
    EXPECT_EQ(cell(1, 9), "-3.2");
    EXPECT_EQ(cell(1, 10), "");                 // #N/A
    EXPECT_EQ(cell(2, 1), "1234567.12345679");  // 15 significant digits
    EXPECT_EQ(cell(2, 2), "  spaced  ");
    EXPECT_EQ(cell(2, 3), "1E+20");
    EXPECT_EQ(cell(2, 4), "False");
    EXPECT_EQ(cell(100, 42), "corner");  // AQ101; AR2 and B102 lie outside the block
    // The user's typed work went with the question answered "Discard".
    EXPECT_NE(cell(1, 1), "my sample");
    // The loaded table is what the workbook holds: nothing to save yet.
    EXPECT_FALSE(entry().hasUnsavedChanges());
}

INSTANTIATE_TEST_SUITE_P(
    EachFormatAndRoute, LoadFixtureTest,
    ::testing::Values(LoadCase{"analyses_openpyxl.xlsx", "mnu07Later", 0,
                               "Excel files (*.xlsx *.ods)|*.xlsx *.ods", "", "a b c"},
                      LoadCase{"analyses_libreoffice.xlsx", "", 16,
                               "Excel files (*.xlsx *.ods)|*.xlsx *.ods", "96.246913578", "a b c"},
                      LoadCase{"analyses_libreoffice.ods", "mnu07Later", 0,
                               "Excel files (*.xlsx *.ods)|*.xlsx *.ods", "96.246913578", "ab c"},
                      LoadCase{"analyses_libreoffice.xls", "mnu9703", 0,
                               "Excel files (*.xls)|*.xls", "96.246913578", "a b c"},
                      LoadCase{"analyses_libreoffice.xls", "", 15, "Excel files (*.xls)|*.xls",
                               "96.246913578", "a b c"}),
    [](const ::testing::TestParamInfo<LoadCase>& info) {
        std::string name =
            std::string(info.param.file) + "_" +
            (*info.param.command ? std::string(info.param.command)
                                 : "toolbar" + std::to_string(info.param.toolButton));
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

// Error values in the heading row and the number column leave what New File wrote there.
TEST_F(SpreadsheetTest, ErrorCellsLeaveTheHeadingAndRowNumberInPlace) {
    const std::filesystem::path file = folder / "errors.xlsx";
    ASSERT_TRUE(test::writeZip(
        file, test::minimalXlsx("<row r=\"1\"><c r=\"A1\" t=\"e\"><v>#N/A</v></c>"
                                "<c r=\"C1\" t=\"inlineStr\"><is><t>SiO2</t></is></c></row>"
                                "<row r=\"2\"><c r=\"A2\" t=\"e\"><v>#REF!</v></c>"
                                "<c r=\"B2\" t=\"e\"><v>#DIV/0!</v></c><c r=\"C2\"><v>51.5</v></c>"
                                "</row>")));
    dialog.answers = {qPath(file)};
    choose("mnu07Later");
    ASSERT_EQ(entry().lastErrorNumber(), 0);
    EXPECT_EQ(cell(0, 0), kEntryHeadings[0]);  // "Row No"
    EXPECT_EQ(cell(0, 1), "");                 // an empty cell empties the heading
    EXPECT_EQ(cell(0, 2), "SiO2");
    EXPECT_EQ(cell(1, 0), "1");
    EXPECT_EQ(cell(1, 1), "");
    EXPECT_EQ(cell(1, 2), "51.5");
    EXPECT_EQ(cell(2, 0), "");  // sheet cell A3 is empty
}

// The published pairs saved as workbooks in the table's layout load into the same cells
// as the analysis file they were made from.
TEST_F(SpreadsheetTest, PublishedPairsWorkbooksLoadAsTheirAnalysisFile) {
    const auto rows = analysisFileRows(std::filesystem::path(KALVOREN_DATA_DIR) / "pyx" /
                                       "pairs_lepr_wet_01.pyx");
    ASSERT_GE(rows.size(), 100u);
    for (const char* name : {"pairs_lepr_wet_import100.xlsx", "pairs_lepr_wet_import100.xls"}) {
        SCOPED_TRACE(name);
        dialog.answers = {qPath(sharedWorkbook(name))};
        pressToolButton(std::string_view(name).ends_with(".xls") ? 15 : 16);
        ASSERT_EQ(entry().lastErrorNumber(), 0);
        ASSERT_EQ(table().rows(), 101);
        ASSERT_EQ(table().cols(), 43);
        for (int c = 0; c < 43; ++c)
            EXPECT_EQ(cell(0, c), kEntryHeadings[static_cast<std::size_t>(c)]) << "column " << c;
        for (int r = 1; r <= 100; ++r) {
            EXPECT_EQ(cell(r, 0), std::to_string(r));
            const auto& line = rows[static_cast<std::size_t>(r - 1)];
            for (int c = 1; c < 43; ++c) {
                const std::size_t field = static_cast<std::size_t>(c - 1);
                const std::string expected = field < line.size() ? line[field] : std::string();
                EXPECT_EQ(cell(r, c), expected) << "row " << r << " column " << c;
            }
        }
        EXPECT_EQ(cell(1, 1), "Alonso-Perez 2009 RP62A");
        EXPECT_EQ(cell(1, 2), "48.8");
        EXPECT_EQ(cell(1, 22), "900");
    }
}

TEST_F(SpreadsheetTest, CancelledDialogKeepsTheTableAndTheLayout) {
    // From the start-up layout: nothing changes, no New File scratch file is written.
    dialog.answers = {QString()};
    choose("mnu07Later");
    EXPECT_EQ(entry().screenTitle(), QStringLiteral("Start-up Screen"));
    EXPECT_FALSE(entry().isDataEntryLayout());
    EXPECT_FALSE(std::filesystem::exists(folder / "ruvo.tem"));

    // From typed work, through the toolbar: the table and its shape stay.
    choose("mnuNewFile");
    typeSomeWork(table());
    messages.saveAnswers = {SaveChoice::Discard};
    dialog.answers = {QString()};
    pressToolButton(15);
    EXPECT_EQ(cell(1, 1), "my sample");
    EXPECT_EQ(cell(1, 2), "50.5");
    EXPECT_EQ(cell(0, 1), kEntryHeadings[1]);
    EXPECT_EQ(table().rows(), 1001);
    EXPECT_EQ(entry().screenTitle(), QStringLiteral("New  File"));
    EXPECT_TRUE(entry().isDataEntryLayout());
    EXPECT_TRUE(entry().hasUnsavedChanges());
    ASSERT_EQ(messages.shown.size(), 1u);  // the question only
}

TEST_F(SpreadsheetTest, AnsweringCancelToTheQuestionShowsNoDialog) {
    choose("mnuNewFile");
    typeSomeWork(table());
    messages.saveAnswers = {SaveChoice::Cancel};
    dialog.answers = {qPath(workbookFixture("analyses_libreoffice.xlsx"))};
    choose("mnu07Later");
    EXPECT_TRUE(dialog.filtersShown.empty());
    EXPECT_EQ(cell(1, 1), "my sample");
    EXPECT_EQ(table().rows(), 1001);
}

TEST_F(SpreadsheetTest, UnreadableWorkbookKeepsTheTableAndNamesTheFile) {
    const std::filesystem::path notAWorkbook = folder / "notes.xlsx";
    writeBytes(notAWorkbook, "these are not analyses\n");
    struct Case {
        std::filesystem::path file;
        const char* message;
    };
    const Case cases[] = {
        {workbookFixture("truncated.xlsx"), "Invalid file format"},
        {notAWorkbook, "Invalid file format"},
        {folder / "missing.xlsx", "File not found"},
    };
    choose("mnuNewFile");
    typeSomeWork(table());
    const CellGrid before = table();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.string());
        messages.shown.clear();
        messages.saveAnswers = {SaveChoice::Discard};
        dialog.answers = {qPath(c.file)};
        pressToolButton(16);
        ASSERT_EQ(messages.shown.size(), 2u);  // the question, then the failure
        EXPECT_EQ(messages.shown[1].text, QString::fromUtf8(c.message));
        EXPECT_TRUE(messages.shown[1].detail.contains(qPath(c.file)))
            << messages.shown[1].detail.toStdString();
        EXPECT_EQ(table().rows(), before.rows());
        for (int col = 0; col < 3; ++col)
            for (int row = 0; row < 3; ++row) EXPECT_EQ(cell(row, col), before.text(row, col));
        EXPECT_EQ(entry().screenTitle(), QStringLiteral("New  File"));
        EXPECT_TRUE(entry().isDataEntryLayout());
    }
}

TEST_F(SpreadsheetTest, LoadedTableSavesAsAnAnalysisFile) {
    dialog.answers = {qPath(sharedWorkbook("pairs_lepr_wet_import100.xlsx"))};
    choose("mnu07Later");
    ASSERT_EQ(table().rows(), 101);
    EXPECT_EQ(table().row(), 1);
    EXPECT_EQ(table().col(), 1);
    EXPECT_TRUE(item("mnuSaveAs")->isEnabled());
    EXPECT_TRUE(item("mnuClose")->isEnabled());

    // Save As writes the loaded table as an analysis file that opens into the same cells.
    const auto saved = folder / "from workbook.pyx";
    dialog.answers = {qPath(saved)};
    choose("mnuSaveAs");
    ASSERT_EQ(entry().lastErrorNumber(), 0);
    const auto rows = analysisFileRows(saved);
    ASSERT_EQ(rows.size(), 100u);
    EXPECT_EQ(rows[0][0], "Alonso-Perez 2009 RP62A");
    EXPECT_EQ(rows[99].size(), 42u);
}

// ---------------------------------------------------------------- Edit

struct EditCase {
    const char* command;  // menu item, or "" for a toolbar button
    int toolButton;
    const char* workbook;
};

class EditTemplateTest : public SpreadsheetTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(EditTemplateTest, CopiesTheTemplateIntoTheCurrentFolderAndOpensTheCopy) {
    const EditCase& c = GetParam();
    const CellGrid before = table();
    if (*c.command != '\0')
        choose(c.command);
    else
        pressToolButton(c.toolButton);

    const std::filesystem::path copy = folder / c.workbook;
    ASSERT_TRUE(std::filesystem::exists(copy));
    const std::filesystem::path shipped =
        std::filesystem::path(KALVOREN_SOURCE_DIR) / "templates" / c.workbook;
    EXPECT_EQ(readBytes(copy), readBytes(shipped));
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], QUrl::fromLocalFile(qPath(copy)));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(entry().screenTitle(), QStringLiteral("Data Entry Screen"));
    // Edit touches neither the table, the layout nor the current file name.
    EXPECT_EQ(table().rows(), before.rows());
    EXPECT_EQ(cell(0, 1), before.text(0, 1));
    EXPECT_FALSE(entry().isDataEntryLayout());
    EXPECT_EQ(entry().currentFileName(), "");
    EXPECT_TRUE(dialog.filtersShown.empty());
}

INSTANTIATE_TEST_SUITE_P(EachFormatAndRoute, EditTemplateTest,
                         ::testing::Values(EditCase{"mnu9703e", 0, "Kalvoren.xls"},
                                           EditCase{"", 17, "Kalvoren.xls"},
                                           EditCase{"mnu07Latere", 0, "Kalvoren.xlsx"},
                                           EditCase{"", 18, "Kalvoren.xlsx"}));

TEST_F(SpreadsheetTest, EditOpensAFilledInCopyWithoutReplacingIt) {
    const std::string filledIn = "the user's own workbook";
    writeBytes(folder / "Kalvoren.xls", filledIn);
    choose("mnu9703e");
    EXPECT_EQ(readBytes(folder / "Kalvoren.xls"), filledIn);
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], QUrl::fromLocalFile(qPath(folder / "Kalvoren.xls")));
    EXPECT_FALSE(std::filesystem::exists(folder / "Kalvoren.xlsx"));
}

TEST_F(SpreadsheetTest, EditSaysSoWhenNothingOpensTheWorkbook) {
    opener.succeeds = false;
    pressToolButton(18);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Component not found"));
    EXPECT_TRUE(messages.shown[0].detail.contains(qPath(folder / "Kalvoren.xlsx")));
    EXPECT_EQ(entry().screenTitle(), QStringLiteral("Data Entry Screen"));
    // The copy stays for the user to open by hand.
    EXPECT_TRUE(std::filesystem::exists(folder / "Kalvoren.xlsx"));
}

TEST_F(SpreadsheetTest, TemplateCopyLoadsWithTheTableLayout) {
    choose("mnu07Latere");
    dialog.answers = {qPath(folder / "Kalvoren.xlsx")};
    choose("mnu07Later");
    ASSERT_EQ(entry().lastErrorNumber(), 0);
    ASSERT_EQ(table().rows(), 101);
    for (int c = 0; c < 43; ++c)
        EXPECT_EQ(cell(0, c), kEntryHeadings[static_cast<std::size_t>(c)]) << "column " << c;
    for (int r = 1; r <= 100; ++r) EXPECT_EQ(cell(r, 0), std::to_string(r));
    EXPECT_EQ(cell(1, 1), "");
    EXPECT_EQ(cell(100, 42), "");
}

}  // namespace
}  // namespace kalvoren::testing
