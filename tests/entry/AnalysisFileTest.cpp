#include "entry/AnalysisFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "entry/AnalysisTable.h"

namespace kalvoren {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;
using ::testing::HasSubstr;

CellGrid standardTable() {
    CellGrid table;
    capCell(table);
    return table;
}

// `lines` lines of 42 empty fields, as the file stores an empty table.
std::string emptyLines(int lines) {
    std::string text;
    for (int i = 0; i < lines; ++i) {
        if (i > 0) text += '\r';
        text += std::string(41, '\t');
    }
    return text;
}

std::vector<std::string> splitAt(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

void expectDataRangeSelected(const CellGrid& table) {
    EXPECT_EQ(table.row(), 1);
    EXPECT_EQ(table.col(), 1);
    EXPECT_EQ(table.rowSel(), table.rows() - 1);
    EXPECT_EQ(table.colSel(), table.cols() - 1);
}

// One analysis pair, 42 fields: sample, 18 oxides, spacer, P, T, spacer, sample, 18 oxides.
const std::vector<std::string> kPairRow = {
    "Px-7 core", "51.93", "0.52",  "3.41", "",     "0.85", "",     "4.12", "0.11",  "",     "",
    "",          "16.20", "21.35", "0.48", "0",    "",     "",     "",     "",      "12.5", "1150",
    "",          "Opx-7", "54.80", "0.15", "2.10", "",     "0.40", "",     "10.30", "0.20", "0.08",
    "",          "",      "30.10", "1.65", "0.03", "",     "",     "",     ""};

TEST(AnalysisField, IsReadByTheFormatsRule) {
    const struct {
        std::string bytes;
        std::string field;
        bool quoted;
    } cases[] = {
        {"\"abc\"\r\n", "abc", true},
        {"   \"a\tb\rc\"xyz", "a\tb\rc", true},  // leading spaces skipped, tail ignored
        {"\"\"\r\n", "", true},
        {"\"say \"hi\"\"\r\n", "say \"hi\"", true},  // up to the last quote of the file
        {"  12.5 , 3\r\n", "12.5", false},
        {"a\tb\tc\r\nd", "a\tb\tc", false},
        {"a b\nc", "a b", false},
        {"abc", "abc", false},  // the end of the file ends an unquoted field
        {"\r\nabc", "", false},
    };
    for (const auto& c : cases) {
        const AnalysisField field = readAnalysisField(c.bytes);
        ASSERT_TRUE(field.found()) << c.bytes;
        EXPECT_EQ(field.text, c.field) << c.bytes;
        EXPECT_EQ(field.quoted, c.quoted) << c.bytes;
    }
}

TEST(AnalysisField, IsNotFoundWhenTheBytesEndTooSoon) {
    using Failure = AnalysisField::Failure;
    const struct {
        std::string bytes;
        Failure failure;
    } cases[] = {
        {"", Failure::Empty},
        {"    ", Failure::OnlyBlanks},
        {"\"abc\tdef\r", Failure::NoClosingQuote},
        {"  \"", Failure::NoClosingQuote},
    };
    for (const auto& c : cases) {
        const AnalysisField field = readAnalysisField(c.bytes);
        EXPECT_FALSE(field.found()) << c.bytes;
        EXPECT_EQ(field.failure, c.failure) << c.bytes;
    }
}

TEST(AnalysisFile, EmptyStandardTableIs42003Bytes) {
    TempFolder folder;
    CellGrid table = standardTable();
    const std::string path = folder.file("empty.pyx");
    const AnalysisSave save = saveAnalysisFile(table, path);
    ASSERT_TRUE(save.saved) << save.reason;
    EXPECT_TRUE(save.warning.empty());
    const std::string bytes = readBytes(path);
    EXPECT_EQ(bytes.size(), 42003u);
    EXPECT_EQ(bytes, "\"" + emptyLines(1000) + "\"\r\n");
    expectDataRangeSelected(table);
}

TEST(AnalysisFile, OneAnalysisRoundTripsExactly) {
    TempFolder folder;
    CellGrid table = standardTable();
    for (int c = 1; c <= 42; ++c) table.setText(1, c, kPairRow[static_cast<std::size_t>(c - 1)]);
    const std::string path = folder.file("one.pyx");
    ASSERT_TRUE(saveAnalysisFile(table, path).saved);

    std::string firstLine;
    for (const std::string& field : kPairRow) firstLine += (firstLine.empty() ? "" : "\t") + field;
    EXPECT_EQ(readBytes(path), "\"" + firstLine + "\r" + emptyLines(999) + "\"\r\n");

    CellGrid loaded = standardTable();
    const AnalysisLoad load = loadAnalysisFile(loaded, path, "fallback");
    ASSERT_TRUE(load.read) << load.reason;
    EXPECT_FALSE(load.beyondTable);
    EXPECT_FALSE(load.shortOfTable);
    EXPECT_TRUE(load.warning.empty()) << load.warning;
    EXPECT_EQ(load.pastedText, firstLine + "\r" + emptyLines(999));
    for (int r = 0; r < 1001; ++r)
        for (int c = 0; c < 43; ++c)
            ASSERT_EQ(loaded.text(r, c), table.text(r, c)) << r << "," << c;
    expectDataRangeSelected(loaded);
}

TEST(AnalysisFile, TableWithAnInsertedRowLoadsOnlyTheFirst1000Lines) {
    TempFolder folder;
    CellGrid table = standardTable();
    table.setText(1000, 1, "row 1000");
    table.insertRow(5);
    ASSERT_EQ(table.rows(), 1002);
    const std::string path = folder.file("long.pyx");
    ASSERT_TRUE(saveAnalysisFile(table, path).saved);
    const std::string bytes = readBytes(path);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'),
              1001);  // 1000 between lines, 1 at the end

    CellGrid loaded = standardTable();
    const AnalysisLoad load = loadAnalysisFile(loaded, path, "");
    ASSERT_TRUE(load.read);
    EXPECT_EQ(load.shape.lines, 1001);
    EXPECT_TRUE(load.beyondTable);
    EXPECT_FALSE(load.shortOfTable);
    EXPECT_THAT(load.warning, HasSubstr("1001 lines"));
    EXPECT_EQ(loaded.rows(), 1001);
    EXPECT_EQ(loaded.text(1000, 1), "");  // the moved row 1000 was line 1001
    EXPECT_EQ(loaded.text(1000, 0), "1000");
}

TEST(AnalysisFile, ShortTableLeavesTheRestOfTheTargetAlone) {
    TempFolder folder;
    CellGrid imported = standardTable();
    imported.setRows(101);
    imported.setText(100, 42, "new");
    const std::string path = folder.file("short.pyx");
    ASSERT_TRUE(saveAnalysisFile(imported, path).saved);
    const std::string bytes = readBytes(path);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), 100);

    CellGrid table = standardTable();
    for (int r = 1; r <= 1000; ++r) table.setText(r, 1, "old " + std::to_string(r));
    const AnalysisLoad load = loadAnalysisFile(table, path, "");
    ASSERT_TRUE(load.read);
    EXPECT_EQ(load.shape.lines, 100);
    EXPECT_TRUE(load.shortOfTable);
    EXPECT_FALSE(load.beyondTable);
    EXPECT_THAT(load.warning, HasSubstr("100 lines"));
    EXPECT_EQ(table.text(1, 1), "");
    EXPECT_EQ(table.text(100, 1), "");
    EXPECT_EQ(table.text(100, 42), "new");
    EXPECT_EQ(table.text(101, 1), "old 101");
    EXPECT_EQ(table.text(1000, 1), "old 1000");
}

