// Delimited tables built to hurt the batch tool: records beyond the reader's 1 MB bound,
// one reached through quoted line breaks, and a 100 MB file without a single line end.
// Each gets a message with the line on which the record starts, memory stays under
// 256 MB (the reader stops at the bound instead of reading on), and the previous output
// file is left alone.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/CsvReader.h"

namespace kalvoren {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

constexpr long kBoundKilobytes = 256 * 1024;  // 256 MB

class Scratch {
  public:
    Scratch() {
        path_ = fs::temp_directory_path() /
                ("kalvoren-hostile-csv-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    fs::path file(const std::string& name) const { return path_ / name; }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void spit(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

struct CalcRun {
    int status = -1;
    std::string err;
    long maxResidentKilobytes = 0;
};

// Runs kalvoren-calc with `args` (standard output to /dev/null) and measures its memory.
CalcRun runCalc(const Scratch& scratch, const std::vector<std::string>& args) {
    const fs::path errFile = scratch.file("stderr");
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::alarm(120);
        std::vector<char*> argv{const_cast<char*>(KALVOREN_CALC)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(KALVOREN_CALC, argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    CalcRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = slurp(errFile);
    run.maxResidentKilobytes = usage.ru_maxrss;
    return run;
}

void expectUnderBound(long kilobytes) {
    if (!kSanitized) {
        EXPECT_LT(kilobytes, kBoundKilobytes)
            << "the run took " << kilobytes / 1024 << " MB, not under 256 MB";
    }
}

// The error the reader gives for `text`, and the bytes it read.
std::string readerError(std::FILE* file, long long* bytesRead = nullptr) {
    CsvReader reader(file, ',');
    while (reader.next()) {
    }
    if (bytesRead) *bytesRead = reader.bytesRead();
    return reader.error();
}

const std::string kHeadings = "Sample,SiO2,TiO2,Al2O3,FeO,MgO,CaO,Na2O,P_kbar,T_C\n";
const std::string kAnalysis = "Aug 2,51.7,0.28,8.38,6.69,21.4,11.7,0.64,15,1325\n";

TEST(HostileCsv, ARecordOverTheBoundIsReportedAtTheLineOnWhichItStarts) {
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        // A quoted field with line breaks counts its lines; the long record starts on line 5.
        {kHeadings + "\"two\nlines\",1\n" + kAnalysis + std::string((1 << 20) + 1, 'y') + "\n",
         "line 5: a record longer than 1 MB"},
        // The long record is itself a quoted field over many lines.
        {kHeadings + kAnalysis + "\"" +
             [&] {
                 std::string lines;
                 while (lines.size() <= (1u << 20)) lines += std::string(999, 'z') + "\n";
                 return lines;
             }() +
             "\",1\n",
         "line 3: a record longer than 1 MB"},
        // Exactly at the bound is still a record; one byte more is not.
        {std::string(1 << 20, 'a') + "\n" + std::string((1 << 20) + 1, 'b'),
         "line 2: a record longer than 1 MB"},
    };
    for (const auto& c : cases) {
        std::FILE* f = ::fmemopen(const_cast<char*>(c.text.data()), c.text.size(), "rb");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(readerError(f), c.error);
        std::fclose(f);
    }
}

TEST(HostileCsv, AHundredMegabyteFileWithoutALineEndIsRefusedAfterReadingOneMegabyte) {
    Scratch scratch;
    const fs::path file = scratch.file("one line.csv");
    {
        std::ofstream out(file, std::ios::binary);
        const std::string chunk(1 << 20, 'w');
        for (int i = 0; i < 100; ++i) out << chunk;
    }
    std::FILE* f = std::fopen(file.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    long long bytesRead = 0;
    EXPECT_EQ(readerError(f, &bytesRead), "line 1: a record longer than 1 MB");
    std::fclose(f);
    EXPECT_LT(bytesRead, 2 << 20);

    // The batch tool says which file and which line, and stays small.
    const CalcRun run = runCalc(scratch, {file.string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kalvoren-calc: cannot read '" + file.string() +
                           "': line 1: a record longer than 1 MB\n");
    expectUnderBound(run.maxResidentKilobytes);
}

TEST(HostileCsv, ALongLineAfterGoodRowsFailsTheRunAndKeepsThePreviousOutput) {
    Scratch scratch;
    const fs::path input = scratch.file("table.csv");
    spit(input, kHeadings + kAnalysis + kAnalysis + "Long," + std::string(2 << 20, '5') + "\n" +
                    kAnalysis);
    const fs::path output = scratch.file("results.tsv");
    spit(output, "previous results\n");

    const CalcRun run = runCalc(scratch, {"-o", output.string(), input.string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kalvoren-calc: cannot read '" + input.string() +
                           "': line 4: a record longer than 1 MB\n");
    EXPECT_EQ(slurp(output), "previous results\n");
    // Nothing half-written is left beside it: the input, the output, the captured errors.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(scratch.path())) ++files;
    EXPECT_EQ(files, 3);
    expectUnderBound(run.maxResidentKilobytes);
}

}  // namespace
}  // namespace kalvoren
