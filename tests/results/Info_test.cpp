// The About and publication boxes, the help guide and the program's own files.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QUrlQuery>
#include <QXmlStreamReader>
#include <algorithm>
#include <string>
#include <vector>

#include "classification/PlotDataFile.h"
#include "classification/ResultRow.h"
#include "diagrams/DiagramCatalogue.h"
#include "entry/AnalysisTable.h"
#include "platform/qt/Fakes.h"
#include "platform/qt/ProgramFolder.h"
#include "results/Form4.h"
#include "results/Form8.h"
#include "results/HelpGuide.h"

namespace kalvoren {
namespace {

// One application object for every widget test of the binary, whoever asks first.
QApplication& application() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kalvoren_results_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

// Closes whatever box a test left open and lets Qt delete it.
void closeBoxes() {
    if (Form8* about = aboutBox()) about->close();
    if (Form4* journal = publicationBox()) journal->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

template <class Box>
int openCount() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<Box*>(w) != nullptr && w->isVisible()) ++n;
    return n;
}

QString sourceFile(const char* relative) {
    return QDir(QStringLiteral(KALVOREN_SOURCE_DIR)).filePath(QString::fromLatin1(relative));
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

class InfoBoxes : public ::testing::Test {
  protected:
    void SetUp() override { application(); }
    void TearDown() override { closeBoxes(); }
    FakeDesktopOpener opener;
};

// ---------------------------------------------------------------- the e-mail link

TEST(AboutMailto, LinkCarriesSubjectAndTheMomentUnencoded) {
    application();
    const QDateTime when(QDate(2024, 3, 5), QTime(14, 7, 9));
    EXPECT_EQ(aboutMailtoLink(when),
              QStringLiteral("mailto:kalvoren@example.org?subject=About Kalvoren"
                             "&body=Kalvoren; Tue Mar 5 14:07:09 2024"));
}

TEST_F(InfoBoxes, EmailButtonHandsTheLinkToTheDesktop) {
    showAboutBox(nullptr, opener);
    ASSERT_NE(aboutBox(), nullptr);
    aboutBox()->mailButton()->click();

    ASSERT_EQ(opener.opened.size(), 1u);
    const QUrl& link = opener.opened.front();
    EXPECT_EQ(link.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(link.path(), QStringLiteral("kalvoren@example.org"));
    const QUrlQuery query(link);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
              QStringLiteral("About Kalvoren"));
    EXPECT_TRUE(query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded)
                    .startsWith(QStringLiteral("Kalvoren; ")));
    EXPECT_TRUE(aboutBox()->mailNote()->isHidden());
}

TEST_F(InfoBoxes, WithoutAnEmailProgramTheBoxGivesTheAddress) {
    opener.succeeds = false;
    showAboutBox(nullptr, opener);
    aboutBox()->mailButton()->click();
    EXPECT_FALSE(aboutBox()->mailNote()->isHidden());
    EXPECT_TRUE(aboutBox()->mailNote()->text().contains(QStringLiteral("kalvoren@example.org")));
}

// ---------------------------------------------------------------- the About box

TEST_F(InfoBoxes, AboutBoxShowsCaptionNameVersionAndDescription) {
    showAboutBox(nullptr, opener);
    Form8* box = aboutBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("A b o u t"));
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());

    const QStringList lines = box->nameLabel()->text().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Kalvoren")));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("Version 1.07")));
    EXPECT_EQ(lines[1], QStringLiteral("The Kalvoren developers"));
    EXPECT_EQ(lines[2], QStringLiteral("kalvoren@example.org"));

    // Every blank counts, the five leading ones and the trailing one included.
    EXPECT_EQ(box->descriptionLabel()->text(),
              QStringLiteral(
                  "     Kalvoren  estimates electron-microprobe and wet-chemical  pyroxene "
                  "analyses.  The program  allocates  calculated anions into the T-M1-M2 sites "
                  "and classifies pyroxenes  according to the IMA report (1988).  It is "
                  "developed to estimate end-members, molar fractions, end-member activities, "
                  "components and activities, single-clinopyroxene and two-pyroxene "
                  "thermobarometers, as well as graphical two-pyroxene thermometers. "));

    struct Button {
        QPushButton* button;
        const char* caption;
        const char* tip;
    };
    for (const Button& b : {Button{box->okButton(), "OK", "Close"},
                            Button{box->mailButton(), "E-mail", "Send e-mail to author"},
                            Button{box->publishedInButton(), "Published in", ""}}) {
        EXPECT_EQ(b.button->text(), QString::fromLatin1(b.caption));
        EXPECT_EQ(b.button->toolTip(), QString::fromLatin1(b.tip)) << b.caption;
    }
    EXPECT_EQ(box->picture()->toolTip(), QStringLiteral("Spodumene (Kunzite)"));
}

