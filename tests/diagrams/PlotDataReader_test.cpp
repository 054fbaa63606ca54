#include "diagrams/PlotDataReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/diagrams/DiagramTestData.h"

namespace kalvoren {
namespace {

// A data line built by hand: each text is put at the column worked out from the zone rule
// (next field at ((start + length) / 14 + 1) * 14), blanks filling the gaps.
class Line {
  public:
    Line& put(std::size_t column, std::string_view text) {
        if (s_.size() > column) ADD_FAILURE() << "column " << column << " already used";
        s_.resize(column, ' ');
        s_ += text;
        return *this;
    }
    // The writer pads up to a blank last field too.
    Line& padTo(std::size_t column) { return put(column, ""); }
    const std::string& str() const { return s_; }

  private:
    std::string s_;
};

PlotLineLayout layoutOf(std::vector<std::string> headings) {
    return plotLineLayout(headings);
}

const PlotLineLayout& qjLayout() {
    static const PlotLineLayout layout = layoutOf({"SampleNo", "J", "Q"});
    return layout;
}

// Expected values of a line: nullopt for a blank field.
using Values = std::vector<std::optional<double>>;

void expectValues(const std::optional<PlotDataRow>& row, const std::string& sample,
                  const Values& expected, const std::string& context) {
    ASSERT_TRUE(row.has_value()) << context;
    EXPECT_EQ(row->sample, sample) << context;
    ASSERT_EQ(row->values.size(), expected.size()) << context;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i]) {
            EXPECT_DOUBLE_EQ(row->values[i].value(), *expected[i]) << context << " field " << i;
        } else {
            EXPECT_TRUE(row->values[i].isBlank()) << context << " field " << i;
        }
    }
}

TEST(PlotDataReaderTest, NumberTexts) {
    struct Case {
        const char* text;
        double value;
    };
    const Case good[] = {
        {"0.1234", 0.1234}, {"1,234.50", 1234.5}, {"12", 12.0},
        {"-3", -3.0},       {"-0.1234", -0.1234}, {"45.2", 45.2},
        {"5E-05", 0.00005}, {"1.5E+20", 1.5e20},  {"1,234,567.0000", 1234567.0},
    };
    for (const Case& c : good) {
        const auto v = parsePlotNumber(c.text);
        ASSERT_TRUE(v.has_value()) << c.text;
        EXPECT_DOUBLE_EQ(*v, c.value) << c.text;
    }
    for (const char* bad : {"", "abc", "-", ".", ",123", "123,", "1,,2", "1.2.3", "nan", "inf",
                            "1E999", "12a", "0x10", "SampleNo"}) {
        EXPECT_FALSE(parsePlotNumber(bad).has_value()) << bad;
    }
}

TEST(PlotDataReaderTest, LayoutFromHeading) {
    const PlotLineLayout qj = qjLayout();
    EXPECT_TRUE(qj.hasSample);
    EXPECT_EQ(qj.valueHeadings, (std::vector<std::string>{"J", "Q"}));
    // TINAALIV.dat names a sample field its data lines do not have.
    const PlotLineLayout tina = layoutOf({"SampleNo", "Ti", "Na", "AlIV"});
    EXPECT_FALSE(tina.hasSample);
    EXPECT_EQ(tina.valueHeadings.size(), 3u);
    const PlotLineLayout lindsley = layoutOf({"Wo", "En", "Fs", ".", "Wo(o)", "En(o)", "Fs(o)"});
    EXPECT_FALSE(lindsley.hasSample);
    EXPECT_EQ(lindsley.valueHeadings.size(), 7u);
}

