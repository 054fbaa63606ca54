#pragma once
// Walking the text form of a rectangle of cells: cells joined by TAB, rows by CR.
// A CR LF pair or a lone LF also ends a line, so text written by other programs
// (editors, spreadsheets, the clipboard) arrives row for row instead of carrying a
// stray LF into the next row's first cell.

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace kalvoren {

// Calls visit(line, field, cellText) for every cell of `text` in order, lines and fields
// counted from 0; a false return stops the walk. An empty text is one empty cell, and n
// line ends make n + 1 lines, so a block of empty cells keeps its shape.
template <class Visit>
void walkBlockText(std::string_view text, Visit&& visit) {
    int line = 0;
    int field = 0;
    std::size_t start = 0;
    const std::size_t size = text.size();
    for (std::size_t i = 0; i < size; ++i) {
        const char c = text[i];
        if (c == '\t') {
            if (!visit(line, field, text.substr(start, i - start))) return;
            ++field;
            start = i + 1;
        } else if (c == '\r' || c == '\n') {
            if (!visit(line, field, text.substr(start, i - start))) return;
            ++line;
            field = 0;
            if (c == '\r' && i + 1 < size && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    visit(line, field, text.substr(start));
}

}  // namespace kalvoren

namespace kalvoren {

// How many lines a block text holds and how many fields its lines have.
struct BlockShape {
    int lines = 0;
    int fewestFields = 0;
    int mostFields = 0;
};

inline BlockShape measureBlockText(std::string_view text) {
    BlockShape shape;
    int fields = 0;
    auto endLine = [&] {
        shape.fewestFields = shape.lines == 0 ? fields : std::min(shape.fewestFields, fields);
        shape.mostFields = std::max(shape.mostFields, fields);
        ++shape.lines;
    };
    int currentLine = 0;
    walkBlockText(text, [&](int line, int field, std::string_view) {
        if (line != currentLine) {
            endLine();
            currentLine = line;
        }
        fields = field + 1;
        return true;
    });
    endLine();
    return shape;
}

}  // namespace kalvoren
