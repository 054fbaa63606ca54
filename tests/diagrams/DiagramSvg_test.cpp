#include "diagrams/DiagramSvg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "diagrams/DiagramCatalogue.h"
#include "tests/diagrams/DiagramTestData.h"

namespace kalvoren {
namespace {

using testing::dataFile;
using testing::markerCentre;
using testing::ParsedSvg;
using testing::Point;
using testing::polygonPoints;

const std::vector<std::string> kQJHeading{"SampleNo", "J", "Q"};
const std::vector<std::string> kWoEnFsHeading{"SampleNo", "Wo", "En", "Fs"};
const std::vector<std::string> kQJdAeHeading{"SampleNo", "Q", "Jd", "Ae"};
const std::vector<std::string> kCaMgFeHeading{"SampleNo", "Ca", "Mg", "Fetot+Mn"};
const std::vector<std::string> kLindsleyHeading{"Wo", "En", "Fs", ".", "Wo(o)", "En(o)", "Fs(o)"};
const std::vector<std::string> kAlHeading{"SampleNo", "AlIV", "AlVI"};
const std::vector<std::string> kTiNaHeading{"SampleNo", "Ti", "Na", "AlIV"};
const std::vector<std::string> kVolumeHeading{"SampleNo", "VM1", "Vcell"};
const std::vector<std::string> kCorNim99Heading{"SampleNo", "VM1CorrMA", "VcellCorrMA", "VM1CorrTH",
                                                "VcellCorrTH"};

const std::map<std::string_view, std::vector<std::string>>& headings() {
    static const std::map<std::string_view, std::vector<std::string>> h{
        {"QJ.dat", kQJHeading},
        {"WOENFS.dat", kWoEnFsHeading},
        {"QJDAE.dat", kQJdAeHeading},
        {"CAMGFEMN.dat", kCaMgFeHeading},
        {"WOENFSLindsley.dat", kLindsleyHeading},
        {"ALIVALVI.dat", kAlHeading},
        {"TINAALIV.dat", kTiNaHeading},
        {"VCELLVM1.dat", kVolumeHeading},
        {"VCELLVM1ANHYD.dat", kVolumeHeading},
        {"VCELLVM1CORNIM99.dat", kCorNim99Heading},
        {"VCELLVM1NIM99.dat", kVolumeHeading},
    };
    return h;
}

// Three typical data lines of each file, all inside the axes of their diagrams.
std::string typicalFile(std::string_view name) {
    const auto& heading = headings().at(name);
    std::vector<std::vector<std::string>> lines;
    for (const std::string sample : {"Aug-1", "Aug 2 rim", "KH-3"}) {
        if (name == "QJ.dat") lines.push_back({sample, "0.0500", "1.9000"});
        if (name == "WOENFS.dat" || name == "CAMGFEMN.dat") {
            lines.push_back({sample, " 42 ", " 45.5 ", " 12.5 "});
        }
        if (name == "QJDAE.dat") lines.push_back({sample, "55.00", "30.00", "15.00"});
        if (name == "WOENFSLindsley.dat") {
            lines.push_back({" 42 ", " 45 ", " 13 ", ".", " 3 ", " 80 ", " 17 "});
        }
        if (name == "ALIVALVI.dat") lines.push_back({sample, "0.1000", "0.0500"});
        if (name == "TINAALIV.dat") lines.push_back({"0.0200", "0.0300", "0.1000"});
        if (name == "VCELLVM1.dat" || name == "VCELLVM1NIM99.dat") {
            lines.push_back({sample, " 11.8 ", " 435.5 "});
        }
        if (name == "VCELLVM1ANHYD.dat") lines.push_back({sample, " 12.2 ", " 449 "});
        if (name == "VCELLVM1CORNIM99.dat") {
            lines.push_back({sample, " 12.3 ", " 450 ", " 12.1 ", " 448.5 "});
        }
    }
    return dataFile(heading, lines);
}

std::string draw(int index, const std::string& contents) {
    const std::string_view file = kDiagramCatalogue[static_cast<std::size_t>(index)].dataFile;
    return drawDiagramSvg(index, parsePlotData(contents, std::string(file)));
}

int markersPerLine(int index) {
    const std::string_view file = kDiagramCatalogue[static_cast<std::size_t>(index)].dataFile;
    return file == "WOENFSLindsley.dat" || file == "VCELLVM1CORNIM99.dat" ? 2 : 1;
}

TEST(DiagramSvgTest, EveryDiagramIsValidSvgWithOneMarkerPerPoint) {
    for (int i = 0; i < kDiagramCount; ++i) {
        const auto& entry = kDiagramCatalogue[static_cast<std::size_t>(i)];
        const std::string svg = draw(i, typicalFile(entry.dataFile));
        const ParsedSvg parsed(svg);
        ASSERT_TRUE(parsed.ok) << entry.templateName << ": " << parsed.error;
        EXPECT_STREQ(parsed.doc.document_element().name(), "svg") << entry.templateName;
        EXPECT_TRUE(parsed.frame()) << entry.templateName;
        EXPECT_EQ(static_cast<int>(parsed.markers().size()), 3 * markersPerLine(i))
            << entry.templateName;
        EXPECT_EQ(parsed.texts("caption").find("no data"), std::string::npos) << entry.templateName;
        // Every marker tells its sample (or its data line) in a tooltip.
        for (const auto& m : parsed.markers()) {
            EXPECT_FALSE(std::string(m.node().child("title").child_value()).empty())
                << entry.templateName;
        }
        // Legible at the nominal size, and never a "nan" or "inf" in a number.
        for (const auto& t : parsed.doc.select_nodes("//*[@font-size]")) {
            EXPECT_GE(t.node().attribute("font-size").as_double(), 11.0) << entry.templateName;
        }
        EXPECT_EQ(svg.find("nan"), std::string::npos) << entry.templateName;
        EXPECT_EQ(svg.find("inf"), std::string::npos) << entry.templateName;
        // The same data always gives the same drawing.
        EXPECT_EQ(svg, draw(i, typicalFile(entry.dataFile))) << entry.templateName;
    }
}

TEST(DiagramSvgTest, TitleIsTheMenuCaptionWithoutItsNumber) {
    EXPECT_EQ(ParsedSvg(draw(0, typicalFile("QJ.dat"))).texts("title"),
              "Q - J Diagram (Morimoto et al. 1988)");
    EXPECT_EQ(ParsedSvg(draw(11, typicalFile("TINAALIV.dat"))).texts("title"),
              "Ti - Na - Al(IV) Diagram (Papike et al. 1974)");
    // A long caption is broken over two lines, and keeps every word.
    const std::string corrected =
        ParsedSvg(draw(16, typicalFile("VCELLVM1CORNIM99.dat"))).texts("title");
    EXPECT_EQ(corrected,
              "Vcell - VM1 (Corrected) Diagram (Nimis 1999) [i.e., at 1 atm and 25 oC ]");
}

// The diagrams whose boundaries have no definition here say so.
TEST(DiagramSvgTest, CaptionsSayWhatIsNotDrawn) {
    for (int i = 6; i <= 9; ++i) {
        const std::string caption =
            ParsedSvg(draw(i, typicalFile("WOENFSLindsley.dat"))).texts("caption");
        EXPECT_NE(caption.find("Lindsley (1983) isotherms are not drawn"), std::string::npos)
            << caption;
    }
    for (int i = 12; i < kDiagramCount; ++i) {
        const auto& entry = kDiagramCatalogue[static_cast<std::size_t>(i)];
        const std::string caption =
            ParsedSvg(draw(i, typicalFile(entry.dataFile))).texts("caption");
        EXPECT_NE(caption.find("isobars are not drawn"), std::string::npos) << caption;
    }
    for (const int i : {5, 10, 11}) {
        const auto& entry = kDiagramCatalogue[static_cast<std::size_t>(i)];
        const std::string caption =
            ParsedSvg(draw(i, typicalFile(entry.dataFile))).texts("caption");
        EXPECT_NE(caption.find("not drawn"), std::string::npos) << caption;
    }
}

TEST(DiagramSvgTest, PublishedFieldNamesAreDrawn) {
    struct Case {
        int index;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {0, {"Quad", "Ca-Na", "Na", "Others"}},
        {1,
         {"diopside", "hedenbergite", "augite", "pigeonite", "clinoenstatite", "clinoferrosilite"}},
        {3, {"Quad", "omphacite", "aegirine-augite", "jadeite", "aegirine"}},
    };
    for (const Case& c : cases) {
        const auto& entry = kDiagramCatalogue[static_cast<std::size_t>(c.index)];
        const ParsedSvg parsed(draw(c.index, typicalFile(entry.dataFile)));
        std::vector<std::string> drawn;
        for (const auto& n :
             parsed.doc.select_nodes("//*[local-name()='text' and @class='field-name']")) {
            drawn.push_back(n.node().child_value());
        }
        EXPECT_EQ(drawn, c.names) << entry.templateName;
    }
    // Without a stated definition, no field is named.
    for (const int i : {5, 6, 10, 11, 12, 16}) {
        const auto& entry = kDiagramCatalogue[static_cast<std::size_t>(i)];
        const ParsedSvg parsed(draw(i, typicalFile(entry.dataFile)));
        EXPECT_TRUE(parsed.doc.select_nodes("//*[@class='field-name']").empty())
            << entry.templateName;
    }
}

// ------------------------------------------------------------ positions

Point onlyMarker(const ParsedSvg& parsed) {
    const auto markers = parsed.markers();
    EXPECT_EQ(markers.size(), 1u);
    if (markers.empty()) return {};
    return markerCentre(markers.first().node());
}

void expectAt(Point actual, Point expected, const std::string& what) {
    // Coordinates are written to 0.01 px.
    EXPECT_NEAR(actual.x, expected.x, 0.02) << what;
    EXPECT_NEAR(actual.y, expected.y, 0.02) << what;
}

struct FrameRect {
    double x, y, w, h;
};

FrameRect frameRect(const ParsedSvg& parsed) {
    const auto f = parsed.frame();
    return {f.attribute("x").as_double(), f.attribute("y").as_double(),
            f.attribute("width").as_double(), f.attribute("height").as_double()};
}

// The corners of the quadrilateral or triangle, found by position.
Point topLeft(const std::vector<Point>& pts) {
    return *std::min_element(pts.begin(), pts.end(), [](Point a, Point b) {
        return a.y < b.y - 0.5 || (std::abs(a.y - b.y) <= 0.5 && a.x < b.x);
    });
}
Point topRight(const std::vector<Point>& pts) {
    return *std::min_element(pts.begin(), pts.end(), [](Point a, Point b) {
        return a.y < b.y - 0.5 || (std::abs(a.y - b.y) <= 0.5 && a.x > b.x);
    });
}
Point bottomLeft(const std::vector<Point>& pts) {
    return *std::min_element(pts.begin(), pts.end(), [](Point a, Point b) {
        return a.y > b.y + 0.5 || (std::abs(a.y - b.y) <= 0.5 && a.x < b.x);
    });
}
Point bottomRight(const std::vector<Point>& pts) {
    return *std::min_element(pts.begin(), pts.end(), [](Point a, Point b) {
        return a.y > b.y + 0.5 || (std::abs(a.y - b.y) <= 0.5 && a.x > b.x);
    });
}

TEST(DiagramSvgTest, QJPointOnItsAxes) {
    // Both axes run from 0 to 2: J 0.5 is a quarter across, Q 1.5 three quarters up.
    const ParsedSvg parsed(draw(0, dataFile(kQJHeading, {{"Omph-1", "0.5000", "1.5000"}})));
    const FrameRect f = frameRect(parsed);
    expectAt(onlyMarker(parsed), {f.x + 0.25 * f.w, f.y + 0.25 * f.h}, "J 0.5, Q 1.5");
}

TEST(DiagramSvgTest, XYPointsOnTheirAxes) {
    // Al(IV) 0.1 of 0 to 0.4, Al(VI) 0.3 of 0 to 0.4.
    const ParsedSvg al(draw(10, dataFile(kAlHeading, {{"S", "0.1000", "0.3000"}})));
    const FrameRect fa = frameRect(al);
    expectAt(onlyMarker(al), {fa.x + 0.25 * fa.w, fa.y + 0.25 * fa.h}, "Al(IV) 0.1, Al(VI) 0.3");
    // Vcell 435 in the middle of 425 to 445, VM1 11.7 in the middle of 11.2 to 12.2.
    const ParsedSvg v(draw(12, dataFile(kVolumeHeading, {{"S", " 11.7 ", " 435 "}})));
    const FrameRect fv = frameRect(v);
    expectAt(onlyMarker(v), {fv.x + 0.5 * fv.w, fv.y + 0.5 * fv.h}, "Vcell 435, VM1 11.7");
    // Corrected MA and TH: 438 to 460 and 11.6 to 13.
    const ParsedSvg c(
        draw(16, dataFile(kCorNim99Heading, {{"S", " 13 ", " 438 ", " 11.6 ", " 460 "}})));
    const FrameRect fc = frameRect(c);
    const auto markers = c.markers();
    ASSERT_EQ(markers.size(), 2u);
    expectAt(markerCentre(markers[0].node()), {fc.x, fc.y}, "MA at the top left");
    expectAt(markerCentre(markers[1].node()), {fc.x + fc.w, fc.y + fc.h}, "TH at the bottom right");
}

TEST(DiagramSvgTest, PyroxeneQuadrilateralCorners) {
    struct Case {
        const char* wo;
        const char* en;
        const char* fs;
        Point (*corner)(const std::vector<Point>&);
        const char* name;
    };
    const Case cases[] = {
        {" 50 ", " 50 ", " 0 ", topLeft, "diopside at Di"},
        {" 50 ", " 0 ", " 50 ", topRight, "hedenbergite at Hd"},
        {" 0 ", " 100 ", " 0 ", bottomLeft, "enstatite at En"},
        {" 0 ", " 0 ", " 100 ", bottomRight, "ferrosilite at Fs"},
    };
    for (const int index : {1, 2, 5}) {
        const auto& heading = index == 5 ? kCaMgFeHeading : kWoEnFsHeading;
        for (const Case& c : cases) {
            const ParsedSvg parsed(draw(index, dataFile(heading, {{"Px", c.wo, c.en, c.fs}})));
            const auto corners = polygonPoints(parsed.frame());
            ASSERT_EQ(corners.size(), 4u);
            expectAt(onlyMarker(parsed), c.corner(corners), c.name);
        }
    }
    // Halfway along the base: Wo 0, En 50, Fs 50.
    const ParsedSvg mid(draw(1, dataFile(kWoEnFsHeading, {{"Px", " 0 ", " 50 ", " 50 "}})));
    const auto corners = polygonPoints(mid.frame());
    const Point en = bottomLeft(corners);
    const Point fs = bottomRight(corners);
    expectAt(onlyMarker(mid), {(en.x + fs.x) / 2, en.y}, "Wo 0 En 50 Fs 50");
}

TEST(DiagramSvgTest, CaRichPointsPlotAboveTheQuadrilateral) {
    const ParsedSvg parsed(draw(1, dataFile(kWoEnFsHeading, {{"Wol", " 60 ", " 30 ", " 10 "}})));
    const Point di = topLeft(polygonPoints(parsed.frame()));
    EXPECT_LT(onlyMarker(parsed).y, di.y - 10.0);
}

TEST(DiagramSvgTest, QJdAeTriangleCorners) {
    struct Case {
        const char* q;
        const char* jd;
        const char* ae;
        Point (*corner)(const std::vector<Point>&);
        const char* name;
    };
    const Case cases[] = {
        {"0.00", "100.00", "0.00", bottomLeft, "jadeite at Jd"},
        {"0.00", "0.00", "100.00", bottomRight, "aegirine at Ae"},
        {"100.00", "0.00", "0.00", topLeft, "Q at the apex"},
    };
    for (const int index : {3, 4}) {
        for (const Case& c : cases) {
            const ParsedSvg parsed(draw(index, dataFile(kQJdAeHeading, {{"Px", c.q, c.jd, c.ae}})));
            const auto corners = polygonPoints(parsed.frame());
            ASSERT_EQ(corners.size(), 3u);
            expectAt(onlyMarker(parsed), c.corner(corners), c.name);
        }
    }
    // Ti, Na and Al(IV) are normalised to their sum: 0.05 Ti alone sits at the Ti apex.
    const ParsedSvg tina(draw(11, dataFile(kTiNaHeading, {{"0.0500", "0.0000", "0.0000"}})));
    expectAt(onlyMarker(tina), topLeft(polygonPoints(tina.frame())), "Ti apex");
}

TEST(DiagramSvgTest, LindsleyPairWithTieLine) {
    const std::string contents =
        dataFile(kLindsleyHeading, {{" 50 ", " 50 ", " 0 ", ".", " 0 ", " 100 ", " 0 "}});
    for (int i = 6; i <= 9; ++i) {
        const ParsedSvg parsed(draw(i, contents));
        const auto corners = polygonPoints(parsed.frame());
        const auto cpx = parsed.doc.select_nodes("//*[contains(@class, 'cpx')]");
        const auto opx = parsed.doc.select_nodes("//*[contains(@class, 'opx')]");
        ASSERT_EQ(cpx.size(), 1u);
        ASSERT_EQ(opx.size(), 1u);
        const Point di = topLeft(corners);
        const Point en = bottomLeft(corners);
        expectAt(markerCentre(cpx.first().node()), di, "Cpx at Di");
        expectAt(markerCentre(opx.first().node()), en, "Opx at En");
        EXPECT_NE(std::string(cpx.first().node().name()), opx.first().node().name());
        const auto tie = parsed.doc.select_node("//*[@class='tie-lines']/*").node();
        ASSERT_TRUE(tie);
        expectAt({tie.attribute("x1").as_double(), tie.attribute("y1").as_double()}, di,
                 "tie start");
        expectAt({tie.attribute("x2").as_double(), tie.attribute("y2").as_double()}, en, "tie end");
    }
}

// ------------------------------------------------------------ data problems

TEST(DiagramSvgTest, NoDataDrawsTheFrameAndSaysSo) {
    for (int i = 0; i < kDiagramCount; ++i) {
        const auto& entry = kDiagramCatalogue[static_cast<std::size_t>(i)];
        PlotData missing;
        missing.fileName = std::string(entry.dataFile);
        missing.missing = true;
        missing.error = "the file does not exist";
        const std::string headingOnly = dataFile(headings().at(entry.dataFile), {});
        for (const std::string& svg : {draw(i, headingOnly), drawDiagramSvg(i, missing)}) {
            const ParsedSvg parsed(svg);
            ASSERT_TRUE(parsed.ok) << entry.templateName;
            EXPECT_TRUE(parsed.frame()) << entry.templateName;
            EXPECT_TRUE(parsed.markers().empty()) << entry.templateName;
            const std::string caption = parsed.texts("caption");
            EXPECT_NE(caption.find("no data"), std::string::npos) << caption;
            EXPECT_NE(caption.find(std::string(entry.dataFile)), std::string::npos) << caption;
        }
    }
}

TEST(DiagramSvgTest, AWrongHeadingIsNoData) {
    const ParsedSvg parsed(draw(0, typicalFile("WOENFS.dat")));
    EXPECT_TRUE(parsed.markers().empty());
    EXPECT_NE(parsed.texts("caption").find("no data"), std::string::npos);
}

TEST(DiagramSvgTest, BlankOutsideAndUnreadableLinesAreCounted) {
    const std::string contents = dataFile(kQJHeading, {{"Good", "0.0500", "1.9000"},
                                                       {"Blank J", "", "1.9000"},
                                                       {"Far out", "5.0000", "1.9000"},
                                                       {"Huge", "0.0500", "1E+300"}}) +
                                 "Garbled       xyz           ???\r\n";
    const ParsedSvg parsed(draw(0, contents));
    EXPECT_EQ(parsed.markers().size(), 1u);
    const std::string caption = parsed.texts("caption");
    EXPECT_NE(caption.find("1 sample plotted"), std::string::npos) << caption;
    EXPECT_NE(caption.find("1 line with a blank value"), std::string::npos) << caption;
    EXPECT_NE(caption.find("2 points beyond the axes"), std::string::npos) << caption;
    EXPECT_NE(caption.find("1 unreadable line skipped"), std::string::npos) << caption;
}

TEST(DiagramSvgTest, TooltipsCarryTheSampleNames) {
    const std::string contents = dataFile(kQJHeading, {{"Aug \"A\" & <B>", "0.0500", "1.9000"},
                                                       {"Caf\xE9 \x80", "0.0600", "1.8000"}});
    const ParsedSvg parsed(draw(0, contents));
    ASSERT_TRUE(parsed.ok) << parsed.error;
    const auto markers = parsed.markers();
    ASSERT_EQ(markers.size(), 2u);
    EXPECT_STREQ(markers[0].node().child("title").child_value(), "Aug \"A\" & <B>");
    EXPECT_STREQ(markers[1].node().child("title").child_value(), "Caf\xC3\xA9 \xE2\x82\xAC");
}

TEST(DiagramSvgTest, IndexOutsideTheCatalogue) {
    const PlotData data = parsePlotData(typicalFile("QJ.dat"), "QJ.dat");
    EXPECT_TRUE(drawDiagramSvg(-1, data).empty());
    EXPECT_TRUE(drawDiagramSvg(kDiagramCount, data).empty());
}

}  // namespace
}  // namespace kalvoren
