// .xls workbooks built record by record, for the cell kinds and corners that the
// LibreOffice fixture does not show.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "WorkbookFixtures.h"
#include "platform/Workbook.h"

namespace kalvoren {
namespace {

using Bytes = std::string;

Bytes le16(unsigned v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}
Bytes le32(std::uint32_t v) {
    return le16(v & 0xFFFF) + le16(v >> 16);
}
Bytes leDouble(double v) {
    Bytes b(8, '\0');
    std::memcpy(b.data(), &v, 8);
    return b;
}
Bytes record(unsigned type, const Bytes& data) {
    return le16(type) + le16(static_cast<unsigned>(data.size())) + data;
}
Bytes cell(unsigned row, unsigned col) {
    return le16(row) + le16(col) + le16(15);
}
Bytes utf16(const std::u16string& s) {
    Bytes b;
    for (char16_t c : s) b += le16(c);
    return b;
}

// A compound file holding one stream (padded to the size of a regular stream).
Bytes compoundFile(Bytes stream, const std::u16string& streamName = u"Workbook") {
    stream.resize(std::max<std::size_t>(stream.size(), 4096), '\0');
    stream.resize((stream.size() + 511) / 512 * 512, '\0');
    const std::uint32_t streamSectors = static_cast<std::uint32_t>(stream.size() / 512);
    Bytes header = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + Bytes(16, '\0') + le16(0x3E) + le16(3) +
                   le16(0xFFFE) + le16(9) + le16(6) + Bytes(6, '\0') + le32(0) + le32(1) + le32(1) +
                   le32(0) + le32(4096) + le32(0xFFFFFFFE) + le32(0) + le32(0xFFFFFFFE) + le32(0) +
                   le32(0);
    for (int i = 1; i < 109; ++i) header += le32(0xFFFFFFFF);
    Bytes fat = le32(0xFFFFFFFD) + le32(0xFFFFFFFE);  // the table itself, the directory
    for (std::uint32_t i = 0; i < streamSectors; ++i)
        fat += le32(i + 1 < streamSectors ? i + 3 : 0xFFFFFFFE);
    fat.resize(512, '\xFF');
    auto entry = [](const std::u16string& name, int type, std::uint32_t child, std::uint32_t start,
                    std::uint32_t size) {
        Bytes e = utf16(name);
        e.resize(64, '\0');
        e += le16(static_cast<unsigned>(2 * (name.size() + 1))) +
             Bytes(1, static_cast<char>(type)) + Bytes(1, '\1') + le32(0xFFFFFFFF) +
             le32(0xFFFFFFFF) + le32(child) + Bytes(16, '\0') + le32(0) + Bytes(16, '\0') +
             le32(start) + le32(size) + le32(0);
        return e;
    };
    Bytes directory =
        entry(u"Root Entry", 5, 1, 0xFFFFFFFE, 0) +
        entry(streamName, 2, 0xFFFFFFFF, 2, static_cast<std::uint32_t>(stream.size()));
    directory.resize(512, '\0');
    return header + fat + directory + stream;
}

struct SheetSpec {
    std::string name;
    int kind;  // 0 worksheet, 2 chart
    Bytes cells;
};

// A BIFF8 workbook: globals (window, sheets, shared texts), then each sheet's records.
Bytes workbookStream(const std::vector<SheetSpec>& sheets, unsigned activeTab, const Bytes& sst,
                     bool password = false) {
    const Bytes bofGlobals = record(0x0809, le16(0x0600) + le16(0x0005) + Bytes(12, '\0'));
    const Bytes window = record(0x003D, Bytes(10, '\0') + le16(activeTab) + Bytes(6, '\0'));
    auto boundSheet = [](std::uint32_t offset, const SheetSpec& s) {
        return record(0x0085, le32(offset) + Bytes(1, '\0') + Bytes(1, static_cast<char>(s.kind)) +
                                  Bytes(1, static_cast<char>(s.name.size())) + Bytes(1, '\0') +
                                  s.name);
    };
    std::size_t globalsSize = bofGlobals.size() + window.size() + sst.size() + 4;
    if (password) globalsSize += record(0x002F, Bytes(6, '\0')).size();
    for (const auto& s : sheets) globalsSize += boundSheet(0, s).size();
    Bytes globals = bofGlobals + (password ? record(0x002F, Bytes(6, '\0')) : Bytes()) + window;
    Bytes bodies;
    for (const auto& s : sheets) {
        globals += boundSheet(static_cast<std::uint32_t>(globalsSize + bodies.size()), s);
        bodies +=
            record(0x0809, le16(0x0600) + le16(s.kind == 2 ? 0x0020 : 0x0010) + Bytes(12, '\0')) +
            s.cells + record(0x000A, {});
    }
    return globals + sst + record(0x000A, {}) + bodies;
}

std::filesystem::path writeXls(const test::ScratchFolder& folder, const Bytes& stream) {
    const auto file = folder.file("made.xls");
    test::writeFileBytes(file, compoundFile(stream));
    return file;
}

// Shared texts: "Sample é" split over a CONTINUE record (its rest in UTF-16), then a
// rich text "Opx 1" with one formatting run.
const Bytes kSharedTexts = record(0x00FC, le32(2) + le32(2) + le16(8) + Bytes(1, '\0') + "Sam") +
                           record(0x003C, Bytes(1, '\1') + utf16(u"ple \u00E9") + le16(5) +
                                              Bytes(1, '\x08') + le16(1) + "Opx 1" + le32(0));

Bytes formula(unsigned row, unsigned col, const Bytes& result) {
    return record(0x0006, cell(row, col) + result + le16(0) + le32(0) + le16(0));
}
Bytes specialResult(int kind, int value) {
    return Bytes(1, static_cast<char>(kind)) + Bytes(1, '\0') + Bytes(1, static_cast<char>(value)) +
           Bytes(3, '\0') + "\xFF\xFF";
}
std::uint32_t rkInteger(int v, bool hundredths) {
    return (static_cast<std::uint32_t>(v) << 2) | 0x02u | (hundredths ? 0x01u : 0u);
}

TEST(XlsWorkbook, ReadsEveryKindOfCellOfTheActiveSheet) {
    const Bytes cells =
        record(0x00FD, cell(0, 0) + le32(0)) +                                // shared text
        record(0x0203, cell(0, 1) + leDouble(48.123456789)) +                 // number
        record(0x027E, cell(0, 2) + le32(rkInteger(2269, false))) +           // RK integer
        record(0x027E, cell(0, 3) + le32(rkInteger(-320, true))) +            // RK in hundredths
        record(0x00BD, le16(1) + le16(0) + le16(15) + le32(0x3FE00000) +      // MULRK: 0.5,
                           le16(15) + le32(rkInteger(7, false)) + le16(1)) +  //        7
        record(0x00FD, cell(1, 2) + le32(1)) +                                // rich shared text
        record(0x0204, cell(1, 3) + le16(5) + Bytes(1, '\0') + "a\tb\nc") +   // label
        record(0x0205, cell(2, 0) + Bytes("\x01\x00", 2)) +                   // TRUE
        record(0x0205, cell(2, 1) + Bytes("\x2A\x01", 2)) +                   // #N/A
        formula(2, 2, leDouble(96.246913578)) +                               // number result
        formula(2, 3, specialResult(0, 0)) +                                  // text result...
        record(0x0207, le16(5) + Bytes(1, '\0') + "Cpx-1") +                  // ...follows
        formula(3, 0, specialResult(1, 0)) +                                  // FALSE
        formula(3, 1, specialResult(2, 7)) +                                  // #DIV/0!
        formula(3, 2, specialResult(3, 0)) +                                  // empty text
        record(0x0201, cell(3, 3));                                           // blank
    test::ScratchFolder folder;
    const auto file = writeXls(
        folder,
        workbookStream({{"Notes", 0, record(0x00FD, cell(0, 0) + le32(1))}, {"Analyses", 0, cells}},
                       1, kSharedTexts));
    const WorkbookReadResult read = readWorkbookBlock(file, 5, 5);
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.sheetName, "Analyses");
    const std::vector<std::string> expected = {"0,0=Sample \xC3\xA9",
                                               "0,1=48.123456789",
                                               "0,2=2269",
                                               "0,3=-3.2",
                                               "1,0=0.5",
                                               "1,1=7",
                                               "1,2=Opx 1",
                                               "1,3=a b c",
                                               "2,0=True",
                                               "2,1=#ERR",
                                               "2,2=96.246913578",
                                               "2,3=Cpx-1",
                                               "3,0=False",
                                               "3,1=#ERR"};
    EXPECT_EQ(test::filledCells(read.block), expected);
}

TEST(XlsWorkbook, PutsCellsWrittenOutOfOrderInTheirRows) {
    const Bytes cells = record(0x0203, cell(4, 1) + leDouble(2)) +
                        record(0x0203, cell(1, 0) + leDouble(1)) +
                        record(0x0203, cell(4, 0) + leDouble(3));
    test::ScratchFolder folder;
    const auto file = writeXls(folder, workbookStream({{"Data", 0, cells}}, 0, {}));
    std::vector<std::string> rows;
    const WorkbookRowsResult result =
        forEachWorkbookRow(file, [&](int row, const std::vector<WorkbookCell>& c) {
            std::string line = std::to_string(row) + ":";
            for (const auto& x : c) line += x.text + ";";
            rows.push_back(line);
            return true;
        });
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(rows, (std::vector<std::string>{"1:1;", "4:3;2;"}));
}

// A damaged Excel 5 workbook found by fuzzing made the .xls library overrun a buffer.
// Workbooks of Excel 5 and older are refused with a way out instead of being read.
TEST(XlsWorkbook, RefusesExcel5WorkbooksInsteadOfCrashing) {
    const WorkbookReadResult r =
        readWorkbookBlock(KALVOREN_TEST_DATA_DIR "/workbooks/damaged_excel5.xls");
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error.find("damaged_excel5.xls"), std::string::npos) << r.error;
    EXPECT_NE(r.error.find("Excel 5.0/95"), std::string::npos) << r.error;
}