TEST_F(InfoBoxes, AboutTwiceShowsOneBox) {
    QWidget screen;
    showAboutBox(&screen, opener);
    Form8* first = aboutBox();
    showAboutBox(&screen, opener);
    EXPECT_EQ(aboutBox(), first);
    EXPECT_EQ(openCount<Form8>(), 1);
}

TEST_F(InfoBoxes, OkUnloadsTheBoxAndAboutMakesANewOne) {
    showAboutBox(nullptr, opener);
    aboutBox()->okButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(aboutBox(), nullptr);
    EXPECT_EQ(openCount<Form8>(), 0);

    showAboutBox(nullptr, opener);
    EXPECT_NE(aboutBox(), nullptr);
    EXPECT_EQ(openCount<Form8>(), 1);
}

// ---------------------------------------------------------------- the publication box

TEST_F(InfoBoxes, PublishedInOpensTheJournalBoxWhichOutlivesTheAboutBox) {
    QWidget screen;
    showAboutBox(&screen, opener);
    aboutBox()->publishedInButton()->click();
    Form4* journal = publicationBox();
    ASSERT_NE(journal, nullptr);
    EXPECT_TRUE(journal->isVisible());
    EXPECT_FALSE(journal->isModal());

    aboutBox()->okButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(aboutBox(), nullptr);
    EXPECT_EQ(publicationBox(), journal);
    EXPECT_TRUE(journal->isVisible());

    journal->closeButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(publicationBox(), nullptr);
}

TEST_F(InfoBoxes, JournalBoxListsEveryPublicationOnce) {
    Form4* journal = showPublicationBox(nullptr);
    EXPECT_EQ(showPublicationBox(nullptr), journal);
    EXPECT_EQ(openCount<Form4>(), 1);

    EXPECT_EQ(journal->windowTitle(), QStringLiteral("J o u r n a l"));
    EXPECT_EQ(journal->picture()->toolTip(), QStringLiteral("Pyroxene"));
    EXPECT_EQ(journal->closeButton()->text(), QStringLiteral("Close"));
    EXPECT_FALSE(journal->publisherLabel()->text().isEmpty());

    const QString list = journal->referenceLabel()->text();
    for (const MethodPublication& p : methodPublications()) {
        EXPECT_EQ(list.count(QString::fromUtf8(p.citation).toHtmlEscaped()), 1) << p.shortName;
    }
}

// ---------------------------------------------------------------- the program's folder

TEST(ProgramFolder, FindsTheHelpGuideAndExampleInTheSourceTree) {
    application();
    EXPECT_EQ(programFile(QStringLiteral("help/index.html")),
              QDir::cleanPath(sourceFile("docs/help/index.html")));
    EXPECT_EQ(programFile(QStringLiteral("examples/example.pyx")),
              QDir::cleanPath(sourceFile("examples/example.pyx")));
}

TEST(ProgramFolder, NoFileOutsideTheDataFolder) {
    application();
    for (const char* path : {"help/no-such-page.html", "", "../CMakeLists.txt",
                             "help/../../CMakeLists.txt", "/etc/hostname", "CMakeLists.txt"}) {
        EXPECT_TRUE(programFile(QString::fromLatin1(path)).isEmpty()) << path;
    }
}

