// kalvoren-calc driven as a user drives it: files in, exit status, standard error and the
// result table out.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void spit(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

std::vector<std::string> splitOn(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, sep)) parts.push_back(part);
    return parts;
}

std::vector<std::string> fieldsOf(const std::string& line) {
    std::vector<std::string> f;
    std::size_t begin = 0;
    while (true) {
        const std::size_t tab = line.find('\t', begin);
        f.push_back(line.substr(begin, tab - begin));
        if (tab == std::string::npos) return f;
        begin = tab + 1;
    }
}

class BatchTool : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kalvoren-cli-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    Outcome run(const std::string& args) {
        const std::string cmd = std::string(KALVOREN_CALC) + " " + args + " >" +
                                (dir_ / "stdout").string() + " 2>" + (dir_ / "stderr").string() +
                                " </dev/null";
        Outcome o;
        const int raw = std::system(cmd.c_str());
        o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        o.out = slurp(dir_ / "stdout");
        o.err = slurp(dir_ / "stderr");
        return o;
    }
    fs::path path(const std::string& name) const { return dir_ / name; }

    fs::path dir_;
};

// Two analyses written as an analysis file: a diopside (CaMgSi2O6 in wt%) and an
// augite with an orthopyroxene, P and T.
const std::string kDiopside[] = {"Di 1", "55.4917", "", "", "", "",        "",
                                 "",     "",        "", "", "", "18.6118", "25.8965"};
const char* const kAugite =
    "Aug 2\t51.7\t0.28\t8.38\t\t0.05\t\t6.69\t0.15\t\t\t\t21.4\t11.7\t0.64\t0\t\t\t\t\t15\t1325\t\t"
    "Opx 2\t52.7\t0.15\t8.1\t\t0\t\t8.48\t0.14\t\t\t\t29.4\t2.14\t0.14\t0\t\t\t";

std::string pyxOf(const std::vector<std::string>& lines) {
    std::string body;
    for (int r = 0; r < 1000; ++r) {
        if (r) body += '\r';
        body += r < static_cast<int>(lines.size()) ? lines[r] : std::string(41, '\t');
    }
    return "\"" + body + "\"\r\n";
}

std::string diopsideLine() {
    std::string line;
    for (int c = 0; c < 42; ++c) {
        if (c) line += '\t';
        if (c < 14) line += kDiopside[c];
    }
    return line;
}

TEST_F(BatchTool, UsageErrorsExitWithTwoAndShowTheUsage) {
    for (const std::string& args : {std::string(""), std::string("--mark nonsense x.pyx"),
                                    std::string("--frobnicate x.pyx")}) {
        const Outcome o = run(args);
        EXPECT_EQ(o.status, 2) << args;
        EXPECT_NE(o.err.find("INPUT"), std::string::npos) << args;
    }
}

TEST_F(BatchTool, AnUnreadableInputExitsWithOneNamingTheFile) {
    const Outcome missing = run(path("nothere.pyx").string());
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("nothere.pyx"), std::string::npos);

    spit(path("empty.pyx"), "");
    const Outcome empty = run(path("empty.pyx").string());
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.err.find("empty.pyx"), std::string::npos);
}