TEST(AnalysisFile, UnquotedTextLoadsUpToItsFirstCommaOrLineEnd) {
    TempFolder folder;
    const struct {
        std::string bytes;
        std::vector<std::string> row1;  // columns 1..4 afterwards
    } cases[] = {
        {"a\tb\tc\r\nd\te\r\n", {"a", "b", "c", "old"}},
        {"x\ty,z\tw\r\n", {"x", "y", "old", "old"}},
        {"   p\tq   \n", {"p", "q", "old", "old"}},
    };
    for (const auto& c : cases) {
        const std::string path = folder.file("plain.txt");
        writeBytes(path, c.bytes);
        CellGrid table = standardTable();
        for (int col = 1; col <= 4; ++col) table.setText(1, col, "old");
        table.setText(2, 1, "old");
        const AnalysisLoad load = loadAnalysisFile(table, path, "");
        ASSERT_TRUE(load.read) << c.bytes;
        EXPECT_EQ(load.shape.lines, 1);
        EXPECT_TRUE(load.shortOfTable);
        for (int col = 1; col <= 4; ++col)
            EXPECT_EQ(table.text(1, col), c.row1[static_cast<std::size_t>(col - 1)]) << c.bytes;
        EXPECT_EQ(table.text(2, 1), "old") << c.bytes;
    }
}

