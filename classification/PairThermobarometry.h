#pragma once
// Two-pyroxene barometers and thermometers, the Ca-in-orthopyroxene thermometers,
// and the Cpx/Opx check labels.

#include <string_view>

#include "classification/CpxThermobarometry.h"
#include "classification/PyroxeneClass.h"
#include "engine/Analysis.h"
#include "engine/CalcOptions.h"
#include "engine/PyroxeneCalculation.h"

namespace kalvoren {

struct TwoPyroxeneResults {
    Quantity PM84_1, PM84_2, PP08_1, PP08_2;
    Quantity TWB73, TW77, TNB_A1_84, TNB_A2_84, TNB_B1_84, TNB_B2_84, TN85, TBM8586,
        TCL_A_88, TCL_B_88, TSJ_1_89, TSJ_2_89, TBK90CaInOpxCpx, TBK90NaInOpxCpx, TT98,
        TP1_08, TP2_08;
};

struct OpxTemperatures {
    Quantity TBK90CaInOpx, TNG10CaInOpx;
};

struct PyroxeneChecks {
    std::string_view cpxCheck;  // "Cpx" or " "
    std::string_view opxCheck;  // "Opx", " ", or "" without an orthopyroxene
};

struct PairThermobarometry {
    TwoPyroxeneResults pair;
    OpxTemperatures opx;
};

// The 21 pair results and the two Opx temperatures, each after its own range test,
// before the keep-or-blank decision.
PairThermobarometry evaluatePairThermobarometry(const RowInput& input,
                                                const PyroxeneCalculation& cpx,
                                                const PyroxeneCalculation& opx,
                                                const CpxTemperatures& cpxTemperatures,
                                                const CalcOptions& options);

PyroxeneChecks checkPyroxeneLabels(const RowInput& input, const PyroxeneCalculation& cpx,
                                   const PyroxeneCalculation* opx, const PyroxeneClass& cls);

// Keeps the 23 results only for a Ca-Mg-Fe clinopyroxene whose Opx check is "Opx".
void applyPairKeepOrBlank(PairThermobarometry& results, const PyroxeneClass& cls,
                          const PyroxeneChecks& checks);

}  // namespace kalvoren
