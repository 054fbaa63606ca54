#include "entry/TableEntrySource.h"

namespace kalvoren {

bool TableEntrySource::next(EntryRow& row, int& rowNumber) {
    if (nextRow_ >= table_.rows()) return false;
    // Columns beyond the table's own read as empty cells.
    for (int col = 0; col < kTableColumns; ++col)
        row.cells[static_cast<std::size_t>(col)] = table_.text(nextRow_, col);
    rowNumber = nextRow_++;
    return true;
}

}  // namespace kalvoren
