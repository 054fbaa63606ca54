#include "engine/Utf8.h"
#include "platform/qt/GridTyping.h"

namespace kalvoren {

namespace {
}  // namespace

std::string withoutLastCharacter(const std::string& utf8) {
    if (utf8.empty()) return utf8;
    std::size_t end = utf8.size() - 1;
    // Step back over continuation bytes (10xxxxxx) to the lead byte of the last character.
    while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
    return utf8.substr(0, end);
}

bool appendCharacter(CellGrid& grid, char32_t code) {
    if (code < 32 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    std::string text = grid.currentText();
    appendUtf8(text, code);
    grid.setCurrentText(std::move(text));
    return true;
}

bool removeLastCharacter(CellGrid& grid) {
    const std::string& text = grid.currentText();
    if (text.empty()) return false;
    grid.setCurrentText(withoutLastCharacter(text));
    return true;
}

}  // namespace kalvoren
