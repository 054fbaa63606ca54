#pragma once
// The results grid's heading row: the 211 result column headings, TAB-joined, from
// "Sample       " to "Chk for Opx".

#include <string>

namespace kalvoren {

std::string resultHeadingRowText();

}  // namespace kalvoren
