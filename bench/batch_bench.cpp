// kalvoren-calc on whole data sets: 10^5 and 10^6 generated rows from CSV in to TSV out,
// rows per second and the peak resident memory of the tool.

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The data rows of the bundled example CSV (without its heading).
std::vector<std::string> exampleLines(std::string& heading) {
    std::ifstream in(KALVOREN_SOURCE_DIR "/examples/example.csv");
    std::vector<std::string> lines;
    std::string line;
    std::getline(in, heading);
    // The example is written with CR LF line ends.
    if (!heading.empty() && heading.back() == '\r') heading.pop_back();
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

// N realistic rows: the example's Cpx-Opx pairs and lone Cpx, cycled, each oxide moved
// by up to 2 % relative so that no two rows are the same.
fs::path generate(long long n) {
    const fs::path path = fs::temp_directory_path() / ("kalvoren-bench-" + std::to_string(n) + ".csv");
    if (fs::exists(path)) return path;
    std::string heading;
    const std::vector<std::string> rows = exampleLines(heading);
    std::mt19937 random(42);
    std::uniform_real_distribution<double> jitter(0.98, 1.02);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fprintf(f, "%s\n", heading.c_str());
    char number[32];
    for (long long i = 0; i < n; ++i) {
        const std::string& row = rows[static_cast<std::size_t>(i) % rows.size()];
        std::string out;
        std::size_t begin = 0;
        int field = 0;
        while (true) {
            const std::size_t comma = row.find(',', begin);
            const std::string cell = row.substr(begin, comma - begin);
            if (field) out.push_back(',');
            const bool oxide = (field >= 1 && field <= 18) || field >= 22;
            if (oxide && !cell.empty() && cell != "0") {
                std::snprintf(number, sizeof number, "%.4g", std::stod(cell) * jitter(random));
                out += number;
            } else {
                out += cell;
            }
            ++field;
            if (comma == std::string::npos) break;
            begin = comma + 1;
        }
        std::fprintf(f, "%s\n", out.c_str());
    }
    std::fclose(f);
    return path;
}

void BM_BatchCsvToTsv(benchmark::State& state) {
    const long long n = state.range(0);
    const fs::path input = generate(n);
    const fs::path output = fs::temp_directory_path() / "kalvoren-bench-out.tsv";
    long peakKb = 0;
    for (auto _ : state) {
        const std::string out = output.string(), in = input.string();
        const char* argv[] = {KALVOREN_CALC, "-q", "-o", out.c_str(), in.c_str(), nullptr};
        pid_t pid;
        const auto start = std::chrono::steady_clock::now();
        posix_spawn(&pid, KALVOREN_CALC, nullptr, nullptr, const_cast<char**>(argv), environ);
        int status = 0;
        struct rusage usage {};
        wait4(pid, &status, 0, &usage);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        peakKb = std::max(peakKb, usage.ru_maxrss);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("kalvoren-calc failed");
    }
    state.counters["rows_per_s"] =
        benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_MB"] = static_cast<double>(peakKb) / 1024.0;
    fs::remove(output);
}
BENCHMARK(BM_BatchCsvToTsv)
    ->Arg(100000)
    ->Arg(1000000)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
