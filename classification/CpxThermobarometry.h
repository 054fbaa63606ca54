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
CpxThermobarometry evaluateCpxThermobarometry(const RowInput& input, const PyroxeneCalculation& cpx,
                                              const PyroxeneClass& cls);

// The same results as the formulas give them: no validity, group or range test, not
// even the thermometers' own. Used to compare the raw barometers with other programs.
CpxThermobarometry evaluateCpxThermobarometryUnchecked(const RowInput& input,
                                                       const PyroxeneCalculation& cpx);

// The tests evaluateCpxThermobarometry makes on unchecked results, in its order: the
// thermometers' own ranges, the PNU98 validity, the PP08Eq32a range, the group, the
// barometer ranges and the volume ranges.
void applyCpxValidityTests(CpxThermobarometry& results, const RowInput& input,
                           const PyroxeneCalculation& cpx, const PyroxeneClass& cls);

// The pressure-temperature correction of the volumes: composition-weighted expansion
// coefficients (per bar, bar^2, degree C, degree C^2), T - 25 degrees C, the M1 bulk
// modulus (kbar), the thermal expansion of M1 (cubic angstroms) and Fe/(Fe+Mg).
struct VolumeCorrectionTerms {
    Quantity a1, a2, b1, b2;
    Quantity dT, K, dVT;
    Quantity XFe;
};

VolumeCorrectionTerms volumeCorrectionTerms(const PyroxeneCalculation& cpx, Quantity VM1,
                                            Quantity temperature);

struct CorrectedVolumes {
    Quantity Vcell, VM1;
};

// Vcell and VM1 corrected to the pressure Pc (kbar) and the temperature of the terms.
CorrectedVolumes correctVolumes(Quantity Vcell, Quantity VM1, const VolumeCorrectionTerms& terms,
                                Quantity Pc);

}  // namespace kalvoren
