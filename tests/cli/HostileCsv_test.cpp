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

#include "ChildProcess.h"
#include "cli/CsvReader.h"

namespace kalvoren {
namespace {

namespace fs = std::filesystem;

using test::CalcRun;
using test::expectUnderBound;
using test::slurp;
using test::spit;

class Scratch : public test::Scratch {
  public:
    Scratch() : test::Scratch("kalvoren-hostile-csv") {}
};

// Runs kalvoren-calc with `args`; its standard error is kept in the scratch folder.
CalcRun runCalc(const Scratch& scratch, const std::vector<std::string>& args) {
    return test::runCalc(args, scratch.file("stderr"));
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
