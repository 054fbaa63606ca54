#include "engine/PyroxeneCalculation.h"

namespace kalvoren {

namespace {

// Formula on 6 oxygens, the Fe3+ split, the 4-cation normalisation: every later stage
// reads the normalised cations.
CationFormula normalisedFormula(const Analysis& analysis, CalcOptions& options) {
    CationFormula f = ComputeCations(analysis);
    EstimateFerricIron(f, analysis, options);
    NormaliseToFourCations(f, options);
    return f;
}

}  // namespace

PyroxeneCalculation CalculateClinopyroxene(const Analysis& cpx, CalcOptions& options) {
    PyroxeneCalculation c;
    c.formula = normalisedFormula(cpx, options);
    c.basic = ComputeBasicEndMembers(c.formula);
    c.sites = AllocateSites(c.formula);
    c.sets = ComputeEndMemberSets(c.formula, c.sites);
    c.order = ComputeMgFeOrder(c.formula, c.sites, PyroxeneKind::Cpx);
    c.partitioning = ComputeReportedKD(c.formula, c.sites, c.order);
    c.fractions = ComputeMolarFractions(c.formula, c.sites, c.order, options, PyroxeneKind::Cpx);
    c.activities = ComputeActivities(c.formula, c.sites, c.fractions, options);
    c.tschermak = ComputeTschermakComponents(c.formula, c.sites);
    c.thermometer = ComputeThermometerActivities(c.formula, c.sites);
    return c;
}

PyroxeneCalculation CalculateOrthopyroxene(const Analysis& opx, CalcOptions& options) {
    PyroxeneCalculation c;
    c.formula = normalisedFormula(opx, options);
    c.basic = ComputeBasicEndMembers(c.formula);
    c.sites = AllocateSites(c.formula);
    c.order = ComputeMgFeOrder(c.formula, c.sites, PyroxeneKind::Opx);
    c.fractions = ComputeMolarFractions(c.formula, c.sites, c.order, options, PyroxeneKind::Opx);
    c.thermometer = ComputeThermometerActivities(c.formula, c.sites);
    c.opxComponents = ComputeOpxComponents(c.formula, c.sites);
    return c;
}

}  // namespace kalvoren
