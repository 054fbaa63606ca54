#include "cli/WorkbookEntrySource.h"

#include "platform/Workbook.h"

namespace kalvoren {

namespace {
// Rows waiting between the reader and the run: so many, or so much text (a single row
// of the sheet can hold up to 16 MB).
constexpr std::size_t kQueueBound = 256;
constexpr std::size_t kQueueBytesBound = std::size_t{32} << 20;
}  // namespace

std::size_t WorkbookEntrySource::sizeOf(const Row& row) {
    std::size_t bytes = sizeof(Row) + row.capacity() * sizeof(std::string);
    for (const std::string& cell : row) bytes += cell.size();
    return bytes;
}

WorkbookEntrySource::WorkbookEntrySource(std::filesystem::path file, bool positional)
    : file_(std::move(file)), positional_(positional) {
    // The entry table's layout: column A holds the row number, B..AQ the 42 fields.
    if (positional_) mapping_ = ColumnMapping::positional();
    reader_ = std::thread([this] { read(); });
}

WorkbookEntrySource::~WorkbookEntrySource() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    reader_.join();
}

void WorkbookEntrySource::read() {
    int expected = 0;  // sheet rows without any cell are handed on as empty rows
    const WorkbookRowsResult result =
        forEachWorkbookRow(file_, [&](int rowIndex, const std::vector<WorkbookCell>& cells) {
            std::unique_lock lock(mutex_);
            for (; expected <= rowIndex; ++expected) {
                changed_.wait(lock, [&] {
                    return stopping_ || queue_.empty() ||
                           (queue_.size() < kQueueBound && queuedBytes_ < kQueueBytesBound);
                });
                if (stopping_) return false;
                Row row;
                if (expected == rowIndex) {
                    row.reserve(cells.size());
                    for (const WorkbookCell& cell : cells)
                        row.push_back(cell.kind == WorkbookCell::Text ? cell.text : std::string());
                }
                queuedBytes_ += sizeOf(row);
                queue_.push_back(std::move(row));
                changed_.notify_all();
            }
            return true;
        });
    std::lock_guard lock(mutex_);
    if (!result.ok()) error_ = result.error;
    finished_ = true;
    changed_.notify_all();
}

std::optional<WorkbookEntrySource::Row> WorkbookEntrySource::take() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !queue_.empty() || finished_; });
    if (queue_.empty()) return std::nullopt;
    Row row = std::move(queue_.front());
    queue_.pop_front();
    queuedBytes_ -= sizeOf(row);
    changed_.notify_all();
    return row;
}

bool WorkbookEntrySource::start() {
    std::optional<Row> first = take();
    if (!first) {
        std::lock_guard lock(mutex_);
        if (error_.empty()) error_ = "the active sheet is empty";
        return false;
    }
    if (positional_) {
        first_ = std::move(first);
        return true;
    }
    headings_ = std::move(*first);
    std::vector<std::string_view> views(headings_.begin(), headings_.end());
    mapping_ = ColumnMapping::fromHeadings(views);
    return true;
}

bool WorkbookEntrySource::next(EntryRow& row, int& rowNumber) {
    std::optional<Row> taken;
    if (first_) {
        taken = std::move(first_);
        first_.reset();
    } else {
        taken = take();
    }
    if (!taken) return false;
    current_ = std::move(*taken);
    fields_.assign(current_.begin(), current_.end());
    // In the positional layout column A is the row number: the 42 fields start at B.
    if (positional_ && !fields_.empty()) fields_.erase(fields_.begin());
    mapping_.fill(fields_, scratch_, row);
    row.cells[0] = {};
    rowNumber = ++rows_;
    return true;
}

}  // namespace kalvoren
