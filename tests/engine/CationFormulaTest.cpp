#include "engine/CationFormula.h"

#include <gtest/gtest.h>

#include <vector>

#include "CationFixture.h"

namespace kalvoren {
namespace {

using test::formulaOf;

constexpr double kTol = 1e-12;

Analysis analysisOf(std::initializer_list<std::pair<OxideKind, double>> oxides) {
    Analysis a;
    for (const auto& [kind, value] : oxides) a.oxides[index(kind)] = value;
    return a;
}

// CaMgSi2O6 in weight percent: 2 SiO2 : MgO : CaO by molar mass, scaled to 100.
Analysis diopside(double scale = 1.0) {
    const double si = 2 * 60.0843, mg = 40.3044, ca = 56.0794;
    const double k = 100.0 / (si + mg + ca) * scale;
    return analysisOf(
        {{OxideKind::SiO2, si * k}, {OxideKind::MgO, mg * k}, {OxideKind::CaO, ca * k}});
}

struct Marks {
    OptionMarks store;
    CalcOptions options{store};
    Marks(std::initializer_list<Option> marked) : Marks(std::vector<Option>(marked)) {}
    explicit Marks(const std::vector<Option>& marked) {
        for (Option o : marked) store.setMarked(o, true);
    }
};

TEST(ComputeCations, DiopsideOnSixOxygens) {
    for (const double scale : {1.0, 2.0}) {
        const CationFormula f = ComputeCations(diopside(scale));
        EXPECT_NEAR(f.Si().value(), 2.0, kTol);
        EXPECT_NEAR(f.Mg().value(), 1.0, kTol);
        EXPECT_NEAR(f.Ca().value(), 1.0, kTol);
        EXPECT_NEAR(f.cationTotal.value(), 4.0, kTol);
        EXPECT_NEAR(f.oxygenSum.value() * f.oxygenFactor.value(), 6.0, kTol);
        EXPECT_NEAR(f.oxideTotal.value(), 100.0 * scale, 1e-10);
        for (const OxideKind k : {OxideKind::TiO2, OxideKind::Al2O3, OxideKind::Fe2O3,
                                  OxideKind::FeO, OxideKind::Na2O, OxideKind::Li2O})
            EXPECT_EQ(f[k].value(), 0.0);
    }
}

TEST(ComputeCations, EachOxideByItsOwnConstants) {
    // One mole of each oxide: its oxygens are what the table says, so with 6 oxygens in
    // all the cations are 6 / 30 times the cations per oxide.
    Analysis a;
    double oxygens = 0;
    for (const OxideData& d : kOxides) {
        a.oxides[index(d.kind)] = d.molarMass;
        oxygens += d.oxygensPerOxide;
    }
    const CationFormula f = ComputeCations(a);
    EXPECT_NEAR(f.oxygenSum.value(), oxygens, kTol);
    for (const OxideData& d : kOxides) {
        const double perOxide = d.oxygensPerOxide / d.oxygensPerCation;
        EXPECT_NEAR(f[d.kind].value(), perOxide * 6.0 / oxygens, kTol) << d.name;
    }
}

TEST(ComputeCations, AllZeroAnalysisLeavesEveryCationBlank) {
    const CationFormula f = ComputeCations(Analysis{});
    EXPECT_TRUE(f.oxygenFactor.isBlank());
    for (const Quantity c : f.cations) EXPECT_TRUE(c.isBlank());
    EXPECT_TRUE(f.cationTotal.isBlank());
    EXPECT_DOUBLE_EQ(f.oxideTotal.value(), 0.0);
}

// Si 1.98, Mg 1.02, Ca 1.02 on 6 oxygens: 4.02 cations.
Analysis excessCations() {
    return analysisOf({{OxideKind::SiO2, 1.98 * 60.0843},
                       {OxideKind::MgO, 1.02 * 40.3044},
                       {OxideKind::CaO, 1.02 * 56.0794}});
}

TEST(NormaliseToFourCations, ScalesByFourOverTheTotal) {
    Marks m{Option::fourCations};
    CationFormula f = ComputeCations(excessCations());
    ASSERT_NEAR(f.cationTotal.value(), 4.02, kTol);
    NormaliseToFourCations(f, m.options);
    EXPECT_NEAR(f.cationFactor.value(), 4.0 / 4.02, kTol);
    EXPECT_NEAR(f.Si().value(), 1.98 * 4.0 / 4.02, kTol);
    EXPECT_NEAR(f.Ca().value(), 1.02 * 4.0 / 4.02, kTol);
    EXPECT_NEAR(f.cationTotal.value(), 4.0, kTol);
    EXPECT_TRUE(m.options.fourCations());
}

TEST(NormaliseToFourCations, WithoutWinsAndClearsTheFourCationsMark) {
    for (const bool four : {true, false}) {
        Marks m{Option::withoutFourCations};
        m.store.setMarked(Option::fourCations, four);
        CationFormula f = ComputeCations(excessCations());
        NormaliseToFourCations(f, m.options);
        EXPECT_DOUBLE_EQ(f.cationFactor.value(), 1.0);
        EXPECT_NEAR(f.Si().value(), 1.98, kTol);
        EXPECT_NEAR(f.cationTotal.value(), 4.02, kTol);
        EXPECT_FALSE(m.options.fourCations());
        EXPECT_TRUE(m.options.withoutFourCations());
    }
}

TEST(NormaliseToFourCations, NeitherMarkKeepsTheCations) {
    Marks m{};
    CationFormula f = ComputeCations(excessCations());
    NormaliseToFourCations(f, m.options);
    EXPECT_DOUBLE_EQ(f.cationFactor.value(), 1.0);
    EXPECT_NEAR(f.Si().value(), 1.98, kTol);
}

TEST(NormaliseToFourCations, ZeroTotalMakesTheCationsBlank) {
    Marks m{Option::fourCations};
    CationFormula f = formulaOf({.Si = 1, .Mg = -1});
    NormaliseToFourCations(f, m.options);
    EXPECT_TRUE(f.cationFactor.isBlank());
    EXPECT_TRUE(f.Si().isBlank());
    EXPECT_TRUE(f.cationTotal.isBlank());
}

// ---- Fe3+ estimation -------------------------------------------------------------

const Analysis kFeOOnly = analysisOf({{OxideKind::FeO, 10.0}});

struct Fe3Case {
    const char* what;
    std::vector<Option> marks;
    test::Cations cations;  // on 6 oxygens; Fe2 is the iron from FeO
    double fe3, fe2;
};

class Fe3Estimate : public ::testing::TestWithParam<Fe3Case> {};

TEST_P(Fe3Estimate, SplitsTheAnalysedIron) {
    const Fe3Case& c = GetParam();
    Marks m(c.marks);
    CationFormula f = formulaOf(c.cations);
    EstimateFerricIron(f, kFeOOnly, m.options);
    EXPECT_NEAR(f.Fe3().value(), c.fe3, kTol) << c.what;
    EXPECT_NEAR(f.Fe2().value(), c.fe2, kTol) << c.what;
    // The total follows the new split.
    Quantity sum = 0.0;
    for (const Quantity q : f.cations) sum += q;
    EXPECT_NEAR(f.cationTotal.value(), sum.value(), kTol) << c.what;
}

// Totals: Droop D = 12 * (1 - 4 / total).
constexpr double kDroop404 = 12.0 * (1.0 - 4.0 / 4.04);

INSTANTIATE_TEST_SUITE_P(
    Cases, Fe3Estimate,
    ::testing::Values(
        // Papike: AlIV + Na - AlVI - Cr - 2 Ti = 0.1 + 0.1 - 0.1 = 0.1.
        Fe3Case{"papike",
                {Option::fe3Papike},
                {.Si = 1.9, .Al = 0.2, .Fe2 = 0.5, .Mg = 0.5, .Ca = 0.8, .Na = 0.1},
                0.1,
                0.4},
        // Droop with exactly 4 cations estimates nothing.
        Fe3Case{"droop total 4",
                {Option::fe3Droop},
                {.Si = 2, .Fe2 = 0.5, .Mg = 0.5, .Ca = 1},
                0.0,
                0.5},
        Fe3Case{"droop total 4.04",
                {Option::fe3Droop},
                {.Si = 2, .Fe2 = 0.5, .Mg = 0.54, .Ca = 1},
                kDroop404,
                0.5 - kDroop404},
        // A negative estimate becomes 0 and the ferrous iron stays as analysed.
        Fe3Case{"droop total 3.96",
                {Option::fe3Droop},
                {.Si = 2, .Fe2 = 0.5, .Mg = 0.46, .Ca = 1},
                0.0,
                0.5},
        // The average rule is (D * 2/3 + D) / 2 = 5/6 D.
        Fe3Case{"average",
                {Option::fe3Average},
                {.Si = 2, .Fe2 = 0.5, .Mg = 0.54, .Ca = 1},
                kDroop404 * 5.0 / 6.0,
                0.5 - kDroop404 * 5.0 / 6.0},
        Fe3Case{"average below 4",
                {Option::fe3Average},
                {.Si = 2, .Fe2 = 0.5, .Mg = 0.46, .Ca = 1},
                0.0,
                0.5},
        // An estimate above the analysed iron takes all of it.
        Fe3Case{"papike above the iron",
                {Option::fe3Papike},
                {.Si = 1.9, .Al = 0.2, .Fe2 = 0.04, .Mg = 0.96, .Ca = 0.8, .Na = 0.1},
                0.04,
                0.0},
        // Several marks: the last rule (Droop, Papike, average) decides, iron is conserved.
        Fe3Case{"papike and average",
                {Option::fe3Papike, Option::fe3Average},
                {.Si = 1.9, .Al = 0.2, .Fe2 = 0.5, .Mg = 0.54, .Ca = 0.8, .Na = 0.1},
                kDroop404 * 5.0 / 6.0,
                0.5 - kDroop404 * 5.0 / 6.0},
        Fe3Case{"droop and papike",
                {Option::fe3Droop, Option::fe3Papike},
                {.Si = 1.9, .Al = 0.2, .Fe2 = 0.5, .Mg = 0.54, .Ca = 0.8, .Na = 0.1},
                0.1,
                0.4},
        Fe3Case{"no rule marked", {}, {.Si = 2, .Fe2 = 0.5, .Mg = 0.54, .Ca = 1}, 0.0, 0.5}));

TEST(EstimateFerricIron, AverageKeepsTheDroopValue) {
    Marks m{Option::fe3Average};
    CationFormula f = formulaOf({.Si = 2, .Fe2 = 0.5, .Mg = 0.54, .Ca = 1});
    EstimateFerricIron(f, kFeOOnly, m.options);
    EXPECT_NEAR(f.droopValue.value(), kDroop404, kTol);

    Marks droop{Option::fe3Droop};
    CationFormula g = formulaOf({.Si = 2, .Fe2 = 0.5, .Mg = 0.54, .Ca = 1});
    EstimateFerricIron(g, kFeOOnly, droop.options);
    EXPECT_DOUBLE_EQ(g.droopValue.value(), 0.0);  // only the average rule keeps D
    EXPECT_NEAR(g.Fe3().value(), kDroop404, kTol);
}

TEST(EstimateFerricIron, EnteredSplitStands) {
    Marks m{Option::fe3Droop, Option::fe3Papike, Option::fe3Average};
    const Analysis both = analysisOf({{OxideKind::FeO, 10.0}, {OxideKind::Fe2O3, 2.0}});
    CationFormula f = formulaOf({.Si = 2, .Fe3 = 0.06, .Fe2 = 0.3, .Mg = 0.7, .Ca = 1});
    EstimateFerricIron(f, both, m.options);
    EXPECT_DOUBLE_EQ(f.Fe3().value(), 0.06);
    EXPECT_DOUBLE_EQ(f.Fe2().value(), 0.3);
    EXPECT_DOUBLE_EQ(f.droopValue.value(), 0.0);

    CationFormula none = formulaOf({.Si = 2, .Mg = 1, .Ca = 1});
    EstimateFerricIron(none, Analysis{}, m.options);
    EXPECT_DOUBLE_EQ(none.Fe3().value(), 0.0);
    EXPECT_DOUBLE_EQ(none.Fe2().value(), 0.0);
}

TEST(EstimateFerricIron, NegativeEnteredIronIsCleared) {
    const Analysis negative = analysisOf({{OxideKind::FeO, -1.0}, {OxideKind::Fe2O3, -1.0}});
    const test::Cations c{.Si = 2, .Fe3 = -0.02, .Fe2 = -0.01, .Mg = 1, .Ca = 1};

    Marks droop{Option::fe3Droop};
    CationFormula f = formulaOf(c);
    EstimateFerricIron(f, negative, droop.options);
    EXPECT_DOUBLE_EQ(f.Fe3().value(), 0.0);
    EXPECT_DOUBLE_EQ(f.Fe2().value(), 0.0);
    EXPECT_DOUBLE_EQ(f.cationTotal.value(), 4.0);

    // The average rule has no clamp of its own for Fe3+; Fe2+ is always cleared.
    Marks average{Option::fe3Average};
    CationFormula g = formulaOf(c);
    EstimateFerricIron(g, negative, average.options);
    EXPECT_DOUBLE_EQ(g.Fe3().value(), -0.02);
    EXPECT_DOUBLE_EQ(g.Fe2().value(), 0.0);
}

TEST(EstimateFerricIron, BlankEstimateBlanksBothIrons) {
    Marks m{Option::fe3Droop};
    CationFormula f = formulaOf({.Si = 2, .Fe2 = 0.5, .Mg = -2.5});  // total 0
    EstimateFerricIron(f, kFeOOnly, m.options);
    EXPECT_TRUE(f.Fe3().isBlank());
    EXPECT_TRUE(f.Fe2().isBlank());
    EXPECT_TRUE(f.cationTotal.isBlank());
}

TEST(EstimateFerricIron, FromOxidesConservesIronThroughTheNormalisation) {
    // An Fe-bearing Cpx with more than 4 cations on 6 oxygens.
    const Analysis a = analysisOf({{OxideKind::SiO2, 50.0},
                                   {OxideKind::Al2O3, 4.0},
                                   {OxideKind::FeO, 12.0},
                                   {OxideKind::MgO, 14.0},
                                   {OxideKind::CaO, 18.0},
                                   {OxideKind::Na2O, 1.5}});
    Marks m{Option::fourCations, Option::fe3Droop};
    CationFormula f = ComputeCations(a);
    const double ironFromFeO = f.Fe2().value();
    EstimateFerricIron(f, a, m.options);
    ASSERT_GT(f.Fe3().value(), 0.0);
    EXPECT_NEAR(f.Fe3().value() + f.Fe2().value(), ironFromFeO, kTol);
    NormaliseToFourCations(f, m.options);
    EXPECT_NEAR(f.cationTotal.value(), 4.0, kTol);
    EXPECT_NEAR(f.Fe3().value() + f.Fe2().value(), ironFromFeO * f.cationFactor.value(), kTol);
}

}  // namespace
}  // namespace kalvoren
