// The entry screen's File commands (New File, Open File, Save As, Close, Exit) and the
// calculation run they feed.

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "classification/PlotDataFile.h"
#include "entry/AnalysisFile.h"
#include "entry/AnalysisTable.h"
#include "entry/TableEntrySource.h"
#include "entry/screen/TableEditing.h"
#include "entry/screen/kkj.h"
#include "platform/qt/CommandError.h"
#include "platform/qt/FileDialog.h"
#include "platform/qt/GridControl.h"
#include "platform/qt/MessageBox.h"

namespace kalvoren {

namespace {

constexpr const char* kScratchTable = "ruvo.tem";  // New File's empty table
constexpr const char* kScratchOpen = "ruvo.dat";   // Open File when its dialog gives no name

QString fromUtf8(const std::string& s) {
    return QString::fromStdString(s);
}

// The error number for an analysis file that could not be read.
int loadErrorNumber(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return ErrorNumber::FileNotFound;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return errorNumberFor(std::error_code(errno, std::generic_category()));
    std::fclose(f);
    return ErrorNumber::InvalidFileFormat;  // opened, but it holds no analysis table
}

// The error number for an analysis file that could not be written.
int saveErrorNumber(const std::string& path, const std::string& reason) {
    if (reason.find("No space left") != std::string::npos) return ErrorNumber::DiskFull;
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec))
        return ErrorNumber::PathNotFound;
    return ErrorNumber::PathFileAccess;
}

// The message box stands in for the run's message sink.
class ScreenMessages final : public MessageSink {
  public:
    ScreenMessages(MessageBox& box, QWidget* parent) : box_(box), parent_(parent) {}
    void showExclamation(std::string_view text) override {
        box_.showExclamation(parent_, QString::fromUtf8(text.data(), qsizetype(text.size())));
    }

  private:
    MessageBox& box_;
    QWidget* parent_;
};

QString describeValueRead(double value) {
    if (std::isnan(value)) return QStringLiteral("blank");
    return QString::number(value, 'g', 15);
}

}  // namespace

// ---------------------------------------------------------------- unsaved work

bool kkj::confirmDiscardChanges() {
    if (!hasUnsavedChanges()) return true;
    switch (s_.messages.askSaveChanges(this, QString::fromUtf8(kSaveChangesQuestion))) {
        case SaveChoice::Discard:
            return true;
        case SaveChoice::Cancel:
            return false;
        case SaveChoice::Save:
            mnuSaveAs_Click();  // a failed save raises and ends the command here
            return !hasUnsavedChanges();
    }
    return false;
}

// ---------------------------------------------------------------- New File

void kkj::mnuNewFile_Click() {
    if (!confirmDiscardChanges()) return;
    newFile();
}

void kkj::newFile() {
    setScreenTitle("New  File");
    Command2->hide();
    Command3->hide();
    mnuOEF->menuAction()->setEnabled(true);
    clearAllCells(table_);
    Frame1->hide();
    enableToolButtons({3, 4, 7, 8, 9, 10, 11}, true);
    setStatusPanel(1, QStringLiteral("New File"));
    statusPanels_[1]->setEnabled(true);
    lblLabel1Form1->show();
    enableItems({mnuClose, mnuSaveAs}, true);
    showGrid(true);
    enableItems({mnuClear, mnuDelete, mnuEditCut, mnuEditCopy, mnuEditPaste, mnuEditInsertRow,
                 mnuEditSelectAll, mnuEditDelete},
                true);
    capCell(table_);
    // The empty table goes to the scratch file; a folder that cannot be written only
    // loses the scratch copy, so its failure is not reported.
    saveAnalysisFile(table_, kScratchTable);
    table_.setCurrent(1, 1);
    table_.setSelectionCorner(table_.rows() - 1, table_.cols() - 1);
    savedRevision_ = table_.revision();
    refreshGrid();
    MSFlexGrid1->showTopRow();
    MSFlexGrid1->setFocus();
}

// ---------------------------------------------------------------- Open File

