#pragma once
// End-member and component sets of an analysis. Percentages run from 0 to 100;
// the Tschermak-style components and the Opx components are in atoms per formula unit.

#include "engine/CalcOptions.h"
#include "engine/CationFormula.h"
#include "engine/Quantity.h"
#include "engine/SiteAllocation.h"

namespace kalvoren {

// Q, J and the Wo-En-Fs on the Ca + Mg + Fe2+ basis (Cpx and Opx); the
// Ca-Mg-Fetot+Mn percentages (Cpx only, for CAMGFEMN.dat).
struct BasicEndMembers {
    Quantity Q, J;
    Quantity Wo, En, Fs;
    Quantity CaPct, MgPct, FeMnPct;
};

// The Cpx sets that follow the site allocation.
struct EndMemberSets {
    struct QJdAeg { Quantity Q, Jd, Aeg; };                 // Q% of Q/(Q+J), Jd, Aeg
    struct WoHypJd { Quantity Wo, Hyp, Jd; };
    struct AugJdAeg { Quantity Aug, Jd, Aeg; };
    struct WoEnFs { Quantity Wo, En, Fs; };                 // Ca + Mg + Fetot + Mn basis
    struct AcmJdTsHdDi { Quantity AcmJd, Ts, Hd, Di; };
    struct JdAcmTs { Quantity Jd, Acm, CaFeTs, CaTiTs, CaTs, Wo, En, Fs; };
    struct CaTsJdKJd { Quantity CaTs, Jd, KJd, CaEs, Di, En, Fs; };

    QJdAeg qJdAeg;
    WoHypJd woHypJd;
    AugJdAeg augJdAeg;
    WoEnFs woEnFsFetot;
    AcmJdTsHdDi acmJdTsHdDi;
    JdAcmTs jdAcmTs;
    CaTsJdKJd caTsJdKJd;
};

// Tschermak-style components and En-Di of the Cpx, apfu.
struct TschermakComponents {
    Quantity Jd, CaTs, CaTi, CrCaTs, DiHd, EnFs, En, Di;
    Quantity CaRest;  // input of the PP08Eq32a barometer
};

// The Lindsley (1983) projection of both analyses of a pair, percent.
struct LindsleyProjection {
    Quantity cpxWo, cpxEn, cpxFs;
    Quantity opxWo, opxEn, opxFs;
};

// Opx components, apfu.
struct OpxComponents {
    Quantity NaAlSi2O6, FmTiAlSiO6, CrAl2SiO6, FmAl2SiO6, CaFmSi2O6, Fm2Si2O6, En, Di;
};

BasicEndMembers ComputeBasicEndMembers(const CationFormula& f);
EndMemberSets ComputeEndMemberSets(const CationFormula& f, const SiteAllocation& s);
TschermakComponents ComputeTschermakComponents(const CationFormula& f, const SiteAllocation& s);
OpxComponents ComputeOpxComponents(const CationFormula& opx, const SiteAllocation& opxSites);

// Cpx side by the marked projection option; Opx side always.
LindsleyProjection ComputeLindsleyProjection(const CationFormula& cpx,
                                             const SiteAllocation& cpxSites,
                                             const BasicEndMembers& cpxBasic,
                                             const EndMemberSets& cpxSets,
                                             const CationFormula& opx,
                                             const SiteAllocation& opxSites,
                                             const CalcOptions& options);

}  // namespace kalvoren
