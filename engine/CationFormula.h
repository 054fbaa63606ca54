#pragma once
// The structural formula of one analysis on the basis of 6 oxygens, optionally
// normalised to 4 cations, with the Fe3+ estimate between the two steps.

#include <array>

#include "engine/Analysis.h"
#include "engine/CalcOptions.h"
#include "engine/OxideKind.h"
#include "engine/Quantity.h"

namespace kalvoren {

struct CationFormula {
    std::array<Quantity, kOxideCount> oxygenProportion{};  // oxide / molar mass * O per oxide
    Quantity oxygenSum;
    Quantity oxygenFactor;  // 6 / oxygenSum
    // Cations in atoms per formula unit, indexed by the oxide they come from:
    // Fe2O3 holds Fe3+ and FeO holds Fe2+ (both changed by the Fe3+ estimate).
    std::array<Quantity, kOxideCount> cations{};
    Quantity oxideTotal;
    Quantity cationTotal;
    Quantity cationFactor;  // 4 / cationTotal, or 1 without the 4-cation normalisation
    Quantity droopValue;    // D of the average rule

    Quantity& operator[](OxideKind k) { return cations[index(k)]; }
    Quantity operator[](OxideKind k) const { return cations[index(k)]; }

    Quantity Si() const { return (*this)[OxideKind::SiO2]; }
    Quantity Ti() const { return (*this)[OxideKind::TiO2]; }
    Quantity Al() const { return (*this)[OxideKind::Al2O3]; }
    Quantity V() const { return (*this)[OxideKind::V2O3]; }
    Quantity Cr() const { return (*this)[OxideKind::Cr2O3]; }
    Quantity Fe3() const { return (*this)[OxideKind::Fe2O3]; }
    Quantity Fe2() const { return (*this)[OxideKind::FeO]; }
    Quantity Mn() const { return (*this)[OxideKind::MnO]; }
    Quantity Ni() const { return (*this)[OxideKind::NiO]; }
    Quantity Co() const { return (*this)[OxideKind::CoO]; }
    Quantity Zn() const { return (*this)[OxideKind::ZnO]; }
    Quantity Mg() const { return (*this)[OxideKind::MgO]; }
    Quantity Ca() const { return (*this)[OxideKind::CaO]; }
    Quantity Na() const { return (*this)[OxideKind::Na2O]; }
    Quantity K() const { return (*this)[OxideKind::K2O]; }
    Quantity Zr() const { return (*this)[OxideKind::ZrO2]; }
    Quantity Sc() const { return (*this)[OxideKind::Sc2O3]; }
    Quantity Li() const { return (*this)[OxideKind::Li2O]; }
};

// Oxygen proportions, the 6-oxygen factor, the 18 cations and both totals.
CationFormula ComputeCations(const Analysis& analysis);

// Splits the iron of an analysis given as FeO alone into Fe2+ and Fe3+ by the marked
// charge-balance rule(s), then recomputes the cation total.
void EstimateFerricIron(CationFormula& formula, const Analysis& analysis,
                        const CalcOptions& options);

// The 4-cation normalisation; clears the fourCations mark when withoutFourCations is set.
void NormaliseToFourCations(CationFormula& formula, CalcOptions& options);

}  // namespace kalvoren
