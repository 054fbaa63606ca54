#include "diagrams/PlotDataReader.h"

#include "entry/Windows1252.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

#include "engine/NumberFormat.h"

namespace kalvoren {

namespace {

constexpr std::size_t kZone = 14;
// Data files are a few kilobytes; anything far larger is not one of ours.
constexpr std::uintmax_t kLargestFile = 64u * 1024u * 1024u;
// A data line holds a sample name and at most seven numbers; a far longer line is not one.
constexpr std::size_t kLongestLine = 2048;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t nextZone(std::size_t end) {
    return (end / kZone + 1) * kZone;
}

bool allBlank(std::string_view s) {
    for (char c : s) {
        if (!isBlank(c)) return false;
    }
    return true;
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The writer pads every gap, including the one before a blank last field, so a line
// ends exactly where its last field ends; a line that does not is not one of ours.
class LineWalk {
  public:
    LineWalk(std::string_view line, const PlotLineLayout& layout) : line_(line), layout_(layout) {
        values_.resize(layout.valueHeadings.size());
    }

    // Walks the value fields from column `pos`; true when they fit the line.
    bool fits(std::size_t pos) { return field(0, pos); }
    const std::vector<Quantity>& values() const { return values_; }

  private:
    bool isLiteral(std::size_t i) const { return layout_.valueHeadings[i] == "."; }

    bool endsAt(std::size_t end) const { return end == line_.size(); }

    bool next(std::size_t i, std::size_t end) {
        if (i + 1 == values_.size()) return endsAt(end);
        return field(i + 1, nextZone(end));
    }

    bool field(std::size_t i, std::size_t pos) {
        if (i == values_.size()) return endsAt(pos);
        values_[i] = Quantity::blank();
        if (pos > line_.size()) return false;
        // A blank last field: the line was padded up to its zone and ends there.
        if (pos == line_.size()) return next(i, pos);
        // A blank field leaves its whole zone blank.
        if (pos + kZone <= line_.size() && allBlank(line_.substr(pos, kZone)) && next(i, pos)) {
            return true;
        }
        // A general number starts with a blank; the text itself never holds one.
        std::size_t first = pos;
        const bool leadingBlank = line_[pos] == ' ';
        if (leadingBlank) ++first;
        if (first >= line_.size() || isBlank(line_[first])) return false;
        std::size_t last = first;
        while (last < line_.size() && !isBlank(line_[last])) ++last;
        const std::string_view text = line_.substr(first, last - first);

        if (isLiteral(i)) {
            if (text != "." || leadingBlank) return false;
            return next(i, last);
        }
        const auto number = parsePlotNumber(text);
        if (!number) return false;
        values_[i] = Quantity(*number);
        // A general number carries its trailing blank, which can move the next field
        // by a zone; a formatted text does not. A leading minus leaves both open.
        const bool general = (leadingBlank || text.front() == '-') && last < line_.size();
        if (general && next(i, last + 1)) return true;
        if (!leadingBlank && next(i, last)) return true;
        values_[i] = Quantity::blank();
        return false;
    }

    std::string_view line_;
    const PlotLineLayout& layout_;
    std::vector<Quantity> values_;
};

// `sampleBound`: a sample name of n characters is followed by the blanks up to the next
// zone and no more; without it, a name may end in blanks of its own.
std::optional<PlotDataRow> parseWith(std::string_view line, const PlotLineLayout& layout,
                                     bool sampleBound) {
    if (!layout.hasSample) {
        LineWalk walk(line, layout);
        if (!walk.fits(0)) return std::nullopt;
        return PlotDataRow{0, {}, walk.values()};
    }
    // The first value field starts at some zone after the sample name. Take the first
    // zone that gives a consistent line: a later one would read a value that ends on a
    // zone boundary, with the blank zone that follows it, as part of the name and a
    // blank field.
    for (std::size_t start = kZone; start <= std::max(line.size(), kZone); start += kZone) {
        if (start <= line.size() && !isBlank(line[start - 1])) continue;
        const std::string_view sample = trimRight(line.substr(0, std::min(start, line.size())));
        if (sampleBound && nextZone(sample.size()) != start) continue;
        LineWalk walk(line, layout);
        if (walk.fits(start)) return PlotDataRow{0, utf8FromWindows1252(sample), walk.values()};
    }
    return std::nullopt;
}


std::vector<std::string> headingFields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !isBlank(line[i])) ++i;
        if (i > start) fields.push_back(utf8FromWindows1252(line.substr(start, i - start)));
    }
    return fields;
}

}  // namespace

