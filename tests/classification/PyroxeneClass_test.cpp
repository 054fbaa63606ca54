#include "classification/PyroxeneClass.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kalvoren {
namespace {

using Cations = std::vector<std::pair<OxideKind, Quantity>>;

// The inputs the classification reads, filled by hand; everything else stays 0.
struct ClassInputs {
    Quantity Q{}, J{};
    Quantity wo{}, en{}, fs{};     // Ca + Mg + Fetot + Mn basis
    Quantity qPct{}, jd{}, aeg{};  // Q-Jd-Ae set
    Cations cations{};
};

PyroxeneCalculation calculationFrom(const ClassInputs& in) {
    PyroxeneCalculation cpx;
    cpx.basic.Q = in.Q;
    cpx.basic.J = in.J;
    cpx.sets.woEnFsFetot = {in.wo, in.en, in.fs};
    cpx.sets.qJdAeg = {in.qPct, in.jd, in.aeg};
    for (const auto& [oxide, amount] : in.cations) cpx.formula[oxide] = amount;
    return cpx;
}

struct ClassCase {
    std::string label;
    ClassInputs inputs;
    std::string_view group;
    std::string_view name;
    std::string_view nameForModifiers;
};

void PrintTo(const ClassCase& c, std::ostream* os) {
    *os << c.label;
}

constexpr std::string_view kCaMgFe = "Ca-Mg-Fe pyroxene";
constexpr std::string_view kCaNa = "Ca-Na pyroxene";
constexpr std::string_view kNa = "Na pyroxene";
constexpr std::string_view kRareCa = "Rare Ca pyroxene";
constexpr std::string_view kUnclassified = "Unclassified";
constexpr std::string_view kNoFit = "Kalvoren does not fit named species in the IMA scheme";

const Quantity kBlank = Quantity::blank();

// A Ca-Mg-Fe position (Q + J = 2, r = 0) with the given Wo-En-Fs.
ClassInputs quad(Quantity wo, Quantity en, Quantity fs) {
    return {2.0, 0.0, wo, en, fs};
}
// A Ca-Na (r = 0.5) or Na (r = 0.9) position with the given Q-Jd-Ae set.
ClassInputs caNa(double q, double jd, double aeg, Cations c = {}) {
    return {1.0, 1.0, 0, 0, 0, q, jd, aeg, std::move(c)};
}
ClassInputs sodic(double q, double jd, double aeg) {
    return {0.2, 1.8, 0, 0, 0, q, jd, aeg};
}
// Q = Ca + Mg + Fe2+ and J = 2 Na of the given cations, as the engine forms them.
ClassInputs fromCations(Cations c) {
    ClassInputs in;
    Quantity q = 0.0, j = 0.0;
    for (const auto& [oxide, amount] : c) {
        if (oxide == OxideKind::CaO || oxide == OxideKind::MgO || oxide == OxideKind::FeO) {
            q += amount;
        }
        if (oxide == OxideKind::Na2O) j += 2.0 * amount;
    }
    in.Q = q;
    in.J = j;
    in.cations = std::move(c);
    return in;
}

class PyroxeneClassTable : public ::testing::TestWithParam<ClassCase> {};

TEST_P(PyroxeneClassTable, GroupAndName) {
    const ClassCase& c = GetParam();
    const Classification got = classifyPyroxene(calculationFrom(c.inputs));
    EXPECT_EQ(got.result.group, c.group);
    EXPECT_EQ(got.result.name, c.name);
    EXPECT_EQ(got.nameForModifiers, c.nameForModifiers);
}

const std::vector<ClassCase> kGroupCases = {
    // r = J / (Q + J) on the group bounds; 0.4 / 2 and 1.6 / 2 are exact in binary.
    {"r_0_2_is_CaMgFe", {1.6, 0.4}, kCaMgFe, "", ""},
    {"r_0_8_is_Na", {0.4, 1.6}, kNa, "", ""},
    {"r_0_5_is_CaNa", {1.0, 1.0}, kCaNa, "", ""},
    {"sum_1_49_is_CaMgFe", {1.341, 0.149}, kCaMgFe, "", ""},
    {"sum_1_48_is_CaMgFe", {1.48, 0.0}, kCaMgFe, "", ""},
    {"sum_2_2_is_CaMgFe", {2.2, 0.0}, kCaMgFe, "", ""},
    {"sum_1_47_is_unclassified", {1.323, 0.147}, kUnclassified, kNoFit, ""},
    {"sum_1_479_is_unclassified", {1.479, 0.0}, kUnclassified, kNoFit, ""},
    {"sum_2_21_is_unclassified", {2.21, 0.0}, kUnclassified, kNoFit, ""},
    {"sodic_but_too_many_is_unclassified", {0.0, 2.3}, kUnclassified, kNoFit, ""},
    // Q + J = 0: r cannot be formed, the sum test still holds.
    {"all_zero_is_unclassified", {}, kUnclassified, kNoFit, ""},
    // A blank Q or J: no test can be made.
    {"blank_Q_gives_nothing", {kBlank, 0.5}, "", "", ""},
    {"blank_J_gives_nothing", {1.9, kBlank}, "", "", ""},
};

const std::vector<ClassCase> kQuadCases = {
    {"wo_44_9_augite", quad(44.9, 30, 25.1), kCaMgFe, "AUGITE", "AUGITE"},
    {"wo_45_no_name", quad(45, 30, 25), kCaMgFe, "", ""},
    {"wo_20_no_name", quad(20, 50, 30), kCaMgFe, "", ""},
    {"wo_5_no_name", quad(5, 60, 35), kCaMgFe, "", ""},
    {"diopside", quad(50, 40, 10), kCaMgFe, "DIOPSIDE", "DIOPSIDE"},
    {"hedenbergite", quad(48, 10, 42), kCaMgFe, "HEDENBERGITE", "HEDENBERGITE"},
    {"en_equals_fs_no_name", quad(50, 25, 25), kCaMgFe, "", ""},
    {"pigeonite", quad(10, 60, 30), kCaMgFe, "PIGEONITE", "PIGEONITE"},
    {"enstatite", quad(2, 80, 18), kCaMgFe, "ENSTATITE or CLINOENSTATITE",
     "ENSTATITE or CLINOENSTATITE"},
    {"ferrosilite", quad(2, 18, 80), kCaMgFe, "FERROSILITE or CLINOFERROSILITE",
     "FERROSILITE or CLINOFERROSILITE"},
    {"blank_wo_no_name", quad(kBlank, 40, 10), kCaMgFe, "", ""},
    {"blank_en_no_name", quad(50, kBlank, 10), kCaMgFe, "", ""},
    // The quadrilateral names need the Ca-Mg-Fe group.
    {"diopside_wo_in_CaNa_group", {1.0, 1.0, 50, 40, 10}, kCaNa, "", ""},
};

const std::vector<ClassCase> kSodicCases = {
    {"omphacite", caNa(50, 30, 10), kCaNa, "OMPHACITE", "OMPHACITE"},
    {"aegirine_augite", caNa(50, 10, 30), kCaNa, "AEGIRINE-AUGITE", "AEGIRINE-AUGITE"},
    {"jd_equals_ae_no_name", caNa(50, 0, 0), kCaNa, "", ""},
    {"blank_jd_no_name", caNa(50, kBlank.value(), 10), kCaNa, "", ""},
    {"jadeite", sodic(10, 80, 10), kNa, "JADEITE", "JADEITE"},
    {"aegirine", sodic(10, 10, 80), kNa, "AEGIRINE", "AEGIRINE"},
    {"q_20_no_name", sodic(20, 70, 10), kNa, "", ""},
    // A Cr-rich aegirine-augite is reclassified as kosmochlor.
    {"kosmochlor_from_aegirine_augite",
     caNa(50, 10, 30, {{OxideKind::Na2O, 0.6}, {OxideKind::Cr2O3, 0.6}}), "Rare Na-Cr3+ pyroxene",
     "KOSMOCHLOR", "KOSMOCHLOR"},
    {"cr_0_5_stays_aegirine_augite",
     caNa(50, 10, 30, {{OxideKind::Na2O, 0.6}, {OxideKind::Cr2O3, 0.5}}), kCaNa, "AEGIRINE-AUGITE",
     "AEGIRINE-AUGITE"},
    // Only the aegirine-augite name is reclassified, not omphacite.
    {"cr_omphacite_stays", caNa(50, 30, 10, {{OxideKind::Na2O, 0.6}, {OxideKind::Cr2O3, 0.6}}),
     kCaNa, "OMPHACITE", "OMPHACITE"},
};

using OK = OxideKind;
const std::vector<ClassCase> kRareCases = {
    // 5a and 5b both hold; the later rule decides.
    {"johannsenite_over_donpeacorite",
     fromCations({{OK::MnO, 0.6}, {OK::MgO, 0.6}, {OK::CaO, 0.6}}), kRareCa, "JOHANNSENITE",
     "JOHANNSENITE"},
    {"donpeacorite", fromCations({{OK::MnO, 0.6}, {OK::MgO, 0.6}}), "Rare Mn-Mg pyroxene",
     "DONPEACORITE / KANOITE", "DONPEACORITE / KANOITE"},
    {"esseneite", fromCations({{OK::CaO, 0.9}, {OK::Fe2O3, 0.6}, {OK::Al2O3, 0.6}}), kRareCa,
     "ESSENEITE", "ESSENEITE"},
    // No Ca, Mg, Fe2+ or Na: Q + J = 0, yet the rare species is still found.
    {"spodumene", fromCations({{OK::Li2O, 0.9}, {OK::Al2O3, 0.9}}), "Rare Li-Al pyroxene",
     "SPODUMENE", "SPODUMENE"},
    {"kosmochlor_off_the_field", fromCations({{OK::Na2O, 0.95}, {OK::Cr2O3, 0.9}, {OK::CaO, 0.4}}),
     "Rare Na-Cr3+ pyroxene", "KOSMOCHLOR", "KOSMOCHLOR"},
    {"petedunnite", fromCations({{OK::CaO, 0.4}, {OK::ZnO, 0.4}}), kRareCa, "PETEDUNNITE",
     "PETEDUNNITE"},
    {"jervisite", fromCations({{OK::CaO, 0.4}, {OK::ZnO, 0.4}, {OK::Na2O, 0.4}, {OK::Sc2O3, 0.4}}),
     "Rare Na pyroxene", "JERVISITE", "JERVISITE"},
    // Jervisite needs the petedunnite name first.
    {"na_sc_without_zn_unclassified", fromCations({{OK::Na2O, 0.4}, {OK::Sc2O3, 0.4}}),
     kUnclassified, kNoFit, ""},
    {"mn_at_0_5_unclassified", fromCations({{OK::MnO, 0.5}, {OK::MgO, 0.6}}), kUnclassified, kNoFit,
     ""},
    {"blank_mn_unclassified", fromCations({{OK::MnO, kBlank}, {OK::MgO, 0.6}}), kUnclassified,
     kNoFit, ""},
    // Rare species need the Other group: a johannsenite chemistry on the quadrilateral.
    {"rare_chemistry_in_CaMgFe_group",
     {1.6, 0.0, 50, 40, 10, 0, 0, 0, {{OK::MnO, 0.6}, {OK::CaO, 0.6}}},
     kCaMgFe,
     "DIOPSIDE",
     "DIOPSIDE"},
};

auto caseLabel = [](const ::testing::TestParamInfo<ClassCase>& info) { return info.param.label; };

INSTANTIATE_TEST_SUITE_P(Group, PyroxeneClassTable, ::testing::ValuesIn(kGroupCases), caseLabel);
INSTANTIATE_TEST_SUITE_P(Quadrilateral, PyroxeneClassTable, ::testing::ValuesIn(kQuadCases),
                         caseLabel);
INSTANTIATE_TEST_SUITE_P(Sodic, PyroxeneClassTable, ::testing::ValuesIn(kSodicCases), caseLabel);
INSTANTIATE_TEST_SUITE_P(Rare, PyroxeneClassTable, ::testing::ValuesIn(kRareCases), caseLabel);

TEST(PyroxeneClass, NothingCarriesOverBetweenAnalyses) {
    const Classification first = classifyPyroxene(calculationFrom(quad(50, 40, 10)));
    const Classification second = classifyPyroxene(calculationFrom(quad(20, 50, 30)));
    EXPECT_EQ(first.result.name, "DIOPSIDE");
    EXPECT_EQ(second.result.group, kCaMgFe);
    EXPECT_EQ(second.result.name, "");
}

TEST(PyroxeneClass, CaMgFeGroupGatesTheThermobarometers) {
    EXPECT_TRUE(classifyPyroxene(calculationFrom(quad(50, 40, 10))).result.isCaMgFe());
    EXPECT_FALSE(classifyPyroxene(calculationFrom(caNa(50, 30, 10))).result.isCaMgFe());
}

}  // namespace
}  // namespace kalvoren
