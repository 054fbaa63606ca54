// The results screen's Excel menu and toolbar buttons after a calculation: the grid to
// Output.xlsx in the current folder, that workbook opened, and the screen unloaded.

#include "DesktopFixture.h"

#include <unistd.h>

#include <QLabel>
#include <QProgressBar>
#include <cmath>
#include <cstdlib>

#include "platform/Workbook.h"

namespace kalvoren::testing {
namespace {

constexpr const char* kSubtitleAfterExport =
    "A Desktop Program for Pyroxene Calculation Classification (IMA-1988) and Thermobarometry";
constexpr const char* kSubtitleAtLoad =
    "A Desktop Program for Pyroxene Calculation Classification  (IMA-1988) and Thermobarometry";

// The folder cannot be written while this lives: as root, by acting as "nobody" (root
// writes anywhere), otherwise by taking away the write permission.
class WriteProtectedFolder {
  public:
    explicit WriteProtectedFolder(std::filesystem::path folder) : folder_(std::move(folder)) {
        if (::geteuid() == 0) {
            asNobody_ = ::seteuid(65534) == 0;
        } else {
            std::filesystem::permissions(folder_, std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::remove);
        }
    }
    ~WriteProtectedFolder() {
        if (asNobody_) {
            if (::seteuid(0) != 0) std::abort();  // the rest of the tests need root back
        } else if (::geteuid() != 0) {
            std::filesystem::permissions(folder_, std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add);
        }
    }
    WriteProtectedFolder(const WriteProtectedFolder&) = delete;
    WriteProtectedFolder& operator=(const WriteProtectedFolder&) = delete;

  private:
    std::filesystem::path folder_;
    bool asNobody_ = false;
};

class ResultsExportTest : public DesktopFixture {
  protected:
    // The example file opened and calculated: the results screen holds its rows.
    Form10& calculateExample() {
        dialog.answers = {QString::fromStdString(exampleFile().string())};
        choose("mnuOpenFile");
        choose("mnuOpen");
        messages.shown.clear();  // the run's closing message
        Form10* screen = program->resultsScreen();
        EXPECT_NE(screen, nullptr);
        return *screen;
    }
    Form10& results() { return *program->resultsScreen(); }
    void chooseOnResults(const char* name) {
        QAction* a = results().menuItem(name);
        ASSERT_NE(a, nullptr) << name;
        a->trigger();
    }
    void pressOnResults(int number) { results().toolButton(number)->trigger(); }
    QString label(const char* name) {
        return results().findChild<QLabel*>(QString::fromUtf8(name))->text();
    }
    QProgressBar& progressBar() {
        return *results().findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
    }
    std::filesystem::path output() const { return folder / "Output.xlsx"; }
    std::vector<std::filesystem::path> leftovers() const {
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().filename().string().starts_with(".Output.xlsx"))
                found.push_back(entry.path());
        return found;
    }
};

// A text read back from the workbook is the grid's text, or, where the grid's text is a
// number as a spreadsheet reads it ("1,234.5000"), that number.
bool readsBackAs(const std::string& grid, const std::string& readBack) {
    if (grid == readBack) return true;
    std::string plain;
    for (const char ch : grid)
        if (ch != ',') plain += ch;
    char* end = nullptr;
    const double expected = std::strtod(plain.c_str(), &end);
    if (plain.empty() || *end != '\0') return false;
    const double got = std::strtod(readBack.c_str(), &end);
    if (readBack.empty() || *end != '\0') return false;
    return std::abs(got - expected) <= 1e-14 * std::max(1.0, std::abs(expected));
}

TEST_F(ResultsExportTest, ToolbarExportWritesEveryGridCellWithEditsAndNumbersAsNumbers) {
    Form10& screen = calculateExample();
    CellGrid& grid = screen.grid();
    const int rows = grid.rows();
    ASSERT_GT(rows, 2);
    ASSERT_EQ(grid.cols(), 211);
    // Edits typed before the export: text appended to a sample name, a number retyped.
    grid.setCurrent(2, 0);
    QTest::keyClicks(&screen.gridControl(), QStringLiteral(" rim"));
    const std::string editedName = grid.text(2, 0);
    ASSERT_TRUE(editedName.ends_with(" rim"));
    grid.setText(2, 1, "1,234.5000");

    std::vector<int> values;
    QStringList titles, subtitles;
    QObject::connect(&progressBar(), &QProgressBar::valueChanged, [&](int value) {
        values.push_back(value);
        titles << label("Label3");
        subtitles << label("Label2");
    });
    pressOnResults(9);

    EXPECT_TRUE(messages.shown.empty())
        << messages.texts().join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(results().lastErrorNumber(), 0);
    // The banner said what was going on, and the bar showed the share of rows written.
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values.back(), rows);
    EXPECT_EQ(progressBar().maximum(), rows);
    for (const QString& t : titles) EXPECT_EQ(t, QStringLiteral("Wait Please"));
    for (const QString& t : subtitles)
        EXPECT_EQ(t, QStringLiteral("The program sends all calculated results to the Excel file "
                                    "named as Output.xlsx."));
    EXPECT_EQ(label("Label3"), QStringLiteral("Calculation Screen"));
    EXPECT_EQ(label("Label2"), QString::fromUtf8(kSubtitleAfterExport));
    EXPECT_FALSE(progressBar().isVisible());
    EXPECT_TRUE(leftovers().empty());

