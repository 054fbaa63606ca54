#include "results/DiagramWindow.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QImage>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStatusBar>
#include <QStringList>
#include <QSvgRenderer>
#include <QToolBar>
#include <QToolTip>
#include <QXmlStreamReader>
#include <cmath>
#include <optional>
#include <string>

#include "diagrams/DiagramCatalogue.h"
#include "diagrams/DiagramFiles.h"
#include "platform/qt/FileDialog.h"
#include "platform/qt/MessageBox.h"

namespace kalvoren {

namespace {

QString qText(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

const DiagramEntry& entryAt(int index) {
    return kDiagramCatalogue[static_cast<std::size_t>(index)];
}

std::vector<double> numbersOf(QStringView text) {
    std::vector<double> numbers;
    const QStringList parts =
        text.toString().split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
    for (const QString& p : parts) {
        bool ok = false;
        const double v = p.toDouble(&ok);
        if (ok) numbers.push_back(v);
    }
    return numbers;
}

// The centre of a marker element from its geometry attributes.
std::optional<QPointF> markerCentre(QStringView element, const QXmlStreamAttributes& a) {
    const auto number = [&a](const char* name) { return a.value(QLatin1String(name)).toDouble(); };
    if (element == u"circle") return QPointF(number("cx"), number("cy"));
    if (element == u"rect")
        return QPointF(number("x") + number("width") / 2, number("y") + number("height") / 2);
    if (element == u"polygon") {
        const std::vector<double> v = numbersOf(a.value(QLatin1String("points")));
        if (v.size() < 2) return std::nullopt;
        QPointF sum;
        const std::size_t n = v.size() / 2;
        for (std::size_t i = 0; i < n; ++i) sum += QPointF(v[2 * i], v[2 * i + 1]);
        return sum / double(n);
    }
    return std::nullopt;
}

}  // namespace

std::vector<DiagramMarker> diagramMarkers(const QByteArray& svg) {
    std::vector<DiagramMarker> markers;
    QXmlStreamReader xml(svg);
    // The shapes that hold the title being read: the document's own title has none.
    std::vector<std::optional<QPointF>> open;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"title" && !open.empty() && open.back()) {
                const QPointF centre = *open.back();
                const QString title = xml.readElementText();
                markers.push_back({centre, title});
                continue;  // readElementText consumed the end of the title
            }
            open.push_back(markerCentre(xml.name(), xml.attributes()));
        } else if (token == QXmlStreamReader::EndElement) {
            if (!open.empty()) open.pop_back();
        }
    }
    return markers;
}

QRectF fittedRect(QSizeF drawing, QRectF area) {
    if (drawing.isEmpty() || area.isEmpty()) return {};
    const double scale = std::min(area.width() / drawing.width(), area.height() / drawing.height());
    const QSizeF size = drawing * scale;
    return {area.center() - QPointF(size.width() / 2, size.height() / 2), size};
}

// ---------------------------------------------------------------- the view

// The drawing scaled to fit, on white, with the sample names as tooltips.
class DiagramView final : public QWidget {
  public:
    DiagramView(QSvgRenderer& renderer, QWidget* parent) : QWidget(parent), renderer_(renderer) {
        setMinimumSize(240, 210);
        setMouseTracking(true);
        setAutoFillBackground(false);
    }

    void setMarkers(std::vector<DiagramMarker> markers) { markers_ = std::move(markers); }

    QRectF drawingArea() const {
        return fittedRect(renderer_.viewBoxF().size(), QRectF(rect()).adjusted(6, 6, -6, -6));
    }

