// The small pieces under both screens: the two message tables, error numbers for file
// failures, the file dialog's filter, and typing by whole characters.

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/qt/CommandError.h"
#include "platform/qt/ErrorMessageTable.h"
#include "platform/qt/FileDialog.h"
#include "platform/qt/GridTyping.h"

namespace kalvoren {
namespace {

TEST(MessageTables, EntryScreenKnowsElevenAndThirteenAndNamesTheXlsWorkbook) {
    EXPECT_EQ(entryScreenErrorMessage(11), "Division by zero");
    EXPECT_EQ(entryScreenErrorMessage(13), "Type mismatch");
    EXPECT_EQ(entryScreenErrorMessage(424), "Object required. Possibly [Output.Xls]");
    EXPECT_EQ(entryScreenErrorMessage(521), "Can't open clipboard");
    EXPECT_EQ(entryScreenErrorMessage(18), "User interrupt occured");
    EXPECT_EQ(entryScreenErrorMessage(31001), "Out of memory");
    EXPECT_FALSE(entryScreenErrorMessage(1004));
    EXPECT_FALSE(entryScreenErrorMessage(0));
}

TEST(MessageTables, ResultsScreenLacksElevenAndThirteenAndNamesTheXlsxWorkbook) {
    EXPECT_FALSE(resultsScreenErrorMessage(11));
    EXPECT_FALSE(resultsScreenErrorMessage(13));
    EXPECT_EQ(resultsScreenErrorMessage(424), "Object required. Possibly [Output.Xlsx]");
    EXPECT_EQ(resultsScreenErrorMessage(53), "File not found");
    EXPECT_EQ(resultsScreenErrorMessage(735), "Can't save file to TEMP directory");
}

TEST(MessageTables, HoldThirtySevenAndThirtyFiveEntries) {
    int entry = 0;
    int results = 0;
    for (int n = 0; n <= 40000; ++n) {
        entry += entryScreenErrorMessage(n).has_value();
        results += resultsScreenErrorMessage(n).has_value();
    }
    EXPECT_EQ(entry, 37);
    EXPECT_EQ(results, 35);
}

TEST(CommandErrors, FileFailuresMapToThePlatformNumbers) {
    const std::pair<int, int> cases[] = {{ENOENT, 53},  {EACCES, 75}, {EROFS, 75}, {ENOSPC, 61},
                                         {ENOTDIR, 76}, {EMFILE, 67}, {EIO, 57},   {EISDIR, 75}};
    for (const auto& [errnoValue, number] : cases)
        EXPECT_EQ(errorNumberFor(std::error_code(errnoValue, std::generic_category())), number)
            << errnoValue;
}

TEST(FileDialogFilter, ProgramFiltersBecomeQtFilters) {
    EXPECT_EQ(qtFileFilter(QStringLiteral("Pyroxene files(*.pyx) |*.pyx")),
              QStringLiteral("Pyroxene files(*.pyx)"));
    EXPECT_EQ(qtFileFilter(QStringLiteral("Grapher files(*.grf) |*.grf")),
              QStringLiteral("Grapher files(*.grf)"));
    EXPECT_EQ(qtFileFilter(QStringLiteral("Workbooks|*.xlsx|Old workbooks|*.xls")),
              QStringLiteral("Workbooks (*.xlsx);;Old workbooks (*.xls)"));
}

TEST(GridTyping, BackspaceRemovesAWholeCharacter) {
    EXPECT_EQ(withoutLastCharacter("51.2"), "51.");
    EXPECT_EQ(withoutLastCharacter("Mg\xC3\xA4"), "Mg");      // ä, two bytes
    EXPECT_EQ(withoutLastCharacter("a\xE2\x82\xAC"), "a");    // €, three bytes
    EXPECT_EQ(withoutLastCharacter("\xF0\x9F\x98\x80"), "");  // four bytes
    EXPECT_EQ(withoutLastCharacter(""), "");

    CellGrid g(2, 2);
    g.setCurrent(1, 1);
    EXPECT_FALSE(appendCharacter(g, 13));
    EXPECT_FALSE(appendCharacter(g, 27));
    EXPECT_TRUE(appendCharacter(g, U'±'));
    EXPECT_TRUE(appendCharacter(g, U'1'));
    EXPECT_EQ(g.currentText(),
              "\xC2\xB1"
              "1");
    EXPECT_TRUE(removeLastCharacter(g));
    EXPECT_TRUE(removeLastCharacter(g));
    EXPECT_FALSE(removeLastCharacter(g));
    EXPECT_EQ(g.currentText(), "");
}

}  // namespace
}  // namespace kalvoren
