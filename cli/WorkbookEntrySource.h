#pragma once
// The rows of a workbook's active sheet as entry rows. The workbook readers hand rows to
// a visitor; the run pulls them. A reading thread hands one row at a time across, so
// memory stays bounded by a few rows (and a few rows' text) whatever the sheet.

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "classification/RunCalculation.h"
#include "cli/ColumnMapping.h"

namespace kalvoren {

class WorkbookEntrySource final : public EntrySource {
  public:
    // Starts reading. With `positional` the sheet is taken in the entry table's 43-column
    // layout (column A the row number) and has no heading row; otherwise its first row
    // names the columns.
    WorkbookEntrySource(std::filesystem::path file, bool positional);
    ~WorkbookEntrySource() override;
    WorkbookEntrySource(const WorkbookEntrySource&) = delete;
    WorkbookEntrySource& operator=(const WorkbookEntrySource&) = delete;

    // Waits for the heading row (or the first row). False when the workbook could not be
    // read; error() says why.
    bool start();
    const std::vector<std::string>& headings() const { return headings_; }
    const ColumnMapping& mapping() const { return mapping_; }
    void setMapping(ColumnMapping mapping) { mapping_ = std::move(mapping); }

    bool next(EntryRow& row, int& rowNumber) override;
    // Empty when the whole sheet was read.
    const std::string& error() const { return error_; }

  private:
    using Row = std::vector<std::string>;
    static std::size_t sizeOf(const Row& row);
    void read();
    std::optional<Row> take();

    std::filesystem::path file_;
    bool positional_;
    std::thread reader_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Row> queue_;
    std::size_t queuedBytes_ = 0;
    bool finished_ = false;
    bool stopping_ = false;
    std::string error_;

    std::vector<std::string> headings_;
    ColumnMapping mapping_;
    Row current_;
    std::vector<std::string_view> fields_;
    std::vector<std::string> scratch_;
    std::optional<Row> first_;  // the first data row when there is no heading row
    int rows_ = 0;
};

}  // namespace kalvoren
