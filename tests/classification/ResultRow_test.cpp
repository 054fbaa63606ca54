#include "classification/ResultRow.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace kalvoren {
namespace {

std::vector<std::string> splitFields(const std::string& row) {
    std::vector<std::string> fields(1);
    for (char c : row) {
        if (c == '\t') {
            fields.emplace_back();
        } else {
            fields.back().push_back(c);
        }
    }
    return fields;
}

// Every numeric quantity of the row set to its result column number + 0.25, so that a
// field that lands in the wrong column, or under the wrong format, shows at once.
RowResult numberedRow() {
    auto v = [](int column) { return Quantity(column + 0.25); };
    RowResult r;
    RowInput& in = r.input;
    in.cpx.sample = "Cpx-1";
    in.opx.sample = "Opx-1";
    in.hasOpx = true;
    for (int i = 0; i < 18; ++i) {
        in.cpx.oxides[static_cast<std::size_t>(i)] = v(1 + i);
        in.opx.oxides[static_cast<std::size_t>(i)] = v(132 + i);
    }
    in.pressure = v(20);
    in.temperatureText = "1100";

    auto fillSites = [&](SiteAllocation& s, int first) {
        Quantity* fields[] = {&s.T_Si,  &s.T_Al,    &s.T_Fe3, &s.T_Total, &s.M1_Al, &s.M1_Fe3,
                              &s.M1_Ti, &s.M1_Cr,   &s.M1_V,  &s.M1_Zr,   &s.M1_Sc, &s.M1_Zn,
                              &s.M1_Ni, &s.M1_Co,   &s.M1_Mg, &s.M1_Fe2,  &s.M1_Mn, &s.M1_Total,
                              &s.M2_Mg, &s.M2_Fe2,  &s.M2_Mn, &s.M2_Li,   &s.M2_Ca, &s.M2_Na,
                              &s.M2_K,  &s.M2_Total};
        for (Quantity* q : fields) *q = v(first++);
    };
    auto fill = [&](std::initializer_list<Quantity*> fields, int first) {
        for (Quantity* q : fields) *q = v(first++);
    };

    PyroxeneCalculation& c = r.cpx;
    c.formula.oxideTotal = v(19);
    fillSites(c.sites, 22);
    fill({&c.basic.Wo, &c.basic.En, &c.basic.Fs}, 48);
    EndMemberSets& e = c.sets;
    fill({&e.qJdAeg.Q, &e.qJdAeg.Jd, &e.qJdAeg.Aeg}, 51);
    fill({&e.woHypJd.Wo, &e.woHypJd.Hyp, &e.woHypJd.Jd}, 54);
    fill({&e.augJdAeg.Aug, &e.augJdAeg.Jd, &e.augJdAeg.Aeg}, 57);
    fill({&e.acmJdTsHdDi.AcmJd, &e.acmJdTsHdDi.Ts, &e.acmJdTsHdDi.Hd, &e.acmJdTsHdDi.Di}, 60);
    fill({&e.caTsJdKJd.CaTs, &e.caTsJdKJd.Jd, &e.caTsJdKJd.KJd, &e.caTsJdKJd.CaEs, &e.caTsJdKJd.Di,
          &e.caTsJdKJd.En, &e.caTsJdKJd.Fs},
         64);
    fill({&e.jdAcmTs.Jd, &e.jdAcmTs.Acm, &e.jdAcmTs.CaFeTs, &e.jdAcmTs.CaTiTs, &e.jdAcmTs.CaTs,
          &e.jdAcmTs.Wo, &e.jdAcmTs.En, &e.jdAcmTs.Fs},
         71);
    fill({&c.order.FeM1, &c.order.MgM1, &c.order.FeM2, &c.order.MgM2, &c.order.CaM2, &c.order.NaM2},
         79);
    MolarFractions& x = c.fractions;
    fill({&x.X3M1, &x.XFe2M1, &x.XMgM1, &x.XFe2M2, &x.XMgM2, &x.XCaM2, &x.XNaM2}, 85);
    PartitioningQuantities& p = c.partitioning;
    fill({&p.R3plus, &p.CaDoublePrime, &p.KD, &p.LnKD}, 92);
    Activities& a = c.activities;
    fill({&a.aEn, &a.aDi, &a.aFs, &a.aCaTs, &a.aMgTs, &a.aHd, &a.aJd}, 96);
    TschermakComponents& t = c.tschermak;
    fill({&t.Jd, &t.CaTs, &t.CaTi, &t.CrCaTs, &t.DiHd, &t.EnFs, &t.En, &t.Di}, 103);
    fill({&c.thermometer.aEn, &c.thermometer.aDi}, 111);
    CpxPressures& P = r.cpxResults.pressures;
    fill({&P.PN95BS, &P.PNU98BA, &P.PNU98BH, &P.PN99TH, &P.PN99MA, &P.PNT00, &P.PP08Eq32a}, 113);
    CpxTemperatures& T = r.cpxResults.temperatures;
    fill({&T.TBM8586, &T.TNT00, &T.TP08Eq32d, &T.TDN82, &T.TMZ91}, 120);
    r.cls.group = kGroupCaMgFe;
    r.cls.name = "AUGITE";
    fill({&c.basic.Q, &c.basic.J}, 128);
    r.checks.cpxCheck = "Cpx";

    PyroxeneCalculation& o = r.opx;
    o.formula.oxideTotal = v(150);
    fillSites(o.sites, 151);
    OpxComponents& k = o.opxComponents;
    fill({&k.NaAlSi2O6, &k.FmTiAlSiO6, &k.CrAl2SiO6, &k.FmAl2SiO6, &k.CaFmSi2O6, &k.Fm2Si2O6, &k.En,
          &k.Di},
         177);
    fill({&o.thermometer.aEn, &o.thermometer.aDi}, 185);
    TwoPyroxeneResults& pr = r.pairResults.pair;
    fill({&pr.PM84_1, &pr.PM84_2, &pr.PP08_1, &pr.PP08_2}, 187);
    fill({&pr.TWB73, &pr.TW77, &pr.TNB_A1_84, &pr.TNB_A2_84, &pr.TNB_B1_84, &pr.TNB_B2_84, &pr.TN85,
          &pr.TBM8586, &pr.TCL_A_88, &pr.TCL_B_88, &pr.TSJ_1_89, &pr.TSJ_2_89, &pr.TBK90CaInOpxCpx,
          &pr.TBK90NaInOpxCpx, &pr.TT98, &pr.TP1_08, &pr.TP2_08},
         191);
    fill({&r.pairResults.opx.TBK90CaInOpx, &r.pairResults.opx.TNG10CaInOpx}, 208);
    r.checks.opxCheck = "Opx";
    return r;
}

enum class Fmt { Text, General, Fixed4, Fixed2, Whole };

// The format of each numeric column, as the column table gives it.
Fmt formatOf(int col) {
    if (col == 0 || col == 21 || (col >= 125 && col <= 127) || col == 130 || col == 131 ||
        col == 210) {
        return Fmt::Text;
    }
    if ((col >= 1 && col <= 18) || col == 20 || (col >= 132 && col <= 149 && col != 147)) {
        return Fmt::General;
    }
    if (col == 19 || (col >= 48 && col <= 78) || (col >= 113 && col <= 119) || col == 150 ||
        (col >= 187 && col <= 190)) {
        return Fmt::Fixed2;
    }
    if ((col >= 120 && col <= 124) || (col >= 191 && col <= 209)) return Fmt::Whole;
    return Fmt::Fixed4;
}

std::string numbered(int col) {
    const std::string n = std::to_string(col);
    switch (formatOf(col)) {
        case Fmt::General:
            return n + ".25";
        case Fmt::Fixed4:
            return n + ".2500";
        case Fmt::Fixed2:
            return n + ".25";
        case Fmt::Whole:
            return n;
        case Fmt::Text:
            break;
    }
    return "";
}

TEST(ResultRowTest, HeadingsAreExact) {
    EXPECT_EQ(kResultHeadings[0], "Sample       ");
    EXPECT_EQ(kResultHeadings[131], "Sample       ");
    EXPECT_EQ(kResultHeadings[1], "[SiO2(c)");
    EXPECT_EQ(kResultHeadings[19], "Total(c)]");
    EXPECT_EQ(kResultHeadings[21], "T (oC)]");
    EXPECT_EQ(kResultHeadings[34], "Ni (M1)");
    EXPECT_EQ(kResultHeadings[163], "Ni(M1)");
    EXPECT_EQ(kResultHeadings[93], "Ca''");
    EXPECT_EQ(kResultHeadings[119], "PP08Eq32a-Cpx] (kb)");
    EXPECT_EQ(kResultHeadings[127], "[Modifiers]");
    EXPECT_EQ(kResultHeadings[147], "ZrO2(o)");
    EXPECT_EQ(kResultHeadings[209], "TNG10-Ca-in-Opx] (oC)");
    EXPECT_EQ(kResultHeadings[210], "Chk for Opx");
    for (std::string_view h : kResultHeadings) {
        EXPECT_FALSE(h.empty());
        EXPECT_EQ(h.find('\t'), std::string_view::npos);
    }
}

TEST(ResultRowTest, EveryColumnTakesItsQuantityAndFormat) {
    RowResult r = numberedRow();
    r.modifiers.slots[0] = "Aluminian [i.e.,(Al-rich)] ";
    r.modifiers.slots[9] = "Sodian [i.e.,(Na-rich)] ";
    const std::vector<std::string> f = splitFields(formatResultRow(r));
    ASSERT_EQ(f.size(), 211u);
    for (int col = 0; col < kResultColumns; ++col) {
        if (formatOf(col) == Fmt::Text) continue;
        EXPECT_EQ(f[static_cast<std::size_t>(col)], numbered(col)) << "column " << col;
    }
    EXPECT_EQ(f[0], "Cpx-1");
    EXPECT_EQ(f[21], "1100");
    EXPECT_EQ(f[125], "Ca-Mg-Fe pyroxene");
    EXPECT_EQ(f[126], "AUGITE");
    EXPECT_EQ(f[127], "Aluminian [i.e.,(Al-rich)] Sodian [i.e.,(Na-rich)] ");
    EXPECT_EQ(f[130], "Cpx");
    EXPECT_EQ(f[131], "Opx-1");
    EXPECT_EQ(f[210], "Opx");
}

TEST(ResultRowTest, AssemblyAppendsWithoutTerminator) {
    std::string out = "before";
    appendResultRow(out, numberedRow());
    EXPECT_EQ(out.rfind("beforeCpx-1\t1.25\t", 0), 0u);
    EXPECT_NE(out.back(), '\t');
    EXPECT_EQ(out.find('\n'), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 4), "\tOpx");
}

