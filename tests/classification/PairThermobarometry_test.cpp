// Two-pyroxene barometers and thermometers, the Ca-in-Opx thermometers, the check
// labels and the keep-or-blank rule. Expected numbers were worked out from the
// published formulas, independently of this code.

#include "classification/PairThermobarometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string_view>
#include <vector>

namespace kalvoren {
namespace {

PyroxeneCalculation augite() {
    PyroxeneCalculation c;
    CationFormula& f = c.formula;
    f[OxideKind::TiO2] = 0.02;
    f[OxideKind::Al2O3] = 0.20;
    f[OxideKind::Cr2O3] = 0.01;
    f[OxideKind::Fe2O3] = 0.04;
    f[OxideKind::FeO] = 0.15;
    f[OxideKind::MnO] = 0.005;
    f[OxideKind::MgO] = 0.894;
    f[OxideKind::CaO] = 0.75;
    f[OxideKind::Na2O] = 0.03;
    f[OxideKind::K2O] = 0.001;
    c.sites.M1_Al = 0.10;
    c.sites.M2_Ca = 0.75;
    c.sites.M2_Na = 0.03;
    c.tschermak.CaRest = 0.66;
    c.tschermak.DiHd = 0.66;
    c.tschermak.EnFs = 0.20;
    c.tschermak.CrCaTs = 0.005;
    c.tschermak.En = 0.16;
    c.tschermak.Di = 0.55;
    c.thermometer.aEn = 0.06;
    c.thermometer.aDi = 0.65;
    c.fractions.XCaS = 0.75;
    c.fractions.XNaM2 = 0.03;
    c.basic.Wo = 42.0;
    c.basic.En = 45.0;
    c.basic.Fs = 13.0;
    return c;
}

PyroxeneCalculation enstatite() {
    PyroxeneCalculation o;
    CationFormula& f = o.formula;
    f[OxideKind::TiO2] = 0.005;
    f[OxideKind::Al2O3] = 0.08;
    f[OxideKind::Cr2O3] = 0.005;
    f[OxideKind::Fe2O3] = 0.01;
    f[OxideKind::FeO] = 0.18;
    f[OxideKind::MnO] = 0.005;
    f[OxideKind::MgO] = 1.65;
    f[OxideKind::CaO] = 0.04;
    f[OxideKind::Na2O] = 0.01;
    o.sites.M1_Al = 0.04;
    o.sites.M2_Ca = 0.04;
    o.sites.M2_Na = 0.01;
    o.opxComponents.FmAl2SiO6 = 0.025;
    o.opxComponents.CaFmSi2O6 = 0.04;
    o.opxComponents.Fm2Si2O6 = 0.86;
    o.opxComponents.En = 0.77;
    o.opxComponents.Di = 0.036;
    o.thermometer.aEn = 0.80;
    o.thermometer.aDi = 0.04;
    o.fractions.XCaS = 0.04;
    o.fractions.XNaM2 = 0.01;
    o.basic.Wo = 2.0;
    o.basic.En = 88.0;
    o.basic.Fs = 10.0;
    return o;
}

RowInput pairRow(double pressure = 10.0) {
    RowInput in;
    in.pressure = pressure;
    in.temperature = 1100.0;
    in.hasOpx = true;
    return in;
}

CpxTemperatures cpxAt(Quantity tbm) {
    CpxTemperatures t;
    t.TBM8586 = tbm;
    return t;
}

struct Evaluation {
    PyroxeneCalculation cpx = augite();
    PyroxeneCalculation opx = enstatite();
    Quantity tbmCpx = 1100.0;
    bool corFac = false;
    double pressure = 10.0;

