#include "platform/Workbook.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <system_error>

#include "platform/SheetRows.h"
#include "platform/ZipArchive.h"

namespace kalvoren {

namespace {

enum class Container { Zip, Compound, Unknown };

constexpr std::size_t kMaxBlockTextBytes = std::size_t{64} << 20;

std::string lowerExtension(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// What kind of file this is, from its first bytes; an empty result means it was
// recognised, otherwise the reason it cannot be read.
std::string sniff(const std::filesystem::path& file, Container& container) {
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (!std::filesystem::exists(status)) return "the file does not exist";
    if (std::filesystem::is_directory(status)) return "it is a folder, not a file";
    // Opening a pipe or a device would wait for a writer or read without end.
    if (!std::filesystem::is_regular_file(status)) return "it is not a regular file";
    errno = 0;
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) return std::string("the file cannot be opened (") + std::strerror(errno) + ")";
    unsigned char head[8] = {};
    const std::size_t n = std::fread(head, 1, sizeof head, f);
    const bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (readError) return "the file cannot be read";
    if (n == 0) return "the file is empty";
    static const unsigned char zip[4] = {'P', 'K', 3, 4};
    static const unsigned char emptyZip[4] = {'P', 'K', 5, 6};
    static const unsigned char compound[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (n >= 4 && (std::memcmp(head, zip, 4) == 0 || std::memcmp(head, emptyZip, 4) == 0)) {
        container = Container::Zip;
        return {};
    }
    if (n == 8 && std::memcmp(head, compound, 8) == 0) {
        container = Container::Compound;
        return {};
    }
    if (n < 8 && (std::memcmp(head, zip, std::min<std::size_t>(n, 4)) == 0 ||
                  std::memcmp(head, compound, n) == 0))
        return "the file is truncated";
    return "it is not an .xlsx, .ods or .xls workbook (the file may be damaged or in another "
           "format)";
}

// Reads the active sheet of any of the three formats; returns the reason on failure.
std::string readSheet(const std::filesystem::path& file, const SheetRowSink& sink,
                      std::string& sheetName) {
    try {
        Container container = Container::Unknown;
        std::string reason = sniff(file, container);
        if (!reason.empty()) return reason;
        if (container == Container::Compound) {
            reason = readXlsSheet(file, sink, sheetName);
            // An encrypted .xlsx is a compound file too.
            const std::string ext = lowerExtension(file);
            if (!reason.empty() && (ext == ".xlsx" || ext == ".ods"))
                reason = "it is encrypted or not a workbook; save it without a password";
            return reason;
        }
        const auto package = ZipArchive::open(file, reason);
        if (!package) return reason;
        if (package->contains("[Content_Types].xml"))
            return readXlsxSheet(*package, sink, sheetName);
        if (package->contains("content.xml")) return readOdsSheet(*package, sink, sheetName);
        return "the zip package holds no workbook";
    } catch (const std::bad_alloc&) {
        return "there is not enough memory to read it";
    } catch (const std::exception& e) {
        return std::string("it cannot be read (") + e.what() + ")";
    }
}

std::string message(const std::filesystem::path& file, const std::string& reason) {
    return "The workbook \"" + file.string() + "\" cannot be read: " + reason + ".";
}

}  // namespace

WorkbookReadResult readWorkbookBlock(const std::filesystem::path& file, int rows, int cols) {
    WorkbookReadResult result;
    rows = std::clamp(rows, 0, kMaxSheetRows);
    cols = std::clamp(cols, 0, kMaxSheetColumns);
    std::vector<WorkbookCell> cells(static_cast<std::size_t>(rows) *
                                    static_cast<std::size_t>(cols));
    // Each row is bounded by the readers; the block of many rows is bounded here.
    std::size_t textBytes = 0;
    bool tooLarge = false;
    std::string reason = readSheet(
        file,
        [&](const SheetRow& row) {
            if (row.index >= rows) return false;
            for (const SheetCell& c : row.cells) {
                if (c.col >= cols) continue;
                WorkbookCell& into =
                    cells[static_cast<std::size_t>(row.index) * static_cast<std::size_t>(cols) +
                          static_cast<std::size_t>(c.col)];
                textBytes = textBytes - into.text.size() + c.cell.text.size();
                if (textBytes > kMaxBlockTextBytes) {
                    tooLarge = true;
                    return false;
                }
                into = c.cell;
            }
            // Rows come in sheet order, so nothing below the block is needed.
            return row.index + 1 < rows;
        },
        result.sheetName);
    if (reason.empty() && tooLarge)
        reason = "the cells to be loaded hold more than " +
                 std::to_string(kMaxBlockTextBytes >> 20) + " MB of text";
    if (!reason.empty()) {
        result.error = message(file, reason);
        return result;
    }
    result.block.rows = rows;
    result.block.cols = cols;
    result.block.cells = std::move(cells);
    return result;
}

WorkbookRowsResult forEachWorkbookRow(const std::filesystem::path& file,
                                      const WorkbookRowVisitor& visit) {
    WorkbookRowsResult result;
    std::vector<WorkbookCell> cells;
    const std::string reason = readSheet(
        file,
        [&](const SheetRow& row) {
            int width = 0;
            for (const SheetCell& c : row.cells) width = std::max(width, c.col + 1);
            cells.assign(static_cast<std::size_t>(width), WorkbookCell{});
            for (const SheetCell& c : row.cells) cells[static_cast<std::size_t>(c.col)] = c.cell;
            return visit(row.index, cells);
        },
        result.sheetName);
    if (!reason.empty()) result.error = message(file, reason);
    return result;
}

}  // namespace kalvoren
