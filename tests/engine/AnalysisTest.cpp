#include "engine/Analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace kalvoren {
namespace {

// An entry row owning its texts; view() gives the row as the run reads it.
struct Row {
    std::array<std::string, kTableColumns> text{};

    Row() {
        text[EntryColumn::CpxSample] = "cpx 1";
        set(EntryColumn::CpxFirstOxide, {"51.2", "0.5", "3.1", "", "0.2", "", "7.4", "0.15", "", "",
                                         "", "15.9", "21.0", "0.4"});
        text[EntryColumn::Pressure] = "12";
        text[EntryColumn::Temperature] = "1100";
    }
    void set(int firstColumn, std::initializer_list<const char*> cells) {
        for (const char* c : cells) text[firstColumn++] = c;
    }
    EntryRow view() const {
        EntryRow row;
        for (int c = 0; c < kTableColumns; ++c) row.cells[c] = text[c];
        return row;
    }
};

TEST(ReadEntryRow, ReadsCpxPressureAndTemperature) {
    Row r;
    std::vector<NonNumericCell> notes;
    const RowInput in = readEntryRow(r.view(), 3, &notes);

    EXPECT_EQ(in.cpx.sample, "cpx 1");
    EXPECT_DOUBLE_EQ(in.cpx[OxideKind::SiO2].value(), 51.2);
    EXPECT_DOUBLE_EQ(in.cpx[OxideKind::FeO].value(), 7.4);
    EXPECT_DOUBLE_EQ(in.cpx[OxideKind::Na2O].value(), 0.4);
    EXPECT_DOUBLE_EQ(in.cpx[OxideKind::V2O3].value(), 0.0);
    EXPECT_DOUBLE_EQ(in.cpx[OxideKind::Li2O].value(), 0.0);
    EXPECT_DOUBLE_EQ(in.pressure.value(), 12.0);
    EXPECT_FALSE(in.pressureDefaulted);
    EXPECT_EQ(in.temperatureText, "1100");
    EXPECT_DOUBLE_EQ(in.temperature.value(), 1100.0);
    EXPECT_FALSE(in.temperatureDefaulted);
    EXPECT_FALSE(in.hasOpx);
    EXPECT_TRUE(notes.empty());
}

TEST(ReadEntryRow, PressureThatReadsAsZeroBecomesFive) {
    for (const char* p : {"", "0", "abc", "0.0"}) {
        Row r;
        r.text[EntryColumn::Pressure] = p;
        const RowInput in = readEntryRow(r.view(), 1, nullptr);
        EXPECT_DOUBLE_EQ(in.pressure.value(), 5.0) << p;
        EXPECT_TRUE(in.pressureDefaulted) << p;
    }
}

TEST(ReadEntryRow, TemperatureDefaultsOnlyWhenExactlyEmpty) {
    Row r;
    r.text[EntryColumn::Temperature] = "";
    RowInput in = readEntryRow(r.view(), 1, nullptr);
    EXPECT_DOUBLE_EQ(in.temperature.value(), 900.0);
    EXPECT_EQ(in.temperatureText, "900");
    EXPECT_TRUE(in.temperatureDefaulted);

    r.text[EntryColumn::Temperature] = "0";
    in = readEntryRow(r.view(), 1, nullptr);
    EXPECT_DOUBLE_EQ(in.temperature.value(), 0.0);
    EXPECT_FALSE(in.temperatureDefaulted);

    std::vector<NonNumericCell> notes;
    for (const char* t : {" ", "hot", "9 00"}) {
        r.text[EntryColumn::Temperature] = t;
        in = readEntryRow(r.view(), 4, &notes);
        EXPECT_TRUE(in.temperature.isBlank()) << '"' << t << '"';
        EXPECT_EQ(in.temperatureText, t);
        EXPECT_FALSE(in.temperatureDefaulted);
    }
    // Every unreadable temperature is reported, even the harmless-looking ones.
    ASSERT_EQ(notes.size(), 3u);
    for (const NonNumericCell& n : notes) {
        EXPECT_EQ(n.row, 4);
        EXPECT_EQ(n.column, EntryColumn::Temperature);
        EXPECT_TRUE(std::isnan(n.valueRead));
    }
}

TEST(ReadEntryRow, OpxIsReadOnlyWhenItsSiO2IsAboveZero) {
    Row r;
    r.text[EntryColumn::OpxSample] = "opx 1";
    r.set(EntryColumn::OpxFirstOxide + 1, {"0.2", "x", "", "", "", "12.5"});
    for (const char* si : {"", "0", "-1", "abc"}) {
        r.text[EntryColumn::OpxFirstOxide] = si;
        std::vector<NonNumericCell> notes;
        const RowInput in = readEntryRow(r.view(), 1, &notes);
        EXPECT_FALSE(in.hasOpx) << si;
        EXPECT_EQ(in.opx.sample, "opx 1");
        EXPECT_DOUBLE_EQ(in.opx[OxideKind::TiO2].value(), 0.0) << si;
        EXPECT_DOUBLE_EQ(in.opx[OxideKind::FeO].value(), 0.0) << si;
        // The cells not read raise no note; an unreadable SiO2 does.
        EXPECT_EQ(notes.size(), std::string(si) == "abc" ? 1u : 0u) << si;
    }

    r.text[EntryColumn::OpxFirstOxide] = "54.1";
    std::vector<NonNumericCell> notes;
    const RowInput in = readEntryRow(r.view(), 1, &notes);
    EXPECT_TRUE(in.hasOpx);
    EXPECT_DOUBLE_EQ(in.opx[OxideKind::SiO2].value(), 54.1);
    EXPECT_DOUBLE_EQ(in.opx[OxideKind::TiO2].value(), 0.2);
    EXPECT_DOUBLE_EQ(in.opx[OxideKind::FeO].value(), 12.5);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].column, EntryColumn::OpxFirstOxide + 2);
}

