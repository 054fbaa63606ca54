#pragma once
// The cations of one analysis distributed over the T (capacity 2), M1 (capacity 1)
// and M2 sites by a fixed filling order with caps. T_Al is the AlIV and M1_Al the
// AlVI of every later formula.

#include "engine/CationFormula.h"
#include "engine/Quantity.h"

namespace kalvoren {

struct SiteAllocation {
    Quantity T_Si, T_Al, T_Fe3, T_Total;
    Quantity M1_Al, M1_Fe3, M1_Ti, M1_V, M1_Cr, M1_Zr, M1_Sc, M1_Zn, M1_Ni, M1_Co, M1_Mg,
        M1_Fe2, M1_Mn, M1_Total;
    Quantity M2_Mg, M2_Fe2, M2_Mn, M2_Li, M2_Ca, M2_Na, M2_K, M2_Total;
};

SiteAllocation AllocateSites(const CationFormula& formula);

}  // namespace kalvoren