TEST(XlsWorkbook, ExplainsWhatItCannotRead) {
    test::ScratchFolder folder;
    struct Case {
        const char* what;
        Bytes stream;
        const char* reason;
    } cases[] = {
        {"password", workbookStream({{"Data", 0, {}}}, 0, {}, true), "password-protected"},
        {"chart", workbookStream({{"Data", 0, {}}, {"Chart1", 2, {}}}, 1, {}),
         "\"Chart1\" is a chart"},
        {"missing text",
         workbookStream({{"Data", 0, record(0x00FD, cell(0, 0) + le32(5))}}, 0, kSharedTexts),
         "shared text that does not exist"},
        {"cut short", workbookStream({{"Data", 0, {}}}, 0, {}).substr(0, 60), "damaged"},
    };
    for (const auto& c : cases) {
        const WorkbookReadResult read = readWorkbookBlock(writeXls(folder, c.stream));
        EXPECT_FALSE(read.ok()) << c.what;
        EXPECT_NE(read.error.find(c.reason), std::string::npos) << c.what << ": " << read.error;
    }
    // An encrypted .xlsx is a compound file holding the encrypted package.
    const auto encrypted = folder.file("locked.xlsx");
    test::writeFileBytes(encrypted, compoundFile(Bytes(100, 'x'), u"EncryptedPackage"));
    const WorkbookReadResult read = readWorkbookBlock(encrypted);
    EXPECT_NE(read.error.find("save it without a password"), std::string::npos) << read.error;
}