// Formatted values of QJ.dat: sample names of every length, blank fields in every place.
TEST(PlotDataReaderTest, ZoneRuleOnFormattedLines) {
    struct Case {
        std::string line;
        std::string sample;
        Values values;
    };
    const Case cases[] = {
        // "S1" ends at 2: J at 14; "0.1234" ends at 20: Q at 28.
        {Line().put(0, "S1").put(14, "0.1234").put(28, "1.8000").str(), "S1", {0.1234, 1.8}},
        // A blank J keeps its zone: Q at 28.
        {Line().put(0, "S1").put(28, "1.8000").str(), "S1", {std::nullopt, 1.8}},
        // A blank last Q: the line is padded to its zone and ends there.
        {Line().put(0, "S1").put(14, "0.1234").padTo(28).str(), "S1", {0.1234, std::nullopt}},
        // Both blank.
        {Line().put(0, "S1").padTo(28).str(), "S1", {std::nullopt, std::nullopt}},
        // 13 characters end at 13: J at 14 after a single blank.
        {Line().put(0, "ABCDEFGHIJKLM").put(14, "0.1234").put(28, "1.8000").str(),
         "ABCDEFGHIJKLM",
         {0.1234, 1.8}},
        // 14 characters end on the boundary: J at 28, Q at 42.
        {Line().put(0, "ABCDEFGHIJKLMN").put(28, "0.1234").put(42, "1.8000").str(),
         "ABCDEFGHIJKLMN",
         {0.1234, 1.8}},
        // 20 characters with blanks: J at 28, Q at 42.
        {Line().put(0, "Kilbourne Hole KH-12").put(28, "0.1234").put(42, "1.8000").str(),
         "Kilbourne Hole KH-12",
         {0.1234, 1.8}},
        // A name whose second zone looks like a general number (" 12 " at column 14).
        {Line().put(0, "Kilbourne Hole 12").put(28, "0.1234").put(42, "1.8000").str(),
         "Kilbourne Hole 12",
         {0.1234, 1.8}},
        // ... and the same name with a blank J.
        {Line().put(0, "Kilbourne Hole 12").put(42, "1.8000").str(),
         "Kilbourne Hole 12",
         {std::nullopt, 1.8}},
        // An empty sample name: J still at 14.
        {Line().padTo(14).put(14, "0.1234").put(28, "1.8000").str(), "", {0.1234, 1.8}},
        // Grouped and negative formatted texts: "1,234.5679" ends at 24, Q at 28.
        {Line().put(0, "S1").put(14, "1,234.5679").put(28, "-0.0500").str(),
         "S1",
         {1234.5679, -0.05}},
        // A 14-character number pushes Q a whole zone on: "12,345,678.123" ends at 28.
        {Line().put(0, "S1").put(14, "12,345,678.123").put(42, "1.8000").str(),
         "S1",
         {12345678.123, 1.8}},
    };
    for (const Case& c : cases) {
        expectValues(parsePlotDataLine(c.line, qjLayout()), c.sample, c.values, "[" + c.line + "]");
    }
}

// General numbers carry a leading blank (or minus) and a trailing blank.
TEST(PlotDataReaderTest, ZoneRuleOnGeneralNumbers) {
    const PlotLineLayout woEnFs = layoutOf({"SampleNo", "Wo", "En", "Fs"});
    struct Case {
        std::string line;
        Values values;
    };
    const Case cases[] = {
        // " 50 " ends at 18: En at 28; " 45.5 " ends at 34: Fs at 42.
        {Line().put(0, "Di1").put(14, " 50 ").put(28, " 45.5 ").put(42, " 4.5 ").str(),
         {50.0, 45.5, 4.5}},
        // Fifteen digits make an 18-character field: 14 + 18 = 32, En at 42.
        {Line()
             .put(0, "Di1")
             .put(14, " 45.2345678901234 ")
             .put(42, " 45 ")
             .put(56, " 9.7654321 ")
             .str(),
         {45.2345678901234, 45.0, 9.7654321}},
        // A negative number has its minus in place of the leading blank.
        {Line().put(0, "Di1").put(14, "-1.5 ").put(42, " 0 ").str(), {-1.5, std::nullopt, 0.0}},
        // "-123456789.12 " ends on 28 only through its trailing blank: En at 42, not 28.
        {Line().put(0, "Di1").put(14, "-123456789.12 ").put(42, " 1 ").put(56, " 2 ").str(),
         {-123456789.12, 1.0, 2.0}},
        // A general number in exponent form.
        {Line().put(0, "Di1").put(14, " 5E-05 ").put(28, " 99 ").put(42, " 1 ").str(),
         {0.00005, 99.0, 1.0}},
    };
    for (const Case& c : cases) {
        expectValues(parsePlotDataLine(c.line, woEnFs), "Di1", c.values, "[" + c.line + "]");
    }
}

TEST(PlotDataReaderTest, FilesWithoutSampleField) {
    // TINAALIV.dat: Ti, Na, AlIV from column 0.
    const PlotLineLayout tina = layoutOf({"SampleNo", "Ti", "Na", "AlIV"});
    expectValues(
        parsePlotDataLine(Line().put(0, "0.0200").put(14, "0.0300").put(28, "0.1000").str(), tina),
        "", {0.02, 0.03, 0.1}, "TINAALIV");
    expectValues(parsePlotDataLine(Line().put(0, "0.0200").put(28, "0.1000").str(), tina), "",
                 {0.02, std::nullopt, 0.1}, "TINAALIV blank Na");

    // WOENFSLindsley.dat: Wo En Fs . Wo(o) En(o) Fs(o); " 42 " ends at 4, so each short
    // field takes one zone.
    const PlotLineLayout lindsley = layoutOf({"Wo", "En", "Fs", ".", "Wo(o)", "En(o)", "Fs(o)"});
    const std::string line = Line()
                                 .put(0, " 42 ")
                                 .put(14, " 45 ")
                                 .put(28, " 13 ")
                                 .put(42, ".")
                                 .put(56, " 2 ")
                                 .put(70, " 78 ")
                                 .put(84, " 20 ")
                                 .str();
    expectValues(parsePlotDataLine(line, lindsley), "",
                 {42.0, 45.0, 13.0, std::nullopt, 2.0, 78.0, 20.0}, "Lindsley");
    // Long general numbers move the "." along.
    const std::string longLine = Line()
                                     .put(0, " 41.9876543210123 ")
                                     .put(28, " 45 ")
                                     .put(42, " 13.1 ")
                                     .put(56, ".")
                                     .put(70, " 2 ")
                                     .put(84, " 78 ")
                                     .put(98, " 20 ")
                                     .str();
    expectValues(parsePlotDataLine(longLine, lindsley), "",
                 {41.9876543210123, 45.0, 13.1, std::nullopt, 2.0, 78.0, 20.0}, "Lindsley long");
}

