// New File, Open File, Save As, Close and Exit, the scratch files, and the question about
// unsaved work, driven through menus, toolbar buttons and the window's close box.

#include "DesktopFixture.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>

#include "entry/AnalysisFile.h"
#include "entry/AnalysisTable.h"

namespace kalvoren::testing {
namespace {

using FileCommandsTest = DesktopFixture;

const QString kNoFile;

TEST_F(FileCommandsTest, NewFileShowsTheDataEntryLayoutAndWritesTheEmptyScratchTable) {
    pressToolButton(1);
    kkj& e = entry();
    EXPECT_EQ(e.screenTitle(), QStringLiteral("New  File"));
    EXPECT_TRUE(e.isDataEntryLayout());
    EXPECT_FALSE(e.findChild<QFrame*>(QStringLiteral("Frame1"))->isVisible());
    EXPECT_EQ(e.statusPanelText(1), QStringLiteral("New File"));
    EXPECT_TRUE(e.statusPanelEnabled(1));
    for (const char* name :
         {"mnuSaveAs", "mnuClose", "mnuEditCut", "mnuEditCopy", "mnuEditPaste", "mnuEditDelete",
          "mnuEditInsertRow", "mnuEditSelectAll", "mnuClear", "mnuDelete"})
        EXPECT_TRUE(item(name)->isEnabled()) << name;
    for (int b : {3, 4, 7, 8, 9, 10, 11}) EXPECT_TRUE(e.toolButton(b)->isEnabled()) << b;

    // "ruvo.tem": a quote, 1000 lines of 41 TABs joined by 999 CRs, a quote, CR LF.
    const std::string scratch = readBytes(folder / "ruvo.tem");
    EXPECT_EQ(scratch.size(), 42003u);
    EXPECT_EQ(scratch.front(), '"');
    EXPECT_TRUE(scratch.ends_with("\"\r\n"));
    EXPECT_EQ(table().row(), 1);
    EXPECT_EQ(table().col(), 1);
    EXPECT_FALSE(e.hasUnsavedChanges());
}

TEST_F(FileCommandsTest, SaveClearOpenRoundTripReproducesTheTable) {
    choose("mnuNewFile");
    const std::string row1[] = {"Di 1", "51.23", "0.45", "3.2"};
    for (int c = 0; c < 4; ++c) table().setText(1, c + 1, row1[c]);
    table().setText(1, 21, "10");
    table().setText(1, 22, "1100");
    table().setText(1, 24, "Opx 1");
    table().setText(1, 25, "54.1");
    table().setText(2, 1, "Sample \"B\" ± 2");  // a quote and a character outside ASCII
    table().setText(1000, 42, "last");
    ASSERT_TRUE(entry().hasUnsavedChanges());

    const auto path = folder / "two rows.pyx";
    dialog.answers = {QString::fromStdString(path.string())};
    choose("mnuSaveAs");
    EXPECT_EQ(entry().lastErrorNumber(), 0);
    EXPECT_EQ(entry().screenTitle(), QStringLiteral("Save As"));
    EXPECT_EQ(entry().statusPanelText(1), QString::fromStdString(path.string()));
    EXPECT_FALSE(entry().hasUnsavedChanges());
    EXPECT_TRUE(dialog.shownForSaving.back());
    EXPECT_EQ(dialog.filtersShown.back(), QStringLiteral("Pyroxene files(*.pyx) |*.pyx"));
    const std::string bytes = readBytes(path);
    EXPECT_EQ(bytes.rfind("\"Di 1\t51.23\t0.45\t3.2\t", 0), 0u);
    EXPECT_TRUE(bytes.ends_with("\tlast\"\r\n"));

    CellGrid saved = table();
    choose("mnuClear");  // saved: no question
    EXPECT_TRUE(messages.shown.empty() || !messages.shown.back().question);
    EXPECT_EQ(cell(1, 1), "");

    dialog.answers = {QString::fromStdString(path.string())};
    pressToolButton(2);
    EXPECT_EQ(entry().screenTitle(), QStringLiteral("Data Entry Screen"));
    EXPECT_EQ(entry().statusPanelText(1), QString::fromStdString(path.string()));
    EXPECT_TRUE(item("mnuOpen")->isChecked());
    EXPECT_FALSE(item("mnu9703")->isEnabled());
    EXPECT_FALSE(entry().toolButton(15)->isEnabled());
    for (int r = 0; r < saved.rows(); ++r)
        for (int c = 0; c < saved.cols(); ++c)
            ASSERT_EQ(cell(r, c), saved.text(r, c)) << r << "," << c;
    EXPECT_FALSE(entry().hasUnsavedChanges());
    EXPECT_EQ(entry().currentFileName(), path.string());
}

TEST_F(FileCommandsTest, OpenFileOfTheExampleLoadsItsAnalyses) {
    dialog.answers = {QString::fromStdString(exampleFile().string())};
    choose("mnuOpenFile");
    EXPECT_TRUE(entry().isDataEntryLayout());
    EXPECT_EQ(cell(1, 1), "Bartels 1991 HI 97");
    EXPECT_EQ(cell(1, 2), "51.7");
    EXPECT_EQ(cell(0, 2), "SiO2    [c]");
    EXPECT_EQ(table().rows(), 1001);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FileCommandsTest, OpenFileThatCannotBeReadSaysWhyAndKeepsTheTable) {
    choose("mnuNewFile");
    table().setText(1, 1, "kept");
    const auto empty = folder / "empty.pyx";
    writeBytes(empty, "");
    const auto unclosed = folder / "unclosed.pyx";
    writeBytes(unclosed, "\"Di\t51.2");
    struct Case {
        std::filesystem::path path;
        const char* message;
    };
    const Case cases[] = {{folder / "missing.pyx", "File not found"},
                          {empty, "Invalid file format"},
                          {unclosed, "Invalid file format"}};
    for (const Case& c : cases) {
        messages.shown.clear();
        messages.saveAnswers = {SaveChoice::Discard};
        dialog.answers = {QString::fromStdString(c.path.string())};
        choose("mnuOpenFile");
        ASSERT_FALSE(messages.shown.empty()) << c.path;
        const auto& last = messages.shown.back();
        EXPECT_EQ(last.text.toStdString(), c.message) << c.path;
        EXPECT_TRUE(last.detail.contains(QString::fromStdString(c.path.filename().string())))
            << last.detail.toStdString();
        EXPECT_EQ(cell(1, 1), "kept") << c.path;
        EXPECT_EQ(entry().screenTitle(), QStringLiteral("Data Entry Screen"));
    }
}

TEST_F(FileCommandsTest, CancelledOpenFileLeavesTheScreenAsItWas) {
    choose("mnuNewFile");
    table().setText(1, 1, "typed");
    messages.saveAnswers = {SaveChoice::Discard};
    dialog.answers = {kNoFile};
    choose("mnuOpenFile");
    EXPECT_TRUE(entry().isDataEntryLayout());
    EXPECT_EQ(entry().screenTitle(), QStringLiteral("New  File"));
    EXPECT_EQ(cell(1, 1), "typed");
    EXPECT_FALSE(item("mnuOpen")->isChecked());

    // With a scratch file "ruvo.dat" in the current folder, that file is opened.
    CellGrid scratch;
    capCell(scratch);
    scratch.setText(1, 1, "from ruvo");
    saveAnalysisFile(scratch, (folder / "ruvo.dat").string());
    messages.saveAnswers = {SaveChoice::Discard};
    dialog.answers = {kNoFile};
    choose("mnuOpenFile");
    EXPECT_EQ(cell(1, 1), "from ruvo");
    EXPECT_EQ(entry().statusPanelText(1), QStringLiteral("ruvo.dat"));
}

TEST_F(FileCommandsTest, FailedSaveNamesTheFileAndLeavesThePreviousOneIntact) {
    choose("mnuNewFile");
    table().setText(1, 1, "new");
    const auto target = folder / "kept.pyx";
    writeBytes(target, "\"old\"\r\n");

    // A folder that does not exist.
    const auto nowhere = folder / "no such folder" / "x.pyx";
    dialog.answers = {QString::fromStdString(nowhere.string())};
    pressToolButton(3);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Path not found"));
    EXPECT_TRUE(messages.shown[0].detail.contains(QStringLiteral("x.pyx")));
    EXPECT_TRUE(entry().hasUnsavedChanges());

    // A target that cannot be replaced (a folder in the way) keeps what was there.
    std::filesystem::create_directory(folder / "in the way.pyx");
    dialog.answers = {QString::fromStdString((folder / "in the way.pyx").string())};
    choose("mnuSaveAs");
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text, QStringLiteral("Path/File access error"));
    EXPECT_EQ(readBytes(target), "\"old\"\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "in the way.pyx"));
    // No temporary file is left behind.
    int files = 0;
    for (const auto& f : std::filesystem::directory_iterator(folder)) files += f.is_regular_file();
    EXPECT_EQ(files, 2);  // kept.pyx and ruvo.tem
}

TEST_F(FileCommandsTest, CancelledSaveWritesNothing) {
    choose("mnuNewFile");
    dialog.answers = {kNoFile};
    choose("mnuSaveAs");
    EXPECT_EQ(entry().screenTitle(), QStringLiteral("Save As"));
    EXPECT_TRUE(messages.shown.empty());
    int files = 0;
    for (const auto& f : std::filesystem::directory_iterator(folder)) files += f.is_regular_file();
    EXPECT_EQ(files, 1);  // ruvo.tem only
}

TEST_F(FileCommandsTest, CloseReturnsToTheStartUpLayoutKeepingTheTable) {
    choose("mnuNewFile");
    table().setText(1, 1, "kept");
    pressToolButton(4);
    EXPECT_FALSE(entry().isDataEntryLayout());
    EXPECT_EQ(entry().screenTitle(), QStringLiteral("Start-up Screen"));
    EXPECT_TRUE(entry().findChild<QFrame*>(QStringLiteral("Frame1"))->isVisible());
    EXPECT_FALSE(item("mnuSaveAs")->isEnabled());
    EXPECT_FALSE(item("mnuEditCopy")->isEnabled());
    EXPECT_TRUE(entry().toolButton(15)->isEnabled());
    EXPECT_EQ(entry().statusPanelText(1), QStringLiteral("New File"));
    EXPECT_EQ(cell(1, 1), "kept");
}

// ---------------------------------------------------------------- unsaved work

TEST_F(FileCommandsTest, NewFileAsksBeforeDiscardingUnsavedWork) {
    choose("mnuNewFile");
    type(QStringLiteral("Di"));

    messages.saveAnswers = {SaveChoice::Cancel};
    choose("mnuNewFile");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].question);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Save changes to the analysis table?"));
    EXPECT_EQ(cell(1, 1), "Di");

