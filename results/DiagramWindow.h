#pragma once
// A window showing one of the Graph menu's diagrams as Kalvoren draws it from the data
// files of a folder: fitted to the window, sample names as tooltips, saved as SVG or PNG,
// printed, and redrawn on Refresh after a new run. One window per diagram, owned by the
// results screen; it never blocks the screen.

#include <QByteArray>
#include <QMainWindow>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <vector>

class QLabel;
class QPrinter;
class QSvgRenderer;

namespace kalvoren {

class FileDialog;
class MessageBox;

// A data point of the drawing: its centre in the drawing's coordinates and its tooltip.
struct DiagramMarker {
    QPointF centre;
    QString title;
};

// The markers (elements with a <title> of their own) of an SVG drawing.
std::vector<DiagramMarker> diagramMarkers(const QByteArray& svg);

// The largest rectangle of `drawing`'s proportions centred in `area`.
QRectF fittedRect(QSizeF drawing, QRectF area);

class DiagramView;

class DiagramWindow final : public QMainWindow {
    Q_OBJECT
  public:
    // Draws diagram `catalogueIndex` (0 to 17) from the data files in `dataFolder`.
    DiagramWindow(int catalogueIndex, QString dataFolder, FileDialog& dialog, MessageBox& messages,
                  QWidget* parent = nullptr);
    ~DiagramWindow() override;

    int catalogueIndex() const { return index_; }
    const QString& dataFolder() const { return dataFolder_; }
    void setDataFolder(const QString& folder) { dataFolder_ = folder; }
    const QByteArray& svg() const { return svg_; }
    // The drawing's size in pixels at 100 %.
    QSize drawingSize() const;
    // Where the drawing sits in the window now, in the view's coordinates.
    QRectF drawingArea() const;
    // The size of a saved PNG: twice the drawing's size, for print-quality pictures.
    QSize pngSize() const { return drawingSize() * 2; }

    // Writing without asking: an empty string on success, else why it failed. An existing
    // file is replaced only when the new one has been written completely.
    QString writeSvg(const QString& path) const;
    QString writePng(const QString& path) const;
    // Draws the diagram onto a printer's page, as large as the printable area allows.
    QString printTo(QPrinter& printer) const;

  public Q_SLOTS:
    void refresh();  // re-reads the data file
    void saveAsSvg();
    void saveAsPng();
    void print();

  private:
    void buildMenus();
    void saveAs(const QString& filter, const QString& suffix,
                QString (DiagramWindow::*write)(const QString&) const);

    int index_;
    QString dataFolder_;
    FileDialog& dialog_;
    MessageBox& messages_;
    QByteArray svg_;
    QSvgRenderer* renderer_ = nullptr;
    DiagramView* view_ = nullptr;
    QLabel* source_ = nullptr;
};

// The diagram's window under `owner`: the one already open, redrawn from `dataFolder`, or
// a new one; shown and brought to the front either way.
DiagramWindow& showDiagramWindow(QWidget& owner, int catalogueIndex, const QString& dataFolder,
                                 FileDialog& dialog, MessageBox& messages);

}  // namespace kalvoren
