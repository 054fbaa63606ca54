// The results screen on its own: its load, typing, the Edit commands, menus, toolbar and
// status bar, with the clipboard, message boxes and desktop replaced.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <memory>

#include "platform/qt/Fakes.h"
#include "platform/qt/GridControl.h"
#include "results/Form10.h"
#include "results/Form8.h"

namespace kalvoren {
namespace {

QApplication& widgetApplication() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kalvoren_results_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's own objects are torn down by the exit handlers in an order a
    // static application object would not survive.
    static auto* app = new QApplication(argc, argv);
    return *app;
}

class ResultsScreenTest : public ::testing::Test {
  protected:
    FakeMessageBox messages;
    FakeClipboard clipboard;
    FakeDesktopOpener opener;
    FakeFileDialog dialog;
    int entryShown = 0;
    int exits = 0;
    std::unique_ptr<Form10> screen;

    void SetUp() override {
        widgetApplication();
        screen = std::make_unique<Form10>(ResultsScreenSurroundings{
            messages, clipboard, opener, dialog, [this] { ++entryShown; }, [this] { ++exits; }});
        screen->show();
    }
    void TearDown() override {
        if (Form8* about = aboutBox()) about->close();
        screen.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    CellGrid& grid() { return screen->grid(); }
    void choose(const char* name) {
        QAction* a = screen->menuItem(name);
        ASSERT_NE(a, nullptr) << name;
        a->trigger();
    }
    void press(int button) { screen->toolButton(button)->trigger(); }
    void key(Qt::Key k) { QTest::keyClick(&screen->gridControl(), k); }
    void type(const QString& text) { QTest::keyClicks(&screen->gridControl(), text); }
    void appendRows(int n) {
        for (int i = 0; i < n; ++i)
            screen->appendResultRow("Di " + std::to_string(i) + "\t51.2\t0.3");
    }
};

TEST_F(ResultsScreenTest, LoadsWithTheNumberingRowAndTheHeadingRow) {
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("K a l v o r e n"));
    EXPECT_EQ(screen->screenTitle(), QStringLiteral("Calculation Screen"));
    EXPECT_EQ(grid().rows(), 2);
    EXPECT_EQ(grid().cols(), 211);
    EXPECT_EQ(grid().text(0, 0), "");
    EXPECT_EQ(grid().text(0, 1), "1");
    EXPECT_EQ(grid().text(0, 210), "210");
    EXPECT_EQ(grid().text(1, 0), "Sample       ");
    EXPECT_EQ(grid().text(1, 1), "[SiO2(c)");
    EXPECT_EQ(grid().text(1, 210), "Chk for Opx");
    EXPECT_TRUE(grid().isCentred(1, 100));
    EXPECT_EQ(grid().row(), 0);
    EXPECT_EQ(grid().col(), 0);
    EXPECT_FALSE(screen->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->isVisible());
    for (int p = 1; p <= 5; ++p) EXPECT_EQ(screen->statusPanelText(p), QString()) << p;
}

TEST_F(ResultsScreenTest, StatusPanelsCarryTheirTips) {
    const char* tips[] = {"File",
                          "Numbers of ions on the basis of 6 oxygen",
                          "Normalization",
                          "Ferric iron estimation approach",
                          "Cpx for graphical two-pyroxene thermometer",
                          "Clock",
                          "Date"};
    for (int p = 1; p <= 7; ++p)
        EXPECT_EQ(screen->statusPanelToolTip(p).toStdString(), tips[p - 1]) << p;
    screen->setStatusPanel(3, QStringLiteral(" without 4 cations"));
    EXPECT_EQ(screen->statusPanelText(3), QStringLiteral(" without 4 cations"));
    screen->setStatusPanel(6, QStringLiteral("not the clock"));
    EXPECT_NE(screen->statusPanelText(6), QStringLiteral("not the clock"));
}

TEST_F(ResultsScreenTest, AppendedRowsSplitAtTabsAndDropFieldsBeyondTheLastColumn) {
    std::string wide = "Wide";
    for (int c = 1; c <= 215; ++c) wide += "\t" + std::to_string(c);
    screen->appendResultRow(wide);
    screen->appendResultRow("Short\t1");
    ASSERT_EQ(grid().rows(), 4);
    EXPECT_EQ(grid().text(2, 0), "Wide");
    EXPECT_EQ(grid().text(2, 210), "210");
    EXPECT_EQ(grid().text(3, 1), "1");
    EXPECT_EQ(grid().text(3, 2), "");
    EXPECT_EQ(screen->gridControl().model()->rowCount(), 3);
}

TEST_F(ResultsScreenTest, EnterAndTabMoveDownTheColumnAndWrapToRowOneColumnZero) {
    appendRows(2);
    grid().setCurrent(0, 5);
    key(Qt::Key_Return);  // from the numbering row too
    EXPECT_EQ(grid().row(), 1);
    EXPECT_EQ(grid().col(), 5);
    key(Qt::Key_Tab);
    key(Qt::Key_Enter);
    EXPECT_EQ(grid().row(), 3);
    key(Qt::Key_Return);  // the last row
    EXPECT_EQ(grid().row(), 1);
    EXPECT_EQ(grid().col(), 0);

    grid().setCurrent(2, 2);
    type(QStringLiteral("9"));
    key(Qt::Key_Backspace);
    key(Qt::Key_Backspace);
    EXPECT_EQ(grid().text(2, 2), "0.");
    QTest::keyClick(&screen->gridControl(), Qt::Key_Escape);
    EXPECT_EQ(grid().text(2, 2), "0.");
}

TEST_F(ResultsScreenTest, SelectAllThenCopyTakesTheWholeGridWithTheNumberingRow) {
    appendRows(1);
    choose("mnuEditSelectAll");
    EXPECT_EQ(grid().row(), 0);
    EXPECT_EQ(grid().col(), 0);
    EXPECT_EQ(grid().topRow(), 1);
    press(2);
    const std::string& block = clipboard.content;
    EXPECT_EQ(std::count(block.begin(), block.end(), '\r'), 2);
    EXPECT_EQ(std::count(block.begin(), block.end(), '\t'), 3 * 210);
    EXPECT_EQ(block.rfind("\t1\t2\t3\t", 0), 0u);
    EXPECT_NE(block.find("\rSample       \t[SiO2(c)\t"), std::string::npos);
    EXPECT_NE(block.find("\rDi 0\t51.2\t0.3\t"), std::string::npos);
}

TEST_F(ResultsScreenTest, EditCommandsThroughMenuToolbarAndClipboard) {
    appendRows(3);
    // Delete with the second corner above and to the left of the current cell.
    grid().setCurrent(4, 2);
    grid().setSelectionCorner(2, 1);
    press(4);
    EXPECT_EQ(grid().text(2, 1), "");
    EXPECT_EQ(grid().text(4, 2), "");
    EXPECT_EQ(grid().text(2, 0), "Di 0");

    clipboard.content.clear();
    grid().setCurrent(2, 0);
    choose("mnuEditPaste");  // an empty clipboard changes nothing
    EXPECT_EQ(grid().text(2, 0), "Di 0");

    choose("mnuEditCut");
    EXPECT_EQ(clipboard.content, "Di 0");
    EXPECT_EQ(grid().text(2, 0), "");
    grid().setCurrent(3, 0);
    grid().setSelectionCorner(3, 1);
    press(3);
    EXPECT_EQ(grid().text(3, 0), "Di 0");
    EXPECT_EQ(grid().text(3, 1), "");  // the block had one field

    clipboard.unavailable = true;
    press(1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Can't open clipboard"));
    EXPECT_EQ(grid().text(3, 0), "Di 0");  // the failed Cut deleted nothing
}

TEST_F(ResultsScreenTest, MenusCarryTheirCaptionsAndShortcuts) {
    struct Case {
        const char* name;
        const char* caption;
        const char* shortcut;
    };
    const Case cases[] = {
        {"mnuEditCut", "Cut", "Ctrl+C"},
        {"mnuEditCopy", "Copy", "Ctrl+Y"},
        {"mnuEditPaste", "Paste", "Ctrl+P"},
        {"mnuEditDelete", "Delete", "Ctrl+D"},
        {"mnuEditSelectAll", "Select All", "Ctrl+S"},
        {"mnuExit", "Exit", "Ctrl+E"},
        {"mnuSEF", "Send Results to Excel (Output.xlsx)", "Ctrl+G"},
        {"mnuOEF", "Open Excel File (Output.xlsx)", "Ctrl+H"},
        {"mnuEOX", "Exit Excel File (i.e., Output.xlsx)", ""},
        {"mnuAbaout", "About", ""},
        {"mnuHelpContents", "Click Here for Help Index           F1", ""},
        {"mnuQJ", "[1]   Q - J Diagram (Morimoto et al. 1988)", ""},
        {"mnuVcellVM1Nim99",
         "[8]   Vcell - VM1 Diagram (Nimis 1999)    [i.e., at 1 atm and 25 oC ]", ""},
    };
    for (const Case& c : cases) {
        QAction* a = screen->menuItem(c.name);
        ASSERT_NE(a, nullptr) << c.name;
        EXPECT_EQ(a->text().toStdString(), c.caption) << c.name;
        EXPECT_EQ(a->shortcut().toString().toStdString(), c.shortcut) << c.name;
    }
    QStringList edit;
    for (QAction* a : screen->menu("mnuEdit")->actions())
        edit << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    EXPECT_EQ(edit.join(QLatin1Char(' ')),
              QStringLiteral("- mnuEditCut mnuEditCopy mnuEditPaste mnuEditDelete "
                             "mnuEditSelectAll - mnuExit"));
    QStringList classification;
    for (QAction* a : screen->menu("mnuClass")->actions())
        classification << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    EXPECT_EQ(
        classification.join(QLatin1Char(' ')),
        QStringLiteral("- mnuQJ - mnuWoEnFs1 mnuWoEnFs2 - mnuQJdAe1 mnuQJdAe2 - mnuWoEnFs3 -"));
}

TEST_F(ResultsScreenTest, ToolbarHasSixteenButtonsWithTheirTips) {
    const char* tips[17] = {nullptr,
                            "Cut",
                            "Copy",
                            "Paste",
                            "Delete",
                            "Select All",
                            nullptr,
                            "Exit program",
                            nullptr,
                            "Send results to Excel File (Output.xlsx)",
                            "Open and Edit Excel file (Output.xlsx)",
                            nullptr,
                            "About",
                            "Plot graph by using Grapher",
                            "Help",
                            nullptr,
                            "Display Previous Screen"};
    for (int n = 1; n <= 16; ++n) {
        QAction* b = screen->toolButton(n);
        ASSERT_NE(b, nullptr) << n;
        if (tips[n] == nullptr)
            EXPECT_TRUE(b->isSeparator()) << n;
        else
            EXPECT_EQ(b->toolTip().toStdString(), tips[n]) << n;
    }
}

TEST_F(ResultsScreenTest, PreviousScreenExitAboutAndHelp) {
    press(16);
    EXPECT_EQ(entryShown, 1);
    press(7);
    choose("mnuExit");
    EXPECT_EQ(exits, 2);

    press(12);
    ASSERT_NE(aboutBox(), nullptr);
    EXPECT_TRUE(aboutBox()->isVisible());

    press(14);
    choose("mnuHelpContents");
    ASSERT_EQ(opener.opened.size(), 2u);
    EXPECT_TRUE(opener.opened[0].toLocalFile().endsWith(QStringLiteral("help/index.html")));
}

}  // namespace
}  // namespace kalvoren
