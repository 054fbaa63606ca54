#pragma once
// The entry screen kkj: the program's start-up window and the only place where analyses
// are entered. It shows the start-up layout (title panels) or the data-entry layout (the
// analysis table in the grid), carries the File, Edit, option, Calculate, About and Help
// menus, the 22-button toolbar and the status bar, and starts the calculation run.
//
// Every menu item, pop-up item, shortcut and toolbar button runs its handler through one
// door (runCommand / Toolbar1_ButtonClick): a failing step raises CommandError with the
// platform's error number, and ReportCommandError shows the screen's message for it.
// Nothing but Exit ends the program.

#include <QMainWindow>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "classification/RunCalculation.h"
#include "entry/CellGrid.h"
#include "entry/screen/OptionMenuMarks.h"
#include "entry/screen/ResultsScreenLink.h"
#include "platform/qt/CommandError.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;
class QToolBar;

namespace kalvoren {

class Clipboard;
class DesktopOpener;
class FileDialog;
class GridControl;
class MessageBox;

inline constexpr const char* kAnalysisFileFilter = "Pyroxene files(*.pyx) |*.pyx";
inline constexpr const char* kSaveChangesQuestion = "Save changes to the analysis table?";
// The Load commands' dialog filters; the newer-format command reads OpenDocument too.
inline constexpr const char* kXlsWorkbookFilter = "Excel files (*.xls)|*.xls";
inline constexpr const char* kXlsxWorkbookFilter = "Excel files (*.xlsx *.ods)|*.xlsx *.ods";

// What the entry screen needs from around it.
struct EntryScreenSurroundings {
    FileDialog& dialog;
    MessageBox& messages;
    Clipboard& clipboard;
    ResultsScreenLink& results;
    std::function<void()> showAboutBox;  // the About box, non-modal
    std::function<void()> openHelp;      // the help guide in the desktop's browser
    std::function<void()> endProgram;
    DesktopOpener* opener = nullptr;  // opens template workbooks; none: nothing opens them
};

class kkj final : public QMainWindow, public EntryScreen {
    Q_OBJECT
  public:
    explicit kkj(EntryScreenSurroundings surroundings, QWidget* parent = nullptr);
    ~kkj() override;

    // ---- state, for the wiring and the tests ----
    CellGrid& table() { return table_; }
    GridControl& grid() { return *MSFlexGrid1; }
    QString screenTitle() const;
    QString statusPanelText(int panel) const;  // panels 1..4
    bool statusPanelEnabled(int panel) const;
    bool isDataEntryLayout() const;
    QAction* toolButton(int number) const;  // 1..22; separators are separator actions
    QAction* menuItem(const char* name) const;
    QMenu* menu(const char* name) const;
    OptionStore& optionMarks() { return options_; }
    bool hasUnsavedChanges() const { return table_.revision() != savedRevision_; }
    // The text of the last cell pressed in the grid (the mirror field Text1).
    const std::string& lastPressedCellText() const { return text1_; }
    const std::string& currentFileName() const { return currentFileName_; }
    int lastErrorNumber() const { return outcome_.number; }

    // Opens an analysis file as Open File does with `path` chosen (the command line),
    // reporting a file that cannot be read.
    void openAnalysisFile(const QString& path);

    // Asks "Save changes to the analysis table?" when the table holds changes not saved to
    // an analysis file. True when the command may go on (saved or discarded).
    bool confirmDiscardChanges();

    // Runs a menu, pop-up or shortcut command: errors are caught and reported with the
    // screen's message table.
    void runCommand(void (kkj::*handler)());

    // ---- EntryScreen: the calculation run's view of this screen ----
    void setScreenTitle(std::string_view title) override;
    std::string ensureTableLoaded() override;

    // ---- handlers, by the names of their controls and events ----
    void Form_Load();
    void mnuNewFile_Click();
    void mnuOpenFile_Click();
    void mnuSaveAs_Click();
    void mnuClose_Click();
    void mnuExit_Click();
    void mnu9703_Click();
    void mnu07Later_Click();
    void mnu9703e_Click();
    void mnu07Latere_Click();
    void Command2_Click();
    void Command3_Click();
    void mnuClear_Click();
    void mnuDelete_Click();
    void mnuEditInsertRow_Click();
    void mnuEditCut_Click();
    void mnuEditCopy_Click();
    void mnuEditPaste_Click();
    void mnuEditDelete_Click();
    void mnuEditSelectAll_Click();
    void mnuOpen_Click();
    void mnuAbout_Click();
    void mnuHelp_Click();
    void mnuHelpContents_Click();
    void DisplayNextScreen();
    void ReportCommandError();

