// Workbooks built to hurt the readers: a zip bomb whose recorded sizes lie, a sheet whose
// only cell is the last one a sheet can have, a cut-short .xls, and small files that ask
// for enormous rows. Each is read in a child process so that its memory is measured on
// its own and a fault cannot take the test binary down: a clear message or the defined
// block, under 256 MB, no crash.
//
// The packages are put together here byte by byte (stored parts, and one deflate stream
// written by hand), so that nothing but the program reads them.

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ChildProcess.h"
#include "platform/Workbook.h"

namespace kalvoren {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

using test::Isolated;
using test::kSanitized;
using test::runIsolated;
using test::spit;

class Scratch : public test::Scratch {
  public:
    Scratch() : test::Scratch("kalvoren-hostile") {}
};

void expectUnderBound(const Isolated& run) {
    ASSERT_TRUE(run.finished) << "the child process did not finish";
    test::expectUnderBound(run.grownKilobytes);
}

// What a block reading says, compactly: "error: ..." or the filled cells "r,c=text".
std::string describe(const WorkbookReadResult& read) {
    if (!read.ok()) return "error: " + read.error;
    std::string out = std::to_string(read.block.rows) + "x" + std::to_string(read.block.cols);
    for (int r = 0; r < read.block.rows; ++r)
        for (int c = 0; c < read.block.cols; ++c)
            if (read.block.at(r, c).kind != WorkbookCell::Empty)
                out += " " + std::to_string(r) + "," + std::to_string(c) + "=" +
                       read.block.at(r, c).text;
    return out;
}

// ---------------------------------------------------------------------------------------
// Zip packages written by hand.

std::uint32_t crc32Of(std::string_view bytes) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void put16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

struct ZipPart {
    std::string name;
    std::string data;        // as stored in the package
    bool deflated = false;   // `data` is a raw deflate stream
    std::uint32_t size = 0;  // recorded uncompressed size (stored parts: their length)
    std::uint32_t crc = 0;
};

ZipPart storedPart(std::string name, std::string content) {
    ZipPart part{std::move(name), std::move(content)};
    part.size = static_cast<std::uint32_t>(part.data.size());
    part.crc = crc32Of(part.data);
    return part;
}

std::string zipOf(const std::vector<ZipPart>& parts) {
    std::string out, central;
    for (const ZipPart& p : parts) {
        const auto offset = static_cast<std::uint32_t>(out.size());
        const std::uint32_t method = p.deflated ? 8 : 0;
        const auto packed = static_cast<std::uint32_t>(p.data.size());
        const auto nameLength = static_cast<std::uint32_t>(p.name.size());
        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, 0);
        put16(out, method);
        put16(out, 0);
        put16(out, 0x21);
        put32(out, p.crc);
        put32(out, packed);
        put32(out, p.size);
        put16(out, nameLength);
        put16(out, 0);
        out += p.name;
        out += p.data;

        put32(central, 0x02014b50);
        put16(central, 20);
        put16(central, 20);
        put16(central, 0);
        put16(central, method);
        put16(central, 0);
        put16(central, 0x21);
        put32(central, p.crc);
        put32(central, packed);
        put32(central, p.size);
        put16(central, nameLength);
        put32(central, 0);  // extra and comment lengths
        put32(central, 0);  // disk, internal attributes
        put32(central, 0);  // external attributes
        put32(central, offset);
        central += p.name;
    }
    const auto centralOffset = static_cast<std::uint32_t>(out.size());
    out += central;
    put32(out, 0x06054b50);
    put32(out, 0);
    put16(out, static_cast<std::uint32_t>(parts.size()));
    put16(out, static_cast<std::uint32_t>(parts.size()));
    put32(out, static_cast<std::uint32_t>(central.size()));
    put32(out, centralOffset);
    put16(out, 0);
    return out;
}