TEST(ReadEntryRow, NotesNameEveryCellThatIsNotWhollyANumber) {
    Row r;
    r.text[EntryColumn::CpxFirstOxide] = "51,23";
    r.text[EntryColumn::CpxFirstOxide + 7] = "<0.01";
    r.text[EntryColumn::CpxFirstOxide + 8] = " 1 2.5 ";  // blanks aside, a number: no note
    r.text[EntryColumn::Pressure] = "1E400";
    std::vector<NonNumericCell> notes;
    const RowInput in = readEntryRow(r.view(), 7, &notes);

    EXPECT_DOUBLE_EQ(in.cpx[OxideKind::SiO2].value(), 51.0);
    EXPECT_DOUBLE_EQ(in.cpx[OxideKind::MnO].value(), 0.0);
    EXPECT_DOUBLE_EQ(in.cpx[OxideKind::NiO].value(), 12.5);
    // Too large a pressure is blank, and blank is not 0, so no default either.
    EXPECT_TRUE(in.pressure.isBlank());
    EXPECT_FALSE(in.pressureDefaulted);

    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].row, 7);
    EXPECT_EQ(notes[0].column, EntryColumn::CpxFirstOxide);
    EXPECT_EQ(notes[0].text, "51,23");
    EXPECT_DOUBLE_EQ(notes[0].valueRead, 51.0);
    EXPECT_EQ(notes[1].column, EntryColumn::CpxFirstOxide + 7);
    EXPECT_DOUBLE_EQ(notes[1].valueRead, 0.0);
    EXPECT_EQ(notes[2].column, EntryColumn::Pressure);
    EXPECT_TRUE(std::isnan(notes[2].valueRead));
}

// A note shows enough of a cell to find it; a cell of megabytes is not copied whole.
TEST(ReadEntryRow, NotesKeepTheBeginningOfALongText) {
    const std::string hundred = "x" + std::string(99, '1');
    const struct {
        std::string text;
        std::string noted;
    } cases[] = {
        {hundred, hundred},
        {hundred + "2", hundred + "..."},
        // "\xC3\xA9" (e acute) would be cut in two after 100 bytes: the note stops before it.
        {"x" + std::string(98, '1') + "\xC3\xA9" + std::string(10u << 20, 'z'),
         "x" + std::string(98, '1') + "..."},
        // Not UTF-8: cut back over no more than a character's three continuation bytes.
        {"x" + std::string(200, '\x80'), "x" + std::string(96, '\x80') + "..."},
    };
    for (const auto& c : cases) {
        Row r;
        r.text[EntryColumn::CpxFirstOxide] = "50";
        r.text[EntryColumn::CpxFirstOxide + 1] = c.text;
        r.text[EntryColumn::Temperature] = c.text;  // a T that is not a number: noted too
        std::vector<NonNumericCell> notes;
        readEntryRow(r.view(), 1, &notes);
        ASSERT_EQ(notes.size(), 2u);
        EXPECT_EQ(notes[0].text, c.noted) << c.text.size();
        EXPECT_DOUBLE_EQ(notes[0].valueRead, 0.0);
        EXPECT_EQ(notes[1].column, EntryColumn::Temperature);
        EXPECT_EQ(notes[1].text, c.noted) << c.text.size();
    }
}

}  // namespace
}  // namespace kalvoren