TEST(ProgramFolder, AFileBesideTheExecutableComesFirst) {
    application();
    EXPECT_EQ(QDir::cleanPath(programFolder()),
              QDir::cleanPath(QCoreApplication::applicationDirPath()));
    // A name of this process only: other tests may look up the shipped files meanwhile.
    const QString rel =
        QStringLiteral("examples/probe-%1.pyx").arg(QCoreApplication::applicationPid());
    EXPECT_TRUE(programFile(rel).isEmpty());

    const QDir exeDir(programFolder());
    ASSERT_TRUE(exeDir.mkpath(QStringLiteral("examples")));
    const QString beside = exeDir.filePath(rel);
    {
        QFile probe(beside);
        ASSERT_TRUE(probe.open(QIODevice::WriteOnly));
        probe.write("\"\"\r\n");
    }
    const QString found = programFile(rel);
    QFile::remove(beside);
    exeDir.rmdir(QStringLiteral("examples"));  // only when nothing else is in it
    EXPECT_EQ(found, QDir::cleanPath(beside));
}

TEST_F(InfoBoxes, HelpGuideOpensAsALocalFile) {
    ASSERT_TRUE(openHelpGuide(opener));
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened.front(), QUrl::fromLocalFile(sourceFile("docs/help/index.html")));

    opener.succeeds = false;
    EXPECT_FALSE(openHelpGuide(opener));
}

// ---------------------------------------------------------------- the guide's text

// The guide's visible text: tags removed, the entities it uses for markup characters
// decoded, runs of white space made one blank.
QString guideText(const QString& html) {
    QString text = html;
    text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text.simplified();
}

QString collapsed(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())).simplified();
}

class HelpGuide : public ::testing::Test {
  protected:
    void SetUp() override {
        application();
        path = helpGuidePath();
        ASSERT_FALSE(path.isEmpty());
        html = QString::fromUtf8(readAll(path));
        ASSERT_FALSE(html.isEmpty());
        text = guideText(html);
    }
    QString path, html, text;
};

TEST_F(HelpGuide, IsWellFormedHtmlWithNothingFetchedFromOutside) {
    EXPECT_TRUE(html.startsWith(QStringLiteral("<!DOCTYPE html>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<html lang=\"en\">")));
    EXPECT_TRUE(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    EXPECT_TRUE(html.contains(QStringLiteral("<title>")));

    // Every non-void element is closed in order.
    static const QStringList voidElements{QStringLiteral("meta"), QStringLiteral("link"),
                                          QStringLiteral("br"), QStringLiteral("img")};
    QStringList open;
    QStringList ids;
    QStringList references;
    const QRegularExpression tag(QStringLiteral("<(/?)([a-zA-Z][a-zA-Z0-9]*)([^>]*)>"));
    const QRegularExpression attribute(QStringLiteral("\\b(id|href|src)=\"([^\"]*)\""));
    for (auto m = tag.globalMatch(html); m.hasNext();) {
        const auto t = m.next();
        const QString name = t.captured(2).toLower();
        if (t.captured(1).isEmpty()) {
            for (auto a = attribute.globalMatch(t.captured(3)); a.hasNext();) {
                const auto at = a.next();
                (at.captured(1) == QStringLiteral("id") ? ids : references) << at.captured(2);
            }
            if (!voidElements.contains(name)) open << name;
        } else {
            ASSERT_FALSE(open.isEmpty()) << "stray </" << name.toStdString() << ">";
            ASSERT_EQ(open.takeLast(), name);
        }
    }
    EXPECT_TRUE(open.isEmpty()) << open.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(ids.removeDuplicates(), 0);

    const QDir folder = QFileInfo(path).dir();
    for (const QString& ref : references) {
        if (ref.startsWith(QLatin1Char('#'))) {
            EXPECT_TRUE(ids.contains(ref.mid(1))) << ref.toStdString();
        } else if (!ref.startsWith(QStringLiteral("mailto:"))) {
            EXPECT_FALSE(ref.contains(QStringLiteral("//"))) << ref.toStdString();
            EXPECT_TRUE(folder.exists(ref)) << ref.toStdString();
        }
    }
}

TEST_F(HelpGuide, NamesEveryResultColumnAndEntryColumn) {
    for (std::size_t i = 0; i < kResultHeadings.size(); ++i) {
        EXPECT_TRUE(text.contains(collapsed(kResultHeadings[i]))) << "result column " << i;
    }
    for (std::string_view heading : kEntryHeadings) {
        EXPECT_TRUE(text.contains(collapsed(heading))) << heading;
    }
}

TEST_F(HelpGuide, NamesEveryOptionDataFileDiagramAndPublication) {
    for (const char* caption :
         {"with total 4 cations", "without total 4 cations",
          "Fe3+ estimation from Droop (1987) [Fe3+ = 12 * (1 - (4 / Total cations))] (Maximum)",
          "Fe3+ estimation from Papike et al. (1974) [Fe3+ = AlIV + Na - AlVI - Cr -2 * Ti] "
          "(Minimum)",
          "Fe3+ estimation (This study) [(Maximum+Minimum)/2] (Average)",
          "Clinopyroxene estimation for Augite (Lindsley 1983)",
          "Clinopyroxene estimation for Pigeonite (Lindsley 1983)",
          "[Wo-En-Fs] end-members (%) (including Ca, Mg, Fe2+)",
          "[Wo-En-Fs] end-members (%) (including Ca, Mg, Fetot+ Mn)",
          "Correction factor (-0.97) for Bertrand and Mercier's (1985/86) two-pyroxene "
          "geothermometer",
          "Use Mg-Fe order-disorder for molar fractions"}) {
        EXPECT_TRUE(text.contains(QString::fromLatin1(caption))) << caption;
    }
    for (std::string_view file : kPlotDataFileNames) {
        EXPECT_TRUE(text.contains(collapsed(file))) << file;
    }
    for (const DiagramEntry& d : kDiagramCatalogue) {
        EXPECT_TRUE(text.contains(collapsed(d.caption))) << d.caption;
        EXPECT_TRUE(text.contains(collapsed(d.templateName))) << d.templateName;
    }
    for (const MethodPublication& p : methodPublications()) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(p.shortName))) << p.shortName;
    }
    EXPECT_TRUE(
        text.contains(QStringLiteral("kalvoren-calc [--mark NAME]... [-o FILE] [--plot-data DIR] "
                                     "[--diagrams DIR]")));
}

