#include "classification/ModifierSet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kalvoren {
namespace {

using OK = OxideKind;
using Cations = std::vector<std::pair<OxideKind, Quantity>>;

CationFormula formulaOf(const Cations& cations) {
    CationFormula f;
    for (const auto& [oxide, amount] : cations) f[oxide] = amount;
    return f;
}

// A fully silicic formula, so that only the named cations can set a modifier.
CationFormula silicic(Cations cations) {
    cations.insert(cations.begin(), {OK::SiO2, 2.0});
    return formulaOf(cations);
}

constexpr std::string_view kAluminian = "Aluminian [i.e.,(Al-rich)] ";
constexpr std::string_view kTitanian = "Titanian [i.e.,(Ti4+-rich)] ";
constexpr std::string_view kTitanoan = "Titanoan [i.e.,(Ti3+-bearing)] ";
constexpr std::string_view kManganoan = "Manganoan [i.e.,(Mn2+-rich)] ";
constexpr std::string_view kManganian = "Manganian [i.e.,(Mn3+-bearing)] ";
constexpr std::string_view kSubsilicic = "Subsilicic [i.e.,(Si-poor)] ";

// Every modifier, in slot order, and a formula that sets all 19 of them.
const std::array<std::string_view, 19> kAll = {
    "Aluminian [i.e.,(Al-rich)] ",      "Calcian [i.e.,(Ca-rich)] ",
    "Chromian [i.e.,(Cr3+-bearing)] ",  "Ferroan [i.e.,(Fe2+-rich)] ",
    "Ferrian [i.e.,(Fe3+-rich)] ",      "Lithian [i.e.,(Li-bearing)] ",
    "Magnesian [i.e.,(Mg-rich)] ",      "Manganoan [i.e.,(Mn2+-rich)] ",
    "Manganian [i.e.,(Mn3+-bearing)] ", "Sodian [i.e.,(Na-rich)] ",
    "Nickeloan [i.e.,(Ni2+-bearing)] ", "Subsilicic [i.e.,(Si-poor)] ",
    "Titanian [i.e.,(Ti4+-rich)] ",     "Titanoan [i.e.,(Ti3+-bearing)] ",
    "Zincian [i.e.,(Zn2+-bearing)] ",   "Vanadoan [i.e.,(V3+-bearing)] ",
    "Zirconian [i.e.,(Zr4+-bearing)] ", "Cobaltian [i.e.,(Co2+-bearing)] ",
    "Scandian [i.e.,(Sc3+-bearing)] ",
};
const CationFormula kEveryModifier = formulaOf({
    {OK::SiO2, 1.7},
    {OK::TiO2, 0.6},
    {OK::Al2O3, 0.2},
    {OK::V2O3, 0.02},
    {OK::Cr2O3, 0.02},
    {OK::Fe2O3, 0.2},
    {OK::FeO, 0.2},
    {OK::MnO, 0.6},
    {OK::NiO, 0.02},
    {OK::CoO, 0.02},
    {OK::ZnO, 0.02},
    {OK::MgO, 0.2},
    {OK::CaO, 0.2},
    {OK::Na2O, 0.2},
    {OK::ZrO2, 0.02},
    {OK::Sc2O3, 0.02},
    {OK::Li2O, 0.02},
});

TEST(ModifierSet, AugiteKeepsOnlyAluminian) {
    const CationFormula f = silicic({{OK::Al2O3, 0.2},
                                     {OK::CaO, 0.8},
                                     {OK::FeO, 0.3},
                                     {OK::MgO, 0.7},
                                     {OK::Na2O, 0.05},
                                     {OK::TiO2, 0.05}});
    EXPECT_EQ(selectModifiers(f, "AUGITE").text(), kAluminian);
}

TEST(ModifierSet, NoModifierGivesEmptyText) {
    EXPECT_EQ(selectModifiers(silicic({}), "").text(), "");
    // Si unset counts as 0 and is therefore subsilicic.
    EXPECT_EQ(selectModifiers(CationFormula{}, "").text(), kSubsilicic);
}

TEST(ModifierSet, TiAndMnEstimates) {
    // Ti3+ = (Ti - 0.5) / 0.5995 and Mn3+ = (Mn - 0.5) / 0.7745 above 0.5 apfu.
    const struct {
        OxideKind oxide;
        double amount;
        std::string expected;
    } cases[] = {
        {OK::TiO2, 0.6, std::string(kTitanian) + std::string(kTitanoan)},   // Ti3+ 0.167
        {OK::TiO2, 0.505, std::string(kTitanian)},                          // Ti3+ 0.0083
        {OK::TiO2, 0.51, std::string(kTitanian) + std::string(kTitanoan)},  // Ti3+ 0.0167
        {OK::MnO, 0.5, std::string(kManganoan)},                            // Mn3+ 0
        {OK::MnO, 0.55, std::string(kManganoan)},                           // Mn3+ 0.065
        {OK::MnO, 0.6, std::string(kManganoan) + std::string(kManganian)},  // Mn3+ 0.129
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.amount);
        EXPECT_EQ(selectModifiers(silicic({{c.oxide, c.amount}}), "").text(), c.expected);
    }
}

TEST(ModifierSet, SubsilicicThreshold) {
    const CationFormula poor = formulaOf({{OK::SiO2, 1.70}, {OK::CaO, 0.9}, {OK::MgO, 0.9}});
    EXPECT_EQ(selectModifiers(poor, "DIOPSIDE").text(), kSubsilicic);
    EXPECT_EQ(selectModifiers(formulaOf({{OK::SiO2, 1.75}}), "").text(), "");
}

