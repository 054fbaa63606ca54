#pragma once
// The 18 oxides of an analysis, in the fixed order that governs the entry columns,
// the summations and the oxide result columns.

#include <array>
#include <cstddef>
#include <string_view>

namespace kalvoren {

enum class OxideKind : int {
    SiO2, TiO2, Al2O3, V2O3, Cr2O3, Fe2O3, FeO, MnO, NiO, CoO,
    ZnO, MgO, CaO, Na2O, K2O, ZrO2, Sc2O3, Li2O,
};
inline constexpr std::size_t kOxideCount = 18;

struct OxideData {
    OxideKind kind;
    std::string_view name;     // "SiO2"
    std::string_view cation;   // "Si"; Fe2O3 gives "Fe3+", FeO "Fe2+"
    double molarMass;          // g/mol, used exactly as written
    double oxygensPerOxide;
    double oxygensPerCation;   // oxygens per oxide / cations per oxide
    int cpxColumn;             // entry-table column of the clinopyroxene value
    int opxColumn;             // entry-table column of the orthopyroxene value
};

inline constexpr std::array<OxideData, kOxideCount> kOxides{{
    {OxideKind::SiO2, "SiO2", "Si", 60.0843, 2, 2, 2, 25},
    {OxideKind::TiO2, "TiO2", "Ti", 79.8988, 2, 2, 3, 26},
    {OxideKind::Al2O3, "Al2O3", "Al", 101.96128, 3, 1.5, 4, 27},
    {OxideKind::V2O3, "V2O3", "V", 149.8812, 3, 1.5, 5, 28},
    {OxideKind::Cr2O3, "Cr2O3", "Cr", 151.9902, 3, 1.5, 6, 29},
    {OxideKind::Fe2O3, "Fe2O3", "Fe3+", 159.6922, 3, 1.5, 7, 30},
    {OxideKind::FeO, "FeO", "Fe2+", 71.8464, 1, 1, 8, 31},
    {OxideKind::MnO, "MnO", "Mn", 70.9374, 1, 1, 9, 32},
    {OxideKind::NiO, "NiO", "Ni", 74.6928, 1, 1, 10, 33},
    {OxideKind::CoO, "CoO", "Co", 74.9326, 1, 1, 11, 34},
    {OxideKind::ZnO, "ZnO", "Zn", 81.3794, 1, 1, 12, 35},
    {OxideKind::MgO, "MgO", "Mg", 40.3044, 1, 1, 13, 36},
    {OxideKind::CaO, "CaO", "Ca", 56.0794, 1, 1, 14, 37},
    {OxideKind::Na2O, "Na2O", "Na", 61.97894, 1, 0.5, 15, 38},
    {OxideKind::K2O, "K2O", "K", 94.196, 1, 0.5, 16, 39},
    {OxideKind::ZrO2, "ZrO2", "Zr", 123.22, 2, 2, 17, 40},
    {OxideKind::Sc2O3, "Sc2O3", "Sc", 137.91, 3, 1.5, 18, 41},
    {OxideKind::Li2O, "Li2O", "Li", 29.8814, 1, 0.5, 19, 42},
}};

constexpr std::size_t index(OxideKind k) { return static_cast<std::size_t>(k); }
constexpr const OxideData& oxideData(OxideKind k) { return kOxides[index(k)]; }

}  // namespace kalvoren
