#include "engine/EndMembers.h"

#include <gtest/gtest.h>

#include "CationFixture.h"

namespace kalvoren {
namespace {

using test::formulaOf;

constexpr double kTol = 1e-10;

#define EXPECT_VALUE(q, v) EXPECT_NEAR((q).value(), (v), kTol) << #q

struct Marks {
    OptionMarks store;
    CalcOptions options{store};
    Marks(std::initializer_list<Option> marked) {
        for (Option o : marked) store.setMarked(o, true);
    }
};

TEST(EndMembers, Diopside) {
    const CationFormula f = test::diopsideFormula();
    const BasicEndMembers b = ComputeBasicEndMembers(f);
    EXPECT_VALUE(b.Q, 2.0);
    EXPECT_VALUE(b.J, 0.0);
    EXPECT_VALUE(b.Wo, 50.0);
    EXPECT_VALUE(b.En, 50.0);
    EXPECT_VALUE(b.Fs, 0.0);
    EXPECT_VALUE(b.CaPct, 50.0);
    EXPECT_VALUE(b.MgPct, 50.0);
    EXPECT_VALUE(b.FeMnPct, 0.0);

    const SiteAllocation s = AllocateSites(f);
    const EndMemberSets e = ComputeEndMemberSets(f, s);
    // Without Na and K: no Jd or Aeg, Q% 100.
    EXPECT_VALUE(e.qJdAeg.Q, 100.0);
    EXPECT_VALUE(e.qJdAeg.Jd, 0.0);
    EXPECT_VALUE(e.qJdAeg.Aeg, 0.0);
    EXPECT_VALUE(e.woHypJd.Wo, 50.0);
    EXPECT_VALUE(e.woHypJd.Hyp, 50.0);
    EXPECT_VALUE(e.woHypJd.Jd, 0.0);
    EXPECT_VALUE(e.augJdAeg.Aug, 100.0);
    EXPECT_VALUE(e.woEnFsFetot.Wo, 50.0);
    EXPECT_VALUE(e.woEnFsFetot.Fs, 0.0);
    // A = 0, T = t1 100 + t6 100 + t5 100, H = 0, D = d2 100 + d4 100.
    EXPECT_VALUE(e.acmJdTsHdDi.AcmJd, 0.0);
    EXPECT_VALUE(e.acmJdTsHdDi.Ts, 60.0);
    EXPECT_VALUE(e.acmJdTsHdDi.Hd, 0.0);
    EXPECT_VALUE(e.acmJdTsHdDi.Di, 40.0);
    // Wo = (Ca - 0) / 2, En = Mg / 2, sum 1.
    EXPECT_VALUE(e.jdAcmTs.Jd, 0.0);
    EXPECT_VALUE(e.jdAcmTs.Acm, 0.0);
    EXPECT_VALUE(e.jdAcmTs.Wo, 50.0);
    EXPECT_VALUE(e.jdAcmTs.En, 50.0);
    EXPECT_VALUE(e.caTsJdKJd.CaTs, 0.0);
    EXPECT_VALUE(e.caTsJdKJd.Di, 100.0);
    EXPECT_VALUE(e.caTsJdKJd.En, 0.0);

    const TschermakComponents t = ComputeTschermakComponents(f, s);
    EXPECT_VALUE(t.Jd, 0.0);
    EXPECT_VALUE(t.CaTs, 0.0);
    EXPECT_VALUE(t.CaTi, 0.0);
    EXPECT_VALUE(t.CrCaTs, 0.0);
    EXPECT_VALUE(t.DiHd, 1.0);
    EXPECT_VALUE(t.EnFs, 0.0);
    EXPECT_VALUE(t.En, 0.0);
    EXPECT_VALUE(t.Di, 1.0);
    EXPECT_VALUE(t.CaRest, 1.0);
}

// A sodic augite: Si fills T, so AlVI = Al = 0.15 and all Fe3+ 0.05 is in M1.
CationFormula sodicAugite() {
    return formulaOf(
        {.Si = 2, .Al = 0.15, .Fe3 = 0.05, .Fe2 = 0.2, .Mg = 0.8, .Ca = 0.8, .Na = 0.2});
}

TEST(EndMembers, SodicAugiteSets) {
    const CationFormula f = sodicAugite();
    const SiteAllocation s = AllocateSites(f);
    ASSERT_NEAR(s.M1_Al.value(), 0.15, kTol);
    const EndMemberSets e = ComputeEndMemberSets(f, s);

    // Q = 1.8, J = 0.4.
    EXPECT_VALUE(e.qJdAeg.Jd, 100.0 * (0.4 / 2.2) * 0.75);
    EXPECT_VALUE(e.qJdAeg.Aeg, 100.0 * (0.4 / 2.2) * 0.25);
    EXPECT_VALUE(e.qJdAeg.Q, 100.0 * 1.8 / 2.2);

    // Qa / 2 + X = 0.9 + 0.2.
    EXPECT_VALUE(e.augJdAeg.Jd, 15.0 / 1.1);
    EXPECT_VALUE(e.augJdAeg.Aeg, 5.0 / 1.1);
    EXPECT_VALUE(e.augJdAeg.Aug, 180.0 / 2.2);
    EXPECT_VALUE(e.augJdAeg.Aug + e.augJdAeg.Jd + e.augJdAeg.Aeg, 100.0);

    // S7 = 0.15 + 0.2 + 0 + 0.8 + 0.2 + 0 + 0.8 = 2.15.
    EXPECT_VALUE(e.woHypJd.Jd, 35.0 / 2.15);
    EXPECT_VALUE(e.woHypJd.Hyp, 100.0 / 2.15);
    EXPECT_VALUE(e.woHypJd.Wo, 80.0 / 2.15);

    // S5 = 0.8 + 0.8 + 0.2 + 0.05 = 1.85.
    EXPECT_VALUE(e.woEnFsFetot.Fs, 25.0 / 1.85);

    // A = 80; T = 80 + 0 + 15 + 15 + 0 + 15 + 80 + 80 = 285; H = 0 + 20 + 20 + 40 = 80;
    // D = 0 + 65 + 0 + 40 = 105; sum 550.
    EXPECT_VALUE(e.acmJdTsHdDi.AcmJd, 8000.0 / 550.0);
    EXPECT_VALUE(e.acmJdTsHdDi.Ts, 28500.0 / 550.0);
    EXPECT_VALUE(e.acmJdTsHdDi.Hd, 8000.0 / 550.0);
    EXPECT_VALUE(e.acmJdTsHdDi.Di, 10500.0 / 550.0);

    // NaK 0.2, Acm 0.05, CaFeTs 0.025, Wo 0.3875, En 0.4, Fs 0.1: sum 1.1625.
    EXPECT_VALUE(e.jdAcmTs.Jd, 20.0 / 1.1625);
    EXPECT_VALUE(e.jdAcmTs.Acm, 5.0 / 1.1625);
    EXPECT_VALUE(e.jdAcmTs.CaFeTs, 2.5 / 1.1625);
    EXPECT_VALUE(e.jdAcmTs.CaTiTs, 0.0);
    EXPECT_VALUE(e.jdAcmTs.CaTs, 0.0);
    EXPECT_VALUE(e.jdAcmTs.Wo, 38.75 / 1.1625);
    EXPECT_VALUE(e.jdAcmTs.En, 40.0 / 1.1625);
    EXPECT_VALUE(e.jdAcmTs.Fs, 10.0 / 1.1625);

    // CaTs 0, Jd 0.2, Di 2 x 0.8, En 0, Fs 0.2: sum 2.
    EXPECT_VALUE(e.caTsJdKJd.Jd, 10.0);
    EXPECT_VALUE(e.caTsJdKJd.Di, 80.0);
    EXPECT_VALUE(e.caTsJdKJd.Fs, 10.0);
    EXPECT_VALUE(e.caTsJdKJd.CaEs, 0.0);

    const TschermakComponents t = ComputeTschermakComponents(f, s);
    EXPECT_VALUE(t.Jd, 0.15);  // limited by AlVI
    EXPECT_VALUE(t.CaTs, 0.0);
    EXPECT_VALUE(t.DiHd, 0.8);
    EXPECT_VALUE(t.EnFs, 0.125);
    EXPECT_VALUE(t.En, 0.125 * 0.8 / 1.05);
    EXPECT_VALUE(t.CaRest, 0.8);
    EXPECT_VALUE(t.Di, 0.8 * 0.8 / 1.05);
}

TEST(EndMembers, EachRowStandsOnItsOwn) {
    // The Ts term must not carry anything over from an earlier analysis.
    const CationFormula f = sodicAugite();
    const SiteAllocation s = AllocateSites(f);
    const EndMemberSets first = ComputeEndMemberSets(f, s);
    const CationFormula other = formulaOf({.Si = 1.7, .Ti = 0.1, .Al = 0.5, .Mg = 0.9, .Ca = 0.9});
    (void)ComputeEndMemberSets(other, AllocateSites(other));
    const EndMemberSets again = ComputeEndMemberSets(f, s);
    EXPECT_EQ(first.acmJdTsHdDi.Ts.value(), again.acmJdTsHdDi.Ts.value());
}

TEST(EndMembers, ZeroTestsComeBeforeTheDivision) {
    // Nothing but Si: the tested quotients are 0, the untested ones blank.
    const CationFormula f = formulaOf({.Si = 2});
    const BasicEndMembers b = ComputeBasicEndMembers(f);
    EXPECT_VALUE(b.Wo, 0.0);
    EXPECT_VALUE(b.FeMnPct, 0.0);
    const EndMemberSets e = ComputeEndMemberSets(f, AllocateSites(f));
    EXPECT_VALUE(e.woHypJd.Jd, 0.0);
    EXPECT_TRUE(e.woHypJd.Hyp.isBlank());
    EXPECT_TRUE(e.qJdAeg.Q.isBlank());
    EXPECT_TRUE(e.augJdAeg.Jd.isBlank());
    EXPECT_TRUE(e.woEnFsFetot.Fs.isBlank());
}

// ---- Lindsley projection -----------------------------------------------------------

// Cpx: Na 0.1 and Fe3+ 0.05 give Acm 0.05, NaR 0.05, FeR 0; AlVI 0.1 gives JdL 0.05 and
// AlR 0.05; XFe = 0.2. Opx: Si 2 puts all Al in M1, so F = 0 and Fe' = Fe2+.
struct Pair {
    CationFormula cpx =
        formulaOf({.Si = 2, .Al = 0.1, .Fe3 = 0.05, .Fe2 = 0.2, .Mg = 0.8, .Ca = 0.8, .Na = 0.1});
    CationFormula opx = formulaOf({.Si = 2, .Al = 0.1, .Fe2 = 0.35, .Mg = 1.6, .Ca = 0.05});
    SiteAllocation cpxSites = AllocateSites(cpx);
    SiteAllocation opxSites = AllocateSites(opx);
    BasicEndMembers basic = ComputeBasicEndMembers(cpx);
    EndMemberSets sets = ComputeEndMemberSets(cpx, cpxSites);

