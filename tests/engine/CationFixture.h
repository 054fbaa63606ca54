#pragma once
// Hand-made structural formulas for the stage tests: name the cations, the rest is 0.

#include "engine/CationFormula.h"

namespace kalvoren::test {

struct Cations {
    double Si = 0, Ti = 0, Al = 0, V = 0, Cr = 0, Fe3 = 0, Fe2 = 0, Mn = 0, Ni = 0, Co = 0, Zn = 0,
           Mg = 0, Ca = 0, Na = 0, K = 0, Zr = 0, Sc = 0, Li = 0;
};

inline CationFormula formulaOf(const Cations& c) {
    CationFormula f;
    f.cations = {c.Si, c.Ti, c.Al, c.V,  c.Cr, c.Fe3, c.Fe2, c.Mn, c.Ni,
                 c.Co, c.Zn, c.Mg, c.Ca, c.Na, c.K,   c.Zr,  c.Sc, c.Li};
    f.cationTotal = 0.0;
    for (const Quantity q : f.cations) f.cationTotal += q;
    f.cationFactor = 1.0;
    return f;
}

// CaMgSi2O6: Si 2, Mg 1, Ca 1.
inline CationFormula diopsideFormula() {
    return formulaOf({.Si = 2, .Mg = 1, .Ca = 1});
}

}  // namespace kalvoren::test
