#pragma once
// Writing a grid of texts to an .xlsx workbook: grid cell (r, c) goes to sheet cell
// (r + 1, c + 1) of the first sheet. A text that a spreadsheet would read as a number
// when typed ("1,234.5000", "0.0500", "2269", "-3.2", "5E-05") is stored as that number,
// so that users can compute with the results at once; every other text is stored as text.
//
// The workbook is written to a temporary file beside the target and put in its place only
// when it is complete: a failed export never leaves half a workbook, and the previous
// file stays as it was.

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace kalvoren {

struct WorkbookWriteResult {
    std::string error;      // empty on success; otherwise names the file and the reason
    std::error_code cause;  // the system's reason when there is one (no folder, no permission)
    bool ok() const { return error.empty(); }
};

// The number a spreadsheet would read from `text` typed into a cell ("." decimals, ","
// thousands groups, an optional sign and exponent), or nothing when it stays text. Texts
// a spreadsheet would change by reading them as numbers stay text: leading zeros ("007"),
// more than 15 significant digits, surrounding blanks.
std::optional<double> spreadsheetNumber(std::string_view text);

struct ResultsWorkbookOptions {
    bool constantMemory = false;  // rows go to disk as they are written (very long tables)
    int boldRows = 0;             // leading rows set in bold (headings)
    int frozenRows = 0;           // rows and columns kept in view while scrolling
    int frozenColumns = 0;
    double columnWidth = 0;  // in characters; 0 keeps the spreadsheet's default
};

// Writes a workbook row by row, for exports of any length.
class ResultsWorkbookWriter {
  public:
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;

    explicit ResultsWorkbookWriter(std::filesystem::path target,
                                   ResultsWorkbookOptions options = {});
    // A workbook not finished is discarded; the target is left as it was.
    ~ResultsWorkbookWriter();
    ResultsWorkbookWriter(const ResultsWorkbookWriter&) = delete;
    ResultsWorkbookWriter& operator=(const ResultsWorkbookWriter&) = delete;

    // Starts the workbook in a temporary file beside the target.
    WorkbookWriteResult open();
    // Appends the next row, sheet row 1 first. A sheet holds at most kMaxRows rows of
    // kMaxColumns cells; beyond that the row is refused.
    WorkbookWriteResult writeRow(std::span<const std::string> cells);
    // Completes the workbook and puts it in place of the target.
    WorkbookWriteResult finish();

    int rowsWritten() const { return rowsWritten_; }

  private:
    WorkbookWriteResult failure(std::string reason, std::error_code cause = {});
    void discard();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    ResultsWorkbookOptions options_;
    struct Library;
    Library* library_ = nullptr;
    int rowsWritten_ = 0;
};

// Called with 0 before the first row, then after each row, with the rows written so far
// and the total.
using WorkbookWriteProgress = std::function<void(int rowsWritten, int totalRows)>;

// Writes the whole grid of `rows` × `cols` texts in one go.
WorkbookWriteResult writeResultsWorkbook(
    const std::filesystem::path& target, int rows, int cols,
    const std::function<const std::string&(int row, int col)>& text,
    const WorkbookWriteProgress& progress = {}, const ResultsWorkbookOptions& options = {});
WorkbookWriteResult writeResultsWorkbook(const std::filesystem::path& target,
                                         const std::vector<std::vector<std::string>>& grid,
                                         const WorkbookWriteProgress& progress = {},
                                         const ResultsWorkbookOptions& options = {});

}  // namespace kalvoren
