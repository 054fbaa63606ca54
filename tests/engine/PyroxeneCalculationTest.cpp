#include "engine/PyroxeneCalculation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kalvoren {
namespace {

constexpr double kTol = 1e-12;

struct Marks {
    OptionMarks store;
    CalcOptions options{store};
    Marks(std::initializer_list<Option> marked) {
        for (Option o : marked) store.setMarked(o, true);
    }
};

Analysis diopside() {
    Analysis a;
    const double si = 2 * 60.0843, mg = 40.3044, ca = 56.0794;
    const double k = 100.0 / (si + mg + ca);
    a.oxides[index(OxideKind::SiO2)] = si * k;
    a.oxides[index(OxideKind::MgO)] = mg * k;
    a.oxides[index(OxideKind::CaO)] = ca * k;
    return a;
}

TEST(CalculateClinopyroxene, DiopsideThroughEveryStage) {
    Marks m{Option::fourCations, Option::fe3Droop, Option::lindsleyAugite};
    const PyroxeneCalculation c = CalculateClinopyroxene(diopside(), m.options);
    EXPECT_NEAR(c.formula.cationTotal.value(), 4.0, kTol);
    EXPECT_NEAR(c.formula.cationFactor.value(), 1.0, kTol);
    EXPECT_DOUBLE_EQ(c.formula.Fe3().value(), 0.0);  // no FeO, nothing to estimate
    EXPECT_NEAR(c.basic.Wo.value(), 50.0, 1e-10);
    EXPECT_NEAR(c.sites.T_Si.value(), 2.0, kTol);
    EXPECT_NEAR(c.sites.M1_Mg.value(), 1.0, kTol);
    EXPECT_NEAR(c.sites.M2_Ca.value(), 1.0, kTol);
    EXPECT_NEAR(c.sets.caTsJdKJd.Di.value(), 100.0, 1e-10);
    EXPECT_NEAR(c.tschermak.DiHd.value(), 1.0, kTol);
    EXPECT_NEAR(c.thermometer.aDi.value(), 1.0 / 1.5, kTol);
    // M2 is full of Ca: m = 0, so no Mg enters M2 in the model either.
    EXPECT_NEAR(c.order.MgM1.value(), 1.0, kTol);
    EXPECT_NEAR(c.activities.aDi.value(), 1.0, kTol);
}

TEST(CalculateClinopyroxene, WithoutFourCationsClearsTheMarkForLaterAnalyses) {
    Marks m{Option::fourCations, Option::withoutFourCations, Option::fe3Droop};
    const PyroxeneCalculation cpx = CalculateClinopyroxene(diopside(), m.options);
    EXPECT_FALSE(m.options.fourCations());
    EXPECT_DOUBLE_EQ(cpx.formula.cationFactor.value(), 1.0);
    const PyroxeneCalculation opx = CalculateOrthopyroxene(diopside(), m.options);
    EXPECT_DOUBLE_EQ(opx.formula.cationFactor.value(), 1.0);
}

TEST(CalculateClinopyroxene, AllZeroAnalysisIsBlankThroughout) {
    Marks m{Option::fourCations, Option::fe3Droop, Option::lindsleyAugite};
    const PyroxeneCalculation c = CalculateClinopyroxene(Analysis{}, m.options);
    for (const Quantity q : c.formula.cations) EXPECT_TRUE(q.isBlank());
    for (const Quantity q :
         {c.formula.cationTotal, c.basic.Wo, c.basic.En, c.sites.T_Total, c.sites.M1_Ti,
          c.sites.M1_Total, c.sites.M2_Total, c.sets.qJdAeg.Q, c.sets.acmJdTsHdDi.Ts,
          c.sets.jdAcmTs.Wo, c.order.FeM1, c.partitioning.LnKD, c.fractions.XMgM2, c.activities.aFs,
          c.tschermak.EnFs, c.thermometer.aEn})
        EXPECT_TRUE(q.isBlank());
    const PyroxeneCalculation o = CalculateOrthopyroxene(Analysis{}, m.options);
    EXPECT_TRUE(o.opxComponents.Fm2Si2O6.isBlank());
    EXPECT_TRUE(o.fractions.XNaM2.isBlank());
}

// ---- Published analyses ------------------------------------------------------------

// The data rows of an analysis file: one quoted block, rows joined by CR, cells by TAB.
std::vector<std::vector<std::string>> readAnalysisFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::vector<std::string>> rows;
    if (bytes.size() < 2) return rows;
    const std::string body = bytes.substr(1, bytes.rfind('"') - 1);
    std::size_t start = 0;
    while (start <= body.size()) {
        const std::size_t end = std::min(body.find('\r', start), body.size());
        std::vector<std::string> cells{std::to_string(rows.size() + 1)};
        for (std::size_t c = start;;) {
            const std::size_t tab = std::min(body.find('\t', c), end);
            cells.emplace_back(body.substr(c, tab - c));
            if (tab >= end) break;
            c = tab + 1;
        }
        cells.resize(kTableColumns);
        if (!cells[EntryColumn::CpxFirstOxide].empty()) rows.push_back(std::move(cells));
        start = end + 1;
    }
    return rows;
}