// Each slot on its own: at the threshold nothing, just above it only that slot's text.
TEST(ModifierSet, EachThresholdIsStrict) {
    const struct {
        OxideKind oxide;
        double threshold;
        std::size_t slot;
    } cases[] = {
        {OK::Al2O3, 0.1, 0},  {OK::CaO, 0.1, 1},    {OK::Cr2O3, 0.01, 2}, {OK::FeO, 0.1, 3},
        {OK::Fe2O3, 0.1, 4},  {OK::Li2O, 0.01, 5},  {OK::MgO, 0.1, 6},    {OK::MnO, 0.1, 7},
        {OK::Na2O, 0.1, 9},   {OK::NiO, 0.01, 10},  {OK::TiO2, 0.1, 12},  {OK::ZnO, 0.01, 14},
        {OK::V2O3, 0.01, 15}, {OK::ZrO2, 0.01, 16}, {OK::CoO, 0.01, 17},  {OK::Sc2O3, 0.01, 18},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(kAll[c.slot]);
        EXPECT_EQ(selectModifiers(silicic({{c.oxide, c.threshold}}), "").text(), "");
        const ModifierSet above = selectModifiers(silicic({{c.oxide, c.threshold * 1.01}}), "");
        EXPECT_EQ(above.slots[c.slot], kAll[c.slot]);
        EXPECT_EQ(above.text(), kAll[c.slot]);
    }
}

TEST(ModifierSet, AllSlotsJoinInOrderWithOneBlankBetween) {
    std::string all;
    for (std::string_view m : kAll) all += m;
    for (std::string_view name :
         {"", "PIGEONITE", "Kalvoren does not fit named species in the IMA scheme"}) {
        SCOPED_TRACE(name);
        const ModifierSet set = selectModifiers(kEveryModifier, name);
        EXPECT_EQ(set.text(), all);
    }
    const std::string text = selectModifiers(kEveryModifier, "").text();
    EXPECT_EQ(text.back(), ' ');
    EXPECT_EQ(text.find("  "), std::string::npos);
    EXPECT_NE(text.find("Aluminian [i.e.,(Al-rich)] Calcian [i.e.,(Ca-rich)] Chromian"),
              std::string::npos);

    std::string row = "[";
    selectModifiers(silicic({{OK::Al2O3, 0.2}}), "").appendTo(row);
    EXPECT_EQ(row, "[Aluminian [i.e.,(Al-rich)] ");
}

struct SuppressionCase {
    std::string_view species;
    std::vector<std::string_view> emptied;  // modifier words
};

void PrintTo(const SuppressionCase& c, std::ostream* os) {
    *os << c.species;
}

class ModifierSuppression : public ::testing::TestWithParam<SuppressionCase> {};

TEST_P(ModifierSuppression, EmptiesExactlyTheImpliedSlots) {
    const SuppressionCase& c = GetParam();
    const ModifierSet set = selectModifiers(kEveryModifier, c.species);
    for (std::size_t i = 0; i < kAll.size(); ++i) {
        const std::string_view word = kAll[i].substr(0, kAll[i].find(' '));
        const bool emptied = std::find(c.emptied.begin(), c.emptied.end(), word) != c.emptied.end();
        EXPECT_EQ(set.slots[i], emptied ? "" : kAll[i]) << word;
    }
}

INSTANTIATE_TEST_SUITE_P(
    BySpecies, ModifierSuppression,
    ::testing::Values(
        SuppressionCase{"ENSTATITE or CLINOENSTATITE", {"Ferroan", "Magnesian"}},
        SuppressionCase{"FERROSILITE or CLINOFERROSILITE", {"Ferroan", "Magnesian"}},
        SuppressionCase{"DONPEACORITE / KANOITE", {"Manganoan", "Magnesian"}},
        SuppressionCase{"DIOPSIDE", {"Magnesian", "Calcian"}},
        SuppressionCase{"HEDENBERGITE", {"Calcian", "Ferroan"}},
        SuppressionCase{"AUGITE", {"Ferroan", "Magnesian", "Calcian"}},
        SuppressionCase{"JOHANNSENITE", {"Calcian", "Manganoan", "Manganian"}},
        SuppressionCase{"PETEDUNNITE", {"Calcian", "Zincian"}},
        SuppressionCase{"ESSENEITE",
                        {"Calcian", "Ferrian", "Aluminian", "Subsilicic", "Ferroan", "Magnesian"}},
        SuppressionCase{"OMPHACITE", {"Calcian", "Sodian", "Aluminian"}},
        SuppressionCase{"AEGIRINE-AUGITE", {"Calcian", "Sodian", "Ferrian"}},
        SuppressionCase{"JADEITE", {"Sodian", "Aluminian"}},
        SuppressionCase{"AEGIRINE", {"Sodian", "Ferrian"}},
        SuppressionCase{"KOSMOCHLOR", {"Sodian", "Chromian"}},
        SuppressionCase{"JERVISITE", {"Sodian"}},
        SuppressionCase{"SPODUMENE", {"Lithian", "Aluminian"}}, SuppressionCase{"PIGEONITE", {}},
        SuppressionCase{"", {}},
        SuppressionCase{"Kalvoren does not fit named species in the IMA scheme", {}}));

TEST(ModifierSet, BlankCationLeavesItsSlotEmpty) {
    const Quantity blank = Quantity::blank();
    EXPECT_EQ(selectModifiers(silicic({{OK::Al2O3, blank}, {OK::CaO, 0.5}}), "").text(),
              "Calcian [i.e.,(Ca-rich)] ");
    // A blank Ti or Mn blanks its estimate too.
    EXPECT_EQ(selectModifiers(silicic({{OK::TiO2, blank}, {OK::MnO, blank}}), "").text(), "");
    EXPECT_EQ(selectModifiers(formulaOf({{OK::SiO2, blank}}), "").text(), "");
}

}  // namespace
}  // namespace kalvoren
