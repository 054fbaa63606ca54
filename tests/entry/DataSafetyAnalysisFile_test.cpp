// Saving an analysis file when the disk fills up part way: the previous file must stay
// as it was, nothing half-written may be left beside it, and the save must say so. A full
// disk is simulated by a file-size limit (RLIMIT_FSIZE) in a child process, with SIGXFSZ
// ignored so that the write fails with EFBIG instead of ending the process.

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
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

// Runs `work` in a child process whose files may not grow beyond `fileSizeLimit` bytes;
// returns what it reported ("" when the child did not finish).
std::string runWithFileSizeLimit(rlim_t fileSizeLimit, const std::function<std::string()>& work) {
    return test::runIsolated(work, {.fileSize = fileSizeLimit, .seconds = 60}).report;
}

int filesIn(const std::filesystem::path& folder) {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}

TEST(DataSafetyAnalysisFile, ASaveCutShortByAFullDiskKeepsThePreviousFileAndSaysSo) {
    TempFolder folder;
    const std::string path = folder.file("analyses.pyx");
    const std::string previous = "\"previous\tanalyses\"\r\n";

    CellGrid table;
    capCell(table);
    for (int r = 1; r <= 1000; ++r) table.setText(r, 1, "sample " + std::to_string(r));
    // 42003 bytes for the empty table plus the sample names.
    std::size_t fullSize = 42003;
    for (int r = 1; r <= 1000; ++r) fullSize += table.text(r, 1).size();

    // The disk fills up before the first byte, after a few, in the middle, one byte short.
    for (const rlim_t limit :
         {rlim_t{0}, rlim_t{1}, rlim_t{4096}, rlim_t{fullSize / 2}, rlim_t{fullSize - 1}}) {
        writeBytes(path, previous);
        const std::string report = runWithFileSizeLimit(limit, [&] {
            const AnalysisSave save = saveAnalysisFile(table, path);
            return std::to_string(save.saved) + "|" + save.reason;
        });
        EXPECT_EQ(report, "0|cannot save '" + path + "': File too large") << "limit " << limit;
        EXPECT_EQ(readBytes(path), previous) << "limit " << limit;
        EXPECT_EQ(filesIn(folder.path()), 1) << "a partial file was left beside, limit " << limit;
    }

    // With room enough the same save goes through.
    const std::string report = runWithFileSizeLimit(
        fullSize, [&] { return std::to_string(saveAnalysisFile(table, path).saved); });
    EXPECT_EQ(report, "1");
    EXPECT_EQ(readBytes(path).size(), fullSize);
    EXPECT_EQ(filesIn(folder.path()), 1);
}

TEST(DataSafetyAnalysisFile, AFailedFirstSaveLeavesNoFileBehind) {
    TempFolder folder;
    const std::string path = folder.file("new.pyx");
    CellGrid table;
    capCell(table);
    const std::string report = runWithFileSizeLimit(1000, [&] {
        const AnalysisSave save = saveAnalysisFile(table, path);
        return std::to_string(save.saved) + "|" + save.reason;
    });
    EXPECT_EQ(report, "0|cannot save '" + path + "': File too large");
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(filesIn(folder.path()), 0);
}

TEST(DataSafetyAnalysisFile, ASaveOntoADeviceOrPipeIsRefusedAndLeavesItAlone) {
    TempFolder folder;
    CellGrid table;
    capCell(table);
    std::vector<std::string> targets;
    const std::string pipe = folder.file("pipe.pyx");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    targets.push_back(pipe);
    // A device such as /dev/null; one of its own is made here when the system allows.
    const std::string device = folder.file("null.pyx");
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) targets.push_back(device);
    for (const std::string& target : targets) {
        const AnalysisSave save = saveAnalysisFile(table, target);
        EXPECT_FALSE(save.saved);
        EXPECT_EQ(save.reason, "cannot save '" + target + "': it is not a regular file");
        struct stat info {};
        ASSERT_EQ(::stat(target.c_str(), &info), 0);
        EXPECT_FALSE(S_ISREG(info.st_mode)) << target << " was replaced by a file";
    }
    EXPECT_EQ(filesIn(folder.path()), static_cast<int>(targets.size()));
}

}  // namespace
}  // namespace kalvoren
