#include "platform/SheetRows.h"

#include <charconv>
#include <cmath>
#include <string>

#include "engine/NumberFormat.h"

namespace kalvoren {

namespace {

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() &&
           (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

WorkbookCell numberCell(double value) {
    if (!std::isfinite(value)) return errorCell();
    return {WorkbookCell::Text, formatGeneral(Quantity(value))};
}

WorkbookCell numberCell(std::string_view stored) {
    stored = trimBlanks(stored);
    if (!stored.empty() && stored.front() == '+') stored.remove_prefix(1);
    double value = 0;
    const char* end = stored.data() + stored.size();
    const auto [ptr, ec] = std::from_chars(stored.data(), end, value);
    if (stored.empty() || ec != std::errc() || ptr != end) return errorCell();
    return numberCell(value);
}

WorkbookCell textCell(std::string_view text) {
    if (text.empty()) return {};
    WorkbookCell cell{WorkbookCell::Text, std::string(text)};
    for (char& c : cell.text)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return cell;
}

WorkbookCell logicalCell(bool value) {
    return {WorkbookCell::Text, value ? "True" : "False"};
}

WorkbookCell errorCell() {
    return {WorkbookCell::Error, {}};
}

bool SheetRow::add(int col, WorkbookCell cell) {
    const std::size_t size = sizeof(SheetCell) + cell.text.size();
    if (size > kMaxRowBytes - bytes) return false;
    bytes += size;
    cells.push_back({col, std::move(cell)});
    return true;
}

std::string rowTooLargeReason(int rowIndex) {
    return "row " + std::to_string(static_cast<long long>(rowIndex) + 1) +
           " of the sheet holds more than " + std::to_string(kMaxRowBytes >> 20) + " MB of text";
}

bool parseCount(std::string_view text, long long limit, long long& value) {
    text = trimBlanks(text);
    if (text.empty() || text.size() > 18) return false;
    long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > limit) return false;
    value = v;
    return true;
}

}  // namespace kalvoren
