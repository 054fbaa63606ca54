#include "classification/ResultRow.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <initializer_list>

#include "engine/NumberFormat.h"
#include "engine/OxideKind.h"

namespace kalvoren {

const std::array<std::string_view, kResultColumns> kResultHeadings{
    "Sample       ",           // 0
    "[SiO2(c)",                // 1
    "TiO2(c)",                 // 2
    "Al2O3(c)",                // 3
    "V2O3(c)",                 // 4
    "Cr2O3(c)",                // 5
    "Fe2O3(c)",                // 6
    "FeO(c)",                  // 7
    "MnO(c)",                  // 8
    "NiO(c)",                  // 9
    "CoO(c)",                  // 10
    "ZnO(c)",                  // 11
    "MgO(c)",                  // 12
    "CaO(c)",                  // 13
    "Na2O(c)",                 // 14
    "K2O(c)",                  // 15
    "ZrO2(c)",                 // 16
    "Sc2O3(c)",                // 17
    "Li2O(c)",                 // 18
    "Total(c)]",               // 19
    "[P (kbar)",               // 20
    "T (oC)]",                 // 21
    "[Si (T)",                 // 22
    "Al (T)",                  // 23
    "Fe3+ (T)",                // 24
    "Total (T)]",              // 25
    "[Al (M1)",                // 26
    "Fe3+ (M1)",               // 27
    "Ti (M1)",                 // 28
    "Cr (M1)",                 // 29
    "V (M1)",                  // 30
    "Zr (M1)",                 // 31
    "Sc (M1)",                 // 32
    "Zn (M1)",                 // 33
    "Ni (M1)",                 // 34
    "Co (M1)",                 // 35
    "Mg (M1)",                 // 36
    "Fe2+ (M1)",               // 37
    "Mn (M1)",                 // 38
    "Total (M1)]",             // 39
    "[Mg (M2)",                // 40
    "Fe2+ (M2)",               // 41
    "Mn (M2)",                 // 42
    "Li (M2)",                 // 43
    "Ca (M2)",                 // 44
    "Na (M2)",                 // 45
    "K (M2)",                  // 46
    "Total (M2)]",             // 47
    "[Wo",                     // 48
    "En",                      // 49
    "Fs]",                     // 50
    "[Q",                      // 51
    "Jd",                      // 52
    "Aeg]",                    // 53
    "[Wo",                     // 54
    "Hyp",                     // 55
    "Jd]",                     // 56
    "[Aug",                    // 57
    "Jd",                      // 58
    "Aeg]",                    // 59
    "[Acm+Jd",                 // 60
    "Ts",                      // 61
    "Hd",                      // 62
    "Di]",                     // 63
    "[CaTs (Kushiroite)",      // 64
    "Jd",                      // 65
    "KJd",                     // 66
    "CaEs",                    // 67
    "Di",                      // 68
    "En",                      // 69
    "Fs]",                     // 70
    "[Jd",                     // 71
    "Acm",                     // 72
    "Ca-ferriTs(Ca-Fe3+ Ts)",  // 73
    "Ca-Ti-Ts",                // 74
    "Ca-Ts (Kushiroite)",      // 75
    "Wo",                      // 76
    "En",                      // 77
    "Fs]",                     // 78
    "[FeM1",                   // 79
    "MgM1",                    // 80
    "FeM2",                    // 81
    "MgM2",                    // 82
    "CaM2",                    // 83
    "NaM2]",                   // 84
    "[X3+(M1)",                // 85
    "XFe2+(M1)",               // 86
    "XMg(M1)",                 // 87
    "XFe2+(M2)",               // 88
    "XMg(M2)",                 // 89
    "XCa(M2)",                 // 90
    "XNa(M2)]",                // 91
    "[R3+",                    // 92
    "Ca''",                    // 93
    "KD",                      // 94
    "LnKD]",                   // 95
    "[aEn",                    // 96
    "aDi",                     // 97
    "aFs",                     // 98
    "aCa-Ts (aKushiroite)",    // 99
    "aMg-Ts",                  // 100
    "aHd",                     // 101
    "aJd]",                    // 102
    "[Jd",                     // 103
    "CaTs (Kushiroite)",       // 104
    "CaTi",                    // 105
    "CrCaTs",                  // 106
    "DiHd",                    // 107
    "EnFs]",                   // 108
    "[En",                     // 109
    "Di]",                     // 110
    "[aEn",                    // 111
    "aDi]",                    // 112
    "[PN95-BS-Cpx",            // 113
    "PNU98-BA-Cpx",            // 114
    "PNU98-BH-Cpx",            // 115
    "PN99-TH-Cpx",             // 116
    "PN99-MA-Cpx",             // 117
    "PNT00-Cpx",               // 118
    "PP08Eq32a-Cpx] (kb)",     // 119
    "[TBM85/86-Cpx",           // 120
    "TNT00-Cpx",               // 121
    "TP08Eq32d-Cpx",           // 122
    "TDN82-Cpx",               // 123
    "TMZ91-Cpx] (oC)",         // 124
    "[Pyroxene Group",         // 125
    "Pyroxene Name]",          // 126
    "[Modifiers]",             // 127
    "[Q",                      // 128
    "J]",                      // 129
    "Chk for Cpx",             // 130
    "Sample       ",           // 131
    "[SiO2(o)",                // 132
    "TiO2(o)",                 // 133
    "Al2O3(o)",                // 134
    "V2O3(o)",                 // 135
    "Cr2O3(o)",                // 136
    "Fe2O3(o)",                // 137
    "FeO(o)",                  // 138
    "MnO(o)",                  // 139
    "NiO(o)",                  // 140
    "CoO(o)",                  // 141
    "ZnO(o)",                  // 142
    "MgO(o)",                  // 143
    "CaO(o)",                  // 144
    "Na2O(o)",                 // 145
    "K2O(o)",                  // 146
    "ZrO2(o)",                 // 147
    "Sc2O3(o)",                // 148
    "Li2O(o)",                 // 149
    "Total(o)]",               // 150
    "[Si (T)",                 // 151
    "Al (T)",                  // 152
    "Fe3+ (T)",                // 153
    "Total (T)]",              // 154
    "[Al (M1)",                // 155
    "Fe3+ (M1)",               // 156
    "Ti (M1)",                 // 157
    "Cr (M1)",                 // 158
    "V (M1)",                  // 159
    "Zr (M1)",                 // 160
    "Sc (M1)",                 // 161
    "Zn (M1)",                 // 162
    "Ni(M1)",                  // 163
    "Co (M1)",                 // 164
    "Mg (M1)",                 // 165
    "Fe2+ (M1)",               // 166
    "Mn (M1)",                 // 167
    "Total (M1)]",             // 168
    "[Mg (M2)",                // 169
    "Fe2+ (M2)",               // 170
    "Mn (M2)",                 // 171
    "Li (M2)",                 // 172
    "Ca (M2)",                 // 173
    "Na (M2)",                 // 174
    "K (M2)",                  // 175
    "Total (M2)]",             // 176
    "[NaAlSi2O6",              // 177
    "FmTiAlSiO6",              // 178
    "CrAl2SiO6",               // 179
    "FmAl2SiO6",               // 180
    "CaFmSi2O6",               // 181
    "Fm2Si2O6]",               // 182
    "[En",                     // 183
    "Di]",                     // 184
    "[aEn",                    // 185
    "aDi]",                    // 186
    "[PM84-1-Cpx-Opx",         // 187
    "PM84-2-Cpx-Opx",          // 188
    "PP08-1-Cpx-Opx",          // 189
    "PP08-2-Cpx-Opx] (kbar)",  // 190
    "[TWB73-Opx-Cpx",          // 191
    "TW77-Opx-Cpx",            // 192
    "TNB(A1)84-Opx-Cpx",       // 193
    "TNB(A2)84-Opx-Cpx",       // 194
    "TNB(B1)84-Opx-Cpx",       // 195
    "TNB(B2)84-Opx-Cpx",       // 196
    "TN85-Opx-Cpx",            // 197
    "TBM85/86-Opx-Cpx",        // 198
    "TCL(A)88-Opx-Cpx",        // 199
    "TCL(B)88-Opx-Cpx",        // 200
    "TSJ(1)89-Opx-Cpx",        // 201
    "TSJ(2)89-Opx-Cpx",        // 202
    "TBK90-Ca-in-Opx-Cpx",     // 203
    "TBK90-Na-in-Opx-Cpx",     // 204
    "TT98-Opx-Cpx",            // 205
    "TP(1)08-Opx-Cpx",         // 206
    "TP(2)08-Opx-Cpx] (oC)",   // 207
    "[TBK90-Ca-in-Opx",        // 208
    "TNG10-Ca-in-Opx] (oC)",   // 209
    "Chk for Opx",             // 210
};

namespace {

constexpr int kFirstOpxOxideColumn = 132;
constexpr int kOpxZrO2Column = 147;  // the one oxide column shown with 4 decimals
constexpr int kFirstPairColumn = 187;
constexpr int kLastPairColumn = 209;

// Appends the fields in column order with one TAB between them. The text is gathered
// in a block on the stack and appended to the row's string when the block is full and
// at the end: a row has some 190 numbers, and growing the string number by number cost
// more than formatting them. The numbers come in lists, so that the room they may need
// is made once per list.
class FieldWriter {
  public:
    explicit FieldWriter(std::string& out) : out_(out) {}
    FieldWriter(const FieldWriter&) = delete;
    FieldWriter& operator=(const FieldWriter&) = delete;
    ~FieldWriter() { flush(); }

