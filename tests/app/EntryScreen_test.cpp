// The entry screen: start-up state, menus, toolbar, typing and the Edit commands, driven
// through the screen's own actions, shortcuts and grid keys.

#include "DesktopFixture.h"

#include <QFrame>
#include <QLabel>
#include <QToolBar>

#include "entry/AnalysisTable.h"

namespace kalvoren::testing {
namespace {

using EntryScreenTest = DesktopFixture;

TEST_F(EntryScreenTest, StartsOnTheStartUpLayoutWithAnEmptyStandardTable) {
    kkj& e = entry();
    EXPECT_EQ(e.windowTitle(), QStringLiteral("K a l v o r e n").leftJustified(255));
    EXPECT_EQ(e.screenTitle(), QStringLiteral("Start-up Screen"));
    EXPECT_FALSE(e.isDataEntryLayout());
    EXPECT_TRUE(e.findChild<QFrame*>(QStringLiteral("Frame1"))->isVisible());
    EXPECT_EQ(e.statusPanelText(1), QStringLiteral("No Selected File"));
    EXPECT_FALSE(e.statusPanelEnabled(1));

    for (const char* name :
         {"mnuSaveAs", "mnuClose", "mnuEditCut", "mnuEditCopy", "mnuEditPaste", "mnuEditDelete",
          "mnuEditInsertRow", "mnuEditSelectAll", "mnuClear", "mnuDelete"})
        EXPECT_FALSE(item(name)->isEnabled()) << name;
    for (const char* name :
         {"mnuNewFile", "mnuOpenFile", "mnuExit", "mnu9703", "mnu07Later", "mnuOpen"})
        EXPECT_TRUE(item(name)->isEnabled()) << name;
    for (int b : {3, 4, 7, 8, 9, 10, 11}) EXPECT_FALSE(e.toolButton(b)->isEnabled()) << b;
    for (int b : {1, 2, 5, 13, 15, 16, 17, 18, 20, 21, 22})
        EXPECT_TRUE(e.toolButton(b)->isEnabled()) << b;

    EXPECT_EQ(table().rows(), 1001);
    EXPECT_EQ(table().cols(), 43);
    EXPECT_EQ(cell(0, 0), "Row No");
    EXPECT_EQ(cell(0, 42), "Li2O  [o]");
    EXPECT_EQ(cell(1000, 0), "1000");
    EXPECT_EQ(table().row(), 0);
    EXPECT_EQ(table().col(), 42);
    EXPECT_FALSE(e.hasUnsavedChanges());
    for (int o = 0; o < kOptionCount; ++o)
        EXPECT_FALSE(e.optionMarks().isMarked(static_cast<Option>(o)));
}

struct MenuItemCase {
    const char* name;
    const char* caption;
    const char* shortcut;
};

TEST_F(EntryScreenTest, MenuItemsCarryTheirCaptionsAndShortcuts) {
    const MenuItemCase cases[] = {
        {"mnuNewFile", "New File", "Ctrl+N"},
        {"mnuOpenFile", "Open File", "Ctrl+O"},
        {"mnuSaveAs", "Save As", "Ctrl+S"},
        {"mnuClose", "Close", "Ctrl+C"},
        {"mnu9703", "1997 - 2003 Files (.xls)", "Ctrl+G"},
        {"mnu07Later", "2007 - Later (.xlsx)", "Ctrl+H"},
        {"mnu9703e", "1997 - 2003 Files (.xls)", "Ctrl+F1"},
        {"mnu07Latere", "2007 - Later (.xlsx)", "Ctrl+F2"},
        {"mnuExit", "Exit", "Ctrl+X"},
        {"mnuClear", "Clear All", "Ctrl+A"},
        {"mnuDelete", "Remove Row", "Ctrl+D"},
        {"mnuEditInsertRow", "Insert Row", "Ctrl+I"},
        {"mnuEditCut", "Cut", "Ctrl+T"},
        {"mnuEditCopy", "Copy", "Ctrl+Y"},
        {"mnuEditPaste", "Paste", "Ctrl+P"},
        {"mnuEditDelete", "Delete", "Ctrl+L"},
        {"mnuEditSelectAll", "Select All", "Ctrl+E"},
        {"mnuwith4", "with total 4 cations", ""},
        {"mnuwithout4", "without total 4 cations", ""},
        {"mnuFe3Droop",
         "Fe3+ estimation from Droop (1987)               [Fe3+ = 12 * (1 - (4 / Total "
         "cations))]    (Maximum)",
         ""},
        {"mnuFe3Papike",
         "Fe3+ estimation from Papike et al. (1974)     [Fe3+ = AlIV + Na - AlVI - Cr -2 * Ti]    "
         "  (Minimum)",
         ""},
        {"mnuFe3Ave",
         "Fe3+ estimation (This study)                          [(Maximum+Minimum)/2]           "
         "              (Average)",
         ""},
        {"mnuAugite", "Clinopyroxene estimation for Augite   (Lindsley 1983)", ""},
        {"mnuPigeonite", "Clinopyroxene estimation for Pigeonite   (Lindsley 1983)", ""},
        {"mnuNone", "[Wo-En-Fs] end-members (%) (including Ca, Mg, Fe2+)", ""},
        {"mnuNone1", "[Wo-En-Fs] end-members (%) (including Ca, Mg, Fetot+ Mn)", ""},
        {"mnuCorFac",
         "Correction factor (-0.97) for Bertrand and Mercier's (1985/86) two-pyroxene "
         "geothermometer",
         ""},
        {"mnuusemgfe", "Use Mg-Fe order-disorder for molar fractions", ""},
        {"mnuOpen", "Open File to Calculate", "Ctrl+F"},
        {"mnuAbout", "About", ""},
        {"mnuHelpContents", "Click Here for Help Index           F1", ""},
    };
    for (const MenuItemCase& c : cases) {
        QAction* a = item(c.name);
        if (a == nullptr) continue;
        EXPECT_EQ(a->text().toStdString(), c.caption) << c.name;
        EXPECT_EQ(a->shortcut().toString().toStdString(), c.shortcut) << c.name;
    }
    EXPECT_EQ(entry().menu("mnuHelp")->title(), QStringLiteral("Help") + QString(53, QChar(' ')));

    // Separators open and close the option groups.
    QMenu* gpt = entry().menu("mnuGPT");
    QStringList layout;
    for (QAction* a : gpt->actions())
        layout << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    EXPECT_EQ(layout.join(QLatin1Char(' ')),
              QStringLiteral("- mnuAugite mnuPigeonite - mnuNone mnuNone1 - mnuCorFac -"));
    QStringList edit;
    for (QAction* a : entry().menu("mnuEdit")->actions())
        edit << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    EXPECT_EQ(edit.join(QLatin1Char(' ')),
              QStringLiteral("mnuClear mnuDelete mnuEditInsertRow - mnuEditCut mnuEditCopy "
                             "mnuEditPaste mnuEditDelete mnuEditSelectAll"));
}

TEST_F(EntryScreenTest, ToolbarHasTwentyTwoNumberedButtons) {
    const char* labels[23] = {nullptr,
                              "New",
                              "Open",
                              "Save",
                              "Close",
                              "Exit",
                              nullptr,
                              "Cut",
                              "Copy",
                              "Paste",
                              "Delete",
                              "Select All",
                              nullptr,
                              "Calculate",
                              nullptr,
                              "Load Excel (.xls)  into Grid",
                              "Load Excel (.xlsx)  into Grid",
                              "Edit Excel (.xls) File",
                              "Edit Excel (.xlsx) File",
                              nullptr,
                              "About",
                              "Help",
                              "Display Next Screen"};
    for (int n = 1; n <= 22; ++n) {
        QAction* b = entry().toolButton(n);
        ASSERT_NE(b, nullptr) << n;
        if (labels[n] == nullptr)
            EXPECT_TRUE(b->isSeparator()) << n;
        else
            EXPECT_EQ(b->text().toStdString(), labels[n]) << n;
    }
    EXPECT_EQ(entry().findChild<QToolBar*>(QStringLiteral("Toolbar1"))->actions().size(), 22);
}

TEST_F(EntryScreenTest, OptionItemsInvertTheirMarks) {
    choose("mnuwith4");
    choose("mnuwithout4");
    EXPECT_TRUE(entry().optionMarks().isMarked(Option::fourCations));
    EXPECT_TRUE(entry().optionMarks().isMarked(Option::withoutFourCations));
    choose("mnuwith4");
    EXPECT_FALSE(entry().optionMarks().isMarked(Option::fourCations));
    EXPECT_TRUE(item("mnuwithout4")->isChecked());
}

TEST_F(EntryScreenTest, TypingAppendsBackspaceRemovesAndEnterMovesAlongTheRow) {
    choose("mnuNewFile");
    ASSERT_TRUE(entry().isDataEntryLayout());
    EXPECT_EQ(table().row(), 1);
    EXPECT_EQ(table().col(), 1);

    type(QStringLiteral("Di 1"));
    key(Qt::Key_Tab);
    type(QStringLiteral("51.23"));
    key(Qt::Key_Backspace);
    key(Qt::Key_Return);
    type(QStringLiteral("Ä"));  // one character of two UTF-8 bytes
    key(Qt::Key_Backspace);
    type(QStringLiteral("0.7"));
    EXPECT_EQ(cell(1, 1), "Di 1");
    EXPECT_EQ(cell(1, 2), "51.2");
    EXPECT_EQ(cell(1, 3), "0.7");

    // Control characters other than Enter, Tab and Backspace change nothing.
    QTest::keyClick(&grid(), Qt::Key_B, Qt::ControlModifier);
    QTest::keyClick(&grid(), Qt::Key_Escape);
    EXPECT_EQ(cell(1, 3), "0.7");
    // Backspace on an empty cell does nothing.
    key(Qt::Key_Right);
    key(Qt::Key_Backspace);
    EXPECT_EQ(cell(1, 4), "");

    // Enter in the last column goes to the number column of the next row; after the last
    // row it goes to row 1.
    table().setCurrent(1, 42);
    key(Qt::Key_Enter);
    EXPECT_EQ(table().row(), 2);
    EXPECT_EQ(table().col(), 0);
    table().setCurrent(1000, 42);
    key(Qt::Key_Return);
    EXPECT_EQ(table().row(), 1);
    EXPECT_EQ(table().col(), 0);
    type(QStringLiteral("x"));
    EXPECT_EQ(cell(1, 0), "1x");
    EXPECT_TRUE(entry().hasUnsavedChanges());
}

TEST_F(EntryScreenTest, BeforeAnyPressTypingGoesToTheLastHeading) {
    type(QStringLiteral("!"));
    EXPECT_EQ(cell(0, 42), "Li2O  [o]!");
}

TEST_F(EntryScreenTest, ArrowsMoveAndShiftArrowsExtendTheSelection) {
    choose("mnuNewFile");
    key(Qt::Key_Down);
    key(Qt::Key_Right);
    EXPECT_EQ(table().row(), 2);
    EXPECT_EQ(table().col(), 2);
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    const CellRange s = table().selection();
    EXPECT_EQ(s.top, 2);
    EXPECT_EQ(s.left, 2);
    EXPECT_EQ(s.bottom, 3);
    EXPECT_EQ(s.right, 3);
    // The keyboard stays off the fixed heading row and number column.
    key(Qt::Key_Home, Qt::ControlModifier);
    key(Qt::Key_Up);
    key(Qt::Key_Left);
    EXPECT_EQ(table().row(), 1);
    EXPECT_EQ(table().col(), 1);
}

TEST_F(EntryScreenTest, MousePressMakesTheCellCurrentAndRightPressOpensTheEditMenu) {
    choose("mnuNewFile");
    table().setText(3, 2, "50.1");
    grid().refresh();
    QApplication::processEvents();
    const QRect cellRect = grid().visualRect(grid().gridModel().index(2, 1));
    QTest::mouseClick(grid().viewport(), Qt::LeftButton, Qt::NoModifier, cellRect.center());
    EXPECT_EQ(table().row(), 3);
    EXPECT_EQ(table().col(), 2);
    EXPECT_EQ(entry().lastPressedCellText(), "50.1");
    EXPECT_EQ(cell(3, 2), "50.1");  // the click changes no cell

    QMenu* edit = entry().menu("mnuEdit");
    QTest::mousePress(grid().viewport(), Qt::RightButton, Qt::NoModifier, cellRect.center());
    EXPECT_TRUE(edit->isVisible());
    edit->hide();
}

TEST_F(EntryScreenTest, DraggingExtendsTheSelectionFromThePressedCell) {
    choose("mnuNewFile");
    QApplication::processEvents();
    const QRect from = grid().visualRect(grid().gridModel().index(1, 1));  // cell (2, 2)
    const QRect to = grid().visualRect(grid().gridModel().index(3, 4));    // cell (4, 5)
    QTest::mousePress(grid().viewport(), Qt::LeftButton, Qt::NoModifier, from.center());
    QTest::mouseMove(grid().viewport(), to.center());
    QTest::mouseRelease(grid().viewport(), Qt::LeftButton, Qt::NoModifier, to.center());
    EXPECT_EQ(table().row(), 2);
    EXPECT_EQ(table().col(), 2);
    EXPECT_EQ(table().rowSel(), 4);
    EXPECT_EQ(table().colSel(), 5);
    // A shift press moves the second corner only.
    QTest::mouseClick(grid().viewport(), Qt::LeftButton, Qt::ShiftModifier, from.center());
    EXPECT_EQ(table().rowSel(), 2);
    EXPECT_EQ(table().row(), 2);
}

TEST_F(EntryScreenTest, PressesOnTheBackgroundOpenTheOptionMenus) {
    QMenu* normalization = entry().menu("mnuNormalization");
    QMenu* ferric = entry().menu("mnuFe3est");
    QTest::mousePress(&entry(), Qt::RightButton, Qt::NoModifier, QPoint(300, 400));
    EXPECT_TRUE(normalization->isVisible());
    normalization->hide();
    QTest::mousePress(&entry(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 400));
    EXPECT_TRUE(ferric->isVisible());
    ferric->hide();
}

TEST_F(EntryScreenTest, OpeningTheHelpMenuOpensTheGuide) {
    QMenu* help = entry().menu("mnuHelp");
    help->popup(QPoint(10, 10));
    EXPECT_EQ(opener.opened.size(), 1u);
    help->hide();
}

TEST_F(EntryScreenTest, CopyAndPasteMoveBlocksThroughTheClipboard) {
    choose("mnuNewFile");
    table().setText(1, 1, "A");
    table().setText(1, 2, "B");
    table().setText(2, 1, "C");
    table().setText(2, 2, "D");
    table().setCurrent(2, 2);
    table().setSelectionCorner(1, 1);  // the corner above and to the left
    choose("mnuEditCopy");
    EXPECT_EQ(clipboard.content, "A\tB\rC\tD");

    // One cell: only its text, no TAB or CR.
    table().setCurrent(2, 1);
    pressToolButton(8);
    EXPECT_EQ(clipboard.content, "C");

    // A three-line, two-field block fills a 3 x 2 selection, CR LF and LF ending lines.
    clipboard.content = "1\t2\r\n3\t4\n5\t6";
    table().setCurrent(5, 3);
    table().setSelectionCorner(7, 4);
    choose("mnuEditPaste");
    EXPECT_EQ(cell(5, 3), "1");
    EXPECT_EQ(cell(6, 3), "3");
    EXPECT_EQ(cell(7, 4), "6");
    // Into a single cell only the first field goes.
    table().setCurrent(10, 10);
    pressToolButton(9);
    EXPECT_EQ(cell(10, 10), "1");
    EXPECT_EQ(cell(10, 11), "");
    EXPECT_EQ(cell(11, 10), "");
    // An empty clipboard changes nothing.
    clipboard.content.clear();
    choose("mnuEditPaste");
    EXPECT_EQ(cell(10, 10), "1");
}

TEST_F(EntryScreenTest, CutAndDeleteEmptyTheSelectionWhicheverCornerIsCurrent) {
    choose("mnuNewFile");
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c) table().setText(r, c, std::to_string(r * 10 + c));
    table().setCurrent(3, 3);
    table().setSelectionCorner(2, 2);
    choose("mnuEditDelete");
    EXPECT_EQ(cell(2, 2), "");
    EXPECT_EQ(cell(3, 3), "");
    EXPECT_EQ(cell(1, 1), "11");
    EXPECT_EQ(cell(2, 1), "21");