EntryRow viewOf(const std::vector<std::string>& cells) {
    EntryRow row;
    for (int c = 0; c < kTableColumns; ++c) row.cells[c] = cells[c];
    return row;
}

// What must hold for any analysis, whatever its composition.
void checkInvariants(const PyroxeneCalculation& c, const CationFormula& on6Oxygens,
                     const std::string& where) {
    SCOPED_TRACE(where);
    const CationFormula& f = c.formula;
    EXPECT_NEAR(f.cationTotal.value(), 4.0, 1e-9);
    // The Fe3+ estimate only splits the iron.
    EXPECT_GE(f.Fe3().value(), 0.0);
    EXPECT_GE(f.Fe2().value(), 0.0);
    EXPECT_NEAR((f.Fe3() + f.Fe2()).value(),
                ((on6Oxygens.Fe3() + on6Oxygens.Fe2()) * f.cationFactor).value(), 1e-9);
    // Every cation is placed on a site or left over by a cap, never invented.
    const SiteAllocation& s = c.sites;
    EXPECT_NEAR((s.T_Al + s.M1_Al).value(), f.Al().value(), 1e-9);
    EXPECT_NEAR((s.M1_Mg + s.M2_Mg).value(), f.Mg().value(), 1e-9);
    EXPECT_NEAR((s.M1_Fe2 + s.M2_Fe2).value(), f.Fe2().value(), 1e-9);
    // M1 takes at most 1 cation, unless AlVI and Fe3+ alone exceed that (they are not capped).
    EXPECT_LE(s.M1_Total.value(), std::max(1.0, (s.M1_Al + s.M1_Fe3).value()) + 1e-9);
    EXPECT_NEAR((c.basic.Wo + c.basic.En + c.basic.Fs).value(), 100.0, 1e-9);
    // The model distribution keeps the Fe2+ and Mg it was given, when they can fill the
    // room m left in M2.
    if (c.order.m > 0.0 && f.Fe2() > 0.0 && f.Mg() > 0.0 && f.Fe2() + f.Mg() >= c.order.m) {
        EXPECT_NEAR((c.order.FeM1 + c.order.FeM2).value(), f.Fe2().value(), 1e-9);
        EXPECT_NEAR((c.order.MgM1 + c.order.MgM2).value(), f.Mg().value(), 1e-9);
    }
}

TEST(PublishedAnalyses, InvariantsHoldForEveryRow) {
    for (const char* name : {"cpx_diverse_01.pyx", "pairs_putirka2px_01.pyx"}) {
        const auto rows = readAnalysisFile(std::string(KALVOREN_DATA_DIR) + "/pyx/" + name);
        ASSERT_FALSE(rows.empty()) << name;
        Marks m{Option::fourCations, Option::fe3Droop, Option::lindsleyAugite};
        int pairs = 0;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            std::vector<NonNumericCell> notes;
            const RowInput in = readEntryRow(viewOf(rows[r]), static_cast<int>(r + 1), &notes);
            EXPECT_TRUE(notes.empty()) << name << " row " << r + 1;
            const std::string where = std::string(name) + " row " + std::to_string(r + 1);

            const PyroxeneCalculation cpx = CalculateClinopyroxene(in.cpx, m.options);
            checkInvariants(cpx, ComputeCations(in.cpx), where + " cpx");
            EXPECT_NEAR(
                (cpx.sets.augJdAeg.Aug + cpx.sets.augJdAeg.Jd + cpx.sets.augJdAeg.Aeg).value(),
                100.0, 1e-9)
                << where;
            if (!in.hasOpx) continue;
            ++pairs;
            const PyroxeneCalculation opx = CalculateOrthopyroxene(in.opx, m.options);
            checkInvariants(opx, ComputeCations(in.opx), where + " opx");
            const LindsleyProjection p = ComputeLindsleyProjection(
                cpx.formula, cpx.sites, cpx.basic, cpx.sets, opx.formula, opx.sites, m.options);
            EXPECT_NEAR((p.cpxWo + p.cpxEn + p.cpxFs).value(), 100.0, 1e-9) << where;
            EXPECT_NEAR((p.opxWo + p.opxEn + p.opxFs).value(), 100.0, 1e-9) << where;
        }
        if (std::string(name).starts_with("pairs")) {
            EXPECT_EQ(pairs, static_cast<int>(rows.size()));
        }
    }
}

}  // namespace
}  // namespace kalvoren