TEST_F(BatchTool, WritesTheHeadingsAndOneLinePerCalculatedRow) {
    // Row 2 is empty: the analysis in row 3 below it is calculated all the same.
    spit(path("t.pyx"), pyxOf({diopsideLine(), std::string(41, '\t'), kAugite}));
    const Outcome o = run("-o " + path("r.tsv").string() + " " + path("t.pyx").string());
    ASSERT_EQ(o.status, 0) << o.err;
    const std::string table = slurp(path("r.tsv"));
    EXPECT_EQ(table.find('\r'), std::string::npos);
    const std::vector<std::string> lines = splitOn(table, '\n');
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 22), "Sample       \t[SiO2(c)");
    for (const std::string& line : lines) EXPECT_EQ(fieldsOf(line).size(), 211u);

    // The diopside's engine columns, by hand: Si 2 on T, Ca 1 and Mg 1, Wo 50 En 50.
    const std::vector<std::string> di = fieldsOf(lines[1]);
    EXPECT_EQ(di[0], "Di 1");
    EXPECT_EQ(di[19], "100.00");
    EXPECT_EQ(di[20], "5");    // P defaulted
    EXPECT_EQ(di[21], "900");  // T defaulted
    EXPECT_EQ(di[22], "2.0000");
    EXPECT_EQ(di[25], "2.0000");
    EXPECT_EQ(di[44], "1.0000");
    EXPECT_EQ(di[48], "50.00");
    EXPECT_EQ(di[49], "50.00");
    EXPECT_EQ(di[50], "0.00");
    EXPECT_EQ(di[125], "Ca-Mg-Fe pyroxene");
    EXPECT_EQ(fieldsOf(lines[2])[0], "Aug 2");
    EXPECT_NE(o.err.find("P = 5(kbar) & T = 900(oC) are used for geothermobarometry."),
              std::string::npos);
}

TEST_F(BatchTool, MarksChangeTheRun) {
    spit(path("t.pyx"), pyxOf({kAugite}));
    const Outcome droop = run(path("t.pyx").string());
    const Outcome papike = run("--mark fe3Papike " + path("t.pyx").string());
    ASSERT_EQ(droop.status, 0);
    ASSERT_EQ(papike.status, 0);
    // Fe3+ (M1) differs between the two estimates.
    EXPECT_NE(fieldsOf(splitOn(droop.out, '\n')[1])[27],
              fieldsOf(splitOn(papike.out, '\n')[1])[27]);
}

TEST_F(BatchTool, NamedColumnTablesGiveTheSameResultsAsTheAnalysisFile) {
    spit(path("t.pyx"), pyxOf({kAugite}));
    const Outcome reference = run(path("t.pyx").string());
    ASSERT_EQ(reference.status, 0) << reference.err;
    const std::string expected = splitOn(reference.out, '\n')[1];

    const std::string values[] = {"Aug 2", "51.7", "0.28", "8.38", "0.05", "6.69", "0.15",
                                  "21.4",  "11.7", "0.64", "0",    "15",   "1325"};
    struct Convention {
        std::string name, heading, row;
    } conventions[] = {
        {"suffix",
         "Sample_ID_Cpx,SiO2_Cpx,TiO2_Cpx,Al2O3_Cpx,Cr2O3_Cpx,FeOt_Cpx,MnO_Cpx,MgO_Cpx,CaO_Cpx,"
         "Na2O_Cpx,K2O_Cpx,P_kbar,T_C,Sample_ID_Opx,SiO2_Opx,TiO2_Opx,Al2O3_Opx,Cr2O3_Opx,"
         "FeOt_Opx,MnO_Opx,MgO_Opx,CaO_Opx,Na2O_Opx,K2O_Opx",
         ""},
        {"prefix and units",
         "Cpx_Sample,Cpx_SiO2,Cpx_TiO2,Cpx_Al2O3,Cpx_Cr2O3,Cpx_FeO,Cpx_MnO,Cpx_MgO,Cpx_CaO,"
         "Cpx_Na2O,Cpx_K2O,P_GPa,T_K,Opx_Sample,Opx_SiO2,Opx_TiO2,Opx_Al2O3,Opx_Cr2O3,Opx_FeO,"
         "Opx_MnO,Opx_MgO,Opx_CaO,Opx_Na2O,Opx_K2O",
         ""},
        {"grid headings",
         "Sample    ,SiO2    [c],TiO2    [c],Al2O3   [c],Cr2O3  [c],FeO     [c],MnO     [c],"
         "MgO     [c],CaO     [c],Na2O    [c],K2O     [c],P(kbar)  ,T(oC)   ,Sample    ,"
         "SiO2   [o],TiO2   [o],Al2O3 [o],Cr2O3  [o],FeO   [o],MnO   [o],MgO   [o],CaO   [o],"
         "Na2O  [o],K2O   [o]",
         ""},
    };
    const std::string opx = "Opx 2,52.7,0.15,8.1,0,8.48,0.14,29.4,2.14,0.14,0";
    for (Convention& c : conventions) {
        std::string row;
        for (int i = 0; i < 11; ++i) row += values[i] + ",";
        if (c.name == "prefix and units")
            row += "1.5,1598.15,";
        else
            row += "15,1325,";
        row += opx;
        spit(path("t.csv"), c.heading + "\r\n" + row + "\r\n");
        const Outcome o = run(path("t.csv").string());
        ASSERT_EQ(o.status, 0) << c.name << ": " << o.err;
        EXPECT_EQ(splitOn(o.out, '\n')[1], expected) << c.name;
    }

    // Reordered columns, an unknown column and a TSV change nothing; the unknown one is named.
    spit(path("t.tsv"),
         "Notes\tT_C\tP_kbar\tSiO2_Cpx\tSample_ID_Cpx\tTiO2_Cpx\tAl2O3_Cpx\tCr2O3_Cpx\tFeO_Cpx\t"
         "MnO_Cpx\tMgO_Cpx\tCaO_Cpx\tNa2O_Cpx\tK2O_Cpx\tSample_ID_Opx\tSiO2_Opx\tTiO2_Opx\t"
         "Al2O3_Opx\tCr2O3_Opx\tFeO_Opx\tMnO_Opx\tMgO_Opx\tCaO_Opx\tNa2O_Opx\tK2O_Opx\n"
         "hello\t1325\t15\t51.7\tAug 2\t0.28\t8.38\t0.05\t6.69\t0.15\t21.4\t11.7\t0.64\t0\t"
         "Opx 2\t52.7\t0.15\t8.1\t0\t8.48\t0.14\t29.4\t2.14\t0.14\t0\n");
    const Outcome tsv = run(path("t.tsv").string());
    ASSERT_EQ(tsv.status, 0) << tsv.err;
    EXPECT_EQ(splitOn(tsv.out, '\n')[1], expected);
    EXPECT_NE(tsv.err.find("\"Notes\""), std::string::npos);
}