TEST(AnalysisFile, CrLfAndLfInsideTheFieldEndLines) {
    TempFolder folder;
    const std::string path = folder.file("crlf.pyx");
    writeBytes(path, "\"a\tb\r\nc\td\ne\"\r\n");
    CellGrid table = standardTable();
    const AnalysisLoad load = loadAnalysisFile(table, path, "");
    ASSERT_TRUE(load.read);
    EXPECT_EQ(load.shape.lines, 3);
    EXPECT_EQ(table.text(1, 2), "b");
    EXPECT_EQ(table.text(2, 1), "c");
    EXPECT_EQ(table.text(2, 2), "d");
    EXPECT_EQ(table.text(3, 1), "e");
}

TEST(AnalysisFile, UnreadableFilesPasteTheFallbackAndSayWhy) {
    TempFolder folder;
    std::filesystem::create_directory(folder.path() / "folder.pyx");
    const struct {
        const char* name;
        const char* bytes;  // nullptr: no such file is written
        std::size_t size;
        std::string reason;
    } cases[] = {
        {"missing.pyx", nullptr, 0, "cannot open '%': No such file or directory"},
        {"empty.pyx", "", 0, "'%' is empty"},
        {"blank.pyx", "   ", 3, "'%' holds nothing but blanks"},
        {"open.pyx", "\"a\tb\rc", 6, "'%' has no closing quote"},
        {"binary.pyx", "\"a\0b\"\r\n", 7, "'%' is not an analysis file (binary data)"},
        {"folder.pyx", nullptr, 0, "cannot open '%': Is a directory"},
    };
    for (const auto& c : cases) {
        const std::string path = folder.file(c.name);
        if (c.bytes != nullptr) writeBytes(path, std::string(c.bytes, c.size));
        std::string reason = c.reason;
        reason.replace(reason.find('%'), 1, path);

        CellGrid table = standardTable();
        table.setText(3, 3, "kept");
        const AnalysisLoad load = loadAnalysisFile(table, path, "f1\tf2\rf3");
        EXPECT_FALSE(load.read) << c.name;
        EXPECT_EQ(load.reason, reason);
        EXPECT_EQ(load.pastedText, "f1\tf2\rf3");
        EXPECT_EQ(table.text(1, 1), "f1") << c.name;
        EXPECT_EQ(table.text(1, 2), "f2") << c.name;
        EXPECT_EQ(table.text(2, 1), "f3") << c.name;
        EXPECT_EQ(table.text(3, 3), "kept") << c.name;
        expectDataRangeSelected(table);
    }
}

TEST(AnalysisFile, EmptyFallbackEmptiesOnlyTheFirstDataCell) {
    TempFolder folder;
    CellGrid table = standardTable();
    table.setText(1, 1, "a");
    table.setText(1, 2, "b");
    const AnalysisLoad load = loadAnalysisFile(table, folder.file("none.pyx"), "");
    EXPECT_FALSE(load.read);
    EXPECT_EQ(table.text(1, 1), "");
    EXPECT_EQ(table.text(1, 2), "b");
}

TEST(AnalysisFile, CellsWithDoubleQuotesRoundTrip) {
    TempFolder folder;
    CellGrid table = standardTable();
    table.setText(1, 1, "He said \"hi\"");
    table.setText(3, 5, "\"");
    table.setText(1000, 42, "end\"");
    table.setText(1000, 41, "after");
    const std::string path = folder.file("quotes.pyx");
    const AnalysisSave save = saveAnalysisFile(table, path);
    ASSERT_TRUE(save.saved);
    EXPECT_EQ(save.cellsWithQuote, 3);
    EXPECT_THAT(save.warning, HasSubstr("3 cells hold a double quote"));
    EXPECT_TRUE(holdsDoubleQuote("a\"b"));
    EXPECT_FALSE(holdsDoubleQuote("a'b"));

    CellGrid loaded = standardTable();
    const AnalysisLoad load = loadAnalysisFile(loaded, path, "");
    ASSERT_TRUE(load.read);
    EXPECT_EQ(loaded.text(1, 1), "He said \"hi\"");
    EXPECT_EQ(loaded.text(3, 5), "\"");
    EXPECT_EQ(loaded.text(1000, 41), "after");
    EXPECT_EQ(loaded.text(1000, 42), "end\"");
    EXPECT_TRUE(load.warning.empty()) << load.warning;
}

