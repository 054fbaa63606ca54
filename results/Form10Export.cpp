// The results screen's Excel menu: the whole grid to "Output.xlsx" in the current folder,
// that workbook opened in the desktop's spreadsheet program, and the screen unloaded.

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QProgressBar>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/ResultsWorkbook.h"
#include "platform/qt/CommandError.h"
#include "platform/qt/DesktopOpener.h"
#include "platform/qt/GridControl.h"
#include "results/Form10.h"

namespace kalvoren {

namespace {

constexpr const char* kOutputWorkbook = "Output.xlsx";

// The banner while the toolbar's export runs, and after it (one blank before the
// parenthesis: the export puts the subtitle back in its corrected form).
constexpr const char* kExportTitle = "Wait Please";
constexpr const char* kExportSubtitle =
    "The program sends all calculated results to the Excel file named as Output.xlsx.";
constexpr const char* kScreenTitle = "Calculation Screen";
constexpr const char* kScreenSubtitle =
    "A Desktop Program for Pyroxene Calculation Classification (IMA-1988) and Thermobarometry";

// The error number for a folder or file that could not be written: a missing folder is
// "Path not found", not "File not found".
int writeErrorNumber(std::error_code cause) {
    if (!cause) return ErrorNumber::PathFileAccess;
    if (cause == std::errc::no_such_file_or_directory) return ErrorNumber::PathNotFound;
    return errorNumberFor(cause);
}

// "Output.xlsx" in the current folder; the folder itself may have gone.
std::filesystem::path outputWorkbookPath() {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::current_path(ec);
    if (ec)
        throw CommandError(writeErrorNumber(ec),
                           "The current folder cannot be found: " + ec.message() + ".");
    return folder / kOutputWorkbook;
}

}  // namespace

void Form10::sendResultsToWorkbook(bool showProgressInBanner) {
    if (showProgressInBanner) {
        Label3->setText(QString::fromUtf8(kExportTitle));
        Label2->setText(QString::fromUtf8(kExportSubtitle));
    }
    ProgressBar1->setEnabled(true);
    ProgressBar1->setRange(0, std::max(grid_.rows(), 1));
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    // The bar, the cursor and the banner are put back however the export ends.
    struct Restore {
        Form10& screen;
        bool banner;
        ~Restore() {
            QApplication::restoreOverrideCursor();
            screen.ProgressBar1->setEnabled(false);
            screen.ProgressBar1->hide();
            if (banner) {
                screen.Label2->setText(QString::fromUtf8(kScreenSubtitle));
                screen.Label3->setText(QString::fromUtf8(kScreenTitle));
            }
        }
    } restore{*this, showProgressInBanner};

    // Every cell as it stands in the grid, typed edits included: grid cell (r, c) goes to
    // sheet cell (r + 1, c + 1). Headings in bold and kept in view with the sample names.
    const std::filesystem::path target = outputWorkbookPath();
    const WorkbookWriteResult written = writeResultsWorkbook(
        target, grid_.rows(), grid_.cols(),
        [this](int row, int col) -> const std::string& { return grid_.text(row, col); },
        [this](int rowsWritten, int totalRows) {
            ProgressBar1->setMaximum(std::max(totalRows, 1));
            ProgressBar1->setValue(rowsWritten);
        },
        ResultsWorkbookOptions{true, 2, 2, 1, 0});
    if (!written.ok()) throw CommandError(writeErrorNumber(written.cause), written.error);
}

void Form10::openOutputWorkbook() {
    const std::filesystem::path workbook = outputWorkbookPath();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(workbook, ec))
        throw CommandError(ErrorNumber::FileNotFound,
                           "\"" + workbook.string() +
                               "\" has not been written yet: send the results to it first "
                               "(Send Results to Excel).");
    if (!s_.opener.open(QUrl::fromLocalFile(QString::fromStdString(workbook.string()))))
        throw CommandError(ErrorNumber::ComponentNotFound,
                           "No spreadsheet program opened \"" + workbook.string() + "\".");
}

void Form10::exitOutputWorkbook() {
    // The workbook is a file on disk, not held open: leaving it is unloading this screen.
    close();
}

}  // namespace kalvoren
