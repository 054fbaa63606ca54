#pragma once
// An independent, plain reading of BlockText for the fuzz targets to check the program's
// against: lines end at CR, CR LF or LF; fields end at TAB; an empty text is one empty
// cell and n line ends make n + 1 lines.

#include <string>
#include <string_view>
#include <vector>

namespace kalvoren::fuzz {

using BlockLines = std::vector<std::vector<std::string>>;

inline BlockLines splitBlock(std::string_view text) {
    BlockLines lines(1, std::vector<std::string>(1));
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\t') {
            lines.back().emplace_back();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.emplace_back(1);
        } else {
            lines.back().back().push_back(c);
        }
    }
    return lines;
}

}  // namespace kalvoren::fuzz
