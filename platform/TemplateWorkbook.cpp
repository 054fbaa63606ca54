#include "platform/TemplateWorkbook.h"

namespace kalvoren {

WorkbookWriteResult writeTemplateWorkbook(const std::filesystem::path& target,
                                          const std::vector<std::string>& headings, int dataRows) {
    ResultsWorkbookOptions options;
    options.boldRows = 1;
    options.frozenRows = 1;
    options.frozenColumns = 1;
    options.columnWidth = 11;
    ResultsWorkbookWriter writer(target, options);
    if (auto result = writer.open(); !result.ok()) return result;
    if (auto result = writer.writeRow(headings); !result.ok()) return result;
    std::vector<std::string> row(1);
    for (int r = 1; r <= dataRows; ++r) {
        row[0] = std::to_string(r);
        if (auto result = writer.writeRow(row); !result.ok()) return result;
    }
    return writer.finish();
}

}  // namespace kalvoren
