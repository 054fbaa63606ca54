#include "results/Form4.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <array>

#include "platform/qt/Picture.h"

namespace kalvoren {

namespace {

constexpr std::array<MethodPublication, 25> kPublications{{
    {"Morimoto et al. (1988)",
     "Morimoto, N., Fabries, J., Ferguson, A.K., Ginzburg, I.V., Ross, M., Seifert, F.A., "
     "Zussman, J., Aoki, K. and Gottardi, G. (1988) Nomenclature of pyroxenes. Mineralogical "
     "Magazine 52, 535-550.",
     "IMA 1988 groups, species names and adjectival modifiers; Q-J, Wo-En-Fs and Q-Jd-Ae "
     "diagrams"},
    {"Rock (1990)",
     "Rock, N.M.S. (1990) The International Mineralogical Association (IMA/CNMMN) pyroxene "
     "nomenclature scheme: computerization and its consequences. Mineralogy and Petrology 43, "
     "99-119.",
     "Wo-En-Fs and Q-Jd-Ae classification diagrams"},
    {"Droop (1987)",
     "Droop, G.T.R. (1987) A general equation for estimating Fe3+ concentrations in "
     "ferromagnesian silicates and oxides from microprobe analyses, using stoichiometric "
     "criteria. Mineralogical Magazine 51, 431-435.",
     "Fe3+ estimation (maximum)"},
    {"Papike et al. (1974)",
     "Papike, J.J., Cameron, K.L. and Baldwin, K. (1974) Amphiboles and pyroxenes: "
     "characterization of other than quadrilateral components and estimates of ferric iron "
     "from microprobe data. Geological Society of America Abstracts with Programs 6, "
     "1053-1054.",
     "Fe3+ estimation (minimum); Ti-Na-Al(IV) diagram"},
    {"Lindsley (1983)",
     "Lindsley, D.H. (1983) Pyroxene thermometry. American Mineralogist 68, 477-493.",
     "projection of augite and pigeonite for the graphical two-pyroxene thermometer; "
     "Di-Hd-En-Fs quadrilaterals"},
    {"Nimis (1995)",
     "Nimis, P. (1995) A clinopyroxene geobarometer for basaltic systems based on "
     "crystal-structure modeling. Contributions to Mineralogy and Petrology 121, 115-125.",
     "barometer PN95-BS; cell and M1 volumes"},
    {"Nimis and Ulmer (1998)",
     "Nimis, P. and Ulmer, P. (1998) Clinopyroxene geobarometry of magmatic rocks. Part 1: An "
     "expanded structural geobarometer for anhydrous and hydrous, basic and ultrabasic "
     "systems. Contributions to Mineralogy and Petrology 133, 122-135.",
     "barometers PNU98-BA and PNU98-BH; Vcell-VM1 diagrams"},
    {"Nimis (1999)",
     "Nimis, P. (1999) Clinopyroxene geobarometry of magmatic rocks. Part 2. Structural "
     "geobarometers for basic to acid, tholeiitic and mildly alkaline magmatic systems. "
     "Contributions to Mineralogy and Petrology 135, 62-74.",
     "barometers PN99-TH and PN99-MA; corrected Vcell-VM1 diagrams"},
    {"Nimis and Taylor (2000)",
     "Nimis, P. and Taylor, W.R. (2000) Single clinopyroxene thermobarometry for garnet "
     "peridotites. Part I. Calibration and testing of a Cr-in-Cpx barometer and an "
     "enstatite-in-Cpx thermometer. Contributions to Mineralogy and Petrology 139, 541-554.",
     "barometer PNT00 and thermometer TNT00"},
    {"Putirka (2008)",
     "Putirka, K.D. (2008) Thermometers and barometers for volcanic systems. Reviews in "
     "Mineralogy and Geochemistry 69, 61-120.",
     "PP08Eq32a, TP08Eq32d, PP08-1, PP08-2, TP(1)08 and TP(2)08"},
    {"Bertrand and Mercier (1985)",
     "Bertrand, P. and Mercier, J.-C.C. (1985) The mutual solubility of coexisting ortho- and "
     "clinopyroxene: toward an absolute geothermometer for the natural system? Earth and "
     "Planetary Science Letters 76, 109-122.",
     "thermometers TBM85/86-Cpx and TBM85/86-Opx-Cpx, and its correction factor"},
    {"Mercier et al. (1984)",
     "Mercier, J.-C.C., Benoit, V. and Girardeau, J. (1984) Equilibrium state of "
     "diopside-bearing harzburgites from ophiolites: geobarometric and geodynamic "
     "implications. Contributions to Mineralogy and Petrology 85, 391-403.",
     "barometers PM84-1 and PM84-2 (the best attribution we know)"},
    {"Wood and Banno (1973)",
     "Wood, B.J. and Banno, S. (1973) Garnet-orthopyroxene and orthopyroxene-clinopyroxene "
     "relationships in simple and complex systems. Contributions to Mineralogy and Petrology "
     "42, 109-124.",
     "thermometer TWB73"},
    {"Wells (1977)",
     "Wells, P.R.A. (1977) Pyroxene thermometry in simple and complex systems. Contributions "
     "to Mineralogy and Petrology 62, 129-139.",
     "thermometer TW77"},
    {"Nickel and Brey (1984)",
     "Nickel, K.G. and Brey, G.P. (1984) Subsolidus orthopyroxene-clinopyroxene systematics "
     "in the system CaO-MgO-SiO2 to 60 kb: a re-evaluation of the regular solution model. "
     "Contributions to Mineralogy and Petrology 87, 35-42.",
     "thermometers TNB(A1)84, TNB(A2)84, TNB(B1)84 and TNB(B2)84"},
    {"Nickel et al. (1985)",
     "Nickel, K.G., Brey, G.P. and Kogarko, L. (1985) Orthopyroxene-clinopyroxene equilibria "
     "in the system CaO-MgO-Al2O3-SiO2 (CMAS): new experimental results and implications for "
     "two-pyroxene thermometry. Contributions to Mineralogy and Petrology 91, 44-53.",
     "thermometer TN85 (Ca and Al of both pyroxenes; the best attribution we know)"},
    {"Carlson and Lindsley (1988)",
     "Carlson, W.D. and Lindsley, D.H. (1988) Thermochemistry of pyroxenes on the join "
     "Mg2Si2O6-CaMgSi2O6. American Mineralogist 73, 242-252.",
     "thermometers TCL(A)88 and TCL(B)88"},
    {"The 1989 exchange calibration (TSJ89)",
     "The enstatite- and diopside-exchange calibration of 1989 to which the labels TSJ(1)89 "
     "and TSJ(2)89 refer. We could not confirm the publication and therefore give no "
     "reference.",
     "thermometers TSJ(1)89 and TSJ(2)89"},
    {"Brey and K\xC3\xB6hler (1990)",
     "Brey, G.P. and K\xC3\xB6hler, T. (1990) Geothermobarometry in four-phase lherzolites II. "
     "New thermobarometers, and practical assessment of existing thermobarometers. Journal of "
     "Petrology 31, 1353-1378.",
     "thermometers TBK90-Ca-in-Opx-Cpx, TBK90-Na-in-Opx-Cpx and TBK90-Ca-in-Opx"},
    {"Taylor (1998)",
     "Taylor, W.R. (1998) An experimental test of some geothermometer and geobarometer "
     "formulations for upper mantle peridotites with application to the thermobarometry of "
     "fertile lherzolite and garnet websterite. Neues Jahrbuch f\xC3\xBCr Mineralogie, "
     "Abhandlungen 172, 381-408.",
     "thermometer TT98"},
    {"Nimis and Gr\xC3\xBCtter (2010)",
     "Nimis, P. and Gr\xC3\xBCtter, H. (2010) Internally consistent geothermometers for garnet "
     "peridotites and pyroxenites. Contributions to Mineralogy and Petrology 159, 411-427.",
     "thermometer TNG10-Ca-in-Opx"},
    {"Dal Negro et al. (1982)",
     "Dal Negro, A., Carbonin, S., Molin, G.M., Cundari, A. and Piccirillo, E.M. (1982) "
     "Intracrystalline cation distribution in natural clinopyroxenes of tholeiitic, "
     "transitional, and alkaline basaltic rocks. In: Saxena, S.K. (ed.) Advances in Physical "
     "Geochemistry 2, Springer, New York, 117-150.",
     "thermometer TDN82 (Mg-Fe2+ partitioning between M1 and M2; the best attribution we "
     "know)"},
    {"Molin and Zanazzi (1991)",
     "Molin, G. and Zanazzi, P.F. (1991) Intracrystalline Fe2+-Mg ordering in augite: "
     "experimental study and geothermometric applications. European Journal of Mineralogy 3, "
     "863-875.",
     "thermometer TMZ91 (the best attribution we know)"},
    {"Aoki and Shiba (1973)",
     "Aoki, K. and Shiba, I. (1973) Pyroxenes from lherzolite inclusions of Itinome-gata, "
     "Japan. Lithos 6, 41-51.",
     "Al(VI)-Al(IV) diagram"},
    {"Poldervaart and Hess (1951)",
     "Poldervaart, A. and Hess, H.H. (1951) Pyroxenes in the crystallization of basaltic "
     "magma. Journal of Geology 59, 472-489.",
     "Wo-(clino)En-(clino)Fs diagram"},
}};

QString referenceListHtml() {
    QString html = QStringLiteral(
        "<p><b>Kalvoren implements the methods of these "
        "publications:</b></p><ul>");
    for (const MethodPublication& p : kPublications) {
        html += QStringLiteral("<li>") + QString::fromUtf8(p.citation).toHtmlEscaped() +
                QStringLiteral("<br><i>") + QString::fromUtf8(p.usedFor).toHtmlEscaped() +
                QStringLiteral("</i></li>");
    }
    html += QStringLiteral("</ul>");
    return html;
}

QPointer<Form4> openBox;

}  // namespace

std::span<const MethodPublication> methodPublications() {
    return kPublications;
}

Form4::Form4(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QString::fromLatin1(kPublicationCaption));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    image1_ = new QLabel(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setToolTip(QStringLiteral("Pyroxene"));
    image1_->setPixmap(svgPicture(QStringLiteral(":/kalvoren/crystal-cpx.svg"), {90, 144}));
    image1_->setMinimumSize(90, 144);
    image1_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setTextFormat(Qt::RichText);
    label1_->setWordWrap(true);
    label1_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label1_->setText(referenceListHtml());
    label1_->setMargin(6);

    auto* scroll = new QScrollArea(this);
    scroll->setWidget(label1_);
    scroll->setWidgetResizable(true);
    scroll->setMinimumSize(520, 360);

    label2_ = new QLabel(QString::fromLatin1(kPublisherLine), this);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setWordWrap(true);

    auto* frame1 = new QFrame(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setFrameShape(QFrame::StyledPanel);
    auto* frameLayout = new QHBoxLayout(frame1);
    frameLayout->addWidget(image1_);
    auto* textColumn = new QVBoxLayout;
    textColumn->addWidget(scroll, 1);
    textColumn->addWidget(label2_);
    frameLayout->addLayout(textColumn, 1);

    command1_ = new QPushButton(QStringLiteral("Close"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setDefault(true);
    connect(command1_, &QPushButton::clicked, this, &Form4::Command1_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(command1_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame1, 1);
    layout->addLayout(buttons);
}

void Form4::Command1_Click() {
    close();
}

Form4* showPublicationBox(QWidget* parent) {
    if (openBox.isNull()) openBox = new Form4(parent);
    openBox->show();
    openBox->raise();
    openBox->activateWindow();
    return openBox.data();
}

Form4* publicationBox() {
    return openBox.data();
}

}  // namespace kalvoren
