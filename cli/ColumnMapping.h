#pragma once
// Which entry column each column of a named-column table feeds. Names are compared
// case-insensitively, ignoring blanks, underscores and brackets, so the entry grid's own
// headings ("SiO2    [c]", "P(kbar)  ") and the forms used in the field ("SiO2_Cpx",
// "Cpx_SiO2", "SiO2(c)", "FeOt_Cpx", "FeO*", "Sample_ID_Cpx", "P_GPa", "T_K") are accepted.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EntryRow.h"

namespace kalvoren {

enum class UnitConversion { None, GigapascalToKilobar, KelvinToCelsius };

struct ColumnTarget {
    int entryColumn = 0;  // 1..42
    UnitConversion conversion = UnitConversion::None;
};

// The normalised form of a heading: lower case, without blanks, underscores, brackets.
std::string normaliseHeading(std::string_view heading);

class ColumnMapping {
public:
    // Maps the heading row. Later columns that name an entry column already taken are
    // listed among the ignored ones.
    static ColumnMapping fromHeadings(const std::vector<std::string_view>& headings);
    // The 42 fields of an analysis-file line, in their order.
    static ColumnMapping positional();

    // Entry column per table column (nullopt: ignored).
    const std::vector<std::optional<ColumnTarget>>& targets() const { return targets_; }
    // Headings of columns that were not recognised (blank headings are not listed).
    const std::vector<std::string>& ignored() const { return ignored_; }
    // True when some clinopyroxene oxide column was recognised.
    bool hasCpxOxide() const;

    // Fills `row` from one record. Converted values are kept in `scratch`, which must
    // outlive the row's use; cells without a source are empty.
    void fill(const std::vector<std::string_view>& fields, std::vector<std::string>& scratch,
              EntryRow& row) const;

private:
    std::vector<std::optional<ColumnTarget>> targets_;
    std::vector<std::string> ignored_;
};

}  // namespace kalvoren
