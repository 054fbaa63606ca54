// The analysis file: arbitrary bytes read as the one field of the format, loaded into a
// table, saved again and read back.
//
// Properties:
// - readAnalysisField: the field lies inside the bytes; a quoted field ends at the last
//   double quote; an unquoted one holds no comma or line end and no surrounding spaces;
//   no field is found exactly when the bytes hold nothing but spaces or an open quote;
// - loadAnalysisFile: a file that holds a NUL byte or no field is not read, gives a
//   reason naming the file, and pastes the fallback; otherwise the field, decoded from
//   Windows-1252, lands in the data range cell by cell (lines and fields outside it
//   dropped, cells it does not reach kept), the heading row and number column stay, and
//   the shape and the fit flags match the text;
// - saveAnalysisFile then loadAnalysisFile gives back the same table (when no cell holds
//   a double quote, which the format cannot carry), and every character survives.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "BlockTextModel.h"
#include "FuzzCheck.h"
#include "entry/AnalysisFile.h"
#include "entry/CellGrid.h"
#include "entry/Windows1252.h"

namespace {

using kalvoren::CellGrid;

constexpr int kRows = 21;  // the heading row and 20 data rows
constexpr int kCols = 43;  // the number column and 42 data columns

std::string marker(int row, int col) {
    return "r" + std::to_string(row) + "c" + std::to_string(col);
}

CellGrid markedTable() {
    CellGrid table(kRows, kCols);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) table.setText(r, c, marker(r, c));
    return table;
}

void checkField(std::string_view bytes, const kalvoren::AnalysisField& field) {
    using Failure = kalvoren::AnalysisField::Failure;
    const std::size_t start = bytes.find_first_not_of(' ');
    if (bytes.empty()) {
        FUZZ_REQUIRE(field.failure == Failure::Empty);
        return;
    }
    if (start == std::string_view::npos) {
        FUZZ_REQUIRE(field.failure == Failure::OnlyBlanks);
        return;
    }
    if (bytes[start] == '"') {
        FUZZ_REQUIRE(field.quoted);
        if (bytes.find('"', start + 1) == std::string_view::npos) {
            FUZZ_REQUIRE(field.failure == Failure::NoClosingQuote);
            return;
        }
        FUZZ_REQUIRE(field.found());
        FUZZ_REQUIRE(field.text.data() == bytes.data() + start + 1);
        const std::size_t end = start + 1 + field.text.size();
        FUZZ_REQUIRE(end < bytes.size() && bytes[end] == '"');
        FUZZ_REQUIRE(bytes.find('"', end + 1) == std::string_view::npos);
        return;
    }
    FUZZ_REQUIRE(field.found());
    FUZZ_REQUIRE(!field.quoted);
    FUZZ_REQUIRE(field.text.find_first_of(",\r\n") == std::string_view::npos);
    if (field.text.empty()) {
        // Nothing but spaces before the first comma or line end.
        const std::size_t end = bytes.find_first_of(",\r\n");
        FUZZ_REQUIRE(end != std::string_view::npos && start == end);
        return;
    }
    FUZZ_REQUIRE(field.text.data() == bytes.data() + start);
    FUZZ_REQUIRE(start + field.text.size() <= bytes.size());
    FUZZ_REQUIRE(field.text.front() != ' ' && field.text.back() != ' ');
    // The field runs up to the first comma or line end, less trailing spaces.
    const std::size_t end = bytes.find_first_of(",\r\n", start);
    const std::string_view rest = bytes.substr(
        start + field.text.size(),
        end == std::string_view::npos ? std::string_view::npos : end - start - field.text.size());
    FUZZ_REQUIRE(rest.find_first_not_of(' ') == std::string_view::npos);
}

// Cells outside the data range keep their markers; inside it, what the text reaches
// replaces the marker.
void checkPasted(const CellGrid& table, const kalvoren::fuzz::BlockLines& lines) {
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kCols; ++c) {
            std::string expected = marker(r, c);
            if (r >= 1 && c >= 1) {
                const auto line = static_cast<std::size_t>(r - 1);
                const auto field = static_cast<std::size_t>(c - 1);
                if (line < lines.size() && field < lines[line].size())
                    expected = lines[line][field];
            }
            FUZZ_REQUIRE(table.text(r, c) == expected);
        }
    }
}

