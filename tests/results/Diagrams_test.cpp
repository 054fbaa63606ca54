// The Graph menu and toolbar button 13 of the results screen, and the diagram window: a
// template goes to the desktop when something opens it, otherwise Kalvoren's own drawing
// of the current directory's data files appears, and can be saved and printed.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QXmlStreamReader>
#include <memory>
#include <string>
#include <vector>

#include "diagrams/DiagramCatalogue.h"
#include "platform/qt/Fakes.h"
#include "results/DiagramWindow.h"
#include "results/Form10.h"

namespace kalvoren {
namespace {

QApplication& widgetApplication() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kalvoren_results_tests";
    static char* argv[] = {name, nullptr};
    static auto* app = new QApplication(argc, argv);  // never destroyed, as in the other tests
    return *app;
}

QString qText(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// A data line as the run writes it: each field starts in the next 14-character print zone.
std::string zoneLine(const std::vector<std::string>& fields) {
    std::string line;
    std::size_t start = 0;
    for (const std::string& f : fields) {
        line.resize(start, ' ');
        line += f;
        start = (start + f.size()) / 14 * 14 + 14;
    }
    return line + "\r\n";
}

// What a parse of the SVG finds: the root element's name and the marker titles.
struct SvgSummary {
    bool wellFormed = false;
    QString root;
    QStringList markerTitles;
};

SvgSummary summarise(const QByteArray& svg) {
    SvgSummary s;
    QXmlStreamReader xml(svg);
    QString markerClass;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        if (s.root.isEmpty()) s.root = xml.name().toString();
        const QString cls = xml.attributes().value(QLatin1String("class")).toString();
        if (cls.split(QLatin1Char(' ')).contains(QStringLiteral("marker"))) markerClass = cls;
        if (xml.name() == u"title" && !markerClass.isEmpty()) {
            s.markerTitles << xml.readElementText();
            markerClass.clear();
        }
    }
    s.wellFormed = !xml.hasError();
    return s;
}

class DiagramMenuTest : public ::testing::Test {
  protected:
    FakeMessageBox messages;
    FakeClipboard clipboard;
    FakeDesktopOpener opener;
    FakeFileDialog dialog;
    QTemporaryDir folder;
    QString previousDirectory;
    std::unique_ptr<Form10> screen;

    void SetUp() override {
        widgetApplication();
        ASSERT_TRUE(folder.isValid());
        previousDirectory = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(folder.path()));
        screen = std::make_unique<Form10>(
            ResultsScreenSurroundings{messages, clipboard, opener, dialog, {}, {}});
        screen->show();
    }
    void TearDown() override {
        screen.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QDir::setCurrent(previousDirectory);
    }