    QSize sizeHint() const override { return renderer_.defaultSize() + QSize(12, 12); }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (renderer_.isValid()) renderer_.render(&painter, drawingArea());
    }

    bool event(QEvent* e) override {
        if (e->type() == QEvent::ToolTip) {
            auto* help = static_cast<QHelpEvent*>(e);
            const QString text = tooltipAt(help->pos());
            if (text.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(help->globalPos(), text, this);
            return true;
        }
        return QWidget::event(e);
    }

  private:
    // The names of the markers under the pointer, nearest first; points that coincide are
    // all named.
    QString tooltipAt(QPoint pos) const {
        const QRectF area = drawingArea();
        const QRectF box = renderer_.viewBoxF();
        if (area.isEmpty() || box.isEmpty()) return {};
        const double scale = area.width() / box.width();
        const QPointF at = box.topLeft() + (QPointF(pos) - area.topLeft()) / scale;
        const double reach = 7.0 / scale;  // 7 screen pixels around the pointer
        QStringList names;
        for (const DiagramMarker& m : markers_) {
            const QPointF d = m.centre - at;
            if (std::hypot(d.x(), d.y()) <= reach && !names.contains(m.title)) names << m.title;
        }
        return names.join(QLatin1Char('\n'));
    }

    QSvgRenderer& renderer_;
    std::vector<DiagramMarker> markers_;
};

// ---------------------------------------------------------------- the window

DiagramWindow::DiagramWindow(int catalogueIndex, QString dataFolder, FileDialog& dialog,
                             MessageBox& messages, QWidget* parent)
    : QMainWindow(parent),
      index_(catalogueIndex >= 0 && catalogueIndex < kDiagramCount ? catalogueIndex : 0),
      dataFolder_(std::move(dataFolder)),
      dialog_(dialog),
      messages_(messages) {
    const DiagramEntry& entry = entryAt(index_);
    setObjectName(QStringLiteral("DiagramWindow_") + qText(entry.menuItem));
    setWindowTitle(qText(diagramTitle(entry)));
    renderer_ = new QSvgRenderer(this);
    view_ = new DiagramView(*renderer_, this);
    view_->setObjectName(QStringLiteral("DiagramView"));
    setCentralWidget(view_);
    source_ = new QLabel(this);
    source_->setObjectName(QStringLiteral("DataFileLabel"));
    statusBar()->addWidget(source_, 1);
    buildMenus();
    refresh();
    resize(view_->sizeHint() + QSize(0, 90));
}

DiagramWindow::~DiagramWindow() = default;

void DiagramWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Diagram"));
    file->setObjectName(QStringLiteral("mnuDiagram"));
    QToolBar* tools = addToolBar(QStringLiteral("Diagram"));
    tools->setObjectName(QStringLiteral("DiagramToolbar"));
    tools->setMovable(false);
    tools->setToolButtonStyle(Qt::ToolButtonTextOnly);

    const auto add = [this, file, tools](const char* name, const QString& text,
                                         const QKeySequence& key, void (DiagramWindow::*slot)(),
                                         bool onToolbar) {
        auto* action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, slot);
        file->addAction(action);
        if (onToolbar) tools->addAction(action);
        return action;
    };
    add("actRefresh", QStringLiteral("&Refresh"), QKeySequence::Refresh, &DiagramWindow::refresh,
        true);
    file->addSeparator();
    tools->addSeparator();
    add("actSaveSvg", QStringLiteral("Save as &SVG..."), QKeySequence::Save,
        &DiagramWindow::saveAsSvg, true);
    add("actSavePng", QStringLiteral("Save as P&NG..."), QKeySequence(), &DiagramWindow::saveAsPng,
        true);
    add("actPrint", QStringLiteral("&Print..."), QKeySequence::Print, &DiagramWindow::print, true);
    file->addSeparator();
    auto* close = new QAction(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("actClose"));
    close->setShortcut(QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);
    file->addAction(close);
}

QSize DiagramWindow::drawingSize() const {
    return renderer_->defaultSize();
}

QRectF DiagramWindow::drawingArea() const {
    return view_->drawingArea();
}

