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

}  // namespace
}  // namespace kalvoren
