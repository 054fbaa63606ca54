#pragma once
// The template workbook users fill in and then load into the analysis table: the table's
// layout, with its headings in row 1 and the row numbers 1..dataRows in column A, so that
// analyses go in from row 2 and column B on.

#include <filesystem>
#include <string>
#include <vector>

#include "platform/ResultsWorkbook.h"

namespace kalvoren {

// `headings` are the texts of row 1 from column A ("Row No") on.
WorkbookWriteResult writeTemplateWorkbook(const std::filesystem::path& target,
                                          const std::vector<std::string>& headings,
                                          int dataRows = 100);

}  // namespace kalvoren