bool kkj::loadIntoTable(const std::string& path) {
    // The file is read into a scratch table first, so a file that cannot be read leaves
    // the user's table exactly as it was. The scratch table goes before the text is pasted
    // again, into the user's table (whose shape may differ), so that a large file is held
    // twice at most.
    const AnalysisLoad load = [&] {
        CellGrid scratch;
        capCell(scratch);
        return loadAnalysisFile(scratch, path, std::string_view());
    }();
    if (!load.read) throw CommandError(loadErrorNumber(path), load.reason);

    table_.setCurrent(1, 1);
    table_.setSelectionCorner(table_.rows() - 1, table_.cols() - 1);
    table_.pasteBlockText(load.pastedText);
    table_.setTopRow(1);
    savedRevision_ = table_.revision();
    refreshGrid();
    MSFlexGrid1->showTopRow();
    if (!load.warning.empty())
        s_.messages.showMessage(this, QStringLiteral("The analysis file was loaded."),
                                fromUtf8(load.warning));
    return true;
}

void kkj::openAnalysisFile(const QString& path) {
    outcome_.clear();
    openChosenFile(path);
    refreshGrid();
    ReportCommandError();
}

void kkj::openChosenFile(const QString& path) {
    setScreenTitle("Open  File");
    enableItems(
        {mnuEditCut, mnuEditCopy, mnuEditPaste, mnuEditInsertRow, mnuEditSelectAll, mnuEditDelete},
        true);
    enableToolButtons({3, 7, 8, 9, 10, 11}, true);
    Frame1->hide();
    showPictures();
    enableToolButtons({4}, true);
    showGrid(true);
    currentFileName_ = path.toStdString();
    dialogFileName_ = currentFileName_;

    fileLoadedMark_ = true;
    mnuOpen->setChecked(true);
    statusPanels_[1]->setEnabled(true);
    lblLabel1Form1->show();
    enableItems({mnuClose, mnuClear, mnuDelete, mnuSaveAs}, true);
    setStatusPanel(1, path);

    capCell(table_);
    refreshGrid();

    std::error_code ec;
    const bool exists = std::filesystem::exists(currentFileName_, ec);
    try {
        if (!exists)
            throw CommandError(ErrorNumber::FileNotFound,
                               "'" + currentFileName_ + "' does not exist.");
        mnu9703->setEnabled(false);
        mnu07Later->setEnabled(false);
        loadIntoTable(currentFileName_);
    } catch (const CommandError& e) {
        // The remaining steps still run; the failure is reported at the end.
        outcome_.record(e);
    }
    setScreenTitle("Data Entry Screen");
    enableToolButtons({15, 16}, false);
    MSFlexGrid1->setFocus();
}

void kkj::mnuOpenFile_Click() {
    if (!confirmDiscardChanges()) return;
    const QString previousTitle = screenTitle();
    setScreenTitle("Open  File");
    QString name = s_.dialog.chooseFileToOpen(this, QString::fromUtf8(kAnalysisFileFilter));
    if (name.isEmpty()) {
        // No name chosen: the scratch file "ruvo.dat" of the current folder is opened when
        // there is one; otherwise the screen stays as it was.
        std::error_code ec;
        if (!std::filesystem::exists(kScratchOpen, ec)) {
            Label3->setText(previousTitle);
            return;
        }
        name = QString::fromUtf8(kScratchOpen);
    }
    openChosenFile(name);
}

// ---------------------------------------------------------------- Save As

void kkj::mnuSaveAs_Click() {
    setScreenTitle("Save As");
    showPictures();
    const QString name = s_.dialog.chooseFileToSave(this, QString::fromUtf8(kAnalysisFileFilter));
    showGrid(true);
    statusBar()->show();
    setStatusPanel(1, name);
    if (name.isEmpty()) return;
    dialogFileName_ = name.toStdString();

    const AnalysisSave save = saveAnalysisFile(table_, dialogFileName_);
    refreshGrid();
    if (!save.saved) throw CommandError(saveErrorNumber(dialogFileName_, save.reason), save.reason);
    savedRevision_ = table_.revision();
    if (!save.warning.empty())
        s_.messages.showMessage(this, QStringLiteral("The analysis file was saved."),
                                fromUtf8(save.warning));
}

// ---------------------------------------------------------------- Close and Exit