    LindsleyProjection project(std::initializer_list<Option> marks) const {
        Marks m(marks);
        return ComputeLindsleyProjection(cpx, cpxSites, basic, sets, opx, opxSites, m.options);
    }
};

TEST(LindsleyProjection, AugiteAndPigeonite) {
    const Pair p;
    // Wo = (0.8 + 0.05 - 0.05 - 0 - 0) / 2 = 0.4.
    const LindsleyProjection aug = p.project({Option::lindsleyAugite});
    EXPECT_VALUE(aug.cpxWo, 40.0);
    EXPECT_VALUE(aug.cpxEn, 48.0);
    EXPECT_VALUE(aug.cpxFs, 12.0);
    // Ca replaced by 2 - (Fe2+ + Mg) = 1: Wo = 0.5.
    const LindsleyProjection pig = p.project({Option::lindsleyAugite, Option::lindsleyPigeonite});
    EXPECT_VALUE(pig.cpxWo, 50.0);
    EXPECT_VALUE(pig.cpxEn, 40.0);
    EXPECT_VALUE(pig.cpxFs, 10.0);
}

TEST(LindsleyProjection, LastMarkedOptionDecides) {
    const Pair p;
    const LindsleyProjection fe2 = p.project({Option::lindsleyAugite, Option::woEnFsFe2});
    EXPECT_EQ(fe2.cpxWo.value(), p.basic.Wo.value());
    EXPECT_EQ(fe2.cpxFs.value(), p.basic.Fs.value());
    const LindsleyProjection fetot =
        p.project({Option::lindsleyPigeonite, Option::woEnFsFe2, Option::woEnFsFetotMn});
    EXPECT_EQ(fetot.cpxWo.value(), p.sets.woEnFsFetot.Wo.value());
    EXPECT_EQ(fetot.cpxEn.value(), p.sets.woEnFsFetot.En.value());
    EXPECT_EQ(fetot.cpxFs.value(), p.sets.woEnFsFetot.Fs.value());
    // No projection marked: the Cpx side stays unset.
    const LindsleyProjection none = p.project({});
    EXPECT_EQ(none.cpxWo.value(), 0.0);
    EXPECT_VALUE(none.opxWo, 2.5);
}

TEST(LindsleyProjection, OpxSide) {
    const Pair p;
    // F = 0: Ca + Fe' + Mg = 0.05 + 0.35 + 1.6 = 2.
    const LindsleyProjection a = p.project({Option::lindsleyAugite});
    EXPECT_VALUE(a.opxWo, 2.5);
    EXPECT_VALUE(a.opxFs, 17.5);
    EXPECT_VALUE(a.opxEn, 80.0);

    // AlIV 0.1 + Na 0.02 over nothing trivalent in M1: F = 0.12, Fe' = 0.23.
    Pair q;
    q.opx = formulaOf({.Si = 1.9, .Al = 0.1, .Fe2 = 0.35, .Mg = 1.6, .Ca = 0.05, .Na = 0.02});
    q.opxSites = AllocateSites(q.opx);
    const LindsleyProjection b = q.project({Option::lindsleyAugite});
    EXPECT_VALUE(b.opxFs, 23.0 / 1.88);
    EXPECT_VALUE(b.opxWo, 5.0 / 1.88);
    EXPECT_VALUE(b.opxEn, 160.0 / 1.88);
}

TEST(LindsleyProjection, NoFerrousOrMagnesianIronIsBlank) {
    Pair p;
    p.cpx = formulaOf({.Si = 2, .Ca = 1, .Na = 0.1});
    p.cpxSites = AllocateSites(p.cpx);
    const LindsleyProjection a = p.project({Option::lindsleyAugite});
    EXPECT_TRUE(a.cpxEn.isBlank());
    EXPECT_TRUE(a.cpxFs.isBlank());
}

TEST(OpxComponents, FromTheOpxSites) {
    // AlIV 0.1 and AlVI 0.1.
    const CationFormula opx = formulaOf({.Si = 1.9,
                                         .Ti = 0.01,
                                         .Al = 0.2,
                                         .Cr = 0.01,
                                         .Fe3 = 0.02,
                                         .Fe2 = 0.3,
                                         .Mn = 0.01,
                                         .Mg = 1.5,
                                         .Ca = 0.05,
                                         .Na = 0.02});
    const OpxComponents c = ComputeOpxComponents(opx, AllocateSites(opx));
    EXPECT_VALUE(c.NaAlSi2O6, 0.02);
    EXPECT_VALUE(c.FmTiAlSiO6, 0.01);
    EXPECT_VALUE(c.CrAl2SiO6, 0.01);
    EXPECT_VALUE(c.FmAl2SiO6, 0.07);
    EXPECT_VALUE(c.CaFmSi2O6, 0.05);
    // (0.3 + 0.02 + 1.5 + 0.01 - 0.01 - 0.07 - 0.05) / 2.
    EXPECT_VALUE(c.Fm2Si2O6, 0.85);
    EXPECT_VALUE(c.En, 0.85 * 1.5 / 1.83);
    EXPECT_VALUE(c.Di, 0.05 * 1.5 / 1.83);

    // Less AlVI than Na + Cr: no FmAl2SiO6.
    const CationFormula poor =
        formulaOf({.Si = 2, .Cr = 0.01, .Fe2 = 0.3, .Mg = 1.6, .Ca = 0.05, .Na = 0.02});
    EXPECT_VALUE(ComputeOpxComponents(poor, AllocateSites(poor)).FmAl2SiO6, 0.0);
}

}  // namespace
}  // namespace kalvoren