void DiagramWindow::refresh() {
    const DiagramEntry& entry = entryAt(index_);
    const std::string text =
        renderDiagram(index_, std::filesystem::path(QFile::encodeName(dataFolder_).toStdString()));
    svg_ = QByteArray(text.data(), qsizetype(text.size()));
    renderer_->load(svg_);
    view_->setMarkers(diagramMarkers(svg_));
    source_->setText(QStringLiteral("Drawn from ") +
                     QDir::toNativeSeparators(QDir(dataFolder_).filePath(qText(entry.dataFile))));
    view_->update();
}

QString DiagramWindow::writeSvg(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    if (file.write(svg_) != svg_.size()) return file.errorString();
    if (!file.commit()) return file.errorString();
    return {};
}

QString DiagramWindow::writePng(const QString& path) const {
    if (!renderer_->isValid()) return QStringLiteral("the diagram could not be drawn");
    QImage image(pngSize(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return QStringLiteral("not enough memory for the picture");
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        renderer_->render(&painter, QRectF(QPointF(0, 0), QSizeF(image.size())));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        return file.error() != QFileDevice::NoError
                   ? file.errorString()
                   : QStringLiteral("the picture could not be encoded");
    }
    if (!file.commit()) return file.errorString();
    return {};
}

QString DiagramWindow::printTo(QPrinter& printer) const {
    if (!renderer_->isValid()) return QStringLiteral("the diagram could not be drawn");
    QPainter painter;
    if (!painter.begin(&printer)) return QStringLiteral("the printer could not be started");
    // The painter's origin is the printable area's corner.
    const QRectF page(QPointF(0, 0),
                      printer.pageLayout().paintRectPixels(printer.resolution()).size());
    renderer_->render(&painter, fittedRect(renderer_->viewBoxF().size(), page));
    if (!painter.end()) return QStringLiteral("the page could not be finished");
    return {};
}

void DiagramWindow::saveAs(const QString& filter, const QString& suffix,
                           QString (DiagramWindow::*write)(const QString&) const) {
    QString path = dialog_.chooseFileToSave(this, filter);
    if (path.isEmpty()) return;  // cancelled
    if (QFileInfo(path).suffix().isEmpty()) path += QLatin1Char('.') + suffix;
    const QString why = (this->*write)(path);
    if (!why.isEmpty())
        messages_.showMessage(this,
                              QStringLiteral("The diagram could not be saved as %1.")
                                  .arg(QDir::toNativeSeparators(path)),
                              why);
}

void DiagramWindow::saveAsSvg() {
    saveAs(QStringLiteral("SVG drawings(*.svg) |*.svg"), QStringLiteral("svg"),
           &DiagramWindow::writeSvg);
}

void DiagramWindow::saveAsPng() {
    saveAs(QStringLiteral("PNG pictures(*.png) |*.png"), QStringLiteral("png"),
           &DiagramWindow::writePng);
}

void DiagramWindow::print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(windowTitle());
    if (drawingSize().width() > drawingSize().height())
        printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Print ") + windowTitle());
    if (dialog.exec() != QDialog::Accepted) return;
    const QString why = printTo(printer);
    if (!why.isEmpty())
        messages_.showMessage(this, QStringLiteral("The diagram could not be printed."), why);
}

// ---------------------------------------------------------------- finding the window

DiagramWindow& showDiagramWindow(QWidget& owner, int catalogueIndex, const QString& dataFolder,
                                 FileDialog& dialog, MessageBox& messages) {
    DiagramWindow* window = nullptr;
    for (DiagramWindow* w :
         owner.findChildren<DiagramWindow*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w->catalogueIndex() == catalogueIndex) {
            window = w;
            break;
        }
    }
    if (window == nullptr) {
        window = new DiagramWindow(catalogueIndex, dataFolder, dialog, messages, &owner);
    } else {
        // The data files may have been rewritten by a run since the window was drawn.
        window->setDataFolder(dataFolder);
        window->refresh();
    }
    window->showNormal();
    window->raise();
    window->activateWindow();
    return *window;
}

}  // namespace kalvoren
