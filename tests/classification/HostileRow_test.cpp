// Entry rows no analysis would hold: overflowing and subnormal oxides, negative amounts,
// absolute zero and beyond-range temperatures and pressures, cells of text. Every one
// calculates to a result row of 211 fields without "nan" or "inf", under every option,
// and the diagram data lines stay free of them too.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "classification/PlotDataFile.h"
#include "classification/ResultRow.h"
#include "classification/RunCalculation.h"
#include "engine/Analysis.h"
#include "engine/CalcOptions.h"

namespace kalvoren {
namespace {

bool holdsNanOrInf(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text.find("nan") != std::string::npos || text.find("inf") != std::string::npos;
}

std::vector<std::string> fieldsOf(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

// An entry row: the Cpx oxides (and the Opx ones when `opx` is set) all `oxide`, then P, T.
std::array<std::string, kTableColumns> rowOf(const std::string& oxide, const std::string& p,
                                             const std::string& t, bool opx) {
    std::array<std::string, kTableColumns> cells{};
    cells[0] = "1";
    cells[EntryColumn::CpxSample] = "Px";
    for (int i = 0; i < 18; ++i) cells[EntryColumn::CpxFirstOxide + i] = oxide;
    cells[EntryColumn::Pressure] = p;
    cells[EntryColumn::Temperature] = t;
    if (opx) {
        cells[EntryColumn::OpxSample] = "Opx";
        for (int i = 0; i < 18; ++i) cells[EntryColumn::OpxFirstOxide + i] = oxide;
    }
    return cells;
}

TEST(HostileRow, EveryHostileRowGives211FieldsWithoutNanOrInf) {
    const std::vector<std::string> oxides = {"1e308",
                                             "-1e308",
                                             "1.7976931348623157e308",
                                             "1e-320",
                                             "-5",
                                             "0",
                                             "&HFFFFFFFFFFFFFFFFFFFF",
                                             "1e400",
                                             "x",
                                             "51.7",
                                             "1e15"};
    const std::vector<std::pair<std::string, std::string>> conditions = {
        {"", ""},     {"15", "1325"}, {"1e308", "1e308"},   {"-1e308", "-273.15"}, {"0", "-273.15"},
        {"5", "nan"}, {"5", "inf"},   {"1e-320", "1e-320"}, {"&H7FF", "1e400"},
    };
    int rows = 0;
    for (const std::string& oxide : oxides) {
        for (const auto& [p, t] : conditions) {
            for (const bool opx : {false, true}) {
                const auto cells = rowOf(oxide, p, t, opx);
                EntryRow row;
                for (int c = 0; c < kTableColumns; ++c) row.cells[c] = cells[c];
                const RowInput input = readEntryRow(row, 1, nullptr);
                // Every option on and off, two at a time, covers every choice of each menu.
                for (int first = 0; first < kOptionCount; ++first) {
                    OptionMarks marks;
                    marks.setMarked(static_cast<Option>(first), true);
                    marks.setMarked(static_cast<Option>((first + 5) % kOptionCount), true);
                    CalcOptions options(marks);
                    const RowResult result = calculateRow(input, options);
                    const std::string line = formatResultRow(result);
                    const std::vector<std::string> fields = fieldsOf(line);
                    ASSERT_EQ(fields.size(), 211u) << oxide << " P " << p << " T " << t;
                    for (std::size_t f = 0; f < fields.size(); ++f) {
                        if (f == 21) continue;  // the temperature as entered
                        EXPECT_FALSE(holdsNanOrInf(fields[f]))
                            << "field " << f << " \"" << fields[f] << "\" for " << oxide << " P "
                            << p << " T " << t;
                    }
                    EXPECT_EQ(fields[21], t.empty() ? "900" : t);
                    if (t != "nan" && t != "inf") {
                        for (const std::string& data : plotDataLines(result))
                            EXPECT_FALSE(holdsNanOrInf(data)) << data;
                    }
                    ++rows;
                }
            }
        }
    }
    EXPECT_EQ(rows, 11 * 9 * 2 * kOptionCount);
}

}  // namespace
}  // namespace kalvoren
