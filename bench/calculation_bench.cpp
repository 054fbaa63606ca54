// Row calculation and whole runs over a full 1000-row table of the bundled example.

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "classification/ResultRow.h"
#include "classification/RunCalculation.h"
#include "engine/Analysis.h"

namespace {
using namespace kalvoren;

// The data rows of the bundled example, as 43-cell rows (column 0 the row number).
std::vector<std::vector<std::string>> exampleRows() {
    std::ifstream in(KALVOREN_SOURCE_DIR "/examples/example.pyx", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string body = bytes.substr(1, bytes.rfind('"') - 1);
    std::vector<std::vector<std::string>> rows;
    std::size_t start = 0;
    while (start <= body.size()) {
        const std::size_t end = std::min(body.find('\r', start), body.size());
        std::vector<std::string> cells{std::to_string(rows.size() + 1)};
        std::size_t c = start;
        while (true) {
            const std::size_t tab = std::min(body.find('\t', c), end);
            cells.emplace_back(body.substr(c, tab - c));
            if (tab >= end) break;
            c = tab + 1;
        }
        cells.resize(kTableColumns);
        if (!cells[EntryColumn::CpxFirstOxide].empty()) rows.push_back(std::move(cells));
        start = end + 1;
    }
    return rows;
}

EntryRow viewOf(const std::vector<std::string>& cells) {
    EntryRow row;
    for (int c = 0; c < kTableColumns; ++c) row.cells[c] = cells[c];
    return row;
}

class TableRows final : public EntrySource {
public:
    explicit TableRows(const std::vector<std::vector<std::string>>& rows) : rows_(rows) {}
    bool next(EntryRow& row, int& number) override {
        if (i_ >= rows_.size()) return false;
        row = viewOf(rows_[i_]);
        number = static_cast<int>(++i_);
        return true;
    }

private:
    const std::vector<std::vector<std::string>>& rows_;
    std::size_t i_ = 0;
};

struct Quiet final : EntryScreen, ResultSink, MessageSink {
    void setScreenTitle(std::string_view) override {}
    std::string ensureTableLoaded() override { return "example.pyx"; }
    void setStatusPanel(int, std::string_view) override {}
    void show() override {}
    void appendResultRow(std::string_view text, const RowResult&) override {
        bytes += text.size();
    }
    void showExclamation(std::string_view) override {}
    std::size_t bytes = 0;
};

void BM_CalculateAndFormatRow(benchmark::State& state) {
    const auto rows = exampleRows();
    OptionMarks marks;
    Quiet quiet;
    reconcileOptions(marks, quiet);
    CalcOptions options(marks);
    std::string text;
    std::size_t i = 0;
    for (auto _ : state) {
        const EntryRow row = viewOf(rows[i++ % rows.size()]);
        const RowInput input = readEntryRow(row, 1, nullptr);
        const RowResult result = calculateRow(input, options);
        text.clear();
        appendResultRow(text, result);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CalculateAndFormatRow);

void BM_RunFullTable(benchmark::State& state) {
    const auto example = exampleRows();
    std::vector<std::vector<std::string>> table;
    while (table.size() < kDataRows) table.push_back(example[table.size() % example.size()]);
    for (auto _ : state) {
        OptionMarks marks;
        TableRows rows(table);
        Quiet quiet;
        RunSurroundings s{quiet, rows, quiet, nullptr, quiet};
        const RunSummary summary = RunCalculation(s, marks);
        benchmark::DoNotOptimize(summary.rowsCalculated);
    }
    state.SetItemsProcessed(state.iterations() * kDataRows);
}
BENCHMARK(BM_RunFullTable)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