void checkSaveRoundTrip(CellGrid& table) {
    bool quote = false;
    for (int r = 1; r < kRows; ++r)
        for (int c = 1; c < kCols; ++c)
            quote = quote || kalvoren::holdsDoubleQuote(table.text(r, c));
    const std::string path = (kalvoren::fuzz::scratchFolder() / "saved.pyx").string();
    const kalvoren::AnalysisSave save = kalvoren::saveAnalysisFile(table, path);
    FUZZ_REQUIRE(save.saved);
    FUZZ_REQUIRE(save.replacedCharacters == 0);  // everything came from Windows-1252
    FUZZ_REQUIRE(save.cellsWithSeparator == 0);  // a paste never leaves a TAB or line end
    FUZZ_REQUIRE((save.cellsWithQuote > 0) == quote);
    if (quote) return;

    CellGrid reloaded(kRows, kCols);
    const kalvoren::AnalysisLoad load = kalvoren::loadAnalysisFile(reloaded, path, "");
    FUZZ_REQUIRE(load.read);
    FUZZ_REQUIRE(!load.beyondTable && !load.shortOfTable);
    for (int r = 1; r < kRows; ++r)
        for (int c = 1; c < kCols; ++c) FUZZ_REQUIRE(reloaded.text(r, c) == table.text(r, c));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const kalvoren::AnalysisField field = kalvoren::readAnalysisField(bytes);
    checkField(bytes, field);

    const std::filesystem::path file = kalvoren::fuzz::writeScratchFile("input.pyx", bytes);
    CellGrid table = markedTable();
    const std::string fallback = "fb1\tfb2\rfb3";
    const kalvoren::AnalysisLoad load = kalvoren::loadAnalysisFile(table, file.string(), fallback);

    // The data range stays selected, whatever happened.
    FUZZ_REQUIRE(table.row() == 1 && table.col() == 1);
    FUZZ_REQUIRE(table.rowSel() == kRows - 1 && table.colSel() == kCols - 1);

    const bool readable = field.found() && bytes.find('\0') == std::string_view::npos;
    FUZZ_REQUIRE(load.read == readable);
    if (!load.read) {
        FUZZ_REQUIRE(!load.reason.empty());
        FUZZ_REQUIRE(load.reason.find(file.string()) != std::string::npos);
        FUZZ_REQUIRE(load.pastedText == fallback);
        checkPasted(table, kalvoren::fuzz::splitBlock(fallback));
        return 0;
    }

    FUZZ_REQUIRE(load.reason.empty());
    FUZZ_REQUIRE(load.pastedText == kalvoren::utf8FromWindows1252(field.text));
    const kalvoren::fuzz::BlockLines lines = kalvoren::fuzz::splitBlock(load.pastedText);
    checkPasted(table, lines);

    std::size_t fewest = lines[0].size(), most = 0;
    for (const auto& line : lines) {
        fewest = std::min(fewest, line.size());
        most = std::max(most, line.size());
    }
    FUZZ_REQUIRE(load.shape.lines == static_cast<int>(lines.size()));
    FUZZ_REQUIRE(load.shape.fewestFields == static_cast<int>(fewest));
    FUZZ_REQUIRE(load.shape.mostFields == static_cast<int>(most));
    const int dataRows = kRows - 1, dataCols = kCols - 1;
    FUZZ_REQUIRE(load.beyondTable ==
                 (load.shape.lines > dataRows || load.shape.mostFields > dataCols));
    FUZZ_REQUIRE(load.shortOfTable ==
                 (load.shape.lines < dataRows || load.shape.fewestFields < dataCols));
    FUZZ_REQUIRE(load.warning.empty() == (!load.beyondTable && !load.shortOfTable));

    checkSaveRoundTrip(table);
    return 0;
}