TEST(ResultRowTest, WithoutOrthopyroxeneItsBlockIsEmpty) {
    RowResult r = numberedRow();
    r.input.hasOpx = false;
    r.input.opx.sample = "typed anyway";
    r.checks.opxCheck = "";
    const std::vector<std::string> f = splitFields(formatResultRow(r));
    ASSERT_EQ(f.size(), 211u);
    EXPECT_EQ(f[130], "Cpx");
    EXPECT_EQ(f[131], "typed anyway");
    for (int col = 132; col <= 210; ++col) {
        EXPECT_EQ(f[static_cast<std::size_t>(col)], "") << "column " << col;
    }
}

// The pair results (187-209) stay only for a Ca-Mg-Fe clinopyroxene whose Opx check is "Opx".
TEST(ResultRowTest, PairResultsBlankedUnlessKept) {
    struct Case {
        std::string_view group;
        std::string_view opxCheck;
        bool kept;
    };
    const Case cases[] = {
        {"Ca-Na pyroxene", " ", false}, {"Ca-Na pyroxene", "Opx", false},
        {kGroupCaMgFe, " ", false},     {"Quad", "Opx", false},
        {kGroupCaMgFe, "Opx", true},
    };
    for (const Case& c : cases) {
        RowResult r = numberedRow();
        r.cls.group = c.group;
        r.checks.opxCheck = c.opxCheck;
        const std::vector<std::string> f = splitFields(formatResultRow(r));
        ASSERT_EQ(f.size(), 211u);
        EXPECT_EQ(f[186], numbered(186)) << c.group;  // the Opx block itself stays
        for (int col = 187; col <= 209; ++col) {
            EXPECT_EQ(f[static_cast<std::size_t>(col)], c.kept ? numbered(col) : "")
                << c.group << " / '" << c.opxCheck << "' column " << col;
        }
        EXPECT_EQ(f[210], c.opxCheck);
        EXPECT_EQ(f[125], c.group);
    }
}