    // A TAB, CR or LF inside a text would split the row or the grid line; it shows as a blank.
    void text(std::string_view s) {
        if (s.size() + 1 > room()) flush();
        if (s.size() + 1 > room()) {  // longer than the block: straight to the string
            if (columns_++ > 0) out_.push_back('\t');
            for (char c : s) out_.push_back(blankSeparator(c));
            return;
        }
        char* p = p_;
        if (columns_++ > 0) *p++ = '\t';
        for (char c : s) *p++ = blankSeparator(c);
        p_ = p;
    }
    void general(std::initializer_list<Quantity> values) {
        numbers(values.begin(), values.size(), writeGeneral);
    }
    void general(const std::array<Quantity, kOxideCount>& oxides) {
        numbers(oxides.data(), oxides.size(), writeGeneral);
    }
    void fixed4(std::initializer_list<Quantity> values) {
        numbers(values.begin(), values.size(), writeFixed4);
    }
    void fixed2(std::initializer_list<Quantity> values) {
        numbers(values.begin(), values.size(), writeFixed2);
    }
    void whole(std::initializer_list<Quantity> values) {
        numbers(values.begin(), values.size(), writeWhole);
    }
    // The 19 modifier texts joined without separator, as one field.
    void modifiers(const ModifierSet& m) {
        std::size_t size = 0;
        for (std::string_view slot : m.slots) size += slot.size();
        if (size + 1 > room()) flush();
        if (size + 1 > room()) {
            if (columns_++ > 0) out_.push_back('\t');
            m.appendTo(out_);
            return;
        }
        if (columns_++ > 0) *p_++ = '\t';
        for (std::string_view slot : m.slots) {
            if (!slot.empty()) std::memcpy(p_, slot.data(), slot.size());
            p_ += slot.size();
        }
    }
    void empty(int count) {
        for (int i = 0; i < count; ++i) {
            if (room() == 0) flush();
            if (columns_++ > 0) *p_++ = '\t';
        }
    }
    int columns() const { return columns_; }

