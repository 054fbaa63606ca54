// The table behind both grids, driven by an arbitrary sequence of commands (shape
// changes, current cell and selection, typing, BlockText paste, row insertion and
// removal, clearing) and compared after each with a plain model of what its header
// promises.
//
// Properties, after every command:
// - shape, current cell, selection corner, cell texts and centring equal the model's
//   (so a paste lands within the selection from its upper-left cell, drops what lies
//   outside and leaves the cells it does not reach alone);
// - the selection's BlockText equals the model's, and measures as many lines and
//   fields as the selection has rows and columns;
// - pasting a selection's own BlockText back changes nothing (cells typed with a TAB or
//   line end aside), not even the revision;
// - the revision moves whenever a text, a centring or the shape changed.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "BlockTextModel.h"
#include "FuzzCheck.h"
#include "entry/BlockText.h"
#include "entry/CellGrid.h"

namespace {

using kalvoren::CellGrid;

constexpr int kLargest = 40;  // rows and columns stay small so each run is quick

struct ModelGrid {
    int rows = 0, cols = 0;
    std::vector<std::vector<std::string>> cells;  // [row][col]
    std::vector<std::vector<bool>> centred;
    int row = 0, col = 0, rowSel = 0, colSel = 0;

    bool inside(int r, int c) const { return r >= 0 && r < rows && c >= 0 && c < cols; }
    static int clampIndex(int i, int count) { return std::clamp(i, 0, std::max(count - 1, 0)); }

    void setRows(int n) {
        n = std::max(n, 0);
        cells.resize(static_cast<std::size_t>(n), std::vector<std::string>(cols));
        centred.resize(static_cast<std::size_t>(n), std::vector<bool>(cols));
        rows = n;
        row = clampIndex(row, rows);
        rowSel = clampIndex(rowSel, rows);
    }
    void setCols(int n) {
        n = std::max(n, 0);
        for (auto& r : cells) r.resize(static_cast<std::size_t>(n));
        for (auto& r : centred) r.resize(static_cast<std::size_t>(n));
        cols = n;
        col = clampIndex(col, cols);
        colSel = clampIndex(colSel, cols);
    }
    void setCurrent(int r, int c) {
        if (!inside(r, c)) return;
        row = rowSel = r;
        col = colSel = c;
    }
    void setCorner(int r, int c) {
        if (!inside(r, c)) return;
        rowSel = r;
        colSel = c;
    }
    void setText(int r, int c, const std::string& text) {
        if (inside(r, c)) cells[r][c] = text;
    }
    void setCentred(int r, int c, bool on) {
        if (inside(r, c)) centred[r][c] = on;
    }
    int top() const { return std::min(row, rowSel); }
    int bottom() const { return std::max(row, rowSel); }
    int left() const { return std::min(col, colSel); }
    int right() const { return std::max(col, colSel); }