    // Read back: one row and one column more than the grid holds, which stay empty.
    const WorkbookReadResult read = readWorkbookBlock(output(), rows + 1, 212);
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.block.at(0, 0).kind, WorkbookCell::Empty);
    EXPECT_EQ(read.block.at(0, 1).text, "1");
    EXPECT_EQ(read.block.at(0, 210).text, "210");
    EXPECT_EQ(read.block.at(1, 0).text, "Sample       ");
    EXPECT_EQ(read.block.at(1, 210).text, "Chk for Opx");
    EXPECT_EQ(read.block.at(2, 0).text, editedName);
    EXPECT_EQ(read.block.at(2, 1).text, "1234.5");  // stored as the number, not the text
    int numbers = 0;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < 211; ++c) {
            const std::string& text = grid.text(r, c);
            const WorkbookCell& back = read.block.at(r, c);
            EXPECT_TRUE(readsBackAs(text, back.text)) << "cell " << r << "," << c << ": \"" << text
                                                      << "\" came back as \"" << back.text << "\"";
            numbers += back.text != text;
        }
        EXPECT_EQ(read.block.at(r, 211).kind, WorkbookCell::Empty);
    }
    for (int c = 0; c < 212; ++c) EXPECT_EQ(read.block.at(rows, c).kind, WorkbookCell::Empty);
    // The result rows' "#,##0.0000" numbers come back without their trailing zeros.
    EXPECT_GT(numbers, 10);
}

TEST_F(ResultsExportTest, MenuExportLeavesTheBannerAndExportingAgainRewritesTheSameCells) {
    Form10& screen = calculateExample();
    const int rows = screen.grid().rows();
    QStringList titles;
    QObject::connect(&progressBar(), &QProgressBar::valueChanged,
                     [&](int) { titles << label("Label3") + label("Label2"); });
    chooseOnResults("mnuSEF");
    chooseOnResults("mnuSEF");
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_FALSE(titles.isEmpty());
    for (const QString& t : titles)
        EXPECT_EQ(t, QStringLiteral("Calculation Screen") + QString::fromUtf8(kSubtitleAtLoad));
    EXPECT_EQ(label("Label2"), QString::fromUtf8(kSubtitleAtLoad));

    const WorkbookReadResult read = readWorkbookBlock(output(), rows + 3, 211);
    ASSERT_TRUE(read.ok()) << read.error;
    for (int r = rows; r < rows + 3; ++r)
        for (int c = 0; c < 211; ++c) EXPECT_EQ(read.block.at(r, c).kind, WorkbookCell::Empty);
    EXPECT_EQ(read.block.at(rows - 1, 0).text, screen.grid().text(rows - 1, 0));
}

