// The batch tool's streaming CSV/TSV reader, fed arbitrary bytes (the first byte picks
// the delimiter).
//
// Properties:
// - records start on lines that never go back, counted from 1; no field holds a CR or LF;
// - a failure stops the reading with a message that starts with the line number;
// - a reading that ends without failure consumed every byte;
// - the records written back as CSV (quoted where needed) read again to the same
//   records, with TAB, CR and LF in quoted fields turned into blanks as the reader does.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "cli/CsvReader.h"

namespace {

using Records = std::vector<std::vector<std::string>>;

struct Reading {
    Records records;
    std::string error;
    long long bytesRead = 0;
};

Reading readAll(std::string_view bytes, char delimiter) {
    Reading out;
    // fmemopen cannot open an empty buffer; an empty file has no record.
    if (bytes.empty()) return out;
    std::FILE* file = ::fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
    FUZZ_REQUIRE(file != nullptr);
    kalvoren::CsvReader reader(file, delimiter);
    long lastLine = 0;
    while (reader.next()) {
        FUZZ_REQUIRE(reader.line() >= 1 && reader.line() >= lastLine);
        lastLine = reader.line();
        FUZZ_REQUIRE(!reader.fields().empty());
        std::vector<std::string> record;
        for (std::string_view field : reader.fields()) {
            FUZZ_REQUIRE(field.find_first_of("\r\n") == std::string_view::npos);
            record.emplace_back(field);
        }
        out.records.push_back(std::move(record));
    }
    out.error = reader.error();
    out.bytesRead = reader.bytesRead();
    std::fclose(file);
    if (!out.error.empty()) {
        FUZZ_REQUIRE(out.error.rfind("line ", 0) == 0);
        FUZZ_REQUIRE(out.error.find(": ") != std::string::npos);
    }
    return out;
}

bool needsQuotes(const std::string& field, char delimiter, bool firstInFile) {
    if (field.find(delimiter) != std::string::npos || field.find('"') != std::string::npos)
        return true;
    // A leading byte-order mark would be taken for the file's own.
    return firstInFile && !field.empty() && static_cast<unsigned char>(field[0]) == 0xEF;
}

// What a quoted field reads back as.
std::string asQuotedReadsBack(const std::string& field) {
    std::string out = field;
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static constexpr char kDelimiters[] = {',', '\t', ';'};
    const char delimiter = kDelimiters[data[0] % 3];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    const Reading first = readAll(bytes, delimiter);
    FUZZ_REQUIRE(first.bytesRead >= 0 &&
                 first.bytesRead <= static_cast<long long>(bytes.size()) + 1);
    if (first.error.empty()) FUZZ_REQUIRE(first.bytesRead == static_cast<long long>(bytes.size()));

    std::string written;
    Records expected;
    for (std::size_t r = 0; r < first.records.size(); ++r) {
        std::vector<std::string> record;
        for (std::size_t f = 0; f < first.records[r].size(); ++f) {
            const std::string& field = first.records[r][f];
            if (f > 0) written += delimiter;
            if (needsQuotes(field, delimiter, r == 0 && f == 0)) {
                written += '"';
                for (char c : field) {
                    if (c == '"') written += '"';
                    written += c;
                }
                written += '"';
                record.push_back(asQuotedReadsBack(field));
            } else {
                written += field;
                record.push_back(field);
            }
        }
        written += '\n';
        expected.push_back(std::move(record));
    }
    const Reading second = readAll(written, delimiter);
    FUZZ_REQUIRE(second.error.empty());
    FUZZ_REQUIRE(second.records == expected);
    return 0;
}