TEST(PlotDataReaderTest, LinesThatFitNoLayout) {
    for (const std::string& line : {
             Line().put(0, "S1").put(14, "abc").put(28, "1.8000").str(),
             Line().put(0, "S1").put(17, "0.1234").str(),
             // Q is missing and the line was not padded to its zone.
             Line().put(0, "S1").put(14, "0.1234").str(),
             Line().put(0, "S1").put(14, "0.1234").put(28, "1.8000").put(50, "").str(),
         }) {
        EXPECT_FALSE(parsePlotDataLine(line, qjLayout()).has_value()) << "[" << line << "]";
    }
}

TEST(PlotDataReaderTest, Windows1252Names) {
    const std::string line =
        Line().put(0, "Aug\xE9 \x80").put(14, "0.0512").put(28, "1.9234").str();
    expectValues(parsePlotDataLine(line, qjLayout()), "Aug\xC3\xA9 \xE2\x82\xAC", {0.0512, 1.9234},
                 "1252 name");
}

TEST(PlotDataReaderTest, WholeFile) {
    const std::string contents =
        Line().put(0, "SampleNo").put(14, "J").put(28, "Q").str() + "\r\n" +
        Line().put(0, "Aug-1").put(14, "0.0512").put(28, "1.9234").str() + "\r\n" +
        "S1            ???           1.0\r\n" +
        Line().put(0, "Omph 2").put(14, "0.6000").put(28, "1.3000").str() + "\r\n";
    const PlotData data = parsePlotData(contents, "QJ.dat");
    EXPECT_TRUE(data.found);
    EXPECT_EQ(data.headings, (std::vector<std::string>{"SampleNo", "J", "Q"}));
    ASSERT_EQ(data.rows.size(), 2u);
    EXPECT_EQ(data.skippedLines, 1);
    EXPECT_EQ(data.rows[0].sample, "Aug-1");
    EXPECT_EQ(data.rows[0].lineNumber, 2);
    EXPECT_EQ(data.rows[1].sample, "Omph 2");
    EXPECT_EQ(data.rows[1].lineNumber, 4);
    EXPECT_DOUBLE_EQ(data.rows[1].values[0].value(), 0.6);

    const PlotData headingOnly = parsePlotData("SampleNo      J             Q\r\n", "QJ.dat");
    EXPECT_FALSE(headingOnly.hasDataLines());
    EXPECT_FALSE(parsePlotData("", "QJ.dat").hasDataLines());

    // Bytes that are no text at all are unreadable lines, nothing worse.
    const std::string garbage = std::string("SampleNo      J             Q\r\n") +
                                std::string("\0\xFF\r\r\n\x80\x81  -\n", 11) +
                                std::string(5000, '7') + "\r\n" + std::string(300, ' ') + "\n";
    const PlotData bad = parsePlotData(garbage, "QJ.dat");
    EXPECT_TRUE(bad.rows.empty());
    EXPECT_EQ(bad.skippedLines, 4);
}

TEST(PlotDataReaderTest, FilesOnDisk) {
    const testing::ScratchFolder scratch;
    const std::filesystem::path& folder = scratch.path();

    const PlotData missing = readPlotData(folder / "QJ.dat");
    EXPECT_FALSE(missing.found);
    EXPECT_TRUE(missing.missing);
    EXPECT_EQ(missing.fileName, "QJ.dat");
    EXPECT_FALSE(missing.error.empty());

    const PlotData directory = readPlotData(folder);
    EXPECT_FALSE(directory.found);
    EXPECT_FALSE(directory.missing);
    EXPECT_FALSE(directory.error.empty());

    {
        std::ofstream out(folder / "QJ.dat", std::ios::binary);
        out << "SampleNo      J             Q\r\nAug-1         0.0512        1.9234\r\n";
    }
    const PlotData read = readPlotData(folder / "QJ.dat");
    EXPECT_TRUE(read.found);
    ASSERT_EQ(read.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(read.rows[0].values[1].value(), 1.9234);
}

}  // namespace
}  // namespace kalvoren
