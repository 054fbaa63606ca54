#pragma once
// Single-clinopyroxene barometers (kbar), thermometers (degrees C) and cell volumes.

#include "classification/PyroxeneClass.h"
#include "engine/Analysis.h"
#include "engine/PyroxeneCalculation.h"
#include "engine/Quantity.h"

namespace kalvoren {

// Unit-cell and M1-polyhedron volumes, cubic angstroms. The corrected volumes are
// those of the last round of each barometer's fixed-point solution. After the range
// tests (applied by evaluateCpxThermobarometry) out-of-range volumes are blank.
struct CellVolumes {
    Quantity Vcell, VM1;
    Quantity VcellCorrBH, VM1CorrBH;
    Quantity VcellCorrTH, VM1CorrTH;
    Quantity VcellCorrMA, VM1CorrMA;
    Quantity VM1Range, VcellRange;
};

struct CpxPressures {
    Quantity PN95BS, PNU98BA, PNU98BH, PN99TH, PN99MA, PNT00, PP08Eq32a;
};

struct CpxTemperatures {
    Quantity TBM8586, TNT00, TP08Eq32d, TDN82, TMZ91;
};

struct CpxThermobarometry {
    CellVolumes volumes;
    CpxPressures pressures;
    CpxTemperatures temperatures;
};

// Every single-clinopyroxene result of the row, after the validity, range and group
// tests, with the volumes after their range tests.
CpxThermobarometry evaluateCpxThermobarometry(const RowInput& input,
                                              const PyroxeneCalculation& cpx,
                                              const PyroxeneClass& cls);

}  // namespace kalvoren
