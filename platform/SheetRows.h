#pragma once
// What the format readers (.xlsx, .ods, .xls) hand on: the cells of one sheet, a row at a
// time in sheet order, each value already converted to the text the table receives.
// Only cells that hold something are listed; row and column indices count from 0.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Workbook.h"

namespace kalvoren {

class ZipArchive;

// The largest sheet any of the formats can hold.
inline constexpr int kMaxSheetRows = 1048576;
inline constexpr int kMaxSheetColumns = 16384;

struct SheetCell {
    int col = 0;
    WorkbookCell cell;
};

// A row holds at most this much: its cells' texts and their bookkeeping. A file of a few
// kilobytes can repeat one long text in every cell of a row, or refer to it from every
// cell; such a row is refused instead of being copied out to gigabytes.
inline constexpr std::size_t kMaxRowBytes = std::size_t{16} << 20;

struct SheetRow {
    int index = 0;
    std::vector<SheetCell> cells;
    std::size_t bytes = 0;  // what the cells take, as add() counts it

    void clear() {
        cells.clear();
        bytes = 0;
    }
    // Adds a cell; false, with nothing added, when the row would grow past kMaxRowBytes.
    bool add(int col, WorkbookCell cell);
};

// Why a sheet row that outgrew kMaxRowBytes is refused; `rowIndex` counts from 0.
std::string rowTooLargeReason(int rowIndex);

// The shared texts of a workbook, in one pool so that a million short texts cost little
// more than their characters.
class TextPool {
  public:
    void add(std::string_view s) {
        pool_.append(s);
        ends_.push_back(pool_.size());
    }
    std::size_t size() const { return ends_.size(); }
    std::string_view at(std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(pool_).substr(begin, ends_[i] - begin);
    }

  private:
    std::string pool_;
    std::vector<std::size_t> ends_;
};

// Receives each row that holds a cell; returns false when it needs no more rows.
using SheetRowSink = std::function<bool(const SheetRow&)>;

// Each reader reads the sheet the format records as active (the first one when it records
// none), sets `sheetName`, and returns an empty text, or the reason it failed.
std::string readXlsxSheet(const ZipArchive& package, const SheetRowSink& sink,
                          std::string& sheetName);
std::string readOdsSheet(const ZipArchive& package, const SheetRowSink& sink,
                         std::string& sheetName);
std::string readXlsSheet(const std::filesystem::path& file, const SheetRowSink& sink,
                         std::string& sheetName);

// The conversions of a stored value to the table's text.
// A number: up to 15 significant digits with "." (a value that is not a finite number
// cannot be converted, so the cell is an error cell).
WorkbookCell numberCell(double value);
// A number stored as text in the file ("48.123456789", "5E-05"), read without regard to
// the user's locale.
WorkbookCell numberCell(std::string_view stored);
// A text: TAB, CR and LF become one blank each, so that the analysis file written later
// keeps one cell per field. An empty text is an empty cell.
WorkbookCell textCell(std::string_view text);
WorkbookCell logicalCell(bool value);
WorkbookCell errorCell();

// Reads a whole decimal number ("12", " 7 "); false for anything else or outside
// [0, limit].
bool parseCount(std::string_view text, long long limit, long long& value);

}  // namespace kalvoren
