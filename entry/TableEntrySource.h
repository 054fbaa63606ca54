#pragma once
// The analysis table as the calculation run reads it: data rows 1 .. Rows-1 in table
// order, each as a row of 43 cell views.

#include "classification/RunCalculation.h"
#include "entry/CellGrid.h"

namespace kalvoren {

class TableEntrySource : public EntrySource {
  public:
    // The table must outlive the source and must not change while a row is in use:
    // the cells of a row are views into it.
    explicit TableEntrySource(const CellGrid& table) : table_(table) {}

    bool next(EntryRow& row, int& rowNumber) override;

  private:
    const CellGrid& table_;
    int nextRow_ = 1;
};

}  // namespace kalvoren