    table().setCurrent(1, 1);
    table().setSelectionCorner(1, 2);
    pressToolButton(7);
    EXPECT_EQ(clipboard.content, "11\t12");
    EXPECT_EQ(cell(1, 1), "");
    EXPECT_EQ(cell(1, 2), "");
    EXPECT_EQ(cell(1, 3), "13");
}

TEST_F(EntryScreenTest, SelectAllThenCopyGivesTheDataBlockWithoutHeadings) {
    choose("mnuNewFile");
    table().setText(1, 1, "Di");
    table().setText(1000, 42, "end");
    choose("mnuEditSelectAll");
    EXPECT_EQ(table().row(), 1);
    EXPECT_EQ(table().col(), 1);
    EXPECT_EQ(table().topRow(), 1);
    choose("mnuEditCopy");
    const std::string& block = clipboard.content;
    EXPECT_EQ(std::count(block.begin(), block.end(), '\r'), 999);
    EXPECT_EQ(std::count(block.begin(), block.end(), '\t'), 1000 * 41);
    EXPECT_EQ(block.rfind("Di\t", 0), 0u);
    EXPECT_TRUE(block.ends_with("\tend"));
    EXPECT_EQ(block.find("Row No"), std::string::npos);
}

TEST_F(EntryScreenTest, InsertAndRemoveRowKeepTheRowNumbers) {
    choose("mnuNewFile");
    table().setText(5, 1, "fifth");
    table().setCurrent(5, 1);
    choose("mnuEditInsertRow");
    EXPECT_EQ(table().rows(), 1002);
    EXPECT_EQ(cell(5, 0), "");
    EXPECT_EQ(cell(5, 1), "");
    EXPECT_EQ(cell(6, 0), "5");
    EXPECT_EQ(cell(6, 1), "fifth");

    choose("mnuDelete");
    EXPECT_EQ(table().rows(), 1001);
    EXPECT_EQ(cell(5, 1), "fifth");

    // The heading row is never removed, and nothing happens on it.
    table().setCurrent(0, 3);
    choose("mnuDelete");
    choose("mnuEditInsertRow");
    EXPECT_EQ(table().rows(), 1001);
    EXPECT_EQ(cell(0, 3), "TiO2    [c]");

    // A table of the heading row and one data row keeps its row.
    table().setRows(2);
    table().setCurrent(1, 1);
    choose("mnuDelete");
    EXPECT_EQ(table().rows(), 2);
}

TEST_F(EntryScreenTest, ClipboardFailuresAreReportedNotFatal) {
    choose("mnuNewFile");
    clipboard.unavailable = true;
    pressToolButton(8);  // toolbar Copy
    choose("mnuEditPaste");
    choose("mnuEditCut");
    ASSERT_EQ(messages.shown.size(), 3u);
    for (const auto& shown : messages.shown)
        EXPECT_EQ(shown.text, QStringLiteral("Can't open clipboard"));
    EXPECT_EQ(entry().lastErrorNumber(), 521);
}

TEST_F(EntryScreenTest, ShortcutsReachTheCommandsWhileTheScreenIsActive) {
    if (!activate(entry())) GTEST_SKIP() << "the platform does not activate windows";
    QTest::keyClick(&entry(), Qt::Key_N, Qt::ControlModifier);  // New File
    ASSERT_TRUE(entry().isDataEntryLayout());
    type(QStringLiteral("Aug"));
    key(Qt::Key_Down);  // the selection New File made shrinks to one cell
    key(Qt::Key_Up);
    QTest::keyClick(&entry(), Qt::Key_Y, Qt::ControlModifier);  // Copy
    EXPECT_EQ(clipboard.content, "Aug");
    QTest::keyClick(&entry(), Qt::Key_L, Qt::ControlModifier);  // Delete
    EXPECT_EQ(cell(1, 1), "");
    QTest::keyClick(&entry(), Qt::Key_P, Qt::ControlModifier);  // Paste
    EXPECT_EQ(cell(1, 1), "Aug");
    QTest::keyClick(&entry(), Qt::Key_C, Qt::ControlModifier);  // Close
    EXPECT_FALSE(entry().isDataEntryLayout());
    EXPECT_EQ(entry().screenTitle(), QStringLiteral("Start-up Screen"));
    EXPECT_EQ(cell(1, 1), "Aug");  // Close keeps the table
}

TEST_F(EntryScreenTest, SystemClipboardCarriesTheBlock) {
    QtClipboard system;
    CellGrid g(3, 3);
    g.setText(1, 1, "51.2");
    g.setText(1, 2, "Mg# ±");
    g.setCurrent(1, 1);
    g.setSelectionCorner(1, 2);
    system.setText(g.selectionBlockText());
    EXPECT_EQ(system.text(), "51.2\tMg# ±");
    system.clear();
    EXPECT_EQ(system.text(), "");
}

TEST_F(EntryScreenTest, AboutHelpAndNextScreen) {
    pressToolButton(22);
    ASSERT_NE(program->resultsScreen(), nullptr);
    EXPECT_TRUE(program->resultsScreen()->isVisible());
    EXPECT_EQ(program->resultsScreen()->grid().rows(), 2);

    choose("mnuHelpContents");
    pressToolButton(21);
    ASSERT_EQ(opener.opened.size(), 2u);
    EXPECT_TRUE(opener.opened[0].toLocalFile().endsWith(QStringLiteral("help/index.html")));

    // A desktop that opens nothing is reported.
    opener.succeeds = false;
    choose("mnuHelpContents");
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().text, QStringLiteral("File not found"));
}

}  // namespace
}  // namespace kalvoren::testing
