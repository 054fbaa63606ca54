#include "engine/CationFormula.h"

namespace kalvoren {

namespace {

constexpr double kOxygenBasis = 6.0;

Quantity sumOf(const std::array<Quantity, kOxideCount>& values) {
    Quantity sum = 0.0;
    for (const Quantity v : values) sum += v;
    return sum;
}

}  // namespace

CationFormula ComputeCations(const Analysis& analysis) {
    CationFormula f;
    for (std::size_t i = 0; i < kOxideCount; ++i)
        f.oxygenProportion[i] =
            analysis.oxides[i] / kOxides[i].molarMass * kOxides[i].oxygensPerOxide;
    f.oxygenSum = sumOf(f.oxygenProportion);
    f.oxideTotal = sumOf(analysis.oxides);
    f.oxygenFactor = kOxygenBasis / f.oxygenSum;
    for (std::size_t i = 0; i < kOxideCount; ++i) {
        const OxideData& d = kOxides[i];
        f.cations[i] = ((analysis.oxides[i] / d.molarMass) * d.oxygensPerOxide * f.oxygenFactor) /
                       d.oxygensPerCation;
    }
    f.cationTotal = sumOf(f.cations);
    return f;
}

void EstimateFerricIron(CationFormula& f, const Analysis& analysis, const CalcOptions& options) {
    const Quantity feO = analysis[OxideKind::FeO];
    const Quantity fe2O3 = analysis[OxideKind::Fe2O3];
    const bool estimable = feO > 0.0 && fe2O3 == 0.0;

    if (estimable) {
        // Every charge-balance rule only splits the analysed iron: whatever the
        // estimate, Fe3+ + Fe2+ stays the Fe2+ computed from FeO.
        const Quantity ironTotal = f.Fe2();
        bool estimated = false;
        Quantity estimate;
        if (options.fe3Droop()) {
            estimate = 12.0 * (1.0 - (4.0 / f.cationTotal));
            estimated = true;
        }
        if (options.fe3Papike()) {
            const Quantity alIV = 2.0 - f.Si();
            const Quantity alVI = f.Al() - alIV;
            estimate = alIV + f.Na() - alVI - f.Cr() - 2.0 * f.Ti();
            estimated = true;
        }
        if (options.fe3Average()) {
            const Quantity droop = 12.0 * (1.0 - (4.0 / f.cationTotal));
            f.droopValue = droop;
            estimate = (droop * (2.0 / 3.0) + droop) / 2.0;
            estimated = true;
        }
        if (estimated) {
            if (estimate.isBlank() || ironTotal.isBlank()) {
                f[OxideKind::Fe2O3] = Quantity::blank();
                f[OxideKind::FeO] = Quantity::blank();
            } else {
                Quantity fe3 = estimate > ironTotal ? ironTotal : estimate;
                if (fe3 < 0.0) fe3 = 0.0;
                f[OxideKind::Fe2O3] = fe3;
                f[OxideKind::FeO] = ironTotal - fe3;
            }
        }
    } else {
        // An entered split of the iron stands; only negative amounts are cleared.
        if ((options.fe3Droop() || options.fe3Papike()) && f.Fe3() < 0.0) f[OxideKind::Fe2O3] = 0.0;
        if (f.Fe2() < 0.0) f[OxideKind::FeO] = 0.0;
    }
    f.cationTotal = sumOf(f.cations);
}

void NormaliseToFourCations(CationFormula& f, CalcOptions& options) {
    // With neither mark the 6-oxygen cations are kept as they are.
    f.cationFactor = 1.0;
    if (options.fourCations()) f.cationFactor = 4.0 / f.cationTotal;
    if (options.withoutFourCations()) {
        f.cationFactor = 1.0;
        options.setMarked(Option::fourCations, false);
    }
    for (Quantity& c : f.cations) c *= f.cationFactor;
    f.cationTotal = sumOf(f.cations);
}

}  // namespace kalvoren
