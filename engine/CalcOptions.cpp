#include "engine/CalcOptions.h"

namespace kalvoren {

namespace {
constexpr std::array<std::string_view, kOptionCount> kNames{
    "fourCations",    "withoutFourCations", "fe3Droop",      "fe3Papike",
    "fe3Average",     "lindsleyAugite",     "lindsleyPigeonite", "woEnFsFe2",
    "woEnFsFetotMn",  "corFac",             "useMgFeOrder",
};
}

std::string_view optionName(Option o) { return kNames[static_cast<int>(o)]; }

std::optional<Option> optionFromName(std::string_view name) {
    for (int i = 0; i < kOptionCount; ++i)
        if (kNames[i] == name) return static_cast<Option>(i);
    return std::nullopt;
}

}  // namespace kalvoren