  public Q_SLOTS:
    void Toolbar1_ButtonClick(int button);
    void MSFlexGrid1_KeyPress(char32_t code);
    void MSFlexGrid1_MouseDown(int button, Qt::KeyboardModifiers shift, QPoint globalPos);
    void MSFlexGrid1_Click();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;  // Form_MouseDown

  private:
    void buildWidgets();
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    QAction* addItem(QMenu* menu, const char* name, const char* caption, const QKeySequence& key,
                     void (kkj::*handler)());
    QAction* addOption(QMenu* menu, const char* name, const char* caption, Option option);
    QMenu* addSeparatedMenu(QMenu* parent, const char* name, const char* title);

    void setStatusPanel(int panel, const QString& text);
    void enableToolButtons(std::initializer_list<int> numbers, bool enabled);
    void enableItems(std::initializer_list<QAction*> items, bool enabled);
    void showPictures();
    void showGrid(bool shown);
    void refreshGrid();
    // Open File's steps once a name has been chosen; a failure to read is recorded.
    void openChosenFile(const QString& path);
    // Reads an analysis file into the table; the table is left as it was when the file
    // cannot be read. Returns whether it was read; failures raise CommandError.
    bool loadIntoTable(const std::string& path);
    // New File without the question about unsaved work.
    void newFile();
    // Load and Edit of a workbook: `filter` for the dialog, `templateName` the shipped file.
    void loadWorkbook(const char* filter);
    void editTemplateWorkbook(const char* templateName);
    void showNonNumericCells(const RunSummary& summary);
    void showDataFileErrors(const std::vector<std::string>& errors);
    void endWithExit();

    EntryScreenSurroundings s_;
    CellGrid table_;
    OptionMenuMarks options_;
    std::uint64_t savedRevision_ = 0;
    std::string currentFileName_;
    std::string dialogFileName_;  // the name the file dialog returned last
    std::string text1_;
    CommandOutcome outcome_;  // of the last command
    bool exiting_ = false;
    bool fileLoadedMark_ = false;

    // Controls, by their names.
    GridControl* MSFlexGrid1 = nullptr;
    QFrame* Frame1 = nullptr;
    QFrame* Frame2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblLabel1Form1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QToolBar* Toolbar1 = nullptr;
    std::array<QAction*, 23> toolButtons_{};
    std::array<QLabel*, 5> statusPanels_{};
    QTimer* clock_ = nullptr;

    QMenu* mnuFile = nullptr;
    QMenu* mnuOEF = nullptr;
    QMenu* mnuEEF = nullptr;
    QMenu* mnuEdit = nullptr;
    QMenu* mnuNormalization = nullptr;
    QMenu* mnuStructural = nullptr;
    QMenu* mnuFe3est = nullptr;
    QMenu* mnuGPT = nullptr;
    QMenu* mnuorddisord = nullptr;
    QMenu* mnuCalculate = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuNewFile = nullptr;
    QAction* mnuOpenFile = nullptr;
    QAction* mnuSaveAs = nullptr;
    QAction* mnuClose = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnu9703 = nullptr;
    QAction* mnu07Later = nullptr;
    QAction* mnu9703e = nullptr;
    QAction* mnu07Latere = nullptr;
    QAction* mnuClear = nullptr;
    QAction* mnuDelete = nullptr;
    QAction* mnuEditInsertRow = nullptr;
    QAction* mnuEditCut = nullptr;
    QAction* mnuEditCopy = nullptr;
    QAction* mnuEditPaste = nullptr;
    QAction* mnuEditDelete = nullptr;
    QAction* mnuEditSelectAll = nullptr;
    QAction* mnuOpen = nullptr;
    QAction* mnuAbout = nullptr;
    QAction* mnuHelpContents = nullptr;
};

}  // namespace kalvoren
