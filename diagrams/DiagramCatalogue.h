#pragma once
// The eighteen diagrams of the Graph menu, in menu order: the menu item, its caption, the
// Grapher template it opens, the data file the diagram draws and the SVG file we write.

#include <array>
#include <optional>
#include <string_view>

namespace kalvoren {

inline constexpr int kDiagramCount = 18;

// The three submenus under "Graph", in menu order.
struct DiagramSubmenu {
    std::string_view menuItem;
    std::string_view caption;
};
inline constexpr std::array<DiagramSubmenu, 3> kDiagramSubmenus{{
    {"mnuClass", "Classification Diagrams"},
    {"mnuTPT", "Graphical Two-Pyroxene Thermometry"},
    {"mnuMP", "Miscellaneous Plots"},
}};

struct DiagramEntry {
    int submenu;  // index into kDiagramSubmenus
    std::string_view menuItem;
    std::string_view caption;  // exact menu text, "[n]   " prefix included
    std::string_view templateName;
    std::string_view dataFile;
    std::string_view svgFile;  // the template name with ".svg" for ".grf"
    bool separatorAfter;       // every submenu also opens with a separator
};

inline constexpr std::array<DiagramEntry, kDiagramCount> kDiagramCatalogue{{
    {0, "mnuQJ", "[1]   Q - J Diagram (Morimoto et al. 1988)", "QJ.grf", "QJ.dat", "QJ.svg", true},
    {0, "mnuWoEnFs1", "[2]   Wo - En - Fs Diagram (Morimoto et al. 1988)", "WOENFS1.grf",
     "WOENFS.dat", "WOENFS1.svg", false},
    {0, "mnuWoEnFs2", "[3]   Wo - En - Fs Diagram (Rock 1990)", "WOENFS.grf", "WOENFS.dat",
     "WOENFS.svg", true},
    {0, "mnuQJdAe1", "[4]   Q - Jd - Ae Diagram (Morimoto et al. 1988)", "QJDAE1.grf", "QJDAE.dat",
     "QJDAE1.svg", false},
    {0, "mnuQJdAe2", "[5]   Q - Jd - Ae Diagram (Rock 1990)", "QJDAE.grf", "QJDAE.dat", "QJDAE.svg",
     true},
    {0, "mnuWoEnFs3", "[6]   Wo - (clino)En - (clino)Fs Diagram (after Poldervaart and Hees 1951)",
     "WOENFSclino.grf", "CAMGFEMN.dat", "WOENFSclino.svg", true},
    {1, "mnu1atm", "[1]   Di - Hd - En - Fs Quadrilateral for 1 atm (Lindsley 1983)",
     "WOENFS1atm.grf", "WOENFSLindsley.dat", "WOENFS1atm.svg", false},
    {1, "mnu5kb", "[2]   Di - Hd - En - Fs Quadrilateral for 5 kb (Lindsley 1983)", "WOENFS5kb.grf",
     "WOENFSLindsley.dat", "WOENFS5kb.svg", false},
    {1, "mnu10kb", "[3]   Di - Hd - En - Fs Quadrilateral for 10 kb (Lindsley 1983)",
     "WOENFS10kb.grf", "WOENFSLindsley.dat", "WOENFS10kb.svg", false},
    {1, "mnu15kb", "[4]   Di - Hd - En - Fs Quadrilateral for 15 kb (Lindsley 1983)",
     "WOENFS15kb.grf", "WOENFSLindsley.dat", "WOENFS15kb.svg", true},
    {2, "mnuAlAL", "[1]   Al(VI) - Al(IV) Diagram  (Aoki and Shiba 1973)", "AlIVAlVI.grf",
     "ALIVALVI.dat", "AlIVAlVI.svg", false},
    {2, "mnuTiNaAl", "[2]   Ti - Na - Al(IV) Diagram  (Papike et al. 1974)", "TiNaAlIV.grf",
     "TINAALIV.dat", "TiNaAlIV.svg", true},
    {2, "mnuVcellVM1Anh95", "[3]   Vcell - VM1 Diagram for Anhydrous Basic Magmas  (Nimis 1995)",
     "VCELLVM195.grf", "VCELLVM1.dat", "VCELLVM195.svg", false},
    {2, "mnuVcellVM1Anh",
     "[4]   Vcell - VM1 Diagram for Anhydrous Basic Magmas  (Nimis and Ulmer 1998)",
     "VCELLVM1ANH.grf", "VCELLVM1.dat", "VCELLVM1ANH.svg", false},
    {2, "mnuVcellVM1Hyd",
     "[5]   Vcell - VM1 Diagram for Hydrous Basic Magmas (Nimis and Ulmer 1998)", "VCELLVM1HYD.grf",
     "VCELLVM1.dat", "VCELLVM1HYD.svg", false},
    {2, "mnuVcellVM1AnhHyd",
     "[6]   Vcell - VM1 Diagram for Anhydrous to Hydrous Basic Magmas (Nimis and Ulmer 1998)",
     "VCELLVM1ANHYD.grf", "VCELLVM1ANHYD.dat", "VCELLVM1ANHYD.svg", false},
    {2, "mnuVcellVM1Corr",
     "[7]   Vcell - VM1 (Corrected) Diagram (Nimis 1999)   [i.e., at 1 atm and 25 oC ]",
     "VCELLVM1CORNIM99.grf", "VCELLVM1CORNIM99.dat", "VCELLVM1CORNIM99.svg", false},
    {2, "mnuVcellVM1Nim99", "[8]   Vcell - VM1 Diagram (Nimis 1999)    [i.e., at 1 atm and 25 oC ]",
     "VCELLVM1NIM99.grf", "VCELLVM1NIM99.dat", "VCELLVM1NIM99.svg", true},
}};

// The caption without its "[n]   " prefix, as a diagram's title.
constexpr std::string_view diagramTitle(const DiagramEntry& entry) {
    std::string_view c = entry.caption;
    if (const auto close = c.find(']');
        !c.empty() && c.front() == '[' && close != std::string_view::npos) {
        c.remove_prefix(close + 1);
        while (!c.empty() && c.front() == ' ') c.remove_prefix(1);
    }
    return c;
}

// The catalogue index of a template name (exact, case-sensitive as the menu passes it).
constexpr std::optional<int> diagramIndexOfTemplate(std::string_view templateName) {
    for (int i = 0; i < kDiagramCount; ++i) {
        if (kDiagramCatalogue[static_cast<std::size_t>(i)].templateName == templateName) return i;
    }
    return std::nullopt;
}

}  // namespace kalvoren
