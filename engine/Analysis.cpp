#include "engine/Analysis.h"

#include "engine/LeadingNumber.h"

namespace kalvoren {

namespace {

// The text of a note: the cell's text, or its beginning (whole UTF-8 characters) and "...".
std::string noteText(std::string_view text) {
    if (text.size() <= NonNumericCell::kNoteTextBytes) return std::string(text);
    // A UTF-8 character has at most three continuation bytes; a text that is not UTF-8
    // is cut where it is.
    std::size_t end = NonNumericCell::kNoteTextBytes;
    for (int i = 0; i < 3 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80; ++i) --end;
    return std::string(text.substr(0, end)) + "...";
}

// Reads a number cell and remembers a text that was not wholly a number, or whose
// number is too large to use.
Quantity readNumberCell(const EntryRow& row, int column, int rowNumber,
                        std::vector<NonNumericCell>* notes) {
    const std::string_view text = row[column];
    if (text.empty()) return 0.0;  // most trace-oxide and Opx cells
    const CellNumber n = readCellNumber(text);
    if (notes && (!n.plain || n.value.isBlank()))
        notes->push_back({rowNumber, column, noteText(text), n.value.value()});
    return n.value;
}

void readOxides(Analysis& analysis, const EntryRow& row, int firstColumn, std::size_t firstOxide,
                int rowNumber, std::vector<NonNumericCell>* notes) {
    for (std::size_t i = firstOxide; i < kOxideCount; ++i)
        analysis.oxides[i] =
            readNumberCell(row, firstColumn + static_cast<int>(i), rowNumber, notes);
}

}  // namespace

RowInput readEntryRow(const EntryRow& row, int rowNumber, std::vector<NonNumericCell>* notes) {
    RowInput in;

    in.cpx.sample = row[EntryColumn::CpxSample];
    readOxides(in.cpx, row, EntryColumn::CpxFirstOxide, 0, rowNumber, notes);

    // A pressure that reads as 0 (empty, zero or letters) means "not given".
    in.pressure = readNumberCell(row, EntryColumn::Pressure, rowNumber, notes);
    if (in.pressure == 0.0) {
        in.pressure = 5.0;
        in.pressureDefaulted = true;
    }

    const std::string_view t = row[EntryColumn::Temperature];
    if (t.empty()) {
        in.temperatureText = "900";
        in.temperature = 900.0;
        in.temperatureDefaulted = true;
    } else {
        in.temperatureText = t;
        in.temperature = readTemperature(t);
        // A temperature that is not a number leaves every quantity built on it blank,
        // so the user hears about it even when the text looks harmless ("  ", "9 00").
        if (notes && in.temperature.isBlank())
            notes->push_back(
                {rowNumber, EntryColumn::Temperature, noteText(t), in.temperature.value()});
    }

    in.opx.sample = row[EntryColumn::OpxSample];
    in.opx.oxides[index(OxideKind::SiO2)] =
        readNumberCell(row, EntryColumn::OpxFirstOxide, rowNumber, notes);
    in.hasOpx = in.opx[OxideKind::SiO2] > 0.0;
    if (in.hasOpx) readOxides(in.opx, row, EntryColumn::OpxFirstOxide, 1, rowNumber, notes);
    return in;
}

}  // namespace kalvoren
