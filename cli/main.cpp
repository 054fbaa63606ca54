// kalvoren-calc: the batch tool. Calculates every analysis of an input table with the
// same run as the desktop program and writes the result rows.

#include <CLI/CLI.hpp>

#include <iostream>
#include <string>
#include <vector>

#include "cli/BatchRun.h"

int main(int argc, char** argv) {
    using namespace kalvoren;
    CLI::App app{"Pyroxene calculation, classification and thermobarometry of an analysis table",
                 "kalvoren-calc"};
    BatchOptions options;
    std::vector<std::string> markNames;
    app.add_option("--mark", markNames,
                   "Mark a calculation option by its name (repeatable): fourCations, "
                   "withoutFourCations, fe3Droop, fe3Papike, fe3Average, lindsleyAugite, "
                   "lindsleyPigeonite, woEnFsFe2, woEnFsFetotMn, corFac, useMgFeOrder");
    app.add_option("-o", options.output,
                   "Results file: .tsv (default), .csv; - or absent: standard output (TSV)");
    app.add_option("--plot-data", options.plotDataDir,
                   "Folder for the eleven diagram data files");
    app.add_option("--diagrams", options.diagramsDir,
                   "Folder for the eighteen diagrams, drawn as SVG from the run's data files");
    app.add_flag("--positional", options.positional,
                 "Read a .csv without heading row in the analysis file's 42-field order");
    app.add_flag("--keep-empty", options.keepEmpty,
                 "Write an empty result row for each row that is not calculated");
    app.add_flag("-q,--quiet", options.quiet, "No progress bar and no closing count");
    app.add_option("INPUT", options.input,
                   "Analysis file (.pyx), or a table with named columns (.csv, .tsv)")
        ->required();

    try {
        app.parse(argc, argv);
        for (const std::string& name : markNames) {
            const auto option = optionFromName(name);
            if (!option) throw CLI::ValidationError("--mark", "unknown option name '" + name + "'");
            options.marks.push_back(*option);
        }
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::ParseError& e) {
        std::cerr << "kalvoren-calc: " << e.what() << "\n\n" << app.help();
        return 2;
    }
    return runBatch(options, std::cerr);
}