// ---------------------------------------------------------------- pictures and desktop files

TEST(ProgramPictures, EveryResourceOfTheQrcIsADrawingOrTheIcon) {
    application();
    QFile qrc(sourceFile("app/resources/kalvoren.qrc"));
    ASSERT_TRUE(qrc.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&qrc);
    QString prefix;
    std::vector<QString> files;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QStringLiteral("qresource"))
            prefix = xml.attributes().value(QStringLiteral("prefix")).toString();
        else if (xml.name() == QStringLiteral("file"))
            files.push_back(xml.readElementText());
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(prefix, QStringLiteral("/kalvoren"));

    for (const char* needed : {"icon.svg", "icon-256.png", "crystal-cpx.svg", "crystal-opx.svg",
                               "crystal-spodumene.svg"}) {
        EXPECT_NE(std::find(files.begin(), files.end(), QString::fromLatin1(needed)), files.end())
            << needed;
    }
    for (const QString& file : files) {
        const QString path = sourceFile("app/resources/") + file;
        if (file.endsWith(QStringLiteral(".svg"))) {
            const QSvgRenderer drawing(path);
            EXPECT_TRUE(drawing.isValid()) << file.toStdString();
            EXPECT_FALSE(drawing.defaultSize().isEmpty()) << file.toStdString();
        } else {
            const QImage image(path);
            EXPECT_EQ(image.size(), QSize(256, 256)) << file.toStdString();
        }
    }
}

TEST(DesktopEntry, OpensPyxFilesFromTheMenu) {
    const QString entry = QString::fromUtf8(readAll(sourceFile("app/kalvoren.desktop")));
    const QStringList lines = entry.split(QLatin1Char('\n'));
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), QStringLiteral("[Desktop Entry]"));
    for (const char* line :
         {"Type=Application", "Name=Kalvoren", "Exec=kalvoren %f", "Icon=kalvoren",
          "MimeType=application/x-kalvoren-pyx;", "Categories=Science;Education;"}) {
        EXPECT_TRUE(lines.contains(QString::fromLatin1(line))) << line;
    }

    const QString mime = QString::fromUtf8(readAll(sourceFile("app/kalvoren-pyx.xml")));
    EXPECT_TRUE(mime.contains(QStringLiteral("<mime-type type=\"application/x-kalvoren-pyx\">")));
    EXPECT_TRUE(mime.contains(QStringLiteral("<glob pattern=\"*.pyx\"")));
}

}  // namespace
}  // namespace kalvoren
