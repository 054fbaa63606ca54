#pragma once
// The IMA adjectival modifiers ("Aluminian", "Sodian", ...) of the clinopyroxene.

#include <array>
#include <string>
#include <string_view>

#include "engine/CationFormula.h"

namespace kalvoren {

struct ModifierSet {
    std::array<std::string_view, 19> slots{};  // each its text (ending in a blank) or ""
    // The 19 slots joined without separator: the text of result column "[Modifiers]".
    void appendTo(std::string& out) const;
    std::string text() const;
};

ModifierSet selectModifiers(const CationFormula& cpx, std::string_view speciesName);

}  // namespace kalvoren
