#pragma once
// The batch tool's run: reads an input table, drives RunCalculation and writes the
// results. main.cpp only parses the command line.

#include <iosfwd>
#include <string>
#include <vector>

#include "engine/CalcOptions.h"

namespace kalvoren {

struct BatchOptions {
    std::vector<Option> marks;
    std::string input;
    std::string output = "-";
    std::string plotDataDir;  // empty: no data files
    std::string diagramsDir;  // empty: no diagrams
    bool positional = false;  // a .csv without heading row, in the analysis file's field order
    bool keepEmpty = false;   // an empty result row for each row that is not calculated
    bool quiet = false;       // no progress bar
};

// Exit status: 0 success, 1 when the input cannot be read or the output not written.
int runBatch(const BatchOptions& options, std::ostream& err);

}  // namespace kalvoren