TEST(AnalysisFile, CellsHoldingSeparatorsAreReported) {
    TempFolder folder;
    CellGrid table = standardTable();
    table.setText(2, 2, "two\nlines");
    table.setText(4, 4, "a\tb");
    const AnalysisSave save = saveAnalysisFile(table, folder.file("sep.pyx"));
    ASSERT_TRUE(save.saved);
    EXPECT_EQ(save.cellsWithSeparator, 2);
    EXPECT_THAT(save.warning, HasSubstr("2 cells hold a TAB or line break"));
}

TEST(AnalysisFile, TextIsStoredInWindows1252) {
    TempFolder folder;
    CellGrid table = standardTable();
    table.setText(1, 1, "Mg# \xC2\xB1 Fe");  // "Mg# ± Fe"
    table.setText(2, 1, "\xCE\xB1-Fe");      // Greek alpha: not in the code page
    const std::string path = folder.file("cp.pyx");
    const AnalysisSave save = saveAnalysisFile(table, path);
    ASSERT_TRUE(save.saved);
    EXPECT_EQ(save.replacedCharacters, 1u);
    EXPECT_THAT(save.warning, HasSubstr("1 character was written as \"?\""));
    const std::string bytes = readBytes(path);
    EXPECT_EQ(bytes.substr(0, 10), "\"Mg# \xB1 Fe\t");
    EXPECT_NE(bytes.find("\r?-Fe\t"), std::string::npos);

    CellGrid loaded = standardTable();
    ASSERT_TRUE(loadAnalysisFile(loaded, path, "").read);
    EXPECT_EQ(loaded.text(1, 1), "Mg# \xC2\xB1 Fe");
    EXPECT_EQ(loaded.text(2, 1), "?-Fe");
}

TEST(AnalysisFile, SaveReplacesTheFileAndKeepsItsPermissions) {
    TempFolder folder;
    const std::string path = folder.file("keep.pyx");
    writeBytes(path, "old contents that are longer than nothing");
    ::chmod(path.c_str(), 0640);
    CellGrid table = standardTable();
    ASSERT_TRUE(saveAnalysisFile(table, path).saved);
    EXPECT_EQ(readBytes(path).size(), 42003u);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    // Only the saved file is left in the folder: no temporary file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(AnalysisFile, SaveThroughALinkWritesTheLinkedFile) {
    TempFolder folder;
    const std::string target = folder.file("real.pyx");
    const std::string link = folder.file("link.pyx");
    writeBytes(target, "old");
    std::filesystem::create_symlink(target, link);
    CellGrid table = standardTable();
    ASSERT_TRUE(saveAnalysisFile(table, link).saved);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readBytes(target).size(), 42003u);
}

TEST(AnalysisFile, FailedSaveInAMissingFolderReportsAndWritesNothing) {
    TempFolder folder;
    const std::string path = folder.file("no such folder/x.pyx");
    CellGrid table = standardTable();
    const AnalysisSave save = saveAnalysisFile(table, path);
    EXPECT_FALSE(save.saved);
    EXPECT_EQ(save.reason, "cannot save '" + path + "': No such file or directory");
    EXPECT_FALSE(std::filesystem::exists(path));

    const std::string onto = folder.file("a folder");
    std::filesystem::create_directory(onto);
    const AnalysisSave ontoFolder = saveAnalysisFile(table, onto);
    EXPECT_FALSE(ontoFolder.saved);
    EXPECT_THAT(ontoFolder.reason, HasSubstr("Is a directory"));
}