    PairThermobarometry run() const {
        OptionMarks marks;
        marks.setMarked(Option::corFac, corFac);
        const CalcOptions options(marks);
        return evaluatePairThermobarometry(pairRow(pressure), cpx, opx, cpxAt(tbmCpx), options);
    }
};

using Field = Quantity TwoPyroxeneResults::*;

struct Expected {
    const char* name;
    Field field;
    double value;
};

// The fixture pair at 10 kbar with a TBM85/86-Cpx of 1100 degrees C.
const std::vector<Expected> kFixturePair = {
    {"PM84-1", &TwoPyroxeneResults::PM84_1, 46.556102207},
    {"PM84-2", &TwoPyroxeneResults::PM84_2, 35.550718957},
    {"PP08-1", &TwoPyroxeneResults::PP08_1, 32.8385},
    {"PP08-2", &TwoPyroxeneResults::PP08_2, 9.978122647},
    {"TWB73", &TwoPyroxeneResults::TWB73, 1179.493476093},
    {"TW77", &TwoPyroxeneResults::TW77, 1111.124822158},
    {"TNB(A1)84", &TwoPyroxeneResults::TNB_A1_84, 1191.373015591},
    {"TNB(A2)84", &TwoPyroxeneResults::TNB_A2_84, 894.835383527},
    {"TNB(B1)84", &TwoPyroxeneResults::TNB_B1_84, 1216.522471142},
    {"TNB(B2)84", &TwoPyroxeneResults::TNB_B2_84, 1091.801203216},
    {"TN85", &TwoPyroxeneResults::TN85, 1240.008515039},
    {"TBM85/86-Opx-Cpx", &TwoPyroxeneResults::TBM8586, 1189.614650043},
    {"TCL(A)88", &TwoPyroxeneResults::TCL_A_88, 390.714661251},
    {"TCL(B)88", &TwoPyroxeneResults::TCL_B_88, 1096.529785808},
    {"TSJ(1)89", &TwoPyroxeneResults::TSJ_1_89, 1120.820994798},
    {"TSJ(2)89", &TwoPyroxeneResults::TSJ_2_89, 1066.689390864},
    {"TBK90-Ca-in-Opx-Cpx", &TwoPyroxeneResults::TBK90CaInOpxCpx, 1178.165920463},
    {"TBK90-Na-in-Opx-Cpx", &TwoPyroxeneResults::TBK90NaInOpxCpx, 1422.241371038},
    // Taylor's Tschermak term Al + Cr - Na (with + Na it would be 1116.099).
    {"TT98", &TwoPyroxeneResults::TT98, 1101.475810181},
    {"TP(1)08", &TwoPyroxeneResults::TP1_08, 1275.269392150},
    {"TP(2)08", &TwoPyroxeneResults::TP2_08, 1249.574242683},
};

TEST(PairThermobarometry, EveryFormulaOnTheFixturePair) {
    const PairThermobarometry r = Evaluation{}.run();
    for (const Expected& e : kFixturePair) {
        ASSERT_TRUE((r.pair.*e.field).hasValue()) << e.name;
        EXPECT_NEAR((r.pair.*e.field).value(), e.value, 1e-6) << e.name;
    }
    // Brey and Koehler's Ca-in-Opx in kelvin, converted; Nimis and Gruetter from it.
    EXPECT_NEAR(r.opx.TBK90CaInOpx.value(), 1048.296876895, 1e-6);
    EXPECT_NEAR(r.opx.TNG10CaInOpx.value(), 1042.412605320, 1e-6);
}

TEST(PairThermobarometry, CorrectionFactorChangesOnlyTBM8586) {
    Evaluation withFactor;
    withFactor.corFac = true;
    const PairThermobarometry plain = Evaluation{}.run();
    const PairThermobarometry corrected = withFactor.run();
    for (const Expected& e : kFixturePair) {
        if (e.field == &TwoPyroxeneResults::TBM8586) continue;
        EXPECT_DOUBLE_EQ((corrected.pair.*e.field).value(), (plain.pair.*e.field).value())
            << e.name;
    }
    EXPECT_NEAR(corrected.pair.TBM8586.value(), 1229.922487225, 1e-6);
    EXPECT_DOUBLE_EQ(corrected.opx.TBK90CaInOpx.value(), plain.opx.TBK90CaInOpx.value());
}

TEST(PairThermobarometry, BlankTBM8586CpxBlanksTheOpxCpxForm) {
    Evaluation e;
    e.tbmCpx = Quantity::blank();
    const PairThermobarometry r = e.run();
    EXPECT_TRUE(r.pair.TBM8586.isBlank());
    EXPECT_TRUE(r.pair.TWB73.hasValue());
}

TEST(PairThermobarometry, NoCalciumInOpxBlanksThePutirkaBarometersAndTheirChain) {
    Evaluation e;
    e.opx.formula[OxideKind::CaO] = 0.0;  // KDp = 0
    const PairThermobarometry r = e.run();
    EXPECT_TRUE(r.pair.PP08_1.isBlank());
    EXPECT_TRUE(r.pair.TP1_08.isBlank());
    EXPECT_TRUE(r.pair.PP08_2.isBlank());
    EXPECT_TRUE(r.pair.TP2_08.isBlank());
    // M2 Ca of the Opx is unchanged, and with it Brey and Koehler's Ca exchange.
    EXPECT_NEAR(r.pair.TBK90CaInOpxCpx.value(), 1178.165920463, 1e-6);
}

TEST(PairThermobarometry, PP08OneAboveSixtyBlanksTheWholeChain) {
    Evaluation e;
    // Raise aEn_o so that PP08-1 = 61 kbar.
    e.opx.thermometer.aEn = 0.80 + (61.0 - 32.8385) / 327.0;
    const PairThermobarometry r = e.run();
    EXPECT_TRUE(r.pair.PP08_1.isBlank());
    EXPECT_TRUE(r.pair.TP1_08.isBlank());
    EXPECT_TRUE(r.pair.PP08_2.isBlank());
    EXPECT_TRUE(r.pair.TP2_08.isBlank());
    EXPECT_TRUE(r.pair.TWB73.hasValue());
}

TEST(PairThermobarometry, NoSodiumInOpxM2GivesTheBareNaFormula) {
    Evaluation e;
    e.opx.sites.M2_Na = 0.0;
    const PairThermobarometry r = e.run();
    EXPECT_NEAR(r.pair.TBK90NaInOpxCpx.value(), (35000.0 + 61.5 * 10.0) / 19.8 - 273.15, 1e-9);
}

TEST(PairThermobarometry, ExchangeThermometersUseIdealTwoSiteActivities) {
    Evaluation e;
    e.cpx.thermometer.aEn = 0.09;
    e.opx.thermometer.aEn = 0.75;
    const PairThermobarometry base = Evaluation{}.run();
    const PairThermobarometry r = e.run();
    EXPECT_DOUBLE_EQ(r.pair.TWB73.value(), base.pair.TWB73.value());
    EXPECT_DOUBLE_EQ(r.pair.TW77.value(), base.pair.TW77.value());
    EXPECT_DOUBLE_EQ(r.pair.TSJ_1_89.value(), base.pair.TSJ_1_89.value());
    // The Carlson-Lindsley and Putirka forms keep the thermometer activities.
    EXPECT_NE(r.pair.TCL_A_88.value(), base.pair.TCL_A_88.value());
    EXPECT_NE(r.pair.PP08_1.value(), base.pair.PP08_1.value());

    // aEn(cpx) = 0.1308550816 and aEn(opx) = 0.7221466004 by the two-site model:
    // TSJ(1)89 = 4900 / (1.807 - ln(aEn_c / aEn_o)) - 273.15.
    EXPECT_NEAR(r.pair.TSJ_1_89.value(),
                4900.0 / (1.807 - std::log(0.13085508158277184 / 0.7221466003762429)) - 273.15,
                1e-9);
}

TEST(PairThermobarometry, OpxWithoutMgOrFe2LeavesTheIdealActivityBlank) {
    Evaluation e;
    e.opx.formula[OxideKind::MgO] = 0.0;
    e.opx.formula[OxideKind::FeO] = 0.0;
    const PairThermobarometry r = e.run();
    EXPECT_TRUE(r.pair.TWB73.isBlank());
    EXPECT_TRUE(r.pair.TW77.isBlank());
    EXPECT_TRUE(r.pair.TSJ_1_89.isBlank());
}

TEST(PairThermobarometry, PM84BothGoWhenEitherLeavesItsRange) {
    struct Case {
        double M2Ca_o;  // K = M2Ca_o / (1 - 0.75) with no Na in either M2
        bool kept;
    };
    // K = 0.1: PM84-1 = 97.8 (above 80), PM84-2 = 67.3; K = 0.6: PM84-1 = -1.8,
    // PM84-2 = 0.6; K = 0.2: 39.2 and 30.6, both kept.
    for (const Case& c : {Case{0.025, false}, Case{0.15, false}, Case{0.05, true}}) {
        Evaluation e;
        e.cpx.sites.M2_Na = 0.0;
        e.opx.sites.M2_Na = 0.0;
        e.opx.sites.M2_Ca = c.M2Ca_o;
        const PairThermobarometry r = e.run();
        EXPECT_EQ(r.pair.PM84_1.hasValue(), c.kept) << c.M2Ca_o;
        EXPECT_EQ(r.pair.PM84_2.hasValue(), c.kept) << c.M2Ca_o;
    }
    Evaluation e;
    e.cpx.sites.M2_Na = 0.0;
    e.opx.sites.M2_Na = 0.0;
    e.opx.sites.M2_Ca = 0.05;
    const PairThermobarometry r = e.run();
    EXPECT_NEAR(r.pair.PM84_1.value(), (1.279 / 0.206 - 2.29) * 10.0, 1e-9);
    EXPECT_NEAR(r.pair.PM84_2.value(), (1.073 / 0.228 - 1.65) * 10.0, 1e-9);
}

TEST(OpxTemperatures, NimisGruetterFromTheCaInOpxTemperature) {
    Evaluation e;
    // M2 Ca of the Opx chosen so that TBK90-Ca-in-Opx is 1000 degrees C at 10 kbar.
    e.opx.sites.M2_Ca = std::exp(1.843 - (6425.0 + 264.0) / 1273.15);
    const PairThermobarometry r = e.run();
    EXPECT_NEAR(r.opx.TBK90CaInOpx.value(), 1000.0, 1e-9);
    EXPECT_NEAR(r.opx.TNG10CaInOpx.value(), 987.3, 1e-9);
}

TEST(OpxTemperatures, NoCalciumInOpxM2LeavesBothBlank) {
    Evaluation e;
    e.opx.sites.M2_Ca = 0.0;
    const PairThermobarometry r = e.run();
    EXPECT_TRUE(r.opx.TBK90CaInOpx.isBlank());
    EXPECT_TRUE(r.opx.TNG10CaInOpx.isBlank());
}

// ---- check labels ----

const PyroxeneClass kAugite{kGroupCaMgFe, "AUGITE"};

struct CpxCheckCase {
    const char* what;
    PyroxeneClass cls;
    double Wo, En, Fs;
    std::string_view expected;
};

class CpxCheckLabel : public ::testing::TestWithParam<CpxCheckCase> {};

TEST_P(CpxCheckLabel, FromGroupNameAndWoEnFs) {
    const CpxCheckCase& c = GetParam();
    PyroxeneCalculation cpx = augite();
    cpx.basic.Wo = c.Wo;
    cpx.basic.En = c.En;
    cpx.basic.Fs = c.Fs;
    EXPECT_EQ(checkPyroxeneLabels(pairRow(), cpx, nullptr, c.cls).cpxCheck, c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CpxCheckLabel,
    ::testing::Values(
        CpxCheckCase{"augite", kAugite, 42, 45, 13, "Cpx"},
        CpxCheckCase{"diopside, En < Wo", {kGroupCaMgFe, "DIOPSIDE"}, 48, 47, 5, "Cpx"},
        CpxCheckCase{"enstatite", {kGroupCaMgFe, "ENSTATITE or CLINOENSTATITE"}, 2, 90, 8, " "},
        CpxCheckCase{"pigeonite", {kGroupCaMgFe, "PIGEONITE"}, 10, 60, 30, "Cpx"},
        CpxCheckCase{"Ca-Mg-Fe, no name", {kGroupCaMgFe, ""}, 30, 50, 20, "Cpx"},
        CpxCheckCase{"Ca-Mg-Fe, no name, Wo < Fs", {kGroupCaMgFe, ""}, 20, 50, 30, " "},
        CpxCheckCase{"omphacite", {"Ca-Na pyroxene", "OMPHACITE"}, 30, 50, 20, " "},
        CpxCheckCase{"no group", {"", ""}, 30, 50, 20, " "}));

TEST(OpxCheckLabel, FromGroupAndOpxWoFs) {
    const PyroxeneCalculation cpx = augite();
    PyroxeneCalculation opx = enstatite();
    EXPECT_EQ(checkPyroxeneLabels(pairRow(), cpx, &opx, kAugite).opxCheck, "Opx");

    RowInput noOpx = pairRow();
    noOpx.hasOpx = false;
    EXPECT_EQ(checkPyroxeneLabels(noOpx, cpx, nullptr, kAugite).opxCheck, "");

    const PyroxeneClass omphacite{"Ca-Na pyroxene", "OMPHACITE"};
    EXPECT_EQ(checkPyroxeneLabels(pairRow(), cpx, &opx, omphacite).opxCheck, " ");

    opx.basic.Wo = 10.0;  // Wo_o = Fs_o
    EXPECT_EQ(checkPyroxeneLabels(pairRow(), cpx, &opx, kAugite).opxCheck, " ");
    opx.basic.Wo = 12.0;  // Wo_o > Fs_o
    EXPECT_EQ(checkPyroxeneLabels(pairRow(), cpx, &opx, kAugite).opxCheck, " ");
}

// ---- keep or blank ----

bool allBlank(const PairThermobarometry& r) {
    for (const Expected& e : kFixturePair)
        if ((r.pair.*e.field).hasValue()) return false;
    return r.opx.TBK90CaInOpx.isBlank() && r.opx.TNG10CaInOpx.isBlank();
}

TEST(PairKeepOrBlank, KeptOnlyForCaMgFeWithASuitableOpx) {
    const PairThermobarometry computed = Evaluation{}.run();

    PairThermobarometry kept = computed;
    applyPairKeepOrBlank(kept, kAugite, PyroxeneChecks{"Cpx", "Opx"});
    EXPECT_DOUBLE_EQ(kept.pair.TT98.value(), computed.pair.TT98.value());
    EXPECT_DOUBLE_EQ(kept.opx.TNG10CaInOpx.value(), computed.opx.TNG10CaInOpx.value());

    for (const PyroxeneChecks checks : {PyroxeneChecks{"Cpx", " "}, PyroxeneChecks{"Cpx", ""}}) {
        PairThermobarometry r = computed;
        applyPairKeepOrBlank(r, kAugite, checks);
        EXPECT_TRUE(allBlank(r)) << '"' << checks.opxCheck << '"';
    }
    PairThermobarometry caNa = computed;
    applyPairKeepOrBlank(caNa, PyroxeneClass{"Ca-Na pyroxene", "OMPHACITE"},
                         PyroxeneChecks{" ", "Opx"});
    EXPECT_TRUE(allBlank(caNa));
}

TEST(PairKeepOrBlank, CaNaClinopyroxeneWithAnOrthopyroxeneKeepsNothing) {
    const Evaluation e;
    const PyroxeneClass omphacite{"Ca-Na pyroxene", "OMPHACITE"};
    PairThermobarometry r = e.run();
    const PyroxeneChecks checks = checkPyroxeneLabels(pairRow(), e.cpx, &e.opx, omphacite);
    applyPairKeepOrBlank(r, omphacite, checks);
    EXPECT_EQ(checks.opxCheck, " ");
    EXPECT_TRUE(allBlank(r));
}

TEST(PairKeepOrBlank, OpxWithMoreWoThanFsKeepsNothing) {
    Evaluation e;
    e.opx.basic.Wo = 12.0;
    PairThermobarometry r = e.run();
    const PyroxeneChecks checks = checkPyroxeneLabels(pairRow(), e.cpx, &e.opx, kAugite);
    applyPairKeepOrBlank(r, kAugite, checks);
    EXPECT_TRUE(allBlank(r));
}

}  // namespace
}  // namespace kalvoren