// A raw deflate stream (one block of fixed Huffman codes) that inflates to `prefix` and
// `unit` written out, then `unit` repeated by back-references until about `inflatedBytes`.
std::string repeatingDeflate(const std::string& prefix, const std::string& unit,
                             std::uint64_t inflatedBytes) {
    std::string out;
    std::uint32_t bits = 0;
    int count = 0;
    auto put = [&](std::uint32_t value, int n) {  // least significant bit first
        for (int i = 0; i < n; ++i) {
            bits |= ((value >> i) & 1u) << count;
            if (++count == 8) {
                out += static_cast<char>(bits);
                bits = 0;
                count = 0;
            }
        }
    };
    auto putCode = [&](std::uint32_t code, int n) {  // Huffman codes go most significant first
        for (int i = n - 1; i >= 0; --i) put((code >> i) & 1u, 1);
    };
    put(1, 1);  // the last block
    put(1, 2);  // fixed codes
    for (unsigned char c : prefix + unit) {
        if (c < 144)
            putCode(0x30 + c, 8);
        else
            putCode(0x190 + (c - 144), 9);
    }
    // Distance = the unit's length: codes 0-29 cover distances up to 32768.
    const auto distance = static_cast<std::uint32_t>(unit.size());
    EXPECT_TRUE(distance >= 3073 && distance <= 4096);  // code 23, 10 extra bits
    for (std::uint64_t written = prefix.size() + unit.size(); written < inflatedBytes;
         written += 258) {
        putCode(0xC5, 8);  // length code 285: 258 bytes
        putCode(23, 5);
        put(distance - 3073, 10);
    }
    putCode(0, 7);  // end of block
    if (count > 0) out += static_cast<char>(bits);
    return out;
}

const char* const kContentTypes =
    "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
    "content-types\"><Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>";

// The parts of an .xlsx around one sheet part (and shared strings when given).
std::vector<ZipPart> xlsxParts(ZipPart sheet, const std::string& sharedStrings = {}) {
    const std::string office =
        "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    std::vector<ZipPart> parts = {
        storedPart("[Content_Types].xml", kContentTypes),
        storedPart("_rels/.rels", "<Relationships><Relationship Id=\"rId1\" Type=\"" + office +
                                      "officeDocument\" Target=\"xl/workbook.xml\"/>"
                                      "</Relationships>"),
        storedPart("xl/workbook.xml",
                   "<workbook xmlns:r=\"r\"><sheets><sheet name=\"Data\" r:id=\"rId1\"/>"
                   "</sheets></workbook>"),
        storedPart("xl/_rels/workbook.xml.rels",
                   "<Relationships><Relationship Id=\"rId1\" Type=\"" + office +
                       "worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" "
                       "Type=\"" +
                       office + "sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>"),
    };
    if (!sharedStrings.empty()) parts.push_back(storedPart("xl/sharedStrings.xml", sharedStrings));
    sheet.name = "xl/worksheets/sheet1.xml";
    parts.push_back(std::move(sheet));
    return parts;
}

std::string odsOf(const std::string& rows) {
    return zipOf({storedPart("mimetype", "application/vnd.oasis.opendocument.spreadsheet"),
                  storedPart("content.xml",
                             "<office:document-content xmlns:office=\"o\" xmlns:table=\"t\" "
                             "xmlns:text=\"x\"><office:body><office:spreadsheet>"
                             "<table:table table:name=\"Data\">" +
                                 rows +
                                 "</table:table></office:spreadsheet></office:body>"
                                 "</office:document-content>")});
}

// ---------------------------------------------------------------------------------------

TEST(HostileWorkbook, AZipBombThatUnderstatesItsSizeIsStoppedUnder256MB) {
    Scratch scratch;
    const fs::path file = scratch.file("bomb.xlsx");
    // The sheet inflates to 300 MB of markup; its headers claim 4000 bytes.
    std::string unit = "<x/>";
    unit += std::string(3996, ' ');
    ZipPart sheet;
    sheet.data = repeatingDeflate("<worksheet><sheetData>", unit, std::uint64_t{300} << 20);
    sheet.deflated = true;
    sheet.size = 4000;
    const std::string bytes = zipOf(xlsxParts(std::move(sheet)));
    ASSERT_LT(bytes.size(), std::size_t{4} << 20);  // under 4 MB for 300 MB inflated
    spit(file, bytes);

    const Isolated run = runIsolated([&] { return describe(readWorkbookBlock(file)); });
    expectUnderBound(run);
    EXPECT_THAT(run.report, ::testing::StartsWith("error: The workbook \"" + file.string() +
                                                  "\" cannot be read: "));
    EXPECT_THAT(run.report, HasSubstr("the part \"xl/worksheets/sheet1.xml\" inflates to more "
                                      "than the 256 MB allowed"));
}

