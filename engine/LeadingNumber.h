#pragma once
// Reading numbers from table cells.

#include <string_view>

#include "engine/Quantity.h"

namespace kalvoren {

// The leading-number conversion used for every oxide and P cell. Blanks, TABs and LFs
// anywhere in the text are ignored; then `[sign] digits [. digits] [E|D [sign] digits]`
// is read as far as it goes ("." is the only decimal separator; an exponent marker not
// followed by a digit ends the number before it), or `&H`/`&O` followed by hexadecimal
// or octal digits as a non-negative integer. An empty or non-numeric text gives 0.
// A value too large for a double is blank, not 0.
Quantity readLeadingNumber(std::string_view text);

// True when the text, blanks, TABs and LFs aside, is empty or wholly one number of the
// form above: the cells whose reading needs no warning.
bool isPlainNumber(std::string_view text);

// The temperature cell. Only an exactly empty text is "empty" (the caller substitutes
// 900). Otherwise the whole text, surrounding blanks allowed, must be a number with "."
// as decimal separator; anything else is blank.
Quantity readTemperature(std::string_view text);

// One reading of a cell by the leading-number conversion: the value, and whether the
// text was plain (what isPlainNumber tells), found in a single pass.
struct CellNumber {
    Quantity value;
    bool plain = true;
};
CellNumber readCellNumber(std::string_view text);

}  // namespace kalvoren
