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

#include "TempFolder.h"
#include "entry/AnalysisFile.h"
#include "entry/AnalysisTable.h"

namespace kalvoren {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;
using ::testing::HasSubstr;

// AddressSanitizer keeps freed memory in quarantine and adds shadow memory, so resident
// memory says nothing about the program there; the bound is checked in normal builds.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryMeasurable = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMemoryMeasurable = false;
#else
constexpr bool kMemoryMeasurable = true;
#endif
#else
constexpr bool kMemoryMeasurable = true;
#endif

constexpr long kBoundKilobytes = 256 * 1024;  // 256 MB

struct Isolated {
    bool finished = false;  // the child ran to its end
    long grownKilobytes = 0;
    std::string report;
};

// Runs `work` in a child process; returns its report and how far its resident memory
// grew above what it inherited.
Isolated runIsolated(const std::function<std::string()>& work) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeEnds[0]);
        ::alarm(120);  // a child that hangs is ended and counts as not finished
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        const std::string report = work();
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);
        const std::string message =
            std::to_string(after.ru_maxrss - before.ru_maxrss) + "\n" + report;
        std::size_t written = 0;
        while (written < message.size()) {
            const ssize_t n =
                ::write(pipeEnds[1], message.data() + written, message.size() - written);
            if (n <= 0) break;
            written += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string message;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        message.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    Isolated result;
    result.finished = pid > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const std::size_t newline = message.find('\n');
    if (!result.finished || newline == std::string::npos) return result;
    result.grownKilobytes = std::stol(message.substr(0, newline));
    result.report = message.substr(newline + 1);
    return result;
}

void expectUnderBound(const Isolated& run) {
    ASSERT_TRUE(run.finished) << "the child process did not finish";
    if (kMemoryMeasurable) {
        EXPECT_LT(run.grownKilobytes, kBoundKilobytes)
            << "loading took " << run.grownKilobytes / 1024 << " MB, not under 256 MB";
    }
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