    std::string blockText() const {
        if (rows == 0 || cols == 0) return {};
        std::string out;
        for (int r = top(); r <= bottom(); ++r) {
            if (r != top()) out += '\r';
            for (int c = left(); c <= right(); ++c) {
                if (c != left()) out += '\t';
                out += cells[r][c];
            }
        }
        return out;
    }
    void paste(std::string_view text) {
        if (rows == 0 || cols == 0) return;
        const kalvoren::fuzz::BlockLines lines = kalvoren::fuzz::splitBlock(text);
        for (std::size_t i = 0; i < lines.size(); ++i)
            for (std::size_t j = 0; j < lines[i].size(); ++j) {
                const int r = top() + static_cast<int>(i), c = left() + static_cast<int>(j);
                if (r <= bottom() && c <= right()) cells[r][c] = lines[i][j];
            }
    }
    void clear() {
        for (auto& r : cells) std::fill(r.begin(), r.end(), std::string());
        for (auto& r : centred) std::fill(r.begin(), r.end(), false);
    }
    void insertRow(int index, std::string_view tabText) {
        if (index < 0 || index > rows || (index == 0 && rows > 0)) return;
        cells.insert(cells.begin() + index, std::vector<std::string>(cols));
        centred.insert(centred.begin() + index, std::vector<bool>(cols));
        ++rows;
        if (tabText.empty()) return;
        std::size_t start = 0;
        for (int c = 0; c < cols; ++c) {
            const std::size_t tab = tabText.find('\t', start);
            cells[index][c] = std::string(tabText.substr(start, tab - start));
            if (tab == std::string_view::npos) break;
            start = tab + 1;
        }
    }
    void removeRow(int index) {
        if (index < 1 || index >= rows) return;
        cells.erase(cells.begin() + index);
        centred.erase(centred.begin() + index);
        --rows;
        row = clampIndex(row, rows);
        rowSel = clampIndex(rowSel, rows);
    }
    bool operator==(const ModelGrid&) const = default;
};

// Reads the command bytes; past the end every read gives 0.
class Bytes {
  public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool atEnd() const { return pos_ >= size_; }
    int next() { return pos_ < size_ ? data_[pos_++] : 0; }
    // A small index, sometimes one beyond the edges to test the bounds.
    int index() { return next() % (kLargest + 3) - 1; }
    std::string_view text() {
        const std::size_t length =
            std::min<std::size_t>(static_cast<std::size_t>(next()), size_ - pos_);
        const std::string_view t(reinterpret_cast<const char*>(data_ + pos_), length);
        pos_ += length;
        return t;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

void checkSame(const CellGrid& grid, const ModelGrid& model) {
    FUZZ_REQUIRE(grid.rows() == model.rows && grid.cols() == model.cols);
    FUZZ_REQUIRE(grid.row() == model.row && grid.col() == model.col);
    FUZZ_REQUIRE(grid.rowSel() == model.rowSel && grid.colSel() == model.colSel);
    for (int r = -1; r <= model.rows; ++r) {
        for (int c = -1; c <= model.cols; ++c) {
            const bool inside = model.inside(r, c);
            FUZZ_REQUIRE(grid.text(r, c) == (inside ? model.cells[r][c] : std::string()));
            FUZZ_REQUIRE(grid.isCentred(r, c) == (inside && model.centred[r][c]));
        }
    }
    const std::string block = grid.selectionBlockText();
    FUZZ_REQUIRE(block == model.blockText());
    if (model.rows > 0 && model.cols > 0) {
        const kalvoren::CellRange range = grid.selection();
        FUZZ_REQUIRE(range.top == model.top() && range.bottom == model.bottom());
        FUZZ_REQUIRE(range.left == model.left() && range.right == model.right());
        const kalvoren::BlockShape shape = kalvoren::measureBlockText(block);
        // A cell never holds a TAB or line end that a paste put there, but typing may.
        bool plainCells = true;
        for (int r = range.top; r <= range.bottom; ++r)
            for (int c = range.left; c <= range.right; ++c)
                plainCells =
                    plainCells && model.cells[r][c].find_first_of("\t\r\n") == std::string::npos;
        if (plainCells) {
            FUZZ_REQUIRE(shape.lines == range.rowCount());
            FUZZ_REQUIRE(shape.fewestFields == range.columnCount());
            FUZZ_REQUIRE(shape.mostFields == range.columnCount());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes in(data, size);
    const int rows = in.next() % (kLargest + 1);
    const int cols = in.next() % (kLargest + 1);
    CellGrid grid(rows, cols);
    ModelGrid model;
    model.setCols(cols);
    model.setRows(rows);
    checkSame(grid, model);

    for (int step = 0; step < 64 && !in.atEnd(); ++step) {
        const ModelGrid before = model;
        const std::uint64_t revision = grid.revision();
        bool reshaped = false;
        switch (in.next() % 12) {
            case 0: {
                const int n = in.index();
                grid.setRows(n);
                model.setRows(n);
                break;
            }
            case 1: {
                const int n = in.index();
                grid.setCols(n);
                model.setCols(n);
                break;
            }
            case 2: {
                const int r = in.index(), c = in.index();
                grid.setCurrent(r, c);
                model.setCurrent(r, c);
                break;
            }
            case 3: {
                const int r = in.index(), c = in.index();
                grid.setSelectionCorner(r, c);
                model.setCorner(r, c);
                break;
            }
            case 4: {
                const int r = in.index(), c = in.index();
                const std::string text(in.text());
                grid.setText(r, c, text);
                model.setText(r, c, text);
                break;
            }
            case 5:
            case 6: {
                const std::string_view text = in.text();
                grid.pasteBlockText(text);
                model.paste(text);
                break;
            }
            case 7: {
                // The selection's own text pasted back changes nothing, unless a typed
                // cell holds a TAB or line end, which the paste reads as a separator.
                const std::string block = grid.selectionBlockText();
                grid.pasteBlockText(block);
                model.paste(block);
                if (model == before) FUZZ_REQUIRE(grid.revision() == revision);
                break;
            }
            case 8: {
                const int index = in.index();
                const std::string_view text = in.text();
                grid.insertRow(index, text);
                model.insertRow(index, text);
                reshaped = model.rows != before.rows;
                break;
            }
            case 9: {
                const int index = in.index();
                grid.removeRow(index);
                model.removeRow(index);
                reshaped = model.rows != before.rows;
                break;
            }
            case 10: {
                const int r = in.index(), c = in.index();
                const bool on = (in.next() & 1) != 0;
                grid.setCentred(r, c, on);
                model.setCentred(r, c, on);
                break;
            }
            default: {
                const std::string_view text = in.text();
                grid.appendRow(text);
                model.insertRow(model.rows, text);
                reshaped = true;
                if (in.next() & 1) {
                    grid.clear();
                    model.clear();
                }
                break;
            }
        }
        checkSame(grid, model);
        const bool changed = reshaped || model.rows != before.rows || model.cols != before.cols ||
                             model.cells != before.cells || model.centred != before.centred;
        if (changed) FUZZ_REQUIRE(grid.revision() > revision);
    }
    return 0;
}
