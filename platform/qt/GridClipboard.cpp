#include "platform/qt/GridClipboard.h"

namespace kalvoren {

void copySelection(const CellGrid& grid, Clipboard& clipboard) {
    clipboard.clear();
    clipboard.setText(grid.selectionBlockText());
}

void deleteSelection(CellGrid& grid) {
    const CellRange range = grid.selection();
    for (int r = range.top; r <= range.bottom; ++r)
        for (int c = range.left; c <= range.right; ++c)
            if (!grid.text(r, c).empty()) grid.setText(r, c, std::string());
}

void cutSelection(CellGrid& grid, Clipboard& clipboard) {
    copySelection(grid, clipboard);
    deleteSelection(grid);
}

bool pasteIntoSelection(CellGrid& grid, Clipboard& clipboard) {
    const std::string text = clipboard.text();
    if (text.empty()) return false;
    grid.pasteBlockText(text);
    return true;
}

}  // namespace kalvoren