// A file of 60 kB whose cells all refer to one shared text of 32,767 characters: the
// row, or the cells gathered when they are out of order, would come to 67 MB and more.
TEST(XlsWorkbook, RefusesCellsThatCopyOneLongTextBeyondTheBounds) {
    constexpr unsigned kLength = 32767;  // the longest text a BIFF8 cell can hold
    Bytes sst =
        record(0x00FC, le32(2048) + le32(1) + le16(kLength) + Bytes(1, '\0') + Bytes(8213, 'x'));
    for (unsigned left = kLength - 8213; left > 0;) {
        const unsigned piece = std::min(left, 8223u);
        sst += record(0x003C, Bytes(1, '\0') + Bytes(piece, 'x'));
        left -= piece;
    }
    Bytes rowOfCells;
    for (unsigned col = 0; col < 2048; ++col) rowOfCells += record(0x00FD, cell(0, col) + le32(0));
    const struct {
        const char* what;
        Bytes cells;
        const char* reason;
    } cases[] = {
        {"in order", rowOfCells, "row 1 of the sheet holds more than 16 MB of text"},
        {"out of order", record(0x0203, cell(9, 0) + leDouble(1)) + rowOfCells,
         "its cells are stored out of order and hold more than 64 MB of text"},
    };
    test::ScratchFolder folder;
    for (const auto& c : cases) {
        const auto file = writeXls(folder, workbookStream({{"Data", 0, c.cells}}, 0, sst));
        ASSERT_LT(std::filesystem::file_size(file), 64u << 10);
        const WorkbookReadResult read = readWorkbookBlock(file);
        EXPECT_EQ(read.error,
                  "The workbook \"" + file.string() + "\" cannot be read: " + c.reason + ".")
            << c.what;
    }
}

}  // namespace
}  // namespace kalvoren