TEST(ResultRowTest, OpxZrO2HasFourDecimalsOtherOxidesAreGeneral) {
    RowResult r = numberedRow();
    r.input.opx.oxides[index(OxideKind::ZrO2)] = 0.05;
    r.input.opx.oxides[index(OxideKind::MgO)] = 30.1;
    r.input.cpx.oxides[index(OxideKind::ZrO2)] = 0.05;
    r.input.opx.oxides[index(OxideKind::SiO2)] = 0.0;  // an empty cell reads as 0
    const std::vector<std::string> f = splitFields(formatResultRow(r));
    EXPECT_EQ(f[147], "0.0500");
    EXPECT_EQ(f[143], "30.1");
    EXPECT_EQ(f[16], "0.05");
    EXPECT_EQ(f[132], "0");
}

TEST(ResultRowTest, NumberEdgesInTheirColumns) {
    RowResult r = numberedRow();
    r.cpxResults.temperatures.TBM8586 = 0.3;  // "####" of a value rounding to 0
    r.cpxResults.temperatures.TNT00 = 1234.6;
    r.cpx.formula.oxideTotal = 1234.5;  // "#,##0.00" groups thousands
    r.cpx.sites.T_Si = 1.98765;         // "#,##0.0000" rounds half away
    r.input.pressure = 5.0;             // the defaulted pressure
    r.input.temperatureText = "900";
    const std::vector<std::string> f = splitFields(formatResultRow(r));
    EXPECT_EQ(f[120], "");
    EXPECT_EQ(f[121], "1235");
    EXPECT_EQ(f[19], "1,234.50");
    EXPECT_EQ(f[22], "1.9877");
    EXPECT_EQ(f[20], "5");
    EXPECT_EQ(f[21], "900");
}

