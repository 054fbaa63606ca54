#include "engine/SiteAllocation.h"

namespace kalvoren {

namespace {

// Fills as much of `amount` as the room left in a site of `capacity` allows, where
// `filled` is what the site holds so far; the site's sum grows by the part placed.
// A blank amount places a blank (and so blanks the sum): it must not claim the room
// that is left.
Quantity fillSite(Quantity amount, Quantity& filled, double capacity) {
    Quantity placed;
    if (amount.isBlank())
        placed = amount;
    else if (filled >= capacity)
        placed = 0.0;
    else if (filled + amount <= capacity)
        placed = amount;
    else
        placed = capacity - filled;
    filled += placed;
    return placed;
}

Quantity positivePartOr0(Quantity x) {
    return x > 0.0 ? x : Quantity(0.0);
}

}  // namespace

SiteAllocation AllocateSites(const CationFormula& f) {
    SiteAllocation s;

    // T holds 2 cations: all Si (even above 2), then Al, then Fe3+ up to the capacity.
    s.T_Si = f.Si();
    Quantity tSum = f.Si();
    s.T_Al = fillSite(f.Al(), tSum, 2.0);
    tSum = f.Si() + s.T_Al;
    s.T_Fe3 = fillSite(f.Fe3(), tSum, 2.0);
    s.T_Total = (f.Si() + s.T_Al) + s.T_Fe3;

    // M1 holds 1 cation: the Al and Fe3+ left over from T come first and are not capped.
    s.M1_Al = positivePartOr0(f.Al() - s.T_Al);
    s.M1_Fe3 = positivePartOr0(f.Fe3() - s.T_Fe3);
    Quantity m1Sum = s.M1_Al + s.M1_Fe3;
    s.M1_Ti = fillSite(f.Ti(), m1Sum, 1.0);
    s.M1_V = fillSite(f.V(), m1Sum, 1.0);
    s.M1_Cr = fillSite(f.Cr(), m1Sum, 1.0);
    s.M1_Zr = fillSite(f.Zr(), m1Sum, 1.0);
    s.M1_Sc = fillSite(f.Sc(), m1Sum, 1.0);
    s.M1_Zn = fillSite(f.Zn(), m1Sum, 1.0);
    s.M1_Ni = fillSite(f.Ni(), m1Sum, 1.0);
    s.M1_Co = fillSite(f.Co(), m1Sum, 1.0);
    s.M1_Mg = fillSite(f.Mg(), m1Sum, 1.0);
    s.M1_Fe2 = fillSite(f.Fe2(), m1Sum, 1.0);
    s.M1_Mn = fillSite(f.Mn(), m1Sum, 1.0);
    s.M1_Total = s.M1_Al + s.M1_Fe3 + s.M1_Ti + s.M1_Cr + s.M1_V + s.M1_Zr + s.M1_Sc + s.M1_Zn +
                 s.M1_Ni + s.M1_Co + s.M1_Mg + s.M1_Fe2 + s.M1_Mn;

    // M2 takes what M1 had no room for of Mg, Fe2+ and Mn, and all the large cations.
    s.M2_Mg = f.Mg() - s.M1_Mg;
    s.M2_Fe2 = f.Fe2() - s.M1_Fe2;
    s.M2_Mn = f.Mn() - s.M1_Mn;
    s.M2_Li = f.Li();
    s.M2_Ca = f.Ca();
    s.M2_Na = f.Na();
    s.M2_K = f.K();
    s.M2_Total = s.M2_Mg + s.M2_Fe2 + s.M2_Mn + s.M2_Li + s.M2_Ca + s.M2_Na + s.M2_K;
    return s;
}

}  // namespace kalvoren
