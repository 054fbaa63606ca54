#pragma once
// IMA 1988 classification (Morimoto et al. 1988) of the clinopyroxene: group and name.

#include <string_view>

#include "engine/PyroxeneCalculation.h"

namespace kalvoren {

struct PyroxeneClass {
    std::string_view group;  // "" only if no test could be made
    std::string_view name;   // a species, the does-not-fit text, or ""
    bool isCaMgFe() const { return group == "Ca-Mg-Fe pyroxene"; }
};

inline constexpr std::string_view kGroupCaMgFe = "Ca-Mg-Fe pyroxene";
inline constexpr std::string_view kDoesNotFit =
    "Kalvoren does not fit named species in the IMA scheme";

// The group and species name; the name before the does-not-fit step is what the
// modifiers' suppression reads (see `ModifierSet`), so it is returned too.
struct Classification {
    PyroxeneClass result;
    std::string_view nameForModifiers;  // the name reached at step 6
};

Classification classifyPyroxene(const PyroxeneCalculation& cpx);

}  // namespace kalvoren
