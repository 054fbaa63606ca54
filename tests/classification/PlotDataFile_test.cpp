#include "classification/PlotDataFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

namespace kalvoren {
namespace {

enum FileIndex {
    kQJ,
    kQJDAE,
    kWOENFS,
    kCAMGFEMN,
    kALIVALVI,
    kTINAALIV,
    kLindsley,
    kVCELLVM1,
    kVCELLVM1ANHYD,
    kVCELLVM1CORNIM99,
    kVCELLVM1NIM99,
};

std::string sp(int n) {
    return std::string(static_cast<std::size_t>(n), ' ');
}

// A Ca-Mg-Fe augite without orthopyroxene, with round values in every field a data line reads.
RowResult augite() {
    RowResult r;
    r.input.cpx.sample = "Aug-1";
    r.cls.group = kGroupCaMgFe;
    r.cls.name = "AUGITE";
    r.checks.cpxCheck = "Cpx";
    r.checks.opxCheck = "";
    PyroxeneCalculation& c = r.cpx;
    c.basic.Q = 1.9234;
    c.basic.J = 0.0512;
    c.basic.CaPct = 42.5;
    c.basic.MgPct = 45.0;
    c.basic.FeMnPct = 12.5;
    c.sets.qJdAeg = {95.5, 3.25, 1.25};
    c.sets.woEnFsFetot = {41.5, 44.25, 14.25};
    c.formula[OxideKind::TiO2] = 0.0123;
    c.formula[OxideKind::Na2O] = 0.0256;
    c.sites.T_Al = 0.1;
    c.sites.M1_Al = 0.05;
    CellVolumes& v = r.cpxResults.volumes;
    v.Vcell = 438.5;
    v.VM1 = 11.75;
    v.VcellCorrBH = 437.0;
    v.VM1CorrBH = 11.5;
    v.VcellCorrMA = 436.25;
    v.VM1CorrMA = 11.25;
    v.VcellCorrTH = 435.5;
    v.VM1CorrTH = 11.0;
    v.VcellRange = 434.0;
    v.VM1Range = 10.5;
    return r;
}

RowResult withOpx(RowResult r) {
    r.input.hasOpx = true;
    r.input.opx.sample = "Opx-1";
    r.checks.opxCheck = "Opx";
    r.lindsley = {40.5, 45.0, 14.5, 2.25, 70.0, 27.75};
    return r;
}

std::set<int> filesWritten(const RowResult& r) {
    std::set<int> written;
    const auto lines = plotDataLines(r);
    for (int i = 0; i < kPlotDataFileCount; ++i) {
        if (!lines[static_cast<std::size_t>(i)].empty()) written.insert(i);
    }
    return written;
}

TEST(PlotDataFileTest, NamesInCreationOrder) {
    EXPECT_EQ(kPlotDataFileNames[kQJ], "QJ.dat");
    EXPECT_EQ(kPlotDataFileNames[kQJDAE], "QJDAE.dat");
    EXPECT_EQ(kPlotDataFileNames[kWOENFS], "WOENFS.dat");
    EXPECT_EQ(kPlotDataFileNames[kCAMGFEMN], "CAMGFEMN.dat");
    EXPECT_EQ(kPlotDataFileNames[kALIVALVI], "ALIVALVI.dat");
    EXPECT_EQ(kPlotDataFileNames[kTINAALIV], "TINAALIV.dat");
    EXPECT_EQ(kPlotDataFileNames[kLindsley], "WOENFSLindsley.dat");
    EXPECT_EQ(kPlotDataFileNames[kVCELLVM1], "VCELLVM1.dat");
    EXPECT_EQ(kPlotDataFileNames[kVCELLVM1ANHYD], "VCELLVM1ANHYD.dat");
    EXPECT_EQ(kPlotDataFileNames[kVCELLVM1CORNIM99], "VCELLVM1CORNIM99.dat");
    EXPECT_EQ(kPlotDataFileNames[kVCELLVM1NIM99], "VCELLVM1NIM99.dat");
}

TEST(PlotDataFileTest, HeadingLinesInZones) {
    const std::string sampleNo = "SampleNo" + sp(6);  // 8 characters, next zone at 14
    EXPECT_EQ(plotDataHeading(kQJ), sampleNo + "J" + sp(13) + "Q\r\n");
    EXPECT_EQ(plotDataHeading(kQJDAE), sampleNo + "Q" + sp(13) + "Jd" + sp(12) + "Ae\r\n");
    EXPECT_EQ(plotDataHeading(kWOENFS), sampleNo + "Wo" + sp(12) + "En" + sp(12) + "Fs\r\n");
    EXPECT_EQ(plotDataHeading(kCAMGFEMN),
              sampleNo + "Ca" + sp(12) + "Mg" + sp(12) + "Fetot+Mn\r\n");
    EXPECT_EQ(plotDataHeading(kALIVALVI), sampleNo + "AlIV" + sp(10) + "AlVI\r\n");
    EXPECT_EQ(plotDataHeading(kTINAALIV), sampleNo + "Ti" + sp(12) + "Na" + sp(12) + "AlIV\r\n");
    EXPECT_EQ(plotDataHeading(kLindsley), "Wo" + sp(12) + "En" + sp(12) + "Fs" + sp(12) + "." +
                                              sp(13) + "Wo(o)" + sp(9) + "En(o)" + sp(9) +
                                              "Fs(o)\r\n");
    const std::string volumes = sampleNo + "VM1" + sp(11) + "Vcell\r\n";
    EXPECT_EQ(plotDataHeading(kVCELLVM1), volumes);
    EXPECT_EQ(plotDataHeading(kVCELLVM1ANHYD), volumes);
    EXPECT_EQ(plotDataHeading(kVCELLVM1NIM99), volumes);
    EXPECT_EQ(plotDataHeading(kVCELLVM1CORNIM99), sampleNo + "VM1CorrMA" + sp(5) + "VcellCorrMA" +
                                                      sp(3) + "VM1CorrTH" + sp(5) +
                                                      "VcellCorrTH\r\n");
    EXPECT_EQ(plotDataHeading(-1), "");
    EXPECT_EQ(plotDataHeading(kPlotDataFileCount), "");
}

// Fields start at the first multiple of 14 after the end of the previous field; a field
// ending exactly on a boundary pushes the next one a whole zone on; an empty field keeps
// its zone.
TEST(PlotDataFileTest, QJLineZones) {
    struct Case {
        const char* sample;
        Quantity J;
        std::string expected;
    };
    const Case cases[] = {
        {"Aug-1", 0.0512, "Aug-1" + sp(9) + "0.0512" + sp(8) + "1.9234\r\n"},
        {"ABCDEFGHIJKLM", 0.0512, "ABCDEFGHIJKLM" + sp(1) + "0.0512" + sp(8) + "1.9234\r\n"},
        {"ABCDEFGHIJKLMN", 0.0512, "ABCDEFGHIJKLMN" + sp(14) + "0.0512" + sp(8) + "1.9234\r\n"},
        {"Aug-1", Quantity::blank(), "Aug-1" + sp(9) + sp(14) + "1.9234\r\n"},
        {"", 0.0512, sp(14) + "0.0512" + sp(8) + "1.9234\r\n"},
        {"Aug-1", 1234.56789, "Aug-1" + sp(9) + "1,234.5679" + sp(4) + "1.9234\r\n"},
    };
    for (const Case& c : cases) {
        RowResult r = augite();
        r.input.cpx.sample = c.sample;
        r.cpx.basic.J = c.J;
        EXPECT_EQ(plotDataLines(r)[kQJ], c.expected) << c.sample;
    }
}

TEST(PlotDataFileTest, DataLinesOfAnAugite) {
    const RowResult r = augite();
    const auto lines = plotDataLines(r);
    // Unformatted values: a blank (or the minus sign) before, a blank after.
    EXPECT_EQ(lines[kWOENFS],
              "Aug-1" + sp(9) + " 41.5 " + sp(8) + " 44.25 " + sp(7) + " 14.25 \r\n");
    EXPECT_EQ(lines[kCAMGFEMN],
              "Aug-1" + sp(9) + " 42.5 " + sp(8) + " 45 " + sp(10) + " 12.5 \r\n");
    EXPECT_EQ(lines[kALIVALVI], "Aug-1" + sp(9) + "0.1000" + sp(8) + "0.0500\r\n");
    // No sample: the total Ti and Na cations and Al (T).
    EXPECT_EQ(lines[kTINAALIV], "0.0123" + sp(8) + "0.0256" + sp(8) + "0.1000\r\n");
    EXPECT_EQ(lines[kVCELLVM1], "Aug-1" + sp(9) + " 11.75 " + sp(7) + " 438.5 \r\n");
    EXPECT_EQ(lines[kVCELLVM1ANHYD], "Aug-1" + sp(9) + " 11.5 " + sp(8) + " 437 \r\n");
    EXPECT_EQ(lines[kVCELLVM1CORNIM99], "Aug-1" + sp(9) + " 11.25 " + sp(7) + " 436.25 " + sp(6) +
                                            " 11 " + sp(10) + " 435.5 \r\n");
    EXPECT_EQ(lines[kVCELLVM1NIM99], "Aug-1" + sp(9) + " 10.5 " + sp(8) + " 434 \r\n");
}

TEST(PlotDataFileTest, NegativeAndBlankUnformattedValues) {
    RowResult r = augite();
    r.cpx.sets.woEnFsFetot = {-1.5, Quantity::blank(), 0.0};
    EXPECT_EQ(plotDataLines(r)[kWOENFS], "Aug-1" + sp(9) + "-1.5 " + sp(9) + sp(14) + " 0 \r\n");
}

// An out-of-range volume is already blank: its zone stays empty, the rest is written.
TEST(PlotDataFileTest, BlankVolumeKeepsItsZone) {
    RowResult r = augite();
    r.cpxResults.volumes.VM1 = Quantity::blank();
    r.cpxResults.volumes.VM1Range = Quantity::blank();
    const auto lines = plotDataLines(r);
    EXPECT_EQ(lines[kVCELLVM1], "Aug-1" + sp(9) + sp(14) + " 438.5 \r\n");
    EXPECT_EQ(lines[kVCELLVM1NIM99], "Aug-1" + sp(9) + sp(14) + " 434 \r\n");
}

TEST(PlotDataFileTest, QJDAEForSodicGroups) {
    RowResult r = augite();
    r.cls.group = "Ca-Na pyroxene";
    r.cls.name = "OMPHACITE";
    EXPECT_EQ(plotDataLines(r)[kQJDAE],
              "Aug-1" + sp(9) + "95.50" + sp(9) + "3.25" + sp(10) + "1.25\r\n");
}

// Al (T) and Al (M1) are compared as the result row shows them, rounded to 4 decimals.
TEST(PlotDataFileTest, ALIVALVICondition) {
    struct Case {
        Quantity alIV, alVI;
        bool written;
    };
    const Case cases[] = {
        {0.1, 0.05, true},
        {0.4, 0.4, true},
        {0.40004, 0.1, true},
        {0.1, 0.40004, true},
        {0.40005, 0.1, false},
        {0.45, 0.1, false},
        {0.1, 0.41, false},
        {Quantity::blank(), 0.1, false},
        {0.1, Quantity::blank(), false},
        {-0.2, 0.0, true},
    };
    for (const Case& c : cases) {
        RowResult r = augite();
        r.cpx.sites.T_Al = c.alIV;
        r.cpx.sites.M1_Al = c.alVI;
        const std::string line = plotDataLines(r)[kALIVALVI];
        EXPECT_EQ(!line.empty(), c.written) << c.alIV.value() << " " << c.alVI.value();
    }
    RowResult r = augite();
    r.cpx.sites.T_Al = 0.40004;
    EXPECT_EQ(plotDataLines(r)[kALIVALVI], "Aug-1" + sp(9) + "0.4000" + sp(8) + "0.0500\r\n");
}

TEST(PlotDataFileTest, WhichFilesGetALine) {
    const std::set<int> always = {kQJ, kALIVALVI, kTINAALIV};
    const std::set<int> caMgFeCpx = {kQJ,           kWOENFS,   kCAMGFEMN,      kALIVALVI,
                                     kTINAALIV,     kVCELLVM1, kVCELLVM1ANHYD, kVCELLVM1CORNIM99,
                                     kVCELLVM1NIM99};
    std::set<int> withLindsley = caMgFeCpx;
    withLindsley.insert(kLindsley);

    EXPECT_EQ(filesWritten(augite()), caMgFeCpx);  // Ca-Mg-Fe, no Opx, check "Cpx"

    RowResult notChecked = augite();
    notChecked.checks.cpxCheck = " ";
    EXPECT_EQ(filesWritten(notChecked), (std::set<int>{kQJ, kWOENFS, kALIVALVI, kTINAALIV}));

    RowResult omphacite = augite();
    omphacite.cls.group = "Ca-Na pyroxene";
    omphacite.cls.name = "OMPHACITE";
    omphacite.checks.cpxCheck = " ";
    EXPECT_EQ(filesWritten(omphacite), (std::set<int>{kQJ, kQJDAE, kALIVALVI, kTINAALIV}));

    RowResult aegirine = omphacite;
    aegirine.cls.group = "Na pyroxene";
    aegirine.cpx.sites.T_Al = 0.45;
    EXPECT_EQ(filesWritten(aegirine), (std::set<int>{kQJ, kQJDAE, kTINAALIV}));

    RowResult unclassified = augite();
    unclassified.cls.group = "";
    unclassified.checks.cpxCheck = "Cpx";
    EXPECT_EQ(filesWritten(unclassified), always);

    EXPECT_EQ(filesWritten(withOpx(augite())), withLindsley);

    RowResult opxNotChecked = withOpx(augite());
    opxNotChecked.checks.opxCheck = " ";
    EXPECT_EQ(filesWritten(opxNotChecked), caMgFeCpx);

    RowResult cpxNotChecked = withOpx(augite());
    cpxNotChecked.checks.cpxCheck = " ";
    EXPECT_EQ(filesWritten(cpxNotChecked).count(kLindsley), 0u);
}

TEST(PlotDataFileTest, LindsleyLineHasNoSample) {
    const auto lines = plotDataLines(withOpx(augite()));
    EXPECT_EQ(lines[kLindsley], " 40.5 " + sp(8) + " 45 " + sp(10) + " 14.5 " + sp(8) + "." +
                                    sp(13) + " 2.25 " + sp(8) + " 70 " + sp(10) + " 27.75 \r\n");
}

TEST(PlotDataFileTest, SampleNamesWrittenInWindows1252) {
    RowResult r = augite();
    // e-acute, euro sign, a CJK character, an invalid byte and a TAB.
    const std::string name = "Aug\xC3\xA9 \xE2\x82\xAC\xE4\xB8\xAD\xFF\tx";
    r.input.cpx.sample = name;
    const std::string expectedSample = "Aug\xE9 \x80?? x";  // 10 bytes, next zone at 14
    EXPECT_EQ(plotDataLines(r)[kQJ], expectedSample + sp(4) + "0.0512" + sp(8) + "1.9234\r\n");
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class PlotDataFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("kalvoren-plotdata-" +
                   std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::filesystem::path folder_;
};

// Three rows of which only the second is a Ca-Mg-Fe pyroxene.
TEST_F(PlotDataFilesTest, RunWritesHeadingsAndQualifyingLines) {
    RowResult first = augite();
    first.cls.group = "Ca-Na pyroxene";
    first.input.cpx.sample = "Omph";
    RowResult second = augite();
    RowResult third = augite();
    third.cls.group = "Na pyroxene";
    third.input.cpx.sample = "Aeg";
    {
        PlotDataFiles files(folder_);
        files.open();
        files.writeRow(first);
        files.writeRow(second);
        files.writeRow(third);
    }  // the destructor closes
    for (int i = 0; i < kPlotDataFileCount; ++i) {
        EXPECT_TRUE(std::filesystem::exists(folder_ / std::string(kPlotDataFileNames[i])))
            << kPlotDataFileNames[i];
    }
    EXPECT_EQ(readFile(folder_ / "WOENFS.dat"), plotDataHeading(kWOENFS) + "Aug-1" + sp(9) +
                                                    " 41.5 " + sp(8) + " 44.25 " + sp(7) +
                                                    " 14.25 \r\n");
    const std::string tinaaliv = "0.0123" + sp(8) + "0.0256" + sp(8) + "0.1000\r\n";
    EXPECT_EQ(readFile(folder_ / "TINAALIV.dat"),
              plotDataHeading(kTINAALIV) + tinaaliv + tinaaliv + tinaaliv);
    const std::string qjdae = readFile(folder_ / "QJDAE.dat");
    EXPECT_EQ(qjdae.rfind(plotDataHeading(kQJDAE), 0), 0u);
    EXPECT_NE(qjdae.find("\r\nOmph "), std::string::npos);
    EXPECT_NE(qjdae.find("\r\nAeg "), std::string::npos);
    EXPECT_EQ(qjdae.find("Aug-1"), std::string::npos);
    EXPECT_EQ(readFile(folder_ / "WOENFSLindsley.dat"), plotDataHeading(kLindsley));
}

TEST_F(PlotDataFilesTest, ANewRunReplacesTheContents) {
    PlotDataFiles files(folder_);
    files.open();
    files.writeRow(augite());
    files.close();
    files.open();
    files.close();
    EXPECT_EQ(readFile(folder_ / "QJ.dat"), plotDataHeading(kQJ));
    files.writeRow(augite());  // after close: nothing to write to, nothing happens
    EXPECT_EQ(readFile(folder_ / "QJ.dat"), plotDataHeading(kQJ));
}

TEST_F(PlotDataFilesTest, FilesThatCannotBeCreatedAreSkippedAndListed) {
    // A folder in the way of one file name, and a folder that does not exist.
    std::filesystem::create_directories(folder_ / "QJ.dat");
    {
        PlotDataFiles files(folder_);
        files.open();
        files.writeRow(augite());
        files.close();
        EXPECT_EQ(files.errors(), std::vector<std::string>{
                                      "The diagram data file \"" + (folder_ / "QJ.dat").string() +
                                      "\" cannot be created: Is a directory."});
        // A new run starts with a clean list.
        std::filesystem::remove(folder_ / "QJ.dat");
        files.open();
        files.close();
        EXPECT_TRUE(files.errors().empty());
    }
    EXPECT_EQ(readFile(folder_ / "TINAALIV.dat"), plotDataHeading(kTINAALIV));

    PlotDataFiles missing(folder_ / "no" / "such" / "folder");
    missing.open();
    missing.writeRow(augite());
    missing.close();
    EXPECT_FALSE(std::filesystem::exists(folder_ / "no"));
    ASSERT_EQ(missing.errors().size(), std::size_t{kPlotDataFileCount});
    EXPECT_EQ(missing.errors().back(), "The diagram data file \"" +
                                           (folder_ / "no/such/folder/VCELLVM1NIM99.dat").string() +
                                           "\" cannot be created: No such file or directory.");
}

// A disk that fills during the run: /dev/full takes the place of the folder's files.
TEST_F(PlotDataFilesTest, AFileCutShortIsRemovedAndListed) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    std::filesystem::create_symlink("/dev/full", folder_ / "WOENFS.dat");
    PlotDataFiles files(folder_);
    files.open();
    for (int i = 0; i < 200; ++i) files.writeRow(augite());  // past the write buffer
    files.close();
    ASSERT_EQ(files.errors().size(), 1u);
    EXPECT_EQ(files.errors()[0], "The diagram data file \"" + (folder_ / "WOENFS.dat").string() +
                                     "\" cannot be written: No space left on device; the "
                                     "incomplete file has been removed.");
    EXPECT_FALSE(std::filesystem::exists(folder_ / "WOENFS.dat"));
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));  // the link went, not the device
    // The other files are whole.
    const std::string line = "0.0123" + sp(8) + "0.0256" + sp(8) + "0.1000\r\n";
    EXPECT_EQ(readFile(folder_ / "TINAALIV.dat").size(),
              plotDataHeading(kTINAALIV).size() + 200 * line.size());
}

}  // namespace
}  // namespace kalvoren