TEST(ResultRowTest, BlankAndExtremeValuesNeverBreakTheRow) {
    RowResult blank;  // unset quantities count as 0
    blank.input.hasOpx = true;
    const std::string zeros = formatResultRow(blank);
    EXPECT_EQ(splitFields(zeros).size(), 211u);
    EXPECT_EQ(splitFields(zeros)[22], "0.0000");
    EXPECT_EQ(splitFields(zeros)[120], "");

    RowResult r = numberedRow();
    r.cpx.sites.T_Si = Quantity::blank();
    r.cpx.sets.qJdAeg.Q = std::numeric_limits<double>::quiet_NaN();
    r.cpx.fractions.XMgM1 = std::numeric_limits<double>::infinity();
    r.opx.sites.T_Al = -1e300;
    r.pairResults.pair.TWB73 = 1e300;
    r.input.cpx.oxides[0] = Quantity::blank();
    const std::string text = formatResultRow(r);
    const std::vector<std::string> f = splitFields(text);
    ASSERT_EQ(f.size(), 211u);
    EXPECT_EQ(f[22], "");
    EXPECT_EQ(f[51], "");
    EXPECT_EQ(f[87], "");
    EXPECT_EQ(f[1], "");
    EXPECT_EQ(f[152].rfind("-1,000,000,", 0), 0u);
    EXPECT_EQ(f[152].substr(f[152].size() - 5), ".0000");
    EXPECT_EQ(f[191].size(), 301u);
    for (const char* bad : {"nan", "NaN", "inf", "Inf", "INF"}) {
        EXPECT_EQ(text.find(bad), std::string::npos) << bad;
    }
}

// The row is gathered in a block of its own and handed on when the block is full: a
// sample name longer than the block, and numbers at their longest, must come out whole
// and in their columns.
TEST(ResultRowTest, VeryLongTextsAndNumbersStayWholeAndInPlace) {
    RowResult r = numberedRow();
    std::string longName(40000, 'n');
    longName[100] = '\t';
    const std::string opxName(20000, 'o');
    r.input.cpx.sample = longName;  // the row holds views of the names
    r.input.opx.sample = opxName;
    for (Quantity& q : r.input.cpx.oxides) q = 1e300;
    r.cpx.sets.qJdAeg.Q = -1e300;
    r.opx.sites.M2_Total = 1e300;

    const std::string text = formatResultRow(r);
    const std::vector<std::string> f = splitFields(text);
    ASSERT_EQ(f.size(), 211u);
    std::string shown = longName;
    shown[100] = ' ';
    EXPECT_EQ(f[0], shown);
    EXPECT_EQ(f[131], opxName);
    for (int column = 1; column <= 18; ++column) EXPECT_EQ(f[column], "1E+300") << column;
    // A 1 and 300 zeros in groups of three, then the decimals.
    std::string thousands = "1";
    for (int i = 0; i < 100; ++i) thousands += ",000";
    EXPECT_EQ(f[51], "-" + thousands + ".00");
    EXPECT_EQ(f[176], thousands + ".0000");
    EXPECT_EQ(f[19], "19.25");  // the field after the oxides
    EXPECT_EQ(f[130], "Cpx");
    EXPECT_EQ(f[175], "175.2500");  // the field before the last site total
    EXPECT_EQ(f[177], "177.2500");
}

TEST(ResultRowTest, TabsAndLineBreaksInTextsCannotSplitTheRow) {
    RowResult r = numberedRow();
    r.input.cpx.sample = "a\tb";
    r.input.opx.sample = "c\r\nd";
    r.input.temperatureText = "9\t00";
    const std::vector<std::string> f = splitFields(formatResultRow(r));
    ASSERT_EQ(f.size(), 211u);
    EXPECT_EQ(f[0], "a b");
    EXPECT_EQ(f[131], "c  d");
    EXPECT_EQ(f[21], "9 00");
}

}  // namespace
}  // namespace kalvoren
