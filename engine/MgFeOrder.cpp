#include "engine/MgFeOrder.h"

namespace kalvoren {

MgFeOrder ComputeMgFeOrder(const CationFormula& f, const SiteAllocation& s, PyroxeneKind kind) {
    MgFeOrder o;
    const Quantity fe = f.Fe2();
    const Quantity mg = f.Mg();
    o.C2 = f.Mn() + f.Ca() + f.Na() + f.K();
    o.R3 = f.Ti() + f.Fe3() + f.Cr() + s.M1_Al;
    o.m = 1.0 - o.C2;  // the room left in M2 for Fe2+ and Mg
    const Quantity m = o.m;
    // The model's base is the decimal 2.718282 as published, not e.
    o.KDmodel = pow(2.718282, 0.238 * o.R3 + 0.289 * o.C2 - 2.315);

    // (FeM1 * MgM2) / (FeM2 * MgM1) = KDmodel with FeM1 = Fe - FeM2, MgM2 = m - FeM2 and
    // MgM1 = Mg - MgM2 is a quadratic in FeM2; the + root is the physical one.
    const Quantity a = o.KDmodel - 1.0;
    const Quantity b = o.KDmodel * mg - o.KDmodel * m + fe + m;
    const Quantity c = -fe * m;
    const Quantity root = (-b + sqrt(b * b - 4.0 * a * c)) / (2.0 * a);

    // Later rules overwrite earlier ones; a case no rule covers leaves the occupancy 0.
    const bool feAndMg = fe > 0.0 && mg > 0.0 && m > 0.0;
    if (feAndMg) o.FeM2 = root;
    if (m <= 0.0) o.FeM2 = 0.0;
    if (fe > 0.0 && mg == 0.0) o.FeM2 = m;
    if (feAndMg) o.MgM2 = m - o.FeM2;
    if (m <= 0.0) o.MgM2 = 0.0;
    if (fe == 0.0 && mg > 0.0) o.MgM2 = m;
    if (o.MgM2 < 0.0) o.MgM2 = 0.0;

    // A full M2 (m <= 0) holds what the large cations other than Ca leave of its one site.
    o.CaM2 = m > 0.0 ? f.Ca() : 1.0 - f.Na() - f.K() - f.Mn();
    // Without Ca the Na site of the model is whatever Mn leaves of M2.
    o.NaM2 = f.Ca() > 0.0 ? f.Na() + f.K() : 1.0 - f.Mn();
    if (kind == PyroxeneKind::Cpx && o.NaM2 < 0.0) o.NaM2 = 0.0;

    o.FeM1 = clampedAtZero(fe - o.FeM2);
    o.MgM1 = clampedAtZero(mg - o.MgM2);
    return o;
}

PartitioningQuantities ComputeReportedKD(const CationFormula& f, const SiteAllocation& s,
                                         const MgFeOrder& o) {
    PartitioningQuantities p;
    p.R3plus = s.M1_Al + f.Fe3() + f.Cr() + f.Ti();
    p.CaDoublePrime = f.Ca() + f.Na() + f.Mn();
    const Quantity below = o.FeM2 * o.MgM1;
    const Quantity above = o.FeM1 * o.MgM2;
    p.KD = (below == 0.0 || above == 0.0) ? Quantity(0.0) : above / below;
    p.LnKD = p.KD == 0.0 ? Quantity(0.0) : ln(p.KD);
    return p;
}

MolarFractions ComputeMolarFractions(const CationFormula& f, const SiteAllocation& s,
                                     const MgFeOrder& o, const CalcOptions& options,
                                     PyroxeneKind kind) {
    MolarFractions x;
    const Quantity alVI = s.M1_Al;
    const bool model = options.useMgFeOrder();

    x.S3 = s.M2_Fe2 + s.M2_Mg + f.Ca() + f.Mn() + f.Na();
    x.S4 = o.FeM2 + o.MgM2 + o.CaM2 + f.Mn() + o.NaM2;
    x.XCaS = f.Ca() / (s.M2_Fe2 + s.M2_Mg + f.Ca() + f.Mn() + f.Na());
    x.XNaM2 = model ? o.NaM2 / x.S4 : s.M2_Na / x.S3;
    if (kind == PyroxeneKind::Opx) return x;

    // Fe3+, Cr and Ti enter the M1 sums whole, not only their M1 shares.
    x.S1 = o.FeM1 + o.MgM1 + alVI + f.Fe3() + f.Cr() + f.Ti();
    x.S2 = s.M1_Fe2 + s.M1_Mg + alVI + f.Fe3() + f.Cr() + f.Ti();
    x.X3M1 = (alVI + f.Ti() + f.Cr() + f.Fe3() + s.M1_Fe2) / x.S2;
    if (model) {
        x.XFe2M1 = o.FeM1 / x.S1;
        x.XMgM1 = o.MgM1 / x.S1;
        x.XFe2M2 = o.FeM2 / x.S4;
        x.XMgM2 = o.MgM2 / x.S4;
        x.XCaM2 = o.CaM2 / x.S4;
    } else {
        x.XFe2M1 = s.M1_Fe2 / x.S2;
        x.XMgM1 = s.M1_Mg / x.S2;
        x.XFe2M2 = s.M2_Fe2 / x.S3;
        x.XMgM2 = s.M2_Mg / x.S3;
        x.XCaM2 = s.M2_Ca / x.S3;
    }
    return x;
}

Activities ComputeActivities(const CationFormula& f, const SiteAllocation& s,
                             const MolarFractions& x, const CalcOptions& options) {
    Activities a;
    const Quantity alVI = s.M1_Al;
    if (options.useMgFeOrder()) {
        a.aEn = x.XMgM1 * x.XMgM2;
        a.aDi = x.XMgM1 * x.XCaS;  // the site-allocation Ca fraction, not the model's
        a.aFs = x.XFe2M1 * x.XFe2M2;
        a.aCaTs = x.XCaM2 * alVI;
        a.aMgTs = alVI * x.XMgM2;
        a.aHd = x.XFe2M1 * x.XCaM2;
        a.aJd = alVI * x.XNaM2;
    } else {
        // Products of the site occupancies themselves, in atoms per formula unit.
        a.aEn = s.M1_Mg * s.M2_Mg;
        a.aDi = s.M1_Mg * s.M2_Ca;
        a.aFs = s.M1_Fe2 * s.M2_Fe2;
        a.aCaTs = s.M2_Ca * alVI;
        a.aMgTs = alVI * s.M2_Mg;
        a.aHd = s.M1_Fe2 * s.M2_Ca;
        a.aJd = alVI * f.Na();
    }
    return a;
}

ThermometerActivities ComputeThermometerActivities(const CationFormula& f,
                                                   const SiteAllocation& s) {
    ThermometerActivities t;
    const Quantity m2 = f.Ca() + 0.5 * f.Mg() + 0.5 * f.Fe2() + f.Mn() + f.Na();
    t.aEn = (0.5 * f.Mg() / m2) *
            (0.5 * f.Mg() / (f.Fe3() + 0.5 * f.Fe2() + s.M1_Al + f.Ti() + f.Cr() + 0.5 * f.Mg()));
    t.aDi = f.Ca() / m2;
    return t;
}

}  // namespace kalvoren
