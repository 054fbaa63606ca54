#pragma once
// Everything the formula engine computes for one analysis, in stage order.

#include "engine/Analysis.h"
#include "engine/CalcOptions.h"
#include "engine/CationFormula.h"
#include "engine/EndMembers.h"
#include "engine/MgFeOrder.h"
#include "engine/SiteAllocation.h"

namespace kalvoren {

struct PyroxeneCalculation {
    CationFormula formula;
    BasicEndMembers basic;
    SiteAllocation sites;
    EndMemberSets sets;                  // Cpx only
    MgFeOrder order;
    PartitioningQuantities partitioning; // Cpx only
    MolarFractions fractions;
    Activities activities;               // Cpx only
    TschermakComponents tschermak;       // Cpx only
    ThermometerActivities thermometer;
    OpxComponents opxComponents;         // Opx only
};

// The clinopyroxene sequence: formula, Fe3+, normalisation, Q/J and Wo-En-Fs, sites,
// end-member sets, order-disorder, partitioning, molar fractions, activities,
// Tschermak-style components and thermometer activities.
PyroxeneCalculation CalculateClinopyroxene(const Analysis& cpx, CalcOptions& options);

// The orthopyroxene sequence (rows with Opx SiO2 > 0).
PyroxeneCalculation CalculateOrthopyroxene(const Analysis& opx, CalcOptions& options);

}  // namespace kalvoren