// A row that stops before the last headed columns leaves those cells empty, as if they
// had been written out empty.
TEST_F(BatchTool, AShortRowReadsAsOneWithEmptyCells) {
    const std::string heading =
        "Sample_ID_Cpx,SiO2_Cpx,TiO2_Cpx,Al2O3_Cpx,Cr2O3_Cpx,FeO_Cpx,MnO_Cpx,MgO_Cpx,CaO_Cpx,"
        "Na2O_Cpx,K2O_Cpx,P_kbar,T_C,Sample_ID_Opx,SiO2_Opx,MgO_Opx\n";
    const std::string cpx = "Aug 2,51.7,0.28,8.38,0.05,6.69,0.15,21.4,11.7,0.64,0,15";
    spit(path("short.csv"), heading + cpx + "\n" + cpx + ",1325\n");
    spit(path("full.csv"), heading + cpx + ",,,,\n" + cpx + ",1325,,,\n");
    const Outcome shortRows = run(path("short.csv").string());
    const Outcome fullRows = run(path("full.csv").string());
    ASSERT_EQ(shortRows.status, 0) << shortRows.err;
    ASSERT_EQ(fullRows.status, 0) << fullRows.err;
    EXPECT_EQ(splitOn(shortRows.out, '\n').size(), 3u);  // headings and two rows
    EXPECT_EQ(shortRows.out, fullRows.out);
}

TEST_F(BatchTool, QuotedFieldsWithCommasAndLineBreaksReadRight) {
    spit(path("q.csv"), "Sample,SiO2,MgO,CaO\n\"Di, core\nrim\",55.4917,18.6118,25.8965\n");
    const Outcome o = run(path("q.csv").string());
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(fieldsOf(splitOn(o.out, '\n')[1])[0], "Di, core rim");
}

TEST_F(BatchTool, ABrokenTableReportsItsLineAndLeavesNoOutput) {
    spit(path("b.csv"), "Sample,SiO2\nA,50\n\"B,51\n");
    const Outcome o = run("-o " + path("r.tsv").string() + " " + path("b.csv").string());
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("line 3"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("b.csv"), std::string::npos);
    EXPECT_FALSE(fs::exists(path("r.tsv")));
}

