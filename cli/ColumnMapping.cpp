#include "cli/ColumnMapping.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "engine/LeadingNumber.h"
#include "engine/NumberFormat.h"
#include "engine/OxideKind.h"

namespace kalvoren {

namespace {

enum class Phase { None, Cpx, Opx };

struct Alias {
    std::string_view name;
    int cpxColumn;  // the Opx column is cpxColumn + 23
};

// Oxide names and the total-iron forms (all iron reported as FeO).
constexpr std::array<Alias, 7> kIronAliases{{
    {"feot", 8}, {"feo*", 8}, {"feotot", 8}, {"feototal", 8}, {"feot*", 8}, {"tfeo", 8},
    {"feo(t)", 8},
}};
constexpr std::array<std::string_view, 6> kSampleNames{
    "sample", "sampleid", "samplename", "sampleno", "name", "label"};

int oxideColumn(std::string_view name) {
    for (const OxideData& oxide : kOxides) {
        std::string lower(oxide.name);
        for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if (lower == name) return oxide.cpxColumn;
    }
    for (const Alias& alias : kIronAliases)
        if (alias.name == name) return alias.cpxColumn;
    return 0;
}

bool isSample(std::string_view name) {
    return std::find(kSampleNames.begin(), kSampleNames.end(), name) != kSampleNames.end();
}

// Splits a phase mark off a normalised name: "cpxsio2", "sio2cpx", "sio2c".
std::pair<Phase, std::string_view> splitPhase(std::string_view name) {
    for (const auto& [mark, phase] :
         {std::pair{std::string_view("cpx"), Phase::Cpx}, std::pair{std::string_view("opx"), Phase::Opx}}) {
        if (name.size() > 3 && name.substr(0, 3) == mark) return {phase, name.substr(3)};
        if (name.size() > 3 && name.substr(name.size() - 3) == mark)
            return {phase, name.substr(0, name.size() - 3)};
    }
    return {Phase::None, name};
}

struct Recognised {
    int column = 0;  // Cpx column of the quantity (0: not recognised)
    Phase phase = Phase::None;
    bool sample = false;
    UnitConversion conversion = UnitConversion::None;
};

Recognised recognise(const std::string& normalised) {
    Recognised r;
    std::string_view name = normalised;
    // Pressure and temperature serve both analyses.
    static constexpr std::array<std::string_view, 6> kPressureKbar{"pkbar", "p", "pressure",
                                                                    "pressurekbar", "pkb", "pkbars"};
    static constexpr std::array<std::string_view, 2> kPressureGpa{"pgpa", "pressuregpa"};
    static constexpr std::array<std::string_view, 7> kTemperatureC{
        "toc", "tc", "t", "temperature", "temperaturec", "tdegc", "t°c"};
    static constexpr std::array<std::string_view, 2> kTemperatureK{"tk", "temperaturek"};
    auto in = [&](const auto& list) { return std::find(list.begin(), list.end(), name) != list.end(); };
    if (in(kPressureKbar)) return {EntryColumn::Pressure, Phase::None, false, UnitConversion::None};
    if (in(kPressureGpa))
        return {EntryColumn::Pressure, Phase::None, false, UnitConversion::GigapascalToKilobar};
    if (in(kTemperatureC)) return {EntryColumn::Temperature, Phase::None, false, UnitConversion::None};
    if (in(kTemperatureK))
        return {EntryColumn::Temperature, Phase::None, false, UnitConversion::KelvinToCelsius};

    if (int c = oxideColumn(name)) return {c, Phase::None};
    if (isSample(name)) return {EntryColumn::CpxSample, Phase::None, true};

    auto [phase, rest] = splitPhase(name);
    if (phase == Phase::None && rest.size() > 1) {
        // The grid's "[c]"/"[o]" and "(c)"/"(o)" marks leave a single letter behind.
        const char last = rest.back();
        if (last == 'c' || last == 'o') {
            const std::string_view stem = rest.substr(0, rest.size() - 1);
            if (oxideColumn(stem) || isSample(stem)) {
                phase = last == 'c' ? Phase::Cpx : Phase::Opx;
                rest = stem;
            }
        }
    }
    if (phase == Phase::None) return r;
    if (int c = oxideColumn(rest)) return {c, phase};
    if (isSample(rest)) return {EntryColumn::CpxSample, phase, true};
    return r;
}

}  // namespace

std::string normaliseHeading(std::string_view heading) {
    std::string out;
    out.reserve(heading.size());
    for (const char ch : heading) {
        if (ch == ' ' || ch == '\t' || ch == '_' || ch == '(' || ch == ')' || ch == '[' ||
            ch == ']' || ch == '{' || ch == '}' || ch == '\r' || ch == '\n')
            continue;
        out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(ch))));
    }
    return out;
}

ColumnMapping ColumnMapping::fromHeadings(const std::vector<std::string_view>& headings) {
    ColumnMapping m;
    std::array<bool, kTableColumns> taken{};
    for (const std::string_view heading : headings) {
        const std::string normalised = normaliseHeading(heading);
        Recognised r = recognise(normalised);
        int column = 0;
        if (r.column != 0) {
            const int offset = EntryColumn::OpxSample - EntryColumn::CpxSample;  // 23
            if (r.column == EntryColumn::Pressure || r.column == EntryColumn::Temperature) {
                column = r.column;
            } else if (r.phase == Phase::Opx) {
                column = r.column + offset;
            } else if (r.phase == Phase::Cpx) {
                column = r.column;
            } else if (r.sample && taken[r.column]) {
                // The entry grid's own layout has two unmarked "Sample" columns: the
                // second names the orthopyroxene.
                column = r.column + offset;
            } else {
                // Without a phase mark an oxide is the clinopyroxene's.
                column = r.column;
            }
        }
        if (column != 0 && !taken[column]) {
            taken[column] = true;
            m.targets_.push_back(ColumnTarget{column, r.conversion});
        } else {
            m.targets_.push_back(std::nullopt);
            if (!normalised.empty() && normalised != "rowno") m.ignored_.emplace_back(heading);
        }
    }
    return m;
}

ColumnMapping ColumnMapping::positional() {
    ColumnMapping m;
    for (int c = 1; c < kTableColumns; ++c) m.targets_.push_back(ColumnTarget{c});
    return m;
}

bool ColumnMapping::hasCpxOxide() const {
    return std::any_of(targets_.begin(), targets_.end(), [](const auto& t) {
        return t && t->entryColumn >= EntryColumn::CpxFirstOxide &&
               t->entryColumn < EntryColumn::CpxFirstOxide + static_cast<int>(kOxideCount);
    });
}

void ColumnMapping::fill(const std::vector<std::string_view>& fields,
                         std::vector<std::string>& scratch, EntryRow& row) const {
    row.cells.fill(std::string_view{});
    scratch.resize(2);
    const std::size_t n = std::min(fields.size(), targets_.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto& target = targets_[i];
        if (!target) continue;
        std::string_view text = fields[i];
        if (target->conversion != UnitConversion::None && !text.empty() && isPlainNumber(text)) {
            const Quantity value = readLeadingNumber(text);
            std::string& converted =
                scratch[target->conversion == UnitConversion::GigapascalToKilobar ? 0 : 1];
            converted = formatGeneral(target->conversion == UnitConversion::GigapascalToKilobar
                                          ? value * 10.0
                                          : value - 273.15);
            text = converted;
        }
        row.cells[target->entryColumn] = text;
    }
}

}  // namespace kalvoren
