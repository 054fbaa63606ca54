#include "entry/screen/TableEditing.h"

#include "entry/AnalysisTable.h"
#include "platform/qt/GridTyping.h"

namespace kalvoren {

void clearAllCells(CellGrid& table) {
    table.clear();
    capCell(table);
}

void removeCurrentRow(CellGrid& table) {
    if (table.rows() <= 2 || table.row() < 1) return;
    table.removeRow(table.row());
}

void insertRowAtCurrent(CellGrid& table) {
    if (table.row() < 1) return;
    const int row = table.row();
    const int col = table.col();
    table.insertRow(row);
    table.setCurrent(row, col);
}

void selectAllDataCells(CellGrid& table) {
    if (table.rows() < 2 || table.cols() < 2) return;
    table.setCurrent(1, 1);
    table.setSelectionCorner(table.rows() - 1, table.cols() - 1);
    table.setTopRow(1);
}

bool entryGridKeyPress(CellGrid& table, char32_t code) {
    switch (code) {
        case kKeyEnter:
        case kKeyTab:
            if (table.col() + 1 <= table.cols() - 1)
                table.setCurrent(table.row(), table.col() + 1);
            else
                table.setCurrent(table.row() + 1 <= table.rows() - 1 ? table.row() + 1 : 1, 0);
            return false;
        case kKeyBackspace:
            return removeLastCharacter(table);
        default:
            return appendCharacter(table, code);
    }
}

}  // namespace kalvoren