    messages.saveAnswers = {SaveChoice::Discard};
    choose("mnuNewFile");
    EXPECT_EQ(cell(1, 1), "");
    EXPECT_FALSE(entry().hasUnsavedChanges());
}

TEST_F(FileCommandsTest, SaveAnswerSavesBeforeTheCommandGoesOn) {
    choose("mnuNewFile");
    type(QStringLiteral("Di"));
    const auto path = folder / "saved first.pyx";
    messages.saveAnswers = {SaveChoice::Save};
    dialog.answers = {QString::fromStdString(path.string())};
    choose("mnuClear");
    EXPECT_EQ(cell(1, 1), "");
    EXPECT_EQ(readBytes(path).rfind("\"Di\t", 0), 0u);

    // Save answered but the save dialog cancelled: nothing is lost.
    table().setCurrent(1, 1);
    type(QStringLiteral("Hd"));
    messages.saveAnswers = {SaveChoice::Save};
    dialog.answers = {kNoFile};
    choose("mnuClear");
    EXPECT_EQ(cell(1, 1), "Hd");
}

TEST_F(FileCommandsTest, ExitFromAnyRouteAsksAboutUnsavedWork) {
    choose("mnuNewFile");
    type(QStringLiteral("Di"));

    messages.saveAnswers = {SaveChoice::Cancel};
    choose("mnuExit");
    messages.saveAnswers = {SaveChoice::Cancel};
    pressToolButton(5);
    messages.saveAnswers = {SaveChoice::Cancel};
    EXPECT_FALSE(entry().close());  // the window's close box
    Form10& results = program->loadResultsScreen();
    messages.saveAnswers = {SaveChoice::Cancel};
    results.toolButton(7)->trigger();
    messages.saveAnswers = {SaveChoice::Cancel};
    results.menuItem("mnuExit")->trigger();
    EXPECT_EQ(messages.shown.size(), 5u);
    EXPECT_EQ(endProgramCalls, 0);
    EXPECT_TRUE(entry().isVisible());

    messages.saveAnswers = {SaveChoice::Discard};
    choose("mnuExit");
    EXPECT_EQ(endProgramCalls, 1);
    EXPECT_EQ(program->resultsScreen(), nullptr);  // the results screen is unloaded
}

TEST_F(FileCommandsTest, ExitWithoutChangesAsksNothing) {
    EXPECT_TRUE(entry().close());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(endProgramCalls, 1);
}

TEST_F(FileCommandsTest, CommandLineFileOpensAsOpenFileDoes) {
    program->start(QString::fromStdString(exampleFile().string()));
    EXPECT_TRUE(entry().isDataEntryLayout());
    EXPECT_EQ(cell(1, 1), "Bartels 1991 HI 97");
    EXPECT_TRUE(item("mnuOpen")->isChecked());

    program->start(QString::fromStdString((folder / "nothing.pyx").string()));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("File not found"));
}

}  // namespace
}  // namespace kalvoren::testing