TEST(AnalysisFile, FailedWriteLeavesThePreviousFileIntact) {
    TempFolder folder;
    const std::string path = folder.file("old.pyx");
    writeBytes(path, "\"previous\"\r\n");

    // A file-size limit makes the write fail half way, for any user.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    CellGrid table = standardTable();
    const AnalysisSave save = saveAnalysisFile(table, path);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(save.saved);
    EXPECT_EQ(save.reason, "cannot save '" + path + "': File too large");
    EXPECT_EQ(readBytes(path), "\"previous\"\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(AnalysisFile, FailedSaveInAReadOnlyFolderLeavesThePreviousFileIntact) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    TempFolder folder;
    const std::string path = folder.file("old.pyx");
    writeBytes(path, "\"previous\"\r\n");
    ::chmod(folder.path().c_str(), 0555);
    CellGrid table = standardTable();
    const AnalysisSave save = saveAnalysisFile(table, path);
    ::chmod(folder.path().c_str(), 0755);
    EXPECT_FALSE(save.saved);
    EXPECT_EQ(save.reason, "cannot save '" + path + "': Permission denied");
    EXPECT_EQ(readBytes(path), "\"previous\"\r\n");

    ::chmod(path.c_str(), 0444);  // a write-protected file in a writable folder
    const AnalysisSave protectedFile = saveAnalysisFile(table, path);
    EXPECT_FALSE(protectedFile.saved);
    EXPECT_EQ(readBytes(path), "\"previous\"\r\n");
}

// The published analyses: every .pyx file read against its comma-separated twin.
TEST(AnalysisFile, PublishedFilesLoadRowForRowAndSaveBackUnchanged) {
    TempFolder folder;
    for (const char* name : {"cpx_kilauea2018_01", "pairs_putirka2px_01"}) {
        const std::string data = KALVOREN_DATA_DIR;
        const std::string pyx = data + "/pyx/" + name + ".pyx";
        std::ifstream csv(data + "/csv/" + name + ".csv", std::ios::binary);
        ASSERT_TRUE(csv) << name;

        CellGrid table = standardTable();
        const AnalysisLoad load = loadAnalysisFile(table, pyx, "");
        ASSERT_TRUE(load.read) << load.reason;
        EXPECT_TRUE(load.warning.empty()) << load.warning;

        std::string line;
        std::getline(csv, line);  // headings
        int row = 0;
        while (std::getline(csv, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty()) continue;
            ++row;
            const std::vector<std::string> fields = splitAt(line, ',');
            ASSERT_EQ(fields.size(), 42u) << name << " row " << row;
            for (int c = 1; c <= 42; ++c)
                EXPECT_EQ(table.text(row, c), fields[static_cast<std::size_t>(c - 1)])
                    << name << " row " << row << " column " << c;
        }
        ASSERT_GT(row, 0);
        EXPECT_EQ(table.text(row + 1, 1), "");

        const std::string copy = folder.file(std::string(name) + ".pyx");
        ASSERT_TRUE(saveAnalysisFile(table, copy).saved);
        EXPECT_EQ(readBytes(copy), readBytes(pyx)) << name;
    }
}

long maxResidentKilobytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(AnalysisFile, HundredMegabyteFileLoadsWithinAFewTimesItsSize) {
    TempFolder folder;
    const std::string path = folder.file("huge.pyx");
    std::string line;
    for (int c = 0; c < 42; ++c) line += c == 0 ? "12.345" : "\t12.345";
    line += '\r';
    std::size_t size = 0;
    {
        std::ofstream out(path, std::ios::binary);
        out << '"';
        while (size < (std::size_t{100} << 20)) {
            out << line;
            size += line.size();
        }
        out << "\"\r\n";
    }
    const auto lines = static_cast<int>(size / line.size()) + 1;  // the last CR opens one more
    const long before = maxResidentKilobytes();
    CellGrid table = standardTable();
    const AnalysisLoad load = loadAnalysisFile(table, path, "");
    const long grownKilobytes = maxResidentKilobytes() - before;
    ASSERT_TRUE(load.read) << load.reason;
    EXPECT_EQ(load.shape.lines, lines);
    EXPECT_TRUE(load.beyondTable);
    EXPECT_EQ(table.text(1000, 42), "12.345");
    EXPECT_LT(grownKilobytes, static_cast<long>(4 * (size >> 10)));
}

}  // namespace
}  // namespace kalvoren
