#pragma once
// Reads a diagram data file back: the heading line, then one row per data line.
//
// The files are Windows-1252 text with CR LF line ends. Fields sit in print zones 14
// characters wide: a field that starts at column s and is n characters long is followed
// by the next field at ((s + n) / 14 + 1) * 14, and a blank field is written as nothing,
// so the next field starts one zone later. Numbers are formatted texts ("0.1234",
// "1,234.50") or general numbers with a leading blank or minus sign and a trailing blank
// (" 45.2 ", "-3 "). A sample name may hold blanks and run past its zone, so the reader
// recovers the numeric fields by walking the zone layout rather than by splitting on blanks.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Quantity.h"

namespace kalvoren {

// The shape of a file's data lines, decided by its heading line.
struct PlotLineLayout {
    bool hasSample = true;  // the first field is the sample name
    // Headings of the fields after the sample, in order. A field headed "." holds the
    // text "." (the separator between the Cpx and Opx triples of the Lindsley file).
    std::vector<std::string> valueHeadings;
};

struct PlotDataRow {
    int lineNumber = 0;            // 1-based line of the file
    std::string sample;            // UTF-8; empty when the file has no sample field
    std::vector<Quantity> values;  // one per value heading; blank for a blank field
};

struct PlotData {
    std::string fileName;               // as given, for messages
    bool found = false;                 // the file exists and was read
    bool missing = false;               // there is no file of that name
    std::string error;                  // why it could not be read; empty when read
    std::vector<std::string> headings;  // the heading line's fields
    PlotLineLayout layout;
    std::vector<PlotDataRow> rows;
    int skippedLines = 0;  // data lines that fit no zone layout

    bool hasDataLines() const { return !rows.empty() || skippedLines > 0; }
};

// The layout of the data lines for a heading line's fields. TINAALIV.dat names a
// "SampleNo" field that its data lines do not carry; WOENFSLindsley.dat has no sample.
PlotLineLayout plotLineLayout(const std::vector<std::string>& headings);

// One data line (without its line end) against a layout; nullopt when no zone layout fits.
std::optional<PlotDataRow> parsePlotDataLine(std::string_view line, const PlotLineLayout& layout);

// A number field's text: a formatted text with "," grouping or a general number.
std::optional<double> parsePlotNumber(std::string_view text);

// The whole contents of a data file.
PlotData parsePlotData(std::string_view contents, std::string fileName);

// Reads a data file; a missing or unreadable file gives found = false and the reason.
PlotData readPlotData(const std::filesystem::path& file);

}  // namespace kalvoren
