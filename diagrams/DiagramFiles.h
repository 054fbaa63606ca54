#pragma once
// The diagrams drawn from the data files of a folder: one at a time for a window, or all
// eighteen written as SVG files.

#include <filesystem>
#include <string>
#include <vector>

namespace kalvoren {

struct DiagramWriteReport {
    int written = 0;   // SVG files written
    int withData = 0;  // of those, diagrams with at least one data line in their file
    // One message per file that could not be written, naming the file and the reason.
    std::vector<std::string> errors;

    bool ok() const { return errors.empty(); }
};

// Writes the eighteen diagrams into `outFolder` (created when missing) as
// "<template name>.svg", drawn from the data files found in `dataFolder`. A missing data
// file is no error: its diagrams say "no data".
DiagramWriteReport writeDiagrams(const std::filesystem::path& dataFolder,
                                 const std::filesystem::path& outFolder);

// Diagram `index` (0 to 17, menu order of kDiagramCatalogue) as SVG text, drawn from the
// data file in `dataFolder`; an empty string for an index outside the catalogue.
std::string renderDiagram(int index, const std::filesystem::path& dataFolder);

}  // namespace kalvoren
