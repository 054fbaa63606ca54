#pragma once
// All results of one entry row, before formatting.

#include "classification/CpxThermobarometry.h"
#include "classification/ModifierSet.h"
#include "classification/PairThermobarometry.h"
#include "classification/PyroxeneClass.h"
#include "engine/Analysis.h"
#include "engine/EndMembers.h"
#include "engine/PyroxeneCalculation.h"

namespace kalvoren {

struct RowResult {
    RowInput input;
    PyroxeneCalculation cpx;
    PyroxeneCalculation opx;          // meaningful only when input.hasOpx
    LindsleyProjection lindsley;      // only when input.hasOpx
    PyroxeneClass cls;
    ModifierSet modifiers;
    CpxThermobarometry cpxResults;
    PairThermobarometry pairResults;  // blank unless kept
    PyroxeneChecks checks;
};

}  // namespace kalvoren
