#include "diagrams/DiagramFiles.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "diagrams/DiagramCatalogue.h"
#include "diagrams/DiagramSvg.h"
#include "diagrams/PlotDataReader.h"
#include "tests/diagrams/DiagramTestData.h"

namespace kalvoren {
namespace {

using testing::dataFile;
using testing::ParsedSvg;
using testing::ScratchFolder;

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(DiagramCatalogueTest, EighteenDiagramsInMenuOrder) {
    EXPECT_EQ(kDiagramCatalogue.front().templateName, "QJ.grf");
    EXPECT_EQ(kDiagramCatalogue.back().templateName, "VCELLVM1NIM99.grf");
    std::set<std::string_view> svgNames;
    std::set<std::string_view> dataFiles;
    int perSubmenu[3] = {0, 0, 0};
    for (const DiagramEntry& e : kDiagramCatalogue) {
        // The SVG is named after the template.
        const std::string_view stem = e.templateName.substr(0, e.templateName.size() - 4);
        EXPECT_EQ(e.templateName.substr(stem.size()), ".grf");
        EXPECT_EQ(std::string(e.svgFile), std::string(stem) + ".svg");
        svgNames.insert(e.svgFile);
        dataFiles.insert(e.dataFile);
        ASSERT_GE(e.submenu, 0);
        ASSERT_LT(e.submenu, 3);
        ++perSubmenu[e.submenu];
        EXPECT_EQ(diagramIndexOfTemplate(e.templateName),
                  static_cast<int>(&e - kDiagramCatalogue.data()));
    }
    EXPECT_EQ(svgNames.size(), 18u);
    EXPECT_EQ(dataFiles, (std::set<std::string_view>{
                             "QJ.dat", "QJDAE.dat", "WOENFS.dat", "CAMGFEMN.dat", "ALIVALVI.dat",
                             "TINAALIV.dat", "WOENFSLindsley.dat", "VCELLVM1.dat",
                             "VCELLVM1ANHYD.dat", "VCELLVM1CORNIM99.dat", "VCELLVM1NIM99.dat"}));
    EXPECT_EQ(perSubmenu[0], 6);
    EXPECT_EQ(perSubmenu[1], 4);
    EXPECT_EQ(perSubmenu[2], 8);
    EXPECT_EQ(kDiagramCatalogue[1].dataFile, "WOENFS.dat");
    EXPECT_EQ(kDiagramCatalogue[5].dataFile, "CAMGFEMN.dat");
    EXPECT_EQ(kDiagramCatalogue[14].dataFile, "VCELLVM1.dat");
    EXPECT_FALSE(diagramIndexOfTemplate("qj.grf").has_value());
    EXPECT_FALSE(diagramIndexOfTemplate("").has_value());
    EXPECT_EQ(diagramTitle(kDiagramCatalogue[10]),
              "Al(VI) - Al(IV) Diagram  (Aoki and Shiba 1973)");
}

TEST(DiagramFilesTest, WritesEighteenSvgFiles) {
    ScratchFolder data;
    data.write("QJ.dat", dataFile({"SampleNo", "J", "Q"},
                                  {{"Aug-1", "0.0500", "1.9000"}, {"Omph", "0.6000", "1.3000"}}));
    data.write("WOENFS.dat", dataFile({"SampleNo", "Wo", "En", "Fs"}, {}));
    const auto out = data.path() / "svg" / "nested";  // created on the way

    const DiagramWriteReport report = writeDiagrams(data.path(), out);
    EXPECT_TRUE(report.ok());
    EXPECT_EQ(report.written, 18);
    EXPECT_EQ(report.withData, 1);  // only QJ.dat holds data lines
    for (int i = 0; i < kDiagramCount; ++i) {
        const DiagramEntry& e = kDiagramCatalogue[static_cast<std::size_t>(i)];
        const std::string svg = readAll(out / e.svgFile);
        const ParsedSvg parsed(svg);
        ASSERT_TRUE(parsed.ok) << e.svgFile << ": " << parsed.error;
        EXPECT_EQ(parsed.markers().size(), i == 0 ? 2u : 0u) << e.svgFile;
        // The file holds what the window would show.
        EXPECT_EQ(svg, renderDiagram(i, data.path())) << e.svgFile;
    }
    // No half-written leftovers.
    for (const auto& f : std::filesystem::directory_iterator(out)) {
        EXPECT_EQ(f.path().extension(), ".svg") << f.path();
    }
}

TEST(DiagramFilesTest, RenderMatchesTheDrawingOfTheFile) {
    ScratchFolder data;
    data.write("VCELLVM1.dat", dataFile({"SampleNo", "VM1", "Vcell"}, {{"A", " 11.7 ", " 435 "}}));
    const PlotData read = readPlotData(data.path() / "VCELLVM1.dat");
    for (const int i : {12, 13, 14})
        EXPECT_EQ(renderDiagram(i, data.path()), drawDiagramSvg(i, read));
    EXPECT_TRUE(renderDiagram(-1, data.path()).empty());
    EXPECT_TRUE(renderDiagram(18, data.path()).empty());
    // A missing folder is just missing data files.
    const std::string svg = renderDiagram(0, data.path() / "absent");
    EXPECT_NE(ParsedSvg(svg).texts("caption").find("no data: QJ.dat was not found"),
              std::string::npos);
}

TEST(DiagramFilesTest, UnwritableOutputIsReported) {
    ScratchFolder data;
    data.write("blocker", "a file where the folder should be");
    const DiagramWriteReport report = writeDiagrams(data.path(), data.path() / "blocker");
    EXPECT_FALSE(report.ok());
    EXPECT_EQ(report.written, 0);
    ASSERT_EQ(report.errors.size(), 1u);
    EXPECT_NE(report.errors[0].find("blocker"), std::string::npos) << report.errors[0];

    // One SVG name taken by a folder: that diagram fails, the others are written.
    std::filesystem::create_directories(data.path() / "out" / "QJ.svg" / "inside");
    const DiagramWriteReport partial = writeDiagrams(data.path(), data.path() / "out");
    EXPECT_EQ(partial.written, 17);
    ASSERT_EQ(partial.errors.size(), 1u);
    EXPECT_NE(partial.errors[0].find("QJ.svg"), std::string::npos) << partial.errors[0];
}

}  // namespace
}  // namespace kalvoren
