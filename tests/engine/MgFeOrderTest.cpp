#include "engine/MgFeOrder.h"

#include <gtest/gtest.h>

#include <cmath>

#include "CationFixture.h"

namespace kalvoren {
namespace {

using test::formulaOf;

constexpr double kTol = 1e-12;

#define EXPECT_VALUE(q, v) EXPECT_NEAR((q).value(), (v), kTol) << #q

struct Marks {
    OptionMarks store;
    CalcOptions options{store};
    Marks(std::initializer_list<Option> marked) {
        for (Option o : marked) store.setMarked(o, true);
    }
};

MgFeOrder orderOf(const CationFormula& f, PyroxeneKind kind = PyroxeneKind::Cpx) {
    return ComputeMgFeOrder(f, AllocateSites(f), kind);
}

TEST(MgFeOrder, DistributionHoldsAtTheRoot) {
    // Fe2+ 0.2, Mg 0.8, Ca 0.9, no trivalent cations: C2 0.9, m 0.1.
    const CationFormula f = formulaOf({.Si = 2, .Fe2 = 0.2, .Mg = 0.8, .Ca = 0.9});
    const MgFeOrder o = orderOf(f);
    const double kd = std::pow(2.718282, 0.289 * 0.9 - 2.315);
    EXPECT_VALUE(o.C2, 0.9);
    EXPECT_VALUE(o.R3, 0.0);
    EXPECT_VALUE(o.m, 0.1);
    EXPECT_VALUE(o.KDmodel, kd);

    const double feM2 = o.FeM2.value();
    EXPECT_GT(feM2, 0.0);
    EXPECT_LT(feM2, 0.1);
    EXPECT_VALUE(o.MgM2, 0.1 - feM2);
    EXPECT_VALUE(o.FeM1 + o.FeM2, 0.2);
    EXPECT_VALUE(o.MgM1 + o.MgM2, 0.8);
    EXPECT_NEAR(((o.FeM1 * o.MgM2) / (o.FeM2 * o.MgM1)).value(), kd, 1e-9);
    EXPECT_VALUE(o.CaM2, 0.9);
    EXPECT_VALUE(o.NaM2, 0.0);

    const PartitioningQuantities p = ComputeReportedKD(f, AllocateSites(f), o);
    EXPECT_NEAR(p.KD.value(), kd, 1e-9);
    EXPECT_NEAR(p.LnKD.value(), std::log(kd), 1e-9);
    EXPECT_VALUE(p.CaDoublePrime, 0.9);
}

TEST(MgFeOrder, TrivalentAndLargeCationsEnterTheModel) {
    const CationFormula f = formulaOf({.Si = 1.9,
                                       .Ti = 0.02,
                                       .Al = 0.2,
                                       .Cr = 0.01,
                                       .Fe3 = 0.03,
                                       .Fe2 = 0.2,
                                       .Mn = 0.01,
                                       .Mg = 0.8,
                                       .Ca = 0.7,
                                       .Na = 0.05,
                                       .K = 0.01});
    const MgFeOrder o = orderOf(f);
    // AlVI = 0.2 - 0.1.
    EXPECT_VALUE(o.R3, 0.02 + 0.03 + 0.01 + 0.1);
    EXPECT_VALUE(o.C2, 0.01 + 0.7 + 0.05 + 0.01);
    EXPECT_VALUE(o.KDmodel, std::pow(2.718282, 0.238 * 0.16 + 0.289 * 0.77 - 2.315));
    const PartitioningQuantities p = ComputeReportedKD(f, AllocateSites(f), o);
    EXPECT_VALUE(p.R3plus, 0.16);
    EXPECT_VALUE(p.CaDoublePrime, 0.76);  // without K
    EXPECT_NEAR(p.KD.value(), o.KDmodel.value(), 1e-9);
}

TEST(MgFeOrder, FullM2) {
    // Ca + Na + Mn = 1.05: m = -0.05.
    const MgFeOrder o =
        orderOf(formulaOf({.Si = 2, .Fe2 = 0.2, .Mn = 0.05, .Mg = 0.8, .Ca = 0.9, .Na = 0.1}));
    EXPECT_VALUE(o.m, -0.05);
    EXPECT_VALUE(o.FeM2, 0.0);
    EXPECT_VALUE(o.MgM2, 0.0);
    EXPECT_VALUE(o.CaM2, 1.0 - 0.1 - 0.0 - 0.05);
    EXPECT_VALUE(o.NaM2, 0.1);
    EXPECT_VALUE(o.FeM1, 0.2);
    EXPECT_VALUE(o.MgM1, 0.8);

    // Without Mg the negative room goes to FeM2 unclamped; without Fe2+ MgM2 is clamped.
    const MgFeOrder noMg =
        orderOf(formulaOf({.Si = 2, .Fe2 = 0.2, .Mn = 0.05, .Ca = 0.9, .Na = 0.1}));
    EXPECT_VALUE(noMg.FeM2, -0.05);
    EXPECT_VALUE(noMg.FeM1, 0.25);
    const MgFeOrder noFe =
        orderOf(formulaOf({.Si = 2, .Mn = 0.05, .Mg = 0.8, .Ca = 0.9, .Na = 0.1}));
    EXPECT_VALUE(noFe.MgM2, 0.0);
    EXPECT_VALUE(noFe.MgM1, 0.8);
}

TEST(MgFeOrder, WithoutCaTheNaSiteIsWhatMnLeaves) {
    const MgFeOrder o = orderOf(formulaOf({.Si = 2, .Fe2 = 0.5, .Mn = 0.1, .Mg = 1.3, .Na = 0.05}));
    EXPECT_VALUE(o.NaM2, 0.9);
    EXPECT_VALUE(o.CaM2, 0.0);

    // More Mn than M2 holds: the Cpx keeps NaM2 at 0, the Opx does not.
    const CationFormula manganoan = formulaOf({.Si = 2, .Mn = 1.2, .Mg = 0.8});
    EXPECT_VALUE(orderOf(manganoan, PyroxeneKind::Cpx).NaM2, 0.0);
    EXPECT_VALUE(orderOf(manganoan, PyroxeneKind::Opx).NaM2, -0.2);
}

TEST(MgFeOrder, MissingIronOrMagnesium) {
    // No Fe2+: FeM2 is not assigned, MgM2 takes the room m.
    const MgFeOrder noFe = orderOf(formulaOf({.Si = 2, .Mg = 1.2, .Ca = 0.8}));
    EXPECT_VALUE(noFe.FeM2, 0.0);
    EXPECT_VALUE(noFe.MgM2, 0.2);
    EXPECT_VALUE(noFe.FeM1, 0.0);
    EXPECT_VALUE(noFe.MgM1, 1.0);

    // No Mg: FeM2 takes the room, MgM1 is 0, so KD and LnKD are 0.
    const CationFormula f = formulaOf({.Si = 2, .Fe2 = 0.5, .Ca = 0.8});
    const MgFeOrder noMg = orderOf(f);
    EXPECT_VALUE(noMg.FeM2, 0.2);
    EXPECT_VALUE(noMg.MgM1, 0.0);
    const PartitioningQuantities p = ComputeReportedKD(f, AllocateSites(f), noMg);
    EXPECT_DOUBLE_EQ(p.KD.value(), 0.0);
    EXPECT_DOUBLE_EQ(p.LnKD.value(), 0.0);
}

TEST(MolarFractions, FromTheSiteAllocationOrTheModel) {
    // M1: Al 0.1, Mg 0.9; M2: Mg 0.3, Fe2+ 0.1, Ca 0.6, Na 0.1 (sum 1.1).
    const CationFormula f =
        formulaOf({.Si = 1.9, .Al = 0.2, .Fe2 = 0.1, .Mg = 1.2, .Ca = 0.6, .Na = 0.1});
    const SiteAllocation s = AllocateSites(f);
    const MgFeOrder o = ComputeMgFeOrder(f, s, PyroxeneKind::Cpx);

    Marks plain{};
    const MolarFractions x = ComputeMolarFractions(f, s, o, plain.options, PyroxeneKind::Cpx);
    const double s2 = s.M1_Fe2.value() + s.M1_Mg.value() + s.M1_Al.value();
    const double s3 = s.M2_Fe2.value() + s.M2_Mg.value() + 0.6 + 0.1;
    EXPECT_VALUE(x.S2, s2);
    EXPECT_VALUE(x.S3, s3);
    EXPECT_VALUE(x.XMgM1, s.M1_Mg.value() / s2);
    EXPECT_VALUE(x.XMgM2, s.M2_Mg.value() / s3);
    EXPECT_VALUE(x.XCaM2, 0.6 / s3);
    EXPECT_VALUE(x.XNaM2, 0.1 / s3);
    EXPECT_VALUE(x.XCaS, 0.6 / s3);
    EXPECT_VALUE(x.X3M1, (s.M1_Al.value() + s.M1_Fe2.value()) / s2);

    Marks model{Option::useMgFeOrder};
    const MolarFractions y = ComputeMolarFractions(f, s, o, model.options, PyroxeneKind::Cpx);
    const double s1 = (o.FeM1 + o.MgM1 + s.M1_Al).value();
    const double s4 = (o.FeM2 + o.MgM2 + o.CaM2 + o.NaM2).value();
    EXPECT_VALUE(y.S1, s1);
    EXPECT_VALUE(y.S4, s4);
    EXPECT_VALUE(y.XFe2M1, o.FeM1.value() / s1);
    EXPECT_VALUE(y.XMgM2, o.MgM2.value() / s4);
    EXPECT_VALUE(y.XCaM2, o.CaM2.value() / s4);
    EXPECT_VALUE(y.XNaM2, o.NaM2.value() / s4);
    EXPECT_EQ(y.X3M1.value(), x.X3M1.value());  // the same either way
    EXPECT_EQ(y.XCaS.value(), x.XCaS.value());

    // Activities: raw occupancies without the model, fractions with it.
    const Activities a = ComputeActivities(f, s, x, plain.options);
    EXPECT_VALUE(a.aEn, s.M1_Mg.value() * s.M2_Mg.value());
    EXPECT_VALUE(a.aEn, 0.9 * 0.3);  // occupancies, though the M2 site sums to 1.1
    EXPECT_VALUE(a.aDi, 0.9 * 0.6);
    EXPECT_VALUE(a.aJd, s.M1_Al.value() * 0.1);
    const Activities b = ComputeActivities(f, s, y, model.options);
    EXPECT_VALUE(b.aEn, y.XMgM1.value() * y.XMgM2.value());
    EXPECT_VALUE(b.aDi, y.XMgM1.value() * y.XCaS.value());
    EXPECT_VALUE(b.aHd, y.XFe2M1.value() * y.XCaM2.value());
    EXPECT_VALUE(b.aJd, s.M1_Al.value() * y.XNaM2.value());
}

TEST(MolarFractions, OpxGetsOnlyTheM2Quantities) {
    const CationFormula f = formulaOf({.Si = 2, .Fe2 = 0.4, .Mg = 1.55, .Ca = 0.04, .Na = 0.01});
    const SiteAllocation s = AllocateSites(f);
    const MgFeOrder o = ComputeMgFeOrder(f, s, PyroxeneKind::Opx);
    Marks plain{};
    const MolarFractions x = ComputeMolarFractions(f, s, o, plain.options, PyroxeneKind::Opx);
    // M2: Mg 0.55, Fe2+ 0.4, Ca 0.04, Na 0.01 = 1.
    EXPECT_VALUE(x.S3, 1.0);
    EXPECT_VALUE(x.XCaS, 0.04);
    EXPECT_VALUE(x.XNaM2, 0.01);
    EXPECT_TRUE(x.S4.hasValue());
    EXPECT_EQ(x.S1.value(), 0.0);
    EXPECT_EQ(x.X3M1.value(), 0.0);
    EXPECT_EQ(x.XMgM2.value(), 0.0);
}

TEST(ThermometerActivities, Diopside) {
    const CationFormula f = test::diopsideFormula();
    const ThermometerActivities t = ComputeThermometerActivities(f, AllocateSites(f));
    // M2s = 1 + 0.5 = 1.5.
    EXPECT_VALUE(t.aDi, 1.0 / 1.5);
    EXPECT_VALUE(t.aEn, (0.5 / 1.5) * (0.5 / 0.5));
}

TEST(MgFeOrder, BlankCationsStayBlank) {
    CationFormula f;
    for (Quantity& c : f.cations) c = Quantity::blank();
    const SiteAllocation s = AllocateSites(f);
    const MgFeOrder o = ComputeMgFeOrder(f, s, PyroxeneKind::Cpx);
    EXPECT_TRUE(o.KDmodel.isBlank());
    EXPECT_TRUE(o.FeM1.isBlank());
    EXPECT_TRUE(o.NaM2.isBlank());
    EXPECT_TRUE(ComputeReportedKD(f, s, o).LnKD.isBlank());
    Marks plain{};
    const MolarFractions x = ComputeMolarFractions(f, s, o, plain.options, PyroxeneKind::Cpx);
    EXPECT_TRUE(x.XMgM1.isBlank());
    EXPECT_TRUE(ComputeActivities(f, s, x, plain.options).aEn.isBlank());
    EXPECT_TRUE(ComputeThermometerActivities(f, s).aDi.isBlank());
}

}  // namespace
}  // namespace kalvoren
