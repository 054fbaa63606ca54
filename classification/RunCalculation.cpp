#include "classification/RunCalculation.h"

#include "classification/CpxThermobarometry.h"
#include "classification/ModifierSet.h"
#include "classification/PairThermobarometry.h"
#include "classification/PyroxeneClass.h"
#include "classification/ResultRow.h"
#include "engine/LeadingNumber.h"
#include "engine/PyroxeneCalculation.h"

namespace kalvoren {

void reconcileOptions(OptionStore& store, ResultSink& results) {
    // Each group has a default that another mark of the group overrides.
    store.setMarked(Option::fourCations, true);
    store.setMarked(Option::fe3Droop, true);
    store.setMarked(Option::lindsleyAugite, true);

    if (store.isMarked(Option::fe3Droop)) results.setStatusPanel(4, "Droop (1987)");
    if (store.isMarked(Option::lindsleyAugite)) results.setStatusPanel(5, "Augite");
    if (store.isMarked(Option::lindsleyPigeonite)) {
        results.setStatusPanel(5, "Pigeonite");
        store.setMarked(Option::lindsleyAugite, false);
    }
    if (store.isMarked(Option::woEnFsFe2)) {
        results.setStatusPanel(5, "None (Ca,Mg,Fe2+)");
        store.setMarked(Option::lindsleyAugite, false);
    }
    if (store.isMarked(Option::woEnFsFetotMn)) {
        results.setStatusPanel(5, "None (Ca,Mg,Fetot+Mn)");
        store.setMarked(Option::lindsleyAugite, false);
    }
    if (store.isMarked(Option::fe3Papike)) {
        results.setStatusPanel(4, "Papike et al. (1974)");
        store.setMarked(Option::fe3Droop, false);
    }
    if (store.isMarked(Option::fe3Average)) {
        results.setStatusPanel(4, "Average (This study)");
        store.setMarked(Option::fe3Droop, false);
    }
    if (store.isMarked(Option::fourCations)) results.setStatusPanel(3, "4 cations");
    if (store.isMarked(Option::withoutFourCations)) results.setStatusPanel(3, " without 4 cations");
    results.setStatusPanel(2, "6 oxygen");
}

RowResult calculateRow(const RowInput& input, CalcOptions& options) {
    RowResult r;
    r.input = input;
    r.cpx = CalculateClinopyroxene(input.cpx, options);

    const Classification classification = classifyPyroxene(r.cpx);
    r.cls = classification.result;
    r.modifiers = selectModifiers(r.cpx.formula, classification.nameForModifiers);
    r.cpxResults = evaluateCpxThermobarometry(input, r.cpx, r.cls);

    if (input.hasOpx) {
        r.opx = CalculateOrthopyroxene(input.opx, options);
        r.lindsley = ComputeLindsleyProjection(r.cpx.formula, r.cpx.sites, r.cpx.basic,
                                               r.cpx.sets, r.opx.formula, r.opx.sites, options);
        r.pairResults =
            evaluatePairThermobarometry(input, r.cpx, r.opx, r.cpxResults.temperatures, options);
    }
    r.checks = checkPyroxeneLabels(input, r.cpx, input.hasOpx ? &r.opx : nullptr, r.cls);
    // Without an orthopyroxene the check is empty, which blanks every pair result.
    applyPairKeepOrBlank(r.pairResults, r.cls, r.checks);
    return r;
}

RunSummary RunCalculation(const RunSurroundings& s, OptionStore& store) {
    RunSummary summary;
    s.entry.setScreenTitle("Wait Please");
    reconcileOptions(store, s.results);
    summary.analysisFilePath = s.entry.ensureTableLoaded();

    s.results.show();
    if (s.plotData) s.plotData->open();

    CalcOptions options(store);
    EntryRow row;
    int rowNumber = 0;
    std::string text;
    std::vector<NonNumericCell> notes;
    // Exactly the rows whose Cpx SiO2 reads as non-zero are analyses, wherever they
    // stand in the table: an empty row between analyses must not hide the ones below.
    while (s.rows.next(row, rowNumber)) {
        if (readLeadingNumber(row[EntryColumn::CpxFirstOxide]) == 0.0) {
            s.results.skippedRow(rowNumber);
            continue;
        }
        notes.clear();
        const RowInput input = readEntryRow(row, rowNumber, &notes);
        summary.nonNumericCellCount += notes.size();
        for (NonNumericCell& note : notes)
            if (summary.nonNumericCells.size() < RunSummary::kNonNumericCellsKept)
                summary.nonNumericCells.push_back(std::move(note));
        summary.pressureDefaulted |= input.pressureDefaulted;
        summary.temperatureDefaulted |= input.temperatureDefaulted;

        const RowResult result = calculateRow(input, options);
        text.clear();
        appendResultRow(text, result);
        s.results.setStatusPanel(1, summary.analysisFilePath);
        s.results.appendResultRow(text, result);
        if (s.plotData) s.plotData->writeRow(result);
        ++summary.rowsCalculated;
    }

    if (summary.pressureDefaulted && summary.temperatureDefaulted)
        s.messages.showExclamation(kDefaultsUsedMessage);
    if (s.plotData) s.plotData->close();
    s.entry.setScreenTitle("Data Entry Screen");
    return summary;
}

}  // namespace kalvoren
