// The entry screen's workbook commands: Load copies the block A1:AQ101 of a workbook's
// active sheet into the table; Edit hands a copy of the template workbook to the desktop's
// spreadsheet program, to be filled in and loaded afterwards.

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QUrl>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "entry/screen/kkj.h"
#include "platform/Workbook.h"
#include "platform/qt/CommandError.h"
#include "platform/qt/DesktopOpener.h"
#include "platform/qt/FileDialog.h"
#include "platform/qt/GridControl.h"
#include "platform/qt/ProgramFolder.h"

namespace kalvoren {

namespace {

// The block a workbook fills: the heading row and 100 analyses, the table's 43 columns.
constexpr int kWorkbookRows = 101;
constexpr int kWorkbookCols = 43;

constexpr const char* kXlsTemplate = "Kalvoren.xls";
constexpr const char* kXlsxTemplate = "Kalvoren.xlsx";

// The error number for a workbook that could not be read.
int workbookErrorNumber(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return ErrorNumber::FileNotFound;
    if (std::filesystem::is_directory(file, ec)) return ErrorNumber::PathFileAccess;
    errno = 0;
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (f == nullptr) return errorNumberFor(std::error_code(errno, std::generic_category()));
    std::fclose(f);
    return ErrorNumber::InvalidFileFormat;  // opened, but not a workbook we can read
}

class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

// ---------------------------------------------------------------- Load

void kkj::mnu9703_Click() {
    loadWorkbook(kXlsWorkbookFilter);
}
void kkj::Command2_Click() {
    loadWorkbook(kXlsWorkbookFilter);
}
void kkj::mnu07Later_Click() {
    loadWorkbook(kXlsxWorkbookFilter);
}

void kkj::loadWorkbook(const char* filter) {
    if (!confirmDiscardChanges()) return;
    const QString previousTitle = screenTitle();
    setScreenTitle("Open Excel File");
    const QString name = s_.dialog.chooseFileToOpen(this, QString::fromUtf8(filter));
    if (name.isEmpty()) {
        // Nothing chosen: the table and the layout stay as they were.
        Label3->setText(previousTitle);
        return;
    }

    setScreenTitle("Wait  Please");
    const std::filesystem::path file(name.toStdString());
    WorkbookReadResult loaded;
    {
        WaitCursor wait;
        loaded = readWorkbookBlock(file, kWorkbookRows, kWorkbookCols);
    }
    if (!loaded.ok()) {
        // The workbook is read before anything is emptied, so the user's table survives.
        Label3->setText(previousTitle);
        throw CommandError(workbookErrorNumber(file), loaded.error);
    }

    newFile();
    currentFileName_ = name.toStdString();
    table_.setCols(kWorkbookCols);
    table_.setRows(kWorkbookRows);
    const WorkbookBlock& block = loaded.block;
    for (int r = 0; r < block.rows && r < table_.rows(); ++r) {
        for (int c = 0; c < block.cols && c < table_.cols(); ++c) {
            const WorkbookCell& cell = block.at(r, c);
            // A cell holding a spreadsheet error leaves the heading, row number or empty
            // cell that New File put there.
            if (cell.kind == WorkbookCell::Error) continue;
            table_.setText(r, c, cell.kind == WorkbookCell::Text ? cell.text : std::string());
        }
    }
    table_.setCurrent(1, 1);
    table_.setTopRow(1);
    // The analyses are in the workbook on disk: nothing is lost until the table is edited.
    savedRevision_ = table_.revision();
    refreshGrid();
    MSFlexGrid1->showTopRow();
    setScreenTitle("Data Entry Screen");
}

// ---------------------------------------------------------------- Edit

void kkj::mnu9703e_Click() {
    editTemplateWorkbook(kXlsTemplate);
}
void kkj::Command3_Click() {
    editTemplateWorkbook(kXlsTemplate);
}
void kkj::mnu07Latere_Click() {
    editTemplateWorkbook(kXlsxTemplate);
}

void kkj::editTemplateWorkbook(const char* templateName) {
    setScreenTitle("Edit Excel File");
    try {
        std::error_code ec;
        const std::filesystem::path folder = std::filesystem::current_path(ec);
        if (ec)
            throw CommandError(errorNumberFor(ec),
                               "The current folder cannot be found: " + ec.message() + ".");
        const std::filesystem::path copy = folder / templateName;
        // A copy the user has already filled in is opened as it stands, never replaced.
        if (!std::filesystem::exists(copy, ec)) {
            const QString shipped =
                programFile(QStringLiteral("templates/") + QString::fromUtf8(templateName));
            if (shipped.isEmpty())
                throw CommandError(ErrorNumber::FileNotFound,
                                   std::string("The template workbook \"") + templateName +
                                       "\" is missing from the program's folder \"" +
                                       programFolder().toStdString() + "\".");
            std::filesystem::copy_file(std::filesystem::path(shipped.toStdString()), copy, ec);
            if (ec)
                throw CommandError(errorNumberFor(ec),
                                   "The template workbook could not be "
                                   "copied to \"" +
                                       copy.string() + "\": " + ec.message() + ".");
        }
        const bool opened =
            s_.opener != nullptr &&
            s_.opener->open(QUrl::fromLocalFile(QString::fromStdString(copy.string())));
        if (!opened)
            throw CommandError(ErrorNumber::ComponentNotFound,
                               "No spreadsheet program opened \"" + copy.string() +
                                   "\". Open it with a spreadsheet program, fill it in, save "
                                   "it and load it with Open Excel File.");
    } catch (const CommandError& e) {
        // The title is put back whatever failed; the failure is reported at the end.
        outcome_.record(e);
    }
    setScreenTitle("Data Entry Screen");
}

}  // namespace kalvoren