TEST(HostileWorkbook, TheOnlyCellAtXFD1048576GivesAnEmptyBlockAndItsRowToTheRowReader) {
    Scratch scratch;
    ZipPart sheet = storedPart(
        "",
        "<worksheet><sheetData><row r=\"1048576\"><c r=\"XFD1048576\" t=\"inlineStr\"><is>"
        "<t>far</t></is></c></row></sheetData></worksheet>");
    const fs::path xlsx = scratch.file("corner.xlsx");
    spit(xlsx, zipOf(xlsxParts(std::move(sheet))));
    const fs::path ods = scratch.file("corner.ods");
    spit(ods, odsOf("<table:table-row table:number-rows-repeated=\"1048575\">"
                    "<table:table-cell/></table:table-row><table:table-row>"
                    "<table:table-cell table:number-columns-repeated=\"16383\"/>"
                    "<table:table-cell office:value-type=\"string\"><text:p>far</text:p>"
                    "</table:table-cell></table:table-row>"));
    for (const fs::path& file : {xlsx, ods}) {
        const Isolated run = runIsolated([&] {
            std::ostringstream report;
            report << describe(readWorkbookBlock(file));
            const WorkbookRowsResult rows =
                forEachWorkbookRow(file, [&](int row, const std::vector<WorkbookCell>& cells) {
                    report << " | row " << row << ": " << cells.size() << " cells, last \""
                           << cells.back().text << "\"";
                    return true;
                });
            report << (rows.ok() ? "" : " | " + rows.error);
            return report.str();
        });
        expectUnderBound(run);
        EXPECT_EQ(run.report, "101x43 | row 1048575: 16384 cells, last \"far\"") << file;
    }
}

