// The leading-number conversion of the table cells and the temperature conversion, fed
// arbitrary cell texts.
//
// Properties:
// - readLeadingNumber, isPlainNumber and readCellNumber agree, and no value is infinite;
// - blanks, TABs and LFs are ignored wherever they stand: removing them changes nothing;
// - letters are read without regard to case ("1e5" = "1E5", "&hff" = "&HFF");
// - a text of nothing but blanks reads as 0 and is plain;
// - a value that was read, written as a general number, reads back to the same text;
// - a temperature that reads as a number is a plain cell number of the same value.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "engine/LeadingNumber.h"
#include "engine/NumberFormat.h"

namespace {

using kalvoren::Quantity;

bool sameQuantity(Quantity a, Quantity b) {
    if (a.isBlank() || b.isBlank()) return a.isBlank() && b.isBlank();
    // Bit for bit, so that -0 and 0 stay apart.
    const double x = a.value(), y = b.value();
    return std::memcmp(&x, &y, sizeof x) == 0;
}

bool isIgnoredBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// The largest doubles have a 15-digit text above the largest double, which cannot be
// read back: "1.79769313486232E+308".
bool isBeyondReadBack(const std::string& general) {
    const std::string_view top = "1.79769313486232E+308";
    std::string_view g = general;
    if (!g.empty() && g.front() == '-') g.remove_prefix(1);
    return g == top;
}

void checkGeneralReadsBack(Quantity value) {
    const std::string general = kalvoren::formatGeneral(value);
    FUZZ_REQUIRE(!general.empty());
    FUZZ_REQUIRE(!kalvoren::fuzz::holdsNanOrInf(general));
    FUZZ_REQUIRE(kalvoren::isPlainNumber(general));
    const Quantity again = kalvoren::readLeadingNumber(general);
    if (again.isBlank()) {
        FUZZ_REQUIRE(isBeyondReadBack(general));
        return;
    }
    FUZZ_REQUIRE(kalvoren::formatGeneral(again) == general);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const kalvoren::CellNumber cell = kalvoren::readCellNumber(text);
    const Quantity lead = kalvoren::readLeadingNumber(text);
    FUZZ_REQUIRE(sameQuantity(cell.value, lead));
    FUZZ_REQUIRE(cell.plain == kalvoren::isPlainNumber(text));
    FUZZ_REQUIRE(lead.isBlank() || std::isfinite(lead.value()));

    std::string squeezed;
    std::string upper;
    bool onlyBlanks = true;
    for (char c : text) {
        if (!isIgnoredBlank(c)) {
            squeezed.push_back(c);
            onlyBlanks = false;
        }
        upper.push_back((c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c);
    }
    const kalvoren::CellNumber squeezedCell = kalvoren::readCellNumber(squeezed);
    FUZZ_REQUIRE(sameQuantity(squeezedCell.value, lead));
    FUZZ_REQUIRE(squeezedCell.plain == cell.plain);
    const kalvoren::CellNumber upperCell = kalvoren::readCellNumber(upper);
    FUZZ_REQUIRE(sameQuantity(upperCell.value, lead));
    FUZZ_REQUIRE(upperCell.plain == cell.plain);
    if (onlyBlanks) {
        FUZZ_REQUIRE(lead == 0.0);
        FUZZ_REQUIRE(cell.plain);
    }

    if (lead.hasValue()) checkGeneralReadsBack(lead);

    const Quantity temperature = kalvoren::readTemperature(text);
    FUZZ_REQUIRE(temperature.isBlank() || std::isfinite(temperature.value()));
    if (text.empty()) FUZZ_REQUIRE(temperature.isBlank());
    if (temperature.hasValue()) {
        FUZZ_REQUIRE(sameQuantity(temperature, lead));
        FUZZ_REQUIRE(cell.plain);
        checkGeneralReadsBack(temperature);
    }
    return 0;
}
