#include "entry/CellGrid.h"

#include <algorithm>
#include <utility>

#include "entry/BlockText.h"

namespace kalvoren {

namespace {
const std::string kNoText;

int clampIndex(int index, int count) {
    return std::clamp(index, 0, std::max(count - 1, 0));
}
}  // namespace

CellGrid::CellGrid(int rows, int cols)
    : rows_(std::max(rows, 0)),
      cols_(std::max(cols, 0)),
      cells_(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(cols_)),
      centred_(cells_.size(), 0) {}

void CellGrid::setRows(int rows) {
    rows = std::max(rows, 0);
    if (rows == rows_) return;
    // Cells are stored row after row, so a row count change only grows or cuts the tail.
    const std::size_t size = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols_);
    cells_.resize(size);
    centred_.resize(size, 0);
    rows_ = rows;
    row_ = clampIndex(row_, rows_);
    rowSel_ = clampIndex(rowSel_, rows_);
    ++revision_;
}

void CellGrid::setCols(int cols) {
    cols = std::max(cols, 0);
    if (cols == cols_) return;
    const std::size_t newCols = static_cast<std::size_t>(cols);
    const std::size_t kept = static_cast<std::size_t>(std::min(cols, cols_));
    std::vector<std::string> cells(static_cast<std::size_t>(rows_) * newCols);
    std::vector<std::uint8_t> centred(cells.size(), 0);
    for (int r = 0; r < rows_; ++r) {
        const std::size_t from = at(r, 0);
        const std::size_t to = static_cast<std::size_t>(r) * newCols;
        for (std::size_t c = 0; c < kept; ++c) {
            cells[to + c] = std::move(cells_[from + c]);
            centred[to + c] = centred_[from + c];
        }
    }
    cells_ = std::move(cells);
    centred_ = std::move(centred);
    cols_ = cols;
    col_ = clampIndex(col_, cols_);
    colSel_ = clampIndex(colSel_, cols_);
    ++revision_;
}

const std::string& CellGrid::text(int row, int col) const {
    return inside(row, col) ? cells_[at(row, col)] : kNoText;
}

void CellGrid::setText(int row, int col, std::string text) {
    if (!inside(row, col)) return;
    std::string& cell = cells_[at(row, col)];
    if (cell == text) return;
    cell = std::move(text);
    ++revision_;
}

bool CellGrid::isCentred(int row, int col) const {
    return inside(row, col) && centred_[at(row, col)] != 0;
}

void CellGrid::setCentred(int row, int col, bool centred) {
    if (!inside(row, col)) return;
    std::uint8_t& mark = centred_[at(row, col)];
    const std::uint8_t wanted = centred ? 1 : 0;
    if (mark == wanted) return;
    mark = wanted;
    ++revision_;  // views redraw the cell
}

void CellGrid::setCurrent(int row, int col) {
    if (!inside(row, col)) return;
    row_ = rowSel_ = row;
    col_ = colSel_ = col;
}

void CellGrid::setSelectionCorner(int rowSel, int colSel) {
    if (!inside(rowSel, colSel)) return;
    rowSel_ = rowSel;
    colSel_ = colSel;
}

CellRange CellGrid::selection() const {
    return CellRange{std::min(row_, rowSel_), std::min(col_, colSel_), std::max(row_, rowSel_),
                     std::max(col_, colSel_)};
}

std::string CellGrid::selectionBlockText() const {
    if (rows_ == 0 || cols_ == 0) return {};
    const CellRange range = selection();
    std::size_t length = 0;
    for (int r = range.top; r <= range.bottom; ++r)
        for (int c = range.left; c <= range.right; ++c) length += cells_[at(r, c)].size() + 1;
    std::string block;
    block.reserve(length);
    for (int r = range.top; r <= range.bottom; ++r) {
        if (r != range.top) block += '\r';
        for (int c = range.left; c <= range.right; ++c) {
            if (c != range.left) block += '\t';
            block += cells_[at(r, c)];
        }
    }
    return block;
}

void CellGrid::pasteBlockText(std::string_view blockText) {
    if (rows_ == 0 || cols_ == 0) return;
    const CellRange range = selection();
    walkBlockText(blockText, [&](int line, int field, std::string_view cell) {
        if (line >= range.rowCount()) return false;  // the rest lies below the selection
        if (field < range.columnCount())
            setText(range.top + line, range.left + field, std::string(cell));
        return true;
    });
}

void CellGrid::clear() {
    bool changed = false;
    for (std::string& cell : cells_) {
        if (cell.empty()) continue;
        cell.clear();
        changed = true;
    }
    for (std::uint8_t& mark : centred_) {
        changed = changed || mark != 0;
        mark = 0;
    }
    if (changed) ++revision_;
}

void CellGrid::insertRow(int index, std::string_view tabText) {
    // No row goes above the fixed heading row; appending is always possible.
    if (index < 0 || index > rows_ || (index == 0 && rows_ > 0)) return;
    const auto position = static_cast<std::ptrdiff_t>(at(index, 0));
    const auto width = static_cast<std::size_t>(cols_);
    cells_.insert(cells_.begin() + position, width, std::string());
    centred_.insert(centred_.begin() + position, width, 0);
    ++rows_;
    ++revision_;
    if (tabText.empty()) return;
    int col = 0;
    std::size_t start = 0;
    while (col < cols_) {
        const std::size_t tab = tabText.find('\t', start);
        const std::string_view field = tabText.substr(start, tab - start);
        cells_[at(index, col)] = std::string(field);
        ++col;
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
}

void CellGrid::appendRow(std::string_view tabText) {
    insertRow(rows_, tabText);
}

void CellGrid::removeRow(int index) {
    // The fixed heading row stays.
    if (index < 1 || index >= rows_) return;
    const auto first = static_cast<std::ptrdiff_t>(at(index, 0));
    const auto last = first + static_cast<std::ptrdiff_t>(cols_);
    cells_.erase(cells_.begin() + first, cells_.begin() + last);
    centred_.erase(centred_.begin() + first, centred_.begin() + last);
    --rows_;
    row_ = clampIndex(row_, rows_);
    rowSel_ = clampIndex(rowSel_, rows_);
    ++revision_;
}

}  // namespace kalvoren