TEST_F(BatchTool, ATableWithoutClinopyroxeneOxidesNamesItsColumns) {
    spit(path("n.csv"), "Name,Rock,Age\nA,basalt,3\n");
    const Outcome o = run(path("n.csv").string());
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("\"Rock\""), std::string::npos) << o.err;
}

TEST_F(BatchTool, CalculatesEveryRowOfALargeTableAndKeepsEmptyRowsWhenAsked) {
    std::string csv = "Sample,SiO2,MgO,CaO\n";
    for (int i = 0; i < 1500; ++i)
        csv +=
            (i == 700 ? std::string("gap,,,") : "Di " + std::to_string(i) + ",55.49,18.61,25.9") +
            "\n";
    spit(path("big.csv"), csv);
    const Outcome all = run("-q " + path("big.csv").string());
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(splitOn(all.out, '\n').size(), 1 + 1499u);

    const Outcome kept = run("-q --keep-empty " + path("big.csv").string());
    const std::vector<std::string> lines = splitOn(kept.out, '\n');
    ASSERT_EQ(lines.size(), 1 + 1500u);
    EXPECT_EQ(lines[701], std::string(210, '\t'));
    EXPECT_EQ(fieldsOf(lines[702])[0], "Di 701");
}

TEST_F(BatchTool, CsvOutputQuotesFieldsAsRfc4180Says) {
    spit(path("q.csv"), "Sample,SiO2,MgO,CaO\n\"say \"\"di\"\"\",5549.17,1861.18,2589.65\n");
    const Outcome o = run("-o " + path("r.csv").string() + " " + path("q.csv").string());
    ASSERT_EQ(o.status, 0) << o.err;
    const std::string table = slurp(path("r.csv"));
    const std::string row = splitOn(table, '\n')[1];
    EXPECT_EQ(row.substr(0, 21), "\"say \"\"di\"\"\",5549.17,");
    // The total 10,000.00 holds a group separator and is quoted.
    EXPECT_NE(row.find(",\"10,000.00\","), std::string::npos) << row.substr(0, 200);
}

TEST_F(BatchTool, CellsThatAreNotPlainNumbersAreListed) {
    spit(path("t.pyx"),
         pyxOf({"X\t51,23\t\t\t\t\t\t\t\t\t\t\t18\t25\t<0.01" + std::string(27, '\t')}));
    const Outcome o = run(path("t.pyx").string());
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.err.find("\"51,23\" read as 51"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("\"<0.01\" read as 0"), std::string::npos) << o.err;
}

TEST_F(BatchTool, AnOutputThatCannotBeWrittenExitsWithOne) {
    spit(path("t.pyx"), pyxOf({diopsideLine()}));
    const Outcome o = run("-o " + path("missing/r.tsv").string() + " " + path("t.pyx").string());
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("r.tsv"), std::string::npos);
}

TEST_F(BatchTool, WritesTheElevenDataFiles) {
    spit(path("t.pyx"), pyxOf({diopsideLine(), kAugite}));
    const Outcome o = run("--plot-data " + path("plots").string() + " " + path("t.pyx").string());
    ASSERT_EQ(o.status, 0) << o.err;
    for (const char* name : {"QJ.dat", "QJDAE.dat", "WOENFS.dat", "CAMGFEMN.dat", "ALIVALVI.dat",
                             "TINAALIV.dat", "WOENFSLindsley.dat", "VCELLVM1.dat",
                             "VCELLVM1ANHYD.dat", "VCELLVM1CORNIM99.dat", "VCELLVM1NIM99.dat"})
        EXPECT_TRUE(fs::exists(path("plots") / name)) << name;
    EXPECT_EQ(slurp(path("plots") / "QJ.dat").substr(0, 8), "SampleNo");
}

}  // namespace

