#include "classification/PairThermobarometry.h"

#include <initializer_list>

namespace kalvoren {

namespace {

constexpr double kKelvin = 273.15;

// ln(a / b), taken as 0 when either amount is 0.
Quantity lnRatioOrZero(Quantity a, Quantity b) {
    if (a == 0.0 || b == 0.0) return 0.0;
    return ln(a / b);
}

// ln(x), taken as 0 when x is not positive (a blank x stays blank).
Quantity lnOrZero(Quantity x) {
    return x <= 0.0 ? Quantity(0.0) : ln(x);
}

// Enstatite activity of the ideal two-site model: Mg shares M1 and M2 with Fe2+ in the
// proportion r = Mg / (Mg + Fe2+), in the room the other cations leave on each site.
Quantity idealEnstatiteActivity(const PyroxeneCalculation& px) {
    const CationFormula& f = px.formula;
    const Quantity r = f.Mg() / (f.Mg() + f.Fe2());
    const Quantity xMgM1 = (1.0 - px.sites.M1_Al - f.Fe3() - f.Ti() - f.Cr()) * r;
    const Quantity xMgM2 = (1.0 - f.Ca() - f.Na() - f.Mn()) * r;
    return xMgM1 * xMgM2;
}

// The quantities several two-pyroxene formulas share.
struct PairTerms {
    Quantity KDp;      // Ca_o / (1 - Ca_c)
    Quantity lnR;      // ln(EnFs_c / Fm2Si2O6_o)
    Quantity XFe_o;    // Fe2+ / (Fe2+ + Mg) of the Opx, 0 without Fe2+
    Quantity lnEn;     // ln(aEn_c / aEn_o), ideal activities
    Quantity lnEn2;    // ln(En_c / En_o)
    Quantity lnDiHd;   // ln(DiHd_c / CaFmSi2O6_o)
    Quantity lnDi;     // ln(Di_c / Di_o)
    Quantity XFe_c;    // Fe2+ / (Fe2+ + Mg) of the Cpx
    Quantity XFeBK_o;  // Fe2+ / (Fe2+ + Mg) of the Opx, no guard
    Quantity aEnIdeal_c, aEnIdeal_o;
};

PairTerms pairTerms(const PyroxeneCalculation& cpx, const PyroxeneCalculation& opx) {
    const CationFormula& c = cpx.formula;
    const CationFormula& o = opx.formula;
    PairTerms t;
    t.KDp = (1.0 - c.Ca() == 0.0 || o.Ca() == 0.0) ? Quantity(0.0) : o.Ca() / (1.0 - c.Ca());
    t.lnR = lnRatioOrZero(cpx.tschermak.EnFs, opx.opxComponents.Fm2Si2O6);
    t.XFe_o =
        (o.Fe2() == 0.0 || o.Fe2() + o.Mg() == 0.0) ? Quantity(0.0) : o.Fe2() / (o.Fe2() + o.Mg());
    t.aEnIdeal_c = idealEnstatiteActivity(cpx);
    t.aEnIdeal_o = idealEnstatiteActivity(opx);
    t.lnEn = lnRatioOrZero(t.aEnIdeal_c, t.aEnIdeal_o);
    t.lnEn2 = lnRatioOrZero(cpx.tschermak.En, opx.opxComponents.En);
    t.lnDiHd = lnRatioOrZero(cpx.tschermak.DiHd, opx.opxComponents.CaFmSi2O6);
    t.lnDi = lnRatioOrZero(cpx.tschermak.Di, opx.opxComponents.Di);
    t.XFe_c = c.Fe2() / (c.Fe2() + c.Mg());
    t.XFeBK_o = o.Fe2() / (o.Fe2() + o.Mg());
    return t;
}

// Putirka (2008) barometers and thermometers; each later one takes the earlier results
// after their range tests.
void putirka(TwoPyroxeneResults& r, const PyroxeneCalculation& cpx, const PyroxeneCalculation& opx,
             const PairTerms& t) {
    const CationFormula& c = cpx.formula;
    const CationFormula& o = opx.formula;
    const OpxComponents& oc = opx.opxComponents;
    const Quantity M1Al_o = opx.sites.M1_Al;
    const Quantity aEn_o = opx.thermometer.aEn;

    r.PP08_1 = -279.8 + 293.0 * M1Al_o + 455.0 * o.Na() + 229.0 * o.Cr() + 519.0 * oc.Fm2Si2O6 -
               563.0 * oc.En + 371.0 * oc.Di + 327.0 * aEn_o + 1.19 / t.KDp;
    r.PP08_1 = keptWithin(r.PP08_1, 0.0, 60.0);

    r.TP1_08 =
        1e4 / (11.2 - 1.96 * t.lnR - 3.3 * c.Ca() - 25.8 * cpx.tschermak.CrCaTs + 33.2 * o.Mn() -
               23.6 * o.Na() - 2.08 * oc.En - 8.33 * oc.Di - 0.05 * r.PP08_1);
    r.TP1_08 = blankBelowZero(r.TP1_08);

    r.PP08_2 = -94.25 + 0.045 * r.TP1_08 + 187.7 * M1Al_o + 246.8 * oc.Fm2Si2O6 - 212.5 * oc.En +
               127.5 * aEn_o - 69.4 * cpx.tschermak.EnFs - 133.9 * cpx.thermometer.aDi -
               1.66 / t.KDp;
    r.PP08_2 = blankBelowZero(r.PP08_2);

    r.TP2_08 = 1e4 / (13.4 - 3.4 * t.lnR + 5.59 * ln(c.Mg()) + 23.85 * o.Mn() +
                      6.48 * oc.FmAl2SiO6 - 2.38 * cpx.tschermak.Di - 0.044 * r.PP08_1 -
                      8.8 * c.Mg() / (c.Mg() + c.Fe2() + c.Fe3()));
    r.TP2_08 = blankBelowZero(r.TP2_08);
}

// Enstatite-exchange (Wood and Banno, Wells) and Ca-Mg (Nickel and Brey) thermometers.
void exchangeAndSolvus(TwoPyroxeneResults& r, const PyroxeneCalculation& cpx,
                       const PyroxeneCalculation& opx, const PairTerms& t, Quantity P) {
    const CationFormula& c = cpx.formula;
    const CationFormula& o = opx.formula;
    const TschermakComponents& ct = cpx.tschermak;
    const OpxComponents& oc = opx.opxComponents;
    const Quantity W = 21.905 - 0.05229 * P;

    r.TWB73 = -10202.0 / (t.lnEn - 7.65 * t.XFe_o + 3.88 * square(t.XFe_o) - 4.6) - kKelvin;
    r.TW77 = 7341.0 / (3.355 + 2.44 * t.XFe_o - t.lnEn) - kKelvin;
    r.TNB_A1_84 = (-7.0 - 0.06188 * P + 34.0 * square(oc.CaFmSi2O6) - W * square(ct.DiHd)) /
                  (0.0083143 * t.lnR + 0.004431 * square(ct.DiHd) - 0.00397);
    r.TNB_A2_84 = (-7.0 - 0.06188 * P + 34.0 * square(oc.Di) - W * square(ct.Di)) /
                  (0.0083143 * t.lnEn2 + 0.004431 * square(ct.Di) - 0.00397);
    r.TNB_B1_84 = (12.909 + 0.1633 * P + 34.0 * square(oc.Fm2Si2O6) - W * square(ct.EnFs)) /
                  (0.0083143 * t.lnDiHd + 0.004431 * square(ct.En) + 0.0085);
    r.TNB_B2_84 = (12.909 + 0.1633 * P + 34.0 * square(oc.En) - W * square(ct.En)) /
                  (0.0083143 * t.lnDi + 0.004431 * square(ct.En) + 0.0085);
    r.TN85 = 287.935 * ln(((1.0 - c.Al() / 2.0) * (1.0 - c.Ca())) /
                          ((1.0 - o.Al() / 2.0) * (1.0 - o.Ca()))) +
             1616.67 + 2.933 * P;
    for (Quantity* q :
         {&r.TWB73, &r.TW77, &r.TNB_A1_84, &r.TNB_A2_84, &r.TNB_B1_84, &r.TNB_B2_84, &r.TN85})
        *q = blankBelowZero(*q);
}

// Bertrand and Mercier, Carlson and Lindsley, and the 1989 exchange thermometers.
void solvusAndActivities(TwoPyroxeneResults& r, const PyroxeneCalculation& cpx,
                         const PyroxeneCalculation& opx, const PairTerms& t, Quantity P,
                         Quantity tbmCpx, const CalcOptions& options) {
    const double c = options.corFac() ? -0.97 : -0.77;
    const Quantity caCpx =
        cpx.fractions.XCaS / (1.0 - cpx.fractions.XNaM2) + (c + 0.001 * tbmCpx) * t.XFe_c;
    const Quantity caOpx = opx.fractions.XCaS / (1.0 - opx.fractions.XNaM2);
    const Quantity lnKD = lnOrZero((1.0 - caCpx) / (1.0 - caOpx));
    r.TBM8586 = (36273.0 + 39.9 * P) / (19.31 - 8.314 * lnKD - 12.15 * square(caCpx)) - kKelvin;

    const Quantity W1 = 26.23 - 0.02229 * P;
    const Quantity W2 = 32.44 - 0.08646 * P;
    const Quantity W3 = 28.6 - 1.749 * P;
    const Quantity aEn_c = cpx.thermometer.aEn;
    const Quantity aDi_c = cpx.thermometer.aDi;
    const Quantity aEn_o = opx.thermometer.aEn;
    const Quantity aDi_o = opx.thermometer.aDi;
    r.TCL_A_88 = (4.261 + 0.059 * P + W1 * square(aDi_c) * (1.0 - 2.0 * aEn_c) +
                  2.0 * W2 * aEn_c * square(aDi_c) - W3 * square(aDi_o)) /
                     (0.002721 - 0.0083143 * ln(aEn_c / aEn_o)) -
                 kKelvin;
    r.TCL_B_88 = (-35.92 - 1.753 * P + W2 * square(aEn_c) * (1.0 - 2.0 * aDi_c) +
                  2.0 * W1 * aDi_c * square(aEn_c) - W3 * square(aEn_o)) /
                     (-0.02097 - 0.0083143 * ln(aDi_c / aDi_o)) -
                 kKelvin;
    r.TSJ_1_89 = 4900.0 / (1.807 - ln(t.aEnIdeal_c / t.aEnIdeal_o)) - kKelvin;
    r.TSJ_2_89 = 7045.0 / (2.47 - ln(aDi_o / aDi_c)) - kKelvin;
    for (Quantity* q : {&r.TBM8586, &r.TCL_A_88, &r.TCL_B_88, &r.TSJ_1_89, &r.TSJ_2_89})
        *q = blankBelowZero(*q);
}

// Brey and Koehler (1990) Ca and Na exchange, and Taylor (1998).
void breyKoehlerAndTaylor(TwoPyroxeneResults& r, const PyroxeneCalculation& cpx,
                          const PyroxeneCalculation& opx, const PairTerms& t, Quantity P) {
    const SiteAllocation& cs = cpx.sites;
    const SiteAllocation& os = opx.sites;

    const Quantity caBK = cs.M2_Ca / (1.0 - cs.M2_Na);
    const Quantity lnKD = lnOrZero((1.0 - caBK) / (1.0 - os.M2_Ca));
    r.TBK90CaInOpxCpx =
        (23664.0 + P * (24.9 + 126.3 * t.XFe_c)) / (13.38 + square(lnKD) + 11.59 * t.XFeBK_o) -
        kKelvin;

    const Quantity R = (cs.M2_Na == 0.0 || os.M2_Na == 0.0) ? Quantity(0.0) : os.M2_Na / cs.M2_Na;
    r.TBK90NaInOpxCpx = (35000.0 + 61.5 * P) / (square(lnOrZero(R)) + 19.8) - kKelvin;

    const auto activity = [](const CationFormula& f) {
        const Quantity A = f.Al() / 2.0 + f.Cr() / 2.0 + f.Ti() - f.Na() / 2.0;
        const Quantity B = f.Al() / 2.0 - f.Cr() / 2.0 - f.Ti() + f.Na() / 2.0;
        return (1.0 - f.Ca() - f.Na()) * (1.0 - B - f.Cr() - f.Ti()) * square(1.0 - A / 2.0);
    };
    const CationFormula& c = cpx.formula;
    const Quantity D = ln(activity(c)) - ln(activity(opx.formula));
    // The Tschermak term is Al + Cr - Na: Na balances the charge of the other two.
    r.TT98 = (24787.0 + 678.0 * P * 0.1) / (15.67 + 14.37 * c.Ti() + 3.69 * c.Fe2() -
                                            3.25 * (c.Al() + c.Cr() - c.Na()) + square(D)) -
             kKelvin;
    for (Quantity* q : {&r.TBK90CaInOpxCpx, &r.TBK90NaInOpxCpx, &r.TT98}) *q = blankBelowZero(*q);
}

// Ca-in-Opx thermometers of Brey and Koehler (1990) and Nimis and Gruetter (2010).
OpxTemperatures caInOpx(const PyroxeneCalculation& opx, Quantity P) {
    OpxTemperatures t;
    t.TBK90CaInOpx = blankBelowZero((6425.0 + 26.4 * P) / (-ln(opx.sites.M2_Ca) + 1.843) - kKelvin);
    const Quantity T = t.TBK90CaInOpx;
    t.TNG10CaInOpx = blankBelowZero(-628.7 + 2.069 * T - 4.53e-4 * square(T));
    return t;
}

// The PM84 barometers on the Ca exchange; both go when either leaves 0 to 80 kbar.
void mercier(TwoPyroxeneResults& r, const PyroxeneCalculation& cpx,
             const PyroxeneCalculation& opx) {
    const Quantity C1 = cpx.sites.M2_Ca / (1.0 - cpx.sites.M2_Na);
    const Quantity C2 = opx.sites.M2_Ca / (1.0 - opx.sites.M2_Na);
    const Quantity K = C2 / (1.0 - C1);
    r.PM84_1 = (1.279 / (K + 0.006) - 2.29) * 10.0;
    r.PM84_2 = (1.073 / (K + 0.028) - 1.65) * 10.0;
    if (r.PM84_1 < 0.0 || r.PM84_2 < 0.0 || r.PM84_1 > 80.0 || r.PM84_2 > 80.0) {
        r.PM84_1 = Quantity::blank();
        r.PM84_2 = Quantity::blank();
    }
}

constexpr std::string_view kCpxLabel = "Cpx";
constexpr std::string_view kOpxLabel = "Opx";
constexpr std::string_view kNotSuitable = " ";

}  // namespace

PairThermobarometry evaluatePairThermobarometry(const RowInput& input,
                                                const PyroxeneCalculation& cpx,
                                                const PyroxeneCalculation& opx,
                                                const CpxTemperatures& cpxTemperatures,
                                                const CalcOptions& options) {
    const Quantity P = input.pressure;
    const PairTerms terms = pairTerms(cpx, opx);
    PairThermobarometry result;
    TwoPyroxeneResults& r = result.pair;
    putirka(r, cpx, opx, terms);
    exchangeAndSolvus(r, cpx, opx, terms, P);
    solvusAndActivities(r, cpx, opx, terms, P, cpxTemperatures.TBM8586, options);
    breyKoehlerAndTaylor(r, cpx, opx, terms, P);
    result.opx = caInOpx(opx, P);
    mercier(r, cpx, opx);
    return result;
}

PyroxeneChecks checkPyroxeneLabels(const RowInput& input, const PyroxeneCalculation& cpx,
                                   const PyroxeneCalculation* opx, const PyroxeneClass& cls) {
    PyroxeneChecks checks;
    const BasicEndMembers& b = cpx.basic;
    checks.cpxCheck = (cls.isCaMgFe() && b.En > b.Wo && b.Wo > b.Fs) ? kCpxLabel : kNotSuitable;
    if (cls.name == "DIOPSIDE" || cls.name == "HEDENBERGITE" || cls.name == "AUGITE" ||
        (cls.isCaMgFe() && cls.name == "PIGEONITE"))
        checks.cpxCheck = kCpxLabel;

    if (opx == nullptr || !input.hasOpx) {
        checks.opxCheck = "";
    } else {
        checks.opxCheck =
            (cls.isCaMgFe() && opx->basic.Wo < opx->basic.Fs) ? kOpxLabel : kNotSuitable;
    }
    return checks;
}

void applyPairKeepOrBlank(PairThermobarometry& results, const PyroxeneClass& cls,
                          const PyroxeneChecks& checks) {
    if (cls.isCaMgFe() && checks.opxCheck == kOpxLabel) return;
    TwoPyroxeneResults& r = results.pair;
    for (Quantity* q : {&r.PM84_1,
                        &r.PM84_2,
                        &r.PP08_1,
                        &r.PP08_2,
                        &r.TWB73,
                        &r.TW77,
                        &r.TNB_A1_84,
                        &r.TNB_A2_84,
                        &r.TNB_B1_84,
                        &r.TNB_B2_84,
                        &r.TN85,
                        &r.TBM8586,
                        &r.TCL_A_88,
                        &r.TCL_B_88,
                        &r.TSJ_1_89,
                        &r.TSJ_2_89,
                        &r.TBK90CaInOpxCpx,
                        &r.TBK90NaInOpxCpx,
                        &r.TT98,
                        &r.TP1_08,
                        &r.TP2_08,
                        &results.opx.TBK90CaInOpx,
                        &results.opx.TNG10CaInOpx})
        *q = Quantity::blank();
}

}  // namespace kalvoren
