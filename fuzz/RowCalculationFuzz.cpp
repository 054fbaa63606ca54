// The row calculation: an arbitrary entry row (43 cells from TAB-separated text, any
// marks of the eleven options) through readEntryRow, calculateRow, the result row and
// the diagram data lines.
//
// Properties:
// - the result row has 211 fields; the computed ones hold only number characters and
//   never "nan" or "inf" (in any case); the sample names and the temperature are the
//   cells as entered (TAB, CR and LF shown as blanks, an empty temperature as "900");
// - the entered oxides and the pressure are the cells' leading numbers as general
//   numbers (a pressure that reads as 0 is 5); without an orthopyroxene the last 79
//   fields are empty;
// - the diagram data lines hold no "nan" or "inf" that the entered texts did not;
// - the same row calculated twice gives the same text (no uninitialised state);
// - every cell listed as not a plain number is one.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "classification/PlotDataFile.h"
#include "classification/ResultRow.h"
#include "classification/RunCalculation.h"
#include "engine/Analysis.h"
#include "engine/LeadingNumber.h"
#include "engine/NumberFormat.h"

namespace {

using namespace kalvoren;

constexpr int kSampleColumn = 0;
constexpr int kTemperatureColumn = 21;
constexpr int kOpxSampleColumn = 131;
constexpr int kFirstOpxColumn = 132;
// Texts that the calculation writes: group, name, modifiers and the two checks.
constexpr std::array<int, 5> kWordColumns = {125, 126, 127, 130, 210};

class NoSink final : public ResultSink {
  public:
    void setStatusPanel(int, std::string_view) override {}
    void show() override {}
    void appendResultRow(std::string_view, const RowResult&) override {}
};

std::string shownAsText(std::string_view cell) {
    std::string s(cell);
    for (char& c : s)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return s;
}

std::vector<std::string_view> splitFields(std::string_view row) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = row.find('\t', start);
        fields.push_back(row.substr(start, tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

bool isWordColumn(int column) {
    for (int c : kWordColumns)
        if (c == column) return true;
    return false;
}

bool holdsOnlyNumberCharacters(std::string_view field) {
    return field.find_first_not_of("0123456789.,-+E") == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // Two bytes of option marks (and whether the run reconciles them first), then the cells.
    OptionMarks marks;
    const unsigned bits = data[0] | (static_cast<unsigned>(data[1]) << 8);
    for (int i = 0; i < kOptionCount; ++i)
        marks.setMarked(static_cast<Option>(i), ((bits >> i) & 1u) != 0);
    if (bits & (1u << 15)) {
        NoSink sink;
        reconcileOptions(marks, sink);
    }
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

    EntryRow row;
    {
        std::size_t start = 0;
        for (int c = 0; c < kTableColumns; ++c) {
            if (start > text.size()) break;
            const std::size_t tab = text.find('\t', start);
            row.cells[static_cast<std::size_t>(c)] = std::string_view(text).substr(
                start, tab == std::string::npos ? std::string::npos : tab - start);
            start = tab == std::string::npos ? text.size() + 1 : tab + 1;
        }
    }

    std::vector<NonNumericCell> notes;
    const RowInput input = readEntryRow(row, 7, &notes);
    for (const NonNumericCell& note : notes) {
        FUZZ_REQUIRE(note.row == 7);
        FUZZ_REQUIRE(note.column >= 1 && note.column < kTableColumns);
        // The cell's text, or its first 97-100 bytes (whole UTF-8 characters) and "...".
        const std::string_view cell = row[note.column];
        if (cell.size() <= NonNumericCell::kNoteTextBytes) {
            FUZZ_REQUIRE(note.text == cell);
        } else {
            const std::string_view noted(note.text);
            FUZZ_REQUIRE(noted.ends_with("..."));
            const std::string_view start = noted.substr(0, noted.size() - 3);
            FUZZ_REQUIRE(start.size() + 3 >= NonNumericCell::kNoteTextBytes &&
                         start.size() <= NonNumericCell::kNoteTextBytes);
            FUZZ_REQUIRE(cell.starts_with(start));
        }
        FUZZ_REQUIRE(note.column == EntryColumn::Temperature || !isPlainNumber(cell) ||
                     readLeadingNumber(cell).isBlank());
    }

    OptionMarks secondMarks = marks;
    CalcOptions options(marks);
    const RowResult result = calculateRow(input, options);
    const std::string line = formatResultRow(result);

    CalcOptions secondOptions(secondMarks);
    FUZZ_REQUIRE(formatResultRow(calculateRow(input, secondOptions)) == line);

    const std::vector<std::string_view> fields = splitFields(line);
    FUZZ_REQUIRE(fields.size() == static_cast<std::size_t>(kResultColumns));

    FUZZ_REQUIRE(fields[kSampleColumn] == shownAsText(row[EntryColumn::CpxSample]));
    FUZZ_REQUIRE(fields[kOpxSampleColumn] == shownAsText(row[EntryColumn::OpxSample]));
    const std::string_view t = row[EntryColumn::Temperature];
    FUZZ_REQUIRE(fields[kTemperatureColumn] == (t.empty() ? std::string("900") : shownAsText(t)));

    for (int i = 0; i < 18; ++i) {
        const Quantity oxide = readLeadingNumber(row[EntryColumn::CpxFirstOxide + i]);
        FUZZ_REQUIRE(fields[static_cast<std::size_t>(1 + i)] == formatGeneral(oxide));
    }
    const Quantity p = readLeadingNumber(row[EntryColumn::Pressure]);
    FUZZ_REQUIRE(fields[20] == formatGeneral(p == 0.0 ? Quantity(5.0) : p));

    for (int c = 0; c < kResultColumns; ++c) {
        const std::string_view field = fields[static_cast<std::size_t>(c)];
        if (c == kSampleColumn || c == kTemperatureColumn || c == kOpxSampleColumn) continue;
        FUZZ_REQUIRE(!fuzz::holdsNanOrInf(field));
        if (!isWordColumn(c)) FUZZ_REQUIRE(holdsOnlyNumberCharacters(field));
        if (!input.hasOpx && c >= kFirstOpxColumn) FUZZ_REQUIRE(field.empty());
    }

    const bool enteredNanOrInf = fuzz::holdsNanOrInf(text);
    for (const std::string& dataLine : plotDataLines(result)) {
        if (!enteredNanOrInf) FUZZ_REQUIRE(!fuzz::holdsNanOrInf(dataLine));
    }
    return 0;
}
