#include "results/ResultHeadingRow.h"

#include "classification/ResultRow.h"

namespace kalvoren {

std::string resultHeadingRowText() {
    std::string row;
    for (std::size_t c = 0; c < kResultHeadings.size(); ++c) {
        if (c != 0) row += '\t';
        row += kResultHeadings[c];
    }
    return row;
}

}  // namespace kalvoren