  private:
    // Room for the longest list of numbers (28; a longer one goes in parts) at their
    // longest.
    static constexpr std::size_t kBlockSize = 16384;
    static constexpr std::size_t kLongestList = 28;
    static_assert(kLongestList * (kNumberTextBound + 1) <= kBlockSize);

    static char blankSeparator(char c) { return c == '\t' || c == '\r' || c == '\n' ? ' ' : c; }

    std::size_t room() const { return static_cast<std::size_t>(block_.data() + kBlockSize - p_); }
    void flush() {
        out_.append(block_.data(), p_);
        p_ = block_.data();
    }
    // The list is written with a local pointer and counter: through the members, every
    // number would wait on a store and a load.
    template <typename Format>
    void numbers(const Quantity* values, std::size_t count, Format format) {
        for (; count > kLongestList; count -= kLongestList, values += kLongestList)
            numbers(values, kLongestList, format);
        if (count * (kNumberTextBound + 1) > room()) flush();
        char* p = p_;
        int columns = columns_;
        for (std::size_t i = 0; i < count; ++i) {
            if (columns++ > 0) *p++ = '\t';
            p = format(p, values[i]);
        }
        p_ = p;
        columns_ = columns;
    }

    std::string& out_;
    std::array<char, kBlockSize> block_;  // not cleared: only what p_ has passed is read
    char* p_ = block_.data();
    int columns_ = 0;
};

void writeSites(FieldWriter& w, const SiteAllocation& s) {
    w.fixed4({s.T_Si, s.T_Al, s.T_Fe3, s.T_Total});
    w.fixed4({s.M1_Al, s.M1_Fe3, s.M1_Ti, s.M1_Cr, s.M1_V, s.M1_Zr, s.M1_Sc, s.M1_Zn, s.M1_Ni,
              s.M1_Co, s.M1_Mg, s.M1_Fe2, s.M1_Mn, s.M1_Total});
    w.fixed4({s.M2_Mg, s.M2_Fe2, s.M2_Mn, s.M2_Li, s.M2_Ca, s.M2_Na, s.M2_K, s.M2_Total});
}

// Columns 0 to 130.
void writeClinopyroxene(FieldWriter& w, const RowResult& r) {
    const RowInput& in = r.input;
    const PyroxeneCalculation& c = r.cpx;
    w.text(in.cpx.sample);
    w.general(in.cpx.oxides);
    w.fixed2({c.formula.oxideTotal});
    w.general({in.pressure});
    w.text(in.temperatureText);
    writeSites(w, c.sites);

    w.fixed2({c.basic.Wo, c.basic.En, c.basic.Fs});
    const EndMemberSets& e = c.sets;
    w.fixed2({e.qJdAeg.Q,       e.qJdAeg.Jd,         e.qJdAeg.Aeg,     e.woHypJd.Wo,
              e.woHypJd.Hyp,    e.woHypJd.Jd,        e.augJdAeg.Aug,   e.augJdAeg.Jd,
              e.augJdAeg.Aeg,   e.acmJdTsHdDi.AcmJd, e.acmJdTsHdDi.Ts, e.acmJdTsHdDi.Hd,
              e.acmJdTsHdDi.Di, e.caTsJdKJd.CaTs,    e.caTsJdKJd.Jd,   e.caTsJdKJd.KJd,
              e.caTsJdKJd.CaEs, e.caTsJdKJd.Di,      e.caTsJdKJd.En,   e.caTsJdKJd.Fs,
              e.jdAcmTs.Jd,     e.jdAcmTs.Acm,       e.jdAcmTs.CaFeTs, e.jdAcmTs.CaTiTs,
              e.jdAcmTs.CaTs,   e.jdAcmTs.Wo,        e.jdAcmTs.En,     e.jdAcmTs.Fs});

    const MgFeOrder& o = c.order;
    w.fixed4({o.FeM1, o.MgM1, o.FeM2, o.MgM2, o.CaM2, o.NaM2});
    const MolarFractions& x = c.fractions;
    w.fixed4({x.X3M1, x.XFe2M1, x.XMgM1, x.XFe2M2, x.XMgM2, x.XCaM2, x.XNaM2});
    const PartitioningQuantities& p = c.partitioning;
    w.fixed4({p.R3plus, p.CaDoublePrime, p.KD, p.LnKD});
    const Activities& a = c.activities;
    w.fixed4({a.aEn, a.aDi, a.aFs, a.aCaTs, a.aMgTs, a.aHd, a.aJd});
    const TschermakComponents& t = c.tschermak;
    w.fixed4({t.Jd, t.CaTs, t.CaTi, t.CrCaTs, t.DiHd, t.EnFs, t.En, t.Di});
    w.fixed4({c.thermometer.aEn, c.thermometer.aDi});

    const CpxPressures& P = r.cpxResults.pressures;
    w.fixed2({P.PN95BS, P.PNU98BA, P.PNU98BH, P.PN99TH, P.PN99MA, P.PNT00, P.PP08Eq32a});
    const CpxTemperatures& T = r.cpxResults.temperatures;
    w.whole({T.TBM8586, T.TNT00, T.TP08Eq32d, T.TDN82, T.TMZ91});

    w.text(r.cls.group);
    w.text(r.cls.name);
    w.modifiers(r.modifiers);
    w.fixed4({c.basic.Q, c.basic.J});
    w.text(r.checks.cpxCheck);
}

// Columns 132 to 186.
void writeOrthopyroxene(FieldWriter& w, const RowResult& r) {
    const PyroxeneCalculation& o = r.opx;
    for (std::size_t i = 0; i < kOxideCount; ++i) {
        if (kFirstOpxOxideColumn + static_cast<int>(i) == kOpxZrO2Column) {
            w.fixed4({r.input.opx.oxides[i]});
        } else {
            w.general({r.input.opx.oxides[i]});
        }
    }
    w.fixed2({o.formula.oxideTotal});
    writeSites(w, o.sites);
    const OpxComponents& k = o.opxComponents;
    w.fixed4(
        {k.NaAlSi2O6, k.FmTiAlSiO6, k.CrAl2SiO6, k.FmAl2SiO6, k.CaFmSi2O6, k.Fm2Si2O6, k.En, k.Di});
    w.fixed4({o.thermometer.aEn, o.thermometer.aDi});
}

// Columns 187 to 209.
void writePair(FieldWriter& w, const PairThermobarometry& p) {
    const TwoPyroxeneResults& t = p.pair;
    w.fixed2({t.PM84_1, t.PM84_2, t.PP08_1, t.PP08_2});
    w.whole({t.TWB73, t.TW77, t.TNB_A1_84, t.TNB_A2_84, t.TNB_B1_84, t.TNB_B2_84, t.TN85, t.TBM8586,
             t.TCL_A_88, t.TCL_B_88, t.TSJ_1_89, t.TSJ_2_89, t.TBK90CaInOpxCpx, t.TBK90NaInOpxCpx,
             t.TT98, t.TP1_08, t.TP2_08});
    w.whole({p.opx.TBK90CaInOpx, p.opx.TNG10CaInOpx});
}

}  // namespace

void appendResultRow(std::string& out, const RowResult& row) {
    FieldWriter w(out);
    writeClinopyroxene(w, row);
    w.text(row.input.opx.sample);
    if (!row.input.hasOpx) {
        w.empty(kResultColumns - w.columns());
        return;
    }
    writeOrthopyroxene(w, row);
    const bool pairKept = row.cls.group == kGroupCaMgFe && row.checks.opxCheck == "Opx";
    if (pairKept) {
        writePair(w, row.pairResults);
    } else {
        w.empty(kLastPairColumn - kFirstPairColumn + 1);
    }
    w.text(row.checks.opxCheck);
}

std::string formatResultRow(const RowResult& row) {
    std::string s;
    appendResultRow(s, row);
    return s;
}

}  // namespace kalvoren
