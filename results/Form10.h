#pragma once
// The results screen Form10 ("Calculation Screen"): one row per calculated analysis under
// a numbering row and a heading row of 211 columns, typing and the Edit commands, the
// Excel, Graph, About and Help menus, a 16-button toolbar and a seven-panel status bar.
//
// It is created when first used and keeps its rows until it is closed; every run appends
// below the rows of earlier runs. Every command runs through one door (runCommand /
// Toolbar1_ButtonClick) that reports a failure with this screen's message table.

#include <QMainWindow>
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "entry/CellGrid.h"
#include "platform/qt/CommandError.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QToolBar;

namespace kalvoren {

class Clipboard;
class DesktopOpener;
class FileDialog;
class GridControl;
class MessageBox;

inline constexpr int kResultsGridColumns = 211;

struct ResultsScreenSurroundings {
    MessageBox& messages;
    Clipboard& clipboard;
    DesktopOpener& opener;
    FileDialog& dialog;
    std::function<void()> showEntryScreen;  // Display Previous Screen
    std::function<void()> exitProgram;      // Exit: the program's exit, asking about unsaved work
};

class Form10 final : public QMainWindow {
    Q_OBJECT
  public:
    explicit Form10(ResultsScreenSurroundings surroundings, QWidget* parent = nullptr);
    ~Form10() override;

    // ---- what the calculation run and the entry screen use ----
    void setStatusPanel(int panel, const QString& text);  // panels 1..5
    void appendResultRow(std::string_view rowText);
    // Shows the screen without making it modal and brings it to the front.
    void showScreen();

    // ---- state, for the wiring and the tests ----
    CellGrid& grid() { return grid_; }
    GridControl& gridControl() { return *MSFlexGrid1; }
    QString screenTitle() const;
    QString statusPanelText(int panel) const;  // panels 1..7
    QString statusPanelToolTip(int panel) const;
    QAction* toolButton(int number) const;  // 1..16
    QAction* menuItem(const char* name) const;
    QMenu* menu(const char* name) const;
    int lastErrorNumber() const { return outcome_.number; }

    // Runs a menu, pop-up or shortcut command, reporting any failure.
    void runCommand(void (Form10::*handler)());

    // ---- handlers, by the names of their controls and events ----
    void Form_Load();
    void mnuEditCut_Click();
    void mnuEditCopy_Click();
    void mnuEditPaste_Click();
    void mnuEditDelete_Click();
    void mnuEditSelectAll_Click();
    void mnuExit_Click();
    void mnuSEF_Click();  // Send Results to Excel (Output.xlsx)
    void mnuOEF_Click();  // Open Excel File (Output.xlsx)
    void mnuEOX_Click();  // Exit Excel File
    void mnuAbaout_Click();
    void mnuHelp_Click();
    void mnuHelpContents_Click();
    void DisplayPreviousScreen();
    void ReportCommandError();

    // One function per command that comes with the spreadsheet and diagram work.
    void sendResultsToWorkbook(bool showProgressInBanner);
    void openOutputWorkbook();
    void exitOutputWorkbook();
    void openDiagram(int catalogueIndex);
    void plotGraphFromTemplate();

  public Q_SLOTS:
    void Toolbar1_ButtonClick(int button);
    void MSFlexGrid1_KeyPress(char32_t code);
    void MSFlexGrid1_MouseDown(int button, Qt::KeyboardModifiers shift, QPoint globalPos);

  private:
    void buildWidgets();
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    QAction* addItem(QMenu* menu, const char* name, const char* caption, const QKeySequence& key,
                     void (Form10::*handler)());
    void runDiagramCommand(int catalogueIndex);

    ResultsScreenSurroundings s_;
    CellGrid grid_;
    CommandOutcome outcome_;  // of the last command

    GridControl* MSFlexGrid1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label2 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QToolBar* Toolbar1 = nullptr;
    std::array<QAction*, 17> toolButtons_{};
    std::array<QLabel*, 8> statusPanels_{};
    QMenu* mnuEdit = nullptr;
    QMenu* mnuHelp = nullptr;
};

}  // namespace kalvoren
