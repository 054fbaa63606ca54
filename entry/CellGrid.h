#pragma once
// A rectangle of text cells with one fixed heading row and one fixed number column,
// a current cell and a selection corner: the table behind both screens' grids.
// Plain C++; the Qt grid is a view of it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kalvoren {

struct CellRange {
    int top = 0, left = 0, bottom = 0, right = 0;  // inclusive
    int rowCount() const { return bottom - top + 1; }
    int columnCount() const { return right - left + 1; }
};

class CellGrid {
public:
    CellGrid() = default;
    CellGrid(int rows, int cols);

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    // Setting a count keeps the cells present, adds empty ones and drops the excess.
    void setRows(int rows);
    void setCols(int cols);

    // Cell access; out-of-range reads give "", out-of-range writes are ignored.
    const std::string& text(int row, int col) const;
    void setText(int row, int col, std::string text);
    bool isCentred(int row, int col) const;
    void setCentred(int row, int col, bool centred);

    // The current cell; setting it collapses the selection onto it.
    int row() const { return row_; }
    int col() const { return col_; }
    void setCurrent(int row, int col);
    int rowSel() const { return rowSel_; }
    int colSel() const { return colSel_; }
    void setSelectionCorner(int rowSel, int colSel);
    CellRange selection() const;  // normalised, upper-left to lower-right

    const std::string& currentText() const { return text(row_, col_); }
    void setCurrentText(std::string text) { setText(row_, col_, std::move(text)); }

    // BlockText of the selection: cells joined by TAB, rows by CR.
    std::string selectionBlockText() const;
    // Pastes a BlockText into the selection from its upper-left cell; lines and fields
    // beyond it are dropped; cells the text does not reach keep their texts.
    void pasteBlockText(std::string_view blockText);

    // Every cell, fixed ones included, becomes empty; the shape stays.
    void clear();
    // Inserts a row at `index` (cells from the TAB-separated text, from column 0).
    void insertRow(int index, std::string_view tabText = {});
    void appendRow(std::string_view tabText);
    void removeRow(int index);

    int topRow() const { return topRow_; }
    void setTopRow(int row) { topRow_ = row; }

    // Bumped by every change of cell text or shape, so views and "unsaved" marks can
    // tell that the table changed.
    std::uint64_t revision() const { return revision_; }

private:
    std::size_t at(int row, int col) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) +
               static_cast<std::size_t>(col);
    }
    bool inside(int row, int col) const {
        return row >= 0 && row < rows_ && col >= 0 && col < cols_;
    }

    int rows_ = 0, cols_ = 0;
    std::vector<std::string> cells_;
    std::vector<std::uint8_t> centred_;
    int row_ = 0, col_ = 0, rowSel_ = 0, colSel_ = 0, topRow_ = 1;
    std::uint64_t revision_ = 0;
};

}  // namespace kalvoren