PlotLineLayout plotLineLayout(const std::vector<std::string>& headings) {
    PlotLineLayout layout;
    const bool sampleHeading = !headings.empty() && headings.front() == "SampleNo";
    layout.hasSample = sampleHeading;
    layout.valueHeadings.assign(headings.begin() + (sampleHeading ? 1 : 0), headings.end());
    // TINAALIV.dat: its data lines carry Ti, Na and AlIV only.
    if (sampleHeading && layout.valueHeadings == std::vector<std::string>{"Ti", "Na", "AlIV"}) {
        layout.hasSample = false;
    }
    return layout;
}

std::optional<double> parsePlotNumber(std::string_view text) {
    if (text.empty() || text.size() > 40) return std::nullopt;
    std::array<char, 48> buf{};
    std::size_t n = 0;
    bool digit = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == kSeparators.group) {
            // Grouping only ever stands between two digits.
            if (i == 0 || i + 1 == text.size() || !isDigit(text[i - 1]) || !isDigit(text[i + 1])) {
                return std::nullopt;
            }
            continue;
        }
        if (c == kSeparators.decimal) {
            buf[n++] = '.';
        } else if (isDigit(c) || c == '-' || c == '+' || c == 'E' || c == 'e') {
            digit = digit || isDigit(c);
            buf[n++] = c;
        } else {
            return std::nullopt;
        }
    }
    if (!digit) return std::nullopt;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(buf.data(), buf.data() + n, value);
    if (ec != std::errc() || end != buf.data() + n || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<PlotDataRow> parsePlotDataLine(std::string_view line, const PlotLineLayout& layout) {
    if (layout.valueHeadings.empty() || line.size() > kLongestLine) return std::nullopt;
    if (auto row = parseWith(line, layout, true)) return row;
    return parseWith(line, layout, false);
}

PlotData parsePlotData(std::string_view contents, std::string fileName) {
    PlotData data;
    data.fileName = std::move(fileName);
    data.found = true;
    int lineNumber = 0;
    bool heading = true;
    while (!contents.empty()) {
        const std::size_t lf = contents.find('\n');
        std::string_view line = contents.substr(0, lf);
        contents.remove_prefix(lf == std::string_view::npos ? contents.size() : lf + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++lineNumber;
        if (heading) {
            data.headings = headingFields(line);
            data.layout = plotLineLayout(data.headings);
            heading = false;
            continue;
        }
        if (line.empty()) continue;
        if (auto row = parsePlotDataLine(line, data.layout)) {
            row->lineNumber = lineNumber;
            data.rows.push_back(std::move(*row));
        } else {
            ++data.skippedLines;
        }
    }
    return data;
}

PlotData readPlotData(const std::filesystem::path& file) {
    PlotData data;
    data.fileName = file.filename().string();
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (!std::filesystem::exists(status)) {
        data.missing = true;
        data.error = "the file does not exist";
        return data;
    }
    if (!std::filesystem::is_regular_file(status)) {
        data.error = "it is not a regular file";
        return data;
    }
    if (const auto size = std::filesystem::file_size(file, ec); !ec && size > kLargestFile) {
        data.error = "it is too large to be a diagram data file";
        return data;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        data.error = std::strerror(errno);
        return data;
    }
    std::ostringstream contents;
    contents << in.rdbuf();
    if (in.bad()) {
        data.error = "it could not be read to its end";
        return data;
    }
    return parsePlotData(contents.str(), data.fileName);
}

}  // namespace kalvoren
