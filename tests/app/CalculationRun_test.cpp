// "Open File to Calculate": the run from the entry screen to the results screen, the
// option marks it reconciles, the file stage, and the messages after it.

#include "DesktopFixture.h"

#include "classification/PlotDataFile.h"
#include "entry/AnalysisFile.h"
#include "entry/AnalysisTable.h"

namespace kalvoren::testing {
namespace {

using CalculationRunTest = DesktopFixture;

int analysesInExample() {
    CellGrid scratch;
    capCell(scratch);
    loadAnalysisFile(scratch, exampleFile().string(), {});
    int n = 0;
    for (int r = 1; r < scratch.rows(); ++r) n += !scratch.text(r, 2).empty();
    return n;
}

TEST_F(CalculationRunTest, RunAppendsOneRowPerAnalysisAndRunsAppendBelowEachOther) {
    dialog.answers = {QString::fromStdString(exampleFile().string())};
    choose("mnuOpenFile");
    const int analyses = analysesInExample();
    ASSERT_GT(analyses, 0);

    pressToolButton(13);
    Form10* results = program->resultsScreen();
    ASSERT_NE(results, nullptr);
    EXPECT_TRUE(results->isVisible());
    EXPECT_EQ(results->grid().rows(), 2 + analyses);
    EXPECT_EQ(results->grid().text(1, 0), "Sample       ");
    EXPECT_EQ(results->grid().text(2, 0), "Bartels 1991 HI 97");
    EXPECT_EQ(results->statusPanelText(1), QString::fromStdString(exampleFile().string()));
    EXPECT_EQ(results->statusPanelText(2), QStringLiteral("6 oxygen"));
    EXPECT_EQ(results->statusPanelText(3), QStringLiteral("4 cations"));
    EXPECT_EQ(results->statusPanelText(4), QStringLiteral("Droop (1987)"));
    EXPECT_EQ(results->statusPanelText(5), QStringLiteral("Augite"));
    EXPECT_EQ(entry().screenTitle(), QStringLiteral("Data Entry Screen"));
    EXPECT_TRUE(dialog.answers.empty());  // the run asked for no file: one was opened

    // The eleven data files are in the current folder.
    for (const std::string_view name : kPlotDataFileNames)
        EXPECT_TRUE(std::filesystem::exists(folder / std::string(name))) << name;

    // Ctrl+F's item runs again: the rows go below, under the one pair of heading rows.
    choose("mnuOpen");
    EXPECT_EQ(results->grid().rows(), 2 + 2 * analyses);
    EXPECT_EQ(results->grid().text(2 + analyses, 0), "Bartels 1991 HI 97");
    EXPECT_TRUE(item("mnuOpen")->isChecked());  // choosing it leaves the file mark as it was
}

TEST_F(CalculationRunTest, RunReconcilesTheOptionMarksOnTheMenus) {
    choose("mnuPigeonite");
    choose("mnuFe3Papike");
    choose("mnuwithout4");
    dialog.answers = {QString::fromStdString(exampleFile().string())};
    choose("mnuOpen");
    // Defaults set, then cleared where another mark of the group overrides them.
    EXPECT_FALSE(item("mnuAugite")->isChecked());
    EXPECT_TRUE(item("mnuPigeonite")->isChecked());
    EXPECT_FALSE(item("mnuFe3Droop")->isChecked());
    EXPECT_TRUE(item("mnuFe3Papike")->isChecked());
    EXPECT_TRUE(item("mnuwithout4")->isChecked());
    Form10* results = program->resultsScreen();
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(results->statusPanelText(4), QStringLiteral("Papike et al. (1974)"));
    EXPECT_EQ(results->statusPanelText(5), QStringLiteral("Pigeonite"));
    EXPECT_EQ(results->statusPanelText(3), QStringLiteral(" without 4 cations"));

    // With nothing overriding them the defaults stay marked.
    choose("mnuPigeonite");
    choose("mnuFe3Papike");
    choose("mnuOpen");
    EXPECT_TRUE(item("mnuAugite")->isChecked());
    EXPECT_TRUE(item("mnuFe3Droop")->isChecked());
}

TEST_F(CalculationRunTest, WithoutAnOpenedFileTheRunAsksForOneAndLoadsIt) {
    dialog.answers = {QString::fromStdString(exampleFile().string())};
    pressToolButton(13);
    ASSERT_EQ(dialog.filtersShown.size(), 1u);
    EXPECT_EQ(dialog.filtersShown[0], QStringLiteral("Pyroxene files(*.pyx) |*.pyx"));
    EXPECT_FALSE(dialog.shownForSaving[0]);
    EXPECT_EQ(cell(1, 1), "Bartels 1991 HI 97");
    EXPECT_EQ(entry().statusPanelText(1), QString::fromStdString(exampleFile().string()));
    EXPECT_FALSE(item("mnuOpen")->isChecked());  // only Open File sets the file mark
    ASSERT_NE(program->resultsScreen(), nullptr);
    EXPECT_EQ(program->resultsScreen()->grid().rows(), 2 + analysesInExample());
}

TEST_F(CalculationRunTest, CancelledFileDialogCalculatesTheTableAsItStands) {
    choose("mnuNewFile");
    // A typed analysis (a diopside-rich augite) with P and T left empty.
    const char* oxides[] = {"51.5", "0.5", "3.5", "", "0.3",  "",     "6.0",
                            "0.15", "",    "",    "", "15.5", "21.5", "0.5"};
    table().setText(1, 1, "typed");
    for (int i = 0; i < 14; ++i) table().setText(1, 2 + i, oxides[i]);
    dialog.answers = {QString()};
    choose("mnuOpen");
    EXPECT_EQ(cell(1, 1), "typed");  // the first data cell is not emptied
    ASSERT_NE(program->resultsScreen(), nullptr);
    EXPECT_EQ(program->resultsScreen()->grid().rows(), 3);
    EXPECT_EQ(program->resultsScreen()->grid().text(2, 0), "typed");
    // P and T were defaulted: the closing message, with its exclamation icon.
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_TRUE(messages.shown.back().exclamation);
    EXPECT_EQ(messages.shown.back().text,
              QStringLiteral("P = 5(kbar) & T = 900(oC) are used for geothermobarometry."));
}

TEST_F(CalculationRunTest, CellsThatAreNotPlainNumbersAreListedAfterTheClosingMessage) {
    choose("mnuNewFile");
    const char* oxides[] = {"51,23", "0.5", "3.5", "", "0.3",  "",     "6.0",
                            "0.15",  "",    "",    "", "15.5", "21.5", "0.5"};
    table().setText(1, 1, "comma");
    for (int i = 0; i < 14; ++i) table().setText(1, 2 + i, oxides[i]);
    dialog.answers = {QString()};
    choose("mnuOpen");
    ASSERT_GE(messages.shown.size(), 2u);
    const auto& closing = messages.shown[messages.shown.size() - 2];
    const auto& list = messages.shown.back();
    EXPECT_TRUE(closing.exclamation);
    EXPECT_EQ(list.text,
              QStringLiteral("1 cell is not a plain number; it was read as shown below."));
    EXPECT_EQ(list.detail, QStringLiteral("Row 1, SiO2    [c]: \"51,23\" read as 51"));
}

TEST_F(CalculationRunTest, DataFilesThatCannotBeWrittenAreReportedAfterTheRun) {
    // A folder in the way of "QJ.dat": the run goes on, the results are all there, and
    // the user is told which file holds nothing of this run.
    std::filesystem::create_directory(folder / "QJ.dat");
    dialog.answers = {QString::fromStdString(exampleFile().string())};
    choose("mnuOpenFile");
    messages.shown.clear();
    choose("mnuOpen");
    ASSERT_NE(program->resultsScreen(), nullptr);
    EXPECT_EQ(program->resultsScreen()->grid().rows(), 2 + analysesInExample());
    ASSERT_FALSE(messages.shown.empty());
    const auto& report = messages.shown.back();
    EXPECT_EQ(report.text,
              QStringLiteral("The results are complete, but not every diagram data file could "
                             "be written; diagrams drawn from those files would not show this "
                             "run."));
    EXPECT_EQ(report.detail,
              QString::fromStdString("The diagram data file \"" + (folder / "QJ.dat").string() +
                                     "\" cannot be created: Is a directory."));
    EXPECT_TRUE(std::filesystem::exists(folder / "QJDAE.dat"));
}

TEST_F(CalculationRunTest, ClosingTheResultsScreenStartsItAfreshNextTime) {
    dialog.answers = {QString::fromStdString(exampleFile().string())};
    choose("mnuOpenFile");
    choose("mnuOpen");
    ASSERT_NE(program->resultsScreen(), nullptr);
    program->resultsScreen()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(program->resultsScreen(), nullptr);
    choose("mnuOpen");
    ASSERT_NE(program->resultsScreen(), nullptr);
    EXPECT_EQ(program->resultsScreen()->grid().rows(), 2 + analysesInExample());
}

}  // namespace
}  // namespace kalvoren::testing
