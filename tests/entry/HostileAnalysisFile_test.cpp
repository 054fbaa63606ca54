// Analysis files built to hurt: far too large, one enormous cell, binary, cut short,
// empty, a device. Each is loaded in a child process so that its memory can be measured
// on its own and a fault could not take the test binary down: it gets a clear reason or
// the format's defined result, stays under 256 MB, and never crashes.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "TempFolder.h"
#include "entry/AnalysisFile.h"
#include "entry/AnalysisTable.h"

namespace kalvoren {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;
using ::testing::HasSubstr;

using test::Isolated;
using test::runIsolated;

void expectUnderBound(const Isolated& run) {
    ASSERT_TRUE(run.finished) << "the child process did not finish";
    test::expectUnderBound(run.grownKilobytes);
}

CellGrid standardTable() {
    CellGrid table;
    capCell(table);
    return table;
}

// One analysis pair, 42 fields.
std::string pairLine() {
    const char* fields[] = {
        "Px-7", "51.93", "0.52",  "3.41", "",     "0.85", "",     "4.12", "0.11",  "",     "",
        "",     "16.20", "21.35", "0.48", "0",    "",     "",     "",     "",      "12.5", "1150",
        "",     "Opx-7", "54.80", "0.15", "2.10", "",     "0.40", "",     "10.30", "0.20", "0.08",
        "",     "",      "30.10", "1.65", "0.03", "",     "",     "",     ""};
    std::string line;
    for (const char* f : fields) {
        if (!line.empty()) line += '\t';
        line += f;
    }
    return line;
}

// Writes `"` + `line` repeated (joined by CR) to about `bytes` + `"` CR LF; returns
// the number of lines.
int writeRepeatedLines(const std::string& path, const std::string& line, std::size_t bytes) {
    std::ofstream out(path, std::ios::binary);
    out << '"';
    int lines = 0;
    for (std::size_t size = 0; size < bytes; size += line.size() + 1) {
        if (lines > 0) out << '\r';
        out << line;
        ++lines;
    }
    out << "\"\r\n";
    return lines;
}

TEST(HostileAnalysisFile, HundredMegabytesOfAnalysesLoadTheFirstThousandLinesUnder256MB) {
    TempFolder folder;
    const std::string path = folder.file("huge.pyx");
    const int lines = writeRepeatedLines(path, pairLine(), std::size_t{100} << 20);
    ASSERT_GT(lines, 400000);

    const Isolated run = runIsolated([&] {
        CellGrid table = standardTable();
        const AnalysisLoad load = loadAnalysisFile(table, path, "");
        std::ostringstream report;
        report << load.read << '|' << load.shape.lines << '|' << load.beyondTable << '|'
               << table.text(1, 1) << '|' << table.text(1000, 2) << '|' << table.text(1000, 42)
               << '|' << table.text(0, 1) << '|' << load.warning;
        return report.str();
    });
    expectUnderBound(run);
    EXPECT_THAT(run.report,
                ::testing::StartsWith("1|" + std::to_string(lines) + "|1|Px-7|51.93||Sample    |"));
    EXPECT_THAT(run.report, HasSubstr("the lines after line 1000 were not loaded."));
}

TEST(HostileAnalysisFile, HundredMegabytesOnOneLineKeepOnlyTheFieldsTheTableHas) {
    TempFolder folder;
    const std::string path = folder.file("wide.pyx");
    std::string fields;
    for (int i = 0; i < 1000; ++i) fields += "1.5\t";
    fields.pop_back();
    {
        std::ofstream out(path, std::ios::binary);
        out << '"';
        for (std::size_t size = 0; size < (std::size_t{100} << 20); size += fields.size() + 1)
            out << fields << '\t';
        out << "end\"\r\n";
    }
    const Isolated run = runIsolated([&] {
        CellGrid table = standardTable();
        table.setText(2, 1, "kept");
        const AnalysisLoad load = loadAnalysisFile(table, path, "");
        std::ostringstream report;
        report << load.read << '|' << load.shape.lines << '|' << (load.shape.mostFields > 42) << '|'
               << table.text(1, 1) << '|' << table.text(1, 42) << '|' << table.text(2, 1);
        return report.str();
    });
    expectUnderBound(run);
    EXPECT_EQ(run.report, "1|1|1|1.5|1.5|kept");
}

TEST(HostileAnalysisFile, ATenMegabyteCellLoadsWholeAndSavesBackByteForByte) {
    TempFolder folder;
    const std::string path = folder.file("big cell.pyx");
    const std::string bigCell(std::size_t{10} << 20, 'x');
    {
        CellGrid table = standardTable();
        table.setText(1, 1, bigCell);
        table.setText(1, 2, "51.2");
        ASSERT_TRUE(saveAnalysisFile(table, path).saved);
    }
    const std::string saved = readBytes(path);
    ASSERT_EQ(saved.size(), 42003u + bigCell.size() + 4u);

    const std::string copy = folder.file("copy.pyx");
    const Isolated run = runIsolated([&] {
        CellGrid table = standardTable();
        const AnalysisLoad load = loadAnalysisFile(table, path, "");
        const bool whole = table.text(1, 1) == bigCell;
        const AnalysisSave save = saveAnalysisFile(table, copy);
        std::ostringstream report;
        report << load.read << '|' << whole << '|' << table.text(1, 2) << '|' << save.saved;
        return report.str();
    });
    expectUnderBound(run);
    EXPECT_EQ(run.report, "1|1|51.2|1");
    EXPECT_TRUE(readBytes(copy) == saved);
}

TEST(HostileAnalysisFile, BrokenFilesAreRefusedWithAReasonAndNeverHalfRead) {
    TempFolder folder;
    // A standard file holding one analysis, to be cut short.
    std::string whole;
    {
        CellGrid table = standardTable();
        table.pasteBlockText(pairLine());
        const std::string path = folder.file("whole.pyx");
        ASSERT_TRUE(saveAnalysisFile(table, path).saved);
        whole = readBytes(path);
    }
    const struct {
        const char* name;
        std::string bytes;
        const char* reason;  // after the quoted path
    } cases[] = {
        {"empty.pyx", "", " is empty"},
        {"nul.pyx", std::string(std::size_t{1} << 20, '\0'),
         " is not an analysis file (binary data)"},
        {"nul in text.pyx", whole.substr(0, 100) + '\0' + whole.substr(100),
         " is not an analysis file (binary data)"},
        {"half.pyx", whole.substr(0, whole.size() / 2), " has no closing quote"},
        {"quote only.pyx", "\"", " has no closing quote"},
        {"one short.pyx", whole.substr(0, whole.size() - 3), " has no closing quote"},
    };
    for (const auto& c : cases) {
        const std::string path = folder.file(c.name);
        writeBytes(path, c.bytes);
        const Isolated run = runIsolated([&] {
            CellGrid table = standardTable();
            table.setText(5, 5, "kept");
            const AnalysisLoad load = loadAnalysisFile(table, path, "fallback");
            std::ostringstream report;
            report << load.read << '|' << load.reason << '|' << table.text(1, 1) << '|'
                   << table.text(1, 2) << '|' << table.text(5, 5);
            return report.str();
        });
        expectUnderBound(run);
        EXPECT_EQ(run.report, "0|'" + path + "'" + c.reason + "|fallback||kept") << c.name;
    }
}

TEST(HostileAnalysisFile, DevicesAreNotReadAsFiles) {
    // /dev/zero would give bytes without end, a pipe would wait for ever.
    TempFolder folder;
    const std::string pipe = folder.file("pipe.pyx");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {std::string("/dev/zero"), pipe}) {
        const Isolated run = runIsolated([&] {
            CellGrid table = standardTable();
            const AnalysisLoad load = loadAnalysisFile(table, path, "fallback");
            return std::to_string(load.read) + "|" + load.reason + "|" + table.text(1, 1);
        });
        expectUnderBound(run);
        EXPECT_EQ(run.report, "0|'" + path + "' is not a regular file|fallback");
    }
}

TEST(HostileAnalysisFile, AFileCutAfterItsClosingQuoteStillLoads) {
    TempFolder folder;
    const std::string path = folder.file("no line end.pyx");
    writeBytes(path, "\"" + pairLine() + "\"");
    CellGrid table = standardTable();
    const AnalysisLoad load = loadAnalysisFile(table, path, "");
    ASSERT_TRUE(load.read) << load.reason;
    EXPECT_EQ(table.text(1, 1), "Px-7");
    EXPECT_EQ(table.text(1, 41), "");
    EXPECT_EQ(table.text(1, 25), "54.80");
}

}  // namespace
}  // namespace kalvoren
