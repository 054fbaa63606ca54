#pragma once
// Typing into a grid cell: a printable character is appended to the current cell,
// Backspace removes its last character. There is no caret and no overwrite. Where
// Enter and Tab move differs between the screens; each screen has its own key handler.

#include <string>

#include "entry/CellGrid.h"

namespace kalvoren {

inline constexpr char32_t kKeyBackspace = 8;
inline constexpr char32_t kKeyTab = 9;
inline constexpr char32_t kKeyEnter = 13;

// Appends the character (UTF-8 encoded) to the current cell. Codes below 32 are ignored.
// Returns whether the cell changed.
bool appendCharacter(CellGrid& grid, char32_t code);
// Removes the last character (a whole UTF-8 sequence) of the current cell; an empty cell
// stays empty. Returns whether the cell changed.
bool removeLastCharacter(CellGrid& grid);

// The UTF-8 text without its last character.
std::string withoutLastCharacter(const std::string& utf8);

}  // namespace kalvoren