TEST_F(ResultsExportTest, ExportRightAfterLoadingWritesTheTwoHeadingRows) {
    pressToolButton(22);  // Display Next Screen loads the results screen
    ASSERT_NE(program->resultsScreen(), nullptr);
    chooseOnResults("mnuSEF");
    EXPECT_TRUE(messages.shown.empty());
    const WorkbookReadResult read = readWorkbookBlock(output(), 3, 211);
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.block.at(0, 0).kind, WorkbookCell::Empty);
    EXPECT_EQ(read.block.at(0, 1).text, "1");
    EXPECT_EQ(read.block.at(0, 210).text, "210");
    EXPECT_EQ(read.block.at(1, 0).text, "Sample       ");
    for (int c = 0; c < 211; ++c) EXPECT_EQ(read.block.at(2, c).kind, WorkbookCell::Empty);
}

TEST_F(ResultsExportTest, FailedExportKeepsThePreviousWorkbookAndIsReported) {
    Form10& screen = calculateExample();
    pressOnResults(9);
    ASSERT_TRUE(messages.shown.empty());
    const std::string previous = readBytes(output());
    ASSERT_FALSE(previous.empty());

    screen.grid().setText(2, 0, "changed after the first export");
    {
        WriteProtectedFolder protect(folder);
        pressOnResults(9);
        chooseOnResults("mnuSEF");  // the menu's export reports a failure too
    }
    ASSERT_EQ(messages.shown.size(), 2u);
    for (const auto& shown : messages.shown) {
        EXPECT_EQ(shown.text, QStringLiteral("Path/File access error"));
        EXPECT_TRUE(shown.detail.contains(QString::fromStdString(output().string())))
            << shown.detail.toStdString();
    }
    EXPECT_EQ(readBytes(output()), previous);
    EXPECT_TRUE(leftovers().empty());
    EXPECT_EQ(label("Label3"), QStringLiteral("Calculation Screen"));
    EXPECT_EQ(label("Label2"), QString::fromUtf8(kSubtitleAfterExport));
    EXPECT_FALSE(progressBar().isVisible());
}

TEST_F(ResultsExportTest, ExportIntoAFolderThatIsGoneSaysThePathIsNotFound) {
    calculateExample();
    std::filesystem::remove_all(folder);  // the current folder is deleted under the program
    pressOnResults(9);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Path not found"));
    EXPECT_EQ(label("Label3"), QStringLiteral("Calculation Screen"));
    EXPECT_FALSE(progressBar().isVisible());
}

TEST_F(ResultsExportTest, OpenHandsTheWrittenWorkbookToTheDesktop) {
    calculateExample();
    // Not written yet: said clearly, from the menu and from the toolbar.
    chooseOnResults("mnuOEF");
    pressOnResults(10);
    ASSERT_EQ(messages.shown.size(), 2u);
    for (const auto& shown : messages.shown) {
        EXPECT_EQ(shown.text, QStringLiteral("File not found"));
        EXPECT_TRUE(shown.detail.contains(QStringLiteral("has not been written yet")));
        EXPECT_TRUE(shown.detail.contains(QString::fromStdString(output().string())));
    }
    EXPECT_TRUE(opener.opened.empty());

    messages.shown.clear();
    pressOnResults(9);
    pressOnResults(10);
    chooseOnResults("mnuOEF");
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(opener.opened.size(), 2u);
    for (const QUrl& url : opener.opened)
        EXPECT_EQ(url, QUrl::fromLocalFile(QString::fromStdString(output().string())));

    // A desktop without a spreadsheet program.
    opener.succeeds = false;
    pressOnResults(10);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Component not found"));
    EXPECT_TRUE(messages.shown[0].detail.contains(QString::fromStdString(output().string())));
}

TEST_F(ResultsExportTest, ExitExcelFileUnloadsTheResultsScreen) {
    calculateExample();
    const int rowsOfOneRun = results().grid().rows();
    chooseOnResults("mnuSEF");
    chooseOnResults("mnuEOX");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(program->resultsScreen(), nullptr);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(std::filesystem::exists(output()));  // the written workbook stays

    // The next calculation starts a fresh results screen with the rows of that run only.
    choose("mnuOpen");
    ASSERT_NE(program->resultsScreen(), nullptr);
    EXPECT_EQ(results().grid().rows(), rowsOfOneRun);
}

}  // namespace
}  // namespace kalvoren::testing
