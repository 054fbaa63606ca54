#include "classification/ModifierSet.h"

#include <cstdint>
#include <initializer_list>

namespace kalvoren {

namespace {

// Slot positions in the fixed order of the "[Modifiers]" text.
enum Slot : int {
    kAluminian,
    kCalcian,
    kChromian,
    kFerroan,
    kFerrian,
    kLithian,
    kMagnesian,
    kManganoan,
    kManganian,
    kSodian,
    kNickeloan,
    kSubsilicic,
    kTitanian,
    kTitanoan,
    kZincian,
    kVanadoan,
    kZirconian,
    kCobaltian,
    kScandian,
};

// Each text ends with one blank, so the joined slots read as words with a trailing blank.
constexpr std::array<std::string_view, 19> kTexts = {
    "Aluminian [i.e.,(Al-rich)] ",      "Calcian [i.e.,(Ca-rich)] ",
    "Chromian [i.e.,(Cr3+-bearing)] ",  "Ferroan [i.e.,(Fe2+-rich)] ",
    "Ferrian [i.e.,(Fe3+-rich)] ",      "Lithian [i.e.,(Li-bearing)] ",
    "Magnesian [i.e.,(Mg-rich)] ",      "Manganoan [i.e.,(Mn2+-rich)] ",
    "Manganian [i.e.,(Mn3+-bearing)] ", "Sodian [i.e.,(Na-rich)] ",
    "Nickeloan [i.e.,(Ni2+-bearing)] ", "Subsilicic [i.e.,(Si-poor)] ",
    "Titanian [i.e.,(Ti4+-rich)] ",     "Titanoan [i.e.,(Ti3+-bearing)] ",
    "Zincian [i.e.,(Zn2+-bearing)] ",   "Vanadoan [i.e.,(V3+-bearing)] ",
    "Zirconian [i.e.,(Zr4+-bearing)] ", "Cobaltian [i.e.,(Co2+-bearing)] ",
    "Scandian [i.e.,(Sc3+-bearing)] ",
};

constexpr std::uint32_t slotMask(std::initializer_list<Slot> slots) {
    std::uint32_t mask = 0;
    for (Slot s : slots) mask |= std::uint32_t{1} << s;
    return mask;
}

// Modifiers that the species name already implies.
struct Suppression {
    std::string_view species;
    std::uint32_t slots;
};
constexpr Suppression kSuppressions[] = {
    {"ENSTATITE or CLINOENSTATITE", slotMask({kFerroan, kMagnesian})},
    {"FERROSILITE or CLINOFERROSILITE", slotMask({kFerroan, kMagnesian})},
    {"DONPEACORITE / KANOITE", slotMask({kManganoan, kMagnesian})},
    {"DIOPSIDE", slotMask({kMagnesian, kCalcian})},
    {"HEDENBERGITE", slotMask({kCalcian, kFerroan})},
    {"AUGITE", slotMask({kFerroan, kMagnesian, kCalcian})},
    {"JOHANNSENITE", slotMask({kCalcian, kManganoan, kManganian})},
    {"PETEDUNNITE", slotMask({kCalcian, kZincian})},
    {"ESSENEITE", slotMask({kCalcian, kFerrian, kAluminian, kSubsilicic, kFerroan, kMagnesian})},
    {"OMPHACITE", slotMask({kCalcian, kSodian, kAluminian})},
    {"AEGIRINE-AUGITE", slotMask({kCalcian, kSodian, kFerrian})},
    {"JADEITE", slotMask({kSodian, kAluminian})},
    {"AEGIRINE", slotMask({kSodian, kFerrian})},
    {"KOSMOCHLOR", slotMask({kSodian, kChromian})},
    {"JERVISITE", slotMask({kSodian})},
    {"SPODUMENE", slotMask({kLithian, kAluminian})},
};

// Ti3+ and Mn3+ are estimated from the excess of total Ti and Mn over 0.5 apfu.
// A blank total gives a blank estimate, whose slot then stays empty.
Quantity excessEstimate(Quantity total, double divisor) {
    if (total.isBlank()) return Quantity::blank();
    return total > 0.5 ? (total - 0.5) / divisor : Quantity(0.0);
}

}  // namespace

void ModifierSet::appendTo(std::string& out) const {
    for (std::string_view slot : slots) out.append(slot);
}

std::string ModifierSet::text() const {
    std::string out;
    appendTo(out);
    return out;
}

ModifierSet selectModifiers(const CationFormula& cpx, std::string_view speciesName) {
    const Quantity ti3 = excessEstimate(cpx.Ti(), 0.5995);
    const Quantity mn3 = excessEstimate(cpx.Mn(), 0.7745);

    // Strict tests: a quantity at its threshold (or blank) sets nothing.
    const std::array<bool, 19> set = {
        cpx.Al() > 0.1,  cpx.Ca() > 0.1,  cpx.Cr() > 0.01, cpx.Fe2() > 0.1, cpx.Fe3() > 0.1,
        cpx.Li() > 0.01, cpx.Mg() > 0.1,  cpx.Mn() > 0.1,  mn3 > 0.1,       cpx.Na() > 0.1,
        cpx.Ni() > 0.01, cpx.Si() < 1.75, cpx.Ti() > 0.1,  ti3 > 0.01,      cpx.Zn() > 0.01,
        cpx.V() > 0.01,  cpx.Zr() > 0.01, cpx.Co() > 0.01, cpx.Sc() > 0.01,
    };

    ModifierSet out;
    for (std::size_t i = 0; i < kTexts.size(); ++i) {
        if (set[i]) out.slots[i] = kTexts[i];
    }
    for (const Suppression& row : kSuppressions) {
        if (row.species != speciesName) continue;
        for (std::size_t i = 0; i < out.slots.size(); ++i) {
            if (row.slots & (std::uint32_t{1} << i)) out.slots[i] = {};
        }
    }
    return out;
}

}  // namespace kalvoren