void kkj::mnuClose_Click() {
    setScreenTitle("Start-up Screen");
    Frame1->show();
    enableToolButtons({3, 7, 8, 9, 10, 11, 4}, false);
    lblLabel1Form1->show();
    showGrid(false);
    enableItems({mnuClear, mnuEditInsertRow, mnuDelete}, false);
    Command2->hide();
    Command3->hide();
    enableItems(
        {mnuEditCut, mnuEditCopy, mnuEditPaste, mnuEditDelete, mnuEditInsertRow, mnuEditSelectAll},
        false);
    enableItems({mnu9703, mnu07Later}, true);
    enableToolButtons({15, 16}, true);
    enableItems({mnuSaveAs, mnuClose}, false);
}

void kkj::mnuExit_Click() {
    if (!confirmDiscardChanges()) return;
    exiting_ = true;
    s_.results.unloadResultsScreen();
    hide();
    if (s_.endProgram) s_.endProgram();
}

// ---------------------------------------------------------------- the calculation run

std::string kkj::ensureTableLoaded() {
    if (fileLoadedMark_) return dialogFileName_;
    const QString name = s_.dialog.chooseFileToOpen(this, QString::fromUtf8(kAnalysisFileFilter));
    dialogFileName_ = name.toStdString();
    setStatusPanel(1, name);
    capCell(table_);
    // A cancelled dialog loads nothing: the table is calculated as it stands.
    if (!dialogFileName_.empty()) {
        try {
            loadIntoTable(dialogFileName_);
        } catch (const CommandError& e) {
            // Shown at once, before the results of the table as it stands.
            outcome_.record(e);
            ReportCommandError();
            outcome_.clear();
        }
    }
    refreshGrid();
    return dialogFileName_;
}

void kkj::mnuOpen_Click() {
    TableEntrySource rows(table_);
    ScreenMessages messages(s_.messages, this);
    std::optional<PlotDataFiles> plotData;
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::current_path(ec);
    if (!ec) plotData.emplace(folder);

    const RunSurroundings surroundings{*this, rows, s_.results.resultSink(),
                                       plotData ? &*plotData : nullptr, messages};
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    RunSummary summary;
    try {
        summary = RunCalculation(surroundings, options_);
    } catch (...) {
        QApplication::restoreOverrideCursor();
        setScreenTitle("Data Entry Screen");
        throw;
    }
    QApplication::restoreOverrideCursor();
    refreshGrid();
    if (plotData) showDataFileErrors(plotData->errors());
    showNonNumericCells(summary);
}

void kkj::showDataFileErrors(const std::vector<std::string>& errors) {
    if (errors.empty()) return;
    QStringList lines;
    for (const std::string& e : errors) lines << QString::fromStdString(e);
    s_.messages.showMessage(
        this,
        QStringLiteral("The results are complete, but not every diagram data file could be "
                       "written; diagrams drawn from those files would not show this run."),
        lines.join(QLatin1Char('\n')));
}

void kkj::showNonNumericCells(const RunSummary& summary) {
    if (summary.nonNumericCells.empty()) return;
    constexpr std::size_t kListed = 200;
    QStringList lines;
    for (const NonNumericCell& cell : summary.nonNumericCells) {
        if (static_cast<std::size_t>(lines.size()) == kListed) break;
        const std::string_view heading =
            cell.column >= 0 && cell.column < static_cast<int>(kEntryHeadings.size())
                ? kEntryHeadings[static_cast<std::size_t>(cell.column)]
                : std::string_view();
        lines << QStringLiteral("Row %1, %2: \"%3\" read as %4")
                     .arg(cell.row)
                     .arg(QString::fromUtf8(heading.data(), qsizetype(heading.size())).trimmed())
                     .arg(fromUtf8(cell.text))
                     .arg(describeValueRead(cell.valueRead));
    }
    const std::size_t count = summary.nonNumericCellCount;
    if (count > kListed) lines << QStringLiteral("... and %1 more.").arg(count - kListed);
    const QString text =
        count == 1 ? QStringLiteral("1 cell is not a plain number; it was read as shown below.")
                   : QStringLiteral(
                         "%1 cells are not plain numbers; they were read as shown "
                         "below.")
                         .arg(count);
    s_.messages.showMessage(this, text, lines.join(QLatin1Char('\n')));
}

}  // namespace kalvoren
