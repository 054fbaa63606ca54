#include "engine/EndMembers.h"

namespace kalvoren {

namespace {

// a / b, or 0 when `zeroTest` is 0; the test comes first, so a zero numerator never
// meets a zero divisor.
Quantity ratioOr0(Quantity a, Quantity b, Quantity zeroTest) {
    if (zeroTest == 0.0) return 0.0;
    return a / b;
}

}  // namespace

BasicEndMembers ComputeBasicEndMembers(const CationFormula& f) {
    BasicEndMembers e;
    e.Q = f.Ca() + f.Mg() + f.Fe2();
    e.J = 2.0 * f.Na();

    const Quantity s3 = f.Ca() + f.Mg() + f.Fe2();
    e.Wo = ratioOr0(100.0 * f.Ca(), s3, f.Ca());
    e.En = ratioOr0(100.0 * f.Mg(), s3, f.Mg());
    e.Fs = ratioOr0(100.0 * f.Fe2(), s3, f.Fe2());

    const Quantity feMn = f.Fe2() + f.Fe3() + f.Mn();
    const Quantity s5 = f.Ca() + f.Mg() + f.Fe2() + f.Fe3() + f.Mn();
    e.CaPct = ratioOr0(100.0 * f.Ca(), s5, f.Ca());
    e.MgPct = ratioOr0(100.0 * f.Mg(), s5, f.Mg());
    e.FeMnPct = ratioOr0(100.0 * feMn, s5, feMn);
    return e;
}

namespace {

EndMemberSets::AcmJdTsHdDi acmJdTsHdDi(const CationFormula& f, Quantity alVI) {
    // Cation counts per 100 formula units, in the order of the scheme.
    const Quantity a1 = 100.0 * f.Na(), a2 = 100.0 * f.K(), a3 = 100.0 * f.Na(), a4 = 100.0 * f.K();
    const Quantity a5 = a1 + a2 + a3 + a4;
    const Quantity A = a1 + a2 + a3 + a4 + a5;

    const Quantity t1 = clampedAtZero(100.0 * f.Ca() - 100.0 * (1.0 - (f.Ca() + f.Na() + f.K())));
    const Quantity t2 = clampedAtZero(100.0 * (1.0 - (f.Ca() + f.Na() + f.K())));
    const Quantity t3 = 100.0 * f.Ti();
    const Quantity t4 = clampedAtZero(100.0 * (alVI - a4));
    const Quantity t5 = 100.0 * f.Ca();
    const Quantity t6 = t5;
    const Quantity t7 = t3 + t4;
    // Each row stands on its own: nothing of an earlier row is subtracted here.
    const Quantity t8 = clampedAtZero(t7);
    const Quantity T = t1 + t2 + t7 + t8 + t3 + t4 + t6 + t5;

    const Quantity h1 = 100.0 * f.Mn(), h2 = 100.0 * f.Fe2();
    const Quantity h3 = h1 + h2;
    const Quantity h4 = h3 + h2 + h1;
    const Quantity H = h1 + h2 + h3 + h4;

    const Quantity d1 = clampedAtZero(100.0 * f.Ca() - (t1 + h3));
    const Quantity d2 = clampedAtZero(100.0 * f.Mg() - (t2 + t7));
    const Quantity d3 = 100.0 * f.Cr();
    const Quantity d4 = clampedAtZero(100.0 * f.Si() - (a5 + t6 + h4));
    const Quantity D = d1 + d2 + d3 + d4;

    const Quantity sum = A + T + H + D;
    return {100.0 * A / sum, 100.0 * T / sum, 100.0 * H / sum, 100.0 * D / sum};
}

EndMemberSets::JdAcmTs jdAcmTs(const CationFormula& f) {
    const Quantity naK = f.Na() + f.K();
    const Quantity alR = clampedAtZero(f.Al() - naK);
    const Quantity acm = naK > f.Al() ? naK - f.Al() : Quantity(0.0);
    const Quantity caFeTs = (f.Fe3() + f.Cr()) / 2.0;
    const Quantity caR = clampedAtZero(f.Ca() - caFeTs);
    const Quantity caTiTs = f.Ti();
    const Quantity caR2 = clampedAtZero(caR - f.Ti());
    const Quantity caTs = clampedAtZero(alR / 2.0 - f.Ti());
    const Quantity w = caR2 - caTs;
    const Quantity wo = clampedAtZero(w / 2.0);
    const Quantity en = f.Mg() / 2.0;
    const Quantity fs = (f.Fe2() + f.Ni()) / 2.0;
    const Quantity sum = naK + acm + caFeTs + caTiTs + caTs + wo + en + fs;
    const auto pct = [&](Quantity x) { return 100.0 * x / sum; };
    return {pct(naK), pct(acm), pct(caFeTs), pct(caTiTs), pct(caTs), pct(wo), pct(en), pct(fs)};
}

EndMemberSets::CaTsJdKJd caTsJdKJd(const CationFormula& f, Quantity alIV, Quantity alVI) {
    const Quantity caTs = alIV, jd = f.Na(), kJd = f.K();
    const Quantity r1 = clampedAtZero(alVI - alIV);
    const Quantity r2 = f.Ca() - alIV;
    const Quantity r3 = clampedAtZero(r1 - (f.Na() + f.K()));
    const Quantity caEs = r3 / 2.0;
    const Quantity r4 = clampedAtZero(r2 - caEs);
    const Quantity di = 2.0 * r4;
    const Quantity en = clampedAtZero(f.Mg() - r4);
    const Quantity fs = f.Fe2() + f.Mn();
    const Quantity sum = caTs + jd + kJd + caEs + di + en + fs;
    const auto pct = [&](Quantity x) { return 100.0 * x / sum; };
    return {pct(caTs), pct(jd), pct(kJd), pct(caEs), pct(di), pct(en), pct(fs)};
}

}  // namespace

EndMemberSets ComputeEndMemberSets(const CationFormula& f, const SiteAllocation& s) {
    EndMemberSets e;
    const Quantity alIV = s.T_Al;
    const Quantity alVI = s.M1_Al;
    const Quantity q = f.Ca() + f.Mg() + f.Fe2();
    const Quantity j = 2.0 * f.Na();

    const Quantity naShare = j / (q + j);
    e.qJdAeg.Jd = alVI == 0.0 ? Quantity(0.0) : 100.0 * naShare * (alVI / (f.Fe3() + alVI));
    e.qJdAeg.Aeg = f.Fe3() == 0.0 ? Quantity(0.0) : 100.0 * naShare * (f.Fe3() / (f.Fe3() + alVI));
    e.qJdAeg.Q = 100.0 * ((f.Fe2() + f.Mg() + f.Ca()) / (j + f.Fe2() + f.Mg() + f.Ca()));

    const Quantity jdCations = alVI + f.Na() + f.Cr();
    const Quantity s7 = alVI + f.Na() + f.Cr() + f.Mg() + f.Fe2() + f.Mn() + f.Ca();
    e.woHypJd.Jd = ratioOr0(100.0 * jdCations, s7, jdCations);
    e.woHypJd.Hyp = 100.0 * (f.Mg() + f.Fe2() + f.Mn()) / s7;
    e.woHypJd.Wo = ratioOr0(100.0 * f.Ca(), s7, f.Ca());

    const Quantity qa = f.Fe2() + f.Mg() + f.Ca();
    const Quantity x = alVI + f.Fe3();
    e.augJdAeg.Jd = 100.0 * alVI / (qa / 2.0 + x);
    e.augJdAeg.Aeg = 100.0 * f.Fe3() / (qa / 2.0 + x);
    e.augJdAeg.Aug = 100.0 * qa / (qa + 2.0 * x);

    const Quantity s5 = f.Ca() + f.Mg() + f.Fe2() + f.Fe3() + f.Mn();
    e.woEnFsFetot.Wo = ratioOr0(100.0 * f.Ca(), s5, f.Ca());
    e.woEnFsFetot.En = ratioOr0(100.0 * f.Mg(), s5, f.Mg());
    e.woEnFsFetot.Fs = 100.0 * (f.Fe2() + f.Fe3() + f.Mn()) / s5;

    e.acmJdTsHdDi = acmJdTsHdDi(f, alVI);
    e.jdAcmTs = jdAcmTs(f);
    e.caTsJdKJd = caTsJdKJd(f, alIV, alVI);
    return e;
}

TschermakComponents ComputeTschermakComponents(const CationFormula& f, const SiteAllocation& s) {
    TschermakComponents c;
    const Quantity alIV = s.T_Al;
    const Quantity alVI = s.M1_Al;
    const Quantity naM2 = s.M2_Na;

    c.Jd = naM2 < alVI ? naM2 : alVI;
    c.CaTs = alVI > naM2 ? alVI - naM2 : Quantity(0.0);
    c.CaTi = alIV > c.CaTs ? (alIV - c.CaTs) / 2.0 : Quantity(0.0);
    c.CrCaTs = f.Cr() / 2.0;
    const Quantity diHd = f.Ca() - c.CaTi - c.CaTs - c.CrCaTs;
    c.DiHd = diHd > 0.0 ? diHd : Quantity(0.0);
    c.EnFs = clampedAtZero(((f.Fe2() + f.Fe3() + f.Mg()) - c.DiHd) / 2.0);
    const Quantity mgShare = f.Mg() / (f.Mg() + f.Mn() + f.Fe2() + f.Fe3());
    c.En = clampedAtZero(c.EnFs * mgShare);
    c.CaRest = clampedAtZero(f.Ca() - c.CaTs - c.CaTi - c.CrCaTs);
    c.Di = clampedAtZero(c.CaRest * mgShare);
    return c;
}

LindsleyProjection ComputeLindsleyProjection(const CationFormula& cpx,
                                             const SiteAllocation& cpxSites,
                                             const BasicEndMembers& cpxBasic,
                                             const EndMemberSets& cpxSets, const CationFormula& opx,
                                             const SiteAllocation& opxSites,
                                             const CalcOptions& options) {
    LindsleyProjection p;

    // Cpx: Na and Fe3+ pair up as acmite first; what is left of Na takes AlVI as jadeite.
    const Quantity acm = cpx.Na() < cpx.Fe3() ? cpx.Na() : cpx.Fe3();
    const Quantity naR = clampedAtZero(cpx.Na() - acm);
    const Quantity feR = clampedAtZero(cpx.Fe3() - acm);
    const Quantity alVI = cpxSites.M1_Al;
    const Quantity jdL = alVI < naR ? alVI : naR;
    const Quantity alR = clampedAtZero(alVI - jdL);
    const Quantity xFe = cpx.Fe2() / (cpx.Fe2() + cpx.Mg());
    const auto project = [&](Quantity ca) {
        const Quantity wo = (ca + acm - alR - feR - cpx.Cr()) / 2.0;
        p.cpxWo = 100.0 * wo;
        p.cpxEn = 100.0 * ((1.0 - wo) * (1.0 - xFe));
        p.cpxFs = 100.0 * ((1.0 - wo) * xFe);
    };
    // With several marks the last that applies decides.
    if (options.lindsleyAugite()) project(cpx.Ca());
    if (options.lindsleyPigeonite()) project(2.0 - (cpx.Fe2() + cpx.Mg()));
    if (options.woEnFsFe2()) {
        p.cpxWo = cpxBasic.Wo;
        p.cpxEn = cpxBasic.En;
        p.cpxFs = cpxBasic.Fs;
    }
    if (options.woEnFsFetotMn()) {
        p.cpxWo = cpxSets.woEnFsFetot.Wo;
        p.cpxEn = cpxSets.woEnFsFetot.En;
        p.cpxFs = cpxSets.woEnFsFetot.Fs;
    }

    // Opx: the Fe2+ balancing the excess of AlIV + Na over the trivalent M1 cations is
    // taken out before projecting.
    const Quantity f = clampedAtZero((opxSites.T_Al + opxSites.M2_Na) -
                                     (opxSites.M1_Al + opxSites.M1_Cr + 2.0 * opxSites.M1_Ti));
    const Quantity fe = opx.Fe2() - f;
    const Quantity sum = opx.Ca() + fe + opx.Mg();
    p.opxWo = 100.0 * opx.Ca() / sum;
    p.opxFs = 100.0 * fe / sum;
    p.opxEn = 100.0 * opx.Mg() / sum;
    return p;
}

OpxComponents ComputeOpxComponents(const CationFormula& opx, const SiteAllocation& opxSites) {
    OpxComponents c;
    c.NaAlSi2O6 = opx.Na();
    c.FmTiAlSiO6 = opx.Ti();
    c.CrAl2SiO6 = opx.Cr();
    const Quantity fmAl = opxSites.M1_Al - opx.Na() - opx.Cr();
    c.FmAl2SiO6 = fmAl < 0.0 ? Quantity(0.0) : fmAl;
    c.CaFmSi2O6 = opx.Ca();
    c.Fm2Si2O6 = clampedAtZero(
        (opx.Fe2() + opx.Fe3() + opx.Mg() + opx.Mn() - c.FmTiAlSiO6 - c.FmAl2SiO6 - c.CaFmSi2O6) /
        2.0);
    const Quantity mgShare = opx.Mg() / (opx.Mg() + opx.Fe2() + opx.Fe3() + opx.Mn());
    c.En = c.Fm2Si2O6 * mgShare;
    c.Di = c.CaFmSi2O6 * mgShare;
    return c;
}

}  // namespace kalvoren
