#include "classification/CpxThermobarometry.h"

#include <array>
#include <cmath>
#include <initializer_list>

#include "engine/OxideKind.h"

namespace kalvoren {

namespace {

constexpr double kKelvin = 273.15;

// The corrected barometers are solved for their own pressure; these bound the search.
constexpr double kPressureTolerance = 1e-6;  // kbar
constexpr int kMaxCorrectionRounds = 100;

// Cell and M1-polyhedron volumes, linear in the order-disorder occupancies with a
// quadratic term for each of FeM2 and MgM2.
struct VolumeCoefficients {
    double FeM2sq, FeM2, Mn, MgM2sq, MgM2, CaM2, NaM2, Ti, AlVI, Fe3, FeM1, Cr, AlIV;
};
constexpr VolumeCoefficients kVcell{-12.741, 432.56,  428.03, -28.652, 431.72,  439.97, 419.68,
                                    11.794,  -18.375, 9.107,  11.864,  -1.4925, 0.0};
constexpr VolumeCoefficients kVM1{1.1661,  11.885, 12.038,   2.4335, 11.432,  11.931,  11.288,
                                  -1.0864, -2.029, -0.41726, 0.813,  -0.8001, -0.30853};

Quantity volume(const VolumeCoefficients& c, const PyroxeneCalculation& cpx) {
    const MgFeOrder& o = cpx.order;
    const CationFormula& f = cpx.formula;
    Quantity v = c.FeM2sq * square(o.FeM2) + c.FeM2 * o.FeM2 + c.Mn * f.Mn() +
                 c.MgM2sq * square(o.MgM2) + c.MgM2 * o.MgM2 + c.CaM2 * o.CaM2 + c.NaM2 * o.NaM2 +
                 c.Ti * f.Ti() + c.AlVI * cpx.sites.M1_Al + c.Fe3 * f.Fe3() + c.FeM1 * o.FeM1 +
                 c.Cr * f.Cr();
    // Vcell has no AlIV term; skipping it keeps a blank T_Al from reaching Vcell.
    if (c.AlIV != 0.0) v += c.AlIV * cpx.sites.T_Al;
    return v;
}

// Expansion coefficients of the six end-members, in the order Di, En, Hd, TsAll, JdAe, Fs.
struct ExpansionRow {
    double Di, En, Hd, TsAll, JdAe, Fs;
};
constexpr ExpansionRow kA1{-8.72e-07, -7.49e-07, -9.93e-07, -8.7e-07, -8.6e-07, -8.7e-07};
constexpr ExpansionRow kA2{1.707e-12, 4.47e-13, 1.4835e-12, 2.171e-12, 2.149e-12, 2.235e-13};
constexpr ExpansionRow kB1{2.7795e-05, 2.4656e-05, 3.1371e-05, 2.225e-05, 2.3118e-05, 2.8232e-05};
constexpr ExpansionRow kB2{8.3082e-09, 7.467e-09, 8.3672e-09, 5.2863e-09, 2.5785e-09, 7.526e-09};

// The end-member split of the clinopyroxene used to weight the expansion coefficients.
struct CorrectionEndMembers {
    Quantity XFe, Di, En, Hd, TsAll, JdAe, Fs;
};

CorrectionEndMembers correctionEndMembers(const PyroxeneCalculation& cpx) {
    const MgFeOrder& o = cpx.order;
    const CationFormula& f = cpx.formula;
    const Quantity AlVI = cpx.sites.M1_Al;

    CorrectionEndMembers e;
    e.XFe = (o.FeM2 + o.FeM1 + f.Mn()) / (o.FeM2 + o.FeM1 + f.Mn() + o.MgM2 + o.MgM1);
    // Aegirine takes the smaller of NaM2 and Fe3+ (NaM2 when they are equal).
    const Quantity Ae = f.Fe3() < o.NaM2 ? f.Fe3() : o.NaM2;
    const Quantity Na1 = o.NaM2 - Ae;
    const Quantity Fe1 = f.Fe3() - Ae;
    const Quantity Jd = AlVI < Na1 ? AlVI : Na1;
    const Quantity Al1 = AlVI - Jd;
    const Quantity Ts = Al1 + f.Cr() + 2.0 * f.Ti();
    const Quantity CaLeft = o.CaM2 - Ts - Fe1;
    e.Di = CaLeft * (1.0 - e.XFe);
    e.Hd = CaLeft * e.XFe;
    const Quantity rest = 1.0 - Ae - Jd - Fe1 - Ts - e.Di - e.Hd;
    e.En = rest * (1.0 - e.XFe);
    e.Fs = rest * e.XFe;
    e.JdAe = Jd + Ae;
    e.TsAll = Ts + Fe1;
    return e;
}

Quantity weighted(const ExpansionRow& c, const CorrectionEndMembers& e) {
    return c.Di * e.Di + c.En * e.En + c.Hd * e.Hd + c.TsAll * e.TsAll + c.JdAe * e.JdAe +
           c.Fs * e.Fs;
}

// A barometer on the corrected volumes: constant - v * Vcell - m * VM1 - x * (1 - XFe).
struct CorrectedBarometer {
    double constant, vcell, vm1, xMg;
};
constexpr CorrectedBarometer kBH{654.472, 1.186, 9.14, 0.0};
constexpr CorrectedBarometer kTH{537.003, 1.017, 5.663, 2.722};
constexpr CorrectedBarometer kMA{621.151, 1.22, 4.62, 7.773};

// The volume correction with its pressure-free parts worked out once: each barometer
// evaluates it in every round of its fixed-point search. The rounds work in plain
// doubles: they make the same operations in the same order as Quantity arithmetic, so
// a finite result is the same to the last bit, and a blank operand, a zero divisor or an
// overflow anywhere leaves the result non-finite, which the caller turns into blank.
struct VolumeCorrection {
    double Vcell, VM1;
    double a1, a2;       // the pressure terms of the cell expansion
    double b1dT, b2dT2;  // its temperature terms
    double twoK, dVT;    // the M1 compression and thermal expansion