    QString inFolder(const QString& name) const { return QDir(folder.path()).filePath(name); }
    void write(const QString& name, const std::string& contents) const {
        QFile f(inFolder(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contents.data(), qsizetype(contents.size()));
    }
    void writeQjData() const {
        write(QStringLiteral("QJ.dat"), zoneLine({"SampleNo", "J", "Q"}) +
                                            zoneLine({"Aug-1", "0.0500", "1.9000"}) +
                                            zoneLine({"Omph", "0.6000", "1.3000"}));
    }
    void choose(std::string_view menuItem) {
        QAction* a = screen->menuItem(std::string(menuItem).c_str());
        ASSERT_NE(a, nullptr) << menuItem;
        a->trigger();
    }
    void press13() { screen->toolButton(13)->trigger(); }
    QList<DiagramWindow*> windows() const { return screen->findChildren<DiagramWindow*>(); }
    DiagramWindow* window(int index) const {
        for (DiagramWindow* w : windows())
            if (w->catalogueIndex() == index) return w;
        return nullptr;
    }
    void trigger(DiagramWindow* w, const char* action) {
        auto* a = w->findChild<QAction*>(QString::fromLatin1(action));
        ASSERT_NE(a, nullptr) << action;
        a->trigger();
    }
};

TEST_F(DiagramMenuTest, EveryEntryWithoutATemplateShowsOurOwnDiagram) {
    for (int i = 0; i < kDiagramCount; ++i) {
        const DiagramEntry& entry = kDiagramCatalogue[static_cast<std::size_t>(i)];
        choose(entry.menuItem);
        DiagramWindow* w = window(i);
        ASSERT_NE(w, nullptr) << entry.menuItem;
        EXPECT_TRUE(w->isVisible()) << entry.menuItem;
        EXPECT_FALSE(w->isModal());
        EXPECT_EQ(w->windowTitle(), qText(diagramTitle(entry)));
        EXPECT_EQ(QDir(w->dataFolder()), QDir(folder.path()));
        const SvgSummary svg = summarise(w->svg());
        EXPECT_TRUE(svg.wellFormed) << entry.menuItem;
        EXPECT_EQ(svg.root, QStringLiteral("svg")) << entry.menuItem;
        EXPECT_TRUE(svg.markerTitles.isEmpty()) << entry.menuItem;  // no data files here
        EXPECT_TRUE(w->svg().contains("no data")) << entry.menuItem;
    }
    EXPECT_EQ(windows().size(), kDiagramCount);
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(windows()[0]->windowTitle(), QStringLiteral("Q - J Diagram (Morimoto et al. 1988)"));
}

TEST_F(DiagramMenuTest, ChoosingAgainRaisesTheSameWindowDrawnFromTheNewFiles) {
    choose("mnuQJ");
    DiagramWindow* first = window(0);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(summarise(first->svg()).markerTitles.isEmpty());
    first->close();

    writeQjData();  // a run writes the data files
    choose("mnuQJ");
    EXPECT_EQ(windows().size(), 1);
    EXPECT_EQ(window(0), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(summarise(first->svg()).markerTitles,
              QStringList({QStringLiteral("Aug-1"), QStringLiteral("Omph")}));
}

TEST_F(DiagramMenuTest, RefreshRereadsTheDataFile) {
    choose("mnuQJ");
    DiagramWindow* w = window(0);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(summarise(w->svg()).markerTitles.isEmpty());
    writeQjData();
    trigger(w, "actRefresh");
    EXPECT_EQ(summarise(w->svg()).markerTitles.size(), 2);
}

TEST_F(DiagramMenuTest, ATemplateTheDesktopOpensGetsItsBareNameAndNoWindow) {
    write(QStringLiteral("QJ.grf"), "template");
    choose("mnuQJ");
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_TRUE(opener.opened[0].isLocalFile());
    EXPECT_EQ(opener.opened[0].fileName(), QStringLiteral("QJ.grf"));
    EXPECT_EQ(QFileInfo(opener.opened[0].toLocalFile()), QFileInfo(inFolder("QJ.grf")));
    EXPECT_TRUE(windows().isEmpty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DiagramMenuTest, ATemplateNothingOpensFallsBackToOurDiagram) {
    write(QStringLiteral("WOENFS5kb.grf"), "template");
    opener.succeeds = false;
    choose("mnu5kb");
    EXPECT_EQ(opener.opened.size(), 1u);
    ASSERT_NE(window(7), nullptr);
    EXPECT_EQ(window(7)->windowTitle(),
              QStringLiteral("Di - Hd - En - Fs Quadrilateral for 5 kb (Lindsley 1983)"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DiagramMenuTest, ToolbarButton13) {
    const QString filter = QStringLiteral("Grapher files(*.grf) |*.grf");
    QDir(folder.path()).mkdir(QStringLiteral("templates"));
    write(QStringLiteral("templates/VCELLVM1NIM99.grf"), "template");
    write(QStringLiteral("templates/Mine.grf"), "template");
    struct Case {
        const char* what;
        QString answer;
        bool desktopOpens;
        std::size_t openerCalls;
        int windowIndex;  // -1: no window
        const char* messagePart;
    };
    const std::vector<Case> cases = {
        {"cancelled", QString(), true, 0, -1, nullptr},
        {"opened by the desktop", inFolder("templates/VCELLVM1NIM99.grf"), true, 1, -1, nullptr},
        {"ours, nothing opens it", inFolder("templates/VCELLVM1NIM99.grf"), false, 1, 17, nullptr},
        {"not ours, nothing opens it", inFolder("templates/Mine.grf"), false, 1, -1, "Mine.grf"},
        {"not there", inFolder("gone.grf"), true, 0, -1, "gone.grf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        opener.opened.clear();
        opener.succeeds = c.desktopOpens;
        messages.shown.clear();
        dialog.filtersShown.clear();
        dialog.answers = {c.answer};
        for (DiagramWindow* w : windows()) delete w;

        press13();
        ASSERT_EQ(dialog.filtersShown.size(), 1u);
        EXPECT_EQ(dialog.filtersShown[0], filter);
        EXPECT_FALSE(dialog.shownForSaving[0]);
        ASSERT_EQ(opener.opened.size(), c.openerCalls);
        if (c.openerCalls == 1) {
            EXPECT_EQ(opener.opened[0].toLocalFile(), c.answer);
        }
        if (c.windowIndex < 0) {
            EXPECT_TRUE(windows().isEmpty());
        } else {
            EXPECT_EQ(windows().size(), 1);
            EXPECT_NE(window(c.windowIndex), nullptr);
        }
        if (c.messagePart == nullptr) {
            EXPECT_TRUE(messages.shown.empty());
        } else {
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_TRUE(messages.shown[0].text.contains(QString::fromLatin1(c.messagePart)))
                << messages.shown[0].text.toStdString();
        }
    }
}

// ---------------------------------------------------------------- the window itself

TEST_F(DiagramMenuTest, SavesTheDrawingAsSvgAndPng) {
    writeQjData();
    choose("mnuQJ");
    DiagramWindow* w = window(0);
    ASSERT_NE(w, nullptr);

    dialog.answers = {inFolder("out.svg"), inFolder("picture"), QString()};
    trigger(w, "actSaveSvg");
    trigger(w, "actSavePng");  // no suffix given: ".png" is added
    trigger(w, "actSaveSvg");  // cancelled
    EXPECT_EQ(dialog.shownForSaving, std::vector<bool>({true, true, true}));
    EXPECT_EQ(dialog.filtersShown[0], QStringLiteral("SVG drawings(*.svg) |*.svg"));
    EXPECT_EQ(dialog.filtersShown[1], QStringLiteral("PNG pictures(*.png) |*.png"));
    EXPECT_TRUE(messages.shown.empty());

    QFile svg(inFolder("out.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray written = svg.readAll();
    EXPECT_EQ(written, w->svg());
    const SvgSummary parsed = summarise(written);
    EXPECT_TRUE(parsed.wellFormed);
    EXPECT_EQ(parsed.markerTitles.size(), 2);

    // Twice the drawing's 640 x 560 pixels.
    const QImage png(inFolder("picture.png"), "PNG");
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), QSize(1280, 1120));
    EXPECT_EQ(png.pixelColor(2, 2), QColor(Qt::white));  // the background is painted
    EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral("*.svg")}).size(), 1);
}

TEST_F(DiagramMenuTest, AFailedSaveSaysWhichFileAndKeepsTheOldOne) {
    choose("mnuQJ");
    DiagramWindow* w = window(0);
    ASSERT_NE(w, nullptr);
    write(QStringLiteral("keep.svg"), "old");
    QFile(inFolder("keep.svg")).setPermissions(QFileDevice::ReadOwner);
    const bool readOnlyHolds = !QFile(inFolder("keep.svg")).open(QIODevice::WriteOnly);

    dialog.answers = {inFolder("absent/x.svg"), inFolder("keep.svg")};
    trigger(w, "actSaveSvg");
    trigger(w, "actSaveSvg");
    ASSERT_GE(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("x.svg")));
    EXPECT_FALSE(messages.shown[0].detail.isEmpty());
    EXPECT_FALSE(QFile::exists(inFolder("absent/x.svg")));
    if (readOnlyHolds) {  // not when the tests run as root
        ASSERT_EQ(messages.shown.size(), 2u);
        EXPECT_TRUE(messages.shown[1].text.contains(QStringLiteral("keep.svg")));
        QFile kept(inFolder("keep.svg"));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), QByteArray("old"));
    }
    QFile(inFolder("keep.svg")).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(DiagramMenuTest, PrintsOntoAPage) {
    choose("mnuQJ");
    DiagramWindow* w = window(0);
    ASSERT_NE(w, nullptr);
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(inFolder("page.pdf"));
    EXPECT_EQ(w->printTo(printer), QString());
    QFile pdf(inFolder("page.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));
}

TEST_F(DiagramMenuTest, TheDrawingFitsTheWindow) {
    choose("mnuQJ");
    DiagramWindow* w = window(0);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->drawingSize(), QSize(640, 560));
    QRectF last;
    for (const QSize size : {QSize(1200, 500), QSize(500, 1200), QSize(900, 900)}) {
        w->resize(size);
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
        const QWidget* view = w->centralWidget();
        const QRectF area = w->drawingArea();
        SCOPED_TRACE(size.width());
        EXPECT_NEAR(area.width() / area.height(), 640.0 / 560.0, 1e-9);
        // One side touches the margins of 6 pixels, the other is centred.
        const bool fillsWidth = std::abs(area.width() - (view->width() - 12)) < 1e-6;
        const bool fillsHeight = std::abs(area.height() - (view->height() - 12)) < 1e-6;
        EXPECT_TRUE(fillsWidth || fillsHeight);
        EXPECT_NEAR(area.center().x(), view->width() / 2.0, 1e-6);
        EXPECT_NEAR(area.center().y(), view->height() / 2.0, 1e-6);
        EXPECT_NE(area, last);
        last = area;
    }
}

TEST_F(DiagramMenuTest, ThePointerOnAPointShowsItsSampleName) {
    writeQjData();
    choose("mnuQJ");
    DiagramWindow* w = window(0);
    ASSERT_NE(w, nullptr);
    w->resize(900, 800);
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    QWidget* view = w->centralWidget();
    const std::vector<DiagramMarker> markers = diagramMarkers(w->svg());
    ASSERT_EQ(markers.size(), 2u);
    const QRectF area = w->drawingArea();
    const double scale = area.width() / w->drawingSize().width();
    const auto tipAt = [view](QPoint pos) {
        QHelpEvent help(QEvent::ToolTip, pos, view->mapToGlobal(pos));
        QCoreApplication::sendEvent(view, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    for (const DiagramMarker& m : markers) {
        const QPoint onPoint = (area.topLeft() + m.centre * scale).toPoint();
        EXPECT_EQ(tipAt(onPoint), m.title);
    }
    tipAt(QPoint(2, 2));  // the corner holds no point: the tip goes away
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
}

// ---------------------------------------------------------------- helpers of the window

TEST(DiagramGeometryTest, FittedRectKeepsTheProportionsAndCentres) {
    struct Case {
        QSizeF drawing;
        QRectF area;
        QRectF expected;
    };
    const std::vector<Case> cases = {
        {{640, 560}, {0, 0, 1280, 560}, {320, 0, 640, 560}},  // wide: bars left and right
        {{640, 560}, {0, 0, 320, 560}, {0, 140, 320, 280}},   // tall: scale 0.5, bars above/below
        {{640, 560}, {10, 20, 1280, 1120}, {10, 20, 1280, 1120}},  // same proportions: all of it
        {{640, 560}, {0, 0, 0, 100}, {}},                          // nothing to draw into
        {{0, 0}, {0, 0, 100, 100}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(fittedRect(c.drawing, c.area), c.expected);
}

TEST(DiagramGeometryTest, MarkersAreTheShapesWithTitles) {
    const QByteArray svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\"><title>Q - J</title>"
        "<g class=\"points\"><circle class=\"marker\" cx=\"10\" cy=\"20\" r=\"4\">"
        "<title>A</title></circle>"
        "<rect class=\"marker\" x=\"0\" y=\"0\" width=\"10\" height=\"4\"><title>B &amp; C</title>"
        "</rect><polygon class=\"marker\" points=\"0,0 6,0 3,9\"><title>D</title></polygon>"
        "<rect x=\"0\" y=\"0\" width=\"5\" height=\"5\"/></g></svg>";
    const std::vector<DiagramMarker> m = diagramMarkers(svg);
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].title, QStringLiteral("A"));
    EXPECT_EQ(m[0].centre, QPointF(10, 20));
    EXPECT_EQ(m[1].title, QStringLiteral("B & C"));
    EXPECT_EQ(m[1].centre, QPointF(5, 2));
    EXPECT_EQ(m[2].title, QStringLiteral("D"));
    EXPECT_EQ(m[2].centre, QPointF(3, 3));
    EXPECT_TRUE(diagramMarkers("<not svg").empty());
}

}  // namespace
}  // namespace kalvoren