TEST(HostileWorkbook, AnXlsCutInsideItsLastSectorIsRefusedWithoutAMemoryFault) {
    // A compound-file header (512-byte sectors, one allocation-table sector) followed by
    // a sector cut short: the reader pads the last sector, which once left it reading
    // through a pointer into the old buffer.
    std::string bytes(512, '\0');
    const unsigned char signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    for (int i = 0; i < 8; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(signature[i]);
    auto set16 = [&](std::size_t at, std::uint32_t v) {
        bytes[at] = static_cast<char>(v & 0xFF);
        bytes[at + 1] = static_cast<char>(v >> 8);
    };
    auto set32 = [&](std::size_t at, std::uint32_t v) {
        set16(at, v & 0xFFFF);
        set16(at + 2, v >> 16);
    };
    set16(0x18, 0x3E);
    set16(0x1A, 3);
    set16(0x1C, 0xFFFE);
    set16(0x1E, 9);  // 512-byte sectors
    set16(0x20, 6);  // 64-byte mini sectors
    set32(0x2C, 1);  // one allocation-table sector
    set32(0x30, 0);  // the directory starts in sector 0
    set32(0x38, 4096);
    set32(0x3C, 0xFFFFFFFE);
    set32(0x44, 0xFFFFFFFE);
    set32(0x4C, 0);  // the allocation table is sector 0
    for (std::size_t at = 0x50; at < 512; at += 4) set32(at, 0xFFFFFFFF);
    bytes += std::string(100, '\x01');

    Scratch scratch;
    for (const char* name : {"cut.xls", "cut.xlsx"}) {
        const fs::path file = scratch.file(name);
        spit(file, bytes);
        const Isolated run = runIsolated([&] { return describe(readWorkbookBlock(file)); });
        expectUnderBound(run);
        EXPECT_THAT(run.report, ::testing::StartsWith("error: The workbook \"" + file.string() +
                                                      "\" cannot be read: "))
            << name;
    }
}

TEST(HostileWorkbook, TheHeaderThatOverranTheOlderXlsLibraryIsRefused) {
    // Found by fuzzing the workbook readers: a 512-byte compound-file header, mostly 0xFF,
    // on which the library once used for pre-1997 workbooks wrote past a stack buffer.
    std::string bytes(512, '\xFF');
    const unsigned char head[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A,
                                  0xE1, 0x01, 0x00, 0x00, 0x00, 0x00};
    for (std::size_t i = 0; i < sizeof head; ++i) bytes[i] = static_cast<char>(head[i]);
    const unsigned char version[] = {0x00, 0x00, 0x00, 0x3B, 0x00, 0x03, 0x00, 0xFE, 0xFF,
                                     0x09, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    for (std::size_t i = 0; i < sizeof version; ++i)
        bytes[0x15 + i] = static_cast<char>(version[i]);
    bytes[0x1B7] = '\xFD';
    bytes[0x1FF] = '\0';

    Scratch scratch;
    for (const char* name : {"overrun.xls", "overrun.xlsx", "overrun.ods"}) {
        const fs::path file = scratch.file(name);
        spit(file, bytes);
        const Isolated run = runIsolated([&] {
            const WorkbookRowsResult rows = forEachWorkbookRow(
                file, [](int, const std::vector<WorkbookCell>&) { return true; });
            return describe(readWorkbookBlock(file)) + " | " + rows.error;
        });
        expectUnderBound(run);
        EXPECT_THAT(run.report, ::testing::StartsWith("error: The workbook \"" + file.string() +
                                                      "\" cannot be read: "))
            << name;
    }
}

// A row of a sheet is handed on whole, one text per cell: a small file can ask for a
// row of 16,384 copies of a long text. Such a row is refused with its number. In normal
// builds the child's address space is limited to 1 GB, so that a reader that asks for too
// much fails quickly and safely; that limit does not mix with AddressSanitizer, which
// still checks the refusal for memory errors.
void expectRefusedUnderBound(const fs::path& file, const std::string& reason) {
    const test::ChildLimits limits =
        kSanitized ? test::ChildLimits{} : test::ChildLimits{.addressSpace = rlim_t{1} << 30};
    const Isolated run = runIsolated(
        [&] {
            const WorkbookReadResult read = readWorkbookBlock(file);
            return read.ok() ? std::string("read") : read.error;
        },
        limits);
    expectUnderBound(run);
    EXPECT_EQ(run.report, "The workbook \"" + file.string() + "\" cannot be read: " + reason + ".");
}

// One paragraph of about 1 MB of blanks, written in a few kilobytes.
std::string megabyteOfBlanks() {
    std::string text;
    for (int i = 0; i < 1000; ++i) text += "<text:s text:c=\"1000\"/>";
    return "<text:p>" + text + "</text:p>";
}

TEST(HostileWorkbook, ARepeatedLongOdsCellIsRefusedUnder256MB) {
    Scratch scratch;
    const fs::path file = scratch.file("repeat.ods");
    spit(file, odsOf("<table:table-row><table:table-cell "
                     "table:number-columns-repeated=\"16384\" office:value-type=\"string\">" +
                     megabyteOfBlanks() + "</table:table-cell></table:table-row>"));
    expectRefusedUnderBound(file, "row 1 of the sheet holds more than 16 MB of text");
}

TEST(HostileWorkbook, ALongSharedTextInEveryCellOfARowIsRefusedUnder256MB) {
    std::string cells;
    for (int c = 0; c < 16384; ++c) {
        std::string column;
        for (int n = c + 1; n > 0; n = (n - 1) / 26)
            column.insert(column.begin(), static_cast<char>('A' + (n - 1) % 26));
        cells += "<c r=\"" + column + "3\" t=\"s\"><v>0</v></c>";
    }
    Scratch scratch;
    const fs::path file = scratch.file("shared.xlsx");
    spit(file, zipOf(xlsxParts(
                   storedPart("", "<worksheet><sheetData><row r=\"3\">" + cells +
                                      "</row></sheetData></worksheet>"),
                   "<sst><si><t>" + std::string(std::size_t{1} << 20, 'x') + "</t></si></sst>")));
    expectRefusedUnderBound(file, "row 3 of the sheet holds more than 16 MB of text");
}

TEST(HostileWorkbook, RowsEachUnderTheirBoundStopAtTheBoundOfTheBlock) {
    // 101 rows of 15 cells of 1 MB: each row is within its 16 MB, the block is not.
    Scratch scratch;
    const fs::path file = scratch.file("rows.ods");
    spit(file, odsOf("<table:table-row table:number-rows-repeated=\"101\"><table:table-cell "
                     "table:number-columns-repeated=\"15\" office:value-type=\"string\">" +
                     megabyteOfBlanks() + "</table:table-cell></table:table-row>"));
    expectRefusedUnderBound(file, "the cells to be loaded hold more than 64 MB of text");
}

TEST(HostileWorkbook, AnOdsThatRepeatsOneCellOverTheWholeSheetIsRefusedSoon) {
    // 400 bytes standing for 17 billion cells: the rows are handed on up to a bound of
    // cells and then refused, in seconds instead of the minutes every cell would take.
    Scratch scratch;
    const fs::path file = scratch.file("whole.ods");
    spit(file, odsOf("<table:table-row table:number-rows-repeated=\"1048576\">"
                     "<table:table-cell table:number-columns-repeated=\"16384\" "
                     "office:value-type=\"float\" office:value=\"1\"/></table:table-row>"));
    const Isolated run = runIsolated(
        [&] {
            int rows = 0;
            const WorkbookRowsResult read =
                forEachWorkbookRow(file, [&](int, const std::vector<WorkbookCell>&) {
                    ++rows;
                    return true;
                });
            return std::to_string(rows) + " rows | " + read.error;
        },
        {.seconds = 60});
    expectUnderBound(run);
    EXPECT_EQ(run.report, "2048 rows | The workbook \"" + file.string() +
                              "\" cannot be read: its repeated rows and columns come to more "
                              "than 33554432 cells.");
}

// The batch tool holds a few rows between its reading thread and the run, whatever their
// size, and keeps only the start of each text it reports as not a number.
TEST(HostileWorkbook, TheBatchToolReadsRowsOfLongTextsUnder256MB) {
    Scratch scratch;
    const fs::path file = scratch.file("long.ods");
    // Column A the row number, B the sample, C the SiO2 (so that the row is calculated),
    // D..P 1 MB of blanks and a letter, which reads as 0.
    const std::string longText =
        megabyteOfBlanks().substr(0, megabyteOfBlanks().size() - 9) + "a</text:p>";
    const std::string number = "<table:table-cell office:value-type=\"float\" office:value=";
    spit(file, odsOf("<table:table-row table:number-rows-repeated=\"60\">" + number +
                     "\"1\"/><table:table-cell office:value-type=\"string\">" + longText +
                     "</table:table-cell>" + number +
                     "\"50\"/><table:table-cell table:number-columns-repeated=\"13\" "
                     "office:value-type=\"string\">" +
                     longText + "</table:table-cell></table:table-row>"));
    const test::CalcRun run =
        test::runCalc({"--positional", "-q", "-o", "-", file.string()}, scratch.file("stderr"));
    test::expectUnderBound(run.maxResidentKilobytes);
    EXPECT_EQ(run.status, 0) << run.err.substr(0, 2000);
    EXPECT_NE(run.err.find("cells were not a plain number"), std::string::npos)
        << run.err.substr(0, 2000);
    EXPECT_LT(run.err.size(), std::size_t{20000});
}

// A named pipe is refused before it is opened, so the reader never waits for a writer.
TEST(HostileWorkbook, ANamedPipeIsRefusedWithoutWaiting) {
    Scratch scratch;
    const fs::path pipe = scratch.file("pipe.xlsx");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const Isolated run =
        runIsolated([&] { return describe(readWorkbookBlock(pipe)); }, {.seconds = 5});
    ASSERT_TRUE(run.finished) << "the reader waited for a writer on the pipe";
    EXPECT_THAT(run.report, HasSubstr(pipe.string()));
}

}  // namespace
}  // namespace kalvoren