    VolumeCorrection(Quantity cell, Quantity m1, const VolumeCorrectionTerms& t)
        : Vcell(cell.value()),
          VM1(m1.value()),
          a1(t.a1.value()),
          a2(t.a2.value()),
          b1dT((t.b1 * t.dT).value()),
          b2dT2((t.b2 * square(t.dT)).value()),
          twoK((2.0 * t.K).value()),
          dVT(t.dVT.value()) {}

    // Vcell and VM1 at the pressure Pc (kbar); non-finite where blank.
    void at(double Pc, double& vcell, double& vm1) const {
        // The expansion polynomial is in bar and ignores negative pressures.
        const double Pbar = Pc > 0.0 ? 1000.0 * Pc : 0.0;
        vcell = Vcell * (1.0 + a1 * Pbar + a2 * (Pbar * Pbar) + b1dT + b2dT2);
        vm1 = VM1 + VM1 * ((twoK - Pc) / (twoK + Pc) - 1.0) + dVT;
    }
};

struct SolvedPressure {
    Quantity P;
    CorrectedVolumes volumes;
};

// The barometers at their own pressures: the volumes are corrected to the pressure each
// gives, found by repeating the evaluation from Pc = 0 until it stops changing. The
// searches run side by side, a round of each in turn: every round waits on the one
// before it (a division among others), and independent searches fill those waits.
template <std::size_t N>
std::array<SolvedPressure, N> solveCorrected(const std::array<CorrectedBarometer, N>& barometers,
                                             const VolumeCorrection& correction, Quantity XFe) {
    struct Search {
        double composition = 0.0;
        double Pc = 0.0;
        double vcell = 0.0;
        double vm1 = 0.0;
        bool open = true;
    };
    std::array<Search, N> searches{};
    for (std::size_t i = 0; i < N; ++i) {
        const CorrectedBarometer& b = barometers[i];
        // PNU98-BH has no composition term, so a blank XFe must not reach it.
        if (b.xMg != 0.0) searches[i].composition = (b.xMg * (1.0 - XFe)).value();
    }
    std::array<SolvedPressure, N> solved{};
    std::size_t open = N;
    for (int round = 0; round < kMaxCorrectionRounds && open > 0; ++round) {
        for (std::size_t i = 0; i < N; ++i) {
            Search& s = searches[i];
            if (!s.open) continue;
            const CorrectedBarometer& b = barometers[i];
            correction.at(s.Pc, s.vcell, s.vm1);
            double P = b.constant - b.vcell * s.vcell - b.vm1 * s.vm1;
            if (b.xMg != 0.0) P -= s.composition;
            const bool blank = !std::isfinite(P);
            if (blank || std::fabs(P - s.Pc) < kPressureTolerance) {
                solved[i] = {blank ? Quantity::blank() : Quantity(P), {s.vcell, s.vm1}};
                s.open = false;
                --open;
            } else {
                s.Pc = P;
            }
        }
    }
    // No fixed point within the rounds allowed: blank, with the last round's volumes.
    for (std::size_t i = 0; i < N; ++i) {
        if (searches[i].open) solved[i] = {Quantity::blank(), {searches[i].vcell, searches[i].vm1}};
    }
    return solved;
}

Quantity chromiumNumber(const CationFormula& f) {
    return f.Cr() / (f.Cr() + f.Al());
}

// Enstatite activity of Nimis and Taylor (2000).
Quantity enstatiteActivityNT(const CationFormula& f) {
    return (1.0 - f.Ca() - f.Na() - f.K()) * (1.0 - 0.5 * (f.Al() + f.Cr() + f.Na() + f.K()));
}

CpxPressures chemistryPressures(const PyroxeneCalculation& cpx, Quantity TK) {
    const CationFormula& f = cpx.formula;
    const Quantity crNo = chromiumNumber(f);
    const Quantity aCrCaTs = f.Cr() - 0.81 * crNo * (f.Na() + f.K());
    const Quantity caRest = cpx.tschermak.CaRest;
    const Quantity enFs = cpx.tschermak.EnFs;

    CpxPressures p;
    p.PNT00 = -(TK / 126.9) * ln(aCrCaTs) + 15.483 * ln(crNo / TK) + TK / 71.38 + 107.8;
    p.PP08Eq32a = 3205.0 - 5.62 * f.Mg() + 83.2 * f.Na() + 68.2 * caRest +
                  2.52 * ln(cpx.sites.M1_Al) - 51.1 * square(caRest) + 34.8 * square(enFs) +
                  0.384 * TK - 518.0 * ln(TK);
    return p;
}

CpxTemperatures temperatures(const PyroxeneCalculation& cpx, Quantity P) {
    const CationFormula& f = cpx.formula;
    const PartitioningQuantities& k = cpx.partitioning;
    const Quantity XCaS = cpx.fractions.XCaS;
    const Quantity lnaEn = ln(enstatiteActivityNT(f));
    const Quantity tschermak = f.Al() + f.Cr() - f.Na() - f.K();

    CpxTemperatures t;
    t.TBM8586 =
        (33696.0 + 45.45 * P) / (17.61 - 8.314 * ln((1.0 - XCaS) / 0.95) - 12.13 * square(XCaS)) -
        kKelvin;
    t.TDN82 = 1000.0 * (5.465 * k.R3plus + 7.324 * k.CaDoublePrime - 3.039) /
                  (-k.LnKD + 4.032 * k.R3plus + 5.383 * k.CaDoublePrime - 3.767) -
              kKelvin;
    t.TMZ91 = 4449.5 / (-k.LnKD + 1.75) - kKelvin;
    t.TNT00 = (23166.0 + 39.28 * P) / (13.25 + 15.35 * f.Ti() + 4.5 * (f.Fe2() + f.Fe3()) -
                                       1.55 * tschermak + square(lnaEn)) -
              kKelvin;
    t.TP08Eq32d = (93100.0 + 544.0 * P) / (61.1 + 36.6 * f.Ti() + 10.9 * f.Fe2() -
                                           0.95 * tschermak + 0.395 * square(lnaEn)) -
                  kKelvin;
    return t;
}

void blankAll(CpxPressures& p) {
    for (Quantity* q :
         {&p.PN95BS, &p.PNU98BA, &p.PNU98BH, &p.PN99TH, &p.PN99MA, &p.PNT00, &p.PP08Eq32a})
        *q = Quantity::blank();
}

void blankAll(CpxTemperatures& t) {
    for (Quantity* q : {&t.TBM8586, &t.TNT00, &t.TP08Eq32d, &t.TDN82, &t.TMZ91})
        *q = Quantity::blank();
}

// PNU98-BA and PNU98-BH hold for Mg-rich Ca-Mg-Fe pyroxenes of moderate Al, and for
// any analysis with at most 18 wt% Al2O3.
bool nimisUlmerApplies(const RowInput& input, const PyroxeneCalculation& cpx,
                       const PyroxeneClass& cls) {
    const CationFormula& f = cpx.formula;
    const Quantity Al2O3 = input.cpx[OxideKind::Al2O3];
    const Quantity SiO2 = input.cpx[OxideKind::SiO2];
    const bool magnesian = cls.isCaMgFe() && f.Mg() / (f.Mg() + f.Fe2()) > 0.7 &&
                           f.Ca() + f.Na() > 0.5 && Al2O3 / SiO2 < 0.375;
    return magnesian || Al2O3 <= 18.0;
}

void applyVolumeRanges(CellVolumes& v) {
    v.VM1 = keptWithin(v.VM1, 11.2, 12.2);
    v.Vcell = keptWithin(v.Vcell, 425.0, 445.0);
    v.VM1CorrBH = keptWithin(v.VM1CorrBH, 11.6, 12.8);
    v.VcellCorrBH = keptWithin(v.VcellCorrBH, 438.0, 460.0);
    v.VM1CorrMA = keptWithin(v.VM1CorrMA, 11.6, 13.0);
    v.VcellCorrMA = keptWithin(v.VcellCorrMA, 438.0, 460.0);
    v.VM1CorrTH = keptWithin(v.VM1CorrTH, 11.6, 13.0);
    v.VcellCorrTH = keptWithin(v.VcellCorrTH, 438.0, 460.0);
    // The copies follow the first test, so they can only narrow it.
    v.VM1Range = keptWithin(v.VM1, 11.2, 12.6);
    v.VcellRange = keptWithin(v.Vcell, 424.0, 444.0);
}

}  // namespace

VolumeCorrectionTerms volumeCorrectionTerms(const PyroxeneCalculation& cpx, Quantity VM1,
                                            Quantity temperature) {
    const CationFormula& f = cpx.formula;
    const MgFeOrder& o = cpx.order;
    const CorrectionEndMembers e = correctionEndMembers(cpx);

    VolumeCorrectionTerms t;
    t.XFe = e.XFe;
    t.a1 = weighted(kA1, e);
    t.a2 = weighted(kA2, e);
    t.b1 = weighted(kB1, e);
    t.b2 = weighted(kB2, e);

    const Quantity Z =
        2.0 * (o.FeM1 + o.MgM1) + 3.0 * (cpx.sites.M1_Al + f.Cr() + f.Fe3()) + 4.0 * f.Ti();
    t.dT = temperature - 25.0;
    const Quantity d = 1.4133 + 0.05601 * VM1;
    t.K = 7500.0 * Z / (d * d * d);
    const Quantity alpha = 3.29e-05 * (0.75 - Z / 6.0);
    t.dVT = VM1 * ((2.0 + 3.0 * alpha * t.dT) / (2.0 - 3.0 * alpha * t.dT) - 1.0);
    return t;
}

CorrectedVolumes correctVolumes(Quantity Vcell, Quantity VM1, const VolumeCorrectionTerms& t,
                                Quantity Pc) {
    double vcell = 0.0;
    double vm1 = 0.0;
    VolumeCorrection(Vcell, VM1, t).at(Pc.value(), vcell, vm1);
    return {vcell, vm1};
}

CpxThermobarometry evaluateCpxThermobarometryUnchecked(const RowInput& input,
                                                       const PyroxeneCalculation& cpx) {
    CpxThermobarometry r;
    CellVolumes& v = r.volumes;
    CpxPressures& p = r.pressures;

    v.Vcell = volume(kVcell, cpx);
    v.VM1 = volume(kVM1, cpx);
    p.PNU98BA = 771.475 - 1.323 * v.Vcell - 16.064 * v.VM1;
    p.PN95BS = 698.443 - 1.15378 * v.Vcell - 16.1598 * v.VM1;

    const VolumeCorrectionTerms terms = volumeCorrectionTerms(cpx, v.VM1, input.temperature);
    const VolumeCorrection correction(v.Vcell, v.VM1, terms);
    const auto [bh, th, ma] = solveCorrected<3>({kBH, kTH, kMA}, correction, terms.XFe);
    p.PNU98BH = bh.P;
    p.PN99TH = th.P;
    p.PN99MA = ma.P;
    v.VcellCorrBH = bh.volumes.Vcell;
    v.VM1CorrBH = bh.volumes.VM1;
    v.VcellCorrTH = th.volumes.Vcell;
    v.VM1CorrTH = th.volumes.VM1;
    v.VcellCorrMA = ma.volumes.Vcell;
    v.VM1CorrMA = ma.volumes.VM1;

    const Quantity TK = input.temperature + kKelvin;
    const CpxPressures chem = chemistryPressures(cpx, TK);
    p.PNT00 = chem.PNT00;
    p.PP08Eq32a = chem.PP08Eq32a;

    r.temperatures = temperatures(cpx, input.pressure);
    return r;
}

CpxThermobarometry evaluateCpxThermobarometry(const RowInput& input, const PyroxeneCalculation& cpx,
                                              const PyroxeneClass& cls) {
    CpxThermobarometry r = evaluateCpxThermobarometryUnchecked(input, cpx);
    applyCpxValidityTests(r, input, cpx, cls);
    return r;
}

void applyCpxValidityTests(CpxThermobarometry& r, const RowInput& input,
                           const PyroxeneCalculation& cpx, const PyroxeneClass& cls) {
    CpxPressures& p = r.pressures;
    CpxTemperatures& t = r.temperatures;

    // Each thermometer's own range; TNT00 has none.
    t.TBM8586 = blankBelowZero(t.TBM8586);
    t.TDN82 = blankBelowZero(t.TDN82);
    t.TMZ91 = blankBelowZero(t.TMZ91);
    t.TP08Eq32d = blankBelowZero(t.TP08Eq32d);

    if (!nimisUlmerApplies(input, cpx, cls)) {
        p.PNU98BA = Quantity::blank();
        p.PNU98BH = Quantity::blank();
    }
    p.PP08Eq32a = keptWithin(p.PP08Eq32a, 0.0, 30.0);
    // The calibrations hold for Ca-Mg-Fe pyroxenes only.
    if (!cls.isCaMgFe()) {
        blankAll(p);
        blankAll(t);
    }
    for (Quantity* q : {&p.PN95BS, &p.PNU98BA, &p.PNU98BH, &p.PN99TH, &p.PN99MA})
        *q = keptWithin(*q, 0.0, 26.0);
    p.PNT00 = keptWithin(p.PNT00, 0.0, 65.0);

    applyVolumeRanges(r.volumes);
}

}  // namespace kalvoren
