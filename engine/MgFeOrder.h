#pragma once
// Mg-Fe order-disorder between M1 and M2, the partitioning quantities, molar
// fractions and activities of one analysis.

#include "engine/CalcOptions.h"
#include "engine/CationFormula.h"
#include "engine/Quantity.h"
#include "engine/SiteAllocation.h"

namespace kalvoren {

enum class PyroxeneKind { Cpx, Opx };

// The exchange model's occupancies (result columns "[FeM1" to "NaM2]").
struct MgFeOrder {
    Quantity C2, R3, m, KDmodel;
    Quantity FeM2, MgM2, CaM2, NaM2, FeM1, MgM1;
};

// R3+, Ca'', KD and LnKD (Cpx), inputs of the TDN82 and TMZ91 thermometers.
struct PartitioningQuantities {
    Quantity R3plus, CaDoublePrime, KD, LnKD;
};

// Site sums, XCaS and the molar fractions of step 9.
struct MolarFractions {
    Quantity S1, S2, S3, S4;
    Quantity XCaS;  // site-allocation Ca fraction of M2
    Quantity X3M1, XFe2M1, XMgM1, XFe2M2, XMgM2, XCaM2, XNaM2;
};

// Ideal-mixing activities (result columns "[aEn" to "aJd]").
struct Activities {
    Quantity aEn, aDi, aFs, aCaTs, aMgTs, aHd, aJd;
};

// Thermometer activities aEn and aDi (independent of useMgFeOrder).
struct ThermometerActivities {
    Quantity aEn, aDi;
};

MgFeOrder ComputeMgFeOrder(const CationFormula& f, const SiteAllocation& s, PyroxeneKind kind);
PartitioningQuantities ComputeReportedKD(const CationFormula& f, const SiteAllocation& s,
                                         const MgFeOrder& order);
// For the Opx only S3, S4, XCaS and XNaM2 are computed (the rest stays unset).
MolarFractions ComputeMolarFractions(const CationFormula& f, const SiteAllocation& s,
                                     const MgFeOrder& order, const CalcOptions& options,
                                     PyroxeneKind kind);
Activities ComputeActivities(const CationFormula& f, const SiteAllocation& s,
                             const MolarFractions& x, const CalcOptions& options);
ThermometerActivities ComputeThermometerActivities(const CationFormula& f,
                                                   const SiteAllocation& s);

}  // namespace kalvoren