namespace {

TEST_F(BatchTool, DrawsTheEighteenDiagramsFromItsOwnDataFiles) {
    spit(path("t.pyx"), pyxOf({diopsideLine(), kAugite}));
    const Outcome o = run("--plot-data " + path("d").string() + " --diagrams " +
                          path("d").string() + " " + path("t.pyx").string());
    ASSERT_EQ(o.status, 0) << o.err;
    int svgs = 0;
    for (const auto& entry : fs::directory_iterator(path("d")))
        if (entry.path().extension() == ".svg") ++svgs;
    EXPECT_EQ(svgs, 18);
    EXPECT_TRUE(fs::exists(path("d") / "QJ.svg"));
    EXPECT_NE(slurp(path("d") / "WOENFS1.svg").find("<title>Di 1</title>"), std::string::npos);

    // Without --plot-data the data files go to a scratch folder that does not stay behind.
    const Outcome alone = run("--diagrams " + path("only").string() + " " + path("t.pyx").string());
    ASSERT_EQ(alone.status, 0) << alone.err;
    EXPECT_TRUE(fs::exists(path("only") / "VCELLVM1NIM99.svg"));
    EXPECT_FALSE(fs::exists(path("only") / "QJ.dat"));
}

}  // namespace

#include "platform/Workbook.h"

namespace {

TEST_F(BatchTool, WorkbooksInTheEntryLayoutGiveTheSameResultsAsTheAnalysisFile) {
    const std::string data = KALVOREN_DATA_DIR;
    const Outcome pyx = run(data + "/pyx/pairs_lepr_wet_01.pyx");
    ASSERT_EQ(pyx.status, 0) << pyx.err;
    const std::vector<std::string> expected = splitOn(pyx.out, '\n');
    for (const char* name : {"pairs_lepr_wet_import100.xlsx", "pairs_lepr_wet_import100.xls"}) {
        const Outcome o = run(data + "/xlsx/" + name);
        ASSERT_EQ(o.status, 0) << name << ": " << o.err;
        const std::vector<std::string> lines = splitOn(o.out, '\n');
        ASSERT_EQ(lines.size(), 101u) << name;  // the first 100 rows of the same table
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(lines[i], expected[i]) << name << i;
    }
}

TEST_F(BatchTool, WritesTheResultsWorkbookAsTheExportLaysOutTheGrid) {
    spit(path("t.pyx"), pyxOf({diopsideLine(), kAugite}));
    const Outcome o = run("-o " + path("r.xlsx").string() + " " + path("t.pyx").string());
    ASSERT_EQ(o.status, 0) << o.err;
    const kalvoren::WorkbookReadResult book = kalvoren::readWorkbookBlock(path("r.xlsx"), 5, 211);
    ASSERT_TRUE(book.ok()) << book.error;
    EXPECT_EQ(book.block.at(0, 0).text, "");
    EXPECT_EQ(book.block.at(0, 1).text, "1");
    EXPECT_EQ(book.block.at(0, 210).text, "210");
    EXPECT_EQ(book.block.at(1, 0).text, "Sample       ");
    EXPECT_EQ(book.block.at(1, 210).text, "Chk for Opx");
    EXPECT_EQ(book.block.at(2, 0).text, "Di 1");
    // "2.0000" went in as the number 2, "100.00" as 100.
    EXPECT_EQ(book.block.at(2, 22).text, "2");
    EXPECT_EQ(book.block.at(2, 19).text, "100");
    EXPECT_EQ(book.block.at(3, 0).text, "Aug 2");
    EXPECT_EQ(book.block.at(4, 0).kind, kalvoren::WorkbookCell::Empty);
}

}  // namespace

namespace {

TEST_F(BatchTool, ALongListOfCellsThatAreNotPlainNumbersIsCountedNotKept) {
    std::string csv = "Sample,SiO2,MgO,CaO\n";
    for (int i = 0; i < 300; ++i) csv += "Di,\"55,49\",18.61,25.9\n";
    spit(path("c.csv"), csv);
    const Outcome o = run("-q " + path("c.csv").string());
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.err.find("300 cells were not a plain number"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("... and 280 more"), std::string::npos) << o.err;
}

}  // namespace
