#include "cli/CsvReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace kalvoren {
namespace {

// Reads every record of `text`; the last entry of `error` is the reader's error.
std::vector<std::vector<std::string>> readAll(const std::string& text, char delimiter,
                                              std::string* error = nullptr,
                                              std::vector<long>* lines = nullptr) {
    std::FILE* f = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
    CsvReader reader(f, delimiter);
    std::vector<std::vector<std::string>> records;
    while (reader.next()) {
        records.emplace_back(reader.fields().begin(), reader.fields().end());
        if (lines) lines->push_back(reader.line());
    }
    if (error) *error = reader.error();
    std::fclose(f);
    return records;
}

using Records = std::vector<std::vector<std::string>>;

TEST(CsvReader, ReadsPlainAndQuotedFields) {
    EXPECT_EQ(readAll("a,b,c\r\n1,,3\n", ','), (Records{{"a", "b", "c"}, {"1", "", "3"}}));
    EXPECT_EQ(readAll("\"x, y\",\"say \"\"hi\"\"\"\n", ','), (Records{{"x, y", "say \"hi\""}}));
    EXPECT_EQ(readAll("a\tb\n", '\t'), (Records{{"a", "b"}}));
    EXPECT_EQ(readAll("last,line", ','), (Records{{"last", "line"}}));
    EXPECT_EQ(readAll("\xEF\xBB\xBFSiO2,MgO\n", ','), (Records{{"SiO2", "MgO"}}));
}

TEST(CsvReader, ALineBreakInsideQuotesBelongsToTheFieldAndLinesStayCounted) {
    std::vector<long> lines;
    const Records r = readAll("h\n\"two\nlines, here\",x\nnext,y\n", ',', nullptr, &lines);
    // The break becomes a blank: results are TAB-separated lines.
    EXPECT_EQ(r, (Records{{"h"}, {"two lines, here", "x"}, {"next", "y"}}));
    EXPECT_EQ(lines, (std::vector<long>{1, 2, 4}));
}

TEST(CsvReader, ReportsTheLineOfABrokenRecord) {
    std::string error;
    readAll("a,b\n1,2\n\"open,3\n4,5\n", ',', &error);
    EXPECT_EQ(error, "line 3: a quoted field is not closed before the end of the file");
    readAll("a,b\n\"x\"y,2\n", ',', &error);
    EXPECT_EQ(error, "line 2: text follows the closing quote of a field");
}

TEST(CsvReader, RefusesARecordBeyondItsBound) {
    std::string text = "a\n" + std::string(CsvReader::kRecordBound + 10, 'x') + "\n";
    std::string error;
    const Records r = readAll(text, ',', &error);
    EXPECT_EQ(r.size(), 1u);
    EXPECT_EQ(error, "line 2: a record longer than 1 MB");
}

// Plain lines are cut where they stand in the reader's 64 KB block; a line running past
// the block, a CR LF split by it, a very wide line, a lone CR and a quote take the
// character-wise path. The records must not tell the two apart.
TEST(CsvReader, RecordsReadTheSameWhereverTheyStandInTheBlock) {
    constexpr std::size_t kBlock = 1 << 16;
    std::string text = "h1,h2\n";
    Records expected{{"h1", "h2"}};
    std::vector<long> expectedLines{1};
    long line = 2;
    auto add = [&](const std::string& a, const std::string& b, const char* end) {
        text += a + "," + b + end;
        expected.push_back({a, b});
        expectedLines.push_back(line++);
    };
    // Lines of every length from 3 to 300 bytes, so that many straddle a block edge.
    for (int i = 0; text.size() < 3 * kBlock; ++i)
        add(std::to_string(i), std::string(i % 297, 'x'), "\n");
    // A CR as the last byte of a block, its LF the first of the next.
    while ((text.size() + 4) % kBlock != 0) add("p", "", "\n");
    add("cr", "", "\r\n");
    ASSERT_EQ((text.size() - 1) % kBlock, 0u);
    add("after", "edge", "\n");
    add("lone", "cr", "\r");
    add("x\"y", "mid-field quote", "\n");
    std::string wide;
    Records wideRecord(1);
    for (int i = 0; i < 3000; ++i) {
        wide += (i ? "," : "") + std::to_string(i);
        wideRecord[0].push_back(std::to_string(i));
    }
    text += wide + "\n\"q,1\",2\nlast,line";
    expected.push_back(wideRecord[0]);
    expected.push_back({"q,1", "2"});
    expected.push_back({"last", "line"});
    expectedLines.insert(expectedLines.end(), {line, line + 1, line + 2});

    std::vector<long> lines;
    std::string error;
    const Records r = readAll(text, ',', &error, &lines);
    EXPECT_EQ(error, "");
    ASSERT_EQ(r.size(), expected.size());
    for (std::size_t i = 0; i < r.size(); ++i) ASSERT_EQ(r[i], expected[i]) << "record " << i;
    EXPECT_EQ(lines, expectedLines);
}

}  // namespace
}  // namespace kalvoren
