#pragma once
// Windows-1252, the code page of the analysis files and data files users already have.
// Inside the program every text is UTF-8.

#include <cstddef>
#include <string>
#include <string_view>

namespace kalvoren {

// Every byte has a character: the five bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) become the C1 control characters of the same number, so any file
// decodes and encodes back to the same bytes.
std::string utf8FromWindows1252(std::string_view bytes);

struct Windows1252Text {
    std::string bytes;
    // Characters the code page cannot hold (and bytes that are not valid UTF-8),
    // each written as "?".
    std::size_t replaced = 0;
    bool lossless() const { return replaced == 0; }
};

Windows1252Text windows1252FromUtf8(std::string_view utf8);

}  // namespace kalvoren
