#include "classification/PyroxeneClass.h"

namespace kalvoren {

namespace {

// Group texts. The names live in string literals so that the views handed out stay valid.
constexpr std::string_view kGroupCaNa = "Ca-Na pyroxene";
constexpr std::string_view kGroupNa = "Na pyroxene";
constexpr std::string_view kGroupOther = "Other pyroxene";
constexpr std::string_view kGroupRareNa = "Rare Na pyroxene";
constexpr std::string_view kGroupRareMnMg = "Rare Mn-Mg pyroxene";
constexpr std::string_view kGroupRareNaCr = "Rare Na-Cr3+ pyroxene";
constexpr std::string_view kGroupRareCa = "Rare Ca pyroxene";
constexpr std::string_view kGroupRareLiAl = "Rare Li-Al pyroxene";
constexpr std::string_view kGroupUnclassified = "Unclassified";

constexpr std::string_view kDiopside = "DIOPSIDE";
constexpr std::string_view kHedenbergite = "HEDENBERGITE";
constexpr std::string_view kAugite = "AUGITE";
constexpr std::string_view kPigeonite = "PIGEONITE";
constexpr std::string_view kEnstatite = "ENSTATITE or CLINOENSTATITE";
constexpr std::string_view kFerrosilite = "FERROSILITE or CLINOFERROSILITE";
constexpr std::string_view kOmphacite = "OMPHACITE";
constexpr std::string_view kAegirineAugite = "AEGIRINE-AUGITE";
constexpr std::string_view kJadeite = "JADEITE";
constexpr std::string_view kAegirine = "AEGIRINE";
constexpr std::string_view kDonpeacorite = "DONPEACORITE / KANOITE";
constexpr std::string_view kJohannsenite = "JOHANNSENITE";
constexpr std::string_view kEsseneite = "ESSENEITE";
constexpr std::string_view kSpodumene = "SPODUMENE";
constexpr std::string_view kKosmochlor = "KOSMOCHLOR";
constexpr std::string_view kPetedunnite = "PETEDUNNITE";
constexpr std::string_view kJervisite = "JERVISITE";

struct RareGroup {
    std::string_view name;
    std::string_view group;
};
constexpr RareGroup kRareGroups[] = {
    {kJervisite, kGroupRareNa},   {kDonpeacorite, kGroupRareMnMg}, {kKosmochlor, kGroupRareNaCr},
    {kEsseneite, kGroupRareCa},   {kPetedunnite, kGroupRareCa},    {kJohannsenite, kGroupRareCa},
    {kSpodumene, kGroupRareLiAl},
};

// Group from the Q-J position. Each test overwrites the earlier one; a blank Q or J
// makes every comparison false and leaves the group empty.
std::string_view groupFromQJ(Quantity Q, Quantity J) {
    std::string_view group;
    const Quantity sum = Q + J;
    const Quantity r = J / sum;  // blank when Q + J = 0
    if (r <= 0.2) group = kGroupCaMgFe;
    if (r > 0.2 && r < 0.8) group = kGroupCaNa;
    if (r >= 0.8) group = kGroupNa;
    // Q + J too low or too high for the Q-J field; the bounds are 1.48 and 2.2 on purpose.
    if (sum < 1.48 || sum > 2.2) group = kGroupOther;
    return group;
}

}  // namespace

Classification classifyPyroxene(const PyroxeneCalculation& cpx) {
    const CationFormula& f = cpx.formula;
    const EndMemberSets::WoEnFs& wef = cpx.sets.woEnFsFetot;
    const EndMemberSets::QJdAeg& qja = cpx.sets.qJdAeg;

    std::string_view group = groupFromQJ(cpx.basic.Q, cpx.basic.J);
    std::string_view name;

    // Boundary values (Wo = 45, 20, 5; En = Fs) match no rule and leave the name empty.
    if (group == kGroupCaMgFe) {
        const Quantity wo = wef.Wo, en = wef.En, fs = wef.Fs;
        if (wo > 45.0 && en > fs) name = kDiopside;
        if (wo > 45.0 && fs > en) name = kHedenbergite;
        if (wo > 20.0 && wo < 45.0) name = kAugite;
        if (wo > 5.0 && wo < 20.0) name = kPigeonite;
        if (wo < 5.0 && en > fs) name = kEnstatite;
        if (wo < 5.0 && fs > en) name = kFerrosilite;
    }
    if (group == kGroupCaNa) {
        const bool quadInRange = qja.Q > 20.0 && qja.Q < 80.0;
        if (quadInRange && qja.Jd > qja.Aeg) name = kOmphacite;
        if (quadInRange && qja.Aeg > qja.Jd) name = kAegirineAugite;
    }
    if (group == kGroupNa) {
        if (qja.Q < 20.0 && qja.Jd > qja.Aeg) name = kJadeite;
        if (qja.Q < 20.0 && qja.Aeg > qja.Jd) name = kAegirine;
    }
    if (group == kGroupOther) {
        // Several may hold; the last one that holds decides.
        if (f.Mn() > 0.5 && f.Mg() > 0.5) name = kDonpeacorite;
        if (f.Mn() > 0.5 && f.Ca() > 0.5) name = kJohannsenite;
        if (f.Ca() > 0.5 && f.Fe3() > 0.5 && f.Al() > 0.5) name = kEsseneite;
        if (f.Li() > 0.5 && f.Al() > 0.5) name = kSpodumene;
        if (f.Na() > 0.5 && f.Cr() > 0.5) name = kKosmochlor;
        if (f.Ca() > 0.3 && f.Zn() > 0.3) name = kPetedunnite;
    }
    // A petedunnite with Na and Sc is jervisite.
    if (name == kPetedunnite && f.Na() > 0.3 && f.Sc() > 0.3) name = kJervisite;
    // A Cr-rich aegirine-augite is kosmochlor, which belongs with the rare pyroxenes.
    if (name == kAegirineAugite && f.Na() > 0.5 && f.Cr() > 0.5) {
        name = kKosmochlor;
        group = kGroupOther;
    }
    for (const RareGroup& rare : kRareGroups) {
        if (name == rare.name) group = rare.group;
    }

    Classification out;
    out.nameForModifiers = name;

    // An Other pyroxene that reached no rare species does not fit the scheme.
    if (group == kGroupOther) name = kDoesNotFit;
    if (name == kDoesNotFit) group = kGroupUnclassified;

    out.result.group = group;
    out.result.name = name;
    return out;
}

}  // namespace kalvoren
