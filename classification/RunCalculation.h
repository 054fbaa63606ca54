#pragma once
// The calculation run: the one door to the engine for the desktop program, the batch
// tool and the tests. It reconciles the options, walks the entry rows, calculates,
// classifies and evaluates each, and hands the results to small sinks.

#include <string>
#include <string_view>
#include <cstddef>
#include <vector>

#include "classification/PlotDataFile.h"
#include "classification/RowResult.h"
#include "engine/Analysis.h"
#include "engine/CalcOptions.h"
#include "engine/EntryRow.h"

namespace kalvoren {

// The entry screen as the run sees it.
class EntryScreen {
public:
    virtual ~EntryScreen() = default;
    virtual void setScreenTitle(std::string_view title) = 0;
    // The file stage: make sure the table holds analyses (ask for and load an analysis
    // file when none was opened). Returns the analysis file path ("" when none).
    virtual std::string ensureTableLoaded() = 0;
};

// The rows to calculate, in table order. `next` fills `row` with the next entry row
// and its number (from 1) and returns false after the last.
class EntrySource {
public:
    virtual ~EntrySource() = default;
    virtual bool next(EntryRow& row, int& rowNumber) = 0;
};

// The results screen (or the batch tool's output).
class ResultSink {
public:
    virtual ~ResultSink() = default;
    virtual void setStatusPanel(int panel, std::string_view text) = 0;  // panels 1..5
    virtual void show() = 0;
    // One calculated row: the TAB-joined ResultRow text and the values behind it.
    virtual void appendResultRow(std::string_view rowText, const RowResult& row) = 0;
    // An entry row that was not calculated (its Cpx SiO2 reads as 0).
    virtual void skippedRow(int /*rowNumber*/) {}
};

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // A modal message with an exclamation icon and an OK button.
    virtual void showExclamation(std::string_view text) = 0;
};

inline constexpr std::string_view kDefaultsUsedMessage =
    "P = 5(kbar) & T = 900(oC) are used for geothermobarometry.";

struct RunSurroundings {
    EntryScreen& entry;
    EntrySource& rows;
    ResultSink& results;
    PlotDataSink* plotData = nullptr;  // none: no data files
    MessageSink& messages;
};

struct RunSummary {
    int rowsCalculated = 0;
    bool pressureDefaulted = false;
    bool temperatureDefaulted = false;
    std::string analysisFilePath;
    // Cells read by the leading-number rule: the first kNonNumericCellsKept of them, and
    // how many there were in all (the list stays small however long the table).
    static constexpr std::size_t kNonNumericCellsKept = 200;
    std::vector<NonNumericCell> nonNumericCells;
    std::size_t nonNumericCellCount = 0;
};

// Reconciles the marks of the store (sets fourCations, fe3Droop and lindsleyAugite,
// then clears what the other marks override) and writes the settings panels.
void reconcileOptions(OptionStore& store, ResultSink& results);

// Every result of one entry row. The options may be changed (the 4-cation stage clears
// fourCations when withoutFourCations is marked).
RowResult calculateRow(const RowInput& input, CalcOptions& options);

RunSummary RunCalculation(const RunSurroundings& surroundings, OptionStore& store);

}  // namespace kalvoren
