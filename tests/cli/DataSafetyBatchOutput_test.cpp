// The batch tool's output when the disk fills up part way: the previous file must stay as
// it was, nothing half-written may be left beside it, and the tool must say so and exit
// with 1. A full disk is simulated by a file-size limit (RLIMIT_FSIZE) in a child process,
// with SIGXFSZ ignored so that writes fail with EFBIG instead of ending the process.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "classification/PlotDataFile.h"
#include "cli/OutputFile.h"

namespace kalvoren {
namespace {

namespace fs = std::filesystem;

using test::CalcRun;
using test::slurp;
using test::spit;

class Scratch : public test::Scratch {
  public:
    Scratch() : test::Scratch("kalvoren-safety") {}
};

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs `work` in a child process whose disk fills after `bytes`; returns its report ("" when
// the child did not finish).
std::string runWithFileSizeLimit(rlim_t bytes, const std::function<std::string()>& work) {
    return test::runIsolated(work, {.fileSize = bytes, .seconds = 60}).report;
}

// Runs kalvoren-calc whose disk fills after `bytes`. Its standard error is kept outside
// the scratch folder, whose files the tests count.
test::CalcRun runCalcWithFileSizeLimit(rlim_t bytes, const std::vector<std::string>& args) {
    const fs::path errFile =
        fs::temp_directory_path() / ("kalvoren-safety-stderr-" + std::to_string(::getpid()));
    test::CalcRun run = test::runCalc(args, errFile, {.fileSize = bytes});
    fs::remove(errFile);
    return run;
}

TEST(DataSafetyBatchOutput, AnOutputCutShortByAFullDiskKeepsThePreviousFileAndSaysSo) {
    Scratch scratch;
    const fs::path target = scratch.file("results.tsv");
    const std::string line(99, 'r');
    constexpr int kLines = 30000;  // 3 MB: the write buffer fills and flushes on the way
    const rlim_t total = rlim_t{kLines} * 100;

    // The disk is full from the start, after a few bytes, at one buffer, one byte short.
    for (const rlim_t limit : {rlim_t{0}, rlim_t{1000}, rlim_t{1} << 20, total - 1}) {
        spit(target, "previous results\n");
        const std::string report = runWithFileSizeLimit(limit, [&] {
            OutputFile out;
            std::string error;
            if (!out.open(target.string(), error)) return "open: " + error;
            for (int i = 0; i < kLines; ++i) {
                out.write(line);
                out.write("\n");
            }
            const bool committed = out.commit(error);
            return std::to_string(committed) + "|" + error;
        });
        EXPECT_EQ(report, "0|cannot write '" + target.string() +
                              "': File too large (the previous file, if any, is unchanged)")
            << "limit " << limit;
        EXPECT_EQ(slurp(target), "previous results\n") << "limit " << limit;
        EXPECT_EQ(namesIn(scratch.path()), std::vector<std::string>{"results.tsv"})
            << "limit " << limit;
    }

    // With room enough the same output replaces the file.
    const std::string report = runWithFileSizeLimit(total, [&] {
        OutputFile out;
        std::string error;
        if (!out.open(target.string(), error)) return "open: " + error;
        for (int i = 0; i < kLines; ++i) {
            out.write(line);
            out.write("\n");
        }
        return std::to_string(out.commit(error)) + "|" + error;
    });
    EXPECT_EQ(report, "1|");
    EXPECT_EQ(fs::file_size(target), total);
}

TEST(DataSafetyBatchOutput, ABatchRunCutShortByAFullDiskExitsWithOneAndKeepsThePreviousFile) {
    Scratch scratch;
    const fs::path input = fs::path(KALVOREN_SOURCE_DIR) / "examples" / "example.pyx";
    const struct {
        std::string name;
        rlim_t limit;  // under the size of the complete output
        std::string says;
    } cases[] = {
        {"results.tsv", 8192,
         "kalvoren-calc: cannot write '{}': File too large (the previous "
         "file, if any, is unchanged)\n"},
        {"results.csv", 8192,
         "kalvoren-calc: cannot write '{}': File too large (the previous "
         "file, if any, is unchanged)\n"},
        // A workbook is compressed: the 45 rows take about 6 kB.
        {"results.xlsx", 4096, "kalvoren-calc: The workbook \"{}\" cannot be written: "},
    };
    for (const auto& c : cases) {
        const fs::path output = scratch.file(c.name);
        spit(output, "previous results\n");
        const CalcRun run =
            runCalcWithFileSizeLimit(c.limit, {"-o", output.string(), input.string()});
        EXPECT_EQ(run.status, 1) << run.err;
        std::string says = c.says;
        says.replace(says.find("{}"), 2, output.string());
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
        EXPECT_EQ(slurp(output), "previous results\n");
    }
    EXPECT_EQ(namesIn(scratch.path()),
              (std::vector<std::string>{"results.csv", "results.tsv", "results.xlsx"}));
}

TEST(DataSafetyBatchOutput, ALinkIsWrittenThroughAndADeviceOrPipeIsWrittenNotReplaced) {
    Scratch scratch;
    auto writeAll = [](const fs::path& target, const std::string& text) {
        OutputFile out;
        std::string error;
        if (!out.open(target.string(), error)) return error;
        out.write(text);
        return out.commit(error) ? std::string("ok") : error;
    };

    const fs::path real = scratch.file("real.tsv");
    const fs::path link = scratch.file("link.tsv");
    spit(real, "previous\n");
    fs::create_symlink(real, link);
    EXPECT_EQ(writeAll(link, "results\n"), "ok");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(slurp(real), "results\n");

    // A pipe: what is written arrives at its reader, and the pipe stays a pipe.
    const fs::path pipe = scratch.file("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = slurp(pipe); });
    EXPECT_EQ(writeAll(pipe, "through the pipe\n"), "ok");
    reader.join();
    EXPECT_EQ(received, "through the pipe\n");
    EXPECT_TRUE(fs::is_fifo(pipe));

    // A device such as /dev/null: one of its own is made here when the system allows (the
    // real one is never put at risk).
    const fs::path device = scratch.file("null");
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        EXPECT_EQ(writeAll(device, "nothing\n"), "ok");
        EXPECT_TRUE(fs::is_character_file(device));
    }
}

// The diagram data files under a disk that fills at 2 kB: those cut short are removed and
// named, the run fails, and the results file keeps what it held.
TEST(DataSafetyBatchOutput, DataFilesCutShortByAFullDiskFailTheRun) {
    Scratch scratch;
    const fs::path input = fs::path(KALVOREN_SOURCE_DIR) / "examples" / "example.pyx";
    const fs::path plots = scratch.file("plots");
    const fs::path output = scratch.file("results.tsv");
    spit(output, "previous results\n");
    const CalcRun run = runCalcWithFileSizeLimit(
        2048, {"-o", output.string(), "--plot-data", plots.string(), input.string()});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(slurp(output), "previous results\n");
    int cutShort = 0;
    for (const std::string_view name : kPlotDataFileNames) {
        const fs::path file = plots / std::string(name);
        if (run.err.find("\"" + file.string() +
                         "\" cannot be written: File too large; the "
                         "incomplete file has been removed.") != std::string::npos) {
            ++cutShort;
            EXPECT_FALSE(fs::exists(file)) << name;
        } else {
            EXPECT_LE(fs::file_size(file), 2048u) << name;
            EXPECT_TRUE(slurp(file).ends_with("\r\n")) << name;
        }
    }
    EXPECT_GT(cutShort, 0) << run.err;
}

}  // namespace
}  // namespace kalvoren
